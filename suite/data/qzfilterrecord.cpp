// The record test of the filter dialog's criteria.
#include <cmath>

#include "platform/core/case_fold.h"
#include "platform/core/datetime.h"
#include "platform/core/sysutils.h"
#include "platform/core/text.h"
#include "platform/db/dataset.h"
#include "platform/db/dbconsts.h"
#include "platform/db/fields.h"
#include "suite/base/qzdbutils.h"
#include "suite/base/qzlinelists.h"
#include "suite/base/qzproputils.h"
#include "suite/base/qztypes.h"
#include "suite/data/qzfilterdialog.h"

namespace {

bool SameNoCase(const std::string& A, const std::string& B) { return !B.empty() && SameFolded(A, B); }

// Text cut to at most MaxBytes, never inside a character.
std::string CutUtf8(const std::string& Text, int MaxBytes) {
    if (MaxBytes < 0 || Text.size() <= static_cast<size_t>(MaxBytes)) return Text;
    return Utf8Truncate(Text, static_cast<size_t>(MaxBytes));
}

bool IsPlainStringType(TFieldType T) { return T == ftString || T == ftWideString || T == ftFixedChar; }

}  // namespace

TqzDummyForm::TqzDummyForm(TqzFilterDialog* Dialog)
    : TComponent(Dialog), FDialog(Dialog), FParam(std::make_unique<TParam>(nullptr)) {}

void TqzDummyForm::FilterRecord(TDataSet* DataSet, bool& Accept) {
    FDataSet = DataSet;
    Accept = true;
    bool defaultFiltering = true;
    FDialog->DoAcceptFilterRecord(DataSet, Accept, defaultFiltering);
    if (!Accept || !defaultFiltering) return;
    TqzFieldInfoList& criteria = FDialog->FCriteria;
    for (size_t i = 0; i < criteria.size(); ++i) {
        if (FDialog->HandedToDatabase(i)) continue;
        if (criteria[i].FieldName.empty())
            qzFieldNameFromDisplayLabel(DataSet, criteria[i].DisplayLabel, criteria[i].FieldName);
        Accept = RecordMatchesCriterion(static_cast<int>(i));
        if (criteria[i].NonMatching && criteria[i].MatchType != fdMatchRange) Accept = !Accept;
        if (!Accept) break;
    }
}

TParam* TqzDummyForm::GetFieldValue(const std::string& FieldName) {
    TField* field = FDataSet ? FDataSet->FindField(FieldName) : nullptr;
    if (!field) DatabaseErrorFmt("Field '%s' not found", FieldName);
    if (field->FieldKind() == fkLookup && !qzClassInheritsFrom(FDataSet, "TCustomADODataSet") &&
        !qzClassInheritsFrom(FDataSet, "TIBCustomDataSet")) {
        TField* result = qzFindLookupResultField(FDataSet, field);
        FParam->SetDataType(result ? result->DataType() : ftString);
        if (result)
            qzSetParamFromField(result, FBuffer, FParam.get());
        else
            FParam->Clear();
        return FParam.get();
    }
    FParam->SetDataType(field->DataType() == ftTimeStamp ? ftDateTime : field->DataType());
    qzSetParamFromField(field, FBuffer, FParam.get());
    return FParam.get();
}

std::string TqzDummyForm::ValueTextOf(TField* Field) {
    if (Field->IsNull()) return std::string();
    switch (Field->DataType()) {
    case ftDate: return DateToStr(Field->AsDateTime());
    case ftTime: return TimeToStr(Field->AsDateTime());
    case ftDateTime:
    case ftTimeStamp: return DateTimeToStr(Field->AsDateTime());
    case ftWideString: return Field->AsString();
    default: return GetFieldValue(Field->FieldName())->AsString();
    }
}

bool TqzDummyForm::RecordMatchesCriterion(int Index) {
    TqzFieldInfo& info = FDialog->FCriteria.at(static_cast<size_t>(Index));
    if (info.FieldName.empty() || !FDataSet->FindField(info.FieldName))
        qzFieldNameFromDisplayLabel(FDataSet, info.DisplayLabel, info.FieldName);
    TField* field = FDataSet->FindField(info.FieldName);
    // A field the dataset lacks stops the filtering before anything else.
    if (!field)
        DatabaseErrorFmt("Field '%s' not found", info.FieldName.empty() ? info.DisplayLabel : info.FieldName);

    bool isOr = false, isAnd = false;
    std::string separator;
    if (info.MatchType != fdMatchRange)
        qzFindListOperator(info.FilterValue, FDialog->FieldOperators(), isOr, separator, isAnd);

    if (field->IsBlob()) return MemoMatches(info, field, separator, isOr);

    std::string valueText = ValueTextOf(field);
    if (info.MatchType == fdMatchRange) return RangeMatches(info, field, valueText);
    std::string filterValue = info.FilterValue;
    if (!info.CaseSensitive) {
        valueText = FoldCase(valueText);
        filterValue = FoldCase(filterValue);
    }
    const std::string nullWord = FDialog->FieldOperators()->NullChar();
    int position = 1;
    std::string item;
    while (position != -1) {
        qzNextListItem(filterValue, separator, position, item);
        if (item.empty()) continue;
        bool matches;
        if (SameNoCase(item, nullWord)) {
            matches = valueText.empty();
        } else {
            switch (info.MatchType) {
            case fdMatchStart: matches = valueText.compare(0, item.size(), item) == 0; break;
            case fdMatchAny: matches = valueText.find(item) != std::string::npos; break;
            case fdMatchEnd: {
                const size_t at = valueText.find(item);
                matches = valueText.size() >= item.size() && at != std::string::npos &&
                          at + item.size() == valueText.size();
                break;
            }
            case fdMatchExact:
                matches = qzFilterValuesEqual(item, valueText, field->DataType(), nullWord);
                break;
            default: matches = false; break;
            }
        }
        if (isOr && matches) return true;
        if (!isOr && !matches) return false;
    }
    return !isOr;
}

bool TqzDummyForm::MemoMatches(TqzFieldInfo& Info, TField* Field, const std::string& Separator, bool IsOr) {
    std::string text = Field->AsString();
    if (qzIsRichTextField(Field, false)) {
        std::string plain;
        qzRichTextToPlainText(text, plain);
        text = std::move(plain);
    }
    // Only the first FilterMemoSize bytes are examined.
    text = CutUtf8(text, qzGetFilterMemoSize());
    std::string filterValue = Info.FilterValue;
    if (!Info.CaseSensitive) {
        text = FoldCase(text);
        filterValue = FoldCase(filterValue);
    }
    const std::string nullWord = FDialog->FieldOperators()->NullChar();
    int position = 1;
    std::string item;
    while (position != -1) {
        qzNextListItem(filterValue, Separator, position, item);
        if (item.empty()) continue;
        bool matches;
        if (SameNoCase(item, nullWord)) {
            matches = text.empty();
        } else {
            switch (Info.MatchType) {
            case fdMatchStart: matches = text.compare(0, item.size(), item) == 0; break;
            case fdMatchAny: matches = text.find(item) != std::string::npos; break;
            case fdMatchExact: matches = text == item; break;
            case fdMatchEnd:
                matches = text.size() >= item.size() &&
                          text.compare(text.size() - item.size(), item.size(), item) == 0;
                break;
            default: matches = false; break;
            }
        }
        if (IsOr && matches) return true;
        if (!IsOr && !matches) return false;
    }
    return !IsOr;
}

bool TqzDummyForm::RangeMatches(TqzFieldInfo& Info, TField* Field, const std::string& ValueText) {
    const std::string& minText = Info.MinValue;
    const std::string& maxText = Info.MaxValue;
    const bool hasMin = !Trim(minText).empty(), hasMax = !Trim(maxText).empty();
    if (!hasMin && !hasMax) return true;
    // An empty value lies in no bounded range.
    if (ValueText.empty()) return false;
    TFieldType type = Field->DataType();
    if (type == ftAutoInc) type = ftInteger;
    switch (type) {
    case ftSmallint:
    case ftInteger:
    case ftWord:
    case ftLargeint: {
        const int64_t v = StrToInt64(Trim(GetFieldValue(Field->FieldName())->AsString()));
        if (hasMin && v < StrToInt64(Trim(minText))) return false;
        if (hasMax && v > StrToInt64(Trim(maxText))) return false;
        return true;
    }
    case ftFloat:
    case ftCurrency:
    case ftBCD:
    case ftFMTBcd: {
        const double v = Field->AsFloat(), e = FDialog->Rounding()->Epsilon();
        if (hasMin && v + e < StrToFloat(Trim(minText))) return false;
        if (hasMax && v - e > StrToFloat(Trim(maxText))) return false;
        return true;
    }
    case ftDate:
    case ftTime: {
        const double v = Field->AsDateTime();
        auto convert = [type](const std::string& s) {
            return static_cast<double>(type == ftDate ? StrToDate(Trim(s)) : StrToTime(Trim(s)));
        };
        if (hasMin && v < convert(minText)) return false;
        if (hasMax && v > convert(maxText)) return false;
        return true;
    }
    case ftDateTime:
    case ftTimeStamp: {
        const double v = Field->AsDateTime();
        if (hasMin && v < static_cast<double>(StrToDateTime(Trim(minText)))) return false;
        if (hasMax) {
            const std::string upperText = Trim(maxText);
            const double upper = StrToDateTime(upperText);
            const TFormatSettings& fs = FormatSettings();
            bool hasTime;
            if (fs.DateSeparator != fs.TimeSeparator)
                hasTime = upperText.find(fs.TimeSeparator) != std::string::npos;
            else
                hasTime = upper != std::floor(upper);
            if (hasTime ? v > upper : !(v < upper + 1)) return false;
        }
        return true;
    }
    default: {
        // Strings and the other types: by character codes, case-blind with
        // both sides upper-cased; a string's upper bound is padded to the
        // field's width.
        std::string value = ValueText, lower = minText, upper = maxText;
        if (!Info.CaseSensitive) {
            value = UnicodeUpperCase(value);
            lower = UnicodeUpperCase(lower);
            upper = UnicodeUpperCase(upper);
        }
        if (IsPlainStringType(type)) upper = qzPadRight(Field->Size(), upper, FDialog->UpperRangePadChar());
        if (hasMin && value < lower) return false;
        if (hasMax && value > upper) return false;
        return true;
    }
    }
}
