// The field link's attach and release of its data source and its focus requests.
#include "platform/ui/field_link.h"

#include "platform/ui/controls.h"

TControlFieldLink::TControlFieldLink(TComponent* AControl) { SetControl(AControl); }

void TControlFieldLink::AttachDataSource(TDataSource* Value) {
    if (TDataSource* old = DataSource()) old->RemoveFreeNotification(Control());
    SetDataSource(Value);
    if (Value) Value->FreeNotification(Control());
}

void TControlFieldLink::DataSourceRemoved(TComponent* AComponent, TOperation Operation) {
    if (Operation == opRemove && AComponent && AComponent == DataSource()) SetDataSource(nullptr);
}

void TControlFieldLink::FocusControlOnRequest() {
    SetOnFocusControl(TEvent<TFieldDataLink*, bool&>(this, &TControlFieldLink::FocusRequest));
}

void TControlFieldLink::Release() {
    SetOnDataChange(nullptr);
    SetOnEditingChange(nullptr);
    SetOnUpdateData(nullptr);
    SetOnActiveChange(nullptr);
    SetOnFocusControl(nullptr);
    SetDataSource(nullptr);
}

void TControlFieldLink::FocusRequest(TFieldDataLink*, bool& Handled) {
    auto* control = dynamic_cast<TWinControl*>(Control());
    if (control && control->CanFocus()) {
        control->SetFocus();
        Handled = true;
    }
}
