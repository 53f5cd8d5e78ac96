// The picture mask's decoding, soundness check and matcher: it walks text against the
// mask, filling literals and changing case as the mask says.
#include "suite/base/picture_validator.h"

#include <algorithm>
#include <vector>

#include "platform/core/sysutils.h"
#include "platform/core/text.h"

namespace {

// Deeper nesting of groups and repetitions than this is refused as malformed,
// so a hostile mask cannot exhaust the stack.
constexpr int kMaxNesting = 64;
// Repeat counts are 16-bit; a larger count is held at the largest.
constexpr unsigned kMaxRepeat = 65535;

// ---------------------------------------------------------------------------
// UTF-8 <-> code points. Text that is not UTF-8 is read as Windows-1252.

std::u32string Decode(const std::string& raw) {
    const std::string s = EnsureUtf8(raw);
    std::u32string out;
    out.reserve(s.size());
    std::size_t i = 0;
    while (i < s.size()) {
        const auto b0 = static_cast<unsigned char>(s[i]);
        std::size_t len = b0 < 0x80 ? 1 : b0 < 0xE0 ? 2 : b0 < 0xF0 ? 3 : 4;
        len = std::min(len, s.size() - i);
        char32_t cp = len == 1 ? b0 : len == 2 ? (b0 & 0x1F) : len == 3 ? (b0 & 0x0F) : (b0 & 0x07);
        for (std::size_t k = 1; k < len; ++k) cp = (cp << 6) | (static_cast<unsigned char>(s[i + k]) & 0x3F);
        out += cp;
        i += len;
    }
    return out;
}

std::string Encode(const std::u32string& s) {
    std::string out;
    out.reserve(s.size());
    for (const char32_t cp : s) AppendUtf8(out, cp);
    return out;
}

// Case change of one character by the platform's rules; characters whose
// changed form is not a single character stay as they are.
char32_t ChangeCase(char32_t ch, bool upper) {
    if (ch < 0x80) {
        if (upper && ch >= 'a' && ch <= 'z') return ch - 32;
        if (!upper && ch >= 'A' && ch <= 'Z') return ch + 32;
        return ch;
    }
    std::string one;
    AppendUtf8(one, ch);
    const std::u32string changed = Decode(upper ? AnsiUpperCase(one) : AnsiLowerCase(one));
    return changed.size() == 1 ? changed[0] : ch;
}

char32_t AsciiUpper(char32_t ch) { return (ch >= 'a' && ch <= 'z') ? ch - 32 : ch; }
bool IsDigit(char32_t ch) { return ch >= '0' && ch <= '9'; }
bool IsLetter(char32_t ch) { return (ch >= 'A' && ch <= 'Z') || (ch >= 'a' && ch <= 'z') || ch > 128; }
bool IsPieceEnd(char32_t ch) { return ch == ',' || ch == '}' || ch == ']'; }

// The syntax check: brackets and braces nest properly (a stack, so "}{" and
// "][" fail), a ";" always has a character after it, every repetition has a
// piece after its count, and nesting stays within kMaxNesting.
bool MaskIsSound(const std::u32string& pic) {
    const std::size_t n = pic.size();
    if (n == 0) return false;
    struct Open {
        char32_t close;
        int depth;
    };
    std::vector<Open> stack;
    int pendingRepeats = 0;  // repetitions waiting for their piece
    const auto depthHere = [&] { return (stack.empty() ? 0 : stack.back().depth) + pendingRepeats; };
    std::size_t k = 0;
    while (k < n) {
        const char32_t ch = pic[k];
        if (ch == '*') {
            ++k;
            while (k < n && IsDigit(pic[k])) ++k;
            if (k >= n || IsPieceEnd(pic[k])) return false;
            ++pendingRepeats;
            if (depthHere() > kMaxNesting) return false;
            continue;
        }
        if (ch == '{' || ch == '[') {
            const int depth = depthHere() + 1;
            if (depth > kMaxNesting) return false;
            stack.push_back({ch == '{' ? U'}' : U']', depth});
            pendingRepeats = 0;
            ++k;
            continue;
        }
        pendingRepeats = 0;
        if (ch == '}' || ch == ']') {
            if (stack.empty() || stack.back().close != ch) return false;
            stack.pop_back();
            ++k;
        } else if (ch == ';') {
            if (k + 1 >= n) return false;
            k += 2;
        } else {
            ++k;
        }
    }
    return stack.empty();
}

// One run of the matching algorithm over a sound mask. Positions are 1-based;
// I walks the mask, J the text. Reads outside the mask or text answer 0.
class PictureMatcher {
public:
    PictureMatcher(const std::u32string& pic, std::u32string& text) : P(pic), Txt(text) {}

    int I = 1;
    int J = 1;

    int MaskLength() const { return static_cast<int>(P.size()); }
    char32_t M(int k) const { return (k >= 1 && k <= MaskLength()) ? P[k - 1] : 0; }

    TqzPictureResult Process(int term) {
        bool incomp = false;
        int oldI = I, oldJ = J;
        int incompI = 0, incompJ = 0;
        bool blankUsed = false;
        TqzPictureResult result = pmrError;
        TqzPictureResult r;
        for (;;) {
            r = Scan(term, blankUsed);
            if ((r == pmrComplete || r == pmrAmbiguous) && incomp && J < incompJ) {
                // A complete alternative counts only if it got farther.
                r = pmrIncomplete;
                J = incompJ;
            }
            if (r == pmrError || r == pmrIncomplete) {
                result = r;
                if (r == pmrIncomplete && !incomp) {
                    incomp = true;
                    incompI = I;
                    incompJ = J;
                }
                I = oldI;
                J = oldJ;
                if (!SkipToComma(term)) {
                    if (incomp) {
                        result = pmrIncomplete;
                        I = incompI;
                        J = incompJ;
                    }
                    return result;
                }
                oldI = I;
            } else {
                break;
            }
        }
        return (r == pmrComplete && incomp) ? pmrAmbiguous : r;
    }

private:
    const std::u32string& P;
    std::u32string& Txt;

    int TextLength() const { return static_cast<int>(Txt.size()); }

    void Consume(char32_t ch) {
        Txt[J - 1] = ch;
        ++I;
        ++J;
    }

    TqzPictureResult Scan(int term, bool& blankUsed) {
        TqzPictureResult r = pmrEmpty;
        while (I < term && M(I) != ',') {
            if (J > TextLength()) return CheckComplete(r, I, term);
            const char32_t ch = Txt[J - 1];
            switch (M(I)) {
            case '#':
                if (!IsDigit(ch)) return pmrError;
                Consume(ch);
                break;
            case '?':
                if (!IsLetter(ch)) return pmrError;
                Consume(ch);
                break;
            case '&':
                if (!IsLetter(ch)) return pmrError;
                Consume(ChangeCase(ch, true));
                break;
            case '~':
                if (!IsLetter(ch)) return pmrError;
                Consume(ChangeCase(ch, false));
                break;
            case '!': Consume(ChangeCase(ch, true)); break;
            case '@': Consume(ch); break;
            case '*':
                r = Iteration(term);
                if (r != pmrComplete && r != pmrAmbiguous) return r;
                break;
            case '{':
                r = Group(term);
                if (r != pmrComplete && r != pmrAmbiguous) return r;
                break;
            case '[':
                r = Group(term);
                if (r == pmrIncomplete || r == pmrIncompleteNoFill) return r;
                if (r == pmrError) r = pmrAmbiguous;  // an optional group that does not fit is passed over
                break;
            default: {
                if (M(I) == ';') ++I;
                const char32_t literal = M(I);
                const bool last = J == TextLength();
                if (AsciiUpper(literal) != AsciiUpper(ch)) {
                    // A blank typed last may stand for the literal, once.
                    if (!(ch == ' ' && !blankUsed && last)) return pmrError;
                } else if (ch == ' ' && last) {
                    blankUsed = true;
                }
                Consume(literal);
                break;
            }
            }
            r = (r == pmrAmbiguous) ? pmrIncompleteNoFill : pmrIncomplete;
        }
        return r == pmrIncompleteNoFill ? pmrAmbiguous : pmrComplete;
    }

    // The position after the piece that starts at k, never past term.
    int SkipPiece(int k, int term) const {
        int brackets = 0, braces = 0;
        for (;;) {
            if (k >= term) return term;
            switch (M(k)) {
            case ';': k += 2; break;
            case '*':
                ++k;
                while (k < term && IsDigit(M(k))) ++k;
                continue;  // the repeated piece belongs to this one
            case '[':
                ++brackets;
                ++k;
                break;
            case ']':
                --brackets;
                ++k;
                break;
            case '{':
                ++braces;
                ++k;
                break;
            case '}':
                --braces;
                ++k;
                break;
            default: ++k; break;
            }
            if (brackets <= 0 && braces <= 0) return std::min(k, term);
        }
    }

    // Moves I to the start of the next alternative; False when there is none.
    bool SkipToComma(int term) {
        while (I < term && M(I) != ',') I = SkipPiece(I, term);
        if (I < term && M(I) == ',') ++I;
        return I < term;
    }

    TqzPictureResult Group(int term) {
        const int g = SkipPiece(I, term);
        ++I;
        const TqzPictureResult r = Process(g - 1);
        if (r != pmrIncomplete && r != pmrIncompleteNoFill) I = g;
        return r;
    }

    TqzPictureResult Iteration(int term) {
        ++I;
        unsigned count = 0;
        while (I < term && IsDigit(M(I))) {
            count = std::min(kMaxRepeat, count * 10 + static_cast<unsigned>(M(I) - '0'));
            ++I;
        }
        if (I >= term) return pmrSyntax;
        const int k = I;
        const int e = SkipPiece(k, term);
        TqzPictureResult r = pmrComplete;
        if (count > 0) {
            for (unsigned pass = 0; pass < count; ++pass) {
                I = k;
                const int before = J;
                r = Process(e);
                if (r != pmrComplete && r != pmrAmbiguous) {
                    if (r == pmrEmpty) return M(k) == '[' ? pmrComplete : pmrIncomplete;
                    return r;
                }
                // A pass that took no text leaves the state as it found it, so
                // the remaining passes would answer the same.
                if (J == before) break;
            }
        } else {
            for (;;) {
                I = k;
                const int before = J;
                r = Process(e);
                if (J == before || (r != pmrComplete && r != pmrAmbiguous)) break;
            }
            if (r == pmrEmpty || r == pmrError) r = pmrAmbiguous;
        }
        I = e;
        return r;
    }

    // The text ran out inside an alternative: complete when the rest of the
    // mask from k may all be left out.
    TqzPictureResult CheckComplete(TqzPictureResult r, int k, int term) {
        if (r != pmrIncomplete && r != pmrIncompleteNoFill) return r;
        while (k < term) {
            const char32_t ch = M(k);
            if (ch == '[') {
                k = SkipPiece(k, term);
            } else if (ch == '*') {
                if (IsDigit(M(k + 1))) {
                    // Only "*" + one digit + an optional group may be left out.
                    if (term <= k + 2 || M(k + 2) != '[') return r;
                    k = SkipPiece(k + 2, term);
                } else {
                    k = SkipPiece(k + 1, term);
                }
            } else if (ch == ',') {
                // The alternative is done: skip to the end of the enclosing group.
                int level = 1;
                while (k < term) {
                    const char32_t c = M(k);
                    if (c == ';') {
                        k += 2;
                        continue;
                    }
                    if (c == '{')
                        ++level;
                    else if (c == '}' && --level == 0) {
                        ++k;
                        break;
                    }
                    ++k;
                }
                k = std::min(k, term);
            } else if (ch == '{') {
                const int after = SkipPiece(k, term);
                if (!GroupMayBeLeftOut(k, after)) break;
                k = after;
            } else {
                return r;
            }
        }
        return k >= term ? pmrAmbiguous : r;
    }

    // True when one alternative of the group [open, after) consists only of
    // pieces that may be left out.
    bool GroupMayBeLeftOut(int open, int after) {
        const int close = after - 1;  // the closing brace
        int start = open + 1;
        int k = start;
        for (;;) {
            if (k >= close || M(k) == ',') {
                if (CheckComplete(pmrIncomplete, start, std::max(start, std::min(k, close))) == pmrAmbiguous)
                    return true;
                if (k >= close) return false;
                start = ++k;
                continue;
            }
            k = SkipPiece(k, close);
        }
    }
};

bool IsFillStop(char32_t ch) {
    switch (ch) {
    case '#':
    case '?':
    case '&':
    case '!':
    case '@':
    case '~':
    case '*':
    case '{':
    case '}':
    case '[':
    case ']':
    case ',':
    case 0: return true;
    default: return false;
    }
}

TqzPictureResult RunPicture(const std::u32string& pic, std::u32string& text, bool autoFill) {
    if (!MaskIsSound(pic)) return pmrSyntax;
    if (text.empty()) return pmrEmpty;
    const std::u32string entry = text;
    PictureMatcher m(pic, text);
    const int term = m.MaskLength() + 1;
    TqzPictureResult result = m.Process(term);
    if (result != pmrError && result != pmrSyntax && m.J <= static_cast<int>(text.size())) result = pmrError;
    if (result == pmrIncomplete && autoFill) {
        bool added = false;
        while (m.I <= m.MaskLength() && !IsFillStop(m.M(m.I))) {
            if (m.M(m.I) == ';') ++m.I;
            text += m.M(m.I);
            ++m.I;
            added = true;
        }
        m.I = 1;
        m.J = 1;
        if (added && m.Process(term) == pmrError) {
            result = pmrIncomplete;
            text = entry;
        }
    }
    if (result == pmrAmbiguous)
        result = pmrComplete;
    else if (result == pmrIncompleteNoFill)
        result = pmrIncomplete;
    return result;
}

}  // namespace

// ---------------------------------------------------------------------------

TqzPictureValidator::TqzPictureValidator(const std::string& Mask, bool AutoFill)
    : FOptions(AutoFill ? AutoFillOption : 0), FPic(Mask) {
    std::string empty;
    if (Picture(empty, false) != pmrEmpty) FStatus = 1;
}

bool TqzPictureValidator::AcceptsInput(std::string& Text, bool NoFill) {
    return Picture(Text, (FOptions & AutoFillOption) != 0 && !NoFill) != pmrError;
}

bool TqzPictureValidator::IsCompleteOrEmpty(const std::string& Text) {
    std::string copy = Text;
    const TqzPictureResult r = Picture(copy, false);
    return r == pmrComplete || r == pmrEmpty;
}

TqzPictureResult TqzPictureValidator::Picture(std::string& Text, bool AutoFill) {
    const std::u32string pic = Decode(FPic);
    std::u32string text = Decode(Text);
    const std::u32string entry = text;
    const TqzPictureResult r = RunPicture(pic, text, AutoFill);
    if (r != pmrSyntax && text != entry) Text = Encode(text);
    return r;
}

bool qzTextMatchesPictureMask(const std::string& Mask, const std::string& Text) {
    if (Text.empty()) return true;
    TqzPictureValidator validator(Mask, false);
    std::string copy = Text;
    return validator.Picture(copy, false) == pmrComplete;
}

std::string qzTextWithKeyAtSelection(const std::string& Text, int SelStart, int SelLength, char32_t Key) {
    std::u32string s = Decode(Text);
    const int n = static_cast<int>(s.size());
    const int start = std::clamp(SelStart, 0, n);
    const int length = std::clamp(SelLength, 0, n - start);
    s.replace(static_cast<std::size_t>(start), static_cast<std::size_t>(length), 1, Key);
    return Encode(s);
}

TqzPictureKeyOutcome qzPictureMaskKeyOutcome(const std::string& EditText, int SelStart, int SelLength,
                                             const std::string& Mask, bool AutoFill, char32_t Key) {
    TqzPictureKeyOutcome out;
    const int n = static_cast<int>(Utf8Length(EnsureUtf8(EditText)));
    const int p = std::clamp(SelStart, 0, n);
    const int l = std::clamp(SelLength, 0, n - p);
    if (Key < 32 || Key > 254 || n - l > p) return out;  // left to the edit

    TqzPictureValidator validator(Mask, AutoFill);
    std::string s = qzTextWithKeyAtSelection(EditText, p, l, Key);
    const TqzPictureResult r = validator.Picture(s, AutoFill);
    out.Consumed = true;
    const int newLength = static_cast<int>(Utf8Length(s));
    switch (r) {
    case pmrComplete:
        out.SetText = true;
        out.Text = s;
        if (n == l)
            out.SelStart = newLength;
        else if (newLength <= n)
            out.SelStart = p + 1;
        else
            out.SelStart = p + (newLength - n);
        break;
    case pmrIncomplete:
        out.SetText = true;
        out.Text = s;
        if (n == l)
            out.SelStart = newLength;
        else if (l == 0)
            out.SelStart = p + (newLength - n);
        else
            out.SelStart = p + 1;
        break;
    case pmrError:
        out.Beep = true;  // the selection reaches the end here
        break;
    default: break;
    }
    return out;
}
