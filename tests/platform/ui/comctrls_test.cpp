// Page control, speed buttons, tool bar, status bar, tree view, panels and
// the scroll box, with real input.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/ui/buttons.h"
#include "platform/ui/comctrls.h"
#include "platform/ui/extctrls.h"
#include "platform/ui/stdctrls.h"
#include "platform/ui/tabcontrol.h"
#include "support/ui/ui_probes.h"

namespace {

// ---- Page control -----------------------------------------------------------------------------

class PageControlTest : public ::testing::Test {
protected:
    void SetUp() override {
        pages = new TPageControl(f.Form);
        pages->SetParent(f.Form);
        pages->SetBounds(10, 10, 360, 240);
        for (const char* caption : {"Today", "Actions Group 1", "Archived"}) {
            auto* sheet = new TTabSheet(f.Form);
            sheet->SetPageControl(pages);
            sheet->SetCaption(caption);
            sheets.push_back(sheet);
            auto* edit = new TEdit(f.Form);
            edit->SetParent(sheet);
            edit->SetBounds(10, 10, 100, 21);
            edits.push_back(edit);
        }
        pages->SetOnChanging(TTabChangingEvent([this](TObject*, bool& Allow) {
            log.push_back("Changing " + pages->ActivePage()->Caption());
            Allow = allow;
        }));
        pages->SetOnChange(
            TNotifyEvent([this](TObject*) { log.push_back("Change " + pages->ActivePage()->Caption()); }));
        for (TTabSheet* s : sheets)
            s->SetOnExit(TNotifyEvent([this, s](TObject*) { log.push_back("Exit " + s->Caption()); }));
        edits[0]->SetOnExit(TNotifyEvent([this](TObject*) { log.push_back("Exit edit"); }));
    }
    TPoint TabCentre(int Index) const {
        const TRect r = pages->TabRect(Index);
        return {(r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2};
    }
    TShownForm f;
    TPageControl* pages = nullptr;
    std::vector<TTabSheet*> sheets;
    std::vector<TEdit*> edits;
    std::vector<std::string> log;
    bool allow = true;
};

TEST_F(PageControlTest, FirstSheetIsActiveAndOnlyItShows) {
    EXPECT_EQ(pages->PageCount(), 3);
    EXPECT_EQ(pages->ActivePage(), sheets[0]);
    EXPECT_TRUE(sheets[0]->Visible());
    EXPECT_FALSE(sheets[1]->Visible());
    EXPECT_EQ(sheets[2]->PageIndex(), 2);
    // The sheets fill the display area.
    EXPECT_EQ(sheets[0]->BoundsRect(), pages->DisplayRect());
}

TEST_F(PageControlTest, SettingActivePageFromCodeFiresNoEvents) {
    f.Show();
    pages->SetActivePage(sheets[1]);
    pages->SetActivePageIndex(2);
    EXPECT_TRUE(log.empty());
    EXPECT_EQ(pages->ActivePage(), sheets[2]);
    EXPECT_TRUE(sheets[2]->Visible());
    EXPECT_FALSE(sheets[1]->Visible());
    TPageControl other(nullptr);
    TTabSheet stray(nullptr);
    stray.SetPageControl(&other);
    EXPECT_THROW(pages->SetActivePage(&stray), EInvalidOperation);
}

TEST_F(PageControlTest, SheetPublishesItsPageControlWithItsClass) {
    const TPropInfo* info = GetPropInfo(sheets[1], "PageControl");
    ASSERT_NE(info, nullptr);
    EXPECT_EQ(info->Kind, tkClass);
    EXPECT_EQ(info->PropClass, TPageControl::StaticClass());
    EXPECT_EQ(info->TypeName, "TPageControl");
    EXPECT_EQ(GetObjectProp(sheets[1], "PageControl"), pages);
    // The page control's own sheet property refers back to the sheet class.
    EXPECT_EQ(GetPropInfo(pages, "ActivePage")->PropClass, TTabSheet::StaticClass());
    TPageControl other(nullptr);
    SetObjectProp(sheets[2], "PageControl", &other);
    EXPECT_EQ(sheets[2]->PageControl(), &other);
    EXPECT_EQ(pages->PageCount(), 2);
    EXPECT_THROW(SetObjectProp(sheets[2], "PageControl", edits[0]), EPropertyError);
    SetObjectProp(sheets[2], "PageControl", nullptr);
    EXPECT_EQ(other.PageCount(), 0);
}

TEST_F(PageControlTest, ClickOnATabExitsTheOldSheetBeforeTheChange) {
    f.Show();
    edits[0]->SetFocus();
    log.clear();
    const TPoint p = TabCentre(1);
    SendClick(pages, p.X, p.Y);
    EXPECT_EQ(log, (std::vector<std::string>{"Exit edit", "Exit Today", "Changing Today",
                                             "Change Actions Group 1"}));
    EXPECT_EQ(pages->ActivePage(), sheets[1]);
    EXPECT_TRUE(pages->Focused());
}

// OnChange may free the control whose tab was clicked; a tab control does
// the same.
TEST_F(PageControlTest, OnChangeMayFreeTheControlClickedOn) {
    auto* tabs = new TTabControl(f.Form);
    tabs->SetParent(f.Form);
    tabs->SetBounds(10, 260, 200, 30);
    tabs->Tabs()->Add("One");
    tabs->Tabs()->Add("Two");
    const auto freeSender = TNotifyEvent([](TObject* Sender) { delete Sender; });
    pages->SetOnChange(freeSender);
    tabs->SetOnChange(freeSender);
    f.Show();
    const TRect tab = tabs->TabRect(1);
    SendClick(tabs, (tab.Left + tab.Right) / 2, (tab.Top + tab.Bottom) / 2);
    const TPoint p = TabCentre(1);
    SendClick(pages, p.X, p.Y);
    ProcessEvents();
    EXPECT_EQ(f.Form->ControlCount(), 0);
}

TEST_F(PageControlTest, OnChangingCanRefuse) {
    f.Show();
    allow = false;
    const TPoint p = TabCentre(2);
    SendClick(pages, p.X, p.Y);
    EXPECT_EQ(pages->ActivePage(), sheets[0]);
    EXPECT_EQ(log, (std::vector<std::string>{"Changing Today"}));
}

TEST_F(PageControlTest, CtrlTabAndArrowsChangePagesLikeTheUser) {
    f.Show();
    edits[0]->SetFocus();
    log.clear();
    SendKey(edits[0], VK_TAB, {ssCtrl});
    EXPECT_EQ(pages->ActivePage(), sheets[1]);
    // The focus leaves the old page once the change is allowed, before the change is told.
    EXPECT_EQ(log, (std::vector<std::string>{"Changing Today", "Exit edit", "Exit Today",
                                             "Change Actions Group 1"}));
    log.clear();
    SendKey(pages, VK_TAB, {ssCtrl, ssShift});
    EXPECT_EQ(pages->ActivePage(), sheets[0]);
    SendKey(pages, VK_LEFT);
    EXPECT_EQ(pages->ActivePage(), sheets[2]);  // wraps round
    EXPECT_EQ(log, (std::vector<std::string>{"Changing Actions Group 1", "Change Today", "Changing Today",
                                             "Change Archived"}));
}

TEST_F(PageControlTest, HiddenTabsAreSkippedAndRemovingTheActivePageMovesOn) {
    sheets[1]->SetTabVisible(false);
    EXPECT_EQ(sheets[1]->TabIndex(), -1);
    EXPECT_EQ(sheets[2]->TabIndex(), 1);
    EXPECT_EQ(pages->FindNextPage(sheets[0], true, true), sheets[2]);
    EXPECT_EQ(pages->FindNextPage(sheets[0], true, false), sheets[1]);
    delete sheets[0];
    EXPECT_EQ(pages->PageCount(), 2);
    EXPECT_EQ(pages->ActivePage(), sheets[2]);
}

// ---- Speed buttons ------------------------------------------------------------------------------------

class SpeedButtonTest : public ::testing::Test {
protected:
    TSpeedButton* Button(int X, int Group = 0) {
        auto* b = new TSpeedButton(f.Form);
        b->SetParent(f.Form);
        b->SetBounds(X, 100, 23, 22);
        b->SetGroupIndex(Group);
        return b;
    }
    TShownForm f;
};

TEST_F(SpeedButtonTest, ClickLeavesTheFocusWhereItWas) {
    auto* edit = new TEdit(f.Form);
    edit->SetParent(f.Form);
    auto* b = Button(10);
    int clicks = 0;
    b->SetOnClick(TNotifyEvent([&](TObject*) { ++clicks; }));
    int exits = 0;
    edit->SetOnExit(TNotifyEvent([&](TObject*) { ++exits; }));
    f.Show();
    edit->SetFocus();
    SendClick(b, 5, 5);
    EXPECT_EQ(clicks, 1);
    EXPECT_TRUE(edit->Focused());
    EXPECT_EQ(exits, 0);
    // Released outside: no click.
    SendMouseDown(b, mbLeft, 5, 5);
    SendMouseMove(b, 40, 5);
    SendMouseUp(b, mbLeft, 40, 5);
    EXPECT_EQ(clicks, 1);
    // A disabled button takes no click.
    b->SetEnabled(false);
    SendClick(b, 5, 5);
    EXPECT_EQ(clicks, 1);
}

TEST_F(SpeedButtonTest, GroupedButtonsStayDownOneAtATime) {
    auto* a = Button(10, 1);
    auto* b = Button(40, 1);
    auto* c = Button(70, 2);
    f.Show();
    SendClick(a, 5, 5);
    EXPECT_TRUE(a->Down());
    SendClick(c, 5, 5);
    EXPECT_TRUE(a->Down());  // another group
    SendClick(b, 5, 5);
    EXPECT_TRUE(b->Down());
    EXPECT_FALSE(a->Down());
    // A down button stays down without AllowAllUp.
    SendClick(b, 5, 5);
    EXPECT_TRUE(b->Down());
    b->SetAllowAllUp(true);
    SendClick(b, 5, 5);
    EXPECT_FALSE(b->Down());
    EXPECT_FALSE(a->Down());
    // From code too.
    a->SetDown(true);
    b->SetDown(true);
    EXPECT_FALSE(a->Down());
    EXPECT_FALSE(Button(100)->Down());
}

TEST_F(SpeedButtonTest, AcceleratorClicksTheButton) {
    auto* edit = new TEdit(f.Form);
    edit->SetParent(f.Form);
    auto* b = Button(10);
    b->SetCaption("&QR");
    int clicks = 0;
    b->SetOnClick(TNotifyEvent([&](TObject*) { ++clicks; }));
    f.Show();
    edit->SetFocus();
    SendKey(edit, 'Q', {ssAlt});
    EXPECT_EQ(clicks, 1);
}

// ---- Tool bar and status bar ----------------------------------------------------------------------------

// A tool button freed by its OnMouseUp is not clicked after.
TEST(ToolBarTest, AButtonFreedByItsMouseUpIsNotClicked) {
    TShownForm f;
    auto* bar = new TToolBar(f.Form);
    bar->SetParent(f.Form);
    auto* b = new TToolButton(f.Form);
    b->SetParent(bar);
    int clicks = 0;
    b->SetOnClick(TNotifyEvent([&](TObject*) { ++clicks; }));
    b->SetOnMouseUp(TMouseEvent([](TObject* Sender, TMouseButton, TShiftState, int, int) { delete Sender; }));
    f.Show();
    SendClick(b, 5, 5);
    EXPECT_EQ(clicks, 0);
    EXPECT_EQ(bar->ControlCount(), 0);
}

TEST(ToolBarTest, ButtonsLineUpAndCheckButtonsGroup) {
    TShownForm f;
    auto* bar = new TToolBar(f.Form);
    bar->SetParent(f.Form);
    std::vector<TToolButton*> buttons;
    for (int i = 0; i < 3; ++i) {
        auto* b = new TToolButton(f.Form);
        b->SetParent(bar);
        buttons.push_back(b);
    }
    auto* sep = new TToolButton(f.Form);
    sep->SetParent(bar);
    sep->SetStyle(tbsSeparator);
    auto* edit = new TEdit(f.Form);
    edit->SetParent(bar);
    edit->SetLeft(500);
    EXPECT_EQ(bar->Align(), alTop);
    EXPECT_EQ(bar->Width(), f.Form->ClientWidth());
    EXPECT_EQ(buttons[0]->Left(), 0);
    EXPECT_EQ(buttons[1]->Left(), bar->ButtonWidth());
    EXPECT_EQ(buttons[2]->Left(), 2 * bar->ButtonWidth());
    EXPECT_EQ(sep->Left(), 3 * bar->ButtonWidth());
    EXPECT_EQ(edit->Left(), 3 * bar->ButtonWidth() + sep->Width());
    EXPECT_EQ(bar->ButtonCount(), 4);
    EXPECT_EQ(bar->Buttons(1), buttons[1]);
    for (TToolButton* b : {buttons[0], buttons[1]}) {
        b->SetStyle(tbsCheck);
        b->SetGrouped(true);
    }
    f.Show();
    int clicks = 0;
    buttons[0]->SetOnClick(TNotifyEvent([&](TObject*) { ++clicks; }));
    SendClick(buttons[0], 5, 5);
    EXPECT_TRUE(buttons[0]->Down());
    SendClick(buttons[1], 5, 5);
    EXPECT_TRUE(buttons[1]->Down());
    EXPECT_FALSE(buttons[0]->Down());
    EXPECT_EQ(clicks, 1);
}

TEST(StatusBarTest, SimplePanelAndPanels) {
    TShownForm f;
    auto* bar = new TStatusBar(f.Form);
    bar->SetParent(f.Form);
    bar->SetSimplePanel(true);
    bar->SetSimpleText("Sort Order - Action");
    EXPECT_EQ(bar->Align(), alBottom);
    EXPECT_EQ(bar->Top() + bar->Height(), f.Form->ClientHeight());
    bar->Panels()->Add()->SetWidth(100);
    bar->Panels()->Add();
    EXPECT_EQ(bar->PanelRect(0).Left, 0);
    EXPECT_EQ(bar->PanelRect(1).Left, 100);
    EXPECT_EQ(bar->PanelRect(1).Right, bar->Width() - 2);
    EXPECT_TRUE(bar->PanelRect(2) == TRect{});
}

// ---- Tree view ----------------------------------------------------------------------------------------------

TEST(TreeViewTest, NodesInItemOrderAndSelection) {
    TShownForm f;
    auto* tree = new TTreeView(f.Form);
    tree->SetParent(f.Form);
    tree->SetBounds(10, 10, 200, 200);
    std::vector<std::string> deleted;
    tree->SetOnDeletion(TTVExpandedEvent([&](TObject*, TTreeNode* n) { deleted.push_back(n->Text()); }));
    TTreeNodes* items = tree->Items();
    TTreeNode* a = items->Add(nullptr, "A");
    TTreeNode* a1 = items->AddChild(a, "A1");
    TTreeNode* a2 = items->AddChild(a, "A2");
    items->AddChild(a1, "A1x");
    TTreeNode* b = items->Add(a, "B");
    EXPECT_EQ(items->Count(), 5);
    EXPECT_EQ(items->Item(3), a2);
    EXPECT_EQ(a2->AbsoluteIndex(), 3);
    EXPECT_EQ(a1->GetFirstChild()->Level(), 2);
    EXPECT_EQ(a1->GetFirstChild()->GetNext(), a2);
    EXPECT_EQ(a2->GetNext(), b);
    EXPECT_EQ(b->GetPrev(), a2);
    EXPECT_TRUE(a1->GetFirstChild()->HasAsParent(a));
    std::vector<std::string> changes;
    tree->SetOnChange(
        TTVChangedEvent([&](TObject*, TTreeNode* n) { changes.push_back(n ? n->Text() : "-"); }));
    f.Show();
    // Clicking a root's row selects it; its button expands it.
    const TRect ra = a->DisplayRect(true);
    SendClick(tree, ra.Left + 3, ra.Top + 3);
    EXPECT_EQ(tree->Selected(), a);
    EXPECT_EQ(tree->GetNodeAt(ra.Left + 3, ra.Top + 3), a);
    EXPECT_TRUE(tree->GetHitTestInfoAt(ra.Left + 3, ra.Top + 3).Contains(htOnLabel));
    EXPECT_TRUE(tree->GetHitTestInfoAt(ra.Left - 6, ra.Top + 3).Contains(htOnButton));
    EXPECT_TRUE(tree->GetHitTestInfoAt(5, 190).Contains(htNowhere));
    EXPECT_FALSE(a->Expanded());
    SendKey(tree, VK_RIGHT);
    EXPECT_TRUE(a->Expanded());
    SendKey(tree, VK_DOWN);
    EXPECT_EQ(tree->Selected(), a1);
    EXPECT_EQ(changes, (std::vector<std::string>{"A", "A1"}));
    // Deleting a node frees its children and tells OnDeletion of each.
    a1->Delete();
    EXPECT_EQ(tree->Selected(), nullptr);
    EXPECT_EQ(deleted, (std::vector<std::string>{"A1x", "A1"}));
    EXPECT_EQ(items->Count(), 3);
    items->Clear();
    EXPECT_EQ(items->Count(), 0);
    EXPECT_EQ(deleted.size(), 5u);
}

TEST(TreeViewTest, OnExpandingCanRefuse) {
    TShownForm f;
    auto* tree = new TTreeView(f.Form);
    tree->SetParent(f.Form);
    TTreeNode* a = tree->Items()->Add(nullptr, "A");
    tree->Items()->AddChild(a, "A1");
    tree->SetOnExpanding(TTVExpandingEvent([](TObject*, TTreeNode*, bool& Allow) { Allow = false; }));
    f.Show();
    a->Expand(false);
    EXPECT_FALSE(a->Expanded());
    tree->SetSelected(a);
    SendKey(tree, VK_RIGHT);
    EXPECT_FALSE(a->Expanded());
}

// ---- Panel and scroll box -------------------------------------------------------------------------------------

TEST(PanelTest, BevelsAndBorderAreOutsideTheAlignedArea) {
    TShownForm f;
    auto* panel = new TPanel(f.Form);
    panel->SetParent(f.Form);
    panel->SetBounds(0, 0, 200, 100);
    panel->SetBevelInner(bvLowered);
    panel->SetBorderWidth(4);
    auto* inner = new TPanel(f.Form);
    inner->SetParent(panel);
    inner->SetAlign(alClient);
    EXPECT_EQ(inner->BoundsRect(), Rect(6, 6, 194, 94));
}

TEST(ScrollBoxTest, RangesFollowTheChildrenAndScrollMessagesMoveThem) {
    TShownForm f;
    auto* box = new TScrollBox(f.Form);
    box->SetParent(f.Form);
    box->SetBounds(0, 0, 200, 150);
    auto* pb = new TPaintBox(f.Form);
    pb->SetParent(box);
    pb->SetBounds(0, 0, 500, 600);
    f.Show();
    TControlScrollBar* v = box->VertScrollBar();
    TControlScrollBar* h = box->HorzScrollBar();
    EXPECT_EQ(v->Range(), 600);
    EXPECT_EQ(h->Range(), 500);
    EXPECT_TRUE(v->IsScrollBarVisible());
    const int clientH = box->ClientHeight();
    EXPECT_EQ(clientH, 150 - 4 - 16);
    box->Perform(WM_VSCROLL, SB_PAGEDOWN, 0);
    EXPECT_EQ(v->Position(), clientH * 9 / 10);
    EXPECT_EQ(pb->Top(), -v->Position());
    box->Perform(WM_VSCROLL, SB_BOTTOM, 0);
    EXPECT_EQ(v->Position(), 600 - clientH);
    box->Perform(WM_HSCROLL, MakeWParam(SB_THUMBPOSITION, 120), 0);
    EXPECT_EQ(h->Position(), 120);
    EXPECT_EQ(pb->Left(), -120);
    box->Perform(WM_VSCROLL, SB_TOP, 0);
    EXPECT_EQ(pb->Top(), 0);
    // Shrinking the content brings the bars' positions back in range.
    box->Perform(WM_HSCROLL, SB_BOTTOM, 0);
    pb->SetBounds(pb->Left(), pb->Top(), 100, 100);
    EXPECT_FALSE(h->IsScrollBarVisible());
    EXPECT_EQ(pb->Left(), 0);
}

// The keys going to a field out of view scroll it whole into view, also
// from a panel inside the box; the box's own focus and a control outside
// it scroll nothing.
TEST(ScrollBoxTest, AFieldGivenTheKeysIsScrolledIntoView) {
    TShownForm f;
    auto* outside = new TEdit(f.Form);
    outside->SetParent(f.Form);
    outside->SetBounds(210, 0, 80, 21);
    auto* box = new TScrollBox(f.Form);
    box->SetParent(f.Form);
    box->SetBounds(0, 0, 200, 150);
    auto* panel = new TPanel(f.Form);
    panel->SetParent(box);
    panel->SetBounds(0, 0, 500, 600);
    auto* top = new TEdit(f.Form);
    top->SetParent(panel);
    top->SetBounds(10, 10, 80, 21);
    auto* far = new TEdit(f.Form);
    far->SetParent(panel);
    far->SetBounds(400, 500, 80, 21);
    f.Show();
    top->SetFocus();
    ProcessEvents();
    EXPECT_EQ(box->VertScrollBar()->Position(), 0);
    SendKeyToFocus(VK_TAB);
    ASSERT_EQ(FocusedControl(), far);
    const auto inView = [box](TControl* c) {
        const TPoint p = box->ScreenToClient(c->Parent()->ClientToScreen(TPoint{c->Left(), c->Top()}));
        return p.X >= 0 && p.Y >= 0 && p.X + c->Width() <= box->ClientWidth() &&
               p.Y + c->Height() <= box->ClientHeight();
    };
    EXPECT_TRUE(inView(far));
    EXPECT_GT(box->VertScrollBar()->Position(), 0);
    EXPECT_GT(box->HorzScrollBar()->Position(), 0);
    // Back to the first: scrolled back as far as it takes.
    SendKeyToFocus(VK_TAB, {ssShift});
    ASSERT_EQ(FocusedControl(), top);
    EXPECT_TRUE(inView(top));
    EXPECT_EQ(box->VertScrollBar()->Position(), 10);
    EXPECT_EQ(box->HorzScrollBar()->Position(), 10);
    // Elsewhere: the box stays as it is.
    SendKeyToFocus(VK_TAB);
    outside->SetFocus();
    ProcessEvents();
    const int kept = box->VertScrollBar()->Position();
    EXPECT_GT(kept, 0);
    EXPECT_EQ(panel->Top(), -kept);
}

}  // namespace
