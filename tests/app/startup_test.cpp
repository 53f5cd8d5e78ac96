// Program start: the currency format, and the helpers that place the
// program's dialogs over the main window.
#include <gtest/gtest.h>

#include <memory>

#include "app/report/form_layout.h"
#include "app/startup.h"
#include "platform/core/sysutils.h"
#include "platform/ui/application.h"
#include "platform/ui/comctrls.h"
#include "platform/ui/extctrls.h"
#include "platform/ui/forms.h"
#include "platform/ui/stdctrls.h"

namespace {

TEST(ProgramUnits, CurrencyComesOutWithoutSymbolAndWithTwoDecimals) {
    ResetFormatSettings();
    FormatSettings().CurrencyString = "EUR";
    FormatSettings().CurrencyDecimals = 4;
    StartProgramUnits();
    EXPECT_EQ(FormatSettings().CurrencyString, "");
    EXPECT_EQ(FormatSettings().CurrencyDecimals, 2);
    SetCurrencySymbol(true);
    EXPECT_EQ(FormatSettings().CurrencyString, "EUR");
    SetCurrencySymbol(false);
    EXPECT_EQ(FormatSettings().CurrencyString, "");
    // A second start does not take the emptied symbol for the saved one.
    StartProgramUnits();
    SetCurrencySymbol(true);
    EXPECT_EQ(FormatSettings().CurrencyString, "EUR");
    FinishProgramUnits();
    FinishProgramUnits();
    ResetFormatSettings();
}

// A main form with bars and panels around its free area.
class MainFormArea : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(Application->MainForm(), nullptr);
        Application->CreateForm(Main);
        Main->SetBounds(0, 0, 600, 500);
        Main->SetClientWidth(600);
        Main->SetClientHeight(400);
        Bar = Add<TToolBar>(alTop, 30);
        Status = Add<TStatusBar>(alBottom, 20);
        Locked = Add<TPanel>(alLeft, 50);
        Locked->SetLocked(true);
        Plain = Add<TPanel>(alRight, 70);  // not locked: does not count
    }
    void TearDown() override { delete Main; }

    template <class T>
    T* Add(TAlign Align, int Size) {
        auto* c = new T(Main);
        c->SetParent(Main);
        c->SetAlign(Align);
        if (Align == alTop || Align == alBottom)
            c->SetHeight(Size);
        else
            c->SetWidth(Size);
        return c;
    }

    TForm* Main = nullptr;
    TToolBar* Bar = nullptr;
    TStatusBar* Status = nullptr;
    TPanel* Locked = nullptr;
    TPanel* Plain = nullptr;
};

TEST_F(MainFormArea, FreeAreaLeavesOutBarsAndLockedPanels) {
    int height = 0, width = 0, top = 0, left = 0;
    ASSERT_TRUE(GetMainClientArea(height, width, top, left));
    EXPECT_EQ(height, 400 - 30 - 20 - 4);
    EXPECT_EQ(width, 600 - 50 - 6);
    EXPECT_EQ(top, 30);
    EXPECT_EQ(left, 50);
    // Hidden bars take no room.
    Bar->SetVisible(false);
    Locked->SetLocked(false);
    ASSERT_TRUE(GetMainClientArea(height, width, top, left));
    EXPECT_EQ(height, 400 - 20 - 4);
    EXPECT_EQ(width, 600 - 6);
    EXPECT_EQ(top, 0);
    EXPECT_EQ(left, 0);
}

TEST_F(MainFormArea, DialogsAreCentredOverTheFreeArea) {
    std::unique_ptr<TForm> dialog(new TForm(nullptr));
    dialog->SetBounds(0, 0, 200, 100);
    CentreOverMainForm(dialog.get());
    const TPoint origin = Main->ClientToScreen(TPoint{0, 0});
    EXPECT_EQ(dialog->Left(), origin.X + 50 + (544 - 200) / 2);
    EXPECT_EQ(dialog->Top(), origin.Y + 30 + (346 - 100) / 2);
    EXPECT_EQ(dialog->Width(), 200);
    EXPECT_EQ(dialog->Height(), 100);

    // Larger than the free area: never at negative coordinates.
    Main->SetBounds(0, 0, 300, 200);
    dialog->SetBounds(500, 500, 900, 700);
    CentreOverMainForm(dialog.get());
    EXPECT_EQ(dialog->Left(), 0);
    EXPECT_EQ(dialog->Top(), 0);
    EXPECT_EQ(dialog->Width(), 900);
}

TEST(FormLayout, NothingHappensWithoutAMainForm) {
    ASSERT_EQ(Application->MainForm(), nullptr);
    int height = -7, width = -7, top = -7, left = -7;
    EXPECT_FALSE(GetMainClientArea(height, width, top, left));
    EXPECT_EQ(height, -7);
    TForm dialog(nullptr);
    dialog.SetBounds(11, 12, 200, 100);
    CentreOverMainForm(&dialog);
    EXPECT_EQ(dialog.Left(), 11);
    EXPECT_EQ(dialog.Top(), 12);
}

TEST(FormLayout, SpreadControlsPlacesVisibleOnesAtEqualDistances) {
    TForm form(nullptr);
    auto* parent = new TPanel(&form);
    parent->SetParent(&form);
    parent->SetBevelOuter(bvNone);
    parent->SetBounds(0, 0, 400, 50);
    std::vector<TControl*> buttons;
    for (int i = 0; i < 3; ++i) {
        auto* b = new TButton(&form);
        b->SetParent(parent);
        b->SetBounds(0, 10, 80, 25);
        buttons.push_back(b);
    }
    SpreadControls(buttons);
    EXPECT_EQ(buttons[0]->Left() + 40, 100);
    EXPECT_EQ(buttons[1]->Left() + 40, 200);
    EXPECT_EQ(buttons[2]->Left() + 40, 300);
    // A hidden one keeps its place and does not count.
    buttons[1]->SetVisible(false);
    buttons[1]->SetLeft(7);
    SpreadControls(buttons);
    EXPECT_EQ(buttons[0]->Left(), 133 - 40);
    EXPECT_EQ(buttons[1]->Left(), 7);
    EXPECT_EQ(buttons[2]->Left(), 266 - 40);
    SpreadControls({});
}

TEST(FormLayout, HelpButtonShowsOnlyWhereAParentHasHelp) {
    TForm form(nullptr);
    auto* panel = new TPanel(&form);
    panel->SetParent(&form);
    auto* help = new TButton(&form);
    help->SetParent(panel);
    ShowHelpButtonIfContext(help);
    EXPECT_FALSE(help->Visible());
    // The button's own context does not count.
    help->SetHelpContext(5);
    ShowHelpButtonIfContext(help);
    EXPECT_FALSE(help->Visible());
    form.SetHelpContext(10003);
    ShowHelpButtonIfContext(help);
    EXPECT_TRUE(help->Visible());
    ShowHelpButtonIfContext(nullptr);
}

TEST(FormLayout, MulDivRoundsHalvesAwayFromZero) {
    EXPECT_EQ(MulDiv(10, 3, 4), 8);  // 7.5
    EXPECT_EQ(MulDiv(-10, 3, 4), -8);
    EXPECT_EQ(MulDiv(10, 1, 3), 3);
    EXPECT_EQ(MulDiv(1 << 30, 8, 16), 1 << 29);  // no overflow on the way
    EXPECT_EQ(MulDiv(5, 5, 0), -1);
}

TEST(FormLayout, UniqueFormNamesForFormsSideBySide) {
    TComponent owner(nullptr);
    EXPECT_EQ(UniqueFormName(&owner, "OKCalendarDlg"), "OKCalendarDlg");
    auto* first = new TComponent(&owner);
    first->SetName("OKCalendarDlg");
    EXPECT_EQ(UniqueFormName(&owner, "OKCalendarDlg"), "OKCalendarDlg_1");
    auto* second = new TComponent(&owner);
    second->SetName("OKCalendarDlg_1");
    EXPECT_EQ(UniqueFormName(&owner, "OKCalendarDlg"), "OKCalendarDlg_2");
    EXPECT_EQ(UniqueFormName(nullptr, "X"), "X");
}

}  // namespace
