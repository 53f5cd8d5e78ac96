// Properties by name, class tests, the name-token scanner and the small
// shared utilities.
#include <gtest/gtest.h>

#include "platform/core/strings.h"
#include "platform/db/datasource.h"
#include "platform/db/params.h"
#include "platform/ui/dbctrls.h"
#include "platform/ui/forms.h"
#include "platform/ui/grids.h"
#include "suite/base/qzproputils.h"
#include "suite/base/qzstr.h"
#include "support/suite/suite_test_table.h"

namespace {

// Every accessor against a component with the property, a bare component
// and nil.
TEST(PropUtils, GettersReadThePropertyOrGiveTheirDefault) {
    TqzPropHolder h;
    TComponent other(nullptr);
    TDataSource src(nullptr);
    TqzTestTable table;
    h.CursorLocation = 3;
    h.DatabaseName = "DB";
    h.TableName = "Tasks.d";
    h.SessionName = "S1";
    h.ConnectionString = "cs";
    h.Connection = &other;
    h.DataBase = &other;
    h.MasterSource = &src;
    h.DataSetRef = &table;
    h.WantReturns = true;
    h.EditCalculated = true;
    h.ControlList = &other;
    h.OnPerformCustomSearch = TNotifyEvent([](TObject*) {});
    TComponent bare(nullptr);
    for (TObject* c : {static_cast<TObject*>(&bare), static_cast<TObject*>(nullptr)}) {
        EXPECT_EQ(qzGetCursorLocation(c), 0);
        EXPECT_EQ(qzGetDatabaseName(c), "");
        EXPECT_EQ(qzGetTableName(c), "");
        EXPECT_EQ(qzGetSessionName(c), "");
        EXPECT_EQ(qzGetConnection(c), nullptr);
        EXPECT_EQ(qzGetConnectionString(c), "");
        EXPECT_EQ(qzGetDataBase(c), nullptr);
        EXPECT_EQ(qzGetMasterSource(c), nullptr);
        EXPECT_EQ(qzGetDataSet(c), nullptr);
        EXPECT_EQ(qzGetParams(c), nullptr);
        EXPECT_FALSE(qzIsTransparent(c));
        EXPECT_EQ(qzGetDataSource(c), nullptr);
        EXPECT_FALSE(qzGetBorderStyle(c));
        EXPECT_FALSE(qzGetWantReturns(c));
        EXPECT_FALSE(qzGetEditCalculated(c));
        EXPECT_EQ(qzGetControlList(c), nullptr);
        EXPECT_EQ(qzGetOrdPropByName(c, "CursorLocation"), 0);
        EXPECT_FALSE(qzGetOnInvalidValue(c).Assigned());
        EXPECT_FALSE(qzGetOnPerformCustomSearch(c).Assigned());
        EXPECT_FALSE(qzGetOnCalcCellColors(c).Assigned());
    }
    EXPECT_EQ(qzGetCursorLocation(&h), 3);
    EXPECT_EQ(qzGetDatabaseName(&h), "DB");
    EXPECT_EQ(qzGetTableName(&h), "Tasks.d");
    EXPECT_EQ(qzGetSessionName(&h), "S1");
    EXPECT_EQ(qzGetConnection(&h), &other);
    EXPECT_EQ(qzGetConnectionString(&h), "cs");
    EXPECT_EQ(qzGetDataBase(&h), &other);
    EXPECT_EQ(qzGetMasterSource(&h), &src);
    EXPECT_EQ(qzGetDataSet(&h), &table);
    EXPECT_EQ(qzGetParams(&h), &h.Params);
    EXPECT_TRUE(qzGetBorderStyle(&h));
    EXPECT_TRUE(qzGetWantReturns(&h));
    EXPECT_TRUE(qzGetEditCalculated(&h));
    EXPECT_EQ(qzGetControlList(&h), &other);
    EXPECT_EQ(qzGetOrdPropByName(&h, "cursorlocation"), 3);
    EXPECT_TRUE(qzGetOnPerformCustomSearch(&h).Assigned());
    EXPECT_FALSE(qzGetOnCalcCellColors(&h).Assigned());  // a nil handler is unassigned
    EXPECT_EQ(qzGetDataSource(&h), nullptr);             // a name that is not published
}

TEST(PropUtils, SettersAnswerWhetherTheySet) {
    TqzPropHolder h;
    TComponent bare(nullptr);
    TComponent conn(nullptr);
    EXPECT_TRUE(qzSetCursorLocation(&h, 2));
    EXPECT_EQ(h.CursorLocation, 2);
    EXPECT_TRUE(qzSetMaxRecords(&h, 50));
    EXPECT_EQ(h.MaxRecords, 50);
    EXPECT_TRUE(qzSetDatabaseName(&h, "Other"));
    EXPECT_EQ(h.DatabaseName, "Other");
    EXPECT_TRUE(qzSetSessionName(&h, "S2"));
    EXPECT_TRUE(qzSetConnection(&h, &conn));
    EXPECT_EQ(h.Connection, &conn);
    EXPECT_TRUE(qzSetConnectionString(&h, "x=1"));
    EXPECT_EQ(h.ConnectionString, "x=1");
    EXPECT_TRUE(qzSetOrdPropByName(&h, "WantReturns", 1));
    EXPECT_TRUE(h.WantReturns);
    EXPECT_TRUE(qzSetBorderStyle(&h, false));
    EXPECT_EQ(h.BorderStyle, bsNone);
    EXPECT_TRUE(qzSetBorderStyle(&h, true));
    EXPECT_EQ(h.BorderStyle, bsSingle);
    for (TObject* c : {static_cast<TObject*>(&bare), static_cast<TObject*>(nullptr)}) {
        EXPECT_FALSE(qzSetCursorLocation(c, 1));
        EXPECT_FALSE(qzSetMaxRecords(c, 1));
        EXPECT_FALSE(qzSetDatabaseName(c, "x"));
        EXPECT_FALSE(qzSetSessionName(c, "x"));
        EXPECT_FALSE(qzSetConnection(c, &conn));
        EXPECT_FALSE(qzSetConnectionString(c, "x"));
        EXPECT_FALSE(qzSetDatabase(c, &conn));
        EXPECT_FALSE(qzSetBorderStyle(c, true));
        EXPECT_FALSE(qzSetOrdPropByName(c, "WantReturns", 1));
        EXPECT_FALSE(qzSetParams(c, &h.Params));
    }
    EXPECT_FALSE(qzSetOrdPropByName(&h, "DatabaseName", 1));  // not ordinal
}

TEST(PropUtils, DatabaseSetOnlyWhenOfClassKind) {
    TqzPropHolder h;
    TComponent db(nullptr);
    EXPECT_TRUE(qzSetDatabase(&h, &db));  // names ignore case: "Database" is the published "DataBase"
    EXPECT_EQ(h.DataBase, &db);
    TqzTestTable t;  // the engine table's "Database" is an engine database, not any component
    EXPECT_FALSE(qzSetDatabase(&t, &db));
}

TEST(PropUtils, TransparentPrefersAlwaysTransparent) {
    TqzPropHolder h;
    h.Transparent = true;
    EXPECT_FALSE(qzIsTransparent(&h));  // AlwaysTransparent exists and decides
    h.AlwaysTransparent = true;
    EXPECT_TRUE(qzIsTransparent(&h));
}

TEST(PropUtils, DataSourceAndDataFieldOnlyOnWindowedControls) {
    TForm form(nullptr);
    auto* edit = new TDBEdit(&form);
    auto* label = new TDBText(&form);  // a graphic control
    TDataSource src(nullptr);
    EXPECT_TRUE(qzSetDataSource(edit, &src));
    EXPECT_EQ(edit->DataSource(), &src);
    EXPECT_EQ(qzGetDataSource(edit), &src);
    EXPECT_TRUE(qzSetDataField(edit, "Name"));
    EXPECT_EQ(qzGetDataField(edit), "Name");
    EXPECT_FALSE(qzSetDataSource(label, &src));
    EXPECT_FALSE(qzSetDataField(label, "Name"));
    label->SetDataField("Code");
    EXPECT_EQ(qzGetDataField(label), "");
    EXPECT_FALSE(qzSetDataSource(&form, &src));  // windowed, but without the property
    EXPECT_FALSE(qzSetDataSource(nullptr, &src));
    EXPECT_EQ(qzGetDataField(nullptr), "");
}

TEST(PropUtils, ParamsAssignedIntoTheDataSetsList) {
    TqzPropHolder h;
    h.Params.AddParam("Old", ftString);
    TParams given;
    given.AddParam("Id", ftInteger)->SetAsInteger(7);
    given.AddParam("Name")->SetAsString("x");
    EXPECT_TRUE(qzSetParams(&h, &given));
    ASSERT_EQ(h.Params.Count(), 2);
    EXPECT_EQ(h.Params.ParamByName("id")->AsInteger(), 7);
    EXPECT_EQ(h.Params.Items(1)->DataType(), ftString);
    EXPECT_THROW(h.Params.ParamByName("Old"), EDatabaseError);
}

TEST(PropUtils, FilterOptionsWithAndWithoutTheProperty) {
    TqzTestTable t;
    EXPECT_EQ(qzGetOnFilterOptions(&t), TqzOnFilterOptions{ofoEnabled});
    qzSetOnFilterOptions(&t, false);
    EXPECT_EQ(t.OnFilterOptions(), TqzOnFilterOptions{});
    t.SetOnFilterOptions({ofoShowHourGlass});
    qzSetOnFilterOptions(&t, true);
    EXPECT_EQ(t.OnFilterOptions(), (TqzOnFilterOptions{ofoEnabled, ofoShowHourGlass}));

    TOstraTable plain(nullptr);
    plain.FieldDefs()->Add("Name", ftString, 10);
    plain.Open();
    EXPECT_EQ(qzGetOnFilterOptions(&plain), TqzOnFilterOptions{});
    plain.SetFiltered(true);
    EXPECT_EQ(qzGetOnFilterOptions(&plain), TqzOnFilterOptions{ofoEnabled});
    qzSetOnFilterOptions(&plain, false);  // nothing to set
    EXPECT_TRUE(plain.Filtered());
    EXPECT_EQ(qzGetOnFilterOptions(nullptr), TqzOnFilterOptions{});
}

TEST(PropUtils, ClassesRecognisedByNameInTheirAncestry) {
    TDrawGrid grid(nullptr);
    EXPECT_TRUE(qzClassInheritsFrom(&grid, "tcustomgrid"));
    EXPECT_TRUE(qzClassInheritsFrom(grid.ClassType(), "TDrawGrid"));
    EXPECT_FALSE(qzClassInheritsFrom(&grid, "TqzDBGrid"));
    EXPECT_FALSE(qzClassInheritsFrom(static_cast<const TObject*>(nullptr), "TObject"));
    EXPECT_FALSE(qzClassInheritsFrom(static_cast<const TClass*>(nullptr), "TObject"));
}

TEST(PropUtils, StringsByNameIntoListsAndTexts) {
    TqzTestTable t;
    TqzPropHolder h;
    TStringList lines;
    lines.Add("Name;Combo;cb");
    lines.Add("Code;CheckBox;Y;N");
    EXPECT_TRUE(qzSetStringsPropByName(&t, &lines, "ControlType"));
    EXPECT_EQ(t.ControlType()->Count(), 2);
    EXPECT_EQ(t.ControlType()->Strings(1), "Code;CheckBox;Y;N");
    EXPECT_FALSE(qzSetStringsPropByName(&h, &lines, "Query"));  // a string takes the text, answering False
    EXPECT_EQ(h.QueryText, "Name;Combo;cb\r\nCode;CheckBox;Y;N");
    EXPECT_FALSE(qzSetStringsPropByName(&h, &lines, "Missing"));
    EXPECT_FALSE(qzSetStringsPropByName(nullptr, &lines, "ControlType"));
    EXPECT_EQ(qzStringsToPChar(&lines, true), "Name;Combo;cb Code;CheckBox;Y;N");
    EXPECT_EQ(qzStringsToPChar(nullptr, true), "");
}

TEST(PropUtils, OwnerFormAndContainer) {
    TForm form(nullptr);
    auto* holder = new TqzPropHolder(&form);
    auto* inner = new TqzPropHolder(holder);
    EXPECT_EQ(qzGetOwnerForm(inner), &form);
    EXPECT_EQ(qzGetOwnerForm(&form), &form);  // itself included
    EXPECT_EQ(qzGetOwnerContainer(inner), &form);
    EXPECT_EQ(qzGetOwnerContainer(&form), nullptr);  // owners only
    TqzPropHolder loose;
    EXPECT_EQ(qzGetOwnerForm(&loose), nullptr);
    EXPECT_EQ(qzGetOwnerForm(nullptr), nullptr);
    EXPECT_TRUE(qzIsAssigned(&loose));
    EXPECT_FALSE(qzIsAssigned(nullptr));
    EXPECT_FALSE(qzReturnFalse());
}

// ---- Tokens ----

std::vector<std::string> Tokens(const std::string& text) {
    std::vector<std::string> out;
    int pos = 1;
    for (;;) {
        std::string token = "<none>";
        const int before = pos;
        qzGetNextToken(text, pos, token);
        if (pos == before || token == "<none>") break;
        out.push_back(token);
    }
    return out;
}

TEST(NextToken, SplitsNamesOperatorsAndQuotedStrings) {
    EXPECT_EQ(Tokens("WHERE A=1"), (std::vector<std::string>{"WHERE", "A", "=", "1"}));
    EXPECT_EQ(Tokens("  NAME = \"Big Apple\" AND\tX.Y<>'q'"),
              (std::vector<std::string>{"NAME", "=", "\"Big Apple\"", "AND", "X.Y", "<", ">", "'q'"}));
    EXPECT_EQ(Tokens("$A_1.B"), (std::vector<std::string>{"$A_1.B"}));
    EXPECT_EQ(Tokens("Ab"), (std::vector<std::string>{"A", "b"}));  // lower case ends a name
    EXPECT_EQ(Tokens(""), (std::vector<std::string>{}));
    EXPECT_EQ(Tokens("   "), (std::vector<std::string>{}));
}

TEST(NextToken, UnclosedQuoteStaysOnTheQuote) {
    std::string token = "kept";
    int pos = 1;
    qzGetNextToken("  \"open", pos, token);
    EXPECT_EQ(pos, 3);
    EXPECT_EQ(token, "kept");
    qzGetNextToken("  \"open", pos, token);
    EXPECT_EQ(pos, 3);
    for (int bad : {0, -4, 8}) {
        pos = bad;
        qzGetNextToken("  \"open", pos, token);
        EXPECT_EQ(pos, bad);
        EXPECT_EQ(token, "kept");
    }
}

}  // namespace
