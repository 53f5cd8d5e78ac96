// The index combo: a drop-down list of a dataset's sort orders; picking an
// entry makes it the dataset's active index, keeping the current record.
#pragma once

#include <memory>
#include <string>

#include "platform/db/datasource.h"
#include "suite/edit/qzdbcombobox.h"

class TqzKeyCombo;

class TqzKeyDataLink : public TDataLink {
    TASKMOOR_CLASS(TqzKeyDataLink, TDataLink)
public:
    // A control's link: quiet while the dataset's controls are disabled.
    explicit TqzKeyDataLink(TqzKeyCombo* Combo) : FCombo(Combo) { SetVisualControl(true); }

protected:
    void ActiveChanged() override;
    void DataSetChanged() override;

private:
    TqzKeyCombo* FCombo;
};

class TqzKeyCombo : public TqzDBCustomComboBox {
    TASKMOOR_CLASS(TqzKeyCombo, TqzDBCustomComboBox)
public:
    explicit TqzKeyCombo(TComponent* AOwner);
    ~TqzKeyCombo() override;

    TDataSource* DataSource() const { return FKeyLink->DataSource(); }
    // A dataset without index information is refused with a warning box.
    void SetDataSource(TDataSource* Value);
    bool ShowAllIndexes() const { return FShowAllIndexes; }
    void SetShowAllIndexes(bool Value);
    const std::string& PrimaryKeyName() const { return FPrimaryKeyName; }
    void SetPrimaryKeyName(const std::string& Value) { FPrimaryKeyName = Value; }

    // Fills the list from the dataset; with a grid, only the fields its
    // Selected list names count as visible.
    void LoadIndexList(TComponent* Grid = nullptr);
    virtual void DataChanged();
    virtual bool IsIndexedDataSet(TDataSet* DataSet);
    void Change() override;
    void DropDown() override;
    void CloseUp(bool Accept) override;

    static void Publish(TPublisher<TqzKeyCombo>& p);

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    bool IsFieldSorted(TDataSet* DataSet);
    std::string FieldLabel(TDataSet* DataSet, const std::string& FieldName);
    void SelectEntry(const std::string& Text);

    std::unique_ptr<TqzKeyDataLink> FKeyLink;
    bool FShowAllIndexes = false;
    std::string FPrimaryKeyName = "PrimaryKey";
    bool FRebuilding = false;
    bool FAllFieldSorted = false;
    bool FDroppedDown = false;
    bool FBusy = false;
};
