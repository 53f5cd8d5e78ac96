// The grid's data link (field map growth, its limit and message) and the
// paint options (setters, background layout, blended bands).
#include "suite/grid/qzbitmap.h"
#include "support/suite/qzgrid_fixture.h"

namespace {

using QzLink = QzGridTest;

TEST_F(QzLink, FieldMapGrowsAndStopsAtItsLimit) {
    Open(1);
    Grid->SetDataSource(Source);
    TqzGridDataLink* link = Grid->DataLink();
    link->ClearMapping();
    EXPECT_EQ(link->FieldMapSize(), 0);
    EXPECT_FALSE(link->AddMapping("Nothing"));
    EXPECT_EQ(link->FieldCount(), 0);
    for (int i = 0; i < 9; ++i) ASSERT_TRUE(link->AddMapping("Name"));
    EXPECT_EQ(link->FieldMapSize(), 16);
    EXPECT_EQ(link->Fields(8)->FieldName(), "Name");
    EXPECT_EQ(link->Fields(9), nullptr);
    EXPECT_EQ(link->Fields(-1), nullptr);
    const int sizes[] = {32, 64, 128, 256, 512, 1024, 2048, 4096, 8192};
    int n = 9;
    for (int size : sizes) {
        while (n < size / 2 + 1) {
            link->AddMapping("Id");
            ++n;
        }
        EXPECT_EQ(link->FieldMapSize(), size) << n;
    }
    while (n < 8193) {
        link->AddMapping("Id");
        ++n;
    }
    EXPECT_EQ(link->FieldMapSize(), 16380);
    while (n < 16380) {
        link->AddMapping("Id");
        ++n;
    }
    EXPECT_RAISES(link->AddMapping("Nothing"), EInvalidGridOperation,
                  "Grid requested to display more than 256 columns");
    EXPECT_EQ(link->FieldCount(), 16380);
    link->ClearMapping();
    EXPECT_EQ(link->FieldMapSize(), 0);
}

TEST_F(QzLink, InactiveLinkShowsOneRow) {
    Show();
    EXPECT_FALSE(Grid->DataSetActive());
    EXPECT_EQ(Grid->RowCount(), 2);
    EXPECT_EQ(Grid->GetColField(0), nullptr);
    Open(4);
    EXPECT_TRUE(Grid->DataSetActive());
    EXPECT_EQ(Grid->RowCount(), 5);
    EXPECT_EQ(Grid->ColCount(), 6);
    Table->Close();
    EXPECT_EQ(Grid->RowCount(), 2);
}

using QzPaint = QzGridTest;

TEST_F(QzPaint, SettersMarkChangesOnlyForNewValues) {
    TqzGridPaintOptions* po = Grid->PaintOptions();
    po->PrepareBackground(true);
    EXPECT_FALSE(po->Changed());
    po->SetAlternatingRowColor(clNone);
    po->SetActiveRecordColor(clNone);
    po->SetBackgroundDrawStyle(bdsTile);
    po->SetBackgroundOptions({});
    EXPECT_FALSE(po->Changed());
    po->SetAlternatingRowRegions({arrDataColumns});
    EXPECT_FALSE(po->Changed());
    po->SetAlternatingRowColor(clYellow);
    EXPECT_TRUE(po->Changed());
    po->PrepareBackground(false);
    EXPECT_FALSE(po->Changed());
    // Without a picture nothing is prepared, whatever the options say.
    po->SetBackgroundOptions({coFillDataCells, coBlendAlternatingRow});
    po->PrepareBackground(false);
    EXPECT_FALSE(po->FillsDataCells());
    EXPECT_EQ(po->AlternatingRowImage(), nullptr);
}

TEST_F(QzPaint, BackgroundLayoutAndBands) {
    Open(3);
    Show();
    TqzGridPaintOptions* po = Grid->PaintOptions();
    TBitmap pic;
    pic.SetSize(10, 10);
    pic.Canvas()->Brush()->SetColor(RGB(100, 100, 100));
    pic.Canvas()->FillRect(Rect(0, 0, 10, 10));
    TPicture picture;
    picture.SetBitmap(&pic);
    po->SetBackgroundBitmap(&picture);
    po->SetBackgroundOptions({coFillDataCells, coBlendActiveRecord, coBlendAlternatingRow, coBlendFixedRow});
    po->SetActiveRecordColor(RGB(255, 0, 0));
    po->SetAlternatingRowColor(RGB(0, 0, 255));
    po->PrepareBackground(false);
    ASSERT_TRUE(po->FillsDataCells());
    TCanvas* bg = po->BackgroundCanvas();
    EXPECT_EQ(bg->Pixels(0, 0), RGB(100, 100, 100));
    EXPECT_EQ(bg->Pixels(Grid->ClientWidth() - 1, Grid->ClientHeight() - 1), RGB(100, 100, 100));
    ASSERT_NE(po->ActiveRecordImage(), nullptr);
    EXPECT_EQ(po->ActiveRecordImage()->Height(), Grid->DefaultRowHeight());
    // Colorize: 100 - 128 + 255 / 2 (127.5 -> 128) and 100 - 128 + 0.
    EXPECT_EQ(po->ActiveRecordImage()->Pixel(0, 0), qzMakeTriple(100, 0, 0));
    ASSERT_NE(po->AlternatingRowImage(), nullptr);
    EXPECT_EQ(po->AlternatingRowImage()->Pixel(3, 1), qzMakeTriple(0, 0, 100));
    ASSERT_NE(po->FixedRowImage(), nullptr);
    EXPECT_EQ(po->FixedRowImage()->Height(), Grid->RowHeights(0) + 1);
    EXPECT_EQ(po->FixedColumnImage(), nullptr);

    // Centred and larger than the grid: drawn at negative coordinates.
    pic.SetSize(Grid->ClientWidth() + 40, Grid->ClientHeight() + 20);
    pic.Canvas()->Brush()->SetColor(RGB(10, 20, 30));
    pic.Canvas()->FillRect(Rect(0, 0, pic.Width(), pic.Height()));
    pic.Canvas()->Brush()->SetColor(RGB(200, 0, 0));
    pic.Canvas()->FillRect(Rect(0, 0, 20, 10));  // cut off entirely
    picture.SetBitmap(&pic);
    po->SetBackgroundBitmap(&picture);
    po->SetBackgroundDrawStyle(bdsCenter);
    po->PrepareBackground(false);
    EXPECT_EQ(bg->Pixels(0, 0), RGB(10, 20, 30));

    // An 8-bit screen keeps no blended image.
    qzSetScreenBitsPerPixel(8);
    po->PrepareBackground(true);
    qzSetScreenBitsPerPixel(0);
    EXPECT_EQ(po->ActiveRecordImage(), nullptr);
    EXPECT_EQ(po->AlternatingRowImage(), nullptr);
    EXPECT_FALSE(po->FillsDataCells());
}

TEST_F(QzPaint, ZeroSizedPictureTilesNothing) {
    TqzGridPaintOptions po(nullptr, nullptr);
    TBitmap pic;
    pic.SetSize(0, 8);
    TPicture picture;
    picture.SetBitmap(&pic);
    po.SetBackgroundBitmap(&picture);
    po.PrepareBackground(true);
    EXPECT_FALSE(po.FillsDataCells());
}

}  // namespace
