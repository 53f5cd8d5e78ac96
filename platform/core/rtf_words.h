// The control words the RTF reader acts on, as one table hashed at compile
// time and looked up once per word, and the characters some of them stand for.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <string_view>

namespace rtf_detail {

// The control words the reader acts on (any other is passed over): read
// before a \uN fallback is skipped; destinations; font table entries (the
// families in the writer's order), colour table and list text; characters and
// breaks; character formats; paragraph formats.
enum class TWord : std::uint8_t {
    None,
    Bin,
    U,
    Uc,
    Picture,
    FontTable,
    ColorTable,
    FieldInst,
    Field,
    FieldResult,
    Pn,
    Ignored,
    Charset,
    Pitch,
    Fnil,
    Froman,
    Fswiss,
    Fmodern,
    Fscript,
    Fdecor,
    Ftech,
    Red,
    Green,
    Blue,
    PnBullet,
    DefaultFont,
    Par,
    Row,
    Line,
    Tab,
    EmDash,
    EnDash,
    Bullet,
    LQuote,
    RQuote,
    LDblQuote,
    RDblQuote,
    EmSpace,
    EnSpace,
    Plain,
    Font,
    Size,
    Bold,
    Italic,
    Underline,
    UnderlineNone,
    StrikeOut,
    Protect,
    Up,
    Down,
    NoSuperSub,
    Color,
    BackColor,
    Pard,
    AlignLeft,
    AlignRight,
    AlignCenter,
    Justify,
    FirstIndent,
    LeftIndent,
    RightIndent,
    SpaceBefore,
    SpaceAfter,
    LineSpacing,
    LineMultiple,
    TabCenter,
    TabRight,
    TabDecimal,
    TabStop
};

struct TWordName {
    std::string_view Name;
    TWord Word;
};

// Sorted by name; looked up once per control word through the hash below.
constexpr auto kWords = std::to_array<TWordName>({
    {"annotation", TWord::Ignored},
    {"atnauthor", TWord::Ignored},
    {"atnid", TWord::Ignored},
    {"b", TWord::Bold},
    {"bin", TWord::Bin},
    {"bkmkend", TWord::Ignored},
    {"bkmkstart", TWord::Ignored},
    {"blue", TWord::Blue},
    {"bullet", TWord::Bullet},
    {"cb", TWord::BackColor},
    {"cell", TWord::Tab},
    {"cf", TWord::Color},
    {"chcbpat", TWord::BackColor},
    {"colorschememapping", TWord::Ignored},
    {"colortbl", TWord::ColorTable},
    {"comment", TWord::Ignored},
    {"datastore", TWord::Ignored},
    {"deff", TWord::DefaultFont},
    {"dn", TWord::Down},
    {"emdash", TWord::EmDash},
    {"emspace", TWord::EmSpace},
    {"endash", TWord::EnDash},
    {"enspace", TWord::EnSpace},
    {"f", TWord::Font},
    {"fcharset", TWord::Charset},
    {"fdecor", TWord::Fdecor},
    {"fi", TWord::FirstIndent},
    {"field", TWord::Field},
    {"filetbl", TWord::Ignored},
    {"fldinst", TWord::FieldInst},
    {"fldrslt", TWord::FieldResult},
    {"fmodern", TWord::Fmodern},
    {"fnil", TWord::Fnil},
    {"fonttbl", TWord::FontTable},
    {"footer", TWord::Ignored},
    {"footerf", TWord::Ignored},
    {"footerl", TWord::Ignored},
    {"footerr", TWord::Ignored},
    {"footnote", TWord::Ignored},
    {"fprq", TWord::Pitch},
    {"froman", TWord::Froman},
    {"fs", TWord::Size},
    {"fscript", TWord::Fscript},
    {"fswiss", TWord::Fswiss},
    {"ftech", TWord::Ftech},
    {"generator", TWord::Ignored},
    {"green", TWord::Green},
    {"header", TWord::Ignored},
    {"headerf", TWord::Ignored},
    {"headerl", TWord::Ignored},
    {"headerr", TWord::Ignored},
    {"highlight", TWord::BackColor},
    {"i", TWord::Italic},
    {"info", TWord::Ignored},
    {"latentstyles", TWord::Ignored},
    {"ldblquote", TWord::LDblQuote},
    {"li", TWord::LeftIndent},
    {"line", TWord::Line},
    {"listoverridetable", TWord::Ignored},
    {"listtable", TWord::Ignored},
    {"lquote", TWord::LQuote},
    {"mmathPr", TWord::Ignored},
    {"nonshppict", TWord::Ignored},
    {"nosupersub", TWord::NoSuperSub},
    {"object", TWord::Picture},
    {"par", TWord::Par},
    {"pard", TWord::Pard},
    {"pgdsctbl", TWord::Ignored},
    {"pict", TWord::Picture},
    {"plain", TWord::Plain},
    {"pn", TWord::Pn},
    {"pnlvlblt", TWord::PnBullet},
    {"pntext", TWord::Ignored},
    {"protect", TWord::Protect},
    {"qc", TWord::AlignCenter},
    {"qj", TWord::Justify},
    {"ql", TWord::AlignLeft},
    {"qr", TWord::AlignRight},
    {"rdblquote", TWord::RDblQuote},
    {"red", TWord::Red},
    {"revtbl", TWord::Ignored},
    {"ri", TWord::RightIndent},
    {"row", TWord::Row},
    {"rquote", TWord::RQuote},
    {"rsidtbl", TWord::Ignored},
    {"sa", TWord::SpaceAfter},
    {"sb", TWord::SpaceBefore},
    {"sect", TWord::Par},
    {"shppict", TWord::Picture},
    {"sl", TWord::LineSpacing},
    {"slmult", TWord::LineMultiple},
    {"strike", TWord::StrikeOut},
    {"stylesheet", TWord::Ignored},
    {"tab", TWord::Tab},
    {"tb", TWord::TabStop},
    {"themedata", TWord::Ignored},
    {"tqc", TWord::TabCenter},
    {"tqdec", TWord::TabDecimal},
    {"tqr", TWord::TabRight},
    {"tx", TWord::TabStop},
    {"u", TWord::U},
    {"uc", TWord::Uc},
    {"ul", TWord::Underline},
    {"ulnone", TWord::UnderlineNone},
    {"up", TWord::Up},
    {"userprops", TWord::Ignored},
    {"xmlnsdecl", TWord::Ignored},
});
static_assert(std::is_sorted(kWords.begin(), kWords.end(),
                             [](const TWordName& a, const TWordName& b) { return a.Name < b.Name; }));

constexpr std::size_t kWordSlots = 512;

constexpr std::size_t WordHash(std::string_view w) {
    std::size_t h = w.size();
    for (char c : w) h = h * 31 + static_cast<unsigned char>(c);
    return h % kWordSlots;
}

// An open-addressed hash of the table: each slot the index of its word plus one (0: empty).
constexpr auto kWordSlotTable = [] {
    std::array<std::uint8_t, kWordSlots> slots{};
    for (std::size_t i = 0; i < kWords.size(); ++i) {
        std::size_t s = WordHash(kWords[i].Name);
        while (slots[s] != 0) s = (s + 1) % kWordSlots;
        slots[s] = static_cast<std::uint8_t>(i + 1);
    }
    return slots;
}();

inline TWord WordOf(std::string_view w) {
    for (std::size_t s = WordHash(w); kWordSlotTable[s] != 0; s = (s + 1) % kWordSlots) {
        const TWordName& e = kWords[kWordSlotTable[s] - 1];
        if (e.Name == w) return e.Word;
    }
    return TWord::None;
}

// The character a control word stands for; 0 for none.
inline char32_t NamedCharacter(TWord w) {
    switch (w) {
    case TWord::EmDash: return 0x2014;
    case TWord::EnDash: return 0x2013;
    case TWord::Bullet: return 0x2022;
    case TWord::LQuote: return 0x2018;
    case TWord::RQuote: return 0x2019;
    case TWord::LDblQuote: return 0x201C;
    case TWord::RDblQuote: return 0x201D;
    case TWord::EmSpace: return 0x2003;
    case TWord::EnSpace: return 0x2002;
    default: return 0;
    }
}

}  // namespace rtf_detail
