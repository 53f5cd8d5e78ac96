// A radio group: a framed box with a caption and one radio button per item,
// laid out in columns; one item at most is chosen (ItemIndex).
#pragma once

#include <memory>
#include <string>

#include "platform/core/strings.h"
#include "platform/ui/controls.h"

// A click on an item, an arrow key while the group has the focus or an item's
// accelerator chooses it and fires OnClick. Setting ItemIndex from code does
// not fire it.
class TRadioGroup : public TCustomControl {
    TASKMOOR_CLASS(TRadioGroup, TCustomControl)
public:
    explicit TRadioGroup(TComponent* AOwner);
    ~TRadioGroup() override;

    TStrings* Items() const { return FItems.get(); }
    int ItemIndex() const { return FItemIndex; }
    void SetItemIndex(int Value);
    int Columns() const { return FColumns; }
    void SetColumns(int Value);
    // Item Index's rectangle (button and text), client coordinates.
    TRect ItemRect(int Index) const;
    int IndexOfItemAt(int X, int Y) const;

    static void Publish(TPublisher<TRadioGroup>& p);

protected:
    void Paint() override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void KeyDown(uint16_t& Key, TShiftState Shift) override;
    void CMDialogChar(TMessage& Message) override;
    void WMGetDlgCode(TMessage& Message) override;
    void DoEnter() override;
    void DoExit() override;

private:
    void ItemsChanged(TObject* Sender);
    void Choose(int Index);

    std::unique_ptr<TStringList> FItems;
    int FItemIndex = -1;
    int FColumns = 1;
};
