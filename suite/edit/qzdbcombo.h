// The drop-down edit base: a data-aware edit with a button at its right edge
// that opens something (a list, a calendar, a dialog) that the descendants
// provide.
//
// The button (TqzComboDlgButton, or a descendant's own through CreateButton)
// sits on a small window (TBtnWinControl) at the right edge; ButtonStyle draws an ellipsis, a drop-down arrow or only
// the glyph. The drop-down opens and closes by the button, F4, Alt+Up and
// Alt+Down; Enter closes it accepting, Escape discarding; a list-only edit
// opens on any click. A descendant that shows a window calls
// WatchDropDown: a mouse press anywhere else then closes it accepting.
#pragma once

#include <memory>
#include <vector>

#include "suite/edit/qzcombobutton.h"
#include "suite/edit/qzdbedit.h"

class TqzDBCustomCombo;

// The button effects of the suite's edits with a button: Refresh shows a
// change on the owning edit.
class TqzComboButtonEffects : public TqzButtonEffects {
    TASKMOOR_CLASS(TqzComboButtonEffects, TqzButtonEffects)
public:
    using TqzButtonEffects::TqzButtonEffects;
    void Refresh() override;
    // Called by Refresh (the owning edit's part).
    TNotifyEvent OnRefresh() const { return FOnRefresh; }
    void SetOnRefresh(TNotifyEvent Value) { FOnRefresh = Value; }

private:
    TNotifyEvent FOnRefresh;
};

// The window carrying the button.
class TBtnWinControl : public TWinControl {
    TASKMOOR_CLASS(TBtnWinControl, TWinControl)
public:
    TBtnWinControl(TComponent* AOwner, TqzDBCustomEdit* Edit);
    TqzDBCustomEdit* Edit() const { return FEdit; }
    void Dispatch(TMessage& Message) override;

protected:
    void PaintWindow(TCanvas* Canvas) override;

private:
    TqzDBCustomEdit* FEdit;
};

class TqzComboDlgButton : public TqzComboButton {
    TASKMOOR_CLASS(TqzComboDlgButton, TqzComboButton)
public:
    TqzComboDlgButton(TComponent* AOwner, TqzDBCustomCombo* Combo);
    bool IsVistaComboStyle() override;
    bool UseRightDropDownPart() override;
    bool IsParentHot() override;
    bool IsParentDroppedDown() override;

protected:
    void Paint() override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;

private:
    TqzDBCustomCombo* FCombo;
};

class TqzDBCustomCombo : public TqzDBCustomEdit {
    TASKMOOR_CLASS(TqzDBCustomCombo, TqzDBCustomEdit)
public:
    explicit TqzDBCustomCombo(TComponent* AOwner);
    ~TqzDBCustomCombo() override;

    TqzComboButtonStyle ButtonStyle() const { return FButtonStyle; }
    void SetButtonStyle(TqzComboButtonStyle Value);
    TBitmap* ButtonGlyph() const { return FButton->Glyph(); }
    void SetButtonGlyph(TBitmap* Value);
    // 0: as wide as the system's vertical scroll bar, at least 15.
    int ButtonWidth() const { return FButtonWidth; }
    void SetButtonWidth(int Value);
    TqzComboButtonEffects* ButtonEffects() const { return FButtonEffects.get(); }
    void SetButtonEffects(TqzComboButtonEffects* Value) { FButtonEffects->Assign(Value); }
    bool LimitEditRect() const { return FLimitEditRect; }
    void SetLimitEditRect(bool Value);
    TqzComboButton* Button() const { return FButton; }
    TBtnWinControl* ButtonHost() const { return FBtnControl; }
    bool RepaintGuard() const { return FRepaintGuard; }
    // The mouse was over the button when it last painted.
    bool MouseOverButton() const { return FMouseOverButton; }
    void SetMouseOverButton(bool Value) { FMouseOverButton = Value; }

    virtual bool IsCustomButton() { return FButtonStyle == cbsCustom; }
    virtual void DrawButton(TCanvas* Canvas, const TRect& Rect, bool Pressed, unsigned Flags);
    virtual void CloseUp(bool Accept);
    virtual bool IsEditableStyle() { return !FDropDownList; }
    virtual void DropDown();

    bool GetShowButton() override;
    void SetShowButton(bool Value) override;
    bool IsDroppedDown() override { return FDroppedDown; }
    bool IsEditPainted() override;
    bool IsVistaComboStyle() override;
    TRect GetEditRect() override;
    void SetEditRect() override;
    void Dispatch(TMessage& Message) override;

    // Places the button window at the right edge.
    void SetButtonPosition();
    // Loads the arrow glyph for flat or transparent effects.
    void ReloadGlyph();
    // The button's press (also used by the button window's press).
    void ButtonPress();

    static void Publish(TPublisher<TqzDBCustomCombo>& p);

protected:
    void CreateParams(TCreateParams& Params) override;
    void KeyDown(uint16_t& Key, TShiftState Shift) override;
    void KeyPress(char32_t& Key) override;
    void CNKeyDown(TMessage& Message) override;
    void WMGetDlgCode(TMessage& Message) override;
    void DoEnter() override;
    void CMExit(TMessage& Message) override;
    void Loaded() override;
    void BoundsChanged() override;
    // A mouse press elsewhere posts CM_CANCELMODE while the drop-down shows
    // (Inside: the descendant's own windows).
    void WatchDropDown(const std::vector<TControl*>& Inside);
    void StopWatchingDropDown();
    // List only: the text is not typed but chosen.
    bool DropDownList() const { return FDropDownList; }
    void SetDropDownList(bool Value) { FDropDownList = Value; }
    TNotifyEvent OnDropDownEvent() const { return FOnDropDown; }
    void SetOnDropDownEvent(TNotifyEvent Value) { FOnDropDown = Value; }
    bool EditOnDropDown() const { return FEditOnDropDown; }
    void SetEditOnDropDown(bool Value) { FEditOnDropDown = Value; }
    void SetDroppedDown(bool Value) { FDroppedDown = Value; }
    // Makes the drop-down button; a descendant with a button of its own
    // overrides it and calls RecreateButton from its constructor.
    virtual TqzComboButton* CreateButton();
    void RecreateButton();

private:
    void ButtonClick(TObject* Sender);
    void EffectsRefresh(TObject* Sender);
    void ListClick(TMessage& Message);
    int AutoButtonWidth() const;

    TBtnWinControl* FBtnControl = nullptr;
    TqzComboButton* FButton = nullptr;
    TNotifyEvent FOnDropDown;
    bool FDropDownList = false;
    TqzComboButtonStyle FButtonStyle = cbsEllipsis;
    bool FDroppedDown = false;
    bool FMouseOverButton = false;
    bool FLimitEditRect = false;
    std::unique_ptr<TqzComboButtonEffects> FButtonEffects;
    int FButtonWidth = 0;
    bool FRepaintGuard = false;
    bool FEditOnDropDown = true;
};
