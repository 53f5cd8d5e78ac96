// The table engine's drop-down edit.
//
// TOstraDBEdit is a data-aware one-line edit with an optional button at its
// right edge. The button opens one of several drop-downs by DialogStyle: a
// value list (odsCombo), a lookup list over another dataset (odsLookup), a
// month calendar (odsCalendar), a tree built from a dataset (odsTree), a
// calculator (odsCalculator), or a dialog of the program's own
// (odsCustomDlg, through OnCustomDlg). It binds to one field through a data
// source, shows the field's value as text and writes the user's choice or
// typing back.
//
// The edit keeps Value, the value it stands for (a key, a mapped item value,
// a date, a number), apart from the text it shows: a combo with ComboValues
// shows "Low" for the value "3", a lookup shows the list field of the record
// whose key is the value. Text set by code never changes Value; typing does,
// except under ocsDropDownList, where only the drop-down chooses values.
//
// The drop-downs are created on first need, owned and parented by the edit,
// and shown in floating windows below it (above it near the screen's
// bottom). The keyboard focus stays in the edit, which hands its key
// messages to the open drop-down.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/core/variant.h"
#include "platform/db/dbtypes.h"
#include "platform/ui/mask.h"

class TBitmap;
class TDataSet;
class TDataSource;
class TField;
class TControlFieldLink;
class TStringList;
class TOstraDBEdit;
class TOstraListbox;
class TOstraPopupData;
class TOstraDlgCalendar;
class TOstraPopupTree;
class TOstraCalculator;

TASKMOOR_ENUM(TOstraDialogStyle, odsEdit, odsCustomDlg, odsCombo, odsLookup, odsCalendar, odsTree,
              odsCalculator)
TASKMOOR_ENUM(TOstraComboBoxStyle, ocsDropDown, ocsDropDownList)
TASKMOOR_ENUM(TOstraKindSearch, oksFindFirst, oksFilter)

// (Sender, ValueText, var DisplayText)
using TOstraDisplayTextEvent = TEvent<TObject*, const std::string&, std::string&>;
// (Sender, Text)
using TOstraUpdateDataEvent = TEvent<TObject*, const std::string&>;
// (Sender, Accept)
using TOstraCloseUpEvent = TEvent<TObject*, bool>;

// ---- Property objects --------------------------------------------------------------------------
// Each belongs to an edit (when its owner is one) and tells it of every
// change, so that the drop-down is prepared again.

// The value list: ComboItems are shown; when ComboValues has as many lines,
// line i of ComboItems stands for value line i (the combo is value-mapped).
class TOstraComboProperties : public TPersistent {
    TASKMOOR_CLASS(TOstraComboProperties, TPersistent)
public:
    explicit TOstraComboProperties(TComponent* AOwner);
    ~TOstraComboProperties() override;

    // Created on first read; setting copies the lines, nullptr frees the list.
    TStrings* ComboItems();
    void SetComboItems(TStrings* Value);
    TStrings* ComboValues();
    void SetComboValues(TStrings* Value);
    // Without creating the lists.
    int ItemCount() const;
    int ValueCount() const;
    bool ValueMapped() const;
    // Copies ComboItems and ComboValues of another combo property object.
    void Assign(TPersistent* Source) override;

    static void Publish(TPublisher<TOstraComboProperties>& p);

private:
    void ListChanged(TObject* Sender);
    void Changed();
    TOstraDBEdit* FEdit = nullptr;
    std::unique_ptr<TStringList> FComboItems;
    std::unique_ptr<TStringList> FComboValues;
};

// The lookup list over the edit's LookupDataSet.
class TOstraLookupProperties : public TPersistent {
    TASKMOOR_CLASS(TOstraLookupProperties, TPersistent)
public:
    explicit TOstraLookupProperties(TComponent* AOwner);

    // Which of the list fields the edit shows and searches; used within the
    // list of list fields (a value past its end means the last field).
    int ViewFieldIndex() const { return FViewFieldIndex; }
    void SetViewFieldIndex(int Value);
    const std::string& LookupKeyField() const { return FLookupKeyField; }
    void SetLookupKeyField(const std::string& Value);
    // Field names separated by ";".
    const std::string& ListFieldNames() const { return FListFieldNames; }
    void SetListFieldNames(const std::string& Value);
    // The names of ListFieldNames, blanks around them dropped.
    const std::vector<std::string>& ListFields();
    // ViewFieldIndex kept within ListFields (0 when there are none).
    int EffectiveViewFieldIndex();
    // The field of the edit's dataset that holds the key (lookup fields).
    const std::string& SourceKeyField() const { return FSourceKeyField; }
    void SetSourceKeyField(const std::string& Value);
    TOstraKindSearch KindSearch() const { return FKindSearch; }
    void SetKindSearch(TOstraKindSearch Value);
    void Assign(TPersistent* Source) override;

    static void Publish(TPublisher<TOstraLookupProperties>& p);

private:
    void Changed();
    TOstraDBEdit* FEdit = nullptr;
    int FViewFieldIndex = 0;
    std::string FLookupKeyField;
    std::string FListFieldNames;
    std::vector<std::string> FListFields;
    bool FListFieldsBuilt = false;
    std::string FSourceKeyField;
    TOstraKindSearch FKindSearch = oksFindFirst;
};

// The tree over the edit's LookupDataSet: one node per record, nested by the
// record's level (1 for roots).
class TOstraTreeProperties : public TPersistent {
    TASKMOOR_CLASS(TOstraTreeProperties, TPersistent)
public:
    explicit TOstraTreeProperties(TComponent* AOwner);

    const std::string& UniqueField() const { return FUniqueField; }
    void SetUniqueField(const std::string& Value);
    const std::string& LevelField() const { return FLevelField; }
    void SetLevelField(const std::string& Value);
    // Joins the node texts of a path.
    char PathSeparator() const { return FPathSeparator; }
    void SetPathSeparator(char Value) { FPathSeparator = Value; }
    const std::string& TextField() const { return FTextField; }
    void SetTextField(const std::string& Value);
    void Assign(TPersistent* Source) override;

    static void Publish(TPublisher<TOstraTreeProperties>& p);

private:
    void Changed();
    TOstraDBEdit* FEdit = nullptr;
    std::string FUniqueField;
    std::string FLevelField;
    char FPathSeparator = '/';
    std::string FTextField;
};

// ---- The edit ------------------------------------------------------------------------------------
class TOstraDBEdit : public TCustomMaskEdit {
    TASKMOOR_CLASS(TOstraDBEdit, TCustomMaskEdit)
public:
    explicit TOstraDBEdit(TComponent* AOwner);
    ~TOstraDBEdit() override;

    // ---- Data binding
    TDataSource* DataSource() const;
    void SetDataSource(TDataSource* Value);
    std::string DataField() const;
    // An empty name leaves the field name as it is.
    void SetDataField(const std::string& Value);
    TField* Field() const;
    // The link has a field and its dataset is open.
    bool FieldBound() const;
    // The program's read-only choice, kept by the data link so that typing
    // never starts an edit; the window is read-only also while the record is
    // not edited (ReadOnly tells the window's state).
    void SetReadOnly(bool Value);
    // The dataset the lookup list and the tree show. Raises EDatabaseError
    // "Lookup Dataset cannot be equal to Source DataSet" for the edit's own.
    TDataSet* LookupDataSet() const { return FLookupDataSet; }
    void SetLookupDataSet(TDataSet* Value);

    // ---- The value
    // What the edit stands for; the shown text comes from it.
    const Variant& Value() const { return FValue; }
    // Stored when the user empties the text.
    const std::string& ClearValue() const { return FClearValue; }
    void SetClearValue(const std::string& Value) { FClearValue = Value; }

    // ---- Style
    TOstraDialogStyle DialogStyle() const { return FDialogStyle; }
    void SetDialogStyle(TOstraDialogStyle Value);
    // ocsDropDownList takes values from the drop-down only.
    TOstraComboBoxStyle Style() const { return FStyle; }
    void SetStyle(TOstraComboBoxStyle Value);
    // Kept under odsEdit only: odsCalculator is right-justified, the other
    // styles left-justified.
    TAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TAlignment Value);
    // Taken when above 11 and below half the width.
    int ButtonWidth() const { return FButtonWidth; }
    void SetButtonWidth(int Value);
    // 0: the edit's width.
    unsigned DropDownWidth() const { return FDropDownWidth; }
    void SetDropDownWidth(unsigned Value) { FDropDownWidth = Value; }
    unsigned DropDownRows() const { return FDropDownRows; }
    void SetDropDownRows(unsigned Value);
    // A typed character opens the value or lookup list.
    bool AutoDropDown() const { return FAutoDropDown; }
    void SetAutoDropDown(bool Value) { FAutoDropDown = Value; }
    // Enter moves to the next control.
    bool EnterAsTab() const { return FEnterAsTab; }
    void SetEnterAsTab(bool Value) { FEnterAsTab = Value; }

    // ---- Property objects (created on first read; nullptr frees)
    TOstraComboProperties* ComboProps();
    void SetComboProps(TOstraComboProperties* Value);
    TOstraLookupProperties* LookupProps();
    void SetLookupProps(TOstraLookupProperties* Value);
    TOstraTreeProperties* TreeProps();
    void SetTreeProps(TOstraTreeProperties* Value);

    // ---- Drop-down
    virtual void DropDown();
    virtual void CloseUp(bool Accept);
    // A drop-down is open (or the custom dialog runs).
    bool DroppedDown() const { return FDroppedDown; }
    // The active drop-down matches the present settings.
    bool DropDownPrepared() const { return FDropDownPrepared; }
    // The drop-down of the present style (nullptr for odsEdit and
    // odsCustomDlg, or before it is made).
    TWinControl* ActiveDropDown() const { return FActiveDropDown; }
    TOstraListbox* ValueList() const { return FValueList; }
    TOstraPopupData* LookupList() const { return FLookupList; }
    TOstraDlgCalendar* Calendar() const { return FCalendar; }
    TOstraPopupTree* Tree() const { return FTree; }
    TOstraCalculator* Calculator() const { return FCalculator; }
    // The button's place in client coordinates.
    TRect ButtonRect() const;
    // The lookup or tree settings are complete and LookupDataSet is open
    // (always true for the other styles).
    bool LookupReady();
    // Tells the edit that a setting of the drop-down changed.
    void PropertiesChanged();
    // Tells the edit that its drop-down's window took the activation or the
    // keyboard (the edit takes the keyboard back).
    void DropDownActivated();

    // ---- Events
    TNotifyEvent OnCustomDlg() const { return FOnCustomDlg; }
    void SetOnCustomDlg(TNotifyEvent Value) { FOnCustomDlg = Value; }
    TOstraDisplayTextEvent OnDisplayText() const { return FOnDisplayText; }
    void SetOnDisplayText(TOstraDisplayTextEvent Value) { FOnDisplayText = Value; }
    TOstraUpdateDataEvent OnUpdateData() const { return FOnUpdateData; }
    void SetOnUpdateData(TOstraUpdateDataEvent Value) { FOnUpdateData = Value; }
    TOstraCloseUpEvent OnCloseUp() const { return FOnCloseUp; }
    void SetOnCloseUp(TOstraCloseUpEvent Value) { FOnCloseUp = Value; }
    TNotifyEvent OnDropDown() const { return FOnDropDown; }
    void SetOnDropDown(TNotifyEvent Value) { FOnDropDown = Value; }

    void WndProc(TMessage& Message) override;
    void Dispatch(TMessage& Message) override;
    void Reset() override;
    static void Publish(TPublisher<TOstraDBEdit>& p);

protected:
    bool EditCanModify() override;
    void Notification(TComponent* AComponent, TOperation Operation) override;
    void Loaded() override;
    void CreateParams(TCreateParams& Params) override;
    void CreateWnd() override;
    void BoundsChanged() override;
    void Change() override;
    void KeyDown(uint16_t& Key, TShiftState Shift) override;
    void KeyPress(char32_t& Key) override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseMove(TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void DoEnter() override;
    void CMExit(TMessage& Message) override;
    void PaintOverWidget(TCanvas* Canvas) override;
    void WMKillFocus(TMessage& Message) override;
    void WMGetDlgCode(TMessage& Message) override;
    void WMCancelMode(TMessage& Message) override;

private:
    friend class TOstraPopupData;
    friend class TOstraPopupTree;

    // ---- Binding and showing (ostra_dbedit.cpp)
    void DataChange(TObject* Sender);
    void EditingChange(TObject* Sender);
    void UpdateData(TObject* Sender);
    void ApplyFieldSettings();
    TField* ValueField() const;
    void PrepareDropDown();
    // Its steps, one per dialog style: the window made once, then filled
    // from the control and its properties (Close: the mouse-up that closes it).
    void PrepareComboList(const TMouseEvent& Close);
    void PrepareLookupList(const TMouseEvent& Close);
    void PrepareCalendar(const TMouseEvent& Close);
    void PrepareTree(const TMouseEvent& Close);
    void PrepareCalculator();
    void ShowValue(const Variant& AValue, const std::string& ValueText);
    std::string DisplayTextFor(const Variant& AValue, const std::string& ValueText);
    void SetShownText(const std::string& Value);
    void RefreshFromField();
    bool ListedValuesOnly() const;
    bool HasDropDownStyle() const;
    void UpdateEditRect();
    TCustomForm* NavigationForm() const;
    void PostNextControl(bool Forward);

    // ---- Drop-down (ostra_dbedit_dropdown.cpp)
    void ShowDropDown();
    void PlaceDropDown(TWinControl* Popup);
    bool TakeChoice(Variant& NewValue, std::string& NewText, bool& HasText);
    void RunCustomDlg();
    bool HandleListKey(uint16_t& Key, TShiftState Shift);
    void PopupMouseUp(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y);
    void CalendarSelectDate(TObject* Sender);
    void CalculatorExit(TObject* Sender, bool Accept);
    void StopTracking();
    // Closes the drop-down without accepting; with LeaveFocus the focus stays
    // where the user put it instead of coming back to the edit.
    void CloseUpLeavingFocus(bool LeaveFocus);
    void TrackButton(int X, int Y);
    void UpdateCursor(int X, int Y);
    void ForwardMouse(unsigned Msg, int X, int Y);
    void CMCancelMode(TMessage& Message);
    void FocusCheck();
    void RemovePendingChar();

    // ---- Painting (ostra_dbedit_paint.cpp)
    void PaintButton(TCanvas* Canvas);
    void PaintText(TCanvas* Canvas);

    std::unique_ptr<TControlFieldLink> FDataLink;
    std::unique_ptr<TDataSource> FLookupSource;
    std::unique_ptr<TOstraComboProperties> FComboProps;
    std::unique_ptr<TOstraLookupProperties> FLookupProps;
    std::unique_ptr<TOstraTreeProperties> FTreeProps;
    std::unique_ptr<TBitmap> FCalculatorGlyph;
    std::unique_ptr<TBitmap> FCalendarGlyph;

    TOstraListbox* FValueList = nullptr;
    TOstraPopupData* FLookupList = nullptr;
    TOstraDlgCalendar* FCalendar = nullptr;
    TOstraPopupTree* FTree = nullptr;
    TOstraCalculator* FCalculator = nullptr;
    TWinControl* FActiveDropDown = nullptr;
    TDataSet* FLookupDataSet = nullptr;

    int FButtonWidth = 15;
    bool FDroppedDown = false;
    bool FDropDownPrepared = false;
    bool FPreparing = false;
    TOstraComboBoxStyle FStyle = ocsDropDown;
    TAlignment FAlignment = taLeftJustify;
    bool FFocused = false;
    TOstraDialogStyle FDialogStyle = odsEdit;
    unsigned FDropDownWidth = 0;
    unsigned FDropDownRows = 10;
    bool FAutoDropDown = false;
    bool FEnterAsTab = true;
    Variant FValue{std::string()};
    std::string FClearValue;
    bool FSettingText = false;
    // The MaxLength taken from the bound text field's size (0: none).
    int FFieldMaxLength = 0;
    bool FTracking = false;
    bool FPressed = false;
    bool FForwardingMouse = false;
    bool FFocusCheckPosted = false;
    bool FDropDownActivated = false;
    bool FClosingForFocusLoss = false;
    bool FHandCursor = false;
    TCursor FSavedCursor = crDefault;

    TNotifyEvent FOnCustomDlg, FOnDropDown;
    TOstraDisplayTextEvent FOnDisplayText;
    TOstraUpdateDataEvent FOnUpdateData;
    TOstraCloseUpEvent FOnCloseUp;
};
