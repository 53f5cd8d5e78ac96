// The RTF writer: a document's fonts, colours, paragraphs and runs as RTF.
#include "platform/core/rtf.h"

#include <cstdint>
#include <cstdio>
#include <map>
#include <tuple>

#include "platform/core/rtf_internal.h"
#include "platform/core/text.h"

using namespace rtf_detail;

namespace {

// The code points of a UTF-8 text (invalid bytes read as Windows-1252).
std::u32string Decode(std::string_view s) {
    std::u32string out;
    std::size_t i = 0;
    while (i < s.size()) {
        const auto b = static_cast<unsigned char>(s[i]);
        int len = b < 0x80 ? 1 : (b >> 5) == 6 ? 2 : (b >> 4) == 14 ? 3 : (b >> 3) == 30 ? 4 : 0;
        if (len > 1 && i + static_cast<std::size_t>(len) <= s.size() &&
            IsValidUtf8(s.substr(i, static_cast<std::size_t>(len)))) {
            char32_t cp = b & (0x7F >> len);
            for (int k = 1; k < len; ++k) cp = (cp << 6) | (static_cast<unsigned char>(s[i + k]) & 0x3F);
            out += cp;
            i += static_cast<std::size_t>(len);
            continue;
        }
        if (len == 1) {
            out += b;
        } else {
            const char ch = static_cast<char>(b);
            const std::u32string d = Decode(Cp1252ToUtf8(std::string_view(&ch, 1)));
            out += d;
        }
        ++i;
    }
    return out;
}

// The Windows-1252 byte of a code point, or 0 when it has none.
unsigned char Cp1252Of(char32_t cp) {
    static const std::map<char32_t, unsigned char> table = [] {
        std::map<char32_t, unsigned char> t;
        for (int b = 0x80; b <= 0xFF; ++b) {
            const char ch = static_cast<char>(b);
            const std::u32string d = Decode(Cp1252ToUtf8(std::string_view(&ch, 1)));
            if (d.size() == 1 && !(d[0] >= 0x80 && d[0] < 0xA0 && d[0] != static_cast<char32_t>(b)))
                t[d[0]] = static_cast<unsigned char>(b);
        }
        return t;
    }();
    auto it = table.find(cp);
    return it == table.end() ? 0 : it->second;
}

void WriteText(std::string& out, std::string_view text) {
    char buf[16];
    for (char32_t cp : Decode(text)) {
        if (cp == '\\' || cp == '{' || cp == '}') {
            out += '\\';
            out += static_cast<char>(cp);
        } else if (cp == '\t') {
            out += "\\tab ";
        } else if (cp == '\n') {
            out += "\\line ";
        } else if (cp < 0x20) {
            continue;
        } else if (cp < 0x80) {
            out += static_cast<char>(cp);
        } else if (const unsigned char b = Cp1252Of(cp)) {
            std::snprintf(buf, sizeof buf, "\\'%02x", b);
            out += buf;
        } else if (cp <= 0xFFFF) {
            std::snprintf(buf, sizeof buf, "\\u%d?", static_cast<int>(static_cast<int16_t>(cp)));
            out += buf;
        } else {
            const char32_t v = cp - 0x10000;
            std::snprintf(buf, sizeof buf, "\\u%d?",
                          static_cast<int>(static_cast<int16_t>(0xD800 + (v >> 10))));
            out += buf;
            std::snprintf(buf, sizeof buf, "\\u%d?",
                          static_cast<int>(static_cast<int16_t>(0xDC00 + (v & 0x3FF))));
            out += buf;
        }
    }
}

}  // namespace

// A font name as the table can hold it: no ';', no blanks at either end.
std::string rtf_detail::FontNameOf(std::string_view name) {
    std::string n;
    for (char c : name)
        if (c != ';' && static_cast<unsigned char>(c) >= 0x20) n += c;
    while (!n.empty() && n.back() == ' ') n.pop_back();
    while (!n.empty() && n.front() == ' ') n.erase(0, 1);
    return n;
}

namespace {

struct TFontKey {
    std::string Name;
    int Charset, Pitch;
    bool operator<(const TFontKey& o) const {
        return std::tie(Name, Charset, Pitch) < std::tie(o.Name, o.Charset, o.Pitch);
    }
    bool operator==(const TFontKey&) const = default;
};

class TWriter {
public:
    explicit TWriter(const TRtfDocument& d) : Doc(d) {}

    std::string Run() {
        for (const auto& p : Doc.Paragraphs)
            for (const auto& r : p.Runs) {
                const TRtfCharFormat& f = Doc.FormatOf(r);
                if (!f.FontName.empty()) FontIndex({f.FontName, f.Charset, f.Pitch});
                if (f.Color != kRtfNoColor) ColorIndex(f.Color);
                if (f.BackColor != kRtfNoColor) ColorIndex(f.BackColor);
            }
        std::string out = "{\\rtf1\\ansi\\ansicpg1252";
        if (!Fonts.empty()) {
            out += "{\\fonttbl";
            for (std::size_t i = 0; i < Fonts.size(); ++i) {
                out += "{\\f" + std::to_string(i) + "\\fnil";
                if (Fonts[i].Charset) out += "\\fcharset" + std::to_string(Fonts[i].Charset);
                if (Fonts[i].Pitch) out += "\\fprq" + std::to_string(Fonts[i].Pitch);
                out += ' ';
                std::string name;
                WriteText(name, FontNameOf(Fonts[i].Name));
                out += name + ";}";
            }
            out += "}";
        }
        if (!Colors.empty()) {
            out += "\n{\\colortbl ;";
            for (int c : Colors)
                out += "\\red" + std::to_string(c & 0xFF) + "\\green" + std::to_string((c >> 8) & 0xFF) +
                       "\\blue" + std::to_string((c >> 16) & 0xFF) + ";";
            out += "}";
        }
        out += "\n\\uc1";
        for (const auto& p : Doc.Paragraphs) {
            WritePara(out, p.Format);
            std::size_t i = 0;
            while (i < p.Runs.size()) {
                const std::string& link = Doc.FormatOf(p.Runs[i]).Link;
                if (link.empty()) {
                    WriteRun(out, p.Runs[i++]);
                    continue;
                }
                out += "{\\field{\\*\\fldinst{HYPERLINK \"";
                std::string target;
                for (char c : link)
                    if (c != '"' && static_cast<unsigned char>(c) >= 0x20) target += c;
                WriteText(out, target);
                out += "\"}}{\\fldrslt";
                while (i < p.Runs.size() && Doc.FormatOf(p.Runs[i]).Link == link) WriteRun(out, p.Runs[i++]);
                out += "}}";
            }
            out += "\\par\n";
        }
        out += "}\n";
        return out;
    }

private:
    void WritePara(std::string& out, const TRtfParaFormat& f) {
        out += "\\pard";
        switch (f.Alignment) {
        case TRtfAlign::Left: break;
        case TRtfAlign::Right: out += "\\qr"; break;
        case TRtfAlign::Center: out += "\\qc"; break;
        case TRtfAlign::Justify: out += "\\qj"; break;
        }
        auto num = [&out](const char* w, int v) {
            if (v) out += std::string("\\") + w + std::to_string(v);
        };
        num("fi", f.FirstIndent);
        num("li", f.LeftIndent);
        num("ri", f.RightIndent);
        num("sb", f.SpaceBefore);
        num("sa", f.SpaceAfter);
        num("sl", f.LineSpacing);
        if (f.LineSpacingMultiple) out += "\\slmult1";
        for (const TRtfTab& t : f.Tabs) {
            switch (t.Alignment) {
            case TRtfTabAlign::Left: break;
            case TRtfTabAlign::Center: out += "\\tqc"; break;
            case TRtfTabAlign::Right: out += "\\tqr"; break;
            case TRtfTabAlign::Decimal: out += "\\tqdec"; break;
            }
            out += "\\tx" + std::to_string(t.Position);
        }
        if (f.Bullet) out += "{\\*\\pn\\pnlvlblt{\\pntxtb\\'b7}}";
    }

    void WriteRun(std::string& out, const TRtfRun& r) {
        const TRtfCharFormat& f = Doc.FormatOf(r);
        out += '{';
        bool any = false;
        auto word = [&](const std::string& w) {
            out += '\\';
            out += w;
            any = true;
        };
        if (!f.FontName.empty()) word("f" + std::to_string(FontIndex({f.FontName, f.Charset, f.Pitch})));
        if (f.Size != 24) word("fs" + std::to_string(f.Size));
        if (f.Bold) word("b");
        if (f.Italic) word("i");
        if (f.Underline) word("ul");
        if (f.StrikeOut) word("strike");
        if (f.Protected) word("protect");
        if (f.Offset > 0) word("up" + std::to_string(f.Offset));
        if (f.Offset < 0) word("dn" + std::to_string(-f.Offset));
        if (f.Color != kRtfNoColor) word("cf" + std::to_string(ColorIndex(f.Color)));
        if (f.BackColor != kRtfNoColor) word("highlight" + std::to_string(ColorIndex(f.BackColor)));
        if (r.IsRaw()) {
            out += r.Raw;
        } else {
            if (any) out += ' ';
            WriteText(out, r.Text);
        }
        out += '}';
    }

    int FontIndex(const TFontKey& k) {
        for (std::size_t i = 0; i < Fonts.size(); ++i)
            if (Fonts[i] == k) return static_cast<int>(i);
        Fonts.push_back(k);
        return static_cast<int>(Fonts.size()) - 1;
    }
    int ColorIndex(int c) {
        for (std::size_t i = 0; i < Colors.size(); ++i)
            if (Colors[i] == c) return static_cast<int>(i) + 1;
        Colors.push_back(c);
        return static_cast<int>(Colors.size());
    }

    const TRtfDocument& Doc;
    std::vector<TFontKey> Fonts;
    std::vector<int> Colors;
};

}  // namespace

std::string RtfWrite(const TRtfDocument& Document) { return TWriter(Document).Run(); }
