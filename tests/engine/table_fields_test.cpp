// Reading a table file's field descriptions from its header alone.
#include <cstdlib>

#include "engine/messages.h"
#include "engine/table_file.h"
#include "support/engine/image_builder.h"
#include "support/engine/table_test_fixture.h"

using TableFieldsTest = TableTest;

namespace {

// "Name Type Length" of each field, in order.
std::vector<std::string> Described(const std::vector<TOstraField>& fields) {
    std::vector<std::string> out;
    for (const TOstraField& f : fields)
        out.push_back(f.Name + " " + OstraFieldTypeName(f.FieldType) + " " + std::to_string(f.Length));
    return out;
}

const std::vector<std::string> TaskFields{"Key AutoInc 0",      "Flag Boolean 0",       "Action String 255",
                                          "Date Date 0",        "Category SmallStr 10", "Priority SmallStr 5",
                                          "Status SmallStr 15", "Notes Memo 0"};

void WriteBytes(const std::string& fileName, const std::string& bytes) {
    std::ofstream(fileName, std::ios::binary | std::ios::trunc) << bytes;
}

}  // namespace

TEST_F(TableFieldsTest, FieldsComeFromTheHeaderWithoutTheRecords) {
    WriteTaskFile(Dir + "t.d", {{"Call", "Home"}, {"Write", "Work"}});
    std::vector<TOstraField> fields;
    std::string error = "left over";
    ASSERT_TRUE(ReadTableFields(Dir + "t.d", fields, error)) << error;
    EXPECT_EQ(error, "");
    EXPECT_EQ(Described(fields), TaskFields);

    // Records cut short: the table does not open, its fields are read all the same.
    const std::string image = ReadFile(Dir + "t.d");
    WriteBytes(Dir + "cut.d", image.substr(0, image.size() - 3));
    TOstraTable t(nullptr);
    t.SetTableName(Dir + "cut.d");
    EXPECT_THROW(t.Open(), EDatabaseError);
    ASSERT_TRUE(ReadTableFields(Dir + "cut.d", fields, error)) << error;
    EXPECT_EQ(Described(fields), TaskFields);
}

TEST_F(TableFieldsTest, AProtectedTableTellsItsFieldsWithoutItsPassword) {
    WriteTaskFile(Dir + "p.d", {{"Secret", "Home"}}, "pw");
    ASSERT_EQ('P', Marker(Dir + "p.d"));
    std::vector<TOstraField> fields;
    std::string error;
    ASSERT_TRUE(ReadTableFields(Dir + "p.d", fields, error)) << error;
    EXPECT_EQ(Described(fields), TaskFields);
    EXPECT_EQ(Prompt->PromptCount(), 0);
    EXPECT_TRUE(OstraSession().Passwords().empty());
}

// A table written in Windows-1252 names its fields in UTF-8, as a load does.
TEST_F(TableFieldsTest, Windows1252NamesAreDecoded) {
    WriteBytes(Dir + "cp.d", TestImage().Counts(0, 2).Item("T.Caf\xE9 s20").Item("T.Note 9").Build());
    std::vector<TOstraField> fields;
    std::string error;
    ASSERT_TRUE(ReadTableFields(Dir + "cp.d", fields, error)) << error;
    EXPECT_EQ(Described(fields), (std::vector<std::string>{"Caf\u00e9 String 20", "Note SmallStr 9"}));
    TOstraTable t(nullptr);
    t.SetTableName(Dir + "cp.d");
    t.Open();
    EXPECT_EQ(t.Fields()->Fields(0)->FieldName(), fields[0].Name);
}

TEST_F(TableFieldsTest, ADamagedOrMissingHeaderIsAnError) {
    std::vector<TOstraField> fields;
    std::string error;
    auto refused = [&](const std::string& bytes) {
        WriteBytes(Dir + "bad.d", bytes);
        fields.push_back(TOstraField{});
        const bool read = ReadTableFields(Dir + "bad.d", fields, error);
        EXPECT_TRUE(fields.empty());
        return read ? std::string("read") : error;
    };
    EXPECT_EQ(refused(""), SUnexpectedEndOfBuffer);
    EXPECT_EQ(refused("not a table at all"), SBufferCorrupted);
    EXPECT_EQ(refused(TestImage().Counts(0, 0).Build()), SNoFields);
    EXPECT_EQ(refused(TestImage().Counts(0, 2).Item("T.Name s20").Build()), SFieldDescriptionError);
    EXPECT_EQ(refused(TestImage().Counts(0, 1).Item("T.Name s20").DescriptorLength(400).Build()),
              SUnexpectedEndOfBuffer);
    // A protected header cut inside its password block.
    EXPECT_EQ(refused(TestImage()
                          .Counts(0, 1)
                          .Item("T.Name s20")
                          .Marker('P')
                          .Protect("pw", std::string(38, 'k'))
                          .Build()
                          .substr(0, 20)),
              SUnexpectedEndOfBuffer);

    EXPECT_FALSE(ReadTableFields(Dir + "none.d", fields, error));
    EXPECT_NE(error.find("none.d"), std::string::npos) << error;
    // A named pipe is refused at once, never waited on.
    ASSERT_EQ(std::system(("mkfifo '" + Dir + "pipe.d'").c_str()), 0);
    EXPECT_FALSE(ReadTableFields(Dir + "pipe.d", fields, error));
    EXPECT_NE(error.find("named pipe"), std::string::npos) << error;
}
