// The private side of TqzCustomDBGrid: its options, lists and colours,
// the column objects, the layout and scroll bookkeeping, the editor's
// pending text, the event handlers and the collaborators' state. Only the
// grid's own sources include this.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/core/strings.h"
#include "platform/db/dataset.h"
#include "platform/ui/bitmaps.h"
#include "platform/ui/timer.h"
#include "suite/grid/qzdbigrd.h"
#include "suite/grid/qzdbigrd_hosts.h"
#include "suite/grid/qzgridcells.h"
#include "suite/grid/qzgridcontrols.h"
#include "suite/grid/qzgriddrag.h"
#include "suite/grid/qzgridpaint.h"
#include "suite/grid/qzgridtitle.h"

class TqzCustomDBGrid::TImpl {
public:
    explicit TImpl(TqzCustomDBGrid& Grid)
        : Hosts(Grid),
          Drag(Hosts),
          Hints(Hosts),
          Titles(Hosts),
          Cells(Hosts, Titles,
                [&Grid](const TRect& R, TField* F, TGridDrawState S) { Grid.DrawDataCell(R, F, S); }),
          Painter(Hosts, Titles),
          InCellControls(Hosts) {}

    // Collaborators, each holding its own interface of the adapter.
    THosts Hosts;
    TqzGridColumnDrag Drag;
    TqzGridCellHints Hints;
    TqzGridTitles Titles;
    TqzGridCells Cells;
    TqzGridPainter Painter;
    TqzGridInCellControls InCellControls;

    // State
    std::unique_ptr<TqzGridDataLink> DataLink;
    std::unique_ptr<TStringList> Selected, ControlType, PictureMasks, RegexMasks;
    std::unique_ptr<TFont> TitleFont;
    std::unique_ptr<TqzGridLineColors> LineColors;
    std::unique_ptr<TBitmap> PaintBitmap;
    std::unique_ptr<TqzGridPaintOptions> PaintOptions;
    std::vector<std::unique_ptr<TqzColumn>> Columns;
    std::unique_ptr<TqzColumn> DefaultColumn;
    std::vector<TqzCacheColInfoItem> ColInfo;
    std::vector<int> PropWidths;

    TqzDBGridOptions Options{dgEditing,  dgTitles, dgIndicator,     dgColumnResize, dgColLines,
                             dgRowLines, dgTabs,   dgConfirmDelete, dgCancelOnExit, dgWordWrap};
    TqzDBGridKeyOptions KeyOptions{dgAllowDelete, dgAllowInsert};
    bool UseTFields = true;
    bool ReadOnly = false;
    bool EditCalculated = false;
    bool TitleButtons = false;
    TAlignment TitleAlignment = taLeftJustify;
    int TitleLines = 1;
    TColor TitleColor = clBtnFace;
    TColor FooterColor = clBtnFace;
    TColor FooterCellColor = clBtnFace;
    int FooterHeight = 0;
    int RowHeightPercent = 100;
    TIndicatorColorType IndicatorColor = icBlack;
    TColor IndicatorIconColor = clBlack;
    TqzGridLineStyle LineStyle = glsDynamic;
    TqzPadColumnStyle PadColumnStyle = pcsPadHeaderAndData;
    TqzEditControlOptions EditControlOptions{ecoSearchOwnerForm};
    bool ControlInfoInDataset = true;
    bool PictureMaskFromDataSet = true;
    int DragVertOffset = 15;
    bool ShowVertScrollBar = true;
    bool ShowHorzScrollBar = true;
    TqzMultiSelectOptions MultiSelectOptions;
    bool HideAllLines = false;
    bool DisableThemesInTitle = false;
    std::string GroupFieldName;
    TqzIButton* IndicatorButton = nullptr;
    int IndicatorButtonWidth = 11;
    int IndicatorButtonOffset = 2;

    int IndicatorOffset = 1;
    int TitleOffset = 1;
    int LayoutLock = 0;
    bool InLayout = false;
    bool Destroying = false;
    bool FontFromParent = false;
    bool InRowCount = false;
    bool InSelectColumn = false;
    bool AllowFocus = true;
    bool AltPhase = false;
    bool RecordEnteredEditing = false;
    bool FirstPaint = false;
    bool FooterChanged = false;
    // OnUpdateFooter is running (its own dataset walk must not start it again).
    bool InFooterUpdate = false;
    std::string LastEditText;
    std::string EditText;
    std::string EditFieldName;  // the field EditText was typed for
    bool UserMoving = false;
    int LastLeftCol = -1;
    int RememberedCol = -1;
    int ClientWidth = 0;
    TBookmark LastBookmark;
    TBookmark FooterBookmark;
    int LastRecordCount = -1;
    TScrollInfo LastScroll;
    bool ScrollSet = false;

    TqzColumnMovedEvent OnColumnMoved;
    TqzColWidthChangedEvent OnColWidthChanged;
    TNotifyEvent OnTopRowChanged, OnRowChanged, OnCellChanged, OnColEnter, OnColExit, OnUpdateFooter;
    TqzLeftColChangedEvent OnLeftColChanged;
    TqzFieldEvent OnFieldChanged;
    TqzCheckValueEvent OnCheckValue;
    TqzTitleButtonClickEvent OnTitleButtonClick;
    TqzDrawDataCellEvent OnDrawDataCell;
    TqzCalcCellColorsEvent OnCalcCellColors;
    TImageList* ImageList = nullptr;
    TCursor SavedCursor = crDefault;
    int PaintLock = 0;
    std::unique_ptr<TqzDittoAttributes> DittoAttributes = std::make_unique<TqzDittoAttributes>();
    TqzDittoEvent OnDitto;
    TqzURLOpenEvent OnURLOpen;
    int SizingRow = -1;
    TqzCustomDrawCellEvent OnAfterDrawCell;
    int FooterPixels = 0;
    TNotifyEvent OnBeforePaint;
    bool HasFocus = false;
    TImageList* TitleImageList = nullptr;
    TqzCalcTitleAttributesEvent OnCalcTitleAttributes;
    TqzDrawTitleCellEvent OnDrawTitleCell;
    TqzCalcTitleImageEvent OnCalcTitleImage;
    TqzDrawGroupHeaderCellEvent OnDrawGroupHeaderCell;
};
