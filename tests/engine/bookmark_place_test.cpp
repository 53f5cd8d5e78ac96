// Going to bookmarks over views that a table and its clones change under each
// other: every bookmark ever taken is valid exactly while the view holds its
// record, and going to it lands on that record, whatever was inserted,
// edited, deleted, filtered, sorted or reverted in between.
#include <algorithm>
#include <map>
#include <random>
#include <set>

#include "support/engine/table_test_fixture.h"

namespace {

const char* const BookmarkCategories[] = {"A", "b", "B", "c", "", "Zed"};
const char* const BookmarkActions[] = {"Call", "call", "Write", "Read", "", "Walk the dog", "walk"};

class BookmarkPlace : public TableTest {
protected:
    void SetUp() override {
        TableTest::SetUp();
        std::vector<std::pair<std::string, std::string>> rows;
        for (int i = 0; i < 600; ++i) rows.emplace_back(Pick(BookmarkActions), Pick(BookmarkCategories));
        WriteTaskFile(Dir + "Tmarks.d", rows);
        Source = std::make_unique<TOstraTable>(nullptr);
        Source->SetTableName(Dir + "Tmarks.d");
        Source->Open();
        for (int c = 0; c < 2; ++c) {
            Clones.push_back(std::make_unique<TOstraTable>(nullptr));
            Clones.back()->SetCloneDS(Source.get());
            Clones.back()->Open();
        }
    }
    void TearDown() override {
        Clones.clear();
        Source.reset();
        TableTest::TearDown();
    }

    template <std::size_t N>
    std::string Pick(const char* const (&List)[N]) {
        return List[Rng() % N];
    }
    std::vector<TOstraTable*> All() {
        std::vector<TOstraTable*> all{Source.get()};
        for (auto& c : Clones) all.push_back(c.get());
        return all;
    }
    // Moves to a random record of T; false when its view is empty.
    bool MoveSomewhere(TOstraTable& T) {
        const int count = T.RecordCount();
        if (count == 0) return false;
        T.SetRecNo(1 + static_cast<int>(Rng() % static_cast<unsigned>(count)));
        return true;
    }
    // The bookmarks of T's view in order, each remembered.
    std::vector<TBookmark> Walk(TOstraTable& T) {
        std::vector<TBookmark> marks;
        for (T.First(); !T.Eof(); T.Next()) {
            marks.push_back(T.Bookmark());
            Seen.insert(marks.back());
        }
        return marks;
    }
    void Check(const std::string& Step) {
        for (TOstraTable* t : All()) {
            const std::vector<TBookmark> marks = Walk(*t);
            std::map<TBookmark, int> place;
            for (std::size_t i = 0; i < marks.size(); ++i) place[marks[i]] = static_cast<int>(i);
            ASSERT_EQ(marks.size(), place.size()) << Step;
            for (const TBookmark& mark : Seen) {
                const auto it = place.find(mark);
                ASSERT_EQ(it != place.end(), t->BookmarkValid(mark)) << Step;
                if (it == place.end()) continue;
                t->GotoBookmark(mark);
                ASSERT_EQ(mark, t->Bookmark()) << Step;
                ASSERT_EQ(it->second + 1, t->RecNo()) << Step;
            }
        }
    }

    std::mt19937 Rng{20261207};
    std::unique_ptr<TOstraTable> Source;
    std::vector<std::unique_ptr<TOstraTable>> Clones;
    std::set<TBookmark> Seen;
};

}  // namespace

TEST_F(BookmarkPlace, EveryBookmarkFindsItsRecordWhileTablesChangeEachOther) {
    Source->SetIndexFieldNames("Category");
    Clones[0]->SetSortOptions({osoCaseInsensitive, osoDescendSort, osoInsertInOrder});
    Clones[0]->SetIndexFieldNames("Action;Category");
    Clones[1]->SetFilter("Category <> 'c'");
    Clones[1]->SetFiltered(true);
    Check("opened");
    const char* const sorts[] = {"Category", "Action", "Flag;Action", "", "Date"};
    const char* const filters[] = {"Category = 'b'", "Action > 'R'", "Category <> 'c'"};
    for (int step = 0; step < 240; ++step) {
        TOstraTable& t = *All()[Rng() % 3];
        const int op = static_cast<int>(Rng() % 16);
        std::string what = "step " + std::to_string(step) + " op " + std::to_string(op);
        if (op < 4) {
            AddTask(t, Pick(BookmarkActions), Pick(BookmarkCategories));
        } else if (op < 9) {
            if (!MoveSomewhere(t)) continue;
            t.Edit();
            if (op % 2)
                t.FieldByName("Action")->SetAsString(Pick(BookmarkActions));
            else
                t.FieldByName("Category")->SetAsString(Pick(BookmarkCategories));
            if (op == 8) t.FieldByName("Flag")->SetAsBoolean(!t.FieldByName("Flag")->AsBoolean());
            t.Post();
        } else if (op < 12) {
            if (MoveSomewhere(t)) t.Delete();
        } else if (op == 12) {
            t.SetIndexFieldNames(sorts[Rng() % 5]);
        } else if (op == 13) {
            t.SetFilter(filters[Rng() % 3]);
            t.SetFiltered(!t.Filtered());
        } else if (op == 14 && step % 3 == 0) {
            t.CancelChanges();  // new records go, edited ones come back
        } else if (op == 14) {
            // A handler decides which records show.
            if (t.OnFilterRecord().Assigned())
                t.SetOnFilterRecord({});
            else
                t.SetOnFilterRecord([](TDataSet* d, bool& accept) {
                    accept = d->FieldByName("Action")->AsString() != "Read";
                });
            t.SetFiltered(true);
        } else {
            // Sorted saves reorder the store itself.
            Source->SetSaveOptions(step % 2 ? TOstraSaveOptions{savSortOnIndex} : TOstraSaveOptions{});
            t.Save();
        }
        if (step % 6 == 0 || op >= 12) Check(what);
        if (HasFatalFailure()) return;
    }
    Check("end");
}

TEST_F(BookmarkPlace, DeletedRecordsAndStrangeBookmarksAreInNoView) {
    Source->SetIndexFieldNames("Category");
    Source->First();
    const TBookmark first = Source->Bookmark();
    Source->Last();
    const TBookmark last = Source->Bookmark();
    AddTask(*Source, "Fresh", "b");
    const TBookmark fresh = Source->Bookmark();
    for (const TBookmark& mark : {first, last, fresh}) {
        ASSERT_TRUE(Source->BookmarkValid(mark));
        Source->GotoBookmark(mark);
        Source->Delete();
    }
    for (TOstraTable* t : All()) {
        for (const TBookmark& mark : {first, last, fresh}) EXPECT_FALSE(t->BookmarkValid(mark));
        EXPECT_EQ(598, t->RecordCount());
    }
    // Bytes that are no record of the store, and a bookmark of the wrong size.
    TBookmark bogus(sizeof(void*), 0x5a);
    EXPECT_FALSE(Source->BookmarkValid(bogus));
    EXPECT_FALSE(Clones[1]->BookmarkValid(TBookmark(3, 1)));
    Source->CancelChanges();
    // The reverted deletions come back; the new record stays gone.
    EXPECT_TRUE(Source->BookmarkValid(first));
    EXPECT_TRUE(Clones[0]->BookmarkValid(last));
    EXPECT_FALSE(Clones[1]->BookmarkValid(fresh));
    Clones[1]->GotoBookmark(first);
    EXPECT_EQ(first, Clones[1]->Bookmark());
}

// Records a table's own posts move out of its sorted view stay where they
// were shown; every bookmark still finds its record while more of them move
// (again, back into order, alongside edits of other fields), and after a
// clone's change, a delete or an insert.
TEST_F(BookmarkPlace, RecordsMovedByTheTablesOwnPostsAreFoundWhereTheyStand) {
    Source->SetIndexFieldNames("Category;Action");
    Clones[0]->SetIndexFieldNames("Action");
    Clones[1]->SetIndexFieldNames("Category");
    Check("sorted");
    std::vector<TBookmark> moved;
    for (int step = 0; step < 160; ++step) {
        TOstraTable& t = step % 40 < 30 ? *Source : *Clones[1];
        const std::string what = "step " + std::to_string(step);
        const int op = static_cast<int>(Rng() % 10);
        if (op < 5 || moved.empty()) {
            if (!MoveSomewhere(t)) continue;
            moved.push_back(t.Bookmark());
            t.Edit();
            if (op % 2)
                t.FieldByName("Category")->SetAsString(Pick(BookmarkCategories));
            else
                t.FieldByName("Action")->SetAsString(Pick(BookmarkActions));
            t.Post();
        } else if (op < 7) {
            // One moved before moves again, or back.
            const TBookmark& mark = moved[Rng() % moved.size()];
            if (!t.BookmarkValid(mark)) continue;
            t.GotoBookmark(mark);
            t.Edit();
            t.FieldByName("Category")->SetAsString(Pick(BookmarkCategories));
            t.Post();
        } else if (op == 7) {
            if (!MoveSomewhere(t)) continue;
            t.Edit();
            t.FieldByName("Flag")->SetAsBoolean(!t.FieldByName("Flag")->AsBoolean());
            t.Post();
        } else if (op == 8 && step % 3 == 0) {
            if (MoveSomewhere(*Clones[0])) Clones[0]->Delete();
        } else if (op == 8) {
            AddTask(*Clones[0], Pick(BookmarkActions), Pick(BookmarkCategories));
        } else {
            if (MoveSomewhere(t)) t.Delete();
        }
        Check(what);
        if (HasFatalFailure()) return;
    }
}
