// The main window's data model: its tables open over a data folder with the
// declared fields, the quote line and settings, letter case of the files,
// and the fresh data folder.
#include <fstream>
#include <tuple>

#include "engine/ostra_database.h"
#include "platform/core/inifiles.h"
#include "platform/db/fieldtypes.h"
#include "platform/ui/comctrls.h"
#include "platform/ui/dbctrls.h"
#include "platform/ui/stddialogs.h"
#include "support/app/program_harness.h"

namespace {

using MainFormModel = ProgramTest;

struct TExpectedField {
    const char* Name;
    TFieldType Type;
    int Size;
};

using TFieldList = std::vector<TExpectedField>;

const TFieldList TaskFields{{"Key", ftAutoInc, 0},    {"Flag", ftBoolean, 0},     {"Action", ftString, 255},
                            {"Date", ftDate, 0},      {"Category", ftString, 10}, {"Priority", ftString, 5},
                            {"Status", ftString, 15}, {"Notes", ftMemo, 0}};
const TFieldList CategoryFields{{"CKEY", ftFloat, 0}, {"SELECTED", ftBoolean, 0}, {"CATEGORY", ftString, 10}};

// Component, file, fields in declared order.
const std::vector<std::tuple<const char*, const char*, TFieldList>>& ExpectedTables() {
    static const std::vector<std::tuple<const char*, const char*, TFieldList>> tables{
        {"dTask_", "Ttask.d", TaskFields},
        {"dtask2_", "Ttask2.d", TaskFields},
        {"tblToDay1_", "Ttask.d", TaskFields},
        {"tblToDay2_", "Ttask2.d", TaskFields},
        {"dList_",
         "List.d",
         {{"Key", ftAutoInc, 0},
          {"Flag", ftBoolean, 0},
          {"Action", ftString, 255},
          {"Date", ftDate, 0},
          {"Category", ftString, 10},
          {"Priority", ftString, 5},
          {"Group", ftString, 10},
          {"Status", ftString, 15},
          {"Notes", ftMemo, 0}}},
        {"dArchive_",
         "archive.d",
         {{"KEY", ftAutoInc, 0},
          {"ACTION", ftString, 255},
          {"CATEGORY", ftString, 10},
          {"PRIORITY", ftString, 5},
          {"Flag", ftBoolean, 0},
          {"DATE", ftDate, 0},
          {"Status", ftString, 15},
          {"Tab", ftString, 10},
          {"Notes", ftMemo, 0}}},
        {"dQuotes_",
         "quotes.d",
         {{"Quote", ftString, 255},
          {"Author", ftString, 50},
          {"Group", ftString, 20},
          {"Display", ftBoolean, 0},
          {"Key", ftInteger, 0},
          {"Flag", ftBoolean, 0}}},
        {"dSelQuotes_",
         "quotes.d",
         {{"Quote", ftString, 255},
          {"Author", ftString, 50},
          {"Display", ftBoolean, 0},
          {"Key", ftInteger, 0},
          {"QandA", ftString, 255}}},
        {"dGoals_",
         "Goals.d",
         {{"Flag", ftBoolean, 0},
          {"Key", ftAutoInc, 0},
          {"Date", ftDate, 0},
          {"Target", ftString, 255},
          {"Definition", ftString, 255},
          {"Importance", ftString, 255},
          {"Parent_Id", ftSmallint, 0},
          {"TargetD", ftDate, 0},
          {"Steps", ftMemo, 0},
          {"Group", ftString, 15},
          {"Priority", ftString, 5},
          {"Completed", ftBoolean, 0}}},
        {"dGoalGrp_", "GoalGrp.d", {{"Key", ftAutoInc, 0}, {"GoalGrp", ftString, 15}}},
        {"dCateg", "catg.d", CategoryFields},
        {"dCateg2", "catg2.d", CategoryFields},
        {"dStatus1", "status1.d", {{"Status", ftString, 20}}},
        {"vtblAppids_",
         "appid.d",
         {{"Ckey", ftString, 30}, {"CID", ftString, 30}, {"CIDField", ftString, 30}, {"CType", ftString, 1}}},
    };
    return tables;
}

TEST_F(MainFormModel, EveryTableOpensWithItsDeclaredFields) {
    Open();
    EXPECT_EQ(Dialogs.Count(), 0) << (Dialogs.Count() ? Dialogs.Last().Text : "");
    for (const auto& [name, file, fields] : ExpectedTables()) {
        SCOPED_TRACE(name);
        auto* table = dynamic_cast<TOstraTable*>(Form->FindComponent(name));
        ASSERT_NE(table, nullptr);
        EXPECT_EQ(table->TableName(), file);
        // The Today views share their group table's store, the quote line the quote table's.
        const bool shared = std::string(name) == "tblToDay1_" || std::string(name) == "tblToDay2_" ||
                            std::string(name) == "dSelQuotes_";
        EXPECT_EQ(table->LoadMode(), shared ? lmClone : lmFile);
        EXPECT_EQ(table->Database(), Form->OstraDb());
        table->Open();
        ASSERT_EQ(table->FieldCount(), static_cast<int>(fields.size()));
        for (size_t i = 0; i < fields.size(); ++i) {
            TField* f = table->Fields()->Fields(static_cast<int>(i));
            EXPECT_EQ(f->FieldName(), fields[i].Name);
            EXPECT_EQ(f->DataType(), fields[i].Type) << fields[i].Name;
            if (fields[i].Size) {
                EXPECT_EQ(f->Size(), fields[i].Size) << fields[i].Name;
            }
        }
    }
    EXPECT_TRUE(Form->dSelQuotes_()->FieldByName("QandA")->Calculated());
    // The data folder is the current directory at start.
    EXPECT_EQ(Form->OstraDb()->DatabasePath(), Dir);
}

TEST_F(MainFormModel, QuoteLineDropsTheBlanksAroundTheQuote) {
    Open();
    TOstraTable* q = Form->dQuotes_();
    q->Append();  // keyed and posted at once
    q->Edit();
    q->FieldByName("Quote")->SetAsString("  Spaced out words  ");
    q->FieldByName("Author")->SetAsString("Someone");
    q->FieldByName("Key")->SetAsInteger(77);
    q->Post();
    q->Save();
    Form->dSelQuotes_()->Close();
    Form->dSelQuotes_()->Open();
    ASSERT_TRUE(Form->dSelQuotes_()->Locate("Key", Variant(77), {}));
    EXPECT_EQ(Form->dSelQuotes_()->FieldByName("QandA")->AsString(), "Spaced out words - Someone");
}

TEST_F(MainFormModel, SettingsFileChoosesTheQuoteAndBadNumbersFallBack) {
    {
        TIniFile ini(TfrmToDo::SettingsFileName());
        ini.WriteString("QUOTE", "Selected", "3");
    }
    EXPECT_EQ(TfrmToDo::SettingsFileName(), Dir + "taskmoor.ini");
    Open();
    EXPECT_EQ(Form->QuoteSelected(), 3);
    EXPECT_EQ(Form->DBText1()->Field()->AsString(), "While we are postponing, life speeds by. - Seneca");
    EXPECT_TRUE(CloseProgram());
    {
        TIniFile ini(TfrmToDo::SettingsFileName());
        ini.WriteString("QUOTE", "Selected", "seven");
    }
    Restart();
    EXPECT_EQ(Form->QuoteSelected(), 10);
}

TEST_F(MainFormModel, TableFilesAreFoundWhateverTheirLetterCase) {
    AddTasks("Ttask.d", {{"Upper-case file", "1", true}});
    std::filesystem::rename(Dir + "Ttask.d", Dir + "TTASK.D");
    std::filesystem::rename(Dir + "quotes.d", Dir + "Quotes.D");
    Open();
    EXPECT_EQ(Dialogs.Count(), 0);
    EXPECT_EQ(Form->tblToDay1_()->FieldByName("Action")->AsString(), "Upper-case file");
    EXPECT_EQ(Form->dQuotes_()->RecordCount(), 11);
}

TEST(MainFormDataFolder, FreshFolderHoldsEveryFileWithItsFirstContents) {
    const std::string dir =
        IncludeTrailingPathDelimiter(GetTempDir()) + "todo_fresh_" + CreateGUIDString().substr(1, 8);
    EXPECT_FALSE(HasToDoTableFiles(dir));
    const std::vector<std::string> written = CreateToDoDataFolder(dir);
    EXPECT_EQ(written.size(), 11u);
    EXPECT_TRUE(HasToDoTableFiles(dir));
    const auto column = [&](const char* file, const char* field) {
        TOstraTable t(nullptr);
        t.SetTableName(IncludeTrailingPathDelimiter(dir) + file);
        t.Open();
        std::vector<std::string> out;
        for (t.First(); !t.Eof(); t.Next()) out.push_back(t.FieldByName(field)->AsString());
        return out;
    };
    EXPECT_EQ(column("status1.d", "Status"),
              (std::vector<std::string>{"Open", "In progress", "Waiting", "Done"}));
    EXPECT_FALSE(column("catg.d", "CATEGORY").empty());
    EXPECT_FALSE(column("catg2.d", "CATEGORY").empty());
    EXPECT_TRUE(column("Ttask.d", "Action").empty());
    EXPECT_TRUE(column("Ttask2.d", "Action").empty());
    const std::vector<std::string> keys = column("quotes.d", "Key");
    ASSERT_FALSE(keys.empty());
    // The counter holds the next key: one past the last quote's.
    EXPECT_EQ(column("appid.d", "Ckey"), std::vector<std::string>{"Quotes"});
    EXPECT_EQ(column("appid.d", "CIDField"),
              std::vector<std::string>{std::to_string(std::stoi(keys.back()) + 1)});

    // Existing files are never overwritten.
    {
        TOstraTable t(nullptr);
        t.SetTableName(IncludeTrailingPathDelimiter(dir) + "status1.d");
        t.Open();
        t.Append();
        t.FieldByName("Status")->SetAsString("Mine");
        t.Post();
        t.Save();
    }
    std::filesystem::remove(IncludeTrailingPathDelimiter(dir) + "appid.d");
    EXPECT_EQ(CreateToDoDataFolder(dir), std::vector<std::string>{"appid.d"});
    EXPECT_EQ(column("status1.d", "Status").back(), "Mine");
    std::error_code ec;
    std::filesystem::remove_all(dir, ec);
}

}  // namespace
