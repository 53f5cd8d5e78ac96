// Every name the program's own components list as published is found,
// spelt alike, in the class's published-property list.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "app/ascii_file.h"
#include "app/version_info.h"
#include "support/published_names.h"

namespace {

// The components and the names each publishes, separated by blanks.
std::vector<TPublishedList> PublishedLists() {
    return {
        {TZkVersionInfo::StaticClass(), "FileName"},
        {TAsciiFile::StaticClass(), "FileType Headers FileName DataSource QuoteAll"},
    };
}

TEST(PublishedNames, EveryListedNameIsInItsClassesPublishedList) {
    const std::vector<TPublishedList> lists = PublishedLists();
    std::set<const TClass*> classes;
    std::size_t checked = 0;
    for (const TPublishedList& list : lists) {
        ASSERT_NE(nullptr, list.Class);
        EXPECT_TRUE(classes.insert(list.Class).second) << list.Class->ClassName() << " listed twice";
        const std::vector<std::string> names = SplitNames(list.Names);
        const std::vector<std::string> missing = MissingPublishedNames(list.Class, names);
        EXPECT_TRUE(missing.empty()) << list.Class->ClassName() << " does not publish " << JoinNames(missing);
        checked += names.size();
    }
    EXPECT_EQ(2u, classes.size());
    EXPECT_EQ(6u, checked);
}

}  // namespace
