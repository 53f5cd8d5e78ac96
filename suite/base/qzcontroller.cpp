// The list of controls that share a controller, and the setter that joins a control to
// one.
#include "suite/base/qzcontroller.h"

#include <algorithm>

#include "platform/core/properties.h"
#include "platform/core/sysutils.h"

TControl* TqzControlList::Items(int Index) const {
    if (Index < 0 || Index >= Count()) throw EListError(Format("List index out of bounds (%d)", Index));
    return FItems[static_cast<size_t>(Index)];
}

int TqzControlList::IndexOf(const TControl* Control) const {
    const auto it = std::find(FItems.begin(), FItems.end(), Control);
    return it == FItems.end() ? -1 : static_cast<int>(it - FItems.begin());
}

void TqzControlList::Add(TControl* Control) {
    if (!Control || IndexOf(Control) >= 0) return;
    FItems.push_back(Control);
    if (FController) FController->FreeNotification(Control);
}

void TqzControlList::Remove(const TComponent* Control) {
    std::erase_if(FItems, [Control](TControl* item) { return static_cast<TComponent*>(item) == Control; });
}

TqzController::TqzController(TComponent* AOwner)
    : TComponent(AOwner),
      FFrame(new TqzEditFrame(nullptr)),
      FButtonEffects(new TqzButtonEffects(nullptr, nullptr)),
      FControlList(new TqzControlList(this)) {}

TqzController::~TqzController() {
    Destroying();
    // Controls still using this controller let go of it.
    const int count = FControlList->Count();
    std::vector<TControl*> users;
    for (int i = 0; i < count; ++i) users.push_back(FControlList->Items(i));
    FControlList->Clear();
    for (TControl* control : users) {
        const TPropInfo* info = GetPropInfo(control, "Controller");
        if (!info || info->Kind != tkClass || !info->SetObject) continue;
        if (GetObjectProp(control, info) != this) continue;
        try {
            SetObjectProp(control, info, nullptr);
        } catch (const Exception&) {
            // a control that refuses nil keeps its free notification
        }
    }
    delete FControlList;
    delete FButtonEffects;
    delete FFrame;
}

void TqzController::Notification(TComponent* AComponent, TOperation Operation) {
    TComponent::Notification(AComponent, Operation);
    // Also while this controller is being destroyed: its owner marks it so
    // before it frees the controls that come before it.
    // By address: a control being freed is no longer a TControl here.
    if (Operation == opRemove) FControlList->Remove(AComponent);
}

void TqzController::Publish(TPublisher<TqzController>& p) {
    p.Property("Frame", &TqzController::Frame, &TqzController::SetFrame);
    p.Property("ButtonEffects", &TqzController::ButtonEffects, &TqzController::SetButtonEffects);
    p.Property("ControlList", &TqzController::ControlList);
}

void qzSetController(TqzController*& Controller, TqzController* NewController, TControl* Control) {
    if (NewController) NewController->FreeNotification(Control);
    if (NewController == Controller) return;
    if (Controller) Controller->ControlList()->Remove(Control);
    Controller = NewController;
    if (!NewController) return;
    NewController->ControlList()->Add(Control);
    if (TqzEditFrame* frame = qzGetControlEditFrame(Control)) frame->Assign(NewController->Frame());
}
