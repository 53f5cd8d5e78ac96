// like(), glob(), instr(), replace() and trim() of the connections: the answers of
// SQLite's own, in a time bounded per byte of the value, and watched: a
// statement that runs under the work watch is looked at every so many steps
// of their work (one call may run long: a long pattern over a large value),
// and stopped when the watch asks.
//
// The bounds (n: the value's length, m: the pattern's or needle's):
//   like, glob: no recursion, no going back past a '%' ('*'); O(n + m)
//     when the runs between two '%' hold characters only (found by their
//     borders), else O(n * k), k the longest such run with a '_' ('?') or
//     a set; the runs before the first '%' and after the last are matched
//     once, at the start and at the end. SQLite bounds m by its pattern
//     length limit (50,000 bytes, kept).
//   instr, replace, text_find: O(n + m) (short needles: at most
//     ShortNeedle bytes compared a byte of the value).
//   trim, ltrim, rtrim: O(m) and, a byte of the value, the square of the
//     continuation bytes after it (at most 3 in UTF-8).
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/db/dbtables.h"
#include "platform/db/sqlite_connection.h"

namespace {

// Work steps counted before the watch is told: a step is a byte or a
// character looked at.
constexpr uint64_t MeterBatch = 64 * 1024;

class TWorkMeter {
public:
    // Adds Steps; answers False once the statement is to stop.
    bool Add(uint64_t Steps) {
        FSteps += Steps;
        if (FSteps < MeterBatch) return true;
        const uint64_t done = FSteps;
        FSteps = 0;
        if (!FStopped && !TextWorkGoesOn(done)) FStopped = true;
        return !FStopped;
    }
    bool Stopped() const { return FStopped; }

private:
    uint64_t FSteps = 0;
    bool FStopped = false;
};

void ResultStopped(sqlite3_context* Ctx) {
    sqlite3_result_error(Ctx, SDBWorkStopped, -1);
    sqlite3_result_error_code(Ctx, SQLITE_INTERRUPT);
}

// ---- Characters as SQLite's pattern functions read them ----

// A lead byte's own bits (0xC0 to 0xFF).
uint32_t LeadBits(uint32_t c) {
    if (c < 0xE0) return c & 0x1F;
    if (c < 0xF0) return c & 0x0F;
    if (c < 0xF8) return c & 0x07;
    if (c < 0xFC) return c & 0x03;
    if (c < 0xFE) return c & 0x01;
    return 0;
}

// One character of a text that ends in a zero byte: a lead byte takes every
// continuation byte after it, and a form below 0x80, a surrogate or
// U+FFFE/U+FFFF reads as U+FFFD; any other byte is a character of its value.
inline uint32_t ReadChar(const uint8_t*& p) {
    uint32_t c = *p++;
    if (c < 0xC0) return c;
    c = LeadBits(c);
    while ((*p & 0xC0) == 0x80) c = (c << 6) + (*p++ & 0x3F);
    if (c < 0x80 || (c & 0xFFFFF800) == 0xD800 || (c & 0xFFFFFFFE) == 0xFFFE) c = 0xFFFD;
    return c;
}

// ---- Patterns ----

struct TPatternKind {
    uint32_t All, One;
    bool Sets;  // '[...]' sets (glob)
};
const TPatternKind LikeKind{'%', '_', false};
const TPatternKind GlobKind{'*', '?', true};

enum class TTokKind : uint8_t { Char, One, All, Set, Never };

struct TPatTok {
    TTokKind Kind;
    bool Invert = false;
    uint32_t Char = 0;              // Char: the character
    uint32_t First = 0, Count = 0;  // Set: its ranges
};

struct TPattern {
    std::vector<TPatTok> Toks;
    std::vector<std::pair<uint32_t, uint32_t>> Ranges;
    bool Never = false;  // a set left open or an escape at the end: matches nothing
    uint32_t Escape = 0;
    // for each character of a run of characters only: the longest proper
    // border of the run up to it (in characters)
    std::vector<uint32_t> Border;
    // the run after the last '%' when it holds ASCII characters only (they
    // are its bytes), with a '%' before it
    bool AsciiEnd = false;
    std::string EndBytes;

    bool Matches(const TPatTok& t, uint32_t c) const {
        switch (t.Kind) {
        case TTokKind::Char: return c == t.Char;
        case TTokKind::One: return true;
        case TTokKind::Set: {
            bool seen = false;
            for (uint32_t i = t.First; i < t.First + t.Count && !seen; ++i)
                seen = c >= Ranges[i].first && c <= Ranges[i].second;
            return seen != t.Invert;
        }
        default: return false;
        }
    }
};

// A set after its '[': ']' first is one of it, "a-z" a range unless the '-'
// is first or last; p is left past the closing ']'.
void ReadSet(const uint8_t*& p, TPattern& Pat) {
    TPatTok t{TTokKind::Set};
    t.First = static_cast<uint32_t>(Pat.Ranges.size());
    uint32_t c = ReadChar(p);
    if (c == '^') {
        t.Invert = true;
        c = ReadChar(p);
    }
    if (c == ']') {
        Pat.Ranges.push_back({']', ']'});
        c = ReadChar(p);
    }
    uint32_t prior = 0;
    while (c != 0 && c != ']') {
        if (c == '-' && p[0] != ']' && p[0] != 0 && prior > 0) {
            c = ReadChar(p);
            Pat.Ranges.push_back({prior, c});
            prior = 0;
        } else {
            Pat.Ranges.push_back({c, c});
            prior = c;
        }
        c = ReadChar(p);
    }
    if (c == 0) Pat.Never = true;
    t.Count = static_cast<uint32_t>(Pat.Ranges.size()) - t.First;
    Pat.Toks.push_back(t);
}

// Escape: like's escape character (0: none); All or One is 0 when it is
// the escape.
TPattern ReadPattern(const uint8_t* p, const TPatternKind& Kind, uint32_t Escape) {
    TPattern pat;
    pat.Escape = Escape;
    uint32_t c = 0;
    while (!pat.Never && (c = ReadChar(p)) != 0) {
        if (c == Kind.All) {
            if (pat.Toks.empty() || pat.Toks.back().Kind != TTokKind::All)
                pat.Toks.push_back({TTokKind::All});
        } else if (Kind.Sets && c == '[') {
            ReadSet(p, pat);
        } else if (Escape != 0 && c == Escape) {
            c = ReadChar(p);
            if (c == 0) pat.Never = true;
            pat.Toks.push_back({TTokKind::Char, false, c});
        } else if (c == Kind.One) {
            pat.Toks.push_back({TTokKind::One});
        } else {
            pat.Toks.push_back({TTokKind::Char, false, c});
        }
    }
    pat.Border.assign(pat.Toks.size(), 0);
    const auto isChar = [&](size_t x) { return x < pat.Toks.size() && pat.Toks[x].Kind == TTokKind::Char; };
    for (size_t first = 0; first < pat.Toks.size();) {
        if (!isChar(first)) {
            ++first;
            continue;
        }
        size_t x = first + 1;
        for (size_t k = 0; isChar(x); ++x) {
            while (k > 0 && pat.Toks[x].Char != pat.Toks[first + k].Char) k = pat.Border[first + k - 1];
            if (pat.Toks[x].Char == pat.Toks[first + k].Char) ++k;
            pat.Border[x] = static_cast<uint32_t>(k);
        }
        first = x;
    }
    size_t last = pat.Toks.size();
    while (last > 0 && pat.Toks[last - 1].Kind != TTokKind::All) --last;
    if (last > 0) {
        pat.AsciiEnd = true;
        for (size_t x = last; x < pat.Toks.size() && pat.AsciiEnd; ++x) {
            pat.AsciiEnd = pat.Toks[x].Kind == TTokKind::Char && pat.Toks[x].Char < 0x80;
            pat.EndBytes += static_cast<char>(pat.Toks[x].Char);
        }
    }
    return pat;
}

// Counts steps into a meter a batch at a time.
class TStepCount {
public:
    explicit TStepCount(TWorkMeter& Meter) : FMeter(Meter) {}
    ~TStepCount() { FMeter.Add(FSteps); }
    // False once the statement is to stop.
    bool Step() {
        if (++FSteps < 4096) return true;
        FSteps = 0;
        return FMeter.Add(4096);
    }
    bool Stopped() const { return FMeter.Stopped(); }

private:
    TWorkMeter& FMeter;
    uint32_t FSteps = 0;
};

// Whether tokens [First, Last) (no '%') match the characters from s on; s
// is left past them.
bool MatchHere(const TPattern& Pat, size_t First, size_t Last, const uint8_t*& s, TStepCount& Steps) {
    for (size_t i = First; i < Last; ++i) {
        if (!*s || !Steps.Step() || !Pat.Matches(Pat.Toks[i], ReadChar(s))) return false;
    }
    return true;
}

// The leftmost place at or after s where tokens [First, Last) match; s is
// left past it. Characters only: by their borders, each character of the
// text read once; with '_' or sets: tried at each place.
bool FindRun(const TPattern& Pat, size_t First, size_t Last, const uint8_t*& s, TStepCount& Steps) {
    const auto& t = Pat.Toks;
    const bool chars = std::all_of(t.begin() + First, t.begin() + Last,
                                   [](const TPatTok& k) { return k.Kind == TTokKind::Char; });
    if (!chars) {
        for (const uint8_t* at = s; *at; ReadChar(at)) {
            const uint8_t* p = at;
            if (MatchHere(Pat, First, Last, p, Steps)) {
                s = p;
                return true;
            }
            if (Steps.Stopped() || !Steps.Step()) return false;
        }
        return false;
    }
    const size_t length = Last - First;
    size_t k = 0;
    for (const uint8_t* p = s; *p;) {
        if (!Steps.Step()) return false;
        const uint32_t c = ReadChar(p);
        while (k > 0 && c != t[First + k].Char) k = Pat.Border[First + k - 1];
        if (c == t[First + k].Char && ++k == length) {
            s = p;
            return true;
        }
    }
    return false;
}

// Whether the text s (ending in a zero byte) matches. The run before the
// first '%' is matched at the start, the run after the last at the end (it
// is as many characters long as it has tokens), and each run between two at
// its leftmost place after the one before (a later place leaves less to
// the runs after it).
bool MatchPattern(const TPattern& Pat, const uint8_t* s, TWorkMeter& Meter) {
    if (Pat.Never) return false;
    TStepCount steps(Meter);
    const auto& t = Pat.Toks;
    const size_t n = t.size();
    auto runEnd = [&](size_t i) {
        while (i < n && t[i].Kind != TTokKind::All) ++i;
        return i;
    };
    size_t i = runEnd(0);
    if (!MatchHere(Pat, 0, i, s, steps)) return false;
    if (i == n) return *s == 0;
    for (size_t next = runEnd(i + 1); next < n; next = runEnd(i + 1)) {
        if (!FindRun(Pat, i + 1, next, s, steps)) return false;
        i = next;
    }
    // the last run: the characters that end the text; ASCII characters are
    // the bytes that end it (no other character reads as one)
    if (Pat.AsciiEnd) {
        const size_t bytes = std::strlen(reinterpret_cast<const char*>(s));
        if (!Meter.Add(bytes)) return false;
        const size_t length = Pat.EndBytes.size();
        return bytes >= length && std::memcmp(s + bytes - length, Pat.EndBytes.data(), length) == 0;
    }
    size_t left = 0;
    for (const uint8_t* p = s; *p; ReadChar(p), ++left)
        if (!steps.Step()) return false;
    const size_t length = n - (i + 1);
    if (left < length) return false;
    for (; left > length; --left) ReadChar(s);
    return MatchHere(Pat, i + 1, n, s, steps);
}

// Characters of a text up to its zero byte, as ReadChar reads them.
int CharCount(const uint8_t* p) {
    int n = 0;
    while (*p) {
        ReadChar(p);
        ++n;
    }
    return n;
}

// like(P, X), like(P, X, E) and glob(P, X): whether X matches P.
void PatternFunction(sqlite3_context* Ctx, int Argc, sqlite3_value** Argv) {
    TPatternKind kind = *static_cast<const TPatternKind*>(sqlite3_user_data(Ctx));
    sqlite3* db = sqlite3_context_db_handle(Ctx);
    // (as the library was built: a BLOB may match nothing)
    static const bool noBlobs = sqlite3_compileoption_used("LIKE_DOESNT_MATCH_BLOBS") != 0;
    if (noBlobs && (sqlite3_value_type(Argv[0]) == SQLITE_BLOB || sqlite3_value_type(Argv[1]) == SQLITE_BLOB))
        return sqlite3_result_int(Ctx, 0);
    if (sqlite3_value_bytes(Argv[0]) > sqlite3_limit(db, SQLITE_LIMIT_LIKE_PATTERN_LENGTH, -1))
        return sqlite3_result_error(Ctx, "LIKE or GLOB pattern too complex", -1);
    uint32_t escape = 0;
    if (Argc == 3) {
        const auto* e = sqlite3_value_text(Argv[2]);
        if (!e) return;
        if (CharCount(e) != 1)
            return sqlite3_result_error(Ctx, "ESCAPE expression must be a single character", -1);
        escape = ReadChar(e);
        if (escape == kind.All) kind.All = 0;
        if (escape == kind.One) kind.One = 0;
    }
    const uint8_t* pattern = sqlite3_value_text(Argv[0]);
    const uint8_t* text = sqlite3_value_text(Argv[1]);
    if (!pattern || !text) return;
    TWorkMeter meter;
    try {
        // a pattern that stays the same from row to row is read once
        auto* kept = static_cast<TPattern*>(sqlite3_get_auxdata(Ctx, 0));
        std::unique_ptr<TPattern> made;
        if (!kept || kept->Escape != escape) {
            made = std::make_unique<TPattern>(ReadPattern(pattern, kind, escape));
            kept = made.get();
        }
        const bool match = MatchPattern(*kept, text, meter);
        if (made)
            sqlite3_set_auxdata(Ctx, 0, made.release(), [](void* p) { delete static_cast<TPattern*>(p); });
        if (meter.Stopped()) return ResultStopped(Ctx);
        sqlite3_result_int(Ctx, match ? 1 : 0);
    } catch (const std::bad_alloc&) {
        sqlite3_result_error_nomem(Ctx);
    }
}

// ---- Finding bytes ----

// Needles up to this length are looked for by their first byte and a
// compare; longer ones by their table of borders (linear whatever they hold).
constexpr size_t ShortNeedle = 32;

// The first occurrence of Needle in Hay at or after From; npos when none
// or when the meter stops the work.
class TByteFinder {
public:
    // The building of the table counts in Meter; Built() is False when the
    // meter stopped it.
    TByteFinder(std::string_view Needle, TWorkMeter& Meter) : FNeedle(Needle) {
        if (Needle.size() <= ShortNeedle) return;
        // Border[i]: the longest proper border of Needle's first i + 1 bytes
        FBorder.resize(Needle.size());
        FBorder[0] = 0;
        size_t steps = 0;
        for (size_t i = 1, k = 0; i < Needle.size(); ++i) {
            while (k > 0 && Needle[i] != Needle[k]) {
                k = FBorder[k - 1];
                ++steps;
            }
            if (Needle[i] == Needle[k]) ++k;
            FBorder[i] = static_cast<uint32_t>(k);
            if (++steps >= 4096) {
                if (!Meter.Add(steps)) {
                    FBuilt = false;
                    return;
                }
                steps = 0;
            }
        }
        Meter.Add(steps);
    }
    bool Built() const { return FBuilt; }
    size_t Find(std::string_view Hay, size_t From, TWorkMeter& Meter) const {
        const size_t m = FNeedle.size();
        if (m == 0) return From <= Hay.size() ? From : std::string_view::npos;
        if (Hay.size() < m || From > Hay.size() - m) return std::string_view::npos;
        return FBorder.empty() ? FindShort(Hay, From, Meter) : FindLong(Hay, From, Meter);
    }

private:
    size_t FindShort(std::string_view Hay, size_t From, TWorkMeter& Meter) const {
        const size_t m = FNeedle.size(), last = Hay.size() - m;
        for (size_t at = From; at <= last;) {
            const void* hit = std::memchr(Hay.data() + at, FNeedle[0], last - at + 1);
            if (!hit) {
                Meter.Add(last - at + 1);
                return std::string_view::npos;
            }
            const size_t found = static_cast<size_t>(static_cast<const char*>(hit) - Hay.data());
            if (!Meter.Add(found - at + m)) return std::string_view::npos;
            if (std::memcmp(Hay.data() + found, FNeedle.data(), m) == 0) return found;
            at = found + 1;
        }
        return std::string_view::npos;
    }
    size_t FindLong(std::string_view Hay, size_t From, TWorkMeter& Meter) const {
        const size_t m = FNeedle.size();
        size_t k = 0, steps = 0;
        for (size_t i = From; i < Hay.size(); ++i) {
            // (each byte moves k up once, so it moves down at most as often)
            while (k > 0 && Hay[i] != FNeedle[k]) {
                k = FBorder[k - 1];
                ++steps;
            }
            if (Hay[i] == FNeedle[k] && ++k == m) return i + 1 - m;
            if (++steps >= 4096) {
                if (!Meter.Add(steps)) return std::string_view::npos;
                steps = 0;
            }
        }
        Meter.Add(steps);
        return std::string_view::npos;
    }

    std::string_view FNeedle;
    std::vector<uint32_t> FBorder;
    bool FBuilt = true;
};

// A needle and its table, kept for the statement while the needle's
// argument stays the same (sqlite3_set_auxdata).
struct TKeptNeedle {
    std::string Bytes;
    bool Blobs;
    std::unique_ptr<TByteFinder> Finder;
};

// The needle of argument Arg as kept for the statement, or made into
// Made (kept with Keep once the call is done with it); nullptr when the
// meter stopped its building.
const TByteFinder* NeedleFinder(sqlite3_context* Ctx, int Arg, std::string_view Needle, bool Blobs,
                                TWorkMeter& Meter, std::unique_ptr<TKeptNeedle>& Made) {
    auto* kept = static_cast<TKeptNeedle*>(sqlite3_get_auxdata(Ctx, Arg));
    // (kept only while the argument is the same constant)
    if (kept && kept->Blobs == Blobs && kept->Bytes.size() == Needle.size()) return kept->Finder.get();
    Made = std::make_unique<TKeptNeedle>();
    Made->Bytes.assign(Needle);
    Made->Blobs = Blobs;
    Made->Finder = std::make_unique<TByteFinder>(Made->Bytes, Meter);
    return Made->Finder->Built() ? Made->Finder.get() : nullptr;
}

void Keep(sqlite3_context* Ctx, int Arg, std::unique_ptr<TKeptNeedle> Made) {
    if (Made)
        sqlite3_set_auxdata(Ctx, Arg, Made.release(), [](void* p) { delete static_cast<TKeptNeedle*>(p); });
}

std::string_view Bytes(const void* P, int N) {
    return P && N > 0 ? std::string_view(static_cast<const char*>(P), static_cast<size_t>(N))
                      : std::string_view();
}

// instr(X, Y): the place (from 1; a character of a text, a byte of a BLOB)
// of Y's first occurrence in X; 0 when none, 1 for an empty Y.
void InstrFunction(sqlite3_context* Ctx, int, sqlite3_value** Argv) {
    const int typeX = sqlite3_value_type(Argv[0]), typeY = sqlite3_value_type(Argv[1]);
    if (typeX == SQLITE_NULL || typeY == SQLITE_NULL) return;
    if (sqlite3_value_bytes(Argv[1]) <= 0) return sqlite3_result_int(Ctx, 1);
    const bool blobs = typeX == SQLITE_BLOB && typeY == SQLITE_BLOB;
    // a BLOB with a text: both read as texts
    struct TDup {
        sqlite3_value* V;
        ~TDup() { sqlite3_value_free(V); }
    } x{nullptr}, y{nullptr};
    sqlite3_value* vx = Argv[0];
    sqlite3_value* vy = Argv[1];
    if (!blobs && (typeX == SQLITE_BLOB || typeY == SQLITE_BLOB)) {
        vx = x.V = sqlite3_value_dup(Argv[0]);
        vy = y.V = sqlite3_value_dup(Argv[1]);
        if (!vx || !vy) return sqlite3_result_error_nomem(Ctx);
    }
    const void* px = blobs ? sqlite3_value_blob(vx) : sqlite3_value_text(vx);
    const void* py = blobs ? sqlite3_value_blob(vy) : sqlite3_value_text(vy);
    if (!py || (!px && sqlite3_value_bytes(vx) > 0)) return sqlite3_result_error_nomem(Ctx);
    const std::string_view hay = Bytes(px, sqlite3_value_bytes(vx));
    const std::string_view needle = Bytes(py, sqlite3_value_bytes(vy));
    // a text is looked at from each character's start: a needle that starts
    // within a character is found at the start of the text only
    if (!blobs && (static_cast<uint8_t>(needle[0]) & 0xC0) == 0x80)
        return sqlite3_result_int(Ctx, hay.substr(0, needle.size()) == needle ? 1 : 0);
    // a value shorter than the needle holds it nowhere
    if (hay.size() < needle.size()) return sqlite3_result_int(Ctx, 0);
    TWorkMeter meter;
    try {
        std::unique_ptr<TKeptNeedle> made;
        const TByteFinder* finder = NeedleFinder(Ctx, 1, needle, blobs, meter, made);
        if (!finder) return ResultStopped(Ctx);
        const size_t at = finder->Find(hay, 0, meter);
        Keep(Ctx, 1, std::move(made));
        if (meter.Stopped()) return ResultStopped(Ctx);
        if (at == std::string_view::npos) return sqlite3_result_int(Ctx, 0);
        sqlite3_int64 place = static_cast<sqlite3_int64>(at) + 1;
        if (!blobs && at > 0) {
            place = 2;
            for (size_t i = 1; i < at; ++i)
                if ((static_cast<uint8_t>(hay[i]) & 0xC0) != 0x80) ++place;
        }
        sqlite3_result_int64(Ctx, place);
    } catch (const std::bad_alloc&) {
        sqlite3_result_error_nomem(Ctx);
    }
}

// Grows by doubling in SQLite's heap (a fenced statement's memory bound
// counts it); answers False when it cannot.
struct TOutBuffer {
    char* Data = nullptr;
    size_t Size = 0, Room = 0;
    ~TOutBuffer() { sqlite3_free(Data); }
    bool Append(std::string_view s) {
        if (Size + s.size() + 1 > Room) {
            size_t room = Room ? Room : 64;
            while (room < Size + s.size() + 1) room *= 2;
            auto* grown = static_cast<char*>(sqlite3_realloc64(Data, room));
            if (!grown) return false;
            Data = grown;
            Room = room;
        }
        if (!s.empty()) std::memcpy(Data + Size, s.data(), s.size());
        Size += s.size();
        return true;
    }
};

// replace(X, Y, Z): the text X with every occurrence of Y, left to right,
// made Z; X as it is (of its own type) for an empty Y.
void ReplaceFunction(sqlite3_context* Ctx, int, sqlite3_value** Argv) {
    const uint8_t* zx = sqlite3_value_text(Argv[0]);
    if (!zx) return;
    const std::string_view x = Bytes(zx, sqlite3_value_bytes(Argv[0]));
    const uint8_t* zy = sqlite3_value_text(Argv[1]);
    if (!zy) return;
    if (zy[0] == 0) return sqlite3_result_value(Ctx, Argv[0]);
    const std::string_view y = Bytes(zy, sqlite3_value_bytes(Argv[1]));
    const uint8_t* zz = sqlite3_value_text(Argv[2]);
    if (!zz) return;
    const std::string_view z = Bytes(zz, sqlite3_value_bytes(Argv[2]));
    const auto limit =
        static_cast<size_t>(sqlite3_limit(sqlite3_context_db_handle(Ctx), SQLITE_LIMIT_LENGTH, -1));
    TWorkMeter meter;
    TOutBuffer out;
    // a value shorter than the needle holds it nowhere: itself, as a text
    if (x.size() < y.size()) {
        return sqlite3_result_text64(Ctx, x.empty() ? "" : x.data(), x.size(), SQLITE_TRANSIENT, SQLITE_UTF8);
    }
    try {
        std::unique_ptr<TKeptNeedle> made;
        const TByteFinder* finder = NeedleFinder(Ctx, 1, y, false, meter, made);
        if (!finder) return ResultStopped(Ctx);
        struct TKeepAtEnd {
            sqlite3_context* Ctx;
            std::unique_ptr<TKeptNeedle>& Made;
            ~TKeepAtEnd() { Keep(Ctx, 1, std::move(Made)); }
        } keepAtEnd{Ctx, made};
        size_t from = 0;
        for (;;) {
            const size_t at = finder->Find(x, from, meter);
            if (meter.Stopped()) return ResultStopped(Ctx);
            const bool found = at != std::string_view::npos;
            const size_t end = found ? at : x.size();
            if (out.Size + (end - from) + (found ? z.size() : 0) > limit)
                return sqlite3_result_error_toobig(Ctx);
            if (!out.Append(x.substr(from, end - from)) || (found && !out.Append(z)))
                return sqlite3_result_error_nomem(Ctx);
            if (!found) break;
            from = at + y.size();
        }
    } catch (const std::bad_alloc&) {
        return sqlite3_result_error_nomem(Ctx);
    }
    if (!out.Append({})) return sqlite3_result_error_nomem(Ctx);
    out.Data[out.Size] = 0;
    const size_t size = out.Size;
    char* data = out.Data;
    out.Data = nullptr;
    sqlite3_result_text64(Ctx, data, size, sqlite3_free, SQLITE_UTF8);
}

// ---- Trimming ----

// trim(X[, Y]), ltrim, rtrim: X less the characters of Y (a space without
// Y) at its start (Ends & 1) and its end (Ends & 2). Y's characters are its
// byte runs as SQLite's trim reads them (a lead byte and the continuation
// bytes after it); where two of them end X, the first in Y goes. Each is
// looked up once a length: a byte of X costs no more than the continuation
// bytes after it, whatever Y's length.
void TrimFunction(sqlite3_context* Ctx, int Argc, sqlite3_value** Argv) {
    if (sqlite3_value_type(Argv[0]) == SQLITE_NULL) return;
    const uint8_t* zx = sqlite3_value_text(Argv[0]);
    if (!zx) return;
    std::string_view x = Bytes(zx, sqlite3_value_bytes(Argv[0]));
    const uint8_t* set = reinterpret_cast<const uint8_t*>(" ");
    if (Argc == 2 && !(set = sqlite3_value_text(Argv[1]))) return;
    const int ends = static_cast<int>(reinterpret_cast<intptr_t>(sqlite3_user_data(Ctx)));
    auto isCont = [](char c) { return (static_cast<uint8_t>(c) & 0xC0) == 0x80; };
    // a set of ASCII characters: each is a byte, and a byte of X below 0x80
    // is a character of its own
    bool inSet[128] = {};
    bool ascii = true;
    for (const uint8_t* p = set; *p && ascii; ++p) {
        ascii = *p < 0x80;
        if (ascii) inSet[*p] = true;
    }
    if (ascii) {
        const auto trimmed = [&](char c) {
            return static_cast<uint8_t>(c) < 0x80 && inSet[static_cast<uint8_t>(c)];
        };
        TWorkMeter meter;
        size_t steps = 0;
        const auto step = [&] { return ++steps % 4096 != 0 || meter.Add(4096); };
        if (ends & 1)
            while (!x.empty() && trimmed(x.front()) && step()) x.remove_prefix(1);
        if (ends & 2)
            while (!x.empty() && trimmed(x.back()) && step()) x.remove_suffix(1);
        if (meter.Stopped()) return ResultStopped(Ctx);
        return sqlite3_result_text64(Ctx, x.empty() ? "" : x.data(), x.size(), SQLITE_TRANSIENT, SQLITE_UTF8);
    }
    TWorkMeter meter;
    try {
        std::unordered_map<std::string_view, size_t> first;  // a character of Y: its first place
        size_t longest = 0;
        for (const uint8_t* p = set; *p;) {
            const uint8_t* start = p;
            if (*p++ >= 0xC0)
                while ((*p & 0xC0) == 0x80) ++p;
            const std::string_view c(reinterpret_cast<const char*>(start), static_cast<size_t>(p - start));
            first.emplace(c, first.size());
            longest = std::max(longest, c.size());
            if (!meter.Add(c.size())) return ResultStopped(Ctx);
        }
        // the first in Y of those of the given lengths that X holds at At
        auto pick = [&](size_t At, size_t Length, size_t& Best, size_t& BestLength) {
            const auto it = first.find(x.substr(At, Length));
            if (it != first.end() && it->second < Best) {
                Best = it->second;
                BestLength = Length;
            }
        };
        while ((ends & 1) && !first.empty() && !x.empty()) {
            size_t best = SIZE_MAX, length = 0, run = 1;
            if (static_cast<uint8_t>(x[0]) >= 0xC0)
                while (run < x.size() && run < longest && isCont(x[run])) ++run;
            for (size_t l = 1; l <= run; ++l) pick(0, l, best, length);
            if (best == SIZE_MAX) break;
            x.remove_prefix(length);
            if (!meter.Add(run * run)) return ResultStopped(Ctx);
        }
        while ((ends & 2) && !first.empty() && !x.empty()) {
            size_t best = SIZE_MAX, length = 0, run = 0;
            while (run + 1 < x.size() && run + 1 < longest && isCont(x[x.size() - 1 - run])) ++run;
            pick(x.size() - 1, 1, best, length);
            if (run > 0 && static_cast<uint8_t>(x[x.size() - 1 - run]) >= 0xC0)
                pick(x.size() - 1 - run, run + 1, best, length);
            if (best == SIZE_MAX) break;
            x.remove_suffix(length);
            if (!meter.Add(run + 1)) return ResultStopped(Ctx);
        }
    } catch (const std::bad_alloc&) {
        return sqlite3_result_error_nomem(Ctx);
    }
    // (an empty text, not a null)
    sqlite3_result_text64(Ctx, x.empty() ? "" : x.data(), x.size(), SQLITE_TRANSIENT, SQLITE_UTF8);
}

void Add(sqlite3* Db, const char* Name, int Args, void* Data,
         void (*Function)(sqlite3_context*, int, sqlite3_value**)) {
    sqlite3_create_function(Db, Name, Args, SQLITE_UTF8 | SQLITE_DETERMINISTIC | SQLITE_INNOCUOUS, Data,
                            Function, nullptr, nullptr);
}

}  // namespace

size_t FindBytesWatched(std::string_view Hay, std::string_view Needle, bool& Stopped) {
    TWorkMeter meter;
    const TByteFinder finder(Needle, meter);
    const size_t at = finder.Built() ? finder.Find(Hay, 0, meter) : std::string_view::npos;
    Stopped = meter.Stopped();
    return at;
}

struct TNeedleFinder::TImpl {
    std::string Needle;
    std::unique_ptr<TByteFinder> Finder;
};

TNeedleFinder::TNeedleFinder(std::string_view Needle, bool& Stopped) : FImpl(std::make_unique<TImpl>()) {
    FImpl->Needle.assign(Needle);
    // the table's building is work of the statement's
    TWorkMeter meter;
    FImpl->Finder = std::make_unique<TByteFinder>(FImpl->Needle, meter);
    Stopped = !FImpl->Finder->Built() || meter.Stopped();
}

TNeedleFinder::~TNeedleFinder() = default;

size_t TNeedleFinder::Find(std::string_view Hay, bool& Stopped) const {
    TWorkMeter meter;
    const size_t at = FImpl->Finder->Find(Hay, 0, meter);
    Stopped = meter.Stopped();
    return at;
}

size_t TNeedleFinder::NeedleSize() const { return FImpl->Needle.size(); }

void AddTextMatchFunctions(sqlite3* Db) {
    Add(Db, "like", 2, const_cast<TPatternKind*>(&LikeKind), PatternFunction);
    Add(Db, "like", 3, const_cast<TPatternKind*>(&LikeKind), PatternFunction);
    Add(Db, "glob", 2, const_cast<TPatternKind*>(&GlobKind), PatternFunction);
    Add(Db, "instr", 2, nullptr, InstrFunction);
    Add(Db, "replace", 3, nullptr, ReplaceFunction);
    for (int args = 1; args <= 2; ++args) {
        Add(Db, "ltrim", args, reinterpret_cast<void*>(intptr_t{1}), TrimFunction);
        Add(Db, "rtrim", args, reinterpret_cast<void*>(intptr_t{2}), TrimFunction);
        Add(Db, "trim", args, reinterpret_cast<void*>(intptr_t{3}), TrimFunction);
    }
}
