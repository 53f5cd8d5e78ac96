// The checks of typed texts against field types (free of datasets and
// windows, so the fuzzer reaches them alone).
#include <limits>

#include "platform/core/sysutils.h"
#include "suite/base/date_scan.h"
#include "suite/base/qzdbutils.h"

bool qzIsSearchableFieldType(TFieldType FieldType) {
    return FieldType != ftBytes && FieldType != ftVarBytes && FieldType != ftBlob && FieldType != ftGraphic;
}

bool qzIsNumericFieldType(TFieldType FieldType) {
    switch (FieldType) {
    case ftSmallint:
    case ftInteger:
    case ftWord:
    case ftFloat:
    case ftCurrency:
    case ftAutoInc: return true;
    default: return false;
    }
}

bool qzIsFloatOrDateFieldType(TFieldType FieldType) {
    switch (FieldType) {
    case ftFloat:
    case ftCurrency:
    case ftBCD:
    case ftDate:
    case ftTime:
    case ftDateTime: return true;
    default: return false;
    }
}

namespace {

// An integer text whose value lies in [Min, Max]; empty counts as valid.
bool IntegerInRange(const std::string& Text, int64_t Min, int64_t Max) {
    if (!qzIsIntegerText(Text)) return false;
    if (Text.empty()) return true;
    int64_t value = 0;
    if (!TryStrToInt64(Text, value)) return false;
    return value >= Min && value <= Max;
}

}  // namespace

bool qzIsValidTextForFieldType(TFieldType FieldType, const std::string& Text) {
    switch (FieldType) {
    case ftSmallint: return IntegerInRange(Text, -32768, 32767);
    case ftWord: return IntegerInRange(Text, 0, 65535);
    case ftInteger:
    case ftAutoInc:
        return IntegerInRange(Text, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max());
    case ftLargeint:
        return IntegerInRange(Text, std::numeric_limits<int64_t>::min(), std::numeric_limits<int64_t>::max());
    case ftFloat:
    case ftCurrency:
    case ftBCD:
    case ftFMTBcd: return qzIsFloatText(Text);
    case ftDate: return qzIsDateText(Text);
    case ftTime: return qzIsTimeText(Text);
    case ftDateTime:
    case ftTimeStamp: return qzIsDateTimeText(Text) || qzIsDateText(Text);
    default: return true;
    }
}

bool qzIsTextEditKey(uint16_t Key) {
    return Key == 8 || Key == 32 || Key == 46 || (Key >= 48 && Key <= 111) || Key > 145;
}
