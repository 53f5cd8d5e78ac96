// The value-list scanner and the record test over an engine table.
#include "platform/core/exceptions.h"
#include "suite/base/qzintl.h"
#include "support/suite/data/filter_fixture.h"

namespace {

std::vector<std::string> Items(const std::string& Text, TqzFieldOperators& Ops) {
    bool isOr = false, isAnd = false;
    std::string sep;
    qzFindListOperator(Text, &Ops, isOr, sep, isAnd);
    std::vector<std::string> out;
    int pos = 1;
    std::string item;
    while (pos != -1) {
        qzNextListItem(Text, sep, pos, item);
        if (!item.empty()) out.push_back(item);
    }
    return out;
}

TEST(ValueListTest, OperatorsItemsQuotesAndOneCharacterWords) {
    TqzFieldOperators ops;
    bool isOr = false, isAnd = false;
    std::string sep;
    qzFindListOperator("smith OR jones and x", &ops, isOr, sep, isAnd);
    EXPECT_TRUE(isOr);
    EXPECT_FALSE(isAnd);
    EXPECT_EQ("or", sep);
    qzFindListOperator("or b", &ops, isOr, sep, isAnd);  // the first word is no operator
    EXPECT_FALSE(isOr);
    EXPECT_EQ("", sep);
    EXPECT_EQ((std::vector<std::string>{"smith", "jones"}), Items("  smith   or  jones ", ops));
    EXPECT_EQ((std::vector<std::string>{"new  york", "x y"}).size(), Items("new  york or x   y", ops).size());
    EXPECT_EQ((std::vector<std::string>{"new york", "x y"}), Items("new  york or x   y", ops));
    EXPECT_EQ((std::vector<std::string>{"\"a or b\"", "c"}), Items("\"a or b\" or c", ops));
    EXPECT_EQ((std::vector<std::string>{"or", "b"}), Items("or or b", ops));
    ops.SetOrChar("|");
    EXPECT_EQ((std::vector<std::string>{"a", "b"}), Items("a|b", ops));
    // An unclosed quote runs to the end.
    EXPECT_EQ((std::vector<std::string>{"\"abc"}), Items("\"abc", ops));
}

TEST(ValueListTest, PadRightAndValuesEqual) {
    EXPECT_EQ("Dzzzz", qzPadRight(5, "D", u'z'));
    EXPECT_EQ("abcdef", qzPadRight(3, "abcdef", u'z'));
    EXPECT_EQ("D", qzPadRight(5, "D", 0));
    EXPECT_EQ("é\u00e9", qzPadRight(2, "é", u'\u00e9'));
    EXPECT_TRUE(qzFilterValuesEqual("1.50", "1.5", ftFloat));
    EXPECT_FALSE(qzFilterValuesEqual("1.50", "1.5", ftString));
    EXPECT_FALSE(qzFilterValuesEqual("", "5", ftInteger));
    EXPECT_FALSE(qzFilterValuesEqual("null", "5", ftInteger));
    EXPECT_TRUE(qzFilterValuesEqual(" 7", "7", ftInteger));
    EXPECT_THROW(qzFilterValuesEqual("abc", "5", ftInteger), EConvertError);
}

TEST_F(FilterTest, NoCriteriaAcceptEveryRecordAndTheEventCanDecideAlone) {
    Add("A", 1, 1);
    Add("B", 2, 2);
    D->Criteria().push_back(Crit("Name", fdMatchExact, "A"));
    EXPECT_EQ((std::vector<std::string>{"A"}), Filter(D->Criteria()));
    int calls = 0;
    D->SetOnAcceptFilterRecord(
        TqzAcceptFilterRecordEvent([&](TObject*, TDataSet* ds, bool& accept, bool& def) {
            ++calls;
            def = false;
            accept = ds->FieldByName("Num")->AsInteger() == 2;
        }));
    EXPECT_EQ((std::vector<std::string>{"B"}), Filter(D->Criteria()));
    EXPECT_GT(calls, 0);
}

TEST_F(FilterTest, ListsNullAndNonMatching) {
    Add("Smith", 1, 1, "red and blue");
    Add("Jones", 2, 2, "red");
    Add("Brown", 3, 3, "");
    Add("", 4, 4, "blue red");
    EXPECT_EQ((std::vector<std::string>{"Smith", "Jones"}),
              Filter({Crit("Name", fdMatchStart, "smi or JONES")}));
    TqzFieldInfo non = Crit("Name", fdMatchStart, "smith or jones");
    non.NonMatching = true;
    EXPECT_EQ((std::vector<std::string>{"Brown", ""}), Filter({non}));
    EXPECT_EQ((std::vector<std::string>{"Smith", ""}), Filter({Crit("Notes", fdMatchAny, "red and blue")}));
    EXPECT_EQ((std::vector<std::string>{""}), Filter({Crit("Name", fdMatchExact, "null")}));
    EXPECT_EQ((std::vector<std::string>{"Brown", ""}), Filter({Crit("Name", fdMatchStart, "null or br")}));
    EXPECT_EQ((std::vector<std::string>{"Brown"}), Filter({Crit("Notes", fdMatchExact, "NULL")}));
    // Criteria are joined by AND.
    EXPECT_EQ((std::vector<std::string>{"Smith"}),
              Filter({Crit("Notes", fdMatchStart, "red"), Crit("Name", fdMatchEnd, "th")}));
}

TEST_F(FilterTest, EndMatchExactConversionsAndCase) {
    Add("abab", 1, 1.5);
    Add("xab", 2, 2);
    EXPECT_EQ((std::vector<std::string>{"xab"}), Filter({Crit("Name", fdMatchEnd, "ab")}));
    EXPECT_EQ((std::vector<std::string>{"abab"}), Filter({Crit("Amount", fdMatchExact, "1.50")}));
    TqzFieldInfo cs = Crit("Name", fdMatchStart, "XAB");
    cs.CaseSensitive = true;
    EXPECT_TRUE(Filter({cs}).empty());
    D->Criteria() = {Crit("Num", fdMatchExact, "abc")};
    EXPECT_THROW(D->ApplyFilter(), EConvertError);
}

TEST_F(FilterTest, RangesByType) {
    Add("B", 1, 0.99995);
    Add("Dzzzz", 2, 2.00005);
    Add("E", 3, 2.1);
    Add("b", 4, 1);
    EXPECT_EQ((std::vector<std::string>{"B", "Dzzzz", "b"}), Filter({Range("Name", "B", "D")}));
    TqzFieldInfo cs = Range("Name", "B", "D");
    cs.CaseSensitive = true;
    EXPECT_EQ((std::vector<std::string>{"B", "Dzzzz"}), Filter({cs}));
    EXPECT_EQ((std::vector<std::string>{"B", "Dzzzz", "b"}), Filter({Range("Amount", "1", "2")}));
    EXPECT_EQ((std::vector<std::string>{"Dzzzz", "E"}), Filter({Range("Num", "2", "3")}));
    EXPECT_EQ((std::vector<std::string>{"E", "b"}), Filter({Range("Num", "3", "")}));
    TqzFieldInfo non = Range("Num", "3", "");
    non.NonMatching = true;  // no effect on ranges
    EXPECT_EQ((std::vector<std::string>{"E", "b"}), Filter({non}));
    D->Criteria() = {Range("Num", "x", "")};
    EXPECT_THROW(D->ApplyFilter(), EConvertError);
}

// A case-blind range compares upper-cased texts: '_' and '^' lie above the
// upper-case letters, below the lower-case ones; the pad stays lower case.
TEST_F(FilterTest, CaseBlindTextRangesCompareUpperCase) {
    Add("_ab", 1, 1);
    Add("b^c", 2, 2);
    Add("Bob", 3, 3);
    Add("a", 4, 4);
    EXPECT_EQ((std::vector<std::string>{"_ab", "b^c", "Bob"}), Filter({Range("Name", "b", "")}));
    EXPECT_EQ((std::vector<std::string>{"b^c", "Bob", "a"}), Filter({Range("Name", "a", "b")}));
    EXPECT_EQ((std::vector<std::string>{"_ab"}), Filter({Range("Name", "_", "")}));
}

TEST_F(FilterTest, DateTimeUpperBoundWithoutTimeTakesTheWholeDay) {
    T.AppendRecord({Variant("late"), Variant(), Variant(), Variant(),
                    Variant::FromDateTime(EncodeDate(2005, 12, 31) + EncodeTime(23, 59, 0, 0))});
    T.AppendRecord({Variant("next"), Variant(), Variant(), Variant(),
                    Variant::FromDateTime(EncodeDate(2006, 1, 1) + EncodeTime(0, 0, 0, 0))});
    const std::string day = DateToStr(EncodeDate(2005, 12, 31));
    EXPECT_EQ((std::vector<std::string>{"late"}), Filter({Range("Stamp", "", day)}));
    EXPECT_TRUE(Filter({Range("Stamp", "",
                              DateTimeToStr(TDateTime(EncodeDate(2005, 12, 31) + EncodeTime(12, 0, 0, 0))))})
                    .empty());
    T.AppendRecord({Variant("d"), Variant(), Variant(), Variant::FromDateTime(EncodeDate(2005, 6, 1))});
    EXPECT_EQ((std::vector<std::string>{"d"}),
              Filter({Range("Day", DateToStr(EncodeDate(2005, 1, 1)), DateToStr(EncodeDate(2005, 6, 1)))}));
}

// A criterion whose field the dataset lacks raises its error before the
// record is tested (it used to be read through a missing field).
TEST_F(FilterTest, MissingFieldIsReportedFirst) {
    Add("A", 1, 1);
    TqzFieldInfo gone = Crit("Gone", fdMatchStart, "x");
    gone.DisplayLabel = "Gone";
    D->Criteria() = {gone};
    try {
        D->ApplyFilter();
        FAIL() << "no error";
    } catch (const EDatabaseError& e) {
        EXPECT_STREQ("Field 'Gone' not found", e.what());
    }
}

// Memos are examined up to FilterMemoSize bytes, never cut inside a character.
TEST_F(FilterTest, MemoIsExaminedUpToTheMemoSizeOnCharacterBoundaries) {
    const int old = qzIntl()->FilterMemoSize();
    Add("A", 1, 1, std::string(10, 'a') + "é" + "tail");
    qzIntl()->SetFilterMemoSize(11);  // inside "é"
    EXPECT_TRUE(Filter({Crit("Notes", fdMatchAny, "é")}).empty());
    EXPECT_EQ((std::vector<std::string>{"A"}), Filter({Crit("Notes", fdMatchExact, std::string(10, 'a'))}));
    qzIntl()->SetFilterMemoSize(12);
    EXPECT_EQ((std::vector<std::string>{"A"}), Filter({Crit("Notes", fdMatchAny, "é")}));
    qzIntl()->SetFilterMemoSize(old);
    const std::string longValue(100000, 'q');
    Add("B", 2, 2, longValue);
    EXPECT_EQ((std::vector<std::string>{"B"}),
              Filter({Crit("Notes", fdMatchExact, longValue.substr(0, 65536))}));
    // Only the first 65536 bytes are looked at.
    EXPECT_TRUE(Filter({Crit("Notes", fdMatchStart, std::string(70000, 'q'))}).empty());
}

}  // namespace
