// Large documents in the rich edit as the user waits for them: during the
// load, the layout in steps and whatever keys come meanwhile, the window
// either answers or shows the busy cursor. The layout's steps run from the
// event loop as far as each case needs (never for a time); keys are posted as
// a keyboard delivers them.
#include <gtest/gtest.h>

#include <QAbstractTextDocumentLayout>
#include <QCoreApplication>
#include <QEvent>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextEdit>
#include <QTextLayout>

#include <cstdio>
#include <string>
#include <vector>

#include "platform/ui/application.h"
#include "platform/ui/richedit.h"
#include "platform/ui/testing.h"
#include "support/ui/rich_edit_qt.h"

namespace {

// Characters from which a paragraph's layout, or the layout wanted at once,
// is long (as the rich edit counts them).
constexpr int kLongChars = 256 * 1024;

// Plain lines of 40 bytes, Bytes in all.
std::string Lines(std::size_t Bytes) {
    std::string s;
    s.reserve(Bytes + 48);
    char line[48];
    for (std::size_t n = 0; s.size() < Bytes; ++n) {
        std::snprintf(line, sizeof line, "Line %08zu of the plain text, words\r\n", n);
        s += line;
    }
    return s;
}

// RTF of short formatted paragraphs, or of one word without a space.
std::string Rtf(const std::string& Kind, std::size_t Bytes, int HalfPoints = 20) {
    std::string s = "{\\rtf1\\ansi{\\fonttbl{\\f0\\fswiss DejaVu Sans;}}\\pard\\f0\\fs" +
                    std::to_string(HalfPoints) + " ";
    for (std::size_t n = 0; s.size() < Bytes; ++n)
        s += Kind == "word" ? "abcdefgh"
                            : "\\pard\\li360 Item " + std::to_string(n) + " {\\b bold} words\\par\r\n";
    return s + "\\par}";
}

bool Done(const QTextBlock& b) { return !b.isVisible() || (b.layout() && b.layout()->lineCount() > 0); }

// Watches every event the window's thread handles: a long paragraph (of
// kLongChars or more) whose layout came while the busy cursor did not show is
// counted. The layout of one happens within the handling of an event; the
// busy cursor shown for it stays until the loop's next pass, so it still
// shows when the next event comes (or when the test looks, Look).
class TLongLayoutWatch : public QObject {
public:
    explicit TLongLayoutWatch(QTextDocument* Doc) {
        for (QTextBlock b = Doc->firstBlock(); b.isValid(); b = b.next())
            if (b.length() >= kLongChars) FLong.push_back({b, Done(b)});
        QCoreApplication::instance()->installEventFilter(this);
    }
    ~TLongLayoutWatch() override { QCoreApplication::instance()->removeEventFilter(this); }
    // Long paragraphs laid out in all, and those of them without the busy cursor.
    int LaidOut() const { return FLaidOut; }
    int WithoutBusy() const { return FWithoutBusy; }
    void Look() {
        for (TLong& l : FLong) {
            const bool done = Done(l.Block);
            if (done && !l.Done) {
                ++FLaidOut;
                if (Screen->Cursor() != crHourGlass) ++FWithoutBusy;
            }
            l.Done = done;
        }
    }

protected:
    bool eventFilter(QObject*, QEvent*) override {
        Look();
        return false;
    }

private:
    struct TLong {
        QTextBlock Block;
        bool Done;
    };
    std::vector<TLong> FLong;
    int FLaidOut = 0, FWithoutBusy = 0;
};

class RichEditBusyTest : public TRichEditOnFormTest {
protected:
    void SetUp() override {
        Place(360, 200);
        f.Show();
        r->SetFocus();
    }
    // The characters the layout has reached from the start.
    int LaidOutChars() const {
        QTextDocument* doc = Edit()->document();
        if (Done(doc->lastBlock())) return doc->characterCount();
        int low = 0, high = doc->blockCount() - 1;
        while (low < high) {
            const int mid = low + (high - low) / 2;
            if (Done(doc->findBlockByNumber(mid)))
                low = mid + 1;
            else
                high = mid;
        }
        return doc->findBlockByNumber(low).position();
    }
    // Lets the layout's steps run from the event loop until they have reached
    // Chars characters (a step takes at most a few hundred thousand on).
    void LayOutPast(int Chars) {
        ASSERT_TRUE(WaitUntil([&] { return LaidOutChars() >= Chars; }, 600000));
    }
    // Runs the event loop until the layout is done and nothing waits.
    void LayOutAll() {
        ASSERT_TRUE(WaitUntil([&] { return r->LaidOut(); }, 600000));
        ASSERT_TRUE(EventLoopRests());
    }
    // Has the keys posted to the window handled, and nothing else they leave
    // for the event loop (as the loop handles typed-ahead keys first).
    static void HandleKeys() {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::KeyPress);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::KeyRelease);
    }
};

// A letter typed while the layout goes on in steps, near the start: the
// layout still goes on to the end (the toolkit's steps end at a change).
TEST_F(RichEditBusyTest, ALetterTypedDuringTheLayoutLetsItGoOnToTheEnd) {
    for (const char* kind : {"lines", "paragraphs"}) {
        SCOPED_TRACE(kind);
        const bool lines = std::string(kind) == "lines";
        ASSERT_TRUE(r->StreamIn(lines ? Lines(512 << 10) : Rtf(kind, 512 << 10), !lines, false));
        LayOutPast(50000);
        ASSERT_FALSE(r->LaidOut());
        PostKey(r, 'X', TShiftState{ssShift});
        EXPECT_TRUE(WaitUntil([&] { return r->LaidOut(); }, 600000));
        EXPECT_EQ(r->Text().substr(0, 6), lines ? "XLine " : "XItem ");
        EXPECT_EQ(r->SelStart(), 1);
        // the end shows where the scroll bar takes it
        r->SetSelStart(static_cast<int>(r->Text().size()));
        EXPECT_GT(r->PosFromChar(static_cast<int>(r->Text().size())).Y, 0);
    }
}

// The same down in the text: the view stays where it was while the layout
// starts again from the start.
TEST_F(RichEditBusyTest, ALetterTypedDownTheTextDuringTheLayoutLeavesTheViewWhereItWas) {
    ASSERT_TRUE(r->StreamIn(Lines(512 << 10), false, false));
    QScrollBar* bar = Edit()->verticalScrollBar();
    ASSERT_TRUE(WaitUntil([&] { return bar->maximum() > 6000; }, 600000));
    ASSERT_FALSE(r->LaidOut());
    bar->setValue(5000);
    const int top = bar->value();
    const int at = r->CharFromPos(TPoint{20, 20});
    r->SetSelStart(at);
    ASSERT_GT(at, 0);
    ASSERT_EQ(bar->value(), top);
    ASSERT_FALSE(r->LaidOut());
    PostKey(r, 'X', TShiftState{ssShift});
    HandleKeys();
    EXPECT_EQ(bar->value(), top);
    // the layout starts again
    ProcessEvents();
    EXPECT_EQ(bar->value(), top);
    LayOutAll();
    EXPECT_EQ(bar->value(), top);
    EXPECT_EQ(r->SelStart(), at + 1);
    EXPECT_EQ(r->Text().substr(static_cast<std::size_t>(at), 1), "X");
}

// Plain lines and formatted paragraphs: the load, a letter typed while the
// layout goes on, and Ctrl+End, which needs the layout to the end at once
// and shows the busy cursor until the event loop answers again.
TEST_F(RichEditBusyTest, CtrlEndDuringTheLayoutShowsTheBusyCursor) {
    for (const char* kind : {"lines", "paragraphs"}) {
        SCOPED_TRACE(kind);
        const bool lines = std::string(kind) == "lines";
        ASSERT_TRUE(r->StreamIn(lines ? Lines(1 << 20) : Rtf(kind, 1 << 20), !lines, false));
        LayOutPast(50000);
        PostKey(r, 'X', TShiftState{ssShift});
        HandleKeys();
        ProcessEvents();
        ASSERT_EQ(r->Text().substr(0, 6), lines ? "XLine " : "XItem ");
        ASSERT_GE(Edit()->document()->characterCount() - LaidOutChars(), kLongChars);
        PostKey(r, VK_END, TShiftState{ssCtrl});
        HandleKeys();
        EXPECT_EQ(Screen->Cursor(), crHourGlass);
        const int end = static_cast<int>(r->Text().size());
        EXPECT_EQ(r->SelStart(), end);
        ProcessEvents();
        EXPECT_EQ(Screen->Cursor(), crDefault);
        LayOutAll();
        EXPECT_EQ(Screen->Cursor(), crDefault);
        EXPECT_EQ(r->SelStart(), end);
    }
}

// One long word: its layout is one piece of the toolkit's; a letter typed
// into it lays it out again whole, under the busy cursor.
TEST_F(RichEditBusyTest, ALetterTypedIntoOneLongWordShowsTheBusyCursor) {
    ASSERT_TRUE(r->StreamIn(Rtf("word", 512 << 10), true, false));
    r->SetSelStart(4);
    std::vector<TCursor> during;
    r->SetOnChange([&](TObject*) { during.push_back(Screen->Cursor()); });
    PostKey(r, 'Y', TShiftState{ssShift});
    HandleKeys();
    EXPECT_EQ(during, std::vector<TCursor>{crHourGlass});
    ProcessEvents();
    EXPECT_EQ(Screen->Cursor(), crDefault);
    PostKey(r, VK_END, TShiftState{ssCtrl});
    HandleKeys();
    LayOutAll();
    EXPECT_EQ(Screen->Cursor(), crDefault);
    const std::string text = r->Text();
    EXPECT_EQ(text.substr(0, 10), "abcdYefgha");
    EXPECT_EQ(r->SelStart(), static_cast<int>(text.size()));
}

// Lines with a long paragraph after them: the layout's step that reaches it
// from the event loop lays it out whole, under the busy cursor.
TEST_F(RichEditBusyTest, TheLayoutsStepOverALongParagraphShowsTheBusyCursor) {
    std::string data = Lines(64 << 10);
    std::string words;
    while (words.size() < static_cast<std::size_t>(2 * kLongChars)) words += "abc de ";
    data += words + "\r\nend";
    ASSERT_TRUE(r->StreamIn(data, false, false));
    TLongLayoutWatch watch(Edit()->document());
    ProcessEvents();
    ASSERT_FALSE(r->LaidOut());
    ASSERT_TRUE(WaitUntil([&] { return r->LaidOut(); }, 600000));
    watch.Look();
    EXPECT_EQ(watch.LaidOut(), 1);
    EXPECT_EQ(watch.WithoutBusy(), 0);
    ASSERT_TRUE(EventLoopRests());
    EXPECT_EQ(Screen->Cursor(), crDefault);
    EXPECT_EQ(r->Line(r->LineCount() - 1), "end");
}

}  // namespace

namespace {

// While the layout goes on in steps the scroll bar reaches only as far as the
// layout has reported: a caret moved further down must still be shown.
class RichEditCaretDuringLayoutTest : public RichEditBusyTest {
protected:
    // The line of the caret lies in the view.
    bool CaretShows() {
        const int y = r->PosFromChar(r->SelStart()).Y;
        return y >= 0 && y + 10 <= r->ClientHeight();
    }
    // Loads the document and lets its layout take a few steps.
    void Load(const std::string& Kind, std::size_t Bytes) {
        const bool lines = Kind == "lines";
        ASSERT_TRUE(r->StreamIn(lines ? Lines(Bytes) : Rtf(Kind, Bytes), !lines, false));
        LayOutPast(50000);
        ASSERT_FALSE(r->LaidOut());
    }
};

// Early in the layout, and the moment its last step laid the last paragraph
// out (the scroll bar's range still that of the first steps).
TEST_F(RichEditCaretDuringLayoutTest, CtrlEndShowsTheEnd) {
    struct TCase {
        const char* Kind;
        bool LastStep;
    };
    for (const TCase& c : {TCase{"lines", true}, TCase{"lines", false}, TCase{"paragraphs", false}}) {
        SCOPED_TRACE(c.Kind);
        SCOPED_TRACE(c.LastStep);
        if (c.LastStep) {
            ASSERT_TRUE(r->StreamIn(Lines(512 << 10), false, false));
            ASSERT_TRUE(WaitUntil([&] { return r->LaidOut(); }, 600000));
        } else {
            Load(c.Kind, 512 << 10);
        }
        const int end = static_cast<int>(r->Text().size());
        PostKey(r, VK_END, TShiftState{ssCtrl});
        HandleKeys();
        EXPECT_EQ(r->SelStart(), end);
        EXPECT_TRUE(CaretShows());
        EXPECT_GT(Edit()->verticalScrollBar()->value(), 0);
        // and still does after the layout's next reports
        LayOutAll();
        EXPECT_TRUE(CaretShows());
        EXPECT_GE(r->LineFromChar(r->CharFromPos(TPoint{20, r->ClientHeight() - 12})), r->LineCount() - 2);
    }
}

// Put there from code: far into what is not laid out the busy cursor shows
// until the loop answers (the toolkit lays the text out up to the caret at
// once); a short move does not show it.
TEST_F(RichEditCaretDuringLayoutTest, TheCaretPutFarDownShowsTheBusyCursorAndTheView) {
    for (const bool middle : {true, false}) {
        SCOPED_TRACE(middle);
        // (right after the load only what shows is laid out)
        ASSERT_TRUE(r->StreamIn(Lines(1 << 20), false, false));
        const int size = static_cast<int>(r->Text().size());
        const int at = middle ? size / 2 : size;
        r->SetSelStart(80);
        EXPECT_EQ(Screen->Cursor(), crDefault);
        ASSERT_FALSE(r->LaidOut());
        r->SetSelStart(at);
        EXPECT_EQ(Screen->Cursor(), crHourGlass);
        ProcessEvents();
        EXPECT_EQ(Screen->Cursor(), crDefault);
        EXPECT_EQ(r->SelStart(), at);
        EXPECT_TRUE(CaretShows());
        // a letter typed there goes in there
        PostKey(r, 'Q', TShiftState{ssShift});
        HandleKeys();
        ASSERT_EQ(r->SelStart(), at + 1);
        EXPECT_EQ(r->Text().substr(static_cast<std::size_t>(at), 1), "Q");
        EXPECT_TRUE(CaretShows());
        // the layout starts again after the letter, from the event loop,
        // with what shows laid out at once: the view comes back to the caret
        ProcessEvents();
        EXPECT_TRUE(CaretShows());
        LayOutAll();
        EXPECT_EQ(Screen->Cursor(), crDefault);
        EXPECT_TRUE(CaretShows());
    }
}

// A change in the middle while the layout goes on in steps (the view far from
// the start): what is laid out above the changed paragraph stays laid out (the layout never reports a
// state where it went back above it), the rest is still laid out to the end,
// and the text, the caret, the view and the undo step are right.
TEST_F(RichEditCaretDuringLayoutTest, AChangeInTheMiddleKeepsTheLayoutAboveIt) {
    struct TCase {
        const char* Kind;
        unsigned Key;
    };
    for (const TCase& c : {TCase{"lines", 'X'}, TCase{"paragraphs", 'X'}, TCase{"lines", VK_DELETE}}) {
        SCOPED_TRACE(c.Kind);
        SCOPED_TRACE(c.Key);
        // (the middle far enough from the start for the layout to go on from there)
        Load(c.Kind, std::string(c.Kind) == "lines" ? 1 << 20 : 2 << 20);
        const std::string before = r->Text();
        const int at = static_cast<int>(before.size()) / 2;
        r->SetSelStart(at);
        ASSERT_FALSE(r->LaidOut());
        QTextDocument* doc = Edit()->document();
        const QTextBlock changed = doc->findBlock(Edit()->textCursor().position());
        const int above = changed.blockNumber();
        // the paragraphs above the change's without lines, at each report of the layout
        int lost = 0;
        auto laidOut = [](const QTextBlock& b) { return b.layout() && b.layout()->lineCount() > 0; };
        auto count = [&] {
            for (QTextBlock b = doc->firstBlock(); b.isValid() && b.blockNumber() < above; b = b.next())
                lost += laidOut(b) ? 0 : 1;
        };
        count();
        ASSERT_EQ(lost, 0);
        const auto watch =
            QObject::connect(doc->documentLayout(), &QAbstractTextDocumentLayout::documentSizeChanged, count);
        PostKey(r, c.Key, c.Key == 'X' ? TShiftState{ssShift} : TShiftState{});
        const std::string expected = c.Key == 'X' ? before.substr(0, at) + "X" + before.substr(at)
                                                  : before.substr(0, at) + before.substr(at + 1);
        HandleKeys();
        LayOutAll();
        QObject::disconnect(watch);
        count();
        EXPECT_EQ(lost, 0);
        EXPECT_EQ(r->Text(), expected);
        EXPECT_EQ(r->SelStart(), c.Key == 'X' ? at + 1 : at);
        EXPECT_TRUE(CaretShows());
        // every paragraph is laid out, and the end shows where Ctrl+End takes it
        int empty = 0;
        for (QTextBlock b = doc->firstBlock(); b.isValid(); b = b.next()) empty += laidOut(b) ? 0 : 1;
        EXPECT_EQ(empty, 0);
        PostKey(r, 'Z', TShiftState{ssCtrl});
        HandleKeys();
        EXPECT_EQ(r->Text(), before);
        // (the undone letter's place; a deletion undone leaves the caret by the character)
        if (c.Key == 'X') {
            EXPECT_EQ(r->SelStart(), at);
        }
        PostKey(r, VK_END, TShiftState{ssCtrl});
        HandleKeys();
        EXPECT_EQ(r->SelStart(), static_cast<int>(before.size()));
        ProcessEvents();
        EXPECT_TRUE(CaretShows());
    }
}

// Down to the end while the rest is laid out after a change: Ctrl+End and a
// position asked for from code are laid out at once.
TEST_F(RichEditCaretDuringLayoutTest, TheEndRightAfterAChangeShows) {
    Load("lines", 3 << 19);
    const int at = static_cast<int>(r->Text().size()) / 4;
    r->SetSelStart(at);
    PostKey(r, 'X', TShiftState{ssShift});
    HandleKeys();
    ASSERT_EQ(r->Text().substr(static_cast<std::size_t>(at), 1), "X");
    ASSERT_FALSE(r->LaidOut());
    const int end = static_cast<int>(r->Text().size());
    const int caretY = r->PosFromChar(r->SelStart()).Y;
    EXPECT_GT(r->PosFromChar(end).Y, caretY + 10000);
    PostKey(r, VK_END, TShiftState{ssCtrl});
    HandleKeys();
    EXPECT_EQ(r->SelStart(), end);
    EXPECT_TRUE(CaretShows());
    EXPECT_GE(r->LineFromChar(r->CharFromPos(TPoint{20, r->ClientHeight() - 12})), r->LineCount() - 2);
    LayOutAll();
    EXPECT_TRUE(CaretShows());
}

// Ctrl+End typed ahead of the loop right after a letter (the letter's change
// not yet seen to): the view goes down to the end with the caret.
TEST_F(RichEditCaretDuringLayoutTest, CtrlEndTypedRightAfterALetterShowsTheEnd) {
    Load("lines", 512 << 10);
    const std::string before = r->Text();
    const int at = static_cast<int>(before.size()) / 4;
    r->SetSelStart(at);
    PostKey(r, 'X', TShiftState{ssShift});
    PostKey(r, VK_END, TShiftState{ssCtrl});
    HandleKeys();
    const int end = static_cast<int>(before.size()) + 1;
    ASSERT_EQ(r->SelStart(), end);
    EXPECT_TRUE(CaretShows());
    EXPECT_GE(r->LineFromChar(r->CharFromPos(TPoint{20, r->ClientHeight() - 12})), r->LineCount() - 2);
    LayOutAll();
    EXPECT_TRUE(CaretShows());
    EXPECT_EQ(r->Text(), before.substr(0, at) + "X" + before.substr(at));
}

// Text streamed into the selection during the layout (from code, no typing):
// the layout still goes on to the end.
TEST_F(RichEditCaretDuringLayoutTest, TextStreamedInDuringTheLayoutLetsItGoOnToTheEnd) {
    for (const bool middle : {false, true}) {
        SCOPED_TRACE(middle);
        Load("lines", 1 << 20);
        const std::string before = r->Text();
        const int at = middle ? static_cast<int>(before.size()) / 2 : 5;
        r->SetSelStart(at);
        ASSERT_TRUE(r->StreamIn("streamed", false, true));
        ASSERT_FALSE(r->LaidOut());
        LayOutAll();
        EXPECT_EQ(r->Text(), before.substr(0, at) + "streamed" + before.substr(at));
        PostKey(r, VK_END, TShiftState{ssCtrl});
        HandleKeys();
        EXPECT_EQ(r->SelStart(), static_cast<int>(r->Text().size()));
        ProcessEvents();
        EXPECT_TRUE(CaretShows());
    }
}

}  // namespace

namespace {

// Every position the edit answers right after a letter delivered as a
// keyboard delivers it (posted; the loop has handled the key and nothing
// else) while the layout has reached only part of the text: what the
// finished layout answers. The key's change ends the toolkit's steps, which
// then no longer lay out on demand.
class RichEditPositionsDuringLayoutTest : public RichEditBusyTest {
protected:
    struct TAnswers {
        int MidChar = 0;
        TPoint Line, End, Caret;
    };
    // The answers, in the document's coordinates (the view's top added), from
    // the top down (each asks for more than the last laid out): the position
    // at the height MidY, those of the start of line Line, of the caret and
    // (when End) of the end.
    TAnswers Ask(int MidY, int Line, bool End) {
        QScrollBar* bar = Edit()->verticalScrollBar();
        auto at = [&](int Pos) {
            const TPoint p = r->PosFromChar(Pos);
            return TPoint{p.X, p.Y + bar->value()};
        };
        TAnswers a;
        a.MidChar = r->CharFromPos(TPoint{20, MidY - bar->value()});
        a.Line = at(r->LineIndex(Line));
        a.Caret = at(r->SelStart());
        if (End) {
            const int last = r->LineCount() - 1;
            a.End = at(r->LineIndex(last) + static_cast<int>(r->Line(last).size()));
        }
        return a;
    }
    void Check(const std::string& Kind, std::size_t Bytes, int Span, bool Finished);
    // Types a letter into line Line of the loaded document, as a keyboard does.
    void TypeALetter(int Line) {
        const int at = r->LineIndex(Line) + 3;
        r->SetSelStart(at);
        PostKey(r, 'X', TShiftState{ssShift});
        HandleKeys();
        ASSERT_EQ(r->SelStart(), at + 1);
        ASSERT_EQ(Edit()->document()->characterAt(at), QChar('X'));
    }
};

// The document of Kind and Bytes with a letter typed a quarter down Span (all
// its lines when 0), asked for positions down it: against the finished layout
// when Finished, else against where its paragraphs of one line lie.
void RichEditPositionsDuringLayoutTest::Check(const std::string& Kind, std::size_t Bytes, int Span,
                                              bool Finished) {
    const bool lines = Kind == "lines";
    ASSERT_TRUE(r->StreamIn(lines ? Lines(Bytes) : Rtf(Kind, Bytes), !lines, false));
    QTextDocument* doc = Edit()->document();
    const int span = Span > 0 ? Span : doc->blockCount();
    TypeALetter(span / 4);
    ASSERT_FALSE(r->LaidOut());
    // (every paragraph takes one line of one height)
    const qreal height = doc->documentLayout()->blockBoundingRect(doc->firstBlock()).height();
    const qreal margin = doc->documentMargin();
    const int mid = span * 5 / 8, line = span * 7 / 8;
    const int midY = static_cast<int>(margin + height * (mid + 0.5));
    const TAnswers during = Ask(midY, line, Finished);
    EXPECT_NEAR(r->LineFromChar(during.MidChar), mid, 1);
    EXPECT_NEAR(during.Line.Y, margin + height * line, 2);
    EXPECT_NEAR(during.Caret.Y, margin + height * (span / 4), 2);
    if (!Finished) {
        // (what was not asked for is left to the steps)
        EXPECT_FALSE(r->LaidOut());
        return;
    }
    EXPECT_NEAR(during.End.Y, margin + height * (doc->blockCount() - 1), 2);
    LayOutAll();
    const TAnswers done = Ask(midY, line, true);
    EXPECT_EQ(during.MidChar, done.MidChar);
    EXPECT_EQ(during.Line, done.Line);
    EXPECT_EQ(during.Caret, done.Caret);
    EXPECT_EQ(during.End, done.End);
}

TEST_F(RichEditPositionsDuringLayoutTest, AreThoseOfTheFinishedLayoutAfterAPostedLetter) {
    for (const char* kind : {"lines", "paragraphs"}) {
        SCOPED_TRACE(kind);
        Check(kind, 512 << 10, 0, true);
    }
}

// 50 MB near its start (its whole layout takes long): the first
// thirty-second of its lines.
TEST_F(RichEditPositionsDuringLayoutTest, InFiftyMegabytesAreWhereTheLinesLie) {
    Check("lines", 50 << 20, (50 << 20) / 40 / 32, false);
}

}  // namespace
