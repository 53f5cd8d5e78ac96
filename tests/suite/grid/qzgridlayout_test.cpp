// The grid's column layout through an ini file and the registry stand-in.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "engine/ostra_table.h"
#include "platform/core/files.h"
#include "platform/core/inifiles.h"
#include "platform/core/registry_ini.h"
#include "platform/core/streams.h"
#include "platform/db/datasource.h"
#include "platform/db/fielddefs.h"
#include "platform/ui/application.h"
#include "platform/ui/forms.h"
#include "platform/ui/testing.h"
#include "suite/base/qzintl.h"
#include "suite/grid/qzdbgrid.h"
#include "suite/grid/qzgridlayout.h"
#include "support/environment.h"

namespace {

TEST(QzLayoutReader, SplitsAtTheDelimiterAndAppendsNewFields) {
    std::vector<std::string> lines;
    EXPECT_EQ(qzReadLayout({}, ";;", {}, false, lines), TqzLayoutRead::Empty);
    EXPECT_EQ(
        qzReadLayout({{"B", "5;;Bee;;F"}, {"A", "7;;A;;b;;T"}}, ";;", {"A\t1", "C\t2\tSee"}, true, lines),
        TqzLayoutRead::Loaded);
    // A title holding the delimiter shifts the later parts.
    EXPECT_EQ(lines, (std::vector<std::string>{"B\t5\tBee\tF", "A\t7\tA\tb\tT", "C\t2\tSee"}));
    EXPECT_EQ(qzReadLayout({{"B", "5"}}, ";;", {}, false, lines), TqzLayoutRead::NoDelimiter);
    EXPECT_TRUE(lines.empty());
    const auto entries = qzLayoutEntries({"A\t7\tAy", "B\t5\tBee\tT\tGrp"}, ";;");
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].second, "7;;Ay;;F");
    EXPECT_EQ(entries[1].second, "5;;Bee;;T;;Grp");
}

class QzLayoutTest : public ::testing::Test {
protected:
    TTestEnvironment Env;
    void SetUp() override {
        // The registry stand-in and the ini file in a folder of this test's own.
        Env.Set("TASKMOOR_CONFIG_DIR", Env.Folder().c_str());
        Dir = Env.Folder();
        Table = new TOstraTable(nullptr);
        Table->FieldDefs()->Add("Name", ftString, 10);
        Table->FieldDefs()->Add("Qty", ftInteger);
        Table->FieldDefs()->Add("Note", ftString, 10);
        Table->Open();
        Source = new TDataSource(nullptr);
        Source->SetDataSet(Table);
    }
    void TearDown() override {
        delete Source;
        delete Table;
        ProcessEvents();
    }
    // A form with the grid as it was designed; the layout store set up.
    TForm* MakeForm(bool Registry, const std::string& File) {
        TForm* form = CreateForm<TForm>(Application);
        form->SetName("EditForm");
        auto* grid = new TqzDBGrid(form);
        grid->SetName("Grid1");
        grid->SetUseTFields(false);
        grid->Selected()->SetText("Name\t10\tName\nQty\t5\tQty\nNote\t8\tNote\n");
        // Set before the grid's window exists, as a stored form sets it.
        grid->IniAttributes()->SetFileName(File);
        grid->IniAttributes()->SetSaveToRegistry(Registry);
        grid->IniAttributes()->SetEnabled(true);
        grid->SetParent(form);
        grid->SetDataSource(Source);
        form->Show();
        ProcessEvents();
        return form;
    }
    TqzDBGrid* GridOf(TForm* Form) { return dynamic_cast<TqzDBGrid*>(Form->FindComponent("Grid1")); }

    void RoundTrip(bool Registry, const std::string& File) {
        TForm* form = MakeForm(Registry, File);
        // The user drops Note, moves Qty first and widens it.
        GridOf(form)->Selected()->SetText("Qty\t12\tHow many\nName\t10\tName\n");
        delete form;
        ProcessEvents();
        form = MakeForm(Registry, File);
        EXPECT_EQ(GridOf(form)->Selected()->Text(), "Qty\t12\tHow many\tF\nName\t10\tName\tF\n");
        delete form;
        ProcessEvents();
        // With CheckNewFields the designed field missing from the store comes back last.
        form = CreateForm<TForm>(Application);
        form->SetName("EditForm");
        auto* grid = new TqzDBGrid(form);
        grid->SetName("Grid1");
        grid->SetParent(form);
        grid->SetUseTFields(false);
        grid->Selected()->SetText("Name\t10\tName\nQty\t5\tQty\nNote\t8\tNote\n");
        grid->IniAttributes()->SetFileName(File);
        grid->IniAttributes()->SetSaveToRegistry(Registry);
        grid->IniAttributes()->SetCheckNewFields(true);
        grid->IniAttributes()->SetSectionName("EditFormGrid1");
        grid->SetDataSource(Source);
        grid->LoadLayout();
        EXPECT_EQ(grid->Selected()->Text(), "Qty\t12\tHow many\tF\nName\t10\tName\tF\nNote\t8\tNote\n");
        delete form;
        ProcessEvents();
    }
    std::string Dir;
    TOstraTable* Table = nullptr;
    TDataSource* Source = nullptr;
};

TEST_F(QzLayoutTest, ColumnLayoutsReturnFromAnIniFile) {
    RoundTrip(false, Dir + "/grid.ini");
    TIniFile ini(Dir + "/grid.ini");
    TStringList keys;
    ini.ReadSection("EditFormGrid1", &keys);
    EXPECT_EQ(keys.Text(), "Qty\nName\n");
}

TEST_F(QzLayoutTest, ColumnLayoutsReturnFromTheRegistryInTheirOrder) {
    const std::string key = "Software\\Taskmoor\\GridLayoutTest";
    TRegistry().DeleteKey("\\" + key);
    RoundTrip(true, key);
    TRegistryIniFile reg(key);
    TStringList keys;
    reg.ReadSection("EditFormGrid1", &keys);
    EXPECT_EQ(keys.Text(), "Qty\nName\n");
    reg.EraseSection("EditFormGrid1");
    reg.ReadSection("EditFormGrid1", &keys);
    EXPECT_EQ(keys.Count(), 0);
    TRegistry().DeleteKey("\\" + key);
}

TEST_F(QzLayoutTest, WarningsAndNoFileName) {
    TTestDialogs dialogs;
    // The settings object is not connected: no file name, nothing read or written.
    ASSERT_FALSE(qzIntl()->Connected());
    TForm* form = MakeForm(false, "");
    GridOf(form)->SaveLayout();
    EXPECT_EQ(dialogs.Count(), 0);
    GridOf(form)->IniAttributes()->SetSaveToRegistry(true);
    GridOf(form)->SaveLayout();
    EXPECT_EQ(dialogs.Last().Text, "FileName required when saving to registry");
    GridOf(form)->IniAttributes()->SetSaveToRegistry(false);
    GridOf(form)->IniAttributes()->SetFileName(Dir + "/missing/dir/grid.ini");
    GridOf(form)->SaveLayout();
    EXPECT_EQ(dialogs.Last().Text, "Directory does not exist");
    GridOf(form)->IniAttributes()->SetFileName(Dir + "/grid.ini");
    {
        TIniFile ini(Dir + "/grid.ini");
        ini.WriteString("EditFormGrid1", "Qty", "12");
    }
    GridOf(form)->LoadLayout();
    EXPECT_EQ(dialogs.Last().Text, "Key Delimiter Not Found");
    EXPECT_EQ(GridOf(form)->Selected()->Count(), 3);
    GridOf(form)->IniAttributes()->SetEnabled(false);
    delete form;
    ProcessEvents();
}

// An ini name that leads to a folder: the form still shows with its designed
// columns, and the reason is told once.
TEST_F(QzLayoutTest, AnIniNameThatIsAFolderKeepsTheDesignedLayout) {
    const std::string folder = Dir + "/layouts";
    std::filesystem::create_directories(folder);
    TTestDialogs dialogs;
    TForm* form = nullptr;
    EXPECT_NO_THROW(form = MakeForm(false, folder));
    ASSERT_NE(form, nullptr);
    EXPECT_TRUE(GridOf(form)->Showing());
    EXPECT_EQ(GridOf(form)->Selected()->Text(), "Name\t10\tName\nQty\t5\tQty\nNote\t8\tNote\n");
    ASSERT_EQ(dialogs.Count(), 1);
    EXPECT_EQ(dialogs.Last().Text.rfind("Cannot open file", 0), 0u) << dialogs.Last().Text;
    GridOf(form)->LoadLayout();
    EXPECT_EQ(dialogs.Count(), 2);
    EXPECT_EQ(GridOf(form)->Selected()->Count(), 3);
    // Saving there tells the same reason; the grid's end saves silently.
    EXPECT_NO_THROW(GridOf(form)->SaveLayout());
    ASSERT_EQ(dialogs.Count(), 3);
    EXPECT_EQ(dialogs.Last().Text.rfind("Cannot open file", 0), 0u) << dialogs.Last().Text;
    delete form;
    ProcessEvents();
    EXPECT_EQ(dialogs.Count(), 3);
}

// A layout save that fails half way (a full disk) keeps the layout stored
// before, whole; the user is told why, naming the file, and no temporary
// file is left. The grid's end saves silently.
std::string QzLayoutFileText(const std::string& File) {
    std::ifstream in(File, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST_F(QzLayoutTest, AFailedSaveKeepsTheStoredLayout) {
    const std::string file = Dir + "/grid.ini";
    RoundTrip(false, file);
    const std::string before = QzLayoutFileText(file);
    TTestDialogs dialogs;
    TForm* form = MakeForm(false, file);
    const int shown = dialogs.Count();
    GridOf(form)->Selected()->SetText("Note\t9\tNote\n");
    SimulateWriteFailure(0);
    EXPECT_NO_THROW(GridOf(form)->SaveLayout());
    ResetWriteFaults();
    EXPECT_EQ(QzLayoutFileText(file), before);
    ASSERT_EQ(dialogs.Count(), shown + 1);
    EXPECT_EQ(dialogs.Last().Text.rfind("Cannot create file \"" + file + "\".", 0), 0u)
        << dialogs.Last().Text;
    SimulateWriteFailure(0);
    EXPECT_NO_THROW(delete form);
    ResetWriteFaults();
    ProcessEvents();
    EXPECT_EQ(dialogs.Count(), shown + 1);
    EXPECT_EQ(QzLayoutFileText(file), before);
    int entries = 0;
    for (const auto& entry : std::filesystem::directory_iterator(Dir))
        entries += entry.path().filename().string().rfind("grid.ini", 0) == 0;
    EXPECT_EQ(entries, 1);
    EXPECT_NE(before.find("Qty=12"), std::string::npos) << before;
}

// The registry road: the section is replaced in one write of the settings
// file, so a full disk keeps the stored layout whole and tells why, and a
// disk with room for one write saves it whole.
TEST_F(QzLayoutTest, AFailedRegistrySaveKeepsTheStoredLayout) {
    const std::string key = "Software\\Taskmoor\\GridLayoutFull";
    RoundTrip(true, key);
    const auto stored = [&] {
        TStringList values;
        TRegistryIniFile(key).ReadSectionValues("EditFormGrid1", &values);
        return values.Text();
    };
    const std::string before = stored();
    EXPECT_NE(before.find("Qty=12"), std::string::npos) << before;
    TTestDialogs dialogs;
    TForm* form = MakeForm(true, key);
    const int shown = dialogs.Count();
    GridOf(form)->Selected()->SetText("Note\t9\tNote\n");
    SimulateWriteFailure(0);
    EXPECT_NO_THROW(GridOf(form)->SaveLayout());
    ResetWriteFaults();
    EXPECT_EQ(stored(), before);
    ASSERT_EQ(dialogs.Count(), shown + 1);
    EXPECT_NE(
        dialogs.Last().Text.find("Cannot create file \"" + Dir + "/registry.ini\". No space left on device"),
        std::string::npos)
        << dialogs.Last().Text;

    SimulateWriteFailure(1);
    EXPECT_NO_THROW(GridOf(form)->SaveLayout());
    ResetWriteFaults();
    EXPECT_EQ(dialogs.Count(), shown + 1);
    const std::string after = stored();
    EXPECT_NE(after.find("Note=9"), std::string::npos) << after;
    EXPECT_EQ(after.find("Qty="), std::string::npos) << after;

    SimulateWriteFailure(0);
    EXPECT_NO_THROW(delete form);
    ResetWriteFaults();
    ProcessEvents();
    EXPECT_EQ(dialogs.Count(), shown + 1);
    EXPECT_EQ(stored(), after);
    TRegistry().DeleteKey("\\" + key);
}

}  // namespace
