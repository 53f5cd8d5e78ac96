// The suite's masked data-aware edits.
//
// TqzCustomMaskEdit adds to the platform's masked edit a picture mask
// (TqzDBPicture), a regular-expression mask (TqzRegexMask), validity colours
// and an edit frame. TqzDBCustomEdit binds it to a field through a field data
// link: it shows the field's text, writes the text back (dates with an epoch
// year, numbers with a display format), validates on write-back and exit,
// paints itself while unfocused, and works as a cell editor inside a grid
// that it knows only by class name ("TCustomGrid", "TqzCustomDBGrid",
// "TqzDBGrid"; the grid's "Options", "EditCalculated" and "OnCalcCellColors"
// are read by property name). TqzDBEdit publishes it.
//
// Typing: picture and regular-expression checks, numeric filtering by
// field type, today's date filled in part by part on Space, the clipboard,
// and keys handed to a hosting grid or dialog. Text lengths (MaxLength, a
// string field's size) count UTF-8 bytes.
#pragma once

#include <array>
#include <memory>
#include <string>

#include "platform/core/component.h"
#include "platform/core/events.h"
#include "platform/ui/grids.h"
#include "platform/ui/mask.h"
#include "suite/base/qzcontroller.h"
#include "suite/base/qzeditframe.h"
#include "suite/base/qztypes.h"

class TDataSource;
class TDataSet;
class TField;
class TFieldDataLink;
class TControlFieldLink;
class TControlCanvas;
class TqzCustomMaskEdit;
class TqzDBCustomEdit;

TASKMOOR_ENUM(TqzEditDataType, qzDefault, qzEdtDate, qzEdtTime, qzEdtDateTime)

// (Sender, Valid): the edit's text was checked against its masks.
using TqzValidateEvent = TEvent<TObject*, bool>;

// (Grid, Field, State, Highlight, Font, Brush): a hosting grid recolours the
// selected-cell look of its editor.
using TqzCalcCellColorsEvent = TEvent<TObject*, TField*, TGridDrawState, bool, TFont*, TBrush*>;

// ---- Regular-expression mask --------------------------------------------------------
class TqzRegexMask : public TPersistent {
    TASKMOOR_CLASS(TqzRegexMask, TPersistent)
public:
    explicit TqzRegexMask(TqzCustomMaskEdit* Owner = nullptr) : FOwner(Owner) {}

    const std::string& Mask() const { return FMask; }
    void SetMask(const std::string& Value) { FMask = Value; }
    bool CaseSensitive() const { return FCaseSensitive; }
    void SetCaseSensitive(bool Value) { FCaseSensitive = Value; }
    bool AllowInvalidExit() const { return FAllowInvalidExit; }
    void SetAllowInvalidExit(bool Value) { FAllowInvalidExit = Value; }
    const std::string& ErrorMessage() const { return FErrorMessage; }
    void SetErrorMessage(const std::string& Value) { FErrorMessage = Value; }
    TqzCustomMaskEdit* Owner() const { return FOwner; }

    // Whether Text matches the whole expression (an empty Mask matches all).
    bool Matches(const std::string& Text) const;
    // From another mask: Mask, CaseSensitive and ErrorMessage.
    void Assign(TPersistent* Source) override;
    static void Publish(TPublisher<TqzRegexMask>& p);

private:
    std::string FMask;
    bool FCaseSensitive = true;
    bool FAllowInvalidExit = false;
    std::string FErrorMessage;
    TqzCustomMaskEdit* FOwner;
};

// ---- Picture mask --------------------------------------------------------------------
// The mask comes from the dataset's "PictureMasks" line of the edit's field
// when PictureMaskFromDataSet is set, the owner is a bound data-aware edit
// and the dataset publishes that list; else the stored values apply.
class TqzDBPicture : public TPersistent {
    TASKMOOR_CLASS(TqzDBPicture, TPersistent)
public:
    explicit TqzDBPicture(TqzCustomMaskEdit* Owner = nullptr) : FOwner(Owner) {}

    bool PictureMaskFromDataSet() const { return FPictureMaskFromDataSet; }
    void SetPictureMaskFromDataSet(bool Value) { FPictureMaskFromDataSet = Value; }
    std::string PictureMask() const;
    // A table that defines its own picture for the field keeps it: a warning
    // box, and the stored mask stays.
    void SetPictureMask(const std::string& Value);
    bool AutoFill() const;
    void SetAutoFill(bool Value);
    bool AllowInvalidExit() const;
    void SetAllowInvalidExit(bool Value);
    TqzCustomMaskEdit* Owner() const { return FOwner; }

    // The picture's values come from the dataset's list now.
    bool FromDataSet() const;
    // Empty text, no mask, or a text the mask accepts (without filling).
    bool IsValid(const std::string& Text) const;
    // Text completed by the mask's literals (with the effective AutoFill).
    std::string ApplyAutoFill(const std::string& Text) const;
    // From another picture: the effective PictureMask and AutoFill.
    void Assign(TPersistent* Source) override;
    static void Publish(TPublisher<TqzDBPicture>& p);

private:
    TDataSet* MaskDataSet() const;
    std::string FieldName() const;
    bool FPictureMaskFromDataSet = true;
    std::string FPictureMask;
    bool FAutoFill = true;
    bool FAllowInvalidExit = false;
    TqzCustomMaskEdit* FOwner;
};

// ---- The masked edit -------------------------------------------------------------------
class TqzCustomMaskEdit : public TCustomMaskEdit {
    TASKMOOR_CLASS(TqzCustomMaskEdit, TCustomMaskEdit)
public:
    explicit TqzCustomMaskEdit(TComponent* AOwner);
    ~TqzCustomMaskEdit() override;

    TqzDBPicture* Picture() const;
    void SetPicture(TqzDBPicture* Value);
    TqzRegexMask* RegexMask() const { return FRegexMask.get(); }
    void SetRegexMask(TqzRegexMask* Value) { FRegexMask->Assign(Value); }
    bool WordWrap() const { return FWordWrap; }
    void SetWordWrap(bool Value);
    bool UsePictureMask() const { return FUsePictureMask; }
    void SetUsePictureMask(bool Value) { FUsePictureMask = Value; }
    bool WantReturns() const { return FWantReturns; }
    void SetWantReturns(bool Value);
    bool ShowVertScrollBar() const { return FShowVertScrollBar; }
    void SetShowVertScrollBar(bool Value);
    TqzEditFrame* Frame() const { return FFrame.get(); }
    void SetFrame(TqzEditFrame* Value) { FFrame->Assign(Value); }
    bool MaskStoreLiteralTemplate() const { return FMaskStoreLiteralTemplate; }
    void SetMaskStoreLiteralTemplate(bool Value) { FMaskStoreLiteralTemplate = Value; }
    TqzController* Controller() const { return FController; }
    void SetController(TqzController* Value);
    const TqzValidateEvent& OnCheckValue() const { return FOnCheckValue; }
    void SetOnCheckValue(const TqzValidateEvent& Value) { FOnCheckValue = Value; }

    // The last exit validation failed.
    bool InvalidOnExit() const { return FInvalidOnExit; }
    // UsePictureMask and a non-empty effective picture mask.
    bool IsPictureMaskActive() const;
    bool IsRegexMaskActive() const { return !FRegexMask->Mask().empty(); }
    // The window is multi-line (no border, or WordWrap).
    bool IsMultiLine() const;

    virtual bool IsOwnerDrawStyle() { return false; }
    virtual bool IsCustomDrawn() { return false; }
    // The text rectangle inside the client area, set without repainting.
    virtual void SetEditRect();
    virtual void DoCheckValue(bool Valid);
    virtual void ShowValidationError(const std::string& Message);
    virtual void UpdateValidityColors(bool Valid);
    virtual void SetValidityColors(TColor Fore, TColor Back);
    virtual void SetValid(bool Valid);
    // Checks Text (the edit's own text when empty) against both masks.
    virtual void ValidateText(const std::string& Text = std::string());

protected:
    void CreateParams(TCreateParams& Params) override;
    void KeyPress(char32_t& Key) override;
    void Notification(TComponent* AComponent, TOperation Operation) override;
    // Exit validation; False when the edit must keep the focus.
    bool ValidateOnExit();
    // Replaces the whole text as the user's change (Modified, OnChange) and
    // puts the caret at Caret (bytes); refused (False) beyond MaxLength.
    bool ReplaceTextAsUser(const std::string& Text, int Caret);
    // The picture and regular-expression steps of a typed key.
    void PictureKeyPress(char32_t& Key);
    // Window writable now (the data-aware edit adds its own rule).
    virtual bool WindowWritable() { return !TCustomEdit::ReadOnly(); }
    // Switch 0 of the data-aware edit: no space retried on a refused key.
    virtual bool NoSpaceRetry() const { return false; }

    bool FSettingByTyping = false;
    bool FPictureSetText = false;

private:
    std::unique_ptr<TqzDBPicture> FPicture;
    std::unique_ptr<TqzRegexMask> FRegexMask;
    std::unique_ptr<TqzEditFrame> FFrame;
    bool FWordWrap = false;
    bool FUsePictureMask = false;
    bool FWantReturns = false;
    bool FShowVertScrollBar = false;
    bool FInvalidOnExit = false;
    bool FMaskStoreLiteralTemplate = false;
    TqzController* FController = nullptr;
    TColor FSavedFontColor = clNone;
    TColor FSavedColor = clNone;
    TqzValidateEvent FOnCheckValue;
};

// ---- The data-aware edit --------------------------------------------------------------
class TqzDBCustomEdit : public TqzCustomMaskEdit {
    TASKMOOR_CLASS(TqzDBCustomEdit, TqzCustomMaskEdit)
public:
    explicit TqzDBCustomEdit(TComponent* AOwner);
    ~TqzDBCustomEdit() override;

    TDataSource* DataSource() const;
    void SetDataSource(TDataSource* Value);
    std::string DataField() const;
    void SetDataField(const std::string& Value);
    TField* Field() const;
    TFieldDataLink* DataLink() const;
    bool ReadOnly() const;
    void SetReadOnly(bool Value);
    bool AutoFillDate() const { return FAutoFillDate; }
    void SetAutoFillDate(bool Value) { FAutoFillDate = Value; }
    TqzEditDataType UnboundDataType() const { return FUnboundDataType; }
    void SetUnboundDataType(TqzEditDataType Value) { FUnboundDataType = Value; }
    TAlignment UnboundAlignment() const { return FUnboundAlignment; }
    void SetUnboundAlignment(TAlignment Value);
    TqzEditAlignment EditAlignment() const { return FEditAlignment; }
    void SetEditAlignment(TqzEditAlignment Value);
    // 0 means the default epoch year (1950).
    int Epoch() const { return FEpoch; }
    void SetEpoch(int Value) { FEpoch = Value; }
    bool DisableThemes() const { return FDisableThemes; }
    void SetDisableThemes(bool Value) { FDisableThemes = Value; }
    const TNotifyEvent& OnMouseEnter() const { return FOnMouseEnter; }
    void SetOnMouseEnter(const TNotifyEvent& Value) { FOnMouseEnter = Value; }
    const TNotifyEvent& OnMouseLeave() const { return FOnMouseLeave; }
    void SetOnMouseLeave(const TNotifyEvent& Value) { FOnMouseLeave = Value; }
    // Seven internal switches (see the constructor).
    bool Switch(int Index) const { return FSwitches.at(static_cast<size_t>(Index)); }
    void SetSwitch(int Index, bool Value) { FSwitches.at(static_cast<size_t>(Index)) = Value; }

    // Writes the edit's text to the record; on failure the text is selected,
    // the focus stays, Modified stays, and the error goes on.
    void CommitEdit();
    // The text to show for the field's present value (what an unfocused edit
    // or a grid cell shows); False when the edit has no field.
    virtual bool DisplayTextFromValue(std::string& Text);
    // Marks the edit (and, when bound and editing, the record) modified.
    void SetModifiedState(bool Value);
    // Unbound: the text remembered on entering comes back.
    void Reset() override;

    virtual void UpdateData(TObject* Sender);
    virtual bool IsVistaComboStyle();
    virtual std::string GetDisplayFormat();
    virtual void SetDisplayFormat(const std::string& Value) { FDisplayFormat = Value; }
    virtual bool IsReadOnlyState();
    virtual bool IsMemoField();
    // A blob that is no memo: the edit shows a placeholder and takes no input.
    bool IsBinaryBlobField();
    virtual bool IsEditPainted() { return true; }
    virtual TRect GetEditRect();
    virtual std::string GetValueText() { return Text(); }
    // Draws the edit's text in Rect, X pixels in from the side it is aligned
    // to and Y down from the top.
    virtual void DrawText(TCanvas* Canvas, const TRect& Rect, int X, int Y, const std::string& Text);
    virtual bool GetShowButton() { return false; }
    virtual void SetShowButton(bool) {}
    virtual void DrawFrame(TCanvas* Canvas);
    virtual bool IsDroppedDown() { return false; }
    virtual void MouseEnter();
    virtual void MouseLeave();
    // The mouse is over the edit.
    bool MouseOver() const { return FMouseOver; }
    virtual void DrawFocusRect(TCanvas* Canvas, const TRect& Rect);

    void SetEditRect() override;
    void ShowValidationError(const std::string& Message) override;
    void Dispatch(TMessage& Message) override;

protected:
    void Change() override;
    void CreateParams(TCreateParams& Params) override;
    void KeyDown(uint16_t& Key, TShiftState Shift) override;
    void KeyUp(uint16_t& Key, TShiftState Shift) override;
    void KeyPress(char32_t& Key) override;
    void DoEnter() override;
    void CMExit(TMessage& Message) override;
    void CNKeyDown(TMessage& Message) override;
    void WMGetDlgCode(TMessage& Message) override;
    void Notification(TComponent* AComponent, TOperation Operation) override;
    void Loaded() override;
    void PaintOverWidget(TCanvas* Canvas) override;
    void CreateWindowHandle(const TCreateParams& Params) override;
    // The own painting is the whole look while unfocused.
    void UpdateOwnerPaint();
    bool EditCanModify() override;
    bool WindowWritable() override;
    bool NoSpaceRetry() const override { return Switch(0); }
    // Typed characters are checked against the field's type (a descendant
    // whose text is not the field's value says no).
    virtual bool FiltersFieldChars() { return true; }

    void DataChange(TObject* Sender);
    void EditingChange(TObject* Sender);
    // The whole own painting (unfocused, grid copy, frame).
    void PaintEdit(TCanvas* Canvas);
    bool NeedsOwnPaint();
    // The data type for date filling: from the field, else UnboundDataType.
    TqzEditDataType DateKind();
    // Space on a date: fills the next part; True when the key is used up.
    bool DateAutoFill();
    // The clipboard operations through the messages.
    void DoPaste();
    void DoCutOrClear(bool Cut);
    // Hands a key down to the hosting grid; True when the grid took it.
    bool HandToGrid(uint16_t Key, TShiftState Shift);
    TWinControl* HostGrid() const;
    bool InQzDBGrid() const;
    bool GridOption(const std::string& Name) const;
    TAlignment EffectiveAlignment();
    // The effective alignment as drawn: left and right swap when the edit
    // runs right to left, as its window's do.
    TAlignment DrawnAlignment();
    void ResetMaxLength();
    // Byte room left for a text replacing the selection (-1: no limit).
    int RoomForSelection();
    // Byte room of the whole text: MaxLength or the text field's size (-1: no limit).
    int TextLimit();

private:
    std::unique_ptr<TControlFieldLink> FDataLink;
    std::array<bool, 7> FSwitches{false, false, true, false, false, false, false};
    int FMargin = 1;
    TAlignment FFieldAlignment = taLeftJustify;
    TAlignment FUnboundAlignment = taLeftJustify;
    std::string FUnboundText;
    bool FAutoFillDate = true;
    TqzEditDataType FUnboundDataType = qzDefault;
    int FEpoch = 0;
    TqzEditAlignment FEditAlignment = eaLeftAlignEditing;
    TNotifyEvent FOnMouseEnter, FOnMouseLeave;
    std::string FDisplayFormat;
    bool FDisableThemes = false;
    bool FMouseOver = false;
    bool FFocused = false;
    bool FReadOnly = false;
    bool FExiting = false;
};

class TqzDBEdit : public TqzDBCustomEdit {
    TASKMOOR_CLASS(TqzDBEdit, TqzDBCustomEdit)
public:
    using TqzDBCustomEdit::TqzDBCustomEdit;
    static void Publish(TPublisher<TqzDBEdit>& p);
};
