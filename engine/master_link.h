// TOstraMasterLink: the link of a detail engine dataset to its master.
//
// It follows the master's data source: when the master opens, closes or
// changes its layout, the master's fields named by MasterFields are looked
// up again; when the master moves to another record, or one of those fields
// changes, the detail's range becomes the master's key values
// (TOstraDataset::MasterChanged); when the master closes or the link ends,
// the detail shows all its records again (TOstraDataset::MasterDisabled).
#pragma once

#include <string>

#include "platform/db/datasource.h"

class TOstraDataset;

class TOstraMasterLink : public TMasterDataLink {
    TASKMOOR_CLASS(TOstraMasterLink, TMasterDataLink)
public:
    explicit TOstraMasterLink(TOstraDataset* ADetail);
    ~TOstraMasterLink() override;

    TOstraDataset* Detail() const { return FDetail; }
    // The master's field names, separated by ";".
    const std::string& MasterFields() const { return FieldNames(); }
    void SetMasterFields(const std::string& Value) { SetFieldNames(Value); }

private:
    void MasterChange(TObject* Sender);
    void MasterDisable(TObject* Sender);

    TOstraDataset* FDetail;
};
