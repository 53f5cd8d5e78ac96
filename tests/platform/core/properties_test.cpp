// Published properties: registration and access by name.
#include <gtest/gtest.h>

#include "platform/core/component.h"
#include "platform/core/properties.h"
#include "platform/core/variant.h"

namespace {

TASKMOOR_ENUM(TTestAlign, taLeft, taRight, taCentre)
TASKMOOR_ENUM(TTestGridOption, dgEditing, dgTitles, dgRowLines, dgTabs, dgRowLinesDisableFixed)
using TTestGridOptions = TSet<TTestGridOption>;

class TLink : public TObject {
    TASKMOOR_CLASS(TLink, TObject)
};
class TSpecialLink : public TLink {
    TASKMOOR_CLASS(TSpecialLink, TLink)
};
class TStranger : public TObject {
    TASKMOOR_CLASS(TStranger, TObject)
};

using TCheckEvent = TEvent<TObject*, bool&>;

class TBase : public TObject {
    TASKMOOR_CLASS(TBase, TObject)
public:
    int Width() const { return FWidth; }
    void SetWidth(int v) { FWidth = v; }
    const std::string& Caption() const { return FCaption; }
    void SetCaption(const std::string& v) { FCaption = v; }
    bool Visible() const { return FVisible; }
    void SetVisible(bool v) { FVisible = v; }
    int Hidden() const { return 7; }  // not published
    static void Publish(TPublisher<TBase>& p) {
        p.Property("Width", &TBase::Width, &TBase::SetWidth);
        p.Property("Caption", &TBase::Caption, &TBase::SetCaption);
        p.Property("Visible", &TBase::Visible, &TBase::SetVisible);
    }

private:
    int FWidth = 64;
    std::string FCaption;
    bool FVisible = true;
};

class TWidget : public TBase {
    TASKMOOR_CLASS(TWidget, TBase)
public:
    TTestAlign Alignment() const { return FAlignment; }
    void SetAlignment(TTestAlign v) { FAlignment = v; }
    TTestGridOptions Options() const { return FOptions; }
    void SetOptions(TTestGridOptions v) { FOptions = v; }
    double Ratio() const { return FRatio; }
    void SetRatio(double v) { FRatio = v; }
    int64_t Big() const { return FBig; }
    void SetBig(int64_t v) { FBig = v; }
    TLink* Link() const { return FLink; }
    void SetLink(TLink* v) { FLink = v; }
    const TNotifyEvent& OnClick() const { return FOnClick; }
    void SetOnClick(const TNotifyEvent& v) { FOnClick = v; }
    const TCheckEvent& OnCheck() const { return FOnCheck; }
    void SetOnCheck(const TCheckEvent& v) { FOnCheck = v; }
    std::string ReadOnlyText() const { return "fixed"; }
    double When = 0;
    unsigned DropDownRows = 10;
    static void Publish(TPublisher<TWidget>& p) {
        p.Property("Alignment", &TWidget::Alignment, &TWidget::SetAlignment);
        p.Property("Options", &TWidget::Options, &TWidget::SetOptions).SetTypeName("TTestGridOptions");
        p.Property("Ratio", &TWidget::Ratio, &TWidget::SetRatio);
        p.Property("Big", &TWidget::Big, &TWidget::SetBig);
        p.Property("Link", &TWidget::Link, &TWidget::SetLink);
        p.Property("OnClick", &TWidget::OnClick, &TWidget::SetOnClick);
        p.Property("OnCheck", &TWidget::OnCheck, &TWidget::SetOnCheck).SetTypeName("TCheckEvent");
        p.Property("ReadOnlyText", &TWidget::ReadOnlyText);
        p.Property("When", &TWidget::When, &TWidget::When).SetTypeName("TDateTime");
        p.Property("DropDownRows", &TWidget::DropDownRows, &TWidget::DropDownRows);
        // A computed property through callables.
        p.Property(
            "DoubleWidth", [](TWidget& w) { return w.Width() * 2; },
            [](TWidget& w, int v) { w.SetWidth(v / 2); });
    }

    void Clicked(TObject*) { ++Clicks; }
    void Check(TObject*, bool& ok) { ok = false; }
    int Clicks = 0;

private:
    TTestAlign FAlignment = taLeft;
    TTestGridOptions FOptions{dgTitles};
    double FRatio = 1.5;
    int64_t FBig = 0;
    TLink* FLink = nullptr;
    TNotifyEvent FOnClick;
    TCheckEvent FOnCheck;
};

// Republishes Width with a different getter and adds nothing else.
class TNarrowWidget : public TWidget {
    TASKMOOR_CLASS(TNarrowWidget, TWidget)
public:
    static void Publish(TPublisher<TNarrowWidget>& p) {
        p.Property(
            "width", [](TNarrowWidget&) { return 1; }, [](TNarrowWidget&, int) {});
    }
};

// Has no Publish of its own: sees the ancestors' properties only.
class TPlainWidget : public TWidget {
    TASKMOOR_CLASS(TPlainWidget, TWidget)
};

template <class E>
std::string MessageOf(const std::function<void()>& f) {
    try {
        f();
    } catch (const E& e) {
        return e.Message();
    }
    return "<no exception>";
}

TEST(PropInfoTest, LookupIsCaseInsensitiveAndInherited) {
    TWidget w;
    const TPropInfo* info = GetPropInfo(&w, "WIDTH");
    ASSERT_NE(info, nullptr);
    EXPECT_EQ(info->Name, "Width");
    EXPECT_EQ(info->Kind, tkInteger);
    EXPECT_EQ(info->TypeName, "Integer");
    EXPECT_EQ(info->OwnerClass, TBase::StaticClass());
    EXPECT_TRUE(IsPublishedProp(&w, "caption"));
    EXPECT_TRUE(IsPublishedProp(TWidget::StaticClass(), "OnClick"));
    EXPECT_FALSE(IsPublishedProp(TBase::StaticClass(), "OnClick"));
}

TEST(PropInfoTest, UnknownNilAndUnpublished) {
    TWidget w;
    EXPECT_EQ(GetPropInfo(&w, "Hidden"), nullptr);
    EXPECT_EQ(GetPropInfo(&w, "NoSuchProperty"), nullptr);
    EXPECT_EQ(GetPropInfo(static_cast<TObject*>(nullptr), "Width"), nullptr);
    EXPECT_FALSE(IsPublishedProp(static_cast<TObject*>(nullptr), "Width"));
    EXPECT_EQ(MessageOf<EPropertyError>([&] { GetOrdProp(&w, "Hidden"); }), "Property Hidden does not exist");
    EXPECT_EQ(MessageOf<EPropertyError>([&] { SetStrProp(&w, "Nope", "x"); }),
              "Property Nope does not exist");
    EXPECT_FALSE(PropIsType(&w, "Nope", tkString));
    EXPECT_THROW(PropType(&w, "Nope"), EPropertyError);
}

TEST(PropInfoTest, KindsFollowTheGetterType) {
    TWidget w;
    EXPECT_EQ(PropType(&w, "Alignment"), tkEnumeration);
    EXPECT_EQ(GetPropInfo(&w, "Alignment")->TypeName, "TTestAlign");
    EXPECT_EQ(PropType(&w, "Options"), tkSet);
    EXPECT_EQ(GetPropInfo(&w, "Options")->TypeName, "TTestGridOptions");
    EXPECT_EQ(GetPropInfo(&w, "Options")->EnumType, &EnumInfoOf(dgTabs));
    EXPECT_EQ(PropType(&w, "Visible"), tkBoolean);
    EXPECT_EQ(PropType(&w, "Ratio"), tkFloat);
    EXPECT_EQ(PropType(&w, "Big"), tkInt64);
    EXPECT_EQ(PropType(&w, "Caption"), tkString);
    EXPECT_EQ(PropType(&w, "Link"), tkClass);
    EXPECT_EQ(GetPropInfo(&w, "Link")->PropClass, TLink::StaticClass());
    EXPECT_EQ(GetPropInfo(&w, "Link")->TypeName, "TLink");
    EXPECT_EQ(PropType(&w, "OnClick"), tkMethod);
    EXPECT_EQ(GetPropInfo(&w, "OnClick")->TypeName, "TNotifyEvent");
    EXPECT_EQ(GetPropInfo(&w, "OnCheck")->TypeName, "TCheckEvent");
    EXPECT_EQ(GetPropInfo(&w, "DropDownRows")->TypeName, "Cardinal");
    EXPECT_TRUE(PropIsType(&w, "Caption", tkString));
    EXPECT_FALSE(PropIsType(&w, "Caption", tkInteger));
    EXPECT_EQ(GetPropInfo(&w, "Caption", {tkInteger, tkInt64}), nullptr);
    EXPECT_NE(GetPropInfo(&w, "Caption", {tkString}), nullptr);
    EXPECT_TRUE(IsOrdinalKind(tkSet));
    EXPECT_FALSE(IsOrdinalKind(tkFloat));
}

TEST(PropAccessTest, Integers) {
    TWidget w;
    EXPECT_EQ(GetOrdProp(&w, "width"), 64);
    SetOrdProp(&w, "Width", 120);
    EXPECT_EQ(w.Width(), 120);
    SetInt64Prop(&w, "Big", int64_t{1} << 40);
    EXPECT_EQ(GetInt64Prop(&w, "big"), int64_t{1} << 40);
    SetOrdProp(&w, "DropDownRows", 12);
    EXPECT_EQ(w.DropDownRows, 12u);
    SetOrdProp(&w, "DoubleWidth", 50);
    EXPECT_EQ(w.Width(), 25);
    EXPECT_EQ(GetOrdProp(&w, "DoubleWidth"), 50);
}

TEST(PropAccessTest, StringsFloatsAndBooleans) {
    TWidget w;
    SetStrProp(&w, "Caption", "Action");
    EXPECT_EQ(w.Caption(), "Action");
    EXPECT_EQ(GetStrProp(&w, "CAPTION"), "Action");
    EXPECT_DOUBLE_EQ(GetFloatProp(&w, "Ratio"), 1.5);
    SetFloatProp(&w, "Ratio", 0.25);
    EXPECT_DOUBLE_EQ(w.Ratio(), 0.25);
    EXPECT_EQ(GetOrdProp(&w, "Visible"), 1);
    SetOrdProp(&w, "Visible", 0);
    EXPECT_FALSE(w.Visible());
    EXPECT_EQ(GetEnumProp(&w, "Visible"), "False");
    SetEnumProp(&w, "Visible", "true");
    EXPECT_TRUE(w.Visible());
}

TEST(PropAccessTest, EnumerationByElementName) {
    TWidget w;
    EXPECT_EQ(GetEnumProp(&w, "Alignment"), "taLeft");
    SetEnumProp(&w, "Alignment", "TACENTRE");
    EXPECT_EQ(w.Alignment(), taCentre);
    EXPECT_EQ(GetOrdProp(&w, "Alignment"), 2);
    SetEnumProp(&w, "Alignment", "1");
    EXPECT_EQ(w.Alignment(), taRight);
    EXPECT_EQ(MessageOf<EPropertyError>([&] { SetEnumProp(&w, "Alignment", "taJustify"); }),
              "Invalid property element: taJustify");
    EXPECT_EQ(MessageOf<EPropertyError>([&] { SetEnumProp(&w, "Alignment", "3"); }),
              "Invalid property element: 3");
    EXPECT_EQ(w.Alignment(), taRight);
}

TEST(PropAccessTest, SetByElementNames) {
    TWidget w;
    EXPECT_EQ(GetSetProp(&w, "Options"), "[dgTitles]");
    EXPECT_EQ(GetSetProp(&w, "Options", false), "dgTitles");
    SetSetProp(&w, "Options", "[dgRowLines,dgTabs]");
    EXPECT_EQ(w.Options(), (TTestGridOptions{dgRowLines, dgTabs}));
    EXPECT_EQ(GetSetProp(&w, "options"), "[dgRowLines,dgTabs]");
    // The ordinal value of a set: bit i for element i.
    EXPECT_EQ(GetOrdProp(&w, "Options"), (1 << dgRowLines) | (1 << dgTabs));
    SetOrdProp(&w, "Options", 1 << dgEditing);
    EXPECT_EQ(w.Options(), TTestGridOptions{dgEditing});
    SetSetProp(&w, "Options", "[]");
    EXPECT_TRUE(w.Options().Empty());
    EXPECT_THROW(SetSetProp(&w, "Options", "[dgRowLines,dgBogus]"), EPropertyError);
    EXPECT_TRUE(w.Options().Empty());
}

TEST(PropAccessTest, ObjectReferences) {
    TWidget w;
    TLink link;
    TSpecialLink special;
    TStranger stranger;
    EXPECT_EQ(GetObjectProp(&w, "Link"), nullptr);
    SetObjectProp(&w, "Link", &link);
    EXPECT_EQ(w.Link(), &link);
    EXPECT_EQ(GetObjectProp(&w, "link"), &link);
    EXPECT_EQ(GetObjectProp<TLink>(&w, "Link"), &link);
    EXPECT_EQ(GetObjectProp<TSpecialLink>(&w, "Link"), nullptr);
    SetObjectProp(&w, "Link", &special);
    EXPECT_EQ(w.Link(), &special);
    EXPECT_EQ(MessageOf<EPropertyError>([&] { SetObjectProp(&w, "Link", &stranger); }),
              "Invalid property value");
    EXPECT_EQ(w.Link(), &special);
    SetObjectProp(&w, "Link", nullptr);
    EXPECT_EQ(w.Link(), nullptr);
}

TEST(PropAccessTest, EventsByName) {
    TWidget w;
    TMethod m = GetMethodProp(&w, "OnClick");
    EXPECT_FALSE(m.Assigned());

    SetMethodProp(&w, "OnClick", MakeEvent(&w, &TWidget::Clicked));
    EXPECT_TRUE(w.OnClick().Assigned());
    w.OnClick()(&w);
    EXPECT_EQ(w.Clicks, 1);
    // Identity: the installed handler is recognised.
    EXPECT_EQ(GetMethodProp(&w, "onclick"), MakeEvent(&w, &TWidget::Clicked));
    EXPECT_EQ(GetEventProp<TNotifyEvent>(&w, "OnClick"), MakeEvent(&w, &TWidget::Clicked));
    // An event of another type is refused.
    EXPECT_THROW(SetMethodProp(&w, "OnClick", MakeEvent(&w, &TWidget::Check)), EPropertyError);
    EXPECT_TRUE(w.OnClick().Assigned());
    // An unassigned value clears it.
    SetMethodProp(&w, "OnClick", TMethod());
    EXPECT_FALSE(w.OnClick().Assigned());

    SetMethodProp(&w, "OnCheck", MakeEvent(&w, &TWidget::Check));
    bool ok = true;
    GetEventProp<TCheckEvent>(&w, "OnCheck")(&w, ok);
    EXPECT_FALSE(ok);
    EXPECT_FALSE(GetEventProp<TNotifyEvent>(&w, "OnCheck").Assigned());
}

TEST(PropAccessTest, WrongKindAndReadOnly) {
    TWidget w;
    EXPECT_EQ(MessageOf<EPropertyError>([&] { GetStrProp(&w, "Width"); }), "Invalid property type: Integer");
    EXPECT_THROW(GetOrdProp(&w, "Caption"), EPropertyError);
    EXPECT_THROW(GetFloatProp(&w, "Width"), EPropertyError);
    EXPECT_THROW(GetObjectProp(&w, "Caption"), EPropertyError);
    EXPECT_THROW(GetMethodProp(&w, "Caption"), EPropertyError);
    EXPECT_THROW(GetEnumProp(&w, "Options"), EPropertyError);
    EXPECT_THROW(GetSetProp(&w, "Alignment"), EPropertyError);
    EXPECT_EQ(GetStrProp(&w, "ReadOnlyText"), "fixed");
    EXPECT_FALSE(GetPropInfo(&w, "ReadOnlyText")->IsWritable());
    EXPECT_TRUE(GetPropInfo(&w, "Caption")->IsWritable());
    EXPECT_EQ(MessageOf<EPropertyError>([&] { SetStrProp(&w, "ReadOnlyText", "x"); }),
              "Property ReadOnlyText is read-only");
}

TEST(PropAccessTest, InformationOfAnotherClassIsRefused) {
    TWidget w;
    TStranger s;
    const TPropInfo* width = GetPropInfo(&w, "Width");
    EXPECT_THROW(GetOrdProp(&s, width), EPropertyError);
    EXPECT_EQ(GetOrdProp(&w, width), 64);
}

TEST(PropAccessTest, VariantValues) {
    TWidget w;
    w.SetCaption("Go");
    EXPECT_EQ(GetPropValue(&w, "Width").VarType(), varInteger);
    EXPECT_EQ(GetPropValue(&w, "Width").AsInteger(), 64);
    EXPECT_EQ(GetPropValue(&w, "Caption").AsString(), "Go");
    EXPECT_EQ(GetPropValue(&w, "Visible").VarType(), varBoolean);
    EXPECT_EQ(GetPropValue(&w, "Alignment").AsString(), "taLeft");
    EXPECT_EQ(GetPropValue(&w, "Alignment", false).AsInteger(), 0);
    EXPECT_EQ(GetPropValue(&w, "Options").AsString(), "[dgTitles]");
    EXPECT_EQ(GetPropValue(&w, "Options", false).AsInteger(), 1 << dgTitles);
    EXPECT_EQ(GetPropValue(&w, "Ratio").VarType(), varDouble);
    EXPECT_EQ(GetPropValue(&w, "When").VarType(), varDate);
    EXPECT_EQ(GetPropValue(&w, "Big").VarType(), varInt64);
    EXPECT_THROW(GetPropValue(&w, "Link"), EPropertyError);
    EXPECT_THROW(GetPropValue(&w, "Nope"), EPropertyError);

    SetPropValue(&w, "Width", Variant(33));
    EXPECT_EQ(w.Width(), 33);
    SetPropValue(&w, "Width", Variant("44"));
    EXPECT_EQ(w.Width(), 44);
    SetPropValue(&w, "Caption", Variant(12));
    EXPECT_EQ(w.Caption(), "12");
    SetPropValue(&w, "Caption", Null());
    EXPECT_EQ(w.Caption(), "");
    SetPropValue(&w, "Alignment", Variant("taRight"));
    EXPECT_EQ(w.Alignment(), taRight);
    SetPropValue(&w, "Alignment", Variant(2));
    EXPECT_EQ(w.Alignment(), taCentre);
    SetPropValue(&w, "Options", Variant("dgTabs,dgEditing"));
    EXPECT_EQ(w.Options(), (TTestGridOptions{dgTabs, dgEditing}));
    SetPropValue(&w, "Visible", Variant(false));
    EXPECT_FALSE(w.Visible());
    SetPropValue(&w, "Ratio", Variant(2.5));
    EXPECT_DOUBLE_EQ(w.Ratio(), 2.5);
    EXPECT_THROW(SetPropValue(&w, "Width", Variant("wide")), EVariantError);
}

TEST(PropListTest, AncestorsFirstRepublishedInPlace) {
    TNarrowWidget n;
    std::vector<const TPropInfo*> list = GetPropList(&n);
    ASSERT_GE(list.size(), 3u);
    EXPECT_EQ(list[0]->Name, "width");  // republished by TNarrowWidget, kept first
    EXPECT_EQ(list[0]->OwnerClass, TNarrowWidget::StaticClass());
    EXPECT_EQ(list[1]->Name, "Caption");
    EXPECT_EQ(list[2]->Name, "Visible");
    EXPECT_EQ(list.size(), GetPropList(TWidget::StaticClass()).size());
    EXPECT_EQ(GetOrdProp(&n, "Width"), 1);

    TWidget w;
    EXPECT_EQ(GetOrdProp(&w, "Width"), 64);  // the ancestor's information is untouched

    std::vector<const TPropInfo*> events = GetPropList(&w, {tkMethod});
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0]->Name, "OnClick");
    EXPECT_EQ(events[1]->Name, "OnCheck");

    EXPECT_TRUE(TPlainWidget::StaticClass()->OwnProperties().empty());
    EXPECT_EQ(GetPropList(TPlainWidget::StaticClass()).size(), GetPropList(TWidget::StaticClass()).size());
    EXPECT_TRUE(GetPropList(static_cast<TObject*>(nullptr)).empty());
}

// Two classes whose published properties hold each other.
class TOwnerSide;
class TPartSide : public TComponent {
    TASKMOOR_CLASS(TPartSide, TComponent)
public:
    using TComponent::TComponent;
    TOwnerSide* Holder() const { return FHolder; }
    void SetHolder(TOwnerSide* Value) { FHolder = Value; }
    static void Publish(TPublisher<TPartSide>& p);

private:
    TOwnerSide* FHolder = nullptr;
};
class TOwnerSide : public TComponent {
    TASKMOOR_CLASS(TOwnerSide, TComponent)
public:
    using TComponent::TComponent;
    TPartSide* Part() const { return FPart; }
    void SetPart(TPartSide* Value) { FPart = Value; }
    static void Publish(TPublisher<TOwnerSide>& p) {
        p.Property("Part", &TOwnerSide::Part, &TOwnerSide::SetPart);
    }

private:
    TPartSide* FPart = nullptr;
};
void TPartSide::Publish(TPublisher<TPartSide>& p) {
    p.Property("Holder", &TPartSide::Holder, &TPartSide::SetHolder);
}

TEST(PublishTest, ClassesMayPublishPropertiesOfEachOther) {
    TPartSide part(nullptr);
    TOwnerSide owner(nullptr);
    const TPropInfo* holder = GetPropInfo(&part, "Holder");
    ASSERT_NE(holder, nullptr);
    EXPECT_EQ(holder->PropClass, TOwnerSide::StaticClass());
    EXPECT_EQ(holder->TypeName, "TOwnerSide");
    const TPropInfo* partInfo = GetPropInfo(TOwnerSide::StaticClass(), "Part");
    ASSERT_NE(partInfo, nullptr);
    EXPECT_EQ(partInfo->PropClass, TPartSide::StaticClass());

    SetObjectProp(&part, "Holder", &owner);
    SetObjectProp(&owner, "Part", &part);
    EXPECT_EQ(part.Holder(), &owner);
    EXPECT_EQ(GetObjectProp(&owner, "Part"), &part);
    EXPECT_THROW(SetObjectProp(&owner, "Part", &owner), EPropertyError);
    // Inherited properties come with them.
    EXPECT_NE(GetPropInfo(&owner, "Name"), nullptr);
    EXPECT_EQ(TOwnerSide::StaticClass()->OwnProperties().size(), 1u);
}

}  // namespace
