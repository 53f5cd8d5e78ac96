// The rich edit's load path: the document in and out, streams, and the busy
// cursor of a long load.
#include "platform/ui/richedit.h"

#include <climits>
#include <cstdint>

#include "platform/core/streams.h"
#include "platform/ui/application.h"
#include "platform/ui/richedit_qt.h"

using namespace richedit_detail;

TRtfDocument TCustomRichEdit::Document() {
    TRichEditAdapter* a = Rich();
    return DocumentOf(a->Doc(), 0, a->Doc()->characterCount() - 1, FPixelsPerInch, a->DefaultHalfPoints());
}

void TCustomRichEdit::SetDocument(const TRtfDocument& Document) {
    TRichEditAdapter* a = Rich();
    a->Silent = true;
    a->Edit()->clear();
    QTextCursor c(a->Doc());
    c.setCharFormat(a->DefaultCharFormat());
    SetWordBreaks(a->Edit(), Document);
    LoadDocument(c, Document, FPixelsPerInch, a->Edit());
    a->Doc()->clearUndoRedoStacks();
    a->Doc()->setModified(false);
    a->Silent = false;
    a->MarkWebAddresses();
    GuardedCall(this, [this] { Change(); });
}

namespace {

// The busy cursor while a long text loads (the window cannot answer meanwhile).
constexpr std::size_t kBusyLoadBytes = 256 * 1024;

}  // namespace

bool TCustomRichEdit::StreamIn(const std::string& Data, bool Rtf, bool Selection) {
    TRichEditAdapter* a = Rich();
    TCursorScope busy(crHourGlass, Data.size() >= kBusyLoadBytes);
    TRtfDocument d;
    const std::size_t limit = Selection || FLoadLimit == 0 ? SIZE_MAX : FLoadLimit;
    // a control word read at the end of cut data may read differently whole
    constexpr std::size_t kLookahead = 64;
    if (!Selection) FLoadStoppedEarly = false;
    if (Rtf) {
        if (!RtfLooksLikeRtf(Data)) return false;
        const TRtfReadResult res = RtfRead(Data, d, limit);
        if (!res.Ok) return false;
        if (!Selection) FLoadStoppedEarly = res.Stopped && res.Used + kLookahead <= Data.size();
    } else {
        TRtfCharFormat f;
        f.Size = a->DefaultHalfPoints();
        // (RTF that did not read is not cut here: its start may read whole)
        if (!Selection)
            FLoadStoppedEarly =
                limit != SIZE_MAX && limit + kLookahead <= Data.size() && !RtfLooksLikeRtf(Data);
        std::size_t cut = std::min(limit, Data.size());
        while (cut < Data.size() && cut > 0 && (static_cast<unsigned char>(Data[cut]) & 0xC0) == 0x80) --cut;
        d = TRtfDocument::FromPlainText(std::string_view(Data).substr(0, cut), f);
    }
    if (!Selection) {
        SetDocument(d);
        return true;
    }
    a->Silent = true;
    ReplaceSelection(a->Edit(), d, FPixelsPerInch);
    a->Silent = false;
    a->MarkWebAddresses();
    GuardedCall(this, [this] { Change(); });
    return true;
}

std::string TCustomRichEdit::StreamOut(bool Rtf, bool Selection) {
    TRichEditAdapter* a = Rich();
    int from = 0, to = a->Doc()->characterCount() - 1;
    if (Selection) {
        const QTextCursor c = a->Edit()->textCursor();
        from = c.selectionStart();
        to = c.selectionEnd();
    }
    const TRtfDocument d = DocumentOf(a->Doc(), from, to, FPixelsPerInch, a->DefaultHalfPoints());
    return Rtf ? RtfWrite(d) : d.PlainText();
}

bool TCustomRichEdit::LoadFromStream(TStream* Stream) {
    std::string data(static_cast<std::size_t>(std::max<int64_t>(0, Stream->Size() - Stream->Position())),
                     '\0');
    if (!data.empty()) Stream->ReadBuffer(data.data(), static_cast<int64_t>(data.size()));
    return StreamIn(data, !FPlainText, false);
}

void TCustomRichEdit::SaveToStream(TStream* Stream) {
    // the busy cursor while a long text is written out, as while one loads
    TCursorScope busy(crHourGlass,
                      static_cast<std::size_t>(Rich()->Doc()->characterCount()) >= kBusyLoadBytes);
    const std::string data = StreamOut(!FPlainText, false);
    if (!data.empty()) Stream->WriteBuffer(data.data(), static_cast<int64_t>(data.size()));
}
