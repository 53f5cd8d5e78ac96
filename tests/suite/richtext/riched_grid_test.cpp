// The rich edit inside a grid and under the mouse, with real keys and
// clicks: Tab and Enter between the control and the grid, a right click
// that keeps the selection; the text rectangle without a frame, the Font as
// the default text attributes, and the data-aware form's window made again.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "engine/ostra_table.h"
#include "platform/core/files.h"
#include "platform/core/rtf.h"
#include "platform/db/dataset.h"
#include "platform/db/datasource.h"
#include "platform/db/fielddefs.h"
#include "platform/db/fields.h"
#include "platform/ui/application.h"
#include "platform/ui/forms.h"
#include "platform/ui/grids.h"
#include "platform/ui/menus.h"
#include "platform/ui/stdctrls.h"
#include "platform/ui/testing.h"
#include "suite/richtext/qzdbrichedit.h"
#include "support/environment.h"
#include "support/ui/ui_probes.h"

namespace {

class RichEditInGrid : public ::testing::Test {
protected:
    TForm* form = CreateForm<TForm>(Application);
    TDrawGrid* grid = new TDrawGrid(form);
    TqzCustomRichEdit* cell = new TqzCustomRichEdit(form);
    TEdit* after = new TEdit(form);  // the next control in the form's tab order
    void SetUp() override {
        form->SetBounds(40, 40, 420, 300);
        grid->SetParent(form);
        grid->SetBounds(10, 10, 380, 200);
        grid->SetColCount(6);
        grid->SetRowCount(10);
        grid->SetCol(2);
        grid->SetRow(3);
        after->SetParent(form);
        after->SetBounds(10, 220, 200, 24);
        cell->SetParent(grid);
        cell->SetBounds(0, 0, 120, 40);
        cell->SetText("one");
        form->Show();
        ActivateForm(form);
    }
    ~RichEditInGrid() override { delete form; }
    void FocusCell() {
        cell->SetFocus();
        ProcessEvents();
        cell->SetSelStart(3);
        ASSERT_TRUE(cell->Focused());
    }
};

// Enter stays with a control that wants returns (Ctrl+Enter does not);
// without WantReturns it goes to the grid, which takes the focus.
TEST_F(RichEditInGrid, EnterStaysWithReturnsAndOtherwiseGoesToTheGrid) {
    ASSERT_TRUE(cell->WantReturns());
    FocusCell();
    SendKey(cell, VK_RETURN);
    EXPECT_TRUE(cell->Focused());
    EXPECT_EQ(cell->LineCount(), 2);
    FocusCell();
    SendKey(cell, VK_RETURN, TShiftState{ssCtrl});
    EXPECT_TRUE(grid->Focused());
    EXPECT_EQ(cell->LineCount(), 2);
    cell->SetWantReturns(false);
    FocusCell();
    SendKey(cell, VK_RETURN);
    EXPECT_TRUE(grid->Focused());
    EXPECT_EQ(cell->LineCount(), 2);
    EXPECT_EQ(grid->Col(), 2);
    EXPECT_EQ(grid->Row(), 3);
}

// A grid that takes tabs gets Tab and Shift+Tab (it moves between its
// columns); one that does not leaves Tab with the control, which does not
// type it, even when it wants tabs.
TEST_F(RichEditInGrid, TabGoesToAGridThatTakesTabsAndIsNeverTyped) {
    ASSERT_FALSE(grid->Options().Contains(goTabs));
    for (bool wantTabs : {false, true}) {
        cell->SetWantTabs(wantTabs);
        FocusCell();
        SendKey(cell, VK_TAB);
        EXPECT_TRUE(cell->Focused()) << wantTabs;
        EXPECT_FALSE(after->Focused()) << wantTabs;
        EXPECT_EQ(cell->Text(), "one") << wantTabs;
        EXPECT_EQ(grid->Col(), 2) << wantTabs;
    }
    grid->SetOptions(grid->Options() + goTabs);
    FocusCell();
    SendKey(cell, VK_TAB);
    EXPECT_TRUE(grid->Focused());
    EXPECT_EQ(grid->Col(), 3);
    FocusCell();
    SendKey(cell, VK_TAB, TShiftState{ssShift});
    EXPECT_TRUE(grid->Focused());
    EXPECT_EQ(grid->Col(), 2);
    EXPECT_EQ(cell->Text(), "one");
}

// Outside a grid Tab still leaves a control that does not want tabs and is
// typed into one that does.
TEST_F(RichEditInGrid, TabOutsideAGridIsAsBefore) {
    auto* free = new TqzCustomRichEdit(form);
    free->SetParent(form);
    free->SetBounds(220, 220, 150, 40);
    free->SetTabOrder(0);
    after->SetTabOrder(1);
    free->SetWantTabs(true);
    free->SetFocus();
    SendKey(free, VK_TAB);
    EXPECT_EQ(free->Text(), "\t");
    free->SetWantTabs(false);
    SendKey(free, VK_TAB);
    EXPECT_TRUE(after->Focused());
}

class RichEditRightClick : public ::testing::Test {
protected:
    TForm* form = CreateForm<TForm>(Application);
    TqzCustomRichEdit* r = new TqzCustomRichEdit(form);
    TTestMenus menus;  // the popup menu the release opens answers at once
    void SetUp() override {
        form->SetBounds(40, 40, 400, 200);
        r->SetParent(form);
        r->SetBounds(10, 10, 360, 120);
        r->SetText("alpha beta gamma");
        form->Show();
        ActivateForm(form);
        r->SetFocus();
    }
    ~RichEditRightClick() override { delete form; }
    TPoint At(int Pos) {
        const TPoint p = r->PosFromChar(Pos);
        return {p.X + 1, p.Y + 4};
    }
};

// A right click keeps the selection (and the caret) where a plain left
// click would have selected nothing; with Shift it extends the selection to
// the point as a Shift click does.
TEST_F(RichEditRightClick, TheSelectionStaysAndShiftExtendsIt) {
    r->SetSelStart(6);
    r->SetSelLength(4);  // "beta"
    const TPoint far = At(14);
    SendClick(r, far.X, far.Y, mbRight);
    EXPECT_EQ(r->SelStart(), 6);
    EXPECT_EQ(r->SelLength(), 4);
    EXPECT_EQ(menus.Positions().size(), 1u);  // the popup menu still follows
    r->SetSelLength(0);
    SendClick(r, far.X, far.Y, mbRight);
    EXPECT_EQ(r->SelStart(), 6);
    EXPECT_EQ(r->SelLength(), 0);
    // Shift: from the caret to the point, either way
    SendClick(r, far.X, far.Y, mbRight, TShiftState{ssShift});
    EXPECT_EQ(r->SelStart(), 6);
    EXPECT_EQ(r->SelLength(), 8);
    r->SetSelStart(6);
    r->SetSelLength(4);
    const TPoint near = At(2);
    SendClick(r, near.X, near.Y, mbRight, TShiftState{ssShift});
    EXPECT_EQ(r->SelStart(), 2);
    EXPECT_EQ(r->SelLength(), 8);
    EXPECT_EQ(r->Text(), "alpha beta gamma");
}

// ---- The data-aware form's window

class DBRichEditWindow : public ::testing::Test {
protected:
    std::unique_ptr<TOstraTable> T = std::make_unique<TOstraTable>(nullptr);
    TDataSource source{nullptr};
    TForm* form = CreateForm<TForm>(Application);
    TqzDBRichEdit* title = new TqzDBRichEdit(form);
    TqzDBRichEdit* notes = new TqzDBRichEdit(form);
    void SetUp() override {
        T->FieldDefs()->Add("Action", ftString, 40);
        T->FieldDefs()->Add("Notes", ftBlob);
        T->Open();
        T->AppendRecord({Variant("Write"), Variant("{\\rtf1 First {\\b notes}\\par}")});
        T->AppendRecord({Variant("Read"), Variant("{\\rtf1 Second notes\\par}")});
        T->First();
        source.SetDataSet(T.get());
        form->SetBounds(30, 30, 420, 240);
        title->SetParent(form);
        title->SetBounds(10, 10, 380, 30);
        title->SetWantReturns(false);
        notes->SetParent(form);
        notes->SetBounds(10, 50, 380, 140);
        title->SetDataSource(&source);
        title->SetDataField("Action");
        notes->SetDataSource(&source);
        notes->SetDataField("Notes");
        form->Show();
        ActivateForm(form);
    }
    ~DBRichEditWindow() override {
        delete form;
        source.SetDataSet(nullptr);
    }
};

// A record move while the windows are gone: the new windows show the
// record's values, not what the old ones held.
TEST_F(DBRichEditWindow, AWindowMadeAgainShowsTheCurrentRecord) {
    ASSERT_EQ(title->Text(), "Write");
    ASSERT_EQ(notes->Lines()->Strings(0), "First notes");
    form->RecreateWnd();
    T->Next();
    ProcessEvents();
    ASSERT_TRUE(title->HandleAllocated());
    EXPECT_EQ(title->Text(), "Read");
    EXPECT_EQ(notes->Lines()->Strings(0), "Second notes");
    EXPECT_EQ(T->State(), dsBrowse);
    EXPECT_FALSE(notes->Modified());
}

// What the user typed and has not posted survives the window made again.
TEST_F(DBRichEditWindow, TypedTextSurvivesAWindowMadeAgain) {
    notes->SetFocus();
    notes->SetSelStart(0);
    SendText(notes, "My ");
    ASSERT_EQ(T->State(), dsEdit);
    notes->RecreateWnd();
    notes->HandleNeeded();
    EXPECT_EQ(notes->Lines()->Strings(0), "My First notes");
    T->Post();
    EXPECT_NE(T->FieldByName("Notes")->AsString().find("My First"), std::string::npos);
}

// Handlers that run while a BLOB loads may change the screen cursor; the
// load leaves it as it found it.
TEST_F(DBRichEditWindow, LoadingTheFieldKeepsTheScreenCursor) {
    int changes = 0;
    notes->SetOnChange(TNotifyEvent([&](TObject*) {
        ++changes;
        Screen->SetCursor(crHourGlass);
    }));
    Screen->SetCursor(crDefault);
    T->Next();
    EXPECT_EQ(notes->Lines()->Strings(0), "Second notes");
    EXPECT_GT(changes, 0);
    EXPECT_EQ(Screen->Cursor(), crDefault);
    Screen->SetCursor(crDefault);
}

// ---- The text rectangle without a frame

// Two pixels at the top and right, the text from GutterWidth - 2 (never left
// of the window), down to the control's height less 2.
TEST(RichEditTextRect, WithoutAFrameTheTextKeepsItsMargins) {
    TShownForm f;
    auto* plain = new TqzCustomRichEdit(f.Form);  // GutterWidth 0
    plain->SetParent(f.Form);
    plain->SetBorderStyle(bsNone);
    plain->SetBounds(10, 10, 200, 60);
    auto* bound = new TqzDBRichEdit(f.Form);  // GutterWidth 3, a border
    bound->SetParent(f.Form);
    bound->SetBounds(10, 80, 200, 60);
    f.Show();
    plain->SetText("x");
    bound->SetText("x");
    EXPECT_EQ(plain->FormatRect(), (TRect{0, 2, 196, 58}));
    const TRect c = bound->ClientRect();
    EXPECT_EQ(bound->FormatRect(), (TRect{1, 2, c.Right - 4, std::min(c.Bottom, bound->Height() - 2)}));
    EXPECT_GE(plain->PosFromChar(0).Y, 2);
    bound->SetGutterWidth(20);
    EXPECT_EQ(bound->FormatRect().Left, 18);
    EXPECT_GE(bound->PosFromChar(0).X, 18);
    bound->SetBounds(10, 80, 300, 90);  // a new size, a new rectangle
    EXPECT_EQ(bound->FormatRect().Right, bound->ClientRect().Right - 4);
    EXPECT_TRUE(RenderControlToPng(f.Form, TestRunPath("taskmoor_riched_textrect.png")));
}

// ---- Font and the default text attributes

class RichEditFont : public ::testing::Test {
protected:
    TShownForm f;
    TqzCustomRichEdit* r = new TqzCustomRichEdit(f.Form);
    void SetUp() override {
        r->SetParent(f.Form);
        r->SetBounds(10, 10, 300, 100);
        f.Show();
    }
    TRtfCharFormat FormatAt(int Pos) {
        r->SetSelStart(Pos);
        r->SetSelLength(1);
        return r->SelAttributes();
    }
};

// What the Font changes goes to the text that had the Font's former value
// and is stored with it; a word formatted otherwise keeps its own.
TEST_F(RichEditFont, FontChangesReachTheTextInTheDefault) {
    TRtfDocument d;
    TRtfCharFormat plain, red;
    red.Color = 0x0000C8;
    red.Italic = true;
    d.Paragraphs = {{{}, {d.Run("plain ", plain), d.Run("red", red)}}};
    r->SetDocument(d);
    r->SetSelStart(2);
    r->Font()->SetName("DejaVu Serif");
    r->Font()->SetStyle(TFontStyles{fsBold});
    r->Font()->SetColor(0x00A00000);
    EXPECT_EQ(r->SelStart(), 2);  // the caret stays
    EXPECT_FALSE(r->Modified());
    const TRtfCharFormat p = FormatAt(1), w = FormatAt(7);
    EXPECT_EQ(p.FontName, "DejaVu Serif");
    EXPECT_TRUE(p.Bold);
    EXPECT_EQ(p.Color, 0x00A00000);
    EXPECT_EQ(w.FontName, "DejaVu Serif");  // it had the default face
    EXPECT_TRUE(w.Bold);
    EXPECT_TRUE(w.Italic);
    EXPECT_EQ(w.Color, 0x0000C8);  // its own colour stays
    // back to regular: only what was bold by the Font follows
    r->Font()->SetStyle(TFontStyles{fsItalic});
    EXPECT_FALSE(FormatAt(1).Bold);
    EXPECT_TRUE(FormatAt(1).Italic);
    EXPECT_TRUE(FormatAt(7).Italic);
    // stored as it shows
    TRtfDocument stored;
    ASSERT_TRUE(RtfRead(r->StreamOut(true, false), stored).Ok);
    const TRtfCharFormat s = stored.FormatOf(stored.Paragraphs[0].Runs[0]);
    EXPECT_EQ(s.FontName, "DejaVu Serif");
    EXPECT_TRUE(s.Italic);
    EXPECT_EQ(s.Color, 0x00A00000);
    EXPECT_EQ(r->Text(), "plain red");
    EXPECT_TRUE(RenderControlToPng(r, TestRunPath("taskmoor_riched_font.png")));
}

// An empty control types in the Font; a size follows where it was the Font's.
TEST_F(RichEditFont, TypingAndSizesFollowTheFont) {
    r->Font()->SetColor(0x00008000);
    r->Font()->SetStyle(TFontStyles{fsUnderline});
    r->SetFocus();
    SendText(r, "typed");
    TRtfCharFormat t = FormatAt(2);
    EXPECT_EQ(t.Color, 0x00008000);
    EXPECT_TRUE(t.Underline);
    r->Font()->SetSize(12);
    r->SelectAll();
    TRtfCharFormat big = r->SelAttributes();
    big.Size = 24;
    r->SetSelAttributes(big, cfmSize);
    r->Font()->SetSize(16);
    EXPECT_EQ(FormatAt(1).Size, 32);
    EXPECT_EQ(r->Text(), "typed");
}

}  // namespace
