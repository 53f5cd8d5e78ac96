// The token, word and part splitters, trimming and character replacing, and the
// lookups of tabbed lines.
#include "suite/base/qzstr.h"

#include <algorithm>

#include "platform/core/case_fold.h"
#include "platform/core/strings.h"
#include "platform/core/sysutils.h"

namespace {

// The case fold for searching; keeps byte positions.
std::string SearchUpper(const std::string& s) { return FoldCase(s); }

bool IsBlank(char ch) { return ch == ' ' || ch == '\t'; }

}  // namespace

std::string qzExtractFileStem(const std::string& Path) {
    const std::size_t slash = Path.find_last_of("/\\");
    const std::string name = slash == std::string::npos ? Path : Path.substr(slash + 1);
    const std::size_t dot = name.find('.');
    return dot == std::string::npos ? name : name.substr(0, dot);
}

std::string qzStrGetToken(const std::string& S, const std::string& Delim, int& Pos) {
    if (Pos < 1) return std::string();
    if (Pos > static_cast<int>(S.size())) {
        Pos = -1;  // past the last field: stop, never start over
        return std::string();
    }
    const std::string rest = S.substr(static_cast<std::size_t>(Pos - 1));
    std::size_t found;
    std::size_t delimLength;
    if (Delim.size() == 1) {
        found = rest.find(Delim[0]);
        delimLength = 1;
    } else {
        const std::string word = " " + Delim + " ";
        found = Delim.empty() ? std::string::npos : SearchUpper(rest).find(SearchUpper(word));
        delimLength = word.size();
    }
    if (found == std::string::npos) {
        Pos = -1;
        return rest;
    }
    Pos += static_cast<int>(found + delimLength);
    return rest.substr(0, found);
}

void qzStrGetToken(const std::string& S, const std::string& Delim, int& Pos, std::string& Token) {
    Token = qzStrGetToken(S, Delim, Pos);
}

void qzStrGetWord(const std::string& S, int& Pos, int Options, std::string& Word, const TqzCharSet& Delims) {
    const int length = static_cast<int>(S.size());
    if (Pos < 1 || Pos > length) return;
    const auto at = [&](int k) { return S[static_cast<std::size_t>(k - 1)]; };
    if (Options & qzgwSkipBlanks) {
        while (Pos <= length && IsBlank(at(Pos))) ++Pos;
        if (Pos > length) {
            Word.clear();
            return;
        }
    }
    if ((Options & qzgwQuoted) && at(Pos) == '"') {
        const std::size_t close = S.find('"', static_cast<std::size_t>(Pos));
        const int end = close == std::string::npos ? length : static_cast<int>(close) + 1;
        Word = S.substr(static_cast<std::size_t>(Pos - 1), static_cast<std::size_t>(end - Pos + 1));
        Pos = end + 1;
        if (Options & qzgwStripQuotes) {
            Word.erase(0, 1);
            if (!Word.empty() && (Word.back() == '"' || Word.back() == '\'')) Word.pop_back();
        }
        return;
    }
    const unsigned char below = (Options & qzgwKeepBlanks) ? 32 : 33;
    const auto ends = [&](char ch) { return static_cast<unsigned char>(ch) < below || Delims.Contains(ch); };
    if (ends(at(Pos))) {
        Word.assign(1, at(Pos));
        ++Pos;
        return;
    }
    int k = Pos;
    while (k <= length && !ends(at(k))) ++k;
    Word = S.substr(static_cast<std::size_t>(Pos - 1), static_cast<std::size_t>(k - Pos));
    Pos = k;
}

void qzStrSplit(const std::string& S, const std::string& Delim, TStrings* List) {
    if (!List) return;
    List->Clear();
    if (Delim.empty()) {
        List->Add(S);
        return;
    }
    std::size_t start = 0;
    for (;;) {
        const std::size_t found = S.find(Delim, start);
        if (found == std::string::npos) break;
        List->Add(S.substr(start, found - start));
        start = found + Delim.size();
    }
    List->Add(S.substr(start));
}

std::vector<std::string> qzSemiParts(const std::string& S) {
    std::vector<std::string> parts;
    size_t start = 0;
    for (;;) {
        const size_t semi = S.find(';', start);
        parts.push_back(S.substr(start, semi == std::string::npos ? std::string::npos : semi - start));
        if (semi == std::string::npos) break;
        start = semi + 1;
    }
    return parts;
}

void qzStrTrim(std::string& S) {
    const TqzCharSet blanks = qzBlankSet();
    S = qzStrTrimLeftSet(S, blanks);
    qzStrTrimRightSet(S, blanks);
}

std::string qzStrTrimLeftSet(const std::string& S, const TqzCharSet& Set) {
    std::size_t k = 0;
    while (k < S.size() && Set.Contains(S[k])) ++k;
    return S.substr(k);
}

void qzStrTrimRightSet(std::string& S, const TqzCharSet& Set) {
    while (!S.empty() && Set.Contains(S.back())) S.pop_back();
}

std::string qzStrRemoveChar(const std::string& S, char Ch) {
    std::string out;
    out.reserve(S.size());
    for (const char c : S)
        if (c != Ch) out += c;
    return out;
}

std::string qzStrReplaceChar(const std::string& S, char OldCh, char NewCh) {
    std::string out = S;
    std::replace(out.begin(), out.end(), OldCh, NewCh);
    return out;
}

std::string qzStrReplaceCharWithStr(const std::string& S, char Ch, const std::string& Str) {
    std::string out;
    out.reserve(S.size());
    for (const char c : S) {
        if (c == Ch)
            out += Str;
        else
            out += c;
    }
    return out;
}

bool qzStrEqualNoCase(const std::string& A, const std::string& B) { return SameFolded(A, B); }

int qzStrCountChar(const std::string& S, char Ch) {
    return static_cast<int>(std::count(S.begin(), S.end(), Ch));
}

std::string qzStrAfterChar(const std::string& S, char Ch) {
    const std::size_t k = S.find(Ch);
    return k == std::string::npos ? std::string() : S.substr(k + 1);
}

std::string qzStrBeforeChar(const std::string& S, char Ch) {
    const std::size_t k = S.find(Ch);
    return k == std::string::npos ? std::string() : S.substr(0, k);
}

std::string qzStrAfterChar(const std::string& S, char Ch, std::string& Rest) {
    Rest = qzStrAfterChar(S, Ch);
    return Rest;
}

int qzIndexOfText(TStrings* Strings, const std::string& Text) {
    if (!Strings) return -1;
    for (int i = 0; i < Strings->Count(); ++i)
        if (qzStrEqualNoCase(Strings->Strings(i), Text)) return i;
    return -1;
}

bool qzFindTabbedLine(TStrings* List, const std::string& Name, int& Index) {
    if (!List) return false;
    for (int i = 0; i < List->Count(); ++i) {
        const std::string line = List->Strings(i);
        if (qzStrEqualNoCase(line.substr(0, line.find('\t')), Name)) {
            Index = i;
            return true;
        }
    }
    return false;
}

int qzMaxInt(int A, int B) { return A > B ? A : B; }
int qzMax(int A, int B) { return A > B ? A : B; }
int qzMin(int A, int B) { return A < B ? A : B; }
int qzClamp(int Value, int Min, int Max) {
    if (Value > Max) Value = Max;
    if (Value < Min) Value = Min;
    return Value;
}

void qzGetNextToken(const std::string& Text, int& Pos, std::string& Token) {
    const int len = static_cast<int>(Text.size());
    if (Pos < 1 || Pos > len) return;
    int p = Pos;
    while (p <= len && (Text[p - 1] == ' ' || Text[p - 1] == '\t')) ++p;
    if (p > len) {
        Pos = p;
        return;
    }
    const char c = Text[p - 1];
    if (c == '"' || c == '\'') {
        const std::size_t close = Text.find(c, static_cast<std::size_t>(p));
        if (close == std::string::npos) {
            Pos = p;  // stays on the unclosed quote
            return;
        }
        Token = Text.substr(p - 1, close - (p - 1) + 1);
        Pos = static_cast<int>(close) + 2;
        return;
    }
    auto isName = [](char ch) {
        return ch == '$' || ch == '.' || ch == '_' || (ch >= '0' && ch <= '9') || (ch >= 'A' && ch <= 'Z');
    };
    int end = p;
    while (end <= len && isName(Text[end - 1])) ++end;
    if (end == p) end = p + 1;
    Token = Text.substr(p - 1, end - p);
    Pos = end;
}
