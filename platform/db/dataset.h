// TDataSet: the dataset framework's abstract dataset.
//
// A dataset keeps a window of record buffers: BufferCount buffers (the
// largest BufferCount of the data links attached through its data sources,
// at least 1), of which RecordCount hold fetched records, one of them the
// active record. Navigation fetches records into the window through the
// descendant's GetRecord (current, next or prior record of its cursor) and
// rotates buffers, so each step costs O(BufferCount) whatever the number of
// records. A data link may make another buffer of its window active for a
// moment (to draw row k); field reads and RecNo then answer for that row.
//
// A descendant supplies the data: it allocates and frees buffers, fetches
// records into them, reads and writes field values in a buffer (choosing the
// buffer by State: the active buffer while browsing and editing,
// CalcBuffer() while calculating fields, its own buffers while filtering or
// setting keys), keeps bookmarks in them, and posts, deletes and cancels.
// The framework does the rest: states, before/after events, data-source and
// data-link notifications, fields, calculated and lookup fields, bookmarks,
// and the record window.
//
// A descendant must close itself in its own destructor (SetActive(false)),
// because the virtual operations that closing needs no longer reach it from
// TDataSet's destructor.
#pragma once

#include <string>
#include <vector>

#include "platform/core/component.h"
#include "platform/core/events.h"
#include "platform/core/variant.h"
#include "platform/db/dbtypes.h"

class TDataLink;
class TDataSource;
class TField;
class TFieldDefs;
class TFields;
class TStream;
class TStrings;
class TDataSet;

using TDataSetNotifyEvent = TEvent<TDataSet*>;
// (DataSet, var Accept): the record the dataset is filtering is shown only
// when Accept stays True.
using TFilterRecordEvent = TEvent<TDataSet*, bool&>;

class TDataSet : public TComponent {
    TASKMOOR_CLASS(TDataSet, TComponent)
public:
    explicit TDataSet(TComponent* AOwner);
    ~TDataSet() override;

    // ---- Opening and state ----
    bool Active() const { return FState != dsInactive && FState != dsOpening; }
    void SetActive(bool Value);
    void Open() { SetActive(true); }
    void Close() { SetActive(false); }
    TDataSetState State() const { return FState; }
    // True once a field of the record being edited or inserted changed.
    bool Modified() const { return FModified; }
    bool CanModify() { return GetCanModify(); }
    // Bytes of the descendant's record data.
    int RecordSize() { return GetRecordSize(); }
    // "Cannot perform this operation on a closed dataset" / "... on an open dataset".
    void CheckActive() const;
    void CheckInactive() const;

    // ---- Navigation ----
    void First();
    void Last();
    void Next() { MoveBy(1); }
    void Prior() { MoveBy(-1); }
    // Moves Distance records (negative: back); answers how many it moved.
    int MoveBy(int Distance);
    bool Bof() const { return FBOF; }
    bool Eof() const { return FEOF; }
    bool IsEmpty() const { return FActiveRecord >= FRecordCount; }
    // The active record's number (1-based), -1 when unknown.
    int RecNo() { return GetRecNo(); }
    // Moves to record number Value; the base cannot and does nothing.
    virtual void SetRecNo(int Value) { (void)Value; }
    // Records the dataset shows, -1 when it cannot tell.
    int RecordCount() { return GetRecordCount(); }
    virtual bool IsSequenced() { return true; }

    // ---- Bookmarks ----
    // The active record's bookmark; empty when it has none (no record, or a
    // record being inserted).
    TBookmark Bookmark();
    void SetBookmark(const TBookmark& Value) { GotoBookmark(Value); }
    // Moves to the bookmarked record; an empty bookmark does nothing.
    void GotoBookmark(const TBookmark& Value);
    bool BookmarkAvailable();
    virtual bool BookmarkValid(const TBookmark& Value);
    // Below 0, 0 or above 0; an empty bookmark sorts before every other.
    virtual int CompareBookmarks(const TBookmark& Bookmark1, const TBookmark& Bookmark2);

    // ---- Editing ----
    void Edit();
    void Insert();
    void Append();
    void Post();
    void Cancel();
    void Delete();
    // Inserts or appends a record with the given field values (in field
    // order; Empty leaves a field as initialised, Null clears it) and posts it.
    void InsertRecord(const std::vector<Variant>& Values);
    void AppendRecord(const std::vector<Variant>& Values);
    void SetFields(const std::vector<Variant>& Values);
    void ClearFields();
    // Leaves edit or insert mode: posts when modified, else cancels.
    void CheckBrowseMode();
    // Asks the controls to write pending edits into the fields.
    void UpdateRecord();
    void Refresh();
    // Refetches the record window around the cursor's record.
    void Resync(TResyncMode Mode);
    // Puts the descendant's cursor on the active record.
    void UpdateCursorPos();
    // Forgets which buffer the cursor is on.
    void CursorPosChanged() { FCurrentRecord = -1; }
    virtual TUpdateStatus UpdateStatus() { return usUnmodified; }

    // ---- Searching ----
    // The first record whose KeyFields (";"-separated) equal KeyValues (one
    // value, or an array with one per field). The base walks the records.
    virtual bool Locate(const std::string& KeyFields, const Variant& KeyValues, TLocateOptions Options);
    // The ResultFields values (one value or an array) of the first record
    // matching, without moving; Null when none matches.
    virtual Variant Lookup(const std::string& KeyFields, const Variant& KeyValues,
                           const std::string& ResultFields);
    bool FindFirst();
    bool FindLast();
    bool FindNext();
    bool FindPrior();
    bool Found() const { return FFound; }

    // ---- Controls ----
    void DisableControls();
    void EnableControls();
    bool ControlsDisabled() const { return FDisableCount != 0; }

    // ---- Fields ----
    TFields* Fields() const { return FFields; }
    int FieldCount() const;
    TFieldDefs* FieldDefs() const { return FFieldDefs; }
    // Raises "Field '%s' not found".
    TField* FieldByName(const std::string& FieldName) const;
    TField* FindField(const std::string& FieldName) const;
    TField* FieldByNumber(int FieldNo) const;
    // The fields named in FieldNames (";"-separated, blanks around names
    // ignored); raises "Field '%s' not found" for a missing one.
    void GetFieldList(std::vector<TField*>& List, const std::string& FieldNames) const;
    std::vector<TField*> GetFieldList(const std::string& FieldNames) const;
    void GetFieldNames(TStrings* List) const;
    // One field's value, or an array of the values of several.
    Variant FieldValues(const std::string& FieldNames) const;
    void SetFieldValues(const std::string& FieldNames, const Variant& Value);
    // True when the fields were made from the field definitions on opening.
    bool DefaultFields() const { return FDefaultFields; }
    bool AutoCalcFields() const { return FAutoCalcFields; }
    void SetAutoCalcFields(bool Value) { FAutoCalcFields = Value; }
    // Field definitions brought up to date by the descendant.
    void InitFieldDefs();

    // ---- Filtering ----
    const std::string& Filter() const { return FFilterText; }
    void SetFilter(const std::string& Value) { SetFilterText(Value); }
    bool Filtered() const { return FFiltered; }
    virtual void SetFiltered(bool Value);
    TFilterOptions FilterOptions() const { return FFilterOptions; }
    virtual void SetFilterOptions(TFilterOptions Value);

    // ---- Data ----
    // A stream over a BLOB field's value in the active record; the caller
    // frees it. nullptr when the dataset keeps no BLOB values.
    virtual TStream* CreateBlobStream(TField* Field, TBlobStreamMode Mode);
    // Field values in the native layout of fieldtypes.h. GetFieldData answers
    // whether the field has a value (Buffer may be nullptr to ask only
    // that); it may be called while the dataset is closed or empty.
    virtual bool GetFieldData(TField* Field, void* Buffer);
    virtual bool GetFieldData(int FieldNo, void* Buffer);
    // Stores a value (nullptr: none). The descendant checks the state, calls
    // Field->Validate(Buffer), and sends DataEvent(deFieldChange, Field)
    // except while setting keys, calculating or filtering.
    virtual void SetFieldData(TField* Field, const void* Buffer);
    // A string field's whole text (up to a zero byte; empty when null) where
    // the dataset keeps texts of any length, whatever the field's Size: True
    // when it does (Text nullptr only asks that). SetFieldText stores a text
    // whole as SetFieldData stores a buffer.
    virtual bool GetFieldText(TField* Field, std::string* Text) {
        (void)Field, (void)Text;
        return false;
    }
    virtual bool SetFieldText(TField* Field, const std::string& Text) {
        (void)Field, (void)Text;
        return false;
    }
    // The master's data source of a detail dataset; nullptr otherwise.
    TDataSource* DataSource() { return GetDataSource(); }
    // The active record's buffer; nullptr before the first buffer exists.
    TRecordBuffer ActiveBuffer() const;
    // The buffer whose fields are being calculated.
    TRecordBuffer CalcBuffer() const { return FCalcBuffer; }
    // Size of the calculated-field area the descendant keeps in its buffers.
    int CalcFieldsSize() const { return FCalcFieldsSize; }

    // Sends Event to the data sources and their links; see TDataEvent for Info.
    virtual void DataEvent(TDataEvent Event, intptr_t Info);

    // ---- Events ----
    const TDataSetNotifyEvent& BeforeOpen() const { return FBeforeOpen; }
    void SetBeforeOpen(const TDataSetNotifyEvent& Value) { FBeforeOpen = Value; }
    const TDataSetNotifyEvent& AfterOpen() const { return FAfterOpen; }
    void SetAfterOpen(const TDataSetNotifyEvent& Value) { FAfterOpen = Value; }
    const TDataSetNotifyEvent& BeforeClose() const { return FBeforeClose; }
    void SetBeforeClose(const TDataSetNotifyEvent& Value) { FBeforeClose = Value; }
    const TDataSetNotifyEvent& AfterClose() const { return FAfterClose; }
    void SetAfterClose(const TDataSetNotifyEvent& Value) { FAfterClose = Value; }
    const TDataSetNotifyEvent& BeforeInsert() const { return FBeforeInsert; }
    void SetBeforeInsert(const TDataSetNotifyEvent& Value) { FBeforeInsert = Value; }
    const TDataSetNotifyEvent& AfterInsert() const { return FAfterInsert; }
    void SetAfterInsert(const TDataSetNotifyEvent& Value) { FAfterInsert = Value; }
    const TDataSetNotifyEvent& BeforeEdit() const { return FBeforeEdit; }
    void SetBeforeEdit(const TDataSetNotifyEvent& Value) { FBeforeEdit = Value; }
    const TDataSetNotifyEvent& AfterEdit() const { return FAfterEdit; }
    void SetAfterEdit(const TDataSetNotifyEvent& Value) { FAfterEdit = Value; }
    const TDataSetNotifyEvent& BeforePost() const { return FBeforePost; }
    void SetBeforePost(const TDataSetNotifyEvent& Value) { FBeforePost = Value; }
    const TDataSetNotifyEvent& AfterPost() const { return FAfterPost; }
    void SetAfterPost(const TDataSetNotifyEvent& Value) { FAfterPost = Value; }
    const TDataSetNotifyEvent& BeforeCancel() const { return FBeforeCancel; }
    void SetBeforeCancel(const TDataSetNotifyEvent& Value) { FBeforeCancel = Value; }
    const TDataSetNotifyEvent& AfterCancel() const { return FAfterCancel; }
    void SetAfterCancel(const TDataSetNotifyEvent& Value) { FAfterCancel = Value; }
    const TDataSetNotifyEvent& BeforeDelete() const { return FBeforeDelete; }
    void SetBeforeDelete(const TDataSetNotifyEvent& Value) { FBeforeDelete = Value; }
    const TDataSetNotifyEvent& AfterDelete() const { return FAfterDelete; }
    void SetAfterDelete(const TDataSetNotifyEvent& Value) { FAfterDelete = Value; }
    const TDataSetNotifyEvent& BeforeScroll() const { return FBeforeScroll; }
    void SetBeforeScroll(const TDataSetNotifyEvent& Value) { FBeforeScroll = Value; }
    const TDataSetNotifyEvent& AfterScroll() const { return FAfterScroll; }
    void SetAfterScroll(const TDataSetNotifyEvent& Value) { FAfterScroll = Value; }
    const TDataSetNotifyEvent& BeforeRefresh() const { return FBeforeRefresh; }
    void SetBeforeRefresh(const TDataSetNotifyEvent& Value) { FBeforeRefresh = Value; }
    const TDataSetNotifyEvent& AfterRefresh() const { return FAfterRefresh; }
    void SetAfterRefresh(const TDataSetNotifyEvent& Value) { FAfterRefresh = Value; }
    const TDataSetNotifyEvent& OnNewRecord() const { return FOnNewRecord; }
    void SetOnNewRecord(const TDataSetNotifyEvent& Value) { FOnNewRecord = Value; }
    const TDataSetNotifyEvent& OnCalcFields() const { return FOnCalcFields; }
    void SetOnCalcFields(const TDataSetNotifyEvent& Value) { FOnCalcFields = Value; }
    const TFilterRecordEvent& OnFilterRecord() const { return FOnFilterRecord; }
    virtual void SetOnFilterRecord(const TFilterRecordEvent& Value) { FOnFilterRecord = Value; }

    static void Publish(TPublisher<TDataSet>& p);

protected:
    // Locate's test of the record the fields read against a key; the key's
    // texts are taken (and folded) once, for every record tested. KeyValues
    // outlive it.
    class TLocateTest {
    public:
        TLocateTest(const std::vector<TField*>& KeyFields, const Variant& KeyValues, TLocateOptions Options);
        // Whether the fields' record matches the key.
        bool Matches() const;

    private:
        struct TPart {
            const TField* Field = nullptr;
            const Variant* Key = nullptr;  // in the key values, which outlive the test
            bool Empty = false;            // a null or empty key: the field must be null
            mutable int TextState = 0;     // the key's text: 0 not taken yet, 1 taken, -1 none
            mutable std::string Text;      // folded with loCaseInsensitive
        };
        bool PartMatches(const TPart& Part) const;
        std::vector<TPart> FParts;
        bool FFold = false, FPartial = false;
    };
    // Whether the active record's KeyFields match KeyValues as Locate reads them.
    bool MatchesKey(const std::vector<TField*>& KeyFields, const Variant& KeyValues,
                    TLocateOptions Options) const;
    // Moves to the first record that matches (Locate, Lookup; controls
    // disabled); False when none. The base walks from the first record.
    virtual bool WalkToMatch(const std::vector<TField*>& KeyFields, const Variant& KeyValues,
                             TLocateOptions Options);
    // ---- Operations a descendant provides ----
    virtual TRecordBuffer AllocRecordBuffer() = 0;
    virtual void FreeRecordBuffer(TRecordBuffer& Buffer) = 0;
    // Fetches the cursor's current, next or prior record into Buffer and
    // makes it the cursor's record: grOK, grBOF/grEOF at either end, grError
    // when there is no current record. DoCheck asks to raise on errors.
    virtual TGetResult GetRecord(TRecordBuffer Buffer, TGetMode GetMode, bool DoCheck) = 0;
    // Whether a record comes after (gmNext) or before (gmPrior) the cursor's
    // current one. The base reads it into a spare buffer; a descendant that
    // can tell without reading it answers here, leaving its cursor alone.
    virtual bool CursorHasNeighbour(TGetMode Mode);
    // GetRecord's walk over a cursor of Count records at Position (-1 before
    // the first, Count after the last): moves Position and answers as GetRecord.
    static TGetResult StepCursor(int& Position, int Count, TGetMode GetMode);
    virtual int GetRecordSize() { return 0; }
    // Copies the bookmark (BookmarkSize bytes) of the buffer's record.
    virtual void GetBookmarkData(TRecordBuffer Buffer, void* Data) = 0;
    virtual void SetBookmarkData(TRecordBuffer Buffer, const void* Data) = 0;
    virtual TBookmarkFlag GetBookmarkFlag(TRecordBuffer Buffer) = 0;
    virtual void SetBookmarkFlag(TRecordBuffer Buffer, TBookmarkFlag Value) = 0;
    // Cursor before the first record / after the last one.
    virtual void InternalFirst() = 0;
    virtual void InternalLast() = 0;
    virtual void InternalGotoBookmark(const void* Bookmark) = 0;
    // Cursor on the record of Buffer (its bookmark).
    virtual void InternalSetToRecord(TRecordBuffer Buffer) = 0;
    // Empties a buffer for a new record.
    virtual void InternalInitRecord(TRecordBuffer Buffer) = 0;
    // Adds the record in Buffer to the data (at the end when Append) and
    // makes it the cursor's record.
    virtual void InternalAddRecord(TRecordBuffer Buffer, bool Append) = 0;
    // Stores the record being edited or inserted; the base checks required fields.
    virtual void InternalPost();
    virtual void InternalDelete() = 0;
    // Called when an edit or an insert (State tells which) is cancelled.
    virtual void InternalCancel() {}
    virtual void InternalEdit() {}
    virtual void InternalInsert() {}
    virtual void InternalOpen() = 0;
    virtual void InternalClose() = 0;
    virtual void InternalInitFieldDefs() = 0;
    virtual void InternalRefresh() {}
    // Told of an exception that an operation swallowed.
    virtual void InternalHandleException() {}
    virtual bool IsCursorOpen() = 0;
    virtual int GetRecordCount() { return -1; }
    virtual int GetRecNo() { return -1; }
    virtual bool GetCanModify() { return true; }
    virtual TDataSource* GetDataSource() { return nullptr; }
    // Searches by the filter without filtering (FindFirst and friends): the
    // base walks the records through OnFilterRecord.
    virtual bool FindRecord(bool Restart, bool GoForward);
    // Stores the filter text; the descendant applies it.
    virtual void SetFilterText(const std::string& Value);

    // ---- Hooks around operations ----
    virtual void DoBeforeOpen() { FBeforeOpen(this); }
    virtual void DoAfterOpen() { FAfterOpen(this); }
    virtual void DoBeforeClose() { FBeforeClose(this); }
    virtual void DoAfterClose() { FAfterClose(this); }
    virtual void DoBeforeInsert() { FBeforeInsert(this); }
    virtual void DoAfterInsert() { FAfterInsert(this); }
    virtual void DoBeforeEdit() { FBeforeEdit(this); }
    virtual void DoAfterEdit() { FAfterEdit(this); }
    virtual void DoBeforePost() { FBeforePost(this); }
    virtual void DoAfterPost() { FAfterPost(this); }
    virtual void DoBeforeCancel() { FBeforeCancel(this); }
    virtual void DoAfterCancel() { FAfterCancel(this); }
    virtual void DoBeforeDelete() { FBeforeDelete(this); }
    virtual void DoAfterDelete() { FAfterDelete(this); }
    virtual void DoBeforeScroll() { FBeforeScroll(this); }
    virtual void DoAfterScroll() { FAfterScroll(this); }
    virtual void DoBeforeRefresh() { FBeforeRefresh(this); }
    virtual void DoAfterRefresh() { FAfterRefresh(this); }
    virtual void DoOnNewRecord() { FOnNewRecord(this); }
    virtual void DoOnCalcFields() { FOnCalcFields(this); }

    // ---- Calculated fields ----
    // Computes the calculated and lookup fields of Buffer in the
    // calculated-field state; descendants call it for each fetched record.
    void GetCalcFields(TRecordBuffer Buffer);
    virtual void ClearCalcFields(TRecordBuffer Buffer) { (void)Buffer; }
    // Lookup fields first, then OnCalcFields.
    virtual void CalculateFields(TRecordBuffer Buffer);

    // ---- Fields and definitions (for InternalOpen / InternalClose) ----
    // Makes a field for every definition (default fields).
    void CreateFields();
    void DestroyFields();
    // Binds data fields to their definitions and lays out the
    // calculated-field area (Binding), or unbinds.
    void BindFields(bool Binding);
    void CheckRequiredFields();

    // ---- Record window (for descendants) ----
    void InitRecord(TRecordBuffer Buffer);
    TRecordBuffer Buffers(int Index) const { return FBuffers[static_cast<size_t>(Index)]; }
    int BufferCount() const { return FBufferCount; }
    int ActiveRecord() const { return FActiveRecord; }
    int CurrentRecord() const { return FCurrentRecord; }
    // Buffers that hold records (the window's record count).
    int BufferedRecords() const { return FRecordCount; }
    int BookmarkSize() const { return FBookmarkSize; }
    void SetBookmarkSize(int Value) { FBookmarkSize = Value; }
    void SetState(TDataSetState Value);
    // A state for internal work (calculating, filtering) without notifying
    // controls; RestoreState puts the old one back.
    TDataSetState SetTempState(TDataSetState Value);
    void RestoreState(TDataSetState Value);
    void SetModified(bool Value) { FModified = Value; }
    void SetFound(bool Value) { FFound = Value; }
    void CheckCanModify();
    void ClearBuffers();

    void Loaded() override;

private:
    friend class TDataLink;
    friend class TDataSource;
    friend class TField;
    friend class TFields;

    void OpenCursor();
    void CloseCursor();
    void SetBufferCount(int Value);
    void UpdateBufferCount();
    void FreeAllBuffers();
    void ActivateBuffers();
    bool GetNextRecord();
    bool GetPriorRecord();
    int GetNextRecords();
    int GetPriorRecords();
    // Whether a record comes before (gmPrior) or after (gmNext) the active one.
    bool HasNeighbour(TGetMode Mode);
    void SetCurrentRecord(int Index);
    void MoveBuffer(int CurIndex, int NewIndex);
    void ShiftLinks(int Shift);
    void BeginInsertAppend();
    void PrepareInsertBuffer();
    void PrepareAppendBuffer();
    void EndInsertAppend();
    void AddRecord(const std::vector<Variant>& Values, bool Append);
    void QuietCancel();
    void UpdateCalcFields();
    // Where a search started: the record, its row of the window, BOF and EOF.
    struct TSavedPosition {
        TBookmark Bookmark;
        int ActiveRow = 0;
        bool Bof = false, Eof = false;
    };
    TSavedPosition SavePosition() { return {Bookmark(), FActiveRecord, FBOF, FEOF}; }
    // Back to that record on the same row of the window, quietly.
    void RestorePosition(const TSavedPosition& Saved);
    // The same after a failure: what the restore meets is not raised.
    void RestorePositionAfterFailure(const TSavedPosition& Saved);
    void AddDataSource(TDataSource* Source);
    void RemoveDataSource(TDataSource* Source);

    TDataSetState FState = dsInactive;
    TFields* FFields;
    TFieldDefs* FFieldDefs;
    std::vector<TDataSource*> FDataSources;
    // BufferCount + 1 buffers; the one at FRecordCount is free for fetching.
    std::vector<TRecordBuffer> FBuffers;
    int FBufferCount = 0;
    int FRecordCount = 0;
    int FActiveRecord = 0;
    int FCurrentRecord = -1;
    TRecordBuffer FCalcBuffer = nullptr;
    int FCalcFieldsSize = 0;
    int FBookmarkSize = 0;
    int FDisableCount = 0;
    TDataSetState FDisableState = dsInactive;
    TDataEvent FEnableEvent = deDataSetChange;
    bool FBOF = true;
    bool FEOF = true;
    bool FModified = false;
    bool FFound = false;
    bool FDefaultFields = false;
    bool FAutoCalcFields = true;
    bool FInternalOpenComplete = false;
    bool FStreamedActive = false;
    // Buffer index shift of the records during one operation (links follow it).
    int FScrollShift = 0;
    bool FHasCalcFields = false;
    bool FFiltered = false;
    std::string FFilterText;
    TFilterOptions FFilterOptions;

    TDataSetNotifyEvent FBeforeOpen, FAfterOpen, FBeforeClose, FAfterClose;
    TDataSetNotifyEvent FBeforeInsert, FAfterInsert, FBeforeEdit, FAfterEdit;
    TDataSetNotifyEvent FBeforePost, FAfterPost, FBeforeCancel, FAfterCancel;
    TDataSetNotifyEvent FBeforeDelete, FAfterDelete, FBeforeScroll, FAfterScroll;
    TDataSetNotifyEvent FBeforeRefresh, FAfterRefresh;
    TDataSetNotifyEvent FOnNewRecord, FOnCalcFields;
    TFilterRecordEvent FOnFilterRecord;
};
