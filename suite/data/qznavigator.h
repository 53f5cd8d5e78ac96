// The data navigator: a panel of navigator buttons, each a child control of
// its own with a style that decides its glyph, hint, enabling and action
// (record moves, edits, a saved bookmark, or one of the suite's dialogs made
// by class name); rows or columns, autosize, one saved bookmark per dataset.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/core/enums.h"
#include "platform/db/datasource.h"
#include "suite/base/qzdialog.h"
#include "suite/data/qzspeedbutton.h"

class TImageList;
class TTimer;
class TqzDBNavigator;
class TqzNavButtons;

TASKMOOR_ENUM(TqzNavButtonStyle, nbsFirst, nbsPrior, nbsNext, nbsLast, nbsInsert, nbsDelete, nbsEdit, nbsPost,
              nbsCancel, nbsRefresh, nbsPriorPage, nbsNextPage, nbsSaveBookmark, nbsRestoreBookmark,
              nbsFilterDialog, nbsRecordViewDialog, nbsLocateDialog, nbsSearchDialog, nbsCustom)
using TqzNavButtonStyles = TSet<TqzNavButtonStyle>;
TASKMOOR_ENUM(TqzUpdateCause, usDataChanged, usEditingChanged, usActiveChanged, usOther)
TASKMOOR_ENUM(TqzNavOption, noConfirmDelete, noUseInternationalText)
using TqzNavOptions = TSet<TqzNavOption>;
TASKMOOR_ENUM(TqzNavLayout, nlHorizontal, nlVertical)
TASKMOOR_ENUM(TqzNavAutoSizeStyle, asSizeNavigator, asSizeNavButtons, asNone)

class TqzNavButton;
// (Dialog)
using TqzAfterCreateDialogEvent = TEvent<TqzCustomDialog*>;
// (Navigator, Button, Cause)
using TqzNavUpdateStateEvent = TEvent<TqzDBNavigator*, TqzNavButton*, TqzUpdateCause>;

// The name of a style without "nbs" ("First", "RecordViewDialog", ...).
std::string qzNavStyleStem(TqzNavButtonStyle Style);
// The 18 x 18 glyphs of the styles, index 2 x style (enabled) and 2 x style
// + 1 (disabled), from the resources "QZ_DBN_<STEM>_ENABLED" / "_DISABLED".
TImageList* qzNavGlyphs();
// Registers the button and the dialog classes the buttons make by name.
void qzRegisterNavigatorClasses();

class TqzNavButton : public TqzSpeedButton {
    TASKMOOR_CLASS(TqzNavButton, TqzSpeedButton)
public:
    explicit TqzNavButton(TComponent* AOwner);
    ~TqzNavButton() override;

    TqzNavButtonStyle Style() const { return FStyle; }
    virtual void SetStyle(TqzNavButtonStyle Value);
    TqzCustomDialog* Dialog() const { return FDialog; }
    virtual void SetDialog(TqzCustomDialog* Value);
    bool LineBreak() const { return FLineBreak; }
    virtual void SetLineBreak(bool Value);
    // The position among the navigator's buttons; raises EInvalidOperation
    // "Button parameter of RetrieveIndex not in Buttons list" when not there.
    virtual int GetIndex() const;
    virtual void SetIndex(int Value);
    virtual TqzNavButtons* GetButtons() const;
    virtual TqzDBNavigator* GetNavigator() const;
    virtual std::string GetDefaultHint();
    virtual void SetDefaultGlyph();
    virtual void UpdateState(TqzUpdateCause Cause);
    virtual bool FitsInNavigator() const;
    // In a transparent navigator that leaves its background alone, the
    // parent's picture behind the button is drawn again before it.
    virtual void RepaintTransparent();
    void Invalidate() override { RepaintTransparent(); }
    int GetImageIndex() const override;
    void SetImageIndex(int Value) override;
    void SetParent(TWinControl* AParent) override;
    void Click() override;
    // The dialog of a dialog style: the button's own, one found on the
    // container, or a new one of the style's class.
    TqzCustomDialog* FindOrCreateDialog();
    // The auto-repeat timer while the button is held; nullptr otherwise.
    TTimer* RepeatTimer() const { return FRepeatTimer; }

    TqzAfterCreateDialogEvent OnAfterCreateDialog() const { return FOnAfterCreateDialog; }
    void SetOnAfterCreateDialog(TqzAfterCreateDialogEvent Value) { FOnAfterCreateDialog = Value; }
    TNotifyEvent OnRowChanged() const { return FOnRowChanged; }
    void SetOnRowChanged(TNotifyEvent Value) { FOnRowChanged = Value; }
    TqzNavUpdateStateEvent OnUpdateState() const { return FOnUpdateState; }
    void SetOnUpdateState(TqzNavUpdateStateEvent Value) { FOnUpdateState = Value; }

    static void Publish(TPublisher<TqzNavButton>& p);

protected:
    friend class TqzNavButtons;
    friend class TqzDBNavigator;
    void Notification(TComponent* AComponent, TOperation Operation) override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseEntered() override;
    void MouseLeft() override;
    virtual void FreeRepeatTimer();
    virtual void StartRepeatTimer();
    virtual void RepeatTimerTick(TObject* Sender);

private:
    bool EnabledByRule() const;
    TqzNavButtonStyle FStyle = nbsFirst;
    TqzCustomDialog* FDialog = nullptr;
    bool FOwnsDialog = false;
    bool FLineBreak = false;
    int FOwnImageIndex = -1;
    TqzNavButtons* FButtons = nullptr;
    TTimer* FRepeatTimer = nullptr;
    TqzAfterCreateDialogEvent FOnAfterCreateDialog;
    TNotifyEvent FOnRowChanged;
    TqzNavUpdateStateEvent FOnUpdateState;
};

// The navigator's buttons, in order.
class TqzNavButtons : public TPersistent {
    TASKMOOR_CLASS(TqzNavButtons, TPersistent)
public:
    explicit TqzNavButtons(TqzDBNavigator* Navigator);

    void BeginUpdate() { ++FUpdateCount; }
    void EndUpdate() { --FUpdateCount; }
    int UpdateCount() const { return FUpdateCount; }
    // The shown button with the greatest bottom (right) edge, and that edge.
    TqzNavButton* LowestButton(int& Bottom) const;
    TqzNavButton* RightmostButton(int& Right) const;
    bool IsHidden(const TqzNavButton* Button) const;
    void ShowStyle(TqzNavButtonStyle Style);
    void HideStyle(TqzNavButtonStyle Style);
    int Count() const { return static_cast<int>(FList.size()); }
    // Raises EInvalidOperation "Index of Buttons[] out of range".
    TqzNavButton* Items(int Index) const;
    TqzDBNavigator* Navigator() const { return FNavigator; }
    // Raises EInvalidOperation "Index of VisibleButtons[] out of range".
    TqzNavButton* VisibleButtons(int Index) const;
    int VisibleCount() const;
    TqzNavButton* AddButton(TqzNavButtonStyle Style, TqzCustomDialog* Dialog = nullptr);
    void AddDialogButtons();
    void Clear();
    void AddDefaultButtons();
    void Refresh();
    void Arrange();
    void UpdateButtonStates(TqzUpdateCause Cause);
    // The first button of the style; nullptr when none.
    TqzNavButton* ButtonOfStyle(TqzNavButtonStyle Style) const;

private:
    friend class TqzNavButton;
    friend class TqzDBNavigator;
    int IndexOf(const TqzNavButton* Button) const;
    void Move(TqzNavButton* Button, int Index);
    void Remove(TqzNavButton* Button);
    TqzDBNavigator* FNavigator;
    std::vector<TqzNavButton*> FList;
    int FUpdateCount = 0;
};

class TqzNavDataLink;
struct TqzNavBookmark;

// The auto-repeat timing of the navigator's buttons, in milliseconds: the
// first repeat after InitialDelay, then every Interval.
class TqzNavRepeatInterval : public TPersistent {
    TASKMOOR_CLASS(TqzNavRepeatInterval, TPersistent)
public:
    int InitialDelay() const { return FInitialDelay; }
    void SetInitialDelay(int Value) { FInitialDelay = Value; }
    int Interval() const { return FInterval; }
    void SetInterval(int Value) { FInterval = Value; }
    void Assign(TPersistent* Source) override;
    static void Publish(TPublisher<TqzNavRepeatInterval>& p);

private:
    int FInitialDelay = 500;
    int FInterval = 100;
};

class TqzDBNavigator : public TqzCustomTransparentPanel {
    TASKMOOR_CLASS(TqzDBNavigator, TqzCustomTransparentPanel)
public:
    explicit TqzDBNavigator(TComponent* AOwner);
    ~TqzDBNavigator() override;

    TqzNavButtons* Buttons() const { return FButtons.get(); }
    TDataSource* DataSource() const;
    virtual void SetDataSource(TDataSource* Value);
    int MoveBy() const { return FMoveBy; }
    virtual void SetMoveBy(int Value);
    TqzNavOptions Options() const { return FOptions; }
    virtual void SetOptions(TqzNavOptions Value);
    bool Flat() const { return FFlat; }
    virtual void SetFlat(bool Value);
    TImageList* ImageList() const { return FImageList; }
    virtual void SetImageList(TImageList* Value);
    TqzNavLayout Layout() const { return FLayout; }
    virtual void SetLayout(TqzNavLayout Value);
    TqzNavAutoSizeStyle AutosizeStyle() const { return FAutosizeStyle; }
    virtual void SetAutosizeStyle(TqzNavAutoSizeStyle Value);
    TqzNavRepeatInterval* RepeatInterval() const { return FRepeatInterval.get(); }
    void SetRepeatInterval(TqzNavRepeatInterval* Value) { FRepeatInterval->Assign(Value); }
    // True: the buttons draw the classic look even when themes are on.
    bool DisableThemes() const { return FDisableThemes; }
    void SetDisableThemes(bool Value);
    // Passed on to every button, so the parent shows through them too.
    void SetTransparent(bool Value) override;
    // ShowHint, passed on to every button whenever it changes.
    virtual bool GetShowHint() const;
    virtual void SetShowHint(bool Value);
    // Transparent: the client area takes the parent's colour before the
    // buttons paint, so no part of the parent's picture shows through.
    bool TransparentClearsBackground() const { return FTransparentClearsBackground; }
    void SetTransparentClearsBackground(bool Value);
    // Takes the control's "DataSource"; sets it when there is one or Force.
    virtual void SetDataSourceFromControl(TControl* Control, bool Force);
    virtual TqzNavButtonStyles GetVisibleStyles() const;
    virtual void SetVisibleStyles(TqzNavButtonStyles Value);
    virtual int BorderInset() const;
    virtual int ButtonsWidth() const;
    // The data source's dataset; with RaiseIfNone, EInvalidOperation "Error,
    // DataSource not assigned" without a source and the platform's message
    // without a dataset.
    virtual TDataSet* GetDataSet(bool RaiseIfNone) const;
    virtual void AutoSizeNavigator();
    // Active: a source with a dataset, an active link and the navigator enabled.
    bool LinkActive() const;
    bool LinkEditing() const;

    // Bookmark store: one per dataset.
    void SaveBookmark(TDataSet* DataSet);
    // The saved bookmark when the dataset still reports it valid, else empty.
    TBookmark SavedBookmark(TDataSet* DataSet) const;
    bool HasBookmark(TDataSet* DataSet) const;
    int BookmarkCount() const { return static_cast<int>(FBookmarks.size()); }

    void Dispatch(TMessage& Message) override;
    static void Publish(TPublisher<TqzDBNavigator>& p);

protected:
    friend class TqzNavDataLink;
    friend class TqzNavButton;
    friend class TqzNavButtons;
    void Notification(TComponent* AComponent, TOperation Operation) override;
    void Paint() override;
    void Loaded() override;
    bool WantsTransparentWindow() const override { return IsTransparent() && !FTransparentClearsBackground; }
    // A child control came (Inserting) or goes: buttons join or leave the
    // collection and the buttons are laid out again.
    virtual void InsertRemoveButton(TControl* Control, bool Inserting);
    virtual void DataSetChanged();
    virtual void EditingChanged();
    virtual void ActiveChanged();

private:
    void DropBookmark(TDataSet* DataSet);
    std::unique_ptr<TqzNavButtons> FButtons;
    std::unique_ptr<TqzNavDataLink> FDataLink;
    std::vector<std::unique_ptr<TqzNavBookmark>> FBookmarks;
    int FMoveBy = 10;
    TqzNavOptions FOptions{noConfirmDelete};
    bool FFlat = true;
    TImageList* FImageList = nullptr;
    TqzNavLayout FLayout = nlHorizontal;
    TqzNavAutoSizeStyle FAutosizeStyle = asSizeNavigator;
    std::unique_ptr<TqzNavRepeatInterval> FRepeatInterval;
    bool FDisableThemes = false;
    bool FCreatingDefaults = false;
    bool FDestroying = false;
    bool FTransparentClearsBackground = false;
};
