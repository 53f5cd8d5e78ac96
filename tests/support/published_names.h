// Checking the names a component lists as published against its class's
// published-property list (inherited names included, spelt alike).
#pragma once

#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "platform/core/object.h"
#include "platform/core/properties.h"

struct TPublishedList {
    const TClass* Class;
    std::string Names;  // separated by blanks
};

inline std::vector<std::string> SplitNames(const std::string& Names) {
    std::vector<std::string> out;
    std::istringstream in(Names);
    for (std::string name; in >> name;) out.push_back(name);
    return out;
}

inline std::string JoinNames(const std::vector<std::string>& Names) {
    std::string out;
    for (const std::string& name : Names) out += (out.empty() ? "" : ", ") + name;
    return out;
}

// The names the class does not publish, in their order.
inline std::vector<std::string> MissingPublishedNames(const TClass* Class,
                                                      const std::vector<std::string>& Names) {
    std::set<std::string> published;
    for (const TPropInfo* info : GetPropList(Class)) published.insert(info->Name);
    std::vector<std::string> missing;
    for (const std::string& name : Names)
        if (!published.count(name)) missing.push_back(name);
    return missing;
}
