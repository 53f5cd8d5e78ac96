// More controls: panels, bevels, paint boxes, images and the scroll box.
#pragma once

#include <memory>
#include <string>

#include "platform/db/dbtypes.h"  // TAlignment
#include "platform/ui/bitmaps.h"
#include "platform/ui/controls.h"

TASKMOOR_ENUM(TBevelShape, bsBox, bsFrame, bsTopLine, bsBottomLine, bsLeftLine, bsRightLine, bsSpacer)
TASKMOOR_ENUM(TBevelStyle, bsLowered, bsRaised)
TASKMOOR_ENUM(TScrollBarKind, sbHorizontal, sbVertical)

// ---- Panel -----------------------------------------------------------------------------
// A container with an outer and an inner bevel (BevelWidth pixels each)
// around a border of BorderWidth pixels; its caption is drawn centred
// (Alignment) in the middle. The bevels and border are outside the area its
// children align in.
class TCustomPanel : public TCustomControl {
    TASKMOOR_CLASS(TCustomPanel, TCustomControl)
public:
    explicit TCustomPanel(TComponent* AOwner);

    TBevelCut BevelInner() const { return FBevelInner; }
    void SetBevelInner(TBevelCut Value);
    TBevelCut BevelOuter() const { return FBevelOuter; }
    void SetBevelOuter(TBevelCut Value);
    int BevelWidth() const { return FBevelWidth; }
    void SetBevelWidth(int Value);
    // Drawn in the panel's colour between the bevels, inside the client area.
    int BorderWidth() const override { return FBorderWidth; }
    void SetBorderWidth(int Value) override;
    TBorderStyle BorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TBorderStyle Value);
    TAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TAlignment Value);
    // A locked panel stays when an in-place object takes over the form.
    bool Locked() const { return FLocked; }
    void SetLocked(bool Value) { FLocked = Value; }
    bool FullRepaint() const { return FFullRepaint; }
    void SetFullRepaint(bool Value) { FFullRepaint = Value; }

    static void Publish(TPublisher<TCustomPanel>& p);

protected:
    void Paint() override;
    void AdjustClientRect(TRect& Rect) override;
    void CreateParams(TCreateParams& Params) override;
    // Pixels of bevels and border on each side.
    int FrameWidth() const;
    void CMTextChanged(TMessage& Message) override;

private:
    void FrameChanged();
    TBevelCut FBevelInner = bvNone;
    TBevelCut FBevelOuter = bvRaised;
    int FBevelWidth = 1;
    int FBorderWidth = 0;
    TBorderStyle FBorderStyle = bsNone;
    TAlignment FAlignment = taCenter;
    bool FLocked = false;
    bool FFullRepaint = true;
};

class TPanel : public TCustomPanel {
    TASKMOOR_CLASS(TPanel, TCustomPanel)
public:
    using TCustomPanel::TCustomPanel;
};

// ---- Bevel -------------------------------------------------------------------------------
class TBevel : public TGraphicControl {
    TASKMOOR_CLASS(TBevel, TGraphicControl)
public:
    explicit TBevel(TComponent* AOwner);

    TBevelShape Shape() const { return FShape; }
    void SetShape(TBevelShape Value);
    TBevelStyle Style() const { return FStyle; }
    void SetStyle(TBevelStyle Value);

    static void Publish(TPublisher<TBevel>& p);

protected:
    void Paint() override;

private:
    TBevelShape FShape = bsBox;
    TBevelStyle FStyle = bsLowered;
};

// ---- Paint box ----------------------------------------------------------------------------
// Draws nothing itself: OnPaint draws on its Canvas.
class TPaintBox : public TGraphicControl {
    TASKMOOR_CLASS(TPaintBox, TGraphicControl)
public:
    explicit TPaintBox(TComponent* AOwner);

    TNotifyEvent OnPaint() const { return FOnPaint; }
    void SetOnPaint(TNotifyEvent Value) { FOnPaint = Value; }

    static void Publish(TPublisher<TPaintBox>& p);

protected:
    void Paint() override;

private:
    TNotifyEvent FOnPaint;
};

// ---- Image --------------------------------------------------------------------------------
// Shows a picture: at the top-left, centred (Center) or stretched over the
// control (Stretch). Canvas draws on the picture's bitmap (making one of the
// control's size when the picture is empty).
class TImage : public TGraphicControl {
    TASKMOOR_CLASS(TImage, TGraphicControl)
public:
    explicit TImage(TComponent* AOwner);
    ~TImage() override;

    TPicture* Picture() const { return FPicture.get(); }
    void SetPicture(TPicture* Value);
    // The picture's bitmap canvas (a bitmap of the control's size is made
    // for an empty picture); raises EInvalidOperation "Can only modify an
    // image if it contains a bitmap" for another kind of picture.
    TCanvas* Canvas();
    bool Stretch() const { return FStretch; }
    void SetStretch(bool Value);
    bool Center() const { return FCenter; }
    void SetCenter(bool Value);
    bool Transparent() const { return FTransparent; }
    void SetTransparent(bool Value);
    // The control takes the picture's size.
    bool AutoSize() const { return FAutoSize; }
    void SetAutoSize(bool Value);

    static void Publish(TPublisher<TImage>& p);

protected:
    void Paint() override;
    TRect DestRect() const;

private:
    void PictureChanged(TObject* Sender);
    std::unique_ptr<TPicture> FPicture;
    bool FStretch = false;
    bool FCenter = false;
    bool FTransparent = false;
    bool FAutoSize = false;
};

// ---- Scroll box ------------------------------------------------------------------------------
class TScrollingWinControl;

// One scroll bar of a scrolling control: Range is the scrolled extent in
// pixels (the bar shows while it exceeds the client size, or always when
// Visible and Range > 0 with AutoScroll off), Position the scrolled offset.
class TControlScrollBar : public TPersistent {
    TASKMOOR_CLASS(TControlScrollBar, TPersistent)
public:
    TControlScrollBar(TScrollingWinControl* Control, TScrollBarKind Kind);

    TScrollBarKind Kind() const { return FKind; }
    int Position() const { return FPosition; }
    // Clamped to 0 .. Range - client size; the children move.
    void SetPosition(int Value);
    int Range() const { return FRange; }
    void SetRange(int Value);
    // Pixels of one line step.
    int Increment() const { return FIncrement; }
    void SetIncrement(int Value) { FIncrement = Value > 0 ? Value : 1; }
    bool Visible() const { return FVisible; }
    void SetVisible(bool Value);
    bool Tracking() const { return FTracking; }
    void SetTracking(bool Value) { FTracking = Value; }
    // True while the bar shows.
    bool IsScrollBarVisible() const;
    // The client extent the bar scrolls over.
    int ControlSize() const;
    // Largest position.
    int MaxPosition() const;
    void Assign(TPersistent* Source) override;

private:
    friend class TScrollingWinControl;
    // Handles a WM_HSCROLL / WM_VSCROLL code.
    void ScrollMessage(int Code, int Pos);
    TScrollingWinControl* FControl;
    TScrollBarKind FKind;
    int FPosition = 0;
    int FRange = 0;
    int FIncrement = 8;
    bool FVisible = true;
    bool FTracking = false;
    bool FCalcRange = true;  // range follows the children (AutoScroll)
};

struct TScrollBarsImpl;

// A windowed control whose children scroll. With AutoScroll the ranges
// follow the children's extents. Handles WM_HSCROLL and WM_VSCROLL (line,
// page, top, bottom, thumb) like the keyboard and the bars do.
class TScrollingWinControl : public TWinControl {
    TASKMOOR_CLASS(TScrollingWinControl, TWinControl)
public:
    explicit TScrollingWinControl(TComponent* AOwner);
    ~TScrollingWinControl() override;

    TControlScrollBar* HorzScrollBar() const { return FHorz.get(); }
    TControlScrollBar* VertScrollBar() const { return FVert.get(); }
    bool AutoScroll() const { return FAutoScroll; }
    void SetAutoScroll(bool Value);
    // Scrolls so that the child lies in view.
    void ScrollInView(TControl* AControl);

    void Dispatch(TMessage& Message) override;

protected:
    friend class TControlScrollBar;
    friend struct TScrollBarsImpl;
    void CreateWnd() override;
    void CreateHandle() override;
    void DestroyWnd() override;
    bool DoMouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos) override;
    void AlignControls(TControl* AControl, TRect& Rect) override;
    void WMSize(TMessage& Message) override;
    // A child given the keys is scrolled into view (with AutoScroll).
    void CMFocusChanged(TMessage& Message) override;
    // A right-to-left box keeps its vertical bar at the left.
    void BiDiModeChanged() override;
    // Recomputes ranges and bars.
    void UpdateScrollBars();
    void ScrollBarChanged(TControlScrollBar* Bar, int OldPosition);

private:
    std::unique_ptr<TControlScrollBar> FHorz, FVert;
    std::unique_ptr<TScrollBarsImpl> FBars;
    bool FAutoScroll = true;
    bool FUpdatingBars = false;
};

class TScrollBox : public TScrollingWinControl {
    TASKMOOR_CLASS(TScrollBox, TScrollingWinControl)
public:
    explicit TScrollBox(TComponent* AOwner);

    TBorderStyle BorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TBorderStyle Value);

    static void Publish(TPublisher<TScrollBox>& p);

protected:
    void CreateParams(TCreateParams& Params) override;

private:
    TBorderStyle FBorderStyle = bsSingle;
};
