// Colours, fonts, pens, brushes and the canvas drawing over a QPainter.
#include "platform/ui/graphics.h"

#include <QFontInfo>
#include <QFontMetrics>
#include <QGuiApplication>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>

#include "platform/core/sysutils.h"
#include "platform/ui/bitmaps.h"
#include "platform/ui/qt_host.h"

// ---- Colours ---------------------------------------------------------------------

namespace {

// The classic scheme, as $00BBGGRR, by system colour index.
constexpr int32_t kSystemColors[] = {
    RGB(212, 208, 200),  // scroll bar
    RGB(58, 110, 165),   // background
    RGB(10, 36, 106),    // active caption
    RGB(128, 128, 128),  // inactive caption
    RGB(212, 208, 200),  // menu
    RGB(255, 255, 255),  // window
    RGB(0, 0, 0),        // window frame
    RGB(0, 0, 0),        // menu text
    RGB(0, 0, 0),        // window text
    RGB(255, 255, 255),  // caption text
    RGB(212, 208, 200),  // active border
    RGB(212, 208, 200),  // inactive border
    RGB(128, 128, 128),  // application workspace
    RGB(10, 36, 106),    // highlight
    RGB(255, 255, 255),  // highlight text
    RGB(212, 208, 200),  // button face
    RGB(128, 128, 128),  // button shadow
    RGB(128, 128, 128),  // grey text
    RGB(0, 0, 0),        // button text
    RGB(212, 208, 200),  // inactive caption text
    RGB(255, 255, 255),  // button highlight
    RGB(64, 64, 64),     // 3-D dark shadow
    RGB(212, 208, 200),  // 3-D light
    RGB(0, 0, 0),        // info text
    RGB(255, 255, 225),  // info background
    RGB(181, 181, 181),  // (unused index 25)
    RGB(0, 0, 128),      // hot light
    RGB(166, 202, 240),  // gradient active caption
    RGB(192, 192, 192),  // gradient inactive caption
    RGB(49, 106, 197),   // menu highlight
    RGB(212, 208, 200),  // menu bar
};

struct TColorName {
    TColor Value;
    const char* Name;
};
constexpr TColorName kColorNames[] = {
    {clBlack, "clBlack"},
    {clMaroon, "clMaroon"},
    {clGreen, "clGreen"},
    {clOlive, "clOlive"},
    {clNavy, "clNavy"},
    {clPurple, "clPurple"},
    {clTeal, "clTeal"},
    {clGray, "clGray"},
    {clSilver, "clSilver"},
    {clRed, "clRed"},
    {clLime, "clLime"},
    {clYellow, "clYellow"},
    {clBlue, "clBlue"},
    {clFuchsia, "clFuchsia"},
    {clAqua, "clAqua"},
    {clWhite, "clWhite"},
    {clMoneyGreen, "clMoneyGreen"},
    {clSkyBlue, "clSkyBlue"},
    {clCream, "clCream"},
    {clMedGray, "clMedGray"},
    {clScrollBar, "clScrollBar"},
    {clBackground, "clBackground"},
    {clActiveCaption, "clActiveCaption"},
    {clInactiveCaption, "clInactiveCaption"},
    {clMenu, "clMenu"},
    {clWindow, "clWindow"},
    {clWindowFrame, "clWindowFrame"},
    {clMenuText, "clMenuText"},
    {clWindowText, "clWindowText"},
    {clCaptionText, "clCaptionText"},
    {clActiveBorder, "clActiveBorder"},
    {clInactiveBorder, "clInactiveBorder"},
    {clAppWorkSpace, "clAppWorkSpace"},
    {clHighlight, "clHighlight"},
    {clHighlightText, "clHighlightText"},
    {clBtnFace, "clBtnFace"},
    {clBtnShadow, "clBtnShadow"},
    {clGrayText, "clGrayText"},
    {clBtnText, "clBtnText"},
    {clInactiveCaptionText, "clInactiveCaptionText"},
    {clBtnHighlight, "clBtnHighlight"},
    {cl3DDkShadow, "cl3DDkShadow"},
    {cl3DLight, "cl3DLight"},
    {clInfoText, "clInfoText"},
    {clInfoBk, "clInfoBk"},
    {clHotLight, "clHotLight"},
    {clGradientActiveCaption, "clGradientActiveCaption"},
    {clGradientInactiveCaption, "clGradientInactiveCaption"},
    {clMenuHighlight, "clMenuHighlight"},
    {clMenuBar, "clMenuBar"},
    {clNone, "clNone"},
    {clDefault, "clDefault"},
};

}  // namespace

int32_t ColorToRGB(TColor Color) {
    if (Color == clNone) return clWhite;
    if (Color == clDefault) return clBlack;
    if (Color < 0) {
        const int index = Color & 0xFF;
        if (index < static_cast<int>(std::size(kSystemColors))) return kSystemColors[index];
        return clBlack;
    }
    return Color & 0xFFFFFF;
}

std::string ColorToString(TColor Color) {
    for (const auto& c : kColorNames)
        if (c.Value == Color) return c.Name;
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "$%08X", static_cast<unsigned>(Color));
    return buffer;
}

TColor StringToColor(const std::string& S) {
    for (const auto& c : kColorNames)
        if (SameText(S, c.Name)) return c.Value;
    return static_cast<TColor>(StrToInt(S));
}

// ---- Graphics objects ------------------------------------------------------------

void TGraphicsObject::Changed() { FOnChange(this); }

TFont::TFont() = default;

void TFont::SetName(const std::string& Value) {
    if (Value.empty() || Value == FName) return;
    FName = Value;
    Changed();
}

int TFont::Size() const {
    // -Height * 72 / PixelsPerInch, rounded like the platform's MulDiv.
    const double size = -static_cast<double>(FHeight) * 72.0 / FPixelsPerInch;
    return static_cast<int>(std::lround(size));
}

void TFont::SetSize(int Value) {
    SetHeight(-static_cast<int>(std::lround(static_cast<double>(Value) * FPixelsPerInch / 72.0)));
}

void TFont::SetHeight(int Value) {
    if (Value == FHeight) return;
    FHeight = Value;
    Changed();
}

void TFont::SetColor(TColor Value) {
    if (Value == FColor) return;
    FColor = Value;
    Changed();
}

void TFont::SetStyle(TFontStyles Value) {
    if (Value == FStyle) return;
    FStyle = Value;
    Changed();
}

void TFont::SetPitch(TFontPitch Value) {
    if (Value == FPitch) return;
    FPitch = Value;
    Changed();
}

void TFont::SetCharset(uint8_t Value) {
    if (Value == FCharset) return;
    FCharset = Value;
    Changed();
}

void TFont::Assign(TPersistent* Source) {
    if (auto* f = dynamic_cast<TFont*>(Source)) {
        if (f == this) return;
        // A font on another device keeps its point size.
        const bool sameDevice = f->FPixelsPerInch == FPixelsPerInch;
        const int height =
            sameDevice ? f->FHeight : -static_cast<int>(std::lround(f->Size() * FPixelsPerInch / 72.0));
        if (Equals(*f) && height == FHeight) return;
        FName = f->FName;
        FHeight = height;
        FColor = f->FColor;
        FStyle = f->FStyle;
        FPitch = f->FPitch;
        FCharset = f->FCharset;
        Changed();
        return;
    }
    TGraphicsObject::Assign(Source);
}

bool TFont::Equals(const TFont& Other) const {
    return FName == Other.FName && FHeight == Other.FHeight && FColor == Other.FColor &&
           FStyle == Other.FStyle && FPitch == Other.FPitch && FCharset == Other.FCharset;
}

void TFont::Publish(TPublisher<TFont>& p) {
    p.Property("Charset", &TFont::Charset, &TFont::SetCharset);
    p.Property("Color", &TFont::Color, &TFont::SetColor).SetTypeName("TColor");
    p.Property("Height", &TFont::Height, &TFont::SetHeight);
    p.Property("Name", &TFont::Name, &TFont::SetName);
    p.Property("Pitch", &TFont::Pitch, &TFont::SetPitch);
    p.Property("Size", &TFont::Size, &TFont::SetSize);
    p.Property("Style", &TFont::Style, &TFont::SetStyle);
}

void TPen::SetColor(TColor Value) {
    if (Value == FColor) return;
    FColor = Value;
    Changed();
}

void TPen::SetWidth(int Value) {
    if (Value < 0 || Value == FWidth) return;
    FWidth = Value;
    Changed();
}

void TPen::SetStyle(TPenStyle Value) {
    if (Value == FStyle) return;
    FStyle = Value;
    Changed();
}

void TPen::SetMode(TPenMode Value) {
    if (Value == FMode) return;
    FMode = Value;
    Changed();
}

void TPen::Assign(TPersistent* Source) {
    if (auto* p = dynamic_cast<TPen*>(Source)) {
        FColor = p->FColor;
        FWidth = p->FWidth;
        FStyle = p->FStyle;
        FMode = p->FMode;
        Changed();
        return;
    }
    TGraphicsObject::Assign(Source);
}

void TPen::Publish(TPublisher<TPen>& p) {
    p.Property("Color", &TPen::Color, &TPen::SetColor).SetTypeName("TColor");
    p.Property("Mode", &TPen::Mode, &TPen::SetMode);
    p.Property("Style", &TPen::Style, &TPen::SetStyle);
    p.Property("Width", &TPen::Width, &TPen::SetWidth);
}

void TBrush::SetColor(TColor Value) {
    if (Value == FColor && FStyle != bsClear) return;
    FColor = Value;
    if (FStyle == bsClear) FStyle = bsSolid;
    Changed();
}

void TBrush::SetStyle(TBrushStyle Value) {
    if (Value == FStyle) return;
    FStyle = Value;
    Changed();
}

void TBrush::Assign(TPersistent* Source) {
    if (auto* b = dynamic_cast<TBrush*>(Source)) {
        FColor = b->FColor;
        FStyle = b->FStyle;
        Changed();
        return;
    }
    TGraphicsObject::Assign(Source);
}

void TBrush::Publish(TPublisher<TBrush>& p) {
    p.Property("Color", &TBrush::Color, &TBrush::SetColor).SetTypeName("TColor");
    p.Property("Style", &TBrush::Style, &TBrush::SetStyle);
}

// ---- Conversions -----------------------------------------------------------------

QColor ToQColor(TColor Color) {
    const int32_t rgb = ColorToRGB(Color);
    return QColor(GetRValue(rgb), GetGValue(rgb), GetBValue(rgb));
}

namespace {
// The user-interface faces the forms are laid out for; they are replaced by
// the sans-serif faces below when not installed.
constexpr const char* kSansNames[] = {"MS Sans Serif", "Microsoft Sans Serif",
                                      "Arial",         "Tahoma",
                                      "Verdana",       "Segoe UI",
                                      "Helvetica",     "Helv",
                                      "System",        "MS Shell Dlg",
                                      "MS Shell Dlg 2"};

void InstallFontSubstitutes() {
    static bool done = false;
    if (done) return;
    done = true;
    const QStringList sans{"DejaVu Sans", "Liberation Sans", "FreeSans"};
    const QStringList mono{"DejaVu Sans Mono", "Liberation Mono", "FreeMono"};
    const QStringList serif{"DejaVu Serif", "Liberation Serif", "FreeSerif"};
    for (const char* name : kSansNames) QFont::insertSubstitutions(name, sans);
    for (const char* name : {"Courier New", "Courier", "Fixedsys", "Lucida Console", "Terminal"})
        QFont::insertSubstitutions(name, mono);
    for (const char* name : {"Times New Roman", "MS Serif", "Times"}) QFont::insertSubstitutions(name, serif);
}
}  // namespace

QFont ToQFont(const TFont* Font) {
    EnsureToolkit();
    InstallFontSubstitutes();
    // Canvases convert their font for every piece of text: keep the results.
    static std::map<std::string, QFont> cache;
    const std::string key = Font->Name() + '\n' + std::to_string(Font->Height()) + '\n' +
                            std::to_string(Font->Style().Bits()) + '\n' + std::to_string(Font->Pitch());
    if (auto it = cache.find(key); it != cache.end()) return it->second;
    if (cache.size() > 256) cache.clear();
    QFont f(QString::fromStdString(Font->Name()));
    int pixels = Font->Height();
    if (pixels > 0) {
        // A positive height is the cell height: scale the character height to fit.
        QFont probe(f);
        probe.setPixelSize(pixels);
        const int cell = QFontMetrics(probe).height();
        if (cell > 0) pixels = std::max(1, static_cast<int>(std::lround(double(pixels) * pixels / cell)));
    } else {
        pixels = pixels == 0 ? 11 : -pixels;
    }
    f.setPixelSize(pixels);
    f.setBold(Font->Style().Contains(fsBold));
    f.setItalic(Font->Style().Contains(fsItalic));
    f.setUnderline(Font->Style().Contains(fsUnderline));
    f.setStrikeOut(Font->Style().Contains(fsStrikeOut));
    if (Font->Pitch() == fpFixed) f.setFixedPitch(true);
    f.setHintingPreference(QFont::PreferFullHinting);
    // DejaVu Sans standing in for a user-interface face runs about an eighth
    // wider than the face the widths were chosen for: its semi-condensed
    // width brings the text back to them. That face is not hinted across, so
    // its small sizes are drawn unsmoothed to keep their stems sharp.
    const bool standIn = std::any_of(std::begin(kSansNames), std::end(kSansNames), [&](const char* n) {
        return QString::compare(f.family(), QLatin1String(n), Qt::CaseInsensitive) == 0;
    });
    if (standIn && QFontInfo(f).family() == QLatin1String("DejaVu Sans")) {
        f.setStretch(QFont::SemiCondensed);
        if (pixels <= 13) f.setStyleStrategy(QFont::NoAntialias);
    }
    cache.emplace(key, f);
    return f;
}

void SetPainterFont(QPainter* Painter, QFont Font) {
    const QPaintDevice* device = Painter->device();
    if (device && device->devType() == QInternal::Printer)
        Font.setStyleStrategy(QFont::StyleStrategy(Font.styleStrategy() | QFont::PreferNoShaping));
    Painter->setFont(Font);
}

QFont InterfaceQFont() {
    const TFont font;
    return ToQFont(&font);
}

QRect ToQRect(const TRect& R) { return QRect(R.Left, R.Top, R.Width(), R.Height()); }
TRect FromQRect(const QRect& R) { return Bounds(R.x(), R.y(), R.width(), R.height()); }
QString ToQString(const std::string& S) {
    return QString::fromUtf8(S.data(), static_cast<qsizetype>(S.size()));
}
std::string FromQString(const QString& S) { return S.toStdString(); }

// ---- Canvas binding ----------------------------------------------------------------

void TCanvasImpl::Unbind() {
    Painter = nullptr;
    if (OwnedPainter) {
        if (OwnedPainter->isActive()) OwnedPainter->end();
        OwnedPainter.reset();
    }
    Readable = nullptr;
    Origin = QPoint();
    Clipped = false;
    Clip = QRect();
    Context = nullptr;
}

void BindCanvas(TCanvas* Canvas, QPainter* Painter, QPoint Origin, const QRect* Clip, QImage* Readable,
                TPaintContext* Context) {
    UnbindCanvas(Canvas);
    TCanvasImpl* impl = Canvas->Impl();
    impl->Painter = Painter;
    impl->Origin = Origin;
    impl->Clipped = Clip != nullptr;
    if (Clip) impl->Clip = *Clip;
    impl->Readable = Readable;
    impl->Context = Context;
    if (Context) Context->Bound.push_back(Canvas);
}

void UnbindCanvas(TCanvas* Canvas) {
    TCanvasImpl* impl = Canvas->Impl();
    if (impl->Context) {
        auto& bound = impl->Context->Bound;
        bound.erase(std::remove(bound.begin(), bound.end(), Canvas), bound.end());
    }
    impl->Unbind();
}

namespace {

// The painter of a canvas set up for one drawing operation; nullptr when the
// canvas has nothing to draw on.
QPainter* Ready(TCanvasImpl* impl) {
    QPainter* p = impl->Painter;
    if (!p || !p->isActive()) return nullptr;
    QTransform t = QTransform::fromTranslate(impl->Origin.x(), impl->Origin.y());
    if (impl->MirrorWidth > 0) t = QTransform(-1, 0, 0, 1, impl->MirrorWidth, 0) * t;
    p->setWorldTransform(t);
    if (impl->Clipped)
        p->setClipRect(impl->Clip);
    else
        p->setClipping(false);
    p->setCompositionMode(QPainter::CompositionMode_SourceOver);
    p->setRenderHint(QPainter::Antialiasing, false);
    p->setRenderHint(QPainter::TextAntialiasing, true);
    p->setOpacity(1.0);
    return p;
}

// How the pen combines with what is there; false when it draws nothing.
bool ApplyPenMode(QPainter* p, TPenMode mode, QColor& color) {
    using CM = QPainter::CompositionMode;
    CM cm = QPainter::CompositionMode_SourceOver;
    switch (mode) {
    case pmBlack: color = Qt::black; break;
    case pmWhite: color = Qt::white; break;
    case pmNop: return false;
    case pmNot: cm = QPainter::RasterOp_NotDestination; break;
    case pmCopy: break;
    case pmNotCopy: cm = QPainter::RasterOp_NotSource; break;
    case pmMergePenNot: cm = QPainter::RasterOp_SourceOrNotDestination; break;
    case pmMaskPenNot: cm = QPainter::RasterOp_SourceAndNotDestination; break;
    case pmMergeNotPen: cm = QPainter::RasterOp_NotSourceOrDestination; break;
    case pmMaskNotPen: cm = QPainter::RasterOp_NotSourceAndDestination; break;
    case pmMerge: cm = QPainter::RasterOp_SourceOrDestination; break;
    case pmNotMerge: cm = QPainter::RasterOp_NotSourceAndNotDestination; break;
    case pmMask: cm = QPainter::RasterOp_SourceAndDestination; break;
    case pmNotMask: cm = QPainter::RasterOp_NotSourceOrNotDestination; break;
    case pmXor: cm = QPainter::RasterOp_SourceXorDestination; break;
    case pmNotXor: cm = QPainter::RasterOp_NotSourceXorDestination; break;
    }
    p->setCompositionMode(cm);
    return true;
}

QBrush ToQBrush(const TBrush* b) {
    const QColor c = ToQColor(b->Color());
    switch (b->Style()) {
    case bsSolid: return QBrush(c);
    case bsClear: return QBrush(Qt::NoBrush);
    case bsHorizontal: return QBrush(c, Qt::HorPattern);
    case bsVertical: return QBrush(c, Qt::VerPattern);
    case bsFDiagonal: return QBrush(c, Qt::BDiagPattern);
    case bsBDiagonal: return QBrush(c, Qt::FDiagPattern);
    case bsCross: return QBrush(c, Qt::CrossPattern);
    case bsDiagCross: return QBrush(c, Qt::DiagCrossPattern);
    }
    return QBrush(c);
}

bool SimplePen(const TPen* pen) { return pen->Style() == psSolid || pen->Style() == psInsideFrame; }

// A one-pixel line from (x0, y0) to (x1, y1), the end point excluded, as the
// platform draws it.
void PixelLine(QPainter* p, int x0, int y0, int x1, int y1, const QColor& c) {
    if (x0 == x1 && y0 == y1) return;
    if (y0 == y1) {
        const int from = std::min(x0, x1 + (x1 < x0 ? 1 : 0));
        const int to = x1 > x0 ? x1 - 1 : x0;
        p->fillRect(QRect(from, y0, to - from + 1, 1), c);
        return;
    }
    if (x0 == x1) {
        const int from = std::min(y0, y1 + (y1 < y0 ? 1 : 0));
        const int to = y1 > y0 ? y1 - 1 : y0;
        p->fillRect(QRect(x0, from, 1, to - from + 1), c);
        return;
    }
    const int dx = std::abs(x1 - x0), sx = x0 < x1 ? 1 : -1;
    const int dy = -std::abs(y1 - y0), sy = y0 < y1 ? 1 : -1;
    int err = dx + dy;
    int x = x0, y = y0;
    while (!(x == x1 && y == y1)) {
        p->fillRect(QRect(x, y, 1, 1), c);
        const int e2 = 2 * err;
        if (e2 >= dy) {
            err += dy;
            x += sx;
        }
        if (e2 <= dx) {
            err += dx;
            y += sy;
        }
    }
}

QPen ToQPen(const TPen* pen, const QColor& color) {
    QPen qp(color);
    qp.setWidth(std::max(1, pen->Width()));
    qp.setCapStyle(Qt::FlatCap);
    qp.setJoinStyle(Qt::MiterJoin);
    switch (pen->Style()) {
    case psDash: qp.setStyle(Qt::DashLine); break;
    case psDot: qp.setStyle(Qt::DotLine); break;
    case psDashDot: qp.setStyle(Qt::DashDotLine); break;
    case psDashDotDot: qp.setStyle(Qt::DashDotDotLine); break;
    case psClear: qp.setStyle(Qt::NoPen); break;
    default: qp.setStyle(Qt::SolidLine); break;
    }
    return qp;
}

// A line with the canvas pen.
void PenLine(QPainter* p, const TPen* pen, int x0, int y0, int x1, int y1) {
    if (pen->Style() == psClear) return;
    QColor color = ToQColor(pen->Color());
    if (!ApplyPenMode(p, pen->Mode(), color)) return;
    if (SimplePen(pen) && pen->Width() <= 1) {
        PixelLine(p, x0, y0, x1, y1, color);
        return;
    }
    p->setPen(ToQPen(pen, color));
    p->setBrush(Qt::NoBrush);
    p->drawLine(QPointF(x0 + 0.5, y0 + 0.5), QPointF(x1 + 0.5, y1 + 0.5));
}

QPainter::CompositionMode CopyModeComposition(TCopyMode mode) {
    switch (mode) {
    case cmSrcAnd: return QPainter::RasterOp_SourceAndDestination;
    case cmSrcPaint: return QPainter::RasterOp_SourceOrDestination;
    case cmSrcInvert: return QPainter::RasterOp_SourceXorDestination;
    case cmNotSrcCopy: return QPainter::RasterOp_NotSource;
    case cmSrcErase: return QPainter::RasterOp_SourceAndNotDestination;
    case cmNotSrcErase: return QPainter::RasterOp_NotSourceAndNotDestination;
    case cmMergePaint: return QPainter::RasterOp_NotSourceOrDestination;
    default: return QPainter::CompositionMode_Source;
    }
}

// Copy modes that ignore the source: true when handled.
bool FillCopyMode(QPainter* p, TCopyMode mode, const QRect& dest, const TBrush* brush) {
    switch (mode) {
    case cmBlackness: p->fillRect(dest, Qt::black); return true;
    case cmWhiteness: p->fillRect(dest, Qt::white); return true;
    case cmDstInvert:
        p->setCompositionMode(QPainter::RasterOp_NotDestination);
        p->fillRect(dest, Qt::white);
        return true;
    case cmPatCopy: p->fillRect(dest, ToQBrush(brush)); return true;
    case cmPatInvert:
        p->setCompositionMode(QPainter::RasterOp_SourceXorDestination);
        p->fillRect(dest, ToQColor(brush->Color()));
        return true;
    default: return false;
    }
}

}  // namespace

void DrawTextRun(QPainter* Painter, const TCanvasImpl* Impl, int X, int BaselineY, const QString& Text,
                 int Width) {
    if (Impl->MirrorWidth <= 0) {
        Painter->drawText(QPoint(X, BaselineY), Text);
        return;
    }
    // The clip set so far stays where the mirrored transform put it.
    const QTransform mirrored = Painter->worldTransform();
    Painter->setWorldTransform(QTransform::fromTranslate(Impl->Origin.x(), Impl->Origin.y()));
    Painter->drawText(QPoint(Impl->MirrorWidth - X - Width, BaselineY), Text);
    Painter->setWorldTransform(mirrored);
}

QPainter* PrepareCanvas(TCanvas* Canvas) {
    Canvas->HandleNeeded();
    return Ready(Canvas->Impl());
}

void DrawImage(TCanvas* Canvas, const QImage& Image, const TRect& Dest, TColor TransparentRGB) {
    QPainter* p = PrepareCanvas(Canvas);
    if (!p || Image.isNull() || IsRectEmpty(Dest)) return;
    const QRect target = ToQRect(Dest);
    if (TransparentRGB >= 0) {
        QImage masked = Image.convertToFormat(QImage::Format_ARGB32);
        const QRgb key =
            qRgb(GetRValue(TransparentRGB), GetGValue(TransparentRGB), GetBValue(TransparentRGB));
        for (int y = 0; y < masked.height(); ++y) {
            auto* line = reinterpret_cast<QRgb*>(masked.scanLine(y));
            for (int x = 0; x < masked.width(); ++x)
                if ((line[x] & 0xFFFFFF) == (key & 0xFFFFFF)) line[x] = 0;
        }
        p->drawImage(target, masked);
        return;
    }
    if (FillCopyMode(p, Canvas->CopyMode(), target, Canvas->Brush())) return;
    const QPainter::CompositionMode cm = CopyModeComposition(Canvas->CopyMode());
    p->setCompositionMode(cm);
    if (cm == QPainter::CompositionMode_Source && Image.hasAlphaChannel())
        p->setCompositionMode(QPainter::CompositionMode_SourceOver);
    const QImage source = cm == QPainter::CompositionMode_Source || Image.format() == QImage::Format_RGB32
                              ? Image
                              : Image.convertToFormat(QImage::Format_RGB32);
    p->drawImage(target, source);
}

// ---- Canvas ------------------------------------------------------------------------

TCanvas::TCanvas()
    : FFont(std::make_unique<TFont>()),
      FPen(std::make_unique<TPen>()),
      FBrush(std::make_unique<TBrush>()),
      FImpl(std::make_unique<TCanvasImpl>()) {}

TCanvas::~TCanvas() { UnbindCanvas(this); }

void TCanvas::RequiredState() {}
void TCanvas::Changing() { FOnChanging(this); }
void TCanvas::Changed() { FOnChange(this); }

bool TCanvas::HandleAllocated() const { return FImpl->Painter && FImpl->Painter->isActive(); }

void TCanvas::Refresh() {
    // State is applied before every operation; nothing is cached.
}

TRect TCanvas::ClipRect() {
    RequiredState();
    const TCanvasImpl* impl = FImpl.get();
    if (impl->Clipped) return FromQRect(impl->Clip);
    if (impl->Readable)
        return Bounds(-impl->Origin.x(), -impl->Origin.y(), impl->Readable->width(),
                      impl->Readable->height());
    return TRect{};
}

void TCanvas::SetMirrorWidth(int Width) { FImpl->MirrorWidth = std::max(0, Width); }
int TCanvas::MirrorWidth() const { return FImpl->MirrorWidth; }

void TCanvas::MoveTo(int X, int Y) { FPenPos = {X, Y}; }

void TCanvas::LineTo(int X, int Y) {
    RequiredState();
    Changing();
    if (QPainter* p = Ready(FImpl.get())) PenLine(p, FPen.get(), FPenPos.X, FPenPos.Y, X, Y);
    FPenPos = {X, Y};
    Changed();
}

void TCanvas::Polyline(const std::vector<TPoint>& Points) {
    RequiredState();
    Changing();
    if (QPainter* p = Ready(FImpl.get()))
        for (std::size_t i = 1; i < Points.size(); ++i)
            PenLine(p, FPen.get(), Points[i - 1].X, Points[i - 1].Y, Points[i].X, Points[i].Y);
    Changed();
}

void TCanvas::Polygon(const std::vector<TPoint>& Points) {
    RequiredState();
    Changing();
    if (QPainter* p = Ready(FImpl.get()); p && Points.size() >= 2) {
        QPolygon poly;
        for (const TPoint& pt : Points) poly << QPoint(pt.X, pt.Y);
        if (FBrush->Style() != bsClear) {
            p->setPen(Qt::NoPen);
            p->setBrush(ToQBrush(FBrush.get()));
            p->drawPolygon(poly);
        }
        for (std::size_t i = 0; i < Points.size(); ++i) {
            const TPoint& a = Points[i];
            const TPoint& b = Points[(i + 1) % Points.size()];
            PenLine(p, FPen.get(), a.X, a.Y, b.X, b.Y);
        }
        // The closing point itself.
        if (FPen->Style() != psClear && SimplePen(FPen.get()) && FPen->Width() <= 1) {
            QColor c = ToQColor(FPen->Color());
            if (ApplyPenMode(p, FPen->Mode(), c)) p->fillRect(QRect(Points[0].X, Points[0].Y, 1, 1), c);
        }
    }
    Changed();
}

void TCanvas::Rectangle(int X1, int Y1, int X2, int Y2) {
    RequiredState();
    Changing();
    if (QPainter* p = Ready(FImpl.get())) {
        if (X2 < X1) std::swap(X1, X2);
        if (Y2 < Y1) std::swap(Y1, Y2);
        const bool outline = FPen->Style() != psClear;
        const int w = outline ? std::max(1, FPen->Width()) : 0;
        if (FBrush->Style() != bsClear) {
            // Without a pen the filled area is a pixel smaller each way.
            const QRect inside = outline ? QRect(X1 + w, Y1 + w, X2 - X1 - 2 * w, Y2 - Y1 - 2 * w)
                                         : QRect(X1, Y1, X2 - X1 - 1, Y2 - Y1 - 1);
            if (inside.width() > 0 && inside.height() > 0) p->fillRect(inside, ToQBrush(FBrush.get()));
        }
        if (outline && X2 > X1 && Y2 > Y1) {
            QColor c = ToQColor(FPen->Color());
            if (SimplePen(FPen.get())) {
                if (ApplyPenMode(p, FPen->Mode(), c)) {
                    const int ww = std::min(w, (X2 - X1 + 1) / 2), wh = std::min(w, (Y2 - Y1 + 1) / 2);
                    p->fillRect(QRect(X1, Y1, X2 - X1, wh), c);
                    p->fillRect(QRect(X1, Y2 - wh, X2 - X1, wh), c);
                    p->fillRect(QRect(X1, Y1 + wh, ww, Y2 - Y1 - 2 * wh), c);
                    p->fillRect(QRect(X2 - ww, Y1 + wh, ww, Y2 - Y1 - 2 * wh), c);
                }
            } else {
                PenLine(p, FPen.get(), X1, Y1, X2 - 1, Y1);
                PenLine(p, FPen.get(), X2 - 1, Y1, X2 - 1, Y2 - 1);
                PenLine(p, FPen.get(), X2 - 1, Y2 - 1, X1, Y2 - 1);
                PenLine(p, FPen.get(), X1, Y2 - 1, X1, Y1);
            }
        }
    }
    Changed();
}

void TCanvas::RoundRect(int X1, int Y1, int X2, int Y2, int X3, int Y3) {
    RequiredState();
    Changing();
    if (QPainter* p = Ready(FImpl.get())) {
        QColor c = ToQColor(FPen->Color());
        const bool pen = FPen->Style() != psClear && ApplyPenMode(p, FPen->Mode(), c);
        p->setPen(pen ? ToQPen(FPen.get(), c) : QPen(Qt::NoPen));
        p->setBrush(ToQBrush(FBrush.get()));
        p->drawRoundedRect(QRectF(X1 + 0.5, Y1 + 0.5, X2 - X1 - 1, Y2 - Y1 - 1), X3 / 2.0, Y3 / 2.0);
    }
    Changed();
}

void TCanvas::Ellipse(int X1, int Y1, int X2, int Y2) {
    RequiredState();
    Changing();
    if (QPainter* p = Ready(FImpl.get())) {
        QColor c = ToQColor(FPen->Color());
        const bool pen = FPen->Style() != psClear && ApplyPenMode(p, FPen->Mode(), c);
        p->setPen(pen ? ToQPen(FPen.get(), c) : QPen(Qt::NoPen));
        p->setBrush(ToQBrush(FBrush.get()));
        p->drawEllipse(QRectF(X1 + 0.5, Y1 + 0.5, X2 - X1 - 1, Y2 - Y1 - 1));
    }
    Changed();
}

void TCanvas::FillRect(const TRect& R) {
    RequiredState();
    Changing();
    if (QPainter* p = Ready(FImpl.get()); p && FBrush->Style() != bsClear && !IsRectEmpty(R))
        p->fillRect(ToQRect(R), ToQBrush(FBrush.get()));
    Changed();
}

void TCanvas::FrameRect(const TRect& R) {
    RequiredState();
    Changing();
    if (QPainter* p = Ready(FImpl.get()); p && !IsRectEmpty(R)) {
        const QColor c = ToQColor(FBrush->Color());
        p->fillRect(QRect(R.Left, R.Top, R.Width(), 1), c);
        p->fillRect(QRect(R.Left, R.Bottom - 1, R.Width(), 1), c);
        p->fillRect(QRect(R.Left, R.Top, 1, R.Height()), c);
        p->fillRect(QRect(R.Right - 1, R.Top, 1, R.Height()), c);
    }
    Changed();
}

void TCanvas::DrawFocusRect(const TRect& R) {
    RequiredState();
    Changing();
    if (QPainter* p = Ready(FImpl.get()); p && !IsRectEmpty(R)) {
        p->setCompositionMode(QPainter::RasterOp_SourceXorDestination);
        const QColor white(Qt::white);
        auto dot = [&](int x, int y) {
            if (((x + y) & 1) == 0) p->fillRect(QRect(x, y, 1, 1), white);
        };
        for (int x = R.Left; x < R.Right; ++x) {
            dot(x, R.Top);
            if (R.Bottom - 1 > R.Top) dot(x, R.Bottom - 1);
        }
        for (int y = R.Top + 1; y < R.Bottom - 1; ++y) {
            dot(R.Left, y);
            if (R.Right - 1 > R.Left) dot(R.Right - 1, y);
        }
    }
    Changed();
}

void TCanvas::TextOut(int X, int Y, const std::string& Text) {
    RequiredState();
    Changing();
    const QFont f = ToQFont(FFont.get());
    const QFontMetrics fm(f);
    const QString s = ToQString(Text);
    const int w = fm.horizontalAdvance(s);
    if (QPainter* p = Ready(FImpl.get())) {
        if (FBrush->Style() != bsClear) p->fillRect(QRect(X, Y, w, fm.height()), ToQColor(FBrush->Color()));
        SetPainterFont(p, f);
        p->setPen(ToQColor(FFont->Color()));
        DrawTextRun(p, FImpl.get(), X, Y + fm.ascent(), s, w);
    }
    FPenPos = {X + w, Y};
    Changed();
}

void TCanvas::TextRect(const TRect& R, int X, int Y, const std::string& Text) {
    RequiredState();
    Changing();
    if (QPainter* p = Ready(FImpl.get())) {
        const QFont f = ToQFont(FFont.get());
        const QFontMetrics fm(f);
        QRect clip = ToQRect(R);
        if (FImpl->Clipped) clip = clip.intersected(FImpl->Clip);
        p->setClipRect(clip);
        if (FBrush->Style() != bsClear) p->fillRect(ToQRect(R), ToQColor(FBrush->Color()));
        SetPainterFont(p, f);
        p->setPen(ToQColor(FFont->Color()));
        const QString s = ToQString(Text);
        DrawTextRun(p, FImpl.get(), X, Y + fm.ascent(), s, fm.horizontalAdvance(s));
    }
    Changed();
}

int TCanvas::TextWidth(const std::string& Text) { return TextExtent(Text).cx; }
int TCanvas::TextHeight(const std::string& Text) { return TextExtent(Text).cy; }

TSize TCanvas::TextExtent(const std::string& Text) {
    RequiredState();
    const QFontMetrics fm(ToQFont(FFont.get()));
    return {fm.horizontalAdvance(ToQString(Text)), fm.height()};
}

void TCanvas::Draw(int X, int Y, TGraphic* Graphic) {
    if (!Graphic || Graphic->Empty()) return;
    RequiredState();
    Changing();
    Graphic->Draw(this, Bounds(X, Y, Graphic->Width(), Graphic->Height()));
    Changed();
}

void TCanvas::StretchDraw(const TRect& R, TGraphic* Graphic) {
    if (!Graphic || Graphic->Empty()) return;
    RequiredState();
    Changing();
    Graphic->Draw(this, R);
    Changed();
}

void TCanvas::CopyRect(const TRect& Dest, TCanvas* Canvas, const TRect& Source) {
    if (!Canvas) return;
    RequiredState();
    if (Canvas != this) Canvas->RequiredState();
    Changing();
    const TCanvasImpl* src = Canvas->FImpl.get();
    if (QPainter* p = Ready(FImpl.get())) {
        const QRect target = ToQRect(Dest);
        if (!FillCopyMode(p, FCopyMode, target, FBrush.get()) && src->Readable) {
            QRect from = ToQRect(Source).translated(src->Origin);
            const QImage part = src->Readable->copy(from);
            p = Ready(FImpl.get());
            p->setCompositionMode(CopyModeComposition(FCopyMode));
            p->drawImage(target, part.convertToFormat(QImage::Format_RGB32));
        }
    }
    Changed();
}

TColor TCanvas::Pixels(int X, int Y) {
    RequiredState();
    const TCanvasImpl* impl = FImpl.get();
    if (!impl->Readable) return -1;
    if (impl->MirrorWidth > 0) X = impl->MirrorWidth - 1 - X;
    const QPoint pt = QPoint(X, Y) + impl->Origin;
    if (!impl->Readable->rect().contains(pt)) return -1;
    const QRgb c = impl->Readable->pixel(pt);
    return RGB(qRed(c), qGreen(c), qBlue(c));
}

void TCanvas::SetPixels(int X, int Y, TColor Color) {
    RequiredState();
    Changing();
    if (QPainter* p = Ready(FImpl.get())) p->fillRect(QRect(X, Y, 1, 1), ToQColor(Color));
    Changed();
}
