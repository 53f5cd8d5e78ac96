// Text filters over an SQLite file, beside the integer ones and SQLite's own
// time on a connection of its own to the same file (case-sensitive like, as
// the program's connections have it), every count checked against SQLite's.
//
// One table of TASKMOOR_BENCH_ROWS rows (10^6 unless set): id INTEGER
// PRIMARY KEY, name VARCHAR(40) with an index, city VARCHAR(20) (some with
// blanks around), qty INTEGER, notes TEXT. A name begins with one of 16
// letters and one of 32, so that a start of two letters holds about one row
// in 512 (1,953 at 10^6).
//
// - Filter: a table's and a query's Filter text, a prefix LIKE, GLOB and the
//   program's "= 'ab*'" against `id <= K` (K: as many rows) on the same
//   dataset, and SQLite's SELECT of those rows (all their columns).
// - Dialog: the filter dialog's "name starts with ab" (case-sensitive) on the
//   record road and the Filter-text road (a table) and the SQL road (a
//   query), and the same roads with `id` in 1..K.
// - Functions: trim, an end match, a match anywhere, instr and a start on a
//   column without index through the program's connection (its own like,
//   glob, instr, trim) and through SQLite's.
// - Memo: the dialog's record road on notes (declared TEXT), a start match
//   without case, against SQLite's LIKE.
// - SQL road: the dialog's SQL road on a query (city holds "sl", qty in
//   10..20) against SQLite's SELECT.
#include <benchmark/benchmark.h>
#include <sqlite3.h>

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
#include "suite/data/qzdbtables.h"
#include "suite/data/qzfilterdialog.h"

namespace {

int Rows() {
    const char* env = std::getenv("TASKMOOR_BENCH_ROWS");
    return env ? std::max(10, std::atoi(env)) : 1000000;
}

std::string FilePath() {
    static const std::string path = (std::filesystem::temp_directory_path() /
                                     ("text_filter_bench_" + std::to_string(std::random_device{}()) + ".db"))
                                        .string();
    return path;
}

const char* const Cities[] = {"Oslo",   " Oslo", "Oslo ",  "Bern",  "Rome",
                              "Lisbon", "Paris", "Slough", "Vienna"};

void MakeFile() {
    static bool made = false;
    if (made) return;
    made = true;
    std::filesystem::remove(FilePath());
    sqlite3* db = nullptr;
    sqlite3_open(FilePath().c_str(), &db);
    sqlite3_exec(db,
                 "CREATE TABLE t (id INTEGER PRIMARY KEY, name VARCHAR(40), city VARCHAR(20), qty INTEGER,"
                 " notes TEXT); CREATE INDEX t_name ON t (name); BEGIN",
                 nullptr, nullptr, nullptr);
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(db, "INSERT INTO t VALUES (?, ?, ?, ?, ?)", -1, &st, nullptr);
    std::mt19937 rng(7);
    const char* first = "abcdefghijklmnop";
    const char* second = "abcdefghijklmnopqrstuvwxyzABCDEF";
    for (int id = 1; id <= Rows(); ++id) {
        std::string name{first[rng() % 16], second[rng() % 32]};
        for (int k = 0, n = 2 + static_cast<int>(rng() % 5); k < n; ++k)
            name += static_cast<char>('a' + rng() % 26);
        const std::string notes = "note " + std::to_string(rng() % 100000) + " of " + name;
        sqlite3_bind_int(st, 1, id);
        sqlite3_bind_text(st, 2, name.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(st, 3, Cities[rng() % 9], -1, SQLITE_STATIC);
        sqlite3_bind_int(st, 4, static_cast<int>(rng() % 40));
        sqlite3_bind_text(st, 5, notes.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_step(st);
        sqlite3_reset(st);
    }
    sqlite3_finalize(st);
    sqlite3_exec(db, "COMMIT; ANALYZE", nullptr, nullptr, nullptr);
    sqlite3_close(db);
}

// SQLite's own connection to the file (its own like: case-sensitive, as the
// program's connections have it).
class TPeer {
public:
    TPeer() {
        sqlite3_open(FilePath().c_str(), &FDb);
        sqlite3_exec(FDb, "PRAGMA case_sensitive_like = ON", nullptr, nullptr, nullptr);
    }
    explicit TPeer(sqlite3* Db) : FDb(Db), FOwn(false) {}
    ~TPeer() {
        if (FOwn) sqlite3_close(FDb);
    }
    // The rows of a query, every column read; answers their count.
    size_t Rows(const std::string& Sql) {
        size_t n = 0;
        sqlite3_stmt* st = nullptr;
        sqlite3_prepare_v2(FDb, Sql.c_str(), -1, &st, nullptr);
        const int columns = sqlite3_column_count(st);
        while (sqlite3_step(st) == SQLITE_ROW) {
            for (int c = 0; c < columns; ++c) benchmark::DoNotOptimize(sqlite3_column_text(st, c));
            ++n;
        }
        sqlite3_finalize(st);
        return n;
    }
    int64_t Count(const std::string& Where) {
        sqlite3_stmt* st = nullptr;
        sqlite3_prepare_v2(FDb, ("SELECT count(*) FROM t WHERE " + Where).c_str(), -1, &st, nullptr);
        sqlite3_step(st);
        const int64_t n = sqlite3_column_int64(st, 0);
        sqlite3_finalize(st);
        return n;
    }

private:
    sqlite3* FDb = nullptr;
    bool FOwn = true;
};

// The rows a two-letter start holds: the integer filters take as many.
int64_t StartRows() {
    static const int64_t n = [] {
        MakeFile();
        return TPeer().Count("name GLOB 'ab*'");
    }();
    return n;
}

std::string IdFilter() { return "id <= " + std::to_string(StartRows()); }

// ---- Filter texts ----

enum TKind { kTable, kQuery };

std::unique_ptr<TDBDataSet> OpenDataSet(TKind Kind) {
    MakeFile();
    std::unique_ptr<TDBDataSet> ds;
    if (Kind == kTable) {
        auto t = std::make_unique<TqzTable>(nullptr);
        t->SetTableName("t");
        ds = std::move(t);
    } else {
        auto q = std::make_unique<TqzQuery>(nullptr);
        q->SQL()->SetText("SELECT * FROM t");
        ds = std::move(q);
    }
    ds->SetDatabaseName(FilePath());
    ds->Open();
    return ds;
}

const char* const Texts[] = {"name LIKE 'ab%'", "name GLOB 'ab*'", "name = 'ab*'", ""};

// Filter Texts[range(1)] (empty: the id filter) on a table (range(0) 0) or a
// query; two spellings of it by turns, so that each sets a new filter. The
// first record read, or (range(2) 1) every one.
void BM_Filter(benchmark::State& state) {
    auto ds = OpenDataSet(static_cast<TKind>(state.range(0)));
    std::string text = Texts[state.range(1)];
    if (text.empty()) text = IdFilter();
    ds->SetFilter(text);
    ds->SetFiltered(true);
    bool turn = false;
    const bool walk = state.range(2) != 0;
    for (auto _ : state) {
        ds->SetFilter(turn ? text : "(" + text + ")");
        turn = !turn;
        ds->First();
        benchmark::DoNotOptimize(ds->FieldByName("name")->AsString());
        // with range(2): every record read, as a grid's or a report's walk reads them
        for (; walk && !ds->Eof(); ds->Next())
            for (int i = 0; i < ds->FieldCount(); ++i)
                benchmark::DoNotOptimize(ds->Fields()->Fields(i)->AsString());
    }
    if (ds->RecordCount() != StartRows()) state.SkipWithError("counts differ from SQLite's");
    state.counters["rows"] = static_cast<double>(ds->RecordCount());
}

void BM_Filter_Sqlite(benchmark::State& state) {
    MakeFile();
    TPeer peer;
    const std::string where[] = {"name LIKE 'ab%'", "name GLOB 'ab*'", IdFilter()};
    size_t n = 0;
    for (auto _ : state) n = peer.Rows("SELECT * FROM t WHERE " + where[state.range(0)]);
    if (static_cast<int64_t>(n) != StartRows()) state.SkipWithError("unexpected count");
}

// ---- The filter dialog's roads ----

enum TRoadKind { rkRecord, rkText, rkSql };

struct TDialog {
    TDialog(TRoadKind Road, bool ById) {
        MakeFile();
        if (Road == rkSql) {
            auto* q = new TqzQuery(&Form);
            q->SQL()->SetText("SELECT * FROM t");
            DataSet = q;
        } else {
            auto* t = new TqzTable(&Form);
            t->SetTableName("t");
            DataSet = t;
        }
        DataSet->SetDatabaseName(FilePath());
        DataSet->Open();
        Source.SetDataSet(DataSet);
        Dialog = new TqzFilterDialog(&Form);
        Dialog->SetDataSource(&Source);
        if (Road == rkSql) Dialog->SetFilterMethod(fdByQueryModify);
        if (Road == rkText) {
            Dialog->FilterPropertyOptions()->DatasetFilterType = fdUseFilterProp;
            Dialog->FilterPropertyOptions()->UseLikeOperator = true;
        }
        TqzFieldInfo i;
        if (ById) {
            i.FieldName = i.DisplayLabel = "id";
            i.MatchType = fdMatchRange;
            i.MinValue = "1";
            i.MaxValue = std::to_string(StartRows());
        } else {
            i.FieldName = i.DisplayLabel = "name";
            i.MatchType = fdMatchStart;
            i.FilterValue = "ab";
            i.CaseSensitive = true;
        }
        Criteria = {i};
    }
    TForm Form{nullptr};
    TDBDataSet* DataSet = nullptr;
    TDataSource Source{&Form};
    TqzFilterDialog* Dialog = nullptr;
    TqzFieldInfoList Criteria;
};

void BM_Dialog(benchmark::State& state) {
    TDialog d(static_cast<TRoadKind>(state.range(0)), state.range(1) != 0);
    for (auto _ : state) {
        d.Dialog->Criteria() = d.Criteria;
        if (!d.Dialog->ApplyFilter()) state.SkipWithError("the filter failed");
    }
    if (d.DataSet->RecordCount() != StartRows()) state.SkipWithError("counts differ from SQLite's");
}

// ---- The connection's own functions against SQLite's, no index ----

const char* const Wheres[] = {"trim(city) = 'Oslo'",       "city LIKE '%slo'",
                              "notes LIKE '%ab%'",         "instr(notes, 'abc') > 0",
                              "notes GLOB '*ab?c*'",       "city LIKE 'Os%'",
                              "rtrim(city, ' o') = 'Osl'", "replace(city, ' ', '') = 'Oslo'"};

void Functions(benchmark::State& state, bool Own) {
    MakeFile();
    std::shared_ptr<TSqliteConnection> own;
    std::unique_ptr<TPeer> peer;
    if (Own) {
        own = TSqliteConnection::Acquire(FilePath());
        peer = std::make_unique<TPeer>(own->Db());
    } else {
        peer = std::make_unique<TPeer>();
    }
    int64_t n = 0;
    for (auto _ : state) n = peer->Count(Wheres[state.range(0)]);
    if (n != TPeer().Count(Wheres[state.range(0)])) state.SkipWithError("counts differ from SQLite's");
    state.counters["rows"] = static_cast<double>(n);
}
void BM_Functions_Own(benchmark::State& state) { Functions(state, true); }
void BM_Functions_Sqlite(benchmark::State& state) { Functions(state, false); }

// ---- A memo's criterion on the record road; the SQL road ----

void BM_MemoRecordRoad(benchmark::State& state) {
    MakeFile();
    TDialog d(rkRecord, false);
    TqzFieldInfo i;
    i.FieldName = i.DisplayLabel = "notes";
    i.MatchType = fdMatchStart;
    i.FilterValue = "NOTE 12";
    for (auto _ : state) {
        d.Dialog->Criteria() = {i};
        if (!d.Dialog->ApplyFilter()) state.SkipWithError("the filter failed");
    }
    TPeer peer;
    peer.Rows("PRAGMA case_sensitive_like = OFF");
    if (d.DataSet->RecordCount() != peer.Count("notes LIKE 'note 12%'"))
        state.SkipWithError("counts differ from SQLite's");
    state.counters["rows"] = d.DataSet->RecordCount();
}

void BM_MemoRecordRoad_Sqlite(benchmark::State& state) {
    MakeFile();
    TPeer peer;
    peer.Rows("PRAGMA case_sensitive_like = OFF");
    for (auto _ : state) peer.Rows("SELECT * FROM t WHERE notes LIKE 'note 12%'");
}

void BM_SqlRoad(benchmark::State& state) {
    MakeFile();
    TDialog d(rkSql, false);
    TqzFieldInfo city;
    city.FieldName = city.DisplayLabel = "city";
    city.MatchType = fdMatchAny;
    city.FilterValue = "sl";
    TqzFieldInfo qty;
    qty.FieldName = qty.DisplayLabel = "qty";
    qty.MatchType = fdMatchRange;
    qty.MinValue = "10";
    qty.MaxValue = "20";
    for (auto _ : state) {
        d.Dialog->Criteria() = {city, qty};
        if (!d.Dialog->ApplyFilter()) state.SkipWithError("the filter failed");
    }
    TPeer peer;
    if (d.DataSet->RecordCount() != peer.Count("upper(city) LIKE '%SL%' AND qty BETWEEN 10 AND 20"))
        state.SkipWithError("counts differ from SQLite's");
    state.counters["rows"] = d.DataSet->RecordCount();
}

void BM_SqlRoad_Sqlite(benchmark::State& state) {
    MakeFile();
    TPeer peer;
    for (auto _ : state) peer.Rows("SELECT * FROM t WHERE upper(city) LIKE '%SL%' AND qty BETWEEN 10 AND 20");
}

#define MS Unit(benchmark::kMillisecond)->UseRealTime()
BENCHMARK(BM_Filter)->ArgsProduct({{kTable, kQuery}, {0, 1, 2, 3}, {0}})->MS;
BENCHMARK(BM_Filter)->ArgsProduct({{kTable, kQuery}, {0, 3}, {1}})->MS;
BENCHMARK(BM_Filter_Sqlite)->DenseRange(0, 2)->MS;
BENCHMARK(BM_Dialog)->ArgsProduct({{rkRecord, rkText, rkSql}, {0, 1}})->MS;
BENCHMARK(BM_Functions_Own)->DenseRange(0, 7)->MS;
BENCHMARK(BM_Functions_Sqlite)->DenseRange(0, 7)->MS;
BENCHMARK(BM_MemoRecordRoad)->MS;
BENCHMARK(BM_MemoRecordRoad_Sqlite)->MS;
BENCHMARK(BM_SqlRoad)->MS;
BENCHMARK(BM_SqlRoad_Sqlite)->MS;

}  // namespace

int main(int argc, char** argv) { return RunOffscreenBenchmarks(argc, argv, FilePath()); }
