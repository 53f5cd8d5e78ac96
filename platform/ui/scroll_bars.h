// The scroll bars of a control's window (TWinControl::SetScrollInfo and the
// rest), as the windowing system keeps them for a window: range, page,
// position, shown and enabled. The bars are toolkit scroll bars laid in the
// window's non-client margins (the vertical one at the left edge for a
// right-to-left window); the user's requests come back as WM_HSCROLL /
// WM_VSCROLL messages to the control (SB_THUMBTRACK while the thumb is
// dragged, SB_THUMBPOSITION when it is let go; the thumb position is also
// kept as nTrackPos). A bar moves only when the control sets its position,
// as with the windowing system. Only the sources of platform/ui include this
// header.
#pragma once

#include <functional>
#include <memory>

#include "platform/ui/controls.h"

class QWidget;
class QScrollBar;

struct TScrollBarState {
    int Min = 0;
    int Max = 0;
    int Page = 0;
    int Pos = 0;
    int TrackPos = 0;
    bool Visible = false;
    bool Enabled = true;
};

struct TWindowScrollBars {
    // Margins: sets the control's non-client margins; Send: delivers a
    // scroll message to the control.
    TWindowScrollBars(std::function<void(const TRect&)> Margins,
                      std::function<void(unsigned Msg, WPARAM WParam)> Send);
    ~TWindowScrollBars();

    // The window exists (Parent) or is gone (nullptr).
    void Attach(QWidget* Parent);
    void Detach();

    bool SetInfo(int Bar, const TScrollInfo& Info);
    void GetInfo(int Bar, TScrollInfo& Info) const;
    void Show(int Bar, bool Value);
    void Enable(int Bar, bool Value);
    const TScrollBarState& State(int Bar) const { return FBars[Bar == SB_VERT ? 1 : 0]; }
    // Width of a vertical bar (height of a horizontal one).
    static int Thickness();
    // Places the bars for a control of the given size inside Border (the
    // frame edges and other margins), and sets the margins the bars take.
    // LeftBar: the vertical bar at the left edge; MirroredHorz: the
    // horizontal bar's start (its minimum) at the right, as the contents run.
    void Layout(int Width, int Height, const TRect& Border, bool LeftBar = false, bool MirroredHorz = false);

private:
    void Apply(int Index);
    void Action(int Index, int QtAction);
    void Released(int Index);
    TScrollBarState FBars[2];
    void Relayout();
    QScrollBar* Widget(int Index) const;
    struct TWidgets;
    std::unique_ptr<TWidgets> FWidgets;
    std::function<void(const TRect&)> FMargins;
    std::function<void(unsigned, WPARAM)> FSend;
    int FWidth = 0, FHeight = 0;
    TRect FBorder;
    bool FLeftBar = false;
    bool FMirroredHorz = false;
    bool FInAction = false;
};
