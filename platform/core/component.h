// TComponent: the platform's owned, named, notified object.
//
// A component has an owner that frees it (owned components are freed in
// reverse order of insertion when the owner is destroyed), a Name unique
// among the owner's components, and free notifications: when a component is
// destroyed, its owner and the owner's other components, and every component
// that asked for a free notification, receive Notification(component,
// opRemove) so that they clear their references to it. Inserting a component
// into an owner sends opInsert the same way.
//
// Notification in a descendant must call inherited::Notification: the base
// forwards the message to the component's own components.
//
// Destruction: the base destructor sets csDestroying (here and in the owned
// components), tells the free-notification partners, frees the owned
// components (each leaves the list and the owner tree hears of it while it is
// still whole, then it is deleted) and finally leaves its own owner. C++ runs
// the most derived destructor first, so a class whose owned components use its
// own members while they are freed calls DestroyComponents() at the top of its
// destructor.
//
// Code-built forms stand in for the platform's form loading with
// BeginLoading/EndLoading: components inserted while their owner is loading
// are loading too, and EndLoading calls Loaded on the owner and then on each
// of them in order.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/core/enums.h"
#include "platform/core/object.h"
#include "platform/core/properties.h"

TASKMOOR_ENUM(TOperation, opInsert, opRemove)

TASKMOOR_ENUM(TComponentStateElement, csLoading, csReading, csWriting, csDestroying, csDesigning, csAncestor,
              csUpdating, csFixups, csFreeNotification, csInline, csDesignInstance)
using TComponentState = TSet<TComponentStateElement>;

// True for a valid identifier: a letter or "_" followed by letters,
// digits and "_".
bool IsValidIdent(std::string_view name);

class TComponent : public TPersistent {
    TASKMOOR_CLASS(TComponent, TPersistent)
public:
    explicit TComponent(TComponent* AOwner);
    ~TComponent() override;

    // ---- Name and tag (published) ----
    const std::string& Name() const { return FName; }
    // Raises EComponentError "Component name "%s" is not valid" for a
    // non-empty name that is no identifier, and "A component named %s
    // already exists" when another component of the owner has the name (any
    // case).
    virtual void SetName(const std::string& NewName);
    intptr_t Tag() const { return FTag; }
    void SetTag(intptr_t Value) { FTag = Value; }

    // ---- Ownership ----
    TComponent* Owner() const { return FOwner; }
    TPersistent* GetOwner() const override { return FOwner; }
    int ComponentCount() const { return static_cast<int>(FComponents.size()); }
    // Raises EListError "List index out of bounds (%d)" outside 0..Count-1.
    TComponent* Components(int Index) const;
    // The owned component named Name (any case); nullptr when none or Name is empty.
    TComponent* FindComponent(const std::string& Name) const;
    // Place in the owner's list; -1 without owner.
    int ComponentIndex() const;
    void SetComponentIndex(int Value);
    // Takes AComponent into this component's list (out of its former
    // owner's); sends opInsert.
    void InsertComponent(TComponent* AComponent);
    // Removes AComponent from the list without freeing it; sends opRemove.
    void RemoveComponent(TComponent* AComponent);
    // Frees every owned component, the last first.
    void DestroyComponents();

    // ---- Notifications ----
    // Asks that AComponent be notified when this component is freed, and
    // this one when AComponent is freed. Components of the same owner are
    // notified through the owner and are not recorded.
    void FreeNotification(TComponent* AComponent);
    void RemoveFreeNotification(TComponent* AComponent);
    // Told when AComponent is inserted into or removed from this
    // component's owner tree, or when a free-notification partner is freed.
    // The base forwards it to this component's own components.
    virtual void Notification(TComponent* AComponent, TOperation Operation);

    // ---- State ----
    TComponentState ComponentState() const { return FComponentState; }
    // Marks this component and its own components as being destroyed.
    void Destroying();
    // Marks this component and its own components as loading (csLoading,
    // csReading); components inserted while it loads are loading too.
    void BeginLoading();
    // Clears csReading and calls Loaded on this component and then on every
    // component that BeginLoading marked, in order of ownership.
    void EndLoading();
    // Sets or clears csDesigning here and, when SetChildren, in the owned
    // components.
    void SetDesigning(bool Value, bool SetChildren = true);
    // csUpdating on and off.
    virtual void Updating();
    virtual void Updated();

    static void Publish(TPublisher<TComponent>& p);

protected:
    // Called once loading ends; the base clears csLoading.
    virtual void Loaded();
    // Raises the duplicate-name error when AComponent (owned by this
    // component, or joining it) cannot be renamed from CurName to NewName.
    virtual void ValidateRename(TComponent* AComponent, const std::string& CurName,
                                const std::string& NewName);
    void IncludeState(TComponentStateElement Element) { FComponentState.Include(Element); }
    void ExcludeState(TComponentStateElement Element) { FComponentState.Exclude(Element); }

private:
    void CollectLoading(std::vector<TComponent*>& List);
    void RemoveFreeNotifications();

    TComponent* FOwner = nullptr;
    std::string FName;
    intptr_t FTag = 0;
    std::vector<TComponent*> FComponents;
    std::vector<TComponent*> FFreeNotifies;
    TComponentState FComponentState;
};
