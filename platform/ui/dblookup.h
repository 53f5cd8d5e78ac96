// The data-aware lookup list: a pop-up list of the records of a list
// source's dataset, used as the drop-down of lookup editors.
//
// TPopupDataList shows, one row per record, the ListField fields (";"
// separated; the KeyField alone when empty) of the records its data link
// buffers (RowCount rows, so the list costs the same over any number of
// records). KeyValue is the value of KeyField of the chosen record: setting
// it moves the dataset to that record (Locate) and highlights its row; a
// click, the arrow and page keys, the wheel and typing choose another.
// Typing searches incrementally: the characters typed within a short pause
// of each other select the first record whose ListFieldIndex field begins
// with them (letter case ignored; string fields only). The window is a
// bordered, top-most tool window without a parent window, placed in screen
// coordinates and shown without taking the focus.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/core/variant.h"
#include "platform/ui/controls.h"

class TDataSet;
class TDataSource;
class TField;
class TDataLink;
class TListSourceLink;

class TPopupDataList : public TCustomControl {
    TASKMOOR_CLASS(TPopupDataList, TCustomControl)
public:
    explicit TPopupDataList(TComponent* AOwner);
    ~TPopupDataList() override;

    // ---- The list
    TDataSource* ListSource() const;
    // Raises the dataset's "Field '%s' not found" when the open dataset
    // lacks KeyField or a ListField.
    void SetListSource(TDataSource* Value);
    const std::string& KeyField() const { return FKeyFieldName; }
    void SetKeyField(const std::string& Value);
    const std::string& ListField() const { return FListFieldName; }
    void SetListField(const std::string& Value);
    // Which of the list fields is searched and gives SelectedItem.
    int ListFieldIndex() const { return FListFieldIndex; }
    void SetListFieldIndex(int Value);
    // The list source's dataset is open and the fields are there.
    bool ListActive() const;
    TField* KeyFieldObject() const { return FKeyField; }
    const std::vector<TField*>& ListFields() const { return FListFields; }
    TDataLink* ListLink() const;

    // ---- The choice
    const Variant& KeyValue() const { return FKeyValue; }
    void SetKeyValue(const Variant& Value);
    // The ListFieldIndex field's text of the chosen record ("" when none).
    std::string SelectedItem() const;
    // The row of the chosen record among those shown; -1 when it shows not.
    int SelectedRow() const { return FSelectedRow; }
    const std::string& SearchText() const { return FSearchText; }
    void SetSearchText(const std::string& Value) { FSearchText = Value; }

    // ---- Look
    // Rows shown; the height follows.
    int RowCount() const { return FRowCount; }
    void SetRowCount(int Value);
    int ItemHeight() const;
    // The row at a client point (-1 above, the shown rows' count below).
    int RowAt(int Y) const;

    void Dispatch(TMessage& Message) override;
    static void Publish(TPublisher<TPopupDataList>& p);

protected:
    friend class TListSourceLink;

    // Chooses the record: KeyValue becomes Value (the dataset does not move).
    virtual void SelectKeyValue(const Variant& Value);
    // Incremental search with a typed character (Backspace and Escape clear it).
    virtual void ProcessSearchKey(char32_t Key);
    // Link reactions.
    virtual void ListLinkActiveChanged();
    virtual void ListLinkDataChanged();

    void Paint() override;
    void KeyDown(uint16_t& Key, TShiftState Shift) override;
    void KeyPress(char32_t& Key) override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseMove(TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    bool DoMouseWheelDown(TShiftState Shift, TPoint MousePos) override;
    bool DoMouseWheelUp(TShiftState Shift, TPoint MousePos) override;
    void CreateParams(TCreateParams& Params) override;
    void CreateWnd() override;
    void FontChanged(TObject* Sender) override;
    void Notification(TComponent* AComponent, TOperation Operation) override;
    void WMGetDlgCode(TMessage& Message) override;
    virtual void WMVScroll(TMessage& Message);

private:
    // Finds the fields; false (and no fields) when they are not all there,
    // raising instead when Raise.
    bool BindFields(bool Raise);
    void UpdateSelection();
    void UpdateScrollBar();
    void SelectRow(int Row);
    void MoveAndSelect(int Distance);
    void AdjustHeight();
    TDataSet* DataSet() const;

    std::unique_ptr<TListSourceLink> FListLink;
    std::string FKeyFieldName;
    std::string FListFieldName;
    int FListFieldIndex = 0;
    TField* FKeyField = nullptr;
    std::vector<TField*> FListFields;
    Variant FKeyValue;
    int FSelectedRow = -1;
    int FRowCount = 7;
    std::string FSearchText;
    uint32_t FSearchTickCount = 0;
    bool FTracking = false;
    bool FLockPosition = false;
};
