// Push buttons and check boxes.
#include <QApplication>
#include <QCheckBox>
#include <QPainter>
#include <QPointer>
#include <QProxyStyle>
#include <QPushButton>
#include <QStyleOption>

#include <algorithm>

#include "platform/ui/drawing.h"
#include "platform/ui/forms.h"
#include "platform/ui/stdctrls_qt.h"

namespace {

// Draws a check box's box as the self-drawn controls draw theirs: a white
// face in a dark frame, a black mark when ticked, a grey one when grayed,
// the face colour when disabled or pressed.
class TCheckBoxStyle : public QProxyStyle {
public:
    void drawPrimitive(PrimitiveElement Element, const QStyleOption* Option, QPainter* Painter,
                       const QWidget* Widget) const override {
        if (Element != PE_IndicatorCheckBox) {
            QProxyStyle::drawPrimitive(Element, Option, Painter, Widget);
            return;
        }
        unsigned state = DFCS_BUTTONCHECK;
        if (Option->state & State_On) state |= DFCS_CHECKED;
        if (Option->state & State_NoChange) state = DFCS_BUTTON3STATE;
        if (!(Option->state & State_Enabled)) state |= DFCS_INACTIVE;
        if (Option->state & State_Sunken) state |= DFCS_PUSHED;
        const int side = std::min({Option->rect.width(), Option->rect.height(), 13});
        const QRect box(Option->rect.x() + (Option->rect.width() - side) / 2,
                        Option->rect.y() + (Option->rect.height() - side) / 2, side, side);
        Painter->save();
        TCanvas canvas;
        BindCanvas(&canvas, Painter, QPoint(), &box);
        TRect r = FromQRect(box);
        DrawFrameControl(&canvas, r, DFC_BUTTON, state);
        UnbindCanvas(&canvas);
        Painter->restore();
    }
};

QStyle* CheckBoxStyle() {
    static QPointer<TCheckBoxStyle> style;
    if (!style) {
        style = new TCheckBoxStyle;
        style->setParent(QCoreApplication::instance());
    }
    return style;
}

}  // namespace

// The caption shows its accelerator, but the key goes through the form's
// dialog characters, not the toolkit's shortcuts.
static void SetButtonText(QAbstractButton* Button, const std::string& Caption) {
    Button->setText(ToQString(Caption));
    Button->setShortcut(QKeySequence());
}

// ---- TButtonControl --------------------------------------------------------------------------

TButtonControl::TButtonControl(TComponent* AOwner) : TWinControl(AOwner) {
    // Clicks come from the widget, not from the mouse messages.
    SetControlStyle(TControlStyle{csSetCaption, csDoubleClicks});
    SetTabStop(true);
    SetColor(clBtnFace);
}

TButtonControl::~TButtonControl() = default;

void TButtonControl::SetWordWrap(bool Value) {
    if (Value == FWordWrap) return;
    FWordWrap = Value;
    Invalidate();
}

void TButtonControl::WidgetClicked() { Click(); }

void TButtonControl::Dispatch(TMessage& Message) {
    if (Message.Msg == CM_TEXTCHANGED) {
        if (auto* b = qobject_cast<QAbstractButton*>(Widget())) SetButtonText(b, Caption());
    }
    TWinControl::Dispatch(Message);
}

// Lets the widgets' signals reach the protected click hook.
struct TButtonControlAccess {
    static void Clicked(TButtonControl* B) {
        GuardedCall(B, [B] { B->WidgetClicked(); });
    }
};

// ---- TButton ----------------------------------------------------------------------------------

TButton::TButton(TComponent* AOwner) : TButtonControl(AOwner) { SetBounds(0, 0, 75, 25); }

TButton::~TButton() {
    Destroying();
    DestroyHandle();
}

void TButton::CreateWindowHandle(const TCreateParams& Params) {
    auto* w = new TQtHost<QPushButton>(this, ParentWidgetFor(Params));
    SetButtonText(w, Caption());
    w->setAutoDefault(false);
    w->setDefault(FDefault);
    QObject::connect(w, &QPushButton::clicked, [this] { TButtonControlAccess::Clicked(this); });
    AttachWidget(w, false);
}

void TButton::SetDefault(bool Value) {
    FDefault = Value;
    if (auto* w = qobject_cast<QPushButton*>(Widget())) w->setDefault(Value);
}

void TButton::Click() {
    if (FModalResult != mrNone)
        if (TCustomForm* form = GetParentForm(this)) form->SetModalResult(FModalResult);
    TButtonControl::Click();
}

void TButton::WidgetClicked() { Click(); }

bool TButton::Active() const {
    TCustomForm* form = GetParentForm(this);
    TWinControl* focused = form ? form->ActiveControl() : nullptr;
    if (dynamic_cast<TButton*>(focused)) return focused == this;
    return FDefault;
}

void TButton::CMDialogKey(TMessage& Message) {
    const TShiftState shift = KeyDataToShiftState(Message.LParam);
    if (!shift.Contains(ssAlt) && !shift.Contains(ssCtrl) && CanFocus() &&
        ((Message.WParam == VK_RETURN && Active()) || (Message.WParam == VK_ESCAPE && FCancel))) {
        Click();
        Message.Result = 1;
        return;
    }
    TButtonControl::CMDialogKey(Message);
}

void TButton::CMDialogChar(TMessage& Message) {
    if (IsAccel(static_cast<char32_t>(Message.WParam), Caption()) && CanFocus()) {
        Click();
        Message.Result = 1;
        return;
    }
    TButtonControl::CMDialogChar(Message);
}

void TButton::CMFocusChanged(TMessage& Message) {
    auto* focused = reinterpret_cast<TWinControl*>(Message.LParam);
    if (dynamic_cast<TButton*>(focused))
        FActive = focused == this;
    else
        FActive = FDefault;
    TButtonControl::CMFocusChanged(Message);
}

void TButton::Publish(TPublisher<TButton>& p) {
    p.Property("Default", &TButton::Default, &TButton::SetDefault);
    p.Property("Cancel", &TButton::Cancel, &TButton::SetCancel);
    p.Property("ModalResult", &TButton::ModalResult, &TButton::SetModalResult);
}

// ---- TCustomCheckBox ----------------------------------------------------------------------------

TCustomCheckBox::TCustomCheckBox(TComponent* AOwner) : TButtonControl(AOwner) { SetBounds(0, 0, 97, 17); }

TCustomCheckBox::~TCustomCheckBox() {
    Destroying();
    DestroyHandle();
}

void TCustomCheckBox::CreateWindowHandle(const TCreateParams& Params) {
    auto* w = new TQtHost<QCheckBox>(this, ParentWidgetFor(Params));
    w->setStyle(CheckBoxStyle());
    SetButtonText(w, Caption());
    w->setTristate(FAllowGrayed);
    QObject::connect(w, &QCheckBox::clicked, [this] { TButtonControlAccess::Clicked(this); });
    AttachWidget(w, false);
    ApplyDirection();
    PushState();
}

// The box sits on the right of a left-justified caption, and on the other
// side when the control runs right to left.
void TCustomCheckBox::ApplyDirection() {
    SetWidgetRightToLeft((FAlignment == taLeftJustify) != UseRightToLeftAlignment());
}

void TCustomCheckBox::BiDiModeChanged() {
    ApplyDirection();
    TButtonControl::BiDiModeChanged();
}

void TCustomCheckBox::PushState() {
    auto* w = qobject_cast<QCheckBox*>(Widget());
    if (!w) return;
    const QSignalBlocker block(w);
    w->setCheckState(FState == cbChecked  ? Qt::Checked
                     : FState == cbGrayed ? Qt::PartiallyChecked
                                          : Qt::Unchecked);
}

void TCustomCheckBox::SetState(TCheckBoxState Value) {
    if (Value == FState) {
        PushState();
        return;
    }
    FState = Value;
    PushState();
    if (!ClicksDisabled()) Click();
}

void TCustomCheckBox::SetAllowGrayed(bool Value) {
    FAllowGrayed = Value;
    if (auto* w = qobject_cast<QCheckBox*>(Widget())) w->setTristate(Value);
    PushState();
}

void TCustomCheckBox::SetAlignment(TAlignment Value) {
    if (Value == FAlignment) return;
    FAlignment = Value;
    ApplyDirection();
}

void TCustomCheckBox::Toggle() {
    switch (FState) {
    case cbUnchecked: SetState(FAllowGrayed ? cbGrayed : cbChecked); break;
    case cbChecked: SetState(cbUnchecked); break;
    case cbGrayed: SetState(cbChecked); break;
    }
}

void TCustomCheckBox::WidgetClicked() {
    // The widget has turned its box already; the control decides the state.
    if (RunWhileAlive(this, [&] { Toggle(); })) PushState();
}

void TCustomCheckBox::CMDialogChar(TMessage& Message) {
    if (IsAccel(static_cast<char32_t>(Message.WParam), Caption()) && CanFocus()) {
        SetFocus();
        if (Focused()) Toggle();
        Message.Result = 1;
        return;
    }
    TButtonControl::CMDialogChar(Message);
}

void TCustomCheckBox::Publish(TPublisher<TCustomCheckBox>& p) {
    p.Property("Checked", &TCustomCheckBox::Checked, &TCustomCheckBox::SetChecked);
    p.Property("State", &TCustomCheckBox::State, &TCustomCheckBox::SetState);
    p.Property("AllowGrayed", &TCustomCheckBox::AllowGrayed, &TCustomCheckBox::SetAllowGrayed);
    p.Property("Alignment", &TCustomCheckBox::Alignment, &TCustomCheckBox::SetAlignment);
}
