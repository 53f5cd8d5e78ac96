// The published grid's multi-selection (see qzgridselection.h).
#include "suite/grid/qzgridselection.h"

#include <algorithm>

#include "platform/db/dataset.h"
#include "suite/grid/qzdbgrid.h"

TDataSet* TqzGridSelection::DataSet() const {
    TqzGridDataLink* link = G.DataLink();
    return link && link->Active() ? link->DataSet() : nullptr;
}

int TqzGridSelection::Find(TDataSet* DS, const TBookmark& Bookmark) const {
    if (Bookmark.empty()) return -1;
    for (size_t i = 0; i < FList.size(); ++i)
        if (DS->CompareBookmarks(FList[i], Bookmark) == 0) return static_cast<int>(i);
    return -1;
}

void TqzGridSelection::Add(TDataSet* DS, const TBookmark& Bookmark) {
    if (Bookmark.empty() || Find(DS, Bookmark) >= 0) return;
    if (G.BehaviourFlag(9).AsBoolean()) {
        FList.push_back(Bookmark);
        return;
    }
    const auto at = std::lower_bound(
        FList.begin(), FList.end(), Bookmark,
        [DS](const TBookmark& a, const TBookmark& b) { return DS->CompareBookmarks(a, b) < 0; });
    FList.insert(at, Bookmark);
}

void TqzGridSelection::RedrawCurrentRow() {
    G.Invalidate();
    RefreshRowFlags();
}

bool TqzGridSelection::CurrentSelected() {
    TDataSet* ds = DataSet();
    if (!ds || FList.empty() || ds->State() == dsEdit || ds->State() == dsInsert || ds->IsEmpty())
        return false;
    return Find(ds, ds->Bookmark()) >= 0;
}

bool TqzGridSelection::RowSelected(int Row) const {
    return Row >= 0 && Row < static_cast<int>(FRowFlags.size()) && FRowFlags[static_cast<size_t>(Row)] == "T";
}

void TqzGridSelection::SelectCurrent() {
    TDataSet* ds = DataSet();
    if (!ds || ds->IsEmpty()) return;
    const TBookmark current = ds->Bookmark();
    FAnchor = current;
    if (Find(ds, current) >= 0) return;
    if (!G.DoMultiSelectRecord(true)) return;
    Add(ds, current);
    RedrawCurrentRow();
}

void TqzGridSelection::UnselectCurrent() {
    TDataSet* ds = DataSet();
    if (!ds || ds->IsEmpty()) return;
    if (!G.DoMultiSelectRecord(false)) return;
    const int at = Find(ds, ds->Bookmark());
    if (at >= 0) FList.erase(FList.begin() + at);
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
    for (const TBookmark& b : range)
        if (Find(ds, b) < 0 && G.DoMultiSelectRecord(true)) Add(ds, b);
    G.Invalidate();
    RefreshRowFlags();
}

void TqzGridSelection::UnselectRange(const TBookmark& Bookmark1, const TBookmark& Bookmark2) {
    TDataSet* ds = DataSet();
    if (!ds) return;
    const std::vector<TBookmark> range = Between(ds, Bookmark1, Bookmark2);
    for (size_t i = 0; i < FList.size();) {
        const TBookmark& b = FList[i];
        const bool inside = std::any_of(range.begin(), range.end(),
                                        [&](const TBookmark& r) { return ds->CompareBookmarks(r, b) == 0; });
        if (inside && G.DoMultiSelectRecord(false))
            FList.erase(FList.begin() + static_cast<long>(i));
        else
            ++i;
    }
    G.Invalidate();
    RefreshRowFlags();
}

bool TqzGridSelection::UnselectAll() {
    if (G.OnMultiSelectAllRecords() && !G.DoMultiSelectAllRecords(false)) return false;
    FList.clear();
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
    FList.erase(std::remove_if(FList.begin(), FList.end(),
                               [ds](const TBookmark& b) { return !ds->BookmarkValid(b); }),
                FList.end());
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
    std::stable_sort(FList.begin(), FList.end(),
                     [ds](const TBookmark& a, const TBookmark& b) { return ds->CompareBookmarks(a, b) < 0; });
}

void TqzGridSelection::Clear() {
    FList.clear();
    FAnchor.clear();
    FRowFlags.clear();
}
