// The rich edit's commands: searching calls, character and paragraph
// formats, unit texts and highlight stripping.
#include <gtest/gtest.h>

#include <string>

#include "suite/richtext/qzriched.h"
#include "support/environment.h"
#include "support/suite/richtext/richedit_fixture.h"

namespace {

class RichFind : public richtext_test::RichEditFixture {};

TEST_F(RichFind, FindTextAndFindAndReplaceCalls) {
    Set("one two one");
    EXPECT_EQ(r->FindText("one", 1, -1, TqzSearchTypes{}), 8);
    EXPECT_EQ(r->FindText("ONE", 0, -1, TqzSearchTypes{stMatchCase}), -1);
    EXPECT_EQ(r->FindText("on", 0, -1, TqzSearchTypes{stWholeWord}), -1);
    EXPECT_EQ(r->FindTextBackward("one", 0, -1, TqzSearchTypes{}), 8);
    EXPECT_FALSE(r->Settings(0).AsBoolean());
    r->SetSelStart(1);
    EXPECT_TRUE(r->FindAndReplace("one", "three", TqzSearchTypes{}));
    EXPECT_EQ(r->Text(), "one two three");
    EXPECT_EQ(r->SelStart(), 13);
    EXPECT_FALSE(r->FindAndReplace("one", "x", TqzSearchTypes{}));
}

// ---- Formats ----------------------------------------------------------------------------------

TEST_F(RichFind, EffectsFontHighlightAndBullets) {
    Set("hello world");
    r->SetSelStart(0);
    r->SetSelLength(5);
    r->ToggleEffect(0, true);
    r->ToggleEffect(2, true);
    TRtfCharFormat f = r->SelAttributes();
    EXPECT_TRUE(f.Bold);
    EXPECT_TRUE(f.Underline);
    EXPECT_FALSE(f.Italic);
    r->ToggleEffect(0, false);
    EXPECT_FALSE(r->SelAttributes().Bold);
    EXPECT_TRUE(r->SelAttributes().Underline);  // only its own bit changes
    r->SetSelFont("Courier New", 14, clRed, TFontStyles{fsItalic});
    f = r->SelAttributes();
    EXPECT_EQ(f.FontName, "Courier New");
    EXPECT_EQ(f.Size, 28);
    EXPECT_TRUE(f.Italic);
    EXPECT_FALSE(f.Underline);
    EXPECT_EQ(f.Color, clRed);
    r->SetSelFont("Arial", 10, clNone, TFontStyles{});
    EXPECT_EQ(r->SelAttributes().Color, clRed);  // clNone: colour kept
    r->SetSelLength(5);
    r->SetHighlight(clYellow);
    EXPECT_EQ(r->SelLength(), 0);  // collapsed
    r->SetSelStart(1);
    EXPECT_EQ(r->GetHighlight(), clYellow);
    r->ToggleBullet(true);
    EXPECT_TRUE(r->Paragraph().Bullet);
    int offset, right, start;
    r->GetParaIndents(offset, right, start);
    EXPECT_EQ(offset, 720);
    r->ToggleBullet(false);
    EXPECT_FALSE(r->Paragraph().Bullet);
    const int tabs[] = {720, 1440};
    r->SetParaFormat({ppAlignment, ppTabStops, ppLineSpacing, ppSpaceAfter}, "Right", 2, 0, 120, 0, tabs, 2,
                     0, 0, 0, false);
    const TRtfParaFormat p = r->Paragraph();
    EXPECT_EQ(p.Alignment, TRtfAlign::Right);
    EXPECT_EQ(p.Tabs.size(), 2u);
    EXPECT_EQ(p.SpaceAfter, 120);
    EXPECT_EQ(p.LineSpacing, 480);
    r->SetParaFormat({ppAlignment}, "Center", 0, 0, 0, 0, nullptr, 0, 0, 0, 0, false);
    EXPECT_EQ(r->Paragraph().Alignment, TRtfAlign::Center);
}

TEST(RichHighlight, StripKeepsEscapedBackslashes) {
    EXPECT_EQ(qzStripHighlightRtf("{\\highlight3 a}"), "{a}");
    EXPECT_EQ(qzStripHighlightRtf("{\\b\\highlight12\\i a}"), "{\\b\\i a}");
    // an escaped backslash and the word: document text
    EXPECT_EQ(qzStripHighlightRtf("x \\\\highlight2 y"), "x \\\\highlight2 y");
    // two escaped backslashes, then a real control word
    EXPECT_EQ(qzStripHighlightRtf("\\\\\\\\\\highlight2 y"), "\\\\\\\\y");
    // three backslashes: an escaped one, then the control word
    EXPECT_EQ(qzStripHighlightRtf("\\\\\\highlight1 z"), "\\\\z");
    EXPECT_EQ(qzStripHighlightRtf("\\highlight"), "");
    EXPECT_EQ(qzStripHighlightRtf(""), "");
}

TEST_F(RichFind, StripHighlightOnTheSelectionKeepsTypedText) {
    Set("a \\highlight b");
    r->SetSelStart(0);
    r->SetSelLength(static_cast<int>(r->Text().size()));
    r->SetHighlight(clYellow);
    r->SelectAll();
    r->StripHighlight();
    EXPECT_EQ(r->Text(), "a \\highlight b");
    r->SetSelStart(0);
    r->SetSelLength(1);
    EXPECT_NE(r->SelAttributes().BackColor, clYellow);
}

TEST(RichUnits, TextsAndTwips) {
    TqzCustomRichEdit r(nullptr);
    EXPECT_EQ(r.UnitText(1.5), "1.5''");
    EXPECT_EQ(r.UnitTextToTwips("1.5''"), 2160);
    EXPECT_EQ(r.SnappedUnitText(0, 1.06), "1.125''");  // eighths, moved away from 0 first
    EXPECT_EQ(r.SnappedUnitText(0, -0.3), "-0.375''");
    EXPECT_DOUBLE_EQ(r.TwipsToUnits(1800), 1.25);
    r.SetMeasurementUnits(muCentimeters);
    EXPECT_EQ(r.UnitText(2.5), "2.5 cm");
    EXPECT_GT(r.UnitTextToTwips("2.54 cm"), 1440);  // 2.537 per inch
    EXPECT_EQ(r.UnitTextToTwips("2.537 cm"), 1440);
    EXPECT_EQ(r.UnitTextToTwips("2.537CM"), 1440);
    EXPECT_DOUBLE_EQ(r.TwipsToUnits(1440), 2.54);  // 2.537 rounded to two decimals
    EXPECT_EQ(r.SnappedUnitText(0, 1.0), "1 cm");
    EXPECT_EQ(r.SnappedUnitText(0, 1.04), "1.05 cm");
    EXPECT_EQ(r.UnitTextToTwips("junk"), 0);
    EXPECT_DOUBLE_EQ(qzCentimetersPerInch, 2.537);
}

}  // namespace
