// Focus: tab order, entering and leaving nested controls, refusals.
#include <gtest/gtest.h>

#include "support/ui/ui_probes.h"

namespace {

// A container whose entering and leaving go to a shared log.
class TBox : public TCustomControl {
public:
    TBox(TComponent* AOwner, TWinControl* AParent, std::vector<std::string>& log)
        : TCustomControl(AOwner), FLog(log) {
        SetParent(AParent);
        SetBounds(0, 100, 200, 100);
    }

protected:
    void DoEnter() override { FLog.push_back("Enter " + Name()); }
    void DoExit() override { FLog.push_back("Exit " + Name()); }

private:
    std::vector<std::string>& FLog;
};

class FocusTest : public ::testing::Test {
protected:
    void SetUp() override {
        a = Probe("A", f.Form);
        box = new TBox(f.Form, f.Form, log);
        box->SetName("Box");
        b = Probe("B", box);
        c = Probe("C", box);
        d = Probe("D", f.Form);
        f.Show();
    }
    TProbe* Probe(const std::string& name, TWinControl* parent) {
        auto* p = new TProbe(f.Form, parent);
        p->SetName(name);
        p->SetOnEnter(TNotifyEvent([this, p](TObject*) { log.push_back("Enter " + p->Name()); }));
        p->SetOnExit(TNotifyEvent([this, p](TObject*) { log.push_back("Exit " + p->Name()); }));
        return p;
    }
    TShownForm f;
    std::vector<std::string> log;
    TProbe *a = nullptr, *b = nullptr, *c = nullptr, *d = nullptr;
    TBox* box = nullptr;
};

TEST_F(FocusTest, ShowingFocusesTheFirstTabStop) {
    EXPECT_EQ(f.Form->ActiveControl(), a);
    EXPECT_TRUE(a->Focused());
    EXPECT_EQ(FocusedControl(), a);
    EXPECT_EQ(Screen->ActiveForm(), f.Form);
    EXPECT_EQ(Screen->ActiveControl(), a);
}

TEST_F(FocusTest, EnteringAndLeavingFollowTheParentChain) {
    log.clear();
    c->SetFocus();
    EXPECT_EQ(log, (std::vector<std::string>{"Exit A", "Enter Box", "Enter C"}));
    log.clear();
    b->SetFocus();
    EXPECT_EQ(log, (std::vector<std::string>{"Exit C", "Enter B"}));
    log.clear();
    d->SetFocus();
    EXPECT_EQ(log, (std::vector<std::string>{"Exit B", "Exit Box", "Enter D"}));
    EXPECT_TRUE(d->Focused());
    EXPECT_EQ(f.Form->ActiveControl(), d);
}

TEST_F(FocusTest, TabOrderDecidesTheTabKey) {
    // Tab order: A, Box (not a tab stop), B, C inside it, then D.
    std::vector<TWinControl*> order;
    f.Form->GetTabOrderList(order);
    EXPECT_EQ(order, (std::vector<TWinControl*>{a, box, b, c, d}));
    SendKey(a, VK_TAB);
    EXPECT_TRUE(b->Focused());
    d->SetTabOrder(0);
    EXPECT_EQ(d->TabOrder(), 0);
    EXPECT_EQ(a->TabOrder(), 1);
    c->SetFocus();
    SendKey(c, VK_TAB);  // wraps around to the first of the form
    EXPECT_TRUE(d->Focused());
    SendKey(d, VK_TAB, {ssShift});
    EXPECT_TRUE(c->Focused());
}

TEST_F(FocusTest, NextControlMessageMovesLikeTab) {
    PostMessage(f.Form, WM_NEXTDLGCTL, 0, 0);
    ProcessEvents();
    EXPECT_TRUE(b->Focused());
    PostMessage(f.Form, WM_NEXTDLGCTL, 1, 0);
    ProcessEvents();
    EXPECT_TRUE(a->Focused());
    f.Form->Perform(WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(d), 1);
    EXPECT_TRUE(d->Focused());
}

TEST_F(FocusTest, HiddenDisabledAndNonTabStopControlsAreSkipped) {
    b->SetEnabled(false);
    c->SetTabStop(false);
    SendKey(a, VK_TAB);
    EXPECT_TRUE(d->Focused());
    b->SetEnabled(true);
    box->SetVisible(false);
    SendKey(d, VK_TAB);
    EXPECT_TRUE(a->Focused());
    EXPECT_FALSE(b->CanFocus());
}

TEST_F(FocusTest, CannotFocusAHiddenOrDisabledControl) {
    d->SetVisible(false);
    EXPECT_THROW(d->SetFocus(), EInvalidOperation);
    try {
        d->SetFocus();
    } catch (const EInvalidOperation& e) {
        EXPECT_EQ(e.Message(), "Cannot focus a disabled or invisible window");
    }
    d->SetVisible(true);
    f.Form->SetEnabled(false);
    EXPECT_FALSE(d->CanFocus());
    f.Form->SetEnabled(true);
    EXPECT_TRUE(d->CanFocus());
}

TEST_F(FocusTest, HidingTheFocusedControlTakesTheFocusAway) {
    b->SetFocus();
    box->SetVisible(false);
    EXPECT_EQ(f.Form->ActiveControl(), nullptr);
    EXPECT_FALSE(b->Focused());
}

TEST_F(FocusTest, FreeingTheFocusedControlLeavesNoDanglingActiveControl) {
    c->SetFocus();
    delete box;  // frees B and C with it
    EXPECT_EQ(f.Form->ActiveControl(), nullptr);
    EXPECT_EQ(f.Form->FocusedControl(), nullptr);
    d->SetFocus();
    EXPECT_TRUE(d->Focused());
}

TEST_F(FocusTest, ExceptionWhileLeavingKeepsTheFocus) {
    TTestDialogs dialogs;
    a->SetOnExit(TNotifyEvent([](TObject*) { throw EInvalidOperation("Value is not valid"); }));
    SendKey(a, VK_TAB);
    EXPECT_TRUE(a->Focused());
    EXPECT_EQ(f.Form->ActiveControl(), a);
    ASSERT_EQ(dialogs.Count(), 1);
    EXPECT_EQ(dialogs.Last().Text, "Value is not valid.");
}

TEST_F(FocusTest, FocusInAnotherFormIsKeptPerForm) {
    c->SetFocus();
    TShownForm second;
    auto* e = new TProbe(second.Form, second.Form);
    second.Show();
    EXPECT_TRUE(e->Focused());
    EXPECT_EQ(Screen->ActiveForm(), second.Form);
    EXPECT_EQ(f.Form->ActiveControl(), c);  // remembered for when the form comes back
    EXPECT_FALSE(f.Form->Active());
    ActivateForm(f.Form);
    EXPECT_TRUE(f.Form->Active());
    EXPECT_TRUE(c->Focused());
}

}  // namespace
