// The record view: the current record of a data source's dataset in a form
// built at run time, one label and one data-aware control per field, in one
// column or in wrapping rows, with a navigator and OK and Cancel buttons.
//
// Its menu, frame, controller and picture masks are handed to the form and
// the field controls; pictures use platform/ui/dbimage.h, and a stay-on-top
// view uses SetWindowTopmost (platform/ui/window_services.h).
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/core/enums.h"
#include "platform/ui/dbctrls.h"
#include "platform/ui/extctrls.h"
#include "platform/ui/forms.h"
#include "platform/ui/menus.h"
#include "suite/base/qzcontroller.h"
#include "suite/base/qzdialog.h"
#include "suite/base/qzeditframe.h"
#include "suite/base/qztypes.h"
#include "suite/data/qznavigator.h"
#include "suite/edit/qzdbedit.h"
#include "suite/edit/qzmemodlg.h"

class TDataLink;
class TField;
class TPanel;
class TqzRecordViewDialog;

TASKMOOR_ENUM(TqzRecordViewStyle, rvsVertical, rvsHorizontal)
TASKMOOR_ENUM(TqzRecordViewOption, rvoHideReadOnly, rvoHideCalculated, rvoHideNavigator, rvoUseCustomControls,
              rvoShortenEditBox, rvoModalForm, rvoStayOnTopForm, rvoConsistentEditWidth, rvoEnterToTab,
              rvoConfirmCancel, rvoCloseIsCancel, rvoMaximizeMemoWidth, rvoSetControlMinWidth,
              rvoUseDateTimePicker, rvoLabelsBeneathControl)
using TqzRecordViewOptions = TSet<TqzRecordViewOption>;
TASKMOOR_ENUM(TqzRecordViewControlOption, rvcTransparentLabels, rvcTransparentButtons, rvcFlatButtons)
using TqzRecordViewControlOptions = TSet<TqzRecordViewControlOption>;
TASKMOOR_ENUM(TqzRecordViewOKCancelOption, rvokShowOKCancel, rvokAutoPostRec, rvokAutoCancelRec)
using TqzRecordViewOKCancelOptions = TSet<TqzRecordViewOKCancelOption>;

class TqzRecordViewForm;
// (Form, Field, var Accept)
using TqzRVBeforeCreateControlEvent = TEvent<TqzRecordViewForm*, TField*, bool&>;
// (Form, Field, Control)
using TqzRVAfterCreateControlEvent = TEvent<TqzRecordViewForm*, TField*, TControl*>;
// (Form, Field, Control, Frame, ButtonEffects): a control with an edit frame
using TqzRVSetControlEffectsEvent =
    TEvent<TqzRecordViewForm*, TField*, TControl*, TqzEditFrame*, TqzButtonEffects*>;
// (Form)
using TqzRVFormEvent = TEvent<TqzRecordViewForm*>;
// (Form, var CanClose)
using TqzRVCancelWarningEvent = TEvent<TForm*, bool&>;

// The gaps of the view's layouts, published as the dialog's Margin and
// EditSpacing; the layouts read the fields directly.
class TqzMargin : public TPersistent {
    TASKMOOR_CLASS(TqzMargin, TPersistent)
public:
    int LeftOffset = 5, RightOffset = 5, TopOffset = 5, BottomOffset = 5;
    static void Publish(TPublisher<TqzMargin>& p);
};
class TqzVertEditSpacing : public TPersistent {
    TASKMOOR_CLASS(TqzVertEditSpacing, TPersistent)
public:
    int BetweenLabelEdit = 5, BetweenRow = 2;
    static void Publish(TPublisher<TqzVertEditSpacing>& p);
};
class TqzHorzEditSpacing : public TPersistent {
    TASKMOOR_CLASS(TqzHorzEditSpacing, TPersistent)
public:
    int BetweenLabelEdit = 1, BetweenEditsInRow = 5, BetweenRow = 2, LabelIndent = 1;
    static void Publish(TPublisher<TqzHorzEditSpacing>& p);
};
class TqzEditSpacing : public TPersistent {
    TASKMOOR_CLASS(TqzEditSpacing, TPersistent)
public:
    TqzHorzEditSpacing HorizontalView;
    TqzVertEditSpacing VerticalView;
    static void Publish(TPublisher<TqzEditSpacing>& p);
};

// Children and labels paint; the box itself paints nothing.
class TqzScrollBox : public TScrollBox {
    TASKMOOR_CLASS(TqzScrollBox, TScrollBox)
public:
    using TScrollBox::TScrollBox;

protected:
    void PaintWindow(TCanvas* Canvas) override;
};

// The label of a check-box field: a dotted grey frame along its left, bottom
// and right edges while its focus control has the focus.
class TqzLabel : public TLabel {
    TASKMOOR_CLASS(TqzLabel, TLabel)
public:
    using TLabel::TLabel;

protected:
    void Paint() override;
};

// A check box that repaints its label when it gains or loses the focus.
class TqzDBCheckBox : public TDBCheckBox {
    TASKMOOR_CLASS(TqzDBCheckBox, TDBCheckBox)
public:
    using TDBCheckBox::TDBCheckBox;
    TqzLabel* Label = nullptr;

protected:
    void DoEnter() override;
    void DoExit() override;
};

// The memo window opened from a record view's memo edit: the caret where
// the edit's was, the edit's font, the field's label as caption.
class TqzMemoDialogPopup : public TqzMemoDialog {
    TASKMOOR_CLASS(TqzMemoDialogPopup, TqzMemoDialog)
public:
    using TqzMemoDialog::TqzMemoDialog;
    TqzDBCustomEdit* Edit = nullptr;
    void DoInitDialog() override;
};

// A multi-line edit for memo fields; F2 opens the memo window on its field,
// view-only when the field or its dataset cannot be changed.
class TqzDBEditMemo : public TqzDBCustomEdit {
    TASKMOOR_CLASS(TqzDBEditMemo, TqzDBCustomEdit)
public:
    explicit TqzDBEditMemo(TComponent* AOwner);

    static void Publish(TPublisher<TqzDBEditMemo>& p);

protected:
    void KeyDown(uint16_t& Key, TShiftState Shift) override;
};

// A borrowed control and where it came from.
struct TqzCustomControlItem {
    TControl* Control = nullptr;
    int Left = 0, Top = 0, Width = 0, Height = 0;
    TWinControl* Parent = nullptr;
    bool Ctl3D = true;
    bool ButtonsFlat = false, ButtonsTransparent = false;
};

class TqzRecordViewForm : public TForm {
    TASKMOOR_CLASS(TqzRecordViewForm, TForm)
public:
    TqzRecordViewForm(TComponent* AOwner, TqzRecordViewDialog* Dialog);

    TqzRecordViewDialog* Dialog() const { return FDialog; }
    TPanel* RecordPanel = nullptr;
    TPanel* UserPanel = nullptr;
    TPanel* NavigatorPanel = nullptr;
    TqzDBNavigator* Navigator = nullptr;
    TqzScrollBox* ScrollBox = nullptr;
    TButton* OKButton = nullptr;
    TButton* CancelButton = nullptr;
    // Made topmost when it lost the activation (rvoStayOnTopForm).
    bool MadeTopmost() const { return FMadeTopmost; }

protected:
    void KeyDown(uint16_t& Key, TShiftState Shift) override;

private:
    void FormActivate(TObject* Sender);
    void FormDeactivate(TObject* Sender);
    TqzRecordViewDialog* FDialog;
    bool FMadeTopmost = false;
};

class TqzRecordViewDialog : public TqzCustomDialog {
    TASKMOOR_CLASS(TqzRecordViewDialog, TqzCustomDialog)
public:
    explicit TqzRecordViewDialog(TComponent* AOwner);
    ~TqzRecordViewDialog() override;

    // Modal: True when closed with OK. Modeless: True once shown; False when
    // a view is already open (it comes forward). False after a warning
    // without a data source, a dataset or an open dataset.
    bool Execute() override;
    TDataSet* GetPrimaryDataSet() override;

    virtual bool IsSingleLineControl(TControl* Control);
    virtual void DoBeforeCreateControl(TField* Field, bool& Accept);
    virtual void DoAfterCreateControl(TField* Field, TControl* Control);
    virtual void DoSetControlEffects(TField* Field, TControl* Control, TqzEditFrame* Frame,
                                     TqzButtonEffects* ButtonEffects);
    virtual void DoInitDialog();
    virtual void DoCloseDialog();
    virtual void DoCancelWarning(bool& CanClose);
    virtual void OKBtnClick(TObject* Sender);
    virtual void CancelBtnClick(TObject* Sender);
    virtual TControl* CreateDefaultEditControl(TComponent* AOwner);

    TDataSource* DataSource() const;
    void SetDataSource(TDataSource* Value);
    TStrings* Selected() const { return FSelected.get(); }
    // Selected, ControlType and PictureMasks assign (copy).
    void SetSelected(TStrings* Value) { FSelected->Assign(Value); }
    TStrings* ControlType() const { return FControlType.get(); }
    void SetControlType(TStrings* Value) { FControlType->Assign(Value); }
    // PictureMasks lines of the fields; the dataset's list is used instead
    // when PictureMaskFromDataSet is set and the dataset has one.
    TStrings* PictureMasks() const { return FPictureMasks.get(); }
    void SetPictureMasks(TStrings* Value) { FPictureMasks->Assign(Value); }
    bool PictureMaskFromDataSet() const { return FPictureMaskFromDataSet; }
    void SetPictureMaskFromDataSet(bool Value) { FPictureMaskFromDataSet = Value; }
    bool ControlInfoInDataset() const { return FControlInfoInDataset; }
    void SetControlInfoInDataset(bool Value) { FControlInfoInDataset = Value; }
    TqzRecordViewStyle Style() const { return FStyle; }
    void SetStyle(TqzRecordViewStyle Value) { FStyle = Value; }
    TqzRecordViewOptions Options() const { return FOptions; }
    void SetOptions(TqzRecordViewOptions Value) { FOptions = Value; }
    TqzRecordViewControlOptions ControlOptions() const { return FControlOptions; }
    void SetControlOptions(TqzRecordViewControlOptions Value) { FControlOptions = Value; }
    TqzRecordViewOKCancelOptions OKCancelOptions() const { return FOKCancelOptions; }
    void SetOKCancelOptions(TqzRecordViewOKCancelOptions Value) { FOKCancelOptions = Value; }
    const std::string& Caption() const { return FCaption; }
    void SetCaption(const std::string& Value) { FCaption = Value; }
    TFormBorderStyle BorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TFormBorderStyle Value) { FBorderStyle = Value; }
    // 0 means computed.
    TqzFormPosition FormPosition;
    TqzMargin Margin;
    TqzEditSpacing EditSpacing;
    TFont* Font() const { return FFont.get(); }
    void SetFont(TFont* Value) { FFont->Assign(Value); }
    TFont* LabelFont() const { return FLabelFont.get(); }
    void SetLabelFont(TFont* Value) { FLabelFont->Assign(Value); }
    TColor ReadOnlyColor() const { return FReadOnlyColor; }
    void SetReadOnlyColor(TColor Value) { FReadOnlyColor = Value; }
    int LinesPerMemoControl() const { return FLinesPerMemoControl; }
    void SetLinesPerMemoControl(int Value) { FLinesPerMemoControl = Value; }
    TqzDBNavigator* Navigator() const { return FNavigator; }
    // Borrows this navigator instead of making one; it is hidden meanwhile.
    void SetNavigator(TqzDBNavigator* Value);
    bool NavigatorFlat() const { return FNavigatorFlat; }
    void SetNavigatorFlat(bool Value) { FNavigatorFlat = Value; }
    // The styles the view's own navigator gets buttons for.
    TqzNavButtonStyles NavigatorButtons() const { return FNavigatorButtons; }
    void SetNavigatorButtons(TqzNavButtonStyles Value) { FNavigatorButtons = Value; }
    // Accepted and ignored (NavigatorButtons chooses the buttons).
    void SetNavigatorVisibleButtons(TButtonSet) {}
    // Shown on the form while it is open when it has items; a menu that
    // was another form's goes back to it when the view closes.
    TMainMenu* Menu() const { return FMenu; }
    void SetMenu(TMainMenu* Value);
    // The controller's frame is copied into EditFrame when one is set.
    TqzController* Controller() const { return FController; }
    void SetController(TqzController* Value);
    // Given to the frame of every control made for a field.
    TqzEditFrame* EditFrame() const { return FEditFrame.get(); }
    void SetEditFrame(TqzEditFrame* Value) { FEditFrame->Assign(Value); }

    TqzRVBeforeCreateControlEvent OnBeforeCreateControl;
    TqzRVAfterCreateControlEvent OnAfterCreateControl;
    TqzRVSetControlEffectsEvent OnSetControlEffects;
    TqzRVFormEvent OnInitDialog, OnCloseDialog, OnResizeDialog;
    TqzRVCancelWarningEvent OnCancelWarning;

    // The form while one is open.
    TqzRecordViewForm* Form() const { return FForm; }
    // The placed controls and their labels, in field order.
    const std::vector<TControl*>& Controls() const { return FControls; }
    const std::vector<TLabel*>& Labels() const { return FLabels; }
    int ControlLeft() const { return FControlLeft; }
    // 0 OK button, 1 Cancel button or Escape, 2 anything else.
    int CloseReason() const { return FCloseReason; }
    void SetCloseReason(int Value) { FCloseReason = Value; }
    // True when a placed control reports a change.
    bool AnyControlModified() const;

    static void Publish(TPublisher<TqzRecordViewDialog>& p);

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    friend class TqzRecordViewForm;
    struct TShownField {
        TField* Field;
        int Width;
        std::string Title;
        bool ReadOnly;
    };
    std::vector<TShownField> ShownFields();
    void BuildForm();
    // Steps of BuildForm: the navigator's panel (the application's navigator
    // borrowed, else one made), the OK and Cancel panel.
    void BuildNavigatorPanel();
    void BuildButtonPanel();
    void LayoutVertical(const std::vector<TShownField>& Fields);
    void LayoutHorizontal(const std::vector<TShownField>& Fields);
    // Makes the field's control and places it at (Left, Top); nullptr when
    // the control could not be bound.
    TControl* MakeControl(const TShownField& F, TLabel* Label, int Left, int Top, int FormWidth, int MaxWidth,
                          int LabelTextWidth);
    // Its steps: a check box for a two-valued field; the control the
    // application gave for the field, borrowed until the view closes; else
    // an edit control of the field's kind.
    TControl* MakeCheckBox(const TShownField& F, TLabel* Label, int Left, int Top, const std::string& Checked,
                           const std::string& Unchecked);
    TControl* BorrowControl(TWinControl* Custom, const TShownField& F, TLabel* Label, int Left, int Top,
                            int FormWidth, int MaxWidth, int LabelTextWidth);
    TControl* MakeEditControl(const TShownField& F, TLabel* Label, int Left, int Top, int FormWidth,
                              int MaxWidth, int LabelTextWidth);
    // The width options: shortened to MaxWidth, or widened to it.
    void FitWidth(TControl* Control, int MaxWidth);
    bool IsCheckBoxField(TField* Field, std::string& Checked, std::string& Unchecked);
    TWinControl* CustomControlFor(TField* Field);
    TLabel* MakeLabel(TField* Field, const std::string& Title, bool CheckBox);
    int StandardWidth(int DisplayWidth);
    // Borrowed controls and the navigator go back where they came from.
    void GiveBack();
    // Puts Menu on the form when it has items; answers the bar's height.
    int ShowMenu();
    // The picture mask of the field to a suite edit.
    void ApplyPictureMask(TControl* Control, TField* Field);
    // Frees the form after a failure while it was built or shown.
    void DropForm();

    void FormShow(TObject* Sender);
    void FormResize(TObject* Sender);
    void FormCloseQuery(TObject* Sender, bool& CanClose);
    void FormClose(TObject* Sender, TCloseAction& Action);

    std::unique_ptr<TDataLink> FDataLink;
    std::unique_ptr<TStringList> FSelected, FControlType, FPictureMasks;
    bool FPictureMaskFromDataSet = true;
    std::unique_ptr<TFont> FFont, FLabelFont;
    bool FControlInfoInDataset = true;
    TqzRecordViewStyle FStyle = rvsVertical;
    TqzRecordViewOptions FOptions{rvoUseCustomControls, rvoShortenEditBox, rvoModalForm,
                                  rvoConfirmCancel,     rvoCloseIsCancel,  rvoMaximizeMemoWidth,
                                  rvoUseDateTimePicker};
    TqzRecordViewControlOptions FControlOptions;
    TqzRecordViewOKCancelOptions FOKCancelOptions{rvokShowOKCancel, rvokAutoPostRec, rvokAutoCancelRec};
    std::string FCaption = "Record View";
    TFormBorderStyle FBorderStyle = bsSizeable;
    TColor FReadOnlyColor;
    int FLinesPerMemoControl = 2;
    TqzDBNavigator* FNavigator = nullptr;
    bool FNavigatorFlat = true;
    TqzNavButtonStyles FNavigatorButtons{
        nbsFirst, nbsPrior,  nbsNext,    nbsLast,      nbsInsert,   nbsDelete,       nbsEdit,
        nbsPost,  nbsCancel, nbsRefresh, nbsPriorPage, nbsNextPage, nbsSaveBookmark, nbsRestoreBookmark};
    TMainMenu* FMenu = nullptr;
    // The form the menu was on before the view took it.
    TCustomForm* FMenuForm = nullptr;
    bool FMenuShown = false;
    TqzController* FController = nullptr;
    std::unique_ptr<TqzEditFrame> FEditFrame;

    TqzRecordViewForm* FForm = nullptr;
    std::vector<TControl*> FControls;
    std::vector<TLabel*> FLabels;
    TLabel* FLastLabel = nullptr;
    int FControlLeft = 0;
    int FFrameAllowance = 20;
    int FCloseReason = 2;
    int FComputedHeight = 0;
    TWinControl* FNavigatorParent = nullptr;
    TRect FNavigatorBounds;
    bool FNavigatorVisible = false;
    bool FNavigatorBorrowed = false;
    std::vector<TqzCustomControlItem> FBorrowed;
};
