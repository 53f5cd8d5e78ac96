// The data link's field map and its notices handed on to the grid.
#include "suite/grid/qzgriddatalink.h"

#include <algorithm>

#include "platform/db/dataset.h"
#include "platform/db/fields.h"
#include "platform/ui/dialogs.h"
#include "suite/base/qzintl.h"
#include "suite/grid/qzdbigrd.h"
#include "suite/grid/qzdbigrd_impl.h"

TqzGridDataLink::TqzGridDataLink(TqzCustomDBGrid* AGrid) : FGrid(AGrid) { SetVisualControl(true); }

TqzGridDataLink::~TqzGridDataLink() { ClearMapping(); }

bool TqzGridDataLink::AddMapping(const std::string& FieldName) {
    if (FFieldCount >= MaxMapSize)
        throw EInvalidGridOperation("Grid requested to display more than 256 columns");
    TDataSet* dataSet = DataSet();
    TField* field = dataSet ? dataSet->FindField(FieldName) : nullptr;
    if (!field) return false;
    const int size = static_cast<int>(FFieldMap.size());
    if (size == 0) {
        FFieldMap.assign(8, 0);
    } else if (size == FFieldCount) {
        int grown = size * 2;
        if (grown > MaxMapSize || grown < FFieldCount) grown = MaxMapSize;
        FFieldMap.resize(static_cast<size_t>(grown), 0);
    }
    FFieldMap[static_cast<size_t>(FFieldCount)] = field->Index();
    ++FFieldCount;
    return true;
}

void TqzGridDataLink::ClearMapping() {
    if (FFieldMap.empty()) return;
    FFieldMap.clear();
    FFieldMap.shrink_to_fit();
    FFieldCount = 0;
}

TField* TqzGridDataLink::Fields(int I) const {
    if (I < 0 || I >= FFieldCount) return nullptr;
    TDataSet* dataSet = DataSet();
    const int index = FFieldMap[static_cast<size_t>(I)];
    if (!dataSet || index < 0 || index >= dataSet->Fields()->Count()) return nullptr;
    return (*dataSet->Fields())[index];
}

bool TqzGridDataLink::DefaultFields() const {
    TDataSet* dataSet = DataSet();
    return !dataSet || dataSet->DefaultFields();
}

void TqzGridDataLink::ActiveChanged() { FGrid->LinkActive(Active()); }

void TqzGridDataLink::DataSetChanged() {
    FGrid->DataChanged();
    FModified = false;
}

void TqzGridDataLink::DataSetScrolled(int Distance) { FGrid->Scroll(Distance); }

void TqzGridDataLink::EditingChanged() {
    FGrid->EditingChanged();
    if (DataSource() && dsEditModes.Contains(DataSource()->State()) && DataSource()->State() != dsSetKey)
        FGrid->FImpl->RecordEnteredEditing = true;
}

void TqzGridDataLink::FocusControl(TField*& Field) {
    if (!Field) return;
    for (int i = 0; i < FFieldCount; ++i)
        if (Fields(i) == Field) {
            FGrid->SelectDataColumn(i);
            break;
        }
    if (FGrid->SelectedField() == Field && FGrid->TakeFocus()) Field = nullptr;
}

void TqzGridDataLink::LayoutChanged() { FGrid->LayoutChanged(); }

void TqzGridDataLink::RecordChanged(TField* Field) {
    if (!Field || !FInUpdateData) {
        FGrid->RecordChanged(Field);
        FModified = false;
    }
    TDataSet* dataSet = DataSet();
    if (Field && dataSet && (dataSet->State() == dsEdit || dataSet->State() == dsInsert))
        FGrid->FieldChangedNotice(Field);
}

void TqzGridDataLink::UpdateData() {
    FInUpdateData = true;
    try {
        if (FModified) {
            FGrid->UpdateData();
            FGrid->AfterUpdateHook();
        }
    } catch (...) {
        // The edit stays pending: the editor keeps its text and the flag.
        FInUpdateData = false;
        throw;
    }
    FModified = false;
    FInUpdateData = false;
}

void TqzGridDataLink::Reset() {
    if (FModified) {
        RecordChanged(nullptr);
        return;
    }
    TDataSet* dataSet = DataSet();
    if (!dataSet) return;
    if ((dataSet->State() == dsEdit || dataSet->State() == dsInsert) && dataSet->Modified()) {
        std::string text = "Discard changes to this record?";
        if (qzIntl()) text = qzIntl()->UserMessages()->qzDBGridDiscardChanges();
        if (MessageDlg(text, mtConfirmation, {mbYes, mbNo}, 0) != mrYes) return;
    }
    dataSet->Cancel();
}
