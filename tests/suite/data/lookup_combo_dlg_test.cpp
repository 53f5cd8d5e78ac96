// The dialog-style lookup combo over engine tables: its defaults, the
// button opening the lookup dialog, OK writing the chosen record's keys back
// and Cancel leaving the value, and the cases that open no dialog.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/ostra_table.h"
#include "platform/core/exceptions.h"
#include "platform/core/files.h"
#include "platform/core/properties.h"
#include "platform/db/datasource.h"
#include "platform/db/fielddefs.h"
#include "platform/db/fields.h"
#include "platform/ui/forms.h"
#include "platform/ui/testing.h"
#include "platform/ui/timer.h"
#include "suite/base/qzcontroller.h"
#include "suite/data/qzlookupcombodlg.h"
#include "suite/data/qzlookupdlg.h"
#include "suite/data/qznavigator.h"

namespace {

class LookupComboDlgTest : public ::testing::Test {
protected:
    void SetUp() override {
        Form.SetBounds(20, 20, 400, 200);
        Cust.FieldDefs()->Add("Id", ftInteger);
        Cust.FieldDefs()->Add("Region", ftString, 4);
        Cust.FieldDefs()->Add("Name", ftString, 20);
        Cust.Open();
        int id = 0;
        for (const char* n : {"anna", "bert", "carl", "dora"})
            Cust.AppendRecord({Variant(++id), Variant(id % 2 ? "N" : "S"), Variant(n)});
        Cust.First();
        Orders.FieldDefs()->Add("Item", ftString, 10);
        Orders.FieldDefs()->Add("CustId", ftInteger);
        Orders.FieldDefs()->Add("Region", ftString, 4);
        Orders.Open();
        Orders.AppendRecord({Variant("pen"), Variant(2), Variant("S")});
        Src.SetDataSet(&Orders);
        Combo = new TqzDBLookupComboDlg(&Form);
        Combo->SetParent(&Form);
        Combo->SetBounds(10, 10, 160, 25);
        Combo->SetDataSource(&Src);
        Combo->SetDataField("CustId");
        Combo->SetLookupTable(&Cust);
        Combo->SetLookupField("Id;Region");
        Combo->Selected()->Add("Name\t12\tName");
        Form.Show();
        ProcessEvents();
    }
    void PressButton() {
        TControl* b = Combo->Button();
        SendClick(b, b->Width() / 2, b->Height() / 2);
        ProcessEvents();
    }

    TForm Form{nullptr};
    TOstraTable Cust{&Form};
    TOstraTable Orders{&Form};
    TDataSource Src{&Form};
    TqzDBLookupComboDlg* Combo = nullptr;
    TTestDialogs Dialogs;
    TTestModalForms Modal;
    TTestTimers Timers;
};

TEST_F(LookupComboDlgTest, Defaults) {
    TqzDBLookupComboDlg c(&Form);
    EXPECT_EQ(cbsEllipsis, c.ButtonStyle());
    EXPECT_EQ(qzDefaultLookupGridOptions(), c.GridOptions());
    EXPECT_TRUE(c.GridOptions().Contains(dgPerfectRowFit));
    EXPECT_FALSE(c.GridOptions().Contains(dgEditing));
    EXPECT_EQ(clWhite, c.GridColor());
    EXPECT_EQ(taLeftJustify, c.GridTitleAlignment());
    EXPECT_EQ((TqzDBLookupDlgOptions{opShowOKCancel, opShowSearchBy}), c.Options());
    EXPECT_EQ("Lookup", c.Caption());
    EXPECT_EQ(0, c.MaxWidth());
    EXPECT_EQ(209, c.MaxHeight());
    EXPECT_EQ("", c.UserButton1Caption());
    EXPECT_EQ(0, c.ControlType()->Count());
    EXPECT_TRUE(c.ControlInfoInDataset());
    EXPECT_TRUE(c.PictureMaskFromDataset());
    EXPECT_FALSE(c.PictureMaskFromField());
    TqzSearchDialog search(&Form);
    EXPECT_EQ("Search", search.Caption());
    EXPECT_EQ(209, search.MaxHeight());
    EXPECT_EQ(qzDefaultLookupGridOptions(), search.GridOptions());
}

// The button opens the dialog on the stored value's record; a typed search
// and OK write key 1 to the bound field and key 2 to the field of its name;
// the text becomes the display field's.
// What forms and hosts set and read by name: the binding (a navigator takes
// its data source from the combo), the list settings, the frame from a
// controller and the events.
TEST_F(LookupComboDlgTest, TheComboListIsReachedByName) {
    EXPECT_EQ(&Src, GetObjectProp(Combo, "DataSource"));
    EXPECT_EQ("CustId", GetStrProp(Combo, "DataField"));
    auto* nav = new TqzDBNavigator(&Form);
    nav->SetParent(&Form);
    nav->SetDataSourceFromControl(Combo, false);
    EXPECT_EQ(&Src, nav->DataSource());
    TDataSource other(&Form);
    other.SetDataSet(&Orders);
    SetObjectProp(Combo, "DataSource", &other);
    EXPECT_EQ(&other, Combo->DataSource());
    SetObjectProp(Combo, "DataSource", &Src);

    SetEnumProp(Combo, "Style", "csDropDownList");
    EXPECT_EQ(csDropDownList, Combo->Style());
    SetOrdProp(Combo, "DropDownCount", 3);
    EXPECT_EQ(3, Combo->DropDownCount());
    SetSetProp(Combo, "SeqSearchOptions", "[ssoEnabled,ssoCaseSensitive]");
    EXPECT_TRUE(Combo->SeqSearchOptions().Contains(ssoCaseSensitive));
    EXPECT_EQ("taLeftJustify", GetEnumProp(Combo, "DropDownAlignment"));
    EXPECT_EQ(1, GetOrdProp(Combo, "OrderByDisplay"));
    SetOrdProp(Combo, "ShowButton", 0);
    EXPECT_FALSE(Combo->GetShowButton());
    SetOrdProp(Combo, "ShowButton", 1);
    EXPECT_EQ(Combo->Picture(), GetObjectProp(Combo, "Picture"));

    auto* ctl = new TqzController(&Form);
    ctl->Frame()->SetEnabled(true);
    SetObjectProp(Combo, "Controller", ctl);
    EXPECT_TRUE(Combo->Frame()->Enabled());  // the controller's frame, found by name
    EXPECT_EQ(0, ctl->ControlList()->IndexOf(Combo));

    SetMethodProp(Combo, "OnDropDown", TNotifyEvent([](TObject*) {}));
    EXPECT_TRUE(GetMethodProp(Combo, "OnDropDown").Assigned());
    EXPECT_EQ("TNotifyCloseUpEvent", GetPropInfo(Combo, "OnCloseUp")->TypeName);
    EXPECT_EQ("TqzPerformSearchEvent", GetPropInfo(Combo, "OnPerformCustomSearch")->TypeName);
    Combo->SetOnDropDown(TNotifyEvent());
}

TEST_F(LookupComboDlgTest, OKWritesTheKeysBackAndCancelLeavesThem) {
    EXPECT_EQ("bert", Combo->Text());
    bool closed = false, result = false;
    Combo->SetOnCloseUp(TNotifyCloseUpEvent([&](TObject*, TDataSet* L, TDataSet* B, bool R) {
        EXPECT_EQ(&Cust, L);
        EXPECT_EQ(&Orders, B);
        closed = true;
        result = R;
    }));
    Modal.Push([&](TCustomForm* F) {
        auto* f = dynamic_cast<TqzLookupDlg*>(F);
        ASSERT_NE(nullptr, f);
        EXPECT_EQ("Lookup", f->Caption());
        EXPECT_EQ(&Cust, f->DataSet());
        EXPECT_EQ("bert", Cust.FieldByName("Name")->AsString());  // on the value
        EXPECT_FALSE(f->IndexCombo()->Visible());
        SendText(f->qzIncrementalSearch1(), "ca");
        Timers.Advance(200);
        EXPECT_EQ("carl", Cust.FieldByName("Name")->AsString());
        EXPECT_TRUE(RenderControlToPng(f, GetTempDir() + "taskmoor_lookup_combo_dialog.png"));
        SendKey(f->qzIncrementalSearch1(), VK_RETURN);
    });
    PressButton();
    EXPECT_EQ(0, Modal.Pending());
    EXPECT_TRUE(closed);
    EXPECT_TRUE(result);
    EXPECT_EQ(dsEdit, Orders.State());
    EXPECT_EQ(3, Orders.FieldByName("CustId")->AsInteger());
    EXPECT_EQ("N", Orders.FieldByName("Region")->AsString());
    EXPECT_EQ("carl", Combo->Text());
    EXPECT_TRUE(Combo->MatchFound());
    Orders.Post();
    EXPECT_EQ(3, Orders.FieldByName("CustId")->AsInteger());
    EXPECT_EQ("carl", Combo->Text());

    // Cancel after moving in the dialog: the value stays.
    closed = false;
    Modal.Push([&](TCustomForm* F) {
        auto* f = dynamic_cast<TqzLookupDlg*>(F);
        SendKey(f->qzIncrementalSearch1(), VK_DOWN);
        EXPECT_EQ("dora", Cust.FieldByName("Name")->AsString());
        SendClick(f->CancelButton(), 5, 5);
    });
    Combo->SetFocus();
    SendKey(Combo, VK_F4);
    EXPECT_TRUE(closed);
    EXPECT_FALSE(result);
    EXPECT_EQ(dsBrowse, Orders.State());
    EXPECT_EQ(3, Orders.FieldByName("CustId")->AsInteger());
    EXPECT_EQ("N", Orders.FieldByName("Region")->AsString());
    EXPECT_EQ("carl", Combo->Text());
    EXPECT_EQ(0, Dialogs.Count());
}

TEST_F(LookupComboDlgTest, DialogEventsAssignedByNameFire) {
    std::vector<std::string> calls;
    TqzLookupDlg* shown = nullptr;
    SetMethodProp(Combo, "OnInitDialog", TqzOnInitDialogEvent([&](TObject* Sender, TqzLookupDlg* D) {
                      EXPECT_NE(nullptr, Sender);
                      shown = D;
                      calls.push_back("init");
                  }));
    SetMethodProp(Combo, "OnCloseDialog", TqzOnInitDialogEvent([&](TObject*, TqzLookupDlg* D) {
                      EXPECT_EQ(shown, D);
                      calls.push_back("close");
                  }));
    SetMethodProp(Combo, "OnUserButton1Click", TqzUserButtonEvent([&](TObject*, TDataSet* D) {
                      EXPECT_EQ(&Cust, D);
                      calls.push_back("one");
                  }));
    SetMethodProp(Combo, "OnSortChange", TNotifyEvent([](TObject*) {}));
    EXPECT_TRUE(GetMethodProp(Combo, "OnSortChange").Assigned());
    EXPECT_THROW(SetMethodProp(Combo, "OnUserButton2Click", TNotifyEvent([](TObject*) {})), EPropertyError);
    SetStrProp(Combo, "UserButton1Caption", "Mine");
    Modal.Push([&](TCustomForm* F) {
        auto* f = dynamic_cast<TqzLookupDlg*>(F);
        ASSERT_NE(nullptr, f);
        EXPECT_EQ(shown, f);
        ASSERT_TRUE(f->UserButton1()->Visible());
        SendClick(f->UserButton1(), 5, 5);
        SendClick(f->CancelButton(), 5, 5);
    });
    PressButton();
    EXPECT_EQ(0, Modal.Pending());
    EXPECT_EQ((std::vector<std::string>{"init", "one", "close"}), calls);
    // Cleared by name: the handlers hold this test's locals.
    for (const char* name : {"OnInitDialog", "OnCloseDialog", "OnUserButton1Click", "OnSortChange"})
        SetMethodProp(Combo, name, TMethod());
    EXPECT_FALSE(GetMethodProp(Combo, "OnInitDialog").Assigned());
}

// No dialog: a read-only combo ignores the button; a missing or closed
// lookup table gives the warning.
TEST_F(LookupComboDlgTest, NoDialogWithoutAnOpenLookupTableOrWhenReadOnly) {
    int drops = 0;
    Combo->SetOnDropDown(TNotifyEvent([&](TObject*) { ++drops; }));
    Combo->SetReadOnly(true);
    PressButton();
    EXPECT_EQ(0, drops);
    EXPECT_TRUE(Modal.Shown().empty());
    EXPECT_EQ(0, Dialogs.Count());
    Combo->SetReadOnly(false);
    Cust.Close();
    PressButton();
    ASSERT_EQ(1, Dialogs.Count());
    EXPECT_EQ("No lookup table specified!", Dialogs.Last().Text);
    EXPECT_EQ(mtWarning, Dialogs.Last().DlgType);
    Combo->SetLookupTable(nullptr);
    PressButton();
    EXPECT_EQ(2, Dialogs.Count());
    EXPECT_EQ("No lookup table specified!", Dialogs.Last().Text);
    EXPECT_EQ(2, drops);
    EXPECT_TRUE(Modal.Shown().empty());
    EXPECT_EQ(2, Orders.FieldByName("CustId")->AsInteger());
}

// Unbound, OK shows the chosen record's display text and takes its key as
// the value.
TEST_F(LookupComboDlgTest, UnboundComboTakesTheRecord) {
    TqzDBLookupComboDlg c(&Form);
    c.SetParent(&Form);
    c.SetBounds(10, 50, 160, 25);
    c.SetLookupTable(&Cust);
    c.SetLookupField("Id");
    Modal.Push([&](TCustomForm* F) {
        auto* f = dynamic_cast<TqzLookupDlg*>(F);
        // An empty Selected got the first key field's line.
        EXPECT_EQ("Id", f->qzDBGrid1()->GetColField(0)->FieldName());
        SendText(f->qzIncrementalSearch1(), "4");
        Timers.Advance(200);
        SendKey(f->qzIncrementalSearch1(), VK_RETURN);
    });
    c.DropDown();
    EXPECT_EQ(1, c.Selected()->Count());
    EXPECT_EQ("4", c.Text());
    EXPECT_EQ("4", c.LookupValue());
}

}  // namespace
