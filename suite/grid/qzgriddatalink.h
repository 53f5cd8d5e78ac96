// TqzGridDataLink: binds a TqzCustomDBGrid to its data source. It hands the
// platform's data-link notices to the grid, keeps the field map (for each
// data column, the position of its field in the dataset's Fields), knows
// whether the in-place editor holds an unsaved change, and offers the
// confirmation-guarded reset of the Escape key.
#pragma once

#include <string>
#include <vector>

#include "platform/db/datasource.h"

class TqzCustomDBGrid;

class TqzGridDataLink : public TDataLink {
    TASKMOOR_CLASS(TqzGridDataLink, TDataLink)
public:
    // The most fields the map holds.
    static constexpr int MaxMapSize = 16380;

    explicit TqzGridDataLink(TqzCustomDBGrid* AGrid);
    ~TqzGridDataLink() override;

    TqzCustomDBGrid* Grid() const { return FGrid; }
    int FieldCount() const { return FFieldCount; }
    int FieldMapSize() const { return static_cast<int>(FFieldMap.size()); }
    bool Modified() const { return FModified; }
    bool InUpdateData() const { return FInUpdateData; }

    // Appends the dataset's field of that name; False when there is none.
    // A full map raises EInvalidGridOperation before the name is looked up.
    bool AddMapping(const std::string& FieldName);
    void ClearMapping();
    // The field shown in data column I; nullptr at or beyond FieldCount.
    TField* Fields(int I) const;
    // True without a dataset.
    bool DefaultFields() const;
    // The in-place editor's text changed.
    void SetModified() { FModified = true; }
    // Escape: reloads a modified editor, else cancels the record (asking
    // first when the record was changed).
    void Reset();

protected:
    void ActiveChanged() override;
    void DataSetChanged() override;
    void DataSetScrolled(int Distance) override;
    void EditingChanged() override;
    void FocusControl(TField*& Field) override;
    void LayoutChanged() override;
    void RecordChanged(TField* Field) override;
    void UpdateData() override;

private:
    TqzCustomDBGrid* FGrid;
    int FFieldCount = 0;
    bool FModified = false;
    bool FInUpdateData = false;
    std::vector<int> FFieldMap;  // its size is the allocated size
};

// Keeps the data link's active record and puts it back.
struct TqzActiveRecordKeeper {
    explicit TqzActiveRecordKeeper(TqzGridDataLink* ALink) : Link(ALink), Saved(ALink->ActiveRecord()) {}
    ~TqzActiveRecordKeeper() { Link->SetActiveRecord(Saved); }
    TqzGridDataLink* Link;
    int Saved;
};
