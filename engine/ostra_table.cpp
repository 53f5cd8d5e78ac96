// The table's file name, password and field definitions, its load and save of the
// table file, clones sharing one store, and committing or cancelling changes.
#include "engine/ostra_table.h"

#include <algorithm>
#include <limits>
#include <memory>
#include <new>
#include <vector>

#include "engine/messages.h"
#include "engine/ostra_database.h"
#include "engine/record_store.h"
#include "platform/core/exceptions.h"
#include "platform/core/files.h"
#include "platform/core/memory.h"
#include "platform/core/streams.h"
#include "platform/core/sysutils.h"
#include "platform/db/datasource.h"
#include "platform/db/fielddefs.h"

void TOstraTable::CollectSharers(TOstraDataset* Root, std::vector<TOstraDataset*>& List) {
    if (!Root || std::find(List.begin(), List.end(), Root) != List.end()) return;
    List.push_back(Root);
    for (TOstraDataset* clone : Root->Clones()) CollectSharers(clone, List);
}

// The table's own field definitions; a change while the table is made from
// them (lmClear) marks them to be stored with the component.
class TOstraTable::TTableFieldDefs : public TFieldDefs {
public:
    explicit TTableFieldDefs(TOstraTable* Table) : TFieldDefs(nullptr), FTable(Table) {}

protected:
    void Update(TCollectionItem*) override { FTable->FieldDefsChanged(); }

private:
    TOstraTable* FTable;
};

TOstraTable::TOstraTable(TComponent* AOwner)
    : TOstraDataset(AOwner), FFieldDefs(std::make_unique<TTableFieldDefs>(this)) {}

TOstraTable::~TOstraTable() {
    Destroying();
    try {
        CloseWithClones(this);
    } catch (...) {}
    if (Active()) {
        // Closing was refused (a handler raised): the store goes with this
        // object, so nothing may reach it any more.
        if (Database()) Database()->DatasetClosed(this);
        SetCursor(nullptr);
    }
    LeaveSource();
}

// ---------------------------------------------------------------------------
// Properties

void TOstraTable::SetTableName(const std::string& Value) {
    if (Value == FTableName) return;
    Close();
    FTableName = Value;
    FLoadMode = Value.empty() ? lmClear : lmFile;
}

void TOstraTable::SetLoadMode(TOstraLoadMode Value) {
    if (Value == FLoadMode) return;
    Close();
    FLoadMode = Value;
}

void TOstraTable::SetCloneDS(TOstraDataset* Value) {
    if (Value == FCloneDS) return;
    // A clone must not keep a store whose source it no longer names.
    Close();
    if (FCloneDS) FCloneDS->RemoveFreeNotification(this);
    FCloneDS = Value;
    if (FCloneDS) FCloneDS->FreeNotification(this);
    FLoadMode = Value ? lmClone : lmClear;
}

void TOstraTable::SetFieldDefs(TFieldDefs* Value) {
    if (Value && Value != FFieldDefs.get()) FFieldDefs->Assign(Value);
}

void TOstraTable::FieldDefsChanged() {
    if (FLoadMode == lmClear) FStoreDefs = true;
}

bool TOstraTable::FieldDefsStored() const { return FStoreDefs && FFieldDefs->Count() > 0; }

std::string TOstraTable::Password() const {
    if (Active() && Cursor()) FPassword = Cursor()->Password();
    return FPassword;
}

void TOstraTable::SetPassword(const std::string& Value) {
    const std::string old = Password();
    if (!Value.empty())
        OstraSession().AddPassword(Value);
    else if (!old.empty())
        OstraSession().RemovePassword(old);
    FPassword = Value;
    TOstraCursor* store = Active() ? Cursor() : nullptr;
    if (!store || store->Password() == Value) return;
    store->SetPassword(Value);
    PasswordChanged();
}

void TOstraTable::PasswordChanged() {
    // The next save writes the new protection, so this is a change like any
    // other: without the notice a database would not save the table.
    IncrementPendingChanges();
    if (PendingChanges() == 1) OnNeedToSaveChange()(this);
    if (Database()) Database()->DatasetChanged(this);
}

std::string TOstraTable::FileName() const {
    if (FTableName.find(PathDelim) == std::string::npos) {
        if (auto* database = dynamic_cast<TOstraDatabase*>(Database()))
            return database->DatabasePath() + FTableName;
    }
    return FTableName;
}

std::string TOstraTable::ExistingFileName(const std::string& Name) const {
    if (Name.empty() || FileExists(Name)) return Name;
    const std::string found = FindFileNoCase(ExtractFilePath(Name), ExtractFileName(Name));
    return found.empty() ? Name : found;
}

void TOstraTable::SetDatabase(TOstraCustomDatabase* Value) {
    inherited::SetDatabase(Value);
    auto* database = dynamic_cast<TOstraDatabase*>(Value);
    if (database && !database->DatabasePath().empty()) FTableName = ExtractFileName(FTableName);
}

// ---------------------------------------------------------------------------
// Loading, saving and releasing the store

void TOstraTable::OpenData() {
    switch (FLoadMode) {
    case lmClear: {
        if (FFieldDefs->Count() == 0) throw EDatabaseError(SNoFieldDescriptions);
        std::vector<TOstraField> fields;
        for (int i = 0; i < FFieldDefs->Count(); ++i) {
            const TFieldDef* def = FFieldDefs->Items(i);
            TOstraField f;
            f.Name = def->Name();
            f.Origin = "XXX";
            f.FieldType = TypeFromFieldType(def->DataType(), def->Size());
            if (f.FieldType == oftSmallStr || f.FieldType == oftString)
                f.Length =
                    static_cast<uint16_t>(std::min(def->Size(), int{std::numeric_limits<uint16_t>::max()}));
            SetFieldLayout(f);
            fields.push_back(std::move(f));
        }
        const std::string image = BuildEmptyImage(fields);
        TMemoryStream stream;
        stream.WriteBuffer(image.data(), static_cast<int64_t>(image.size()));
        stream.SetPosition(0);
        LoadStore(&stream);
        break;
    }
    case lmFile: {
        const std::string name = FileName();
        const std::string path = ExistingFileName(name);
        if (path.empty() || !FileExists(path)) throw EDatabaseError(Format(SErrorOpeningFile, name));
        // Read in chunks; what an interrupted save left beside it goes first.
        RemoveStaleTempFiles(path);
        std::unique_ptr<TFileStream> image;
        try {
            image = std::make_unique<TFileStream>(path, fmOpenRead | fmShareDenyWrite);
        } catch (const Exception& e) {
            // The reason stays: "Is a named pipe, not a regular file" and the like.
            const std::string opening = "Cannot open file \"" + path + "\". ";
            std::string reason = e.Message();
            if (reason.compare(0, opening.size(), opening) == 0) reason.erase(0, opening.size());
            throw EDatabaseError(Format(SErrorOpeningFile, name) + ": " + reason);
        }
        LoadStore(image.get());
        break;
    }
    case lmClone: OpenClone(); break;
    case lmStream:
        if (!FLoadingStream) throw EDatabaseError(SNoLoadingStream);
        LoadStore(FLoadingStream);
        break;
    }
}

void TOstraTable::LoadStore(TStream* Stream) {
    if (!FStore) {
        FStore = std::make_unique<TOstraCursor>();
        InstallCursorRelays(FStore.get());
    } else {
        FPassword = FStore->Password();
        SetCursor(nullptr);
        FStore->Clear(true);
    }
    FStore->SetPassword(FPassword);
    FStore->SetTolerantLoad(PartialOpen());
    std::string error;
    if (!FStore->LoadFromStream(Stream, error)) {
        FStore.reset();
        InstallCursorRelays(nullptr);
        throw EDatabaseError(SErrorOpeningTable + error);
    }
    SetCursor(FStore.get());
    // A damaged table opened with what could be read: the user is told.
    if (!error.empty()) OstraPasswords().Prompt().ShowMessage(error);
}

void TOstraTable::OpenClone() {
    if (!FCloneDS || FCloneDS == this || !FCloneDS->Active() || !FCloneDS->Cursor())
        throw EDatabaseError(SCloneNotActive);
    if (FSource != FCloneDS) {
        LeaveSource();
        FCloneDS->AddClone(this);
        FSource = FCloneDS;
    }
    SetCursor(FCloneDS->Cursor());
}

void TOstraTable::LeaveSource() {
    if (!FSource) return;
    FSource->RemoveClone(this);
    FSource = nullptr;
}

TOstraTable* TOstraTable::FileOwner() {
    TOstraTable* table = this;
    for (int depth = 0; table && table->FLoadMode == lmClone; ++depth) {
        if (depth > 1000) return nullptr;
        table = dynamic_cast<TOstraTable*>(table->FSource ? table->FSource : table->FCloneDS);
    }
    return table && table->FLoadMode == lmFile ? table : nullptr;
}

// The store goes to its file owner's file; nothing is written without
// changes or without an open owner on the same store.
bool TOstraTable::SaveData() {
    if (!HasPendingChanges()) return false;
    TOstraTable* owner = FileOwner();
    if (!owner || !owner->Active() || owner->Cursor() != Cursor()) return false;
    const std::string name = owner->FileName();
    if (name.empty()) return false;
    owner->SaveToFile(owner->ExistingFileName(name));
    return true;
}

void TOstraTable::ReleaseData() {
    SetCursor(nullptr);
    if (FSource) {
        LeaveSource();
    } else {
        FStore.reset();
        InstallCursorRelays(nullptr);
    }
}

void TOstraTable::InternalRefresh() {
    // A table made from its field definitions has nothing to reload from:
    // a reload would leave it empty.
    if (FLoadMode == lmClear) return;
    // Reloading the store would pull it from under the clones.
    for (TOstraDataset* clone : Clones())
        if (clone->Active()) throw EDatabaseError(SClonesNotClosed);
    inherited::InternalRefresh();
}

// ---------------------------------------------------------------------------
// Changes of a shared store

std::vector<TOstraDataset*> TOstraTable::Sharers() {
    TOstraDataset* root = this;
    for (int depth = 0; depth < 1000; ++depth) {
        auto* table = dynamic_cast<TOstraTable*>(root);
        if (!table || !table->FSource) break;
        root = table->FSource;
    }
    std::vector<TOstraDataset*> sharers;
    CollectSharers(root, sharers);
    return sharers;
}

void TOstraTable::SettleSharers(const std::vector<TOstraDataset*>& Sharers) {
    for (TOstraDataset* other : Sharers) {
        if (!other->Active()) continue;
        try {
            if (other == this || other->State() != dsBrowse) {
                // The one that saved keeps its view, and one with an edit in
                // progress its edit and its count; its view lost what the
                // store released when it was told. A sorted save's new order
                // reaches both.
                other->FollowStoreOrder();
                continue;
            }
            other->SettleChanges();
            // Built again only where the others' changes would show.
            try {
                other->RebuildView(true);
            } catch (const EOutOfMemory&) {
                other->FollowStoreOrder();
            }
        } catch (const Exception&) {
            // Its filter failed before, or the view is short of memory (it
            // keeps the records it showed, built again at the next
            // refresh): the accepted data stand.
        } catch (const std::bad_alloc&) {}
    }
}

// A save runs top to bottom from here; each step returns to this function
// and none calls back into the table:
//   1. Post: an edit or insert in progress goes into the store (TDataSet::Post,
//      platform/db/dataset_records.cpp; TOstraDataset::InternalPost,
//      engine/ostra_dataset_edit.cpp).
//   2. SaveData (above): the file owner's store is written to its file through
//      TOstraDataset::SaveToFile (engine/ostra_dataset_edit.cpp),
//      TOstraCursor::SaveToFile (engine/table_write.cpp) and TAtomicFileWriter
//      (platform/core/files.cpp).
//   3. AcceptChanges (engine/ostra_dataset_edit.cpp): the store accepts what
//      was written, the datasets on it are told, this table's count settles.
//   4. SettleSharers (above): the other open tables on the store settle.
void TOstraTable::Save() {
    if (!Active()) return;
    const bool pending = HasPendingChanges();
    if (State() == dsEdit || State() == dsInsert) Post();
    // What takes memory is done before the file is replaced: after it the
    // save has succeeded, whatever runs short.
    std::vector<TOstraDataset*> sharers;
    bool saved = false;
    try {
        sharers = Sharers();
        saved = SaveData();
    } catch (const std::bad_alloc&) {
        throw EOutOfMemory(SOutOfMemory);
    }
    if (saved) AcceptChanges();
    if (!pending || HasPendingChanges()) return;
    bool shared = FSource != nullptr;
    for (TOstraDataset* clone : Clones()) shared = shared || clone->Active();
    if (shared) {
        SettleSharers(sharers);
        return;
    }
    try {
        FollowStoreOrder();
    } catch (const Exception&) {
        // Its filter failed before, or its view is short of memory; the
        // saved data stand.
    } catch (const std::bad_alloc&) {}
}

void TOstraTable::CancelChanges() {
    const bool pending = Active() && HasPendingChanges();
    std::vector<TOstraDataset*> sharers;
    try {
        if (pending) sharers = Sharers();
    } catch (const std::bad_alloc&) {
        throw EOutOfMemory(SOutOfMemory);
    }
    inherited::CancelChanges();
    if (pending) SettleSharers(sharers);
}

void TOstraTable::CommitChanges() {
    const bool pending = Active() && HasPendingChanges();
    std::vector<TOstraDataset*> sharers;
    try {
        if (pending) sharers = Sharers();
    } catch (const std::bad_alloc&) {
        throw EOutOfMemory(SOutOfMemory);
    }
    inherited::CommitChanges();
    if (pending) SettleSharers(sharers);
}

void TOstraTable::CloseWithClones(TOstraDataset* DataSet) {
    if (!DataSet) return;
    // A clone leaves the list when it closes: walk a copy.
    for (TOstraDataset* clone : std::vector<TOstraDataset*>(DataSet->Clones())) CloseWithClones(clone);
    DataSet->Close();
}

// ---------------------------------------------------------------------------
// Notifications

void TOstraTable::Notification(TComponent* AComponent, TOperation Operation) {
    const bool database = Operation == opRemove && AComponent && AComponent == Database();
    inherited::Notification(AComponent, Operation);
    if (Operation != opRemove || !AComponent) return;
    if (AComponent == FCloneDS) {
        FCloneDS = nullptr;
        FLoadMode = lmClear;
        if (FSource == AComponent) {
            // The source and its store are going: close without touching them.
            FSource = nullptr;
            try {
                CloseWithClones(this);
            } catch (...) {}
            if (Active()) SetCursor(nullptr);
        }
    }
    if (database && Active()) {
        try {
            CloseWithClones(this);
        } catch (...) {}
    }
}

// ---------------------------------------------------------------------------

void TOstraTable::Publish(TPublisher<TOstraTable>& p) {
    p.Property("TableName", &TOstraTable::TableName, &TOstraTable::SetTableName);
    p.Property("LoadMode", &TOstraTable::LoadMode, &TOstraTable::SetLoadMode);
    p.Property("CloneDS", &TOstraTable::CloneDS, &TOstraTable::SetCloneDS);
    p.Property("FieldDefs", &TOstraTable::FieldDefs, &TOstraTable::SetFieldDefs);
    p.Property("StoreDefs", &TOstraTable::StoreDefs, &TOstraTable::SetStoreDefs);
    p.Property("CheckKeyViolation", &TOstraTable::CheckKeyViolation, &TOstraTable::SetCheckKeyViolation);
    p.Property("Password", &TOstraTable::Password, &TOstraTable::SetPassword);
}
