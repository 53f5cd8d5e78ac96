// Menus: the form's menu bar, accelerators, shortcuts, pop-up menus and the
// toolkit's menu driven by real keys.
#include <gtest/gtest.h>
#include "support/environment.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QTimer>

#include <string>
#include <vector>

#include <QAction>

#include "platform/ui/bitmaps.h"
#include "platform/ui/drawing.h"
#include "platform/ui/menus.h"
#include "platform/ui/stdctrls.h"
#include "support/ui/ui_probes.h"

namespace {

class MenusTest : public ::testing::Test {
protected:
    void SetUp() override {
        edit = new TEdit(f.Form);
        edit->SetParent(f.Form);
        edit->SetBounds(10, 10, 100, 21);
        clientBefore = f.Form->ClientHeight();
        menu = new TMainMenu(f.Form);
        file = Item(menu->Items(), "&File");
        save = Item(file, "&Save");
        save->SetShortCut(ShortCut('S', {ssCtrl}));
        Item(file, "-");
        exit = Item(file, "E&xit");
        help = Item(menu->Items(), "&Help");
        about = Item(help, "&About");
    }
    TMenuItem* Item(TMenuItem* Parent, const std::string& Caption) {
        auto* item = new TMenuItem(f.Form);
        item->SetCaption(Caption);
        item->SetOnClick(
            TNotifyEvent([this, item](TObject*) { clicked.push_back(StripHotkey(item->Caption())); }));
        Parent->Add(item);
        return item;
    }
    TShownForm f;
    TEdit* edit = nullptr;
    TMainMenu* menu = nullptr;
    TMenuItem *file = nullptr, *save = nullptr, *exit = nullptr, *help = nullptr, *about = nullptr;
    std::vector<std::string> clicked;
    int clientBefore = 0;
};

TEST_F(MenusTest, TheBarTakesTheTopOfTheFormAboveTheClientArea) {
    EXPECT_EQ(menu->Form(), f.Form);
    EXPECT_EQ(menu->BarHeight(), GetSystemMetrics(SM_CYMENU) + 1);
    EXPECT_EQ(f.Form->ClientHeight(), clientBefore - menu->BarHeight());
    f.Show();
    // The controls stay below the bar.
    const TPoint editScreen = edit->ClientToScreen({0, 0});
    const TPoint formClient = f.Form->ClientToScreen({0, 0});
    EXPECT_EQ(editScreen.Y - formClient.Y, 10 + 2);
    const TRect r = menu->ItemBarRect(help);
    EXPECT_GT(r.Left, menu->ItemBarRect(file).Left);
    EXPECT_EQ(menu->ItemAtBarPos(r.Left + 2), help);
    // Hiding every item removes the bar.
    file->SetVisible(false);
    help->SetVisible(false);
    EXPECT_EQ(f.Form->ClientHeight(), clientBefore);
}

TEST_F(MenusTest, AltAcceleratorOpensTheMenuAndTheChoiceIsClicked) {
    TTestMenus menus;
    menus.Answer("Exit");
    f.Show();
    edit->SetFocus();
    SendKey(edit, 'F', {ssAlt});
    ASSERT_EQ(menus.Opened().size(), 1u);
    EXPECT_EQ(menus.Opened()[0], (std::vector<std::string>{"&Save", "-", "E&xit"}));
    EXPECT_EQ(clicked, (std::vector<std::string>{"Exit"}));
    // The menu opens under its bar item.
    const TPoint under = f.Form->ClientToScreen({menu->ItemBarRect(file).Left, 0});
    EXPECT_EQ(menus.Positions()[0], under);
    // Closed without a choice: nothing is clicked; the key is still taken.
    SendKey(edit, 'H', {ssAlt});
    EXPECT_EQ(menus.Opened().size(), 2u);
    EXPECT_EQ(clicked.size(), 1u);
    EXPECT_EQ(edit->Text(), "");
}

TEST_F(MenusTest, ShortcutsClickEnabledItemsFromAnywhereInTheForm) {
    f.Show();
    edit->SetFocus();
    SendKey(edit, 'S', {ssCtrl});
    EXPECT_EQ(clicked, (std::vector<std::string>{"Save"}));
    save->SetEnabled(false);
    SendKey(edit, 'S', {ssCtrl});
    EXPECT_EQ(clicked.size(), 1u);
    // An item without sub-items on the bar is clicked by its accelerator.
    auto* options = Item(menu->Items(), "&Options");
    SendKey(edit, 'O', {ssAlt});
    EXPECT_EQ(clicked.back(), "Options");
    EXPECT_EQ(menu->FindItemByShortCut(ShortCut('S', {ssCtrl})), nullptr);
    (void)options;
}

TEST_F(MenusTest, ClickOnTheBarOpensItsMenu) {
    TTestMenus menus;
    menus.Answer("About");
    f.Show();
    QWidget* form = f.Form->Widget();
    const TRect r = menu->ItemBarRect(help);
    QWidget* bar = form->childAt(r.Left + 3, 4);
    ASSERT_NE(bar, nullptr);
    const QPointF p(r.Left + 3, 4);
    QMouseEvent press(QEvent::MouseButtonPress, p, bar->mapToGlobal(p), Qt::LeftButton, Qt::LeftButton, {});
    QApplication::sendEvent(bar, &press);
    EXPECT_EQ(clicked, (std::vector<std::string>{"About"}));
}

TEST_F(MenusTest, ItemsOfTheTree) {
    EXPECT_EQ(file->Count(), 3);
    EXPECT_EQ(exit->MenuIndex(), 2);
    EXPECT_EQ(file->Find("exit"), exit);
    EXPECT_EQ(exit->GetParentMenu(), menu);
    EXPECT_THROW(file->Items(5), EMenuError);
    EXPECT_THROW(help->Add(exit), EMenuError);  // still in File
    exit->SetMenuIndex(0);
    EXPECT_EQ(file->Items(0), exit);
    file->Remove(exit);
    EXPECT_EQ(exit->Parent(), nullptr);
    help->Add(exit);
    EXPECT_EQ(help->Count(), 2);
    // Radio items of a group uncheck one another.
    auto* r1 = Item(help, "One");
    auto* r2 = Item(help, "Two");
    r1->SetRadioItem(true);
    r2->SetRadioItem(true);
    r1->SetChecked(true);
    r2->SetChecked(true);
    EXPECT_FALSE(r1->Checked());
    r2->SetAutoCheck(true);
    r2->Click();
    EXPECT_FALSE(r2->Checked());
    // Freeing a parent frees its sub-items (File still holds Save and the separator).
    const int before = f.Form->ComponentCount();
    delete file;
    EXPECT_EQ(f.Form->ComponentCount(), before - 3);
    EXPECT_EQ(menu->Items()->Count(), 1);
}

TEST(ShortCutTextTest, BothWays) {
    EXPECT_EQ(ShortCutToText(ShortCut('X', {ssCtrl})), "Ctrl+X");
    EXPECT_EQ(ShortCutToText(ShortCut(VK_DELETE, {ssShift})), "Shift+Del");
    EXPECT_EQ(ShortCutToText(ShortCut(VK_F4, {ssAlt})), "Alt+F4");
    EXPECT_EQ(ShortCutToText(0), "");
    EXPECT_EQ(TextToShortCut("ctrl+x"), ShortCut('X', {ssCtrl}));
    EXPECT_EQ(TextToShortCut("Shift+Ctrl+F12"), ShortCut(VK_F12, {ssShift, ssCtrl}));
    EXPECT_EQ(TextToShortCut("Ctrl+Nothing"), 0);
}

// ---- Pop-up menus ---------------------------------------------------------------------------------

TEST(PopupMenuTest, RightClickOpensTheControlsMenu) {
    TShownForm f;
    auto* edit = new TEdit(f.Form);
    edit->SetParent(f.Form);
    auto* popup = new TPopupMenu(f.Form);
    auto* cut = new TMenuItem(f.Form);
    cut->SetCaption("Cu&t");
    cut->SetShortCut(ShortCut('T', {ssCtrl}));
    popup->Items()->Add(cut);
    int cuts = 0, popups = 0;
    cut->SetOnClick(TNotifyEvent([&](TObject*) { ++cuts; }));
    popup->SetOnPopup(TNotifyEvent([&](TObject*) { ++popups; }));
    edit->SetPopupMenu(popup);
    TTestMenus menus;
    menus.Answer("Cut");
    f.Show();
    SendClick(edit, 5, 5, mbRight);
    EXPECT_EQ(popups, 1);
    EXPECT_EQ(cuts, 1);
    EXPECT_EQ(popup->PopupComponent(), edit);
    // Its shortcut works while the focus is in its control.
    edit->SetFocus();
    SendKey(edit, 'T', {ssCtrl});
    EXPECT_EQ(cuts, 2);
    // Without AutoPopup the right click shows nothing.
    popup->SetAutoPopup(false);
    SendClick(edit, 5, 5, mbRight);
    EXPECT_EQ(popups, 1);
    // A menu freed before its control leaves no dangling reference.
    delete popup;
    EXPECT_EQ(edit->PopupMenu(), nullptr);
}

TEST(PopupMenuTest, TheToolkitMenuPicksItemsByAccelerator) {
    TShownForm f;
    auto* popup = new TPopupMenu(f.Form);
    std::vector<std::string> picked;
    for (const char* caption : {"&Open", "-", "E&xit"}) {
        auto* item = new TMenuItem(f.Form);
        item->SetCaption(caption);
        item->SetOnClick(TNotifyEvent([&picked, item](TObject*) { picked.push_back(item->Caption()); }));
        popup->Items()->Add(item);
    }
    f.Show();
    QTimer::singleShot(0, [] {
        if (QWidget* menu = QApplication::activePopupWidget()) {
            QKeyEvent press(QEvent::KeyPress, Qt::Key_X, Qt::NoModifier, "x");
            QApplication::sendEvent(menu, &press);
        }
    });
    popup->Popup(100, 100);
    EXPECT_EQ(picked, (std::vector<std::string>{"E&xit"}));
    // Escape closes it without a choice.
    QTimer::singleShot(0, [] {
        if (QWidget* menu = QApplication::activePopupWidget()) {
            QKeyEvent press(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
            QApplication::sendEvent(menu, &press);
        }
    });
    popup->Popup(100, 100);
    EXPECT_EQ(picked.size(), 1u);
}

// Counts the pixels of one colour in a row of a bitmap.
int CountInRow(TBitmap* B, int Y, TColor C) {
    int n = 0;
    for (int x = 0; x < B->Width(); ++x)
        if (B->Canvas()->Pixels(x, Y) == C) ++n;
    return n;
}

TEST(MenuBitmapTest, ItemsShowTheirPicturesAtTheirOwnSize) {
    TShownForm f;
    auto* popup = new TPopupMenu(f.Form);
    auto add = [&](const char* Caption) {
        auto* item = new TMenuItem(f.Form);
        item->SetCaption(Caption);
        popup->Items()->Add(item);
        return item;
    };
    TMenuItem* red = add("Red");
    TMenuItem* glyph = add("Glyph");
    TMenuItem* plain = add("Plain");
    EXPECT_FALSE(red->HasBitmap());
    // a wide swatch, opaque
    TBitmap swatch;
    swatch.SetSize(40, 10);
    swatch.Canvas()->Brush()->SetColor(clRed);
    swatch.Canvas()->FillRect(TRect{0, 0, 40, 10});
    red->SetBitmap(&swatch);
    EXPECT_TRUE(red->HasBitmap());
    EXPECT_EQ(red->Bitmap()->Width(), 40);
    // a transparent glyph: its olive background is left out
    TBitmap g;
    g.SetSize(16, 16);
    g.Canvas()->Brush()->SetColor(clOlive);
    g.Canvas()->FillRect(TRect{0, 0, 16, 16});
    g.Canvas()->Brush()->SetColor(clBlue);
    g.Canvas()->FillRect(TRect{4, 4, 12, 12});
    g.SetTransparent(true);
    glyph->SetBitmap(&g);

    TBitmap shot;
    PaintMenu(popup->Items(), &shot);
    shot.SaveToFile(TestRunPath("menu_bitmaps.png"));
    int redRow = -1, blueRow = -1, oliveSeen = 0;
    for (int y = 0; y < shot.Height(); ++y) {
        if (redRow < 0 && CountInRow(&shot, y, clRed) > 0) redRow = y;
        if (blueRow < 0 && CountInRow(&shot, y, clBlue) > 0) blueRow = y;
        oliveSeen += CountInRow(&shot, y, clOlive);
    }
    ASSERT_GE(redRow, 0);
    ASSERT_GE(blueRow, 0);
    EXPECT_EQ(CountInRow(&shot, redRow + 3, clRed), 40);  // not scaled down to a small icon
    EXPECT_EQ(CountInRow(&shot, blueRow + 3, clBlue), 8);
    EXPECT_LT(redRow, blueRow);  // in item order
    EXPECT_EQ(oliveSeen, 0);

    // taken away: the menu shows no picture for it
    red->SetBitmap(nullptr);
    EXPECT_FALSE(red->HasBitmap());
    PaintMenu(popup->Items(), &shot);
    int reds = 0;
    for (int y = 0; y < shot.Height(); ++y) reds += CountInRow(&shot, y, clRed);
    EXPECT_EQ(reds, 0);

    // the toolkit's menu carries the pictures too
    f.Show();
    std::vector<bool> icons;
    QTimer::singleShot(0, [&icons] {
        if (auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
            for (QAction* a : menu->actions()) icons.push_back(!a->icon().isNull());
            QKeyEvent press(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
            QApplication::sendEvent(menu, &press);
        }
    });
    (void)plain;
    popup->Popup(100, 100);
    EXPECT_EQ(icons, (std::vector<bool>{false, true, false}));
}

}  // namespace
