// The fence of statements made from a text a user or a caller gave (a
// Filter text, a filter dialog's condition): an authorizer that lets them
// read only the tables the program's own part reads and call only the
// functions of an allow list, a bound on the values it builds and the
// memory it takes, and a progress handler that lets the work watch show it
// busy and stop it (also the dataset's opens and reads, watched alike).
#include <algorithm>
#include <atomic>
#include <cstring>

#include "platform/core/clock.h"
#include "platform/db/dbtables.h"
#include "platform/db/sqlite_connection.h"

const char* const SDBWorkStopped = "The filter was stopped before it ended";
const char* const SFilterRunsNoQuery = "a filter is a condition on the record and runs no query";
const char* const SDBReadStopped = "The reading of the data was stopped before it ended";
const char* const SFilterTooLarge = "The filter builds a value too large to hold";
const char* const SDBChangeStopped = "The change was stopped before it ended";
const char* const SDBSearchStopped = "The search was stopped before it ended";
static_assert(DBIERR_STOPPED == SQLITE_INTERRUPT);

namespace {

// The functions a filter may call: the case fold, comparisons and choices,
// like and glob, and the text, number and date functions that work on a
// value of the record (nothing that reads the database, the connection or
// the library, makes large values out of nothing, or is random).
const char* const AllowList[] = {
    // the case fold and the finding of texts (sqlite_connection.cpp)
    "fold", "text_find", "text_utf8", "text_cut", "upper", "lower",
    // comparisons, choices and patterns
    "coalesce", "ifnull", "nullif", "iif", "likely", "unlikely", "likelihood", "min", "max", "typeof", "like",
    "glob", "match",
    // texts
    "length", "substr", "substring", "trim", "ltrim", "rtrim", "instr", "replace", "unicode", "char",
    // numbers
    "abs", "round", "sign", "ceil", "ceiling", "floor", "trunc", "mod",
    // dates and times
    "date", "time", "datetime", "julianday", "strftime", "unixepoch", "current_date", "current_time",
    "current_timestamp"};

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
    std::string Refused;  // the first table, function or action refused
    std::string Schema;   // the schema table, when the prepare touched it
};

bool IsSchemaTable(const char* Name) {
    const std::string name = Lower(Name);
    return name == "sqlite_master" || name == "sqlite_schema" || name == "sqlite_temp_master" ||
           name == "sqlite_temp_schema";
}

int FenceAuthorizer(void* Data, int Action, const char* A3, const char* A4, const char* Schema, const char*) {
    auto* check = static_cast<TFenceCheck*>(Data);
    const TSqlFence& fence = *check->Fence;
    auto refuse = [&](const std::string& What) {
        if (check->Refused.empty()) check->Refused = What;
        return SQLITE_DENY;
    };
    // The schema table (SQLite connects a pragma list by writing its row):
    // the prepare goes on so that the refusal names what the text names; the
    // statement is refused after it all the same.
    const bool schemaRead = Action == SQLITE_READ && !fence.Tables.count({Lower(Schema), Lower(A3)});
    const bool schemaWrite = Action == SQLITE_UPDATE && !fence.Actions.count(Action);
    if ((schemaRead || schemaWrite) && IsSchemaTable(A3)) {
        if (check->Schema.empty()) check->Schema = A3;
        return SQLITE_OK;
    }
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
    // a table named with no column read (its rows counted) comes without its schema
    if (Action == SQLITE_READ)
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
// The work of the watched statement whose step runs on this thread.
thread_local TSqliteStatement::TWork* GStepWork = nullptr;
// The work of the span (TDBWorkSpan) that runs on this thread: the watched
// statements stepped inside it are part of it.
struct TSpanWork {
    TSqliteStatement::TWork Work;
    const char* Stopped = nullptr;
};
thread_local TSpanWork* GSpan = nullptr;
std::atomic<bool> GStop{false};
thread_local bool GInWatch = false;

// Instructions between two calls of the progress handler: many while they
// are cheap, few once a period took SlowPeriodMs or more (the handler reads
// the clock), many again after QuickPeriods short ones in the same tick.
// The work shows busy after BusyAfterMs.
constexpr int LongPeriod = 1000;
constexpr int ShortPeriod = 10;
constexpr uint32_t SlowPeriodMs = 5;
constexpr int QuickPeriods = 100;
constexpr uint32_t BusyAfterMs = 200;

// What a fenced statement's heap may grow by: room for a few values of its
// bound and the pages it reads.
int64_t HeapBudget(int Length) { return 128 * int64_t(1024 * 1024) + 4 * int64_t(Length); }

// SQLite's heap limit is the process's: it is set by the first fenced
// statement that runs and taken off by the last (SQLite runs on one thread
// here). A limit some other code set stays as it is.
int GHeapUsers = 0;
bool GHeapSet = false;
int64_t GSavedSoftLimit = 0;

void BoundHeap(int Length) {
    if (GHeapUsers++ > 0) return;
    GHeapSet = sqlite3_hard_heap_limit64(-1) == 0;
    if (!GHeapSet) return;
    GSavedSoftLimit = sqlite3_soft_heap_limit64(-1);
    sqlite3_hard_heap_limit64(sqlite3_memory_used() + HeapBudget(Length));
}

void UnboundHeap() {
    if (--GHeapUsers > 0 || !GHeapSet) return;
    GHeapSet = false;
    sqlite3_hard_heap_limit64(0);
    sqlite3_soft_heap_limit64(GSavedSoftLimit);
}

struct TInWatch {
    TInWatch() { GInWatch = true; }
    ~TInWatch() { GInWatch = false; }
};

int ProgressHandler(void* Data) {
    auto* work = static_cast<TSqliteStatement::TWork*>(Data);
    if (GInWatch) return 0;
    ++work->Polls;
    if (GStop.load(std::memory_order_relaxed) && GStop.exchange(false)) {
        work->Stopped = true;
        return 1;
    }
    const uint32_t now = GetTickCount();
    const uint32_t spent = now - work->Last;
    work->Last = now;
    if (spent >= SlowPeriodMs) {
        work->Quick = 0;
        if (!work->Often) sqlite3_progress_handler(work->Db, ShortPeriod, ProgressHandler, work);
        work->Often = true;
    } else if (work->Often && spent == 0 && ++work->Quick >= QuickPeriods) {
        work->Often = false;
        sqlite3_progress_handler(work->Db, LongPeriod, ProgressHandler, work);
    }
    TDBWorkWatch* watch = work->Begun ? work->Watch : GWatch.load();
    if (!watch) return 0;
    TInWatch in;
    try {
        if (!work->Begun && now - work->Start >= BusyAfterMs) {
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

bool TextWorkGoesOn(uint64_t Steps) {
    // a text function's steps are dearer than an instruction: the watch is
    // looked at after about as many bytes as a period's instructions
    constexpr uint64_t StepsPerLook = 256 * 1024;
    TSqliteStatement::TWork* work = GStepWork;
    if (!work) return true;
    work->TextSteps += Steps;
    if (work->TextSteps < StepsPerLook) return true;
    work->TextSteps = 0;
    return ProgressHandler(work) == 0;
}

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

sqlite3_stmt* PrepareFenced(sqlite3* Db, const std::string& Sql, const TSqlFence& Fence, int Length) {
    TFenceCheck check{&Fence, {}, {}};
    sqlite3_stmt* st = nullptr;
    int rc = SQLITE_OK;
    const int saved = sqlite3_limit(Db, SQLITE_LIMIT_LENGTH, Length > 0 ? Length : FenceLength(Db));
    for (int attempt = 1;; ++attempt) {
        TAuthorizerScope scope(Db, FenceAuthorizer, &check);
        rc = sqlite3_prepare_v2(Db, Sql.c_str(), static_cast<int>(Sql.size()), &st, nullptr);
        if (rc == SQLITE_OK) break;
        sqlite3_finalize(st);
        st = nullptr;
        if (rc == SQLITE_BUSY && LockRetryAllowed(attempt)) continue;
        break;
    }
    sqlite3_limit(Db, SQLITE_LIMIT_LENGTH, saved);
    // (a refused function fails the prepare as an error of its own)
    const std::string refused = check.Refused.empty() ? check.Schema : check.Refused;
    if (!refused.empty()) {
        sqlite3_finalize(st);
        throw EDBEngineError("Invalid filter expression: '" + refused + "': " + SFilterRunsNoQuery,
                             DBIERR_INVALIDFILTER);
    }
    if (rc == SQLITE_TOOBIG) throw EDBEngineError(SFilterTooLarge, rc);
    if (rc != SQLITE_OK) SqliteFail(Db, rc);
    return st;
}

int FenceLength(sqlite3* Db) {
    int64_t size = 0;
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(Db, "SELECT page_count * page_size FROM pragma_page_count, pragma_page_size", -1,
                           &st, nullptr) == SQLITE_OK &&
        sqlite3_step(st) == SQLITE_ROW)
        size = sqlite3_column_int64(st, 0);
    sqlite3_finalize(st);
    const int64_t limit = sqlite3_limit(Db, SQLITE_LIMIT_LENGTH, -1);
    return static_cast<int>(std::min(limit, std::max<int64_t>(size, FenceFloorLength)));
}

// The bounds and the watch are set at the first step and taken off when the
// statement ends, fails or is reset: nothing is paid per row.
int TSqliteStatement::StepOnce() {
    if (!FWatched && FWork.Length == 0) return sqlite3_step(FStmt);
    // a statement begun in a span that has ended (or outside the span that runs) begins again
    if (FWork.Running && FWatched && FSpan != static_cast<void*>(GSpan)) EndWork();
    if (!FWork.Running) BeginWork();
    // inside a span its work is watched, from the span's start
    TWork* work = FWatched ? (FSpan ? &GSpan->Work : &FWork) : nullptr;
    struct TStepScope {
        TSqliteStatement::TWork* Saved = GStepWork;
        explicit TStepScope(TSqliteStatement::TWork* Work) { GStepWork = Work; }
        ~TStepScope() { GStepWork = Saved; }
    } scope(work);
    const int rc = sqlite3_step(FStmt);
    const bool stopped = work && work->Stopped;
    if (rc != SQLITE_ROW || stopped) EndWork();
    if (stopped) {
        work->Stopped = false;
        sqlite3_reset(FStmt);
        throw EDBEngineError(FSpan && GSpan->Stopped ? GSpan->Stopped
                             : FStopped              ? FStopped
                             : FWork.Length > 0      ? SDBWorkStopped
                                                     : SDBReadStopped,
                             DBIERR_STOPPED);
    }
    return rc;
}

void TSqliteStatement::BeginWork() {
    FWork.Running = true;
    if (FWork.Length > 0) {
        FWork.SavedLength = sqlite3_limit(FDb, SQLITE_LIMIT_LENGTH, FWork.Length);
        BoundHeap(FWork.Length);
    }
    if (!FWatched) return;
    FSpan = GSpan;
    if (FSpan) {
        // the span's clock and busy show go on
        GSpan->Work.Db = FDb;
        GSpan->Work.Often = false;
        GSpan->Work.Quick = 0;
        sqlite3_progress_handler(FDb, LongPeriod, ProgressHandler, &GSpan->Work);
        return;
    }
    GStop = false;  // a request before the work began is not for it
    FWork.Db = FDb;
    FWork.Polls = 0;
    FWork.Often = FWork.Begun = FWork.Stopped = false;
    FWork.Quick = 0;
    FWork.TextSteps = 0;
    FWork.Start = FWork.Last = GetTickCount();
    sqlite3_progress_handler(FDb, LongPeriod, ProgressHandler, &FWork);
}

void TSqliteStatement::EndWork() {
    if (!FWork.Running) return;
    FWork.Running = false;
    if (FWork.Length > 0) {
        sqlite3_limit(FDb, SQLITE_LIMIT_LENGTH, FWork.SavedLength);
        UnboundHeap();
    }
    if (!FWatched) return;
    sqlite3_progress_handler(FDb, 0, nullptr, nullptr);
    if (FSpan) return;  // the span ends its busy show
    if (!FWork.Begun) return;
    FWork.Begun = false;
    TInWatch in;
    try {
        FWork.Watch->End();
    } catch (...) {
        // the end of the busy show cannot fail the work
    }
}

// ---- Spans ----

TDBWorkSpan::TDBWorkSpan(const char* Stopped) {
    if (GSpan) return;  // a span inside another is part of it
    auto* span = new TSpanWork;
    span->Stopped = Stopped;
    span->Work.Running = true;
    span->Work.Start = span->Work.Last = GetTickCount();
    GStop = false;
    GSpan = span;
    FOwn = span;
}

TDBWorkSpan::~TDBWorkSpan() {
    auto* span = static_cast<TSpanWork*>(FOwn);
    if (!span) return;
    GSpan = nullptr;
    if (span->Work.Begun) {
        TInWatch in;
        try {
            span->Work.Watch->End();
        } catch (...) {
            // the end of the busy show cannot fail the work
        }
    }
    delete span;
}

void TDBWorkSpan::Step() {
    auto* span = static_cast<TSpanWork*>(FOwn);
    if (!span || GInWatch) return;
    TSqliteStatement::TWork& work = span->Work;
    bool stopped = GStop.load(std::memory_order_relaxed) && GStop.exchange(false);
    const uint32_t now = GetTickCount();
    work.Last = now;
    TDBWorkWatch* watch = work.Begun ? work.Watch : GWatch.load();
    if (!stopped && watch) {
        TInWatch in;
        try {
            if (!work.Begun && now - work.Start >= BusyAfterMs) {
                work.Begun = true;
                work.Watch = watch;
                watch->Begin();
            }
            stopped = watch->Poll();
        } catch (...) {
            stopped = true;  // a watch that fails stops the work
        }
    }
    if (stopped) throw EDBEngineError(span->Stopped ? span->Stopped : SDBReadStopped, DBIERR_STOPPED);
}

void CheckFencedText(const std::string& DatabaseName, const std::string& Trusted, const std::string& Text) {
    std::shared_ptr<TSqliteConnection> c = TSqliteConnection::Acquire(DatabaseName);
    const TSqlFence fence = TSqlFence::Learn(c->Db(), Trusted);
    sqlite3_finalize(PrepareFenced(c->Db(), Text, fence));
}
