// TCollection and TCollectionItem: an ordered list of owned items of one
// class (grid columns, ...), each knowing its collection, index and ID.
//
// Every change (an item added, removed or moved, or an item's Changed)
// calls the collection's virtual Update: with the item when only it changed,
// with nullptr when the whole collection did. Between BeginUpdate and
// EndUpdate no Update is made; the outermost EndUpdate makes one
// Update(nullptr).
//
// The item class is given as a factory:
//   TOstraDBGridColumns(TOstraCustomDBGrid* Grid)
//       : TOwnedCollection(Grid, CollectionItemClass<TOstraColumn>()) {}
//
// The base destructor frees the items without calling Update; a collection
// whose Update or Notify uses its own members and must see the items go calls
// Clear() in its own destructor.
#pragma once

#include <string>
#include <vector>

#include "platform/core/enums.h"
#include "platform/core/object.h"

class TCollection;

// What happens to an item, as told to TCollection::Notify.
TASKMOOR_ENUM(TCollectionNotification, cnAdded, cnExtracting, cnDeleting)

class TCollectionItem : public TPersistent {
    TASKMOOR_CLASS(TCollectionItem, TPersistent)
public:
    // Joins Collection (when not nil) at the end.
    explicit TCollectionItem(TCollection* Collection);
    // Leaves the collection.
    ~TCollectionItem() override;

    TCollection* Collection() const { return FCollection; }
    // Moves the item to another collection (nil: out of any).
    virtual void SetCollection(TCollection* Value);
    // Unique within the collection, never reused; given when the item joins.
    int ID() const { return FID; }
    // Place in the collection; -1 without one.
    int Index() const;
    // Moves the item to Value; EListError "List index out of bounds (%d)"
    // outside 0..Count-1.
    virtual void SetIndex(int Value);
    std::string DisplayName() const { return GetDisplayName(); }
    virtual void SetDisplayName(const std::string& Value);
    TPersistent* GetOwner() const override;

protected:
    // Tells the collection: Update(this), or Update(nullptr) when AllItems.
    void Changed(bool AllItems);
    // The name shown for the item; the class name by default.
    virtual std::string GetDisplayName() const;

private:
    friend class TCollection;
    TCollection* FCollection = nullptr;
    int FID = 0;
};

// The item class of a collection: its metadata and how to make one.
struct TCollectionItemClass {
    const TClass* Class = nullptr;
    TCollectionItem* (*Create)(TCollection* Collection) = nullptr;
};
template <class T>
TCollectionItemClass CollectionItemClass() {
    return {T::StaticClass(), [](TCollection* c) -> TCollectionItem* { return new T(c); }};
}

class TCollection : public TPersistent {
    TASKMOOR_CLASS(TCollection, TPersistent)
public:
    explicit TCollection(TCollectionItemClass ItemClass);
    // Frees the items.
    ~TCollection() override;

    const TClass* ItemClass() const { return FItemClass.Class; }
    // The collection's owner (GetOwner); nullptr for a plain collection.
    TPersistent* Owner() const { return GetOwner(); }
    int Count() const { return static_cast<int>(FItems.size()); }
    // Raises EListError "List index out of bounds (%d)".
    TCollectionItem* Items(int Index) const;
    void SetItems(int Index, TCollectionItem* Value);  // assigns Value into the item

    // A new item of the item class at the end.
    TCollectionItem* Add();
    // A new item at Index.
    TCollectionItem* Insert(int Index);
    // Frees the item at Index.
    void Delete(int Index);
    // Frees every item (inside one update).
    void Clear();
    TCollectionItem* FindItemID(int ID) const;

    // Copies another collection's items (Assign of each new item).
    void Assign(TPersistent* Source) override;

    virtual void BeginUpdate();
    virtual void EndUpdate();
    int UpdateCount() const { return FUpdateCount; }

protected:
    // Update(nullptr) unless inside BeginUpdate/EndUpdate.
    void Changed();
    // Called after changes: Item alone changed, or nullptr for the whole.
    virtual void Update(TCollectionItem* Item);
    // Told of items added, being extracted or being deleted.
    virtual void Notify(TCollectionItem* Item, TCollectionNotification Action);

private:
    friend class TCollectionItem;
    void InsertItem(TCollectionItem* Item);
    void RemoveItem(TCollectionItem* Item);

    TCollectionItemClass FItemClass;
    std::vector<TCollectionItem*> FItems;
    int FUpdateCount = 0;
    int FNextID = 0;
};

// A collection that reports an owner (a grid for its columns).
class TOwnedCollection : public TCollection {
    TASKMOOR_CLASS(TOwnedCollection, TCollection)
public:
    TOwnedCollection(TPersistent* AOwner, TCollectionItemClass ItemClass)
        : TCollection(ItemClass), FOwner(AOwner) {}
    TPersistent* GetOwner() const override { return FOwner; }

private:
    TPersistent* FOwner;
};
