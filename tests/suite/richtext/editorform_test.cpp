// The editor window and its ruler, driven by real keys and clicks: Execute on
// a bound rich edit, option hiding, the close rules, the format bar and the
// lock-key panels.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "engine/ostra_table.h"
#include "platform/core/exceptions.h"
#include "platform/core/files.h"
#include "platform/core/guid.h"
#include "platform/core/streams.h"
#include "platform/core/sysutils.h"
#include "platform/db/dataset.h"
#include "platform/db/datasource.h"
#include "platform/db/fielddefs.h"
#include "platform/db/fields.h"
#include "platform/ui/application.h"
#include "platform/ui/bitmaps.h"
#include "platform/ui/buttons.h"
#include "platform/ui/comctrls.h"
#include "platform/ui/extctrls.h"
#include "platform/ui/forms.h"
#include "platform/ui/imagelist.h"
#include "platform/ui/lock_keys.h"
#include "platform/ui/menus.h"
#include "platform/ui/print_dialogs.h"
#include "platform/ui/printers.h"
#include "platform/ui/stdctrls.h"
#include "platform/ui/stddialogs.h"
#include "platform/ui/testing.h"
#include "suite/edit/qzdbcombobox.h"
#include "suite/richtext/qzdbrichedit.h"
#include "suite/richtext/qzparadlg.h"
#include "suite/richtext/qzricheditform.h"
#include "suite/richtext/qzruler.h"
#include "suite/richtext/qztabsdlg.h"
#include "support/environment.h"
#include "support/suite/richtext/richform_fixture.h"

namespace {

std::string TempFile(const std::string& Name) {
    static const std::string dir = [] {
        const std::string d =
            IncludeTrailingPathDelimiter(GetTempDir()) + "richform_" + CreateGUIDString().substr(1, 8) + "/";
        std::filesystem::create_directories(d);
        return d;
    }();
    return dir + Name;
}

// ---- The window ------------------------------------------------------------------------------------

TEST_F(RichForm, DefaultOptionsHideLoadSaveAsAndJustify) {
    Rtf("Hello\\par");
    bool seen = false;
    Edit([&](TqzRichEditForm* f) {
        seen = true;
        EXPECT_FALSE(f->MenuItem("FileLoad")->Visible());
        EXPECT_FALSE(f->MenuItem("FileSaveAs")->Visible());
        EXPECT_FALSE(f->Button("JustifyButton")->Visible());
        // the bullet button closes up over it
        EXPECT_EQ(f->Button("BulletButton")->Left(), f->Button("JustifyButton")->Left() + 6);
        EXPECT_FALSE(f->MenuItem("Tools1")->Visible());  // no spell checker assigned
        EXPECT_TRUE(f->MenuItem("FileSaveExit")->Visible());
        EXPECT_TRUE(f->Toolbar()->Visible());
        EXPECT_TRUE(f->Ruler()->Visible());
        EXPECT_EQ(f->RichEdit()->Text(), "Hello");
        EXPECT_TRUE(RenderControlToPng(f, TestRunPath("richform_window.png")));
        f->SetModalResult(mrCancel);
    });
    EXPECT_TRUE(seen);
}

// At the printer's width the text runs to the page's text width, where the
// ruler ends, past the window; at the window's width it wraps at the window.
TEST_F(RichForm, AtThePrintersWidthTheTextWrapsWhereTheRulerEnds) {
    TTestPrinters printers(96, 0);  // Letter, no unprintable edge
    std::string words;
    for (int i = 0; i < 90; ++i) words += "word" + std::to_string(i) + " ";
    Rtf("{\\fonttbl{\\f0 DejaVu Sans;}}\\f0\\fs20 " + words + "\\par");
    // where the widest line ends: the end of its last word
    auto widestLineEnd = [](TqzCustomRichEdit* e) {
        const std::string t = e->Text();
        int widest = 0;
        for (std::size_t at = t.find(' '); at != std::string::npos; at = t.find(' ', at + 1))
            if (e->PosFromChar(static_cast<int>(at) + 1).Y != e->PosFromChar(static_cast<int>(at)).Y)
                widest = std::max(widest, e->PosFromChar(static_cast<int>(at)).X);
        return widest;
    };
    // a control of its own: the page's text width from the gutter, as high as the page
    auto* db = new TqzDBRichEdit(form);
    db->SetParent(form);
    db->SetBounds(0, 0, 300, 260);
    db->HandleNeeded();
    db->SetEditWidth(rewPrinterSize);
    EXPECT_EQ(db->FormatRect(), (TRect{3, 0, 631, 1056}));
    db->SetPrintPageSize(9);  // A4: narrower and taller
    EXPECT_LT(db->FormatRect().Right, 631);
    EXPECT_GT(db->FormatRect().Bottom, 1056);
    db->SetPrintPageSize(1);
    EXPECT_EQ(db->FormatRect(), (TRect{3, 0, 631, 1056}));
    db->SetEditWidth(rewWindowSize);
    EXPECT_LT(db->FormatRect().Right, 300);
    delete db;
    r->SetEditWidth(rewPrinterSize);
    bool seen = false;
    Edit([&](TqzRichEditForm* f) {
        seen = true;
        TqzDBRichEdit* e = f->RichEdit();
        const int gutter = e->GutterWidth();
        EXPECT_EQ(e->FormatRect(), (TRect{gutter, 0, gutter + 624 + 4, 1056}));
        EXPECT_EQ(f->Ruler()->TextWidth(), 624);  // 6.5 in
        const int end = widestLineEnd(e);
        EXPECT_GT(end, e->ClientWidth());
        EXPECT_LE(end, gutter + 628);
        EXPECT_GT(end, gutter + 628 - 90);
        EXPECT_TRUE(RenderControlToPng(f, TestRunPath("richform_printer_width.png")));
        // the window's width again
        e->SetEditWidth(rewWindowSize);
        EXPECT_LT(e->FormatRect().Right, e->ClientWidth());
        EXPECT_LE(widestLineEnd(e), e->ClientWidth());
        f->SetModalResult(mrCancel);
    });
    EXPECT_TRUE(seen);
}

TEST_F(RichForm, ReadOnlySourceShowsNoBarsAndEscapeCloses) {
    Rtf("Hello\\par");
    r->SetReadOnly(true);
    EXPECT_FALSE(Edit([](TqzRichEditForm* f) {
        EXPECT_FALSE(f->Toolbar()->Visible());
        EXPECT_FALSE(f->FormatBar()->Visible());
        EXPECT_FALSE(f->Ruler()->Visible());
        EXPECT_FALSE(f->StatusBar()->Visible());
        SendKey(f->RichEdit(), VK_ESCAPE);
    }));
    EXPECT_EQ(boxes.Count(), 0);
}

TEST_F(RichForm, CloseRulesForEachAnswer) {
    Rtf("Hello\\par");
    // unmodified: Escape closes without asking
    EXPECT_FALSE(Edit([](TqzRichEditForm* f) { SendKey(f->RichEdit(), VK_ESCAPE); }));
    EXPECT_EQ(boxes.Count(), 0);
    // modified, Yes: the text comes back
    boxes.Answer(mrYes);
    EXPECT_TRUE(Edit([](TqzRichEditForm* f) {
        SendText(f->RichEdit(), "ab");
        SendKey(f->RichEdit(), VK_ESCAPE);
    }));
    EXPECT_EQ(boxes.Last().Text, "Changes have been made!  Do you wish to save your changes?");
    EXPECT_EQ(r->Text(), "abHello");
    // No: nothing comes back
    boxes.Answer(mrNo);
    EXPECT_FALSE(Edit([](TqzRichEditForm* f) {
        SendText(f->RichEdit(), "zz");
        SendKey(f->RichEdit(), VK_ESCAPE);
    }));
    EXPECT_EQ(r->Text(), "abHello");
    // Cancel: the window stays; the close box asks again
    EXPECT_FALSE(Edit([this](TqzRichEditForm* f) {
        SendText(f->RichEdit(), "q");
        boxes.Answer(mrCancel);
        EXPECT_FALSE(f->CloseQuery());
        EXPECT_TRUE(f->Visible());
        EXPECT_EQ(f->ModalResult(), mrNone);
        boxes.Answer(mrNo);
        SendCloseBox(f);
    }));
    EXPECT_EQ(r->Text(), "abHello");
    // without confirmation the text is taken back
    r->SetEditorOptions(r->EditorOptions() | (1u << reoNoConfirmation));
    EXPECT_TRUE(Edit([](TqzRichEditForm* f) {
        SendText(f->RichEdit(), "x");
        SendKey(f->RichEdit(), VK_ESCAPE);
    }));
    EXPECT_EQ(r->Text(), "xabHello");
}

TEST_F(RichForm, FormatBarWithKeysAndClicks) {
    Rtf("Hello world\\par");
    TBeepCounter beeps;
    EXPECT_TRUE(Edit([&](TqzRichEditForm* f) {
        TqzDBRichEdit* e = f->RichEdit();
        e->SetSelStart(0);
        e->SetSelLength(5);
        SendKey(e, 'B', {ssCtrl});
        EXPECT_TRUE(e->SelAttributes().Bold);
        EXPECT_TRUE(f->Button("BoldButton")->Down());
        SendClick(f->Button("ItalicButton"), 5, 5);
        EXPECT_TRUE(e->SelAttributes().Italic);
        SendKey(e, 'U', {ssCtrl});
        EXPECT_TRUE(e->SelAttributes().Underline);
        SendClick(f->Button("CenterButton"), 5, 5);
        EXPECT_EQ(e->Paragraph().Alignment, TRtfAlign::Center);
        EXPECT_TRUE(f->Button("CenterButton")->Down());
        SendClick(f->Button("BulletButton"), 5, 5);
        EXPECT_TRUE(e->Paragraph().Bullet);
        EXPECT_TRUE(f->MenuItem("FormatBulletStyle")->Checked());
        // an unreadable size is ignored with a beep
        TqzDBComboBox* size = f->FontSizeCombo();
        size->SetText("abc");
        size->DropDown();
        size->CloseUp(false);
        EXPECT_EQ(beeps.Count(), 1);
        size->SetText("2000");
        size->DropDown();
        size->CloseUp(false);
        EXPECT_EQ(beeps.Count(), 2);
        e->SetSelStart(0);
        e->SetSelLength(5);
        size->SetText("20");
        size->DropDown();
        size->CloseUp(false);
        EXPECT_EQ(beeps.Count(), 2);
        EXPECT_EQ(e->SelAttributes().Size, 40);
        EXPECT_TRUE(RenderControlToPng(f, TestRunPath("richform_formatted.png")));
        f->MenuItem("FileSaveExit")->Click();
    }));
    r->SetSelStart(1);
    r->SetSelLength(0);
    EXPECT_TRUE(r->SelAttributes().Bold);
    EXPECT_TRUE(r->SelAttributes().Underline);
    EXPECT_EQ(r->Paragraph().Alignment, TRtfAlign::Center);
}

// Protected text in the editor window: keys and the format bar leave it
// unless OnProtectChange allows; the document comes back with it protected.
TEST_F(RichForm, ProtectedTextTakesKeysAndBoldOnlyWhenAllowed) {
    Rtf("open {\\protect locked} free\\par");
    std::vector<std::pair<int, int>> asked;
    EXPECT_TRUE(Edit([&](TqzRichEditForm* f) {
        TqzDBRichEdit* e = f->RichEdit();
        e->SetSelStart(7);
        SendText(e, "X");
        e->SetSelStart(5);
        SendKey(e, VK_DELETE);
        e->SetSelStart(11);
        SendKey(e, VK_BACK);
        e->SelectAll();
        SendKey(e, 'B', {ssCtrl});
        EXPECT_EQ(e->Text(), "open locked free");
        e->SetSelStart(6);
        e->SetSelLength(2);
        EXPECT_TRUE(e->SelAttributes().Protected);
        EXPECT_FALSE(e->SelAttributes().Bold);

        e->SetOnProtectChange([&](TObject*, int Start, int End, bool& Allow) {
            asked.emplace_back(Start, End);
            Allow = true;
        });
        e->SelectAll();
        SendKey(e, 'B', {ssCtrl});
        e->SetSelStart(7);
        SendText(e, "X");
        EXPECT_EQ(e->Text(), "open loXcked free");
        f->MenuItem("FileSaveExit")->Click();
    }));
    EXPECT_EQ(asked, (std::vector<std::pair<int, int>>{{0, 16}, {7, 7}}));
    EXPECT_EQ(r->Text(), "open loXcked free");
    r->SetSelStart(8);
    r->SetSelLength(1);
    EXPECT_TRUE(r->SelAttributes().Protected);
    EXPECT_TRUE(r->SelAttributes().Bold);
    const std::string rtf = r->StreamOut(true, false);
    EXPECT_NE(rtf.find("\\b\\protect loXcked"), std::string::npos) << rtf;
}

TEST_F(RichForm, CtrlZUndoesOncePerKeystrokeAndEscapeUndoes) {
    Rtf("\\par");
    r->SetEditorOptions(r->EditorOptions() & ~(1u << reoCloseOnEscape));
    boxes.Answer(mrNo);
    EXPECT_FALSE(Edit([](TqzRichEditForm* f) {
        TqzDBRichEdit* e = f->RichEdit();
        SendText(e, "one");
        e->SetSelStart(0);  // a new undo step
        SendText(e, "two ");
        e->SetSelStart(7);
        SendText(e, "x");
        EXPECT_EQ(e->Text(), "two onex");
        SendKey(e, 'Z', {ssCtrl});
        EXPECT_EQ(e->Text(), "two one");
        SendKey(e, VK_ESCAPE);  // undo, not close
        EXPECT_EQ(e->Text(), "one");
        EXPECT_TRUE(f->Visible());
        f->MenuItem("FileExit")->Click();
    }));
}

TEST_F(RichForm, LockPanelsFollowTheService) {
    Rtf("a\\par");
    TTestLockKeys locks;
    locks.SetCapsLock(TLockState::On);
    EXPECT_FALSE(Edit([&](TqzRichEditForm* f) {
        TStatusPanels* p = f->StatusBar()->Panels();
        EXPECT_EQ(p->Items(1)->Text(), "CAP");
        EXPECT_EQ(p->Items(2)->Text(), "");
        locks.SetCapsLock(TLockState::Off);
        locks.SetNumLock(TLockState::On);
        SendKey(f->RichEdit(), VK_RIGHT);
        EXPECT_EQ(p->Items(1)->Text(), "");
        EXPECT_EQ(p->Items(2)->Text(), "NUM");
        locks.SetNumLock(TLockState::Unknown);
        SendKey(f->RichEdit(), VK_LEFT);
        EXPECT_EQ(p->Items(2)->Text(), "");
        f->SetModalResult(mrCancel);
    }));
}

TEST_F(RichForm, RulerMarkersFollowTheCaretAndDragsSetIndents) {
    Rtf("\\pard\\li720\\fi-360 First\\par\\pard Second\\par");
    EXPECT_TRUE(Edit([](TqzRichEditForm* f) {
        TqzDBRichEdit* e = f->RichEdit();
        TqzRulerPanel* ruler = f->Ruler();
        e->SetSelStart(1);
        TqzTrackIcon* left = ruler->LeftMarker();
        TqzTrackIcon* first = ruler->FirstLineMarker();
        const int base = ruler->Base();
        EXPECT_EQ(left->Left() + left->Width() / 2, base + 48);  // 0.5 inch at 96 dpi
        EXPECT_EQ(first->Left() + first->Width() / 2, base + 24);
        e->SetSelStart(8);  // the second paragraph
        EXPECT_EQ(left->Left() + left->Width() / 2, base);
        // press and release without moving: nothing changes
        SendMouseDown(left, mbLeft, 5, 4);
        SendMouseUp(left, mbLeft, 5, 4);
        EXPECT_EQ(e->Paragraph().LeftIndent, 0);
        // drag the left marker one inch and a bit: it snaps to 1/8 inch
        SendMouseDown(left, mbLeft, 5, 4);
        SendMouseMove(left, 5 + 99, 4, {ssLeft});
        SendMouseUp(left, mbLeft, left->Width() / 2, 4);
        EXPECT_EQ(left->Left() + left->Width() / 2, base + 96);
        TRtfParaFormat p = e->Paragraph();
        EXPECT_EQ(p.LeftIndent, 1440);
        EXPECT_EQ(p.LeftIndent + p.FirstIndent, 0);
        // the first-line marker cannot pass the left limit
        SendMouseDown(first, mbLeft, 5, 4);
        SendMouseMove(first, 5 - 200, 4, {ssLeft});
        SendMouseMove(first, 5 + 48, 4, {ssLeft});
        SendMouseUp(first, mbLeft, 5, 4);
        p = e->Paragraph();
        EXPECT_EQ(p.LeftIndent + p.FirstIndent, 720);
        EXPECT_EQ(p.LeftIndent, 1440);
        // the right marker stops 48 pixels right of the others
        TqzTrackIcon* right = ruler->RightMarker();
        SendMouseDown(right, mbLeft, 5, 4);
        SendMouseMove(right, 5 - 1000, 4, {ssLeft});
        SendMouseUp(right, mbLeft, 5, 4);
        EXPECT_GE(right->Left(), left->Left() + 48);
        EXPECT_GT(e->Paragraph().RightIndent, 0);
        EXPECT_TRUE(RenderControlToPng(ruler, TestRunPath("richform_ruler.png")));
        f->SetModalResult(mrOk);
    }));
    r->SetSelStart(8);
    EXPECT_EQ(r->Paragraph().LeftIndent, 1440);
}

TEST_F(RichForm, LoadAndSaveAsRoundTrips) {
    const std::string rtf = TempFile("doc.rtf"), txt = TempFile("doc.txt"), latin = TempFile("latin.txt");
    {
        std::ofstream out(latin, std::ios::binary);
        out << "caf\xE9\n";
    }
    Rtf("\\b Bold\\b0  text\\par");
    EXPECT_FALSE(Edit([&](TqzRichEditForm* f) {
        f->SaveFile(rtf, 1);
        f->SaveFile(txt, 2);
        EXPECT_FALSE(f->RichEdit()->PlainText());
        f->LoadFile(latin, 2);
        EXPECT_EQ(f->RichEdit()->Text(), "caf\xC3\xA9\n");
        f->LoadFile(rtf, 1);
        f->RichEdit()->SetSelStart(1);
        EXPECT_TRUE(f->RichEdit()->SelAttributes().Bold);
        f->LoadFile(txt, 2);
        EXPECT_EQ(f->RichEdit()->Text(), "Bold text");
        boxes.Answer(mrNo);
        f->SetModalResult(mrCancel);
    }));
    std::ifstream in(txt, std::ios::binary);
    const std::string saved((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(saved.substr(0, 9), "Bold text");
}

// A named pipe without a writer is refused at once (a plain open would wait
// for ever), with its reason; the text stays as it was.
TEST_F(RichForm, LoadRefusesANamedPipe) {
    const std::string fifo = TempFile("pipe.rtf");
    ASSERT_EQ(std::system(("mkfifo '" + fifo + "'").c_str()), 0);
    Rtf("Kept\\par");
    EXPECT_FALSE(Edit([&](TqzRichEditForm* f) {
        const std::string before = f->RichEdit()->Text();
        ASSERT_NE(before.find("Kept"), std::string::npos);
        try {
            f->LoadFile(fifo, 1);
            ADD_FAILURE() << "a pipe was read";
        } catch (const EFOpenError& e) {
            EXPECT_NE(e.Message().find("Is a named pipe, not a regular file"), std::string::npos)
                << e.Message();
        }
        EXPECT_EQ(f->RichEdit()->Text(), before);
        f->SetModalResult(mrCancel);
    }));
}

// ---- Execute on a bound rich edit -------------------------------------------------------------------

class BoundEditor : public ::testing::Test {
protected:
    std::unique_ptr<TOstraTable> T = std::make_unique<TOstraTable>(nullptr);
    TDataSource source{nullptr};
    TForm* form = CreateForm<TForm>(Application);
    TqzDBRichEdit* r = nullptr;
    TTestModalForms modal;
    TTestDialogs boxes;
    void SetUp() override {
        T->FieldDefs()->Add("Notes", ftBlob);
        T->Open();
        T->Append();
        T->FieldByName("Notes")->SetAsString("{\\rtf1\\ansi Old\\par}");
        T->Post();
        source.SetDataSet(T.get());
        form->SetBounds(10, 10, 420, 300);
        r = new TqzDBRichEdit(form);
        r->SetParent(form);
        r->SetBounds(0, 0, 400, 260);
        r->SetDataSource(&source);
        r->SetDataField("Notes");
        form->Show();
        r->SetFocus();
        ProcessEvents();
    }
    void TearDown() override { delete form; }
    std::string Notes() { return T->FieldByName("Notes")->AsString(); }
};

TEST_F(BoundEditor, F2OpensTheEditorAndOkPostsTheFormattedText) {
    modal.Push([this](TCustomForm* f) {
        auto* w = static_cast<TqzRichEditForm*>(f);
        TqzDBRichEdit* e = w->RichEdit();
        EXPECT_EQ(e->Text(), "Old");
        EXPECT_FALSE(e->ReadOnly());
        e->SelectAll();
        SendKey(e, 'B', {ssCtrl});
        e->SetSelStart(0);
        SendText(e, "New ");
        modal.Push([](TCustomForm* d) {
            auto* p = static_cast<TqzRichParagraphDialog*>(d);
            TEdit* left = p->Edit(TqzParagraphDialogModel::eLeft);
            left->SetFocus();
            left->SelectAll();
            SendText(left, "1");
            SendClick(p->OKBtn(), 5, 5);
        });
        w->MenuItem("FormatParagraph")->Click();
        SendKey(e, 'S', {ssCtrl});  // Save and Exit
    });
    SendKey(r, VK_F2);
    EXPECT_EQ(modal.Pending(), 0);
    ASSERT_EQ(T->State(), dsEdit);
    T->Post();
    EXPECT_NE(Notes().find("New Old"), std::string::npos);
    EXPECT_NE(Notes().find("\\li1440"), std::string::npos);
    EXPECT_NE(Notes().find("\\b"), std::string::npos);
}

TEST_F(BoundEditor, CancelLeavesTheFieldAlone) {
    boxes.Answer(mrNo);
    modal.Push([](TCustomForm* f) {
        auto* w = static_cast<TqzRichEditForm*>(f);
        SendText(w->RichEdit(), "zz");
        SendKey(w->RichEdit(), VK_ESCAPE);
    });
    EXPECT_FALSE(r->Execute());
    EXPECT_EQ(T->State(), dsBrowse);
    EXPECT_EQ(Notes(), "{\\rtf1\\ansi Old\\par}");
}

// A closed dataset has no record to write to: the window only shows, and
// what is typed there is not pretended to be kept.
TEST_F(BoundEditor, AClosedDatasetOpensTheEditorReadOnly) {
    T->Close();
    ProcessEvents();
    bool readOnly = false;
    modal.Push([&](TCustomForm* f) {
        auto* w = static_cast<TqzRichEditForm*>(f);
        readOnly = w->RichEdit()->ReadOnly();
        SendText(w->RichEdit(), "lost");
        SendKey(w->RichEdit(), 'S', {ssCtrl});
        if (!f->ModalResult()) f->SetModalResult(mrOk);
    });
    SendKey(r, VK_F2);
    EXPECT_EQ(modal.Pending(), 0);
    EXPECT_TRUE(readOnly);
    EXPECT_EQ(r->Text(), "");
    EXPECT_FALSE(r->Modified());
}

TEST_F(BoundEditor, WithoutAutoEditABrowsingDatasetOpensTheEditorReadOnly) {
    source.SetAutoEdit(false);
    modal.Push([](TCustomForm* f) {
        auto* w = static_cast<TqzRichEditForm*>(f);
        EXPECT_TRUE(w->RichEdit()->ReadOnly());
        EXPECT_FALSE(w->Toolbar()->Visible());
        SendText(w->RichEdit(), "lost");
        w->SetModalResult(mrOk);
    });
    EXPECT_TRUE(r->Execute());
    EXPECT_EQ(T->State(), dsBrowse);
    EXPECT_EQ(Notes(), "{\\rtf1\\ansi Old\\par}");
}

}  // namespace

// ---- Save As, Print and Page Setup from the window ---------------------------------------------------

namespace {

std::string FileText(const std::string& Name) {
    std::ifstream in(Name, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

class RichFormFiles : public RichForm {
protected:
    TTestStdDialogs files;
};

// ---- Pictures -------------------------------------------------------------------------------------

int CountColor(TBitmap* B, TColor C) {
    int n = 0;
    for (int y = 0; y < B->Height(); ++y)
        for (int x = 0; x < B->Width(); ++x)
            if (B->Canvas()->Pixels(x, y) == C) ++n;
    return n;
}

TEST_F(RichForm, GlyphsAreDrawnPicturesOnTheButtonsAndInTheMenus) {
    // a few glyphs, pixel by pixel
    TBitmap bold, color, highlight, left;
    qzLoadRichGlyph(TqzRichGlyph::Bold, &bold);
    qzLoadRichGlyph(TqzRichGlyph::Color, &color);
    qzLoadRichGlyph(TqzRichGlyph::Highlight, &highlight);
    qzLoadRichGlyph(TqzRichGlyph::AlignLeft, &left);
    EXPECT_EQ(bold.Width(), 16);
    EXPECT_EQ(bold.Height(), 16);
    EXPECT_TRUE(bold.Transparent());
    EXPECT_EQ(bold.Canvas()->Pixels(0, 15), clOlive);  // the mask colour
    EXPECT_EQ(bold.Canvas()->Pixels(4, 3), clBlack);   // the stem of the B
    EXPECT_EQ(bold.Canvas()->Pixels(7, 4), clOlive);   // inside its bowl
    EXPECT_EQ(color.Canvas()->Pixels(7, 12), clRed);   // the colour bar under the A
    EXPECT_EQ(highlight.Canvas()->Pixels(7, 12), clYellow);
    EXPECT_EQ(left.Canvas()->Pixels(1, 4), clBlack);   // a short line starts at the left
    EXPECT_EQ(left.Canvas()->Pixels(12, 4), clOlive);  // and stops short of the right
    EXPECT_EQ(qzRichGlyphResource(TqzRichGlyph::Bold), "QZ_RICH_BOLD");
    EXPECT_EQ(qzRichGlyphs()->Count(), 24);

    Rtf("Hello\\par");
    r->SetEditorOptions(r->EditorOptions() | (1u << reoShowMainMenuIcons) | (1u << reoShowJustifyButton));
    EXPECT_FALSE(Edit([&](TqzRichEditForm* f) {
        for (const char* n :
             {"NewButton", "CutButton", "BoldButton", "ColorButton", "LeftButton", "BulletButton"}) {
            SCOPED_TRACE(n);
            TSpeedButton* b = f->Button(n);
            EXPECT_TRUE(b->Caption().empty());
            ASSERT_FALSE(b->Glyph()->Empty());
            EXPECT_FALSE(b->Hint().empty());
        }
        TSpeedButton* justify = f->Button("JustifyButton");
        EXPECT_TRUE(justify->Visible());
        EXPECT_EQ(f->Button("BulletButton")->Left(), justify->Left() + justify->Width() + 6);
        // the bold button shows the glyph's ink, not its olive background
        TBitmap shot;
        RenderControl(f->Button("BoldButton"), &shot);
        EXPECT_EQ(CountColor(&shot, clBlack), CountColor(&bold, clBlack));
        EXPECT_EQ(CountColor(&shot, clOlive), 0);
        // the main menu's pictures by image index
        EXPECT_TRUE(f->MenuItem("EditCut")->HasBitmap());
        EXPECT_TRUE(f->MenuItem("FormatParagraph")->HasBitmap());
        EXPECT_FALSE(f->MenuItem("EditClear")->HasBitmap());
        EXPECT_EQ(f->MenuItem("EditUndo")->Bitmap()->Canvas()->Pixels(2, 5), clNavy);
        f->RichEdit()->SelectAll();
        f->RefreshState();  // Cut enabled: its navy handles show
        TBitmap edit;
        PaintMenu(f->MenuItem("Edit1"), &edit);
        edit.SaveToFile(TestRunPath("richform_editmenu.png"));
        EXPECT_GT(CountColor(&edit, clNavy), 0);
        // the colour menu: a 40-pixel swatch before each caption
        TMenuItem* colors = f->ColorMenu()->Items();
        ASSERT_EQ(colors->Count(), 17);
        EXPECT_EQ(colors->Items(9)->Caption(), "Red");
        EXPECT_EQ(colors->Items(9)->Bitmap()->Width(), 40);
        EXPECT_EQ(colors->Items(9)->Bitmap()->Canvas()->Pixels(20, 6), clRed);
        EXPECT_EQ(colors->Items(16)->Bitmap()->Canvas()->Pixels(20, 6),
                  static_cast<TColor>(ColorToRGB(f->RichEdit()->Font()->Color())));
        TBitmap menu;
        PaintMenu(colors, &menu);
        menu.SaveToFile(TestRunPath("richform_colormenu.png"));
        int widest = 0;
        for (int y = 0; y < menu.Height(); ++y) {
            int n = 0;
            for (int x = 0; x < menu.Width(); ++x) n += menu.Canvas()->Pixels(x, y) == clLime;
            widest = std::max(widest, n);
        }
        EXPECT_EQ(widest, 38);  // inside its one-pixel frame
        f->SetModalResult(mrCancel);
    }));
    // without the option the main menu shows no pictures
    r->SetEditorOptions(r->EditorOptions() & ~(1u << reoShowMainMenuIcons));
    EXPECT_FALSE(Edit([&](TqzRichEditForm* f) {
        EXPECT_FALSE(f->MenuItem("EditCut")->HasBitmap());
        EXPECT_TRUE(f->ColorMenu()->Items()->Items(0)->HasBitmap());
        f->SetModalResult(mrCancel);
    }));
}

TEST_F(RichForm, EditorPositionPlacesTheWindowWhichIsKnownWhileOpen) {
    TqzFormPosition pos;
    pos.SetLeft(40);
    pos.SetTop(30);
    pos.SetWidth(560);
    pos.SetHeight(410);
    r->SetEditorPosition(&pos);
    EXPECT_EQ(r->EditorPosition()->Width(), 560);
    Rtf("Hello\\par");
    EXPECT_EQ(r->EditorForm(), nullptr);
    EXPECT_FALSE(Edit([&](TqzRichEditForm* f) {
        EXPECT_EQ(r->EditorForm(), f);
        EXPECT_EQ(f->Left(), 40);
        EXPECT_EQ(f->Top(), 30);
        EXPECT_EQ(f->Width(), 560);
        EXPECT_EQ(f->Height(), 410);
        f->SetModalResult(mrCancel);
    }));
    EXPECT_EQ(r->EditorForm(), nullptr);
    // a left or top of 0 keeps the window's own place; the size still applies
    pos.SetLeft(0);
    pos.SetWidth(500);
    r->SetEditorPosition(&pos);
    EXPECT_FALSE(Edit([&](TqzRichEditForm* f) {
        EXPECT_EQ(f->Width(), 500);
        EXPECT_NE(f->Position(), poDesigned);
        f->SetModalResult(mrCancel);
    }));
}

TEST_F(RichForm, UserSpeedButtonsJoinTheToolbarAndGoBackOnClose) {
    auto* u1 = new TSpeedButton(form);
    auto* u2 = new TSpeedButton(form);
    for (TSpeedButton* u : {u1, u2}) {
        u->SetParent(form);
        u->SetBounds(0, 0, 25, 22);
    }
    r->SetUserSpeedButton1(u1);
    r->SetUserSpeedButton2(u2);
    Rtf("Hello\\par");
    int clicks = 0;
    u1->SetOnClick(TNotifyEvent([&clicks](TObject*) { ++clicks; }));
    EXPECT_FALSE(Edit([&](TqzRichEditForm* f) {
        TSpeedButton* redo = f->Button("RedoButton");
        EXPECT_EQ(u1->Parent(), f->Toolbar());
        EXPECT_EQ(u2->Parent(), f->Toolbar());
        EXPECT_TRUE(u1->Visible());
        EXPECT_TRUE(u2->Visible());
        // the bevel 3 pixels after the last standard button, the buttons 5 after it
        TControl* bevel = nullptr;
        for (int i = 0; i < f->Toolbar()->ControlCount(); ++i)
            if (f->Toolbar()->Controls(i)->Name() == "UserButtonBevel") bevel = f->Toolbar()->Controls(i);
        ASSERT_NE(bevel, nullptr);
        EXPECT_TRUE(bevel->Visible());
        EXPECT_EQ(bevel->Left(), redo->Left() + redo->Width() + 3);
        EXPECT_EQ(u1->Left(), bevel->Left() + 5);
        EXPECT_EQ(u2->Left(), u1->Left() + u1->Width());
        SendClick(u1, 5, 5);
        EXPECT_EQ(clicks, 1);
        EXPECT_TRUE(RenderControlToPng(f, TestRunPath("richform_userbuttons.png")));
        f->SetModalResult(mrCancel);
    }));
    EXPECT_EQ(u1->Parent(), form);
    EXPECT_EQ(u2->Parent(), form);
    EXPECT_FALSE(u1->Visible());
    EXPECT_FALSE(u2->Visible());
    // a user button freed while the window is open is simply gone afterwards
    EXPECT_FALSE(Edit([&](TqzRichEditForm* f) {
        EXPECT_EQ(u2->Parent(), f->Toolbar());
        delete u2;
        f->SetModalResult(mrCancel);
    }));
    EXPECT_EQ(r->UserSpeedButton2(), nullptr);
    EXPECT_EQ(u1->Parent(), form);
}

}  // namespace

TEST_F(RichFormFiles, SaveAsAsksBeforeOverwritingAndOnlyYesWrites) {
    const std::string name = TempFile("overwrite.txt");
    std::remove(name.c_str());
    Rtf("First\\par");
    r->SetEditorOptions(r->EditorOptions() | (1u << reoShowSaveAs));
    EXPECT_FALSE(Edit([&](TqzRichEditForm* f) {
        TMenuItem* saveAs = f->MenuItem("FileSaveAs");
        ASSERT_TRUE(saveAs->Visible());
        // a new file: no question
        files.AnswerFiles(true, {name}, 2);
        saveAs->Click();
        EXPECT_EQ(boxes.Count(), 0);
        EXPECT_EQ(FileText(name).substr(0, 5), "First");
        SendText(f->RichEdit(), "New ");
        // No and Cancel leave the file alone
        for (TModalResult answer : {mrNo, mrCancel}) {
            files.AnswerFiles(true, {name}, 2);
            boxes.Answer(answer);
            saveAs->Click();
            EXPECT_EQ(boxes.Last().Text, "OK to overwrite " + name);
            EXPECT_EQ(FileText(name).substr(0, 5), "First");
        }
        EXPECT_EQ(boxes.Count(), 2);
        // a cancelled save dialog asks nothing
        files.AnswerFiles(false);
        saveAs->Click();
        EXPECT_EQ(boxes.Count(), 2);
        // Yes overwrites
        files.AnswerFiles(true, {name}, 2);
        boxes.Answer(mrYes);
        saveAs->Click();
        EXPECT_EQ(boxes.Count(), 3);
        EXPECT_EQ(FileText(name).substr(0, 9), "New First");
        boxes.Answer(mrNo);  // the close: drop the changes
        f->MenuItem("FileExit")->Click();
    }));
    EXPECT_EQ(boxes.Count(), 4);
}

// Save As on a full disk: the error names the file and the reason, and the
// file keeps what it held.
TEST_F(RichFormFiles, SaveAsOnAFullDiskKeepsTheOldFile) {
    const std::string name = TempFile("full.txt");
    { std::ofstream(name, std::ios::binary) << "Old notes"; }
    Rtf("New notes\\par");
    r->SetEditorOptions(r->EditorOptions() | (1u << reoShowSaveAs));
    Edit([&](TqzRichEditForm* f) {
        files.AnswerFiles(true, {name}, 2);
        boxes.Answer(mrYes);
        SimulateWriteFailure(0);
        try {
            f->MenuItem("FileSaveAs")->Click();
            ADD_FAILURE() << "saved";
        } catch (const EFCreateError& e) {
            EXPECT_EQ(e.Message(), "Cannot create file \"" + name + "\". No space left on device");
        }
        ResetWriteFaults();
        EXPECT_EQ(FileText(name), "Old notes");
        f->SetModalResult(mrCancel);
    });
    std::remove(name.c_str());
}

TEST_F(RichFormFiles, PrintAndPageSetupFromTheWindow) {
    TTestPrinters printers;
    Rtf("Printed text\\par");
    r->SetPrintJobName("Notes job");
    EXPECT_TRUE(Edit([&](TqzRichEditForm* f) {
        // Print: the print dialog's Cancel prints nothing, OK prints under the job name
        modal.Push([](TCustomForm* d) {
            ASSERT_TRUE(dynamic_cast<TPrintDialogForm*>(d));
            SendClick(static_cast<TPrintDialogForm*>(d)->CancelButton, 5, 5);
        });
        f->MenuItem("FilePrint")->Click();
        EXPECT_EQ(printers.Documents(), 0);
        modal.Push([](TCustomForm* d) { SendClick(static_cast<TPrintDialogForm*>(d)->OKButton, 5, 5); });
        f->MenuItem("FilePrint")->Click();
        EXPECT_EQ(printers.Documents(), 1);
        EXPECT_EQ(printers.LastTitle(), "Notes job");
        // Page Setup: the margins go to the window's rich edit
        modal.Push([](TCustomForm* d) {
            auto* p = dynamic_cast<TPageSetupDialogForm*>(d);
            ASSERT_TRUE(p);
            p->LeftEdit->SetText("0.5");
            SendClick(p->OKButton, 5, 5);
        });
        f->MenuItem("FilePageSetup")->Click();
        EXPECT_DOUBLE_EQ(f->RichEdit()->PrintMargins()->Left(), 0.5);
        EXPECT_EQ(modal.Pending(), 0);
        f->SetModalResult(mrOk);
    }));
    // OK gives the margins back to the source
    EXPECT_DOUBLE_EQ(r->PrintMargins()->Left(), 0.5);
}

TEST_F(RichFormFiles, EditorWindowEventsFireAroundTheWindowAndCanStopItsCommands) {
    TTestPrinters printers;
    Rtf("Text\\par");
    std::vector<std::string> seen;
    TForm* created = nullptr;
    r->SetOnCreateDialog([&](TForm* F) {
        created = F;
        seen.push_back("create");
    });
    r->SetOnInitDialog([&](TForm* F) {
        EXPECT_EQ(F, created);
        seen.push_back("init");
    });
    r->SetOnCloseDialog([&](TForm* F) {
        EXPECT_EQ(F, created);
        seen.push_back("close");
    });
    bool allowPrint = false, allowExit = false;
    r->SetOnMenuPrintClick([&](TForm* F, TqzCustomRichEdit* Source, bool& DoDefault) {
        EXPECT_EQ(F, created);
        EXPECT_EQ(Source, r);
        seen.push_back("print");
        DoDefault = allowPrint;
    });
    r->SetOnMenuSaveAndExitClick([&](TForm*, TqzCustomRichEdit*, bool& DoDefault) {
        seen.push_back("save and exit");
        DoDefault = allowExit;
    });
    EXPECT_TRUE(Edit([&](TqzRichEditForm* f) {
        f->MenuItem("FilePrint")->Click();  // stopped: no print dialog
        EXPECT_EQ(printers.Documents(), 0);
        allowPrint = true;
        modal.Push([](TCustomForm* d) { SendClick(static_cast<TPrintDialogForm*>(d)->OKButton, 5, 5); });
        f->MenuItem("FilePrint")->Click();
        EXPECT_EQ(printers.Documents(), 1);
        SendText(f->RichEdit(), "New ");
        f->MenuItem("FileSaveExit")->Click();  // stopped: the window stays
        EXPECT_TRUE(f->Visible());
        EXPECT_EQ(f->ModalResult(), mrNone);
        allowExit = true;
        f->MenuItem("FileSaveExit")->Click();
    }));
    EXPECT_EQ(seen, (std::vector<std::string>{"create", "init", "print", "print", "save and exit",
                                              "save and exit", "close"}));
    EXPECT_NE(r->Text().find("New "), std::string::npos);
    EXPECT_EQ(modal.Pending(), 0);
}

TEST_F(BoundEditor, UntouchedWindowClosesByEscapeWithoutAsking) {
    for (const char* text : {"Plain words", "{\\rtf1\\ansi Old\\par}"}) {
        SCOPED_TRACE(text);
        T->Edit();
        T->FieldByName("Notes")->SetAsString(text);
        T->Post();
        r->SetFocus();
        r->SelectAll();
        modal.Push([](TCustomForm* f) {
            auto* w = static_cast<TqzRichEditForm*>(f);
            EXPECT_FALSE(w->RichEdit()->Modified());
            SendKey(w->RichEdit(), VK_END);
            SendKey(w->RichEdit(), VK_ESCAPE);
        });
        SendKey(r, VK_F2);
        EXPECT_EQ(modal.Pending(), 0);
        EXPECT_EQ(boxes.Count(), 0);
        EXPECT_EQ(T->State(), dsBrowse);
        EXPECT_EQ(Notes(), text);
    }
}

TEST_F(RichForm, CloseBoxAnsweredYesTakesTheTextBack) {
    Rtf("Hello\\par");
    EXPECT_TRUE(Edit([this](TqzRichEditForm* f) {
        SendText(f->RichEdit(), "q");
        boxes.Answer(mrYes);
        SendCloseBox(f);
    }));
    EXPECT_EQ(boxes.Count(), 1);
    EXPECT_EQ(r->Text(), "qHello");
}

TEST_F(RichForm, RightClickInTheWindowPopsTheMenuAtTheCursor) {
    Rtf("Hello world\\par");
    TTestMenus menus;
    menus.Answer("&Bold");
    r->SetPopupOptions(0xFFFF);
    EXPECT_TRUE(Edit([&](TqzRichEditForm* f) {
        TqzDBRichEdit* e = f->RichEdit();
        e->SetSelStart(0);
        e->SetSelLength(5);
        SendClick(e, 30, 12, mbRight);
        ASSERT_EQ(menus.Positions().size(), 1u);
        EXPECT_EQ(menus.Positions()[0], e->ClientToScreen({30, 12}));
        EXPECT_TRUE(e->SelAttributes().Bold);
        f->SetModalResult(mrOk);
    }));
    r->SetSelStart(1);
    EXPECT_TRUE(r->SelAttributes().Bold);
}
