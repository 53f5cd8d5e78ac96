// The criteria of the record road that a dataset over SQLite answers itself:
// each such criterion becomes a test of the database, tied to the dialog's
// record filter, and the record test skips it.
#include "platform/core/case_fold.h"
#include "platform/core/sysutils.h"
#include "platform/db/dbtables.h"
#include "platform/db/fields.h"
#include "suite/base/qzdbsearch.h"
#include "suite/base/qzlinelists.h"
#include "suite/base/qztypes.h"
#include "suite/data/qzfilterdialog.h"

namespace {

bool IsTextType(TFieldType t) { return t == ftString || t == ftFixedChar || t == ftWideString; }

// The items of a value list as the record test reads them: the separator
// found in the value as typed, the items taken from the folded value unless
// CaseSensitive.
std::unique_ptr<TFilterNode> ListTest(const TqzFieldInfo& Info, const std::string& FieldName,
                                      const TqzFieldOperators* Operators) {
    bool isOr = false, isAnd = false;
    std::string separator;
    qzFindListOperator(Info.FilterValue, Operators, isOr, separator, isAnd);
    const std::string value = Info.CaseSensitive ? Info.FilterValue : FoldCase(Info.FilterValue);
    const std::string nullWord = Operators->NullChar();
    const char* op = Info.MatchType == fdMatchStart   ? "STARTS"
                     : Info.MatchType == fdMatchAny   ? "CONTAINS"
                     : Info.MatchType == fdMatchEnd   ? "ENDS"
                     : Info.MatchType == fdMatchExact ? "="
                                                      : nullptr;
    if (!op) return nullptr;
    std::unique_ptr<TFilterNode> test;
    int position = 1;
    std::string item;
    while (position != -1) {
        qzNextListItem(value, separator, position, item);
        if (item.empty()) continue;
        // the null word matches an empty text
        std::unique_ptr<TFilterNode> one = !nullWord.empty() && SameFolded(item, nullWord)
                                               ? qzTextTest(FieldName, "=", "", false)
                                               : qzTextTest(FieldName, op, item, !Info.CaseSensitive);
        test = qzJoinTests(isOr ? "OR" : "AND", std::move(test), std::move(one));
    }
    return test;
}

std::unique_ptr<TFilterNode> TextRangeTest(const TqzFieldInfo& Info, TField* Field, char16_t PadChar) {
    const bool hasMin = !Trim(Info.MinValue).empty(), hasMax = !Trim(Info.MaxValue).empty();
    if (!hasMin && !hasMax) return nullptr;
    // case-blind, both sides upper-cased, as the record test compares them
    const bool blind = !Info.CaseSensitive;
    const std::string name = Field->FieldName();
    const auto bound = [&](const char* Op, const std::string& Value) {
        return blind ? qzUpperTextTest(name, Op, Value) : qzTextTest(name, Op, Value, false);
    };
    // an empty value lies in no bounded range
    std::unique_ptr<TFilterNode> test = qzTextTest(name, "<>", "", false);
    if (hasMin) {
        const std::string lower = blind ? UnicodeUpperCase(Info.MinValue) : Info.MinValue;
        test = qzJoinTests("AND", std::move(test), bound(">=", lower));
    }
    if (hasMax) {
        std::string upper = blind ? UnicodeUpperCase(Info.MaxValue) : Info.MaxValue;
        upper = qzPadRight(Field->Size(), upper, PadChar);
        test = qzJoinTests("AND", std::move(test), bound("<=", upper));
    }
    return test;
}

std::unique_ptr<TFilterNode> IntegerRangeTest(const TqzFieldInfo& Info, TField* Field) {
    const bool hasMin = !Trim(Info.MinValue).empty(), hasMax = !Trim(Info.MaxValue).empty();
    if (!hasMin && !hasMax) return nullptr;
    int64_t lower = 0, upper = 0;
    // a bound that is no integer raises in the record test: left to it
    if ((hasMin && !TryStrToInt64(Trim(Info.MinValue), lower)) ||
        (hasMax && !TryStrToInt64(Trim(Info.MaxValue), upper)))
        return nullptr;
    const std::string name = Field->FieldName();
    std::unique_ptr<TFilterNode> test = qzTextTest(name, "<>", "", false);
    if (hasMin) test = qzJoinTests("AND", std::move(test), qzIntegerTest(name, ">=", lower));
    if (hasMax) test = qzJoinTests("AND", std::move(test), qzIntegerTest(name, "<=", upper));
    return test;
}

// Sets the cut of every text test of a tree.
void CutTexts(TFilterNode* Node, int64_t Bytes) {
    if (!Node) return;
    if (Node->Kind == fnCompare && Node->Texts) Node->CutBytes = Bytes;
    CutTexts(Node->Left.get(), Bytes);
    CutTexts(Node->Right.get(), Bytes);
}

// A memo's criterion as the record test reads it: the first FilterMemoSize
// bytes of its text (cut at a character's start), folded unless
// CaseSensitive. Not for a memo of rich text (read as its plain text), an
// end match (the record test's is by the text's end, not by the first
// occurrence), a range, or a database of UTF-16 (whose BLOBs read
// otherwise): those stay with the record test.
std::unique_ptr<TFilterNode> MemoTestOf(const TqzFieldInfo& Info, TField* Field, TDataSet* DataSet,
                                        const TqzFieldOperators* Operators) {
    const TFieldType type = Field->DataType();
    if ((type != ftMemo && type != ftFmtMemo) || qzIsRichTextField(Field, false)) return nullptr;
    if (Info.MatchType == fdMatchRange || Info.MatchType == fdMatchEnd) return nullptr;
    auto* db = dynamic_cast<TDBDataSet*>(DataSet);
    if (!db || !db->TextsInUtf8()) return nullptr;
    std::unique_ptr<TFilterNode> test = ListTest(Info, Field->FieldName(), Operators);
    CutTexts(test.get(), qzGetFilterMemoSize() < 0 ? -1 : qzGetFilterMemoSize());
    return test;
}

}  // namespace

std::unique_ptr<TFilterNode> TqzFilterDialog::DatabaseTestOf(TqzFieldInfo& Info, TDataSet* DataSet) {
    if (Info.FieldName.empty() || !DataSet->FindField(Info.FieldName))
        qzFieldNameFromDisplayLabel(DataSet, Info.DisplayLabel, Info.FieldName);
    TField* field = DataSet->FindField(Info.FieldName);
    if (!field || field->FieldKind() != fkData) return nullptr;
    const TFieldType type = field->DataType();
    if (field->IsBlob()) {
        std::unique_ptr<TFilterNode> test = MemoTestOf(Info, field, DataSet, FFieldOperators.get());
        if (test && Info.NonMatching) test = qzNotTest(std::move(test));
        return test;
    }
    if (Info.MatchType == fdMatchRange) {
        if (IsTextType(type)) return TextRangeTest(Info, field, FUpperRangePadChar);
        if (IsWholeNumberType(type)) return IntegerRangeTest(Info, field);
        return nullptr;
    }
    if (!IsTextType(type)) return nullptr;
    std::unique_ptr<TFilterNode> test = ListTest(Info, field->FieldName(), FFieldOperators.get());
    if (test && Info.NonMatching) test = qzNotTest(std::move(test));
    return test;
}

void TqzFilterDialog::HandCriteriaToDatabase(TDataSet* DataSet) {
    DropDatabaseCriteria();
    auto* db = dynamic_cast<TDBDataSet*>(DataSet);
    // the event may decide alone, so every record reaches it
    if (!db || FOnAcceptFilterRecord.Assigned()) return;
    std::vector<char> handed(FCriteria.size(), 0);
    std::unique_ptr<TFilterNode> all;
    for (size_t i = 0; i < FCriteria.size(); ++i) {
        std::unique_ptr<TFilterNode> test = DatabaseTestOf(FCriteria[i], DataSet);
        if (!test) continue;
        handed[i] = 1;
        all = qzJoinTests("AND", std::move(all), std::move(test));
    }
    if (!all) return;
    int handle = 0;
    try {
        handle = db->AddFilterExpression(std::move(all), 0);
        db->AttachToRecordFilter(handle);
    } catch (const EDBEngineError&) {
        // the dataset cannot: the record test takes every criterion
        if (handle) db->DropFilter(handle);
        return;
    }
    FHandedDataSet = db;
    FHandedFilter = handle;
    FHanded = std::move(handed);
}

void TqzFilterDialog::DropDatabaseCriteria() {
    FHanded.clear();
    TDBDataSet* db = FHandedDataSet;
    const int handle = FHandedFilter;
    FHandedDataSet = nullptr;
    FHandedFilter = 0;
    if (db) db->DropFilter(handle);
}

bool TqzFilterDialog::HandedToDatabase(size_t Index) const {
    return Index < FHanded.size() && FHanded[Index] != 0;
}
