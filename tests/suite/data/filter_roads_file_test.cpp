// The filter dialog's three roads over an SQLite file (a table, a join query
// and a view query): each road shows the rows sqlite3 gives on the same file
// for the condition the record filter means.
#include <gtest/gtest.h>

#include <string>

#include "suite/data/qzfiltertext.h"
#include "support/suite/data/roads_fixture.h"

namespace {

class FilterRoadsAgreeTest : public FilterRoadsFileTest {
protected:
    void SetUp() override {
        FilterRoadsFileTest::SetUp();
        Fill(
            "INSERT INTO c VALUES ('Oslo', 'Norway'), ('TÖL', 'Iceland'), ('', 'Nowhere');"
            "INSERT INTO r VALUES (1, 'bob', 'Oslo', 5, '2001-02-03'), (2, 'σΩЖIσЖ', 'TÖL', 12, "
            "'1999-12-31'),"
            " (3, 'ЖoЖ', 'möl', 7, NULL), (4, 'anna', NULL, NULL, '2010-07-01'), (5, '', '', 3, "
            "'2001-01-01'),"
            " (6, NULL, 'Rome', 9, '2002-02-02'), (7, 'abab', 'köln', 1, NULL), (8, 'Жab', 'Oslo', 2, "
            "'2003-03-03');");
    }
    // The record filter's end match in sqlite3's words: the item's first
    // occurrence in the (folded) text ends it.
    static std::string EndsWith(const std::string& Text, const std::string& Item) {
        const std::string at = "instr(" + Text + ", " + CliText(Item) + ")";
        return "(" + at + " > 0 AND " + at + " + " + std::to_string(CharCount(Item)) + " - 1 = length(" +
               Text + "))";
    }
};

// Non-matching turns a match at the end around on every road, as it does a
// match at the start.
TEST_F(FilterRoadsAgreeTest, NonMatchingEndMatchIsTurnedAroundOnEveryRoad) {
    const std::string city = CliFold("coalesce(city, '')");
    ExpectRoads({Crit("city", fdMatchEnd, "null or ÖL", false, true)},
                "NOT (coalesce(city, '') = '' OR " + EndsWith(city, "öl") + ")");
    ExpectRoads({Crit("name", fdMatchEnd, "b", true, true), Crit("city", fdMatchStart, "o", false, true)},
                "NOT " + EndsWith("coalesce(name, '')", "b") + " AND NOT instr(" + city + ", 'o') = 1");
}

// The null word takes an empty text as it takes a null, on every road; a
// number field has only its nulls.
TEST_F(FilterRoadsAgreeTest, NullWordTakesEmptyTextsOnEveryRoad) {
    ExpectRoads({Crit("city", fdMatchExact, "null")}, "coalesce(city, '') = ''");
    ExpectRoads({Crit("city", fdMatchExact, "Oslo or NULL", true, true)},
                "NOT (coalesce(city, '') = '' OR city = 'Oslo')");
    ExpectRoads({Crit("name", fdMatchStart, "null or b", true)},
                "coalesce(name, '') = '' OR instr(coalesce(name, ''), 'b') = 1");
    ExpectRoads({Crit("qty", fdMatchExact, "null or 5")}, "qty IS NULL OR qty = 5");
    ExpectRoads({Crit("qty", fdMatchExact, "null", false, true)}, "qty IS NOT NULL");
    // an empty text lies in no range, with or without a lower bound
    ExpectRoads({Range("city", "", "o")},
                "coalesce(city, '') <> '' AND " + CliUpper("city") + " <= 'O" + std::string(19, 'z') + "'");
}

// A case-blind text range compares both sides upper-cased on every road:
// '_' and '^' lie above the upper-case letters and below the lower-case ones.
TEST_F(FilterRoadsAgreeTest, ACaseBlindTextRangeComparesUpperCaseTexts) {
    Fill("INSERT INTO r VALUES (9, '_ab', 'Oslo', 4, NULL), (10, 'b^c', 'Rome', 6, NULL);");
    const std::string name = CliUpper("name");
    ExpectRoads({Range("name", "b", "")}, "coalesce(name, '') <> '' AND " + name + " >= 'B'");
    ExpectRoads({Range("name", "a", "b")}, "coalesce(name, '') <> '' AND " + name + " >= 'A' AND " + name +
                                               " <= 'B" + std::string(19, 'z') + "'");
    ExpectRoads({Range("name", "B_", "")}, "coalesce(name, '') <> '' AND " + name + " >= 'B_'");
}

// Texts longer than their field's declared size (SQLite keeps any length):
// every road, the record test alone and every way of learning the fields
// give sqlite3's rows; a range's upper bound is padded to the declared size
// and a typed value is not cut to it.
TEST_F(FilterRoadsAgreeTest, TextsLongerThanTheirFieldGiveTheToolsRowsOnEveryRoad) {
    const std::string z19(19, 'z'), letters = "abcdefghijklmnopqrstuvwxyz";
    Fill("INSERT INTO r (id, name) VALUES (21, 'B" + z19 + "q'), (22, 'B" + std::string(25, 'y') +
         "'), (23, '" + letters + "'), (24, '" + letters.substr(0, 20) + "'), (25, 'B" + z19 + "');");
    TqzFieldInfo upTo = Range("name", "", "B");
    upTo.CaseSensitive = true;
    const std::vector<std::pair<TqzFieldInfoList, std::string>> cases = {
        {{upTo}, "coalesce(name, '') <> '' AND name <= 'B" + z19 + "'"},
        {{Range("name", "", "b")}, "coalesce(name, '') <> '' AND " + CliUpper("name") + " <= 'B" + z19 + "'"},
        {{Crit("name", fdMatchExact, letters, true)}, "name = '" + letters + "'"},
        {{Crit("name", fdMatchStart, letters.substr(0, 21), true)},
         "substr(name, 1, 21) = '" + letters.substr(0, 21) + "'"},
        {{Crit("name", fdMatchStart, "B" + z19 + "q", true)}, "substr(name, 1, 21) = 'B" + z19 + "q'"},
    };
    for (const auto& [criteria, where] : cases) {
        SCOPED_TRACE(where);
        const std::string expected = CliIds(rsTable, where);
        ASSERT_NE(expected, "");
        ExpectRoads(criteria, where);
        for (TqzFilterFieldsFetchType fetch : {fmUseSQL, fmUseTFields})
            EXPECT_EQ(CliIds(rsJoin, where), Shown(rsJoin, rdSQL, criteria, std::string(), fetch)) << fetch;
        // the record test alone
        TRoadRun alone = OpenRoad(rsTable, rdRecord);
        alone.Dialog->SetOnAcceptFilterRecord(
            TqzAcceptFilterRecordEvent([](TObject*, TDataSet*, bool&, bool&) {}));
        EXPECT_EQ(expected, Apply(alone, criteria));
    }
}

// A whole number matched at its start, anywhere or at its end: by its text
// on every road.
TEST_F(FilterRoadsAgreeTest, NumberMatchedByItsText) {
    const std::string text = "coalesce(CAST(qty AS TEXT), '')";
    ExpectRoads({Crit("qty", fdMatchStart, "1 or null")}, "instr(" + text + ", '1') = 1 OR qty IS NULL");
    ExpectRoads({Crit("qty", fdMatchStart, "1", false, true)}, "NOT instr(" + text + ", '1') = 1");
    ExpectRoads({Crit("qty", fdMatchAny, "2")}, "instr(" + text + ", '2') > 0");
    ExpectRoads({Crit("qty", fdMatchEnd, "2 or 5")}, "qty IN (2, 5, 12)");
}

// A match at the end over letters of more than one byte: the item's first
// occurrence must end the text, measured alike on every road.
TEST_F(FilterRoadsAgreeTest, EndMatchOverLettersOfMoreThanOneByte) {
    ExpectRoads({Crit("name", fdMatchEnd, "null or Ж", true)},
                "coalesce(name, '') = '' OR " + EndsWith("coalesce(name, '')", "Ж"));
    ExpectRoads({Crit("name", fdMatchEnd, "σЖ", true)}, EndsWith("coalesce(name, '')", "σЖ"));
    ExpectRoads({Crit("name", fdMatchEnd, "жAB or b")}, EndsWith(CliFold("coalesce(name, '')"), "жab") +
                                                            " OR " +
                                                            EndsWith(CliFold("coalesce(name, '')"), "b"));
    ExpectRoads({Crit("city", fdMatchEnd, "Öl")}, EndsWith(CliFold("coalesce(city, '')"), "öl"));
}

// The SQL road over a join whose tables share a field name: the field is
// named as the query's select list names it, also under an alias or as an
// expression; what cannot be named is refused with the road's box.
TEST_F(FilterRoadsAgreeTest, SqlRoadNamesJoinedFieldsAsTheSelectListDoes) {
    const std::string join = RoadSourceText(rsJoin);
    for (TqzFilterFieldsFetchType fetch : {fmUseTTable, fmUseTFields}) {
        SCOPED_TRACE(fetch);
        EXPECT_EQ(CliIds(rsJoin, "lower(coalesce(city, '')) IN ('oslo', '')"),
                  Shown(rsJoin, rdSQL, {Crit("city", fdMatchExact, "oslo or null")}, join, fetch));
        EXPECT_EQ(CliIds(rsJoin, "country LIKE 'i%'"),
                  Shown(rsJoin, rdSQL, {Crit("country", fdMatchStart, "I")}, join, fetch));
    }
    // tables under aliases
    const std::string aliased = "SELECT x.id, x.city, y.country FROM r AS x LEFT JOIN c y ON y.city = x.city";
    const TqzFieldInfoList cityAndCountry = {Crit("city", fdMatchAny, "l"),
                                             Crit("country", fdMatchExact, "null", false, true)};
    EXPECT_EQ("1,2,8", Shown(rsJoin, rdSQL, cityAndCountry, aliased));
    EXPECT_EQ("1,2,8", Shown(rsJoin, rdRecord, cityAndCountry, aliased));
    // aliases that swap two fields' names, and an expression
    const std::string swapped =
        "SELECT r.id, r.city AS name, r.name AS city, upper(c.country) AS land FROM r LEFT JOIN c ON c.city "
        "= r.city";
    const auto cli = [&](const std::string& Where) { return CliIds({{swapped, Where}})[0]; };
    const TqzFieldInfoList criteria = {Crit("name", fdMatchStart, "O or T", true),
                                       Crit("land", fdMatchEnd, "AY")};
    const std::string where =
        "substr(name, 1, 1) IN ('O', 'T') AND " + EndsWith(CliFold("coalesce(land, '')"), "ay");
    EXPECT_EQ("1,8", cli(where));
    EXPECT_EQ(cli(where), Shown(rsJoin, rdRecord, criteria, swapped));
    EXPECT_EQ(cli(where), Shown(rsJoin, rdSQL, criteria, swapped, fmUseTFields));
    EXPECT_EQ(cli("city = 'bob'"),
              Shown(rsJoin, rdSQL, {Crit("city", fdMatchExact, "bob", true)}, swapped, fmUseTFields));
    // the query closed when the road is taken: its fields are not known
    {
        TRoadRun closed = OpenRoad(rsJoin, rdSQL, swapped, fmUseTFields);
        closed.DataSet->Close();
        EXPECT_EQ("refused: TqzFilterDialog: Field not found (city)",
                  Apply(closed, {Crit("city", fdMatchExact, "bob", true)}));
        EXPECT_FALSE(closed.DataSet->Active());
        // listed while open, written while closed
        closed.DataSet->Open();
        closed.Dialog->LoadFields();
        closed.DataSet->Close();
        closed.Dialog->Criteria() = {Crit("city", fdMatchExact, "bob", true)};
        const std::vector<std::string> columns = qzSelectLists(swapped)[0];
        EXPECT_EQ("(([r].[name] = 'bob'))", closed.Dialog->CriteriaText(true, &columns));
    }
    // each SELECT of a union names its own columns
    const std::string both =
        "SELECT id, name AS x FROM r WHERE id < 4 UNION SELECT id + 10, city FROM r WHERE id > 5";
    const TqzFieldInfoList startsX = {Crit("x", fdMatchStart, "ж or k")};
    EXPECT_EQ("3,17", CliIds({{both, "substr(x, 1, 1) IN ('ж', 'Ж', 'k', 'K')"}})[0]);
    EXPECT_EQ("3,17", Shown(rsJoin, rdRecord, startsX, both));
    EXPECT_EQ("3,17", Shown(rsJoin, rdSQL, startsX, both, fmUseTFields));
    // a star before the field: its name alone, which sqlite3 finds ambiguous
    const std::string star = "SELECT r.*, c.* FROM r LEFT JOIN c ON c.city = r.city";
    const std::string refused =
        Shown(rsJoin, rdSQL, {Crit("city", fdMatchExact, "Oslo")}, star, fmUseTFields);
    EXPECT_EQ(0u, refused.find("refused: Unable to Execute SQL:\r")) << refused;
    EXPECT_NE(std::string::npos, refused.find("ambiguous")) << refused;
}

}  // namespace
