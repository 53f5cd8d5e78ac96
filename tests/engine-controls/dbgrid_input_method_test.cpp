// The engine grid's input-method values: each column's, assigned or
// following its defaults, copied where assigned; the grid's, published and
// handed to its cell editor when the editor is made.
#include "platform/core/properties.h"
#include "platform/ui/grids.h"
#include "support/engine-controls/dbgrid_fixture.h"

namespace {

class DBGridInputMethodTest : public DBGridTest {};

TEST_F(DBGridInputMethodTest, ColumnValuesSetTheirAssignedBitsAndRestore) {
    ShowTasks(2);
    TOstraColumn* action = Grid->Columns()->Items(1);
    EXPECT_EQ(imDontCare, action->ImeMode());
    EXPECT_EQ(ScreenDefaultIme(), action->ImeName());
    EXPECT_FALSE(action->AssignedValues().Contains(cvImeMode));
    EXPECT_FALSE(action->AssignedValues().Contains(cvImeName));
    // Values of the column, not published.
    EXPECT_EQ(nullptr, GetPropInfo(action, "ImeMode"));
    EXPECT_EQ(nullptr, GetPropInfo(action, "ImeName"));

    action->SetImeMode(imDisable);
    EXPECT_EQ(imDisable, action->ImeMode());
    EXPECT_TRUE(action->AssignedValues().Contains(cvImeMode));
    EXPECT_FALSE(action->AssignedValues().Contains(cvImeName));
    // Assigning the default is an assignment too.
    action->SetImeName(ScreenDefaultIme());
    EXPECT_TRUE(action->AssignedValues().Contains(cvImeName));
    action->SetImeName("ibus");
    EXPECT_EQ("ibus", action->ImeName());

    action->RestoreDefaults();
    EXPECT_EQ(imDontCare, action->ImeMode());
    EXPECT_EQ(ScreenDefaultIme(), action->ImeName());
    EXPECT_FALSE(action->AssignedValues().Contains(cvImeMode));
    EXPECT_FALSE(action->AssignedValues().Contains(cvImeName));
}

TEST_F(DBGridInputMethodTest, AssignCopiesOnlyWhatTheSourceAssigned) {
    ShowTasks(2);
    TOstraColumn* source = Grid->Columns()->Items(1);
    TOstraColumn* target = Grid->Columns()->Items(2);
    target->SetImeMode(imOpen);
    target->SetImeName("fcitx");
    source->SetImeMode(imSAlpha);
    target->Assign(source);
    EXPECT_EQ(imSAlpha, target->ImeMode());
    EXPECT_EQ("fcitx", target->ImeName());  // not assigned in the source
    EXPECT_TRUE(target->AssignedValues().Contains(cvImeName));

    source->SetImeName("ibus");
    TOstraColumn* fresh = Grid->Columns()->Add();
    fresh->Assign(source);
    EXPECT_EQ(imSAlpha, fresh->ImeMode());
    EXPECT_EQ("ibus", fresh->ImeName());
    EXPECT_TRUE(fresh->AssignedValues().Contains(cvImeMode));

    // Nothing assigned, nothing copied.
    source->RestoreDefaults();
    fresh->Assign(source);
    EXPECT_EQ(imSAlpha, fresh->ImeMode());
    EXPECT_EQ("ibus", fresh->ImeName());
}

TEST_F(DBGridInputMethodTest, TheCellEditorTakesTheGridsOnCreation) {
    OpenTasks(3);
    UseTaskColumns();
    EXPECT_EQ(imDontCare, static_cast<TImeMode>(GetOrdProp(Grid, "ImeMode")));
    EXPECT_EQ(ScreenDefaultIme(), GetStrProp(Grid, "ImeName"));
    SetEnumProp(Grid, "ImeMode", "imDisable");
    SetStrProp(Grid, "ImeName", "kime");
    EXPECT_EQ(imDisable, Grid->ImeMode());
    ShowGrid();
    EXPECT_FALSE(InputMethodEnabledFor(Grid));
    ClickCell(1, 0);
    SendKey(Grid, VK_F2);
    ProcessEvents();
    TInplaceEdit* editor = Grid->InplaceEditor();
    ASSERT_NE(nullptr, editor);
    ASSERT_TRUE(editor->Visible());
    EXPECT_EQ(imDisable, editor->ImeMode());
    EXPECT_EQ("kime", editor->ImeName());
    EXPECT_FALSE(InputMethodEnabledFor(editor));
    // Made once: a later change of the grid's is not the editor's.
    Grid->SetImeMode(imOpen);
    EXPECT_EQ(imDisable, editor->ImeMode());
}

}  // namespace
