// Edit masks: parsing, formatting and validating (TEditMask). The masked
// edit itself is in mask_edit.cpp.
#include "platform/ui/mask.h"
#include "platform/core/text.h"

#include <algorithm>

#include "platform/core/sysutils.h"
#include "platform/ui/mask_internal.h"

// ---- UTF-8 and code points -------------------------------------------------------------------

namespace mask_detail {

// Decodes UTF-8; a byte that starts no valid sequence stands for U+FFFD.
std::u32string Decode(const std::string& S) {
    std::u32string out;
    out.reserve(S.size());
    size_t i = 0;
    while (i < S.size()) {
        const auto b = static_cast<unsigned char>(S[i]);
        int len = 0;
        char32_t cp = 0;
        if (b < 0x80) {
            len = 1;
            cp = b;
        } else if ((b & 0xE0) == 0xC0) {
            len = 2;
            cp = b & 0x1F;
        } else if ((b & 0xF0) == 0xE0) {
            len = 3;
            cp = b & 0x0F;
        } else if ((b & 0xF8) == 0xF0) {
            len = 4;
            cp = b & 0x07;
        }
        bool ok = len > 0 && i + static_cast<size_t>(len) <= S.size();
        for (int k = 1; ok && k < len; ++k) {
            const auto c = static_cast<unsigned char>(S[i + static_cast<size_t>(k)]);
            if ((c & 0xC0) != 0x80)
                ok = false;
            else
                cp = (cp << 6) | (c & 0x3F);
        }
        if (ok && len > 1) {
            static const char32_t minOf[5] = {0, 0, 0x80, 0x800, 0x10000};
            if (cp < minOf[len] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) ok = false;
        }
        if (!ok) {
            out.push_back(0xFFFD);
            ++i;
        } else {
            out.push_back(cp);
            i += static_cast<size_t>(len);
        }
    }
    return out;
}

std::string Encode(const std::u32string& S) {
    std::string out;
    out.reserve(S.size());
    for (char32_t c : S) AppendUtf8(out, c);
    return out;
}

// Code-point index of a byte offset into S (a byte inside a character counts
// as that character).
int IndexOfByte(const std::string& S, int BytePos) {
    return static_cast<int>(
        Decode(S.substr(0, static_cast<size_t>(std::clamp(BytePos, 0, static_cast<int>(S.size()))))).size());
}

int ByteOfIndex(const std::u32string& S, int Index) {
    return static_cast<int>(
        Encode(S.substr(0, static_cast<size_t>(std::clamp(Index, 0, static_cast<int>(S.size()))))).size());
}

bool IsDigit(char32_t C) { return C >= U'0' && C <= U'9'; }

// Letters: ASCII and the letters of the Latin supplements and beyond (the
// characters that have an upper or lower case, roughly).
bool IsLetter(char32_t C) {
    if ((C >= U'A' && C <= U'Z') || (C >= U'a' && C <= U'z')) return true;
    if (C < 0xC0) return false;
    if (C == 0xD7 || C == 0xF7) return false;
    return C != 0xFFFD && !(C >= 0x2000 && C <= 0x2BFF) && !(C >= 0x3000 && C <= 0x303F);
}

char32_t ToUpper(char32_t C) {
    if (C >= U'a' && C <= U'z') return C - 32;
    if (C >= 0xE0 && C <= 0xFE && C != 0xF7) return C - 32;
    return C;
}

char32_t ToLower(char32_t C) {
    if (C >= U'A' && C <= U'Z') return C + 32;
    if (C >= 0xC0 && C <= 0xDE && C != 0xD7) return C + 32;
    return C;
}

}  // namespace mask_detail

using namespace mask_detail;

namespace {
char32_t SeparatorChar(const std::string& Sep, char32_t Default) {
    const std::u32string s = Decode(Sep);
    return s.empty() ? Default : s[0];
}
}  // namespace

// ---- TEditMask -------------------------------------------------------------------------------

TEditMask::TEditMask(const std::string& Mask) : FText(Mask) {
    const std::u32string m = Decode(Mask);
    // The fields: mask ; save ; blank. A "\" protects the next character.
    std::vector<std::u32string> fields(1);
    for (size_t i = 0; i < m.size(); ++i) {
        if (m[i] == U'\\' && i + 1 < m.size() && fields.size() == 1) {
            fields.back().push_back(m[i]);
            fields.back().push_back(m[++i]);
        } else if (m[i] == U';' && fields.size() < 3) {
            fields.emplace_back();
        } else {
            fields.back().push_back(m[i]);
        }
    }
    if (fields.size() > 1 && !fields[1].empty()) FSaveLiterals = fields[1][0] != U'0';
    if (fields.size() > 2 && !fields[2].empty()) FBlank = fields[2][0];

    const TFormatSettings& settings = FormatSettings();
    const char32_t timeSep = SeparatorChar(std::string(1, settings.TimeSeparator), U':');
    const char32_t dateSep = SeparatorChar(std::string(1, settings.DateSeparator), U'/');
    const std::u32string& p = fields[0];
    int caseMode = 0;
    for (size_t i = 0; i < p.size(); ++i) {
        const char32_t c = p[i];
        TPosition pos;
        switch (c) {
        case U'!': FLeadingBlanks = true; continue;
        case U'>':
            if (i + 1 < p.size() && p[i + 1] == U'<') {
                caseMode = 0;
                ++i;
            } else {
                caseMode = 1;
            }
            continue;
        case U'<':
            if (i + 1 < p.size() && p[i + 1] == U'>') {
                caseMode = 0;
                ++i;
            } else {
                caseMode = 2;
            }
            continue;
        case U'\\':
            pos.Literal = true;
            pos.Ch = i + 1 < p.size() ? p[++i] : U'\\';
            break;
        case U'L':
        case U'l':
        case U'A':
        case U'a':
        case U'C':
        case U'c':
        case U'0':
        case U'9':
        case U'#':
            pos.Ch = c;
            pos.Case = caseMode;
            break;
        case U':':
            pos.Literal = true;
            pos.Ch = timeSep;
            break;
        case U'/':
            pos.Literal = true;
            pos.Ch = dateSep;
            break;
        case U'_':
            pos.Literal = true;
            pos.Ch = U' ';
            break;
        default:
            pos.Literal = true;
            pos.Ch = c;
            break;
        }
        FPositions.push_back(pos);
    }
}

bool TEditMask::IsLiteral(int Pos) const {
    return Pos >= 0 && Pos < Length() && FPositions[static_cast<size_t>(Pos)].Literal;
}

char32_t TEditMask::Literal(int Pos) const {
    return IsLiteral(Pos) ? FPositions[static_cast<size_t>(Pos)].Ch : 0;
}

bool TEditMask::IsRequired(int Pos) const {
    if (Pos < 0 || Pos >= Length() || IsLiteral(Pos)) return false;
    const char32_t k = FPositions[static_cast<size_t>(Pos)].Ch;
    return k == U'L' || k == U'A' || k == U'C' || k == U'0';
}

bool TEditMask::Accepts(int Pos, char32_t& Ch) const {
    if (Pos < 0 || Pos >= Length() || IsLiteral(Pos)) return false;
    const TPosition& p = FPositions[static_cast<size_t>(Pos)];
    if (Ch < 32 || Ch == 0xFFFD) return false;
    bool ok = false;
    switch (p.Ch) {
    case U'L':
    case U'l': ok = IsLetter(Ch); break;
    case U'A':
    case U'a': ok = IsLetter(Ch) || IsDigit(Ch); break;
    case U'C':
    case U'c': ok = true; break;
    case U'0':
    case U'9': ok = IsDigit(Ch); break;
    case U'#': ok = IsDigit(Ch) || Ch == U'+' || Ch == U'-'; break;
    default: break;
    }
    if (!ok) return false;
    if (p.Case == 1)
        Ch = ToUpper(Ch);
    else if (p.Case == 2)
        Ch = ToLower(Ch);
    return true;
}

int TEditMask::NextInput(int Pos) const {
    Pos = std::max(Pos, 0);
    while (Pos < Length() && IsLiteral(Pos)) ++Pos;
    return std::min(Pos, Length());
}

int TEditMask::PriorInput(int Pos) const {
    Pos = std::min(Pos, Length()) - 1;
    while (Pos >= 0 && IsLiteral(Pos)) --Pos;
    return std::max(Pos, -1);
}

std::u32string TEditMask::EmptyEditText() const {
    std::u32string s;
    s.reserve(FPositions.size());
    for (const TPosition& p : FPositions) s.push_back(p.Literal ? p.Ch : FBlank);
    return s;
}

std::u32string TEditMask::FormatText(const std::u32string& Value) const {
    std::u32string out = EmptyEditText();
    if (FSaveLiterals) {
        // Value holds literals as well: it lines up with the positions, a
        // literal of Value only being taken where the mask has it.
        size_t j = 0;
        for (int i = 0; i < Length() && j < Value.size(); ++i) {
            if (IsLiteral(i)) {
                if (Value[j] == Literal(i)) ++j;
                continue;
            }
            char32_t c = Value[j++];
            if (c != U' ' && c != FBlank && Accepts(i, c)) out[static_cast<size_t>(i)] = c;
        }
        return out;
    }
    std::vector<int> inputs;
    for (int i = 0; i < Length(); ++i)
        if (!IsLiteral(i)) inputs.push_back(i);
    size_t first = 0;
    if (FLeadingBlanks && Value.size() < inputs.size()) first = inputs.size() - Value.size();
    for (size_t k = 0; k < Value.size() && first + k < inputs.size(); ++k) {
        const int i = inputs[first + k];
        char32_t c = Value[k];
        if (c != U' ' && c != FBlank && Accepts(i, c)) out[static_cast<size_t>(i)] = c;
    }
    return out;
}

std::u32string TEditMask::EditToText(const std::u32string& EditText) const {
    std::u32string out;
    for (int i = 0; i < Length(); ++i) {
        const char32_t c =
            static_cast<size_t>(i) < EditText.size() ? EditText[static_cast<size_t>(i)] : FBlank;
        if (IsLiteral(i)) {
            if (FSaveLiterals) out.push_back(Literal(i));
            continue;
        }
        out.push_back(c == FBlank ? U' ' : c);
    }
    if (!FSaveLiterals) {
        while (!out.empty() && out.back() == U' ') out.pop_back();
        if (FLeadingBlanks) {
            size_t k = 0;
            while (k < out.size() && out[k] == U' ') ++k;
            out.erase(0, k);
        }
    }
    return out;
}

int TEditMask::FirstInvalid(const std::u32string& EditText) const {
    for (int i = 0; i < Length(); ++i) {
        if (IsLiteral(i)) continue;
        char32_t c = static_cast<size_t>(i) < EditText.size() ? EditText[static_cast<size_t>(i)] : FBlank;
        if (c == FBlank || c == U' ') {
            if (IsRequired(i)) return i;
            continue;
        }
        if (!Accepts(i, c)) return i;
    }
    return -1;
}

std::string FormatMaskText(const std::string& EditMask, const std::string& Value) {
    const TEditMask mask(EditMask);
    if (mask.Empty()) return Value;
    return Encode(mask.FormatText(Decode(Value)));
}
