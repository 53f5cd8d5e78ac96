// The record view at a scale where its chunked list, its sort-key digests and
// its search index come into play, checked against plain models.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "dataset_fixture.h"
#include "engine/key_index.h"
#include "engine/record_list.h"

namespace {

TOstraRecord* Fake(std::size_t i) { return reinterpret_cast<TOstraRecord*>(0x1000 + 16 * i); }

}  // namespace

TEST(OstraRecordList, BehavesLikeAVector) {
    TOstraRecordList list;
    std::vector<TOstraRecord*> model;
    std::mt19937 rng(5);
    std::size_t next = 0;
    for (int step = 0; step < 20000; ++step) {
        const int op = static_cast<int>(rng() % 10);
        if (op < 6 || model.empty()) {
            const int at = static_cast<int>(rng() % (model.size() + 1));
            list.Insert(at, Fake(next));
            model.insert(model.begin() + at, Fake(next++));
        } else if (op < 9) {
            const int at = static_cast<int>(rng() % model.size());
            list.Delete(at);
            model.erase(model.begin() + at);
        } else {
            list.Add(Fake(next));
            model.push_back(Fake(next++));
        }
        if (step % 997 == 0) {
            ASSERT_EQ(model, list.ToVector()) << "step " << step;
        }
    }
    ASSERT_EQ(static_cast<int>(model.size()), list.Count());
    for (int i = 0; i < list.Count(); i += 37) EXPECT_EQ(model[static_cast<std::size_t>(i)], list.At(i));
    for (std::size_t i = 0; i < model.size(); i += 53)
        EXPECT_EQ(static_cast<int>(i), list.IndexOf(model[i], static_cast<int>(i) + 1));
    EXPECT_EQ(-1, list.IndexOf(Fake(next + 5)));
    EXPECT_EQ(nullptr, list.At(-1));
    EXPECT_EQ(nullptr, list.At(list.Count()));
    // Assign and chunked reading from the start and the end.
    std::vector<TOstraRecord*> copy = model;
    list.Assign(std::move(copy));
    EXPECT_EQ(model, list.ToVector());
    EXPECT_EQ(model.back(), list.At(list.Count() - 1));
    EXPECT_EQ(model.front(), list.At(0));
}

TEST(OstraRecordList, KeyBoundsOverChunks) {
    TOstraRecordList list;
    std::vector<TOstraRecord*> records;
    for (std::size_t i = 0; i < 5000; ++i) records.push_back(Fake(i));
    list.Assign(std::move(records));
    std::vector<TOstraViewKey> keys;
    for (int i = 0; i < 5000; ++i)
        keys.push_back({static_cast<uint64_t>(i / 10), static_cast<uint64_t>(i % 3)});
    std::sort(keys.begin(), keys.end());
    list.SetKeys(keys);
    for (uint64_t high : {0ull, 1ull, 250ull, 499ull, 500ull}) {
        const TOstraViewKey k{high, 1};
        EXPECT_EQ(std::lower_bound(keys.begin(), keys.end(), k) - keys.begin(), list.LowerBound(k)) << high;
        EXPECT_EQ(std::upper_bound(keys.begin(), keys.end(), k) - keys.begin(), list.UpperBound(k)) << high;
    }
    // An insertion keeps the bounds right.
    list.Insert(list.LowerBound({250, 1}), Fake(9999), {250, 1});
    EXPECT_EQ(list.LowerBound({250, 1}) + 1, list.IndexOf(Fake(9999)) + 1);
    EXPECT_EQ(TOstraViewKey({250, 1}), list.KeyAt(list.IndexOf(Fake(9999))));
}

namespace {

class DatasetScale : public ::testing::Test {
protected:
    void SetUp() override {
        ResetFormatSettings();
        ds.Layout = {MakeField("Key", oftAutoInc), MakeField("Name", oftString, 60),
                     MakeField("Grp", oftInteger), MakeField("Code", oftSmallStr, 4)};
        std::mt19937 rng(17);
        static const char* const words[] = {"alpha", "beta", "gamma", "Delta", "epsilon", "zeta"};
        for (int i = 0; i < 6000; ++i) {
            std::string name;
            const int n = 1 + static_cast<int>(rng() % 4);
            for (int w = 0; w < n; ++w) name += std::string(w ? " " : "") + words[rng() % 6];
            ds.Seed.push_back({{"Name", name},
                               {"Grp", std::to_string(rng() % 50)},
                               {"Code", std::string(1, static_cast<char>('a' + rng() % 26))}});
        }
    }
    // Checks that the view is in order by the sort fields.
    void ExpectSorted(const std::vector<std::string>& names, bool caseInsensitive, bool descending) {
        for (std::size_t i = 1; i < names.size(); ++i) {
            int c = caseInsensitive ? CompareText(names[i - 1], names[i]) : names[i - 1].compare(names[i]);
            if (descending) c = -c;
            ASSERT_LE(c, 0) << i << ": " << names[i - 1] << " / " << names[i];
        }
    }
    TTestDataset ds;
};

}  // namespace

TEST_F(DatasetScale, InsertInOrderKeepsTheViewSorted) {
    ds.Open();
    for (const TOstraSortOptions options :
         {TOstraSortOptions{osoInsertInOrder}, TOstraSortOptions{osoInsertInOrder, osoCaseInsensitive},
          TOstraSortOptions{osoInsertInOrder, osoDescendSort}}) {
        ds.SetIndexFieldNames("Name");
        ds.SetSortOptions(options);
        std::mt19937 rng(3);
        for (int i = 0; i < 600; ++i) {
            ds.Append();
            std::string name =
                (rng() % 2 ? "alpha beta gamma delta " : "Delta ") + std::to_string(rng() % 100);
            if (i % 7 == 0) name.clear();
            ds.FieldByName("Name")->SetAsString(name);
            ds.Post();
            ASSERT_EQ(name, ds.FieldByName("Name")->AsString());
        }
        EXPECT_TRUE(ds.InKeyOrder());
        ExpectSorted(Column(ds, "Name"), options.Contains(osoCaseInsensitive),
                     options.Contains(osoDescendSort));
        ds.CancelChanges();
    }
    EXPECT_EQ(6000, ds.RecordCount());
}

TEST_F(DatasetScale, InsertInOrderByTwoFields) {
    ds.Open();
    ds.SetIndexFieldNames("Grp;Code");
    ds.SetSortOptions({osoInsertInOrder});
    std::mt19937 rng(8);
    for (int i = 0; i < 500; ++i) {
        ds.Append();
        ds.FieldByName("Grp")->SetAsInteger(static_cast<int>(rng() % 60) - 5);
        ds.FieldByName("Code")->SetAsString(std::string(1 + i % 3, static_cast<char>('a' + rng() % 26)));
        ds.Post();
    }
    int lastGrp = INT32_MIN;
    std::string lastCode;
    ds.First();
    while (!ds.Eof()) {
        const int grp = ds.FieldByName("Grp")->AsInteger();
        const std::string code = ds.FieldByName("Code")->AsString();
        ASSERT_TRUE(grp > lastGrp || (grp == lastGrp && code >= lastCode)) << grp << " " << code;
        lastGrp = grp;
        lastCode = code;
        ds.Next();
    }
}

TEST_F(DatasetScale, LocateAgreesWithAWalk) {
    ds.Open();
    // The first record (in view order) of each name, found by walking.
    auto firstByWalk = [&](const std::string& name) {
        ds.First();
        for (int i = 1; !ds.Eof(); ++i, ds.Next())
            if (ds.FieldByName("Name")->AsString() == name) return i;
        return -1;
    };
    const std::vector<std::string> names = {"alpha",      "beta gamma", "Delta zeta zeta epsilon",
                                            "zeta",       "nothing",    "alpha alpha alpha alpha",
                                            "gamma Delta"};
    for (const char* index : {"", "Name", "Name;Grp"}) {
        for (const TOstraSortOptions options : {TOstraSortOptions{}, TOstraSortOptions{osoDescendSort}}) {
            ds.SetIndexFieldNames(index);
            ds.SetSortOptions(options);
            std::vector<int> expected;
            for (const std::string& name : names) expected.push_back(firstByWalk(name));
            // Enough rounds for the search index to be made and used.
            for (int round = 0; round < 3; ++round) {
                for (std::size_t k = 0; k < names.size(); ++k) {
                    const bool found = ds.Locate("Name", names[k], {});
                    ASSERT_EQ(expected[k] > 0, found) << index << " " << names[k];
                    if (found) {
                        EXPECT_EQ(expected[k], ds.RecNo()) << index << " " << names[k];
                    }
                }
            }
        }
    }
}

TEST_F(DatasetScale, SearchIndexFollowsChanges) {
    ds.Open();
    ds.SetIndexFieldNames("Grp");
    for (int i = 0; i < 2 * TOstraKeyIndex::SearchesBeforeIndex; ++i) ASSERT_TRUE(ds.Locate("Grp", 7, {}));
    const int first = ds.RecNo();
    // A record edited to the key comes before the others only if it sorts
    // there; here it moves the first match to the record edited.
    ds.First();
    ds.Edit();
    ds.FieldByName("Grp")->SetAsInteger(7);
    ds.Post();  // out of order now
    EXPECT_TRUE(ds.Locate("Grp", 7, {}));
    EXPECT_EQ(1, ds.RecNo());
    ds.RebuildView();
    for (int i = 0; i < 2 * TOstraKeyIndex::SearchesBeforeIndex; ++i) ASSERT_TRUE(ds.Locate("Grp", 7, {}));
    EXPECT_EQ(first - 1, ds.RecNo());  // the edited record left group 0
    ds.Delete();
    for (int i = 0; i < 2 * TOstraKeyIndex::SearchesBeforeIndex; ++i) ASSERT_TRUE(ds.Locate("Grp", 7, {}));
    EXPECT_EQ(first - 1, ds.RecNo());
    EXPECT_EQ(7, ds.FieldByName("Grp")->AsInteger());
    EXPECT_FALSE(ds.Locate("Grp", 1000, {}));
}
