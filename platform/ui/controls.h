// Controls: TControl, the windowed TWinControl, and the two bases of
// self-painted controls, TCustomControl (with a window) and TGraphicControl
// (drawn on its parent's window).
//
// Every windowed control owns a toolkit widget, its window, created when it
// is first needed (HandleNeeded). The window's input and paint events become
// messages (messages.h) that go to the control's WndProc, then Dispatch,
// which calls the handler for the message (WMKeyDown, CMEnter, ...), and the
// handlers call the virtual KeyDown, KeyPress, MouseDown, Paint, ... that
// descendants override. What a control does not handle ends in
// DefaultHandler, which gives the event to the widget's own processing, as a
// default window procedure would. So a control may be backed by a plain
// widget it paints itself (the default) or wrap a ready-made widget (an edit,
// a list), overriding CreateWindowHandle (see qt_host.h for the wrapping).
//
// Key input runs in this order: CN_KEYDOWN (shortcuts, the dialog keys Tab,
// arrows, Enter and Escape that the control does not want, see
// WM_GETDLGCODE), then WM_KEYDOWN (the form's KeyDown first when KeyPreview),
// then the character as WM_CHAR, then the toolkit. An exception that leaves a
// handler goes to Application->HandleException and never to the toolkit.
//
// Mouse messages of a windowed control that fall on one of its graphic
// children go to that child instead. Coordinates are client coordinates.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/core/component.h"
#include "platform/core/events.h"
#include "platform/ui/geometry.h"
#include "platform/ui/graphics.h"
#include "platform/ui/messages.h"

class QEvent;
class QWidget;
class IWidgetHost;
class TControl;
class TWinControl;
class TCustomForm;
class TPopupMenu;  // the menus'
class TControlCanvas;
struct TWinControlWindow;
struct TWindowScrollBars;

TASKMOOR_ENUM(TAlign, alNone, alTop, alBottom, alLeft, alRight, alClient, alCustom)
TASKMOOR_ENUM(TAnchorKind, akLeft, akTop, akRight, akBottom)
using TAnchors = TSet<TAnchorKind>;
TASKMOOR_ENUM(TControlStyleElement, csAcceptsControls, csCaptureMouse, csDesignInteractive, csClickEvents,
              csFramed, csSetCaption, csOpaque, csDoubleClicks, csFixedWidth, csFixedHeight,
              csNoDesignVisible, csReplicatable, csNoStdEvents, csDisplayDragImage, csReflector,
              csActionClient, csMenuEvents)
using TControlStyle = TSet<TControlStyleElement>;
TASKMOOR_ENUM(TControlStateElement, csLButtonDown, csClicked, csPalette, csReadingState, csAlignmentNeeded,
              csFocusing, csCreating, csPaintCopy, csCustomPaint, csDestroyingHandle, csDocking)
using TControlState = TSet<TControlStateElement>;
TASKMOOR_ENUM(TBiDiMode, bdLeftToRight, bdRightToLeft, bdRightToLeftNoAlign, bdRightToLeftReadingOnly)
// The bevelled edge drawn around a windowed control inside its bounds.
TASKMOOR_ENUM(TBevelCut, bvNone, bvLowered, bvRaised, bvSpace)
TASKMOOR_ENUM(TBevelKind, bkNone, bkTile, bkSoft, bkFlat)
TASKMOOR_ENUM(TBevelEdge, beLeft, beTop, beRight, beBottom)
using TBevelEdges = TSet<TBevelEdge>;
// Window borders. Controls use bsNone and bsSingle (TBorderStyle); forms all.
TASKMOOR_ENUM(TFormBorderStyle, bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin)
using TBorderStyle = TFormBorderStyle;
// How a windowed control wants the input method: imDisable and imClose turn
// it off for the control, imSAlpha and imAlpha ask for Latin input, the
// others leave it as the control's window has it.
TASKMOOR_ENUM(TImeMode, imDisable, imClose, imOpen, imDontCare, imSAlpha, imAlpha, imHira, imSKata, imKata,
              imChinese, imSHanguel, imHanguel)
// The name of the input method the desktop runs ("" when it names none).
// The desktop, not the program, chooses it: an ImeName is kept and handed
// on but chooses nothing.
std::string ScreenDefaultIme();

using TCursor = int16_t;
constexpr TCursor crDefault = 0, crNone = -1, crArrow = -2, crCross = -3, crIBeam = -4, crSizeNESW = -6,
                  crSizeNS = -7, crSizeNWSE = -8, crSizeWE = -9, crUpArrow = -10, crHourGlass = -11,
                  crDrag = -12, crNoDrop = -13, crHSplit = -14, crVSplit = -15, crMultiDrag = -16,
                  crSQLWait = -17, crNo = -18, crAppStart = -19, crHelp = -20, crHandPoint = -21,
                  crSizeAll = -22;

using THelpContext = int;

// What a modal form answers (a button's ModalResult).
using TModalResult = int;
constexpr TModalResult mrNone = 0, mrOk = 1, mrCancel = 2, mrAbort = 3, mrRetry = 4, mrIgnore = 5, mrYes = 6,
                       mrNo = 7, mrAll = 8, mrNoToAll = 9, mrYesToAll = 10;

using TMouseEvent = TEvent<TObject*, TMouseButton, TShiftState, int, int>;
using TMouseMoveEvent = TEvent<TObject*, TShiftState, int, int>;
using TKeyEvent = TEvent<TObject*, uint16_t&, TShiftState>;
// The character typed, as a Unicode code point.
using TKeyPressEvent = TEvent<TObject*, char32_t&>;
using TContextPopupEvent = TEvent<TObject*, TPoint, bool&>;
using TMouseWheelEvent = TEvent<TObject*, TShiftState, int, TPoint, bool&>;
using TMouseWheelUpDownEvent = TEvent<TObject*, TShiftState, TPoint, bool&>;

// ---- Dragging one control onto another, and docking
// A control's drag starts with BeginDrag (or a left press when DragMode is
// dmAutomatic): OnStartDrag may give the drag object. While it runs the
// source keeps the mouse (drag_dock.cpp watches every mouse event of the
// program's windows); the control under the pointer, in any of the program's
// windows, is asked through OnDragOver (dsDragEnter, dsDragMove, dsDragLeave;
// Accept) and the cursor shows the source's DragCursor where it accepts,
// crNoDrop elsewhere. A release over an accepting control fires its
// OnDragDrop; the source's OnEndDrag follows whatever ended the drag (the
// target or nil: refused, Escape, a right click). With DragKind dkDock the
// same drag docks the control into a windowed control whose DockSite is True
// (OnDockOver, OnDockDrop there; OnStartDock, OnEndDock on the control), or
// floats it in a tool window of its own when released elsewhere.
TASKMOOR_ENUM(TDragMode, dmManual, dmAutomatic)
TASKMOOR_ENUM(TDragKind, dkDrag, dkDock)
TASKMOOR_ENUM(TDragState, dsDragEnter, dsDragLeave, dsDragMove)
class TDragObject;
class TDragDockObject;
// Source is the dragged control, or the drag object OnStartDrag gave.
using TDragOverEvent = TEvent<TObject*, TObject*, int, int, TDragState, bool&>;
using TDragDropEvent = TEvent<TObject*, TObject*, int, int>;
// Target: the control that took the drop (or the floating window of a
// docked control), nullptr when nothing did.
using TEndDragEvent = TEvent<TObject*, TObject*, int, int>;
using TStartDragEvent = TEvent<TObject*, TDragObject*&>;
using TStartDockEvent = TEvent<TObject*, TDragDockObject*&>;
using TDockOverEvent = TEvent<TObject*, TDragDockObject*, int, int, TDragState, bool&>;
using TDockDropEvent = TEvent<TObject*, TDragDockObject*, int, int>;

// Window styles of TCreateParams.
constexpr uint32_t WS_OVERLAPPED = 0, WS_POPUP = 0x80000000u, WS_CHILD = 0x40000000u,
                   WS_VISIBLE = 0x10000000u, WS_DISABLED = 0x08000000u, WS_CLIPSIBLINGS = 0x04000000u,
                   WS_CLIPCHILDREN = 0x02000000u, WS_CAPTION = 0x00C00000u, WS_BORDER = 0x00800000u,
                   WS_DLGFRAME = 0x00400000u, WS_VSCROLL = 0x00200000u, WS_HSCROLL = 0x00100000u,
                   WS_SYSMENU = 0x00080000u, WS_THICKFRAME = 0x00040000u, WS_MINIMIZEBOX = 0x00020000u,
                   WS_MAXIMIZEBOX = 0x00010000u, WS_TABSTOP = 0x00010000u;
constexpr uint32_t WS_EX_DLGMODALFRAME = 0x1, WS_EX_TOPMOST = 0x8, WS_EX_TRANSPARENT = 0x20,
                   WS_EX_TOOLWINDOW = 0x80, WS_EX_WINDOWEDGE = 0x100, WS_EX_CLIENTEDGE = 0x200,
                   WS_EX_CONTEXTHELP = 0x400, WS_EX_RTLREADING = 0x2000, WS_EX_LEFTSCROLLBAR = 0x4000,
                   WS_EX_STATICEDGE = 0x20000, WS_EX_APPWINDOW = 0x40000,
                   // A top-level window the window system never activates or gives the keyboard.
    WS_EX_NOACTIVATE = 0x08000000;
constexpr uint32_t CS_DBLCLKS = 0x8, CS_SAVEBITS = 0x800;

// What CreateWnd makes the window from. A window with WS_POPUP, or without
// WndParent, is a top-level window; its Left and Top are screen coordinates.
struct TCreateParams {
    std::string Caption;
    uint32_t Style = 0;
    uint32_t ExStyle = 0;
    uint32_t WindowClassStyle = 0;
    int X = 0, Y = 0, Width = 0, Height = 0;
    TWinControl* WndParent = nullptr;
};

// Shows a popup menu for a control (installed by the menus).
using TPopupMenuHook = bool (*)(TControl* Control, TPopupMenu* Menu, const TPoint& ScreenPos);
void SetPopupMenuHook(TPopupMenuHook Hook);

// Size limits of a control (0: no limit). Every new size is held within
// them; the owner is told through OnChange.
class TSizeConstraints : public TPersistent {
    TASKMOOR_CLASS(TSizeConstraints, TPersistent)
public:
    int MinWidth() const { return FMinWidth; }
    void SetMinWidth(int Value);
    int MinHeight() const { return FMinHeight; }
    void SetMinHeight(int Value);
    // A maximum below the minimum is raised to it.
    int MaxWidth() const { return FMaxWidth; }
    void SetMaxWidth(int Value);
    int MaxHeight() const { return FMaxHeight; }
    void SetMaxHeight(int Value);
    bool Empty() const { return !FMinWidth && !FMinHeight && !FMaxWidth && !FMaxHeight; }
    // The width / height the limits give for a wanted one.
    int ConstrainWidth(int Value) const;
    int ConstrainHeight(int Value) const;
    TNotifyEvent OnChange() const { return FOnChange; }
    void SetOnChange(TNotifyEvent Value) { FOnChange = Value; }
    void Assign(TPersistent* Source) override;

    static void Publish(TPublisher<TSizeConstraints>& p);

private:
    void Changed();
    int FMinWidth = 0, FMinHeight = 0, FMaxWidth = 0, FMaxHeight = 0;
    TNotifyEvent FOnChange;
};

class TControl : public TComponent {
    TASKMOOR_CLASS(TControl, TComponent)
public:
    explicit TControl(TComponent* AOwner);
    ~TControl() override;

    // ---- Parent and place
    TWinControl* Parent() const { return FParent; }
    // Moves the control into AParent's controls (out of its former parent's).
    virtual void SetParent(TWinControl* AParent);
    int Left() const { return FLeft; }
    void SetLeft(int Value) { SetBounds(Value, FTop, FWidth, FHeight); }
    int Top() const { return FTop; }
    void SetTop(int Value) { SetBounds(FLeft, Value, FWidth, FHeight); }
    int Width() const { return FWidth; }
    void SetWidth(int Value) { SetBounds(FLeft, FTop, Value, FHeight); }
    int Height() const { return FHeight; }
    void SetHeight(int Value) { SetBounds(FLeft, FTop, FWidth, Value); }
    virtual void SetBounds(int ALeft, int ATop, int AWidth, int AHeight);
    TRect BoundsRect() const { return Bounds(FLeft, FTop, FWidth, FHeight); }
    void SetBoundsRect(const TRect& R) { SetBounds(R.Left, R.Top, R.Width(), R.Height()); }
    // The client area: (0, 0) to the client size.
    virtual TRect ClientRect() const;
    int ClientWidth() const { return ClientRect().Right; }
    void SetClientWidth(int Value);
    int ClientHeight() const { return ClientRect().Bottom; }
    void SetClientHeight(int Value);
    // Screen position of the client area's origin.
    virtual TPoint ClientOrigin() const;
    TPoint ClientToScreen(const TPoint& P) const;
    TPoint ScreenToClient(const TPoint& P) const;
    TAlign Align() const { return FAlign; }
    void SetAlign(TAlign Value);
    TAnchors Anchors() const { return FAnchors; }
    void SetAnchors(TAnchors Value);
    TSizeConstraints* Constraints() const { return FConstraints.get(); }
    void SetConstraints(TSizeConstraints* Value) { FConstraints->Assign(Value); }
    void BringToFront();
    void SendToBack();

    // ---- Visibility and state
    bool Visible() const { return FVisible; }
    void SetVisible(bool Value);
    void Show();
    void Hide();
    // Visible here and in every parent, up to a showing window.
    virtual bool Showing() const;
    bool Enabled() const { return FEnabled; }
    virtual void SetEnabled(bool Value);
    TControlStyle ControlStyle() const { return FControlStyle; }
    void SetControlStyle(TControlStyle Value) { FControlStyle = Value; }
    TControlState ControlState() const { return FControlState; }
    void SetControlState(TControlState Value) { FControlState = Value; }
    // The control keeping all mouse input until released.
    bool MouseCapture() const;
    void SetMouseCapture(bool Value);

    // ---- Appearance
    TFont* Font() const { return FFont.get(); }
    void SetFont(TFont* Value) { FFont->Assign(Value); }
    bool ParentFont() const { return FParentFont; }
    void SetParentFont(bool Value);
    TColor Color() const { return FColor; }
    void SetColor(TColor Value);
    bool ParentColor() const { return FParentColor; }
    void SetParentColor(bool Value);
    TCursor Cursor() const { return FCursor; }
    void SetCursor(TCursor Value);
    // Setting the mode clears ParentBiDiMode.
    TBiDiMode BiDiMode() const { return FBiDiMode; }
    void SetBiDiMode(TBiDiMode Value);
    // True: the control takes its parent's BiDiMode, now and whenever the
    // parent's changes (and when it is put into a parent).
    bool ParentBiDiMode() const { return FParentBiDiMode; }
    void SetParentBiDiMode(bool Value);
    bool UseRightToLeftAlignment() const { return FBiDiMode == bdRightToLeft; }
    bool UseRightToLeftReading() const { return FBiDiMode != bdLeftToRight; }
    // A right-to-left window keeps its vertical scroll bar at the left edge.
    bool UseRightToLeftScrollBar() const {
        return FBiDiMode == bdRightToLeft || FBiDiMode == bdRightToLeftNoAlign;
    }
    // Caption and Text are one value.
    std::string Caption() const { return GetText(); }
    void SetCaption(const std::string& Value) { SetText(Value); }
    std::string Text() const { return GetText(); }
    void SetText(const std::string& Value);
    std::string Hint() const { return FHint; }
    void SetHint(const std::string& Value) { FHint = Value; }
    bool ShowHint() const { return FShowHint; }
    void SetShowHint(bool Value);
    bool ParentShowHint() const { return FParentShowHint; }
    void SetParentShowHint(bool Value);
    TPopupMenu* PopupMenu() const { return FPopupMenu; }
    // Any menu class derived from TComponent (the conversion needs its type).
    template <class M>
    void SetPopupMenu(M* Menu) {
        SetPopupMenuComponent(Menu, Menu);
    }
    THelpContext HelpContext() const { return FHelpContext; }
    void SetHelpContext(THelpContext Value) { FHelpContext = Value; }

    // ---- Painting
    virtual void Invalidate();
    // Paints now.
    virtual void Repaint();
    // Paints what is waiting to be painted now.
    virtual void Update();
    void Refresh() { Repaint(); }

    // ---- Messages
    virtual void WndProc(TMessage& Message);
    // Calls the handler of the message; unknown ones go to DefaultHandler.
    virtual void Dispatch(TMessage& Message);
    virtual void DefaultHandler(TMessage& Message);
    // Sends a message to the control itself and answers its Result.
    LRESULT Perform(unsigned Msg, WPARAM WParam = 0, LPARAM LParam = 0);

    // ---- Events
    TNotifyEvent OnClick() const { return FOnClick; }
    void SetOnClick(TNotifyEvent Value) { FOnClick = Value; }
    TNotifyEvent OnDblClick() const { return FOnDblClick; }
    void SetOnDblClick(TNotifyEvent Value) { FOnDblClick = Value; }
    TMouseEvent OnMouseDown() const { return FOnMouseDown; }
    void SetOnMouseDown(TMouseEvent Value) { FOnMouseDown = Value; }
    TMouseMoveEvent OnMouseMove() const { return FOnMouseMove; }
    void SetOnMouseMove(TMouseMoveEvent Value) { FOnMouseMove = Value; }
    TMouseEvent OnMouseUp() const { return FOnMouseUp; }
    void SetOnMouseUp(TMouseEvent Value) { FOnMouseUp = Value; }
    TMouseWheelEvent OnMouseWheel() const { return FOnMouseWheel; }
    void SetOnMouseWheel(TMouseWheelEvent Value) { FOnMouseWheel = Value; }
    TMouseWheelUpDownEvent OnMouseWheelDown() const { return FOnMouseWheelDown; }
    void SetOnMouseWheelDown(TMouseWheelUpDownEvent Value) { FOnMouseWheelDown = Value; }
    TMouseWheelUpDownEvent OnMouseWheelUp() const { return FOnMouseWheelUp; }
    void SetOnMouseWheelUp(TMouseWheelUpDownEvent Value) { FOnMouseWheelUp = Value; }
    TNotifyEvent OnResize() const { return FOnResize; }
    void SetOnResize(TNotifyEvent Value) { FOnResize = Value; }
    TContextPopupEvent OnContextPopup() const { return FOnContextPopup; }
    void SetOnContextPopup(TContextPopupEvent Value) { FOnContextPopup = Value; }
    TNotifyEvent OnMouseEnter() const { return FOnMouseEnter; }
    void SetOnMouseEnter(TNotifyEvent Value) { FOnMouseEnter = Value; }
    TNotifyEvent OnMouseLeave() const { return FOnMouseLeave; }
    void SetOnMouseLeave(TNotifyEvent Value) { FOnMouseLeave = Value; }

    // ---- Dragging and docking (drag_dock.cpp)
    TDragMode DragMode() const { return FDragMode; }
    void SetDragMode(TDragMode Value) { FDragMode = Value; }
    TDragKind DragKind() const { return FDragKind; }
    void SetDragKind(TDragKind Value) { FDragKind = Value; }
    TCursor DragCursor() const { return FDragCursor; }
    void SetDragCursor(TCursor Value) { FDragCursor = Value; }
    // Starts dragging the control: at once, or once the mouse has moved
    // Threshold pixels (a negative one: 5) from where it is now. A left
    // button held on the control is released to it first. Nothing happens
    // while another drag runs.
    void BeginDrag(bool Immediate, int Threshold = -1);
    // Ends this control's drag: dropped where the mouse is, or cancelled.
    void EndDrag(bool Drop);
    // True while a drag of this control runs (also before its threshold).
    bool Dragging() const;
    // The window that holds the control docked (a dock site, or the tool
    // window it floats in); nullptr when it is not docked.
    TWinControl* HostDockSite() const { return FHostDockSite; }
    // Floating in a tool window of its own.
    bool Floating() const;
    // Docks the control into NewDockSite (nullptr: floats it); true when done.
    bool ManualDock(TWinControl* NewDockSite, TControl* DropControl = nullptr, TAlign ControlSide = alNone);
    // Floats the control in a tool window whose client area is ScreenPos.
    bool ManualFloat(const TRect& ScreenPos);
    // The control's size when it last floated or was docked (0: its own).
    int UndockWidth() const { return FUndockWidth > 0 ? FUndockWidth : Width(); }
    int UndockHeight() const { return FUndockHeight > 0 ? FUndockHeight : Height(); }
    // A drag reaches the control under the pointer: OnDragOver decides,
    // refused when there is none. Source as the events get it.
    virtual void DragOver(TObject* Source, int X, int Y, TDragState State, bool& Accept);
    // A drag was dropped on the control: OnDragDrop.
    virtual void DragDrop(TObject* Source, int X, int Y);
    TDragOverEvent OnDragOver() const { return FOnDragOver; }
    void SetOnDragOver(TDragOverEvent Value) { FOnDragOver = Value; }
    TDragDropEvent OnDragDrop() const { return FOnDragDrop; }
    void SetOnDragDrop(TDragDropEvent Value) { FOnDragDrop = Value; }
    TEndDragEvent OnEndDrag() const { return FOnEndDrag; }
    void SetOnEndDrag(TEndDragEvent Value) { FOnEndDrag = Value; }
    TStartDragEvent OnStartDrag() const { return FOnStartDrag; }
    void SetOnStartDrag(TStartDragEvent Value) { FOnStartDrag = Value; }
    TStartDockEvent OnStartDock() const { return FOnStartDock; }
    void SetOnStartDock(TStartDockEvent Value) { FOnStartDock = Value; }
    TEndDragEvent OnEndDock() const { return FOnEndDock; }
    void SetOnEndDock(TEndDragEvent Value) { FOnEndDock = Value; }
    // The drag names a class publishes: DragCursor, DragMode, OnDragDrop,
    // OnDragOver, OnEndDrag; then OnStartDrag; then the dock names
    // DragKind, OnStartDock, OnEndDock.
    template <class C>
    static void PublishDrag(TPublisher<C>& p) {
        p.Property("DragCursor", &C::DragCursor, &C::SetDragCursor).SetTypeName("TCursor");
        p.Property("DragMode", &C::DragMode, &C::SetDragMode);
        p.Property("OnDragDrop", &C::OnDragDrop, &C::SetOnDragDrop).SetTypeName("TDragDropEvent");
        p.Property("OnDragOver", &C::OnDragOver, &C::SetOnDragOver).SetTypeName("TDragOverEvent");
        p.Property("OnEndDrag", &C::OnEndDrag, &C::SetOnEndDrag).SetTypeName("TEndDragEvent");
    }
    template <class C>
    static void PublishStartDrag(TPublisher<C>& p) {
        p.Property("OnStartDrag", &C::OnStartDrag, &C::SetOnStartDrag).SetTypeName("TStartDragEvent");
    }
    template <class C>
    static void PublishDock(TPublisher<C>& p) {
        p.Property("DragKind", &C::DragKind, &C::SetDragKind);
        p.Property("OnStartDock", &C::OnStartDock, &C::SetOnStartDock).SetTypeName("TStartDockEvent");
        p.Property("OnEndDock", &C::OnEndDock, &C::SetOnEndDock).SetTypeName("TEndDragEvent");
    }

    static void Publish(TPublisher<TControl>& p);

    // The window this control draws on: its own (windowed) or its parent's.
    virtual QWidget* SurfaceWidget() const;
    // Where the client area's origin lies on SurfaceWidget.
    virtual TPoint SurfaceOrigin() const;

protected:
    friend class TWinControl;

    virtual void Click();
    virtual void DblClick();
    virtual void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y);
    virtual void MouseMove(TShiftState Shift, int X, int Y);
    virtual void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y);
    // Wheel: OnMouseWheel, then DoMouseWheelDown / DoMouseWheelUp; the
    // parent gets it when nothing here handles it.
    virtual bool DoMouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos);
    virtual bool DoMouseWheelDown(TShiftState Shift, TPoint MousePos);
    virtual bool DoMouseWheelUp(TShiftState Shift, TPoint MousePos);
    // OnContextPopup, then the popup menu at the point.
    virtual void DoContextPopup(TPoint MousePos, bool& Handled);
    virtual void Resize();
    // OnStartDrag / OnStartDock, OnEndDrag / OnEndDock; DragCanceled runs
    // before OnEndDrag when the drag ended without a drop taken.
    virtual void DoStartDrag(TDragObject*& DragObject);
    virtual void DoEndDrag(TObject* Target, int X, int Y);
    virtual void DoStartDock(TDragDockObject*& DragObject);
    virtual void DoEndDock(TObject* Target, int X, int Y);
    virtual void DragCanceled() {}
    // Text storage; windowed controls over a ready-made widget may keep it there.
    virtual std::string GetText() const { return FText; }
    virtual void SetTextValue(const std::string& Value);
    void Notification(TComponent* AComponent, TOperation Operation) override;
    void Loaded() override;
    // The parent and its parents asked to align this control again.
    void RequestAlign();
    // Called after the bounds changed (the window follows).
    virtual void BoundsChanged();
    virtual void VisibleChanged();
    virtual void FontChanged(TObject* Sender);
    // Called after BiDiMode changed, set or taken from the parent; repaints.
    // A windowed control then passes the change to its children.
    virtual void BiDiModeChanged();
    // The constraints changed: the size is held within them again.
    virtual void ConstraintsChanged(TObject* Sender);

    // ---- Message handlers (Dispatch). The mouse handlers give the message
    // to DefaultHandler (the widget) before the control's own events; a
    // control that keeps a message from them keeps it from its widget too.
    virtual void WMLButtonDown(TMessage& Message);
    virtual void WMLButtonDblClk(TMessage& Message);
    virtual void WMLButtonUp(TMessage& Message);
    virtual void WMRButtonDown(TMessage& Message);
    virtual void WMRButtonDblClk(TMessage& Message);
    virtual void WMRButtonUp(TMessage& Message);
    virtual void WMMButtonDown(TMessage& Message);
    virtual void WMMButtonDblClk(TMessage& Message);
    virtual void WMMButtonUp(TMessage& Message);
    virtual void WMMouseMove(TMessage& Message);
    virtual void WMMouseWheel(TMessage& Message);
    virtual void WMContextMenu(TMessage& Message);
    virtual void WMCancelMode(TMessage& Message);
    virtual void CMEnabledChanged(TMessage& Message);
    virtual void CMVisibleChanged(TMessage& Message);
    virtual void CMFontChanged(TMessage& Message);
    virtual void CMColorChanged(TMessage& Message);
    virtual void CMParentFontChanged(TMessage& Message);
    virtual void CMParentColorChanged(TMessage& Message);
    virtual void CMParentShowHintChanged(TMessage& Message);
    virtual void CMParentBiDiModeChanged(TMessage& Message);
    virtual void CMTextChanged(TMessage& Message);
    virtual void CMMouseEnter(TMessage& Message);
    virtual void CMMouseLeave(TMessage& Message);

    void SetPopupMenuComponent(TPopupMenu* Menu, TComponent* AsComponent);
    // The starting visibility, without the visibility change (constructors).
    void InitVisible(bool Value) { FVisible = Value; }
    // The surface widget's paint has to show the bounds again.
    void InvalidateControl(bool IsVisible, bool IsOpaque);

    TWinControl* FParent = nullptr;
    int FLeft = 0, FTop = 0, FWidth = 0, FHeight = 0;
    // Where the control was when its anchors last applied, with the
    // parent's client size then.
    TRect FAnchorOrigin;
    TSize FAnchorParentSize;
    bool FAnchorKnown = false;

private:
    void DoMouseDown(TMessage& Message, TMouseButton Button, TShiftState Shift);
    void DoMouseUp(TMessage& Message, TMouseButton Button);
    void ParentFontChangedFrom(TWinControl* P);
    void ParentBiDiModeChangedFrom(const TWinControl* P);

    TAlign FAlign = alNone;
    TAnchors FAnchors{akLeft, akTop};
    bool FVisible = true;
    bool FEnabled = true;
    std::unique_ptr<TFont> FFont;
    std::unique_ptr<TSizeConstraints> FConstraints;
    bool FParentFont = true;
    bool FUpdatingFont = false;
    TColor FColor = clWindow;
    bool FParentColor = false;
    TCursor FCursor = crDefault;
    TBiDiMode FBiDiMode = bdLeftToRight;
    bool FParentBiDiMode = true;
    std::string FText;
    std::string FHint;
    bool FShowHint = false;
    bool FParentShowHint = true;
    TPopupMenu* FPopupMenu = nullptr;
    TComponent* FPopupMenuComponent = nullptr;
    THelpContext FHelpContext = 0;
    TControlStyle FControlStyle{csCaptureMouse, csClickEvents, csSetCaption, csDoubleClicks};
    TControlState FControlState;
    TNotifyEvent FOnClick, FOnDblClick, FOnResize, FOnMouseEnter, FOnMouseLeave;
    TMouseEvent FOnMouseDown, FOnMouseUp;
    TMouseMoveEvent FOnMouseMove;
    TMouseWheelEvent FOnMouseWheel;
    TMouseWheelUpDownEvent FOnMouseWheelDown, FOnMouseWheelUp;
    TContextPopupEvent FOnContextPopup;
    TDragMode FDragMode = dmManual;
    TDragKind FDragKind = dkDrag;
    TCursor FDragCursor = crDrag;
    TWinControl* FHostDockSite = nullptr;
    int FUndockWidth = 0, FUndockHeight = 0;
    TDragOverEvent FOnDragOver;
    TDragDropEvent FOnDragDrop;
    TEndDragEvent FOnEndDrag, FOnEndDock;
    TStartDragEvent FOnStartDrag;
    TStartDockEvent FOnStartDock;
    friend struct TDragRun;
    friend class TDragControlObject;
    friend class TDragDockObject;
};

// Watches a control while code runs that may free it (an event handler
// freeing its sender): Gone() turns true once the control is destroyed, and
// the caller stops using it.
class TControlWatch {
public:
    explicit TControlWatch(const TControl* Control);
    ~TControlWatch();
    TControlWatch(const TControlWatch&) = delete;
    TControlWatch& operator=(const TControlWatch&) = delete;
    bool Gone() const { return FControl == nullptr; }
    // Called by the control's destructor.
    static void ControlDestroyed(const TControl* Control);

private:
    const TControl* FControl;
    TControlWatch* FNext;
};

// Runs Handler, which may free Control; true when Control still lives after.
template <class F>
bool RunWhileAlive(const TControl* Control, F&& Handler) {
    const TControlWatch watch(Control);
    std::forward<F>(Handler)();
    return !watch.Gone();
}

// The parent form of a control (the top of its parent chain when that is a
// form); nullptr when there is none.
TCustomForm* GetParentForm(const TControl* Control);
// The same, raising EInvalidOperation "Control '%s' has no parent window"
// when there is none.
TCustomForm* ValidParentForm(const TControl* Control);
// The control capturing the mouse, if any.
TControl* GetCaptureControl();
void SetCaptureControl(TControl* Control);
// The windowed control under a screen point; nullptr over no window of ours.
TWinControl* FindVCLWindow(const TPoint& Pos);
// The long part of a "short|long" hint, or the whole hint.
std::string GetLongHint(const std::string& Hint);
std::string GetShortHint(const std::string& Hint);

class TWinControl : public TControl {
    TASKMOOR_CLASS(TWinControl, TControl)
public:
    explicit TWinControl(TComponent* AOwner);
    ~TWinControl() override;

    // ---- Children
    int ControlCount() const { return static_cast<int>(FControls.size()); }
    // Raises EListError "List index out of bounds (%d)".
    TControl* Controls(int Index) const;
    void InsertControl(TControl* AControl);
    void RemoveControl(TControl* AControl);
    // True when AControl is this control or lies inside it.
    bool ContainsControl(const TControl* AControl) const;
    // The visible child at a client point (the topmost); graphic children
    // only unless AllowWinControls.
    TControl* ControlAtPos(const TPoint& Pos, bool AllowDisabled, bool AllowWinControls = false) const;
    // Sends the message to every child until one sets a non-zero Result.
    void Broadcast(TMessage& Message);
    void NotifyControls(unsigned Msg);

    // ---- Alignment
    void DisableAlign();
    void EnableAlign();
    void Realign();
    bool AlignDisabled() const { return FAlignLevel > 0; }

    // ---- Tab order and focus
    bool TabStop() const { return FTabStop; }
    void SetTabStop(bool Value);
    // Place in the parent's tab order, -1 without parent.
    int TabOrder() const;
    void SetTabOrder(int Value);
    // This control's windowed children in tab order, each followed by its own.
    void GetTabOrderList(std::vector<TWinControl*>& List) const;
    // The next focusable child after CurControl in tab order (wrapping).
    TWinControl* FindNextControl(TWinControl* CurControl, bool GoForward, bool CheckTabStop,
                                 bool CheckParent) const;
    void SelectNext(TWinControl* CurControl, bool GoForward, bool CheckTabStop);
    void SelectFirst();
    // Enabled and visible, with its parents, and inside a visible form.
    virtual bool CanFocus() const;
    bool Focused() const;
    // Raises EInvalidOperation "Cannot focus a disabled or invisible window"
    // when the control cannot take the focus.
    virtual void SetFocus();
    bool Ctl3D() const { return FCtl3D; }
    void SetCtl3D(bool Value);
    bool ParentCtl3D() const { return FParentCtl3D; }
    void SetParentCtl3D(bool Value);
    // An edge of one or two 1-pixel lines (BevelOuter outside, BevelInner
    // inside) on the chosen edges; it takes room from the client area.
    TBevelKind BevelKind() const { return FBevelKind; }
    void SetBevelKind(TBevelKind Value);
    TBevelEdges BevelEdges() const { return FBevelEdges; }
    void SetBevelEdges(TBevelEdges Value);
    TBevelCut BevelInner() const { return FBevelInner; }
    void SetBevelInner(TBevelCut Value);
    TBevelCut BevelOuter() const { return FBevelOuter; }
    void SetBevelOuter(TBevelCut Value);
    // Pixels the bevelled edge takes on each side.
    TRect BevelMargins() const;
    // Room of this many pixels in the control's colour between the window's
    // border and its client area: the client area shrinks by it on every
    // side. A panel gives the name its own meaning (TCustomPanel).
    virtual int BorderWidth() const { return FBorderWidth; }
    virtual void SetBorderWidth(int Value);
    template <class C>
    static void PublishBevel(TPublisher<C>& p) {
        p.Property("BevelEdges", &C::BevelEdges, &C::SetBevelEdges);
        p.Property("BevelInner", &C::BevelInner, &C::SetBevelInner);
        p.Property("BevelKind", &C::BevelKind, &C::SetBevelKind);
        p.Property("BevelOuter", &C::BevelOuter, &C::SetBevelOuter);
    }

    // ---- Input method
    TImeMode ImeMode() const { return FImeMode; }
    void SetImeMode(TImeMode Value);
    const std::string& ImeName() const { return FImeName; }
    void SetImeName(const std::string& Value) { FImeName = Value; }
    template <class C>
    static void PublishIme(TPublisher<C>& p) {
        p.Property("ImeMode", &C::ImeMode, &C::SetImeMode);
        p.Property("ImeName", &C::ImeName, &C::SetImeName).SetTypeName("TImeName");
    }

    // ---- Window
    bool HandleAllocated() const;
    void HandleNeeded();
    // The window's identity; creates it first.
    uintptr_t Handle();
    // Destroys the window (and those of the children); it comes back when needed.
    void RecreateWnd();
    bool Showing() const override;
    void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;
    TRect ClientRect() const override;
    TPoint ClientOrigin() const override;
    // Draws the control and its children at (X, Y) of a canvas.
    void PaintTo(TCanvas* Canvas, int X, int Y);
    // Moves the client area's contents and the children.
    void ScrollBy(int DeltaX, int DeltaY);
    void Invalidate() override;
    void Repaint() override;
    void Update() override;

    // ---- Docking (drag_dock.cpp)
    // A dock site takes controls of DragKind dkDock dropped on it; it lays
    // its docked controls out one above the other, sharing its client area.
    bool DockSite() const { return FDockSite; }
    void SetDockSite(bool Value);
    int DockClientCount() const { return static_cast<int>(FDockClients.size()); }
    // Raises EListError "List index out of bounds (%d)".
    TControl* DockClients(int Index) const;
    // A dock drag reaches the site: Accept starts True, OnDockOver decides.
    virtual void DockOver(TDragDockObject* Source, int X, int Y, TDragState State, bool& Accept);
    // The control of Source is docked here, then OnDockDrop fires.
    virtual void DockDrop(TDragDockObject* Source, int X, int Y);
    TDockOverEvent OnDockOver() const { return FOnDockOver; }
    void SetOnDockOver(TDockOverEvent Value) { FOnDockOver = Value; }
    TDockDropEvent OnDockDrop() const { return FOnDockDrop; }
    void SetOnDockDrop(TDockDropEvent Value) { FOnDockDrop = Value; }

    // ---- Events
    TNotifyEvent OnEnter() const { return FOnEnter; }
    void SetOnEnter(TNotifyEvent Value) { FOnEnter = Value; }
    TNotifyEvent OnExit() const { return FOnExit; }
    void SetOnExit(TNotifyEvent Value) { FOnExit = Value; }
    TKeyEvent OnKeyDown() const { return FOnKeyDown; }
    void SetOnKeyDown(TKeyEvent Value) { FOnKeyDown = Value; }
    TKeyPressEvent OnKeyPress() const { return FOnKeyPress; }
    void SetOnKeyPress(TKeyPressEvent Value) { FOnKeyPress = Value; }
    TKeyEvent OnKeyUp() const { return FOnKeyUp; }
    void SetOnKeyUp(TKeyEvent Value) { FOnKeyUp = Value; }

    void WndProc(TMessage& Message) override;
    void Dispatch(TMessage& Message) override;
    void DefaultHandler(TMessage& Message) override;

    static void Publish(TPublisher<TWinControl>& p);

    // The toolkit widget (nullptr before the window exists).
    QWidget* Widget() const;
    QWidget* SurfaceWidget() const override;
    TPoint SurfaceOrigin() const override;
    // The window's border inside the bounds: scroll bars, frames, a menu bar.
    TRect NonClientMargins() const { return FNonClient; }
    // Reserves room inside the bounds beside the frame edges (a menu bar, the
    // window's scroll bars); the client area shrinks by it.
    void SetNonClientMargins(const TRect& Margins);
    // The toolkit side of the window; used inside the windowing layer only.
    TWinControlWindow* Window() const { return FWindow.get(); }

    // ---- The window's scroll bars (SB_HORZ, SB_VERT; SB_BOTH to show or
    // enable both), kept as the windowing system keeps them: they take room
    // at the right and bottom edges inside the frame (the vertical one at the
    // left edge with WS_EX_LEFTSCROLLBAR, which CreateParams sets for a
    // right-to-left window; the horizontal one then also runs from the right
    // when the control mirrors its contents), and the user's requests
    // come to the control as WM_HSCROLL / WM_VSCROLL (SB_THUMBTRACK while the
    // thumb is dragged, then SB_THUMBPOSITION and SB_ENDSCROLL; the thumb's
    // full position is nTrackPos). A bar moves only when the control sets
    // its position. Setting a range or page shows a bar that can scroll and
    // hides one that cannot (disables it with SIF_DISABLENOSCROLL).
    // SetScrollInfo answers true when it showed or hid the bar.
    bool SetScrollInfo(int Bar, const TScrollInfo& Info, bool Redraw = true);
    bool GetScrollInfo(int Bar, TScrollInfo& Info) const;
    int GetScrollPos(int Bar) const;
    void ShowScrollBar(int Bar, bool Show);
    void EnableScrollBar(int Bar, bool Enable);
    bool ScrollBarVisible(int Bar) const;
    bool ScrollBarEnabled(int Bar) const;

protected:
    friend class TControl;
    friend struct TWinControlWindow;

    // ---- Window life cycle
    virtual void CreateParams(TCreateParams& Params);
    // Makes the window from the parameters, then sets it up.
    virtual void CreateWnd();
    // Makes the widget: by default a plain widget the control paints;
    // a wrapping control makes its widget and calls AttachWidget.
    virtual void CreateWindowHandle(const TCreateParams& Params);
    virtual void DestroyWnd();
    virtual void CreateHandle();
    virtual void DestroyHandle();
    // Gives the control its widget (made by CreateWindowHandle).
    void AttachWidget(QWidget* Widget, bool SelfPainted);
    // The window's layout direction: right to left or, when false, left to
    // right; the window mirrors its parts and reads from the right.
    void SetWidgetRightToLeft(bool Value);

    // ---- Alignment
    virtual void AlignControls(TControl* AControl, TRect& Rect);
    virtual void AdjustClientRect(TRect& Rect);

    // ---- Keys and focus
    virtual void KeyDown(uint16_t& Key, TShiftState Shift);
    virtual void KeyUp(uint16_t& Key, TShiftState Shift);
    virtual void KeyPress(char32_t& Key);
    // True when the key was handled (zeroed) on the way.
    virtual bool DoKeyDown(TMessage& Message);
    virtual bool DoKeyUp(TMessage& Message);
    virtual bool DoKeyPress(TMessage& Message);
    virtual void DoEnter();
    virtual void DoExit();

    // ---- Painting
    // Paints the client area (the canvas is bound while it runs); the
    // default paints nothing.
    virtual void PaintWindow(TCanvas* Canvas);
    // A control over a ready-made widget draws over it here, after the
    // widget painted itself (the canvas is bound while it runs); the default
    // draws nothing.
    virtual void PaintOverWidget(TCanvas* Canvas);
    // Paints the graphic children on their parts of the window.
    void PaintControls(TControl* First = nullptr);
    // Draws the non-client border (frame edges) of the window.
    virtual void PaintNonClient(TCanvas* Canvas);
    // Draws the bevelled edge inside R and takes it off R.
    void PaintBevel(TCanvas* Canvas, TRect& R);
    // Fills the room BorderWidth keeps inside R with the control's colour
    // and takes it off R.
    void PaintBorderRoom(TCanvas* Canvas, TRect& R);
    // Mouse messages that fall on a graphic child go to it.
    virtual bool IsControlMouseMsg(TMessage& Message);

    // ---- Message handlers
    virtual void WMKeyDown(TMessage& Message);
    virtual void WMSysKeyDown(TMessage& Message);
    virtual void WMKeyUp(TMessage& Message);
    virtual void WMSysKeyUp(TMessage& Message);
    virtual void WMChar(TMessage& Message);
    virtual void WMSysChar(TMessage& Message);
    virtual void CNKeyDown(TMessage& Message);
    virtual void CNChar(TMessage& Message);
    virtual void WMSetFocus(TMessage& Message);
    virtual void WMKillFocus(TMessage& Message);
    virtual void WMPaint(TMessage& Message);
    virtual void WMEraseBkgnd(TMessage& Message);
    virtual void WMSize(TMessage& Message);
    virtual void WMGetDlgCode(TMessage& Message);
    virtual void WMHelp(TMessage& Message);
    virtual void CMEnter(TMessage& Message);
    virtual void CMExit(TMessage& Message);
    virtual void CMDialogKey(TMessage& Message);
    virtual void CMDialogChar(TMessage& Message);
    virtual void CMChildKey(TMessage& Message);
    virtual void CMFocusChanged(TMessage& Message);
    // The window became visible or hidden (itself or with a parent).
    virtual void CMShowingChanged(TMessage& Message);

    void BoundsChanged() override;
    void VisibleChanged() override;
    void SetTextValue(const std::string& Value) override;
    void Loaded() override;

    // The frame edges a window of these parameters has inside its bounds.
    virtual TRect BorderFromParams(const TCreateParams& Params) const;
    // Window state pushed to the widget.
    virtual void UpdateWidgetGeometry();
    virtual void UpdateWidgetVisibility();
    // Turns the window's input method off or on as ImeMode asks.
    void ApplyImeMode();
    // The window changed size or place by itself (the user moved it).
    virtual void WindowGeometryChanged(int ALeft, int ATop, int AWidth, int AHeight);
    // The frame edges (cached from CreateParams).
    TRect BorderMargins() const;
    // Parent and children of the tab order.
    std::vector<TWinControl*> FTabList;

private:
    friend bool RouteQtEvent(TWinControl*, QWidget*, IWidgetHost*, QEvent*);
    void ApplyAnchors(const TSize& OldClient);
    void DestroyChildrenWindows();
    void UpdateNonClient();
    void BevelChanged();
    void TrackMouseControl(TControl* Target);
    // Frame edges and the margins kept inside them.
    TRect AllMargins() const;
    TWindowScrollBars& WindowScrollBars();
    void LayoutScrollBars();
    // The direction changed: the scroll bars take their sides again.
    void ScrollBarSidesChanged();
    // A docked control left this site (undocked, moved or freed).
    void DockClientRemoved(TControl* Client);

    std::vector<TControl*> FControls;  // every child, in z-order (bottom first)
    std::unique_ptr<TWinControlWindow> FWindow;
    TRect FNonClient;
    TRect FExtraMargins;
    TRect FScrollMargins;  // taken by the scroll bars
    std::unique_ptr<TWindowScrollBars> FWindowScrollBars;
    mutable TRect FBorder;
    mutable bool FBorderValid = false;
    mutable bool FLeftScrollBar = false;  // WS_EX_LEFTSCROLLBAR, cached with FBorder
    TSize FLastClientSize;
    TSize FSizeBeforeResize;
    TControl* FMouseControl = nullptr;  // the graphic child under the mouse
    int FAlignLevel = 0;
    bool FTabStop = false;
    bool FCtl3D = true;
    bool FParentCtl3D = true;
    TBevelKind FBevelKind = bkNone;
    TBevelEdges FBevelEdges{beLeft, beTop, beRight, beBottom};
    TBevelCut FBevelInner = bvRaised;
    TBevelCut FBevelOuter = bvLowered;
    bool FBevelOnWidget = false;  // the wrapped widget's contents are inset by the edge
    int FBorderWidth = 0;
    TImeMode FImeMode = imDontCare;
    std::string FImeName = ScreenDefaultIme();
    TNotifyEvent FOnEnter, FOnExit;
    TKeyEvent FOnKeyDown, FOnKeyUp;
    TKeyPressEvent FOnKeyPress;
    bool FDockSite = false;
    std::vector<TControl*> FDockClients;
    TDockOverEvent FOnDockOver;
    TDockDropEvent FOnDockDrop;
    friend struct TDragRun;
};

// What a drag carries. The platform makes one for a control's drag when
// OnStartDrag gives none (and frees it); one given stays its giver's.
class TDragObject : public TObject {
    TASKMOOR_CLASS(TDragObject, TObject)
public:
    ~TDragObject() override;
    // The cursor over a target that accepts or refuses (screen point).
    virtual TCursor GetDragCursor(bool Accepted, int X, int Y);
    // The drag ended: Target took it (Accepted) or nothing did.
    virtual void Finished(TObject* Target, int X, int Y, bool Accepted);
    // Where the pointer is (screen), and there in the target's client area.
    TPoint DragPos() const { return FDragPos; }
    TPoint DragTargetPos() const { return FDragTargetPos; }
    // The control under the pointer that the drag is asking.
    TControl* DragTarget() const { return FDragTarget; }
    // True once the drag was dropped (not cancelled).
    bool Dropped() const { return FDropped; }
    // Cancelled by Escape, a right click or EndDrag(False).
    bool Cancelling() const { return FCancelling; }

private:
    friend struct TDragRun;
    TPoint FDragPos, FDragTargetPos;
    TControl* FDragTarget = nullptr;
    bool FDropped = false;
    bool FCancelling = false;
};

// The drag of a control: the events get the control as their Source.
class TDragControlObject : public TDragObject {
    TASKMOOR_CLASS(TDragControlObject, TDragObject)
public:
    explicit TDragControlObject(TControl* AControl) : FControl(AControl) {}
    TControl* Control() const { return FControl; }
    // The control's DragCursor where accepted, crNoDrop elsewhere.
    TCursor GetDragCursor(bool Accepted, int X, int Y) override;
    // The control's OnEndDrag.
    void Finished(TObject* Target, int X, int Y, bool Accepted) override;

private:
    friend struct TDragRun;
    TControl* FControl;
};

// The dock drag of a control: where it would dock or float.
class TDragDockObject : public TDragObject {
    TASKMOOR_CLASS(TDragDockObject, TDragObject)
public:
    explicit TDragDockObject(TControl* AControl) : FControl(AControl) {}
    TControl* Control() const { return FControl; }
    // The screen rectangle the control would take (docked or floating).
    TRect DockRect() const { return FDockRect; }
    void SetDockRect(const TRect& Value) { FDockRect = Value; }
    TAlign DropAlign() const { return FDropAlign; }
    void SetDropAlign(TAlign Value) { FDropAlign = Value; }
    TControl* DropOnControl() const { return FDropOnControl; }
    // True while no dock site takes it: a release floats the control.
    bool Floating() const { return FFloating; }
    TCursor GetDragCursor(bool Accepted, int X, int Y) override;
    // The control's OnEndDock.
    void Finished(TObject* Target, int X, int Y, bool Accepted) override;

private:
    friend struct TDragRun;
    TControl* FControl;
    TRect FDockRect;
    TAlign FDropAlign = alNone;
    TControl* FDropOnControl = nullptr;
    bool FFloating = true;
};

// The drag object of the drag in progress (also before its threshold);
// nullptr when none runs.
TDragObject* ActiveDragObject();
// The control under a screen point that a drag asks: the windowed control
// there, or its graphic child at the point; nullptr over no window of ours.
TControl* FindDragTarget(const TPoint& Pos, bool AllowDisabled);

// A canvas that draws on a control: bound while the control's window
// paints; outside of painting it only measures.
class TControlCanvas : public TCanvas {
    TASKMOOR_CLASS(TControlCanvas, TCanvas)
public:
    TControl* Control() const { return FControl; }
    void SetControl(TControl* AControl);

protected:
    void RequiredState() override;

private:
    TControl* FControl = nullptr;
};

// A windowed control that paints itself on its Canvas in Paint.
class TCustomControl : public TWinControl {
    TASKMOOR_CLASS(TCustomControl, TWinControl)
public:
    explicit TCustomControl(TComponent* AOwner);
    ~TCustomControl() override;
    TCanvas* Canvas() const;

protected:
    virtual void Paint();
    void PaintWindow(TCanvas* Canvas) override;

private:
    std::unique_ptr<TControlCanvas> FCanvas;
};

// A control without a window: it paints on its parent's window in Paint.
class TGraphicControl : public TControl {
    TASKMOOR_CLASS(TGraphicControl, TControl)
public:
    explicit TGraphicControl(TComponent* AOwner);
    ~TGraphicControl() override;
    TCanvas* Canvas() const;

    void Dispatch(TMessage& Message) override;

protected:
    virtual void Paint();

private:
    std::unique_ptr<TControlCanvas> FCanvas;
};
