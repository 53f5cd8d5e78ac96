// Building the quote editor's labels, edits, menu and tool buttons, and what each
// tool button does.
#include "app/quote_editor.h"

#include "engine/ostra_dataset.h"
#include "platform/db/datasource.h"
#include "platform/ui/comctrls.h"
#include "platform/ui/dbctrls.h"
#include "platform/ui/menus.h"
#include "platform/ui/stdctrls.h"

namespace {

TMenuItem* AddMenuItem(TComponent* Owner, TMenuItem* Parent, const char* Name, const char* Caption) {
    auto* item = new TMenuItem(Owner);
    item->SetName(Name);
    item->SetCaption(Caption);
    Parent->Add(item);
    return item;
}

}  // namespace

TfrmDEQuote::TfrmDEQuote(TComponent* AOwner, TDataSource* Quotes) : TForm(AOwner), FQuotes(Quotes) {
    SetName("frmDEQuote");
    SetCaption("Quote");
    SetPosition(poScreenCenter);
    SetShowHint(true);

    FMainMenu1 = new TMainMenu(this);
    FMainMenu1->SetName("MainMenu1");
    FFile1 = AddMenuItem(this, FMainMenu1->Items(), "File1", "File");
    FExit1 = AddMenuItem(this, FFile1, "Exit1", "Exit");
    FExit1->SetOnClick(MakeEvent(this, &TfrmDEQuote::Exit1Click));
    FEdit1 = AddMenuItem(this, FMainMenu1->Items(), "Edit1", "Edit");
    FCut1 = AddMenuItem(this, FEdit1, "Cut1", "Cut     Ctrl+X");
    FCopy1 = AddMenuItem(this, FEdit1, "Copy1", "Copy   Ctrl+C");
    FPaste1 = AddMenuItem(this, FEdit1, "Paste1", "Paste  Ctrl+V");
    SetClientWidth(520);
    SetClientHeight(266);

    FToolBar1 = new TToolBar(this);
    FToolBar1->SetName("ToolBar1");
    FToolBar1->SetParent(this);
    FToolBar1->SetShowCaptions(true);
    FToolBar1->SetFlat(true);
    FToolBar1->SetButtonWidth(52);
    FToolBar1->SetButtonHeight(22);
    FToolBar1->SetHeight(26);
    // Left to right in the order they are made.
    FToolButton4 = AddToolButton("ToolButton4", "Undo", &TfrmDEQuote::ToolButton4Click);
    FToolButton7 = AddToolButton("ToolButton7", "Add", &TfrmDEQuote::ToolButton7Click);
    FToolButton8 = AddToolButton("ToolButton8", "Delete", &TfrmDEQuote::ToolButton8Click);
    FToolButton6 = AddToolButton("ToolButton6", "Save", &TfrmDEQuote::ToolButton6Click);
    FToolButton5 = AddToolButton("ToolButton5", "Help", nullptr);
    FToolButton1 = AddToolButton("ToolButton1", "Cut", nullptr);
    FToolButton3 = AddToolButton("ToolButton3", "Copy", &TfrmDEQuote::ToolButton3Click);
    FToolButton2 = AddToolButton("ToolButton2", "Paste", nullptr);

    TLabel* quoteLabel = AddLabel("Label1", "Quote", 8, 34);
    FDBMemo1 = new TDBMemo(this);
    FDBMemo1->SetName("DBMemo1");
    FDBMemo1->SetParent(this);
    FDBMemo1->SetBounds(8, 50, 504, 96);
    FDBMemo1->SetScrollBars(ssVertical);
    FDBMemo1->SetDataSource(Quotes);
    FDBMemo1->SetDataField("Quote");
    quoteLabel->SetFocusControl(FDBMemo1);

    TLabel* authorLabel = AddLabel("Label2", "Author", 8, 154);
    FDBEdit1 = new TDBEdit(this);
    FDBEdit1->SetName("DBEdit1");
    FDBEdit1->SetParent(this);
    FDBEdit1->SetBounds(8, 170, 300, 21);
    FDBEdit1->SetDataSource(Quotes);
    FDBEdit1->SetDataField("Author");
    authorLabel->SetFocusControl(FDBEdit1);

    TLabel* groupLabel = AddLabel("Label3", "Group", 320, 154);
    FDBEdit2 = new TDBEdit(this);
    FDBEdit2->SetName("DBEdit2");
    FDBEdit2->SetParent(this);
    FDBEdit2->SetBounds(320, 170, 120, 21);
    FDBEdit2->SetDataSource(Quotes);
    FDBEdit2->SetDataField("Group");
    groupLabel->SetFocusControl(FDBEdit2);

    TLabel* keyLabel = AddLabel("Label4", "Key", 448, 154);
    FDBEdit3 = new TDBEdit(this);
    FDBEdit3->SetName("DBEdit3");
    FDBEdit3->SetParent(this);
    FDBEdit3->SetBounds(448, 170, 64, 21);
    FDBEdit3->SetDataSource(Quotes);
    FDBEdit3->SetDataField("Key");
    keyLabel->SetFocusControl(FDBEdit3);

    FDBCheckBox1 = new TDBCheckBox(this);
    FDBCheckBox1->SetName("DBCheckBox1");
    FDBCheckBox1->SetParent(this);
    FDBCheckBox1->SetBounds(8, 202, 80, 17);
    FDBCheckBox1->SetCaption("Flag");
    FDBCheckBox1->SetValueChecked("True");
    FDBCheckBox1->SetValueUnchecked("False");
    FDBCheckBox1->SetDataSource(Quotes);
    FDBCheckBox1->SetDataField("Flag");

    FDBNavigator1 = new TDBNavigator(this);
    FDBNavigator1->SetName("DBNavigator1");
    FDBNavigator1->SetParent(this);
    FDBNavigator1->SetVisibleButtons(TButtonSet{nbFirst, nbPrior, nbNext, nbLast, nbEdit});
    FDBNavigator1->SetBounds(8, 232, 125, 25);
    FDBNavigator1->Hints()->Add("First record");
    FDBNavigator1->Hints()->Add("Prior record");
    FDBNavigator1->Hints()->Add("Next record");
    FDBNavigator1->Hints()->Add("Last record");
    FDBNavigator1->SetDataSource(Quotes);

    SetActiveControl(FDBMemo1);
}

TLabel* TfrmDEQuote::AddLabel(const char* Name, const char* Caption, int Left, int Top) {
    auto* label = new TLabel(this);
    label->SetName(Name);
    label->SetParent(this);
    label->SetLeft(Left);
    label->SetTop(Top);
    label->SetCaption(Caption);
    return label;
}

TToolButton* TfrmDEQuote::AddToolButton(const char* Name, const char* Caption,
                                        void (TfrmDEQuote::*Handler)(TObject*)) {
    auto* button = new TToolButton(this);
    button->SetName(Name);
    button->SetLeft(FToolBar1->ButtonCount() * FToolBar1->ButtonWidth() + 1);
    button->SetParent(FToolBar1);
    button->SetCaption(Caption);
    button->SetHint(Caption);
    if (Handler) button->SetOnClick(MakeEvent(this, Handler));
    return button;
}

TDataSet* TfrmDEQuote::QuoteTable() const { return FQuotes ? FQuotes->DataSet() : nullptr; }

void TfrmDEQuote::ToolButton4Click(TObject*) {
    if (TDataSet* quotes = QuoteTable()) quotes->Cancel();
}

void TfrmDEQuote::ToolButton7Click(TObject*) {
    if (TDataSet* quotes = QuoteTable()) quotes->Append();
}

void TfrmDEQuote::ToolButton8Click(TObject*) {
    if (TDataSet* quotes = QuoteTable()) quotes->Delete();
}

void TfrmDEQuote::ToolButton6Click(TObject*) {
    if (auto* quotes = dynamic_cast<TOstraDataset*>(QuoteTable())) quotes->Save();
}

void TfrmDEQuote::ToolButton3Click(TObject*) { FCopiedText = FDBEdit1->Text(); }

void TfrmDEQuote::Exit1Click(TObject*) { Close(); }

bool TfrmDEQuote::CloseQuery() {
    if (!TForm::CloseQuery()) return false;
    TDataSet* quotes = QuoteTable();
    if (quotes && quotes->Active() && (quotes->State() == dsEdit || quotes->State() == dsInsert)) {
        quotes->UpdateRecord();
        quotes->Post();
    }
    return true;
}
