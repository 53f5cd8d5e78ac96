// An action's state setters that tell every linked control, and the offering of an
// action to the focused control or its data link on execute and update.
#include "platform/ui/actions.h"

#include <algorithm>

#include "platform/db/datasource.h"
#include "platform/ui/application.h"
#include "platform/ui/controls.h"
#include "platform/ui/imagelist.h"

TCustomAction::TCustomAction(TComponent* AOwner) : TComponent(AOwner) {}

TCustomAction::~TCustomAction() {
    for (TActionLink* link : FLinks) link->FAction = nullptr;
    FLinks.clear();
}

template <class F>
void TCustomAction::Tell(F Func) {
    const std::vector<TActionLink*> links = FLinks;
    for (TActionLink* link : links)
        if (std::find(FLinks.begin(), FLinks.end(), link) != FLinks.end()) Func(link);
}

void TCustomAction::SetCaption(const std::string& Value) {
    if (Value == FCaption) return;
    Tell([&](TActionLink* l) { l->SetCaption(Value); });
    FCaption = Value;
}

void TCustomAction::SetEnabled(bool Value) {
    if (Value == FEnabled) return;
    Tell([&](TActionLink* l) { l->SetEnabled(Value); });
    FEnabled = Value;
}

void TCustomAction::SetHint(const std::string& Value) {
    if (Value == FHint) return;
    Tell([&](TActionLink* l) { l->SetHint(Value); });
    FHint = Value;
}

void TCustomAction::SetVisible(bool Value) {
    if (Value == FVisible) return;
    Tell([&](TActionLink* l) { l->SetVisible(Value); });
    FVisible = Value;
}

void TCustomAction::SetChecked(bool Value) {
    if (Value == FChecked) return;
    Tell([&](TActionLink* l) { l->SetChecked(Value); });
    FChecked = Value;
}

void TCustomAction::SetGroupIndex(int Value) {
    if (Value == FGroupIndex) return;
    Tell([&](TActionLink* l) { l->SetGroupIndex(Value); });
    FGroupIndex = Value;
}

void TCustomAction::SetImageIndex(int Value) {
    if (Value == FImageIndex) return;
    Tell([&](TActionLink* l) { l->SetImageIndex(Value); });
    FImageIndex = Value;
}

void TCustomAction::SetImages(TImageList* Value) {
    if (FImages) FImages->RemoveFreeNotification(this);
    FImages = Value;
    if (Value) Value->FreeNotification(this);
}

void TCustomAction::Notification(TComponent* AComponent, TOperation Operation) {
    inherited::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FImages) FImages = nullptr;
}

namespace {
bool OfferToFocusedControl(TCustomAction* Action, unsigned Msg) {
    TWinControl* control = Screen ? Screen->ActiveControl() : nullptr;
    return control && control->Perform(Msg, 0, reinterpret_cast<LPARAM>(Action)) != 0;
}
}  // namespace

bool TCustomAction::Execute() {
    if (!FEnabled) return false;
    if (!FOnExecute.Assigned()) return OfferToFocusedControl(this, CM_ACTIONEXECUTE);
    FOnExecute(this);
    return true;
}

bool TCustomAction::Update() { return OfferToFocusedControl(this, CM_ACTIONUPDATE); }

bool OfferActionTo(TMessage& Message, TObject* Target) {
    auto* action = reinterpret_cast<TCustomAction*>(Message.LParam);
    if (!action || !Target || !action->HandlesTarget(Target)) return false;
    if (Message.Msg == CM_ACTIONEXECUTE)
        action->ExecuteTarget(Target);
    else
        action->UpdateTarget(Target);
    Message.Result = 1;
    return true;
}

bool OfferActionToDataLink(TMessage& Message, TDataLink* Link) {
    return Link && OfferActionTo(Message, Link->DataSource());
}

void TCustomAction::RegisterChanges(TActionLink* Link) {
    if (std::find(FLinks.begin(), FLinks.end(), Link) == FLinks.end()) FLinks.push_back(Link);
}

void TCustomAction::UnRegisterChanges(TActionLink* Link) { std::erase(FLinks, Link); }

void TCustomAction::Publish(TPublisher<TCustomAction>& p) {
    p.Property("Caption", &TCustomAction::Caption, &TCustomAction::SetCaption);
    p.Property("Checked", &TCustomAction::Checked, &TCustomAction::SetChecked);
    p.Property("Enabled", &TCustomAction::Enabled, &TCustomAction::SetEnabled);
    p.Property("GroupIndex", &TCustomAction::GroupIndex, &TCustomAction::SetGroupIndex);
    p.Property("Hint", &TCustomAction::Hint, &TCustomAction::SetHint);
    p.Property("ImageIndex", &TCustomAction::ImageIndex, &TCustomAction::SetImageIndex);
    p.Property("Visible", &TCustomAction::Visible, &TCustomAction::SetVisible);
    p.Property("OnExecute", &TCustomAction::OnExecute, &TCustomAction::SetOnExecute);
}

// ---- Links -------------------------------------------------------------------------------

TActionLink::~TActionLink() {
    if (FAction) FAction->UnRegisterChanges(this);
}

void TActionLink::SetAction(TCustomAction* Value) {
    if (Value == FAction) return;
    if (FAction) FAction->UnRegisterChanges(this);
    FAction = Value;
    if (Value) Value->RegisterChanges(this);
}

bool TActionLink::Execute() { return FAction && FAction->Execute(); }

bool TControlActionLink::IsCaptionLinked() {
    return TActionLink::IsCaptionLinked() && FClient->Caption() == FAction->Caption();
}
bool TControlActionLink::IsEnabledLinked() {
    return TActionLink::IsEnabledLinked() && FClient->Enabled() == FAction->Enabled();
}
bool TControlActionLink::IsHintLinked() {
    return TActionLink::IsHintLinked() && FClient->Hint() == FAction->Hint();
}
bool TControlActionLink::IsVisibleLinked() {
    return TActionLink::IsVisibleLinked() && FClient->Visible() == FAction->Visible();
}
void TControlActionLink::SetCaption(const std::string& Value) {
    if (IsCaptionLinked()) FClient->SetCaption(Value);
}
void TControlActionLink::SetEnabled(bool Value) {
    if (IsEnabledLinked()) FClient->SetEnabled(Value);
}
void TControlActionLink::SetHint(const std::string& Value) {
    if (IsHintLinked()) FClient->SetHint(Value);
}
void TControlActionLink::SetVisible(bool Value) {
    if (IsVisibleLinked()) FClient->SetVisible(Value);
}
