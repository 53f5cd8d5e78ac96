// The rich edit's commands: find and replace through the dialogs, the popup
// menu, unit texts and highlight stripping.
#include <gtest/gtest.h>

#include <string>

#include "platform/ui/application.h"
#include "platform/ui/clipboard.h"
#include "platform/ui/find_dialogs.h"
#include "platform/ui/forms.h"
#include "platform/ui/menus.h"
#include "platform/ui/stdctrls.h"
#include "platform/ui/testing.h"
#include "suite/richtext/qzriched.h"
#include "support/environment.h"

namespace {

class RichFind : public ::testing::Test {
protected:
    TForm* form = new TForm(nullptr);
    TqzCustomRichEdit* r = new TqzCustomRichEdit(form);
    TTestDialogs boxes;
    RichFind() {
        form->SetBounds(10, 10, 400, 300);
        r->SetParent(form);
        r->SetBounds(0, 0, 380, 260);
        form->Show();
    }
    ~RichFind() override { delete form; }
    void Set(const std::string& text) { r->StreamIn(text, false, false); }
    // Types the text into the open dialog's find box and presses Enter.
    void FindWith(TFindDialog* d, const std::string& text) {
        d->FindEdit()->SelectAll();
        SendText(d->FindEdit(), text);
        SendKey(d->FindEdit(), VK_RETURN);
    }
    int NoMore() const {
        int n = 0;
        for (const auto& m : boxes.Messages()) n += m.Text == "No more matches found";
        return n;
    }
};

TEST_F(RichFind, FindsFromTheCaretWrapsAndStopsWhereTheDialogOpened) {
    Set("abc xx abc xx abc");
    r->SetSelStart(8);  // inside the second "abc"
    r->SetSelLength(0);
    r->ShowFindDialog();
    TFindDialog* d = r->FindDialog();
    ASSERT_TRUE(d->Showing());
    EXPECT_FALSE(r->HideSelection());
    FindWith(d, "abc");
    EXPECT_EQ(r->SelStart(), 14);  // after the caret
    EXPECT_EQ(r->SelLength(), 3);
    SendKey(d->FindEdit(), VK_RETURN);
    EXPECT_EQ(r->SelStart(), 0);  // wrapped to the start
    EXPECT_EQ(NoMore(), 0);
    SendKey(d->FindEdit(), VK_RETURN);
    EXPECT_EQ(r->SelStart(), 7);  // it starts before the opening point
    SendKey(d->FindEdit(), VK_RETURN);
    EXPECT_EQ(NoMore(), 1);  // 14 again would pass the opening point
    EXPECT_EQ(r->SelStart(), 7);
    EXPECT_EQ(r->LastFindText(), "abc");
    SendKey(d->FindEdit(), VK_ESCAPE);
    EXPECT_FALSE(d->Showing());
    EXPECT_TRUE(r->HideSelection());  // restored on closing
}

TEST_F(RichFind, AMatchAtTheCaretIsFoundAndASelectedMatchIsPassed) {
    Set("aXa");
    r->SetSelStart(0);
    r->ShowFindDialog();
    TFindDialog* d = r->FindDialog();
    FindWith(d, "a");
    EXPECT_EQ(r->SelStart(), 0);  // the match at the caret
    SendKey(d->FindEdit(), VK_RETURN);
    EXPECT_EQ(r->SelStart(), 2);  // past the selected match
    SendKey(d->FindEdit(), VK_RETURN);
    EXPECT_EQ(NoMore(), 1);  // each match once, no wrap back onto 0
    d->CloseDialog();
}

TEST_F(RichFind, SelectedTextBecomesTheFindTextUnlessItSpansLines) {
    Set("one two\nthree");
    r->SetLastFindText("zz");
    r->SetSelStart(4);
    r->SetSelLength(3);
    r->ShowFindDialog();
    EXPECT_EQ(r->FindDialog()->FindEdit()->Text(), "two");
    r->FindDialog()->CloseDialog();
    r->SetSelStart(4);
    r->SetSelLength(6);  // "two\nth"
    r->ShowFindDialog();
    EXPECT_EQ(r->FindDialog()->FindEdit()->Text(), "zz");
    r->FindDialog()->CloseDialog();
}

TEST_F(RichFind, ReplaceAllThroughTheDialog) {
    struct Case {
        const char *text, *from, *to, *result;
        int caret;
    } cases[] = {
        {"aaa", "a", "b", "bbb", 0},                      // a match at the caret is replaced too
        {"a a a", "a", "aa", "aa aa aa", 2},              // longer replacement, from the middle
        {"xa ya za", "a", "", "x y z", 4},                // shorter
        {"Cat cat CAT", "cat", "dog", "dog dog dog", 0},  // case ignored
    };
    for (const Case& c : cases) {
        boxes.Clear();
        Set(c.text);
        r->SetSelStart(c.caret);
        r->SetSelLength(0);
        r->ShowReplaceDialog();
        TReplaceDialog* d = r->ReplaceDialog();
        d->FindEdit()->SetText(c.from);
        d->ReplaceEdit()->SelectAll();
        SendText(d->ReplaceEdit(), c.to);
        if (std::string(c.to).empty()) d->ReplaceEdit()->SetText("");
        SendClick(d->ReplaceAllButton(), 5, 5);
        EXPECT_EQ(r->Text(), c.result) << c.text;
        EXPECT_EQ(NoMore(), 1) << c.text;  // and it stopped
        d->CloseDialog();
    }
}

TEST_F(RichFind, ReplaceStepByStepAndMatchCase) {
    Set("Ab ab AB");
    r->SetSelStart(0);
    r->ShowReplaceDialog();
    TReplaceDialog* d = r->ReplaceDialog();
    d->FindEdit()->SetText("ab");
    d->ReplaceEdit()->SetText("x");
    SendClick(d->MatchCaseCheck(), 3, 3);
    ASSERT_TRUE(d->MatchCaseCheck()->Checked());
    SendClick(d->ReplaceButton(), 5, 5);  // first press finds
    EXPECT_EQ(r->SelStart(), 3);
    EXPECT_EQ(r->Text(), "Ab ab AB");
    SendClick(d->ReplaceButton(), 5, 5);  // second replaces, then looks on
    EXPECT_EQ(r->Text(), "Ab x AB");
    EXPECT_EQ(NoMore(), 1);
    d->CloseDialog();
}

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

// ---- Popup menu -------------------------------------------------------------------------------

class RichPopup : public RichFind {
protected:
    TTestMenus menus;
    TTestClipboard clipboard;
    std::vector<std::string> Open(const std::string& answer = "") {
        menus.Answer(answer);
        r->RichPopupMenu()->Popup(20, 20);
        return menus.Opened().back();
    }
};

TEST_F(RichPopup, DefaultEntriesAndSeparators) {
    Set("some text");
    // the object entry is not built here (no embedded objects)
    EXPECT_EQ(Open(),
              (std::vector<std::string>{"&Edit", "-", "Cu&t", "&Copy", "&Paste", "-", "&Font",
                                        "&Bullet Style", "&Paragraph", "&Tabs", "-", "&Find", "R&eplace"}));
    r->SetPopupOptions(0xFFFF);
    EXPECT_EQ(Open(), (std::vector<std::string>{"&Edit", "-", "Cu&t", "&Copy", "&Paste", "-", "&Bold",
                                                "&Italic", "&Underline", "-", "&Font", "&Bullet Style",
                                                "&Paragraph", "&Tabs", "-", "&Find", "R&eplace"}));
}

TEST_F(RichPopup, ReadOnlyKeepsOnlyClipboardAndFind) {
    Set("some text");
    r->SetPopupOptions(0xFFFF);
    r->SetReadOnly(true);
    // the separator after Paste stands before Find, an option from Bold on
    EXPECT_EQ(Open(), (std::vector<std::string>{"&View", "-", "Cu&t", "&Copy", "&Paste", "-", "&Find"}));
    EXPECT_EQ(r->PopupEntry(1)->Caption(), "&View");
}

TEST_F(RichPopup, EnabledAndCheckedFollowTheSelection) {
    Set("some text");
    r->SetPopupOptions(0xFFFF);
    r->SetSelStart(0);
    r->SetSelLength(0);
    Open();
    EXPECT_FALSE(r->PopupEntry(3)->Enabled());  // nothing selected
    EXPECT_FALSE(r->PopupEntry(4)->Enabled());
    EXPECT_FALSE(r->PopupEntry(5)->Enabled());  // empty clipboard
    r->SetSelLength(4);
    Open("Bold");  // chosen: toggles bold
    EXPECT_TRUE(r->SelAttributes().Bold);
    ClipboardService().SetData({{CF_TEXT, "x"}});
    Open();
    EXPECT_TRUE(r->PopupEntry(7)->Checked());
    EXPECT_TRUE(r->PopupEntry(3)->Enabled());
    EXPECT_TRUE(r->PopupEntry(5)->Enabled());  // text on the clipboard
    r->SetReadOnly(true);
    Open();
    EXPECT_FALSE(r->PopupEntry(3)->Enabled());
    EXPECT_FALSE(r->PopupEntry(5)->Enabled());
    EXPECT_TRUE(r->PopupEntry(4)->Enabled());
    r->SetReadOnly(false);
    Open("Bullet Style");
    EXPECT_TRUE(r->Paragraph().Bullet);
    Open("Find");
    EXPECT_TRUE(r->FindDialog()->Showing());
    EXPECT_EQ(r->FindDialog()->FindEdit()->Text(), "some");
    r->FindDialog()->CloseDialog();
}

TEST_F(RichPopup, RendersToPng) {
    Set("some text");
    r->SelectAll();
    r->ShowReplaceDialog();
    EXPECT_TRUE(RenderControlToPng(r->ReplaceDialog()->Form(), TestRunPath("replace_dialog.png")));
    r->ReplaceDialog()->CloseDialog();
}

}  // namespace
