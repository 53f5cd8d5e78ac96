// Helpers for building the program's forms in code.
#pragma once

#include <string>
#include <type_traits>
#include <vector>

#include "platform/core/component.h"
#include "platform/ui/controls.h"

// A component of class T owned by Owner, named Name, inside Parent when it
// is a control and Parent is given.
template <class T>
T* MakeComponent(TComponent* Owner, TWinControl* Parent, const std::string& Name) {
    auto* c = new T(Owner);
    c->SetName(Name);
    if constexpr (std::is_base_of_v<TControl, T>)
        if (Parent) c->SetParent(Parent);
    return c;
}

// The priority names the grids and the edit show, and the codes stored.
inline const std::vector<std::string>& PriorityNames() {
    static const std::vector<std::string> names{"Urgent", "High", "Medium", "Low", "Completed"};
    return names;
}
inline const std::vector<std::string>& PriorityCodes() {
    static const std::vector<std::string> codes{"0", "1", "2", "3", "4"};
    return codes;
}
