// The database component and the engine datasets' shared cursor: keys in
// order, records read by key, callback and expression filters.
#include "platform/db/dbtables.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <thread>

#include "platform/core/scope_exit.h"
#include "platform/core/streams.h"
#include "platform/core/text.h"
#include "platform/db/dbconsts.h"
#include "platform/db/fielddefs.h"
#include "platform/db/fields.h"
#include "platform/db/sqlite_connection.h"

const char* const SCapabilityNotSupported = "Capability not supported";
const char* const SDataLocked = "The data is locked by another user";

// ---- Lock retries ----

namespace {

TLockRetryCheck& LockRetryCheck() {
    static TLockRetryCheck check;
    return check;
}

// Pauses of 25, 50, 100, 200 ms, then 250 ms each.
int LockRetryPause(int Attempt) { return Attempt >= 5 ? 250 : 25 << (Attempt - 1); }

}  // namespace

bool LockRetryAllowed(int Attempt) {
    if (LockRetryCheck()) return LockRetryCheck()(Attempt);
    if (Attempt < 1) return false;
    int waited = 0;
    for (int n = 1; n < Attempt; ++n) waited += LockRetryPause(n);
    if (waited + LockRetryPause(Attempt) > LockRetryTime) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(LockRetryPause(Attempt)));
    return true;
}

void SetLockRetryCheck(TLockRetryCheck Check) { LockRetryCheck() = std::move(Check); }

// ---- TDatabase ----

TDatabase::TDatabase(TComponent* AOwner) : TComponent(AOwner) {}

TDatabase::~TDatabase() { FConnection.reset(); }

void TDatabase::SetDatabaseName(const std::string& Value) {
    if (Value == FDatabaseName) return;
    if (Connected()) DatabaseError("Cannot perform this operation on an open database");
    FDatabaseName = Value;
}

void TDatabase::SetConnected(bool Value) {
    if (Value == Connected()) return;
    if (Value)
        FConnection = TSqliteConnection::Acquire(FDatabaseName);
    else
        FConnection.reset();
}

void TDatabase::Execute(const std::string& Sql) {
    std::shared_ptr<TSqliteConnection> c =
        FConnection ? FConnection : TSqliteConnection::Acquire(FDatabaseName);
    c->Execute(Sql);
}

bool TDatabase::IsSQLBased() const { return FConnection && FConnection->SQLBased; }

void TDatabase::SetIsSQLBased(bool Value) {
    SetConnected(true);
    FConnection->SQLBased = Value;
}

bool TDatabase::ConnectionOpen(const std::string& DatabaseName) {
    return TSqliteConnection::IsOpen(DatabaseName);
}

void TDatabase::Publish(TPublisher<TDatabase>& p) {
    p.Property("DatabaseName", &TDatabase::DatabaseName, &TDatabase::SetDatabaseName);
    p.Property("Connected", &TDatabase::Connected, &TDatabase::SetConnected);
}

// ---- TDBDataSet ----

TDBDataSet::TDBDataSet(TComponent* AOwner) : TBDEDataSet(AOwner) {}

TDBDataSet::~TDBDataSet() = default;

void TDBDataSet::SetDatabaseName(const std::string& Value) {
    if (Value == FDatabaseName) return;
    CheckInactive();
    FDatabaseName = Value;
}

bool TDBDataSet::IsSQLBased() const {
    if (FConnection) return FConnection->SQLBased;
    if (!TSqliteConnection::IsOpen(FDatabaseName)) return false;
    return TSqliteConnection::Acquire(FDatabaseName)->SQLBased;
}

void TDBDataSet::ExecuteSQL(const std::string& Sql) {
    std::shared_ptr<TSqliteConnection> c =
        FConnection ? FConnection : TSqliteConnection::Acquire(FDatabaseName);
    c->Execute(Sql);
}

void TDBDataSet::AcquireConnection() {
    if (!FConnection) FConnection = TSqliteConnection::Acquire(FDatabaseName);
}

void TDBDataSet::ReleaseConnection() {
    FReadStatement.reset();
    FLocateFacts = {};
    FConnection.reset();
}

// ---- Filters ----

int TDBDataSet::AddFilter(TDBFilterCallback Callback, int Priority) {
    TFilter f;
    f.Priority = Priority;
    f.Callback = std::move(Callback);
    FFilters.emplace(FNextFilter, std::move(f));
    return FNextFilter++;
}

int TDBDataSet::AddFilterExpression(std::unique_ptr<TFilterNode>, int) {
    throw EDBEngineError(SCapabilityNotSupported, DBIERR_NOTSUPPORTED);
}

int TDBDataSet::AddFilterTree(std::unique_ptr<TFilterNode> Tree, int Priority) {
    TFilter f;
    f.Priority = Priority;
    f.Tree = std::move(Tree);
    FFilters.emplace(FNextFilter, std::move(f));
    return FNextFilter++;
}

void TDBDataSet::DropFilter(int Handle) {
    auto it = FFilters.find(Handle);
    if (it == FFilters.end()) return;
    const bool was = it->second.Active && !it->second.WithRecordFilter;
    FFilters.erase(it);
    if (was && FOpen) RefreshCursor();
}

void TDBDataSet::AttachToRecordFilter(int Handle) {
    auto it = FFilters.find(Handle);
    if (it == FFilters.end() || !it->second.Tree)
        throw EDBEngineError("Invalid filter handle", DBIERR_INVALIDFILTER);
    it->second.WithRecordFilter = true;
    it->second.Active = true;
}

void TDBDataSet::ActivateFilter(int Handle, bool Active) {
    auto it = FFilters.find(Handle);
    if (it == FFilters.end()) throw EDBEngineError("Invalid filter handle", DBIERR_INVALIDFILTER);
    if (it->second.Active == Active) return;
    it->second.Active = Active;
    if (FOpen) RefreshCursor();
}

bool TDBDataSet::InEffect(const TFilter& Filter) const {
    return Filter.Active && (!Filter.WithRecordFilter || (Filtered() && OnFilterRecord().Assigned()));
}

bool TDBDataSet::HasExpressionFilters() const {
    for (auto& [h, f] : FFilters)
        if (InEffect(f) && f.Tree) return true;
    return false;
}

namespace {

// Utf8: the database keeps its texts in UTF-8; in one of UTF-16 texts are
// compared by their UTF-8 bytes (text_utf8, sqlite_connection.cpp), as the
// record test compares them.
// Prefix (when given) answers, for a field and a text, the condition beside a
// case-sensitive STARTS that reads an index (TDBDataSet::PrefixRange).
// Exact: the condition is the test itself.
using TPrefixRange =
    std::function<std::string(const std::string& Field, const std::string& Text, bool& Exact)>;

void TreeToSql(TDBDataSet* ds, bool Utf8, const TFilterNode* n, const std::vector<std::string>& columns,
               std::string& out, std::vector<std::string>& binds, std::vector<int>& kinds,
               const TPrefixRange& Prefix = {}) {
    if (!n) throw EDBEngineError("Invalid filter expression", DBIERR_INVALIDFILTER);
    switch (n->Kind) {
    case fnField: {
        const int i = ds->FieldDefs()->IndexOf(n->Text);
        if (i < 0 || static_cast<size_t>(i) >= columns.size())
            throw EDBEngineError("Field '" + n->Text + "' not found", DBIERR_INVALIDFILTER);
        out += SqlName(columns[static_cast<size_t>(i)]);
        return;
    }
    case fnConstant:
        out += "?";
        binds.push_back(n->Text);
        kinds.push_back(n->ConstType);
        return;
    case fnCompare:
    case fnLogical:
    case fnArithmetic: {
        if (n->Kind == fnLogical && n->Text == "NOT") {
            // unknown counts as not met, so NOT takes it in
            out += "(NOT coalesce(";
            TreeToSql(ds, Utf8, n->Left.get(), columns, out, binds, kinds, Prefix);
            out += ", 0))";
            return;
        }
        const bool textTest =
            n->Kind == fnCompare && (n->Text == "STARTS" || n->Text == "CONTAINS" || n->Text == "ENDS");
        static const char* const ops[] = {"=", "<>", "<", ">", "<=", ">=", "AND", "OR", "+", "-", "*", "/"};
        if (!textTest && std::find(std::begin(ops), std::end(ops), n->Text) == std::end(ops))
            throw EDBEngineError("Invalid filter expression", DBIERR_INVALIDFILTER);
        const bool texts = textTest || (n->Texts && n->Kind == fnCompare);
        // one side: as texts, its bytes with a null as '', a field's folded when asked
        auto side = [&](const TFilterNode* s) {
            std::string x;
            TreeToSql(ds, Utf8, s, columns, x, binds, kinds, Prefix);
            if (!texts) return x;
            x = "coalesce(" + x + ", '')";
            if (s && s->Kind == fnField && n->CutBytes >= 0)
                x = "text_cut(" + x + ", " + std::to_string(n->CutBytes) + ")";
            if (s && s->Kind == fnField && (n->Fold || n->Upper))
                x = (n->Fold ? "fold(" : "upper(") + x + ")";
            return Utf8 ? "CAST(" + x + " AS BLOB)" : "text_utf8(" + x + ")";
        };
        // each side written where it stands, so that the binds follow the text
        auto put = [&](const char* Text, const TFilterNode* Side) {
            out += Text;
            out += side(Side);
        };
        const TFilterNode* L = n->Left.get();
        const TFilterNode* R = n->Right.get();
        // text_find (sqlite_connection.cpp) folds the left side itself
        auto find = [&]() {
            const bool foldLeft = n->Fold && L && L->Kind == fnField;
            out += "text_find(";
            TreeToSql(ds, Utf8, L, columns, out, binds, kinds, Prefix);
            out += ", ";
            out += side(R);
            out += foldLeft ? ", 1" : ", 0";
            // the left side cut as text_cut cuts it, without a copy
            if (n->CutBytes >= 0 && L && L->Kind == fnField) out += ", " + std::to_string(n->CutBytes);
            out += ")";
        };
        if (n->Text == "STARTS" || n->Text == "CONTAINS") {
            std::string range;
            bool exact = false;
            if (n->Text == "STARTS" && Prefix && !n->Fold && !n->Upper && L && L->Kind == fnField && R &&
                R->Kind == fnConstant)
                range = Prefix(L->Text, R->Text, exact);
            // (a null is no match either way: the range's unknown counts as not met)
            if (!range.empty() && exact && n->CutBytes < 0) {
                out += "(" + range + ")";
                return;
            }
            out += "(";
            find();
            out += n->Text == "STARTS" ? " = 1" : " > 0";
            if (!range.empty()) out += " AND " + range;
            out += ")";
        } else if (n->Text == "ENDS") {
            // Right's first occurrence ends the text: position - 1 + its length = the length
            out += "(";
            find();
            out += " > 0 AND ";
            find();
            put(" - 1 + length(", R);
            put(") = length(", L);
            out += "))";
        } else {
            put("(", L);
            out += " " + n->Text + " ";
            put("", R);
            out += ")";
        }
        return;
    }
    }
}

}  // namespace

std::string TDBDataSet::ExpressionCondition(std::vector<std::string>& Binds, std::vector<int>& BindKinds) {
    std::string out;
    std::vector<std::pair<int, const TFilter*>> active;
    for (auto& [h, f] : FFilters)
        if (InEffect(f) && f.Tree) active.emplace_back(f.Priority, &f);
    std::stable_sort(active.begin(), active.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    const bool utf8 = active.empty() || !Connection() || IsUtf8Database(Connection()->Db());
    const TPrefixRange prefix = [this](const std::string& Field, const std::string& Text, bool& Exact) {
        const int i = FieldDefs()->IndexOf(Field);
        if (i < 0 || static_cast<size_t>(i) >= FColumns.size() || FBaseTable.empty()) return std::string();
        const std::string& column = FColumns[static_cast<size_t>(i)];
        return PrefixRange(FBaseTable, column, SqlName(column), Text, &Exact);
    };
    for (auto& [p, f] : active) {
        if (!out.empty()) out += " AND ";
        TreeToSql(this, utf8, f->Tree.get(), FColumns, out, Binds, BindKinds, prefix);
    }
    return out;
}

bool TDBDataSet::Accepts(TRow& Row) {
    std::vector<std::pair<int, TFilter*>> callbacks;
    for (auto& [h, f] : FFilters)
        if (f.Active && f.Callback) callbacks.emplace_back(f.Priority, &f);
    const bool record = Filtered() && OnFilterRecord().Assigned();
    if (callbacks.empty() && !record) return true;
    std::stable_sort(callbacks.begin(), callbacks.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    TRow* saved = FTesting;
    FTesting = &Row;
    const TDataSetState old = SetTempState(dsFilter);
    bool accept = true;
    try {
        for (auto& [p, f] : callbacks) {
            TDBFilterCallback cb = f->Callback;  // a callback may drop its own filter
            if (!cb()) {
                accept = false;
                break;
            }
        }
        if (accept && record) OnFilterRecord()(this, accept);
    } catch (...) {
        RestoreState(old);
        FTesting = saved;
        throw;
    }
    RestoreState(old);
    FTesting = saved;
    return accept;
}

void TDBDataSet::BuildCursor() {
    ++FBuilding;
    const TScopeExit done([this] { --FBuilding; });
    do {
        FRebuildAgain = false;
        std::vector<int64_t> keys = FetchKeys();
        bool filters = Filtered() && OnFilterRecord().Assigned();
        for (auto& [h, f] : FFilters)
            if (f.Active && f.Callback) filters = true;
        if (filters) {
            std::vector<int64_t> shown;
            shown.reserve(keys.size());
            TRow work;
            struct TUnread {
                bool& Flag;
                ~TUnread() { Flag = false; }
            } unread{FTestingUnread};
            for (int64_t key : keys) {
                if (FRebuildAgain) break;
                // read when the filters look at a field (TestingRow)
                work.Key = key;
                FTestingUnread = true;
                if (Accepts(work)) shown.push_back(key);
            }
            keys.swap(shown);
        }
        if (FRebuildAgain) continue;
        FKeys.swap(keys);
    } while (FRebuildAgain);
    FPositions.clear();
    FPositions.reserve(FKeys.size());
    for (size_t i = 0; i < FKeys.size(); ++i) FPositions[FKeys[i]] = static_cast<int>(i);
}

void TDBDataSet::RefreshCursor() {
    if (!FOpen) return;
    if (FBuilding) {
        // a filter changed while the cursor is being built: build it again
        FRebuildAgain = true;
        return;
    }
    CheckBrowseMode();
    const int64_t key = CurrentKey();
    BuildCursor();
    const int position = PositionOf(key);
    if (position >= 0) {
        FPosition = position;
        Resync({});
    } else {
        First();
    }
}

int TDBDataSet::PositionOf(int64_t Key) const {
    auto it = FPositions.find(Key);
    return it == FPositions.end() ? -1 : it->second;
}

int TDBDataSet::CursorPosition() {
    const TRow* row = IsEmpty() ? nullptr : AsRow(ActiveBuffer());
    return row ? PositionOf(row->Key) : -1;
}

int64_t TDBDataSet::CurrentKey() {
    if (!Active() || IsEmpty() || State() == dsInsert) return 0;
    return AsRow(ActiveBuffer())->Key;
}

void TDBDataSet::ReadAtCursor(int Position, const std::function<void()>& Read) {
    ReadRow(FKeys[static_cast<size_t>(Position)], FScratch);
    TRow* saved = FTesting;
    const bool savedUnread = FTestingUnread;
    FTesting = &FScratch;
    FTestingUnread = false;
    const TDataSetState old = SetTempState(dsFilter);
    try {
        Read();
    } catch (...) {
        RestoreState(old);
        FTesting = saved;
        FTestingUnread = savedUnread;
        throw;
    }
    RestoreState(old);
    FTesting = saved;
    FTestingUnread = savedUnread;
}

std::string TDBDataSet::CursorFieldText(int Position, TField* Field) {
    if (Position < 0 || Position >= CursorCount() || !Field) return std::string();
    std::string text;
    ReadAtCursor(Position, [&] { text = Field->AsString(); });
    return text;
}

std::vector<int> TDBDataSet::CursorPositionsWhere(const TFilterNode& Tree, int From) {
    CheckActive();
    if (FBaseTable.empty()) throw EDBEngineError(SCapabilityNotSupported, DBIERR_NOTSUPPORTED);
    std::string where;
    std::vector<std::string> binds;
    std::vector<int> kinds;
    TreeToSql(this, IsUtf8Database(Connection()->Db()), &Tree, FColumns, where, binds, kinds);
    // a search reads only the dataset's table
    const TSqlFence fence =
        TSqlFence::Learn(Connection()->Db(), "SELECT rowid, * FROM " + SqlName(FBaseTable));
    TSqliteStatement st(Connection()->Db(), "SELECT rowid FROM " + SqlName(FBaseTable) + " WHERE " + where,
                        &fence);
    st.Watch(SDBSearchStopped);
    for (size_t i = 0; i < binds.size(); ++i) BindConstant(st, static_cast<int>(i) + 1, kinds[i], binds[i]);
    std::vector<int> positions;
    while (st.Step()) {
        const int position = PositionOf(st.ColumnInt(0));
        if (position >= From) positions.push_back(position);
    }
    std::sort(positions.begin(), positions.end());
    return positions;
}

void TDBDataSet::MoveToPosition(int Position) {
    FPosition = Position;
    Resync({rmCenter});
}

void TDBDataSet::GotoCursorPosition(int Position) {
    CheckBrowseMode();
    if (Position < 0 || Position >= CursorCount()) return;
    DoBeforeScroll();
    MoveToPosition(Position);
    DoAfterScroll();
}

bool TDBDataSet::GotoKeyValue(int64_t Key) {
    const int position = PositionOf(Key);
    if (position < 0) return false;
    GotoCursorPosition(position);
    return true;
}

void TDBDataSet::SetFiltered(bool Value) {
    const bool old = Filtered();
    TDataSet::SetFiltered(Value);
    if (FOpen && (OnFilterRecord().Assigned() || !Filter().empty())) {
        try {
            BuildCursor();
        } catch (...) {
            // a Filter text that is not a condition: the records stay as they were
            TDataSet::SetFiltered(old);
            BuildCursor();
            throw;
        }
        First();
    }
}

void TDBDataSet::SetFilterText(const std::string& Value) {
    CheckFilterTextLength(Value);
    const std::string old = Filter();
    TDataSet::SetFilterText(Value);
    if (FOpen && Filtered()) {
        try {
            BuildCursor();
        } catch (...) {
            TDataSet::SetFilterText(old);
            BuildCursor();
            throw;
        }
        First();
    }
}

void TDBDataSet::SetOnFilterRecord(const TFilterRecordEvent& Value) {
    TDataSet::SetOnFilterRecord(Value);
    if (FOpen && Filtered()) {
        BuildCursor();
        First();
    }
}

// ---- Rows ----

void TDBDataSet::ReadRowFromStatement(void* Statement, int FirstColumn, TRow& Row) {
    auto* st = static_cast<sqlite3_stmt*>(Statement);
    const size_t count = static_cast<size_t>(FieldDefs()->Count());
    Row.Values.resize(count);
    Row.Has.resize(count, 0);
    for (size_t i = 0; i < count; ++i) {
        TFieldDef* def = FieldDefs()->Items(static_cast<int>(i));
        NativeFromColumn(st, FirstColumn + static_cast<int>(i), def->DataType(), def->Size(), Row.Values[i],
                         Row.Has[i]);
    }
    ++FRowReads;
}

void TDBDataSet::ReadRowFromTable(int64_t Key, TRow& Row) {
    // prepared once while the dataset is open; reset after every read
    if (!FReadStatement) {
        std::string sql = "SELECT ";
        for (size_t i = 0; i < FColumns.size(); ++i) sql += (i ? ", " : "") + SqlName(FColumns[i]);
        if (FColumns.empty()) sql += "NULL";
        sql += " FROM " + SqlName(FBaseTable) + " WHERE rowid = ?";
        FReadStatement = std::make_unique<TSqliteStatement>(Connection()->Db(), sql);
        FReadStatement->Watch();
    }
    TSqliteStatement& st = *FReadStatement;
    struct TResetAfter {
        TSqliteStatement& Statement;
        ~TResetAfter() { Statement.Reset(); }
    } resetAfter{st};
    st.BindInt(1, Key);
    Row.Key = Key;
    if (!st.Step()) {
        // gone meanwhile (another connection deleted it): an empty record
        const size_t count = static_cast<size_t>(FieldDefs()->Count());
        Row.Values.assign(count, std::string());
        Row.Has.assign(count, 0);
        return;
    }
    ReadRowFromStatement(st.Handle(), 0, Row);
}

int64_t TDBDataSet::WriteRow(int64_t Key, const TRow& Row, const TRow* Read) {
    if (FBaseTable.empty()) DatabaseError(SDataSetReadOnly);
    std::string sql;
    std::vector<size_t> cols;
    for (size_t i = 0; i < FColumns.size(); ++i) {
        const TFieldType t = FieldDefs()->Items(static_cast<int>(i))->DataType();
        if (Key == 0 && t == ftAutoInc && !Row.Has[i]) continue;
        // a value the edit left alone stays as the file holds it
        if (Key != 0 && Read && i < Read->Has.size() && i < Row.Has.size() && Read->Has[i] == Row.Has[i] &&
            (!Row.Has[i] || Read->Values[i] == Row.Values[i]))
            continue;
        cols.push_back(i);
    }
    if (Key != 0 && cols.empty()) return Key;
    if (Key != 0) {
        sql = "UPDATE " + SqlName(FBaseTable) + " SET ";
        for (size_t n = 0; n < cols.size(); ++n) sql += (n ? ", " : "") + SqlName(FColumns[cols[n]]) + " = ?";
        sql += " WHERE rowid = ?";
    } else if (cols.empty()) {
        sql = "INSERT INTO " + SqlName(FBaseTable) + " DEFAULT VALUES";
    } else {
        sql = "INSERT INTO " + SqlName(FBaseTable) + " (";
        for (size_t n = 0; n < cols.size(); ++n) sql += (n ? ", " : "") + SqlName(FColumns[cols[n]]);
        sql += ") VALUES (";
        for (size_t n = 0; n < cols.size(); ++n) sql += n ? ", ?" : "?";
        sql += ")";
    }
    // a trigger of the file's may run long: the change can be stopped
    TSqliteStatement st(Connection()->Db(), sql);
    st.Watch(SDBChangeStopped);
    int index = 1;
    for (size_t i : cols)
        BindNative(st, index++, FieldDefs()->Items(static_cast<int>(i))->DataType(), Row.Values[i],
                   Row.Has[i] != 0);
    if (Key != 0) st.BindInt(index, Key);
    st.Step();
    // a row another connection deleted meanwhile takes no edit: refused, the edit stays
    if (Key != 0 && sqlite3_changes(Connection()->Db()) == 0) DatabaseError(SRecordNotFound);
    return Key != 0 ? Key : sqlite3_last_insert_rowid(Connection()->Db());
}

void TDBDataSet::RemoveRow(int64_t Key) {
    if (FBaseTable.empty()) DatabaseError(SDataSetReadOnly);
    TSqliteStatement st(Connection()->Db(), "DELETE FROM " + SqlName(FBaseTable) + " WHERE rowid = ?");
    st.Watch(SDBChangeStopped);
    st.BindInt(1, Key);
    st.Step();
}

void TDBDataSet::DefsFromStatement(void* Statement, const std::vector<std::string>& DeclTypes) {
    auto* st = static_cast<sqlite3_stmt*>(Statement);
    FieldDefs()->Clear();
    const int n = sqlite3_column_count(st);
    for (int i = 0; i < n; ++i) {
        std::string name = sqlite3_column_name(st, i) ? sqlite3_column_name(st, i) : "";
        std::string base = name;
        for (int k = 1; FieldDefs()->IndexOf(name) >= 0; ++k) name = base + "_" + std::to_string(k);
        TFieldType type = ftString;
        int size = 0;
        const char* decl = static_cast<size_t>(i) < DeclTypes.size()
                               ? DeclTypes[static_cast<size_t>(i)].c_str()
                               : sqlite3_column_decltype(st, i);
        FieldTypeOfColumn(decl ? decl : "", type, size);
        FieldDefs()->Add(name, type, size);
    }
}

namespace {

// Whether Type is a whole-number type a wider value may not fit.
bool NarrowWholeNumber(TFieldType Type) { return Type == ftSmallint || Type == ftInteger; }

// The type of a whole-number definition of Type that holds Least..Greatest.
TFieldType WideEnough(TFieldType Type, int64_t Least, int64_t Greatest) {
    const auto fits = [&](int64_t Low, int64_t High) { return Least >= Low && Greatest <= High; };
    if (Type == ftSmallint && !fits(INT16_MIN, INT16_MAX))
        return fits(INT32_MIN, INT32_MAX) ? ftInteger : ftLargeint;
    if (Type == ftInteger && !fits(INT32_MIN, INT32_MAX)) return ftLargeint;
    return Type;
}

}  // namespace

void TDBDataSet::WidenFieldDefs(const std::string& Rows, const std::function<void(void*)>& Bind) {
    const int count = FieldDefs()->Count();
    std::string names, bounds;
    // whole-number fields by their least and greatest values
    std::vector<int> measured;
    for (int i = 0; i < count; ++i) {
        const std::string c = "c" + std::to_string(i);
        names += (i ? ", " : "") + c;
        if (!NarrowWholeNumber(FieldDefs()->Items(i)->DataType())) continue;
        const std::string number = "CASE WHEN typeof(" + c + ") IN ('integer', 'real') THEN " + c + " END";
        bounds += (bounds.empty() ? "" : ", ") + ("min(" + number + "), max(" + number + ")");
        measured.push_back(i);
    }
    if (measured.empty()) return;
    try {
        TSqliteStatement st(Connection()->Db(),
                            "WITH r(" + names + ") AS (" + Rows + "\n) SELECT " + bounds + " FROM r");
        st.Watch();
        if (Bind) Bind(st.Handle());
        if (!st.Step()) return;
        int column = 0;
        for (const int i : measured) {
            TFieldDef* def = FieldDefs()->Items(i);
            const int64_t least = st.ColumnInt(column++), greatest = st.ColumnInt(column++);
            def->SetDataType(WideEnough(def->DataType(), least, greatest));
        }
    } catch (const EDBEngineError& e) {
        // an engine error leaves the types declared (a parameter without a
        // value is no engine error and goes to the caller), unless a lock
        // or a stop
        if (IsLockConflict(e.ErrorCode()) || IsWorkStopped(e.ErrorCode())) throw;
    }
}

void TDBDataSet::ReadRowsWidening(void* Statement, std::vector<TRow>& Rows) {
    auto& st = *static_cast<TSqliteStatement*>(Statement);
    const int count = FieldDefs()->Count();
    // each narrow whole number read as a 64-bit one, measured as it comes
    struct TMeasure {
        int Index;
        TFieldType Declared;
        int64_t Least = INT64_MAX, Greatest = INT64_MIN;
    };
    std::vector<TMeasure> measures;
    for (int i = 0; i < count; ++i) {
        TFieldDef* def = FieldDefs()->Items(i);
        if (!NarrowWholeNumber(def->DataType())) continue;
        measures.push_back({i, def->DataType()});
        def->SetDataType(ftLargeint);
    }
    const auto restore = [&] {
        for (const TMeasure& m : measures) FieldDefs()->Items(m.Index)->SetDataType(m.Declared);
    };
    Rows.clear();
    try {
        while (st.Step()) {
            TRow row;
            ReadRowFromStatement(st.Handle(), 0, row);
            for (TMeasure& m : measures) {
                const size_t i = static_cast<size_t>(m.Index);
                if (!row.Has[i]) continue;
                int64_t v = 0;
                std::memcpy(&v, row.Values[i].data(), sizeof v);
                m.Least = std::min(m.Least, v);
                m.Greatest = std::max(m.Greatest, v);
            }
            row.Key = static_cast<int64_t>(Rows.size()) + 1;
            Rows.push_back(std::move(row));
        }
    } catch (...) {
        restore();
        throw;
    }
    restore();
    // each column's values in its final form
    for (const TMeasure& m : measures) {
        TFieldDef* def = FieldDefs()->Items(m.Index);
        const TFieldType type =
            m.Least > m.Greatest ? m.Declared : WideEnough(m.Declared, m.Least, m.Greatest);
        def->SetDataType(type);
        if (type == ftLargeint) continue;
        const size_t i = static_cast<size_t>(m.Index);
        for (TRow& row : Rows) {
            if (!row.Has[i]) continue;
            int64_t v = 0;
            std::memcpy(&v, row.Values[i].data(), sizeof v);
            if (type == ftSmallint) {
                const auto n = static_cast<int16_t>(v);
                row.Values[i].assign(reinterpret_cast<const char*>(&n), sizeof n);
            } else {
                const auto n = static_cast<int32_t>(v);
                row.Values[i].assign(reinterpret_cast<const char*>(&n), sizeof n);
            }
        }
    }
}

// ---- Buffers and navigation ----

TDBDataSet::TRow* TDBDataSet::TestingRow() const {
    if (FTesting && FTestingUnread) {
        auto* self = const_cast<TDBDataSet*>(this);
        self->FTestingUnread = false;
        self->ReadRow(FTesting->Key, *FTesting);
    }
    return FTesting;
}

void TDBDataSet::ReadShownRow(int Position, TRow& Row) {
    const int64_t key = FKeys[static_cast<size_t>(Position)];
    ReadRow(key, Row);
    Row.Key = key;
}

void TDBDataSet::InternalAddRecord(TRecordBuffer Buffer, bool) {
    const int64_t key = WriteRow(0, *AsRow(Buffer));
    BuildCursor();
    const int position = PositionOf(key);
    // a new record the cursor does not show (range, filter) leaves the cursor where it was
    if (position >= 0)
        FPosition = position;
    else
        FPosition = std::min(FPosition, static_cast<int>(FKeys.size()) - 1);
}

void TDBDataSet::InternalEdit() {
    const TRow* row = AsRow(ActiveBuffer());
    FEditRead.Key = row->Key;
    FEditRead.Values = row->Values;
    FEditRead.Has = row->Has;
}

void TDBDataSet::InternalPost() {
    TDataSet::InternalPost();
    TRow* row = AsRow(ActiveBuffer());
    if (State() == dsEdit) {
        const int64_t key = row->Key;
        WriteRow(key, *row, FEditRead.Key == key ? &FEditRead : nullptr);
        // the record may move in the order or leave a range
        BuildCursor();
        const int position = PositionOf(key);
        if (position >= 0)
            FPosition = position;
        else
            FPosition = std::min(FPosition, static_cast<int>(FKeys.size()) - 1);
        return;
    }
    InternalAddRecord(ActiveBuffer(), row->Flag == bfEOF);
}

void TDBDataSet::InternalDelete() {
    if (FPosition < 0 || FPosition >= static_cast<int>(FKeys.size())) DatabaseError(SRecordNotFound);
    const int64_t key = FKeys[static_cast<size_t>(FPosition)];
    RemoveRow(key);
    FKeys.erase(FKeys.begin() + FPosition);
    FPositions.erase(key);
    for (size_t i = static_cast<size_t>(FPosition); i < FKeys.size(); ++i)
        FPositions[FKeys[i]] = static_cast<int>(i);
}

void TDBDataSet::InternalOpen() {
    AcquireConnection();
    FLocateFacts = {};
    try {
        OpenData();
        if (DefaultFields()) CreateFields();
        BindFields(true);
        SetBookmarkSize(sizeof(int64_t));
        FOpen = true;
        BuildCursor();
    } catch (...) {
        FOpen = false;
        CloseData();
        ReleaseConnection();
        throw;
    }
    FPosition = -1;
}

void TDBDataSet::InternalClose() {
    BindFields(false);
    if (DefaultFields()) DestroyFields();
    FOpen = false;
    FKeys.clear();
    FPositions.clear();
    FPosition = -1;
    CloseData();
    ReleaseConnection();
}

void TDBDataSet::InternalRefresh() {
    const int64_t key =
        FPosition >= 0 && FPosition < CursorCount() ? FKeys[static_cast<size_t>(FPosition)] : 0;
    BuildCursor();
    const int position = PositionOf(key);
    FPosition = position >= 0 ? position : std::min(FPosition, static_cast<int>(FKeys.size()) - 1);
}

void TDBDataSet::SetRecNo(int Value) {
    CheckBrowseMode();
    const int count = CursorCount();
    if (count == 0) return;
    Value = std::clamp(Value, 1, count);
    if (Value == RecNo()) return;
    GotoCursorPosition(Value - 1);
}
