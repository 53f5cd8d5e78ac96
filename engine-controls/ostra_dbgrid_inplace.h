// The engine grid's cell editor with its drop-downs.
//
// TOstraDBGridInplaceEdit edits a cell as text and, per column button
// style, shows a button at the cell's right edge: a pick list (cbsCombo), a
// lookup list (cbsLookup), a month calendar (cbsCalendar) or an ellipsis
// that fires the grid's OnEditButtonClick (cbsEllipsis). The drop-downs are
// made on first need, float in top-most windows of their own, never keep
// the focus, and are reused for the editor's whole life.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "engine-controls/ostra_calendar.h"
#include "platform/ui/dblookup.h"
#include "platform/ui/grids.h"
#include "platform/ui/stdctrls.h"

class TDataSource;
class TOstraColumn;
class TOstraCustomDBGrid;
class TOstraDBGridInplaceEdit;

// ---- Pick list ------------------------------------------------------------------------------------
// Typing selects the first item that begins with the text typed so far (at
// most 32 characters); a pause of more than 5 seconds between two
// characters starts a new search; Backspace and Escape empty it.
class TPopupListbox : public TCustomListBox {
    TASKMOOR_CLASS(TPopupListbox, TCustomListBox)
public:
    static constexpr size_t SearchMaxLength = 32;
    static constexpr uint32_t SearchResetMs = 5000;

    explicit TPopupListbox(TComponent* AOwner);

    const std::string& SearchText() const { return FSearchText; }
    uint32_t SearchTickCount() const { return FSearchTickCount; }

protected:
    void CreateParams(TCreateParams& Params) override;
    void KeyPress(char32_t& Key) override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseMove(TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void WMSetFocus(TMessage& Message) override;

public:
    void Dispatch(TMessage& Message) override;

private:
    std::string FSearchText;
    uint32_t FSearchTickCount = 0;
};

// ---- Calendar -------------------------------------------------------------------------------------
// A pick of a day (or the today line) closes the drop-down taking the date.
class TOstraPopupCalendar : public TOstraCalendar {
    TASKMOOR_CLASS(TOstraPopupCalendar, TOstraCalendar)
public:
    explicit TOstraPopupCalendar(TComponent* AOwner);

protected:
    void CreateParams(TCreateParams& Params) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void WMSetFocus(TMessage& Message) override;

public:
    void Dispatch(TMessage& Message) override;
};

// ---- Lookup list ----------------------------------------------------------------------------------
class TOstraGridPopupDataList : public TPopupDataList {
    TASKMOOR_CLASS(TOstraGridPopupDataList, TPopupDataList)
public:
    explicit TOstraGridPopupDataList(TComponent* AOwner);

protected:
    void CreateParams(TCreateParams& Params) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void WMSetFocus(TMessage& Message) override;

public:
    void Dispatch(TMessage& Message) override;
};

// ---- The editor -----------------------------------------------------------------------------------
class TOstraDBGridInplaceEdit : public TInplaceEdit {
    TASKMOOR_CLASS(TOstraDBGridInplaceEdit, TInplaceEdit)
public:
    // 0 no button, 1 ellipsis, 2 pick list, 3 lookup list, 4 calendar.
    enum TEditStyle : uint8_t {
        esSimple = 0,
        esEllipsis = 1,
        esPickList = 2,
        esDataList = 3,
        esCalendar = 4
    };

    explicit TOstraDBGridInplaceEdit(TComponent* AOwner);
    ~TOstraDBGridInplaceEdit() override;

    int ButtonWidth() const { return FButtonWidth; }
    TEditStyle EditStyle() const { return FEditStyle; }
    bool ListVisible() const { return FListVisible; }
    // The drop-downs (nullptr until first needed).
    TPopupListbox* PickList() const { return FPickList; }
    TOstraGridPopupDataList* DataList() const { return FDataList; }
    TOstraPopupCalendar* Calendar() const { return FCalendar; }
    TWinControl* ActiveList() const { return FActiveList; }
    // The button at the right edge (left for right-to-left grids).
    TRect ButtonRect() const;

    void DropDown();
    void CloseUp(bool Accept);

    // The drop-downs' mouse-up rule: a left release closes, accepting
    // inside the drop-down's client area.
    void ListMouseUp(TWinControl* List, TMouseButton Button, int X, int Y);
    // After a drop-down closed from inside itself (a click on an item or a
    // day): a window manager may have given its window the keyboard; the
    // keyboard comes back to the editor, or to the grid when the editor is
    // hidden.
    void TakeKeyboardBack();
    // A drop-down got the activation or the focus: the editor takes it back.
    void DropDownActivated();

    void Dispatch(TMessage& Message) override;

protected:
    void WndProc(TMessage& Message) override;
    void UpdateContents() override;
    // A date cell too narrow for its date beside the button: the editor
    // reaches right, within the grid.
    TRect BoundsOverCell(const TRect& Cell) const override;
    void BoundsChanged() override;
    // An open drop-down closes first: its window goes with the editor's.
    void FollowGridDirection() override;
    void KeyDown(uint16_t& Key, TShiftState Shift) override;
    void KeyPress(char32_t& Key) override;
    void KeyUp(uint16_t& Key, TShiftState Shift) override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseMove(TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void WMPaint(TMessage& Message) override;
    void WMKillFocus(TMessage& Message) override;

private:
    TOstraCustomDBGrid* DBGrid() const;
    TOstraColumn* CurrentColumn() const;
    void SetEditStyle(TEditStyle Value);
    // Consumes the key when it is a drop-down key; fires OnSpecialKeyDown.
    bool DoDropDownKeys(uint16_t& Key, TShiftState Shift);
    void PlaceList(TWinControl* List);
    void PaintButton(TCanvas* Canvas);
    void TrackButton(int X, int Y);
    void StopTracking();
    void ForwardMouse(unsigned Msg, int X, int Y);
    void FocusCheck();

    int FButtonWidth = 0;
    TOstraGridPopupDataList* FDataList = nullptr;
    TPopupListbox* FPickList = nullptr;
    TOstraPopupCalendar* FCalendar = nullptr;
    TWinControl* FActiveList = nullptr;
    TEditStyle FEditStyle = esSimple;
    bool FListVisible = false;
    TDataSource* FLookupSource = nullptr;
    bool FTracking = false;
    bool FPressed = false;
    bool FFocusCheckPosted = false;
    bool FDropDownActivated = false;
    bool FCursorHand = false;
    bool FForwardingMouse = false;
};
