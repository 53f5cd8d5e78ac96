// The indicator button: a speed button in the grid's top-left corner.
#pragma once

#include "platform/ui/buttons.h"

// The button in the grid's top-left corner.
class TqzIButton : public TSpeedButton {
    TASKMOOR_CLASS(TqzIButton, TSpeedButton)
public:
    explicit TqzIButton(TComponent* AOwner) : TSpeedButton(AOwner) {}
    void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;

protected:
    void Loaded() override;
};
