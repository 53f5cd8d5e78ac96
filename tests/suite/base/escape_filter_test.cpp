// Escape during filtering: only an Escape press is taken off the input; the
// rest stays queued in its order.
#include <gtest/gtest.h>

#include "platform/ui/forms.h"
#include "platform/ui/messages.h"
#include "platform/ui/stdctrls.h"
#include "platform/ui/testing.h"
#include "suite/base/qzdbutils.h"
#include "suite/base/qzproputils.h"
#include "support/suite/suite_test_table.h"

namespace {

class EscapeFilter : public ::testing::Test {
protected:
    void SetUp() override {
        Form = new TForm(nullptr);
        Form->SetBounds(0, 0, 240, 120);
        Edit = new TEdit(Form);
        Edit->SetParent(Form);
        Form->Show();
        ActivateForm(Form);
        Edit->SetFocus();
        ProcessEvents();
        Table.FieldDefs()->Add("Name", ftString, 10);
        Table.Open();
    }
    void TearDown() override { delete Form; }
    TForm* Form = nullptr;
    TEdit* Edit = nullptr;
    TqzTestTable Table;
};

TEST_F(EscapeFilter, EscapeTakenOtherKeysKeptInOrder) {
    PostKey(Edit, 'A');
    PostKey(Edit, VK_ESCAPE);
    PostKey(Edit, 'B');
    EXPECT_TRUE(qzCancelFilterOnEscape(&Table));
    EXPECT_EQ(Table.OnFilterOptions(), TqzOnFilterOptions{});
    EXPECT_EQ(Edit->Text(), "");  // nothing typed yet: the keys still wait
    ProcessEvents();
    EXPECT_EQ(Edit->Text(), "ab");
}

TEST_F(EscapeFilter, NoEscapeLeavesEverything) {
    PostKey(Edit, 'X');
    PostKey(Edit, 'Y');
    EXPECT_FALSE(qzCancelFilterOnEscape(&Table));
    EXPECT_EQ(Table.OnFilterOptions(), TqzOnFilterOptions{ofoEnabled});
    EXPECT_FALSE(qzCancelFilterOnEscape(&Table));  // asking again swallows nothing either
    ProcessEvents();
    EXPECT_EQ(Edit->Text(), "xy");
}

TEST_F(EscapeFilter, OnlyOneEscapeAtATime) {
    PostKey(Edit, VK_ESCAPE);
    PostKey(Edit, VK_ESCAPE);
    EXPECT_TRUE(TakePendingEscape());
    EXPECT_TRUE(TakePendingEscape());
    EXPECT_FALSE(TakePendingEscape());
    ProcessEvents();
}

TEST_F(EscapeFilter, PostedEscapeMessageTaken) {
    PostMessage(Edit, WM_KEYDOWN, VK_ESCAPE, 0);
    PostMessage(Edit, WM_CHAR, 'q', 0);
    EXPECT_TRUE(TakePendingEscape());
    EXPECT_EQ(PostedMessageCount(), 1);
    TMessage m;
    EXPECT_TRUE(PeekMessage(m, Edit, 0, 0, false));
    EXPECT_EQ(m.Msg, WM_CHAR);
    ProcessEvents();
}

TEST_F(EscapeFilter, DataSetWithoutOptionsStillAnswers) {
    TComponent bare(nullptr);
    PostKey(Edit, VK_ESCAPE);
    EXPECT_TRUE(qzCancelFilterOnEscape(&bare));
    EXPECT_FALSE(qzCancelFilterOnEscape(nullptr));
}

}  // namespace
