// Locate and Lookup of the engine's datasets answered by the database: one
// statement names the rows that may match; the first of them in the
// cursor's order that the walk's own test takes is the answer. The cursor
// already holds what the dataset shows (Filter text, record filters, range,
// master records), so a row it does not show is no candidate.
#include <algorithm>
#include <cstdint>
#include <functional>

#include "platform/core/case_fold.h"
#include "platform/core/sysutils.h"
#include "platform/db/dbtables.h"
#include "platform/db/fielddefs.h"
#include "platform/db/fields.h"
#include "platform/db/sqlite_connection.h"

namespace {

enum TLocateBindKind { lbInteger, lbText, lbBlob };

struct TLocateBind {
    TLocateBindKind Kind = lbInteger;
    int64_t Value = 0;
    std::string Bytes;
};

bool IsIntegerKey(const Variant& Key) {
    const TVarType t = Key.VarType();
    return t == varSmallint || t == varInteger || t == varInt64;
}

// The range a field's type keeps; a stored integer outside it reads cut.
bool IntegerRange(TFieldType Type, int64_t& Low, int64_t& High) {
    switch (Type) {
    case ftSmallint: Low = INT16_MIN, High = INT16_MAX; return true;
    case ftWord: Low = 0, High = UINT16_MAX; return true;
    case ftInteger:
    case ftAutoInc: Low = INT32_MIN, High = INT32_MAX; return true;
    case ftLargeint: Low = INT64_MIN, High = INT64_MAX; return true;  // no cut
    default: return false;
    }
}

bool IsAscii(const std::string& Text) {
    return std::all_of(Text.begin(), Text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// The least text after every text that begins with Text in the collation's
// order (NOCASE: by the lower case of ASCII); "" when there is none.
std::string PrefixEnd(std::string Text, bool Nocase) {
    if (Nocase)
        for (char& c : Text)
            if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
    while (!Text.empty() && static_cast<unsigned char>(Text.back()) == 0xff) Text.pop_back();
    if (!Text.empty()) Text.back() = static_cast<char>(static_cast<unsigned char>(Text.back()) + 1);
    return Text;
}

void BindTextKey(std::vector<TLocateBind>& Binds, const std::string& Text) {
    TLocateBind b;
    b.Kind = lbText;
    b.Bytes = Text;
    Binds.push_back(b);
}

// The stored values the walk may find equal to Key (or beginning with it),
// told apart by the stored type: slower, but it holds for any key.
void TypedStringCondition(const std::string& c, std::string key, TLocateOptions Options, std::string& Sql,
                          std::vector<TLocateBind>& Binds) {
    const bool fold = Options.Contains(loCaseInsensitive);
    const std::string bytes = "CAST(" + c + " AS BLOB)";
    const std::string size = "length(" + bytes + ")";
    TLocateBind b;
    std::string match;
    if (!Options.Contains(loPartialKey)) {
        // a stored text compared as it is (+: no affinity), by the fold's collation
        // without case; other stored values read as their text: candidates
        match = "(typeof(" + c + ") = 'text' AND +" + c + " = ?" + (fold ? " COLLATE FOLD" : "") +
                ") OR typeof(" + c + ") IN ('integer', 'real', 'blob')";
        b.Kind = lbText;
    } else {
        if (fold) key = FoldCase(key);
        match = "substr(" + (fold ? "CAST(fold(" + bytes + ") AS BLOB)" : bytes) + ", 1, " +
                std::to_string(key.size()) + ") = ?";
        b.Kind = lbBlob;
    }
    // a string field's text ends at a zero byte: one just after the key
    // (the fold keeps every byte where it is; before a prefix's end it ends the text short)
    std::string cut;
    if (!Options.Contains(loPartialKey))
        cut = " OR substr(" + bytes + ", " + std::to_string(key.size() + 1) + ", 1) = x'00'";
    // the walk's text is never longer than the stored value
    Sql += "(" + size + " >= " + std::to_string(key.size()) + " AND (" + match + cut + "))";
    b.Bytes = key;
    Binds.push_back(b);
}

// The same by ranges of the value read as text, which is the text the walk
// reads (a number as SQLite writes it, a BLOB's bytes as they are), in a
// collation that orders by the walk's test: BINARY, NOCASE for a key of ASCII
// (only ASCII folds to ASCII, and every character keeps its length), else
// FOLD. Equal to Key or Key and a zero byte after it (where the walk's text
// ends): [Key, Key + x'01'). Beginning with Key: [Key, PrefixEnd(Key)).
// No zero byte in the key.
bool RangeStringCondition(const std::string& c, const std::string& Key, TLocateOptions Options,
                          std::string& Sql, std::vector<TLocateBind>& Binds) {
    const bool fold = Options.Contains(loCaseInsensitive), ascii = IsAscii(Key);
    const bool partial = Options.Contains(loPartialKey);
    if (Key.find('\0') != std::string::npos || (fold && !ascii && partial)) return false;
    const std::string collation = !fold ? " COLLATE BINARY" : ascii ? " COLLATE NOCASE" : " COLLATE FOLD";
    const std::string end = fold && !ascii ? std::string() : PrefixEnd(Key, fold);
    auto compare = [&](const char* Op, const std::string& Bound) {
        BindTextKey(Binds, Bound);
        return "CAST(" + c + " AS TEXT) " + Op + " ?" + collation;
    };
    if (end.empty()) {
        // FOLD, or BINARY for a key of 0xff bytes
        const std::string from = compare(">=", Key);
        Sql += "(" + from + " AND " + (partial ? "1" : compare("<", Key + '\x01')) + ")";
        return true;
    }
    // most texts begin with a letter: the bound the farther from the key's first
    // letter goes first, it takes fewer texts
    const unsigned char first = static_cast<unsigned char>(end[0]);
    std::string range;
    if (first <= 'm') {
        range = compare("<", end);
        range += " AND " + compare(">=", Key);
    } else {
        range = compare(">=", Key);
        range += " AND " + compare("<", end);
    }
    if (partial)
        Sql += "(" + range + ")";
    else
        Sql += "(" + range + " AND " + compare("<", Key + '\x01') + ")";
    return true;
}

// Integers compared by their values: the walk reads a stored number cut to
// the field's range (a real toward zero), and a text or BLOB as no number or
// its own: every value past the range (a text or BLOB is past every number)
// and every number within one of the key are candidates. For the column
// that is the row id (only integers), the key and the range by the row id.
void IntegerCondition(TField* Field, const std::string& c, bool Rowid, int64_t Key, std::string& Sql) {
    int64_t low = 0, high = 0;
    IntegerRange(Field->DataType(), low, high);
    const bool large = Field->DataType() == ftLargeint;
    if (Rowid) {
        Sql +=
            "(" + c + " = " + std::to_string(Key) +
            (large ? ""
                   : " OR " + c + " < " + std::to_string(low) + " OR " + c + " > " + std::to_string(high)) +
            ")";
        return;
    }
    const std::string v = "+" + c;
    std::string near;
    if (Key > INT64_MIN) near = v + " > " + std::to_string(Key - 1);
    if (Key < INT64_MAX) near += (near.empty() ? "" : " AND ") + v + " < " + std::to_string(Key + 1);
    Sql += "((" + near + ") OR " + v + " < " + std::to_string(low) + " OR " + v + " > " +
           std::to_string(high) + ")";
}

// A condition taking every row whose Field the walk would find equal to Key
// (it may take more); False when the database cannot tell.
bool KeyCondition(TField* Field, const std::string& Column, const Variant& Key, TLocateOptions Options,
                  bool Utf8, bool Rowid, std::string& Sql, std::vector<TLocateBind>& Binds) {
    const std::string c = SqlName(Column);
    if (Key.IsNull() || Key.IsEmpty()) {
        // a number field reads a stored text or BLOB that is no number as null: candidates
        int64_t low = 0, high = 0;
        const TFieldType type = Field->DataType();
        if (IntegerRange(type, low, high) || type == ftFloat || type == ftCurrency || type == ftBCD)
            Sql += "(" + c + " IS NULL OR typeof(" + c + ") IN ('text', 'blob'))";
        else if (type == ftDate || type == ftTime || type == ftDateTime)
            return false;  // any stored text may be no date and read as null: the walk tells
        else if (type == ftString)
            Sql += c + " IS NULL";
        else  // a memo or BLOB field reads an empty value as null
            Sql += "(" + c + " IS NULL OR length(CAST(" + c + " AS BLOB)) = 0)";
        return true;
    }
    if (Field->DataType() == ftString || Field->DataType() == ftMemo) {
        // the walk compares the field's whole text: a string field's to a zero
        // byte, a memo's (a TEXT column's) whole
        const std::string key = Key.AsString();
        if (key.size() > static_cast<size_t>(TSqliteConnection::MaxValueLength)) {
            // longer than any value the connection reads (the fold keeps a text's length)
            Sql += "0";
            return true;
        }
        if (Options.Contains(loPartialKey) && key.empty()) {
            // every text begins with the empty one
            Sql += c + " IS NOT NULL";
            return true;
        }
        // the conditions compare the stored bytes, which are the walk's UTF-8 in a
        // database of UTF-8 only: in one of UTF-16 only the walk can tell
        if (!Utf8) return false;
        if (!RangeStringCondition(c, key, Options, Sql, Binds))
            TypedStringCondition(c, key, Options, Sql, Binds);
        return true;
    }
    int64_t low = 0, high = 0;
    if (IntegerRange(Field->DataType(), low, high) && IsIntegerKey(Key)) {
        IntegerCondition(Field, c, Rowid, Key.AsInt64(), Sql);
        return true;
    }
    return false;
}

}  // namespace

namespace {

// The column that is the table's row id: its one primary key column declared
// INTEGER, with no index of its own (a WITHOUT ROWID table, an INTEGER PRIMARY
// KEY DESC and a key of more columns have one); "" when none of Columns is.
std::string RowidColumnOf(sqlite3* Db, const std::string& Table, const std::vector<std::string>& Columns) {
    TSqliteStatement st(Db, "PRAGMA index_list(" + SqlName(Table) + ")");
    while (st.Step())
        for (int i = 0; i < st.ColumnCount(); ++i)
            if (std::string(sqlite3_column_name(st.Handle(), i)) == "origin" && st.ColumnText(i) == "pk")
                return std::string();
    for (const std::string& column : Columns) {
        const char* declared = nullptr;
        int primary = 0;
        if (sqlite3_table_column_metadata(Db, nullptr, Table.c_str(), column.c_str(), &declared, nullptr,
                                          nullptr, &primary, nullptr) == SQLITE_OK &&
            primary && declared && SameText(declared, "INTEGER"))
            return column;
    }
    return std::string();
}

}  // namespace

const TDBDataSet::TLocateFacts& TDBDataSet::LocateFacts() {
    if (FLocateFacts.Known) return FLocateFacts;
    TLocateFacts facts;
    try {
        facts.Utf8 = IsUtf8Database(Connection()->Db());
        facts.RowidColumn = RowidColumnOf(Connection()->Db(), FBaseTable, FColumns);
    } catch (const EDBEngineError& e) {
        if (IsLockConflict(e.ErrorCode())) throw;
        facts = {};  // the slower statement that leans on nothing
    }
    facts.Known = true;
    FLocateFacts = facts;
    return FLocateFacts;
}

bool TDBDataSet::FindByDatabase(const std::vector<TField*>& KeyFields, const Variant& KeyValues,
                                TLocateOptions Options, int& Position, TDBWorkSpan& Span) {
    if (!FLocateByDatabase || FBaseTable.empty() || !FOpen || FBuilding || Filtering()) return false;
    std::string where;
    std::vector<TLocateBind> binds;
    try {
        const TLocateFacts& facts = LocateFacts();
        for (size_t i = 0; i < KeyFields.size(); ++i) {
            TField* field = KeyFields[i];
            if (field->FieldKind() != fkData || field->DataSet() != this) return false;
            const int def = FieldDefs()->IndexOf(field->FieldName());
            if (def < 0 || static_cast<size_t>(def) >= FColumns.size() ||
                FieldDefs()->Items(def)->DataType() != field->DataType() || field->FieldNo() != def + 1)
                return false;
            // the key of each field as the walk takes it
            const Variant& key =
                KeyValues.IsArray()
                    ? KeyValues[static_cast<int>(std::min<size_t>(i, KeyValues.ArrayCount() - 1))]
                    : KeyValues;
            if (!where.empty()) where += " AND ";
            const std::string& column = FColumns[static_cast<size_t>(def)];
            if (!KeyCondition(field, column, key, Options, facts.Utf8, column == facts.RowidColumn, where,
                              binds))
                return false;
        }
    } catch (const EVariantError&) {
        return false;
    } catch (const EConvertError&) {
        return false;
    }
    std::vector<int> positions;
    try {
        // the candidates read only the dataset's table
        const TSqlFence fence =
            TSqlFence::Learn(Connection()->Db(), "SELECT rowid, * FROM " + SqlName(FBaseTable));
        TSqliteStatement st(Connection()->Db(),
                            "SELECT rowid FROM " + SqlName(FBaseTable) + " WHERE " + where, &fence);
        st.Watch(SDBSearchStopped);
        for (size_t i = 0; i < binds.size(); ++i) {
            const int index = static_cast<int>(i) + 1;
            switch (binds[i].Kind) {
            case lbInteger: st.BindInt(index, binds[i].Value); break;
            case lbText: st.BindText(index, binds[i].Bytes); break;
            case lbBlob: st.BindBlob(index, binds[i].Bytes); break;
            }
        }
        while (st.Step()) {
            const int position = PositionOf(st.ColumnInt(0));
            if (position >= 0) positions.push_back(position);
        }
    } catch (const EDBEngineError& e) {
        if (IsLockConflict(e.ErrorCode()) || IsWorkStopped(e.ErrorCode())) throw;
        return false;
    }
    // in the cursor's order; most often the first candidate is the answer
    const TLocateTest test(KeyFields, KeyValues, Options);
    std::make_heap(positions.begin(), positions.end(), std::greater<int>());
    while (!positions.empty()) {
        Span.Step();
        std::pop_heap(positions.begin(), positions.end(), std::greater<int>());
        const int position = positions.back();
        positions.pop_back();
        bool match = false;
        ReadAtCursor(position, [&] { match = test.Matches(); });
        if (match) {
            Position = position;
            return true;
        }
    }
    Position = -1;
    return true;
}

bool TDBDataSet::WalkToMatch(const std::vector<TField*>& KeyFields, const Variant& KeyValues,
                             TLocateOptions Options) {
    // one piece of work from the first statement to the last record read
    TDBWorkSpan span(SDBSearchStopped);
    int position = -1;
    if (FindByDatabase(KeyFields, KeyValues, Options, position, span)) {
        if (position < 0) return false;
        GotoCursorPosition(position);
        return true;
    }
    const TLocateTest test(KeyFields, KeyValues, Options);
    const bool own = std::all_of(KeyFields.begin(), KeyFields.end(), [this](TField* Field) {
        return Field->FieldKind() == fkData && Field->DataSet() == this;
    });
    if (!own || !FOpen || FBuilding || Filtering()) {
        First();
        while (!Eof()) {
            span.Step();
            if (test.Matches()) return true;
            Next();
        }
        return false;
    }
    // record by record without moving: a stopped walk leaves the dataset where it was
    for (int p = 0; p < CursorCount(); ++p) {
        span.Step();
        bool match = false;
        ReadAtCursor(p, [&] { match = test.Matches(); });
        if (match) {
            GotoCursorPosition(p);
            return true;
        }
    }
    return false;
}
