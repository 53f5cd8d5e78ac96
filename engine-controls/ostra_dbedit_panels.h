// The drop-down windows of the table engine's drop-down edit.
//
// TOstraListbox is the value list of odsCombo, TOstraPopupData the lookup
// list of odsLookup (with a filter-as-you-type search), TOstraDlgCalendar
// the month calendar of odsCalendar and TOstraPopupTree the tree of odsTree.
// Each is made hidden by its edit (owner and parent), floats in a
// borderless top-most window of its own while the edit is dropped down, and
// never takes the keyboard focus: the edit sends its key messages on.
#pragma once

#include <string>

#include "engine-controls/ostra_calendar.h"
#include "engine-controls/ostra_dbedit.h"
#include "platform/db/dataset.h"
#include "platform/ui/comctrls.h"
#include "platform/ui/dblookup.h"
#include "platform/ui/stdctrls.h"

// The window kind all drop-downs share: a thin-bordered, top-most tool
// window floating above the edit's window.
void OstraPopupParams(TControl* Popup, TCreateParams& Params);

// ---- Value list -------------------------------------------------------------------------------
// Typing selects the first item that begins with the characters typed so far
// (at most 32); Backspace and Escape start the search again.
class TOstraListbox : public TCustomListBox {
    TASKMOOR_CLASS(TOstraListbox, TCustomListBox)
public:
    static constexpr size_t SearchMaxLength = 32;

    explicit TOstraListbox(TComponent* AOwner);

    const std::string& SearchText() const { return FSearchText; }
    void ClearSearch() { FSearchText.clear(); }

protected:
    void CreateParams(TCreateParams& Params) override;
    void KeyPress(char32_t& Key) override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseMove(TShiftState Shift, int X, int Y) override;
    void WMSetFocus(TMessage& Message) override;

public:
    void Dispatch(TMessage& Message) override;

private:
    std::string FSearchText;
};

// ---- Lookup list --------------------------------------------------------------------------------
// With oksFindFirst the list's own incremental search; with oksFilter the
// list dataset is filtered while the user types: it keeps the records whose
// search field contains the typed text (letter case ignored), on top of the
// dataset's own filter event when that was in force.
class TOstraPopupData : public TPopupDataList {
    TASKMOOR_CLASS(TOstraPopupData, TPopupDataList)
public:
    static constexpr size_t SearchMaxLength = 32;

    explicit TOstraPopupData(TComponent* AOwner);
    ~TOstraPopupData() override;

    TOstraKindSearch KindSearch() const { return FKindSearch; }
    void SetKindSearch(TOstraKindSearch Value) { FKindSearch = Value; }
    // Installs the filter on the list dataset (oksFilter, an open dataset);
    // SearchField is the field the typed text is looked for in.
    void StartFilterSearch(const std::string& SearchField);
    // Puts the dataset's own filter event and Filtered back.
    void StopFilterSearch();
    bool FilterInstalled() const { return FFilterInstalled; }
    const std::string& FilterText() const { return FFilterText; }
    const std::string& SearchField() const { return FSearchField; }
    // The list has a chosen record among those shown.
    bool HasSelection() const { return SelectedRow() >= 0; }

protected:
    void CreateParams(TCreateParams& Params) override;
    void ProcessSearchKey(char32_t Key) override;
    void Notification(TComponent* AComponent, TOperation Operation) override;
    void WMSetFocus(TMessage& Message) override;

public:
    void Dispatch(TMessage& Message) override;

private:
    void FilterRecord(TDataSet* DataSet, bool& Accept);
    void ApplyFilter();

    TOstraKindSearch FKindSearch = oksFindFirst;
    bool FSavedFiltered = false;
    TFilterRecordEvent FSavedOnFilterRecord;
    std::string FSearchField;
    bool FFilterInstalled = false;
    TDataSet* FFilterDataSet = nullptr;
    std::string FFilterText;
    std::string FUpperFilterText;
};

// ---- Calendar -------------------------------------------------------------------------------------
class TOstraDlgCalendar : public TOstraCalendar {
    TASKMOOR_CLASS(TOstraDlgCalendar, TOstraCalendar)
public:
    explicit TOstraDlgCalendar(TComponent* AOwner);

protected:
    void CreateParams(TCreateParams& Params) override;
    void WMSetFocus(TMessage& Message) override;

public:
    void Dispatch(TMessage& Message) override;
};

// ---- Tree -------------------------------------------------------------------------------------------
// One node per record of the edit's LookupDataSet: its text from TextField,
// its unique value (kept with the node) from UniqueField, its depth from
// LevelField (1 for a root, 2 for a child of the last root, ... up to 6;
// any other level, or one that is no number, hangs under the last node of
// level 6, or at the root when there is none).
class TOstraPopupTree : public TCustomTreeView {
    TASKMOOR_CLASS(TOstraPopupTree, TCustomTreeView)
public:
    static constexpr int MaxLevel = 6;

    explicit TOstraPopupTree(TComponent* AOwner);
    ~TOstraPopupTree() override;

    // Builds the nodes from the dataset; nothing without the three fields.
    // The dataset's controls come back on and its record is kept, whatever
    // goes wrong.
    void FillTree(TOstraTreeProperties* Props, TDataSet* DataSet);
    // The first node, in item order, whose unique value is ValueText.
    TTreeNode* FindNodeByValue(const std::string& ValueText) const;
    // The node's text after those of its ancestors, the root's first,
    // joined by Separator; "" for no node.
    static std::string NodePath(const TTreeNode* Node, char Separator);
    // The unique value of a node ("" for none).
    static std::string NodeValue(const TTreeNode* Node);

protected:
    void CreateParams(TCreateParams& Params) override;
    void Delete(TTreeNode* Node) override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void WMSetFocus(TMessage& Message) override;

public:
    void Dispatch(TMessage& Message) override;
};
