// The filter form's record road and the locate search over a suite table on
// an SQLite file, beside SQLite's own time for the same conditions on the
// same file (its C interface, a connection of its own, in the same run).
//
// One file holds two tables of the same rows, 10^5 and 10^6 (TASKMOOR_BENCH_ROWS
// sets the larger; the smaller is a tenth of it). The filter: three criteria of
// the form (name starts with "ka", city holds "sl", both without case, qty in
// 10..20); SQLite: the same WHERE. The locate: a search without case for a
// text of the notes (TEXT, no index) that only the last row holds, and for
// one no row holds, from the first record; SQLite: the first row id whose
// notes hold it. Every result is checked against SQLite's. Once, at the
// smaller size: the filter by the record test alone, as it was before SQLite
// answered the criteria. Then the dataset's own Locate, and the fence's cost
// (below).
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "offscreen_main.h"
#include "platform/db/datasource.h"
#include "platform/db/dbtables.h"
#include "platform/db/fields.h"
#include "platform/db/sqlite_connection.h"
#include "platform/ui/application.h"
#include "platform/ui/forms.h"
#include "suite/base/qzrecordsearch.h"
#include "suite/data/qzdbtables.h"
#include "suite/data/qzfilterdialog.h"

namespace {

int LargeRows() {
    const char* env = std::getenv("TASKMOOR_BENCH_ROWS");
    return env ? std::max(10, std::atoi(env)) : 1000000;
}

const char* const Syllables[] = {"ka", "lo", "mi", "ne", "su", "ta", "ri", "Ka", "Lo", "be", "do", "fa"};
const char* const Cities[] = {"Oslo", "Bern", "Rome", "Lisbon", "Paris", "Slough", "Vienna", "Kassel"};

std::string FilePath() {
    static const std::string path = (std::filesystem::temp_directory_path() /
                                     ("suite_filter_bench_" + std::to_string(std::random_device{}()) + ".db"))
                                        .string();
    return path;
}

std::string TableOf(int Rows) { return "p" + std::to_string(Rows); }

// The rows of both tables, written once.
void MakeFile() {
    static bool made = false;
    if (made) return;
    made = true;
    std::filesystem::remove(FilePath());
    sqlite3* db = nullptr;
    sqlite3_open(FilePath().c_str(), &db);
    for (int rows : {LargeRows() / 10, LargeRows()}) {
        const std::string table = TableOf(rows);
        sqlite3_exec(db,
                     ("CREATE TABLE " + table +
                      " (id INTEGER PRIMARY KEY, name VARCHAR(40), city VARCHAR(20), qty INTEGER, notes TEXT,"
                      " vnotes VARCHAR(60));")
                         .c_str(),
                     nullptr, nullptr, nullptr);
        sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
        sqlite3_stmt* st = nullptr;
        sqlite3_prepare_v2(db, ("INSERT INTO " + table + " VALUES (?, ?, ?, ?, ?, ?)").c_str(), -1, &st,
                           nullptr);
        std::mt19937 rng(42);
        for (int id = 1; id <= rows; ++id) {
            std::string name;
            for (int k = 0, n = 2 + static_cast<int>(rng() % 3); k < n; ++k) name += Syllables[rng() % 12];
            std::string notes = "note " + std::to_string(rng() % 100000) + " of " + name;
            if (id == rows) notes += " the very last one";
            sqlite3_bind_int(st, 1, id);
            sqlite3_bind_text(st, 2, name.c_str(), -1, SQLITE_TRANSIENT);
            sqlite3_bind_text(st, 3, Cities[rng() % 8], -1, SQLITE_STATIC);
            sqlite3_bind_int(st, 4, static_cast<int>(rng() % 40));
            sqlite3_bind_text(st, 5, notes.c_str(), -1, SQLITE_TRANSIENT);
            sqlite3_bind_text(st, 6, notes.c_str(), -1, SQLITE_TRANSIENT);
            sqlite3_step(st);
            sqlite3_reset(st);
        }
        sqlite3_finalize(st);
        sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    }
    // 20,000 rows of 1,000 bytes, TEXT and VARCHAR(1000)
    sqlite3_exec(db,
                 "CREATE TABLE wide (id INTEGER PRIMARY KEY, notes TEXT, vnotes VARCHAR(1000));"
                 "WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c WHERE x < 20000)"
                 " INSERT INTO wide SELECT x, substr(printf('%d ', x) || hex(randomblob(500)), 1, 1000),"
                 " NULL FROM c; UPDATE wide SET vnotes = notes;",
                 nullptr, nullptr, nullptr);
    sqlite3_close(db);
}

// SQLite's own connection to the file.
class TPeer {
public:
    TPeer() { sqlite3_open(FilePath().c_str(), &FDb); }
    ~TPeer() { sqlite3_close(FDb); }
    // The row ids of a query, all of them.
    std::vector<int64_t> Ids(const std::string& Sql) {
        std::vector<int64_t> ids;
        sqlite3_stmt* st = nullptr;
        sqlite3_prepare_v2(FDb, Sql.c_str(), -1, &st, nullptr);
        while (sqlite3_step(st) == SQLITE_ROW) ids.push_back(sqlite3_column_int64(st, 0));
        sqlite3_finalize(st);
        return ids;
    }

private:
    sqlite3* FDb = nullptr;
};

const char* const FilterWhere = " WHERE name LIKE 'ka%' AND city LIKE '%sl%' AND qty BETWEEN 10 AND 20";
const char* const LastText = "THE VERY LAST";
const char* const NoText = "no such note";

// A suite table on the file with a filter dialog over it.
struct TSuite {
    explicit TSuite(int Rows) {
        Table = new TqzTable(&Form);
        Table->SetDatabaseName(FilePath());
        Table->SetTableName(TableOf(Rows));
        Table->Open();
        Source.SetDataSet(Table);
        Dialog = new TqzFilterDialog(&Form);
        Dialog->SetDataSource(&Source);
    }
    void SetCriteria() {
        auto crit = [](const char* Field, TqzFilterMatchType Match, const char* Value) {
            TqzFieldInfo i;
            i.FieldName = i.DisplayLabel = Field;
            i.MatchType = Match;
            i.FilterValue = Value;
            return i;
        };
        TqzFieldInfo qty = crit("qty", fdMatchRange, "");
        qty.MinValue = "10";
        qty.MaxValue = "20";
        Dialog->Criteria() = {crit("name", fdMatchStart, "ka"), crit("city", fdMatchAny, "sl"), qty};
    }
    TForm Form{nullptr};
    TqzTable* Table = nullptr;
    TDataSource Source{&Form};
    TqzFilterDialog* Dialog = nullptr;
};

void BM_FilterForm(benchmark::State& state) {
    const int rows = static_cast<int>(state.range(0));
    MakeFile();
    TSuite suite(rows);
    TPeer peer;
    const size_t expected = peer.Ids("SELECT id FROM " + TableOf(rows) + FilterWhere).size();
    for (auto _ : state) {
        suite.SetCriteria();
        if (!suite.Dialog->ApplyFilter()) state.SkipWithError("the filter failed");
    }
    if (static_cast<size_t>(suite.Table->RecordCount()) != expected)
        state.SkipWithError("counts differ from SQLite's");
    state.counters["rows"] = static_cast<double>(expected);
}

// The same criteria by the record test alone (the dialog's event set, as a
// program that decides per record has it): what each criterion cost before.
void BM_FilterForm_RecordTestAlone(benchmark::State& state) {
    const int rows = static_cast<int>(state.range(0));
    MakeFile();
    TSuite suite(rows);
    suite.Dialog->SetOnAcceptFilterRecord(
        TqzAcceptFilterRecordEvent([](TObject*, TDataSet*, bool&, bool&) {}));
    TPeer peer;
    const size_t expected = peer.Ids("SELECT id FROM " + TableOf(rows) + FilterWhere).size();
    for (auto _ : state) {
        suite.SetCriteria();
        if (!suite.Dialog->ApplyFilter()) state.SkipWithError("the filter failed");
    }
    if (static_cast<size_t>(suite.Table->RecordCount()) != expected)
        state.SkipWithError("counts differ from SQLite's");
}

void BM_FilterForm_Sqlite(benchmark::State& state) {
    const int rows = static_cast<int>(state.range(0));
    MakeFile();
    TPeer peer;
    size_t n = 0;
    for (auto _ : state) n = peer.Ids("SELECT id FROM " + TableOf(rows) + FilterWhere).size();
    state.counters["rows"] = static_cast<double>(n);
}

void Locate(benchmark::State& state, const char* Text) {
    const int rows = static_cast<int>(state.range(0));
    MakeFile();
    TSuite suite(rows);
    bool found = false;
    for (auto _ : state) {
        suite.Table->First();
        found = qzFindRecordByValue(true, suite.Table, "notes", Text, mtPartialMatchAny, false, false);
    }
    const bool expected = std::string(Text) == LastText;
    if (found != expected || (found && suite.Table->FieldByName("id")->AsInteger() != rows))
        state.SkipWithError("the locate differs from SQLite's answer");
}

void LocateSqlite(benchmark::State& state, const char* Text) {
    const int rows = static_cast<int>(state.range(0));
    MakeFile();
    TPeer peer;
    std::vector<int64_t> ids;
    for (auto _ : state)
        ids = peer.Ids("SELECT id FROM " + TableOf(rows) + " WHERE notes LIKE '%" + Text +
                       "%' ORDER BY id LIMIT 1");
    if (ids.size() != (std::string(Text) == LastText ? 1u : 0u)) state.SkipWithError("unexpected answer");
}

void BM_LocateLast(benchmark::State& state) { Locate(state, LastText); }
void BM_LocateLast_Sqlite(benchmark::State& state) { LocateSqlite(state, LastText); }
void BM_LocateNone(benchmark::State& state) { Locate(state, NoText); }
void BM_LocateNone_Sqlite(benchmark::State& state) { LocateSqlite(state, NoText); }

// The dataset's own Locate: without case for a name no row holds (names are
// two to four syllables: this one has five), and by the integer id for the
// last row. SQLite: the first row id whose name equals it by NOCASE (the
// names are ASCII); the row of that id, by the key and by a scan (the
// dataset's statement tests the stored type, which keeps SQLite off the key).
// Once, at the smaller size: the walk over the records, as Locate went before.
const char* const NoName = "KAKAKAKAKA";
// A key outside ASCII: the platform's fold compares it (SQLite's NOCASE does
// not fold it; no row holds it either way).
const char* const NoNameFolded = "KAKAKAKAK\xC3\x89";

void DataSetLocate(benchmark::State& state, bool ById, bool Walk, const char* Name = NoName) {
    const int rows = static_cast<int>(state.range(0));
    MakeFile();
    TSuite suite(rows);
    suite.Table->SetLocateByDatabase(!Walk);
    bool found = false;
    for (auto _ : state) {
        suite.Table->First();
        found = ById ? suite.Table->Locate("id", Variant(rows), {})
                     : suite.Table->Locate("name", Variant(Name), {loCaseInsensitive});
    }
    if (found != ById || (found && suite.Table->FieldByName("id")->AsInteger() != rows))
        state.SkipWithError("the locate differs from SQLite's answer");
}

void DataSetLocateSqlite(benchmark::State& state, const std::string& Where, bool Found) {
    const int rows = static_cast<int>(state.range(0));
    MakeFile();
    TPeer peer;
    std::vector<int64_t> ids;
    for (auto _ : state) ids = peer.Ids("SELECT id FROM " + TableOf(rows) + Where + " ORDER BY id LIMIT 1");
    if (ids.size() != (Found ? 1u : 0u)) state.SkipWithError("unexpected answer");
}

void BM_DataSetLocateName(benchmark::State& state) { DataSetLocate(state, false, false); }
void BM_DataSetLocateName_Sqlite(benchmark::State& state) {
    DataSetLocateSqlite(state, std::string(" WHERE name = '") + NoName + "' COLLATE NOCASE", false);
}
void BM_DataSetLocateName_Walk(benchmark::State& state) { DataSetLocate(state, false, true); }
void BM_DataSetLocateNameFolded(benchmark::State& state) { DataSetLocate(state, false, false, NoNameFolded); }
void BM_DataSetLocateNameFolded_Sqlite(benchmark::State& state) {
    DataSetLocateSqlite(state, std::string(" WHERE name = '") + NoNameFolded + "' COLLATE NOCASE", false);
}
void BM_DataSetLocateId(benchmark::State& state) { DataSetLocate(state, true, false); }
void BM_DataSetLocateId_SqliteKey(benchmark::State& state) {
    DataSetLocateSqlite(state, " WHERE id = " + std::to_string(state.range(0)), true);
}
void BM_DataSetLocateId_SqliteScan(benchmark::State& state) {
    DataSetLocateSqlite(state, " WHERE +id = " + std::to_string(state.range(0)), true);
}

// Locate over a column declared TEXT (a memo field) against the same over
// the same texts declared VARCHAR(60), without case, for a text no row
// holds: whole and as a start; and the same by the walk over the records.
const char* const NoNote = "NOTE 99999 OF KAKAKAKAKA";
void NotesLocate(benchmark::State& state, const char* Field, TLocateOptions Options, bool Walk = false) {
    const int rows = static_cast<int>(state.range(0));
    MakeFile();
    TSuite suite(rows);
    suite.Table->SetLocateByDatabase(!Walk);
    bool found = true;
    for (auto _ : state) {
        suite.Table->First();
        found = suite.Table->Locate(Field, Variant(NoNote), Options);
    }
    if (found) state.SkipWithError("the locate differs from SQLite's answer");
}
void BM_LocateText(benchmark::State& state) { NotesLocate(state, "notes", {loCaseInsensitive}); }
void BM_LocateVarchar(benchmark::State& state) { NotesLocate(state, "vnotes", {loCaseInsensitive}); }
void BM_LocateTextStart(benchmark::State& state) {
    NotesLocate(state, "notes", {loCaseInsensitive, loPartialKey});
}
void BM_LocateVarcharStart(benchmark::State& state) {
    NotesLocate(state, "vnotes", {loCaseInsensitive, loPartialKey});
}
void BM_LocateText_Walk(benchmark::State& state) { NotesLocate(state, "notes", {loCaseInsensitive}, true); }

// Locate over 20,000 rows of 1,000 bytes for a key of 1 MB, 8 MB and 300 MB,
// without case, as a start (range(0): megabytes; range(1): 1 for the
// VARCHAR(1000) column).
void BM_LocateLongKey(benchmark::State& state) {
    MakeFile();
    TForm form(nullptr);
    auto* table = new TqzTable(&form);
    table->SetDatabaseName(FilePath());
    table->SetTableName("wide");
    table->Open();
    const std::string key(static_cast<size_t>(state.range(0)) * 1024 * 1024, '7');
    bool found = true;
    for (auto _ : state) {
        table->First();
        found = table->Locate(state.range(1) ? "vnotes" : "notes", Variant(key),
                              {loCaseInsensitive, loPartialKey});
    }
    if (found) state.SkipWithError("found a key no row holds");
}

// The watch over a long Locate on TEXT: when the busy show begins and the
// longest time between two looks at Escape after it (counters, ms). Cases:
// 0: 10^6 rows by the database, a key of 900 bytes; 1: 10^5 rows by the
// walk, the same key; 2: the 20,000 wide rows, a key of 8 MB; 3: the same by
// the walk, a key of 1 MB. Each without case, as a start.
class TGapWatch : public TDBWorkWatch {
public:
    using TClock = std::chrono::steady_clock;
    void Begin() override {
        BeginAt = TClock::now();
        Last = BeginAt;
    }
    bool Poll() override {
        const auto now = TClock::now();
        if (Last != TClock::time_point()) MaxGap = std::max(MaxGap, now - Last);
        Last = now;
        return false;
    }
    void End() override {}
    TClock::time_point BeginAt, Last;
    TClock::duration MaxGap{};
};

void BM_LocateWatch(benchmark::State& state) {
    MakeFile();
    const int which = static_cast<int>(state.range(0));
    TForm form(nullptr);
    auto* table = new TqzTable(&form);
    table->SetDatabaseName(FilePath());
    table->SetTableName(which == 0 ? TableOf(LargeRows()) : which == 1 ? TableOf(LargeRows() / 10) : "wide");
    table->Open();
    table->SetLocateByDatabase(which == 0 || which == 2);
    const std::string key =
        which < 2 ? std::string(900, 'k') : std::string((which == 2 ? 8 : 1) * 1024 * 1024, '7');
    TGapWatch watch;
    TDBWorkWatch* old = SetDBWorkWatch(&watch);
    double begin = 0, gap = 0;
    for (auto _ : state) {
        watch = TGapWatch();
        table->First();
        const auto start = TGapWatch::TClock::now();
        table->Locate("notes", Variant(key), {loCaseInsensitive, loPartialKey});
        const auto end = TGapWatch::TClock::now();
        if (watch.Last != TGapWatch::TClock::time_point())
            watch.MaxGap = std::max(watch.MaxGap, end - watch.Last);
        begin = watch.BeginAt == TGapWatch::TClock::time_point()
                    ? -1
                    : std::chrono::duration<double, std::milli>(watch.BeginAt - start).count();
        gap = std::chrono::duration<double, std::milli>(watch.MaxGap).count();
    }
    SetDBWorkWatch(old);
    state.counters["busy_at_ms"] = begin;
    state.counters["max_gap_ms"] = gap;
}

// The record search for a needle of 8 MB in the notes (every one shorter):
// answered by each row's length, the needle's table built at most once.
void BM_RecordSearchLongNeedle(benchmark::State& state) {
    const int rows = static_cast<int>(state.range(0));
    MakeFile();
    TSuite suite(rows);
    const std::string needle(8 * 1024 * 1024, 'k');
    bool found = true;
    for (auto _ : state)
        found = qzFindRecordByValue(true, suite.Table, "notes", needle, mtPartialMatchAny, false, false);
    if (found) state.SkipWithError("found a needle no row holds");
}

// ---- The fence's cost ----
// The statement of a table's Filter text over the larger table, run to its
// end with and without the fence (the authorizer's prepare, the value and
// memory bounds, the watch with the screen's busy cursor), returning no row,
// a tenth of them and all.
const char* const FenceFilters[] = {"qty < 0", "qty < 4", "qty >= 0"};

void FenceCost(benchmark::State& state, bool Fenced) {
    MakeFile();
    const std::shared_ptr<TSqliteConnection> connection = TSqliteConnection::Acquire(FilePath());
    sqlite3* db = connection->Db();
    const std::string table = TableOf(LargeRows());
    const std::string sql = "SELECT rowid FROM " + table + " WHERE (" + FenceFilters[state.range(0)] + "\n)";
    int64_t rows = 0;
    for (auto _ : state) {
        std::unique_ptr<TSqlFence> fence;
        if (Fenced) {
            fence = std::make_unique<TSqlFence>(TSqlFence::Learn(db, "SELECT rowid, * FROM " + table));
            fence->Watched = true;
        }
        TSqliteStatement st(db, sql, fence.get());
        int64_t sum = 0;
        rows = 0;
        while (st.Step()) {
            sum += st.ColumnInt(0);
            ++rows;
        }
        benchmark::DoNotOptimize(sum);
    }
    state.counters["rows"] = static_cast<double>(rows);
}
void BM_FenceCost_Fenced(benchmark::State& state) { FenceCost(state, true); }
void BM_FenceCost_Unfenced(benchmark::State& state) { FenceCost(state, false); }

void Sizes(benchmark::internal::Benchmark* b) {
    b->Arg(LargeRows() / 10)->Arg(LargeRows())->Unit(benchmark::kMillisecond)->UseRealTime();
}

BENCHMARK(BM_FilterForm)->Apply(Sizes);
BENCHMARK(BM_FilterForm_Sqlite)->Apply(Sizes);
BENCHMARK(BM_FilterForm_RecordTestAlone)
    ->Arg(LargeRows() / 10)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(1);
BENCHMARK(BM_LocateLast)->Apply(Sizes);
BENCHMARK(BM_LocateLast_Sqlite)->Apply(Sizes);
BENCHMARK(BM_LocateNone)->Apply(Sizes);
BENCHMARK(BM_LocateNone_Sqlite)->Apply(Sizes);
BENCHMARK(BM_DataSetLocateName)->Apply(Sizes);
BENCHMARK(BM_DataSetLocateName_Sqlite)->Apply(Sizes);
BENCHMARK(BM_DataSetLocateName_Walk)
    ->Arg(LargeRows() / 10)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(1);
BENCHMARK(BM_DataSetLocateNameFolded)->Apply(Sizes);
BENCHMARK(BM_DataSetLocateNameFolded_Sqlite)->Apply(Sizes);
BENCHMARK(BM_DataSetLocateId)->Apply(Sizes);
BENCHMARK(BM_DataSetLocateId_SqliteKey)->Apply(Sizes);
BENCHMARK(BM_DataSetLocateId_SqliteScan)->Apply(Sizes);
BENCHMARK(BM_LocateText)->Apply(Sizes);
BENCHMARK(BM_LocateVarchar)->Apply(Sizes);
BENCHMARK(BM_LocateTextStart)->Apply(Sizes);
BENCHMARK(BM_LocateVarcharStart)->Apply(Sizes);
BENCHMARK(BM_LocateText_Walk)
    ->Arg(LargeRows() / 10)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(1);
BENCHMARK(BM_RecordSearchLongNeedle)->Apply(Sizes);
BENCHMARK(BM_LocateWatch)->DenseRange(0, 3)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);
BENCHMARK(BM_LocateLongKey)
    ->Args({1, 0})
    ->Args({1, 1})
    ->Args({8, 0})
    ->Args({8, 1})
    ->Args({300, 0})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(BM_FenceCost_Fenced)->DenseRange(0, 2)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_FenceCost_Unfenced)->DenseRange(0, 2)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) { return RunOffscreenBenchmarks(argc, argv, FilePath()); }
