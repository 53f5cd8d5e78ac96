// The suite bitmap: row layout, the effects against pixels worked out by
// hand on small images, drawing (plain, transparent, stretched, tiled) and
// the raster operations of the platform canvas it draws with.
#include <gtest/gtest.h>

#include <vector>

#include "platform/core/files.h"
#include "platform/ui/application.h"
#include "platform/ui/bitmaps.h"
#include "platform/ui/graphics.h"
#include "suite/grid/qzbitmap.h"
#include "support/environment.h"

namespace {

class QzBitmapTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { InitializeApplication(0, nullptr); }
};

TqzRGBTriple Grey(int V) { return qzMakeTriple(V, V, V); }

// An image of one row of grey values.
void GreyRow(TqzBitmap& B, const std::vector<int>& Values) {
    B.SetSize(static_cast<int>(Values.size()), 1);
    for (size_t x = 0; x < Values.size(); ++x) B.SetPixel(static_cast<int>(x), 0, Grey(Values[x]));
}

std::vector<int> Blues(TqzBitmap& B, int Y = 0) {
    std::vector<int> v;
    for (int x = 0; x < B.Width(); ++x) v.push_back(B.Pixel(x, Y).Blue);
    return v;
}

struct Counter : TqzBitmapListener {
    int Count = 0;
    void BitmapChanged(TqzBitmap*) override { ++Count; }
};

TEST_F(QzBitmapTest, RowLayoutAndWhiteStart) {
    TqzBitmap b;
    EXPECT_TRUE(b.Empty());
    EXPECT_EQ(b.Bits(), nullptr);
    b.SetSize(5, 3);
    EXPECT_EQ(b.RowSize(), 16);
    EXPECT_EQ(b.RowPadding(), 1);
    EXPECT_EQ(b.ImageSize(), 48);
    EXPECT_EQ(b.Pixel(4, 2), Grey(255));
    // Rows are top-down: row 1 starts one row size after row 0.
    EXPECT_EQ(b.ScanLine(1) - b.ScanLine(0), 16);
    b.ScanLine(2)[0] = 7;  // blue of (0, 2)
    EXPECT_EQ(b.Pixel(0, 2).Blue, 7);
    for (int w : {1, 2, 3, 4, 6, 7}) {
        b.SetSize(w, 1);
        EXPECT_EQ(b.RowSize() % 4, 0) << w;
        EXPECT_EQ(b.RowSize(), 3 * w + w % 4);
    }
    b.SetSize(0, 4);
    EXPECT_TRUE(b.Empty());
}

TEST_F(QzBitmapTest, ToneTables) {
    TqzBitmap b;
    GreyRow(b, {0, 100, 200, 255});
    b.Lightness(0);
    EXPECT_EQ(Blues(b), (std::vector<int>{0, 100, 200, 255}));
    b.Lightness(128);  // i + (255 - i) * 128 div 256
    EXPECT_EQ(Blues(b), (std::vector<int>{127, 177, 227, 255}));
    GreyRow(b, {0, 100, 200, 255});
    b.Lightness(-64);  // i - 64 i div 256
    EXPECT_EQ(Blues(b), (std::vector<int>{0, 75, 150, 192}));

    GreyRow(b, {0, 100, 127, 128, 200});
    b.Contrast(256);
    EXPECT_EQ(Blues(b), (std::vector<int>{0, 72, 128, 128, 255}));
    GreyRow(b, {100, 200});
    b.Contrast(-128);  // 100 - (28 x -128) / 256 = 100 + 14; 200 + (72 x -128) / 256 = 200 - 36
    EXPECT_EQ(Blues(b), (std::vector<int>{114, 164}));

    GreyRow(b, {0, 1, 254});
    b.Invert();
    EXPECT_EQ(Blues(b), (std::vector<int>{255, 254, 1}));
}

TEST_F(QzBitmapTest, SaturationGreyAndChannels) {
    TqzBitmap b;
    b.SetSize(1, 1);
    const TqzRGBTriple p = qzMakeTriple(30, 60, 90);
    b.SetPixel(0, 0, p);
    b.Saturation(256);
    EXPECT_EQ(b.Pixel(0, 0), p);
    b.Saturation(0);  // 30/3 + 60/3 + 90/3
    EXPECT_EQ(b.Pixel(0, 0), Grey(60));
    b.SetPixel(0, 0, p);
    b.Saturation(512);  // 2c - 2 x 60 + 60
    EXPECT_EQ(b.Pixel(0, 0), qzMakeTriple(0, 60, 120));

    b.SetPixel(0, 0, qzMakeTriple(10, 11, 12));
    b.Grayscale();  // 3 + 3 + 4
    EXPECT_EQ(b.Pixel(0, 0), Grey(10));

    b.SetPixel(0, 0, qzMakeTriple(250, 10, 0));
    b.AdjustRGB(10, -20, 300);
    EXPECT_EQ(b.Pixel(0, 0), qzMakeTriple(255, 0, 255));
}

TEST_F(QzBitmapTest, ColorizeHalvesTiesToEven) {
    TqzBitmap b;
    b.SetSize(2, 1);
    b.SetPixel(0, 0, Grey(200));
    b.SetPixel(1, 0, Grey(100));
    // 255 / 2 = 127.5 -> 128; 1 / 2 = 0.5 -> 0; 5 / 2 = 2.5 -> 2.
    b.Colorize(255, 1, 5);
    EXPECT_EQ(b.Pixel(0, 0), qzMakeTriple(200, 72, 74));
    EXPECT_EQ(b.Pixel(1, 0), qzMakeTriple(100, 0, 0));
    // 3 / 2 = 1.5 -> 2; a negative amount is clamped to 0.
    b.SetPixel(0, 0, Grey(200));
    b.Colorize(3, -4, 600);
    EXPECT_EQ(b.Pixel(0, 0), qzMakeTriple(74, 72, 255));
    // The transparent colour is left alone.
    b.SetPixel(0, 0, Grey(200));
    b.SetPixel(1, 0, qzMakeTriple(1, 2, 3));
    b.SetTransparentColor(RGB(1, 2, 3));
    b.Colorize(128, 128, 128);
    EXPECT_EQ(b.Pixel(0, 0), Grey(136));
    EXPECT_EQ(b.Pixel(1, 0), qzMakeTriple(1, 2, 3));
}

TEST_F(QzBitmapTest, BlurReadsAlreadyBlurredNeighbours) {
    TqzBitmap b;
    GreyRow(b, {0, 100, 200});
    b.Blur(1);
    // (0+0+100+100)/4; (50+50+200+200)/4; (125+125+200+200)/4
    EXPECT_EQ(Blues(b), (std::vector<int>{50, 125, 162}));
    GreyRow(b, {0, 100, 200});
    b.SmoothBlur(0);
    EXPECT_EQ(Blues(b), (std::vector<int>{0, 100, 200}));
}

TEST_F(QzBitmapTest, SharpenInPlace) {
    TqzBitmap b;
    GreyRow(b, {80, 80, 80});
    b.Sharpen(1);
    EXPECT_EQ(Blues(b), (std::vector<int>{80, 80, 80}));
    GreyRow(b, {100, 200, 100});
    b.Sharpen(1);
    // N(0) = 5 x 100 + 3 x 200: (25600 - 17600) / 128 = 62;
    // N(1) = 3 x 62 + 2 x 200 + 3 x 100: 289 -> 255;
    // N(2) = 3 x 255 + 5 x 100: (25600 - 20240) / 128 = 41.
    EXPECT_EQ(Blues(b), (std::vector<int>{62, 255, 41}));
}

TEST_F(QzBitmapTest, EmbossPairsWithLowerRightNeighbour) {
    TqzBitmap b;
    b.SetSize(2, 2);
    b.SetPixel(0, 0, Grey(10));
    b.SetPixel(1, 0, Grey(20));
    b.SetPixel(0, 1, Grey(30));
    b.SetPixel(1, 1, Grey(40));
    b.Emboss();
    EXPECT_EQ(b.Pixel(0, 0), Grey(112));  // (215 + 10) / 2
    EXPECT_EQ(b.Pixel(1, 0), Grey(117));
    EXPECT_EQ(b.Pixel(0, 1), Grey(122));  // the last row pairs with the old last row
    EXPECT_EQ(b.Pixel(1, 1), Grey(127));
}

TEST_F(QzBitmapTest, FlipMaskReplaceSpray) {
    TqzBitmap b;
    b.SetSize(1, 3);
    for (int y = 0; y < 3; ++y) b.SetPixel(0, y, Grey(y + 1));
    b.Flip(false);
    EXPECT_EQ(b.Pixel(0, 0), Grey(3));
    EXPECT_EQ(b.Pixel(0, 1), Grey(2));
    EXPECT_EQ(b.Pixel(0, 2), Grey(1));
    GreyRow(b, {1, 2, 3});
    b.Flip(true);
    EXPECT_EQ(Blues(b), (std::vector<int>{3, 2, 1}));

    b.ReplaceColor(RGB(9, 9, 9), RGB(2, 2, 2));
    EXPECT_EQ(Blues(b), (std::vector<int>{3, 9, 1}));
    b.MakeMask(RGB(9, 9, 9));
    EXPECT_EQ(Blues(b), (std::vector<int>{255, 0, 255}));

    GreyRow(b, {5, 6, 7, 8});
    b.Spray(1);  // every offset is 0
    EXPECT_EQ(Blues(b), (std::vector<int>{5, 6, 7, 8}));
    b.Spray(3);
    for (int v : Blues(b)) EXPECT_TRUE(v >= 5 && v <= 8);
}

TEST_F(QzBitmapTest, RotateAboutTheMiddle) {
    TqzBitmap b;
    b.SetSize(2, 2);
    b.SetPixel(0, 0, Grey(1));  // A B
    b.SetPixel(1, 0, Grey(2));  // C D
    b.SetPixel(0, 1, Grey(3));
    b.SetPixel(1, 1, Grey(4));
    b.Rotate(TPoint{-1, -1}, 0);
    EXPECT_EQ(b.Pixel(0, 0), Grey(1));
    EXPECT_EQ(b.Pixel(1, 1), Grey(4));
    b.Rotate(TPoint{-1, -1}, 90);  // B D / A C
    EXPECT_EQ(b.Pixel(0, 0), Grey(2));
    EXPECT_EQ(b.Pixel(1, 0), Grey(4));
    EXPECT_EQ(b.Pixel(0, 1), Grey(1));
    EXPECT_EQ(b.Pixel(1, 1), Grey(3));
}

TEST_F(QzBitmapTest, WaveShiftsWrapsAndToleratesOnePixel) {
    TqzBitmap b;
    b.SetSize(4, 2);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 4; ++x) b.SetPixel(x, y, Grey(10 * (y + 1) + x));
    b.SaveBackup();
    b.Wave(false, 2, 0, 5);  // a period of 0 does nothing
    EXPECT_EQ(b.Pixel(3, 1), Grey(23));
    // Row 1 shifts by R(2 sin 1) = 2; columns by R(2 sin(x / 1000000)) = 0.
    b.Wave(false, 2, 1, 1000000);
    EXPECT_EQ(Blues(b, 0), (std::vector<int>{10, 11, 12, 13}));
    EXPECT_EQ(Blues(b, 1), (std::vector<int>{22, 23, 255, 255}));
    b.RestoreBackup();
    EXPECT_FALSE(b.HasBackup());
    b.Wave(true, 2, 1, 1000000);  // 4 -> 4 mod 3 = 1, 5 -> 2
    EXPECT_EQ(Blues(b, 1), (std::vector<int>{22, 23, 21, 22}));

    for (auto [w, h] : {std::pair{1, 3}, std::pair{3, 1}, std::pair{1, 1}}) {
        b.SetSize(w, h);
        b.Wave(true, 5, 1, 1);
        EXPECT_EQ(b.Pixel(0, 0), Grey(255));
    }
}

TEST_F(QzBitmapTest, ListenersBackupAndAssign) {
    TqzBitmap b;
    Counter c;
    b.AddListener(&c);
    b.SetSize(2, 2);
    const int afterSize = c.Count;
    EXPECT_GT(afterSize, 0);
    b.Invert();
    EXPECT_EQ(c.Count, afterSize + 1);
    b.RemoveListener(&c);
    b.Invert();
    EXPECT_EQ(c.Count, afterSize + 1);

    b.SetPixel(1, 1, qzMakeTriple(1, 2, 3));
    b.SaveBackup();
    b.Invert();
    b.RestoreBackup();
    EXPECT_EQ(b.Pixel(1, 1), qzMakeTriple(1, 2, 3));

    TBitmap platform;
    b.SetTransparent(true);
    platform.Assign(&b);
    ASSERT_EQ(platform.Width(), 2);
    EXPECT_EQ(platform.Canvas()->Pixels(1, 1), RGB(1, 2, 3));
    EXPECT_TRUE(platform.Transparent());
    platform.Canvas()->SetPixels(0, 0, RGB(200, 100, 50));
    TqzBitmap back;
    back.Assign(&platform);
    EXPECT_EQ(back.Pixel(0, 0), qzMakeTriple(200, 100, 50));
    EXPECT_TRUE(back.Transparent());
    TqzBitmap copy;
    copy.SetSmoothStretch(true);
    back.SetSmoothStretch(true);
    copy.Assign(&back);
    EXPECT_EQ(copy.Pixel(1, 1), qzMakeTriple(1, 2, 3));
    EXPECT_TRUE(copy.SmoothStretch());
    TqzBitmap empty;
    copy.Assign(&empty);
    EXPECT_TRUE(copy.Empty());
}

TEST_F(QzBitmapTest, CanvasDrawingReachesThePixels) {
    TqzBitmap b;
    b.SetSize(4, 4);
    b.Canvas()->Brush()->SetColor(RGB(10, 20, 30));
    b.Canvas()->FillRect(Rect(0, 0, 2, 2));
    EXPECT_EQ(b.Pixel(1, 1), qzMakeTriple(10, 20, 30));
    EXPECT_EQ(b.Pixel(2, 2), Grey(255));
    b.SetPixel(3, 3, Grey(0));
    EXPECT_EQ(b.Canvas()->Pixels(3, 3), RGB(0, 0, 0));
}

class DrawTarget : public QzBitmapTest {
protected:
    void SetUp() override {
        Target.SetSize(10, 10);
        Target.Canvas()->Brush()->SetColor(RGB(0, 0, 255));
        Target.Canvas()->FillRect(Rect(0, 0, 10, 10));
    }
    TColor At(int X, int Y) { return Target.Canvas()->Pixels(X, Y); }
    TBitmap Target;
};

TEST_F(DrawTarget, PlainTransparentAndEmptyTargets) {
    TqzBitmap b;
    b.SetSize(2, 2);
    b.SetPixel(0, 0, qzMakeTriple(1, 2, 3));
    b.SetPixel(1, 1, qzMakeTriple(4, 5, 6));
    b.Draw(Target.Canvas(), Rect(3, 3, 5, 5));
    EXPECT_EQ(At(3, 3), RGB(1, 2, 3));
    EXPECT_EQ(At(4, 4), RGB(4, 5, 6));
    EXPECT_EQ(At(4, 3), RGB(255, 255, 255));
    EXPECT_EQ(At(5, 5), RGB(0, 0, 255));

    // Transparent: the top-left pixel's colour is left out.
    b.SetTransparent(true);
    b.Draw(Target.Canvas(), Rect(6, 6, 8, 8));
    EXPECT_EQ(At(6, 6), RGB(0, 0, 255));
    EXPECT_EQ(At(7, 7), RGB(4, 5, 6));
    b.SetTransparentColor(clWhite);
    b.Draw(Target.Canvas(), Rect(0, 6, 2, 8));
    EXPECT_EQ(At(0, 6), RGB(1, 2, 3));
    EXPECT_EQ(At(1, 6), RGB(0, 0, 255));

    // Empty targets draw nothing, smooth or not.
    b.SetTransparent(false);
    b.SetSmoothStretch(true);
    b.SmoothStretchDraw(Target.Canvas(), Rect(2, 2, 2, 9));
    b.SmoothStretchDraw(Target.Canvas(), Rect(2, 2, 9, 2));
    b.Draw(Target.Canvas(), Rect(5, 5, 4, 4));
    EXPECT_EQ(At(2, 2), RGB(0, 0, 255));
    EXPECT_EQ(At(5, 5), RGB(0, 0, 255));
}

TEST_F(DrawTarget, SmoothStretchBilinear) {
    TqzBitmap b;
    GreyRow(b, {0, 255});
    b.SetSmoothStretch(true);
    // Steps of 32768 / 4: weights 0, 1/4, 1/2, 3/4 of the right pixel.
    b.Draw(Target.Canvas(), Rect(0, 0, 4, 2));
    EXPECT_EQ(At(0, 0), RGB(0, 0, 0));
    EXPECT_EQ(At(1, 0), RGB(63, 63, 63));
    EXPECT_EQ(At(2, 0), RGB(127, 127, 127));
    EXPECT_EQ(At(3, 1), RGB(191, 191, 191));
    // The fast stretch takes whole pixels.
    b.SetSmoothStretch(false);
    b.Draw(Target.Canvas(), Rect(0, 4, 4, 5));
    EXPECT_EQ(At(0, 4), RGB(0, 0, 0));
    EXPECT_EQ(At(1, 4), RGB(0, 0, 0));
    EXPECT_EQ(At(2, 4), RGB(255, 255, 255));
    EXPECT_EQ(At(3, 4), RGB(255, 255, 255));
}

TEST_F(DrawTarget, TileCoversTheRectangleOnly) {
    TqzBitmap b;
    GreyRow(b, {0, 200, 100});
    b.TileDraw(Target.Canvas(), Rect(1, 1, 8, 3));
    EXPECT_EQ(At(1, 1), RGB(0, 0, 0));
    EXPECT_EQ(At(4, 2), RGB(0, 0, 0));
    EXPECT_EQ(At(5, 1), RGB(200, 200, 200));
    EXPECT_EQ(At(7, 2), RGB(0, 0, 0));
    EXPECT_EQ(At(8, 1), RGB(0, 0, 255));
    EXPECT_EQ(At(0, 1), RGB(0, 0, 255));
    EXPECT_EQ(At(1, 3), RGB(0, 0, 255));
    TqzBitmap empty;
    empty.TileDraw(Target.Canvas(), Rect(0, 0, 10, 10));
    EXPECT_EQ(At(0, 0), RGB(0, 0, 255));
}

// The eight named raster operations of canvas copies, plain and stretched.
TEST_F(QzBitmapTest, RasterOperations) {
    const int S = RGB(0xF0, 0x0F, 0x55), D = RGB(0xCC, 0xAA, 0x33);
    struct Case {
        TCopyMode Mode;
        int Expected;
    };
    const int notS = ~S & 0xFFFFFF, notD = ~D & 0xFFFFFF;
    const Case cases[] = {{SRCCOPY, S},
                          {SRCAND, S & D},
                          {SRCPAINT, S | D},
                          {SRCINVERT, S ^ D},
                          {cmNotSrcCopy, notS},
                          {cmSrcErase, S & notD},
                          {cmNotSrcErase, notS & notD},
                          {cmMergePaint, notS | D}};
    TBitmap source;
    source.SetSize(1, 1);
    source.Canvas()->SetPixels(0, 0, S);
    for (const Case& c : cases) {
        TBitmap target;
        target.SetSize(3, 3);
        target.Canvas()->Brush()->SetColor(D);
        target.Canvas()->FillRect(Rect(0, 0, 3, 3));
        target.Canvas()->SetCopyMode(c.Mode);
        target.Canvas()->CopyRect(Rect(0, 0, 1, 1), source.Canvas(), Rect(0, 0, 1, 1));
        EXPECT_EQ(target.Canvas()->Pixels(0, 0), c.Expected) << std::hex << c.Mode;
        target.Canvas()->CopyRect(Rect(1, 1, 3, 3), source.Canvas(), Rect(0, 0, 1, 1));
        EXPECT_EQ(target.Canvas()->Pixels(2, 2), c.Expected) << "stretched " << std::hex << c.Mode;
        EXPECT_EQ(target.Canvas()->Pixels(1, 0), D);
    }
}

TEST_F(QzBitmapTest, EffectsPicture) {
    // A gradient through a few effects, side by side, for the eye.
    TBitmap sheet;
    sheet.SetSize(5 * 34, 34);
    const char* names[] = {"plain", "emboss", "colorize", "wave", "rotate"};
    for (int i = 0; i < 5; ++i) {
        TqzBitmap b;
        b.SetSize(32, 32);
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 32; ++x) b.SetPixel(x, y, qzMakeTriple(x * 8, y * 8, 128));
        switch (i) {
        case 1: b.Emboss(); break;
        case 2: b.Colorize(255, 0, 0); break;
        case 3: b.Wave(true, 3, 4, 6); break;
        case 4: b.Rotate(TPoint{-1, -1}, 30); break;
        default: break;
        }
        b.Draw(sheet.Canvas(), Bounds(i * 34 + 1, 1, 32, 32));
        EXPECT_FALSE(b.Empty()) << names[i];
    }
    sheet.SaveToFile(TestRunPath("taskmoor_qzbitmap_effects.png"));
    EXPECT_EQ(sheet.Canvas()->Pixels(1, 1), RGB(0, 0, 128));
}

}  // namespace
