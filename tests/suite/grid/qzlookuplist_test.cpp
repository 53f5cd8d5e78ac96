// The lookup list over engine tables on a shown form: positioning on the
// bound key, clicks and keys writing key values 1-3 back, refusal when the
// value may not change, dragging with the timer scrolling, key binding
// rules, setter errors, column widening, and a rendered look.
#include <gtest/gtest.h>

#include "engine/ostra_table.h"
#include "platform/core/files.h"
#include "platform/core/properties.h"
#include "platform/db/datasource.h"
#include "platform/db/fielddefs.h"
#include "platform/db/fields.h"
#include "platform/ui/application.h"
#include "platform/ui/bitmaps.h"
#include "platform/ui/forms.h"
#include "platform/ui/messages.h"
#include "platform/ui/stdctrls.h"
#include "platform/ui/testing.h"
#include "platform/ui/timer.h"
#include "suite/grid/qzlookupcombo.h"
#include "suite/grid/qzlookuplist.h"
#include "support/environment.h"

namespace {

class QzLookupListTest : public ::testing::Test {
protected:
    void SetUp() override {
        Form = CreateForm<TForm>(Application);
        Form->SetBounds(40, 40, 420, 260);
        Items = new TOstraTable(Form);
        Items->FieldDefs()->Add("Id", ftInteger);
        Items->FieldDefs()->Add("Name", ftString, 20);
        Items->FieldDefs()->Add("Grp", ftString, 4);
        Items->FieldDefs()->Add("Sub", ftString, 4);
        Items->Open();
        for (int i = 1; i <= 12; ++i)
            Items->AppendRecord({Variant(i), Variant("Item " + std::to_string(i)), Variant(i % 2 ? "O" : "E"),
                                 Variant("s" + std::to_string(i))});
        Items->First();
        Orders = new TOstraTable(Form);
        Orders->FieldDefs()->Add("ItemId", ftInteger);
        Orders->FieldDefs()->Add("Grp", ftString, 4);
        Orders->FieldDefs()->Add("Sub", ftString, 4);
        Orders->Open();
        Orders->AppendRecord({Variant(3), Variant("O"), Variant("s3")});
        Source = new TDataSource(Form);
        Source->SetDataSet(Orders);
        List = new TqzDBLookupList(Form);
        List->SetParent(Form);
        List->SetBounds(10, 10, 220, 97);
        Other = new TEdit(Form);
        Other->SetParent(Form);
        Other->SetBounds(10, 200, 100, 24);
    }
    void TearDown() override {
        delete Form;
        ProcessEvents();
    }
    void Bind(const std::string& LookupField, const std::string& Selected = "Name\t12\tName\n") {
        List->SetDataSource(Source);
        List->SetDataField("ItemId");
        List->SetLookupTable(Items);
        List->SetUseTFields(false);  // the Selected lines are the columns
        List->Selected()->SetText(Selected);
        List->SetLookupField(LookupField);
        Form->Show();
        List->SetFocus();
        ProcessEvents();
    }
    std::string Bound(const std::string& Name) { return Orders->FieldByName(Name)->AsString(); }
    std::string Current() { return Items->FieldByName("Id")->AsString(); }
    TPoint RowCentre(int DataRow) {
        const TRect r = List->CellRect(0, DataRow + List->TitleOffset());
        return {(r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2};
    }
    // The data row (0-based) showing the lookup table's current record.
    int CurrentDataRow() { return List->Row() - List->TitleOffset(); }
    // The data rows drawn highlighted.
    std::vector<int> Highlighted() {
        std::vector<int> rows;
        for (int r = List->TitleOffset(); r < List->RowCount(); ++r)
            if (List->HighlightCell(0, r, {})) rows.push_back(r - List->TitleOffset());
        return rows;
    }

    TForm* Form = nullptr;
    TOstraTable* Items = nullptr;
    TOstraTable* Orders = nullptr;
    TDataSource* Source = nullptr;
    TqzDBLookupList* List = nullptr;
    TEdit* Other = nullptr;
};

TEST_F(QzLookupListTest, PositionsOnTheBoundKeyAndHighlightsItsRow) {
    Bind("Id;Grp;Sub");
    EXPECT_EQ(3, List->KeyCount());
    EXPECT_TRUE(List->Positioned());
    EXPECT_EQ("3", Current());
    EXPECT_EQ("Item 3", List->MatchText());
    EXPECT_EQ("Name", List->DisplayField()->FieldName());
    EXPECT_EQ((std::vector<int>{CurrentDataRow()}), Highlighted());
    EXPECT_EQ(CurrentDataRow() + List->TitleOffset(), List->RowPointer());
    // The bound record changes: the list follows it.
    Orders->Edit();
    Orders->FieldByName("ItemId")->SetAsInteger(8);
    Orders->FieldByName("Grp")->SetAsString("E");
    Orders->FieldByName("Sub")->SetAsString("s8");
    Orders->Post();
    EXPECT_EQ("8", Current());
    EXPECT_EQ((std::vector<int>{CurrentDataRow()}), Highlighted());
    // A key pair no record has: nothing found, nothing highlighted.
    Orders->Edit();
    Orders->FieldByName("Sub")->SetAsString("s9");
    Orders->Post();
    EXPECT_FALSE(List->Positioned());
    EXPECT_TRUE(Highlighted().empty());
}

TEST_F(QzLookupListTest, AClickWritesKeysOneToThreeToTheBoundRecord) {
    Bind("Id;Grp;Sub");
    int clicks = 0;
    List->SetOnClick(TNotifyEvent([&](TObject*) { ++clicks; }));
    const int row = CurrentDataRow() + 2;
    const TPoint p = RowCentre(row);
    SendClick(List, p.X, p.Y);
    EXPECT_EQ(1, clicks);
    EXPECT_EQ("5", Current());
    EXPECT_EQ(dsEdit, Orders->State());
    EXPECT_EQ("5", List->ValueText(0));
    EXPECT_EQ("O", List->ValueText(1));
    EXPECT_EQ("s5", List->ValueText(2));
    EXPECT_EQ((std::vector<int>{row}), Highlighted());
    // Leaving the list writes the value.
    Other->SetFocus();
    ProcessEvents();
    EXPECT_EQ("5", Bound("ItemId"));
    EXPECT_EQ("O", Bound("Grp"));
    EXPECT_EQ("s5", Bound("Sub"));
    Orders->Post();
    EXPECT_EQ("5", Bound("ItemId"));
    EXPECT_EQ("s5", Bound("Sub"));
    EXPECT_EQ("5", Current());
}

TEST_F(QzLookupListTest, KeysMoveTheLookupTableAndAreRefusedWhenTheValueMayNotChange) {
    Bind("Id");
    SendKey(List, VK_DOWN);
    SendKey(List, VK_DOWN);
    EXPECT_EQ("5", Current());
    EXPECT_EQ("5", List->ValueText(0));
    SendKey(List, VK_UP);
    EXPECT_EQ("4", Current());
    SendKey(List, VK_END);
    EXPECT_EQ("12", Current());
    SendKey(List, VK_HOME);
    EXPECT_EQ("1", Current());
    SendKey(List, VK_INSERT);
    EXPECT_EQ(12, Items->RecordCount());
    Orders->Post();  // the record writes the value on posting
    EXPECT_EQ("1", Bound("ItemId"));
    // Escape takes back a choice not yet written.
    SendKey(List, VK_DOWN);
    EXPECT_EQ("2", List->ValueText(0));
    SendKey(List, VK_ESCAPE);
    EXPECT_EQ("1", List->ValueText(0));
    EXPECT_EQ("1", Current());
    Orders->Cancel();

    // No automatic edit: the arrows do nothing and the value stays.
    Source->SetAutoEdit(false);
    SendKey(List, VK_DOWN);
    SendKey(List, VK_RIGHT);
    EXPECT_EQ("1", Current());
    EXPECT_EQ(dsBrowse, Orders->State());
    EXPECT_EQ("1", List->ValueText(0));
    // A read-only list moves but never changes the value.
    Source->SetAutoEdit(true);
    List->SetReadOnly(true);
    SendKey(List, VK_DOWN);
    EXPECT_EQ("2", Current());
    EXPECT_EQ("1", List->ValueText(0));
    // The record is not put in edit either.
    EXPECT_EQ(dsBrowse, Orders->State());
    EXPECT_EQ("1", Bound("ItemId"));
}

TEST_F(QzLookupListTest, DraggingMovesRowByRowAndTheTimerScrollsBelowTheRows) {
    TTestTimers timers;
    Bind("Id");
    Items->First();
    ProcessEvents();
    const int visible = List->VisibleDataRows();
    ASSERT_GE(visible, 4);
    SendMouseDown(List, mbLeft, RowCentre(0).X, RowCentre(0).Y);
    EXPECT_TRUE(List->Tracking());
    EXPECT_EQ("1", Current());
    EXPECT_TRUE(timers.Scheduled(List->DragTimer()));
    SendMouseMove(List, RowCentre(2).X, RowCentre(2).Y, {ssLeft});
    EXPECT_EQ("3", Current());
    EXPECT_EQ((std::vector<int>{2}), Highlighted());
    // Held below the rows, every 60 ms tick moves one record on.
    SendMouseMove(List, RowCentre(0).X, List->ClientHeight() + 10, {ssLeft});
    timers.Advance(60);
    EXPECT_EQ("4", Current());
    timers.Advance(120 + 10 * 60);
    EXPECT_EQ("12", Current());  // stops at the last record
    // Above the rows it scrolls back.
    SendMouseMove(List, RowCentre(0).X, -5, {ssLeft});
    timers.Advance(60);
    EXPECT_EQ("11", Current());
    // Released on a row: that record is the value.
    const int last = CurrentDataRow();
    SendMouseMove(List, RowCentre(last - 1).X, RowCentre(last - 1).Y, {ssLeft});
    SendMouseUp(List, mbLeft, RowCentre(last - 1).X, RowCentre(last - 1).Y);
    EXPECT_FALSE(List->Tracking());
    EXPECT_FALSE(timers.Scheduled(List->DragTimer()));
    EXPECT_EQ("10", Current());
    EXPECT_EQ("10", List->ValueText(0));
    Orders->Post();
    EXPECT_EQ("10", Bound("ItemId"));
}

// Only the leading key fields the table has count; the display field is the
// first Selected line's, else key field 1.
TEST_F(QzLookupListTest, KeyFieldsAndTheDisplayField) {
    Bind("Id;Grp;Missing");
    EXPECT_EQ(2, List->KeyCount());
    EXPECT_EQ("Grp", List->KeyField(1)->FieldName());
    EXPECT_EQ(nullptr, List->KeyField(2));
    List->SetLookupField("Id;Missing;Sub");
    EXPECT_EQ(1, List->KeyCount());
    EXPECT_EQ(nullptr, List->KeyField(1));
    // A click writes key 1 alone: Sub never stands in for the second key.
    const TPoint p = RowCentre(CurrentDataRow() + 1);
    SendClick(List, p.X, p.Y);
    Orders->Post();
    EXPECT_EQ("4", Bound("ItemId"));
    EXPECT_EQ("O", Bound("Grp"));
    EXPECT_EQ("s3", Bound("Sub"));

    List->Selected()->Clear();
    List->SetLookupField("Grp;Id");
    EXPECT_EQ("Grp", List->DisplayField()->FieldName());
    // A missing first field: the list stays silent, without keys.
    EXPECT_NO_THROW(List->SetLookupField("Nope;Id"));
    EXPECT_EQ(0, List->KeyCount());
    EXPECT_EQ(nullptr, List->DisplayField());
    SendKey(List, VK_DOWN);  // nothing to choose, nothing breaks
}

TEST_F(QzLookupListTest, TheDropDownGridRaisesForAMissingFirstKeyField) {
    Form->Show();
    auto* combo = new TqzDBCustomLookupCombo(Form);
    combo->SetParent(Form);
    auto* grid = new TqzPopupGrid(Form, combo);
    grid->SetLookupTable(Items);
    try {
        grid->SetLookupField("Nope;Id");
        ADD_FAILURE() << "missing key field accepted";
    } catch (const Exception& e) {
        EXPECT_EQ(std::string("Field 'Nope' not found"), e.what());
    }
    EXPECT_EQ("", grid->LookupField());
    grid->SetLookupField("Id;Grp;Missing");
    EXPECT_EQ(2, grid->KeyCount());
    EXPECT_EQ("Id", grid->DisplayField()->FieldName());
    // Unbound, the combo's value may always change.
    EXPECT_TRUE(grid->CanModifyValue());
}

TEST_F(QzLookupListTest, SetterErrors) {
    Bind("Id");
    auto expectError = [](const std::function<void()>& F, const std::string& Text) {
        try {
            F();
            ADD_FAILURE() << "no error: " << Text;
        } catch (const EInvalidOperation& e) {
            EXPECT_EQ(Text, e.what());
        }
    };
    expectError([&] { List->SetLookupTable(Orders); }, "Unable to use duplicate DataSource and LookupSource");
    EXPECT_EQ(Items, List->LookupTable());
    auto* itemsSource = new TDataSource(Form);
    itemsSource->SetDataSet(Items);
    expectError([&] { List->SetDataSource(itemsSource); },
                "Unable to use duplicate DataSource and LookupSource");
    EXPECT_EQ(Source, List->DataSource());
    expectError([&] { List->SetLookupTable(nullptr); }, "LookupSource must be connected to TTable component");
    EXPECT_EQ(Items, List->LookupTable());
    // Any other dataset is a lookup table.
    auto* other = new TOstraTable(Form);
    other->FieldDefs()->Add("Id", ftInteger);
    other->Open();
    other->AppendRecord({Variant(3)});
    List->SetLookupTable(other);
    EXPECT_EQ(1, List->KeyCount());
    EXPECT_TRUE(List->Positioned());

    // A detail table that is not a suite table: one warning, no positioning.
    TTestDialogs dialogs;
    other->SetMasterSource(itemsSource);
    Orders->Edit();
    Orders->FieldByName("ItemId")->SetAsInteger(4);
    Orders->Post();
    Orders->Edit();
    Orders->FieldByName("ItemId")->SetAsInteger(5);
    Orders->Post();
    ASSERT_EQ(1, dialogs.Count());
    EXPECT_EQ("LookupTable on a detail table is only supported when using a TqzTable as the LookupTable!",
              dialogs.Last().Text);
}

TEST_F(QzLookupListTest, TheLastColumnFillsTheClientWidth) {
    Bind("Id", "Id\t3\tId\nName\t4\tName\n");
    const int w = List->ClientWidth();
    EXPECT_EQ(w, List->ColWidths(0) + List->ColWidths(1));
    List->SetOptions({loColLines, loTitles});
    EXPECT_TRUE(List->GridOptions().Contains(dgColLines));
    EXPECT_TRUE(List->GridOptions().Contains(dgTitles));
    EXPECT_EQ(1, List->TitleOffset());
    EXPECT_EQ(w - 2, List->ColWidths(0) + List->ColWidths(1));
    // Columns wider than the list keep their widths.
    List->Selected()->SetText("Id\t40\tId\nName\t4\tName\n");
    List->LayoutChanged();
    EXPECT_GT(List->ColWidths(0), w);
    EXPECT_LT(List->ColWidths(1), 60);
}

// What the list publishes reads by name; its border written by name widens
// the client area the last column fills.
TEST_F(QzLookupListTest, PublishedNamesAndTheBorderByName) {
    Bind("Id", "Id\t3\tId\nName\t4\tName\n");
    for (const char* name :
         {"DataSource", "DataField", "LookupTable", "LookupField", "Selected", "ReadOnly", "Options",
          "BorderStyle", "OnClick", "OnDblClick", "OnKeyDown", "OnKeyPress", "OnKeyUp"}) {
        SCOPED_TRACE(name);
        const TPropInfo* info = GetPropInfo(List, name);
        ASSERT_NE(info, nullptr);
        EXPECT_TRUE(info->IsWritable());
    }
    EXPECT_EQ(GetEnumProp(List, "BorderStyle"), "bsSingle");
    const int framed = List->ClientWidth();
    SetEnumProp(List, "BorderStyle", "bsNone");
    ProcessEvents();
    EXPECT_EQ(List->BorderStyle(), bsNone);
    EXPECT_GT(List->ClientWidth(), framed);
    EXPECT_EQ(List->ClientWidth(), List->ColWidths(0) + List->ColWidths(1));
}

TEST_F(QzLookupListTest, RendersWithTheFocusRectangle) {
    Bind("Id", "Name\t12\tName\nGrp\t4\tGroup\n");
    List->SetOptions({loColLines, loRowLines, loTitles});
    SendKey(List, VK_DOWN);
    ProcessEvents();
    ASSERT_TRUE(List->Focused());
    ASSERT_GE(List->RowPointer(), 1);
    TBitmap b;
    RenderControl(Form, &b);
    b.SaveToFile(TestRunPath("qzlookuplist.png"));
    // The pointer row is drawn in the highlight colour.
    const TRect r = List->CellRect(1, List->RowPointer());
    const TPoint at{List->Left() + r.Right - 4, List->Top() + (r.Top + r.Bottom) / 2};
    EXPECT_EQ(ColorToRGB(clHighlight), b.Canvas()->Pixels(at.X, at.Y));
}

}  // namespace
