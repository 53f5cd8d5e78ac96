// The incremental search edit over an engine table: typing with the timer
// driven by the test, its roads, its edit frame, and a form with a navigator
// beside it.
#include <vector>

#include "platform/core/properties.h"
#include "platform/ui/bitmaps.h"
#include "platform/ui/stdctrls.h"
#include "platform/ui/timer.h"
#include "suite/base/qzcontroller.h"
#include "suite/base/qzintl.h"
#include "suite/data/qzkeycb.h"
#include "suite/data/qznavigator.h"
#include "support/environment.h"
#include "support/suite/data/nav_fixture.h"

namespace {

class SearchTest : public NavTest {
protected:
    void SetUp() override {
        NavTest::SetUp();
        Fill({"anna", "Bella", "bert", "carl", "carla"});
        S = new TqzIncrementalSearch(&Form);
        S->SetParent(&Form);
        S->SetBounds(8, 40, 150, 21);
        S->SetDataSource(&Src);
        Form.Show();
        ProcessEvents();
        S->SetFocus();
        ProcessEvents();
    }
    TqzIncrementalSearch* S = nullptr;
    TTestTimers Timers;
};

TEST_F(SearchTest, TypingSearchesOnceAfterThePause) {
    int searches = 0;
    S->SetOnAfterSearch(TqzAfterSearchEvent([&](TqzIncrementalSearch*, bool) { ++searches; }));
    SendText(S, "car");
    EXPECT_EQ(0, searches);
    EXPECT_EQ("anna", Name());
    Timers.Advance(199);
    EXPECT_EQ(0, searches);
    Timers.Advance(1);
    EXPECT_EQ(1, searches);
    EXPECT_EQ("carl", Name());
    SendText(S, "la");
    Timers.Advance(200);
    EXPECT_EQ("carla", Name());
    // Case-insensitive by default; the same text does not search again.
    S->Clear();
    SendText(S, "be");
    Timers.Advance(200);
    EXPECT_EQ("Bella", Name());
    S->Clear();
    SendText(S, "be");
    Timers.Advance(200);
    EXPECT_EQ(4, searches);  // Clear forgot the last text
    S->SetCaseSensitivity(qzcsCaseSensitive);
    S->Clear();
    SendText(S, "be");
    Timers.Advance(200);
    EXPECT_EQ("bert", Name());
    // A delay of its own.
    S->SetSearchDelay(50);
    SendText(S, "r");
    Timers.Advance(50);
    EXPECT_EQ(6, searches);
}

TEST_F(SearchTest, CaseIsFoldedBeyondLatin) {
    Fill({"Ωmega", "Ապրիլ 1", "Ⴀⴁ 2"});
    // by the dataset's Locate, then by the suite's own record search
    for (const bool useLocate : {true, false}) {
        qzIntl()->SetUseLocateMethodForSearch(useLocate);
        T.First();
        S->Clear();
        SendText(S, "ωM");
        Timers.Advance(200);
        EXPECT_EQ("Ωmega", Name()) << useLocate;
        S->Clear();
        SendText(S, "ապՐ");
        Timers.Advance(200);
        EXPECT_EQ("Ապրիլ 1", Name()) << useLocate;
        S->Clear();
        SendText(S, "ⴀႡ");
        Timers.Advance(200);
        EXPECT_EQ("Ⴀⴁ 2", Name()) << useLocate;
    }
    qzIntl()->SetUseLocateMethodForSearch(true);
}

TEST_F(SearchTest, ShowMatchTextCompletesAndBackspaceDoesNotSearch) {
    S->SetShowMatchText(true);
    S->SetSearchField("Name");
    int searches = 0;
    S->SetOnAfterSearch(TqzAfterSearchEvent([&](TqzIncrementalSearch*, bool) { ++searches; }));
    SendText(S, "ca");
    Timers.Advance(200);
    EXPECT_EQ("carl", S->Text());
    EXPECT_EQ(2, S->SelStart());
    EXPECT_EQ(2, S->SelLength());
    SendKey(S, VK_BACK);
    Timers.Advance(500);
    EXPECT_EQ(1, searches);
}

// Letters of more than one byte: the completed part is selected from the end
// of what was typed, so the next letter replaces it and nothing else.
TEST_F(SearchTest, ShowMatchTextSelectsTheCompletionOfLettersOfSeveralBytes) {
    T.AppendRecord({Variant("\xC3\x89mile"), Variant("x"), Variant(6)});  // Émile
    T.AppendRecord(
        {Variant("\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E"), Variant("y"), Variant(7)});  // three CJK letters
    S->SetShowMatchText(true);
    S->SetSearchField("Name");
    SendText(S, "\xC3\xA9mi");  // émi
    Timers.Advance(200);
    ASSERT_EQ("\xC3\x89mile", S->Text());
    EXPECT_EQ(4, S->SelStart());  // after the bytes of "Émi"
    EXPECT_EQ(2, S->SelLength());
    SendText(S, "x");
    EXPECT_EQ("\xC3\x89mix", S->Text());
    S->Clear();
    SendText(S, "\xE6\x97\xA5");
    Timers.Advance(200);
    ASSERT_EQ("\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E", S->Text());
    EXPECT_EQ(3, S->SelStart());
    EXPECT_EQ(6, S->SelLength());
    S->Clear();
    SendText(S, "\xC3\x89MILE");  // the whole name in capitals: the caret at its end
    Timers.Advance(200);
    EXPECT_EQ(6, S->SelStart());
    EXPECT_EQ(0, S->SelLength());
}

// A picture mask over letters of more than one byte: each typed letter goes
// after the last, and the caret stays at the end.
TEST_F(SearchTest, APictureMaskTakesLettersOfSeveralBytesInOrder) {
    S->SetPictureMask("&&&&");                 // letters, upper-cased
    SendText(S, "\xC3\xA4\xC3\xB6");           // äö
    EXPECT_EQ("\xC3\x84\xC3\x96", S->Text());  // ÄÖ
    EXPECT_EQ(4, S->SelStart());
    SendText(S, "a1");  // a digit is refused at the end
    EXPECT_EQ(
        "\xC3\x84\xC3\x96"
        "A",
        S->Text());
    EXPECT_EQ(5, S->SelStart());
}

TEST_F(SearchTest, FieldSearchRoadAndCustomRoad) {
    qzIntl()->SetUseLocateMethodForSearch(false);
    S->SetSearchField("City");
    SendText(S, "cbe");
    Timers.Advance(200);
    EXPECT_EQ("Bella", Name());  // "CBella", case ignored
    S->SetCaseSensitivity(qzcsCaseSensitive);
    S->Clear();
    SendText(S, "Cbe");
    Timers.Advance(200);
    EXPECT_EQ("bert", Name());
    S->SetCaseSensitivity(qzcsAutoDetect);
    qzIntl()->SetUseLocateMethodForSearch(true);
    // A number field refuses a text that is no number: nothing found.
    bool last = true;
    S->SetOnAfterSearch(TqzAfterSearchEvent([&](TqzIncrementalSearch*, bool f) { last = f; }));
    S->SetSearchField("Num");
    S->Clear();
    SendText(S, "x");
    Timers.Advance(200);
    EXPECT_FALSE(last);
    // The custom road gets the field, the value cut to the field's size and
    // decides.
    std::string gotField, gotValue;
    S->SetSearchField("Name");
    S->SetOnPerformCustomSearch(TqzPerformCustomSearchEvent(
        [&](TObject*, TDataSet* ds, const std::string& f, const std::string& v, bool, bool& found) {
            gotField = f;
            gotValue = v;
            ds->Last();
            found = true;
        }));
    S->Clear();
    SendText(S, "zzzzzzzzzzzzzzzzzzzzzzzz");
    Timers.Advance(200);
    EXPECT_EQ("Name", gotField);
    EXPECT_EQ(std::string(20, 'z'), gotValue);
    EXPECT_TRUE(last);
    EXPECT_EQ("carla", Name());
}

TEST_F(SearchTest, EventsSetByNameDecideAndHear) {
    std::vector<bool> heard;
    SetMethodProp(S, "OnAfterSearch",
                  TqzAfterSearchEvent([&](TqzIncrementalSearch*, bool Found) { heard.push_back(Found); }));
    SetMethodProp(S, "OnPerformCustomSearch",
                  TqzPerformCustomSearchEvent([&](TObject*, TDataSet* ds, const std::string&,
                                                  const std::string& v, bool, bool& found) {
                      found = v == "last";
                      if (found) ds->Last();
                  }));
    EXPECT_EQ("TqzAfterSearchEvent", GetPropInfo(S, "OnAfterSearch")->TypeName);
    SendText(S, "last");
    Timers.Advance(200);
    EXPECT_EQ("carla", Name());
    S->Clear();
    SendText(S, "anna");
    Timers.Advance(200);
    EXPECT_EQ("carla", Name());  // the custom road found nothing
    EXPECT_EQ((std::vector<bool>{true, false}), heard);
    delete S;  // before the handlers' captures go
}

TEST_F(SearchTest, TheControllersFrameIsDrawnByFocus) {
    auto* other = new TEdit(&Form);
    other->SetParent(&Form);
    other->SetBounds(8, 80, 150, 21);
    auto* ctl = new TqzController(&Form);
    ctl->Frame()->SetEnabled(true);
    SetObjectProp(S, "Controller", ctl);
    EXPECT_EQ(ctl, S->Controller());
    EXPECT_EQ(0, ctl->ControlList()->IndexOf(S));
    EXPECT_TRUE(S->Frame()->Enabled());  // the controller's frame, copied
    EXPECT_EQ(bsNone, S->BorderStyle());
    EXPECT_EQ(S->Frame(), GetObjectProp(S, "Frame"));
    auto px = [](TBitmap& B, int X, int Y) { return B.Canvas()->Pixels(X, Y); };
    const int w = S->ClientWidth(), h = S->ClientHeight();
    TBitmap shot;
    ProcessEvents();
    RenderControl(S, &shot);
    shot.SaveToFile(TestRunPath("search_frame_focused.png"));
    EXPECT_EQ(ColorToRGB(clBlack), px(shot, 0, h / 2));  // a box all round
    EXPECT_EQ(ColorToRGB(clBlack), px(shot, w / 2, 0));
    other->SetFocus();
    ProcessEvents();
    RenderControl(S, &shot);
    shot.SaveToFile(TestRunPath("search_frame_unfocused.png"));
    EXPECT_NE(ColorToRGB(clBlack), px(shot, 0, h / 2));  // the bottom line only
    EXPECT_EQ(ColorToRGB(clBlack), px(shot, w / 2, h - 1));
    // Typing in the framed edit still searches.
    S->SetFocus();
    ProcessEvents();
    SendText(S, "car");
    Timers.Advance(200);
    EXPECT_EQ("carl", Name());
    delete ctl;
    EXPECT_EQ(nullptr, S->Controller());
}

TEST_F(SearchTest, WithoutSourceItWarnsByName) {
    S->SetName("Finder");
    S->SetDataSource(nullptr);
    SendText(S, "a");
    ASSERT_EQ(1, Dialogs.Count());
    EXPECT_EQ("DataSource not defined - object Finder", Dialogs.Last().Text);
}

// A form with a navigator and a search edit: buttons act and enable by
// state, and typing moves to the first match.
TEST_F(SearchTest, FormWithNavigatorAndSearch) {
    auto* nav = new TqzDBNavigator(&Form);
    nav->SetParent(&Form);
    nav->SetBounds(8, 8, 1, 25);
    nav->SetDataSource(&Src);
    Form.Repaint();
    ProcessEvents();
    ASSERT_EQ(14, nav->Buttons()->Count());
    TqzNavButton* last = nav->Buttons()->ButtonOfStyle(nbsLast);
    SendClick(last, 5, 5);
    EXPECT_EQ("carla", Name());
    EXPECT_FALSE(last->Enabled());
    S->SetFocus();
    SendText(S, "be");
    Timers.Advance(200);
    EXPECT_EQ("Bella", Name());
    EXPECT_TRUE(last->Enabled());
    EXPECT_TRUE(nav->Buttons()->ButtonOfStyle(nbsFirst)->Enabled());
    EXPECT_TRUE(RenderControlToPng(&Form, TestRunPath("navigator_form.png")));
}

}  // namespace
