// Save Changes and the Catch All list: the first save writes its edit, the second finds nothing to write.
#include <filesystem>

#include "platform/core/datetime.h"
#include "support/app/program_harness.h"

namespace {

using TNames = std::vector<std::string>;

TEST_F(ProgramTest, SaveChangesWritesTheCatchAllListOnceAndASaveWithNothingPendingWritesNoFile) {
    Open();
    ShowTab(Form->TabSheet4());
    // An insert still open is posted and written.
    Form->dList_()->Append();
    Form->dList_()->FieldByName("Action")->SetAsString("Pending idea");
    Click(Form->spbtnSave());
    EXPECT_EQ(Form->dList_()->State(), dsBrowse);
    EXPECT_FALSE(Form->dList_()->HasPendingChanges());
    EXPECT_EQ(FileColumn("List.d", "Action"), TNames{"Pending idea"});

    // With nothing pending, no save of the command rewrites the file: an old
    // time stamp stays.
    const std::string list = Dir + "List.d";
    const auto stamp = std::filesystem::last_write_time(list) - std::chrono::hours(24 * 365);
    std::filesystem::last_write_time(list, stamp);
    Click(Form->spbtnSave());
    EXPECT_EQ(std::filesystem::last_write_time(list), stamp);
    EXPECT_EQ(FileColumn("List.d", "Action"), TNames{"Pending idea"});

    // A later edit is written again.
    PutText(Form->dList_(), "Action", "Changed idea");
    Click(Form->spbtnSave());
    EXPECT_NE(std::filesystem::last_write_time(list), stamp);
    EXPECT_EQ(FileColumn("List.d", "Action"), TNames{"Changed idea"});
}

}  // namespace
