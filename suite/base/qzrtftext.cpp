#include "suite/base/qzrtftext.h"

#include <array>
#include <cstdint>
#include <vector>

#include "platform/core/text.h"

namespace {

struct TGroupState {
    bool Skip = false;    // inside an ignored destination
    int UnicodeSkip = 1;  // \ucN: fallback characters after \uN
};

bool IsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

bool IsIgnoredDestination(std::string_view w) {
    static constexpr std::array<std::string_view, 30> kNames = {"fonttbl",
                                                                "colortbl",
                                                                "stylesheet",
                                                                "info",
                                                                "pict",
                                                                "object",
                                                                "header",
                                                                "headerl",
                                                                "headerr",
                                                                "headerf",
                                                                "footer",
                                                                "footerl",
                                                                "footerr",
                                                                "footerf",
                                                                "footnote",
                                                                "fldinst",
                                                                "listtable",
                                                                "listoverridetable",
                                                                "rsidtbl",
                                                                "generator",
                                                                "xmlnsdecl",
                                                                "themedata",
                                                                "colorschememapping",
                                                                "latentstyles",
                                                                "datastore",
                                                                "filetbl",
                                                                "revtbl",
                                                                "bkmkstart",
                                                                "bkmkend",
                                                                "nonshppict"};
    for (std::string_view n : kNames)
        if (w == n) return true;
    return false;
}

char32_t NamedCharacter(std::string_view w) {
    if (w == "emdash") return 0x2014;
    if (w == "endash") return 0x2013;
    if (w == "bullet") return 0x2022;
    if (w == "lquote") return 0x2018;
    if (w == "rquote") return 0x2019;
    if (w == "ldblquote") return 0x201C;
    if (w == "rdblquote") return 0x201D;
    if (w == "emspace") return 0x2003;
    if (w == "enspace") return 0x2002;
    return 0;
}

class TRtfReader {
public:
    explicit TRtfReader(std::string_view rtf) : S(rtf) {}

    std::string Run() {
        Groups.push_back(TGroupState{});
        while (P < S.size()) {
            const char c = S[P];
            if (c == '{') {
                ++P;
                Groups.push_back(Groups.back());
                PendingSkip = 0;
            } else if (c == '}') {
                ++P;
                if (Groups.size() > 1) Groups.pop_back();
                PendingSkip = 0;
            } else if (c == '\\') {
                ControlWord();
            } else if (c == '\r' || c == '\n') {
                ++P;
            } else {
                ++P;
                Byte(static_cast<unsigned char>(c));
            }
        }
        FlushSurrogate();
        // the paragraph mark that ends the document shows no line break
        if (EndsWithPar && Out.size() >= 2 && Out.compare(Out.size() - 2, 2, "\r\n") == 0)
            Out.resize(Out.size() - 2);
        return Out;
    }

private:
    TGroupState& Top() { return Groups.back(); }

    // A character from the source or a \'hh escape: the fallback text of \uN
    // is dropped here.
    void Byte(unsigned char b) {
        if (PendingSkip > 0) {
            --PendingSkip;
            return;
        }
        if (b < 0x80) {
            Emit(b);
            return;
        }
        const char ch = static_cast<char>(b);
        std::string utf8 = Cp1252ToUtf8(std::string_view(&ch, 1));
        if (!Top().Skip) {
            FlushSurrogate();
            Out += utf8;
            EndsWithPar = false;
        }
    }

    void Emit(char32_t cp) {
        if (Top().Skip) return;
        FlushSurrogate();
        AppendUtf8(Out, cp);
        EndsWithPar = false;
    }

    void EmitText(const char* text) {
        if (Top().Skip) return;
        FlushSurrogate();
        Out += text;
    }

    void FlushSurrogate() {
        if (HighSurrogate) {
            AppendUtf8(Out, 0xFFFD);
            HighSurrogate = 0;
        }
    }

    void Unicode(long value) {
        if (value < 0) value += 65536;
        if (value < 0 || value > 0xFFFF) value = 0xFFFD;
        const auto cp = static_cast<char32_t>(value);
        PendingSkip = Top().UnicodeSkip;
        if (Top().Skip) return;
        if (cp >= 0xD800 && cp <= 0xDBFF) {
            FlushSurrogate();
            HighSurrogate = cp;
            return;
        }
        if (cp >= 0xDC00 && cp <= 0xDFFF) {
            if (HighSurrogate) {
                const char32_t full = 0x10000 + ((HighSurrogate - 0xD800) << 10) + (cp - 0xDC00);
                HighSurrogate = 0;
                AppendUtf8(Out, full);
            } else {
                AppendUtf8(Out, 0xFFFD);
            }
            EndsWithPar = false;
            return;
        }
        Emit(cp);
    }

    void ControlWord() {
        ++P;  // the backslash
        if (P >= S.size()) return;
        const char c = S[P];
        if (!IsLetter(c)) {
            ++P;
            switch (c) {
            case '\\':
            case '{':
            case '}': Byte(static_cast<unsigned char>(c)); break;
            case '~': ConsumeOr(0x00A0); break;
            case '_': ConsumeOr(0x2011); break;
            case '-': break;  // optional hyphen
            case '*': Top().Skip = true; break;
            case '\r':
            case '\n': Paragraph(); break;
            case '\'': {
                int hi = P < S.size() ? HexValue(S[P]) : -1;
                int lo = P + 1 < S.size() ? HexValue(S[P + 1]) : -1;
                if (hi >= 0 && lo >= 0) {
                    P += 2;
                    Byte(static_cast<unsigned char>(hi * 16 + lo));
                }
                break;
            }
            default: break;
            }
            return;
        }
        const size_t start = P;
        while (P < S.size() && IsLetter(S[P]) && P - start < 32) ++P;
        while (P < S.size() && IsLetter(S[P])) ++P;  // overlong words are cut
        const std::string_view word = S.substr(start, std::min<size_t>(P - start, 32));
        bool hasParam = false;
        bool negative = false;
        long param = 0;
        if (P < S.size() && S[P] == '-' && P + 1 < S.size() && IsDigit(S[P + 1])) {
            negative = true;
            ++P;
        }
        while (P < S.size() && IsDigit(S[P])) {
            hasParam = true;
            if (param < 100000000) param = param * 10 + (S[P] - '0');
            ++P;
        }
        if (negative) param = -param;
        if (P < S.size() && S[P] == ' ') ++P;  // the delimiting blank belongs to the word
        Word(word, hasParam, param);
    }

    // A control symbol that stands for a character: it also counts as a
    // fallback character of \uN.
    void ConsumeOr(char32_t cp) {
        if (PendingSkip > 0) {
            --PendingSkip;
            return;
        }
        Emit(cp);
    }

    void Paragraph() {
        PendingSkip = 0;
        if (Top().Skip) return;
        EmitText("\r\n");
        EndsWithPar = true;
    }

    void Word(std::string_view w, bool hasParam, long param) {
        if (w == "u" && hasParam) {
            Unicode(param);
            return;
        }
        if (w == "uc" && hasParam) {
            Top().UnicodeSkip = param < 0 ? 0 : (param > 16 ? 16 : static_cast<int>(param));
            return;
        }
        if (PendingSkip > 0) {  // a control word in the fallback counts as one character
            --PendingSkip;
            return;
        }
        if (w == "par" || w == "line" || w == "sect" || w == "row") {
            Paragraph();
            return;
        }
        if (w == "tab" || w == "cell") {
            Emit('\t');
            return;
        }
        if (const char32_t cp = NamedCharacter(w)) {
            Emit(cp);
            return;
        }
        if (IsIgnoredDestination(w)) Top().Skip = true;
    }

    std::string_view S;
    size_t P = 0;
    std::vector<TGroupState> Groups;
    std::string Out;
    int PendingSkip = 0;
    char32_t HighSurrogate = 0;
    bool EndsWithPar = false;
};

}  // namespace

bool qzLooksLikeRichText(std::string_view Text) { return Text.substr(0, 5) == "{\\rtf"; }

std::string qzRtfToPlainText(std::string_view Rtf) {
    if (!qzLooksLikeRichText(Rtf)) return std::string(Rtf);
    return TRtfReader(Rtf).Run();
}
