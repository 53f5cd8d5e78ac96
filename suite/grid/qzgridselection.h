// The published grid's multi-selection: the selected records' bookmarks (in
// selection order, or sorted by the dataset's order when the grid's order
// switch is off), the anchor of the last range, and one "T"/"F" flag per
// visible row for drawing. Every change is offered to the grid's events
// first. A bookmark the dataset no longer knows is skipped where it is used
// and dropped from the list.
#pragma once

#include <string>
#include <vector>

#include "platform/db/dbtypes.h"

class TDataSet;
class TqzDBGrid;

class TqzGridSelection {
public:
    explicit TqzGridSelection(TqzDBGrid& Grid) : G(Grid) {}
    TqzGridSelection(const TqzGridSelection&) = delete;
    TqzGridSelection& operator=(const TqzGridSelection&) = delete;

    int Count() const { return static_cast<int>(FList.size()); }
    const TBookmark& Items(int Index) const { return FList[static_cast<size_t>(Index)]; }
    const TBookmark& Anchor() const { return FAnchor; }
    void SetAnchor(const TBookmark& Value) { FAnchor = Value; }
    const std::vector<std::string>& RowFlags() const { return FRowFlags; }

    // The record of Bookmark is in the selection.
    bool Holds(const TBookmark& Bookmark) const { return Find(Bookmark) != nullptr; }
    // The current record is selected (never while it is edited or inserted).
    bool CurrentSelected();
    bool RowSelected(int Row) const;
    void SelectCurrent();
    void UnselectCurrent();
    // Selects the records from one bookmark to the other, in dataset order.
    void SelectRange(const TBookmark& Bookmark1, const TBookmark& Bookmark2);
    void UnselectRange(const TBookmark& Bookmark1, const TBookmark& Bookmark2);
    // False when the grid's event refused.
    bool UnselectAll();
    // Rebuilds the visible rows' flags.
    void RefreshRowFlags();
    // Drops the bookmarks the dataset reports invalid and sorts the rest by
    // the dataset's order.
    void SortValid();
    // Forgets everything without asking (the dataset went away).
    void Clear();

private:
    TDataSet* DataSet() const;
    // The held bookmark equal to Bookmark (a binary search of FSorted); nullptr: none.
    const TBookmark* Find(const TBookmark& Bookmark) const;
    void Add(TDataSet* DS, const TBookmark& Bookmark);
    // Drops a held bookmark (one Find answered) from both lists.
    void Remove(const TBookmark& Held);
    // FSorted again from FList (after FList changed wholesale).
    void Resort();
    // Drops the bookmarks the dataset no longer knows, when its record count
    // changed since the last look or it no longer knows the first one
    // (asking about each bookmark is costly).
    void DropDeleted(TDataSet* DS);
    void RedrawCurrentRow();
    // The records from one bookmark to the other in dataset order (either
    // may come first); empty when one is invalid. The position is kept.
    std::vector<TBookmark> Between(TDataSet* DS, const TBookmark& Bookmark1, const TBookmark& Bookmark2);

    TqzDBGrid& G;
    std::vector<TBookmark> FList;
    // The same bookmarks in byte order, for lookups.
    std::vector<TBookmark> FSorted;
    int FCheckedCount = -1;
    TBookmark FAnchor;
    std::vector<std::string> FRowFlags;
};
