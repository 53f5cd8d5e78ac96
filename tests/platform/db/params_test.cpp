// Query parameters: lookup by name, values, copies and values from fields.
#include <gtest/gtest.h>

#include "platform/core/exceptions.h"
#include "platform/db/params.h"

namespace {

TEST(Params, NamesValuesAndCopies) {
    TParams params;
    TParam* id = params.AddParam("Id", ftInteger);
    TParam* name = params.AddParam("Name");
    EXPECT_TRUE(id->IsNull());
    EXPECT_EQ(id->AsInteger(), 0);
    id->SetAsInteger(12);
    name->SetAsString("Ann");
    EXPECT_EQ(name->DataType(), ftString);  // an unknown type follows the first value
    EXPECT_EQ(params.FindParam("NAME"), name);
    EXPECT_EQ(params.FindParam("Other"), nullptr);
    try {
        params.ParamByName("Other");
        FAIL();
    } catch (const EDatabaseError& e) {
        EXPECT_STREQ(e.what(), "Parameter 'Other' not found");
    }
    TParams copy;
    copy.AddParam("Stale");
    copy.Assign(&params);
    ASSERT_EQ(copy.Count(), 2);
    EXPECT_EQ(copy.Items(0)->Name(), "Id");
    EXPECT_EQ(copy.Items(0)->AsInteger(), 12);
    EXPECT_EQ(copy.Items(1)->AsString(), "Ann");
    EXPECT_EQ(copy.Items(1)->ParamType(), ptInput);
    name->Clear();
    EXPECT_TRUE(name->IsNull());
    EXPECT_EQ(copy.Items(1)->AsString(), "Ann");  // copies do not share values
    EXPECT_EQ(id->DisplayName(), "Id");
}

}  // namespace
