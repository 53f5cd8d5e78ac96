// The filter dialog over engine tables: the record-filter road, what it
// leaves on the dataset, the form's OK and Cancel, the settings' rules.
#include "platform/core/exceptions.h"
#include "platform/core/properties.h"
#include "platform/ui/stdctrls.h"
#include "suite/data/qzfilterdlg.h"
#include "suite/edit/qzdbedit.h"
#include "support/suite/data/filter_fixture.h"

namespace {

TEST_F(FilterTest, ExecuteOkInstallsTheHandlerAndCancelChangesNothing) {
    Add("apple", 1, 1);
    Add("pear", 2, 2);
    TTestModalForms modal;
    modal.Push([](TCustomForm* F) { F->SetModalResult(mrCancel); });
    EXPECT_FALSE(D->Execute());
    EXPECT_FALSE(T.Filtered());
    EXPECT_FALSE(T.OnFilterRecord().Assigned());
    modal.Push([](TCustomForm* F) {
        auto* f = dynamic_cast<TqzFilterDlg*>(F);
        ASSERT_NE(nullptr, f);
        EXPECT_EQ("Name", f->FieldsListBox()->Items()->Strings(f->FieldsListBox()->ItemIndex()));
        SendText(f->FilterValueEdit(), "ap");
        SendKey(f->FilterValueEdit(), VK_RETURN);
    });
    EXPECT_TRUE(D->Execute());
    EXPECT_TRUE(T.Filtered());
    EXPECT_TRUE(T.OnFilterRecord() == D->FilterHandler());
    EXPECT_EQ((std::vector<std::string>{"apple"}), Column(T, "Name"));
    ASSERT_EQ(1u, D->Criteria().size());
    EXPECT_EQ(fdMatchStart, D->Criteria()[0].MatchType);
    // OK without changes while the filter is on leaves it as it is.
    modal.Push([](TCustomForm* F) { SendKey(dynamic_cast<TqzFilterDlg*>(F)->OKButton(), VK_RETURN); });
    EXPECT_TRUE(D->Execute());
    EXPECT_EQ((std::vector<std::string>{"apple"}), Column(T, "Name"));
}

TEST_F(FilterTest, SettingsWrittenByNameShapeTheFormAndTheFilter) {
    Add("apple", 1, 1);
    Add("ample", 2, 2);
    Add("pear", 3, 3);
    SetEnumProp(D, "DefaultMatchType", "fdMatchAny");
    SetPropValue(D, "Caption", Variant("Find fruit"));
    SetSetProp(D, "Options", "[fdShowOKCancel]");
    EXPECT_EQ("[fdShowOKCancel]", GetSetProp(D, "Options"));
    EXPECT_EQ("fdByFilter", GetEnumProp(D, "FilterMethod"));
    EXPECT_EQ('z', GetOrdProp(D, "UpperRangePadChar"));
    auto* rounding = GetObjectProp<TqzFilterDialogRounding>(D, "Rounding");
    ASSERT_EQ(D->Rounding(), rounding);
    EXPECT_EQ(0.0001, GetFloatProp(rounding, "Epsilon"));
    auto* text = GetObjectProp<TqzFilterPropertyOptions>(D, "FilterPropertyOptions");
    ASSERT_EQ(D->FilterPropertyOptions(), text);
    SetStrProp(text, "LikeWildcardChar", "*");
    EXPECT_EQ("*", D->FilterPropertyOptions()->LikeWildcardChar);
    TTestModalForms modal;
    modal.Push([](TCustomForm* F) {
        auto* f = dynamic_cast<TqzFilterDlg*>(F);
        ASSERT_NE(nullptr, f);
        EXPECT_EQ("Find fruit", f->Caption());
        SendText(f->FilterValueEdit(), "ple");
        SendKey(f->FilterValueEdit(), VK_RETURN);
    });
    EXPECT_TRUE(D->Execute());
    ASSERT_EQ(1u, D->Criteria().size());
    EXPECT_EQ(fdMatchAny, D->Criteria()[0].MatchType);
    EXPECT_EQ((std::vector<std::string>{"apple", "ample"}), Column(T, "Name"));
    // Events are found by name too.
    EXPECT_FALSE(GetMethodProp(D, "OnAcceptFilterRecord").Assigned());
    D->SetOnAcceptFilterRecord(TqzAcceptFilterRecordEvent([](TObject*, TDataSet*, bool&, bool&) {}));
    EXPECT_TRUE(GetEventProp<TqzAcceptFilterRecordEvent>(D, "OnAcceptFilterRecord").Assigned());
}

TEST_F(FilterTest, ClearFilterThenApplyTakesTheFilterOff) {
    Add("A", 1, 1);
    Add("B", 2, 2);
    Filter({Crit("Name", fdMatchExact, "A")});
    D->ClearFilter();
    EXPECT_TRUE(D->ApplyFilter());
    EXPECT_FALSE(T.Filtered());
    EXPECT_FALSE(T.OnFilterRecord().Assigned());
    EXPECT_EQ(2u, Column(T, "Name").size());
}

// The dialog puts back the handler and Filtered it found: a dataset with its
// own filter keeps it after Remove Filter (it used to show every record).
TEST_F(FilterTest, TakingTheFilterOffRestoresTheDatasetsOwnFilter) {
    Add("A", 1, 1, "", true);
    Add("B", 2, 2, "", false);
    Add("C", 3, 3, "", true);
    T.SetFilter("Flag='True'");
    T.SetFiltered(true);
    int own = 0;
    TFilterRecordEvent ownHandler([&](TDataSet*, bool& accept) {
        ++own;
        accept = true;
    });
    T.SetOnFilterRecord(ownHandler);
    EXPECT_EQ((std::vector<std::string>{"C"}), Filter({Crit("Name", fdMatchExact, "C")}));
    // A second application keeps the first remembered handler.
    EXPECT_EQ((std::vector<std::string>{"A"}), Filter({Crit("Name", fdMatchExact, "A")}));
    D->ClearFilter();
    EXPECT_TRUE(D->ApplyFilter());
    EXPECT_TRUE(T.Filtered());
    EXPECT_TRUE(T.OnFilterRecord() == ownHandler);
    EXPECT_EQ((std::vector<std::string>{"A", "C"}), Column(T, "Name"));
    // Nothing to take off: the dataset stays as it is.
    EXPECT_TRUE(D->ApplyFilter());
    EXPECT_TRUE(T.OnFilterRecord() == ownHandler);
    EXPECT_EQ((std::vector<std::string>{"A", "C"}), Column(T, "Name"));
}

// An error while the records are filtered leaves neither the busy flag nor
// the failing handler behind; the dataset gets its own state back.
TEST_F(FilterTest, AnErrorWhileFilteringTakesTheFilterOff) {
    Add("A", 1, 1);
    Add("B", 2, 2);
    D->Criteria() = {Crit("Num", fdMatchExact, "abc")};
    EXPECT_THROW(D->ApplyFilter(), EConvertError);
    EXPECT_FALSE(T.OnFilterRecord().Assigned());
    EXPECT_FALSE(T.Filtered());
    EXPECT_EQ(2u, Column(T, "Name").size());
    // Not busy: closing the dataset clears the criteria.
    T.Close();
    EXPECT_TRUE(D->Criteria().empty());
}

// A new data source first takes the filter off the old dataset.
TEST_F(FilterTest, ANewDataSourceTakesTheFilterOffTheOldDataset) {
    Add("A", 1, 1);
    Add("B", 2, 2);
    Filter({Crit("Name", fdMatchExact, "A")});
    TOstraTable other{&Form};
    other.FieldDefs()->Add("Other", ftString, 10);
    other.Open();
    TDataSource otherSrc{&Form};
    otherSrc.SetDataSet(&other);
    D->SetDataSource(&otherSrc);
    EXPECT_FALSE(T.OnFilterRecord().Assigned());
    EXPECT_FALSE(T.Filtered());
    D->Criteria() = {Crit("Other", fdMatchExact, "x")};
    // The old table tests no criterion of the new one.
    EXPECT_NO_THROW(Add("C", 3, 3));
    EXPECT_EQ(3u, Column(T, "Name").size());
}

// A road that cannot be taken answers False and applies nothing.
TEST_F(FilterTest, ExecuteAnswersFalseWhenTheRoadFailed) {
    Add("A", 1, 1);
    D->FilterPropertyOptions()->DatasetFilterType = fdUseFilterProp;
    D->Criteria() = {Crit("Name", fdMatchExact, "A")};
    EXPECT_FALSE(D->ApplyFilter());
    EXPECT_FALSE(T.OnFilterRecord().Assigned());
}

TEST_F(FilterTest, SettingsRules) {
    D->SetDlgHeight(200);
    EXPECT_EQ(267, D->DlgHeight());
    D->SetDlgHeight(300);
    EXPECT_EQ(300, D->DlgHeight());
    D->SetFilterMethod(fdByQueryModify);
    EXPECT_EQ(fdByFilter, D->FilterMethod());
    ASSERT_EQ(1, Dialogs.Count());
    EXPECT_EQ("Invalid FilterMethod for Dataset. \rOnly fdByFilter is supported for this type of Dataset",
              Dialogs.Last().Text);
    TDataSource empty{&Form};
    D->SetDataSource(&empty);
    D->SetFilterMethod(fdByQueryModify);
    EXPECT_EQ(fdByQueryModify, D->FilterMethod());
    D->FieldOperators()->SetAndChar(" OR ");
    EXPECT_EQ("OR", D->FieldOperators()->AndChar());
    EXPECT_EQ("Operators do not have a unique value.", Dialogs.Last().Text);
}

TEST_F(FilterTest, ClosedDatasetIsRefusedAndClosingClearsTheCriteria) {
    Add("A", 1, 1);
    Add("B", 2, 2);
    Filter({Crit("Name", fdMatchExact, "A")});
    T.Close();
    EXPECT_TRUE(D->Criteria().empty());
    D->Criteria() = {Crit("Name", fdMatchExact, "A")};
    EXPECT_FALSE(D->ApplyFilter());
    EXPECT_EQ("Dataset must be active to perform local filtering (FilterMethod=fdByFilter).",
              Dialogs.Last().Text);
    T.Open();
    Add("A", 1, 1);
    Add("B", 2, 2);
    EXPECT_EQ(2u, Column(T, "Name").size());
}

}  // namespace
