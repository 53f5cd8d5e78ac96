// The canvas on a bitmap: the platform's pixel rules, text, copies, colours,
// fonts and the drawing routines.
#include <gtest/gtest.h>

#include "platform/core/exceptions.h"
#include "platform/core/files.h"
#include "platform/core/streams.h"
#include "platform/ui/bitmaps.h"
#include "platform/ui/drawing.h"
#include "platform/ui/imagelist.h"
#include "support/environment.h"
#include "support/ui/ui_probes.h"

namespace {

// A white bitmap of the size.
std::unique_ptr<TBitmap> Blank(int w, int h) {
    auto b = std::make_unique<TBitmap>();
    b->SetSize(w, h);
    return b;
}

int CountColor(TBitmap* b, TColor c) {
    int n = 0;
    for (int y = 0; y < b->Height(); ++y)
        for (int x = 0; x < b->Width(); ++x)
            if (b->Canvas()->Pixels(x, y) == c) ++n;
    return n;
}

TEST(ColorTest, SystemColoursResolveToTheClassicScheme) {
    EXPECT_EQ(ColorToRGB(clRed), 0x0000FF);
    EXPECT_EQ(ColorToRGB(clWindow), 0xFFFFFF);
    EXPECT_EQ(ColorToRGB(clBtnFace), RGB(212, 208, 200));
    EXPECT_EQ(ColorToRGB(clHighlight), RGB(10, 36, 106));
    EXPECT_EQ(ColorToRGB(clCream), RGB(255, 251, 240));
    EXPECT_EQ(ColorToRGB(0x00F8FFC6), 0xF8FFC6);
    EXPECT_EQ(GetRValue(ColorToRGB(clRed)), 255);
}

TEST(ColorTest, NamesAndNumbersConvertBothWays) {
    EXPECT_EQ(ColorToString(clBtnFace), "clBtnFace");
    EXPECT_EQ(ColorToString(0x00F8FFC6), "$00F8FFC6");
    EXPECT_EQ(StringToColor("clcream"), clCream);
    EXPECT_EQ(StringToColor("$00F8FFC6"), 0x00F8FFC6);
    EXPECT_EQ(StringToColor(ColorToString(cl3DLight)), cl3DLight);
    EXPECT_THROW(StringToColor("sky"), EConvertError);
}

TEST(FontTest, SizeAndHeightFollowEachOther) {
    TFont f;
    EXPECT_EQ(f.Name(), "MS Sans Serif");
    EXPECT_EQ(f.Size(), 8);
    EXPECT_EQ(f.Height(), -11);
    f.SetSize(10);
    EXPECT_EQ(f.Height(), -13);
    f.SetHeight(-16);
    EXPECT_EQ(f.Size(), 12);
    int changes = 0;
    f.SetOnChange(TNotifyEvent([&](TObject*) { ++changes; }));
    f.SetStyle({fsBold});
    f.SetStyle({fsBold});
    EXPECT_EQ(changes, 1);
    TFont printer;
    printer.SetPixelsPerInch(600);
    printer.Assign(&f);  // keeps the point size on another device
    EXPECT_EQ(printer.Size(), 12);
    EXPECT_EQ(printer.Height(), -100);
}

TEST(CanvasTest, RectangleExcludesRightAndBottomEdges) {
    auto b = Blank(10, 10);
    TCanvas* c = b->Canvas();
    c->Pen()->SetColor(clBlack);
    c->Brush()->SetColor(clRed);
    c->Rectangle(1, 1, 5, 4);
    EXPECT_EQ(c->Pixels(1, 1), clBlack);
    EXPECT_EQ(c->Pixels(4, 3), clBlack);  // last pixel of the outline
    EXPECT_EQ(c->Pixels(5, 3), clWhite);  // right edge excluded
    EXPECT_EQ(c->Pixels(4, 4), clWhite);  // bottom edge excluded
    EXPECT_EQ(c->Pixels(2, 2), clRed);    // inside filled
    EXPECT_EQ(CountColor(b.get(), clRed), 2);
    EXPECT_EQ(CountColor(b.get(), clBlack), 10);
}

TEST(CanvasTest, FillAndFrameCoverExactlyTheRectangle) {
    auto b = Blank(10, 10);
    TCanvas* c = b->Canvas();
    c->Brush()->SetColor(clBlue);
    c->FillRect(Rect(2, 2, 6, 5));
    EXPECT_EQ(CountColor(b.get(), clBlue), 12);
    c->Brush()->SetColor(clLime);
    c->FrameRect(Rect(0, 0, 10, 10));
    EXPECT_EQ(CountColor(b.get(), clLime), 36);
    EXPECT_EQ(c->Pixels(1, 1), clWhite);
    // A clear brush fills nothing.
    c->Brush()->SetStyle(bsClear);
    c->FillRect(Rect(0, 0, 10, 10));
    EXPECT_EQ(CountColor(b.get(), clBlue), 12);
}

TEST(CanvasTest, LineToLeavesOutTheEndPointAndMovesThePen) {
    auto b = Blank(10, 10);
    TCanvas* c = b->Canvas();
    c->Pen()->SetColor(clBlack);
    c->MoveTo(1, 1);
    c->LineTo(6, 1);
    EXPECT_EQ(CountColor(b.get(), clBlack), 5);
    EXPECT_EQ(c->Pixels(6, 1), clWhite);
    EXPECT_EQ(c->PenPos(), (TPoint{6, 1}));
    c->LineTo(6, 6);  // continues from the pen position, down
    EXPECT_EQ(c->Pixels(6, 1), clBlack);
    EXPECT_EQ(c->Pixels(6, 6), clWhite);
    c->MoveTo(0, 9);
    c->LineTo(4, 5);  // a diagonal has one pixel per step
    EXPECT_EQ(c->Pixels(0, 9), clBlack);
    EXPECT_EQ(c->Pixels(3, 6), clBlack);
    EXPECT_EQ(c->Pixels(4, 5), clWhite);
}

TEST(CanvasTest, PenModeXorDrawnTwiceRestores) {
    auto b = Blank(8, 8);
    TCanvas* c = b->Canvas();
    c->Brush()->SetColor(clRed);
    c->FillRect(Rect(0, 0, 8, 4));
    c->Pen()->SetMode(pmNot);
    c->MoveTo(0, 2);
    c->LineTo(8, 2);
    EXPECT_EQ(c->Pixels(3, 2), RGB(0, 255, 255));  // red inverted
    EXPECT_EQ(c->Pixels(3, 1), clRed);
    c->MoveTo(0, 2);
    c->LineTo(8, 2);
    EXPECT_EQ(c->Pixels(3, 2), clRed);
}

TEST(CanvasTest, FocusRectangleTwiceLeavesNoTrace) {
    auto b = Blank(12, 12);
    TCanvas* c = b->Canvas();
    c->DrawFocusRect(Rect(1, 1, 11, 11));
    int dots = 0;  // every other pixel of the frame ring
    for (int y = 1; y < 11; ++y)
        for (int x = 1; x < 11; ++x)
            if ((x == 1 || x == 10 || y == 1 || y == 10) && ((x + y) & 1) == 0) ++dots;
    EXPECT_EQ(CountColor(b.get(), clBlack), dots);
    EXPECT_EQ(c->Pixels(1, 1), clBlack);
    EXPECT_EQ(c->Pixels(2, 1), clWhite);
    EXPECT_EQ(c->Pixels(5, 5), clWhite);  // inside untouched
    c->DrawFocusRect(Rect(1, 1, 11, 11));
    EXPECT_EQ(CountColor(b.get(), clWhite), 144);
}

TEST(CanvasTest, TextOutPaintsTheBrushBehindTheTextUnlessClear) {
    auto b = Blank(120, 30);
    TCanvas* c = b->Canvas();
    c->Font()->SetColor(clBlack);
    c->Brush()->SetColor(clYellow);
    const TSize size = c->TextExtent("Wg");
    EXPECT_GT(size.cx, 5);
    EXPECT_GT(size.cy, 8);
    c->TextOut(2, 2, "Wg");
    EXPECT_EQ(c->Pixels(2 + size.cx - 1, 2), clYellow);  // the cell's corner is background
    EXPECT_EQ(c->Pixels(2 + size.cx + 1, 2), clWhite);
    EXPECT_EQ(c->PenPos(), (TPoint{2 + size.cx, 2}));
    c->Brush()->SetStyle(bsClear);
    c->TextOut(60, 2, "Wg");
    EXPECT_EQ(
        CountColor(b.get(), clYellow), size.cx * size.cy - [&] {
            int dark = 0;
            for (int y = 2; y < 2 + size.cy; ++y)
                for (int x = 2; x < 2 + size.cx; ++x)
                    if (c->Pixels(x, y) != clYellow) ++dark;
            return dark;
        }());
    EXPECT_EQ(c->Pixels(60 + size.cx - 1, 2), clWhite);
}

TEST(CanvasTest, TextRectClipsToItsRectangle) {
    auto b = Blank(100, 20);
    TCanvas* c = b->Canvas();
    c->Brush()->SetColor(clAqua);
    c->TextRect(Rect(10, 0, 20, 20), 12, 2, "WWWWWWWW");
    EXPECT_EQ(c->Pixels(9, 5), clWhite);
    EXPECT_EQ(c->Pixels(25, 5), clWhite);  // the text ran on but was cut
    EXPECT_EQ(c->Pixels(10, 0), clAqua);
}

TEST(CanvasTest, CopyRectCombinesWithTheCopyMode) {
    auto src = Blank(4, 4);
    src->Canvas()->Brush()->SetColor(RGB(0, 255, 0));
    src->Canvas()->FillRect(Rect(0, 0, 4, 4));
    auto dst = Blank(8, 8);
    dst->Canvas()->Brush()->SetColor(RGB(255, 255, 0));  // yellow
    dst->Canvas()->FillRect(Rect(0, 0, 8, 8));
    dst->Canvas()->CopyRect(Rect(0, 0, 4, 4), src->Canvas(), Rect(0, 0, 4, 4));
    EXPECT_EQ(dst->Canvas()->Pixels(1, 1), RGB(0, 255, 0));
    dst->Canvas()->SetCopyMode(cmSrcAnd);
    dst->Canvas()->CopyRect(Rect(4, 4, 8, 8), src->Canvas(), Rect(0, 0, 4, 4));
    EXPECT_EQ(dst->Canvas()->Pixels(5, 5), RGB(0, 255, 0));  // yellow AND green
    dst->Canvas()->SetCopyMode(cmSrcInvert);
    dst->Canvas()->CopyRect(Rect(4, 0, 8, 4), src->Canvas(), Rect(0, 0, 4, 4));
    EXPECT_EQ(dst->Canvas()->Pixels(5, 1), RGB(255, 0, 0));  // yellow XOR green
    // Scaled: a 4 x 4 source fills 8 x 8.
    dst->Canvas()->SetCopyMode(cmSrcCopy);
    dst->Canvas()->CopyRect(Rect(0, 0, 8, 8), src->Canvas(), Rect(0, 0, 4, 4));
    EXPECT_EQ(CountColor(dst.get(), RGB(0, 255, 0)), 64);
}

TEST(CanvasTest, TransparentBitmapLeavesItsTransparentColourOut) {
    auto glyph = Blank(4, 4);
    glyph->Canvas()->Brush()->SetColor(clBlack);
    glyph->Canvas()->FillRect(Rect(1, 1, 3, 3));
    EXPECT_EQ(glyph->TransparentColor(), clWhite);  // the bottom-left pixel's
    glyph->SetTransparent(true);
    auto target = Blank(6, 6);
    target->Canvas()->Brush()->SetColor(clRed);
    target->Canvas()->FillRect(Rect(0, 0, 6, 6));
    target->Canvas()->Draw(1, 1, glyph.get());
    EXPECT_EQ(target->Canvas()->Pixels(1, 1), clRed);
    EXPECT_EQ(target->Canvas()->Pixels(2, 2), clBlack);
    glyph->SetTransparentColor(clBlack);  // now the other way round
    target->Canvas()->Draw(1, 1, glyph.get());
    EXPECT_EQ(target->Canvas()->Pixels(1, 1), clWhite);
    EXPECT_EQ(target->Canvas()->Pixels(2, 2), clBlack);
}

TEST(CanvasTest, StretchDrawWithSrcAndMasksTheTarget) {
    auto pattern = Blank(2, 2);
    pattern->Canvas()->SetPixels(0, 0, clBlack);
    auto target = Blank(10, 10);
    target->Canvas()->Brush()->SetColor(clBlue);
    target->Canvas()->FillRect(Rect(0, 0, 10, 10));
    target->Canvas()->SetCopyMode(SRCAND);
    target->Canvas()->StretchDraw(Rect(0, 0, 10, 10), pattern.get());
    EXPECT_EQ(target->Canvas()->Pixels(2, 2), clBlack);  // black AND blue
    EXPECT_EQ(target->Canvas()->Pixels(7, 7), clBlue);   // white AND blue
}

TEST(BitmapTest, ResizingKeepsThePixelsAndFillsNewOnesWhite) {
    auto b = Blank(3, 3);
    b->Canvas()->SetPixels(1, 1, clRed);
    b->SetWidth(6);
    EXPECT_EQ(b->Width(), 6);
    EXPECT_EQ(b->Canvas()->Pixels(1, 1), clRed);
    EXPECT_EQ(b->Canvas()->Pixels(5, 1), clWhite);
    b->SetSize(0, 0);
    EXPECT_TRUE(b->Empty());
    EXPECT_EQ(b->Canvas()->Pixels(0, 0), -1);
}

TEST(BitmapTest, StreamsRoundTripAndBadDataIsRejected) {
    auto b = Blank(5, 4);
    b->Canvas()->SetPixels(4, 3, clNavy);
    const std::string file = GetTempDir() + "taskmoor_ui_bitmap.bmp";
    b->SaveToFile(file);
    TBitmap loaded;
    loaded.LoadFromFile(file);
    EXPECT_EQ(loaded.Width(), 5);
    EXPECT_EQ(loaded.Canvas()->Pixels(4, 3), clNavy);
    DeleteFile(file);

    const std::string junk = GetTempDir() + "taskmoor_ui_junk.bmp";
    {
        TFileStream s(junk, fmCreate);
        s.WriteString("BMnot really a bitmap");
    }
    try {
        loaded.LoadFromFile(junk);
        FAIL() << "no error";
    } catch (const EInvalidGraphic& e) {
        EXPECT_EQ(e.Message(), "Bitmap image is not valid");
    }
    EXPECT_EQ(loaded.Width(), 5);  // unchanged
    DeleteFile(junk);
    EXPECT_THROW(loaded.LoadFromFile(GetTempDir() + "no_such_file.bmp"), EFOpenError);
}

// A picture saved to a full disk raises with the reason; the old picture stays.
TEST(BitmapTest, AFullDiskKeepsTheOldPicture) {
    const std::string file = TestRunPath("full_disk.bmp");
    auto b = Blank(5, 4);
    b->Canvas()->SetPixels(1, 1, clNavy);
    TPicture picture;
    picture.SetBitmap(b.get());
    picture.SaveToFile(file);
    const int64_t size = FileSize(file);
    picture.Bitmap()->SetSize(40, 30);
    SimulateWriteFailure(0);
    try {
        picture.SaveToFile(file);
        ADD_FAILURE() << "saved";
    } catch (const EFCreateError& e) {
        EXPECT_EQ(e.Message(), "Cannot create file \"" + file + "\". No space left on device");
    }
    ResetWriteFaults();
    EXPECT_EQ(FileSize(file), size);
    TBitmap loaded;
    loaded.LoadFromFile(file);
    EXPECT_EQ(loaded.Width(), 5);
    EXPECT_EQ(loaded.Canvas()->Pixels(1, 1), clNavy);
    DeleteFile(file);
}

const char* const kArrowXpm[] = {
    "4 3 2 1", "  c #FFFFFF", "X c #000000", "X   ", "XX  ", "XXX ",
};

TEST(BitmapTest, NamedResourcesLoadByAnyCase) {
    RegisterXpmResource("ODBGARROW", kArrowXpm);
    TBitmap b;
    b.LoadFromResourceName("odbgarrow");
    EXPECT_EQ(b.Width(), 4);
    EXPECT_EQ(b.Height(), 3);
    EXPECT_EQ(b.Canvas()->Pixels(0, 0), clBlack);
    EXPECT_EQ(b.Canvas()->Pixels(3, 0), clWhite);
    try {
        b.LoadFromResourceName("NOSUCHGLYPH");
        FAIL() << "no error";
    } catch (const EResNotFound& e) {
        EXPECT_EQ(e.Message(), "Resource NOSUCHGLYPH not found");
    }
}

TEST(ImageListTest, AddMaskedCutsAndDrawsTransparently) {
    TImageList list(nullptr);
    list.SetSize(4, 3);
    TBitmap strip;
    strip.SetSize(8, 3);
    strip.Canvas()->Brush()->SetColor(clSilver);
    strip.Canvas()->FillRect(Rect(0, 0, 8, 3));
    strip.Canvas()->SetPixels(0, 0, clRed);
    strip.Canvas()->SetPixels(5, 1, clBlue);
    EXPECT_EQ(list.AddMasked(&strip, clSilver), 0);
    EXPECT_EQ(list.Count(), 2);
    auto target = Blank(6, 6);
    list.Draw(target->Canvas(), 1, 1, 1);
    EXPECT_EQ(target->Canvas()->Pixels(2, 2), clBlue);
    EXPECT_EQ(target->Canvas()->Pixels(1, 1), clWhite);  // silver was transparent
    list.Draw(target->Canvas(), 0, 0, 7);                // no such image: nothing
    EXPECT_THROW(list.GetBitmap(2, &strip), EInvalidOperation);
    list.Draw(target->Canvas(), 1, 1, 0, false);  // greyed
    EXPECT_EQ(target->Canvas()->Pixels(1, 1), ColorToRGB(clBtnShadow));
}

TEST(DrawTextTest, CalcRectMeasuresSingleAndWrappedText) {
    auto b = Blank(10, 10);
    TCanvas* c = b->Canvas();
    const int line = c->TextHeight("Wg");
    TRect r = Rect(0, 0, 1000, 0);
    DrawText(c, "Hello", r, DT_CALCRECT | DT_SINGLELINE);
    EXPECT_EQ(r.Right, c->TextWidth("Hello"));
    EXPECT_EQ(r.Bottom, line);
    TRect wrapped = Rect(0, 0, c->TextWidth("one two") + 1, 0);
    const int h = DrawText(c, "one two three four", wrapped, DT_CALCRECT | DT_WORDBREAK);
    EXPECT_EQ(h, 3 * line);
    EXPECT_EQ(wrapped.Bottom, 3 * line);
    TRect lines = Rect(0, 0, 1000, 0);
    EXPECT_EQ(DrawText(c, "a\r\nb\nc", lines, DT_CALCRECT), 3 * line);
}

TEST(DrawTextTest, PrefixesAndEllipsis) {
    auto b = Blank(10, 10);
    TCanvas* c = b->Canvas();
    TRect r = Rect(0, 0, 1000, 0);
    DrawText(c, "&Print && go", r, DT_CALCRECT | DT_SINGLELINE);
    EXPECT_EQ(r.Right, c->TextWidth("Print & go"));
    r = Rect(0, 0, 1000, 0);
    DrawText(c, "&Print", r, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
    EXPECT_EQ(r.Right, c->TextWidth("&Print"));
    r = Rect(0, 0, c->TextWidth("Long te"), 0);
    DrawText(c, "Long text that does not fit", r, DT_CALCRECT | DT_SINGLELINE | DT_END_ELLIPSIS);
    EXPECT_LE(r.Right, c->TextWidth("Long te"));
}

TEST(DrawTextTest, AlignmentPlacesTheText) {
    auto b = Blank(100, 20);
    TCanvas* c = b->Canvas();
    c->Brush()->SetStyle(bsClear);
    c->Font()->SetColor(clBlack);
    TRect r = Rect(0, 0, 100, 20);
    DrawText(c, "III", r, DT_RIGHT | DT_SINGLELINE | DT_VCENTER);
    int leftmost = 100;
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 100; ++x)
            if (c->Pixels(x, y) != clWhite) leftmost = std::min(leftmost, x);
    EXPECT_GE(leftmost, 100 - c->TextWidth("III") - 1);
}

TEST(EdgeTest, RaisedAndSunkenEdgesUseTheShadowColours) {
    auto b = Blank(10, 10);
    TCanvas* c = b->Canvas();
    TRect r = Rect(0, 0, 10, 10);
    DrawEdge(c, r, EDGE_RAISED, BF_RECT | BF_ADJUST);
    EXPECT_EQ(r, Rect(2, 2, 8, 8));
    EXPECT_EQ(c->Pixels(0, 0), ColorToRGB(cl3DLight));
    EXPECT_EQ(c->Pixels(9, 9), ColorToRGB(cl3DDkShadow));
    EXPECT_EQ(c->Pixels(1, 1), ColorToRGB(clBtnHighlight));
    EXPECT_EQ(c->Pixels(8, 8), ColorToRGB(clBtnShadow));
    r = Rect(0, 0, 10, 10);
    DrawEdge(c, r, EDGE_SUNKEN, BF_RECT);
    EXPECT_EQ(c->Pixels(0, 0), ColorToRGB(clBtnShadow));
    EXPECT_EQ(c->Pixels(9, 9), ColorToRGB(clBtnHighlight));
    EXPECT_EQ(r, Rect(0, 0, 10, 10));  // without BF_ADJUST
    TRect f = Rect(0, 0, 10, 10);
    Frame3D(c, f, clRed, clBlue, 1);
    EXPECT_EQ(f, Rect(1, 1, 9, 9));
    EXPECT_EQ(c->Pixels(0, 5), clRed);
    EXPECT_EQ(c->Pixels(9, 5), clBlue);
}

TEST(FrameControlTest, CheckBoxShowsAMarkOnlyWhenChecked) {
    auto b = Blank(13, 13);
    TCanvas* c = b->Canvas();
    TRect r = Rect(0, 0, 13, 13);
    DrawFrameControl(c, r, DFC_BUTTON, DFCS_BUTTONCHECK);
    EXPECT_EQ(CountColor(b.get(), clBlack), 0);
    EXPECT_EQ(c->Pixels(6, 6), ColorToRGB(clWindow));
    // A white face in a dark frame, the same on every side.
    for (const TPoint p : {TPoint{0, 0}, TPoint{12, 12}, TPoint{0, 12}, TPoint{12, 0}})
        EXPECT_EQ(c->Pixels(p.X, p.Y), ColorToRGB(cl3DDkShadow));
    EXPECT_EQ(c->Pixels(1, 1), ColorToRGB(clWindow));
    EXPECT_EQ(c->Pixels(11, 11), ColorToRGB(clWindow));
    DrawFrameControl(c, r, DFC_BUTTON, DFCS_BUTTONCHECK | DFCS_CHECKED);
    EXPECT_GT(CountColor(b.get(), clBlack), 10);
    // Disabled: greyed box, grey mark.
    DrawFrameControl(c, r, DFC_BUTTON, DFCS_BUTTONCHECK | DFCS_INACTIVE);
    const int greyUnchecked = CountColor(b.get(), ColorToRGB(clGrayText));
    DrawFrameControl(c, r, DFC_BUTTON, DFCS_BUTTONCHECK | DFCS_CHECKED | DFCS_INACTIVE);
    EXPECT_EQ(CountColor(b.get(), clBlack), 0);
    EXPECT_GT(CountColor(b.get(), ColorToRGB(clGrayText)), greyUnchecked + 10);
    EXPECT_EQ(c->Pixels(2, 2), ColorToRGB(clBtnFace));
}

TEST(FrameControlTest, ScrollArrowPointsTheRightWay) {
    auto b = Blank(16, 16);
    TCanvas* c = b->Canvas();
    TRect r = Rect(0, 0, 16, 16);
    DrawFrameControl(c, r, DFC_SCROLL, DFCS_SCROLLDOWN);
    // A down arrow is wider at its top than at its bottom.
    auto width = [&](int y) {
        int n = 0;
        for (int x = 2; x < 14; ++x)
            if (c->Pixels(x, y) == ColorToRGB(clBtnText)) ++n;
        return n;
    };
    int top = -1, bottom = -1;
    for (int y = 2; y < 14; ++y)
        if (width(y) > 0) {
            if (top < 0) top = y;
            bottom = y;
        }
    ASSERT_GE(top, 0);
    EXPECT_GT(width(top), width(bottom));
    EXPECT_EQ(c->Pixels(0, 0), ColorToRGB(cl3DLight));
}

TEST(MetricsTest, ClassicSizes) {
    EXPECT_EQ(GetSystemMetrics(SM_CXVSCROLL), 16);
    EXPECT_EQ(GetSystemMetrics(SM_CXHTHUMB), 16);
    EXPECT_EQ(GetSystemMetrics(SM_CYBORDER), 1);
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), Screen->Width());
    EXPECT_EQ(GetSystemMetrics(9999), 0);
}

}  // namespace
