// Colours, fonts, pens, brushes and the canvas.
//
// A colour is a TColor: either $00BBGGRR (red in the low byte) or a system
// colour (clWindow, clBtnFace, ...: the high bit set, the low byte naming the
// element), which ColorToRGB resolves to the fixed classic scheme so that
// drawings come out the same everywhere. clNone and clDefault are markers,
// not colours.
//
// TCanvas draws with the GDI's rules: rectangles exclude their right and
// bottom edges, lines exclude their end point, text is placed by its top-left
// corner and gets the brush colour behind it unless the brush is bsClear. A
// canvas draws on a bitmap, on a control while it paints, or on a printer
// page; outside of those it measures text but draws nothing.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/core/component.h"
#include "platform/core/events.h"
#include "platform/ui/geometry.h"

class TGraphic;
struct TCanvasImpl;

// ---- Colours -------------------------------------------------------------------
using TColor = int32_t;

constexpr TColor clSystemColor = static_cast<TColor>(0x80000000u);
constexpr TColor clScrollBar = clSystemColor | 0, clBackground = clSystemColor | 1,
                 clActiveCaption = clSystemColor | 2, clInactiveCaption = clSystemColor | 3,
                 clMenu = clSystemColor | 4, clWindow = clSystemColor | 5, clWindowFrame = clSystemColor | 6,
                 clMenuText = clSystemColor | 7, clWindowText = clSystemColor | 8,
                 clCaptionText = clSystemColor | 9, clActiveBorder = clSystemColor | 10,
                 clInactiveBorder = clSystemColor | 11, clAppWorkSpace = clSystemColor | 12,
                 clHighlight = clSystemColor | 13, clHighlightText = clSystemColor | 14,
                 clBtnFace = clSystemColor | 15, clBtnShadow = clSystemColor | 16,
                 clGrayText = clSystemColor | 17, clBtnText = clSystemColor | 18,
                 clInactiveCaptionText = clSystemColor | 19, clBtnHighlight = clSystemColor | 20,
                 cl3DDkShadow = clSystemColor | 21, cl3DLight = clSystemColor | 22,
                 clInfoText = clSystemColor | 23, clInfoBk = clSystemColor | 24,
                 clHotLight = clSystemColor | 26, clGradientActiveCaption = clSystemColor | 27,
                 clGradientInactiveCaption = clSystemColor | 28, clMenuHighlight = clSystemColor | 29,
                 clMenuBar = clSystemColor | 30;

constexpr TColor clBlack = 0x000000, clMaroon = 0x000080, clGreen = 0x008000, clOlive = 0x008080,
                 clNavy = 0x800000, clPurple = 0x800080, clTeal = 0x808000, clGray = 0x808080,
                 clSilver = 0xC0C0C0, clRed = 0x0000FF, clLime = 0x00FF00, clYellow = 0x00FFFF,
                 clBlue = 0xFF0000, clFuchsia = 0xFF00FF, clAqua = 0xFFFF00, clWhite = 0xFFFFFF,
                 clMoneyGreen = 0xC0DCC0, clSkyBlue = 0xF0CAA6, clCream = 0xF0FBFF, clMedGray = 0xA4A0A0,
                 clLtGray = 0xC0C0C0, clDkGray = 0x808080;
constexpr TColor clNone = 0x1FFFFFFF;
constexpr TColor clDefault = 0x20000000;

// The $00BBGGRR value of a colour; system colours resolve to the fixed
// scheme. clNone and clDefault resolve to white and black.
int32_t ColorToRGB(TColor Color);
constexpr TColor RGB(int R, int G, int B) { return (R & 0xFF) | ((G & 0xFF) << 8) | ((B & 0xFF) << 16); }
constexpr int GetRValue(int32_t C) { return C & 0xFF; }
constexpr int GetGValue(int32_t C) { return (C >> 8) & 0xFF; }
constexpr int GetBValue(int32_t C) { return (C >> 16) & 0xFF; }
// "clRed", "clBtnFace", ... for named colours, else "$00BBGGRR".
std::string ColorToString(TColor Color);
// The reverse; also takes decimal and "$" hex numbers. Raises EConvertError
// "'%s' is not a valid integer value" for anything else.
TColor StringToColor(const std::string& S);

// ---- Font, pen, brush ---------------------------------------------------------------
TASKMOOR_ENUM(TFontStyle, fsBold, fsItalic, fsUnderline, fsStrikeOut)
using TFontStyles = TSet<TFontStyle>;
TASKMOOR_ENUM(TFontPitch, fpDefault, fpVariable, fpFixed)

// Base of TFont, TPen and TBrush: a change fires OnChange (not while updating).
class TGraphicsObject : public TPersistent {
    TASKMOOR_CLASS(TGraphicsObject, TPersistent)
public:
    TNotifyEvent OnChange() const { return FOnChange; }
    void SetOnChange(TNotifyEvent Value) { FOnChange = Value; }

protected:
    virtual void Changed();

private:
    TNotifyEvent FOnChange;
};

class TFont : public TGraphicsObject {
    TASKMOOR_CLASS(TFont, TGraphicsObject)
public:
    TFont();

    const std::string& Name() const { return FName; }
    void SetName(const std::string& Value);
    // Points; setting it sets Height to -(Size * PixelsPerInch / 72).
    int Size() const;
    void SetSize(int Value);
    // Pixels: negative for the character height, positive for the cell height.
    int Height() const { return FHeight; }
    void SetHeight(int Value);
    TColor Color() const { return FColor; }
    void SetColor(TColor Value);
    TFontStyles Style() const { return FStyle; }
    void SetStyle(TFontStyles Value);
    TFontPitch Pitch() const { return FPitch; }
    void SetPitch(TFontPitch Value);
    uint8_t Charset() const { return FCharset; }
    void SetCharset(uint8_t Value);
    int PixelsPerInch() const { return FPixelsPerInch; }
    void SetPixelsPerInch(int Value) { FPixelsPerInch = Value > 0 ? Value : 96; }

    void Assign(TPersistent* Source) override;
    // Same name, height, colour, style, pitch and charset.
    bool Equals(const TFont& Other) const;

    static void Publish(TPublisher<TFont>& p);

private:
    std::string FName = "MS Sans Serif";
    int FHeight = -11;
    TColor FColor = clWindowText;
    TFontStyles FStyle;
    TFontPitch FPitch = fpDefault;
    uint8_t FCharset = 1;
    int FPixelsPerInch = 96;
};

TASKMOOR_ENUM(TPenStyle, psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear, psInsideFrame)
TASKMOOR_ENUM(TPenMode, pmBlack, pmWhite, pmNop, pmNot, pmCopy, pmNotCopy, pmMergePenNot, pmMaskPenNot,
              pmMergeNotPen, pmMaskNotPen, pmMerge, pmNotMerge, pmMask, pmNotMask, pmXor, pmNotXor)

class TPen : public TGraphicsObject {
    TASKMOOR_CLASS(TPen, TGraphicsObject)
public:
    TColor Color() const { return FColor; }
    void SetColor(TColor Value);
    int Width() const { return FWidth; }
    void SetWidth(int Value);
    TPenStyle Style() const { return FStyle; }
    void SetStyle(TPenStyle Value);
    TPenMode Mode() const { return FMode; }
    void SetMode(TPenMode Value);
    void Assign(TPersistent* Source) override;

    static void Publish(TPublisher<TPen>& p);

private:
    TColor FColor = clBlack;
    int FWidth = 1;
    TPenStyle FStyle = psSolid;
    TPenMode FMode = pmCopy;
};

TASKMOOR_ENUM(TBrushStyle, bsSolid, bsClear, bsHorizontal, bsVertical, bsFDiagonal, bsBDiagonal, bsCross,
              bsDiagCross)

class TBrush : public TGraphicsObject {
    TASKMOOR_CLASS(TBrush, TGraphicsObject)
public:
    TColor Color() const { return FColor; }
    // Setting a colour turns a clear brush solid.
    void SetColor(TColor Value);
    TBrushStyle Style() const { return FStyle; }
    void SetStyle(TBrushStyle Value);
    void Assign(TPersistent* Source) override;

    static void Publish(TPublisher<TBrush>& p);

private:
    TColor FColor = clWhite;
    TBrushStyle FStyle = bsSolid;
};

// ---- Canvas --------------------------------------------------------------------------
// Raster operations of CopyRect, Draw and StretchDraw (CopyMode).
using TCopyMode = int32_t;
constexpr TCopyMode cmBlackness = 0x00000042, cmDstInvert = 0x00550009, cmMergeCopy = 0x00C000CA,
                    cmMergePaint = 0x00BB0226, cmNotSrcCopy = 0x00330008, cmNotSrcErase = 0x001100A6,
                    cmPatCopy = 0x00F00021, cmPatInvert = 0x005A0049, cmPatPaint = 0x00FB0A09,
                    cmSrcAnd = 0x008800C6, cmSrcCopy = 0x00CC0020, cmSrcErase = 0x00440328,
                    cmSrcInvert = 0x00660046, cmSrcPaint = 0x00EE0086, cmWhiteness = 0x00FF0062;
constexpr TCopyMode SRCCOPY = cmSrcCopy, SRCAND = cmSrcAnd, SRCPAINT = cmSrcPaint, SRCINVERT = cmSrcInvert;

// Text output flags (TextFlags).
constexpr int ETO_OPAQUE = 0x0002, ETO_CLIPPED = 0x0004, ETO_RTLREADING = 0x0080;

class TCanvas : public TPersistent {
    TASKMOOR_CLASS(TCanvas, TPersistent)
public:
    TCanvas();
    ~TCanvas() override;

    TFont* Font() const { return FFont.get(); }
    void SetFont(TFont* Value) { FFont->Assign(Value); }
    TPen* Pen() const { return FPen.get(); }
    void SetPen(TPen* Value) { FPen->Assign(Value); }
    TBrush* Brush() const { return FBrush.get(); }
    void SetBrush(TBrush* Value) { FBrush->Assign(Value); }
    TCopyMode CopyMode() const { return FCopyMode; }
    void SetCopyMode(TCopyMode Value) { FCopyMode = Value; }
    TPoint PenPos() const { return FPenPos; }
    void SetPenPos(TPoint Value) { FPenPos = Value; }
    int TextFlags() const { return FTextFlags; }
    void SetTextFlags(int Value) { FTextFlags = Value; }

    // ---- Lines and shapes
    void MoveTo(int X, int Y);
    void LineTo(int X, int Y);
    void Polyline(const std::vector<TPoint>& Points);
    void Polygon(const std::vector<TPoint>& Points);
    void Rectangle(int X1, int Y1, int X2, int Y2);
    void Rectangle(const TRect& R) { Rectangle(R.Left, R.Top, R.Right, R.Bottom); }
    void RoundRect(int X1, int Y1, int X2, int Y2, int X3, int Y3);
    void Ellipse(int X1, int Y1, int X2, int Y2);
    void Ellipse(const TRect& R) { Ellipse(R.Left, R.Top, R.Right, R.Bottom); }
    // Fills with the brush (no outline).
    void FillRect(const TRect& R);
    // A one-pixel frame in the brush colour.
    void FrameRect(const TRect& R);
    // The dotted focus frame, drawn by inverting: drawing it twice removes it.
    void DrawFocusRect(const TRect& R);

    // ---- Text
    void TextOut(int X, int Y, const std::string& Text);
    // Text at (X, Y) clipped to R; R is filled with the brush first unless
    // the brush is bsClear.
    void TextRect(const TRect& R, int X, int Y, const std::string& Text);
    int TextWidth(const std::string& Text);
    int TextHeight(const std::string& Text);
    TSize TextExtent(const std::string& Text);

    // ---- Pictures and copies
    void Draw(int X, int Y, TGraphic* Graphic);
    void StretchDraw(const TRect& R, TGraphic* Graphic);
    // Copies Source's pixels in SourceRect to Dest (scaled), with CopyMode.
    void CopyRect(const TRect& Dest, TCanvas* Canvas, const TRect& Source);
    // The colour of a pixel ($00BBGGRR); -1 where the pixels cannot be read
    // (outside, or a canvas that only draws).
    TColor Pixels(int X, int Y);
    void SetPixels(int X, int Y, TColor Color);

    // ---- Mirroring
    // With a Width above 0, drawing in left-to-right coordinates comes out
    // mirrored in a surface Width wide: x maps to Width - 1 - x for pixels,
    // pictures are mirrored too, text boxes are mirrored but their glyphs
    // read as usual. 0 ends the mirroring.
    void SetMirrorWidth(int Width);
    int MirrorWidth() const;

    // ---- State
    // The part that drawing reaches, in canvas coordinates.
    TRect ClipRect();
    // True while the canvas is bound to something it draws on.
    bool HandleAllocated() const;
    // Binds the canvas to its surface now, when it has one.
    void HandleNeeded() { RequiredState(); }
    void Lock() { ++FLockCount; }
    void Unlock() {
        if (FLockCount > 0) --FLockCount;
    }
    int LockCount() const { return FLockCount; }
    // Restores default font, pen and brush settings on the next drawing.
    void Refresh();

    TNotifyEvent OnChange() const { return FOnChange; }
    void SetOnChange(TNotifyEvent Value) { FOnChange = Value; }
    TNotifyEvent OnChanging() const { return FOnChanging; }
    void SetOnChanging(TNotifyEvent Value) { FOnChanging = Value; }

    // The toolkit binding; used inside the windowing layer only.
    TCanvasImpl* Impl() const { return FImpl.get(); }

protected:
    // Makes sure the canvas has something to draw on; descendants bind their
    // surface here.
    virtual void RequiredState();
    virtual void Changing();
    virtual void Changed();

private:
    std::unique_ptr<TFont> FFont;
    std::unique_ptr<TPen> FPen;
    std::unique_ptr<TBrush> FBrush;
    std::unique_ptr<TCanvasImpl> FImpl;
    TCopyMode FCopyMode = cmSrcCopy;
    TPoint FPenPos;
    int FTextFlags = 0;
    int FLockCount = 0;
    TNotifyEvent FOnChange;
    TNotifyEvent FOnChanging;
};
