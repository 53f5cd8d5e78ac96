// The search's text matching by match type, its walk over the records (or one query on
// a dataset over SQLite, or an index on a table), and the return to the start record.
#include "suite/base/qzrecordsearch.h"

#include <optional>

#include "platform/core/case_fold.h"
#include "platform/core/sysutils.h"
#include "platform/db/dataset.h"
#include "platform/db/dbtables.h"
#include "platform/db/fields.h"
#include "platform/ui/dialogs.h"
#include "suite/base/date_scan.h"
#include "suite/base/qzdbsearch.h"
#include "suite/base/qzintl.h"
#include "suite/base/qzlinelists.h"
#include "suite/base/qzproputils.h"
#include "suite/base/qzrtftext.h"

namespace {

bool IsNumericMatchType(TFieldType t) {
    return t == ftFloat || t == ftCurrency || t == ftBCD || t == ftFMTBcd;
}

bool TextMatches(const std::string& text, const std::string& search, TqzLocateMatchType matchType,
                 bool caseSensitive) {
    if (matchType != mtExactMatch && search.empty()) return false;
    const std::string t = caseSensitive ? text : FoldCase(text);
    switch (matchType) {
    case mtExactMatch: return t == search;
    case mtPartialMatchStart: return t.compare(0, search.size(), search) == 0;
    default: return t.find(search) != std::string::npos;
    }
}

// Goes back to the start record unless the search found one, whatever way
// the search ends.
class TStartRecord {
public:
    TStartRecord(TDataSet* dataSet) : FDataSet(dataSet), FBookmark(dataSet->Bookmark()) {}
    ~TStartRecord() {
        if (Found || FBookmark.empty()) return;
        try {
            // never left it: nothing to read again
            if (FDataSet->Bookmark() == FBookmark) return;
            FDataSet->GotoBookmark(FBookmark);
        } catch (...) {
            // the record may be gone; the dataset stays where it is
        }
    }
    TStartRecord(const TStartRecord&) = delete;
    TStartRecord& operator=(const TStartRecord&) = delete;
    bool Found = false;

private:
    TDataSet* FDataSet;
    TBookmark FBookmark;
};

class TMatcher {
public:
    TMatcher(TField* field, const std::string& value, TqzLocateMatchType matchType, bool caseSensitive)
        : Field(field), MatchType(matchType), CaseSensitive(caseSensitive) {
        Memo = field->DataType() == ftMemo;
        Search = caseSensitive ? value : FoldCase(value);
        if (Memo) return;
        Numeric = matchType == mtExactMatch && IsNumericMatchType(field->DataType()) && !value.empty();
        if (Numeric) NoNumber = !qzIsFloatText(value) || !TryStrToFloat(value, Number);
    }

    // Nothing can match: a value that is no number against a numeric field.
    bool Hopeless() const { return Numeric && NoNumber; }

    bool Current() const {
        if (Numeric)
            return !NoNumber && !Field->IsNull() && !Field->AsString().empty() && Field->AsFloat() == Number;
        return Text(Field->AsString());
    }
    // The field's text matches (not for a numeric match).
    bool Text(const std::string& text) const {
        return Memo ? MemoMatches(text) : TextMatches(text, Search, MatchType, CaseSensitive);
    }

    bool Memo = false;
    bool Numeric = false;

private:
    bool MemoMatches(const std::string& memo) const {
        if (Search.empty()) return false;
        // each memo is read as plain text when it holds rich text
        std::string text = qzRtfToPlainText(memo);
        if (!CaseSensitive) text = FoldCase(text);
        switch (MatchType) {
        case mtExactMatch: return text == Search;
        case mtPartialMatchStart: return text.compare(0, Search.size(), Search) == 0;
        default: return text.find(Search) != std::string::npos;
        }
    }

    TField* Field;
    TqzLocateMatchType MatchType;
    bool CaseSensitive;
    std::string Search;
    bool NoNumber = false;
    double Number = 0;
};

bool IsPlainTextType(TFieldType t) { return t == ftString || t == ftFixedChar || t == ftWideString; }

// The road of a dataset over SQLite: the database names the records from the
// one after the current (from the second with FromFirst) that may match, in
// one statement, and each is tested as the walk would test it. False when the
// road cannot be taken; else Found tells whether a record was found.
bool SearchThroughDatabase(TDataSet* dataSet, TField* field, const TMatcher& matcher,
                           const std::string& value, TqzLocateMatchType matchType, bool caseSensitive,
                           bool fromFirst, bool& found) {
    auto* db = dynamic_cast<TDBDataSet*>(dataSet);
    // (a suite table that runs a query has keys of its own, not the table's)
    if (!db || qzTableUsesQuery(dataSet) || matcher.Numeric || field->FieldKind() != fkData) return false;
    if (!matcher.Memo && !IsPlainTextType(field->DataType())) return false;
    found = false;
    const std::string search = caseSensitive ? value : FoldCase(value);
    // an empty value matches only an empty text, and only exactly (never a memo)
    if (search.empty() && (matcher.Memo || matchType != mtExactMatch)) return true;
    const char* op = matchType == mtExactMatch          ? "="
                     : matchType == mtPartialMatchStart ? "STARTS"
                                                        : "CONTAINS";
    std::unique_ptr<TFilterNode> test = qzTextTest(field->FieldName(), op, search, !caseSensitive);
    // a memo that holds rich text is read as its plain text by the test below
    if (matcher.Memo)
        test = qzJoinTests("OR", std::move(test), qzTextTest(field->FieldName(), "STARTS", "{\\rtf", false));
    std::vector<int> positions;
    try {
        positions = db->CursorPositionsWhere(*test, fromFirst ? 1 : db->CursorPosition() + 1);
    } catch (const EDBEngineError& e) {
        if (IsWorkStopped(e.ErrorCode())) throw;
        return false;
    }
    // each candidate read where it is: the dataset moves only to the one found
    for (int position : positions) {
        if (matcher.Text(db->CursorFieldText(position, field))) {
            found = true;
            db->GotoCursorPosition(position);
            dataSet->UpdateCursorPos();
            return true;
        }
    }
    return true;
}

bool UsesLocate(TDataSet* dataSet, TField* field, bool fromFirst, TqzLocateMatchType matchType,
                bool useLocateMethod, bool memo) {
    if (memo || !fromFirst || matchType == mtPartialMatchAny) return false;
    if (qzIsCalcOrLookupField(field)) return false;
    if (useLocateMethod) return true;
    TqzIntl* intl = qzIntl();
    return intl && intl->ADO()->UseLocateWhenFindingValue() &&
           qzClassInheritsFrom(dataSet, "TCustomADODataSet");
}

// The table's active index when it begins with the field and suits the case
// rule; nullptr otherwise.
TIndexDef* UsableIndex(TTable* table, TField* field, bool caseSensitive) {
    table->IndexDefs()->Update();
    TIndexDef* def = table->IndexName().empty() ? nullptr : table->IndexDefs()->FindIndex(table->IndexName());
    if (!def) return nullptr;
    const std::string first = def->Fields.substr(0, def->Fields.find(';'));
    if (first.empty() || !table->FindField(first) || FoldCase(first) != FoldCase(field->FieldName()))
        return nullptr;
    if (field->DataType() == ftString && def->Options.Contains(ixCaseInsensitive) == caseSensitive)
        return nullptr;
    return def;
}

}  // namespace

bool qzFindRecordByValue(bool FromFirst, TDataSet* DataSet, const std::string& FieldName,
                         const std::string& Value, TqzLocateMatchType MatchType, bool CaseSensitive,
                         bool UseLocateMethod) {
    if (!DataSet) return false;
    DataSet->CheckBrowseMode();
    TField* field = DataSet->FindField(FieldName);
    if (!field) {
        MessageDlg("Field " + FieldName + " not found.", mtWarning, TMsgDlgButtons{mbOK}, 0);
        return false;
    }
    DataSet->UpdateCursorPos();
    TMatcher matcher(field, Value, MatchType, CaseSensitive);
    auto* table = dynamic_cast<TTable*>(DataSet);
    bool indexInUse = false;
    if (table && !matcher.Memo && !qzTableUsesQuery(table) && !matcher.Hopeless()) {
        if (UsableIndex(table, field, CaseSensitive)) {
            const std::string search = CaseSensitive ? Value : FoldCase(Value);
            const std::string current =
                DataSet->IsEmpty() ? std::string()
                                   : (CaseSensitive ? field->AsString() : FoldCase(field->AsString()));
            if (MatchType == mtExactMatch && field->DataType() != ftBoolean &&
                (FromFirst || current != search)) {
                if (FromFirst) return table->FindKey({Variant(Value)});
                // searching on: only a hit after the current record counts
                const int from = table->CursorPosition();
                const TBookmark mark = DataSet->Bookmark();
                if (table->FindKey({Variant(Value)}) && table->CursorPosition() > from) return true;
                if (!mark.empty()) DataSet->GotoBookmark(mark);
            } else if (MatchType == mtPartialMatchStart && field->DataType() == ftString) {
                indexInUse = true;
                const bool startsHere = !DataSet->IsEmpty() && current.compare(0, search.size(), search) == 0;
                if (!(startsHere && !FromFirst)) {
                    if (!FromFirst && !DataSet->IsEmpty() && search < current) return false;
                    table->FindNearest({Variant(Value)});
                    const std::string reached =
                        CaseSensitive ? field->AsString() : FoldCase(field->AsString());
                    return !DataSet->IsEmpty() && !search.empty() &&
                           reached.compare(0, search.size(), search) == 0;
                }
            }
        }
    }

    TqzHourGlass hourGlass;
    // over SQLite one watched search: busy by the clock, Escape stops it
    auto* db = dynamic_cast<TDBDataSet*>(DataSet);
    std::optional<TDBWorkSpan> span;
    if (db) span.emplace(SDBSearchStopped);
    TStartRecord start(DataSet);
    if (matcher.Hopeless()) return false;
    const bool firstInPlace = FromFirst && db && !matcher.Numeric && field->FieldKind() == fkData &&
                              !qzTableUsesQuery(DataSet) && db->CursorCount() > 0;
    if (firstInPlace) {
        // the first record read where it is
        if (matcher.Text(db->CursorFieldText(0, field))) {
            db->GotoCursorPosition(0);
            DataSet->UpdateCursorPos();
            start.Found = true;
            return true;
        }
    } else if (FromFirst) {
        DataSet->First();
        DataSet->UpdateCursorPos();
        if (!DataSet->IsEmpty() && matcher.Current()) {
            start.Found = true;
            return true;
        }
    }
    if (UsesLocate(DataSet, field, FromFirst, MatchType, UseLocateMethod, matcher.Memo)) {
        TLocateOptions options;
        if (!CaseSensitive) options.Include(loCaseInsensitive);
        if (MatchType == mtPartialMatchStart) options.Include(loPartialKey);
        start.Found = DataSet->Locate(FieldName, Variant(Value), options);
        return start.Found;
    }
    if (!indexInUse) {
        bool found = false;
        if (SearchThroughDatabase(DataSet, field, matcher, Value, MatchType, CaseSensitive, FromFirst,
                                  found)) {
            start.Found = found;
            return found;
        }
    }
    TqzControlsDisabled disabled(DataSet);
    if (firstInPlace) DataSet->First();  // the walk goes on from the second record
    while (!DataSet->Eof()) {
        if (span) span->Step();
        DataSet->Next();
        if (DataSet->Eof()) break;
        if (matcher.Current()) {
            start.Found = true;
            DataSet->UpdateCursorPos();
            return true;
        }
        // in index order the matches of a start search are together
        if (indexInUse) break;
    }
    return false;
}
