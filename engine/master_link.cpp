// The master link's forwarding of master changes and closes to its detail dataset.
#include "engine/master_link.h"

#include "engine/ostra_dataset.h"

TOstraMasterLink::TOstraMasterLink(TOstraDataset* ADetail) : TMasterDataLink(ADetail), FDetail(ADetail) {
    SetOnMasterChange(MakeEvent(this, &TOstraMasterLink::MasterChange));
    SetOnMasterDisable(MakeEvent(this, &TOstraMasterLink::MasterDisable));
}

TOstraMasterLink::~TOstraMasterLink() {
    // Leaving the source must not touch a detail that is going away.
    SetOnMasterChange(nullptr);
    SetOnMasterDisable(nullptr);
    SetDataSource(nullptr);
}

void TOstraMasterLink::MasterChange(TObject*) {
    if (!FDetail || !FDetail->Active() || FDetail->RangeFieldNames().empty()) return;
    FDetail->MasterChanged();
}

void TOstraMasterLink::MasterDisable(TObject*) {
    if (!FDetail || !FDetail->Active() || !FDetail->RangeActive()) return;
    FDetail->MasterDisabled();
}
