// Saves of one table, or of one settings file, made by several processes at
// once: each save lands whole or reports its own error, and no process's
// clean-up takes away the temporary file of a save still running.
#include <functional>

#include "support/core/child_process.h"
#include "support/engine/table_test_fixture.h"

namespace {

class TableProcesses : public TableTest {
protected:
    static int Spawn(const std::function<int()>& Body) { return SpawnChild(Body); }
    static int ExitCode(int Pid) { return ChildExitCode(Pid); }

    // A table of Rows records whose last action is the number of records,
    // with notes enough to make each save take a while.
    void WriteNumberedTable(int Rows) {
        TOstraTable t(nullptr);
        AddTaskDefs(t);
        t.Open();
        for (int i = 1; i <= Rows; ++i) AddTask(t, std::to_string(i), "c", std::string(400, 'n'));
        t.SaveToFile(Table());
    }
    std::string Table() const { return Dir + "T.d"; }
    std::string Stop() const { return Dir + "stop"; }

    // Opens the table until the stop file appears; answers the number of
    // opens that failed or found a table not whole (its last action is not
    // its record count), capped at 100.
    int OpenUntilStopped() const {
        int bad = 0, opens = 0;
        while (!FileExists(Stop()) || opens == 0) {
            ++opens;
            try {
                TOstraTable t(nullptr);
                t.SetTableName(Table());
                t.Open();
                t.Last();
                if (t.FieldByName("Action")->AsString() != std::to_string(t.RecordCount())) ++bad;
            } catch (const Exception&) {
                ++bad;
            }
        }
        return std::min(bad, 100);
    }

    // Appends the next numbered record and saves, Saves times; answers the
    // number of saves that failed.
    int AppendAndSave(int Saves) const {
        TOstraTable t(nullptr);
        t.SetTableName(Table());
        t.Open();
        int failed = 0;
        for (int i = 0; i < Saves; ++i) {
            AddTask(t, std::to_string(t.RecordCount() + 1), "c", std::string(400, 'n'));
            try {
                t.Save();
            } catch (const Exception&) {
                ++failed;
            }
        }
        return failed;
    }

    int TemporaryFiles() const {
        int n = 0;
        for (const auto& entry : std::filesystem::directory_iterator(Dir))
            if (entry.path().filename().string().find(".~tmp") != std::string::npos) ++n;
        return n;
    }
};

}  // namespace

TEST_F(TableProcesses, SavesLandWhileOtherProcessesOpenTheTable) {
    constexpr int Rows = 3000, Saves = 12;
    WriteNumberedTable(Rows);
    const int readers[] = {Spawn([&] { return OpenUntilStopped(); }),
                           Spawn([&] { return OpenUntilStopped(); })};
    const int writer = Spawn([&] { return AppendAndSave(Saves); });
    ASSERT_GT(writer, 0);
    EXPECT_EQ(0, ExitCode(writer)) << "saves that failed";
    std::ofstream(Stop()).put('x');
    for (int reader : readers) EXPECT_EQ(0, ExitCode(reader)) << "opens that failed or were not whole";
    const std::vector<std::string> actions = ActionsIn(Table());
    ASSERT_EQ(static_cast<std::size_t>(Rows + Saves), actions.size());
    EXPECT_EQ(std::to_string(Rows + Saves), actions.back());
    EXPECT_EQ(0, TemporaryFiles());
}

TEST_F(TableProcesses, TwoProcessesSavingOneTableAndOneFileEachLandWhole) {
    constexpr int Rows = 3000, Saves = 10;
    WriteNumberedTable(Rows);
    const std::string settings = Dir + "settings.ini";
    // Each writer saves its own copy of the table and its own settings text,
    // one after the other; the last save of either is what stays.
    auto writer = [&](char Mark) {
        return Spawn([&, Mark] {
            int failed = AppendAndSave(Saves);
            const std::string text(1 << 20, Mark);
            for (int i = 0; i < Saves; ++i) {
                try {
                    WriteFileAtomically(settings, text.data(), text.size());
                } catch (const Exception&) {
                    ++failed;
                }
            }
            return failed;
        });
    };
    const int reader = Spawn([&] { return OpenUntilStopped(); });
    const int first = writer('a'), second = writer('b');
    EXPECT_EQ(0, ExitCode(first)) << "saves that failed";
    EXPECT_EQ(0, ExitCode(second)) << "saves that failed";
    std::ofstream(Stop()).put('x');
    EXPECT_EQ(0, ExitCode(reader)) << "opens that failed or were not whole";
    // Either writer's last save, whole.
    const std::vector<std::string> actions = ActionsIn(Table());
    EXPECT_GE(actions.size(), static_cast<std::size_t>(Rows + Saves));
    EXPECT_LE(actions.size(), static_cast<std::size_t>(Rows + 2 * Saves));
    ASSERT_FALSE(actions.empty());
    EXPECT_EQ(std::to_string(actions.size()), actions.back());
    const std::string text = ReadFile(settings);
    ASSERT_EQ(std::size_t{1} << 20, text.size());
    EXPECT_TRUE(text == std::string(text.size(), 'a') || text == std::string(text.size(), 'b'));
    EXPECT_EQ(0, TemporaryFiles());
}
