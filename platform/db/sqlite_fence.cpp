// The fence of statements made from a text a user or a caller gave (a
// Filter text, a filter dialog's condition): an authorizer that lets them
// read only the tables the program's own part reads and call only the
// functions of an allow list, and a progress handler that lets the work
// watch show it busy and stop it.
#include <algorithm>
#include <atomic>
#include <cstring>

#include "platform/db/dbtables.h"
#include "platform/db/sqlite_connection.h"

const char* const SDBWorkStopped = "The filter was stopped before it ended";
const char* const SFilterRunsNoQuery = "a filter is a condition on the record and runs no query";

namespace {

// The functions a filter may call: the case fold, comparisons and choices,
// like and glob, and the text, number and date functions that work on a
// value of the record (nothing that reads the database, the connection or
// the library, makes large values out of nothing, or is random).
const char* const AllowList[] = {
    // the case fold and the finding of texts (sqlite_connection.cpp)
    "fold", "text_find", "text_utf8", "upper", "lower",
    // comparisons, choices and patterns
    "coalesce", "ifnull", "nullif", "iif", "likely", "unlikely", "likelihood", "min", "max", "typeof", "like",
    "glob", "match",
    // texts
    "length", "substr", "substring", "trim", "ltrim", "rtrim", "instr", "replace", "unicode", "char",
    // numbers
    "abs", "round", "sign", "ceil", "ceiling", "floor", "trunc", "mod",
    // dates and times
    "date", "time", "datetime", "julianday", "strftime", "unixepoch"};

std::string Lower(const char* Text) {
    std::string s = Text ? Text : "";
    for (char& c : s)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return s;
}

// What an authorizer action is called in a refusal.
std::string ActionText(int Action, const char* Arg) {
    switch (Action) {
    case SQLITE_PRAGMA: return "PRAGMA " + std::string(Arg ? Arg : "");
    case SQLITE_ATTACH: return "ATTACH";
    case SQLITE_DETACH: return "DETACH";
    case SQLITE_RECURSIVE: return "WITH RECURSIVE";
    case SQLITE_TRANSACTION: return "TRANSACTION";
    case SQLITE_SAVEPOINT: return "SAVEPOINT";
    case SQLITE_ANALYZE: return "ANALYZE";
    case SQLITE_INSERT: return "INSERT";
    case SQLITE_UPDATE: return "UPDATE";
    case SQLITE_DELETE: return "DELETE";
    default: return Arg && *Arg ? std::string(Arg) : "statement " + std::to_string(Action);
    }
}

struct TFenceCheck {
    const TSqlFence* Fence;
    std::string Refused;
};

int FenceAuthorizer(void* Data, int Action, const char* A3, const char* A4, const char* Schema, const char*) {
    auto* check = static_cast<TFenceCheck*>(Data);
    const TSqlFence& fence = *check->Fence;
    auto refuse = [&](const std::string& What) {
        if (check->Refused.empty()) check->Refused = What;
        return SQLITE_DENY;
    };
    switch (Action) {
    case SQLITE_SELECT: return SQLITE_OK;
    case SQLITE_READ: {
        const std::string table = Lower(A3);
        // a table named with no column read (its rows counted) comes without its schema
        const bool known = Schema && *Schema ? fence.Tables.count({Lower(Schema), table}) > 0
                                             : std::any_of(fence.Tables.begin(), fence.Tables.end(),
                                                           [&](const auto& t) { return t.second == table; });
        return known ? SQLITE_OK : refuse(A3 ? A3 : "");
    }
    case SQLITE_FUNCTION:
        return FenceAllowsFunction(A4 ? A4 : "") || fence.Functions.count(Lower(A4)) ? SQLITE_OK
                                                                                     : refuse(A4 ? A4 : "");
    default: return fence.Actions.count(Action) ? SQLITE_OK : refuse(ActionText(Action, A3));
    }
}

int LearningAuthorizer(void* Data, int Action, const char* A3, const char* A4, const char* Schema,
                       const char*) {
    auto* fence = static_cast<TSqlFence*>(Data);
    if (Action == SQLITE_READ && Schema && *Schema)
        fence->Tables.insert({Lower(Schema), Lower(A3)});
    else if (Action == SQLITE_FUNCTION)
        fence->Functions.insert(Lower(A4));
    else if (Action != SQLITE_SELECT)
        fence->Actions.insert(Action);
    return SQLITE_OK;
}

// Takes the authorizer off when the prepare ends, whatever way.
struct TAuthorizerScope {
    sqlite3* Db;
    TAuthorizerScope(sqlite3* D,
                     int (*Callback)(void*, int, const char*, const char*, const char*, const char*),
                     void* Data)
        : Db(D) {
        sqlite3_set_authorizer(Db, Callback, Data);
    }
    ~TAuthorizerScope() { sqlite3_set_authorizer(Db, nullptr, nullptr); }
};

std::atomic<TDBWorkWatch*> GWatch{nullptr};
std::atomic<bool> GStop{false};
thread_local bool GInWatch = false;

// Instructions between two calls of the progress handler, and the calls
// after which the work counts as long.
constexpr int ProgressPeriod = 1000;
constexpr int PollsBeforeBusy = 20;

struct TInWatch {
    TInWatch() { GInWatch = true; }
    ~TInWatch() { GInWatch = false; }
};

int ProgressHandler(void* Data) {
    auto* work = static_cast<TSqliteStatement::TWork*>(Data);
    if (GInWatch) return 0;
    ++work->Polls;
    if (GStop.exchange(false)) {
        work->Stopped = true;
        return 1;
    }
    TDBWorkWatch* watch = work->Begun ? work->Watch : GWatch.load();
    if (!watch) return 0;
    TInWatch in;
    try {
        if (!work->Begun && work->Polls >= PollsBeforeBusy) {
            work->Begun = true;
            work->Watch = watch;
            watch->Begin();
        }
        if (watch->Poll()) work->Stopped = true;
    } catch (...) {
        work->Stopped = true;  // a watch that fails stops the work: nothing crosses the library
    }
    return work->Stopped ? 1 : 0;
}

}  // namespace

bool FenceAllowsFunction(const std::string& Name) {
    const std::string name = Lower(Name.c_str());
    return std::any_of(std::begin(AllowList), std::end(AllowList), [&](const char* f) { return name == f; });
}

TSqlFence TSqlFence::Learn(sqlite3* Db, const std::string& Sql) {
    TSqlFence fence;
    sqlite3_stmt* st = nullptr;
    int rc = SQLITE_OK;
    {
        TAuthorizerScope scope(Db, LearningAuthorizer, &fence);
        rc = sqlite3_prepare_v2(Db, Sql.c_str(), static_cast<int>(Sql.size()), &st, nullptr);
    }
    sqlite3_finalize(st);
    if (rc != SQLITE_OK) SqliteFail(Db, rc);
    return fence;
}

TDBWorkWatch* SetDBWorkWatch(TDBWorkWatch* Watch) { return GWatch.exchange(Watch); }

void StopDBWork() { GStop = true; }

void CheckNotInWatch() {
    if (GInWatch) throw EDBEngineError("The database is busy with a filter", SQLITE_BUSY);
}

// ---- Fenced statements ----

sqlite3_stmt* PrepareFenced(sqlite3* Db, const std::string& Sql, const TSqlFence& Fence) {
    TFenceCheck check{&Fence, {}};
    sqlite3_stmt* st = nullptr;
    int rc = SQLITE_OK;
    for (int attempt = 1;; ++attempt) {
        TAuthorizerScope scope(Db, FenceAuthorizer, &check);
        rc = sqlite3_prepare_v2(Db, Sql.c_str(), static_cast<int>(Sql.size()), &st, nullptr);
        if (rc == SQLITE_OK) break;
        sqlite3_finalize(st);
        st = nullptr;
        if (rc == SQLITE_BUSY && LockRetryAllowed(attempt)) continue;
        break;
    }
    // (a refused function fails the prepare as an error of its own)
    if (rc != SQLITE_OK && !check.Refused.empty())
        throw EDBEngineError("Invalid filter expression: '" + check.Refused + "': " + SFilterRunsNoQuery,
                             DBIERR_INVALIDFILTER);
    if (rc != SQLITE_OK) SqliteFail(Db, rc);
    return st;
}

int TSqliteStatement::StepOnce() {
    if (!FWatched) return sqlite3_step(FStmt);
    if (!FStepped && FWork.Polls == 0) GStop = false;  // a request before the work began is not for it
    sqlite3_progress_handler(FDb, ProgressPeriod, ProgressHandler, &FWork);
    const int rc = sqlite3_step(FStmt);
    sqlite3_progress_handler(FDb, 0, nullptr, nullptr);
    if (rc != SQLITE_ROW) EndWork();
    if (FWork.Stopped) {
        sqlite3_reset(FStmt);
        throw EDBEngineError(SDBWorkStopped, SQLITE_INTERRUPT);
    }
    return rc;
}

void TSqliteStatement::EndWork() {
    if (!FWork.Begun) return;
    FWork.Begun = false;
    TInWatch in;
    try {
        FWork.Watch->End();
    } catch (...) {
        // the end of the busy show cannot fail the work
    }
}

void CheckFencedText(const std::string& DatabaseName, const std::string& Trusted, const std::string& Text) {
    std::shared_ptr<TSqliteConnection> c = TSqliteConnection::Acquire(DatabaseName);
    const TSqlFence fence = TSqlFence::Learn(c->Db(), Trusted);
    sqlite3_finalize(PrepareFenced(c->Db(), Text, fence));
}
