// The graphic bases of the navigator: a windowless button drawing a glyph
// from an image list with up to four state images, and a panel that can let
// its parent show through.
#pragma once

#include "platform/ui/controls.h"
#include "platform/ui/extctrls.h"

class TCustomAction;
class TImageList;
class TqzSpeedButtonActionLink;

// Colours of a disabled caption: drawn at (+1, +1) in HighlightColor, then
// in ShadeColor.
class TqzDisabledTextColors : public TPersistent {
    TASKMOOR_CLASS(TqzDisabledTextColors, TPersistent)
public:
    TColor ShadeColor = clGray;
    TColor HighlightColor = clBtnHighlight;

    static void Publish(TPublisher<TqzDisabledTextColors>& p);
};

// NumGlyphs: 1 the normal image, 2 adds the disabled one (index + 1), 3 the
// pressed one (index + 2), 4 the hot one (index + 3). Margin -1 centres glyph
// and caption, else both sit that far from the top-left corner.
class TqzSpeedButton : public TGraphicControl {
    TASKMOOR_CLASS(TqzSpeedButton, TGraphicControl)
public:
    explicit TqzSpeedButton(TComponent* AOwner);
    ~TqzSpeedButton() override;

    TImageList* Images() const { return FImages; }
    void SetImages(TImageList* Value);
    virtual int GetImageIndex() const { return FImageIndex; }
    virtual void SetImageIndex(int Value);
    int ImageIndex() const { return GetImageIndex(); }
    int NumGlyphs() const { return FNumGlyphs; }
    void SetNumGlyphs(int Value);
    int Margin() const { return FMargin; }
    void SetMargin(int Value);
    int Spacing() const { return FSpacing; }
    void SetSpacing(int Value);
    bool ShowText() const { return FShowText; }
    void SetShowText(bool Value);
    bool Transparent() const { return FTransparent; }
    void SetTransparent(bool Value);
    bool Flat() const { return FFlat; }
    void SetFlat(bool Value);
    TqzDisabledTextColors* DisabledTextColors() const { return FDisabledTextColors.get(); }
    // The action gives its caption, enabled state, hint and visibility, and
    // its image index when its image list is the button's; a click runs it.
    TCustomAction* Action() const;
    void SetAction(TCustomAction* Value);
    bool MouseInControl() const { return FMouseInControl; }
    // The left button is held on the button with the mouse inside.
    bool Pressed() const { return FMouseHeld && FMouseInControl; }
    // The image drawn for the present state; -1 for none.
    int GlyphIndex() const;

    void Dispatch(TMessage& Message) override;
    static void Publish(TPublisher<TqzSpeedButton>& p);

protected:
    friend class TqzSpeedButtonActionLink;
    void Click() override;
    void ActionChange(TCustomAction* Action);
    bool TakesImageIndexOf(const TCustomAction* Action, int Index) const;
    void Paint() override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void Notification(TComponent* AComponent, TOperation Operation) override;
    virtual void MouseEntered() {}
    virtual void MouseLeft() {}
    bool FMouseHeld = false;

private:
    TImageList* FImages = nullptr;
    int FImageIndex = -1;
    int FNumGlyphs = 1;
    int FMargin = -1;
    int FSpacing = 4;
    bool FShowText = false;
    bool FTransparent = false;
    bool FFlat = false;
    bool FMouseInControl = false;
    std::unique_ptr<TqzDisabledTextColors> FDisabledTextColors;
    std::unique_ptr<TqzSpeedButtonActionLink> FActionLink;
};

// Transparent: only the bevel frames are drawn, no fill.
class TqzCustomTransparentPanel : public TCustomPanel {
    TASKMOOR_CLASS(TqzCustomTransparentPanel, TCustomPanel)
public:
    explicit TqzCustomTransparentPanel(TComponent* AOwner);

    bool Transparent() const { return FTransparent; }
    virtual void SetTransparent(bool Value);
    virtual bool IsTransparent() const;

protected:
    void Paint() override;
    void CreateParams(TCreateParams& Params) override;
    // Whether the window lets its parent show through (IsTransparent).
    virtual bool WantsTransparentWindow() const { return IsTransparent(); }
    // Gives the window the transparent style or takes it away.
    void UpdateTransparentStyle();

private:
    bool FTransparent = false;
};
