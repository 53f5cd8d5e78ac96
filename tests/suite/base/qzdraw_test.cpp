// Painting routines drawn into bitmaps and checked by pixels, and the
// context routines on real forms.
#include <gtest/gtest.h>

#include "platform/ui/drawing.h"
#include "platform/ui/extctrls.h"
#include "platform/ui/forms.h"
#include "platform/ui/grids.h"
#include "platform/ui/themes.h"
#include "platform/ui/versions.h"
#include "platform/ui/window_services.h"
#include "suite/base/qzdraw.h"
#include "support/suite/suite_ui_support.h"
#include "support/ui/ui_probes.h"

namespace {

const TColor kFace = ColorToRGB(clBtnFace);
const TColor kShadow = ColorToRGB(clBtnShadow);

class QzDrawTest : public SuiteUiTest {
protected:
    void SetUp() override { WhiteBitmap(bmp, 40, 40); }
    TCanvas* C() { return bmp.Canvas(); }
    TBitmap bmp;
};

// ---- Ellipsis button ----------------------------------------------------------------------

// Where the three dots of a 16 x 16 button at (10, 10) lie: 2 pixels square,
// 4 apart, one pixel lower and further right while pressed.
TEST_F(QzDrawTest, SixteenPixelEllipsisHasTwoPixelDotsFourApartShiftedWhenPressed) {
    const TRect r = Bounds(10, 10, 16, 16);
    struct TCase {
        TButtonState State;
        int Left, Top;  // corner of the left dot
    } cases[] = {{bsUp, 13, 17}, {bsDown, 14, 18}};
    for (const TCase& k : cases) {
        WhiteBitmap(bmp, 40, 40);
        qzDrawEllipsisButton(C(), r, k.State, TControlState(), false, false);
        for (int dot = 0; dot < 3; ++dot) {
            const int x = k.Left + 4 * dot;
            for (int dy = 0; dy < 2; ++dy)
                for (int dx = 0; dx < 2; ++dx) EXPECT_EQ(Px(bmp, x + dx, k.Top + dy), clBlack) << dot;
            EXPECT_EQ(Px(bmp, x + 2, k.Top), kFace) << "gap after dot " << dot;
            EXPECT_EQ(Px(bmp, x, k.Top + 2), kFace) << "below dot " << dot;
        }
        EXPECT_EQ(Px(bmp, k.Left - 1, k.Top), kFace);
        EXPECT_EQ(MarksOutside(bmp, r), 0);
    }
    bmp.SaveToFile(PngPath("ellipsis_pressed"));
}

TEST_F(QzDrawTest, EllipsisEdgeIsRaisedUpAndFlatWhilePressedUnlessPaintingACopy) {
    const TRect r = Bounds(10, 10, 16, 16);
    qzDrawEllipsisButton(C(), r, bsUp, TControlState(), false, false);
    EXPECT_EQ(Px(bmp, 10, 10), ColorToRGB(cl3DLight));
    EXPECT_EQ(Px(bmp, 11, 11), ColorToRGB(clBtnHighlight));
    EXPECT_EQ(Px(bmp, 25, 25), ColorToRGB(cl3DDkShadow));

    qzDrawEllipsisButton(C(), r, bsDown, TControlState(), false, false);
    EXPECT_EQ(Px(bmp, 10, 10), kShadow);
    EXPECT_EQ(Px(bmp, 25, 25), kShadow);
    EXPECT_EQ(Px(bmp, 11, 11), kFace);

    // A copy painted for a grid keeps the raised edge, the dots still move.
    qzDrawEllipsisButton(C(), r, bsDown, TControlState{csPaintCopy}, false, false);
    EXPECT_EQ(Px(bmp, 10, 10), ColorToRGB(cl3DLight));
    EXPECT_EQ(Px(bmp, 14, 18), clBlack);
}

TEST_F(QzDrawTest, EllipsisNoEdgeAndNoFillLeaveTheBackground) {
    const TRect r = Bounds(10, 10, 16, 16);
    qzDrawEllipsisButton(C(), r, bsUp, TControlState(), true, true);
    EXPECT_EQ(Px(bmp, 10, 10), clWhite);
    EXPECT_EQ(Px(bmp, 12, 12), clWhite);
    EXPECT_EQ(Px(bmp, 17, 17), clBlack);
    WhiteBitmap(bmp, 40, 40);
    qzDrawEllipsisButton(C(), r, bsUp, TControlState(), true, false);  // edge, no fill
    EXPECT_EQ(Px(bmp, 10, 10), ColorToRGB(cl3DLight));
    EXPECT_EQ(Px(bmp, 15, 15), clWhite);
}

TEST_F(QzDrawTest, TrackingEllipsisShowsEdgeOnlyWhenHotOrDownAndGreysWhenDisabled) {
    const TRect r = Bounds(10, 10, 16, 16);
    qzDrawEllipsisButton(C(), r, true, false, true, false, 0);  // flat, not hot
    EXPECT_EQ(Px(bmp, 10, 10), kFace);
    EXPECT_EQ(Px(bmp, 17, 17), ColorToRGB(clBtnText));
    qzDrawEllipsisButton(C(), r, true, false, true, true, 0);  // flat and hot
    EXPECT_EQ(Px(bmp, 10, 10), ColorToRGB(clBtnHighlight));
    EXPECT_EQ(Px(bmp, 25, 25), kShadow);
    qzDrawEllipsisButton(C(), r, true, true, true, true, 0);  // down: dots move
    EXPECT_EQ(Px(bmp, 10, 10), kShadow);
    EXPECT_EQ(Px(bmp, 18, 18), ColorToRGB(clBtnText));
    EXPECT_EQ(Px(bmp, 17, 17), kFace);
    qzDrawEllipsisButton(C(), r, false, false, false, false, 0);  // disabled
    EXPECT_EQ(Px(bmp, 17, 17), kShadow);
    EXPECT_EQ(Px(bmp, 19, 19), ColorToRGB(clBtnHighlight));
    // Dots sized for an 8-pixel glyph: 1 pixel, 2 apart.
    WhiteBitmap(bmp, 40, 40);
    qzDrawEllipsisButton(C(), r, true, false, false, false, 8);
    EXPECT_EQ(Px(bmp, 17, 17), ColorToRGB(clBtnText));
    EXPECT_EQ(Px(bmp, 18, 17), kFace);
    EXPECT_EQ(Px(bmp, 15, 17), ColorToRGB(clBtnText));
    EXPECT_EQ(Px(bmp, 19, 17), ColorToRGB(clBtnText));
}

// ---- Drop-down arrow ----------------------------------------------------------------------

TEST_F(QzDrawTest, DropDownArrowPushedFlatWhenDownAndInactiveWhenDisabled) {
    const TRect r = Bounds(10, 10, 16, 16);
    qzDrawDropDownArrow(C(), r, bsUp, TControlState(), true);
    const TInk up = InkIn(bmp, Rect(12, 12, 24, 24));
    ASSERT_GT(up.Count, 0);
    EXPECT_EQ(Px(bmp, 10, 10), ColorToRGB(cl3DLight));

    WhiteBitmap(bmp, 40, 40);
    qzDrawDropDownArrow(C(), r, bsDown, TControlState(), true);
    EXPECT_EQ(Px(bmp, 10, 10), kShadow);  // flat
    EXPECT_EQ(Px(bmp, 25, 25), kShadow);
    EXPECT_EQ(InkIn(bmp, Rect(12, 12, 24, 24)).Count, up.Count);

    // Painting a copy, or a button that is up, draws the normal face.
    WhiteBitmap(bmp, 40, 40);
    qzDrawDropDownArrow(C(), r, bsDown, TControlState{csPaintCopy}, true);
    EXPECT_EQ(Px(bmp, 10, 10), ColorToRGB(cl3DLight));

    WhiteBitmap(bmp, 40, 40);
    qzDrawDropDownArrow(C(), r, bsDown, TControlState(), false);
    EXPECT_EQ(InkIn(bmp, Rect(12, 12, 24, 24)).Count, 0);
    EXPECT_EQ(Px(bmp, 10, 10), ColorToRGB(cl3DLight));
    bool greyArrow = false;
    for (int y = 12; y < 24; ++y)
        for (int x = 12; x < 24; ++x) greyArrow |= Px(bmp, x, y) == kShadow;
    EXPECT_TRUE(greyArrow);
}

TEST_F(QzDrawTest, ArrowOfAGivenWidthNarrowsRowByRow) {
    const TRect r = Bounds(10, 10, 16, 16);
    qzDrawDropDownArrow(C(), r, true, false, 7);
    // Rows of 7, 5, 3, 1 pixels from (14, 16) down.
    const TColor ink = ColorToRGB(clBtnText);
    for (int row = 0; row < 4; ++row) {
        EXPECT_EQ(Px(bmp, 14 + row - 1, 16 + row), kFace) << row;
        EXPECT_EQ(Px(bmp, 14 + row, 16 + row), ink) << row;
        EXPECT_EQ(Px(bmp, 14 + 6 - row, 16 + row), ink) << row;
        EXPECT_EQ(Px(bmp, 14 + 7 - row, 16 + row), kFace) << row;
    }
    EXPECT_EQ(Px(bmp, 17, 20), kFace);
    qzDrawDropDownArrow(C(), r, true, true, 7);
    EXPECT_EQ(Px(bmp, 15, 17), ink);
    EXPECT_EQ(Px(bmp, 14, 16), kFace);
}

// ---- Focus rectangle -------------------------------------------------------------------------

TEST_F(QzDrawTest, FocusRectOutlinesInHighlightAndRestoresTheCanvas) {
    const TRect r = Rect(5, 5, 25, 15);
    C()->Brush()->SetColor(clYellow);
    C()->Pen()->SetColor(clRed);
    C()->Font()->SetColor(clGreen);
    qzDrawFocusRect(C(), r);
    EXPECT_EQ(C()->Brush()->Style(), bsSolid);
    EXPECT_EQ(C()->Pen()->Color(), clRed);
    EXPECT_EQ(C()->Font()->Color(), clGreen);
    const TColor hl = ColorToRGB(clHighlight);
    const TColor inverted = (~hl) & 0xFFFFFF;
    int plain = 0, dotted = 0;
    for (int x = 5; x < 25; ++x)
        for (int y : {5, 14}) {
            const TColor c = Px(bmp, x, y);
            EXPECT_TRUE(c == hl || c == inverted) << x << "," << y;
            (c == hl ? plain : dotted)++;
        }
    EXPECT_GT(plain, 0);
    EXPECT_GT(dotted, 0);
    EXPECT_EQ(Px(bmp, 15, 10), clWhite);  // inside stays
    EXPECT_EQ(MarksOutside(bmp, r), 0);
}

// ---- Text in a rectangle ---------------------------------------------------------------

class QzTextRectTest : public QzDrawTest {
protected:
    void SetUp() override {
        WhiteBitmap(bmp, 160, 80);
        C()->Font()->SetColor(clBlack);
        C()->Brush()->SetColor(clYellow);
    }
    TInk Draw(const TRect& r, int options, TAlignment a, const std::string& text, int margin = 2) {
        WhiteBitmap(bmp, 160, 80);
        C()->Brush()->SetColor(clYellow);
        qzDrawTextRect(C(), r, margin, options, a, text, 1);
        return InkIn(bmp, r);
    }
};

TEST_F(QzTextRectTest, FillsUnlessAskedNotToAndDrawsTextWithoutItsOwnBackground) {
    const TRect r = Rect(10, 10, 150, 30);
    TInk ink = Draw(r, 0, taLeftJustify, "Milk");
    EXPECT_EQ(Px(bmp, 10, 10), ColorToRGB(clYellow));
    EXPECT_EQ(Px(bmp, 149, 29), ColorToRGB(clYellow));
    EXPECT_GT(ink.Count, 0);
    EXPECT_GE(ink.Box.Left, 12);  // the margin
    EXPECT_EQ(C()->Brush()->Style(), bsSolid);
    // Between the letters the fill shows: the text has no background box.
    int white = 0;
    for (int y = ink.Box.Top; y <= ink.Box.Bottom; ++y)
        for (int x = ink.Box.Left; x <= ink.Box.Right; ++x) white += Px(bmp, x, y) == clWhite;
    EXPECT_EQ(white, 0);

    ink = Draw(r, qzdtNoFill, taLeftJustify, "Milk");
    EXPECT_EQ(Px(bmp, 10, 10), clWhite);
    EXPECT_GT(ink.Count, 0);
    EXPECT_EQ(MarksOutside(bmp, r), 0);
}

TEST_F(QzTextRectTest, OptionBitsPrefixEllipsisWrapAndCentring) {
    const TRect wide = Rect(10, 10, 150, 30);
    // 1: "&" marks an accelerator instead of showing.
    const TInk literal = Draw(wide, 0, taLeftJustify, "&Save");
    const TInk prefixed = Draw(wide, qzdtShowPrefix, taLeftJustify, "&Save");
    EXPECT_LT(prefixed.Box.Right, literal.Box.Right);
    EXPECT_GT(prefixed.Box.Bottom, InkIn(bmp, wide).Box.Top);  // underline below the letters

    // 4: word wrap in a tall rectangle gives a second line; 2 keeps one line.
    const TRect tall = Rect(10, 5, 60, 75);
    const std::string words = "one two three four five";
    const TInk wrapped = Draw(tall, qzdtWordWrap, taLeftJustify, words);
    const TInk oneLine = Draw(tall, qzdtWordWrap | qzdtEllipsis, taLeftJustify, words);
    EXPECT_GT(wrapped.Box.Bottom - wrapped.Box.Top, 2 * (oneLine.Box.Bottom - oneLine.Box.Top));
    EXPECT_LE(oneLine.Box.Right, 59);
    const TInk cut = Draw(tall, 0, taLeftJustify, words);
    EXPECT_EQ(cut.Box.Bottom, oneLine.Box.Bottom);

    // 32: one line centred vertically.
    const TInk top = Draw(tall, 0, taLeftJustify, "Milk");
    const TInk centred = Draw(tall, qzdtSingleLineVC, taLeftJustify, "Milk");
    EXPECT_LT(top.Box.Top, 20);
    EXPECT_GT(centred.Box.Top, 30);
    EXPECT_LT(centred.Box.Bottom, 50);
    bmp.SaveToFile(PngPath("text_rect_centred"));
}

TEST_F(QzTextRectTest, AlignmentPlacesTheText) {
    const TRect r = Rect(10, 10, 150, 30);
    const TInk left = Draw(r, 0, taLeftJustify, "Milk", 5);
    const TInk right = Draw(r, 0, taRightJustify, "Milk", 5);
    const TInk centre = Draw(r, 0, taCenter, "Milk", 5);
    EXPECT_LE(left.Box.Left, 17);
    EXPECT_GE(right.Box.Right, 140);
    EXPECT_LE(right.Box.Right, 147);  // 2 pixels kept at the right
    const int mid = (centre.Box.Left + centre.Box.Right) / 2;
    EXPECT_NEAR(mid, 80, 4);
}

TEST_F(QzTextRectTest, SingleLineRectIsOneLinePlusThreeAndTheBorders) {
    TRect line = Rect(0, 0, 100, 0);
    const int h = DrawText(C(), " ", line, DT_CALCRECT);
    const int limit = h + 3 + 2 * GetSystemMetrics(SM_CYBORDER);
    EXPECT_TRUE(qzIsSingleLineRect(C(), Rect(0, 0, 100, limit), 0));
    EXPECT_FALSE(qzIsSingleLineRect(C(), Rect(0, 0, 100, limit + 1), 0));
    // Word wrap is dropped in a one-line rectangle: the words stay on one line.
    const TRect oneLine = Rect(10, 10, 40, 10 + limit);
    const TInk ink = Draw(oneLine, qzdtWordWrap, taLeftJustify, "one two three");
    EXPECT_LT(ink.Box.Bottom, oneLine.Bottom);
    EXPECT_GT(ink.Count, 0);
}

// ---- Fault: rectangles smaller than the margins or dots ------------------------------------

TEST_F(QzDrawTest, TinyAndInvertedRectanglesDrawNothingOutsideAndNeverFail) {
    const TRect rects[] = {Bounds(10, 10, 3, 3), Bounds(10, 10, 1, 1), Bounds(10, 10, 2, 30),
                           Rect(20, 20, 10, 10), Rect(10, 10, 10, 10)};
    for (const TRect& r : rects) {
        std::vector<std::function<void()>> draws = {
            [&] { qzDrawEllipsisButton(C(), r, bsUp, TControlState(), false, false); },
            [&] { qzDrawEllipsisButton(C(), r, bsDown, TControlState(), false, false); },
            [&] { qzDrawEllipsisButton(C(), r, false, true, true, true, 64); },
            [&] { qzDrawDropDownArrow(C(), r, bsDown, TControlState(), true); },
            [&] { qzDrawDropDownArrow(C(), r, false, true, 40); },
            [&] { qzDrawFocusRect(C(), r); },
            [&] { qzDrawTextRect(C(), r, 50, qzdtWordWrap, taLeftJustify, "A long text here", 30); },
            [&] { qzDrawTextRect(C(), r, 50, 0, taRightJustify, "Right", 0); },
            [&] { qzDrawTextRect(C(), r, 9, qzdtSingleLineVC, taCenter, "Centre", -5); },
        };
        for (size_t i = 0; i < draws.size(); ++i) {
            WhiteBitmap(bmp, 40, 40);
            EXPECT_NO_THROW(draws[i]());
            const TRect inside = IsRectEmpty(r) ? TRect{} : r;
            EXPECT_EQ(MarksOutside(bmp, inside), 0)
                << "routine " << i << " rect " << r.Left << "," << r.Top << "," << r.Right << "," << r.Bottom;
        }
    }
    EXPECT_NO_THROW(qzDrawEllipsisButton(nullptr, Bounds(0, 0, 16, 16), bsUp, TControlState(), false, false));
    EXPECT_NO_THROW(qzDrawTextRect(nullptr, Bounds(0, 0, 16, 16), 0, 0, taLeftJustify, "x", 0));
}

// ---- Themes -------------------------------------------------------------------------------------

// A panel that may publish DisableThemes.
class TThemePanel : public TPanel {
    TASKMOOR_CLASS(TThemePanel, TPanel)
public:
    using TPanel::TPanel;
    bool DisableThemes() const { return FDisableThemes; }
    void SetDisableThemes(bool Value) { FDisableThemes = Value; }
    static void Publish(TPublisher<TThemePanel>& p) {
        p.Property("DisableThemes", &TThemePanel::DisableThemes, &TThemePanel::SetDisableThemes);
    }

private:
    bool FDisableThemes = false;
};

class QzThemesTest : public SuiteUiTest {
protected:
    void TearDown() override {
        SetThemeServicesEnabled(false);
        ClearVersionOverrides();
    }
};

TEST_F(QzThemesTest, DisableThemesIsLookedForUpToTheGrandparent) {
    // -1: the level has no DisableThemes; 0 / 1 its value. Levels: control,
    // parent, grandparent, great-grandparent.
    struct TCase {
        int Levels[4];
        bool Themed;
    } cases[] = {
        {{-1, -1, -1, -1}, true}, {{1, -1, -1, -1}, false}, {{0, 1, 1, -1}, true},   {{-1, 0, 1, -1}, true},
        {{-1, -1, 1, -1}, false}, {{-1, 1, 0, -1}, false},  {{-1, -1, -1, 1}, true},
    };
    SetThemeServicesEnabled(true);
    for (const TCase& k : cases) {
        TShownForm f;
        TWinControl* parent = f.Form;
        TControl* chain[4] = {};
        for (int level = 3; level >= 0; --level) {
            TPanel* p = k.Levels[level] < 0 ? new TPanel(f.Form) : new TThemePanel(f.Form);
            if (auto* tp = dynamic_cast<TThemePanel*>(p)) tp->SetDisableThemes(k.Levels[level] == 1);
            p->SetParent(parent);
            parent = p;
            chain[level] = p;
        }
        EXPECT_EQ(qzUseThemes(chain[0]), k.Themed)
            << k.Levels[0] << " " << k.Levels[1] << " " << k.Levels[2] << " " << k.Levels[3];
    }
    SetThemeServicesEnabled(false);
    TShownForm f;
    auto* plain = new TPanel(f.Form);
    plain->SetParent(f.Form);
    EXPECT_FALSE(qzUseThemes(plain));
    EXPECT_FALSE(qzUseThemes(nullptr));
}

TEST_F(QzThemesTest, ThemedPushButtonFillsTheRectangleGrownByThree) {
    TBitmap bmp;
    WhiteBitmap(bmp, 60, 40);
    const TRect r = Rect(15, 10, 45, 30);
    for (bool pressed : {false, true}) {
        qzDrawThemedPushButton(pressed, !pressed, r, bmp.Canvas());
        EXPECT_NE(Px(bmp, 30, 20), clWhite);
        TRect grown = r;
        InflateRect(grown, 3, 3);
        EXPECT_EQ(MarksOutside(bmp, grown), 0);
    }
    bmp.SaveToFile(PngPath("themed_button"));
}

TEST_F(QzThemesTest, VersionTests) {
    EXPECT_TRUE(qzIsWinMajor6OrLater());
    EXPECT_TRUE(qzComCtlVersionAtLeast582());
    EXPECT_TRUE(qzComCtlVersionAtLeast471());
    struct TCase {
        int System, Major, Minor;  // Major < 0: no version resource
        bool Six, AtLeast582, AtLeast471;
    } cases[] = {
        {6, 5, 82, true, true, true},   {6, 5, 81, true, false, true},  {6, 6, 0, true, true, true},
        {6, 4, 90, true, false, true},  {6, -1, 0, true, false, true},  {5, 6, 0, false, false, true},
        {10, 5, 82, true, true, true},  {10, 5, 100, true, true, true}, {6, 4, 71, true, false, true},
        {6, 4, 70, true, false, false}, {5, 4, 0, false, false, false}, {6, 3, 80, true, false, false},
        {5, -1, 0, false, false, true}};
    for (const TCase& k : cases) {
        SetSystemVersionForTesting(k.System, 0);
        SetLibraryVersionForTesting("COMCTL32.DLL", k.Major, k.Minor);
        EXPECT_EQ(qzIsWinMajor6OrLater(), k.Six) << k.System;
        EXPECT_EQ(qzComCtlVersionAtLeast582(), k.AtLeast582) << k.Major << "." << k.Minor;
        EXPECT_EQ(qzComCtlVersionAtLeast471(), k.AtLeast471) << k.Major << "." << k.Minor;
    }
}

// ---- Context -----------------------------------------------------------------------------------

class TqzDataInspector : public TCustomControl {
    TASKMOOR_CLASS(TqzDataInspector, TCustomControl)
public:
    using TCustomControl::TCustomControl;
};
class TMyInspector : public TqzDataInspector {
    TASKMOOR_CLASS(TMyInspector, TqzDataInspector)
public:
    using TqzDataInspector::TqzDataInspector;
};

TEST_F(QzThemesTest, GridInspectorAndPaintCopyByClassName) {
    TShownForm f;
    auto* grid = new TDrawGrid(f.Form);
    grid->SetParent(f.Form);
    auto* inspector = new TMyInspector(f.Form);
    inspector->SetParent(f.Form);
    auto* inGrid = new TPanel(f.Form);
    inGrid->SetParent(grid);
    auto* inInspector = new TPanel(f.Form);
    inInspector->SetParent(inspector);
    auto* onForm = new TPanel(f.Form);
    onForm->SetParent(f.Form);

    EXPECT_TRUE(qzIsInGrid(inGrid));
    EXPECT_FALSE(qzIsInGrid(onForm));
    EXPECT_FALSE(qzIsInGrid(nullptr));
    EXPECT_TRUE(qzIsInInspector(inInspector));
    EXPECT_FALSE(qzIsInInspector(inGrid));
    EXPECT_FALSE(qzIsGridPaintCopy(inGrid));
    inGrid->SetControlState(TControlState{csPaintCopy});
    inInspector->SetControlState(TControlState{csPaintCopy});
    onForm->SetControlState(TControlState{csPaintCopy});
    EXPECT_TRUE(qzIsGridPaintCopy(inGrid));
    EXPECT_TRUE(qzIsInspectorPaintCopy(inInspector));
    EXPECT_FALSE(qzIsGridPaintCopy(onForm));
    EXPECT_TRUE(qzInPaintCopy(TControlState{csPaintCopy, csFocusing}));
    EXPECT_FALSE(qzInPaintCopy(TControlState{csFocusing}));
}

TEST_F(QzThemesTest, DesigningFollowsTheParentForm) {
    TShownForm f;
    auto* panel = new TPanel(f.Form);
    panel->SetParent(f.Form);
    auto* loose = new TPanel(f.Form);  // no parent: its own state counts
    EXPECT_FALSE(qzIsDesigning(panel));
    f.Form->SetDesigning(true, false);
    EXPECT_TRUE(qzIsDesigning(panel));
    EXPECT_FALSE(qzIsDesigning(loose));
    loose->SetDesigning(true);
    EXPECT_TRUE(qzIsDesigning(loose));
    f.Form->SetDesigning(false, false);
    panel->SetDesigning(true);
    EXPECT_FALSE(qzIsDesigning(panel));  // the form decides
    EXPECT_FALSE(qzIsDesigning(nullptr));
}

TEST_F(QzThemesTest, ChildOutsideClientRectLooksAtVisibleWindowedChildren) {
    TShownForm f;
    auto* host = new TPanel(f.Form);
    host->SetParent(f.Form);
    host->SetBounds(10, 10, 100, 60);
    auto* child = new TPanel(f.Form);
    child->SetParent(host);
    child->SetBounds(5, 5, 20, 20);
    EXPECT_FALSE(qzChildOutsideClientRect(host));
    child->SetBounds(-3, 5, 20, 20);
    EXPECT_TRUE(qzChildOutsideClientRect(host));
    child->SetVisible(false);
    EXPECT_FALSE(qzChildOutsideClientRect(host));
    auto* label = new TPaintBox(f.Form);  // not windowed
    label->SetParent(host);
    label->SetBounds(200, 5, 10, 10);
    EXPECT_FALSE(qzChildOutsideClientRect(host));
    child->SetVisible(true);
    child->SetBounds(5, host->ClientHeight(), 20, 20);  // just below
    EXPECT_TRUE(qzChildOutsideClientRect(host));
}

TEST_F(QzThemesTest, WindowStyleWorkAreaAndScaling) {
    TShownForm f;
    auto* panel = new TPanel(f.Form);
    panel->SetParent(f.Form);
    qzSetWindowStyle(panel);  // no window yet: nothing happens
    f.Show();
    panel->HandleNeeded();
    const uint32_t style = GetWindowLong(panel, GWL_STYLE);
    EXPECT_TRUE(style & WS_CHILD);
    SetWindowLong(panel, GWL_STYLE, style | WS_CLIPCHILDREN);
    qzSetWindowStyle(panel);
    EXPECT_EQ(GetWindowLong(panel, GWL_STYLE), style & ~WS_CLIPCHILDREN);
    qzSetWindowStyle(panel, WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN);
    EXPECT_EQ(GetWindowLong(panel, GWL_STYLE), WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN);

    TRect area;
    qzGetWorkArea(area);
    EXPECT_EQ(area, Screen->WorkAreaRect());
    EXPECT_FALSE(IsRectEmpty(area));
    EXPECT_EQ(qzRectWidth(Rect(3, 4, 13, 24)), 10);
    EXPECT_EQ(qzRectHeight(Rect(3, 4, 13, 24)), 20);
    EXPECT_EQ(qzScaleByPixelsPerInch(77, 96), 77);
    EXPECT_EQ(qzScaleByPixelsPerInch(77, 120), 96);
    EXPECT_EQ(qzScaleByPixelsPerInch(24, 144), 36);
}

// ---- Posted input ------------------------------------------------------------------------------

TEST_F(QzThemesTest, PostedKeyStrokeArrivesLaterWithItsModifier) {
    TShownForm f;
    auto* probe = new TProbe(f.Form, f.Form);
    f.Show();
    probe->SetFocus();
    qzPostKeyStroke(probe, 'A', VK_SHIFT);
    qzPostKeyStroke(probe, VK_DELETE, VK_CONTROL);
    qzPostKeyStroke(probe, 'B', 0);
    EXPECT_TRUE(probe->Keys.empty());  // posted, not sent
    ProcessEvents();
    ASSERT_EQ(probe->Keys.size(), 3u);
    EXPECT_EQ(probe->Keys[0], 'A');
    EXPECT_TRUE(probe->KeyShifts[0].Contains(ssShift));
    EXPECT_EQ(probe->Keys[1], VK_DELETE);
    EXPECT_TRUE(probe->KeyShifts[1].Contains(ssCtrl));
    EXPECT_EQ(probe->Keys[2], 'B');
    EXPECT_TRUE(probe->KeyShifts[2].Empty());
    ASSERT_EQ(probe->Chars.size(), 2u);
    EXPECT_EQ(probe->Chars[0], U'A');
    EXPECT_EQ(probe->Chars[1], U'b');
    EXPECT_EQ(std::count(probe->Log.begin(), probe->Log.end(), "KeyUp 65"), 1);
}

TEST_F(QzThemesTest, ReleaseLeftButtonFreesTheControlHoldingIt) {
    TShownForm f;
    auto* panel = new TPanel(f.Form);
    panel->SetParent(f.Form);
    panel->SetBounds(0, 0, 200, 150);
    auto* probe = new TProbe(f.Form, panel);
    probe->SetBounds(10, 10, 60, 30);
    f.Show();
    qzReleaseLeftButton();  // nothing held: nothing happens
    ProcessEvents();
    SendMouseDown(probe, mbLeft, 5, 5);
    ASSERT_TRUE(probe->ControlState().Contains(csLButtonDown));
    probe->Log.clear();
    qzReleaseLeftButton();
    ProcessEvents();
    EXPECT_FALSE(probe->ControlState().Contains(csLButtonDown));
    ASSERT_FALSE(probe->Log.empty());
    EXPECT_EQ(probe->Log[0].rfind("MouseUp 0", 0), 0u) << probe->Log[0];
}

}  // namespace
