// What the suite's edit controls publish beside their data properties,
// written and read by name as a form definition or a host does: the edit's
// password character and menu, the picker's binding, value, frame and events,
// the combo box's drop-down events, the calendar's events, and the combo
// button's action, caption, glyph and menu.
#include <cmath>
#include <vector>

#include "platform/core/properties.h"
#include "platform/ui/actions.h"
#include "platform/ui/bitmaps.h"
#include "platform/ui/menus.h"
#include "platform/ui/testing.h"
#include "suite/base/qzcontroller.h"
#include "suite/edit/qzcombobutton.h"
#include "suite/edit/qzdatetimepicker.h"
#include "suite/edit/qzdbcombobox.h"
#include "suite/edit/qzmonthcal.h"
#include "support/suite/edit_fixture.h"

namespace {

using PublishedTest = EditTest;

TEST_F(PublishedTest, EditAndPickerTakeTheirPasswordCharAndMenuByName) {
    TqzDBEdit* e = MakeEdit("Code");
    TPopupMenu menu(&Form);
    SetObjectProp(e, "PopupMenu", &menu);
    EXPECT_EQ(&menu, e->PopupMenu());
    EXPECT_EQ(0, GetOrdProp(e, "PasswordChar"));
    SetOrdProp(e, "PasswordChar", '*');
    EXPECT_EQ(U'*', e->PasswordChar());
    // The hidden text is still what is typed and stored.
    T.Append();
    ShowAndFocus(e);
    SendText(e, "ab1");
    TabAway(e);
    T.Post();
    EXPECT_EQ("ab1", T.FieldByName("Code")->AsString());

    auto* picker = new TqzDBDateTimePicker(&Form);
    picker->SetParent(&Form);
    picker->SetBounds(10, 100, 160, 24);
    SetObjectProp(picker, "PopupMenu", &menu);
    EXPECT_EQ(&menu, picker->PopupMenu());
    EXPECT_EQ(&menu, GetObjectProp(picker, "PopupMenu"));
    delete picker;
}

// The input-method names of the edit, the combo box and the picker: set by
// name, and with imDisable the focused control turns the input method off.
TEST_F(PublishedTest, InputMethodNamesTurnItOffForTheFocusedControl) {
    TqzDBEdit* e = MakeEdit("Code");
    auto* c = new TqzDBComboBox(&Form);
    c->SetParent(&Form);
    c->SetBounds(10, 100, 160, 24);
    auto* p = new TqzDBDateTimePicker(&Form);
    p->SetParent(&Form);
    p->SetBounds(10, 140, 160, 24);
    for (TWinControl* control : std::vector<TWinControl*>{e, c, p}) {
        SCOPED_TRACE(control->ClassName());
        EXPECT_EQ("imDontCare", GetEnumProp(control, "ImeMode"));
        ShowAndFocus(control);
        ASSERT_EQ(control, FocusedControl());
        EXPECT_TRUE(InputMethodEnabledFor(control));
        SetEnumProp(control, "ImeMode", "imDisable");
        SetStrProp(control, "ImeName", "ibus");
        EXPECT_EQ(imDisable, control->ImeMode());
        EXPECT_EQ("ibus", control->ImeName());
        EXPECT_FALSE(InputMethodEnabledFor(control));
        SetEnumProp(control, "ImeMode", "imSAlpha");
        EXPECT_TRUE(InputMethodEnabledFor(control));
        EXPECT_TRUE(LatinInputAskedFor(control));
    }
}

TEST_F(PublishedTest, PickerBindingValueFrameAndEventsByName) {
    auto* p = new TqzDBDateTimePicker(&Form);
    p->SetParent(&Form);
    p->SetBounds(10, 100, 160, 24);
    SetObjectProp(p, "DataSource", &Src);
    SetStrProp(p, "DataField", "Due");
    EXPECT_EQ(&Src, p->DataSource());
    EXPECT_EQ("Due", GetStrProp(p, "DataField"));
    T.Append();
    T.FieldByName("Due")->SetAsDateTime(EncodeDate(2026, 3, 20));
    EXPECT_EQ(EncodeDate(2026, 3, 20), GetFloatProp(p, "Date"));
    EXPECT_EQ("TDate", GetPropInfo(p, "Date")->TypeName);
    T.Cancel();
    // Unbound again: the type goes back to date and time.
    p->SetUnboundDataType(qzDTEdtDate);
    SetStrProp(p, "DataField", "");
    EXPECT_EQ(qzDTEdtDateTime, p->UnboundDataType());
    p->SetUnboundDataType(qzDTEdtDate);
    SetObjectProp(p, "DataSource", nullptr);
    EXPECT_EQ(qzDTEdtDateTime, p->UnboundDataType());
    SetFloatProp(p, "Date", EncodeDate(2026, 5, 1));
    EXPECT_EQ(EncodeDate(2026, 5, 1), std::trunc(p->Value()));
    EXPECT_EQ(p->Epoch(), GetOrdProp(p, "Epoch"));
    TqzController ctl(&Form);
    ctl.Frame()->SetEnabled(true);
    SetObjectProp(p, "Controller", &ctl);
    EXPECT_TRUE(p->Frame()->Enabled());  // the controller's frame, copied
    int drops = 0, closes = 0;
    SetMethodProp(p, "OnDropDown", TNotifyEvent([&](TObject*) { ++drops; }));
    SetMethodProp(p, "OnCloseUp", TNotifyEvent([&](TObject*) { ++closes; }));
    ShowAndFocus(p);
    SendKey(p, VK_F4);
    ASSERT_TRUE(p->IsDroppedDown());
    SendKey(p, VK_ESCAPE);
    EXPECT_FALSE(p->IsDroppedDown());
    EXPECT_EQ(1, drops);
    EXPECT_EQ(1, closes);
    delete p;  // before the handlers' captures and the controller go
}

TEST_F(PublishedTest, ComboBoxDropDownAndCloseUpSetByNameFire) {
    auto* c = new TqzDBComboBox(&Form);
    c->SetParent(&Form);
    c->SetBounds(10, 40, 160, 24);
    c->Items()->Add("Apple");
    c->Items()->Add("Banana");
    int drops = 0;
    std::vector<bool> closes;
    SetMethodProp(c, "OnDropDown", TNotifyEvent([&](TObject*) { ++drops; }));
    SetMethodProp(c, "OnCloseUp",
                  TqzComboCloseUpEvent([&](TqzDBComboBox*, bool Accept) { closes.push_back(Accept); }));
    EXPECT_EQ("TqzComboCloseUpEvent", GetPropInfo(c, "OnCloseUp")->TypeName);
    ShowAndFocus(c);
    SendKey(c, VK_F4);
    ASSERT_TRUE(c->IsDroppedDown());
    EXPECT_EQ(1, drops);
    SendKey(c, VK_ESCAPE);
    EXPECT_FALSE(c->IsDroppedDown());
    EXPECT_EQ(std::vector<bool>{false}, closes);
    delete c;  // before the handlers' captures go
}

TEST_F(PublishedTest, CalendarEventsSetByNameFire) {
    auto* c = new TqzMonthCalendar(&Form);
    c->SetParent(&Form);
    c->SetBounds(10, 10, 220, 180);
    c->SetDate(EncodeDate(2026, 3, 12));
    int changes = 0;
    std::vector<int> asked;
    SetMethodProp(c, "OnChange", TNotifyEvent([&](TObject*) { ++changes; }));
    SetMethodProp(c, "OnCalcBoldDay",
                  TCalcBoldDayEvent([&](TObject*, TDateTime, int Month, int Day, int, bool& Accept) {
                      if (Month == 3) asked.push_back(Day);
                      Accept = Day == 1;
                  }));
    ShowAndFocus(c);
    ProcessEvents();
    EXPECT_FALSE(asked.empty());
    SendKey(c, VK_RIGHT);
    EXPECT_EQ(EncodeDate(2026, 3, 13), std::trunc(c->Date()));
    EXPECT_GE(changes, 1);
    delete c;
}

TEST_F(PublishedTest, ComboButtonTakesItsActionCaptionGlyphAndMenuByName) {
    auto* b = new TqzComboButton(&Form);
    b->SetParent(&Form);
    b->SetBounds(200, 10, 60, 24);
    SetStrProp(b, "Caption", "Go");
    EXPECT_EQ("Go", b->Caption());
    TBitmap glyph;
    glyph.SetSize(32, 16);  // two images side by side
    SetObjectProp(b, "Glyph", &glyph);
    EXPECT_EQ(2, b->NumGlyphs());
    EXPECT_EQ(32, GetObjectProp<TBitmap>(b, "Glyph")->Width());
    TPopupMenu menu(&Form);
    SetObjectProp(b, "PopupMenu", &menu);
    EXPECT_EQ(&menu, b->PopupMenu());
    TCustomAction action(nullptr);
    action.SetCaption("Run");
    int runs = 0;
    action.SetOnExecute(TNotifyEvent([&](TObject*) { ++runs; }));
    SetObjectProp(b, "Action", &action);
    EXPECT_EQ("Run", b->Caption());
    Form.Show();
    ProcessEvents();
    SendClick(b, 5, 5);
    EXPECT_EQ(1, runs);
    SetObjectProp(b, "Action", nullptr);
    EXPECT_EQ(0, action.LinkCount());
    delete b;
}

}  // namespace
