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

// A condition taking every row whose Field the walk would find equal to Key
// (it may take more); False when the database cannot tell.
bool KeyCondition(TField* Field, const std::string& Column, const Variant& Key, TLocateOptions Options,
                  std::string& Sql, std::vector<TLocateBind>& Binds) {
    const std::string c = SqlName(Column);
    if (Key.IsNull() || Key.IsEmpty()) {
        // a number field reads a stored text or BLOB that is no number as null: candidates
        int64_t low = 0, high = 0;
        const TFieldType type = Field->DataType();
        if (IntegerRange(type, low, high) || type == ftFloat || type == ftCurrency || type == ftBCD)
            Sql += "(" + c + " IS NULL OR typeof(" + c + ") IN ('text', 'blob'))";
        else if (type == ftDate || type == ftTime || type == ftDateTime)
            return false;  // any stored text may be no date and read as null: the walk tells
        else
            Sql += c + " IS NULL";
        return true;
    }
    if (Field->DataType() == ftString) {
        // the walk compares the field's text: cut at the field's size and at a zero byte
        const bool fold = Options.Contains(loCaseInsensitive);
        std::string key = Key.AsString();
        const std::string bytes = "CAST(" + c + " AS BLOB)";
        TLocateBind b;
        std::string match;
        if (!Options.Contains(loPartialKey)) {
            // a stored text compared as it is (+: no affinity), by the fold's collation
            // without case; other stored values read as their text: candidates
            match = "(typeof(" + c + ") = 'text' AND +" + c + " = ?" + (fold ? " COLLATE FOLD" : "") +
                    ") OR typeof(" + c + ") IN ('integer', 'real', 'blob')";
            b.Kind = lbText;
        } else if (key.empty()) {
            // every text begins with the empty one (substr of an empty BLOB is null)
            Sql += c + " IS NOT NULL";
            return true;
        } else {
            if (fold) key = FoldCase(key);
            match = "substr(" + (fold ? "CAST(fold(" + bytes + ") AS BLOB)" : bytes) + ", 1, " +
                    std::to_string(key.size()) + ") = ?";
            b.Kind = lbBlob;
        }
        // a value cut by the field's size; a zero byte just after the key ends the text there
        // (the fold keeps every byte where it is; before a prefix's end it ends the text short)
        std::string cut = " OR length(" + bytes + ") > " + std::to_string(Field->Size());
        if (!Options.Contains(loPartialKey))
            cut += " OR substr(" + bytes + ", " + std::to_string(key.size() + 1) + ", 1) = x'00'";
        Sql += "(" + c + " IS NOT NULL AND (" + match + cut + "))";
        b.Bytes = key;
        Binds.push_back(b);
        return true;
    }
    int64_t low = 0, high = 0;
    if (IntegerRange(Field->DataType(), low, high) && IsIntegerKey(Key)) {
        // integers stored compare exactly; other stored values read converted
        // (an integer outside the field's range reads cut: a candidate)
        const std::string outside =
            Field->DataType() == ftLargeint
                ? std::string()
                : " OR " + c + " NOT BETWEEN " + std::to_string(low) + " AND " + std::to_string(high);
        Sql += "((typeof(" + c + ") = 'integer' AND (" + c + " = ?" + outside + ")) OR typeof(" + c +
               ") IN ('real', 'text', 'blob'))";
        TLocateBind b;
        b.Kind = lbInteger;
        b.Value = Key.AsInt64();
        Binds.push_back(b);
        return true;
    }
    return false;
}

}  // namespace

bool TDBDataSet::FindByDatabase(const std::vector<TField*>& KeyFields, const Variant& KeyValues,
                                TLocateOptions Options, int& Position) {
    if (!FLocateByDatabase || FBaseTable.empty() || !FOpen || FBuilding || Filtering()) return false;
    std::string where;
    std::vector<TLocateBind> binds;
    try {
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
            if (!KeyCondition(field, FColumns[static_cast<size_t>(def)], key, Options, where, binds))
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
        if (IsLockConflict(e.ErrorCode())) throw;
        return false;
    }
    // in the cursor's order; most often the first candidate is the answer
    std::make_heap(positions.begin(), positions.end(), std::greater<int>());
    while (!positions.empty()) {
        std::pop_heap(positions.begin(), positions.end(), std::greater<int>());
        const int position = positions.back();
        positions.pop_back();
        bool match = false;
        ReadAtCursor(position, [&] { match = MatchesKey(KeyFields, KeyValues, Options); });
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
    int position = -1;
    if (!FindByDatabase(KeyFields, KeyValues, Options, position))
        return TDataSet::WalkToMatch(KeyFields, KeyValues, Options);
    if (position < 0) return false;
    GotoCursorPosition(position);
    return true;
}
