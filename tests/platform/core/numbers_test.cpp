// Integer and floating-point conversions.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>

#include "platform/core/exceptions.h"
#include "platform/core/sysutils.h"
#include "support/core/core_test_support.h"

namespace {

class NumbersTest : public ::testing::Test {
protected:
    void SetUp() override { ResetFormatSettings(); }
    void TearDown() override { ResetFormatSettings(); }
};

}  // namespace

TEST_F(NumbersTest, IntegerToText) {
    EXPECT_EQ(IntToStr(-5), "-5");
    EXPECT_EQ(IntToStr(INT64_MIN), "-9223372036854775808");
    EXPECT_EQ(IntToHex(255, 4), "00FF");
    EXPECT_EQ(IntToHex(0x1234, 2), "1234");
    EXPECT_EQ(IntToHex(0, 0), "0");
}

TEST_F(NumbersTest, TextToInteger) {
    EXPECT_EQ(StrToInt("123"), 123);
    EXPECT_EQ(StrToInt("  42"), 42);
    EXPECT_EQ(StrToInt("-7"), -7);
    EXPECT_EQ(StrToInt("+7"), 7);
    EXPECT_EQ(StrToInt("$FF"), 255);
    EXPECT_EQ(StrToInt("0x1a"), 26);
    EXPECT_EQ(StrToInt("$FFFFFFFF"), -1);
    EXPECT_EQ(StrToInt("2147483647"), 2147483647);
    EXPECT_EQ(StrToInt("-2147483648"), INT32_MIN);
    EXPECT_EQ(StrToInt64("9223372036854775807"), INT64_MAX);
    EXPECT_EQ(StrToInt64("-9223372036854775808"), INT64_MIN);
    EXPECT_EQ(StrToInt64("$FFFFFFFFFFFFFFFF"), -1);
    EXPECT_EQ(StrToIntDef("12x", -3), -3);
    EXPECT_EQ(StrToIntDef("12", -3), 12);
    int v = 99;
    EXPECT_FALSE(TryStrToInt("", v));
    EXPECT_EQ(v, 99);
    for (const char* bad : {"", " ", "12x", "42 ", "- 5", "--5", "$", "0x", "$G", "2147483648", "-2147483649",
                            "$100000000", "1.5", "99999999999999999999"}) {
        EXPECT_FALSE(TryStrToInt(bad, v)) << bad;
    }
    int64_t w;
    EXPECT_FALSE(TryStrToInt64("9223372036854775808", w));
    EXPECT_FALSE(TryStrToInt64("$10000000000000000", w));
    EXPECT_EQ(ErrorOf([] { StrToInt("12x"); }), "'12x' is not a valid integer value");
    EXPECT_EQ(ErrorOf([] { StrToInt64(""); }), "'' is not a valid integer value");
}

TEST_F(NumbersTest, FloatToStrShortestForm) {
    EXPECT_EQ(FloatToStr(0), "0");
    EXPECT_EQ(FloatToStr(-0.0), "0");
    EXPECT_EQ(FloatToStr(1.5), "1.5");
    EXPECT_EQ(FloatToStr(-1.5), "-1.5");
    EXPECT_EQ(FloatToStr(0.1), "0.1");
    EXPECT_EQ(FloatToStr(100), "100");
    EXPECT_EQ(FloatToStr(1.0 / 3), "0.333333333333333");
    EXPECT_EQ(FloatToStr(2.0 / 3), "0.666666666666667");
    EXPECT_EQ(FloatToStr(123456789012345.0), "123456789012345");
    EXPECT_EQ(FloatToStr(1e15), "1E15");
    EXPECT_EQ(FloatToStr(0.0001), "0.0001");
    EXPECT_EQ(FloatToStr(0.00001), "1E-5");
    EXPECT_EQ(FloatToStr(-1.5e-7), "-1.5E-7");
    EXPECT_EQ(FloatToStr(std::nan("")), "NAN");
    EXPECT_EQ(FloatToStr(HUGE_VAL), "INF");
    EXPECT_EQ(FloatToStr(-HUGE_VAL), "-INF");
    FormatSettings().DecimalSeparator = ',';
    EXPECT_EQ(FloatToStr(1.5), "1,5");
}

TEST_F(NumbersTest, FloatToStrFFormats) {
    EXPECT_EQ(FloatToStrF(1234.5678, ffFixed, 15, 2), "1234.57");
    EXPECT_EQ(FloatToStrF(1234.5678, ffNumber, 15, 2), "1,234.57");
    EXPECT_EQ(FloatToStrF(1234.5678, ffCurrency, 15, 2), "$1,234.57");
    EXPECT_EQ(FloatToStrF(-1234.5678, ffCurrency, 15, 2), "($1,234.57)");
    EXPECT_EQ(FloatToStrF(1234.5, ffExponent, 4, 2), "1.235E+03");
    EXPECT_EQ(FloatToStrF(0.00012, ffExponent, 2, 0), "1.2E-4");
    EXPECT_EQ(FloatToStrF(1234.5678, ffGeneral, 6, 0), "1234.57");
    EXPECT_EQ(FloatToStrF(-0.001, ffFixed, 15, 2), "0.00");
    EXPECT_EQ(FloatToStrF(2.675, ffFixed, 15, 2), "2.68");
    EXPECT_EQ(FloatToStrF(1.0 / 3, ffFixed, 4, 6), "0.333300");
    EXPECT_EQ(FloatToStrF(123456.0, ffFixed, 4, 2), "1.235E5");  // too many digits: general
    EXPECT_EQ(FloatToStrF(999.999, ffNumber, 15, 2), "1,000.00");
    FormatSettings().CurrencyString = "EUR";
    FormatSettings().CurrencyFormat = 3;
    FormatSettings().NegCurrFormat = 8;
    EXPECT_EQ(FloatToStrF(5, ffCurrency, 15, 2), "5.00 EUR");
    EXPECT_EQ(FloatToStrF(-5, ffCurrency, 15, 2), "-5.00 EUR");
}

TEST_F(NumbersTest, CurrToStrKeepsFourDecimals) {
    EXPECT_EQ(CurrToStr(1.23456), "1.2346");
    EXPECT_EQ(CurrToStr(5), "5");
    EXPECT_EQ(CurrToStr(-0.00004), "0");
}

TEST_F(NumbersTest, FormatFloatPlaceholders) {
    EXPECT_EQ(FormatFloat("0.######", 1.5), "1.5");
    EXPECT_EQ(FormatFloat("0.######", 3), "3");
    EXPECT_EQ(FormatFloat("0.######", 1.0 / 3), "0.333333");
    EXPECT_EQ(FormatFloat("0.######", 0.0000001), "0");
    EXPECT_EQ(FormatFloat("0.######", -2.25), "-2.25");
    EXPECT_EQ(FormatFloat("0.######", 1234567.125), "1234567.125");
    EXPECT_EQ(FormatFloat("#,##0.00", 1234567.891), "1,234,567.89");
    EXPECT_EQ(FormatFloat("#,##0.00", 0), "0.00");
    EXPECT_EQ(FormatFloat("#,##0.00", -1234.5), "-1,234.50");
    EXPECT_EQ(FormatFloat("#,##0.00", 0.5), "0.50");
    EXPECT_EQ(FormatFloat("#,##0", 999.5), "1,000");
    EXPECT_EQ(FormatFloat("#,##0", 100), "100");
    EXPECT_EQ(FormatFloat("000", 7), "007");
    EXPECT_EQ(FormatFloat("#", 0), "");
    EXPECT_EQ(FormatFloat("#.##", 0.5), ".5");
    EXPECT_EQ(FormatFloat(".00", 12.5), "12.50");
    EXPECT_EQ(FormatFloat("0.00", 1e20), "1E20");  // beyond fixed notation
    EXPECT_EQ(FormatFloat("", 2.5), "2.5");
    EXPECT_EQ(FormatFloat("0.0", std::nan("")), "NAN");
}

TEST_F(NumbersTest, FormatFloatRoundsHalfAwayFromZero) {
    EXPECT_EQ(FormatFloat("0.00", 0.125), "0.13");
    EXPECT_EQ(FormatFloat("0.00", -0.125), "-0.13");
    EXPECT_EQ(FormatFloat("0.00", 2.675), "2.68");
    EXPECT_EQ(FormatFloat("0.00", 1.005), "1.01");
    EXPECT_EQ(FormatFloat("0", 2.5), "3");
    EXPECT_EQ(FormatFloat("0", -2.5), "-3");
    EXPECT_EQ(FormatFloat("0", 0.49), "0");
    EXPECT_EQ(FormatFloat("0.0", 9.96), "10.0");
}

TEST_F(NumbersTest, FormatFloatSections) {
    const std::string fmt = "0.00;(0.00);'zero'";
    EXPECT_EQ(FormatFloat(fmt, 1.5), "1.50");
    EXPECT_EQ(FormatFloat(fmt, -1.5), "(1.50)");
    EXPECT_EQ(FormatFloat(fmt, 0), "zero");
    EXPECT_EQ(FormatFloat(fmt, -0.001), "zero");        // rounds to zero
    EXPECT_EQ(FormatFloat("0;;", -5), "-5");            // empty negative section
    EXPECT_EQ(FormatFloat("0.0;(0.0)", -0.01), "0.0");  // never a negative zero
    EXPECT_EQ(FormatFloat("0.0", -0.01), "0.0");
    EXPECT_EQ(FormatFloat("'a;b' 0", 3), "a;b 3");  // ";" inside quotes
}

TEST_F(NumbersTest, FormatFloatLiteralsAndScientific) {
    EXPECT_EQ(FormatFloat("'$'#,##0", 1234.5), "$1,235");
    EXPECT_EQ(FormatFloat("0 \"pcs\"", 5), "5 pcs");
    EXPECT_EQ(FormatFloat("0.00E+00", 1234.5), "1.23E+03");
    EXPECT_EQ(FormatFloat("0.0E-0", 0.00012), "1.2E-4");
    EXPECT_EQ(FormatFloat("0.0E-0", 12000), "1.2E4");
    EXPECT_EQ(FormatFloat("00.0E+0", 1234.5), "12.3E+2");
    EXPECT_EQ(FormatFloat("0.00E+00", 9.999), "1.00E+01");
    EXPECT_EQ(FormatFloat("0.00E+00", 0), "0.00E+00");
    EXPECT_EQ(FormatFloat("0.00E+00", -1234.5), "-1.23E+03");
}

TEST_F(NumbersTest, FormatFloatUsesTheSettingsSeparators) {
    FormatSettings().DecimalSeparator = ',';
    FormatSettings().ThousandSeparator = '.';
    EXPECT_EQ(FormatFloat("#,##0.00", 1234.5), "1.234,50");
    TFormatSettings own;
    EXPECT_EQ(FormatFloat("#,##0.00", 1234.5, own), "1,234.50");
}

TEST_F(NumbersTest, TextToFloat) {
    EXPECT_EQ(StrToFloat("1.5"), 1.5);
    EXPECT_EQ(StrToFloat(" 2.5 "), 2.5);
    EXPECT_EQ(StrToFloat("-3"), -3);
    EXPECT_EQ(StrToFloat("1e3"), 1000);
    EXPECT_EQ(StrToFloat("1.5E-2"), 0.015);
    EXPECT_EQ(StrToFloat(".5"), 0.5);
    EXPECT_EQ(StrToFloat("5."), 5);
    EXPECT_EQ(StrToFloat("1e-400"), 0);
    EXPECT_EQ(StrToFloatDef("x", 7.5), 7.5);
    double v = 4;
    for (const char* bad :
         {"", " ", "abc", "1,5", "1e", "1e+", "--1", "1.2.3", "1e400", "inf", "nan", "0x10", "1 2", "."}) {
        EXPECT_FALSE(TryStrToFloat(bad, v)) << bad;
    }
    EXPECT_EQ(v, 4);
    EXPECT_EQ(ErrorOf([] { StrToFloat("abc"); }), "'abc' is not a valid floating point value");
    FormatSettings().DecimalSeparator = ',';
    EXPECT_EQ(StrToFloat("1,5"), 1.5);
    EXPECT_FALSE(TryStrToFloat("1.5", v));
}

TEST_F(NumbersTest, FloatTextRoundTrips) {
    std::mt19937_64 rng(11);
    std::uniform_real_distribution<double> mantissa(-1, 1);
    std::uniform_int_distribution<int> exponent(-30, 30);
    for (int n = 0; n < 5000; ++n) {
        const double x = mantissa(rng) * std::pow(10.0, exponent(rng));
        const double back = StrToFloat(FloatToStr(x));
        EXPECT_NEAR(back, x, std::fabs(x) * 1e-14) << FloatToStr(x);
        const double fixed = StrToFloat(FormatFloat("0.######", x));
        EXPECT_NEAR(fixed, x, 5e-7 + std::fabs(x) * 1e-14);
    }
}

// Random bytes: the trying readers and the raising ones agree on every input,
// and whatever reads as an int reads as the same 64-bit number.
TEST_F(NumbersTest, RandomBytesAreReadOrRefusedAlike) {
    std::mt19937 rng(3);
    int ints = 0, floats = 0;
    for (int n = 0; n < 20000; ++n) {
        std::string s;
        const int len = static_cast<int>(rng() % 10);
        for (int k = 0; k < len; ++k)
            s += (rng() % 2) ? "0123456789+-.eE$x, "[rng() % 19] : static_cast<char>(rng());
        double d = 0;
        int i = 0;
        int64_t w = 0;
        if (TryStrToFloat(s, d)) {
            ++floats;
            ASSERT_EQ(StrToFloat(s), d) << s;
        } else {
            ASSERT_THROW(StrToFloat(s), EConvertError) << s;
        }
        if (TryStrToInt(s, i)) {
            ++ints;
            ASSERT_EQ(StrToInt(s), i) << s;
            ASSERT_TRUE(TryStrToInt64(s, w)) << s;
            ASSERT_EQ(w, i) << s;
        } else {
            ASSERT_THROW(StrToInt(s), EConvertError) << s;
        }
        if (TryStrToInt64(s, w))
            ASSERT_EQ(StrToInt64(s), w) << s;
        else
            ASSERT_THROW(StrToInt64(s), EConvertError) << s;
        ASSERT_NO_THROW(FormatFloat(s, n * 0.37 - 1000)) << s;
    }
    EXPECT_GT(ints, 100);
    EXPECT_GT(floats, ints);
}

TEST_F(NumbersTest, FormatFloatPlaceholdersBeyondTheExponentDigits) {
    // Placeholders after the exponent's own digits have no digit to show.
    EXPECT_EQ(FormatFloat("#e-x00000", 4.0), "4e0x");
    std::mt19937 rng(11);
    const std::string alphabet = "#0.,;Ee+-'\"x ";
    for (int n = 0; n < 20000; ++n) {
        std::string fmt;
        const int len = 1 + static_cast<int>(rng() % 24);
        for (int k = 0; k < len; ++k) fmt += alphabet[rng() % alphabet.size()];
        const double values[] = {0.0, 4.0, -12345.678, 1e-9, 9.99e17};
        for (double v : values) EXPECT_NO_THROW(FormatFloat(fmt, v)) << fmt;
    }
}
