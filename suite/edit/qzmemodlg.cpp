// The memo window's controls, keys, user buttons and close checks, and the memo dialog's
// link to its field.
#include "suite/edit/qzmemodlg.h"

#include "platform/db/dataset.h"
#include "platform/db/datasource.h"
#include "platform/db/fields.h"
#include "platform/db/fieldtypes.h"
#include "platform/ui/application.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/drawing.h"
#include "platform/ui/field_link.h"
#include "suite/base/qzdialog.h"
#include "suite/base/qzdraw.h"
#include "suite/base/qzintl.h"

// ---- The window ----------------------------------------------------------------------------

TqzMemoDlg::TqzMemoDlg(TComponent* AOwner) : TForm(AOwner), FMemoFont(std::make_unique<TFont>()) {
    SetCaption("Dialog");
    SetClientWidth(553);
    SetClientHeight(361);
    Font()->SetName("MS Sans Serif");
    Font()->SetSize(8);
    Font()->SetStyle({fsBold});
    SetPosition(poScreenCenter);
    SetColor(clBtnFace);
    FMemo = new TMemo(this);
    FMemo->SetParent(this);
    FMemo->SetBounds(0, 0, 545, 321);
    FMemo->SetScrollBars(ssVertical);
    FMemo->SetWantTabs(true);
    FMemo->SetOnKeyDown(TKeyEvent(this, &TqzMemoDlg::MemoKeyDown));
    FUserButtonPanel = new TPanel(this);
    FUserButtonPanel->SetParent(this);
    FUserButtonPanel->SetBounds(0, 322, 237, 41);
    FUserButtonPanel->SetBevelInner(bvRaised);
    FUserButtonPanel->SetBevelOuter(bvLowered);
    FUserButtonPanel->SetTabStop(true);
    FUserButtonPanel->SetVisible(false);
    FUserButton1 = new TButton(this);
    FUserButton1->SetParent(FUserButtonPanel);
    FUserButton1->SetBounds(16, 8, 89, 26);
    FUserButton1->SetCaption("UserButton1");
    FUserButton1->SetVisible(false);
    FUserButton1->SetOnClick(TNotifyEvent(this, &TqzMemoDlg::UserButton1Click));
    FUserButton2 = new TButton(this);
    FUserButton2->SetParent(FUserButtonPanel);
    FUserButton2->SetBounds(128, 8, 89, 26);
    FUserButton2->SetCaption("UserButton2");
    FUserButton2->SetVisible(false);
    FUserButton2->SetOnClick(TNotifyEvent(this, &TqzMemoDlg::UserButton2Click));
    SetOnCloseQuery(TCloseQueryEvent(this, &TqzMemoDlg::FormCloseQuery));
    SetOnResize(TNotifyEvent(this, &TqzMemoDlg::ResizeControls));
    SetOnShow(TNotifyEvent(this, &TqzMemoDlg::FormShow));
    FOKBtn = qzCreateDialogButton(this, qzbkOK);
    FOKBtn->SetTabOrder(1);
    FOKBtn->SetOnClick(TNotifyEvent(this, &TqzMemoDlg::OKBtnClick));
    FCancelBtn = qzCreateDialogButton(this, qzbkCancel);
    FCancelBtn->SetTabOrder(2);
}

void TqzMemoDlg::ResizeControls(TObject*) {
    const int e = 2 * GetSystemMetrics(SM_CYFIXEDFRAME) + GetSystemMetrics(SM_CYCAPTION);
    int w = Width() - 20, h = Height() - (e + 53);
    if (qzIsWinMajor6OrLater()) {
        w -= GetSystemMetrics(SM_CXSIZEFRAME);
        h -= GetSystemMetrics(SM_CYSIZEFRAME);
    }
    FMemo->SetBounds(6, 6, std::max(w, 10), std::max(h, 10));
    FOKBtn->SetTop(FMemo->Height() + 17);
    FCancelBtn->SetTop(FMemo->Height() + 17);
    if (FUserButtonPanel->Visible()) FUserButtonPanel->SetTop(FMemo->Top() + FMemo->Height() + 2);
    const bool userButtons = FMemoDialog && (!FMemoDialog->UserButton1Caption().empty() ||
                                             !FMemoDialog->UserButton2Caption().empty());
    if (FMemo->ReadOnly()) {
        if (userButtons)
            FOKBtn->SetLeft(FMemo->Left() + FMemo->Width() - FOKBtn->Width() - 25);
        else
            FOKBtn->SetLeft(FMemo->Left() + FMemo->Width() / 2 - FCancelBtn->Width() / 2);
    } else {
        FOKBtn->SetLeft(FMemo->Width() - (FOKBtn->Width() + 20) * 2);
        FCancelBtn->SetLeft(FMemo->Width() - (FOKBtn->Width() + 20));
        FCancelBtn->SetVisible(true);
    }
    FOKBtn->SetVisible(true);
}

void TqzMemoDlg::OKBtnClick(TObject*) {
    FOKPressed = true;
    FOKDone = true;
}

void TqzMemoDlg::FormCloseQuery(TObject*, bool& CanClose) {
    CanClose = true;
    if (FMemo->Modified() && !FOKPressed) {
        const std::string text = qzIntl() ? qzIntl()->UserMessages()->MemoChangesWarning()
                                          : "Changes have been made!  Are you sure you wish to cancel?";
        if (MessageDlg(text, mtConfirmation, {mbYes, mbNo}, 0) == mrYes)
            SetModalResult(mrCancel);
        else
            CanClose = false;
    }
    FOKPressed = false;
}

void TqzMemoDlg::FormShow(TObject*) {
    if (FShown) return;
    FShown = true;
    SetKeyPreview(true);
    FMemo->Font()->Assign(FMemoFont.get());
    SetCaption(FDlgCaption);
    if (FPlacement.Left == 0 && FPlacement.Top == 0) {
        SetWidth(FPlacement.Right - FPlacement.Left);
        SetHeight(FPlacement.Bottom - FPlacement.Top);
    } else if (FPlacement.Left > 0 || FPlacement.Top >= 1) {
        SetBounds(FPlacement.Left, FPlacement.Top, FPlacement.Right - FPlacement.Left,
                  FPlacement.Bottom - FPlacement.Top);
    }
    if (FMemoDialog &&
        (!FMemoDialog->UserButton1Caption().empty() || !FMemoDialog->UserButton2Caption().empty())) {
        FUserButtonPanel->SetBounds(FMemo->Left() - 1, FMemo->Top() + FMemo->Height() + 2,
                                    FUserButtonPanel->Width(), FUserButtonPanel->Height());
        FUserButtonPanel->SetVisible(true);
        int right = 0;
        if (!FMemoDialog->UserButton1Caption().empty()) {
            FUserButton1->SetLeft(10);
            FUserButton1->SetVisible(true);
            right = FUserButton1->Left() + FUserButton1->Width();
        }
        if (!FMemoDialog->UserButton2Caption().empty()) {
            FUserButton2->SetLeft(right == 0 ? 15 : right + 15);
            FUserButton2->SetVisible(true);
            right = FUserButton2->Left() + FUserButton2->Width();
        }
        FUserButtonPanel->SetWidth(right + 10);
    }
    if (qzIntl()) Font()->SetStyle(qzIntl()->DialogFontStyle());
    ResizeControls(this);
    if (FMemoDialog) {
        FMemoDialog->SetDialog(this);
        FMemoDialog->DoInitDialog();
    }
    FMemo->SetModified(false);
    FMemo->SetOnChange(TNotifyEvent(this, &TqzMemoDlg::MemoChange));
}

void TqzMemoDlg::MemoKeyDown(TObject*, uint16_t& Key, TShiftState Shift) {
    if ((Key == VK_RETURN && Shift.Contains(ssCtrl)) || Key == VK_F2) {
        Key = 0;
        OKBtnClick(this);
        SetModalResult(mrOk);
    } else if (Key == VK_ESCAPE) {
        Key = 0;
        SetModalResult(mrCancel);
    }
}

void TqzMemoDlg::KeyPress(char32_t& Key) {
    if (Key == 27) {
        Key = 0;
        return;
    }
    TForm::KeyPress(Key);
}

void TqzMemoDlg::UserButton1Click(TObject*) {
    if (FMemoDialog && FMemoDialog->OnUserButton1Click().Assigned())
        FMemoDialog->OnUserButton1Click()(this, FMemo);
}

void TqzMemoDlg::UserButton2Click(TObject*) {
    if (FMemoDialog && FMemoDialog->OnUserButton2Click().Assigned())
        FMemoDialog->OnUserButton2Click()(this, FMemo);
}

void TqzMemoDlg::MemoChange(TObject*) { FOKBtn->SetEnabled(true); }

// ---- Running it ----------------------------------------------------------------------------

bool qzExecuteMemoDlg(TCustomForm* CallerForm, TqzMemoDialog* MemoDialog, bool Editable) {
    std::unique_ptr<TqzMemoDlg> dlg(new TqzMemoDlg(Application));
    if (CallerForm && CallerForm->FormStyle() == fsStayOnTop) dlg->SetFormStyle(fsStayOnTop);
    dlg->FMemoDialog = MemoDialog;
    TField* field = nullptr;
    TDataSource* src = MemoDialog->DataSource();
    if (src && src->DataSet() && !MemoDialog->DataField().empty()) {
        field = src->DataSet()->FieldByName(MemoDialog->DataField());
        if (field->ReadOnly()) Editable = false;
        dlg->FMemo->SetText(field->AsString());
    } else {
        dlg->FMemo->Lines()->Assign(MemoDialog->Lines());
    }
    dlg->FMemo->SetWordWrap(MemoDialog->MemoAttributes().Contains(mWordWrap));
    dlg->SetBorderStyle(MemoDialog->MemoAttributes().Contains(mSizeable) ? bsSizeable : bsDialog);
    dlg->FMemoFont->Assign(MemoDialog->Font());
    dlg->FDlgCaption = MemoDialog->Caption();
    if (!Editable) {
        dlg->FCancelBtn->SetVisible(false);
        dlg->FMemo->SetReadOnly(true);
    }
    dlg->FPlacement =
        Rect(MemoDialog->DlgLeft(), MemoDialog->DlgTop(), MemoDialog->DlgLeft() + MemoDialog->DlgWidth(),
             MemoDialog->DlgTop() + MemoDialog->DlgHeight());
    if (MemoDialog->DlgLeft() >= 1 || MemoDialog->DlgTop() >= 1) dlg->SetPosition(poDesigned);
    dlg->FUserButton1->SetCaption(MemoDialog->UserButton1Caption());
    dlg->FUserButton2->SetCaption(MemoDialog->UserButton2Caption());
    if (Editable) dlg->FOKBtn->SetEnabled(false);
    bool result = false;
    try {
        result = dlg->ShowModal() == mrOk;
        MemoDialog->DoCloseDialog();
    } catch (...) {
        MemoDialog->SetDialog(nullptr);
        throw;
    }
    MemoDialog->SetDialog(nullptr);
    if (result && Editable) {
        if (field) {
            src->DataSet()->Edit();
            field->SetAsString(dlg->FMemo->Text());
        } else {
            MemoDialog->Lines()->Assign(dlg->FMemo->Lines());
        }
    }
    return result;
}

// ---- The component -------------------------------------------------------------------------

TqzMemoDialog::TqzMemoDialog(TComponent* AOwner)
    : TComponent(AOwner),
      FFont(std::make_unique<TFont>()),
      FDataLink(std::make_unique<TControlFieldLink>(this)),
      FLines(std::make_unique<TStringList>()) {}

TqzMemoDialog::~TqzMemoDialog() = default;

TDataSource* TqzMemoDialog::DataSource() const { return FDataLink->DataSource(); }

void TqzMemoDialog::SetDataSource(TDataSource* Value) { FDataLink->AttachDataSource(Value); }

std::string TqzMemoDialog::DataField() const { return FDataLink->FieldName(); }

void TqzMemoDialog::SetDataField(const std::string& Value) { FDataLink->SetFieldName(Value); }

void TqzMemoDialog::Notification(TComponent* AComponent, TOperation Operation) {
    TComponent::Notification(AComponent, Operation);
    if (FDataLink) FDataLink->DataSourceRemoved(AComponent, Operation);
}

void TqzMemoDialog::DoInitDialog() {
    if (FOnInitDialog.Assigned()) FOnInitDialog(FDialog);
}

void TqzMemoDialog::DoCloseDialog() {
    if (FOnCloseDialog.Assigned()) FOnCloseDialog(FDialog);
}

bool TqzMemoDialog::Execute() {
    return qzExecuteMemoDlg(Screen->ActiveForm(), this, !FMemoAttributes.Contains(mViewOnly));
}

void TqzMemoDialog::Publish(TPublisher<TqzMemoDialog>& p) {
    using Self = TqzMemoDialog;
    p.Property("Font", &Self::Font, &Self::SetFont);
    p.Property("DataSource", &Self::DataSource, &Self::SetDataSource);
    p.Property("DataField", &Self::DataField, &Self::SetDataField);
    p.Property("MemoAttributes", &Self::MemoAttributes, &Self::SetMemoAttributes)
        .SetTypeName("TqzMemoAttributes");
    p.Property("Caption", &Self::Caption, &Self::SetCaption);
    p.Property("DlgLeft", &Self::DlgLeft, &Self::SetDlgLeft);
    p.Property("DlgTop", &Self::DlgTop, &Self::SetDlgTop);
    p.Property("DlgWidth", &Self::DlgWidth, &Self::SetDlgWidth);
    p.Property("DlgHeight", &Self::DlgHeight, &Self::SetDlgHeight);
    p.Property(
        "Lines", [](Self& d) { return d.Lines(); }, [](Self& d, TStrings* v) { d.SetLines(v); });
    p.Property("UserButton1Caption", &Self::UserButton1Caption, &Self::SetUserButton1Caption);
    p.Property("UserButton2Caption", &Self::UserButton2Caption, &Self::SetUserButton2Caption);
    p.Property("OnUserButton1Click", &Self::OnUserButton1Click, &Self::SetOnUserButton1Click);
    p.Property("OnUserButton2Click", &Self::OnUserButton2Click, &Self::SetOnUserButton2Click);
    p.Property("OnInitDialog", &Self::OnInitDialog, &Self::SetOnInitDialog);
    p.Property("OnCloseDialog", &Self::OnCloseDialog, &Self::SetOnCloseDialog);
}
