// The ".d" table file: reading and writing images byte for byte, descriptors, and corrupt files reported.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "engine/messages.h"
#include "engine/ostra_table.h"
#include "engine/record_store.h"
#include "engine/table_file.h"
#include "platform/core/datetime.h"
#include "platform/core/exceptions.h"
#include "platform/core/files.h"
#include "platform/core/streams.h"
#include "support/engine/engine_test_util.h"
#include "support/engine/image_builder.h"

namespace fs = std::filesystem;

namespace {

const char* const AllTypeItems[] = {
    "T.Small l", "T.Int i", "T.Big e",  "T.Flag b",      "T.Real f", "T.Money c", "T.Day d",  "T.Clock v",
    "T.Stamp t", "T.Key a", "T.Code 5", "T.Action s255", "T.Data o", "T.Notes m", "T.Rich r", "T.Pic g"};

// Sixteen fields of every type; an all-empty record (key 0), then a full one
// (key 1), and a notes text. Laid out exactly as the writer lays it out.
TestImage AllTypesTestImage() {
    TestImage img;
    img.Counts(2, 16);
    for (const char* item : AllTypeItems) img.Item(item);
    img.Notes("Some notes");
    for (int i = 0; i < 16; ++i) img.Byte(0);
    const uint8_t presence[16] = {2, 4, 8, 2, 8, 8, 4, 4, 8, 4, 3, 4, 4, 4, 4, 4};
    for (uint8_t p : presence) img.Byte(p);
    img.Int16(-7).Int32(123456).Int64(5000000000LL).Int16(-1).Double(3.25).Double(12.5);
    img.Int32(738000).Int32(3600000).Double(738000 * 86400000.0 + 1000).Int32(1);
    img.Bytes("abc").Text32("Do the work").Text32(std::string("\0\1\2", 3)).Text32("memo");
    img.Text32("{\\rtf}").Text32("PIC");
    return img;
}

std::string AllTypesImage() { return AllTypesTestImage().Build(); }

// A folder of its own under the temporary folder, removed afterwards.
class TempFolder {
public:
    TempFolder() {
        const testing::TestInfo* info = testing::UnitTest::GetInstance()->current_test_info();
        FPath = fs::path(GetTempDir()) / (std::string("engine_") + info->test_suite_name() + "_" +
                                          info->name() + "_" + std::to_string(::getpid()));
        fs::remove_all(FPath);
        fs::create_directories(FPath);
    }
    ~TempFolder() { fs::remove_all(FPath); }
    std::string File(const std::string& name) const { return (FPath / name).string(); }
    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(FPath)) names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

private:
    fs::path FPath;
};

std::string ReadFile(const std::string& name) {
    std::ifstream in(name, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

std::string LoadError(const std::string& image) {
    TOstraCursor c;
    std::string error;
    EXPECT_FALSE(LoadImage(c, image, error));
    EXPECT_EQ(c.FieldCount(), 0);
    EXPECT_EQ(c.RecordCount(), 0);
    return error;
}

// Name (String 255), Qty (Integer), Code (SmallStr 3), with n records.
TestImage SimpleImage(int declared) {
    TestImage img;
    img.Counts(declared, 3).Item("T.Name s255").Item("T.Qty i").Item("T.Code 3");
    return img;
}

}  // namespace

TEST(TableFile, ReadsEveryFieldTypeFromAHandMadeImage) {
    TOstraCursor c;
    std::string error;
    ASSERT_TRUE(LoadImage(c, AllTypesImage(), error)) << error;
    EXPECT_EQ(error, "");
    ASSERT_EQ(c.FieldCount(), 16);
    ASSERT_EQ(c.RecordCount(), 2);
    EXPECT_EQ(c.Notes(), "Some notes");
    EXPECT_FALSE(c.Protected());
    EXPECT_EQ(c.FieldAt(10)->FieldType, oftSmallStr);
    EXPECT_EQ(c.FieldAt(10)->Length, 5);
    EXPECT_EQ(c.FieldAt(11)->Length, 255);
    EXPECT_EQ(c.FieldAt(0)->Origin, "T");
    EXPECT_EQ(c.AutoIncField()->Name, "Key");
    EXPECT_EQ(c.AutoIncCounter(), 1);

    const TOstraRecord* empty = c.RecordAt(0);
    EXPECT_TRUE(OstIsZero(empty->Data(), c.RecordDataSize()));
    EXPECT_EQ(empty->StoredSize, 16);

    const TOstraRecord* r = c.RecordAt(1);
    auto at = [&](const char* name) { return r->Data() + c.FindField(name)->Offset; };
    EXPECT_EQ(OstGet<int16_t>(at("Small")), -7);
    EXPECT_EQ(OstGet<int32_t>(at("Int")), 123456);
    EXPECT_EQ(OstGet<int64_t>(at("Big")), 5000000000LL);
    EXPECT_EQ(OstGet<int16_t>(at("Flag")), -1);
    EXPECT_EQ(OstGet<double>(at("Real")), 3.25);
    EXPECT_EQ(OstGet<double>(at("Money")), 12.5);
    EXPECT_EQ(OstGet<int32_t>(at("Day")), 738000);
    EXPECT_EQ(OstGet<int32_t>(at("Clock")), 3600000);
    EXPECT_EQ(OstGet<double>(at("Stamp")), 738000 * 86400000.0 + 1000);
    EXPECT_EQ(TextOf(c, r, "Code"), "abc");
    EXPECT_EQ(TextOf(c, r, "Action"), "Do the work");
    EXPECT_EQ(OstValueLength(at("Data")), 3u);
    EXPECT_EQ(std::memcmp(OstValueData(at("Data")), "\0\1\2", 3), 0);
    EXPECT_EQ(TextOf(c, r, "Notes"), "memo");
    EXPECT_EQ(TextOf(c, r, "Rich"), "{\\rtf}");
    EXPECT_EQ(OstValueLength(at("Pic")), 3u);
}

TEST(TableFile, WriterReproducesTheImageByteForByte) {
    TOstraCursor c;
    std::string error;
    const std::string image = AllTypesImage();
    ASSERT_TRUE(LoadImage(c, image, error)) << error;
    EXPECT_EQ(SaveImage(c), image);
    // And a second generation reads back the same.
    TOstraCursor d;
    ASSERT_TRUE(LoadImage(d, SaveImage(c), error)) << error;
    EXPECT_EQ(SaveImage(d), image);
}

TEST(TableFile, RoundTripOfValuesSetThroughTheStore) {
    TOstraCursor c;
    MakeTable(c,
              {MakeField("Big", oftInt64), MakeField("Name", oftString, 20), MakeField("Flag", oftBoolean),
               MakeField("Due Date", oftDate), MakeField("Note", oftMemo), MakeField("Code", oftSmallStr, 35),
               MakeField("Amount", oftCurrency), MakeField("When", oftDateTime)});
    for (int i = 0; i < 3; ++i) {
        TestBuffer b(c);
        if (i == 1) {
            OstPut<int64_t>(b.Place("Big"), -(int64_t{1} << 40));
            b.Set("Name", "name");
            b.Set("Flag", "yes");
            OstPut<int32_t>(b.Place("Due_Date"), 738123);
            b.Set("Note", std::string(70000, 'n'));  // longer than a String may be
            b.Set("Code", std::string(35, 'c'));
            OstPut<double>(b.Place("Amount"), -0.5);
            OstPut<double>(b.Place("When"), 1.0);
        }
        std::string error;
        ASSERT_TRUE(c.PostRecord(b.Data(), nullptr, error));
    }
    const std::string image = SaveImage(c);
    EXPECT_NE(image.find("XXX.Due_Date d\x12"), std::string::npos);
    EXPECT_NE(image.find("XXX.Code Z\x12"), std::string::npos);
    TOstraCursor d;
    std::string error;
    ASSERT_TRUE(LoadImage(d, image, error)) << error;
    ASSERT_EQ(d.RecordCount(), 3);
    EXPECT_EQ(d.FieldAt(3)->Name, "Due_Date");  // the blank is not put back
    const TOstraRecord* r = d.RecordAt(1);
    EXPECT_EQ(OstGet<int64_t>(r->Data() + d.FindField("Big")->Offset), -(int64_t{1} << 40));
    EXPECT_EQ(TextOf(d, r, "Name"), "name");
    EXPECT_EQ(OstGet<int16_t>(r->Data() + d.FindField("Flag")->Offset), -1);
    EXPECT_EQ(IntOf(d, r, "Due_Date"), 738123);
    EXPECT_EQ(TextOf(d, r, "Note"), std::string(70000, 'n'));
    EXPECT_EQ(TextOf(d, r, "Code"), std::string(35, 'c'));
    EXPECT_EQ(OstGet<double>(r->Data() + d.FindField("Amount")->Offset), -0.5);
    for (int i : {0, 2}) EXPECT_TRUE(OstIsZero(d.RecordAt(i)->Data(), d.RecordDataSize()));
    EXPECT_EQ(SaveImage(d), image);
}

TEST(TableFile, DescriptorItemsAndEmptyImage) {
    TOstraField action = MakeField("Action", oftString, 255);
    action.Origin = "Tasks";
    EXPECT_EQ(DescriptorItem(action), "Tasks.Action s255\x12");
    TOstraField key = MakeField("Key", oftAutoInc);
    key.Origin = "Tasks";
    EXPECT_EQ(DescriptorItem(key), "Tasks.Key a\x12");
    TOstraField date = MakeField("Date", oftDate, 0, "TODAY");
    date.Origin = "Tasks";
    EXPECT_EQ(DescriptorItem(date), "Tasks.Date d~TODAY~\x12");

    const std::vector<TOstraField> fields = {MakeField("A", oftInteger), MakeField("B c", oftString, 40)};
    TestImage expected;
    expected.Counts(0, 2).Item("XXX.A i").Item("XXX.B_c s40");
    EXPECT_EQ(BuildEmptyImage(fields), expected.Build());
}

TEST(TableFile, DescriptorVariantsOfHandMadeFiles) {
    TestImage img;
    img.Counts(0, 4)
        .Item("NoLabel i")
        .Item("T.Plain s")
        .Item("T.Date d~TODAY~after~more")
        .Item("T.Extra v~only extra");
    TOstraCursor c;
    std::string error;
    ASSERT_TRUE(LoadImage(c, img.Build(), error)) << error;
    EXPECT_EQ(c.FieldAt(0)->Origin, "XXX");
    EXPECT_EQ(c.FieldAt(0)->Name, "NoLabel");
    EXPECT_EQ(c.FieldAt(1)->FieldType, oftString);
    EXPECT_EQ(c.FieldAt(1)->Length, 100);
    EXPECT_EQ(c.FieldAt(2)->DefaultText, "TODAY");
    EXPECT_EQ(c.FieldAt(2)->ExtraText, "after~more");
    EXPECT_EQ(c.FieldAt(3)->DefaultText, "");
    EXPECT_EQ(c.FieldAt(3)->ExtraText, "only extra");
    EXPECT_EQ(c.Descriptor().back(), '\x14');
}

TEST(TableFile, EmptyTableHoldsCountsDescriptorAndNotesOnly) {
    TestImage img;
    img.Counts(0, 1).Item("T.A i").Notes("n");
    const std::string image = img.Build();
    TOstraCursor c;
    std::string error;
    ASSERT_TRUE(LoadImage(c, image, error)) << error;
    EXPECT_EQ(c.RecordCount(), 0);
    EXPECT_EQ(c.FieldCount(), 1);
    EXPECT_EQ(c.Notes(), "n");
    EXPECT_EQ(SaveImage(c), image);
}

TEST(TableFile, DeletedRecordsAreNotWritten) {
    TOstraCursor c;
    MakeTable(c, {MakeField("A", oftInteger)});
    std::string error;
    for (int i = 1; i <= 3; ++i) {
        TestBuffer b(c);
        OstPut<int32_t>(b.Data(), i);
        ASSERT_TRUE(c.PostRecord(b.Data(), nullptr, error));
    }
    c.AcceptAll();
    ASSERT_TRUE(c.DeleteRecord(c.RecordAt(1), error));
    TestImage expected;
    expected.Counts(2, 1).Item("XXX.A i").Byte(4).Int32(1).Byte(4).Int32(3);
    EXPECT_EQ(SaveImage(c), expected.Build());
}

TEST(TableFile, CorruptHeadersAreReported) {
    EXPECT_EQ(LoadError(""), SUnexpectedEndOfBuffer);
    EXPECT_EQ(LoadError(std::string("\5\0\0", 3)), SUnexpectedEndOfBuffer);
    EXPECT_EQ(LoadError(SimpleImage(0).Marker('X').Build()), SBufferCorrupted);
    EXPECT_EQ(LoadError(SimpleImage(-1).Build()), SBufferCorrupted);
    EXPECT_EQ(LoadError(TestImage().Counts(0, -3).Build()), SBufferCorrupted);
    EXPECT_EQ(LoadError(SimpleImage(0).DescriptorLength(-2).Build()), SBufferCorrupted);
    EXPECT_EQ(LoadError(SimpleImage(0).DescriptorLength(100000).Build()), SBufferCorrupted);
    EXPECT_EQ(LoadError(SimpleImage(0).DescriptorLength(5000).Build()), SUnexpectedEndOfBuffer);
    EXPECT_EQ(LoadError(TestImage().Counts(4, 0).Byte(0).Build()), SBufferCorrupted);
    // The image ends inside the counts.
    std::string cut = SimpleImage(0).Build().substr(0, 11);
    EXPECT_EQ(LoadError(cut), SUnexpectedEndOfBuffer);

    std::string errorImage;
    errorImage += std::string("\x0f\0\0\0", 4) + "EDisk not ready";
    EXPECT_EQ(LoadError(errorImage), "Disk not ready");
}

TEST(TableFile, TableWithoutFieldsIsRefused) {
    const std::string image = TestImage().Counts(0, 0).Build();
    EXPECT_EQ(18u, image.size());
    EXPECT_EQ(LoadError(image), SNoFields);
}

// Texts written elsewhere in Windows-1252 read as UTF-8, names and values
// alike, short strings whole; a table has one encoding, so a text that would
// also pass for UTF-8 reads as Windows-1252 too. Bytes of BLOBs stay.
TEST(TableFile, TextThatIsNotUtf8IsReadAsWindows1252) {
    TestImage img;
    img.Counts(2, 5)
        .Item("T.Caf\xE9 s40")
        .Item("T.Code 6")
        .Item("T.Notes m")
        .Item("T.Data o")
        .Item("T.Ok s9");
    const std::string e = "\xE9";  // é in Windows-1252
    img.Byte(4).Byte(6).Byte(4).Byte(4).Byte(4);
    img.Text32("Caf" + e)
        .Bytes("\xC9t\xE9\x80" + std::string("\0\0", 2))
        .Text32("na" + e + "ve")
        .Text32("\xE9\xFF")
        .Text32("d\xC3\xA9j\xC3\xA0");
    img.Byte(0).Byte(6).Byte(0).Byte(0).Byte(0).Bytes("\xE9\xE9\xE9\xE9\xE9\xE9");
    TOstraCursor c;
    std::string error;
    ASSERT_TRUE(LoadImage(c, img.Build(), error)) << error;
    ASSERT_EQ(c.FieldCount(), 5);
    EXPECT_EQ(c.FieldAt(0)->Name, "Caf\xC3\xA9");
    const uint8_t* r = c.RecordAt(0)->Data();
    EXPECT_EQ(FieldText(r + c.FieldAt(0)->Offset, *c.FieldAt(0)), "Caf\xC3\xA9");
    EXPECT_EQ(FieldText(r + c.FieldAt(1)->Offset, *c.FieldAt(1)), "\xC3\x89t\xC3\xA9\xE2\x82\xAC");
    EXPECT_EQ(FieldText(r + c.FieldAt(2)->Offset, *c.FieldAt(2)), "na\xC3\xA9ve");
    EXPECT_EQ(std::string(OstValueData(r + c.FieldAt(3)->Offset), 2), "\xE9\xFF");
    EXPECT_EQ(FieldText(r + c.FieldAt(4)->Offset, *c.FieldAt(4)), "d\xC3\x83\xC2\xA9j\xC3\x83\xC2\xA0");
    const uint8_t* r2 = c.RecordAt(1)->Data();
    EXPECT_EQ(FieldText(r2 + c.FieldAt(1)->Offset, *c.FieldAt(1)),
              "\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9");
    EXPECT_EQ(c.TextEncoding(), oteWindows1252);
}

TEST(TableFile, AStringEndsAtItsFirstZeroByteWhereverItLies) {
    // Zeros before, at and after each eight-byte step; what follows a zero
    // is not the text's, not even a byte that is not UTF-8.
    const std::vector<std::size_t> ends = {0, 1, 7, 8, 9, 15, 16, 17, 23, 24, 40};
    auto image = [&](const std::string& before) {
        TestImage img = SimpleImage(static_cast<int>(ends.size()));
        for (const std::size_t end : ends)
            img.Byte(4).Byte(0).Byte(0).Text32(before + std::string(end, 'a') + std::string("\0\xE9z", 3) +
                                               std::string(end % 9, 'b'));
        return img.Build();
    };
    TOstraCursor c;
    std::string error;
    ASSERT_TRUE(LoadImage(c, image(""), error)) << error;
    ASSERT_EQ(c.RecordCount(), static_cast<int>(ends.size()));
    for (std::size_t i = 0; i < ends.size(); ++i)
        EXPECT_EQ(TextOf(c, c.RecordAt(static_cast<int>(i)), "Name"), std::string(ends[i], 'a'));
    EXPECT_EQ(c.TextEncoding(), oteUtf8);
    // A byte that is not UTF-8 before the zero makes the table Windows-1252.
    ASSERT_TRUE(LoadImage(c, image("\xE9"), error)) << error;
    EXPECT_EQ(TextOf(c, c.RecordAt(3), "Name"), "\xC3\xA9" + std::string(8, 'a'));
    EXPECT_EQ(c.TextEncoding(), oteWindows1252);
}

TEST(TableFile, CorruptDescriptorsAreReported) {
    const std::string message = SFieldDescriptionError;
    EXPECT_EQ(LoadError(TestImage().Counts(0, 1).RawDescriptor("T.A i").Build()), message);
    EXPECT_EQ(LoadError(TestImage().Counts(0, 2).RawDescriptor("T.A i\x12\x12").Build()), message);
    EXPECT_EQ(LoadError(TestImage().Counts(0, 3).Item("T.A i").Item("T.B i").Build()), message);
    EXPECT_EQ(LoadError(TestImage().Counts(0, 1).Item("T.A !").Build()), message);
    EXPECT_EQ(LoadError(TestImage().Counts(0, 1).Item("T.A").Build()), message);
    EXPECT_EQ(LoadError(TestImage().Counts(0, 1).Item("T.A ").Build()), message);
    EXPECT_EQ(LoadError(TestImage().Counts(0, 1).Item("T. i").Build()), message);
    EXPECT_EQ(LoadError(TestImage().Counts(0, 1).Item("T.A s12x").Build()), message);
    EXPECT_EQ(LoadError(TestImage().Counts(0, 1).Item("T.A s99999").Build()), message);
    EXPECT_EQ(LoadError(TestImage().Counts(0, 1).Item("T.A s-5").Build()), message);
}

TEST(TableFile, CorruptRecordsAreReported) {
    // Record 1 fine, record 2 damaged.
    auto twoRecords = [](auto damage) {
        TestImage img = SimpleImage(2);
        img.Byte(4).Byte(4).Byte(1).Text32("ok").Int32(1).Bytes("a");
        damage(img);
        return img.Build();
    };
    EXPECT_EQ(LoadError(twoRecords([](TestImage& i) { i.Byte(0).Byte(5).Byte(0).Int32(1).Byte(0); })),
              "Field 'Qty' has wrong length 5 in record 2");
    EXPECT_EQ(LoadError(twoRecords([](TestImage& i) { i.Byte(3).Byte(0).Byte(0).Bytes("abc"); })),
              "Field 'Name' has wrong length 3 in record 2");
    // A short string's presence may not reach its terminator.
    EXPECT_EQ(LoadError(twoRecords([](TestImage& i) { i.Byte(0).Byte(0).Byte(4).Bytes("abcd"); })),
              "Field 'Code' has wrong length 4 in record 2");
    EXPECT_EQ(LoadError(twoRecords(
                  [](TestImage& i) { i.Byte(4).Byte(0).Byte(0).Int32(9000).Bytes(std::string(9000, 'x')); })),
              "String field 'Name' has wrong length 9000 in record 2");
    EXPECT_EQ(LoadError(twoRecords([](TestImage& i) { i.Byte(4).Byte(0).Byte(0).Int32(-1); })),
              "String field 'Name' has wrong length -1 in record 2");
    EXPECT_EQ(LoadError(twoRecords([](TestImage& i) { i.Byte(4).Byte(0).Byte(0).Int32(50).Bytes("short"); })),
              SUnexpectedEndOfBuffer);
    EXPECT_EQ(LoadError(twoRecords([](TestImage& i) { i.Byte(0).Byte(4).Byte(0).Bytes("ab"); })),
              SUnexpectedEndOfBuffer);

    TestImage blob;
    blob.Counts(1, 1).Item("T.B o").Byte(4).Int32(1 << 30);
    EXPECT_EQ(LoadError(blob.Build()), "BLOB field 'B' has wrong length 1073741824 in record 1");
    TestImage negative;
    negative.Counts(1, 1).Item("T.M m").Byte(4).Int32(-7);
    EXPECT_EQ(LoadError(negative.Build()), "BLOB field 'M' has wrong length -7 in record 1");
    TestImage unknownPresence;
    unknownPresence.Counts(1, 1).Item("T.L l").Byte(3).Bytes("abc");
    EXPECT_EQ(LoadError(unknownPresence.Build()), "Field 'L' has wrong length 3 in record 1");
}

TEST(TableFile, RecordCountMustMatch) {
    TestImage img = SimpleImage(5);
    for (int i = 0; i < 3; ++i) img.Byte(0).Byte(4).Byte(0).Int32(i + 1);
    EXPECT_EQ(LoadError(img.Build()), "Number of records read (3) does not match declared record count (5)");
    // A huge declared count allocates nothing for records that are not there.
    TestImage huge = SimpleImage(INT32_MAX);
    huge.Byte(0).Byte(0).Byte(0);
    EXPECT_EQ(LoadError(huge.Build()),
              "Number of records read (1) does not match declared record count (2147483647)");
}

TEST(TableFile, CorruptNotesAreReported) {
    TestImage negative = SimpleImage(0);
    negative.Byte('*').Int16(-4).Bytes("abcd");
    EXPECT_EQ(LoadError(negative.Build()), SBufferCorrupted);
    TestImage longer = SimpleImage(0);
    longer.Byte('*').Int16(40).Bytes("abcd");
    EXPECT_EQ(LoadError(longer.Build()), SUnexpectedEndOfBuffer);
}

TEST(TableFile, LongStringsDeclaredLongerThan8191AreKept) {
    TestImage img;
    img.Counts(1, 1).Item("T.Long s10000").Byte(4).Text32(std::string(9000, 'q'));
    TOstraCursor c;
    std::string error;
    ASSERT_TRUE(LoadImage(c, img.Build(), error)) << error;
    EXPECT_EQ(TextOf(c, c.RecordAt(0), "Long").size(), 9000u);
    TOstraCursor d;
    ASSERT_TRUE(LoadImage(d, SaveImage(c), error)) << error;
}

TEST(TableFile, TolerantLoadKeepsTheRecordsBeforeTheDamage) {
    TestImage img = SimpleImage(4);
    img.Byte(4).Byte(0).Byte(0).Text32("one");
    img.Byte(4).Byte(0).Byte(0).Text32("two");
    img.Byte(0).Byte(9).Byte(0);
    TOstraCursor c;
    c.SetTolerantLoad(true);
    std::string error;
    EXPECT_TRUE(LoadImage(c, img.Build(), error));
    EXPECT_EQ(error, "Field 'Qty' has wrong length 9 in record 3");
    ASSERT_EQ(c.RecordCount(), 2);
    EXPECT_EQ(TextOf(c, c.RecordAt(1), "Name"), "two");
    // A damage before the fields are known still fails.
    EXPECT_FALSE(LoadImage(c, SimpleImage(0).Marker('Q').Build(), error));
    EXPECT_EQ(error, SBufferCorrupted);
    EXPECT_EQ(c.FieldCount(), 0);
}

TEST(TableFile, ReadsFromAnyStreamAndAnyPosition) {
    const std::string image = AllTypesImage();
    TMemoryStream memory;
    memory.WriteBuffer("prefix", 6);
    memory.WriteBuffer(image.data(), static_cast<int64_t>(image.size()));
    memory.SetPosition(6);
    TOstraCursor c;
    std::string error;
    ASSERT_TRUE(c.LoadFromStream(&memory, error)) << error;
    EXPECT_EQ(c.RecordCount(), 2);

    TStringStream text("xy" + image);
    text.SetPosition(2);
    TOstraCursor d;
    ASSERT_TRUE(d.LoadFromStream(&text, error)) << error;
    EXPECT_EQ(SaveImage(d), image);

    TMemoryStream out;
    out.WriteBuffer("ab", 2);
    EXPECT_EQ(d.SaveToStream(&out), static_cast<int64_t>(image.size()));
    EXPECT_EQ(out.Size(), static_cast<int64_t>(image.size() + 2));
}

TEST(TableFile, ProgressIsReportedInWholePercentages) {
    TOstraCursor c;
    MakeTable(c, {MakeField("A", oftInteger)});
    std::string error;
    for (int i = 0; i < 300; ++i) {
        TestBuffer b(c);
        ASSERT_TRUE(c.PostRecord(b.Data(), nullptr, error));
    }
    std::vector<int> saved;
    c.SetOnProgress([&](int pct) { saved.push_back(pct); });
    const std::string image = SaveImage(c);
    ASSERT_EQ(saved.size(), 100u);
    for (int i = 0; i < 100; ++i) EXPECT_EQ(saved[i], i + 1);

    TOstraCursor d;
    std::vector<int> loaded;
    d.SetOnProgress([&](int pct) { loaded.push_back(pct); });
    ASSERT_TRUE(LoadImage(d, image, error));
    EXPECT_EQ(loaded, saved);
}

TEST(TableFile, SaveToFileWithBackupAndSort) {
    TempFolder dir;
    const std::string name = dir.File("Ttask.d");
    TOstraCursor c;
    MakeTable(c, {MakeField("Priority", oftSmallStr, 5), MakeField("Date", oftDate)});
    std::string error;
    const std::pair<const char*, int> rows[] = {{"2", 5}, {"0", 9}, {"2", 1}, {"1", 3}};
    for (auto [p, d] : rows) {
        TestBuffer b(c);
        b.Set("Priority", p);
        OstPut<int32_t>(b.Place("Date"), d);
        ASSERT_TRUE(c.PostRecord(b.Data(), nullptr, error));
    }
    c.SaveToFile(name, {savAutoBackup}, false, "");  // nothing to back up yet
    const std::string first = ReadFile(name);
    EXPECT_EQ(dir.Names(), std::vector<std::string>{"Ttask.d"});

    c.SaveToFile(name, {savAutoBackup, savSortOnIndex}, true, "priority; Date");
    EXPECT_EQ(ReadFile(dir.File("Ttask.~d")), first);
    EXPECT_EQ(dir.Names(), (std::vector<std::string>{"Ttask.d", "Ttask.~d"}));
    std::vector<std::pair<std::string, int>> order;
    for (TOstraRecord* r : c.Records()) order.emplace_back(TextOf(c, r, "Priority"), IntOf(c, r, "Date"));
    const std::vector<std::pair<std::string, int>> sorted = {{"0", 9}, {"1", 3}, {"2", 1}, {"2", 5}};
    EXPECT_EQ(order, sorted);
    TOstraCursor d;
    TMemoryStream file;
    file.LoadFromFile(name);
    ASSERT_TRUE(d.LoadFromStream(&file, error)) << error;
    order.clear();
    for (TOstraRecord* r : d.Records()) order.emplace_back(TextOf(d, r, "Priority"), IntOf(d, r, "Date"));
    EXPECT_EQ(order, sorted);
}

TEST(TableFile, FailedBackupDoesNotStopTheSave) {
    TempFolder dir;
    const std::string name = dir.File("T.d");
    TOstraCursor c;
    MakeTable(c, {MakeField("A", oftInteger)});
    c.SaveToFile(name, {}, false, "");
    fs::create_directory(dir.File("T.~d"));  // the backup cannot be written
    TestBuffer b(c);
    std::string error;
    ASSERT_TRUE(c.PostRecord(b.Data(), nullptr, error));
    c.SaveToFile(name, {savAutoBackup}, false, "");
    TOstraCursor d;
    TMemoryStream file;
    file.LoadFromFile(name);
    ASSERT_TRUE(d.LoadFromStream(&file, error)) << error;
    EXPECT_EQ(d.RecordCount(), 1);
}

TEST(TableFile, FailedSaveLeavesOldFileAndStore) {
    TempFolder dir;
    const std::string name = dir.File("T.d");
    TOstraCursor c;
    MakeTable(c, {MakeField("A", oftSmallStr, 4)});
    std::string error;
    for (const char* v : {"b", "a"}) {
        TestBuffer b(c);
        b.Set("A", v);
        ASSERT_TRUE(c.PostRecord(b.Data(), nullptr, error));
    }
    c.SaveToFile(name, {}, false, "");
    const std::string before = ReadFile(name);
    const std::vector<TOstraRecord*> records = c.Records();

    SimulateWriteFailure(0);
    try {
        c.SaveToFile(name, {savSortOnIndex}, false, "A");
        ADD_FAILURE() << "the save should fail";
    } catch (const EFCreateError& e) {
        EXPECT_EQ(e.Message(), "Cannot create file \"" + name + "\". No space left on device");
    }
    ResetWriteFaults();
    EXPECT_EQ(ReadFile(name), before);
    EXPECT_EQ(c.Records(), records);  // not sorted either
    EXPECT_EQ(dir.Names(), std::vector<std::string>{"T.d"});

    EXPECT_THROW(c.SaveToFile(dir.File("missing/T.d"), {}, false, ""), EFCreateError);
}

TEST(TableFile, SaveInterruptedBeforeTheRenameLeavesTheOldFileReadable) {
    TempFolder dir;
    const std::string name = dir.File("T.d");
    TOstraCursor c;
    MakeTable(c, {MakeField("A", oftInteger)});
    c.SaveToFile(name, {}, false, "");
    const std::string before = ReadFile(name);
    std::string error;
    TestBuffer b(c);
    OstPut<int32_t>(b.Data(), 42);
    ASSERT_TRUE(c.PostRecord(b.Data(), nullptr, error));

    bool checked = false;
    SetTableSaveHook([&](const std::string& newFile) {
        // The new image is complete in its own file; the old one is untouched.
        TOstraCursor fresh, old;
        TMemoryStream s1, s2;
        s1.LoadFromFile(newFile);
        std::string e;
        EXPECT_TRUE(fresh.LoadFromStream(&s1, e)) << e;
        EXPECT_EQ(fresh.RecordCount(), 1);
        s2.LoadFromFile(name);
        EXPECT_TRUE(old.LoadFromStream(&s2, e)) << e;
        EXPECT_EQ(old.RecordCount(), 0);
        checked = true;
        throw EInOutError("interrupted");
    });
    EXPECT_THROW(c.SaveToFile(name, {}, false, ""), EFCreateError);
    SetTableSaveHook(nullptr);
    EXPECT_TRUE(checked);
    EXPECT_EQ(ReadFile(name), before);
    EXPECT_EQ(dir.Names(), std::vector<std::string>{"T.d"});
    c.SaveToFile(name, {}, false, "");
    EXPECT_NE(ReadFile(name), before);
}

// -- Files written and read in chunks -------------------------------------------------

namespace {

// Sets the chunk size for one test.
class ScopedChunkSize {
public:
    explicit ScopedChunkSize(std::size_t bytes) : FOld(SetTableChunkSize(bytes)) {}
    ~ScopedChunkSize() { SetTableChunkSize(FOld); }

private:
    std::size_t FOld;
};

// Chunk sizes that cut the header, the counts, the values and the presence
// arrays at every kind of place.
const std::size_t ChunkSizes[] = {1, 3, 5, 7, 64, 1000, 1 << 20};

void WriteFile(const std::string& name, const std::string& data) {
    std::ofstream(name, std::ios::binary) << data;
}

// A few hundred records of varied lengths, some deleted.
void FillVaried(TOstraCursor& c) {
    MakeTable(
        c, {MakeField("Name", oftString, 300), MakeField("Qty", oftInteger),
            MakeField("Code", oftSmallStr, 9), MakeField("Notes", oftMemo), MakeField("Price", oftDouble)});
    std::string error;
    for (int i = 0; i < 400; ++i) {
        TestBuffer b(c);
        b.Set("Name", std::string(static_cast<std::size_t>(i * 7 % 290), static_cast<char>('a' + i % 26)));
        OstPut<int32_t>(b.Place("Qty"), i % 3 ? i : 0);
        b.Set("Code", std::to_string(i * 31 % 1000));
        const std::string notes(static_cast<std::size_t>(i % 5 ? 0 : i * 13), 'n');
        OstSetValue(b.Place("Notes"), oftMemo, notes.data(), notes.size());
        OstPut<double>(b.Place("Price"), i % 4 ? i * 0.25 : 0.0);
        ASSERT_TRUE(c.PostRecord(b.Data(), nullptr, error)) << error;
    }
    for (int i = 0; i < 400; i += 9)
        ASSERT_TRUE(c.DeleteRecord(c.Records()[static_cast<std::size_t>(i)], error));
}

}  // namespace

TEST(TableFile, ChunkedSaveIsByteIdenticalToTheWholeImage) {
    TempFolder dir;
    const std::string name = dir.File("T.d");
    TOstraCursor varied;
    FillVaried(varied);
    const std::string whole = SaveImage(varied);  // one piece
    for (std::size_t chunk : ChunkSizes) {
        SCOPED_TRACE(chunk);
        ScopedChunkSize size(chunk);
        std::string error;
        TOstraCursor c;
        ASSERT_TRUE(LoadImage(c, AllTypesImage(), error)) << error;
        c.SaveToFile(name, {}, false, "");
        EXPECT_EQ(ReadFile(name), AllTypesImage());

        // Protected: the same bytes as the independent builder makes with
        // the key text this save chose.
        c.SetPassword("pw");
        c.SaveToFile(name, {}, false, "");
        const std::string key(reinterpret_cast<const char*>(c.PasswordBlock().data()), OstraKeyTextSize);
        EXPECT_EQ(ReadFile(name), AllTypesTestImage().Marker('P').Protect("pw", key).Build());

        varied.SaveToFile(name, {}, false, "");
        EXPECT_EQ(ReadFile(name), whole);
        EXPECT_EQ(dir.Names(), std::vector<std::string>{"T.d"});
    }
}

// A table over a quarter megabyte is written in several pieces at the usual
// chunk size; the file is still its one image, protected or not.
TEST(TableFile, SaveOfATableLargerThanAPieceIsItsWholeImage) {
    TempFolder dir;
    const std::string name = dir.File("T.d");
    TOstraCursor c;
    MakeTable(c, {MakeField("Name", oftString, 300), MakeField("Qty", oftInteger)});
    std::string error;
    for (int i = 0; i < 3000; ++i) {
        TestBuffer b(c);
        b.Set("Name", std::string(static_cast<std::size_t>(100 + i % 200), static_cast<char>('a' + i % 26)));
        OstPut<int32_t>(b.Place("Qty"), i);
        ASSERT_TRUE(c.PostRecord(b.Data(), nullptr, error)) << error;
    }
    const std::string whole = SaveImage(c);
    ASSERT_GT(whole.size(), std::size_t{2} << 18);  // three pieces at least
    c.SaveToFile(name, {}, false, "");
    EXPECT_EQ(ReadFile(name), whole);

    c.SetPassword("pw");
    c.SaveToFile(name, {}, false, "");
    EXPECT_NE(ReadFile(name), whole);
    TOstraCursor back;
    back.SetPassword("pw");
    ASSERT_TRUE(back.LoadFromFile(name, error)) << error;
    EXPECT_EQ(back.RecordCount(), 3000);
    back.SetPassword("");
    EXPECT_EQ(SaveImage(back), whole);
}

TEST(TableFile, ChunkedReadMatchesTheWholeImage) {
    TempFolder dir;
    TOstraCursor varied;
    FillVaried(varied);
    const std::string images[] = {
        AllTypesImage(), SaveImage(varied),
        AllTypesTestImage().Marker('P').Protect("pw", "{0123ABCD-0000-4000-8000-00000000CAFE}").Build()};
    for (std::size_t chunk : ChunkSizes) {
        ScopedChunkSize size(chunk);
        for (const std::string& image : images) {
            SCOPED_TRACE(testing::Message() << chunk << " bytes a chunk, image of " << image.size());
            const std::string name = dir.File("T.d");
            WriteFile(name, image);
            std::string error;
            TOstraCursor memory;
            memory.SetPassword("pw");
            ASSERT_TRUE(LoadImage(memory, image, error)) << error;
            memory.SetPassword("");
            const std::string expected = SaveImage(memory);

            TOstraCursor fromFile;
            fromFile.SetPassword("pw");
            ASSERT_TRUE(fromFile.LoadFromFile(name, error)) << error;
            EXPECT_EQ(fromFile.RecordCount(), memory.RecordCount());
            fromFile.SetPassword("");
            EXPECT_EQ(SaveImage(fromFile), expected);

            // Any stream that is not in memory is read in chunks as well.
            TFileStream file(name, fmOpenRead);
            TOstraCursor fromStream;
            fromStream.SetPassword("pw");
            ASSERT_TRUE(fromStream.LoadFromStream(&file, error)) << error;
            EXPECT_EQ(file.Position(), static_cast<int64_t>(image.size()));
            fromStream.SetPassword("");
            EXPECT_EQ(SaveImage(fromStream), expected);
        }
    }
}

TEST(TableFile, ChunkedReadOfACutImageFailsAsTheWholeImageDoes) {
    TempFolder dir;
    const std::string name = dir.File("T.d");
    TOstraCursor varied;
    FillVaried(varied);
    const std::string image = SaveImage(varied);
    ScopedChunkSize size(5);
    for (std::size_t cut :
         {std::size_t{3}, std::size_t{20}, std::size_t{150}, image.size() / 2, image.size() - 1}) {
        SCOPED_TRACE(cut);
        WriteFile(name, image.substr(0, cut));
        std::string whole, chunked;
        TOstraCursor a, b;
        EXPECT_FALSE(LoadImage(a, image.substr(0, cut), whole));
        EXPECT_FALSE(b.LoadFromFile(name, chunked));
        EXPECT_EQ(chunked, whole);
        EXPECT_FALSE(whole.empty());
        EXPECT_EQ(b.FieldCount(), 0);
    }
    std::string error;
    TOstraCursor c;
    EXPECT_FALSE(c.LoadFromFile(dir.File("missing.d"), error));
    EXPECT_NE(error.find("missing.d"), std::string::npos) << error;
}

// A table name that leads to a named pipe (a writer holding it open, so a
// reader would not block but read), a device or a folder is refused with a
// text that says what it is; a link to a table file loads.
TEST(TableFile, OnlyRegularFilesLoad) {
    TempFolder dir;
    const std::string fifo = dir.File("Tpipe.d");
    ASSERT_EQ(std::system(("mkfifo '" + fifo + "'").c_str()), 0);
    std::FILE* writer = std::fopen(fifo.c_str(), "r+");  // read and write: does not wait
    ASSERT_NE(writer, nullptr);
    fs::create_directory(dir.File("Tfolder.d"));
    const std::pair<std::string, std::string> refused[] = {
        {fifo, "Is a named pipe, not a regular file"},
        {"/dev/zero", "Is a device, not a regular file"},
        {dir.File("Tfolder.d"), "Is a directory"},
    };
    for (const auto& [name, what] : refused) {
        TOstraCursor c;
        std::string error;
        EXPECT_FALSE(c.LoadFromFile(name, error)) << name;
        EXPECT_EQ(error, "Cannot open file \"" + name + "\". " + what);
    }
    std::fclose(writer);
    TOstraCursor c;
    FillVaried(c);
    c.SaveToFile(dir.File("Treal.d"), {}, false, "");
    fs::create_symlink(dir.File("Treal.d"), dir.File("Tlink.d"));
    TOstraCursor d;
    std::string error;
    ASSERT_TRUE(d.LoadFromFile(dir.File("Tlink.d"), error)) << error;
    TOstraCursor e;
    ASSERT_TRUE(e.LoadFromFile(dir.File("Treal.d"), error)) << error;
    EXPECT_GT(d.RecordCount(), 0);
    EXPECT_EQ(d.RecordCount(), e.RecordCount());
}

TEST(TableFile, InterruptedSavesLeaveNothingBehindOnTheNextOpenOrSave) {
    TempFolder dir;
    const std::string name = dir.File("Ttask.d");
    TOstraCursor c;
    FillVaried(c);
    c.SaveToFile(name, {}, false, "");
    const std::string saved = ReadFile(name);
    auto plant = [&] {
        WriteFile(dir.File("Ttask.d.~tmp00c0ffee"), saved.substr(0, 100));
        WriteFile(dir.File(".Ttask.d.4711.3.tmp"), saved.substr(0, 100));  // named as older versions did
        WriteFile(dir.File("Other.d.~tmp00c0ffee"), "another table's");
    };
    // A save killed before its rename: its temporary file stays until...
    plant();
    TOstraTable table(nullptr);
    table.SetTableName(name);
    table.Open();                         // ...the table is opened
    EXPECT_EQ(table.RecordCount(), 355);  // 400 posted, every ninth deleted
    EXPECT_EQ(dir.Names(), (std::vector<std::string>{"Other.d.~tmp00c0ffee", "Ttask.d"}));
    table.Close();

    plant();
    std::string error;
    TOstraCursor d;
    ASSERT_TRUE(d.LoadFromFile(name, error)) << error;
    EXPECT_EQ(dir.Names(), (std::vector<std::string>{"Other.d.~tmp00c0ffee", "Ttask.d"}));

    plant();
    c.SaveToFile(name, {}, false, "");  // ...or saved
    EXPECT_EQ(dir.Names(), (std::vector<std::string>{"Other.d.~tmp00c0ffee", "Ttask.d"}));
    EXPECT_EQ(ReadFile(name), saved);
}

TEST(TableFile, SavedThroughALinkAndNeverOverAReadOnlyFile) {
    TempFolder dir;
    fs::create_directory(dir.File("real"));
    const std::string target = dir.File("real/Ttask.d");
    const std::string link = dir.File("Ttask.d");
    TOstraCursor c;
    MakeTable(c, {MakeField("A", oftInteger)});
    c.SaveToFile(target, {}, false, "");
    fs::permissions(target, fs::perms(0640));
    fs::create_symlink("real/Ttask.d", link);
    TestBuffer b(c);
    OstPut<int32_t>(b.Data(), 7);
    std::string error;
    ASSERT_TRUE(c.PostRecord(b.Data(), nullptr, error));

    c.SaveToFile(link, {savAutoBackup}, false, "");
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(fs::status(target).permissions() & fs::perms::all, fs::perms(0640));
    TOstraCursor d;
    ASSERT_TRUE(d.LoadFromFile(link, error)) << error;
    EXPECT_EQ(d.RecordCount(), 1);
    EXPECT_EQ(dir.Names(), (std::vector<std::string>{"Ttask.d", "Ttask.~d", "real"}));

    // A read-only table file is refused with a clear error and kept as it is;
    // the store keeps its records.
    const std::string before = ReadFile(target);
    fs::permissions(target, fs::perms(0444));
    ASSERT_TRUE(c.PostRecord(b.Data(), nullptr, error));
    try {
        c.SaveToFile(link, {}, false, "");
        ADD_FAILURE() << "a read-only file was replaced";
    } catch (const EFCreateError& e) {
        EXPECT_EQ(e.Message(), "Cannot create file \"" + link + "\". The file is read-only");
    }
    EXPECT_EQ(ReadFile(target), before);
    EXPECT_EQ(c.RecordCount(), 2);
    EXPECT_EQ(fs::status(target).permissions() & fs::perms::all, fs::perms(0444));
}

TEST(TableFile, AWriteFailingMidFileLeavesTheOldFileWhole) {
    TempFolder dir;
    const std::string name = dir.File("T.d");
    TOstraCursor c;
    FillVaried(c);
    c.SaveToFile(name, {}, false, "");
    const std::string before = ReadFile(name);
    std::string error;
    TestBuffer b(c);
    b.Set("Name", "one more");
    ASSERT_TRUE(c.PostRecord(b.Data(), nullptr, error));

    ScopedChunkSize size(256);
    for (int written : {1, 3, 40}) {
        SCOPED_TRACE(written);
        SimulateWriteFailure(written);  // the disk fills after a few chunks
        EXPECT_THROW(c.SaveToFile(name, {}, false, ""), EFCreateError);
        ResetWriteFaults();
        EXPECT_EQ(ReadFile(name), before);
        EXPECT_EQ(dir.Names(), std::vector<std::string>{"T.d"});
    }
    c.SaveToFile(name, {}, false, "");
    TOstraCursor d;
    ASSERT_TRUE(d.LoadFromFile(name, error)) << error;
    EXPECT_EQ(d.RecordCount(), 356);
}
