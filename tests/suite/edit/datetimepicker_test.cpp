// The date-time picker on a form with real keys and clicks, fixed format
// settings (mm/dd/yyyy) and the fixed clock (03/09/2026 14:05:07).
#include <cmath>

#include "platform/core/exceptions.h"
#include "platform/db/dataset.h"
#include "suite/edit/qzdatetimepicker.h"
#include "support/suite/edit_fixture.h"

namespace {

class PickerTest : public EditTest {
protected:
    TqzDBDateTimePicker* MakePicker(const std::string& Field = std::string()) {
        auto* p = new TqzDBDateTimePicker(&Form);
        p->SetParent(&Form);
        p->SetBounds(10, 10 + 34 * Count++, 180, 24);
        if (!Field.empty()) {
            p->SetDataSource(&Src);
            p->SetDataField(Field);
        }
        return p;
    }
    void Keys(TWinControl* C, std::initializer_list<uint16_t> Ks) {
        for (uint16_t k : Ks) SendKey(C, k);
    }
    int Count = 0;
};

TEST(PickerFormat, ExpansionHonoursQuotedText) {
    TFormatSettings fs;
    EXPECT_EQ(qzExpandDTFormat("'c' dd", fs), "'c' dd");
    EXPECT_EQ(qzExpandDTFormat("\"at\" t", fs), "\"at\" " + fs.ShortTimeFormat);
    std::vector<TqzDTPart> parts;
    const TDateTime v = EncodeDate(2026, 3, 9) + EncodeTime(7, 30, 0, 0);
    const std::string text = qzRenderDTFormat("'Day' dd 'mm' mm", v, TqzDTKind::Date, &parts, fs);
    EXPECT_EQ(text, "Day 09 mm 03");
    ASSERT_EQ(parts.size(), 2u);
    EXPECT_EQ(parts[1].Kind, 'M');
    EXPECT_EQ(parts[1].Start, 10);
}

TEST(PickerFormat, MonthAtTheStartIsAMonthAndMinutesFollowHours) {
    TFormatSettings fs;
    const std::string f = "mm/dd/yyyy hh:mm:ss 'text'";  // long enough to live on the heap
    int pos = 0;
    EXPECT_EQ(qzReadDTToken(f, pos, 'm', fs), "mm");
    EXPECT_EQ(pos, 1);
    pos = 14;
    EXPECT_EQ(qzReadDTToken(f, pos, 'm', fs), "nn");
    std::vector<TqzDTPart> parts;
    qzRenderDTFormat("yyyy/m/d", EncodeDate(2026, 3, 9), TqzDTKind::Date, &parts, fs);
    ASSERT_EQ(parts.size(), 3u);
    EXPECT_EQ(parts[2].Kind, 'D');
    EXPECT_EQ(qzEpochYear(49, 1950), 2049);
    EXPECT_EQ(qzEpochYear(50, 1950), 1950);
    EXPECT_EQ(qzEpochYear(99, 2000), 2099);
}

TEST_F(PickerTest, DefaultFormatStepsPartsAndFillsTheTimeAtMidnight) {
    TqzDBDateTimePicker* p = MakePicker();
    ShowAndFocus(p);
    p->SetValue(EncodeDate(2026, 1, 31));
    EXPECT_EQ(p->Text(), "01/31/2026");
    Keys(p, {VK_RIGHT});
    EXPECT_EQ(p->CurrentPart(), 2);
    SendKey(p, VK_UP);
    EXPECT_EQ(p->Text(), "01/01/2026");
    Keys(p, {VK_LEFT, VK_DOWN});
    EXPECT_EQ(p->Text(), "12/01/2026");
    Keys(p, {VK_RIGHT, VK_RIGHT, VK_RIGHT});
    // The time is filled in from the clock.
    EXPECT_EQ(p->Text(), FormatDateTime("c", EncodeDate(2026, 12, 1) + EncodeTime(14, 5, 7, 0)));
    EXPECT_EQ(p->CurrentPart(), 4);
    EXPECT_EQ(Beeps.Count(), 0);
}

TEST_F(PickerTest, LongDateFormatAtMidnightStaysOnTheShownParts) {
    TqzDBDateTimePicker* p = MakePicker();
    p->SetDateFormat(dfLong);
    ShowAndFocus(p);
    p->SetValue(EncodeDate(2026, 3, 9));
    EXPECT_EQ(p->Text(), FormatDateTime(FormatSettings().LongDateFormat, EncodeDate(2026, 3, 9)));
    // The parts on screen are the long date's (weekday, month, day, year);
    // the time's parts lie past the text.
    const std::vector<TqzDTPart> parts = p->Parts();
    ASSERT_EQ(parts.size(), 8u);
    ASSERT_EQ(parts[3].Kind, 'Y');
    EXPECT_GE(parts[4].Start, static_cast<int>(p->Text().size()));
    Keys(p, {VK_RIGHT, VK_RIGHT, VK_RIGHT});
    EXPECT_EQ(p->CurrentPart(), 4);
    SendKey(p, VK_UP);
    // The year stepped; no time of day came in.
    EXPECT_EQ(p->Value(), EncodeDate(2027, 3, 9));
    EXPECT_EQ(p->Text(), FormatDateTime(FormatSettings().LongDateFormat, EncodeDate(2027, 3, 9)));
    // Moving on into the time fills it in from the clock, as the default
    // format does, so that the part stepped is on screen.
    SendKey(p, VK_RIGHT);
    EXPECT_EQ(p->CurrentPart(), 5);
    const TDateTime filled = EncodeDate(2027, 3, 9) + EncodeTime(14, 5, 7, 0);
    EXPECT_NEAR(p->Value(), filled, 1e-9);
    EXPECT_EQ(
        p->Text(),
        FormatDateTime(FormatSettings().LongDateFormat + " " + FormatSettings().LongTimeFormat, filled));
    SendKey(p, VK_UP);
    EXPECT_NEAR(p->Value(), filled + EncodeTime(1, 0, 0, 0), 1e-9);
    EXPECT_EQ(Beeps.Count(), 0);
}

TEST_F(PickerTest, BoundsWithATimeOfDayKeepTheirOwnDayReachable) {
    TqzDBDateTimePicker* p = MakePicker();
    p->SetUnboundDataType(qzDTEdtDate);
    p->SetMaxDate(EncodeDate(2026, 6, 30) + EncodeTime(9, 0, 0, 0));
    p->SetMinDate(EncodeDate(2026, 6, 1) + EncodeTime(20, 0, 0, 0));
    ShowAndFocus(p);
    EXPECT_NO_THROW(p->SetDate(EncodeDate(2026, 6, 1)));
    EXPECT_NO_THROW(p->SetDate(EncodeDate(2026, 6, 30)));
    try {
        p->SetDate(EncodeDate(2026, 7, 1));
        FAIL();
    } catch (const EDateTimeError& e) {
        EXPECT_EQ(std::string(e.what()), "Date exceeds maximum of 06/30/2026");
    }
    EXPECT_EQ(p->Date(), EncodeDate(2026, 6, 30));
}

TEST_F(PickerTest, MaxDayDropsTheTimeOfDay) {
    TqzDBDateTimePicker* p = MakePicker();
    p->SetValue(EncodeDate(2020, 6, 1) + EncodeTime(14, 0, 0, 0));
    p->SetMaxDate(EncodeDate(2020, 6, 30));
    p->SetDate(EncodeDate(2020, 6, 30));
    EXPECT_EQ(p->Value(), EncodeDate(2020, 6, 30));
    EXPECT_THROW(p->SetMinDate(EncodeDate(2020, 7, 1)), EDateTimeError);
}

TEST_F(PickerTest, EmptyPickerKeysStartFromTodayWithinTheLimits) {
    TqzDBDateTimePicker* p = MakePicker();
    p->SetUnboundDataType(qzDTEdtDate);
    p->SetMinDate(EncodeDate(2027, 2, 10));
    ShowAndFocus(p);
    for (uint16_t key : {VK_SPACE, VK_UP, VK_DOWN, VK_HOME, VK_END}) {
        p->SetValue(0);
        SendKey(p, key);
        EXPECT_GE(p->Date(), EncodeDate(2027, 2, 10)) << key;
    }
    EXPECT_EQ(Dialogs.Count(), 0);
    p->SetValue(0);
    SendKey(p, VK_F4);
    ASSERT_TRUE(p->IsDroppedDown());
    EXPECT_EQ(p->Date(), EncodeDate(2027, 2, 10));
    EXPECT_EQ(std::trunc(p->Calendar()->Date()), EncodeDate(2027, 2, 10));
    SendKey(p, VK_ESCAPE);
    EXPECT_FALSE(p->IsDroppedDown());
}

TEST_F(PickerTest, TypedDigitsAndTwoDigitYears) {
    TqzDBDateTimePicker* p = MakePicker();
    p->SetUnboundDataType(qzDTEdtDate);
    ShowAndFocus(p);
    p->SetValue(EncodeDate(2026, 4, 15));
    // Month first: "4" applies at once and moves to the day.
    SendKey(p, '4');
    EXPECT_EQ(p->CurrentPart(), 2);
    Keys(p, {'3', '2'});
    EXPECT_EQ(Beeps.Count(), 1);
    EXPECT_EQ(p->Date(), EncodeDate(2026, 4, 15));
    p->SetDisplayFormat("mm/dd/yy");
    Keys(p, {VK_RIGHT, VK_RIGHT, '5', '7'});
    EXPECT_EQ(p->Date(), EncodeDate(1957, 4, 15));
    Keys(p, {'0', '7'});
    EXPECT_EQ(p->Date(), EncodeDate(2007, 4, 15));
    SendKey(p, '5');
    EXPECT_EQ(p->Date(), EncodeDate(2005, 4, 15));  // reading finishes the typing
}

TEST_F(PickerTest, TypedPartsThatKeepTheValueShowTheWholeText) {
    // The clock's year is 2026: typing it changes nothing, yet the text shows all of it.
    TqzDBDateTimePicker* p = MakePicker();
    p->SetUnboundDataType(qzDTEdtDate);
    ShowAndFocus(p);
    Keys(p, {'1', '2', '0', '1', '2', '0', '2', '6'});
    EXPECT_EQ(p->Date(), EncodeDate(2026, 12, 1));
    EXPECT_EQ(p->Text(), "12/01/2026");
    EXPECT_EQ(p->SelText(), "2026");
    // The same month and day typed again.
    Keys(p, {VK_LEFT, VK_LEFT, '1', '2'});
    EXPECT_EQ(p->Text(), "12/01/2026");
    Keys(p, {'0', '1'});
    EXPECT_EQ(p->Text(), "12/01/2026");
    // An unfinished part that keeps the value, ended by leaving the picker.
    Keys(p, {VK_LEFT, '0'});
    EXPECT_EQ(p->Text(), "12/0/2026");
    TabAway(p);
    EXPECT_EQ(p->Text(), "12/01/2026");
    EXPECT_EQ(p->Date(), EncodeDate(2026, 12, 1));
    EXPECT_EQ(Beeps.Count(), 0);
}

TEST_F(PickerTest, MinuteIntervalRounds) {
    TqzDBDateTimePicker* p = MakePicker();
    p->SetUnboundDataType(qzDTEdtTime);
    p->SetDisplayFormat("hh:nn");
    p->Interval()->SetMinutesInterval(15);
    p->Interval()->SetRoundMinutes(true);
    ShowAndFocus(p);
    p->SetTime(EncodeTime(10, 7, 0, 0));
    SendKey(p, VK_RIGHT);
    SendKey(p, VK_UP);
    EXPECT_EQ(p->Text(), "10:15");
    SendKey(p, VK_DOWN);
    EXPECT_EQ(p->Text(), "10:00");
    p->SetTime(EncodeTime(10, 50, 0, 0));
    SendKey(p, VK_UP);
    EXPECT_EQ(p->Text(), "10:00");
    EXPECT_FALSE(p->GetShowButton());
}

TEST_F(PickerTest, UnboundDateAndTimeAfterTypingAndAfterTextByProgram) {
    TqzDBDateTimePicker* p = MakePicker();
    p->SetDisplayFormat("mm/dd/yyyy hh:nn");
    ShowAndFocus(p);
    SendKey(p, '1');  // starts from today
    Keys(p, {'2', '2', '5', '2', '0', '2', '7', '0', '8', '3', '0'});
    EXPECT_EQ(p->Date(), EncodeDate(2027, 12, 25));
    EXPECT_NEAR(p->Time(), EncodeTime(8, 30, 0, 0), 1e-9);
    p->SetText("02/03/2028 17:45");
    EXPECT_EQ(p->Date(), EncodeDate(2028, 2, 3));
    EXPECT_NEAR(p->Time(), EncodeTime(17, 45, 0, 0), 1e-9);
    EXPECT_THROW(p->SetText("not a date"), EConvertError);
    EXPECT_EQ(p->Date(), EncodeDate(2028, 2, 3));
}

TEST_F(PickerTest, TextByProgramWithoutADayIsRefusedAndChangesNothing) {
    TqzDBDateTimePicker* p = MakePicker();
    ShowAndFocus(p);
    // A time alone gives no day: a date kind has no value then.
    EXPECT_THROW(p->SetText("2"), EConvertError);
    EXPECT_EQ(p->Value(), 0);
    EXPECT_EQ(p->Text(), "");
    p->SetValue(EncodeDate(2026, 5, 5) + EncodeTime(9, 0, 0, 0));
    const std::string shown = p->Text();
    EXPECT_THROW(p->SetText("14:30"), EConvertError);
    EXPECT_EQ(p->Value(), EncodeDate(2026, 5, 5) + EncodeTime(9, 0, 0, 0));
    EXPECT_EQ(p->Text(), shown);
    p->SetUnboundDataType(qzDTEdtDate);
    EXPECT_THROW(p->SetText("2"), EConvertError);
    EXPECT_EQ(p->Date(), EncodeDate(2026, 5, 5));
    // A time-only picker takes a time alone.
    p->SetUnboundDataType(qzDTEdtTime);
    p->SetText("14:30");
    EXPECT_NEAR(p->Time(), EncodeTime(14, 30, 0, 0), 1e-9);
}

TEST_F(PickerTest, PastedTextMustBeADateAsAWhole) {
    TqzDBDateTimePicker* p = MakePicker();
    p->SetUnboundDataType(qzDTEdtDate);
    p->SetValue(EncodeDate(2026, 5, 5));
    ShowAndFocus(p);
    // a five-digit year is no year 1000; a date with words after it is no date
    int beeps = 0;
    for (const char* text : {"1/1/10000", "2/29/2000 and more"}) {
        Clipboard()->SetAsText(text);
        p->SelectAll();
        p->PasteFromClipboard();
        ProcessEvents();
        EXPECT_EQ(p->Date(), EncodeDate(2026, 5, 5)) << text;
        EXPECT_EQ(p->Text(), "05/05/2026") << text;
        EXPECT_EQ(Beeps.Count(), ++beeps) << text;
    }
    Clipboard()->SetAsText(" 2/29/00 ");
    p->SelectAll();
    p->PasteFromClipboard();
    EXPECT_EQ(p->Date(), EncodeDate(2000, 2, 29));
    EXPECT_EQ(Beeps.Count(), beeps);
}

TEST_F(PickerTest, EscapeRestoresTheValueOnEntry) {
    TqzDBDateTimePicker* p = MakePicker();
    p->SetUnboundDataType(qzDTEdtDate);
    p->SetValue(EncodeDate(2026, 5, 5));
    ShowAndFocus(p);
    SendKey(p, VK_UP);
    EXPECT_EQ(p->Date(), EncodeDate(2026, 6, 5));
    SendKey(p, VK_ESCAPE);
    EXPECT_EQ(p->Date(), EncodeDate(2026, 5, 5));
}

TEST_F(PickerTest, BoundPickerEditsPartsDropsTheCalendarAndPosts) {
    T.Append();
    T.FieldByName("Stamp")->SetAsDateTime(EncodeDate(2026, 3, 2) + EncodeTime(9, 15, 0, 0));
    T.Post();
    TqzDBDateTimePicker* p = MakePicker("Stamp");
    p->SetDisplayFormat("mm/dd/yyyy hh:nn");
    ShowAndFocus(p);
    EXPECT_EQ(p->Text(), "03/02/2026 09:15");
    Keys(p, {VK_RIGHT, '1', '6'});
    EXPECT_EQ(p->Text(), "03/16/2026 09:15");
    SendKey(p, VK_DOWN, TShiftState{ssAlt});
    ASSERT_TRUE(p->IsDroppedDown());
    ASSERT_TRUE(RenderControlToPng(&Form, PngPath("picker_form")));
    ASSERT_TRUE(RenderControlToPng(p->CalendarWindow(), PngPath("picker_calendar")));
    // A click on the day names keeps it open; a click on a day takes it.
    TqzPopupCalendar* cal = p->Calendar();
    TPoint names{0, 0}, day{0, 0};
    for (int y = 0; y < cal->ClientHeight(); ++y)
        for (int x = 0; x < cal->ClientWidth(); ++x) {
            const TMonthHitTest h = cal->HitTest({x, y});
            if (h.Hit == MCHT_CALENDARDAY && names.X == 0) names = {x + 2, y + 2};
            if (h.Hit == MCHT_CALENDARDATE && h.Month == 3 && h.Day == 20 && day.X == 0) day = {x + 3, y + 3};
        }
    SendClick(cal, names.X, names.Y);
    EXPECT_TRUE(p->IsDroppedDown());
    SendClick(cal, day.X, day.Y);
    EXPECT_FALSE(p->IsDroppedDown());
    EXPECT_EQ(p->Text(), "03/20/2026 09:15");
    TabAway(p);
    T.Post();
    EXPECT_EQ(T.FieldByName("Stamp")->AsDateTime(), EncodeDate(2026, 3, 20) + EncodeTime(9, 15, 0, 0));
}

TEST_F(PickerTest, ClearingTheDateOnlyViewOfADateTimeFieldClearsTheField) {
    T.Append();
    T.FieldByName("Stamp")->SetAsDateTime(EncodeDate(2026, 3, 2) + EncodeTime(9, 15, 0, 0));
    T.Post();
    TqzDBDateTimePicker* p = MakePicker("Stamp");
    p->SetDisplayFormat("mm/dd/yyyy");
    ShowAndFocus(p);
    SendKey(p, VK_DELETE);
    EXPECT_EQ(p->Text(), "");
    TabAway(p);
    T.Post();
    EXPECT_TRUE(T.FieldByName("Stamp")->IsNull());
}

TEST_F(PickerTest, DateFieldEditKeepsTheFieldsTimeAndAClickOutsideCloses) {
    T.Append();
    T.FieldByName("Stamp")->SetAsDateTime(EncodeDate(2026, 3, 2) + EncodeTime(9, 15, 0, 0));
    T.Post();
    TqzDBDateTimePicker* p = MakePicker("Stamp");
    p->SetDisplayFormat("mm/dd/yyyy");
    ShowAndFocus(p);
    SendKey(p, VK_UP);
    SendKey(p, VK_F4);
    ASSERT_TRUE(p->IsDroppedDown());
    SendClick(Other, 3, 3);
    ProcessEvents();
    EXPECT_FALSE(p->IsDroppedDown());
    if (T.State() != dsBrowse) T.Post();
    EXPECT_EQ(T.FieldByName("Stamp")->AsDateTime(), EncodeDate(2026, 4, 2) + EncodeTime(9, 15, 0, 0));
}

}  // namespace

TEST(PickerFormat, RenderingIsStable) {
    std::vector<TqzDTPart> parts;
    size_t first = 0;
    for (int i = 0; i < 50; ++i) {
        qzRenderDTFormat("mm/dd/yyyy h:nn:ss AMPM", 46053.0, TqzDTKind::DateTime, &parts);
        if (i == 0) first = parts.size();
        ASSERT_EQ(parts.size(), first) << i;
    }
    EXPECT_EQ(first, 7u);
}

// ---- As a grid's cell editor -----------------------------------------------------------------

namespace {

class PickerInGridTest : public PickerTest {
public:
    void SetUp() override {
        PickerTest::SetUp();
        Grid = new TqzDBGrid(&Form);
        Grid->SetParent(&Form);
        Grid->SetBounds(10, 10, 300, 150);
        P = new TqzDBDateTimePicker(&Form);
        P->SetParent(Grid);
        P->SetBounds(2, 2, 180, 22);
        P->SetUnboundDataType(qzDTEdtDate);
        P->SetValue(EncodeDate(2026, 5, 5));
        Grid->SetOnKeyDown(TKeyEvent(this, &PickerInGridTest::GridEvent));
    }
    void GridEvent(TObject*, uint16_t& Key, TShiftState) { Events.push_back(Key); }
    void Swallow(TObject*, uint16_t& Key, TShiftState) { Key = 0; }
    // Focuses the picker on Part and presses the key; answers whether the grid got it.
    bool Handed(uint16_t Key, TShiftState Shift = {}, int Part = 1) {
        P->SetFocus();
        ProcessEvents();
        while (P->CurrentPart() > 1) SendKey(P, VK_LEFT);
        for (int i = 1; i < Part; ++i) SendKey(P, VK_RIGHT);
        Grid->Keys.clear();
        SendKey(P, Key, Shift);
        return !Grid->Keys.empty() && Grid->Keys.back() == Key;
    }
    TqzDBGrid* Grid = nullptr;
    TqzDBDateTimePicker* P = nullptr;
    std::vector<uint16_t> Events;
};

TEST_F(PickerInGridTest, NavigationKeysGoToTheGridPartKeysStay) {
    ShowAndFocus(P);
    EXPECT_FALSE(Handed(VK_UP));  // steps the month
    EXPECT_EQ(P->Date(), EncodeDate(2026, 6, 5));
    EXPECT_TRUE(Handed(VK_UP, {ssCtrl}));
    EXPECT_TRUE(Handed(VK_NEXT));
    EXPECT_FALSE(Handed(VK_NEXT, {ssAlt}));
    EXPECT_TRUE(Handed(VK_INSERT));
    EXPECT_FALSE(Handed(VK_INSERT, {ssShift}));
    EXPECT_TRUE(Handed(VK_DELETE, {ssCtrl}));
    EXPECT_FALSE(Handed(VK_HOME));
    EXPECT_FALSE(Handed(VK_LEFT));
    P->SetFocus();
    ProcessEvents();
    SendKey(P, VK_UP);  // modified: Escape resets the edit here
    Grid->Keys.clear();
    SendKey(P, VK_ESCAPE);
    EXPECT_TRUE(Grid->Keys.empty());
    EXPECT_TRUE(Handed(VK_ESCAPE));  // not modified: the grid's
    EXPECT_EQ(FocusedControl(), Grid);
    // The calendar keeps Page Up and Page Down while it shows.
    P->SetFocus();
    ProcessEvents();
    SendKey(P, VK_F4);
    ASSERT_TRUE(P->IsDroppedDown());
    Grid->Keys.clear();
    SendKey(P, VK_NEXT);
    EXPECT_TRUE(Grid->Keys.empty());
    SendKey(P, VK_ESCAPE);
    EXPECT_FALSE(P->IsDroppedDown());
    // A picker that cannot be edited hands on the moving keys too.
    P->SetReadOnly(true);
    for (uint16_t key : {VK_HOME, VK_END, VK_LEFT, VK_RIGHT}) EXPECT_TRUE(Handed(key)) << key;
}

TEST_F(PickerInGridTest, EnterAndTabGoToTheGridUnlessTheCalendarShows) {
    ShowAndFocus(P);
    // Enter while the calendar shows closes it and stays here.
    P->SetFocus();
    ProcessEvents();
    SendKey(P, VK_F4);
    ASSERT_TRUE(P->IsDroppedDown());
    Grid->Keys.clear();
    SendKey(P, VK_RETURN);
    EXPECT_FALSE(P->IsDroppedDown());
    EXPECT_TRUE(Grid->Keys.empty());
    EXPECT_EQ(FocusedControl(), P);
    EXPECT_TRUE(Handed(VK_RETURN));
    EXPECT_EQ(FocusedControl(), Grid);
    // Tab only with the grid's tab option.
    EXPECT_FALSE(Handed(VK_TAB));
    Grid->SetGridOptions({dgTabs});
    EXPECT_TRUE(Handed(VK_TAB));
    EXPECT_EQ(P->Date(), EncodeDate(2026, 5, 5));
}

TEST_F(PickerInGridTest, WithAlwaysShowEditorTheEdgePartsGoToTheGrid) {
    Grid->SetGridOptions({dgAlwaysShowEditor});
    ShowAndFocus(P);
    EXPECT_TRUE(Handed(VK_LEFT, {}, 1));  // the selection starts at the start
    EXPECT_FALSE(Handed(VK_LEFT, {}, 2));
    EXPECT_TRUE(Handed(VK_RIGHT, {}, 3));  // and ends at the end
    EXPECT_FALSE(Handed(VK_RIGHT, {}, 1));
    EXPECT_TRUE(Handed(VK_RIGHT, {ssCtrl}, 1));
    EXPECT_TRUE(Handed(VK_HOME, {ssCtrl}, 2));
    EXPECT_EQ(P->Date(), EncodeDate(2026, 5, 5));
    EXPECT_FALSE(Handed(VK_HOME, {}, 2));  // the first day
    EXPECT_EQ(P->Date(), EncodeDate(2026, 5, 1));
}

TEST_F(PickerInGridTest, F2SelectsTheFirstPartAndTheGridSeesOtherKeysFirst) {
    ShowAndFocus(P);
    EXPECT_FALSE(Handed(VK_F2, {}, 3));
    EXPECT_EQ(P->CurrentPart(), 1);
    EXPECT_EQ(P->SelStart(), 0);
    EXPECT_EQ(P->SelLength(), 2);
    EXPECT_EQ(P->Date(), EncodeDate(2026, 5, 5));
    ASSERT_FALSE(Events.empty());
    EXPECT_EQ(Events.back(), VK_F2);
    // The grid's own key event comes first and may take the key.
    Grid->SetOnKeyDown(TKeyEvent(this, &PickerInGridTest::Swallow));
    SendKey(P, VK_UP);
    EXPECT_EQ(P->Date(), EncodeDate(2026, 5, 5));
}

TEST_F(PickerInGridTest, AGridKeyEventThatFreesThePickerEndsTheKeyQuietly) {
    ShowAndFocus(P);
    // F2 selects a part after the event, a digit types, Up steps: none may touch the freed picker.
    for (uint16_t key : {uint16_t(VK_F2), uint16_t('5'), uint16_t(VK_UP), uint16_t('A')}) {
        auto* picker = new TqzDBDateTimePicker(&Form);
        picker->SetParent(Grid);
        picker->SetBounds(2, 2, 180, 22);
        picker->SetUnboundDataType(qzDTEdtDate);
        picker->SetValue(EncodeDate(2026, 5, 5));
        picker->SetFocus();
        ProcessEvents();
        bool freed = false;
        Grid->SetOnKeyDown(TKeyEvent([&, picker](TObject*, uint16_t&, TShiftState) {
            if (!freed) delete picker;
            freed = true;
        }));
        SendKey(picker, key);
        EXPECT_TRUE(freed) << key;
        // The form goes on taking input.
        P->SetFocus();
        ProcessEvents();
        Grid->SetOnKeyDown(TKeyEvent(this, &PickerInGridTest::GridEvent));
        SendKey(P, VK_UP);
        EXPECT_EQ(P->Date(), EncodeDate(2026, 6, 5)) << key;
        P->SetValue(EncodeDate(2026, 5, 5));
    }
}

}  // namespace

namespace {

TEST_F(PickerInGridTest, AGridMadePickerTakesItsHeightFromItsFontAndReadsItsButtonWidth) {
    auto* made = new TqzDBDateTimePicker(Grid);
    made->SetParent(Grid);
    const int small = made->Height();
    made->Font()->SetSize(made->Font()->Size() * 2);
    ProcessEvents();
    EXPECT_GT(made->Height(), small);
    EXPECT_GE(made->Height(), made->Font()->Size());
    // An automatic button width reads as the width the button has.
    EXPECT_EQ(made->ButtonWidth(), made->Button()->Width());
    EXPECT_GT(made->ButtonWidth(), 0);
    made->SetButtonWidth(30);
    EXPECT_EQ(made->ButtonWidth(), 30);
}

}  // namespace
