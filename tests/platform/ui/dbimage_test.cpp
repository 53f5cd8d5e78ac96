// The data-aware picture over a table with a graphic field: a readable
// image, bytes that are no image, an empty value, and the drawn result.
#include <gtest/gtest.h>

#include <string>

#include "platform/core/streams.h"
#include "platform/db/datasource.h"
#include "platform/db/fielddefs.h"
#include "platform/db/fields.h"
#include "platform/db/fieldtypes.h"
#include "platform/ui/bitmaps.h"
#include "platform/ui/dbimage.h"
#include "platform/ui/testing.h"
#include "support/db/memory_dataset.h"
#include "support/ui/ui_probes.h"

namespace {

std::string RedSquareBytes(int Size) {
    TBitmap b;
    b.SetSize(Size, Size);
    b.Canvas()->Brush()->SetColor(clRed);
    b.Canvas()->FillRect(TRect{0, 0, Size, Size});
    TStringStream s;
    b.SaveToStream(&s);
    return s.DataString();
}

TEST(DBImageTest, ShowsTheFieldsPictureAndSurvivesBadBytes) {
    TShownForm f;
    auto* table = new TMemoryDataSet(f.Form);
    table->FieldDefs()->Add("Key", ftInteger);
    table->FieldDefs()->Add("Pic", ftGraphic);
    table->AddRow({"1", RedSquareBytes(20)});
    table->AddRow({"2", "no picture here"});
    table->AddRow({"3", ""});
    table->Open();
    auto* source = new TDataSource(f.Form);
    source->SetDataSet(table);
    table->First();

    auto* img = new TDBImage(f.Form);
    img->SetParent(f.Form);
    img->SetBounds(10, 10, 60, 60);
    img->SetDataSource(source);
    img->SetDataField("Pic");
    f.Show();
    ASSERT_NE(nullptr, img->Picture()->Graphic());
    EXPECT_EQ(20, img->Picture()->Width());
    EXPECT_FALSE(img->Invalid());
    TBitmap shot;
    RenderControl(img, &shot);
    EXPECT_EQ(clRed, shot.Canvas()->Pixels(30, 30));  // centred
    EXPECT_NE(clRed, shot.Canvas()->Pixels(12, 12));  // outside the picture
    img->SetStretch(true);
    RenderControl(img, &shot);
    EXPECT_EQ(clRed, shot.Canvas()->Pixels(3, 3));
    RenderControlToPng(img, "dbimage.png");

    // Bytes that are no image: an empty picture, the record unchanged.
    table->Next();
    EXPECT_TRUE(img->Invalid());
    EXPECT_EQ(nullptr, img->Picture()->Graphic());
    EXPECT_EQ("no picture here", table->FieldByName("Pic")->AsString());
    RenderControl(img, &shot);
    EXPECT_NE(clRed, shot.Canvas()->Pixels(30, 30));
    // No value.
    table->Next();
    EXPECT_FALSE(img->Invalid());
    EXPECT_EQ(nullptr, img->Picture()->Graphic());
    // Back to the picture; then the field goes away with the data source.
    table->First();
    EXPECT_EQ(20, img->Picture()->Height());
    delete source;
    EXPECT_EQ(nullptr, img->DataSource());
}

}  // namespace
