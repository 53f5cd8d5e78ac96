// The data-aware picture over a table with a graphic field: a readable
// image, bytes that are no image, an empty value, and the drawn result.
#include <gtest/gtest.h>
#include "support/environment.h"

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
    RenderControlToPng(img, TestRunPath("dbimage.png"));

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

namespace {

// A 24-bit bitmap header of the given size with only a row of pixel data.
std::string HugeBitmapBytes(int32_t Width, int32_t Height) {
    std::string b = "BM";
    auto put = [&b](uint32_t v, int n) {
        for (int i = 0; i < n; ++i) b += static_cast<char>((v >> (8 * i)) & 0xFF);
    };
    put(0, 4), put(0, 4), put(54, 4);
    put(40, 4), put(static_cast<uint32_t>(Width), 4), put(static_cast<uint32_t>(Height), 4);
    put(1, 2), put(24, 2), put(0, 4), put(0, 4), put(2835, 4), put(2835, 4), put(0, 4), put(0, 4);
    b += std::string(static_cast<std::size_t>(Width) * 3, '\x40');
    return b;
}

}  // namespace

TEST(DBImageTest, PicturesOfEnormousSizeAreRefused) {
    // 7000 x 7000 pixels would take some 200 MB however short the data.
    for (const std::string& bytes : {HugeBitmapBytes(7000, 7000), HugeBitmapBytes(40000, 2)}) {
        TBitmap bitmap;
        TStringStream s(bytes);
        EXPECT_THROW(bitmap.LoadFromStream(&s), EInvalidGraphic);
        EXPECT_TRUE(bitmap.Empty());
        TIcon icon;
        TStringStream t(bytes);
        EXPECT_THROW(icon.LoadFromStream(&t), EInvalidGraphic);
    }
    // A wide but small picture still reads.
    TBitmap wide;
    TStringStream w(HugeBitmapBytes(5000, 1));
    wide.LoadFromStream(&w);
    EXPECT_EQ(5000, wide.Width());
}

TEST(DBImageTest, PicturesCutShortAreRefused) {
    // Rows missing from a bitmap would show whatever memory held.
    const std::string whole = RedSquareBytes(16);
    for (std::size_t keep : {whole.size() - 1, std::size_t{80}, std::size_t{60}}) {
        SCOPED_TRACE(keep);
        TBitmap bitmap;
        TStringStream s(whole.substr(0, keep));
        EXPECT_THROW(bitmap.LoadFromStream(&s), EInvalidGraphic);
        TIcon icon;
        TStringStream t(whole.substr(0, keep));
        EXPECT_THROW(icon.LoadFromStream(&t), EInvalidGraphic);
    }
    TBitmap bitmap;
    TStringStream s(whole);
    bitmap.LoadFromStream(&s);
    EXPECT_EQ(clRed, bitmap.Canvas()->Pixels(15, 15));
}
