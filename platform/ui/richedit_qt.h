// What the rich-edit sources share: the document model in the toolkit's
// text document, and the control's adapter. Only platform/ui's rich-edit
// sources include this header.
//
// The sources: richedit.cpp (window, lines, queries, links, events),
// richedit_document.cpp (the model), richedit_load.cpp, richedit_formats.cpp
// (selection formats), richedit_typing.cpp (typing and undo),
// richedit_clipboard.cpp, richedit_draw.cpp and richedit_drag.cpp (the
// control's DragDropEffect chooses copy or move). Resize requests are sent
// once per pass of the event loop from the layout's reported height, never by
// asking the layout, which would finish a step-wise layout at once.
#pragma once

#include <QAbstractTextDocumentLayout>
#include <QPointer>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextDocumentFragment>
#include <QTextEdit>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <memory>
#include <optional>
#include <vector>

#include "platform/ui/application.h"
#include "platform/ui/qt_host.h"
#include "platform/ui/richedit.h"
#include "platform/ui/stdctrls_qt.h"

namespace richedit_detail {

// Format properties of our own.
enum : int {
    kTwFirst = QTextFormat::UserProperty + 310,
    kTwLeft,
    kTwRight,
    kTwBefore,
    kTwAfter,
    kLineSpacing,
    kLineMultiple,
    kBullet,
    kTabs,
    kCharset,
    kPitch,
    kOffset,
    kRaw,
    kLinkStyled,
    kOrigUnderline,
    kOrigColor,
    kHashProbe,
    kProtected,
};

constexpr QChar kObjectChar(0xFFFC);

inline qreal Px(int twips, int dpi) { return twips * static_cast<qreal>(dpi) / 1440.0; }
inline int Tw(qreal px, int dpi) { return static_cast<int>(std::lround(px * 1440.0 / dpi)); }

QTextBlockFormat BlockFormatOf(const TRtfParaFormat& p, int dpi);
TRtfParaFormat ParaOf(const QTextBlock& block, int dpi);
QTextCharFormat CharFormatOf(const TRtfCharFormat& f);
TRtfCharFormat CharOf(const QTextCharFormat& c, int defaultHalfPoints);

// The format's hash computed and kept in it: the toolkit hashes a copy of
// the format for every insertion unless the copy comes with its hash.
void KeepHash(const QTextFormat& f);

// The toolkit formats of one document's format table, each converted once
// when a run first uses it; runs of one format share one object. A
// paragraph's format is converted again only when it differs from the last.
class TCharFormatCache {
public:
    TCharFormatCache(const TRtfDocument& d, int dpi) : FDoc(d), FDpi(dpi), FFormats(d.Formats.size()) {}

    const TRtfDocument& Document() const { return FDoc; }
    const QTextCharFormat& Of(const TRtfRun& r) {
        if (r.Format >= FFormats.size()) {
            FOther = CharFormatOf(FDoc.FormatOf(r));
            return FOther;
        }
        auto& f = FFormats[r.Format];
        if (!f) {
            f = CharFormatOf(FDoc.Formats[r.Format]);
            KeepHash(*f);
        }
        return *f;
    }
    const QTextBlockFormat& BlockOf(const TRtfParaFormat& p) {
        if (!FBlock || !(FPara == p)) {
            FBlock = BlockFormatOf(p, FDpi);
            KeepHash(*FBlock);
            FPara = p;
        }
        return *FBlock;
    }

private:
    const TRtfDocument& FDoc;
    int FDpi;
    std::vector<std::optional<QTextCharFormat>> FFormats;
    QTextCharFormat FOther;
    std::optional<QTextBlockFormat> FBlock;
    TRtfParaFormat FPara;
};

// Inserts one paragraph at the cursor: the first (index 0) joins the cursor's
// block, every later one starts a block of its own.
void InsertParagraph(QTextCursor& cur, const TRtfParagraph& p, std::size_t index, bool setFirstFormat,
                     int dpi, TCharFormatCache& formats);

// Inserts the document at the cursor; the first paragraph joins the cursor's block.
void InsertDocument(QTextCursor& cur, const TRtfDocument& d, bool setFirstFormat, int dpi);

// Loads a whole document at the cursor of an empty document: one change, no
// step to undo, laid out afterwards from the start in steps; the caret of
// Edit (when given) at the start.
void LoadDocument(QTextCursor& cur, const TRtfDocument& d, int dpi, QTextEdit* Edit = nullptr);
// A paragraph too tall to wrap: wrapped in a narrow edit it could pass the
// height the toolkit's layout of one paragraph holds (whose layout then never
// ends). The edit wraps such a paragraph at a width that keeps it well under
// that height (its lines scroll sideways); a copy for drawing takes only a
// page's worth of it at a time. The width for a paragraph of Chars
// characters of the font, 0 when it is not too tall.
qreal WideWrapWidth(std::size_t Chars, int HalfPoints, int dpi);
qreal WideWrapWidth(const TRtfParagraph& p, const TRtfDocument& d, int dpi);
// The widest of the document's paragraphs.
qreal WideWrapWidth(const TRtfDocument& d, int dpi);
// The widest of the paragraphs of the edit's document from from to to.
qreal WideWrapWidth(QTextDocument* doc, int from, int to, int defaultHalfPoints, int dpi);
// The longest line of a plain text (in characters).
std::size_t LongestLine(const QString& Text);
inline bool TooTallToWrap(const TRtfParagraph& p, const TRtfDocument& d, int dpi) {
    return WideWrapWidth(p, d, dpi) > 0;
}
// The width the edit's lines are at least wrapped at for its document's
// paragraphs too tall to wrap (0: none).
qreal WideWrap(const QTextDocument* doc);
// Sets it (Replace) or widens it to Width, before such a paragraph goes in:
// the edit then lays its text out at that width at once.
void WrapWide(QTextEdit* Edit, qreal Width, bool Replace);
// The document has a word too long to break only between words (each of its
// lines would look for the word's end again); its words then break anywhere.
bool HasLongWord(const TRtfDocument& d);
// How the edit breaks the lines of the document.
void SetWordBreaks(QTextEdit* Edit, const TRtfDocument& d);
// The toolkit's layout of a page of unbounded height never ends once the text
// passes about 8.4 million pixels (sooner with paragraph spacing); on pages of
// a bounded height it goes on. The page is that high: no break shows.
constexpr qreal kPageHeight = 8e6;
// The document's page given a bounded height (none while it has no page).
void BoundPage(QTextDocument* doc);
// The height the laid-out document may reach: the toolkit's layout keeps
// positions in fixed point and never ends a document of more than about 33
// million pixels. Past it the paragraphs not yet laid out are hidden (still
// in the content, which reads and saves whole, but not shown).
constexpr qreal kMaxDocumentHeight = 20e6;
void HideParagraphsNotLaidOut(QTextDocument* doc);
// Hides them, from the event loop, when the document's layout passes that height.
void GuardLayoutHeight(QTextDocument* doc);
// Characters from which a paragraph is long: the toolkit shapes a paragraph
// whole, and unless its layout keeps the shaped glyphs, every paint of any
// part of it shapes the whole paragraph again.
constexpr int kLongParagraph = 64 * 1024;
// The long paragraphs among those of the positions [from, to] keep their
// shaped glyphs while the budget has room (TCustomRichEdit::GlyphBudget).
void KeepLongParagraphsShaped(QTextDocument* doc, int from, int to);
// The long paragraphs the edit shows, and the caret's, keep their glyphs:
// the paragraphs shown longest ago give theirs up to stay within the budget
// (one shown keeps them past it).
void KeepShownParagraphsShaped(QTextEdit* Edit);
// The last shown paragraph is laid out.
bool LaidOut(QTextDocument* doc);
// The first paragraph the layout has not reached (none when it is done), and
// the characters from there to the end.
QTextBlock FirstNotLaidOut(QTextDocument* doc);
int CharsNotLaidOut(QTextDocument* doc);
// Characters from which a layout wanted at once shows the busy cursor.
constexpr int kBusyLayoutChars = 256 * 1024;
// The busy cursor from now until the event loop runs again.
void BusyUntilAnswered();
// The caret put at Pos from code: the toolkit lays the text out up to it at
// once; the busy cursor when that is much.
void BusyBeforeCaretAt(QTextDocument* doc, int Pos);
// Watches an edit while its layout goes on in steps (richedit_busy.cpp):
// input that may need what is not laid out yet (a key, a click, the wheel, a
// drag) while much is left, and a step of the layout that reaches a long
// paragraph, show the busy cursor until the loop answers. A change of the
// text meanwhile ends the toolkit's steps where they were (the rest would
// never show): with the view near the start Changed starts the layout again
// from the start; further down it goes on from the first paragraph not laid
// out, in steps of its own from the event loop, and keeps what lies above.
// While it does, the toolkit no longer lays out on demand: LayOutTo lays the text out
// up to a position at once (a caret moved further down does), LayOutDownTo
// down to a height of the document, whatever the layout has reached. The view
// follows a caret moved past what the scroll bar reaches (the layout reports
// its height from the event loop): CaretMoved.
class TLayoutWatch : public QObject {
public:
    explicit TLayoutWatch(QTextEdit* Edit);
    void Changed();
    void CaretMoved();
    void LayOutTo(int Pos);
    void LayOutDownTo(qreal Y);

protected:
    bool eventFilter(QObject* Watched, QEvent* Event) override;

private:
    void Step();
    void Restart(int Top, int Shown);
    QTextBlock Rest();
    bool LaidOutOnDemand(const QTextBlock& b);
    void LayOut(const QTextBlock& b, int To);
    // (not a pointer to the edit: events come while the edit is destroyed)
    QTextEdit* Edit() const { return qobject_cast<QTextEdit*>(FEdit.data()); }
    QPointer<QObject> FEdit;
    QTimer FNext;
    // a change waits for the loop; the carets it moves move until its end
    bool FChangePending = false, FCaretByChange = false, FRestarting = false;
    // the characters of the next step
    int FStepChars = 200000;
};
// The edit's selection replaced by the document, as one undo step.
void ReplaceSelection(QTextEdit* Edit, const TRtfDocument& d, int dpi);
// The model of the document's characters [from, to).
TRtfDocument DocumentOf(QTextDocument* doc, int from, int to, int dpi, int defaultHalfPoints);
// The model of the characters [from, to) of the paragraph b; a long
// paragraph's part is copied from where it starts, not walked to.
TRtfDocument PartOf(QTextDocument* doc, const QTextBlock& b, int from, int to, int dpi,
                    int defaultHalfPoints);

// Web addresses, as AutoURLDetect marks them.
const QRegularExpression& WebAddressPattern();

}  // namespace richedit_detail

class TRichEditAdapter;

// The toolkit's text edit with the rich edit's own drag data and drops
// (richedit_drag.cpp).
class TRichTextEdit : public QTextEdit {
public:
    using QTextEdit::QTextEdit;
    TRichEditAdapter* Adapter = nullptr;
    // What a drag of the selection carries: text, and the selection's rich
    // text with a mark of this edit.
    QMimeData* DragData() const { return createMimeDataFromSelection(); }

protected:
    QMimeData* createMimeDataFromSelection() const override;
    void dragMoveEvent(QDragMoveEvent* Event) override;
    void dropEvent(QDropEvent* Event) override;
    // A new width lays the text out again on a page of bounded height (the
    // toolkit's edit would lay it out on an unbounded one first).
    void resizeEvent(QResizeEvent* Event) override;
    // What shows keeps its shaped glyphs first.
    void paintEvent(QPaintEvent* Event) override;
};

// The toolkit side of the rich edit: a text edit over its document.
class TRichEditAdapter : public TEditAdapter {
public:
    TRichEditAdapter(TCustomRichEdit* Edit, const TCreateParams& Params) : TEditAdapter(Edit), FRich(Edit) {
        auto* edit = new TQtScrollHost<TRichTextEdit>(Edit, ParentWidgetFor(Params));
        edit->Adapter = this;
        FDragEdit = edit;
        FWidget = edit;
        FWidget->setContextMenuPolicy(Qt::NoContextMenu);
        FWidget->setTabChangesFocus(false);
        FWidget->setAcceptRichText(false);
        FWidget->setAcceptDrops(true);
        FWidget->viewport()->setAcceptDrops(true);
        ApplyFrame(FWidget, Params);
        FWidget->document()->setDocumentMargin(1);
        // Paragraphs read in the control's direction whatever their letters
        // (the toolkit would look for one in every paragraph's text on each change).
        QTextOption option = FWidget->document()->defaultTextOption();
        option.setTextDirection(Edit->UseRightToLeftReading() ? Qt::RightToLeft : Qt::LeftToRight);
        FWidget->document()->setDefaultTextOption(option);
        QObject::connect(FWidget, &QTextEdit::textChanged, [this] {
            if (Silent) return;
            if (FRich->AutoURLDetect()) MarkWebAddresses();
            NotifyChanged();
        });
        QObject::connect(
            FWidget->document(), &QTextDocument::contentsChange, [this](int Pos, int Removed, int Added) {
                MarksChanged(Pos, Removed, Added);
                ++Changes;
                if (FLayoutWatch) FLayoutWatch->Changed();
                // typing, a join, a drop, an undo: a paragraph grown too tall to
                // wrap is wrapped wide before it is laid out (loads see to theirs)
                if (!Silent)
                    richedit_detail::WrapWide(
                        FWidget,
                        richedit_detail::WideWrapWidth(Doc(), Pos, Pos + Added, DefaultHalfPoints(),
                                                       FRich->ScreenPixelsPerInch()),
                        false);
            });
        richedit_detail::GuardLayoutHeight(FWidget->document());
        for (QScrollBar* bar : {FWidget->verticalScrollBar(), FWidget->horizontalScrollBar()})
            QObject::connect(bar, &QScrollBar::rangeChanged, &FAlive, [this] { EnableScrollBars(); });
        // one request per pass of the event loop, after the layout's step
        QObject::connect(Doc()->documentLayout(), &QAbstractTextDocumentLayout::documentSizeChanged, &FAlive,
                         [this](const QSizeF& Size) {
                             ContentSize = Size.height();
                             if (ResizePending) return;
                             ResizePending = true;
                             QTimer::singleShot(0, &FAlive, [this] {
                                 ResizePending = false;
                                 GuardedCall(FRich, [this] { FRich->ContentHeightChanged(); });
                             });
                         });
        QObject::connect(FWidget, &QTextEdit::selectionChanged, [this] { SelectionMoved(); });
        QObject::connect(FWidget, &QTextEdit::cursorPositionChanged, [this] {
            if (FLayoutWatch) FLayoutWatch->CaretMoved();
            SelectionMoved();
        });
        FLayoutWatch = std::make_unique<richedit_detail::TLayoutWatch>(FWidget);
        ApplyWrap();
    }

    ~TRichEditAdapter() override {
        if (FDragEdit) FDragEdit->Adapter = nullptr;
    }

    TCustomRichEdit* Control() const { return FRich; }
    QTextEdit* Edit() const { return FWidget; }
    QTextDocument* Doc() const { return FWidget->document(); }
    QWidget* Widget() const override { return FWidget; }
    QString Text() const override {
        QString t = Doc()->toRawText();
        t.replace(QChar::ParagraphSeparator, QChar('\n'));
        t.replace(QChar::LineSeparator, QChar('\n'));
        return t;
    }
    void SetText(const QString& Value) override {
        Silent = true;
        FWidget->clear();
        richedit_detail::WrapWide(FWidget, WideWrapOf(Value), true);
        QTextCursor c(Doc());
        c.insertText(Value, DefaultCharFormat());
        richedit_detail::KeepLongParagraphsShaped(Doc(), 0, Doc()->characterCount());
        Doc()->clearUndoRedoStacks();
        Doc()->setModified(false);
        Silent = false;
        if (FRich->AutoURLDetect()) MarkWebAddresses();
    }
    int SelStart() const override { return FWidget->textCursor().selectionStart(); }
    int SelLength() const override {
        const QTextCursor c = FWidget->textCursor();
        return c.selectionEnd() - c.selectionStart();
    }
    void SetSelection(int Start, int Length) override {
        QTextCursor c = FWidget->textCursor();
        const int last = std::max(0, Doc()->characterCount() - 1);
        richedit_detail::BusyBeforeCaretAt(Doc(), std::clamp(Length > 0 ? Start + Length : Start, 0, last));
        c.setPosition(std::clamp(Start, 0, last));
        if (Length > 0) c.setPosition(std::clamp(Start + Length, 0, last), QTextCursor::KeepAnchor);
        FWidget->setTextCursor(c);
    }
    void ReplaceSelection(const QString& Value) override {
        QString v = Value;
        v.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        v.replace(QChar('\r'), QChar('\n'));
        // (its first line joins the caret's)
        richedit_detail::WrapWide(FWidget, WideWrapOf(v, FWidget->textCursor().block().length()), false);
        // An edit block of its own: one undo step, never merged with typing
        // or another paste next to it.
        QTextCursor c = FWidget->textCursor();
        c.beginEditBlock();
        c.insertText(v);
        c.endEditBlock();
        FWidget->setTextCursor(c);
    }
    bool Modified() const override { return Doc()->isModified(); }
    void SetModified(bool Value) override { Doc()->setModified(Value); }
    void SetReadOnly(bool Value) override {
        FWidget->setReadOnly(Value);
        if (Value) FWidget->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    }
    void SetLimits(int, TEditCharCase) override {}
    void SetPasswordChar(char32_t) override {}
    void SetFrame(bool) override {}
    void SetAlignment(TAlignment) override {}
    bool CanUndo() const override { return Doc()->isUndoAvailable(); }
    void Undo() override { FWidget->undo(); }
    void ClearUndo() override { Doc()->clearUndoRedoStacks(); }

    // Lines wrap at the window's width.
    bool FollowsWindow() const { return FRich->WordWrap() && FRich->LineWidth() <= 0; }

    // The width a plain text's lines too tall to wrap are wrapped at (0:
    // none), Joined characters of the line it goes into counted with them.
    qreal WideWrapOf(const QString& Value, int Joined = 0) const {
        return richedit_detail::WideWrapWidth(
            richedit_detail::LongestLine(Value) + static_cast<std::size_t>(Joined), DefaultHalfPoints(),
            FRich->ScreenPixelsPerInch());
    }

    // A document with a paragraph too tall to wrap has its lines wrapped at
    // least as wide as it needs, in every mode (one line of it would draw
    // whole at every paint).
    void ApplyWrap() override {
        int fixed = FRich->WordWrap() ? FRich->LineWidth() : 0;
        if (const qreal wide = richedit_detail::WideWrap(Doc()); wide > 0)
            fixed = std::max({fixed, static_cast<int>(std::ceil(wide)),
                              FollowsWindow() ? FWidget->viewport()->width() : 0});
        if (fixed > 0) {
            // the width first: the mode lays out what shows at once
            if (FWidget->lineWrapColumnOrWidth() != fixed) FWidget->setLineWrapColumnOrWidth(fixed);
            FWidget->setLineWrapMode(QTextEdit::FixedPixelWidth);
        } else {
            FWidget->setLineWrapMode(FRich->WordWrap() ? QTextEdit::WidgetWidth : QTextEdit::NoWrap);
        }
        richedit_detail::BoundPage(Doc());
        const TScrollStyle s = FRich->ScrollBars();
        const Qt::ScrollBarPolicy named =
            FRich->HideScrollBars() ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOn;
        FWidget->setVerticalScrollBarPolicy(s == ssVertical || s == ssBoth ? named : Qt::ScrollBarAlwaysOff);
        // lines wider than the window scroll sideways
        FWidget->setHorizontalScrollBarPolicy(s == ssHorizontal || s == ssBoth ? named
                                              : fixed > 0                      ? Qt::ScrollBarAsNeeded
                                                                               : Qt::ScrollBarAlwaysOff);
        EnableScrollBars();
    }

    // A scroll bar shown while the content does not need it is disabled.
    void EnableScrollBars() {
        for (QScrollBar* bar : {FWidget->verticalScrollBar(), FWidget->horizontalScrollBar()})
            bar->setEnabled(FRich->HideScrollBars() || bar->maximum() > bar->minimum());
    }

    // The laid-out content's height in pixels (as far as the layout got:
    // asking the layout would finish it at once).
    int ContentHeight() const { return static_cast<int>(std::ceil(ContentSize)); }
    // The text laid out up to the toolkit's position Pos, when a change ended
    // the toolkit's steps (it then lays out nothing on demand).
    void LayOutTo(int Pos) {
        if (FLayoutWatch) FLayoutWatch->LayOutTo(Pos);
    }
    // The same down to the height Y of the document.
    void LayOutDownTo(qreal Y) {
        if (FLayoutWatch) FLayoutWatch->LayOutDownTo(Y);
    }

    int DefaultHalfPoints() const {
        return TCustomRichEdit::FontHalfPoints(FRich->Font(), FRich->ScreenPixelsPerInch());
    }
    QTextCharFormat DefaultCharFormat() const {
        QTextCharFormat c;
        c.setFontPointSize(DefaultHalfPoints() / 2.0);
        return c;
    }

    // Marks web addresses in the text (shown only: the document keeps no link).
    void MarkWebAddresses() {
        QList<QTextEdit::ExtraSelection> marks;
        if (FRich->AutoURLDetect()) {
            for (QTextBlock b = Doc()->begin(); b.isValid(); b = b.next()) {
                auto it = richedit_detail::WebAddressPattern().globalMatch(b.text());
                while (it.hasNext()) {
                    const auto m = it.next();
                    QTextEdit::ExtraSelection s;
                    s.cursor = QTextCursor(Doc());
                    s.cursor.setPosition(b.position() + static_cast<int>(m.capturedStart()));
                    s.cursor.setPosition(b.position() + static_cast<int>(m.capturedEnd()),
                                         QTextCursor::KeepAnchor);
                    s.format.setFontUnderline(true);
                    s.format.setForeground(QColor(0, 0, 255));
                    marks.append(s);
                }
            }
        }
        FWidget->setExtraSelections(marks);
    }

    // The one effect a drag takes after the control's rule (DragDropEffect);
    // where the rule leaves both, Ctrl copies and otherwise the text moves.
    // deNone for none.
    unsigned DropEffect(bool Drop, Qt::KeyboardModifiers Keys, Qt::DropActions Allowed);
    // Drops the drag's data at the viewport point; answers the action taken.
    Qt::DropAction Drop(const QMimeData* Data, const QPoint& At, Qt::KeyboardModifiers Keys,
                        Qt::DropActions Allowed);

    bool Silent = false;
    bool ResizePending = false;
    qreal ContentSize = 0;
    // Where the last typed character ended (-1: no typing run).
    int TypingEnd = -1;
    int Changes = 0;

    // Byte positions (as SelStart counts them) of the toolkit's positions and
    // back; a long document's through marks that follow its changes.
    int BytePos(int Pos) override;
    int QtPos(int Byte) override;

private:
    // Every few thousand characters, the toolkit's and the byte position.
    struct TPositionMarks {
        int Changes = -1;
        std::vector<int> Pos, Bytes;
    };
    const TPositionMarks& Marks();
    void MarksChanged(int Pos, int Removed, int Added);
    // The text from the toolkit's position From to To.
    QString TextBetween(int From, int To) const;
    TPositionMarks FMarks;

    void SelectionMoved() {
        if (Silent) return;
        GuardedCall(FRich, [this] { FRich->SelectionChange(); });
    }

    TCustomRichEdit* FRich;
    QTextEdit* FWidget;
    QPointer<TRichTextEdit> FDragEdit;
    // what is connected to it ends with the adapter (the widget may outlive it)
    QObject FAlive;
    std::unique_ptr<richedit_detail::TLayoutWatch> FLayoutWatch;
};

namespace richedit_detail {

// A change to the document takes the toolkit long: its layout walks every
// paragraph, and lays the changed one out whole.
inline bool SlowToChange(QTextEdit* Edit) {
    return Edit->document()->characterCount() >= 4 * 1024 * 1024 ||
           Edit->textCursor().block().length() >= 256 * 1024;
}

// Byte positions (as SelStart counts them) and the toolkit's positions.
inline int BytePos(TRichEditAdapter* a, int QtPos) { return a->BytePos(QtPos); }
inline int QtPos(TRichEditAdapter* a, int BytePos) { return a->QtPos(BytePos); }

}  // namespace richedit_detail
