// Components: ownership, names, free notifications and states.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/core/component.h"
#include "platform/core/exceptions.h"

namespace {

std::vector<std::string> destroyed;  // names in order of destruction

class TProbe : public TComponent {
    TASKMOOR_CLASS(TProbe, TComponent)
public:
    explicit TProbe(TComponent* AOwner, const std::string& AName = "") : TComponent(AOwner) {
        if (!AName.empty()) SetName(AName);
    }
    // Records the name, marked when a partner reference is still held.
    ~TProbe() override { destroyed.push_back(Name() + (Partner ? "(partner)" : "")); }

    // A reference to another component, cleared by its removal.
    TComponent* Partner = nullptr;
    std::vector<std::string> Heard;  // "+Name" inserted, "-Name" removed
    int LoadedCalls = 0;
    TComponentState StateWhenLoaded;
    bool PartnerWasDestroying = false;

    void Notification(TComponent* AComponent, TOperation Operation) override {
        inherited::Notification(AComponent, Operation);
        Heard.push_back((Operation == opInsert ? "+" : "-") + AComponent->Name());
        if (Operation == opRemove && AComponent == Partner) {
            PartnerWasDestroying = AComponent->ComponentState().Contains(csDestroying);
            Partner = nullptr;
        }
    }

protected:
    void Loaded() override {
        StateWhenLoaded = ComponentState();
        ++LoadedCalls;
        inherited::Loaded();
    }
};

class ComponentTest : public ::testing::Test {
protected:
    void SetUp() override { destroyed.clear(); }
};

TEST_F(ComponentTest, ClassAndPublishedProperties) {
    TProbe p(nullptr, "Probe1");
    EXPECT_TRUE(p.InheritsFrom("TComponent"));
    EXPECT_TRUE(p.InheritsFrom("TPersistent"));
    EXPECT_EQ(GetStrProp(&p, "Name"), "Probe1");
    SetStrProp(&p, "name", "Renamed");
    EXPECT_EQ(p.Name(), "Renamed");
    SetOrdProp(&p, "Tag", 42);
    EXPECT_EQ(p.Tag(), 42);
    EXPECT_EQ(GetOrdProp(&p, "TAG"), 42);
}

TEST_F(ComponentTest, OwnerFreesOwnedComponentsLastFirst) {
    auto* owner = new TProbe(nullptr, "Owner");
    auto* a = new TProbe(owner, "A");
    auto* b = new TProbe(owner, "B");
    new TProbe(a, "AChild");
    EXPECT_EQ(owner->ComponentCount(), 2);
    EXPECT_EQ(owner->Components(0), a);
    EXPECT_EQ(owner->Components(1), b);
    EXPECT_EQ(a->Owner(), owner);
    delete owner;
    // Each destructor body runs before its base frees the owned components.
    EXPECT_EQ(destroyed, (std::vector<std::string>{"Owner", "B", "A", "AChild"}));
}

TEST_F(ComponentTest, ComponentsOutOfRange) {
    TProbe owner(nullptr);
    try {
        owner.Components(0);
        FAIL() << "no exception";
    } catch (const EListError& e) {
        EXPECT_EQ(e.Message(), "List index out of bounds (0)");
    }
}

TEST_F(ComponentTest, FreedComponentClearsSiblingReferences) {
    TProbe owner(nullptr, "Owner");
    auto* source = new TProbe(&owner, "Source");
    auto* grid = new TProbe(&owner, "Grid");
    auto* edit = new TProbe(&owner, "Edit");
    grid->Partner = source;
    edit->Partner = source;
    delete source;
    EXPECT_EQ(grid->Partner, nullptr);
    EXPECT_EQ(edit->Partner, nullptr);
    EXPECT_EQ(owner.ComponentCount(), 2);
    EXPECT_EQ(owner.FindComponent("Source"), nullptr);
    // The owner and each remaining sibling heard of the removal once.
    EXPECT_EQ(grid->Heard.back(), "-Source");
    EXPECT_EQ(std::count(edit->Heard.begin(), edit->Heard.end(), "-Source"), 1);
    EXPECT_EQ(owner.Heard.back(), "-Source");
}

TEST_F(ComponentTest, RemovalReachesComponentsOwnedDeeper) {
    TProbe form(nullptr, "Form");
    auto* panel = new TProbe(&form, "Panel");
    auto* edit = new TProbe(panel, "Edit");
    auto* source = new TProbe(&form, "Source");
    edit->Partner = source;
    delete source;
    EXPECT_EQ(edit->Partner, nullptr);
    EXPECT_EQ(panel->ComponentCount(), 1);
}

TEST_F(ComponentTest, FreeNotificationAcrossOwners) {
    auto* form1 = new TProbe(nullptr, "Form1");
    auto* form2 = new TProbe(nullptr, "Form2");
    auto* table = new TProbe(form1, "Table");
    auto* grid = new TProbe(form2, "Grid");
    grid->Partner = table;
    table->FreeNotification(grid);
    EXPECT_TRUE(table->ComponentState().Contains(csFreeNotification));
    delete table;
    EXPECT_EQ(grid->Partner, nullptr);
    EXPECT_TRUE(grid->PartnerWasDestroying);
    EXPECT_EQ(std::count(grid->Heard.begin(), grid->Heard.end(), "-Table"), 1);

    // The partnership works both ways: freeing the grid tells the other side.
    auto* table2 = new TProbe(form1, "Table2");
    table2->Partner = grid;
    grid->FreeNotification(table2);
    delete form2;
    EXPECT_EQ(table2->Partner, nullptr);
    delete form1;
}

TEST_F(ComponentTest, RemoveFreeNotificationStopsTheMessage) {
    TProbe form1(nullptr, "Form1");
    TProbe form2(nullptr, "Form2");
    auto* table = new TProbe(&form1, "Table");
    auto* grid = new TProbe(&form2, "Grid");
    table->FreeNotification(grid);
    table->RemoveFreeNotification(grid);
    grid->Partner = table;
    delete table;
    EXPECT_EQ(grid->Partner, table);  // not told
}

TEST_F(ComponentTest, OwnerFreeingChildrenNotifiesTheRemainingOnes) {
    auto* owner = new TProbe(nullptr, "Owner");
    auto* first = new TProbe(owner, "First");
    auto* second = new TProbe(owner, "Second");
    // Second goes first; First hears of it and drops its reference before
    // its own destructor could use it.
    first->Partner = second;
    second->Partner = first;
    delete owner;
    EXPECT_EQ(destroyed, (std::vector<std::string>{"Owner", "Second(partner)", "First"}));
}

TEST_F(ComponentTest, InsertSendsOpInsertToOwnerTree) {
    TProbe owner(nullptr, "Owner");
    auto* a = new TProbe(&owner, "A");
    auto* b = new TProbe(&owner);
    b->SetName("B");
    EXPECT_EQ(a->Heard, (std::vector<std::string>{"+"}));  // B had no name yet when inserted
    EXPECT_EQ(owner.Heard, (std::vector<std::string>{"+", "+"}));
}

TEST_F(ComponentTest, NamesAreValidatedAndUniqueWithinOwner) {
    TProbe owner(nullptr, "Owner");
    auto* a = new TProbe(&owner, "Edit1");
    auto* b = new TProbe(&owner, "Edit2");
    try {
        b->SetName("EDIT1");
        FAIL() << "no exception";
    } catch (const EComponentError& e) {
        EXPECT_EQ(e.Message(), "A component named EDIT1 already exists");
    }
    EXPECT_EQ(b->Name(), "Edit2");
    try {
        b->SetName("1Edit");
        FAIL() << "no exception";
    } catch (const EComponentError& e) {
        EXPECT_EQ(e.Message(), "Component name \"1Edit\" is not valid");
    }
    EXPECT_THROW(b->SetName("Edit 3"), EComponentError);
    EXPECT_THROW(b->SetName("Edit-3"), EComponentError);
    a->SetName("edit1");  // its own name in another case
    EXPECT_EQ(a->Name(), "edit1");
    b->SetName("");  // an empty name is allowed and never clashes
    auto* c = new TProbe(&owner);
    EXPECT_EQ(c->Name(), "");
    b->SetName("_Edit_3");
    EXPECT_EQ(owner.FindComponent("_EDIT_3"), b);
    EXPECT_EQ(owner.FindComponent(""), nullptr);

    // The same name under another owner is fine.
    TProbe other(nullptr, "Other");
    TProbe* d = new TProbe(&other, "Edit1");
    EXPECT_EQ(d->Name(), "Edit1");
    // Inserting it into the first owner clashes and leaves it where it was.
    EXPECT_THROW(owner.InsertComponent(d), EComponentError);
    EXPECT_EQ(d->Owner(), &other);

    EXPECT_TRUE(IsValidIdent("_a1"));
    EXPECT_FALSE(IsValidIdent(""));
    EXPECT_FALSE(IsValidIdent("a.b"));
}

TEST_F(ComponentTest, InsertAndRemoveComponent) {
    TProbe owner1(nullptr, "Owner1");
    TProbe owner2(nullptr, "Owner2");
    auto* c = new TProbe(&owner1, "C");
    owner2.InsertComponent(c);
    EXPECT_EQ(c->Owner(), &owner2);
    EXPECT_EQ(owner1.ComponentCount(), 0);
    EXPECT_EQ(owner1.Heard.back(), "-C");
    EXPECT_EQ(owner2.Heard.back(), "+C");
    owner2.RemoveComponent(c);
    EXPECT_EQ(c->Owner(), nullptr);
    EXPECT_EQ(c->ComponentIndex(), -1);
    delete c;
    EXPECT_EQ(owner2.ComponentCount(), 0);
}

TEST_F(ComponentTest, ComponentIndexMovesWithinOwner) {
    TProbe owner(nullptr, "Owner");
    auto* a = new TProbe(&owner, "A");
    auto* b = new TProbe(&owner, "B");
    auto* c = new TProbe(&owner, "C");
    EXPECT_EQ(c->ComponentIndex(), 2);
    c->SetComponentIndex(0);
    EXPECT_EQ(owner.Components(0), c);
    EXPECT_EQ(owner.Components(1), a);
    EXPECT_EQ(owner.Components(2), b);
    EXPECT_EQ(a->ComponentIndex(), 1);
}

TEST_F(ComponentTest, DestroyingStateSpreadsToOwnedComponents) {
    TProbe owner(nullptr, "Owner");
    auto* a = new TProbe(&owner, "A");
    auto* aa = new TProbe(a, "AA");
    owner.Destroying();
    EXPECT_TRUE(owner.ComponentState().Contains(csDestroying));
    EXPECT_TRUE(a->ComponentState().Contains(csDestroying));
    EXPECT_TRUE(aa->ComponentState().Contains(csDestroying));
}

TEST_F(ComponentTest, LoadingCallsLoadedOnceForEach) {
    TProbe form(nullptr, "Form");
    auto* before = new TProbe(&form, "Before");
    form.BeginLoading();
    EXPECT_TRUE(form.ComponentState().Contains(csLoading));
    EXPECT_TRUE(before->ComponentState().ContainsAll({csLoading, csReading}));
    auto* during = new TProbe(&form, "During");
    auto* nested = new TProbe(during, "Nested");
    EXPECT_TRUE(nested->ComponentState().Contains(csLoading));
    form.EndLoading();
    for (TProbe* p : {&form, before, during, nested}) {
        EXPECT_EQ(p->LoadedCalls, 1) << p->Name();
        EXPECT_TRUE(p->StateWhenLoaded.Contains(csLoading)) << p->Name();
        EXPECT_FALSE(p->StateWhenLoaded.Contains(csReading)) << p->Name();
        EXPECT_FALSE(p->ComponentState().Contains(csLoading)) << p->Name();
    }
    auto* after = new TProbe(&form, "After");
    EXPECT_FALSE(after->ComponentState().Contains(csLoading));
    EXPECT_EQ(after->LoadedCalls, 0);
}

TEST_F(ComponentTest, DesigningAndUpdatingStates) {
    TProbe form(nullptr, "Form");
    form.SetDesigning(true);
    auto* c = new TProbe(&form, "C");
    EXPECT_TRUE(c->ComponentState().Contains(csDesigning));
    form.SetDesigning(false);
    EXPECT_FALSE(c->ComponentState().Contains(csDesigning));
    c->Updating();
    EXPECT_TRUE(c->ComponentState().Contains(csUpdating));
    c->Updated();
    EXPECT_FALSE(c->ComponentState().Contains(csUpdating));
}

TEST_F(ComponentTest, StateSetNames) {
    EXPECT_EQ(SetToString(EnumInfoOf(csLoading), TComponentState{csLoading, csDestroying}.Bits()),
              "[csLoading,csDestroying]");
    EXPECT_EQ(EnumInfoOf(opRemove).NameOf(opRemove), "opRemove");
}

}  // namespace
