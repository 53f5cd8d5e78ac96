// The paint options' setters, each repainting the grid, and the background canvas that
// fills the data cells.
#include "suite/grid/qzpaintoptions.h"

#include "platform/ui/grids.h"

TqzGridPaintOptions::TqzGridPaintOptions(TCustomGrid* Grid, TBitmap* Background)
    : FGrid(Grid), FBackgroundCanvasBitmap(Background), FBackgroundBitmap(std::make_unique<TPicture>()) {
    if (!FBackgroundCanvasBitmap) {
        FOwnBitmap = std::make_unique<TBitmap>();
        FBackgroundCanvasBitmap = FOwnBitmap.get();
    }
    // The picture's own change notice is not followed.
    FBackgroundBitmap->SetOnChange(TNotifyEvent([](TObject*) {}));
}

TqzGridPaintOptions::~TqzGridPaintOptions() = default;

void TqzGridPaintOptions::Touch(bool MarkChanged) {
    if (MarkChanged) FChanged = true;
    if (FGrid) FGrid->Invalidate();
}

void TqzGridPaintOptions::SetAlternatingRowRegions(TqzAlternatingRowRegions Value) {
    if (Value == FAlternatingRowRegions) return;
    FAlternatingRowRegions = Value;
    Touch(false);
}

void TqzGridPaintOptions::SetAlternatingRowColor(TColor Value) {
    if (Value == FAlternatingRowColor) return;
    FAlternatingRowColor = Value;
    Touch(true);
}

void TqzGridPaintOptions::SetActiveRecordColor(TColor Value) {
    if (Value == FActiveRecordColor) return;
    FActiveRecordColor = Value;
    Touch(true);
}

void TqzGridPaintOptions::SetBackgroundOptions(TqzBackgroundOptions Value) {
    if (Value == FBackgroundOptions) return;
    FBackgroundOptions = Value;
    Touch(true);
}

void TqzGridPaintOptions::SetBackgroundDrawStyle(TqzBackgroundDrawStyle Value) {
    if (Value == FBackgroundDrawStyle) return;
    FBackgroundDrawStyle = Value;
    Touch(true);
}

void TqzGridPaintOptions::SetBackgroundBitmap(TPicture* Value) {
    FBackgroundBitmap->Assign(Value);
    Touch(true);
}

TCanvas* TqzGridPaintOptions::BackgroundCanvas() { return FBackgroundCanvasBitmap->Canvas(); }

bool TqzGridPaintOptions::FillsDataCells() const {
    return FBackground && FBackgroundOptions.Contains(coFillDataCells);
}

bool TqzGridPaintOptions::HasPicture() const {
    TGraphic* g = FBackgroundBitmap->Graphic();
    return g && !g->Empty();
}

std::unique_ptr<TqzBitmap> TqzGridPaintOptions::Band(const TRect& R, TColor Color) {
    auto band = std::make_unique<TqzBitmap>();
    const int w = R.Right - R.Left, h = R.Bottom - R.Top;
    if (w <= 0 || h <= 0) return band;
    band->SetSize(w, h);
    TCanvas* c = band->Canvas();
    c->SetCopyMode(cmSrcCopy);
    c->CopyRect(Rect(0, 0, w, h), FBackgroundCanvasBitmap->Canvas(), R);
    if (Color != clNone) {
        const int32_t rgb = ColorToRGB(Color);
        band->Colorize(GetRValue(rgb), GetGValue(rgb), GetBValue(rgb));
    }
    return band;
}

void TqzGridPaintOptions::PrepareBackground(bool Force) {
    if (!Force && !FChanged) return;
    const int cw = FGrid ? FGrid->ClientWidth() : FBackgroundCanvasBitmap->Width();
    const int ch = FGrid ? FGrid->ClientHeight() : FBackgroundCanvasBitmap->Height();
    TGridDrawInfo di;
    if (FGrid) FGrid->CalcDrawInfo(di);
    FBackgroundCanvasBitmap->SetSize(cw, ch);
    TCanvas* canvas = FBackgroundCanvasBitmap->Canvas();
    canvas->Brush()->SetColor(clWhite);
    canvas->Brush()->SetStyle(bsSolid);
    canvas->FillRect(Rect(0, 0, cw, ch));
    const bool picture = HasPicture();
    if (picture && cw > 0 && ch > 0) {
        TGraphic* g = FBackgroundBitmap->Graphic();
        const int w = g->Width(), h = g->Height();
        switch (FBackgroundDrawStyle) {
        case bdsTile:
            // A picture without width or height has nothing to repeat.
            if (w > 0 && h > 0)
                for (int i = 0; i <= cw / w; ++i)
                    for (int j = 0; j <= ch / h; ++j) canvas->Draw(i * w, j * h, g);
            break;
        case bdsStretch: canvas->StretchDraw(Rect(0, 0, cw, ch), g); break;
        case bdsTopLeft: canvas->Draw(0, 0, g); break;
        case bdsCenter: canvas->Draw((cw - w) / 2, (ch - h) / 2, g); break;
        }
    }
    if (qzScreenBitsPerPixel() <= 8) {
        FBackground.reset();
        FActiveRecord.reset();
        FAlternatingRow.reset();
        FFixedRow.reset();
        FFixedColumn.reset();
        FChanged = false;
        return;
    }
    if (picture) {
        FBackground = std::make_unique<TqzBitmap>();
        FBackground->LoadFromPlatformBitmap(FBackgroundCanvasBitmap);
    } else {
        FBackground.reset();
    }
    // Bands: one data row below the fixed rows, the title row, the fixed columns.
    const int rowHeight = FGrid ? FGrid->DefaultRowHeight() : 0;
    const int dataTop = FGrid ? di.Vert.FixedBoundary : 0;
    const TRect rowBand = Rect(0, dataTop, cw, dataTop + rowHeight);
    const TColor fixedColor = FGrid ? FGrid->FixedColor() : clNone;
    if (FActiveRecordColor != clNone && picture && FBackgroundOptions.Contains(coBlendActiveRecord))
        FActiveRecord = Band(rowBand, FActiveRecordColor);
    else
        FActiveRecord.reset();
    if (FAlternatingRowColor != clNone && !FAlternatingRowRegions.Empty() && picture &&
        FBackgroundOptions.Contains(coBlendAlternatingRow))
        FAlternatingRow = Band(rowBand, FAlternatingRowColor);
    else
        FAlternatingRow.reset();
    if (FBackgroundOptions.Contains(coBlendFixedRow))
        FFixedRow = Band(Rect(0, 0, cw, FGrid ? di.Vert.FixedBoundary : 0), fixedColor);
    else
        FFixedRow.reset();
    if (FBackgroundOptions.Contains(coBlendFixedColumn))
        FFixedColumn = Band(Rect(0, 0, FGrid ? di.Horz.FixedBoundary : 0, ch), fixedColor);
    else
        FFixedColumn.reset();
    FChanged = false;
}

void TqzGridPaintOptions::Assign(TPersistent* Source) {
    if (auto* o = dynamic_cast<TqzGridPaintOptions*>(Source)) {
        SetAlternatingRowRegions(o->FAlternatingRowRegions);
        SetAlternatingRowColor(o->FAlternatingRowColor);
        SetActiveRecordColor(o->FActiveRecordColor);
        SetBackgroundOptions(o->FBackgroundOptions);
        SetBackgroundDrawStyle(o->FBackgroundDrawStyle);
        SetBackgroundBitmap(o->FBackgroundBitmap.get());
        FFastRecordScrolling = o->FFastRecordScrolling;
        return;
    }
    TPersistent::Assign(Source);
}

void TqzGridPaintOptions::Publish(TPublisher<TqzGridPaintOptions>& p) {
    using Self = TqzGridPaintOptions;
    p.Property("AlternatingRowColor", &Self::AlternatingRowColor, &Self::SetAlternatingRowColor)
        .SetTypeName("TColor");
    p.Property("ActiveRecordColor", &Self::ActiveRecordColor, &Self::SetActiveRecordColor)
        .SetTypeName("TColor");
    p.Property("BackgroundOptions", &Self::BackgroundOptions, &Self::SetBackgroundOptions);
    p.Property("BackgroundBitmap", &Self::BackgroundBitmap, &Self::SetBackgroundBitmap);
    p.Property("BackgroundDrawStyle", &Self::BackgroundDrawStyle, &Self::SetBackgroundDrawStyle);
    p.Property("AlternatingRowRegions", &Self::AlternatingRowRegions, &Self::SetAlternatingRowRegions);
    p.Property("FastRecordScrolling", &Self::FastRecordScrolling, &Self::SetFastRecordScrolling);
}
