// A suite table on an SQLite file, on a shown form as a user meets it: the
// suite grid over it, browsed, searched through the index, edited with
// real keys and posted; a second connection to the file sees the changes.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <memory>
#include <string>

#include "platform/core/exceptions.h"
#include "platform/db/datasource.h"
#include "platform/db/dbtables.h"
#include "platform/db/fields.h"
#include "platform/db/params.h"
#include "platform/ui/application.h"
#include "platform/ui/forms.h"
#include "platform/ui/testing.h"
#include "platform/ui/timer.h"
#include "suite/data/qzdbtables.h"
#include "suite/data/qzkeycb.h"
#include "suite/data/qznavigator.h"
#include "suite/data/qzrecordview.h"
#include "suite/grid/qzdbigrd.h"
#include "support/db/sqlite_cli.h"
#include "support/environment.h"

namespace {

class TFormGrid : public TqzCustomDBGrid {
public:
    explicit TFormGrid(TComponent* AOwner) : TqzCustomDBGrid(AOwner) {}
};

// A connection of the test's own to the file, apart from the engine's.
class TOtherConnection {
public:
    explicit TOtherConnection(const std::string& Path) { sqlite3_open(Path.c_str(), &FDb); }
    ~TOtherConnection() { sqlite3_close(FDb); }
    void Execute(const std::string& Sql) {
        ASSERT_EQ(sqlite3_exec(FDb, Sql.c_str(), nullptr, nullptr, nullptr), 0);
    }
    // The rows of a query, "a|b" each, joined by ",".
    std::string Rows(const std::string& Sql) {
        std::string out;
        sqlite3_stmt* st = nullptr;
        if (sqlite3_prepare_v2(FDb, Sql.c_str(), -1, &st, nullptr) != SQLITE_OK) return "error";
        while (sqlite3_step(st) == SQLITE_ROW) {
            out += out.empty() ? "" : ",";
            for (int c = 0; c < sqlite3_column_count(st); ++c) {
                const unsigned char* t = sqlite3_column_text(st, c);
                out += (c ? "|" : "") + std::string(t ? reinterpret_cast<const char*>(t) : "");
            }
        }
        sqlite3_finalize(st);
        return out;
    }

private:
    sqlite3* FDb = nullptr;
};

class SqliteFormTest : public ::testing::Test {
protected:
    void SetUp() override {
        Path = Env.Path("shop.db");
        TDatabase maker(nullptr);
        maker.SetDatabaseName(Path);
        maker.Execute(
            "CREATE TABLE cust (id INTEGER PRIMARY KEY, name VARCHAR(20), qty INTEGER, city VARCHAR(10));"
            "CREATE INDEX byname ON cust (name COLLATE FOLD);"
            "INSERT INTO cust (id, name, qty, city) VALUES (1, 'bob', 5, 'Oslo'), (2, 'Ann', 12, 'Rome'),"
            " (3, 'carl', 7, 'Oslo'), (4, 'dora', 3, 'Bern'), (5, 'Émile', 9, 'Oslo');");
        maker.Close();
        Other = std::make_unique<TOtherConnection>(Path);
        Form = CreateForm<TForm>(Application);
        Form->SetBounds(40, 40, 520, 300);
        Form->SetCaption("Customers");
    }
    void TearDown() override {
        delete Form;
        ProcessEvents();
    }
    TFormGrid* MakeGrid(TDataSet* Ds, int Top) {
        auto* source = new TDataSource(Form);
        source->SetDataSet(Ds);
        auto* grid = new TFormGrid(Form);
        grid->SetParent(Form);
        grid->SetBounds(8, Top, 500, 150);
        grid->SetUseTFields(false);
        grid->Selected()->SetText("name\t12\tName\nqty\t6\tQty\ncity\t10\tCity\n");
        grid->SetDataSource(source);
        return grid;
    }
    void Show() {
        Form->Show();
        ActivateForm(Form);
        ProcessEvents();
    }
    static void Type(const std::string& Text) {
        for (char ch : Text) SendText(FocusedControl(), std::string(1, ch));
    }
    void Render(const std::string& Name) {
        if (const char* dir = std::getenv("TASKMOOR_PNG_DIR"))
            RenderControlToPng(Form, std::string(dir) + "/" + Name);
    }

    TTestEnvironment Env;
    TTestDialogs Dialogs;
    TTestTimers Timers;
    std::string Path;
    std::unique_ptr<TOtherConnection> Other;
    TForm* Form = nullptr;
};

TEST_F(SqliteFormTest, BrowseSearchEditAndPostThroughTheGrid) {
    auto* table = new TqzTable(Form);
    table->SetDatabaseName(Path);
    table->SetTableName("cust");
    table->SetIndexName("byname");
    TFormGrid* grid = MakeGrid(table, 40);
    auto* search = new TqzIncrementalSearch(Form);
    search->SetParent(Form);
    search->SetBounds(8, 8, 160, 24);
    search->SetDataSource(grid->DataSource());
    table->Open();
    Show();
    Render("taskmoor_sqlite_grid.png");
    // index order, case folded: Ann, bob, carl, dora, Émile
    EXPECT_EQ(table->FieldByName("name")->AsString(), "Ann");
    grid->SetFocus();
    SendKeyToFocus(VK_DOWN);
    SendKeyToFocus(VK_DOWN);
    EXPECT_EQ(table->FieldByName("name")->AsString(), "carl");
    EXPECT_EQ(grid->Row() - grid->TitleOffset(), 2);
    // typed into the search edit: through the index, case folded
    search->SetFocus();
    Type("DO");
    Timers.Advance(200);
    ProcessEvents();
    EXPECT_EQ(table->FieldByName("name")->AsString(), "dora");
    EXPECT_EQ(grid->Row() - grid->TitleOffset(), 3);
    Type("x");
    Timers.Advance(200);
    // "dox" is no name: the nearest key after it, and no match
    EXPECT_EQ(table->FieldByName("name")->AsString(), "Émile");
    SendKeyToFocus(VK_BACK);
    Timers.Advance(200);
    EXPECT_EQ(table->FieldByName("name")->AsString(), "dora");
    // edit the quantity in the grid and post by leaving the row
    grid->SetFocus();
    grid->SelectDataColumn(1);
    ProcessEvents();
    Type("42");
    SendKeyToFocus(VK_RETURN);
    SendKeyToFocus(VK_UP);
    ProcessEvents();
    EXPECT_EQ(table->State(), dsBrowse);
    EXPECT_EQ(Other->Rows("SELECT id, name, qty FROM cust WHERE id = 4"), "4|dora|42");
    // a new record typed at the end of the grid
    SendKeyToFocus(VK_END, {ssCtrl});
    SendKeyToFocus(VK_DOWN);
    grid->SelectDataColumn(0);
    ProcessEvents();
    Type("Zed");
    SendKeyToFocus(VK_TAB);
    Type("1");
    SendKeyToFocus(VK_RETURN);
    SendKeyToFocus(VK_UP);
    ProcessEvents();
    EXPECT_EQ(table->State(), dsBrowse);
    EXPECT_EQ(Other->Rows("SELECT id, name, qty FROM cust WHERE name = 'Zed'"), "6|Zed|1");
    EXPECT_EQ(table->RecordCount(), 6);
    Render("taskmoor_sqlite_grid_edited.png");
    // a change by the other connection shows after a refresh
    Other->Execute("UPDATE cust SET city = 'Lima' WHERE id = 2");
    table->Refresh();
    table->First();
    EXPECT_EQ(table->FieldByName("city")->AsString(), "Lima");
}

TEST_F(SqliteFormTest, FilterLinesAndAQueryWithParameters) {
    auto* table = new TqzTable(Form);
    table->SetDatabaseName(Path);
    table->SetTableName("cust");
    TFormGrid* grid = MakeGrid(table, 8);
    auto* query = new TqzQuery(Form);
    query->SetDatabaseName(Path);
    query->SQL()->SetText("SELECT id, name, qty, city FROM cust WHERE qty >= :least ORDER BY qty");
    query->ParamByName("least")->SetAsInteger(7);
    query->SetRequestLive(true);
    TFormGrid* queryGrid = MakeGrid(query, 170);
    table->Open();
    query->Open();
    TStringList lines;
    lines.Add("city = Oslo");
    lines.Add("qty < 9");
    table->SetqzFilter(&lines);
    Show();
    Render("taskmoor_sqlite_filter_query.png");
    std::string shown;
    for (table->First(); !table->Eof(); table->Next()) shown += table->FieldByName("name")->AsString() + ",";
    EXPECT_EQ(shown, "bob,carl,");
    EXPECT_EQ(table->RecordCount(), 2);
    shown.clear();
    for (query->First(); !query->Eof(); query->Next()) shown += query->FieldByName("name")->AsString() + ",";
    EXPECT_EQ(shown, "carl,Émile,Ann,");
    // the live query's first row edited in its grid
    query->First();
    queryGrid->SetFocus();
    queryGrid->SelectDataColumn(2);
    ProcessEvents();
    Type("Pisa");
    SendKeyToFocus(VK_RETURN);
    SendKeyToFocus(VK_DOWN);
    ProcessEvents();
    EXPECT_EQ(query->State(), dsBrowse);
    EXPECT_EQ(Other->Rows("SELECT name, city FROM cust WHERE id = 3"), "carl|Pisa");
    // the filtered table no longer shows carl once it reads the file again
    table->Refresh();
    shown.clear();
    for (table->First(); !table->Eof(); table->Next()) shown += table->FieldByName("name")->AsString() + ",";
    EXPECT_EQ(shown, "bob,");
    (void)grid;
}

TEST_F(SqliteFormTest, IncrementalSearchRoadsOfATable) {
    TDatabase db(nullptr);
    db.SetDatabaseName(Path);
    db.Execute("CREATE INDEX bycity ON cust (city, name);");
    auto* table = new TqzTable(Form);
    table->SetDatabaseName(Path);
    table->SetTableName("cust");
    auto* source = new TDataSource(Form);
    source->SetDataSet(table);
    auto* search = new TqzIncrementalSearch(Form);
    search->SetParent(Form);
    search->SetDataSource(source);
    table->SetIndexName("bycity");
    table->Open();
    Show();
    EXPECT_EQ(search->GetSearchField()->FieldName(), "city");  // the first index field
    search->SetText("os");
    EXPECT_FALSE(search->DoSearch());  // a case-sensitive index: "os" sorts after "Oslo"
    search->SetText("Os");
    EXPECT_TRUE(search->DoSearch());
    EXPECT_EQ(table->FieldByName("name")->AsString(), "bob");
    // the second key field: within the current city
    search->SetSearchField("NAME");
    search->SetText("ca");
    EXPECT_TRUE(search->DoSearch());
    EXPECT_EQ(table->FieldByName("name")->AsString(), "carl");
    // several fields at once, by Locate
    search->SetSearchField("city;name");
    search->SetText("rome;an");
    EXPECT_FALSE(search->DoSearch());  // by the index's case rule
    search->SetText("Rome;An");
    EXPECT_TRUE(search->DoSearch());
    EXPECT_EQ(table->FieldByName("id")->AsInteger(), 2);
    // a field outside the index: the field search from the start of the text
    search->SetSearchField("qty");
    search->SetText("9");
    EXPECT_TRUE(search->DoSearch());
    EXPECT_EQ(table->FieldByName("name")->AsString(), "Émile");
}

TEST_F(SqliteFormTest, RecordViewOverATextColumnShowsAndPostsIt) {
    Other->Execute(
        "ALTER TABLE cust ADD COLUMN notes TEXT;"
        "UPDATE cust SET notes = 'note of ' || name;");
    auto* table = new TqzTable(Form);
    table->SetDatabaseName(Path);
    table->SetTableName("cust");
    TFormGrid* grid = MakeGrid(table, 8);
    auto* view = new TqzRecordViewDialog(Form);
    view->SetDataSource(grid->DataSource());
    view->SetOptions(view->Options() - TqzRecordViewOptions{rvoModalForm});
    table->Open();
    Show();
    // the view's edits read the memo as the record moves, and change nothing
    ASSERT_TRUE(view->Execute());
    ProcessEvents();
    ASSERT_NE(view->Form(), nullptr);
    TqzDBCustomEdit* notes = nullptr;
    for (TControl* c : view->Controls())
        if (auto* e = dynamic_cast<TqzDBCustomEdit*>(c); e && e->DataField() == "notes") notes = e;
    ASSERT_NE(notes, nullptr);
    EXPECT_EQ(notes->Text(), "note of bob");
    for (int i = 0; i < 3; ++i) table->Next();
    EXPECT_EQ(notes->Text(), "note of dora");
    if (const char* dir = std::getenv("TASKMOOR_PNG_DIR"))
        RenderControlToPng(view->Form(), std::string(dir) + "/taskmoor_sqlite_record_view.png");
    EXPECT_EQ(table->State(), dsBrowse);
    EXPECT_FALSE(table->Modified());
    // typed into the view and posted: the file holds it
    ActivateForm(view->Form());
    notes->SetFocus();
    ProcessEvents();
    notes->SelectAll();
    Type("typed");
    table->Post();
    EXPECT_EQ(SqliteCli(Path, "SELECT notes FROM cust WHERE id = 4;"), "typed");
    EXPECT_EQ(SqliteCli(Path, "SELECT count(*) FROM cust WHERE notes = 'note of ' || name;"), "4");
    view->Form()->Close();
    ProcessEvents();
}

TEST_F(SqliteFormTest, NavigatorRightAfterOpenStandsOnTheFirstRecord) {
    // a table that filters itself as it opens (its OnFilter handler)
    auto* table = new TqzTable(Form);
    table->SetDatabaseName(Path);
    table->SetTableName("cust");
    table->SetOnFilter(TFilterRecordEvent(
        [](TDataSet* Ds, bool& Accept) { Accept = Ds->FieldByName("city")->AsString() != "Rome"; }));
    TFormGrid* grid = MakeGrid(table, 40);
    auto* nav = new TqzDBNavigator(Form);
    nav->SetParent(Form);
    nav->SetBounds(8, 8, 1, 25);
    nav->SetDataSource(grid->DataSource());
    table->Open();
    Show();
    auto on = [&](TqzNavButtonStyle Style) { return nav->Buttons()->ButtonOfStyle(Style)->Enabled(); };
    EXPECT_TRUE(table->Bof());
    EXPECT_FALSE(table->Eof());
    EXPECT_EQ(table->FieldByName("id")->AsInteger(), 1);
    EXPECT_FALSE(on(nbsFirst));
    EXPECT_FALSE(on(nbsPrior));
    EXPECT_FALSE(on(nbsPriorPage));
    EXPECT_TRUE(on(nbsNext));
    EXPECT_TRUE(on(nbsLast));
    // as after First
    table->Next();
    EXPECT_TRUE(on(nbsPrior));
    table->First();
    EXPECT_TRUE(table->Bof());
    EXPECT_FALSE(on(nbsPrior));
    // opened again while shown, now filtered by lines too: the same
    table->Close();
    TStringList lines;
    lines.Add("qty > 3");
    table->SetqzFilter(&lines);
    table->Open();
    ProcessEvents();
    EXPECT_TRUE(table->Bof());
    EXPECT_EQ(table->RecordCount(), 3);  // bob, carl, Émile
    EXPECT_FALSE(on(nbsFirst));
    EXPECT_FALSE(on(nbsPriorPage));
}

TEST_F(SqliteFormTest, AnEditOfARowAnotherConnectionDeletedIsRefusedAndKept) {
    // a table without the folding index the other connection cannot update
    Other->Execute(
        "CREATE TABLE stock (id INTEGER PRIMARY KEY, name VARCHAR(20), qty INTEGER, city VARCHAR(10));"
        "INSERT INTO stock SELECT id, name, qty, city FROM cust;");
    auto* table = new TqzTable(Form);
    table->SetDatabaseName(Path);
    table->SetTableName("stock");
    TFormGrid* grid = MakeGrid(table, 8);
    table->Open();
    Show();
    grid->SetFocus();
    SendKeyToFocus(VK_DOWN);
    ASSERT_EQ(table->FieldByName("name")->AsString(), "Ann");
    Other->Execute("DELETE FROM stock WHERE id = 2");
    // the quantity typed and posted by leaving the row: refused, the typing stays
    grid->SelectDataColumn(1);
    ProcessEvents();
    Type("99");
    SendKeyToFocus(VK_RETURN);
    SendKeyToFocus(VK_UP);
    ProcessEvents();
    ASSERT_EQ(Dialogs.Count(), 1);
    EXPECT_EQ(Dialogs.Last().Text, "Record not found.");
    EXPECT_EQ(table->State(), dsEdit);
    EXPECT_EQ(table->FieldByName("qty")->AsString(), "99");
    EXPECT_EQ(Other->Rows("SELECT count(*) FROM stock WHERE qty = 99"), "0");
    // the user lets it go; the table goes on
    table->Cancel();
    table->Refresh();
    EXPECT_EQ(table->RecordCount(), 4);
    // a live query the same
    auto* query = new TqzQuery(Form);
    query->SetDatabaseName(Path);
    query->SQL()->SetText("SELECT id, name, qty FROM stock ORDER BY id");
    query->SetRequestLive(true);
    query->Open();
    Other->Execute("DELETE FROM stock WHERE id = 1");
    query->Edit();
    query->FieldByName("qty")->SetAsInteger(98);
    EXPECT_THROW(query->Post(), EDatabaseError);
    EXPECT_EQ(query->State(), dsEdit);
    query->Cancel();
}

TEST_F(SqliteFormTest, IncrementalSearchTakesOnlyValuesOfTheIndexFieldsType) {
    Other->Execute(
        "CREATE TABLE parts (id INTEGER PRIMARY KEY, serial BIGINT, name VARCHAR(10));"
        "CREATE INDEX byserial ON parts (serial);"
        "INSERT INTO parts VALUES (1, 5000000000, 'big'), (2, 7, 'small'), (3, -9000000000, 'low');");
    auto* table = new TqzTable(Form);
    table->SetDatabaseName(Path);
    table->SetTableName("parts");
    table->SetIndexName("byserial");
    auto* source = new TDataSource(Form);
    source->SetDataSet(table);
    auto* search = new TqzIncrementalSearch(Form);
    search->SetParent(Form);
    search->SetBounds(8, 8, 160, 24);
    search->SetDataSource(source);
    table->Open();
    Show();
    search->SetFocus();
    Type("5000000000");
    Timers.Advance(300);
    ProcessEvents();
    EXPECT_EQ(table->FieldByName("name")->AsString(), "big");
    search->SetText("");
    // a text that is no number of the field, or past its range: no search, no error
    for (const char* text : {"abc", "99999999999999999999", "-"}) {
        Type(text);
        Timers.Advance(300);
        ProcessEvents();
        EXPECT_EQ(Dialogs.Count(), 0) << text << ": " << (Dialogs.Count() ? Dialogs.Last().Text : "");
        EXPECT_EQ(table->FieldByName("name")->AsString(), "big") << text;
        search->SetText("");
        Dialogs.Clear();
    }
    search->SetText("-9000000000");
    EXPECT_TRUE(search->DoSearch());
    EXPECT_EQ(table->FieldByName("name")->AsString(), "low");
    // a number is found whole, as on an integer index: 500 is not 5000000000
    search->SetText("500");
    EXPECT_FALSE(search->DoSearch());
    EXPECT_EQ(table->FieldByName("name")->AsString(), "big");  // the nearest
    // a Boolean index the same: a word that is no Boolean value searches nothing
    Other->Execute(
        "ALTER TABLE parts ADD COLUMN sold BOOLEAN; UPDATE parts SET sold = id = 2;"
        "CREATE INDEX bysold ON parts (sold);");
    table->Close();
    table->SetIndexName("bysold");
    table->Open();
    search->SetFocus();
    search->SetText("");
    Type("Tr");
    Timers.Advance(300);
    ProcessEvents();
    EXPECT_EQ(Dialogs.Count(), 0) << (Dialogs.Count() ? Dialogs.Last().Text : "");
    search->SetText("True");
    EXPECT_TRUE(search->DoSearch());
    EXPECT_EQ(table->FieldByName("name")->AsString(), "small");
    // a later field of the index the same
    Other->Execute("CREATE INDEX bynamesold ON parts (name, sold);");
    table->Close();
    table->SetIndexName("bynamesold");
    table->Open();
    search->SetSearchField("sold");
    search->SetText("Tr");
    EXPECT_FALSE(search->DoSearch());
    EXPECT_EQ(Dialogs.Count(), 0) << (Dialogs.Count() ? Dialogs.Last().Text : "");
}

}  // namespace
