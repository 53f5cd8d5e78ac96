// The grid's column model over an engine table in a shown form: widths and
// titles from fields and from Selected lines, row heights, the line
// routines, user sizing and moving written back, proportional resizing and
// the property setters.
#include "platform/core/properties.h"
#include "platform/ui/stdctrls.h"
#include "suite/base/qzproputils.h"
#include "support/environment.h"
#include "support/suite/qzgrid_fixture.h"

namespace {

using QzLayout = QzGridTest;

TEST_F(QzLayout, DefaultsOfANewGrid) {
    EXPECT_TRUE(Grid->UseTFields());
    EXPECT_TRUE(Grid->Options().Contains(dgEditing));
    EXPECT_TRUE(Grid->Options().Contains(dgWordWrap));
    EXPECT_FALSE(Grid->Options().Contains(dgAlwaysShowEditor));
    EXPECT_EQ(Grid->KeyOptions(), (TqzDBGridKeyOptions{dgAllowDelete, dgAllowInsert}));
    EXPECT_EQ(Grid->TitleLines(), 1);
    EXPECT_EQ(Grid->RowHeightPercent(), 100);
    EXPECT_EQ(Grid->DragVertOffset(), 15);
    EXPECT_EQ(Grid->LineColors()->DataColor(), RGB(192, 192, 192));
    EXPECT_EQ(Grid->EditControlOptions(), TqzEditControlOptions{ecoSearchOwnerForm});
    EXPECT_EQ(Grid->Color(), clWindow);
    EXPECT_EQ(Grid->PaintOptions()->BackgroundDrawStyle(), bdsTile);
    EXPECT_EQ(Grid->PaintOptions()->AlternatingRowColor(), clNone);
    const TGridOptions o = Grid->TCustomGrid::Options();
    EXPECT_TRUE(o.Contains(goColSizing) && o.Contains(goColMoving) && o.Contains(goEditing) &&
                o.Contains(goTabs));
    EXPECT_FALSE(o.Contains(goRowSizing));
}

// What the suite's edits read of the grid by name.
TEST_F(QzLayout, ReadByNameAndClass) {
    EXPECT_TRUE(qzClassInheritsFrom(Grid, "tqzcustomdbgrid"));
    EXPECT_FALSE(qzClassInheritsFrom(Grid, "TqzDBGrid"));
    EXPECT_EQ(qzGetOrdPropByName(Grid, "EditCalculated"), 0);
    Grid->SetEditCalculated(true);
    EXPECT_EQ(qzGetOrdPropByName(Grid, "EditCalculated"), 1);
    Grid->SetOptions({dgRowLines, dgAlwaysShowEditor});
    EXPECT_EQ(GetSetProp(Grid, "Options"), "[dgAlwaysShowEditor,dgRowLines]");
    EXPECT_EQ(qzGetControlType(Grid), Grid->ControlType());
    EXPECT_EQ(qzGetPictureMasks(Grid), Grid->PictureMasks());
}

TEST_F(QzLayout, ColumnsFromFields) {
    Open(5);
    Table->FieldByName("Code")->SetVisible(false);
    Table->FieldByName("Amount")->SetDisplayWidth(3);
    Show();
    const int w0 = W0();
    ASSERT_EQ(Grid->ColCount(), 1 + 4);
    EXPECT_EQ(Grid->FixedCols(), 1);
    EXPECT_EQ(Grid->FixedRows(), 1);
    EXPECT_EQ(Grid->ColWidths(0), 11);
    EXPECT_EQ(Grid->GetColField(1)->FieldName(), "Name");
    EXPECT_EQ(Grid->ColWidths(2), 20 * w0 + 4);
    // A narrow field is widened to its title.
    EXPECT_EQ(Grid->ColWidths(3), std::max(3 * w0 + 4, TitleTextWidth("Amount") + 4));
    // One column object per field; past them the default column.
    EXPECT_EQ(Grid->Columns(3)->FieldName(), "Due");
    EXPECT_EQ(Grid->ColumnObjects(3)->FieldName(), "Due");
    EXPECT_EQ(Grid->ColumnObjects(4), Grid->ColumnByName("missing"));
    EXPECT_EQ(Grid->ColumnObjects(4)->FieldName(), "");
    // Row heights from the fonts.
    Grid->Canvas()->Font()->Assign(Grid->Font());
    const int h = Grid->Canvas()->TextHeight("W") + 3;
    EXPECT_EQ(Grid->DefaultRowHeight(), h);
    Grid->Canvas()->Font()->Assign(Grid->TitleFont());
    EXPECT_EQ(Grid->RowHeights(0), Grid->Canvas()->TextHeight("W") + 4);
    Grid->SetRowHeightPercent(200);
    EXPECT_EQ(Grid->DefaultRowHeight(), h * 2);
    Grid->SetRowHeightPercent(0);
    EXPECT_EQ(Grid->RowHeightPercent(), 100);
    Grid->SetTitleLines(2);
    Grid->SetTitleLines(0);
    EXPECT_EQ(Grid->TitleLines(), 2);
    EXPECT_EQ(Grid->RowHeights(0), 2 * Grid->Canvas()->TextHeight("W") + 4);
    // Without titles and indicator the offsets drop to 0.
    Grid->SetOptions(Grid->Options() - dgTitles - dgIndicator);
    EXPECT_EQ(Grid->IndicatorOffset(), 0);
    EXPECT_EQ(Grid->TitleOffset(), 0);
    EXPECT_EQ(Grid->ColCount(), 4);
    EXPECT_EQ(Grid->GetColField(0)->FieldName(), "Id");
}

TEST_F(QzLayout, ColumnsFromSelectedLines) {
    Open(5);
    Grid->SetUseTFields(false);
    Grid->Selected()->SetText("Name\t10\tFirst~Second\tT\tG1\nCode\t0\nId\t2\t\t\tG1\nGone\t5\n");
    Show();
    const int w0 = W0();
    // The line of a field the open dataset lacks is dropped.
    ASSERT_EQ(Grid->Selected()->Count(), 3);
    ASSERT_EQ(Grid->ColCount(), 4);
    const int titleW = std::max(TitleTextWidth("First"), TitleTextWidth("Second")) + 4;
    EXPECT_EQ(Grid->ColWidths(1), std::max(10 * w0 + 4, titleW));
    // "0" characters, widened to the field's label (the line has no title part).
    EXPECT_EQ(Grid->ColWidths(2), std::max(4, TitleTextWidth("Code") + 4));
    // An empty title part widens nothing.
    EXPECT_EQ(Grid->ColWidths(3), 2 * w0 + 4);
    EXPECT_FALSE(Grid->TabStops(1));  // read-only column
    EXPECT_TRUE(Grid->TabStops(2));
    // The two-line title keeps the height TitleLines gives the title row.
    Grid->Canvas()->Font()->Assign(Grid->TitleFont());
    EXPECT_EQ(Grid->RowHeights(0), Grid->Canvas()->TextHeight("W") + 4);
    EXPECT_TRUE(Grid->Columns(0)->ReadOnly());
    EXPECT_EQ(Grid->Columns(0)->GroupName(), "G1");
    EXPECT_EQ(Grid->Columns(0)->DisplayLabel(), "First~Second");
    EXPECT_EQ(Grid->Columns(1)->DisplayLabel(), "");
    EXPECT_EQ(Grid->Columns(2)->GroupName(), "G1");

    Grid->SetOptions(Grid->Options() + dgNoLimitColSize);
    Grid->LayoutChanged();
    EXPECT_EQ(Grid->ColWidths(2), 4);

    // An empty list shows one empty column.
    Grid->Selected()->Clear();
    Grid->LayoutChanged();
    EXPECT_EQ(Grid->ColCount(), 2);
    EXPECT_EQ(Grid->GetColField(0), nullptr);
}

// A damaged width means "no width": the field's own, else 64 pixels.
TEST_F(QzLayout, DamagedWidthsLeaveTheGridUsable) {
    Open(30);
    Table->FieldByName("Code")->SetDisplayWidth(7);
    Grid->SetUseTFields(false);
    Grid->Selected()->SetText("Name\tabc\nCode\t-3\tC\nId\nAmount\t\t\n");
    Grid->SetOptions(Grid->Options() + dgNoLimitColSize);
    Show();
    Grid->LayoutChanged();
    const int w0 = W0();
    ASSERT_EQ(Grid->ColCount(), 5);
    EXPECT_EQ(Grid->ColWidths(1), 20 * w0 + 4);
    EXPECT_EQ(Grid->ColWidths(2), 7 * w0 + 4);
    EXPECT_EQ(Grid->ColWidths(3), Table->FieldByName("Id")->DisplayWidth() * w0 + 4);
    EXPECT_EQ(Grid->ColWidths(4), Table->FieldByName("Amount")->DisplayWidth() * w0 + 4);
    // A field width a damaged layout put there is held to 4096 characters.
    Table->FieldByName("Id")->SetDisplayWidth(430000043);
    Grid->LayoutChanged();
    EXPECT_EQ(Grid->ColWidths(3), 4096 * w0 + 4);
    // The grid still follows the table.
    Table->MoveBy(3);
    EXPECT_EQ(Grid->Row(), 4);
    // A column's own width read still raises as before.
    EXPECT_RAISES(Grid->Columns(0)->DisplayWidth(), EConvertError, "'abc' is not a valid integer value");
}

TEST_F(QzLayout, LineRoutines) {
    TStringList list;
    list.SetText("Name\nCity\t12\tTown~Name\tT\tAddress\n");
    std::string v;
    qzGetSelectedLinePart(&list, "name", 0, v);
    EXPECT_EQ(v, "name");
    qzGetSelectedLinePart(&list, "Name", 3, v);
    EXPECT_EQ(v, "F");
    qzGetSelectedLinePart(&list, "Name", 1, v);
    EXPECT_EQ(v, "");
    qzGetSelectedLinePart(&list, "CITY", 4, v);
    EXPECT_EQ(v, "Address");
    qzGetSelectedLinePart(&list, "City", 5, v);
    EXPECT_EQ(v, "");
    qzGetSelectedLinePart(&list, "None", 1, v);
    EXPECT_EQ(v, "");
    qzSetSelectedLinePart(&list, "Name", "10", -1, 1);
    EXPECT_EQ(list.Strings(0), "Name\t10\t\tF");
    qzSetSelectedLinePart(&list, "City", "", -1, 4);
    EXPECT_EQ(list.Strings(1), "City\t12\tTown~Name\tT");
    qzSetSelectedLinePart(&list, "None", "1", -1, 1);
    EXPECT_EQ(list.Count(), 2);
    qzSetSelectedLinePart(&list, "Other", "G", 0, 4);
    EXPECT_EQ(list.Strings(0), "Other\t10\t\tF\tG");
    for (const char* bad : {"", "x", "-1", "1.5", " ", "4097", "430000043"})
        EXPECT_EQ(qzSelectedWidthChars(bad), -1) << bad;
    EXPECT_EQ(qzSelectedWidthChars("4096"), 4096);
    EXPECT_EQ(qzSelectedWidthChars("0"), 0);
    EXPECT_EQ(qzSelectedWidthChars("12"), 12);
}

TEST_F(QzLayout, ColumnObjects) {
    Open(3);
    Grid->SetUseTFields(false);
    Grid->Selected()->SetText("Name\nCode\t4\tC\tt\n");
    Show();
    TqzColumn* name = Grid->ColumnByName("NAME");
    ASSERT_EQ(name->FieldName(), "Name");
    EXPECT_FALSE(name->ReadOnly());
    EXPECT_FALSE(Grid->Columns(1)->ReadOnly());  // only "T" is read-only
    EXPECT_THROW(name->DisplayWidth(), EConvertError);
    name->SetDisplayWidth(10);
    EXPECT_EQ(Grid->Selected()->Strings(0), "Name\t10\t\tF");
    EXPECT_EQ(Grid->ColWidths(1), std::max(10 * W0() + 4, TitleTextWidth("Name") + 4));
    // Footer values survive a relayout; the default column ignores changes.
    Grid->Columns(1)->SetFooterValue("sum");
    Grid->LayoutChanged();
    EXPECT_EQ(Grid->Columns(1)->FooterValue(), "sum");
    TqzColumn* none = Grid->ColumnByName("missing");
    for (int i = 0; i < 2; ++i) EXPECT_NE(none, Grid->ColumnObjects(i));
    none->SetFooterValue("x");
    EXPECT_EQ(none->FooterValue(), "");
    EXPECT_EQ(none->DisplayWidth(), 0);
    EXPECT_EQ(Grid->ColumnObjects(7), none);
    // Setting a width of a field without a line changes no line.
    Grid->SetUseTFields(true);
    Grid->ColumnByName("Id")->SetDisplayWidth(9);
    EXPECT_EQ(Grid->Selected()->Count(), 2);
    EXPECT_EQ(Table->FieldByName("Id")->DisplayWidth(), 9);
}

TEST_F(QzLayout, Setters) {
    Open(2);
    Show();
    Grid->SetFooterHeight(-5);
    EXPECT_EQ(Grid->FooterHeight(), 0);
    Grid->SetIndicatorColor(icYellow);
    EXPECT_EQ(Grid->IndicatorIconColor(), clYellow);
    Grid->SetIndicatorColor(icBlack);
    EXPECT_EQ(Grid->IndicatorIconColor(), clBlack);
    TStringList lines;
    lines.Add("Name\t3");
    Grid->SetSelected(&lines);
    lines.Add("more");
    EXPECT_EQ(Grid->Selected()->Count(), 1);
    std::string display, address;
    Host().SplitURLText("Home#http://x", display, address);
    EXPECT_EQ(display, "Home");
    EXPECT_EQ(address, "http://x");
    Host().SplitURLText("plain", display, address);
    EXPECT_EQ(address, "plain");
    Grid->SetReadOnly(true);
    EXPECT_FALSE(Grid->CanEditGrid());
}

// Dragging a column border writes the width back in characters.
TEST_F(QzLayout, MouseSizingWritesWidthsBack) {
    Open(10);
    Grid->SetUseTFields(false);
    Grid->Selected()->SetText("Name\t10\tN\tT\tGrp\nCode\t6\tC\n");
    std::vector<int> sized;
    Grid->SetOnColWidthChanged(TqzColWidthChangedEvent([&](TObject*, int c) { sized.push_back(c); }));
    Show();
    const int w0 = W0();
    TRect title = Grid->CellRect(1, 0);
    const int y = (title.Top + title.Bottom) / 2;
    SendMouseMove(Grid, title.Right, y);
    SendMouseDown(Grid, mbLeft, title.Right, y);
    SendMouseMove(Grid, title.Right + 5 * w0, y, {ssLeft});
    SendMouseUp(Grid, mbLeft, title.Right + 5 * w0, y);
    const int expected = (Grid->ColWidths(1) - 4 + std::max(0, w0 / 2 - 3)) / w0;
    EXPECT_GT(Grid->ColWidths(1), 10 * w0 + 4);
    EXPECT_EQ(Grid->Selected()->Strings(0), "Name\t" + std::to_string(expected) + "\tN\tT\tGrp");
    EXPECT_EQ(Grid->Selected()->Strings(1), "Code\t6\tC");
    ASSERT_FALSE(sized.empty());
    EXPECT_EQ(sized.back(), 0);
    RenderControlToPng(Form, TestRunPath("taskmoor_qzgrid_sized.png"));

    // With fields the field's DisplayWidth takes it.
    Grid->SetUseTFields(true);
    title = Grid->CellRect(2, 0);
    SendMouseMove(Grid, title.Right, y);
    SendMouseDown(Grid, mbLeft, title.Right, y);
    SendMouseMove(Grid, title.Right - 8 * w0, y, {ssLeft});
    SendMouseUp(Grid, mbLeft, title.Right - 8 * w0, y);
    EXPECT_EQ(Table->FieldByName("Name")->DisplayWidth(),
              (Grid->ColWidths(2) - 4 + std::max(0, w0 / 2 - 3)) / w0);
    EXPECT_LT(Table->FieldByName("Name")->DisplayWidth(), 20);
}

TEST_F(QzLayout, TinyColumnStoresZeroCharacters) {
    Open(2);
    Grid->SetUseTFields(false);
    Grid->Selected()->SetText("Name\t10\n");
    Show();
    Grid->SetColWidths(1, 3);
    EXPECT_EQ(Grid->Selected()->Strings(0), "Name\t0\t");
}

TEST_F(QzLayout, MovingColumnsReordersLinesAndFields) {
    Open(4);
    Grid->SetUseTFields(false);
    Grid->Selected()->SetText("Name\t5\nCode\t5\nId\t5\n");
    int from = -1, to = -1;
    Grid->SetOnColumnMoved(TqzColumnMovedEvent([&](TObject*, int f, int t) {
        from = f;
        to = t;
    }));
    Show();
    Grid->MoveColumn(1, 3);
    EXPECT_EQ(Grid->Selected()->Text(), "Code\t5\nId\t5\nName\t5\n");
    EXPECT_EQ(from, 0);
    EXPECT_EQ(to, 2);
    EXPECT_EQ(Grid->GetColField(2)->FieldName(), "Name");

    // The same with a real drag of the title: Code goes behind Id.
    const TRect a = Grid->CellRect(1, 0), b = Grid->CellRect(2, 0);
    const int y = (a.Top + a.Bottom) / 2;
    SendMouseDown(Grid, mbLeft, (a.Left + a.Right) / 2, y);
    SendMouseMove(Grid, (a.Left + a.Right) / 2 + 5, y, {ssLeft});
    SendMouseMove(Grid, (b.Left + b.Right) / 2 + 3, y, {ssLeft});
    SendMouseUp(Grid, mbLeft, (b.Left + b.Right) / 2 + 3, y);
    EXPECT_EQ(Grid->Selected()->Text(), "Id\t5\nCode\t5\nName\t5\n");
    EXPECT_EQ(from, 0);
    EXPECT_EQ(to, 1);

    Grid->SetUseTFields(true);
    ASSERT_EQ(Grid->GetColField(0)->FieldName(), "Id");
    Grid->MoveColumn(1, 3);  // Id takes the place of Amount
    EXPECT_EQ(Table->FieldByName("Id")->Index(), 2);
    EXPECT_EQ(Grid->GetColField(2)->FieldName(), "Id");
}

TEST_F(QzLayout, ProportionalResizeNeverNegative) {
    Open(3);
    Grid->SetUseTFields(false);
    Grid->Selected()->SetText("Name\t10\nCode\tbad\nId\t30\n");
    Grid->SetOptions(Grid->Options() + dgProportionalColResize);
    Show();
    ASSERT_EQ(Grid->ColCount(), 1 + 3);
    int total = 0;
    for (int c = 1; c < Grid->ColCount(); ++c) total += Grid->ColWidths(c) + 1;
    EXPECT_LE(std::abs(total + Grid->ColWidths(0) + 1 + 2 - Grid->ClientWidth()), 20);
    EXPECT_LT(Grid->ColWidths(1), Grid->ColWidths(3));
    // Every line now holds a whole, non-negative width.
    for (int i = 0; i < 3; ++i) {
        std::string w;
        qzGetSelectedLinePart(Grid->Selected(), Grid->Columns(i)->FieldName(), 1, w);
        EXPECT_GE(qzSelectedWidthChars(w), 0) << Grid->Selected()->Strings(i);
    }
    // A grid narrower than its columns gets widths of 0, never below.
    Grid->SetBounds(8, 8, 30, 200);
    ProcessEvents();
    for (int c = 1; c < Grid->ColCount(); ++c) EXPECT_GE(Grid->ColWidths(c), 0);
    for (int i = 0; i < 3; ++i) {
        std::string w;
        qzGetSelectedLinePart(Grid->Selected(), Grid->Columns(i)->FieldName(), 1, w);
        EXPECT_GE(qzSelectedWidthChars(w), 0) << Grid->Selected()->Strings(i);
    }
}

TEST_F(QzLayout, ControlTypeCacheAndSelectedCheckBox) {
    TqzGridTable* t = new TqzGridTable(Form);
    t->FieldDefs()->Add("Selected", ftBoolean);
    t->FieldDefs()->Add("Note", ftString, 10);
    t->Open();
    t->AppendRecord({Variant(true), Variant("a")});
    t->AppendRecord({Variant(false), Variant("b")});
    t->First();
    Source->SetDataSet(t);
    Grid->ControlType()->SetText("selected;CheckBox\nNote;CustomEdit;Missing;T\n");
    Grid->SetControlInfoInDataset(false);
    Show();
    Grid->LayoutChanged();
    ASSERT_EQ(Host().ColInfo().size(), 3u);
    EXPECT_EQ(Host().ColInfo()[1].ControlType, "");  // field names match exactly
    Grid->ControlType()->SetText("Selected;CheckBox\nNote;CustomEdit;Missing;T\n");
    Grid->LayoutChanged();
    EXPECT_EQ(Host().ColInfo()[1].ControlType, "CheckBox");
    // An edit type whose control is not found is dropped.
    EXPECT_EQ(Host().ColInfo()[2].ControlType, "");
    EXPECT_FALSE(Host().ColInfo()[2].CheckBoxStyle);
    EXPECT_TRUE(Grid->IsSelectedCheckBox(1));
    EXPECT_FALSE(Grid->IsSelectedCheckBox(2));
    t->Next();
    EXPECT_FALSE(Grid->IsSelectedCheckBox(1));
    // A named control on the form is found and kept.
    auto* edit = new TEdit(Form);
    edit->SetName("Missing");
    edit->SetParent(Form);
    Grid->LayoutChanged();
    EXPECT_EQ(Host().ColInfo()[2].Control, edit);
    EXPECT_TRUE(Host().ColInfo()[2].CheckBoxStyle);
    EXPECT_TRUE(Grid->qzCanUseCustomControls());
    Grid->SetEditControlOptions({ecoDisableCustomControls});
    EXPECT_FALSE(Grid->qzCanUseCustomControls());
}

TEST_F(QzLayout, TitleFontFollowsTheParentUntilSetItself) {
    Open(2);
    Show();
    ASSERT_TRUE(Grid->ParentFont());
    Form->Font()->SetHeight(-20);
    EXPECT_EQ(Grid->TitleFont()->Height(), -20);
    Grid->Canvas()->Font()->Assign(Grid->TitleFont());
    EXPECT_EQ(Grid->RowHeights(0), Grid->Canvas()->TextHeight("W") + 4);
    EXPECT_TRUE(Grid->ParentFont());
    Grid->TitleFont()->SetStyle({fsBold});
    EXPECT_FALSE(Grid->ParentFont());
    Form->Font()->SetHeight(-9);
    EXPECT_EQ(Grid->TitleFont()->Height(), -20);
}

TEST_F(QzLayout, IndicatorButtonStaysInTheCorner) {
    Open(2);
    Show();
    auto* button = new TqzIButton(Form);
    button->SetParent(Grid);
    button->SetBounds(5, 7, 20, 18);
    EXPECT_EQ(button->Left(), 0);
    EXPECT_EQ(button->Top(), 0);
    // The grid lays its indicator column out to the button's width.
    Grid->LayoutChanged();
    EXPECT_EQ(Grid->ColWidths(0), 19);
    Grid->SetIndicatorButton(button);
    EXPECT_EQ(Grid->ColWidths(0), 19);
    EXPECT_GE(Grid->RowHeights(0), 17);
}

}  // namespace
