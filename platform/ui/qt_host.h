// The toolkit side of the windowing layer. Only the sources of platform/ui
// include this header; nothing above the platform sees the toolkit.
//
// A control's window is a widget that routes its events to the control:
// TQtHost<W> derives from any widget class W and overrides event(). A
// control that wraps a ready-made widget makes one in its
// CreateWindowHandle override:
//
//   void TEdit::CreateWindowHandle(const TCreateParams& Params) {
//       auto* w = new TQtHost<QLineEdit>(this, ParentWidgetFor(Params));
//       AttachWidget(w, false);
//   }
//
// Events the control leaves to DefaultHandler reach W::event(). A scroll
// area (a list, a text editor, a tree) takes TQtScrollHost<W> instead, so
// that the input of its viewport is routed too.
//
// Forms are laid out for an 8-point interface font (13-pixel lines); its names
// are replaced by DejaVu Sans semi-condensed, unsmoothed up to 13 pixels, with
// fontconfig's fallback fonts for missing characters. The toolkit's own
// dialogs and menus get the same font (InterfaceQFont).
#pragma once

#include <QEvent>
#include <QFont>
#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QWheelEvent>
#include <QWidget>

#include <memory>
#include <vector>

#include "platform/ui/controls.h"
#include "platform/ui/graphics.h"
#include "platform/ui/messages.h"

class TCanvas;

// What every routing widget answers.
class IWidgetHost {
public:
    virtual ~IWidgetHost() = default;
    // The widget's own event processing (W::event).
    virtual bool BaseEvent(QEvent* Event) = 0;
    virtual TWinControl* HostControl() const = 0;
    // The control is gone: events go straight to the widget from now on.
    virtual void DetachControl() = 0;
};

// Routes a widget event to its control; Host runs the widget's own
// processing when the control leaves it the event.
bool RouteQtEvent(TWinControl* Control, QWidget* Widget, IWidgetHost* Host, QEvent* Event);

template <class W>
class TQtHost : public W, public IWidgetHost {
public:
    template <class... A>
    explicit TQtHost(TWinControl* Control, A&&... Args) : W(std::forward<A>(Args)...), FControl(Control) {}

    bool BaseEvent(QEvent* Event) override { return W::event(Event); }
    TWinControl* HostControl() const override { return FControl; }
    void DetachControl() override { FControl = nullptr; }

protected:
    bool event(QEvent* Event) override {
        if (!FControl) return W::event(Event);
        return RouteQtEvent(FControl, this, this, Event);
    }
    // Tab moves the focus through the form's own tab order, never the toolkit's.
    bool focusNextPrevChild(bool) override { return false; }

private:
    TWinControl* FControl;
};

// A scroll area whose viewport's input reaches the control: the viewport's
// mouse and wheel events come to the control as its own (in the frame's
// coordinates, hover moves included), and what the control leaves goes to
// the viewport as usual. W is a QAbstractScrollArea descendant.
template <class W>
class TQtScrollHost : public TQtHost<W> {
public:
    template <class... A>
    explicit TQtScrollHost(TWinControl* Control, A&&... Args)
        : TQtHost<W>(Control, std::forward<A>(Args)...) {
        this->viewport()->installEventFilter(this);
        this->viewport()->setMouseTracking(true);
    }

    // The margins around the viewport (the scroll area keeps them protected).
    void SetViewportMargins(const QMargins& Margins) { this->setViewportMargins(Margins); }
    QMargins ViewportMargins() const { return this->viewportMargins(); }

    bool BaseEvent(QEvent* Event) override {
        const QPointF offset(this->viewport()->pos());
        if (auto* m = dynamic_cast<QMouseEvent*>(Event)) {
            QMouseEvent moved(m->type(), m->position() - offset, m->globalPosition(), m->button(),
                              m->buttons(), m->modifiers());
            const bool r = this->viewportEvent(&moved);
            Event->setAccepted(moved.isAccepted());
            return r;
        }
        if (auto* w = dynamic_cast<QWheelEvent*>(Event)) {
            QWheelEvent moved(w->position() - offset, w->globalPosition(), w->pixelDelta(), w->angleDelta(),
                              w->buttons(), w->modifiers(), w->phase(), w->inverted());
            const bool r = this->viewportEvent(&moved);
            Event->setAccepted(moved.isAccepted());
            return r;
        }
        return W::event(Event);
    }

protected:
    bool eventFilter(QObject* Watched, QEvent* Event) override {
        if (Watched != this->viewport() || !this->HostControl()) return W::eventFilter(Watched, Event);
        const QPointF offset(this->viewport()->pos());
        if (auto* m = dynamic_cast<QMouseEvent*>(Event)) {
            QMouseEvent moved(m->type(), m->position() + offset, m->globalPosition(), m->button(),
                              m->buttons(), m->modifiers());
            RouteQtEvent(this->HostControl(), this, this, &moved);
            return true;
        }
        if (auto* w = dynamic_cast<QWheelEvent*>(Event)) {
            QWheelEvent moved(w->position() + offset, w->globalPosition(), w->pixelDelta(), w->angleDelta(),
                              w->buttons(), w->modifiers(), w->phase(), w->inverted());
            RouteQtEvent(this->HostControl(), this, this, &moved);
            return true;
        }
        // The context menu comes from the right button's release, as for the frame.
        if (Event->type() == QEvent::ContextMenu) {
            Event->accept();
            return true;
        }
        return W::eventFilter(Watched, Event);
    }
};

// Routes the mouse and wheel events of a widget inside a control's window
// (a scroll area's viewport, the line edit of a combo box) to the control as
// well, in the control's client coordinates; the control's default handling
// gives them back to that widget.
void RouteChildWidget(TWinControl* Control, QWidget* Child);

// The parent widget a window of these parameters goes in (nullptr for a
// top-level window).
QWidget* ParentWidgetFor(const TCreateParams& Params);

// The control whose window Widget is (or lies in); nullptr for none.
TWinControl* FindControlOfWidget(const QWidget* Widget);

// ---- Dispatch scope -----------------------------------------------------------------
// Held while a toolkit event or callback runs platform code: widgets
// destroyed meanwhile are deleted when the outermost scope ends.
class TDispatchScope {
public:
    TDispatchScope();
    ~TDispatchScope();
    static int Depth();
};
// Deletes the widget now, or when the dispatch in progress ends.
void DisposeWidget(QWidget* Widget);
// Runs F; an exception goes to Application->HandleException(Sender).
template <class F>
void GuardedCall(TObject* Sender, F&& Func);
void HandleGuardedException(TObject* Sender);
template <class F>
void GuardedCall(TObject* Sender, F&& Func) {
    TDispatchScope scope;
    try {
        Func();
    } catch (...) {
        HandleGuardedException(Sender);
    }
}

// Brings up the toolkit with default arguments when nobody did.
void EnsureToolkit();
// Puts a window in front of the others (where the platform can).
void RaiseWindow(QWidget* Widget);

// ---- The toolkit event behind a message -----------------------------------------------
struct TPaintContext;

struct TNativeEvent {
    QWidget* Widget = nullptr;
    IWidgetHost* Host = nullptr;
    QEvent* Event = nullptr;
    bool DefaultDone = false;
    uint16_t Key = 0;  // the virtual key of a key event
    // The character the key press types (0: none); the key-down's default
    // processing waits for it.
    char32_t Char = 0;
    TPaintContext* Paint = nullptr;
    // Runs the widget's own processing of the event once; with a different
    // event, of that one.
    bool RunDefault(QEvent* Other = nullptr);
};

// ---- Windows -----------------------------------------------------------------------------
struct TWinControlWindow {
    QPointer<QWidget> Widget;
    IWidgetHost* Host = nullptr;
    bool SelfPainted = true;
    bool TopLevel = false;
    TCreateParams Params;
    // The widget's input-method attribute before ImeMode turned it off, put
    // back when the mode no longer asks.
    bool ImeForcedOff = false;
    bool ImeWasEnabled = false;
};

// ---- Painting ---------------------------------------------------------------------------
// One paint of a widget: the painter opens when the first canvas draws.
struct TPaintContext {
    QWidget* Widget = nullptr;
    QRect Region;  // what needs painting, in widget coordinates
    std::unique_ptr<QPainter> Painter;
    std::vector<TCanvas*> Bound;
    TPaintContext* Outer = nullptr;

    explicit TPaintContext(QWidget* W, const QRect& R);
    ~TPaintContext();
    QPainter* EnsurePainter();
};
// The paint in progress for a widget, if any.
TPaintContext* ActivePaintContext(const QWidget* Widget);

struct TCanvasImpl {
    QPainter* Painter = nullptr;
    std::unique_ptr<QPainter> OwnedPainter;
    QImage* Readable = nullptr;  // pixels that can be read back
    QPoint Origin;               // canvas (0, 0) in painter coordinates
    bool Clipped = false;
    QRect Clip;  // canvas coordinates, when Clipped
    TPaintContext* Context = nullptr;
    // Above 0: drawing comes out mirrored in a surface this wide (kept over
    // rebinding; the one who mirrors undoes it).
    int MirrorWidth = 0;

    void Unbind();
};
// Draws a run of text whose box starts at X, Width wide, on the baseline Y
// (canvas coordinates): on a mirrored canvas the box is mirrored and the
// glyphs are not.
void DrawTextRun(QPainter* Painter, const TCanvasImpl* Impl, int X, int BaselineY, const QString& Text,
                 int Width);
// Binds a canvas to a painter (the canvas's (0, 0) at Origin, drawing
// clipped to *Clip in canvas coordinates when given).
void BindCanvas(TCanvas* Canvas, QPainter* Painter, QPoint Origin, const QRect* Clip,
                QImage* Readable = nullptr, TPaintContext* Context = nullptr);
// Unbinds the canvas (and takes it off its paint's list).
void UnbindCanvas(TCanvas* Canvas);
// The canvas's painter set up for one drawing operation (origin, clip,
// plain composition); nullptr when the canvas has nothing to draw on.
QPainter* PrepareCanvas(TCanvas* Canvas);

// ---- Conversions -------------------------------------------------------------------------
QColor ToQColor(TColor Color);
QFont ToQFont(const TFont* Font);
// Sets the painter's font; on a printer or a PDF without ligatures, so that
// "fi" stays two letters a search finds.
void SetPainterFont(QPainter* Painter, QFont Font);
// The 8-point interface font the forms are laid out for, given to the
// toolkit's own dialogs and menus.
QFont InterfaceQFont();
QRect ToQRect(const TRect& R);
TRect FromQRect(const QRect& R);
inline QPoint ToQPoint(const TPoint& P) { return {P.X, P.Y}; }
inline TPoint FromQPoint(const QPoint& P) { return {P.x(), P.y()}; }
QString ToQString(const std::string& S);
std::string FromQString(const QString& S);
Qt::CursorShape ToQtCursor(TCursor Cursor);

// Virtual keys and toolkit keys.
uint16_t VirtualKeyOf(int QtKey, Qt::KeyboardModifiers Modifiers);
int QtKeyOf(uint16_t VirtualKey);
TShiftState ShiftStateOf(Qt::KeyboardModifiers Modifiers, Qt::MouseButtons Buttons);
Qt::KeyboardModifiers ModifiersOf(TShiftState Shift);
// The character a key press types, from its text or (with Ctrl) its key.
char32_t CharOfKeyEvent(int QtKey, Qt::KeyboardModifiers Modifiers, const QString& Text);
// The modifiers and buttons of the input being handled; outside of input
// events the toolkit's idea of them.
struct TInputState {
    bool Have = false;
    Qt::KeyboardModifiers Modifiers;
    Qt::MouseButtons Buttons;
};
TInputState SaveInputState();
void RestoreInputState(const TInputState& State);
void NoteInputState(Qt::KeyboardModifiers Modifiers, Qt::MouseButtons Buttons);

// ---- Dragging (drag_dock.cpp) ------------------------------------------------------------
// Every mouse event of the program's windows comes here first while a
// control's drag runs: true when the drag took it.
bool RouteDragMouse(QMouseEvent* Event);
// The screen point of the mouse event being routed; outside of one, the
// pointer's position.
TPoint RoutedMouseScreenPos();
// A control is being freed: a drag of it ends without events; a drag over it forgets it.
void DragControlDestroyed(TControl* Control);

// ---- Queue -------------------------------------------------------------------------------
// Drops the messages posted to a control.
void RemovePostedMessages(TWinControl* Control);
// The character message that follows the key-down being handled, until it
// is dispatched or PeekMessage removes it.
struct TPendingChar {
    TWinControl* Target = nullptr;
    TMessage Message;
    bool Waiting = false;
};
extern TPendingChar GPendingChar;

// ---- Images ----------------------------------------------------------------------------
struct TImageData {
    QImage Image;
    // The canvas painting on Image; its painter ends before Image changes.
    TCanvas* Painting = nullptr;
    void EndPaint();
};
// Draws an image into Dest of a canvas: with a transparent colour (-1 for
// none), or with the canvas's copy mode.
void DrawImage(TCanvas* Canvas, const QImage& Image, const TRect& Dest, TColor TransparentRGB);
