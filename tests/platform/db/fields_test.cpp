// Fields: the classes of each type, conversions, texts, ranges, events,
// persistent and default fields, field definitions.
#include "support/db/db_test_support.h"

#include "platform/core/datetime.h"
#include "platform/core/properties.h"
#include "platform/core/streams.h"
#include "platform/core/strings.h"
#include "support/environment.h"

namespace {

class FieldsTest : public DataSetTest {
protected:
    void MakeAllTypes() {
        TFieldDefs* defs = DataSet->FieldDefs();
        defs->Add("S", ftString, 5);
        defs->Add("SI", ftSmallint);
        defs->Add("I", ftInteger);
        defs->Add("L", ftLargeint);
        defs->Add("B", ftBoolean);
        defs->Add("F", ftFloat);
        defs->Add("C", ftCurrency);
        defs->Add("D", ftDate);
        defs->Add("T", ftTime);
        defs->Add("DT", ftDateTime);
        defs->Add("A", ftAutoInc);
        defs->Add("M", ftMemo);
        defs->Add("BL", ftBlob);
        defs->Add("G", ftGraphic);
        defs->Add("FM", ftFmtMemo);
        defs->Add("W", ftWord);
        DataSet->Open();
        DataSet->Insert();
    }
    TField* F(const std::string& name) { return DataSet->FieldByName(name); }
};

}  // namespace

TEST_F(FieldsTest, DefaultFieldsHaveTheClassOfTheirType) {
    MakeAllTypes();
    EXPECT_TRUE(DataSet->DefaultFields());
    const std::vector<std::pair<std::string, std::string>> expected = {
        {"S", "TStringField"},  {"SI", "TSmallintField"}, {"I", "TIntegerField"},  {"L", "TLargeintField"},
        {"B", "TBooleanField"}, {"F", "TFloatField"},     {"C", "TCurrencyField"}, {"D", "TDateField"},
        {"T", "TTimeField"},    {"DT", "TDateTimeField"}, {"A", "TAutoIncField"},  {"M", "TMemoField"},
        {"BL", "TBlobField"},   {"G", "TGraphicField"},   {"FM", "TBlobField"},    {"W", "TWordField"}};
    for (const auto& [name, cls] : expected) EXPECT_EQ(F(name)->ClassName(), cls) << name;
    EXPECT_EQ(F("FM")->DataType(), ftFmtMemo);
    EXPECT_EQ(F("S")->Size(), 5);
    EXPECT_EQ(F("I")->FieldNo(), 3);
    EXPECT_TRUE(F("M")->IsBlob());
    EXPECT_TRUE(F("C")->InheritsFrom("TFloatField"));
    EXPECT_EQ(F("I")->Alignment(), taRightJustify);
    EXPECT_EQ(F("S")->Alignment(), taLeftJustify);
}

TEST_F(FieldsTest, StringsAreCutAtTheSizeWithoutSplittingCharacters) {
    MakeAllTypes();
    F("S")->SetAsString("abcdefgh");
    EXPECT_EQ(F("S")->AsString(), "abcde");
    F("S")->SetAsString("abcd\xC3\xA9");  // the accent would straddle byte 5
    EXPECT_EQ(F("S")->AsString(), "abcd");
    F("S")->SetAsString("42");
    EXPECT_EQ(F("S")->AsInteger(), 42);
    F("S")->SetAsString("yes");
    EXPECT_TRUE(F("S")->AsBoolean());
    F("S")->SetAsString("x1");
    EXPECT_THROW(F("S")->AsInteger(), EConvertError);
}

TEST_F(FieldsTest, IntegersCheckTextAndRange) {
    MakeAllTypes();
    EXPECT_EQ(ErrorOf([&] { F("I")->SetAsString("12x"); }),
              "'12x' is not a valid integer value for field 'I'");
    EXPECT_TRUE(F("I")->IsNull());
    F("I")->SetAsString("42");
    EXPECT_EQ(F("I")->AsInteger(), 42);
    EXPECT_EQ(F("I")->AsVariant().VarType(), varInteger);
    EXPECT_EQ(ErrorOf([&] { F("SI")->SetAsInteger(40000); }),
              "40000 is not a valid value for field 'SI'. The allowed range is -32768 to 32767");
    EXPECT_TRUE(F("SI")->IsNull());
    F("SI")->SetAsInteger(-32768);
    EXPECT_EQ(F("SI")->AsInteger(), -32768);
    EXPECT_EQ(ErrorOf([&] { F("W")->SetAsInteger(-1); }),
              "-1 is not a valid value for field 'W'. The allowed range is 0 to 65535");
    EXPECT_EQ(
        ErrorOf([&] { F("I")->SetAsFloat(1e12); }),
        "1000000000000 is not a valid value for field 'I'. The allowed range is -2147483648 to 2147483647");
    auto* ranged = static_cast<TIntegerField*>(F("I"));
    ranged->SetMinValue(1);
    ranged->SetMaxValue(5);
    EXPECT_THROW(F("I")->SetAsInteger(6), EDatabaseError);
    F("I")->SetAsFloat(4.6);
    EXPECT_EQ(F("I")->AsInteger(), 5);
    F("I")->SetAsString("");
    EXPECT_TRUE(F("I")->IsNull());
    EXPECT_EQ(F("I")->Text(), "");
    EXPECT_EQ(F("I")->AsInteger(), 0);
}

TEST_F(FieldsTest, NumericFormatsApplyToDisplayAndEditText) {
    MakeAllTypes();
    auto* i = static_cast<TIntegerField*>(F("I"));
    i->SetAsInteger(1234);
    i->SetDisplayFormat("#,##0");
    EXPECT_EQ(i->DisplayText(), "1,234");
    EXPECT_EQ(i->Text(), "1,234");
    i->SetEditFormat("0");
    EXPECT_EQ(i->Text(), "1234");
    auto* f = static_cast<TFloatField*>(F("F"));
    f->SetAsFloat(1.0 / 3.0);
    EXPECT_EQ(f->DisplayText(), "0.333333333333333");
    f->SetDisplayFormat("0.00");
    EXPECT_EQ(f->DisplayText(), "0.33");
    F("C")->SetAsFloat(2.5);
    EXPECT_EQ(F("C")->DisplayText(), "$2.50");
    EXPECT_EQ(F("C")->Text(), "2.50");
    EXPECT_EQ(F("C")->AsVariant().VarType(), varCurrency);
}

TEST_F(FieldsTest, FloatsAndLargeIntegers) {
    MakeAllTypes();
    F("F")->SetAsString("1.5");
    EXPECT_DOUBLE_EQ(F("F")->AsFloat(), 1.5);
    EXPECT_EQ(F("F")->AsInteger(), 2);
    EXPECT_EQ(ErrorOf([&] { F("F")->SetAsString("x"); }),
              "'x' is not a valid floating point value for field 'F'");
    EXPECT_THROW(F("F")->SetAsFloat(std::numeric_limits<double>::quiet_NaN()), EDatabaseError);
    EXPECT_DOUBLE_EQ(F("F")->AsFloat(), 1.5);
    F("L")->SetAsString("5000000000");
    EXPECT_EQ(F("L")->AsLargeInt(), 5000000000LL);
    EXPECT_EQ(F("L")->AsString(), "5000000000");
    EXPECT_EQ(ErrorOf([&] { F("L")->AsInteger(); }), "Cannot access field 'L' as type Integer");
}

TEST_F(FieldsTest, BooleansReadTheirTextsByPrefix) {
    MakeAllTypes();
    F("B")->SetAsBoolean(true);
    EXPECT_EQ(F("B")->AsString(), "True");
    F("B")->SetAsString("f");
    EXPECT_FALSE(F("B")->AsBoolean());
    EXPECT_FALSE(F("B")->IsNull());
    EXPECT_EQ(ErrorOf([&] { F("B")->SetAsString("yes"); }),
              "'yes' is not a valid boolean value for field 'B'");
    auto* b = static_cast<TBooleanField*>(F("B"));
    b->SetDisplayValues("Yes;No");
    F("B")->SetAsString("Y");
    EXPECT_EQ(F("B")->DisplayText(), "Yes");
    EXPECT_EQ(b->DisplayWidth(), 3);
    F("B")->Clear();
    EXPECT_EQ(F("B")->DisplayText(), "");
}

TEST_F(FieldsTest, DatesAndTimesUseTheirPartsOnly) {
    MakeAllTypes();
    const TDateTime day = EncodeDate(2024, 2, 29);
    const TDateTime time = EncodeTime(13, 45, 30, 250);
    F("D")->SetAsDateTime(day + time);
    EXPECT_DOUBLE_EQ(F("D")->AsDateTime(), day);
    EXPECT_EQ(F("D")->DisplayText(), "02/29/2024");
    F("T")->SetAsDateTime(day + time);
    EXPECT_NEAR(F("T")->AsDateTime(), time, 1e-9);
    EXPECT_EQ(F("T")->DisplayText(), "1:45:30 PM");
    F("DT")->SetAsDateTime(day + time);
    EXPECT_NEAR(F("DT")->AsDateTime(), day + time, 1e-9);
    EXPECT_EQ(F("DT")->AsVariant().VarType(), varDate);
    static_cast<TDateTimeField*>(F("DT"))->SetDisplayFormat("yyyy-mm-dd hh:nn");
    EXPECT_EQ(F("DT")->DisplayText(), "2024-02-29 13:45");
    EXPECT_THROW(F("D")->SetAsString("13/45/2024"), EConvertError);
    EXPECT_DOUBLE_EQ(F("D")->AsDateTime(), day);
    F("D")->SetAsString("12/31/1999");
    EXPECT_DOUBLE_EQ(F("D")->AsDateTime(), EncodeDate(1999, 12, 31));
}

TEST_F(FieldsTest, BlobLikeFieldsGoThroughStreams) {
    MakeAllTypes();
    EXPECT_EQ(F("M")->DisplayText(), "(Memo)");
    EXPECT_EQ(F("BL")->DisplayText(), "(Blob)");
    EXPECT_EQ(F("FM")->DisplayText(), "(FmtMemo)");
    F("M")->SetAsString("line one\nline two");
    EXPECT_EQ(F("M")->AsString(), "line one\nline two");
    EXPECT_EQ(F("M")->DisplayText(), "(MEMO)");
    EXPECT_EQ(static_cast<TBlobField*>(F("M"))->BlobSize(), 17);
    F("G")->SetAsString(std::string("\x00\x01\x02", 3));
    EXPECT_EQ(F("G")->AsString().size(), 3u);
    EXPECT_EQ(F("G")->DisplayText(), "(GRAPHIC)");
    F("BL")->Assign(F("M"));
    EXPECT_EQ(F("BL")->AsString(), "line one\nline two");
    F("M")->Clear();
    EXPECT_TRUE(F("M")->IsNull());
    TStringStream out;
    static_cast<TBlobField*>(F("BL"))->SaveToStream(&out);
    EXPECT_EQ(out.DataString(), "line one\nline two");
    DataSet->Post();
    EXPECT_EQ(F("BL")->AsString(), "line one\nline two");
    EXPECT_EQ(ErrorOf([&] { F("BL")->SetAsString("x"); }), "Dataset not in edit or insert mode");
}

// A blob saved to a full disk raises with the reason; the file stays whole.
TEST_F(FieldsTest, ABlobSavedToAFullDiskKeepsTheOldFile) {
    MakeAllTypes();
    TTestEnvironment env;
    const std::string file = env.Path("blob.bin");
    F("BL")->SetAsString("old bytes");
    static_cast<TBlobField*>(F("BL"))->SaveToFile(file);
    F("BL")->SetAsString("new and longer bytes");
    SimulateWriteFailure(0);
    EXPECT_EQ(ErrorOf([&] { static_cast<TBlobField*>(F("BL"))->SaveToFile(file); }),
              "Cannot create file \"" + file + "\". No space left on device");
    ResetWriteFaults();
    TStringList back;
    back.LoadFromFile(file);
    EXPECT_EQ(back.Text(), "old bytes\n");
}

TEST_F(FieldsTest, VariantsNullAndAssign) {
    MakeAllTypes();
    EXPECT_TRUE(F("I")->AsVariant().IsNull());
    F("I")->SetAsVariant(Variant("17"));
    EXPECT_EQ(F("I")->AsInteger(), 17);
    F("I")->SetAsVariant(Null());
    EXPECT_TRUE(F("I")->IsNull());
    F("S")->SetValue(Variant(12));
    EXPECT_EQ(F("S")->AsString(), "12");
    F("I")->Assign(F("S"));
    EXPECT_EQ(F("I")->AsInteger(), 12);
    F("I")->Assign(nullptr);
    EXPECT_TRUE(F("I")->IsNull());
    EXPECT_EQ(ErrorOf([&] { F("B")->AsDateTime(); }), "Cannot access field 'B' as type DateTime");
}

TEST_F(FieldsTest, ValidCharactersPerType) {
    MakeAllTypes();
    EXPECT_TRUE(F("I")->IsValidChar('5'));
    EXPECT_TRUE(F("I")->IsValidChar('-'));
    EXPECT_FALSE(F("I")->IsValidChar('a'));
    EXPECT_FALSE(F("I")->IsValidChar('.'));
    EXPECT_TRUE(F("F")->IsValidChar('.'));
    EXPECT_TRUE(F("F")->IsValidChar('e'));
    EXPECT_TRUE(F("S")->IsValidChar('a'));
    EXPECT_TRUE(F("S")->IsValidChar('\xC3'));
}

TEST_F(FieldsTest, TextEventsValidateAndChange) {
    MakeAllTypes();
    TField* s = F("S");
    s->SetOnGetText([](TField* f, std::string& text, bool display) {
        text = (display ? "<" : "[") + f->AsString() + (display ? ">" : "]");
    });
    s->SetOnSetText([](TField* f, const std::string& text) { f->SetAsString(UpperCase(text)); });
    s->SetText("abc");
    EXPECT_EQ(s->AsString(), "ABC");
    EXPECT_EQ(s->DisplayText(), "<ABC>");
    EXPECT_EQ(s->Text(), "[ABC]");

    std::string seen;
    int changes = 0;
    F("I")->SetOnValidate([&](TField* f) {
        seen = f->AsString();  // the value about to be stored
        if (f->AsInteger() < 0) throw EDatabaseError("Negative");
    });
    F("I")->SetOnChange([&](TField*) { ++changes; });
    F("I")->SetAsInteger(8);
    EXPECT_EQ(seen, "8");
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(ErrorOf([&] { F("I")->SetAsInteger(-3); }), "Negative");
    EXPECT_EQ(seen, "-3");
    EXPECT_EQ(F("I")->AsInteger(), 8);
    EXPECT_EQ(changes, 1);
}

TEST_F(FieldsTest, PresentationSettingsAndPublishedProperties) {
    MakeRows(3);
    TField* name = DataSet->FieldByName("Name");
    EXPECT_EQ(name->DisplayLabel(), "Name");
    EXPECT_EQ(name->DisplayWidth(), 20);
    EXPECT_EQ(DataSet->FieldByName("ID")->DisplayWidth(), 11);
    SetStrProp(name, "DisplayLabel", "Full name");
    EXPECT_EQ(name->DisplayName(), "Full name");
    EXPECT_EQ(GetOrdProp(name, "DisplayWidth"), 20);
    EXPECT_EQ(GetEnumProp(DataSet->FieldByName("ID"), "Alignment"), "taRightJustify");
    SetStrProp(DataSet, "Filter", "x");
    EXPECT_EQ(DataSet->Filter(), "x");
    EXPECT_EQ(GetObjectProp(Source, "DataSet"), DataSet);
    EXPECT_EQ(GetOrdProp(DataSet, "Active"), 1);
}

TEST_F(FieldsTest, PropertyChangesTellTheControls) {
    MakeRows(3);
    AddLink("L");
    Log.clear();
    DataSet->FieldByName("Name")->SetVisible(false);
    DataSet->FieldByName("Name")->SetDisplayWidth(30);
    static_cast<TIntegerField*>(DataSet->FieldByName("ID"))->SetDisplayFormat("000");
    EXPECT_EQ(Log, TLog({"L.LayoutChanged", "L.LayoutChanged", "L.DataSetChanged"}));
    Log.clear();
    DataSet->FieldByName("Name")->SetIndex(0);
    EXPECT_EQ(DataSet->Fields()->Fields(0)->FieldName(), "Name");
    EXPECT_EQ(DataSet->FieldByName("ID")->Index(), 1);
    EXPECT_EQ(Log, TLog({"L.LayoutChanged"}));
}

TEST_F(FieldsTest, FieldListsAndValues) {
    MakeRows(3);
    std::vector<TField*> list = DataSet->GetFieldList(" ID ; Name ");
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[1]->FieldName(), "Name");
    EXPECT_EQ(DataSet->GetFieldList("id;;name").size(), 2u);
    const Variant values = DataSet->FieldValues("ID;Name");
    ASSERT_TRUE(values.IsArray());
    EXPECT_EQ(values[0].AsInteger(), 1);
    EXPECT_EQ(values[1].AsString(), "Name 1");
    DataSet->Edit();
    DataSet->SetFieldValues("Name;ID", VarArrayOf({Variant("Z"), Variant(9)}));
    EXPECT_EQ(IdOf(), 9);
    TStringList names;
    DataSet->GetFieldNames(&names);
    EXPECT_EQ(names.CommaText(), "ID,Name");
    EXPECT_EQ(DataSet->FieldByNumber(2)->FieldName(), "Name");
    EXPECT_EQ(ErrorOf([&] { DataSet->Fields()->Fields(5); }), "List index out of bounds (5)");
}

TEST_F(FieldsTest, PersistentFieldsBindByName) {
    DataSet->FieldDefs()->Add("ID", ftInteger);
    DataSet->FieldDefs()->Add("Name", ftString, 20);
    DataSet->AddRow({"1", "One"});
    auto* name = new TStringField(Owner.get());
    name->SetFieldName("Name");
    name->SetSize(20);
    name->SetDataSet(DataSet);
    DataSet->Open();
    EXPECT_FALSE(DataSet->DefaultFields());
    EXPECT_EQ(DataSet->FieldCount(), 1);
    EXPECT_EQ(name->AsString(), "One");
    EXPECT_EQ(name->FieldNo(), 2);
    EXPECT_EQ(ErrorOf([&] { name->SetDataSet(nullptr); }),
              "Cannot perform this operation on an open dataset");
    DataSet->Close();
    EXPECT_EQ(DataSet->FieldCount(), 1);  // persistent fields stay
    auto dup = std::make_unique<TStringField>(nullptr);
    dup->SetFieldName("name");
    EXPECT_EQ(ErrorOf([&] { dup->SetDataSet(DataSet); }), "Duplicate field name 'name'");
}

TEST_F(FieldsTest, PersistentFieldOfTheWrongTypeOrNameStopsTheOpening) {
    DataSet->FieldDefs()->Add("ID", ftInteger);
    auto* id = new TStringField(Owner.get());
    id->SetFieldName("ID");
    id->SetDataSet(DataSet);
    EXPECT_EQ(ErrorOf([&] { DataSet->Open(); }),
              "Type mismatch for field 'ID', expecting: String actual: Integer");
    EXPECT_FALSE(DataSet->Active());
    id->SetFieldName("Nope");
    EXPECT_EQ(ErrorOf([&] { DataSet->Open(); }), "Field 'Nope' not found");
    EXPECT_FALSE(DataSet->Active());
    delete id;
    EXPECT_EQ(DataSet->FieldCount(), 0);
    DataSet->Open();
    EXPECT_EQ(DataSet->FieldCount(), 1);
}

TEST_F(FieldsTest, FieldDefinitions) {
    TFieldDefs* defs = DataSet->FieldDefs();
    defs->Add("ID", ftInteger, 0, true);
    EXPECT_EQ(ErrorOf([&] { defs->Add("id", ftString, 10); }), "Duplicate field name 'id'");
    EXPECT_EQ(ErrorOf([&] { defs->Find("Nope"); }), "Field 'Nope' not found");
    EXPECT_EQ(defs->Find("id")->FieldNo(), 1);
    defs->Add("Odd", ftBytes);
    EXPECT_EQ(ErrorOf([&] { DataSet->Open(); }), "Field 'Odd' is of an unknown type");
    EXPECT_FALSE(DataSet->Active());
    EXPECT_EQ(DataSet->FieldCount(), 0);
    TFieldDefs copy(nullptr);
    copy.Assign(defs);
    EXPECT_EQ(copy.Count(), 2);
    EXPECT_TRUE(copy.Items(0)->Required());
    EXPECT_EQ(copy.Items(1)->DataType(), ftBytes);
}

TEST_F(FieldsTest, FieldWithoutDataSet) {
    TIntegerField field(nullptr);
    field.SetFieldName("Lone");
    EXPECT_EQ(ErrorOf([&] { field.AsInteger(); }), "Field 'Lone' has no dataset");
    EXPECT_EQ(field.Index(), -1);
    EXPECT_FALSE(field.CanModify());
}
