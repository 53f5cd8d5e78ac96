// The metafile over a recorded Qt picture: recording, loading and saving it through
// streams, and replaying it scaled.
#include "platform/ui/metafile.h"

#include <QBuffer>
#include <QPainter>
#include <QPicture>

#include "platform/core/exceptions.h"
#include "platform/core/streams.h"
#include "platform/ui/qt_host.h"

struct TMetafileData {
    QPicture Picture;
    std::unique_ptr<QPainter> Recorder;
    bool Recorded = false;
};

TMetafile::TMetafile() : FData(std::make_unique<TMetafileData>()) {}
TMetafile::~TMetafile() = default;

int TMetafile::RecordingPixelsPerInch() {
    EnsureToolkit();
    QPicture p;
    return p.logicalDpiY() > 0 ? p.logicalDpiY() : 96;
}

bool TMetafile::Empty() const { return !FData->Recorded || FWidth <= 0 || FHeight <= 0; }

void TMetafile::Clear() {
    FData->Picture = QPicture();
    FData->Recorded = false;
    Changed();
}

void TMetafile::LoadFromStream(TStream* Stream) {
    const int64_t n = Stream->Size() - Stream->Position();
    QByteArray bytes(static_cast<qsizetype>(std::max<int64_t>(0, n)), '\0');
    if (n > 0) Stream->ReadBuffer(bytes.data(), n);
    QPicture p;
    p.setData(bytes.constData(), static_cast<uint>(bytes.size()));
    if (bytes.isEmpty() || p.isNull()) throw EInvalidGraphic("Invalid metafile");
    FData->Picture = p;
    FData->Recorded = true;
    Changed();
}

void TMetafile::SaveToStream(TStream* Stream) {
    const QByteArray bytes(FData->Picture.data(), static_cast<qsizetype>(FData->Picture.size()));
    if (!bytes.isEmpty()) Stream->WriteBuffer(bytes.constData(), bytes.size());
}

void TMetafile::Draw(TCanvas* ACanvas, const TRect& Rect) {
    if (Empty() || !ACanvas) return;
    QPainter* p = PrepareCanvas(ACanvas);
    if (!p) return;
    p->save();
    p->setRenderHint(QPainter::Antialiasing, true);
    p->setRenderHint(QPainter::TextAntialiasing, true);
    p->setRenderHint(QPainter::SmoothPixmapTransform, true);
    p->translate(Rect.Left, Rect.Top);
    p->scale(static_cast<qreal>(Rect.Width()) / FWidth, static_cast<qreal>(Rect.Height()) / FHeight);
    p->setClipRect(QRect(0, 0, FWidth, FHeight), Qt::IntersectClip);
    p->drawPicture(0, 0, FData->Picture);
    p->restore();
}

TMetafileCanvas::TMetafileCanvas(TMetafile* Metafile, int PixelsPerInch) : FMetafile(Metafile) {
    TMetafileData* d = Metafile->Data();
    d->Picture = QPicture();
    d->Recorder = std::make_unique<QPainter>(&d->Picture);
    Font()->SetPixelsPerInch(PixelsPerInch > 0 ? PixelsPerInch : 96);
    const QRect clip(0, 0, std::max(1, Metafile->Width()), std::max(1, Metafile->Height()));
    BindCanvas(this, d->Recorder.get(), QPoint(0, 0), &clip);
}

TMetafileCanvas::~TMetafileCanvas() {
    UnbindCanvas(this);
    TMetafileData* d = FMetafile->Data();
    if (d->Recorder) d->Recorder->end();
    d->Recorder.reset();
    d->Recorded = true;
}
