// The memo window and the memo dialog component.
//
// TqzMemoDialog edits a memo field of a record (DataSource, DataField) or its
// own Lines in a modal window, TqzMemoDlg, run by qzExecuteMemoDlg: the text
// is written back only when the user confirms with OK (or Ctrl+Enter, F2).
// Escape in a changed memo asks before the changes are dropped. A view-only
// window shows OK alone, centred under a read-only memo.
#pragma once

#include <memory>
#include <string>

#include "platform/core/component.h"
#include "platform/ui/extctrls.h"
#include "platform/ui/forms.h"
#include "platform/ui/stdctrls.h"

class TDataSource;
class TControlFieldLink;
class TqzMemoDlg;
class TqzMemoDialog;

TASKMOOR_ENUM(TqzMemoAttribute, mSizeable, mWordWrap, mGridShow, mViewOnly, mDisableDialog)
using TqzMemoAttributes = TSet<TqzMemoAttribute>;
// (Dialog, Memo): a user button was clicked.
using TqzMemoUserButtonEvent = TEvent<TqzMemoDlg*, TMemo*>;
// (Dialog): the window opens or has closed.
using TqzOnInitMemoDlgEvent = TEvent<TqzMemoDlg*>;

class TqzMemoDlg : public TForm {
    TASKMOOR_CLASS(TqzMemoDlg, TForm)
public:
    explicit TqzMemoDlg(TComponent* AOwner);

    TMemo* Memo() const { return FMemo; }
    TButton* OKBtn() const { return FOKBtn; }
    TButton* CancelBtn() const { return FCancelBtn; }
    TPanel* UserButtonPanel() const { return FUserButtonPanel; }
    TButton* UserButton1() const { return FUserButton1; }
    TButton* UserButton2() const { return FUserButton2; }
    TqzMemoDialog* MemoDialog() const { return FMemoDialog; }

    void ResizeControls(TObject* Sender);
    void OKBtnClick(TObject* Sender);
    void FormCloseQuery(TObject* Sender, bool& CanClose);
    void FormShow(TObject* Sender);
    void MemoKeyDown(TObject* Sender, uint16_t& Key, TShiftState Shift);
    void UserButton1Click(TObject* Sender);
    void UserButton2Click(TObject* Sender);
    void MemoChange(TObject* Sender);

protected:
    void KeyPress(char32_t& Key) override;

private:
    friend bool qzExecuteMemoDlg(TCustomForm* CallerForm, TqzMemoDialog* MemoDialog, bool Editable);
    TMemo* FMemo;
    TPanel* FUserButtonPanel;
    TButton* FUserButton1;
    TButton* FUserButton2;
    bool FOKPressed = false;
    TRect FPlacement;
    bool FShown = false;
    bool FOKDone = false;
    std::unique_ptr<TFont> FMemoFont;
    std::string FDlgCaption;
    TqzMemoDialog* FMemoDialog = nullptr;
    TButton* FOKBtn;
    TButton* FCancelBtn;
};

class TqzMemoDialog : public TComponent {
    TASKMOOR_CLASS(TqzMemoDialog, TComponent)
public:
    explicit TqzMemoDialog(TComponent* AOwner);
    ~TqzMemoDialog() override;

    TFont* Font() const { return FFont.get(); }
    void SetFont(TFont* Value) { FFont->Assign(Value); }
    TDataSource* DataSource() const;
    void SetDataSource(TDataSource* Value);
    std::string DataField() const;
    void SetDataField(const std::string& Value);
    TqzMemoAttributes MemoAttributes() const { return FMemoAttributes; }
    void SetMemoAttributes(TqzMemoAttributes Value) { FMemoAttributes = Value; }
    const std::string& Caption() const { return FCaption; }
    void SetCaption(const std::string& Value) { FCaption = Value; }
    int DlgLeft() const { return FDlgLeft; }
    void SetDlgLeft(int Value) { FDlgLeft = Value; }
    int DlgTop() const { return FDlgTop; }
    void SetDlgTop(int Value) { FDlgTop = Value; }
    int DlgWidth() const { return FDlgWidth; }
    void SetDlgWidth(int Value) { FDlgWidth = Value; }
    int DlgHeight() const { return FDlgHeight; }
    void SetDlgHeight(int Value) { FDlgHeight = Value; }
    TStrings* Lines() const { return FLines.get(); }
    void SetLines(TStrings* Value) { FLines->Assign(Value); }
    const std::string& UserButton1Caption() const { return FUserButton1Caption; }
    void SetUserButton1Caption(const std::string& Value) { FUserButton1Caption = Value; }
    const std::string& UserButton2Caption() const { return FUserButton2Caption; }
    void SetUserButton2Caption(const std::string& Value) { FUserButton2Caption = Value; }
    const TqzMemoUserButtonEvent& OnUserButton1Click() const { return FOnUserButton1Click; }
    void SetOnUserButton1Click(const TqzMemoUserButtonEvent& Value) { FOnUserButton1Click = Value; }
    const TqzMemoUserButtonEvent& OnUserButton2Click() const { return FOnUserButton2Click; }
    void SetOnUserButton2Click(const TqzMemoUserButtonEvent& Value) { FOnUserButton2Click = Value; }
    const TqzOnInitMemoDlgEvent& OnInitDialog() const { return FOnInitDialog; }
    void SetOnInitDialog(const TqzOnInitMemoDlgEvent& Value) { FOnInitDialog = Value; }
    const TqzOnInitMemoDlgEvent& OnCloseDialog() const { return FOnCloseDialog; }
    void SetOnCloseDialog(const TqzOnInitMemoDlgEvent& Value) { FOnCloseDialog = Value; }
    // The window while it shows.
    TqzMemoDlg* Dialog() const { return FDialog; }
    void SetDialog(TqzMemoDlg* Value) { FDialog = Value; }

    virtual void DoInitDialog();
    virtual void DoCloseDialog();
    // Runs the window over the screen's active form; True on OK.
    virtual bool Execute();

    static void Publish(TPublisher<TqzMemoDialog>& p);

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    std::unique_ptr<TFont> FFont;
    std::unique_ptr<TControlFieldLink> FDataLink;
    TqzMemoAttributes FMemoAttributes{mSizeable, mWordWrap};
    std::string FCaption;
    int FDlgLeft = 0, FDlgTop = 0, FDlgWidth = 561, FDlgHeight = 396;
    TqzMemoUserButtonEvent FOnUserButton1Click, FOnUserButton2Click;
    TqzOnInitMemoDlgEvent FOnInitDialog, FOnCloseDialog;
    std::string FUserButton1Caption, FUserButton2Caption;
    std::unique_ptr<TStringList> FLines;
    TqzMemoDlg* FDialog = nullptr;
};

// Shows MemoDialog's text in the memo window (on top when CallerForm is);
// writes it back on OK when Editable; True on OK.
bool qzExecuteMemoDlg(TCustomForm* CallerForm, TqzMemoDialog* MemoDialog, bool Editable);
