// Variants: kinds, text conversions, numbers, arrays and comparison.
#include <gtest/gtest.h>

#include <string>

#include "platform/core/datetime.h"
#include "platform/core/exceptions.h"
#include "platform/core/sysutils.h"
#include "platform/core/variant.h"
#include "support/core/core_test_support.h"

namespace {

template <class F>
std::string VariantErrorOf(F f) {
    return MessageOf<EVariantError>(f, "");
}

std::string ConvertMessage(const std::string& from, const std::string& to) {
    return "Could not convert variant of type (" + from + ") into type (" + to + ")";
}

}  // namespace

TEST(VariantKinds, ConstructorsPickTheKind) {
    EXPECT_EQ(Variant().VarType(), varEmpty);
    EXPECT_EQ(Null().VarType(), varNull);
    EXPECT_EQ(Unassigned().VarType(), varEmpty);
    EXPECT_EQ(Variant(true).VarType(), varBoolean);
    EXPECT_EQ(Variant(static_cast<short>(3)).VarType(), varSmallint);
    EXPECT_EQ(Variant(3).VarType(), varInteger);
    EXPECT_EQ(Variant(3LL).VarType(), varInt64);
    EXPECT_EQ(Variant(3.5).VarType(), varDouble);
    EXPECT_EQ(Variant("x").VarType(), varString);
    EXPECT_EQ(Variant(std::string("x")).VarType(), varString);
    EXPECT_EQ(Variant::FromCurrency(1.5).VarType(), varCurrency);
    EXPECT_EQ(Variant::FromDateTime(45000).VarType(), varDate);
    EXPECT_EQ(VarArrayOf({1, 2}).VarType(), varArray);
    EXPECT_EQ(Variant(static_cast<const char*>(nullptr)).AsString(), "");
    EXPECT_TRUE(VarIsNull(Null()));
    EXPECT_FALSE(VarIsNull(Variant()));
    EXPECT_TRUE(VarIsEmpty(Variant()));
    EXPECT_FALSE(VarIsEmpty(Variant("")));
}

TEST(VariantToText, EachKindHasItsText) {
    ResetFormatSettings();
    EXPECT_EQ(Variant().AsString(), "");
    EXPECT_EQ(Variant(true).AsString(), "True");
    EXPECT_EQ(Variant(false).AsString(), "False");
    EXPECT_EQ(Variant(-42).AsString(), "-42");
    EXPECT_EQ(Variant(9000000000LL).AsString(), "9000000000");
    EXPECT_EQ(Variant(2.5).AsString(), "2.5");
    EXPECT_EQ(Variant::FromDateTime(EncodeDate(2024, 3, 5)).AsString(), "03/05/2024");
    EXPECT_EQ(Variant("text").AsString(), "text");
    EXPECT_EQ(VariantErrorOf([] { (void)Null().AsString(); }), ConvertMessage("Null", "String"));
    EXPECT_EQ(VariantErrorOf([] { (void)VarArrayOf({1}).AsString(); }),
              ConvertMessage("Array Variant", "String"));
}

TEST(VariantFromText, NumbersBooleansAndDates) {
    ResetFormatSettings();
    EXPECT_EQ(Variant("42").AsInteger(), 42);
    EXPECT_EQ(Variant("-7").AsInt64(), -7);
    EXPECT_EQ(Variant("3.5").AsInteger(), 4);  // half to even
    EXPECT_EQ(Variant("2.5").AsInteger(), 2);
    EXPECT_DOUBLE_EQ(Variant("2.25").AsDouble(), 2.25);
    EXPECT_TRUE(Variant("true").AsBoolean());
    EXPECT_FALSE(Variant("FALSE").AsBoolean());
    EXPECT_TRUE(Variant("2").AsBoolean());
    EXPECT_FALSE(Variant("0").AsBoolean());
    EXPECT_EQ(Variant("True").AsInteger(), -1);
    EXPECT_DOUBLE_EQ(Variant("03/05/2024").AsDateTime(), EncodeDate(2024, 3, 5));

    EXPECT_EQ(VariantErrorOf([] { (void)Variant("abc").AsInteger(); }), ConvertMessage("String", "Integer"));
    EXPECT_EQ(VariantErrorOf([] { (void)Variant("abc").AsDouble(); }), ConvertMessage("String", "Double"));
    EXPECT_EQ(VariantErrorOf([] { (void)Variant("maybe").AsBoolean(); }),
              ConvertMessage("String", "Boolean"));
    EXPECT_EQ(VariantErrorOf([] { (void)Variant("31/31/2024").AsDateTime(); }),
              ConvertMessage("String", "Date"));
    EXPECT_EQ(VariantErrorOf([] { (void)Variant("").AsInteger(); }), ConvertMessage("String", "Integer"));
}

TEST(VariantFromText, UsesTheDecimalSeparatorOfTheSettings) {
    ResetFormatSettings();
    FormatSettings().DecimalSeparator = ',';
    EXPECT_DOUBLE_EQ(Variant("3,25").AsDouble(), 3.25);
    EXPECT_EQ(Variant(3.25).AsString(), "3,25");
    ResetFormatSettings();
}

TEST(VariantNumbers, ConversionsBetweenKinds) {
    EXPECT_EQ(Variant(true).AsInteger(), -1);
    EXPECT_EQ(Variant(false).AsInteger(), 0);
    EXPECT_EQ(Variant().AsInteger(), 0);
    EXPECT_DOUBLE_EQ(Variant().AsDateTime(), 0);
    EXPECT_EQ(Variant(2.5).AsInteger(), 2);
    EXPECT_EQ(Variant(-3.5).AsInteger(), -4);
    EXPECT_EQ(Variant(1e15).AsInt64(), 1000000000000000LL);
    EXPECT_EQ(Variant(static_cast<short>(-5)).AsDouble(), -5);
    EXPECT_TRUE(Variant(0.1).AsBoolean());
    EXPECT_DOUBLE_EQ(Variant::FromDateTime(45000.75).AsDouble(), 45000.75);
    EXPECT_DOUBLE_EQ(Variant(45000.75).AsDateTime(), 45000.75);
    EXPECT_DOUBLE_EQ(Variant::FromCurrency(1.23456).AsDouble(), 1.2346);
    EXPECT_DOUBLE_EQ(Variant(2.00006).AsCurrency(), 2.0001);

    EXPECT_EQ(VariantErrorOf([] { (void)Variant(1e20).AsInteger(); }), ConvertMessage("Double", "Integer"));
    EXPECT_EQ(VariantErrorOf([] { (void)Variant(5000000000LL).AsInteger(); }),
              ConvertMessage("Int64", "Integer"));
    EXPECT_EQ(VariantErrorOf([] { (void)Null().AsInteger(); }), ConvertMessage("Null", "Integer"));
    EXPECT_EQ(VariantErrorOf([] { (void)Null().AsBoolean(); }), ConvertMessage("Null", "Boolean"));
    EXPECT_EQ(VariantErrorOf([] { (void)Null().AsDateTime(); }), ConvertMessage("Null", "Date"));
}

TEST(VariantNumbers, VarAsTypeChangesTheKind) {
    const Variant i = VarAsType(Variant("12"), varInteger);
    EXPECT_EQ(i.VarType(), varInteger);
    EXPECT_EQ(i.AsInteger(), 12);
    EXPECT_EQ(VarAsType(Variant(12), varString).AsString(), "12");
    EXPECT_EQ(VarAsType(Variant(7), varSmallint).VarType(), varSmallint);
    EXPECT_EQ(VarAsType(Variant(1), varNull).VarType(), varNull);
    EXPECT_EQ(VariantErrorOf([] { (void)VarAsType(Variant(40000), varSmallint); }),
              ConvertMessage("Integer", "Smallint"));
    EXPECT_EQ(VariantErrorOf([] { (void)VarAsType(Variant(1), varArray); }),
              ConvertMessage("Integer", "Array Variant"));
}

TEST(VariantArrays, ElementsAndBounds) {
    const Variant a = VarArrayOf({1, "two", Null()});
    EXPECT_TRUE(VarIsArray(a));
    EXPECT_EQ(VarArrayLowBound(a), 0);
    EXPECT_EQ(VarArrayHighBound(a), 2);
    EXPECT_EQ(a.ArrayCount(), 3);
    EXPECT_EQ(a[0].AsInteger(), 1);
    EXPECT_EQ(a[1].AsString(), "two");
    EXPECT_TRUE(VarIsNull(a[2]));
    EXPECT_EQ(VarArrayHighBound(VarArrayOf({})), -1);

    EXPECT_EQ(VariantErrorOf([&] { (void)a[3]; }), "Variant or safe array index out of bounds");
    EXPECT_EQ(VariantErrorOf([&] { (void)a[-1]; }), "Variant or safe array index out of bounds");
    EXPECT_EQ(VariantErrorOf([] { (void)VarArrayHighBound(Variant(1)); }), "Variant is not an array");
    EXPECT_EQ(VariantErrorOf([] { (void)Variant("x")[0]; }), "Variant is not an array");
    EXPECT_EQ(VariantErrorOf([&] { (void)VarArrayHighBound(a, 2); }), "Variant array bounds error");

    Variant b = a;
    b[1] = 2.5;
    EXPECT_EQ(a[1].AsString(), "two");  // copies are independent
    EXPECT_DOUBLE_EQ(b[1].AsDouble(), 2.5);
}

TEST(VariantCompare, OrdersAcrossKinds) {
    EXPECT_LT(VarCompare(Variant(), Null()), 0);
    EXPECT_LT(VarCompare(Null(), Variant(0)), 0);
    EXPECT_EQ(VarCompare(Null(), Null()), 0);
    EXPECT_LT(VarCompare(Variant(1), Variant(2)), 0);
    EXPECT_GT(VarCompare(Variant(2.5), Variant(2)), 0);
    EXPECT_LT(VarCompare(Variant("a"), Variant("b")), 0);
    EXPECT_LT(VarCompare(Variant("B"), Variant("a")), 0);  // case is the caller's business
    EXPECT_GT(VarCompare(Variant("10"), Variant(9)), 0);   // numerically, not as text
    EXPECT_LT(VarCompare(Variant(9), Variant("10")), 0);
    EXPECT_GT(VarCompare(Variant("abc"), Variant(5)), 0);  // not a number: as texts
    EXPECT_LT(VarCompare(Variant(false), Variant(true)), 0);
    EXPECT_LT(VarCompare(Variant(9007199254740992LL), Variant(9007199254740993LL)), 0);
    EXPECT_LT(VarCompare(VarArrayOf({1, 2}), VarArrayOf({1, 3})), 0);
    EXPECT_LT(VarCompare(VarArrayOf({1}), VarArrayOf({1, 0})), 0);
    EXPECT_GT(VarCompare(VarArrayOf({}), Variant("z")), 0);
}

TEST(VariantCompare, Equality) {
    EXPECT_EQ(Variant(2), Variant(2.0));
    EXPECT_EQ(Variant("1"), Variant(1));
    EXPECT_EQ(Null(), Null());
    EXPECT_NE(Null(), Variant());
    EXPECT_NE(Null(), Variant(""));
    EXPECT_NE(Variant(), Variant(0));
    EXPECT_EQ(Variant::FromDateTime(100), Variant(100));
    EXPECT_EQ(VarArrayOf({1, "a"}), VarArrayOf({1, "a"}));
    EXPECT_NE(VarArrayOf({1, "a"}), VarArrayOf({1, "A"}));
}
