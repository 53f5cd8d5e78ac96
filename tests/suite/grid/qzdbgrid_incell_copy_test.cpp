// Cell controls painted for the rows they are not open on: whatever the open
// control is doing (its list open, closed by Escape, a value chosen), a fresh
// paint of the grid shows every other row's own value in that row's colours.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "engine/ostra_table.h"
#include "platform/core/sysutils.h"
#include "platform/db/datasource.h"
#include "platform/db/fielddefs.h"
#include "platform/db/fields.h"
#include "platform/ui/application.h"
#include "platform/ui/bitmaps.h"
#include "platform/ui/dbctrls.h"
#include "platform/ui/forms.h"
#include "platform/ui/messages.h"
#include "platform/ui/testing.h"
#include "suite/edit/qzdatetimepicker.h"
#include "suite/edit/qzdbcombobox.h"
#include "suite/grid/qzdbgrid.h"
#include "suite/grid/qzlookupcombo.h"
#include "support/environment.h"

namespace {

const char* const kItems[] = {"Apple", "Banana", "Cherry", "Date", "Elder"};

class QzDBGridCellCopyTest : public ::testing::Test {
protected:
    void SetUp() override {
        Form = CreateForm<TForm>(Application);
        Form->SetBounds(40, 40, 560, 260);
        Items = new TOstraTable(Form);
        Items->FieldDefs()->Add("Id", ftInteger);
        Items->FieldDefs()->Add("Name", ftString, 20);
        Items->Open();
        for (int i = 0; i < 5; ++i) Items->AppendRecord({Variant(i + 1), Variant(kItems[i])});
        Items->First();
        Orders = new TOstraTable(Form);
        Orders->FieldDefs()->Add("Id", ftInteger);
        Orders->FieldDefs()->Add("ItemId", ftInteger);
        Orders->FieldDefs()->Add("Kind", ftString, 10);
        Orders->FieldDefs()->Add("Day", ftDate);
        Orders->FieldDefs()->Add("Done", ftString, 1);
        Orders->Open();
        // record r holds item r % 5 + 1
        for (int r = 0; r < 10000; ++r)
            Orders->AppendRecord({Variant(r), Variant(r % 5 + 1), Variant(kItems[(r * 2) % 5]),
                                  Variant::FromDateTime(EncodeDate(2026, 1, 1 + r % 5)),
                                  Variant(r % 2 ? "Y" : "N")});
        Orders->First();
        Source = new TDataSource(Form);
        Source->SetDataSet(Orders);
        Grid = new TqzDBGrid(Form);
        Grid->SetParent(Form);
        Grid->SetBounds(8, 8, 530, 200);
    }
    void TearDown() override {
        delete Form;
        ProcessEvents();
    }
    // The grid over the orders with Control open in the field's cells.
    void Show(const std::string& FieldName, TWinControl* Control) {
        Field = FieldName;
        Control->SetName("CellControl");
        Control->SetParent(Form);
        Control->SetBounds(10, 220, 150, 24);
        Grid->ControlType()->SetText(FieldName + ";CustomEdit;CellControl\n");
        Grid->SetDataSource(Source);
        Form->Show();
        ActivateForm(Form);
        ProcessEvents();
        Grid->SetFocus();
        // the current cell on the field, in the second row
        const TRect r = Cell(1);
        SendClick(Grid, r.Left + 6, r.Top + r.Height() / 2);
        ProcessEvents();
        ASSERT_EQ(Control, Grid->CurrentCellControl());
        Rows = Grid->DataLink()->RecordCount();
        ASSERT_GE(Rows, 6);
        Before = Paint("before");
        // The paint before anything opens is sound: rows of one value look
        // alike, rows of other values differ.
        for (int row = 0; row < Rows; ++row)
            for (int other = row + 1; other < Rows; ++other) {
                if (row == Current() || other == Current()) continue;
                if (Value(row) == Value(other))
                    EXPECT_EQ(Pixels(*Before, row), Pixels(*Before, other)) << row << " " << other;
                else
                    EXPECT_NE(Pixels(*Before, row), Pixels(*Before, other)) << row << " " << other;
            }
    }
    TRect Cell(int DataRow) {
        const int index = Orders->FieldByName(Field)->Index();
        return Grid->CellRect(index + Grid->IndicatorOffset(), DataRow + Grid->TitleOffset());
    }
    int Current() const { return Grid->Row() - Grid->TitleOffset(); }
    // The field's value on a row of the view.
    std::string Value(int DataRow) {
        TqzGridDataLink* link = Grid->DataLink();
        const int active = link->ActiveRecord();
        link->SetActiveRecord(DataRow);
        const std::string v = Orders->FieldByName(Field)->AsString();
        link->SetActiveRecord(active);
        return v;
    }
    // A fresh paint of the grid, as any repaint makes it.
    std::unique_ptr<TBitmap> Paint(const std::string& Name) {
        auto shot = std::make_unique<TBitmap>();
        RenderControl(Grid, shot.get());
        shot->SaveToFile(TestRunPath("incell_copy_" + Field + "_" + Name + ".png"));
        return shot;
    }
    std::vector<TColor> Pixels(TBitmap& Shot, int DataRow) {
        TRect r = Cell(DataRow);
        InflateRect(r, -2, -2);
        std::vector<TColor> px;
        for (int y = r.Top; y < r.Bottom; ++y)
            for (int x = r.Left; x < r.Right; ++x) px.push_back(Shot.Canvas()->Pixels(x, y));
        return px;
    }
    // Every row but the current one shows as before anything opened.
    void ExpectOtherRowsAsBefore(const std::string& Name) {
        const std::unique_ptr<TBitmap> now = Paint(Name);
        int same = 0;
        for (int row = 0; row < Rows; ++row)
            if (row != Current() && Pixels(*now, row) == Pixels(*Before, row)) ++same;
        EXPECT_EQ(Rows - 1, same) << Name;
    }
    // Other rows as before with the drop-down of Control open, then escaped.
    template <class TDropControl>
    void ExpectOtherRowsAsBeforeOpenAndEscaped(TDropControl* Control) {
        SendKey(Grid, VK_DOWN, {ssAlt});
        ASSERT_TRUE(Control->IsDroppedDown());
        ExpectOtherRowsAsBefore("open");
        SendKeyToFocus(VK_ESCAPE);
        ASSERT_FALSE(Control->IsDroppedDown());
        ExpectOtherRowsAsBefore("escaped");
    }

    TForm* Form = nullptr;
    TOstraTable* Items = nullptr;
    TOstraTable* Orders = nullptr;
    TDataSource* Source = nullptr;
    TqzDBGrid* Grid = nullptr;
    std::string Field;
    int Rows = 0;
    std::unique_ptr<TBitmap> Before;
};

TEST_F(QzDBGridCellCopyTest, LookupComboCellsShowTheirOwnItemOpenEscapedAndAfterAChoice) {
    auto* combo = new TqzDBCustomLookupCombo(Form);
    combo->SetDataSource(Source);
    combo->SetDataField("ItemId");
    combo->SetLookupTable(Items);
    combo->Selected()->SetText("Name\t12\tName\n");
    combo->SetLookupField("Id");
    Show("ItemId", combo);
    ASSERT_EQ("Banana", combo->Text());
    ExpectOtherRowsAsBeforeOpenAndEscaped(combo);
    SendKeyToFocus(VK_DOWN, {ssAlt});
    ASSERT_TRUE(combo->IsDroppedDown());
    SendKeyToFocus(VK_DOWN);
    SendKeyToFocus(VK_RETURN);
    ASSERT_FALSE(combo->IsDroppedDown());
    EXPECT_EQ("Cherry", combo->Text());
    ExpectOtherRowsAsBefore("chosen");
    // Down moves the record: the row left shows its new item as the next
    // row showed that item before.
    SendKeyToFocus(VK_DOWN);
    ProcessEvents();
    ASSERT_EQ(2, Current());
    const std::unique_ptr<TBitmap> moved = Paint("moved");
    EXPECT_EQ("3", Value(1));
    EXPECT_EQ(Pixels(*Before, 2), Pixels(*moved, 1));
}

TEST_F(QzDBGridCellCopyTest, ComboBoxCellsShowTheirOwnValueOpenAndEscaped) {
    auto* combo = new TqzDBComboBox(Form);
    combo->SetDataSource(Source);
    combo->SetDataField("Kind");
    for (const char* item : kItems) combo->Items()->Add(item);
    Show("Kind", combo);
    ExpectOtherRowsAsBeforeOpenAndEscaped(combo);
}

TEST_F(QzDBGridCellCopyTest, DatePickerCellsShowTheirOwnDateOpenAndEscaped) {
    auto* picker = new TqzDBDateTimePicker(Form);
    picker->SetDataSource(Source);
    picker->SetDataField("Day");
    Show("Day", picker);
    ExpectOtherRowsAsBeforeOpenAndEscaped(picker);
}

TEST_F(QzDBGridCellCopyTest, CheckBoxCellsShowTheirOwnState) {
    auto* box = new TDBCheckBox(Form);
    box->SetDataSource(Source);
    box->SetDataField("Done");
    box->SetValueChecked("Y");
    box->SetValueUnchecked("N");
    Show("Done", box);
    SendKey(Grid, VK_SPACE);
    ProcessEvents();
    ExpectOtherRowsAsBefore("toggled");
}

}  // namespace
