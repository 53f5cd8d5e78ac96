// The rich-edit control over the toolkit's text document. The document model
// (platform/core/rtf.h) is what goes in and out; formats keep their exact
// twips as user properties beside the toolkit's pixel values.
//
// This source holds the control's window, lines and queries, links and
// events; the load path, formats, typing, clipboard and drawing have their
// own (richedit_*.cpp), the model in the toolkit's document richedit_document.cpp.
#include "platform/ui/richedit.h"

#include <QAbstractTextDocumentLayout>
#include <QScrollBar>

#include "platform/ui/richedit_qt.h"

using namespace richedit_detail;

const QRegularExpression& richedit_detail::WebAddressPattern() {
    static const QRegularExpression re(
        QStringLiteral(R"((?:https?://|ftp://|mailto:|file:|www\.)[^\s<>"\x{2028}\x{FFFC}]+)"),
        QRegularExpression::CaseInsensitiveOption);
    return re;
}

// ---- The control --------------------------------------------------------------------------

int TCustomRichEdit::FontHalfPoints(TFont* Font, int PixelsPerInch) {
    int points = 0;
    if (Font->Height() < 0) {
        points = Font->Size();
    } else {
        const int pixels = ToQFont(Font).pixelSize();
        points = static_cast<int>(std::lround(pixels * 72.0 / (PixelsPerInch > 0 ? PixelsPerInch : 96)));
    }
    // the sizes RTF holds
    return std::clamp(points, 1, 1638) * 2;
}

TCustomRichEdit::TCustomRichEdit(TComponent* AOwner) : TCustomMemo(AOwner) {}

TCustomRichEdit::~TCustomRichEdit() {
    Destroying();
    KeepClipboardOrClear();
    DestroyHandle();
}

std::unique_ptr<TEditAdapter> TCustomRichEdit::CreateAdapter(const TCreateParams& Params) {
    return std::make_unique<TRichEditAdapter>(this, Params);
}

void TCustomRichEdit::CreateWindowHandle(const TCreateParams& Params) {
    TCustomMemo::CreateWindowHandle(Params);
    if (auto* a = dynamic_cast<TRichEditAdapter*>(FAdapter.get())) {
        FPixelsPerInch = a->Edit()->logicalDpiY() > 0 ? a->Edit()->logicalDpiY() : 96;
        if (FSaved) {
            const bool modified = a->Modified();
            a->Silent = true;
            QTextCursor c(a->Doc());
            a->Edit()->clear();
            SetWordBreaks(a->Edit(), *FSaved);
            LoadDocument(c, *FSaved, FPixelsPerInch, a->Edit());
            a->Doc()->clearUndoRedoStacks();
            a->Doc()->setModified(modified);
            a->Silent = false;
            FSaved.reset();
        }
    }
}

void TCustomRichEdit::DestroyWnd() {
    if (FAdapter && !ComponentState().Contains(csDestroying))
        FSaved = std::make_unique<TRtfDocument>(Document());
    TCustomMemo::DestroyWnd();
}

int TCustomRichEdit::DocumentChanges() {
    if (auto* a = dynamic_cast<TRichEditAdapter*>(FAdapter.get())) return a->Changes;
    return 0;
}

TRichEditAdapter* TCustomRichEdit::Rich() {
    HandleNeeded();
    return static_cast<TRichEditAdapter*>(FAdapter.get());
}

bool TCustomRichEdit::LaidOut() {
    // the layout goes from the start: the last paragraph is laid out last
    return !HandleAllocated() || richedit_detail::LaidOut(Rich()->Doc());
}

// ---- Lines and queries

int TCustomRichEdit::LineCount() { return Rich()->Doc()->blockCount(); }

std::string TCustomRichEdit::Line(int Index) {
    const QTextBlock b = Rich()->Doc()->findBlockByNumber(Index);
    if (!b.isValid()) return {};
    QString t = b.text();
    t.replace(QChar::LineSeparator, QChar('\n'));
    return FromQString(t);
}

int TCustomRichEdit::LineIndex(int Index) {
    TRichEditAdapter* a = Rich();
    const QTextBlock b = a->Doc()->findBlockByNumber(Index);
    if (Index < 0 || !b.isValid()) return -1;
    return BytePos(a, b.position());
}

int TCustomRichEdit::LineFromChar(int Pos) {
    TRichEditAdapter* a = Rich();
    const QTextBlock b = a->Doc()->findBlock(QtPos(a, std::max(0, Pos)));
    return b.isValid() ? b.blockNumber() : a->Doc()->blockCount() - 1;
}

unsigned TCustomRichEdit::SelectionType() {
    TRichEditAdapter* a = Rich();
    const QTextCursor c = a->Edit()->textCursor();
    if (!c.hasSelection()) return 0;
    int chars = 0, objects = 0;
    const QString t = a->Text().mid(c.selectionStart(), c.selectionEnd() - c.selectionStart());
    for (QChar ch : t) {
        if (ch == kObjectChar)
            ++objects;
        else
            ++chars;
    }
    unsigned r = 0;
    if (chars) r |= selText;
    if (chars > 1) r |= selMultiChar;
    if (objects) r |= selObject;
    if (objects > 1) r |= selMultiObject;
    return r;
}

namespace {
QPoint DocPoint(QTextEdit* e, const TPoint& P) {
    const QPoint vp = QPoint(P.X, P.Y) - e->viewport()->pos();
    return vp + QPoint(e->horizontalScrollBar()->value(), e->verticalScrollBar()->value());
}
}  // namespace

int TCustomRichEdit::CharFromPos(const TPoint& P) {
    TRichEditAdapter* a = Rich();
    a->LayOutDownTo(DocPoint(a->Edit(), P).y());
    const QPoint vp = QPoint(P.X, P.Y) - a->Edit()->viewport()->pos();
    return BytePos(a, a->Edit()->cursorForPosition(vp).position());
}

TPoint TCustomRichEdit::PosFromChar(int Pos) {
    TRichEditAdapter* a = Rich();
    QTextCursor c(a->Doc());
    const int at = std::clamp(QtPos(a, Pos), 0, a->Doc()->characterCount() - 1);
    a->LayOutTo(at);
    c.setPosition(at);
    const QRect r = a->Edit()->cursorRect(c);
    const QPoint p = r.topLeft() + a->Edit()->viewport()->pos();
    return {p.x(), p.y()};
}

int TCustomRichEdit::FindText(const std::string& Text, int Start, int Length, unsigned Options) {
    TRichEditAdapter* a = Rich();
    const QString all = a->Text();
    const QString what = ToQString(Text);
    if (what.isEmpty()) return -1;
    const int from = std::clamp(QtPos(a, std::max(0, Start)), 0, static_cast<int>(all.size()));
    const int to = Length < 0 ? static_cast<int>(all.size())
                              : std::clamp(QtPos(a, Start + Length), from, static_cast<int>(all.size()));
    const Qt::CaseSensitivity cs = (Options & frMatchCase) ? Qt::CaseSensitive : Qt::CaseInsensitive;
    auto isWord = [](QChar ch) { return ch.isLetterOrNumber() || ch == '_'; };
    auto whole = [&](qsizetype at) {
        if (!(Options & frWholeWord)) return true;
        const qsizetype end = at + what.size();
        return (at == 0 || !isWord(all[at - 1])) && (end >= all.size() || !isWord(all[end]));
    };
    if (Options & frBackward) {
        for (qsizetype at = to - what.size(); at >= from; --at) {
            at = all.lastIndexOf(what, at, cs);
            if (at < from) break;
            if (whole(at)) return BytePos(a, static_cast<int>(at));
        }
        return -1;
    }
    for (qsizetype at = from; at + what.size() <= to; ++at) {
        at = all.indexOf(what, at, cs);
        if (at < 0 || at + what.size() > to) break;
        if (whole(at)) return BytePos(a, static_cast<int>(at));
    }
    return -1;
}
std::string TCustomRichEdit::LinkAt(const TPoint& P) {
    TRichEditAdapter* a = Rich();
    QTextEdit* e = a->Edit();
    const QPointF dp = DocPoint(e, P);
    a->LayOutDownTo(dp.y());
    const int pos = a->Doc()->documentLayout()->hitTest(dp, Qt::ExactHit);
    if (pos < 0) return {};
    const QTextBlock b = a->Doc()->findBlock(pos);
    if (!b.isValid()) return {};
    for (auto it = b.begin(); !it.atEnd(); ++it) {
        const QTextFragment f = it.fragment();
        if (pos >= f.position() && pos < f.position() + f.length()) {
            const QTextCharFormat cf = f.charFormat();
            if (cf.isAnchor() && !cf.anchorHref().isEmpty()) return FromQString(cf.anchorHref());
        }
    }
    if (!FAutoURLDetect) return {};
    auto it = WebAddressPattern().globalMatch(b.text());
    const int inBlock = pos - b.position();
    while (it.hasNext()) {
        const auto m = it.next();
        if (inBlock >= m.capturedStart() && inBlock < m.capturedEnd()) return FromQString(m.captured());
    }
    return {};
}

void TCustomRichEdit::SetLineWidth(int Pixels) {
    Pixels = std::max(0, Pixels);
    if (Pixels == FLineWidth) return;
    FLineWidth = Pixels;
    if (auto* a = dynamic_cast<TRichEditAdapter*>(FAdapter.get())) a->ApplyWrap();
}

void TCustomRichEdit::SetHideScrollBars(bool Value) {
    if (Value == FHideScrollBars) return;
    FHideScrollBars = Value;
    if (auto* a = dynamic_cast<TRichEditAdapter*>(FAdapter.get())) a->ApplyWrap();
}

void TCustomRichEdit::SetAutoURLDetect(bool Value) {
    if (Value == FAutoURLDetect) return;
    FAutoURLDetect = Value;
    if (auto* a = dynamic_cast<TRichEditAdapter*>(FAdapter.get())) a->MarkWebAddresses();
}
// ---- Events and messages

void TCustomRichEdit::Change() {
    if (FEventMask & enmChange) TCustomMemo::Change();
}

void TCustomRichEdit::SelectionChange() {
    if (FEventMask & enmSelChange) FOnSelectionChange(this);
}

void TCustomRichEdit::LinkClick(const std::string& Link) {
    if (FEventMask & enmLink) FOnLinkClick(this, Link);
}

void TCustomRichEdit::RequestSize(const TRect& Rect) {
    if (FEventMask & enmRequestResize) FOnResizeRequest(this, Rect);
}

void TCustomRichEdit::ContentHeightChanged() {
    auto* a = dynamic_cast<TRichEditAdapter*>(FAdapter.get());
    if (!a) return;
    const int height = a->ContentHeight();
    if (height == FRequestedHeight) return;
    FRequestedHeight = height;
    const QRect vp = a->Edit()->viewport()->geometry();
    RequestSize(Rect(vp.left(), vp.top(), vp.left() + vp.width(), vp.top() + height));
}

bool TCustomRichEdit::SaveClipboard(int NumObjects, int NumChars) {
    bool save = true;
    FOnSaveClipboard(this, NumObjects, NumChars, save);
    return save;
}

void TCustomRichEdit::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    if (Button == mbLeft) FArmedLink = HandleAllocated() ? LinkAt({X, Y}) : std::string();
    TCustomMemo::MouseDown(Button, Shift, X, Y);
}

void TCustomRichEdit::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
    TCustomMemo::MouseUp(Button, Shift, X, Y);
    if (Button != mbLeft || FArmedLink.empty()) return;
    const std::string armed = std::move(FArmedLink);
    FArmedLink.clear();
    if (HandleAllocated() && LinkAt({X, Y}) == armed) LinkClick(armed);
}
