// A metafile: drawing recorded once and replayed scaled into any rectangle.
// TMetafileCanvas records on the metafile while it lives; its destruction
// ends the recording. Width and Height are the recorded frame in the
// recording's pixels (set before recording); Draw maps that frame onto the
// target rectangle.
#pragma once

#include <memory>

#include "platform/ui/bitmaps.h"
#include "platform/ui/graphics.h"

struct TMetafileData;

class TMetafile : public TGraphic {
    TASKMOOR_CLASS(TMetafile, TGraphic)
public:
    TMetafile();
    ~TMetafile() override;

    bool Empty() const override;
    int Width() const override { return FWidth; }
    int Height() const override { return FHeight; }
    void SetWidth(int Value) override { FWidth = Value; }
    void SetHeight(int Value) override { FHeight = Value; }
    // Drops the recording.
    void Clear();
    void LoadFromStream(TStream* Stream) override;
    void SaveToStream(TStream* Stream) override;
    void Draw(TCanvas* ACanvas, const TRect& Rect) override;

    TMetafileData* Data() const { return FData.get(); }
    // The resolution text is laid out at while recording: a recording meant
    // to match a device lays its text out at this resolution.
    static int RecordingPixelsPerInch();

private:
    std::unique_ptr<TMetafileData> FData;
    int FWidth = 0, FHeight = 0;
};

// Records on Metafile (replacing what it held); its font draws at
// PixelsPerInch (the resolution of the device the drawing is meant for).
class TMetafileCanvas : public TCanvas {
    TASKMOOR_CLASS(TMetafileCanvas, TCanvas)
public:
    TMetafileCanvas(TMetafile* Metafile, int PixelsPerInch);
    ~TMetafileCanvas() override;

private:
    TMetafile* FMetafile;
};
