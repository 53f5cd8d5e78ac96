// The data navigator.
#include <algorithm>

#include "platform/db/dataset.h"
#include "platform/db/datasource.h"
#include "platform/ui/dbctrls.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/timer.h"

// The navigator's link: the buttons follow the dataset.
class TNavDataLink : public TDataLink {
public:
    // A control: quiet while the dataset's controls are disabled.
    explicit TNavDataLink(TDBNavigator* Navigator) : FNavigator(Navigator) { SetVisualControl(true); }
    void Detach() { FNavigator = nullptr; }

protected:
    void EditingChanged() override {
        if (FNavigator) FNavigator->EditingChanged();
    }
    void DataSetChanged() override {
        if (FNavigator) FNavigator->DataChanged();
    }
    void ActiveChanged() override {
        if (FNavigator) FNavigator->ActiveChanged();
    }

private:
    TDBNavigator* FNavigator;
};

// ---- TNavButton -------------------------------------------------------------------------------------

TNavButton::TNavButton(TComponent* AOwner) : TSpeedButton(AOwner) {}

TNavButton::~TNavButton() = default;

void TNavButton::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    TSpeedButton::MouseDown(Button, Shift, X, Y);
    if (Button != mbLeft || !FRepeat || !Enabled()) return;
    if (!FRepeatTimer) {
        FRepeatTimer = new TTimer(this);
        FRepeatTimer->SetOnTimer(TNotifyEvent(this, &TNavButton::TimerExpired));
    }
    FRepeatTimer->SetInterval(400);
    FRepeatTimer->SetEnabled(true);
}

void TNavButton::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
    if (FRepeatTimer) FRepeatTimer->SetEnabled(false);
    TSpeedButton::MouseUp(Button, Shift, X, Y);
}

void TNavButton::TimerExpired(TObject*) {
    FRepeatTimer->SetInterval(100);
    if (State() == bsDown && MouseCapture() && Enabled() && !RunWhileAlive(this, [&] { Click(); })) return;
    if (!Enabled()) FRepeatTimer->SetEnabled(false);
}

void TNavButton::Paint() {
    TSpeedButton::Paint();
    TCanvas* c = Canvas();
    const bool pressed = State() == bsDown || State() == bsExclusive;
    const int cx = Width() / 2 + (pressed ? 1 : 0), cy = Height() / 2 + (pressed ? 1 : 0);
    auto draw = [&](int dx, int dy, TColor color) {
        c->Pen()->SetColor(color);
        c->Brush()->SetColor(color);
        c->Pen()->SetWidth(1);
        const int x = cx + dx, y = cy + dy;
        auto left = [&](int tip) { c->Polygon({{tip, y}, {tip + 4, y - 4}, {tip + 4, y + 4}}); };
        auto right = [&](int tip) { c->Polygon({{tip, y}, {tip - 4, y - 4}, {tip - 4, y + 4}}); };
        switch (FIndex) {
        case nbFirst:
            c->FillRect(Rect(x - 4, y - 4, x - 2, y + 5));
            left(x - 1);
            break;
        case nbPrior: left(x - 2); break;
        case nbNext: right(x + 2); break;
        case nbLast:
            right(x + 1);
            c->FillRect(Rect(x + 2, y - 4, x + 4, y + 5));
            break;
        case nbInsert:
            c->FillRect(Rect(x - 4, y - 1, x + 5, y + 1));
            c->FillRect(Rect(x - 1, y - 4, x + 1, y + 5));
            break;
        case nbDelete: c->FillRect(Rect(x - 4, y - 1, x + 5, y + 1)); break;
        case nbEdit: c->Polygon({{x, y - 3}, {x - 4, y + 2}, {x + 4, y + 2}}); break;
        case nbPost:
            c->Pen()->SetWidth(2);
            c->Polyline({{x - 4, y}, {x - 1, y + 3}, {x + 4, y - 3}});
            break;
        case nbCancel:
            c->Pen()->SetWidth(2);
            c->MoveTo(x - 3, y - 3);
            c->LineTo(x + 3, y + 3);
            c->MoveTo(x + 3, y - 3);
            c->LineTo(x - 3, y + 3);
            break;
        case nbRefresh:
            c->Brush()->SetStyle(bsClear);
            c->Ellipse(x - 4, y - 4, x + 5, y + 5);
            c->Brush()->SetStyle(bsSolid);
            c->Polygon({{x + 1, y - 6}, {x + 4, y - 4}, {x + 1, y - 2}});
            break;
        }
        c->Pen()->SetWidth(1);
    };
    if (Enabled()) {
        draw(0, 0, clBlack);
    } else {
        draw(1, 1, clBtnHighlight);
        draw(0, 0, clBtnShadow);
    }
}

// ---- TDBNavigator -------------------------------------------------------------------------------------

std::string TDBNavigator::DefaultHint(TNavigateBtn Index) {
    static const char* const hints[] = {"First record",  "Prior record",  "Next record", "Last record",
                                        "Insert record", "Delete record", "Edit record", "Post edit",
                                        "Cancel edit",   "Refresh data"};
    return hints[Index];
}

TDBNavigator::TDBNavigator(TComponent* AOwner)
    : TCustomPanel(AOwner),
      FDataLink(std::make_unique<TNavDataLink>(this)),
      FHints(std::make_unique<TStringList>()) {
    SetControlStyle(ControlStyle() - csAcceptsControls - csSetCaption + csOpaque);
    SetBevelOuter(bvNone);
    SetBevelInner(bvNone);
    for (int i = nbFirst; i <= nbRefresh; ++i) {
        auto* b = new TNavButton(this);
        b->FIndex = static_cast<TNavigateBtn>(i);
        b->FRepeat = i == nbPrior || i == nbNext;
        b->SetHint(DefaultHint(b->FIndex));
        b->SetOnClick(TNotifyEvent(this, &TDBNavigator::ButtonClicked));
        b->SetEnabled(false);
        b->SetParent(this);
        FButtons[i] = b;
    }
    FHints->SetOnChange(TNotifyEvent(this, &TDBNavigator::HintsChanged));
    SetBounds(0, 0, 240, 25);
}

TDBNavigator::~TDBNavigator() {
    Destroying();
    FHints->SetOnChange(nullptr);
    FDataLink->Detach();
    FDataLink->SetDataSource(nullptr);
    DestroyHandle();
}

TDataSource* TDBNavigator::DataSource() const { return FDataLink->DataSource(); }

void TDBNavigator::SetDataSource(TDataSource* Value) {
    if (TDataSource* old = FDataLink->DataSource()) old->RemoveFreeNotification(this);
    FDataLink->SetDataSource(Value);
    if (Value) Value->FreeNotification(this);
    ActiveChanged();
}

void TDBNavigator::SetVisibleButtons(TButtonSet Value) {
    FVisibleButtons = Value;
    for (int i = nbFirst; i <= nbRefresh; ++i)
        FButtons[i]->SetVisible(Value.Contains(static_cast<TNavigateBtn>(i)));
    LayoutButtons(Width(), Height());
    Invalidate();
}

void TDBNavigator::SetHints(TStrings* Value) { FHints->Assign(Value); }

void TDBNavigator::HintsChanged(TObject*) {
    for (int i = nbFirst; i <= nbRefresh; ++i) {
        const std::string hint = i < FHints->Count() ? FHints->Strings(i) : std::string();
        FButtons[i]->SetHint(hint.empty() ? DefaultHint(static_cast<TNavigateBtn>(i)) : hint);
    }
}

void TDBNavigator::SetFlat(bool Value) {
    FFlat = Value;
    for (TNavButton* b : FButtons) b->SetFlat(Value);
}

void TDBNavigator::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
    int count = 0;
    for (int i = nbFirst; i <= nbRefresh; ++i)
        if (FVisibleButtons.Contains(static_cast<TNavigateBtn>(i))) ++count;
    // Every button at least as wide as it is useful.
    if (count > 0 && AWidth < count * 8) AWidth = count * 8;
    TCustomPanel::SetBounds(ALeft, ATop, AWidth, AHeight);
    LayoutButtons(Width(), Height());
}

void TDBNavigator::LayoutButtons(int AWidth, int AHeight) {
    std::vector<TNavButton*> shown;
    for (int i = nbFirst; i <= nbRefresh; ++i)
        if (FVisibleButtons.Contains(static_cast<TNavigateBtn>(i))) shown.push_back(FButtons[i]);
    const int n = static_cast<int>(shown.size());
    for (int k = 0; k < n; ++k) {
        const int x1 = k * AWidth / n, x2 = (k + 1) * AWidth / n;
        // Right to left, the first button sits at the right edge.
        const int left = UseRightToLeftAlignment() ? AWidth - x2 : x1;
        shown[static_cast<std::size_t>(k)]->SetBounds(left, 0, x2 - x1, AHeight);
    }
}

void TDBNavigator::BiDiModeChanged() {
    TCustomPanel::BiDiModeChanged();
    LayoutButtons(Width(), Height());
}

void TDBNavigator::Loaded() {
    TCustomPanel::Loaded();
    LayoutButtons(Width(), Height());
    ActiveChanged();
}

void TDBNavigator::Notification(TComponent* AComponent, TOperation Operation) {
    TCustomPanel::Notification(AComponent, Operation);
    if (Operation == opRemove && FDataLink && AComponent == FDataLink->DataSource()) {
        FDataLink->SetDataSource(nullptr);
        ActiveChanged();
    }
}

void TDBNavigator::DataChanged() {
    TDataSet* ds = FDataLink->DataSet();
    const bool active = FDataLink->Active() && ds;
    const bool up = active && !ds->Bof();
    const bool down = active && !ds->Eof();
    const bool canModify = active && ds->CanModify();
    const bool editing = FDataLink->Editing();
    FButtons[nbFirst]->SetEnabled(up);
    FButtons[nbPrior]->SetEnabled(up);
    FButtons[nbNext]->SetEnabled(down);
    FButtons[nbLast]->SetEnabled(down);
    FButtons[nbInsert]->SetEnabled(canModify);
    FButtons[nbDelete]->SetEnabled(canModify && !(ds->Bof() && ds->Eof()) && !ds->IsEmpty());
    FButtons[nbEdit]->SetEnabled(canModify && !editing);
    FButtons[nbPost]->SetEnabled(canModify && editing);
    FButtons[nbCancel]->SetEnabled(canModify && editing);
    FButtons[nbRefresh]->SetEnabled(active && !editing);
}

void TDBNavigator::EditingChanged() { DataChanged(); }

void TDBNavigator::ActiveChanged() {
    if (!FDataLink->Active() || !FDataLink->DataSet()) {
        for (TNavButton* b : FButtons) b->SetEnabled(false);
        return;
    }
    DataChanged();
}

void TDBNavigator::ButtonClicked(TObject* Sender) {
    if (auto* b = dynamic_cast<TNavButton*>(Sender)) BtnClick(b->Index());
}

void TDBNavigator::BtnClick(TNavigateBtn Index) {
    TDataSource* source = DataSource();
    TDataSet* ds = source ? source->DataSet() : nullptr;
    if (ds && ds->State() != dsInactive) {
        FBeforeAction(this, Index);
        switch (Index) {
        case nbFirst: ds->First(); break;
        case nbPrior: ds->Prior(); break;
        case nbNext: ds->Next(); break;
        case nbLast: ds->Last(); break;
        case nbInsert: ds->Insert(); break;
        case nbEdit: ds->Edit(); break;
        case nbCancel: ds->Cancel(); break;
        case nbPost: ds->Post(); break;
        case nbRefresh: ds->Refresh(); break;
        case nbDelete:
            // an empty dataset refuses without a question first
            if (!FConfirmDelete || ds->IsEmpty() ||
                MessageDlg("Delete record?", mtConfirmation, mbOKCancel, 0) != mrCancel)
                ds->Delete();
            break;
        }
    }
    FOnNavClick(this, Index);
}

void TDBNavigator::Publish(TPublisher<TDBNavigator>& p) {
    p.Property("DataSource", &TDBNavigator::DataSource, &TDBNavigator::SetDataSource);
    p.Property("VisibleButtons", &TDBNavigator::VisibleButtons, &TDBNavigator::SetVisibleButtons);
    p.Property("Hints", &TDBNavigator::Hints, &TDBNavigator::SetHints);
    p.Property("ConfirmDelete", &TDBNavigator::ConfirmDelete, &TDBNavigator::SetConfirmDelete);
    p.Property("Flat", &TDBNavigator::Flat, &TDBNavigator::SetFlat);
    p.Property("BeforeAction", &TDBNavigator::BeforeAction, &TDBNavigator::SetBeforeAction);
    p.Property("OnClick", &TDBNavigator::OnClick, &TDBNavigator::SetOnClick);
}
