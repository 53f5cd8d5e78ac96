// TqzGridPaintOptions: the grid's background picture and how it is laid out,
// the alternating-row and active-record colours and fast record scrolling.
// PrepareBackground lays the picture out on the grid's background bitmap
// once per change and keeps colour-blended copies of its bands for the
// grid's cell painting. clNone (0x1FFFFFFF) means that no colour is set.
#pragma once

#include <memory>

#include "platform/core/object.h"
#include "platform/ui/bitmaps.h"
#include "platform/ui/graphics.h"
#include "suite/grid/qzbitmap.h"

class TCustomGrid;

TASKMOOR_ENUM(TqzBackgroundOption, coFillDataCells, coBlendFixedRow, coBlendFixedColumn, coBlendActiveRecord,
              coBlendAlternatingRow)
using TqzBackgroundOptions = TSet<TqzBackgroundOption>;
TASKMOOR_ENUM(TqzBackgroundDrawStyle, bdsTile, bdsStretch, bdsTopLeft, bdsCenter)
TASKMOOR_ENUM(TqzAlternatingRowRegion, arrFixedColumns, arrDataColumns, arrActiveDataColumn)
using TqzAlternatingRowRegions = TSet<TqzAlternatingRowRegion>;

class TqzGridPaintOptions : public TPersistent {
    TASKMOOR_CLASS(TqzGridPaintOptions, TPersistent)
public:
    // Grid and Background may be nullptr (options without a grid).
    TqzGridPaintOptions(TCustomGrid* Grid, TBitmap* Background);
    ~TqzGridPaintOptions() override;

    TqzAlternatingRowRegions AlternatingRowRegions() const { return FAlternatingRowRegions; }
    virtual void SetAlternatingRowRegions(TqzAlternatingRowRegions Value);
    TColor AlternatingRowColor() const { return FAlternatingRowColor; }
    virtual void SetAlternatingRowColor(TColor Value);
    TColor ActiveRecordColor() const { return FActiveRecordColor; }
    virtual void SetActiveRecordColor(TColor Value);
    TqzBackgroundOptions BackgroundOptions() const { return FBackgroundOptions; }
    virtual void SetBackgroundOptions(TqzBackgroundOptions Value);
    TqzBackgroundDrawStyle BackgroundDrawStyle() const { return FBackgroundDrawStyle; }
    virtual void SetBackgroundDrawStyle(TqzBackgroundDrawStyle Value);
    TPicture* BackgroundBitmap() const { return FBackgroundBitmap.get(); }
    // Always copies the picture.
    virtual void SetBackgroundBitmap(TPicture* Value);
    bool FastRecordScrolling() const { return FFastRecordScrolling; }
    void SetFastRecordScrolling(bool Value) { FFastRecordScrolling = Value; }

    virtual TCanvas* BackgroundCanvas();
    // A prepared background exists and coFillDataCells is set.
    virtual bool FillsDataCells() const;
    // Lays the picture out and blends the bands when Force or a setter asked for it.
    void PrepareBackground(bool Force);
    bool Changed() const { return FChanged; }
    // The grid's size changed: the background is prepared again.
    void SizeChanged() { FChanged = true; }

    // The prepared images (nullptr when absent).
    TqzBitmap* PreparedBackground() const { return FBackground.get(); }
    TqzBitmap* ActiveRecordImage() const { return FActiveRecord.get(); }
    TqzBitmap* AlternatingRowImage() const { return FAlternatingRow.get(); }
    TqzBitmap* FixedRowImage() const { return FFixedRow.get(); }
    TqzBitmap* FixedColumnImage() const { return FFixedColumn.get(); }

    void Assign(TPersistent* Source) override;
    static void Publish(TPublisher<TqzGridPaintOptions>& p);

private:
    void Touch(bool MarkChanged);
    bool HasPicture() const;
    // A band of the laid-out background tinted with Color (clNone: untinted).
    std::unique_ptr<TqzBitmap> Band(const TRect& R, TColor Color);

    TCustomGrid* FGrid;
    TBitmap* FBackgroundCanvasBitmap;
    std::unique_ptr<TBitmap> FOwnBitmap;
    TqzAlternatingRowRegions FAlternatingRowRegions{arrFixedColumns, arrDataColumns, arrActiveDataColumn};
    TColor FAlternatingRowColor = clNone;
    TColor FActiveRecordColor = clNone;
    TqzBackgroundOptions FBackgroundOptions;
    TqzBackgroundDrawStyle FBackgroundDrawStyle = bdsTile;
    std::unique_ptr<TPicture> FBackgroundBitmap;
    bool FFastRecordScrolling = true;
    bool FChanged = false;
    std::unique_ptr<TqzBitmap> FBackground, FActiveRecord, FAlternatingRow, FFixedRow, FFixedColumn;
};
