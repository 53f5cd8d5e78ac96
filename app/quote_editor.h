// The quote editor: the quote, author, group, key and flag of the current
// quote of the main window's quote table, with a navigator and tool buttons
// to undo, add, delete and save. It works directly on the data source it is
// given; new quotes get their key from that table's own new-record step.
#pragma once

#include <string>

#include "platform/ui/forms.h"

class TDataSet;
class TDataSource;
class TDBCheckBox;
class TDBEdit;
class TDBMemo;
class TDBNavigator;
class TLabel;
class TMainMenu;
class TMenuItem;
class TToolBar;
class TToolButton;

class TfrmDEQuote : public TForm {
    TASKMOOR_CLASS(TfrmDEQuote, TForm)
public:
    // Quotes: the main window's quote source (its dataset the quote table).
    TfrmDEQuote(TComponent* AOwner, TDataSource* Quotes);

    TDataSource* Quotes() const { return FQuotes; }
    TMainMenu* MainMenu1() const { return FMainMenu1; }
    TMenuItem* File1() const { return FFile1; }
    TMenuItem* Exit1() const { return FExit1; }
    TMenuItem* Edit1() const { return FEdit1; }
    TMenuItem* Cut1() const { return FCut1; }
    TMenuItem* Copy1() const { return FCopy1; }
    TMenuItem* Paste1() const { return FPaste1; }
    TToolBar* ToolBar1() const { return FToolBar1; }
    TToolButton* ToolButton1() const { return FToolButton1; }  // Cut
    TToolButton* ToolButton2() const { return FToolButton2; }  // Paste
    TToolButton* ToolButton3() const { return FToolButton3; }  // Copy
    TToolButton* ToolButton4() const { return FToolButton4; }  // Undo
    TToolButton* ToolButton5() const { return FToolButton5; }  // Help
    TToolButton* ToolButton6() const { return FToolButton6; }  // Save
    TToolButton* ToolButton7() const { return FToolButton7; }  // Add
    TToolButton* ToolButton8() const { return FToolButton8; }  // Delete
    TDBMemo* DBMemo1() const { return FDBMemo1; }              // Quote
    TDBEdit* DBEdit1() const { return FDBEdit1; }              // Author
    TDBEdit* DBEdit2() const { return FDBEdit2; }              // Group
    TDBEdit* DBEdit3() const { return FDBEdit3; }              // Key
    TDBCheckBox* DBCheckBox1() const { return FDBCheckBox1; }  // Flag
    TDBNavigator* DBNavigator1() const { return FDBNavigator1; }

    // The Author text the Copy button last took.
    const std::string& CopiedText() const { return FCopiedText; }

    void ToolButton4Click(TObject* Sender);
    void ToolButton7Click(TObject* Sender);
    void ToolButton8Click(TObject* Sender);
    void ToolButton6Click(TObject* Sender);
    void ToolButton3Click(TObject* Sender);
    void Exit1Click(TObject* Sender);

    // However the editor closes (Exit, its close box, Escape), what the
    // focused field holds is written and the quote posted first; a quote
    // that cannot be posted keeps the editor open.
    bool CloseQuery() override;

private:
    TDataSet* QuoteTable() const;
    TLabel* AddLabel(const char* Name, const char* Caption, int Left, int Top);
    TToolButton* AddToolButton(const char* Name, const char* Caption, void (TfrmDEQuote::*Handler)(TObject*));

    TDataSource* FQuotes;
    TMainMenu* FMainMenu1;
    TMenuItem* FFile1;
    TMenuItem* FExit1;
    TMenuItem* FEdit1;
    TMenuItem* FCut1;
    TMenuItem* FCopy1;
    TMenuItem* FPaste1;
    TToolBar* FToolBar1;
    TToolButton* FToolButton1;
    TToolButton* FToolButton2;
    TToolButton* FToolButton3;
    TToolButton* FToolButton4;
    TToolButton* FToolButton5;
    TToolButton* FToolButton6;
    TToolButton* FToolButton7;
    TToolButton* FToolButton8;
    TDBMemo* FDBMemo1;
    TDBEdit* FDBEdit1;
    TDBEdit* FDBEdit2;
    TDBEdit* FDBEdit3;
    TDBCheckBox* FDBCheckBox1;
    TDBNavigator* FDBNavigator1;
    std::string FCopiedText;
};
