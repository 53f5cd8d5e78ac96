// Dataset services: typed-text checks, field-type tests, memo reading for
// filters, parameters from fields and the platform's lookup fields.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "platform/core/datetime.h"
#include "platform/core/sysutils.h"
#include "platform/db/fields.h"
#include "platform/db/fieldtypes.h"
#include "platform/db/params.h"
#include "suite/base/qzdbutils.h"
#include "suite/base/qzintl.h"
#include "suite/base/qzlinelists.h"
#include "suite/base/qzrecordsearch.h"
#include "support/suite/suite_test_table.h"

namespace {

class TypedText : public ::testing::Test {
protected:
    void SetUp() override {
        ResetFormatSettings();
        FormatSettings().ShortDateFormat = "M/d/yyyy";
        FormatSettings().DateSeparator = '/';
        FormatSettings().DecimalSeparator = '.';
    }
    void TearDown() override { ResetFormatSettings(); }
};

TEST_F(TypedText, TextsThatCanBeStored) {
    struct Case {
        TFieldType type;
        const char* text;
        bool valid;
    };
    const Case cases[] = {
        {ftSmallint, "-32768", true},
        {ftSmallint, "32767", true},
        {ftSmallint, "32768", false},  // beyond 16 bits
        {ftSmallint, "-32769", false},
        {ftWord, "65535", true},
        {ftWord, "65536", false},
        {ftWord, "-1", false},
        {ftInteger, "2147483647", true},
        {ftInteger, "2147483648", false},
        {ftInteger, "-2147483648", true},
        {ftInteger, "99999999999999999999999", false},
        {ftAutoInc, "12", true},
        {ftAutoInc, "1.5", false},
        {ftInteger, "-", false},
        {ftInteger, "", true},
        {ftFloat, "1.5", true},
        {ftFloat, "-2e10", true},
        {ftFloat, "1.5x", false},
        {ftCurrency, "12.5", true},
        {ftBCD, "abc", false},
        {ftFMTBcd, "3.25", true},
        {ftDate, "6/15/2021", true},
        {ftDate, "6/15/2021 10:00", false},
        {ftDate, "13/45/2021", false},
        {ftTime, "10:30", true},
        {ftTime, "25:99", false},
        {ftDateTime, "6/15/2021 10:30", true},
        {ftDateTime, "6/15/2021", true},
        {ftTimeStamp, "10:30", false},
        {ftString, "anything", true},
        {ftBoolean, "maybe", true},
        {ftMemo, "", true},
        {ftLargeint, "-9223372036854775808", true},
        {ftLargeint, "9223372036854775808", false},
        {ftLargeint, "5e9", false},
        {ftLargeint, "", true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(qzIsValidTextForFieldType(c.type, c.text), c.valid)
            << FieldTypeName(c.type) << " '" << c.text << "'";
    // the whole text counts, however long
    EXPECT_FALSE(qzIsValidTextForFieldType(ftFloat, "1" + std::string(62, '0') + "x"));
    EXPECT_TRUE(qzIsValidTextForFieldType(ftFloat, "1" + std::string(80, '0')));
}

TEST_F(TypedText, EmptySearchTexts) {
    TqzTestTable t;
    t.FieldDefs()->Add("S", ftString, 10);
    t.FieldDefs()->Add("B", ftBoolean);
    t.FieldDefs()->Add("I", ftInteger);
    t.FieldDefs()->Add("F", ftFloat);
    t.FieldDefs()->Add("D", ftDate);
    t.FieldDefs()->Add("L", ftLargeint);
    t.Open();
    EXPECT_FALSE(qzIsValidSearchTextForField(t.FieldByName("L"), ""));
    EXPECT_TRUE(qzIsValidSearchTextForField(t.FieldByName("S"), ""));
    EXPECT_TRUE(qzIsValidSearchTextForField(t.FieldByName("B"), ""));
    EXPECT_FALSE(qzIsValidSearchTextForField(t.FieldByName("I"), ""));
    EXPECT_FALSE(qzIsValidSearchTextForField(t.FieldByName("F"), ""));
    EXPECT_FALSE(qzIsValidSearchTextForField(t.FieldByName("D"), ""));
    EXPECT_TRUE(qzIsValidTextForField(t.FieldByName("I"), ""));
    EXPECT_TRUE(qzIsValidSearchTextForField(t.FieldByName("I"), "42"));
    EXPECT_FALSE(qzIsValidSearchTextForField(t.FieldByName("I"), "4e2"));
    EXPECT_FALSE(qzIsValidSearchTextForField(nullptr, "1"));
    EXPECT_FALSE(qzIsValidTextForField(nullptr, "1"));
}

TEST(FieldTypes, KeysAndTypeGroups) {
    for (uint16_t k : {8, 32, 46, 48, 90, 111, 146, 222}) EXPECT_TRUE(qzIsTextEditKey(k)) << k;
    for (uint16_t k : {0, 9, 13, 27, 33, 45, 47, 112, 145}) EXPECT_FALSE(qzIsTextEditKey(k)) << k;
    for (TFieldType t : {ftBytes, ftVarBytes, ftBlob, ftGraphic}) EXPECT_FALSE(qzIsSearchableFieldType(t));
    for (TFieldType t : {ftString, ftMemo, ftInteger, ftDate}) EXPECT_TRUE(qzIsSearchableFieldType(t));
    for (TFieldType t : {ftSmallint, ftInteger, ftWord, ftFloat, ftCurrency, ftAutoInc})
        EXPECT_TRUE(qzIsNumericFieldType(t));
    for (TFieldType t : {ftBCD, ftString, ftLargeint, ftDate, ftBoolean})
        EXPECT_FALSE(qzIsNumericFieldType(t));
}

TEST(FieldTypes, FloatAndDateTypes) {
    for (TFieldType t : {ftFloat, ftCurrency, ftBCD, ftDate, ftTime, ftDateTime})
        EXPECT_TRUE(qzIsFloatOrDateFieldType(t)) << static_cast<int>(t);
    for (TFieldType t :
         {ftString, ftSmallint, ftInteger, ftLargeint, ftAutoInc, ftBoolean, ftMemo, ftTimeStamp})
        EXPECT_FALSE(qzIsFloatOrDateFieldType(t)) << static_cast<int>(t);
}

class FieldValues : public ::testing::Test {
protected:
    void SetUp() override {
        T.FieldDefs()->Add("S", ftString, 10);
        T.FieldDefs()->Add("N", ftSmallint);
        T.FieldDefs()->Add("W", ftWord);
        T.FieldDefs()->Add("I", ftInteger);
        T.FieldDefs()->Add("F", ftFloat);
        T.FieldDefs()->Add("B", ftBoolean);
        T.FieldDefs()->Add("D", ftDate);
        T.FieldDefs()->Add("T", ftTime);
        T.FieldDefs()->Add("DT", ftDateTime);
        T.FieldDefs()->Add("M", ftMemo);
        T.Open();
        T.Append();
        T.FieldByName("S")->SetAsString("abc");
        T.FieldByName("N")->SetAsInteger(-2);
        T.FieldByName("W")->SetAsInteger(300);
        T.FieldByName("I")->SetAsInteger(-100000);
        T.FieldByName("F")->SetAsFloat(2.75);
        T.FieldByName("B")->SetAsBoolean(true);
        T.FieldByName("D")->SetAsDateTime(EncodeDate(2021, 6, 15));
        T.FieldByName("T")->SetAsDateTime(EncodeTime(10, 30, 0, 0));
        T.FieldByName("DT")->SetAsDateTime(EncodeDate(2000, 1, 1) + 0.5);
        T.Post();
    }
    template <class V>
    static V As(const std::vector<uint8_t>& b) {
        V v{};
        EXPECT_EQ(b.size(), sizeof(V));
        if (b.size() == sizeof(V)) std::memcpy(&v, b.data(), sizeof(V));
        return v;
    }
    std::vector<uint8_t> Buf(const char* name) {
        std::vector<uint8_t> b{1, 2, 3};
        qzSetParamFromField(T.FieldByName(name), b);
        return b;
    }
    TqzTestTable T;
};

TEST_F(FieldValues, NativeBuffersByType) {
    const auto s = Buf("S");
    EXPECT_EQ(std::string(s.begin(), s.end()), std::string("abc\0", 4));
    EXPECT_EQ(As<int16_t>(Buf("N")), -2);
    EXPECT_EQ(As<uint16_t>(Buf("W")), 300);
    EXPECT_EQ(As<int32_t>(Buf("I")), -100000);
    EXPECT_EQ(As<double>(Buf("F")), 2.75);
    EXPECT_EQ(As<int16_t>(Buf("B")), -1);
    EXPECT_EQ(As<int32_t>(Buf("D")), DateDelta + static_cast<int>(EncodeDate(2021, 6, 15)));
    EXPECT_EQ(As<int32_t>(Buf("T")), (10 * 60 + 30) * 60 * 1000);
    EXPECT_EQ(As<double>(Buf("DT")),
              (static_cast<double>(DateDelta) + EncodeDate(2000, 1, 1)) * MSecsPerDay + MSecsPerDay / 2);
    std::vector<uint8_t> none{1};
    qzSetParamFromField(nullptr, none);
    EXPECT_TRUE(none.empty());
}

TEST_F(FieldValues, LongTextStopsAtALimitOnACharacter) {
    T.Edit();
    T.FieldByName("M")->SetAsString(std::string(32766, 'a') + "\xc3\xa9" + "tail");
    T.Post();
    const auto b = Buf("M");
    ASSERT_EQ(b.size(), 32767u);  // 32766 bytes and the zero: the two-byte character does not fit
    EXPECT_EQ(b.back(), 0);
    EXPECT_EQ(b[b.size() - 2], 'a');
}

TEST_F(FieldValues, ParameterTakesTypeAndValue) {
    TParams params;
    TParam* p = params.AddParam("Amount", ftUnknown);
    std::vector<uint8_t> b;
    qzSetParamFromField(T.FieldByName("F"), b, p);
    EXPECT_EQ(p->DataType(), ftFloat);
    EXPECT_EQ(p->AsFloat(), 2.75);
    EXPECT_EQ(As<double>(b), 2.75);
    TParam* q = params.AddParam("AsInt", ftInteger);  // the parameter's type decides the form
    qzSetParamFromField(T.FieldByName("N"), b, q);
    EXPECT_EQ(As<int32_t>(b), -2);
    EXPECT_EQ(q->AsInteger(), -2);
}

TEST_F(FieldValues, MemoForFilterNeverCutsACharacter) {
    T.Edit();
    T.FieldByName("M")->SetAsString("ab\xc3\xa9z");
    T.Post();
    EXPECT_EQ(qzReadMemoForFilter(&T, T.FieldByName("M"), 3), "ab");
    EXPECT_EQ(qzReadMemoForFilter(&T, T.FieldByName("M"), 4), "ab\xc3\xa9");
    EXPECT_EQ(qzReadMemoForFilter(&T, T.FieldByName("M"), 100), "ab\xc3\xa9z");
    EXPECT_EQ(qzReadMemoForFilter(&T, T.FieldByName("M"), 0), "");
    const std::string big(100000, 'q');
    T.Edit();
    T.FieldByName("M")->SetAsString(big);
    T.Post();
    ASSERT_NE(qzIntl(), nullptr);
    EXPECT_EQ(qzReadMemoForFilter(&T, T.FieldByName("M")).size(),
              static_cast<size_t>(qzIntl()->FilterMemoSize()));
    EXPECT_EQ(qzReadMemoForFilter(nullptr, T.FieldByName("M"), 10), "");
}

TEST_F(FieldValues, MemoForFilterReadsTheRecordUnderTest) {
    T.Edit();
    T.FieldByName("M")->SetAsString("keep this");
    T.Post();
    T.AppendRecord({Variant("drop")});
    T.Append();
    T.FieldByName("S")->SetAsString("third");
    T.FieldByName("M")->SetAsString("keep that");
    T.Post();
    std::vector<std::string> seen;
    T.SetOnFilterRecord(TFilterRecordEvent([&](TDataSet* ds, bool& accept) {
        const std::string memo = qzReadMemoForFilter(ds, ds->FieldByName("M"), 4);
        seen.push_back(memo);
        accept = memo == "keep";
    }));
    T.SetFiltered(true);
    EXPECT_EQ(T.RecordCount(), 2);
    EXPECT_NE(std::find(seen.begin(), seen.end(), ""), seen.end());
    T.First();
    EXPECT_EQ(T.FieldByName("S")->AsString(), "abc");
    T.Next();
    EXPECT_EQ(T.FieldByName("S")->AsString(), "third");
    T.SetFiltered(false);
}

TEST_F(FieldValues, FieldKindsAndRawData) {
    TField* i = T.FieldByName("I");
    EXPECT_FALSE(qzIsCalcOrLookupField(i));
    EXPECT_TRUE(qzIsCalcLookupOrNonBDEField(i));  // the engine is not the platform's database engine
    EXPECT_FALSE(qzIsCalcOrLookupField(nullptr));
    EXPECT_FALSE(qzIsCalcLookupOrNonBDEField(nullptr));
    int32_t raw = 0;
    EXPECT_TRUE(qzDataSetGetFieldData(&T, i, &raw));
    EXPECT_EQ(raw, -100000);
    EXPECT_FALSE(qzDataSetGetFieldData(nullptr, i, &raw));
    TqzPropHolder h;
    h.QueryText = "select";
    EXPECT_FALSE(qzTableUsesQuery(&h));  // not the suite's table
    EXPECT_FALSE(qzTableUsesQuery(&T));
    EXPECT_FALSE(qzTableUsesQuery(nullptr));
}

TEST_F(FieldValues, BookmarkComparisonIsTheDataSets) {
    T.Append();
    T.FieldByName("S")->SetAsString("second");
    T.Post();
    T.First();
    const TBookmark first = T.Bookmark();
    T.Last();
    const TBookmark last = T.Bookmark();
    EXPECT_EQ(qzDataSetCompareBookmarks(&T, first, first), 0);
    EXPECT_LT(qzDataSetCompareBookmarks(&T, first, last), 0);
    EXPECT_GT(qzDataSetCompareBookmarks(&T, last, first), 0);
    EXPECT_EQ(qzDataSetCompareBookmarks(nullptr, first, last), 0);
}

TEST(RichText, PlainTextOfRichText) {
    std::string text;
    qzRichTextToPlainText("{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0 Caf\\'e9 \\b bold\\b0\\par next}", text);
    EXPECT_EQ(text, "Caf\xc3\xa9 bold\r\nnext");
    qzRichTextToPlainText("not rich", text);
    EXPECT_EQ(text, "not rich");
}

class LookupResult : public ::testing::Test {
protected:
    void SetUp() override {
        Cats.FieldDefs()->Add("Code", ftInteger);
        Cats.FieldDefs()->Add("Title", ftString, 20);
        Cats.Open();
        Cats.AppendRecord({Variant(1), Variant("Home")});
        Cats.AppendRecord({Variant(2), Variant("Work")});
        Tasks.FieldDefs()->Add("Id", ftInteger);
        Tasks.FieldDefs()->Add("Cat", ftInteger);
        for (const char* name : {"Id", "Cat"}) {
            auto* f = new TIntegerField(&Tasks);
            f->SetFieldName(name);
            f->SetDataSet(&Tasks);
        }
        Title = new TStringField(&Tasks);
        Title->SetFieldName("CatTitle");
        Title->SetFieldKind(fkLookup);
        Title->SetDataSet(&Tasks);
        Title->SetLookupDataSet(&Cats);
        Title->SetKeyFields("Cat");
        Title->SetLookupKeyFields("Code");
        Title->SetLookupResultField("Title");
        Tasks.Open();
        Tasks.AppendRecord({Variant(1), Variant(2)});
        Tasks.AppendRecord({Variant(2), Variant(9)});
        Tasks.First();
        Cats.First();
    }
    void TearDown() override { Tasks.Close(); }
    TqzTestTable Cats;
    TqzTestTable Tasks;
    TStringField* Title = nullptr;
};

TEST_F(LookupResult, PositionsTheLookupDataSet) {
    TField* r = qzFindLookupResultField(&Tasks, Title, Variant(2));
    ASSERT_EQ(r, Cats.FieldByName("Title"));
    EXPECT_EQ(r->AsString(), "Work");
    r = qzFindLookupResultField(&Tasks, Title, Variant(1));
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(r->AsString(), "Home");
    EXPECT_EQ(qzFindLookupResultField(&Tasks, Title, Variant(7)), nullptr);
    EXPECT_EQ(qzFindLookupResultField(&Tasks, Tasks.FieldByName("Cat"), Variant(1)),
              nullptr);  // no lookup field
    EXPECT_EQ(qzFindLookupResultField(&Tasks, nullptr, Variant(1)), nullptr);
}

TEST_F(LookupResult, LookupFieldKind) {
    EXPECT_TRUE(qzIsCalcOrLookupField(Title));
    EXPECT_TRUE(qzIsCalcLookupOrNonBDEField(Title));
}

TEST_F(LookupResult, KeyOfTheCurrentRecord) {
    TField* r = qzFindLookupResultField(&Tasks, Title);
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(r->AsString(), "Work");
    Tasks.Next();
    EXPECT_EQ(qzFindLookupResultField(&Tasks, Title), nullptr);
}

}  // namespace

namespace {

TEST(NilComponents, RoutinesGiveTheirDefaults) {
    EXPECT_FALSE(qzLocateFieldValue(nullptr, "x", "Name", false, mtExactMatch));
    EXPECT_FALSE(qzFindRecordByValue(true, nullptr, "Name", "x", mtExactMatch, false, false));
    TStringList lines;
    lines.Add("old");
    qzGetDisplayFields(nullptr, &lines);
    EXPECT_EQ(lines.Count(), 0);
    qzApplyDisplayFields(nullptr, &lines);
    qzValidatePictureMasks(nullptr, TqzInvalidValueEvent());
    std::string name = "kept";
    qzGetLookupLink(nullptr, "Name", name);
    qzGetLookupResultFieldName(nullptr, "Name", name);
    EXPECT_EQ(name, "kept");
    qzFieldNameFromDisplayLabel(nullptr, "Label", name);
    EXPECT_EQ(name, "");
    std::string picture = "p";
    qzGetTablePicture(nullptr, "Name", picture);
    EXPECT_EQ(picture, "");
    TWinControl* found = nullptr;
    EXPECT_FALSE(qzFindRichEditControlForField(nullptr, nullptr, nullptr, found));
    EXPECT_EQ(qzReadMemoForFilter(nullptr, nullptr, 10), "");
    EXPECT_EQ(qzFindLookupResultField(nullptr, nullptr), nullptr);
    EXPECT_TRUE(qzGetControlInfoInDataSet(nullptr));
    EXPECT_TRUE(qzGetPictureMaskFromDataSet(nullptr));
    EXPECT_EQ(qzGetPictureMaskSource(nullptr, nullptr), nullptr);
    qzNotifyDesignerModified(nullptr);
}

}  // namespace
