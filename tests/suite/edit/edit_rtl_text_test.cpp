// The suite's edits right to left: the text drawn while the control has no
// focus lies where the focused window shows it and reads the same way.
#include <algorithm>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "platform/ui/bitmaps.h"
#include "suite/edit/qzdatetimepicker.h"
#include "suite/edit/qzdbcombo.h"
#include "suite/edit/qzdbcombobox.h"
#include "suite/edit/qzspinedit.h"
#include "support/environment.h"
#include "support/suite/edit_fixture.h"
#include "support/ui/mirror_compare.h"

namespace {

// The drop-down edit base as it is, with no list of its own.
class TRtlDropEdit : public TqzDBCustomCombo {
public:
    using TqzDBCustomCombo::TqzDBCustomCombo;
};

// One kind of control, made on the form at the top left.
struct TRtlTextKind {
    std::string Name;
    std::function<TWinControl*(TForm&, TDataSource&)> Make;
};

template <typename T>
T* PlaceRtlControl(TForm& Form, TDataSource* Src, const std::string& Field) {
    auto* c = new T(&Form);
    c->SetParent(&Form);
    c->SetBounds(10, 10, 170, 24);
    if (Src) {
        c->SetDataSource(Src);
        c->SetDataField(Field);
    }
    return c;
}

std::vector<TRtlTextKind> RtlTextKinds() {
    return {
        {"edit", [](TForm& F, TDataSource& S) { return PlaceRtlControl<TqzDBEdit>(F, &S, "Code"); }},
        {"combo", [](TForm& F, TDataSource& S) { return PlaceRtlControl<TqzDBComboBox>(F, &S, "Code"); }},
        {"list_combo",
         [](TForm& F, TDataSource& S) {
             auto* c = PlaceRtlControl<TqzDBComboBox>(F, &S, "Code");
             c->Items()->Add("abc");
             c->Items()->Add("xyz");
             c->SetStyle(csDropDownList);
             return c;
         }},
        {"drop_edit", [](TForm& F, TDataSource& S) { return PlaceRtlControl<TRtlDropEdit>(F, &S, "Code"); }},
        {"picker",
         [](TForm& F, TDataSource& S) { return PlaceRtlControl<TqzDBDateTimePicker>(F, &S, "Due"); }},
        {"spin",
         [](TForm& F, TDataSource&) {
             auto* c = PlaceRtlControl<TqzDBSpinEdit>(F, nullptr, "");
             c->SetValue(7);
             return c;
         }},
    };
}

class EditRtlTextTest : public EditTest {
protected:
    void SetUp() override {
        EditTest::SetUp();
        T.Append();
        T.FieldByName("Code")->SetAsString("abc");
        T.FieldByName("Amount")->SetAsFloat(12.5);
        T.FieldByName("Due")->SetAsDateTime(EncodeDate(2026, 3, 9));
        T.Post();
    }
    // The control's text area: inside the border and a focus rectangle,
    // left of its buttons.
    static TRect TextArea(TWinControl* C) {
        int right = C->Width() - 5;
        for (int i = 0; i < C->ControlCount(); ++i)
            if (C->Controls(i)->Visible()) right = std::min(right, C->Controls(i)->Left() - 3);
        return Rect(5, 5, right, C->Height() - 5);
    }
    // The ink of the text area in a fresh picture of C.
    static TInkSpan TextInkOf(TWinControl* C, const std::string& Png) {
        TBitmap shot;
        RenderControl(C, &shot);
        EXPECT_TRUE(RenderControlToPng(C, TestRunPath("edit_rtl_text_" + Png + ".png")));
        return InkSpan(shot, TextArea(C));
    }
    // Real Tab keys take the focus from Other to C and back.
    void TabInto(TWinControl* C) {
        ShowAndFocus(Other);
        SendKey(Other, VK_TAB);
        ASSERT_TRUE(C->Focused()) << C->ClassName();
    }
    void TabOutOf(TWinControl* C) {
        SendKey(C, VK_TAB);
        ASSERT_TRUE(Other->Focused()) << C->ClassName();
    }
    // The unfocused and focused ink of C, each on the right of its text area
    // and ending within a few pixels of the other.
    void ExpectTextStaysOnTheRight(TWinControl* C, const std::string& Name) {
        SCOPED_TRACE(Name);
        const TRect area = TextArea(C);
        const int middle = (area.Left + area.Right) / 2;
        ShowAndFocus(Other);
        const TInkSpan away = TextInkOf(C, Name + "_unfocused");
        TabInto(C);
        const TInkSpan in = TextInkOf(C, Name + "_focused");
        TabOutOf(C);
        const TInkSpan back = TextInkOf(C, Name + "_left");
        ASSERT_FALSE(away.Empty());
        ASSERT_FALSE(in.Empty());
        EXPECT_GT(away.Left, middle) << away.Left << ".." << away.Right;
        EXPECT_GT(in.Left, middle) << in.Left << ".." << in.Right;
        EXPECT_LE(std::abs(away.Right - in.Right), 3) << away.Right << " " << in.Right;
        EXPECT_EQ(away.Left, back.Left);
        EXPECT_EQ(away.Right, back.Right);
    }
};

TEST_F(EditRtlTextTest, UnfocusedTextStaysOnTheRightOfAFormSetRightToLeft) {
    Form.SetBiDiMode(bdRightToLeft);
    for (const TRtlTextKind& kind : RtlTextKinds()) {
        TWinControl* c = kind.Make(Form, Src);
        ASSERT_TRUE(c->ParentBiDiMode());
        ASSERT_TRUE(c->UseRightToLeftAlignment()) << kind.Name;
        ExpectTextStaysOnTheRight(c, kind.Name + "_by_form");
        delete c;
    }
}

TEST_F(EditRtlTextTest, UnfocusedTextStaysOnTheRightWithTheControlsOwnMode) {
    for (const TRtlTextKind& kind : RtlTextKinds()) {
        TWinControl* c = kind.Make(Form, Src);
        c->SetBiDiMode(bdRightToLeft);
        ExpectTextStaysOnTheRight(c, kind.Name + "_own");
        delete c;
    }
}

// The edit, the combo box and the drop-down edit read their unfocused text
// right to left: a closing "." leads on the left. Reading alone keeps the
// text on the left; full right to left puts it on the right.
TEST_F(EditRtlTextTest, UnfocusedTextReadsRightToLeft) {
    T.Edit();
    T.FieldByName("Code")->SetAsString("Hi.");
    T.Post();
    ShowAndFocus(Other);
    const std::vector<TRtlTextKind> kinds = RtlTextKinds();
    for (const TRtlTextKind& kind : {kinds[0], kinds[1], kinds[3]}) {
        TWinControl* c = kind.Make(Form, Src);
        const TRect area = TextArea(c);
        const int middle = (area.Left + area.Right) / 2;
        for (const TBiDiMode mode : {bdLeftToRight, bdRightToLeftReadingOnly, bdRightToLeft}) {
            SCOPED_TRACE(kind.Name + " " + std::to_string(static_cast<int>(mode)));
            c->SetBiDiMode(mode);
            ProcessEvents();
            TBitmap shot;
            RenderControl(c, &shot);
            const TInkSpan ink = InkSpan(shot, area);
            ASSERT_FALSE(ink.Empty());
            const int lead = LeadingInkRows(shot, area);
            if (mode == bdLeftToRight) {
                EXPECT_GE(lead, 6);
            } else {
                EXPECT_LE(lead, 3);
            }
            EXPECT_EQ(mode == bdRightToLeft, ink.Left > middle) << ink.Left << ".." << ink.Right;
            const std::string png =
                "edit_rtl_text_reading_" + kind.Name + std::to_string(static_cast<int>(mode));
            EXPECT_TRUE(RenderControlToPng(c, TestRunPath(png + ".png")));
        }
        delete c;
    }
}

// A right-justified field right to left sits at the left of the text area,
// as far in as it sits from the right left to right.
TEST_F(EditRtlTextTest, RightJustifiedFieldMirrorsItsLeftToRightPlace) {
    ShowAndFocus(Other);
    for (const bool byForm : {false, true}) {
        SCOPED_TRACE(byForm);
        Form.SetBiDiMode(bdLeftToRight);
        TqzDBEdit* e = PlaceRtlControl<TqzDBEdit>(Form, &Src, "Amount");
        ASSERT_EQ(taRightJustify, e->Field()->Alignment());
        const TRect area = TextArea(e);
        TBitmap ltrShot, rtlShot;
        RenderControl(e, &ltrShot);
        if (byForm)
            Form.SetBiDiMode(bdRightToLeft);
        else
            e->SetBiDiMode(bdRightToLeft);
        ProcessEvents();
        ASSERT_FALSE(e->Focused());
        RenderControl(e, &rtlShot);
        EXPECT_TRUE(RenderControlToPng(e, TestRunPath("edit_rtl_text_amount.png")));
        const TInkSpan ltr = InkSpan(ltrShot, area), rtl = InkSpan(rtlShot, area);
        ASSERT_FALSE(ltr.Empty());
        ASSERT_FALSE(rtl.Empty());
        EXPECT_GT(ltr.Left, (area.Left + area.Right) / 2);
        EXPECT_LE(std::abs((rtl.Left - area.Left) - (area.Right - 1 - ltr.Right)), 2)
            << ltr.Left << ".." << ltr.Right << " " << rtl.Left << ".." << rtl.Right;
        EXPECT_EQ(ltr.Right - ltr.Left, rtl.Right - rtl.Left);
        delete e;
    }
}

}  // namespace
