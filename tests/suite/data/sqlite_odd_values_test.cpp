// A suite table over an SQLite file whose columns hold what SQLite allows
// beyond their declared types: integers past 32 bits, an infinite real,
// texts in number columns. The values show as stored and the filter form
// tests them without failing on the record it cannot read.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <string>
#include <vector>

#include "platform/db/datasource.h"
#include "platform/db/dbtables.h"
#include "platform/db/fields.h"
#include "platform/ui/forms.h"
#include "platform/ui/testing.h"
#include "suite/data/qzdbtables.h"
#include "suite/data/qzfilterdialog.h"
#include "support/environment.h"
#include "support/suite/data/filter_criteria.h"

namespace {

class SqliteOddValues : public ::testing::Test {
protected:
    void SetUp() override {
        Path = Env.Path("odd.db");
        TDatabase maker(nullptr);
        maker.SetDatabaseName(Path);
        maker.Execute(
            "CREATE TABLE m (id INTEGER PRIMARY KEY, name VARCHAR(10), amount REAL, big INTEGER,"
            " small SMALLINT, done BOOLEAN, day DATE, price NUMERIC, pieces INTEGER);"
            "INSERT INTO m VALUES (1, 'plain', 12.5, 7, 3, 1, '2001-01-01', 9.5, 2),"
            " (2, 'huge', 1e400, 5000000000, 70000, 0, '0001-01-01', 'n/a', 'many'),"
            " (3, 'lowest', -1e400, -9223372036854775808, -40000, 1, '0099-12-31', 0, 0),"
            " (4, 'none', NULL, NULL, NULL, NULL, NULL, NULL, NULL),"
            " (5, 'highest', 12.5, 9223372036854775807, 32767, 0, '1999-12-31', x'00', x'01');");
        maker.Close();
        Table = new TqzTable(&Form);
        Table->SetDatabaseName(Path);
        Table->SetTableName("m");
        Table->Open();
        Src.SetDataSet(Table);
        Dialog = new TqzFilterDialog(&Form);
        Dialog->SetDataSource(&Src);
    }
    std::string Column(const std::string& Field) {
        std::string out;
        for (Table->First(); !Table->Eof(); Table->Next())
            out += (out.empty() ? "" : ",") + Table->FieldByName(Field)->DisplayText();
        return out;
    }
    std::string Filtered(const TqzFieldInfoList& Criteria) {
        Dialog->Criteria() = Criteria;
        EXPECT_TRUE(Dialog->ApplyFilter());
        return Column("name");
    }

    TTestEnvironment Env;
    std::string Path;
    TForm Form{nullptr};
    TqzTable* Table = nullptr;
    TDataSource Src{&Form};
    TqzFilterDialog* Dialog = nullptr;
    TTestDialogs Dialogs;
};

TEST_F(SqliteOddValues, AnInfiniteRealIsNoMatchAndStopsNoFilter) {
    EXPECT_EQ(Filtered({Crit("amount", fdMatchExact, "12.5")}), "plain,highest");
    EXPECT_EQ(Filtered({Crit("amount", fdMatchExact, "12.5 or null")}), "plain,none,highest");
    EXPECT_EQ(Filtered({Range("amount", "12", "")}), "plain,huge,highest");
    // a value the user types that is no number is still refused
    Dialog->Criteria() = {Crit("amount", fdMatchExact, "twelve")};
    EXPECT_THROW(Dialog->ApplyFilter(), EConvertError);
}

TEST_F(SqliteOddValues, WholeNumbersPastTheDeclaredWidthShowAsStoredAndFilter) {
    EXPECT_EQ(Column("big"), "7,5000000000,-9223372036854775808,,9223372036854775807");
    EXPECT_EQ(Column("small"), "3,70000,-40000,,32767");
    EXPECT_EQ(Filtered({Range("big", "4000000000", "")}), "huge,highest");
    EXPECT_EQ(Filtered({Crit("big", fdMatchExact, "5000000000")}), "huge");
    EXPECT_EQ(Filtered({Range("small", "", "-1")}), "lowest");
    Dialog->ClearFilter();
    Table->SetFiltered(false);
    // an edit of another field leaves the huge value as it is
    Table->First();
    Table->Next();
    Table->Edit();
    Table->FieldByName("name")->SetAsString("edited");
    Table->Post();
    TQuery query(nullptr);
    query.SetDatabaseName(Path);
    query.SQL()->SetText("SELECT big, name FROM m WHERE id = 2");
    query.Open();
    EXPECT_EQ(query.FieldByName("big")->DataType(), ftLargeint);
    EXPECT_EQ(query.FieldByName("big")->AsString(), "5000000000");
    EXPECT_EQ(query.FieldByName("name")->AsString(), "edited");
    // a column whose values fit keeps its type
    EXPECT_EQ(Table->FieldByName("id")->DataType(), ftAutoInc);
}

TEST_F(SqliteOddValues, ABooleanCriterionSelectsTheSameOnBothRoads) {
    // the record test, then the Filter text SQLite reads
    EXPECT_EQ(Filtered({Crit("done", fdMatchExact, "true")}), "plain,lowest");
    Dialog->FilterPropertyOptions()->DatasetFilterType = fdUseFilterProp;
    EXPECT_EQ(Filtered({Crit("done", fdMatchExact, "True")}), "plain,lowest");
    EXPECT_EQ(Filtered({Crit("done", fdMatchExact, "false")}), "huge,highest");
    EXPECT_EQ(Filtered({Crit("done", fdMatchExact, "True or null")}), "plain,lowest,none");
}

TEST_F(SqliteOddValues, DatesOfTheFirstCenturySelectTheSameOnBothRoads) {
    const TqzFieldInfoList early = {Range("day", "01/01/0001", "12/31/0099")};
    const TqzFieldInfoList year1 = {Crit("day", fdMatchExact, "1/1/0001")};
    EXPECT_EQ(Filtered(early), "huge,lowest");
    EXPECT_EQ(Filtered(year1), "huge");
    // the Filter text keeps the year's century: not read back as 2001 or 1999
    Dialog->FilterPropertyOptions()->DatasetFilterType = fdUseFilterProp;
    EXPECT_EQ(Filtered(early), "huge,lowest");
    EXPECT_EQ(Filtered(year1), "huge");
    EXPECT_EQ(Filtered({Crit("day", fdMatchExact, "1/1/2001")}), "plain");
}

TEST_F(SqliteOddValues, ATextInANumberColumnShowsEmptyAndStays) {
    // no number is shown for what holds none, as a date column's text shows empty
    EXPECT_EQ(Column("price"), "9.5,,0,,");
    EXPECT_EQ(Column("pieces"), "2,,0,,");
    EXPECT_EQ(Filtered({Crit("price", fdMatchExact, "0")}), "lowest");
    EXPECT_EQ(Filtered({Crit("pieces", fdMatchExact, "0")}), "lowest");
    Dialog->ClearFilter();
    Table->SetFiltered(false);
    Table->First();
    Table->Next();
    Table->Edit();
    Table->FieldByName("name")->SetAsString("kept");
    Table->Post();
    TQuery query(nullptr);
    query.SetDatabaseName(Path);
    query.SQL()->SetText("SELECT price || '|' || pieces AS both FROM m WHERE id = 2");
    query.Open();
    EXPECT_EQ(query.FieldByName("both")->AsString(), "n/a|many");
}

}  // namespace
