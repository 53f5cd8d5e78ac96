// The engine grid's columns: defaults that follow the grid and the field,
// assigned values, pick-list and lookup texts, the lookup-dataset check,
// default against stored columns and the field map.
#include "support/engine-controls/dbgrid_fixture.h"

#include "platform/ui/menus.h"

namespace {

class DBGridColumnsTest : public DBGridTest {};

TEST_F(DBGridColumnsTest, UnassignedTitleFollowsTheGrid) {
    ShowTasks(3);
    TOstraColumn* action = Grid->Columns()->GetColumn(1);
    TOstraColumnTitle* title = action->Title();
    EXPECT_EQ(taCenter, title->Alignment());
    EXPECT_EQ(Grid->FixedColor(), title->Color());
    EXPECT_TRUE(title->Font()->Equals(*Grid->TitleFont()));
    EXPECT_EQ("Action", title->Caption());

    Grid->SetFixedColor(clYellow);
    TFont big;
    big.Assign(Grid->TitleFont());
    big.SetSize(14);
    Grid->SetTitleFont(&big);
    EXPECT_EQ(clYellow, title->Color());
    EXPECT_EQ(14, title->Font()->Size());
    const TOstraColumnValues titleValues{cvTitleColor, cvTitleCaption, cvTitleAlignment, cvTitleFont};
    EXPECT_TRUE((action->AssignedValues() * titleValues).Empty());

    title->SetColor(clAqua);
    title->SetAlignment(taLeftJustify);
    title->SetCaption("What");
    EXPECT_EQ(clAqua, title->Color());
    EXPECT_EQ("What", title->Caption());
    EXPECT_TRUE(action->AssignedValues().Contains(cvTitleColor));
    Grid->SetFixedColor(clLime);
    EXPECT_EQ(clAqua, title->Color());

    title->RestoreDefaults();
    EXPECT_EQ(clLime, title->Color());
    EXPECT_EQ(taCenter, title->Alignment());
    EXPECT_EQ("Action", title->Caption());
}

TEST_F(DBGridColumnsTest, TitleCaptionFollowsTheFieldLabel) {
    ShowTasks(1);
    Table->FieldByName("Category")->SetDisplayLabel("Kind");
    EXPECT_EQ("Kind", Grid->Columns()->GetColumn(3)->Title()->Caption());
    TOstraColumn* loose = Grid->Columns()->Add();
    loose->SetFieldName("Nowhere");
    EXPECT_EQ("Nowhere", loose->Title()->Caption());
}

TEST_F(DBGridColumnsTest, ColumnValuesFollowDefaultsUntilAssigned) {
    ShowTasks(2);
    TOstraColumn* category = Grid->Columns()->GetColumn(3);
    EXPECT_EQ(Grid->Color(), category->Color());
    EXPECT_FALSE(category->ReadOnly());
    Table->FieldByName("Category")->SetReadOnly(true);
    EXPECT_TRUE(category->ReadOnly());
    Table->FieldByName("Category")->SetReadOnly(false);
    Grid->SetReadOnly(true);
    EXPECT_TRUE(category->ReadOnly());
    Grid->SetReadOnly(false);

    category->SetColor(clCream);
    category->SetReadOnly(true);
    TFont f;
    f.SetStyle({fsBold});
    category->SetFont(&f);
    EXPECT_TRUE(category->AssignedValues().ContainsAll({cvColor, cvReadOnly, cvFont}));
    Grid->SetColor(clSilver);
    EXPECT_EQ(clCream, category->Color());

    category->RestoreDefaults();
    EXPECT_EQ(clSilver, category->Color());
    EXPECT_FALSE(category->ReadOnly());
    EXPECT_TRUE(category->Font()->Equals(*Grid->Font()));
    EXPECT_EQ(cbsNone, category->ButtonStyle());
}

TEST_F(DBGridColumnsTest, WidthDefaultsAndHiddenColumns) {
    ShowTasks(1);
    TOstraColumn* category = Grid->Columns()->GetColumn(3);
    category->RestoreDefaults();
    // Ten characters of "0" and the margin, at least the title's width.
    TCanvas* c = Grid->Canvas();
    c->SetFont(category->Font());
    EXPECT_EQ(c->TextWidth("0") * 10 + 4, category->Width());
    EXPECT_EQ(category->Width(), Grid->ColWidths(Grid->DataToRawColumn(3)));

    category->SetWidth(123);
    EXPECT_EQ(123, category->Width());
    EXPECT_EQ(123, Grid->ColWidths(Grid->DataToRawColumn(3)));
    category->SetVisible(false);
    EXPECT_EQ(-1, category->Width());
    EXPECT_LT(Grid->ColWidths(Grid->DataToRawColumn(3)), 0);
    category->SetVisible(true);
    EXPECT_EQ(123, category->Width());
}

TEST_F(DBGridColumnsTest, PickListMapsBothWaysIgnoringCase) {
    ShowTasks(1);
    TOstraColumn* priority = Grid->Columns()->GetColumn(2);
    TField* field = Table->FieldByName("Priority");
    Table->Edit();
    field->SetAsString("1");
    EXPECT_EQ("High", priority->DisplayText());
    EXPECT_EQ("High", priority->EditText());
    field->SetAsString("9");
    EXPECT_EQ("", priority->DisplayText());
    EXPECT_EQ("", priority->EditText());
    Table->Cancel();

    EXPECT_EQ("1", priority->StoredText("High"));
    EXPECT_EQ("1", priority->StoredText("high"));
    EXPECT_EQ("4", priority->StoredText("COMPLETED"));
    EXPECT_EQ("", priority->StoredText("Someday"));
}

TEST_F(DBGridColumnsTest, PickValuesOfAnotherSizeLeaveTextsAlone) {
    ShowTasks(1);
    TOstraColumn* priority = Grid->Columns()->GetColumn(2);
    SetLines(priority->PickValues(), {"0", "1"});
    EXPECT_EQ("0", priority->DisplayText());
    EXPECT_EQ("High", priority->StoredText("High"));

    // A column that shows the field's own text stores what is typed.
    SetLines(priority->PickValues(), {"0", "1", "2", "3", "4"});
    priority->SetButtonStyle(cbsNone);
    EXPECT_EQ("0", priority->DisplayText());
    EXPECT_EQ("3", priority->StoredText("3"));
}

TEST_F(DBGridColumnsTest, MemoShowsItsFirstLine) {
    OpenTasks(1);
    TOstraColumn* notes = Grid->Columns()->Add();
    notes->SetFieldName("Notes");
    ShowGrid();
    PutText(Table, "Notes", "first line\r\nsecond line");
    EXPECT_EQ("first line", notes->DisplayText());
    PutText(Table, "Notes", "only\nbreak");
    EXPECT_EQ("only", notes->DisplayText());
}

class DBGridLookupTest : public DBGridTest {
protected:
    void SetUp() override {
        DBGridTest::SetUp();
        Lookup = new TOstraTable(Form);
        Lookup->FieldDefs()->Add("Code", ftString, 10);
        Lookup->FieldDefs()->Add("Name", ftString, 30);
        Lookup->Open();
        Lookup->AppendRecord({Variant("Home"), Variant("At home")});
        Lookup->AppendRecord({Variant("Work"), Variant("At the office")});
    }
    TOstraColumn* LookupColumn() {
        TOstraColumn* c = Grid->Columns()->Add();
        c->SetFieldName("Category");
        c->SetButtonStyle(cbsLookup);
        c->SetLookupKeyField("Category");
        c->SetLookupLinkField("Code");
        c->SetLookupDropDownFields("Name;Code");
        return c;
    }
    TOstraTable* Lookup = nullptr;
};

TEST_F(DBGridLookupTest, LookupColumnShowsTheLookedUpText) {
    OpenTasks(3);
    TOstraColumn* c = LookupColumn();
    EXPECT_EQ("Name", c->FirstDropDownField());
    ShowGrid();
    c->SetLookupDataSet(Lookup);
    EXPECT_TRUE(c->LookupReady());
    EXPECT_EQ("At home", c->DisplayText());
    Table->Last();  // task 3 is "Work"
    EXPECT_EQ("At the office", c->DisplayText());
    Lookup->Close();
    EXPECT_FALSE(c->LookupReady());
    EXPECT_EQ("Work", c->DisplayText());
}

TEST_F(DBGridLookupTest, LinkFieldEqualToTheFirstDropDownFieldShowsTheOwnValue) {
    OpenTasks(1);
    TOstraColumn* c = LookupColumn();
    c->SetLookupLinkField("Name");  // the first drop-down field
    ShowGrid();
    c->SetLookupDataSet(Lookup);
    // "Home" is no Name in the lookup table: only the own value can show.
    EXPECT_EQ("Home", c->DisplayText());
}

TEST_F(DBGridLookupTest, LookupIntoTheGridsOwnDatasetIsRefusedOrUnused) {
    OpenTasks(2);
    TOstraColumn* c = LookupColumn();
    ShowGrid();
    c->SetLookupDataSet(Lookup);
    EXPECT_RAISES(c->SetLookupDataSet(Table), EDatabaseError,
                  "Lookup Dataset cannot be equal to Source DataSet");
    EXPECT_EQ(Lookup, c->LookupDataSet());

    // Set while the column had no field, then bound: accepted but unused.
    TOstraDBGrid* other = new TOstraDBGrid(Form);
    other->SetParent(Form);
    TOstraColumn* late = other->Columns()->Add();
    late->SetFieldName("Category");
    late->SetButtonStyle(cbsLookup);
    late->SetLookupKeyField("Category");
    late->SetLookupLinkField("Action");
    late->SetLookupDropDownFields("Status");
    late->SetLookupDataSet(Table);
    EXPECT_NO_THROW(other->SetDataSource(Source));
    EXPECT_FALSE(late->LookupReady());
    EXPECT_EQ("Home", late->DisplayText());
}

TEST_F(DBGridLookupTest, FreedLookupDatasetAndPopupMenuAreForgotten) {
    OpenTasks(1);
    TOstraColumn* c = LookupColumn();
    auto* menu = new TPopupMenu(Form);
    c->SetPopupMenu(menu);
    ShowGrid();
    c->SetLookupDataSet(Lookup);
    delete Lookup;
    Lookup = nullptr;
    EXPECT_EQ(nullptr, c->LookupDataSet());
    delete menu;
    EXPECT_EQ(nullptr, c->PopupMenu());
    EXPECT_EQ("Home", c->DisplayText());
}

TEST_F(DBGridColumnsTest, MissingFieldMapsToMinusOne) {
    OpenTasks(2);
    UseTaskColumns();
    TOstraColumn* missing = Grid->Columns()->Add();
    missing->SetFieldName("NoSuchField");
    ShowGrid();
    TGridDataLink* link = Grid->DataLink();
    ASSERT_EQ(5, link->FieldCount());
    EXPECT_TRUE(link->SparseMap());
    EXPECT_EQ(-1, link->FieldMapEntry(4));
    EXPECT_EQ(nullptr, link->Fields(4));
    EXPECT_EQ(Table->FieldByName("Action"), link->Fields(1));
    EXPECT_FALSE(link->DefaultFields());
    EXPECT_FALSE(Grid->TabStops(Grid->DataToRawColumn(4)));
    EXPECT_EQ("", missing->DisplayText());
}

TEST_F(DBGridColumnsTest, DefaultColumnsComeFromTheFieldsUntilOneIsStored) {
    OpenTasks(2);
    ShowGrid();
    TOstraDBGridColumns* cols = Grid->Columns();
    EXPECT_EQ(ocsDefault, cols->State());
    ASSERT_EQ(Table->FieldCount(), cols->Count());
    for (int i = 0; i < cols->Count(); ++i) {
        EXPECT_FALSE(cols->GetColumn(i)->Stored());
        EXPECT_EQ(Table->Fields()->Fields(i)->FieldName(), cols->GetColumn(i)->FieldName());
    }
    EXPECT_TRUE(Grid->DataLink()->DefaultFields());
    EXPECT_EQ(cols->Count() + 1, Grid->ColCount());

    // A hidden field has no default column.
    Table->FieldByName("Notes")->SetVisible(false);
    EXPECT_EQ(Table->FieldCount() - 1, cols->Count());

    cols->Add()->SetFieldName("Action");
    EXPECT_EQ(ocsCustomized, cols->State());
    ASSERT_EQ(1, cols->Count());
    EXPECT_TRUE(cols->GetColumn(0)->Stored());
    EXPECT_EQ(2, Grid->ColCount());

    cols->SetState(ocsDefault);
    EXPECT_EQ(ocsDefault, cols->State());
    EXPECT_EQ(Table->FieldCount() - 1, cols->Count());
    cols->SetState(ocsCustomized);
    EXPECT_EQ(Table->FieldCount(), cols->Count());
    EXPECT_TRUE(cols->GetColumn(0)->Stored());
}

TEST_F(DBGridColumnsTest, DefaultColumnWidthAndOrderGoToTheField) {
    OpenTasks(1);
    ShowGrid();
    TOstraDBGridColumns* cols = Grid->Columns();
    TOstraColumn* action = cols->GetColumn(2);
    ASSERT_EQ("Action", action->FieldName());
    TCanvas* c = Grid->Canvas();
    c->SetFont(action->Font());
    const int avg = c->TextWidth("0");
    action->SetWidth(avg * 20 + 4);
    EXPECT_EQ(20, Table->FieldByName("Action")->DisplayWidth());

    // Moving a default column moves its field.
    action->SetIndex(0);
    EXPECT_EQ(0, Table->FieldByName("Action")->Index());
    EXPECT_EQ("Action", cols->GetColumn(0)->FieldName());
}

TEST_F(DBGridColumnsTest, AssignCopiesWhatTheSourceSetButNotTheCheckTextsWrapDropDownAndMarker) {
    UseTaskColumns();
    TOstraColumn* src = Grid->Columns()->GetColumn(2);
    src->SetColor(clTeal);
    src->SetWrapText(true);
    src->SetAutoDropDown(true);
    src->SetSortMarker(2);
    src->SetValueChecked("Y");
    src->SetValueUnChecked("N");
    src->SetDropDownRows(5);
    src->SetLongTextAsHint(true);
    src->Title()->SetCaption("Prio");
    TOstraColumn* dst = Grid->Columns()->Add();
    // The target's own values that the source has not set stay.
    dst->SetWidth(77);
    dst->SetReadOnly(true);
    dst->Font()->SetColor(clMaroon);
    dst->Title()->SetColor(clLime);
    dst->Title()->SetCaption("Own");
    dst->Assign(src);
    EXPECT_EQ("Priority", dst->FieldName());
    EXPECT_EQ(clTeal, dst->Color());
    EXPECT_EQ(90, dst->Width());  // set in the source too
    EXPECT_TRUE(dst->ReadOnly());
    EXPECT_EQ(clMaroon, dst->Font()->Color());
    EXPECT_EQ(clLime, dst->Title()->Color());
    // Assigned in the source: copied over the target's own.
    src->SetColor(clOlive);
    dst->SetColor(clYellow);
    dst->Assign(src);
    EXPECT_EQ(clOlive, dst->Color());
    // And a target with no value of its own follows its defaults still.
    TOstraColumn* plain = Grid->Columns()->Add();
    plain->Assign(src);
    EXPECT_EQ(Grid->FixedColor(), plain->Title()->Color());
    EXPECT_FALSE(plain->ReadOnly());
    EXPECT_EQ(cbsCombo, dst->ButtonStyle());
    EXPECT_EQ(5, dst->PickList()->Count());
    EXPECT_EQ("4", dst->PickValues()->Strings(4));
    EXPECT_EQ(5u, dst->DropDownRows());
    EXPECT_TRUE(dst->CanClick());
    EXPECT_TRUE(dst->LongTextAsHint());
    EXPECT_EQ("Prio", dst->Title()->Caption());
    EXPECT_FALSE(dst->WrapText());
    EXPECT_FALSE(dst->AutoDropDown());
    EXPECT_EQ(0, dst->SortMarker());
    EXPECT_EQ("", dst->ValueChecked());
    EXPECT_EQ("", dst->ValueUnChecked());
}

}  // namespace
