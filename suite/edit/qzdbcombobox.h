// The suite's data-aware combo box and its drop-down list.
//
// Each line of Items is a display part, optionally a TAB and the value part.
// With MapList the field stores the value part and the edit shows the
// display part; TwoColumnDisplay shows both in the list. The list
// (TqzPopupListbox) is the combo's own owner-drawn list box in a pop-up
// window; the history's most-recently-used entries sit on top of it,
// set apart by lines. An open list closes on a click outside it, by its own
// watch (each open list has one, ended when the list closes or its combo is
// freed).
//
// A text typed into a mapped combo that names no item is refused when it is
// written back: the field keeps its value, the validation error shows and
// the focus stays.
#pragma once

#include <memory>
#include <string>

#include "platform/ui/popup_window.h"
#include "platform/ui/stdctrls.h"
#include "suite/edit/qzdbcombo.h"
#include "suite/edit/qzhistorylist.h"

class TqzDBCustomComboBox;
class TqzDBComboBox;

// (Sender, Value, Accept): a value is about to join the history.
using TqzAddHistoryItemEvent = TEvent<TqzDBCustomComboBox*, const std::string&, bool&>;
// (Sender, Select): the list closed, accepting or not.
using TqzComboCloseUpEvent = TEvent<TqzDBComboBox*, bool>;

// The combo's Items: every change marks the combo's list for a rebuild.
class TqzComboStringList : public TStringList {
    TASKMOOR_CLASS(TqzComboStringList, TStringList)
public:
    explicit TqzComboStringList(TqzDBCustomComboBox* Combo) : FCombo(Combo) {}
    // Sorts the items and the open list's rows.
    void Sort() override;
    virtual bool ListExists();

protected:
    void Changed() override;

private:
    TqzDBCustomComboBox* FCombo;
};

// The drop-down list: type-ahead over its rows (restarted after 1500 ms
// between keys), list keys, and rows drawn in one or two columns with lines
// around the most-recently-used rows.
class TqzPopupListbox : public TCustomListBox {
    TASKMOOR_CLASS(TqzPopupListbox, TCustomListBox)
public:
    TqzPopupListbox(TComponent* AOwner, TqzDBCustomComboBox* Combo);
    TqzDBCustomComboBox* Combo() const { return FCombo; }
    const std::string& SearchText() const { return FSearchText; }

    // A character typed while the combo has the focus (the type-ahead).
    void ListKeyPress(char32_t& Key);
    // Up, Down, Page Up, Page Down, Home and End move the selection.
    void ListKeyDown(uint16_t& Key, TShiftState Shift);
    void DrawItem(int Index, const TRect& Rect, TOwnerDrawState State) override;

protected:
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;

private:
    void SelectionChangedByKeys();
    TqzDBCustomComboBox* FCombo;
    std::string FSearchText;
    uint32_t FLastKeyTick = 0;
};

class TqzDBCustomComboBox : public TqzDBCustomCombo {
    TASKMOOR_CLASS(TqzDBCustomComboBox, TqzDBCustomCombo)
public:
    explicit TqzDBCustomComboBox(TComponent* AOwner);
    ~TqzDBCustomComboBox() override;

    bool MapList() const { return FMapList; }
    void SetMapList(bool Value);
    TqzComboStringList* Items() const { return FItems.get(); }
    void SetItems(TStrings* Value);
    int DropDownCount() const { return FDropDownCount; }
    void SetDropDownCount(int Value) { FDropDownCount = Value; }
    // 0: computed (GetItemHeight).
    int ItemHeight() const { return FItemHeight; }
    void SetItemHeight(int Value) { FItemHeight = Value; }
    bool AllowClearKey() const { return FAllowClearKey; }
    void SetAllowClearKey(bool Value) { FAllowClearKey = Value; }
    TComboBoxStyle Style() const { return FStyle; }
    void SetStyle(TComboBoxStyle Value);
    // 0: Column1Width x 3 / 2 when set, else the combo's width.
    int DropDownWidth() const { return FDropDownWidth; }
    void SetDropDownWidth(int Value) { FDropDownWidth = Value; }
    bool AutoDropDown() const { return FAutoDropDown; }
    void SetAutoDropDown(bool Value) { FAutoDropDown = Value; }
    bool ShowMatchText() const { return FShowMatchText; }
    void SetShowMatchText(bool Value) { FShowMatchText = Value; }
    TqzHistoryList* HistoryList() const { return FHistoryList.get(); }
    void SetHistoryList(TqzHistoryList* Value) { FHistoryList->Assign(Value); }
    bool DisableDropDownList() const { return FDisableDropDownList; }
    void SetDisableDropDownList(bool Value) { FDisableDropDownList = Value; }
    int Column1Width() const { return FColumn1Width; }
    void SetColumn1Width(int Value) { FColumn1Width = Value; }
    bool TwoColumnDisplay() const { return FTwoColumnDisplay; }
    void SetTwoColumnDisplay(bool Value) { FTwoColumnDisplay = Value; }
    bool Sorted() const { return FItems->Sorted(); }
    void SetSorted(bool Value);
    int ItemIndex();
    const TNotifyEvent& OnDropDown() const { return FOnDropDown; }
    void SetOnDropDown(const TNotifyEvent& Value) { FOnDropDown = Value; }
    const TqzComboCloseUpEvent& OnCloseUp() const { return FOnCloseUp; }
    void SetOnCloseUp(const TqzComboCloseUpEvent& Value) { FOnCloseUp = Value; }
    const TDrawItemEvent& OnDrawItem() const { return FOnDrawItem; }
    void SetOnDrawItem(const TDrawItemEvent& Value) { FOnDrawItem = Value; }
    const TMeasureItemEvent& OnMeasureItem() const { return FOnMeasureItem; }
    void SetOnMeasureItem(const TMeasureItemEvent& Value) { FOnMeasureItem = Value; }
    const TqzAddHistoryItemEvent& OnAddHistoryItem() const { return FOnAddHistoryItem; }
    void SetOnAddHistoryItem(const TqzAddHistoryItemEvent& Value) { FOnAddHistoryItem = Value; }
    // The canvas OnDrawItem draws on while it runs: the list's for a row,
    // the edit's for the edit part of an owner-draw style.
    TCanvas* Canvas() const { return FDrawCanvas; }

    // The drop-down list (nullptr until first needed) and its window.
    TqzPopupListbox* List() const { return FList; }
    TPopupWindow* ListWindow() const { return FListWindow; }
    // The value the field gets: the value part of the shown item under
    // MapList (empty when none matches); an empty csDropDown text gives "".
    std::string GetValue();
    // Text is a display part of an item (letter case ignored).
    bool IsListedDisplay(const std::string& Display) const;
    // The list must be rebuilt before it is used again.
    void MarkForRebuild() { FNeedsRebuild = true; }
    bool NeedsRebuild() const { return FNeedsRebuild; }
    // The list keys are moving the selection.
    bool ListKeys() const { return FListKeys; }
    void SetListKeys(bool Value) { FListKeys = Value; }
    // The list's selection moved by keys while open.
    void ListSelectionChanged();
    // A row of the open list was clicked.
    void ListMouseUp();
    // The record (or an unbound combo) may take a new value now; a bound
    // combo puts its dataset into edit state.
    bool CanModifyValue() { return EditCanModify(); }
    // A text typed into the list's search: the combo shows it, caret at its end.
    void SetTypedText(const std::string& Text);
    // A row chosen in the list: the combo shows its text, marked modified.
    void ShowChosenText(const std::string& Text);
    // A row's text fits the room of the text; one that does not beeps.
    bool RowFits(const std::string& Text);

    virtual void SetComboValue(const std::string& Value);
    // The row equal to Text (letter case ignored), searching cyclically from
    // StartIndex (0: rows 0 to n - 1); -1 when none.
    virtual int FindItemIndex(const std::string& Text, int StartIndex);
    virtual TqzPopupListbox* CreatePopupListbox();
    virtual void DataChange(TObject* Sender);
    virtual void SetItemIndex(int Index);
    virtual int GetItemHeight();
    virtual void DeleteHistoryItem(const std::string& Value, bool FromHistory);
    virtual void AddHistoryItem(const std::string& Value, bool MoveToTop);
    virtual void ClearHistory();
    virtual void ValueFromDisplay(const std::string& Display, std::string& Value);
    virtual void DisplayFromValue(const std::string& Value, std::string& Display);
    virtual void RebuildList();

    std::string GetValueText() override { return GetValue(); }
    bool DisplayTextFromValue(std::string& Text) override;
    bool IsOwnerDrawStyle() override { return FStyle == csOwnerDrawFixed || FStyle == csOwnerDrawVariable; }
    bool IsEditableStyle() override;
    // Owner-draw styles with OnDrawItem: the event draws the edit part.
    void DrawText(TCanvas* Canvas, const TRect& Rect, int X, int Y, const std::string& Text) override;
    bool HasEditText() { return !IsOwnerDrawStyle() && FStyle != csDropDownList; }
    void DropDown() override;
    void CloseUp(bool Accept) override;
    void BiDiModeChanged() override;
    void UpdateData(TObject* Sender) override;
    void Dispatch(TMessage& Message) override;

    static void Publish(TPublisher<TqzDBCustomComboBox>& p);

protected:
    void KeyDown(uint16_t& Key, TShiftState Shift) override;
    void KeyUp(uint16_t& Key, TShiftState Shift) override;
    void KeyPress(char32_t& Key) override;
    void DoEnter() override;
    void CMExit(TMessage& Message) override;
    bool FiltersFieldChars() override { return !FMapList; }
    // Makes the list (and its window) when missing and rebuilds it when due.
    void EnsureList();
    // Up and Down with the list closed, and the closed type-ahead.
    // False when a change handler freed the combo box.
    bool SelectItem(int Index);
    // Clears the value (AllowClearKey).
    bool ClearValue();
    void ShowValue(const std::string& V);

private:
    void SaveHistory();
    // OnDrawItem with Canvas as the combo's Canvas while it runs.
    void DrawItemOn(TCanvas* Canvas, int Index, const TRect& Rect, TOwnerDrawState State);
    int MatchRow(const std::string& Prefix) const;

    bool FMapList = false;
    std::unique_ptr<TqzComboStringList> FItems;
    int FDropDownCount = 8;
    int FItemHeight = 0;
    TPopupWindow* FListWindow = nullptr;
    TqzPopupListbox* FList = nullptr;
    bool FDroppedDownSet = false;
    bool FAllowClearKey = false;
    int FItemIndex = -1;
    TComboBoxStyle FStyle = csDropDown;
    int FDropDownWidth = 0;
    bool FAutoDropDown = false;
    bool FShowMatchText = false;
    std::unique_ptr<TqzHistoryList> FHistoryList;
    TNotifyEvent FOnDropDown;
    TqzComboCloseUpEvent FOnCloseUp;
    TDrawItemEvent FOnDrawItem;
    TMeasureItemEvent FOnMeasureItem;
    TqzAddHistoryItemEvent FOnAddHistoryItem;
    bool FSavedShowHint = false;
    std::string FTextAtDropDown;
    bool FListKeys = false;
    bool FNeedsRebuild = true;
    bool FDisableDropDownList = false;
    int FColumn1Width = 0;
    bool FTwoColumnDisplay = false;
    bool FClosingUp = false;
    bool FOpeningByTyping = false;
    TCanvas* FDrawCanvas = nullptr;
    friend class TqzPopupListbox;
};

class TqzDBComboBox : public TqzDBCustomComboBox {
    TASKMOOR_CLASS(TqzDBComboBox, TqzDBCustomComboBox)
public:
    using TqzDBCustomComboBox::TqzDBCustomComboBox;
    static void Publish(TPublisher<TqzDBComboBox>& p);
};

// Display and value parts of an item line.
void qzComboItemParts(const std::string& Line, std::string& Display, std::string& Value);
