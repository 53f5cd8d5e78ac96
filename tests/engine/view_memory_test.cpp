// A dataset that runs short of memory while it builds its view from a store
// that loaded: the platform's out-of-memory error, never a bare
// std::bad_alloc, and nothing of the table is lost.
#include <new>

#include "platform/core/memory.h"
#include "support/engine/table_test_fixture.h"

namespace {

// Makes every view build run short of memory while it lives.
class ScopedShortViewMemory {
public:
    ScopedShortViewMemory() {
        SetViewBuildMemoryHook([this] {
            ++Builds;
            throw std::bad_alloc();
        });
    }
    ~ScopedShortViewMemory() { SetViewBuildMemoryHook(nullptr); }
    int Builds = 0;
};

class ViewMemory : public TableTest {
protected:
    void SetUp() override {
        TableTest::SetUp();
        WriteTaskFile(File, {{"Call", "Home"}, {"Write", "Work"}, {"Read", "Home"}, {"Buy", "Shop"}});
        Image = ReadFile(File);
        Table.SetTableName(File);
    }
    // Runs Step with the view short of memory; it must raise EOutOfMemory
    // having tried a build.
    void ExpectOutOfMemory(const std::string& What, const std::function<void()>& Step) {
        ScopedShortViewMemory shortOfMemory;
        try {
            Step();
            ADD_FAILURE() << What << ": no error";
        } catch (const EOutOfMemory& e) {
            EXPECT_EQ("Out of memory", e.Message()) << What;
        } catch (const std::exception& e) {
            ADD_FAILURE() << What << ": " << e.what();
        }
        EXPECT_GT(shortOfMemory.Builds, 0) << What;
    }

    std::string File = Dir + "Tview.d";
    std::string Image;
    TOstraTable Table{nullptr};
};

}  // namespace

TEST_F(ViewMemory, AnOpenShortOfMemoryForItsViewRaisesOutOfMemoryAndOpensLater) {
    ExpectOutOfMemory("open", [this] { Table.Open(); });
    EXPECT_FALSE(Table.Active());
    Table.Open();
    EXPECT_EQ((std::vector<std::string>{"Call", "Write", "Read", "Buy"}), Column(Table, "Action"));
    EXPECT_EQ(Image, ReadFile(File));
}

// A new sort or filter keeps the view it had; the next change builds.
TEST_F(ViewMemory, ASortOrFilterShortOfMemoryKeepsTheViewItHad) {
    Table.Open();
    Table.SetRecNo(2);
    ExpectOutOfMemory("sort", [this] { Table.SetIndexFieldNames("Action"); });
    EXPECT_EQ(4, Table.RecordCount());
    EXPECT_EQ("Write", Table.FieldByName("Action")->AsString());
    Table.SetFilter("Category = 'Home'");
    ExpectOutOfMemory("filter", [this] { Table.SetFiltered(true); });
    EXPECT_EQ(4, Table.RecordCount());
    Table.SetIndexFieldNames("");
    Table.SetIndexFieldNames("Action");
    EXPECT_EQ((std::vector<std::string>{"Buy", "Call", "Read", "Write"}), Column(Table, "Action"));
}

// A reload that cannot build its view closes the table; the file, written
// by the Refresh's save first, keeps every change.
TEST_F(ViewMemory, ARefreshShortOfMemoryForItsViewClosesAndKeepsTheFile) {
    Table.Open();
    AddTask(Table, "Added", "Work");
    ExpectOutOfMemory("refresh", [this] { Table.Refresh(); });
    EXPECT_FALSE(Table.Active());
    Table.Open();
    EXPECT_EQ((std::vector<std::string>{"Call", "Write", "Read", "Buy", "Added"}), Column(Table, "Action"));
}
