// A suite edit dragged by the user onto the engine grid, with real mouse
// input in a shown form: the events each side fires, in order, with their
// source, target and client points; the cursor; refusing, cancelling; two
// forms.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/ostra_table.h"
#include "platform/core/properties.h"
#include "platform/core/sysutils.h"
#include "platform/db/datasource.h"
#include "platform/db/fields.h"
#include "platform/ui/application.h"
#include "platform/ui/extctrls.h"
#include "platform/ui/forms.h"
#include "platform/ui/testing.h"
#include "suite/edit/qzdatetimepicker.h"
#include "suite/edit/qzdbcombobox.h"
#include "suite/edit/qzdbedit.h"
#include "support/engine/engine_test_support.h"
#include "support/flows/drag_flow_grid.h"

namespace {

std::string NameOf(TObject* Object) {
    if (!Object) return "nil";
    if (auto* c = dynamic_cast<TComponent*>(Object)) return c->Name();
    return Object->ClassName();
}

const char* StateName(TDragState State) {
    switch (State) {
    case dsDragEnter: return "enter";
    case dsDragLeave: return "leave";
    default: return "move";
    }
}

class SuiteEditToEngineGridDrag : public ::testing::Test {
protected:
    void SetUp() override {
        Form = CreateForm<TForm>(Application);
        Form->SetBounds(20, 20, 340, 340);
        Table = new TOstraTable(Form);
        AddTaskDefs(*Table);
        Table->Open();
        for (int i = 1; i <= 5; ++i) {
            Table->Append();
            Table->FieldByName("Action")->SetAsString("Task " + std::to_string(i));
            Table->Post();
        }
        Table->First();
        Source = new TDataSource(Form);
        Source->SetDataSet(Table);
        Edit = new TqzDBEdit(Form);
        Edit->SetName("Edit");
        Edit->SetParent(Form);
        Edit->SetBounds(10, 10, 150, 24);
        Edit->SetText("dragged words");
        SetEnumProp(Edit, "DragMode", "dmAutomatic");
        Between = new TPanel(Form);
        Between->SetName("Between");
        Between->SetParent(Form);
        Between->SetBounds(10, 50, 150, 40);
        Grid = MakeEngineGrid(Form, Form, Source);
        Grid->SetBounds(10, 110, 300, 180);
        Edit->SetOnStartDrag(TStartDragEvent(
            [this](TObject* Sender, TDragObject*&) { Log.push_back("StartDrag " + NameOf(Sender)); }));
        Edit->SetOnEndDrag(TEndDragEvent([this](TObject* Sender, TObject* Target, int X, int Y) {
            Log.push_back(
                Format("EndDrag %s %s %d,%d", NameOf(Sender).c_str(), NameOf(Target).c_str(), X, Y));
        }));
        Watch(Between, false);
        Watch(Grid, true);
        // The dropped text goes into the row under the drop point.
        Grid->SetOnDragDrop(TDragDropEvent([this](TObject* Sender, TObject* From, int X, int Y) {
            Log.push_back(Format("DragDrop %s %s %d,%d", NameOf(Sender).c_str(), NameOf(From).c_str(), X, Y));
            const int row = EngineGridRowAt(Grid, X, Y);
            if (row < 0) return;
            Table->First();
            Table->MoveBy(row);
            Table->Edit();
            Table->FieldByName("Action")->SetAsString(static_cast<TqzDBEdit*>(From)->Text());
            Table->Post();
        }));
        Form->Show();
        ActivateForm(Form);
        ProcessEvents();
    }
    void TearDown() override {
        delete Form;
        ProcessEvents();
    }
    void Watch(TControl* Control, bool Accept) {
        Control->SetOnDragOver(TDragOverEvent(
            [this, Accept](TObject* Sender, TObject* From, int X, int Y, TDragState State, bool& Accepted) {
                Log.push_back(Format("DragOver %s %s %s %d,%d", NameOf(Sender).c_str(), NameOf(From).c_str(),
                                     StateName(State), X, Y));
                Accepted = Accept && dynamic_cast<TqzDBEdit*>(From) != nullptr;
            }));
    }
    TPoint RowPoint(int DataRow) const { return EngineGridRowPoint(Grid, DataRow); }

    TForm* Form = nullptr;
    TOstraTable* Table = nullptr;
    TDataSource* Source = nullptr;
    TqzDBEdit* Edit = nullptr;
    TPanel* Between = nullptr;
    TWinControl* Grid = nullptr;
    std::vector<std::string> Log;
};

TEST_F(SuiteEditToEngineGridDrag, TheEditDropsOnTheGridThatAccepts) {
    SendMouseDown(Edit, mbLeft, 8, 8);
    EXPECT_TRUE(Edit->Dragging());
    SendMouseMove(Between, 20, 15, {ssLeft});
    EXPECT_EQ(Screen->Cursor(), crNoDrop);
    const TPoint row = RowPoint(2);
    SendMouseMove(Grid, row.X, row.Y - 1, {ssLeft});
    EXPECT_EQ(Screen->Cursor(), crDrag);
    SendMouseUp(Grid, mbLeft, row.X, row.Y);
    EXPECT_EQ(Screen->Cursor(), crDefault);
    const std::string at = Format("%d,%d", row.X, row.Y);
    const std::string before = Format("%d,%d", row.X, row.Y - 1);
    EXPECT_EQ(Log,
              (std::vector<std::string>{
                  "StartDrag Edit", "DragOver Between Edit enter 20,15", "DragOver Between Edit move 20,15",
                  "DragOver Between Edit leave 20,15", "DragOver Grid Edit enter " + before,
                  "DragOver Grid Edit move " + before, "DragOver Grid Edit move " + at,
                  "DragOver Grid Edit leave " + at, "DragDrop Grid Edit " + at, "EndDrag Edit Grid " + at}));
    EXPECT_EQ(Table->RecNo(), 3);
    EXPECT_EQ(Table->FieldByName("Action")->AsString(), "dragged words");
    // The edit kept its text; the grid shows the new one.
    EXPECT_EQ(Edit->Text(), "dragged words");
}

TEST_F(SuiteEditToEngineGridDrag, RefusedOrCancelledTheDragEndsWithoutTarget) {
    SendMouseDown(Edit, mbLeft, 8, 8);
    SendMouseMove(Between, 30, 20, {ssLeft});
    EXPECT_EQ(Screen->Cursor(), crNoDrop);
    SendMouseUp(Between, mbLeft, 30, 20);
    EXPECT_EQ(Log.back(), "EndDrag Edit nil 0,0");
    for (const std::string& line : Log) EXPECT_NE(line.rfind("DragDrop", 0), 0u) << line;

    const TPoint row = RowPoint(1);
    Log.clear();
    SendMouseDown(Edit, mbLeft, 8, 8);
    SendMouseMove(Grid, row.X, row.Y, {ssLeft});
    SendKey(Edit, VK_ESCAPE);
    SendMouseUp(Grid, mbLeft, row.X, row.Y);
    EXPECT_EQ(Log.back(), "EndDrag Edit nil 0,0");
    EXPECT_EQ(Log[Log.size() - 2], Format("DragOver Grid Edit leave %d,%d", row.X, row.Y));

    Log.clear();
    SendMouseDown(Edit, mbLeft, 8, 8);
    SendMouseMove(Grid, row.X, row.Y, {ssLeft});
    SendClick(Grid, row.X, row.Y, mbRight, {ssLeft});
    SendMouseUp(Grid, mbLeft, row.X, row.Y);
    EXPECT_EQ(Log.back(), "EndDrag Edit nil 0,0");
    Table->First();
    for (; !Table->Eof(); Table->Next()) EXPECT_NE(Table->FieldByName("Action")->AsString(), "dragged words");
}

TEST_F(SuiteEditToEngineGridDrag, TheEditDropsOnAGridOfAnotherForm) {
    // The grid moves to a second form beside the first.
    TForm* other = CreateForm<TForm>(Application);
    other->SetBounds(420, 40, 340, 240);
    Grid->SetParent(other);
    Grid->SetBounds(10, 10, 300, 180);
    other->Show();
    ProcessEvents();
    const TPoint row = RowPoint(0);
    SendMouseDown(Edit, mbLeft, 8, 8);
    SendMouseMove(Between, 5, 5, {ssLeft});
    SendMouseMove(Grid, row.X, row.Y, {ssLeft});
    EXPECT_EQ(Screen->Cursor(), crDrag);
    SendMouseUp(Grid, mbLeft, row.X, row.Y);
    EXPECT_EQ(Log.back(), Format("EndDrag Edit Grid %d,%d", row.X, row.Y));
    EXPECT_EQ(Table->RecNo(), 1);
    EXPECT_EQ(Table->FieldByName("Action")->AsString(), "dragged words");
    delete other;
}

// The suite's edits publish the drag names, the picker OnStartDrag too.
TEST(SuiteDragNames, TheEditsPublishTheirDragNames) {
    TForm* form = CreateForm<TForm>(Application);
    auto* edit = new TqzDBEdit(form);
    auto* combo = new TqzDBComboBox(form);
    auto* picker = new TqzDBDateTimePicker(form);
    for (TObject* c :
         {static_cast<TObject*>(edit), static_cast<TObject*>(combo), static_cast<TObject*>(picker)})
        for (const char* name : {"DragCursor", "DragMode", "OnDragDrop", "OnDragOver", "OnEndDrag"})
            EXPECT_NE(GetPropInfo(c, name), nullptr) << c->ClassName() << " " << name;
    EXPECT_NE(GetPropInfo(picker, "OnStartDrag"), nullptr);
    EXPECT_EQ(GetPropInfo(edit, "OnStartDrag"), nullptr);
    EXPECT_EQ(GetPropInfo(edit, "DragKind"), nullptr);
    EXPECT_EQ(GetEnumProp(combo, "DragMode"), "dmManual");
    EXPECT_EQ(GetOrdProp(combo, "DragCursor"), crDrag);
    delete form;
}

}  // namespace
