// Test doubles, rendering and real toolkit input for tests.
#include "platform/ui/testing.h"

#include <algorithm>
#include <vector>

#include <QApplication>
#include <QCloseEvent>
#include <QCursor>
#include <QDropEvent>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPixmap>
#include <QScreen>
#include <QThread>
#include <QWheelEvent>
#include <QWindow>

#include "platform/core/sysutils.h"
#include "platform/ui/application.h"
#include "platform/ui/bitmaps.h"
#include "platform/ui/popup_window.h"
#include "platform/ui/qt_host.h"
#include "platform/ui/richedit_qt.h"

// ---- Dialogs --------------------------------------------------------------------------------

TTestDialogs::TTestDialogs() : FPrevious(SetDialogService(this)) {}
TTestDialogs::~TTestDialogs() { SetDialogService(FPrevious); }

void TTestDialogs::AnswerInput(bool Ok, const std::string& Value) { FInputs.emplace_back(Ok, Value); }

const TMessageBoxRequest& TTestDialogs::Last() const {
    if (FMessages.empty()) throw EInvalidOperation("No message box was shown");
    return FMessages.back();
}

void TTestDialogs::Clear() {
    FMessages.clear();
    FAnswers.clear();
    FInputs.clear();
    FInputCount = 0;
}

TModalResult TTestDialogs::MessageBox(const TMessageBoxRequest& Request) {
    FMessages.push_back(Request);
    if (FAnswers.empty()) return ModalResultOf(Request.DefaultButton);
    const TModalResult answer = FAnswers.front();
    FAnswers.pop_front();
    return answer;
}

bool TTestDialogs::InputQuery(const std::string&, const std::string&, std::string& Value) {
    ++FInputCount;
    if (FInputs.empty()) return false;
    auto [ok, value] = FInputs.front();
    FInputs.pop_front();
    if (ok) Value = value;
    return ok;
}

// ---- Modal forms -----------------------------------------------------------------------------

namespace {
TTestModalForms* GModalScript = nullptr;
}

TTestModalForms::TTestModalForms() : FPrevious(GModalScript) { GModalScript = this; }
TTestModalForms::~TTestModalForms() { GModalScript = FPrevious; }

TTestModalForms* ActiveModalScript() { return GModalScript; }

void TTestModalForms::PushResult(TModalResult Result) {
    Push([Result](TCustomForm* form) { form->SetModalResult(Result); });
}

void TTestModalForms::Run(TCustomForm* Form) {
    FShown.push_back(Form->ClassName());
    if (FSteps.empty()) throw EInvalidOperation(Format("Unexpected modal form %s", Form->ClassName()));
    TStep step = std::move(FSteps.front());
    FSteps.pop_front();
    step(Form);
}

// ---- Beeps and clipboard ----------------------------------------------------------------------

TBeepCounter::TBeepCounter() : FPrevious(SetSoundService(this)) {}
TBeepCounter::~TBeepCounter() { SetSoundService(FPrevious); }

TTestClipboard::TTestClipboard() : FPrevious(SetClipboardService(this)) {}
TTestClipboard::~TTestClipboard() { SetClipboardService(FPrevious); }

// ---- Rendering -------------------------------------------------------------------------------

void GrabShownControl(TWinControl* Control, TBitmap* Bitmap) {
    if (!Control || !Bitmap) return;
    EnsureToolkit();
    Control->HandleNeeded();
    QWidget* w = Control->Widget();
    if (!w) throw EInvalidOperation(Format("Control %s has no window to grab", Control->Name()));
    QWidget* top = w->window();
    QScreen* screen = top->screen();
    const QPoint at = w->mapTo(top, QPoint(0, 0));
    const QPixmap shown =
        screen ? screen->grabWindow(top->winId(), at.x(), at.y(), w->width(), w->height()) : QPixmap();
    Bitmap->SetSize(w->width(), w->height());
    if (Bitmap->Empty()) return;
    TImageData* data = Bitmap->Data();
    data->EndPaint();
    data->Image.fill(Qt::white);
    QPainter painter(&data->Image);
    painter.drawPixmap(0, 0, shown);
    painter.end();
    Bitmap->SetModified(true);
}

void RenderControl(TControl* Control, TBitmap* Bitmap) {
    if (!Control || !Bitmap) return;
    EnsureToolkit();
    auto* win = dynamic_cast<TWinControl*>(Control);
    if (win)
        win->HandleNeeded();
    else if (Control->Parent())
        Control->Parent()->HandleNeeded();
    QWidget* w = Control->SurfaceWidget();
    if (!w) throw EInvalidOperation(Format("Control %s has no window to render", Control->Name()));
    const QSize size = win ? w->size() : QSize(Control->Width(), Control->Height());
    Bitmap->SetSize(size.width(), size.height());
    if (Bitmap->Empty()) return;
    TImageData* data = Bitmap->Data();
    data->EndPaint();
    data->Image.fill(Qt::white);
    QPainter painter(&data->Image);
    if (win) {
        w->render(&painter, QPoint());
    } else {
        const TPoint o = Control->SurfaceOrigin();
        w->render(&painter, QPoint(), QRegion(o.X, o.Y, size.width(), size.height()));
    }
    painter.end();
    Bitmap->SetModified(true);
}

bool RenderControlToPng(TControl* Control, const std::string& FileName) {
    TBitmap bitmap;
    RenderControl(Control, &bitmap);
    return bitmap.Data()->Image.save(ToQString(FileName), "PNG");
}

// ---- Input ----------------------------------------------------------------------------------

namespace {

QWidget* KeyTarget(TWinControl* Control) {
    EnsureToolkit();
    if (!Control) throw EInvalidOperation("No control to send a key to");
    Control->HandleNeeded();
    return Control->Widget();
}

// The text a key types on a US keyboard.
QString KeyText(uint16_t vk, TShiftState shift) {
    if (shift.Contains(ssCtrl)) return {};
    const bool up = shift.Contains(ssShift);
    if (vk >= 'A' && vk <= 'Z') return QString(QChar(up ? vk : vk + 32));
    if (vk >= '0' && vk <= '9') return up ? QString(QChar(")!@#$%^&*("[vk - '0'])) : QString(QChar(vk));
    if (vk >= VK_NUMPAD0 && vk <= VK_NUMPAD9) return QString(QChar('0' + vk - VK_NUMPAD0));
    switch (vk) {
    case VK_SPACE: return " ";
    case VK_RETURN: return "\r";
    case VK_TAB: return "\t";
    case VK_BACK: return "\b";
    case VK_ESCAPE: return QString(QChar(27));
    case VK_MULTIPLY: return "*";
    case VK_ADD: return "+";
    case VK_SUBTRACT: return "-";
    case VK_DECIMAL: return ".";
    case VK_DIVIDE: return "/";
    case VK_OEM_1: return up ? ":" : ";";
    case VK_OEM_PLUS: return up ? "+" : "=";
    case VK_OEM_COMMA: return up ? "<" : ",";
    case VK_OEM_MINUS: return up ? "_" : "-";
    case VK_OEM_PERIOD: return up ? ">" : ".";
    case VK_OEM_2: return up ? "?" : "/";
    case VK_OEM_3: return up ? "~" : "`";
    case VK_OEM_4: return up ? "{" : "[";
    case VK_OEM_5: return up ? "|" : "\\";
    case VK_OEM_6: return up ? "}" : "]";
    case VK_OEM_7: return up ? "\"" : "'";
    default: return {};
    }
}

void SendKeyEvent(QWidget* target, QEvent::Type type, uint16_t vk, TShiftState shift) {
    if (!target) return;
    Qt::KeyboardModifiers mods = ModifiersOf(shift);
    if (vk >= VK_NUMPAD0 && vk <= VK_DIVIDE) mods |= Qt::KeypadModifier;
    int key = QtKeyOf(vk);
    if (vk == VK_TAB && shift.Contains(ssShift)) key = Qt::Key_Backtab;
    QKeyEvent ev(type, key, mods, KeyText(vk, shift));
    QApplication::sendEvent(target, &ev);
}

void SendMouse(TControl* Control, QEvent::Type type, Qt::MouseButton button, Qt::MouseButtons buttons, int X,
               int Y, TShiftState shift) {
    EnsureToolkit();
    if (!Control) throw EInvalidOperation("No control to send the mouse to");
    if (auto* win = dynamic_cast<TWinControl*>(Control))
        win->HandleNeeded();
    else if (Control->Parent())
        Control->Parent()->HandleNeeded();
    QWidget* w = Control->SurfaceWidget();
    if (!w) throw EInvalidOperation(Format("Control %s has no window", Control->Name()));
    const TPoint o = Control->SurfaceOrigin();
    QPoint local(o.X + X, o.Y + Y);
    const QPoint global = w->mapToGlobal(local);
    QWidget* target = w;
    if (QWidget* grabber = QWidget::mouseGrabber(); grabber && grabber != w) {
        target = grabber;
        local = grabber->mapFromGlobal(global);
    }
    QMouseEvent ev(type, QPointF(local), QPointF(global), button, buttons, ModifiersOf(shift));
    QApplication::sendEvent(target, &ev);
}

Qt::MouseButton QtButton(TMouseButton b) {
    switch (b) {
    case mbRight: return Qt::RightButton;
    case mbMiddle: return Qt::MiddleButton;
    default: return Qt::LeftButton;
    }
}

Qt::MouseButtons HeldButtons(TShiftState shift) {
    Qt::MouseButtons b;
    if (shift.Contains(ssLeft)) b |= Qt::LeftButton;
    if (shift.Contains(ssRight)) b |= Qt::RightButton;
    if (shift.Contains(ssMiddle)) b |= Qt::MiddleButton;
    return b;
}

}  // namespace

void SendKeyDown(TWinControl* Control, uint16_t Key, TShiftState Shift) {
    SendKeyEvent(KeyTarget(Control), QEvent::KeyPress, Key, Shift);
    ProcessEvents();
}

void SendKeyUp(TWinControl* Control, uint16_t Key, TShiftState Shift) {
    SendKeyEvent(KeyTarget(Control), QEvent::KeyRelease, Key, Shift);
    ProcessEvents();
}

void PostKey(TWinControl* Control, uint16_t Key, TShiftState Shift) {
    QWidget* target = KeyTarget(Control);
    Qt::KeyboardModifiers mods = ModifiersOf(Shift);
    if (Key >= VK_NUMPAD0 && Key <= VK_DIVIDE) mods |= Qt::KeypadModifier;
    const int key = QtKeyOf(Key);
    QCoreApplication::postEvent(target, new QKeyEvent(QEvent::KeyPress, key, mods, KeyText(Key, Shift)));
    QCoreApplication::postEvent(target, new QKeyEvent(QEvent::KeyRelease, key, mods, KeyText(Key, Shift)));
}

void SendKey(TWinControl* Control, uint16_t Key, TShiftState Shift) {
    QWidget* target = KeyTarget(Control);
    QPointer<QWidget> guard(target);
    SendKeyEvent(target, QEvent::KeyPress, Key, Shift);
    if (guard) SendKeyEvent(target, QEvent::KeyRelease, Key, Shift);
    ProcessEvents();
}

void SendKeyToFocus(uint16_t Key, TShiftState Shift) {
    EnsureToolkit();
    QWidget* target = QApplication::focusWidget();
    if (!target)
        if (TWinControl* c = Screen ? Screen->ActiveControl() : nullptr) target = c->Widget();
    if (!target) throw EInvalidOperation("No control has the focus");
    QPointer<QWidget> guard(target);
    SendKeyEvent(target, QEvent::KeyPress, Key, Shift);
    if (guard) SendKeyEvent(target, QEvent::KeyRelease, Key, Shift);
    ProcessEvents();
}

void SendText(TWinControl* Control, const std::string& Text) {
    QWidget* target = KeyTarget(Control);
    QPointer<QWidget> guard(target);
    for (char32_t c : ToQString(Text).toUcs4()) {
        if (!guard) break;
        int key = Qt::Key_unknown;
        Qt::KeyboardModifiers mods;
        if (c >= 'a' && c <= 'z')
            key = Qt::Key_A + static_cast<int>(c - 'a');
        else if (c >= 'A' && c <= 'Z') {
            key = Qt::Key_A + static_cast<int>(c - 'A');
            mods = Qt::ShiftModifier;
        } else if (c >= '0' && c <= '9')
            key = Qt::Key_0 + static_cast<int>(c - '0');
        else if (c == ' ')
            key = Qt::Key_Space;
        else if (c < 0x80)
            key = static_cast<int>(c);
        const QString text = QString::fromUcs4(&c, 1);
        QKeyEvent press(QEvent::KeyPress, key, mods, text);
        QApplication::sendEvent(target, &press);
        if (!guard) break;
        QKeyEvent release(QEvent::KeyRelease, key, mods, text);
        QApplication::sendEvent(target, &release);
    }
    ProcessEvents();
}

void SendMouseDown(TControl* Control, TMouseButton Button, int X, int Y, TShiftState Shift) {
    SendMouse(Control, QEvent::MouseButtonPress, QtButton(Button), QtButton(Button) | HeldButtons(Shift), X,
              Y, Shift);
    ProcessEvents();
}

void SendMouseUp(TControl* Control, TMouseButton Button, int X, int Y, TShiftState Shift) {
    SendMouse(Control, QEvent::MouseButtonRelease, QtButton(Button), HeldButtons(Shift) & ~QtButton(Button),
              X, Y, Shift);
    ProcessEvents();
}

void SendMouseMove(TControl* Control, int X, int Y, TShiftState Shift) {
    SendMouse(Control, QEvent::MouseMove, Qt::NoButton, HeldButtons(Shift), X, Y, Shift);
    ProcessEvents();
}

// A control freed by a handler of the press gets no more of the click.
void SendClick(TControl* Control, int X, int Y, TMouseButton Button, TShiftState Shift) {
    if (RunWhileAlive(Control, [&] { SendMouseDown(Control, Button, X, Y, Shift); }))
        SendMouseUp(Control, Button, X, Y, Shift);
}

void SendDoubleClick(TControl* Control, int X, int Y, TShiftState Shift) {
    const TControlWatch watch(Control);
    SendMouseDown(Control, mbLeft, X, Y, Shift);
    if (!watch.Gone()) SendMouseUp(Control, mbLeft, X, Y, Shift);
    if (watch.Gone()) return;
    SendMouse(Control, QEvent::MouseButtonDblClick, Qt::LeftButton, Qt::LeftButton, X, Y, Shift);
    ProcessEvents();
    if (!watch.Gone()) SendMouseUp(Control, mbLeft, X, Y, Shift);
}

void SendMouseWheel(TControl* Control, int Delta, int X, int Y, TShiftState Shift) {
    EnsureToolkit();
    if (auto* win = dynamic_cast<TWinControl*>(Control))
        win->HandleNeeded();
    else if (Control && Control->Parent())
        Control->Parent()->HandleNeeded();
    QWidget* w = Control ? Control->SurfaceWidget() : nullptr;
    if (!w) throw EInvalidOperation("No window to send the wheel to");
    const TPoint o = Control->SurfaceOrigin();
    const QPointF local(o.X + X, o.Y + Y);
    const QPointF global = w->mapToGlobal(local);
    QWheelEvent ev(local, global, QPoint(), QPoint(0, Delta), HeldButtons(Shift), ModifiersOf(Shift),
                   Qt::NoScrollPhase, false);
    QApplication::sendEvent(w, &ev);
    ProcessEvents();
}

unsigned SendTextDrop(TWinControl* Control, int X, int Y, TShiftState Shift, TWinControl* DragSource,
                      const std::string& Text, const std::string& Rtf) {
    EnsureToolkit();
    if (!Control) throw EInvalidOperation("No control to drop on");
    Control->HandleNeeded();
    QWidget* w = Control->SurfaceWidget();
    if (!w) throw EInvalidOperation(Format("Control %s has no window", Control->Name()));
    std::unique_ptr<QMimeData> data;
    if (DragSource) {
        DragSource->HandleNeeded();
        auto* edit = dynamic_cast<TRichTextEdit*>(DragSource->SurfaceWidget());
        if (!edit) throw EInvalidOperation(Format("Control %s cannot start a text drag", DragSource->Name()));
        data.reset(edit->DragData());
    } else {
        data = std::make_unique<QMimeData>();
        data->setText(ToQString(Text));
        if (!Rtf.empty())
            data->setData(QStringLiteral("text/rtf"),
                          QByteArray(Rtf.data(), static_cast<qsizetype>(Rtf.size())));
    }
    const TPoint o = Control->SurfaceOrigin();
    QPoint local(o.X + X, o.Y + Y);
    QWidget* target = w->childAt(local);
    if (!target) target = w;
    local = target->mapFrom(w, local);
    const Qt::DropActions allowed = Qt::CopyAction | Qt::MoveAction;
    const Qt::KeyboardModifiers keys = ModifiersOf(Shift);
    QDragEnterEvent enter(local, allowed, data.get(), Qt::LeftButton, keys);
    QApplication::sendEvent(target, &enter);
    QDragMoveEvent move(local, allowed, data.get(), Qt::LeftButton, keys);
    QApplication::sendEvent(target, &move);
    QDropEvent drop(QPointF(local), allowed, data.get(), Qt::LeftButton, keys);
    QApplication::sendEvent(target, &drop);
    ProcessEvents();
    if (!drop.isAccepted()) return 0;
    switch (drop.dropAction()) {
    case Qt::CopyAction: return 1;
    case Qt::MoveAction: return 2;
    case Qt::LinkAction: return 4;
    default: return 0;
    }
}

void ProcessEvents() {
    if (Application)
        Application->ProcessMessages();
    else if (QCoreApplication::instance())
        QCoreApplication::processEvents();
}

bool EventLoopRests(int Passes) {
    QEventLoop loop;
    for (int i = 0; i < Passes; ++i)
        if (!loop.processEvents(QEventLoop::AllEvents)) return true;
    return false;
}

bool WaitUntil(const std::function<bool()>& Condition, int Milliseconds) {
    QElapsedTimer timer;
    timer.start();
    while (!Condition()) {
        if (timer.elapsed() >= Milliseconds) return Condition();
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        QThread::msleep(2);
    }
    return true;
}

void ActivateForm(TCustomForm* Form) {
    if (!Form) return;
    Form->HandleNeeded();
    if (QWidget* w = Form->Widget()) {
        RaiseWindow(w);
        w->activateWindow();
        QApplication::setActiveWindow(w);
    }
    ProcessEvents();
    if (!Form->Active()) Form->Perform(CM_ACTIVATE, 0, 0);
}

void ActivateWindowOf(TWinControl* Control) {
    if (!Control) return;
    Control->HandleNeeded();
    QWidget* w = Control->Widget();
    if (!w) throw EInvalidOperation("No window to activate");
    QApplication::setActiveWindow(w->window());
    w->setFocus(Qt::MouseFocusReason);
}

void SendCloseBox(TCustomForm* Form) {
    if (!Form) return;
    Form->HandleNeeded();
    QWidget* w = Form->Widget();
    if (!w) throw EInvalidOperation("No window to close");
    QCloseEvent e;
    QCoreApplication::sendEvent(w, &e);
    ProcessEvents();
}

// The toolkit's entry for a mouse event of the window system, delivered at
// once (its GUI library exports it for test tools).
Q_GUI_EXPORT void qt_handleMouseEvent(QWindow* window, const QPointF& local, const QPointF& global,
                                      Qt::MouseButtons state, Qt::MouseButton button, QEvent::Type type,
                                      Qt::KeyboardModifiers mods, int timestamp);

namespace {
int GWindowSystemTime = 0;

// The window a watch grabs the pointer for, if any.
QWindow* GrabbingWindow() {
    TWinControl* grab = OutsideClickGrabWindow();
    QWidget* w = grab ? grab->Widget() : nullptr;
    return w ? w->windowHandle() : nullptr;
}

// A mouse event of the window system for Window at the screen point.
void WindowSystemMouse(QWindow* Window, const QPoint& Global, QEvent::Type Type, Qt::MouseButtons State,
                       Qt::MouseButton Button) {
    if (!Window) return;
    const QPointF local = QPointF(Global - Window->position());
    // Each click a second after the last: no two make a double click.
    GWindowSystemTime += Type == QEvent::MouseButtonPress ? 1000 : 1;
    qt_handleMouseEvent(Window, local, QPointF(Global), State, Button, Type, Qt::NoModifier,
                        GWindowSystemTime);
}

// The program's top window at the point: of the windows there, one that
// floats above the others (a pop-up above its owner's window, a window kept
// on top), else the modal one, else the toolkit's pick.
QWindow* TopWindowAt(const QPoint& Global) {
    std::vector<QWindow*> there;
    for (QWindow* w : QGuiApplication::topLevelWindows())
        if (w->isVisible() && w->type() != Qt::Desktop && w->geometry().contains(Global)) there.push_back(w);
    auto above = [](QWindow* A, QWindow* B) {
        if (B->isAncestorOf(A, QWindow::IncludeTransients)) return true;
        return (A->flags() & Qt::WindowStaysOnTopHint) && !(B->flags() & Qt::WindowStaysOnTopHint);
    };
    for (QWindow* c : there) {
        bool top = true;
        for (QWindow* other : there) top = top && (other == c || !above(other, c));
        bool overAll = true;
        for (QWindow* other : there) overAll = overAll && (other == c || above(c, other));
        if (top && overAll) return c;
    }
    if (QWindow* modal = QGuiApplication::modalWindow())
        if (std::find(there.begin(), there.end(), modal) != there.end()) return modal;
    return QGuiApplication::topLevelAt(Global);
}

// The program's window a press at the point reaches: the grabbing one, else
// the one on top at the point.
QWindow* WindowSystemTarget(const QPoint& Global) {
    if (QWindow* grab = GrabbingWindow()) return grab;
    return TopWindowAt(Global);
}
}  // namespace

void MovePointerTo(const TPoint& Screen) {
    EnsureToolkit();
    const QPoint global(Screen.X, Screen.Y);
    // Under a grab the motion goes to the grabbing window; the platform's own
    // pointer then follows (its motion at the same point is no news).
    if (QWindow* grab = GrabbingWindow())
        WindowSystemMouse(grab, global, QEvent::MouseMove, Qt::NoButton, Qt::NoButton);
    QCursor::setPos(global);
    ProcessEvents();
}

void SendScreenClick(const TPoint& Screen) {
    MovePointerTo(Screen);
    const QPoint global(Screen.X, Screen.Y);
    QWindow* target = WindowSystemTarget(global);
    const QPointer<QWindow> pressed(target);
    WindowSystemMouse(target, global, QEvent::MouseButtonPress, Qt::LeftButton, Qt::LeftButton);
    ProcessEvents();
    // The release goes where the press went while that window shows (the
    // grab ends with a drop-down closed by the press), else where the
    // pointer is, else to the active window: the toolkit learns the button
    // is up.
    QWindow* release = pressed && pressed->isVisible() ? pressed.data() : WindowSystemTarget(global);
    if (!release) release = QGuiApplication::focusWindow();
    WindowSystemMouse(release, global, QEvent::MouseButtonRelease, Qt::NoButton, Qt::LeftButton);
    ProcessEvents();
}

void SendFrameClick(TCustomForm* Form) {
    if (!Form) return;
    Form->HandleNeeded();
    QWidget* w = Form->Widget();
    if (!w) throw EInvalidOperation("No window to click");
    const QPointF local(w->width() / 2.0, -8);
    const QPointF global = w->mapToGlobal(local);
    const QPoint at = global.toPoint();
    MovePointerTo({at.x(), at.y()});
    if (GrabbingWindow()) {
        SendScreenClick({at.x(), at.y()});
        return;
    }
    QMouseEvent press(QEvent::NonClientAreaMouseButtonPress, local, global, Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QApplication::sendEvent(w, &press);
    QMouseEvent release(QEvent::NonClientAreaMouseButtonRelease, local, global, Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QApplication::sendEvent(w, &release);
    ProcessEvents();
}

void MoveWindowOf(TCustomForm* Form, int DX, int DY) {
    if (!Form) return;
    Form->HandleNeeded();
    QWidget* w = Form->Widget();
    if (!w) throw EInvalidOperation("No window to move");
    w->move(w->pos() + QPoint(DX, DY));
    ProcessEvents();
}

void DeactivateWindows() {
    EnsureToolkit();
    QApplication::setActiveWindow(nullptr);
    ProcessEvents();
}

TWinControl* FocusedControl() {
    if (!qobject_cast<QApplication*>(QCoreApplication::instance())) return nullptr;
    return FindControlOfWidget(QApplication::focusWidget());
}

namespace {
// Asked of the object that has the focus when the control has it (as the
// toolkit asks), else of the control's window.
QVariant QueryInputMethod(TWinControl* Control, Qt::InputMethodQuery Query) {
    Control->HandleNeeded();
    QObject* target = Control->Widget();
    if (FocusedControl() == Control && QGuiApplication::focusObject())
        target = QGuiApplication::focusObject();
    QInputMethodQueryEvent query(Query);
    QApplication::sendEvent(target, &query);
    return query.value(Query);
}
}  // namespace

bool InputMethodEnabledFor(TWinControl* Control) { return QueryInputMethod(Control, Qt::ImEnabled).toBool(); }

bool LatinInputAskedFor(TWinControl* Control) {
    return (QueryInputMethod(Control, Qt::ImHints).toInt() & Qt::ImhLatinOnly) != 0;
}

bool InputMethodAttributeOf(TWinControl* Control) {
    Control->HandleNeeded();
    return Control->Widget()->testAttribute(Qt::WA_InputMethodEnabled);
}
