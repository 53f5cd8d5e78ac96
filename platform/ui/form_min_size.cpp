#include "platform/ui/form_min_size.h"

#include <QWidget>
#include <algorithm>

void TMinSizeForm::SetMinimumSize(int Width, int Height) {
    FMinWidth = std::max(0, Width);
    FMinHeight = std::max(0, Height);
    ApplyToWindow();
    if (this->Width() < FMinWidth || this->Height() < FMinHeight)
        SetBounds(Left(), Top(), this->Width(), this->Height());
}

void TMinSizeForm::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
    TForm::SetBounds(ALeft, ATop, std::max(AWidth, FMinWidth), std::max(AHeight, FMinHeight));
}

void TMinSizeForm::CreateWnd() {
    TForm::CreateWnd();
    ApplyToWindow();
}

void TMinSizeForm::ApplyToWindow() {
    QWidget* w = Widget();
    if (!w) return;
    // The window's client is the form less its non-client margins.
    const TRect nc = NonClientMargins();
    w->window()->setMinimumSize(std::max(0, FMinWidth - nc.Left - nc.Right),
                                std::max(0, FMinHeight - nc.Top - nc.Bottom));
}
