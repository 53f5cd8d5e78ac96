// Typing into the rich edit and its undo steps: a typing run is one step.
#include "platform/ui/richedit.h"

#include "platform/core/text.h"
#include "platform/ui/richedit_qt.h"

using namespace richedit_detail;

bool TCustomRichEdit::CanRedo() { return Rich()->Doc()->isRedoAvailable(); }
void TCustomRichEdit::Redo() {
    if (!ReadOnly()) Rich()->Edit()->redo();
}
void TCustomRichEdit::WMChar(TMessage& Message) {
    if (DoKeyPress(Message)) return;
    switch (Message.WParam) {
    case 3: Perform(WM_COPY, 0, 0); return;
    case 22: Perform(WM_PASTE, 0, 0); return;
    case 24: Perform(WM_CUT, 0, 0); return;
    case 25: Redo(); return;
    case 26: Perform(WM_UNDO, 0, 0); return;
    default: break;
    }
    if (ReadOnly()) return;
    const auto ch = static_cast<char32_t>(Message.WParam);
    if (ch == 9 && !WantTabs()) return;
    if (ch == 13 && !WantReturns()) return;
    // Backspace (Ctrl+Backspace a word) and typed characters over protected text
    if (ch == 8 || ch == 127) {
        if (!MayDelete(false, ch == 127)) return;
    } else if ((ch >= 32 || ch == 9 || ch == 13) && !MayChangeSelection(true)) {
        return;
    }
    if (MaxLength() > 0 && (ch >= 32 || ch == 9 || ch == 13)) {
        // the typing limit counts the text's bytes
        const std::size_t add = ch == 13 ? 1 : Utf8Of(ch).size();
        if (static_cast<int>(Text().size()) - SelLength() + static_cast<int>(add) > MaxLength()) return;
    }
    // A typing run is one undo step: its first character opens an edit block
    // that the next ones join, so that it never joins a paste before it.
    TRichEditAdapter* a = Rich();
    if (a && (SelLength() > 0 || SelStart() != a->TypingEnd)) {
        QTextCursor c = a->Edit()->textCursor();
        c.beginEditBlock();
        DefaultHandler(Message);
        c.endEditBlock();
    } else {
        DefaultHandler(Message);
    }
    if ((a = Rich())) a->TypingEnd = SelStart();
}
