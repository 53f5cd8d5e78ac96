// The drop-down edit's calendar and calculator: the date or number a
// drop-down opens on (never raising on text that is none), choosing by
// mouse and keys, and where the drop-down is placed.
#include "support/engine-controls/dbedit_test_fixture.h"
#include "support/environment.h"

#include "platform/ui/buttons.h"

namespace {

class DBEditCalendarTest : public DBEditTest {
protected:
    // The day button showing Day.
    static TSpeedButton* DayButton(TOstraCalendar* c, int Day) {
        for (int i = 1; i <= 42; ++i)
            if (c->DayButton(i)->Caption() == std::to_string(Day)) return c->DayButton(i);
        return nullptr;
    }
    static void Press(TOstraCalculator* c, const std::string& caption) {
        TSpeedButton* b = c->Button(caption);
        ASSERT_NE(nullptr, b) << caption;
        SendClick(b, b->Width() / 2, b->Height() / 2);
        ProcessEvents();
    }
};

TEST_F(DBEditCalendarTest, OpensOnTheFieldsDateAndADayClickStoresIt) {
    TOstraDBEdit* e = NewDateEdit();
    EXPECT_EQ("05/01/2024", e->Text());
    EXPECT_EQ(taLeftJustify, e->Alignment());
    Focus(e);
    ClickButton(e);
    ASSERT_TRUE(e->DroppedDown());
    TOstraDlgCalendar* cal = e->Calendar();
    ASSERT_NE(nullptr, cal);
    EXPECT_TRUE(cal->Visible());
    EXPECT_EQ(EncodeDate(2024, 5, 1), cal->Date());
    RenderDropped(e, TestRunPath("dbedit_calendar.png"));
    TSpeedButton* day = DayButton(cal, 17);
    ASSERT_NE(nullptr, day);
    SendClick(day, day->Width() / 2, day->Height() / 2);
    ProcessEvents();
    EXPECT_FALSE(e->DroppedDown());
    EXPECT_FALSE(cal->Visible());
    EXPECT_EQ(EncodeDate(2024, 5, 17), Goals->FieldByName("Date")->AsDateTime());
    EXPECT_EQ("05/17/2024", e->Text());
}

TEST_F(DBEditCalendarTest, NavigatingTheMonthKeepsTheCalendarOpen) {
    TOstraDBEdit* e = NewDateEdit();
    Focus(e);
    ClickButton(e);
    TOstraDlgCalendar* cal = e->Calendar();
    TSpeedButton* next = cal->NextMonthButton();
    SendClick(next, next->Width() / 2, next->Height() / 2);
    ProcessEvents();
    EXPECT_TRUE(e->DroppedDown());
    EXPECT_EQ(6, cal->Month());
    Key(e, VK_RETURN);
    EXPECT_FALSE(e->DroppedDown());
    EXPECT_EQ(EncodeDate(2024, 6, 1), Goals->FieldByName("Date")->AsDateTime());
}

TEST_F(DBEditCalendarTest, EmptyDateShowsNothingAndOpensOnToday) {
    TOstraDBEdit* e = NewDateEdit();
    Goals->Next();
    EXPECT_TRUE(Goals->FieldByName("Date")->IsNull());
    EXPECT_EQ("", e->Text());
    Focus(e);
    Key(e, VK_DOWN, {ssAlt});
    ASSERT_TRUE(e->DroppedDown());
    EXPECT_EQ(EncodeDate(2024, 5, 15), e->Calendar()->Date());
    Key(e, VK_ESCAPE);
    EXPECT_TRUE(Goals->FieldByName("Date")->IsNull());
    EXPECT_EQ(dsBrowse, Goals->State());
}

TEST_F(DBEditCalendarTest, TextThatIsNoDateOpensOnTodayWithoutRaising) {
    TOstraDBEdit* e = NewEdit(odsCalendar);
    Focus(e);
    Type(e, "next week");
    EXPECT_EQ(Variant("next week"), e->Value());
    int dropped = 0;
    e->SetOnDropDown(TNotifyEvent([&](TObject*) {
        ++dropped;
        // Not yet dropped down while the panel is being set up.
        EXPECT_FALSE(e->DroppedDown());
    }));
    EXPECT_NO_THROW(e->DropDown());
    EXPECT_EQ(1, dropped);
    EXPECT_TRUE(e->DroppedDown());
    EXPECT_TRUE(e->Calendar()->Visible());
    EXPECT_EQ(EncodeDate(2024, 5, 15), e->Calendar()->Date());
    // A date typed as text opens on that date.
    Key(e, VK_ESCAPE);
    e->SelectAll();
    Type(e, "02/29/2024");
    e->DropDown();
    EXPECT_EQ(EncodeDate(2024, 2, 29), e->Calendar()->Date());
    Key(e, VK_RETURN);
    EXPECT_EQ("02/29/2024", e->Text());
    EXPECT_EQ(varDate, e->Value().VarType());
}

TEST_F(DBEditCalendarTest, NearTheScreensBottomTheDropDownOpensAbove) {
    ASSERT_NE(nullptr, Screen);
    Form->SetBounds(50, Screen->Height() - 120, 420, 100);
    ProcessEvents();
    TOstraDBEdit* e = NewDateEdit();
    Focus(e);
    ClickButton(e);
    ASSERT_TRUE(e->DroppedDown());
    TOstraDlgCalendar* cal = e->Calendar();
    const TPoint origin = e->ClientOrigin();
    const int editTop = origin.Y - e->NonClientMargins().Top;
    EXPECT_EQ(editTop - cal->Height(), cal->Top());
    EXPECT_LE(cal->Top() + cal->Height(), Screen->Height());
    Key(e, VK_ESCAPE);
    // And at the right edge it ends at the screen's edge.
    Form->SetBounds(Screen->Width() - 150, 100, 140, 100);
    ProcessEvents();
    e->SetBounds(5, 5, 120, 21);
    ProcessEvents();
    ClickButton(e);
    ASSERT_TRUE(e->DroppedDown());
    EXPECT_EQ(Screen->Width() - cal->Width(), cal->Left());
}

TEST_F(DBEditCalendarTest, CalculatorOpensOnTheValueAndOkStoresTheResult) {
    TOstraDBEdit* e = NewAmountEdit();
    EXPECT_EQ(taRightJustify, e->Alignment());
    EXPECT_EQ("12.5", e->Text());
    Focus(e);
    ClickButton(e);
    ASSERT_TRUE(e->DroppedDown());
    TOstraCalculator* calc = e->Calculator();
    ASSERT_NE(nullptr, calc);
    EXPECT_TRUE(calc->Visible());
    EXPECT_EQ(12.5, calc->GetValue());
    RenderDropped(e, TestRunPath("dbedit_calculator.png"));
    Press(calc, "+");
    Press(calc, "3");
    Press(calc, "=");
    EXPECT_EQ("15.5", e->Text());
    EXPECT_TRUE(e->DroppedDown());
    Press(calc, "OK");
    EXPECT_FALSE(e->DroppedDown());
    EXPECT_EQ(15.5, Goals->FieldByName("Amount")->AsFloat());
}

TEST_F(DBEditCalendarTest, CalculatorTakesTheKeysWhileOpen) {
    TOstraDBEdit* e = NewAmountEdit();
    Focus(e);
    Key(e, VK_DOWN, {ssAlt});
    ASSERT_TRUE(e->DroppedDown());
    Key(e, '2');
    Key(e, VK_MULTIPLY);
    Key(e, '4');
    Key(e, VK_OEM_PLUS);
    EXPECT_EQ("8", e->Text());
    Key(e, VK_RETURN);
    EXPECT_FALSE(e->DroppedDown());
    EXPECT_EQ(8.0, Goals->FieldByName("Amount")->AsFloat());
    // Enter went to the calculator: the focus did not move on.
    EXPECT_EQ(e, FocusedControl());
}

TEST_F(DBEditCalendarTest, CalculatorLosingTheFocusShowsTheValueAgain) {
    TOstraDBEdit* e = NewAmountEdit();
    Focus(e);
    ClickButton(e);
    Key(e, '9');
    Focus(Other);
    EXPECT_FALSE(e->DroppedDown());
    EXPECT_EQ("12.5", e->Text());
    EXPECT_EQ(12.5, Goals->FieldByName("Amount")->AsFloat());
}

TEST_F(DBEditCalendarTest, CalculatorOpensOnZeroForTextThatIsNoNumber) {
    TOstraDBEdit* e = NewEdit(odsCalculator);
    Focus(e);
    Type(e, "lots");
    EXPECT_NO_THROW(e->DropDown());
    ASSERT_TRUE(e->DroppedDown());
    EXPECT_EQ("0", e->Text());
    EXPECT_EQ(0.0, e->Calculator()->GetValue());
    // An empty value opens on 0 too.
    Key(e, VK_ESCAPE);
    TOstraDBEdit* empty = NewEdit(odsCalculator, 60);
    EXPECT_EQ("", empty->Text());
    Focus(empty);
    empty->DropDown();
    EXPECT_EQ("0", empty->Text());
}

TEST_F(DBEditCalendarTest, CalculatorRightJustifiesItsTextWhenNotFocused) {
    TOstraDBEdit* e = NewAmountEdit();
    ProcessEvents();
    TBitmap bmp;
    RenderControl(e, &bmp);
    bmp.SaveToFile(TestRunPath("dbedit_calculator_edit.png"));
    // Some text pixel lies right of the middle, none near the left edge.
    const TRect c = e->ClientRect();
    const TPoint o = TPoint{e->NonClientMargins().Left, e->NonClientMargins().Top};
    bool leftInk = false, rightInk = false;
    for (int y = c.Top + 2; y < c.Bottom - 2; ++y) {
        for (int x = c.Left + 2; x < c.Left + 20; ++x)
            if (bmp.Canvas()->Pixels(o.X + x, o.Y + y) == clBlack) leftInk = true;
        for (int x = c.Right / 2; x < c.Right - e->ButtonWidth() - 2; ++x)
            if (bmp.Canvas()->Pixels(o.X + x, o.Y + y) == clBlack) rightInk = true;
    }
    EXPECT_FALSE(leftInk);
    EXPECT_TRUE(rightInk);
}

}  // namespace
