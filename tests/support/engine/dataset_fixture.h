// A concrete engine dataset for the tests: its store is made from field
// descriptions and seed rows, and "saving" keeps the image in memory, which
// the next opening or refresh loads again.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "engine/ostra_dataset.h"
#include "engine/record_store.h"
#include "platform/core/sysutils.h"
#include "platform/db/fields.h"
#include "support/engine/engine_test_support.h"
#include "support/engine/engine_test_util.h"

class TTestDataset : public TOstraDataset {
public:
    explicit TTestDataset(TComponent* AOwner = nullptr) : TOstraDataset(AOwner) {}
    ~TTestDataset() override {
        Destroying();
        SetActive(false);
    }

    // Table layout and rows (texts by field name) loaded on opening.
    std::vector<TOstraField> Layout;
    std::vector<std::map<std::string, std::string>> Seed;
    // The last image "written" by SaveData; loaded instead of Seed when set.
    std::string SavedImage;
    int SaveCount = 0;
    bool FailSave = false;

    using TOstraDataset::AddClone;
    using TOstraDataset::IncrementPendingChanges;
    using TOstraDataset::RemoveClone;

protected:
    void OpenData() override {
        if (!FStore) {
            FStore = std::make_unique<TOstraCursor>();
            InstallCursorRelays(FStore.get());
        } else {
            FStore->Clear(true);
        }
        std::string error;
        if (!SavedImage.empty()) {
            if (!LoadImage(*FStore, SavedImage, error)) throw EDatabaseError(error);
        } else {
            MakeTable(*FStore, Layout);
            for (const auto& row : Seed) {
                TestBuffer b(*FStore);
                for (const auto& [name, text] : row) b.Set(name.c_str(), text);
                FStore->PostRecord(b.Data(), nullptr, error);
            }
            FStore->AcceptAll();
        }
        SetCursor(FStore.get());
    }
    bool SaveData() override {
        if (!HasPendingChanges()) return false;
        if (FailSave) throw EFCreateError("Cannot create file \"test.d\". Disk full");
        SavedImage = SaveImage(*FStore);
        ++SaveCount;
        return true;
    }
    void ReleaseData() override {
        SetCursor(nullptr);
        FStore.reset();
    }

private:
    std::unique_ptr<TOstraCursor> FStore;
};

// The task table's layout.
inline std::vector<TOstraField> TaskLayout() {
    return {MakeField("Key", oftAutoInc),           MakeField("Flag", oftBoolean),
            MakeField("Action", oftString, 255),    MakeField("Date", oftDate),
            MakeField("Category", oftSmallStr, 10), MakeField("Priority", oftSmallStr, 5),
            MakeField("Status", oftSmallStr, 15),   MakeField("Notes", oftMemo)};
}

// Records OnNeedToSaveChange calls.
struct TSaveChangeCounter {
    int Calls = 0;
    void Handler(TObject*) { ++Calls; }
};

// Records the database notices of a dataset.
class TTestDatabase : public TOstraCustomDatabase {
public:
    TTestDatabase() : TOstraCustomDatabase(nullptr) {}
    std::vector<std::string> Notices;
    void DatasetOpened(TOstraDataset*) override { Notices.push_back("opened"); }
    void DatasetClosed(TOstraDataset*) override { Notices.push_back("closed"); }
    void DatasetChanged(TOstraDataset*) override { Notices.push_back("changed"); }
    void DatasetChangesSettled(TOstraDataset*) override { Notices.push_back("settled"); }
};
