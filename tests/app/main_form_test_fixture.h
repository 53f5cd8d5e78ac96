// Shared set-up of the main window's tests: a fresh data folder made with
// the program's own routine, the current directory moved into it, the
// settings file beside a program file in that folder, and scripted boxes.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "app/main_form.h"
#include "app/main_form_tables.h"
#include "engine-controls/ostra_dbgrid.h"
#include "engine/ostra_database.h"
#include "engine/ostra_table.h"
#include "platform/core/datetime.h"
#include "platform/core/files.h"
#include "platform/core/guid.h"
#include "platform/core/inifiles.h"
#include "platform/db/datasource.h"
#include "platform/db/fields.h"
#include "platform/ui/application.h"
#include "platform/ui/forms.h"
#include "platform/ui/testing.h"

class MainFormTest : public ::testing::Test {
protected:
    void SetUp() override {
        Dir = IncludeTrailingPathDelimiter(GetTempDir()) + "todo_" + CreateGUIDString().substr(1, 8) + "/";
        std::filesystem::create_directories(Dir);
        OldDir = GetCurrentDir();
        OldExe = ApplicationExeName();
        SetApplicationExeName(Dir + "taskmoor");
        PrepareData();
        SetCurrentDir(Dir);
    }
    void TearDown() override {
        delete Form;
        Form = nullptr;
        SetCurrentDir(OldDir);
        SetApplicationExeName(OldExe);
        std::error_code ec;
        std::filesystem::remove_all(Dir, ec);
    }

    // The data folder's contents before the window opens; a test may
    // override it to remove or damage files.
    virtual void PrepareData() { CreateToDoDataFolder(Dir); }

    TfrmToDo* Open() {
        Form = CreateForm<TfrmToDo>(nullptr);
        return Form;
    }

    // Adds tasks to a task file (before the window opens).
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

    // The field values of a table file, read with a table of its own.
    std::vector<std::string> FileColumn(const std::string& FileName, const std::string& Field) {
        TOstraTable t(nullptr);
        t.SetTableName(Dir + FileName);
        t.Open();
        std::vector<std::string> out;
        for (t.First(); !t.Eof(); t.Next()) out.push_back(t.FieldByName(Field)->AsString());
        return out;
    }

    std::string Dir;
    std::string OldDir;
    std::string OldExe;
    TTestDialogs Dialogs;
    TfrmToDo* Form = nullptr;
};
