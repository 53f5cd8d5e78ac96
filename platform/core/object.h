// The root of the class tree: TObject, its class metadata TClass, and
// TPersistent (objects that can be assigned to one another).
//
// Every class of the system answers its class name (the name the system uses,
// such as "TOstraTable") and the names of its ancestors; tests by class name
// compare without regard to case. A class declares its name and parent in
// one line at the top of its body:
//
//   class TOstraTable : public TOstraDataset {
//       TASKMOOR_CLASS(TOstraTable, TOstraDataset)
//   public:
//       ...
//       static void Publish(TPublisher<TOstraTable>& p);   // optional
//   };
//
// A class with published properties declares the static Publish function
// (see properties.h); it runs once, the first time the class's properties
// are asked for (not when the metadata is made, so classes whose properties
// refer to each other can publish them). A class without the macro answers
// its nearest ancestor's name.
#pragma once

#include <atomic>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class TObject;
class TPropInfo;
template <class C>
class TPublisher;

// Compares ASCII names without regard to case (class and property names).
bool SameName(std::string_view a, std::string_view b);

// Class metadata: name, parent, and the class's own published properties.
class TClass {
public:
    using PublishFunction = void (*)(TClass&);

    TClass(std::string name, const TClass* parent, PublishFunction publish);
    ~TClass();
    TClass(const TClass&) = delete;
    TClass& operator=(const TClass&) = delete;

    const std::string& ClassName() const { return FName; }
    const TClass* ClassParent() const { return FParent; }
    bool ClassNameIs(std::string_view name) const { return SameName(FName, name); }
    // True when this class or one of its ancestors is `cls`.
    bool InheritsFrom(const TClass* cls) const;
    // True when this class or one of its ancestors is named `name` (any case).
    bool InheritsFrom(std::string_view name) const;

    // Published property of this class or an ancestor (the nearest wins);
    // nullptr when there is none.
    const TPropInfo* FindProperty(std::string_view name) const;
    // The properties this class itself publishes, in registration order.
    const std::vector<const TPropInfo*>& OwnProperties() const;
    // All published properties, ancestors' first; a property republished by
    // a descendant keeps its ancestor's place.
    std::vector<const TPropInfo*> Properties() const;

    // Registration (used by TPublisher). A name already published by this
    // class is replaced.
    TPropInfo& AddProperty(std::unique_ptr<TPropInfo> info);

private:
    // Runs the publish function once; a lookup made while it runs (a
    // property's class publishing in turn) sees what is registered so far.
    void EnsurePublished() const;

    struct NameLess {
        using is_transparent = void;
        bool operator()(std::string_view a, std::string_view b) const;
    };

    std::string FName;
    const TClass* FParent;
    PublishFunction FPublish;
    mutable std::atomic<int> FPublishState{0};  // 0 not yet, 1 running, 2 done
    // Filled by publishing, which may come after construction.
    mutable std::vector<std::unique_ptr<TPropInfo>> FOwned;
    mutable std::vector<const TPropInfo*> FOwnList;
    mutable std::map<std::string, const TPropInfo*, NameLess> FByName;
};

namespace taskmoor_detail {
// Runs T::Publish when T itself (not only an ancestor) declares
// `static void Publish(TPublisher<T>&)`.
template <class T>
void PublishClass(TClass& cls) {
    if constexpr (requires { static_cast<void (*)(TPublisher<T>&)>(&T::Publish); }) {
        TPublisher<T> publisher(cls);
        T::Publish(publisher);
    }
}
}  // namespace taskmoor_detail

// Declares the class's name and parent. Put it first in the class body; it
// leaves the access at private. `inherited` names the parent class.
#define TASKMOOR_CLASS(Name, Parent)                                                                   \
public:                                                                                                \
    using inherited = Parent;                                                                          \
    static const TClass* StaticClass() {                                                               \
        static const TClass cls(#Name, Parent::StaticClass(), &::taskmoor_detail::PublishClass<Name>); \
        return &cls;                                                                                   \
    }                                                                                                  \
    const TClass* ClassType() const override { return StaticClass(); }                                 \
                                                                                                       \
private:

class TObject {
public:
    TObject() = default;
    virtual ~TObject() = default;
    // Objects are references in the platform: never copied.
    TObject(const TObject&) = delete;
    TObject& operator=(const TObject&) = delete;

    static const TClass* StaticClass();
    virtual const TClass* ClassType() const { return StaticClass(); }

    const std::string& ClassName() const { return ClassType()->ClassName(); }
    const TClass* ClassParent() const { return ClassType()->ClassParent(); }
    bool ClassNameIs(std::string_view name) const { return ClassType()->ClassNameIs(name); }
    // True when the class or one of its ancestors is named `name` (any case).
    bool InheritsFrom(std::string_view name) const { return ClassType()->InheritsFrom(name); }
    bool InheritsFrom(const char* name) const { return ClassType()->InheritsFrom(std::string_view(name)); }
    bool InheritsFrom(const std::string& name) const {
        return ClassType()->InheritsFrom(std::string_view(name));
    }
    bool InheritsFrom(const TClass* cls) const { return ClassType()->InheritsFrom(cls); }
};

// An object whose contents can be copied into another with Assign.
class TPersistent : public TObject {
    TASKMOOR_CLASS(TPersistent, TObject)
public:
    // Copies Source into this object. The default asks Source to AssignTo
    // this object; a nil Source, or a pair no class knows how to copy,
    // raises EConvertError "Cannot assign a %s to a %s".
    virtual void Assign(TPersistent* Source);
    // The object that owns this one for naming purposes (a collection's
    // owner, an item's collection); nullptr by default.
    virtual TPersistent* GetOwner() const { return nullptr; }

protected:
    // Copies this object into Dest; the default raises the assign error.
    virtual void AssignTo(TPersistent* Dest);
    // Raises EConvertError "Cannot assign a <Source class or nil> to a <this class>".
    [[noreturn]] void AssignError(const TPersistent* Source) const;
};
