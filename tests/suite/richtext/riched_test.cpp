// The suite's rich edit: the line adapter, chunked loading, the transfer
// stream, the stored "Data", pasting and links.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/core/exceptions.h"
#include "platform/core/properties.h"
#include "platform/ui/application.h"
#include "platform/ui/forms.h"
#include "platform/ui/grids.h"
#include "platform/ui/shell_open.h"
#include "platform/ui/stdctrls.h"
#include "platform/ui/testing.h"
#include "suite/richtext/qzriched.h"
#include "suite/richtext/qzrichstore.h"
#include "support/ui/ui_probes.h"

namespace {

class RichEditStrings : public ::testing::Test {
protected:
    TqzCustomRichEdit* r = new TqzCustomRichEdit(nullptr);
    ~RichEditStrings() override { delete r; }
    void Set(const std::string& text) { r->StreamIn(text, false, false); }
};

TEST_F(RichEditStrings, CountGetAndALastEmptyLine) {
    TStrings* l = r->Lines();
    EXPECT_EQ(l->Count(), 0);
    Set("one\r\ntwo");
    EXPECT_EQ(l->Count(), 2);
    EXPECT_EQ(l->Strings(1), "two");
    Set("one\r\ntwo\r\n");  // the empty last line is not counted
    EXPECT_EQ(r->LineCount(), 3);
    EXPECT_EQ(l->Count(), 2);
    EXPECT_EQ(l->Strings(5), "");  // past the end: nothing
    EXPECT_EQ(l->Text(), "one\r\ntwo\r\n");
}

TEST_F(RichEditStrings, PublishedLinesAreTheAdapter) {
    EXPECT_EQ(GetObjectProp(r, "Lines"), r->Lines());
    EXPECT_EQ(GetObjectProp(r, "Frame"), r->Frame());
}

TEST_F(RichEditStrings, WindowClassChoiceIsData) {
    struct Case {
        int version, msVersion;
        bool classic, avoid5;
        const char* name;
    };
    const Case cases[] = {
        {2, 3, false, false, "RICHEDIT20A"},  // the default, even where the version-5 library exists
        {2, 4, false, false, "RICHEDIT50W"},
        {2, 4, false, true, "RICHEDIT20A"},
        {2, 4, true, false, "RICHEDIT"},
        {1, 4, false, false, "RICHEDIT"},  // a form stored without a version
    };
    for (const Case& c : cases) {
        r->StoredForm()->ReadVersion(c.version);
        r->SetMSVersion(c.msVersion);
        r->Settings(1) = Variant(c.classic);
        r->Settings(10) = Variant(c.avoid5);
        EXPECT_EQ(r->WindowClassName(), c.name) << c.version << " " << c.msVersion;
        EXPECT_EQ(r->Settings(11).AsBoolean(), std::string(c.name) == "RICHEDIT50W");
    }
}

TEST_F(RichEditStrings, WindowCreationRecordsTheVersion5Class) {
    TForm form(nullptr);
    r->SetParent(&form);
    EXPECT_EQ(r->Settings(11).AsInteger(), 3);  // nothing chosen before a window exists
    r->SetMSVersion(4);
    r->HandleNeeded();
    EXPECT_TRUE(r->Settings(11).AsBoolean());
    r->Settings(10) = Variant(true);  // never the version-5 class
    r->RecreateWnd();
    r->HandleNeeded();
    EXPECT_FALSE(r->Settings(11).AsBoolean());
    r->SetParent(nullptr);
}

TEST_F(RichEditStrings, LongLinesAreWhole) {
    const std::string longLine(10000, 'x');
    Set("a\r\n" + longLine + "y");
    EXPECT_EQ(r->Lines()->Strings(1), longLine + "y");
}

TEST_F(RichEditStrings, PutInsertAndDelete) {
    TStrings* l = r->Lines();
    Set("one\r\ntwo\r\nthree");
    l->SetStrings(1, "TWO");
    EXPECT_EQ(r->Text(), "one\nTWO\nthree");
    l->Insert(0, "zero");
    EXPECT_EQ(r->Text(), "zero\none\nTWO\nthree");
    l->Insert(4, "four");  // past the last line: appended after it
    EXPECT_EQ(r->Text(), "zero\none\nTWO\nthree\nfour");
    l->Insert(9, "far");  // no line before it: nothing
    EXPECT_EQ(l->Count(), 5);
    l->Delete(0);
    l->Delete(3);
    EXPECT_EQ(r->Text(), "one\nTWO\nthree");
    EXPECT_THROW(l->Delete(3), EStringListError);
    Set("last\r\n");  // the last line is empty: inserting past it does nothing
    l->Insert(2, "x");
    EXPECT_EQ(r->Text(), "last\n");
    l->Insert(1, "x");  // at the empty last line's start
    EXPECT_EQ(r->Text(), "last\nx\n");
    l->Add("added");
    EXPECT_EQ(l->Strings(2), "added");
    l->Clear();
    EXPECT_EQ(l->Count(), 0);
}

TEST_F(RichEditStrings, SettingTheTextDoesNotReportAChange) {
    int changes = 0;
    r->SetOnChange(TNotifyEvent([&](TObject*) { ++changes; }));
    r->Lines()->SetText("a\r\nb\r\n");
    EXPECT_EQ(changes, 0);
    EXPECT_EQ(r->Lines()->Count(), 2);
    r->SetText("x");
    EXPECT_EQ(changes, 1);
    EXPECT_NE(r->EventMask() & enmChange, 0u);
}

TEST_F(RichEditStrings, StreamsAreRichTextUnlessPlainText) {
    TMemoryStream in;
    const std::string rtf = "{\\rtf1 {\\b bold} text\\par}";
    in.WriteBuffer(rtf.data(), static_cast<int64_t>(rtf.size()));
    in.SetPosition(0);
    r->Lines()->LoadFromStream(&in);
    EXPECT_EQ(r->Text(), "bold text");
    EXPECT_TRUE(r->Document().FormatOf(r->Document().Paragraphs[0].Runs[0]).Bold);
    TMemoryStream out;
    r->Lines()->SaveToStream(&out);
    const std::string saved(static_cast<const char*>(out.Memory()), static_cast<std::size_t>(out.Size()));
    EXPECT_EQ(saved.substr(0, 6), "{\\rtf1");
    r->SetPlainText(true);
    TMemoryStream plain;
    r->Lines()->SaveToStream(&plain);
    EXPECT_EQ(std::string(static_cast<const char*>(plain.Memory()), static_cast<std::size_t>(plain.Size())),
              "bold text");
}

// ---- Chunked loading

std::string Chunks(const std::string& data, int limit) {
    TMemoryStream s;
    s.WriteBuffer(data.data(), static_cast<int64_t>(data.size()));
    s.SetPosition(0);
    return qzRichChunkedRead(&s, limit);
}

TEST(RichChunks, LineEndsAndLimits) {
    EXPECT_EQ(Chunks("a\nb\rc\r\nd\r", 0), "a\r\nb\r\nc\r\nd\r\n");
    // a CR LF split between two chunks stays one line break
    std::string split(2047, 'x');
    split += "\r\nend";
    EXPECT_EQ(Chunks(split, 0), split);
    std::string cr(2047, 'x');
    cr += "\rend";
    EXPECT_EQ(Chunks(cr, 0), std::string(2047, 'x') + "\r\nend");
    // limit 2: exactly one chunk, as read; limit 1: one chunk cut after the
    // first group that follows \pard, that "{" made "}"
    std::string rtf = "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\pard{\\b first}{\\i second}";
    rtf += std::string(3000, 'z') + "}";
    const std::string two = Chunks(rtf, 2);
    EXPECT_EQ(two, rtf.substr(0, 2048));
    EXPECT_EQ(Chunks(rtf, 1), "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\pard}");
    EXPECT_EQ(Chunks(rtf, 3), rtf);  // no \pard in the second chunk
    EXPECT_EQ(Chunks("", 1), "");
}

TEST_F(RichEditStrings, ChunkedLoadsAndThePlainTextRetry) {
    std::string rtf = "{\\rtf1\\pard{\\b first}{\\i second}" + std::string(3000, 'z') + "}";
    TMemoryStream s;
    s.WriteBuffer(rtf.data(), static_cast<int64_t>(rtf.size()));
    s.SetPosition(0);
    r->LoadFromStream(&s, false, 1);
    EXPECT_EQ(r->Text(), "");  // only up to the inserted "}"
    s.SetPosition(0);
    r->LoadFromStream(&s, false, 2);
    EXPECT_EQ(r->Text(), "firstsecond" + std::string(2048 - 32, 'z'));
    // not RTF: read again as plain text, with the same chunk limit
    const std::string text = std::string(3000, 'p');
    TMemoryStream t;
    t.WriteBuffer(text.data(), static_cast<int64_t>(text.size()));
    t.SetPosition(0);
    r->LoadFromStream(&t, false, 2);
    EXPECT_EQ(r->Text(), std::string(2048, 'p'));
    // a selection load that does not read changes nothing
    t.SetPosition(0);
    r->LoadFromStream(&t, true, 0);
    EXPECT_EQ(r->Text(), std::string(2048, 'p'));
}

TEST(RichMemoryStream, GrowsInSteps) {
    TqzRichMemoryStream s;
    s.WriteBuffer("x", 1);
    s.SetSize(TqzRichMemoryStream::Step + 1);
    const std::string tail(100, 'y');
    s.SetPosition(TqzRichMemoryStream::Step - 50);
    s.WriteBuffer(tail.data(), 100);
    EXPECT_EQ(s.Size(), TqzRichMemoryStream::Step + 50);
    EXPECT_EQ(static_cast<const char*>(s.Memory())[0], 'x');
    s.SetSize(0);
    EXPECT_EQ(s.Size(), 0);
}

// ---- Clipboard and links

class RichEditShown : public ::testing::Test {
protected:
    TForm* form = CreateForm<TForm>(Application);
    TqzCustomRichEdit* r = new TqzCustomRichEdit(form);
    void SetUp() override {
        form->SetBounds(40, 40, 400, 260);
        r->SetParent(form);
        r->SetBounds(10, 10, 360, 200);
        form->Show();
        ActivateForm(form);
        r->SetFocus();
    }
    ~RichEditShown() override { delete form; }
};

TEST_F(RichEditShown, CanPasteTextOrRichTextButNotAPictureAlone) {
    TTestClipboard clip;
    struct Case {
        std::map<unsigned, std::string> data;
        bool canPaste;
    };
    const std::vector<Case> cases = {
        {{}, false},
        {{{CF_BITMAP, "png"}}, false},
        {{{CF_TEXT, "t"}}, true},
        {{{CF_BITMAP, "png"}, {CF_TEXT, "t"}}, true},
        {{{CF_RTF(), "{\\rtf1 x}"}, {CF_BITMAP, "png"}}, true},
    };
    for (const Case& c : cases) {
        clip.SetData(c.data);
        EXPECT_EQ(r->CanPaste(), c.canPaste) << c.data.size();
    }
    r->SetReadOnly(true);
    clip.SetData({{CF_TEXT, "t"}});
    EXPECT_TRUE(r->CanPaste());  // read-only does not matter to the question
    EXPECT_FALSE(r->InsertObject());
    EXPECT_FALSE(r->ObjectProperties());
}

TEST_F(RichEditShown, PasteTakesRichTextOnlyWhenPresent) {
    TTestClipboard clip;
    clip.SetData({{CF_TEXT, "plain"}});
    SendKey(r, VK_INSERT, TShiftState{ssShift});
    EXPECT_EQ(r->Text(), "plain");
    clip.SetData({{CF_TEXT, "ignored"}, {CF_RTF(), "{\\rtf1 {\\b rich}}"}});
    SendKey(r, 'V', TShiftState{ssCtrl});
    EXPECT_EQ(r->Text(), "plainrich");
    EXPECT_TRUE(r->Document().FormatOf(r->Document().Paragraphs[0].Runs.back()).Bold);
    clip.SetData({{CF_BITMAP, "png"}});
    SendKey(r, 'V', TShiftState{ssCtrl});
    EXPECT_EQ(r->Text(), "plainrich");
}

TEST_F(RichEditShown, WebLinksOpenThroughTheShellAndFileLinksDoNothing) {
    TTestShell shell;
    TRtfDocument d;
    TRtfCharFormat web, file, plain;
    web.Link = "https://example.org/page";
    file.Link = "file:///etc/passwd";
    d.Paragraphs = {{{}, {d.Run("web", web), d.Run(" and ", plain), d.Run("file", file)}}};
    r->SetDocument(d);
    std::vector<std::string> asked;
    bool allow = true;
    r->SetOnURLOpen(TqzURLOpenEvent([&](TObject*, std::string& link, TField*, bool& useDefault) {
        asked.push_back(link);
        useDefault = allow;
    }));
    const TPoint w = r->PosFromChar(1), f = r->PosFromChar(10);
    SendClick(r, w.X + 1, w.Y + 5);
    SendClick(r, f.X + 1, f.Y + 5);
    ASSERT_EQ(asked.size(), 2u);  // the handler hears of every link
    EXPECT_EQ(asked[1], "file:///etc/passwd");
    ASSERT_EQ(shell.Opened().size(), 1u);
    EXPECT_EQ(shell.Opened()[0], "https://example.org/page");
    allow = false;  // a handler that clears UseDefault: nothing opens
    SendClick(r, w.X + 1, w.Y + 5);
    EXPECT_EQ(asked.size(), 3u);
    EXPECT_EQ(shell.Opened().size(), 1u);
}

TEST_F(RichEditShown, MovingKeysGoToTheGridItSitsIn) {
    auto* grid = new TDrawGrid(form);
    grid->SetParent(form);
    grid->SetBounds(10, 10, 360, 200);
    grid->SetRowCount(10);
    grid->SetRow(3);
    auto* cell = new TqzCustomRichEdit(form);
    cell->SetParent(grid);
    cell->SetBounds(0, 0, 100, 40);
    cell->SetText("one\ntwo");
    cell->SetFocus();
    cell->SetSelStart(0);
    SendKey(cell, VK_DOWN);
    EXPECT_EQ(grid->Row(), 4);
    EXPECT_EQ(cell->SelStart(), 0);
    cell->SetWantNavigationKeys(true);  // now the caret moves instead
    cell->SetFocus();
    SendKey(cell, VK_DOWN);
    EXPECT_EQ(grid->Row(), 4);
    EXPECT_EQ(cell->SelStart(), 4);
    SendKey(cell, VK_HOME);  // Home stays in the cell without Ctrl
    EXPECT_EQ(cell->SelStart(), 4);
    EXPECT_EQ(grid->Row(), 4);
}

TEST_F(RichEditShown, TypingLimitCutsTypingOnly) {
    r->SetMaxLength(3);
    r->Lines()->SetText("a much longer text than three");
    EXPECT_EQ(r->Text(), "a much longer text than three");
    r->Clear();
    SendText(r, "abcdef");
    EXPECT_EQ(r->Text(), "abc");
}

// Entering by Tab selects the text only with AutoSelect, which is off by default.
TEST(RichEditFocus, TabSelectsAllOnlyWithAutoSelect) {
    TShownForm f;
    auto* a = new TEdit(f.Form);
    a->SetParent(f.Form);
    auto* r = new TqzCustomRichEdit(f.Form);
    r->SetParent(f.Form);
    r->SetBounds(10, 40, 200, 80);
    r->SetText("some rich text");
    f.Show();
    EXPECT_FALSE(r->AutoSelect());
    for (bool autoSelect : {false, true}) {
        r->SetAutoSelect(autoSelect);
        r->SetSelStart(0);
        a->SetFocus();
        SendKey(a, VK_TAB);
        ASSERT_TRUE(r->Focused());
        EXPECT_EQ(r->SelLength(), autoSelect ? 14 : 0) << autoSelect;
    }
}

}  // namespace

TEST(RichDragDrop, EffectRule) {
    const unsigned text = deCopy | deMove;
    const unsigned all = deCopy | deMove | deLink;
    // while dragging the effect stays whatever the keys
    EXPECT_EQ(qzRichDragDropEffect(false, TShiftState{ssCtrl}, text), text);
    EXPECT_EQ(qzRichDragDropEffect(false, {}, all), all);
    // on a drop: Ctrl+Shift links where a link is allowed, else leaves the effect
    EXPECT_EQ(qzRichDragDropEffect(true, TShiftState{ssCtrl, ssShift}, all), static_cast<unsigned>(deLink));
    EXPECT_EQ(qzRichDragDropEffect(true, TShiftState{ssCtrl, ssShift}, text), text);
    EXPECT_EQ(qzRichDragDropEffect(true, TShiftState{ssCtrl}, text), static_cast<unsigned>(deCopy));
    EXPECT_EQ(qzRichDragDropEffect(true, TShiftState{ssAlt}, text), static_cast<unsigned>(deMove));
    EXPECT_EQ(qzRichDragDropEffect(true, TShiftState{ssShift}, text), static_cast<unsigned>(deMove));
    EXPECT_EQ(qzRichDragDropEffect(true, {}, text), static_cast<unsigned>(deMove));
    // a copy or move not allowed leaves what is
    EXPECT_EQ(qzRichDragDropEffect(true, TShiftState{ssCtrl}, deMove), static_cast<unsigned>(deMove));
    EXPECT_EQ(qzRichDragDropEffect(true, {}, deCopy), static_cast<unsigned>(deCopy));
}

// Text dragged with the mouse in the suite's rich edit and dropped with keys held.
TEST(RichDragDrop, KeysPickCopyOrMoveAndUndoTakesADragBack) {
    TForm* form = new TForm(nullptr);
    form->SetBounds(0, 0, 400, 300);
    TqzCustomRichEdit* r = new TqzCustomRichEdit(form);
    r->SetParent(form);
    r->SetBounds(10, 10, 360, 200);
    form->Show();
    r->SetText("alpha beta");
    r->SetFocus();
    auto drag = [&] {
        r->SetSelStart(0);
        r->SetSelLength(5);
        const TPoint in = r->PosFromChar(2);
        SendMouseDown(r, mbLeft, in.X, in.Y + 3);
        SendMouseMove(r, in.X + 60, in.Y + 3, TShiftState{ssLeft});
        const TPoint end = r->PosFromChar(static_cast<int>(r->Text().size()));
        return TPoint{end.X + 2, end.Y + 3};
    };
    struct Case {
        TShiftState Keys;
        unsigned Effect;
        const char* Text;
    };
    const Case cases[] = {{{}, deMove, " betaalpha"},
                          {TShiftState{ssAlt}, deMove, " betaalpha"},
                          {TShiftState{ssCtrl}, deCopy, "alpha betaalpha"},
                          // a link is never allowed: the control's proposal (Ctrl: copy) stays
                          {TShiftState{ssCtrl, ssShift}, deCopy, "alpha betaalpha"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Text);
        const TPoint to = drag();
        EXPECT_EQ(SendTextDrop(r, to.X, to.Y, c.Keys, r), c.Effect);
        EXPECT_EQ(r->Text(), c.Text);
        SendKey(r, 'Z', TShiftState{ssCtrl});
        EXPECT_EQ(r->Text(), "alpha beta");
    }
    delete form;
}
