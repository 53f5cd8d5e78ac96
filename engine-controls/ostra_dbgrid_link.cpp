// The engine grid's data link with its field map, and the selected-rows list.
#include <algorithm>

#include "engine-controls/engine_controls_messages.h"
#include "engine-controls/ostra_dbgrid.h"
#include "engine/ostra_dataset.h"
#include "platform/core/sysutils.h"
#include "platform/db/dataset.h"
#include "platform/db/dbconsts.h"
#include "platform/db/fields.h"

// ---- TGridDataLink -------------------------------------------------------------------------------

TGridDataLink::TGridDataLink(TOstraCustomDBGrid* Grid) : FGrid(Grid) { SetVisualControl(true); }

TGridDataLink::~TGridDataLink() { ClearMapping(); }

bool TGridDataLink::AddMapping(const std::string& FieldName) {
    if (FieldCount() >= MaxMapSize) throw EInvalidGridOperation(STooManyColumns);
    TField* field = nullptr;
    if (TDataSet* ds = DataSet()) field = FSparseMap ? ds->FindField(FieldName) : ds->FieldByName(FieldName);
    if (FFieldMap.size() == FFieldMap.capacity()) {
        const std::size_t n = FFieldMap.size();
        std::size_t grow = n == 0 ? 8 : std::max(n * 2, n + 1);
        grow = std::min<std::size_t>(grow, MaxMapSize);
        FFieldMap.reserve(grow);
    }
    FFieldMap.push_back(field ? field->Index() : -1);
    if (field) field->FreeNotification(FGrid);
    return true;
}

void TGridDataLink::ClearMapping() { FFieldMap.clear(); }

int TGridDataLink::FieldMapEntry(int I) const {
    if (I < 0 || I >= FieldCount()) return -1;
    return FFieldMap[static_cast<std::size_t>(I)];
}

TField* TGridDataLink::Fields(int I) const {
    const int index = FieldMapEntry(I);
    if (index < 0) return nullptr;
    TDataSet* ds = DataSet();
    if (!ds || index >= ds->Fields()->Count()) return nullptr;
    return ds->Fields()->Fields(index);
}

bool TGridDataLink::DefaultFields() const {
    TDataSet* ds = DataSet();
    if (!ds) return true;
    if (!ds->DefaultFields()) return false;
    if (FSparseMap)
        for (int entry : FFieldMap)
            if (entry < 0) return false;
    return true;
}

void TGridDataLink::Reset() {
    if (FModified) {
        RecordChanged(nullptr);
    } else if (TDataSet* ds = DataSet()) {
        ds->Cancel();
    }
}

void TGridDataLink::UpdateData() {
    FInUpdateData = true;
    try {
        if (FModified) FGrid->UpdateData();
        FModified = false;
    } catch (...) {
        FInUpdateData = false;
        throw;
    }
    FInUpdateData = false;
}

bool TGridDataLink::IsAggRow(int) const { return false; }

void TGridDataLink::ActiveChanged() {
    FGrid->LinkActive(Active());
    FModified = false;
}

void TGridDataLink::DataSetChanged() {
    FGrid->DataChanged();
    FModified = false;
}

void TGridDataLink::DataSetScrolled(int Distance) { FGrid->Scroll(Distance); }

void TGridDataLink::FocusControl(TField*& Field) {
    if (!Field) return;
    FGrid->SetSelectedField(Field);
    if (FGrid->SelectedField() != Field) return;
    if (!FGrid->ComponentState().Contains(csDesigning) && FGrid->CanFocus()) FGrid->SetFocus();
    if (FGrid->IsActiveControl()) {
        Field = nullptr;
        FGrid->ShowEditor();
    }
}

void TGridDataLink::EditingChanged() { FGrid->EditingChanged(); }

void TGridDataLink::LayoutChanged() {
    const bool was = FGrid->FLayoutFromDataset;
    FGrid->FLayoutFromDataset = true;
    try {
        FGrid->LayoutChanged();
    } catch (...) {
        FGrid->FLayoutFromDataset = was;
        throw;
    }
    FGrid->FLayoutFromDataset = was;
    TDataLink::LayoutChanged();
}

void TGridDataLink::RecordChanged(TField* Field) {
    FGrid->RecordChanged(Field);
    FModified = false;
}

// ---- TBookmarkList --------------------------------------------------------------------------------

TBookmarkList::TBookmarkList(TOstraCustomDBGrid* Grid) : FGrid(Grid) {}

TBookmarkList::~TBookmarkList() = default;

const TBookmark& TBookmarkList::Items(int Index) const {
    if (Index < 0 || Index >= Count()) throw EListError(Format("List index out of bounds (%d)", Index));
    return FList[static_cast<std::size_t>(Index)];
}

void TBookmarkList::Changed() {
    FCache.clear();
    FCacheIndex = -1;
    FCacheFind = false;
}

void TBookmarkList::Clear() {
    if (FList.empty()) return;
    FList.clear();
    Changed();
    FGrid->Invalidate();
    FGrid->FOnMultiSelectChanged(FGrid);
}

TBookmark TBookmarkList::CurrentRow() const {
    TDataSet* ds = FGrid->DataLink()->DataSet();
    if (!FLinkActive || !ds) throw EInvalidGridOperation(SDataSetClosed);
    return ds->Bookmark();
}

bool TBookmarkList::CurrentRowSelected() const {
    const TBookmark current = CurrentRow();
    if (current.empty()) return false;
    int index = 0;
    return Find(current, index);
}

void TBookmarkList::SetCurrentRowSelected(bool Value) {
    const TBookmark current = CurrentRow();
    if (current.empty()) return;
    int index = 0;
    if (Find(current, index) == Value) return;
    if (Value)
        FList.insert(FList.begin() + index, current);
    else
        FList.erase(FList.begin() + index);
    Changed();
    FGrid->InvalidateRow(FGrid->Row());
    FGrid->FOnMultiSelectChanged(FGrid);
}

int TBookmarkList::Compare(const TBookmark& Item1, const TBookmark& Item2) const {
    TDataSet* ds = FGrid->DataLink()->DataSet();
    if (!ds) return Item1.compare(Item2) < 0 ? -1 : (Item1 == Item2 ? 0 : 1);
    return ds->CompareBookmarks(Item1, Item2);
}

bool TBookmarkList::Find(const TBookmark& Item, int& Index) const {
    if (FCacheIndex >= 0 && Item == FCache) {
        Index = FCacheIndex;
        return FCacheFind;
    }
    bool found = false;
    int low = 0, high = Count() - 1;
    while (low <= high) {
        const int middle = (low + high) >> 1;
        const int c = Compare(FList[static_cast<std::size_t>(middle)], Item);
        if (c >= 0) {
            high = middle - 1;
            if (c == 0) {
                found = true;
                low = middle;
            }
        } else {
            low = middle + 1;
        }
    }
    Index = low;
    FCache = Item;
    FCacheIndex = Index;
    FCacheFind = found;
    return found;
}

void TBookmarkList::Delete() {
    TDataSet* ds = FGrid->DataLink()->DataSet();
    if (!ds || FList.empty()) return;
    ds->DisableControls();
    try {
        for (int i = Count() - 1; i >= 0; --i) {
            const TBookmark bookmark = FList[static_cast<std::size_t>(i)];
            // A record that left the view (deleted, filtered out) is not
            // found: the dataset would stay where it is, and that record
            // must not be deleted in its place.
            ds->GotoBookmark(bookmark);
            if (ds->CompareBookmarks(ds->Bookmark(), bookmark) == 0) ds->Delete();
            FList.erase(FList.begin() + i);
            Changed();
        }
    } catch (...) {
        ds->EnableControls();
        FGrid->FOnMultiSelectChanged(FGrid);
        throw;
    }
    ds->EnableControls();
    FGrid->FOnMultiSelectChanged(FGrid);
}

void TBookmarkList::DropReloaded() {
    const auto* ds = dynamic_cast<const TOstraDataset*>(FGrid->DataLink()->DataSet());
    if (!ds || FList.empty()) return;
    const auto end = std::remove_if(FList.begin(), FList.end(),
                                    [ds](const TBookmark& b) { return !ds->BookmarkOfStore(b); });
    if (end == FList.end()) return;
    FList.erase(end, FList.end());
    Changed();
    FGrid->Invalidate();
    FGrid->FOnMultiSelectChanged(FGrid);
}

void TBookmarkList::LinkActive(bool Value) {
    Clear();
    FLinkActive = Value;
}
