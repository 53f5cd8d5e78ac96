// Clamping a form's bounds to its minimum and handing the minimum to the window,
// within the room the screen has.
#include "platform/ui/form_min_size.h"

#include <QWidget>
#include <algorithm>
#include <climits>

#include "platform/ui/application.h"

// The outer size the screen's work area holds: a minimum never asks for more,
// so a window on a small screen or at a large scale can still be made to fit.
TPoint TMinSizeForm::ScreenRoom() const {
    if (!Screen) return TPoint{INT_MAX, INT_MAX};
    const TRect work = Screen->WorkAreaRect();
    const TRect real = WindowFrame(), estimated = FrameMargins();
    const int moreX = std::max(0, real.Left + real.Right - estimated.Left - estimated.Right);
    const int moreY = std::max(0, real.Top + real.Bottom - estimated.Top - estimated.Bottom);
    return TPoint{std::max(0, work.Right - work.Left - moreX), std::max(0, work.Bottom - work.Top - moreY)};
}

void TMinSizeForm::SetMinimumSize(int Width, int Height) {
    FMinWidth = std::max(0, Width);
    FMinHeight = std::max(0, Height);
    ApplyToWindow();
    SetBounds(Left(), Top(), this->Width(), this->Height());
}

void TMinSizeForm::SetMinimumClientSize(int Width, int Height) {
    FMinClientWidth = std::max(0, Width);
    FMinClientHeight = std::max(0, Height);
    SetMinimumSize(FMinWidth, FMinHeight);
}

void TMinSizeForm::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
    const TPoint room = ScreenRoom();
    TForm::SetBounds(ALeft, ATop, std::max(AWidth, std::min(FMinWidth, room.X)),
                     std::max(AHeight, std::min(FMinHeight, room.Y)));
    // The client area's minimum, whatever the frame and the menu bar take.
    const int growX = std::min(FMinClientWidth - ClientWidth(), room.X - Width());
    const int growY = std::min(FMinClientHeight - ClientHeight(), room.Y - Height());
    if (growX > 0 || growY > 0)
        TForm::SetBounds(Left(), Top(), Width() + std::max(0, growX), Height() + std::max(0, growY));
}

void TMinSizeForm::CreateWnd() {
    TForm::CreateWnd();
    ApplyToWindow();
}

void TMinSizeForm::WindowFramed() { ApplyToWindow(); }

void TMinSizeForm::ApplySizeLimits() {
    TForm::ApplySizeLimits();
    QWidget* w = Widget();
    if (!w || (!FWindowMinX && !FWindowMinY)) return;
    QWidget* window = w->window();
    window->setMinimumSize(std::max(window->minimumWidth(), FWindowMinX),
                           std::max(window->minimumHeight(), FWindowMinY));
}

void TMinSizeForm::ApplyToWindow() {
    QWidget* w = Widget();
    if (!w) return;
    // The window is the form less its frame (borders and caption); the
    // client area lies inside it, under the menu bar.
    QWidget* window = w->window();
    const TRect frame = FrameMargins();
    const int aroundX = std::max(0, window->width() - ClientWidth());
    const int aroundY = std::max(0, window->height() - ClientHeight());
    const TPoint room = ScreenRoom();
    const int minX = std::max(FMinWidth - frame.Left - frame.Right, FMinClientWidth + aroundX);
    const int minY = std::max(FMinHeight - frame.Top - frame.Bottom, FMinClientHeight + aroundY);
    // The form's constraints may ask for more.
    const int limitX = Constraints()->MinWidth() - frame.Left - frame.Right;
    const int limitY = Constraints()->MinHeight() - frame.Top - frame.Bottom;
    FWindowMinX = std::clamp(minX, 0, std::max(0, room.X - frame.Left - frame.Right));
    FWindowMinY = std::clamp(minY, 0, std::max(0, room.Y - frame.Top - frame.Bottom));
    window->setMinimumSize(std::max(limitX, FWindowMinX), std::max(limitY, FWindowMinY));
}
