// The rich edit and the clipboard: copy and cut as text and "Rich Text
// Format", paste of either within MaxLength.
#include "platform/ui/richedit.h"

#include <functional>

#include "platform/core/text.h"
#include "platform/ui/clipboard.h"
#include "platform/ui/richedit_qt.h"

using namespace richedit_detail;

namespace {

// Cuts the document to the bytes its text takes in the control.
void CutDocument(TRtfDocument& d, std::size_t room) {
    std::size_t used = 0;
    for (std::size_t i = 0; i < d.Paragraphs.size(); ++i) {
        if (i > 0) {
            if (used + 1 > room) {
                d.Paragraphs.resize(i);
                return;
            }
            ++used;
        }
        auto& runs = d.Paragraphs[i].Runs;
        for (std::size_t k = 0; k < runs.size(); ++k) {
            const std::size_t size = runs[k].IsRaw() ? 3 : runs[k].Text.size();
            if (used + size <= room) {
                used += size;
                continue;
            }
            if (!runs[k].IsRaw()) {
                runs[k].Text = Utf8Truncate(runs[k].Text, room - used);
                ++k;
            }
            runs.resize(k);
            d.Paragraphs.resize(i + 1);
            d.Normalize();
            return;
        }
    }
}

}  // namespace

unsigned CF_RTF() {
    static const unsigned format = RegisterClipboardFormat("Rich Text Format");
    return format;
}
void TCustomRichEdit::PasteFromClipboardRich() {
    if (ReadOnly() || !MayChangeSelection(true)) return;
    TRichEditAdapter* a = Rich();
    const std::map<unsigned, std::string> data = ClipboardService().GetData();
    // A text loaded beyond the limit leaves no room, never an unlimited one.
    const int room =
        MaxLength() > 0 ? std::max(0, MaxLength() - static_cast<int>(Text().size()) + SelLength()) : -1;
    if (auto it = data.find(CF_RTF()); it != data.end()) {
        TRtfDocument d;
        if (RtfLooksLikeRtf(it->second) && RtfRead(it->second, d).Ok) {
            if (room >= 0) CutDocument(d, static_cast<std::size_t>(room));
            ReplaceSelection(a->Edit(), d, FPixelsPerInch);
            return;
        }
    }
    auto text = data.find(CF_TEXT);
    if (text == data.end()) return;
    // Stray bytes are read as single characters before the cut, as the
    // window would otherwise grow each to a replacement character.
    std::string t = EnsureUtf8(text->second);
    if (room >= 0) t = Utf8Truncate(t, static_cast<std::size_t>(std::max(0, room)));
    a->ReplaceSelection(ToQString(t));
}

void TCustomRichEdit::KeepClipboardOrClear() {
    if (!FCopied) return;
    const TCopied copied = *FCopied;
    FCopied.reset();
    // only while the clipboard still holds the control's copy
    const std::map<unsigned, std::string> data = ClipboardService().GetData();
    const auto text = data.find(CF_TEXT), rtf = data.find(CF_RTF());
    if (text == data.end() || rtf == data.end() || std::hash<std::string>{}(text->second) != copied.Text ||
        std::hash<std::string>{}(rtf->second) != copied.Rtf)
        return;
    bool save = true;
    GuardedCall(this, [&] { save = SaveClipboard(copied.Objects, copied.Chars); });
    if (!save) Clipboard()->Clear();
}

void TCustomRichEdit::Dispatch(TMessage& Message) {
    // a change where the toolkit's layout takes long shows the busy cursor
    const bool changes =
        Message.Msg == WM_CHAR || Message.Msg == WM_CUT || Message.Msg == WM_PASTE ||
        Message.Msg == WM_UNDO || Message.Msg == WM_CLEAR ||
        (Message.Msg == WM_KEYDOWN && (Message.WParam == VK_DELETE || Message.WParam == VK_BACK));
    TCursorScope busy(crHourGlass, changes && FAdapter && SlowToChange(Rich()->Edit()));
    switch (Message.Msg) {
    case WM_COPY:
    case WM_CUT:
        // a cut refused leaves the clipboard as it was too
        if (Message.Msg == WM_CUT && SelLength() > 0 && !ReadOnly() && !MayChangeSelection(false)) return;
        if (SelLength() > 0 && FAdapter) {
            const std::string text = StreamOut(false, true), rtf = StreamOut(true, true);
            Clipboard()->Open();
            Clipboard()->SetAsText(text);
            Clipboard()->SetFormatData(CF_RTF(), rtf);
            Clipboard()->Close();
            TCopied copied{std::hash<std::string>{}(text), std::hash<std::string>{}(rtf)};
            const QTextCursor c = Rich()->Edit()->textCursor();
            for (QChar ch : Rich()->Text().mid(c.selectionStart(), c.selectionEnd() - c.selectionStart()))
                if (ch == kObjectChar)
                    ++copied.Objects;
                else if (!ch.isLowSurrogate())
                    ++copied.Chars;
            FCopied = copied;
            if (Message.Msg == WM_CUT && !ReadOnly()) Rich()->ReplaceSelection(QString());
        }
        return;
    case WM_PASTE: PasteFromClipboardRich(); return;
    case WM_CLEAR:
        if (SelLength() > 0 && !ReadOnly() && !MayChangeSelection(false)) return;
        break;
    default: break;
    }
    TCustomMemo::Dispatch(Message);
}
