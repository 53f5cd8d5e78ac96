// The record store: loading, inserting, editing, reverting, deleting, accepting and sorting records.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "engine/messages.h"
#include "engine/record_sort.h"
#include "engine/record_store.h"
#include "engine/record_view.h"
#include "support/engine/engine_test_util.h"
#include "support/engine/image_builder.h"

namespace {

// Key (AutoInc), Name (String 30), Qty (Integer), Note (Memo): records with
// keys 5, 2, 7 and names "e", "b", "g".
std::string ThreeRecordImage() {
    TestImage img;
    img.Counts(3, 4).Item("T.Key a").Item("T.Name s30").Item("T.Qty i").Item("T.Note m");
    const int keys[] = {5, 2, 7};
    const char* names[] = {"e", "b", "g"};
    for (int i = 0; i < 3; ++i) {
        img.Byte(4).Byte(4).Byte(4).Byte(0);
        img.Int32(keys[i]).Text32(names[i]).Int32(keys[i] * 10);
    }
    return img.Build();
}

class RecordStoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(LoadImage(C, ThreeRecordImage(), error)) << error;
        C.SetOnReleaseRecordData([this](void*& data) {
            ++Released;
            ReleasedData.push_back(data);
        });
    }

    void TearDown() override { C.SetOnReleaseRecordData(nullptr); }

    TOstraRecord* Insert(const std::string& name, int qty, int key = 0) {
        TestBuffer b(C);
        b.Set("Name", name);
        OstPut<int32_t>(b.Place("Qty"), qty);
        OstPut<int32_t>(b.Place("Key"), key);
        std::string error;
        EXPECT_TRUE(C.PostRecord(b.Data(), nullptr, error)) << error;
        return C.Records().back();
    }

    void Edit(TOstraRecord* r, const std::string& name) {
        TestBuffer b(C);
        C.CopyData(b.Data(), r->Data());
        b.Set("Name", name);
        std::string error;
        C.BeginChange(r);
        EXPECT_TRUE(C.PostRecord(b.Data(), r, error)) << error;
    }

    std::vector<std::string> Names(bool liveOnly = true) {
        std::vector<std::string> out;
        for (TOstraRecord* r : C.Records())
            if (!liveOnly || r->IsLive()) out.push_back(TextOf(C, r, "Name"));
        return out;
    }

    TOstraCursor C;
    int Released = 0;
    std::vector<void*> ReleasedData;
};

}  // namespace

TEST_F(RecordStoreTest, LoadOrdersByAutoIncAndSetsTheCounter) {
    EXPECT_EQ(Names(), (std::vector<std::string>{"b", "e", "g"}));
    EXPECT_EQ(C.AutoIncCounter(), 7);
    C.SetAutoIncCounter(20);
    EXPECT_EQ(C.AutoIncCounter(), 20);
}

TEST_F(RecordStoreTest, InsertsNumberAutoIncFromTheCounter) {
    TOstraRecord* a = Insert("x", 1, 99);
    TOstraRecord* b = Insert("y", 2, 0);
    TOstraRecord* c = Insert("z", 3, -5);
    EXPECT_EQ(IntOf(C, a, "Key"), 8);
    EXPECT_EQ(IntOf(C, b, "Key"), 9);
    EXPECT_EQ(IntOf(C, c, "Key"), 10);
    EXPECT_EQ(a->State, orsNew);
    EXPECT_EQ(C.RecordCount(), 6);
}

// The record a post added, taken back (its dataset could not show it): the
// store is as before that post, its AutoInc number and its slot given again
// to the next insert, and a revert or accept after it reaches the rest.
TEST_F(RecordStoreTest, ARecordTakenBackLeavesTheStoreAsBeforeItsPost) {
    TOstraRecord* kept = Insert("x", 1);
    TOstraRecord* taken = Insert("y", 2);
    C.DropInserted(kept);  // not the last one: nothing happens
    EXPECT_EQ(C.RecordCount(), 5);
    C.DropInserted(taken);
    EXPECT_EQ(C.RecordCount(), 4);
    EXPECT_EQ(C.AutoIncCounter(), 8);
    EXPECT_FALSE(C.Contains(taken));
    EXPECT_EQ(Released, 0);
    TOstraRecord* again = Insert("z", 3);
    EXPECT_EQ(again, taken);
    EXPECT_EQ(IntOf(C, again, "Key"), 9);
    EXPECT_EQ(Names(), (std::vector<std::string>{"b", "e", "g", "x", "z"}));
    C.RevertAll();
    EXPECT_EQ(Names(), (std::vector<std::string>{"b", "e", "g"}));
    EXPECT_EQ(Released, 2);
}

TEST_F(RecordStoreTest, EditPostEditPostRevertBringsBackTheFirstValues) {
    TOstraRecord* r = C.RecordAt(0);
    Edit(r, "first");
    Edit(r, "second");
    EXPECT_EQ(r->State, orsModified);
    EXPECT_EQ(TextOf(C, r, "Name"), "second");
    C.RevertAll();
    EXPECT_EQ(r->State, orsUnchanged);
    EXPECT_EQ(TextOf(C, r, "Name"), "b");
    EXPECT_EQ(C.OldDataOf(r), nullptr);
}

// Accepting and reverting reach every record changed since the last of
// them, round after round, and only those.
TEST_F(RecordStoreTest, AcceptAndRevertReachEveryRecordChangedSinceTheLastOfThem) {
    TOstraRecord* b = C.RecordAt(0);
    TOstraRecord* e = C.RecordAt(1);
    TOstraRecord* g = C.RecordAt(2);
    Edit(b, "b1");
    C.BeginChange(g);  // begun, never posted
    C.AcceptAll();
    EXPECT_EQ(b->State, orsUnchanged);
    EXPECT_EQ(C.OldDataOf(b), nullptr);
    EXPECT_EQ(C.OldDataOf(g), nullptr);

    // Second round: the same record again, a delete and an insert.
    Edit(b, "b2");
    Edit(b, "b3");
    std::string error;
    ASSERT_TRUE(C.DeleteRecord(e, error));
    TOstraRecord* n = Insert("n", 1);
    C.RevertRecord(b);  // reverted alone, still counted with the round
    C.RevertAll();
    EXPECT_EQ(Names(), (std::vector<std::string>{"b1", "e", "g"}));
    EXPECT_EQ(n->State, orsNewDeleted);
    EXPECT_EQ(e->State, orsUnchanged);
    EXPECT_EQ(Released, 1);

    // Third round: accepted, the deleted record released once.
    Edit(g, "g1");
    ASSERT_TRUE(C.DeleteRecord(e, error));
    C.AcceptAll();
    EXPECT_EQ(Names(), (std::vector<std::string>{"b1", "g1"}));
    EXPECT_EQ(e->State, orsNewDeleted);
    EXPECT_EQ(C.OldDataOf(g), nullptr);
    EXPECT_EQ(Released, 2);
    C.RevertAll();  // nothing left to revert
    EXPECT_EQ(Names(), (std::vector<std::string>{"b1", "g1"}));
    EXPECT_EQ(Released, 2);
}

TEST_F(RecordStoreTest, PostWithoutBeginChangeCanStillBeReverted) {
    TOstraRecord* r = C.RecordAt(1);
    TestBuffer b(C);
    C.CopyData(b.Data(), r->Data());
    b.Set("Name", "changed");
    std::string error;
    ASSERT_TRUE(C.PostRecord(b.Data(), r, error));
    C.RevertAll();
    EXPECT_EQ(TextOf(C, r, "Name"), "e");
}

TEST_F(RecordStoreTest, RevertRecordUndoesOneEdit) {
    TOstraRecord* r = C.RecordAt(2);
    Edit(r, "changed");
    C.RevertRecord(r);
    EXPECT_EQ(r->State, orsUnchanged);
    EXPECT_EQ(TextOf(C, r, "Name"), "g");
    TOstraRecord* n = Insert("new", 1);
    C.BeginChange(n);
    Edit(n, "edited");
    C.RevertRecord(n);
    EXPECT_EQ(n->State, orsNew);  // still to be dropped by a revert of the table
    EXPECT_EQ(TextOf(C, n, "Name"), "new");
}

TEST_F(RecordStoreTest, InsertedThenDeletedLeavesNoTrace) {
    TOstraRecord* n = Insert("temp", 1);
    C.SetUserData(n, &Released);
    std::string error;
    ASSERT_TRUE(C.DeleteRecord(n, error));
    EXPECT_EQ(n->State, orsNewDeleted);
    EXPECT_EQ(n->Data(), nullptr);
    EXPECT_EQ(C.UserData(n), nullptr);
    EXPECT_EQ(Released, 1);
    EXPECT_EQ(ReleasedData.at(0), &Released);
    C.RevertAll();
    EXPECT_EQ(n->State, orsNewDeleted);
    EXPECT_EQ(Names(), (std::vector<std::string>{"b", "e", "g"}));
    const std::string image = SaveImage(C);
    EXPECT_EQ(image.find("temp"), std::string::npos);
    EXPECT_FALSE(C.DeleteRecord(n, error));
    EXPECT_EQ(error, SRecordDeleted);
}

TEST_F(RecordStoreTest, DeleteThenRevertShowsTheRecordAgain) {
    TOstraRecord* r = C.RecordAt(0);
    Edit(r, "edited");
    std::string error;
    ASSERT_TRUE(C.DeleteRecord(r, error));
    EXPECT_EQ(r->State, orsDeleted);
    EXPECT_EQ(Names(), (std::vector<std::string>{"e", "g"}));
    C.RevertAll();
    EXPECT_EQ(r->State, orsUnchanged);
    EXPECT_EQ(TextOf(C, r, "Name"), "b");
    EXPECT_EQ(Released, 0);
}

TEST_F(RecordStoreTest, DeleteAcceptIsFinal) {
    TOstraRecord* r = C.RecordAt(1);
    std::string error;
    ASSERT_TRUE(C.DeleteRecord(r, error));
    C.AcceptAll();
    EXPECT_EQ(r->State, orsNewDeleted);
    EXPECT_EQ(Released, 1);
    C.RevertAll();
    EXPECT_EQ(r->State, orsNewDeleted);
    EXPECT_EQ(Names(), (std::vector<std::string>{"b", "g"}));
    EXPECT_FALSE(C.PostRecord(C.RecordAt(0)->Data(), r, error));
    EXPECT_EQ(error, SRecordDeleted);
}

TEST_F(RecordStoreTest, AcceptKeepsChangesAndDropsOldValues) {
    TOstraRecord* r = C.RecordAt(0);
    Edit(r, "kept");
    TOstraRecord* n = Insert("added", 5);
    C.AcceptAll();
    EXPECT_EQ(r->State, orsUnchanged);
    EXPECT_EQ(n->State, orsUnchanged);
    EXPECT_EQ(C.OldDataOf(r), nullptr);
    C.RevertAll();
    EXPECT_EQ(Names(), (std::vector<std::string>{"kept", "e", "g", "added"}));
}

// Old values and user data are kept beside the records, not in them: each
// record's own, through edits, sorts, reverts and accepts.
TEST_F(RecordStoreTest, OldValuesAndUserDataStayWithTheirRecords) {
    TOstraRecord* b = C.RecordAt(0);
    TOstraRecord* e = C.RecordAt(1);
    TOstraRecord* g = C.RecordAt(2);
    int tagB = 0, tagG = 0;
    C.SetUserData(b, &tagB);
    C.SetUserData(g, &tagG);
    EXPECT_EQ(C.UserData(e), nullptr);
    Edit(b, "b1");
    Edit(b, "b2");  // the first old values stay
    Edit(e, "e1");
    ASSERT_NE(C.OldDataOf(b), nullptr);
    EXPECT_EQ(FieldText(C.OldDataOf(b) + C.FindField("Name")->Offset, *C.FindField("Name")), "b");
    EXPECT_EQ(FieldText(C.OldDataOf(e) + C.FindField("Name")->Offset, *C.FindField("Name")), "e");
    EXPECT_EQ(C.OldDataOf(g), nullptr);
    C.Sort("Name", false);  // moves the list, not the records
    EXPECT_EQ(C.UserData(b), &tagB);
    EXPECT_EQ(C.UserData(g), &tagG);
    C.RevertRecord(e);
    EXPECT_EQ(TextOf(C, e, "Name"), "e");
    EXPECT_EQ(C.OldDataOf(e), nullptr);
    EXPECT_NE(C.OldDataOf(b), nullptr);
    C.AcceptAll();
    EXPECT_EQ(C.OldDataOf(b), nullptr);
    EXPECT_EQ(TextOf(C, b, "Name"), "b2");
    // Unset user data, or data for a record of no store, is not kept.
    C.SetUserData(g, nullptr);
    EXPECT_EQ(C.UserData(g), nullptr);
    TOstraCursor other;
    std::string error;
    ASSERT_TRUE(LoadImage(other, ThreeRecordImage(), error));
    C.SetUserData(other.RecordAt(0), &tagG);
    EXPECT_EQ(C.UserData(other.RecordAt(0)), nullptr);
    EXPECT_EQ(other.UserData(other.RecordAt(0)), nullptr);
    // A clear hands each record's user data to the release event once.
    Edit(g, "g1");
    C.Clear(false);
    ASSERT_EQ(Released, 3);
    EXPECT_EQ(std::count(ReleasedData.begin(), ReleasedData.end(), &tagB), 1);
    EXPECT_EQ(std::count(ReleasedData.begin(), ReleasedData.end(), nullptr), 2);
}

TEST_F(RecordStoreTest, ReleaseCallbackOncePerReleasedRecord) {
    TOstraRecord* n = Insert("n", 1);
    std::string error;
    ASSERT_TRUE(C.DeleteRecord(n, error));  // 1
    ASSERT_TRUE(C.DeleteRecord(C.RecordAt(0), error));
    C.AcceptAll();  // 2
    EXPECT_EQ(Released, 2);
    C.Clear(false);  // the two live records only
    EXPECT_EQ(Released, 4);
    EXPECT_EQ(C.RecordCount(), 0);
    EXPECT_EQ(C.FieldCount(), 4);
    EXPECT_EQ(C.AutoIncCounter(), 0);
}

TEST_F(RecordStoreTest, ForeignAndMissingRecordsAreRefused) {
    TOstraCursor other;
    std::string error;
    ASSERT_TRUE(LoadImage(other, ThreeRecordImage(), error));
    TOstraRecord* foreign = other.RecordAt(0);
    TestBuffer b(C);
    EXPECT_FALSE(C.PostRecord(b.Data(), foreign, error));
    EXPECT_EQ(error, SOstRecordNotFound);
    EXPECT_FALSE(C.DeleteRecord(foreign, error));
    EXPECT_EQ(error, SOstRecordNotFound);
    EXPECT_FALSE(C.DeleteRecord(nullptr, error));
    EXPECT_EQ(error, SOstRecordNotFound);
    auto* inside = reinterpret_cast<TOstraRecord*>(reinterpret_cast<uint8_t*>(C.RecordAt(0)) + 8);
    EXPECT_FALSE(C.Contains(inside));
    EXPECT_EQ(Names(), (std::vector<std::string>{"b", "e", "g"}));
    EXPECT_EQ(foreign->State, orsUnchanged);
}

TEST_F(RecordStoreTest, StoredSizeFollowsTheValues) {
    TOstraRecord* r = C.RecordAt(0);  // key 2, "b", qty 20, no note
    EXPECT_EQ(r->StoredSize, 4 + 4 + (4 + 1) + 4);
    TestBuffer b(C);
    std::string error;
    ASSERT_TRUE(C.PostRecord(b.Data(), r, error));  // everything empty
    EXPECT_EQ(r->StoredSize, 4);
    EXPECT_EQ(C.RecordSize(r), 4);
}

TEST_F(RecordStoreTest, FieldsAreFoundWithoutRegardToCaseAndBlanks) {
    EXPECT_EQ(C.FindField("name"), C.FieldAt(1));
    EXPECT_EQ(C.FindField("  QTY "), C.FieldAt(2));
    EXPECT_EQ(C.FindField("Nam"), nullptr);
    EXPECT_EQ(C.FieldAt(4), nullptr);
    EXPECT_EQ(C.FieldAt(-1), nullptr);
    const std::vector<const TOstraField*> list = C.FindFields("qty; Missing ;  name");
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0]->Name, "Qty");
    EXPECT_EQ(list[1]->Name, "Name");
}

TEST_F(RecordStoreTest, SortPutsDeletedRecordsLastAndKeepsTies) {
    Insert("e", 1);
    Insert("a", 2);
    std::string error;
    ASSERT_TRUE(C.DeleteRecord(C.RecordAt(2), error));  // "g"
    C.Sort(" name ", false);
    EXPECT_EQ(Names(false), (std::vector<std::string>{"a", "b", "e", "e", "g"}));
    EXPECT_EQ(C.RecordAt(4)->State, orsDeleted);
    // Ties keep their previous order: the loaded "e" (qty 50) before the new one.
    EXPECT_EQ(IntOf(C, C.RecordAt(2), "Qty"), 50);
    EXPECT_EQ(IntOf(C, C.RecordAt(3), "Qty"), 1);
    C.SetSortDescending(true);
    C.Sort("NAME;qty", false);
    EXPECT_EQ(Names(false), (std::vector<std::string>{"e", "e", "b", "a", "g"}));
    EXPECT_EQ(IntOf(C, C.RecordAt(0), "Qty"), 50);
    C.Sort("nothing", false);  // no field found: no change
    EXPECT_EQ(Names(false), (std::vector<std::string>{"e", "e", "b", "a", "g"}));
}

TEST_F(RecordStoreTest, DescendingPutsEmptyTextsLast) {
    Insert("", 1);
    Insert("Apple", 2);
    Insert("apple", 3);
    C.SetSortDescending(true);
    C.Sort("Name", true);
    const std::vector<std::string> names = Names();
    EXPECT_EQ(names.back(), "");
    EXPECT_EQ(names.front(), "g");
    // Apple and apple side by side, in insertion order.
    const auto it = std::find(names.begin(), names.end(), "Apple");
    ASSERT_NE(it, names.end());
    EXPECT_EQ(*(it + 1), "apple");
}

// The key-based sort must give exactly the order of a plain stable sort with
// the value comparison, for every kind of field and both options.
TEST(RecordSort, AgreesWithTheValueComparison) {
    TOstraCursor c;
    MakeTable(c, {MakeField("S", oftString, 40), MakeField("Small", oftSmallStr, 12),
                  MakeField("B", oftBoolean), MakeField("D", oftDouble), MakeField("I", oftInteger),
                  MakeField("M", oftMemo), MakeField("L", oftInt64)});
    std::mt19937 rng(12345);
    const std::vector<std::string> stems = {"",
                                            "a",
                                            "A",
                                            "ab",
                                            "abcdefgh",
                                            "abcdefghij",
                                            "ABCDEFGHIJ",
                                            "abcdefghik",
                                            "zz",
                                            "Zz",
                                            "abcdefgh\xC3\xA9",
                                            "b",
                                            "abcdefghijklmnopqrstuvwxyz0123",
                                            "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123",
                                            "abcdefghijklmnopqrstuvwxyz01234",
                                            "abcdefghijklmnop"};
    for (int i = 0; i < 3000; ++i) {
        TestBuffer b(c);
        b.Set("S", stems[rng() % stems.size()] + (rng() % 3 ? "" : std::to_string(rng() % 5)));
        b.Set("Small", stems[rng() % stems.size()]);
        OstPut<int16_t>(b.Place("B"), static_cast<int16_t>(rng() % 3 == 0 ? -1 : (rng() % 2)));
        const double doubles[] = {0.0, -0.0, 1.5, -2.25, 1e300, -1e-300};
        OstPut<double>(b.Place("D"), doubles[rng() % 6]);
        OstPut<int32_t>(b.Place("I"), static_cast<int32_t>(rng()));
        b.Set("M", stems[rng() % stems.size()]);
        OstPut<int64_t>(b.Place("L"), static_cast<int64_t>(rng() % 7) - 3);
        std::string error;
        ASSERT_TRUE(c.PostRecord(b.Data(), nullptr, error));
        if (rng() % 10 == 0)
            ASSERT_TRUE(c.DeleteRecord(c.Records().back(), error));
        else if (rng() % 10 == 0)
            c.AcceptAll();
    }
    const std::vector<std::string> orders = {"S",           "Small", "M",   "B;S",     "D;L;I",
                                             "M;Small;S;B", "L;S",   "I;M", "Small;B", "S;I;D"};
    for (const std::string& names : orders) {
        for (int ci = 0; ci < 2; ++ci) {
            for (int desc = 0; desc < 2; ++desc) {
                const std::vector<const TOstraField*> fields = c.FindFields(names);
                std::vector<TOstraRecord*> fast = c.Records();
                std::vector<TOstraRecord*> slow = fast;
                OstraSortRecords(fast, fields, ci, desc);
                std::stable_sort(slow.begin(), slow.end(), [&](TOstraRecord* a, TOstraRecord* b) {
                    return CompareRecordsForSort(a, b, fields, ci, desc) < 0;
                });
                EXPECT_TRUE(fast == slow) << names << " ci=" << ci << " desc=" << desc;
                // Asked for view keys: the same order, and each record's own key beside it.
                std::vector<TOstraRecord*> keyed = c.Records();
                TOstraViewKeys keys;
                OstraSortRecords(keyed, fields, ci, desc, &keys);
                EXPECT_TRUE(keyed == slow) << names << " ci=" << ci << " desc=" << desc;
                ASSERT_EQ(keys.size(), keyed.size());
                for (std::size_t i = 0; i < keyed.size(); ++i) {
                    if (keys[i] == OstViewKey(keyed[i]->Data(), fields, ci, desc)) continue;
                    ADD_FAILURE() << names << " ci=" << ci << " desc=" << desc << " key " << i;
                    break;
                }
            }
        }
    }
}

// The sort by text lays the live records' keys in its own block; the
// deleted records' keys follow past its room.
TEST(RecordSort, ViewKeysOfManyDeletedRecordsFollowTheLive) {
    TOstraCursor c;
    MakeTable(c, {MakeField("S", oftString, 40)});
    std::mt19937 rng(7);
    for (int i = 0; i < 200; ++i) {
        TestBuffer b(c);
        b.Set("S", "text number " + std::to_string(rng() % 1000) + (i % 2 ? " and more words" : ""));
        std::string error;
        ASSERT_TRUE(c.PostRecord(b.Data(), nullptr, error));
        if (i % 4) {
            ASSERT_TRUE(c.DeleteRecord(c.Records().back(), error));
        }
    }
    const std::vector<const TOstraField*> fields = c.FindFields("S");
    for (int desc = 0; desc < 2; ++desc) {
        std::vector<TOstraRecord*> records = c.Records();
        TOstraViewKeys keys;
        OstraSortRecords(records, fields, false, desc, &keys);
        ASSERT_EQ(keys.size(), records.size());
        for (std::size_t i = 0; i < records.size(); ++i)
            EXPECT_EQ(keys[i], OstViewKey(records[i]->Data(), fields, false, desc)) << i;
        for (std::size_t i = 1; i < 50; ++i)
            if (desc == 0) {
                EXPECT_LE(keys[i - 1], keys[i]) << i;
            }
    }
}

// Keys added one by one keep the earlier ones as their block grows.
TEST(RecordSort, ViewKeysKeepTheirKeysAsTheyGrow) {
    TOstraViewKeys keys;
    for (uint64_t i = 0; i < 1000; ++i) keys.push_back({i, i * 3, ~i});
    ASSERT_EQ(keys.size(), 1000u);
    for (uint64_t i = 0; i < 1000; ++i) EXPECT_EQ(keys[i], (TOstraViewKey{i, i * 3, ~i})) << i;
    keys.clear();
    EXPECT_TRUE(keys.empty());
    keys.push_back({5, 6, 7});
    EXPECT_EQ(keys[0], (TOstraViewKey{5, 6, 7}));
}

TEST_F(RecordStoreTest, RecordNumbersFollowTheListThroughLoadsInsertsAndSorts) {
    // Loaded in 5, 2, 7 and ordered by key: the numbers follow the list, not the file.
    auto expectNumbers = [&](const char* when) {
        for (int i = 0; i < C.RecordCount(); ++i) EXPECT_EQ(i, C.NumberOf(C.RecordAt(i))) << when << " " << i;
    };
    expectNumbers("loaded");
    Insert("a", 1);
    Insert("c", 2);
    expectNumbers("inserted");
    C.Sort("Name", false);
    EXPECT_EQ(Names(), (std::vector<std::string>{"a", "b", "c", "e", "g"}));
    // Asked for the last record first: the whole list is numbered again.
    for (int i = C.RecordCount() - 1; i >= 0; --i) EXPECT_EQ(i, C.NumberOf(C.RecordAt(i)));
    EXPECT_EQ(-1, C.NumberOf(nullptr));
    TOstraCursor other;
    std::string error;
    ASSERT_TRUE(LoadImage(other, ThreeRecordImage(), error)) << error;
    EXPECT_EQ(-1, C.NumberOf(other.RecordAt(2)));
}
