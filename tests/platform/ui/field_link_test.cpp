// The field link plumbing shared by data-aware controls: data source free
// notifications, focus requests and release.
#include <gtest/gtest.h>

#include "platform/db/datasource.h"
#include "platform/db/fielddefs.h"
#include "platform/db/fields.h"
#include "platform/ui/field_link.h"
#include "platform/ui/stdctrls.h"
#include "support/db/memory_dataset.h"
#include "support/ui/ui_probes.h"

namespace {

// An edit with a field link, counting the data changes it is told about.
class TLinkedEdit : public TEdit {
public:
    explicit TLinkedEdit(TComponent* AOwner) : TEdit(AOwner), Link(this) {
        Link.SetOnDataChange(TNotifyEvent(this, &TLinkedEdit::DataChange));
    }
    ~TLinkedEdit() override { Link.Release(); }
    void DataChange(TObject*) { ++Changes; }
    void Notification(TComponent* AComponent, TOperation Operation) override {
        TEdit::Notification(AComponent, Operation);
        if (Operation == opRemove) ++Removals;
        Link.DataSourceRemoved(AComponent, Operation);
    }
    TControlFieldLink Link;
    int Changes = 0;
    int Removals = 0;
};

class FieldLinkTest : public ::testing::Test {
protected:
    void SetUp() override {
        table = new TMemoryDataSet(f.Form);
        table->FieldDefs()->Add("Action", ftString, 10);
        table->AddRow({"Call Bob"});
        table->AddRow({"Pay bill"});
        table->Open();
        first = new TDataSource(nullptr);
        first->SetDataSet(table);
        second = new TDataSource(nullptr);
        second->SetDataSet(table);
        edit = new TLinkedEdit(f.Form);
        edit->SetParent(f.Form);
    }
    void TearDown() override {
        delete first;
        delete second;
    }
    TShownForm f;
    TMemoryDataSet* table = nullptr;
    TDataSource* first = nullptr;
    TDataSource* second = nullptr;
    TLinkedEdit* edit = nullptr;
};

TEST_F(FieldLinkTest, AttachingMovesTheFreeNotification) {
    edit->Link.AttachDataSource(first);
    edit->Link.AttachDataSource(second);
    EXPECT_EQ(edit->Link.Control(), edit);
    // the old source no longer tells the control it goes away
    delete first;
    first = nullptr;
    EXPECT_EQ(edit->Removals, 0);
    EXPECT_EQ(edit->Link.DataSource(), second);
    // the linked one does, and the link leaves it
    delete second;
    second = nullptr;
    EXPECT_EQ(edit->Removals, 1);
    EXPECT_EQ(edit->Link.DataSource(), nullptr);
}

TEST_F(FieldLinkTest, FocusRequestFocusesTheControlThatCanTakeIt) {
    auto* other = new TEdit(f.Form);
    other->SetParent(f.Form);
    other->SetTop(40);
    edit->Link.AttachDataSource(first);
    edit->Link.SetFieldName("Action");
    edit->Link.FocusControlOnRequest();
    f.Show();
    other->SetFocus();
    table->FieldByName("Action")->FocusControl();
    EXPECT_TRUE(edit->Focused());
    // a hidden control cannot take it
    other->SetFocus();
    edit->SetVisible(false);
    table->FieldByName("Action")->FocusControl();
    EXPECT_TRUE(other->Focused());
}

TEST_F(FieldLinkTest, ReleaseUnhooksTheControlAndLeavesTheSource) {
    edit->Link.AttachDataSource(first);
    edit->Link.SetFieldName("Action");
    const int before = edit->Changes;
    table->Next();
    EXPECT_GT(edit->Changes, before);
    edit->Link.Release();
    EXPECT_EQ(edit->Link.DataSource(), nullptr);
    const int released = edit->Changes;
    table->Prior();
    EXPECT_EQ(edit->Changes, released);
}

}  // namespace
