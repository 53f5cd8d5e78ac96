// A day with the started program, from the keyboard where it allows it:
// tasks typed into the lists, their priorities by name, and edits left
// half done when another command comes.
#include "support/app/program_harness.h"

#include "platform/core/clock.h"
#include "platform/ui/messages.h"

namespace {

using TNames = std::vector<std::string>;

class ProgramDayTest : public ProgramTest {
protected:
    void SetUp() override {
        ProgramTest::SetUp();
        SetClockForTesting(EncodeDate(2026, 12, 7) + 0.4);
    }
    void TearDown() override {
        ProgramTest::TearDown();
        ResetClock();
    }
};

// Each priority is typed by the name the cell shows ("Medium" is longer
// than the five characters its code field holds) and its code is stored.
TEST_F(ProgramDayTest, EveryPriorityNameTypedIntoItsCellStoresItsCode) {
    AddTasks("Ttask.d", {{"Call the plumber", "2", false}});
    AddTasks("List.d", {{"Someday", "2", false}});
    Start();
    struct TCase {
        TTabSheet* Tab;
        TOstraDBGrid* Grid;
        int PriorityCol;
    };
    const TNames names{"Urgent", "High", "Medium", "Low", "Completed"};
    for (const TCase& c : {TCase{Form->TabSheet1(), Form->OstraDBGrid1(), 3},
                           TCase{Form->TabSheet4(), Form->OstraDBGrid3(), 6}}) {
        SCOPED_TRACE(c.Tab->Caption());
        ShowTab(c.Tab);
        TDataSet* table = c.Grid->DataSource()->DataSet();
        ClickCell(c.Grid, c.PriorityCol, 1);
        TNames stored;
        for (const std::string& name : names) {
            TypeToFocus(name);
            SendKeyToFocus(VK_RETURN);
            stored.push_back(table->FieldByName("Priority")->AsString());
        }
        EXPECT_EQ(stored, (TNames{"0", "1", "2", "3", "4"}));
        // A text that names no priority still stores none.
        TypeToFocus("Soon");
        SendKeyToFocus(VK_RETURN);
        EXPECT_EQ(table->FieldByName("Priority")->AsString(), "");
        TypeToFocus("Medium");
        SendKeyToFocus(VK_RETURN);
    }
    Click(Form->spbtnSave());
    EXPECT_EQ(FileColumn("Ttask.d", "Priority"), TNames{"2"});
    EXPECT_EQ(FileColumn("List.d", "Priority"), TNames{"2"});
    EXPECT_TRUE(CloseProgram());
}

}  // namespace
