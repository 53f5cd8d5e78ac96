// Image lists: each image is kept with its transparency as an alpha channel.
#include "platform/ui/imagelist.h"

#include "platform/core/sysutils.h"
#include "platform/ui/qt_host.h"

TImageList::TImageList(TComponent* AOwner) : TComponent(AOwner) {}
TImageList::~TImageList() = default;

void TImageList::Change() { FOnChange(this); }

void TImageList::SetWidth(int Value) { SetSize(Value, FHeight); }
void TImageList::SetHeight(int Value) { SetSize(FWidth, Value); }

void TImageList::SetSize(int AWidth, int AHeight) {
    AWidth = std::max(1, AWidth);
    AHeight = std::max(1, AHeight);
    if (AWidth == FWidth && AHeight == FHeight) return;
    FWidth = AWidth;
    FHeight = AHeight;
    Clear();
}

namespace {

// Image pieces of the list's size cut from a bitmap, transparency applied
// by a per-pixel test.
template <class IsClear>
std::vector<std::unique_ptr<TImageData>> Cut(const QImage& source, int width, int height, IsClear isClear) {
    std::vector<std::unique_ptr<TImageData>> pieces;
    if (source.isNull()) return pieces;
    const int count = std::max(1, source.width() / width);
    const QImage argb = source.convertToFormat(QImage::Format_ARGB32);
    for (int i = 0; i < count; ++i) {
        auto piece = std::make_unique<TImageData>();
        piece->Image = QImage(width, height, QImage::Format_ARGB32);
        piece->Image.fill(Qt::transparent);
        for (int y = 0; y < std::min(height, argb.height()); ++y) {
            const auto* src = reinterpret_cast<const QRgb*>(argb.constScanLine(y));
            auto* dst = reinterpret_cast<QRgb*>(piece->Image.scanLine(y));
            for (int x = 0; x < width && i * width + x < argb.width(); ++x) {
                const int sx = i * width + x;
                dst[x] = isClear(sx, y, src[sx]) ? 0 : src[sx];
            }
        }
        pieces.push_back(std::move(piece));
    }
    return pieces;
}

}  // namespace

int TImageList::Add(TBitmap* Image, TBitmap* Mask) {
    if (!Image || Image->Empty()) return -1;
    const QImage& image = Image->Data()->Image;
    QImage mask =
        Mask && !Mask->Empty() ? Mask->Data()->Image.convertToFormat(QImage::Format_RGB32) : QImage();
    auto pieces = Cut(image, FWidth, FHeight, [&](int x, int y, QRgb) {
        return !mask.isNull() && mask.rect().contains(x, y) && (mask.pixel(x, y) & 0xFFFFFF) == 0xFFFFFF;
    });
    const int first = Count();
    for (auto& p : pieces) FImages.push_back(std::move(p));
    Change();
    return pieces.empty() ? -1 : first;
}

int TImageList::AddMasked(TBitmap* Image, TColor MaskColor) {
    if (!Image || Image->Empty()) return -1;
    const int32_t key = ColorToRGB(MaskColor == clDefault ? Image->TransparentColor() : MaskColor);
    auto pieces = Cut(Image->Data()->Image, FWidth, FHeight, [&](int, int, QRgb c) {
        return qAlpha(c) == 0 || RGB(qRed(c), qGreen(c), qBlue(c)) == key;
    });
    const int first = Count();
    for (auto& p : pieces) FImages.push_back(std::move(p));
    Change();
    return pieces.empty() ? -1 : first;
}

int TImageList::AddIcon(TIcon* Image) {
    if (!Image || Image->Empty()) return -1;
    auto piece = std::make_unique<TImageData>();
    piece->Image = Image->Data()->Image.scaled(FWidth, FHeight).convertToFormat(QImage::Format_ARGB32);
    FImages.push_back(std::move(piece));
    Change();
    return Count() - 1;
}

void TImageList::Replace(int Index, TBitmap* Image, TBitmap* Mask) {
    if (Index < 0 || Index >= Count()) throw EInvalidOperation(Format("Invalid image index %d", Index));
    if (!Image || Image->Empty()) return;
    QImage mask =
        Mask && !Mask->Empty() ? Mask->Data()->Image.convertToFormat(QImage::Format_RGB32) : QImage();
    auto pieces = Cut(Image->Data()->Image, FWidth, FHeight, [&](int x, int y, QRgb) {
        return !mask.isNull() && mask.rect().contains(x, y) && (mask.pixel(x, y) & 0xFFFFFF) == 0xFFFFFF;
    });
    if (pieces.empty()) return;
    FImages[static_cast<std::size_t>(Index)] = std::move(pieces.front());
    Change();
}

void TImageList::Delete(int Index) {
    if (Index < 0 || Index >= Count()) throw EInvalidOperation(Format("Invalid image index %d", Index));
    FImages.erase(FImages.begin() + Index);
    Change();
}

void TImageList::Clear() {
    if (FImages.empty()) return;
    FImages.clear();
    Change();
}

void TImageList::Draw(TCanvas* Canvas, int X, int Y, int Index, bool Enabled) {
    if (!Canvas || Index < 0 || Index >= Count()) return;
    QImage image = FImages[static_cast<std::size_t>(Index)]->Image;
    if (!Enabled) {
        // Greyed: every visible pixel in the shadow colour.
        const int32_t shadow = ColorToRGB(clBtnShadow);
        for (int y = 0; y < image.height(); ++y) {
            auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
            for (int x = 0; x < image.width(); ++x)
                if (qAlpha(line[x]) != 0)
                    line[x] = qRgb(GetRValue(shadow), GetGValue(shadow), GetBValue(shadow));
        }
    }
    const TCopyMode mode = Canvas->CopyMode();
    Canvas->SetCopyMode(cmSrcCopy);
    DrawImage(Canvas, image, Bounds(X, Y, FWidth, FHeight), -1);
    Canvas->SetCopyMode(mode);
}

void TImageList::GetBitmap(int Index, TBitmap* Image) {
    if (Index < 0 || Index >= Count()) throw EInvalidOperation(Format("Invalid image index %d", Index));
    if (!Image) return;
    Image->SetSize(FWidth, FHeight);
    Image->Canvas()->Brush()->SetColor(clWhite);
    Image->Canvas()->FillRect(Bounds(0, 0, FWidth, FHeight));
    Draw(Image->Canvas(), 0, 0, Index);
}

void TImageList::Publish(TPublisher<TImageList>& p) {
    p.Property("Height", &TImageList::Height, &TImageList::SetHeight);
    p.Property("Width", &TImageList::Width, &TImageList::SetWidth);
    p.Property("OnChange", &TImageList::OnChange, &TImageList::SetOnChange);
}
