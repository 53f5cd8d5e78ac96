// The table engine against SQLite (in memory) on a task table of a million
// records: saving, loading, and sorting by one text field and by two fields.
// Saving is set against SQLite writing its in-memory database to a file with
// the backup API (synchronous=FULL) and against a plain write of the same
// bytes with fsync; loading against SQLite loading its file into memory and
// against a plain read into an uninitialised buffer. The older lines (bulk
// insert, SELECT *, a zero-filled read) stay for comparison.
//
// Rows: TASKMOOR_BENCH_ROWS (default 1000000).
//
// One load in a fresh process, as a program's start makes it:
//   table_bench --make-load-files DIR      writes DIR/tasks.d and DIR/tasks.db
//   table_bench --load-once KIND FILE [THREADS]
// with KIND cursor, table or sqlite (see LoadOnce), run many times by a
// process-level timer or one after another with pauses.
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "engine/ostra_table.h"
#include "engine/record_sort.h"
#include "engine/record_store.h"
#include "engine/table_file.h"
#include "platform/core/exceptions.h"
#include "platform/core/files.h"
#include "platform/core/memory.h"
#include "platform/core/streams.h"
#include "proc_status.h"
#include "support/environment.h"

namespace {

struct TaskRow {
    int Key;
    bool Flag;
    std::string Action;
    int Date;
    std::string Category;
    std::string Priority;
    std::string Status;
    std::string Notes;
};

int RowCount() {
    const char* env = std::getenv("TASKMOOR_BENCH_ROWS");
    return env ? std::max(1, std::atoi(env)) : 1000000;
}

std::vector<TaskRow> MakeRows(int n) {
    static const char* const words[] = {
        "call",   "write",  "review",  "order",  "plan",   "fix",    "buy",    "send",    "check",  "meet",
        "report", "garden", "invoice", "budget", "letter", "draft",  "Monday", "the",     "a",      "new",
        "client", "team",   "car",     "house",  "tax",    "doctor", "school", "project", "backup", "notes"};
    static const char* const categories[] = {"", "Home", "Work", "Errands", "Health", "Money", "Misc"};
    static const char* const statuses[] = {"Open", "Done", "In progress", "Waiting", "Cancelled"};
    std::mt19937 rng(20240601);
    std::vector<TaskRow> rows(static_cast<std::size_t>(n));
    auto sentence = [&](int wordsWanted) {
        std::string s;
        for (int i = 0; i < wordsWanted; ++i) {
            if (i) s += ' ';
            s += words[rng() % 30];
        }
        if (!s.empty() && rng() % 2) s[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(s[0])));
        return s;
    };
    for (int i = 0; i < n; ++i) {
        TaskRow& r = rows[static_cast<std::size_t>(i)];
        r.Key = i + 1;
        r.Flag = rng() % 5 == 0;
        r.Action = sentence(1 + static_cast<int>(rng() % 12));
        r.Date = 738000 + static_cast<int>(rng() % 3000);
        r.Category = categories[rng() % 7];
        r.Priority = std::to_string(rng() % 5);
        r.Status = statuses[rng() % 5];
        r.Notes = rng() % 3 == 0 ? sentence(static_cast<int>(rng() % 40)) : std::string();
    }
    return rows;
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

void LoadImage(TOstraCursor& cursor, const std::string& image) {
    TMemoryStream s;
    s.WriteBuffer(image.data(), static_cast<int64_t>(image.size()));
    s.SetPosition(0);
    std::string error;
    if (!cursor.LoadFromStream(&s, error)) {
        std::fprintf(stderr, "load failed: %s\n", error.c_str());
        std::exit(1);
    }
}

// The shared data of all benchmarks, made once.
struct Fixture {
    std::vector<TaskRow> Rows;
    std::string FileName;
    int64_t FileSize = 0;
    std::unique_ptr<TOstraCursor> Store;  // loaded from the file

    static Fixture& Get() {
        static Fixture f;
        return f;
    }

private:
    Fixture() {
        Rows = MakeRows(RowCount());
        FileName = TestRunPath("table_bench.d");
        TOstraCursor built;
        LoadImage(built, BuildEmptyImage(TaskFields()));
        std::vector<uint8_t> buffer(built.RecordDataSize());
        for (const TaskRow& r : Rows) {
            Fill(built, buffer.data(), r);
            std::string error;
            built.PostRecord(buffer.data(), nullptr, error);
            built.ReleaseData(buffer.data());
        }
        built.AcceptAll();
        built.SaveToFile(FileName, {}, false, "");
        FileSize = ::FileSize(FileName);
        Store = std::make_unique<TOstraCursor>();
        TMemoryStream file;
        file.LoadFromFile(FileName);
        std::string error;
        Store->LoadFromStream(&file, error);
    }
    ~Fixture() { DeleteFile(FileName); }

    static void Fill(const TOstraCursor& c, uint8_t* data, const TaskRow& r) {
        const std::vector<TOstraField>& f = c.Fields();
        OstPut<int32_t>(data + f[0].Offset, r.Key);
        OstPut<int16_t>(data + f[1].Offset, r.Flag ? -1 : 0);
        OstSetValue(data + f[2].Offset, oftString, r.Action.data(), r.Action.size());
        OstPut<int32_t>(data + f[3].Offset, r.Date);
        std::memcpy(data + f[4].Offset, r.Category.data(), r.Category.size());
        std::memcpy(data + f[5].Offset, r.Priority.data(), r.Priority.size());
        std::memcpy(data + f[6].Offset, r.Status.data(), r.Status.size());
        OstSetValue(data + f[7].Offset, oftMemo, r.Notes.data(), r.Notes.size());
    }
};

void Account(benchmark::State& state) {
    const Fixture& f = Fixture::Get();
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(f.Rows.size()));
    state.SetBytesProcessed(state.iterations() * f.FileSize);
}

// -- Engine ---------------------------------------------------------------------

void BM_Engine_SaveToFile(benchmark::State& state) {
    Fixture& f = Fixture::Get();
    const std::string name = f.FileName + ".save";
    for (auto _ : state) {
        f.Store->SaveToFile(name, {}, false, "");
        state.PauseTiming();  // every save makes a new file, as the backup does
        DeleteFile(name);
        state.ResumeTiming();
    }
    Account(state);
}

void BM_Engine_SaveToMemory(benchmark::State& state) {
    Fixture& f = Fixture::Get();
    for (auto _ : state) {
        TMemoryStream s;
        f.Store->SaveToStream(&s);
        benchmark::DoNotOptimize(s.Memory());
    }
    Account(state);
}

void BM_Engine_LoadFromFile(benchmark::State& state) {
    Fixture& f = Fixture::Get();
    for (auto _ : state) {
        TMemoryStream file;
        file.LoadFromFile(f.FileName);
        TOstraCursor c;
        std::string error;
        if (!c.LoadFromStream(&file, error)) state.SkipWithError(error.c_str());
        benchmark::DoNotOptimize(c.RecordCount());
        state.PauseTiming();  // freeing the table is not loading it
        c.Clear(true);
        state.ResumeTiming();
    }
    Account(state);
}

// The engine's own file path: the file read in chunks, parsed as it comes.
void BM_Engine_LoadFile(benchmark::State& state) {
    Fixture& f = Fixture::Get();
    for (auto _ : state) {
        TOstraCursor c;
        std::string error;
        if (!c.LoadFromFile(f.FileName, error)) state.SkipWithError(error.c_str());
        benchmark::DoNotOptimize(c.RecordCount());
        state.PauseTiming();
        c.Clear(true);
        state.ResumeTiming();
    }
    Account(state);
}

// The same on the loading thread alone (a machine with one core).
void BM_Engine_LoadFileOneThread(benchmark::State& state) {
    const int threads = SetTableLoadThreads(1);
    BM_Engine_LoadFile(state);
    SetTableLoadThreads(threads);
}

// The file's bytes into a buffer that is not zero-filled first.
void BM_PlainReadNoFill(benchmark::State& state) {
    Fixture& f = Fixture::Get();
    for (auto _ : state) {
        std::FILE* in = std::fopen(f.FileName.c_str(), "rb");
        std::unique_ptr<char[]> buffer(new char[static_cast<std::size_t>(f.FileSize)]);
        std::size_t done = 0;
        if (in) {
            std::setvbuf(in, nullptr, _IONBF, 0);
            done = std::fread(buffer.get(), 1, static_cast<std::size_t>(f.FileSize), in);
            std::fclose(in);
        }
        if (done != static_cast<std::size_t>(f.FileSize)) state.SkipWithError("short read");
        benchmark::DoNotOptimize(buffer.get());
    }
    Account(state);
}

// The same bytes the engine saves, written to a new file and flushed: the
// limit for saving.
void BM_PlainWriteSync(benchmark::State& state) {
    Fixture& f = Fixture::Get();
    static const std::string image = [&] {
        TMemoryStream s;
        f.Store->SaveToStream(&s);
        return std::string(static_cast<const char*>(s.Memory()), static_cast<std::size_t>(s.Size()));
    }();
    const std::string name = f.FileName + ".plain";
    for (auto _ : state) {
        std::FILE* out = std::fopen(name.c_str(), "wb");
        std::size_t done = 0;
        if (out) {
            std::setvbuf(out, nullptr, _IONBF, 0);
            done = std::fwrite(image.data(), 1, image.size(), out);
            if (std::fclose(out) != 0) done = 0;
        }
        if (done != image.size() || !FlushFileToDisk(name)) state.SkipWithError("write failed");
        state.PauseTiming();
        DeleteFile(name);
        state.ResumeTiming();
    }
    DeleteFile(name);
    Account(state);
}

void BM_PlainRead(benchmark::State& state) {
    Fixture& f = Fixture::Get();
    for (auto _ : state) {
        TMemoryStream file;
        file.LoadFromFile(f.FileName);
        benchmark::DoNotOptimize(file.Memory());
    }
    Account(state);
}

void EngineSort(benchmark::State& state, const char* names) {
    Fixture& f = Fixture::Get();
    const std::vector<const TOstraField*> fields = f.Store->FindFields(names);
    for (auto _ : state) {
        state.PauseTiming();
        std::vector<TOstraRecord*> records = f.Store->Records();
        state.ResumeTiming();
        OstraSortRecords(records, fields, false, false);
        benchmark::DoNotOptimize(records.data());
    }
    Account(state);
}

void BM_Engine_SortByAction(benchmark::State& state) { EngineSort(state, "Action"); }
void BM_Engine_SortByPriorityDate(benchmark::State& state) { EngineSort(state, "Priority; Date"); }

// -- SQLite (in memory) -----------------------------------------------------------

void Check(int rc, sqlite3* db) {
    if (rc != SQLITE_OK && rc != SQLITE_DONE && rc != SQLITE_ROW) {
        std::fprintf(stderr, "sqlite: %s\n", sqlite3_errmsg(db));
        std::exit(1);
    }
}

sqlite3* OpenFilled(bool fill) {
    sqlite3* db = nullptr;
    Check(sqlite3_open(":memory:", &db), db);
    Check(sqlite3_exec(db,
                       "CREATE TABLE task(Key INTEGER PRIMARY KEY, Flag INTEGER, Action TEXT, "
                       "Date INTEGER, Category TEXT, Priority TEXT, Status TEXT, Notes TEXT)",
                       nullptr, nullptr, nullptr),
          db);
    if (!fill) return db;
    Check(sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr), db);
    sqlite3_stmt* st = nullptr;
    Check(sqlite3_prepare_v2(db, "INSERT INTO task VALUES(?,?,?,?,?,?,?,?)", -1, &st, nullptr), db);
    for (const TaskRow& r : Fixture::Get().Rows) {
        sqlite3_bind_int(st, 1, r.Key);
        sqlite3_bind_int(st, 2, r.Flag);
        sqlite3_bind_text(st, 3, r.Action.data(), static_cast<int>(r.Action.size()), SQLITE_STATIC);
        sqlite3_bind_int(st, 4, r.Date);
        sqlite3_bind_text(st, 5, r.Category.data(), static_cast<int>(r.Category.size()), SQLITE_STATIC);
        sqlite3_bind_text(st, 6, r.Priority.data(), static_cast<int>(r.Priority.size()), SQLITE_STATIC);
        sqlite3_bind_text(st, 7, r.Status.data(), static_cast<int>(r.Status.size()), SQLITE_STATIC);
        sqlite3_bind_text(st, 8, r.Notes.data(), static_cast<int>(r.Notes.size()), SQLITE_STATIC);
        Check(sqlite3_step(st), db);
        sqlite3_reset(st);
    }
    sqlite3_finalize(st);
    Check(sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr), db);
    return db;
}

sqlite3* SharedDb() {
    static sqlite3* db = OpenFilled(true);
    return db;
}

void BM_SQLite_BulkInsert(benchmark::State& state) {
    for (auto _ : state) {
        sqlite3* db = OpenFilled(true);
        state.PauseTiming();
        sqlite3_close(db);
        state.ResumeTiming();
    }
    Account(state);
}

std::string Text(sqlite3_stmt* st, int col) {
    const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(st, col));
    return p ? std::string(p, static_cast<std::size_t>(sqlite3_column_bytes(st, col))) : std::string();
}

void BM_SQLite_SelectAll(benchmark::State& state) {
    sqlite3* db = SharedDb();
    for (auto _ : state) {
        std::vector<TaskRow> rows;
        rows.reserve(Fixture::Get().Rows.size());
        sqlite3_stmt* st = nullptr;
        Check(sqlite3_prepare_v2(db, "SELECT * FROM task", -1, &st, nullptr), db);
        while (sqlite3_step(st) == SQLITE_ROW) {
            rows.push_back({sqlite3_column_int(st, 0), sqlite3_column_int(st, 1) != 0, Text(st, 2),
                            sqlite3_column_int(st, 3), Text(st, 4), Text(st, 5), Text(st, 6), Text(st, 7)});
        }
        sqlite3_finalize(st);
        benchmark::DoNotOptimize(rows.data());
        state.PauseTiming();
        rows = {};
        state.ResumeTiming();
    }
    Account(state);
}

// SQLite's in-memory database written to a file by the backup API, flushed.
void BackupTo(sqlite3* from, const std::string& fileName, bool sync) {
    sqlite3* to = nullptr;
    Check(sqlite3_open(fileName.c_str(), &to), to);
    if (sync) Check(sqlite3_exec(to, "PRAGMA synchronous=FULL", nullptr, nullptr, nullptr), to);
    sqlite3_backup* b = sqlite3_backup_init(to, "main", from, "main");
    if (!b) Check(SQLITE_ERROR, to);
    Check(sqlite3_backup_step(b, -1), to);
    Check(sqlite3_backup_finish(b), to);
    sqlite3_close(to);
}

void BM_SQLite_BackupToFile(benchmark::State& state) {
    sqlite3* db = SharedDb();
    const std::string name = Fixture::Get().FileName + ".sqlite";
    DeleteFile(name);
    for (auto _ : state) {
        BackupTo(db, name, true);
        state.PauseTiming();
        DeleteFile(name);
        state.ResumeTiming();
    }
    Account(state);
}

// SQLite's file (made once from the shared database) loaded into memory.
void BM_SQLite_LoadToMemory(benchmark::State& state) {
    static const std::string name = [] {
        const std::string n = Fixture::Get().FileName + ".db";
        DeleteFile(n);
        BackupTo(SharedDb(), n, false);
        return n;
    }();
    for (auto _ : state) {
        sqlite3* file = nullptr;
        Check(sqlite3_open_v2(name.c_str(), &file, SQLITE_OPEN_READONLY, nullptr), file);
        sqlite3* memory = nullptr;
        Check(sqlite3_open(":memory:", &memory), memory);
        sqlite3_backup* b = sqlite3_backup_init(memory, "main", file, "main");
        Check(sqlite3_backup_step(b, -1), memory);
        Check(sqlite3_backup_finish(b), memory);
        sqlite3_close(file);
        state.PauseTiming();
        sqlite3_close(memory);
        state.ResumeTiming();
    }
    Account(state);
}

void SQLiteOrder(benchmark::State& state, const char* sql) {
    sqlite3* db = SharedDb();
    for (auto _ : state) {
        std::vector<int> keys;
        keys.reserve(Fixture::Get().Rows.size());
        sqlite3_stmt* st = nullptr;
        Check(sqlite3_prepare_v2(db, sql, -1, &st, nullptr), db);
        while (sqlite3_step(st) == SQLITE_ROW) keys.push_back(sqlite3_column_int(st, 0));
        sqlite3_finalize(st);
        benchmark::DoNotOptimize(keys.data());
    }
    Account(state);
}

void BM_SQLite_OrderByAction(benchmark::State& state) {
    SQLiteOrder(state, "SELECT Key FROM task ORDER BY Action");
}
void BM_SQLite_OrderByPriorityDate(benchmark::State& state) {
    SQLiteOrder(state, "SELECT Key FROM task ORDER BY Priority, Date");
}

#define BIG(fn) \
    BENCHMARK(fn)->Unit(benchmark::kMillisecond)->MinTime(2.0)->MeasureProcessCPUTime()->UseRealTime()
BIG(BM_PlainRead);
BIG(BM_PlainReadNoFill);
BIG(BM_Engine_LoadFromFile);
BIG(BM_Engine_LoadFile);
BIG(BM_Engine_LoadFileOneThread);
BIG(BM_SQLite_SelectAll);
BIG(BM_SQLite_LoadToMemory);
BIG(BM_Engine_SaveToFile);
BIG(BM_Engine_SaveToMemory);
BIG(BM_PlainWriteSync);
BIG(BM_SQLite_BackupToFile);
BIG(BM_SQLite_BulkInsert);
BIG(BM_Engine_SortByAction);
BIG(BM_SQLite_OrderByAction);
BIG(BM_Engine_SortByPriorityDate);
BIG(BM_SQLite_OrderByPriorityDate);

// Keeps each benchmark's real time per iteration for the summary.
// With --benchmark_repetitions the median stands for the benchmark.
class TRecordingReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            std::string name = run.run_name.function_name;
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

// Run in a process of its own (the benchmark binary with --memory-probe), so
// that its peak is the loading's and nothing else's.
int MemoryProbe(const char* fileName, bool chunked) {
    const long before = StatusKb("VmRSS:");
    TOstraCursor c;
    std::string error;
    if (chunked) {
        if (!c.LoadFromFile(fileName, error)) return 1;
    } else {
        TMemoryStream file;
        file.LoadFromFile(fileName);
        if (!c.LoadFromStream(&file, error)) return 1;
    }
    const long after = StatusKb("VmRSS:");
    const long peak = StatusKb("VmHWM:");
    std::printf("%ld %ld %zu\n", peak - before, after - before, c.AllocatedBytes());
    return 0;
}

void ReportMemory(bool chunked) {
    const Fixture& f = Fixture::Get();
    const std::string command = "/proc/" + std::to_string(::getpid()) + "/exe " +
                                (chunked ? "--memory-probe-file " : "--memory-probe ") + f.FileName;
    FILE* pipe = ::popen(command.c_str(), "r");
    long peakKb = 0, heldKb = 0;
    unsigned long long allocated = 0;
    const bool ok = pipe && std::fscanf(pipe, "%ld %ld %llu", &peakKb, &heldKb, &allocated) == 3;
    if (pipe) ::pclose(pipe);
    if (!ok) {
        std::printf("\nMemory: the probe failed\n");
        return;
    }
    const double mb = 1024.0 * 1024.0, file = static_cast<double>(f.FileSize);
    std::printf(
        "\nMemory (fresh process, %s): file %.1f MB; loaded table %.1f MB resident (%.2f x file, "
        "%.1f MB allocated); peak while loading %.1f MB (%.2f x file)\n",
        chunked ? "loaded from the file in chunks" : "file image read whole, then loaded", file / mb,
        heldKb / 1024.0, heldKb * 1024.0 / file, allocated / mb, peakKb / 1024.0, peakKb * 1024.0 / file);
}

// The files of the one-load runs: the engine's table (tasks.d) and SQLite's
// database (tasks.db) of the same rows, written into `dir`.
int MakeLoadFiles(const std::string& dir) {
    Fixture& f = Fixture::Get();
    f.Store->SaveToFile(dir + "/tasks.d", {}, false, "");
    const std::string db = dir + "/tasks.db";
    DeleteFile(db);
    BackupTo(SharedDb(), db, false);
    std::printf("%s/tasks.d and %s: %zu records\n", dir.c_str(), db.c_str(), f.Rows.size());
    return 0;
}

double Seconds(clockid_t clock) {
    timespec t{};
    ::clock_gettime(clock, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

// One load in this process, as a program's start makes it: the heap fresh,
// the file in the page cache. `kind` is cursor (TOstraCursor::LoadFromFile),
// table (a TOstraTable opened on the file) or sqlite (the database file
// loaded into :memory: by the backup API); `threads` 0 is every usable
// processor. Prints the load's wall and CPU milliseconds (all threads) and
// the process's peak resident MB; the process ends without freeing the
// table, as the kernel frees it for both.
int LoadOnce(const std::string& kind, const std::string& fileName, int threads) {
    SetTableLoadThreads(threads);
    const double wall = Seconds(CLOCK_MONOTONIC), cpu = Seconds(CLOCK_PROCESS_CPUTIME_ID);
    int64_t records = 0;
    sqlite3* memory = nullptr;
    if (kind == "cursor") {
        auto* c = new TOstraCursor;
        std::string error;
        if (!c->LoadFromFile(fileName, error)) return std::fprintf(stderr, "%s\n", error.c_str()), 1;
        records = c->RecordCount();
    } else if (kind == "table") {
        auto* t = new TOstraTable(nullptr);
        t->SetTableName(fileName);
        try {
            t->Open();
        } catch (const Exception& e) {
            return std::fprintf(stderr, "%s\n", e.Message().c_str()), 1;
        }
        records = t->RecordCount();
    } else if (kind == "sqlite") {
        sqlite3* file = nullptr;
        Check(sqlite3_open_v2(fileName.c_str(), &file, SQLITE_OPEN_READONLY, nullptr), file);
        Check(sqlite3_open(":memory:", &memory), memory);
        sqlite3_backup* b = sqlite3_backup_init(memory, "main", file, "main");
        Check(sqlite3_backup_step(b, -1), memory);
        Check(sqlite3_backup_finish(b), memory);
        sqlite3_close(file);
    } else {
        return std::fprintf(stderr, "unknown kind %s\n", kind.c_str()), 2;
    }
    const double wallMs = (Seconds(CLOCK_MONOTONIC) - wall) * 1e3;
    const double cpuMs = (Seconds(CLOCK_PROCESS_CPUTIME_ID) - cpu) * 1e3;
    const double peakMb = static_cast<double>(StatusKb("VmHWM:")) / 1024.0;
    if (memory) {  // counted after the timing: the load is what is timed
        sqlite3_stmt* st = nullptr;
        Check(sqlite3_prepare_v2(memory, "SELECT count(*) FROM task", -1, &st, nullptr), memory);
        if (sqlite3_step(st) == SQLITE_ROW) records = sqlite3_column_int64(st, 0);
        sqlite3_finalize(st);
    }
    const char* pages = memory ? "" : UsingHugePages() ? ", huge pages" : ", small pages";
    std::printf("%s threads %d: wall %.1f ms cpu %.1f ms peak %.1f MB, %lld records%s\n", kind.c_str(),
                threads, wallMs, cpuMs, peakMb, static_cast<long long>(records), pages);
    std::fflush(stdout);
    std::_Exit(0);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "--memory-probe") == 0) return MemoryProbe(argv[2], false);
    if (argc == 3 && std::strcmp(argv[1], "--memory-probe-file") == 0) return MemoryProbe(argv[2], true);
    if (argc == 3 && std::strcmp(argv[1], "--make-load-files") == 0) return MakeLoadFiles(argv[2]);
    if ((argc == 4 || argc == 5) && std::strcmp(argv[1], "--load-once") == 0)
        return LoadOnce(argv[2], argv[3], argc == 5 ? std::atoi(argv[4]) : 0);
    benchmark::Initialize(&argc, argv);
    const Fixture& f = Fixture::Get();
    std::printf("Task table: %zu records, file %lld bytes\n", f.Rows.size(),
                static_cast<long long>(f.FileSize));
    TRecordingReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    auto time = [&](const char* name) {
        const auto it = reporter.Times.find(name);
        return it == reporter.Times.end() ? 0.0 : it->second;
    };
    auto ratio = [&](const char* label, const char* slow, const char* fast) {
        const double s = time(slow), q = time(fast);
        if (s > 0 && q > 0) std::printf("  %-44s %6.2f x\n", label, s / q);
    };
    std::printf("\nRatios (time of the first over the second):\n");
    ratio("SQLite bulk insert / engine save to file", "BM_SQLite_BulkInsert", "BM_Engine_SaveToFile");
    ratio("SQLite bulk insert / engine save to memory", "BM_SQLite_BulkInsert", "BM_Engine_SaveToMemory");
    ratio("SQLite select all / engine load from file", "BM_SQLite_SelectAll", "BM_Engine_LoadFromFile");
    ratio("SQLite ORDER BY Action / engine sort", "BM_SQLite_OrderByAction", "BM_Engine_SortByAction");
    ratio("SQLite ORDER BY Priority, Date / engine sort", "BM_SQLite_OrderByPriorityDate",
          "BM_Engine_SortByPriorityDate");
    ratio("engine load from file / plain read of the file", "BM_Engine_LoadFromFile", "BM_PlainRead");
    std::printf("Fair comparisons:\n");
    ratio("SQLite backup to file / engine save to file", "BM_SQLite_BackupToFile", "BM_Engine_SaveToFile");
    ratio("engine save to file / plain write with fsync", "BM_Engine_SaveToFile", "BM_PlainWriteSync");
    ratio("SQLite load into memory / engine load (chunked)", "BM_SQLite_LoadToMemory", "BM_Engine_LoadFile");
    ratio("engine load (chunked) / plain read, no fill", "BM_Engine_LoadFile", "BM_PlainReadNoFill");
    ratio("SQLite load into memory / engine load, one thread", "BM_SQLite_LoadToMemory",
          "BM_Engine_LoadFileOneThread");
    ratio("SQLite load into memory / engine load (image)", "BM_SQLite_LoadToMemory",
          "BM_Engine_LoadFromFile");
    ratio("engine load (image) / plain read, no fill", "BM_Engine_LoadFromFile", "BM_PlainReadNoFill");
    ReportMemory(false);
    ReportMemory(true);
    benchmark::Shutdown();
    return 0;
}
