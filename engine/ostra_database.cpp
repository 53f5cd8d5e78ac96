// The database's list of open datasets, its save of all changed ones, and the session
// that keeps the databases.
#include "engine/ostra_database.h"

#include <algorithm>

#include "engine/messages.h"
#include "engine/ostra_table.h"
#include "platform/core/exceptions.h"
#include "platform/core/files.h"
#include "platform/core/sysutils.h"

namespace {

template <class T>
void AddOnce(std::vector<T*>& List, T* Item) {
    if (Item && std::find(List.begin(), List.end(), Item) == List.end()) List.push_back(Item);
}

template <class T>
void RemoveAll(std::vector<T*>& List, const void* Item) {
    List.erase(std::remove(List.begin(), List.end(), Item), List.end());
}

}  // namespace

// ---------------------------------------------------------------------------
// TOstraDatabase

TOstraDatabase::TOstraDatabase(TComponent* AOwner) : TOstraCustomDatabase(AOwner), FDateFormat("mm/dd/yyyy") {
    OstraSession().AddDatabase(this);
}

TOstraDatabase::~TOstraDatabase() {
    Destroying();
    // Clones before their sources; a dataset that refuses keeps trying while
    // the others make progress.
    while (!FOpen.empty()) {
        const std::vector<TOstraDataset*> open = FOpen;
        for (TOstraDataset* dataSet : open) {
            try {
                if (std::find(FOpen.begin(), FOpen.end(), dataSet) != FOpen.end())
                    TOstraTable::CloseWithClones(dataSet);
            } catch (...) {}
        }
        if (FOpen.size() >= open.size()) break;
    }
    FOpen.clear();
    FChanged.clear();
    OstraSession().RemoveDatabase(this);
}

void TOstraDatabase::SetDatabasePath(const std::string& Value) {
    if (Value == FDatabasePath) return;
    FDatabasePath = Value;
    if (!FDatabasePath.empty() && FDatabasePath.back() != PathDelim) FDatabasePath += PathDelim;
}

void TOstraDatabase::SaveDatasets(const std::vector<TOstraDataset*>& DataSets) {
    if (FChanged.empty()) return;
    // Saving settles datasets, which changes FChanged: work on a copy.
    const std::vector<TOstraDataset*> list = DataSets.empty() ? FChanged : DataSets;
    std::vector<TOstraDataset*> saved;
    for (TOstraDataset* dataSet : list) {
        if (!dataSet) continue;
        if (dataSet->Database() != this) throw EDatabaseError(Format(SDatasetNotInDatabase, dataSet->Name()));
        // Posts an edit in progress; a dataset whose file is written has its
        // changes accepted at once, so a later failure loses nothing.
        dataSet->Save();
        saved.push_back(dataSet);
    }
    for (TOstraDataset* dataSet : saved) dataSet->CommitChanges();
}

void TOstraDatabase::DatasetOpened(TOstraDataset* DataSet) {
    AddOnce(FOpen, DataSet);
    if (DataSet) DataSet->FreeNotification(this);
}

void TOstraDatabase::DatasetClosed(TOstraDataset* DataSet) {
    RemoveAll(FOpen, DataSet);
    RemoveAll(FChanged, DataSet);
}

void TOstraDatabase::DatasetChanged(TOstraDataset* DataSet) { AddOnce(FChanged, DataSet); }

void TOstraDatabase::DatasetChangesSettled(TOstraDataset* DataSet) { RemoveAll(FChanged, DataSet); }

void TOstraDatabase::Notification(TComponent* AComponent, TOperation Operation) {
    inherited::Notification(AComponent, Operation);
    if (Operation != opRemove) return;
    RemoveAll(FOpen, AComponent);
    RemoveAll(FChanged, AComponent);
}

void TOstraDatabase::Publish(TPublisher<TOstraDatabase>& p) {
    p.Property("DatabasePath", &TOstraDatabase::DatabasePath, &TOstraDatabase::SetDatabasePath);
    p.Property("DateFormat", &TOstraDatabase::DateFormat, &TOstraDatabase::SetDateFormat);
}

// ---------------------------------------------------------------------------
// TOstraSession

TOstraSession::TOstraSession() : FPasswords(OstraPasswords()) {}

TOstraSession::~TOstraSession() {
    FFreeing = true;
    const std::vector<TOstraDatabase*> left = FDatabases;
    FDatabases.clear();
    for (auto it = left.rbegin(); it != left.rend(); ++it) delete *it;
}

void TOstraSession::AddDatabase(TOstraDatabase* Database) {
    if (!FFreeing) AddOnce(FDatabases, Database);
}

void TOstraSession::RemoveDatabase(TOstraDatabase* Database) { RemoveAll(FDatabases, Database); }

TOstraSession& OstraSession() {
    // The password service is made first so that it outlives the session.
    OstraPasswords();
    static TOstraSession session;
    return session;
}
