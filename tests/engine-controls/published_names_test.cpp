// Every name the engine's components list as published is found, spelt
// alike, in the class's published-property list (inherited names
// included), so that a name dropped later fails here.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "engine-controls/ostra_calculator.h"
#include "engine-controls/ostra_calendar.h"
#include "engine-controls/ostra_dbedit.h"
#include "engine-controls/ostra_dbgrid.h"
#include "engine-controls/ostra_dbgrid_columns.h"
#include "engine/ostra_database.h"
#include "engine/ostra_dataset.h"
#include "engine/ostra_table.h"
#include "support/published_names.h"

namespace {

// The components and the names each publishes, separated by blanks.
std::vector<TPublishedList> PublishedLists() {
    return {
        {TOstraDataset::StaticClass(),
         "Active AutoCalcFields Filter Filtered BeforeOpen AfterOpen BeforeClose AfterClose BeforeInsert "
         "AfterInsert BeforeEdit AfterEdit BeforePost AfterPost BeforeCancel AfterCancel BeforeDelete "
         "AfterDelete BeforeScroll AfterScroll OnCalcFields OnFilterRecord OnNewRecord Database "
         "IndexFieldNames MasterFields MasterSource Notes PartialOpen RangeFieldNames ReadOnly SaveOptions "
         "SortOptions UniqueFieldNames Version OnNeedToSaveChange OnCallback OnDestroyRecordData"},
        {TOstraTable::StaticClass(),
         "Active AutoCalcFields Filter Filtered BeforeOpen AfterOpen BeforeClose AfterClose BeforeInsert "
         "AfterInsert BeforeEdit AfterEdit BeforePost AfterPost BeforeCancel AfterCancel BeforeDelete "
         "AfterDelete BeforeScroll AfterScroll OnCalcFields OnFilterRecord OnNewRecord Database "
         "IndexFieldNames MasterFields MasterSource Notes PartialOpen RangeFieldNames ReadOnly SaveOptions "
         "SortOptions UniqueFieldNames Version OnNeedToSaveChange OnCallback OnDestroyRecordData TableName "
         "LoadMode CloneDS FieldDefs StoreDefs CheckKeyViolation Password"},
        {TOstraDatabase::StaticClass(), "DatabasePath DateFormat"},
        {TOstraColumn::StaticClass(),
         "Alignment AutoDropDown ButtonStyle CanClick Color DropDownRows DropDownWidth FieldName Font "
         "LongTextAsHint LookupDropDownFields LookupKeyField LookupLinkField LookupDataSet PickList "
         "PickValues PopupMenu ReadOnly Title ValueChecked ValueUnChecked Visible Width WrapText"},
        {TOstraColumnTitle::StaticClass(), "Alignment Caption Color Font"},
        {TOstraDBGrid::StaticClass(),
         "Align AllowDelete AllowInsert Anchors BiDiMode BorderStyle Color ParentColor Columns Constraints "
         "Ctl3D DataSource DefaultDrawing DragCursor DragKind DragMode Enabled FixedColor FixedCols Font "
         "HighlightColor HighlightTextColor ImeMode ImeName Options ParentBiDiMode ParentCtl3D ParentFont "
         "ParentShowHint PopupMenu ReadOnly RowsHeight ShowHint TabOrder TabStop TitleFont TitleHeight "
         "Visible AfterCloseUp BeforeDropDown OnCalcFieldEdited OnCellClick OnColEnter OnColExit "
         "OnColumnMoved OnColumnResized OnDblClick OnDragDrop OnDragOver OnDrawCellAttr OnDrawColumnCell "
         "OnDrawTitleAttr OnEditButtonClick OnEndDock OnEndDrag OnEnter OnExit OnKeyDown OnKeyPress OnKeyUp "
         "OnMouseDown OnMouseMove OnMouseUp OnMultiSelectChanged OnSpecialKeyDown OnStartDock OnStartDrag "
         "OnTitleClick"},
        {TOstraCalendar::StaticClass(),
         "Day Month Year Date Text BevelInner BevelOuter Enabled Font ParentColor ParentFont ParentShowHint "
         "PopupMenu ShowHint Visible OnMouseDown OnMouseMove OnMouseUp OnSelectDate OnChangeDate"},
        {TOstraCalculator::StaticClass(),
         "BevelInner BevelOuter Enabled Font ParentColor ParentFont ParentShowHint PopupMenu ShowHint "
         "Visible OnMouseDown OnMouseMove OnMouseUp OnExitClick"},
        {TOstraDBEdit::StaticClass(),
         "Anchors AutoSelect AutoSize Alignment AutoDropDown ButtonWidth BorderStyle CharCase ClearValue "
         "Color Constraints ComboProps Ctl3D DataField DataSource DropDownRows DropDownWidth DialogStyle "
         "Enabled EnterAsTab Font LookupDataSet LookupProps MaxLength ParentColor ParentCtl3D ParentFont "
         "ParentShowHint PasswordChar PopupMenu ReadOnly ShowHint Style TabOrder TabStop TreeProps Visible "
         "OnChange OnClick OnDropDown OnCloseUp OnCustomDlg OnDisplayText OnUpdateData OnEnter OnExit "
         "OnKeyDown OnKeyPress OnKeyUp OnMouseDown OnMouseMove OnMouseUp"},
    };
}

TEST(PublishedNames, EveryListedNameIsInItsClassesPublishedList) {
    const auto [classes, checked] = ExpectListsPublished(PublishedLists());
    EXPECT_EQ(9u, classes);
    EXPECT_EQ(267u, checked);
}

// The check itself: a name the class does not publish, or publishes spelt
// otherwise, is reported; an inherited name is found.
TEST(PublishedNames, TheCheckReportsWhatIsMissing) {
    const TClass* grid = TOstraDBGrid::StaticClass();
    EXPECT_TRUE(MissingPublishedNames(grid, {"Options", "OnKeyDown", "Font", "DragMode"}).empty());
    EXPECT_EQ((std::vector<std::string>{"NoSuchName", "options"}),
              MissingPublishedNames(grid, {"NoSuchName", "options"}));
    EXPECT_EQ((std::vector<std::string>{"a", "b"}), SplitNames(" a  b "));
}

}  // namespace
