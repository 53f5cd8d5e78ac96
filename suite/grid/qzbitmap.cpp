// The bitmap's pixel rows: sizing, backups, palettes, drawing, masks and colour swaps,
// loading and saving, and the listeners told of each change.
#include "suite/grid/qzbitmap.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/core/streams.h"

namespace {

int GScreenBits = 0;

// Nearest integer, halves to even.
int RoundEven(double V) { return static_cast<int>(std::nearbyint(V)); }

// Draws Source onto Dest with a raster operation, the copy mode restored.
void CopyWith(TCanvas* Dest, const TRect& DestRect, TCanvas* Source, const TRect& SourceRect,
              TCopyMode Mode) {
    const TCopyMode old = Dest->CopyMode();
    Dest->SetCopyMode(Mode);
    Dest->CopyRect(DestRect, Source, SourceRect);
    Dest->SetCopyMode(old);
}

}  // namespace

// ---- Colour routines ---------------------------------------------------------------

void qzSwapRGB(uint32_t* Colors, int Count) {
    for (int i = 0; i < Count; ++i) {
        const uint32_t c = Colors[i];
        Colors[i] = ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF);
    }
}

void qzColorToTriple(TColor Color, TqzRGBTriple& Triple) {
    const int32_t rgb = ColorToRGB(Color);
    Triple.Red = static_cast<uint8_t>(GetRValue(rgb));
    Triple.Green = static_cast<uint8_t>(GetGValue(rgb));
    Triple.Blue = static_cast<uint8_t>(GetBValue(rgb));
}

TColor qzTripleToColor(const TqzRGBTriple& Triple) { return RGB(Triple.Red, Triple.Green, Triple.Blue); }

TqzRGBTriple qzMakeTriple(int R, int G, int B) {
    return TqzRGBTriple{static_cast<uint8_t>(B), static_cast<uint8_t>(G), static_cast<uint8_t>(R)};
}

int qzClampByte(int V) { return V < 0 ? 0 : (V > 255 ? 255 : V); }
int qzClampValue(int V, int Min, int Max) { return V < Min ? Min : (V > Max ? Max : V); }

void qzDrawMasked(TCanvas* Canvas, const TRect& Rect, TBitmap* Image, bool UseBuffer, TBitmap* Mask) {
    if (!Canvas || !Image || !Mask || Image->Empty() || IsRectEmpty(Rect)) return;
    const TColor oldBrush = Canvas->Brush()->Color();
    const TColor oldFont = Canvas->Font()->Color();
    Canvas->Brush()->SetColor(clWhite);
    Canvas->Font()->SetColor(clBlack);
    const TRect src = ::Rect(0, 0, Image->Width(), Image->Height());
    const TRect msrc = ::Rect(0, 0, Mask->Width(), Mask->Height());
    if (UseBuffer) {
        TBitmap buffer;
        buffer.SetSize(Rect.Right - Rect.Left, Rect.Bottom - Rect.Top);
        const TRect whole = ::Rect(0, 0, buffer.Width(), buffer.Height());
        CopyWith(buffer.Canvas(), whole, Canvas, Rect, cmSrcCopy);
        CopyWith(buffer.Canvas(), whole, Image->Canvas(), src, cmSrcInvert);
        CopyWith(buffer.Canvas(), whole, Mask->Canvas(), msrc, cmSrcAnd);
        CopyWith(buffer.Canvas(), whole, Image->Canvas(), src, cmSrcInvert);
        CopyWith(Canvas, Rect, buffer.Canvas(), whole, cmSrcCopy);
    } else {
        CopyWith(Canvas, Rect, Image->Canvas(), src, cmSrcInvert);
        CopyWith(Canvas, Rect, Mask->Canvas(), msrc, cmSrcAnd);
        CopyWith(Canvas, Rect, Image->Canvas(), src, cmSrcInvert);
    }
    Canvas->Brush()->SetColor(oldBrush);
    Canvas->Font()->SetColor(oldFont);
}

int qzScreenBitsPerPixel() { return GScreenBits > 0 ? GScreenBits : 24; }
void qzSetScreenBitsPerPixel(int Value) { GScreenBits = Value; }

// ---- TqzBitmap ---------------------------------------------------------------------

TqzBitmap::TqzBitmap() = default;

TqzBitmap::~TqzBitmap() {
    FListeners.clear();
    DropBackup();
    FreeImage();
}

void TqzBitmap::Changed() {
    if (FAssigning) return;
    TGraphic::Changed();
    NotifyListeners();
}

void TqzBitmap::NotifyListeners() {
    // A listener may leave while told.
    const std::vector<TqzBitmapListener*> listeners = FListeners;
    for (TqzBitmapListener* l : listeners)
        if (std::find(FListeners.begin(), FListeners.end(), l) != FListeners.end()) l->BitmapChanged(this);
}

void TqzBitmap::AddListener(TqzBitmapListener* Obj) {
    if (Obj && std::find(FListeners.begin(), FListeners.end(), Obj) == FListeners.end())
        FListeners.push_back(Obj);
}

void TqzBitmap::RemoveListener(TqzBitmapListener* Obj) { std::erase(FListeners, Obj); }

void TqzBitmap::RestoreDrawPalette(TCanvas* ACanvas, int OldPalette) {
    (void)ACanvas;
    (void)OldPalette;
    // The platform draws in true colour; there is no palette to put back.
}

void TqzBitmap::SelectDrawPalette(TCanvas* ACanvas, int& OldPalette) {
    (void)ACanvas;
    OldPalette = 0;
    if (qzScreenBitsPerPixel() > 8) return;
    if (FUseOwnPalette && FPaletteEntries.empty()) CreatePalette();
}

void TqzBitmap::CreatePalette() {
    FPaletteEntries.clear();
    if (!FSourceInfo[1] || FColorTable.empty()) return;
    FPaletteEntries = FColorTable;
    FPaletteEntries.resize(256, 0);
    qzSwapRGB(FPaletteEntries.data(), static_cast<int>(FPaletteEntries.size()));
}

void TqzBitmap::FreeImage() {
    FCanvasBitmap.reset();
    FMask.reset();
    FBits.clear();
    FBits.shrink_to_fit();
    FRows.clear();
    FWidth = FHeight = FRowSize = FRowPadding = 0;
    FCanvasStale = true;
    FBitsStale = false;
}

void TqzBitmap::SetupImage() {
    FRowPadding = FWidth % 4;
    FRowSize = 3 * FWidth + FRowPadding;
    FBits.resize(static_cast<size_t>(FRowSize) * FHeight);
    FRows.resize(static_cast<size_t>(FHeight));
    for (int y = 0; y < FHeight; ++y)
        FRows[static_cast<size_t>(y)] = FBits.data() + static_cast<size_t>(y) * FRowSize;
    FCanvasStale = true;
    FBitsStale = false;
    FMask.reset();
    Changed();
}

void TqzBitmap::SetSize(int W, int H) {
    FreeImage();
    if (W <= 0 || H <= 0) return;
    FWidth = W;
    FHeight = H;
    FAssigning = true;
    SetupImage();
    FAssigning = false;
    std::fill(FBits.begin(), FBits.end(), 0xFF);
    Changed();
}

void TqzBitmap::SetSizeIfChanged(int W, int H) {
    if (W != FWidth || H != FHeight) SetSize(W, H);
}

void TqzBitmap::DropBackup() {
    FBackup.clear();
    FBackup.shrink_to_fit();
    FBackupWidth = FBackupHeight = 0;
}

void TqzBitmap::SaveBackup() {
    DropBackup();
    PullCanvas();
    FBackup = FBits;
    FBackupWidth = FWidth;
    FBackupHeight = FHeight;
}

void TqzBitmap::RestoreBackup() {
    if (FBackup.empty()) return;
    std::vector<uint8_t> bits = std::move(FBackup);
    const int w = FBackupWidth, h = FBackupHeight;
    DropBackup();
    FreeImage();
    FWidth = w;
    FHeight = h;
    FAssigning = true;
    SetupImage();
    FAssigning = false;
    FBits = std::move(bits);
    for (int y = 0; y < FHeight; ++y)
        FRows[static_cast<size_t>(y)] = FBits.data() + static_cast<size_t>(y) * FRowSize;
    Changed();
}

// ---- Pixels and canvas ---------------------------------------------------------------

void TqzBitmap::PullCanvas() {
    if (!FBitsStale || !FCanvasBitmap) return;
    FBitsStale = false;
    for (int y = 0; y < FHeight; ++y) FCanvasBitmap->ReadRow24(y, FRows[static_cast<size_t>(y)]);
}

void TqzBitmap::PushCanvas() {
    if (!FCanvasStale && FCanvasBitmap) return;
    if (!FCanvasBitmap) FCanvasBitmap = std::make_unique<TBitmap>();
    FCanvasBitmap->SetSize(FWidth, FHeight);
    for (int y = 0; y < FHeight; ++y) FCanvasBitmap->WriteRow24(y, FRows[static_cast<size_t>(y)]);
    FCanvasStale = false;
}

uint8_t* TqzBitmap::Bits() {
    if (Empty()) return nullptr;
    PullCanvas();
    FCanvasStale = true;
    FMask.reset();
    return FBits.data();
}

uint8_t* TqzBitmap::ScanLine(int Y) {
    if (Empty() || Y < 0 || Y >= FHeight) return nullptr;
    return Bits() + static_cast<size_t>(Y) * FRowSize;
}

TqzRGBTriple TqzBitmap::Pixel(int X, int Y) {
    if (Empty() || X < 0 || Y < 0 || X >= FWidth || Y >= FHeight) return {};
    PullCanvas();
    return At(X, Y);
}

void TqzBitmap::SetPixel(int X, int Y, const TqzRGBTriple& Value) {
    if (Empty() || X < 0 || Y < 0 || X >= FWidth || Y >= FHeight) return;
    Bits();
    At(X, Y) = Value;
}

TCanvas* TqzBitmap::Canvas() {
    PullCanvas();
    PushCanvas();
    FBitsStale = true;
    FMask.reset();
    return FCanvasBitmap->Canvas();
}

TBitmap* TqzBitmap::PlatformImage() {
    PullCanvas();
    PushCanvas();
    return FCanvasBitmap.get();
}

void TqzBitmap::SetTransparentColor(TColor Value) {
    if (Value == FTransparentColor) return;
    FTransparentColor = Value;
    FMask.reset();
    Changed();
}

// ---- Loading and saving ----------------------------------------------------------------

void TqzBitmap::LoadFromPlatformBitmap(TBitmap* Bitmap) {
    if (!Bitmap || Bitmap->Empty()) {
        FreeImage();
        Changed();
        return;
    }
    FreeImage();
    FWidth = Bitmap->Width();
    FHeight = Bitmap->Height();
    FAssigning = true;
    SetupImage();
    FAssigning = false;
    for (int y = 0; y < FHeight; ++y) Bitmap->ReadRow24(y, FRows[static_cast<size_t>(y)]);
    // The platform's bitmaps are true colour.
    FPixelFormat = 24;
    FSourceInfo[0] = qzScreenBitsPerPixel() < FPixelFormat;
    FSourceInfo[1] = false;
    FColorTable.clear();
    FPaletteEntries.clear();
    TGraphic::SetTransparent(Bitmap->Transparent());
    Changed();
}

void TqzBitmap::LoadFromGraphic(TGraphic* Graphic) {
    if (!Graphic || Graphic->Empty()) {
        LoadFromPlatformBitmap(nullptr);
        return;
    }
    TBitmap b;
    b.SetSize(Graphic->Width(), Graphic->Height());
    b.Canvas()->Draw(0, 0, Graphic);
    LoadFromPlatformBitmap(&b);
}

void TqzBitmap::LoadFromAssignable(TPersistent* Source) {
    TBitmap b;
    b.Assign(Source);
    LoadFromPlatformBitmap(&b);
}

void TqzBitmap::LoadFromDIB(const uint8_t* Data, size_t Size, int W, int H) {
    if (W <= 0 || H <= 0 || !Data) {
        SetSize(0, 0);
        return;
    }
    const size_t rowSize = static_cast<size_t>(3 * W + W % 4);
    if (Size / rowSize < static_cast<size_t>(H)) throw EInvalidGraphic("Bitmap image is not valid");
    FreeImage();
    FWidth = W;
    FHeight = H;
    FAssigning = true;
    SetupImage();
    FAssigning = false;
    std::memcpy(FBits.data(), Data, rowSize * static_cast<size_t>(H));
    Changed();
}

void TqzBitmap::SaveToPlatformBitmap(TBitmap* Bitmap) {
    if (!Bitmap) return;
    if (Empty()) {
        Bitmap->Assign(nullptr);
        return;
    }
    PullCanvas();
    Bitmap->SetSize(FWidth, FHeight);
    FDrawingToBitmap = true;
    for (int y = 0; y < FHeight; ++y) Bitmap->WriteRow24(y, FRows[static_cast<size_t>(y)]);
    FDrawingToBitmap = false;
    Bitmap->SetTransparent(Transparent());
    if (FTransparentColor != clNone) Bitmap->SetTransparentColor(FTransparentColor);
}

void TqzBitmap::LoadFromStream(TStream* Stream) {
    TBitmap b;
    b.LoadFromStream(Stream);
    LoadFromPlatformBitmap(&b);
}

void TqzBitmap::SaveToStream(TStream* Stream) {
    TBitmap b;
    SaveToPlatformBitmap(&b);
    b.SaveToStream(Stream);
}

void TqzBitmap::Assign(TPersistent* Source) {
    if (Source == this) return;
    if (!Source) {
        FreeImage();
        Changed();
        return;
    }
    if (auto* b = dynamic_cast<TBitmap*>(Source)) {
        LoadFromPlatformBitmap(b);
        return;
    }
    if (auto* q = dynamic_cast<TqzBitmap*>(Source)) {
        q->CopyTo(this);
        return;
    }
    if (dynamic_cast<TGraphic*>(Source)) {
        LoadFromAssignable(Source);
        return;
    }
    TGraphic::Assign(Source);
}

void TqzBitmap::AssignTo(TPersistent* Dest) {
    if (auto* b = dynamic_cast<TBitmap*>(Dest)) {
        SaveToPlatformBitmap(b);
        return;
    }
    if (auto* q = dynamic_cast<TqzBitmap*>(Dest)) {
        CopyTo(q);
        return;
    }
    TGraphic::AssignTo(Dest);
}

void TqzBitmap::CopyTo(TqzBitmap* Target) {
    if (Target == this) return;
    if (Empty()) {
        Target->FreeImage();
        Target->Changed();
        return;
    }
    PullCanvas();
    Target->FAssigning = true;
    Target->FreeImage();
    Target->FWidth = FWidth;
    Target->FHeight = FHeight;
    Target->SetupImage();
    Target->FBits = FBits;
    for (int y = 0; y < FHeight; ++y)
        Target->FRows[static_cast<size_t>(y)] = Target->FBits.data() + static_cast<size_t>(y) * FRowSize;
    Target->FUseOwnPalette = FUseOwnPalette;
    Target->FUseHalftonePalette = FUseHalftonePalette;
    Target->TGraphic::SetTransparent(Transparent());
    Target->FSmoothStretch = FSmoothStretch;
    Target->FTransparentColor = FTransparentColor;
    Target->FPixelFormat = FPixelFormat;
    Target->FColorTable = FColorTable;
    Target->FSourceInfo[0] = FSourceInfo[0];
    Target->FSourceInfo[1] = FSourceInfo[1];
    Target->FAssigning = false;
    Target->Changed();
}

void TqzBitmap::Resize(int W, int H) {
    if (W == FWidth && H == FHeight) return;
    if (W <= 0 || H <= 0 || Empty()) {
        SetSize(W, H);
        return;
    }
    TBitmap target;
    target.SetSize(W, H);
    CopyWith(target.Canvas(), ::Rect(0, 0, W, H), PlatformImage()->Canvas(), ::Rect(0, 0, FWidth, FHeight),
             cmSrcCopy);
    const bool transparent = Transparent();
    LoadFromPlatformBitmap(&target);
    TGraphic::SetTransparent(transparent);
}

// ---- Drawing ------------------------------------------------------------------------------

void TqzBitmap::Draw(TCanvas* ACanvas, const TRect& Rect) {
    if (!ACanvas || Empty() || IsRectEmpty(Rect)) return;
    int oldPalette = 0;
    if (!FTiling) SelectDrawPalette(ACanvas, oldPalette);
    if (Rect.Right - Rect.Left == FWidth && Rect.Bottom - Rect.Top == FHeight) {
        if (Transparent() && !FDrawingToBitmap)
            DrawTransparent(ACanvas, Rect);
        else
            CopyWith(ACanvas, Rect, PlatformImage()->Canvas(), ::Rect(0, 0, FWidth, FHeight), cmSrcCopy);
    } else if (FSmoothStretch) {
        SmoothStretchDraw(ACanvas, Rect);
    } else {
        StretchDrawTo(ACanvas, Rect);
    }
    if (!FTiling) RestoreDrawPalette(ACanvas, oldPalette);
}

void TqzBitmap::SmoothStretchDraw(TCanvas* ACanvas, const TRect& Rect) {
    const int tw = Rect.Right - Rect.Left, th = Rect.Bottom - Rect.Top;
    // An empty target or source draws nothing.
    if (!ACanvas || Empty() || tw <= 0 || th <= 0) return;
    PullCanvas();
    TqzBitmap result;
    result.SetSize(tw, th);
    if (tw == FWidth && th == FHeight) {
        result.FBits = FBits;
        for (int y = 0; y < th; ++y)
            result.FRows[static_cast<size_t>(y)] =
                result.FBits.data() + static_cast<size_t>(y) * result.FRowSize;
    } else {
        const int64_t xStep = (static_cast<int64_t>(FWidth - 1) * 32768) / tw;
        const int64_t yStep = (static_cast<int64_t>(FHeight - 1) * 32768) / th;
        for (int ty = 0; ty < th; ++ty) {
            const int64_t sy = ty * yStep;
            const int y0 = static_cast<int>(sy >> 15);
            const int y1 = std::min(y0 + 1, FHeight - 1);
            const int64_t fy = sy & 0x7FFF;
            for (int tx = 0; tx < tw; ++tx) {
                const int64_t sx = tx * xStep;
                const int x0 = static_cast<int>(sx >> 15);
                const int x1 = std::min(x0 + 1, FWidth - 1);
                const int64_t fx = sx & 0x7FFF;
                const uint8_t* p00 = &FRows[static_cast<size_t>(y0)][3 * x0];
                const uint8_t* p01 = &FRows[static_cast<size_t>(y0)][3 * x1];
                const uint8_t* p10 = &FRows[static_cast<size_t>(y1)][3 * x0];
                const uint8_t* p11 = &FRows[static_cast<size_t>(y1)][3 * x1];
                uint8_t* out = &result.FRows[static_cast<size_t>(ty)][3 * tx];
                for (int c = 0; c < 3; ++c) {
                    const int64_t top = (p00[c] * (32768 - fx) + p01[c] * fx) >> 15;
                    const int64_t bottom = (p10[c] * (32768 - fx) + p11[c] * fx) >> 15;
                    out[c] = static_cast<uint8_t>((top * (32768 - fy) + bottom * fy) >> 15);
                }
            }
        }
    }
    result.FCanvasStale = true;
    result.TGraphic::SetTransparent(Transparent());
    result.FTransparentColor = FTransparentColor;
    if (Transparent() && !FDrawingToBitmap)
        result.DrawTransparent(ACanvas, Rect);
    else
        CopyWith(ACanvas, Rect, result.PlatformImage()->Canvas(), ::Rect(0, 0, tw, th), cmSrcCopy);
}

void TqzBitmap::StretchDrawTo(TCanvas* ACanvas, const TRect& Rect) {
    const int tw = Rect.Right - Rect.Left, th = Rect.Bottom - Rect.Top;
    if (!ACanvas || Empty() || tw <= 0 || th <= 0) return;
    if (Transparent()) {
        TqzBitmap temp;
        CopyTo(&temp);
        temp.Resize(tw, th);
        temp.TGraphic::SetTransparent(true);
        temp.FTransparentColor = FTransparentColor;
        temp.DrawTransparent(ACanvas, Rect);
        return;
    }
    CopyWith(ACanvas, Rect, PlatformImage()->Canvas(), ::Rect(0, 0, FWidth, FHeight), cmSrcCopy);
}

void TqzBitmap::TileDraw(TCanvas* ACanvas, const TRect& Rect) {
    // A picture without width or height has nothing to repeat.
    if (!ACanvas || Empty() || IsRectEmpty(Rect)) return;
    FTiling = true;
    try {
        PullCanvas();
        for (int y = Rect.Top; y < Rect.Bottom; y += FHeight)
            for (int x = Rect.Left; x < Rect.Right; x += FWidth) {
                const int w = std::min(FWidth, Rect.Right - x), h = std::min(FHeight, Rect.Bottom - y);
                if (w == FWidth && h == FHeight) {
                    Draw(ACanvas, Bounds(x, y, w, h));
                    continue;
                }
                // The last tiles are cut at the rectangle's edges.
                TqzBitmap part;
                part.SetSize(w, h);
                for (int r = 0; r < h; ++r)
                    std::memcpy(part.FRows[static_cast<size_t>(r)], FRows[static_cast<size_t>(r)],
                                static_cast<size_t>(3 * w));
                part.TGraphic::SetTransparent(Transparent());
                part.FTransparentColor =
                    FTransparentColor == clNone ? qzTripleToColor(At(0, 0)) : FTransparentColor;
                part.Draw(ACanvas, Bounds(x, y, w, h));
            }
    } catch (...) {
        FTiling = false;
        throw;
    }
    FTiling = false;
}

void TqzBitmap::BuildMask() {
    if (FMask) return;
    PullCanvas();
    TqzRGBTriple key;
    if (FTransparentColor == clNone)
        key = At(0, 0);
    else
        qzColorToTriple(FTransparentColor, key);
    FMask = std::make_unique<TBitmap>();
    FMask->SetSize(FWidth, FHeight);
    std::vector<uint8_t> row(static_cast<size_t>(3 * FWidth));
    for (int y = 0; y < FHeight; ++y) {
        for (int x = 0; x < FWidth; ++x) {
            const uint8_t v = At(x, y) == key ? 0xFF : 0x00;
            row[static_cast<size_t>(3 * x)] = row[static_cast<size_t>(3 * x + 1)] =
                row[static_cast<size_t>(3 * x + 2)] = v;
        }
        FMask->WriteRow24(y, row.data());
    }
}

void TqzBitmap::DrawTransparent(TCanvas* ACanvas, const TRect& Rect) {
    if (!ACanvas || Empty() || IsRectEmpty(Rect)) return;
    BuildMask();
    TBitmap image;
    image.SetSize(FWidth, FHeight);
    for (int y = 0; y < FHeight; ++y) image.WriteRow24(y, FRows[static_cast<size_t>(y)]);
    qzDrawMasked(ACanvas, Rect, &image, false, FMask.get());
}

// ---- Effects --------------------------------------------------------------------------------

void TqzBitmap::ApplyTable(const uint8_t* Table) {
    if (!Bits()) return;
    for (int y = 0; y < FHeight; ++y) {
        uint8_t* p = FRows[static_cast<size_t>(y)];
        for (int i = 0; i < 3 * FWidth; ++i) p[i] = Table[p[i]];
    }
    Changed();
}

void TqzBitmap::Lightness(int Amount) {
    uint8_t t[256];
    for (int i = 0; i < 256; ++i)
        t[i] = static_cast<uint8_t>(Amount <= 0 ? qzClampByte(i - (std::abs(Amount) * i) / 256)
                                                : qzClampByte(i + ((255 - i) * Amount) / 256));
    ApplyTable(t);
}

void TqzBitmap::Contrast(int Amount) {
    uint8_t t[256];
    for (int i = 0; i < 256; ++i)
        t[i] = static_cast<uint8_t>(i <= 126 ? qzClampByte(i - ((128 - i) * Amount) / 256)
                                             : qzClampByte(i + (std::abs(128 - i) * Amount) / 256));
    ApplyTable(t);
}

void TqzBitmap::Saturation(int Amount) {
    if (!Bits()) return;
    int s[256];
    for (int i = 0; i < 256; ++i) s[i] = (i * Amount) / 256;
    for (int y = 0; y < FHeight; ++y)
        for (int x = 0; x < FWidth; ++x) {
            TqzRGBTriple& p = At(x, y);
            const int g = (p.Blue / 3 + p.Green / 3 + p.Red / 3) & 0xFF;
            p.Blue = static_cast<uint8_t>(qzClampByte(s[p.Blue] - s[g] + g));
            p.Green = static_cast<uint8_t>(qzClampByte(s[p.Green] - s[g] + g));
            p.Red = static_cast<uint8_t>(qzClampByte(s[p.Red] - s[g] + g));
        }
    Changed();
}

void TqzBitmap::Grayscale() {
    if (!Bits()) return;
    for (int y = 0; y < FHeight; ++y)
        for (int x = 0; x < FWidth; ++x) {
            TqzRGBTriple& p = At(x, y);
            const uint8_t g = static_cast<uint8_t>(p.Blue / 3 + p.Green / 3 + p.Red / 3);
            p.Blue = p.Green = p.Red = g;
        }
    Changed();
}

void TqzBitmap::Invert() {
    uint8_t t[256];
    for (int i = 0; i < 256; ++i) t[i] = static_cast<uint8_t>(255 - i);
    ApplyTable(t);
}

void TqzBitmap::AdjustRGB(int R, int G, int B) {
    if (!Bits()) return;
    for (int y = 0; y < FHeight; ++y)
        for (int x = 0; x < FWidth; ++x) {
            TqzRGBTriple& p = At(x, y);
            p.Red = static_cast<uint8_t>(qzClampByte(p.Red + R));
            p.Green = static_cast<uint8_t>(qzClampByte(p.Green + G));
            p.Blue = static_cast<uint8_t>(qzClampByte(p.Blue + B));
        }
    Changed();
}

void TqzBitmap::Colorize(int R, int G, int B) {
    if (!Bits()) return;
    const int a = qzClampByte(RoundEven(R / 2.0));
    const int b = qzClampByte(RoundEven(G / 2.0));
    const int c = qzClampByte(RoundEven(B / 2.0));
    const bool keyed = FTransparentColor != clNone;
    TqzRGBTriple key;
    if (keyed) qzColorToTriple(FTransparentColor, key);
    for (int y = 0; y < FHeight; ++y)
        for (int x = 0; x < FWidth; ++x) {
            TqzRGBTriple& p = At(x, y);
            if (keyed && p == key) continue;
            p.Red = static_cast<uint8_t>(qzClampByte(p.Red - 128 + a));
            p.Green = static_cast<uint8_t>(qzClampByte(p.Green - 128 + b));
            p.Blue = static_cast<uint8_t>(qzClampByte(p.Blue - 128 + c));
        }
    Changed();
}

void TqzBitmap::Blur(int Amount) {
    if (!Bits()) return;
    for (int y = 0; y < FHeight; ++y) {
        const int yu = qzClampValue(y - Amount, 0, FHeight - 1),
                  yd = qzClampValue(y + Amount, 0, FHeight - 1);
        for (int x = 0; x < FWidth; ++x) {
            const int xl = qzClampValue(x - Amount, 0, FWidth - 1),
                      xr = qzClampValue(x + Amount, 0, FWidth - 1);
            const TqzRGBTriple a = At(xl, yu), b = At(xr, yu), c = At(xl, yd), d = At(xr, yd);
            TqzRGBTriple& p = At(x, y);
            p.Blue = static_cast<uint8_t>((a.Blue + b.Blue + c.Blue + d.Blue) / 4);
            p.Green = static_cast<uint8_t>((a.Green + b.Green + c.Green + d.Green) / 4);
            p.Red = static_cast<uint8_t>((a.Red + b.Red + c.Red + d.Red) / 4);
        }
    }
    Changed();
}

void TqzBitmap::SmoothBlur(int Amount) {
    for (int a = Amount; a >= 1; --a) Blur(a);
}

void TqzBitmap::Sharpen(int Amount) {
    if (!Bits()) return;
    for (int y = 0; y < FHeight; ++y)
        for (int x = 0; x < FWidth; ++x) {
            int n[3] = {0, 0, 0};
            for (int dy = -1; dy <= 1; ++dy)
                for (int dx = -1; dx <= 1; ++dx) {
                    if (dx == 0 && dy == 0) continue;
                    const TqzRGBTriple& q = At(qzClampValue(x + dx * Amount, 0, FWidth - 1),
                                               qzClampValue(y + dy * Amount, 0, FHeight - 1));
                    n[0] += q.Blue;
                    n[1] += q.Green;
                    n[2] += q.Red;
                }
            TqzRGBTriple& p = At(x, y);
            p.Blue = static_cast<uint8_t>(qzClampByte((256 * p.Blue - 16 * n[0]) / 128));
            p.Green = static_cast<uint8_t>(qzClampByte((256 * p.Green - 16 * n[1]) / 128));
            p.Red = static_cast<uint8_t>(qzClampByte((256 * p.Red - 16 * n[2]) / 128));
        }
    Changed();
}

void TqzBitmap::Emboss() {
    if (!Bits()) return;
    // The last row pairs with itself as it was before the effect.
    const std::vector<uint8_t> lastRow(FRows[static_cast<size_t>(FHeight - 1)],
                                       FRows[static_cast<size_t>(FHeight - 1)] + 3 * FWidth);
    for (int y = 0; y < FHeight; ++y)
        for (int x = 0; x < FWidth; ++x) {
            const int nx = std::min(x + 1, FWidth - 1);
            const uint8_t* d = y + 1 < FHeight ? &FRows[static_cast<size_t>(y + 1)][3 * nx]
                                               : &lastRow[static_cast<size_t>(3 * nx)];
            uint8_t* p = &FRows[static_cast<size_t>(y)][3 * x];
            for (int c = 0; c < 3; ++c) p[c] = static_cast<uint8_t>(((255 - d[c]) + p[c]) / 2);
        }
    Changed();
}

void TqzBitmap::Flip(bool Horizontal) {
    if (!Bits()) return;
    if (Horizontal) {
        for (int y = 0; y < FHeight; ++y)
            for (int x = 0; x < FWidth / 2; ++x) std::swap(At(x, y), At(FWidth - 1 - x, y));
    } else {
        std::vector<uint8_t> buffer(static_cast<size_t>(FRowSize));
        for (int y = 0; y < FHeight / 2; ++y) {
            uint8_t* a = FRows[static_cast<size_t>(y)];
            uint8_t* b = FRows[static_cast<size_t>(FHeight - 1 - y)];
            std::memcpy(buffer.data(), a, buffer.size());
            std::memcpy(a, b, buffer.size());
            std::memcpy(b, buffer.data(), buffer.size());
        }
    }
    Changed();
}

void TqzBitmap::MakeMask(TColor Color) {
    if (!Bits()) return;
    TqzRGBTriple key;
    qzColorToTriple(Color, key);
    for (int y = 0; y < FHeight; ++y)
        for (int x = 0; x < FWidth; ++x) {
            TqzRGBTriple& p = At(x, y);
            p = p == key ? qzMakeTriple(0, 0, 0) : qzMakeTriple(255, 255, 255);
        }
    Changed();
}

void TqzBitmap::ReplaceColor(TColor NewColor, TColor OldColor) {
    if (!Bits()) return;
    TqzRGBTriple from, to;
    qzColorToTriple(OldColor, from);
    qzColorToTriple(NewColor, to);
    for (int y = 0; y < FHeight; ++y)
        for (int x = 0; x < FWidth; ++x)
            if (At(x, y) == from) At(x, y) = to;
    Changed();
}

uint32_t TqzBitmap::NextRandom() {
    // xorshift32
    FSeed ^= FSeed << 13;
    FSeed ^= FSeed >> 17;
    FSeed ^= FSeed << 5;
    return FSeed;
}

void TqzBitmap::Spray(int Amount) {
    if (!Bits()) return;
    auto random = [this](int Below) {
        return Below <= 0 ? 0 : static_cast<int>(NextRandom() % static_cast<uint32_t>(Below));
    };
    for (int y = 0; y < FHeight; ++y)
        for (int x = 0; x < FWidth; ++x) {
            const int r = random(Amount);
            const int sx = qzClampValue(x + r - random(2 * r), 0, FWidth - 1);
            const int sy = qzClampValue(y + r - random(2 * r), 0, FHeight - 1);
            At(x, y) = At(sx, sy);
        }
    Changed();
}

void TqzBitmap::Rotate(TPoint Center, double Angle) {
    if (!Bits()) return;
    const double rad = Angle * M_PI / 180.0;
    const double cs = std::cos(rad), sn = std::sin(rad);
    const int cx = Center.X < 0 ? FWidth / 2 : Center.X;
    const int cy = Center.Y < 0 ? FHeight / 2 : Center.Y;
    std::vector<uint8_t> target(FBits.size());
    const TqzRGBTriple fill = At(0, 0);
    for (int y = 0; y < FHeight; ++y)
        for (int x = 0; x < FWidth; ++x) {
            const int dx = 2 * (x - cx) + 1, dy = 2 * (y - cy) + 1;
            const int sx = (RoundEven(dx * cs - dy * sn) - 1) / 2 + cx;
            const int sy = (RoundEven(dx * sn + dy * cs) - 1) / 2 + cy;
            auto* out = reinterpret_cast<TqzRGBTriple*>(
                &target[static_cast<size_t>(y) * FRowSize + 3 * static_cast<size_t>(x)]);
            *out = sx >= 0 && sy >= 0 && sx < FWidth && sy < FHeight ? At(sx, sy) : fill;
        }
    std::memcpy(FBits.data(), target.data(), target.size());
    Changed();
}

void TqzBitmap::Wave(bool Wrap, int Amplitude, int RowPeriod, int ColumnPeriod) {
    if (RowPeriod <= 0 || ColumnPeriod <= 0 || !Bits()) return;
    std::vector<int> rowShift(static_cast<size_t>(FHeight)), colShift(static_cast<size_t>(FWidth));
    for (int y = 0; y < FHeight; ++y)
        rowShift[static_cast<size_t>(y)] =
            RoundEven(Amplitude * std::sin(static_cast<double>(y) / RowPeriod));
    for (int x = 0; x < FWidth; ++x)
        colShift[static_cast<size_t>(x)] =
            RoundEven(Amplitude * std::sin(static_cast<double>(x) / ColumnPeriod));
    // An image one pixel wide or high wraps onto its only pixel.
    auto wrap = [](int c, int size) {
        if (size <= 1) return 0;
        if (c < 0) return size - 1 - ((-c) % size);
        if (c >= size) return c % (size - 1);
        return c;
    };
    std::vector<uint8_t> target(FBits.size(), 0xFF);
    for (int y = 0; y < FHeight; ++y)
        for (int x = 0; x < FWidth; ++x) {
            int sx = x + rowShift[static_cast<size_t>(y)];
            int sy = y + colShift[static_cast<size_t>(x)];
            if (Wrap) {
                sx = wrap(sx, FWidth);
                sy = wrap(sy, FHeight);
            } else if (sx < 0 || sy < 0 || sx >= FWidth || sy >= FHeight) {
                continue;
            }
            *reinterpret_cast<TqzRGBTriple*>(
                &target[static_cast<size_t>(y) * FRowSize + 3 * static_cast<size_t>(x)]) = At(sx, sy);
        }
    std::memcpy(FBits.data(), target.data(), target.size());
    Changed();
}
