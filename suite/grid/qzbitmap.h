// TqzBitmap: the suite's own picture, 24-bit pixels stored top-down as blue,
// green, red triples, each row padded to a multiple of 4 bytes, so that its
// pixels can be read and written row by row in place. It loads from and
// saves to the platform bitmap, draws plainly, stretched (fast or bilinear),
// tiled or with a transparent colour, keeps one backup for undo and offers
// per-pixel effects with integer formulas. Listeners are told of every change.
//
// The canvas draws on a copy of the pixels: pixel access after drawing takes
// what the canvas drew, and the canvas sees pixel changes made before it is
// asked for again.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/ui/bitmaps.h"
#include "platform/ui/graphics.h"

class TqzBitmap;

// Told of every change of a bitmap it listens to.
class TqzBitmapListener {
public:
    virtual ~TqzBitmapListener() = default;
    virtual void BitmapChanged(TqzBitmap* Sender) = 0;
};

struct TqzRGBTriple {
    uint8_t Blue = 0;
    uint8_t Green = 0;
    uint8_t Red = 0;
    constexpr bool operator==(const TqzRGBTriple&) const = default;
};

// ---- Colour routines ---------------------------------------------------------------
// Swaps the first and third byte of each of Count 32-bit values and clears the fourth.
void qzSwapRGB(uint32_t* Colors, int Count);
// The colour resolved to RGB.
void qzColorToTriple(TColor Color, TqzRGBTriple& Triple);
TColor qzTripleToColor(const TqzRGBTriple& Triple);
TqzRGBTriple qzMakeTriple(int R, int G, int B);
int qzClampByte(int V);
int qzClampValue(int V, int Min, int Max);
// Draws Image into Rect of Canvas leaving out the pixels that are white in
// Mask (image XOR, mask AND, image XOR), optionally through a copy of the
// target area.
void qzDrawMasked(TCanvas* Canvas, const TRect& Rect, TBitmap* Image, bool UseBuffer, TBitmap* Mask);

// The screen's bits per pixel as the bitmap sees it (24); tests may set
// another depth (0 puts the screen's back).
int qzScreenBitsPerPixel();
void qzSetScreenBitsPerPixel(int Value);

class TqzBitmap : public TGraphic {
    TASKMOOR_CLASS(TqzBitmap, TGraphic)
public:
    TqzBitmap();
    ~TqzBitmap() override;

    // ---- The platform graphic
    bool Empty() const override { return FWidth == 0 || FHeight == 0; }
    int Width() const override { return FWidth; }
    int Height() const override { return FHeight; }
    void SetWidth(int Value) override { SetSizeIfChanged(Value, FHeight); }
    void SetHeight(int Value) override { SetSizeIfChanged(FWidth, Value); }
    void LoadFromStream(TStream* Stream) override;
    void SaveToStream(TStream* Stream) override;
    void Draw(TCanvas* ACanvas, const TRect& Rect) override;
    void Assign(TPersistent* Source) override;

    // ---- Pixels
    int RowSize() const { return FRowSize; }
    int RowPadding() const { return FRowPadding; }
    int ImageSize() const { return FRowSize * FHeight; }
    // The pixel memory (nullptr when empty) and the first byte of row Y.
    uint8_t* Bits();
    uint8_t* ScanLine(int Y);
    TqzRGBTriple Pixel(int X, int Y);
    void SetPixel(int X, int Y, const TqzRGBTriple& Value);
    TCanvas* Canvas();

    TColor TransparentColor() const { return FTransparentColor; }
    void SetTransparentColor(TColor Value);
    bool SmoothStretch() const { return FSmoothStretch; }
    void SetSmoothStretch(bool Value) { FSmoothStretch = Value; }
    // Bits per pixel of the last loaded source.
    int PixelFormat() const { return FPixelFormat; }
    // [0] the source had more colours than the screen shows, [1] it carried a colour table.
    bool SourceInfo(int Index) const { return FSourceInfo[Index & 1]; }
    bool HasBackup() const { return !FBackup.empty(); }
    // The palette made from the source's colour table (red, green, blue entries).
    const std::vector<uint32_t>& PaletteEntries() const { return FPaletteEntries; }

    // ---- Operations
    virtual void RestoreDrawPalette(TCanvas* ACanvas, int OldPalette);
    virtual void SelectDrawPalette(TCanvas* ACanvas, int& OldPalette);
    virtual void FreeImage();
    virtual void SetupImage();
    virtual void NotifyListeners();
    virtual void CreatePalette();
    virtual void AddListener(TqzBitmapListener* Obj);
    virtual void RemoveListener(TqzBitmapListener* Obj);
    virtual void Clear() { FreeImage(); }
    virtual void DropBackup();
    // A new white image (both sizes above 0), else empty.
    virtual void SetSize(int W, int H);
    virtual void LoadFromPlatformBitmap(TBitmap* Bitmap);
    virtual void LoadFromGraphic(TGraphic* Graphic);
    virtual void LoadFromAssignable(TPersistent* Source);
    // Top-down 24-bit rows of RowSize bytes; too little data raises EInvalidGraphic.
    virtual void LoadFromDIB(const uint8_t* Data, size_t Size, int W, int H);
    virtual void SaveToPlatformBitmap(TBitmap* Bitmap);
    virtual void SetSizeIfChanged(int W, int H);
    // Stretches the image into the new size.
    virtual void Resize(int W, int H);
    virtual void SaveBackup();
    virtual void RestoreBackup();
    virtual void SmoothStretchDraw(TCanvas* ACanvas, const TRect& Rect);
    virtual void StretchDrawTo(TCanvas* ACanvas, const TRect& Rect);
    virtual void TileDraw(TCanvas* ACanvas, const TRect& Rect);
    virtual void DrawTransparent(TCanvas* ACanvas, const TRect& Rect);

    // ---- Effects (in place)
    virtual void Blur(int Amount);
    virtual void Contrast(int Amount);
    virtual void Emboss();
    virtual void Flip(bool Horizontal);
    virtual void SmoothBlur(int Amount);
    virtual void Grayscale();
    virtual void Invert();
    virtual void Lightness(int Amount);
    virtual void MakeMask(TColor Color);
    virtual void ReplaceColor(TColor NewColor, TColor OldColor);
    virtual void AdjustRGB(int R, int G, int B);
    virtual void Colorize(int R, int G, int B);
    virtual void Rotate(TPoint Center, double Angle);
    virtual void Saturation(int Amount);
    virtual void Sharpen(int Amount);
    virtual void Spray(int Amount);
    virtual void Wave(bool Wrap, int Amplitude, int RowPeriod, int ColumnPeriod);
    // The random numbers of Spray.
    void SetRandomSeed(uint32_t Seed) { FSeed = Seed; }

protected:
    void AssignTo(TPersistent* Dest) override;
    void Changed() override;

private:
    void PullCanvas();
    void PushCanvas();
    void CopyTo(TqzBitmap* Target);
    void ApplyTable(const uint8_t* Table);
    TqzRGBTriple& At(int X, int Y) {
        return *reinterpret_cast<TqzRGBTriple*>(
            &FBits[static_cast<size_t>(Y) * FRowSize + 3 * static_cast<size_t>(X)]);
    }
    // The pixels as a platform bitmap (the canvas's bitmap, brought up to date).
    TBitmap* PlatformImage();
    void BuildMask();
    uint32_t NextRandom();

    int FWidth = 0;
    int FHeight = 0;
    int FRowSize = 0;
    int FRowPadding = 0;
    std::vector<uint8_t> FBits;
    std::vector<uint8_t*> FRows;
    std::unique_ptr<TBitmap> FCanvasBitmap;
    bool FCanvasStale = true;  // the canvas bitmap lags the pixels
    bool FBitsStale = false;   // the pixels lag the canvas bitmap
    std::unique_ptr<TBitmap> FMask;
    TColor FTransparentColor = clNone;
    bool FSmoothStretch = false;
    int FPixelFormat = 24;
    bool FUseOwnPalette = false;
    bool FUseHalftonePalette = false;
    bool FAssigning = false;
    bool FDrawingToBitmap = false;
    bool FTiling = false;
    bool FSourceInfo[2] = {false, false};
    std::vector<uint32_t> FColorTable;
    std::vector<uint32_t> FPaletteEntries;
    std::vector<TqzBitmapListener*> FListeners;
    std::vector<uint8_t> FBackup;
    int FBackupWidth = 0;
    int FBackupHeight = 0;
    uint32_t FSeed = 0x2545F491u;
};
