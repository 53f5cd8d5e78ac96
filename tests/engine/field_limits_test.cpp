// Every field type at its limits: empty, null, the longest text, non-ASCII,
// the extremes of each number and date, through a save, a reload and a
// second save.
#include <cfloat>
#include <climits>

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
