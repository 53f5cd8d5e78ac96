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
    const auto [classes, checked] = ExpectListsPublished(PublishedLists());
    EXPECT_EQ(2u, classes);
    EXPECT_EQ(6u, checked);
}

}  // namespace
