// TWinControl's input: tab order and focus, mouse messages routed to graphic
// children, dispatch and the widget's default handling, keys and focus messages.
#include <QApplication>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWidget>

#include <algorithm>

#include "platform/ui/application.h"
#include "platform/ui/controls.h"
#include "platform/ui/forms.h"
#include "platform/ui/qt_host.h"

// ---- Tab order and focus ---------------------------------------------------------------

void TWinControl::SetTabStop(bool Value) {
    if (Value == FTabStop) return;
    FTabStop = Value;
    Perform(CM_TABSTOPCHANGED, 0, 0);
}

int TWinControl::TabOrder() const {
    if (!FParent) return -1;
    const auto& list = FParent->FTabList;
    auto it = std::find(list.begin(), list.end(), this);
    return it == list.end() ? -1 : static_cast<int>(it - list.begin());
}

void TWinControl::SetTabOrder(int Value) {
    if (!FParent) return;
    auto& list = FParent->FTabList;
    auto it = std::find(list.begin(), list.end(), this);
    if (it == list.end()) return;
    list.erase(it);
    if (Value < 0 || Value > static_cast<int>(list.size())) Value = static_cast<int>(list.size());
    list.insert(list.begin() + Value, this);
}

void TWinControl::GetTabOrderList(std::vector<TWinControl*>& List) const {
    for (TWinControl* c : FTabList) {
        List.push_back(c);
        c->GetTabOrderList(List);
    }
}

TWinControl* TWinControl::FindNextControl(TWinControl* CurControl, bool GoForward, bool CheckTabStop,
                                          bool CheckParent) const {
    std::vector<TWinControl*> list;
    GetTabOrderList(list);
    if (list.empty()) return nullptr;
    const int count = static_cast<int>(list.size());
    auto it = std::find(list.begin(), list.end(), CurControl);
    int start = it == list.end() ? (GoForward ? count - 1 : 0) : static_cast<int>(it - list.begin());
    int i = start;
    do {
        if (GoForward) {
            if (++i == count) i = 0;
        } else {
            if (i == 0) i = count;
            --i;
        }
        TWinControl* c = list[static_cast<std::size_t>(i)];
        if (c != CurControl && c->CanFocus() && (!CheckTabStop || c->TabStop()) &&
            (!CheckParent || c->Parent() == this))
            return c;
    } while (i != start);
    return nullptr;
}

void TWinControl::SelectNext(TWinControl* CurControl, bool GoForward, bool CheckTabStop) {
    if (TWinControl* next = FindNextControl(CurControl, GoForward, CheckTabStop, !CheckTabStop))
        next->SetFocus();
}

void TWinControl::SelectFirst() {
    if (TWinControl* first = FindNextControl(nullptr, true, true, false)) first->SetFocus();
}

bool TWinControl::CanFocus() const {
    TCustomForm* form = GetParentForm(this);
    if (form && (!form->Enabled() || !form->Visible())) return false;
    for (const TControl* c = this; c; c = c->Parent()) {
        if (!c->Visible() || !c->Enabled()) return false;
        if (c == form) break;
    }
    return true;
}

bool TWinControl::Focused() const {
    QWidget* w = Widget();
    return w && QApplication::focusWidget() == w;
}

void TWinControl::SetFocus() {
    if (TCustomForm* form = GetParentForm(this)) {
        form->FocusControl(this);
        return;
    }
    if (!CanFocus()) throw EInvalidOperation("Cannot focus a disabled or invisible window");
    HandleNeeded();
    if (QWidget* w = Widget()) w->setFocus(Qt::OtherFocusReason);
}

// ---- Messages --------------------------------------------------------------------------

void TWinControl::WndProc(TMessage& Message) {
    switch (Message.Msg) {
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
    case WM_MBUTTONDBLCLK:
        if (IsControlMouseMsg(Message)) return;
        if (Message.Msg == WM_MOUSEMOVE) TrackMouseControl(nullptr);
        break;
    case CM_MOUSELEAVE: TrackMouseControl(nullptr); break;
    default: break;
    }
    TControl::WndProc(Message);
}

void TWinControl::TrackMouseControl(TControl* Target) {
    if (Target == FMouseControl) return;
    TControl* old = FMouseControl;
    FMouseControl = Target;
    if (old) old->Perform(CM_MOUSELEAVE, 0, 0);
    if (Target) Target->Perform(CM_MOUSEENTER, 0, 0);
    if (QWidget* w = Widget()) {
        const TCursor cursor = Target ? Target->Cursor() : Cursor();
        if (cursor == crDefault)
            w->unsetCursor();
        else
            w->setCursor(ToQtCursor(cursor));
    }
}

bool TWinControl::IsControlMouseMsg(TMessage& Message) {
    const TPoint pos = MousePos(Message);
    TControl* target = nullptr;
    TControl* capture = GetCaptureControl();
    if (capture && capture != this) {
        // A capturing graphic child takes everything; another capture leaves
        // the message to this control.
        if (capture->Parent() != this || dynamic_cast<TWinControl*>(capture)) return false;
        target = capture;
    } else {
        target = ControlAtPos(pos, false);
    }
    if (!target) return false;
    if (Message.Msg == WM_MOUSEMOVE)
        TrackMouseControl(PtInRect(target->BoundsRect(), pos) ? target : nullptr);
    TMessage m = Message;
    m.LParam = MakeLParam(pos.X - target->Left(), pos.Y - target->Top());
    target->WndProc(m);
    Message.Result = m.Result;
    return true;
}

void TWinControl::Dispatch(TMessage& Message) {
    switch (Message.Msg) {
    case WM_KEYDOWN: WMKeyDown(Message); break;
    case WM_SYSKEYDOWN: WMSysKeyDown(Message); break;
    case WM_KEYUP: WMKeyUp(Message); break;
    case WM_SYSKEYUP: WMSysKeyUp(Message); break;
    case WM_CHAR: WMChar(Message); break;
    case WM_SYSCHAR: WMSysChar(Message); break;
    case CN_KEYDOWN:
    case CN_SYSKEYDOWN: CNKeyDown(Message); break;
    case CN_CHAR:
    case CN_SYSCHAR: CNChar(Message); break;
    case WM_SETFOCUS: WMSetFocus(Message); break;
    case WM_KILLFOCUS: WMKillFocus(Message); break;
    case WM_PAINT: WMPaint(Message); break;
    case WM_ERASEBKGND: WMEraseBkgnd(Message); break;
    case WM_SIZE: WMSize(Message); break;
    case WM_GETDLGCODE: WMGetDlgCode(Message); break;
    case WM_HELP:
    case CM_INVOKEHELP: WMHelp(Message); break;
    case CM_ENTER: CMEnter(Message); break;
    case CM_EXIT: CMExit(Message); break;
    case CM_DIALOGKEY: CMDialogKey(Message); break;
    case CM_DIALOGCHAR: CMDialogChar(Message); break;
    case CM_CHILDKEY: CMChildKey(Message); break;
    case CM_FOCUSCHANGED: CMFocusChanged(Message); break;
    case CM_SHOWINGCHANGED: CMShowingChanged(Message); break;
    case CM_ENABLEDCHANGED:
        if (QWidget* w = Widget()) w->setEnabled(Enabled());
        if (!Enabled())
            if (TCustomForm* form = GetParentForm(this); form && form != this)
                form->DefocusControl(this, false);
        TControl::Dispatch(Message);
        break;
    case CM_FONTCHANGED:
        if (QWidget* w = Widget(); w && !FWindow->SelfPainted) {
            w->setFont(ToQFont(Font()));
            // The font's colour is the wrapped widget's text colour.
            QPalette pal = w->palette();
            pal.setColor(QPalette::Text, ToQColor(Font()->Color()));
            pal.setColor(QPalette::WindowText, ToQColor(Font()->Color()));
            w->setPalette(pal);
        }
        TControl::Dispatch(Message);
        NotifyControls(CM_PARENTFONTCHANGED);
        break;
    case CM_COLORCHANGED:
        if (QWidget* w = Widget(); w && !FWindow->SelfPainted) {
            QPalette pal = w->palette();
            pal.setColor(QPalette::Base, ToQColor(Color()));
            w->setPalette(pal);
        }
        TControl::Dispatch(Message);
        NotifyControls(CM_PARENTCOLORCHANGED);
        break;
    case CM_SHOWHINTCHANGED: NotifyControls(CM_PARENTSHOWHINTCHANGED); break;
    case CM_BIDIMODECHANGED:
        ScrollBarSidesChanged();
        TControl::Dispatch(Message);
        NotifyControls(CM_PARENTBIDIMODECHANGED);
        break;
    case CM_CURSORCHANGED:
        if (QWidget* w = Widget()) {
            if (Cursor() == crDefault)
                w->unsetCursor();
            else
                w->setCursor(ToQtCursor(Cursor()));
        }
        break;
    default: TControl::Dispatch(Message); break;
    }
}

namespace {

void SendSyntheticKey(IWidgetHost* host, QEvent::Type type, int qtKey, const QString& text) {
    QKeyEvent ev(type, qtKey, ModifiersOf(GetShiftState()), text);
    host->BaseEvent(&ev);
}

int QtKeyOfChar(char32_t ch) {
    switch (ch) {
    case 8: return Qt::Key_Backspace;
    case 9: return Qt::Key_Tab;
    case 13: return Qt::Key_Return;
    case 27: return Qt::Key_Escape;
    case 32: return Qt::Key_Space;
    default: break;
    }
    if (ch >= 'a' && ch <= 'z') return Qt::Key_A + static_cast<int>(ch - 'a');
    if (ch >= 'A' && ch <= 'Z') return Qt::Key_A + static_cast<int>(ch - 'A');
    if (ch >= '0' && ch <= '9') return Qt::Key_0 + static_cast<int>(ch - '0');
    if (ch < 0x80) return static_cast<int>(ch);
    return Qt::Key_unknown;
}

QString TextOfChar(char32_t ch) {
    if (ch == 0) return {};
    return QString::fromUcs4(&ch, 1);
}

}  // namespace

void TWinControl::DefaultHandler(TMessage& Message) {
    TNativeEvent* n = Message.Native;
    IWidgetHost* host = FWindow ? FWindow->Host : nullptr;
    switch (Message.Msg) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
        if (Message.Msg == WM_KEYDOWN && Message.WParam == VK_F1) {
            Perform(WM_HELP, 0, 0);
            return;
        }
        if (!host || FWindow->SelfPainted) return;
        if (n && n->Event && n->Key == Message.WParam) {
            if (n->Char == 0) n->RunDefault();  // else the character brings the event to the widget
        } else {
            SendSyntheticKey(host, QEvent::KeyPress, QtKeyOf(static_cast<uint16_t>(Message.WParam)),
                             QString());
        }
        return;
    case WM_KEYUP:
    case WM_SYSKEYUP:
        if (!host || FWindow->SelfPainted) return;
        if (n && n->Event && n->Key == Message.WParam)
            n->RunDefault();
        else
            SendSyntheticKey(host, QEvent::KeyRelease, QtKeyOf(static_cast<uint16_t>(Message.WParam)),
                             QString());
        return;
    case WM_CHAR:
    case WM_SYSCHAR: {
        if (!host || FWindow->SelfPainted) return;
        const auto ch = static_cast<char32_t>(Message.WParam);
        if (n && n->Event && n->Char == ch) {
            n->RunDefault();
        } else {
            // A changed character types the new one.
            const int key = n && n->Event && n->Char == 13 && ch == 13 ? Qt::Key_Return : QtKeyOfChar(ch);
            SendSyntheticKey(host, QEvent::KeyPress, key, ch >= 32 ? TextOfChar(ch) : QString());
        }
        return;
    }
    case WM_MOUSEWHEEL:
        if (host && !FWindow->SelfPainted && n && n->Event) {
            n->Event->setAccepted(false);
            n->RunDefault();
            Message.Result = n->Event->isAccepted() ? 1 : 0;
        }
        return;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
        if (n && n->Event && host && !n->DefaultDone && n->Event->type() == QEvent::MouseButtonDblClick) {
            // A control without double clicks has its second press handled as a
            // press by its window too.
            auto* e = static_cast<QMouseEvent*>(n->Event);
            QMouseEvent press(QEvent::MouseButtonPress, e->position(), e->globalPosition(), e->button(),
                              e->buttons(), e->modifiers());
            n->DefaultDone = true;
            host->BaseEvent(&press);
            return;
        }
        if (n && n->Event && host) n->RunDefault();
        return;
    case WM_CONTEXTMENU:
        if (host && !FWindow->SelfPainted) {
            const TPoint screen = MousePos(Message);
            const QPoint global(screen.X, screen.Y);
            QContextMenuEvent ev(QContextMenuEvent::Mouse, Widget()->mapFromGlobal(global), global);
            ev.setAccepted(false);
            host->BaseEvent(&ev);
            Message.Result = ev.isAccepted() ? 1 : 0;
        }
        return;
    default:
        if (n && n->Event && host) n->RunDefault();
        return;
    }
}

// ---- Keys -------------------------------------------------------------------------------

void TWinControl::KeyDown(uint16_t& Key, TShiftState Shift) { FOnKeyDown(this, Key, Shift); }
void TWinControl::KeyUp(uint16_t& Key, TShiftState Shift) { FOnKeyUp(this, Key, Shift); }
void TWinControl::KeyPress(char32_t& Key) { FOnKeyPress(this, Key); }

bool TWinControl::DoKeyDown(TMessage& Message) {
    const TControlWatch watch(this);
    TCustomForm* form = GetParentForm(this);
    if (form && form != this && form->KeyPreview() && static_cast<TWinControl*>(form)->DoKeyDown(Message))
        return true;
    // A handler that freed the control has consumed the key.
    if (watch.Gone()) return true;
    if (ControlStyle().Contains(csNoStdEvents)) return false;
    auto key = static_cast<uint16_t>(Message.WParam);
    KeyDown(key, KeyDataToShiftState(Message.LParam));
    if (watch.Gone()) return true;
    Message.WParam = key;
    return key == 0;
}

bool TWinControl::DoKeyUp(TMessage& Message) {
    const TControlWatch watch(this);
    TCustomForm* form = GetParentForm(this);
    if (form && form != this && form->KeyPreview() && static_cast<TWinControl*>(form)->DoKeyUp(Message))
        return true;
    // A handler that freed the control has consumed the key.
    if (watch.Gone()) return true;
    if (ControlStyle().Contains(csNoStdEvents)) return false;
    auto key = static_cast<uint16_t>(Message.WParam);
    KeyUp(key, KeyDataToShiftState(Message.LParam));
    if (watch.Gone()) return true;
    Message.WParam = key;
    return key == 0;
}

bool TWinControl::DoKeyPress(TMessage& Message) {
    const TControlWatch watch(this);
    TCustomForm* form = GetParentForm(this);
    if (form && form != this && form->KeyPreview() && static_cast<TWinControl*>(form)->DoKeyPress(Message))
        return true;
    // A handler that freed the control has consumed the key.
    if (watch.Gone()) return true;
    if (ControlStyle().Contains(csNoStdEvents)) return false;
    auto ch = static_cast<char32_t>(Message.WParam);
    KeyPress(ch);
    if (watch.Gone()) return true;
    Message.WParam = ch;
    return ch == 0;
}

void TWinControl::WMKeyDown(TMessage& Message) {
    if (!DoKeyDown(Message)) DefaultHandler(Message);
}

void TWinControl::WMSysKeyDown(TMessage& Message) {
    if (!DoKeyDown(Message)) DefaultHandler(Message);
}

void TWinControl::WMKeyUp(TMessage& Message) {
    if (!DoKeyUp(Message)) DefaultHandler(Message);
}

void TWinControl::WMSysKeyUp(TMessage& Message) {
    if (!DoKeyUp(Message)) DefaultHandler(Message);
}

void TWinControl::WMChar(TMessage& Message) {
    if (!DoKeyPress(Message)) DefaultHandler(Message);
}

void TWinControl::WMSysChar(TMessage& Message) {
    TCustomForm* form = GetParentForm(this);
    if (form && form->Perform(CM_DIALOGCHAR, Message.WParam, Message.LParam) != 0) {
        Message.Result = 1;
        return;
    }
    DefaultHandler(Message);
}

void TWinControl::CNKeyDown(TMessage& Message) {
    Message.Result = 1;
    TCustomForm* form = GetParentForm(this);
    if (form && form->IsShortCut(Message)) return;
    if (Perform(CM_CHILDKEY, Message.WParam, reinterpret_cast<LPARAM>(this)) != 0) return;
    LRESULT mask = 0;
    switch (Message.WParam) {
    case VK_TAB: mask = DLGC_WANTTAB; break;
    case VK_LEFT:
    case VK_RIGHT:
    case VK_UP:
    case VK_DOWN: mask = DLGC_WANTARROWS; break;
    case VK_RETURN:
    case VK_EXECUTE:
    case VK_ESCAPE:
    case VK_CANCEL: mask = DLGC_WANTALLKEYS; break;
    default: break;
    }
    if (mask != 0 && Perform(CM_WANTSPECIALKEY, Message.WParam, 0) == 0 &&
        (Perform(WM_GETDLGCODE, 0, 0) & mask) == 0 && form &&
        form->Perform(CM_DIALOGKEY, Message.WParam, Message.LParam) != 0)
        return;
    Message.Result = 0;
}

void TWinControl::CNChar(TMessage& Message) {
    Message.Result = 1;
    TCustomForm* form = GetParentForm(this);
    if ((Perform(WM_GETDLGCODE, 0, 0) & DLGC_WANTCHARS) == 0 && form &&
        form->Perform(CM_DIALOGCHAR, Message.WParam, Message.LParam) != 0)
        return;
    Message.Result = 0;
}

void TWinControl::CMChildKey(TMessage& Message) {
    if (FParent) Message.Result = FParent->Perform(CM_CHILDKEY, Message.WParam, Message.LParam);
}

void TWinControl::WMGetDlgCode(TMessage& Message) { Message.Result = 0; }

void TWinControl::CMDialogKey(TMessage& Message) { Broadcast(Message); }
void TWinControl::CMDialogChar(TMessage& Message) { Broadcast(Message); }
void TWinControl::CMFocusChanged(TMessage& Message) { Broadcast(Message); }
void TWinControl::CMShowingChanged(TMessage&) {}

void TWinControl::WMHelp(TMessage& Message) {
    for (const TControl* c = this; c; c = c->Parent()) {
        if (c->HelpContext() != 0) {
            if (Application) Application->HelpContext(c->HelpContext());
            Message.Result = 1;
            return;
        }
    }
}

// ---- Focus messages --------------------------------------------------------------------

void TWinControl::WMSetFocus(TMessage& Message) {
    if (TCustomForm* form = GetParentForm(this); form && form != this)
        if (!form->SetFocusedControl(this)) return;
    DefaultHandler(Message);
}

void TWinControl::WMKillFocus(TMessage& Message) { DefaultHandler(Message); }

void TWinControl::CMEnter(TMessage&) { DoEnter(); }
void TWinControl::CMExit(TMessage&) { DoExit(); }
void TWinControl::DoEnter() { FOnEnter(this); }
void TWinControl::DoExit() { FOnExit(this); }
