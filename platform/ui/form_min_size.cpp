#include "platform/ui/form_min_size.h"

#include <QWidget>
#include <algorithm>

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
    TForm::SetBounds(ALeft, ATop, std::max(AWidth, FMinWidth), std::max(AHeight, FMinHeight));
    // The client area's minimum, whatever the frame and the menu bar take.
    const int growX = FMinClientWidth - ClientWidth(), growY = FMinClientHeight - ClientHeight();
    if (growX > 0 || growY > 0)
        TForm::SetBounds(Left(), Top(), Width() + std::max(0, growX), Height() + std::max(0, growY));
}

void TMinSizeForm::CreateWnd() {
    TForm::CreateWnd();
    ApplyToWindow();
}

void TMinSizeForm::ApplyToWindow() {
    QWidget* w = Widget();
    if (!w) return;
    // The window's client is the form less its non-client margins; the
    // client area lies inside it, under the menu bar.
    QWidget* window = w->window();
    const TRect nc = NonClientMargins();
    const int aroundX = std::max(0, window->width() - ClientWidth());
    const int aroundY = std::max(0, window->height() - ClientHeight());
    window->setMinimumSize(std::max({0, FMinWidth - nc.Left - nc.Right, FMinClientWidth + aroundX}),
                           std::max({0, FMinHeight - nc.Top - nc.Bottom, FMinClientHeight + aroundY}));
}
