// The filter form's record road and the locate search over a suite table on
// an SQLite file: what SQLite can answer it answers, the rest is the record
// test's; the rows agree with the record test alone, with SQLite's own count
// on the same file and, for texts without case, with the engine's fold.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "engine/ostra_table.h"
#include "platform/db/datasource.h"
#include "platform/db/dbtables.h"
#include "platform/db/fielddefs.h"
#include "platform/db/fields.h"
#include "platform/ui/controls.h"
#include "platform/ui/forms.h"
#include "platform/ui/testing.h"
#include "suite/base/qzrecordsearch.h"
#include "suite/data/qzdbtables.h"
#include "suite/data/qzfilterdialog.h"
#include "support/environment.h"
#include "support/suite/data/filter_criteria.h"

namespace {

// Names in mixed case and scripts, a few empty or null.
const char* const Stems[] = {"Ωmega", "ωMEGA", "omega", "Ապրիլ", "ապՐԻԼ", "ႠႡi", "ⴀⴁo",  "Kalle",
                             "kALLE", "abab",  "xab",   "Émile", "émILE", "",    "Zorro"};
const char* const Cities[] = {"Oslo", "OSLO", "Bern", "Ωslo", "ωSLO", "Rome"};

class DatabaseRoads : public ::testing::Test {
protected:
    void SetUp() override {
        Path = Env.Path("people.db");
        TDatabase maker(nullptr);
        maker.SetDatabaseName(Path);
        maker.Execute(
            "CREATE TABLE p (id INTEGER PRIMARY KEY, name VARCHAR(30), city VARCHAR(20), qty INTEGER,"
            " notes TEXT);");
        TFieldDefs* d = Engine.FieldDefs();
        d->Add("id", ftInteger);
        d->Add("name", ftString, 60);
        d->Add("city", ftString, 40);
        d->Add("qty", ftInteger);
        Engine.Open();
        std::string insert;
        uint32_t seed = 7;
        auto next = [&seed](uint32_t n) {
            seed = seed * 1103515245u + 12345u;
            return (seed >> 16) % n;
        };
        for (int id = 1; id <= Rows; ++id) {
            const std::string stem = Stems[next(std::size(Stems))];
            const std::string name =
                next(9) == 0 ? std::string() : stem + (next(2) ? "" : " " + std::to_string(id));
            const bool nullName = next(17) == 0;
            const std::string city = Cities[next(std::size(Cities))];
            const int qty = static_cast<int>(next(40));
            const bool nullQty = next(13) == 0;
            const std::string notes = next(5) == 0 ? "{\\rtf1 {\\b bold} Ωmega note}" : "plain " + stem;
            insert += "INSERT INTO p VALUES (" + std::to_string(id) + ", " +
                      (nullName ? std::string("NULL") : "'" + name + "'") + ", '" + city + "', " +
                      (nullQty ? std::string("NULL") : std::to_string(qty)) + ", '" + notes + "');";
            Engine.AppendRecord({Variant(id), nullName ? Variant() : Variant(name), Variant(city),
                                 nullQty ? Variant() : Variant(qty)});
        }
        maker.Execute("BEGIN;" + insert + "COMMIT;");
        maker.Close();
        sqlite3_open(Path.c_str(), &Plain);
        Table = new TqzTable(&Form);
        Table->SetDatabaseName(Path);
        Table->SetTableName("p");
        Table->Open();
        Src.SetDataSet(Table);
        Dialog = new TqzFilterDialog(&Form);
        Dialog->SetDataSource(&Src);
    }
    void TearDown() override { sqlite3_close(Plain); }

    // SQLite's own count of the rows that meet Where, on a connection of its own.
    int PlainCount(const std::string& Where) {
        sqlite3_stmt* st = nullptr;
        int n = -1;
        if (sqlite3_prepare_v2(Plain, ("SELECT count(*) FROM p WHERE " + Where).c_str(), -1, &st, nullptr) ==
                SQLITE_OK &&
            sqlite3_step(st) == SQLITE_ROW)
            n = sqlite3_column_int(st, 0);
        sqlite3_finalize(st);
        return n;
    }
    static std::vector<int> Ids(TDataSet& Ds) {
        std::vector<int> out;
        for (Ds.First(); !Ds.Eof(); Ds.Next()) out.push_back(Ds.FieldByName("id")->AsInteger());
        std::sort(out.begin(), out.end());
        return out;
    }
    // The rows the criteria leave, through the dialog's record road.
    std::vector<int> Filtered(const TqzFieldInfoList& Criteria, bool RecordTestAlone = false) {
        Dialog->Criteria() = Criteria;
        // with the event every record reaches the record test
        Dialog->SetOnAcceptFilterRecord(
            RecordTestAlone ? TqzAcceptFilterRecordEvent([](TObject*, TDataSet*, bool&, bool&) {})
                            : TqzAcceptFilterRecordEvent());
        EXPECT_TRUE(Dialog->ApplyFilter());
        return Ids(*Table);
    }

    static constexpr int Rows = 600;
    TTestEnvironment Env;
    std::string Path;
    sqlite3* Plain = nullptr;
    TForm Form{nullptr};
    TOstraTable Engine{&Form};
    TqzTable* Table = nullptr;
    TDataSource Src{&Form};
    TqzFilterDialog* Dialog = nullptr;
    TTestDialogs Dialogs;
};

TEST_F(DatabaseRoads, FilterFormCriteriaAgreeWithSqliteAndTheRecordTest) {
    const std::vector<TqzFieldInfoList> cases = {
        {Crit("name", fdMatchStart, "Ka", true), Crit("city", fdMatchAny, "sl", true),
         Range("qty", "10", "20")},
        {Crit("name", fdMatchStart, "ka"), Crit("city", fdMatchAny, "SL"), Range("qty", "", "5")},
        {Crit("name", fdMatchEnd, "ab")},
        {Crit("name", fdMatchExact, "xab or null")},
        {Crit("name", fdMatchAny, "mega and ω")},
        {[] {
            TqzFieldInfo i = Crit("name", fdMatchStart, "k or é");
            i.NonMatching = true;
            return i;
        }()},
        {Range("name", "b", "l"), Range("city", "O", "")},
        {Crit("notes", fdMatchAny, "bold"), Crit("qty", fdMatchExact, "7")},
    };
    for (size_t i = 0; i < cases.size(); ++i) {
        const std::vector<int> alone = Filtered(cases[i], true);
        Dialog->SetOnAcceptFilterRecord(TqzAcceptFilterRecordEvent());
        Dialog->Criteria() = cases[i];
        const long reads = Table->RowReads();
        EXPECT_TRUE(Dialog->ApplyFilter());
        // SQLite answered: the records read are those the grid buffers show
        if (i < 7) {
            EXPECT_LT(Table->RowReads() - reads, 20) << "case " << i;
        }
        EXPECT_EQ(alone, Ids(*Table)) << "case " << i;
    }
    // SQLite's own count for the conditions it can write itself.
    EXPECT_EQ(PlainCount("name GLOB 'Ka*' AND city GLOB '*sl*' AND qty BETWEEN 10 AND 20"),
              static_cast<int>(Filtered(cases[0]).size()));
    EXPECT_EQ(PlainCount("(name GLOB 'xab' OR coalesce(name, '') = '')"),
              static_cast<int>(Filtered(cases[3]).size()));
    TqzFieldInfo byName = Range("name", "b", "l"), byCity = Range("city", "O", "");
    byName.CaseSensitive = byCity.CaseSensitive = true;
    // the upper bound padded to the field's width
    EXPECT_EQ(PlainCount("name >= 'b' AND name <= 'l" + std::string(29, 'z') + "' AND city >= 'O'"),
              static_cast<int>(Filtered({byName, byCity}).size()));
    // The busy cursor shows while the dialog filters.
    std::vector<int> cursors;
    Dialog->Criteria() = cases[1];
    Table->SetAfterScroll(TDataSetNotifyEvent([&](TDataSet*) { cursors.push_back(Screen->Cursor()); }));
    EXPECT_TRUE(Dialog->ApplyFilter());
    ASSERT_FALSE(cursors.empty());
    for (int c : cursors) EXPECT_EQ(crHourGlass, c);
    EXPECT_NE(crHourGlass, Screen->Cursor());
    Table->SetAfterScroll(TDataSetNotifyEvent());
    // Clearing takes SQLite's part back.
    Dialog->Criteria().clear();
    EXPECT_TRUE(Dialog->ApplyFilter());
    EXPECT_EQ(Rows, Table->RecordCount());
}

TEST_F(DatabaseRoads, FilterWithoutCaseFoldsEveryLetterAsTheEngineDoes) {
    Engine.SetFilterOptions({foCaseInsensitive});
    Engine.SetFiltered(true);
    for (const char* start : {"ωMEGA", "ԱՊՐ", "ⴀⴁ", "ÉMI"}) {
        Engine.SetFilter(std::string("name LIKE '") + start + "%'");
        const std::vector<int> oracle = Ids(Engine);
        ASSERT_FALSE(oracle.empty()) << start;
        EXPECT_EQ(oracle, Filtered({Crit("name", fdMatchStart, start)})) << start;
        EXPECT_EQ(oracle, Filtered({Crit("name", fdMatchStart, start)}, true)) << start;
    }
}

TEST_F(DatabaseRoads, FilterTextRoadUpperCasesEveryLetterAsTheFoldDoes) {
    TqzFilterPropertyOptions* o = Dialog->FilterPropertyOptions();
    o->DatasetFilterType = fdUseFilterProp;
    o->UseLikeOperator = true;
    o->LikeSupportsUpperKeyword = true;
    Engine.SetFilterOptions({foCaseInsensitive});
    Engine.SetFiltered(true);
    for (const char* start : {"ապՐ", "ⴀႡ", "ωMEGA"}) {
        Engine.SetFilter(std::string("name LIKE '") + start + "%'");
        const std::vector<int> oracle = Ids(Engine);
        ASSERT_FALSE(oracle.empty()) << start;
        Dialog->Criteria() = {Crit("name", fdMatchStart, start)};
        ASSERT_TRUE(Dialog->ApplyFilter()) << start;
        EXPECT_NE(std::string::npos, Table->Filter().find("Upper(")) << Table->Filter();
        EXPECT_EQ(oracle, Ids(*Table)) << start;
    }
}

TEST_F(DatabaseRoads, LocateFindsTheLastRowOrNoneAndShowsTheBusyCursor) {
    std::vector<int> cursors;
    Table->SetAfterScroll(TDataSetNotifyEvent([&](TDataSet*) { cursors.push_back(Screen->Cursor()); }));
    Table->First();
    Table->Edit();
    Table->FieldByName("name")->SetAsString("Ωmega at the start");
    Table->Post();
    Table->Last();
    Table->Edit();
    Table->FieldByName("name")->SetAsString("ΩMEGA AT THE END");
    Table->Post();
    Table->First();
    cursors.clear();
    // from the first record on, the first row matches itself; Next finds the last
    ASSERT_TRUE(qzFindRecordByValue(true, Table, "name", "ωmega at", mtPartialMatchStart, false, false));
    EXPECT_EQ(1, Table->FieldByName("id")->AsInteger());
    ASSERT_TRUE(qzFindRecordByValue(false, Table, "name", "ωmega at", mtPartialMatchStart, false, false));
    EXPECT_EQ(Rows, Table->FieldByName("id")->AsInteger());
    ASSERT_FALSE(cursors.empty());
    for (int c : cursors) EXPECT_EQ(crHourGlass, c);
    EXPECT_NE(crHourGlass, Screen->Cursor());
    // nothing more: back where it was
    EXPECT_FALSE(qzFindRecordByValue(false, Table, "name", "ωmega at", mtPartialMatchStart, false, false));
    EXPECT_EQ(Rows, Table->FieldByName("id")->AsInteger());
    EXPECT_FALSE(qzFindRecordByValue(true, Table, "name", "ωmega at", mtExactMatch, false, false));
    EXPECT_TRUE(qzFindRecordByValue(true, Table, "name", "the end", mtPartialMatchAny, false, false));
    EXPECT_EQ(Rows, Table->FieldByName("id")->AsInteger());
    EXPECT_FALSE(qzFindRecordByValue(true, Table, "name", "the end", mtPartialMatchAny, true, false));
    // a memo holding rich text is searched by its plain text
    Table->First();
    ASSERT_TRUE(qzFindRecordByValue(true, Table, "notes", "BOLD", mtPartialMatchAny, false, false));
    EXPECT_EQ("{\\rtf1 {\\b bold} Ωmega note}", Table->FieldByName("notes")->AsString());
    const int firstRich = Table->FieldByName("id")->AsInteger();
    EXPECT_EQ(PlainCount("notes GLOB '{*' AND id < " + std::to_string(firstRich)), 0);
    // an empty value finds only an empty text, exactly
    ASSERT_TRUE(qzFindRecordByValue(true, Table, "name", "", mtExactMatch, false, false));
    EXPECT_EQ("", Table->FieldByName("name")->AsString());
    EXPECT_FALSE(qzFindRecordByValue(true, Table, "name", "", mtPartialMatchStart, false, false));
}

}  // namespace
