// A form with the standard controls rendered to a PNG: the picture is kept
// in the test's folder for looking at, and a few pixels are checked.
#include <gtest/gtest.h>
#include "support/environment.h"

#include <string>

#include "platform/core/files.h"
#include "platform/db/datasource.h"
#include "platform/db/fielddefs.h"
#include "platform/db/fields.h"
#include "platform/ui/bitmaps.h"
#include "platform/ui/buttons.h"
#include "platform/ui/comctrls.h"
#include "platform/ui/dbctrls.h"
#include "platform/ui/extctrls.h"
#include "platform/ui/menus.h"
#include "platform/ui/stdctrls.h"
#include "support/db/memory_dataset.h"
#include "support/ui/ui_probes.h"

namespace {

template <class T>
T* Put(TComponent* Owner, TWinControl* Parent, int X, int Y, int W, int H) {
    auto* c = new T(Owner);
    c->SetParent(Parent);
    c->SetBounds(X, Y, W, H);
    return c;
}

// The Today page: bound edits, lists, a tree, panels, buttons and a paint
// box (returned: its white is checked).
TPaintBox* PutTodaysControls(TForm* form, TWinControl* today, TDataSource* source) {
    auto* label = Put<TLabel>(form, today, 10, 12, 0, 0);
    label->SetCaption("&Action:");
    auto* edit = Put<TDBEdit>(form, today, 70, 10, 200, 21);
    edit->SetDataSource(source);
    edit->SetDataField("Action");
    label->SetFocusControl(edit);
    auto* check = Put<TDBCheckBox>(form, today, 290, 12, 80, 17);
    check->SetCaption("Flag");
    check->SetDataSource(source);
    check->SetDataField("Flag");
    auto* memo = Put<TMemo>(form, today, 10, 45, 200, 80);
    memo->Lines()->SetText("Notes line one\nNotes line two\n");
    auto* list = Put<TListBox>(form, today, 220, 45, 120, 80);
    list->SetMultiSelect(true);
    for (const char* s : {"Appid", "Archive", "Catg", "Goals", "List"}) list->Items()->Add(s);
    list->SetSelected(1, true);
    list->SetSelected(3, true);
    auto* combo = Put<TComboBox>(form, today, 350, 45, 120, 21);
    combo->SetStyle(csDropDownList);
    combo->Items()->SetCommaText("Urgent,High,Medium,Low,Completed");
    combo->SetItemIndex(2);
    auto* tree = Put<TTreeView>(form, today, 480, 45, 130, 120);
    TTreeNode* root = tree->Items()->Add(nullptr, "Projects");
    tree->Items()->AddChild(root, "House");
    TTreeNode* garden = tree->Items()->AddChild(root, "Garden");
    tree->Items()->AddChild(garden, "Hedge");
    tree->Items()->Add(nullptr, "Other");
    root->Expand(true);
    auto* panel = Put<TPanel>(form, today, 10, 140, 300, 60);
    panel->SetBevelInner(bvLowered);
    panel->SetCaption("A panel");
    auto* ok = Put<TBitBtn>(form, panel, 320 - 310 + 200, 15, 80, 26);
    ok->SetKind(bkOK);
    auto* bevel = Put<TBevel>(form, today, 320, 140, 150, 60);
    bevel->SetShape(bsFrame);
    auto* button = Put<TButton>(form, today, 330, 155, 75, 25);
    button->SetCaption("&Save");
    auto* disabled = Put<TSpeedButton>(form, today, 420, 155, 40, 25);
    disabled->SetCaption("Off");
    disabled->SetEnabled(false);
    auto* paint = Put<TPaintBox>(form, today, 10, 215, 100, 60);
    paint->SetOnPaint(TNotifyEvent([paint](TObject*) {
        TCanvas* c = paint->Canvas();
        c->Brush()->SetColor(clWhite);
        c->FillRect(paint->ClientRect());
        c->Pen()->SetColor(clNavy);
        c->Ellipse(5, 5, 95, 55);
    }));
    return paint;
}

TEST(StdCtrlsRenderTest, AFormOfStandardControls) {
    TShownForm f;
    TForm* form = f.Form;
    form->SetCaption("Controls");
    form->SetColor(clBtnFace);
    form->SetBounds(20, 20, 640, 480);

    auto* menu = new TMainMenu(form);
    for (const char* caption : {"&File", "&Edit", "&Help"}) {
        auto* item = new TMenuItem(form);
        item->SetCaption(caption);
        menu->Items()->Add(item);
    }

    auto* table = new TMemoryDataSet(form);
    table->FieldDefs()->Add("Action", ftString, 40);
    table->FieldDefs()->Add("Flag", ftBoolean);
    table->AddRow({"Call the plumber", "True"});
    table->AddRow({"Pay the bills", "False"});
    auto* source = new TDataSource(form);
    source->SetDataSet(table);
    table->Open();

    auto* bar = new TToolBar(form);
    bar->SetParent(form);
    bar->SetFlat(true);
    auto* nav = new TDBNavigator(form);
    nav->SetParent(bar);
    nav->SetVisibleButtons({nbFirst, nbPrior, nbNext, nbLast, nbInsert, nbDelete, nbPost, nbCancel});
    nav->SetDataSource(source);
    nav->SetWidth(192);
    nav->SetHeight(22);
    for (const char* caption : {"QR", "QD"}) {
        auto* sb = new TSpeedButton(form);
        sb->SetParent(bar);
        sb->SetCaption(caption);
        sb->SetFlat(true);
        sb->SetLeft(1000);
    }

    auto* status = new TStatusBar(form);
    status->SetParent(form);
    status->SetSimplePanel(true);
    status->SetSimpleText("Sort Order - Action");
    status->SetColor(clCream);

    auto* pages = new TPageControl(form);
    pages->SetParent(form);
    pages->SetAlign(alClient);
    auto* today = new TTabSheet(form);
    today->SetPageControl(pages);
    today->SetCaption("Today");
    auto* second = new TTabSheet(form);
    second->SetPageControl(pages);
    second->SetCaption("Actions Group 1");

    TPaintBox* paint = PutTodaysControls(form, today, source);

    f.Show();
    const std::string file = TestRunPath("stdctrls_render.png");
    ASSERT_TRUE(RenderControlToPng(form, file));
    TBitmap shot;
    RenderControl(form, &shot);
    // The status bar's cream and the paint box's white show where they are.
    const TPoint s = status->ClientToScreen({20, 10});
    const TPoint o = form->ClientToScreen({0, 0});
    const TPoint inShot{s.X - o.X, s.Y - o.Y + menu->BarHeight()};
    EXPECT_EQ(shot.Canvas()->Pixels(inShot.X, inShot.Y), ColorToRGB(clCream));
    const TPoint p = paint->ClientToScreen({50, 2});
    EXPECT_EQ(shot.Canvas()->Pixels(p.X - o.X, p.Y - o.Y + menu->BarHeight()), clWhite);
    EXPECT_TRUE(FileExists(file));
}

}  // namespace
