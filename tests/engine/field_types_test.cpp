// The engine's field types: letters and sizes, text to value, comparing, unique codes, platform types.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "engine/field_types.h"
#include "platform/core/clock.h"
#include "platform/core/datetime.h"
#include "platform/core/exceptions.h"
#include "platform/core/sysutils.h"

namespace {

TOstraField Field(TOstraFieldType type, int length = 0) {
    TOstraField f;
    f.Name = "F";
    f.FieldType = type;
    f.Length = static_cast<uint16_t>(length);
    SetFieldLayout(f);
    return f;
}

// One field's place, releasing its value at the end.
struct Place {
    explicit Place(const TOstraField& field) : F(field), Bytes(field.Size + 8, 0) {}
    ~Place() {
        if (IsReferenceType(F.FieldType)) OstReleaseValue(Bytes.data());
    }
    uint8_t* P() { return Bytes.data(); }
    void Set(const std::string& text) { SetValueFromText(P(), text, F); }
    std::string Text() { return std::string(FieldText(P(), F)); }
    TOstraField F;
    std::vector<uint8_t> Bytes;
};

int Compare(const TOstraField& f, const std::string& a, const std::string& b, bool ci = false) {
    Place x(f), y(f);
    x.Set(a);
    y.Set(b);
    return CompareValues(x.P(), y.P(), f, ci);
}

class ClockGuard {
public:
    ~ClockGuard() {
        ResetClock();
        ResetUniqueCodeCounter();
    }
};

}  // namespace

TEST(FieldTypes, LettersAndSizes) {
    EXPECT_EQ(TypeLetter(oftSmallStr, 35), 'Z');
    EXPECT_EQ(TypeLetter(oftSmallStr, 10), 'A');
    EXPECT_EQ(TypeLetter(oftSmallStr, 9), '9');
    EXPECT_EQ(TypeLetter(oftUnknown, 0), 's');
    EXPECT_EQ(TypeLetter(17, 0), 's');
    const std::string letters =
        "lieb"
        "fcdv"
        "ta";
    for (int code = 1; code <= 10; ++code) EXPECT_EQ(TypeLetter(code, 0), letters[code - 1]) << code;
    EXPECT_EQ(TypeLetter(oftString, 255), 's');
    EXPECT_EQ(std::string() + TypeLetter(oftBLOB, 0) + TypeLetter(oftMemo, 0) + TypeLetter(oftFmtMemo, 0) +
                  TypeLetter(oftGraphic, 0),
              "omrg");

    TOstraFieldType type;
    int length = -1;
    ASSERT_TRUE(TypeFromLetter('Z', type, length));
    EXPECT_EQ(type, oftSmallStr);
    EXPECT_EQ(length, 35);
    EXPECT_EQ(StoredSizeOf(oftSmallStr, 35), 36);
    ASSERT_TRUE(TypeFromLetter('m', type, length));
    EXPECT_EQ(type, oftMemo);
    // Characters that name no type are refused rather than read as odd lengths.
    EXPECT_FALSE(TypeFromLetter('!', type, length));
    EXPECT_FALSE(TypeFromLetter('z', type, length));

    EXPECT_EQ(Field(oftAutoInc).Numeric, 1);
    EXPECT_EQ(Field(oftCurrency).Numeric, 1);
    EXPECT_EQ(Field(oftSmallStr, 5).Numeric, 0);
    EXPECT_EQ(Field(oftDate).Size, 4);
    EXPECT_EQ(Field(oftDateTime).Size, 8);
    EXPECT_STREQ(OstraFieldTypeName(oftFmtMemo), "FmtMemo");
    EXPECT_STREQ(OstraFieldTypeName(99), "Unknown");
    EXPECT_EQ(ReplaceSpaces("Due Date", '_'), "Due_Date");
}

TEST(FieldTypes, TextToValue) {
    Place s(Field(oftString, 100));
    s.Set(std::string(120, 'x'));
    EXPECT_EQ(s.Text(), std::string(120, 'x'));  // kept whole: posting refuses it
    s.Set("short");                              // replaces the earlier value
    EXPECT_EQ(s.Text(), "short");
    s.Set("");
    EXPECT_EQ(OstValueData(s.P()), nullptr);

    Place small(Field(oftSmallStr, 5));
    small.Set("abcdefgh");
    EXPECT_EQ(small.Text(), "abcde");
    small.Set("abcd\xC3\xA9");  // a two-byte letter that does not fit is left out whole
    EXPECT_EQ(small.Text(), "abcd");

    Place b(Field(oftBoolean));
    for (const char* yes : {"yes", "YES", "t", "T", "1", "True", "\xC4\xC0", "\xD0\xB4\xD0\xB0"}) {
        b.Set(yes);
        EXPECT_EQ(OstGet<int16_t>(b.P()), -1) << yes;
    }
    for (const char* no : {"no", "0", "false", "", "y"}) {
        b.Set(no);
        EXPECT_EQ(OstGet<int16_t>(b.P()), 0) << no;
    }

    Place i(Field(oftInteger));
    i.Set("12x");
    EXPECT_EQ(OstGet<int32_t>(i.P()), 0);
    i.Set("-123");
    EXPECT_EQ(OstGet<int32_t>(i.P()), -123);
    Place si(Field(oftSmallInt));
    si.Set("70000");  // not a SmallInt
    EXPECT_EQ(OstGet<int16_t>(si.P()), 0);
    Place big(Field(oftInt64));
    big.Set("9000000000");
    EXPECT_EQ(OstGet<int64_t>(big.P()), 9000000000LL);

    Place d(Field(oftDouble));
    d.Set("1.5");
    EXPECT_EQ(OstGet<double>(d.P()), 1.5);
    EXPECT_THROW(d.Set("abc"), EConvertError);

    ResetFormatSettings();
    Place date(Field(oftDate));
    date.Set("01/02/2024");
    EXPECT_EQ(OstGet<int32_t>(date.P()), DateTimeToTimeStamp(EncodeDate(2024, 1, 2)).Date);
    EXPECT_THROW(date.Set("not a date"), EConvertError);
    Place time(Field(oftTime));
    time.Set("1:30:15 PM");
    EXPECT_EQ(OstGet<int32_t>(time.P()), (13 * 3600 + 30 * 60 + 15) * 1000);
    Place dt(Field(oftDateTime));
    dt.Set("01/02/2024 6:00:00 AM");
    const TTimeStamp ts = DateTimeToTimeStamp(EncodeDate(2024, 1, 2));
    EXPECT_EQ(OstGet<double>(dt.P()), ts.Date * 86400000.0 + 6 * 3600000.0);

    // A memo declares no length; its text is kept whole.
    Place memo(Field(oftMemo));
    memo.Set("a memo text");
    EXPECT_EQ(memo.Text(), "a memo text");
    EXPECT_EQ(OstValueLength(memo.P()), 11u);

    Place blob(Field(oftBLOB));
    blob.Set("ignored");
    EXPECT_EQ(OstValueData(blob.P()), nullptr);
}

TEST(FieldTypes, CompareValuesOrdersAsSpecified) {
    const TOstraField b = Field(oftBoolean);
    EXPECT_LT(Compare(b, "True", "False"), 0);  // true sorts first
    EXPECT_GT(Compare(b, "False", "True"), 0);
    EXPECT_EQ(Compare(b, "yes", "1"), 0);

    const TOstraField s = Field(oftString, 50);
    EXPECT_LT(Compare(s, "", "a"), 0);
    EXPECT_GT(Compare(s, "a", ""), 0);
    EXPECT_EQ(Compare(s, "", ""), 0);
    EXPECT_LT(Compare(s, "ab", "abc"), 0);
    EXPECT_LT(Compare(s, "abc", "cab"), 0);
    EXPECT_LT(Compare(s, "Zebra", "apple"), 0);        // by byte: upper case first
    EXPECT_GT(Compare(s, "Zebra", "apple", true), 0);  // without regard to case
    EXPECT_EQ(Compare(s, "Apple", "apple", true), 0);

    const TOstraField small = Field(oftSmallStr, 10);
    EXPECT_LT(Compare(small, "", "0"), 0);
    EXPECT_GT(Compare(small, "9", "10"), 0);
    TOstraField numeric = small;
    numeric.Numeric = 1;  // lengths decide first
    EXPECT_LT(Compare(numeric, "9", "10"), 0);

    // Extreme integers compare by sign, not by an overflowing difference.
    const TOstraField i = Field(oftInteger);
    EXPECT_GT(Compare(i, "2147483647", "-2"), 0);
    EXPECT_LT(Compare(i, "-2147483648", "1"), 0);
    const TOstraField i64 = Field(oftInt64);
    EXPECT_GT(Compare(i64, "9000000000", "-9000000000"), 0);

    // NaN takes one consistent place after all numbers.
    const TOstraField d = Field(oftDouble);
    Place x(d), y(d);
    OstPut<double>(x.P(), std::numeric_limits<double>::quiet_NaN());
    OstPut<double>(y.P(), 1e300);
    EXPECT_GT(CompareValues(x.P(), y.P(), d, false), 0);
    EXPECT_LT(CompareValues(y.P(), x.P(), d, false), 0);
    OstPut<double>(x.P(), -0.0);
    OstPut<double>(y.P(), 0.0);
    EXPECT_EQ(CompareValues(x.P(), y.P(), d, false), 0);

    const TOstraField memo = Field(oftMemo);
    EXPECT_LT(Compare(memo, "", "x"), 0);
    EXPECT_LT(Compare(memo, "abc", "abd"), 0);
    Place m1(memo), m2(memo);
    const char bytes[] = {0, 'a', 'b'};
    OstSetValue(m1.P(), oftMemo, bytes, 3);  // bytes but no text
    EXPECT_GT(CompareValues(m1.P(), m2.P(), memo, false), 0);
    m2.Set("x");
    EXPECT_LT(CompareValues(m1.P(), m2.P(), memo, false), 0);

    const TOstraField blob = Field(oftBLOB);
    Place b1(blob), b2(blob);
    OstSetValue(b1.P(), oftBLOB, "zz", 2);
    EXPECT_EQ(CompareValues(b1.P(), b2.P(), blob, false), 0);
}

TEST(FieldTypes, CompareRecordsTakesTheFirstDifference) {
    TOstraField a = Field(oftInteger);
    TOstraField t = Field(oftSmallStr, 5);
    t.Offset = a.Size;
    std::vector<uint8_t> r1(a.Size + t.Size, 0), r2(a.Size + t.Size, 0);
    OstPut<int32_t>(r1.data(), 5);
    OstPut<int32_t>(r2.data(), 5);
    std::memcpy(r1.data() + t.Offset, "B", 1);
    std::memcpy(r2.data() + t.Offset, "a", 1);
    const TOstraField* fields[] = {&a, &t};
    EXPECT_LT(CompareRecords(r1.data(), r2.data(), fields, -1), 0);  // always case-sensitive
    EXPECT_EQ(CompareRecords(r1.data(), r2.data(), fields, 1), 0);
    OstPut<int32_t>(r2.data(), 4);
    EXPECT_GT(CompareRecords(r1.data(), r2.data(), fields, 2), 0);
}

TEST(FieldTypes, ReferenceValuesCopyAndRelease) {
    const TOstraField s = Field(oftString, 20);
    uint8_t a[8] = {}, b[8] = {};
    OstSetValue(a, oftString, "abc\0def", 7);  // a text ends at its first zero byte
    EXPECT_EQ(OstValueLength(a), 3u);
    OstCopyValue(b, a);
    EXPECT_NE(OstValueData(a), OstValueData(b));
    EXPECT_STREQ(OstValueData(b), "abc");
    OstReleaseValue(a);
    EXPECT_EQ(OstValueData(a), nullptr);
    EXPECT_EQ(FieldText(b, s), "abc");
    OstReleaseValue(b);
    OstReleaseValue(b);  // releasing an empty value does nothing
    EXPECT_TRUE(OstIsZero(b, sizeof b));
}

TEST(FieldTypes, UniqueCodeIsBuiltFromClockAndCounter) {
    ClockGuard guard;
    ResetUniqueCodeCounter();
    SetClockForTesting(EncodeDate(2000, 11, 2) + EncodeTime(1, 2, 3, 45));
    // day 1 x 24 + hour 1 = 25; 2 x 60 + 3 = 123; 4 x 1922 + counter 62 = 7750
    EXPECT_EQ(UniqueCode(), "00P1z210");
    EXPECT_EQ(UniqueCode(), "00P1z211");  // same millisecond: the counter tells them apart

    // 9 January 2028, 08:00: the first part reaches 62^3 and starts again.
    ResetUniqueCodeCounter();
    SetClockForTesting(EncodeDate(2028, 1, 9) + EncodeTime(8, 0, 0, 0));
    EXPECT_EQ(UniqueCode(), "0000007k");
    // 18 March 2055, 16:00: twice 62^3, still eight characters.
    SetClockForTesting(EncodeDate(2055, 3, 18) + EncodeTime(16, 0, 0, 0));
    const std::string later = UniqueCode();
    EXPECT_EQ(later.size(), 8u);
    EXPECT_EQ(later.substr(0, 5), "00000");
}

TEST(FieldTypes, UniqueCodeCounterWrapsAt3844) {
    ClockGuard guard;
    ResetUniqueCodeCounter();
    SetClockForTesting(EncodeDate(2001, 1, 1) + EncodeTime(23, 59, 0, 0));  // counter starts at 1439
    std::string last;
    for (int i = 1439; i < 3844; ++i) last = UniqueCode();
    EXPECT_EQ(last.substr(5), "0zz");  // 3843
    EXPECT_EQ(UniqueCode().substr(5), "000");
    const std::string alphabet = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
    for (char c : UniqueCode()) EXPECT_NE(alphabet.find(c), std::string::npos);
}

TEST(FieldTypes, PlatformTypesMapBothWays) {
    EXPECT_EQ(TypeFromFieldType(ftString, 35), oftSmallStr);
    EXPECT_EQ(TypeFromFieldType(ftString, 36), oftString);
    EXPECT_EQ(TypeFromFieldType(ftWord, 0), oftSmallInt);
    EXPECT_EQ(TypeFromFieldType(ftLargeint, 0), oftInt64);
    EXPECT_EQ(TypeFromFieldType(ftFmtMemo, 0), oftFmtMemo);
    EXPECT_EQ(TypeFromFieldType(ftBCD, 0), oftUnknown);
    EXPECT_EQ(TypeFromFieldType(ftGuid, 38), oftUnknown);
    for (int code = 1; code < OstraFieldTypeCount; ++code) {
        const auto type = static_cast<TOstraFieldType>(code);
        const int size = type == oftString ? 100 : (type == oftSmallStr ? 10 : 0);
        EXPECT_EQ(TypeFromFieldType(FieldTypeOf(type), size), type) << code;
    }
    EXPECT_EQ(FieldTypeOf(oftUnknown), ftUnknown);
}
