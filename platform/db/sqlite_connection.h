// The database engine's connections: one SQLite connection per database name,
// opened on first use and closed after its last user. Private to platform/db:
// only its sources see the SQLite interface.
//
// Each connection adds the FOLD collation, fold(), text_find(), upper() and
// lower(), all by the platform's case fold, its own like(), glob(),
// instr(), replace() and trims (SQLite's answers, watched), and limits a
// value to 256 MB; it keeps the full-text tokenizer function and extension
// loading off, its schema safe from writes (SQLite's defensive mode) and
// untrusted (the file's views and triggers call only functions SQLite deems
// harmless).
#pragma once

#include <cstdint>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include <sqlite3.h>

#include "platform/core/variant.h"
#include "platform/db/dbtypes.h"

class TDBWorkWatch;

// What a statement made from a text a user or a caller gave may do: read
// the tables named here, call the functions of the allow list and those
// named here, and take the authorizer's other actions named here. Names are
// kept in ASCII lower case, as SQLite compares them.
struct TSqlFence {
    std::set<std::pair<std::string, std::string>> Tables;  // (schema, table)
    std::set<std::string> Functions;
    std::set<int> Actions;
    // Its steps run under the work watch (TDBWorkWatch) and may be stopped.
    bool Watched = false;
    // What Sql, a text the program gave, reads, calls and does.
    static TSqlFence Learn(sqlite3* Db, const std::string& Sql);
};

// Whether Name (any case) is a function of the fence's allow list.
bool FenceAllowsFunction(const std::string& Name);
// Sql prepared under the fence's authorizer with values bounded by Length
// (0: FenceLength's); raises EDBEngineError.
sqlite3_stmt* PrepareFenced(sqlite3* Db, const std::string& Sql, const TSqlFence& Fence, int Length = 0);
// The longest value a fenced statement on Db may read or build: the
// database's size, at least FenceFloorLength, at most the connection's limit.
constexpr int FenceFloorLength = 8 * 1024 * 1024;
int FenceLength(sqlite3* Db);

// A prepared statement, finalized when it goes. With a fence it is prepared
// under an authorizer that refuses what the fence does not allow (raising
// EDBEngineError with SFilterRunsNoQuery), and it is prepared and run with
// values bounded by FenceLength and its memory bounded.
class TSqliteStatement {
public:
    TSqliteStatement(sqlite3* Db, const std::string& Sql, const TSqlFence* Fence = nullptr);
    ~TSqliteStatement();
    TSqliteStatement(const TSqliteStatement&) = delete;
    TSqliteStatement& operator=(const TSqliteStatement&) = delete;
    sqlite3_stmt* Handle() const { return FStmt; }
    // Answers True while there is a row; raises EDBEngineError on errors.
    bool Step();
    void Reset();
    void BindNull(int Index);
    void BindInt(int Index, int64_t Value);
    void BindDouble(int Index, double Value);
    void BindText(int Index, const std::string& Value);
    void BindBlob(int Index, const std::string& Value);
    int64_t ColumnInt(int Index) const { return sqlite3_column_int64(FStmt, Index); }
    std::string ColumnText(int Index) const;
    bool ColumnIsNull(int Index) const { return sqlite3_column_type(FStmt, Index) == SQLITE_NULL; }
    int ColumnCount() const { return sqlite3_column_count(FStmt); }
    // Runs its steps under the work watch (a read of the program's own),
    // from its first step to its end or Reset; stopped, a step raises
    // Stopped (by default the filter's or the read's error).
    void Watch(const char* Stopped = nullptr) {
        FWatched = true;
        FStopped = Stopped;
    }

    // The state of a watched statement's work (sqlite_fence.cpp).
    struct TWork {
        sqlite3* Db = nullptr;
        int Polls = 0;
        uint32_t Start = 0, Last = 0;  // ticks of the first step and of the last call
        bool Running = false;
        bool Often = false;  // called at the short period
        int Quick = 0;       // short periods in a row that took no time
        bool Begun = false;
        bool Stopped = false;
        TDBWorkWatch* Watch = nullptr;
        int Length = 0;  // the value bound of a fenced statement; 0: none
        int SavedLength = 0;
        bool HeapBound = false;
        uint64_t TextSteps = 0;  // steps of the text functions not yet told to the watch
    };

private:
    int StepOnce();
    void BeginWork();
    void EndWork();
    sqlite3* FDb;
    sqlite3_stmt* FStmt = nullptr;
    bool FStepped = false;
    bool FWatched = false;
    const char* FStopped = nullptr;
    void* FSpan = nullptr;  // the span whose work its work is (TDBWorkSpan)
    TWork FWork;
};

// The text functions' part in the work watch: Steps more steps done (a step
// is a byte or a character looked at) by the statement whose step runs.
// Every so many steps the watch is looked at as between two of SQLite's
// instructions; answers False when the statement is to stop (the function
// then fails, and the step raises SDBWorkStopped).
bool TextWorkGoesOn(uint64_t Steps);
// like() (2 and 3 arguments), glob(), instr(), replace(), trim(), ltrim()
// and rtrim() on Db: SQLite's answers, in a time bounded per byte and
// watched (sqlite_text_match.cpp).
void AddTextMatchFunctions(sqlite3* Db);
// The byte place of Needle's first occurrence in Hay (npos when none), in a
// time linear in their lengths; Stopped when the watch stopped the work.
size_t FindBytesWatched(std::string_view Hay, std::string_view Needle, bool& Stopped);

// A needle's search table, built once for many texts (a statement's rows);
// its building is told to the watch. Find answers as FindBytesWatched.
class TNeedleFinder {
public:
    TNeedleFinder(std::string_view Needle, bool& Stopped);
    ~TNeedleFinder();
    size_t Find(std::string_view Hay, bool& Stopped) const;
    size_t NeedleSize() const;

private:
    struct TImpl;
    std::unique_ptr<TImpl> FImpl;
};

// Raises EDBEngineError when a watch's Poll is running: the database is not
// to be used from inside its own work.
void CheckNotInWatch();

class TSqliteConnection {
public:
    // The longest text or BLOB value a connection reads, stores or computes.
    static constexpr int MaxValueLength = 256 * 1024 * 1024;
    ~TSqliteConnection();
    sqlite3* Db() const { return FDb; }
    const std::string& Path() const { return FPath; }
    // Runs statements that answer no rows.
    void Execute(const std::string& Sql);
    bool SQLBased = false;

    // The connection of a database name (relative paths in the data folder,
    // ":memory:" kept as it is), opened when it has no user yet.
    static std::shared_ptr<TSqliteConnection> Acquire(const std::string& DatabaseName);
    // The path a database name stands for.
    static std::string ResolvePath(const std::string& DatabaseName);
    // Whether a connection of that name is open (tests).
    static bool IsOpen(const std::string& DatabaseName);

private:
    TSqliteConnection() = default;
    sqlite3* FDb = nullptr;
    std::string FPath;
};

// A column's value as the datasets read it: a text in UTF-8 whatever the
// database's encoding, a BLOB's bytes, a number as SQLite writes it.
std::string ColumnBytes(sqlite3_stmt* Statement, int Column);
// Whether the database keeps its texts in UTF-8.
bool IsUtf8Database(sqlite3* Db);

// Raises EDBEngineError with the connection's message; a lock held by
// another connection raises SDataLocked with DBIERR_LOCKED.
[[noreturn]] void SqliteFail(sqlite3* Db, int Code);
// "name" quoted as an SQL identifier.
std::string SqlName(const std::string& Name);

// The field type and size of a declared column type ("VARCHAR(30)",
// "DATE", ...): dates, times and date-times are ISO texts in the database.
void FieldTypeOfColumn(const std::string& DeclType, TFieldType& Type, int& Size);
// A column value in the native layout of the field type (Has: not null);
// texts whole, whatever the field's Size.
void NativeFromColumn(sqlite3_stmt* Statement, int Column, TFieldType Type, int Size, std::string& Value,
                      char& Has);
// Binds a native value as the database stores it.
void BindNative(TSqliteStatement& Statement, int Index, TFieldType Type, const std::string& Value, bool Has);
// Binds the text of an expression filter's constant of the given kind.
void BindConstant(TSqliteStatement& Statement, int Index, int Kind, const std::string& Text);
// A value of the engine's variants bound by its own type.
void BindVariant(TSqliteStatement& Statement, int Index, const Variant& Value, TFieldType Type);
