// Tables sharing one store: what one changes, the others show and search
// right away, without reading records the store has released.
#include <algorithm>
#include <map>

#include "engine/record_store.h"
#include "support/engine/table_test_fixture.h"

namespace {

class TableSharers : public TableTest {
protected:
    void SetUp() override {
        TableTest::SetUp();
        WriteTaskFile(Dir + "Ttask.d", {{"Call", "Home"}, {"Write", "Work"}, {"Read", "Home"}});
        Db = std::make_unique<TOstraDatabase>(nullptr);
        Db->SetDatabasePath(Dir);
        Source = std::make_unique<TOstraTable>(nullptr);
        Source->SetDatabase(Db.get());
        Source->SetTableName("Ttask.d");
        Clone = std::make_unique<TOstraTable>(nullptr);
        Clone->SetDatabase(Db.get());
        Clone->SetCloneDS(Source.get());
    }
    void TearDown() override {
        Clone.reset();
        Source.reset();
        Db.reset();
        TableTest::TearDown();
    }
    void Open() {
        Source->Open();
        Clone->Open();
    }
    static void Set(TOstraTable& t, const std::string& field, const std::string& value) {
        t.Edit();
        t.FieldByName(field)->SetAsString(value);
        t.Post();
    }

    std::unique_ptr<TOstraDatabase> Db;
    std::unique_ptr<TOstraTable> Source;
    std::unique_ptr<TOstraTable> Clone;
};

}  // namespace

TEST_F(TableSharers, RecordAddedByOneAndDeletedByAnotherLeavesEveryView) {
    Source->Open();
    AddTask(*Source, "Walk", "Home");  // new: the delete releases its data
    Clone->Open();
    ASSERT_TRUE(Clone->Locate("Action", Variant("Walk"), {}));
    Clone->Delete();
    EXPECT_EQ((std::vector<std::string>{"Call", "Write", "Read"}), Column(*Source, "Action"));
    EXPECT_FALSE(Source->Locate("Action", Variant("Walk"), {}));
    EXPECT_FALSE(Source->Locate("Action", Variant("walk"), {loCaseInsensitive}));
    EXPECT_TRUE(Source->Lookup("Action", Variant("Walk"), "Category").IsNull());
    Source->SetFilter("Action = 'Walk'");
    EXPECT_FALSE(Source->FindFirst());
    EXPECT_EQ(3, Source->RecordCount());
}

TEST_F(TableSharers, DeletingTheCurrentRecordOfAnotherMovesItOn) {
    Open();
    Source->Locate("Action", Variant("Write"), {});
    ASSERT_TRUE(Clone->Locate("Action", Variant("Write"), {}));
    Clone->Delete();
    EXPECT_EQ("Read", Source->FieldByName("Action")->AsString());
    EXPECT_EQ(2, Source->RecordCount());
}

TEST_F(TableSharers, SharerInEditKeepsItsEditWhenAnotherSaves) {
    Open();
    Source->First();
    Source->Edit();
    Source->FieldByName("Action")->SetAsString("Call mom");
    ASSERT_TRUE(Clone->Locate("Action", Variant("Write"), {}));
    Clone->Delete();
    Clone->Save();  // accepts the deletion: the record's data are released
    EXPECT_EQ(dsEdit, Source->State());
    EXPECT_EQ("Call mom", Source->FieldByName("Action")->AsString());
    EXPECT_FALSE(Source->Locate("Action", Variant("Write"), {}));  // posts the edit
    EXPECT_EQ((std::vector<std::string>{"Call mom", "Read"}), Column(*Source, "Action"));
    Source->Save();
    TOstraTable check(nullptr);
    check.SetTableName(Dir + "Ttask.d");
    check.Open();
    EXPECT_EQ((std::vector<std::string>{"Call mom", "Read"}), Column(check, "Action"));
}

TEST_F(TableSharers, RevertByAnotherDropsTheRecordsItTakesBack) {
    Open();
    AddTask(*Source, "Walk", "Home");
    AddTask(*Clone, "Run", "Home");
    Source->First();
    Source->Edit();
    Source->FieldByName("Category")->SetAsString("Busy");
    Clone->CancelChanges();  // both new records go; the source keeps its edit
    EXPECT_EQ(dsEdit, Source->State());
    EXPECT_EQ("Busy", Source->FieldByName("Category")->AsString());
    Source->Cancel();
    EXPECT_FALSE(Source->Locate("Action", Variant("Walk"), {}));
    EXPECT_EQ((std::vector<std::string>{"Call", "Write", "Read"}), Column(*Source, "Action"));
}

TEST_F(TableSharers, RepeatedSearchesSeeWhatAnotherPosted) {
    Open();
    // Enough searches over the same fields for a hash index.
    for (int i = 0; i < 12; ++i) ASSERT_TRUE(Source->Locate("Action", Variant(i % 2 ? "Call" : "Read"), {}));
    ASSERT_TRUE(Clone->Locate("Action", Variant("Write"), {}));
    Set(*Clone, "Action", "Wrote");
    EXPECT_TRUE(Source->Locate("Action", Variant("Wrote"), {}));
    EXPECT_FALSE(Source->Locate("Action", Variant("Write"), {}));
    EXPECT_EQ("Work", Source->Lookup("Action", Variant("Wrote"), "Category").AsString());
}

TEST_F(TableSharers, SortedSearchSeesAKeyAnotherChanged) {
    Source->SetIndexFieldNames("Action");
    Open();
    ASSERT_TRUE(Source->Locate("Action", Variant("Read"), {}));  // binary search over Call, Read, Write
    ASSERT_TRUE(Clone->Locate("Action", Variant("Call"), {}));
    Set(*Clone, "Action", "Zed");  // the source's first record now sorts last
    EXPECT_TRUE(Source->Locate("Action", Variant("Zed"), {}));
    EXPECT_TRUE(Source->Locate("Action", Variant("Write"), {}));
    EXPECT_TRUE(Source->Locate("Action", Variant("Read"), {}));
    EXPECT_FALSE(Source->Locate("Action", Variant("Call"), {}));
}

// An edit posted on a record another took out of the view brings it back
// to its place: the view stays in key order and the next insert goes to its
// place.
TEST_F(TableSharers, PostOfARecordOutOfTheViewKeepsInsertInOrder) {
    Clone->SetIndexFieldNames("Action");
    Clone->SetSortOptions({osoInsertInOrder});
    Clone->SetFilter("Category <> 'Busy'");
    Clone->SetFiltered(true);
    Open();
    ASSERT_TRUE(Clone->Locate("Action", Variant("Read"), {}));
    Clone->Edit();
    Clone->FieldByName("Action")->SetAsString("Zed");
    ASSERT_TRUE(Source->Locate("Action", Variant("Read"), {}));
    Set(*Source, "Category", "Busy");  // leaves the clone's view under its edit
    ASSERT_EQ(2, Clone->RecordCount());
    Clone->Post();
    EXPECT_TRUE(Clone->InKeyOrder());
    EXPECT_EQ((std::vector<std::string>{"Call", "Write", "Zed"}), Column(*Clone, "Action"));
    AddTask(*Clone, "Dig", "Home");
    EXPECT_EQ(2, Clone->RecNo());
    EXPECT_EQ((std::vector<std::string>{"Call", "Dig", "Write", "Zed"}), Column(*Clone, "Action"));
}

// A save whose changes move no record leaves the views as they are; one
// that does rebuilds only the views it touches.
TEST_F(TableSharers, SaveRebuildsOnlyTheViewsItChanges) {
    Source->SetIndexFieldNames("Category");
    Clone->SetIndexFieldNames("Action");
    Clone->SetFilter("Category = 'Home'");
    Clone->SetFiltered(true);
    Open();
    ASSERT_EQ((std::vector<std::string>{"Call", "Read"}), Column(*Clone, "Action"));
    const int source = Source->ViewBuilds(), clone = Clone->ViewBuilds();

    ASSERT_TRUE(Source->Locate("Action", Variant("Write"), {}));
    Set(*Source, "Notes", "no key, no filter");
    Db->SaveDatasets();
    Source->RebuildView(true);
    Clone->RebuildView(true);
    EXPECT_EQ(source, Source->ViewBuilds());
    EXPECT_EQ(clone, Clone->ViewBuilds());

    Set(*Source, "Category", "Home");  // now passes the clone's filter: shown at once
    EXPECT_EQ((std::vector<std::string>{"Call", "Read", "Write"}), Column(*Clone, "Action"));
    Db->SaveDatasets();
    EXPECT_EQ(source, Source->ViewBuilds());
    EXPECT_EQ(clone, Clone->ViewBuilds());
    EXPECT_EQ((std::vector<std::string>{"Call", "Read", "Write"}), Column(*Clone, "Action"));
    Source->RebuildView(true);  // moved within the source's own order
    EXPECT_EQ(source + 1, Source->ViewBuilds());
    EXPECT_EQ((std::vector<std::string>{"Call", "Write", "Read"}), Column(*Source, "Action"));
}

// Records a view's own posts took out of its filter stay until it is
// rebuilt; the rebuild after the save then drops only them (one ticked back
// stays) without a build, and the view goes on as a built one.
TEST_F(TableSharers, RebuildDropsWhatOwnPostsTookOutOfTheFilterWithoutABuild) {
    WriteTaskFile(Dir + "Ttask.d", {{"Call", "Home"}, {"Write", "Work"}, {"Read", "Home"}, {"Dig", "Home"}});
    Clone->SetIndexFieldNames("Action");
    Clone->SetFilter("Category = 'Home'");
    Clone->SetFiltered(true);
    Open();
    ASSERT_EQ((std::vector<std::string>{"Call", "Dig", "Read"}), Column(*Clone, "Action"));
    const int source = Source->ViewBuilds(), clone = Clone->ViewBuilds();

    ASSERT_TRUE(Clone->Locate("Action", Variant("Call"), {}));
    Set(*Clone, "Category", "Work");
    ASSERT_TRUE(Clone->Locate("Action", Variant("Read"), {}));
    Set(*Clone, "Category", "Work");
    Set(*Clone, "Category", "Home");  // back in the filter: it stays
    ASSERT_TRUE(Clone->Locate("Action", Variant("Dig"), {}));
    Set(*Clone, "Category", "Away");
    EXPECT_EQ((std::vector<std::string>{"Call", "Dig", "Read"}), Column(*Clone, "Action"));
    ASSERT_TRUE(Clone->Locate("Action", Variant("Read"), {}));

    Clone->Save();
    Clone->RebuildView(true);
    EXPECT_EQ(clone, Clone->ViewBuilds());
    EXPECT_EQ(source, Source->ViewBuilds());
    EXPECT_EQ((std::vector<std::string>{"Read"}), Column(*Clone, "Action"));
    EXPECT_EQ(1, Clone->RecordCount());
    EXPECT_EQ("Read", Clone->FieldByName("Action")->AsString());
    EXPECT_EQ((std::vector<std::string>{"Call", "Write", "Read", "Dig"}), Column(*Source, "Action"));
    EXPECT_EQ((std::vector<std::string>{"Work", "Work", "Home", "Away"}), Column(*Source, "Category"));

    // Shown again through the other table, in its place.
    ASSERT_TRUE(Source->Locate("Action", Variant("Call"), {}));
    Set(*Source, "Category", "Home");
    EXPECT_EQ((std::vector<std::string>{"Call", "Read"}), Column(*Clone, "Action"));
    Clone->RebuildView(true);
    EXPECT_EQ(clone, Clone->ViewBuilds());
    EXPECT_EQ((std::vector<std::string>{"Call", "Read"}), Column(*Clone, "Action"));
}

// A record that left the filter by its own post and was then deleted
// through the other table is gone from the view; the rebuild finds nothing
// to drop.
TEST_F(TableSharers, RecordThatLeftTheFilterAndWasDeletedElsewhereStaysGone) {
    Clone->SetIndexFieldNames("Action");
    Clone->SetFilter("Category = 'Home'");
    Clone->SetFiltered(true);
    Open();
    ASSERT_TRUE(Clone->Locate("Action", Variant("Call"), {}));
    Set(*Clone, "Category", "Work");
    ASSERT_TRUE(Source->Locate("Action", Variant("Call"), {}));
    Source->Delete();
    EXPECT_EQ((std::vector<std::string>{"Read"}), Column(*Clone, "Action"));
    Clone->RebuildView(true);
    EXPECT_EQ((std::vector<std::string>{"Read"}), Column(*Clone, "Action"));
    Source->Save();
    Clone->RebuildView(true);
    EXPECT_EQ((std::vector<std::string>{"Read"}), Column(*Clone, "Action"));
    EXPECT_EQ((std::vector<std::string>{"Write", "Read"}), Column(*Source, "Action"));
}

// A save that sorts the store changes the order of every view that follows
// it: those are built again, the others keep their views.
TEST_F(TableSharers, SortedSaveRebuildsTheViewsInStoreOrder) {
    Source->SetIndexFieldNames("Action");
    Source->SetSaveOptions(TOstraSaveOptions{savSortOnIndex});
    Open();
    ASSERT_EQ((std::vector<std::string>{"Call", "Write", "Read"}), Column(*Clone, "Action"));
    const int source = Source->ViewBuilds(), clone = Clone->ViewBuilds();
    ASSERT_TRUE(Source->Locate("Action", Variant("Write"), {}));
    Set(*Source, "Notes", "written sorted");
    Source->Save();
    // The clone shows the store's order, which the save changed.
    EXPECT_EQ((std::vector<std::string>{"Call", "Read", "Write"}), Column(*Clone, "Action"));
    EXPECT_EQ(clone + 1, Clone->ViewBuilds());
    Clone->RebuildView(true);
    EXPECT_EQ(clone + 1, Clone->ViewBuilds());
    Source->RebuildView(true);
    EXPECT_EQ(source + 1, Source->ViewBuilds());
    EXPECT_EQ((std::vector<std::string>{"Call", "Read", "Write"}), Column(*Source, "Action"));

    // Saved again in the same order: nothing is built again.
    Set(*Source, "Notes", "again");
    Source->Save();
    Source->RebuildView(true);
    Clone->RebuildView(true);
    EXPECT_EQ(source + 1, Source->ViewBuilds());
    EXPECT_EQ(clone + 1, Clone->ViewBuilds());
}

// A save runs in order: the edit in progress is posted, the store written to
// the source's file and accepted, and every table on the store settles.
// Without a file nothing is written and every change stays pending.
TEST_F(TableSharers, SaveInEditPostsWritesAndSettlesEveryTableOnTheStore) {
    Open();
    Set(*Source, "Category", "Errand");
    ASSERT_TRUE(Clone->Locate("Action", Variant("Read"), {}));
    Clone->Edit();
    Clone->FieldByName("Action")->SetAsString("Reread");
    Clone->Save();
    EXPECT_EQ(dsBrowse, Clone->State());
    EXPECT_FALSE(Clone->HasPendingChanges());
    EXPECT_FALSE(Source->HasPendingChanges());
    EXPECT_FALSE(Db->HasChanges());
    EXPECT_EQ((std::vector<std::string>{"Call", "Write", "Reread"}), ActionsIn(Dir + "Ttask.d"));
    EXPECT_EQ((std::vector<std::string>{"Call", "Write", "Reread"}), Column(*Source, "Action"));

    TOstraTable unsaved(nullptr);
    AddTaskDefs(unsaved);
    unsaved.Open();
    TOstraTable unsavedClone(nullptr);
    unsavedClone.SetCloneDS(&unsaved);
    unsavedClone.Open();
    AddTask(unsaved, "Call", "Home");
    unsavedClone.Append();
    unsavedClone.FieldByName("Action")->SetAsString("Walk");
    unsavedClone.Save();
    EXPECT_EQ(dsBrowse, unsavedClone.State());
    EXPECT_TRUE(unsavedClone.HasPendingChanges());
    EXPECT_TRUE(unsaved.HasPendingChanges());
    EXPECT_EQ((std::vector<std::string>{"Call", "Walk"}), Column(unsaved, "Action"));
    unsavedClone.Close();
}

// A filtered table's own post of a record another took out of its view
// brings the record back when it passes the filter: where a build puts it,
// found by searches, counted.
TEST_F(TableSharers, OwnPostBringsBackARecordAnotherTookOutOfTheView) {
    Clone->SetFilter("Category = 'Home'");
    Clone->SetFiltered(true);
    Open();
    ASSERT_TRUE(Clone->Locate("Action", Variant("Call"), {}));
    Clone->Edit();
    Clone->FieldByName("Action")->SetAsString("Call mom");
    ASSERT_TRUE(Source->Locate("Action", Variant("Call"), {}));
    Set(*Source, "Category", "Work");  // out of the clone's view under its edit
    ASSERT_EQ(1, Clone->RecordCount());
    Clone->Post();  // writes Home back with the rest of its buffer
    EXPECT_EQ(2, Clone->RecordCount());
    EXPECT_EQ((std::vector<std::string>{"Call mom", "Read"}), Column(*Clone, "Action"));
    EXPECT_TRUE(Clone->Locate("Action", Variant("Call mom"), {}));
    EXPECT_EQ("Home", Source->Lookup("Action", Variant("Call mom"), "Category").AsString());

    // Taken out by another's revert of an earlier change; a sorted view
    // gets it in its place.
    Source->Save();
    Clone->SetIndexFieldNames("Action");
    ASSERT_TRUE(Source->Locate("Action", Variant("Write"), {}));
    Set(*Source, "Category", "Home");  // shown by the clone
    ASSERT_TRUE(Clone->Locate("Action", Variant("Write"), {}));
    Clone->Edit();
    Clone->FieldByName("Action")->SetAsString("Awrite");
    Source->CancelChanges();  // Write is Work again: out of the view
    ASSERT_EQ(2, Clone->RecordCount());
    Clone->FieldByName("Category")->SetAsString("Home");
    Clone->Post();
    EXPECT_EQ((std::vector<std::string>{"Awrite", "Call mom", "Read"}), Column(*Clone, "Action"));
    EXPECT_TRUE(Clone->InKeyOrder());
    EXPECT_TRUE(Clone->Locate("Action", Variant("Awrite"), {}));
}

// A save that sorts the store brings every view in store order into the
// new order: the table that saved, and one with an edit open.
TEST_F(TableSharers, SortedSaveReordersTheSaverAndATableInEdit) {
    Source->SetIndexFieldNames("Action");
    Source->SetSaveOptions(TOstraSaveOptions{savSortOnIndex});
    TOstraTable other(nullptr);
    other.SetCloneDS(Source.get());
    Open();
    other.Open();
    ASSERT_TRUE(Clone->Locate("Action", Variant("Read"), {}));
    Set(*Clone, "Category", "Away");
    ASSERT_TRUE(other.Locate("Action", Variant("Call"), {}));
    other.Edit();
    other.FieldByName("Notes")->SetAsString("open");
    Clone->Save();  // through the source: sorted by Action
    EXPECT_EQ((std::vector<std::string>{"Call", "Read", "Write"}), Column(*Clone, "Action"));
    EXPECT_EQ(dsEdit, other.State());
    EXPECT_EQ("Call", other.FieldByName("Action")->AsString());
    EXPECT_EQ(1, other.RecNo());
    other.Post();
    EXPECT_EQ((std::vector<std::string>{"Call", "Read", "Write"}), Column(other, "Action"));
    EXPECT_EQ((std::vector<std::string>{"Call", "Read", "Write"}), Column(*Source, "Action"));
    other.Close();
}

// A table filtered by an OnFilterRecord handler follows the others' inserts
// and edits as one filtered by a text does.
TEST_F(TableSharers, AFilterHandlerTestsWhatOthersInsertAndChange) {
    int calls = 0;
    Clone->SetOnFilterRecord([&calls](TDataSet* d, bool& accept) {
        ++calls;
        accept = d->FieldByName("Category")->AsString() == "Home";
    });
    Clone->SetIndexFieldNames("Action");
    Clone->SetFiltered(true);
    Open();
    ASSERT_EQ((std::vector<std::string>{"Call", "Read"}), Column(*Clone, "Action"));
    const int builds = Clone->ViewBuilds();
    ASSERT_TRUE(Source->Locate("Action", Variant("Read"), {}));
    Set(*Source, "Category", "Work");  // leaves the clone's view
    EXPECT_EQ((std::vector<std::string>{"Call"}), Column(*Clone, "Action"));
    ASSERT_TRUE(Source->Locate("Action", Variant("Write"), {}));
    Set(*Source, "Category", "Home");  // joins it in its place
    EXPECT_EQ((std::vector<std::string>{"Call", "Write"}), Column(*Clone, "Action"));
    AddTask(*Source, "Bake", "Home");
    AddTask(*Source, "Mow", "Garden");
    EXPECT_EQ((std::vector<std::string>{"Bake", "Call", "Write"}), Column(*Clone, "Action"));
    EXPECT_TRUE(Clone->Locate("Action", Variant("Bake"), {}));
    EXPECT_FALSE(Clone->Locate("Action", Variant("Mow"), {}));
    EXPECT_EQ(builds, Clone->ViewBuilds());
    EXPECT_GT(calls, 0);
    // In edit, the handler sees the record tested, not the one being edited.
    ASSERT_TRUE(Clone->Locate("Action", Variant("Call"), {}));
    Clone->Edit();
    Clone->FieldByName("Category")->SetAsString("Busy");
    AddTask(*Source, "Sew", "Home");
    EXPECT_EQ(dsEdit, Clone->State());
    EXPECT_EQ("Busy", Clone->FieldByName("Category")->AsString());
    Clone->Cancel();
    EXPECT_EQ((std::vector<std::string>{"Bake", "Call", "Sew", "Write"}), Column(*Clone, "Action"));
}

// ---------------------------------------------------------------------------
// A source and three clones, each with its own filter and order, driven by
// random steps; every view and every search is checked against a plain
// model of the store and of the rules the views follow:
// - a build shows the live records that pass the filter, sorted, ties in
//   store order;
// - a dataset's own insert goes to its sorted place (insertion in order on a
//   view in key order) or to the end; its own edit stays where it is (one
//   of a record another took out of its view comes back where a build
//   would put it, when it passes the view's filter);
// - a record another inserts or changes shows at once where a build would
//   put it (a sorted view out of key order gets it at its end, or keeps it
//   where it is), or leaves a view it no longer passes;
// - a delete leaves every view; a save or accept by one rebuilds the others
//   that are not editing (the one that saves keeps its view, the one that
//   accepts rebuilds too); a save that sorts the store into a new order and
//   a revert rebuild every one, an edit in progress kept;
// - a filter handler decides as a filter text does.

namespace {

struct TModelValues {
    bool Flag = false;
    std::string Action, Category, Priority;
};

struct TModelView {
    std::vector<int> Keys;
    bool InKeyOrder = true;
};

// The texts as the case-insensitive order sees them.
std::string FoldModel(std::string s) {
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] >= 'A' && s[i] <= 'Z') s[i] = static_cast<char>(s[i] + 32);
        if (s.compare(i, 2, "\xC3\x89") == 0) s[i + 1] = '\xA9';  // É
    }
    return s;
}

int Sign(int v) { return (v > 0) - (v < 0); }

class SharerModel {
public:
    enum { S, C1, C2, C3, Count };

    // SortedSave: S is sorted by Category and saves sorted on it, which
    // changes the store's order; C1 and C3 filter by OnFilterRecord handlers.
    SharerModel(std::vector<TOstraTable*> tables, unsigned seed, bool sortedSave)
        : FSeed(seed), FSortedSave(sortedSave) {
        for (int d = 0; d < Count; ++d) FTables[d] = tables[static_cast<std::size_t>(d)];
        FRandom = seed * 2654435761u + 1;
    }

    // S: unsorted (or by Category), a filter text that is not applied
    // (FindRecord).
    // C1: Category <> 'B' without case, sorted by Action without case,
    //     insertion in order.
    // C2: Flag = 'True', sorted by Priority and Action descending.
    // C3: Priority <> '2', unsorted.
    bool Shows(int d, const TModelValues& v) const {
        if (d == C1) return v.Category != "b";
        if (d == C2) return v.Flag;
        if (d == C3) return v.Priority != "2";
        return true;
    }
    bool Sorted(int d) const { return d == C1 || d == C2 || (d == S && FSortedSave); }
    bool InsertInOrder(int d) const { return d == C1; }
    int Compare(int d, const TModelValues& a, const TModelValues& b) const {
        if (d == S) return Sign(a.Category.compare(b.Category));
        if (d == C1) return Sign(FoldModel(a.Action).compare(FoldModel(b.Action)));
        int r = Sign(a.Priority.compare(b.Priority));
        if (r == 0) r = Sign(a.Action.compare(b.Action));
        return -r;
    }

    void LoadFrom(TOstraTable& t) {
        t.First();
        while (!t.Eof()) {
            FCurrent[t.FieldByName("Key")->AsInteger()] = ValuesOf(t);
            t.Next();
        }
        const TOstraField* key = t.Cursor()->FindField("Key");
        for (const TOstraRecord* r : t.Cursor()->Records())
            FOrder.push_back(OstGet<int32_t>(r->Data() + key->Offset));
        FAccepted = FCurrent;
        for (int d = 0; d < Count; ++d) Build(d);
    }

    void Run(int steps) {
        for (FStep = 0; FStep < steps; ++FStep) {
            Step();
            Check();
            if (::testing::Test::HasFailure()) return;
        }
    }

private:
    unsigned Next(unsigned n) {
        FRandom = FRandom * 1103515245u + 12345u;
        return (FRandom >> 8) % n;
    }
    std::string Pick(std::initializer_list<const char*> list) {
        const unsigned i = Next(static_cast<unsigned>(list.size()));
        return *(list.begin() + i);
    }
    TModelValues RandomValues() {
        TModelValues v;
        v.Flag = Next(2) == 0;
        v.Action = Pick({"a", "A", "b", "ab", "Ab", "b a", "\xC3\xA9", "\xC3\x89", "\xC3\xA9t\xC3\xA9", "z"});
        v.Category = Pick({"a", "b", "c"});
        v.Priority = Pick({"1", "2", "3"});
        return v;
    }
    static TModelValues ValuesOf(TOstraTable& t) {
        TModelValues v;
        v.Flag = t.FieldByName("Flag")->AsBoolean();
        v.Action = t.FieldByName("Action")->AsString();
        v.Category = t.FieldByName("Category")->AsString();
        v.Priority = t.FieldByName("Priority")->AsString();
        return v;
    }
    static void Write(TOstraTable& t, const TModelValues& v) {
        t.FieldByName("Flag")->SetAsBoolean(v.Flag);
        t.FieldByName("Action")->SetAsString(v.Action);
        t.FieldByName("Category")->SetAsString(v.Category);
        t.FieldByName("Priority")->SetAsString(v.Priority);
    }
    std::string Where() const {
        return "seed " + std::to_string(FSeed) + " step " + std::to_string(FStep) + " after" + FTrace;
    }
    void Trace(int d, const char* what) {
        FTrace += " " + std::to_string(d) + what;
        if (FTrace.size() > 120) FTrace.erase(0, FTrace.size() - 120);
    }
    std::string FTrace;

    void Build(int d) {
        TModelView& view = FViews[d];
        view.Keys.clear();
        for (int key : FOrder)
            if (FCurrent.count(key) && Shows(d, FCurrent.at(key))) view.Keys.push_back(key);
        if (Sorted(d))
            std::stable_sort(view.Keys.begin(), view.Keys.end(),
                             [&](int a, int b) { return Compare(d, FCurrent.at(a), FCurrent.at(b)) < 0; });
        view.InKeyOrder = true;
    }
    void KeepKeyOrder(int d) {
        TModelView& view = FViews[d];
        if (!Sorted(d)) return;
        for (std::size_t i = 1; i < view.Keys.size() && view.InKeyOrder; ++i)
            view.InKeyOrder = Compare(d, FCurrent.at(view.Keys[i - 1]), FCurrent.at(view.Keys[i])) <= 0;
    }
    void DropDead(int d) {
        auto& keys = FViews[d].Keys;
        keys.erase(std::remove_if(keys.begin(), keys.end(), [&](int k) { return !FCurrent.count(k); }),
                   keys.end());
    }
    bool Editing(int d) const { return FEditing[d] != 0; }
    void SettleOthers(int actor, bool actorToo, bool reverted = false) {
        for (int d = 0; d < Count; ++d) {
            if (d == actor && !actorToo) continue;
            if (Editing(d) && !reverted)
                DropDead(d);  // an accept moves nothing
            else
                Build(d);
        }
    }
    std::size_t StoreIndex(int key) const {
        return static_cast<std::size_t>(std::find(FOrder.begin(), FOrder.end(), key) - FOrder.begin());
    }
    // Another sharer inserted or changed the record: d shows it where a
    // build would, or drops it.
    void Shared(int d, int key, const TModelValues* old) {
        TModelView& view = FViews[d];
        const TModelValues& v = FCurrent.at(key);
        const auto at = std::find(view.Keys.begin(), view.Keys.end(), key);
        const bool in = at != view.Keys.end();
        if (!Shows(d, v)) {
            if (in) view.Keys.erase(at);
            return;
        }
        const bool keyChanged = old && Sorted(d) &&
                                (d == S    ? old->Category != v.Category
                                 : d == C1 ? old->Action != v.Action
                                           : old->Action != v.Action || old->Priority != v.Priority);
        if (in && !(keyChanged && view.InKeyOrder)) return;
        if (in) view.Keys.erase(at);
        std::size_t place = view.Keys.size();
        if (!Sorted(d)) {
            place = 0;
            while (place < view.Keys.size() && StoreIndex(view.Keys[place]) < StoreIndex(key)) ++place;
        } else if (view.InKeyOrder) {
            place = 0;
            while (place < view.Keys.size() && (Compare(d, FCurrent.at(view.Keys[place]), v) < 0 ||
                                                (Compare(d, FCurrent.at(view.Keys[place]), v) == 0 &&
                                                 StoreIndex(view.Keys[place]) < StoreIndex(key))))
                ++place;
        }
        view.Keys.insert(view.Keys.begin() + static_cast<std::ptrdiff_t>(place), key);
    }
    void SharedByOthers(int actor, int key, const TModelValues* old) {
        for (int d = 0; d < Count; ++d)
            if (d != actor) Shared(d, key, old);
    }

    void Step() {
        const int d = static_cast<int>(Next(Count));
        TOstraTable& t = *FTables[d];
        if (Editing(d)) {
            Trace(d, "fin");
            FinishEdit(d);
            return;
        }
        const unsigned op = Next(100);
        auto& keys = FViews[d].Keys;
        Trace(d, op < 20   ? "ins"
                 : op < 40 ? "edit"
                 : op < 50 ? "del"
                 : op < 56 ? "begin"
                 : op < 57 ? "save"
                 : op < 60 ? "revert"
                 : op < 65 ? "commit"
                 : op < 70 ? "rebuild"
                           : "search");
        if (op < 20) {
            const TModelValues v = RandomValues();
            t.Append();
            Write(t, v);
            t.Post();
            const int key = t.FieldByName("Key")->AsInteger();
            FOrder.push_back(key);
            FCurrent[key] = v;
            TModelView& view = FViews[d];
            if (Sorted(d) && InsertInOrder(d) && view.InKeyOrder) {
                std::size_t i = 0;
                while (i < view.Keys.size() && Compare(d, FCurrent.at(view.Keys[i]), v) < 0) ++i;
                view.Keys.insert(view.Keys.begin() + static_cast<std::ptrdiff_t>(i), key);
            } else {
                view.Keys.push_back(key);
                KeepKeyOrder(d);
            }
            SharedByOthers(d, key, nullptr);
        } else if (op < 40 && !keys.empty()) {
            const int key = MoveTo(d, Next(static_cast<unsigned>(keys.size())));
            const TModelValues v = RandomValues();
            t.Edit();
            Write(t, v);
            if (Next(4) == 0) {
                t.Cancel();
            } else {
                t.Post();
                const TModelValues old = FCurrent[key];
                FCurrent[key] = v;
                KeepKeyOrder(d);
                SharedByOthers(d, key, &old);
            }
        } else if (op < 50 && !keys.empty()) {
            const int key = MoveTo(d, Next(static_cast<unsigned>(keys.size())));
            t.Delete();
            FCurrent.erase(key);
            for (int o = 0; o < Count; ++o) DropDead(o);
        } else if (op < 56 && !keys.empty()) {
            FEditing[d] = MoveTo(d, Next(static_cast<unsigned>(keys.size())));
            FEditValues[d] = RandomValues();
            t.Edit();
            Write(t, FEditValues[d]);
        } else if (op < 57) {  // rarely: each save writes the file
            if (!t.HasPendingChanges()) return;
            t.Save();
            FAccepted = FCurrent;
            if (SortStore()) {
                // A new store order: every view is built again, edits kept.
                for (int o = 0; o < Count; ++o) Build(o);
                return;
            }
            SettleOthers(d, false);
        } else if (op < 60) {
            if (!t.HasPendingChanges()) return;
            t.CancelChanges();
            FCurrent = FAccepted;
            SettleOthers(d, true, true);
        } else if (op < 65) {
            if (!t.HasPendingChanges()) return;
            t.CommitChanges();
            FAccepted = FCurrent;
            SettleOthers(d, true);
        } else if (op < 70) {
            // As the program does after its saves: built again only when
            // that would change the view, which the check below tells.
            t.RebuildView(true);
            Build(d);
        } else {
            Search(d);
        }
    }

    // A sorted save: the live records by S's order (ties as they were), the
    // others after them. Answers whether the order changed.
    bool SortStore() {
        if (!FSortedSave) return false;
        std::vector<int> order = FOrder;
        const auto dead = std::stable_partition(order.begin(), order.end(),
                                                [&](int key) { return FCurrent.count(key) != 0; });
        std::stable_sort(order.begin(), dead,
                         [&](int a, int b) { return Compare(S, FCurrent.at(a), FCurrent.at(b)) < 0; });
        if (order == FOrder) return false;
        FOrder = std::move(order);
        return true;
    }

    // Moves d to view position i; answers the record's key.
    int MoveTo(int d, unsigned i) {
        TOstraTable& t = *FTables[d];
        t.SetRecNo(static_cast<int>(i) + 1);
        const int key = FViews[d].Keys[i];
        EXPECT_EQ(key, t.FieldByName("Key")->AsInteger()) << Where();
        return key;
    }

    void FinishEdit(int d) {
        TOstraTable& t = *FTables[d];
        const int key = FEditing[d];
        FEditing[d] = 0;
        if (Next(3) == 0) {
            t.Cancel();
            return;
        }
        if (!FCurrent.count(key)) {
            // Another took the record away meanwhile.
            EXPECT_THROW(t.Post(), EDatabaseError) << Where();
            t.Cancel();
            return;
        }
        t.Post();
        const TModelValues old = FCurrent[key];
        FCurrent[key] = FEditValues[d];
        const auto& own = FViews[d].Keys;
        if (std::find(own.begin(), own.end(), key) == own.end())
            Shared(d, key, &old);  // taken out meanwhile: back where a build puts it
        else
            KeepKeyOrder(d);
        SharedByOthers(d, key, &old);
    }

    void Search(int d) {
        TOstraTable& t = *FTables[d];
        const std::vector<int>& keys = FViews[d].Keys;
        const TModelValues v = RandomValues();
        auto first = [&](auto match) {
            for (int k : keys)
                if (match(FCurrent.at(k))) return k;
            return 0;
        };
        int expected = 0;
        bool found = false;
        switch (Next(6)) {
        case 0:
        case 1:  // exact, many times in a row: the hash index and the binary search
            expected = first([&](const TModelValues& r) { return r.Action == v.Action; });
            found = t.Locate("Action", Variant(v.Action), {});
            break;
        case 2:
            expected =
                first([&](const TModelValues& r) { return FoldModel(r.Action) == FoldModel(v.Action); });
            found = t.Locate("Action", Variant(v.Action), {loCaseInsensitive});
            break;
        case 3:
            expected = first(
                [&](const TModelValues& r) { return r.Priority == v.Priority && r.Action == v.Action; });
            found = t.Locate("Priority;Action", VarArrayOf({Variant(v.Priority), Variant(v.Action)}), {});
            break;
        case 4: {
            expected = first([&](const TModelValues& r) { return r.Priority == v.Priority; });
            const Variant value = t.Lookup("Priority", Variant(v.Priority), "Key");
            EXPECT_EQ(expected, value.IsNull() ? 0 : value.AsInteger()) << Where() << " Lookup";
            return;
        }
        default: {
            if (d != S) return;
            expected = first([&](const TModelValues& r) { return r.Flag; });
            found = t.FindFirst();
            break;
        }
        }
        EXPECT_EQ(expected != 0, found) << Where() << " search in " << d << " for " << v.Action;
        if (found && expected) {
            EXPECT_EQ(expected, t.FieldByName("Key")->AsInteger()) << Where();
        }
    }

    std::string Dump(int d) const {
        std::string out;
        for (int k : FViews[d].Keys)
            out += " " + std::to_string(k) + ":" + FCurrent.at(k).Action + "/" + FCurrent.at(k).Category;
        return out + (FViews[d].InKeyOrder ? " ordered" : " unordered");
    }
    void Check() {
        for (int d = 0; d < Count; ++d) {
            TOstraTable& t = *FTables[d];
            EXPECT_EQ(static_cast<int>(FViews[d].Keys.size()), t.RecordCount()) << Where() << " view " << d;
            if (Sorted(d)) {
                EXPECT_EQ(FViews[d].InKeyOrder, t.InKeyOrder()) << Where() << " view " << d;
            }
            // The view itself every step; through the dataset's moves now and then.
            std::vector<int> keys;
            const TOstraField* key = t.Cursor()->FindField("Key");
            for (int i = 0; i < t.RecordCount(); ++i)
                keys.push_back(OstGet<int32_t>(t.ViewRecord(i)->Data() + key->Offset));
            EXPECT_EQ(FViews[d].Keys, keys) << Where() << " view " << d << Dump(d);
            // The walk through the dataset's own moves, every step.
            if (Editing(d)) continue;
            keys.clear();
            t.First();
            while (!t.Eof()) {
                keys.push_back(t.FieldByName("Key")->AsInteger());
                t.Next();
            }
            EXPECT_EQ(FViews[d].Keys, keys) << Where() << " view " << d;
        }
    }

    TOstraTable* FTables[Count];
    unsigned FSeed, FRandom;
    bool FSortedSave;
    int FStep = 0;
    std::vector<int> FOrder;  // store order of every record ever added
    std::map<int, TModelValues> FCurrent, FAccepted;
    TModelView FViews[Count];
    int FEditing[Count] = {};
    TModelValues FEditValues[Count];
};

}  // namespace

namespace {

// The sharers' model run: 1000 steps from each seed.
void RunSharerModel(TOstraTable& source, TOstraTable& clone, unsigned seed, bool sortedSave) {
    TOstraTable clone2(nullptr), clone3(nullptr);
    source.SetFilter("Flag = 'True'");
    source.SetIndexFieldNames(sortedSave ? "Category" : "");
    source.SetSaveOptions(sortedSave ? TOstraSaveOptions{savSortOnIndex} : TOstraSaveOptions{});
    clone.SetFilter(sortedSave ? "" : "Category <> 'B'");
    clone.SetFilterOptions({foCaseInsensitive});
    clone.SetOnFilterRecord(sortedSave ? TFilterRecordEvent([](TDataSet* d, bool& accept) {
        accept = !SameText(d->FieldByName("Category")->AsString(), "B");
    })
                                       : TFilterRecordEvent());
    clone.SetFiltered(true);
    clone.SetIndexFieldNames("Action");
    clone.SetSortOptions({osoCaseInsensitive, osoInsertInOrder});
    clone2.SetCloneDS(&source);
    clone2.SetFilter("Flag = 'True'");
    clone2.SetFiltered(true);
    clone2.SetIndexFieldNames("Priority;Action");
    clone2.SetSortOptions({osoDescendSort});
    clone3.SetCloneDS(&clone);  // a clone of a clone
    if (sortedSave)
        clone3.SetOnFilterRecord(
            [](TDataSet* d, bool& accept) { accept = d->FieldByName("Priority")->AsString() != "2"; });
    else
        clone3.SetFilter("Priority <> '2'");
    clone3.SetFiltered(true);
    source.Open();
    clone.Open();
    clone2.Open();
    clone3.Open();
    SharerModel model({&source, &clone, &clone2, &clone3}, seed, sortedSave);
    model.LoadFrom(source);
    model.Run(1000);
    clone3.Close();
    clone2.Close();
    clone.Close();
    source.Close();
}

}  // namespace

TEST_F(TableSharers, RandomStepsOnASourceAndItsClonesMatchTheModel) {
    // 6, 13 and 46 once found an edit of a record outside a view losing
    // that view's key order; 9, 27 and 84 a record another took out of a
    // view not coming back with that view's own post.
    for (unsigned seed : {1u, 2u, 3u, 4u, 6u, 9u, 13u, 27u, 46u, 84u}) {
        WriteTaskFile(Dir + "Ttask.d", {{"a", "a"}, {"b", "b"}, {"Ab", "c"}, {"\xC3\xA9", "a"}});
        RunSharerModel(*Source, *Clone, seed, false);
        if (HasFailure()) return;
    }
}

// The same steps with a save that sorts the store and filters by handlers.
// Each seed once found handler views missing the others' changes; 64 and 67
// soonest, views that kept the old store order after a sorted save.
TEST_F(TableSharers, RandomStepsWithSortedSavesAndFilterHandlersMatchTheModel) {
    for (unsigned seed : {1u, 2u, 3u, 4u, 64u, 67u}) {
        WriteTaskFile(Dir + "Ttask.d", {{"a", "a"}, {"b", "b"}, {"Ab", "c"}, {"\xC3\xA9", "a"}});
        RunSharerModel(*Source, *Clone, seed, true);
        if (HasFailure()) return;
    }
}
