// The combo button, its glyph images and the shared glyph lists.
#include <gtest/gtest.h>

#include "platform/core/files.h"
#include "platform/core/sysutils.h"
#include "platform/ui/forms.h"
#include "platform/ui/testing.h"
#include "platform/ui/themes.h"
#include "suite/edit/qzcombobutton.h"
#include "support/suite/glyph_pixels.h"

namespace {

std::string Png(const std::string& Name) { return GetTempDir() + "taskmoor_combobutton_" + Name + ".png"; }

// A glyph of Count images of Size x Size: each image olive with a black
// square, the second image also with white and grey pixels.
std::unique_ptr<TBitmap> MakeGlyph(int Width, int Height) {
    auto b = std::make_unique<TBitmap>();
    b->SetSize(Width, Height);
    b->Canvas()->Brush()->SetColor(clOlive);
    b->Canvas()->FillRect(Rect(0, 0, Width, Height));
    b->Canvas()->Brush()->SetColor(clBlack);
    for (int x = 0; x + Height <= Width; x += Height) b->Canvas()->FillRect(Rect(x + 4, 4, x + 10, 10));
    if (Width >= 2 * Height) {
        b->Canvas()->SetPixels(Height + 1, 1, clWhite);
        b->Canvas()->SetPixels(Height + 2, 1, clGray);
    }
    return b;
}

class ComboButtonTest : public ::testing::Test {
protected:
    void SetUp() override {
        Form.SetBounds(0, 0, 200, 120);
        Button = New();
        Form.Show();
        ActivateForm(&Form);
    }
    void TearDown() override { SetThemeServicesEnabled(false); }
    TqzComboButton* New() {
        auto* b = new TqzComboButton(&Form);
        b->SetParent(&Form);
        b->SetBounds(10 + 30 * Count++, 10, 22, 23);
        return b;
    }
    TForm Form{nullptr};
    TqzComboButton* Button = nullptr;
    int Count = 0;
};

TEST_F(ComboButtonTest, GlyphCountsComeFromTheBitmapSize) {
    struct Case {
        int Width, Height, Expected;
    } cases[] = {{64, 16, 4}, {80, 16, 1}, {32, 16, 2}, {20, 16, 2} /* not a multiple: kept */, {16, 16, 1}};
    for (const Case& c : cases) {
        auto g = MakeGlyph(c.Width, c.Height);
        Button->SetGlyph(g.get());
        EXPECT_EQ(Button->NumGlyphs(), c.Expected) << c.Width << "x" << c.Height;
    }
    Button->SetNumGlyphs(9);
    EXPECT_EQ(Button->NumGlyphs(), 4);
    for (int bad : {0, -1, -4}) {  // no count below 1: unchanged
        Button->SetNumGlyphs(bad);
        EXPECT_EQ(Button->NumGlyphs(), 4);
    }
    Button->SetMargin(-2);
    EXPECT_EQ(Button->Margin(), -1);
    Button->SetMargin(3);
    EXPECT_EQ(Button->Margin(), 3);
}

TEST_F(ComboButtonTest, PressedOneImageGlyphShowsTheUpImageAndTwoImagesGiveARecolouredDisabledImage) {
    auto one = MakeGlyph(16, 16);
    Button->SetGlyph(one.get());
    TqzComboButtonGlyph* g = Button->ButtonGlyph();
    const int up = g->CreateButtonGlyph(bsUp);
    EXPECT_EQ(g->CreateButtonGlyph(bsDown), up);
    EXPECT_EQ(g->Index(bsDown), -1);

    auto two = MakeGlyph(32, 16);
    Button->SetGlyph(two.get());
    ASSERT_EQ(Button->NumGlyphs(), 2);
    const int disabled = g->CreateButtonGlyph(bsDisabled);
    ASSERT_GE(disabled, 0);
    TBitmap image;
    g->GlyphList()->GetBitmap(disabled, &image);
    EXPECT_EQ(ColorToRGB(image.Canvas()->Pixels(1, 1)), ColorToRGB(clBtnHighlight));  // was white
    EXPECT_EQ(ColorToRGB(image.Canvas()->Pixels(2, 1)), ColorToRGB(clBtnShadow));     // was grey
    EXPECT_EQ(ColorToRGB(image.Canvas()->Pixels(5, 5)), ColorToRGB(clBlack));         // the second image
}

TEST_F(ComboButtonTest, OneImageDisabledGlyphIsEngraved) {
    auto one = MakeGlyph(16, 16);
    Button->SetGlyph(one.get());
    const int index = Button->ButtonGlyph()->CreateButtonGlyph(bsDisabled);
    TBitmap image;
    Button->ButtonGlyph()->GlyphList()->GetBitmap(index, &image);
    EXPECT_EQ(ColorToRGB(image.Canvas()->Pixels(5, 5)), ColorToRGB(clBtnShadow));
    EXPECT_EQ(ColorToRGB(image.Canvas()->Pixels(10, 10)), ColorToRGB(clBtnHighlight));  // offset by (1, 1)
}

TEST_F(ComboButtonTest, GlyphListsAreSharedBySizeAndFreedSlotsReused) {
    auto g16 = MakeGlyph(16, 16);
    auto* other = New();
    Button->SetGlyph(g16.get());
    other->SetGlyph(g16.get());
    const int a = Button->ButtonGlyph()->CreateButtonGlyph(bsUp);
    const int b = other->ButtonGlyph()->CreateButtonGlyph(bsUp);
    TGlyphList* list = Button->ButtonGlyph()->GlyphList();
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(other->ButtonGlyph()->GlyphList(), list);
    EXPECT_NE(a, b);
    EXPECT_EQ(list->Count(), 2);
    Button->ButtonGlyph()->Invalidate();  // slot a is free again
    EXPECT_EQ(list->Count(), 1);
    EXPECT_FALSE(list->Used(a));
    auto* third = New();
    third->SetGlyph(g16.get());
    EXPECT_EQ(third->ButtonGlyph()->CreateButtonGlyph(bsUp), a);
    const int images = static_cast<const TImageList*>(list)->TImageList::Count();
    EXPECT_EQ(images, 2);  // no new image
    auto g8 = MakeGlyph(8, 8);
    third->SetGlyph(g8.get());
    third->ButtonGlyph()->CreateButtonGlyph(bsUp);
    EXPECT_NE(third->ButtonGlyph()->GlyphList(), list);
    const int lists = GlyphCache()->ListCount();
    other->ButtonGlyph()->Invalidate();  // the 16-pixel list is empty now: freed
    EXPECT_EQ(GlyphCache()->ListCount(), lists - 1);
}

TEST_F(ComboButtonTest, GroupDownAndAllowAllUp) {
    Button->SetDown(true);  // no group: stays up
    EXPECT_FALSE(Button->Down());
    auto* b = New();
    Button->SetGroupIndex(1);
    b->SetGroupIndex(1);
    Button->SetDown(true);
    EXPECT_TRUE(Button->Down());
    EXPECT_EQ(Button->State(), bsExclusive);
    Button->SetDown(false);  // AllowAllUp False: stays down
    EXPECT_TRUE(Button->Down());
    SendClick(b, 5, 5);  // pressing another member releases it
    EXPECT_TRUE(b->Down());
    EXPECT_FALSE(Button->Down());
    EXPECT_EQ(Button->State(), bsUp);
    b->SetAllowAllUp(true);  // the group takes it
    EXPECT_TRUE(Button->AllowAllUp());
    SendClick(b, 5, 5);
    EXPECT_FALSE(b->Down());
}

TEST_F(ComboButtonTest, ReleaseOnTheBottomEdgeClicksOnTheRightEdgeNot) {
    int clicks = 0;
    Button->SetOnClick(TNotifyEvent([&](TObject*) { ++clicks; }));
    SendMouseDown(Button, mbLeft, 5, 5);
    EXPECT_EQ(Button->State(), bsDown);
    SendMouseUp(Button, mbLeft, 5, Button->ClientHeight());
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(Button->State(), bsUp);
    SendMouseDown(Button, mbLeft, 5, 5);
    SendMouseUp(Button, mbLeft, Button->ClientWidth(), 5);
    EXPECT_EQ(clicks, 1);
    SendMouseDown(Button, mbLeft, 5, 5);
    SendMouseMove(Button, 40, 5, {ssLeft});  // dragged out: up look
    EXPECT_EQ(Button->State(), bsUp);
    SendMouseMove(Button, 5, 5, {ssLeft});
    EXPECT_EQ(Button->State(), bsDown);
    SendMouseUp(Button, mbLeft, 5, 5);
    EXPECT_EQ(clicks, 2);
}

TEST_F(ComboButtonTest, ThemedEllipsisShowsThreeDotsOfSideOneOnASevenPixelButton) {
    SetThemeServicesEnabled(true);
    Button->SetEllipsis(true);
    Button->SetBounds(10, 10, 7, 16);
    TBitmap shot;
    RenderControl(Button, &shot);
    // Centre (7 div 2 - 1, 16 div 2 - 1) = (2, 7); dots at x 0, 2 and 4.
    for (int x : {0, 2, 4}) EXPECT_EQ(shot.Canvas()->Pixels(x, 7), clBlack) << x;
    EXPECT_NE(shot.Canvas()->Pixels(1, 7), clBlack);
    EXPECT_NE(shot.Canvas()->Pixels(2, 8), clBlack);
    EXPECT_TRUE(RenderControlToPng(Button, Png("themed_ellipsis")));
    Button->SetBounds(10, 10, 24, 16);  // side 24 div 8 = 3
    RenderControl(Button, &shot);
    EXPECT_EQ(shot.Canvas()->Pixels(11, 7), clBlack);
    EXPECT_EQ(shot.Canvas()->Pixels(13, 9), clBlack);
    EXPECT_EQ(shot.Canvas()->Pixels(5, 7), clBlack);  // 2 sides to the left
}

TEST_F(ComboButtonTest, ActionLinksCheckedAndGroupIndex) {
    TCustomAction action(nullptr);
    action.SetCaption("Go");
    action.SetGroupIndex(2);
    Button->SetAction(&action);
    EXPECT_EQ(Button->Caption(), "Go");
    EXPECT_EQ(Button->GroupIndex(), 2);
    Button->SetAllowAllUp(true);
    action.SetChecked(true);  // linked: Down follows
    EXPECT_TRUE(Button->Down());
    action.SetGroupIndex(3);
    EXPECT_EQ(Button->GroupIndex(), 3);
    int runs = 0;
    action.SetOnExecute(TNotifyEvent([&](TObject*) { ++runs; }));
    SendClick(Button, 5, 5);
    EXPECT_EQ(runs, 1);
    Button->SetAction(nullptr);
    EXPECT_EQ(action.LinkCount(), 0);
}

TEST_F(ComboButtonTest, EveryStateRendersToPng) {
    auto g = MakeGlyph(16, 16);
    struct Look {
        const char* Name;
        bool Flat, Enabled, Down, Hot, Themed;
    } looks[] = {
        {"up", false, true, false, false, false},        {"down", false, true, true, false, false},
        {"disabled", false, false, false, false, false}, {"flat", true, true, false, false, false},
        {"flat_hot", true, true, false, true, false},    {"themed_up", false, true, false, false, true},
        {"themed_hot", false, true, false, true, true},  {"themed_down", false, true, true, false, true}};
    for (const Look& l : looks) {
        SetThemeServicesEnabled(l.Themed);
        auto* b = New();
        b->SetGlyph(g.get());
        b->SetFlat(l.Flat);
        b->SetTransparent(false);
        b->SetEnabled(l.Enabled);
        if (l.Hot) b->Perform(CM_MOUSEENTER);
        if (l.Down) SendMouseDown(b, mbLeft, 5, 5);
        TBitmap shot;
        RenderControl(b, &shot);
        EXPECT_TRUE(RenderControlToPng(b, Png(l.Name))) << l.Name;
        if (l.Down) SendMouseUp(b, mbLeft, 50, 50);
        // The black square of the glyph: moved one pixel right and down when pressed.
        if (l.Enabled && !l.Themed) {
            const int x0 = (22 - 16 + 1) / 2 + 4 + (l.Down ? 1 : 0);
            EXPECT_EQ(shot.Canvas()->Pixels(x0 + (l.Flat ? 0 : 0), 12), clBlack) << l.Name;
        }
    }
}

// Every arrow bitmap of the suite, in every state of the button, classic
// and themed: the arrow in black (engraved when disabled), never olive.
TEST_F(ComboButtonTest, TheSuitesArrowGlyphsShowTheirShapeInEveryState) {
    struct Glyph {
        const char* Name;
        bool Up;
    } glyphs[] = {{"QZDROPDOWN", false}, {"qzSpinUp", true}, {"qzSpinDown", false}};
    struct Look {
        const char* Name;
        bool Flat, Enabled, Pressed, Exclusive, Hot, Themed;
    } looks[] = {{"up", false, true, false, false, false, false},
                 {"pressed", false, true, true, false, false, false},
                 {"exclusive", false, true, false, true, false, false},
                 {"disabled", false, false, false, false, false, false},
                 {"flat", true, true, false, false, false, false},
                 {"flat_hot", true, true, false, false, true, false},
                 {"flat_exclusive", true, true, false, true, false, false},
                 {"themed_up", false, true, false, false, false, true},
                 {"themed_pressed", false, true, true, false, false, true},
                 {"themed_disabled", false, false, false, false, false, true}};
    for (const Glyph& g : glyphs) {
        TBitmap bitmap;
        LoadComboButtonGlyph(&bitmap, g.Name);
        EXPECT_EQ(bitmap.TransparentColor(), clOlive) << g.Name;
        for (const Look& l : looks) {
            SetThemeServicesEnabled(l.Themed);
            auto* b = New();
            b->SetBounds(10, 10, 17, 12);
            b->SetGlyph(&bitmap);
            b->SetFlat(l.Flat);
            b->SetEnabled(l.Enabled);
            if (l.Exclusive) {
                b->SetGroupIndex(7);
                b->SetDown(true);
                ASSERT_EQ(b->State(), bsExclusive);
            }
            if (l.Hot) b->Perform(CM_MOUSEENTER);
            if (l.Pressed) SendMouseDown(b, mbLeft, 3, 3);
            const std::string name = std::string(g.Name) + "_" + l.Name;
            ExpectArrowGlyph(b, g.Up, name);
            EXPECT_TRUE(RenderControlToPng(b, Png("glyph_" + name))) << name;
            if (l.Pressed) SendMouseUp(b, mbLeft, 50, 50);
            delete b;
        }
    }
}

// One group of a speed button and combo buttons on one parent: pressing
// either kind raises the other, and AllowAllUp travels both ways.
TEST_F(ComboButtonTest, ASpeedButtonAndComboButtonsShareOneGroup) {
    auto* speed = new TSpeedButton(&Form);
    speed->SetParent(&Form);
    speed->SetBounds(150, 10, 22, 22);
    speed->SetGroupIndex(4);
    auto* other = New();
    Button->SetGroupIndex(4);
    other->SetGroupIndex(4);
    auto* stranger = New();  // another group keeps its state
    stranger->SetGroupIndex(5);
    stranger->SetDown(true);

    SendClick(speed, 5, 5);
    EXPECT_TRUE(speed->Down());
    SendClick(Button, 5, 5);
    EXPECT_TRUE(Button->Down());
    EXPECT_FALSE(speed->Down());
    EXPECT_EQ(speed->State(), bsUp);
    SendClick(speed, 5, 5);
    EXPECT_TRUE(speed->Down());
    EXPECT_FALSE(Button->Down());
    EXPECT_EQ(Button->State(), bsUp);
    other->SetDown(true);
    EXPECT_FALSE(speed->Down());
    EXPECT_TRUE(other->Down());
    EXPECT_TRUE(stranger->Down());

    speed->SetAllowAllUp(true);  // the group takes it from a speed button
    EXPECT_TRUE(Button->AllowAllUp());
    EXPECT_TRUE(other->AllowAllUp());
    EXPECT_FALSE(stranger->AllowAllUp());
    SendClick(other, 5, 5);  // and a down member comes up again
    EXPECT_FALSE(other->Down());
    Button->SetAllowAllUp(false);  // and from a combo button
    EXPECT_FALSE(speed->AllowAllUp());
    EXPECT_TRUE(RenderControlToPng(&Form, Png("mixed_group")));
}

}  // namespace
