// The program's own start and close over a data folder whose task list holds
// 10^5 and 10^6 tasks. Start: the main window made, shown and painted. Close:
// one task changed, then the window closed with "Yes" to saving. Beside them,
// the engine's save of the same task file, the bound for the close.
//
// The start is also timed the fair way: a fresh process (this binary run
// with --start-probe) from its launch to its painted window.
//
// The probe reports what the program holds once its window is painted: the
// resident memory, as a share of the task file too, split into anonymous
// memory (the heap and the program's blocks), file-backed pages (the code of
// the program and its libraries, fonts) and shared memory. With
// TASKMOOR_PROBE_SMAPS naming a file, the probe also copies its
// /proc/self/smaps there (the resident memory of each mapping).
//
// The close is also timed with the change made as the user makes it, on the
// Today tab and on the Actions Group 1 and 2 tabs (BM_Program_CloseOneChangeOnTab).
//
// And to the process's end (BM_Program_CloseToProcessEnd): a fresh process
// (this binary run with --close-probe) starts the program as main does, shows
// the tab with a click, ticks or clears the first task's flag with a click on
// its cell, and clicks Exit with "Yes" to saving; the time runs from that
// click to the process's exit, as its parent sees it.
//
// Rows: the sizes run are 10^5 and 10^6 (TASKMOOR_BENCH_ROWS caps them).
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <sstream>
#include <string>

#include "app/main_form.h"
#include "app/main_form_tables.h"
#include "app/startup.h"
#include "engine-controls/ostra_dbgrid.h"
#include "engine/ostra_table.h"
#include "engine/record_store.h"
#include "platform/core/datetime.h"
#include "platform/core/files.h"
#include "platform/core/guid.h"
#include "platform/core/memory.h"
#include "platform/db/datasource.h"
#include "platform/db/fields.h"
#include "platform/ui/application.h"
#include "platform/ui/bitmaps.h"
#include "platform/ui/comctrls.h"
#include "platform/ui/forms.h"
#include "platform/ui/testing.h"
#include "proc_status.h"
#include "support/environment.h"

namespace {

int Cap() {
    const char* env = std::getenv("TASKMOOR_BENCH_ROWS");
    return env ? std::max(1, std::atoi(env)) : 1000000;
}

// A new data folder of the program under the test run's folder, made once per
// name; Fill puts the tasks in.
template <class F>
const std::string& MadeFolder(const std::string& Name, F Fill) {
    static std::map<std::string, std::string> folders;
    auto it = folders.find(Name);
    if (it != folders.end()) return it->second;
    const std::string dir = TestRunPath(Name + "/");
    std::filesystem::create_directories(dir);
    CreateToDoDataFolder(dir);
    Fill(dir);
    return folders[Name] = dir;
}

// n tasks of random words, flags, statuses, categories and dates.
void FillTasks(const std::string& dir, int n) {
    static const char* const words[] = {"call",    "write",  "review", "order", "plan",   "fix",
                                        "buy",     "send",   "check",  "meet",  "report", "garden",
                                        "invoice", "budget", "letter", "draft"};
    static const char* const statuses[] = {"Open", "Done", "In progress", "Waiting"};
    static const char* const categories[] = {"Home", "Work", "Errands", "Health"};
    std::mt19937 rng(4242);
    TOstraTable t(nullptr);
    t.SetTableName(dir + "Ttask.d");
    t.Open();
    TField* action = t.FieldByName("Action");
    TField* priority = t.FieldByName("Priority");
    TField* flag = t.FieldByName("Flag");
    TField* status = t.FieldByName("Status");
    TField* category = t.FieldByName("Category");
    TField* date = t.FieldByName("Date");
    const TDateTime first = EncodeDate(2024, 1, 1);
    for (int i = 0; i < n; ++i) {
        std::string text;
        for (int w = 1 + static_cast<int>(rng() % 8); w > 0; --w)
            text += std::string(words[rng() % 16]) + " ";
        t.Append();
        action->SetAsString(text);
        priority->SetAsString(std::to_string(rng() % 5));
        flag->SetAsBoolean(rng() % 5 == 0);
        status->SetAsString(statuses[rng() % 4]);
        category->SetAsString(categories[rng() % 4]);
        date->SetAsDateTime(first + static_cast<double>(rng() % 900));
        t.Post();
    }
    t.Save();
    t.Close();
}

// A data folder with n tasks, made once per size.
const std::string& DataFolder(int n) {
    return MadeFolder("app_bench_" + std::to_string(n), [n](const std::string& dir) { FillTasks(dir, n); });
}

// Runs with the data folder as the current folder and the settings file in it.
class TProgramFolder {
public:
    explicit TProgramFolder(const std::string& dir)
        : FOldDir(GetCurrentDir()), FOldExe(ApplicationExeName()) {
        SetApplicationExeName(dir + "taskmoor");
        SetCurrentDir(dir);
    }
    ~TProgramFolder() {
        SetCurrentDir(FOldDir);
        SetApplicationExeName(FOldExe);
    }

private:
    std::string FOldDir, FOldExe;
};

TfrmToDo* StartProgram() {
    auto* form = CreateForm<TfrmToDo>(nullptr);
    form->Show();
    TBitmap painted;
    RenderControl(form, &painted);
    return form;
}

void CloseWithOneChange(TfrmToDo* form, TTestDialogs& dialogs) {
    TOstraTable* tasks = form->dTask_();
    tasks->First();
    tasks->Edit();
    TField* flag = tasks->FieldByName("Flag");
    flag->SetAsBoolean(!flag->AsBoolean());
    tasks->Post();
    dialogs.Answer(mrYes);
    TCloseAction action = caHide;
    form->FormClose(form, action);
    delete form;
}

// The tab shown as the user shows it: a click on it.
void ShowTab(TfrmToDo* form, TTabSheet* sheet) {
    TPageControl* pages = form->PageControl1();
    const TRect r = pages->TabRect(sheet->PageIndex());
    SendClick(pages, (r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2);
}

// The change as a tab's grid makes it, through the grid's data source (Edit,
// Flag set, Post), then the close with "Yes" to saving.
void CloseWithOneChangeThrough(TfrmToDo* form, TTestDialogs& dialogs, TDataSource* source) {
    TDataSet* data = source->DataSet();
    data->Edit();
    TField* flag = data->FieldByName("Flag");
    flag->SetAsBoolean(!flag->AsBoolean());
    data->Post();
    dialogs.Answer(mrYes);
    TCloseAction action = caHide;
    form->FormClose(form, action);
    delete form;
}

// The same tasks in the second task file, the first one empty: the folder of
// the Actions Group 2 tab's close.
const std::string& SecondFileFolder(int n) {
    return MadeFolder("app_bench_second_" + std::to_string(n), [n](const std::string& dir) {
        std::filesystem::copy_file(DataFolder(n) + "Ttask.d", dir + "Ttask2.d",
                                   std::filesystem::copy_options::overwrite_existing);
    });
}

// Range 1: the tab, 0 Today (its first flagged task cleared), 1 Actions
// Group 1 and 2 Actions Group 2 (the first task's flag flipped; the tasks in
// the second task file). The start and the tab are not timed.
void BM_Program_CloseOneChangeOnTab(benchmark::State& state) {
    const int n = std::min(static_cast<int>(state.range(0)), Cap());
    const int tab = static_cast<int>(state.range(1));
    TProgramFolder folder(tab == 2 ? SecondFileFolder(n) : DataFolder(n));
    TTestDialogs dialogs;
    for (auto _ : state) {
        state.PauseTiming();
        TfrmToDo* form = StartProgram();
        TTabSheet* sheet = tab == 0 ? form->TabSheet7() : tab == 1 ? form->TabSheet1() : form->TabSheet2();
        ShowTab(form, sheet);
        TDataSource* source = tab == 0 ? form->dstday() : tab == 1 ? form->DataTask() : form->dsTask2();
        source->DataSet()->First();
        if (form->PageControl1()->ActivePage() != sheet || source->DataSet()->IsEmpty()) {
            state.SkipWithError("the tab did not show its tasks");
            dialogs.Answer(mrNo);
            delete form;
            break;
        }
        state.ResumeTiming();
        CloseWithOneChangeThrough(form, dialogs, source);
    }
}

void BM_Program_Start(benchmark::State& state) {
    const int n = std::min(static_cast<int>(state.range(0)), Cap());
    TProgramFolder folder(DataFolder(n));
    TTestDialogs dialogs;
    for (auto _ : state) {
        TfrmToDo* form = StartProgram();
        state.PauseTiming();
        dialogs.Answer(mrNo);
        delete form;
        state.ResumeTiming();
    }
}

void BM_Program_CloseOneChange(benchmark::State& state) {
    const int n = std::min(static_cast<int>(state.range(0)), Cap());
    TProgramFolder folder(DataFolder(n));
    TTestDialogs dialogs;
    for (auto _ : state) {
        state.PauseTiming();
        TfrmToDo* form = StartProgram();
        state.ResumeTiming();
        CloseWithOneChange(form, dialogs);
    }
}

// A fresh process, Qt not yet running, from its launch to its painted window
// and back (the probe exits at once, without freeing its tables). Counters:
// the probe's resident memory after the paint (the most of the runs), its
// anonymous, file-backed and shared parts, of it the freed blocks kept for
// reuse, and the resident memory over the task file.
void BM_Program_StartFreshProcess(benchmark::State& state) {
    const int n = std::min(static_cast<int>(state.range(0)), Cap());
    const std::string dir = DataFolder(n);
    const std::string exe = std::filesystem::read_symlink("/proc/self/exe").string();
    // Through the shell: a millisecond or two of its own start is in the time.
    const std::string command = "'" + exe + "' --start-probe '" + dir + "'";
    long rss = 0, kept = 0, anon = 0, mapped = 0, shmem = 0;
    for (auto _ : state) {
        FILE* out = popen(command.c_str(), "r");
        long kb = -1, keptKb = -1, anonKb = -1, fileKb = -1, shmemKb = -1;
        if (!out || std::fscanf(out, "%ld %ld %ld %ld %ld", &kb, &keptKb, &anonKb, &fileKb, &shmemKb) != 5)
            kb = -1;
        if ((out ? pclose(out) : -1) != 0 || kb < 0) {
            state.SkipWithError("the start probe failed");
            break;
        }
        if (kb > rss) {
            rss = kb;
            anon = anonKb;
            mapped = fileKb;
            shmem = shmemKb;
        }
        kept = std::max(kept, keptKb);
    }
    const double file = static_cast<double>(std::filesystem::file_size(dir + "Ttask.d"));
    state.counters["rss_MB"] = static_cast<double>(rss) / 1024.0;
    state.counters["anon_MB"] = static_cast<double>(anon) / 1024.0;
    state.counters["filemap_MB"] = static_cast<double>(mapped) / 1024.0;
    state.counters["shmem_MB"] = static_cast<double>(shmem) / 1024.0;
    state.counters["kept_MB"] = static_cast<double>(kept) / 1024.0;
    state.counters["file_MB"] = file / (1024.0 * 1024.0);
    state.counters["rss_x_file"] = static_cast<double>(rss) * 1024.0 / file;
}

// The tab of range 1 (0 Today, 1 Actions Group 1, 2 Actions Group 2) and
// its grid.
TTabSheet* TabOf(TfrmToDo* form, int tab) {
    return tab == 0 ? form->TabSheet7() : tab == 1 ? form->TabSheet1() : form->TabSheet2();
}
TOstraDBGrid* GridOf(TfrmToDo* form, int tab) {
    return tab == 0 ? form->OstraDBGrid7() : tab == 1 ? form->OstraDBGrid1() : form->OstraDBGrid2();
}

// Clock ticks (1/100 s) of CPU from /proc/self/stat: this process's own
// (user and system) and its waited-for children's.
struct TTicks {
    long Self = 0, Children = 0;
};
TTicks CpuTicks() {
    std::ifstream in("/proc/self/stat");
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::istringstream fields(text.substr(text.rfind(')') + 2));
    std::string skip;
    for (int i = 3; i < 14; ++i) fields >> skip;  // state .. cmajflt
    long utime = 0, stime = 0, cutime = 0, cstime = 0;
    fields >> utime >> stime >> cutime >> cstime;
    return {utime + stime, cutime + cstime};
}

long long SteadyNs() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// The flagged tasks of the folder's task file for the tab, read back with a
// fresh table; -1 when the file does not hold n tasks.
int FlaggedTasks(const std::string& dir, int tab, int n) {
    TOstraTable t(nullptr);
    t.SetTableName(dir + (tab == 2 ? "Ttask2.d" : "Ttask.d"));
    t.Open();
    if (t.RecordCount() != n) return -1;
    int flagged = 0;
    TField* flag = t.FieldByName("Flag");
    for (t.First(); !t.Eof(); t.Next()) flagged += flag->AsBoolean() ? 1 : 0;
    return flagged;
}

// Range 1 as in BM_Program_CloseOneChangeOnTab. Manual time: from the Exit
// click to the end of the process. Counter close_cpu_ms: the CPU from the
// click to the end (in clock ticks of 10 ms, so coarse alone).
void BM_Program_CloseToProcessEnd(benchmark::State& state) {
    const int n = std::min(static_cast<int>(state.range(0)), Cap());
    const int tab = static_cast<int>(state.range(1));
    const std::string dir = tab == 2 ? SecondFileFolder(n) : DataFolder(n);
    const std::string exe = std::filesystem::read_symlink("/proc/self/exe").string();
    const std::string command = "exec '" + exe + "' --close-probe '" + dir + "' " + std::to_string(tab);
    double cpu = 0;
    int flagged = FlaggedTasks(dir, tab, n);
    for (auto _ : state) {
        const TTicks before = CpuTicks();
        FILE* out = popen(command.c_str(), "r");
        long long start = -1;
        long startTicks = 0;
        if (!out || std::fscanf(out, "%lld %ld", &start, &startTicks) != 2) start = -1;
        const int status = out ? pclose(out) : -1;
        const long long end = SteadyNs();
        if (status != 0 || start < 0) {
            state.SkipWithError("the close probe failed");
            break;
        }
        state.SetIterationTime(static_cast<double>(end - start) / 1e9);
        cpu += static_cast<double>(CpuTicks().Children - before.Children - startTicks) * 10.0;
        // The file the ended process wrote is whole and holds the change.
        const int now = FlaggedTasks(dir, tab, n);
        if (now < 0 || std::abs(now - flagged) != 1) {
            state.SkipWithError("the task file read back does not hold the change");
            break;
        }
        flagged = now;
    }
    state.counters["close_cpu_ms"] = cpu / static_cast<double>(std::max<int64_t>(1, state.iterations()));
}

// The engine saving the same task file: what the close cannot beat.
void BM_Engine_SaveTaskFile(benchmark::State& state) {
    const int n = std::min(static_cast<int>(state.range(0)), Cap());
    const std::string dir = DataFolder(n);
    TOstraCursor store;
    std::string error;
    if (!store.LoadFromFile(dir + "Ttask.d", error)) state.SkipWithError(error.c_str());
    for (auto _ : state) store.SaveToFile(dir + "Ttask.d", {}, false, "");
}

#define PROGRAM(fn) \
    BENCHMARK(fn)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime()
PROGRAM(BM_Program_Start);
PROGRAM(BM_Program_StartFreshProcess);
PROGRAM(BM_Program_CloseOneChange);
PROGRAM(BM_Engine_SaveTaskFile);
BENCHMARK(BM_Program_CloseToProcessEnd)
    ->ArgsProduct({{100000, 1000000}, {0, 1, 2}})
    ->ArgNames({"n", "tab"})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3)
    ->UseManualTime();
BENCHMARK(BM_Program_CloseOneChangeOnTab)
    ->ArgsProduct({{100000, 1000000}, {0, 1, 2}})
    ->ArgNames({"n", "tab"})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3)
    ->UseRealTime();

}  // namespace

// The child of BM_Program_StartFreshProcess: starts the program over the
// folder, paints its window and exits.
int StartProbe(int argc, char** argv) {
    const std::string dir = argv[2];
    ChooseOffscreenPlatform();
    InitializeApplication(argc, argv);
    Application->Initialize();
    TProgramFolder folder(dir);
    TTestDialogs dialogs;
    StartProgram();
    std::printf("%ld %zu %ld %ld %ld\n", StatusKb("VmRSS:"), KeptMemoryBytes() / 1024, StatusKb("RssAnon:"),
                StatusKb("RssFile:"), StatusKb("RssShmem:"));
    if (const char* smaps = std::getenv("TASKMOOR_PROBE_SMAPS")) CopySmaps(smaps);
    std::fflush(nullptr);
    std::_Exit(0);
}

// The child of BM_Program_CloseToProcessEnd: the program started as main
// starts it, over the folder; the first task's flag clicked on the tab; at
// the Exit click it prints the steady clock (ns) and its CPU ticks, then the
// close and the program's end run as in main.
int CloseProbe(int argc, char** argv) {
    const std::string dir = argv[2];
    const int tab = std::atoi(argv[3]);
    ChooseOffscreenPlatform();
    StartProgramUnits();
    InitializeApplication(argc, argv);
    Application->Initialize();
    TProgramFolder folder(dir);
    TTestDialogs dialogs;
    if (!StartTaskmoor(std::string(TaskmoorTitle) + " close probe")) return EndTaskmoorRun(false) + 2;
    TfrmToDo* form = frmToDo;
    form->Show();
    ProcessEvents();
    ShowTab(form, TabOf(form, tab));
    TOstraDBGrid* grid = GridOf(form, tab);
    const TRect flag = grid->CellRect(1, 1);
    SendClick(grid, (flag.Left + flag.Right) / 2, (flag.Top + flag.Bottom) / 2);
    if (grid->DataSource()->DataSet()->State() != dsEdit) {
        dialogs.Answer(mrNo);
        SendClick(form->SpeedButton2(), 5, 5);
        return EndTaskmoorRun(true) + 3;
    }
    dialogs.Answer(mrYes);
    std::printf("%lld %ld\n", SteadyNs(), CpuTicks().Self);
    std::fflush(stdout);
    TControl* exit = form->SpeedButton2();
    SendClick(exit, exit->Width() / 2, exit->Height() / 2);
    Application->Run();
    return EndTaskmoorRun(true);
}

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "--start-probe") == 0) return StartProbe(argc, argv);
    if (argc == 4 && std::strcmp(argv[1], "--close-probe") == 0) return CloseProbe(argc, argv);
    benchmark::Initialize(&argc, argv);
    ChooseOffscreenPlatform();
    InitializeApplication(argc, argv);
    Application->Initialize();
    benchmark::RunSpecifiedBenchmarks();
    FinalizeApplication();
    benchmark::Shutdown();
    return 0;
}
