// The spin button and the data-aware spin edit.
//
// TqzTimerSpeedButton repeats its click while held: the first repeat 400 ms
// after the press, then every 100 ms. TqzSpinButton is a window with an up
// and a down such button. TqzDBSpinEdit steps a number by Increment within
// MinValue and MaxValue, or the date or time part under the caret of a date,
// time or date-time value, by its buttons and the Up and Down keys.
#pragma once

#include <memory>

#include "platform/ui/timer.h"
#include "suite/edit/qzcombobutton.h"
#include "suite/edit/qzdbcombo.h"
#include "suite/edit/qzdbedit.h"

TASKMOOR_ENUM(TTimeBtnStateElement, tbFocusRect, tbAllowTimer)
using TTimeBtnState = TSet<TTimeBtnStateElement>;

class TqzTimerSpeedButton : public TqzSpinControlButton {
    TASKMOOR_CLASS(TqzTimerSpeedButton, TqzSpinControlButton)
public:
    using TqzSpinControlButton::TqzSpinControlButton;
    ~TqzTimerSpeedButton() override;
    TTimeBtnState TimeBtnState() const { return FTimeBtnState; }
    void SetTimeBtnState(TTimeBtnState Value) { FTimeBtnState = Value; }
    TTimer* RepeatTimer() const { return FRepeatTimer; }
    bool MouseInside() const { return FMouseInside; }
    void ResetMouseInside() { FMouseInside = false; }

protected:
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseMove(TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void Paint() override;

private:
    void TimerExpired(TObject* Sender);
    TTimer* FRepeatTimer = nullptr;
    TTimeBtnState FTimeBtnState;
    bool FMouseInside = false;
};

class TqzSpinButton : public TWinControl {
    TASKMOOR_CLASS(TqzSpinButton, TWinControl)
public:
    explicit TqzSpinButton(TComponent* AOwner);
    TqzTimerSpeedButton* UpButton() const { return FUpButton; }
    TqzTimerSpeedButton* DownButton() const { return FDownButton; }
    TNotifyEvent OnUpClick() const { return FOnUpClick; }
    void SetOnUpClick(TNotifyEvent Value) { FOnUpClick = Value; }
    TNotifyEvent OnDownClick() const { return FOnDownClick; }
    void SetOnDownClick(TNotifyEvent Value) { FOnDownClick = Value; }
    bool Flat() const { return FUpButton->Flat(); }
    void SetFlat(bool Value);
    void Dispatch(TMessage& Message) override;

protected:
    void BoundsChanged() override;
    void Loaded() override;
    void PaintWindow(TCanvas* Canvas) override;

private:
    void BtnClick(TObject* Sender);
    void AdjustSize();
    TqzTimerSpeedButton* FUpButton;
    TqzTimerSpeedButton* FDownButton;
    TNotifyEvent FOnUpClick, FOnDownClick;
};

class TqzDBSpinEdit : public TqzDBCustomEdit {
    TASKMOOR_CLASS(TqzDBSpinEdit, TqzDBCustomEdit)
public:
    explicit TqzDBSpinEdit(TComponent* AOwner);
    ~TqzDBSpinEdit() override;

    double MinValue() const { return FMinValue; }
    void SetMinValue(double Value) { FMinValue = Value; }
    double MaxValue() const { return FMaxValue; }
    void SetMaxValue(double Value) { FMaxValue = Value; }
    double Increment() const { return FIncrement; }
    void SetIncrement(double Value) { FIncrement = Value; }
    bool EditorEnabled() const { return FEditorEnabled; }
    void SetEditorEnabled(bool Value) { FEditorEnabled = Value; }
    bool LimitEditRect() const { return FLimitEditRect; }
    void SetLimitEditRect(bool Value);
    TqzComboButtonEffects* ButtonEffects() const { return FButtonEffects.get(); }
    void SetButtonEffects(TqzComboButtonEffects* Value) { FButtonEffects->Assign(Value); }
    TqzSpinButton* SpinButton() const { return FButton; }
    TNotifyEvent BeforeUpClick() const { return FBeforeUpClick; }
    void SetBeforeUpClick(TNotifyEvent Value) { FBeforeUpClick = Value; }
    TNotifyEvent BeforeDownClick() const { return FBeforeDownClick; }
    void SetBeforeDownClick(TNotifyEvent Value) { FBeforeDownClick = Value; }
    TNotifyEvent AfterUpClick() const { return FAfterUpClick; }
    void SetAfterUpClick(TNotifyEvent Value) { FAfterUpClick = Value; }
    TNotifyEvent AfterDownClick() const { return FAfterDownClick; }
    void SetAfterDownClick(TNotifyEvent Value) { FAfterDownClick = Value; }

    // The number (or date-time) the text shows; MinValue when it shows none.
    double Value();
    // Shows the value clamped.
    void SetValue(double NewValue);
    // Within the bounds: nothing when both are 0; no upper bound when
    // MinValue is above MaxValue; never below MinValue.
    double CheckValue(double NewValue) const;

    virtual void UpClick(TObject* Sender);
    virtual void DownClick(TObject* Sender);
    virtual bool IsValidChar(char32_t Key);

    bool GetShowButton() override { return FButton->Visible(); }
    void SetEditRect() override;
    TRect GetEditRect() override;
    void Dispatch(TMessage& Message) override;
    static void Publish(TPublisher<TqzDBSpinEdit>& p);

protected:
    void CreateParams(TCreateParams& Params) override;
    void KeyDown(uint16_t& Key, TShiftState Shift) override;
    void KeyPress(char32_t& Key) override;
    void CMExit(TMessage& Message) override;
    void DoEnter() override;
    void Loaded() override;
    void BoundsChanged() override;

private:
    // One step up (Sign 1) or down (-1).
    void Step(int Sign);
    // The date or time step; False when the result leaves the calendar.
    bool StepDateTime(int Sign);
    void PlaceButton();
    bool InQzCustomGrid() const;

    double FMinValue = 0;
    double FMaxValue = 0;
    double FIncrement = 1.0;
    TqzSpinButton* FButton = nullptr;
    bool FEditorEnabled = true;
    std::unique_ptr<TqzComboButtonEffects> FButtonEffects;
    bool FLimitEditRect = false;
    TNotifyEvent FBeforeUpClick, FBeforeDownClick, FAfterUpClick, FAfterDownClick;
};
