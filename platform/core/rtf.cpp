// The rich-text document model: its format table, plain text and stored data blocks.
#include "platform/core/rtf.h"

#include <algorithm>
#include <climits>
#include <cstdint>

#include "platform/core/text.h"

std::string TRtfDocument::PlainText() const {
    std::string out;
    for (std::size_t i = 0; i < Paragraphs.size(); ++i) {
        if (i) out += "\r\n";
        for (const TRtfRun& r : Paragraphs[i].Runs)
            for (char c : r.Text) {
                if (c == '\n')
                    out += "\r\n";
                else
                    out += c;
            }
    }
    return out;
}

TRtfDocument TRtfDocument::FromPlainText(std::string_view Text, const TRtfCharFormat& Format) {
    TRtfDocument d;
    std::string line;
    const std::uint32_t format = d.FormatIndex(Format);
    auto flush = [&] {
        TRtfParagraph p;
        if (!line.empty()) p.Runs.push_back(TRtfRun{line, {}, format});
        d.Paragraphs.push_back(std::move(p));
        line.clear();
    };
    for (std::size_t i = 0; i < Text.size(); ++i) {
        const char c = Text[i];
        if (c == '\r' || c == '\n') {
            if (c == '\r' && i + 1 < Text.size() && Text[i + 1] == '\n') ++i;
            flush();
        } else if (static_cast<unsigned char>(c) >= 0x20 || c == '\t') {
            line += c;
        }
    }
    // a text ending in a line break ends with an empty line
    if (!Text.empty()) flush();
    for (auto& p : d.Paragraphs)
        for (auto& r : p.Runs) r.Text = EnsureUtf8(r.Text);
    return d;
}

void TRtfDocument::Normalize() {
    // in place: a long paragraph is not copied
    for (auto& p : Paragraphs) {
        std::size_t kept = 0;
        for (std::size_t i = 0; i < p.Runs.size(); ++i) {
            TRtfRun& r = p.Runs[i];
            if (!r.IsRaw() && r.Text.empty()) continue;
            if (kept > 0) {
                TRtfRun& last = p.Runs[kept - 1];
                if (!r.IsRaw() && !last.IsRaw() &&
                    (last.Format == r.Format || FormatOf(last) == FormatOf(r))) {
                    last.Text += r.Text;
                    continue;
                }
            }
            if (kept != i) p.Runs[kept] = std::move(r);
            ++kept;
        }
        p.Runs.resize(kept);
    }
}

namespace {

std::size_t HashOf(const TRtfCharFormat& f) {
    std::size_t h = std::hash<std::string>()(f.FontName);
    auto mix = [&h](std::size_t v) { h ^= v + 0x9e3779b97f4a7c15ULL + (h << 6) + (h >> 2); };
    mix(std::hash<std::string>()(f.Link));
    mix(static_cast<std::size_t>(f.Charset));
    mix(static_cast<std::size_t>(f.Pitch));
    mix(static_cast<std::size_t>(f.Size));
    mix(static_cast<std::size_t>(f.Bold | f.Italic << 1 | f.Underline << 2 | f.StrikeOut << 3 |
                                 f.Protected << 4));
    mix(static_cast<std::size_t>(f.Offset));
    mix(static_cast<std::size_t>(f.Color));
    mix(static_cast<std::size_t>(f.BackColor));
    return h;
}

}  // namespace

const TRtfCharFormat& TRtfDocument::Default() {
    static const TRtfCharFormat d;
    return d;
}

std::uint32_t TRtfDocument::FormatIndex(const TRtfCharFormat& Format) {
    if (Formats.empty()) Formats.emplace_back();
    if (FFormatLookup.size() != Formats.size()) {
        // the table was copied or set by hand: the lookup made again
        FFormatLookup.clear();
        for (std::size_t i = 0; i < Formats.size(); ++i)
            FFormatLookup.emplace(HashOf(Formats[i]), static_cast<std::uint32_t>(i));
    }
    const std::size_t h = HashOf(Format);
    const auto [from, to] = FFormatLookup.equal_range(h);
    std::uint32_t found = UINT32_MAX;
    for (auto it = from; it != to; ++it)
        if (Formats[it->second] == Format) found = std::min(found, it->second);
    if (found != UINT32_MAX) return found;
    const auto index = static_cast<std::uint32_t>(Formats.size());
    Formats.push_back(Format);
    FFormatLookup.emplace(h, index);
    return index;
}

bool TRtfDocument::operator==(const TRtfDocument& Other) const {
    if (Paragraphs.size() != Other.Paragraphs.size()) return false;
    for (std::size_t i = 0; i < Paragraphs.size(); ++i) {
        const TRtfParagraph& a = Paragraphs[i];
        const TRtfParagraph& b = Other.Paragraphs[i];
        if (!(a.Format == b.Format) || a.Runs.size() != b.Runs.size()) return false;
        for (std::size_t k = 0; k < a.Runs.size(); ++k)
            if (a.Runs[k].Text != b.Runs[k].Text || a.Runs[k].Raw != b.Runs[k].Raw ||
                !(FormatOf(a.Runs[k]) == Other.FormatOf(b.Runs[k])))
                return false;
    }
    return true;
}

bool RtfReadDataBlock(std::string_view Bytes, std::size_t& Pos, std::string& Data) {
    Data.clear();
    if (Pos > Bytes.size() || Bytes.size() - Pos < 4) {
        Pos = Bytes.size();
        return false;
    }
    uint32_t n = 0;
    for (int i = 3; i >= 0; --i)
        n = (n << 8) | static_cast<unsigned char>(Bytes[Pos + static_cast<std::size_t>(i)]);
    Pos += 4;
    const std::size_t left = Bytes.size() - Pos;
    const std::size_t take = std::min<std::size_t>(n, left);
    Data.assign(Bytes.substr(Pos, take));
    Pos += take;
    return take == n;
}

std::string RtfWriteDataBlock(std::string_view Data) {
    std::string out;
    const auto n = static_cast<uint32_t>(Data.size());
    for (int i = 0; i < 4; ++i) out += static_cast<char>((n >> (8 * i)) & 0xFF);
    out.append(Data);
    return out;
}
