// The spin button and the spin edit: bounds, number and date-time stepping,
// keys, the repeat timing on the test clock, and a bound field.
#include <cmath>

#include "platform/core/properties.h"
#include "platform/db/dataset.h"
#include "platform/ui/timer.h"
#include "suite/base/date_scan.h"
#include "suite/edit/qzspinedit.h"
#include "support/suite/edit_fixture.h"
#include "support/suite/glyph_pixels.h"

namespace {

class SpinEditTest : public EditTest {
protected:
    TqzDBSpinEdit* Make(const std::string& Field = {}) {
        auto* e = new TqzDBSpinEdit(&Form);
        e->SetParent(&Form);
        e->SetBounds(10, 10, 160, 24);
        if (!Field.empty()) {
            e->SetDataSource(&Src);
            e->SetDataField(Field);
        }
        return e;
    }
    // Puts the caret into the given part of the edit's text.
    static void CaretIn(TqzDBSpinEdit* E, uint8_t Part, bool TimeOnly = false) {
        int start = 0, length = 0;
        qzDateTimePartSelection(Part, E->Text(), TimeOnly, start, length);
        E->SetSelStart(start);
        E->SetSelLength(0);
    }
};

TEST_F(SpinEditTest, CheckValueClampsOnlyWithinSensibleBounds) {
    auto* e = Make();
    struct Case {
        double Min, Max, In, Out;
    } cases[] = {
        {0, 0, 1000, 1000},
        {1, 10, 12, 10},
        {1, 10, -3, 1},
        {1, 10, 5, 5},
        // Only a minimum: no upper bound, and nothing below the minimum.
        {1, 0, 5, 5},
        {1, 0, -3, 1},
        {1, 0, 0, 1},
        {0, -5, 7, 7},
        {0, -5, -2, 0},
    };
    for (const Case& c : cases) {
        e->SetMinValue(c.Min);
        e->SetMaxValue(c.Max);
        EXPECT_EQ(e->CheckValue(c.In), c.Out) << c.Min << ".." << c.Max << " " << c.In;
    }
    e->SetMinValue(1);
    e->SetMaxValue(10);
    e->SetValue(12);
    EXPECT_EQ(e->Text(), "10");
    e->SetText("");
    EXPECT_EQ(e->Value(), 1);  // empty text reads as MinValue
    e->SetText("abc");
    EXPECT_EQ(e->Value(), 1);
}

TEST_F(SpinEditTest, DayMonthAndHourStepsWrap) {
    auto* e = Make();
    e->SetUnboundDataType(qzEdtDate);
    ShowAndFocus(e);
    struct Case {
        int Y, M, D;
        uint8_t Part;
        int Sign;
        int EY, EM, ED;
    } cases[] = {
        {2026, 1, 31, qzdpDay, 1, 2026, 1, 1},      {2026, 1, 1, qzdpDay, -1, 2026, 1, 31},
        {2026, 1, 31, qzdpMonth, 1, 2026, 2, 28},   {2024, 1, 31, qzdpMonth, 1, 2024, 2, 29},
        {2026, 1, 15, qzdpMonth, -1, 2026, 12, 15}, {2026, 12, 15, qzdpMonth, 1, 2026, 1, 15},
        {2026, 5, 2, qzdpYear, 1, 2027, 5, 2},
    };
    for (const Case& c : cases) {
        e->SetValue(EncodeDate(c.Y, c.M, c.D));
        CaretIn(e, c.Part);
        if (c.Sign > 0)
            e->UpClick(e);
        else
            e->DownClick(e);
        EXPECT_EQ(e->Value(), EncodeDate(c.EY, c.EM, c.ED)) << c.Y << "-" << c.M << "-" << c.D;
    }
    EXPECT_EQ(Beeps.Count(), 0);

    e->SetUnboundDataType(qzEdtDateTime);
    e->SetValue(EncodeDate(2026, 3, 9) + EncodeTime(23, 30, 0, 0));
    CaretIn(e, qzdpHour);
    SendKey(e, VK_UP);
    EXPECT_NEAR(e->Value(), EncodeDate(2026, 3, 9) + EncodeTime(0, 30, 0, 0), 1e-9);
    EXPECT_GT(e->SelLength(), 0);  // the stepped part is selected
}

TEST_F(SpinEditTest, DatesBeyondTheCalendarAreNoStep) {
    auto* e = Make();
    e->SetUnboundDataType(qzEdtDate);
    ShowAndFocus(e);
    e->SetValue(EncodeDate(9999, 12, 31));
    CaretIn(e, qzdpYear);
    SendKey(e, VK_UP);  // by key
    EXPECT_EQ(e->Value(), EncodeDate(9999, 12, 31));
    EXPECT_EQ(Beeps.Count(), 1);
    CaretIn(e, qzdpYear);
    SendClick(e->SpinButton()->UpButton(), 3, 3);  // by click
    EXPECT_EQ(e->Value(), EncodeDate(9999, 12, 31));
    EXPECT_EQ(Beeps.Count(), 2);
    TTestTimers clock;  // a held button
    CaretIn(e, qzdpYear);
    SendMouseDown(e->SpinButton()->UpButton(), mbLeft, 3, 3);
    clock.Advance(600);  // three repeats
    SendMouseUp(e->SpinButton()->UpButton(), mbLeft, 3, 3);
    EXPECT_EQ(e->Value(), EncodeDate(9999, 12, 31));
    EXPECT_EQ(Beeps.Count(), 6);
    // The last day still steps within its month.
    CaretIn(e, qzdpDay);
    SendKey(e, VK_UP);
    EXPECT_EQ(e->Value(), EncodeDate(9999, 12, 1));
}

TEST_F(SpinEditTest, AHeldButtonRepeatsAfter400msThenEvery100ms) {
    TTestTimers clock;
    auto* e = Make();
    ShowAndFocus(e);
    int clicks = 0;
    e->SetAfterUpClick(TNotifyEvent([&](TObject*) { ++clicks; }));
    TqzTimerSpeedButton* up = e->SpinButton()->UpButton();
    SendMouseDown(up, mbLeft, 3, 3);
    EXPECT_EQ(clicks, 0);  // no click at the press
    clock.Advance(399);
    EXPECT_EQ(clicks, 0);
    clock.Advance(1);
    EXPECT_EQ(clicks, 1);
    clock.Advance(99);
    EXPECT_EQ(clicks, 1);
    clock.Advance(1);
    EXPECT_EQ(clicks, 2);
    clock.Advance(200);
    EXPECT_EQ(clicks, 4);
    SendMouseUp(up, mbLeft, 3, 3);  // released inside: one more
    EXPECT_EQ(clicks, 5);
    EXPECT_EQ(e->Value(), 5);
    clock.Advance(1000);  // the timer stopped
    EXPECT_EQ(clicks, 5);
}

TEST_F(SpinEditTest, KeysAndTypedCharacters) {
    auto* e = Make();
    e->SetMinValue(0);
    e->SetMaxValue(3);
    ShowAndFocus(e);
    for (int i = 0; i < 5; ++i) SendKey(e, VK_UP);
    EXPECT_EQ(e->Text(), "3");
    SendKey(e, VK_DOWN);
    EXPECT_EQ(e->Text(), "2");
    e->SelectAll();
    SendText(e, "x");  // not a number character
    EXPECT_EQ(Beeps.Count(), 1);
    EXPECT_EQ(e->Text(), "2");
    SendText(e, "9");
    EXPECT_EQ(e->Text(), "9");
    TabAway(e);  // the exit clamps
    EXPECT_EQ(e->Text(), "3");
    e->SetEditorEnabled(false);
    e->SetFocus();
    e->SelectAll();
    SendText(e, "1");
    EXPECT_EQ(e->Text(), "3");
    EXPECT_EQ(Beeps.Count(), 2);
}

TEST_F(SpinEditTest, ABoundIntegerFieldStepsWithinItsBoundsAndPosts) {
    TTestTimers clock;
    auto* e = Make("Count");
    e->SetMinValue(0);
    e->SetMaxValue(10);
    T.Append();
    T.FieldByName("Count")->SetAsInteger(4);
    ShowAndFocus(e);
    EXPECT_EQ(e->Text(), "4");
    SendClick(e->SpinButton()->UpButton(), 3, 3);
    EXPECT_EQ(e->Text(), "5");
    SendKey(e, VK_UP);
    EXPECT_EQ(e->Text(), "6");
    TqzTimerSpeedButton* up = e->SpinButton()->UpButton();
    SendMouseDown(up, mbLeft, 3, 3);
    clock.Advance(1000);  // held far beyond the maximum
    SendMouseUp(up, mbLeft, 3, 3);
    EXPECT_EQ(e->Text(), "10");
    SendKey(e, VK_DOWN);
    TabAway(e);
    T.Post();
    EXPECT_EQ(T.FieldByName("Count")->AsInteger(), 9);
}

TEST_F(SpinEditTest, ABoundDateFieldStepsThePartUnderTheCaret) {
    auto* e = Make("Due");
    T.Append();
    T.FieldByName("Due")->SetAsDateTime(EncodeDate(2026, 1, 31));
    ShowAndFocus(e);
    CaretIn(e, qzdpMonth);
    SendKey(e, VK_UP);
    TabAway(e);
    T.Post();
    EXPECT_EQ(T.FieldByName("Due")->AsDateTime(), EncodeDate(2026, 2, 28));
}

TEST_F(SpinEditTest, ADateOfTheFirstCenturyStepsWithinIt) {
    auto* e = Make("Due");
    T.Append();
    T.FieldByName("Due")->SetAsDateTime(EncodeDate(1, 1, 1));
    ShowAndFocus(e);
    EXPECT_EQ(e->Text(), "01/01/0001");
    CaretIn(e, qzdpYear);
    SendKey(e, VK_UP);
    EXPECT_EQ(e->Text(), "01/01/0002");
    CaretIn(e, qzdpDay);
    SendKey(e, VK_DOWN);
    TabAway(e);
    T.Post();
    EXPECT_EQ(T.FieldByName("Due")->AsDateTime(), EncodeDate(2, 1, 31));
}

TEST_F(SpinEditTest, ReadOnlyBeepsAndSpinButtonsRenderToPng) {
    auto* e = Make();
    e->SetReadOnly(true);
    ShowAndFocus(e);
    SendKey(e, VK_UP);
    EXPECT_EQ(Beeps.Count(), 1);
    EXPECT_EQ(e->Text(), "0");
    e->SetReadOnly(false);
    EXPECT_TRUE(RenderControlToPng(e, PngPath("spin_up")));
    SendMouseDown(e->SpinButton()->UpButton(), mbLeft, 3, 3);
    EXPECT_TRUE(RenderControlToPng(e, PngPath("spin_up_pressed")));
    SendMouseUp(e->SpinButton()->UpButton(), mbLeft, 3, 3);
    SendMouseDown(e->SpinButton()->DownButton(), mbLeft, 3, 3);
    EXPECT_TRUE(RenderControlToPng(e, PngPath("spin_down_pressed")));
    SendMouseUp(e->SpinButton()->DownButton(), mbLeft, 3, 3);
    e->SetEnabled(false);
    EXPECT_TRUE(RenderControlToPng(e, PngPath("spin_disabled")));
}

// Olive is the glyphs' transparent colour: the up arrow (black at its
// bottom-left corner) showed olive corners and no arrow.
TEST_F(SpinEditTest, BothArrowsShowTheirShapeInEveryState) {
    auto* e = Make();
    ShowAndFocus(e);
    struct Look {
        const char* Name;
        bool Flat, Hot, Pressed, Enabled;
    } looks[] = {{"up", false, false, false, true},        {"pressed", false, false, true, true},
                 {"flat", true, false, false, true},       {"flat_hot", true, true, false, true},
                 {"flat_pressed", true, true, true, true}, {"disabled", false, false, false, false}};
    for (const Look& l : looks) {
        e->SpinButton()->SetFlat(l.Flat);
        e->SetEnabled(l.Enabled);
        for (TqzTimerSpeedButton* b : {e->SpinButton()->UpButton(), e->SpinButton()->DownButton()}) {
            b->SetEnabled(l.Enabled);
            const bool up = b == e->SpinButton()->UpButton();
            const std::string name = std::string(up ? "spin_glyph_up_" : "spin_glyph_down_") + l.Name;
            if (l.Hot) b->Perform(CM_MOUSEENTER);
            if (l.Pressed) SendMouseDown(b, mbLeft, 3, 3);
            ExpectArrowGlyph(b, up, name);
            EXPECT_TRUE(RenderControlToPng(b, PngPath(name))) << name;
            if (l.Pressed) SendMouseUp(b, mbLeft, 50, 50);
            if (l.Hot) b->Perform(CM_MOUSELEAVE);
        }
    }
}

TEST_F(SpinEditTest, TheDataEditPropertiesAndClickEventsAreReachedByName) {
    T.AppendRecord({Variant("a"), Variant(), Variant(), Variant(3)});
    auto* e = Make();
    EXPECT_EQ(1, GetOrdProp(e, "AutoFillDate"));
    EXPECT_EQ(1, GetOrdProp(e, "UsePictureMask"));
    EXPECT_EQ("TqzValidateEvent", GetPropInfo(e, "OnCheckValue")->TypeName);
    EXPECT_EQ("TNotifyEvent", GetPropInfo(e, "AfterUpClick")->TypeName);
    // Bound by name, the edit shows the field and a click on Up writes it.
    SetObjectProp(e, "DataSource", &Src);
    SetStrProp(e, "DataField", "Count");
    EXPECT_EQ(&Src, e->DataSource());
    int clicks = 0;
    SetMethodProp(e, "AfterUpClick", TNotifyEvent([&](TObject*) { ++clicks; }));
    ShowAndFocus(e);
    EXPECT_EQ("3", e->Text());
    TqzTimerSpeedButton* up = e->SpinButton()->UpButton();
    SendMouseDown(up, mbLeft, 3, 3);
    SendMouseUp(up, mbLeft, 3, 3);
    EXPECT_EQ(1, clicks);
    TabAway(e);
    EXPECT_EQ(4, T.FieldByName("Count")->AsInteger());
    SetOrdProp(e, "ReadOnly", 1);
    EXPECT_TRUE(e->ReadOnly());
    SetMethodProp(e, "AfterUpClick", TMethod());
    delete e;
}

}  // namespace
