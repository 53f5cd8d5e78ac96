// How the windowing layer looks: the default font's metrics, check boxes,
// the corner between a scroll box's bars, the menu bar after a command and
// text in other scripts (pictures written to the test run's folder as
// looks_<name>.png).
#include <gtest/gtest.h>
#include "support/environment.h"

#include <QApplication>
#include <QMouseEvent>
#include <QWidget>

#include <string>
#include <vector>

#include "platform/core/files.h"
#include "platform/ui/bitmaps.h"
#include "platform/ui/extctrls.h"
#include "platform/ui/menus.h"
#include "platform/ui/stdctrls.h"
#include "support/ui/ui_probes.h"

namespace {

std::string PicturePath(const std::string& Name) { return TestRunPath("looks_" + Name + ".png"); }

int Gray(TColor C) { return (GetRValue(C) + GetGValue(C) + GetBValue(C)) / 3; }

// ---- The default font --------------------------------------------------------------------------

TEST(DefaultFontLook, MeasuresLikeTheEightPointInterfaceFont) {
    TBitmap b;
    b.SetSize(1, 1);
    TCanvas* c = b.Canvas();
    TFont font;
    ASSERT_EQ(font.Name(), "MS Sans Serif");
    ASSERT_EQ(font.Size(), 8);
    c->SetFont(&font);
    // A 13-pixel line, as the forms' row and edit heights assume.
    EXPECT_EQ(c->TextHeight("Wg"), 13);
    // A default label's caption is 32 pixels wide.
    EXPECT_NEAR(c->TextWidth("Label1"), 32, 1);
    // Texts that the program's columns, titles and calendar were sized for
    // fit them (cell or title width, less the frame and text offsets).
    struct TFit {
        const char* Text;
        int Room;
    };
    for (const TFit& f :
         {TFit{"Completed", 57 - 3}, TFit{"Name/Status", 68 - 4}, TFit{"03/14/2024", 77 - 12 - 4},
          TFit{"Priority", 57 - 20}, TFit{"Wednesday", 60}}) {
        SCOPED_TRACE(f.Text);
        EXPECT_LE(c->TextWidth(f.Text), f.Room);
        EXPECT_GE(c->TextWidth(f.Text), f.Room * 2 / 3) << "not shrunk out of shape";
    }
    // Sizes above the interface size keep their proportions.
    font.SetSize(16);
    c->SetFont(&font);
    EXPECT_GE(c->TextHeight("Wg"), 24);
}

// ---- Check boxes --------------------------------------------------------------------------------

TEST(CheckBoxLook, AnUntickedBoxHasAWhiteFaceInADarkFrameUnlessDisabled) {
    TShownForm f;
    f.Form->SetColor(clBtnFace);
    auto* enabled = new TCheckBox(f.Form);
    enabled->SetParent(f.Form);
    enabled->SetBounds(10, 10, 97, 17);
    enabled->SetCaption("Flag");
    auto* disabled = new TCheckBox(f.Form);
    disabled->SetParent(f.Form);
    disabled->SetBounds(10, 40, 97, 17);
    disabled->SetCaption("Complete");
    disabled->SetEnabled(false);
    f.Show();
    ProcessEvents();
    ASSERT_TRUE(RenderControlToPng(f.Form, PicturePath("check_boxes")));
    // The box: the first 20 columns of each control.
    auto count = [](TCheckBox* Box, auto Test) {
        TBitmap picture;
        RenderControl(Box, &picture);
        int n = 0;
        for (int y = 0; y < picture.Height(); ++y)
            for (int x = 0; x < 20; ++x)
                if (Test(picture.Canvas()->Pixels(x, y))) ++n;
        return n;
    };
    auto white = [](TColor C) { return C == ColorToRGB(clWindow); };
    auto dark = [](TColor C) { return Gray(C) < 110; };
    EXPECT_GE(count(enabled, white), 6 * 6) << "white face";
    EXPECT_GE(count(enabled, dark), 4 * 8) << "dark frame";
    EXPECT_LT(count(disabled, white), 6) << "a disabled box keeps the face colour";
    // Ticking it adds a mark and keeps the face.
    enabled->SetChecked(true);
    ProcessEvents();
    EXPECT_GT(count(enabled, dark), 4 * 8 + 6);
}

// ---- The scroll box's corner --------------------------------------------------------------------

TEST(ScrollBoxLook, ContentsStayOutOfTheCornerBetweenTheBars) {
    TShownForm f;
    auto* box = new TScrollBox(f.Form);
    box->SetParent(f.Form);
    box->SetBounds(10, 10, 200, 150);
    box->SetColor(clGray);
    auto* sheet = new TPaintBox(f.Form);
    sheet->SetParent(box);
    sheet->SetBounds(0, 0, 400, 400);
    sheet->SetOnPaint(TNotifyEvent([sheet](TObject*) {
        sheet->Canvas()->Brush()->SetColor(clBlack);
        sheet->Canvas()->FillRect(Rect(0, 0, sheet->Width(), sheet->Height()));
    }));
    f.Show();
    ProcessEvents();
    ASSERT_TRUE(box->HorzScrollBar()->IsScrollBarVisible());
    ASSERT_TRUE(box->VertScrollBar()->IsScrollBarVisible());
    TBitmap picture;
    RenderControl(box, &picture);
    picture.SaveToFile(PicturePath("scroll_box"));
    // The frame is as wide on every side; the bars take the right and bottom margins.
    const int frame = box->NonClientMargins().Left;
    const int left = frame + box->ClientWidth(), top = frame + box->ClientHeight();
    ASSERT_LT(left, box->Width() - frame);
    ASSERT_LT(top, box->Height() - frame);
    int black = 0, face = 0;
    for (int y = top; y < box->Height() - frame; ++y)
        for (int x = left; x < box->Width() - frame; ++x) {
            const TColor p = picture.Canvas()->Pixels(x, y);
            if (p == clBlack) ++black;
            if (p == ColorToRGB(clBtnFace)) ++face;
        }
    EXPECT_EQ(black, 0);
    EXPECT_GT(face, 0);
    // The sheet itself shows in the client area.
    EXPECT_EQ(picture.Canvas()->Pixels(frame + 5, frame + 5), clBlack);
}

// ---- The menu bar -------------------------------------------------------------------------------

// A scripted menu that also takes a picture of the form while it is open.
class TPictureMenus : public TTestMenus {
public:
    explicit TPictureMenus(TForm* Form) : FForm(Form) {}
    TMenuItem* TrackMenu(TMenuItem* Parent, const TPoint& ScreenPos) override {
        RenderControl(FForm, &WhileOpen);
        return TTestMenus::TrackMenu(Parent, ScreenPos);
    }
    TBitmap WhileOpen;

private:
    TForm* FForm;
};

TEST(MenuBarLook, TheItemIsMarkedOnlyWhileTheMouseIsOverItOrItsMenuIsOpen) {
    TShownForm f;
    auto* menu = new TMainMenu(f.Form);
    auto* file = new TMenuItem(f.Form);
    file->SetCaption("&File");
    menu->Items()->Add(file);
    auto* open = new TMenuItem(f.Form);
    open->SetCaption("&Open");
    file->Add(open);
    TBitmap duringCommand;
    open->SetOnClick(TNotifyEvent([&](TObject*) { RenderControl(f.Form, &duringCommand); }));
    f.Show();
    ProcessEvents();
    TPictureMenus menus(f.Form);
    menus.Answer("Open");

    const TRect r = menu->ItemBarRect(file);
    const int barHeight = menu->BarHeight();
    // The item's top-left corner on a picture of the form: the edge marks show there.
    auto corner = [&](TBitmap& Picture) { return Picture.Canvas()->Pixels(r.Left, r.Top + barHeight); };
    const TColor plain = ColorToRGB(clMenu);
    QWidget* bar = f.Form->Widget()->childAt(r.Left + 3, 4);
    ASSERT_NE(bar, nullptr);
    const QPointF p(r.Left + 3, 4);
    QMouseEvent move(QEvent::MouseMove, p, bar->mapToGlobal(p), Qt::NoButton, Qt::NoButton, {});
    QApplication::sendEvent(bar, &move);
    TBitmap hot;
    RenderControl(f.Form, &hot);
    EXPECT_EQ(corner(hot), ColorToRGB(clBtnHighlight)) << "raised under the mouse";

    QMouseEvent press(QEvent::MouseButtonPress, p, bar->mapToGlobal(p), Qt::LeftButton, Qt::LeftButton, {});
    QApplication::sendEvent(bar, &press);
    ASSERT_EQ(menus.Opened().size(), 1u);
    EXPECT_EQ(corner(menus.WhileOpen), ColorToRGB(clBtnShadow)) << "pressed while its menu is open";
    ASSERT_FALSE(duringCommand.Empty()) << "the command ran";
    EXPECT_EQ(corner(duringCommand), plain) << "no mark while the command runs";
    TBitmap after;
    RenderControl(f.Form, &after);
    after.SaveToFile(PicturePath("menu_bar"));
    EXPECT_EQ(corner(after), plain) << "no mark after the command";
}

// ---- Text in other scripts ------------------------------------------------------------------

// The pixels of one character drawn alone.
std::vector<TColor> Glyph(const std::string& Text) {
    TBitmap b;
    b.SetSize(24, 20);
    TCanvas* c = b.Canvas();
    c->Brush()->SetColor(clWhite);
    c->FillRect(Rect(0, 0, 24, 20));
    c->Font()->SetSize(10);
    c->TextOut(2, 2, Text);
    std::vector<TColor> pixels;
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 24; ++x) pixels.push_back(c->Pixels(x, y));
    return pixels;
}

TEST(ScriptsLook, ChineseAndJapaneseCharactersDrawTheirOwnGlyphs) {
    // A code point no font has draws the missing-glyph box.
    const std::vector<TColor> missing = Glyph("\xF3\xB0\x80\x80");  // U+F0000, private use
    const std::vector<std::string> characters = {"\xE6\x97\xA5", "\xE6\x9C\xAC", "\xE8\xAA\x9E",
                                                 "\xE3\x81\x82"};  // 日 本 語 あ
    std::vector<std::vector<TColor>> seen;
    for (const std::string& ch : characters) {
        SCOPED_TRACE(ch);
        const std::vector<TColor> g = Glyph(ch);
        int ink = 0;
        for (TColor p : g) ink += p != clWhite;
        EXPECT_GT(ink, 10);
        EXPECT_NE(g, missing);
        for (const auto& other : seen) EXPECT_NE(g, other);
        seen.push_back(g);
    }
    TBitmap b;
    b.SetSize(160, 24);
    b.Canvas()->Brush()->SetColor(clWhite);
    b.Canvas()->FillRect(Rect(0, 0, 160, 24));
    b.Canvas()->TextOut(4, 4, "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E \xE4\xB8\xAD\xE6\x96\x87 Tasks");
    b.SaveToFile(PicturePath("cjk"));
}

}  // namespace
