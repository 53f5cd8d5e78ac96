// The published grid's multi-selection (see qzgridselection.h).
#include "suite/grid/qzgridselection.h"

#include <algorithm>

#include "platform/db/dataset.h"
#include "suite/grid/qzdbgrid.h"

TDataSet* TqzGridSelection::DataSet() const {
    TqzGridDataLink* link = G.DataLink();
    return link && link->Active() ? link->DataSet() : nullptr;
}

namespace {
// Orders bookmarks as the dataset does (which may change with its view).
struct TBookmarkLess {
    TDataSet* DS;
    bool operator()(const TBookmark& A, const TBookmark& B) const { return DS->CompareBookmarks(A, B) < 0; }
};
}  // namespace

// A record's bookmarks are equal byte for byte; their byte order never
// changes, whatever order the dataset's view takes.
const TBookmark* TqzGridSelection::Find(const TBookmark& Bookmark) const {
    if (Bookmark.empty() || FSorted.empty()) return nullptr;
    const auto at = std::lower_bound(FSorted.begin(), FSorted.end(), Bookmark);
    return at != FSorted.end() && *at == Bookmark ? &*at : nullptr;
}

void TqzGridSelection::Add(TDataSet* DS, const TBookmark& Bookmark) {
    if (Bookmark.empty() || Find(Bookmark)) return;
    if (G.BehaviourFlag(9).AsBoolean())
        FList.push_back(Bookmark);
    else
        FList.insert(std::lower_bound(FList.begin(), FList.end(), Bookmark, TBookmarkLess{DS}), Bookmark);
    FSorted.insert(std::lower_bound(FSorted.begin(), FSorted.end(), Bookmark), Bookmark);
}

void TqzGridSelection::Remove(const TBookmark& Held) {
    const TBookmark copy = Held;
    const auto inList = std::find(FList.begin(), FList.end(), copy);
    if (inList != FList.end()) FList.erase(inList);
    const auto at = std::lower_bound(FSorted.begin(), FSorted.end(), copy);
    if (at != FSorted.end() && *at == copy) FSorted.erase(at);
}

void TqzGridSelection::Resort() {
    FSorted = FList;
    std::sort(FSorted.begin(), FSorted.end());
}

void TqzGridSelection::DropDeleted(TDataSet* DS) {
    // A reload keeps the count but leaves every bookmark naming no record:
    // the first held one tells.
    const int count = DS->RecordCount();
    if (count == FCheckedCount && (FList.empty() || DS->BookmarkValid(FList.front()))) return;
    FCheckedCount = count;
    const auto gone = [DS](const TBookmark& b) { return !DS->BookmarkValid(b); };
    const auto end = std::remove_if(FList.begin(), FList.end(), gone);
    if (end == FList.end()) return;
    FList.erase(end, FList.end());
    Resort();
}

void TqzGridSelection::RedrawCurrentRow() {
    G.Invalidate();
    RefreshRowFlags();
}

bool TqzGridSelection::CurrentSelected() {
    TDataSet* ds = DataSet();
    if (!ds || FList.empty() || ds->State() == dsEdit || ds->State() == dsInsert || ds->IsEmpty())
        return false;
    return Find(ds->Bookmark()) != nullptr;
}

bool TqzGridSelection::RowSelected(int Row) const {
    return Row >= 0 && Row < static_cast<int>(FRowFlags.size()) && FRowFlags[static_cast<size_t>(Row)] == "T";
}

void TqzGridSelection::SelectCurrent() {
    TDataSet* ds = DataSet();
    if (!ds || ds->IsEmpty()) return;
    const TBookmark current = ds->Bookmark();
    FAnchor = current;
    if (Find(current)) return;
    if (!G.DoMultiSelectRecord(true)) return;
    Add(ds, current);
    RedrawCurrentRow();
}

void TqzGridSelection::UnselectCurrent() {
    TDataSet* ds = DataSet();
    if (!ds || ds->IsEmpty()) return;
    if (!G.DoMultiSelectRecord(false)) return;
    if (const TBookmark* held = Find(ds->Bookmark())) Remove(*held);
    RedrawCurrentRow();
}

std::vector<TBookmark> TqzGridSelection::Between(TDataSet* DS, const TBookmark& Bookmark1,
                                                 const TBookmark& Bookmark2) {
    std::vector<TBookmark> result;
    if (Bookmark1.empty() || Bookmark2.empty() || !DS->BookmarkValid(Bookmark1) ||
        !DS->BookmarkValid(Bookmark2))
        return result;
    const TBookmark start = DS->Bookmark();
    const int row = G.DataLink()->ActiveRecord();
    DS->DisableControls();
    try {
        // Bookmarks order by record, not by the view: walk to find out.
        for (int pass = 0; pass < 2 && result.empty(); ++pass) {
            const TBookmark& from = pass == 0 ? Bookmark1 : Bookmark2;
            const TBookmark& to = pass == 0 ? Bookmark2 : Bookmark1;
            std::vector<TBookmark> walked;
            DS->GotoBookmark(from);
            while (!DS->Eof()) {
                walked.push_back(DS->Bookmark());
                if (DS->CompareBookmarks(walked.back(), to) == 0) {
                    result = std::move(walked);
                    break;
                }
                DS->Next();
            }
        }
        if (!start.empty() && DS->BookmarkValid(start)) DS->GotoBookmark(start);
        // Back in the same visible row as before.
        const int now = G.DataLink()->ActiveRecord();
        if (now != row) {
            DS->MoveBy(row - now);
            DS->MoveBy(now - row);
        }
    } catch (...) {
        DS->EnableControls();
        throw;
    }
    DS->EnableControls();
    return result;
}

void TqzGridSelection::SelectRange(const TBookmark& Bookmark1, const TBookmark& Bookmark2) {
    TDataSet* ds = DataSet();
    if (!ds) return;
    const std::vector<TBookmark> range = Between(ds, Bookmark1, Bookmark2);
    if (range.empty()) return;
    UnselectRange(Bookmark1, Bookmark2);
    // Added in walking order, then looked up sorted once.
    const size_t before = FList.size();
    for (const TBookmark& b : range)
        if (!Find(b) && G.DoMultiSelectRecord(true)) FList.push_back(b);
    if (FList.size() != before) {
        if (!G.BehaviourFlag(9).AsBoolean()) std::stable_sort(FList.begin(), FList.end(), TBookmarkLess{ds});
        Resort();
    }
    G.Invalidate();
    RefreshRowFlags();
}

void TqzGridSelection::UnselectRange(const TBookmark& Bookmark1, const TBookmark& Bookmark2) {
    TDataSet* ds = DataSet();
    if (!ds) return;
    std::vector<TBookmark> range = Between(ds, Bookmark1, Bookmark2);
    std::sort(range.begin(), range.end());
    const auto inside = [&](const TBookmark& b) { return std::binary_search(range.begin(), range.end(), b); };
    const size_t before = FList.size();
    FList.erase(std::remove_if(FList.begin(), FList.end(),
                               [&](const TBookmark& b) { return inside(b) && G.DoMultiSelectRecord(false); }),
                FList.end());
    if (FList.size() != before) Resort();
    G.Invalidate();
    RefreshRowFlags();
}

bool TqzGridSelection::UnselectAll() {
    if (G.OnMultiSelectAllRecords() && !G.DoMultiSelectAllRecords(false)) return false;
    FList.clear();
    FSorted.clear();
    std::fill(FRowFlags.begin(), FRowFlags.end(), "F");
    G.Invalidate();
    return true;
}

void TqzGridSelection::RefreshRowFlags() {
    TqzGridDataLink* link = G.DataLink();
    const int rows = link && link->Active() ? link->RecordCount() : 0;
    FRowFlags.assign(static_cast<size_t>(std::max(rows, 0)), "F");
    TDataSet* ds = DataSet();
    if (FList.empty() || !ds) return;
    // Records deleted since they were selected leave the list here.
    DropDeleted(ds);
    const int keep = link->ActiveRecord();
    for (int r = 0; r < rows; ++r) {
        link->SetActiveRecord(r);
        FRowFlags[static_cast<size_t>(r)] = CurrentSelected() ? "T" : "F";
    }
    link->SetActiveRecord(keep);
}

void TqzGridSelection::SortValid() {
    TDataSet* ds = DataSet();
    if (!ds) return;
    FList.erase(std::remove_if(FList.begin(), FList.end(),
                               [ds](const TBookmark& b) { return !ds->BookmarkValid(b); }),
                FList.end());
    std::stable_sort(FList.begin(), FList.end(), TBookmarkLess{ds});
    Resort();
}

void TqzGridSelection::Clear() {
    FList.clear();
    FSorted.clear();
    FCheckedCount = -1;
    FAnchor.clear();
    FRowFlags.clear();
}
