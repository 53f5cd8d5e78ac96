// Class names and ancestry, TPersistent's assign errors, enumeration names,
// sets, and event identity.
#include <gtest/gtest.h>

#include "platform/core/enums.h"
#include "platform/core/events.h"
#include "platform/core/exceptions.h"
#include "platform/core/object.h"

namespace {

class TAnimal : public TPersistent {
    TASKMOOR_CLASS(TAnimal, TPersistent)
public:
    int Legs = 4;
};

class TDog : public TAnimal {
    TASKMOOR_CLASS(TDog, TAnimal)
public:
    void Assign(TPersistent* Source) override {
        if (auto* dog = dynamic_cast<TDog*>(Source)) {
            Legs = dog->Legs;
            return;
        }
        inherited::Assign(Source);
    }
};

// No TASKMOOR_CLASS: answers its ancestor's name.
class TPuppy : public TDog {};

class TCat : public TAnimal {
    TASKMOOR_CLASS(TCat, TAnimal)
};

TEST(ObjectTest, ClassNameAndParent) {
    TDog dog;
    EXPECT_EQ(dog.ClassName(), "TDog");
    EXPECT_EQ(dog.ClassParent()->ClassName(), "TAnimal");
    EXPECT_EQ(dog.ClassParent()->ClassParent()->ClassName(), "TPersistent");
    EXPECT_EQ(TObject::StaticClass()->ClassParent(), nullptr);
    EXPECT_EQ(TDog::StaticClass(), dog.ClassType());
}

TEST(ObjectTest, InheritsFromComparesNamesWithoutCase) {
    TDog dog;
    EXPECT_TRUE(dog.InheritsFrom("TDog"));
    EXPECT_TRUE(dog.InheritsFrom("tanimal"));
    EXPECT_TRUE(dog.InheritsFrom("TPERSISTENT"));
    EXPECT_TRUE(dog.InheritsFrom("TObject"));
    EXPECT_FALSE(dog.InheritsFrom("TCat"));
    EXPECT_FALSE(dog.InheritsFrom("TDo"));
    EXPECT_TRUE(dog.InheritsFrom(TAnimal::StaticClass()));
    EXPECT_FALSE(dog.InheritsFrom(TCat::StaticClass()));
    std::string name = "tdog";
    EXPECT_TRUE(dog.InheritsFrom(name));
}

TEST(ObjectTest, ClassNameIsMatchesOnlyTheClassItself) {
    TDog dog;
    EXPECT_TRUE(dog.ClassNameIs("tDOG"));
    EXPECT_FALSE(dog.ClassNameIs("TAnimal"));
}

TEST(ObjectTest, ClassWithoutMacroAnswersAncestorName) {
    TPuppy puppy;
    EXPECT_EQ(puppy.ClassName(), "TDog");
    EXPECT_TRUE(puppy.InheritsFrom("TAnimal"));
}

TEST(ObjectTest, SameNameIgnoresAsciiCaseOnly) {
    EXPECT_TRUE(SameName("DataSource", "DATASOURCE"));
    EXPECT_FALSE(SameName("DataSource", "DataSources"));
    EXPECT_FALSE(SameName("a", "b"));
    EXPECT_TRUE(SameName("", ""));
}

TEST(PersistentTest, AssignBetweenUnrelatedClassesRaisesConvertError) {
    TDog dog;
    TCat cat;
    try {
        dog.Assign(&cat);
        FAIL() << "no exception";
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.Message(), "Cannot assign a TCat to a TDog");
    }
    try {
        dog.Assign(nullptr);
        FAIL() << "no exception";
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.Message(), "Cannot assign a nil to a TDog");
    }
}

TEST(PersistentTest, AssignThroughOverride) {
    TDog a, b;
    b.Legs = 3;
    a.Assign(&b);
    EXPECT_EQ(a.Legs, 3);
    EXPECT_EQ(a.GetOwner(), nullptr);
}

// ---- Enumerations and sets -------------------------------------------------------

TASKMOOR_ENUM(TTestColour, tcRed, tcGreen, tcBlue)
enum TTestShape { tsRound, tsSquare };
TASKMOOR_ENUM_NAMES(TTestShape, "tsRound", "tsSquare")
enum TUnnamed { unA, unB };

TEST(EnumTest, NamesFromTheDeclaration) {
    const TEnumInfo& info = EnumInfoOf(tcRed);
    EXPECT_EQ(info.TypeName(), "TTestColour");
    ASSERT_EQ(info.Count(), 3);
    EXPECT_EQ(info.NameOf(tcBlue), "tcBlue");
    EXPECT_EQ(info.NameOf(3), "");
    EXPECT_EQ(info.NameOf(-1), "");
    EXPECT_EQ(info.ValueOf("TCGREEN"), tcGreen);
    EXPECT_EQ(info.ValueOf("tcPurple"), -1);
    EXPECT_EQ(EnumInfoOf(tsSquare).NameOf(1), "tsSquare");
    EXPECT_EQ(EnumInfoOf(tsSquare).TypeName(), "TTestShape");
    static_assert(NamedEnum<TTestColour>);
    static_assert(!NamedEnum<TUnnamed>);
}

TEST(SetTest, Operations) {
    using TColours = TSet<TTestColour>;
    TColours s{tcRed, tcBlue};
    EXPECT_TRUE(s.Contains(tcRed));
    EXPECT_FALSE(s.Contains(tcGreen));
    EXPECT_EQ(s.Bits(), 0b101u);
    EXPECT_EQ(s + tcGreen, (TColours{tcRed, tcGreen, tcBlue}));
    EXPECT_EQ(s - tcRed, TColours{tcBlue});
    EXPECT_EQ(s * (TColours{tcBlue, tcGreen}), TColours{tcBlue});
    EXPECT_TRUE(s.ContainsAll(TColours{tcBlue}));
    EXPECT_FALSE(s.ContainsAll(TColours{tcGreen}));
    s -= TColours{tcRed, tcBlue};
    EXPECT_TRUE(s.Empty());
    EXPECT_EQ(TColours::FromBits(2), TColours{tcGreen});
}

TEST(SetTest, TextWithAndWithoutBrackets) {
    const TEnumInfo& info = EnumInfoOf(tcRed);
    EXPECT_EQ(SetToString(info, 0b101), "[tcRed,tcBlue]");
    EXPECT_EQ(SetToString(info, 0b101, false), "tcRed,tcBlue");
    EXPECT_EQ(SetToString(info, 0), "[]");
    EXPECT_EQ(StringToSet(info, "[tcRed,tcBlue]"), 0b101u);
    EXPECT_EQ(StringToSet(info, " [ tcblue , TCGREEN ] "), 0b110u);
    EXPECT_EQ(StringToSet(info, "tcGreen"), 0b010u);
    EXPECT_EQ(StringToSet(info, "[]"), 0u);
    EXPECT_EQ(StringToSet(info, ""), 0u);
    try {
        StringToSet(info, "[tcRed,tcPink]");
        FAIL() << "no exception";
    } catch (const EPropertyError& e) {
        EXPECT_EQ(e.Message(), "Invalid property element: tcPink");
    }
}

// ---- Events ----------------------------------------------------------------------------

class TListener : public TObject {
    TASKMOOR_CLASS(TListener, TObject)
public:
    int Clicks = 0;
    TObject* LastSender = nullptr;
    void Click(TObject* Sender) {
        ++Clicks;
        LastSender = Sender;
    }
    void OtherClick(TObject*) { Clicks += 10; }
    void Validate(TObject*, bool& Accept) { Accept = false; }
    void Rename(std::string& Text) const { Text += "!"; }
};

int freeCalls = 0;
void FreeHandler(TObject*) { ++freeCalls; }
void OtherFreeHandler(TObject*) {}

TEST(EventTest, UnassignedEventDoesNothing) {
    TNotifyEvent e;
    EXPECT_FALSE(e.Assigned());
    EXPECT_FALSE(e);
    e(nullptr);
    EXPECT_EQ(e, TNotifyEvent());
    EXPECT_EQ(e, TNotifyEvent(nullptr));
    EXPECT_EQ(e.Data(), nullptr);
}

TEST(EventTest, MethodEventCallsTheObject) {
    TListener l;
    TNotifyEvent e = MakeEvent(&l, &TListener::Click);
    EXPECT_TRUE(e.Assigned());
    e(&l);
    EXPECT_EQ(l.Clicks, 1);
    EXPECT_EQ(l.LastSender, &l);
    EXPECT_EQ(e.Data(), &l);
}

TEST(EventTest, IdentityIsObjectAndMethod) {
    TListener a, b;
    const TNotifyEvent e1 = MakeEvent(&a, &TListener::Click);
    EXPECT_EQ(e1, MakeEvent(&a, &TListener::Click));
    EXPECT_NE(e1, MakeEvent(&b, &TListener::Click));
    EXPECT_NE(e1, MakeEvent(&a, &TListener::OtherClick));
    EXPECT_NE(e1, TNotifyEvent());
    TNotifyEvent copy = e1;
    EXPECT_EQ(copy, e1);
}

TEST(EventTest, FreeFunctionsAndLambdas) {
    TNotifyEvent f = MakeEvent(&FreeHandler);
    f(nullptr);
    EXPECT_EQ(freeCalls, 1);
    EXPECT_EQ(f, MakeEvent(&FreeHandler));
    EXPECT_NE(f, MakeEvent(&OtherFreeHandler));

    int calls = 0;
    TNotifyEvent l1 = [&calls](TObject*) { ++calls; };
    TNotifyEvent l2 = [&calls](TObject*) { ++calls; };
    l1(nullptr);
    EXPECT_EQ(calls, 1);
    EXPECT_NE(l1, l2);  // each anonymous handler is its own
    TNotifyEvent l1copy = l1;
    EXPECT_EQ(l1copy, l1);
    EXPECT_NE(l1, f);
}

TEST(EventTest, ReferenceParametersReachTheCaller) {
    TListener l;
    TEvent<TObject*, bool&> validate = MakeEvent(&l, &TListener::Validate);
    bool accept = true;
    validate(&l, accept);
    EXPECT_FALSE(accept);

    TEvent<std::string&> rename = MakeEvent(&l, &TListener::Rename);
    std::string text = "Task";
    rename(text);
    EXPECT_EQ(text, "Task!");
}

TEST(EventTest, TypeErasedMethodKeepsIdentityAndType) {
    TListener l;
    TMethod m = MakeEvent(&l, &TListener::Click);
    EXPECT_TRUE(m.Assigned());
    EXPECT_EQ(m, MakeEvent(&l, &TListener::Click));
    EXPECT_NE(m, MakeEvent(&l, &TListener::OtherClick));
    EXPECT_TRUE(m.Is<TNotifyEvent>());
    EXPECT_FALSE((m.Is<TEvent<TObject*, bool&>>()));
    m.As<TNotifyEvent>()(nullptr);
    EXPECT_EQ(l.Clicks, 1);
    EXPECT_FALSE((m.As<TEvent<TObject*, bool&>>().Assigned()));

    TMethod empty;
    EXPECT_FALSE(empty.Assigned());
    EXPECT_EQ(empty, TNotifyEvent());
    EXPECT_FALSE(TMethod(TNotifyEvent()).Assigned());
}

}  // namespace
