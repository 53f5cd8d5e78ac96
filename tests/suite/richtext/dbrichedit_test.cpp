// The data-aware rich edit over an engine table, with real keys: loading a
// BLOB, edit mode, Post, Esc, a string field, the grid's cell image, and a
// formatted document saved to a table file and read back.
#include <gtest/gtest.h>
#include "support/environment.h"

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "engine/ostra_table.h"
#include "platform/core/files.h"
#include "platform/core/guid.h"
#include "platform/core/properties.h"
#include "platform/core/sysutils.h"
#include "platform/db/dataset.h"
#include "platform/db/datasource.h"
#include "platform/db/fielddefs.h"
#include "platform/db/fields.h"
#include "platform/ui/actions.h"
#include "platform/ui/application.h"
#include "platform/ui/bitmaps.h"
#include "platform/ui/clipboard.h"
#include "platform/ui/find_dialogs.h"
#include "platform/ui/forms.h"
#include "platform/ui/messages.h"
#include "platform/ui/shell_open.h"
#include "platform/ui/testing.h"
#include "suite/richtext/qzdbrichedit.h"
#include "suite/richtext/qzrichsearch.h"

namespace {

// A letter with fonts, colours and indents.
const char* const kLetter =
    "{\\rtf1\\ansi\\ansicpg1252{\\fonttbl{\\f0\\fswiss DejaVu Sans;}{\\f1\\froman DejaVu Serif;}}"
    "{\\colortbl ;\\red200\\green0\\blue0;\\red0\\green0\\blue160;}"
    "\\pard\\qc\\sa120\\f1\\fs32\\b\\cf1 Dear reader\\b0\\cf0\\par"
    "\\pard\\li720\\fi-360\\f0\\fs20 Indented \\i text\\i0  in \\cf2 blue\\cf0.\\par"
    "\\pard\\li1440 Deeper.\\par}";

std::string Dir() {
    static const std::string dir = [] {
        const std::string d =
            IncludeTrailingPathDelimiter(GetTempDir()) + "richtext_" + CreateGUIDString().substr(1, 8) + "/";
        std::filesystem::create_directories(d);
        return d;
    }();
    return dir;
}

// A "post" action for any data source: posts its dataset, enabled while the
// dataset is being edited.
class TTestPostAction : public TCustomAction {
public:
    TTestPostAction() : TCustomAction(nullptr) {}
    bool HandlesTarget(TObject* Target) override { return dynamic_cast<TDataSource*>(Target) != nullptr; }
    void ExecuteTarget(TObject* Target) override { static_cast<TDataSource*>(Target)->DataSet()->Post(); }
    void UpdateTarget(TObject* Target) override {
        TDataSet* ds = static_cast<TDataSource*>(Target)->DataSet();
        SetEnabled(ds && (ds->State() == dsEdit || ds->State() == dsInsert));
    }
};

class DBRichEditTest : public ::testing::Test {
protected:
    std::unique_ptr<TOstraTable> T = std::make_unique<TOstraTable>(nullptr);
    TDataSource source{nullptr};
    TForm* form = CreateForm<TForm>(Application);
    TqzDBRichEdit* r = nullptr;
    TqzDBRichEdit* title = nullptr;

    void SetUp() override {
        T->FieldDefs()->Add("Action", ftString, 40);
        T->FieldDefs()->Add("Notes", ftBlob);
        T->Open();
        T->Append();
        T->FieldByName("Action")->SetAsString("Write");
        T->FieldByName("Notes")->SetAsString(kLetter);
        T->Post();
        T->Append();
        T->FieldByName("Action")->SetAsString("Empty");
        T->Post();
        T->First();
        source.SetDataSet(T.get());
        form->SetBounds(30, 30, 460, 320);
        title = new TqzDBRichEdit(form);
        title->SetParent(form);
        title->SetBounds(10, 10, 420, 30);
        title->SetWantReturns(false);
        r = new TqzDBRichEdit(form);
        r->SetParent(form);
        r->SetBounds(10, 50, 420, 220);
    }
    void Bind() {
        title->SetDataSource(&source);
        title->SetDataField("Action");
        r->SetDataSource(&source);
        r->SetDataField("Notes");
    }
    void Show() {
        form->Show();
        ActivateForm(form);
    }
    ~DBRichEditTest() override {
        delete form;
        source.SetDataSet(nullptr);
    }
};

TEST_F(DBRichEditTest, ShowsTheBlobAsRichTextReadOnlyUntilEdited) {
    Bind();
    Show();
    EXPECT_TRUE(r->MemoLoaded());
    EXPECT_EQ(r->Lines()->Strings(0), "Dear reader");
    const TRtfDocument d = r->Document();
    ASSERT_EQ(d.Paragraphs.size(), 3u);
    EXPECT_EQ(d.Paragraphs[1].Format.LeftIndent, 720);
    EXPECT_EQ(d.Paragraphs[1].Format.FirstIndent, -360);
    EXPECT_EQ(d.FormatOf(d.Paragraphs[0].Runs[0]).Color, 200);
    EXPECT_EQ(title->Text(), "Write");
    EXPECT_EQ(T->State(), dsBrowse);
    EXPECT_FALSE(r->Modified());
}

TEST_F(DBRichEditTest, TypingStartsEditingAndPostWritesRichText) {
    Bind();
    Show();
    r->SetFocus();
    r->SetSelStart(static_cast<int>(std::string("Dear").size()));
    SendText(r, " kind");
    EXPECT_EQ(T->State(), dsEdit);
    EXPECT_EQ(r->Lines()->Strings(0), "Dear kind reader");  // the switch kept what was shown
    T->Post();
    const std::string stored = T->FieldByName("Notes")->AsString();
    EXPECT_EQ(stored.substr(0, 6), "{\\rtf1");
    TRtfDocument d;
    ASSERT_TRUE(RtfRead(stored, d).Ok);
    EXPECT_EQ(d.PlainText(), "Dear kind reader\r\nIndented text in blue.\r\nDeeper.");
    EXPECT_EQ(d.Paragraphs[2].Format.LeftIndent, 1440);
    EXPECT_TRUE(d.FormatOf(d.Paragraphs[0].Runs[0]).Bold);
}

// A post takes what the edit shows without reading it back: the caret and
// the text stay where they were, and the next record and the way back read
// what was stored.
TEST_F(DBRichEditTest, APostKeepsTheCaretAndReadsNothingBack) {
    Bind();
    Show();
    r->SetFocus();
    const int end = static_cast<int>(r->Text().size());
    r->SetSelStart(end);
    SendText(r, " Yours");
    const std::string typed = r->Text();
    const int caret = r->SelStart();
    ASSERT_EQ(caret, end + 6);
    T->Post();
    EXPECT_EQ(T->State(), dsBrowse);
    EXPECT_EQ(r->SelStart(), caret);
    EXPECT_EQ(r->Text(), typed);
    EXPECT_FALSE(r->Modified());
    T->Next();
    EXPECT_EQ(r->Text(), "");
    T->Prior();
    EXPECT_EQ(r->Text(), typed);
    EXPECT_EQ(r->Lines()->Strings(2), "Deeper. Yours");
    // a change after a post is stored by the next one
    r->SetSelStart(static_cast<int>(r->Text().size()));
    SendText(r, "!");
    T->Post();
    SendText(r, "?");
    T->Post();
    T->Next();
    T->Prior();
    EXPECT_EQ(r->Lines()->Strings(2), "Deeper. Yours!?");
}

// The resize request, the clipboard question and the scroll-bar setting are
// reached by name, as a stored form sets them, and work over a bound field.
TEST_F(DBRichEditTest, ResizeRequestSaveClipboardAndHideScrollBarsByName) {
    TTestClipboard clip;
    Bind();
    Show();
    EXPECT_EQ(GetOrdProp(r, "HideScrollBars"), 1);
    SetOrdProp(r, "HideScrollBars", 0);
    EXPECT_FALSE(r->HideScrollBars());
    std::vector<TRect> asked;
    SetMethodProp(r, "OnResizeRequest",
                  TMethod(TRichEditResizeEvent([&](TObject*, const TRect& R) { asked.push_back(R); })));
    int chars = -1;
    SetMethodProp(r, "OnSaveClipboard",
                  TMethod(TRichEditSaveClipboard([&](TObject*, int, int Chars, bool& Save) {
                      chars = Chars;
                      Save = false;
                  })));
    r->SetFocus();
    SendKey(r, VK_END, TShiftState{ssCtrl});
    const std::size_t before = asked.size();
    SendKey(r, VK_RETURN);
    SendText(r, "one more line");
    Application->ProcessMessages();
    ASSERT_GT(asked.size(), before);
    EXPECT_GT(asked.back().Bottom, asked.back().Top);
    EXPECT_EQ(T->State(), dsEdit);
    r->SetSelStart(0);
    r->SetSelLength(4);
    SendKey(r, 'C', TShiftState{ssCtrl});
    EXPECT_EQ(clip.GetData().at(CF_TEXT), "Dear");
    delete r;
    r = nullptr;
    EXPECT_EQ(chars, 4);
    EXPECT_TRUE(clip.GetData().empty());
}

// Replacing through the dialog edits the record as typing does: the record
// goes into edit and keeps the change; a read-only dataset keeps its text.
TEST_F(DBRichEditTest, ReplaceEditsTheRecordOrNothing) {
    TTestDialogs boxes;
    TBeepCounter beeps;
    Bind();
    Show();
    r->SetFocus();
    auto replaceAll = [&](const char* From, const char* To) {
        r->SetSelStart(0);
        r->SetSelLength(0);
        r->ShowReplaceDialog();
        TReplaceDialog* d = r->Search()->ReplaceDialog();
        d->FindEdit()->SetText(From);
        d->ReplaceEdit()->SetText(To);
        SendClick(d->ReplaceAllButton(), 5, 5);
        d->CloseDialog();
    };
    replaceAll("reader", "friend");
    EXPECT_EQ(r->Lines()->Strings(0), "Dear friend");
    EXPECT_EQ(T->State(), dsEdit);
    T->Next();
    T->First();
    EXPECT_EQ(r->Lines()->Strings(0), "Dear friend");
    EXPECT_NE(T->FieldByName("Notes")->AsString().find("Dear friend"), std::string::npos);

    T->SetReadOnly(true);
    const int before = beeps.Count();
    replaceAll("friend", "foe");
    EXPECT_EQ(r->Lines()->Strings(0), "Dear friend");
    EXPECT_EQ(T->State(), dsBrowse);
    EXPECT_GT(beeps.Count(), before);
}

TEST_F(DBRichEditTest, EscapeBringsTheFieldBack) {
    Bind();
    Show();
    r->SetFocus();
    SendKey(r, VK_END, TShiftState{ssCtrl});
    SendText(r, "XYZ");
    EXPECT_EQ(r->Lines()->Strings(2), "Deeper.XYZ");
    SendKey(r, VK_ESCAPE);
    EXPECT_EQ(r->Lines()->Strings(2), "Deeper.");
    T->Cancel();
    EXPECT_EQ(T->FieldByName("Notes")->AsString(), kLetter);
}

TEST_F(DBRichEditTest, AStringFieldAndEnterWithoutWantReturns) {
    Bind();
    Show();
    title->SetFocus();
    SendKey(title, VK_END);
    SendText(title, "!");
    EXPECT_EQ(T->State(), dsEdit);
    SendKey(title, VK_RETURN);  // no new line: the caret goes to the start
    EXPECT_EQ(title->Text(), "Write!");
    EXPECT_EQ(title->SelStart(), 0);
    r->SetFocus();  // leaving writes the text into the field
    EXPECT_EQ(T->FieldByName("Action")->AsString(), "Write!");
    T->Post();
}

TEST_F(DBRichEditTest, AutoDisplayOffShowsTheLabelUntilLoaded) {
    r->SetAutoDisplay(false);
    Bind();
    Show();
    EXPECT_EQ(r->Text(), "(Notes)");
    EXPECT_FALSE(r->MemoLoaded());
    r->SetFocus();
    SendText(r, "x");  // dropped: nothing is loaded
    EXPECT_EQ(r->Text(), "(Notes)");
    EXPECT_EQ(T->State(), dsBrowse);
    SendKey(r, VK_RETURN);
    EXPECT_TRUE(r->MemoLoaded());
    EXPECT_EQ(r->Lines()->Strings(0), "Dear reader");
}

TEST_F(DBRichEditTest, AnEmptyBlobStartsPlain) {
    Bind();
    T->Next();
    Show();
    EXPECT_TRUE(r->MemoLoaded());
    EXPECT_EQ(r->Text(), "");
    unsigned mask = 0;
    const TRtfParaFormat p = r->Paragraph(&mask);
    EXPECT_FALSE(p.Bullet);
    EXPECT_EQ(p.Alignment, TRtfAlign::Left);
    r->SetFocus();
    SendText(r, "new note");
    T->Post();
    TRtfDocument d;
    ASSERT_TRUE(RtfRead(T->FieldByName("Notes")->AsString(), d).Ok);
    EXPECT_EQ(d.PlainText(), "new note");
}

// A plain memo, a string field and typing into an empty memo come in at the
// Font's size and post back with it; a new Font, a cell height too, takes
// the text along.
TEST_F(DBRichEditTest, PlainValuesTakeTheFontSize) {
    T->Edit();
    T->FieldByName("Notes")->SetAsString("A plain note\r\nof two lines");
    T->Post();
    r->Font()->SetSize(14);
    title->Font()->SetHeight(-24);
    Bind();
    Show();
    const auto sizeOf = [](const TRtfDocument& d) {
        return d.Paragraphs.empty() || d.Paragraphs[0].Runs.empty()
                   ? 0
                   : d.FormatOf(d.Paragraphs[0].Runs[0]).Size;
    };
    const auto posted = [&] {
        TRtfDocument d;
        EXPECT_TRUE(RtfRead(T->FieldByName("Notes")->AsString(), d).Ok);
        return d;
    };
    EXPECT_EQ(r->Lines()->Strings(0), "A plain note");
    EXPECT_EQ(sizeOf(r->Document()), 28);
    EXPECT_EQ(title->Text(), "Write");
    EXPECT_EQ(sizeOf(title->Document()), 36);
    r->SetFocus();
    SendKey(r, VK_END, TShiftState{ssCtrl});
    SendText(r, "!");
    T->Post();
    TRtfDocument d = posted();
    EXPECT_EQ(d.PlainText(), "A plain note\r\nof two lines!");
    EXPECT_EQ(sizeOf(d), 28);

    // an empty memo: typing takes the Font's size
    T->Next();
    EXPECT_EQ(r->Text(), "");
    SendText(r, "new note");
    T->Post();
    d = posted();
    EXPECT_EQ(d.PlainText(), "new note");
    EXPECT_EQ(sizeOf(d), 28);

    // a cell height: the text takes its character height
    r->Font()->SetHeight(30);
    const int cell = sizeOf(r->Document());
    EXPECT_GT(cell, 30);
    EXPECT_LT(cell, 46);
    EXPECT_EQ(r->SelAttributes().Size, cell);
    EXPECT_TRUE(RenderControlToPng(form, TestRunPath("dbrichedit_font_size.png")));
}

TEST_F(DBRichEditTest, TheTypingLimitNeverCutsWhatIsLoadedAndPostedBack) {
    r->SetMaxLength(10);
    Bind();
    Show();
    EXPECT_EQ(r->Lines()->Strings(1), "Indented text in blue.");
    r->SetFocus();
    SendKey(r, VK_END, TShiftState{ssCtrl});
    SendKey(r, VK_BACK);  // the text is already past the limit: deleting still works
    EXPECT_EQ(T->State(), dsEdit);
    SendText(r, "abc");  // typing is limited
    T->Post();
    TRtfDocument d;
    ASSERT_TRUE(RtfRead(T->FieldByName("Notes")->AsString(), d).Ok);
    EXPECT_EQ(d.PlainText(), "Dear reader\r\nIndented text in blue.\r\nDeeper");
}

TEST_F(DBRichEditTest, PasteInAFieldStartsEditingAndTakesRichText) {
    TTestClipboard clip;
    Bind();
    Show();
    r->SetFocus();
    r->SetSelStart(0);
    clip.SetData({{CF_TEXT, "plain "}, {CF_RTF(), "{\\rtf1 {\\ul under} }"}});
    SendKey(r, 'V', TShiftState{ssCtrl});
    EXPECT_EQ(T->State(), dsEdit);
    EXPECT_EQ(r->Lines()->Strings(0), "under Dear reader");
    EXPECT_TRUE(r->Document().FormatOf(r->Document().Paragraphs[0].Runs[0]).Underline);
    T->Cancel();
}

TEST_F(DBRichEditTest, GridCopyPaintsTheFieldAsACell) {
    Bind();
    TBitmap cell;
    cell.SetSize(240, 60);
    r->PaintGridCopy(cell.Canvas(), TRect{0, 0, 240, 60});
    cell.SaveToFile(TestRunPath("dbrichedit_grid_cell.png"));
    // the red heading shows, centred, and the cell is not edited
    bool red = false;
    for (int y = 0; y < 60; ++y)
        for (int x = 40; x < 200; ++x) {
            const TColor c = cell.Canvas()->Pixels(x, y);
            if ((c & 0xFF) > 120 && ((c >> 8) & 0xFF) < 80 && ((c >> 16) & 0xFF) < 80) red = true;
        }
    EXPECT_TRUE(red);
    EXPECT_EQ(T->State(), dsBrowse);
    // a preview parses only the first chunks of a long document
    T->Edit();
    std::string longDoc = "{\\rtf1\\pard " + std::string(5000, 'w') + "\\par}";
    T->FieldByName("Notes")->SetAsString(longDoc);
    T->Post();
    TqzDBRichEdit preview(nullptr);
    preview.LoadBlobPreview(T->FieldByName("Notes"), 2);
    EXPECT_EQ(preview.Text(), std::string(2048 - 12, 'w'));
    EXPECT_FALSE(preview.MemoLoaded());
}

// A cell of a long document reads only what it can show: it paints as the
// document's first paragraphs alone do.
TEST_F(DBRichEditTest, GridCopyOfALongDocumentReadsOnlyItsStart) {
    Bind();
    auto document = [](int paragraphs) {
        std::string s = "{\\rtf1\\ansi{\\colortbl ;\\red200\\green0\\blue0;}\\pard ";
        for (int i = 0; i < paragraphs; ++i) s += "{\\b\\cf1 Line} " + std::to_string(i) + "\\par ";
        return s + "}";
    };
    auto paint = [&](const std::string& rtf, TBitmap& cell) {
        T->Edit();
        T->FieldByName("Notes")->SetAsString(rtf);
        T->Post();
        cell.SetSize(240, 60);
        r->PaintGridCopy(cell.Canvas(), TRect{0, 0, 240, 60});
    };
    TBitmap shortCell, longCell;
    paint(document(20), shortCell);
    paint(document(100000), longCell);
    longCell.SaveToFile(TestRunPath("dbrichedit_grid_cell_long.png"));
    for (int y = 0; y < 60; ++y)
        for (int x = 0; x < 240; ++x)
            ASSERT_EQ(longCell.Canvas()->Pixels(x, y), shortCell.Canvas()->Pixels(x, y)) << x << "," << y;
    // the hidden copy holds the start of the text, not the whole of it
    int copies = 0;
    for (int i = 0; i < r->ComponentCount(); ++i)
        if (auto* copy = dynamic_cast<TqzDBRichEdit*>(r->Components(i))) {
            ++copies;
            EXPECT_LT(copy->Text().size(), 100000u);
        }
    EXPECT_EQ(copies, 1);
    EXPECT_EQ(T->State(), dsBrowse);
}

// The copy is given a start of the stored text that grows until its load stops
// inside it: a long skipped group before the text (a start cut in it does not
// read as RTF) and plain text both show as their whole documents would.
TEST_F(DBRichEditTest, GridCopyReadsPastALongStartBeforeTheText) {
    Bind();
    auto paint = [&](const std::string& text, TBitmap& cell) {
        T->Edit();
        T->FieldByName("Notes")->SetAsString(text);
        T->Post();
        cell.SetSize(240, 60);
        r->PaintGridCopy(cell.Canvas(), TRect{0, 0, 240, 60});
    };
    auto copyText = [&] {
        for (int i = 0; i < r->ComponentCount(); ++i)
            if (auto* copy = dynamic_cast<TqzDBRichEdit*>(r->Components(i))) return copy->Text();
        return std::string();
    };
    std::string lines;
    for (int i = 0; i < 5000; ++i) lines += "{\\b Line} " + std::to_string(i) + "\\par ";
    const std::string head = "{\\rtf1\\ansi\\pard ";
    TBitmap plainStart, junkStart, binStart;
    paint(head + lines + "}", plainStart);
    paint(head + "{\\*\\junk " + std::string(600000, 'x') + "}" + lines + "}", junkStart);
    EXPECT_EQ(copyText().substr(0, 11), "Line 0\nLine");
    paint(head + "{\\*\\junk\\bin400000 " + std::string(400000, '}') + "}" + lines + "}", binStart);
    EXPECT_EQ(copyText().substr(0, 11), "Line 0\nLine");
    for (int y = 0; y < 60; ++y)
        for (int x = 0; x < 240; ++x) {
            ASSERT_EQ(junkStart.Canvas()->Pixels(x, y), plainStart.Canvas()->Pixels(x, y)) << x << "," << y;
            ASSERT_EQ(binStart.Canvas()->Pixels(x, y), plainStart.Canvas()->Pixels(x, y)) << x << "," << y;
        }
    std::string text, lines2;  // stored with CR LF, shown with LF
    for (int i = 0; i < 100000; ++i) {
        text += "word " + std::to_string(i) + "\r\n";
        lines2 += "word " + std::to_string(i) + "\n";
    }
    TBitmap textCell;
    paint(text, textCell);
    const std::string shown = copyText();
    EXPECT_EQ(shown.substr(0, 13), "word 0\nword 1");
    EXPECT_LT(shown.size(), 100000u);
    EXPECT_EQ(lines2.compare(0, shown.size(), shown), 0);
}

TEST_F(DBRichEditTest, EditedDocumentSavedAndReopenedKeepsItsFormats) {
    Bind();
    Show();
    r->SetFocus();
    r->SetSelStart(r->Lines()->Strings(0).size() + 1 + std::string("Indented").size());
    SendText(r, " and edited");
    T->Post();
    ASSERT_TRUE(RenderControlToPng(form, TestRunPath("dbrichedit_edited.png")));
    const TRtfDocument before = r->Document();
    const std::string file = Dir() + "letters.d";
    T->SaveToFile(file);
    // a fresh table and form over the file
    delete form;
    form = CreateForm<TForm>(Application);
    source.SetDataSet(nullptr);
    T = std::make_unique<TOstraTable>(nullptr);
    T->SetTableName(file);
    T->Open();
    source.SetDataSet(T.get());
    form->SetBounds(30, 30, 460, 320);
    r = new TqzDBRichEdit(form);
    r->SetParent(form);
    r->SetBounds(10, 50, 420, 220);
    r->SetDataSource(&source);
    r->SetDataField("Notes");
    title = nullptr;
    Show();
    EXPECT_EQ(r->Lines()->Strings(1), "Indented and edited text in blue.");
    EXPECT_EQ(r->Document(), before);
    ASSERT_TRUE(RenderControlToPng(form, TestRunPath("dbrichedit_reopened.png")));
    // and its plain text without a window
    EXPECT_EQ(RtfToPlainText(T->FieldByName("Notes")->AsString()),
              "Dear reader\r\nIndented and edited text in blue.\r\nDeeper.");
}

// The edit frame: drawn while active (focus borders focused, the bottom
// border alone unfocused), the text inside it; the non-focus colour shown
// while the control has no focus.
TEST_F(DBRichEditTest, TheEditFrameIsDrawnAndColoursTheUnfocusedControl) {
    Bind();
    TqzEditFrame look(nullptr);
    look.SetEnabled(true);
    look.SetNonFocusColor(clYellow);
    r->SetColor(clWindow);
    r->SetFrame(&look);
    Show();
    title->SetFocus();
    ProcessEvents();
    EXPECT_EQ(r->Color(), clYellow);
    EXPECT_EQ(r->SavedColor(), clWindow);
    TBitmap shot;
    RenderControl(r, &shot);
    EXPECT_TRUE(RenderControlToPng(r, TestRunPath("qz_dbrichedit_frame_unfocused.png")));
    const int w = shot.Width(), h = shot.Height();
    // the bottom border only: black at the bottom, none at the top or sides
    EXPECT_EQ(shot.Canvas()->Pixels(w / 2, h - 1), clBlack);
    EXPECT_NE(shot.Canvas()->Pixels(w / 2, 0), clBlack);
    EXPECT_NE(shot.Canvas()->Pixels(0, h / 2), clBlack);
    // the non-focus colour, also in the margin inside the frame
    for (const TPoint& p : {TPoint{w - 30, h / 2}, TPoint{1, 1}, TPoint{w - 2, h / 2}, TPoint{w / 2, 1}})
        EXPECT_EQ(shot.Canvas()->Pixels(p.X, p.Y), ColorToRGB(clYellow)) << p.X << "," << p.Y;

    r->SetFocus();
    ProcessEvents();
    EXPECT_EQ(r->Color(), clWindow);
    EXPECT_EQ(r->SavedColor(), clNone);
    RenderControl(r, &shot);
    EXPECT_TRUE(RenderControlToPng(r, TestRunPath("qz_dbrichedit_frame_focused.png")));
    for (const TPoint& p : {TPoint{w / 2, 0}, TPoint{w / 2, h - 1}, TPoint{0, h / 2}, TPoint{w - 1, h / 2}})
        EXPECT_EQ(shot.Canvas()->Pixels(p.X, p.Y), clBlack) << p.X << "," << p.Y;
    EXPECT_EQ(shot.Canvas()->Pixels(w - 30, h / 2), ColorToRGB(clWindow));
    // the text starts inside the frame
    const TPoint first = r->PosFromChar(0);
    EXPECT_GE(first.X, 2);
    EXPECT_GE(first.Y, 2);

    title->SetFocus();  // and the colour comes back on leaving
    ProcessEvents();
    EXPECT_EQ(r->Color(), clYellow);
}

// A transparent frame lets the form's colour show around the text while the
// control has no focus; focused it has its own background again.
TEST_F(DBRichEditTest, ATransparentFrameShowsWhatLiesBehindWhileUnfocused) {
    Bind();
    form->SetColor(clMoneyGreen);
    r->SetColor(clWindow);
    TqzEditFrame look(nullptr);
    look.SetEnabled(true);
    look.SetTransparent(true);
    r->SetFrame(&look);
    Show();
    title->SetFocus();
    ProcessEvents();
    ASSERT_TRUE(r->IsTransparent());
    TBitmap shot;
    RenderControl(form, &shot);
    EXPECT_TRUE(RenderControlToPng(form, TestRunPath("qz_dbrichedit_transparent.png")));
    const TPoint blank{r->Left() + r->Width() - 30, r->Top() + r->Height() - 30};
    EXPECT_EQ(shot.Canvas()->Pixels(blank.X, blank.Y), ColorToRGB(clMoneyGreen));
    r->SetFocus();
    ProcessEvents();
    RenderControl(form, &shot);
    EXPECT_TRUE(RenderControlToPng(form, TestRunPath("qz_dbrichedit_transparent_focused.png")));
    EXPECT_EQ(shot.Canvas()->Pixels(blank.X, blank.Y), ColorToRGB(clWindow));
    // in a grid the frame is not active: never transparent
    look.SetEnabled(false);
    r->SetFrame(&look);
    EXPECT_FALSE(r->IsTransparent());
}

TEST_F(DBRichEditTest, TheDataLinkAnswersOnlyWithAField) {
    EXPECT_EQ(r->Perform(CM_GETDATALINK, 0, 0), 0);
    Bind();
    const LRESULT link = r->Perform(CM_GETDATALINK, 0, 0);
    ASSERT_NE(link, 0);
    auto* l = reinterpret_cast<TFieldDataLink*>(link);
    EXPECT_EQ(l->Field(), T->FieldByName("Notes"));
    EXPECT_EQ(l->DataSource(), &source);
}

// The shell opens a link under the busy cursor, and the cursor comes back.
class TCursorShell : public TTestShell {
public:
    bool OpenAddress(const std::string& Address) override {
        During.push_back(Screen->Cursor());
        return TTestShell::OpenAddress(Address);
    }
    std::vector<TCursor> During;
};

TEST_F(DBRichEditTest, ALinkOpensUnderTheBusyCursor) {
    TCursorShell shell;
    TRtfDocument d;
    TRtfCharFormat web;
    web.Link = "https://example.org/busy";
    d.Paragraphs = {{{}, {d.Run("web", web)}}};
    Show();
    r->SetDocument(d);
    const TPoint p = r->PosFromChar(1);
    SendClick(r, p.X + 1, p.Y + 5);
    ASSERT_EQ(shell.Opened(), std::vector<std::string>{"https://example.org/busy"});
    EXPECT_EQ(shell.During, std::vector<TCursor>{crHourGlass});
    EXPECT_EQ(Screen->Cursor(), crDefault);
}

TEST_F(DBRichEditTest, ActionsAreOfferedThroughTheDataLink) {
    TTestPostAction post;
    Show();
    r->SetFocus();
    ProcessEvents();
    EXPECT_FALSE(post.Execute());  // no field: nobody takes it
    Bind();
    r->SetFocus();
    ProcessEvents();
    r->SetSelStart(0);
    SendText(r, "Hi ");
    ASSERT_EQ(T->State(), dsEdit);
    EXPECT_TRUE(post.Update());
    EXPECT_TRUE(post.Enabled());
    EXPECT_TRUE(post.Execute());
    EXPECT_EQ(T->State(), dsBrowse);
    TqzDBRichEdit check(nullptr);
    check.SetParent(form);
    check.LoadFromBlobField(T->FieldByName("Notes"));
    EXPECT_EQ(check.Lines()->Strings(0), "Hi Dear reader");
}

}  // namespace
