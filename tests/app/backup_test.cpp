// Backup and restore of the table files, and reading the restored tables
// again, over real engine tables in a temporary folder.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/backup.h"
#include "app/main_form_tables.h"
#include "engine/ostra_database.h"
#include "engine/ostra_table.h"
#include "engine/password.h"
#include "platform/core/exceptions.h"
#include "platform/core/files.h"
#include "platform/core/guid.h"
#include "platform/core/streams.h"
#include "platform/db/fielddefs.h"
#include "platform/db/fields.h"
#include "platform/ui/testing.h"
#include "support/environment.h"

namespace {

// The data folder as the program finds it: the files' own letter case.
const std::vector<std::string> DataFiles{"appid.d", "archive.d", "catg.d",    "GoalGrp.d", "Goals.d",
                                         "List.d",  "quotes.d",  "status1.d", "Ttask.d",   "Ttask2.d"};

std::string ReadAll(const std::string& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

class BackupTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (const std::string& file : DataFiles) WriteTable(file, {file});
    }
    std::string Path(const std::string& name) const { return Dir + "/" + name; }

    // A table file with the program's fields for it, holding the given
    // texts in its first text field.
    void WriteTable(const std::string& file, const std::vector<std::string>& rows,
                    const std::string& password = "") {
        TOstraTable t(nullptr);
        for (const TToDoField& f : FindToDoTableFile(file)->Fields)
            t.FieldDefs()->Add(f.Name, f.DataType, f.Size);
        t.Open();
        if (!password.empty()) t.SetPassword(password);
        for (const std::string& r : rows) Append(t, r);
        t.SaveToFile(Path(file));
    }

    static TField* TextField(TDataSet& t) {
        for (int i = 0; i < t.Fields()->Count(); ++i)
            if (t.Fields()->Fields(i)->DataType() == ftString) return t.Fields()->Fields(i);
        return nullptr;
    }
    static void Append(TDataSet& t, const std::string& text) {
        t.Append();
        TextField(t)->SetAsString(text);
        t.Post();
    }
    static std::vector<std::string> Rows(TDataSet& t) {
        std::vector<std::string> rows;
        t.First();
        for (; !t.Eof(); t.Next()) rows.push_back(TextField(t)->AsString());
        return rows;
    }

    std::vector<std::string> Texts(const TTestDialogs& d) const {
        std::vector<std::string> texts;
        for (const auto& m : d.Messages()) {
            EXPECT_EQ(m.DlgType, mtInformation);
            EXPECT_EQ(m.Buttons, TMsgDlgButtons{mbOK});
            texts.push_back(m.Text);
        }
        return texts;
    }

    TTestEnvironment Env;
    std::string Dir = Env.Folder();
};

TEST_F(BackupTest, EveryTableFileIsCopiedBesideItself) {
    TTestDialogs dialogs;
    EXPECT_EQ(BackupTables(Dir), 10);
    EXPECT_EQ(Texts(dialogs), std::vector<std::string>{"10 Files copied."});
    for (const std::string& name : BackupTableNames()) {
        const std::string bak = FindFileNoCase(Dir, name + ".bak");
        ASSERT_FALSE(bak.empty()) << name;
        EXPECT_EQ(ReadAll(bak), ReadAll(TableFileIn(Dir, name, ".d"))) << name;
    }
    // "TTask" found "Ttask.d" and not "Ttask2.d".
    EXPECT_EQ(ExtractFileName(TableFileIn(Dir, "TTask", ".d")), "Ttask.d");
    // Only the ten copies were added.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(Dir), {}), 20);
}

TEST_F(BackupTest, AMissingFileIsReportedAndTheOthersStillCopied) {
    ASSERT_TRUE(DeleteFile(Path("GoalGrp.d")));
    TTestDialogs dialogs;
    EXPECT_EQ(BackupTables(Dir), 9);
    EXPECT_EQ(Texts(dialogs), (std::vector<std::string>{Dir + "/GoalGrp.d Not copied.", "9 Files copied."}));
    EXPECT_TRUE(FindFileNoCase(Dir, "GoalGrp.bak").empty());
    EXPECT_FALSE(FindFileNoCase(Dir, "Goals.bak").empty());
}

// A copy the disk has no room for names the file and the reason; the
// backups made before stay whole.
TEST_F(BackupTest, ACopyThatFailsTellsWhy) {
    TTestDialogs dialogs;
    ASSERT_EQ(BackupTables(Dir), 10);
    dialogs.Clear();
    const std::string before = ReadAll(FindFileNoCase(Dir, "Appid.bak"));
    SimulateWriteFailure(0);
    EXPECT_EQ(BackupTables(Dir), 0);
    ResetWriteFaults();
    const std::vector<std::string> texts = Texts(dialogs);
    ASSERT_EQ(texts.size(), 11u);
    const std::string bak = FindFileNoCase(Dir, "Appid.bak");
    EXPECT_EQ(texts[0],
              Path("appid.d") + " Not copied.\nCannot create file \"" + bak + "\". No space left on device.");
    EXPECT_EQ(texts[10], "0 Files copied.");
    EXPECT_EQ(ReadAll(bak), before);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(Dir), {}), 20);
}

TEST_F(BackupTest, AnEmptyFolderCopiesNothing) {
    const std::string empty = Dir + "/empty";
    std::filesystem::create_directories(empty);
    TTestDialogs dialogs;
    EXPECT_EQ(BackupTables(empty), 0);
    ASSERT_EQ(dialogs.Count(), 11);
    EXPECT_EQ(dialogs.Messages()[0].Text, empty + "/Appid.d Not copied.");
    EXPECT_EQ(dialogs.Last().Text, "0 Files copied.");
}

TEST_F(BackupTest, ABackupOfAnotherCaseIsOverwrittenNotDoubled) {
    std::ofstream(Path("ttask.BAK")) << "stale";
    TTestDialogs dialogs;
    BackupTables(Dir);
    EXPECT_EQ(ReadAll(Path("ttask.BAK")), ReadAll(Path("Ttask.d")));
    EXPECT_FALSE(std::filesystem::exists(Path("TTask.bak")));
}

TEST_F(BackupTest, RestoreCopiesTheChosenBackupsBack) {
    TTestDialogs dialogs;
    BackupTables(Dir);
    const std::string savedTask = ReadAll(Path("Ttask.d"));
    WriteTable("Ttask.d", {"changed"});
    WriteTable("List.d", {"changed"});
    WriteTable("quotes.d", {"changed"});
    dialogs.Clear();
    std::vector<std::string> restored;
    EXPECT_EQ(RestoreTables(Dir, {"TTask", "List"}, &restored), 2);
    EXPECT_EQ(Texts(dialogs), std::vector<std::string>{"2 Files copied."});
    EXPECT_EQ(restored, (std::vector<std::string>{"TTask", "List"}));
    EXPECT_EQ(ReadAll(Path("Ttask.d")), savedTask);
    // Into the existing files, not beside them.
    EXPECT_FALSE(std::filesystem::exists(Path("TTask.d")));
    TOstraTable list(nullptr);
    list.SetTableName(Path("List.d"));
    list.Open();
    EXPECT_EQ(Rows(list), std::vector<std::string>{"List.d"});
    // Not chosen: left alone.
    TOstraTable quotes(nullptr);
    quotes.SetTableName(Path("quotes.d"));
    quotes.Open();
    EXPECT_EQ(Rows(quotes), std::vector<std::string>{"changed"});
}

// Whoever calls the restore, a backup of another table's fields (a sound
// table, but not this one) is refused before it replaces anything; the
// other chosen tables are restored.
TEST_F(BackupTest, ABackupOfAnotherTablesFieldsNeverReplacesTheTable) {
    TTestDialogs dialogs;
    BackupTables(Dir);
    const std::string listBackup = FindFileNoCase(Dir, "List.bak");
    std::filesystem::copy_file(Path("Ttask.d"), listBackup,
                               std::filesystem::copy_options::overwrite_existing);
    WriteTable("List.d", {"live"});
    WriteTable("quotes.d", {"changed"});
    const std::string live = ReadAll(Path("List.d"));
    dialogs.Clear();
    std::vector<std::string> restored;
    EXPECT_EQ(RestoreTables(Dir, {"List", "Quotes"}, &restored), 1);
    EXPECT_EQ(restored, std::vector<std::string>{"Quotes"});
    EXPECT_EQ(Texts(dialogs),
              (std::vector<std::string>{listBackup + " Not copied.\nThe backup does not hold table List: "
                                                     "field 7 is Status (String 15) where the table has "
                                                     "Group (String 10).",
                                        "1 Files copied."}));
    EXPECT_EQ(ReadAll(Path("List.d")), live);
    TOstraTable quotes(nullptr);
    quotes.SetTableName(Path("quotes.d"));
    quotes.Open();
    EXPECT_EQ(Rows(quotes), std::vector<std::string>{"quotes.d"});
}

// A restore the disk has no room for tells why and leaves the table whole.
TEST_F(BackupTest, ARestoreThatFailsTellsWhyAndKeepsTheTable) {
    TTestDialogs dialogs;
    BackupTables(Dir);
    WriteTable("List.d", {"changed"});
    const std::string live = ReadAll(Path("List.d"));
    dialogs.Clear();
    SimulateWriteFailure(0);
    EXPECT_EQ(RestoreTables(Dir, {"List"}), 0);
    ResetWriteFaults();
    EXPECT_EQ(Texts(dialogs), (std::vector<std::string>{FindFileNoCase(Dir, "List.bak") +
                                                            " Not copied.\nCannot create file \"" +
                                                            Path("List.d") + "\". No space left on device.",
                                                        "0 Files copied."}));
    EXPECT_EQ(ReadAll(Path("List.d")), live);
}

TEST_F(BackupTest, RestoreWithoutABackupReportsItAndCountsTheRest) {
    TTestDialogs dialogs;
    BackupTables(Dir);
    ASSERT_TRUE(DeleteFile(FindFileNoCase(Dir, "Catg.bak")));
    dialogs.Clear();
    std::vector<std::string> restored;
    EXPECT_EQ(RestoreTables(Dir, {"Appid", "Catg", "Status1"}, &restored), 2);
    EXPECT_EQ(Texts(dialogs), (std::vector<std::string>{Dir + "/Catg.Bak Not copied.", "2 Files copied."}));
    EXPECT_EQ(restored, (std::vector<std::string>{"Appid", "Status1"}));
    EXPECT_TRUE(FindFileNoCase(Dir, "Catg.d") == Path("catg.d"));
    dialogs.Clear();
    EXPECT_EQ(RestoreTables(Dir, {}), 0);
    EXPECT_EQ(Texts(dialogs), std::vector<std::string>{"0 Files copied."});
}

// A backup opens as any table does before it replaces the table: a damaged
// one and a protected one whose password is not given change nothing; the
// password, once typed, restores it.
TEST_F(BackupTest, RestoreReplacesATableOnlyWithABackupThatOpens) {
    auto protectedTable = [&](const std::string& Text) { WriteTable("Ttask.d", {Text}, "secret"); };
    protectedTable("backed up");
    TTestDialogs dialogs;
    BackupTables(Dir);
    protectedTable("live");
    const std::string live = ReadAll(Path("Ttask.d"));
    {
        std::ofstream damaged(Path("List.bak"), std::ios::binary | std::ios::trunc);
        damaged << "not a table at all";
    }
    const std::string list = ReadAll(Path("List.d"));
    auto prompt = std::make_shared<TScriptedPasswordPrompt>();
    prompt->AddAnswer(std::nullopt);
    OstraPasswords().ClearPasswords();
    OstraPasswords().SetPrompt(prompt);
    dialogs.Clear();
    std::vector<std::string> restored;
    EXPECT_EQ(RestoreTables(Dir, {"List", "TTask"}, &restored), 0);
    EXPECT_TRUE(restored.empty());
    EXPECT_EQ(prompt->PromptCount(), 1);
    std::vector<std::string> texts = Texts(dialogs);
    ASSERT_EQ(texts.size(), 3u);
    EXPECT_EQ(texts[0].rfind(Path("List.bak") + " Not copied.\nError opening table: ", 0), 0u) << texts[0];
    EXPECT_EQ(texts[1].rfind(Path("TTask.bak") + " Not copied.\n", 0), 0u) << texts[1];
    EXPECT_EQ(texts[2], "0 Files copied.");
    EXPECT_EQ(ReadAll(Path("Ttask.d")), live);
    EXPECT_EQ(ReadAll(Path("List.d")), list);

    prompt->AddAnswer("secret");
    dialogs.Clear();
    EXPECT_EQ(RestoreTables(Dir, {"TTask"}), 1);
    EXPECT_EQ(Texts(dialogs), std::vector<std::string>{"1 Files copied."});
    TOstraTable task(nullptr);
    task.SetTableName(Path("Ttask.d"));
    task.Open();
    EXPECT_EQ(Rows(task), std::vector<std::string>{"backed up"});
    EXPECT_EQ(task.Password(), "secret");
    task.Close();
    OstraPasswords().SetPrompt(nullptr);
    OstraPasswords().ClearPasswords();
}

// Open tables over the restored files: a clone view with its own filter,
// a second view of another file, and a table that was not restored.
class ReloadTest : public BackupTest {
protected:
    void SetUp() override {
        BackupTest::SetUp();
        WriteTable("Ttask.d", {"a", "b"});
        WriteTable("quotes.d", {"q1"});
        Db.SetDatabasePath(Dir);
        Task.SetDatabase(&Db);
        Task.SetTableName("Ttask.d");
        Today.SetDatabase(&Db);
        Today.SetCloneDS(&Task);
        Today.SetFilter("Action='b'");
        Today.SetFiltered(true);
        Quotes.SetDatabase(&Db);
        Quotes.SetTableName("quotes.d");
        List.SetDatabase(&Db);
        List.SetTableName("List.d");
        Task.Open();
        Today.Open();
        Quotes.Open();
        List.Open();
        TTestDialogs quiet;
        BackupTables(Dir);  // backups: a, b / q1 / List.d
    }
    std::vector<TOstraTable*> All() { return {&List, &Today, &Quotes, &Task}; }

    TOstraDatabase Db{nullptr};
    TOstraTable Task{nullptr}, Today{nullptr}, Quotes{nullptr}, List{nullptr};
};

TEST_F(ReloadTest, RestoredTablesAreReadAgainAndLaterSavesKeepTheRestore) {
    Append(Task, "c");
    Task.Save();
    Append(Task, "unsaved");
    Append(Quotes, "q2");
    Quotes.Save();
    Append(List, "kept");
    TTestDialogs dialogs;
    std::vector<std::string> restored;
    RestoreTables(Dir, {"TTask", "Quotes"}, &restored);

    const auto reopened = ReloadRestoredTables(Dir, restored, All());
    EXPECT_EQ(reopened, (std::vector<TOstraTable*>{&Quotes, &Task, &Today}));
    EXPECT_EQ(Rows(Task), (std::vector<std::string>{"a", "b"}));
    EXPECT_FALSE(Task.HasPendingChanges());
    EXPECT_EQ(Today.CloneDS(), &Task);
    EXPECT_TRUE(Today.Active());
    EXPECT_EQ(Rows(Today), std::vector<std::string>{"b"});
    EXPECT_EQ(Rows(Quotes), std::vector<std::string>{"q1"});
    // The table that was not restored keeps its unsaved change.
    EXPECT_TRUE(List.HasPendingChanges());
    EXPECT_EQ(Rows(List), (std::vector<std::string>{"List.d", "kept"}));

    // A change and a save now build on the restored data.
    Append(Today, "b2");
    Db.SaveDatasets();
    TOstraTable check(nullptr);
    check.SetTableName(Path("Ttask.d"));
    check.Open();
    EXPECT_EQ(Rows(check), (std::vector<std::string>{"a", "b", "b2"}));
}

TEST_F(ReloadTest, ClosedTablesStayClosedAndOtherFoldersAreNotTouched) {
    Quotes.Close();
    TOstraTable elsewhere(nullptr);
    const std::string other = Dir + "/other";
    std::filesystem::create_directories(other);
    std::filesystem::copy_file(Path("Ttask.d"), other + "/Ttask.d");
    elsewhere.SetTableName(other + "/Ttask.d");
    elsewhere.Open();
    Append(elsewhere, "mine");
    const auto reopened = ReloadRestoredTables(Dir, {"Quotes", "TTask"}, {&Quotes, &elsewhere, &Task});
    EXPECT_EQ(reopened, std::vector<TOstraTable*>{&Task});
    EXPECT_FALSE(Quotes.Active());
    EXPECT_TRUE(elsewhere.HasPendingChanges());
    EXPECT_TRUE(ReloadRestoredTables(Dir, {}, All()).empty());
}

TEST_F(ReloadTest, ADamagedRestoreIsReportedAndTheOtherTablesStillOpen) {
    // A damaged backup is not restored: its table stays open as it was.
    std::ofstream(FindFileNoCase(Dir, "TTask.bak"), std::ios::trunc) << "not a table";
    TTestDialogs dialogs;
    std::vector<std::string> restored;
    RestoreTables(Dir, {"TTask", "Quotes"}, &restored);
    EXPECT_EQ(restored, std::vector<std::string>{"Quotes"});
    ReloadRestoredTables(Dir, restored, All());
    EXPECT_TRUE(Task.Active());
    EXPECT_TRUE(Today.Active());
    // A table file damaged after it was restored is reported when read again.
    std::ofstream(FindFileNoCase(Dir, "Ttask.d"), std::ios::trunc) << "not a table";
    EXPECT_THROW(ReloadRestoredTables(Dir, {"TTask", "Quotes"}, All()), EDatabaseError);
    EXPECT_FALSE(Task.Active());
    EXPECT_FALSE(Today.Active());
    EXPECT_TRUE(Quotes.Active());
    EXPECT_EQ(Rows(Quotes), std::vector<std::string>{"q1"});
}

}  // namespace
