// Find and replace through the rich edit's dialogs, as a user types and
// clicks in them.
#include <gtest/gtest.h>

#include <string>

#include "platform/ui/find_dialogs.h"
#include "platform/ui/stdctrls.h"
#include "platform/ui/testing.h"
#include "suite/richtext/qzriched.h"
#include "suite/richtext/qzrichsearch.h"
#include "support/environment.h"
#include "support/suite/richtext/richedit_fixture.h"

namespace {

class RichSearch : public richtext_test::RichEditFixture {};

TEST_F(RichSearch, FindsFromTheCaretWrapsAndStopsWhereTheDialogOpened) {
    Set("abc xx abc xx abc");
    r->SetSelStart(8);  // inside the second "abc"
    r->SetSelLength(0);
    r->ShowFindDialog();
    TFindDialog* d = r->Search()->FindDialog();
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
    EXPECT_EQ(r->Search()->LastFindText(), "abc");
    SendKey(d->FindEdit(), VK_ESCAPE);
    EXPECT_FALSE(d->Showing());
    EXPECT_TRUE(r->HideSelection());  // restored on closing
}

TEST_F(RichSearch, AMatchAtTheCaretIsFoundAndASelectedMatchIsPassed) {
    Set("aXa");
    r->SetSelStart(0);
    r->ShowFindDialog();
    TFindDialog* d = r->Search()->FindDialog();
    FindWith(d, "a");
    EXPECT_EQ(r->SelStart(), 0);  // the match at the caret
    SendKey(d->FindEdit(), VK_RETURN);
    EXPECT_EQ(r->SelStart(), 2);  // past the selected match
    SendKey(d->FindEdit(), VK_RETURN);
    EXPECT_EQ(NoMore(), 1);  // each match once, no wrap back onto 0
    d->CloseDialog();
}

TEST_F(RichSearch, SelectedTextBecomesTheFindTextUnlessItSpansLines) {
    Set("one two\nthree");
    r->Search()->SetLastFindText("zz");
    r->SetSelStart(4);
    r->SetSelLength(3);
    r->ShowFindDialog();
    EXPECT_EQ(r->Search()->FindDialog()->FindEdit()->Text(), "two");
    r->Search()->FindDialog()->CloseDialog();
    r->SetSelStart(4);
    r->SetSelLength(6);  // "two\nth"
    r->ShowFindDialog();
    EXPECT_EQ(r->Search()->FindDialog()->FindEdit()->Text(), "zz");
    r->Search()->FindDialog()->CloseDialog();
}

TEST_F(RichSearch, ReplaceAllThroughTheDialog) {
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
        TReplaceDialog* d = r->Search()->ReplaceDialog();
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

TEST_F(RichSearch, ReplaceStepByStepAndMatchCase) {
    Set("Ab ab AB");
    r->SetSelStart(0);
    r->ShowReplaceDialog();
    TReplaceDialog* d = r->Search()->ReplaceDialog();
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

// A new word typed into the open dialog is looked for in the whole text,
// also before the last match; the same word again keeps its round.
TEST_F(RichSearch, ANewFindTextStartsANewRound) {
    Set("Öl und Äpfel. Grüße, grüße");
    r->SetSelStart(0);
    r->ShowFindDialog();
    TFindDialog* d = r->Search()->FindDialog();
    FindWith(d, "grüße");
    EXPECT_EQ(r->SelText(), "Grüße");
    const int first = r->SelStart();
    FindWith(d, "öl");
    EXPECT_EQ(NoMore(), 0);
    EXPECT_EQ(r->SelStart(), 0);
    EXPECT_EQ(r->SelText(), "Öl");
    FindWith(d, "äpfel");
    EXPECT_EQ(r->SelText(), "Äpfel");
    FindWith(d, "grüße");
    EXPECT_EQ(r->SelStart(), first);
    SendKey(d->FindEdit(), VK_RETURN);
    EXPECT_EQ(r->SelText(), "grüße");
    SendKey(d->FindEdit(), VK_RETURN);  // back where this word's round began
    EXPECT_EQ(NoMore(), 1);
    d->CloseDialog();
}

// A read-only rich edit is searched but not changed by the replace dialog.
TEST_F(RichSearch, AReadOnlyEditIsNotReplacedIn) {
    TBeepCounter beeps;
    Set("cat and cat");
    r->SetReadOnly(true);
    r->SetSelStart(0);
    r->ShowReplaceDialog();
    TReplaceDialog* d = r->Search()->ReplaceDialog();
    d->FindEdit()->SetText("cat");
    d->ReplaceEdit()->SetText("cow");
    SendClick(d->ReplaceAllButton(), 5, 5);
    EXPECT_EQ(r->Text(), "cat and cat");
    EXPECT_EQ(beeps.Count(), 1);
    SendClick(d->ReplaceButton(), 5, 5);
    EXPECT_EQ(r->Text(), "cat and cat");
    d->CloseDialog();
}

}  // namespace
