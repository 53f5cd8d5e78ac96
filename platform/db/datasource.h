// Data sources and data links: how controls and detail datasets follow a
// dataset.
//
// A TDataSource connects one dataset to any number of TDataLink objects and
// passes the dataset's events on to them (and to its own OnDataChange,
// OnStateChange and OnUpdateData). A data link has its own window of
// BufferCount records inside the dataset's record window; ActiveRecord is the
// dataset's active record relative to that window, and setting it makes
// another buffered row active for a moment. Visual links are silenced by
// DisableControls; the others (detail links) keep being told.
#pragma once

#include <functional>

#include <string>
#include <vector>

#include "platform/core/component.h"
#include "platform/core/events.h"
#include "platform/db/dbtypes.h"

class TDataLink;
class TDataSet;
class TField;

// (Sender, Field): Field is the changed field, or nullptr for the record.
using TDataChangeEvent = TEvent<TObject*, TField*>;

class TDataSource : public TComponent {
    TASKMOOR_CLASS(TDataSource, TComponent)
public:
    explicit TDataSource(TComponent* AOwner);
    ~TDataSource() override;

    TDataSet* DataSet() const { return FDataSet; }
    // Raises "Circular datalinks are not allowed" when the dataset's master
    // chain leads back to this source.
    void SetDataSet(TDataSet* ADataSet);
    // True when this source is a master, direct or further up, of DataSet.
    bool IsLinkedTo(TDataSet* ADataSet) const;
    bool AutoEdit() const { return FAutoEdit; }
    void SetAutoEdit(bool Value) { FAutoEdit = Value; }
    bool Enabled() const { return FEnabled; }
    void SetEnabled(bool Value);
    // The dataset's state as this source shows it (dsInactive when disabled).
    TDataSetState State() const { return FState; }
    // Puts a browsing dataset into edit mode when AutoEdit is set.
    void Edit();
    int DataLinkCount() const { return static_cast<int>(FDataLinks.size()); }
    TDataLink* DataLinks(int Index) const { return FDataLinks[static_cast<size_t>(Index)]; }

    const TDataChangeEvent& OnDataChange() const { return FOnDataChange; }
    void SetOnDataChange(const TDataChangeEvent& Value) { FOnDataChange = Value; }
    const TNotifyEvent& OnStateChange() const { return FOnStateChange; }
    void SetOnStateChange(const TNotifyEvent& Value) { FOnStateChange = Value; }
    const TNotifyEvent& OnUpdateData() const { return FOnUpdateData; }
    void SetOnUpdateData(const TNotifyEvent& Value) { FOnUpdateData = Value; }

    static void Publish(TPublisher<TDataSource>& p);

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    friend class TDataSet;
    friend class TDataLink;

    enum TLinkKinds { lkAll, lkVisual, lkNonVisual };
    void DataEvent(TDataEvent Event, intptr_t Info, TLinkKinds Kinds = lkAll);
    void NotifyDataLinks(TDataEvent Event, intptr_t Info, TLinkKinds Kinds = lkAll);
    void UpdateState();
    void SetState(TDataSetState Value);
    void AddDataLink(TDataLink* Link);
    void RemoveDataLink(TDataLink* Link);

    TDataSet* FDataSet = nullptr;
    std::vector<TDataLink*> FDataLinks;
    bool FEnabled = true;
    bool FAutoEdit = true;
    TDataSetState FState = dsInactive;
    TDataChangeEvent FOnDataChange;
    TNotifyEvent FOnStateChange;
    TNotifyEvent FOnUpdateData;
};

class TDataLink : public TPersistent {
    TASKMOOR_CLASS(TDataLink, TPersistent)
public:
    TDataLink();
    ~TDataLink() override;

    TDataSource* DataSource() const { return FDataSource; }
    // Raises "DataSource cannot be changed" while DataSourceFixed.
    void SetDataSource(TDataSource* ADataSource);
    bool DataSourceFixed() const { return FDataSourceFixed; }
    void SetDataSourceFixed(bool Value) { FDataSourceFixed = Value; }
    TDataSet* DataSet() const;
    // The source's dataset is open.
    bool Active() const { return FActive; }
    // The dataset is in an edit mode and the link is not read-only.
    bool Editing() const { return FEditing; }
    bool ReadOnly() const { return FReadOnly; }
    void SetReadOnly(bool Value);
    // A visual link is silenced by the dataset's DisableControls.
    bool VisualControl() const { return FVisualControl; }
    void SetVisualControl(bool Value) { FVisualControl = Value; }

    // The dataset's active record within this link's window (0..BufferCount-1).
    int ActiveRecord() const;
    // Makes row Value of the window the dataset's active record, so that
    // field reads answer for it; restore it after use.
    void SetActiveRecord(int Value);
    int BufferCount() const { return FBufferCount; }
    void SetBufferCount(int Value);
    // Records in this link's window.
    int RecordCount() const;
    bool Bof() const;
    bool Eof() const;
    int MoveBy(int Distance);
    // Makes the record shown at row Record of the window the current one,
    // also when leaving an insert or an edit first moves the rows (an empty
    // new record dropped, a posted one placed elsewhere). False when that
    // record is no more.
    bool MoveToShownRecord(int Record);
    // Makes the record after this link's full window the active record while
    // Read runs (fetched when the dataset holds none there), moving neither
    // the window nor the current record. False, without Read, when the
    // window is not full or no record follows.
    bool ReadRecordAfterWindow(const std::function<void()>& Read);
    // Puts the dataset into edit mode through the source (AutoEdit);
    // answers Editing.
    bool Edit();
    // Writes the control's pending edit (UpdateData).
    void UpdateRecord();

protected:
    // Notifications, called by the data source.
    virtual void ActiveChanged() {}
    virtual void CheckBrowseMode() {}
    virtual void DataSetChanged() { RecordChanged(nullptr); }
    // Distance: rows the link's window moved (positive: towards the end).
    virtual void DataSetScrolled(int Distance) {
        (void)Distance;
        DataSetChanged();
    }
    virtual void EditingChanged() {}
    // A field asks for the focus; a control that takes it sets Field to nullptr.
    virtual void FocusControl(TField*& Field) { (void)Field; }
    virtual void LayoutChanged() { DataSetChanged(); }
    virtual void RecordChanged(TField* Field) { (void)Field; }
    virtual void UpdateData() {}
    virtual void DataEvent(TDataEvent Event, intptr_t Info);
    // The window's first row in the dataset's buffers.
    int FirstRecord() const { return FFirstRecord; }

private:
    friend class TDataSource;
    friend class TDataSet;

    void UpdateState();
    void SetActive(bool Value);
    void SetEditing(bool Value);
    // Keeps the dataset's active record inside the link's window.
    void UpdateRange();

    TDataSource* FDataSource = nullptr;
    bool FDataSourceFixed = false;
    bool FActive = false;
    bool FEditing = false;
    bool FReadOnly = false;
    bool FVisualControl = false;
    bool FUpdating = false;
    int FFirstRecord = 0;
    int FBufferCount = 1;
};

// The link of a control showing one field.
class TFieldDataLink : public TDataLink {
    TASKMOOR_CLASS(TFieldDataLink, TDataLink)
public:
    TFieldDataLink();

    TField* Field() const { return FField; }
    const std::string& FieldName() const { return FFieldName; }
    // Looks the field up again; a name the open dataset lacks raises "Field
    // '%s' not found".
    void SetFieldName(const std::string& Value);
    TComponent* Control() const { return FControl; }
    void SetControl(TComponent* Value) { FControl = Value; }
    // Editing of the link and the field can be modified.
    bool Editing() const { return FFieldEditing; }
    bool CanModify() const;
    bool Edit();
    bool IsModified() const { return FModified; }
    // The control changed its text: UpdateData will write it back.
    void Modified() { FModified = true; }
    // The control reloads the field's value.
    void Reset();

    const TNotifyEvent& OnDataChange() const { return FOnDataChange; }
    void SetOnDataChange(const TNotifyEvent& Value) { FOnDataChange = Value; }
    const TNotifyEvent& OnEditingChange() const { return FOnEditingChange; }
    void SetOnEditingChange(const TNotifyEvent& Value) { FOnEditingChange = Value; }
    const TNotifyEvent& OnUpdateData() const { return FOnUpdateData; }
    void SetOnUpdateData(const TNotifyEvent& Value) { FOnUpdateData = Value; }
    const TNotifyEvent& OnActiveChange() const { return FOnActiveChange; }
    void SetOnActiveChange(const TNotifyEvent& Value) { FOnActiveChange = Value; }
    // Asked when the field wants the focus; a handler that gives the focus to
    // the control sets Handled.
    const TEvent<TFieldDataLink*, bool&>& OnFocusControl() const { return FOnFocusControl; }
    void SetOnFocusControl(const TEvent<TFieldDataLink*, bool&>& Value) { FOnFocusControl = Value; }

protected:
    void ActiveChanged() override;
    void EditingChanged() override;
    void FocusControl(TField*& Field) override;
    void LayoutChanged() override;
    void RecordChanged(TField* Field) override;
    void UpdateData() override;

private:
    void UpdateField();
    void SetField(TField* Value);
    void SetFieldEditing(bool Value);

    TField* FField = nullptr;
    std::string FFieldName;
    TComponent* FControl = nullptr;
    bool FFieldEditing = false;
    bool FModified = false;
    TNotifyEvent FOnDataChange;
    TNotifyEvent FOnEditingChange;
    TNotifyEvent FOnUpdateData;
    TNotifyEvent FOnActiveChange;
    TEvent<TFieldDataLink*, bool&> FOnFocusControl;
};

// A link from a detail dataset to its master's data source.
class TDetailDataLink : public TDataLink {
    TASKMOOR_CLASS(TDetailDataLink, TDataLink)
public:
    virtual TDataSet* GetDetailDataSet() const { return nullptr; }
};

// The master link of a detail dataset: finds the master's fields named in
// FieldNames and calls OnMasterChange when the master's record (or one of
// those fields) changes, OnMasterDisable when the master closes.
class TMasterDataLink : public TDetailDataLink {
    TASKMOOR_CLASS(TMasterDataLink, TDetailDataLink)
public:
    explicit TMasterDataLink(TDataSet* ADataSet);

    TDataSet* GetDetailDataSet() const override { return FDataSet; }
    const std::string& FieldNames() const { return FFieldNames; }
    void SetFieldNames(const std::string& Value);
    const std::vector<TField*>& Fields() const { return FFields; }

    const TNotifyEvent& OnMasterChange() const { return FOnMasterChange; }
    void SetOnMasterChange(const TNotifyEvent& Value) { FOnMasterChange = Value; }
    const TNotifyEvent& OnMasterDisable() const { return FOnMasterDisable; }
    void SetOnMasterDisable(const TNotifyEvent& Value) { FOnMasterDisable = Value; }

protected:
    void ActiveChanged() override;
    void CheckBrowseMode() override;
    void LayoutChanged() override { ActiveChanged(); }
    void RecordChanged(TField* Field) override;

private:
    TDataSet* FDataSet;
    std::string FFieldNames;
    std::vector<TField*> FFields;
    TNotifyEvent FOnMasterChange;
    TNotifyEvent FOnMasterDisable;
};
