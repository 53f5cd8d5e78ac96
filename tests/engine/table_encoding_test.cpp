// Tables whose texts are in Windows-1252: read, shown, searched, posted and
// written back in the encoding they were read in.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/messages.h"
#include "engine/record_store.h"
#include "platform/core/sysutils.h"
#include "support/engine/engine_test_util.h"
#include "support/engine/image_builder.h"
#include "support/engine/table_test_fixture.h"

namespace {

// Windows-1252 bytes and their UTF-8 forms.
const std::string E1252 = "\xE9";         // é
const std::string Euro1252 = "\x80";      // €
const std::string E = "\xC3\xA9";         // é
const std::string Euro = "\xE2\x82\xAC";  // €

// Fields: Café (String 10), Court (SmallStr 4), Qty (Integer), Note (Memo);
// the labels, a default and an extra text and the notes in Windows-1252 too.
// Record 1 holds ASCII only; the writer's layout exactly.
std::string Cp1252Image() {
    TestImage img;
    img.Counts(3, 4)
        .Item(
            "T\xE2"
            "ches.Caf" +
            E1252 + " s10~d" + E1252 + "faut~extra" + Euro1252)
        .Item("T.Court 4")
        .Item("T.Qty i")
        .Item("T.Note m")
        .Notes("Not" + E1252 + "es");
    img.Byte(4).Byte(3).Byte(4).Byte(0).Text32("plain").Bytes("abc").Int32(1);
    img.Byte(4)
        .Byte(4)
        .Byte(4)
        .Byte(4)
        .Text32(std::string(10, '\xE9'))
        .Bytes("caf" + E1252)
        .Int32(2)
        .Text32(
            "na\xEF"
            "ve " +
            Euro1252);
    img.Byte(4).Byte(4).Byte(0).Byte(0).Text32("caf" + E1252).Bytes(std::string(4, '\xE9'));
    return img.Build();
}

// ASCII names; the first records hold texts that pass for UTF-8, the last one
// a text that does not: the whole table is Windows-1252.
std::string LateCp1252Image() {
    TestImage img;
    img.Counts(3, 2).Item("T.Name s20").Item("T.Code 4");
    img.Byte(4).Byte(2).Text32("d\xC3\xA9j\xC3\xA0").Bytes("\xC3\xA9");
    img.Byte(0).Byte(4).Bytes("\xC2\xA9\xC2\xAE");
    img.Byte(4).Byte(4).Text32("\xE0 la carte").Bytes("\xE9t\xE9!");
    return img.Build();
}

class TableEncoding : public TableTest {
protected:
    std::string Write(const std::string& name, const std::string& image) {
        const std::string file = Dir + name;
        WriteFileAtomically(file, image.data(), image.size());
        return file;
    }
};

}  // namespace

TEST_F(TableEncoding, OpenedAndSavedWithoutEditsKeepsEveryTextAndNameByteForByte) {
    for (const std::string& image : {Cp1252Image(), LateCp1252Image()}) {
        const std::string file = Write("T.d", image);
        TOstraTable t(nullptr);
        t.SetTableName(file);
        t.Open();
        t.SaveToFile(file);
        t.Close();
        EXPECT_EQ(ReadFile(file), image);
        // Twice over: what was written reads back the same.
        t.Open();
        t.SaveToFile(file);
        EXPECT_EQ(ReadFile(file), image);
    }
}

TEST_F(TableEncoding, TextsShowWholeInUtf8) {
    TOstraTable t(nullptr);
    t.SetTableName(Write("T.d", Cp1252Image()));
    t.Open();
    ASSERT_NE(t.FindField("Caf" + E), nullptr);
    EXPECT_EQ(t.FieldByName("Caf" + E)->Size(), 30);  // room for the UTF-8 form
    t.Next();
    EXPECT_EQ(t.FieldByName("Caf" + E)->AsString(), std::string() + E + E + E + E + E + E + E + E + E + E);
    EXPECT_EQ(t.FieldByName("Court")->AsString(), "caf" + E);
    EXPECT_EQ(t.FieldByName("Note")->AsString(), "na\xC3\xAFve " + Euro);
    t.Next();
    EXPECT_EQ(t.FieldByName("Court")->AsString(), E + E + E + E);
    // The descriptor's default text fills new records.
    t.Append();
    EXPECT_EQ(t.FieldByName("Caf" + E)->AsString(), "d" + E + "faut");
    t.Cancel();

    TOstraTable late(nullptr);
    late.SetTableName(Write("L.d", LateCp1252Image()));
    late.Open();
    EXPECT_EQ(late.FieldByName("Name")->AsString(), "d\xC3\x83\xC2\xA9j\xC3\x83\xC2\xA0");
    EXPECT_EQ(late.FieldByName("Code")->AsString(), "\xC3\x83\xC2\xA9");
    late.Last();
    EXPECT_EQ(late.FieldByName("Code")->AsString(), E + "t" + E + "!");
}

TEST_F(TableEncoding, EditedTableKeepsItsEncodingAndTheOtherTextsBytes) {
    const std::string file = Write("T.d", Cp1252Image());
    TOstraTable t(nullptr);
    t.SetTableName(file);
    t.Open();
    t.Next();
    t.Edit();
    t.FieldByName("Court")->SetAsString(E + "t" + E);
    t.FieldByName("Qty")->SetAsInteger(7);
    t.Post();
    t.Save();
    const std::string saved = ReadFile(file);
    EXPECT_NE(saved.find("T\xE2"
                         "ches.Caf" +
                         E1252 + " s10~d" + E1252 + "faut~extra" + Euro1252 + "\x12"),
              std::string::npos);
    EXPECT_NE(saved.find("Not" + E1252 + "es"), std::string::npos);
    EXPECT_NE(saved.find(std::string(10, '\xE9')), std::string::npos);
    // Café's ten é, then Court and Qty.
    EXPECT_NE(saved.find(std::string(10, '\xE9') + E1252 + "t" + E1252 + "\x07"), std::string::npos);
    EXPECT_EQ(saved.find("\xC3"), std::string::npos);  // no UTF-8 anywhere
}

TEST_F(TableEncoding, TextThatDoesNotFitIsRefusedAtPostNamingTheField) {
    const std::string file = Write("T.d", Cp1252Image());
    TOstraTable t(nullptr);
    t.SetTableName(file);
    t.Open();
    t.Next();
    auto postError = [&](const std::string& field, const std::string& value) {
        t.Edit();
        t.FieldByName(field)->SetAsString(value);
        std::string message;
        try {
            t.Post();
        } catch (const EDatabaseError& e) {
            message = e.Message();
        }
        t.Cancel();
        return message;
    };
    // Five characters: six bytes of UTF-8, five of Windows-1252.
    EXPECT_EQ(
        postError("Court", "caf" + E + "s"),
        std::string(SErrorSavingRecord) + "Text of field 'Court' is too long: 5 bytes, the field holds 4");
    EXPECT_EQ(postError("Caf" + E, std::string(11, 'x')), std::string(SErrorSavingRecord) +
                                                              "Text of field 'Caf" + E +
                                                              "' is too long: 11 bytes, the field holds 10");
    // A character Windows-1252 has no byte for.
    EXPECT_EQ(postError("Note", "caf\xC4\x87"),
              std::string(SErrorSavingRecord) +
                  "Text of field 'Note' has characters that the table's encoding (Windows-1252) cannot hold");
    // Nothing changed: the values, the pending changes, the file.
    EXPECT_EQ(t.FieldByName("Court")->AsString(), "caf" + E);
    EXPECT_FALSE(t.HasPendingChanges());
    t.Edit();
    t.FieldByName("Court")->SetAsString(Euro + Euro + Euro + Euro);  // twelve bytes of UTF-8
    t.Post();
    EXPECT_EQ(t.FieldByName("Court")->AsString(), Euro + Euro + Euro + Euro);
}

TEST_F(TableEncoding, StoreRefusesTooLongTextsInUtf8TablesAndRecodesOtherBytes) {
    TOstraCursor c;
    MakeTable(c, {MakeField("Name", oftString, 5), MakeField("Code", oftSmallStr, 3)});
    std::vector<uint8_t> values(c.RecordDataSize());
    auto post = [&](const std::string& name, const std::string& code) {
        SetValueFromText(values.data() + c.FieldAt(0)->Offset, name, *c.FieldAt(0));
        std::memset(values.data() + c.FieldAt(1)->Offset, 0, c.FieldAt(1)->Size);
        std::memcpy(values.data() + c.FieldAt(1)->Offset, code.data(), code.size());
        std::string error;
        c.PostRecord(values.data(), nullptr, error);
        return error;
    };
    EXPECT_EQ(post("caf" + E + "s", "ab"), "Text of field 'Name' is too long: 6 bytes, the field holds 5");
    EXPECT_EQ(c.RecordCount(), 0);
    EXPECT_EQ(post("caf" + E, "a" + E), "");
    // Bytes that are not UTF-8 are taken as Windows-1252, then measured.
    EXPECT_EQ(post("caf" + E1252, "\xE9"), "");
    EXPECT_EQ(post("ab", "\xE9\xE9"), "Text of field 'Code' is too long: 4 bytes, the field holds 3");
    ASSERT_EQ(c.RecordCount(), 2);
    const uint8_t* r = c.RecordAt(1)->Data();
    EXPECT_EQ(FieldText(r + c.FieldAt(0)->Offset, *c.FieldAt(0)), "caf" + E);
    EXPECT_EQ(FieldText(r + c.FieldAt(1)->Offset, *c.FieldAt(1)), E);
    OstReleaseValues(values.data(), c.Fields());
}

TEST_F(TableEncoding, LocateFindsAWholeLongValue) {
    TOstraTable t(nullptr);
    t.SetTableName(Write("T.d", Cp1252Image()));
    t.Open();
    const std::string tenE = std::string() + E + E + E + E + E + E + E + E + E + E;
    EXPECT_TRUE(t.Locate("Caf" + E, tenE, {}));
    EXPECT_EQ(t.RecNo(), 2);
    t.First();
    EXPECT_TRUE(t.Locate("Caf" + E,
                         "\xC3\x89\xC3\x89\xC3\x89\xC3\x89\xC3\x89\xC3\x89\xC3\x89\xC3\x89\xC3\x89\xC3\x89",
                         {loCaseInsensitive}));
    EXPECT_EQ(t.RecNo(), 2);
    EXPECT_TRUE(t.Locate("Court", E + E + E + E, {}));
    EXPECT_EQ(t.RecNo(), 3);
    EXPECT_FALSE(t.Locate("Caf" + E, tenE + E, {}));
    t.SetFilter("Court = 'caf" + E + "'");
    t.SetFiltered(true);
    EXPECT_EQ(t.RecordCount(), 1);
}
