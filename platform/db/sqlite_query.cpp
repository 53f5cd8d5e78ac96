// TQuery over SQL statements of the database, and the stored procedure the
// engine does not have.
#include <algorithm>
#include <cctype>
#include <cstdlib>

#include "platform/core/sysutils.h"
#include "platform/db/db_internal.h"
#include "platform/db/dbconsts.h"
#include "platform/db/dbtables.h"
#include "platform/db/fielddefs.h"
#include "platform/db/params.h"
#include "platform/db/sqlite_connection.h"

namespace {

// The ":name" parameters of an SQL text, outside quotes and comments.
std::vector<std::string> ParamNames(const std::string& sql) {
    std::vector<std::string> out;
    for (size_t i = 0; i < sql.size(); ++i) {
        const char c = sql[i];
        if (c == '\'' || c == '"' || c == '`') {
            const size_t end = sql.find(c, i + 1);
            if (end == std::string::npos) break;
            i = end;
        } else if (c == '-' && i + 1 < sql.size() && sql[i + 1] == '-') {
            const size_t end = sql.find('\n', i);
            if (end == std::string::npos) break;
            i = end;
        } else if (c == ':' && i + 1 < sql.size() &&
                   (std::isalpha(static_cast<unsigned char>(sql[i + 1])) || sql[i + 1] == '_')) {
            if (i > 0 && sql[i - 1] == ':') continue;
            size_t j = i + 1;
            while (j < sql.size() && (std::isalnum(static_cast<unsigned char>(sql[j])) || sql[j] == '_')) ++j;
            const std::string name = sql.substr(i + 1, j - i - 1);
            bool known = false;
            for (const auto& n : out) known = known || AnsiSameText(n, name);
            if (!known) out.push_back(name);
            i = j - 1;
        }
    }
    return out;
}

// The text after a leading SELECT (blanks and case ignored); empty when the
// statement is no plain SELECT.
std::string AfterSelect(const std::string& sql) {
    size_t i = 0;
    while (i < sql.size() && std::isspace(static_cast<unsigned char>(sql[i]))) ++i;
    if (UpperCase(sql.substr(i, 6)) != "SELECT" || i + 6 >= sql.size() ||
        !std::isspace(static_cast<unsigned char>(sql[i + 6])))
        return std::string();
    const std::string rest = sql.substr(i + 6);
    const std::string upper = UpperCase(rest);
    size_t k = 0;
    while (k < upper.size() && std::isspace(static_cast<unsigned char>(upper[k]))) ++k;
    if (upper.compare(k, 8, "DISTINCT") == 0 || upper.find("GROUP BY") != std::string::npos ||
        upper.find("UNION") != std::string::npos)
        return std::string();
    return rest;
}

}  // namespace

bool CaseInsensitiveCollation(const std::string& c) {
    const std::string u = UpperCase(c);
    return u == "NOCASE" || u == "FOLD";
}

std::vector<std::vector<std::string>> SqlOrderByTerms(const std::string& sql) {
    struct TWord {
        std::string Text;
        bool Quoted;
        int Depth;
    };
    std::vector<TWord> words;
    int depth = 0;
    for (size_t i = 0; i < sql.size();) {
        const unsigned char c = static_cast<unsigned char>(sql[i]);
        if (std::isspace(c)) {
            ++i;
        } else if (c == '-' && i + 1 < sql.size() && sql[i + 1] == '-') {
            const size_t end = sql.find('\n', i);
            i = end == std::string::npos ? sql.size() : end + 1;
        } else if (c == '/' && i + 1 < sql.size() && sql[i + 1] == '*') {
            const size_t end = sql.find("*/", i + 2);
            i = end == std::string::npos ? sql.size() : end + 2;
        } else if (c == '\'' || c == '"' || c == '`' || c == '[') {
            const char close = c == '[' ? ']' : static_cast<char>(c);
            std::string text;
            size_t j = i + 1;
            for (; j < sql.size(); ++j) {
                if (sql[j] != close) {
                    text += sql[j];
                } else if (close != ']' && j + 1 < sql.size() && sql[j + 1] == close) {
                    text += close;
                    ++j;
                } else {
                    break;
                }
            }
            words.push_back({c == '\'' ? "'" : text, c != '\'', depth});
            i = j + 1;
        } else if (std::isalnum(c) || c == '_' || c == '$' || c >= 0x80) {
            size_t j = i;
            while (j < sql.size() && (std::isalnum(static_cast<unsigned char>(sql[j])) || sql[j] == '_' ||
                                      sql[j] == '$' || static_cast<unsigned char>(sql[j]) >= 0x80))
                ++j;
            words.push_back({sql.substr(i, j - i), false, depth});
            i = j;
        } else {
            if (c == '(') ++depth;
            words.push_back({std::string(1, static_cast<char>(c)), false, depth});
            if (c == ')') --depth;
            ++i;
        }
    }
    auto keyword = [&](size_t k, const char* word) {
        return k < words.size() && !words[k].Quoted && words[k].Depth == 0 &&
               AnsiSameText(words[k].Text, word);
    };
    size_t from = std::string::npos;
    for (size_t k = 0; k + 1 < words.size(); ++k)
        if (keyword(k, "ORDER") && keyword(k + 1, "BY")) from = k + 2;
    std::vector<std::vector<std::string>> terms;
    if (from == std::string::npos) return terms;
    terms.emplace_back();
    for (size_t k = from; k < words.size(); ++k) {
        const TWord& w = words[k];
        if (keyword(k, "LIMIT") || (w.Depth == 0 && w.Text == ";" && !w.Quoted)) break;
        if (w.Depth == 0 && !w.Quoted && w.Text == ",") {
            terms.emplace_back();
        } else if (w.Depth > 0 || (!w.Quoted && (w.Text == "(" || w.Text == ")"))) {
            if (terms.back().empty() || terms.back().back() != "(") terms.back().push_back("(");
        } else {
            terms.back().push_back(w.Text);
        }
    }
    return terms;
}

TQuery::TQuery(TComponent* AOwner) : TDBDataSet(AOwner), FSQL(new TStringList), FParams(new TParams(this)) {
    static_cast<TStringList*>(FSQL)->SetOnChange(TNotifyEvent(this, &TQuery::SQLChanged));
}

TQuery::~TQuery() {
    Destroying();
    SetActive(false);
    delete FSQL;
    delete FParams;
}

void TQuery::Publish(TPublisher<TQuery>& p) {
    p.Property("DatabaseName", &TQuery::DatabaseName, &TQuery::SetDatabaseName);
    p.Property("SQL", &TQuery::SQL, &TQuery::SetSQL);
    p.Property("Params", &TQuery::Params, &TQuery::SetParams);
    p.Property("RequestLive", &TQuery::RequestLive, &TQuery::SetRequestLive);
}

void TQuery::SetSQL(TStrings* Value) { FSQL->Assign(Value); }
void TQuery::SetParams(TParams* Value) { FParams->Assign(Value); }
TParam* TQuery::ParamByName(const std::string& Name) const { return FParams->ParamByName(Name); }

std::string TQuery::Text() const { return FSQL->Text(); }

void TQuery::SQLChanged(TObject*) {
    if (Active()) Close();
    UnPrepare();
    // parameters of the new text, keeping the values of those that stay
    TParams old;
    old.Assign(FParams);
    FParams->Clear();
    for (const std::string& name : ParamNames(Text())) {
        TParam* p = FParams->AddParam(name);
        if (TParam* was = old.FindParam(name)) p->Assign(was);
    }
}

void TQuery::BindParams(void* Statement) {
    auto* st = static_cast<sqlite3_stmt*>(Statement);
    TSqliteStatement* none = nullptr;
    (void)none;
    for (int i = 0; i < FParams->Count(); ++i) {
        TParam* p = FParams->Items(i);
        const int index = sqlite3_bind_parameter_index(st, (":" + p->Name()).c_str());
        if (index <= 0) continue;
        if (p->IsNull() && p->DataType() == ftUnknown)
            DatabaseErrorFmt("No value for parameter '%s'", p->Name());
        const Variant& v = p->Value();
        if (p->IsNull()) {
            sqlite3_bind_null(st, index);
            continue;
        }
        TFieldType type = p->DataType();
        if (type == ftUnknown) {
            switch (v.VarType()) {
            case varSmallint:
            case varInteger:
            case varInt64: type = ftLargeint; break;
            case varBoolean: type = ftBoolean; break;
            case varDouble:
            case varCurrency: type = ftFloat; break;
            case varDate: type = ftDateTime; break;
            default: type = ftString; break;
            }
        }
        // bound through a statement wrapper that does not own the handle
        switch (type) {
        case ftSmallint:
        case ftWord:
        case ftInteger:
        case ftAutoInc:
        case ftLargeint: sqlite3_bind_int64(st, index, v.AsInt64()); break;
        case ftBoolean: sqlite3_bind_int(st, index, v.AsBoolean() ? 1 : 0); break;
        case ftFloat:
        case ftCurrency:
        case ftBCD: sqlite3_bind_double(st, index, v.AsDouble()); break;
        case ftDate:
        case ftTime:
        case ftDateTime: {
            // the database's ISO text, as a native value turned into text
            std::string text;
            const TTimeStamp stamp = DateTimeToTimeStamp(v.AsDateTime());
            char buf[40];
            int y = 0, m = 0, d = 0, h = 0, mi = 0, s = 0, ms = 0;
            DecodeDate(v.AsDateTime(), y, m, d);
            DecodeTime(v.AsDateTime(), h, mi, s, ms);
            (void)stamp;
            if (type == ftDate)
                std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", y, m, d);
            else if (type == ftTime)
                std::snprintf(buf, sizeof buf, "%02d:%02d:%02d", h, mi, s);
            else
                std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d", y, m, d, h, mi, s);
            text = buf;
            sqlite3_bind_text(st, index, text.c_str(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
            break;
        }
        default: {
            const std::string text = v.AsString();
            sqlite3_bind_text(st, index, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
            break;
        }
        }
    }
}

void TQuery::Prepare() {
    AcquireConnection();
    TSqliteStatement st(Connection()->Db(), Text());
    FPrepared = true;
}

void TQuery::UnPrepare() {
    FPrepared = false;
    if (!Active()) ReleaseConnection();
}

void TQuery::ExecSQL() {
    const bool held = Connection() != nullptr;
    AcquireConnection();
    try {
        TSqliteStatement st(Connection()->Db(), Text());
        st.Watch(SDBChangeStopped);
        BindParams(st.Handle());
        while (st.Step()) {}
        FRowsAffected = sqlite3_changes(Connection()->Db());
    } catch (...) {
        if (!held && !FPrepared) ReleaseConnection();
        throw;
    }
    if (!held && !FPrepared) ReleaseConnection();
}

bool TQuery::MapsToIndex(const std::string& Fields, bool CaseInsensitive) {
    if (!Active() || !Connection()) return false;
    const std::vector<std::string> names = SplitFieldNames(Fields);
    const std::vector<std::vector<std::string>> terms = SqlOrderByTerms(Text());
    if (names.empty() || names.size() > terms.size()) return false;
    TSqliteStatement st(Connection()->Db(), Text());
    sqlite3_stmt* h = st.Handle();
    for (size_t t = 0; t < names.size(); ++t) {
        // column [. column] [COLLATE name] [ASC | DESC] [NULLS FIRST | LAST]
        std::vector<std::string> w = terms[t];
        std::string collation;
        for (size_t k = 0; k + 1 < w.size(); ++k)
            if (AnsiSameText(w[k], "COLLATE")) {
                collation = w[k + 1];
                w.erase(w.begin() + static_cast<long>(k), w.end());
                break;
            }
        while (!w.empty() && (AnsiSameText(w.back(), "ASC") || AnsiSameText(w.back(), "DESC") ||
                              AnsiSameText(w.back(), "FIRST") || AnsiSameText(w.back(), "LAST") ||
                              AnsiSameText(w.back(), "NULLS")))
            w.pop_back();
        if (w.size() == 3 && w[1] == ".") w.erase(w.begin(), w.begin() + 2);
        if (w.size() != 1 || w[0] == "(" || w[0] == "'") return false;
        int column = -1;
        const bool number =
            std::all_of(w[0].begin(), w[0].end(), [](char c) { return c >= '0' && c <= '9'; });
        if (number) {
            if (w[0].size() > 6) return false;
            column = std::atoi(w[0].c_str()) - 1;
        } else {
            for (int i = 0; i < st.ColumnCount() && column < 0; ++i)
                if (AnsiSameText(sqlite3_column_name(h, i), w[0])) column = i;
            for (int i = 0; i < st.ColumnCount() && column < 0; ++i) {
                const char* origin = sqlite3_column_origin_name(h, i);
                if (origin && AnsiSameText(origin, w[0])) column = i;
            }
        }
        if (column < 0 || column >= st.ColumnCount() ||
            !AnsiSameText(sqlite3_column_name(h, column), names[t]))
            return false;
        if (collation.empty()) {
            // the column's own collation; unknown for an expression
            const char* table = sqlite3_column_table_name(h, column);
            const char* origin = sqlite3_column_origin_name(h, column);
            if (!table || !origin) return false;
            const char* declared = nullptr;
            if (sqlite3_table_column_metadata(Connection()->Db(), sqlite3_column_database_name(h, column),
                                              table, origin, nullptr, &declared, nullptr, nullptr,
                                              nullptr) != SQLITE_OK)
                return false;
            collation = declared ? declared : "BINARY";
        }
        if (CaseInsensitiveCollation(collation) != CaseInsensitive) return false;
    }
    return true;
}

void TQuery::InternalInitFieldDefs() {
    const bool held = Connection() != nullptr;
    AcquireConnection();
    try {
        TSqliteStatement st(Connection()->Db(), Text());
        DefsFromStatement(st.Handle(), {});
    } catch (...) {
        if (!held) ReleaseConnection();
        throw;
    }
    if (!held) ReleaseConnection();
}

void TQuery::OpenData() {
    FBaseTable.clear();
    FColumns.clear();
    FLiveSql.clear();
    FRows.clear();
    FRowsFromOpen = false;
    TSqliteStatement st(Connection()->Db(), Text());
    if (st.ColumnCount() == 0) DatabaseError("Query does not return a result set");
    DefsFromStatement(st.Handle(), {});
    if (FRequestLive) FindLiveSql(st.Handle());
    if (!FLiveSql.empty() || (Filtered() && !Filter().empty())) {
        // keys only, or rows by a Filter text that reads the field types:
        // the types are measured first
        WidenFieldDefs(Text(), [this](void* Statement) { BindParams(Statement); });
        return;
    }
    // the rows, read once: the whole-number types measured as they come
    st.Watch();
    BindParams(st.Handle());
    ReadRowsWidening(&st, FRows);
    FRowsFromOpen = true;
}

void TQuery::FindLiveSql(void* Statement) {
    auto* h = static_cast<sqlite3_stmt*>(Statement);
    const int count = sqlite3_column_count(h);
    // live over one table: every column a column of that table
    std::string table;
    std::vector<std::string> origins;
    for (int i = 0; i < count; ++i) {
        const char* t = sqlite3_column_table_name(h, i);
        const char* o = sqlite3_column_origin_name(h, i);
        if (!t || !o || (!table.empty() && table != t)) return;
        table = t;
        origins.push_back(o);
    }
    const std::string rest = AfterSelect(Text());
    if (rest.empty() || table.empty()) return;
    const std::string live = "SELECT " + SqlName(table) + ".rowid, " + rest;
    try {
        TSqliteStatement check(Connection()->Db(), live);
        const char* t = sqlite3_column_table_name(check.Handle(), 0);
        if (!t || table != t || check.ColumnCount() != count + 1) return;
    } catch (const EDatabaseError&) {
        return;  // an alias hides the table: read-only
    }
    FLiveSql = live;
    FBaseTable = table;
    FColumns = origins;
}

void TQuery::CloseData() {
    FRows.clear();
    FRowsFromOpen = false;
    if (!FPrepared) FLiveSql.clear();
}

std::vector<int64_t> TQuery::FetchKeys() {
    std::vector<int64_t> keys;
    if (FRowsFromOpen) {
        // the rows the open read
        FRowsFromOpen = false;
        keys.reserve(FRows.size());
        for (const TRow& row : FRows) keys.push_back(row.Key);
        return keys;
    }
    const std::string filter = FilterCondition();
    auto filtered = [&](const std::string& Sql) {
        return filter.empty() ? Sql : "SELECT * FROM (" + Sql + "\n) WHERE (" + filter + "\n)";
    };
    // the filter reads only what the query reads, watched
    std::unique_ptr<TSqlFence> fence;
    if (!filter.empty()) {
        fence = std::make_unique<TSqlFence>(
            TSqlFence::Learn(Connection()->Db(), FLiveSql.empty() ? Text() : FLiveSql));
        fence->Watched = true;
    }
    if (!FLiveSql.empty()) {
        TSqliteStatement st(Connection()->Db(), filtered(FLiveSql), fence.get());
        st.Watch();
        BindParams(st.Handle());
        while (st.Step()) keys.push_back(st.ColumnInt(0));
        return keys;
    }
    FRows.clear();
    TSqliteStatement st(Connection()->Db(), filtered(Text()), fence.get());
    st.Watch();
    BindParams(st.Handle());
    while (st.Step()) {
        TRow row;
        ReadRowFromStatement(st.Handle(), 0, row);
        row.Key = static_cast<int64_t>(FRows.size()) + 1;
        keys.push_back(row.Key);
        FRows.push_back(std::move(row));
    }
    return keys;
}

void TQuery::ReadRow(int64_t Key, TRow& Row) {
    if (!FBaseTable.empty()) {
        ReadRowFromTable(Key, Row);
        return;
    }
    if (Key < 1 || Key > static_cast<int64_t>(FRows.size())) return;
    const TRow& r = FRows[static_cast<size_t>(Key - 1)];
    Row.Key = Key;
    Row.Values = r.Values;
    Row.Has = r.Has;
}

// ---- TStoredProc ----

TStoredProc::TStoredProc(TComponent* AOwner) : TDBDataSet(AOwner), FParams(new TParams(this)) {}

TStoredProc::~TStoredProc() {
    Destroying();
    SetActive(false);
    delete FParams;
}

void TStoredProc::Publish(TPublisher<TStoredProc>& p) {
    p.Property("DatabaseName", &TStoredProc::DatabaseName, &TStoredProc::SetDatabaseName);
    p.Property("StoredProcName", &TStoredProc::StoredProcName, &TStoredProc::SetStoredProcName);
}

void TStoredProc::Prepare() { throw EDBEngineError(SCapabilityNotSupported, DBIERR_NOTSUPPORTED); }
void TStoredProc::ExecProc() { throw EDBEngineError(SCapabilityNotSupported, DBIERR_NOTSUPPORTED); }
void TStoredProc::OpenData() { throw EDBEngineError(SCapabilityNotSupported, DBIERR_NOTSUPPORTED); }
