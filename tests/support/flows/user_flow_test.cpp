// The flows every data-aware grid and edit goes through (see user_flow.h).
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/core/streams.h"
#include "platform/core/sysutils.h"
#include "platform/db/dbtables.h"
#include "platform/db/fielddefs.h"
#include "platform/ui/application.h"
#include "platform/ui/bitmaps.h"
#include "platform/ui/clipboard.h"
#include "platform/ui/dbctrls.h"
#include "platform/ui/stdctrls.h"
#include "platform/ui/testing.h"
#include "platform/ui/timer.h"
#include "suite/data/qzkeycb.h"
#include "suite/data/qzkeycombo.h"
#include "suite/grid/qzdbgrid.h"
#include "support/environment.h"
#include "support/flows/choice_flow.h"
#include "support/flows/display_flow.h"
#include "support/flows/user_flow.h"
#include "support/suite/suite_test_table.h"

std::vector<TFlowInstance>& FlowInstances() {
    static std::vector<TFlowInstance> instances;
    return instances;
}

void PrintTo(const TFlowInstance& Instance, std::ostream* Out) { *Out << Instance.Name; }

namespace {

// A flow that needs what the control lacks is skipped.
#define FLOW_NEEDS(Cap) \
    if (!C->Caps().Cap) GTEST_SKIP() << "the control has no " #Cap

const char* const kFields[] = {"Id", "Name", "Code", "Amount", "Notes", "Details", "Start", "Due"};
using TRows = std::vector<std::map<std::string, std::string>>;

class UserFlowTest : public ::testing::TestWithParam<TFlowInstance> {
protected:
    void SetUp() override {
        ResetFormatSettings();
        C = GetParam().Make();
        Form = CreateForm<TForm>(Application);
        Form->SetBounds(40, 40, 640, 420);
        Table = C->MakeTable(Form, Env.Folder());
        if (!Table) {
            EngineTable = new TqzTestTable(Form);
            TFieldDefs* defs = EngineTable->FieldDefs();
            defs->Add("Id", ftInteger);
            defs->Add("Name", ftString, 20);
            defs->Add("Code", ftString, 6);
            defs->Add("Amount", ftFloat);
            defs->Add("Notes", ftMemo);
            defs->Add("Details", ftMemo);
            defs->Add("Start", ftDate);
            defs->Add("Due", ftDate);
            for (const auto& [name, type] : C->MoreFields()) defs->Add(name, type);
            Table = EngineTable;
        }
        Table->Open();
        Table->AppendRecord({Variant(1), Variant("Alpha"), Variant("A1"), Variant(1.5), Variant("First note"),
                             Variant("One"), Variant::FromDateTime(EncodeDate(2020, 1, 15)),
                             Variant::FromDateTime(EncodeDate(2020, 2, 20))});
        Table->AppendRecord({Variant(2), Variant("Beta"), Variant("B2"), Variant(2.5), Variant("Second note"),
                             Variant("Two"), Variant::FromDateTime(EncodeDate(2021, 3, 5)),
                             Variant::FromDateTime(EncodeDate(2021, 4, 10))});
        Table->First();
        Source = new TDataSource(Form);
        Source->SetDataSet(Table);
        C->Build(Form, Source);
        Other = new TEdit(Form);
        Other->SetParent(Form);
        Other->SetBounds(8, 360, 120, 24);
        Form->Show();
        ActivateForm(Form);
        ProcessEvents();
        Expected = Read(*Table);
        Table->First();
        F0 = C->Fields()[0];
        F1 = C->Fields()[1];
    }
    void TearDown() override {
        delete Form;
        ProcessEvents();
        C.reset();
    }

    TRows Read(TDataSet& Ds) {
        TRows rows;
        for (Ds.First(); !Ds.Eof(); Ds.Next()) {
            std::map<std::string, std::string> row;
            for (const char* name : kFields) row[name] = C->Stored(Ds.FieldByName(name));
            for (const auto& field : C->MoreFields())
                row[field.first] = C->Stored(Ds.FieldByName(field.first));
            rows.push_back(row);
        }
        return rows;
    }

    // Posts, saves the table file and reads every field back with a fresh table
    // (a database table: with a fresh dataset over what the post stored).
    void Finish() {
        ProcessEvents();
        if (Table->State() == dsEdit || Table->State() == dsInsert) Table->Post();
        if (!EngineTable) {
            std::unique_ptr<TDataSet> fresh = C->Reopen();
            ASSERT_TRUE(fresh);
            EXPECT_EQ(Expected, Read(*fresh));
            return;
        }
        const std::string path = Env.Path("flow.d");
        EngineTable->SaveToFile(path);
        TqzTestTable fresh(nullptr);
        fresh.SetTableName(path);
        fresh.Open();
        EXPECT_EQ(Expected, Read(fresh));
    }

    // Real keys, each to whatever has the focus then.
    static void Type(const std::string& Text) {
        for (char ch : Text) {
            ASSERT_NE(nullptr, FocusedControl());
            SendText(FocusedControl(), std::string(1, ch));
        }
    }
    static void Key(uint16_t K, TShiftState Shift = {}) { SendKeyToFocus(K, Shift); }
    // F4, or Alt+Down where F4 is no drop-down key.
    void OpenDropDown() {
        if (C->Caps().DropDownNoF4)
            Key(VK_DOWN, {ssAlt});
        else
            Key(VK_F4);
    }

    // F2 opens the field's editor window; Step works it with real keys,
    // which go to whatever has the focus in the window.
    void InWindow(std::function<void(TCustomForm*)> Step) {
        Modal.Push([Step](TCustomForm* W) {
            // what the window system does with a new modal window
            ActivateForm(W);
            Step(W);
        });
        Key(VK_F2);
        EXPECT_EQ(0, Modal.Pending());
        ProcessEvents();
    }

    // The focus is in the field's control (or its cell editor).
    bool FocusIn(const std::string& Field) {
        TWinControl* f = FocusedControl();
        TWinControl* c = C->Control(Field);
        for (; f; f = f->Parent())
            if (f == c) return true;
        return false;
    }

    TTestEnvironment Env;
    TTestDialogs Dialogs;
    TTestClipboard Clip;
    TTestModalForms Modal;
    std::unique_ptr<TFlowControl> C;
    TForm* Form = nullptr;
    TDataSet* Table = nullptr;
    TqzTestTable* EngineTable = nullptr;
    TDataSource* Source = nullptr;
    TEdit* Other = nullptr;
    TRows Expected;
    std::string F0, F1;
};

// ---- Leaving a field: the text goes to the field it was typed for --------------------------------

TEST_P(UserFlowTest, LeaveByTab) {
    C->Focus(F0);
    Type(C->Typed("QQ"));
    Key(VK_TAB);
    Expected[0][F0] = C->Typed("QQ");
    Finish();
}

TEST_P(UserFlowTest, LeaveByShiftTab) {
    C->Focus(F1);
    Type(C->Typed("QQ"));
    Key(VK_TAB, {ssShift});
    Expected[0][F1] = C->Typed("QQ");
    Finish();
}

TEST_P(UserFlowTest, TypeInBothFieldsLeavingByTab) {
    C->Focus(F0);
    Type(C->Typed("QQ"));
    Key(VK_TAB);
    EXPECT_TRUE(FocusIn(F1));
    C->Entered(F1);
    Type(C->Typed("ZZ"));
    Key(VK_TAB, {ssShift});
    Expected[0][F0] = C->Typed("QQ");
    Expected[0][F1] = C->Typed("ZZ");
    Finish();
}

// Typed past the text field's size: the control stops where the field does
// (a field of SQLite, which keeps texts of any length, nowhere), so what
// shows while typing is what is stored.
TEST_P(UserFlowTest, TypedPastTheFieldsSizeShowsWhatIsStored) {
    TField* field = Table->FieldByName(F1);
    if (field->DataType() != ftString) GTEST_SKIP() << "the field is no text field";
    C->Focus(F1);
    const std::string typed = C->Typed("QRSTUVWXYZ");
    ASSERT_GT(typed.size(), static_cast<std::size_t>(field->Size()));
    Type(typed);
    const int room = TextRoomOf(field);
    const std::string kept = room > 0 ? typed.substr(0, static_cast<std::size_t>(room)) : typed;
    EXPECT_EQ(C->Shown(F1), kept);
    Key(VK_TAB, {ssShift});
    Expected[0][F1] = kept;
    Finish();
}

TEST_P(UserFlowTest, LeaveByEnter) {
    C->Focus(F0);
    Type(C->Typed("QQ"));
    Key(VK_RETURN);
    Expected[0][F0] = C->Typed("QQ");
    Finish();
}

TEST_P(UserFlowTest, LeaveByEnterAsTab) {
    FLOW_NEEDS(EnterToTab);
    C->SetEnterToTab(true);
    C->Focus(F0);
    Type(C->Typed("QQ"));
    Key(VK_RETURN);
    EXPECT_TRUE(FocusIn(F1));
    Expected[0][F0] = C->Typed("QQ");
    Finish();
}

TEST_P(UserFlowTest, LeaveByArrows) {
    FLOW_NEEDS(ArrowsLeave);
    C->Focus(F0);
    Type(C->Typed("QQ"));
    Key(VK_DOWN);
    C->Focus(F1);
    Type(C->Typed("ZZ"));
    Key(VK_UP);
    Expected[0][F0] = C->Typed("QQ");
    Expected[1][F1] = C->Typed("ZZ");
    Finish();
}

TEST_P(UserFlowTest, LeaveByClickOnAnotherCell) {
    FLOW_NEEDS(Grid);
    C->Focus(F0);
    Type(C->Typed("QQ"));
    C->Click(F1, 1);
    Expected[0][F0] = C->Typed("QQ");
    Finish();
}

TEST_P(UserFlowTest, LeaveByClickOnAnotherControl) {
    C->Focus(F0);
    Type(C->Typed("QQ"));
    // A sent press is not the window system's, which would also give the
    // edit the focus on the press.
    SendMouseDown(Other, mbLeft, 5, 5);
    if (FocusedControl() != Other) Other->SetFocus();
    SendMouseUp(Other, mbLeft, 5, 5);
    ProcessEvents();
    EXPECT_EQ(Other, FocusedControl());
    Expected[0][F0] = C->Typed("QQ");
    Finish();
}

TEST_P(UserFlowTest, LeaveByClosingTheForm) {
    C->Focus(F0);
    Type(C->Typed("QQ"));
    Form->Close();
    ProcessEvents();
    EXPECT_FALSE(Form->Visible());
    Expected[0][F0] = C->Typed("QQ");
    Finish();
}

// ---- Escape takes back the field being typed in, and nothing else --------------------------------

TEST_P(UserFlowTest, EscapeOnceUndoesTheFieldOnly) {
    C->Focus(F0);
    Type(C->Typed("QQ"));
    Key(VK_TAB);
    C->Entered(F1);
    Type(C->Typed("ZZ"));
    Key(VK_ESCAPE);
    EXPECT_EQ(Expected[0][F1], C->Shown(F1));
    EXPECT_EQ(C->Typed("QQ"), C->Shown(F0));
    EXPECT_TRUE(FocusIn(F1));
    Expected[0][F0] = C->Typed("QQ");
    Finish();
}

// ---- F2, Enter and a double-click open the cell editor once ---------------------------------------

TEST_P(UserFlowTest, F2OpensTheEditorOnce) {
    FLOW_NEEDS(EditorKeys);
    C->Focus(F0);
    Key(VK_F2);
    ASSERT_TRUE(C->EditorOpen());
    EXPECT_EQ("Alpha", C->Shown(F0));
    Key(VK_END);
    Type("Z");
    Key(VK_F2);
    EXPECT_TRUE(C->EditorOpen());
    EXPECT_EQ("AlphaZ", C->Shown(F0));
    Key(VK_TAB);
    Expected[0][F0] = "AlphaZ";
    Finish();
}

TEST_P(UserFlowTest, EnterOpensTheEditorOnce) {
    FLOW_NEEDS(EditorKeys);
    C->Focus(F0);
    Key(VK_RETURN);
    ASSERT_TRUE(C->EditorOpen());
    EXPECT_EQ("Alpha", C->Shown(F0));
    Key(VK_END);
    Type("Z");
    Key(VK_RETURN);
    EXPECT_EQ("AlphaZ", C->Shown(F0));
    Expected[0][F0] = "AlphaZ";
    Finish();
}

TEST_P(UserFlowTest, DoubleClickOpensTheEditorOnce) {
    FLOW_NEEDS(EditorKeys);
    C->Focus(F0);
    C->DoubleClick(F0);
    ASSERT_TRUE(C->EditorOpen());
    EXPECT_EQ("Alpha", C->Shown(F0));
    Key(VK_END);
    Type("Z");
    C->DoubleClick(F0);
    EXPECT_TRUE(C->EditorOpen());
    EXPECT_EQ("AlphaZ", C->Shown(F0));
    Key(VK_TAB);
    Expected[0][F0] = "AlphaZ";
    Finish();
}

// ---- The direction turned while the cell editor shows: the editor stays over its cell ------

TEST_P(UserFlowTest, DirectionTurnedWhileEditingKeepsTheEditorAndItsText) {
    FLOW_NEEDS(EditorKeys);
    FLOW_NEEDS(Turns);
    C->Focus(F0);
    Key(VK_F2);
    ASSERT_TRUE(C->EditorOpen());
    Key(VK_END);
    Type("Z");
    C->SetDirection(bdLeftToRight);
    ProcessEvents();
    EXPECT_TRUE(C->EditorOverCell());
    EXPECT_TRUE(FocusIn(F0));
    Type("Y");
    C->SetDirection(bdRightToLeft);
    ProcessEvents();
    EXPECT_TRUE(C->EditorOverCell());
    EXPECT_EQ("AlphaZY", C->Shown(F0));
    Key(VK_TAB);
    Expected[0][F0] = "AlphaZY";
    Finish();
}

TEST_P(UserFlowTest, DirectionTurnedWithTheDropDownOpenKeepsTheText) {
    FLOW_NEEDS(DropDown);
    FLOW_NEEDS(Turns);
    C->Focus(F0);
    const std::string typed = C->Typed("Xyz");
    Type(typed);
    OpenDropDown();
    ASSERT_TRUE(C->DroppedDown());
    for (const TBiDiMode mode : {bdLeftToRight, bdRightToLeft}) {
        SCOPED_TRACE(static_cast<int>(mode));
        C->SetDirection(mode);
        ProcessEvents();
        // the list closes taking nothing
        EXPECT_FALSE(C->DroppedDown());
        EXPECT_TRUE(C->EditorOverCell());
        EXPECT_TRUE(FocusIn(F0));
        EXPECT_EQ(typed, C->Shown(F0));
    }
    Key(VK_TAB);
    Expected[0][F0] = typed;
    Finish();
}

// ---- The vertical scroll bar takes clicks where the window draws it ---------------------------

TEST_P(UserFlowTest, ScrollBarClicksMoveThroughTheRecords) {
    FLOW_NEEDS(ScrollBar);
    C->ShowOneRow();
    C->Focus(F0);
    Type(C->Typed("QQ"));
    // The down arrow: the typed text is posted on the way to the next record.
    C->ClickScrollBar(true);
    EXPECT_EQ(2, Table->FieldByName("Id")->AsInteger());
    C->Focus(F1);
    Type(C->Typed("ZZ"));
    C->ClickScrollBar(false);
    EXPECT_EQ(1, Table->FieldByName("Id")->AsInteger());
    EXPECT_EQ(C->Typed("QQ"), C->Shown(F0));
    Expected[0][F0] = C->Typed("QQ");
    Expected[1][F1] = C->Typed("ZZ");
    Finish();
}

// ---- A drop-down gives the keys and the focus back --------------------------------------------

TEST_P(UserFlowTest, DropDownClosedByEscapeKeepsTheText) {
    FLOW_NEEDS(DropDown);
    C->Focus(F0);
    const std::string typed = C->Typed("Xyz");
    Type(typed);
    OpenDropDown();
    ASSERT_TRUE(C->DroppedDown());
    Key(VK_ESCAPE);
    EXPECT_FALSE(C->DroppedDown());
    EXPECT_TRUE(FocusIn(F0));
    EXPECT_EQ(typed, C->Shown(F0));
    Key(VK_END);
    Type(C->Typed("!"));
    EXPECT_EQ(C->EndAndType(typed, "!"), C->Shown(F0));
    Key(VK_TAB);
    Expected[0][F0] = C->EndAndType(typed, "!");
    Finish();
}

TEST_P(UserFlowTest, DropDownClosedByOtherKeysAndAClick) {
    FLOW_NEEDS(DropDown);
    struct TWay {
        const char* Name;
        uint16_t Open;
        TShiftState OpenShift;
        uint16_t Close;
        TShiftState CloseShift;
    };
    const TWay ways[] = {{"F4/F4", VK_F4, {}, VK_F4, {}},
                         {"AltDown/AltUp", VK_DOWN, {ssAlt}, VK_UP, {ssAlt}},
                         {"F4/Enter", VK_F4, {}, VK_RETURN, {}},
                         {"F4/click", VK_F4, {}, 0, {}}};
    std::string text = "Alpha";
    for (const TWay& way : ways) {
        SCOPED_TRACE(way.Name);
        if (way.Close == VK_F4 && C->Caps().DropDownNoF4) {
            // F4 opens nothing and changes nothing.
            C->Focus(F0);
            Type(C->Typed("Xyz"));
            Key(VK_F4);
            EXPECT_FALSE(C->DroppedDown());
            EXPECT_EQ(C->Typed("Xyz"), C->Shown(F0));
            continue;
        }
        C->Focus(F0);
        Type(C->Typed("Xyz"));
        if (way.Open == VK_F4)
            OpenDropDown();
        else
            Key(way.Open, way.OpenShift);
        ASSERT_TRUE(C->DroppedDown());
        if (way.Close)
            Key(way.Close, way.CloseShift);
        else
            SendClick(Form, 600, 380);
        ProcessEvents();
        EXPECT_FALSE(C->DroppedDown());
        EXPECT_TRUE(FocusIn(F0));
        const std::string shown = C->Shown(F0);
        if (!(way.Close == VK_RETURN && C->Caps().DropDownEnterTakes)) {
            EXPECT_EQ(C->Typed("Xyz"), shown);
        }
        Key(VK_END);
        Type(C->Typed("!"));
        EXPECT_EQ(C->EndAndType(shown, "!"), C->Shown(F0));
        text = C->EndAndType(shown, "!");
    }
    Key(VK_TAB);
    Expected[0][F0] = text;
    Finish();
}

// ---- Undo takes back one typing run or paste at a time --------------------------------------------

TEST_P(UserFlowTest, UndoOneStepAtATime) {
    FLOW_NEEDS(Undo);
    C->Focus(F0);
    Type("Hi");
    Clipboard()->SetAsText(" world");
    Key('V', {ssCtrl});
    EXPECT_EQ("Hi world", C->Shown(F0));
    Key('Z', {ssCtrl});
    EXPECT_EQ("Hi", C->Shown(F0));
    Key('Z', {ssCtrl});
    EXPECT_EQ(Expected[0][F0], C->Shown(F0));
    // Two pastes, one undo.
    Key(VK_END);
    Clipboard()->SetAsText("1");
    Key('V', {ssCtrl});
    Clipboard()->SetAsText("2");
    Key('V', {ssCtrl});
    Key('Z', {ssCtrl});
    EXPECT_EQ(Expected[0][F0] + "1", C->Shown(F0));
    Key(VK_TAB);
    Expected[0][F0] += "1";
    Finish();
}

// ---- An editor window on the field: typing, Tab, undo and the close rules ---------------------------

TEST_P(UserFlowTest, WindowTypingAndTabComeBackOnSaveAndExit) {
    FLOW_NEEDS(Window);
    const std::string old = Expected[0][F0];
    C->Focus(F0);
    InWindow([&](TCustomForm*) {
        EXPECT_EQ(old, C->WindowText());
        EXPECT_FALSE(FocusIn(F0));
        Key(VK_END);
        Type("QQ");
        Key(VK_TAB);
        Type("Z");
        EXPECT_EQ(old + "QQ\tZ", C->WindowText());
        Key('S', {ssCtrl});  // Save and Exit
    });
    EXPECT_EQ(0, Dialogs.Count());
    EXPECT_EQ(old + "QQ\tZ", C->Shown(F0));
    EXPECT_TRUE(FocusIn(F0));
    Expected[0][F0] += "QQ\tZ";
    Finish();
}

TEST_P(UserFlowTest, WindowEscapeClosesAndAsksOnlyAfterChanges) {
    FLOW_NEEDS(Window);
    const std::string old = Expected[0][F0];
    C->Focus(F0);
    // Untouched: Escape closes without asking.
    InWindow([&](TCustomForm*) { Key(VK_ESCAPE); });
    EXPECT_EQ(0, Dialogs.Count());
    // No: the typing is dropped.
    Dialogs.Answer(mrNo);
    InWindow([&](TCustomForm*) {
        Type("QQ");
        Key(VK_ESCAPE);
    });
    EXPECT_EQ(1, Dialogs.Count());
    EXPECT_EQ(dsBrowse, Table->State());
    EXPECT_EQ(old, C->Shown(F0));
    // Cancel: the window stays with the text (the close rules run once the
    // step is over, so they are asked here directly); Yes on the close box
    // takes the text back.
    C->Focus(F0);
    InWindow([&](TCustomForm* W) {
        Type("QQ");
        Dialogs.Answer(mrCancel);
        EXPECT_FALSE(W->CloseQuery());
        EXPECT_TRUE(W->Visible());
        EXPECT_EQ("QQ" + old, C->WindowText());
        Dialogs.Answer(mrYes);
        SendCloseBox(W);
    });
    EXPECT_EQ(3, Dialogs.Count());
    EXPECT_EQ("QQ" + old, C->Shown(F0));
    Expected[0][F0] = "QQ" + old;
    Finish();
}

TEST_P(UserFlowTest, WindowWithoutConfirmationKeepsTheChanges) {
    FLOW_NEEDS(Window);
    const std::string old = Expected[0][F0];
    C->SetNoConfirmation(true);
    C->Focus(F0);
    InWindow([&](TCustomForm*) {
        Type("QQ");
        Key(VK_ESCAPE);
    });
    EXPECT_EQ(0, Dialogs.Count());
    Expected[0][F0] = "QQ" + old;
    Finish();
}

TEST_P(UserFlowTest, WindowUndoOneStepAtATime) {
    FLOW_NEEDS(Window);
    const std::string old = Expected[0][F0];
    C->Focus(F0);
    InWindow([&](TCustomForm*) {
        Key(VK_END);
        Type("Hi");
        Clipboard()->SetAsText(" world");
        Key('V', {ssCtrl});
        EXPECT_EQ(old + "Hi world", C->WindowText());
        Key('Z', {ssCtrl});
        EXPECT_EQ(old + "Hi", C->WindowText());
        Key('Z', {ssCtrl});
        EXPECT_EQ(old, C->WindowText());
        // Two pastes, one undo.
        Clipboard()->SetAsText("1");
        Key('V', {ssCtrl});
        Clipboard()->SetAsText("2");
        Key('V', {ssCtrl});
        Key('Z', {ssCtrl});
        EXPECT_EQ(old + "1", C->WindowText());
        Key('S', {ssCtrl});
    });
    Expected[0][F0] += "1";
    Finish();
}

// ---- Refused values and read-only controls --------------------------------------------------------

TEST_P(UserFlowTest, RefusedValueKeepsTheFocusAndTheText) {
    FLOW_NEEDS(Refuses);
    C->PrepareRefusal();
    C->Focus(F0);
    Type(C->RefusedText());
    Key(VK_TAB);
    // The field keeps its value.
    EXPECT_EQ(Expected[0][F0], C->Stored(Table->FieldByName(F0)));
    EXPECT_TRUE(FocusIn(F0));
    EXPECT_EQ(C->RefusedText(), C->Shown(F0));
    Key(VK_ESCAPE);
    if (Table->State() != dsBrowse) Table->Cancel();
    Finish();
}

TEST_P(UserFlowTest, ReadOnlyNeverWrites) {
    FLOW_NEEDS(ReadOnly);
    C->SetReadOnly(true);
    C->Focus(F0);
    Type(C->Typed("QQ"));
    Clipboard()->SetAsText("pasted");
    Key('V', {ssCtrl});
    Key(VK_DELETE);
    Key(VK_BACK);
    Key(VK_TAB);
    Type(C->Typed("ZZ"));
    Key(VK_RETURN);
    EXPECT_EQ(dsBrowse, Table->State());
    Finish();
}

// ---- Titles ----------------------------------------------------------------------------------------

// A title click names its column's field; the application sorts by it, and
// the rows show in the new order while the typed value is kept.
TEST_P(UserFlowTest, TitleClickSortsByItsColumn) {
    FLOW_NEEDS(Titles);
    if (!EngineTable) GTEST_SKIP() << "the flows sort through the engine table's index";
    std::vector<std::string> clicked;
    C->SetOnTitleClick([&](const std::string& Field) {
        clicked.push_back(Field);
        Table->CheckBrowseMode();
        EngineTable->SetIndexFieldNames(Field);
    });
    // The first record's value typed past the second's.
    C->Focus(F0);
    Type(C->Typed("ZZ"));
    Key(VK_TAB);
    C->ClickTitle(F0);
    ASSERT_EQ(std::vector<std::string>{F0}, clicked);
    EXPECT_EQ(dsBrowse, Table->State());
    Table->First();
    EXPECT_EQ(2, Table->FieldByName("Id")->AsInteger());
    EXPECT_EQ(Expected[1][F0], C->Shown(F0));
    C->ClickTitle(F1);
    ASSERT_EQ((std::vector<std::string>{F0, F1}), clicked);
    Table->First();
    EXPECT_EQ(1, Table->FieldByName("Id")->AsInteger());
    Expected[0][F0] = C->Typed("ZZ");
    Finish();
}

#include "support/flows/choice_flows.inc"
#include "support/flows/display_flows.inc"
#include "support/flows/dropdown_window_flows.inc"
#include "support/flows/navigation_flows.inc"
#include "support/flows/partial_date_flows.inc"

}  // namespace

INSTANTIATE_TEST_SUITE_P(Controls, UserFlowTest, ::testing::ValuesIn(FlowInstances()),
                         [](const ::testing::TestParamInfo<TFlowInstance>& Info) { return Info.param.Name; });
