// The record view dialog, its form and companions, and both layouts.
#include "suite/data/qzrecordview.h"

#include <algorithm>

#include "platform/core/properties.h"
#include "platform/core/sysutils.h"
#include "platform/db/dataset.h"
#include "platform/db/datasource.h"
#include "platform/db/fields.h"
#include "platform/ui/application.h"
#include "platform/ui/class_registry.h"
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

std::vector<std::string> SplitParts(const std::string& Line, char Sep) {
    std::vector<std::string> parts;
    size_t start = 0;
    for (;;) {
        size_t p = Line.find(Sep, start);
        parts.push_back(Line.substr(start, p == std::string::npos ? std::string::npos : p - start));
        if (p == std::string::npos) break;
        start = p + 1;
    }
    return parts;
}

std::string LabelCaption(std::string Title) {
    std::replace(Title.begin(), Title.end(), '~', ' ');
    return Title;
}

bool IsModified(TControl* C) {
    if (auto* e = dynamic_cast<TCustomEdit*>(C)) return e->Modified();
    return false;
}

// Sets "DataSource" and "DataField" by name; False when either is missing.
bool BindByName(TControl* C, TDataSource* Source, const std::string& FieldName) {
    auto bind = [&](auto* c) {
        c->SetDataSource(Source);
        c->SetDataField(FieldName);
        return true;
    };
    // The lookup combo refuses its lookup table as the bound dataset.
    if (auto* l = dynamic_cast<TqzDBCustomLookupCombo*>(C)) return bind(l);
    if (auto* e = dynamic_cast<TqzDBCustomEdit*>(C)) return bind(e);
    if (auto* r = dynamic_cast<TqzDBRichEdit*>(C)) return bind(r);
    if (auto* i = dynamic_cast<TDBImage*>(C)) return bind(i);
    const TPropInfo* src = GetPropInfo(C, "DataSource");
    const TPropInfo* fld = GetPropInfo(C, "DataField");
    if (!src || !fld || src->Kind != tkClass) return false;
    SetObjectProp(C, src, Source);
    SetStrProp(C, fld, FieldName);
    return true;
}

bool IsDateField(TField* F) {
    const TFieldType t = F->DataType();
    return t == ftDate || t == ftTime || t == ftDateTime;
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

std::vector<TqzRecordViewDialog::TShownField> TqzRecordViewDialog::ShownFields() {
    TDataSet* ds = GetPrimaryDataSet();
    std::vector<TShownField> out;
    auto add = [&](TShownField f) {
        if (f.ReadOnly && FOptions.Contains(rvoHideReadOnly)) return;
        if (f.Field->Calculated() && FOptions.Contains(rvoHideCalculated)) return;
        out.push_back(std::move(f));
    };
    if (FSelected->Count() == 0) {
        for (int i = 0; i < ds->Fields()->Count(); ++i) {
            TField* f = ds->Fields()->Fields(i);
            add({f, f->DisplayWidth(), f->DisplayLabel(), f->ReadOnly()});
        }
        return out;
    }
    for (int i = 0; i < FSelected->Count(); ++i) {
        const std::vector<std::string> parts = SplitParts(FSelected->Strings(i), '\t');
        TField* f = ds->FindField(parts[0]);
        if (!f) continue;
        // A width that is not a number raises the conversion error.
        const int width = parts.size() > 1 ? StrToInt(parts[1]) : f->DisplayWidth();
        const std::string title = parts.size() > 2 ? parts[2] : f->DisplayLabel();
        const bool ro = (parts.size() > 3 && parts[3] == "T") || f->ReadOnly();
        add({f, width, title, ro});
    }
    return out;
}

bool TqzRecordViewDialog::IsCheckBoxField(TField* Field, std::string& Checked, std::string& Unchecked) {
    if (!FOptions.Contains(rvoUseCustomControls)) return false;
    TStrings* list = FControlType.get();
    if (FControlInfoInDataset)
        if (TStrings* own = qzGetControlType(GetPrimaryDataSet()); own && own->Count() > 0) list = own;
    for (int i = 0; i < list->Count(); ++i) {
        const std::vector<std::string> p = SplitParts(list->Strings(i), ';');
        if (p.size() >= 4 && p[0] == Field->FieldName() && p[1] == "CheckBox") {
            Checked = p[2];
            Unchecked = p[3];
            return true;
        }
    }
    return false;
}

TWinControl* TqzRecordViewDialog::CustomControlFor(TField* Field) {
    if (!FOptions.Contains(rvoUseCustomControls) || !Owner()) return nullptr;
    TStrings* list = FControlType.get();
    if (FControlInfoInDataset)
        if (TStrings* own = qzGetControlType(GetPrimaryDataSet()); own && own->Count() > 0) list = own;
    for (int i = 0; i < list->Count(); ++i) {
        const std::vector<std::string> p = SplitParts(list->Strings(i), ';');
        if (p.size() >= 3 && SameText(p[0], Field->FieldName()) && qzIsEditControlType(p[1]))
            return dynamic_cast<TWinControl*>(Owner()->FindComponent(p[2]));
    }
    return nullptr;
}

TLabel* TqzRecordViewDialog::MakeLabel(TField*, const std::string& Title, bool CheckBox) {
    TLabel* l = CheckBox && FOptions.Contains(rvoUseCustomControls) ? new TqzLabel(FForm) : new TLabel(FForm);
    l->SetParent(FForm->ScrollBox);
    l->Font()->Assign(FLabelFont.get());
    l->SetAutoSize(false);
    l->SetCaption(LabelCaption(Title));
    l->SetTransparent(FControlOptions.Contains(rvcTransparentLabels));
    FLastLabel = l;
    return l;
}

void TqzRecordViewDialog::ApplyPictureMask(TControl* Control, TField* Field) {
    auto* edit = dynamic_cast<TqzDBCustomEdit*>(Control);
    if (!edit) return;
    TObject* source = qzGetPictureMaskSource(this, GetPrimaryDataSet());
    bool flag2 = true, autoFill = true;
    std::string mask;
    qzGetPictureMask(source, Field->FieldName(), true, flag2, autoFill, mask);
    TqzDBPicture* picture = edit->Picture();
    // The edit holds the mask itself: reading the dataset's list on its own
    // would ignore the view's choice, and writing would change that list.
    picture->SetPictureMaskFromDataSet(false);
    picture->SetPictureMask(mask);
    picture->SetAutoFill(autoFill);
    picture->SetAllowInvalidExit(false);
}

TControl* TqzRecordViewDialog::MakeControl(const TShownField& F, TLabel* Label, int Left, int Top,
                                           int FormWidth, int MaxWidth, int LabelTextWidth) {
    TField* field = F.Field;
    const bool vertical = FStyle == rvsVertical;
    auto clamp = [&](TControl* c) {
        if (FOptions.Contains(rvoShortenEditBox) && c->Width() > MaxWidth) c->SetWidth(MaxWidth);
        if (FOptions.Contains(rvoConsistentEditWidth) && c->Width() < MaxWidth) c->SetWidth(MaxWidth);
    };
    std::string checked, unchecked;
    if (IsCheckBoxField(field, checked, unchecked)) {
        auto* cb = new TqzDBCheckBox(FForm);
        cb->Label = dynamic_cast<TqzLabel*>(Label);
        Label->SetFocusControl(cb);
        cb->SetParent(FForm->ScrollBox);
        cb->SetDataSource(DataSource());
        cb->SetDataField(field->FieldName());
        cb->SetCaption("");
        cb->SetValueChecked(checked);
        cb->SetValueUnchecked(unchecked);
        cb->SetBounds(Left, Top, 17, cb->Height());
        if (F.ReadOnly || field->Calculated()) cb->SetTabStop(false);
        FControls.push_back(cb);
        DoAfterCreateControl(field, cb);
        return cb;
    }
    if (TWinControl* custom = CustomControlFor(field)) {
        TqzCustomControlItem item;
        item.Control = custom;
        item.Left = custom->Left();
        item.Top = custom->Top();
        item.Width = custom->Width();
        item.Height = custom->Height();
        item.Parent = custom->Parent();
        item.Ctl3D = custom->Ctl3D();
        if (TqzButtonEffects* effects = qzGetControlButtonEffects(custom)) {
            item.ButtonsFlat = effects->Flat();
            item.ButtonsTransparent = effects->Transparent();
        }
        if (item.Parent) item.Parent->FreeNotification(this);
        custom->FreeNotification(this);
        FBorrowed.push_back(item);
        Label->SetFocusControl(custom);
        custom->SetParent(FForm->ScrollBox);
        custom->SetVisible(true);
        if (!BindByName(custom, DataSource(), field->FieldName())) return nullptr;
        if (auto* lookup = dynamic_cast<TqzDBCustomLookupCombo*>(custom);
            lookup && field->FieldKind() == fkData)
            lookup->RefreshDisplayText();
        custom->SetCtl3D(true);
        {
            TqzEditFrame* frame = qzGetControlEditFrame(custom);
            if (!(frame && frame->Enabled()))
                if (const TPropInfo* bs = GetPropInfo(custom, "BorderStyle"); bs && bs->SetOrd)
                    SetOrdProp(custom, bs, bsSingle);
        }
        int w = StandardWidth(F.Width);
        if (dynamic_cast<TqzCustomRichEdit*>(custom))
            w = FormWidth - FControlLeft - (FFrameAllowance + Margin.RightOffset);
        else if (FOptions.Contains(rvoSetControlMinWidth) && LabelTextWidth > w)
            w = LabelTextWidth + 1;
        custom->SetBounds(Left, Top, w, custom->Height());
        clamp(custom);
        FControls.push_back(custom);
        DoAfterCreateControl(field, custom);
        clamp(custom);
        return custom;
    }
    TControl* c;
    if (IsDateField(field) && FOptions.Contains(rvoUseDateTimePicker))
        c = new TqzDBDateTimePicker(FForm);
    else if (qzIsRichTextField(field, true))
        c = new TqzDBRichEdit(FForm);
    else if (field->DataType() == ftMemo)
        c = new TqzDBEditMemo(FForm);
    else if (field->DataType() == ftGraphic)
        c = new TDBImage(FForm);
    else
        c = CreateDefaultEditControl(FForm);
    if (auto* w = dynamic_cast<TWinControl*>(c)) Label->SetFocusControl(w);
    c->SetParent(FForm->ScrollBox);
    if (!BindByName(c, DataSource(), field->FieldName())) return nullptr;
    auto* win = dynamic_cast<TWinControl*>(c);
    if (F.ReadOnly) {
        c->SetColor(FReadOnlyColor);
        if (win) win->SetTabStop(false);
        c->SetEnabled(false);
    } else if (field->Calculated()) {
        c->SetColor(FReadOnlyColor);
        if (win) win->SetTabStop(false);
    }
    if (auto* e = dynamic_cast<TqzDBEdit*>(c);
        e && field->DataType() == ftString && field->EditMask().empty())
        e->SetMaxLength(field->Size());
    ApplyPictureMask(c, field);
    int width = StandardWidth(F.Width);
    const bool single = IsSingleLineControl(c);
    if (!single && FOptions.Contains(rvoMaximizeMemoWidth)) {
        width = FormWidth - FControlLeft - (FFrameAllowance + Margin.RightOffset);
        if (!vertical) {
            Left = FControlLeft;
            width = std::max(width, MaxWidth);
        }
    }
    if (auto* p = dynamic_cast<TqzDBDateTimePicker*>(c)) width += p->ButtonWidth();
    if (!vertical && FOptions.Contains(rvoSetControlMinWidth) && width < LabelTextWidth)
        width = LabelTextWidth + 1;
    if (FOptions.Contains(rvoEnterToTab))
        if (auto* m = dynamic_cast<TqzDBEditMemo*>(c)) m->SetWantReturns(false);
    int height = c->Height();
    if (!single) {
        FForm->Canvas()->Font()->Assign(FFont.get());
        height = FForm->Canvas()->TextHeight("0") * FLinesPerMemoControl + 8;
    }
    c->SetBounds(Left, Top, width, height);
    FControls.push_back(c);
    DoAfterCreateControl(field, c);
    clamp(c);
    return c;
}

int TqzRecordViewDialog::ShowMenu() {
    if (!FMenu || FMenu->Items()->Count() == 0) return 0;
    TCustomForm* before = FMenu->Form();
    if (before != FForm) {
        FMenuForm = before;
        if (FMenuForm) FMenuForm->FreeNotification(this);
    }
    FMenu->SetForm(FForm);
    FMenuShown = true;
    // The bar as this platform draws it, whatever the border.
    return FMenu->BarHeight();
}

void TqzRecordViewDialog::LayoutVertical(const std::vector<TShownField>& Fields) {
    const TRect work = Screen->WorkAreaRect();
    const TqzVertEditSpacing& sp = EditSpacing.VerticalView;
    int top = Margin.TopOffset;
    const int navWidth = FForm->Navigator ? FForm->Navigator->Width() : 0;
    const int buttonsHeight = FForm->UserPanel ? FForm->UserPanel->Height() : 0;
    int labelWidth = 0, widestStandard = 0;
    FForm->Canvas()->Font()->Assign(FLabelFont.get());
    for (const TShownField& f : Fields)
        labelWidth = std::max(labelWidth, FForm->Canvas()->TextWidth(f.Title));
    for (const TShownField& f : Fields) widestStandard = std::max(widestStandard, StandardWidth(f.Width));
    FControlLeft = Margin.LeftOffset + labelWidth + sp.BetweenLabelEdit;
    const int panelLeft = FForm->RecordPanel->Left(), boxLeft = 6;
    int w = FormPosition.Width() < 1 ? panelLeft + boxLeft + FControlLeft + widestStandard +
                                           (FFrameAllowance - 6) + Margin.RightOffset
                                     : FormPosition.Width();
    w = std::max(w, (FFrameAllowance - 6) + navWidth + Margin.RightOffset);
    const int formWidth = std::min(w, work.Width() - (FFrameAllowance - 6 + Margin.RightOffset));
    FForm->SetWidth(formWidth);
    const int maxWidth = formWidth - (FFrameAllowance + Margin.RightOffset + FControlLeft);
    TControl* last = nullptr;
    for (const TShownField& f : Fields) {
        bool accept = true;
        DoBeforeCreateControl(f.Field, accept);
        if (!accept) continue;
        std::string on, off;
        const bool check = IsCheckBoxField(f.Field, on, off);
        TLabel* l = MakeLabel(f.Field, f.Title, check);
        l->SetBounds(Margin.LeftOffset, top + (check ? 1 : 4), labelWidth, l->Height());
        l->SetAlignment(taRightJustify);
        DoAfterCreateControl(f.Field, l);
        TControl* c = MakeControl(f, l, FControlLeft, top, formWidth, maxWidth, 0);
        if (!c) continue;
        top += c->Height() + sp.BetweenRow;
        last = c;
    }
    const int content = top + Margin.BottomOffset - sp.BetweenRow;
    FComputedHeight = GetSystemMetrics(SM_CYCAPTION) + FForm->RecordPanel->Top() + content + FFrameAllowance +
                      buttonsHeight + ShowMenu();
    int h = FComputedHeight;
    if (FormPosition.Height() > 0) h = std::min(h, FormPosition.Height());
    h = std::min(h, work.Height() - 12);
    FForm->SetHeight(h);
    const bool cut = h < FComputedHeight && h == work.Height() - 12;
    TScrollBox* box = FForm->ScrollBox;
    box->VertScrollBar()->SetIncrement((last ? last->Height() : 0) + sp.BetweenRow);
    box->VertScrollBar()->SetRange(content);
    // Room for the vertical bar when the content is taller than the panel.
    if (FForm->RecordPanel->Height() - 12 < content)
        FForm->SetWidth(FForm->Width() + GetSystemMetrics(SM_CXHTHUMB));
    int widest = 0;
    for (TControl* c : FControls) widest = std::max(widest, c->Width());
    const int needed =
        panelLeft + boxLeft + FControlLeft + widest + (FFrameAllowance - 6) + Margin.RightOffset;
    if (FForm->Width() > work.Width()) FForm->SetWidth(work.Width());
    if (needed > FForm->Width()) FForm->SetHeight(FForm->Height() + GetSystemMetrics(SM_CYVTHUMB));
    int range =
        FOptions.Contains(rvoConsistentEditWidth) ? widest : FControlLeft + widest + Margin.RightOffset;
    if (cut) range -= GetSystemMetrics(SM_CXHTHUMB);
    box->HorzScrollBar()->SetRange(range);
}

void TqzRecordViewDialog::LayoutHorizontal(const std::vector<TShownField>& Fields) {
    const TRect work = Screen->WorkAreaRect();
    const TqzHorzEditSpacing& sp = EditSpacing.HorizontalView;
    int top = Margin.TopOffset;
    FControlLeft = Margin.LeftOffset;
    const int navWidth = FForm->Navigator ? FForm->Navigator->Width() : 0;
    const int buttonsHeight = FForm->UserPanel ? FForm->UserPanel->Height() : 0;
    int widestStandard = 0;
    for (const TShownField& f : Fields) widestStandard = std::max(widestStandard, StandardWidth(f.Width));
    const int panelLeft = FForm->RecordPanel->Left(), boxLeft = 6;
    int w;
    if (FormPosition.Width() < 1) {
        w = panelLeft + boxLeft + FControlLeft + widestStandard + (FFrameAllowance - 6) + Margin.RightOffset;
        w = std::max({w, (FFrameAllowance - 6) + navWidth + Margin.RightOffset, 400});
    } else {
        w = std::max(FormPosition.Width(), (FFrameAllowance - 6) + navWidth + Margin.RightOffset);
    }
    const int formWidth = std::min(w, work.Width() - (FFrameAllowance - 6 + Margin.RightOffset));
    FForm->SetWidth(formWidth);
    const int rowLimit = formWidth - boxLeft - (FFrameAllowance + Margin.RightOffset + FControlLeft);
    int x = 0, rowTallest = 0, widestRowEnd = 0, labelHeight = 0;
    for (const TShownField& f : Fields) {
        FForm->Canvas()->Font()->Assign(FLabelFont.get());
        const int labelText = FForm->Canvas()->TextWidth(f.Title);
        const bool wide = FOptions.Contains(rvoMaximizeMemoWidth) &&
                          (f.Field->IsBlob() || dynamic_cast<TqzCustomRichEdit*>(CustomControlFor(f.Field)));
        const int estimated = wide ? rowLimit : StandardWidth(f.Width);
        if (x > 0 && std::max(estimated, sp.LabelIndent + labelText) + sp.BetweenEditsInRow + x > rowLimit) {
            x = 0;
            top += sp.BetweenLabelEdit + sp.BetweenRow + rowTallest + labelHeight;
            rowTallest = 0;
        }
        bool accept = true;
        DoBeforeCreateControl(f.Field, accept);
        if (!accept) continue;
        std::string on, off;
        TLabel* l = MakeLabel(f.Field, f.Title, IsCheckBoxField(f.Field, on, off));
        l->SetBounds(Margin.LeftOffset + x + sp.LabelIndent, top, labelText, l->Height());
        l->SetAlignment(taLeftJustify);
        labelHeight = l->Height();
        DoAfterCreateControl(f.Field, l);
        const int span = l->Width() + sp.LabelIndent;
        TControl* c = MakeControl(f, l, FControlLeft + x, top + sp.BetweenLabelEdit + labelHeight, formWidth,
                                  rowLimit, labelText);
        if (!c) continue;
        if (dynamic_cast<TqzDBCheckBox*>(c) && rowTallest > 0) c->SetHeight(rowTallest);
        rowTallest = std::max(rowTallest, c->Height());
        x = std::max(c->Width(), span) + x + sp.BetweenEditsInRow;
        widestRowEnd = std::max(widestRowEnd, x);
    }
    const int content = sp.BetweenLabelEdit + top + rowTallest + labelHeight + Margin.BottomOffset;
    FComputedHeight = GetSystemMetrics(SM_CYCAPTION) + FForm->RecordPanel->Top() + content + FFrameAllowance +
                      buttonsHeight + ShowMenu();
    int h = FComputedHeight;
    if (FormPosition.Height() > 0) h = std::min(h, FormPosition.Height());
    h = std::min(h, work.Height() - 12);
    FForm->SetHeight(h);
    TScrollBox* box = FForm->ScrollBox;
    box->VertScrollBar()->SetIncrement(rowTallest + sp.BetweenRow);
    box->VertScrollBar()->SetRange(content);
    const int needed =
        panelLeft + boxLeft + FControlLeft + widestRowEnd + (FFrameAllowance - 6) + Margin.RightOffset;
    if (needed <= work.Width()) {
        // The rows' width, never below the 400 of a computed width.
        int fit = needed;
        if (FormPosition.Width() < 1) fit = std::max(fit, 400);
        if (FForm->RecordPanel->Height() - 12 < content) fit += GetSystemMetrics(SM_CXHTHUMB);
        FForm->SetWidth(fit);
    } else {
        FForm->SetHeight(FForm->Height() + GetSystemMetrics(SM_CYVTHUMB));
    }
    int widest = 0;
    for (TControl* c : FControls) widest = std::max(widest, c->Width());
    box->HorzScrollBar()->SetRange(FControlLeft + widest + Margin.RightOffset);
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

    if (!FOptions.Contains(rvoHideNavigator)) {
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
    if (FOKCancelOptions.Contains(rvokShowOKCancel)) {
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
    p.Property("Controller", &TqzRecordViewDialog::Controller, &TqzRecordViewDialog::SetController);
    p.Property("EditFrame", &TqzRecordViewDialog::EditFrame, &TqzRecordViewDialog::SetEditFrame);
}
