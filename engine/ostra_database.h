// TOstraDatabase: the data folder of a set of engine tables, and the saving
// of all of them that hold unsaved changes in one call.
//
// TOstraSession: the engine's one object for the whole run. It lists the
// database components, remembers the passwords that opened tables, asks for
// passwords (through the replaceable prompt of password.h) and owns the one
// cipher instance.
#pragma once

#include <string>
#include <vector>

#include "engine/ostra_dataset.h"
#include "engine/password.h"

class TOstraDatabase : public TOstraCustomDatabase {
    TASKMOOR_CLASS(TOstraDatabase, TOstraCustomDatabase)
public:
    explicit TOstraDatabase(TComponent* AOwner);
    // Closes every dataset still open on it and leaves the session.
    ~TOstraDatabase() override;

    // The data folder; ends with "/" when not empty.
    const std::string& DatabasePath() const { return FDatabasePath; }
    void SetDatabasePath(const std::string& Value);
    // Kept with the component; the engine does not read it.
    const std::string& DateFormat() const { return FDateFormat; }
    void SetDateFormat(const std::string& Value) { FDateFormat = Value; }

    // Saves the given datasets, or every dataset with unsaved changes when
    // none are given; nothing happens while no dataset has changes. A dataset
    // of another database raises "Dataset %s is not belong to this database".
    // When a save fails part way, the datasets whose files were written are
    // accepted, every other one keeps its changes, and the error is raised.
    void SaveDatasets(const std::vector<TOstraDataset*>& DataSets = {});
    bool HasChanges() const { return !FChanged.empty(); }
    const std::vector<TOstraDataset*>& OpenDatasets() const { return FOpen; }
    const std::vector<TOstraDataset*>& ChangedDatasets() const { return FChanged; }

    void DatasetOpened(TOstraDataset* DataSet) override;
    void DatasetClosed(TOstraDataset* DataSet) override;
    void DatasetChanged(TOstraDataset* DataSet) override;
    void DatasetChangesSettled(TOstraDataset* DataSet) override;

    static void Publish(TPublisher<TOstraDatabase>& p);

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    std::string FDatabasePath;
    std::string FDateFormat;
    std::vector<TOstraDataset*> FOpen;
    std::vector<TOstraDataset*> FChanged;
};

class TOstraSession {
public:
    TOstraSession();
    // Frees every database still listed.
    ~TOstraSession();
    TOstraSession(const TOstraSession&) = delete;
    TOstraSession& operator=(const TOstraSession&) = delete;

    void AddDatabase(TOstraDatabase* Database);
    void RemoveDatabase(TOstraDatabase* Database);
    const std::vector<TOstraDatabase*>& Databases() const { return FDatabases; }

    // Known passwords: sorted, each once; an empty text is ignored.
    void AddPassword(const std::string& Password) { FPasswords.AddPassword(Password); }
    void RemovePassword(const std::string& Password) { FPasswords.RemovePassword(Password); }
    const std::vector<std::string>& Passwords() const { return FPasswords.KnownPasswords(); }
    int PasswordTries() const { return FPasswords.PasswordTries(); }

    bool CheckPassword(TOstraPasswordBlock& Block, std::string& Password) {
        return FPasswords.CheckPassword(Block, Password);
    }
    bool TryPassword(const std::string& Password, TOstraPasswordBlock& Block) {
        return FPasswords.TryPassword(Password, Block);
    }
    bool PromptPassword(std::string& Password) { return FPasswords.PromptPassword(Password); }
    TSapphire& Cipher() { return FPasswords.Cipher(); }

private:
    TOstraPasswords& FPasswords;
    std::vector<TOstraDatabase*> FDatabases;
    bool FFreeing = false;
};

// The session of the run, made on first use.
TOstraSession& OstraSession();
