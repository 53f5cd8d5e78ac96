// Every field type at its limits: empty, null, the longest text, non-ASCII,
// the extremes of each number and date, through a save, a reload and a
// second save.
#include <cfloat>
#include <climits>
#include <random>

#include "platform/core/datetime.h"
#include "support/engine/table_test_fixture.h"

namespace {

class FieldLimits : public TableTest {
protected:
    static void AddAllTypes(TOstraTable& t) {
        TFieldDefs* defs = t.FieldDefs();
        defs->Add("Small", ftSmallint);
        defs->Add("Int", ftInteger);
        defs->Add("Big", ftLargeint);
        defs->Add("Flag", ftBoolean);
        defs->Add("Real", ftFloat);
        defs->Add("Money", ftCurrency);
        defs->Add("Day", ftDate);
        defs->Add("Clock", ftTime);
        defs->Add("Stamp", ftDateTime);
        defs->Add("Key", ftAutoInc);
        defs->Add("Short", ftString, 35);
        defs->Add("Long", ftString, 255);
        defs->Add("Bytes", ftBlob);
        defs->Add("Text", ftMemo);
        defs->Add("Rich", ftFmtMemo);
        defs->Add("Picture", ftGraphic);
    }
    static std::string Repeat(const std::string& s, int n) {
        std::string out;
        for (int i = 0; i < n; ++i) out += s;
        return out;
    }
    // Rows: all empty; the lowest values; the highest; non-ASCII texts.
    static void Fill(TOstraTable& t) {
        t.Append();
        t.Post();
        t.Append();
        t.FieldByName("Small")->SetAsInteger(-32768);
        t.FieldByName("Int")->SetAsInteger(INT_MIN);
        t.FieldByName("Big")->SetAsLargeInt(INT64_MIN);
        t.FieldByName("Flag")->SetAsBoolean(false);
        t.FieldByName("Real")->SetAsFloat(-DBL_MAX);
        t.FieldByName("Money")->SetAsCurrency(-922337203685477.0);
        t.FieldByName("Day")->SetAsDateTime(EncodeDate(1, 1, 1));
        t.FieldByName("Clock")->SetAsDateTime(EncodeTime(0, 0, 0, 0));
        t.FieldByName("Stamp")->SetAsDateTime(EncodeDate(1, 1, 1));
        t.FieldByName("Short")->SetAsString("");
        t.FieldByName("Long")->SetAsString(" ");
        t.FieldByName("Text")->SetAsString(std::string("a\0b", 3));
        t.FieldByName("Bytes")->SetAsString(std::string("\0\1\2", 3));
        t.Post();
        t.Append();
        t.FieldByName("Small")->SetAsInteger(32767);
        t.FieldByName("Int")->SetAsInteger(INT_MAX);
        t.FieldByName("Big")->SetAsLargeInt(INT64_MAX);
        t.FieldByName("Flag")->SetAsBoolean(true);
        t.FieldByName("Real")->SetAsFloat(DBL_MAX);
        t.FieldByName("Money")->SetAsCurrency(922337203685477.0);
        t.FieldByName("Day")->SetAsDateTime(EncodeDate(9999, 12, 31));
        t.FieldByName("Clock")->SetAsDateTime(EncodeTime(23, 59, 59, 999));
        t.FieldByName("Stamp")->SetAsDateTime(EncodeDate(9999, 12, 31) + EncodeTime(23, 59, 59, 999));
        t.FieldByName("Short")->SetAsString(Repeat("z", 35));
        t.FieldByName("Long")->SetAsString(Repeat("y", 255));
        t.FieldByName("Text")->SetAsString(Repeat("line\r\n", 20000));
        t.FieldByName("Rich")->SetAsString("{\\rtf1 x}");
        t.Post();
        t.Append();
        t.FieldByName("Small")->SetAsInteger(0);
        t.FieldByName("Real")->SetAsFloat(DBL_MIN);
        t.FieldByName("Short")->SetAsString(Repeat("\xC3\xA9", 35));
        t.FieldByName("Long")->SetAsString(Repeat("\xE2\x82\xAC", 255));
        t.FieldByName("Text")->SetAsString("\xF0\x9F\x98\x80 \xE4\xB8\xAD");
        t.Post();
    }
    static std::vector<std::string> Row(TOstraTable& t) {
        std::vector<std::string> out;
        for (int i = 0; i < t.FieldCount(); ++i) {
            TField* f = t.Fields()->Fields(i);
            out.push_back(f->IsNull() ? "<null>" : f->AsString());
        }
        return out;
    }
    static std::string Txt(const Variant& v) { return v.IsNull() ? std::string() : v.AsString(); }
    static std::vector<std::vector<std::string>> Rows(TOstraTable& t) {
        std::vector<std::vector<std::string>> out;
        for (t.First(); !t.Eof(); t.Next()) out.push_back(Row(t));
        return out;
    }
};

}  // namespace

TEST_F(FieldLimits, ExtremesSurviveASaveAndReloadAndSaveAgainByteForByte) {
    const std::string file = Dir + "Tlimits.d";
    std::vector<std::vector<std::string>> before;
    {
        TOstraTable t(nullptr);
        AddAllTypes(t);
        t.Open();
        Fill(t);
        before = Rows(t);
        t.SaveToFile(file);
    }
    const std::string first = ReadFile(file);
    TOstraTable t(nullptr);
    t.SetTableName(file);
    t.Open();
    EXPECT_EQ(before, Rows(t));
    t.SaveToFile(Dir + "Tlimits2.d");
    EXPECT_EQ(first, ReadFile(Dir + "Tlimits2.d"));
}

TEST_F(FieldLimits, LocateFindsTheFirstMatchOnEverySortAndDirection) {
    TOstraTable t(nullptr);
    AddAllTypes(t);
    t.Open();
    std::mt19937 rng(3);
    const char* const texts[] = {"", "a", "A", "ab", "b", "\xC3\xA9", "z", "aa"};
    for (int i = 0; i < 400; ++i) {
        t.Append();
        t.FieldByName("Short")->SetAsString(texts[rng() % 8]);
        t.FieldByName("Long")->SetAsString(texts[rng() % 8]);
        t.FieldByName("Int")->SetAsInteger(static_cast<int>(rng() % 7) - 3);
        if (rng() % 3)
            t.FieldByName("Day")->SetAsDateTime(EncodeDate(2020, 1, 1 + static_cast<int>(rng() % 5)));
        t.FieldByName("Real")->SetAsFloat((static_cast<int>(rng() % 5) - 2) * 0.5);
        t.Post();
    }
    int bad = 0;
    for (const char* sort : {"Short", "Short;Int", "Int;Short", "Long", "Day", "Real", "Long;Day"}) {
        for (int desc = 0; desc < 2; ++desc) {
            t.SetSortOptions(desc ? TOstraSortOptions{osoDescendSort} : TOstraSortOptions{});
            t.SetIndexFieldNames(sort);
            std::vector<std::vector<Variant>> rows;
            std::vector<std::string> keyOrder;
            for (t.First(); !t.Eof(); t.Next())
                rows.push_back({t.FieldByName("Short")->AsVariant(), t.FieldByName("Long")->AsVariant(),
                                t.FieldByName("Int")->AsVariant(), t.FieldByName("Day")->AsVariant(),
                                t.FieldByName("Real")->AsVariant(), t.FieldByName("Key")->AsVariant()});
            struct Q {
                const char* Fields;
                std::vector<int> Columns;
            };
            const Q queries[] = {{"Short", {0}}, {"Short;Int", {0, 2}}, {"Int;Short", {2, 0}}, {"Long", {1}},
                                 {"Day", {3}},   {"Real", {4}},         {"Long;Day", {1, 3}}};
            for (const Q& q : queries) {
                for (int k = 0; k < 30; ++k) {
                    const auto& probe = rows[rng() % rows.size()];
                    std::vector<Variant> values;
                    for (int c : q.Columns) values.push_back(probe[static_cast<std::size_t>(c)]);
                    const Variant key = values.size() == 1 ? values[0] : VarArrayOf(values);
                    // The model: the first row whose values equal the key's, by text.
                    int expect = -1;
                    if (values.size() == 1 && values[0].IsNull()) continue;
                    for (std::size_t r = 0; r < rows.size() && expect < 0; ++r) {
                        bool same = true;
                        for (std::size_t v = 0; v < values.size(); ++v)
                            same = same &&
                                   Txt(rows[r][static_cast<std::size_t>(q.Columns[v])]) == Txt(values[v]);
                        if (same) expect = static_cast<int>(r);
                    }
                    t.First();
                    const bool found = t.Locate(q.Fields, key, {});
                    const int got = found ? t.RecNo() - 1 : -1;
                    if (got != expect && ++bad < 20)
                        ADD_FAILURE()
                            << "sorted by " << sort << (desc ? " descending" : "") << ", " << q.Fields
                            << " = " << Txt(values[0]) << ": row " << got << ", not " << expect;
                }
            }
        }
    }
    EXPECT_EQ(0, bad);
}

TEST_F(FieldLimits, WholeNumbersBeyondAFieldsRangeAreTakenForWhatTheyAre) {
    TOstraTable t(nullptr);
    AddAllTypes(t);
    t.Open();
    Fill(t);
    // 40000 wraps to -25536 in sixteen bits; a number that does not read is 0.
    t.Append();
    t.FieldByName("Small")->SetAsInteger(-25536);
    t.FieldByName("Int")->SetAsInteger(5);
    t.Post();
    const int all = t.RecordCount();
    t.SetFiltered(true);
    const std::pair<const char*, int> filters[] = {{"Small = 40000", 0},
                                                   {"Small <> 40000", all},
                                                   {"Small < 40000", all},
                                                   {"Small > -40000", all},
                                                   {"Small <= '-40000'", 0},
                                                   {"Int < 9999999999", all},
                                                   {"Int >= 4294967301", 0},
                                                   {"Key > 9999999999", 0},
                                                   {"Big < 99999999999999999999", all},
                                                   {"Big > -99999999999999999999", all},
                                                   {"Small = 0", 2},
                                                   {"Small < 1", 4}};
    for (const auto& [filter, count] : filters) {
        t.SetFilter(filter);
        EXPECT_EQ(count, t.RecordCount()) << filter;
    }
    t.SetFiltered(false);
    for (const char* sort : {"", "Small", "Int;Small"}) {
        t.SetIndexFieldNames(sort);
        EXPECT_FALSE(t.Locate("Small", Variant(40000), {})) << sort;
        EXPECT_FALSE(t.Locate("Small", Variant("40000"), {})) << sort;
        EXPECT_FALSE(t.Locate("Int", Variant(int64_t{4294967301}), {})) << sort;
        EXPECT_FALSE(t.Locate("Int;Small", VarArrayOf({Variant(5), Variant(-40000.0)}), {})) << sort;
        EXPECT_TRUE(t.Lookup("Key", Variant("4294967297"), "Int").IsNull()) << sort;
        EXPECT_TRUE(t.Locate("Small", Variant(-25536), {})) << sort;
        EXPECT_TRUE(t.Locate("Int;Small", VarArrayOf({Variant(5), Variant(-25536)}), {})) << sort;
    }
    t.SetIndexFieldNames("");
    t.SetRangeFieldNames("Small");
    t.SetRange("-40000", "40000");
    t.ApplyRange();
    EXPECT_EQ(all, t.RecordCount());
    t.SetRange("40000", "50000");
    t.ApplyRange();
    EXPECT_EQ(0, t.RecordCount());
    t.SetRange("-40000", "0");
    t.ApplyRange();
    EXPECT_EQ(4, t.RecordCount());
}
