// Buttons with pictures: TSpeedButton, a button without a window (it never
// takes the keyboard focus), and TBitBtn, a push button with a glyph and
// ready-made kinds (OK, Cancel, ...).
//
// A glyph bitmap may hold NumGlyphs images side by side: up, disabled,
// clicked and down. The glyph's bottom-left pixel colour is transparent. A
// missing disabled image is drawn greyed from the up image.
#pragma once

#include <memory>
#include <string>

#include "platform/ui/bitmaps.h"
#include "platform/ui/stdctrls.h"

TASKMOOR_ENUM(TButtonLayout, blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom)
TASKMOOR_ENUM(TButtonState, bsUp, bsDisabled, bsDown, bsExclusive)
TASKMOOR_ENUM(TBitBtnKind, bkCustom, bkOK, bkCancel, bkHelp, bkYes, bkNo, bkClose, bkAbort, bkRetry, bkIgnore,
              bkAll)
TASKMOOR_ENUM(TButtonStyle, bsAutoDetect, bsWin31, bsNew)

// Draws a button face's glyph and caption inside Client. Used by the
// buttons here and by controls that draw buttons of their own.
// Margin: pixels from the edge to the glyph (-1: centred); Spacing: pixels
// between glyph and caption (-1: centred in the remaining room).
void DrawButtonGlyphAndCaption(TCanvas* Canvas, const TRect& Client, const TPoint& Offset,
                               const std::string& Caption, TBitmap* Glyph, int NumGlyphs, TButtonState State,
                               TButtonLayout Layout, int Margin, int Spacing, bool Transparent,
                               bool WordWrap = false);
// The layout a button drawn right to left uses: the glyph's left and right
// sides swap.
TButtonLayout BiDiButtonLayout(TButtonLayout Layout, bool RightToLeft);

// ---- Grouped buttons ------------------------------------------------------------------------
// A windowless button that may belong to a group. With GroupIndex 0 a click
// only clicks. With a GroupIndex the button stays down after a click, and of
// the grouped buttons on one parent with that index (of any class derived
// from this one) one at a time is down; a down button comes up by a click or
// by Down := False only with AllowAllUp, which the group shares.
class TGroupButton : public TGraphicControl {
    TASKMOOR_CLASS(TGroupButton, TGraphicControl)
public:
    using TGraphicControl::TGraphicControl;

    int GroupIndex() const { return FGroupIndex; }
    void SetGroupIndex(int Value);
    bool Down() const { return FDown; }
    // Setting Down of a grouped button raises the others of its group.
    void SetDown(bool Value);
    bool AllowAllUp() const { return FAllowAllUp; }
    void SetAllowAllUp(bool Value);
    // The face is drawn pressed (mouse held on it, or Down).
    TButtonState State() const { return FState; }

    void Dispatch(TMessage& Message) override;

protected:
    // Tells the parent's controls that this button's group changed or that
    // it went down (CM_BUTTONPRESSED, LParam the button as a TControl*).
    void UpdateExclusive();
    // This button came up because another member of its group went down.
    virtual void RaisedByGroup() {}

    int FGroupIndex = 0;
    bool FDown = false;
    bool FAllowAllUp = false;
    TButtonState FState = bsUp;

private:
    void ButtonPressed(TGroupButton* Sender);
};

// ---- Speed button ------------------------------------------------------------------------
// A grouped button with a glyph and a caption. Flat buttons show their edge
// only while the mouse is over them.
class TSpeedButton : public TGroupButton {
    TASKMOOR_CLASS(TSpeedButton, TGroupButton)
public:
    explicit TSpeedButton(TComponent* AOwner);
    ~TSpeedButton() override;

    bool Flat() const { return FFlat; }
    void SetFlat(bool Value);
    TBitmap* Glyph() const { return FGlyph.get(); }
    void SetGlyph(TBitmap* Value);
    int NumGlyphs() const { return FNumGlyphs; }
    void SetNumGlyphs(int Value);
    TButtonLayout Layout() const { return FLayout; }
    void SetLayout(TButtonLayout Value);
    int Margin() const { return FMargin; }
    void SetMargin(int Value);
    int Spacing() const { return FSpacing; }
    void SetSpacing(int Value);
    bool Transparent() const { return FTransparent; }
    void SetTransparent(bool Value);
    // True while the mouse is over the button.
    bool MouseInControl() const { return FMouseInControl; }

    using TGroupButton::Click;
    void Dispatch(TMessage& Message) override;
    static void Publish(TPublisher<TSpeedButton>& p);

protected:
    void Paint() override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseMove(TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void Loaded() override;

private:
    void GlyphChanged(TObject* Sender);

    bool FFlat = false;
    std::unique_ptr<TBitmap> FGlyph;
    int FNumGlyphs = 1;
    TButtonLayout FLayout = blGlyphLeft;
    int FMargin = -1;
    int FSpacing = 4;
    bool FTransparent = true;
    bool FDragging = false;
    bool FMouseInControl = false;
};

// ---- Bitmap button ------------------------------------------------------------------------
// A push button that paints its face itself: a glyph and the caption. A Kind
// other than bkCustom gives the caption, glyph and modal result of that kind
// (bkOK is Default, bkCancel Cancel; bkClose closes the form). A kind's glyph
// holds two images, NumGlyphs 2: the up image and the disabled one.
class TBitBtn : public TButton {
    TASKMOOR_CLASS(TBitBtn, TButton)
public:
    explicit TBitBtn(TComponent* AOwner);
    ~TBitBtn() override;

    TBitBtnKind Kind() const { return FKind; }
    void SetKind(TBitBtnKind Value);
    TBitmap* Glyph() const { return FGlyph.get(); }
    void SetGlyph(TBitmap* Value);
    int NumGlyphs() const { return FNumGlyphs; }
    void SetNumGlyphs(int Value);
    TButtonLayout Layout() const { return FLayout; }
    void SetLayout(TButtonLayout Value);
    int Margin() const { return FMargin; }
    void SetMargin(int Value);
    int Spacing() const { return FSpacing; }
    void SetSpacing(int Value);
    TButtonStyle Style() const { return FStyle; }
    void SetStyle(TButtonStyle Value) { FStyle = Value; }

    void Click() override;
    static void Publish(TPublisher<TBitBtn>& p);

protected:
    void CreateWindowHandle(const TCreateParams& Params) override;

private:
    void GlyphChanged(TObject* Sender);
    TBitBtnKind FKind = bkCustom;
    std::unique_ptr<TBitmap> FGlyph;
    int FNumGlyphs = 1;
    TButtonLayout FLayout = blGlyphLeft;
    int FMargin = -1;
    int FSpacing = 4;
    TButtonStyle FStyle = bsAutoDetect;
    bool FModifyingKind = false;
};
