// The program started for real: the start-up of main (single-instance check
// under a name of the test's own, the forms of the whole run, the settings
// read, the tables opened) in a fresh data folder made by the data maker,
// driven with real key and mouse events, closed through its own close path,
// and its table files read back with the engine.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <tuple>
#include <vector>

#include "app/main_form.h"
#include "app/main_form_tables.h"
#include "app/startup.h"
#include "engine-controls/ostra_dbgrid.h"
#include "engine/ostra_table.h"
#include "platform/core/datetime.h"
#include "platform/core/files.h"
#include "platform/core/guid.h"
#include "platform/db/datasource.h"
#include "platform/db/fields.h"
#include "platform/ui/application.h"
#include "platform/ui/buttons.h"
#include "platform/ui/comctrls.h"
#include "platform/ui/forms.h"
#include "platform/ui/graphics.h"
#include "platform/ui/help.h"
#include "platform/ui/menus.h"
#include "platform/ui/testing.h"
#include "support/engine/engine_test_support.h"
#include "support/environment.h"

class ProgramTest : public ::testing::Test {
protected:
    void SetUp() override {
        Dir =
            IncludeTrailingPathDelimiter(GetTempDir()) + "taskmoor_" + CreateGUIDString().substr(1, 8) + "/";
        std::filesystem::create_directories(Dir);
        OldDir = GetCurrentDir();
        OldExe = ApplicationExeName();
        OldTitle = Application->Title();
        if (const char* old = std::getenv("TASKMOOR_CONFIG_DIR")) OldConfig = old;
        ::setenv("TASKMOOR_CONFIG_DIR", (Dir + "config").c_str(), 1);
        SetApplicationExeName(Dir + "taskmoor");
        PrepareData();
        SetCurrentDir(Dir);
    }

    // The data folder's contents before the start; a test may override it
    // to remove or change files.
    virtual void PrepareData() { CreateToDoDataFolder(Dir); }

    void TearDown() override {
        Stop();
        SetCurrentDir(OldDir);
        SetApplicationExeName(OldExe);
        Application->SetTitle(OldTitle);
        if (OldConfig.empty())
            ::unsetenv("TASKMOOR_CONFIG_DIR");
        else
            ::setenv("TASKMOOR_CONFIG_DIR", OldConfig.c_str(), 1);
        std::error_code ec;
        std::filesystem::remove_all(Dir, ec);
    }

    // The program's start, as main runs it; the window shows.
    TfrmToDo* Open() {
        Start();
        return Form;
    }
    void Start() { ASSERT_TRUE(Launch()); }
    // The start, which may end at the single-instance check (false: no window).
    bool Launch() {
        EXPECT_EQ(Form, nullptr) << "started twice";
        FormsBefore = Application->ComponentCount();
        PreviousHelp = &HelpEngine();
        StartProgramUnits();
        Started = true;
        if (!StartTaskmoor(std::string(TaskmoorTitle) + " " + CreateGUIDString())) return false;
        ShowStartedWindow();
        return Form != nullptr;
    }
    void ShowStartedWindow() {
        Form = dynamic_cast<TfrmToDo*>(Application->MainForm());
        ASSERT_NE(Form, nullptr);
        ASSERT_EQ(Form, frmToDo);
        // Help goes to a recorder: no help window in a test.
        SetHelpEngine(&Help);
        // The close path's result, seen from outside.
        const TCloseEvent close = Form->OnClose();
        Form->SetOnClose(TCloseEvent([this, close](TObject* Sender, TCloseAction& Action) {
            close(Sender, Action);
            LastCloseAction = Action;
        }));
        Form->Show();
        ProcessEvents();
    }

    // Closes through the tool bar's "Exit" with the answer Yes; true when
    // the window agreed to close (the program then ends).
    bool CloseProgram() {
        LastCloseAction = caNone;
        Dialogs.Answer(mrYes);
        Click(Form->SpeedButton2());
        return LastCloseAction == caFree && Application->Terminated();
    }

    // The end of the run: the forms go, the services and the lock too.
    void Stop() {
        if (!Started) return;
        // The forms of the run; the single-instance poller stays with the application.
        for (int i = Application->ComponentCount() - 1; i >= FormsBefore; --i)
            if (auto* form = dynamic_cast<TCustomForm*>(Application->Components(i))) delete form;
        Form = nullptr;
        EndTaskmoor();
        SetHelpEngine(PreviousHelp);
        FinishProgramUnits();
        Started = false;
    }

    // A closed run started again on the same folder.
    void Restart() {
        Stop();
        Start();
    }

    // ---- Input
    void Click(TControl* Control) { SendClick(Control, Control->Width() / 2, Control->Height() / 2); }
    // A real click on the tab.
    void ShowTab(TTabSheet* Sheet) {
        TPageControl* pages = Form->PageControl1();
        const TRect r = pages->TabRect(Sheet->PageIndex());
        SendClick(pages, (r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2);
        ASSERT_EQ(pages->ActivePage(), Sheet);
    }
    // A click in the middle of a data cell (Col and Row count the grid's
    // fixed column and title row).
    void ClickCell(TOstraDBGrid* Grid, int Col, int Row) {
        const TRect r = Grid->CellRect(Col, Row);
        SendClick(Grid, (r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2);
    }
    void DoubleClickCell(TOstraDBGrid* Grid, int Col, int Row) {
        const TRect r = Grid->CellRect(Col, Row);
        SendDoubleClick(Grid, (r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2);
    }
    // Real keys, each to whatever has the focus then (the first letter
    // typed on a cell opens its editor).
    static void TypeToFocus(const std::string& Text) {
        for (char ch : Text) {
            ASSERT_NE(FocusedControl(), nullptr);
            SendText(FocusedControl(), std::string(1, ch));
        }
    }
    // Renders the window (or another control) to a PNG in the test run's
    // folder.
    void Render(const std::string& Name, TControl* Control = nullptr) {
        const std::string file = TestRunPath(Name + ".png");
        EXPECT_TRUE(RenderControlToPng(Control ? Control : Form, file)) << file;
    }

    // ---- The files
    void AddTasks(const std::string& FileName,
                  const std::vector<std::tuple<std::string, std::string, bool>>& Tasks) {
        TOstraTable t(nullptr);
        t.SetTableName(Dir + FileName);
        t.Open();
        for (const auto& [action, priority, flag] : Tasks) {
            t.Append();
            t.FieldByName("Action")->SetAsString(action);
            t.FieldByName("Priority")->SetAsString(priority);
            t.FieldByName("Flag")->SetAsBoolean(flag);
            t.FieldByName("Status")->SetAsString("Open");
            t.FieldByName("Category")->SetAsString("Work");
            t.FieldByName("Date")->SetAsDateTime(EncodeDate(2024, 3, 14));
            t.Post();
        }
        t.Save();
        t.Close();
    }
    std::vector<std::string> FileColumn(const std::string& FileName, const std::string& Field) {
        TOstraTable t(nullptr);
        t.SetTableName(Dir + FileName);
        t.Open();
        std::vector<std::string> out;
        for (t.First(); !t.Eof(); t.Next()) out.push_back(t.FieldByName(Field)->AsString());
        return out;
    }
    static std::vector<std::string> Column(TDataSet* Table, const std::string& Field) {
        std::vector<std::string> out;
        for (Table->First(); !Table->Eof(); Table->Next())
            out.push_back(Table->FieldByName(Field)->AsString());
        return out;
    }
    std::string SettingsText() {
        const std::string file = ChangeFileExt(Dir + "taskmoor", ".ini");
        return FileExists(file) ? ReadText(file) : std::string();
    }
    static std::string ReadText(const std::string& FileName) {
        std::string out;
        if (FILE* f = std::fopen(FileName.c_str(), "rb")) {
            char buf[4096];
            for (size_t n; (n = std::fread(buf, 1, sizeof buf, f)) > 0;) out.append(buf, n);
            std::fclose(f);
        }
        return out;
    }

    std::string Dir;
    // The folder the tests run in (pictures go there).
    std::string OldDir;
    TTestDialogs Dialogs;
    THelpRecorder Help;
    TfrmToDo* Form = nullptr;
    TCloseAction LastCloseAction = caNone;

private:
    std::string OldExe, OldTitle, OldConfig;
    THelpEngine* PreviousHelp = nullptr;
    int FormsBefore = 0;
    bool Started = false;
};
