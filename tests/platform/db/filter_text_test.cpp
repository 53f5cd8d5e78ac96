// The Filter text of the SQLite datasets: an SQL condition with prefix
// matches by "=" and a trailing "*", and date literals read with the format
// settings; a text that is no condition is refused and filters nothing.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "platform/core/exceptions.h"
#include "platform/core/sysutils.h"
#include "platform/db/dbtables.h"
#include "platform/db/fields.h"

namespace {

class FilterText : public ::testing::Test {
protected:
    void SetUp() override {
        Db.SetDatabaseName(":memory:");
        Db.Open();
        Db.Execute(
            "CREATE TABLE cust (id INTEGER PRIMARY KEY, name VARCHAR(20), born DATE, seen TIME);"
            "INSERT INTO cust (name, born, seen) VALUES ('bob', '1970-03-04', '08:30:00'),"
            " ('Ann', '1980-12-31', '17:05:09'), ('a*b', NULL, NULL), ('anna', '1970-03-04', NULL);");
    }
    static std::string Names(TDataSet* Ds) {
        std::string out;
        for (Ds->First(); !Ds->Eof(); Ds->Next())
            out += (out.empty() ? "" : ",") + Ds->FieldByName("name")->AsString();
        return out;
    }
    TDatabase Db{nullptr};
};

TEST_F(FilterText, TablesAndQueriesFilterByTheirText) {
    TTable table(nullptr);
    table.SetDatabaseName(":memory:");
    table.SetTableName("cust");
    TQuery live(nullptr), copy(nullptr);
    live.SetRequestLive(true);
    for (TQuery* q : {&live, &copy}) {
        q->SetDatabaseName(":memory:");
        q->SQL()->SetText("SELECT name, born, seen FROM cust ORDER BY id");
    }
    for (TDBDataSet* ds : {static_cast<TDBDataSet*>(&table), static_cast<TDBDataSet*>(&live),
                           static_cast<TDBDataSet*>(&copy)}) {
        ds->Open();
        ds->SetFilter("[name] = 'a*'");
        EXPECT_EQ("bob,Ann,a*b,anna", Names(ds));  // not Filtered yet
        ds->SetFiltered(true);
        EXPECT_EQ("a*b,anna", Names(ds));  // a prefix; the literal's own "*" is a character
        ds->SetFilter("[name] = 'a**'");
        EXPECT_EQ("a*b", Names(ds));
        ds->SetFilter("Upper([name]) = 'A*' and [name] <> 'a*b'");
        EXPECT_EQ("Ann,anna", Names(ds));
        // dates and times read with the format settings
        ds->SetFilter("[born] = '3/4/1970'");
        EXPECT_EQ("bob,anna", Names(ds));
        FormatSettings().ShortDateFormat = "dd/mm/yyyy";
        ds->SetFilter("([born] >= '1/1/1975') and ('31/12/1980' >= [born])");
        ResetFormatSettings();
        EXPECT_EQ("Ann", Names(ds));
        ds->SetFilter("[seen] < '9:0:0'");
        EXPECT_EQ("bob", Names(ds));
        // a text that is no condition: refused, the records stay
        for (const char* bad : {"[name] = 'x", "1); DELETE FROM cust; --", "[nope] = 1", "(1", "1 /* c */"}) {
            EXPECT_THROW(ds->SetFilter(bad), EDatabaseError) << bad;
            EXPECT_EQ("bob", Names(ds)) << bad;
        }
        ds->SetFiltered(false);
        EXPECT_EQ("bob,Ann,a*b,anna", Names(ds));
        ds->SetFilter("");
        ds->SetFiltered(true);
        EXPECT_EQ(4, ds->RecordCount());
        ds->Close();
    }
}

}  // namespace
