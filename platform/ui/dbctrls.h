// Data-aware standard controls: they show a field of the current record of
// a data source's dataset and write the user's changes back.
//
// An edit, memo or check box puts the dataset into edit mode (through the
// data source's AutoEdit) when the user starts changing it, and writes its
// value to the field when it is left or when the record is posted. Escape
// in an edit puts the field's value back. A control whose field cannot be
// modified is read-only.
#pragma once

#include <memory>
#include <string>

#include "platform/core/strings.h"
#include "platform/ui/buttons.h"
#include "platform/ui/extctrls.h"
#include "platform/ui/stdctrls.h"

class TDataSource;
class TDataSet;
class TField;
class TControlFieldLink;
class TDataLink;

// ---- Text ------------------------------------------------------------------------------------
// A label showing the field's display text.
class TDBText : public TCustomLabel {
    TASKMOOR_CLASS(TDBText, TCustomLabel)
public:
    explicit TDBText(TComponent* AOwner);
    ~TDBText() override;

    TDataSource* DataSource() const;
    void SetDataSource(TDataSource* Value);
    std::string DataField() const;
    void SetDataField(const std::string& Value);
    TField* Field() const;

    static void Publish(TPublisher<TDBText>& p);

protected:
    std::string GetLabelText() const override;
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    void DataChange(TObject* Sender);
    std::unique_ptr<TControlFieldLink> FDataLink;
};

// ---- Edit --------------------------------------------------------------------------------------
class TDBEdit : public TCustomEdit {
    TASKMOOR_CLASS(TDBEdit, TCustomEdit)
public:
    explicit TDBEdit(TComponent* AOwner);
    ~TDBEdit() override;

    TDataSource* DataSource() const;
    void SetDataSource(TDataSource* Value);
    std::string DataField() const;
    void SetDataField(const std::string& Value);
    TField* Field() const;
    // Read-only by choice (the field's own state is added to it).
    bool ReadOnly() const;
    void SetReadOnly(bool Value);

    static void Publish(TPublisher<TDBEdit>& p);

protected:
    void Change() override;
    void KeyDown(uint16_t& Key, TShiftState Shift) override;
    void KeyPress(char32_t& Key) override;
    void DoEnter() override;
    void DoExit() override;
    void Notification(TComponent* AComponent, TOperation Operation) override;
    void WMPaste(TMessage& Message);
    void WMCut(TMessage& Message);
    void Dispatch(TMessage& Message) override;

private:
    void DataChange(TObject* Sender);
    void EditingChange(TObject* Sender);
    void UpdateData(TObject* Sender);
    void ActiveChange(TObject* Sender);
    void ResetMaxLength();
    bool EditCanModify();
    std::unique_ptr<TControlFieldLink> FDataLink;
    bool FFocused = false;
    bool FLoading = false;
};

// ---- Memo ----------------------------------------------------------------------------------------
class TDBMemo : public TCustomMemo {
    TASKMOOR_CLASS(TDBMemo, TCustomMemo)
public:
    explicit TDBMemo(TComponent* AOwner);
    ~TDBMemo() override;

    TDataSource* DataSource() const;
    void SetDataSource(TDataSource* Value);
    std::string DataField() const;
    void SetDataField(const std::string& Value);
    TField* Field() const;
    bool ReadOnly() const;
    void SetReadOnly(bool Value);
    // Shows the field's text at once (else only after a double click or Enter).
    bool AutoDisplay() const { return FAutoDisplay; }
    void SetAutoDisplay(bool Value);
    // Loads the field's text.
    void LoadMemo();

    static void Publish(TPublisher<TDBMemo>& p);

protected:
    void Change() override;
    void KeyDown(uint16_t& Key, TShiftState Shift) override;
    void KeyPress(char32_t& Key) override;
    void DoExit() override;
    void DblClick() override;
    void Notification(TComponent* AComponent, TOperation Operation) override;
    void Dispatch(TMessage& Message) override;

private:
    void DataChange(TObject* Sender);
    void EditingChange(TObject* Sender);
    void UpdateData(TObject* Sender);
    std::unique_ptr<TControlFieldLink> FDataLink;
    bool FAutoDisplay = true;
    bool FMemoLoaded = false;
    bool FLoading = false;
};

// ---- Check box ------------------------------------------------------------------------------------
// A Boolean field shows its value (grayed when null). Another field is
// checked when its text matches one of the ";"-separated ValueChecked texts
// (letter case ignored), unchecked for ValueUnchecked, grayed otherwise. A
// Boolean field takes True or False back, another the first text of
// ValueChecked or ValueUnchecked. Showing a record fires no OnClick.
class TDBCheckBox : public TCustomCheckBox {
    TASKMOOR_CLASS(TDBCheckBox, TCustomCheckBox)
public:
    explicit TDBCheckBox(TComponent* AOwner);
    ~TDBCheckBox() override;

    TDataSource* DataSource() const;
    void SetDataSource(TDataSource* Value);
    std::string DataField() const;
    void SetDataField(const std::string& Value);
    TField* Field() const;
    bool ReadOnly() const;
    void SetReadOnly(bool Value);
    std::string ValueChecked() const { return FValueCheck; }
    void SetValueChecked(const std::string& Value);
    std::string ValueUnchecked() const { return FValueUncheck; }
    void SetValueUnchecked(const std::string& Value);

    static void Publish(TPublisher<TDBCheckBox>& p);

protected:
    void Toggle() override;
    void KeyPress(char32_t& Key) override;
    void DoExit() override;
    // A copy painted for another record (csPaintCopy) shows that record's state.
    void PaintOverWidget(TCanvas* Canvas) override;
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    TCheckBoxState GetFieldState() const;
    void DataChange(TObject* Sender);
    void UpdateData(TObject* Sender);
    std::unique_ptr<TControlFieldLink> FDataLink;
    std::string FValueCheck = "True";
    std::string FValueUncheck = "False";
};

// ---- Navigator ---------------------------------------------------------------------------------------
TASKMOOR_ENUM(TNavigateBtn, nbFirst, nbPrior, nbNext, nbLast, nbInsert, nbDelete, nbEdit, nbPost, nbCancel,
              nbRefresh)
using TButtonSet = TSet<TNavigateBtn>;
// (Sender, Button)
using ENavClick = TEvent<TObject*, TNavigateBtn>;

class TDBNavigator;
class TNavDataLink;

// One button of a navigator.
class TNavButton : public TSpeedButton {
    TASKMOOR_CLASS(TNavButton, TSpeedButton)
public:
    explicit TNavButton(TComponent* AOwner);
    ~TNavButton() override;
    TNavigateBtn Index() const { return FIndex; }
    // Held down, the prior and next buttons repeat their click: first after
    // 400 ms, then every 100 ms.
    bool RepeatClicks() const { return FRepeat; }

protected:
    friend class TDBNavigator;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void Paint() override;

private:
    void TimerExpired(TObject* Sender);
    TNavigateBtn FIndex = nbFirst;
    bool FRepeat = false;
    class TTimer* FRepeatTimer = nullptr;
};

// Buttons that move through a dataset and edit it. Each button's action
// runs through BtnClick (BeforeAction first), then OnClick fires with the
// button. Buttons are enabled by the dataset's state: first and prior when
// not at the start, next and last when not at the end, insert when the
// dataset can be modified, delete when it can and is not empty, edit when it
// can and is not being edited, post and cancel while editing, refresh while
// open. Delete asks "Delete record?" first when ConfirmDelete.
class TDBNavigator : public TCustomPanel {
    TASKMOOR_CLASS(TDBNavigator, TCustomPanel)
public:
    explicit TDBNavigator(TComponent* AOwner);
    ~TDBNavigator() override;

    TDataSource* DataSource() const;
    void SetDataSource(TDataSource* Value);
    TButtonSet VisibleButtons() const { return FVisibleButtons; }
    void SetVisibleButtons(TButtonSet Value);
    // One line per button in order (first .. refresh); missing or empty lines
    // keep the default hint.
    TStrings* Hints() const { return FHints.get(); }
    void SetHints(TStrings* Value);
    bool ConfirmDelete() const { return FConfirmDelete; }
    void SetConfirmDelete(bool Value) { FConfirmDelete = Value; }
    bool Flat() const { return FFlat; }
    void SetFlat(bool Value);
    // The button of a kind (hidden ones too).
    TNavButton* Buttons(TNavigateBtn Index) const { return FButtons[Index]; }
    // Runs a button's action as a click on it does (also for a hidden or
    // disabled button), then OnClick.
    void BtnClick(TNavigateBtn Index);

    ENavClick BeforeAction() const { return FBeforeAction; }
    void SetBeforeAction(ENavClick Value) { FBeforeAction = Value; }
    // OnClick of the navigator: (Sender, Button).
    ENavClick OnClick() const { return FOnNavClick; }
    void SetOnClick(ENavClick Value) { FOnNavClick = Value; }

    void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;
    static void Publish(TPublisher<TDBNavigator>& p);

    // The default hint of a button ("First record", ...).
    static std::string DefaultHint(TNavigateBtn Index);

protected:
    friend class TNavDataLink;
    friend class TNavButton;
    void Notification(TComponent* AComponent, TOperation Operation) override;
    void BiDiModeChanged() override;
    void Loaded() override;
    // Enables the buttons for the dataset's state.
    void DataChanged();
    void EditingChanged();
    void ActiveChanged();

private:
    void ButtonClicked(TObject* Sender);
    void HintsChanged(TObject* Sender);
    void LayoutButtons(int Width, int Height);
    std::unique_ptr<TNavDataLink> FDataLink;
    TNavButton* FButtons[10] = {};
    TButtonSet FVisibleButtons{nbFirst,  nbPrior, nbNext, nbLast,   nbInsert,
                               nbDelete, nbEdit,  nbPost, nbCancel, nbRefresh};
    std::unique_ptr<TStringList> FHints;
    bool FConfirmDelete = true;
    bool FFlat = false;
    ENavClick FBeforeAction, FOnNavClick;
};
