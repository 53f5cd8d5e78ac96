// The navigator, its buttons and the incremental search freed by their own
// handlers (a click, a release, a key, leaving): each ends quietly and the
// form goes on taking input; a button handler that frees the data source
// leaves the navigator sound.
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "platform/ui/stdctrls.h"
#include "suite/data/qzkeycb.h"
#include "suite/data/qznavigator.h"
#include "support/suite/data/nav_fixture.h"
#include "support/ui/freeing_cases.h"

namespace {

class DataControlsFreedTest : public NavTest {
protected:
    void SetUp() override {
        NavTest::SetUp();
        Fill({"anna", "bert", "carl"});
        Survivor = new TEdit(&Form);
        Survivor->SetParent(&Form);
        Survivor->SetBounds(8, 200, 100, 24);
        Form.Show();
        ActivateForm(&Form);
        ProcessEvents();
    }
    TqzDBNavigator* MakeNav() {
        auto* nav = new TqzDBNavigator(&Form);
        nav->SetParent(&Form);
        nav->SetBounds(4, 4, 1, 25);
        nav->SetDataSource(&Src);
        ProcessEvents();
        return nav;
    }
    static void ClickButton(TqzDBNavigator* Nav, TqzNavButtonStyle S) {
        TqzNavButton* b = Nav->Buttons()->ButtonOfStyle(S);
        ASSERT_NE(b, nullptr);
        SendClick(b, b->Width() / 2, b->Height() / 2);
    }
    TqzIncrementalSearch* MakeSearch() {
        auto* s = new TqzIncrementalSearch(&Form);
        s->SetParent(&Form);
        s->SetBounds(8, 40, 150, 21);
        s->SetDataSource(&Src);
        s->SetFocus();
        ProcessEvents();
        return s;
    }
    void RunCases(const TFreeingCases& Cases) { RunFreeingCases(&Form, Survivor, Cases); }
    TEdit* Survivor = nullptr;
};

TEST_F(DataControlsFreedTest, AHandlerMayFreeTheNavigatorOrSearchThatCalledIt) {
    RunCases({
        {"navigator button clicked frees the navigator",
         [&] {
             TqzDBNavigator* nav = MakeNav();
             nav->Buttons()->ButtonOfStyle(nbsNext)->SetOnClick(
                 TNotifyEvent([nav](TObject*) { delete nav; }));
             ClickButton(nav, nbsNext);
         }},
        {"navigator button released frees the navigator",
         [&] {
             TqzDBNavigator* nav = MakeNav();
             nav->Buttons()->ButtonOfStyle(nbsLast)->SetOnMouseUp(
                 TMouseEvent([nav](TObject*, TMouseButton, TShiftState, int, int) { delete nav; }));
             ClickButton(nav, nbsLast);
         }},
        {"search key up",
         [&] {
             TqzIncrementalSearch* s = MakeSearch();
             s->SetOnKeyUp(TKeyEvent([](TObject* Sender, uint16_t&, TShiftState) { delete Sender; }));
             SendKey(s, 'B');
         }},
        {"search left",
         [&] {
             TqzIncrementalSearch* s = MakeSearch();
             s->SetOnExit(TNotifyEvent([](TObject* Sender) { delete Sender; }));
             Survivor->SetFocus();
         }},
    });
}

TEST_F(DataControlsFreedTest, AButtonHandlerThatFreesTheDataSourceLeavesTheNavigatorSound) {
    TqzDBNavigator* nav = MakeNav();
    auto* src = new TDataSource(&Form);
    src->SetDataSet(&T);
    nav->SetDataSource(src);
    nav->Buttons()->ButtonOfStyle(nbsNext)->SetOnClick(TNotifyEvent([&src](TObject*) {
        delete src;
        src = nullptr;
    }));
    ClickButton(nav, nbsNext);
    ProcessEvents();
    EXPECT_EQ(src, nullptr);
    EXPECT_EQ(nav->DataSource(), nullptr);
    EXPECT_EQ(Name(), "anna");  // the freed source moved nothing
    EXPECT_FALSE(nav->Buttons()->ButtonOfStyle(nbsNext)->Enabled());
    // The button's own action finds no source and says so.
    ASSERT_EQ(Dialogs.Count(), 1);
    EXPECT_EQ(Dialogs.Last().Text, "Error, DataSource not assigned.");
    // The navigator goes on with a new source.
    nav->SetDataSource(&Src);
    ClickButton(nav, nbsNext);
    EXPECT_EQ(Name(), "bert");
}

}  // namespace
