// Bookmarks kept across a reload of the table: the new store's records may
// take the memory of the old ones, yet no old bookmark is valid, none leads
// anywhere, and none equals a bookmark of the new store.
#include <algorithm>
#include <functional>

#include "support/engine/table_test_fixture.h"

namespace {

class BookmarkReload : public TableTest {
protected:
    // Enough records for the store's record memory to come from large
    // blocks, which a reload is handed back.
    static constexpr int Rows = 60000;

    void SetUp() override {
        TableTest::SetUp();
        std::vector<std::pair<std::string, std::string>> rows;
        for (int i = 0; i < Rows; ++i)
            rows.emplace_back("Task " + std::to_string(i), i % 3 ? "Home" : "Work");
        WriteTaskFile(Dir + "Treload.d", rows);
        Table.SetTableName(Dir + "Treload.d");
        Table.Open();
    }

    std::vector<TBookmark> AllBookmarks() {
        std::vector<TBookmark> marks;
        for (Table.First(); !Table.Eof(); Table.Next()) marks.push_back(Table.Bookmark());
        return marks;
    }

    // Takes every bookmark, reloads, and checks that none of them is
    // taken for a record of the new store.
    void CheckReload(const std::string& Way, const std::function<void()>& Reload) {
        const std::vector<TBookmark> old = AllBookmarks();
        Reload();
        ASSERT_TRUE(Table.Active()) << Way;
        ASSERT_GT(Table.RecordCount(), 2) << Way;
        std::vector<TBookmark> now = AllBookmarks();
        std::sort(now.begin(), now.end());
        Table.SetRecNo(2);
        const std::string second = Table.FieldByName("Action")->AsString();
        int stale = 0, same = 0;
        for (std::size_t i = 0; i < old.size(); ++i) {
            const TBookmark& mark = old[i];
            if (Table.BookmarkValid(mark) || Table.BookmarkOfStore(mark)) ++stale;
            if (std::binary_search(now.begin(), now.end(), mark)) ++same;
            if (i % 97 != 0 && i + 1 != old.size()) continue;
            Table.GotoBookmark(mark);
            ASSERT_EQ(2, Table.RecNo()) << Way;
            ASSERT_NE(0, Table.CompareBookmarks(mark, Table.Bookmark())) << Way;
        }
        EXPECT_EQ(0, stale) << Way << ": old bookmarks taken for new records";
        EXPECT_EQ(0, same) << Way << ": old bookmarks equal to new ones";
        EXPECT_EQ(second, Table.FieldByName("Action")->AsString()) << Way;
        // The new store's own bookmarks lead to their records.
        for (int n : {1, Table.RecordCount() / 2, Table.RecordCount()}) {
            Table.SetRecNo(n);
            const TBookmark mark = Table.Bookmark();
            Table.First();
            ASSERT_TRUE(Table.BookmarkValid(mark)) << Way;
            ASSERT_TRUE(Table.BookmarkOfStore(mark)) << Way;
            Table.GotoBookmark(mark);
            EXPECT_EQ(n, Table.RecNo()) << Way;
        }
    }

    TOstraTable Table{nullptr};
};

}  // namespace

// A reload by Refresh, by Close and Open, after a delete and a save (where a
// record's memory comes back to the next record), and in a sorted view.
TEST_F(BookmarkReload, NoOldBookmarkIsValidAfterAReload) {
    for (int round = 0; round < 3; ++round) {
        CheckReload("refresh", [this] { Table.Refresh(); });
        CheckReload("close and open", [this] {
            Table.Close();
            Table.Open();
        });
        CheckReload("delete, save and refresh", [this] {
            Table.First();
            Table.Delete();
            Table.Save();
            Table.Refresh();
        });
        if (HasFatalFailure()) return;
    }
    Table.SetIndexFieldNames("Category;Action");
    CheckReload("sorted refresh", [this] { Table.Refresh(); });
}

// A table read from a stream reloads from it on Refresh.
// A deleted or filtered-out record's bookmark is of the store still, though
// not valid; another table's is not.
TEST_F(BookmarkReload, ABookmarkIsOfTheStoreUntilItIsReloaded) {
    Table.SetRecNo(3);
    const TBookmark third = Table.Bookmark();
    Table.Delete();
    EXPECT_FALSE(Table.BookmarkValid(third));
    EXPECT_TRUE(Table.BookmarkOfStore(third));
    Table.SetFilter("Category = 'Work'");
    Table.SetFiltered(true);
    Table.First();
    const TBookmark work = Table.Bookmark();
    Table.SetFilter("Category = 'Home'");
    EXPECT_FALSE(Table.BookmarkValid(work));
    EXPECT_TRUE(Table.BookmarkOfStore(work));
    TOstraTable other(nullptr);
    other.SetTableName(Dir + "Treload.d");
    other.Open();
    EXPECT_FALSE(other.BookmarkOfStore(work));
    EXPECT_FALSE(other.BookmarkOfStore(TBookmark()));
    Table.CancelChanges();
    EXPECT_TRUE(Table.BookmarkOfStore(third));
    Table.Close();
    Table.Open();
    EXPECT_FALSE(Table.BookmarkOfStore(third));
    EXPECT_FALSE(Table.BookmarkOfStore(work));
}

TEST_F(BookmarkReload, NoOldBookmarkIsValidAfterAStreamReload) {
    Table.Close();
    const std::string bytes = ReadFile(Dir + "Treload.d");
    TMemoryStream image;
    image.WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
    image.SetPosition(0);
    Table.SetLoadingStream(&image);
    Table.SetLoadMode(lmStream);
    Table.Open();
    for (int round = 0; round < 3; ++round) {
        CheckReload("stream refresh", [&] {
            image.SetPosition(0);
            Table.Refresh();
        });
        if (HasFatalFailure()) return;
    }
    Table.Close();
    Table.SetLoadingStream(nullptr);
}
