// The restore dialog: its parts, moving names between the lists with real
// clicks, and OK restoring the chosen backups in the current folder.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "app/backup.h"
#include "app/main_form_tables.h"
#include "app/restore_dlg.h"
#include "engine/ostra_table.h"
#include "platform/core/files.h"
#include "platform/core/guid.h"
#include "platform/db/fielddefs.h"
#include "platform/ui/application.h"
#include "platform/ui/bitmaps.h"
#include "platform/ui/buttons.h"
#include "platform/ui/messages.h"
#include "platform/ui/stdctrls.h"
#include "platform/ui/testing.h"
#include "support/environment.h"

namespace {

std::vector<std::string> ItemsOf(TListBox* list) {
    std::vector<std::string> items;
    for (int i = 0; i < list->Items()->Count(); ++i) items.push_back(list->Items()->Strings(i));
    return items;
}

std::vector<int> SelectionOf(TListBox* list) {
    std::vector<int> selected;
    for (int i = 0; i < list->Items()->Count(); ++i)
        if (list->Selected(i)) selected.push_back(i);
    return selected;
}

void ClickItem(TListBox* list, int index, TShiftState shift = {}) {
    const TRect r = list->ItemRect(index);
    SendClick(list, r.Left + 5, (r.Top + r.Bottom) / 2, mbLeft, shift);
}

void ClickButton(TSpeedButton* button) { SendClick(button, button->Width() / 2, button->Height() / 2); }

std::string ReadAll(const std::string& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

class RestoreDlgTest : public ::testing::Test {
protected:
    void SetUp() override {
        Dlg = CreateForm<TDualListDlg>(Application);
        Dlg->Show();
        ProcessEvents();
    }
    void TearDown() override { delete Dlg; }

    bool Enabled(TSpeedButton* b) const { return b->Enabled(); }
    std::vector<bool> ButtonStates() const {
        return {Dlg->IncludeBtn()->Enabled(), Dlg->IncAllBtn()->Enabled(), Dlg->ExcludeBtn()->Enabled(),
                Dlg->ExAllBtn()->Enabled()};
    }

    TDualListDlg* Dlg = nullptr;
};

TEST_F(RestoreDlgTest, StartsWithEveryTableToChooseFrom) {
    EXPECT_EQ(ItemsOf(Dlg->SrcList()), BackupTableNames());
    EXPECT_TRUE(ItemsOf(Dlg->DstList()).empty());
    EXPECT_EQ(ButtonStates(), (std::vector<bool>{true, true, false, false}));
    EXPECT_TRUE(Dlg->RestoredNames().empty());
}

TEST_F(RestoreDlgTest, IncludeMovesTheSelectionAndSelectsTheNextName) {
    ClickItem(Dlg->SrcList(), 2);  // Catg
    ClickButton(Dlg->IncludeBtn());
    EXPECT_EQ(ItemsOf(Dlg->DstList()), std::vector<std::string>{"Catg"});
    EXPECT_EQ(ItemsOf(Dlg->SrcList()).size(), 9u);
    // The name that took Catg's place is selected, and the list has the focus.
    EXPECT_EQ(SelectionOf(Dlg->SrcList()), std::vector<int>{2});
    EXPECT_EQ(Dlg->SrcList()->Items()->Strings(2), "GoalGrp");
    EXPECT_EQ(FocusedControl(), Dlg->SrcList());
    EXPECT_EQ(ButtonStates(), (std::vector<bool>{true, true, true, true}));

    // Several at once (Ctrl adds to the selection); last first into the target.
    ClickItem(Dlg->SrcList(), 0);
    ClickItem(Dlg->SrcList(), 8, {ssCtrl});  // TTask2
    ClickButton(Dlg->IncludeBtn());
    EXPECT_EQ(ItemsOf(Dlg->DstList()), (std::vector<std::string>{"Catg", "TTask2", "Appid"}));
    EXPECT_EQ(SelectionOf(Dlg->SrcList()), std::vector<int>{0});
    EXPECT_EQ(Dlg->SrcList()->Items()->Strings(0), "Archive");
}

TEST_F(RestoreDlgTest, IncludeWithoutSelectionSelectsTheFirstName) {
    Dlg->SrcList()->ClearSelection();
    ClickButton(Dlg->IncludeBtn());
    EXPECT_TRUE(ItemsOf(Dlg->DstList()).empty());
    EXPECT_EQ(SelectionOf(Dlg->SrcList()), std::vector<int>{0});
    EXPECT_EQ(ButtonStates(), (std::vector<bool>{true, true, false, false}));
}

TEST_F(RestoreDlgTest, AllThenOneBackGoesToItsSortedPlace) {
    ClickButton(Dlg->IncAllBtn());
    EXPECT_EQ(ItemsOf(Dlg->DstList()), BackupTableNames());
    EXPECT_TRUE(ItemsOf(Dlg->SrcList()).empty());
    EXPECT_EQ(ButtonStates(), (std::vector<bool>{false, false, true, true}));

    ClickItem(Dlg->DstList(), 4);  // Goals
    ClickButton(Dlg->ExcludeBtn());
    EXPECT_EQ(ItemsOf(Dlg->SrcList()), std::vector<std::string>{"Goals"});
    // The nearest remaining name of the restore list is selected.
    EXPECT_EQ(SelectionOf(Dlg->DstList()), std::vector<int>{4});
    EXPECT_EQ(Dlg->DstList()->Items()->Strings(4), "List");

    ClickItem(Dlg->DstList(), 0);  // Appid
    ClickButton(Dlg->ExcludeBtn());
    EXPECT_EQ(ItemsOf(Dlg->SrcList()), (std::vector<std::string>{"Appid", "Goals"}));

    // The last name: the selection falls back to the new last one.
    ClickItem(Dlg->DstList(), 7);  // TTask2
    ClickButton(Dlg->ExcludeBtn());
    EXPECT_EQ(SelectionOf(Dlg->DstList()), std::vector<int>{6});
    EXPECT_EQ(Dlg->DstList()->Items()->Strings(6), "TTask");

    ClickButton(Dlg->ExAllBtn());
    EXPECT_EQ(ItemsOf(Dlg->SrcList()), BackupTableNames());
    EXPECT_TRUE(ItemsOf(Dlg->DstList()).empty());
    EXPECT_EQ(ButtonStates(), (std::vector<bool>{true, true, false, false}));
    // A disabled button does nothing.
    ClickButton(Dlg->ExAllBtn());
    EXPECT_EQ(ItemsOf(Dlg->SrcList()).size(), 10u);
}

TEST_F(RestoreDlgTest, Renders) {
    ClickItem(Dlg->SrcList(), 8);
    ClickButton(Dlg->IncludeBtn());
    ClickItem(Dlg->SrcList(), 5);
    const std::string png = TestRunPath("restore_dlg.png");
    ASSERT_TRUE(RenderControlToPng(Dlg, png));
    EXPECT_GT(std::filesystem::file_size(png), 1000u);
}

// OK in a data folder that is the current directory.
class RestoreDlgOkTest : public ::testing::Test {
protected:
    void SetUp() override {
        Saved = GetCurrentDir();
        for (const char* f : {"List.d", "Ttask.d", "quotes.d"}) std::ofstream(Dir + "/" + f) << "now " << f;
        // The backups are tables of the program's own kinds: a restore
        // checks and opens each before it copies it.
        const std::string made = Dir + "/made";
        CreateToDoDataFolder(made);
        for (const auto& [from, to] : {std::pair{"List.d", "List.bak"}, std::pair{"Ttask.d", "Ttask.bak"},
                                       std::pair{"quotes.d", "quotes.BAK"}})
            std::filesystem::copy_file(made + "/" + from, Dir + "/" + to);
        ASSERT_TRUE(SetCurrentDir(Dir));
        Dlg = CreateForm<TDualListDlg>(Application);
    }
    void TearDown() override {
        delete Dlg;
        SetCurrentDir(Saved);
    }
    TTestEnvironment Env;
    std::string Saved, Dir = Env.Folder();
    TDualListDlg* Dlg = nullptr;
};

TEST_F(RestoreDlgOkTest, OkCopiesTheListedBackupsAndTellsTheCount) {
    TTestDialogs dialogs;
    TTestModalForms script;
    script.Push([](TCustomForm* form) {
        auto* dlg = static_cast<TDualListDlg*>(form);
        ClickItem(dlg->SrcList(), 5);            // List
        ClickItem(dlg->SrcList(), 8, {ssCtrl});  // TTask
        ClickItem(dlg->SrcList(), 1, {ssCtrl});  // Archive: no backup
        ClickButton(dlg->IncludeBtn());
        SendClick(dlg->OKBtn(), 10, 10);
    });
    EXPECT_EQ(Dlg->ShowModal(), mrOk);
    EXPECT_EQ(script.Pending(), 0);
    ASSERT_EQ(dialogs.Count(), 2);
    EXPECT_EQ(dialogs.Messages()[0].Text, GetCurrentDir() + "/Archive.Bak Not copied.");
    EXPECT_EQ(dialogs.Messages()[1].Text, "2 Files copied.");
    EXPECT_EQ(Dlg->RestoredNames(), (std::vector<std::string>{"TTask", "List"}));
    EXPECT_EQ(ReadAll(Dir + "/List.d"), ReadAll(Dir + "/List.bak"));
    EXPECT_EQ(ReadAll(Dir + "/Ttask.d"), ReadAll(Dir + "/Ttask.bak"));
    EXPECT_EQ(ReadAll(Dir + "/quotes.d"), "now quotes.d");
    EXPECT_FALSE(std::filesystem::exists(Dir + "/TTask.d"));
}

TEST_F(RestoreDlgOkTest, EnterAlsoRestoresAndCancelCopiesNothing) {
    TTestDialogs dialogs;
    TTestModalForms script;
    script.Push([](TCustomForm* form) {
        auto* dlg = static_cast<TDualListDlg*>(form);
        ClickButton(dlg->IncAllBtn());
        SendKey(dlg->CancelBtn(), VK_ESCAPE);
    });
    EXPECT_EQ(Dlg->ShowModal(), mrCancel);
    EXPECT_EQ(dialogs.Count(), 0);
    EXPECT_TRUE(Dlg->RestoredNames().empty());
    EXPECT_EQ(ReadAll(Dir + "/List.d"), "now List.d");

    script.Push([](TCustomForm* form) {
        auto* dlg = static_cast<TDualListDlg*>(form);
        ClickItem(dlg->DstList(), 6);  // Quotes (its backup is "quotes.BAK")
        ClickButton(dlg->ExcludeBtn());
        ClickButton(dlg->ExAllBtn());
        ClickItem(dlg->SrcList(), 6);
        ClickButton(dlg->IncludeBtn());
        SendKeyToFocus(VK_RETURN);
    });
    EXPECT_EQ(Dlg->ShowModal(), mrOk);
    EXPECT_EQ(dialogs.Last().Text, "1 Files copied.");
    EXPECT_EQ(Dlg->RestoredNames(), std::vector<std::string>{"Quotes"});
    EXPECT_EQ(ReadAll(Dir + "/quotes.d"), ReadAll(Dir + "/quotes.BAK"));
}

// OK refuses a backup whose fields are not its table's, with the reason,
// and copies the others.
TEST_F(RestoreDlgOkTest, OkRefusesABackupOfAnotherTable) {
    std::filesystem::copy_file(Dir + "/quotes.BAK", Dir + "/List.bak",
                               std::filesystem::copy_options::overwrite_existing);
    TTestDialogs dialogs;
    TTestModalForms script;
    script.Push([](TCustomForm* form) {
        auto* dlg = static_cast<TDualListDlg*>(form);
        ClickItem(dlg->SrcList(), 5);            // List
        ClickItem(dlg->SrcList(), 8, {ssCtrl});  // TTask
        ClickButton(dlg->IncludeBtn());
        SendClick(dlg->OKBtn(), 10, 10);
    });
    EXPECT_EQ(Dlg->ShowModal(), mrOk);
    ASSERT_EQ(dialogs.Count(), 2);
    EXPECT_EQ(dialogs.Messages()[0].Text,
              Dir +
                  "/List.bak Not copied.\nThe backup does not hold table List: field 1 is Quote (String 255) "
                  "where the table has Key (AutoInc).");
    EXPECT_EQ(dialogs.Messages()[1].Text, "1 Files copied.");
    EXPECT_EQ(Dlg->RestoredNames(), std::vector<std::string>{"TTask"});
    EXPECT_EQ(ReadAll(Dir + "/List.d"), "now List.d");
    EXPECT_EQ(ReadAll(Dir + "/Ttask.d"), ReadAll(Dir + "/Ttask.bak"));
}

// The check itself: every name, type, text length and place must match.
class BackupFieldsTest : public ::testing::Test {
protected:
    // A backup file of the task table's fields, with Change applied to them.
    std::string Backup(const std::function<void(std::vector<TToDoField>&)>& Change) {
        std::vector<TToDoField> fields = FindToDoTableFile("Ttask.d")->Fields;
        Change(fields);
        TOstraTable t(nullptr);
        for (const TToDoField& f : fields) t.FieldDefs()->Add(f.Name, f.DataType, f.Size);
        t.Open();
        const std::string file = Env.Folder() + "/" + CreateGUIDString().substr(1, 8) + ".bak";
        t.SaveToFile(file);
        return file;
    }
    TTestEnvironment Env;
};

TEST_F(BackupFieldsTest, EveryDifferenceIsTold) {
    using TFields = std::vector<TToDoField>;
    EXPECT_EQ(BackupFieldsMismatch(Backup([](TFields&) {}), "TTask"), "");
    // Names as the engine finds fields: without regard to case.
    EXPECT_EQ(BackupFieldsMismatch(Backup([](TFields& f) { f[2].Name = "ACTION"; }), "TTask"), "");
    const std::string lead = "The backup does not hold table TTask: ";
    EXPECT_EQ(BackupFieldsMismatch(Backup([](TFields& f) { f[2].Size = 200; }), "TTask"),
              lead + "field 3 is Action (String 200) where the table has Action (String 255).");
    EXPECT_EQ(BackupFieldsMismatch(Backup([](TFields& f) { f[6].Size = 16; }), "TTask"),
              lead + "field 7 is Status (String 16) where the table has Status (String 15).");
    EXPECT_EQ(BackupFieldsMismatch(Backup([](TFields& f) { f[3].DataType = ftDateTime; }), "TTask"),
              lead + "field 4 is Date (DateTime) where the table has Date (Date).");
    EXPECT_EQ(BackupFieldsMismatch(Backup([](TFields& f) { f[7].Name = "Memo"; }), "TTask"),
              lead + "field 8 is Memo (Memo) where the table has Notes (Memo).");
    EXPECT_EQ(BackupFieldsMismatch(Backup([](TFields& f) { std::swap(f[0], f[1]); }), "TTask"),
              lead + "field 1 is Flag (Boolean) where the table has Key (AutoInc).");
    EXPECT_EQ(BackupFieldsMismatch(Backup([](TFields& f) {
                                       f.push_back({"More", ftInteger});
                                   }),
                                   "TTask"),
              lead + "it has 9 fields where the table has 8.");
    EXPECT_EQ(BackupFieldsMismatch(Backup([](TFields& f) { f.pop_back(); }), "TTask"),
              lead + "it has 7 fields where the table has 8.");
    // The second task table and any letter case of the name are the same kind.
    EXPECT_EQ(BackupFieldsMismatch(Backup([](TFields&) {}), "ttask2"), "");
    EXPECT_NE(BackupFieldsMismatch(Backup([](TFields&) {}), "Catg"), "");
}

// What cannot be told from the header is left to the copy, which opens the
// backup and names its fault; a name without a table is not checked.
TEST_F(BackupFieldsTest, AnUnreadableHeaderOrUnknownNameIsLeftToTheCopy) {
    const std::string damaged = Env.Folder() + "/damaged.bak";
    std::ofstream(damaged, std::ios::binary) << "not a table at all";
    EXPECT_EQ(BackupFieldsMismatch(damaged, "TTask"), "");
    EXPECT_EQ(BackupFieldsMismatch(Env.Folder() + "/missing.bak", "TTask"), "");
    EXPECT_EQ(BackupFieldsMismatch(Backup([](std::vector<TToDoField>& f) { f.pop_back(); }), "Other"), "");
}

}  // namespace
