// How the grid follows its dataset: row count, current row and the vertical
// scroll bar for sequenced, unsequenced and empty tables, the scroll
// messages, the row events, a table of a million records, and writing the
// editor's text back (conversions, mask failures, the flags on every way out).
#include <chrono>

#include "platform/core/datetime.h"
#include "platform/ui/dialogs.h"
#include "suite/base/qzintl.h"
#include "support/environment.h"
#include "support/suite/qzgrid_fixture.h"

namespace {

using QzScroll = QzGridTest;

void SendVScroll(TqzCustomDBGrid* Grid, int Code, int Pos = 0) {
    TMessage m;
    m.Msg = WM_VSCROLL;
    m.WParam = MakeWParam(Code, Pos);
    Grid->Dispatch(m);
}

TEST_F(QzScroll, EmptyTableHasNoRoomToMove) {
    Open(0);
    Show();
    EXPECT_EQ(Grid->RowCount(), 2);
    const TScrollInfo si = VBar();
    EXPECT_EQ(si.nMin, 1);
    EXPECT_EQ(si.nMax, 1001);
    EXPECT_EQ(si.nPage, 1000u);
    EXPECT_TRUE(Grid->ScrollBarVisible(SB_VERT));
}

TEST_F(QzScroll, FewerRecordsThanRows) {
    Open(5);
    Show();
    const int visible = Grid->VisibleDataRows();
    ASSERT_GE(visible, 10);
    EXPECT_EQ(Grid->RowCount(), 1 + 5);
    EXPECT_EQ(Grid->Row(), 1);
    TScrollInfo si = VBar();
    EXPECT_EQ(si.nMin, 1);
    EXPECT_EQ(si.nMax, 5 + visible - 1);
    EXPECT_EQ(si.nPage, static_cast<unsigned>(visible));
    EXPECT_EQ(si.nPos, 1);
    Table->Last();
    EXPECT_EQ(Grid->Row(), 5);
    EXPECT_EQ(VBar().nPos, 5);
    // The bar is disabled, not hidden, when everything shows.
    EXPECT_TRUE(Grid->ScrollBarVisible(SB_VERT));
}

TEST_F(QzScroll, OneRecordDisablesTheBarButKeepsIt) {
    Open(1);
    Show();
    const int visible = Grid->VisibleDataRows();
    const TScrollInfo si = VBar();
    EXPECT_EQ(si.nMin, 1);
    EXPECT_EQ(si.nMax, visible);
    EXPECT_EQ(si.nPage, static_cast<unsigned>(visible));
    EXPECT_EQ(si.nPos, 1);
    EXPECT_TRUE(Grid->ScrollBarVisible(SB_VERT));
    EXPECT_FALSE(Grid->ScrollBarEnabled(SB_VERT));
    Grid->SetShowVertScrollBar(false);
    EXPECT_FALSE(Grid->ScrollBarVisible(SB_VERT));
}

TEST_F(QzScroll, UnsequencedTableUsesFivePositions) {
    Table->Sequenced = false;
    Open(100);
    Show();
    EXPECT_EQ(VBar().nMin, 0);
    EXPECT_EQ(VBar().nMax, 4);
    EXPECT_EQ(VBar().nPos, 0);
    Table->MoveBy(50);
    EXPECT_EQ(VBar().nPos, 2);
    Table->Last();
    EXPECT_EQ(VBar().nPos, 4);
    SendVScroll(Grid, SB_THUMBPOSITION, 0);
    EXPECT_EQ(Id(), 1);
    SendVScroll(Grid, SB_THUMBPOSITION, 3);
    EXPECT_EQ(Id(), 1 + Grid->VisibleDataRows());
    SendVScroll(Grid, SB_THUMBPOSITION, 4);
    EXPECT_EQ(Id(), 100);
    SendVScroll(Grid, SB_THUMBPOSITION, 1);
    EXPECT_EQ(Id(), 100 - Grid->VisibleDataRows());
}

TEST_F(QzScroll, ScrollMessagesMoveTheRecord) {
    Open(200);
    Show();
    const int page = Grid->VisibleDataRows();
    SendVScroll(Grid, SB_LINEDOWN);
    EXPECT_EQ(Id(), 2);
    SendVScroll(Grid, SB_LINEUP);
    SendVScroll(Grid, SB_LINEUP);
    EXPECT_EQ(Id(), 1);
    SendVScroll(Grid, SB_PAGEDOWN);
    EXPECT_EQ(Id(), 1 + page);
    SendVScroll(Grid, SB_BOTTOM);
    EXPECT_EQ(Id(), 200);
    EXPECT_EQ(Grid->Row(), page);
    SendVScroll(Grid, SB_THUMBPOSITION, 120);
    EXPECT_EQ(Id(), 120);
    EXPECT_EQ(VBar().nPos, 120);
    SendVScroll(Grid, SB_THUMBPOSITION, 0);
    EXPECT_EQ(Id(), 1);
    SendVScroll(Grid, SB_THUMBTRACK, 50);  // tracking is ignored
    EXPECT_EQ(Id(), 1);
    SendVScroll(Grid, SB_THUMBPOSITION, 999);
    EXPECT_EQ(Id(), 200);
    SendVScroll(Grid, SB_TOP);
    EXPECT_EQ(Id(), 1);
}

TEST_F(QzScroll, RowEventsAndFarScrolls) {
    Open(300);
    int top = 0, rows = 0, cells = 0;
    Grid->SetOnTopRowChanged(TNotifyEvent([&](TObject*) { ++top; }));
    Grid->SetOnRowChanged(TNotifyEvent([&](TObject*) { ++rows; }));
    Grid->SetOnCellChanged(TNotifyEvent([&](TObject*) { ++cells; }));
    Show();
    rows = cells = top = 0;
    Table->Next();
    EXPECT_EQ(rows, 1);
    EXPECT_EQ(top, 0);
    // Scrolling by more records than fit fires the top-row event once.
    Table->MoveBy(150);
    EXPECT_EQ(top, 1);
    EXPECT_EQ(rows, 2);
    const int cellsBefore = cells;
    Grid->SelectDataColumn(2);
    EXPECT_EQ(Grid->Col(), 3);
    EXPECT_EQ(cells, cellsBefore + 1);
}

TEST_F(QzScroll, ColumnEnterAndExit) {
    Open(3);
    int enter = 0, exits = 0;
    Grid->SetOnColEnter(TNotifyEvent([&](TObject*) { ++enter; }));
    Grid->SetOnColExit(TNotifyEvent([&](TObject*) { ++exits; }));
    Show();
    enter = exits = 0;
    Grid->SelectDataColumn(3);
    EXPECT_EQ(enter, 1);
    EXPECT_EQ(exits, 1);
    Grid->SelectDataColumn(3);
    EXPECT_EQ(enter, 1);
    Grid->SelectDataColumn(99);  // limited to the last column
    EXPECT_EQ(Grid->Col(), 5);
}

TEST_F(QzScroll, ColumnsScrollIntoViewAndFieldsTakeTheFocus) {
    Open(3);
    for (const char* f : {"Id", "Name", "Amount", "Due", "Code"}) Table->FieldByName(f)->SetDisplayWidth(30);
    std::vector<int> lefts;
    Grid->SetOnLeftColChanged(TqzLeftColChangedEvent([&](TObject*, int c) { lefts.push_back(c); }));
    Show();
    Grid->SelectDataColumn(4);
    EXPECT_EQ(Grid->Col(), 5);
    EXPECT_GT(Grid->LeftCol(), 1);
    ASSERT_FALSE(lefts.empty());
    EXPECT_EQ(lefts.back(), Grid->LeftCol());
    Grid->SelectDataColumn(0);
    EXPECT_EQ(Grid->LeftCol(), 1);
    // A field asking for the focus makes its column current.
    ActivateForm(Form);
    Table->FieldByName("Due")->FocusControl();
    EXPECT_EQ(Grid->SelectedField()->FieldName(), "Due");
    EXPECT_TRUE(Grid->Focused());
}

class QzMillion : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        T = new TqzGridTable();
        T->FieldDefs()->Add("Id", ftInteger);
        T->FieldDefs()->Add("Name", ftString, 16);
        T->Open();
        T->DisableControls();
        for (int i = 1; i <= 1000000; ++i) T->AppendRecord({Variant(i), Variant("N" + std::to_string(i))});
        T->EnableControls();
    }
    static void TearDownTestSuite() {
        delete T;
        T = nullptr;
    }
    static TqzGridTable* T;
};
TqzGridTable* QzMillion::T = nullptr;

TEST_F(QzMillion, FollowsFirstLastAndMoveBy) {
    TForm* form = CreateForm<TForm>(Application);
    form->SetBounds(40, 40, 500, 400);
    auto* source = new TDataSource(form);
    source->SetDataSet(T);
    auto* grid = new TTestQzGrid(form);
    grid->SetParent(form);
    grid->SetBounds(4, 4, 480, 360);
    grid->SetUseTFields(false);
    grid->Selected()->SetText("Name\t12\tName~of record\nId\t8\n");
    T->First();
    grid->SetDataSource(source);
    form->Show();
    ProcessEvents();
    const int page = grid->VisibleDataRows();
    ASSERT_GT(page, 5);
    auto bar = [&] {
        TScrollInfo si;
        grid->GetScrollInfo(SB_VERT, si);
        return si;
    };
    EXPECT_EQ(grid->ColCount(), 3);
    EXPECT_EQ(grid->RowCount(), 1 + page);
    EXPECT_EQ(bar().nMax, 1000000 + page - 1);
    EXPECT_EQ(bar().nPos, 1);
    EXPECT_EQ(grid->Row(), 1);
    T->Last();
    EXPECT_EQ(grid->Row(), page);
    EXPECT_EQ(bar().nPos, 1000000);
    T->MoveBy(-3);
    EXPECT_EQ(grid->Row(), page - 3);
    EXPECT_EQ(bar().nPos, 999997);
    T->First();
    T->MoveBy(500000);
    EXPECT_EQ(T->FieldByName("Id")->AsInteger(), 500001);
    EXPECT_EQ(bar().nPos, 500001);
    EXPECT_GE(grid->Row(), 1);
    EXPECT_LE(grid->Row(), page);
    T->MoveBy(1);
    EXPECT_EQ(bar().nPos, 500002);
    T->First();
    EXPECT_EQ(grid->Row(), 1);
    EXPECT_EQ(bar().nPos, 1);
    // The same from the fields, the record kept.
    T->MoveBy(700000);
    grid->SetUseTFields(true);
    EXPECT_EQ(grid->ColCount(), 3);
    EXPECT_EQ(grid->GetColField(0)->FieldName(), "Id");
    EXPECT_EQ(grid->RowCount(), 1 + page);
    EXPECT_EQ(bar().nPos, 700001);
    EXPECT_EQ(T->FieldByName("Id")->AsInteger(), 700001);
    EXPECT_GE(grid->Row(), 1);
    EXPECT_LE(grid->Row(), page);
    T->Last();
    EXPECT_EQ(grid->Row(), page);
    EXPECT_EQ(bar().nPos, 1000000);
    RenderControlToPng(form, TestRunPath("taskmoor_qzgrid_million.png"));
    delete form;
    ProcessEvents();
}

// ---- Writing the editor's text back ---------------------------------------------------------

class QzWriteBack : public QzGridTest {
protected:
    void Edit(const std::string& FieldName, const std::string& Text) {
        for (int i = 0; i < Grid->DataLink()->FieldCount(); ++i)
            if (Grid->GetColField(i)->FieldName() == FieldName) Grid->SelectDataColumn(i);
        ASSERT_EQ(Grid->SelectedField()->FieldName(), FieldName);
        Grid->SetFocus();
        Grid->ShowEditor();
        ASSERT_NE(Grid->InplaceEditor(), nullptr);
        // Typed over the selected text, as the user would.
        Grid->InplaceEditor()->SelectAll();
        SendText(Grid->InplaceEditor(), Text);
        ASSERT_EQ(Grid->InplaceEditor()->Text(), Text);
        // The editor reports its change through SetEditText.
        ASSERT_TRUE(Grid->DataLink()->Modified());
    }
};

TEST_F(QzWriteBack, ConversionsByFieldType) {
    Open(3);
    Show();
    Edit("Due", DateToStr(EncodeDate(2024, 3, 5)));
    Table->Post();
    EXPECT_EQ(FormatDateTime("yyyy-mm-dd", Table->FieldByName("Due")->AsDateTime()), "2024-03-05");
    EXPECT_FALSE(Grid->DataLink()->Modified());
    EXPECT_FALSE(Grid->DataLink()->InUpdateData());

    static_cast<TNumericField*>(Table->FieldByName("Amount"))->SetDisplayFormat("0.00");
    Edit("Amount", "12.5");
    Table->Post();
    EXPECT_DOUBLE_EQ(Table->FieldByName("Amount")->AsFloat(), 12.5);

    Edit("Name", "Fresh");
    Table->Post();
    EXPECT_EQ(Table->FieldByName("Name")->AsString(), "Fresh");

    // A bad number raises the field's own error; the edit stays pending.
    Edit("Id", "1-2");
    EXPECT_THROW(Table->Post(), Exception);
    EXPECT_TRUE(Grid->DataLink()->Modified());
    EXPECT_FALSE(Grid->DataLink()->InUpdateData());
    EXPECT_EQ(Table->State(), dsEdit);
    Table->Cancel();
}

TEST_F(QzWriteBack, FieldChangedFiresForEditsOfTheRecord) {
    Open(2);
    std::vector<std::string> changed;
    Grid->SetOnFieldChanged(TqzFieldEvent([&](TObject*, TField* f) { changed.push_back(f->FieldName()); }));
    Show();
    Table->Edit();
    Table->FieldByName("Code")->SetAsString("Z");
    ASSERT_EQ(changed.size(), 1u);
    EXPECT_EQ(changed[0], "Code");
    Table->Cancel();
}

// A mask failure with OnInvalidValue: the handler is told, nothing is
// written, the editor keeps its text and the post stops.
TEST_F(QzWriteBack, MaskFailureWithHandlerKeepsTheEdit) {
    Open(3);
    Table->PictureMasks()->Add("Code\t###\tF");
    int told = 0;
    Table->SetOnInvalidValue(TqzInvalidValueEvent([&](TDataSet*, TField* f) {
        ++told;
        EXPECT_EQ(f->FieldName(), "Code");
    }));
    bool lastCheck = true;
    Grid->SetOnCheckValue(TqzCheckValueEvent([&](TObject*, bool passes) { lastCheck = passes; }));
    Show();
    Edit("Code", "12");
    EXPECT_THROW(Table->Post(), EAbort);
    EXPECT_EQ(told, 1);
    EXPECT_FALSE(lastCheck);
    EXPECT_EQ(Table->State(), dsEdit);
    EXPECT_EQ(Table->FieldByName("Code")->AsString(), "C1");
    EXPECT_EQ(Grid->InplaceEditor()->Text(), "12");
    EXPECT_TRUE(Grid->DataLink()->Modified());
    EXPECT_FALSE(Grid->DataLink()->InUpdateData());
    // A text that passes goes through.
    Grid->InplaceEditor()->SelectAll();
    SendText(Grid->InplaceEditor(), "123");
    Table->Post();
    EXPECT_EQ(Table->FieldByName("Code")->AsString(), "123");
    EXPECT_TRUE(lastCheck);
}

TEST_F(QzWriteBack, MaskFailureWithoutHandlerReports) {
    Open(2);
    Table->PictureMasks()->Add("Code\t###\tF");
    Show();
    Edit("Code", "12");
    EXPECT_RAISES(Table->Post(), EInvalidOperation, qzDefaultValidationMessage);
    EXPECT_TRUE(Grid->DataLink()->Modified());
    EXPECT_FALSE(Grid->DataLink()->InUpdateData());
    EXPECT_EQ(Table->FieldByName("Code")->AsString(), "C1");
    Table->Cancel();
}

TEST_F(QzWriteBack, GridsOwnMaskWhenAskedTo) {
    Open(2);
    Table->PictureMasks()->Add("Code\t###\tF");
    Grid->PictureMasks()->Add("Code\t&&\tF");
    Grid->SetPictureMaskFromDataSet(false);
    Show();
    // "&" takes a letter in capitals.
    Edit("Code", "AB");
    Table->Post();
    EXPECT_EQ(Table->FieldByName("Code")->AsString(), "AB");
}

TEST_F(QzWriteBack, EscapeResetsOrAsks) {
    Open(2);
    Show();
    TTestDialogs dialogs;
    // An inserted record not yet changed is cancelled without a question.
    Table->Insert();
    Grid->DataLink()->Reset();
    EXPECT_EQ(Table->State(), dsBrowse);
    EXPECT_EQ(dialogs.Count(), 0);
    // A changed record asks; No keeps it.
    Table->Edit();
    Table->FieldByName("Name")->SetAsString("changed");
    dialogs.Answer(mrNo);
    Grid->DataLink()->Reset();
    EXPECT_EQ(dialogs.Count(), 1);
    EXPECT_EQ(dialogs.Last().Text, "Discard changes to this record?");
    EXPECT_EQ(Table->State(), dsEdit);
    dialogs.Answer(mrYes);
    Grid->DataLink()->Reset();
    EXPECT_EQ(Table->State(), dsBrowse);
    EXPECT_EQ(Table->FieldByName("Name")->AsString(), "Name1");
}

// A footer sum follows a value typed into the grid and posted, a deleted
// record and an appended one; a handler that walks the dataset itself is
// not called again from inside.
TEST_F(QzScroll, FooterFollowsPostedEditsAndRecordChanges) {
    Open(5);
    Grid->SetOptions(Grid->Options() + dgShowFooter);
    int calls = 0, depth = 0, deepest = 0;
    Grid->SetOnUpdateFooter(TNotifyEvent([&](TObject*) {
        ++calls;
        deepest = std::max(deepest, ++depth);
        double sum = 0;
        const TBookmark at = Table->Bookmark();
        Table->DisableControls();
        for (Table->First(); !Table->Eof(); Table->Next()) sum += Table->FieldByName("Amount")->AsFloat();
        Table->GotoBookmark(at);
        Table->EnableControls();
        Grid->ColumnByName("Amount")->SetFooterValue(FloatToStr(sum));
        --depth;
    }));
    Show();
    Grid->SetFocus();
    auto footer = [&] { return Grid->ColumnByName("Amount")->FooterValue(); };
    EXPECT_EQ(footer(), "22.5");
    Grid->SelectDataColumn(2);
    SendText(Grid, "9");
    SendKey(Grid->InplaceEditor(), VK_DOWN);
    ASSERT_EQ(Table->State(), dsBrowse);
    EXPECT_EQ(footer(), "30");
    Table->Delete();
    EXPECT_EQ(footer(), "27");
    Table->AppendRecord({Variant(6), Variant("Name6"), Variant(1.0), Variant(), Variant()});
    EXPECT_EQ(footer(), "28");
    EXPECT_EQ(deepest, 1);
    const int before = calls;
    SendKey(Grid, VK_UP);
    SendKey(Grid, VK_DOWN);
    EXPECT_EQ(calls, before);  // moving changes nothing to sum
}

// The grid scrolls under a current row that stays put (Down on the last
// shown row): the shown editor follows to the new record, and what is typed
// goes to that record, with the editor always shown or opened by F2.
TEST_F(QzScroll, AnEditorOnTheLastRowFollowsTheScrolledRecord) {
    for (const bool always : {true, false}) {
        SCOPED_TRACE(always ? "always shown" : "F2");
        Open(40);
        if (always) Grid->SetOptions(Grid->Options() + dgAlwaysShowEditor);
        Show();
        Grid->SetFocus();
        Grid->SelectDataColumn(1);
        SendKey(Grid, VK_NEXT);
        const int lastRow = Grid->Row();
        for (int step = 0; step < 2; ++step) {
            if (!always) SendKeyToFocus(VK_F2);
            SendKeyToFocus(VK_DOWN);
            ASSERT_EQ(Grid->Row(), lastRow);
            // Shown, it shows this record's text.
            TInplaceEdit* editor = Grid->InplaceEditor();
            EXPECT_TRUE(!always || (editor && editor->Visible()));
            if (editor && editor->Visible()) {
                EXPECT_EQ(editor->Text(), "Name" + std::to_string(Id()));
            }
        }
        if (!always && !(Grid->InplaceEditor() && Grid->InplaceEditor()->Visible())) SendKeyToFocus(VK_F2);
        const int id = Id();
        SendText(FocusedControl(), "Z");  // replaces the selected text
        SendKeyToFocus(VK_UP);            // leaving the row posts it
        ASSERT_EQ(Table->State(), dsBrowse);
        EXPECT_EQ(Table->FieldByName("Name")->AsString(), "Name" + std::to_string(id - 1));
        Table->Next();
        EXPECT_EQ(Table->FieldByName("Name")->AsString(), "Z");
        Grid->SetDataSource(nullptr);
        Grid->SetOptions(Grid->Options() - dgAlwaysShowEditor);
        Table->Close();
    }
}

}  // namespace
