// Shared set-up of the table, database, master-link and blob-stream tests:
// a fresh temporary folder per test, a scripted password prompt and an empty
// list of known passwords.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "engine/ostra_database.h"
#include "engine/ostra_table.h"
#include "engine/password.h"
#include "platform/core/exceptions.h"
#include "platform/core/files.h"
#include "platform/core/guid.h"
#include "platform/core/streams.h"
#include "platform/db/fielddefs.h"
#include "platform/db/fields.h"
#include "support/engine/engine_test_support.h"
#include "support/environment.h"

class TableTest : public ::testing::Test {
protected:
    void SetUp() override {
        Prompt = std::make_shared<TScriptedPasswordPrompt>();
        OstraPasswords().SetPrompt(Prompt);
        OstraPasswords().ClearPasswords();
    }
    void TearDown() override {
        OstraPasswords().SetPrompt(nullptr);
        OstraPasswords().ClearPasswords();
    }

    static void AddTask(TOstraTable& t, const std::string& action, const std::string& category,
                        const std::string& notes = std::string()) {
        t.Append();
        t.FieldByName("Action")->SetAsString(action);
        t.FieldByName("Category")->SetAsString(category);
        if (!notes.empty()) t.FieldByName("Notes")->SetAsString(notes);
        t.Post();
    }

    // Writes a task table with the given actions and categories to a file.
    void WriteTaskFile(const std::string& fileName,
                       const std::vector<std::pair<std::string, std::string>>& rows,
                       const std::string& password = std::string()) {
        TOstraTable t(nullptr);
        AddTaskDefs(t);
        t.Open();
        for (const auto& [action, category] : rows) AddTask(t, action, category);
        if (!password.empty()) t.SetPassword(password);
        t.SaveToFile(fileName);
        t.Close();
        OstraPasswords().ClearPasswords();
    }

    // The actions a table file holds, read by a table of its own.
    static std::vector<std::string> ActionsIn(const std::string& fileName) {
        TOstraTable t(nullptr);
        t.SetTableName(fileName);
        t.Open();
        return Column(t, "Action");
    }

    static std::string ReadFile(const std::string& fileName) {
        std::ifstream in(fileName, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    static char Marker(const std::string& fileName) {
        const std::string image = ReadFile(fileName);
        return image.size() > 4 ? image[4] : '\0';
    }

    TTestEnvironment Env;
    std::string Dir = Env.Folder() + "/";
    std::shared_ptr<TScriptedPasswordPrompt> Prompt;
};
