// The engine controls' menu and password character, set by name as a form
// definition does: the menu opens on a right click over each control, the
// hidden text shows the chosen character and stores what was typed.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine-controls/ostra_calculator.h"
#include "engine-controls/ostra_calendar.h"
#include "platform/core/exceptions.h"
#include "platform/core/properties.h"
#include "platform/ui/buttons.h"
#include "platform/ui/menus.h"
#include "platform/ui/stdctrls.h"
#include "support/engine-controls/dbedit_test_fixture.h"
#include "support/engine-controls/dbgrid_fixture.h"

namespace {

// A menu of one item named after its owner.
TPopupMenu* NamedMenuOf(TComponent* Owner, const std::string& Caption) {
    auto* menu = new TPopupMenu(Owner);
    auto* item = new TMenuItem(menu);
    item->SetCaption(Caption);
    menu->Items()->Add(item);
    return menu;
}

// Right-clicks the control; the captions of the menu that opened ("" none).
std::string RightClickMenu(TTestMenus& Menus, TControl* Control, int X, int Y) {
    const std::size_t before = Menus.Opened().size();
    SendClick(Control, X, Y, mbRight);
    ProcessEvents();
    if (Menus.Opened().size() == before) return "";
    const std::vector<std::string>& captions = Menus.Opened().back();
    return captions.empty() ? "(empty)" : captions.front();
}

using EnginePublishedEditTest = DBEditTest;

TEST_F(EnginePublishedEditTest, MenuByNameOpensOnARightClick) {
    TTestMenus menus;
    TOstraDBEdit* e = NewEdit(odsCombo);
    EXPECT_EQ(nullptr, GetObjectProp(e, "PopupMenu"));
    TPopupMenu* menu = NamedMenuOf(Form, "Edit menu");
    SetObjectProp(e, "PopupMenu", menu);
    EXPECT_EQ(menu, e->PopupMenu());
    EXPECT_EQ(menu, GetObjectProp(e, "PopupMenu"));
    EXPECT_THROW(SetObjectProp(e, "PopupMenu", Form), EPropertyError);
    EXPECT_EQ("Edit menu", RightClickMenu(menus, e, 20, 10));
    // Freed, the menu is forgotten.
    delete menu;
    EXPECT_EQ(nullptr, GetObjectProp(e, "PopupMenu"));
    EXPECT_EQ("", RightClickMenu(menus, e, 20, 10));
}

TEST_F(EnginePublishedEditTest, PasswordCharByNameHidesTheTextAndStoresWhatIsTyped) {
    TOstraDBEdit* e = NewEdit(odsEdit);
    e->SetDataSource(Source);
    e->SetDataField("Group");
    EXPECT_EQ(0, GetOrdProp(e, "PasswordChar"));
    SetOrdProp(e, "PasswordChar", '#');
    EXPECT_EQ(U'#', e->PasswordChar());
    e->SetFocus();
    ProcessEvents();
    SendKey(e, VK_END);
    SendText(e, "xy");
    Other->SetFocus();
    ProcessEvents();
    Goals->Post();
    EXPECT_EQ("Workxy", Goals->FieldByName("Group")->AsString());

    // Painted by the edit itself (right-aligned, not focused), the hidden
    // text is the chosen character, as many as there are characters.
    auto* hidden = NewEdit(odsEdit, 60);
    hidden->SetAlignment(taRightJustify);
    hidden->SetText("ab");
    SetOrdProp(hidden, "PasswordChar", '#');
    auto* shown = NewEdit(odsEdit, 100);
    shown->SetAlignment(taRightJustify);
    shown->SetText("##");
    auto* stars = NewEdit(odsEdit, 140);
    stars->SetAlignment(taRightJustify);
    stars->SetText("**");
    ProcessEvents();
    TBitmap a, b, c;
    RenderControl(hidden, &a);
    RenderControl(shown, &b);
    RenderControl(stars, &c);
    int differentFromShown = 0, differentFromStars = 0;
    for (int y = 0; y < a.Height(); ++y)
        for (int x = 0; x < a.Width(); ++x) {
            if (a.Canvas()->Pixels(x, y) != b.Canvas()->Pixels(x, y)) ++differentFromShown;
            if (a.Canvas()->Pixels(x, y) != c.Canvas()->Pixels(x, y)) ++differentFromStars;
        }
    EXPECT_EQ(0, differentFromShown);
    EXPECT_GT(differentFromStars, 0);
    EXPECT_EQ("ab", hidden->Text());
}

TEST_F(EnginePublishedEditTest, CalendarAndCalculatorTakeTheirMenuByName) {
    TTestMenus menus;
    auto* calendar = new TOstraCalendar(Form);
    calendar->SetParent(Form);
    calendar->SetBounds(180, 10, 158, 160);
    TPopupMenu* calendarMenu = NamedMenuOf(Form, "Calendar menu");
    SetObjectProp(calendar, "PopupMenu", calendarMenu);
    EXPECT_EQ(calendarMenu, calendar->PopupMenu());
    ProcessEvents();
    // Over a day button, inside the panel.
    TControl* day = calendar->DayButton(10);
    EXPECT_EQ("Calendar menu", RightClickMenu(menus, day, day->Width() / 2, day->Height() / 2));
    SetObjectProp(calendar, "PopupMenu", nullptr);
    EXPECT_EQ("", RightClickMenu(menus, day, day->Width() / 2, day->Height() / 2));

    auto* edit = new TEdit(Form);
    edit->SetParent(Form);
    edit->SetBounds(10, 200, 100, 21);
    auto* calc = new TOstraCalculator(edit);
    calc->SetParent(Form);
    calc->SetBounds(180, 60, 0, 0);
    ProcessEvents();
    TPopupMenu* calcMenu = NamedMenuOf(Form, "Calculator menu");
    SetObjectProp(calc, "PopupMenu", calcMenu);
    EXPECT_EQ(calcMenu, GetObjectProp(calc, "PopupMenu"));
    TControl* seven = calc->Button("7");
    ASSERT_NE(nullptr, seven);
    EXPECT_EQ("Calculator menu", RightClickMenu(menus, seven, seven->Width() / 2, seven->Height() / 2));
    EXPECT_EQ("Calculator menu", RightClickMenu(menus, calc, 2, 2));
}

using EnginePublishedGridTest = DBGridTest;

TEST_F(EnginePublishedGridTest, GridMenuByNameOpensWhereNoColumnMenuDoes) {
    TTestMenus menus;
    ShowTasks(4);
    TPopupMenu* gridMenu = NamedMenuOf(Form, "Grid menu");
    SetObjectProp(Grid, "PopupMenu", gridMenu);
    EXPECT_EQ(gridMenu, Grid->PopupMenu());
    TPoint p = CellCenter(1, 1);
    EXPECT_EQ("Grid menu", RightClickMenu(menus, Grid, p.X, p.Y));
    // A column's own menu comes first over its cells.
    Grid->Columns()->Items(2)->SetPopupMenu(NamedMenuOf(Form, "Column menu"));
    p = CellCenter(2, 1);
    EXPECT_EQ("Column menu", RightClickMenu(menus, Grid, p.X, p.Y));
    p = CellCenter(3, 0);
    EXPECT_EQ("Grid menu", RightClickMenu(menus, Grid, p.X, p.Y));
    SetObjectProp(Grid, "PopupMenu", nullptr);
    p = CellCenter(1, 1);
    EXPECT_EQ("", RightClickMenu(menus, Grid, p.X, p.Y));
}

}  // namespace
