// The record view at a scale where its chunked list, its sort-key digests and
// its search index come into play, checked against plain models.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "engine/key_index.h"
#include "engine/record_list.h"
#include "support/engine/dataset_fixture.h"

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
        // Reading by position between changes, twice for the last-read chunk.
        if (!model.empty()) {
            const int at = static_cast<int>(rng() % model.size());
            ASSERT_EQ(model[static_cast<std::size_t>(at)], list.At(at)) << "step " << step;
            const int near = std::min(at + 1, static_cast<int>(model.size()) - 1);
            ASSERT_EQ(model[static_cast<std::size_t>(near)], list.At(near)) << "step " << step;
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

// A list in store order holds no keys; the first non-zero key gives every
// entry one (zero for those before), and a plain Assign or Clear drops them.
TEST(OstraRecordList, KeysComeAndGoWithTheOrder) {
    TOstraRecordList list;
    std::vector<TOstraRecord*> model;
    std::vector<TOstraViewKey> keys;
    std::mt19937 rng(11);
    std::size_t next = 0;
    const auto expectSame = [&](int step) {
        ASSERT_EQ(model, list.ToVector()) << "step " << step;
        for (std::size_t i = 0; i < model.size(); i += 7)
            ASSERT_EQ(keys[i], list.KeyAt(static_cast<int>(i))) << "step " << step << " at " << i;
        const bool anyKey = std::any_of(keys.begin(), keys.end(),
                                        [](const TOstraViewKey& k) { return k != TOstraViewKey(); });
        if (anyKey) {
            ASSERT_TRUE(list.Keyed()) << "step " << step;
        }
    };
    for (int step = 0; step < 12000; ++step) {
        const int op = static_cast<int>(rng() % 20);
        // Keys are set now and then only: long runs stay without them.
        const bool keyed = (step / 1500) % 2 == 1;
        const TOstraViewKey key = keyed && rng() % 3 ? TOstraViewKey{rng() % 100, rng(), 0} : TOstraViewKey();
        if (op < 10 || model.empty()) {
            const int at = static_cast<int>(rng() % (model.size() + 1));
            list.Insert(at, Fake(next), key);
            model.insert(model.begin() + at, Fake(next++));
            keys.insert(keys.begin() + at, key);
        } else if (op < 15) {
            const int at = static_cast<int>(rng() % model.size());
            list.Delete(at);
            model.erase(model.begin() + at);
            keys.erase(keys.begin() + at);
        } else if (op < 18) {
            const int at = static_cast<int>(rng() % model.size());
            list.SetKey(at, key);
            keys[static_cast<std::size_t>(at)] = key;
        } else if (op == 18) {
            list.Add(Fake(next), key);
            model.push_back(Fake(next++));
            keys.push_back(key);
        } else if (step % 5 == 0) {
            // Back to store order: no keys at all.
            std::vector<TOstraRecord*> copy = model;
            list.Assign(std::move(copy));
            keys.assign(model.size(), TOstraViewKey());
            ASSERT_FALSE(list.Keyed());
        }
        if (step % 211 == 0) expectSame(step);
    }
    expectSame(-1);
    // Sorted by key, then searched; then in store order again, lighter.
    std::vector<std::size_t> order(model.size());
    for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
    for (std::size_t i = 0; i < keys.size(); ++i) keys[i] = {i % 40, i % 7, 0};
    std::stable_sort(order.begin(), order.end(),
                     [&](std::size_t a, std::size_t b) { return keys[a] < keys[b]; });
    std::vector<TOstraRecord*> sorted;
    std::vector<TOstraViewKey> sortedKeys;
    for (std::size_t i : order) {
        sorted.push_back(model[i]);
        sortedKeys.push_back(keys[i]);
    }
    model = sorted;
    keys = sortedKeys;
    std::vector<TOstraRecord*> plain = model;
    list.Assign(std::move(plain));
    const std::size_t plainBytes = list.AllocatedBytes();
    list.Assign(std::move(sorted), &sortedKeys);
    EXPECT_TRUE(list.Keyed());
    expectSame(-2);
    for (uint64_t high : {0ull, 13ull, 39ull, 40ull}) {
        const TOstraViewKey k{high, 3, 0};
        EXPECT_EQ(std::lower_bound(keys.begin(), keys.end(), k) - keys.begin(), list.LowerBound(k)) << high;
        EXPECT_EQ(std::upper_bound(keys.begin(), keys.end(), k) - keys.begin(), list.UpperBound(k)) << high;
        int first = -1, last = -1;
        list.EqualRange(k, k, first, last);
        EXPECT_EQ(std::lower_bound(keys.begin(), keys.end(), k) - keys.begin(), first) << high;
        EXPECT_EQ(std::upper_bound(keys.begin(), keys.end(), k) - keys.begin(), last) << high;
    }
    const std::size_t keyedBytes = list.AllocatedBytes();
    EXPECT_GT(keyedBytes, plainBytes + model.size() * sizeof(TOstraViewKey) / 2);
    std::vector<TOstraRecord*> copy = model;
    list.Assign(std::move(copy));
    EXPECT_FALSE(list.Keyed());
    EXPECT_EQ(model, list.ToVector());
    EXPECT_EQ(TOstraViewKey(), list.KeyAt(0));
    EXPECT_LT(list.AllocatedBytes() + model.size() * sizeof(TOstraViewKey) / 2, keyedBytes);
    // Without keys every key is zero: the bounds say so.
    EXPECT_EQ(0, list.LowerBound(TOstraViewKey()));
    EXPECT_EQ(list.Count(), list.UpperBound(TOstraViewKey()));
    EXPECT_EQ(list.Count(), list.LowerBound({1, 0, 0}));
}

// Inserts in key order that all land at one place (a run of equal keys, as
// short texts make) split the same chunk again and again; positions, keys and
// bounds stay those of a plain vector, with and without keys, and deleting
// the run empties the chunks it made.
TEST(OstraRecordList, InsertsAtOnePlaceSplitItsChunkAgainAndAgain) {
    const std::size_t base = TOstraRecordList::ChunkSize * 3;
    const std::size_t added = TOstraRecordList::ChunkSize * 5 + 7;
    for (const bool keyed : {true, false}) {
        TOstraRecordList list;
        std::vector<TOstraRecord*> model;
        std::vector<TOstraViewKey> keys;
        for (std::size_t i = 0; i < base; ++i) {
            model.push_back(Fake(i));
            keys.push_back(keyed ? TOstraViewKey{i / 10 * 2, 0, 0} : TOstraViewKey());
        }
        std::vector<TOstraRecord*> copy = model;
        if (keyed)
            list.Assign(std::move(copy), &keys);
        else
            list.Assign(std::move(copy));
        // Odd keys fall between runs: each new record goes before the run of 70.
        const TOstraViewKey key = keyed ? TOstraViewKey{139, 0, 0} : TOstraViewKey();
        for (std::size_t n = 0; n < added; ++n) {
            const int at = keyed ? list.LowerBound(key) : static_cast<int>(base / 2);
            const auto expected = keyed ? std::lower_bound(keys.begin(), keys.end(), key) - keys.begin()
                                        : static_cast<std::ptrdiff_t>(base / 2);
            ASSERT_EQ(expected, at) << n;
            list.Insert(at, Fake(base + n), key);
            model.insert(model.begin() + at, Fake(base + n));
            keys.insert(keys.begin() + at, key);
            // The inserted record and its neighbours read back at once.
            ASSERT_EQ(Fake(base + n), list.At(at)) << n;
            ASSERT_EQ(model[static_cast<std::size_t>(at) + 1], list.At(at + 1)) << n;
            if (at > 0) {
                ASSERT_EQ(model[static_cast<std::size_t>(at) - 1], list.At(at - 1)) << n;
            }
        }
        ASSERT_EQ(model, list.ToVector()) << keyed;
        EXPECT_EQ(keyed, list.Keyed());
        for (std::size_t i = 0; i < model.size(); i += 29) {
            EXPECT_EQ(keys[i], list.KeyAt(static_cast<int>(i))) << i;
            EXPECT_EQ(static_cast<int>(i), list.IndexOf(model[i])) << i;
        }
        if (keyed) {
            int first = -1, last = -1;
            list.EqualRange(key, key, first, last);
            EXPECT_EQ(std::lower_bound(keys.begin(), keys.end(), key) - keys.begin(), first);
            EXPECT_EQ(static_cast<int>(added), last - first);
            EXPECT_EQ(last, list.LowerBound({140, 0, 0}));
            // Every run's bounds, across the chunks the splits made.
            for (uint64_t high = 0; high <= base / 10 * 2 + 1; ++high) {
                const TOstraViewKey k{high, 0, 0};
                ASSERT_EQ(std::lower_bound(keys.begin(), keys.end(), k) - keys.begin(), list.LowerBound(k))
                    << high;
                ASSERT_EQ(std::upper_bound(keys.begin(), keys.end(), k) - keys.begin(), list.UpperBound(k))
                    << high;
            }
        }
        // The run goes again, from its middle out.
        const int start = keyed ? list.LowerBound(key) : static_cast<int>(base / 2);
        for (std::size_t n = 0; n < added; ++n) {
            const int at = start + static_cast<int>((added - n) / 2);
            list.Delete(at);
            model.erase(model.begin() + at);
            keys.erase(keys.begin() + at);
        }
        ASSERT_EQ(model, list.ToVector()) << keyed;
        EXPECT_EQ(static_cast<int>(base), list.Count());
        for (std::size_t i = 0; i < model.size(); i += 31)
            EXPECT_EQ(keys[i], list.KeyAt(static_cast<int>(i)));
    }
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
            // Prefixes ending inside and beyond the keys' twenty-four bytes.
            static const char* const prefixes[] = {"alpha beta gamma delta ", "Delta ",
                                                   "alpha beta gamma delta epsilon "};
            std::string name = prefixes[rng() % 3] + std::to_string(rng() % 100);
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

// A view that drops its order and takes it again: inserts land where each
// order puts them, and the sorted view searches right after being in store
// order (whose entries hold no keys).
TEST_F(DatasetScale, AViewLeavesItsOrderAndTakesItAgain) {
    ds.Open();
    std::mt19937 rng(21);
    std::vector<std::string> added;
    for (int round = 0; round < 3; ++round) {
        ds.SetIndexFieldNames("Name");
        ds.SetSortOptions({osoInsertInOrder});
        ASSERT_TRUE(ds.InKeyOrder());
        for (int i = 0; i < 40; ++i) {
            added.push_back("gamma " + std::to_string(round) + " " + std::to_string(rng() % 1000));
            ds.Append();
            ds.FieldByName("Name")->SetAsString(added.back());
            ds.Post();
        }
        ExpectSorted(Column(ds, "Name"), false, false);
        for (const std::string& name : added) ASSERT_TRUE(ds.Locate("Name", name, {})) << name;
        // In store order: the view follows the store, an append goes last.
        ds.SetIndexFieldNames("");
        std::vector<std::string> store;
        for (TOstraRecord* r : ds.Cursor()->Records())
            if (r->IsLive())
                store.push_back(std::string(FieldText(r->Data() + ds.Cursor()->FindField("Name")->Offset,
                                                      *ds.Cursor()->FindField("Name"))));
        EXPECT_EQ(store, Column(ds, "Name")) << round;
        const int count = ds.RecordCount();
        added.push_back("alpha appended " + std::to_string(round));
        ds.Append();
        ds.FieldByName("Name")->SetAsString(added.back());
        ds.Post();
        EXPECT_EQ(count + 1, ds.RecordCount());
        ds.Last();
        EXPECT_EQ(added.back(), ds.FieldByName("Name")->AsString()) << round;
        ASSERT_TRUE(ds.Locate("Name", added.back(), {}));
        EXPECT_EQ(count + 1, ds.RecNo()) << round;
    }
    ds.SetIndexFieldNames("Name");
    ExpectSorted(Column(ds, "Name"), false, false);
    for (const std::string& name : added) ASSERT_TRUE(ds.Locate("Name", name, {})) << name;
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
    const std::vector<std::string> names = {"alpha",
                                            "beta gamma",
                                            "Delta zeta zeta epsilon",
                                            "zeta",
                                            "nothing",
                                            "alpha alpha alpha alpha",
                                            "gamma Delta",
                                            "epsilon epsilon epsilon beta",
                                            "epsilon epsilon epsilon epsilon"};
    for (const char* index : {"", "Name", "Name;Grp"}) {
        for (const TOstraSortOptions options : {TOstraSortOptions{}, TOstraSortOptions{osoDescendSort}}) {
            ds.SetIndexFieldNames(index);
            ds.SetSortOptions(options);
            std::vector<int> expected;
            for (const std::string& name : names) expected.push_back(firstByWalk(name));
            // Enough rounds for the search index to be made and used.
            const int rounds =
                2 + TOstraKeyIndex::SearchesBefore(ds.RecordCount(), true) / static_cast<int>(names.size());
            for (int round = 0; round < rounds; ++round) {
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
    for (int i = 0; i < 2 * TOstraKeyIndex::SearchesBefore(ds.RecordCount(), true); ++i)
        ASSERT_TRUE(ds.Locate("Grp", 7, {}));
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
    for (int i = 0; i < 2 * TOstraKeyIndex::SearchesBefore(ds.RecordCount(), true); ++i)
        ASSERT_TRUE(ds.Locate("Grp", 7, {}));
    EXPECT_EQ(first - 1, ds.RecNo());  // the edited record left group 0
    ds.Delete();
    for (int i = 0; i < 2 * TOstraKeyIndex::SearchesBefore(ds.RecordCount(), true); ++i)
        ASSERT_TRUE(ds.Locate("Grp", 7, {}));
    EXPECT_EQ(first - 1, ds.RecNo());
    EXPECT_EQ(7, ds.FieldByName("Grp")->AsInteger());
    EXPECT_FALSE(ds.Locate("Grp", 1000, {}));
}

namespace {

// The fixture's rows as a model: key, name, group, code in store order.
struct TModelRow {
    int Key;
    std::string Name;
    int Grp;
    std::string Code;
};

std::vector<TModelRow> ModelRows(TOstraDataset& ds) {
    std::vector<TModelRow> rows;
    ds.SetIndexFieldNames("");
    for (ds.First(); !ds.Eof(); ds.Next())
        rows.push_back({ds.FieldByName("Key")->AsInteger(), ds.FieldByName("Name")->AsString(),
                        ds.FieldByName("Grp")->AsInteger(), ds.FieldByName("Code")->AsString()});
    return rows;
}

int CompareModel(const TModelRow& a, const TModelRow& b, const std::string& field, bool fold) {
    auto text = [fold](const std::string& x, const std::string& y) {
        const int c = fold ? CompareText(x, y) : x.compare(y);
        return (c > 0) - (c < 0);
    };
    if (field == "Name") return text(a.Name, b.Name);
    if (field == "Code") return text(a.Code, b.Code);
    if (field == "Grp") return (a.Grp > b.Grp) - (a.Grp < b.Grp);
    return (a.Key > b.Key) - (a.Key < b.Key);
}

}  // namespace

// Sorts by a text first (with ties of one key and of several fields), by a
// short text of few values and by numbers, in every option, against a
// stable sort of the store order; and searches on the view just sorted.
TEST_F(DatasetScale, SortsAgreeWithAModel) {
    ds.Open();
    const std::vector<TModelRow> rows = ModelRows(ds);
    const std::vector<std::vector<std::string>> indexes = {
        {"Name"},        {"Name", "Grp"}, {"Name", "Code"}, {"Name", "Code", "Grp"}, {"Code"},
        {"Code", "Grp"}, {"Grp", "Name"}, {"Grp"},          {"Grp", "Code", "Name"}};
    for (const auto& fields : indexes) {
        std::string names;
        for (const std::string& f : fields) names += (names.empty() ? "" : ";") + f;
        for (const TOstraSortOptions options :
             {TOstraSortOptions{}, TOstraSortOptions{osoCaseInsensitive}, TOstraSortOptions{osoDescendSort},
              TOstraSortOptions{osoDescendSort, osoCaseInsensitive}}) {
            const bool fold = options.Contains(osoCaseInsensitive);
            const int sign = options.Contains(osoDescendSort) ? -1 : 1;
            std::vector<TModelRow> expected = rows;
            std::stable_sort(expected.begin(), expected.end(), [&](const TModelRow& a, const TModelRow& b) {
                for (const std::string& f : fields)
                    if (const int c = sign * CompareModel(a, b, f, fold)) return c < 0;
                return false;
            });
            ds.SetIndexFieldNames(names);
            ds.SetSortOptions(options);
            const std::vector<std::string> keys = Column(ds, "Key");
            ASSERT_EQ(expected.size(), keys.size());
            for (std::size_t i = 0; i < keys.size(); ++i)
                ASSERT_EQ(std::to_string(expected[i].Key), keys[i]) << names << " at " << i;
            // The first search on the fresh view finds the first of equal values.
            for (std::size_t i : {std::size_t{0}, expected.size() / 3, expected.size() - 1}) {
                const TModelRow& row = expected[i];
                std::size_t first = 0;
                while (CompareModel(expected[first], row, fields[0], false) != 0) ++first;
                const Variant value = fields[0] == "Grp"    ? Variant(row.Grp)
                                      : fields[0] == "Code" ? Variant(row.Code)
                                                            : Variant(row.Name);
                ASSERT_TRUE(ds.Locate(fields[0], value, {})) << names;
                EXPECT_EQ(static_cast<int>(first) + 1, ds.RecNo()) << names << " " << i;
            }
        }
        ds.SetSortOptions({});
    }
}

// Filters of each compiled kind against the rows.
TEST_F(DatasetScale, FiltersAgreeWithAModel) {
    ds.Open();
    const std::vector<TModelRow> rows = ModelRows(ds);
    auto lower = [](std::string s) {
        for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        return s;
    };
    struct TCase {
        const char* Filter;
        bool CaseInsensitive;
        std::function<bool(const TModelRow&)> Shows;
    };
    const std::vector<TCase> cases = {
        {"Code = 'k'", false, [](const TModelRow& r) { return r.Code == "k"; }},
        {"Code = 'K'", false, [](const TModelRow& r) { return r.Code == "K"; }},
        {"Code = 'K'", true, [](const TModelRow& r) { return r.Code == "k"; }},
        {"Code <> 'k'", false, [](const TModelRow& r) { return r.Code != "k"; }},
        {"Code <> 'K'", true, [](const TModelRow& r) { return r.Code != "k"; }},
        {"Code = ''", false, [](const TModelRow& r) { return r.Code.empty(); }},
        {"Code > 'w'", false, [](const TModelRow& r) { return r.Code > "w"; }},
        {"Grp = 7", false, [](const TModelRow& r) { return r.Grp == 7; }},
        {"Grp >= 40 AND Grp < 45", false, [](const TModelRow& r) { return r.Grp >= 40 && r.Grp < 45; }},
        {"Key <= 100", false, [](const TModelRow& r) { return r.Key <= 100; }},
        {"Name LIKE '%ta ga%'", false,
         [&](const TModelRow& r) { return lower(r.Name).find("ta ga") != std::string::npos; }},
        {"Name LIKE '%DELTA ZETA%' AND Code <> 'b'", false,
         [&](const TModelRow& r) {
             return lower(r.Name).find("delta zeta") != std::string::npos && r.Code != "b";
         }},
        {"Name LIKE '%a%'", false,
         [&](const TModelRow& r) { return lower(r.Name).find('a') != std::string::npos; }},
    };
    for (const TCase& c : cases) {
        ds.SetFiltered(false);
        ds.SetFilterOptions(c.CaseInsensitive ? TFilterOptions{foCaseInsensitive} : TFilterOptions{});
        ds.SetFilter(c.Filter);
        ds.SetFiltered(true);
        std::vector<std::string> expected;
        for (const TModelRow& r : rows)
            if (c.Shows(r)) expected.push_back(std::to_string(r.Key));
        EXPECT_EQ(expected, Column(ds, "Key")) << c.Filter;
    }
}
