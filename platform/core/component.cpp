// Components: ownership, names, notifications and loading states.
#include "platform/core/component.h"

#include <algorithm>

#include "platform/core/exceptions.h"

namespace {
bool IsIdentStart(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; }
bool IsIdentChar(char c) { return IsIdentStart(c) || (c >= '0' && c <= '9'); }

template <class T>
void Erase(std::vector<T*>& list, T* item) {
    list.erase(std::remove(list.begin(), list.end(), item), list.end());
}
}  // namespace

bool IsValidIdent(std::string_view name) {
    if (name.empty() || !IsIdentStart(name[0])) return false;
    return std::all_of(name.begin() + 1, name.end(), IsIdentChar);
}

void TComponent::Publish(TPublisher<TComponent>& p) {
    p.Property("Name", &TComponent::Name, &TComponent::SetName).SetTypeName("TComponentName");
    p.Property("Tag", &TComponent::Tag, &TComponent::SetTag);
}

TComponent::TComponent(TComponent* AOwner) {
    if (AOwner) AOwner->InsertComponent(this);
}

TComponent::~TComponent() {
    Destroying();
    RemoveFreeNotifications();
    DestroyComponents();
    if (FOwner) FOwner->RemoveComponent(this);
}

// ---- Name ---------------------------------------------------------------------

void TComponent::SetName(const std::string& NewName) {
    if (FName == NewName) return;
    if (!NewName.empty() && !IsValidIdent(NewName))
        throw EComponentError("Component name \"" + NewName + "\" is not valid");
    if (FOwner)
        FOwner->ValidateRename(this, FName, NewName);
    else
        ValidateRename(nullptr, FName, NewName);
    FName = NewName;
}

void TComponent::ValidateRename(TComponent* AComponent, const std::string& CurName,
                                const std::string& NewName) {
    // AComponent is owned by this component, or about to be (InsertComponent).
    if (AComponent && !SameName(CurName, NewName)) {
        TComponent* other = FindComponent(NewName);
        if (other && other != AComponent)
            throw EComponentError("A component named " + NewName + " already exists");
    }
}

// ---- Ownership --------------------------------------------------------------------

TComponent* TComponent::Components(int Index) const {
    if (Index < 0 || Index >= ComponentCount()) ListIndexError(Index);
    return FComponents[static_cast<size_t>(Index)];
}

TComponent* TComponent::FindComponent(const std::string& Name) const {
    if (Name.empty()) return nullptr;
    for (TComponent* c : FComponents)
        if (SameName(c->FName, Name)) return c;
    return nullptr;
}

int TComponent::ComponentIndex() const {
    if (!FOwner) return -1;
    auto it = std::find(FOwner->FComponents.begin(), FOwner->FComponents.end(), this);
    return it == FOwner->FComponents.end() ? -1 : static_cast<int>(it - FOwner->FComponents.begin());
}

void TComponent::SetComponentIndex(int Value) {
    if (!FOwner) return;
    auto& list = FOwner->FComponents;
    const int current = ComponentIndex();
    if (current < 0) return;
    Value = std::clamp(Value, 0, static_cast<int>(list.size()) - 1);
    if (Value == current) return;
    list.erase(list.begin() + current);
    list.insert(list.begin() + Value, this);
}

void TComponent::InsertComponent(TComponent* AComponent) {
    if (!AComponent || AComponent->FOwner == this) return;
    // Checked before leaving the former owner: a clash leaves it where it was.
    ValidateRename(AComponent, std::string(), AComponent->FName);
    if (AComponent->FOwner) AComponent->FOwner->RemoveComponent(AComponent);
    FComponents.push_back(AComponent);
    AComponent->FOwner = this;
    if (FComponentState.Contains(csDesigning)) AComponent->SetDesigning(true);
    if (FComponentState.Contains(csLoading)) AComponent->BeginLoading();
    Notification(AComponent, opInsert);
}

void TComponent::RemoveComponent(TComponent* AComponent) {
    if (!AComponent || AComponent->FOwner != this) return;
    Erase(FComponents, AComponent);
    AComponent->FOwner = nullptr;
    Notification(AComponent, opRemove);
}

void TComponent::DestroyComponents() {
    // The others hear of each one while it is still whole, then it goes.
    while (!FComponents.empty()) {
        TComponent* last = FComponents.back();
        last->Destroying();
        RemoveComponent(last);
        delete last;
    }
}

// ---- Notifications -------------------------------------------------------------------

void TComponent::FreeNotification(TComponent* AComponent) {
    if (!AComponent || AComponent == this) return;
    if (!FOwner || AComponent->FOwner != FOwner) {
        if (std::find(FFreeNotifies.begin(), FFreeNotifies.end(), AComponent) == FFreeNotifies.end()) {
            FFreeNotifies.push_back(AComponent);
            AComponent->FreeNotification(this);
        }
    }
    FComponentState.Include(csFreeNotification);
}

void TComponent::RemoveFreeNotification(TComponent* AComponent) {
    if (!AComponent) return;
    Erase(FFreeNotifies, AComponent);
    Erase(AComponent->FFreeNotifies, this);
}

void TComponent::RemoveFreeNotifications() {
    // Each partner is unhooked before it hears of this component, so a
    // partner whose Notification forgets inherited cannot loop.
    while (!FFreeNotifies.empty()) {
        TComponent* partner = FFreeNotifies.back();
        FFreeNotifies.pop_back();
        Erase(partner->FFreeNotifies, this);
        partner->Notification(this, opRemove);
    }
}

void TComponent::Notification(TComponent* AComponent, TOperation Operation) {
    if (Operation == opRemove && AComponent) RemoveFreeNotification(AComponent);
    // Backwards, and tolerant of components that leave while being told.
    size_t i = FComponents.size();
    while (i > 0) {
        --i;
        FComponents[i]->Notification(AComponent, Operation);
        if (i > FComponents.size()) i = FComponents.size();
    }
}

// ---- State ---------------------------------------------------------------------------

void TComponent::Destroying() {
    if (FComponentState.Contains(csDestroying)) return;
    FComponentState.Include(csDestroying);
    for (TComponent* c : FComponents) c->Destroying();
}

void TComponent::BeginLoading() {
    FComponentState += TComponentState{csLoading, csReading};
    for (TComponent* c : FComponents) c->BeginLoading();
}

void TComponent::CollectLoading(std::vector<TComponent*>& List) {
    if (FComponentState.Contains(csLoading)) List.push_back(this);
    for (TComponent* c : FComponents) c->CollectLoading(List);
}

void TComponent::EndLoading() {
    std::vector<TComponent*> loading;
    CollectLoading(loading);
    for (TComponent* c : loading) c->FComponentState.Exclude(csReading);
    for (TComponent* c : loading) {
        c->Loaded();
        c->FComponentState.Exclude(csLoading);
    }
}

void TComponent::Loaded() { FComponentState.Exclude(csLoading); }

void TComponent::SetDesigning(bool Value, bool SetChildren) {
    if (Value)
        FComponentState.Include(csDesigning);
    else
        FComponentState.Exclude(csDesigning);
    if (SetChildren)
        for (TComponent* c : FComponents) c->SetDesigning(Value);
}

void TComponent::Updating() { FComponentState.Include(csUpdating); }
void TComponent::Updated() { FComponentState.Exclude(csUpdating); }
