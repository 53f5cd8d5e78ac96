// TTable over a table of the database: columns as fields, the table's
// indexes as index definitions, index order, key searches, ranges and the
// master-detail link, all as conditions and orders of the cursor's query.
#include <algorithm>

#include "platform/core/sysutils.h"
#include "platform/db/datasource.h"
#include "platform/db/db_internal.h"
#include "platform/db/dbconsts.h"
#include "platform/db/dbtables.h"
#include "platform/db/fielddefs.h"
#include "platform/db/fields.h"
#include "platform/db/sqlite_connection.h"

namespace {

std::vector<std::string> SplitNames(const std::string& text) {
    std::vector<std::string> out;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find(';', start);
        if (end == std::string::npos) end = text.size();
        std::string name = Trim(text.substr(start, end - start));
        if (!name.empty()) out.push_back(name);
        start = end + 1;
    }
    return out;
}

struct TBind {
    TFieldType Type;
    std::string Value;
    bool Has;
};
}  // namespace

// ---- Index definitions ----

TIndexDefs::TIndexDefs(TDataSet* ADataSet)
    : TCollection(CollectionItemClass<TIndexDef>()), FDataSet(ADataSet) {}

TIndexDef* TIndexDefs::FindIndex(const std::string& Name) const {
    for (int i = 0; i < Count(); ++i)
        if (AnsiSameText(Items(i)->Name, Name)) return Items(i);
    return nullptr;
}

TIndexDef* TIndexDefs::Find(const std::string& Name) const {
    TIndexDef* def = FindIndex(Name);
    if (!def) DatabaseErrorFmt("Index '%s' not found", Name);
    return def;
}

TIndexDef* TIndexDefs::GetIndexForFields(const std::string& Fields, bool CaseInsensitive) const {
    const std::string wanted = AnsiUpperCase(Fields);
    for (int pass = 0; pass < 2; ++pass)
        for (int i = 0; i < Count(); ++i) {
            TIndexDef* def = Items(i);
            if (def->Options.Contains(ixCaseInsensitive) != CaseInsensitive) continue;
            const std::string have = AnsiUpperCase(def->Fields);
            if (pass == 0 ? have == wanted
                          : (have.size() > wanted.size() && have.compare(0, wanted.size(), wanted) == 0 &&
                             have[wanted.size()] == ';'))
                return def;
        }
    return nullptr;
}

void TIndexDefs::Update() {
    if (auto* table = dynamic_cast<TTable*>(FDataSet)) table->ReadIndexDefs(this);
    FUpdated = true;
}

// ---- TTable ----

TTable::TTable(TComponent* AOwner) : TDBDataSet(AOwner), FIndexDefs(new TIndexDefs(this)) {
    FMasterLink = new TMasterDataLink(this);
    FMasterLink->SetOnMasterChange(TNotifyEvent(this, &TTable::MasterChanged));
    FMasterLink->SetOnMasterDisable(TNotifyEvent(this, &TTable::MasterDisabled));
}

TTable::~TTable() {
    Destroying();
    SetActive(false);
    delete FMasterLink;
    delete FIndexDefs;
}

void TTable::Publish(TPublisher<TTable>& p) {
    p.Property("DatabaseName", &TTable::DatabaseName, &TTable::SetDatabaseName);
    p.Property("TableName", &TTable::TableName, &TTable::SetTableName);
    p.Property("IndexName", &TTable::IndexName, &TTable::SetIndexName);
    p.Property("IndexFieldNames", &TTable::IndexFieldNames, &TTable::SetIndexFieldNames);
    p.Property("ReadOnly", &TTable::ReadOnly, &TTable::SetReadOnly);
    p.Property("TableType", &TTable::TableType, &TTable::SetTableType);
    p.Property("MasterSource", &TTable::MasterSource, &TTable::SetMasterSource);
    p.Property("MasterFields", &TTable::MasterFields, &TTable::SetMasterFields);
}

void TTable::SetTableType(TTableType Value) {
    if (Value == FTableType) return;
    CheckInactive();
    FTableType = Value;
}

void TTable::SetTableName(const std::string& Value) {
    if (Value == FTableName) return;
    CheckInactive();
    FTableName = Value;
    FIndexDefs->Clear();
    FIndexDefs->SetUpdated(false);
    FieldDefs()->Clear();
}

void TTable::SetReadOnly(bool Value) {
    CheckInactive();
    FReadOnly = Value;
}

TDataSource* TTable::MasterSource() const { return FMasterLink->DataSource(); }
void TTable::SetMasterSource(TDataSource* Value) { FMasterLink->SetDataSource(Value); }
const std::string& TTable::MasterFields() const { return FMasterLink->FieldNames(); }
void TTable::SetMasterFields(const std::string& Value) { FMasterLink->SetFieldNames(Value); }

void TTable::MasterChanged(TObject*) {
    if (!Active()) return;
    CheckBrowseMode();
    BuildCursor();
    First();
}

void TTable::MasterDisabled(TObject*) { MasterChanged(nullptr); }

void TTable::SetIndexName(const std::string& Value) {
    if (Value == FIndexName && FIndexFieldNames.empty()) return;
    if (Active() && !Value.empty()) {
        if (!FIndexDefs->Updated()) FIndexDefs->Update();
        FIndexDefs->Find(Value);
    }
    FIndexName = Value;
    FIndexFieldNames.clear();
    if (Active()) {
        CheckBrowseMode();
        RefreshCursor();
    }
}

void TTable::SetIndexFieldNames(const std::string& Value) {
    if (Value == FIndexFieldNames) return;
    if (Active())
        for (const std::string& name : SplitNames(Value)) FieldByName(name);
    FIndexFieldNames = Value;
    if (!Value.empty()) FIndexName.clear();
    if (Active()) {
        CheckBrowseMode();
        RefreshCursor();
    }
}

TIndexDef* TTable::ActiveIndex() {
    if (!FIndexFieldNames.empty() || FIndexName.empty()) {
        if (!FIndexFieldNames.empty() || !Active()) return nullptr;
    }
    if (!FIndexDefs->Updated()) FIndexDefs->Update();
    return FIndexName.empty() ? nullptr : FIndexDefs->FindIndex(FIndexName);
}

std::vector<TTable::TKeyColumn> TTable::KeyColumns() {
    std::vector<TKeyColumn> out;
    std::vector<std::string> names;
    TIndexDef* def = nullptr;
    if (!FIndexFieldNames.empty())
        names = SplitNames(FIndexFieldNames);
    else if ((def = ActiveIndex()) != nullptr)
        names = SplitNames(def->Fields);
    for (size_t i = 0; i < names.size(); ++i) {
        const int d = FieldDefs()->IndexOf(names[i]);
        if (d < 0) continue;
        TKeyColumn c;
        c.Column = FColumns[static_cast<size_t>(d)];
        c.Collation = def && i < def->Collations.size() ? def->Collations[i] : "BINARY";
        c.Descending = def && i < def->Descending.size() && def->Descending[i];
        c.Field = FindField(names[i]);
        out.push_back(c);
    }
    return out;
}

int TTable::IndexFieldCount() { return static_cast<int>(KeyColumns().size()); }

TField* TTable::IndexFields(int Index) {
    const auto columns = KeyColumns();
    if (Index < 0 || Index >= static_cast<int>(columns.size())) return nullptr;
    return columns[static_cast<size_t>(Index)].Field;
}

void TTable::GetIndexNames(TStrings* List) {
    List->Clear();
    if (!FIndexDefs->Updated()) FIndexDefs->Update();
    for (int i = 0; i < FIndexDefs->Count(); ++i) List->Add(FIndexDefs->Items(i)->Name);
}

std::string TTable::FilterRowSource() { return FTableName.empty() ? std::string() : SqlName(FTableName); }

void TTable::InternalInitFieldDefs() {
    const bool open = Connection() != nullptr;
    if (!open) AcquireConnection();
    try {
        OpenData();
    } catch (...) {
        if (!open) ReleaseConnection();
        throw;
    }
    if (!open) ReleaseConnection();
}

void TTable::OpenData() {
    if (FTableName.empty()) DatabaseError("Missing TableName property");
    if (FTableType != ttDefault) throw EDBEngineError(SCapabilityNotSupported, DBIERR_NOTSUPPORTED);
    std::vector<std::string> columns;
    FieldDefs()->Clear();
    {
        TSqliteStatement st(Connection()->Db(), "PRAGMA table_info(" + SqlName(FTableName) + ")");
        std::string createSql;
        {
            TSqliteStatement master(
                Connection()->Db(),
                "SELECT sql FROM sqlite_master WHERE type = 'table' AND name = ? COLLATE NOCASE");
            master.BindText(1, FTableName);
            if (master.Step()) createSql = UpperCase(master.ColumnText(0));
        }
        int pkCount = 0;
        while (st.Step()) {
            const std::string name = st.ColumnText(1);
            TFieldType type = ftString;
            int size = 0;
            FieldTypeOfColumn(st.ColumnText(2), type, size);
            const bool pk = st.ColumnInt(5) > 0;
            if (pk) ++pkCount;
            // the row id's own column is numbered by the engine
            if (pk && UpperCase(st.ColumnText(2)) == "INTEGER" &&
                createSql.find("WITHOUT ROWID") == std::string::npos)
                type = ftAutoInc;
            TFieldDef* def = FieldDefs()->Add(name, type, size);
            def->SetRequired(st.ColumnInt(3) != 0 && type != ftAutoInc);
            columns.push_back(name);
        }
        if (columns.empty()) throw EDBEngineError("Table does not exist: " + FTableName, SQLITE_ERROR);
        if (pkCount > 1)
            for (int i = 0; i < FieldDefs()->Count(); ++i)
                if (FieldDefs()->Items(i)->DataType() == ftAutoInc)
                    FieldDefs()->Items(i)->SetDataType(ftInteger);
    }
    FBaseTable = FTableName;
    FColumns = columns;
    std::string rows = "SELECT ";
    for (size_t i = 0; i < columns.size(); ++i) rows += (i ? ", " : "") + SqlName(columns[i]);
    WidenFieldDefs(rows + " FROM " + SqlName(FTableName));
    FIndexDefs->Update();
    FReadOnlyData = FReadOnly;
}

void TTable::CloseData() {}

void TTable::ReadIndexDefs(TIndexDefs* Defs) {
    Defs->Clear();
    if (FTableName.empty()) return;
    const bool open = Connection() != nullptr;
    if (!open) AcquireConnection();
    struct TRelease {
        TTable* T;
        bool Open;
        ~TRelease() {
            if (!Open) T->ReleaseConnection();
        }
    } release{this, open};
    sqlite3* db = Connection()->Db();
    bool hasPkIndex = false;
    std::vector<std::pair<std::string, std::string>> lists;  // name, origin
    std::vector<bool> uniques;
    {
        TSqliteStatement st(db, "PRAGMA index_list(" + SqlName(FTableName) + ")");
        while (st.Step()) {
            lists.emplace_back(st.ColumnText(1), st.ColumnText(3));
            uniques.push_back(st.ColumnInt(2) != 0);
        }
    }
    for (size_t n = lists.size(); n-- > 0;) {
        const auto& [name, origin] = lists[n];
        TIndexDef* def = Defs->AddIndexDef();
        def->Name = origin == "pk" ? "PrimaryKey" : name;
        if (origin == "pk") {
            hasPkIndex = true;
            def->Options.Include(ixPrimary);
        }
        if (uniques[n]) def->Options.Include(ixUnique);
        TSqliteStatement st(db, "PRAGMA index_xinfo(" + SqlName(name) + ")");
        bool first = true;
        while (st.Step()) {
            if (st.ColumnInt(5) == 0) continue;  // not a key column
            const int cid = static_cast<int>(st.ColumnInt(1));
            if (cid == -2) {
                def->Options.Include(ixExpression);
                TSqliteStatement sql(db, "SELECT sql FROM sqlite_master WHERE type = 'index' AND name = ?");
                sql.BindText(1, name);
                if (sql.Step()) def->Expression = sql.ColumnText(0);
                first = false;
                continue;
            }
            if (cid < 0) continue;
            const std::string column = st.ColumnText(2);
            const bool desc = st.ColumnInt(3) != 0;
            const std::string coll = st.ColumnText(4);
            if (!def->Fields.empty()) def->Fields += ";";
            def->Fields += column;
            def->Collations.push_back(coll.empty() ? "BINARY" : coll);
            def->Descending.push_back(desc);
            if (first) {
                if (desc) def->Options.Include(ixDescending);
                if (CaseInsensitiveCollation(coll)) def->Options.Include(ixCaseInsensitive);
            }
            first = false;
        }
    }
    if (!hasPkIndex) {
        // the row id's own column is the primary key
        TSqliteStatement st(db, "PRAGMA table_info(" + SqlName(FTableName) + ")");
        while (st.Step())
            if (st.ColumnInt(5) == 1 && UpperCase(st.ColumnText(2)) == "INTEGER") {
                auto* def = static_cast<TIndexDef*>(Defs->Insert(0));
                def->Name = "PrimaryKey";
                def->Fields = st.ColumnText(1);
                def->Options = TIndexOptions{ixPrimary, ixUnique};
                def->Collations = {"BINARY"};
                def->Descending = {false};
            }
    }
    Defs->SetUpdated(true);
}

std::string TTable::OrderBy() {
    std::string out;
    for (const TKeyColumn& c : KeyColumns())
        out += SqlName(c.Column) + " COLLATE " + c.Collation + (c.Descending ? " DESC" : "") + ", ";
    return " ORDER BY " + out + "rowid";
}

std::string TTable::KeyCondition(const std::vector<TKeyColumn>& Columns, const TRow& Values, int Count,
                                 const std::string& Op, std::vector<std::pair<TField*, const TRow*>>& Binds) {
    Count = std::min(Count, static_cast<int>(Columns.size()));
    if (Count <= 0) return "1";
    const auto value = [&](int i) { return std::make_pair(Columns[static_cast<size_t>(i)].Field, &Values); };
    const auto hasValue = [&](int i) {
        TField* f = Columns[static_cast<size_t>(i)].Field;
        const size_t d = f ? static_cast<size_t>(f->FieldNo() - 1) : 0;
        return f && d < Values.Has.size() && Values.Has[d];
    };
    const auto col = [&](int i) {
        return SqlName(Columns[static_cast<size_t>(i)].Column) + " COLLATE " +
               Columns[static_cast<size_t>(i)].Collation;
    };
    const auto eq = [&](int i) {
        if (!hasValue(i)) return SqlName(Columns[static_cast<size_t>(i)].Column) + " IS NULL";
        Binds.push_back(value(i));
        return col(i) + " = ?";
    };
    if (Op == "=") {
        std::string out;
        for (int i = 0; i < Count; ++i) out += (i ? " AND " : "") + eq(i);
        return out;
    }
    // lexicographic order of the index: at or after (">=") or at or before ("<=")
    std::string out;
    std::string close;
    for (int i = 0; i < Count; ++i) {
        const bool desc = Columns[static_cast<size_t>(i)].Descending;
        const bool after = (Op == ">=") != desc;
        const bool last = i == Count - 1;
        std::string part;
        if (!hasValue(i)) {
            // nulls sort first
            if (last)
                part = after ? "1" : SqlName(Columns[static_cast<size_t>(i)].Column) + " IS NULL";
            else
                part = after ? SqlName(Columns[static_cast<size_t>(i)].Column) + " IS NOT NULL" : "0";
        } else {
            Binds.push_back(value(i));
            const std::string name = SqlName(Columns[static_cast<size_t>(i)].Column);
            if (last)
                part = after ? col(i) + " >= ?" : "(" + col(i) + " <= ? OR " + name + " IS NULL)";
            else
                part = after ? col(i) + " > ?" : "(" + col(i) + " < ? OR " + name + " IS NULL)";
        }
        if (last) {
            out += part;
            break;
        }
        out += "(" + part + " OR (" + eq(i) + " AND ";
        close += "))";
    }
    return out + close;
}

std::vector<int64_t> TTable::FetchKeys() {
    std::string where;
    std::vector<TBind> binds;
    const auto columns = KeyColumns();
    // master-detail: the first index fields equal the master's fields
    TRow master;
    if (FMasterLink->Active() && !FMasterLink->Fields().empty()) {
        const auto& fields = FMasterLink->Fields();
        const size_t n = std::min(fields.size(), columns.size());
        for (size_t i = 0; i < n; ++i) {
            const TKeyColumn& c = columns[i];
            if (!where.empty()) where += " AND ";
            if (fields[i]->IsNull() || FMasterLink->DataSet()->IsEmpty()) {
                where += SqlName(c.Column) + " IS NULL";
                continue;
            }
            where += SqlName(c.Column) + " COLLATE " + c.Collation + " = ?";
            TBind b{c.Field ? c.Field->DataType() : ftString, {}, true};
            // the master's value in the detail field's native form
            // (a text whole: the master's may be longer than either field's size)
            std::string native(static_cast<size_t>(c.Field ? c.Field->DataSize() : 0) + 8, '\0');
            if (c.Field && fields[i]->DataType() == c.Field->DataType() && c.Field->DataType() != ftString &&
                fields[i]->DataSet()->GetFieldData(fields[i], native.data())) {
                b.Value = native;
            } else {
                b.Type = ftString;
                b.Value = fields[i]->AsString();
            }
            binds.push_back(b);
        }
    }
    std::vector<std::pair<TField*, const TRow*>> keyBinds;
    if (FRangeActive) {
        if (FRangeStartCount > 0) {
            if (!where.empty()) where += " AND ";
            where += KeyCondition(columns, FRangeStart, FRangeStartCount, ">=", keyBinds);
        }
        if (FRangeEndCount > 0) {
            if (!where.empty()) where += " AND ";
            where += KeyCondition(columns, FRangeEnd, FRangeEndCount, "<=", keyBinds);
        }
        for (auto& [f, row] : keyBinds) {
            const size_t d = static_cast<size_t>(f->FieldNo() - 1);
            binds.push_back({f->DataType(), row->Values[d], true});
        }
    }
    const std::string text = FilterCondition();
    if (!text.empty()) {
        if (!where.empty()) where += " AND ";
        where += "(" + text + "\n)";
    }
    std::vector<std::string> exprBinds;
    std::vector<int> exprKinds;
    const std::string expr = ExpressionCondition(exprBinds, exprKinds);
    if (!expr.empty()) {
        if (!where.empty()) where += " AND ";
        where += expr;
        for (size_t i = 0; i < exprBinds.size(); ++i)
            binds.push_back({static_cast<TFieldType>(exprKinds[i]), exprBinds[i], true});
    }
    // a Filter text and expression filters read only the table, watched
    std::unique_ptr<TSqlFence> fence;
    if (!text.empty() || !expr.empty()) {
        fence = std::make_unique<TSqlFence>(
            TSqlFence::Learn(Connection()->Db(), "SELECT rowid, * FROM " + SqlName(FTableName)));
        fence->Watched = true;
    }
    // in the row ids' order: sorted here, where an index read the rows (a
    // temporary tree of SQLite's own costs more than the rows' search)
    const bool byRowid = KeyColumns().empty();
    TSqliteStatement st(Connection()->Db(),
                        "SELECT rowid FROM " + SqlName(FTableName) +
                            (where.empty() ? "" : " WHERE " + where) + (byRowid ? std::string() : OrderBy()),
                        fence.get());
    st.Watch();
    // expression constants are texts; the rest native values
    for (size_t i = 0; i < binds.size(); ++i) {
        const int index = static_cast<int>(i) + 1;
        if (i >= binds.size() - exprBinds.size()) {
            BindConstant(st, index, binds[i].Type, binds[i].Value);
        } else {
            BindNative(st, index, binds[i].Type, binds[i].Value, binds[i].Has);
        }
    }
    std::vector<int64_t> keys;
    while (st.Step()) keys.push_back(st.ColumnInt(0));
    if (byRowid && !std::is_sorted(keys.begin(), keys.end())) std::sort(keys.begin(), keys.end());
    return keys;
}

void TTable::ReadRow(int64_t Key, TRow& Row) { ReadRowFromTable(Key, Row); }

namespace {

void CheckTree(TTable* t, const TFilterNode* n) {
    if (!n) throw EDBEngineError("Invalid filter expression", DBIERR_INVALIDFILTER);
    if (n->Kind == fnField) {
        if (t->FieldDefs()->IndexOf(n->Text) < 0)
            throw EDBEngineError("Field '" + n->Text + "' not found", DBIERR_INVALIDFILTER);
        return;
    }
    if (n->Kind == fnConstant) return;
    CheckTree(t, n->Left.get());
    if (n->Kind == fnLogical && n->Text == "NOT") return;
    CheckTree(t, n->Right.get());
}

}  // namespace

int TTable::AddFilterExpression(std::unique_ptr<TFilterNode> Tree, int Priority) {
    if (FieldDefs()->Count() == 0) InitFieldDefs();
    // a tree naming an unknown field is refused before it is kept
    CheckTree(this, Tree.get());
    return AddFilterTree(std::move(Tree), Priority);
}

void TTable::DoOnNewRecord() {
    // a detail's new record takes the master's values
    if (FMasterLink->Active() && !FMasterLink->Fields().empty()) {
        const auto columns = KeyColumns();
        const auto& fields = FMasterLink->Fields();
        for (size_t i = 0; i < fields.size() && i < columns.size(); ++i)
            if (columns[i].Field && !fields[i]->IsNull())
                columns[i].Field->SetAsVariant(fields[i]->AsVariant());
    }
    TDBDataSet::DoOnNewRecord();
}

// ---- Keys ----

int TTable::KeyCount(const TRow& Key) {
    int n = 0;
    for (const TKeyColumn& c : KeyColumns()) {
        const size_t d = c.Field ? static_cast<size_t>(c.Field->FieldNo() - 1) : Key.Has.size();
        if (d >= Key.Has.size() || !Key.Has[d]) break;
        ++n;
    }
    return n;
}

void TTable::StartKey(int Index, bool Clear) {
    CheckBrowseMode();
    FKeyIndex = Index;
    TRow& key = FKeyRows[Index];
    const size_t count = static_cast<size_t>(FieldDefs()->Count());
    if (Clear || key.Values.size() != count) {
        key.Values.assign(count, std::string());
        key.Has.assign(count, 0);
    }
    SetState(dsSetKey);
}

void TTable::SetKey() { StartKey(0, true); }
void TTable::EditKey() { StartKey(0, false); }
void TTable::SetRangeStart() { StartKey(1, true); }
void TTable::SetRangeEnd() { StartKey(2, true); }
void TTable::EditRangeStart() { StartKey(1, false); }
void TTable::EditRangeEnd() { StartKey(2, false); }

bool TTable::SearchKey(bool Nearest) {
    CheckActive();
    if (State() == dsSetKey) SetState(dsBrowse);
    CheckBrowseMode();
    const auto columns = KeyColumns();
    if (columns.empty()) DatabaseError("No index currently active");
    const int count = KeyCount(FKeyRows[0]);
    if (count == 0) {
        if (Nearest) First();
        return false;
    }
    std::vector<std::pair<TField*, const TRow*>> keyBinds;
    const std::string cond = KeyCondition(columns, FKeyRows[0], count, Nearest ? ">=" : "=", keyBinds);
    // the statement and the reads of the record found are one search
    TDBWorkSpan span(SDBSearchStopped);
    TSqliteStatement st(Connection()->Db(),
                        "SELECT rowid FROM " + SqlName(FTableName) + " WHERE " + cond + OrderBy());
    st.Watch(SDBSearchStopped);
    for (size_t i = 0; i < keyBinds.size(); ++i) {
        TField* f = keyBinds[i].first;
        const size_t d = static_cast<size_t>(f->FieldNo() - 1);
        BindNative(st, static_cast<int>(i) + 1, f->DataType(), keyBinds[i].second->Values[d], true);
    }
    while (st.Step()) {
        const int position = PositionOf(st.ColumnInt(0));
        if (position < 0) continue;  // outside the range or filtered
        GotoCursorPosition(position);
        return true;
    }
    if (Nearest) Last();
    return false;
}

bool TTable::GotoKey() { return SearchKey(false); }
void TTable::GotoNearest() { SearchKey(true); }

void TTable::SetKeyValues(const std::vector<Variant>& KeyValues) {
    CheckActive();
    const auto columns = KeyColumns();
    if (KeyValues.size() > columns.size()) DatabaseError("Too many key values");
    SetKey();
    try {
        for (size_t i = 0; i < KeyValues.size(); ++i)
            if (columns[i].Field) columns[i].Field->SetAsVariant(KeyValues[i]);
    } catch (...) {
        SetState(dsBrowse);
        throw;
    }
}

bool TTable::FindKey(const std::vector<Variant>& KeyValues) {
    SetKeyValues(KeyValues);
    return GotoKey();
}

void TTable::FindNearest(const std::vector<Variant>& KeyValues) {
    SetKeyValues(KeyValues);
    GotoNearest();
}

void TTable::ApplyRange() {
    CheckActive();
    if (State() == dsSetKey) SetState(dsBrowse);
    CheckBrowseMode();
    FRangeStart = FKeyRows[1];
    FRangeEnd = FKeyRows[2];
    FRangeStartCount = KeyCount(FRangeStart);
    FRangeEndCount = KeyCount(FRangeEnd);
    FRangeActive = true;
    BuildCursor();
    First();
}

void TTable::CancelRange() {
    CheckActive();
    if (State() == dsSetKey) SetState(dsBrowse);
    CheckBrowseMode();
    FRangeActive = false;
    FRangeStartCount = FRangeEndCount = 0;
    FKeyRows[1] = TRow();
    FKeyRows[2] = TRow();
    RefreshCursor();
}

void TTable::SetRange(const std::vector<Variant>& StartValues, const std::vector<Variant>& EndValues) {
    CheckActive();
    const auto columns = KeyColumns();
    if (StartValues.size() > columns.size() || EndValues.size() > columns.size())
        DatabaseError("Too many key values");
    SetRangeStart();
    for (size_t i = 0; i < StartValues.size(); ++i)
        if (columns[i].Field) columns[i].Field->SetAsVariant(StartValues[i]);
    SetRangeEnd();
    for (size_t i = 0; i < EndValues.size(); ++i)
        if (columns[i].Field) columns[i].Field->SetAsVariant(EndValues[i]);
    ApplyRange();
}

void TTable::GotoCurrent(TTable* Table) {
    CheckBrowseMode();
    if (!Table) return;
    Table->CheckBrowseMode();
    if (TSqliteConnection::ResolvePath(Table->DatabaseName()) !=
            TSqliteConnection::ResolvePath(DatabaseName()) ||
        !AnsiSameText(Table->TableName(), TableName()))
        DatabaseError("Table names or database names do not match");
    Table->UpdateCursorPos();
    if (!GotoKeyValue(Table->CurrentKey())) DatabaseError(SRecordNotFound);
}
