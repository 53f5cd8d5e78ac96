// The suite's edits right to left: the text drawn while the control has no
// focus lies where the focused window shows it and reads the same way.
#include <algorithm>
#include <cstdlib>
#include <string>

#include "platform/ui/bitmaps.h"
#include "suite/edit/qzdatetimepicker.h"
#include "suite/edit/qzdbcombo.h"
#include "suite/edit/qzdbcombobox.h"
#include "suite/edit/qzspinedit.h"
#include "support/environment.h"
#include "support/suite/edit_fixture.h"
#include "support/suite/picker_text.h"
#include "support/ui/mirror_compare.h"

namespace {

class TRtlDropEdit : public TqzDBCustomCombo {  // the drop-down edit base as it is
public:
    using TqzDBCustomCombo::TqzDBCustomCombo;
};

class EditRtlTextTest : public EditTest {
protected:
    void SetUp() override {
        EditTest::SetUp();
        T.AppendRecord(
            {Variant("abc"), Variant(), Variant(12.5), Variant(), Variant(EncodeDate(2026, 3, 9))});
    }
    template <typename C>
    C* Place(const std::string& Field) {
        auto* c = new C(&Form);
        c->SetParent(&Form);
        c->SetBounds(10, 10, 170, 24);
        c->SetDataSource(Field.empty() ? nullptr : &Src);
        c->SetDataField(Field);
        return c;
    }
    // Kind 0 edit, 1 combo box, 2 list-only combo box, 3 drop-down edit,
    // 4 date-time picker, 5 spin edit.
    TWinControl* Make(int Kind) {
        if (Kind == 1 || Kind == 2) {
            auto* c = Place<TqzDBComboBox>("Code");
            c->Items()->Add("abc");
            c->SetStyle(Kind == 2 ? csDropDownList : csDropDown);
            return c;
        }
        if (Kind == 3) return Place<TRtlDropEdit>("Code");
        if (Kind == 4) return Place<TqzDBDateTimePicker>("Due");
        if (Kind == 5) {
            auto* c = Place<TqzDBSpinEdit>("");
            c->SetValue(7);
            return c;
        }
        return Place<TqzDBEdit>("Code");
    }
    // Inside the border and a focus rectangle, left of the buttons.
    static TRect TextArea(TWinControl* C) {
        int right = C->Width() - 5;
        for (int i = 0; i < C->ControlCount(); ++i)
            if (C->Controls(i)->Visible()) right = std::min(right, C->Controls(i)->Left() - 3);
        return Rect(5, 5, right, C->Height() - 5);
    }
    static TInkSpan TextInkOf(TWinControl* C, const std::string& Png) {
        TBitmap shot;
        RenderControl(C, &shot);
        EXPECT_TRUE(RenderControlToPng(C, TestRunPath("edit_rtl_text_" + Png + ".png")));
        return InkSpan(shot, TextArea(C));
    }
};

// Unfocused, focused by Tab and left by Tab, the text lies on the right,
// whether the control follows its form or has its own mode.
TEST_F(EditRtlTextTest, TextStaysOnTheRightThroughTheFocus) {
    for (const bool byForm : {true, false}) {
        Form.SetBiDiMode(byForm ? bdRightToLeft : bdLeftToRight);
        for (int kind = 0; kind < 6; ++kind) {
            const std::string name = std::to_string(kind) + (byForm ? "_by_form" : "_own");
            SCOPED_TRACE(name);
            TWinControl* c = Make(kind);
            if (!byForm) c->SetBiDiMode(bdRightToLeft);
            ASSERT_EQ(byForm, c->ParentBiDiMode());
            const TRect area = TextArea(c);
            ShowAndFocus(Other);
            const TInkSpan away = TextInkOf(c, name + "_unfocused");
            SendKey(Other, VK_TAB);
            ASSERT_TRUE(c->Focused());
            const TInkSpan in = TextInkOf(c, name + "_focused");
            SendKey(c, VK_TAB);
            ASSERT_TRUE(Other->Focused());
            const TInkSpan back = TextInkOf(c, name + "_left");
            ASSERT_FALSE(away.Empty() || in.Empty());
            EXPECT_GT(away.Left, (area.Left + area.Right) / 2) << away.Left << ".." << away.Right;
            EXPECT_GT(in.Left, (area.Left + area.Right) / 2) << in.Left << ".." << in.Right;
            EXPECT_LE(std::abs(away.Right - in.Right), 3) << away.Right << " " << in.Right;
            EXPECT_TRUE(away.Left == back.Left && away.Right == back.Right);
            delete c;
        }
    }
}

// Read right to left, a closing "." leads; reading alone keeps the text on
// the left.
TEST_F(EditRtlTextTest, UnfocusedTextReadsRightToLeft) {
    T.Edit();
    T.FieldByName("Code")->SetAsString("Hi.");
    T.Post();
    ShowAndFocus(Other);
    for (const int kind : {0, 1, 3}) {
        TWinControl* c = Make(kind);
        const TRect area = TextArea(c);
        for (const TBiDiMode mode : {bdLeftToRight, bdRightToLeftReadingOnly, bdRightToLeft}) {
            const std::string name =
                "reading_" + std::to_string(kind) + "_" + std::to_string(static_cast<int>(mode));
            SCOPED_TRACE(name);
            c->SetBiDiMode(mode);
            TBitmap shot;
            RenderControl(c, &shot);
            EXPECT_TRUE(RenderControlToPng(c, TestRunPath("edit_rtl_text_" + name + ".png")));
            const TInkSpan ink = InkSpan(shot, area);
            ASSERT_FALSE(ink.Empty());
            const int lead = LeadingInkRows(shot, area);
            EXPECT_TRUE(mode == bdLeftToRight ? lead >= 6 : lead <= 3) << lead;
            EXPECT_EQ(mode == bdRightToLeft, ink.Left > (area.Left + area.Right) / 2) << ink.Left;
        }
        delete c;
    }
}

// A right-justified number sits at the left, as far in as it sits from the
// right left to right.
TEST_F(EditRtlTextTest, RightJustifiedFieldMirrorsItsLeftToRightPlace) {
    ShowAndFocus(Other);
    for (const bool byForm : {false, true}) {
        Form.SetBiDiMode(bdLeftToRight);
        TqzDBEdit* e = Place<TqzDBEdit>("Amount");
        const TRect area = TextArea(e);
        TBitmap ltrShot, rtlShot;
        RenderControl(e, &ltrShot);
        if (byForm) Form.SetBiDiMode(bdRightToLeft);
        if (!byForm) e->SetBiDiMode(bdRightToLeft);
        RenderControl(e, &rtlShot);
        EXPECT_TRUE(RenderControlToPng(e, TestRunPath("edit_rtl_text_amount.png")));
        const TInkSpan ltr = InkSpan(ltrShot, area), rtl = InkSpan(rtlShot, area);
        ASSERT_FALSE(ltr.Empty() || rtl.Empty());
        EXPECT_GT(ltr.Left, (area.Left + area.Right) / 2);
        EXPECT_LE(std::abs((rtl.Left - area.Left) - (area.Right - 1 - ltr.Right)), 2) << byForm;
        EXPECT_EQ(ltr.Right - ltr.Left, rtl.Right - rtl.Left);
        delete e;
    }
}

// A placed picker whose form turns right to left with the calendar open
// shows its whole date, open and after Escape closes the calendar.
TEST_F(EditRtlTextTest, PickerTurnedWithItsCalendarOpenShowsItsWholeDate) {
    Form.SetBiDiMode(bdLeftToRight);
    auto* p = Place<TqzDBDateTimePicker>("Due");
    p->SetDisplayFormat("dd/mm/yyyy");
    // As narrow as a grid makes it: the text, the edit's margins, the button.
    TBitmap measure;
    measure.Canvas()->Font()->Assign(p->Font());
    p->SetWidth(measure.Canvas()->TextWidth("09/03/2026") + 5 + p->ButtonHost()->Width() +
                (p->Width() - p->ClientWidth()));
    ShowAndFocus(p);
    ASSERT_EQ(p->Text(), "09/03/2026");
    ExpectWholePickerText(p, "edit_rtl_picker_before");
    SendKey(p, VK_DOWN, {ssAlt});
    ASSERT_TRUE(p->IsDroppedDown());
    Form.SetBiDiMode(bdRightToLeft);
    ProcessEvents();
    ASSERT_TRUE(p->UseRightToLeftAlignment());
    ExpectWholePickerText(p, "edit_rtl_picker_turned_open");
    SendKey(p, VK_ESCAPE);
    ProcessEvents();
    ASSERT_FALSE(p->IsDroppedDown());
    EXPECT_EQ(p->Text(), "09/03/2026");
    ExpectWholePickerText(p, "edit_rtl_picker_turned_closed");
    SendKey(p, VK_TAB);
    ProcessEvents();
    ExpectWholePickerText(p, "edit_rtl_picker_turned_left");
    delete p;
}

}  // namespace
