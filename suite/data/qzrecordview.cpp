// The record view dialog, its form and companions.
#include "suite/data/qzrecordview.h"

#include <algorithm>

#include "platform/core/properties.h"
#include "platform/core/sysutils.h"
#include "platform/db/dataset.h"
#include "platform/db/datasource.h"
#include "platform/db/fields.h"
#include "platform/ui/application.h"
#include "platform/ui/class_registry.h"
#include "platform/ui/dbctrls.h"
#include "platform/ui/dbimage.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/drawing.h"
#include "platform/ui/graphics.h"
#include "platform/ui/messages.h"
#include "platform/ui/window_services.h"
#include "suite/base/qzdraw.h"
#include "suite/base/qzintl.h"
#include "suite/base/qzlinelists.h"
#include "suite/base/qzproputils.h"
#include "suite/data/qznavigator.h"
#include "suite/edit/qzdatetimepicker.h"
#include "suite/grid/qzlookupcombo.h"
#include "suite/richtext/qzdbrichedit.h"

namespace {

bool IsModified(TControl* C) {
    if (auto* e = dynamic_cast<TCustomEdit*>(C)) return e->Modified();
    return false;
}

// The navigator's usual order for its default styles, then the others.
void AddNavigatorButtons(TqzDBNavigator* Nav, TqzNavButtonStyles Styles) {
    static const TqzNavButtonStyle order[] = {nbsFirst,        nbsPriorPage,
                                              nbsPrior,        nbsNext,
                                              nbsNextPage,     nbsLast,
                                              nbsInsert,       nbsDelete,
                                              nbsEdit,         nbsPost,
                                              nbsCancel,       nbsRefresh,
                                              nbsSaveBookmark, nbsRestoreBookmark,
                                              nbsFilterDialog, nbsRecordViewDialog,
                                              nbsLocateDialog, nbsSearchDialog,
                                              nbsCustom};
    TqzNavButtons* buttons = Nav->Buttons();
    buttons->BeginUpdate();
    try {
        for (TqzNavButtonStyle s : order)
            if (Styles.Contains(s)) buttons->AddButton(s);
    } catch (...) {
        buttons->EndUpdate();
        throw;
    }
    buttons->EndUpdate();
    if (Nav->Width() == 1 && buttons->Count() > 0)
        Nav->SetBounds(Nav->Left(), Nav->Top(), Nav->ButtonsWidth(), buttons->Items(0)->Height());
    if (buttons->Count() == 0) {
        // A navigator without buttons makes the default ones when it first
        // paints: no styles, no navigator to see.
        Nav->SetVisible(false);
        return;
    }
    buttons->Refresh();
}

}  // namespace

// ---- Companions --------------------------------------------------------------------------------

void TqzScrollBox::PaintWindow(TCanvas*) {}

void TqzLabel::Paint() {
    TLabel::Paint();
    TWinControl* fc = FocusControl();
    if (!fc || !fc->Focused()) return;
    TCanvas* c = Canvas();
    c->Pen()->SetColor(RGB(128, 128, 128));
    c->Pen()->SetStyle(psDot);
    c->Pen()->SetWidth(1);
    const int r = Width() - 1, b = Height() - 1;
    c->MoveTo(0, 0);
    c->LineTo(0, b);
    c->LineTo(r, b);
    c->LineTo(r, 0);
}

void TqzDBCheckBox::DoEnter() {
    TDBCheckBox::DoEnter();
    if (Label) Label->Invalidate();
}

void TqzDBCheckBox::DoExit() {
    TDBCheckBox::DoExit();
    if (Label) Label->Invalidate();
}

void TqzMemoDialogPopup::DoInitDialog() {
    if (TqzMemoDlg* dlg = Dialog(); dlg && Edit) {
        dlg->Memo()->Font()->Assign(Edit->Font());
        dlg->Memo()->SetSelStart(Edit->SelStart());
        dlg->Memo()->SetSelLength(0);
        if (TField* f = Edit->Field()) dlg->SetCaption(f->DisplayLabel());
    }
    TqzMemoDialog::DoInitDialog();
}

TqzDBEditMemo::TqzDBEditMemo(TComponent* AOwner) : TqzDBCustomEdit(AOwner) {
    SetAutoSize(false);
    SetWantReturns(true);
    SetWordWrap(true);
    SetAutoSelect(false);
}

void TqzDBEditMemo::Publish(TPublisher<TqzDBEditMemo>& p) {
    p.Property(
        "Frame", [](TqzDBEditMemo& e) { return e.Frame(); },
        [](TqzDBEditMemo& e, TqzEditFrame* v) { e.SetFrame(v); });
}

void TqzDBEditMemo::KeyDown(uint16_t& Key, TShiftState Shift) {
    if (Key == VK_F2 && DataSource() && DataSource()->DataSet()) {
        TDataSet* ds = DataSource()->DataSet();
        TField* f = ds->FindField(DataField());
        if (f) {
            auto popup = std::make_unique<TqzMemoDialogPopup>(this);
            popup->Edit = this;
            popup->SetDataSource(DataSource());
            popup->SetDataField(DataField());
            popup->SetCaption(f->FieldName());
            // View-only whenever the record cannot be changed here.
            if (f->ReadOnly() || !ds->CanModify()) {
                TqzMemoAttributes a = popup->MemoAttributes();
                a.Include(mViewOnly);
                popup->SetMemoAttributes(a);
            }
            if (Modified()) CommitEdit();
            popup->Execute();
            Key = 0;
            return;
        }
    }
    TqzDBCustomEdit::KeyDown(Key, Shift);
}

// ---- The form -----------------------------------------------------------------------------------

TqzRecordViewForm::TqzRecordViewForm(TComponent* AOwner, TqzRecordViewDialog* Dialog)
    : TForm(AOwner), FDialog(Dialog) {
    SetBounds(0, 0, 350, 364);
    SetCaption("qzRecordViewForm");
    SetColor(clBtnFace);
    SetOnActivate(TNotifyEvent(this, &TqzRecordViewForm::FormActivate));
    SetOnDeactivate(TNotifyEvent(this, &TqzRecordViewForm::FormDeactivate));
}

void TqzRecordViewForm::FormActivate(TObject*) {
    if (!FMadeTopmost) return;
    SetWindowTopmost(this, false);
    FMadeTopmost = false;
}

void TqzRecordViewForm::FormDeactivate(TObject*) {
    if (!FDialog->Options().Contains(rvoStayOnTopForm)) return;
    SetWindowTopmost(this, true);
    if (TWinControl* active = ActiveControl()) active->Repaint();
    FMadeTopmost = true;
}

void TqzRecordViewForm::KeyDown(uint16_t& Key, TShiftState Shift) {
    TForm::KeyDown(Key, Shift);
    if (Key == 0 || Shift.Contains(ssAlt)) return;
    const TqzRecordViewOptions o = FDialog->Options();
    TWinControl* active = ActiveControl();
    if (Key == VK_RETURN && Shift.Contains(ssCtrl)) {
        if (o.Contains(rvoModalForm) && !o.Contains(rvoEnterToTab)) {
            SetModalResult(mrOk);
            Key = 0;
        }
        return;
    }
    bool move = false;
    if (Key == VK_TAB) {
        const TPropInfo* wt = active ? GetPropInfo(active, "WantTabs") : nullptr;
        move = !(wt && GetOrdProp(active, wt) != 0);
    } else if (Key == VK_RETURN && o.Contains(rvoEnterToTab)) {
        bool wants = false;
        if (active) {
            if (const TPropInfo* wr = GetPropInfo(active, "WantReturns"))
                wants = GetOrdProp(active, wr) != 0;
            else if (auto* m = dynamic_cast<TqzCustomMaskEdit*>(active))
                wants = m->WantReturns();
            else if (auto* memo = dynamic_cast<TCustomMemo*>(active))
                wants = memo->WantReturns();
        }
        move = !wants;
    } else if (Key == VK_ESCAPE) {
        // A control holding a change takes Escape itself (it undoes the change).
        if (active && IsModified(active)) return;
        Key = 0;
        FDialog->SetCloseReason(1);
        SetModalResult(mrCancel);
        if (!FDialog->Options().Contains(rvoModalForm)) Close();
        return;
    }
    if (move) {
        SelectNext(active, !Shift.Contains(ssShift), true);
        Key = 0;
    }
}

// ---- The dialog ---------------------------------------------------------------------------------

TqzRecordViewDialog::TqzRecordViewDialog(TComponent* AOwner)
    : TqzCustomDialog(AOwner),
      FDataLink(std::make_unique<TDataLink>()),
      FSelected(std::make_unique<TStringList>()),
      FControlType(std::make_unique<TStringList>()),
      FPictureMasks(std::make_unique<TStringList>()),
      FFont(std::make_unique<TFont>()),
      FLabelFont(std::make_unique<TFont>()),
      FReadOnlyColor(clInactiveCaptionText),
      FEditFrame(std::make_unique<TqzEditFrame>(nullptr)) {}

TqzRecordViewDialog::~TqzRecordViewDialog() {
    if (FForm) {
        GiveBack();
        TqzRecordViewForm* f = FForm;
        FForm = nullptr;
        f->RemoveFreeNotification(this);
        delete f;
    }
    FDataLink.reset();
}

TDataSource* TqzRecordViewDialog::DataSource() const { return FDataLink->DataSource(); }

void TqzRecordViewDialog::SetDataSource(TDataSource* Value) {
    if (Value) Value->FreeNotification(this);
    FDataLink->SetDataSource(Value);
}

void TqzRecordViewDialog::SetMenu(TMainMenu* Value) {
    if (Value == FMenu) return;
    if (FMenu) FMenu->RemoveFreeNotification(this);
    FMenu = Value;
    if (FMenu) FMenu->FreeNotification(this);
}

void TqzRecordViewDialog::SetController(TqzController* Value) {
    if (Value == FController) return;
    if (FController) FController->RemoveFreeNotification(this);
    FController = Value;
    if (!FController) return;
    FController->FreeNotification(this);
    FEditFrame->Assign(FController->Frame());
}

void TqzRecordViewDialog::SetNavigator(TqzDBNavigator* Value) {
    if (Value == FNavigator) return;
    if (FNavigator) FNavigator->RemoveFreeNotification(this);
    FNavigator = Value;
    if (FNavigator) {
        FNavigator->FreeNotification(this);
        FNavigator->SetVisible(false);
    }
}

TDataSet* TqzRecordViewDialog::GetPrimaryDataSet() {
    return DataSource() ? DataSource()->DataSet() : nullptr;
}

void TqzRecordViewDialog::Notification(TComponent* AComponent, TOperation Operation) {
    TqzCustomDialog::Notification(AComponent, Operation);
    if (Operation != opRemove) return;
    if (AComponent == DataSource()) FDataLink->SetDataSource(nullptr);
    if (AComponent == FMenu) {
        FMenu = nullptr;
        FMenuShown = false;
        FMenuForm = nullptr;
        if (Owner() && qzIsDesigning(Owner())) qzNotifyDesignerModified(Owner());
    }
    if (AComponent == FMenuForm) FMenuForm = nullptr;
    if (AComponent == FController) FController = nullptr;
    if (AComponent == FNavigator) {
        FNavigator = nullptr;
        FNavigatorBorrowed = false;
    }
    if (AComponent == FNavigatorParent) FNavigatorParent = nullptr;
    if (AComponent == FForm) {
        FForm = nullptr;
        FControls.clear();
        FLabels.clear();
    }
    for (TqzCustomControlItem& item : FBorrowed) {
        if (item.Parent == AComponent) item.Parent = dynamic_cast<TWinControl*>(Owner());
        if (item.Control == AComponent) item.Control = nullptr;
    }
}

bool TqzRecordViewDialog::IsSingleLineControl(TControl* Control) {
    return dynamic_cast<TqzDBEdit*>(Control) || dynamic_cast<TqzDBDateTimePicker*>(Control);
}

void TqzRecordViewDialog::DoBeforeCreateControl(TField* Field, bool& Accept) {
    if (OnBeforeCreateControl.Assigned()) OnBeforeCreateControl(FForm, Field, Accept);
}

void TqzRecordViewDialog::DoAfterCreateControl(TField* Field, TControl* Control) {
    TqzButtonEffects* effects = qzGetControlButtonEffects(Control);
    TqzEditFrame* frame = qzGetControlEditFrame(Control);
    // The suite's edits all have a frame, published or not.
    if (auto* edit = dynamic_cast<TqzCustomMaskEdit*>(Control); edit && !frame) frame = edit->Frame();
    if (!dynamic_cast<TLabel*>(Control) && FLastLabel) FLabels.push_back(FLastLabel);
    if (effects) {
        effects->SetTransparent(FControlOptions.Contains(rvcTransparentButtons));
        effects->SetFlat(FControlOptions.Contains(rvcFlatButtons));
    }
    if (frame) {
        frame->Assign(FEditFrame.get());
        DoSetControlEffects(Field, Control, frame, effects);
    }
    if (OnAfterCreateControl.Assigned()) OnAfterCreateControl(FForm, Field, Control);
    if (FStyle == rvsHorizontal && FOptions.Contains(rvoLabelsBeneathControl) &&
        !dynamic_cast<TLabel*>(Control) && FLastLabel) {
        const int top = FLastLabel->Top();
        Control->SetTop(top);
        FLastLabel->SetTop(top + Control->Height() + EditSpacing.HorizontalView.BetweenLabelEdit - 1);
    }
}

void TqzRecordViewDialog::DoSetControlEffects(TField* Field, TControl* Control, TqzEditFrame* Frame,
                                              TqzButtonEffects* ButtonEffects) {
    if (OnSetControlEffects.Assigned()) OnSetControlEffects(FForm, Field, Control, Frame, ButtonEffects);
}

void TqzRecordViewDialog::DoInitDialog() {
    if (OnInitDialog.Assigned()) OnInitDialog(FForm);
}

void TqzRecordViewDialog::DoCloseDialog() {
    if (OnCloseDialog.Assigned()) OnCloseDialog(FForm);
}

void TqzRecordViewDialog::DoCancelWarning(bool& CanClose) {
    if (OnCancelWarning.Assigned()) OnCancelWarning(FForm, CanClose);
}

void TqzRecordViewDialog::OKBtnClick(TObject*) {
    FCloseReason = 0;
    FForm->SetModalResult(mrOk);
    if (!FOptions.Contains(rvoModalForm)) FForm->Close();
}

void TqzRecordViewDialog::CancelBtnClick(TObject*) {
    FCloseReason = 1;
    FForm->SetModalResult(mrCancel);
    if (!FOptions.Contains(rvoModalForm)) FForm->Close();
}

TControl* TqzRecordViewDialog::CreateDefaultEditControl(TComponent* AOwner) { return new TqzDBEdit(AOwner); }

bool TqzRecordViewDialog::AnyControlModified() const {
    return std::any_of(FControls.begin(), FControls.end(), IsModified);
}

int TqzRecordViewDialog::StandardWidth(int DisplayWidth) {
    FForm->Canvas()->Font()->Assign(FFont.get());
    return FForm->Canvas()->TextWidth("0") * (DisplayWidth + 1) + 3;
}

void TqzRecordViewDialog::BuildForm() {
    FForm = new TqzRecordViewForm(Application, this);
    FForm->FreeNotification(this);
    FForm->SetBorderStyle(FBorderStyle);
    FControls.clear();
    FLabels.clear();
    FLastLabel = nullptr;
    FForm->SetCaption(FCaption);
    FForm->Font()->Assign(FFont.get());
    FForm->SetKeyPreview(true);
    FForm->SetOnShow(TNotifyEvent(this, &TqzRecordViewDialog::FormShow));
    FForm->SetOnClose(TCloseEvent(this, &TqzRecordViewDialog::FormClose));
    FForm->SetOnCloseQuery(TCloseQueryEvent(this, &TqzRecordViewDialog::FormCloseQuery));

    if (!FOptions.Contains(rvoHideNavigator)) BuildNavigatorPanel();
    auto* rp = new TPanel(FForm);
    rp->SetName("RecordPanel");
    rp->SetParent(FForm);
    rp->SetBounds(0, 41, rp->Width(), rp->Height());
    rp->SetAlign(alClient);
    rp->SetBevelInner(bvLowered);
    rp->SetBorderWidth(4);
    rp->SetCaption("");
    rp->SetTabOrder(1);
    FForm->RecordPanel = rp;
    if (FOKCancelOptions.Contains(rvokShowOKCancel)) BuildButtonPanel();
    auto* box = new TqzScrollBox(FForm);
    box->SetParent(rp);
    box->SetBounds(6, 6, box->Width(), box->Height());
    box->SetAlign(alClient);
    box->SetAutoScroll(false);
    box->SetBorderStyle(bsNone);
    box->SetTabOrder(0);
    FForm->ScrollBox = box;

    const std::vector<TShownField> fields = ShownFields();
    if (FStyle == rvsHorizontal)
        LayoutHorizontal(fields);
    else
        LayoutVertical(fields);

    for (TControl* c : FControls)
        if (auto* e = dynamic_cast<TCustomEdit*>(c)) e->SetModified(false);

    const TRect work = Screen->WorkAreaRect();
    FForm->SetLeft(FormPosition.Left() >= 1 ? FormPosition.Left()
                                            : (work.Width() - FForm->Width()) / 2 + work.Left);
    FForm->SetTop(FormPosition.Top() >= 1 ? FormPosition.Top()
                                          : (work.Height() - FForm->Height()) / 2 + work.Top);
    if (FForm->Navigator) FForm->Navigator->SetWidth(FForm->NavigatorPanel->Width() - 10);
    FormResize(FForm);
    FForm->SetOnResize(TNotifyEvent(this, &TqzRecordViewDialog::FormResize));
}

void TqzRecordViewDialog::BuildNavigatorPanel() {
    auto* panel = new TPanel(FForm);
    panel->SetParent(FForm);
    panel->SetAlign(alTop);
    panel->SetCaption("");
    panel->SetTabOrder(0);
    FForm->NavigatorPanel = panel;
    TqzDBNavigator* nav = FNavigator;
    if (nav) {
        FNavigatorParent = nav->Parent();
        if (FNavigatorParent) FNavigatorParent->FreeNotification(this);
        FNavigatorBounds = nav->BoundsRect();
        FNavigatorVisible = nav->Visible();
        FNavigatorBorrowed = true;
        nav->SetVisible(true);
    } else {
        nav = new TqzDBNavigator(FForm);
        nav->SetAutosizeStyle(asNone);
        nav->SetShowHint(true);
        nav->SetFlat(FNavigatorFlat);
        AddNavigatorButtons(nav, FNavigatorButtons);
    }
    nav->SetParent(panel);
    nav->SetBounds(8, 8, nav->Width(), 25);
    // The navigator is as wide as its buttons for the form's width.
    int row = 2 * nav->BorderInset();
    for (int i = 0; i < nav->Buttons()->VisibleCount(); ++i)
        row += nav->Buttons()->VisibleButtons(i)->Width();
    nav->SetWidth(row);
    nav->SetDataSource(DataSource());
    nav->SetTabOrder(0);
    if (nav->Flat()) {
        nav->SetTop(1);
        panel->SetHeight(nav->Height() + 2);
    }
    FForm->Navigator = nav;
}

void TqzRecordViewDialog::BuildButtonPanel() {
    auto* up = new TPanel(FForm);
    up->SetName("UserPanel");
    up->SetParent(FForm);
    up->SetAlign(alBottom);
    up->SetCaption("");
    up->SetTabOrder(0);
    FForm->UserPanel = up;
    TButton* ok = qzCreateDialogButton(up, qzbkOK);
    ok->SetDefault(!FOptions.Contains(rvoEnterToTab));
    ok->SetOnClick(TNotifyEvent(this, &TqzRecordViewDialog::OKBtnClick));
    ok->SetModalResult(mrNone);
    ok->SetTabStop(false);
    TButton* cancel = qzCreateDialogButton(up, qzbkCancel);
    cancel->SetOnClick(TNotifyEvent(this, &TqzRecordViewDialog::CancelBtnClick));
    cancel->SetModalResult(mrNone);
    cancel->SetTabStop(false);
    cancel->SetCancel(false);
    ok->SetVisible(true);
    cancel->SetVisible(true);
    up->SetHeight(ok->Height() + 2 * GetSystemMetrics(SM_CYDLGFRAME) + 10);
    ok->SetTop(GetSystemMetrics(SM_CYDLGFRAME) + 5);
    cancel->SetTop(GetSystemMetrics(SM_CYDLGFRAME) + 5);
    FForm->OKButton = ok;
    FForm->CancelButton = cancel;
}

void TqzRecordViewDialog::GiveBack() {
    for (TqzCustomControlItem& item : FBorrowed) {
        if (!item.Control) continue;
        if (item.Parent) item.Parent->RemoveFreeNotification(this);
        item.Control->RemoveFreeNotification(this);
        item.Control->SetVisible(false);
        item.Control->SetParent(item.Parent);
        item.Control->SetBounds(item.Left, item.Top, item.Width, item.Height);
        if (auto* w = dynamic_cast<TWinControl*>(item.Control)) w->SetCtl3D(item.Ctl3D);
        if (item.Parent && qzClassInheritsFrom(item.Parent, "TqzDBGrid") && !qzIsDesigning(this)) {
            // Back in a grid as its cell editor looks there.
            if (auto* w = dynamic_cast<TWinControl*>(item.Control)) w->SetCtl3D(false);
            if (const TPropInfo* bs = GetPropInfo(item.Control, "BorderStyle"); bs && bs->SetOrd)
                SetOrdProp(item.Control, bs, bsNone);
            if (TqzButtonEffects* effects = qzGetControlButtonEffects(item.Control)) {
                effects->SetTransparent(item.ButtonsTransparent);
                effects->SetFlat(item.ButtonsFlat);
            }
        }
        item.Control->SetVisible(true);
    }
    FBorrowed.clear();
    if (FNavigatorBorrowed && FNavigator) {
        FNavigator->SetVisible(false);
        FNavigator->SetParent(FNavigatorParent);
        FNavigator->SetBoundsRect(FNavigatorBounds);
        if (FNavigatorParent) FNavigatorParent->RemoveFreeNotification(this);
    }
    FNavigatorBorrowed = false;
    FNavigatorParent = nullptr;
    if (FMenuShown && FMenu) {
        TCustomForm* before = FMenuForm;
        FMenuForm = nullptr;
        FMenuShown = false;
        if (before) before->RemoveFreeNotification(this);
        FMenu->SetForm(before);
    }
    FMenuShown = false;
}

void TqzRecordViewDialog::DropForm() {
    GiveBack();
    TqzRecordViewForm* f = FForm;
    FForm = nullptr;
    FControls.clear();
    FLabels.clear();
    FLastLabel = nullptr;
    if (f) {
        f->RemoveFreeNotification(this);
        delete f;
    }
}

bool TqzRecordViewDialog::Execute() {
    TDataSet* ds = GetPrimaryDataSet();
    if (!ds) {
        MessageDlg("DataSource or DataSource.DataSet not defined.", mtWarning, TMsgDlgButtons{mbOK}, 0);
        return false;
    }
    if (!ds->Active()) {
        MessageDlg("DataSet must be active.", mtWarning, TMsgDlgButtons{mbOK}, 0);
        return false;
    }
    FFrameAllowance = 2 * GetSystemMetrics(SM_CXFRAME) + 12;
    FCloseReason = 2;
    if (FForm) {
        FForm->Show();
        return false;
    }
    try {
        BuildForm();
    } catch (...) {
        // Nothing half-built stays behind; the next Execute starts afresh.
        DropForm();
        throw;
    }
    if (!FOptions.Contains(rvoModalForm)) {
        FForm->Show();
        FForm->SetModalResult(mrCancel);
        return true;
    }
    int result = mrNone;
    try {
        result = FForm->ShowModal();
    } catch (...) {
        DropForm();
        throw;
    }
    DropForm();
    return result == mrOk;
}

void TqzRecordViewDialog::FormShow(TObject*) {
    if (FStyle == rvsHorizontal && FOptions.Contains(rvoLabelsBeneathControl))
        for (size_t i = 0; i < FControls.size() && i < FLabels.size(); ++i)
            FLabels[i]->SetTop(FControls[i]->Top() + FControls[i]->Height() +
                               EditSpacing.HorizontalView.BetweenLabelEdit - 1);
    DoInitDialog();
    Screen->SetCursor(crDefault);
}

void TqzRecordViewDialog::FormResize(TObject*) {
    if (!FForm) return;
    if (FOptions.Contains(rvoConsistentEditWidth) && FStyle == rvsVertical) {
        int w = FForm->Width() - (FControlLeft + FFrameAllowance + Margin.RightOffset);
        if (FForm->Height() < FComputedHeight) w -= GetSystemMetrics(SM_CXHTHUMB);
        for (TControl* c : FControls) c->SetWidth(w);
    }
    if (TButton* ok = FForm->OKButton) {
        TButton* cancel = FForm->CancelButton;
        const int fw = FForm->Width();
        if (ok->Width() + cancel->Width() + 31 > fw - 10) {
            ok->SetLeft(5);
            cancel->SetLeft(ok->Width() + 18);
        } else {
            ok->SetLeft(fw - 10 - 2 * (ok->Width() + 13));
            cancel->SetLeft(fw - 10 - (ok->Width() + 13));
        }
    }
    if (FForm->Navigator) FForm->Navigator->SetWidth(FForm->NavigatorPanel->Width() - 10);
    if (OnResizeDialog.Assigned()) OnResizeDialog(FForm);
}

void TqzRecordViewDialog::FormCloseQuery(TObject*, bool& CanClose) {
    TDataSet* ds = GetPrimaryDataSet();
    if (FCloseReason == 0)
        FForm->SetModalResult(mrOk);
    else if (FCloseReason == 2 && !FOptions.Contains(rvoCloseIsCancel))
        FForm->SetModalResult(mrOk);
    if (FForm->ModalResult() != mrOk) {
        const bool browsing = !ds || ds->State() == dsBrowse;
        if (!AnyControlModified() && (!FOKCancelOptions.Contains(rvokAutoCancelRec) || browsing)) {
            FForm->SetModalResult(mrCancel);
        } else if (FOptions.Contains(rvoConfirmCancel)) {
            if (OnCancelWarning.Assigned()) {
                DoCancelWarning(CanClose);
            } else {
                switch (MessageDlg(qzIntl()->UserMessages()->RecordViewExitWarning(), mtConfirmation,
                                   TMsgDlgButtons{mbYes, mbNo, mbCancel}, 0)) {
                case mrYes: FForm->SetModalResult(mrOk); break;
                case mrNo: FForm->SetModalResult(mrCancel); break;
                default: CanClose = false; break;
                }
            }
        } else {
            FForm->SetModalResult(mrCancel);
        }
    }
    if (!CanClose || FForm->ModalResult() != mrOk) return;
    // Accepting writes the active control's value and posts the record before
    // anything else of the close; a failed post keeps the form open.
    try {
        if (TWinControl* active = FForm->ActiveControl()) active->Perform(CM_EXIT, 0, 0);
        if (ds && FOKCancelOptions.Contains(rvokAutoPostRec)) ds->CheckBrowseMode();
    } catch (const Exception& e) {
        CanClose = false;
        FCloseReason = 2;
        FForm->SetModalResult(mrNone);
        Application->ShowException(e);
    }
}

void TqzRecordViewDialog::FormClose(TObject*, TCloseAction& Action) {
    DoCloseDialog();
    TDataSet* ds = GetPrimaryDataSet();
    if (FForm->ModalResult() == mrCancel && FOKCancelOptions.Contains(rvokAutoCancelRec) && ds) ds->Cancel();
    if (!FOptions.Contains(rvoModalForm)) {
        Action = caFree;
        GiveBack();
        TqzRecordViewForm* f = FForm;
        FForm = nullptr;
        FControls.clear();
        FLabels.clear();
        f->RemoveFreeNotification(this);
        return;
    }
    GiveBack();
}

void TqzRecordViewDialog::Publish(TPublisher<TqzRecordViewDialog>& p) {
    p.Property("DataSource", &TqzRecordViewDialog::DataSource, &TqzRecordViewDialog::SetDataSource);
    p.Property("Style", &TqzRecordViewDialog::Style, &TqzRecordViewDialog::SetStyle);
    p.Property("Options", &TqzRecordViewDialog::Options, &TqzRecordViewDialog::SetOptions);
    p.Property("OKCancelOptions", &TqzRecordViewDialog::OKCancelOptions,
               &TqzRecordViewDialog::SetOKCancelOptions);
    p.Property("Caption", &TqzRecordViewDialog::Caption, &TqzRecordViewDialog::SetCaption);
    p.Property("ControlInfoInDataset", &TqzRecordViewDialog::ControlInfoInDataset,
               &TqzRecordViewDialog::SetControlInfoInDataset);
    p.Property("LinesPerMemoControl", &TqzRecordViewDialog::LinesPerMemoControl,
               &TqzRecordViewDialog::SetLinesPerMemoControl);
    p.Property("NavigatorFlat", &TqzRecordViewDialog::NavigatorFlat, &TqzRecordViewDialog::SetNavigatorFlat);
    p.Property("Selected", &TqzRecordViewDialog::Selected, &TqzRecordViewDialog::SetSelected);
    p.Property("ControlType", &TqzRecordViewDialog::ControlType, &TqzRecordViewDialog::SetControlType);
    p.Property("PictureMasks", &TqzRecordViewDialog::PictureMasks, &TqzRecordViewDialog::SetPictureMasks);
    p.Property("PictureMaskFromDataSet", &TqzRecordViewDialog::PictureMaskFromDataSet,
               &TqzRecordViewDialog::SetPictureMaskFromDataSet);
    p.Property("ControlOptions", &TqzRecordViewDialog::ControlOptions,
               &TqzRecordViewDialog::SetControlOptions);
    p.Property("BorderStyle", &TqzRecordViewDialog::BorderStyle, &TqzRecordViewDialog::SetBorderStyle);
    p.Property("Font", &TqzRecordViewDialog::Font, &TqzRecordViewDialog::SetFont);
    p.Property("LabelFont", &TqzRecordViewDialog::LabelFont, &TqzRecordViewDialog::SetLabelFont);
    p.Property("ReadOnlyColor", &TqzRecordViewDialog::ReadOnlyColor, &TqzRecordViewDialog::SetReadOnlyColor);
    p.Property("Menu", &TqzRecordViewDialog::Menu, &TqzRecordViewDialog::SetMenu);
    p.Property("Navigator", &TqzRecordViewDialog::Navigator, &TqzRecordViewDialog::SetNavigator);
    p.Property("NavigatorButtons", &TqzRecordViewDialog::NavigatorButtons,
               &TqzRecordViewDialog::SetNavigatorButtons);
    // Taken from stored forms and ignored: the buttons follow NavigatorButtons.
    p.Property(
        "NavigatorVisibleButtons", [](TqzRecordViewDialog&) { return TButtonSet(); },
        [](TqzRecordViewDialog&, TButtonSet) {});
    p.Property("Controller", &TqzRecordViewDialog::Controller, &TqzRecordViewDialog::SetController);
    p.Property("EditFrame", &TqzRecordViewDialog::EditFrame, &TqzRecordViewDialog::SetEditFrame);
    p.Property("FormPosition", [](TqzRecordViewDialog& d) { return &d.FormPosition; });
    p.Property("Margin", [](TqzRecordViewDialog& d) { return &d.Margin; });
    p.Property("EditSpacing", [](TqzRecordViewDialog& d) { return &d.EditSpacing; });
}

void TqzMargin::Publish(TPublisher<TqzMargin>& p) {
    p.Property("LeftOffset", &TqzMargin::LeftOffset, &TqzMargin::LeftOffset);
    p.Property("RightOffset", &TqzMargin::RightOffset, &TqzMargin::RightOffset);
    p.Property("TopOffset", &TqzMargin::TopOffset, &TqzMargin::TopOffset);
    p.Property("BottomOffset", &TqzMargin::BottomOffset, &TqzMargin::BottomOffset);
}

void TqzVertEditSpacing::Publish(TPublisher<TqzVertEditSpacing>& p) {
    p.Property("BetweenLabelEdit", &TqzVertEditSpacing::BetweenLabelEdit,
               &TqzVertEditSpacing::BetweenLabelEdit);
    p.Property("BetweenRow", &TqzVertEditSpacing::BetweenRow, &TqzVertEditSpacing::BetweenRow);
}

void TqzHorzEditSpacing::Publish(TPublisher<TqzHorzEditSpacing>& p) {
    using Self = TqzHorzEditSpacing;
    p.Property("BetweenLabelEdit", &Self::BetweenLabelEdit, &Self::BetweenLabelEdit);
    p.Property("BetweenEditsInRow", &Self::BetweenEditsInRow, &Self::BetweenEditsInRow);
    p.Property("BetweenRow", &Self::BetweenRow, &Self::BetweenRow);
    p.Property("LabelIndent", &Self::LabelIndent, &Self::LabelIndent);
}

void TqzEditSpacing::Publish(TPublisher<TqzEditSpacing>& p) {
    p.Property("HorizontalView", [](TqzEditSpacing& s) { return &s.HorizontalView; });
    p.Property("VerticalView", [](TqzEditSpacing& s) { return &s.VerticalView; });
}
