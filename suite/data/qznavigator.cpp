// The navigator button's state, glyph, click and repeat timer; the button list's add,
// hide and layout; and the navigator's data link and button states.
#include "suite/data/qznavigator.h"
#include "suite/data/qzrecordview.h"

#include <algorithm>

#include "platform/core/exceptions.h"
#include "platform/core/properties.h"
#include "platform/core/sysutils.h"
#include "platform/db/dataset.h"
#include "platform/ui/class_registry.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/imagelist.h"
#include "platform/ui/messages.h"
#include "platform/ui/stdctrls.h"
#include "platform/ui/timer.h"
#include "platform/ui/window_services.h"
#include "suite/base/qzintl.h"
#include "suite/base/qzproputils.h"
#include "suite/data/qzfilterdialog.h"
#include "suite/data/qzlocate.h"
#include "suite/data/qzlookupdlg.h"

std::string qzNavStyleStem(TqzNavButtonStyle Style) { return EnumInfoOf(Style).NameOf(Style).substr(3); }

namespace {

bool IsDialogStyle(TqzNavButtonStyle S) { return S >= nbsFilterDialog && S <= nbsSearchDialog; }

bool IsRepeatStyle(TqzNavButtonStyle S) {
    return S == nbsFirst || S == nbsPrior || S == nbsNext || S == nbsLast || S == nbsPriorPage ||
           S == nbsNextPage;
}

const TqzNavButtonStyle kDefaultStyles[] = {
    nbsFirst,  nbsPriorPage, nbsPrior, nbsNext,   nbsNextPage, nbsLast,         nbsInsert,
    nbsDelete, nbsEdit,      nbsPost,  nbsCancel, nbsRefresh,  nbsSaveBookmark, nbsRestoreBookmark};

}  // namespace

// ---- Data links ----------------------------------------------------------------------------------

class TqzNavDataLink : public TDataLink {
public:
    // A control: quiet while the dataset's controls are disabled.
    explicit TqzNavDataLink(TqzDBNavigator* Navigator) : FNavigator(Navigator) { SetVisualControl(true); }

protected:
    void ActiveChanged() override { FNavigator->ActiveChanged(); }
    void DataSetChanged() override { FNavigator->DataSetChanged(); }
    void EditingChanged() override { FNavigator->EditingChanged(); }

private:
    TqzDBNavigator* FNavigator;
};

// Watches a dataset with a saved bookmark: the entry dies when the dataset
// closes or goes away, so the bookmark never meets a reopened or freed one.
struct TqzNavBookmark {
    class TWatch : public TDataLink {
    public:
        explicit TWatch(TqzNavBookmark* Entry) : FEntry(Entry) {}

    protected:
        void ActiveChanged() override {
            if (!Active()) FEntry->Dead = true;
            if (FEntry->Navigator) FEntry->Navigator->Buttons()->UpdateButtonStates(usOther);
        }

    private:
        TqzNavBookmark* FEntry;
    };

    TqzNavBookmark(TqzDBNavigator* Nav, TDataSet* DS, const TBookmark& B)
        : Navigator(Nav), DataSet(DS), Component(DS), Bookmark(B), Source(nullptr), Watch(this) {
        Source.SetDataSet(DS);
        Watch.SetDataSource(&Source);
    }
    ~TqzNavBookmark() {
        Navigator = nullptr;
        Watch.SetDataSource(nullptr);
    }
    TqzDBNavigator* Navigator;
    TDataSet* DataSet;
    // The dataset as the component whose free the navigator hears of.
    TComponent* Component;
    TBookmark Bookmark;
    bool Dead = false;
    TDataSource Source;
    TWatch Watch;
};

// ---- TqzNavButton --------------------------------------------------------------------------------

TqzNavButton::TqzNavButton(TComponent* AOwner) : TqzSpeedButton(AOwner) {
    SetShowHint(true);
    SetDefaultGlyph();
    SetHint(GetDefaultHint());
}

TqzNavButton::~TqzNavButton() {
    FreeRepeatTimer();
    if (FButtons) FButtons->Remove(this);
    SetDialog(nullptr);
}

TqzNavButtons* TqzNavButton::GetButtons() const {
    if (FButtons) return FButtons;
    if (auto* nav = dynamic_cast<TqzDBNavigator*>(Parent())) return nav->Buttons();
    return nullptr;
}

TqzDBNavigator* TqzNavButton::GetNavigator() const {
    if (auto* nav = dynamic_cast<TqzDBNavigator*>(Parent())) return nav;
    return FButtons ? FButtons->Navigator() : nullptr;
}

void TqzNavButton::SetParent(TWinControl* AParent) {
    if (AParent && !dynamic_cast<TqzDBNavigator*>(AParent)) {
        MessageDlg("Parent of TqzNavButton must be TqzDBNavigator " + AParent->Name(), mtError,
                   TMsgDlgButtons{mbOK}, 0);
        throw EAbort("");
    }
    TqzSpeedButton::SetParent(AParent);
}

int TqzNavButton::GetIndex() const {
    TqzNavButtons* b = GetButtons();
    const int i = b ? b->IndexOf(this) : -1;
    if (i < 0) throw EInvalidOperation("Button parameter of RetrieveIndex not in Buttons list");
    return i;
}

void TqzNavButton::SetIndex(int Value) {
    TqzNavButtons* b = GetButtons();
    if (!b) return;
    b->Move(this, Value);
    if (TqzDBNavigator* nav = GetNavigator(); nav && !nav->ComponentState().Contains(csLoading)) b->Refresh();
}

void TqzNavButton::SetLineBreak(bool Value) {
    if (Value == FLineBreak) return;
    FLineBreak = Value;
    if (TqzNavButtons* b = GetButtons()) b->Refresh();
}

int TqzNavButton::GetImageIndex() const {
    return FOwnImageIndex >= 0 ? FOwnImageIndex : TqzSpeedButton::GetImageIndex();
}

void TqzNavButton::SetImageIndex(int Value) {
    FOwnImageIndex = Value;
    if (Value < 0) {
        SetDefaultGlyph();
        return;
    }
    TqzDBNavigator* nav = GetNavigator();
    SetImages(nav ? nav->ImageList() : nullptr);
    SetNumGlyphs(1);
    TqzSpeedButton::SetImageIndex(Value);
}

void TqzNavButton::SetDefaultGlyph() {
    if (FOwnImageIndex >= 0) return;
    if (FStyle == nbsCustom) {
        SetImages(nullptr);
        TqzSpeedButton::SetImageIndex(-1);
        return;
    }
    SetImages(qzNavGlyphs());
    SetNumGlyphs(2);
    TqzSpeedButton::SetImageIndex(2 * FStyle);
}

std::string TqzNavButton::GetDefaultHint() {
    TqzDBNavigator* nav = GetNavigator();
    const bool intl = nav && nav->Options().Contains(noUseInternationalText);
    if (!Hint().empty() && !intl) return Hint();
    if (FStyle == nbsCustom) return Hint();
    std::string text;
    TObject* hints = qzIntl() ? qzIntl()->Navigator()->Hints() : nullptr;
    const std::string prop = qzNavStyleStem(FStyle) + "Hint";
    if (hints && IsPublishedProp(hints, prop)) text = GetStrProp(hints, prop);
    if (FStyle == nbsPriorPage || FStyle == nbsNextPage) text = Format(text, nav ? nav->MoveBy() : 10);
    return text;
}

void TqzNavButton::SetStyle(TqzNavButtonStyle Value) {
    const bool changed = Value != FStyle;
    FStyle = Value;
    SetDefaultGlyph();
    if (changed && FStyle != nbsCustom) SetHint("");
    SetHint(GetDefaultHint());
    UpdateState(usOther);
}

void TqzNavButton::SetDialog(TqzCustomDialog* Value) {
    if (Value == FDialog) return;
    if (FDialog) {
        FDialog->RemoveFreeNotification(this);
        if (FOwnsDialog) {
            TqzCustomDialog* old = FDialog;
            FDialog = nullptr;
            delete old;
        }
    }
    FDialog = Value;
    FOwnsDialog = false;
    if (FDialog) {
        FDialog->FreeNotification(this);
        const int s = EnumInfoOf(nbsFirst).ValueOf("nbs" + FDialog->ClassName().substr(3));
        if (s >= 0) FStyle = static_cast<TqzNavButtonStyle>(s);
        SetDefaultGlyph();
    }
    if (!ComponentState().Contains(csDestroying)) UpdateState(usOther);
}

void TqzNavButton::Notification(TComponent* AComponent, TOperation Operation) {
    TqzSpeedButton::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FDialog) {
        FDialog = nullptr;
        FOwnsDialog = false;
    }
}

bool TqzNavButton::FitsInNavigator() const {
    TqzDBNavigator* nav = GetNavigator();
    return nav && Left() + Width() <= nav->ClientWidth() && Top() + Height() <= nav->ClientHeight();
}

void TqzNavButton::RepaintTransparent() {
    TqzDBNavigator* nav = GetNavigator();
    if (nav && nav->Parent() && nav->IsTransparent() && !nav->TransparentClearsBackground()) {
        TRect r = BoundsRect();
        OffsetRect(r, nav->Left(), nav->Top());
        InvalidateRect(nav->Parent(), &r, true);
    }
    TqzSpeedButton::Invalidate();
}

bool TqzNavButton::EnabledByRule() const {
    TqzDBNavigator* nav = GetNavigator();
    if (!nav) return false;
    TDataSet* ds = nav->GetDataSet(false);
    if (!ds || !nav->LinkActive()) return false;
    const bool modifiable = ds->CanModify();
    const bool editing = nav->LinkEditing();
    switch (FStyle) {
    case nbsFirst:
    case nbsPrior:
    case nbsPriorPage: return !ds->Bof();
    case nbsNext:
    case nbsLast:
    case nbsNextPage: return !ds->Eof();
    case nbsInsert:
    case nbsRefresh: return modifiable;
    case nbsDelete: return modifiable && !(ds->Bof() && ds->Eof());
    case nbsEdit: return modifiable && !editing;
    case nbsPost:
    case nbsCancel: return modifiable && editing;
    case nbsSaveBookmark: return true;
    case nbsRestoreBookmark: return !nav->SavedBookmark(ds).empty();
    case nbsFilterDialog:
    case nbsRecordViewDialog:
    case nbsLocateDialog:
    case nbsSearchDialog:
        // A button whose dialog class is not registered could only fail.
        if (!FDialog) return FindComponentClass("Tqz" + qzNavStyleStem(FStyle)) != nullptr;
        return FDialog->GetPrimaryDataSet() != nullptr;
    case nbsCustom: return Enabled();
    }
    return false;
}

void TqzNavButton::UpdateState(TqzUpdateCause Cause) {
    const bool before = Enabled();
    if (FOnUpdateState.Assigned()) FOnUpdateState(GetNavigator(), this, Cause);
    if (Cause == usDataChanged && FOnRowChanged.Assigned()) FOnRowChanged(this);
    if (Enabled() != before || FStyle == nbsCustom) return;
    if (FStyle == nbsRestoreBookmark && Cause == usEditingChanged) return;
    SetEnabled(EnabledByRule());
}

TqzCustomDialog* TqzNavButton::FindOrCreateDialog() {
    if (FDialog) return FDialog;
    if (ComponentState().Contains(csDesigning)) return nullptr;
    TqzDBNavigator* nav = GetNavigator();
    TDataSet* ds = nav->GetDataSet(true);
    const std::string className = "Tqz" + qzNavStyleStem(FStyle);
    TComponent* container = FStyle == nbsFilterDialog ? static_cast<TComponent*>(ds) : nav;
    const TClass* cls = GetComponentClass(className);
    for (int i = 0; i < container->ComponentCount(); ++i) {
        auto* d = dynamic_cast<TqzCustomDialog*>(container->Components(i));
        if (d && d->GetPrimaryDataSet() == ds && d->ClassType()->InheritsFrom(cls)) {
            SetDialog(d);
            return d;
        }
    }
    auto* dialog = dynamic_cast<TqzCustomDialog*>(CreateComponentOfClass(className, container));
    if (!dialog) return nullptr;
    const char* prop = dialog->InheritsFrom("TqzSearchDialog") ? "SearchTable" : "DataSource";
    if (const TPropInfo* info = GetPropInfo(dialog, prop); info && info->Kind == tkClass) {
        if (std::string(prop) == "SearchTable")
            SetObjectProp(dialog, info, ds);
        else
            SetObjectProp(dialog, info, nav->DataSource());
    }
    SetDialog(dialog);
    if (FOnAfterCreateDialog.Assigned()) FOnAfterCreateDialog(dialog);
    return dialog;
}

void TqzNavButton::Click() {
    // OnClick first; it may free the button or its navigator
    if (!RunWhileAlive(this, [this] { TqzSpeedButton::Click(); })) return;
    TqzDBNavigator* nav = GetNavigator();
    if (!nav || FStyle == nbsCustom) return;
    TDataSet* ds = nav->GetDataSet(true);
    switch (FStyle) {
    case nbsFirst: ds->First(); break;
    case nbsPrior: ds->Prior(); break;
    case nbsNext: ds->Next(); break;
    case nbsLast: ds->Last(); break;
    case nbsInsert: ds->Insert(); break;
    case nbsDelete:
        // an empty dataset refuses without a question first
        if (nav->Options().Contains(noConfirmDelete) && !ds->IsEmpty() &&
            MessageDlg(qzIntl()->Navigator()->ConfirmDeleteMessage(), mtConfirmation,
                       TMsgDlgButtons{mbOK, mbCancel}, 0) == mrCancel)
            break;
        ds->Delete();
        break;
    case nbsEdit: ds->Edit(); break;
    case nbsPost: ds->Post(); break;
    case nbsCancel: ds->Cancel(); break;
    case nbsRefresh: ds->Refresh(); break;
    case nbsPriorPage: ds->MoveBy(-std::abs(nav->MoveBy())); break;
    case nbsNextPage: ds->MoveBy(std::abs(nav->MoveBy())); break;
    case nbsSaveBookmark: nav->SaveBookmark(ds); break;
    case nbsRestoreBookmark: {
        const TBookmark b = nav->SavedBookmark(ds);
        if (!b.empty()) ds->GotoBookmark(b);
        break;
    }
    default:
        if (TqzCustomDialog* d = FindOrCreateDialog()) d->Execute();
        break;
    }
}

void TqzNavButton::FreeRepeatTimer() {
    delete FRepeatTimer;
    FRepeatTimer = nullptr;
}

void TqzNavButton::StartRepeatTimer() {
    FreeRepeatTimer();
    TqzDBNavigator* nav = GetNavigator();
    FRepeatTimer = new TTimer(nullptr);
    FRepeatTimer->SetInterval(static_cast<unsigned>(nav ? nav->RepeatInterval()->InitialDelay() : 500));
    FRepeatTimer->SetOnTimer(TNotifyEvent(this, &TqzNavButton::RepeatTimerTick));
    FRepeatTimer->SetEnabled(true);
}

void TqzNavButton::RepeatTimerTick(TObject*) {
    if (!FMouseHeld) {
        FRepeatTimer->SetEnabled(false);
        return;
    }
    TqzDBNavigator* nav = GetNavigator();
    FRepeatTimer->SetInterval(static_cast<unsigned>(nav ? nav->RepeatInterval()->Interval() : 100));
    if (Enabled()) Click();
}

void TqzNavButton::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    TqzSpeedButton::MouseDown(Button, Shift, X, Y);
    if (Button == mbLeft && Enabled() && IsRepeatStyle(FStyle)) StartRepeatTimer();
}

void TqzNavButton::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
    if (Button == mbLeft) FreeRepeatTimer();
    TqzSpeedButton::MouseUp(Button, Shift, X, Y);
}

void TqzNavButton::MouseEntered() {
    if (FMouseHeld && !FRepeatTimer && Enabled() && IsRepeatStyle(FStyle)) StartRepeatTimer();
}

void TqzNavButton::MouseLeft() { FreeRepeatTimer(); }

void TqzNavButton::Publish(TPublisher<TqzNavButton>& p) {
    p.Property("Style", &TqzNavButton::Style, &TqzNavButton::SetStyle);
    p.Property("Dialog", &TqzNavButton::Dialog, &TqzNavButton::SetDialog);
    p.Property("LineBreak", &TqzNavButton::LineBreak, &TqzNavButton::SetLineBreak);
    p.Property("Index", &TqzNavButton::GetIndex, &TqzNavButton::SetIndex);
    p.Property("OnAfterCreateDialog", &TqzNavButton::OnAfterCreateDialog,
               &TqzNavButton::SetOnAfterCreateDialog);
    p.Property("OnRowChanged", &TqzNavButton::OnRowChanged, &TqzNavButton::SetOnRowChanged);
    p.Property("OnUpdateState", &TqzNavButton::OnUpdateState, &TqzNavButton::SetOnUpdateState);
}

// ---- TqzNavButtons -------------------------------------------------------------------------------

TqzNavButtons::TqzNavButtons(TqzDBNavigator* Navigator) : FNavigator(Navigator) {}

int TqzNavButtons::IndexOf(const TqzNavButton* Button) const {
    auto it = std::find(FList.begin(), FList.end(), Button);
    return it == FList.end() ? -1 : static_cast<int>(it - FList.begin());
}

void TqzNavButtons::Move(TqzNavButton* Button, int Index) {
    const int at = IndexOf(Button);
    if (at < 0) return;
    FList.erase(FList.begin() + at);
    Index = std::clamp(Index, 0, static_cast<int>(FList.size()));
    FList.insert(FList.begin() + Index, Button);
}

void TqzNavButtons::Remove(TqzNavButton* Button) {
    FList.erase(std::remove(FList.begin(), FList.end(), Button), FList.end());
}

bool TqzNavButtons::IsHidden(const TqzNavButton* Button) const {
    return !Button->Visible() && !FNavigator->ComponentState().Contains(csDesigning);
}

TqzNavButton* TqzNavButtons::LowestButton(int& Bottom) const {
    TqzNavButton* best = nullptr;
    Bottom = 0;
    for (TqzNavButton* b : FList)
        if (!IsHidden(b) && b->Top() + b->Height() >= Bottom) {
            Bottom = b->Top() + b->Height();
            best = b;
        }
    return best;
}

TqzNavButton* TqzNavButtons::RightmostButton(int& Right) const {
    TqzNavButton* best = nullptr;
    Right = 0;
    for (TqzNavButton* b : FList)
        if (!IsHidden(b) && b->Left() + b->Width() >= Right) {
            Right = b->Left() + b->Width();
            best = b;
        }
    return best;
}

TqzNavButton* TqzNavButtons::Items(int Index) const {
    if (Index < 0 || Index >= Count()) throw EInvalidOperation("Index of Buttons[] out of range");
    return FList[static_cast<size_t>(Index)];
}

int TqzNavButtons::VisibleCount() const {
    int n = 0;
    for (TqzNavButton* b : FList)
        if (!IsHidden(b)) ++n;
    return n;
}

TqzNavButton* TqzNavButtons::VisibleButtons(int Index) const {
    int n = 0;
    for (TqzNavButton* b : FList)
        if (!IsHidden(b) && n++ == Index) return b;
    throw EInvalidOperation("Index of VisibleButtons[] out of range");
}

TqzNavButton* TqzNavButtons::ButtonOfStyle(TqzNavButtonStyle Style) const {
    for (TqzNavButton* b : FList)
        if (b->Style() == Style) return b;
    return nullptr;
}

void TqzNavButtons::ShowStyle(TqzNavButtonStyle Style) {
    if (TqzNavButton* b = ButtonOfStyle(Style)) {
        b->SetVisible(true);
        return;
    }
    AddButton(Style)->SetIndex(Style);
}

void TqzNavButtons::HideStyle(TqzNavButtonStyle Style) {
    for (TqzNavButton* b : FList)
        if (b->Style() == Style) b->SetVisible(false);
}

TqzNavButton* TqzNavButtons::AddButton(TqzNavButtonStyle Style, TqzCustomDialog* Dialog) {
    BeginUpdate();
    TComponent* owner = FNavigator->Owner() ? FNavigator->Owner() : FNavigator;
    auto* b = new TqzNavButton(owner);
    b->FButtons = this;
    FList.push_back(b);
    b->SetParent(FNavigator);
    b->SetStyle(Style);
    b->SetFlat(FNavigator->Flat());
    b->SetTransparent(FNavigator->Transparent());
    if (IsDialogStyle(Style)) b->SetDialog(Dialog);
    b->SetHint(b->GetDefaultHint());
    b->UpdateState(usOther);
    EndUpdate();
    Arrange();
    if (!b->FitsInNavigator()) {
        if (FNavigator->AutosizeStyle() != asSizeNavigator) {
            FNavigator->AutoSizeNavigator();
        } else if (FNavigator->Layout() == nlVertical) {
            FNavigator->SetWidth(
                std::max(FNavigator->Width(), b->Left() + b->Width() + FNavigator->BorderInset()));
        } else {
            FNavigator->SetHeight(
                std::max(FNavigator->Height(), b->Top() + b->Height() + FNavigator->BorderInset()));
        }
    }
    return b;
}

void TqzNavButtons::AddDialogButtons() {
    for (int s = nbsFilterDialog; s <= nbsSearchDialog; ++s) AddButton(static_cast<TqzNavButtonStyle>(s));
    Refresh();
}

void TqzNavButtons::Clear() {
    while (!FList.empty()) delete FList.back();
}

void TqzNavButtons::AddDefaultButtons() {
    // Laid out once all are there: an unsized navigator would wrap each.
    BeginUpdate();
    try {
        for (TqzNavButtonStyle s : kDefaultStyles) AddButton(s);
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
    if (FNavigator->Width() == 1 && !FList.empty())
        FNavigator->SetBounds(FNavigator->Left(), FNavigator->Top(), FNavigator->ButtonsWidth(),
                              FList.front()->Height());
    Refresh();
}

void TqzNavButtons::Refresh() {
    if (FNavigator->AutosizeStyle() != asSizeNavButtons) {
        Arrange();
        FNavigator->AutoSizeNavigator();
    } else {
        FNavigator->AutoSizeNavigator();
        Arrange();
    }
}

void TqzNavButtons::Arrange() {
    if (FNavigator->ComponentState().Contains(csLoading) || FUpdateCount > 0) return;
    const int inset = FNavigator->BorderInset();
    const bool vertical = FNavigator->Layout() == nlVertical;
    int x = inset, y = inset;
    TqzNavButton* prev = nullptr;
    for (TqzNavButton* b : FList) {
        if (IsHidden(b)) continue;
        if (prev) {
            if (!vertical && (FNavigator->Width() < x + b->Width() || b->LineBreak())) {
                y += prev->Height();
                x = inset;
            } else if (vertical && (FNavigator->Height() < y + b->Height() || b->LineBreak())) {
                x += prev->Width();
                y = inset;
            }
        }
        b->SetBounds(x, y, b->Width(), b->Height());
        if (vertical)
            y += b->Height();
        else
            x += b->Width();
        prev = b;
    }
}

void TqzNavButtons::UpdateButtonStates(TqzUpdateCause Cause) {
    const std::vector<TqzNavButton*> list = FList;
    for (TqzNavButton* b : list) b->UpdateState(Cause);
}

// ---- TqzDBNavigator ------------------------------------------------------------------------------

TqzDBNavigator::TqzDBNavigator(TComponent* AOwner)
    : TqzCustomTransparentPanel(AOwner),
      FButtons(std::make_unique<TqzNavButtons>(this)),
      FDataLink(std::make_unique<TqzNavDataLink>(this)),
      FRepeatInterval(std::make_unique<TqzNavRepeatInterval>()) {
    SetBevelOuter(bvNone);
    SetBevelInner(bvNone);
    SetCaption("");
    SetBounds(Left(), Top(), 1, 25);
}

TqzDBNavigator::~TqzDBNavigator() {
    FDestroying = true;
    FBookmarks.clear();
    FDataLink->SetDataSource(nullptr);
    FButtons->Clear();
}

TDataSource* TqzDBNavigator::DataSource() const { return FDataLink->DataSource(); }

void TqzDBNavigator::SetDataSource(TDataSource* Value) {
    if (Value) Value->FreeNotification(this);
    FDataLink->SetDataSource(Value);
    FButtons->UpdateButtonStates(usOther);
}

void TqzDBNavigator::Notification(TComponent* AComponent, TOperation Operation) {
    TqzCustomTransparentPanel::Notification(AComponent, Operation);
    if (Operation != opRemove) return;
    // a freed dataset's entry goes with it
    FBookmarks.erase(
        std::remove_if(FBookmarks.begin(), FBookmarks.end(),
                       [&](const std::unique_ptr<TqzNavBookmark>& e) { return e->Component == AComponent; }),
        FBookmarks.end());
    if (AComponent == DataSource()) {
        FDataLink->SetDataSource(nullptr);
        if (!FDestroying) FButtons->UpdateButtonStates(usOther);
    }
    if (AComponent == FImageList) SetImageList(nullptr);
}

bool TqzDBNavigator::LinkActive() const {
    return FDataLink->Active() && DataSource() && DataSource()->DataSet() && Enabled();
}

bool TqzDBNavigator::LinkEditing() const { return FDataLink->Editing(); }

TDataSet* TqzDBNavigator::GetDataSet(bool RaiseIfNone) const {
    TDataSource* src = DataSource();
    if (!src) {
        if (RaiseIfNone) throw EInvalidOperation("Error, DataSource not assigned");
        return nullptr;
    }
    if (!src->DataSet() && RaiseIfNone) throw EInvalidOperation("Missing DataSet property");
    return src->DataSet();
}

void TqzDBNavigator::SetMoveBy(int Value) {
    FMoveBy = Value;
    for (int i = 0; i < FButtons->Count(); ++i) {
        TqzNavButton* b = FButtons->Items(i);
        if (b->Style() == nbsPriorPage || b->Style() == nbsNextPage) {
            b->SetHint("");
            b->SetHint(b->GetDefaultHint());
        }
    }
}

void TqzDBNavigator::SetOptions(TqzNavOptions Value) { FOptions = Value; }

void TqzDBNavigator::SetFlat(bool Value) {
    FFlat = Value;
    for (int i = 0; i < FButtons->Count(); ++i) FButtons->Items(i)->SetFlat(Value);
}

void TqzDBNavigator::SetDisableThemes(bool Value) {
    if (Value == FDisableThemes) return;
    FDisableThemes = Value;
    Invalidate();
    for (int i = 0; i < FButtons->Count(); ++i) FButtons->Items(i)->Invalidate();
}

void TqzDBNavigator::SetImageList(TImageList* Value) {
    if (FImageList) FImageList->RemoveFreeNotification(this);
    FImageList = Value;
    if (FImageList) FImageList->FreeNotification(this);
    for (int i = 0; i < FButtons->Count(); ++i) {
        TqzNavButton* b = FButtons->Items(i);
        if (b->FOwnImageIndex >= 0) b->SetImages(Value);
    }
}

void TqzDBNavigator::SetLayout(TqzNavLayout Value) {
    FLayout = Value;
    FButtons->Refresh();
}

void TqzDBNavigator::SetAutosizeStyle(TqzNavAutoSizeStyle Value) {
    FAutosizeStyle = Value;
    FButtons->Refresh();
}

bool TqzDBNavigator::GetShowHint() const { return ShowHint(); }

void TqzDBNavigator::SetShowHint(bool Value) {
    TqzCustomTransparentPanel::SetShowHint(Value);
    for (int i = 0; i < FButtons->Count(); ++i) FButtons->Items(i)->SetShowHint(Value);
}

void TqzDBNavigator::SetTransparent(bool Value) {
    TqzCustomTransparentPanel::SetTransparent(Value);
    for (int i = 0; i < FButtons->Count(); ++i) FButtons->Items(i)->SetTransparent(Value);
}

void TqzDBNavigator::SetTransparentClearsBackground(bool Value) {
    if (Value == FTransparentClearsBackground) return;
    FTransparentClearsBackground = Value;
    UpdateTransparentStyle();
    Invalidate();
}

void TqzDBNavigator::SetDataSourceFromControl(TControl* Control, bool Force) {
    TDataSource* src = qzGetDataSource(Control);
    if (src || Force) SetDataSource(src);
}

void TqzDBNavigator::InsertRemoveButton(TControl* Control, bool Inserting) {
    if (!Inserting) {
        // The control may be part way through its destructor: only its
        // address is used.
        // (a freed button has left the list already).
        auto& list = FButtons->FList;
        auto it = std::find_if(list.begin(), list.end(),
                               [&](TqzNavButton* b) { return static_cast<TControl*>(b) == Control; });
        if (it != list.end()) {
            TqzNavButton* b = *it;
            list.erase(it);
            if (b->FButtons == FButtons.get()) b->FButtons = nullptr;
        }
        if (!FDestroying && !ComponentState().Contains(csDestroying)) FButtons->Refresh();
        return;
    }
    auto* b = dynamic_cast<TqzNavButton*>(Control);
    if (!b || FButtons->IndexOf(b) >= 0) return;
    if (b->FButtons && b->FButtons != FButtons.get()) b->FButtons->Remove(b);
    b->FButtons = FButtons.get();
    FButtons->FList.push_back(b);
    b->SetFlat(FFlat);
    b->SetTransparent(Transparent());
    if (b->FOwnImageIndex >= 0) b->SetImages(FImageList);
    b->UpdateState(usOther);
    FButtons->Refresh();
}

TqzNavButtonStyles TqzDBNavigator::GetVisibleStyles() const {
    TqzNavButtonStyles out;
    for (TqzNavButtonStyle s : kDefaultStyles)
        if (FButtons->ButtonOfStyle(s)) out.Include(s);
    return out;
}

void TqzDBNavigator::SetVisibleStyles(TqzNavButtonStyles Value) {
    for (int s = nbsFirst; s <= nbsCustom; ++s) {
        const auto style = static_cast<TqzNavButtonStyle>(s);
        if (Value.Contains(style))
            FButtons->ShowStyle(style);
        else
            FButtons->HideStyle(style);
    }
}

int TqzDBNavigator::BorderInset() const { return (BevelInner() != bvNone) + (BevelOuter() != bvNone); }

int TqzDBNavigator::ButtonsWidth() const {
    int w = 0;
    for (int i = 0; i < FButtons->Count(); ++i)
        if (!FButtons->IsHidden(FButtons->Items(i))) w += FButtons->Items(i)->Width();
    return w;
}

void TqzDBNavigator::AutoSizeNavigator() {
    if (FAutosizeStyle == asNone || FButtons->VisibleCount() == 0) return;
    const int inset = BorderInset();
    if (FAutosizeStyle == asSizeNavigator) {
        int right = 0, bottom = 0;
        FButtons->RightmostButton(right);
        FButtons->LowestButton(bottom);
        SetBounds(Left(), Top(), right + inset, bottom + inset);
        return;
    }
    // Buttons fill the client area: lines split by line breaks.
    std::vector<std::vector<TqzNavButton*>> lines(1);
    for (int i = 0; i < FButtons->VisibleCount(); ++i) {
        TqzNavButton* b = FButtons->VisibleButtons(i);
        if (b->LineBreak() && !lines.back().empty()) lines.emplace_back();
        lines.back().push_back(b);
    }
    const bool vertical = FLayout == nlVertical;
    const int along = (vertical ? Height() : Width()) - 2 * inset;
    const int across = (vertical ? Width() : Height()) - 2 * inset;
    const int n = static_cast<int>(lines.size());
    for (int l = 0; l < n; ++l) {
        const int thick = across / n + (l < across % n ? 1 : 0);
        const int count = static_cast<int>(lines[static_cast<size_t>(l)].size());
        for (int i = 0; i < count; ++i) {
            const int size = along / count + (i < along % count ? 1 : 0);
            TqzNavButton* b = lines[static_cast<size_t>(l)][static_cast<size_t>(i)];
            if (vertical)
                b->SetBounds(b->Left(), b->Top(), thick, size);
            else
                b->SetBounds(b->Left(), b->Top(), size, thick);
        }
    }
}

void TqzDBNavigator::Paint() {
    if (FButtons->Count() == 0 && !FCreatingDefaults) {
        FCreatingDefaults = true;
        try {
            FButtons->AddDefaultButtons();
        } catch (...) {
            FCreatingDefaults = false;
            throw;
        }
        FCreatingDefaults = false;
    }
    if (IsTransparent() && FTransparentClearsBackground && Parent()) {
        Canvas()->Brush()->SetColor(Parent()->Color());
        Canvas()->Brush()->SetStyle(bsSolid);
        Canvas()->FillRect(ClientRect());
    }
    TqzCustomTransparentPanel::Paint();
}

void TqzDBNavigator::Loaded() {
    TqzCustomTransparentPanel::Loaded();
    SetFlat(FFlat);
    SetImageList(FImageList);
}

void TqzDBNavigator::Dispatch(TMessage& Message) {
    switch (Message.Msg) {
    case CM_CONTROLLISTCHANGE:
        if (Message.LParam != 0 && !dynamic_cast<TqzNavButton*>(reinterpret_cast<TControl*>(Message.WParam)))
            throw EInvalidOperation("TqzDBNavigator only accepts controls derived from TqzNavButton");
        break;
    case CM_CONTROLCHANGE:
        InsertRemoveButton(reinterpret_cast<TControl*>(Message.WParam), Message.LParam != 0);
        break;
    case CM_SHOWHINTCHANGED:
        for (int i = 0; i < FButtons->Count(); ++i) FButtons->Items(i)->SetShowHint(ShowHint());
        break;
    case CM_ENABLEDCHANGED:
        for (int i = 0; i < FButtons->Count(); ++i) FButtons->Items(i)->SetEnabled(Enabled());
        if (Enabled()) FButtons->UpdateButtonStates(usOther);
        break;
    case CM_DIALOGCHAR:
        for (int i = 0; i < FButtons->Count(); ++i) {
            TqzNavButton* b = FButtons->Items(i);
            if (IsAccel(static_cast<char32_t>(Message.WParam), b->Caption()) && b->Enabled() &&
                b->Visible() && Parent() && Parent()->Showing()) {
                b->Click();
                Message.Result = 1;
                return;
            }
        }
        break;
    default: break;
    }
    TqzCustomTransparentPanel::Dispatch(Message);
}

void TqzDBNavigator::DataSetChanged() { FButtons->UpdateButtonStates(usDataChanged); }

void TqzDBNavigator::EditingChanged() { FButtons->UpdateButtonStates(usEditingChanged); }

void TqzDBNavigator::ActiveChanged() {
    if (FDestroying) return;
    FButtons->UpdateButtonStates(usActiveChanged);
}

void TqzDBNavigator::DropBookmark(TDataSet* DataSet) {
    FBookmarks.erase(std::remove_if(FBookmarks.begin(), FBookmarks.end(),
                                    [&](const std::unique_ptr<TqzNavBookmark>& e) {
                                        return e->Dead || e->DataSet == DataSet;
                                    }),
                     FBookmarks.end());
}

void TqzDBNavigator::SaveBookmark(TDataSet* DataSet) {
    if (!DataSet || !DataSet->Active()) return;
    // Entries of closed or freed datasets go first: the address of a freed
    // dataset may come back with another.
    DropBookmark(DataSet);
    FBookmarks.push_back(std::make_unique<TqzNavBookmark>(this, DataSet, DataSet->Bookmark()));
    DataSet->FreeNotification(this);
    FButtons->UpdateButtonStates(usOther);
}

TBookmark TqzDBNavigator::SavedBookmark(TDataSet* DataSet) const {
    for (const auto& e : FBookmarks)
        if (!e->Dead && e->DataSet == DataSet && DataSet->Active() && DataSet->BookmarkValid(e->Bookmark))
            return e->Bookmark;
    return {};
}

bool TqzDBNavigator::HasBookmark(TDataSet* DataSet) const {
    for (const auto& e : FBookmarks)
        if (!e->Dead && e->DataSet == DataSet) return true;
    return false;
}

void TqzDBNavigator::Publish(TPublisher<TqzDBNavigator>& p) {
    p.Property("Buttons", &TqzDBNavigator::Buttons);
    p.Property("DataSource", &TqzDBNavigator::DataSource, &TqzDBNavigator::SetDataSource);
    p.Property("MoveBy", &TqzDBNavigator::MoveBy, &TqzDBNavigator::SetMoveBy);
    p.Property("Options", &TqzDBNavigator::Options, &TqzDBNavigator::SetOptions);
    p.Property("Flat", &TqzDBNavigator::Flat, &TqzDBNavigator::SetFlat);
    p.Property("ImageList", &TqzDBNavigator::ImageList, &TqzDBNavigator::SetImageList);
    p.Property("Layout", &TqzDBNavigator::Layout, &TqzDBNavigator::SetLayout);
    p.Property("AutosizeStyle", &TqzDBNavigator::AutosizeStyle, &TqzDBNavigator::SetAutosizeStyle);
    p.Property("RepeatInterval", &TqzDBNavigator::RepeatInterval, &TqzDBNavigator::SetRepeatInterval);
    p.Property("ShowHint", &TqzDBNavigator::GetShowHint, &TqzDBNavigator::SetShowHint);
    p.Property("Transparent", &TqzDBNavigator::Transparent, &TqzDBNavigator::SetTransparent);
    p.Property("TransparentClearsBackground", &TqzDBNavigator::TransparentClearsBackground,
               &TqzDBNavigator::SetTransparentClearsBackground);
    p.Property("DisableThemes", &TqzDBNavigator::DisableThemes, &TqzDBNavigator::SetDisableThemes);
}

void TqzNavRepeatInterval::Assign(TPersistent* Source) {
    if (auto* other = dynamic_cast<TqzNavRepeatInterval*>(Source)) {
        FInitialDelay = other->FInitialDelay;
        FInterval = other->FInterval;
        return;
    }
    TPersistent::Assign(Source);
}

void TqzNavRepeatInterval::Publish(TPublisher<TqzNavRepeatInterval>& p) {
    p.Property("InitialDelay", &TqzNavRepeatInterval::InitialDelay, &TqzNavRepeatInterval::SetInitialDelay);
    p.Property("Interval", &TqzNavRepeatInterval::Interval, &TqzNavRepeatInterval::SetInterval);
}

void qzRegisterNavigatorClasses() {
    RegisterComponentClass<TqzNavButton>();
    RegisterComponentClass<TqzFilterDialog>();
    RegisterComponentClass<TqzLocateDialog>();
    RegisterComponentClass<TqzRecordViewDialog>();
    RegisterComponentClass<TqzSearchDialog>();
}

namespace {
// The unit registers its classes when the program starts.
const bool kRegistered = (qzRegisterNavigatorClasses(), true);
}  // namespace
