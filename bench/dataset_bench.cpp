// The engine dataset against SQLite (in memory) on a task table of a million
// records: a two-condition filter, LIKE with a mask, sorting by one and by two
// fields, locating on a sorted and on an unsorted view, and inserting in sort
// order. SQLite does the same work: WHERE, LIKE, ORDER BY, an indexed and an
// unindexed lookup, and inserts into an indexed table.
//
// Rows: TASKMOOR_BENCH_ROWS (default 1000000).
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "engine/ostra_dataset.h"
#include "engine/ostra_table.h"
#include "engine/record_store.h"
#include "engine/table_file.h"
#include "platform/core/datetime.h"
#include "platform/core/streams.h"
#include "platform/db/fields.h"
#include "proc_status.h"
#include "support/environment.h"

namespace {

struct TaskRow {
    bool Flag;
    std::string Action;
    int Date;
    std::string Category;
    std::string Priority;
    std::string Status;
};

int RowCount() {
    const char* env = std::getenv("TASKMOOR_BENCH_ROWS");
    return env ? std::max(1, std::atoi(env)) : 1000000;
}

const char* const Words[] = {"call",   "write",  "review", "order",   "plan",    "fix",    "buy",    "send",
                             "check",  "meet",   "report", "garden",  "invoice", "budget", "letter", "draft",
                             "Monday", "the",    "a",      "new",     "client",  "team",   "car",    "house",
                             "tax",    "doctor", "school", "project", "backup",  "notes"};
const char* const Categories[] = {"", "Home", "Work", "Errands", "Health", "Money", "Misc"};
const char* const Statuses[] = {"Open", "Done", "In progress", "Waiting", "Cancelled"};

std::string Sentence(std::mt19937& rng) {
    std::string s;
    const int n = 1 + static_cast<int>(rng() % 12);
    for (int i = 0; i < n; ++i) {
        if (i) s += ' ';
        s += Words[rng() % 30];
    }
    if (rng() % 2) s[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(s[0])));
    return s;
}

TaskRow MakeRow(std::mt19937& rng) {
    return {rng() % 5 == 0,
            Sentence(rng),
            738000 + static_cast<int>(rng() % 3000),
            Categories[rng() % 7],
            std::to_string(rng() % 5),
            Statuses[rng() % 5]};
}

std::vector<TOstraField> TaskFields() {
    auto field = [](const char* name, TOstraFieldType type, int length = 0) {
        TOstraField f;
        f.Name = name;
        f.Origin = "Tasks";
        f.FieldType = type;
        f.Length = static_cast<uint16_t>(length);
        SetFieldLayout(f);
        return f;
    };
    return {field("Key", oftAutoInc),           field("Flag", oftBoolean),
            field("Action", oftString, 255),    field("Date", oftDate),
            field("Category", oftSmallStr, 10), field("Priority", oftSmallStr, 5),
            field("Status", oftSmallStr, 15),   field("Notes", oftMemo)};
}

// The table image of all rows, made once.
struct Fixture {
    std::vector<TaskRow> Rows;
    std::string Image;

    static Fixture& Get() {
        static Fixture f;
        return f;
    }

private:
    Fixture() {
        std::mt19937 rng(20240601);
        const int n = RowCount();
        Rows.reserve(static_cast<std::size_t>(n));
        for (int i = 0; i < n; ++i) Rows.push_back(MakeRow(rng));
        TOstraCursor built;
        TMemoryStream empty;
        const std::string head = BuildEmptyImage(TaskFields());
        empty.WriteBuffer(head.data(), static_cast<int64_t>(head.size()));
        empty.SetPosition(0);
        std::string error;
        built.LoadFromStream(&empty, error);
        std::vector<uint8_t> data(built.RecordDataSize());
        const std::vector<TOstraField>& f = built.Fields();
        int key = 0;
        for (const TaskRow& r : Rows) {
            OstPut<int32_t>(data.data() + f[0].Offset, ++key);
            OstPut<int16_t>(data.data() + f[1].Offset, r.Flag ? -1 : 0);
            OstSetValue(data.data() + f[2].Offset, oftString, r.Action.data(), r.Action.size());
            OstPut<int32_t>(data.data() + f[3].Offset, r.Date);
            std::memcpy(data.data() + f[4].Offset, r.Category.data(), r.Category.size());
            std::memcpy(data.data() + f[5].Offset, r.Priority.data(), r.Priority.size());
            std::memcpy(data.data() + f[6].Offset, r.Status.data(), r.Status.size());
            built.PostRecord(data.data(), nullptr, error);
            built.ReleaseData(data.data());
        }
        built.AcceptAll();
        TMemoryStream image;
        built.SaveToStream(&image);
        Image.assign(static_cast<const char*>(image.Memory()), static_cast<std::size_t>(image.Size()));
    }
};

// A dataset over the fixture's image.
class TBenchDataset : public TOstraDataset {
public:
    TBenchDataset() : TOstraDataset(nullptr) {}
    ~TBenchDataset() override {
        Destroying();
        SetActive(false);
    }

protected:
    void OpenData() override {
        FStore = std::make_unique<TOstraCursor>();
        const std::string& image = Fixture::Get().Image;
        TMemoryStream s;
        s.WriteBuffer(image.data(), static_cast<int64_t>(image.size()));
        s.SetPosition(0);
        std::string error;
        FStore->LoadFromStream(&s, error);
        SetCursor(FStore.get());
    }
    bool SaveData() override { return false; }
    void ReleaseData() override {
        SetCursor(nullptr);
        FStore.reset();
    }

private:
    std::unique_ptr<TOstraCursor> FStore;
};

TBenchDataset& SharedDataset() {
    static TBenchDataset* ds = [] {
        auto* d = new TBenchDataset;
        d->Open();
        return d;
    }();
    return *ds;
}

void Reset(TOstraDataset& ds) {
    ds.SetFiltered(false);
    ds.SetFilter("");
    ds.SetIndexFieldNames("");
    ds.SetSortOptions({});
}

void Account(benchmark::State& state) {
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(Fixture::Get().Rows.size()));
}

// -- Engine ---------------------------------------------------------------------

// The peak from here on: the high-water mark is set back to what is resident.
long StartPeak() {
    std::ofstream("/proc/self/clear_refs") << "5";
    return StatusKb("VmRSS:");
}

// The rise of the peak over `before`, in MB, and the table's own memory beside it.
void AccountPeak(benchmark::State& state, long before) {
    state.counters["peak_MB"] = static_cast<double>(StatusKb("VmHWM:") - before) / 1024.0;
    state.counters["rss_MB"] = static_cast<double>(StatusKb("VmRSS:")) / 1024.0;
}

void EngineFilter(benchmark::State& state, const char* filter) {
    TOstraDataset& ds = SharedDataset();
    Reset(ds);
    ds.SetFilter(filter);
    int shown = 0;
    const long before = StartPeak();
    for (auto _ : state) {
        ds.SetFiltered(true);
        shown = ds.RecordCount();
        state.PauseTiming();
        ds.SetFiltered(false);
        state.ResumeTiming();
    }
    state.counters["shown"] = shown;
    AccountPeak(state, before);
    Reset(ds);
    Account(state);
}

void BM_Engine_FilterTwoConditions(benchmark::State& state) {
    EngineFilter(state, "Priority <> '4' AND Category = 'Home'");
}
void BM_Engine_FilterLike(benchmark::State& state) { EngineFilter(state, "Action LIKE '%report%'"); }

void EngineSort(benchmark::State& state, const char* fields) {
    TOstraDataset& ds = SharedDataset();
    Reset(ds);
    const long before = StartPeak();
    for (auto _ : state) {
        ds.SetIndexFieldNames(fields);
        state.PauseTiming();
        ds.SetIndexFieldNames("");
        state.ResumeTiming();
    }
    AccountPeak(state, before);
    Account(state);
}

void BM_Engine_IndexOneField(benchmark::State& state) { EngineSort(state, "Action"); }
// One sorted build, as a program makes after its load: alone in a process
// (--benchmark_filter), its scratch memory is fresh pages.
void BM_Engine_IndexOneFieldOnce(benchmark::State& state) { EngineSort(state, "Action"); }
void BM_Engine_IndexTwoFields(benchmark::State& state) { EngineSort(state, "Priority;Date"); }

// Rows looked up: random ones, by their Action text (and key).
std::vector<int> TargetRows(int n) {
    std::mt19937 rng(7);
    std::vector<int> out;
    for (int i = 0; i < n; ++i) out.push_back(static_cast<int>(rng() % Fixture::Get().Rows.size()));
    return out;
}

std::vector<int> DateTargets(int n) {
    std::mt19937 rng(11);
    const auto& rows = Fixture::Get().Rows;
    std::vector<int> out;
    for (int i = 0; i < n; ++i) out.push_back(rows[rng() % rows.size()].Date);
    return out;
}

constexpr int SortedLookups = 10000;
constexpr int UnsortedLookups = 20;

// Many searches over the same field of a view sorted by it: after a few
// binary searches the dataset searches by hash.
void BM_Engine_LocateSorted(benchmark::State& state) {
    TOstraDataset& ds = SharedDataset();
    Reset(ds);
    ds.SetIndexFieldNames("Action;Key");
    const auto& rows = Fixture::Get().Rows;
    const std::vector<int> targets = TargetRows(SortedLookups);
    for (auto _ : state)
        for (int t : targets)
            if (!ds.Locate("Action", rows[static_cast<std::size_t>(t)].Action, {}))
                state.SkipWithError("not found");
    Reset(ds);
    state.SetItemsProcessed(state.iterations() * SortedLookups);
}

// Searches that change their fields every time, so each one is a binary
// search over the sorted view.
void BM_Engine_LocateSortedBinary(benchmark::State& state) {
    TOstraDataset& ds = SharedDataset();
    Reset(ds);
    ds.SetIndexFieldNames("Action;Key");
    const auto& rows = Fixture::Get().Rows;
    const std::vector<int> targets = TargetRows(SortedLookups);
    for (auto _ : state) {
        for (std::size_t i = 0; i < targets.size(); ++i) {
            const TaskRow& row = rows[static_cast<std::size_t>(targets[i])];
            const bool found = i % 2 ? ds.Locate("Action;Key", VarArrayOf({row.Action, targets[i] + 1}), {})
                                     : ds.Locate("Action", row.Action, {});
            if (!found) state.SkipWithError("not found");
        }
    }
    Reset(ds);
    state.SetItemsProcessed(state.iterations() * SortedLookups);
}

// The first Locate on a freshly sorted view, timed alone.
void BM_Engine_LocateFirstCall(benchmark::State& state) {
    TOstraDataset& ds = SharedDataset();
    const auto& rows = Fixture::Get().Rows;
    const std::vector<int> targets = TargetRows(64);
    std::size_t i = 0;
    for (auto _ : state) {
        state.PauseTiming();
        Reset(ds);
        ds.SetIndexFieldNames("Action;Key");
        const std::string& text = rows[static_cast<std::size_t>(targets[i++ % targets.size()])].Action;
        state.ResumeTiming();
        if (!ds.Locate("Action", text, {})) state.SkipWithError("not found");
    }
    Reset(ds);
}

// The ninth Locate of the same field on a fresh sorted view: the one that
// builds the hash index.
void BM_Engine_LocateNinthCall(benchmark::State& state) {
    TOstraDataset& ds = SharedDataset();
    const auto& rows = Fixture::Get().Rows;
    const std::vector<int> targets = TargetRows(9);
    for (auto _ : state) {
        state.PauseTiming();
        Reset(ds);
        ds.SetIndexFieldNames("Action;Key");
        for (int k = 0; k < 8; ++k)
            ds.Locate("Action", rows[static_cast<std::size_t>(targets[k])].Action, {});
        state.ResumeTiming();
        if (!ds.Locate("Action", rows[static_cast<std::size_t>(targets[8])].Action, {}))
            state.SkipWithError("not found");
    }
    Reset(ds);
}

// A date as the variant Locate takes.
Variant DateVariant(int day) { return Variant::FromDateTime(TimeStampToDateTime(TTimeStamp{0, day})); }

// Searches over an unsorted view, their fields changing every time, so each
// one walks the view.
void BM_Engine_LocateUnsorted(benchmark::State& state) {
    TOstraDataset& ds = SharedDataset();
    Reset(ds);
    const std::vector<int> targets = DateTargets(UnsortedLookups);
    for (auto _ : state) {
        for (std::size_t i = 0; i < targets.size(); ++i) {
            // Not every date has a cancelled task; both engines search the whole table then.
            if (i % 2)
                ds.Locate("Date;Status", VarArrayOf({DateVariant(targets[i]), "Cancelled"}), {});
            else
                ds.Locate("Status;Date", VarArrayOf({"Cancelled", DateVariant(targets[i])}), {});
        }
    }
    state.SetItemsProcessed(state.iterations() * UnsortedLookups);
}

constexpr int Inserts = 100000;

void BM_Engine_InsertInOrder(benchmark::State& state) {
    std::mt19937 rng(99);
    std::vector<TaskRow> rows;
    for (int i = 0; i < Inserts; ++i) rows.push_back(MakeRow(rng));
    for (auto _ : state) {
        state.PauseTiming();
        auto ds = std::make_unique<TBenchDataset>();
        ds->SetIndexFieldNames("Action");
        ds->SetSortOptions({osoInsertInOrder});
        ds->Open();
        // The six fields SQLite's insert sets (Key is the AutoInc and its primary key).
        TField* flag = ds->FieldByName("Flag");
        TField* action = ds->FieldByName("Action");
        TField* date = ds->FieldByName("Date");
        TField* category = ds->FieldByName("Category");
        TField* priority = ds->FieldByName("Priority");
        TField* status = ds->FieldByName("Status");
        state.ResumeTiming();
        for (const TaskRow& r : rows) {
            ds->Append();
            flag->SetAsBoolean(r.Flag);
            action->SetAsString(r.Action);
            date->SetAsDateTime(TimeStampToDateTime(TTimeStamp{0, r.Date}));
            category->SetAsString(r.Category);
            priority->SetAsString(r.Priority);
            status->SetAsString(r.Status);
            ds->Post();
        }
        state.PauseTiming();
        if (ds->RecordCount() != static_cast<int>(Fixture::Get().Rows.size()) + Inserts)
            state.SkipWithError("records lost");
        ds.reset();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * Inserts);
}

// -- SQLite (in memory) -----------------------------------------------------------

void Check(int rc, sqlite3* db) {
    if (rc != SQLITE_OK && rc != SQLITE_DONE && rc != SQLITE_ROW) {
        std::fprintf(stderr, "sqlite: %s\n", sqlite3_errmsg(db));
        std::exit(1);
    }
}

sqlite3* OpenFilled(bool actionIndex) {
    sqlite3* db = nullptr;
    Check(sqlite3_open(":memory:", &db), db);
    Check(sqlite3_exec(db,
                       "CREATE TABLE task(Key INTEGER PRIMARY KEY, Flag INTEGER, Action TEXT, "
                       "Date INTEGER, Category TEXT, Priority TEXT, Status TEXT, Notes TEXT)",
                       nullptr, nullptr, nullptr),
          db);
    Check(sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr), db);
    sqlite3_stmt* st = nullptr;
    Check(sqlite3_prepare_v2(db, "INSERT INTO task VALUES(NULL,?,?,?,?,?,?,NULL)", -1, &st, nullptr), db);
    for (const TaskRow& r : Fixture::Get().Rows) {
        sqlite3_bind_int(st, 1, r.Flag);
        sqlite3_bind_text(st, 2, r.Action.data(), static_cast<int>(r.Action.size()), SQLITE_STATIC);
        sqlite3_bind_int(st, 3, r.Date);
        sqlite3_bind_text(st, 4, r.Category.data(), static_cast<int>(r.Category.size()), SQLITE_STATIC);
        sqlite3_bind_text(st, 5, r.Priority.data(), static_cast<int>(r.Priority.size()), SQLITE_STATIC);
        sqlite3_bind_text(st, 6, r.Status.data(), static_cast<int>(r.Status.size()), SQLITE_STATIC);
        Check(sqlite3_step(st), db);
        sqlite3_reset(st);
    }
    sqlite3_finalize(st);
    Check(sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr), db);
    if (actionIndex)
        Check(sqlite3_exec(db, "CREATE INDEX task_action ON task(Action)", nullptr, nullptr, nullptr), db);
    return db;
}

sqlite3* SharedDb() {
    static sqlite3* db = OpenFilled(true);
    return db;
}

// Runs a query and collects the keys it answers, as a view would hold them.
int CollectKeys(sqlite3* db, const char* sql) {
    std::vector<int> keys;
    keys.reserve(Fixture::Get().Rows.size());
    sqlite3_stmt* st = nullptr;
    Check(sqlite3_prepare_v2(db, sql, -1, &st, nullptr), db);
    while (sqlite3_step(st) == SQLITE_ROW) keys.push_back(sqlite3_column_int(st, 0));
    sqlite3_finalize(st);
    benchmark::DoNotOptimize(keys.data());
    return static_cast<int>(keys.size());
}

void SQLiteQuery(benchmark::State& state, const char* sql) {
    sqlite3* db = SharedDb();
    int shown = 0;
    for (auto _ : state) shown = CollectKeys(db, sql);
    state.counters["shown"] = shown;
    Account(state);
}

void BM_SQLite_WhereTwoConditions(benchmark::State& state) {
    SQLiteQuery(state, "SELECT Key FROM task WHERE Priority <> '4' AND Category = 'Home'");
}
void BM_SQLite_WhereLike(benchmark::State& state) {
    SQLiteQuery(state, "SELECT Key FROM task WHERE Action LIKE '%report%'");
}
void BM_SQLite_OrderByOneField(benchmark::State& state) {
    // NOT INDEXED: the engine has no index either; it sorts.
    SQLiteQuery(state, "SELECT Key FROM task NOT INDEXED ORDER BY Action");
}
void BM_SQLite_OrderByTwoFields(benchmark::State& state) {
    SQLiteQuery(state, "SELECT Key FROM task ORDER BY Priority, Date");
}

void BM_SQLite_LookupIndexed(benchmark::State& state) {
    sqlite3* db = SharedDb();
    const auto& rows = Fixture::Get().Rows;
    const std::vector<int> targets = TargetRows(SortedLookups);
    sqlite3_stmt* st = nullptr;
    Check(sqlite3_prepare_v2(db, "SELECT Key FROM task WHERE Action = ? LIMIT 1", -1, &st, nullptr), db);
    for (auto _ : state) {
        for (int t : targets) {
            const std::string& text = rows[static_cast<std::size_t>(t)].Action;
            sqlite3_bind_text(st, 1, text.data(), static_cast<int>(text.size()), SQLITE_STATIC);
            if (sqlite3_step(st) != SQLITE_ROW) state.SkipWithError("not found");
            sqlite3_reset(st);
        }
    }
    sqlite3_finalize(st);
    state.SetItemsProcessed(state.iterations() * SortedLookups);
}

// The indexed lookup reading the whole row, as Locate fetches the whole record.
void BM_SQLite_LookupIndexedRow(benchmark::State& state) {
    sqlite3* db = SharedDb();
    const auto& rows = Fixture::Get().Rows;
    const std::vector<int> targets = TargetRows(SortedLookups);
    sqlite3_stmt* st = nullptr;
    Check(sqlite3_prepare_v2(db, "SELECT * FROM task WHERE Action = ? LIMIT 1", -1, &st, nullptr), db);
    for (auto _ : state) {
        for (int t : targets) {
            const std::string& text = rows[static_cast<std::size_t>(t)].Action;
            sqlite3_bind_text(st, 1, text.data(), static_cast<int>(text.size()), SQLITE_STATIC);
            if (sqlite3_step(st) != SQLITE_ROW) state.SkipWithError("not found");
            int64_t sum = 0;
            for (int c = 0; c < 8; ++c) {
                const unsigned char* p = sqlite3_column_text(st, c);
                sum += sqlite3_column_bytes(st, c) + (p ? p[0] : 0);
            }
            benchmark::DoNotOptimize(sum);
            sqlite3_reset(st);
        }
    }
    sqlite3_finalize(st);
    state.SetItemsProcessed(state.iterations() * SortedLookups);
}

void BM_SQLite_LookupUnindexed(benchmark::State& state) {
    sqlite3* db = SharedDb();
    const std::vector<int> targets = DateTargets(UnsortedLookups);
    sqlite3_stmt* st = nullptr;
    Check(sqlite3_prepare_v2(db, "SELECT Key FROM task WHERE Date = ? AND Status = 'Cancelled' LIMIT 1", -1,
                             &st, nullptr),
          db);
    for (auto _ : state) {
        for (int t : targets) {
            sqlite3_bind_int(st, 1, t);
            sqlite3_step(st);
            sqlite3_reset(st);
        }
    }
    sqlite3_finalize(st);
    state.SetItemsProcessed(state.iterations() * UnsortedLookups);
}

void BM_SQLite_InsertIndexed(benchmark::State& state) {
    std::mt19937 rng(99);
    std::vector<TaskRow> rows;
    for (int i = 0; i < Inserts; ++i) rows.push_back(MakeRow(rng));
    for (auto _ : state) {
        state.PauseTiming();
        sqlite3* db = OpenFilled(true);
        sqlite3_stmt* st = nullptr;
        Check(sqlite3_prepare_v2(db, "INSERT INTO task VALUES(NULL,?,?,?,?,?,?,NULL)", -1, &st, nullptr), db);
        state.ResumeTiming();
        Check(sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr), db);
        for (const TaskRow& r : rows) {
            sqlite3_bind_int(st, 1, r.Flag);
            sqlite3_bind_text(st, 2, r.Action.data(), static_cast<int>(r.Action.size()), SQLITE_STATIC);
            sqlite3_bind_int(st, 3, r.Date);
            sqlite3_bind_text(st, 4, r.Category.data(), static_cast<int>(r.Category.size()), SQLITE_STATIC);
            sqlite3_bind_text(st, 5, r.Priority.data(), static_cast<int>(r.Priority.size()), SQLITE_STATIC);
            sqlite3_bind_text(st, 6, r.Status.data(), static_cast<int>(r.Status.size()), SQLITE_STATIC);
            Check(sqlite3_step(st), db);
            sqlite3_reset(st);
        }
        Check(sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr), db);
        state.PauseTiming();
        sqlite3_finalize(st);
        sqlite3_close(db);
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * Inserts);
}

#define BIG(fn) BENCHMARK(fn)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime()
BIG(BM_Engine_FilterTwoConditions);
BIG(BM_SQLite_WhereTwoConditions);
BIG(BM_Engine_FilterLike);
BIG(BM_SQLite_WhereLike);
BIG(BM_Engine_IndexOneField);
BIG(BM_SQLite_OrderByOneField);
BENCHMARK(BM_Engine_IndexOneFieldOnce)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();
BIG(BM_Engine_IndexTwoFields);
BIG(BM_SQLite_OrderByTwoFields);
BIG(BM_Engine_LocateSorted);
BIG(BM_Engine_LocateSortedBinary);
BIG(BM_SQLite_LookupIndexed);
BIG(BM_SQLite_LookupIndexedRow);
BENCHMARK(BM_Engine_LocateFirstCall)->Unit(benchmark::kMillisecond)->Iterations(5)->UseRealTime();
BENCHMARK(BM_Engine_LocateNinthCall)->Unit(benchmark::kMillisecond)->Iterations(5)->UseRealTime();
BIG(BM_Engine_LocateUnsorted);
BIG(BM_SQLite_LookupUnindexed);
BENCHMARK(BM_Engine_InsertInOrder)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(BM_SQLite_InsertIndexed)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

class TRecordingReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            const std::string name = run.run_name.function_name;
            if (run.run_type == Run::RT_Aggregate) {
                if (run.aggregate_name == "median") Times[name] = run.GetAdjustedRealTime();
            } else if (run.repetitions <= 1) {
                Times[name] = run.GetAdjustedRealTime();
            }
        }
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> Times;
};

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    std::printf("Task table: %zu records\n", Fixture::Get().Rows.size());
    TRecordingReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    auto ratio = [&](const char* label, const char* sqlite, const char* engine) {
        const double s = reporter.Times[sqlite], e = reporter.Times[engine];
        if (s > 0 && e > 0) std::printf("  %-40s %7.2f x\n", label, s / e);
    };
    std::printf("\nSQLite time over engine time:\n");
    ratio("WHERE two conditions / filter", "BM_SQLite_WhereTwoConditions", "BM_Engine_FilterTwoConditions");
    ratio("WHERE LIKE / filter LIKE", "BM_SQLite_WhereLike", "BM_Engine_FilterLike");
    ratio("ORDER BY one field / IndexFieldNames", "BM_SQLite_OrderByOneField", "BM_Engine_IndexOneField");
    ratio("ORDER BY two fields / IndexFieldNames", "BM_SQLite_OrderByTwoFields", "BM_Engine_IndexTwoFields");
    ratio("indexed lookup / Locate, repeated", "BM_SQLite_LookupIndexed", "BM_Engine_LocateSorted");
    ratio("indexed lookup / Locate, binary search", "BM_SQLite_LookupIndexed",
          "BM_Engine_LocateSortedBinary");
    ratio("indexed whole-row lookup / Locate, repeated", "BM_SQLite_LookupIndexedRow",
          "BM_Engine_LocateSorted");
    ratio("indexed whole-row lookup / Locate, binary", "BM_SQLite_LookupIndexedRow",
          "BM_Engine_LocateSortedBinary");
    {
        // A first Locate against one whole-row lookup (a tenth-thousandth of the loop).
        const double one = reporter.Times["BM_SQLite_LookupIndexedRow"] / SortedLookups;
        if (one > 0) {
            std::printf("  %-40s %7.3f ms (%.0f whole-row lookups)\n", "first Locate on a fresh sorted view",
                        reporter.Times["BM_Engine_LocateFirstCall"],
                        reporter.Times["BM_Engine_LocateFirstCall"] / one);
            std::printf("  %-40s %7.3f ms (%.0f whole-row lookups)\n", "ninth Locate (builds the hash)",
                        reporter.Times["BM_Engine_LocateNinthCall"],
                        reporter.Times["BM_Engine_LocateNinthCall"] / one);
        }
    }
    ratio("unindexed lookup / Locate unsorted", "BM_SQLite_LookupUnindexed", "BM_Engine_LocateUnsorted");
    ratio("indexed inserts / insert in order", "BM_SQLite_InsertIndexed", "BM_Engine_InsertInOrder");
    ratio("rowid lookup / GotoBookmark, store order", "BM_SQLite_LookupRowid",
          "BM_Engine_GotoBookmarkStoreOrder");
    ratio("rowid lookup / GotoBookmark, sorted", "BM_SQLite_LookupRowid", "BM_Engine_GotoBookmarkSorted");
    ratio("rowid lookup / GotoBookmark, equal runs", "BM_SQLite_LookupRowid",
          "BM_Engine_GotoBookmarkEqualRuns");
    ratio("rowid lookup / BookmarkValid + GotoBookmark", "BM_SQLite_LookupRowid",
          "BM_Engine_ValidAndGotoBookmarkSorted");
    ratio("rowid lookup / the same after an own post moved a record", "BM_SQLite_LookupRowid",
          "BM_Engine_ValidAndGotoBookmarkAfterOwnMove");
    ratio("inserts / appends with an unsorted clone", "BM_SQLite_InsertIntoFilled",
          "BM_Engine_AppendSharedUnsorted");
    ratio("inserts / appends with a sorted clone", "BM_SQLite_InsertIntoFilled",
          "BM_Engine_AppendSharedSorted");
    benchmark::Shutdown();
    return 0;
}

// -- Searches with their first-call costs -----------------------------------------

namespace {

// Binary searches on a view sorted just before, so the first search's set-up
// is in the time.
void BM_Engine_LocateBinaryFreshView(benchmark::State& state) {
    TOstraDataset& ds = SharedDataset();
    const auto& rows = Fixture::Get().Rows;
    const std::vector<int> targets = TargetRows(SortedLookups);
    for (auto _ : state) {
        state.PauseTiming();
        Reset(ds);
        ds.SetIndexFieldNames("Action;Key");
        state.ResumeTiming();
        for (std::size_t i = 0; i < targets.size(); ++i) {
            const TaskRow& row = rows[static_cast<std::size_t>(targets[i])];
            const bool found = i % 2 ? ds.Locate("Action;Key", VarArrayOf({row.Action, targets[i] + 1}), {})
                                     : ds.Locate("Action", row.Action, {});
            if (!found) state.SkipWithError("not found");
        }
    }
    Reset(ds);
    state.SetItemsProcessed(state.iterations() * SortedLookups);
}

// Repeated searches over one field of a view sorted just before: the hash
// index, when one is made, is in the time.
void BM_Engine_LocateRepeatedFreshView(benchmark::State& state) {
    TOstraDataset& ds = SharedDataset();
    const auto& rows = Fixture::Get().Rows;
    const std::vector<int> targets = TargetRows(SortedLookups);
    for (auto _ : state) {
        state.PauseTiming();
        Reset(ds);
        ds.SetIndexFieldNames("Action;Key");
        state.ResumeTiming();
        for (int t : targets)
            if (!ds.Locate("Action", rows[static_cast<std::size_t>(t)].Action, {}))
                state.SkipWithError("not found");
    }
    Reset(ds);
    state.SetItemsProcessed(state.iterations() * SortedLookups);
}

BENCHMARK(BM_Engine_LocateBinaryFreshView)->Unit(benchmark::kMillisecond)->Iterations(5)->UseRealTime();
BENCHMARK(BM_Engine_LocateRepeatedFreshView)->Unit(benchmark::kMillisecond)->Iterations(5)->UseRealTime();

}  // namespace

// -- Going to bookmarks -------------------------------------------------------------

namespace {

constexpr int BookmarkVisits = 10000;

// Bookmarks of random records of the view as it stands, in random order.
std::vector<TBookmark> RandomBookmarks(TOstraDataset& ds) {
    std::mt19937 rng(13);
    std::vector<TBookmark> marks;
    for (int i = 0; i < BookmarkVisits; ++i) {
        ds.SetRecNo(1 + static_cast<int>(rng() % static_cast<unsigned>(ds.RecordCount())));
        marks.push_back(ds.Bookmark());
    }
    return marks;
}

// A selection of rows gone through by bookmark, on a view in store order or
// sorted by Fields; Check asks BookmarkValid first, as a grid restoring its
// place does.
void EngineGotoBookmarks(benchmark::State& state, const char* fields, bool check) {
    TOstraDataset& ds = SharedDataset();
    Reset(ds);
    ds.SetIndexFieldNames(fields);
    const std::vector<TBookmark> marks = RandomBookmarks(ds);
    int64_t sum = 0;
    for (auto _ : state) {
        for (const TBookmark& mark : marks) {
            if (check && !ds.BookmarkValid(mark)) state.SkipWithError("not valid");
            ds.GotoBookmark(mark);
            sum += ds.RecNo();
        }
    }
    benchmark::DoNotOptimize(sum);
    Reset(ds);
    state.SetItemsProcessed(state.iterations() * BookmarkVisits);
}

void BM_Engine_GotoBookmarkStoreOrder(benchmark::State& state) { EngineGotoBookmarks(state, "", false); }
void BM_Engine_GotoBookmarkSorted(benchmark::State& state) { EngineGotoBookmarks(state, "Action", false); }
// Seven categories: runs of about 140 000 equal records.
void BM_Engine_GotoBookmarkEqualRuns(benchmark::State& state) {
    EngineGotoBookmarks(state, "Category", false);
}
void BM_Engine_ValidAndGotoBookmarkSorted(benchmark::State& state) {
    EngineGotoBookmarks(state, "Action", true);
}

// The same after the dataset's own post moved a record out of the view's
// order (a user editing the sorted column): the view is not built again
// until something else changes it.
void BM_Engine_ValidAndGotoBookmarkAfterOwnMove(benchmark::State& state) {
    TBenchDataset ds;
    ds.SetIndexFieldNames("Action");
    ds.Open();
    const std::vector<TBookmark> marks = RandomBookmarks(ds);
    ds.SetRecNo(ds.RecordCount() / 3);
    ds.Edit();
    ds.FieldByName("Action")->SetAsString("zzz moved");
    ds.Post();
    if (ds.InKeyOrder()) state.SkipWithError("not moved out of order");
    int64_t sum = 0;
    for (auto _ : state) {
        for (const TBookmark& mark : marks) {
            if (!ds.BookmarkValid(mark)) state.SkipWithError("not valid");
            ds.GotoBookmark(mark);
            sum += ds.RecNo();
        }
    }
    benchmark::DoNotOptimize(sum);
    state.SetItemsProcessed(state.iterations() * BookmarkVisits);
}

// SQLite's lookup by rowid of the same random rows, reading the whole row.
void BM_SQLite_LookupRowid(benchmark::State& state) {
    sqlite3* db = SharedDb();
    std::mt19937 rng(13);
    std::vector<int> keys;
    for (int i = 0; i < BookmarkVisits; ++i)
        keys.push_back(1 + static_cast<int>(rng() % Fixture::Get().Rows.size()));
    sqlite3_stmt* st = nullptr;
    Check(sqlite3_prepare_v2(db, "SELECT * FROM task WHERE Key = ?", -1, &st, nullptr), db);
    int64_t sum = 0;
    for (auto _ : state) {
        for (int key : keys) {
            sqlite3_bind_int(st, 1, key);
            if (sqlite3_step(st) != SQLITE_ROW) state.SkipWithError("not found");
            for (int c = 0; c < 8; ++c) sum += sqlite3_column_bytes(st, c);
            sqlite3_reset(st);
        }
    }
    sqlite3_finalize(st);
    benchmark::DoNotOptimize(sum);
    state.SetItemsProcessed(state.iterations() * BookmarkVisits);
}

BENCHMARK(BM_Engine_GotoBookmarkStoreOrder)->Unit(benchmark::kMillisecond)->MinTime(1.0)->UseRealTime();
BENCHMARK(BM_Engine_GotoBookmarkSorted)->Unit(benchmark::kMillisecond)->MinTime(1.0)->UseRealTime();
BENCHMARK(BM_Engine_GotoBookmarkEqualRuns)->Unit(benchmark::kMillisecond)->MinTime(1.0)->UseRealTime();
BENCHMARK(BM_Engine_ValidAndGotoBookmarkSorted)->Unit(benchmark::kMillisecond)->MinTime(1.0)->UseRealTime();
BENCHMARK(BM_Engine_ValidAndGotoBookmarkAfterOwnMove)
    ->Unit(benchmark::kMillisecond)
    ->MinTime(1.0)
    ->UseRealTime();
BENCHMARK(BM_SQLite_LookupRowid)->Unit(benchmark::kMillisecond)->MinTime(1.0)->UseRealTime();

}  // namespace

// -- Appending to a table whose store a clone shares ----------------------------------

namespace {

constexpr int SharedAppends = 2000;

// Appends to a table of the fixture's rows opened from its file while a clone
// shows the same store, unsorted or sorted by Category (runs of about 140 000
// equal records): each new record takes its place in the clone's view too.
void EngineSharedAppends(benchmark::State& state, const char* cloneSort) {
    const std::string file = TestRunPath("shared.d");
    static const bool written = [&] {
        const std::string& image = Fixture::Get().Image;
        std::ofstream(file, std::ios::binary).write(image.data(), static_cast<std::streamsize>(image.size()));
        return true;
    }();
    benchmark::DoNotOptimize(written);
    std::mt19937 rng(17);
    std::vector<TaskRow> rows;
    for (int i = 0; i < SharedAppends; ++i) rows.push_back(MakeRow(rng));
    for (auto _ : state) {
        state.PauseTiming();
        auto table = std::make_unique<TOstraTable>(nullptr);
        table->SetTableName(file);
        table->Open();
        auto clone = std::make_unique<TOstraTable>(nullptr);
        clone->SetCloneDS(table.get());
        clone->SetIndexFieldNames(cloneSort);
        clone->Open();
        state.ResumeTiming();
        for (const TaskRow& r : rows) {
            table->Append();
            table->FieldByName("Action")->SetAsString(r.Action);
            table->FieldByName("Category")->SetAsString(r.Category);
            table->FieldByName("Status")->SetAsString(r.Status);
            table->Post();
        }
        state.PauseTiming();
        if (clone->RecordCount() != table->RecordCount()) state.SkipWithError("the clone lost records");
        clone.reset();
        table.reset();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * SharedAppends);
}

void BM_Engine_AppendSharedUnsorted(benchmark::State& state) { EngineSharedAppends(state, ""); }
void BM_Engine_AppendSharedSorted(benchmark::State& state) { EngineSharedAppends(state, "Category"); }

// The same rows inserted into SQLite's filled table with its Action index, in one transaction.
void BM_SQLite_InsertIntoFilled(benchmark::State& state) {
    std::mt19937 rng(17);
    std::vector<TaskRow> rows;
    for (int i = 0; i < SharedAppends; ++i) rows.push_back(MakeRow(rng));
    for (auto _ : state) {
        state.PauseTiming();
        sqlite3* db = OpenFilled(true);
        sqlite3_stmt* st = nullptr;
        Check(sqlite3_prepare_v2(db, "INSERT INTO task(Action, Category, Status) VALUES(?,?,?)", -1, &st,
                                 nullptr),
              db);
        state.ResumeTiming();
        Check(sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr), db);
        for (const TaskRow& r : rows) {
            sqlite3_bind_text(st, 1, r.Action.data(), static_cast<int>(r.Action.size()), SQLITE_STATIC);
            sqlite3_bind_text(st, 2, r.Category.data(), static_cast<int>(r.Category.size()), SQLITE_STATIC);
            sqlite3_bind_text(st, 3, r.Status.data(), static_cast<int>(r.Status.size()), SQLITE_STATIC);
            Check(sqlite3_step(st), db);
            sqlite3_reset(st);
        }
        Check(sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr), db);
        state.PauseTiming();
        sqlite3_finalize(st);
        sqlite3_close(db);
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * SharedAppends);
}

BENCHMARK(BM_Engine_AppendSharedUnsorted)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(BM_Engine_AppendSharedSorted)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(BM_SQLite_InsertIntoFilled)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

}  // namespace
