// Painted controls checked by their pixels, bitmap buttons, pop-up lists,
// and a few behaviours of the standard controls that other layers rely on.
#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QTimer>
#include <QWidget>

#include <string>
#include <vector>

#include "platform/ui/bitmaps.h"
#include "platform/ui/buttons.h"
#include "platform/ui/comctrls.h"
#include "platform/ui/dbctrls.h"
#include "platform/ui/extctrls.h"
#include "platform/ui/menus.h"
#include "platform/ui/stdctrls.h"
#include "support/ui/ui_probes.h"

namespace {

template <class T>
T* Put(TForm* Form, int X, int Y, int W, int H) {
    auto* c = new T(Form);
    c->SetParent(Form);
    c->SetBounds(X, Y, W, H);
    return c;
}

// The form's client area as pixels.
struct TShot {
    explicit TShot(TForm* Form) { RenderControl(Form, &Bitmap); }
    TColor At(int X, int Y) { return Bitmap.Canvas()->Pixels(X, Y); }
    TBitmap Bitmap;
};

TEST(PaintedControlsTest, BevelPanelLabelAndImagePixels) {
    TShownForm f;
    f.Form->SetColor(clBtnFace);
    auto* bevel = Put<TBevel>(f.Form, 10, 10, 40, 30);
    bevel->SetShape(bsBox);
    auto* line = Put<TBevel>(f.Form, 60, 10, 40, 30);
    line->SetShape(bsTopLine);
    line->SetStyle(bsRaised);
    auto* panel = Put<TPanel>(f.Form, 110, 10, 60, 30);
    panel->SetColor(clYellow);
    auto* label = Put<TLabel>(f.Form, 180, 10, 0, 0);
    label->SetCaption("W");
    label->SetColor(clAqua);
    auto* clear = Put<TLabel>(f.Form, 220, 10, 0, 0);
    clear->SetCaption("W");
    clear->SetColor(clAqua);
    clear->SetTransparent(true);
    auto* image = Put<TImage>(f.Form, 10, 50, 40, 40);
    TBitmap pic;
    pic.SetSize(2, 2);
    pic.Canvas()->Brush()->SetColor(clRed);
    pic.Canvas()->FillRect(Rect(0, 0, 2, 2));
    image->Picture()->SetGraphic(&pic);
    image->SetStretch(true);
    auto* drawn = Put<TImage>(f.Form, 60, 50, 20, 20);
    drawn->Canvas()->Brush()->SetColor(clBlue);
    drawn->Canvas()->FillRect(Rect(0, 0, 20, 20));
    f.Show();
    TShot shot(f.Form);
    // A lowered box: shadow on the top and left, highlight on the bottom and right.
    EXPECT_EQ(shot.At(20, 10), ColorToRGB(clBtnShadow));
    EXPECT_EQ(shot.At(10, 20), ColorToRGB(clBtnShadow));
    EXPECT_EQ(shot.At(20, 39), ColorToRGB(clBtnHighlight));
    EXPECT_EQ(shot.At(49, 20), ColorToRGB(clBtnHighlight));
    EXPECT_EQ(shot.At(20, 20), ColorToRGB(clBtnFace));
    // A raised top line: highlight, then shadow.
    EXPECT_EQ(shot.At(70, 10), ColorToRGB(clBtnHighlight));
    EXPECT_EQ(shot.At(70, 11), ColorToRGB(clBtnShadow));
    // A panel: raised outer bevel around its colour.
    EXPECT_EQ(shot.At(111, 10), ColorToRGB(clBtnHighlight));
    EXPECT_EQ(shot.At(169, 20), ColorToRGB(clBtnShadow));
    EXPECT_EQ(shot.At(120, 15), ColorToRGB(clYellow));
    // A label fills its background unless it is transparent.
    EXPECT_EQ(shot.At(180 + label->Width() - 1, 10), ColorToRGB(clAqua));
    EXPECT_EQ(shot.At(220 + clear->Width() - 1, 10), ColorToRGB(clBtnFace));
    // The stretched picture covers the image; the drawn one shows its canvas.
    EXPECT_EQ(shot.At(12, 52), clRed);
    EXPECT_EQ(shot.At(48, 88), clRed);
    EXPECT_EQ(shot.At(70, 60), clBlue);
    // An image holding an icon has no bitmap canvas.
    TIcon icon;
    image->Picture()->SetGraphic(&icon);
    EXPECT_THROW(image->Canvas(), EInvalidOperation);
}

TEST(PaintedControlsTest, GroupedSpeedButtonShowsDown) {
    TShownForm f;
    auto* b = Put<TSpeedButton>(f.Form, 10, 10, 30, 25);
    b->SetGroupIndex(1);
    b->SetAllowAllUp(true);
    f.Show();
    TShot up(f.Form);
    b->SetDown(true);
    TShot down(f.Form);
    // Up: light top-left edge; down: dark top-left edge.
    EXPECT_NE(up.At(11, 11), down.At(11, 11));
    EXPECT_EQ(b->State(), bsExclusive);
    b->SetDown(false);
    EXPECT_EQ(b->State(), bsUp);
}

// ---- Bitmap buttons -----------------------------------------------------------------------------

TEST(BitBtnTest, KindsGiveCaptionResultAndDefault) {
    TShownForm f;
    auto* ok = Put<TBitBtn>(f.Form, 10, 10, 80, 26);
    ok->SetKind(bkOK);
    auto* cancel = Put<TBitBtn>(f.Form, 100, 10, 80, 26);
    cancel->SetKind(bkCancel);
    EXPECT_EQ(ok->Caption(), "OK");
    EXPECT_EQ(ok->ModalResult(), mrOk);
    EXPECT_TRUE(ok->Default());
    EXPECT_TRUE(cancel->Cancel());
    EXPECT_FALSE(ok->Glyph()->Empty());
    f.Show();
    SendClick(cancel, 10, 10);
    EXPECT_EQ(f.Form->ModalResult(), mrCancel);
    SendKey(ok, VK_RETURN);
    EXPECT_EQ(f.Form->ModalResult(), mrOk);
    // Changing the glyph makes the button a custom one.
    TBitmap glyph;
    glyph.SetSize(16, 16);
    ok->SetGlyph(&glyph);
    EXPECT_EQ(ok->Kind(), bkCustom);
    EXPECT_EQ(ok->NumGlyphs(), 1);
    TBitmap strip;
    strip.SetSize(32, 16);
    ok->SetGlyph(&strip);
    EXPECT_EQ(ok->NumGlyphs(), 2);
}

TEST(BitBtnTest, CloseKindClosesTheForm) {
    TShownForm f;
    auto* close = Put<TBitBtn>(f.Form, 10, 10, 80, 26);
    close->SetKind(bkClose);
    EXPECT_EQ(close->Caption(), "&Close");
    int closes = 0;
    f.Form->SetOnClose(TCloseEvent([&](TObject*, TCloseAction& Action) {
        ++closes;
        Action = caNone;
    }));
    f.Show();
    SendClick(close, 10, 10);
    EXPECT_EQ(closes, 1);
}

// ---- Pop-up list -----------------------------------------------------------------------------------

// A list box in a window of its own, as drop-down lists make them.
class TPopupList : public TCustomListBox {
public:
    using TCustomListBox::TCustomListBox;

protected:
    void CreateParams(TCreateParams& Params) override {
        TCustomListBox::CreateParams(Params);
        Params.Style = WS_POPUP | WS_BORDER;
        Params.ExStyle = WS_EX_TOOLWINDOW | WS_EX_TOPMOST;
        Params.WndParent = nullptr;
    }
};

TEST(PopupListTest, ATopLevelListGetsItsMouseMessages) {
    TShownForm f;
    auto* list = new TPopupList(f.Form);
    list->SetParent(f.Form);
    list->SetItemHeight(11);
    list->SetIntegralHeight(true);
    for (const char* s : {"Urgent", "High", "Medium"}) list->Items()->Add(s);
    list->SetBounds(0, 0, 100, 3 * 11 + 2);
    std::vector<std::string> log;
    list->SetOnMouseDown(TMouseEvent([&](TObject*, TMouseButton, TShiftState, int X, int Y) {
        log.push_back("down " + std::to_string(X) + "," + std::to_string(Y));
    }));
    list->SetOnMouseUp(TMouseEvent([&](TObject*, TMouseButton, TShiftState, int X, int Y) {
        log.push_back("up " + std::to_string(X) + "," + std::to_string(Y) + " item " +
                      std::to_string(list->ItemIndex()));
    }));
    f.Show();
    list->HandleNeeded();
    ASSERT_TRUE(list->Widget()->isWindow());
    list->Show();
    // One-pixel border: rows start at y = 1.
    EXPECT_EQ(list->ItemAtPos({5, 11 + 3}, true), 1);
    SendClick(list, 5, 2 * 11 + 3);
    EXPECT_EQ(log, (std::vector<std::string>{"down 5,25", "up 5,25 item 2"}));
}

// ---- Behaviours ---------------------------------------------------------------------------------------

TEST(StdBehaviourTest, EditSelectsAllWhenTabbedInto) {
    TShownForm f;
    auto* a = Put<TEdit>(f.Form, 10, 10, 100, 21);
    auto* b = Put<TEdit>(f.Form, 10, 40, 100, 21);
    b->SetText("select me");
    f.Show();
    a->SetFocus();
    SendKey(a, VK_TAB);
    EXPECT_TRUE(b->Focused());
    EXPECT_EQ(b->SelText(), "select me");
    b->SetAutoSelect(false);
    b->SetSelStart(0);
    a->SetFocus();
    SendKey(a, VK_TAB);
    EXPECT_EQ(b->SelLength(), 0);
}

// A memo entered by Tab keeps its caret: the next key typed must not replace
// all its lines.
TEST(StdBehaviourTest, MemoTabbedIntoSelectsNothing) {
    TShownForm f;
    auto* a = Put<TEdit>(f.Form, 10, 10, 100, 21);
    auto* m = Put<TMemo>(f.Form, 10, 40, 100, 60);
    m->SetText("first line\nsecond line");
    f.Show();
    a->SetFocus();
    SendKey(a, VK_TAB);
    ASSERT_TRUE(m->Focused());
    EXPECT_EQ(m->SelLength(), 0);
    SendText(m, "x");
    EXPECT_NE(m->Text().find("second line"), std::string::npos);
}

TEST(StdBehaviourTest, ComboDropDownAndCloseUpEvents) {
    TShownForm f;
    auto* c = Put<TComboBox>(f.Form, 10, 10, 120, 21);
    c->Items()->SetCommaText("One,Two,Three");
    std::vector<std::string> log;
    c->SetOnDropDown(TNotifyEvent([&](TObject*) { log.push_back("drop"); }));
    c->SetOnCloseUp(TNotifyEvent([&](TObject*) { log.push_back("close"); }));
    c->SetDropDownCount(2);
    f.Show();
    c->SetDroppedDown(true);
    EXPECT_TRUE(c->DroppedDown());
    c->SetDroppedDown(false);
    EXPECT_FALSE(c->DroppedDown());
    EXPECT_EQ(log, (std::vector<std::string>{"drop", "close"}));
}

TEST(StdBehaviourTest, TabSheetsTellShowAndHide) {
    TShownForm f;
    auto* pages = Put<TPageControl>(f.Form, 0, 0, 300, 200);
    std::vector<std::string> log;
    std::vector<TTabSheet*> sheets;
    for (const char* name : {"One", "Two"}) {
        auto* s = new TTabSheet(f.Form);
        s->SetCaption(name);
        s->SetOnShow(TNotifyEvent([&log, s](TObject*) { log.push_back("show " + s->Caption()); }));
        s->SetOnHide(TNotifyEvent([&log, s](TObject*) { log.push_back("hide " + s->Caption()); }));
        s->SetPageControl(pages);
        sheets.push_back(s);
    }
    log.clear();
    pages->SetActivePage(sheets[1]);
    EXPECT_EQ(log, (std::vector<std::string>{"show Two", "hide One"}));
    sheets[1]->SetPageIndex(0);
    EXPECT_EQ(pages->Pages(0), sheets[1]);
    EXPECT_THROW(pages->Pages(2), EListError);
}

TEST(StdBehaviourTest, HighlightedMenuItemShowsItsHint) {
    TShownForm f;
    auto* popup = new TPopupMenu(f.Form);
    auto* item = new TMenuItem(f.Form);
    item->SetCaption("&Archive");
    item->SetHint("Archive|Moves the selected item to the archive");
    popup->Items()->Add(item);
    std::vector<std::string> hints;
    Application->SetOnHint(TNotifyEvent([&](TObject*) { hints.push_back(Application->Hint()); }));
    f.Show();
    QTimer::singleShot(0, [] {
        if (QWidget* menu = QApplication::activePopupWidget()) {
            QKeyEvent down(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier);
            QApplication::sendEvent(menu, &down);
            QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
            QApplication::sendEvent(menu, &esc);
        }
    });
    popup->Popup(50, 50);
    Application->SetOnHint(nullptr);
    Application->SetHint("");
    ASSERT_FALSE(hints.empty());
    EXPECT_EQ(hints.front(), "Moves the selected item to the archive");
}

TEST(StdBehaviourTest, PublishedPropertiesByName) {
    TShownForm f;
    auto* e = Put<TEdit>(f.Form, 0, 0, 100, 21);
    SetStrProp(e, "Text", "by name");
    EXPECT_EQ(e->Text(), "by name");
    SetEnumProp(e, "CharCase", "ecUpperCase");
    EXPECT_EQ(e->Text(), "BY NAME");
    auto* pages = Put<TPageControl>(f.Form, 0, 30, 200, 100);
    auto* sheet = new TTabSheet(f.Form);
    sheet->SetPageControl(pages);
    EXPECT_EQ(GetObjectProp(pages, "ActivePage"), sheet);
    auto* nav = new TDBNavigator(f.Form);
    SetSetProp(nav, "VisibleButtons", "[nbFirst,nbLast]");
    EXPECT_FALSE(nav->Buttons(nbNext)->Visible());
    EXPECT_EQ(GetSetProp(nav, "VisibleButtons"), "[nbFirst,nbLast]");
    EXPECT_TRUE(GetMethodProp(nav, "OnClick").Is<ENavClick>() || !GetMethodProp(nav, "OnClick").Assigned());
}

}  // namespace

namespace {

// Every control publishes its properties without trouble, whichever class is looked at first.
TEST(StdBehaviourTest, EveryClassPublishes) {
    TShownForm f;
    std::vector<TComponent*> all{
        new TLabel(f.Form),       new TEdit(f.Form),      new TMemo(f.Form),     new TButton(f.Form),
        new TCheckBox(f.Form),    new TListBox(f.Form),   new TComboBox(f.Form), new TBitBtn(f.Form),
        new TSpeedButton(f.Form), new TPanel(f.Form),     new TBevel(f.Form),    new TPaintBox(f.Form),
        new TImage(f.Form),       new TScrollBox(f.Form), new TToolBar(f.Form),  new TToolButton(f.Form),
        new TStatusBar(f.Form),   new TTreeView(f.Form),  new TMenuItem(f.Form), new TPopupMenu(f.Form),
        new TDBText(f.Form),      new TDBEdit(f.Form),    new TDBMemo(f.Form),   new TDBCheckBox(f.Form),
        new TDBNavigator(f.Form)};
    for (TComponent* c : all) {
        EXPECT_FALSE(GetPropList(c).empty()) << c->ClassName();
        EXPECT_TRUE(c->InheritsFrom("TComponent")) << c->ClassName();
    }
    EXPECT_TRUE(IsPublishedProp(all[21], "DataField"));
    EXPECT_TRUE(IsPublishedProp(all[24], "ConfirmDelete"));
    EXPECT_EQ(GetEnumProp(all[7], "Kind"), "bkCustom");
    EXPECT_TRUE(all[21]->InheritsFrom("TCustomEdit"));
}

}  // namespace
