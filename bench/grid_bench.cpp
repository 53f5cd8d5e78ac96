// The engine grid over a large and a small engine table: rendering a full
// page offscreen, and paging down then rendering, over 10^6 records and over
// 100. The grid only draws the rows that show, so both sizes should cost
// the same; the summary prints the ratios (large over small).
//
// Rows of the large table: TASKMOOR_BENCH_ROWS (default 1000000).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "engine-controls/ostra_dbgrid.h"
#include "engine/ostra_table.h"
#include "engine/record_store.h"
#include "engine/table_file.h"
#include "platform/core/streams.h"
#include "platform/db/datasource.h"
#include "platform/db/fields.h"
#include "platform/ui/application.h"
#include "platform/ui/bitmaps.h"
#include "platform/ui/forms.h"
#include "platform/ui/testing.h"

namespace {

int LargeRows() {
    const char* env = std::getenv("TASKMOOR_BENCH_ROWS");
    return env ? std::max(1, std::atoi(env)) : 1000000;
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
            field("Status", oftSmallStr, 15)};
}

// A table image of Rows tasks, built straight in a record store.
std::string TaskImage(int Rows) {
    std::mt19937 rng(4242);
    const char* const words[] = {"call", "write", "review", "order", "plan",
                                 "fix",  "buy",   "send",   "check", "meet"};
    const char* const categories[] = {"Home", "Work", "Errands", "Misc"};
    const char* const statuses[] = {"Open", "Done", "Waiting"};
    TOstraCursor store;
    TMemoryStream empty;
    const std::string head = BuildEmptyImage(TaskFields());
    empty.WriteBuffer(head.data(), static_cast<int64_t>(head.size()));
    empty.SetPosition(0);
    std::string error;
    store.LoadFromStream(&empty, error);
    std::vector<uint8_t> data(store.RecordDataSize());
    const std::vector<TOstraField>& f = store.Fields();
    // Room made up front keeps building linear.
    const_cast<std::vector<TOstraRecord*>&>(store.Records()).reserve(static_cast<std::size_t>(Rows));
    for (int i = 1; i <= Rows; ++i) {
        std::string action = words[rng() % 10];
        action += " ";
        action += words[rng() % 10];
        action += " #" + std::to_string(i);
        const std::string category = categories[rng() % 4];
        const std::string priority = std::to_string(rng() % 5);
        const std::string status = statuses[rng() % 3];
        OstPut<int32_t>(data.data() + f[0].Offset, i);
        OstPut<int16_t>(data.data() + f[1].Offset, rng() % 3 == 0 ? -1 : 0);
        OstSetValue(data.data() + f[2].Offset, oftString, action.data(), action.size());
        OstPut<int32_t>(data.data() + f[3].Offset, 738000 + static_cast<int>(rng() % 2000));
        std::memcpy(data.data() + f[4].Offset, category.data(), category.size());
        std::memcpy(data.data() + f[5].Offset, priority.data(), priority.size());
        std::memcpy(data.data() + f[6].Offset, status.data(), status.size());
        store.PostRecord(data.data(), nullptr, error);
        store.ReleaseData(data.data());
        std::memset(data.data(), 0, data.size());
    }
    store.AcceptAll();
    TMemoryStream image;
    store.SaveToStream(&image);
    return std::string(static_cast<const char*>(image.Memory()), static_cast<std::size_t>(image.Size()));
}

// A shown form with a grid over a table of Rows tasks, coloured per row as
// the program colours its task lists.
struct TGridScene {
    TForm* Form = nullptr;
    TOstraTable* Table = nullptr;
    TOstraDBGrid* Grid = nullptr;
    TBitmap Page;

    explicit TGridScene(int Rows) {
        Form = CreateForm<TForm>(Application);
        Form->SetBounds(20, 20, 820, 620);
        Table = new TOstraTable(Form);
        const std::string image = TaskImage(Rows);
        TMemoryStream stream;
        stream.WriteBuffer(image.data(), static_cast<int64_t>(image.size()));
        stream.SetPosition(0);
        Table->SetLoadingStream(&stream);
        Table->SetLoadMode(lmStream);
        Table->Open();
        Table->SetLoadingStream(nullptr);
        auto* source = new TDataSource(Form);
        source->SetDataSet(Table);
        Grid = new TOstraDBGrid(Form);
        Grid->SetParent(Form);
        Grid->SetBounds(0, 0, 800, 600);
        const char* names[] = {"Flag", "Action", "Date", "Category", "Priority", "Status"};
        for (const char* name : names) {
            TOstraColumn* c = Grid->Columns()->Add();
            c->SetFieldName(name);
            c->SetWidth(std::string(name) == "Action" ? 260 : 90);
        }
        Grid->Columns()->GetColumn(0)->SetButtonStyle(cbsCheck);
        Grid->Columns()->GetColumn(0)->SetValueChecked("True");
        Grid->SetOnDrawCellAttr(
            [this](TObject*, TOstraColumn*, TFont* AFont, TColor& AColor, TGridDrawState) {
                if (Table->RecNo() % 2 == 0) AColor = 0xF8FFC6;
                const std::string p = Table->FieldByName("Priority")->AsString();
                if (p == "0")
                    AFont->SetColor(0x0000FF);
                else if (p == "4")
                    AFont->SetColor(0x808080);
            });
        Grid->SetDataSource(source);
        Form->Show();
        ProcessEvents();
        // Somewhere in the middle of the table.
        Table->MoveBy(Table->RecordCount() / 2);
        RenderControl(Grid, &Page);
    }
    ~TGridScene() { delete Form; }
};

// Freed before the application goes.
std::map<int, std::unique_ptr<TGridScene>>& Scenes() {
    static std::map<int, std::unique_ptr<TGridScene>> scenes;
    return scenes;
}

TGridScene& Scene(int Rows) {
    auto& s = Scenes()[Rows];
    if (!s) s = std::make_unique<TGridScene>(Rows);
    return *s;
}

void RenderPage(benchmark::State& state, int Rows) {
    TGridScene& scene = Scene(Rows);
    for (auto _ : state) {
        RenderControl(scene.Grid, &scene.Page);
        benchmark::DoNotOptimize(scene.Page.Width());
    }
    state.counters["rows shown"] = scene.Grid->VisibleDataRows();
}

void PageDownAndRender(benchmark::State& state, int Rows) {
    TGridScene& scene = Scene(Rows);
    int direction = 1;
    for (auto _ : state) {
        if (scene.Table->Eof()) direction = -1;
        if (scene.Table->Bof()) direction = 1;
        scene.Grid->Perform(WM_VSCROLL, MakeWParam(direction > 0 ? SB_PAGEDOWN : SB_PAGEUP, 0), 0);
        RenderControl(scene.Grid, &scene.Page);
    }
}

void BM_RenderPage_Large(benchmark::State& state) { RenderPage(state, LargeRows()); }
void BM_RenderPage_Small(benchmark::State& state) { RenderPage(state, 100); }
void BM_PageDownAndRender_Large(benchmark::State& state) { PageDownAndRender(state, LargeRows()); }
void BM_PageDownAndRender_Small(benchmark::State& state) { PageDownAndRender(state, 100); }

BENCHMARK(BM_RenderPage_Large)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RenderPage_Small)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PageDownAndRender_Large)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PageDownAndRender_Small)->Unit(benchmark::kMicrosecond);

// Keeps each benchmark's time per iteration for the summary.
class TRatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& Reports) override {
        for (const Run& r : Reports)
            if (r.run_type == Run::RT_Iteration) Times[r.benchmark_name()] = r.GetAdjustedRealTime();
        ConsoleReporter::ReportRuns(Reports);
    }
    std::map<std::string, double> Times;
};

}  // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    ChooseOffscreenPlatform();
    InitializeApplication(argc, argv);
    benchmark::Initialize(&argc, argv);
    TRatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    auto ratio = [&](const char* large, const char* small) {
        const auto l = reporter.Times.find(large), s = reporter.Times.find(small);
        if (l == reporter.Times.end() || s == reporter.Times.end() || s->second <= 0) return;
        std::printf("%s / %s: %.2f\n", large, small, l->second / s->second);
    };
    std::printf("\nLarge table: %d records, small table: 100 records\n", LargeRows());
    ratio("BM_RenderPage_Large", "BM_RenderPage_Small");
    ratio("BM_PageDownAndRender_Large", "BM_PageDownAndRender_Small");
    Scenes().clear();
    benchmark::Shutdown();
    FinalizeApplication();
    return 0;
}
