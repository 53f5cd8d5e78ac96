// The small windowless button of the suite's edits (drop-down, ellipsis,
// spin arrows) and its glyph images.
//
// TqzComboButtonGlyph makes one image per button state on first use (a
// disabled image engraved from a one-image glyph, or recoloured from the
// second image) and keeps them in image lists shared by all glyphs of one
// image size (TGlyphList, held by the global TGlyphCache); freed slots are
// reused before a list grows. TqzComboButton is a speed button with groups,
// flat and transparent looks, classic and themed painting, an action link,
// and four hooks through which an owning edit steers the themed look.
// TqzSpinControlButton paints a spin arrow.
//
// The bitmaps "QZDROPDOWN", "qzSpinUp" and "qzSpinDown" are registered as
// named resources by RegisterComboButtonGlyphs (the buttons do it); their
// transparent colour is olive, wherever it lies (LoadComboButtonGlyph).
#pragma once

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "platform/core/events.h"
#include "platform/ui/actions.h"
#include "platform/ui/bitmaps.h"
#include "platform/ui/buttons.h"
#include "platform/ui/controls.h"
#include "platform/ui/imagelist.h"

void RegisterComboButtonGlyphs();
// Loads one of those bitmaps into Bitmap with olive as its fixed transparent
// colour (the bottom-left pixel is not always olive: the up arrow's is black).
void LoadComboButtonGlyph(TBitmap* Bitmap, const char* Name);

// An image list of one image size whose slots are handed out and given back.
class TGlyphList : public TImageList {
    TASKMOOR_CLASS(TGlyphList, TImageList)
public:
    TGlyphList(int AWidth, int AHeight);
    // The first free slot (a new empty image when all are used), now used.
    int AllocateIndex();
    // Puts Image into a free slot, MaskColor transparent; answers the slot.
    int AddMasked(TBitmap* Image, TColor MaskColor);
    // Frees a used slot (its image stays for reuse).
    void Delete(int Index);
    // Used slots.
    int Count() const { return FCount; }
    bool Used(int Index) const;

private:
    std::vector<bool> FUsed;
    int FCount = 0;
};

class TGlyphCache {
public:
    // The list of that image size (the latest made first), made when missing.
    TGlyphList* GetList(int AWidth, int AHeight);
    // Frees the list when no slot of it is used.
    void ReturnList(TGlyphList* List);
    bool Empty() const { return FGlyphLists.empty(); }
    int ListCount() const { return static_cast<int>(FGlyphLists.size()); }

private:
    std::vector<std::unique_ptr<TGlyphList>> FGlyphLists;
};

// The process's glyph cache; nullptr while no glyph has been made since it
// was last emptied.
TGlyphCache* GlyphCache();

class TqzComboButtonGlyph {
public:
    explicit TqzComboButtonGlyph(TControl* Owner);
    ~TqzComboButtonGlyph();
    TqzComboButtonGlyph(const TqzComboButtonGlyph&) = delete;
    TqzComboButtonGlyph& operator=(const TqzComboButtonGlyph&) = delete;

    TBitmap* Glyph() const { return FSourceBitmap.get(); }
    void SetGlyph(TBitmap* Value);
    int NumGlyphs() const { return FNumGlyphs; }
    // Below 1 (or equal) changes nothing; above 4 is 4.
    void SetNumGlyphs(int Value);
    TColor TransparentColor() const { return FTransparentColor; }
    TNotifyEvent OnChange() const { return FOnChange; }
    void SetOnChange(TNotifyEvent Value) { FOnChange = Value; }
    TControl* Owner() const { return FOwner; }
    TGlyphList* GlyphList() const { return FGlyphList; }
    // The image made for a state (-1: not made).
    int Index(TButtonState State) const { return FIndexes[static_cast<size_t>(State)]; }

    // Drops the state images (their slots are freed).
    void Invalidate();
    // The image of a state, made on first use; -1 without a glyph.
    int CreateButtonGlyph(TButtonState State);
    // Lays out and draws glyph and caption; answers the caption's rectangle.
    TRect Draw(TCanvas* Canvas, const TRect& Client, const TPoint& Offset, const std::string& Caption,
               TButtonLayout Layout, int Margin, int Spacing, TButtonState State, bool Transparent,
               unsigned BiDiFlags);

private:
    void GlyphChanged(TObject* Sender);
    void DrawButtonGlyph(TCanvas* Canvas, const TPoint& Pos, TButtonState State, bool Transparent);
    void DrawButtonText(TCanvas* Canvas, const std::string& Caption, TRect Bounds, TButtonState State,
                        unsigned BiDiFlags);

    std::unique_ptr<TBitmap> FSourceBitmap;
    TGlyphList* FGlyphList = nullptr;
    std::array<int, 4> FIndexes{-1, -1, -1, -1};
    TColor FTransparentColor = clOlive;
    int FNumGlyphs = 1;
    TNotifyEvent FOnChange;
    TControl* FOwner;
};

class TqzComboButton;

class TqzComboButtonActionLink : public TControlActionLink {
public:
    explicit TqzComboButtonActionLink(TqzComboButton* Client);
    bool IsCheckedLinked() override;
    bool IsGroupIndexLinked() override;
    void SetChecked(bool Value) override;
    void SetGroupIndex(int Value) override;

private:
    TqzComboButton* FButton;
};

// Grouped with the platform's speed buttons: one group may hold both.
class TqzComboButton : public TGroupButton {
    TASKMOOR_CLASS(TqzComboButton, TGroupButton)
public:
    explicit TqzComboButton(TComponent* AOwner);
    ~TqzComboButton() override;

    TCustomAction* Action() const;
    void SetAction(TCustomAction* Value);
    bool Flat() const { return FFlat; }
    void SetFlat(bool Value);
    TBitmap* Glyph() const { return FGlyph->Glyph(); }
    void SetGlyph(TBitmap* Value);
    TButtonLayout Layout() const { return FLayout; }
    void SetLayout(TButtonLayout Value);
    int Margin() const { return FMargin; }
    void SetMargin(int Value);
    int NumGlyphs() const { return FGlyph->NumGlyphs(); }
    void SetNumGlyphs(int Value);
    int Spacing() const { return FSpacing; }
    void SetSpacing(int Value);
    bool Transparent() const { return FTransparent; }
    void SetTransparent(bool Value);
    // Three dots are drawn when there is no glyph (set by the owning edit).
    bool Ellipsis() const { return FEllipsis; }
    void SetEllipsis(bool Value) { FEllipsis = Value; }
    bool MouseInControl() const { return FMouseInControl; }
    bool Dragging() const { return FDragging; }
    TqzComboButtonGlyph* ButtonGlyph() const { return FGlyph.get(); }

    // Owner hooks of the themed look (all False here). They are the one set
    // that the drop-down, date and lookup buttons answer: a button's
    // transparency test is UseRightDropDownPart, its owner's mouse-inside
    // test IsParentHot, its is-down test IsParentDroppedDown.
    virtual bool IsVistaComboStyle() { return false; }
    virtual bool UseRightDropDownPart() { return false; }
    virtual bool IsParentHot() { return false; }
    virtual bool IsParentDroppedDown() { return false; }

    void Click() override;
    void Dispatch(TMessage& Message) override;
    // Changes of a linked action.
    void ActionChange(TObject* Sender, bool CheckDefaults);
    static void Publish(TPublisher<TqzComboButton>& p);

protected:
    void Paint() override;
    void Loaded() override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseMove(TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    // Inside for the click test: x in [0, width), y in [0, height].
    bool InsideForClick(int X, int Y) const;
    // The themed face (element and glyph) after the state rules.
    virtual void PaintThemed(TCanvas* Canvas, TRect R);
    void PaintClassic(TCanvas* Canvas, TRect R);
    unsigned BiDiTextFlags() const;
    void UpdateTracking();
    // A linked action is unchecked.
    void RaisedByGroup() override;

    std::unique_ptr<TqzComboButtonGlyph> FGlyph;
    std::unique_ptr<TqzComboButtonActionLink> FActionLink;
    bool FDragging = false;
    TButtonLayout FLayout = blGlyphLeft;
    int FSpacing = 4;
    bool FTransparent = true;
    int FMargin = -1;
    bool FFlat = false;
    bool FMouseInControl = false;
    bool FEllipsis = false;
};

// Buttons alive now.
int qzComboButtonCount();

class TqzSpinControlButton : public TqzComboButton {
    TASKMOOR_CLASS(TqzSpinControlButton, TqzComboButton)
public:
    using TqzComboButton::TqzComboButton;
    // 0 up, 1 down (anything else draws as up).
    uint8_t ArrowDirection() const { return FArrowDirection; }
    void SetArrowDirection(uint8_t Value) {
        FArrowDirection = Value;
        Invalidate();
    }

protected:
    void PaintThemed(TCanvas* Canvas, TRect R) override;

private:
    uint8_t FArrowDirection = 0;
};
