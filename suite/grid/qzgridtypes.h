// The suite grid's option sets, events and the small property objects it
// publishes: ditto short-cuts and line colours.
#pragma once

#include <string>

#include "platform/core/strings.h"
#include "platform/db/dbtypes.h"
#include "platform/ui/grids.h"
#include "suite/base/qztypes.h"

class TCanvas;
class TDataSet;
class TField;

TASKMOOR_ENUM(TqzDBGridOption, dgEditing, dgAlwaysShowEditor, dgTitles, dgIndicator, dgColumnResize,
              dgColLines, dgRowLines, dgTabs, dgRowSelect, dgAlwaysShowSelection, dgConfirmDelete,
              dgCancelOnExit, dgWordWrap, dgPerfectRowFit, dgMultiSelect, dgShowFooter, dgFooter3DCells,
              dgNoLimitColSize, dgTrailingEllipsis, dgShowCellHint, dgTabExitsOnLastCol, dgFixedResizable,
              dgFixedEditable, dgProportionalColResize, dgRowResize, dgRowLinesDisableFixed,
              dgColLinesDisableFixed, dgFixedProportionalResize, dgHideBottomDataLine, dgDblClickColSizing)
using TqzDBGridOptions = TSet<TqzDBGridOption>;
TASKMOOR_ENUM(TqzDBGridKeyOption, dgEnterToTab, dgAllowDelete, dgAllowInsert)
using TqzDBGridKeyOptions = TSet<TqzDBGridKeyOption>;
TASKMOOR_ENUM(TqzMultiSelectOption, msoAutoUnselect, msoShiftSelect)
using TqzMultiSelectOptions = TSet<TqzMultiSelectOption>;
TASKMOOR_ENUM(TqzEditControlOption, ecoCheckboxSingleClick, ecoSearchOwnerForm, ecoDisableCustomControls,
              ecoDisableDateTimePicker, ecoDisableEditorIfReadOnly)
using TqzEditControlOptions = TSet<TqzEditControlOption>;
TASKMOOR_ENUM(TIndicatorColorType, icBlack, icYellow)
TASKMOOR_ENUM(TqzPadColumnStyle, pcsPlain, pcsPadHeader, pcsPadHeaderAndData)
TASKMOOR_ENUM(TqzGridLineStyle, glsSingle, gls3D, glsDynamic)

using TqzFieldEvent = TEvent<TObject*, TField*>;
using TqzColumnMovedEvent = TEvent<TObject*, int, int>;
using TqzLeftColChangedEvent = TEvent<TObject*, int>;
// (Sender, data column index).
using TqzColWidthChangedEvent = TEvent<TObject*, int>;
using TqzCheckValueEvent = TEvent<TObject*, bool>;
using TqzTitleButtonClickEvent = TEvent<TObject*, const std::string&>;
// What is known of a cell while it is drawn; a handler of OnBeforeDrawCell
// may clear a switch to leave out that part of the default drawing. The two
// column flags are kept in the column's row flags (bit 0 set: ColumnFlag1
// cleared, which leaves out the line under the row; bit 1: ColumnFlag2).
struct TqzCustomDrawGridCellInfo {
    TRect Rect;
    TGridDrawState State;
    int DataCol = -1;
    int DataRow = -1;
    TField* Field = nullptr;
    bool DefaultBackground = true;
    bool ColumnFlag1 = true;
    bool ColumnFlag2 = true;
    bool DefaultContent = true;
};
using TqzCustomDrawCellEvent = TEvent<TObject*, TqzCustomDrawGridCellInfo&>;
using TqzDrawDataCellEvent = TEvent<TObject*, const TRect&, TField*, TGridDrawState>;
// (Sender, Canvas, FooterCellRect, Field, FooterText, DefaultDrawing).
using TqzDrawFooterCellEvent = TEvent<TObject*, TCanvas*, const TRect&, TField*, std::string&, bool&>;
// (Sender, AFieldName, AFont, ABrush, ATitleAlignment): every title cell.
using TqzCalcTitleAttributesEvent = TEvent<TObject*, const std::string&, TFont*, TBrush*, TAlignment&>;
// (Sender, Canvas, Field, Rect, DefaultDrawing): a handler that clears
// DefaultDrawing draws the title itself over its background.
using TqzDrawTitleCellEvent = TEvent<TObject*, TCanvas*, TField*, const TRect&, bool&>;
// Where a title image goes beside the title text.
TASKMOOR_ENUM(TqzTitleImagePlacement, tipLeft, tipRight, tipCenter)
// The image of a title from the grid's TitleImageList (-1: none).
struct TqzTitleImageAttributes {
    int ImageIndex = -1;
    TqzTitleImagePlacement Placement = tipLeft;
};
using TqzCalcTitleImageEvent = TEvent<TObject*, TField*, TqzTitleImageAttributes&>;
// (Sender, Canvas, GroupHeaderName, Rect, DefaultDrawing): the header over
// the titles of a column group; a handler that clears DefaultDrawing draws
// it over its background.
using TqzDrawGroupHeaderCellEvent = TEvent<TObject*, TCanvas*, const std::string&, const TRect&, bool&>;
// Where a data row stands among the rows of equal group-field value: First
// when the row above shows another value (or the row is the top one), Last
// when the row below does (or the row is the dataset's last); the group
// separator is drawn under a Last row. Both False without a group field.
struct TqzGroupState {
    bool First = false;
    bool Last = false;
};

TASKMOOR_ENUM(TqzDittoDirection, qzDittoPrior, qzDittoNext, qzDittoPriorOrNext)
TASKMOOR_ENUM(TqzDittoOption, qzdoSkipBlobFields, qzdoSkipReadOnlyFields, qzdoSkipHiddenFields)
using TqzDittoOptions = TSet<TqzDittoOption>;
// (Sender, DataSet, Field, DittoValue, AllowDitto).
using TqzDittoEvent = TEvent<TObject*, TDataSet*, TField*, std::string&, bool&>;

// The ditto short-cuts: copy a field or a whole record from a neighbour.
class TqzDittoAttributes : public TPersistent {
    TASKMOOR_CLASS(TqzDittoAttributes, TPersistent)
public:
    TShortCut ShortCutDittoField() const { return FShortCutDittoField; }
    void SetShortCutDittoField(TShortCut Value) { FShortCutDittoField = Value; }
    TShortCut ShortCutDittoRecord() const { return FShortCutDittoRecord; }
    void SetShortCutDittoRecord(TShortCut Value) { FShortCutDittoRecord = Value; }
    TqzDittoDirection DittoDirection() const { return FDittoDirection; }
    void SetDittoDirection(TqzDittoDirection Value) { FDittoDirection = Value; }
    TqzDittoOptions Options() const { return FOptions; }
    void SetOptions(TqzDittoOptions Value) { FOptions = Value; }
    void Assign(TPersistent* Source) override;
    static void Publish(TPublisher<TqzDittoAttributes>& p);

private:
    TShortCut FShortCutDittoField = 0;
    TShortCut FShortCutDittoRecord = 0;
    TqzDittoDirection FDittoDirection = qzDittoPrior;
    TqzDittoOptions FOptions;
};

// The colours of the grid lines.
class TqzGridLineColors : public TPersistent {
    TASKMOOR_CLASS(TqzGridLineColors, TPersistent)
public:
    TColor DataColor() const { return FDataColor; }
    void SetDataColor(TColor Value) { FDataColor = Value; }
    TColor HighlightColor() const { return FHighlightColor; }
    void SetHighlightColor(TColor Value) { FHighlightColor = Value; }
    TColor ShadowColor() const { return FShadowColor; }
    void SetShadowColor(TColor Value) { FShadowColor = Value; }
    TColor FixedColor() const { return FFixedColor; }
    void SetFixedColor(TColor Value) { FFixedColor = Value; }
    void Assign(TPersistent* Source) override;
    static void Publish(TPublisher<TqzGridLineColors>& p);

private:
    TColor FDataColor = RGB(192, 192, 192);
    TColor FHighlightColor = clBtnHighlight;
    TColor FShadowColor = clBtnShadow;
    TColor FFixedColor = clBlack;
};
