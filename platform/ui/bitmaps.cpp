// Bitmaps, icons, pictures and image resources over QImage.
#include "platform/ui/bitmaps.h"

#include <QBuffer>
#include <QByteArray>
#include <QImageReader>
#include <QImageWriter>

#include <map>
#include <mutex>

#include "platform/core/files.h"
#include "platform/core/streams.h"
#include "platform/core/sysutils.h"
#include "platform/ui/qt_host.h"

void TImageData::EndPaint() {
    if (Painting) {
        TCanvas* canvas = Painting;
        Painting = nullptr;
        UnbindCanvas(canvas);
    }
}

// ---- Resources ---------------------------------------------------------------------

namespace {

struct TResource {
    QByteArray Bytes;
    const char* const* Xpm = nullptr;
};

std::map<std::string, TResource>& Resources() {
    static std::map<std::string, TResource> resources;
    return resources;
}

std::string ResourceKey(const std::string& name) { return UpperCase(name); }

// The decoded resource; EResNotFound when there is none.
QImage LoadResourceImage(const std::string& name) {
    auto it = Resources().find(ResourceKey(name));
    if (it == Resources().end()) throw EResNotFound("Resource " + name + " not found");
    QImage image = it->second.Xpm ? QImage(it->second.Xpm) : QImage::fromData(it->second.Bytes);
    if (image.isNull()) throw EInvalidGraphic("Bitmap image is not valid");
    return image;
}

QByteArray ReadRest(TStream* stream) {
    const int64_t size = stream->Size() - stream->Position();
    QByteArray bytes;
    if (size <= 0) return bytes;
    bytes.resize(static_cast<qsizetype>(size));
    stream->ReadBuffer(bytes.data(), size);
    return bytes;
}

// Decoded pictures are held to this many pixels (8192 x 4096) and sides of
// at most 32767 pixels, whatever size the data claims.
constexpr int64_t MaxPicturePixels = int64_t{1} << 25;
constexpr int MaxPictureSide = 32767;

// The bytes an uncompressed bitmap file needs up to the end of its pixels;
// 0 when the bytes are no such file (the reader then judges them alone).
int64_t UncompressedBitmapEnd(const QByteArray& b) {
    if (b.size() < 26 || b[0] != 'B' || b[1] != 'M') return 0;
    auto u16 = [&b](int At) {
        return static_cast<uint32_t>(static_cast<uint8_t>(b[At]) | static_cast<uint8_t>(b[At + 1]) << 8);
    };
    auto u32 = [&](int At) { return u16(At) | u16(At + 2) << 16; };
    const uint32_t header = u32(14);
    int64_t width = 0, height = 0;
    uint32_t bits = 0, compression = 0;
    if (header == 12) {
        width = u16(18), height = u16(20), bits = u16(24);
    } else if (header >= 40 && b.size() >= 34) {
        width = static_cast<int32_t>(u32(18)), height = static_cast<int32_t>(u32(22));
        bits = u16(28), compression = u32(30);
    } else {
        return 0;
    }
    // BI_RGB and BI_BITFIELDS; the run-length encodings have no fixed size.
    if ((compression != 0 && compression != 3) || width <= 0 || bits == 0 || bits > 32) return 0;
    if (height < 0) height = -height;
    // Larger ones are refused by their size.
    if (width > MaxPictureSide || height > MaxPictureSide) return 0;
    const int64_t row = (width * bits + 31) / 32 * 4;
    return int64_t{u32(10)} + row * height;
}

// The decoded image, or a null image when the bytes are none of the format
// (any format when Format is null), claim a size beyond the limits or are
// a bitmap cut short (the reader would leave the missing rows undefined).
QImage DecodeImage(const QByteArray& bytes, const char* format) {
    if (UncompressedBitmapEnd(bytes) > bytes.size()) return QImage();
    QBuffer buffer;
    buffer.setData(bytes);
    if (!buffer.open(QIODevice::ReadOnly)) return QImage();
    QImageReader reader(&buffer, format ? QByteArray(format) : QByteArray());
    const QSize size = reader.size();
    if (size.isValid() && (size.width() > MaxPictureSide || size.height() > MaxPictureSide ||
                           int64_t{size.width()} * size.height() > MaxPicturePixels))
        return QImage();
    QImage image = reader.read();
    if (image.width() > MaxPictureSide || image.height() > MaxPictureSide ||
        int64_t{image.width()} * image.height() > MaxPicturePixels)
        return QImage();
    return image;
}

void WriteImage(TStream* stream, const QImage& image, const char* format) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!image.isNull()) image.save(&buffer, format);
    if (!bytes.isEmpty()) stream->WriteBuffer(bytes.constData(), bytes.size());
}

QImage AsBitmapImage(const QImage& image) {
    return image.hasAlphaChannel() ? image.convertToFormat(QImage::Format_ARGB32_Premultiplied)
                                   : image.convertToFormat(QImage::Format_RGB32);
}

}  // namespace

void RegisterResource(const std::string& Name, const void* Data, std::size_t Size) {
    TResource r;
    r.Bytes = QByteArray(static_cast<const char*>(Data), static_cast<qsizetype>(Size));
    Resources()[ResourceKey(Name)] = std::move(r);
}

void RegisterXpmResource(const std::string& Name, const char* const* Xpm) {
    TResource r;
    r.Xpm = Xpm;
    Resources()[ResourceKey(Name)] = std::move(r);
}

bool ResourceExists(const std::string& Name) { return Resources().count(ResourceKey(Name)) != 0; }

// ---- TGraphic ----------------------------------------------------------------------

void TGraphic::SetTransparent(bool Value) {
    if (Value == FTransparent) return;
    FTransparent = Value;
    Changed();
}

void TGraphic::SetModified(bool Value) {
    if (Value)
        Changed();
    else
        FModified = false;
}

void TGraphic::Changed() {
    FModified = true;
    FOnChange(this);
}

void TGraphic::LoadFromFile(const std::string& FileName) {
    TFileStream stream(FileName, fmOpenRead | fmShareDenyWrite);
    LoadFromStream(&stream);
}

void TGraphic::SaveToFile(const std::string& FileName) {
    TMemoryStream stream;
    SaveToStream(&stream);
    stream.SaveToFile(FileName);
}

// ---- TBitmap -------------------------------------------------------------------------

class TBitmap::TBitmapCanvas : public TCanvas {
public:
    explicit TBitmapCanvas(TBitmap* Owner) : FOwner(Owner) {}

protected:
    void RequiredState() override {
        if (HandleAllocated()) return;
        TImageData* data = FOwner->FData.get();
        if (data->Image.isNull()) return;
        auto painter = std::make_unique<QPainter>();
        if (!painter->begin(&data->Image)) return;
        BindCanvas(this, painter.get(), QPoint(), nullptr, &data->Image);
        Impl()->OwnedPainter = std::move(painter);
        data->Painting = this;
    }
    void Changed() override {
        TCanvas::Changed();
        FOwner->TGraphic::Changed();
    }

private:
    TBitmap* FOwner;
};

TBitmap::TBitmap() : FData(std::make_unique<TImageData>()) {}

TBitmap::~TBitmap() {
    EndCanvas();
    FCanvas.reset();
}

void TBitmap::EndCanvas() const { FData->EndPaint(); }

bool TBitmap::Empty() const { return FData->Image.isNull(); }
int TBitmap::Width() const { return FData->Image.width(); }
int TBitmap::Height() const { return FData->Image.height(); }
void TBitmap::SetWidth(int Value) { SetSize(Value, Height()); }
void TBitmap::SetHeight(int Value) { SetSize(Width(), Value); }

void TBitmap::SetSize(int AWidth, int AHeight) {
    AWidth = std::max(0, AWidth);
    AHeight = std::max(0, AHeight);
    if (AWidth == Width() && AHeight == Height()) return;
    EndCanvas();
    if (AWidth == 0 || AHeight == 0) {
        FData->Image = QImage();
    } else {
        QImage image(AWidth, AHeight, QImage::Format_RGB32);
        image.fill(Qt::white);
        if (!FData->Image.isNull()) {
            QPainter p(&image);
            p.setCompositionMode(QPainter::CompositionMode_Source);
            p.drawImage(0, 0, FData->Image);
        }
        FData->Image = image;
    }
    Changed();
}

void TBitmap::ReadRow24(int Y, uint8_t* Dest) const {
    const QImage& image = FData->Image;
    if (image.isNull() || Y < 0 || Y >= image.height()) return;
    EndCanvas();
    const int w = image.width();
    if (image.format() == QImage::Format_RGB32 || image.format() == QImage::Format_ARGB32) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(Y));
        for (int x = 0; x < w; ++x) {
            Dest[3 * x] = static_cast<uint8_t>(qBlue(line[x]));
            Dest[3 * x + 1] = static_cast<uint8_t>(qGreen(line[x]));
            Dest[3 * x + 2] = static_cast<uint8_t>(qRed(line[x]));
        }
        return;
    }
    for (int x = 0; x < w; ++x) {
        const QRgb c = qUnpremultiply(image.pixel(x, Y));
        Dest[3 * x] = static_cast<uint8_t>(qBlue(c));
        Dest[3 * x + 1] = static_cast<uint8_t>(qGreen(c));
        Dest[3 * x + 2] = static_cast<uint8_t>(qRed(c));
    }
}

void TBitmap::WriteRow24(int Y, const uint8_t* Source) {
    QImage& image = FData->Image;
    if (image.isNull() || Y < 0 || Y >= image.height()) return;
    EndCanvas();
    if (image.format() != QImage::Format_RGB32) image = image.convertToFormat(QImage::Format_RGB32);
    auto* line = reinterpret_cast<QRgb*>(image.scanLine(Y));
    for (int x = 0; x < image.width(); ++x)
        line[x] = qRgb(Source[3 * x + 2], Source[3 * x + 1], Source[3 * x]);
}

TCanvas* TBitmap::Canvas() {
    if (!FCanvas) FCanvas = std::make_unique<TBitmapCanvas>(this);
    return FCanvas.get();
}

void TBitmap::SetTransparentMode(TTransparentMode Value) {
    if (Value == FTransparentMode) return;
    if (Value == tmAuto) FTransparentColor = clDefault;
    FTransparentMode = Value;
    Changed();
}

TColor TBitmap::TransparentColor() const {
    if (FTransparentMode == tmFixed && FTransparentColor != clDefault) return FTransparentColor;
    if (FData->Image.isNull()) return clDefault;
    const QRgb c = FData->Image.pixel(0, FData->Image.height() - 1);
    return RGB(qRed(c), qGreen(c), qBlue(c));
}

void TBitmap::SetTransparentColor(TColor Value) {
    FTransparentColor = Value;
    FTransparentMode = Value == clDefault ? tmAuto : tmFixed;
    Changed();
}

void TBitmap::LoadFromStream(TStream* Stream) {
    const QByteArray bytes = ReadRest(Stream);
    const QImage image = DecodeImage(bytes, nullptr);
    if (image.isNull()) throw EInvalidGraphic("Bitmap image is not valid");
    EndCanvas();
    FData->Image = AsBitmapImage(image);
    Changed();
}

void TBitmap::SaveToStream(TStream* Stream) {
    EndCanvas();
    WriteImage(Stream, FData->Image.convertToFormat(QImage::Format_RGB32), "BMP");
}

void TBitmap::SaveToFile(const std::string& FileName) {
    if (SameText(ExtractFileExt(FileName), ".png")) {
        EndCanvas();
        TMemoryStream stream;
        WriteImage(&stream, FData->Image, "PNG");
        stream.SaveToFile(FileName);
        return;
    }
    TGraphic::SaveToFile(FileName);
}

void TBitmap::LoadFromResourceName(const std::string& ResName) {
    const QImage image = LoadResourceImage(ResName);
    EndCanvas();
    FData->Image = AsBitmapImage(image);
    Changed();
}

void TBitmap::Assign(TPersistent* Source) {
    if (auto* b = dynamic_cast<TBitmap*>(Source)) {
        if (b == this) return;
        b->EndCanvas();
        EndCanvas();
        FData->Image = b->FData->Image.copy();
        FTransparentMode = b->FTransparentMode;
        FTransparentColor = b->FTransparentColor;
        TGraphic::SetTransparent(b->Transparent());
        Changed();
        return;
    }
    if (auto* icon = dynamic_cast<TIcon*>(Source)) {
        EndCanvas();
        QImage image(icon->Data()->Image.size(), QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter p(&image);
        p.drawImage(0, 0, icon->Data()->Image);
        p.end();
        FData->Image = image;
        Changed();
        return;
    }
    if (!Source) {
        EndCanvas();
        FData->Image = QImage();
        Changed();
        return;
    }
    TGraphic::Assign(Source);
}

void TBitmap::AssignTo(TPersistent* Dest) {
    if (auto* picture = dynamic_cast<TPicture*>(Dest)) {
        picture->SetGraphic(this);
        return;
    }
    TGraphic::AssignTo(Dest);
}

void TBitmap::Draw(TCanvas* ACanvas, const TRect& Rect) {
    if (Empty() || !ACanvas) return;
    EndCanvas();
    const TColor transparent = Transparent() ? ColorToRGB(TransparentColor()) : -1;
    DrawImage(ACanvas, FData->Image, Rect, transparent);
}

// ---- TIcon ------------------------------------------------------------------------------

TIcon::TIcon() : FData(std::make_unique<TImageData>()) { TGraphic::SetTransparent(true); }
TIcon::~TIcon() = default;

bool TIcon::Empty() const { return FData->Image.isNull(); }
int TIcon::Width() const { return FData->Image.width(); }
int TIcon::Height() const { return FData->Image.height(); }

void TIcon::SetWidth(int Value) {
    if (Value == Width()) return;
    FData->Image = Value > 0 && Height() > 0 ? FData->Image.scaled(Value, Height()) : QImage();
    Changed();
}

void TIcon::SetHeight(int Value) {
    if (Value == Height()) return;
    FData->Image = Value > 0 && Width() > 0 ? FData->Image.scaled(Width(), Value) : QImage();
    Changed();
}

void TIcon::LoadFromStream(TStream* Stream) {
    const QByteArray bytes = ReadRest(Stream);
    QImage image = DecodeImage(bytes, "ICO");
    if (image.isNull()) image = DecodeImage(bytes, nullptr);
    if (image.isNull()) throw EInvalidGraphic("Icon image is not valid");
    FData->Image = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    Changed();
}

void TIcon::SaveToStream(TStream* Stream) {
    const bool ico = QImageWriter::supportedImageFormats().contains("ico");
    WriteImage(Stream, FData->Image, ico ? "ICO" : "PNG");
}

void TIcon::LoadFromResourceName(const std::string& ResName) {
    FData->Image = LoadResourceImage(ResName).convertToFormat(QImage::Format_ARGB32_Premultiplied);
    Changed();
}

void TIcon::Assign(TPersistent* Source) {
    if (auto* icon = dynamic_cast<TIcon*>(Source)) {
        if (icon == this) return;
        FData->Image = icon->FData->Image.copy();
        Changed();
        return;
    }
    if (auto* b = dynamic_cast<TBitmap*>(Source)) {
        QImage image = b->Data()->Image.convertToFormat(QImage::Format_ARGB32);
        if (b->Transparent() && !image.isNull()) {
            const int32_t key = ColorToRGB(b->TransparentColor());
            for (int y = 0; y < image.height(); ++y) {
                auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
                for (int x = 0; x < image.width(); ++x)
                    if (RGB(qRed(line[x]), qGreen(line[x]), qBlue(line[x])) == key) line[x] = 0;
            }
        }
        FData->Image = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
        Changed();
        return;
    }
    TGraphic::Assign(Source);
}

void TIcon::Draw(TCanvas* ACanvas, const TRect& Rect) {
    if (Empty() || !ACanvas) return;
    // Icons blend by their own alpha whatever the copy mode.
    const TCopyMode mode = ACanvas->CopyMode();
    ACanvas->SetCopyMode(cmSrcCopy);
    DrawImage(ACanvas, FData->Image, Rect, -1);
    ACanvas->SetCopyMode(mode);
}

// ---- TPicture --------------------------------------------------------------------------

TPicture::TPicture() = default;
TPicture::~TPicture() = default;

void TPicture::Changed(TObject*) { FOnChange(this); }

void TPicture::SetGraphic(TGraphic* Value) {
    if (Value == FGraphic.get()) return;
    std::unique_ptr<TGraphic> copy;
    if (dynamic_cast<TBitmap*>(Value))
        copy = std::make_unique<TBitmap>();
    else if (dynamic_cast<TIcon*>(Value))
        copy = std::make_unique<TIcon>();
    else if (Value)
        throw EInvalidGraphic("Unsupported picture kind " + Value->ClassName());
    if (copy) {
        copy->Assign(Value);
        copy->SetOnChange(TNotifyEvent(this, &TPicture::Changed));
    }
    FGraphic = std::move(copy);
    Changed(this);
}

TBitmap* TPicture::Bitmap() {
    if (!dynamic_cast<TBitmap*>(FGraphic.get())) {
        FGraphic = std::make_unique<TBitmap>();
        FGraphic->SetOnChange(TNotifyEvent(this, &TPicture::Changed));
        Changed(this);
    }
    return static_cast<TBitmap*>(FGraphic.get());
}

TIcon* TPicture::Icon() {
    if (!dynamic_cast<TIcon*>(FGraphic.get())) {
        FGraphic = std::make_unique<TIcon>();
        FGraphic->SetOnChange(TNotifyEvent(this, &TPicture::Changed));
        Changed(this);
    }
    return static_cast<TIcon*>(FGraphic.get());
}

void TPicture::LoadFromFile(const std::string& FileName) {
    std::string ext = LowerCase(ExtractFileExt(FileName));
    std::unique_ptr<TGraphic> graphic;
    if (ext == ".bmp" || ext == ".png" || ext == ".xpm" || ext == ".gif" || ext == ".jpg" || ext == ".jpeg")
        graphic = std::make_unique<TBitmap>();
    else if (ext == ".ico")
        graphic = std::make_unique<TIcon>();
    else
        throw EInvalidGraphic("Unknown picture file extension (" + ext + ")");
    graphic->LoadFromFile(FileName);
    graphic->SetOnChange(TNotifyEvent(this, &TPicture::Changed));
    FGraphic = std::move(graphic);
    Changed(this);
}

void TPicture::SaveToFile(const std::string& FileName) {
    if (FGraphic) FGraphic->SaveToFile(FileName);
}

void TPicture::Assign(TPersistent* Source) {
    if (!Source) {
        SetGraphic(nullptr);
        return;
    }
    if (auto* p = dynamic_cast<TPicture*>(Source)) {
        SetGraphic(p->Graphic());
        return;
    }
    if (auto* g = dynamic_cast<TGraphic*>(Source)) {
        SetGraphic(g);
        return;
    }
    TPersistent::Assign(Source);
}
