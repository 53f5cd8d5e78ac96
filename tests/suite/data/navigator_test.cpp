// The navigator over an engine table: each style's action and enabling by
// the dataset's state, the delete question, auto-repeat on the test clock,
// rows and columns, themes, the bookmark store and the dialogs made by
// class name.
#include <vector>

#include "platform/core/exceptions.h"
#include "platform/core/properties.h"
#include "platform/core/scope_exit.h"
#include "platform/ui/actions.h"
#include "platform/ui/bitmaps.h"
#include "platform/ui/class_registry.h"
#include "platform/ui/extctrls.h"
#include "platform/ui/imagelist.h"
#include "platform/ui/stdctrls.h"
#include "platform/ui/themes.h"
#include "platform/ui/timer.h"
#include "suite/data/qzkeycb.h"
#include "suite/data/qzlocate.h"
#include "suite/data/qzlookupdlg.h"
#include "suite/data/qznavigator.h"
#include "suite/data/qzspeedbutton.h"
#include "support/environment.h"
#include "support/suite/data/nav_fixture.h"

namespace {

class NavigatorTest : public NavTest {
protected:
    void SetUp() override {
        NavTest::SetUp();
        Nav = new TqzDBNavigator(&Form);
        Nav->SetParent(&Form);
        Nav->SetBounds(4, 4, 1, 25);
        Nav->SetDataSource(&Src);
        Form.Show();
        ProcessEvents();
        Form.Repaint();
        ProcessEvents();
    }
    TqzNavButton* B(TqzNavButtonStyle S) {
        TqzNavButton* b = Nav->Buttons()->ButtonOfStyle(S);
        EXPECT_NE(nullptr, b);
        return b;
    }
    void Click(TqzNavButtonStyle S) {
        TqzNavButton* b = B(S);
        SendClick(b, b->Width() / 2, b->Height() / 2);
    }
    bool On(TqzNavButtonStyle S) { return B(S)->Enabled(); }
    TqzDBNavigator* Nav = nullptr;
};

TEST_F(NavigatorTest, DefaultButtonsInOrderOneRowAsWideAsTheButtons) {
    ASSERT_EQ(14, Nav->Buttons()->Count());
    const TqzNavButtonStyle order[] = {
        nbsFirst,  nbsPriorPage, nbsPrior, nbsNext,   nbsNextPage, nbsLast,         nbsInsert,
        nbsDelete, nbsEdit,      nbsPost,  nbsCancel, nbsRefresh,  nbsSaveBookmark, nbsRestoreBookmark};
    for (int i = 0; i < 14; ++i) {
        EXPECT_EQ(order[i], Nav->Buttons()->Items(i)->Style());
        EXPECT_EQ(i * 25, Nav->Buttons()->Items(i)->Left());
        EXPECT_EQ(0, Nav->Buttons()->Items(i)->Top());
    }
    EXPECT_EQ(14 * 25, Nav->Width());
    EXPECT_EQ(25, Nav->Height());
    EXPECT_EQ("Move backward 10 records", B(nbsPriorPage)->Hint());
    EXPECT_EQ("Move to first record", B(nbsFirst)->Hint());
    Nav->SetMoveBy(3);
    EXPECT_EQ("Move forward 3 records", B(nbsNextPage)->Hint());
    EXPECT_THROW(Nav->Buttons()->Items(14), EInvalidOperation);
}

TEST_F(NavigatorTest, EnablingFollowsTheDatasetsState) {
    // Empty dataset: nothing to move to or delete.
    EXPECT_FALSE(On(nbsDelete));
    EXPECT_TRUE(On(nbsInsert));
    Fill({"a", "b", "c", "d"});
    EXPECT_FALSE(On(nbsFirst));
    EXPECT_FALSE(On(nbsPrior));
    EXPECT_FALSE(On(nbsPriorPage));
    EXPECT_TRUE(On(nbsNext));
    EXPECT_TRUE(On(nbsLast));
    EXPECT_TRUE(On(nbsNextPage));
    EXPECT_TRUE(On(nbsEdit));
    EXPECT_FALSE(On(nbsPost));
    EXPECT_FALSE(On(nbsRestoreBookmark));
    Click(nbsNext);
    EXPECT_EQ("b", Name());
    Click(nbsLast);
    EXPECT_EQ("d", Name());
    EXPECT_FALSE(On(nbsNext));
    Click(nbsPrior);
    EXPECT_EQ("c", Name());
    Click(nbsPriorPage);
    EXPECT_EQ("a", Name());
    Click(nbsNextPage);
    EXPECT_EQ("d", Name());
    Click(nbsFirst);
    EXPECT_EQ("a", Name());
    Click(nbsEdit);
    EXPECT_EQ(dsEdit, T.State());
    EXPECT_TRUE(On(nbsPost));
    EXPECT_TRUE(On(nbsCancel));
    EXPECT_FALSE(On(nbsEdit));
    T.FieldByName("Name")->SetAsString("z");
    Click(nbsCancel);
    EXPECT_EQ("a", Name());
    Click(nbsInsert);
    EXPECT_EQ(dsInsert, T.State());
    T.FieldByName("Name")->SetAsString("new");
    Click(nbsPost);
    EXPECT_EQ(dsBrowse, T.State());
    EXPECT_EQ(5, T.RecordCount());
    // The source gone: every button but a custom one is off.
    TqzNavButton* custom = Nav->Buttons()->AddButton(nbsCustom);
    custom->SetEnabled(true);
    Nav->SetDataSource(nullptr);
    for (int i = 0; i < Nav->Buttons()->Count(); ++i)
        EXPECT_EQ(Nav->Buttons()->Items(i) == custom, Nav->Buttons()->Items(i)->Enabled()) << i;
}

TEST_F(NavigatorTest, DeleteAsksFirstAndCancelKeepsTheRecord) {
    Fill({"a", "b"});
    Dialogs.Answer(mrCancel);
    Click(nbsDelete);
    ASSERT_EQ(1, Dialogs.Count());
    EXPECT_EQ("Delete record?", Dialogs.Last().Text);
    EXPECT_EQ(2, T.RecordCount());
    Dialogs.Answer(mrOk);
    Click(nbsDelete);
    EXPECT_EQ(1, T.RecordCount());
    Nav->SetOptions({});
    Click(nbsDelete);
    EXPECT_EQ(2, Dialogs.Count());
    EXPECT_EQ(0, T.RecordCount());
    // nothing to delete: no question, only the dataset's refusal
    Nav->SetOptions({noConfirmDelete});
    EXPECT_THROW(B(nbsDelete)->Click(), Exception);
    EXPECT_EQ(2, Dialogs.Count());
}

TEST_F(NavigatorTest, HoldingNextRepeatsOnTheClock) {
    Fill({"a", "b", "c", "d", "e", "f", "g"});
    TTestTimers timers;
    TqzNavButton* next = B(nbsNext);
    SendMouseDown(next, mbLeft, 5, 5);
    ASSERT_NE(nullptr, next->RepeatTimer());
    timers.Advance(499);
    EXPECT_EQ("a", Name());
    timers.Advance(1);
    EXPECT_EQ("b", Name());
    timers.Advance(100);
    EXPECT_EQ("c", Name());
    timers.Advance(200);
    EXPECT_EQ("e", Name());
    SendMouseUp(next, mbLeft, 5, 5);  // the ordinary click on release
    EXPECT_EQ("f", Name());
    EXPECT_EQ(nullptr, next->RepeatTimer());
    timers.Advance(1000);
    EXPECT_EQ("f", Name());
    // Insert does not repeat.
    SendMouseDown(B(nbsInsert), mbLeft, 5, 5);
    EXPECT_EQ(nullptr, B(nbsInsert)->RepeatTimer());
    SendMouseUp(B(nbsInsert), mbLeft, 5, 5);
    T.Cancel();
}

TEST_F(NavigatorTest, RepeatTimingComesFromItsPublishedObject) {
    Fill({"a", "b", "c", "d", "e", "f", "g"});
    TTestTimers timers;
    auto* timing = GetObjectProp<TqzNavRepeatInterval>(Nav, "RepeatInterval");
    ASSERT_NE(nullptr, timing);
    EXPECT_EQ(500, GetOrdProp(timing, "InitialDelay"));
    EXPECT_EQ(100, GetOrdProp(timing, "Interval"));
    SetOrdProp(timing, "InitialDelay", 300);
    SetOrdProp(timing, "Interval", 50);
    TqzNavButton* next = B(nbsNext);
    SendMouseDown(next, mbLeft, 5, 5);
    timers.Advance(299);
    EXPECT_EQ("a", Name());
    timers.Advance(1);
    EXPECT_EQ("b", Name());
    timers.Advance(50);
    EXPECT_EQ("c", Name());
    SendMouseUp(next, mbLeft, 5, 5);
    EXPECT_EQ("d", Name());
    // Assigning copies both values.
    TqzDBNavigator other(nullptr);
    other.SetRepeatInterval(timing);
    EXPECT_EQ(300, other.RepeatInterval()->InitialDelay());
    EXPECT_EQ(50, other.RepeatInterval()->Interval());
}

// Pixels that differ between two shots inside the rectangle.
int DifferingPixels(TBitmap& A, TBitmap& B, const TRect& R) {
    int n = 0;
    for (int y = R.Top; y < R.Bottom; ++y)
        for (int x = R.Left; x < R.Right; ++x)
            if (A.Canvas()->Pixels(x, y) != B.Canvas()->Pixels(x, y)) ++n;
    return n;
}

TEST_F(NavigatorTest, ButtonsFollowThemesUnlessTheNavigatorDisablesThem) {
    struct ThemesOff {
        ~ThemesOff() { SetThemeServicesEnabled(false); }
    } restore;
    Fill({"a", "b"});
    Nav->SetFlat(false);
    TqzNavButton* next = B(nbsNext);
    const TRect r = next->BoundsRect();
    auto shoot = [&](TBitmap& Shot, const char* File) {
        Nav->Invalidate();
        ProcessEvents();
        RenderControl(Nav, &Shot);
        Shot.SaveToFile(TestRunPath(File));
    };
    TBitmap classic, themed, unthemed;
    shoot(classic, "navigator_classic.png");
    SetThemeServicesEnabled(true);
    EXPECT_FALSE(Nav->DisableThemes());
    shoot(themed, "navigator_themed.png");
    EXPECT_GT(DifferingPixels(classic, themed, r), 0);
    // The navigator's own switch, found by name from its buttons.
    SetOrdProp(Nav, "DisableThemes", 1);
    EXPECT_TRUE(Nav->DisableThemes());
    shoot(unthemed, "navigator_unthemed.png");
    EXPECT_EQ(0, DifferingPixels(classic, unthemed, r));
    // A themed button still shows its state: hot under the mouse.
    Nav->SetDisableThemes(false);
    TBitmap normal, hot;
    shoot(normal, "navigator_themed_normal.png");
    SendMouseMove(next, 5, 5);
    ASSERT_TRUE(next->MouseInControl());
    shoot(hot, "navigator_themed_hot.png");
    EXPECT_GT(DifferingPixels(normal, hot, r), 0);
    // A flat button under the mouse: the themed tool button, not the classic
    // raised edge.
    Nav->SetFlat(true);
    TBitmap flatThemed, flatClassic;
    shoot(flatThemed, "navigator_flat_themed_hot.png");
    SetThemeServicesEnabled(false);
    shoot(flatClassic, "navigator_flat_classic_hot.png");
    ASSERT_TRUE(next->MouseInControl());
    EXPECT_GT(DifferingPixels(flatThemed, flatClassic, r), 0);
}

TEST_F(NavigatorTest, LineBreaksLayoutsAndSizedButtons) {
    B(nbsNext)->SetLineBreak(true);  // the fourth button starts a new row
    EXPECT_EQ(0, B(nbsNext)->Left());
    EXPECT_EQ(25, B(nbsNext)->Top());
    EXPECT_EQ(50, Nav->Height());
    EXPECT_EQ(11 * 25, Nav->Width());
    Nav->SetLayout(nlVertical);
    // Columns as high as the navigator (50): two buttons each, and a new
    // column at the line break.
    EXPECT_EQ(0, B(nbsFirst)->Left());
    EXPECT_EQ(25, B(nbsPriorPage)->Top());
    EXPECT_EQ(25, B(nbsPrior)->Left());
    EXPECT_EQ(0, B(nbsPrior)->Top());
    EXPECT_EQ(50, B(nbsNext)->Left());
    EXPECT_EQ(0, B(nbsNext)->Top());
    EXPECT_EQ(25, B(nbsNextPage)->Top());
    B(nbsNext)->SetLineBreak(false);
    Nav->SetLayout(nlHorizontal);
    // Ten shown buttons in 103 pixels: three get 11, the rest 10.
    for (TqzNavButtonStyle s : {nbsRefresh, nbsSaveBookmark, nbsRestoreBookmark, nbsPriorPage})
        Nav->Buttons()->HideStyle(s);
    Nav->SetAutosizeStyle(asSizeNavButtons);
    Nav->SetBounds(0, 0, 103, 25);
    Nav->Buttons()->Refresh();
    ASSERT_EQ(10, Nav->Buttons()->VisibleCount());
    for (int i = 0; i < 10; ++i) EXPECT_EQ(i < 3 ? 11 : 10, Nav->Buttons()->VisibleButtons(i)->Width()) << i;
    EXPECT_EQ(103, Nav->Buttons()->VisibleButtons(9)->Left() + 10);
}

// A saved bookmark is dropped when its dataset closes or goes away: it never
// reaches a reopened dataset (whose bookmarks mean other records) or a freed one.
TEST_F(NavigatorTest, BookmarksDieWithTheirDatasetsOpenState) {
    Fill({"a", "b", "c"});
    Click(nbsNext);
    Click(nbsSaveBookmark);
    EXPECT_TRUE(On(nbsRestoreBookmark));
    Click(nbsLast);
    Click(nbsRestoreBookmark);
    EXPECT_EQ("b", Name());
    T.Close();
    EXPECT_FALSE(Nav->HasBookmark(&T));
    T.Open();
    EXPECT_FALSE(On(nbsRestoreBookmark));
    EXPECT_TRUE(Nav->SavedBookmark(&T).empty());
    // Another dataset, not the navigator's, closed meanwhile: dropped too.
    TOstraTable other(&Form);
    other.FieldDefs()->Add("Name", ftString, 10);
    other.Open();
    other.AppendRecord({Variant("x")});
    TDataSource otherSrc(&Form);
    otherSrc.SetDataSet(&other);
    Nav->SetDataSource(&otherSrc);
    Click(nbsSaveBookmark);
    Nav->SetDataSource(&Src);
    other.Close();
    other.Open();
    EXPECT_FALSE(Nav->HasBookmark(&other));
    Nav->SetDataSource(&otherSrc);
    EXPECT_FALSE(On(nbsRestoreBookmark));
    // A freed dataset leaves no entry behind.
    {
        auto* gone = new TOstraTable(nullptr);
        gone->FieldDefs()->Add("Name", ftString, 10);
        gone->Open();
        gone->AppendRecord({Variant("g")});
        Nav->SaveBookmark(gone);
        EXPECT_TRUE(Nav->HasBookmark(gone));
        delete gone;
        EXPECT_FALSE(Nav->HasBookmark(gone));
    }
}

// Saved bookmarks of tables freed before the navigator leave the store with
// them, whoever owns the table; a navigator freed first leaves no watch behind.
TEST_F(NavigatorTest, FreeingADatasetDropsItsEntryFromTheStore) {
    Fill({"a", "b"});
    auto table = [](TComponent* Owner, const char* Value) {
        auto* t = new TOstraTable(Owner);
        t->FieldDefs()->Add("Name", ftString, 10);
        t->Open();
        t->AppendRecord({Variant(Value)});
        return t;
    };
    TOstraTable* first = table(nullptr, "x");
    TOstraTable* second = table(&Form, "y");  // the navigator's owner hears of its free
    Nav->SaveBookmark(first);
    Nav->SaveBookmark(second);
    Click(nbsSaveBookmark);
    ASSERT_EQ(3, Nav->BookmarkCount());
    delete first;
    EXPECT_EQ(2, Nav->BookmarkCount());
    EXPECT_TRUE(Nav->HasBookmark(second));
    delete second;
    EXPECT_EQ(1, Nav->BookmarkCount());
    EXPECT_TRUE(Nav->HasBookmark(&T));
    // saving again keeps one entry and one watch
    Click(nbsSaveBookmark);
    EXPECT_EQ(1, Nav->BookmarkCount());
    // the navigator freed before a table with an entry, then the table
    TOstraTable* last = table(nullptr, "z");
    Nav->SaveBookmark(last);
    EXPECT_EQ(2, Nav->BookmarkCount());
    delete Nav;
    Nav = nullptr;
    delete last;
}

TEST_F(NavigatorTest, DialogButtonsMakeTheirDialogsByClassName) {
    Fill({"anna", "bob", "carl"});
    Nav->Buttons()->AddDialogButtons();
    EXPECT_EQ(18, Nav->Buttons()->Count());
    EXPECT_EQ("View current record", B(nbsRecordViewDialog)->Hint());
    TTestModalForms modal;
    modal.Push([](TCustomForm* F) {
        auto* f = dynamic_cast<TqzLocateDlg*>(F);
        ASSERT_NE(nullptr, f);
        f->FieldNameComboBox()->SetItemIndex(f->FieldNameComboBox()->Items()->IndexOf("Name"));
        SendText(f->SearchValue(), "ca");
        SendClick(f->FirstButton(), 5, 5);
    });
    Click(nbsLocateDialog);
    EXPECT_EQ("carl", Name());
    TqzCustomDialog* d = B(nbsLocateDialog)->Dialog();
    ASSERT_NE(nullptr, dynamic_cast<TqzLocateDialog*>(d));
    EXPECT_EQ(Nav, d->Owner());
    EXPECT_EQ(&Src, dynamic_cast<TqzLocateDialog*>(d)->DataSource());
    // The second click uses the same dialog.
    modal.PushResult(mrCancel);
    Click(nbsLocateDialog);
    EXPECT_EQ(d, B(nbsLocateDialog)->Dialog());
    // Search makes a search dialog over the dataset; typing finds, Enter is OK.
    {
        TTestTimers timers;
        ASSERT_TRUE(On(nbsSearchDialog));
        modal.Push([&](TCustomForm* F) {
            auto* f = dynamic_cast<TqzLookupDlg*>(F);
            ASSERT_NE(nullptr, f);
            EXPECT_EQ("Search", f->Caption());
            EXPECT_FALSE(f->IndexCombo()->Visible());  // an engine table has no index chooser
            SendText(f->qzIncrementalSearch1(), "bo");
            timers.Advance(200);
            EXPECT_EQ("bob", Name());
            SendKey(f->qzIncrementalSearch1(), VK_RETURN);
        });
        Click(nbsSearchDialog);
        EXPECT_EQ("bob", Name());
        auto* search = dynamic_cast<TqzSearchDialog*>(B(nbsSearchDialog)->Dialog());
        ASSERT_NE(nullptr, search);
        EXPECT_EQ(&T, search->SearchTable());
        EXPECT_EQ(0, modal.Pending());
    }
    // A dialog set on a button gives it its style.
    TqzNavButton* extra = Nav->Buttons()->AddButton(nbsCustom);
    auto* own = new TqzLocateDialog(&Form);
    extra->SetDialog(own);
    EXPECT_EQ(nbsLocateDialog, extra->Style());
    delete own;
    EXPECT_EQ(nullptr, extra->Dialog());
}

// A dialog button whose class is not registered cannot work: it stays
// disabled, and enables once its class is registered.
TEST_F(NavigatorTest, DialogButtonWithoutItsRegisteredClassIsDisabled) {
    Fill({"anna", "bob"});
    UnRegisterComponentClass("TqzSearchDialog");
    Nav->Buttons()->AddDialogButtons();
    ASSERT_EQ(nullptr, FindComponentClass("TqzSearchDialog"));
    EXPECT_FALSE(On(nbsSearchDialog));
    EXPECT_TRUE(On(nbsLocateDialog));
    T.Next();  // a data change recomputes the rule
    EXPECT_FALSE(On(nbsSearchDialog));
    // A click on the disabled button does nothing (no class-not-found error).
    EXPECT_NO_THROW(Click(nbsSearchDialog));
    EXPECT_EQ(nullptr, B(nbsSearchDialog)->Dialog());
    // Taking the locate class away disables its button too.
    UnRegisterComponentClass("TqzLocateDialog");
    T.Prior();
    EXPECT_FALSE(On(nbsLocateDialog));
    qzRegisterNavigatorClasses();
    T.Next();
    EXPECT_TRUE(On(nbsLocateDialog));
    EXPECT_TRUE(On(nbsSearchDialog));
}

TEST_F(NavigatorTest, UpdateStateHandlerOverridesTheRule) {
    Fill({"a", "b", "c"});
    T.Next();
    EXPECT_TRUE(On(nbsFirst));
    B(nbsFirst)->SetOnUpdateState(TqzNavUpdateStateEvent(
        [](TqzDBNavigator*, TqzNavButton* b, TqzUpdateCause) { b->SetEnabled(false); }));
    T.Next();
    EXPECT_FALSE(On(nbsFirst));  // the handler turned it off; the rule would say on
    B(nbsFirst)->SetOnUpdateState(TqzNavUpdateStateEvent());
    int rows = 0;
    B(nbsLast)->SetOnRowChanged(TNotifyEvent([&](TObject*) { ++rows; }));
    T.Prior();
    EXPECT_EQ(1, rows);
}

TEST_F(NavigatorTest, ButtonEventsAssignedByNameFire) {
    Fill({"a", "b", "c"});
    Nav->Buttons()->AddDialogButtons();
    TqzNavButton* first = B(nbsFirst);
    // The handlers hold this test's locals: gone before the locals are.
    TScopeExit clear([first] {
        first->SetOnUpdateState(TqzNavUpdateStateEvent());
        first->SetOnRowChanged(TNotifyEvent());
    });
    std::vector<TqzUpdateCause> causes;
    SetMethodProp(first, "OnUpdateState",
                  TqzNavUpdateStateEvent([&](TqzDBNavigator* n, TqzNavButton* b, TqzUpdateCause c) {
                      EXPECT_EQ(Nav, n);
                      EXPECT_EQ(first, b);
                      causes.push_back(c);
                  }));
    int rows = 0;
    SetMethodProp(first, "OnRowChanged", TNotifyEvent([&](TObject* Sender) {
                      EXPECT_EQ(first, Sender);
                      ++rows;
                  }));
    T.Next();
    EXPECT_EQ(1, rows);
    ASSERT_FALSE(causes.empty());
    EXPECT_EQ(usDataChanged, causes.back());
    T.Edit();
    EXPECT_EQ(usEditingChanged, causes.back());
    T.Cancel();
    EXPECT_TRUE(GetMethodProp(first, "OnRowChanged").Assigned());
    // A dialog button that makes its dialog says so once, with the dialog.
    TqzNavButton* locate = B(nbsLocateDialog);
    std::vector<TqzCustomDialog*> made;
    SetMethodProp(locate, "OnAfterCreateDialog",
                  TqzAfterCreateDialogEvent([&](TqzCustomDialog* d) { made.push_back(d); }));
    TTestModalForms modal;
    modal.PushResult(mrCancel);
    Click(nbsLocateDialog);
    ASSERT_EQ(1u, made.size());
    EXPECT_EQ(locate->Dialog(), made[0]);
    modal.PushResult(mrCancel);
    Click(nbsLocateDialog);
    EXPECT_EQ(1u, made.size());
    EXPECT_THROW(SetMethodProp(locate, "OnAfterCreateDialog", TNotifyEvent([](TObject*) {})), EPropertyError);
    // Cleared by name.
    SetMethodProp(first, "OnUpdateState", TMethod());
    SetMethodProp(first, "OnRowChanged", TMethod());
    EXPECT_FALSE(GetMethodProp(first, "OnRowChanged").Assigned());
    const int before = rows;
    T.Next();
    EXPECT_EQ(before, rows);
}

TEST_F(NavigatorTest, SpeedButtonCaptionAndDisabledColoursByName) {
    auto* b = new TqzSpeedButton(&Form);
    b->SetParent(&Form);
    b->SetBounds(10, 60, 80, 25);
    SetStrProp(b, "Caption", "Go");
    EXPECT_EQ("Go", b->Caption());
    b->SetShowText(true);
    b->SetEnabled(false);
    TObject* colors = GetObjectProp(b, "DisabledTextColors");
    ASSERT_EQ(b->DisabledTextColors(), colors);
    EXPECT_EQ(clGray, static_cast<TColor>(GetOrdProp(colors, "ShadeColor")));
    SetOrdProp(colors, "ShadeColor", clRed);
    SetOrdProp(colors, "HighlightColor", clLime);
    EXPECT_EQ(clRed, b->DisabledTextColors()->ShadeColor);
    // The disabled caption is drawn in them.
    ProcessEvents();
    TBitmap shot;
    RenderControl(b, &shot);
    int red = 0, lime = 0;
    for (int y = 0; y < shot.Height(); ++y)
        for (int x = 0; x < shot.Width(); ++x) {
            const TColor c = shot.Canvas()->Pixels(x, y);
            red += c == clRed;
            lime += c == clLime;
        }
    EXPECT_GT(red, 0);
    EXPECT_GT(lime, 0);
}

TEST_F(NavigatorTest, SpeedButtonTakesItsActionByName) {
    auto* b = new TqzSpeedButton(&Form);
    b->SetParent(&Form);
    b->SetBounds(10, 60, 80, 25);
    TImageList* glyphs = qzNavGlyphs();
    b->SetImages(glyphs);
    TCustomAction action(nullptr);
    action.SetCaption("Run");
    action.SetHint("Runs it");
    action.SetImages(glyphs);
    action.SetImageIndex(4);
    int runs = 0, clicks = 0;
    action.SetOnExecute(TNotifyEvent([&](TObject*) { ++runs; }));
    b->SetOnClick(TNotifyEvent([&](TObject*) { ++clicks; }));
    SetObjectProp(b, "Action", &action);
    EXPECT_EQ(&action, GetObjectProp(b, "Action"));
    EXPECT_EQ("Run", b->Caption());
    EXPECT_EQ("Runs it", b->Hint());
    EXPECT_EQ(4, b->ImageIndex());
    ProcessEvents();
    SendClick(b, 40, 12);
    EXPECT_EQ(1, runs);
    EXPECT_EQ(0, clicks);
    // The action's changes follow; an image index only inside the button's list.
    action.SetCaption("Go");
    EXPECT_EQ("Go", b->Caption());
    action.SetImageIndex(6);
    EXPECT_EQ(6, b->ImageIndex());
    action.SetImageIndex(99);
    EXPECT_EQ(6, b->ImageIndex());
    TImageList other(nullptr);
    action.SetImages(&other);
    action.SetImageIndex(2);
    EXPECT_EQ(6, b->ImageIndex());
    action.SetEnabled(false);
    EXPECT_FALSE(b->Enabled());
    // Without it, a click is the button's own.
    SetObjectProp(b, "Action", nullptr);
    EXPECT_EQ(nullptr, b->Action());
    b->SetEnabled(true);
    SendClick(b, 40, 12);
    EXPECT_EQ(1, runs);
    EXPECT_EQ(1, clicks);
    delete b;
}

// A walk with the controls disabled (a search) leaves the buttons alone until
// the controls come back; then they show where the walk ended.
TEST_F(NavigatorTest, AWalkWithDisabledControlsUpdatesTheButtonsOnceAtTheEnd) {
    Fill({"a", "b", "c", "d"});
    int updates = 0;
    B(nbsLast)->SetOnUpdateState(
        TqzNavUpdateStateEvent([&](TqzDBNavigator*, TqzNavButton*, TqzUpdateCause) { ++updates; }));
    T.DisableControls();
    while (!T.Eof()) T.Next();
    T.Edit();
    T.Cancel();
    EXPECT_EQ(0, updates);
    EXPECT_TRUE(On(nbsLast));  // still as before the walk
    T.EnableControls();
    EXPECT_GE(updates, 1);
    EXPECT_FALSE(On(nbsLast));
    EXPECT_FALSE(On(nbsNext));
    EXPECT_TRUE(On(nbsFirst));
    // Closed while disabled: every button is off once the controls come back.
    T.DisableControls();
    T.Close();
    T.EnableControls();
    EXPECT_FALSE(On(nbsFirst));
    EXPECT_FALSE(On(nbsInsert));
}

TEST_F(NavigatorTest, GlyphsRenderEnabledAndDisabled) {
    Fill({"a", "b"});
    Nav->Buttons()->AddDialogButtons();
    Nav->SetFlat(false);
    Form.SetBounds(0, 0, 480, 60);
    EXPECT_TRUE(RenderControlToPng(Nav, TestRunPath("navigator.png")));
    TImageList* g = qzNavGlyphs();
    ASSERT_EQ(36, g->Count());
    EXPECT_EQ(18, g->Width());
    TBitmap enabled, disabled;
    g->GetBitmap(2 * nbsNext, &enabled);
    g->GetBitmap(2 * nbsNext + 1, &disabled);
    EXPECT_NE(enabled.Canvas()->Pixels(11, 9), disabled.Canvas()->Pixels(11, 9));
}

TEST_F(NavigatorTest, ParentMustBeANavigator) {
    TqzNavButton* b = B(nbsFirst);
    EXPECT_THROW(b->SetParent(&Form), EAbort);
    EXPECT_EQ("Parent of TqzNavButton must be TqzDBNavigator ", Dialogs.Last().Text);
    EXPECT_EQ(Nav, b->Parent());
    Nav->SetDataSource(nullptr);
    try {
        b->Click();
        FAIL();
    } catch (const EInvalidOperation& e) {
        EXPECT_STREQ("Error, DataSource not assigned", e.what());
    }
}

}  // namespace

namespace {

TEST_F(NavigatorTest, OnlyNavigatorButtonsGoIn) {
    auto* plain = new TButton(&Form);
    plain->SetName("PlainButton");
    try {
        plain->SetParent(Nav);
        FAIL() << "a plain control went into the navigator";
    } catch (const EInvalidOperation& e) {
        EXPECT_STREQ("TqzDBNavigator only accepts controls derived from TqzNavButton", e.what());
    }
    EXPECT_EQ(nullptr, plain->Parent());
    EXPECT_EQ(14, Nav->ControlCount());
    EXPECT_EQ(14, Nav->Buttons()->Count());
    auto* label = new TLabel(&Form);
    EXPECT_THROW(label->SetParent(Nav), EInvalidOperation);
    EXPECT_EQ(14, Nav->ControlCount());
    // Both still work where they belong.
    plain->SetParent(&Form);
    EXPECT_EQ(&Form, plain->Parent());
}

TEST_F(NavigatorTest, ButtonsJoinAndLeaveTheCollectionByParent) {
    Fill({"a", "b", "c"});
    auto* own = new TqzNavButton(&Form);
    own->SetStyle(nbsLast);
    own->SetParent(Nav);
    // It joins at the end, on a row of its own as an added button does.
    ASSERT_EQ(15, Nav->Buttons()->Count());
    EXPECT_EQ(own, Nav->Buttons()->Items(14));
    EXPECT_EQ(0, own->Left());
    EXPECT_EQ(25, own->Top());
    EXPECT_EQ(50, Nav->Height());
    EXPECT_TRUE(own->Enabled());
    SendClick(own, 5, 5);
    EXPECT_EQ("c", Name());
    EXPECT_FALSE(own->Enabled());
    // Taken out: it leaves the collection and the rest close up.
    TqzNavButton* refresh = B(nbsRefresh);
    refresh->SetParent(nullptr);
    EXPECT_EQ(14, Nav->Buttons()->Count());
    EXPECT_EQ(nullptr, Nav->Buttons()->ButtonOfStyle(nbsRefresh));
    EXPECT_EQ(11 * 25, B(nbsSaveBookmark)->Left());
    EXPECT_EQ(13 * 25, own->Left());
    EXPECT_EQ(25, Nav->Height());
    EXPECT_THROW(refresh->GetIndex(), EInvalidOperation);
    // Put back, it joins at the end.
    refresh->SetParent(Nav);
    EXPECT_EQ(14, refresh->GetIndex());
    EXPECT_EQ(25, refresh->Top());
    // A freed button leaves no gap.
    delete B(nbsEdit);
    EXPECT_EQ(14, Nav->Buttons()->Count());
    EXPECT_EQ(8 * 25, B(nbsPost)->Left());
    EXPECT_EQ(0, refresh->Top());
    EXPECT_EQ(25, Nav->Height());
    // Moved to a second navigator, it works there only.
    auto* nav2 = new TqzDBNavigator(&Form);
    nav2->SetParent(&Form);
    nav2->SetBounds(4, 60, 100, 25);
    own->SetParent(nav2);
    EXPECT_EQ(13, Nav->Buttons()->Count());
    ASSERT_EQ(1, nav2->Buttons()->Count());
    EXPECT_EQ(nav2, own->GetNavigator());
    EXPECT_FALSE(own->Enabled());  // nav2 has no data source
}

TEST_F(NavigatorTest, DataSourceFromAControl) {
    Fill({"a", "b", "c"});
    Nav->SetDataSource(nullptr);
    EXPECT_FALSE(On(nbsNext));
    auto* search = new TqzIncrementalSearch(&Form);
    search->SetParent(&Form);
    search->SetDataSource(&Src);
    auto* plain = new TButton(&Form);
    plain->SetParent(&Form);
    Nav->SetDataSourceFromControl(search, false);
    EXPECT_EQ(&Src, Nav->DataSource());
    ASSERT_TRUE(On(nbsNext));
    Click(nbsNext);
    EXPECT_EQ("b", Name());
    // A control without a source leaves it, unless forced.
    Nav->SetDataSourceFromControl(plain, false);
    EXPECT_EQ(&Src, Nav->DataSource());
    Nav->SetDataSourceFromControl(plain, true);
    EXPECT_EQ(nullptr, Nav->DataSource());
    EXPECT_FALSE(On(nbsNext));
}

TEST_F(NavigatorTest, ShowHintReachesEveryButton) {
    EXPECT_TRUE(B(nbsFirst)->ShowHint());
    // Set by name, as a stored form sets it.
    SetOrdProp(Nav, "ShowHint", 0);
    EXPECT_FALSE(Nav->GetShowHint());
    for (int i = 0; i < Nav->Buttons()->Count(); ++i) EXPECT_FALSE(Nav->Buttons()->Items(i)->ShowHint()) << i;
    // Taken from the form.
    Nav->SetParentShowHint(true);
    Form.SetShowHint(true);
    EXPECT_TRUE(Nav->GetShowHint());
    for (int i = 0; i < Nav->Buttons()->Count(); ++i) EXPECT_TRUE(Nav->Buttons()->Items(i)->ShowHint()) << i;
    Nav->SetShowHint(false);
    EXPECT_FALSE(B(nbsLast)->ShowHint());
    EXPECT_EQ(0, GetOrdProp(Nav, "ShowHint"));
}

}  // namespace

namespace {

TEST_F(NavigatorTest, TransparentNavigatorOverAPicture) {
    Fill({"a", "b", "c"});
    Form.SetColor(clAqua);
    // A picture on the form, under the navigator.
    auto* picture = new TPaintBox(&Form);
    picture->SetParent(&Form);
    picture->SetBounds(0, 0, 400, 40);
    picture->SendToBack();
    int paints = 0;
    picture->SetOnPaint(TNotifyEvent([&](TObject*) {
        ++paints;
        picture->Canvas()->Brush()->SetColor(clRed);
        picture->Canvas()->FillRect(TRect{0, 0, picture->Width(), picture->Height()});
    }));
    TqzNavButton* next = B(nbsNext);
    // Opaque: a button's new state leaves the picture alone.
    ProcessEvents();
    paints = 0;
    SendMouseMove(next, 5, 5);
    ProcessEvents();
    ASSERT_TRUE(next->MouseInControl());
    EXPECT_EQ(0, paints);
    // Transparent: the picture behind the button is drawn again first.
    Nav->SetTransparent(true);
    EXPECT_TRUE(next->Transparent());
    ProcessEvents();
    paints = 0;
    SendMouseMove(B(nbsLast), 5, 5);
    ProcessEvents();
    EXPECT_FALSE(next->MouseInControl());
    EXPECT_GT(paints, 0);
    TBitmap shot;
    RenderControl(&Form, &shot);
    shot.SaveToFile(TestRunPath("transparent_navigator.png"));
    EXPECT_EQ(ColorToRGB(clRed),
              ColorToRGB(shot.Canvas()->Pixels(Nav->Left() + next->Left() + 1, Nav->Top() + 1)));
    // Clearing its background: the form's colour, and the picture is left alone.
    SetOrdProp(Nav, "TransparentClearsBackground", 1);
    EXPECT_TRUE(Nav->TransparentClearsBackground());
    ProcessEvents();
    paints = 0;
    SendMouseMove(next, 5, 5);
    ProcessEvents();
    EXPECT_TRUE(next->MouseInControl());
    EXPECT_EQ(0, paints);
    RenderControl(&Form, &shot);
    shot.SaveToFile(TestRunPath("transparent_navigator_cleared.png"));
    EXPECT_EQ(ColorToRGB(clAqua),
              ColorToRGB(shot.Canvas()->Pixels(Nav->Left() + next->Left() + 1, Nav->Top() + 1)));
    EXPECT_EQ(ColorToRGB(clRed),
              ColorToRGB(shot.Canvas()->Pixels(Nav->Left() + 2, Nav->Top() + Nav->Height() + 2)));
    // Back to showing the picture through.
    Nav->SetTransparentClearsBackground(false);
    ProcessEvents();
    paints = 0;
    SendMouseMove(B(nbsLast), 5, 5);
    ProcessEvents();
    EXPECT_GT(paints, 0);
}

}  // namespace
