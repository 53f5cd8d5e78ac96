// The shared connection registry, SQLite's case folding and text functions, and the
// statement wrapper's binding, stepping and reading of columns.
#include "platform/db/sqlite_connection.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <mutex>

#include "platform/core/case_fold.h"
#include "platform/core/datetime.h"
#include "platform/core/files.h"
#include "platform/core/sysutils.h"
#include "platform/core/text.h"
#include "platform/db/dbtables.h"

namespace {

// ---- The case fold of the platform (case_fold.h) as SQL: the FOLD
// collation and the functions fold(), upper() and lower().

int FoldCollate(void*, int n1, const void* a, int n2, const void* b) {
    const std::string_view x(static_cast<const char*>(a), n1 > 0 ? static_cast<size_t>(n1) : 0);
    const std::string_view y(static_cast<const char*>(b), n2 > 0 ? static_cast<size_t>(n2) : 0);
    const int c = CompareFolded(x, y);
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

void MapFunction(sqlite3_context* ctx, int argc, sqlite3_value** argv, std::string (*map)(std::string_view)) {
    if (argc != 1 || sqlite3_value_type(argv[0]) == SQLITE_NULL) {
        sqlite3_result_null(ctx);
        return;
    }
    const auto* text = reinterpret_cast<const char*>(sqlite3_value_text(argv[0]));
    const int n = sqlite3_value_bytes(argv[0]);
    const std::string out =
        map(std::string_view(text ? text : "", text && n > 0 ? static_cast<size_t>(n) : 0));
    sqlite3_result_text(ctx, out.data(), static_cast<int>(out.size()), SQLITE_TRANSIENT);
}

// Runs once per row of a folded search: folds straight into SQLite's buffer.
void FoldFunction(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
    if (argc != 1 || sqlite3_value_type(argv[0]) == SQLITE_NULL) {
        sqlite3_result_null(ctx);
        return;
    }
    const auto* text = reinterpret_cast<const char*>(sqlite3_value_text(argv[0]));
    const int n = sqlite3_value_bytes(argv[0]);
    if (!text || n <= 0) {
        sqlite3_result_text(ctx, "", 0, SQLITE_STATIC);
        return;
    }
    auto* out = static_cast<uint8_t*>(sqlite3_malloc64(static_cast<sqlite3_uint64>(n)));
    if (!out) {
        sqlite3_result_error_nomem(ctx);
        return;
    }
    FoldBytes(std::string_view(text, static_cast<size_t>(n)), 0, out, static_cast<size_t>(n));
    sqlite3_result_text(ctx, reinterpret_cast<const char*>(out), n, sqlite3_free);
}
// text_find(X, Y, Fold[, Cut]): the byte position (from 1) of Y's first
// occurrence in X, folded when Fold, X first cut to Cut bytes as text_cut
// cuts (Cut below 0: whole); 0 when none. A null reads as the empty text.
// It folds into a buffer of its own: no allocation per row.
void TextFindFunction(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
    if (argc != 3 && argc != 4) return sqlite3_result_null(ctx);
    auto text = [](sqlite3_value* v) {
        // a BLOB's bytes as they are (text_utf8's among them), whatever the database's encoding
        const auto* t = reinterpret_cast<const char*>(
            sqlite3_value_type(v) == SQLITE_BLOB ? sqlite3_value_blob(v) : sqlite3_value_text(v));
        const int n = sqlite3_value_bytes(v);
        return t && n > 0 ? std::string_view(t, static_cast<size_t>(n)) : std::string_view();
    };
    std::string_view x = text(argv[0]);
    const std::string_view y = text(argv[1]);
    if (argc == 4) {
        const sqlite3_int64 cut = sqlite3_value_int64(argv[3]);
        if (cut >= 0 && x.size() > static_cast<size_t>(cut))
            x = x.substr(0, Utf8Truncate(x, static_cast<size_t>(cut)).size());
    }
    // a text shorter than the needle holds it nowhere (the fold keeps its length)
    if (x.size() < y.size()) return sqlite3_result_int64(ctx, 0);
    if (y.empty()) return sqlite3_result_int64(ctx, 1);
    const auto stop = [ctx] {
        sqlite3_result_error(ctx, SDBWorkStopped, -1);
        sqlite3_result_error_code(ctx, SQLITE_INTERRUPT);
    };
    thread_local std::string folded;
    if (sqlite3_value_int(argv[2]) != 0) {
        folded.resize(x.size());
        FoldBytes(x, 0, reinterpret_cast<uint8_t*>(folded.data()), x.size());
        x = folded;
        if (!TextWorkGoesOn(x.size())) return stop();
    }
    // the needle's table is built once per statement (a needle that is no
    // constant: once per call)
    bool stopped = false;
    std::unique_ptr<TNeedleFinder> made;
    const auto* finder = static_cast<const TNeedleFinder*>(sqlite3_get_auxdata(ctx, 1));
    if (!finder) {
        made = std::make_unique<TNeedleFinder>(y, stopped);
        if (stopped) return stop();
        finder = made.get();
    }
    const size_t at = finder->Find(x, stopped);
    if (stopped) return stop();
    sqlite3_result_int64(ctx, at == std::string_view::npos ? 0 : static_cast<sqlite3_int64>(at) + 1);
    // (last: SQLite may free it at once)
    if (made)
        sqlite3_set_auxdata(ctx, 1, made.release(), [](void* P) { delete static_cast<TNeedleFinder*>(P); });
}

// text_utf8(X): X as the datasets read it, as a BLOB: a text's UTF-8 bytes
// whatever the database's encoding, a BLOB's own; null for a null.
void TextUtf8Function(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
    if (argc != 1 || sqlite3_value_type(argv[0]) == SQLITE_NULL) return sqlite3_result_null(ctx);
    const void* p = sqlite3_value_type(argv[0]) == SQLITE_BLOB
                        ? sqlite3_value_blob(argv[0])
                        : static_cast<const void*>(sqlite3_value_text(argv[0]));
    sqlite3_result_blob(ctx, p ? p : "", p ? sqlite3_value_bytes(argv[0]) : 0, SQLITE_TRANSIENT);
}

// text_cut(X, N): X as the datasets read it (a text's UTF-8 bytes, a
// BLOB's own) cut to its first N bytes at a character's start
// (Utf8Truncate), as a text; null for a null.
void TextCutFunction(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
    if (argc != 2 || sqlite3_value_type(argv[0]) == SQLITE_NULL) return sqlite3_result_null(ctx);
    const void* p = sqlite3_value_type(argv[0]) == SQLITE_BLOB
                        ? sqlite3_value_blob(argv[0])
                        : static_cast<const void*>(sqlite3_value_text(argv[0]));
    const int n = p ? sqlite3_value_bytes(argv[0]) : 0;
    const sqlite3_int64 most = sqlite3_value_int64(argv[1]);
    if (most < 0 || n <= most)
        return sqlite3_result_text64(ctx, p ? static_cast<const char*>(p) : "",
                                     static_cast<sqlite3_uint64>(n), SQLITE_TRANSIENT, SQLITE_UTF8);
    const std::string cut = Utf8Truncate(
        std::string_view(static_cast<const char*>(p), static_cast<size_t>(n)), static_cast<size_t>(most));
    sqlite3_result_text64(ctx, cut.data(), cut.size(), SQLITE_TRANSIENT, SQLITE_UTF8);
}

void UpperFunction(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
    MapFunction(ctx, argc, argv, UnicodeUpperCase);
}
void LowerFunction(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
    MapFunction(ctx, argc, argv, UnicodeLowerCase);
}

std::mutex& RegistryLock() {
    static std::mutex m;
    return m;
}
std::map<std::string, std::weak_ptr<TSqliteConnection>>& Registry() {
    static std::map<std::string, std::weak_ptr<TSqliteConnection>> r;
    return r;
}

}  // namespace

[[noreturn]] void SqliteFail(sqlite3* Db, int Code) {
    if (Code == SQLITE_BUSY) throw EDBEngineError(SDataLocked, DBIERR_LOCKED);
    std::string message = Db ? sqlite3_errmsg(Db) : sqlite3_errstr(Code);
    throw EDBEngineError(message, Code);
}

std::string SqlName(const std::string& Name) {
    std::string out = "\"";
    for (char c : Name) {
        if (c == '"') out += '"';
        out += c;
    }
    return out + "\"";
}

// ---- Statements ----

TSqliteStatement::TSqliteStatement(sqlite3* Db, const std::string& Sql, const TSqlFence* Fence) : FDb(Db) {
    CheckNotInWatch();
    if (Fence) {
        FWork.Length = FenceLength(Db);
        FStmt = PrepareFenced(Db, Sql, *Fence, FWork.Length);
        FWatched = Fence->Watched;
    }
    for (int attempt = 1; !Fence; ++attempt) {
        const int rc = sqlite3_prepare_v2(Db, Sql.c_str(), static_cast<int>(Sql.size()), &FStmt, nullptr);
        if (rc == SQLITE_OK) break;
        sqlite3_finalize(FStmt);
        FStmt = nullptr;
        if (rc == SQLITE_BUSY && LockRetryAllowed(attempt)) continue;
        SqliteFail(Db, rc);
    }
    if (!FStmt) throw EDBEngineError("Empty SQL statement", SQLITE_MISUSE);
}

TSqliteStatement::~TSqliteStatement() {
    EndWork();
    sqlite3_finalize(FStmt);
}

bool TSqliteStatement::Step() {
    CheckNotInWatch();
    for (int attempt = 1;; ++attempt) {
        const int rc = StepOnce();
        if (rc == SQLITE_ROW) {
            FStepped = true;
            return true;
        }
        if (rc == SQLITE_DONE) return false;
        sqlite3_reset(FStmt);
        // a lock met before the first row: the statement runs again from its start
        if (rc == SQLITE_BUSY && !FStepped && LockRetryAllowed(attempt)) continue;
        if (FWork.Length > 0 && (rc == SQLITE_TOOBIG || rc == SQLITE_NOMEM))
            throw EDBEngineError(SFilterTooLarge, rc);
        SqliteFail(FDb, rc);
    }
}

void TSqliteStatement::Reset() {
    EndWork();
    FStepped = false;
    sqlite3_reset(FStmt);
    sqlite3_clear_bindings(FStmt);
}

void TSqliteStatement::BindNull(int Index) { sqlite3_bind_null(FStmt, Index); }
void TSqliteStatement::BindInt(int Index, int64_t Value) { sqlite3_bind_int64(FStmt, Index, Value); }
void TSqliteStatement::BindDouble(int Index, double Value) { sqlite3_bind_double(FStmt, Index, Value); }
void TSqliteStatement::BindText(int Index, const std::string& Value) {
    sqlite3_bind_text(FStmt, Index, Value.data(), static_cast<int>(Value.size()), SQLITE_TRANSIENT);
}
void TSqliteStatement::BindBlob(int Index, const std::string& Value) {
    sqlite3_bind_blob(FStmt, Index, Value.data(), static_cast<int>(Value.size()), SQLITE_TRANSIENT);
}

std::string TSqliteStatement::ColumnText(int Index) const { return ColumnBytes(FStmt, Index); }

std::string ColumnBytes(sqlite3_stmt* St, int Col) {
    // a text as UTF-8 (SQLite converts one kept in UTF-16); a BLOB's bytes as
    // they are (read as text they would be taken for the database's encoding)
    const bool text = sqlite3_column_type(St, Col) == SQLITE_TEXT;
    const void* p =
        text ? static_cast<const void*>(sqlite3_column_text(St, Col)) : sqlite3_column_blob(St, Col);
    const int n = sqlite3_column_bytes(St, Col);
    return p && n > 0 ? std::string(static_cast<const char*>(p), static_cast<size_t>(n)) : std::string();
}

bool IsUtf8Database(sqlite3* Db) {
    TSqliteStatement st(Db, "PRAGMA encoding");
    return st.Step() && st.ColumnText(0) == "UTF-8";
}

// ---- Connections ----

TSqliteConnection::~TSqliteConnection() { sqlite3_close_v2(FDb); }

void TSqliteConnection::Execute(const std::string& Sql) {
    CheckNotInWatch();
    // statement by statement, so that one that meets a lock is the one tried again
    const char* rest = Sql.c_str();
    const char* const end = rest + Sql.size();
    while (rest < end) {
        sqlite3_stmt* raw = nullptr;
        const char* tail = nullptr;
        int rc = SQLITE_OK;
        for (int attempt = 1;; ++attempt) {
            rc = sqlite3_prepare_v2(FDb, rest, static_cast<int>(end - rest), &raw, &tail);
            if (rc != SQLITE_BUSY || !LockRetryAllowed(attempt)) break;
        }
        if (rc != SQLITE_OK) {
            sqlite3_finalize(raw);
            SqliteFail(FDb, rc);
        }
        const bool moved = tail && tail > rest;
        rest = moved ? tail : end;
        if (!raw) continue;  // blanks or a comment
        struct TFinal {
            sqlite3_stmt* St;
            ~TFinal() { sqlite3_finalize(St); }
        } final{raw};
        bool stepped = false;
        for (int attempt = 1;; ++attempt) {
            rc = sqlite3_step(raw);
            if (rc == SQLITE_ROW) {
                stepped = true;
                continue;
            }
            if (rc == SQLITE_DONE) break;
            sqlite3_reset(raw);
            if (rc == SQLITE_BUSY && !stepped && LockRetryAllowed(attempt)) continue;
            SqliteFail(FDb, rc);
        }
    }
}

std::string TSqliteConnection::ResolvePath(const std::string& DatabaseName) {
    if (DatabaseName == ":memory:" || DatabaseName.empty()) return DatabaseName;
    if (DatabaseName[0] == '/') return DatabaseName;
    std::string dir = GetCurrentDir();
    if (!dir.empty() && dir.back() != '/') dir += '/';
    return dir + DatabaseName;
}

bool TSqliteConnection::IsOpen(const std::string& DatabaseName) {
    std::lock_guard<std::mutex> lock(RegistryLock());
    auto it = Registry().find(ResolvePath(DatabaseName));
    return it != Registry().end() && !it->second.expired();
}

std::shared_ptr<TSqliteConnection> TSqliteConnection::Acquire(const std::string& DatabaseName) {
    if (DatabaseName.empty()) throw EDatabaseError("Missing DatabaseName property");
    const std::string path = ResolvePath(DatabaseName);
    std::lock_guard<std::mutex> lock(RegistryLock());
    auto& slot = Registry()[path];
    if (auto existing = slot.lock()) return existing;
    // A name that leads to a named pipe, a device or a folder is refused
    // before the library would wait on it or read it.
    if (FileExists(path) || DirectoryExists(path)) {
        try {
            ::close(OpenRegularFile(path, O_RDONLY));
        } catch (const Exception& e) {
            Registry().erase(path);
            throw EDBEngineError(e.Message(), SQLITE_CANTOPEN);
        }
    }
    std::shared_ptr<TSqliteConnection> c(new TSqliteConnection);
    c->FPath = path;
    const int rc = sqlite3_open_v2(
        path.c_str(), &c->FDb, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_FULLMUTEX, nullptr);
    if (rc != SQLITE_OK) {
        std::string message = c->FDb ? sqlite3_errmsg(c->FDb) : sqlite3_errstr(rc);
        Registry().erase(path);
        throw EDBEngineError(message + ": " + DatabaseName, rc);
    }
    // no text may replace a full-text tokenizer (the pointer it names would be
    // called), write the schema or load code
    sqlite3_db_config(c->FDb, SQLITE_DBCONFIG_ENABLE_FTS3_TOKENIZER, 0, nullptr);
    sqlite3_db_config(c->FDb, SQLITE_DBCONFIG_DEFENSIVE, 1, nullptr);
    sqlite3_db_config(c->FDb, SQLITE_DBCONFIG_ENABLE_LOAD_EXTENSION, 0, nullptr);
    // the file's views, triggers and defaults call only harmless functions
    sqlite3_db_config(c->FDb, SQLITE_DBCONFIG_TRUSTED_SCHEMA, 0, nullptr);
    // a lock is met at once and tried again by the lock-retry check
    sqlite3_busy_timeout(c->FDb, 0);
    // no value (a filter's among them) may claim more than this
    sqlite3_limit(c->FDb, SQLITE_LIMIT_LENGTH, MaxValueLength);
    sqlite3_extended_result_codes(c->FDb, 0);
    sqlite3_create_collation(c->FDb, "FOLD", SQLITE_UTF8, nullptr, FoldCollate);
    sqlite3_create_function(c->FDb, "fold", 1, SQLITE_UTF8 | SQLITE_DETERMINISTIC | SQLITE_INNOCUOUS, nullptr,
                            FoldFunction, nullptr, nullptr);
    for (int args = 3; args <= 4; ++args)
        sqlite3_create_function(c->FDb, "text_find", args,
                                SQLITE_UTF8 | SQLITE_DETERMINISTIC | SQLITE_INNOCUOUS, nullptr,
                                TextFindFunction, nullptr, nullptr);
    sqlite3_create_function(c->FDb, "text_utf8", 1, SQLITE_UTF8 | SQLITE_DETERMINISTIC | SQLITE_INNOCUOUS,
                            nullptr, TextUtf8Function, nullptr, nullptr);
    sqlite3_create_function(c->FDb, "text_cut", 2, SQLITE_UTF8 | SQLITE_DETERMINISTIC | SQLITE_INNOCUOUS,
                            nullptr, TextCutFunction, nullptr, nullptr);
    sqlite3_create_function(c->FDb, "upper", 1, SQLITE_UTF8 | SQLITE_DETERMINISTIC | SQLITE_INNOCUOUS,
                            nullptr, UpperFunction, nullptr, nullptr);
    sqlite3_create_function(c->FDb, "lower", 1, SQLITE_UTF8 | SQLITE_DETERMINISTIC | SQLITE_INNOCUOUS,
                            nullptr, LowerFunction, nullptr, nullptr);
    c->Execute("PRAGMA case_sensitive_like = ON");
    // (after the pragma, which sets SQLite's own like)
    AddTextMatchFunctions(c->FDb);
    slot = c;
    return c;
}

// ---- Values ----

namespace {

template <class T>
std::string Native(T value) {
    return std::string(reinterpret_cast<const char*>(&value), sizeof value);
}
template <class T>
T FromNative(const std::string& s) {
    T v{};
    std::memcpy(&v, s.data(), std::min(sizeof v, s.size()));
    return v;
}

std::string Upper(std::string s) {
    for (char& c : s)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
    return s;
}

int Digits(const std::string& s, size_t pos, size_t n, bool& ok) {
    int v = 0;
    if (pos + n > s.size()) {
        ok = false;
        return 0;
    }
    for (size_t i = pos; i < pos + n; ++i) {
        if (s[i] < '0' || s[i] > '9') {
            ok = false;
            return 0;
        }
        v = v * 10 + (s[i] - '0');
    }
    return v;
}

// "YYYY-MM-DD"; False when the text is no date.
bool IsoDate(const std::string& s, size_t pos, TDateTime& value) {
    bool ok = true;
    const int y = Digits(s, pos, 4, ok), m = Digits(s, pos + 5, 2, ok), d = Digits(s, pos + 8, 2, ok);
    if (!ok || s[pos + 4] != '-' || s[pos + 7] != '-') return false;
    return TryEncodeDate(y, m, d, value);
}

// "HH:MM[:SS[.mmm]]"; answers milliseconds, -1 when no time.
int IsoTime(const std::string& s, size_t pos) {
    bool ok = true;
    const int h = Digits(s, pos, 2, ok), mi = Digits(s, pos + 3, 2, ok);
    if (!ok || s[pos + 2] != ':' || h > 23 || mi > 59) return -1;
    int sec = 0, ms = 0;
    if (pos + 5 < s.size() && s[pos + 5] == ':') {
        sec = Digits(s, pos + 6, 2, ok);
        if (!ok || sec > 59) return -1;
        if (pos + 8 < s.size() && s[pos + 8] == '.') {
            size_t i = pos + 9;
            int scale = 100;
            while (i < s.size() && s[i] >= '0' && s[i] <= '9') {
                ms += (s[i] - '0') * scale;
                scale /= 10;
                ++i;
            }
        }
    }
    return ((h * 60 + mi) * 60 + sec) * 1000 + ms;
}

std::string Two(int v) {
    return std::string(1, static_cast<char>('0' + v / 10)) + static_cast<char>('0' + v % 10);
}

std::string DateText(int32_t day) {
    TTimeStamp stamp{0, day};
    int y = 0, m = 0, d = 0;
    DecodeDate(TimeStampToDateTime(stamp), y, m, d);
    std::string year = std::to_string(y);
    while (year.size() < 4) year = "0" + year;
    return year + "-" + Two(m) + "-" + Two(d);
}

std::string TimeText(int32_t ms) {
    std::string t = Two(ms / 3600000) + ":" + Two(ms / 60000 % 60) + ":" + Two(ms / 1000 % 60);
    if (ms % 1000) {
        std::string frac = std::to_string(ms % 1000);
        while (frac.size() < 3) frac = "0" + frac;
        t += "." + frac;
    }
    return t;
}

bool IsNumberType(TFieldType Type) {
    switch (Type) {
    case ftSmallint:
    case ftWord:
    case ftInteger:
    case ftAutoInc:
    case ftLargeint:
    case ftFloat:
    case ftCurrency:
    case ftBCD: return true;
    default: return false;
    }
}

// Whether a column value of SQLite's type Kind reads as a number: an
// integer or a real, or a text that is one as a whole (blanks around it).
bool HoldsNumber(sqlite3_stmt* St, int Col, int Kind) {
    if (Kind == SQLITE_INTEGER || Kind == SQLITE_FLOAT) return true;
    if (Kind != SQLITE_TEXT) return false;
    const char* p = reinterpret_cast<const char*>(sqlite3_column_text(St, Col));
    const int n = sqlite3_column_bytes(St, Col);
    if (!p || n <= 0 || static_cast<int>(std::strlen(p)) != n) return false;
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; };
    const auto digit = [](char c) { return c >= '0' && c <= '9'; };
    while (blank(*p)) ++p;
    if (*p == '+' || *p == '-') ++p;
    int digits = 0;
    while (digit(*p)) ++p, ++digits;
    if (*p == '.')
        for (++p; digit(*p); ++p) ++digits;
    if (digits == 0) return false;
    if (*p == 'e' || *p == 'E') {
        ++p;
        if (*p == '+' || *p == '-') ++p;
        if (!digit(*p)) return false;
        while (digit(*p)) ++p;
    }
    while (blank(*p)) ++p;
    return *p == '\0';
}

}  // namespace

void FieldTypeOfColumn(const std::string& DeclType, TFieldType& Type, int& Size) {
    const std::string t = Upper(DeclType);
    Size = 0;
    auto has = [&](const char* s) { return t.find(s) != std::string::npos; };
    if (has("DATETIME") || has("TIMESTAMP"))
        Type = ftDateTime;
    else if (has("DATE"))
        Type = ftDate;
    else if (has("TIME"))
        Type = ftTime;
    else if (has("BOOL"))
        Type = ftBoolean;
    else if (has("SMALLINT"))
        Type = ftSmallint;
    else if (has("AUTOINC"))
        Type = ftAutoInc;
    else if (has("BIGINT"))
        Type = ftLargeint;
    else if (has("INT"))
        Type = ftInteger;
    else if (has("MONEY") || has("CURRENCY"))
        Type = ftCurrency;
    else if (has("MEMO") || has("CLOB") || (has("TEXT") && !has("VARCHAR") && !has("CHAR(")))
        Type = ftMemo;
    else if (has("CHAR")) {
        Type = ftString;
        Size = 255;
        const size_t open = t.find('(');
        if (open != std::string::npos) {
            // Past 8192 the digits are not counted further: such a size is not kept.
            int n = 0;
            for (size_t i = open + 1; i < t.size() && t[i] >= '0' && t[i] <= '9' && n <= 8192; ++i)
                n = n * 10 + (t[i] - '0');
            if (n > 0 && n <= 8192) Size = n;
        }
    } else if (has("BLOB") || has("GRAPHIC") || has("BINARY"))
        Type = has("GRAPHIC") ? ftGraphic : ftBlob;
    else if (has("REAL") || has("FLOA") || has("DOUB") || has("NUM") || has("DEC"))
        Type = ftFloat;
    else if (t.empty()) {
        Type = ftString;
        Size = 255;
    } else
        Type = ftMemo;
}

void NativeFromColumn(sqlite3_stmt* st, int col, TFieldType Type, int, std::string& Value, char& Has) {
    Value.clear();
    Has = 0;
    const int kind = sqlite3_column_type(st, col);
    if (kind == SQLITE_NULL) return;
    const auto text = [&] { return ColumnBytes(st, col); };
    Has = 1;
    if (IsNumberType(Type) && !HoldsNumber(st, col, kind)) {
        Has = 0;  // no number: shown empty, the value stays in the database
        return;
    }
    switch (Type) {
    case ftSmallint: Value = Native<int16_t>(static_cast<int16_t>(sqlite3_column_int(st, col))); break;
    case ftWord: Value = Native<uint16_t>(static_cast<uint16_t>(sqlite3_column_int(st, col))); break;
    case ftInteger:
    case ftAutoInc: Value = Native<int32_t>(static_cast<int32_t>(sqlite3_column_int64(st, col))); break;
    case ftLargeint: Value = Native<int64_t>(sqlite3_column_int64(st, col)); break;
    case ftBoolean: {
        bool b = false;
        if (kind == SQLITE_TEXT) {
            const std::string s = Upper(text());
            b = s == "T" || s == "TRUE" || s == "Y" || s == "YES" || s == "1";
        } else
            b = sqlite3_column_int64(st, col) != 0;
        Value = Native<int16_t>(b ? -1 : 0);
        break;
    }
    case ftFloat:
    case ftCurrency:
    case ftBCD: Value = Native<double>(sqlite3_column_double(st, col)); break;
    case ftDate:
    case ftTime:
    case ftDateTime: {
        const std::string s = text();
        TDateTime date = 0;
        int ms = -1;
        if (Type == ftTime) {
            ms = IsoTime(s, 0);
            if (ms < 0)
                Has = 0;
            else
                Value = Native<int32_t>(ms);
            break;
        }
        if (!IsoDate(s, 0, date)) {
            Has = 0;  // not a date: shown empty, the text stays in the database
            break;
        }
        const TTimeStamp stamp = DateTimeToTimeStamp(date);
        if (Type == ftDate) {
            Value = Native<int32_t>(stamp.Date);
            break;
        }
        if (s.size() > 10 && (s[10] == ' ' || s[10] == 'T')) ms = IsoTime(s, 11);
        TTimeStamp full{ms < 0 ? 0 : ms, stamp.Date};
        Value = Native<double>(TimeStampToMSecs(full));
        break;
    }
    default: Value = text(); break;  // texts whole: a field shows at most its size
    }
}

void BindConstant(TSqliteStatement& St, int Index, int Kind, const std::string& Text) {
    switch (Kind) {
    case ftInteger:
    case ftBoolean: St.BindInt(Index, StrToInt64(Text)); break;
    case ftFloat: St.BindDouble(Index, StrToFloat(Text)); break;
    default: St.BindText(Index, Text); break;
    }
}

void BindNative(TSqliteStatement& St, int Index, TFieldType Type, const std::string& Value, bool Has) {
    if (!Has) {
        St.BindNull(Index);
        return;
    }
    switch (Type) {
    case ftSmallint: St.BindInt(Index, FromNative<int16_t>(Value)); break;
    case ftWord: St.BindInt(Index, FromNative<uint16_t>(Value)); break;
    case ftInteger:
    case ftAutoInc: St.BindInt(Index, FromNative<int32_t>(Value)); break;
    case ftLargeint: St.BindInt(Index, FromNative<int64_t>(Value)); break;
    case ftBoolean: St.BindInt(Index, FromNative<int16_t>(Value) != 0 ? 1 : 0); break;
    case ftFloat:
    case ftCurrency:
    case ftBCD: St.BindDouble(Index, FromNative<double>(Value)); break;
    case ftDate: St.BindText(Index, DateText(FromNative<int32_t>(Value))); break;
    case ftTime: St.BindText(Index, TimeText(FromNative<int32_t>(Value))); break;
    case ftDateTime: {
        const TTimeStamp stamp = MSecsToTimeStamp(FromNative<double>(Value));
        St.BindText(Index, DateText(stamp.Date) + " " + TimeText(stamp.Time));
        break;
    }
    case ftBlob:
    case ftGraphic:
    case ftBytes:
    case ftVarBytes: St.BindBlob(Index, Value); break;
    default: St.BindText(Index, Value); break;
    }
}

void BindVariant(TSqliteStatement& St, int Index, const Variant& Value, TFieldType Type) {
    if (Value.IsNull() || Value.IsEmpty()) {
        St.BindNull(Index);
        return;
    }
    switch (Type) {
    case ftSmallint:
    case ftWord:
    case ftInteger:
    case ftAutoInc:
    case ftLargeint: St.BindInt(Index, Value.AsInt64()); break;
    case ftBoolean: St.BindInt(Index, Value.AsBoolean() ? 1 : 0); break;
    case ftFloat:
    case ftCurrency:
    case ftBCD: St.BindDouble(Index, Value.AsDouble()); break;
    case ftDate: St.BindText(Index, DateText(DateTimeToTimeStamp(Value.AsDateTime()).Date)); break;
    case ftTime: St.BindText(Index, TimeText(DateTimeToTimeStamp(Value.AsDateTime()).Time)); break;
    case ftDateTime: {
        const TTimeStamp stamp = DateTimeToTimeStamp(Value.AsDateTime());
        St.BindText(Index, DateText(stamp.Date) + " " + TimeText(stamp.Time));
        break;
    }
    default: St.BindText(Index, Value.AsString()); break;
    }
}
