// The filter dialog's text roads over SQLite: the SQL road rewrites a
// query's WHERE clause and must select what the record filter selects; the
// Filter-text road sets a table's Filter.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "platform/core/files.h"
#include "platform/core/properties.h"
#include "platform/core/sysutils.h"
#include "platform/db/datasource.h"
#include "platform/db/dbtables.h"
#include "platform/db/fields.h"
#include "platform/db/params.h"
#include "platform/ui/forms.h"
#include "platform/ui/stdctrls.h"
#include "platform/ui/testing.h"
#include "suite/data/qzdbtables.h"
#include "suite/data/qzfilterdialog.h"
#include "suite/data/qzfilterdlg.h"
#include "suite/data/qzfiltertext.h"
#include "suite/edit/qzdbedit.h"
#include "support/suite/data/filter_criteria.h"

namespace {

const char* const kAll = "SELECT id, name, qty, city, born, price FROM cust";

class FilterRoadsTest : public ::testing::Test {
protected:
    void SetUp() override {
        Db.SetDatabaseName(":memory:");
        Db.Open();
        Db.Execute(
            "CREATE TABLE cust (id INTEGER PRIMARY KEY, name VARCHAR(20), qty INTEGER, city VARCHAR(10),"
            " born DATE, price FLOAT);"
            "INSERT INTO cust VALUES (1, 'bob', 5, 'Oslo', '2001-02-03', 1.5),"
            " (2, 'Ann', 12, 'Rome', '1999-12-31', 2.25), (3, 'carl', 7, 'Oslo', '2001-02-04', 10),"
            " (4, 'anna', 3, NULL, '2010-07-01', 0.5), (5, '5%off', 9, 'Bern', NULL, 3),"
            " (6, 'x_y', 1, 'Bern', '2001-01-01', 4), (7, 'xzy', 2, 'Rome', '2002-02-02', 5),"
            " (8, 'abcdefghijklmnopqrs''', 4, 'Oslo', '2003-03-03', 6);");
        Query = new TqzQuery(&Form);
        Query->SetDatabaseName(":memory:");
        Src.SetDataSet(Query);
        D = new TqzFilterDialog(&Form);
        D->SetDataSource(&Src);
    }
    void SetSQL(const std::string& Text) {
        Query->Close();
        Query->SQL()->SetText(Text);
    }
    // The values of the first column of the records shown, sorted.
    static std::string Ids(TDataSet* Ds) {
        std::vector<std::string> ids;
        Ds->First();
        while (!Ds->Eof()) {
            ids.push_back(Ds->Fields()->Fields(0)->AsString());
            Ds->Next();
        }
        std::sort(ids.begin(), ids.end());
        std::string out;
        for (const std::string& s : ids) out += (out.empty() ? "" : ",") + s;
        return out;
    }
    // The records the criteria select on the SQL road.
    std::string BySQL(const std::vector<TqzFieldInfo>& Criteria) {
        D->SetFilterMethod(fdByQueryModify);
        D->Criteria() = Criteria;
        EXPECT_TRUE(D->ApplyFilter());
        return Ids(Query);
    }
    // The records the same criteria select through the record filter on
    // another query of the same text.
    std::string ByRecords(const std::vector<TqzFieldInfo>& Criteria, const std::string& Text) {
        TqzQuery q(&Form);
        q.SetDatabaseName(":memory:");
        q.SQL()->SetText(Text);
        for (int i = 0; i < Query->Params()->Count(); ++i)
            q.Params()->Items(i)->Assign(Query->Params()->Items(i));
        q.Open();
        TDataSource src(nullptr);
        src.SetDataSet(&q);
        TqzFilterDialog d(&Form);
        d.SetDataSource(&src);
        d.Criteria() = Criteria;
        EXPECT_TRUE(d.ApplyFilter());
        return Ids(&q);
    }

    TForm Form{nullptr};
    TDatabase Db{nullptr};
    TqzQuery* Query = nullptr;
    TDataSource Src{nullptr};
    TqzFilterDialog* D = nullptr;
    TTestDialogs Dialogs;
};

// Every kind of criterion selects on the SQL road what the record filter
// selects; each rewrite starts from the saved text.
TEST_F(FilterRoadsTest, SqlRoadSelectsWhatTheRecordFilterSelects) {
    SetSQL(kAll);
    Query->Open();
    const std::vector<std::vector<TqzFieldInfo>> cases = {
        {Crit("name", fdMatchStart, "a")},
        {Crit("name", fdMatchStart, "a", true)},
        {Crit("name", fdMatchAny, "o or Z")},
        {Crit("name", fdMatchExact, "ann or BOB")},
        {Crit("name", fdMatchEnd, "NA")},
        {Crit("city", fdMatchExact, "oslo or null")},
        {Crit("city", fdMatchExact, "Oslo", false, true)},
        {Crit("city", fdMatchStart, "R", false, true), Crit("qty", fdMatchExact, "12 or 7 or 2")},
        {Crit("name", fdMatchAny, "n and a")},
        {Range("qty", "4", "9")},
        {Range("qty", "", "3")},
        {Range("price", "1.5", "")},
        {Range("name", "b", "c")},
        {Range("born", "2/3/2001", "12/31/2005")},
        {Crit("born", fdMatchExact, "12/31/1999 or 7/1/2010")},
        {Crit("name", fdMatchAny, "%")},
        {Crit("name", fdMatchAny, "_")},
        {Crit("name", fdMatchStart, "x_")},
        {Crit("qty", fdMatchExact, "012")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c[0].FieldName + " " + c[0].FilterValue + c[0].MinValue);
        const std::string expected = ByRecords(c, kAll);
        EXPECT_EQ(expected, BySQL(c));
        EXPECT_EQ(0, Dialogs.Count());
    }
    EXPECT_EQ(kAll, Trim(D->SavedSQL()));
}

// Numbers are written from their value; what is not a number of the
// field's type is refused with the road's error box and the query keeps
// its text and records.
TEST_F(FilterRoadsTest, SqlRoadRefusesValuesThatAreNotOfTheFieldsType) {
    SetSQL(kAll);
    Query->Open();
    for (const auto& bad :
         {Crit("qty", fdMatchExact, "1); DROP TABLE cust; --"), Crit("qty", fdMatchExact, "1.5"),
          Crit("price", fdMatchExact, "cheap"), Range("born", "someday", "")}) {
        D->SetFilterMethod(fdByQueryModify);
        D->Criteria() = {bad};
        Dialogs.Clear();
        EXPECT_FALSE(D->ApplyFilter());
        ASSERT_EQ(1, Dialogs.Count());
        EXPECT_EQ(0u, Dialogs.Last().Text.find("Unable to Execute SQL:\r")) << Dialogs.Last().Text;
        EXPECT_TRUE(Query->Active());
        EXPECT_EQ("1,2,3,4,5,6,7,8", Ids(Query));
    }
    D->Criteria() = {Crit("nope", fdMatchExact, "1")};
    Dialogs.Clear();
    EXPECT_FALSE(D->ApplyFilter());
    EXPECT_EQ("TqzFilterDialog: Field not found (nope)", Dialogs.Last().Text);
}

// A string longer than its field is written whole, its quotes doubled: an
// SQLite column keeps texts of any length, so the value is not cut to the
// field's size (the record filter compares it whole too).
TEST_F(FilterRoadsTest, LongStringWrittenWholeWithItsQuotesDoubled) {
    SetSQL(kAll);
    Query->Open();
    const TqzFieldInfo tail = Crit("name", fdMatchExact, "abcdefghijklmnopqrs'tail");
    EXPECT_EQ("", BySQL({tail}));
    EXPECT_EQ(ByRecords({tail}, kAll), BySQL({tail}));
    Db.Execute("UPDATE cust SET name = 'abcdefghijklmnopqrs''tail' WHERE id = 8");
    EXPECT_EQ("8", BySQL({tail}));
    EXPECT_EQ(ByRecords({tail}, kAll), BySQL({tail}));
    EXPECT_EQ("", BySQL({Crit("name", fdMatchExact, "abcdefghijklmnopqrs'")}));
    EXPECT_EQ(0, Dialogs.Count());
}

// The condition joins each SELECT of texts with WHERE, OR, UNION, GROUP BY
// and ORDER BY, quoted keywords and comments; parameter values stay.
TEST_F(FilterRoadsTest, MergedTextsSelectWhatTheRecordFilterSelects) {
    const std::vector<std::string> texts = {
        "SELECT id, name, city FROM cust WHERE qty = 5 OR city = 'Rome'",
        "SELECT id, name, city FROM cust WHERE name <> 'where (' -- where\n OR qty > 8 ORDER BY name",
        "SELECT id, name, city FROM cust WHERE qty < 4 UNION SELECT id, name, city FROM cust WHERE qty > 8",
        "SELECT city AS id, city, count(*) AS n FROM cust GROUP BY city ORDER BY city",
        "select id, name, city from cust /* where */ order by id desc",
        "SELECT id, name, city FROM cust WHERE qty > :q",
    };
    for (const std::string& text : texts) {
        SCOPED_TRACE(text);
        D->ClearFilter();
        SetSQL(text);
        if (Query->Params()->Count()) Query->ParamByName("q")->SetAsInteger(3);
        Query->Open();
        const std::vector<TqzFieldInfo> c = {Crit("city", fdMatchExact, "rome or oslo", false, true)};
        EXPECT_EQ(ByRecords(c, text), BySQL(c));
        EXPECT_EQ(0, Dialogs.Count());
        if (Query->Params()->Count()) {
            EXPECT_EQ(3, Query->ParamByName("q")->AsInteger());
        }
        // no criteria: the saved text, unchanged
        EXPECT_EQ(ByRecords({}, text), BySQL({}));
        EXPECT_EQ(Trim(text), Trim(Query->SQL()->Text()));
    }
}

// ClearFilter and ApplyFilter put back the original text and its records.
TEST_F(FilterRoadsTest, ClearFilterRestoresTheSavedText) {
    SetSQL("SELECT id, name FROM cust WHERE qty > 2 OR name = 'x_y'");
    Query->Open();
    const std::string all = Ids(Query);
    EXPECT_EQ("1,2", BySQL({Crit("name", fdMatchStart, "b or ann", false)}).substr(0, 3));
    EXPECT_NE(Trim(D->SavedSQL()), Trim(Query->SQL()->Text()));
    D->ClearFilter();
    EXPECT_TRUE(D->SavedSQL().empty());
    EXPECT_EQ("SELECT id, name FROM cust WHERE qty > 2 OR name = 'x_y'", Trim(Query->SQL()->Text()));
    EXPECT_TRUE(D->ApplyFilter());
    EXPECT_EQ(all, Ids(Query));
}

// The SQL road's condition reads and calls nothing the query does not,
// beyond the allow list: a function an odd SQLUpperString writes in is
// refused, and the query keeps its text and its records.
TEST_F(FilterRoadsTest, TheSQLRoadCallsOnlyWhatTheQueryOrTheAllowListHolds) {
    SetSQL(kAll);
    Query->Open();
    const std::string all = Ids(Query);
    D->SetSQLUpperString("quote");
    D->SetFilterMethod(fdByQueryModify);
    D->Criteria() = {Crit("name", fdMatchStart, "b", false)};
    Dialogs.Clear();
    EXPECT_FALSE(D->ApplyFilter());
    ASSERT_EQ(1, Dialogs.Count());
    EXPECT_NE(std::string::npos,
              Dialogs.Last().Text.find("a filter is a condition on the record and runs no query"))
        << Dialogs.Last().Text;
    EXPECT_EQ(kAll, Trim(Query->SQL()->Text()));
    EXPECT_EQ(all, Ids(Query));
    // a function the query calls itself is the query's own
    D->ClearFilter();
    SetSQL("SELECT id, name, quote(name) AS q FROM cust");
    Query->Open();
    Dialogs.Clear();
    EXPECT_TRUE(D->ApplyFilter());
    EXPECT_EQ(0, Dialogs.Count()) << (Dialogs.Count() ? Dialogs.Last().Text : "");
    // the allow list's upper case
    D->ClearFilter();
    D->SetSQLUpperString("UPPER");
    EXPECT_EQ("1", BySQL({Crit("name", fdMatchStart, "b", false)}));
}

// The form, driven by keys and clicks, narrows a query by rewriting its SQL;
// ClearFilter and ApplyFilter bring back the text and the rows.
TEST_F(FilterRoadsTest, FormNarrowsAQueryByItsSQL) {
    const std::string text = "SELECT id, name, city FROM cust WHERE qty > 1 ORDER BY name";
    SetSQL(text);
    Query->Open();
    Form.Show();
    D->SetFilterMethod(fdByQueryModify);
    ASSERT_EQ(fdByQueryModify, D->FilterMethod());
    TTestModalForms modal;
    modal.Push([](TCustomForm* F) {
        auto* f = dynamic_cast<TqzFilterDlg*>(F);
        ASSERT_NE(nullptr, f);
        ActivateForm(F);
        TListBox* fields = f->FieldsListBox();
        SendClick(fields, 10, 1 * fields->ItemHeight() + fields->ItemHeight() / 2);
        ASSERT_EQ("name", fields->Items()->Strings(fields->ItemIndex()));
        SendText(f->FilterValueEdit(), "an or x_");
        EXPECT_TRUE(RenderControlToPng(F, GetTempDir() + "taskmoor_filter_form_query.png"));
        SendClick(f->OKButton(), 5, 5);
    });
    EXPECT_TRUE(D->Execute());
    EXPECT_EQ(0, Dialogs.Count());
    EXPECT_EQ("2,4", Ids(Query));  // Ann, anna; not xzy, and x_y has qty 1
    EXPECT_NE(text, Trim(Query->SQL()->Text()));
    D->ClearFilter();
    EXPECT_EQ(text, Trim(Query->SQL()->Text()));
    EXPECT_TRUE(D->ApplyFilter());
    EXPECT_EQ("1,2,3,4,5,7,8", Ids(Query));
}

// A new data source: the rewritten query gets its text back and the next
// query keeps its own.
TEST_F(FilterRoadsTest, SavedTextStaysWithItsQuery) {
    SetSQL("SELECT id FROM cust WHERE qty > 4");
    Query->Open();
    EXPECT_EQ("1", BySQL({Crit("name", fdMatchExact, "bob")}));
    TqzQuery other(&Form);
    other.SetDatabaseName(":memory:");
    other.SQL()->SetText("SELECT id, name FROM cust WHERE city = 'Rome'");
    other.Open();
    TDataSource src(nullptr);
    src.SetDataSet(&other);
    D->SetDataSource(&src);
    EXPECT_EQ("SELECT id FROM cust WHERE qty > 4", Trim(Query->SQL()->Text()));
    EXPECT_TRUE(Query->Active());
    EXPECT_EQ("1,2,3,5", Ids(Query));
    D->Criteria() = {Crit("name", fdMatchStart, "x")};
    EXPECT_TRUE(D->ApplyFilter());
    EXPECT_EQ("7", Ids(&other));
    D->ClearFilter();
    EXPECT_EQ("SELECT id, name FROM cust WHERE city = 'Rome'", Trim(other.SQL()->Text()));
    D->SetDataSource(nullptr);
}

// The merge: an empty condition leaves the text; texts whose quotes,
// comments or parentheses do not close are refused.
TEST(MergeWhereClause, EmptyConditionAndBrokenTexts) {
    EXPECT_EQ("SELECT * FROM t", qzMergeWhereClause("SELECT * FROM t", ""));
    EXPECT_EQ("SELECT * FROM t WHERE a = 1", qzMergeWhereClause("SELECT * FROM t WHERE a = 1", "  "));
    for (const char* bad : {"SELECT * FROM t WHERE a = 'x", "SELECT (a FROM t", "SELECT a) FROM t",
                            "SELECT * FROM t /* open", "UPDATE t SET a = 1"})
        EXPECT_THROW(qzMergeWhereClause(bad, "a = 1"), EqzFilterText) << bad;
}

// The Filter-text road sets a table's Filter; it selects what the record
// filter selects, dates written in the format mode of the settings.
TEST_F(FilterRoadsTest, FilterTextRoadNarrowsATable) {
    TqzTable table(&Form);
    table.SetDatabaseName(":memory:");
    table.SetTableName("cust");
    table.Open();
    TDataSource src(nullptr);
    src.SetDataSet(&table);
    TqzFilterDialog d(&Form);
    d.SetDataSource(&src);
    const std::vector<std::vector<TqzFieldInfo>> cases = {
        {Crit("name", fdMatchStart, "c or x", true)},
        {Crit("city", fdMatchExact, "Oslo or null")},
        {Range("born", "2/3/2001", "12/31/2005"), Crit("city", fdMatchExact, "Rome", false, true)},
        {Crit("qty", fdMatchExact, "12 or 5")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c[0].FieldName);
        d.FilterPropertyOptions()->DatasetFilterType = fdUseOnFilter;
        table.SetFilter("");
        d.Criteria() = c;
        ASSERT_TRUE(d.ApplyFilter());
        const std::string expected = Ids(&table);
        d.FilterPropertyOptions()->DatasetFilterType = fdUseFilterProp;
        ASSERT_TRUE(d.ApplyFilter());
        EXPECT_FALSE(table.Filter().empty());
        EXPECT_FALSE(table.OnFilterRecord().Assigned());
        EXPECT_EQ(expected, Ids(&table));
    }
    // day/month/year settings with the matching mode
    FormatSettings().ShortDateFormat = "dd/mm/yyyy";
    d.SetQueryFormatDateMode(qfdDayMonthYear);
    d.Criteria() = {Range("born", "3/2/2001", "31/12/2001")};
    ASSERT_TRUE(d.ApplyFilter());
    ResetFormatSettings();
    EXPECT_EQ("1,3", Ids(&table));
    // like with the upper-case function: case rules
    d.FilterPropertyOptions()->UseLikeOperator = true;
    d.FilterPropertyOptions()->LikeSupportsUpperKeyword = true;
    d.Criteria() = {Crit("name", fdMatchAny, "NN")};
    ASSERT_TRUE(d.ApplyFilter());
    EXPECT_EQ("2,4", Ids(&table));
    // a value that is no number: the road's error box, nothing filtered
    d.Criteria() = {Crit("qty", fdMatchExact, "many")};
    EXPECT_FALSE(d.ApplyFilter());
    EXPECT_EQ(0u, Dialogs.Last().Text.find("Unable to Execute Filter:\r"));
}

}  // namespace

namespace {

class FilterRangesTest : public ::testing::Test {
protected:
    void SetUp() override {
        Db.SetDatabaseName(":memory:");
        Db.Open();
        Db.Execute(
            "CREATE TABLE cust (id INTEGER PRIMARY KEY, name VARCHAR(8), qty INTEGER, city VARCHAR(10));"
            "CREATE INDEX bynamecs ON cust (name);"
            "CREATE INDEX byname ON cust (name COLLATE FOLD);"
            "CREATE INDEX bycity ON cust (city);"
            "CREATE INDEX byqty ON cust (qty);"
            "INSERT INTO cust VALUES (1, 'bob', 5, 'Oslo'), (2, 'Ann', 12, 'Rome'), (3, 'anna', 7, NULL),"
            " (4, 'carl', 3, 'Oslo'), (5, 'ANNE', 9, ''), (6, 'null', 1, 'Bern');");
        Table.SetDatabaseName(":memory:");
        Table.SetTableName("cust");
        Table.Open();
        Src.SetDataSet(&Table);
        D = new TqzFilterDialog(&Form);
        D->SetDataSource(&Src);
    }
    std::string Ids() {
        std::vector<int> ids;
        for (Table.First(); !Table.Eof(); Table.Next()) ids.push_back(Table.FieldByName("id")->AsInteger());
        std::sort(ids.begin(), ids.end());
        std::string out;
        for (int i : ids) out += (out.empty() ? "" : ",") + std::to_string(i);
        return out;
    }
    // The records the criteria select without and with index ranges.
    std::pair<std::string, std::string> Both(const TqzFieldInfoList& Criteria) {
        D->SetFilterOptimization(fdNone);
        D->Criteria() = Criteria;
        EXPECT_TRUE(D->ApplyFilter());
        EXPECT_FALSE(Table.RangeActive());
        const std::string plain = Ids();
        D->SetFilterOptimization(fdUseAllIndexes);
        EXPECT_TRUE(D->ApplyFilter());
        return {plain, Ids()};
    }

    TForm Form{nullptr};
    TDatabase Db{nullptr};
    TqzTable Table{nullptr};
    TDataSource Src{nullptr};
    TqzFilterDialog* D = nullptr;
    TTestDialogs Dialogs;
};

// A range is used only through an index of the criterion's case rule and
// never for the null word; what shows is what the record filter alone shows.
TEST_F(FilterRangesTest, RangesFollowTheCaseRuleAndSkipTheNullWord) {
    auto r = Both({Crit("name", fdMatchStart, "ann")});
    EXPECT_EQ("2,3,5", r.first);
    EXPECT_EQ(r.first, r.second);
    EXPECT_TRUE(Table.RangeActive());
    EXPECT_EQ("byname", Table.IndexName());
    r = Both({Crit("name", fdMatchExact, "Ann", true)});
    EXPECT_EQ("2", r.second);
    EXPECT_EQ("bynamecs", Table.IndexName());
    r = Both({Crit("city", fdMatchExact, "null", true)});
    EXPECT_EQ(r.first, r.second);
    EXPECT_EQ("3,5", r.second);
    EXPECT_FALSE(Table.RangeActive());
    TqzFieldInfo range = Crit("qty", fdMatchRange, "");
    range.MinValue = "5";
    r = Both({range});
    EXPECT_EQ("1,2,3,5", r.second);
    EXPECT_TRUE(Table.RangeActive());
}

// A case-blind text range compares upper-cased texts, which a case-blind
// index does not order: no index range for it ('_' sorts after 'B' upper-
// cased, before 'b' folded).
TEST_F(FilterRangesTest, ACaseBlindTextRangeTakesNoIndexRange) {
    Db.Execute("INSERT INTO cust VALUES (7, '_al', 2, 'Oslo');");
    Table.Refresh();
    const auto r = Both({Range("name", "b", "")});
    EXPECT_EQ("1,4,6,7", r.first);
    EXPECT_EQ(r.first, r.second);
    EXPECT_FALSE(Table.RangeActive());
    TqzFieldInfo cs = Range("name", "b", "");
    cs.CaseSensitive = true;
    EXPECT_EQ("1,4,6", Both({cs}).second);
    EXPECT_TRUE(Table.RangeActive());
}

// The range of earlier criteria goes when the criteria change or are
// cleared; the table's own index comes back.
TEST_F(FilterRangesTest, RangeCancelledWhenCriteriaChangeOrAreCleared) {
    Table.SetIndexName("bycity");
    D->SetFilterOptimization(fdUseAllIndexes);
    D->Criteria() = {Crit("name", fdMatchExact, "bob")};
    ASSERT_TRUE(D->ApplyFilter());
    EXPECT_TRUE(Table.RangeActive());
    EXPECT_EQ("1", Ids());
    // a criterion no index serves: no range left from before
    D->Criteria() = {Crit("name", fdMatchAny, "a")};
    ASSERT_TRUE(D->ApplyFilter());
    EXPECT_FALSE(Table.RangeActive());
    EXPECT_EQ("bycity", Table.IndexName());
    EXPECT_EQ("2,3,4,5", Ids());
    D->Criteria() = {Crit("qty", fdMatchExact, "7")};
    ASSERT_TRUE(D->ApplyFilter());
    EXPECT_TRUE(Table.RangeActive());
    D->ClearFilter();
    EXPECT_FALSE(Table.RangeActive());
    EXPECT_EQ("bycity", Table.IndexName());
    ASSERT_TRUE(D->ApplyFilter());
    EXPECT_EQ("1,2,3,4,5,6", Ids());
    // only the active index's first field with fdUseActiveIndex
    D->SetFilterOptimization(fdUseActiveIndex);
    D->Criteria() = {Crit("name", fdMatchExact, "bob")};
    ASSERT_TRUE(D->ApplyFilter());
    EXPECT_FALSE(Table.RangeActive());
    D->Criteria() = {Crit("city", fdMatchExact, "Oslo", true)};
    ASSERT_TRUE(D->ApplyFilter());
    EXPECT_TRUE(Table.RangeActive());
    EXPECT_EQ("1,4", Ids());
}

}  // namespace

namespace {

// A query that describes its fields itself.
class TInfoQuery : public TqzQuery {
    TASKMOOR_CLASS(TInfoQuery, TqzQuery)
public:
    explicit TInfoQuery(TComponent* AOwner) : TqzQuery(AOwner) {}
    TStrings* FieldInfo() const { return FFieldInfo.get(); }
    void SetFieldInfo(TStrings* Value) { FFieldInfo->Assign(Value); }
    static void Publish(TPublisher<TInfoQuery>& p) {
        p.Property("FieldInfo", &TInfoQuery::FieldInfo, &TInfoQuery::SetFieldInfo);
    }

private:
    std::unique_ptr<TStringList> FFieldInfo = std::make_unique<TStringList>();
};

// The SQL road's field list: from FieldInfo lines, or from the tables after
// FROM by each fetch method, names made unique and qualified by their table.
TEST_F(FilterRoadsTest, FieldsBySQLFromFieldInfoAndFromTheTables) {
    Db.Execute(
        "CREATE TABLE orders (no INTEGER PRIMARY KEY, id INTEGER, name VARCHAR(12));"
        "INSERT INTO orders VALUES (1, 1, 'tea'), (2, 2, 'cake'), (3, 1, 'bun');");
    SetSQL("SELECT c.id, c.name, o.name AS what FROM cust c, orders AS o WHERE c.id = o.id");
    Query->Open();
    D->SetFilterMethod(fdByQueryModify);
    for (TqzFilterFieldsFetchType method : {fmUseTTable, fmUseSQL}) {
        D->SetFieldsFetchMethod(method);
        int temps = 0;
        D->SetOnInitTempDataSet(TqzInitTempDataSetEvent([&](TObject*, TDataSet* orig, TDataSet* temp) {
            EXPECT_EQ(Query, orig);
            EXPECT_FALSE(temp->Active());
            ++temps;
        }));
        D->LoadFields();
        EXPECT_EQ(2, temps);
        std::vector<std::string> names, sqlNames;
        for (const TqzDBFieldInfo& f : D->FieldList()) {
            names.push_back(f.FieldName);
            sqlNames.push_back(f.SQLFieldName);
        }
        EXPECT_EQ(
            (std::vector<std::string>{"id", "name", "qty", "city", "born", "price", "no", "id_1", "name_1"}),
            names);
        EXPECT_EQ("o.name", sqlNames[8]);
        EXPECT_EQ("orders", D->FieldList()[8].TableName);
        EXPECT_EQ(ftString, D->FieldList()[8].DataType);
        // a criterion on the second table's name
        D->Criteria() = {Crit("name_1", fdMatchStart, "B or T")};
        EXPECT_TRUE(D->ApplyFilter());
        EXPECT_EQ("1,1", Ids(Query));
        D->ClearFilter();
    }
    TInfoQuery info(&Form);
    info.SetDatabaseName(":memory:");
    info.SQL()->SetText("SELECT id AS num, name FROM cust");
    info.FieldInfo()->SetText(
        "id;num;cust;Number;ftInteger;0\nname;name;cust;Name;ftString;20\nbad line\n"
        "qty;num;cust;Again;ftNoSuchType;x");
    info.Open();
    TDataSource src(nullptr);
    src.SetDataSet(&info);
    TqzFilterDialog d(&Form);
    d.SetDataSource(&src);
    d.SetFilterMethod(fdByQueryModify);
    d.LoadFields();
    ASSERT_EQ(3u, d.FieldList().size());
    EXPECT_EQ("num", d.FieldList()[0].FieldName);
    EXPECT_EQ("id", d.FieldList()[0].SQLFieldName);
    EXPECT_EQ(ftInteger, d.FieldList()[0].DataType);
    EXPECT_EQ(20, d.FieldList()[1].Size);
    EXPECT_EQ("num_1", d.FieldList()[2].FieldName);
    EXPECT_EQ(ftUnknown, d.FieldList()[2].DataType);
    d.Criteria() = {Range("num", "2", "3")};
    EXPECT_TRUE(d.ApplyFilter());
    EXPECT_EQ("2,3", Ids(&info));
}

// Fields of two joined tables described by FieldInfo with bare SQL names:
// each is written qualified by the alias SQLTables gives its table.
TEST_F(FilterRoadsTest, SqlRoadQualifiesFieldsByTheirTablesAliases) {
    Db.Execute(
        "CREATE TABLE orders (no INTEGER PRIMARY KEY, id INTEGER, name VARCHAR(12), qty INTEGER);"
        "INSERT INTO orders VALUES (1, 1, 'tea', 2), (2, 2, 'cake', 5), (3, 1, 'bun', 1), (4, 3, 'Beer', "
        "7);");
    const std::string sql =
        "SELECT o.no, c.id, c.name, o.name AS what FROM cust c JOIN orders o ON o.id = c.id";
    TInfoQuery info(&Form);
    info.SetDatabaseName(":memory:");
    info.SQL()->SetText(sql);
    info.FieldInfo()->SetText(
        "name;name;cust;Name;ftString;20\nqty;qty;cust;Qty;ftInteger;0\n"
        "name;what;orders;What;ftString;12\nqty;oqty;orders;Order qty;ftInteger;0\n"
        "coalesce(c.city, '');town;cust;Town;ftString;10");
    info.Open();
    TDataSource src(nullptr);
    src.SetDataSet(&info);
    TqzFilterDialog d(&Form);
    d.SetDataSource(&src);
    d.SetFilterMethod(fdByQueryModify);
    auto* cust = d.SQLTables()->Add();
    cust->SetTableName("cust");
    cust->SetTableAliasName("c");
    auto* orders = d.SQLTables()->Add();
    orders->SetTableName("ORDERS");
    orders->SetTableAliasName("o");
    d.Criteria() = {Crit("name", fdMatchStart, "b or C"), Range("qty", "5", "9"),
                    Crit("what", fdMatchAny, "E or U"), Range("oqty", "2", "")};
    ASSERT_TRUE(d.ApplyFilter());
    EXPECT_EQ(0, Dialogs.Count());
    EXPECT_EQ(sql +
                  "\n\nWHERE (((Upper([c].[name]) like Upper('b%') ESCAPE '\\') or "
                  "(Upper([c].[name]) like Upper('C%') ESCAPE '\\'))"
                  "\n and (([c].[qty] >= 5) and ([c].[qty] <= 9))"
                  "\n and ((Upper([o].[name]) like Upper('%E%') ESCAPE '\\') or "
                  "(Upper([o].[name]) like Upper('%U%') ESCAPE '\\'))"
                  "\n and ([o].[qty] >= 2)\n) \n",
              info.SQL()->Text());
    EXPECT_EQ("1,4", Ids(&info));
    // without brackets; an expression is written as it is
    d.FilterPropertyOptions()->UseBracketsAroundFields = false;
    d.Criteria() = {Crit("qty", fdMatchExact, "5", false, true), Crit("oqty", fdMatchExact, "1 or 5"),
                    Crit("town", fdMatchExact, "rome")};
    ASSERT_TRUE(d.ApplyFilter());
    EXPECT_EQ(sql +
                  "\n\nWHERE (not coalesce(((c.qty = 5)), 0)\n and ((o.qty = 1) or (o.qty = 5))"
                  "\n and ((Upper(coalesce(c.city, '')) = Upper('rome')))\n) \n",
              info.SQL()->Text());
    EXPECT_EQ("2", Ids(&info));
    d.ClearFilter();
    EXPECT_EQ(sql, Trim(info.SQL()->Text()));
}

// The display name of a table / alias pair: the alias, else the table name,
// else "<Unassigned>", then " - " and its index.
TEST_F(FilterRoadsTest, SqlTablesDisplayNames) {
    TqzSQLTablesCollection* tables = D->SQLTables();
    EXPECT_EQ(0, tables->Count());
    EXPECT_EQ(D, tables->Owner());
    EXPECT_EQ(tables, GetObjectProp(D, "SQLTables"));
    const std::vector<std::pair<std::string, std::string>> pairs = {
        {"cust", "c"}, {"orders", ""}, {"", ""}, {"", "x"}};
    for (const auto& [table, alias] : pairs) {
        TqzSQLTablesCollectionItem* item = tables->Add();
        SetStrProp(item, "TableName", table);
        SetStrProp(item, "TableAliasName", alias);
    }
    std::vector<std::string> names;
    for (int i = 0; i < tables->Count(); ++i) names.push_back(tables->Items(i)->DisplayName());
    EXPECT_EQ((std::vector<std::string>{"c - 0", "orders - 1", "<Unassigned> - 2", "x - 3"}), names);
    tables->Delete(0);
    EXPECT_EQ("orders - 0", tables->Items(0)->DisplayName());
    EXPECT_EQ("<Unassigned> - 1", tables->Items(1)->DisplayName());
    tables->Items(1)->Assign(tables->Items(2));
    EXPECT_EQ("x - 1", tables->Items(1)->DisplayName());
    EXPECT_EQ("", tables->Items(1)->TableName());
}

// A pair naming a table the query does not have, or without an alias,
// changes nothing; the first pair with an alias for the table counts; an
// alias the query does not know is the SQL's error and the query keeps its
// text and records.
TEST_F(FilterRoadsTest, SqlTablesPairsForOtherTablesChangeNothing) {
    const std::string sql = "SELECT id, name FROM cust k";
    SetSQL(sql);
    Query->Open();
    D->SetFilterMethod(fdByQueryModify);
    auto add = [this](const std::string& Table, const std::string& Alias) {
        TqzSQLTablesCollectionItem* item = D->SQLTables()->Add();
        item->SetTableName(Table);
        item->SetTableAliasName(Alias);
    };
    add("nosuch", "zz");
    add("cust", "");
    D->Criteria() = {Crit("name", fdMatchExact, "bob or carl", true)};
    ASSERT_TRUE(D->ApplyFilter());
    EXPECT_EQ(sql + "\n\nWHERE ((([name] = 'bob') or ([name] = 'carl'))\n) \n", Query->SQL()->Text());
    EXPECT_EQ("1,3", Ids(Query));
    // the Filter text is not qualified
    EXPECT_EQ("(([name] = 'bob') or ([name] = 'carl'))", D->CriteriaText(false));
    add("CUST", "k");
    add("cust", "other");
    ASSERT_TRUE(D->ApplyFilter());
    EXPECT_EQ(sql + "\n\nWHERE ((([k].[name] = 'bob') or ([k].[name] = 'carl'))\n) \n", Query->SQL()->Text());
    EXPECT_EQ("1,3", Ids(Query));
    D->ClearFilter();
    EXPECT_TRUE(D->ApplyFilter());
    EXPECT_EQ("1,2,3,4,5,6,7,8", Ids(Query));
    D->SQLTables()->Delete(2);
    D->Criteria() = {Crit("name", fdMatchExact, "bob", true)};
    EXPECT_FALSE(D->ApplyFilter());
    ASSERT_EQ(1, Dialogs.Count());
    EXPECT_EQ(0u, Dialogs.Last().Text.find("Unable to Execute SQL:\r")) << Dialogs.Last().Text;
    EXPECT_TRUE(Query->Active());
    EXPECT_EQ(sql, Trim(Query->SQL()->Text()));
    EXPECT_EQ("1,2,3,4,5,6,7,8", Ids(Query));
}

}  // namespace
