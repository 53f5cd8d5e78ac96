// TqzCustomDBGrid: the suite's data-aware grid base. It shows the records of
// a dataset as rows and its fields as columns, with an optional title row
// and an optional indicator column. Its column model comes from the
// dataset's fields (UseTFields, the default) or from the Selected lines:
//
//   field TAB width-in-characters TAB title TAB read-only ("T") TAB group
//
// (a "~" in the title starts a new title line). The grid follows its
// dataset through a TqzGridDataLink: it buffers as many records as rows are
// visible, keeps the current row on the active record, and sets its own
// vertical scroll bar from the record position. The horizontal bar is the
// generic grid's.
//
// Grid column c shows data column c - IndicatorOffset(); grid row r shows
// the buffered record r - TitleOffset().
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/core/strings.h"
#include "platform/db/dbtypes.h"
#include "platform/ui/bitmaps.h"
#include "platform/ui/grids.h"
#include "suite/edit/qzdbedit.h"
#include "suite/grid/qzgridbutton.h"
#include "suite/grid/qzgridcolumn.h"
#include "suite/grid/qzgriddatalink.h"
#include "suite/grid/qzgridhint.h"
#include "suite/grid/qzgridtypes.h"
#include "suite/grid/qzpaintoptions.h"

class TDataSet;
class TDataSource;
class TImageList;
class TField;
class TqzCustomDBGrid;

class TqzInplaceEdit;
class TTimer;

class TqzCustomDBGrid : public TCustomGrid {
    TASKMOOR_CLASS(TqzCustomDBGrid, TCustomGrid)
public:
    explicit TqzCustomDBGrid(TComponent* AOwner);
    ~TqzCustomDBGrid() override;

    // ---- Binding
    TDataSource* DataSource() const;
    void SetDataSource(TDataSource* Value);
    TqzGridDataLink* DataLink() const { return FDataLink.get(); }
    // The data link is active and its dataset open.
    bool DataSetActive() const;

    // ---- Properties
    TqzDBGridOptions Options() const { return FOptions; }
    void SetOptions(TqzDBGridOptions Value);
    TqzDBGridKeyOptions KeyOptions() const { return FKeyOptions; }
    void SetKeyOptions(TqzDBGridKeyOptions Value) { FKeyOptions = Value; }
    bool UseTFields() const { return FUseTFields; }
    void SetUseTFields(bool Value);
    bool ReadOnly() const { return FReadOnly; }
    void SetReadOnly(bool Value) { FReadOnly = Value; }
    bool EditCalculated() const { return FEditCalculated; }
    void SetEditCalculated(bool Value) { FEditCalculated = Value; }
    bool TitleButtons() const { return FTitleButtons; }
    void SetTitleButtons(bool Value);
    TAlignment TitleAlignment() const { return FTitleAlignment; }
    void SetTitleAlignment(TAlignment Value);
    int TitleLines() const { return FTitleLines; }
    void SetTitleLines(int Value);
    TFont* TitleFont() const { return FTitleFont.get(); }
    void SetTitleFont(TFont* Value);
    TColor TitleColor() const { return FTitleColor; }
    void SetTitleColor(TColor Value);
    TColor FooterColor() const { return FFooterColor; }
    void SetFooterColor(TColor Value);
    TColor FooterCellColor() const { return FFooterCellColor; }
    void SetFooterCellColor(TColor Value);
    int FooterHeight() const { return FFooterHeight; }
    void SetFooterHeight(int Value);
    int RowHeightPercent() const { return FRowHeightPercent; }
    void SetRowHeightPercent(int Value);
    TIndicatorColorType IndicatorColor() const { return FIndicatorColor; }
    void SetIndicatorColor(TIndicatorColorType Value);
    TColor IndicatorIconColor() const { return FIndicatorIconColor; }
    void SetIndicatorIconColor(TColor Value);
    TqzGridLineStyle LineStyle() const { return FLineStyle; }
    void SetLineStyle(TqzGridLineStyle Value);
    TqzGridLineColors* LineColors() const { return FLineColors.get(); }
    TqzPadColumnStyle PadColumnStyle() const { return FPadColumnStyle; }
    void SetPadColumnStyle(TqzPadColumnStyle Value) { FPadColumnStyle = Value; }
    TqzEditControlOptions EditControlOptions() const { return FEditControlOptions; }
    void SetEditControlOptions(TqzEditControlOptions Value) { FEditControlOptions = Value; }
    bool ControlInfoInDataset() const { return FControlInfoInDataset; }
    void SetControlInfoInDataset(bool Value) { FControlInfoInDataset = Value; }
    bool PictureMaskFromDataSet() const { return FPictureMaskFromDataSet; }
    void SetPictureMaskFromDataSet(bool Value) { FPictureMaskFromDataSet = Value; }
    int DragVertOffset() const { return FDragVertOffset; }
    void SetDragVertOffset(int Value) { FDragVertOffset = Value; }
    bool ShowVertScrollBar() const { return FShowVertScrollBar; }
    void SetShowVertScrollBar(bool Value);
    bool ShowHorzScrollBar() const { return FShowHorzScrollBar; }
    void SetShowHorzScrollBar(bool Value);
    TqzMultiSelectOptions MultiSelectOptions() const { return FMultiSelectOptions; }
    void SetMultiSelectOptions(TqzMultiSelectOptions Value) { FMultiSelectOptions = Value; }
    bool HideAllLines() const { return FHideAllLines; }
    void SetHideAllLines(bool Value) { FHideAllLines = Value; }
    bool DisableThemesInTitle() const { return FDisableThemesInTitle; }
    void SetDisableThemesInTitle(bool Value) { FDisableThemesInTitle = Value; }
    const std::string& GroupFieldName() const { return FGroupFieldName; }
    void SetGroupFieldName(const std::string& Value);
    TqzIButton* IndicatorButton() const { return FIndicatorButton; }
    void SetIndicatorButton(TqzIButton* Value);
    int IndicatorButtonWidth() const { return FIndicatorButtonWidth; }
    void SetIndicatorButtonWidth(int Value) { FIndicatorButtonWidth = Value; }

    TStrings* Selected() const { return FSelected.get(); }
    void SetSelected(TStrings* Value) { FSelected->Assign(Value); }
    TStrings* ControlType() const { return FControlType.get(); }
    void SetControlType(TStrings* Value) { FControlType->Assign(Value); }
    TStrings* PictureMasks() const { return FPictureMasks.get(); }
    void SetPictureMasks(TStrings* Value) { FPictureMasks->Assign(Value); }
    TStrings* RegexMasks() const { return FRegexMasks.get(); }
    void SetRegexMasks(TStrings* Value) { FRegexMasks->Assign(Value); }
    TqzGridPaintOptions* PaintOptions() const { return FPaintOptions.get(); }
    void SetPaintOptions(TqzGridPaintOptions* Value) { FPaintOptions->Assign(Value); }

    // ---- Columns
    int IndicatorOffset() const { return FIndicatorOffset; }
    int TitleOffset() const { return FTitleOffset; }
    // The field of a data column; nullptr for a negative index, an inactive
    // link or an index beyond the mapped fields.
    TField* GetColField(int DataCol) const;
    TField* SelectedField() const;
    int SelectedIndex() const { return Col() - FIndicatorOffset; }
    std::string GetFieldValue(int DataCol) const;
    TqzColumn* ColumnByName(const std::string& FieldName) const;
    TqzColumn* Columns(int Index) const;
    TqzColumn* ColumnObjects(int Index) const;
    TqzColumn* DefaultColumn() const { return FDefaultColumn.get(); }
    int ColumnObjectCount() const { return static_cast<int>(FColumns.size()); }
    const std::vector<TqzCacheColInfoItem>& ColInfo() const { return FColInfo; }
    const std::vector<int>& ProportionalWidths() const { return FPropWidths; }
    void GetFieldListPart(TStrings* List, const std::string& FieldName, int Part, std::string& Text) const;
    void SetFieldListPart(TStrings* List, const std::string& FieldName, const std::string& Text,
                          int LineIndex, int Part) const;
    // Makes a data column current (scrolled into view).
    void SelectDataColumn(int Index);
    // Fits the column to the widest text of the visible rows.
    void BestFitColumn(int ACol);
    bool DittoPriorText(const std::string& FieldName, std::string& Text);
    bool DittoNextText(const std::string& FieldName, std::string& Text);
    // The windowed control a ControlType line names for the cell.
    bool GetCustomControlForCell(int ACol, int ARow, TWinControl*& Control);
    TWinControl* FindControlByName(const std::string& Name);
    // A ticked check box in a column of a field named "selected".
    bool IsSelectedCheckBox(int ACol);
    // Cells may show the custom controls of their ControlType lines.
    bool CanUseCustomControls();
    // Takes the focus when allowed; answers whether the grid or its editor has it.
    bool TakeFocus();
    void SetAllowFocus(bool Value) { FAllowFocus = Value; }
    // No lines are drawn under rows only without dgRowLines and with dgRowLinesDisableFixed.
    bool RowLinesReserved() const;
    TColor ActiveRecordColor() const;
    bool AlternatingPhase() const { return FAltPhase; }
    // Rows the data link buffers (the grid's visible data rows).
    int VisibleDataRows() const;

    // ---- Cell drawing
    TImageList* ImageList() const { return FImageList; }
    void SetImageList(TImageList* Value);
    // The cell is drawn in the highlight colours.
    bool HighlightCell(int ACol, int ARow, TGridDrawState AState);
    // WriteCellText flags.
    static constexpr int wctPrefix = 1, wctEllipsis = 2, wctWordBreak = 4, wctTitle = 8, wctNoFill = 16;
    void WriteCellText(TCanvas* ACanvas, const TRect& ARect, int DX, int DY, TAlignment Alignment, int Flags,
                       const std::string& Text);
    void DrawCheckBox(const TRect& ARect, int ACol, int ARow, bool Checked);
    // The checked and unchecked values of the field's CheckBox line (four parts at least).
    bool GetCheckBoxValues(const std::string& FieldName, std::string& Checked, std::string& Unchecked);
    // The data cell under the mouse shown as a hot link (-1, -1: none).
    TGridCoord HotCell() const { return FHotCell; }
    void SetHotCell(int ACol, int ARow);
    // The record of the data link's active buffer is selected (multi-selection).
    virtual bool IsRecordSelected() { return false; }
    // The height of the group headers over the titles, and the header of a
    // grouped column spanning its visible neighbours of the same group
    // (empty for an ungrouped column).
    int GroupHeaderHeight() const;
    TRect GroupHeaderRect(int ACol) const;
    // The drawing canvas of the cell routines.
    virtual TCanvas* DrawCanvas() { return Canvas(); }
    // The image of the indicator of a data row; -1 for none.
    int IndicatorImageIndex(int DataRow);

    // ---- Titles
    TImageList* TitleImageList() const { return FTitleImageList; }
    void SetTitleImageList(TImageList* Value);
    TqzCalcTitleAttributesEvent OnCalcTitleAttributes() const { return FOnCalcTitleAttributes; }
    void SetOnCalcTitleAttributes(TqzCalcTitleAttributesEvent Value) { FOnCalcTitleAttributes = Value; }
    TqzDrawTitleCellEvent OnDrawTitleCell() const { return FOnDrawTitleCell; }
    void SetOnDrawTitleCell(TqzDrawTitleCellEvent Value) { FOnDrawTitleCell = Value; }
    TqzCalcTitleImageEvent OnCalcTitleImage() const { return FOnCalcTitleImage; }
    void SetOnCalcTitleImage(TqzCalcTitleImageEvent Value) { FOnCalcTitleImage = Value; }
    // Fires OnCalcTitleAttributes and notes whether the brush colour changed.
    virtual void DoCalcTitleAttributes(const std::string& FieldName, TFont* AFont, TBrush* ABrush,
                                       TAlignment& Alignment);
    virtual void DoDrawTitleCell(TCanvas* ACanvas, TField* Field, const TRect& ARect, bool& DefaultDrawing);
    virtual void DoCalcTitleImage(TField* Field, TqzTitleImageAttributes& Attributes);
    // The title column under the mouse while themes draw the titles (-1:
    // none), and whether the mouse is over its group header half.
    int HotTitleCol() const { return FHotTitleCol; }
    bool HotTitleInGroupHeader() const { return FHotTitleGroup; }
    // Titles are drawn themed: themes are on for the grid and not disabled in the title.
    bool TitlesThemed();

    // ---- Keys
    TqzDittoAttributes* DittoAttributes() const { return FDittoAttributes.get(); }
    TqzDittoEvent OnDitto() const { return FOnDitto; }
    void SetOnDitto(TqzDittoEvent Value) { FOnDitto = Value; }
    // Copies the field's text from the neighbouring record; True when done.
    bool DittoField(TField* Field);
    // A ditto short-cut was matched and done.
    bool HandleDittoKey(uint16_t Key, TShiftState Shift);
    // The grid holds the focus (set on entering, cleared on leaving).
    bool HasFocus() const { return FHasFocus; }
    const std::string& LastEditText() const { return FLastEditText; }
    void SetLastEditText(const std::string& Value) { FLastEditText = Value; }
    TqzInplaceEdit* QzEditor() const;

    // ---- Mouse
    TqzCustomDrawCellEvent OnBeforeDrawCell() const { return FOnBeforeDrawCell; }
    void SetOnBeforeDrawCell(TqzCustomDrawCellEvent Value) { FOnBeforeDrawCell = Value; }
    TqzCustomDrawCellEvent OnAfterDrawCell() const { return FOnAfterDrawCell; }
    void SetOnAfterDrawCell(TqzCustomDrawCellEvent Value) { FOnAfterDrawCell = Value; }
    TqzURLOpenEvent OnURLOpen() const { return FOnURLOpen; }
    void SetOnURLOpen(TqzURLOpenEvent Value) { FOnURLOpen = Value; }
    virtual void DoURLOpen(std::string& Link, TField* Field, bool& UseDefault);
    // The title column held down (-1: none).
    int PressedTitleCol() const { return FTitleButtonCol; }
    // A title is being dragged to move its column.
    bool ColumnDragging() const;
    TTimer* ColumnDragTimer() const { return FDragTimer; }
    // The link a URL cell opens for its field text: the address part, with
    // "MailTo:" before a bare mail address; empty when there is none.
    std::string URLAddress(const std::string& Text) const;

    // ---- Cell hints
    TqzGridHintWindow* HintWindow() const { return FHintWindow; }
    TTimer* HintTimer() const { return FHintTimer; }
    void HideCellHint();
    TqzCreateHintWindowEvent OnCreateHintWindow() const { return FOnCreateHintWindow; }
    void SetOnCreateHintWindow(TqzCreateHintWindowEvent Value) { FOnCreateHintWindow = Value; }

    // ---- Painting
    // The footer's height (0 without dgShowFooter) and rectangle.
    int FooterAreaHeight();
    TRect FooterRect();
    // Nested locks; the outermost end redraws when Repaint.
    void BeginPaintLock();
    void EndPaintLock(bool Repaint);
    int PaintLockCount() const { return FPaintLock; }
    TNotifyEvent OnBeforePaint() const { return FOnBeforePaint; }
    void SetOnBeforePaint(TNotifyEvent Value) { FOnBeforePaint = Value; }
    TqzDrawFooterCellEvent OnDrawFooterCell() const { return FOnDrawFooterCell; }
    void SetOnDrawFooterCell(TqzDrawFooterCellEvent Value) { FOnDrawFooterCell = Value; }

    // ---- Events
    TqzCalcCellColorsEvent OnCalcCellColors() const { return FOnCalcCellColors; }
    void SetOnCalcCellColors(TqzCalcCellColorsEvent Value) { FOnCalcCellColors = Value; }
    TqzColumnMovedEvent OnColumnMoved() const { return FOnColumnMoved; }
    void SetOnColumnMoved(TqzColumnMovedEvent Value) { FOnColumnMoved = Value; }
    TqzColWidthChangedEvent OnColWidthChanged() const { return FOnColWidthChanged; }
    void SetOnColWidthChanged(TqzColWidthChangedEvent Value) { FOnColWidthChanged = Value; }
    TNotifyEvent OnTopRowChanged() const { return FOnTopRowChanged; }
    void SetOnTopRowChanged(TNotifyEvent Value) { FOnTopRowChanged = Value; }
    TNotifyEvent OnRowChanged() const { return FOnRowChanged; }
    void SetOnRowChanged(TNotifyEvent Value) { FOnRowChanged = Value; }
    TNotifyEvent OnCellChanged() const { return FOnCellChanged; }
    void SetOnCellChanged(TNotifyEvent Value) { FOnCellChanged = Value; }
    TNotifyEvent OnColEnter() const { return FOnColEnter; }
    void SetOnColEnter(TNotifyEvent Value) { FOnColEnter = Value; }
    TNotifyEvent OnColExit() const { return FOnColExit; }
    void SetOnColExit(TNotifyEvent Value) { FOnColExit = Value; }
    TNotifyEvent OnUpdateFooter() const { return FOnUpdateFooter; }
    void SetOnUpdateFooter(TNotifyEvent Value) { FOnUpdateFooter = Value; }
    TqzLeftColChangedEvent OnLeftColChanged() const { return FOnLeftColChanged; }
    void SetOnLeftColChanged(TqzLeftColChangedEvent Value) { FOnLeftColChanged = Value; }
    TqzFieldEvent OnFieldChanged() const { return FOnFieldChanged; }
    void SetOnFieldChanged(TqzFieldEvent Value) { FOnFieldChanged = Value; }
    TqzCheckValueEvent OnCheckValue() const { return FOnCheckValue; }
    void SetOnCheckValue(TqzCheckValueEvent Value) { FOnCheckValue = Value; }
    TqzTitleButtonClickEvent OnTitleButtonClick() const { return FOnTitleButtonClick; }
    void SetOnTitleButtonClick(TqzTitleButtonClickEvent Value) { FOnTitleButtonClick = Value; }
    TqzDrawDataCellEvent OnDrawDataCell() const { return FOnDrawDataCell; }
    void SetOnDrawDataCell(TqzDrawDataCellEvent Value) { FOnDrawDataCell = Value; }

    // ---- New operations
    virtual void LayoutChanged();
    virtual void Scroll(int Distance);
    virtual void DefineFieldMap();
    virtual void ResizeColumnsProportionally();
    virtual void SetColumnAttributes();
    virtual void LinkActive(bool Value);
    virtual bool IsProportionalColResize() const;
    virtual bool CanEditGrid() const;
    virtual bool ShowEditorIfAllowed();
    virtual void InvalidateVisibleColumns();
    virtual void DoTitleButtonClick(const std::string& FieldName);
    virtual TColor GetGridColor() const { return Color(); }
    virtual void FieldListHook() {}
    virtual void BeforeCellMove() {}
    virtual void UnselectAll() {}
    virtual void DataChanged();
    virtual void DoTopRowChanged();
    virtual void DoRowChanged();
    virtual void DoCellChanged();
    virtual void CheckRowChanged();
    virtual void GetControlInfo(const std::string& FieldName, std::string& AControlType,
                                std::string& Parameters);
    virtual void DoFieldChanged(TField* Field);
    virtual void DoUpdateFooter();
    virtual void UpdateFooterIfChanged();
    virtual void ReportInvalidValue(TField* Field);
    virtual void LoadControlTypes();
    virtual void UpdateDataLink();
    virtual void SplitURLText(const std::string& Text, std::string& DisplayText, std::string& Address) const;
    virtual void CalcCellRect(int ACol, int ARow, TRect& Rect) const;
    virtual bool IsMemoCell(int ACol, int ARow) const;
    virtual bool IsCustomControlCell(int ACol, int ARow) const;
    // Nothing in this class; the published grid selects and unselects records.
    virtual void SelectRecordHook() {}
    virtual void UnselectRecordHook() {}
    virtual void AfterUpdateHook() {}
    virtual void CalcCellColors(TField* Field, TGridDrawState State, bool Highlight, TFont* AFont,
                                TBrush* ABrush);
    virtual void FillDataCellBackground(TCanvas* ACanvas, const TRect& ARect, int ACol, int ARow);
    virtual void FillFixedCellBackground(TCanvas* ACanvas, const TRect& ARect, int ACol, int ARow);

    void Dispatch(TMessage& Message) override;

    // What other suite controls read by name.
    static void Publish(TPublisher<TqzCustomDBGrid>& p);

protected:
    friend class TqzGridDataLink;
    friend class TqzColumn;
    friend class TqzIButton;
    friend class TqzInplaceEdit;

    // Reactions to the data link.
    virtual void EditingChanged();
    virtual void RecordChanged(TField* Field);
    // Writes the in-place editor's text into the field it was typed for.
    virtual void UpdateData();
    // A field of the record changed through the data link.
    void FieldChangedNotice(TField* Field);
    // Published grids that follow field changes fire DoFieldChanged on write-back.
    virtual bool TracksFieldChanges() const { return false; }
    // The in-place editor's mask test of a field's text: True when there is
    // no mask or the text passes.
    virtual bool EditorTextPassesMask(TField* Field, const std::string& Text);
    // The field the pending editor text was typed for (while still shown),
    // else the current one.
    TField* EditField() const;
    // The editor may be left with a text that fails its mask.
    virtual bool EditorAllowInvalidExit() const { return false; }

    void UpdateRowCount();
    void UpdateActive();
    void UpdateScrollBar();
    void RecalcRowHeights();
    void ApplyPlatformOptions();
    bool InLayout() const { return FInLayout; }
    int LayoutLock() const { return FLayoutLock; }
    TCanvas* MeasureCanvas();
    int ZeroWidth();

    // The generic grid's operations.
    void DrawCell(int ACol, int ARow, const TRect& ARect, TGridDrawState AState) override;
    // A check-box cell never opens the text editor.
    bool CanEditShow() override;
    bool CanEditAcceptKey(char32_t Key) override;
    bool CanEditModify() override;
    int GetEditLimit() override;
    std::string GetEditMask(int ACol, int ARow) override;
    std::string GetEditText(int ACol, int ARow) override;
    void SetEditText(int ACol, int ARow, const std::string& Value) override;
    void ColumnMoved(int FromIndex, int ToIndex) override;
    void ColWidthsChanged() override;
    void TopLeftChanged() override;
    void TimedScroll(TGridScrollDirection Direction) override;
    void ColEnter() override;
    void ColExit() override;
    void DrawDataCell(const TRect& Rect, TField* Field, TGridDrawState State) override;
    void WMVScroll(TMessage& Message) override;
    void CreateWnd() override;
    void Resize() override;
    void Loaded() override;
    void Notification(TComponent* AComponent, TOperation Operation) override;
    void CMFontChanged(TMessage& Message) override;
    void MouseMove(TShiftState Shift, int X, int Y) override;
    void KeyDown(uint16_t& Key, TShiftState Shift) override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void KeyPress(char32_t& Key) override;
    void DoEnter() override;
    void DoExit() override;
    TInplaceEdit* CreateEditor() override;
    // Tab and Shift+Tab: the next or previous tab-stop column, wrapping to
    // the next or previous record.
    void TabMove(bool Forward);
    void PriorRecord();
    void NextRecord();
    void Paint() override;
    void CalcDrawInfo(TGridDrawInfo& DrawInfo) const override;
    bool DoMouseWheelDown(TShiftState Shift, TPoint MousePos) override;
    bool DoMouseWheelUp(TShiftState Shift, TPoint MousePos) override;
    void CMMouseLeave(TMessage& Message) override;
    void CMParentFontChanged(TMessage& Message) override;
    void WMCancelMode(TMessage& Message) override;

private:
    void TitleFontChanged(TObject* Sender);
    void PaintGroupHeaders(TCanvas* C);
    // Paints over the lines that HideAllLines, dgHideBottomDataLine and the
    // columns' row flags leave out.
    void HideGatedLines(TCanvas* C);
    void UpdateCellHint(const TGridCoord& Cell);
    void HintTimerTick(TObject* Sender);
    void DrawFooterCell(TCanvas* C, const TRect& Footer, int ACol, int Left, int Width);
    void DrawCellParts(int ACol, int ARow, const TRect& ARect, TGridDrawState AState);
    void DrawIndicatorCell(TCanvas* C, const TRect& R, int DataRow);
    void DrawTitleCell(TCanvas* C, const TRect& R, int DataCol);
    // The title background: themed (normal, hot or pressed), else the brush
    // (when an attribute handler set it) or the fixed-cell fill.
    void DrawTitleBackground(TCanvas* C, const TRect& R, int ACol, bool GroupHeader, bool BrushSet);
    // Draws the title image beside the text and narrows TextRect by it.
    void DrawTitleImage(TCanvas* C, const TRect& R, TRect& TextRect, const TqzTitleImageAttributes& Image);
    // Hot-title tracking on a mouse move; clearing it on leave and release.
    void TrackHotTitle(TShiftState Shift, int X, int Y);
    void ClearHotTitle();
    // The generic grid's focus rectangle is taken away again where the
    // suite's rule draws none (row select, always-shown editor, an open
    // embedded control, an inactive link).
    bool CellFocusRectAllowed();
    void RemoveFocusRect();
    // After scrolling: the title row, the footer and the right edge strip.
    void InvalidateScrolledFrame();
    // The custom control open over the current cell (shown on the grid), or nil.
    TWinControl* ActiveInGridControl();
    // Record moves first update the window and put the open control out of sight.
    void MoveInGridControlAway();
    // After the generic key press of an Enter: editor mode ends when the
    // editor cannot show, or an open control that takes returns gets it.
    void EnterPressedAfterKeyPress(char32_t& Key);
    // A click that moved to another cell also operates the control now open
    // there: the innermost windowed control under the point gets it.
    void ForwardClickToInGridControl(TShiftState Shift, int X, int Y, int LeftColAtPress);
    // The column drag: pressed on a title, dragging past 2 pixels, dropped.
    struct TColumnDrag {
        bool Pressed = false;
        bool Dragging = false;
        bool Group = false;
        int StartCol = -1;
        int DropCol = -1;
        int Direction = 0;
        TPoint Start, Last, Offset;
    };
    void GroupSpan(int ACol, int& First, int& Last) const;
    // The field holding a Bitmap cell's picture: the field itself, or for a
    // calculated or lookup field the result field of its related record (nil: none).
    TField* BitmapCellPictureField(TField* Field);
    // A left press on a movable column's title (not on its sizing edge) starts a drag.
    bool TitleDragStarts(int ACol, int X, int Y);
    void BeginColumnDrag(int ACol, int X, int Y);
    void StartColumnDrag();
    bool ColumnDragMouseMove(int X, int Y);
    void ColumnDragTick(TObject* Sender);
    int ColumnDropTarget(int X);
    bool EndColumnDrag(int X);
    void CancelColumnDrag();
    void DropColumn(int From, int To, bool WholeGroup);
    void PaintColumnDrag(TCanvas* C);
    // The control-type drawing; False when the cell goes on as text.
    bool DrawControlTypeCell(TCanvas* C, const TRect& R, int ACol, int ARow, TGridDrawState State);
    void DrawBitmapCell(TCanvas* C, const TRect& R, TField* Field, const std::string& Parameters);
    void DrawImageIndexCell(TCanvas* C, const TRect& R, TField* Field, const std::string& Parameters);
    bool DrawCustomControlCell(TCanvas* C, const TRect& R, int ACol, int ARow, TField* Field,
                               TGridDrawState State);
    void SetCellColors(TCanvas* C, int ACol, int ARow, TField* Field, TGridDrawState State, bool& BrushSet);
    void ClearColumns();
    std::string LineFieldName(int Index) const;

    std::unique_ptr<TqzGridDataLink> FDataLink;
    std::unique_ptr<TStringList> FSelected, FControlType, FPictureMasks, FRegexMasks;
    std::unique_ptr<TFont> FTitleFont;
    std::unique_ptr<TqzGridLineColors> FLineColors;
    std::unique_ptr<TBitmap> FPaintBitmap;
    std::unique_ptr<TqzGridPaintOptions> FPaintOptions;
    std::vector<std::unique_ptr<TqzColumn>> FColumns;
    std::unique_ptr<TqzColumn> FDefaultColumn;
    std::vector<TqzCacheColInfoItem> FColInfo;
    std::vector<int> FPropWidths;

    TqzDBGridOptions FOptions{dgEditing,  dgTitles, dgIndicator,     dgColumnResize, dgColLines,
                              dgRowLines, dgTabs,   dgConfirmDelete, dgCancelOnExit, dgWordWrap};
    TqzDBGridKeyOptions FKeyOptions{dgAllowDelete, dgAllowInsert};
    bool FUseTFields = true;
    bool FReadOnly = false;
    bool FEditCalculated = false;
    bool FTitleButtons = false;
    TAlignment FTitleAlignment = taLeftJustify;
    int FTitleLines = 1;
    TColor FTitleColor = clBtnFace;
    TColor FFooterColor = clBtnFace;
    TColor FFooterCellColor = clBtnFace;
    int FFooterHeight = 0;
    int FRowHeightPercent = 100;
    TIndicatorColorType FIndicatorColor = icBlack;
    TColor FIndicatorIconColor = clBlack;
    TqzGridLineStyle FLineStyle = glsDynamic;
    TqzPadColumnStyle FPadColumnStyle = pcsPadHeaderAndData;
    TqzEditControlOptions FEditControlOptions{ecoSearchOwnerForm};
    bool FControlInfoInDataset = true;
    bool FPictureMaskFromDataSet = true;
    int FDragVertOffset = 15;
    bool FShowVertScrollBar = true;
    bool FShowHorzScrollBar = true;
    TqzMultiSelectOptions FMultiSelectOptions;
    bool FHideAllLines = false;
    bool FDisableThemesInTitle = false;
    std::string FGroupFieldName;
    TqzIButton* FIndicatorButton = nullptr;
    int FIndicatorButtonWidth = 11;
    int FIndicatorButtonOffset = 2;

    int FIndicatorOffset = 1;
    int FTitleOffset = 1;
    int FLayoutLock = 0;
    bool FInLayout = false;
    bool FDestroying = false;
    bool FFontFromParent = false;
    bool FInRowCount = false;
    bool FInSelectColumn = false;
    bool FAllowFocus = true;
    bool FAltPhase = false;
    bool FRecordEnteredEditing = false;
    bool FFirstPaint = false;
    bool FFooterChanged = false;
    std::string FLastEditText;
    std::string FEditText;
    std::string FEditFieldName;  // the field FEditText was typed for
    int FTitleButtonCol = -1;
    bool FUserMoving = false;
    int FLastLeftCol = -1;
    int FRememberedCol = -1;
    int FClientWidth = 0;
    TBookmark FLastBookmark;
    TBookmark FFooterBookmark;
    int FLastRecordCount = -1;
    TScrollInfo FLastScroll;
    bool FScrollSet = false;

    TqzColumnMovedEvent FOnColumnMoved;
    TqzColWidthChangedEvent FOnColWidthChanged;
    TNotifyEvent FOnTopRowChanged, FOnRowChanged, FOnCellChanged, FOnColEnter, FOnColExit, FOnUpdateFooter;
    TqzLeftColChangedEvent FOnLeftColChanged;
    TqzFieldEvent FOnFieldChanged;
    TqzCheckValueEvent FOnCheckValue;
    TqzTitleButtonClickEvent FOnTitleButtonClick;
    TqzDrawDataCellEvent FOnDrawDataCell;
    TqzCalcCellColorsEvent FOnCalcCellColors;
    TImageList* FImageList = nullptr;
    TGridCoord FHotCell{-1, -1};
    TCursor FSavedCursor = crDefault;
    int FPaintLock = 0;
    std::unique_ptr<TqzDittoAttributes> FDittoAttributes = std::make_unique<TqzDittoAttributes>();
    TqzDittoEvent FOnDitto;
    TqzURLOpenEvent FOnURLOpen;
    int FSizingRow = -1;
    TqzCustomDrawGridCellInfo FCellInfo;
    TqzCustomDrawCellEvent FOnBeforeDrawCell, FOnAfterDrawCell;
    TqzGridHintWindow* FHintWindow = nullptr;
    TTimer* FHintTimer = nullptr;
    int FHintTicks = 0;
    TGridCoord FHintCell{-1, -1};
    TPoint FLastMouse{-1, -1};
    TqzCreateHintWindowEvent FOnCreateHintWindow;
    int FFooterPixels = 0;
    TNotifyEvent FOnBeforePaint;
    TqzDrawFooterCellEvent FOnDrawFooterCell;
    bool FHasFocus = false;
    TImageList* FTitleImageList = nullptr;
    TqzCalcTitleAttributesEvent FOnCalcTitleAttributes;
    TqzDrawTitleCellEvent FOnDrawTitleCell;
    TqzCalcTitleImageEvent FOnCalcTitleImage;
    bool FTitleBrushChanged = false;
    int FHotTitleCol = -1;
    bool FHotTitleGroup = false;
    bool FTitlePressedGroup = false;
    TColumnDrag FColDrag;
    TTimer* FDragTimer = nullptr;
    std::unique_ptr<TBitmap> FDragImage;
};
