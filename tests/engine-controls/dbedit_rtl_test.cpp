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
    // Inside the border, left of the button, in the edit's picture.
    static TRect TextArea(TOstraDBEdit* e) {
        const TPoint o{e->NonClientMargins().Left, e->NonClientMargins().Top};
        const int right = e->DialogStyle() == odsEdit ? e->ClientWidth() : e->ButtonRect().Left;
        return Rect(o.X + 2, o.Y + 2, o.X + right - 2, o.Y + e->ClientHeight() - 2);
    }
    static TInkSpan Ink(TOstraDBEdit* e, TBitmap* Shot, const std::string& Png) {
        RenderControl(e, Shot);
        EXPECT_TRUE(RenderControlToPng(e, TestRunPath("dbedit_rtl_" + Png + ".png")));
        return InkSpan(*Shot, TextArea(e));
    }
};

// The calculator's amount moves to the left, as far in as it sits from the
// right left to right (one pixel more on that side), by the form or its own
// mode; a left-justified group lies on the right, focused or not.
TEST_F(DBEditRtlTest, UnfocusedTextSwapsSidesRightToLeft) {
    for (const bool byForm : {false, true}) {
        SCOPED_TRACE(byForm);
        Form->SetBiDiMode(bdLeftToRight);
        TOstraDBEdit* amount = NewAmountEdit();
        TOstraDBEdit* group = NewEdit(odsCombo, 60);
        Bind(group, "Group");
        Focus(Other);
        const TRect area = TextArea(amount), groupArea = TextArea(group);
        TBitmap ltrShot, rtlShot, away, in;
        const TInkSpan ltr = Ink(amount, &ltrShot, "amount_ltr");
        if (byForm) Form->SetBiDiMode(bdRightToLeft);
        for (TOstraDBEdit* e : {amount, group})
            if (!byForm) e->SetBiDiMode(bdRightToLeft);
        const TInkSpan rtl = Ink(amount, &rtlShot, "amount_rtl");
        ASSERT_FALSE(ltr.Empty() || rtl.Empty());
        EXPECT_GT(ltr.Left, (area.Left + area.Right) / 2);
        EXPECT_LE(std::abs((rtl.Left - area.Left) - (area.Right - 1 - ltr.Right)), 3)
            << ltr.Left << ".." << ltr.Right << " " << rtl.Left << ".." << rtl.Right;

        EXPECT_GT(Ink(group, &away, "group_unfocused").Left, (groupArea.Left + groupArea.Right) / 2);
        Key(Other, VK_TAB);
        ASSERT_TRUE(group->Focused());
        Key(group, VK_END);
        EXPECT_GT(Ink(group, &in, "group_focused").Left, (groupArea.Left + groupArea.Right) / 2);
        Focus(Other);
        delete amount;
        delete group;
    }
}

// A centred group stays centred and, read right to left, leads with its
// closing ".".
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
        TBitmap shot;
        const TInkSpan ink = Ink(e, &shot, "centred_" + std::to_string(static_cast<int>(mode)));
        ASSERT_FALSE(ink.Empty());
        EXPECT_LE(std::abs((ink.Left - area.Left) - (area.Right - 1 - ink.Right)), 3);
        const int lead = LeadingInkRows(shot, area);
        EXPECT_TRUE(mode == bdLeftToRight ? lead >= 6 : lead <= 3) << lead;
    }
}

}  // namespace
