// The data-aware lookup list: rows from its list source, key and list
// fields, the row of a key value chosen, keys, clicks, the wheel, scroll
// requests and incremental search.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/core/clock.h"
#include "platform/core/sysutils.h"
#include "platform/db/dataset.h"
#include "platform/db/datasource.h"
#include "platform/db/fielddefs.h"
#include "platform/db/fields.h"
#include "platform/ui/application.h"
#include "platform/ui/bitmaps.h"
#include "platform/ui/dblookup.h"
#include "platform/ui/forms.h"
#include "platform/ui/testing.h"
#include "support/db/memory_dataset.h"
#include "support/environment.h"

namespace {

// A read-only table of (Code integer, Name string) rows.
void MakeCodeTable(TMemoryDataSet& Table) {
    Table.FieldDefs()->Add("Code", ftInteger);
    Table.FieldDefs()->Add("Name", ftString, 20);
    Table.SetReadOnly(true);
}

class LookupListTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetFormatSettings();
        table = new TMemoryDataSet(nullptr);
        MakeCodeTable(*table);
        const char* names[] = {"Apple", "Banana", "Cherry", "Date",  "Elder", "Fig",
                               "Grape", "Guava",  "Kiwi",   "Lemon", "Lime",  "Mango"};
        for (int i = 0; i < 12; ++i) table->AddRow({std::to_string(10 * (i + 1)), names[i]});
        table->Open();
        source = new TDataSource(nullptr);
        source->SetDataSet(table);
        form = CreateForm<TForm>(Application);
        form->SetBounds(30, 30, 300, 200);
        list = new TPopupDataList(form);
        list->SetParent(form);
        list->SetRowCount(5);
        list->SetKeyField("Code");
        list->SetListField("Name");
        list->SetListSource(source);
        form->Show();
        ActivateForm(form);
        list->SetBounds(100, 100, 160, list->Height());
        list->Show();
        ProcessEvents();
    }
    void TearDown() override {
        delete form;
        delete source;
        delete table;
        ResetClock();
    }
    int ClickRowY(int Row) const { return Row * list->ItemHeight() + list->ItemHeight() / 2; }

    TMemoryDataSet* table = nullptr;
    TDataSource* source = nullptr;
    TForm* form = nullptr;
    TPopupDataList* list = nullptr;
};

TEST_F(LookupListTest, ShowsRowCountRowsOfItsListSource) {
    EXPECT_TRUE(list->ListActive());
    EXPECT_EQ(list->KeyFieldObject(), table->FieldByName("Code"));
    ASSERT_EQ(list->ListFields().size(), 1u);
    EXPECT_EQ(list->ListLink()->BufferCount(), 5);
    EXPECT_EQ(list->ListLink()->RecordCount(), 5);
    EXPECT_EQ(list->ClientHeight(), 5 * list->ItemHeight());
    EXPECT_EQ(list->SelectedRow(), -1);
    EXPECT_EQ(list->SelectedItem(), "");
    // A top-level window placed in screen coordinates.
    EXPECT_EQ(list->ClientOrigin().X, 100 + 1);
    RenderControlToPng(list, TestRunPath("grid_test_lookup.png"));
}

TEST_F(LookupListTest, KeyValueChoosesTheRowOfThatKey) {
    list->SetKeyValue(30);
    EXPECT_EQ(table->FieldByName("Name")->AsString(), "Cherry");
    EXPECT_GE(list->SelectedRow(), 0);
    EXPECT_EQ(list->SelectedItem(), "Cherry");
    // A key further down moves the window of rows.
    list->SetKeyValue(110);
    EXPECT_EQ(list->SelectedItem(), "Lime");
    EXPECT_EQ(list->SelectedRow(), list->ListLink()->ActiveRecord());
    // An unknown key chooses nothing.
    list->SetKeyValue(999);
    EXPECT_EQ(list->SelectedRow(), -1);
    EXPECT_EQ(list->SelectedItem(), "");
    list->SetKeyValue(Null());
    EXPECT_EQ(list->SelectedRow(), -1);
}

TEST_F(LookupListTest, ChosenRowIsPaintedHighlighted) {
    list->SetKeyValue(20);
    TBitmap bmp;
    RenderControl(list, &bmp);
    RenderControlToPng(list, TestRunPath("grid_test_lookup_selected.png"));
    const int row = list->SelectedRow();
    ASSERT_GE(row, 0);
    const int y = 1 + row * list->ItemHeight() + 1;  // inside the border, the row's top
    EXPECT_EQ(bmp.Canvas()->Pixels(list->ClientWidth() - 10, y), ColorToRGB(clHighlight));
    const int other = row == 0 ? 1 : 0;
    EXPECT_EQ(bmp.Canvas()->Pixels(list->ClientWidth() - 10, 1 + other * list->ItemHeight() + 1),
              ColorToRGB(clWindow));
}

TEST_F(LookupListTest, ClicksAndArrowKeysChoose) {
    int ups = 0;
    list->SetOnMouseUp(TMouseEvent([&](TObject*, TMouseButton, TShiftState, int, int) { ++ups; }));
    SendClick(list, 20, ClickRowY(2));
    EXPECT_EQ(list->KeyValue(), Variant(30));
    EXPECT_EQ(list->SelectedRow(), 2);
    EXPECT_EQ(ups, 1);
    list->Perform(WM_KEYDOWN, VK_DOWN, 0);
    EXPECT_EQ(list->KeyValue(), Variant(40));
    list->Perform(WM_KEYDOWN, VK_UP, 0);
    list->Perform(WM_KEYDOWN, VK_UP, 0);
    EXPECT_EQ(list->SelectedItem(), "Banana");
    list->Perform(WM_KEYDOWN, VK_END, 0);
    EXPECT_EQ(list->SelectedItem(), "Mango");
    EXPECT_EQ(list->SelectedRow(), 4);
    list->Perform(WM_KEYDOWN, VK_PRIOR, 0);
    EXPECT_EQ(list->SelectedItem(), "Grape");
    list->Perform(WM_KEYDOWN, VK_HOME, 0);
    EXPECT_EQ(list->SelectedItem(), "Apple");
    EXPECT_EQ(list->SelectedRow(), 0);
}

TEST_F(LookupListTest, DraggingWithTheButtonDownFollowsTheMouse) {
    SendMouseDown(list, mbLeft, 20, ClickRowY(0));
    SendMouseMove(list, 20, ClickRowY(3), {ssLeft});
    EXPECT_EQ(list->SelectedItem(), "Date");
    SendMouseUp(list, mbLeft, 20, ClickRowY(3));
    SendMouseMove(list, 20, ClickRowY(1));
    EXPECT_EQ(list->SelectedItem(), "Date");  // no button: no tracking
}

TEST_F(LookupListTest, TypingSearchesIncrementally) {
    uint32_t ticks = 100000;
    SetTickCountSource([&] { return ticks; });
    list->Perform(WM_CHAR, 'g', 0);
    EXPECT_EQ(list->SelectedItem(), "Grape");
    ticks += 300;
    list->Perform(WM_CHAR, 'u', 0);
    EXPECT_EQ(list->SelectedItem(), "Guava");
    EXPECT_EQ(list->SearchText(), "gu");
    // A character that matches nothing keeps the choice and the search text.
    TBeepCounter beeps;
    ticks += 300;
    list->Perform(WM_CHAR, 'x', 0);
    EXPECT_EQ(list->SelectedItem(), "Guava");
    EXPECT_EQ(list->SearchText(), "gu");
    EXPECT_EQ(beeps.Count(), 1);
    // After a pause a new search starts.
    ticks += 5000;
    list->Perform(WM_CHAR, 'L', 0);
    EXPECT_EQ(list->SelectedItem(), "Lemon");
    ticks += 100;
    list->Perform(WM_CHAR, 'i', 0);
    EXPECT_EQ(list->SelectedItem(), "Lime");
    list->Perform(WM_CHAR, 8, 0);  // Backspace empties the search
    EXPECT_EQ(list->SearchText(), "");
}

TEST_F(LookupListTest, SearchTextStopsAtThirtyTwoCharacters) {
    uint32_t ticks = 1000;
    SetTickCountSource([&] { return ticks; });
    list->SetSearchText(std::string(32, 'a'));
    list->Perform(WM_CHAR, 'b', 0);
    EXPECT_EQ(list->SearchText().size(), 32u);
}

TEST_F(LookupListTest, WheelAndScrollRequestsMoveThroughTheRecords) {
    list->SetKeyValue(10);
    SendMouseWheel(list, -120, 10, 10);
    EXPECT_EQ(list->SelectedItem(), "Banana");
    SendMouseWheel(list, 120, 10, 10);
    EXPECT_EQ(list->SelectedItem(), "Apple");
    list->Perform(WM_VSCROLL, MakeWParam(SB_BOTTOM, 0), 0);
    EXPECT_EQ(table->FieldByName("Name")->AsString(), "Mango");
    EXPECT_EQ(list->SelectedRow(), -1);  // Apple is out of the window
    list->Perform(WM_VSCROLL, MakeWParam(SB_TOP, 0), 0);
    EXPECT_EQ(list->SelectedRow(), 0);
    list->Perform(WM_VSCROLL, MakeWParam(SB_THUMBPOSITION, 9), 0);
    EXPECT_EQ(table->RecNo(), 9);
}

TEST_F(LookupListTest, ListFieldsAndMissingFields) {
    list->SetListField("Name;Code");
    EXPECT_EQ(list->ListFields().size(), 2u);
    list->SetListFieldIndex(1);
    list->SetKeyValue(50);
    EXPECT_EQ(list->SelectedItem(), "50");
    list->SetListField("");
    ASSERT_EQ(list->ListFields().size(), 1u);
    EXPECT_EQ(list->ListFields()[0], list->KeyFieldObject());
    EXPECT_THROW(list->SetKeyField("Nope"), EDatabaseError);
    EXPECT_FALSE(list->ListActive());
    list->SetKeyField("Code");
    EXPECT_TRUE(list->ListActive());
}

TEST_F(LookupListTest, ClosingOrFreeingTheSourceEmptiesTheList) {
    list->SetKeyValue(20);
    table->Close();
    EXPECT_FALSE(list->ListActive());
    EXPECT_EQ(list->SelectedItem(), "");
    table->Open();
    EXPECT_TRUE(list->ListActive());
    EXPECT_EQ(list->SelectedItem(), "Banana");  // the key is located again
    delete source;
    source = nullptr;
    EXPECT_EQ(list->ListSource(), nullptr);
    EXPECT_FALSE(list->ListActive());
}

TEST_F(LookupListTest, PaintingAndMovingDoNotWalkABigList) {
    TMemoryDataSet big(nullptr);
    MakeCodeTable(big);
    for (int i = 0; i < 200000; ++i) big.AddRow({std::to_string(i), "Item " + IntToStr(i)});
    big.Open();
    TDataSource bigSource(nullptr);
    bigSource.SetDataSet(&big);
    list->SetListSource(&bigSource);
    list->SetKeyValue(199990);
    big.GetRecordCalls = 0;
    list->Repaint();
    list->Perform(WM_KEYDOWN, VK_DOWN, 0);
    EXPECT_EQ(list->SelectedItem(), "Item 199991");
    EXPECT_LT(big.GetRecordCalls, 30);
    list->SetListSource(nullptr);
}

}  // namespace
