// The platform's database engine: databases, and the engine's datasets
// (tables, queries, stored procedures), stood in by SQLite. A database is
// one SQLite file, named by its path (relative ones in the data folder;
// ":memory:" for a database in memory); all users of one name share one
// connection, opened on first use and closed after the last user.
//
// A post writes only the columns the edit changed; a string field is as wide
// as the longest value its column holds. A lock another connection holds is
// tried again while LockRetryAllowed allows, then fails with SDataLocked.
// A dataset's Filter text is an SQL condition on its columns that runs no
// query of its own (sqlite_filter_text.cpp): a statement made from it reads
// only the dataset's own tables and calls only the functions of an allow
// list (sqlite_fence.cpp), and its work is watched (TDBWorkWatch), as are
// the dataset's opens and reads. Expression filters (TFilterNode) become SQL
// conditions; one tied to the record filter (AttachToRecordFilter) applies
// only with it. A record filter reads the record under test only when
// it looks at a field.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/core/collection.h"
#include "platform/core/exceptions.h"
#include "platform/core/strings.h"
#include "platform/db/dataset.h"
#include "platform/db/row_dataset.h"

class TSqliteConnection;
class TSqliteStatement;
class TMasterDataLink;
class TParam;
class TParams;

// An error of the database engine, with the engine's error code.
class EDBEngineError : public EDatabaseError {
public:
    EDBEngineError(const std::string& Message, int ErrorCode)
        : EDatabaseError(Message), FErrorCode(ErrorCode) {}
    const char* ClassName() const override { return "EDBEngineError"; }
    int ErrorCode() const { return FErrorCode; }

private:
    int FErrorCode;
};

// Engine error codes the system raises itself.
inline constexpr int DBIERR_NOTSUPPORTED = 12289;
inline constexpr int DBIERR_INVALIDFILTER = 10262;
// "Capability not supported".
extern const char* const SCapabilityNotSupported;

// ---- Locks ----
// The engine's lock-conflict codes: data locked by another user (SQLite's
// "busy": another connection writes the file).
inline constexpr int DBIERR_LOCKED = 10497;
inline constexpr int DBIERR_LOCKED_LAST = 10499;
inline bool IsLockConflict(int ErrorCode) {
    return ErrorCode >= DBIERR_LOCKED && ErrorCode <= DBIERR_LOCKED_LAST;
}
// "The data is locked by another user": the error once no more tries are allowed.
extern const char* const SDataLocked;
// The lock-retry check: asked after a try (1, 2, ...) met a lock; answers
// whether to try again. The default waits a moment before each new try and
// allows them for LockRetryTime milliseconds in all.
using TLockRetryCheck = std::function<bool(int Attempt)>;
inline constexpr int LockRetryTime = 3000;
bool LockRetryAllowed(int Attempt);
// Puts in another check (an application's, a test's); empty: the default.
void SetLockRetryCheck(TLockRetryCheck Check);

// ---- Long work ----
// The watch over the work of a statement made from a Filter text, and of a
// dataset's open and reads: Begin once the work has gone on a while (the
// screen shows it busy), Poll now and then after it (True stops it), End
// after a Begin when it ends. The calls come from inside the database: they
// must not use it.
class TDBWorkWatch {
public:
    virtual ~TDBWorkWatch() = default;
    virtual void Begin() {}
    virtual bool Poll() { return false; }
    virtual void End() {}
};
// Installs a watch (nullptr: none); answers the one it replaces.
TDBWorkWatch* SetDBWorkWatch(TDBWorkWatch* Watch);
// Asks the watched work that runs to stop (any thread may ask).
void StopDBWork();
// "The filter was stopped before it ended": the error of stopped work.
extern const char* const SDBWorkStopped;
// "The reading of the data was stopped before it ended": an open or a read stopped.
extern const char* const SDBReadStopped;
// "The change was stopped before it ended": a post or a delete stopped (the
// database keeps the record as it was).
extern const char* const SDBChangeStopped;
// "The search was stopped before it ended": a search or a locate stopped.
extern const char* const SDBSearchStopped;
// Watched work of many statements on this thread, from its start to its
// end (a search that reads record after record): the busy show is timed
// from its start, its watched statements are part of it, and Escape stops
// it with Stopped. A span inside another is part of the outer one.
class TDBWorkSpan {
public:
    explicit TDBWorkSpan(const char* Stopped);
    ~TDBWorkSpan();
    TDBWorkSpan(const TDBWorkSpan&) = delete;
    TDBWorkSpan& operator=(const TDBWorkSpan&) = delete;
    // Between two steps of the work (records): looks at the clock and the
    // watch; raises EDBEngineError with Stopped when the work is to stop.
    void Step();

private:
    void* FOwn = nullptr;
};
// The error code of watched work that was stopped.
inline constexpr int DBIERR_STOPPED = 9;
inline bool IsWorkStopped(int ErrorCode) { return ErrorCode == DBIERR_STOPPED; }
// "The filter builds a value too large to hold": a statement made from a
// filter text built a value longer than any its data holds, or took more
// memory than its fence allows.
extern const char* const SFilterTooLarge;
// The refusal of a statement made from a text that reads or calls what the
// fence does not allow: the message ends in SFilterRunsNoQuery.
extern const char* const SFilterRunsNoQuery;
// Raises that refusal when Text, prepared on the database DatabaseName,
// reads a table or calls a function that Trusted (a text the program gave)
// does not and the allow list does not hold, or does anything else Trusted
// does not (a pragma, an attach, a write).
void CheckFencedText(const std::string& DatabaseName, const std::string& Trusted, const std::string& Text);

// A filter expression as the engine takes it: a tree of comparisons,
// logical and arithmetic operators over field references and constants.
enum TFilterNodeKind { fnCompare, fnLogical, fnArithmetic, fnField, fnConstant };
struct TFilterNode {
    TFilterNodeKind Kind = fnConstant;
    // Compare: "=", "<>", "<", ">", "<=", ">=", and the text tests "STARTS",
    // "CONTAINS", "ENDS" (Left begins with Right, holds it, or Right's first
    // occurrence ends Left's text); logical "AND", "OR", "NOT" (Left only: a
    // condition not met or unknown); arithmetic "+", "-", "*", "/"; field:
    // the field's name; constant: its text.
    std::string Text;
    // Constants: ftString, ftFloat, ftInteger, ftBoolean, ftDate, ftTime, ftDateTime.
    TFieldType ConstType = ftString;
    // Compare nodes: the sides as texts, compared byte by byte, a null read as
    // the empty text (always so for the text tests).
    bool Texts = false;
    // With Texts: a field's text by the platform's case fold (case_fold.h),
    // or upper-cased by it (Upper); constants are taken as they are.
    bool Fold = false;
    bool Upper = false;
    // With Texts: a field's text cut to its first CutBytes bytes at a
    // character's start, before the fold (-1: whole).
    int64_t CutBytes = -1;
    std::unique_ptr<TFilterNode> Left, Right;
};

// A database component: names a database and keeps its connection open
// while Connected.
class TDatabase : public TComponent {
    TASKMOOR_CLASS(TDatabase, TComponent)
public:
    explicit TDatabase(TComponent* AOwner);
    ~TDatabase() override;
    const std::string& DatabaseName() const { return FDatabaseName; }
    void SetDatabaseName(const std::string& Value);
    bool Connected() const { return FConnection != nullptr; }
    void SetConnected(bool Value);
    void Open() { SetConnected(true); }
    void Close() { SetConnected(false); }
    // Runs SQL that answers no rows (opening the database when needed).
    void Execute(const std::string& Sql);
    // Always False for this engine, unless a test sets it.
    bool IsSQLBased() const;
    void SetIsSQLBased(bool Value);
    // Whether a connection of that database name is open.
    static bool ConnectionOpen(const std::string& DatabaseName);

    static void Publish(TPublisher<TDatabase>& p);

private:
    std::string FDatabaseName;
    std::shared_ptr<TSqliteConnection> FConnection;
};

// The engine's datasets. A cursor is the list of the keys (row ids) of the
// records it shows, in order; a record's values are read by key only when a
// buffer is filled, so opening a large table reads no record. Posts write
// by key. Record filters (callbacks and expressions) run while the cursor
// is built.
class TBDEDataSet : public TRowDataSet {
    TASKMOOR_CLASS(TBDEDataSet, TRowDataSet)
public:
    explicit TBDEDataSet(TComponent* AOwner) : TRowDataSet(AOwner) {}
};

// A record filter of the engine: called in the filter state, with the
// record being tested readable through the fields; answers whether it shows.
using TDBFilterCallback = std::function<bool()>;

class TDBDataSet : public TBDEDataSet {
    TASKMOOR_CLASS(TDBDataSet, TBDEDataSet)
public:
    explicit TDBDataSet(TComponent* AOwner);
    ~TDBDataSet() override;

    const std::string& DatabaseName() const { return FDatabaseName; }
    void SetDatabaseName(const std::string& Value);
    // The database's connection is open (this dataset's own use).
    bool IsSQLBased() const;
    // Runs SQL on the dataset's database (opening it for the call).
    void ExecuteSQL(const std::string& Sql);

    // ---- Engine filters ----
    // Adds a callback filter (lower Priority runs first); answers its handle.
    // Added filters are inactive until activated.
    int AddFilter(TDBFilterCallback Callback, int Priority);
    // Adds an expression filter; raises EDBEngineError when the dataset
    // cannot filter by expressions or the tree names an unknown field.
    virtual int AddFilterExpression(std::unique_ptr<TFilterNode> Tree, int Priority);
    // An attached filter goes without building the cursor again.
    void DropFilter(int Handle);
    // Ties filter Handle (an expression filter) to the record filter and
    // activates it: it applies only while Filtered with an OnFilterRecord
    // handler, so the database answers part of what the handler would test.
    // The cursor is built again at the next change of the filtering.
    void AttachToRecordFilter(int Handle);
    void ActivateFilter(int Handle, bool Active);
    bool HasFilter(int Handle) const { return FFilters.count(Handle) != 0; }
    // Builds the cursor again (filters changed), staying on the current
    // record when it still shows.
    void RefreshCursor();
    // The record being tested while filtering is the one the fields read.
    bool Filtering() const { return FTesting != nullptr; }

    // ---- The cursor ----
    int CursorCount() const { return static_cast<int>(FKeys.size()); }
    // Position (0-based) of the active record in the cursor; -1 when none.
    int CursorPosition();
    // A field's text in the cursor record at Position, read without moving.
    std::string CursorFieldText(int Position, TField* Field);
    // Moves to the cursor record at Position.
    void GotoCursorPosition(int Position);
    // The key (row id) of the active record; 0 when none.
    int64_t CurrentKey();
    // Moves to the record of a key; False when the cursor does not show it.
    bool GotoKeyValue(int64_t Key);
    // Records read from the database so far (tests).
    long RowReads() const { return FRowReads; }
    // Locate and Lookup ask the database for the first match when it can
    // answer as the walk over the records would (on by default; off: the
    // walk always, for comparison).
    bool LocateByDatabase() const { return FLocateByDatabase; }
    void SetLocateByDatabase(bool Value) { FLocateByDatabase = Value; }
    // The cursor positions from From on whose records meet Tree (read as an
    // expression filter), in order, found by the database in one statement.
    // Raises EDBEngineError "Capability not supported" when the dataset reads
    // no base table, and "Invalid filter expression" or "Field '%s' not
    // found" for a tree it cannot take.
    std::vector<int> CursorPositionsWhere(const TFilterNode& Tree, int From);

    void SetFiltered(bool Value) override;
    void SetOnFilterRecord(const TFilterRecordEvent& Value) override;
    TUpdateStatus UpdateStatus() override { return State() == dsInsert ? usInserted : usUnmodified; }
    void SetRecNo(int Value) override;
    // SQLite keeps a text of any length in any column: a string field reads
    // and stores its text whole, whatever its Size.
    bool GetFieldText(TField* Field, std::string* Text) override { return GetWholeFieldText(Field, Text); }
    bool SetFieldText(TField* Field, const std::string& Text) override {
        return SetWholeFieldText(Field, Text);
    }

protected:
    TSqliteConnection* Connection() const { return FConnection.get(); }
    // The Filter text as an SQL condition on the dataset's columns (empty
    // when not Filtered or no text); raises EDBEngineError for a text that
    // is not one condition.
    std::string FilterCondition();
    // Raises EDBEngineError for a Filter text longer than MaxFilterTextLength.
    static void CheckFilterTextLength(const std::string& Text);

public:
    // A Filter text is an SQL condition a user types or a dialog writes; a
    // longer one is refused at once, before it is read.
    static constexpr size_t MaxFilterTextLength = 1024 * 1024;
    // Beside a test that Ref (the column Column of Table) begins with Text:
    // the condition, true wherever that test is, that reads an index on the
    // column (a range of the texts and BLOBs that begin with Text's ASCII
    // start); empty when there is none (the column not of TEXT affinity, a
    // database of UTF-16, no ASCII start). Exact (when given): the range is
    // the test itself (Text is ASCII through).
    std::string PrefixRange(const std::string& Table, const std::string& Column, const std::string& Ref,
                            const std::string& Text, bool* Exact = nullptr);
    // Whether the database keeps its texts in UTF-8; in one of UTF-16 SQLite
    // compares texts in that encoding's byte order, and a range written for
    // the rows the record test gives compares them by text_utf8. True for a
    // dataset without a connection.
    bool TextsInUtf8();

protected:
    // The rows a Filter text reads, as FROM names them (empty: unknown).
    virtual std::string FilterRowSource() { return std::string(); }
    // Whether a Filter text may name the rows' own rowid.
    virtual bool FilterRowsHaveRowid() const { return true; }
    void SetFilterText(const std::string& Value) override;
    // Keeps an expression filter (inactive) and answers its handle.
    int AddFilterTree(std::unique_ptr<TFilterNode> Tree, int Priority);
    void AcquireConnection();
    void ReleaseConnection();
    // Keys of the records in order, before the callback filters.
    virtual std::vector<int64_t> FetchKeys() = 0;
    virtual void ReadRow(int64_t Key, TRow& Row) = 0;
    // Stores a row (Key 0: a new one; answers its key). With Read (the row as
    // it was read), only the columns whose value changed are written.
    virtual int64_t WriteRow(int64_t Key, const TRow& Row, const TRow* Read = nullptr);
    virtual void RemoveRow(int64_t Key);
    // The base table of rows read by key (empty: none), and the table
    // column of each field definition.
    std::string FBaseTable;
    std::vector<std::string> FColumns;
    // Field definitions from the columns of a statement.
    void DefsFromStatement(void* Statement, const std::vector<std::string>& DeclTypes);
    // SQLite keeps a 64-bit integer in any column: widens each small or
    // whole-number field definition to the type that holds the least and
    // greatest values of its column in the rows of Rows (a SELECT whose
    // columns are the definitions, in order), so that no value shows cut.
    // Bind binds Rows' parameters. A Rows that cannot be measured leaves the
    // definitions as they are. (A string field keeps its declared size: its
    // texts read and store whole whatever the size.)
    void WidenFieldDefs(const std::string& Rows, const std::function<void(void*)>& Bind = {});
    // Reads the rows of a statement (a TSqliteStatement, bound, watched) as
    // WidenFieldDefs would measure them:
    // each small or whole-number definition widened to what its values need,
    // the rows' values in the definitions' final forms.
    void ReadRowsWidening(void* Statement, std::vector<TRow>& Rows);
    void ReadRowFromTable(int64_t Key, TRow& Row);
    void ReadRowFromStatement(void* Statement, int FirstColumn, TRow& Row);
    // Expression filters as an SQL condition over the base table (empty: none)
    // with its bound values.
    std::string ExpressionCondition(std::vector<std::string>& Binds, std::vector<int>& BindKinds);
    bool HasExpressionFilters() const;
    bool WalkToMatch(const std::vector<TField*>& KeyFields, const Variant& KeyValues,
                     TLocateOptions Options) override;
    // Builds the cursor; when Keep, stays on that key.
    void BuildCursor();
    void MoveToPosition(int Position);
    int PositionOf(int64_t Key) const override;
    void ReadShownRow(int Position, TRow& Row) override;
    TRow* FilterRow() const override { return TestingRow(); }

    void InternalAddRecord(TRecordBuffer Buffer, bool Append) override;
    void InternalEdit() override;
    void InternalPost() override;
    void InternalDelete() override;
    void InternalOpen() override;
    void InternalClose() override;
    void InternalRefresh() override;
    bool IsCursorOpen() override { return FOpen; }
    int GetRecordCount() override { return static_cast<int>(FKeys.size()); }
    // Opens the data (connection, statement); the field definitions are set after.
    virtual void OpenData() = 0;
    virtual void CloseData() {}
    bool FReadOnlyData = false;

private:
    struct TFilter {
        int Priority = 0;
        bool Active = false;
        bool WithRecordFilter = false;
        TDBFilterCallback Callback;
        std::unique_ptr<TFilterNode> Tree;
    };
    bool Accepts(TRow& Row);
    // The cursor position of the first record matching the key (-1: none),
    // found by the database; False when it cannot answer exactly.
    bool FindByDatabase(const std::vector<TField*>& KeyFields, const Variant& KeyValues,
                        TLocateOptions Options, int& Position, TDBWorkSpan& Span);
    // Runs Read with the cursor record at Position readable through the fields.
    void ReadAtCursor(int Position, const std::function<void()>& Read);
    // What the statement of FindByDatabase leans on, learnt once while open.
    struct TLocateFacts {
        bool Known = false;
        bool Utf8 = false;        // the database keeps its texts in UTF-8
        std::string RowidColumn;  // the column that is the row id ("": none)
    };
    const TLocateFacts& LocateFacts();
    TLocateFacts FLocateFacts;
    bool InEffect(const TFilter& Filter) const;
    std::string FDatabaseName;
    std::shared_ptr<TSqliteConnection> FConnection;
    // The read of a row by key (ReadRowFromTable), gone with the connection.
    std::unique_ptr<TSqliteStatement> FReadStatement;
    std::map<int, TFilter> FFilters;
    int FNextFilter = 1;
    std::vector<int64_t> FKeys;
    std::unordered_map<int64_t, int> FPositions;
    bool FOpen = false;
    TRow* FTesting = nullptr;
    // The record under test is read only when a field of it is (a filter that
    // answers without one costs no read).
    bool FTestingUnread = false;
    TRow* TestingRow() const;
    TRow FScratch;
    // The edited row as it was read (Edit).
    TRow FEditRead;
    long FRowReads = 0;
    bool FLocateByDatabase = true;
    int FBuilding = 0;
    bool FRebuildAgain = false;
};

// ---- Tables ----

TASKMOOR_ENUM(TIndexOption, ixPrimary, ixUnique, ixDescending, ixCaseInsensitive, ixExpression,
              ixNonMaintained)
using TIndexOptions = TSet<TIndexOption>;

class TIndexDef : public TCollectionItem {
    TASKMOOR_CLASS(TIndexDef, TCollectionItem)
public:
    explicit TIndexDef(TCollection* Collection) : TCollectionItem(Collection) {}
    std::string Name;
    // ";"-separated field names (empty for an expression index).
    std::string Fields;
    std::string Expression;
    TIndexOptions Options;
    // Per index field: its collation ("BINARY", "NOCASE", "FOLD") and direction.
    std::vector<std::string> Collations;
    std::vector<bool> Descending;
};

class TIndexDefs : public TCollection {
    TASKMOOR_CLASS(TIndexDefs, TCollection)
public:
    explicit TIndexDefs(TDataSet* ADataSet);
    TIndexDef* Items(int Index) const { return static_cast<TIndexDef*>(TCollection::Items(Index)); }
    TIndexDef* operator[](int Index) const { return Items(Index); }
    TIndexDef* AddIndexDef() { return static_cast<TIndexDef*>(Add()); }
    // By name ignoring case; nullptr when none.
    TIndexDef* FindIndex(const std::string& Name) const;
    // Raises "Index '%s' not found".
    TIndexDef* Find(const std::string& Name) const;
    // The index whose fields begin with Fields (";"-separated) with that case
    // rule; nullptr when none.
    TIndexDef* GetIndexForFields(const std::string& Fields, bool CaseInsensitive) const;
    using TCollection::Update;
    // Reads the definitions from the table again.
    void Update();
    bool Updated() const { return FUpdated; }
    void SetUpdated(bool Value) { FUpdated = Value; }

private:
    TDataSet* FDataSet;
    bool FUpdated = false;
};

// The file format a table names; the database engine opens only its own
// tables (ttDefault) and refuses the others.
TASKMOOR_ENUM(TTableType, ttDefault, ttParadox, ttDBase, ttFoxPro, ttASCII)

class TTable : public TDBDataSet {
    TASKMOOR_CLASS(TTable, TDBDataSet)
public:
    explicit TTable(TComponent* AOwner);
    ~TTable() override;

    virtual std::string TableName() const { return FTableName; }
    virtual void SetTableName(const std::string& Value);
    bool ReadOnly() const { return FReadOnly; }
    void SetReadOnly(bool Value);
    TTableType TableType() const { return FTableType; }
    void SetTableType(TTableType Value);
    TIndexDefs* IndexDefs() const { return FIndexDefs; }
    const std::string& IndexName() const { return FIndexName; }
    void SetIndexName(const std::string& Value);
    const std::string& IndexFieldNames() const { return FIndexFieldNames; }
    void SetIndexFieldNames(const std::string& Value);
    // Fields of the active index, in order.
    int IndexFieldCount();
    TField* IndexFields(int Index);
    // The active index's definition (nullptr with IndexFieldNames or none).
    TIndexDef* ActiveIndex();
    void GetIndexNames(TStrings* List);

    TDataSource* MasterSource() const;
    void SetMasterSource(TDataSource* Value);
    const std::string& MasterFields() const;
    void SetMasterFields(const std::string& Value);

    // ---- Keys ----
    void SetKey();
    void EditKey();
    bool GotoKey();
    void GotoNearest();
    bool FindKey(const std::vector<Variant>& KeyValues);
    void FindNearest(const std::vector<Variant>& KeyValues);
    // ---- Ranges ----
    void SetRangeStart();
    void SetRangeEnd();
    void EditRangeStart();
    void EditRangeEnd();
    void ApplyRange();
    void CancelRange();
    void SetRange(const std::vector<Variant>& StartValues, const std::vector<Variant>& EndValues);
    bool RangeActive() const { return FRangeActive; }
    // Moves to the record another table on the same table shows.
    void GotoCurrent(TTable* Table);
    int AddFilterExpression(std::unique_ptr<TFilterNode> Tree, int Priority) override;

    static void Publish(TPublisher<TTable>& p);

protected:
    std::vector<int64_t> FetchKeys() override;
    void ReadRow(int64_t Key, TRow& Row) override;
    void OpenData() override;
    void CloseData() override;
    void InternalInitFieldDefs() override;
    std::string FilterRowSource() override;
    bool GetCanModify() override { return !FReadOnly; }
    TDataSource* GetDataSource() override { return MasterSource(); }
    TRow* KeyRow() override { return &FKeyRows[FKeyIndex]; }
    void DoOnNewRecord() override;

private:
    friend class TIndexDefs;
    struct TKeyColumn {
        std::string Column;
        std::string Collation;
        bool Descending = false;
        TField* Field = nullptr;
    };
    std::vector<TKeyColumn> KeyColumns();
    // Puts the table in key state and fills the key buffer (FindKey, FindNearest).
    void SetKeyValues(const std::vector<Variant>& KeyValues);
    // The condition that the first Count key columns compare to Values by Op
    // ("=", ">=", "<="), with their binds.
    std::string KeyCondition(const std::vector<TKeyColumn>& Columns, const TRow& Values, int Count,
                             const std::string& Op, std::vector<std::pair<TField*, const TRow*>>& Binds);
    std::string OrderBy();
    void ReadIndexDefs(TIndexDefs* Defs);
    int KeyCount(const TRow& Key);
    void StartKey(int Index, bool Clear);
    void MasterChanged(TObject* Sender);
    void MasterDisabled(TObject* Sender);
    bool SearchKey(bool Nearest);

    std::string FTableName;
    std::string FIndexName;
    std::string FIndexFieldNames;
    bool FReadOnly = false;
    TTableType FTableType = ttDefault;
    TIndexDefs* FIndexDefs;
    TMasterDataLink* FMasterLink;
    TRow FKeyRows[3];
    int FKeyIndex = 0;
    bool FRangeActive = false;
    TRow FRangeStart, FRangeEnd;
    int FRangeStartCount = 0, FRangeEndCount = 0;
};

// ---- Queries ----

class TQuery : public TDBDataSet {
    TASKMOOR_CLASS(TQuery, TDBDataSet)
public:
    explicit TQuery(TComponent* AOwner);
    ~TQuery() override;

    TStrings* SQL() const { return FSQL; }
    void SetSQL(TStrings* Value);
    TParams* Params() const { return FParams; }
    void SetParams(TParams* Value);
    TParam* ParamByName(const std::string& Name) const;
    bool RequestLive() const { return FRequestLive; }
    void SetRequestLive(bool Value) { FRequestLive = Value; }
    // A live query over one table edits it; others are read-only.
    bool CanModifyQuery() { return GetCanModify(); }
    void Prepare();
    void UnPrepare();
    bool Prepared() const { return FPrepared; }
    // Runs SQL that answers no rows.
    void ExecSQL();
    // Whether the open query's rows come ordered first by Fields (";"-
    // separated, in that order): the leading terms of the statement's own
    // ORDER BY, each a result column, by a collation that ignores case
    // exactly when CaseInsensitive. False for a closed query.
    bool MapsToIndex(const std::string& Fields, bool CaseInsensitive);
    int RowsAffected() const { return FRowsAffected; }

    static void Publish(TPublisher<TQuery>& p);

protected:
    std::vector<int64_t> FetchKeys() override;
    void ReadRow(int64_t Key, TRow& Row) override;
    void OpenData() override;
    void CloseData() override;
    void InternalInitFieldDefs() override;
    bool GetCanModify() override { return !FBaseTable.empty(); }
    std::string FilterRowSource() override { return "(" + Text() + "\n)"; }
    bool FilterRowsHaveRowid() const override { return false; }

private:
    void SQLChanged(TObject* Sender);
    void BindParams(void* Statement);
    // Sets FLiveSql, FBaseTable and FColumns where the statement's columns
    // are those of one table.
    void FindLiveSql(void* Statement);
    std::string Text() const;
    TStrings* FSQL;
    TParams* FParams;
    bool FRequestLive = false;
    bool FPrepared = false;
    int FRowsAffected = -1;
    // Rows of a query that is not live.
    std::vector<TRow> FRows;
    // FRows read by the open (with its field definitions): the first
    // FetchKeys takes them as they are.
    bool FRowsFromOpen = false;
    std::string FLiveSql;
};

// Stored procedures: the engine has none; running one raises
// EDBEngineError "Capability not supported".
class TStoredProc : public TDBDataSet {
    TASKMOOR_CLASS(TStoredProc, TDBDataSet)
public:
    explicit TStoredProc(TComponent* AOwner);
    ~TStoredProc() override;
    const std::string& StoredProcName() const { return FStoredProcName; }
    void SetStoredProcName(const std::string& Value) { FStoredProcName = Value; }
    TParams* Params() const { return FParams; }
    void Prepare();
    void ExecProc();

    static void Publish(TPublisher<TStoredProc>& p);

protected:
    std::vector<int64_t> FetchKeys() override { return {}; }
    void ReadRow(int64_t, TRow&) override {}
    void OpenData() override;
    void InternalInitFieldDefs() override {}

private:
    std::string FStoredProcName;
    TParams* FParams;
};
