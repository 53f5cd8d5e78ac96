// The report forms' layout helpers: spreading and centring controls, the help button, MulDiv.
#include <gtest/gtest.h>

#include <memory>

#include "app/report/form_layout.h"
#include "platform/ui/application.h"
#include "platform/ui/extctrls.h"
#include "platform/ui/stdctrls.h"

namespace {

TEST(ReportFormLayoutTest, SpreadControlsCentresVisibleOnesEvenly) {
    auto form = std::make_unique<TForm>(nullptr);
    form->SetClientWidth(400);
    std::vector<TControl*> buttons;
    for (int i = 0; i < 4; ++i) {
        auto* b = new TButton(form.get());
        b->SetParent(form.get());
        b->SetBounds(7, 0, 60, 25);
        buttons.push_back(b);
    }
    buttons[1]->SetVisible(false);
    SpreadControls(buttons);
    EXPECT_EQ(buttons[0]->Left() + 30, 100);
    EXPECT_EQ(buttons[1]->Left(), 7);  // hidden: stays
    EXPECT_EQ(buttons[2]->Left() + 30, 200);
    EXPECT_EQ(buttons[3]->Left() + 30, 300);
    SpreadControls({});
}

TEST(ReportFormLayoutTest, HelpButtonShowsOnlyUnderAHelpContext) {
    auto form = std::make_unique<TForm>(nullptr);
    auto* panel = new TPanel(form.get());
    panel->SetParent(form.get());
    auto* help = new TButton(form.get());
    help->SetParent(panel);
    ShowHelpButtonIfContext(help);
    EXPECT_FALSE(help->Visible());
    form->SetHelpContext(30);
    ShowHelpButtonIfContext(help);
    EXPECT_TRUE(help->Visible());
    // The button's own context does not count.
    form->SetHelpContext(0);
    help->SetHelpContext(5);
    ShowHelpButtonIfContext(help);
    EXPECT_FALSE(help->Visible());
}

TEST(ReportFormLayoutTest, CentreWithoutMainFormLeavesTheForm) {
    if (Application->MainForm()) GTEST_SKIP() << "a main form exists";
    auto form = std::make_unique<TForm>(nullptr);
    form->SetBounds(12, 34, 200, 100);
    CentreOverMainForm(form.get());
    EXPECT_EQ(form->Left(), 12);
    EXPECT_EQ(form->Top(), 34);
    int h = 0, w = 0, t = 0, l = 0;
    EXPECT_FALSE(GetMainClientArea(h, w, t, l));
}

TEST(ReportFormLayoutTest, MulDivRoundsToNearest) {
    EXPECT_EQ(MulDiv(10, 3, 4), 8);    // 7.5
    EXPECT_EQ(MulDiv(10, 1, 4), 3);    // 2.5
    EXPECT_EQ(MulDiv(10, 1, 3), 3);    // 3.33
    EXPECT_EQ(MulDiv(-10, 1, 4), -3);  // -2.5
    EXPECT_EQ(MulDiv(7, 2, -4), -4);   // -3.5
    EXPECT_EQ(MulDiv(2000000000, 3, 3), 2000000000);
    EXPECT_EQ(MulDiv(5, 5, 0), -1);
}

}  // namespace
