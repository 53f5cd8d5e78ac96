// The registry of component classes by name and creation of a component by class name.
#include "platform/ui/class_registry.h"

#include <map>

#include "platform/core/sysutils.h"

namespace {

struct TEntry {
    const TClass* Class;
    TComponentFactory Factory;
};

std::map<std::string, TEntry>& Registry() {
    static std::map<std::string, TEntry> registry;
    return registry;
}

std::string Key(const std::string& Name) { return UpperCase(Name); }

}  // namespace

void RegisterComponentClass(const TClass* Class, TComponentFactory Factory) {
    if (!Class || !Factory) return;
    Registry()[Key(Class->ClassName())] = TEntry{Class, std::move(Factory)};
}

void UnRegisterComponentClass(const std::string& Name) { Registry().erase(Key(Name)); }

const TClass* FindComponentClass(const std::string& Name) {
    auto it = Registry().find(Key(Name));
    return it == Registry().end() ? nullptr : it->second.Class;
}

const TClass* GetComponentClass(const std::string& Name) {
    const TClass* c = FindComponentClass(Name);
    if (!c) throw EClassNotFound("Class " + Name + " not found");
    return c;
}

TComponent* CreateComponentOfClass(const std::string& Name, TComponent* Owner) {
    auto it = Registry().find(Key(Name));
    if (it == Registry().end()) throw EClassNotFound("Class " + Name + " not found");
    return it->second.Factory(Owner);
}
