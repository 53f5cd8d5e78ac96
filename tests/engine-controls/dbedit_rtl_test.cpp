// The drop-down edit right to left: the text it draws itself while it has
// no focus swaps sides as its window's does and reads right to left.
#include <cstdlib>
#include <string>

#include "support/engine-controls/dbedit_test_fixture.h"
#include "support/environment.h"
#include "support/ui/mirror_compare.h"

namespace {

class DBEditRtlTest : public DBEditTest {
protected:
    // The edit's text area in its picture: inside the border, left of the
    // button.
    static TRect TextArea(TOstraDBEdit* e) {
        const TPoint o{e->NonClientMargins().Left, e->NonClientMargins().Top};
        const int right = e->DialogStyle() == odsEdit ? e->ClientWidth() : e->ButtonRect().Left;
        return Rect(o.X + 2, o.Y + 2, o.X + right - 2, o.Y + e->ClientHeight() - 2);
    }
    static void Shoot(TOstraDBEdit* e, TBitmap* Shot, const std::string& Png) {
        RenderControl(e, Shot);
        EXPECT_TRUE(RenderControlToPng(e, TestRunPath("dbedit_rtl_" + Png + ".png")));
    }
};

// The calculator's right-justified amount moves to the left, as far in as it
// sits from the right left to right; a left-justified group moves to the
// right, where the focused window shows it.
TEST_F(DBEditRtlTest, UnfocusedTextSwapsSidesRightToLeft) {
    for (const bool byForm : {false, true}) {
        SCOPED_TRACE(byForm);
        Form->SetBiDiMode(bdLeftToRight);
        TOstraDBEdit* amount = NewAmountEdit();
        TOstraDBEdit* group = NewEdit(odsCombo, 60);
        Bind(group, "Group");
        Focus(Other);
        const TRect area = TextArea(amount);
        TBitmap ltrShot, rtlShot;
        Shoot(amount, &ltrShot, "amount_ltr");
        const TInkSpan ltr = InkSpan(ltrShot, area);
        if (byForm) {
            Form->SetBiDiMode(bdRightToLeft);
        } else {
            amount->SetBiDiMode(bdRightToLeft);
            group->SetBiDiMode(bdRightToLeft);
        }
        ProcessEvents();
        ASSERT_TRUE(amount->UseRightToLeftAlignment());
        ASSERT_FALSE(amount->Focused());
        Shoot(amount, &rtlShot, "amount_rtl");
        const TInkSpan rtl = InkSpan(rtlShot, area);
        ASSERT_FALSE(ltr.Empty());
        ASSERT_FALSE(rtl.Empty());
        EXPECT_GT(ltr.Left, (area.Left + area.Right) / 2);
        EXPECT_LT(rtl.Right, (area.Left + area.Right) / 2);
        // (the right-justified text keeps one pixel more from its edge)
        EXPECT_LE(std::abs((rtl.Left - area.Left) - (area.Right - 1 - ltr.Right)), 3)
            << ltr.Left << ".." << ltr.Right << " " << rtl.Left << ".." << rtl.Right;

        const TRect groupArea = TextArea(group);
        const int middle = (groupArea.Left + groupArea.Right) / 2;
        TBitmap away, in;
        Shoot(group, &away, "group_unfocused");
        Focus(Other);
        Key(Other, VK_TAB);
        ASSERT_TRUE(group->Focused());
        Key(group, VK_END);
        Shoot(group, &in, "group_focused");
        EXPECT_GT(InkSpan(away, groupArea).Left, middle);
        EXPECT_GT(InkSpan(in, groupArea).Left, middle);
        Focus(Other);
        delete amount;
        delete group;
    }
}

// A centred group drawn by the edit itself reads right to left: its closing
// "." leads.
TEST_F(DBEditRtlTest, UnfocusedTextReadsRightToLeft) {
    Goals->Edit();
    Goals->FieldByName("Group")->SetAsString("Hi.");
    Goals->Post();
    TOstraDBEdit* e = NewEdit(odsEdit);
    Bind(e, "Group");
    e->SetAlignment(taCenter);
    Focus(Other);
    const TRect area = TextArea(e);
    for (const TBiDiMode mode : {bdLeftToRight, bdRightToLeftReadingOnly, bdRightToLeft}) {
        SCOPED_TRACE(static_cast<int>(mode));
        e->SetBiDiMode(mode);
        ProcessEvents();
        TBitmap shot;
        Shoot(e, &shot, "centred_" + std::to_string(static_cast<int>(mode)));
        const TInkSpan ink = InkSpan(shot, area);
        ASSERT_FALSE(ink.Empty());
        // Still centred.
        EXPECT_LE(std::abs((ink.Left - area.Left) - (area.Right - 1 - ink.Right)), 3);
        if (mode == bdLeftToRight) {
            EXPECT_GE(LeadingInkRows(shot, area), 6);
        } else {
            EXPECT_LE(LeadingInkRows(shot, area), 3);
        }
    }
}

}  // namespace
