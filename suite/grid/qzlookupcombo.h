// TqzDBCustomLookupCombo: an edit whose value is the key of a record of a
// second dataset (the lookup table) and whose text is that record's display
// field.
//
// LookupField names up to three key fields of the lookup table (";"-
// separated); only the leading fields the table has count, so a missing
// middle name ends the list. Selected holds the drop-down grid's column lines
// (field TAB width TAB title); the first line's field is the display field.
// The drop-down grid (a TqzPopupGrid over the lookup table in a pop-up window)
// opens by the button, F4, Alt+Up and Alt+Down; Up, Down, Page Up and Page
// Down move it while it is open. Enter, a click on a row, the focus leaving
// and a click outside accept the lookup table's current record; Escape
// discards. Accepting writes key 1 to the bound field and keys 2 and 3 to
// the bound dataset's fields of the same names as the lookup table's.
//
// Typing starts the search timer (SearchDelay, else 200 ms); its tick looks
// the typed text up in the display field (a prefix match while the grid is
// open or with ShowMatchText) and, with ShowMatchText, completes the text
// with the rest selected.
//
// A combo that shows its key (display field = key field 1) drops down on
// the record of a typed key; like any typed text, it is written only when
// accepted.
//
// A typed text the list does not hold is never written as a key: it is
// offered to OnNotInList (when the display field is a separate field
// without a handler, it is refused); an accepted text is looked up again,
// and only a record found then gives the key. Otherwise the text reverts.
//
// A suite table (TqzTable) as lookup table is searched on its index: the
// stored key by a key search on the index for LookupField, typed text on
// the index led by the display field (OrderByDisplay); other tables by
// their Locate under the hourglass (TqzIntl's UseLocateMethodForSearch, on
// by default; memo fields excepted, and a suite query's fields that do not
// lead its order by the search's case rule) or, with it off, the record
// search.
// AutoDropDown drops the grid on typing; AllowClearKey lets Backspace and
// Delete on the whole text clear the value. Painted as a grid cell for
// another row, the combo shows the display text of that row's key.
//
// Its button (TqzLookupComboButton) comes from the drop-down edit's button
// factory (CreateButton, qzdbcombo.h).
#pragma once

#include <memory>
#include <string>

#include "platform/ui/popup_window.h"
#include "platform/ui/stdctrls.h"
#include "suite/edit/qzdbcombo.h"
#include "suite/grid/qzdbgrid.h"
#include "suite/grid/qzlookuplist.h"

class TDataSet;
class TDataSource;
class TTimer;
class TqzDBCustomLookupCombo;

// Only csDropDown and csDropDownList are used.
using TqzDBLookupComboStyle = TComboBoxStyle;
TASKMOOR_ENUM(TqzSeqSearchOption, ssoEnabled, ssoCaseSensitive)
using TqzSeqSearchOptions = TSet<TqzSeqSearchOption>;

// (Sender, LookupTable, Text, Accept): a typed text is not in the list.
using TqzNotInListEvent = TEvent<TObject*, TDataSet*, const std::string&, bool&>;
// (Sender, LookupTable, BoundDataSet or nullptr, Changed): the grid closed.
using TNotifyCloseUpEvent = TEvent<TObject*, TDataSet*, TDataSet*, bool>;
// (Sender, LookupTable, SearchField, SearchValue, PerformLookup, Found): the
// handler positions the lookup table itself and says whether it found a
// record. PerformLookup: positioning on the stored value (True) or on typed
// text (False).
using TqzPerformSearchEvent =
    TEvent<TObject*, TDataSet*, const std::string&, const std::string&, bool, bool&>;

// The lookup combo's drop-down button: a press focuses the combo, then opens
// the grid or, open, takes its record and closes it; a drag from the press
// into the open grid goes on there.
class TqzLookupComboButton : public TqzComboButton {
    TASKMOOR_CLASS(TqzLookupComboButton, TqzComboButton)
public:
    TqzLookupComboButton(TComponent* AOwner, TqzDBCustomLookupCombo* Combo);
    TqzDBCustomLookupCombo* Combo() const { return FCombo; }

    // The owner hooks of the themed look.
    bool IsOwnerThemedInGrid();
    bool IsThemedButton();
    bool IsMouseInOwner();
    bool IsOwnerDroppedDown();
    bool IsVistaComboStyle() override { return IsOwnerThemedInGrid(); }
    bool UseRightDropDownPart() override { return IsThemedButton(); }
    bool IsParentHot() override { return IsMouseInOwner(); }
    bool IsParentDroppedDown() override { return IsOwnerDroppedDown(); }

protected:
    void Paint() override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseMove(TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;

private:
    void RepaintEffects();
    TqzDBCustomLookupCombo* FCombo;
};

// Settings copied to the drop-down grid at every drop-down.
class TqzDropDownGridOptions : public TPersistent {
    TASKMOOR_CLASS(TqzDropDownGridOptions, TPersistent)
public:
    int TitleLines() const { return FTitleLines; }
    void SetTitleLines(int Value) { FTitleLines = Value; }
    TColor Color() const { return FColor; }
    void SetColor(TColor Value) { FColor = Value; }
    TAlignment TitleAlignment() const { return FTitleAlignment; }
    void SetTitleAlignment(TAlignment Value) { FTitleAlignment = Value; }
    void Assign(TPersistent* Source) override;

private:
    int FTitleLines = 1;
    TColor FColor = clWindow;
    TAlignment FTitleAlignment = taLeftJustify;
};

// The drop-down grid's former name.
using TqzLookupDropGrid = TqzPopupGrid;

class TqzDBCustomLookupCombo : public TqzDBCustomCombo {
    TASKMOOR_CLASS(TqzDBCustomLookupCombo, TqzDBCustomCombo)
    friend class TqzLookupComboButton;

public:
    explicit TqzDBCustomLookupCombo(TComponent* AOwner);
    ~TqzDBCustomLookupCombo() override;

    // ---- Properties
    TDataSet* LookupTable() const { return FLookupTable; }
    void SetLookupTable(TDataSet* Value);
    const std::string& LookupField() const { return FLookupField; }
    void SetLookupField(const std::string& Value);
    TStrings* Selected() const { return FSelected.get(); }
    void SetSelected(TStrings* Value);
    TqzDBLookupComboStyle Style() const { return FStyle; }
    void SetStyle(TqzDBLookupComboStyle Value);
    int DropDownCount() const { return FDropDownCount; }
    void SetDropDownCount(int Value) { FDropDownCount = Value; }
    int DropDownWidth() const { return FDropDownWidth; }
    void SetDropDownWidth(int Value) { FDropDownWidth = Value; }
    TAlignment DropDownAlignment() const { return FDropDownAlignment; }
    void SetDropDownAlignment(TAlignment Value) { FDropDownAlignment = Value; }
    int SearchDelay() const { return FSearchDelay; }
    void SetSearchDelay(int Value) { FSearchDelay = Value; }
    TqzSeqSearchOptions SeqSearchOptions() const { return FSeqSearchOptions; }
    void SetSeqSearchOptions(TqzSeqSearchOptions Value) { FSeqSearchOptions = Value; }
    bool ShowMatchText() const { return FShowMatchText; }
    void SetShowMatchText(bool Value) { FShowMatchText = Value; }
    bool OrderByDisplay() const { return FOrderByDisplay; }
    void SetOrderByDisplay(bool Value) { FOrderByDisplay = Value; }
    bool AllowClearKey() const { return FAllowClearKey; }
    void SetAllowClearKey(bool Value) { FAllowClearKey = Value; }
    bool AutoDropDown() const { return FAutoDropDown; }
    void SetAutoDropDown(bool Value);
    TqzDropDownGridOptions* DropDownGridOptions() const { return FGridOptions.get(); }
    void SetDropDownGridOptions(TqzDropDownGridOptions* Value) { FGridOptions->Assign(Value); }
    TNotifyEvent OnDropDown() const { return FOnDropDown; }
    void SetOnDropDown(TNotifyEvent Value) { FOnDropDown = Value; }
    TNotifyCloseUpEvent OnCloseUp() const { return FOnCloseUp; }
    void SetOnCloseUp(TNotifyCloseUpEvent Value) { FOnCloseUp = Value; }
    TqzNotInListEvent OnNotInList() const { return FOnNotInList; }
    void SetOnNotInList(TqzNotInListEvent Value) { FOnNotInList = Value; }
    TqzPerformSearchEvent OnPerformCustomSearch() const { return FOnPerformCustomSearch; }
    void SetOnPerformCustomSearch(TqzPerformSearchEvent Value) { FOnPerformCustomSearch = Value; }
    // Fires first when the grid is about to drop down, before the lookup
    // table is looked at (a handler may supply it); raising stops the drop-down.
    TNotifyEvent OnBeforeDropDown() const { return FOnBeforeDropDown; }
    void SetOnBeforeDropDown(TNotifyEvent Value) { FOnBeforeDropDown = Value; }
    // The bound dataset may not be the lookup table.
    void SetDataSource(TDataSource* Value);

    // ---- State
    // Key field names found in the lookup table (at most three).
    const std::vector<std::string>& KeyFields() const { return FKeyFields; }
    // The display field's name (first Selected line, else key field 1).
    std::string DisplayField() const;
    // The display field is key field 1: the combo shows the key itself.
    bool ShowsKey() const;
    // Key value 1 as text; keys 2 and 3 as read from the bound record.
    const std::string& LookupValue() const { return FLookupValue; }
    bool MatchFound() const { return FMatchFound; }
    // The display text of the key in the bound dataset's active record (a
    // grid cell of that row).
    std::string RowDisplayText();
    TqzPopupGrid* Grid() const { return FGrid; }
    TPopupWindow* GridWindow() const { return FGridWindow; }
    TTimer* SearchTimer() const { return FSearchTimer; }
    // The text the last finished search step left.
    const std::string& LastSearchText() const { return FLastSearchText; }

    // ---- Operations
    void DropDown() override;
    void CloseUp(bool Accept) override;
    bool IsEditableStyle() override { return FStyle == csDropDown || FAutoDropDown; }
    void UpdateData(TObject* Sender) override;
    // The shown text; painted as a grid cell for another row, the display
    // text of that row's key.
    bool DisplayTextFromValue(std::string& Text) override;
    // Shows the display text of the bound field's key again (the record
    // view after binding a borrowed combo).
    void RefreshDisplayText() { LookupDataChange(this); }
    // The may-modify rule of typing, pasting and cutting.
    bool CanModifyValue();
    void Dispatch(TMessage& Message) override;
    // One step of the search as you type (the timer's tick).
    virtual void SearchTimerTick(TObject* Sender);
    // Moves the lookup table to a record whose FieldName matches SearchText.
    virtual bool PerformSearch(const std::string& SearchText, const std::string& FieldName, bool PartialMatch,
                               bool CaseSensitive, bool PerformLookup);
    // The indexed search of a suite table; any other lookup table is searched
    // by PerformSearch.
    virtual bool FindByKey(const std::string& SearchText, const std::string& FieldName, bool PartialMatch);
    // Fires OnPerformCustomSearch (Found stays False without a handler).
    virtual void DoPerformCustomSearch(const std::string& FieldName, const std::string& SearchText,
                                       bool PerformLookup, bool& Found);
    // The dialog-style combo takes keys 2 and 3 from the lookup table's
    // current record; the drop-down combo only from a record it found for
    // the text.
    virtual bool IsDialogStyle() { return false; }
    // Themes are active and the combo is a list only (the whole combo is
    // drawn as one themed button).
    virtual bool IsThemedInGrid();
    // The button face for cbsEllipsis and cbsDownArrow (nothing for cbsCustom).
    virtual void PaintButtonFace(TCanvas* Canvas, const TRect& Rect, bool Pressed);
    // A drag that began on the text or the button goes on in the open grid
    // once it reaches it: From's mouse message at (X, Y) is handed over.
    // True when the grid took it.
    bool ForwardDragToGrid(TControl* From, unsigned Msg, int X, int Y);
    // The grid's row was chosen (a click or the keys): the text follows it.
    void GridPick();
    // Puts the bound dataset into edit state without moving the lookup table
    // (the grid's mouse down, a pick).
    void EditBound();

protected:
    void KeyDown(uint16_t& Key, TShiftState Shift) override;
    void KeyPress(char32_t& Key) override;
    void KeyUp(uint16_t& Key, TShiftState Shift) override;
    void Change() override;
    void BiDiModeChanged() override;
    bool DoMouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos) override;
    void CMExit(TMessage& Message) override;
    void Notification(TComponent* AComponent, TOperation Operation) override;
    bool FiltersFieldChars() override { return false; }
    TqzComboButton* CreateButton() override;
    // Positions the lookup table on the bound record's keys; True when found.
    bool PositionOnValue();
    // The lookup table's record becomes the value: its keys go to the bound
    // record; True when a value changed.
    bool WriteKeys();

private:
    void LookupDataChange(TObject* Sender);
    // The lookup table opened (again): the stored value's text comes back.
    void LookupStateChange(TObject* Sender);
    // Re-derives the key fields (raising for a missing first one when Raise).
    void BindKeys(bool Raise);
    // Accepts the text: the current record with Match, else a record whose
    // display text it is (after OnNotInList when none is); else it reverts.
    bool AcceptText(bool Match);
    void RevertText();
    void ShowText(const std::string& Text);
    void EnsureGrid();
    void PrepareGrid();
    int GridWindowWidth();
    void PlaceGridWindow(int WindowWidth, int WindowHeight);
    std::string KeyText(int Index) const;
    // The lookup fields' names (";"-joined) and the bound record's key values:
    // key 1 from Key1, keys 2 and 3 from the bound fields of the same names.
    void BoundKeyValues(TField* Key1, std::string& Names, std::vector<Variant>& Values) const;
    bool BoundIsLookup(TDataSet* Value) const;
    // Clears the value (AllowClearKey): the text, the lookup value and the
    // bound key fields.
    void ClearValue();
    // The key search of a suite table on its active index for FieldName;
    // -1 when the field is not in it.
    int IndexPosition(const std::string& FieldName) const;
    // A suite table is put on the index led by the display field.
    void OrderForDisplay();
    TDataSet* FLookupTable = nullptr;
    std::string FLookupField;
    std::vector<std::string> FKeyFields;
    std::unique_ptr<TStringList> FSelected;
    TqzDBLookupComboStyle FStyle = csDropDown;
    int FDropDownCount = 8;
    int FDropDownWidth = 0;
    TAlignment FDropDownAlignment = taLeftJustify;
    int FSearchDelay = 0;
    TqzSeqSearchOptions FSeqSearchOptions{ssoEnabled};
    bool FShowMatchText = false;
    bool FOrderByDisplay = true;
    bool FAllowClearKey = false;
    bool FAutoDropDown = false;
    // A typed key asks the next search step to drop the grid down.
    bool FPendingAutoDrop = false;
    // The text was cleared by Backspace or Delete with AllowClearKey.
    bool FCleared = false;
    std::unique_ptr<TqzDropDownGridOptions> FGridOptions;
    TNotifyEvent FOnDropDown;
    TNotifyCloseUpEvent FOnCloseUp;
    TqzNotInListEvent FOnNotInList;
    TqzPerformSearchEvent FOnPerformCustomSearch;
    TNotifyEvent FOnBeforeDropDown;
    // A press on the list-only text or the button; the drag it starts may
    // go on in the grid.
    bool FPressed = false;
    bool FDragForwarded = false;

    TDataSource* FLookupSource = nullptr;
    bool FLookupWasActive = false;
    TPopupWindow* FGridWindow = nullptr;
    TqzPopupGrid* FGrid = nullptr;
    TTimer* FSearchTimer = nullptr;
    std::string FLookupValue;
    std::string FLastSearchText;
    std::string FTextAtDropDown;
    // The text last shown for a value.
    std::string FShownText;
    bool FMatchFound = true;
    bool FDropping = false;
    bool FClosing = false;
    bool FIgnoreDataChange = false;
    bool FSavedShowHint = false;
    // The grid's keys or a search moved the lookup table while open.
    bool FGridMoved = false;
};
