// Checking the names a component lists as published against its class's
// published-property list (inherited names included, spelt alike).
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <sstream>
#include <string>
#include <utility>
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

// Checks every list (each class once); names the class does not publish are
// failures unless NotBuilt holds them as {class name, property name}. Gives
// the classes and names checked.
inline std::pair<std::size_t, std::size_t> ExpectListsPublished(
    const std::vector<TPublishedList>& Lists,
    const std::set<std::pair<std::string, std::string>>& NotBuilt = {}) {
    std::set<const TClass*> classes;
    std::size_t checked = 0;
    for (const TPublishedList& list : Lists) {
        EXPECT_NE(nullptr, list.Class);
        if (!list.Class) continue;
        EXPECT_TRUE(classes.insert(list.Class).second) << list.Class->ClassName() << " listed twice";
        const std::vector<std::string> names = SplitNames(list.Names);
        std::vector<std::string> missing = MissingPublishedNames(list.Class, names);
        std::erase_if(missing, [&](const std::string& name) {
            return NotBuilt.count({list.Class->ClassName(), name}) != 0;
        });
        EXPECT_TRUE(missing.empty()) << list.Class->ClassName() << " does not publish " << JoinNames(missing);
        checked += names.size();
    }
    return {classes.size(), checked};
}
