// Component classes registered by name: found by name and created with an
// owner, so that a component can make another whose unit it does not know.
#pragma once

#include <functional>
#include <string>

#include "platform/core/component.h"
#include "platform/core/exceptions.h"

class EClassNotFound : public Exception {
public:
    using Exception::Exception;
    const char* ClassName() const override { return "EClassNotFound"; }
};

using TComponentFactory = std::function<TComponent*(TComponent* Owner)>;

// Registers a class under its own name; a second registration of the same
// name replaces the first.
void RegisterComponentClass(const TClass* Class, TComponentFactory Factory);
template <class T>
void RegisterComponentClass() {
    RegisterComponentClass(T::StaticClass(), [](TComponent* Owner) -> TComponent* { return new T(Owner); });
}
// Removes a registration (nothing when the name is not registered).
void UnRegisterComponentClass(const std::string& Name);
// The registered class of this name (any case); nullptr when there is none.
const TClass* FindComponentClass(const std::string& Name);
// The same; raises EClassNotFound "Class <name> not found" when there is none.
const TClass* GetComponentClass(const std::string& Name);
// A new component of the registered class, owned by Owner; raises
// EClassNotFound as above.
TComponent* CreateComponentOfClass(const std::string& Name, TComponent* Owner);
