// Registered messages, the keyboard state, and the posted-message queue.
#include "platform/ui/messages.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QPointer>

#include <deque>
#include <map>

#include "platform/core/sysutils.h"
#include "platform/ui/controls.h"
#include "platform/ui/qt_host.h"

// ---- Registered messages -------------------------------------------------------------

unsigned RegisterWindowMessage(const std::string& Name) {
    static std::map<std::string, unsigned> registered;
    static unsigned next = MSG_REGISTERED_FIRST;
    if (Name.empty()) return 0;
    const std::string key = UpperCase(Name);
    auto it = registered.find(key);
    if (it != registered.end()) return it->second;
    if (next > MSG_REGISTERED_LAST) return 0;
    registered[key] = next;
    return next++;
}

// ---- Keyboard and mouse state ------------------------------------------------------------

namespace {
bool GHaveInputState = false;
Qt::KeyboardModifiers GModifiers;
Qt::MouseButtons GButtons;

Qt::KeyboardModifiers CurrentModifiers() {
    if (GHaveInputState) return GModifiers;
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        return QGuiApplication::keyboardModifiers();
    return Qt::NoModifier;
}
Qt::MouseButtons CurrentButtons() {
    if (GHaveInputState) return GButtons;
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance())) return QGuiApplication::mouseButtons();
    return Qt::NoButton;
}
}  // namespace

void NoteInputState(Qt::KeyboardModifiers Modifiers, Qt::MouseButtons Buttons) {
    GHaveInputState = true;
    GModifiers = Modifiers;
    GButtons = Buttons;
}

TInputState SaveInputState() { return {GHaveInputState, GModifiers, GButtons}; }

void RestoreInputState(const TInputState& State) {
    GHaveInputState = State.Have;
    GModifiers = State.Modifiers;
    GButtons = State.Buttons;
}

int16_t GetKeyState(int VirtKey) {
    constexpr int16_t down = static_cast<int16_t>(0x8000);
    const Qt::KeyboardModifiers m = CurrentModifiers();
    const Qt::MouseButtons b = CurrentButtons();
    switch (VirtKey) {
    case VK_SHIFT: return (m & Qt::ShiftModifier) ? down : 0;
    case VK_CONTROL: return (m & Qt::ControlModifier) ? down : 0;
    case VK_MENU: return (m & Qt::AltModifier) ? down : 0;
    case VK_LBUTTON: return (b & Qt::LeftButton) ? down : 0;
    case VK_RBUTTON: return (b & Qt::RightButton) ? down : 0;
    case VK_MBUTTON: return (b & Qt::MiddleButton) ? down : 0;
    default: return 0;
    }
}

TShiftState GetShiftState() { return ShiftStateOf(CurrentModifiers(), CurrentButtons()); }

TShiftState KeyDataToShiftState(LPARAM KeyData) {
    TShiftState s;
    if (GetKeyState(VK_SHIFT) < 0) s.Include(ssShift);
    if (GetKeyState(VK_CONTROL) < 0) s.Include(ssCtrl);
    if (KeyData & KF_ALTDOWN_BIT) s.Include(ssAlt);
    return s;
}

TShiftState KeysToShiftState(WPARAM Keys) {
    TShiftState s;
    if (Keys & MK_SHIFT) s.Include(ssShift);
    if (Keys & MK_CONTROL) s.Include(ssCtrl);
    if (Keys & MK_LBUTTON) s.Include(ssLeft);
    if (Keys & MK_RBUTTON) s.Include(ssRight);
    if (Keys & MK_MBUTTON) s.Include(ssMiddle);
    if (GetKeyState(VK_MENU) < 0) s.Include(ssAlt);
    return s;
}

TShortCut ShortCut(uint16_t Key, TShiftState Shift) {
    if (Key & 0xFF00) return scNone;
    TShortCut result = Key;
    if (Shift.Contains(ssShift)) result |= scShift;
    if (Shift.Contains(ssCtrl)) result |= scCtrl;
    if (Shift.Contains(ssAlt)) result |= scAlt;
    return result;
}

void ShortCutToKey(TShortCut Value, uint16_t& Key, TShiftState& Shift) {
    Key = Value & ~(scShift | scCtrl | scAlt);
    Shift = {};
    if (Value & scShift) Shift.Include(ssShift);
    if (Value & scCtrl) Shift.Include(ssCtrl);
    if (Value & scAlt) Shift.Include(ssAlt);
}

// ---- Sent and posted messages ----------------------------------------------------------------

namespace {

struct TPosted {
    TWinControl* Target;
    TMessage Message;
};

std::deque<TPosted>& Queue() {
    static std::deque<TPosted> queue;
    return queue;
}

const QEvent::Type kPumpEvent = static_cast<QEvent::Type>(QEvent::registerEventType());

// Runs one posted message for every wake-up it receives.
class TMessagePump : public QObject {
public:
    bool event(QEvent* e) override {
        if (e->type() != kPumpEvent) return QObject::event(e);
        if (Queue().empty()) return true;
        TPosted posted = Queue().front();
        Queue().pop_front();
        GuardedCall(posted.Target, [&] { posted.Target->WndProc(posted.Message); });
        return true;
    }
};

TMessagePump* Pump() {
    static TMessagePump* pump = nullptr;
    if (!pump) pump = new TMessagePump();
    return pump;
}

bool InRange(unsigned msg, unsigned lo, unsigned hi) {
    return (lo == 0 && hi == 0) || (msg >= lo && msg <= hi);
}

}  // namespace

LRESULT SendMessage(TWinControl* Control, unsigned Msg, WPARAM WParam, LPARAM LParam) {
    if (!Control) return 0;
    return Control->Perform(Msg, WParam, LParam);
}

bool PostMessage(TWinControl* Control, unsigned Msg, WPARAM WParam, LPARAM LParam) {
    if (!Control) return false;
    EnsureToolkit();
    TPosted posted{Control, TMessage{}};
    posted.Message.Msg = Msg;
    posted.Message.WParam = WParam;
    posted.Message.LParam = LParam;
    Queue().push_back(posted);
    QCoreApplication::postEvent(Pump(), new QEvent(kPumpEvent));
    return true;
}

int PostedMessageCount() { return static_cast<int>(Queue().size()); }

// Drops what is queued for a control being destroyed.
void RemovePostedMessages(TWinControl* Control) {
    auto& q = Queue();
    for (auto it = q.begin(); it != q.end();) it = it->Target == Control ? q.erase(it) : it + 1;
}

// ---- Escape during long operations -----------------------------------------------

namespace {

// Holds the input that arrives while the toolkit's queue is drained, except
// one Escape press, which it drops.
class TInputHolder : public QObject {
public:
    bool eventFilter(QObject* watched, QEvent* e) override {
        if (!Holds(e->type())) return false;
        if (!EscapeTaken && e->type() == QEvent::KeyPress &&
            static_cast<QKeyEvent*>(e)->key() == Qt::Key_Escape) {
            EscapeTaken = true;
            return true;
        }
        Held.push_back({QPointer<QObject>(watched), e->clone()});
        return true;
    }

    // Queues the held events again, in the order they came.
    void Release() {
        for (auto& [target, event] : Held) {
            if (target)
                QCoreApplication::postEvent(target, event);
            else
                delete event;
        }
        Held.clear();
    }

    bool EscapeTaken = false;
    std::vector<std::pair<QPointer<QObject>, QEvent*>> Held;

private:
    static bool Holds(QEvent::Type t) {
        switch (t) {
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::Shortcut:
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::MouseMove:
        case QEvent::Wheel:
        case QEvent::InputMethod:
        case QEvent::TouchBegin:
        case QEvent::TouchUpdate:
        case QEvent::TouchEnd: return true;
        default: return t == kPumpEvent;
        }
    }
};

bool GTakingEscape = false;

}  // namespace

bool TakePendingEscape() {
    auto& q = Queue();
    for (auto it = q.begin(); it != q.end(); ++it) {
        if (it->Message.Msg == WM_KEYDOWN && it->Message.WParam == VK_ESCAPE) {
            q.erase(it);
            return true;
        }
    }
    QCoreApplication* app = QCoreApplication::instance();
    if (!app || GTakingEscape) return false;
    GTakingEscape = true;
    TInputHolder holder;
    app->installEventFilter(&holder);
    try {
        QCoreApplication::processEvents(QEventLoop::AllEvents);
    } catch (...) {
        app->removeEventFilter(&holder);
        holder.Release();
        GTakingEscape = false;
        throw;
    }
    app->removeEventFilter(&holder);
    holder.Release();
    GTakingEscape = false;
    return holder.EscapeTaken;
}

TPendingChar GPendingChar;

bool PeekMessage(TMessage& Msg, TWinControl* Control, unsigned FilterMin, unsigned FilterMax, bool Remove) {
    if (GPendingChar.Waiting && (!Control || GPendingChar.Target == Control) &&
        InRange(GPendingChar.Message.Msg, FilterMin, FilterMax)) {
        Msg = GPendingChar.Message;
        Msg.Native = nullptr;
        if (Remove) GPendingChar.Waiting = false;
        return true;
    }
    auto& q = Queue();
    for (auto it = q.begin(); it != q.end(); ++it) {
        if ((Control && it->Target != Control) || !InRange(it->Message.Msg, FilterMin, FilterMax)) continue;
        Msg = it->Message;
        if (Remove) q.erase(it);
        return true;
    }
    return false;
}
