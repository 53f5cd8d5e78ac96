// TOstraTable: the engine dataset that programs place on their forms.
//
// Where its data come from on opening is its LoadMode: lmClear makes an
// empty table from FieldDefs, lmFile reads the ".d" file FileName, lmClone
// shares the store of another open table (CloneDS), lmStream reads an image
// from LoadingStream. Saving writes the store to FileName (a clone writes
// its source's file). The table also carries the password that protects its
// file.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "engine/ostra_dataset.h"

class TFieldDefs;
class TOstraCursor;
class TOstraDatabase;
class TStream;

TASKMOOR_ENUM(TOstraLoadMode, lmClear, lmFile, lmClone, lmStream)

class TOstraTable : public TOstraDataset {
    TASKMOOR_CLASS(TOstraTable, TOstraDataset)
public:
    explicit TOstraTable(TComponent* AOwner);
    ~TOstraTable() override;

    // ---- Properties ----
    // File name of the table, with or without folder. A change closes the
    // table; a non-empty name sets LoadMode to lmFile, an empty one lmClear.
    const std::string& TableName() const { return FTableName; }
    void SetTableName(const std::string& Value);
    TOstraLoadMode LoadMode() const { return FLoadMode; }
    // A change closes the table.
    void SetLoadMode(TOstraLoadMode Value);
    // The table whose store a clone shares; setting one makes LoadMode
    // lmClone, none lmClear. A change closes the table.
    TOstraDataset* CloneDS() const { return FCloneDS; }
    void SetCloneDS(TOstraDataset* Value);
    // The fields of a table made empty (lmClear). These are the table's own
    // definitions; the dataset's description of its open data is
    // TDataSet::FieldDefs.
    TFieldDefs* FieldDefs() const { return FFieldDefs.get(); }
    void SetFieldDefs(TFieldDefs* Value);
    // True once the definitions changed while LoadMode was lmClear.
    bool StoreDefs() const { return FStoreDefs; }
    void SetStoreDefs(bool Value) { FStoreDefs = Value; }
    // The definitions are kept with the component.
    bool FieldDefsStored() const;
    // The open store's password, else the text set.
    std::string Password() const;
    void SetPassword(const std::string& Value);
    // The image an lmStream table loads, from its current position; it
    // stays the caller's.
    TStream* LoadingStream() const { return FLoadingStream; }
    void SetLoadingStream(TStream* Value) { FLoadingStream = Value; }

    // TableName prefixed with the database's DatabasePath when TableName
    // holds no folder and a database is set; TableName otherwise.
    std::string FileName() const;

    // A database with a non-empty DatabasePath strips the folder from
    // TableName.
    void SetDatabase(TOstraCustomDatabase* Value) override;
    // Posts an edit or insert in progress, writes the store to its file (a
    // clone's store is its source's) and accepts it; the source and every
    // other table sharing the store settle with it.
    void Save() override;
    void CancelChanges() override;
    void CommitChanges() override;

    // Closes the tables cloned from DataSet (and theirs), then DataSet.
    static void CloseWithClones(TOstraDataset* DataSet);

    static void Publish(TPublisher<TOstraTable>& p);

protected:
    void OpenData() override;
    bool SaveData() override;
    void ReleaseData() override;
    bool CanReloadData() const override { return FLoadMode == lmFile; }
    void InternalRefresh() override;
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    class TTableFieldDefs;
    friend class TTableFieldDefs;

    void LoadStore(TStream* Stream);
    void OpenClone();
    void LeaveSource();
    // The table whose file holds this table's store (itself, or the source
    // at the root of a chain of clones); nullptr when there is none.
    TOstraTable* FileOwner();
    // The file to read or write: FileName, or the file of the same name in
    // another letter case when only that one exists.
    std::string ExistingFileName(const std::string& Name) const;
    void FieldDefsChanged();
    void PasswordChanged();
    // The other open tables on this store settle their changes and rebuild
    // their views.
    void SettleSharers(const std::vector<TOstraDataset*>& Sharers);
    // This table, its source's and every table sharing the store.
    std::vector<TOstraDataset*> Sharers();
    // Every dataset sharing Root's store: Root and its clones, theirs, and so on.
    static void CollectSharers(TOstraDataset* Root, std::vector<TOstraDataset*>& List);

    std::string FTableName;
    TOstraLoadMode FLoadMode = lmClear;
    TOstraDataset* FCloneDS = nullptr;
    // The source this table joined as a clone while open.
    TOstraDataset* FSource = nullptr;
    std::unique_ptr<TFieldDefs> FFieldDefs;
    bool FStoreDefs = false;
    mutable std::string FPassword;
    TStream* FLoadingStream = nullptr;
    std::unique_ptr<TOstraCursor> FStore;
};
