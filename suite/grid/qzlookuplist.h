// TqzDBLookupList: a grid over a lookup table whose current record sets a
// bound field. DataSource/DataField name the bound field, which holds the key
// of a lookup record; LookupTable and LookupField (up to three key field
// names, ";"-separated) name the lookup side; the first Selected line's field
// is the display field (key field 1 when there is none).
//
// Only the leading key fields the lookup table has count: a missing part
// ends the list, so a later key is never paired with the wrong position.
//
// The list highlights the row whose keys equal the bound value. A click or a
// key move selects a record: its keys become the value, written to the bound
// field (and keys 2 and 3 to the bound dataset's fields of the same names)
// when the bound record is updated. Dragging with the left button moves the
// lookup table row by row; held above or below the rows, a 60 ms timer
// scrolls.
//
// TqzPopupGrid is the same grid as the lookup combo's drop-down: its value
// belongs to the combo, a left button release accepts the record, and a
// missing first key field raises "Field '%s' not found".
#pragma once

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "platform/core/variant.h"

#include "platform/db/datasource.h"
#include "platform/ui/field_link.h"
#include "suite/grid/qzdbigrd.h"

class TDataSet;
class TDataSource;
class TField;
class TTimer;
class TqzDBCustomLookupCombo;

TASKMOOR_ENUM(TqzDBLookupListOption, loColLines, loRowLines, loTitles, loFixedDropDownHeight,
              loSearchOnBackspace)
using TqzDBLookupListOptions = TSet<TqzDBLookupListOption>;

class TqzDBLookupList : public TqzCustomDBGrid {
    TASKMOOR_CLASS(TqzDBLookupList, TqzCustomDBGrid)
public:
    explicit TqzDBLookupList(TComponent* AOwner);
    ~TqzDBLookupList() override;

    // ---- Properties
    // The bound side (the grid's own rows come from LookupTable).
    TDataSource* DataSource() const;
    void SetDataSource(TDataSource* Value);
    std::string DataField() const;
    void SetDataField(const std::string& Value);
    TDataSet* LookupTable() const;
    void SetLookupTable(TDataSet* Value);
    const std::string& LookupField() const { return FLookupField; }
    void SetLookupField(const std::string& Value);
    // The bound value may not be changed through the list.
    bool ReadOnly() const { return FReadOnly; }
    void SetReadOnly(bool Value) { FReadOnly = Value; }
    TqzDBLookupListOptions Options() const { return FListOptions; }
    void SetOptions(TqzDBLookupListOptions Value);
    // The grid options the list options make.
    TqzDBGridOptions GridOptions() const override { return TqzCustomDBGrid::Options(); }

    // ---- State
    TFieldDataLink* FieldLink() const { return FFieldLink.get(); }
    TDataSource* LookupSource() const { return FLookupSource; }
    TField* DisplayField() const { return FDisplayField; }
    // Key fields 0-2; nullptr beyond the key count.
    TField* KeyField(int Index) const;
    int KeyCount() const { return FKeyCount; }
    // The value: key texts 0-2 of the selected (or bound) record.
    const std::string& ValueText(int Index) const;
    // The display text of the record the last positioning found.
    const std::string& MatchText() const { return FMatchText; }
    // The highlighted grid row (-1: none).
    int RowPointer() const { return FRowPointer; }
    void ResetRowPointer() { FRowPointer = -1; }
    // The last positioning found the value.
    bool Positioned() const { return FPositioned; }
    // The left button drags over the rows.
    bool Tracking() const { return FTracking; }
    TTimer* DragTimer() const { return FDragTimer; }

    // ---- Operations
    // Binds the display and key fields; with Raise a missing first key field
    // raises "Field '%s' not found".
    void BindFields(bool Raise);
    // Moves the lookup table to the bound value; True when found.
    virtual bool PositionOnValue();
    // The value may be changed: unbound, or the bound link is editing.
    virtual bool CanModifyValue();
    // The lookup table's current record becomes the value.
    void SelectCurrent();
    // The drag timer's tick: scrolls while the pointer is above or below the rows.
    void DragTimerTick(TObject* Sender);

    bool HighlightCell(int ACol, int ARow, TGridDrawState AState) override;
    void DefineFieldMap() override;
    void SetColumnAttributes() override;
    void Scroll(int Distance) override;
    void LinkActive(bool Value) override;

    static void Publish(TPublisher<TqzDBLookupList>& p);

protected:
    // The list has a value to follow: a bound field, or a combo.
    virtual bool HasBinding() const;
    // Bound fields raise for a missing first key field.
    virtual bool RaisesOnMissingKey() const { return false; }
    // Puts the bound dataset into edit state.
    virtual void EditBound();
    // A record was selected (the combo takes it as its text).
    virtual void ValueSelected() {}
    bool LookupActive() const;
    // A data row of the grid (title rows excluded, within the buffered records).
    bool IsDataRow(int ARow) const;

    void Paint() override;
    void Resize() override;
    void DoEnter() override;
    void DoExit() override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseMove(TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void KeyDown(uint16_t& Key, TShiftState Shift) override;
    void KeyPress(char32_t& Key) override;
    void WMVScroll(TMessage& Message) override;
    void Notification(TComponent* AComponent, TOperation Operation) override;

    int FUpdateLock = 0;

private:
    void BoundDataChange(TObject* Sender);
    void BoundEditingChange(TObject* Sender);
    void BoundUpdateData(TObject* Sender);
    void BoundActiveChange(TObject* Sender);
    void CheckTables(TDataSet* Bound, TDataSet* Lookup) const;
    void StopTracking();
    // Moves the lookup table to the record of these key values: a suite
    // table by a key search on its index, any other by Locate.
    bool FindKeys(const std::string& Names, const std::vector<Variant>& Values);
    // The field's place in a suite table's active index; -1 when not in it.
    int IndexPosition(const std::string& FieldName) const;
    void InvalidatePointerRow();
    std::string KeyTextOf(int Index) const;

    std::unique_ptr<TControlFieldLink> FFieldLink;
    TDataSource* FLookupSource = nullptr;
    std::string FLookupField;
    TField* FDisplayField = nullptr;
    std::array<TField*, 3> FKeys{};
    int FKeyCount = 0;
    std::array<std::string, 3> FValues;
    std::string FMatchText;
    int FRowPointer = -1;
    TqzDBLookupListOptions FListOptions;
    bool FReadOnly = false;
    bool FPositioned = false;
    bool FTracking = false;
    bool FDetailWarned = false;
    int FMouseY = 0;
    TTimer* FDragTimer = nullptr;
};

// The lookup combo's drop-down grid.
class TqzPopupGrid : public TqzDBLookupList {
    TASKMOOR_CLASS(TqzPopupGrid, TqzDBLookupList)
public:
    TqzPopupGrid(TComponent* AOwner, TqzDBCustomLookupCombo* Combo);

    TqzDBCustomLookupCombo* Combo() const { return FCombo; }
    // The combo's rule: unbound, or its link is editing.
    bool CanModifyValue() override;
    // The combo positions the lookup table; the grid's current record is its choice.
    bool PositionOnValue() override;
    bool HighlightCell(int ACol, int ARow, TGridDrawState AState) override;

protected:
    bool HasBinding() const override { return true; }
    bool RaisesOnMissingKey() const override { return true; }
    void EditBound() override;
    void ValueSelected() override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;

private:
    TqzDBCustomLookupCombo* FCombo;
};
