// Forms: the top-level windows of the program.
//
// A form is a windowed control without a parent. Its life: created (OnCreate
// fires once construction is complete, see AfterConstruction), shown
// (OnShow, OnActivate), closed (OnCloseQuery may refuse, OnClose chooses
// what happens: caHide, caFree, caMinimize or caNone) and freed. ShowModal
// runs the event loop until ModalResult is set and answers it.
//
// The form tracks the focused control inside it: when the focus moves, the
// controls left get CM_EXIT (DoExit, OnExit) from the old one upwards and
// those entered get CM_ENTER (DoEnter, OnEnter) from the outermost down to
// the new one. Tab and Shift+Tab move through the tab order; arrow keys
// that the focused control does not want move among its siblings; Enter and
// Escape are offered to the children as CM_DIALOGKEY (the default and cancel
// buttons answer them).
//
// Width and Height include a frame of the classic size around the client
// area (and the non-client margins, such as a menu bar).
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/ui/controls.h"

TASKMOOR_ENUM(TCloseAction, caNone, caHide, caFree, caMinimize)
TASKMOOR_ENUM(TPosition, poDesigned, poDefault, poDefaultPosOnly, poDefaultSizeOnly, poScreenCenter,
              poDesktopCenter, poMainFormCenter, poOwnerFormCenter)
TASKMOOR_ENUM(TWindowState, wsNormal, wsMinimized, wsMaximized)
TASKMOOR_ENUM(TFormStyle, fsNormal, fsMDIChild, fsMDIForm, fsStayOnTop)
TASKMOOR_ENUM(TBorderIcon, biSystemMenu, biMinimize, biMaximize, biHelp)
using TBorderIcons = TSet<TBorderIcon>;
TASKMOOR_ENUM(TFormStateElement, fsCreating, fsVisible, fsShowing, fsModal, fsCreatedMDIChild, fsActivated)
using TFormState = TSet<TFormStateElement>;

using TCloseEvent = TEvent<TObject*, TCloseAction&>;
using TCloseQueryEvent = TEvent<TObject*, bool&>;
// A key message that may be a shortcut; set Handled to take it.
using TShortCutEvent = TEvent<TMessage&, bool&>;

// A bar across the top of a form's window, above the client area (a main
// menu's). The form keeps room for it in its non-client margins and has it
// place itself whenever the window is made or changes size.
class TFormMenuBar {
public:
    virtual ~TFormMenuBar() = default;
    // Height of the bar; 0 when it shows nothing.
    virtual int MenuBarHeight() const = 0;
    // Lays the bar over the top MenuBarHeight() pixels of the form's window
    // (Form->Widget(), which exists when this is called).
    virtual void PlaceMenuBar(TCustomForm* Form) = 0;
};

class TCustomForm : public TWinControl {
    TASKMOOR_CLASS(TCustomForm, TWinControl)
public:
    explicit TCustomForm(TComponent* AOwner);
    ~TCustomForm() override;

    // Fires OnCreate, once. Application->CreateForm and CreateForm<T> call
    // it after the constructor; showing a form calls it when nobody has.
    virtual void AfterConstruction();

    // ---- Showing and closing
    void Show();
    void Hide();
    // Shows the form modally and runs the event loop until ModalResult is
    // set (closing the form sets mrCancel); answers ModalResult. Raises
    // EInvalidOperation "Cannot make a visible window modal" for a visible
    // or disabled form.
    virtual int ShowModal();
    TModalResult ModalResult() const { return FModalResult; }
    void SetModalResult(TModalResult Value) { FModalResult = Value; }
    // Asks CloseQuery and OnClose, then hides, frees or minimises the form;
    // closing the main form ends the program. A modal form just gets mrCancel.
    void Close();
    // OnCloseQuery; true when the form may close.
    virtual bool CloseQuery();
    // Frees the form once the event loop gets to it (safe inside its own handlers).
    void Release();
    bool Active() const { return FActive; }
    TFormState FormState() const { return FFormState; }

    // ---- Focus
    TWinControl* ActiveControl() const { return FActiveControl; }
    // Raises EInvalidOperation "Cannot focus a disabled or invisible window"
    // for a control that cannot take the focus while the form shows.
    void SetActiveControl(TWinControl* Control);
    // Called when a control of the form receives the focus: sends CM_EXIT
    // and CM_ENTER along the way. Answers false when a handler moved the
    // focus elsewhere meanwhile.
    virtual bool SetFocusedControl(TWinControl* Control);
    TWinControl* FocusedControl() const { return FFocusedControl; }
    void FocusControl(TWinControl* Control);
    // Takes the focus away from Control (and its children) when it has it.
    void DefocusControl(TWinControl* Control, bool Removing);
    // Sends CM_CANCELMODE to the active control (LParam = Sender).
    void SendCancelMode(TControl* Sender);

    // ---- Appearance
    TFormBorderStyle BorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TFormBorderStyle Value);
    TBorderIcons BorderIcons() const { return FBorderIcons; }
    void SetBorderIcons(TBorderIcons Value);
    TPosition Position() const { return FPosition; }
    void SetPosition(TPosition Value) { FPosition = Value; }
    TWindowState WindowState() const { return FWindowState; }
    void SetWindowState(TWindowState Value);
    TFormStyle FormStyle() const { return FFormStyle; }
    void SetFormStyle(TFormStyle Value);
    bool KeyPreview() const { return FKeyPreview; }
    void SetKeyPreview(bool Value) { FKeyPreview = Value; }
    TCanvas* Canvas() const;
    // Frame sizes around the client area: left, top (caption included),
    // right, bottom.
    TRect FrameMargins() const;
    // The frame the window system drew round the window, once known (after
    // the window was first shown and framed); until then FrameMargins.
    TRect WindowFrame() const { return FWindowFramed ? FWindowFrame : FrameMargins(); }
    TRect ClientRect() const override;
    TPoint ClientOrigin() const override;
    void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;
    bool CanFocus() const override;
    void SetFocus() override;

    // ---- Menu bar
    TFormMenuBar* MenuBar() const { return FMenuBar; }
    // Installs the bar (nullptr: none; the form does not own it) and makes
    // room for it.
    void SetMenuBar(TFormMenuBar* Bar);
    // The bar's height or contents changed: room and place follow.
    void MenuBarChanged();

    // ---- Shortcuts: OnShortCut, then the handlers added by menus.
    virtual bool IsShortCut(TMessage& Message);
    // Adds a shortcut handler owned by Owner (removed with it); answers true
    // when it took the key.
    void AddShortCutHandler(TComponent* Owner, std::function<bool(uint16_t Key, TShiftState Shift)> Handler);
    void RemoveShortCutHandlers(TComponent* Owner);

    // ---- Events
    TNotifyEvent OnCreate() const { return FOnCreate; }
    void SetOnCreate(TNotifyEvent Value) { FOnCreate = Value; }
    TNotifyEvent OnDestroy() const { return FOnDestroy; }
    void SetOnDestroy(TNotifyEvent Value) { FOnDestroy = Value; }
    TNotifyEvent OnShow() const { return FOnShow; }
    void SetOnShow(TNotifyEvent Value) { FOnShow = Value; }
    TNotifyEvent OnHide() const { return FOnHide; }
    void SetOnHide(TNotifyEvent Value) { FOnHide = Value; }
    TCloseEvent OnClose() const { return FOnClose; }
    void SetOnClose(TCloseEvent Value) { FOnClose = Value; }
    TCloseQueryEvent OnCloseQuery() const { return FOnCloseQuery; }
    void SetOnCloseQuery(TCloseQueryEvent Value) { FOnCloseQuery = Value; }
    TNotifyEvent OnActivate() const { return FOnActivate; }
    void SetOnActivate(TNotifyEvent Value) { FOnActivate = Value; }
    TNotifyEvent OnDeactivate() const { return FOnDeactivate; }
    void SetOnDeactivate(TNotifyEvent Value) { FOnDeactivate = Value; }
    TNotifyEvent OnPaint() const { return FOnPaint; }
    void SetOnPaint(TNotifyEvent Value) { FOnPaint = Value; }
    TShortCutEvent OnShortCut() const { return FOnShortCut; }
    void SetOnShortCut(TShortCutEvent Value) { FOnShortCut = Value; }

    // Fires OnDestroy, once. The form's destructor calls it when nobody has;
    // a form class whose OnDestroy handler uses its own members calls it at
    // the top of its destructor (Release and the application call it before
    // freeing a form).
    void BeforeDestruction();

    void Dispatch(TMessage& Message) override;

    static void Publish(TPublisher<TCustomForm>& p);

protected:
    virtual void DoCreate();
    virtual void DoDestroy();
    virtual void DoShow();
    virtual void DoHide();
    virtual void DoClose(TCloseAction& Action);
    virtual void Activate();
    virtual void Deactivate();
    virtual void Paint();
    void PaintWindow(TCanvas* Canvas) override;
    void CreateParams(TCreateParams& Params) override;
    void CreateWnd() override;
    void VisibleChanged() override;
    void Notification(TComponent* AComponent, TOperation Operation) override;
    TRect BorderFromParams(const TCreateParams& Params) const override;
    void UpdateWidgetGeometry() override;
    void UpdateWidgetVisibility() override;
    void WindowGeometryChanged(int ALeft, int ATop, int AWidth, int AHeight) override;
    void ConstraintsChanged(TObject* Sender) override;
    // The window manager is given the constraints as the window's limits.
    virtual void ApplySizeLimits();

    // Once, when the window is first shown, after Position placed it.
    virtual void PlacedOnShow() {}
    // Once, when the window system has first framed the window (WindowFrame
    // tells the frame), before the window is moved onto the work area.
    virtual void WindowFramed() {}

    virtual void WMClose(TMessage& Message);
    virtual void CMActivate(TMessage& Message);
    virtual void CMDeactivate(TMessage& Message);
    virtual void CMRelease(TMessage& Message);
    void CMDialogKey(TMessage& Message) override;
    void WMSetFocus(TMessage& Message) override;

private:
    void CloseModal();
    void PlaceOnShow();
    void PlaceByPosition();
    void WatchFrame();
    // Frame: the margins of the window system's frame round the window.
    void FitFrameOnWorkArea(const TRect& Frame);
    void ApplyWindowFlags();
    void SetWindowFocus();

    TWinControl* FActiveControl = nullptr;
    TWinControl* FFocusedControl = nullptr;
    TFormMenuBar* FMenuBar = nullptr;
    TFormBorderStyle FBorderStyle = bsSizeable;
    TBorderIcons FBorderIcons{biSystemMenu, biMinimize, biMaximize};
    bool FFixedByBorder = false;         // the window's size is held by a dialog border
    bool FLimitedByConstraints = false;  // the window's limits come from the constraints
    TPosition FPosition = poDesigned;
    TWindowState FWindowState = wsNormal;
    TFormStyle FFormStyle = fsNormal;
    TFormState FFormState;
    // Release was asked for while the form was modal.
    bool FReleaseAfterModal = false;
    TModalResult FModalResult = mrNone;
    bool FKeyPreview = false;
    bool FActive = false;
    bool FCreated = false;
    bool FDestroyFired = false;
    bool FPlaced = false;
    bool FWindowFramed = false;
    TRect FWindowFrame;
    // The window, shown, waits for its frame to be fitted onto the work area;
    // bounds the program gives it meanwhile are its own and end the wait.
    bool FFitOnFrame = false;
    bool FBoundsFromWindow = false;  // the window system's move or size
    std::unique_ptr<TControlCanvas> FCanvas;
    struct TShortCutHandler {
        TComponent* Owner;
        std::function<bool(uint16_t, TShiftState)> Handler;
    };
    std::vector<TShortCutHandler> FShortCutHandlers;
    TNotifyEvent FOnCreate, FOnDestroy, FOnShow, FOnHide, FOnActivate, FOnDeactivate, FOnPaint;
    TCloseEvent FOnClose;
    TCloseQueryEvent FOnCloseQuery;
    TShortCutEvent FOnShortCut;
};

class TForm : public TCustomForm {
    TASKMOOR_CLASS(TForm, TCustomForm)
public:
    using TCustomForm::TCustomForm;
};

// The tool window a control of DragKind dkDock floats in (ManualFloat, or a
// dock drag released outside every dock site): its client area is the
// control's. It frees itself once the control has left it; closing it hides
// it with the control.
class TCustomDockForm : public TCustomForm {
    TASKMOOR_CLASS(TCustomDockForm, TCustomForm)
public:
    explicit TCustomDockForm(TComponent* AOwner);
};

// Makes a form of class T owned by AOwner and completes its construction
// (OnCreate fires).
template <class T, class... Args>
T* CreateForm(TComponent* AOwner, Args&&... args) {
    T* form = new T(AOwner, std::forward<Args>(args)...);
    form->AfterConstruction();
    return form;
}
