// Every name the suite's components list as published is found, spelt
// alike, in the class's published-property list (inherited names
// included), so that a name dropped later fails here.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <utility>
#include <vector>

#include "suite/base/qzintl.h"
#include "suite/data/qzdbtables.h"
#include "suite/data/qzfilterdialog.h"
#include "suite/data/qzfilterinfo.h"
#include "suite/data/qzkeycb.h"
#include "suite/data/qzkeycombo.h"
#include "suite/data/qzlocate.h"
#include "suite/data/qzlookupcombodlg.h"
#include "suite/data/qzlookupdlg.h"
#include "suite/data/qznavigator.h"
#include "suite/data/qzrecordview.h"
#include "suite/data/qzspeedbutton.h"
#include "suite/edit/qzcombobutton.h"
#include "suite/edit/qzdatetimepicker.h"
#include "suite/edit/qzdbcombobox.h"
#include "suite/edit/qzdbedit.h"
#include "suite/edit/qzhistorylist.h"
#include "suite/edit/qzmemodlg.h"
#include "suite/edit/qzmonthcal.h"
#include "suite/edit/qzspinedit.h"
#include "suite/grid/qzdbgrid.h"
#include "suite/grid/qzgridexport.h"
#include "suite/grid/qzgridlayout.h"
#include "suite/grid/qzlookuplist.h"
#include "suite/grid/qzpaintoptions.h"
#include "suite/richtext/qzdbrichedit.h"
#include "suite/richtext/qzriched.h"
#include "support/published_names.h"

namespace {

// Not built, so not published: the platform keeps no update objects for
// cached updates, which a QBE dataset's UpdateObject would name.
const std::set<std::pair<std::string, std::string>> kNotBuilt = {{"TqzQBE", "UpdateObject"}};

// The components and the names each publishes, separated by blanks.
std::vector<TPublishedList> PublishedLists() {
    return {
        {TqzMemoDialog::StaticClass(),
         "DataSource DataField Font MemoAttributes Caption DlgLeft DlgTop DlgWidth DlgHeight Lines "
         "UserButton1Caption UserButton2Caption OnUserButton1Click OnUserButton2Click OnInitDialog "
         "OnCloseDialog"},
        {TqzTable::StaticClass(),
         "ControlType LookupFields LookupLinks PictureMasks ValidateWithMask OnInvalidValue OnFilter "
         "OnFilterOptions OnFilterEscape qzFilter Query TableName SyncSQLByRange NarrowSearch "
         "NarrowSearchUpperChar"},
        {TqzQuery::StaticClass(),
         "ControlType LookupFields LookupLinks PictureMasks ValidateWithMask OnInvalidValue OnFilter "
         "OnFilterOptions OnFilterEscape"},
        {TqzStoredProc::StaticClass(),
         "ControlType LookupFields LookupLinks PictureMasks ValidateWithMask OnInvalidValue OnFilter "
         "OnFilterOptions OnFilterEscape"},
        {TqzQBE::StaticClass(),
         "ControlType LookupFields LookupLinks PictureMasks OnInvalidValue OnFilter OnFilterOptions "
         "OnFilterEscape QBE AnswerTable AuxiliaryTables BlankAsZero UpdateObject OnError"},
        {TqzComboButton::StaticClass(),
         "Action AllowAllUp Anchors BiDiMode Constraints GroupIndex Down Caption Enabled Flat Font Glyph "
         "Layout Margin NumGlyphs ParentFont ParentShowHint ParentBiDiMode PopupMenu ShowHint Spacing "
         "Transparent Visible OnClick OnDblClick OnMouseDown OnMouseMove OnMouseUp"},
        {TqzDBEdit::StaticClass(),
         "Controller DisableThemes Anchors BiDiMode AutoFillDate AutoSelect AutoSize BorderStyle CharCase "
         "Color Constraints ParentBiDiMode BevelEdges BevelInner BevelKind BevelOuter Ctl3D DataField "
         "DataSource DragCursor DragMode EditAlignment Enabled Font Frame ImeMode ImeName MaxLength "
         "ParentColor ParentCtl3D ParentFont ParentShowHint PasswordChar Picture RegexMask PopupMenu "
         "ReadOnly MaskStoreLiteralTemplate ShowVertScrollBar ShowHint TabOrder TabStop UnboundDataType "
         "UnboundAlignment UsePictureMask Visible WantReturns WordWrap OnChange OnClick OnDblClick "
         "OnDragDrop OnDragOver OnEndDrag OnEnter OnExit OnKeyDown OnKeyPress OnKeyUp OnMouseEnter "
         "OnMouseLeave OnMouseDown OnMouseMove OnMouseUp OnCheckValue"},
        {TqzDBSpinEdit::StaticClass(),
         "Controller DisableThemes EditAlignment EditorEnabled Increment MaxValue MinValue Value "
         "AutoFillDate DataField DataSource ButtonEffects Frame LimitEditRect Picture ReadOnly "
         "UnboundDataType UsePictureMask OnCheckValue AfterUpClick AfterDownClick BeforeUpClick "
         "BeforeDownClick"},
        {TqzDateTimeColors::StaticClass(),
         "TextColor TitleBackColor TitleTextColor MonthBackColor TrailingTextColor"},
        {TqzMonthCalendar::StaticClass(),
         "BorderStyle CalColors Date Time Color Options PopupYearOptions FirstDayOfWeek Height "
         "MaxSelectCount MaxDate MinDate ParentColor TabStop Width OnCalcBoldDay OnChange OnMouseDown "
         "OnMouseMove OnMouseUp"},
        {TqzDBComboBox::StaticClass(),
         "Controller BevelEdges BevelInner BevelKind BevelOuter DisableThemes Anchors BiDiMode Constraints "
         "ParentBiDiMode ShowButton Style MapList AllowClearKey AutoDropDown ShowMatchText AutoFillDate "
         "AutoSelect AutoSize BorderStyle ButtonStyle CharCase Color Column1Width Ctl3D DataField DataSource "
         "DisableDropDownList DragMode DragCursor DropDownCount DropDownWidth Enabled Font ButtonEffects "
         "Frame ButtonWidth ButtonGlyph HistoryList ImeMode ImeName ItemHeight Items ItemIndex LimitEditRect "
         "MaxLength ParentColor ParentCtl3D ParentFont ParentShowHint Picture PopupMenu ReadOnly ShowHint "
         "Sorted TabOrder TabStop UnboundDataType UsePictureMask Visible UnboundAlignment TwoColumnDisplay "
         "OnAddHistoryItem OnChange OnCheckValue OnClick OnDblClick OnDragDrop OnDragOver OnDropDown "
         "OnCloseUp OnDrawItem OnMeasureItem OnEndDrag OnEnter OnExit OnKeyDown OnKeyPress OnKeyUp"},
        {TqzHistoryList::StaticClass(), "Enabled Section FileName MaxSize StorageType MRUEnabled MRUMaxSize"},
        {TqzDBDateTimePicker::StaticClass(),
         "Anchors BiDiMode BevelEdges BevelInner BevelKind BevelOuter AutoSize BorderStyle Color Constraints "
         "DragMode DragCursor Enabled Font ImeMode ImeName ParentBiDiMode ParentColor ParentFont "
         "ParentShowHint PopupMenu ShowHint TabOrder Visible Controller DisableThemes AutoFillDateAndTime "
         "CalendarAttributes ButtonStyle DataField DateFormat DataSource Date Epoch ButtonEffects Frame "
         "ButtonWidth ButtonGlyph Time MaxDate MinDate Interval ReadOnly ShowButton UnboundDataType "
         "DisplayFormat OnCalcBoldDay OnClick OnCloseUp OnChange OnDropDown OnDblClick OnDragDrop OnDragOver "
         "OnEndDrag OnEnter OnExit OnKeyDown OnKeyPress OnKeyUp OnMouseEnter OnMouseLeave OnStartDrag"},
        {TqzDBRichEdit::StaticClass(),
         "Controller Anchors Constraints BevelEdges BevelInner BevelKind BevelOuter Align Alignment "
         "AutoURLDetect AutoSelect AutoDisplay BorderStyle BorderWidth Color Ctl3D DataField DataSource "
         "DragCursor DragMode Enabled Font Frame GutterWidth HideSelection HideScrollBars ImeMode ImeName "
         "MaxLength ParentColor ParentCtl3D ParentFont ParentShowHint OleOptions PrintPageSize "
         "UserSpeedButton1 UserSpeedButton2 HighlightColor Title PopupMenu PrintJobName PrintPreviewCaption "
         "ReadOnly ShowHint TabOrder TabStop Visible WantReturns WantTabs WantNavigationKeys WordWrap "
         "OnChange OnClick OnDblClick OnDragDrop OnDragOver OnEndDrag OnEnter OnExit OnKeyDown OnKeyPress "
         "OnKeyUp OnMouseDown OnMouseMove OnMouseUp OnResizeRequest OnSelectionChange OnProtectChange "
         "OnSaveClipboard OnStartDrag PopupOptions EditorOptions EditorCaption EditorPosition "
         "MeasurementUnits PrintMargins EditWidth OnInitDialog OnCloseDialog OnCreateDialog OnURLOpen "
         "OnMenuLoadClick OnMenuPrintClick OnMenuSaveAsClick OnMenuSaveAndExitClick OnSpellCheck PrintHeader "
         "PrintFooter OnPrintHeader OnPrintFooter ScrollBars MSVersion Lines"},
        {TqzCustomRichEdit::StaticClass(), "ScrollBars MSVersion Lines"},
        {TqzDBGrid::StaticClass(),
         "Options KeyOptions UseTFields ReadOnly EditCalculated TitleButtons TitleAlignment TitleLines "
         "TitleColor FooterColor FooterCellColor FooterHeight RowHeightPercent Color IndicatorColor "
         "IndicatorIconColor LineStyle LineColors PadColumnStyle EditControlOptions ControlInfoInDataset "
         "PictureMaskFromDataSet DefaultDrawing DragVertOffset ShowVertScrollBar ShowHorzScrollBar "
         "MultiSelectOptions HideAllLines DisableThemesInTitle GroupFieldName ImageList TitleImageList "
         "IndicatorButton DataSource Selected ControlType PictureMasks RegexMasks DittoAttributes "
         "PaintOptions OnCalcCellColors OnCalcTitleAttributes OnDrawTitleCell OnDrawGroupHeaderCell "
         "OnCalcTitleImage OnDrawDataCell OnBeforeDrawCell OnAfterDrawCell OnDrawFooterCell "
         "OnTitleButtonClick OnURLOpen OnColumnMoved OnColWidthChanged OnTopRowChanged OnRowChanged "
         "OnCellChanged OnColEnter OnColExit OnUpdateFooter OnBeforePaint OnLeftColChanged OnFieldChanged "
         "OnCheckValue OnCreateHintWindow OnMultiSelectRecord OnMultiSelectAllRecords OnDitto OnMemoOpen "
         "OnMemoClose OnExportField OnExportSYLKFormat OnCreateDateTimePicker MemoAttributes IniAttributes "
         "ExportOptions LoadAllRTF FixedCols DisableThemes"},
        {TqzGridPaintOptions::StaticClass(),
         "AlternatingRowColor ActiveRecordColor BackgroundOptions BackgroundBitmap BackgroundDrawStyle "
         "AlternatingRowRegions FastRecordScrolling"},
        {TqzIniAttributes::StaticClass(),
         "FileName SectionName Delimiter Enabled SaveToRegistry CheckNewFields"},
        {TqzExportOptions::StaticClass(),
         "FileName ExportType Delimiter Options TitleName OutputWidthinTwips HTMLBorderWidth"},
        {TqzDBLookupComboDlg::StaticClass(),
         "DataSource DataField LookupTable LookupField Selected Style DropDownCount DropDownWidth "
         "DropDownAlignment SearchDelay SeqSearchOptions OrderByDisplay AllowClearKey UseTFields "
         "ShowMatchText AutoDropDown ButtonStyle ButtonWidth ButtonGlyph ShowButton ButtonEffects Frame "
         "Controller DisableThemes Picture ReadOnly AutoSelect MaxLength GridOptions GridColor "
         "GridTitleAlignment Options Caption MaxWidth MaxHeight UserButton1Caption UserButton2Caption "
         "ControlType PictureMasks ControlInfoInDataset PictureMaskFromDataset PictureMaskFromField "
         "OnInitDialog OnCloseDialog OnUserButton1Click OnUserButton2Click OnSortChange OnDropDown OnCloseUp "
         "OnPerformCustomSearch OnChange"},
        {TqzDBLookupList::StaticClass(),
         "DataSource DataField LookupTable LookupField Selected ReadOnly Options BorderStyle OnClick "
         "OnDblClick OnKeyDown OnKeyPress OnKeyUp"},
        {TqzSearchDialog::StaticClass(),
         "SearchTable ShadowSearchTable Selected Options GridOptions GridColor GridTitleAlignment Caption "
         "MaxWidth MaxHeight CharCase UseTFields PictureMaskFromField ControlType PictureMasks "
         "ControlInfoInDataset PictureMaskFromDataset UserButton1Caption UserButton2Caption"},
        {TqzFieldOperators::StaticClass(), "OrChar AndChar NullChar"},
        {TqzFilterDialogRounding::StaticClass(), "Epsilon RoundingMethod"},
        {TqzFilterDialog::StaticClass(),
         "DataSource OnDialogSummary Options SortBy Caption FilterMethod DefaultMatchType DefaultFilterBy "
         "DefaultField FieldsFetchMethod FieldOperators Rounding FilterPropertyOptions "
         "OnFilterPropertyOptions SelectedFields FilterOptimization UpperRangePadChar DlgHeight "
         "QueryFormatDateMode SQLTables SQLUpperString SQLPropertyName OnInitDialog OnExecuteSQL "
         "OnEncodeValue OnEncodeDateTime OnSelectField OnInitTempDataSet OnAcceptFilterRecord"},
        {TqzIncrementalSearch::StaticClass(),
         "DataSource SearchField SearchDelay CaseSensitivity ShowMatchText PictureMask PictureMaskAutoFill "
         "PictureMaskFromField Frame Controller DisableThemes OnAfterSearch OnPerformCustomSearch"},
        {TqzKeyCombo::StaticClass(), "DataSource ShowAllIndexes PrimaryKeyName OnCloseUp"},
        {TqzNavButton::StaticClass(),
         "Style Dialog LineBreak Index Visible OnAfterCreateDialog OnRowChanged OnUpdateState"},
        {TqzDBNavigator::StaticClass(),
         "Buttons DataSource MoveBy Options Flat ImageList Layout AutosizeStyle RepeatInterval ShowHint "
         "Transparent TransparentClearsBackground DisableThemes"},
        {TqzRecordViewDialog::StaticClass(),
         "DataSource Selected ControlType ControlInfoInDataset PictureMasks PictureMaskFromDataSet Style "
         "Options ControlOptions OKCancelOptions Caption BorderStyle FormPosition Margin EditSpacing Font "
         "LabelFont ReadOnlyColor LinesPerMemoControl Menu Navigator NavigatorButtons NavigatorFlat "
         "NavigatorVisibleButtons Controller EditFrame"},
        {TqzIntl::StaticClass(),
         "ADO Navigator SearchDialog LocateDialog MonthCalendar OKCancelBitmapped DialogFontStyle "
         "BtnOKCaption BtnCancelCaption Connected UserMessages FilterDialog ValidationFeedback RichEdit "
         "IniFileName CheckBoxInGridStyle GridPaintStyle UseLocateMethodForSearch DefaultEpochYear "
         "FilterMemoSize OnValidationErrorUsingMask"},
        {TqzLocateDialog::StaticClass(),
         "Caption DataSource SearchField MatchType CaseSensitive SortFields DefaultButton FieldSelection "
         "ShowMessages UseLocateMethod Options OnInitDialog OnSelectField"},
        {TqzSpeedButton::StaticClass(),
         "ImageIndex NumGlyphs Margin Spacing ShowText Transparent DisabledTextColors Action Caption Enabled "
         "Font ParentFont ShowHint ParentShowHint OnClick OnMouseDown OnMouseUp OnMouseMove"},
    };
}

TEST(PublishedNames, EveryListedNameIsInItsClassesPublishedList) {
    const auto [classes, checked] = ExpectListsPublished(PublishedLists(), kNotBuilt);
    EXPECT_EQ(33u, classes);
    EXPECT_EQ(780u, checked);
}

}  // namespace
