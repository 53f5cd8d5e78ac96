// The RTF reader: control words, groups and destinations into the document.
#include "platform/core/rtf.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cstdint>
#include <map>
#include <optional>

#include "platform/core/rtf_internal.h"
#include "platform/core/rtf_words.h"
#include "platform/core/text.h"

using namespace rtf_detail;

namespace {

constexpr std::size_t kMaxDepth = 512;       // deeper groups share the state of this level
constexpr std::size_t kMaxTableSize = 4096;  // font and colour table entries kept
constexpr std::size_t kMaxTabs = 64;

int Clamp(long v, int lo, int hi) { return static_cast<int>(std::clamp<long>(v, lo, hi)); }

enum class TDest { Text, Skip, FontTable, ColorTable, FieldInst, Pn };

struct TFontEntry {
    std::string Name;
    int Charset = 0;
    int Pitch = 0;
    int Family = 0;
};

struct TState {
    TDest Dest = TDest::Text;
    int UnicodeSkip = 1;
    std::size_t GroupStart = 0;
    bool Fresh = true;  // only control words so far in this group
    int Font = -1;
    int Size = 24;
    bool Bold = false, Italic = false, Underline = false, StrikeOut = false, Protected = false;
    int Offset = 0;
    int ColorIndex = -1;
    int BackIndex = -1;
    int Field = -1;  // the field this group belongs to
    bool InResult = false;
    TRtfParaFormat Para;
};

std::string LinkTarget(std::string_view inst) {
    std::size_t p = inst.find_first_not_of(" \t\r\n");
    if (p == std::string_view::npos) return {};
    inst.remove_prefix(p);
    constexpr std::string_view kWord = "HYPERLINK";
    if (inst.size() < kWord.size()) return {};
    for (std::size_t i = 0; i < kWord.size(); ++i)
        if ((inst[i] & ~0x20) != kWord[i]) return {};
    inst.remove_prefix(kWord.size());
    p = inst.find_first_not_of(" \t\r\n");
    if (p == std::string_view::npos) return {};
    inst.remove_prefix(p);
    if (inst.front() == '"') {
        const std::size_t end = inst.find('"', 1);
        return std::string(inst.substr(1, end == std::string_view::npos ? end : end - 1));
    }
    return std::string(inst.substr(0, inst.find_first_of(" \t\r\n")));
}

// The target of a HYPERLINK field instruction, without control characters and quotes.
std::string LinkOfInstruction(std::string_view inst) {
    std::string t = LinkTarget(inst);
    std::erase_if(t, [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == '"'; });
    return t;
}

class TReader {
public:
    TReader(std::string_view s, TRtfDocument* doc, std::size_t limit = SIZE_MAX)
        : S(s), Doc(doc), Limit(limit) {}

    TRtfReadResult Run() {
        Groups.push_back(TState{});
        while (P < S.size() && Result.Ok && Taken < Limit) {
            const char c = S[P];
            if (c == '{') {
                OpenGroup();
            } else if (c == '}') {
                ++P;
                CloseGroup();
            } else if (c == '\\') {
                ControlWord();
            } else if (c == '\r' || c == '\n') {
                ++P;
            } else {
                ++P;
                Top().Fresh = false;
                Byte(static_cast<unsigned char>(c));
            }
        }
        FlushSurrogate();
        if (Doc && !Current.Runs.empty()) {
            Current.Format = LastTextPara;
            Doc->Paragraphs.push_back(std::move(Current));
        }
        // the paragraph mark that ends the document shows no line break
        for (; !Doc && PendingBreaks > 1; --PendingBreaks) PlainText += "\r\n";
        Result.Stopped = Taken >= Limit && P < S.size();
        Result.Used = std::min(P, S.size());
        return Result;
    }

    std::string PlainText;  // built alongside when Doc is null

private:
    TState& Top() { return Groups.back(); }

    void OpenGroup() {
        const std::size_t start = P;
        ++P;
        if (Groups.size() >= kMaxDepth) {
            ++Overflow;
            return;
        }
        Groups.back().Fresh = false;
        Groups.push_back(Groups.back());
        Top().GroupStart = start;
        Top().Fresh = true;
        PendingSkip = 0;
    }

    void CloseGroup() {
        PendingSkip = 0;
        if (Overflow > 0) {
            --Overflow;
            if (Overflow < SkipOverflow) {
                SkipOverflow = 0;
                if (OverflowRestoreDest) Top().Dest = *OverflowRestoreDest;
                OverflowRestoreDest.reset();
            }
            return;
        }
        if (Groups.size() <= 1) return;
        const TState closing = Groups.back();
        Groups.pop_back();
        if (closing.Dest == TDest::FontTable && (Top().Dest != TDest::FontTable || !FontName.empty()))
            CommitFont();
    }

    // A destination inside groups past the depth limit skips until its group closes.
    void SetDest(TDest d) {
        if (Overflow > 0) {
            if (d == TDest::Skip && SkipOverflow == 0) {
                SkipOverflow = Overflow;
                OverflowRestoreDest = Top().Dest;
            }
            if (d != TDest::Skip) return;
        }
        Top().Dest = d;
    }

    void Fail(const char* why) {
        Result.Ok = false;
        Result.Error = why;
    }

    // ---- text
    void Byte(unsigned char b) {
        if (PendingSkip > 0) {
            --PendingSkip;
            return;
        }
        switch (Top().Dest) {
        case TDest::Skip:
        case TDest::Pn: return;
        case TDest::FontTable:
            if (b == ';')
                CommitFont();
            else if (b >= 0x20)
                FontName += Cp1252ToUtf8(std::string_view(reinterpret_cast<const char*>(&b), 1));
            return;
        case TDest::ColorTable:
            if (b == ';') CommitColor();
            return;
        case TDest::FieldInst:
            if (b >= 0x20) Sink(Cp1252ToUtf8(std::string_view(reinterpret_cast<const char*>(&b), 1)));
            return;
        case TDest::Text: break;
        }
        if (b < 0x20 && b != '\t') return;
        if (b < 0x80) {
            Emit(b);
            return;
        }
        const char ch = static_cast<char>(b);
        EmitUtf8(Cp1252ToUtf8(std::string_view(&ch, 1)));
    }

    bool TextDest() const { return Groups.back().Dest == TDest::Text; }

    void Emit(char32_t cp) {
        if (!TextDest()) return;
        std::string s;
        AppendUtf8(s, cp);
        EmitUtf8(s);
    }

    void EmitUtf8(const std::string& s) {
        if (!TextDest()) return;
        FlushSurrogate();
        AppendText(s);
    }

    void AppendText(const std::string& s) {
        LastTextPara = ParaOf(Top());
        if (!Doc) {
            FlushBreaks();
            PlainText += s;
            return;
        }
        Taken += s.size();
        const std::uint32_t f = FormatIndexOf(Top());
        if (!Current.Runs.empty() && !Current.Runs.back().IsRaw() && Current.Runs.back().Format == f) {
            Current.Runs.back().Text += s;
            return;
        }
        TRtfRun r;
        r.Text = s;
        r.Format = f;
        Current.Runs.push_back(std::move(r));
    }

    // What decides a state's character format, with the tables it reads.
    struct TFormatKey {
        int Font, Size;
        bool Bold, Italic, Underline, StrikeOut, Protected, InResult;
        int Offset, ColorIndex, BackIndex, Field;
        std::uint64_t Tables;
        bool operator==(const TFormatKey&) const = default;
    };

    TFormatKey KeyOf(const TState& st) const {
        return {st.Font,     st.Size,   st.Bold,       st.Italic,    st.Underline, st.StrikeOut, st.Protected,
                st.InResult, st.Offset, st.ColorIndex, st.BackIndex, st.Field,     TablesVersion};
    }

    // The document's index of the state's format: made again only when the
    // state or the tables changed since the last text.
    std::uint32_t FormatIndexOf(const TState& st) {
        const TFormatKey k = KeyOf(st);
        if (!HaveLastKey || !(k == LastKey)) {
            LastKey = k;
            HaveLastKey = true;
            LastIndex = Doc->FormatIndex(FormatOf(st));
        }
        return LastIndex;
    }

    void FlushBreaks() {
        for (; PendingBreaks > 0; --PendingBreaks) PlainText += "\r\n";
    }

    void FlushSurrogate() {
        if (HighSurrogate) {
            HighSurrogate = 0;
            Sink(Utf8Of(0xFFFD));
        }
    }

    TRtfParaFormat ParaOf(const TState& st) const {
        TRtfParaFormat p = st.Para;
        p.Bullet = p.Bullet || PnBullet;
        return p;
    }

    TRtfCharFormat FormatOf(const TState& st) const {
        TRtfCharFormat f;
        int font = st.Font >= 0 ? st.Font : DefaultFont;
        if (font >= 0) {
            auto it = Fonts.find(font);
            if (it != Fonts.end() && !it->second.Name.empty()) {
                f.FontName = it->second.Name;
                f.Charset = it->second.Charset;
                f.Pitch = it->second.Pitch;
            }
        }
        f.Size = st.Size;
        f.Bold = st.Bold;
        f.Italic = st.Italic;
        f.Underline = st.Underline;
        f.StrikeOut = st.StrikeOut;
        f.Protected = st.Protected;
        f.Offset = st.Offset;
        f.Color = ColorAt(st.ColorIndex);
        f.BackColor = ColorAt(st.BackIndex);
        if (st.InResult && st.Field >= 0)
            f.Link = LinkOfInstruction(FieldInsts[static_cast<std::size_t>(st.Field)]);
        return f;
    }

    int ColorAt(int index) const {
        if (index < 0 || index >= static_cast<int>(Colors.size())) return kRtfNoColor;
        return Colors[static_cast<std::size_t>(index)];
    }

    void EndParagraph(bool fromPar) {
        if (fromPar) LastTextPara = ParaOf(Top());
        if (!Doc) {
            ++PendingBreaks;
            return;
        }
        ++Taken;
        Current.Format = LastTextPara;
        Doc->Paragraphs.push_back(std::move(Current));
        Current = TRtfParagraph{};
    }

    void Paragraph() {
        PendingSkip = 0;
        if (!TextDest()) return;
        FlushSurrogate();
        EndParagraph(true);
    }

    void CommitFont() {
        const std::string name = FontNameOf(FontName);
        FontName.clear();
        if (FontNumber < 0 || Fonts.size() >= kMaxTableSize) return;
        TFontEntry e = PendingFont;
        e.Name = name;
        Fonts[FontNumber] = e;
        ++TablesVersion;
        FontNumber = -1;
        PendingFont = TFontEntry{};
    }

    void CommitColor() {
        if (Colors.size() < kMaxTableSize)
            Colors.push_back(ColorSet ? (Red | (Green << 8) | (Blue << 16)) : kRtfNoColor);
        ++TablesVersion;
        Red = Green = Blue = 0;
        ColorSet = false;
    }

    // UTF-8 text for the destination: the document, a font name or a field instruction.
    void Sink(const std::string& s) {
        switch (Top().Dest) {
        case TDest::Text: AppendText(s); break;
        case TDest::FontTable: FontName += s; break;
        case TDest::FieldInst:
            if (Top().Field >= 0) FieldInsts[static_cast<std::size_t>(Top().Field)] += s;
            ++TablesVersion;
            break;
        default: break;
        }
    }

    void Unicode(long value) {
        if (value < 0) value += 65536;
        if (value < 0 || value > 0xFFFF) value = 0xFFFD;
        const auto cp = static_cast<char32_t>(value);
        PendingSkip = Top().UnicodeSkip;
        if (cp < 0x20 && cp != '\t' && cp != '\n') return;
        if (cp >= 0xD800 && cp <= 0xDBFF) {
            FlushSurrogate();
            HighSurrogate = cp;
            return;
        }
        std::string s;
        if (cp >= 0xDC00 && cp <= 0xDFFF) {
            AppendUtf8(s,
                       HighSurrogate ? 0x10000 + ((HighSurrogate - 0xD800) << 10) + (cp - 0xDC00) : 0xFFFD);
            HighSurrogate = 0;
        } else {
            FlushSurrogate();
            AppendUtf8(s, cp);
        }
        Sink(s);
    }

    // A control symbol that stands for a character also counts as a fallback character.
    void ConsumeOr(char32_t cp) {
        if (PendingSkip > 0) {
            --PendingSkip;
            return;
        }
        Emit(cp);
    }

    // ---- control words
    void ControlWord() {
        ++P;  // the backslash
        if (P >= S.size()) return;
        const char c = S[P];
        if (!IsLetter(c)) {
            ++P;
            switch (c) {
            case '\\':
            case '{':
            case '}':
                Top().Fresh = false;
                Byte(static_cast<unsigned char>(c));
                break;
            // what makes text or ends a paragraph keeps the group from being a raw picture
            case '~':
                Top().Fresh = false;
                ConsumeOr(0x00A0);
                break;
            case '_':
                Top().Fresh = false;
                ConsumeOr(0x2011);
                break;
            case '-': break;  // optional hyphen
            case '*': SetDest(TDest::Skip); break;
            case '\r':
            case '\n':
                Top().Fresh = false;
                Paragraph();
                break;
            case '\'': {
                const int hi = P < S.size() ? HexValue(S[P]) : -1;
                const int lo = P + 1 < S.size() ? HexValue(S[P + 1]) : -1;
                if (hi >= 0 && lo >= 0) {
                    P += 2;
                    Top().Fresh = false;
                    Byte(static_cast<unsigned char>(hi * 16 + lo));
                }
                break;
            }
            default: break;
            }
            return;
        }
        const std::size_t start = P;
        while (P < S.size() && IsLetter(S[P])) ++P;
        const std::string_view word = S.substr(start, std::min<std::size_t>(P - start, 32));
        bool hasParam = false;
        bool negative = false;
        long param = 0;
        if (P < S.size() && S[P] == '-' && P + 1 < S.size() && IsDigit(S[P + 1])) {
            negative = true;
            ++P;
        }
        while (P < S.size() && IsDigit(S[P])) {
            hasParam = true;
            if (param < kMaxParam) param = param * 10 + (S[P] - '0');
            ++P;
        }
        if (param > kMaxParam) param = kMaxParam;
        if (negative) param = -param;
        if (P < S.size() && S[P] == ' ') ++P;  // the delimiting blank belongs to the word
        Word(word, hasParam, param);
    }

    // Skips the data of \binN; past the end of the input the input is broken.
    void SkipBinary(long n) {
        if (n <= 0) return;
        if (static_cast<std::size_t>(n) > S.size() - P) {
            P = S.size();
            Fail("binary data past the end of the input");
            return;
        }
        P += static_cast<std::size_t>(n);
    }

    // The end of the group that starts at start (the position after its
    // closing brace); the input's end when it is cut. Depth counts the groups
    // left open.
    std::size_t GroupEnd(std::size_t start, int& open) {
        std::size_t p = start;
        int depth = 0;
        while (p < S.size()) {
            const char c = S[p];
            if (c == '{') {
                ++depth;
                ++p;
            } else if (c == '}') {
                ++p;
                if (--depth == 0) {
                    open = 0;
                    return p;
                }
            } else if (c == '\\') {
                ++p;
                if (p >= S.size()) {
                    open = depth;  // a backslash cut from what it escapes is dropped
                    return p - 1;
                }
                if (!IsLetter(S[p])) {
                    ++p;
                    continue;
                }
                const std::size_t w = p;
                while (p < S.size() && IsLetter(S[p])) ++p;
                const std::string_view word = S.substr(w, p - w);
                bool neg = false;
                if (p < S.size() && S[p] == '-') {
                    neg = true;
                    ++p;
                }
                long n = 0;
                while (p < S.size() && IsDigit(S[p])) {
                    if (n < kMaxParam) n = n * 10 + (S[p] - '0');
                    ++p;
                }
                if (p < S.size() && S[p] == ' ') ++p;
                if (word == "bin" && !neg && n > 0) {
                    if (static_cast<std::size_t>(n) > S.size() - p) {
                        Fail("binary data past the end of the input");
                        p = S.size();
                        break;
                    }
                    p += static_cast<std::size_t>(n);
                }
            } else {
                ++p;
            }
        }
        open = depth;
        return S.size();
    }

    // A picture or object group: kept whole as one raw run.
    void RawGroup() {
        const std::size_t start = Top().GroupStart;
        int open = 0;
        const std::size_t end = GroupEnd(start, open);
        if (!Result.Ok) return;
        const TState st = Top();
        Groups.pop_back();
        P = end;
        if (!TextDest()) return;
        LastTextPara = ParaOf(Top());
        if (!Doc) return FlushBreaks();
        TRtfRun r;
        r.Raw = std::string(S.substr(start, end - start));
        r.Raw.append(static_cast<std::size_t>(open), '}');
        TRtfCharFormat f = FormatOf(Groups.back());
        if (st.InResult) f.Link = FormatOf(st).Link;
        r.Format = Doc->FormatIndex(f);
        Taken += 3;
        Current.Runs.push_back(std::move(r));
    }

    void Word(std::string_view w, bool hasParam, long param) {
        TState& t = Top();
        const bool fresh = t.Fresh;  // the group's first control word
        t.Fresh = false;
        const TWord k = WordOf(w);
        if (k == TWord::Bin) return SkipBinary(hasParam ? param : 0);
        if (k == TWord::U && hasParam) return Unicode(param);
        if (k == TWord::Uc && hasParam) {
            t.UnicodeSkip = Clamp(param, 0, 16);
            return;
        }
        if (PendingSkip > 0) {  // a control word in the fallback counts as one character
            --PendingSkip;
            return;
        }
        if (k == TWord::Picture && fresh && Groups.size() > 1 && Overflow == 0 && t.Dest != TDest::FontTable)
            return RawGroup();
        if (Destination(k, t)) return;
        switch (t.Dest) {
        case TDest::FontTable: return FontTableWord(k, hasParam, param);
        case TDest::ColorTable: return ColorTableWord(k, param);
        case TDest::Pn:
            if (k == TWord::PnBullet) PnBullet = true;
            return;
        default: break;
        }
        if (k == TWord::DefaultFont && hasParam) {
            DefaultFont = Clamp(param, 0, kMaxParam);
            ++TablesVersion;
            return;
        }
        if (t.Dest != TDest::Text) return;
        if (BreakOrCharacter(k)) return;
        if (!CharacterFormat(k, t, hasParam, param)) ParagraphFormat(k, t, hasParam, param);
    }

    // A word that opens a destination or a field's part; false for any other.
    bool Destination(TWord k, TState& t) {
        switch (k) {
        case TWord::FontTable: SetDest(TDest::FontTable); return true;
        case TWord::ColorTable: SetDest(TDest::ColorTable); return true;
        case TWord::FieldInst: SetDest(TDest::FieldInst); return true;
        case TWord::Picture:
        case TWord::Ignored: SetDest(TDest::Skip); return true;
        case TWord::Pn: SetDest(TDest::Pn); return true;
        case TWord::Field:
            if (FieldInsts.size() < kMaxTableSize && Overflow == 0) {
                FieldInsts.emplace_back();
                t.Field = static_cast<int>(FieldInsts.size()) - 1;
                t.InResult = false;
            }
            return true;
        case TWord::FieldResult:
            if (Overflow == 0) t.InResult = true;
            return true;
        default: return false;
        }
    }

    void FontTableWord(TWord k, bool hasParam, long param) {
        switch (k) {
        case TWord::Font:
            if (!hasParam) return;
            if (!FontName.empty()) CommitFont();
            FontNumber = Clamp(param, 0, kMaxParam);
            PendingFont = TFontEntry{};
            return;
        case TWord::Charset: PendingFont.Charset = Clamp(param, 0, 255); return;
        case TWord::Pitch: PendingFont.Pitch = Clamp(param, 0, 2); return;
        case TWord::Fnil:
        case TWord::Froman:
        case TWord::Fswiss:
        case TWord::Fmodern:
        case TWord::Fscript:
        case TWord::Fdecor:
        case TWord::Ftech: PendingFont.Family = static_cast<int>(k) - static_cast<int>(TWord::Fnil); return;
        default: return;
        }
    }

    void ColorTableWord(TWord k, long param) {
        int* part = k == TWord::Red ? &Red : k == TWord::Green ? &Green : k == TWord::Blue ? &Blue : nullptr;
        if (!part) return;
        *part = Clamp(param, 0, 255);
        ColorSet = true;
    }

    // Paragraph and line ends, tabs and the characters words stand for;
    // false for any other word.
    bool BreakOrCharacter(TWord k) {
        switch (k) {
        case TWord::Par: Paragraph(); return true;
        case TWord::Row:
            // the tab after a row's last cell goes
            if (!Current.Runs.empty() && !Current.Runs.back().IsRaw() && !Current.Runs.back().Text.empty() &&
                Current.Runs.back().Text.back() == '\t')
                Current.Runs.back().Text.pop_back();
            if (!Doc && PendingBreaks == 0 && !PlainText.empty() && PlainText.back() == '\t')
                PlainText.pop_back();
            Paragraph();
            return true;
        case TWord::Line: EmitUtf8(Doc ? "\n" : "\r\n"); return true;
        case TWord::Tab: Emit('\t'); return true;
        default:
            if (const char32_t cp = NamedCharacter(k)) {
                Emit(cp);
                return true;
            }
            return false;
        }
    }

    // False for a word that is no character format.
    bool CharacterFormat(TWord k, TState& t, bool hasParam, long param) {
        const bool on = !hasParam || param != 0;
        switch (k) {
        case TWord::Plain:
            t.Font = -1;
            t.Size = 24;
            t.Bold = t.Italic = t.Underline = t.StrikeOut = t.Protected = false;
            t.Offset = 0;
            t.ColorIndex = t.BackIndex = -1;
            break;
        case TWord::Font: t.Font = Clamp(param, 0, kMaxParam); break;
        case TWord::Size: t.Size = hasParam ? Clamp(param, 1, 3276) : 24; break;
        case TWord::Bold: t.Bold = on; break;
        case TWord::Italic: t.Italic = on; break;
        case TWord::Underline: t.Underline = on; break;
        case TWord::UnderlineNone: t.Underline = false; break;
        case TWord::StrikeOut: t.StrikeOut = on; break;
        case TWord::Protect: t.Protected = on; break;
        case TWord::Up: t.Offset = hasParam ? Clamp(param, 0, 3276) : 6; break;
        case TWord::Down: t.Offset = -(hasParam ? Clamp(param, 0, 3276) : 6); break;
        case TWord::NoSuperSub: t.Offset = 0; break;
        case TWord::Color: t.ColorIndex = Clamp(param, 0, kMaxParam); break;
        case TWord::BackColor: t.BackIndex = Clamp(param, 0, kMaxParam); break;
        default: return false;
        }
        return true;
    }

    void ParagraphFormat(TWord k, TState& t, bool hasParam, long param) {
        const int v = hasParam ? Clamp(param, -kMaxParam, kMaxParam) : 0;
        TRtfParaFormat& p = t.Para;
        switch (k) {
        case TWord::Pard:
            p = TRtfParaFormat{};
            PnBullet = false;
            break;
        case TWord::AlignLeft: p.Alignment = TRtfAlign::Left; break;
        case TWord::AlignRight: p.Alignment = TRtfAlign::Right; break;
        case TWord::AlignCenter: p.Alignment = TRtfAlign::Center; break;
        case TWord::Justify: p.Alignment = TRtfAlign::Justify; break;
        case TWord::FirstIndent: p.FirstIndent = v; break;
        case TWord::LeftIndent: p.LeftIndent = v; break;
        case TWord::RightIndent: p.RightIndent = v; break;
        case TWord::SpaceBefore: p.SpaceBefore = v; break;
        case TWord::SpaceAfter: p.SpaceAfter = v; break;
        case TWord::LineSpacing:
            p.LineSpacing = v;
            if (!hasParam) p.LineSpacingMultiple = false;
            break;
        case TWord::LineMultiple: p.LineSpacingMultiple = !hasParam || param != 0; break;
        case TWord::TabCenter: PendingTab = TRtfTabAlign::Center; break;
        case TWord::TabRight: PendingTab = TRtfTabAlign::Right; break;
        case TWord::TabDecimal: PendingTab = TRtfTabAlign::Decimal; break;
        case TWord::TabStop:
            if (p.Tabs.size() < kMaxTabs) p.Tabs.push_back({v, PendingTab});
            PendingTab = TRtfTabAlign::Left;
            break;
        default: break;  // \intbl and the rest: cells are read as tab-separated text
        }
    }

    std::string_view S;
    TRtfDocument* Doc;
    std::size_t Limit;      // the reading stops once this many bytes of text are taken
    std::size_t Taken = 0;  // text bytes, one per paragraph end, three per picture
    std::size_t P = 0;
    std::vector<TState> Groups;
    std::size_t Overflow = 0;      // groups open past the depth limit
    std::size_t SkipOverflow = 0;  // the overflow level of a skipped destination
    std::optional<TDest> OverflowRestoreDest;
    TRtfReadResult Result;
    TRtfParagraph Current;
    TRtfParaFormat LastTextPara;
    int PendingSkip = 0;
    char32_t HighSurrogate = 0;
    bool PnBullet = false;
    TRtfTabAlign PendingTab = TRtfTabAlign::Left;
    std::map<int, TFontEntry> Fonts;
    TFontEntry PendingFont;
    int FontNumber = -1;
    std::string FontName;
    int DefaultFont = -1;
    std::vector<int> Colors;
    int Red = 0, Green = 0, Blue = 0;
    bool ColorSet = false;
    std::vector<std::string> FieldInsts;
    int PendingBreaks = 0;            // plain text: paragraph marks not yet written
    std::uint64_t TablesVersion = 0;  // counts changes of the font, colour and field tables
    TFormatKey LastKey{};
    bool HaveLastKey = false;
    std::uint32_t LastIndex = 0;
};

}  // namespace

bool RtfLooksLikeRtf(std::string_view Text) { return Text.substr(0, 5) == "{\\rtf"; }

TRtfReadResult RtfRead(std::string_view Text, TRtfDocument& Document) {
    return RtfRead(Text, Document, SIZE_MAX);
}

TRtfReadResult RtfRead(std::string_view Text, TRtfDocument& Document, std::size_t MaxTextBytes) {
    Document = TRtfDocument{};
    if (!RtfLooksLikeRtf(Text)) {
        if (Text.size() > MaxTextBytes) {
            std::size_t cut = MaxTextBytes;
            while (cut > 0 && (static_cast<unsigned char>(Text[cut]) & 0xC0) == 0x80) --cut;
            Text = Text.substr(0, cut);
            Document = TRtfDocument::FromPlainText(Text);
            return {true, {}, true, cut};
        }
        Document = TRtfDocument::FromPlainText(Text);
        return {true, {}, false, Text.size()};
    }
    TReader r(Text, &Document, MaxTextBytes);
    TRtfReadResult res = r.Run();
    Document.Normalize();
    return res;
}

std::string RtfToPlainText(std::string_view Text) {
    if (!RtfLooksLikeRtf(Text)) return std::string(Text);
    TReader r(Text, nullptr);
    r.Run();
    return std::move(r.PlainText);
}
