// The published grid's properties and events written and read by name, as a
// form definition or a host does, then seen as a user meets them: keys on
// the grid, the rendered indicator and footer, the text of memo cells.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "engine/ostra_table.h"
#include "platform/core/properties.h"
#include "platform/db/datasource.h"
#include "platform/db/fielddefs.h"
#include "platform/db/fields.h"
#include "platform/ui/application.h"
#include "platform/ui/bitmaps.h"
#include "platform/ui/forms.h"
#include "platform/ui/grids.h"
#include "platform/ui/messages.h"
#include "platform/ui/testing.h"
#include "suite/grid/qzdbgrid.h"
#include "support/environment.h"

namespace {

class QzDBGridPublished : public ::testing::Test {
protected:
    void SetUp() override {
        Form = CreateForm<TForm>(Application);
        Form->SetBounds(40, 40, 560, 300);
        Table = new TOstraTable(Form);
        TFieldDefs* defs = Table->FieldDefs();
        defs->Add("Id", ftInteger);
        defs->Add("Name", ftString, 20);
        defs->Add("Notes", ftMemo);
        Source = new TDataSource(Form);
        Source->SetDataSet(Table);
        Grid = new TqzDBGrid(Form);
        Grid->SetParent(Form);
        Grid->SetBounds(8, 8, 520, 260);
        Grid->SetBorderStyle(bsNone);  // pictures in client coordinates
    }
    void TearDown() override {
        delete Form;
        ProcessEvents();
    }
    void Open(int Count) {
        Table->Open();
        for (int i = 1; i <= Count; ++i)
            Table->AppendRecord(
                {Variant(i), Variant("Name" + std::to_string(i)), Variant("Note " + std::to_string(i))});
        Table->First();
        SetObjectProp(Grid, "DataSource", Source);
        Form->Show();
        Grid->SetFocus();
        ProcessEvents();
    }
    TBitmap* Shot(const char* Name) {
        ProcessEvents();
        RenderControl(Grid, &Picture);
        Picture.SaveToFile(TestRunPath(Name));
        return &Picture;
    }
    int Count(const TRect& R, TColor Colour) {
        int n = 0;
        for (int y = R.Top; y < R.Bottom; ++y)
            for (int x = R.Left; x < R.Right; ++x)
                if (Picture.Canvas()->Pixels(x, y) == Colour) ++n;
        return n;
    }

    TForm* Form = nullptr;
    TOstraTable* Table = nullptr;
    TDataSource* Source = nullptr;
    TqzDBGrid* Grid = nullptr;
    TBitmap Picture;
};

// Every name the grid publishes, with the kind of its declared type.
TEST_F(QzDBGridPublished, EveryPublishedNameReadsByName) {
    const std::vector<std::pair<const char*, TTypeKind>> names = {
        {"Options", tkSet},
        {"KeyOptions", tkSet},
        {"UseTFields", tkBoolean},
        {"ReadOnly", tkBoolean},
        {"EditCalculated", tkBoolean},
        {"TitleButtons", tkBoolean},
        {"TitleAlignment", tkEnumeration},
        {"TitleLines", tkInteger},
        {"TitleColor", tkInteger},
        {"FooterColor", tkInteger},
        {"FooterCellColor", tkInteger},
        {"FooterHeight", tkInteger},
        {"RowHeightPercent", tkInteger},
        {"Color", tkInteger},
        {"IndicatorColor", tkEnumeration},
        {"IndicatorIconColor", tkInteger},
        {"LineStyle", tkEnumeration},
        {"LineColors", tkClass},
        {"PadColumnStyle", tkEnumeration},
        {"EditControlOptions", tkSet},
        {"ControlInfoInDataset", tkBoolean},
        {"PictureMaskFromDataSet", tkBoolean},
        {"DefaultDrawing", tkBoolean},
        {"DragVertOffset", tkInteger},
        {"ShowVertScrollBar", tkBoolean},
        {"ShowHorzScrollBar", tkBoolean},
        {"MultiSelectOptions", tkSet},
        {"HideAllLines", tkBoolean},
        {"DisableThemesInTitle", tkBoolean},
        {"GroupFieldName", tkString},
        {"ImageList", tkClass},
        {"TitleImageList", tkClass},
        {"IndicatorButton", tkClass},
        {"DataSource", tkClass},
        {"Selected", tkClass},
        {"ControlType", tkClass},
        {"PictureMasks", tkClass},
        {"RegexMasks", tkClass},
        {"DittoAttributes", tkClass},
        {"PaintOptions", tkClass},
        {"Font", tkClass},
        {"TitleFont", tkClass},
        {"MemoAttributes", tkSet},
        {"IniAttributes", tkClass},
        {"ExportOptions", tkClass},
        {"LoadAllRTF", tkBoolean},
        {"FixedCols", tkInteger},
        {"DisableThemes", tkBoolean},
        {"OnCalcCellColors", tkMethod},
        {"OnCalcTitleAttributes", tkMethod},
        {"OnDrawTitleCell", tkMethod},
        {"OnDrawGroupHeaderCell", tkMethod},
        {"OnCalcTitleImage", tkMethod},
        {"OnDrawDataCell", tkMethod},
        {"OnBeforeDrawCell", tkMethod},
        {"OnAfterDrawCell", tkMethod},
        {"OnDrawFooterCell", tkMethod},
        {"OnTitleButtonClick", tkMethod},
        {"OnURLOpen", tkMethod},
        {"OnColumnMoved", tkMethod},
        {"OnColWidthChanged", tkMethod},
        {"OnTopRowChanged", tkMethod},
        {"OnRowChanged", tkMethod},
        {"OnCellChanged", tkMethod},
        {"OnColEnter", tkMethod},
        {"OnColExit", tkMethod},
        {"OnUpdateFooter", tkMethod},
        {"OnBeforePaint", tkMethod},
        {"OnLeftColChanged", tkMethod},
        {"OnFieldChanged", tkMethod},
        {"OnCheckValue", tkMethod},
        {"OnCreateHintWindow", tkMethod},
        {"OnMultiSelectRecord", tkMethod},
        {"OnMultiSelectAllRecords", tkMethod},
        {"OnDitto", tkMethod},
        {"OnMemoOpen", tkMethod},
        {"OnMemoClose", tkMethod},
        {"OnExportField", tkMethod},
        {"OnExportSYLKFormat", tkMethod},
        {"OnCreateDateTimePicker", tkMethod},
    };
    for (const auto& [name, kind] : names) {
        SCOPED_TRACE(name);
        const TPropInfo* info = GetPropInfo(Grid, name);
        ASSERT_NE(info, nullptr);
        EXPECT_EQ(info->Kind, kind);
        EXPECT_TRUE(info->IsWritable());
        switch (kind) {
        case tkClass: EXPECT_NO_THROW(GetObjectProp(Grid, name)); break;
        case tkMethod: EXPECT_FALSE(GetMethodProp(Grid, name).Assigned()); break;
        case tkString: EXPECT_EQ(GetStrProp(Grid, name), ""); break;
        default: EXPECT_NO_THROW(GetOrdProp(Grid, name)); break;
        }
    }
    // The values read are the grid's own.
    EXPECT_EQ(GetSetProp(Grid, "KeyOptions"), "[dgAllowDelete,dgAllowInsert]");
    EXPECT_EQ(GetSetProp(Grid, "MemoAttributes"), "[mSizeable,mWordWrap]");
    EXPECT_EQ(GetEnumProp(Grid, "LineStyle"), "glsDynamic");
    EXPECT_EQ(GetEnumProp(Grid, "PadColumnStyle"), "pcsPadHeaderAndData");
    EXPECT_EQ(GetObjectProp(Grid, "LineColors"), Grid->LineColors());
    EXPECT_EQ(GetObjectProp(Grid, "DittoAttributes"), Grid->DittoAttributes());
    EXPECT_EQ(GetOrdProp(Grid, "DragVertOffset"), 15);
    EXPECT_EQ(GetOrdProp(Grid, "RowHeightPercent"), 100);
}

// A set: Enter moves to the next cell only once dgEnterToTab is written.
TEST_F(QzDBGridPublished, KeyOptionsByNameMakeEnterMoveLikeTab) {
    Open(2);
    SendKey(Grid, VK_RETURN);
    EXPECT_EQ(Grid->SelectedIndex(), 0);
    SetSetProp(Grid, "KeyOptions", "[dgEnterToTab,dgAllowInsert]");
    EXPECT_EQ(Grid->KeyOptions(), (TqzDBGridKeyOptions{dgEnterToTab, dgAllowInsert}));
    SendKey(Grid, VK_RETURN);
    EXPECT_EQ(Grid->SelectedIndex(), 1);
    EXPECT_THROW(SetSetProp(Grid, "KeyOptions", "[dgNoSuchKey]"), EPropertyError);
    EXPECT_EQ(Grid->KeyOptions(), (TqzDBGridKeyOptions{dgEnterToTab, dgAllowInsert}));
}

// The grid's own set: memo cells show their text only with mGridShow.
TEST_F(QzDBGridPublished, MemoAttributesByNameShowMemoText) {
    Open(1);
    TField* notes = Table->FieldByName("Notes");
    EXPECT_EQ(Grid->CellText(notes), "(Memo)");
    SetSetProp(Grid, "MemoAttributes", "[mSizeable,mGridShow]");
    EXPECT_EQ(Grid->MemoAttributes(), (TqzMemoAttributes{mSizeable, mGridShow}));
    EXPECT_EQ(Grid->CellText(notes), "Note 1");
}

// An enumeration: the indicator arrow of the current row turns yellow.
TEST_F(QzDBGridPublished, IndicatorColorByNamePaintsTheArrowYellow) {
    Open(3);
    const TRect cell = Grid->CellRect(0, 1);
    const TColor yellow = static_cast<TColor>(ColorToRGB(clYellow));
    Shot("qzdbgrid_pub_indicator_black.png");
    EXPECT_EQ(Count(cell, yellow), 0);
    const int dark = Count(cell, clBlack);
    ASSERT_GT(dark, 4);
    SetEnumProp(Grid, "IndicatorColor", "icYellow");
    Grid->Invalidate();
    Shot("qzdbgrid_pub_indicator_yellow.png");
    EXPECT_EQ(Count(cell, yellow), dark);
    EXPECT_EQ(Count(cell, clBlack), 0);
}

// A persistent sub-object's field, with the footer settings: the footer's
// colour, height and top line as written by name.
TEST_F(QzDBGridPublished, FooterAndLineColorsByNameAreDrawn) {
    SetSetProp(Grid, "Options", GetSetProp(Grid, "Options", false) + ",dgShowFooter");
    SetOrdProp(Grid, "FooterHeight", 30);
    SetOrdProp(Grid, "FooterColor", RGB(0, 128, 128));
    SetEnumProp(Grid, "LineStyle", "glsSingle");
    TObject* lines = GetObjectProp(Grid, "LineColors");
    ASSERT_NE(lines, nullptr);
    SetOrdProp(lines, "FixedColor", RGB(255, 0, 0));
    EXPECT_EQ(Grid->LineColors()->FixedColor(), RGB(255, 0, 0));
    Open(2);
    Shot("qzdbgrid_pub_footer.png");
    const TRect footer = Grid->FooterRect();
    ASSERT_EQ(footer.Height(), 30);
    const int x = footer.Left + 4;
    EXPECT_EQ(Picture.Canvas()->Pixels(x, footer.Top), RGB(255, 0, 0));
    EXPECT_EQ(Picture.Canvas()->Pixels(x, footer.Top + footer.Height() / 2), RGB(0, 128, 128));
    // A whole sub-object written by name is copied, not taken over.
    TqzGridLineColors other;
    other.SetFixedColor(RGB(0, 0, 255));
    SetObjectProp(Grid, "LineColors", &other);
    EXPECT_EQ(GetObjectProp(Grid, "LineColors"), Grid->LineColors());
    EXPECT_EQ(Grid->LineColors()->FixedColor(), RGB(0, 0, 255));
    Grid->Invalidate();
    Shot("qzdbgrid_pub_footer_blue.png");
    EXPECT_EQ(Picture.Canvas()->Pixels(x, footer.Top), RGB(0, 0, 255));
}

// An event set by name fires: the ditto short-cut written into the ditto
// attributes by name copies the prior record's value through OnDitto.
TEST_F(QzDBGridPublished, DittoShortCutAndOnDittoByName) {
    Open(3);
    TObject* ditto = GetObjectProp(Grid, "DittoAttributes");
    ASSERT_NE(ditto, nullptr);
    SetOrdProp(ditto, "ShortCutDittoField", ShortCut('D', {ssCtrl}));
    SetEnumProp(ditto, "DittoDirection", "qzDittoPrior");
    EXPECT_EQ(GetPropInfo(ditto, "ShortCutDittoField")->TypeName, "TShortCut");
    std::vector<std::string> offered;
    SetMethodProp(Grid, "OnDitto",
                  TqzDittoEvent([&](TObject* Sender, TDataSet*, TField* Field, std::string& Value, bool&) {
                      EXPECT_EQ(Sender, Grid);
                      offered.push_back(Field->FieldName() + "=" + Value);
                      Value += "!";
                  }));
    Grid->SelectDataColumn(1);
    SendKey(Grid, VK_DOWN);
    SendKey(Grid, 'D', {ssCtrl});
    EXPECT_EQ(offered, (std::vector<std::string>{"Name=Name1"}));
    EXPECT_EQ(Table->FieldByName("Name")->AsString(), "Name1!");
    Table->Cancel();
    // Cleared by name: the short-cut copies without asking.
    SetMethodProp(Grid, "OnDitto", TMethod());
    SendKey(Grid, 'D', {ssCtrl});
    EXPECT_EQ(offered.size(), 1u);
    EXPECT_EQ(Table->FieldByName("Name")->AsString(), "Name1");
    Table->Cancel();
    // Ditto attributes copy as a whole.
    TqzDittoAttributes other;
    other.SetDittoDirection(qzDittoNext);
    SetObjectProp(Grid, "DittoAttributes", &other);
    EXPECT_EQ(Grid->DittoAttributes()->DittoDirection(), qzDittoNext);
    EXPECT_EQ(Grid->DittoAttributes()->ShortCutDittoField(), 0);
}

TEST_F(QzDBGridPublished, TheCellEditorTakesTheGridsInputMethod) {
    // The grid does not publish them; its editor takes them all the same.
    EXPECT_EQ(nullptr, GetPropInfo(Grid, "ImeMode"));
    Grid->SetImeMode(imClose);
    Grid->SetImeName("fcitx5");
    Open(3);
    EXPECT_EQ(imClose, Grid->ImeMode());
    EXPECT_FALSE(InputMethodEnabledFor(Grid));
    SendKey(Grid, VK_F2);
    ProcessEvents();
    TInplaceEdit* editor = Grid->InplaceEditor();
    ASSERT_NE(nullptr, editor);
    ASSERT_TRUE(editor->Visible());
    EXPECT_EQ(imClose, editor->ImeMode());
    EXPECT_EQ("fcitx5", editor->ImeName());
    EXPECT_FALSE(InputMethodEnabledFor(editor));
    SendText(editor, "7");  // typing itself is unchanged
    EXPECT_NE(std::string::npos, editor->Text().find('7'));
}

}  // namespace
