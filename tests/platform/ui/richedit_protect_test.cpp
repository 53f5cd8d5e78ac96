// Protected text in the rich edit: typing, deleting, pasting, cutting and
// format changes that touch it ask OnProtectChange, and go on only when it
// allows them.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "platform/ui/application.h"
#include "platform/ui/clipboard.h"
#include "platform/ui/richedit.h"
#include "platform/ui/testing.h"
#include "support/ui/rich_edit_qt.h"

namespace {

// "open " 0-4, "locked" 5-10 (protected), " free" 11-15
const char* const kRtf = "{\\rtf1\\ansi open {\\protect locked} free\\par}";

class RichEditProtectTest : public TRichEditOnFormTest {
protected:
    void SetUp() override {
        Place(300, 80);
        f.Show();
        ASSERT_TRUE(r->StreamIn(kRtf, true, false));
        r->SetFocus();
        r->SetOnProtectChange([this](TObject* Sender, int Start, int End, bool& Allow) {
            EXPECT_EQ(Sender, r);
            EXPECT_FALSE(Allow);
            asked.emplace_back(Start, End);
            Allow = allow;
        });
    }
    void Caret(int Pos, int Length = 0) {
        r->SetSelStart(Pos);
        r->SetSelLength(Length);
    }
    // The protected runs' text, as the control writes its content.
    std::string ProtectedText() {
        TRtfDocument d;
        EXPECT_TRUE(RtfRead(r->StreamOut(true, false), d).Ok);
        std::string locked;
        for (const TRtfParagraph& p : d.Paragraphs)
            for (const TRtfRun& run : p.Runs)
                if (d.FormatOf(run).Protected) locked += run.Text;
        return locked;
    }
    using TRange = std::pair<int, int>;
    std::vector<TRange> asked;
    bool allow = false;
};

TEST_F(RichEditProtectTest, TypingIntoProtectedTextIsRefusedUnlessAllowed) {
    EXPECT_EQ(ProtectedText(), "locked");
    Caret(7);
    SendText(r, "X");
    EXPECT_EQ(r->Text(), "open locked free");
    EXPECT_EQ(asked, (std::vector<TRange>{{7, 7}}));
    // typed over a selection reaching into it
    Caret(2, 5);
    SendText(r, "Y");
    EXPECT_EQ(r->Text(), "open locked free");
    EXPECT_EQ(asked.back(), TRange(2, 7));
    // right after it the text would take its protection
    Caret(11);
    SendText(r, "Z");
    EXPECT_EQ(r->Text(), "open locked free");
    // unprotected text does not ask
    asked.clear();
    Caret(13);
    SendText(r, "a");
    EXPECT_EQ(r->Text(), "open locked faree");
    EXPECT_TRUE(asked.empty());

    allow = true;
    Caret(7);
    SendText(r, "X");
    EXPECT_EQ(r->Text(), "open loXcked faree");
    EXPECT_EQ(asked, (std::vector<TRange>{{7, 7}}));
    // what was typed into it is protected with it, written back as such
    EXPECT_EQ(ProtectedText(), "loXcked");
    EXPECT_NE(r->StreamOut(true, false).find("\\protect loXcked"), std::string::npos);
}

TEST_F(RichEditProtectTest, DeleteAndBackspaceAtItsEdgesAreRefusedUnlessAllowed) {
    Caret(5);
    SendKey(r, VK_DELETE);  // its first character
    EXPECT_EQ(r->Text(), "open locked free");
    Caret(11);
    SendKey(r, VK_BACK);  // its last
    EXPECT_EQ(r->Text(), "open locked free");
    EXPECT_EQ(asked, (std::vector<TRange>{{5, 6}, {10, 11}}));
    // the characters next to it go without asking
    asked.clear();
    Caret(11);
    SendKey(r, VK_DELETE);
    Caret(5);
    SendKey(r, VK_BACK);
    EXPECT_EQ(r->Text(), "openlockedfree");
    EXPECT_TRUE(asked.empty());
    // a selection over it, with Delete
    Caret(0, 14);
    SendKey(r, VK_DELETE);
    EXPECT_EQ(r->Text(), "openlockedfree");
    EXPECT_EQ(asked.back(), TRange(0, 14));
    EXPECT_EQ(ProtectedText(), "locked");

    allow = true;
    Caret(10);
    SendKey(r, VK_BACK);
    Caret(4);
    SendKey(r, VK_DELETE);
    EXPECT_EQ(r->Text(), "openockefree");
    EXPECT_EQ(ProtectedText(), "ocke");
}

TEST_F(RichEditProtectTest, PasteAndCutOverItAreRefusedUnlessAllowed) {
    TTestClipboard clip;
    Clipboard()->SetAsText("P");
    Caret(3, 4);
    SendKey(r, 'V', TShiftState{ssCtrl});
    EXPECT_EQ(r->Text(), "open locked free");
    Caret(8);
    SendKey(r, 'V', TShiftState{ssCtrl});
    EXPECT_EQ(r->Text(), "open locked free");
    // a refused cut leaves the clipboard as it was
    Caret(9, 4);
    SendKey(r, 'X', TShiftState{ssCtrl});
    EXPECT_EQ(r->Text(), "open locked free");
    EXPECT_EQ(Clipboard()->AsText(), "P");
    EXPECT_EQ(asked, (std::vector<TRange>{{3, 7}, {8, 8}, {9, 13}}));
    // a copy changes nothing and never asks
    SendKey(r, 'C', TShiftState{ssCtrl});
    EXPECT_EQ(Clipboard()->AsText(), "ed f");
    EXPECT_EQ(asked.size(), 3u);

    allow = true;
    SendKey(r, 'X', TShiftState{ssCtrl});
    EXPECT_EQ(r->Text(), "open lockree");
    EXPECT_EQ(Clipboard()->AsText(), "ed f");
    Caret(0, 2);
    SendKey(r, 'V', TShiftState{ssCtrl});  // not protected: no question
    EXPECT_EQ(r->Text(), "ed fen lockree");
    EXPECT_EQ(asked.size(), 4u);
    // the rich text cut keeps its protection where it is pasted
    EXPECT_EQ(ProtectedText(), "edlock");
}

TEST_F(RichEditProtectTest, FormatsOverItAreRefusedButItsProtectionMayChange) {
    TRtfCharFormat bold;
    bold.Bold = true;
    Caret(0, 16);
    unsigned mask = 0;
    EXPECT_FALSE(r->SelAttributes(&mask).Protected);
    EXPECT_EQ(mask & cfmProtected, 0u);  // mixed
    r->SetSelAttributes(bold, cfmBold);
    Caret(6, 2);
    EXPECT_TRUE(r->SelAttributes(&mask).Protected);
    EXPECT_NE(mask & cfmProtected, 0u);
    EXPECT_FALSE(r->SelAttributes().Bold);
    // the paragraph it is in
    TRtfParaFormat centre;
    centre.Alignment = TRtfAlign::Center;
    Caret(1);
    r->SetParagraph(centre, pfmAlignment);
    EXPECT_EQ(r->Paragraph().Alignment, TRtfAlign::Left);
    EXPECT_EQ(asked, (std::vector<TRange>{{0, 16}, {0, 16}}));

    // taking the protection away asks nothing; then the text is free
    TRtfCharFormat open;
    Caret(5, 3);
    r->SetSelAttributes(open, cfmProtected);
    EXPECT_EQ(ProtectedText(), "ked");
    Caret(5, 3);
    r->SetSelAttributes(bold, cfmBold);
    EXPECT_TRUE(r->SelAttributes().Bold);
    EXPECT_EQ(asked.size(), 2u);

    allow = true;
    Caret(0, 16);
    r->SetSelAttributes(bold, cfmBold);
    EXPECT_TRUE(r->SelAttributes(&mask).Bold);
    EXPECT_NE(mask & cfmBold, 0u);
    EXPECT_EQ(ProtectedText(), "ked");
    const std::string rtf = r->StreamOut(true, false);
    EXPECT_NE(rtf.find("\\b\\protect ked"), std::string::npos) << rtf;
}

TEST_F(RichEditProtectTest, DropsIntoItOrMovingItAwayAreRefusedUnlessAllowed) {
    auto at = [this](int Pos) {
        const TPoint p = r->PosFromChar(Pos);
        return TPoint{p.X + 1, p.Y + 3};
    };
    // another program's text dropped inside it
    TPoint to = at(7);
    EXPECT_EQ(SendTextDrop(r, to.X, to.Y, {}, nullptr, "x"), 0u);
    EXPECT_EQ(r->Text(), "open locked free");
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].first, asked[0].second);
    // its own selection, reaching into it, moved away with the mouse
    Caret(3, 4);
    const TPoint in = at(5);
    SendMouseDown(r, mbLeft, in.X, in.Y);
    SendMouseMove(r, in.X + 40, in.Y, TShiftState{ssLeft});
    to = at(14);
    EXPECT_EQ(SendTextDrop(r, to.X, to.Y, {}, r), 0u);
    EXPECT_EQ(r->Text(), "open locked free");
    EXPECT_EQ(asked.back(), TRange(3, 7));
    // a drop outside it asks nothing
    EXPECT_EQ(SendTextDrop(r, to.X, to.Y, TShiftState{ssCtrl}, nullptr, "x"), static_cast<unsigned>(deCopy));
    EXPECT_EQ(r->Text(), "open locked frxee");
    EXPECT_EQ(asked.size(), 2u);

    allow = true;
    to = at(7);
    EXPECT_NE(SendTextDrop(r, to.X, to.Y, TShiftState{ssCtrl}, nullptr, "y"), 0u);
    EXPECT_EQ(r->Text(), "open loycked frxee");
    EXPECT_EQ(asked.size(), 3u);
}

// Without a handler nothing protected changes; a load replaces it without asking.
TEST_F(RichEditProtectTest, WithoutAHandlerItStaysAndALoadReplacesIt) {
    r->SetOnProtectChange({});
    Caret(6);
    SendText(r, "X");
    SendKey(r, VK_DELETE);
    SendKey(r, VK_BACK);
    EXPECT_EQ(r->Text(), "open locked free");
    r->SelectAll();
    r->ClearSelection();
    EXPECT_EQ(r->Text(), "open locked free");
    ASSERT_TRUE(r->StreamIn("{\\rtf1\\ansi new\\par}", true, false));
    EXPECT_EQ(r->Text(), "new");
    EXPECT_EQ(ProtectedText(), "");
}

}  // namespace
