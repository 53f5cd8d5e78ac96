// The paragraph and tab dialogs of the rich edit, driven by real keys and
// clicks: their models' fill, checks and write-back, and OK on each dialog.
#include <gtest/gtest.h>

#include <string>

#include "platform/ui/forms.h"
#include "platform/ui/stdctrls.h"
#include "platform/ui/testing.h"
#include "suite/richtext/qzparadlg.h"
#include "suite/richtext/qzriched.h"
#include "suite/richtext/qztabsdlg.h"
#include "support/environment.h"
#include "support/suite/richtext/richform_fixture.h"

namespace {

// ---- Paragraph dialog model ------------------------------------------------------------------------

TEST_F(RichForm, ParagraphModelFillsAndGivesBackUntouchedValuesExactly) {
    Rtf("\\pard\\li1001\\fi-333\\ri517\\sb101\\sa77\\sl-301\\qj Text\\par");
    r->SetSelStart(1);
    const TRtfParaFormat before = r->Paragraph();
    TqzParagraphDialogModel m(r);
    m.Fill();
    EXPECT_EQ(m.Text(TqzParagraphDialogModel::eLeft), "0.7''");
    EXPECT_EQ(m.Text(TqzParagraphDialogModel::eFirstLine), "-0.23''");
    EXPECT_EQ(m.Rule(), lsrExactly);
    EXPECT_EQ(m.Alignment(), "Justify");
    EXPECT_EQ(m.Validate(), -1);
    EXPECT_TRUE(m.Untouched());
    m.WriteBack();
    EXPECT_EQ(r->Paragraph(), before);
    // one edit changed: the others keep their exact twips
    m.Text(TqzParagraphDialogModel::eRight) = "1";
    m.WriteBack();
    const TRtfParaFormat after = r->Paragraph();
    EXPECT_EQ(after.RightIndent, 1440);
    EXPECT_EQ(after.LeftIndent, 1001);
    EXPECT_EQ(after.FirstIndent, -333);
    EXPECT_EQ(after.SpaceBefore, 101);
    EXPECT_EQ(after.LineSpacing, -301);
    EXPECT_EQ(after.Alignment, TRtfAlign::Justify);
}

TEST_F(RichForm, ParagraphModelReopensFixedSpacingsAsMultiples) {
    Rtf("Text\\par");
    r->SetSelStart(1);
    const struct {
        int Rule;
        std::string At;
    } cases[] = {{lsrOneAndHalf, "1.5"}, {lsrDouble, "2"}};
    for (const auto& c : cases) {
        TqzParagraphDialogModel m(r);
        m.Fill();
        m.ChooseRule(c.Rule);
        m.WriteBack();
        TqzParagraphDialogModel again(r);
        again.Fill();
        EXPECT_EQ(again.Rule(), lsrMultiple) << c.At;
        EXPECT_EQ(again.Text(TqzParagraphDialogModel::eAt), c.At);
        // OK on the reopened dialog keeps the spacing
        const TRtfParaFormat before = r->Paragraph();
        again.WriteBack();
        EXPECT_EQ(r->Paragraph(), before);
    }
    TqzParagraphDialogModel single(r);
    single.Fill();
    single.ChooseRule(lsrSingle);
    single.WriteBack();
    TqzParagraphDialogModel back(r);
    back.Fill();
    EXPECT_EQ(back.Rule(), lsrSingle);
    EXPECT_EQ(back.Text(TqzParagraphDialogModel::eAt), "");
}

TEST_F(RichForm, ParagraphModelHangingFirstLineStopsAtTheMargin) {
    Rtf("\\pard Text\\par");
    TqzParagraphDialogModel m(r);
    m.Fill();
    m.Text(TqzParagraphDialogModel::eLeft) = "0.5";
    m.Text(TqzParagraphDialogModel::eFirstLine) = "-1";
    m.WriteBack();
    TRtfParaFormat p = r->Paragraph();
    EXPECT_EQ(p.LeftIndent, 720);  // the left indent is kept
    EXPECT_EQ(p.LeftIndent + p.FirstIndent, 0);
    m.Fill();
    m.Text(TqzParagraphDialogModel::eLeft) = "1";
    m.Text(TqzParagraphDialogModel::eFirstLine) = "-0.25";
    m.WriteBack();
    p = r->Paragraph();
    EXPECT_EQ(p.LeftIndent, 1440);
    EXPECT_EQ(p.FirstIndent, -360);
}

TEST_F(RichForm, ParagraphModelUnknownAlignmentKeepsTheParagraphs) {
    Rtf("\\pard\\qj Text\\par");
    TqzParagraphDialogModel m(r);
    m.Fill();
    m.Alignment() = "";  // the justify word was not offered
    m.Text(TqzParagraphDialogModel::eLeft) = "1";
    m.WriteBack();
    EXPECT_EQ(r->Paragraph().Alignment, TRtfAlign::Justify);
    EXPECT_EQ(r->Paragraph().LeftIndent, 1440);
}

TEST_F(RichForm, ParagraphModelValidatesLengthsAndSpacing) {
    Rtf("\\pard Text\\par");
    TqzParagraphDialogModel m(r);
    m.Fill();
    m.Text(TqzParagraphDialogModel::eRight) = "abc";
    EXPECT_EQ(m.Validate(), TqzParagraphDialogModel::eRight);
    m.Text(TqzParagraphDialogModel::eRight) = "22.1";  // beyond 31680 twips
    EXPECT_EQ(m.Validate(), TqzParagraphDialogModel::eRight);
    m.Text(TqzParagraphDialogModel::eRight) = "-22";
    EXPECT_EQ(m.Validate(), -1);
    m.ChooseRule(lsrExactly);
    EXPECT_EQ(m.Text(TqzParagraphDialogModel::eAt), "0.17''");
    m.Text(TqzParagraphDialogModel::eAt) = "0";
    EXPECT_EQ(m.Validate(), TqzParagraphDialogModel::eAt);
    m.ChooseRule(lsrMultiple);
    EXPECT_EQ(m.Text(TqzParagraphDialogModel::eAt), "1");
    m.Text(TqzParagraphDialogModel::eAt) = "-2";
    EXPECT_EQ(m.Validate(), TqzParagraphDialogModel::eAt);
    m.Text(TqzParagraphDialogModel::eAt) = "1.5";
    EXPECT_EQ(m.Validate(), -1);
    m.WriteBack();
    EXPECT_TRUE(r->Paragraph().LineSpacingMultiple);
    EXPECT_EQ(r->Paragraph().LineSpacing, 360);
    // typing into At under a fixed rule switches to Multiple
    m.ChooseRule(lsrSingle);
    m.AtTyped();
    EXPECT_EQ(m.Rule(), lsrMultiple);
    r->SetMeasurementUnits(muCentimeters);
    m.ChooseRule(lsrExactly);
    EXPECT_EQ(m.Text(TqzParagraphDialogModel::eAt), "0.42 cm");
}

TEST_F(RichForm, ParagraphDialogOkOnUntouchedValuesChangesNothing) {
    Rtf("\\pard\\li1001\\fi-333\\qj Text\\par");
    const std::string before = r->StreamOut(true, false);
    modal.Push([](TCustomForm* f) {
        auto* d = static_cast<TqzRichParagraphDialog*>(f);
        SendClick(d->OKBtn(), 5, 5);
    });
    EXPECT_TRUE(r->ShowParagraphDialog());
    EXPECT_EQ(r->StreamOut(true, false), before);
    // a bad value keeps the dialog open with the edit focused
    modal.Push([](TCustomForm* f) {
        auto* d = static_cast<TqzRichParagraphDialog*>(f);
        TEdit* e = d->Edit(TqzParagraphDialogModel::eLeft);
        e->SetFocus();
        e->SelectAll();
        SendText(e, "x");
        d->Edit(TqzParagraphDialogModel::eRight)->SetFocus();
        SendClick(d->OKBtn(), 5, 5);
        EXPECT_EQ(d->ModalResult(), mrNone);
        EXPECT_EQ(FocusedControl(), e);
        EXPECT_TRUE(RenderControlToPng(d, TestRunPath("richform_paragraph.png")));
        SendClick(d->CancelBtn(), 5, 5);
    });
    EXPECT_FALSE(r->ShowParagraphDialog());
    EXPECT_EQ(r->StreamOut(true, false), before);
}

// ---- Tab dialog model ----------------------------------------------------------------------------

TEST_F(RichForm, TabModelSetsClearsAndGivesBackUntouchedStops) {
    Rtf("\\pard\\tx1000\\tx2000 Text\\par");
    TqzTabDialogModel m(r);
    m.Fill();
    ASSERT_EQ(m.Stops().size(), 2u);
    EXPECT_EQ(m.Stops()[0].Text, "0.69''");
    m.WriteBack();
    EXPECT_EQ(r->Paragraph().Tabs[0].Position, 1000);
    EXPECT_EQ(m.Set("1"), TqzTabDialogModel::srAdded);
    EXPECT_EQ(m.Set("1"), TqzTabDialogModel::srIgnored);
    EXPECT_EQ(m.Set("1.0''"), TqzTabDialogModel::srIgnored);  // the same position
    EXPECT_EQ(m.Set("-1"), TqzTabDialogModel::srIgnored);
    EXPECT_EQ(m.Set("23"), TqzTabDialogModel::srIgnored);  // beyond 31680 twips
    EXPECT_EQ(m.Set("x"), TqzTabDialogModel::srIgnored);
    ASSERT_EQ(m.Stops().size(), 3u);
    EXPECT_EQ(m.Stops()[1].Twips, 1440);  // in order
    m.WriteBack();
    const auto& tabs = r->Paragraph().Tabs;
    ASSERT_EQ(tabs.size(), 3u);
    EXPECT_EQ(tabs[0].Position, 1000);
    EXPECT_EQ(tabs[2].Position, 2000);
    m.Clear({0, 2});
    EXPECT_EQ(m.Stops().size(), 1u);
    m.ClearAll();
    for (int i = 1; i <= 32; ++i) EXPECT_EQ(m.Set(std::to_string(i * 0.25)), TqzTabDialogModel::srAdded);
    EXPECT_EQ(m.Set("9"), TqzTabDialogModel::srFull);
}

TEST_F(RichForm, TabDialogOkRefusesANegativePosition) {
    Rtf("\\pard Text\\par");
    modal.Push([](TCustomForm* f) {
        auto* d = static_cast<TqzRichTabDialog*>(f);
        SendText(d->Edit1(), "1");
        SendKey(d->Edit1(), VK_RETURN);  // Set
        EXPECT_EQ(d->ListBox1()->Items()->Count(), 1);
        SendText(d->Edit1(), "-1");
        SendClick(d->OKButton(), 5, 5);
        EXPECT_EQ(d->ModalResult(), mrNone);
        EXPECT_EQ(FocusedControl(), d->Edit1());
        EXPECT_TRUE(RenderControlToPng(d, TestRunPath("richform_tabs.png")));
        d->Edit1()->SetText("");
        SendKey(d->Edit1(), VK_RETURN);  // empty: closes with OK
    });
    EXPECT_TRUE(r->ShowTabsDialog());
    ASSERT_EQ(r->Paragraph().Tabs.size(), 1u);
    EXPECT_EQ(r->Paragraph().Tabs[0].Position, 1440);
}

}  // namespace
