// A tab control: a row of tabs at the top or the bottom over one display
// area that holds the control's children. Changing the tab changes no child;
// the owner shows what belongs to the new tab in OnChange.
#pragma once

#include <memory>
#include <string>

#include "platform/core/strings.h"
#include "platform/ui/comctrls.h"
#include "platform/ui/controls.h"

TASKMOOR_ENUM(TTabPosition, tpTop, tpBottom)

// The user changes the tab with a click, with the arrow keys while the
// control has the focus, or with a tab's accelerator: OnChanging may refuse,
// then OnChange fires. Setting TabIndex from code fires neither.
class TTabControl : public TCustomControl {
    TASKMOOR_CLASS(TTabControl, TCustomControl)
public:
    explicit TTabControl(TComponent* AOwner);
    ~TTabControl() override;

    TStrings* Tabs() const { return FTabs.get(); }
    int TabIndex() const { return FTabIndex; }
    void SetTabIndex(int Value);
    TTabPosition TabPosition() const { return FTabPosition; }
    void SetTabPosition(TTabPosition Value);
    // The rectangle of tab Index, client coordinates.
    TRect TabRect(int Index) const;
    int IndexOfTabAt(int X, int Y) const;
    // Where the children go.
    TRect DisplayRect() const;
    // Changes the tab as the user does; false when OnChanging refused.
    bool SelectTab(int Index);

    TNotifyEvent OnChange() const { return FOnChange; }
    void SetOnChange(TNotifyEvent Value) { FOnChange = Value; }
    TTabChangingEvent OnChanging() const { return FOnChanging; }
    void SetOnChanging(TTabChangingEvent Value) { FOnChanging = Value; }

    static void Publish(TPublisher<TTabControl>& p);

protected:
    void Paint() override;
    void AdjustClientRect(TRect& Rect) override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void KeyDown(uint16_t& Key, TShiftState Shift) override;
    void CMDialogChar(TMessage& Message) override;
    void WMGetDlgCode(TMessage& Message) override;
    void DoEnter() override;
    void DoExit() override;

private:
    int RowHeight() const;
    void TabsChanged(TObject* Sender);

    std::unique_ptr<TStringList> FTabs;
    int FTabIndex = -1;
    TTabPosition FTabPosition = tpTop;
    TNotifyEvent FOnChange;
    TTabChangingEvent FOnChanging;
};
