// TqzDBGrid: the published suite grid. On top of TqzCustomDBGrid it shows
// other controls in cells by the ControlType lines (check boxes toggled by
// Space or a click, the form's own edit controls placed over the current
// cell, RichEdit controls that take F2, a date-time picker over date and
// time cells), memo cells edited in the memo
// window, a multi-selection of records by bookmark (TqzGridSelection), a
// column layout kept in an ini file or the registry (TqzIniAttributes) and
// the export of its rows (TqzExportOptions).
#pragma once

#include <array>
#include <memory>
#include <string>

#include "platform/core/variant.h"
#include "suite/edit/qzdatetimepicker.h"
#include "suite/edit/qzmemodlg.h"
#include "suite/grid/qzdbigrd.h"

class TqzDBGrid;
class TqzIniAttributes;
class TqzExportOptions;
class TqzGridSelection;

// (Grid, MemoDialog): the memo window of a cell is about to open.
using TqzMemoOpenEvent = TEvent<TqzDBGrid*, TqzMemoDialog*>;
// (Grid, Cancel): it closed; Cancel when not confirmed.
using TqzMemoCloseEvent = TEvent<TqzDBGrid*, bool>;
// (Grid, Selecting, Accept): one record, or the whole selection, changes.
using TqzMultiSelectEvent = TEvent<TqzDBGrid*, bool, bool&>;
// (Grid, Field, Accept): the column takes part in an export.
using TqzExportFieldEvent = TEvent<TqzDBGrid*, TField*, bool&>;
// (Grid, Field, SYLKFormat): the SYLK picture format of a column.
using TqzExportSYLKFormatEvent = TEvent<TqzDBGrid*, TField*, std::string&>;
// (Sender, ADateTimePicker): the grid made its date-time picker.
using TqzCreateDateTimePickerEvent = TEvent<TObject*, TqzDBCustomDateTimePicker*>;

class TqzDBGrid : public TqzCustomDBGrid {
    TASKMOOR_CLASS(TqzDBGrid, TqzCustomDBGrid)
public:
    explicit TqzDBGrid(TComponent* AOwner);
    ~TqzDBGrid() override;

    // ---- Properties
    TqzMemoAttributes MemoAttributes() const;
    void SetMemoAttributes(TqzMemoAttributes Value);
    TqzIniAttributes* IniAttributes() const;
    void SetIniAttributes(TqzIniAttributes* Value);
    TqzExportOptions* ExportOptions() const;
    void SetExportOptions(TqzExportOptions* Value);
    bool LoadAllRTF() const;
    void SetLoadAllRTF(bool Value);
    // Data columns held fixed left of the scrolling area (after the indicator).
    int FixedCols() const;
    void SetFixedCols(int Value);
    bool DisableThemes() const;
    void SetDisableThemes(bool Value);
    // The eleven behaviour switches; see the defaults in the constructor.
    const Variant& BehaviourFlag(int Index) const;
    void SetBehaviourFlag(int Index, const Variant& Value);

    // ---- Events
    TqzMemoOpenEvent OnMemoOpen() const;
    void SetOnMemoOpen(TqzMemoOpenEvent Value);
    TqzMemoCloseEvent OnMemoClose() const;
    void SetOnMemoClose(TqzMemoCloseEvent Value);
    TqzMultiSelectEvent OnMultiSelectRecord() const;
    void SetOnMultiSelectRecord(TqzMultiSelectEvent Value);
    TqzMultiSelectEvent OnMultiSelectAllRecords() const;
    void SetOnMultiSelectAllRecords(TqzMultiSelectEvent Value);
    TqzExportFieldEvent OnExportField() const;
    void SetOnExportField(TqzExportFieldEvent Value);
    TqzExportSYLKFormatEvent OnExportSYLKFormat() const;
    void SetOnExportSYLKFormat(TqzExportSYLKFormatEvent Value);
    TqzCreateDateTimePickerEvent OnCreateDateTimePicker() const;
    void SetOnCreateDateTimePicker(TqzCreateDateTimePickerEvent Value);

    // ---- Selection
    TqzGridSelection* Selection() const;
    void SelectRecordHook() override;
    void UnselectRecordHook() override;
    void UnselectAll() override;
    virtual void SelectRange(const TBookmark& Bookmark1, const TBookmark& Bookmark2);
    virtual void UnselectRange(const TBookmark& Bookmark1, const TBookmark& Bookmark2);
    // Fires the selection events; Accept starts True.
    bool DoMultiSelectRecord(bool Selecting);
    bool DoMultiSelectAllRecords(bool Selecting);

    // ---- In-cell controls and memo cells
    // The control placed over the current cell, or nil.
    TWinControl* CurrentCellControl() const;
    virtual void HideCustomControl();
    virtual void UpdateFixedCols();
    // Reparents and binds the form's controls the ControlType lines name.
    void SetupCustomControls();
    // Opens the memo window over the current memo cell; False when it did not open.
    bool OpenMemoCell();
    // The grid's own date-time picker (nil until a date cell needed it).
    TqzDBDateTimePicker* DateTimePicker() const;
    virtual void CreateDateTimePicker();
    virtual void DoCreateDateTimePicker();
    // Attaches the picker to the current cell when it is a date or time cell.
    virtual void UpdateDateTimePicker();
    // Toggles the check box of the current cell.
    void ToggleCheckBox();
    // Control type and parameters of a field's ControlType line.
    void ControlInfo(TField* Field, std::string& Type, std::string& Parameters);

    // ---- Layout and export
    virtual void LoadLayout();
    virtual void SaveLayout();
    virtual void DoExportField(TField* Field, bool& Accept);
    virtual void DoExportSYLKFormat(TField* Field, std::string& Format);
    // Set while the grid is alive; the export's guard against destruction
    // while it pumps messages.
    std::shared_ptr<bool> AliveToken() const;
    bool Destroying() const;

    // ---- Overrides
    std::string CellText(TField* Field) override;
    bool IsMemoCell(int ACol, int ARow) const override;
    bool IsCustomControlCell(int ACol, int ARow) const override;
    void FieldListHook() override;
    void BeforeCellMove() override;
    void LinkActive(bool Value) override;
    void SetColumnAttributes() override;
    void UpdateDataLink() override;
    void Scroll(int Distance) override;
    void Dispatch(TMessage& Message) override;

    static void Publish(TPublisher<TqzDBGrid>& p);

protected:
    // What the collaborators reach through the grid's adapter.
    bool IsRecordSelected() override;
    void GetControlInfo(const std::string& FieldName, std::string& AControlType,
                        std::string& Parameters) override;
    void Loaded() override;
    // A placed cell control freed by its owner is forgotten.
    void Notification(TComponent* AComponent, TOperation Operation) override;
    void CreateWnd() override;
    void Paint() override;
    bool CanEditShow() override;
    void DrawCell(int ACol, int ARow, const TRect& ARect, TGridDrawState AState) override;
    void FieldChangedNotice(TField* Field) override;
    void KeyDown(uint16_t& Key, TShiftState Shift) override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void ColEnter() override;
    void ColExit() override;
    void TopLeftChanged() override;
    // The control open over the current cell moves with the cell.
    void BiDiModeChanged() override;
    bool TracksFieldChanges() const override { return true; }

private:
    void ApplyDataSource();
    void PlaceControl(TWinControl* Control, const TRect& ARect);
    // Places the current cell's control now when drawing has not yet.
    void PlaceCurrentControl();
    bool CheckBoxCell(int ACol, std::string& On, std::string& Off);
    bool CanToggle(TField* Field);
    bool IsPickerCell(int ACol) const;
    // The control that edits a cell: its ControlType control or the picker.
    TWinControl* CellControl(int ACol, int ARow);

    class TImpl;
    // What the export sees of the grid (TqzGridExportHost).
    class TExportHost;
    std::unique_ptr<TImpl> FImpl;
};
