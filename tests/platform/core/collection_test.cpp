// Collections: items, indexes, IDs and update notifications.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/core/collection.h"
#include "platform/core/exceptions.h"

namespace {

class TColumn : public TCollectionItem {
    TASKMOOR_CLASS(TColumn, TCollectionItem)
public:
    explicit TColumn(TCollection* Collection) : TCollectionItem(Collection) {}
    const std::string& FieldName() const { return FFieldName; }
    void SetFieldName(const std::string& Value) {
        FFieldName = Value;
        Changed(false);
    }
    void Assign(TPersistent* Source) override {
        if (auto* column = dynamic_cast<TColumn*>(Source)) {
            SetFieldName(column->FieldName());
            return;
        }
        inherited::Assign(Source);
    }

protected:
    std::string GetDisplayName() const override {
        return FFieldName.empty() ? inherited::GetDisplayName() : FFieldName;
    }

private:
    std::string FFieldName;
};

class TColumns : public TOwnedCollection {
    TASKMOOR_CLASS(TColumns, TOwnedCollection)
public:
    explicit TColumns(TPersistent* Owner) : TOwnedCollection(Owner, CollectionItemClass<TColumn>()) {}
    TColumn* Add() { return static_cast<TColumn*>(TCollection::Add()); }
    TColumn* operator[](int i) const { return static_cast<TColumn*>(Items(i)); }

    std::vector<TCollectionItem*> Updates;  // argument of each Update
    std::vector<std::string> Notes;         // Notify actions

protected:
    void Update(TCollectionItem* Item) override { Updates.push_back(Item); }
    void Notify(TCollectionItem* Item, TCollectionNotification Action) override {
        Notes.push_back(EnumInfoOf(Action).NameOf(Action) + ":" + std::to_string(Item->ID()));
    }
};

std::vector<std::string> Names(const TColumns& c) {
    std::vector<std::string> names;
    for (int i = 0; i < c.Count(); ++i) names.push_back(c[i]->FieldName());
    return names;
}

TColumns* MakeColumns(TPersistent* owner, std::initializer_list<const char*> names) {
    auto* c = new TColumns(owner);
    for (const char* n : names) c->Add()->SetFieldName(n);
    c->Updates.clear();
    c->Notes.clear();
    return c;
}

TEST(CollectionTest, AddGivesItemsOfTheItemClassWithRisingIds) {
    TPersistent owner;
    TColumns c(&owner);
    EXPECT_EQ(c.ItemClass(), TColumn::StaticClass());
    EXPECT_EQ(c.Owner(), &owner);
    EXPECT_EQ(c.GetOwner(), &owner);
    TColumn* a = c.Add();
    TColumn* b = c.Add();
    EXPECT_EQ(a->ClassName(), "TColumn");
    EXPECT_EQ(c.Count(), 2);
    EXPECT_EQ(a->ID(), 0);
    EXPECT_EQ(b->ID(), 1);
    EXPECT_EQ(a->Index(), 0);
    EXPECT_EQ(b->Index(), 1);
    EXPECT_EQ(a->Collection(), &c);
    EXPECT_EQ(a->GetOwner(), &c);
    EXPECT_EQ(c.FindItemID(1), b);
    EXPECT_EQ(c.FindItemID(7), nullptr);
    // Each addition is one Update of the whole collection.
    EXPECT_EQ(c.Updates, (std::vector<TCollectionItem*>{nullptr, nullptr}));
    EXPECT_EQ(c.Notes, (std::vector<std::string>{"cnAdded:0", "cnAdded:1"}));
}

TEST(CollectionTest, IdsAreNeverReused) {
    std::unique_ptr<TColumns> c(MakeColumns(nullptr, {"A", "B"}));
    c->Delete(1);
    EXPECT_EQ(c->Add()->ID(), 2);
}

TEST(CollectionTest, ItemChangeUpdatesThatItemOnly) {
    std::unique_ptr<TColumns> c(MakeColumns(nullptr, {"A", "B"}));
    (*c)[1]->SetFieldName("Bee");
    EXPECT_EQ(c->Updates, (std::vector<TCollectionItem*>{(*c)[1]}));
}

TEST(CollectionTest, DisplayName) {
    TColumns c(nullptr);
    TColumn* a = c.Add();
    EXPECT_EQ(a->DisplayName(), "TColumn");
    a->SetFieldName("Priority");
    EXPECT_EQ(a->DisplayName(), "Priority");
}

TEST(CollectionTest, SetIndexMovesTheItem) {
    std::unique_ptr<TColumns> c(MakeColumns(nullptr, {"A", "B", "C", "D"}));
    TColumn* d = (*c)[3];
    d->SetIndex(1);
    EXPECT_EQ(Names(*c), (std::vector<std::string>{"A", "D", "B", "C"}));
    EXPECT_EQ(d->Index(), 1);
    EXPECT_EQ((*c)[2]->Index(), 2);
    EXPECT_EQ(c->Updates, (std::vector<TCollectionItem*>{nullptr}));
    (*c)[0]->SetIndex(3);
    EXPECT_EQ(Names(*c), (std::vector<std::string>{"D", "B", "C", "A"}));
    // Moving to its own place changes nothing.
    c->Updates.clear();
    (*c)[2]->SetIndex(2);
    EXPECT_TRUE(c->Updates.empty());
    // IDs travel with the items.
    EXPECT_EQ(c->FindItemID(3), (*c)[0]);
}

TEST(CollectionTest, SetIndexOutOfRange) {
    std::unique_ptr<TColumns> c(MakeColumns(nullptr, {"A", "B"}));
    try {
        (*c)[0]->SetIndex(2);
        FAIL() << "no exception";
    } catch (const EListError& e) {
        EXPECT_EQ(e.Message(), "List index out of bounds (2)");
    }
    EXPECT_THROW((*c)[0]->SetIndex(-1), EListError);
    EXPECT_EQ(Names(*c), (std::vector<std::string>{"A", "B"}));
}

TEST(CollectionTest, InsertPlacesTheNewItem) {
    std::unique_ptr<TColumns> c(MakeColumns(nullptr, {"A", "B"}));
    auto* x = static_cast<TColumn*>(c->Insert(0));
    x->SetFieldName("X");
    EXPECT_EQ(Names(*c), (std::vector<std::string>{"X", "A", "B"}));
    EXPECT_THROW(c->Insert(9), EListError);
    EXPECT_EQ(c->Count(), 3);
}

TEST(CollectionTest, DeleteAndDestroyRemoveTheItem) {
    std::unique_ptr<TColumns> c(MakeColumns(nullptr, {"A", "B", "C"}));
    c->Delete(1);
    EXPECT_EQ(Names(*c), (std::vector<std::string>{"A", "C"}));
    EXPECT_EQ(c->Notes, (std::vector<std::string>{"cnDeleting:1", "cnExtracting:1"}));
    EXPECT_EQ(c->Updates, (std::vector<TCollectionItem*>{nullptr}));
    delete (*c)[0];
    EXPECT_EQ(Names(*c), (std::vector<std::string>{"C"}));
    EXPECT_EQ((*c)[0]->Index(), 0);
    EXPECT_THROW(c->Delete(1), EListError);
    EXPECT_THROW(c->Items(-1), EListError);
}

TEST(CollectionTest, ClearIsOneUpdate) {
    std::unique_ptr<TColumns> c(MakeColumns(nullptr, {"A", "B", "C"}));
    c->Clear();
    EXPECT_EQ(c->Count(), 0);
    EXPECT_EQ(c->Updates, (std::vector<TCollectionItem*>{nullptr}));
    c->Updates.clear();
    c->Clear();  // already empty: nothing
    EXPECT_TRUE(c->Updates.empty());
}

TEST(CollectionTest, BeginUpdateDefersToOneUpdateAtTheOutermostEnd) {
    std::unique_ptr<TColumns> c(MakeColumns(nullptr, {"A", "B"}));
    c->BeginUpdate();
    c->BeginUpdate();
    c->Add()->SetFieldName("C");
    (*c)[0]->SetFieldName("A2");
    (*c)[2]->SetIndex(0);
    c->Delete(1);
    EXPECT_TRUE(c->Updates.empty());
    c->EndUpdate();
    EXPECT_TRUE(c->Updates.empty());
    EXPECT_EQ(c->UpdateCount(), 1);
    c->EndUpdate();
    EXPECT_EQ(c->Updates, (std::vector<TCollectionItem*>{nullptr}));
    EXPECT_EQ(Names(*c), (std::vector<std::string>{"C", "B"}));
}

TEST(CollectionTest, AssignCopiesItemsInOneUpdate) {
    std::unique_ptr<TColumns> src(MakeColumns(nullptr, {"A", "B"}));
    std::unique_ptr<TColumns> dst(MakeColumns(nullptr, {"X", "Y", "Z"}));
    dst->Assign(src.get());
    EXPECT_EQ(Names(*dst), (std::vector<std::string>{"A", "B"}));
    EXPECT_EQ(dst->Updates, (std::vector<TCollectionItem*>{nullptr}));
    TPersistent other;
    EXPECT_THROW(dst->Assign(&other), EConvertError);
}

TEST(CollectionTest, SetCollectionMovesAnItemBetweenCollections) {
    std::unique_ptr<TColumns> a(MakeColumns(nullptr, {"A1", "A2"}));
    std::unique_ptr<TColumns> b(MakeColumns(nullptr, {"B1"}));
    TColumn* moved = (*a)[0];
    moved->SetCollection(b.get());
    EXPECT_EQ(Names(*a), (std::vector<std::string>{"A2"}));
    EXPECT_EQ(Names(*b), (std::vector<std::string>{"B1", "A1"}));
    EXPECT_EQ(moved->Collection(), b.get());
    moved->SetCollection(nullptr);
    EXPECT_EQ(moved->Index(), -1);
    delete moved;
}

TEST(CollectionTest, ItemsOfAFreedCollectionAreFreed) {
    static int alive = 0;
    class TCounted : public TCollectionItem {
    public:
        explicit TCounted(TCollection* c) : TCollectionItem(c) { ++alive; }
        ~TCounted() override { --alive; }
    };
    {
        TCollection c(CollectionItemClass<TCounted>());
        c.Add();
        c.Add();
        EXPECT_EQ(alive, 2);
    }
    EXPECT_EQ(alive, 0);
}

}  // namespace
