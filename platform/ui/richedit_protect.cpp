// Protected text in the rich edit: what the user changes of it goes on only
// when OnProtectChange allows it.
#include "platform/ui/richedit.h"

#include "platform/ui/richedit_qt.h"

using namespace richedit_detail;

namespace {

bool IsProtected(const QTextCharFormat& f) { return f.boolProperty(kProtected); }

// The character at Pos is protected (a paragraph end never is).
bool CharProtected(QTextDocument* doc, int pos) {
    if (pos < 0) return false;
    const QTextBlock b = doc->findBlock(pos);
    if (!b.isValid() || pos >= b.position() + b.length() - 1) return false;
    QTextCursor c(doc);
    c.setPosition(pos + 1);  // (inside the paragraph: the format before it is the character's)
    return IsProtected(c.charFormat());
}

// Some character of [from, to) is protected.
bool RangeProtected(QTextDocument* doc, int from, int to) {
    for (QTextBlock b = doc->findBlock(from); b.isValid() && b.position() < to; b = b.next())
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            const QTextFragment frag = it.fragment();
            if (frag.position() >= to) break;
            if (frag.position() + frag.length() > from && IsProtected(frag.charFormat())) return true;
        }
    return false;
}

}  // namespace

bool TCustomRichEdit::ProtectChange(int StartPos, int EndPos) {
    bool allow = false;
    if (FOnProtectChange) FOnProtectChange(this, StartPos, EndPos, allow);
    return allow;
}

bool TCustomRichEdit::MayChange(int From, int To, bool Insert) {
    TRichEditAdapter* a = FAdapter ? Rich() : nullptr;
    if (!a) return true;
    QTextDocument* doc = a->Doc();
    const bool touches = From < To ? RangeProtected(doc, From, To)
                                   : (CharProtected(doc, From - 1) && CharProtected(doc, From)) ||
                                         (Insert && IsProtected(a->Edit()->currentCharFormat()));
    if (!touches) return true;
    const int start = BytePos(a, From), end = BytePos(a, To);
    bool allow = false;
    GuardedCall(this, [&] { allow = ProtectChange(start, end); });
    // (the handler may have taken the window away)
    return allow && FAdapter;
}

bool TCustomRichEdit::MayChangeSelection(bool Insert) {
    if (!FAdapter) return true;
    const QTextCursor c = Rich()->Edit()->textCursor();
    return MayChange(c.selectionStart(), c.selectionEnd(), Insert && !c.hasSelection());
}

bool TCustomRichEdit::MayDelete(bool Forward, bool Word) {
    if (!FAdapter) return true;
    QTextCursor c = Rich()->Edit()->textCursor();
    if (!c.hasSelection())
        c.movePosition(Forward ? (Word ? QTextCursor::NextWord : QTextCursor::NextCharacter)
                               : (Word ? QTextCursor::PreviousWord : QTextCursor::PreviousCharacter),
                       QTextCursor::KeepAnchor);
    // (nothing to delete at either end)
    return !c.hasSelection() || MayChange(c.selectionStart(), c.selectionEnd(), false);
}

void TCustomRichEdit::WMKeyDown(TMessage& Message) {
    if (DoKeyDown(Message)) return;
    // Shift+Delete cuts (a message of its own); Backspace comes as its character
    if (Message.WParam == VK_DELETE && FAdapter && !ReadOnly()) {
        const TShiftState s = KeyDataToShiftState(Message.LParam);
        if (!s.Contains(ssShift) && !MayDelete(true, s.Contains(ssCtrl))) return;
    }
    DefaultHandler(Message);
}
