// Painting of the rich edit on a shown form: the gutter left of the text of
// a framed control as it scrolls by keys, and a BLOB loaded for painting (the
// control's own or a grid cell's copy) under the busy cursor.
#include <gtest/gtest.h>
#include "support/environment.h"

#include <memory>
#include <string>
#include <vector>

#include "engine/ostra_table.h"
#include "platform/core/exceptions.h"
#include "platform/core/files.h"
#include "platform/core/sysutils.h"
#include "platform/db/datasource.h"
#include "platform/db/fielddefs.h"
#include "platform/db/fieldtypes.h"
#include "platform/ui/application.h"
#include "platform/ui/bitmaps.h"
#include "platform/ui/forms.h"
#include "platform/ui/testing.h"
#include "platform/ui/window_services.h"
#include "suite/richtext/qzdbrichedit.h"

namespace {

// A BLOB field that notes the screen's cursor each time its value is read,
// and can refuse to be read.
class TCursorProbeBlob : public TBlobField {
public:
    using TBlobField::TBlobField;
    mutable std::vector<TCursor> During;
    bool Fail = false;

protected:
    std::string GetAsString() const override {
        During.push_back(Screen->Cursor());
        if (Fail) throw Exception("The note cannot be read");
        return TBlobField::GetAsString();
    }
};

class RichPaint : public ::testing::Test {
protected:
    TForm* form = CreateForm<TForm>(Application);
    TqzDBRichEdit* other = nullptr;
    TqzDBRichEdit* r = nullptr;

    void SetUp() override {
        form->SetBounds(30, 30, 360, 260);
        other = new TqzDBRichEdit(form);
        other->SetParent(form);
        other->SetBounds(10, 10, 300, 30);
        r = new TqzDBRichEdit(form);
        r->SetParent(form);
        r->SetBounds(10, 50, 300, 120);
    }
    void Show() {
        form->Show();
        ActivateForm(form);
    }
    ~RichPaint() override {
        SetInvalidateRectObserver({});
        Screen->SetCursor(crDefault);
        delete form;
    }
};

// The strips of the client area invalidated from x = 2 (the gutter's).
struct TGutterWatch {
    explicit TGutterWatch(TWinControl* Control) {
        SetInvalidateRectObserver([this, Control](TWinControl* C, const TRect& R, bool) {
            if (C == Control && R.Left == 2) Seen.push_back(R);
        });
    }
    ~TGutterWatch() { SetInvalidateRectObserver({}); }
    std::vector<TRect> Seen;
};

TEST_F(RichPaint, ScrollingByKeysRepaintsTheGutterInTheFramesColours) {
    std::string text;
    for (int i = 1; i <= 40; ++i) text += "Wide line " + std::to_string(i) + "\n";
    r->SetText(text);
    r->SetGutterWidth(12);
    r->SetColor(clWindow);
    TqzEditFrame look(nullptr);
    look.SetEnabled(true);
    look.SetNonFocusColor(clYellow);
    r->SetFrame(&look);
    Show();
    r->SetFocus();
    ProcessEvents();
    // the text starts after the gutter: GutterWidth + the frame's offset - 2
    const TRect f = r->FormatRect();
    EXPECT_EQ(f.Left, 12);
    EXPECT_GE(r->PosFromChar(0).X, 12);
    const TRect gutter = TRect{2, 0, f.Left, r->ClientHeight()};

    TGutterWatch watch(r);
    SendKey(r, VK_RIGHT);  // the first move notes where the view starts
    ProcessEvents();
    watch.Seen.clear();
    SendKey(r, VK_RIGHT);  // nothing scrolled, no line added: no repaint
    SendKey(r, VK_DOWN);
    ProcessEvents();
    EXPECT_TRUE(watch.Seen.empty());
    for (int i = 0; i < 30; ++i) SendKey(r, VK_DOWN);
    ProcessEvents();
    ASSERT_GT(r->CharFromPos(TPoint{f.Left + 1, f.Top + 1}), 0);  // the view scrolled
    ASSERT_FALSE(watch.Seen.empty());
    for (const TRect& seen : watch.Seen) EXPECT_EQ(seen, gutter);
    // a new line changes the count
    watch.Seen.clear();
    SendKey(r, VK_END);
    ProcessEvents();
    watch.Seen.clear();
    SendKey(r, VK_RETURN);
    ProcessEvents();
    EXPECT_FALSE(watch.Seen.empty());

    // the strip shows the control's colour: no text, no stale pixels
    TBitmap shot;
    RenderControl(r, &shot);
    EXPECT_TRUE(RenderControlToPng(r, TestRunPath("qz_dbrichedit_gutter_scrolled.png")));
    for (int y = 2; y < shot.Height() - 2; ++y)
        for (int x = 2; x < f.Left; ++x)
            ASSERT_EQ(shot.Canvas()->Pixels(x, y), ColorToRGB(clWindow)) << x << "," << y;

    // without the focus nothing is watched; a gutter of 2 pixels or less is never repainted
    other->SetFocus();
    ProcessEvents();
    watch.Seen.clear();
    r->SetSelStart(0);
    ProcessEvents();
    EXPECT_TRUE(watch.Seen.empty());
    r->SetGutterWidth(4);
    EXPECT_EQ(r->FormatRect().Left, 4);
    r->SetFocus();
    ProcessEvents();
    for (int i = 0; i < 30; ++i) SendKey(r, VK_DOWN);
    ProcessEvents();
    EXPECT_TRUE(watch.Seen.empty());
}

// A table of one note whose field reports the cursor it is read under.
class RichPaintBound : public RichPaint {
protected:
    std::unique_ptr<TOstraTable> T = std::make_unique<TOstraTable>(nullptr);
    TDataSource source{nullptr};
    TCursorProbeBlob* probe = nullptr;

    void SetUp() override {
        RichPaint::SetUp();
        T->FieldDefs()->Add("Notes", ftBlob);
        probe = new TCursorProbeBlob(T.get());
        probe->SetFieldName("Notes");
        probe->SetDataSet(T.get());
        T->Open();
        T->Append();
        probe->SetAsString(
            "{\\rtf1\\ansi{\\colortbl ;\\red200\\green0\\blue0;}\\pard\\cf1\\fs40 Red note\\par}");
        T->Post();
        source.SetDataSet(T.get());
    }
    ~RichPaintBound() override {
        delete form;
        form = nullptr;
        source.SetDataSet(nullptr);
    }
};

TEST_F(RichPaintBound, AGridCopyLoadsUnderTheBusyCursorAndPutsTheCursorBackAfterAFailure) {
    r->SetDataSource(&source);
    r->SetDataField("Notes");
    Screen->SetCursor(crHandPoint);
    probe->During.clear();
    TBitmap cell;
    cell.SetSize(200, 40);
    r->PaintGridCopy(cell.Canvas(), TRect{0, 0, 200, 40});
    cell.SaveToFile(TestRunPath("qz_dbrichedit_busy_cell.png"));
    ASSERT_FALSE(probe->During.empty());
    for (TCursor c : probe->During) EXPECT_EQ(c, crHourGlass);
    EXPECT_EQ(Screen->Cursor(), crHandPoint);
    bool red = false;
    for (int y = 0; y < 40 && !red; ++y)
        for (int x = 0; x < 200 && !red; ++x) {
            const TColor c = cell.Canvas()->Pixels(x, y);
            red = (c & 0xFF) > 120 && ((c >> 8) & 0xFF) < 80 && ((c >> 16) & 0xFF) < 80;
        }
    EXPECT_TRUE(red);

    probe->Fail = true;
    probe->During.clear();
    EXPECT_THROW(r->PaintGridCopy(cell.Canvas(), TRect{0, 0, 200, 40}), Exception);
    EXPECT_EQ(probe->During, std::vector<TCursor>{crHourGlass});
    EXPECT_EQ(Screen->Cursor(), crHandPoint);
}

// A control hidden when its record came loads the note when it is shown and
// paints, under the busy cursor.
TEST_F(RichPaintBound, AHiddenControlLoadsItsNoteWhenItPaints) {
    Show();
    r->SetVisible(false);
    r->SetDataSource(&source);
    r->SetDataField("Notes");
    EXPECT_FALSE(r->MemoLoaded());
    EXPECT_EQ(r->Text(), "");
    probe->During.clear();
    r->SetVisible(true);
    ProcessEvents();
    EXPECT_TRUE(r->MemoLoaded());
    EXPECT_EQ(r->Text(), "Red note");
    ASSERT_FALSE(probe->During.empty());
    EXPECT_EQ(probe->During.front(), crHourGlass);
    EXPECT_EQ(Screen->Cursor(), crDefault);
    EXPECT_TRUE(RenderControlToPng(r, TestRunPath("qz_dbrichedit_loaded_on_paint.png")));
    // AutoDisplay off keeps the label until asked
    r->SetVisible(false);
    r->SetAutoDisplay(false);
    T->Edit();
    probe->SetAsString("{\\rtf1 Other\\par}");
    T->Post();
    r->SetVisible(true);
    ProcessEvents();
    EXPECT_FALSE(r->MemoLoaded());
    EXPECT_EQ(r->Text(), "(Notes)");
}

// Moving to another parent loads the field again; what was typed is kept.
TEST_F(RichPaintBound, AMoveToAnotherParentKeepsWhatWasTyped) {
    r->SetDataSource(&source);
    r->SetDataField("Notes");
    Show();
    r->SetFocus();
    ProcessEvents();
    r->SetSelStart(0);
    SendText(r, "Kept ");
    ASSERT_EQ(T->State(), dsEdit);
    TForm* second = CreateForm<TForm>(Application);
    second->SetBounds(60, 60, 360, 200);
    second->Show();
    r->SetParent(second);
    EXPECT_FALSE(r->MemoLoaded());
    ProcessEvents();
    EXPECT_TRUE(r->MemoLoaded());
    EXPECT_EQ(r->Text(), "Kept Red note");
    r->SetParent(form);
    delete second;
    ProcessEvents();
    T->Post();
    EXPECT_NE(probe->AsString().find("Kept"), std::string::npos);
}

}  // namespace
