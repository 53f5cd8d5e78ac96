// The filter commands in the started program: Filter Records opens the
// filter form over the tab's fields, Remove Filter shows the tab's records
// again (on Today every flagged one), and filtering loses nothing on exit.
#include "platform/db/dataset.h"
#include "platform/ui/stdctrls.h"
#include "suite/data/qzfilterdialog.h"
#include "suite/data/qzfilterdlg.h"
#include "support/app/program_harness.h"

namespace {

using TNames = std::vector<std::string>;

class ProgramFilterTest : public ProgramTest {
protected:
    // Filter Records: chooses the listed field Label with the Down key, types
    // Value and presses Enter.
    void FilterBy(const std::string& Label, const std::string& Value) {
        Modal.Push([Label, Value](TCustomForm* F) {
            auto* f = dynamic_cast<TqzFilterDlg*>(F);
            ASSERT_NE(nullptr, f);
            const int target = f->FieldsListBox()->Items()->IndexOf(Label);
            ASSERT_GE(target, 0);
            // Up and Down outside the list move its selection.
            TWinControl* start = f->ValueEditor();
            for (int i = f->FieldsListBox()->ItemIndex(); i < target; ++i) SendKey(start, VK_DOWN);
            ASSERT_EQ(target, f->FieldsListBox()->ItemIndex());
            ASSERT_FALSE(f->ByRange());
            TWinControl* editor = f->ValueEditor();
            ASSERT_TRUE(editor->Showing());
            SendText(editor, Value);
            SendKey(editor, VK_RETURN);
        });
        Click(Form->SpeedButton5());
        EXPECT_EQ(0, Modal.Pending());
    }
    TTestModalForms Modal;
};

TEST_F(ProgramFilterTest, GroupOneFiltersByATypedValueAndRemoveFilterShowsEverything) {
    AddTasks("Ttask.d", {{"Call Ann", "1", false}, {"Buy milk", "2", true}, {"Call Bob", "3", true}});
    Start();
    ShowTab(Form->TabSheet1());
    EXPECT_TRUE(Form->SpeedButton5()->Enabled());
    EXPECT_TRUE(Form->SpeedButton3()->Enabled());
    FilterBy("Action", "call");
    EXPECT_EQ((TNames{"Call Ann", "Call Bob"}), Column(Form->dTask_(), "Action"));
    Click(Form->SpeedButton3());
    EXPECT_EQ(3u, Column(Form->dTask_(), "Action").size());
}

TEST_F(ProgramFilterTest, OnTodayRemoveFilterLeavesExactlyTheFlaggedRows) {
    AddTasks("Ttask.d", {{"Call Ann", "1", false}, {"Buy milk", "2", true}, {"Call Bob", "3", true}});
    Start();
    ShowTab(Form->TabSheet7());
    EXPECT_EQ((TNames{"Buy milk", "Call Bob"}), Column(Form->tblToDay1_(), "Action"));
    FilterBy("Action", "call");
    EXPECT_EQ((TNames{"Call Bob"}), Column(Form->tblToDay1_(), "Action"));
    Click(Form->SpeedButton3());
    EXPECT_EQ((TNames{"Buy milk", "Call Bob"}), Column(Form->tblToDay1_(), "Action"));
}

TEST_F(ProgramFilterTest, FilteringTwoTabsThenSavingAndExitingLosesNothing) {
    AddTasks("Ttask.d", {{"Call Ann", "1", false}, {"Buy milk", "2", true}});
    Start();
    ShowTab(Form->TabSheet1());
    FilterBy("Action", "buy");
    EXPECT_EQ((TNames{"Buy milk"}), Column(Form->dTask_(), "Action"));
    ShowTab(Form->TabSheet5());
    const size_t quotes = Column(Form->dQuotes_(), "Quote").size();
    ASSERT_GT(quotes, 0u);
    const std::string first = Column(Form->dQuotes_(), "Author").front();
    FilterBy("Author", first.substr(0, 1));
    EXPECT_FALSE(Column(Form->dQuotes_(), "Author").empty());
    Click(Form->spbtnSave());
    Stop();
    EXPECT_EQ((TNames{"Call Ann", "Buy milk"}), FileColumn("Ttask.d", "Action"));
    EXPECT_EQ(quotes, FileColumn("quotes.d", "Quote").size());
}

}  // namespace
