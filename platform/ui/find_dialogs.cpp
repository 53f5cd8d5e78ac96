// Building the find and replace forms, taking the user's input on each button press,
// and closing the dialogs.
#include "platform/ui/find_dialogs.h"

#include "platform/ui/stdctrls.h"

namespace {

TLabel* AddLabel(TForm* Form, const std::string& Caption, int X, int Y, TWinControl* Focus) {
    auto* l = new TLabel(Form);
    l->SetParent(Form);
    l->SetCaption(Caption);
    l->SetBounds(X, Y, 70, 16);
    l->SetFocusControl(Focus);
    return l;
}

TButton* AddButton(TForm* Form, const std::string& Caption, int X, int Y, int TabOrder) {
    auto* b = new TButton(Form);
    b->SetParent(Form);
    b->SetCaption(Caption);
    b->SetBounds(X, Y, 88, 25);
    b->SetTabOrder(TabOrder);
    return b;
}

TCheckBox* AddCheck(TForm* Form, const std::string& Caption, int X, int Y, int TabOrder) {
    auto* c = new TCheckBox(Form);
    c->SetParent(Form);
    c->SetCaption(Caption);
    c->SetBounds(X, Y, 150, 20);
    c->SetTabOrder(TabOrder);
    return c;
}

}  // namespace

// ---- TFindDialog ----------------------------------------------------------------------------

TFindDialog::TFindDialog(TComponent* AOwner) : TCommonDialog(AOwner) {}

TFindDialog::~TFindDialog() {
    if (FForm) {
        FForm->SetOnClose(nullptr);
        delete FForm;
    }
}

void TFindDialog::SetFindText(const std::string& Value) {
    FFindText = Value;
    if (FFindEdit) FFindEdit->SetText(Value);
}

bool TFindDialog::Showing() const { return FForm && FForm->Visible(); }

void TFindDialog::BuildForm() {
    FForm = new TForm(nullptr);
    FForm->SetCaption("Find");
    FForm->SetBorderStyle(bsDialog);
    FForm->SetPosition(poScreenCenter);
    FForm->SetClientWidth(360);
    FForm->SetClientHeight(96);
    FFindEdit = new TEdit(FForm);
    FFindEdit->SetParent(FForm);
    FFindEdit->SetBounds(84, 10, 170, 22);
    FFindEdit->SetTabOrder(0);
    AddLabel(FForm, "Fi&nd what:", 8, 14, FFindEdit);
    FWholeWord = AddCheck(FForm, "Match &whole word only", 8, 44, 1);
    FMatchCase = AddCheck(FForm, "Match &case", 8, 68, 2);
    FFindNext = AddButton(FForm, "&Find Next", 264, 8, 3);
    FFindNext->SetDefault(true);
    FFindNext->SetOnClick(TNotifyEvent(this, &TFindDialog::FindClick));
    FCancel = AddButton(FForm, "Cancel", 264, 38, 6);
    FCancel->SetCancel(true);
    FCancel->SetOnClick(TNotifyEvent(this, &TFindDialog::CancelClick));
    FForm->SetOnClose(TCloseEvent(this, &TFindDialog::FormClose));
}

bool TFindDialog::Execute() {
    if (!FForm) BuildForm();
    FFindEdit->SetText(FFindText);
    FMatchCase->SetChecked(FOptions.Contains(foMatchCase));
    FWholeWord->SetChecked(FOptions.Contains(foWholeWord));
    FMatchCase->SetVisible(!FOptions.Contains(foHideMatchCase));
    FWholeWord->SetVisible(!FOptions.Contains(foHideWholeWord));
    const bool wasShowing = Showing();
    FForm->Show();
    FFindEdit->SelectAll();
    if (FFindEdit->CanFocus()) FForm->SetActiveControl(FFindEdit);
    if (!wasShowing) DoShow();
    return true;
}

void TFindDialog::CloseDialog() {
    if (Showing()) FForm->Close();
}

void TFindDialog::TakeInput() {
    FFindText = FFindEdit->Text();
    FOptions.Exclude(foMatchCase);
    FOptions.Exclude(foWholeWord);
    FOptions.Exclude(foFindNext);
    FOptions.Exclude(foReplace);
    FOptions.Exclude(foReplaceAll);
    if (FMatchCase->Checked()) FOptions.Include(foMatchCase);
    if (FWholeWord->Checked()) FOptions.Include(foWholeWord);
}

void TFindDialog::FindClick(TObject*) {
    TakeInput();
    FOptions.Include(foFindNext);
    FOnFind(this);
}

void TFindDialog::CancelClick(TObject*) { CloseDialog(); }

void TFindDialog::FormClose(TObject*, TCloseAction& Action) {
    Action = caHide;
    DoClose();
}

// ---- TReplaceDialog -------------------------------------------------------------------------

TReplaceDialog::TReplaceDialog(TComponent* AOwner) : TFindDialog(AOwner) {}

void TReplaceDialog::SetReplaceText(const std::string& Value) {
    FReplaceText = Value;
    if (FReplaceEdit) FReplaceEdit->SetText(Value);
}

void TReplaceDialog::BuildForm() {
    TFindDialog::BuildForm();
    FForm->SetCaption("Replace");
    FForm->SetClientHeight(126);
    FReplaceEdit = new TEdit(FForm);
    FReplaceEdit->SetParent(FForm);
    FReplaceEdit->SetBounds(84, 40, 170, 22);
    FReplaceEdit->SetTabOrder(1);
    FReplaceEdit->SetText(FReplaceText);
    AddLabel(FForm, "Re&place with:", 8, 44, FReplaceEdit);
    FWholeWord->SetTop(74);
    FMatchCase->SetTop(98);
    FReplace = AddButton(FForm, "&Replace", 264, 38, 4);
    FReplace->SetOnClick(TNotifyEvent(this, &TReplaceDialog::ReplaceClick));
    FReplaceAll = AddButton(FForm, "Replace &All", 264, 68, 5);
    FReplaceAll->SetOnClick(TNotifyEvent(this, &TReplaceDialog::ReplaceClick));
    FCancel->SetTop(98);
}

void TReplaceDialog::TakeInput() {
    TFindDialog::TakeInput();
    FReplaceText = FReplaceEdit->Text();
}

void TReplaceDialog::ReplaceClick(TObject* Sender) {
    TakeInput();
    FOptions.Include(Sender == FReplaceAll ? foReplaceAll : foReplace);
    FOnReplace(this);
}
