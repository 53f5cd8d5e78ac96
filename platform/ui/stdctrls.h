// The standard controls: labels, edits and memos, push buttons and check
// boxes, list boxes and combo boxes.
//
// The windowed ones wrap a ready-made toolkit widget (a line edit, a plain
// text editor, a push button, a list, a combo), made when the window is
// first needed. Their properties live in the control as well, so they can be
// set before the window exists and survive its re-creation. Input reaches
// the widget through the control's messages (controls.h): a descendant sees
// every key and mouse message first and may swallow it.
//
// Text is UTF-8. Positions in an edit's text (SelStart, SelLength) and
// MaxLength count bytes, like the string routines; a position is never
// inside a multi-byte character (it is moved back to the character's start).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/core/strings.h"
#include "platform/db/dbtypes.h"  // TAlignment
#include "platform/ui/controls.h"

TASKMOOR_ENUM(TTextLayout, tlTop, tlCenter, tlBottom)
TASKMOOR_ENUM(TEditCharCase, ecNormal, ecUpperCase, ecLowerCase)
TASKMOOR_ENUM(TScrollStyle, ssNone, ssHorizontal, ssVertical, ssBoth)
TASKMOOR_ENUM(TCheckBoxState, cbUnchecked, cbChecked, cbGrayed)
// The owner-draw styles are list-only, drawn by the control that owns the list.
TASKMOOR_ENUM(TComboBoxStyle, csDropDown, csSimple, csDropDownList, csOwnerDrawFixed, csOwnerDrawVariable)
// Standard rows, or rows drawn by DrawItem (OnDrawItem) of one height or of
// heights asked of MeasureItem (OnMeasureItem).
TASKMOOR_ENUM(TListBoxStyle, lbStandard, lbOwnerDrawFixed, lbOwnerDrawVariable)
TASKMOOR_ENUM(TOwnerDrawStateElement, odSelected, odGrayed, odDisabled, odChecked, odFocused, odDefault,
              odComboBoxEdit)
using TOwnerDrawState = TSet<TOwnerDrawStateElement>;
// (Control, Index, Rect, State): draw row Index into Rect on the control's canvas.
using TDrawItemEvent = TEvent<TWinControl*, int, TRect, TOwnerDrawState>;
// (Control, Index, Height): the height of row Index (starts as ItemHeight).
using TMeasureItemEvent = TEvent<TWinControl*, int, int&>;

class TEditAdapter;   // the toolkit side of an edit or memo
class TEditHistory;   // its undo steps
class TListAdapter;   // the toolkit side of a list box
class TComboAdapter;  // the toolkit side of a combo box

// ---- Label ------------------------------------------------------------------------------
// A caption drawn on the parent's window. "&x" underlines x (ShowAccelChar);
// Alt+x then focuses FocusControl. AutoSize fits the bounds to the text.
class TCustomLabel : public TGraphicControl {
    TASKMOOR_CLASS(TCustomLabel, TGraphicControl)
public:
    explicit TCustomLabel(TComponent* AOwner);

    // The alignment as drawn: Alignment, mirrored right to left.
    TAlignment DrawnAlignment() const;
    TAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TAlignment Value);
    bool AutoSize() const { return FAutoSize; }
    void SetAutoSize(bool Value);
    TTextLayout Layout() const { return FLayout; }
    void SetLayout(TTextLayout Value);
    bool WordWrap() const { return FWordWrap; }
    void SetWordWrap(bool Value);
    bool Transparent() const { return FTransparent; }
    void SetTransparent(bool Value);
    bool ShowAccelChar() const { return FShowAccelChar; }
    void SetShowAccelChar(bool Value);
    TWinControl* FocusControl() const { return FFocusControl; }
    void SetFocusControl(TWinControl* Value);

    void Dispatch(TMessage& Message) override;
    static void Publish(TPublisher<TCustomLabel>& p);

protected:
    // The text drawn: the caption (descendants show a field's text).
    virtual std::string GetLabelText() const { return Caption(); }
    // Draws the text in Rect with DrawText flags (DT_CALCRECT measures).
    virtual void DoDrawText(TRect& Rect, unsigned Flags);
    void Paint() override;
    // Fits the bounds to the text (when AutoSize).
    virtual void AdjustBounds();
    void Notification(TComponent* AComponent, TOperation Operation) override;
    void Loaded() override;
    void FontChanged(TObject* Sender) override;

private:
    void CMTextChangedLabel();
    void CMDialogCharLabel(TMessage& Message);

    TAlignment FAlignment = taLeftJustify;
    bool FAutoSize = true;
    TTextLayout FLayout = tlTop;
    bool FWordWrap = false;
    bool FTransparent = false;
    bool FShowAccelChar = true;
    TWinControl* FFocusControl = nullptr;
};

class TLabel : public TCustomLabel {
    TASKMOOR_CLASS(TLabel, TCustomLabel)
public:
    using TCustomLabel::TCustomLabel;
};

// ---- Edit --------------------------------------------------------------------------------
// Edit window styles a descendant may add in CreateParams (they take effect
// when the window is made, so a change needs RecreateWnd): ES_MULTILINE makes
// a multi-line window, word-wrapped unless ES_AUTOHSCROLL (which an edit's
// style has from the start), with a vertical bar for WS_VSCROLL; ES_RIGHT or
// WS_EX_RIGHT aligns the text to the right.
constexpr uint32_t ES_LEFT = 0x0, ES_RIGHT = 0x2, ES_MULTILINE = 0x4, ES_AUTOVSCROLL = 0x40,
                   ES_AUTOHSCROLL = 0x80, ES_WANTRETURN = 0x1000;
constexpr uint32_t WS_EX_RIGHT = 0x1000;

// A one-line text editor. OnChange fires after every change of the text, by
// the user or by code. Setting Text clears Modified; the user's editing sets
// it. MaxLength (bytes, 0: none) and CharCase apply to what the user types
// or pastes.
class TCustomEdit : public TWinControl {
    TASKMOOR_CLASS(TCustomEdit, TWinControl)
public:
    explicit TCustomEdit(TComponent* AOwner);
    ~TCustomEdit() override;

    // ---- Selection (byte positions in the text the window shows: Text,
    // or a masked edit's EditText with its literals)
    int SelStart() const;
    void SetSelStart(int Value);
    int SelLength() const;
    void SetSelLength(int Value);
    std::string SelText() const;
    // Replaces the selection with Value (as typing would, but without the
    // MaxLength and CharCase checks) and puts the caret after it.
    void SetSelText(const std::string& Value);
    void SelectAll();
    void ClearSelection();
    void Clear();

    // ---- Clipboard and undo
    void CopyToClipboard();
    void CutToClipboard();
    void PasteFromClipboard();
    bool CanUndo() const;
    void Undo();
    void ClearUndo();

    // ---- Properties
    int MaxLength() const { return FMaxLength; }
    void SetMaxLength(int Value);
    TEditCharCase CharCase() const { return FCharCase; }
    // Also converts the present text.
    void SetCharCase(TEditCharCase Value);
    // The character shown for each typed one (0: the text shows).
    char32_t PasswordChar() const { return FPasswordChar; }
    void SetPasswordChar(char32_t Value);
    bool Modified() const;
    void SetModified(bool Value);
    bool ReadOnly() const { return FReadOnly; }
    void SetReadOnly(bool Value);
    // Selects all text when the edit is entered by the keyboard.
    bool AutoSelect() const { return FAutoSelect; }
    void SetAutoSelect(bool Value) { FAutoSelect = Value; }
    // Height follows the font.
    bool AutoSize() const { return FAutoSize; }
    void SetAutoSize(bool Value);
    TBorderStyle BorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TBorderStyle Value);
    bool HideSelection() const { return FHideSelection; }
    void SetHideSelection(bool Value);

    TNotifyEvent OnChange() const { return FOnChange; }
    void SetOnChange(TNotifyEvent Value) { FOnChange = Value; }

    void WndProc(TMessage& Message) override;
    void Dispatch(TMessage& Message) override;
    static void Publish(TPublisher<TCustomEdit>& p);

    // The toolkit side; used inside the windowing layer only.
    TEditAdapter* Adapter() const { return FAdapter.get(); }

protected:
    // Fires OnChange.
    virtual void Change();
    void BiDiModeChanged() override;
    void CreateParams(TCreateParams& Params) override;
    void CreateWindowHandle(const TCreateParams& Params) override;
    void DestroyWnd() override;
    // Makes the adapter (and its widget) for the window; a memo makes a
    // multi-line one.
    virtual std::unique_ptr<TEditAdapter> CreateAdapter(const TCreateParams& Params);
    std::string GetText() const override;
    void SetTextValue(const std::string& Value) override;
    void DoEnter() override;
    void FontChanged(TObject* Sender) override;
    void WMChar(TMessage& Message) override;
    void WMGetDlgCode(TMessage& Message) override;
    // The height AutoSize gives for the font.
    int AutoHeight() const;
    void AdjustHeight();

    friend class TEditAdapter;
    // The adapter reports a change of the widget's text.
    void TextChangedByWidget();
    // Takes back the last step of the edit's own undo history.
    void UndoStep();

    std::unique_ptr<TEditAdapter> FAdapter;

private:
    void ApplyToAdapter();
    int FMaxLength = 0;
    TEditCharCase FCharCase = ecNormal;
    char32_t FPasswordChar = 0;
    bool FReadOnly = false;
    bool FAutoSelect = true;
    // The window is multi-line: entering it selects nothing by itself.
    bool FMultiLineWindow = false;
    bool FAutoSize = true;
    bool FHideSelection = true;
    TBorderStyle FBorderStyle = bsSingle;
    // Kept while there is no window.
    bool FModified = false;
    int FSelStart = 0;
    int FSelLength = 0;
    bool FSettingText = false;
    // Shared with a message in progress, which may outlive the edit.
    std::shared_ptr<TEditHistory> FHistory;
    TNotifyEvent FOnChange;
};

class TEdit : public TCustomEdit {
    TASKMOOR_CLASS(TEdit, TCustomEdit)
public:
    using TCustomEdit::TCustomEdit;
};

// ---- Memo --------------------------------------------------------------------------------
// A multi-line edit. Lines and Text are the same content; Text joins the
// lines with "\n".
class TCustomMemo : public TCustomEdit {
    TASKMOOR_CLASS(TCustomMemo, TCustomEdit)
public:
    explicit TCustomMemo(TComponent* AOwner);
    ~TCustomMemo() override;

    TStrings* Lines() const { return FLines.get(); }
    void SetLines(TStrings* Value);
    bool WordWrap() const { return FWordWrap; }
    void SetWordWrap(bool Value);
    TScrollStyle ScrollBars() const { return FScrollBars; }
    void SetScrollBars(TScrollStyle Value);
    // Tab types a tab instead of moving the focus.
    bool WantTabs() const { return FWantTabs; }
    void SetWantTabs(bool Value) { FWantTabs = Value; }
    // Enter types a line break instead of reaching the default button.
    bool WantReturns() const { return FWantReturns; }
    void SetWantReturns(bool Value) { FWantReturns = Value; }
    TAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TAlignment Value);
    // Line and column of the caret (0-based; the column counts bytes).
    TPoint CaretPos() const;

    static void Publish(TPublisher<TCustomMemo>& p);

protected:
    std::unique_ptr<TEditAdapter> CreateAdapter(const TCreateParams& Params) override;
    void WMGetDlgCode(TMessage& Message) override;
    void WMChar(TMessage& Message) override;
    void DoEnter() override;

private:
    std::unique_ptr<TStrings> FLines;
    bool FWordWrap = true;
    TScrollStyle FScrollBars = ssNone;
    bool FWantTabs = false;
    bool FWantReturns = true;
    TAlignment FAlignment = taLeftJustify;
};

class TMemo : public TCustomMemo {
    TASKMOOR_CLASS(TMemo, TCustomMemo)
public:
    using TCustomMemo::TCustomMemo;
};

// ---- Buttons ------------------------------------------------------------------------------
// Base of push buttons and check boxes: a click comes from the widget (a
// mouse click, Space) and runs Click (OnClick).
class TButtonControl : public TWinControl {
    TASKMOOR_CLASS(TButtonControl, TWinControl)
public:
    explicit TButtonControl(TComponent* AOwner);
    ~TButtonControl() override;

    bool WordWrap() const { return FWordWrap; }
    void SetWordWrap(bool Value);
    void Dispatch(TMessage& Message) override;

protected:
    // True while code changes the state: the change fires no click.
    bool ClicksDisabled() const { return FClicksDisabled; }
    void SetClicksDisabled(bool Value) { FClicksDisabled = Value; }
    // The widget reports a click.
    virtual void WidgetClicked();
    friend struct TButtonControlAccess;

private:
    bool FWordWrap = false;
    bool FClicksDisabled = false;
};

// A push button. Its click sets the parent form's ModalResult to its own
// (when not mrNone). The Default button answers Enter and the Cancel button
// Escape anywhere in the form.
class TButton : public TButtonControl {
    TASKMOOR_CLASS(TButton, TButtonControl)
public:
    explicit TButton(TComponent* AOwner);
    ~TButton() override;

    bool Default() const { return FDefault; }
    void SetDefault(bool Value);
    bool Cancel() const { return FCancel; }
    void SetCancel(bool Value) { FCancel = Value; }
    TModalResult ModalResult() const { return FModalResult; }
    void SetModalResult(TModalResult Value) { FModalResult = Value; }
    // Clicks the button as the user would.
    void Click() override;

    static void Publish(TPublisher<TButton>& p);

protected:
    void CreateWindowHandle(const TCreateParams& Params) override;
    void CMDialogKey(TMessage& Message) override;
    void CMDialogChar(TMessage& Message) override;
    void CMFocusChanged(TMessage& Message) override;
    void WidgetClicked() override;
    // Enter clicks it: it has the focus, or it is the Default button and no
    // other button has the focus.
    bool Active() const;

private:
    bool FDefault = false;
    bool FCancel = false;
    bool FActive = false;
    TModalResult FModalResult = 0;
};

// A check box. Setting Checked or State from code fires OnClick too, as a
// click by the user does (unless clicks are disabled).
class TCustomCheckBox : public TButtonControl {
    TASKMOOR_CLASS(TCustomCheckBox, TButtonControl)
public:
    explicit TCustomCheckBox(TComponent* AOwner);
    ~TCustomCheckBox() override;

    bool Checked() const { return FState == cbChecked; }
    void SetChecked(bool Value) { SetState(Value ? cbChecked : cbUnchecked); }
    TCheckBoxState State() const { return FState; }
    void SetState(TCheckBoxState Value);
    bool AllowGrayed() const { return FAllowGrayed; }
    void SetAllowGrayed(bool Value);
    // taRightJustify: the box left of the caption (the default).
    TAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TAlignment Value);

    static void Publish(TPublisher<TCustomCheckBox>& p);

protected:
    // The next state of a click: unchecked, checked, grayed (when allowed).
    virtual void Toggle();
    void BiDiModeChanged() override;
    void CreateWindowHandle(const TCreateParams& Params) override;
    void CMDialogChar(TMessage& Message) override;
    void WidgetClicked() override;

private:
    void ApplyDirection();
    void PushState();
    TCheckBoxState FState = cbUnchecked;
    bool FAllowGrayed = false;
    TAlignment FAlignment = taRightJustify;
};

class TCheckBox : public TCustomCheckBox {
    TASKMOOR_CLASS(TCheckBox, TCustomCheckBox)
public:
    using TCustomCheckBox::TCustomCheckBox;
};

// ---- List box -------------------------------------------------------------------------------
// Items with objects. With MultiSelect several items may be selected
// (ExtendedSelect: Shift and Ctrl clicks, else each click toggles); ItemIndex
// is then the focused item. Sorted keeps the items in order, letter case
// ignored. OnClick fires when the user changes the selection (not when code
// does).
class TCustomListBox : public TWinControl {
    TASKMOOR_CLASS(TCustomListBox, TWinControl)
public:
    explicit TCustomListBox(TComponent* AOwner);
    ~TCustomListBox() override;

    TStrings* Items() const { return FItems.get(); }
    void SetItems(TStrings* Value);
    int Count() const;
    int ItemIndex() const;
    void SetItemIndex(int Value);
    bool MultiSelect() const { return FMultiSelect; }
    void SetMultiSelect(bool Value);
    bool ExtendedSelect() const { return FExtendedSelect; }
    void SetExtendedSelect(bool Value);
    bool Selected(int Index) const;
    void SetSelected(int Index, bool Value);
    int SelCount() const;
    void SelectAll();
    void ClearSelection();
    void Clear();
    bool Sorted() const { return FSorted; }
    void SetSorted(bool Value);
    // Row height in pixels.
    int ItemHeight() const { return FItemHeight; }
    void SetItemHeight(int Value);
    // The height is cut down to whole rows.
    bool IntegralHeight() const { return FIntegralHeight; }
    void SetIntegralHeight(bool Value);
    int TopIndex() const;
    void SetTopIndex(int Value);
    TBorderStyle BorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TBorderStyle Value);
    TListBoxStyle Style() const { return FStyle; }
    void SetStyle(TListBoxStyle Value);
    // The canvas an owner-drawn row is drawn on (set up for the row while
    // DrawItem runs; measures text at any time), in the list's font.
    TCanvas* Canvas() const { return FCanvas.get(); }
    const TDrawItemEvent& OnDrawItem() const { return FOnDrawItem; }
    void SetOnDrawItem(const TDrawItemEvent& Value) { FOnDrawItem = Value; }
    const TMeasureItemEvent& OnMeasureItem() const { return FOnMeasureItem; }
    void SetOnMeasureItem(const TMeasureItemEvent& Value) { FOnMeasureItem = Value; }
    // Owner drawing: OnDrawItem, or the row's text on the highlight or the
    // list's colour. MeasureItem: OnMeasureItem (Height starts as ItemHeight).
    virtual void DrawItem(int Index, const TRect& Rect, TOwnerDrawState State);
    virtual void MeasureItem(int Index, int& Height);

    // The item at a client point: -1 when none (with Existing), else the
    // nearest row (the count past the last).
    int ItemAtPos(const TPoint& Pos, bool Existing) const;
    TRect ItemRect(int Index) const;
    // The client width that shows Text whole in one item, in the list's font.
    int ItemClientWidth(const std::string& Text);
    // Selects the first item (after StartAfter, wrapping) that begins with
    // Prefix, letter case ignored; answers its index or -1.
    int SelectString(const std::string& Prefix, int StartAfter = -1);
    // The index of the first item beginning with Prefix, or -1.
    int FindString(const std::string& Prefix, int StartAfter = -1) const;

    void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;
    void Dispatch(TMessage& Message) override;
    static void Publish(TPublisher<TCustomListBox>& p);

    TListAdapter* Adapter() const { return FAdapter.get(); }

protected:
    void BiDiModeChanged() override;
    void CreateParams(TCreateParams& Params) override;
    void CreateWindowHandle(const TCreateParams& Params) override;
    void DestroyWnd() override;
    void FontChanged(TObject* Sender) override;
    void WMGetDlgCode(TMessage& Message) override;

    friend class TListAdapter;
    friend class TListBoxStrings;
    // The user changed the selection in the widget.
    void SelectionChangedByWidget();
    // Height cut to whole rows when IntegralHeight.
    int IntegralHeightOf(int Height) const;

private:
    std::unique_ptr<TStrings> FItems;
    std::unique_ptr<TListAdapter> FAdapter;
    std::vector<char> FSelected;  // kept while there is no window
    int FItemIndex = -1;
    int FTopIndex = 0;
    bool FMultiSelect = false;
    bool FExtendedSelect = true;
    bool FSorted = false;
    int FItemHeight = 13;
    bool FIntegralHeight = false;
    TBorderStyle FBorderStyle = bsSingle;
    bool FChangingSelection = false;
    TListBoxStyle FStyle = lbStandard;
    std::unique_ptr<TCanvas> FCanvas;
    TDrawItemEvent FOnDrawItem;
    TMeasureItemEvent FOnMeasureItem;
};

class TListBox : public TCustomListBox {
    TASKMOOR_CLASS(TListBox, TCustomListBox)
public:
    using TCustomListBox::TCustomListBox;
};

// ---- Combo box -------------------------------------------------------------------------------
// A drop-down list with (csDropDown, csSimple) or without (csDropDownList)
// an edit. OnChange fires when the text changes by the user (typing or
// choosing an item); OnSelect when the user chooses an item; OnDropDown
// before the list opens and OnCloseUp after it closes. The edit part keeps
// the undo history of an edit: Ctrl+Z takes back a run of typing, a paste,
// cut or clear, or a chosen item; setting the text or the item clears it.
class TCustomComboBox : public TWinControl {
    TASKMOOR_CLASS(TCustomComboBox, TWinControl)
public:
    explicit TCustomComboBox(TComponent* AOwner);
    ~TCustomComboBox() override;

    TStrings* Items() const { return FItems.get(); }
    void SetItems(TStrings* Value);
    int ItemIndex() const;
    void SetItemIndex(int Value);
    TComboBoxStyle Style() const { return FStyle; }
    void SetStyle(TComboBoxStyle Value);
    bool Sorted() const { return FSorted; }
    void SetSorted(bool Value);
    // Rows the open list shows.
    int DropDownCount() const { return FDropDownCount; }
    void SetDropDownCount(int Value);
    bool DroppedDown() const;
    void SetDroppedDown(bool Value);
    int MaxLength() const { return FMaxLength; }
    void SetMaxLength(int Value);
    TEditCharCase CharCase() const { return FCharCase; }
    void SetCharCase(TEditCharCase Value);
    int ItemHeight() const { return FItemHeight; }
    void SetItemHeight(int Value);
    // Selection in the edit part (byte positions).
    int SelStart() const;
    void SetSelStart(int Value);
    int SelLength() const;
    void SetSelLength(int Value);
    std::string SelText() const;
    void SelectAll();
    void Clear();

    TNotifyEvent OnChange() const { return FOnChange; }
    void SetOnChange(TNotifyEvent Value) { FOnChange = Value; }
    TNotifyEvent OnSelect() const { return FOnSelect; }
    void SetOnSelect(TNotifyEvent Value) { FOnSelect = Value; }
    TNotifyEvent OnDropDown() const { return FOnDropDown; }
    void SetOnDropDown(TNotifyEvent Value) { FOnDropDown = Value; }
    TNotifyEvent OnCloseUp() const { return FOnCloseUp; }
    void SetOnCloseUp(TNotifyEvent Value) { FOnCloseUp = Value; }

    void WndProc(TMessage& Message) override;
    void Dispatch(TMessage& Message) override;
    static void Publish(TPublisher<TCustomComboBox>& p);

    TComboAdapter* Adapter() const { return FAdapter.get(); }

protected:
    virtual void Change();
    virtual void Select();
    virtual void DropDown();
    virtual void CloseUp();
    void CreateWindowHandle(const TCreateParams& Params) override;
    void DestroyWnd() override;
    std::string GetText() const override;
    void SetTextValue(const std::string& Value) override;
    void WMGetDlgCode(TMessage& Message) override;
    void WMChar(TMessage& Message) override;
    void FontChanged(TObject* Sender) override;

    friend class TComboAdapter;
    friend class TComboBoxStrings;
    // The user changed the edit part's text.
    void TextEditedByUser();
    // The clipboard, clearing and undo messages of the edit part.
    bool EditCommand(TMessage& Message);
    // Takes back the last step of the edit part's undo history.
    void UndoStep();

private:
    std::unique_ptr<TStrings> FItems;
    std::unique_ptr<TComboAdapter> FAdapter;
    TComboBoxStyle FStyle = csDropDown;
    int FItemIndex = -1;
    bool FSorted = false;
    int FDropDownCount = 8;
    int FMaxLength = 0;
    TEditCharCase FCharCase = ecNormal;
    int FItemHeight = 13;
    int FSelStart = 0;
    int FSelLength = 0;
    // Shared with a message in progress, which may outlive the combo box.
    std::shared_ptr<TEditHistory> FHistory;
    TNotifyEvent FOnChange, FOnSelect, FOnDropDown, FOnCloseUp;
};

class TComboBox : public TCustomComboBox {
    TASKMOOR_CLASS(TComboBox, TCustomComboBox)
public:
    using TCustomComboBox::TCustomComboBox;
};

// ---- Helpers -------------------------------------------------------------------------------
// The accelerator character of a caption ("E&xit" -> 'x'), lower case; 0
// when there is none ("&&" is a plain "&").
char32_t GetHotkey(const std::string& Caption);
// True when Key (any case) is the caption's accelerator.
bool IsAccel(char32_t Key, const std::string& Caption);
// The caption without its "&" markers ("&&" becomes "&").
std::string StripHotkey(const std::string& Caption);
