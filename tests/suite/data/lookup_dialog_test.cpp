// The lookup dialog over engine and SQLite tables, driven by real keys and
// clicks inside its modal form: incremental search, the index chooser, the
// status header, the keys and double click, every refusal of Execute and the
// shadow table that the search table follows on OK.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "platform/core/exceptions.h"
#include "platform/core/files.h"
#include "platform/db/dbtables.h"
#include "platform/ui/comctrls.h"
#include "platform/ui/timer.h"
#include "suite/data/qzdbtables.h"
#include "suite/data/qzlookupdlg.h"
#include "suite/data/qznavigator.h"
#include "support/suite/data/nav_fixture.h"
#include "support/suite/dialog_glyphs.h"

namespace {

// A dialog of the lookup kind over any dataset.
class TTestLookupDialog : public TqzCustomLookupDialog {
public:
    using TqzCustomLookupDialog::TqzCustomLookupDialog;
    TDataSet* GetPrimaryDataSet() override { return Table; }
    TDataSet* Table = nullptr;
};

class LookupDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        Db.SetDatabaseName(":memory:");
        Db.Open();
        Db.Execute(
            "CREATE TABLE cust (id INTEGER PRIMARY KEY, name VARCHAR(20), city VARCHAR(10));"
            "CREATE INDEX byname ON cust (name COLLATE FOLD);"
            "CREATE INDEX bycity ON cust (city COLLATE FOLD);"
            "INSERT INTO cust VALUES (1, 'bob', 'Oslo'), (2, 'Ann', 'Rome'), (3, 'carl', 'Bern'),"
            " (4, 'dora', 'Rotterdam');");
        Form = new TForm(nullptr);
        Form->SetBounds(40, 40, 320, 260);
        Table = MakeTable();
        Table->Open();
        Form->Show();
        ProcessEvents();
    }
    void TearDown() override {
        delete Form;
        ProcessEvents();
    }
    TqzTable* MakeTable(const std::string& Name = "cust") {
        auto* t = new TqzTable(Form);
        t->SetDatabaseName(":memory:");
        t->SetTableName(Name);
        return t;
    }
    std::string NameOf(TDataSet* D) { return D->FieldByName("name")->AsString(); }
    // Opens the index chooser's list with F4 and clicks the entry.
    void PickIndex(TqzLookupDlg* F, const std::string& Entry) {
        TqzTempKeyCombo* c = F->IndexCombo();
        c->SetFocus();
        ProcessEvents();
        SendKey(c, VK_F4);
        ASSERT_TRUE(c->IsDroppedDown());
        const int row = c->Items()->IndexOf(Entry);
        ASSERT_GE(row, 0) << Entry;
        const TRect r = c->List()->ItemRect(row);
        SendClick(c->List(), (r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2);
        ProcessEvents();
    }
    std::string FirstGridField(TqzLookupDlg* F) {
        TField* f = F->qzDBGrid1()->GetColField(0);
        return f ? f->FieldName() : std::string();
    }

    TDatabase Db{nullptr};
    TForm* Form = nullptr;
    TqzTable* Table = nullptr;
    TTestDialogs Dialogs;
    TTestModalForms Modal;
    TTestTimers Timers;
};

// Over an SQLite table: the chooser lists the indexes, a pick reorders the
// grid and the search follows the new index; typing picks the record; the
// status header shows the table and the position; OK answers True.
TEST_F(LookupDialogTest, SearchDialogPicksByIndexChoiceAndTyping) {
    Table->SetIndexName("byname");
    TqzSearchDialog d(Form);
    d.SetSearchTable(Table);
    d.SetOptions({opShowOKCancel, opShowSearchBy, opShowStatusBar});
    int sortChanges = 0, inits = 0, closes = 0;
    d.SetOnSortChange(TNotifyEvent([&](TObject* S) {
        EXPECT_EQ(&d, S);
        ++sortChanges;
    }));
    d.SetOnInitDialog(TqzOnInitDialogEvent([&](TObject*, TqzLookupDlg* F) {
        EXPECT_EQ(F, d.Form);
        ++inits;
    }));
    d.SetOnCloseDialog(TqzOnInitDialogEvent([&](TObject*, TqzLookupDlg*) { ++closes; }));
    Modal.Push([&](TCustomForm* F) {
        auto* f = dynamic_cast<TqzLookupDlg*>(F);
        ASSERT_NE(nullptr, f);
        EXPECT_EQ("Search", f->Caption());
        EXPECT_EQ("&Search Characters", f->SearchCharacterLabel()->Caption());
        EXPECT_EQ("Search &By", f->SortByLabel()->Caption());
        EXPECT_TRUE(f->IndexCombo()->Visible());
        ProcessEvents();
        EXPECT_EQ(f->qzIncrementalSearch1(), FocusedControl());
        EXPECT_EQ("name", f->IndexCombo()->Text());
        EXPECT_EQ("name", FirstGridField(f));  // the index field comes first
        EXPECT_EQ("cust", f->StatusHeader()->Panels()->Items(0)->Text());
        EXPECT_EQ("Rec # 2 of 4", f->StatusHeader()->Panels()->Items(1)->Text());
        // Typing searches the name index after the pause.
        SendText(f->qzIncrementalSearch1(), "CA");
        Timers.Advance(200);
        EXPECT_EQ("carl", NameOf(Table));
        EXPECT_EQ("Rec # 3 of 4", f->StatusHeader()->Panels()->Items(1)->Text());
        // Searching by city: the search box is cleared and the city column
        // moves to the front.
        PickIndex(f, "city");
        EXPECT_EQ("bycity", Table->IndexName());
        EXPECT_EQ("", f->qzIncrementalSearch1()->Text());
        EXPECT_EQ("city", FirstGridField(f));
        EXPECT_EQ(f->qzIncrementalSearch1(), FocusedControl());
        SendText(f->qzIncrementalSearch1(), "ro");
        Timers.Advance(200);
        EXPECT_EQ("Ann", NameOf(Table));
        SendText(f->qzIncrementalSearch1(), "t");
        Timers.Advance(200);
        EXPECT_EQ("dora", NameOf(Table));
        EXPECT_TRUE(RenderControlToPng(f, GetTempDir() + "taskmoor_lookup_dialog.png"));
        SendClick(f->OKButton(), 5, 5);
    });
    EXPECT_TRUE(d.Execute());
    EXPECT_EQ(0, Modal.Pending());
    EXPECT_EQ("dora", NameOf(Table));
    EXPECT_EQ(1, sortChanges);
    EXPECT_EQ(1, inits);
    EXPECT_EQ(1, closes);
    EXPECT_EQ(nullptr, d.Form);
    EXPECT_EQ(0, Dialogs.Count());
}

// Keys: Down from the search box moves the grid's record, Enter presses OK;
// Escape cancels; a double click on a data row is OK, on the title nothing.
// The navigator's Search button over an SQLite table: the search dialog
// opens, an index is chosen, typing finds the record and OK keeps it.
TEST_F(LookupDialogTest, NavigatorSearchButtonPicksAnSQLiteRecord) {
    TDataSource src(Form);
    src.SetDataSet(Table);
    auto* nav = new TqzDBNavigator(Form);
    nav->SetParent(Form);
    nav->SetBounds(4, 4, 1, 25);
    nav->SetDataSource(&src);
    ProcessEvents();
    TqzNavButton* search = nav->Buttons()->AddButton(nbsSearchDialog);
    ProcessEvents();
    ASSERT_TRUE(search->Enabled());
    Modal.Push([&](TCustomForm* F) {
        auto* f = dynamic_cast<TqzLookupDlg*>(F);
        ASSERT_NE(nullptr, f);
        ASSERT_TRUE(f->IndexCombo()->Visible());
        PickIndex(f, "city");
        SendText(f->qzIncrementalSearch1(), "be");
        Timers.Advance(200);
        EXPECT_EQ("carl", NameOf(Table));
        SendKey(f->qzIncrementalSearch1(), VK_RETURN);
    });
    SendClick(search, search->Width() / 2, search->Height() / 2);
    EXPECT_EQ(0, Modal.Pending());
    EXPECT_EQ("carl", NameOf(Table));
    EXPECT_EQ("bycity", Table->IndexName());
    // Opened again: the same dialog, its form made afresh with an empty search
    // box; Cancel closes it.
    TqzCustomDialog* first = search->Dialog();
    Modal.Push([&](TCustomForm* F) {
        auto* f = dynamic_cast<TqzLookupDlg*>(F);
        ASSERT_NE(nullptr, f);
        EXPECT_EQ("", f->qzIncrementalSearch1()->Text());
        SendText(f->qzIncrementalSearch1(), "ro");
        Timers.Advance(200);
        EXPECT_EQ("Ann", NameOf(Table));
        SendClick(f->CancelButton(), 5, 5);
    });
    SendClick(search, search->Width() / 2, search->Height() / 2);
    EXPECT_EQ(0, Modal.Pending());
    EXPECT_EQ(first, search->Dialog());
    delete nav;
}

TEST_F(LookupDialogTest, KeysAndDoubleClick) {
    TqzSearchDialog d(Form);
    d.SetSearchTable(Table);
    Modal.Push([&](TCustomForm* F) {
        auto* f = dynamic_cast<TqzLookupDlg*>(F);
        ASSERT_NE(nullptr, f);
        ASSERT_EQ("bob", NameOf(Table));
        SendKey(f->qzIncrementalSearch1(), VK_DOWN);
        EXPECT_EQ("Ann", NameOf(Table));
        EXPECT_EQ(f->qzDBGrid1(), FocusedControl());
        SendKey(f->qzDBGrid1(), VK_DOWN);
        EXPECT_EQ("carl", NameOf(Table));
        SendKey(f->qzDBGrid1(), VK_RETURN);
    });
    EXPECT_TRUE(d.Execute());
    EXPECT_EQ("carl", NameOf(Table));

    Modal.Push(
        [&](TCustomForm* F) { SendKey(dynamic_cast<TqzLookupDlg*>(F)->qzIncrementalSearch1(), VK_ESCAPE); });
    EXPECT_FALSE(d.Execute());

    Modal.Push([&](TCustomForm* F) {
        auto* f = dynamic_cast<TqzLookupDlg*>(F);
        TqzDBGrid* g = f->qzDBGrid1();
        const TRect title = g->CellRect(1, 0);
        SendDoubleClick(g, title.Left + 3, title.Top + 3);
        ProcessEvents();
        EXPECT_EQ(mrNone, f->ModalResult());
        const TRect row = g->CellRect(1, 2);  // the second data row
        SendDoubleClick(g, row.Left + 3, row.Top + 3);
    });
    Table->First();
    EXPECT_TRUE(d.Execute());
    EXPECT_EQ("Ann", NameOf(Table));
}

// An engine table has no index information: no chooser; the search box
// searches the first grid column, and follows a moved column.
TEST_F(LookupDialogTest, EngineTableShowsNoIndexChooser) {
    TOstraTable engine(Form);
    engine.FieldDefs()->Add("Name", ftString, 20);
    engine.FieldDefs()->Add("City", ftString, 20);
    engine.Open();
    for (const char* n : {"anna", "bert", "carl"})
        engine.AppendRecord({Variant(n), Variant(std::string("C") + n)});
    engine.First();
    TqzSearchDialog d(Form);
    d.SetSearchTable(&engine);
    d.SetOptions({opShowOKCancel, opShowSearchBy, opShowStatusBar});
    Modal.Push([&](TCustomForm* F) {
        auto* f = dynamic_cast<TqzLookupDlg*>(F);
        ASSERT_NE(nullptr, f);
        EXPECT_FALSE(f->IndexCombo()->Visible());
        EXPECT_FALSE(f->SortByLabel()->Visible());
        EXPECT_FALSE(f->Options().Contains(opShowSearchBy));
        EXPECT_EQ("Name", f->qzIncrementalSearch1()->SearchField());
        // Not a sequenced SQLite table: the status header keeps its texts.
        EXPECT_EQ(" 8 ", f->StatusHeader()->Panels()->Items(1)->Text());
        SendText(f->qzIncrementalSearch1(), "be");
        Timers.Advance(200);
        EXPECT_EQ("bert", engine.FieldByName("Name")->AsString());
        // The City column moved to the front: the search box searches it.
        f->qzDBGrid1()->OnColumnMoved()(f->qzDBGrid1(), 2, 1);
        engine.FieldByName("City")->SetIndex(0);
        f->qzDBGrid1()->LayoutChanged();
        f->qzDBGrid1()->OnColumnMoved()(f->qzDBGrid1(), 2, 1);
        EXPECT_EQ("City", f->qzIncrementalSearch1()->SearchField());
        f->qzIncrementalSearch1()->Clear();
        SendText(f->qzIncrementalSearch1(), "cc");
        Timers.Advance(200);
        EXPECT_EQ("carl", engine.FieldByName("Name")->AsString());
        SendClick(f->CancelButton(), 5, 5);
    });
    EXPECT_FALSE(d.Execute());
    EXPECT_EQ(0, Dialogs.Count());
}

// Every refusal of Execute: its warning, False, and no form.
TEST_F(LookupDialogTest, ExecuteRefusals) {
    TqzSearchDialog d(Form);
    EXPECT_FALSE(d.Execute());
    ASSERT_EQ(1, Dialogs.Count());
    EXPECT_EQ("You must define a searchTable.", Dialogs.Last().Text);
    EXPECT_EQ(mtWarning, Dialogs.Last().DlgType);

    TTestLookupDialog lookup(Form);
    EXPECT_EQ("Lookup", lookup.Caption());
    EXPECT_FALSE(lookup.Execute());
    EXPECT_EQ("You must define a lookupTable.", Dialogs.Last().Text);
    TqzCustomLookupDialog base(Form);
    try {
        base.GetPrimaryDataSet();
        ADD_FAILURE() << "no error";
    } catch (const EInvalidOperation& e) {
        EXPECT_EQ(
            "Derived classes of \"TqzCustomLookupDialog\" must implement function \"GetPrimaryDataSet\"",
            std::string(e.what()));
    }

    d.SetSearchTable(Table);
    d.SetShadowSearchTable(Table);
    EXPECT_FALSE(d.Execute());
    EXPECT_EQ(
        "Your SearchTable and ShadowSearchTable must reference two distinct TDataSet objects, but each must "
        "reference the same physical table.",
        Dialogs.Last().Text);

    Db.Execute("CREATE TABLE other (id INTEGER PRIMARY KEY, name VARCHAR(20));");
    TqzTable* other = MakeTable("other");
    d.SetShadowSearchTable(other);
    EXPECT_FALSE(d.Execute());
    EXPECT_EQ(
        "Your SearchTable and ShadowSearchTable must reference two distinct TDataSet objects, and each must "
        "reference the same physical table.",
        Dialogs.Last().Text);
    EXPECT_FALSE(other->Active());

    // A closed search table: refused before the shadow is opened.
    TqzTable* shadow = MakeTable();
    d.SetShadowSearchTable(shadow);
    Table->Close();
    EXPECT_FALSE(d.Execute());
    EXPECT_EQ("Search Table is not active.", Dialogs.Last().Text);
    EXPECT_FALSE(shadow->Active());
    Table->Open();

    // A shadow that cannot be opened (its index is not there).
    TqzTable* badShadow = MakeTable();
    badShadow->SetFilter("nosuchcolumn = 1");
    badShadow->SetFiltered(true);
    d.SetShadowSearchTable(badShadow);
    EXPECT_FALSE(d.Execute());
    EXPECT_EQ("Unable to open search or lookup table.", Dialogs.Last().Text);
    EXPECT_FALSE(badShadow->Active());
    // A freed shadow is forgotten.
    delete badShadow;
    EXPECT_EQ(nullptr, d.ShadowSearchTable());

    // A dataset of another kind that is closed is not opened.
    TOstraTable engine(Form), engineShadow(Form);
    engine.FieldDefs()->Add("Name", ftString, 5);
    engine.Open();
    engineShadow.FieldDefs()->Add("Name", ftString, 5);
    d.SetSearchTable(&engine);
    d.SetShadowSearchTable(&engineShadow);
    EXPECT_FALSE(d.Execute());
    EXPECT_EQ("Search Table is not active.", Dialogs.Last().Text);
    EXPECT_EQ(7, Dialogs.Count());
    EXPECT_TRUE(Modal.Shown().empty());
}

// The user moves the shadow; on OK the search table follows it, on Cancel
// it stays. Datasets of another kind follow through OnSyncDataSets.
TEST_F(LookupDialogTest, ShadowTableIsMovedAndFollowedOnOK) {
    TqzTable* shadow = MakeTable();
    TqzSearchDialog d(Form);
    d.SetSearchTable(Table);
    d.SetShadowSearchTable(shadow);
    Table->Locate("name", Variant("carl"), {});
    Modal.Push([&](TCustomForm* F) {
        auto* f = dynamic_cast<TqzLookupDlg*>(F);
        EXPECT_EQ(shadow, f->DataSet());
        EXPECT_EQ("carl", NameOf(shadow));         // opened on the search table's record
        SendText(f->qzIncrementalSearch1(), "2");  // the first column is the id
        Timers.Advance(200);
        EXPECT_EQ("Ann", NameOf(shadow));
        EXPECT_EQ("carl", NameOf(Table));
        SendClick(f->CancelButton(), 5, 5);
    });
    EXPECT_FALSE(d.Execute());
    EXPECT_EQ("carl", NameOf(Table));
    Modal.Push([&](TCustomForm* F) {
        auto* f = dynamic_cast<TqzLookupDlg*>(F);
        SendText(f->qzIncrementalSearch1(), "4");
        Timers.Advance(200);
        SendKey(f->qzIncrementalSearch1(), VK_RETURN);
    });
    EXPECT_TRUE(d.Execute());
    EXPECT_EQ("dora", NameOf(Table));
    EXPECT_EQ(0, Dialogs.Count());

    // Engine tables: the sync event moves one to the other's record.
    TOstraTable a(Form), b(Form);
    for (TOstraTable* t : {&a, &b}) {
        t->FieldDefs()->Add("Name", ftString, 10);
        t->Open();
        for (const char* n : {"x", "y", "z"}) t->AppendRecord({Variant(n)});
        t->First();
    }
    a.Last();
    std::vector<std::string> syncs;
    d.SetSearchTable(&a);
    d.SetShadowSearchTable(&b);
    d.SetOnSyncDataSets(TqzSyncDataSetsEvent([&](TObject*, TDataSet* Move, TDataSet* Follow) {
        syncs.push_back(Move == &b ? "shadow" : "search");
        Move->Locate("Name", Follow->FieldByName("Name")->AsVariant(), {});
    }));
    Modal.Push([&](TCustomForm* F) {
        auto* f = dynamic_cast<TqzLookupDlg*>(F);
        EXPECT_EQ("z", b.FieldByName("Name")->AsString());
        SendKey(f->qzIncrementalSearch1(), VK_UP);
        SendKey(f->qzDBGrid1(), VK_RETURN);
    });
    EXPECT_TRUE(d.Execute());
    EXPECT_EQ("y", a.FieldByName("Name")->AsString());
    EXPECT_EQ((std::vector<std::string>{"shadow", "search"}), syncs);
}

// An empty Selected over a closed dataset: the information message and an
// empty grid; the dialog still runs and can be cancelled.
TEST_F(LookupDialogTest, ClosedDatasetWithoutSelectedShowsTheMessage) {
    TTestLookupDialog d(Form);
    Table->Close();
    d.Table = Table;
    Modal.Push([&](TCustomForm* F) {
        auto* f = dynamic_cast<TqzLookupDlg*>(F);
        EXPECT_EQ("Lookup", f->Caption());
        EXPECT_EQ(0, f->qzDBGrid1()->Selected()->Count());
        EXPECT_EQ(nullptr, f->qzDBGrid1()->GetColField(0));
        SendKey(f->qzIncrementalSearch1(), VK_ESCAPE);
    });
    EXPECT_FALSE(d.Execute());
    ASSERT_EQ(1, Dialogs.Count());
    EXPECT_EQ("DataSet for this component must be active.", Dialogs.Last().Text);
    EXPECT_EQ(mtInformation, Dialogs.Last().DlgType);
    EXPECT_EQ(0, d.Selected()->Count());
}

// Given Selected lines become the columns (with UseTFields, the fields'
// order and labels); user buttons show when captioned and fire with the
// dataset; the index list open refuses a close.
TEST_F(LookupDialogTest, SelectedLinesUserButtonsAndClosing) {
    TqzSearchDialog d(Form);
    d.SetSearchTable(Table);
    d.Selected()->Add("city\t10\tTown");
    d.Selected()->Add("name\t12\tWho");
    d.SetOptions({opShowOKCancel, opShowSearchBy, opDisableReorderColumns, opGroupControls});
    d.SetUserButton2Caption("&Add");
    TDataSet* clicked = nullptr;
    d.SetOnUserButton2Click(TqzUserButtonEvent([&](TObject* S, TDataSet* D) {
        EXPECT_EQ(&d, S);
        clicked = D;
    }));
    Modal.Push([&](TCustomForm* F) {
        auto* f = dynamic_cast<TqzLookupDlg*>(F);
        EXPECT_EQ("city", FirstGridField(f));
        EXPECT_EQ("Town", Table->FieldByName("city")->DisplayLabel());
        EXPECT_FALSE(Table->FieldByName("id")->Visible());
        EXPECT_TRUE(f->UserButtonPanel()->Visible());
        EXPECT_FALSE(f->UserButton1()->Visible());
        ASSERT_TRUE(f->UserButton2()->Visible());
        EXPECT_EQ("&Add", f->UserButton2()->Caption());
        // Grouped: the chooser sits under the search box.
        EXPECT_GT(f->IndexCombo()->Top(), f->qzIncrementalSearch1()->Top());
        SendClick(f->UserButton2(), 5, 5);
        EXPECT_EQ(Table, clicked);
        EXPECT_TRUE(RenderControlToPng(f, GetTempDir() + "taskmoor_lookup_dialog_grouped.png"));
        // With the index list open the form does not close.
        f->IndexCombo()->SetFocus();
        SendKey(f->IndexCombo(), VK_DOWN);
        ASSERT_TRUE(f->IndexCombo()->IsDroppedDown());
        EXPECT_FALSE(f->CloseQuery());
        // Escape closes the list only and returns to the search box.
        SendKey(f->IndexCombo(), VK_ESCAPE);
        EXPECT_FALSE(f->IndexCombo()->IsDroppedDown());
        EXPECT_EQ(f->qzIncrementalSearch1(), FocusedControl());
        EXPECT_EQ(mrNone, f->ModalResult());
        SendClick(f->OKButton(), 5, 5);
    });
    EXPECT_TRUE(d.Execute());
    EXPECT_EQ(0, Modal.Pending());
}

// The search dialog's OK and Cancel show their whole glyphs.
TEST_F(LookupDialogTest, OkAndCancelShowTheirWholeGlyphs) {
    TqzSearchDialog d(Form);
    d.SetSearchTable(Table);
    d.SetOptions({opShowOKCancel});
    int buttons = 0;
    Modal.Push([&](TCustomForm* F) {
        buttons = ExpectKindGlyphsWhole(F, "lookup_dialog_button");
        F->SetModalResult(mrCancel);
    });
    EXPECT_FALSE(d.Execute());
    EXPECT_EQ(buttons, 2);
}

}  // namespace
