// Per-field line lists over an engine table that publishes them.
#include <gtest/gtest.h>

#include <memory>

#include "platform/core/exceptions.h"
#include "platform/db/datasource.h"
#include "platform/db/fields.h"
#include "platform/ui/dbctrls.h"
#include "platform/ui/forms.h"
#include "platform/ui/testing.h"
#include "suite/base/qzdbutils.h"
#include "suite/base/qzlinelists.h"
#include "support/suite/suite_test_table.h"

namespace {

class LineListsTest : public ::testing::Test {
protected:
    void SetUp() override {
        T.FieldDefs()->Add("Name", ftString, 20);
        T.FieldDefs()->Add("Code", ftString, 10);
        T.FieldDefs()->Add("Notes", ftMemo);
        T.FieldDefs()->Add("Notes2", ftMemo);
        T.FieldDefs()->Add("Amount", ftFloat);
        T.Open();
    }
    static std::vector<std::string> Lines(TStrings* s) {
        std::vector<std::string> v;
        for (int i = 0; i < s->Count(); ++i) v.push_back(s->Strings(i));
        return v;
    }
    TqzTestTable T;
};

TEST_F(LineListsTest, ListsAreFoundByPropertyName) {
    EXPECT_EQ(qzGetControlType(&T), T.ControlType());
    EXPECT_EQ(qzGetPictureMasks(&T), T.PictureMasks());
    EXPECT_EQ(qzGetLookupFields(&T), T.LookupFields());
    EXPECT_EQ(qzGetLookupLinks(&T), T.LookupLinks());
    TComponent bare(nullptr);
    for (auto get : {qzGetControlType, qzGetPictureMasks, qzGetLookupFields, qzGetLookupLinks}) {
        EXPECT_EQ(get(nullptr), nullptr);
        EXPECT_EQ(get(&bare), nullptr);
    }
}

TEST_F(LineListsTest, LastControlTypeLineWinsAndNamesCompareExactly) {
    T.ControlType()->Add("Code;CheckBox;Y;N");
    T.ControlType()->Add("Name;Combo;cbName");
    T.ControlType()->Add("Code;URL-Link;" + std::string(300, 'p'));
    std::string type = "x", params = "y";
    qzGetControlTypeEntry(&T, "Code", type, params);
    EXPECT_EQ(type, "URL-Link");
    EXPECT_EQ(params, std::string(255, 'p'));  // parameters stop at 255 characters
    qzGetControlTypeEntry(&T, "code", type, params);
    EXPECT_EQ(type, "");
    EXPECT_EQ(params, "");
    T.ControlType()->Add("Code;CheckBox;Y;N");
    qzGetControlTypeEntry(&T, "Code", type, params);
    EXPECT_EQ(type, "CheckBox");
    EXPECT_EQ(params, "Y;N");  // everything after the second ";"
    TComponent bare(nullptr);
    type = "x";
    qzGetControlTypeEntry(&bare, "Code", type, params);
    EXPECT_EQ(type, "");
    qzGetControlTypeEntry(nullptr, "Code", type, params);
    EXPECT_EQ(type, "");
}

TEST_F(LineListsTest, EditControlTypes) {
    for (const char* w : {"CustomEdit", "lookupcombo", "COMBO", "RichEdit"})
        EXPECT_TRUE(qzIsEditControlType(w)) << w;
    for (const char* w : {"CheckBox", "Bitmap", "ImageIndex", "URL-Link", ""})
        EXPECT_FALSE(qzIsEditControlType(w)) << w;
}

TEST_F(LineListsTest, RichTextFieldByLineOrContent) {
    TField* notes = T.FieldByName("Notes");
    TField* notes2 = T.FieldByName("Notes2");
    T.Append();
    notes->SetAsString("{\\rtf1 Hello\\par}");
    notes2->SetAsString("plain");
    T.Post();
    EXPECT_FALSE(qzIsRichTextField(notes, false));
    EXPECT_TRUE(qzIsRichTextField(notes, true));  // content sniffed only when asked
    EXPECT_FALSE(qzIsRichTextField(notes2, true));
    T.ControlType()->Add("Notes2;RichEdit;reNotes");
    EXPECT_TRUE(qzIsRichTextField(notes2, false));  // the line alone decides, without the blob
    EXPECT_FALSE(qzIsRichTextField(notes, false));  // "Notes2;RichEdit" does not begin with "Notes;RichEdit"
    T.ControlType()->Add("Name;RichEdit;reName");
    EXPECT_FALSE(qzIsRichTextField(T.FieldByName("Name"), true));  // not a blob field
    EXPECT_FALSE(qzIsRichTextField(nullptr, true));
}

TEST_F(LineListsTest, PictureMaskLinesAppendedReplacedAndDeleted) {
    bool flag2 = false, autoFill = false;
    std::string mask = "x";
    qzGetPictureMask(&T, "Code", true, flag2, autoFill, mask);
    EXPECT_EQ(mask, "");
    EXPECT_TRUE(autoFill);
    EXPECT_TRUE(flag2);

    qzSetPictureMask(&T, "Code", "###", true, true, true, false, true);
    EXPECT_EQ(Lines(T.PictureMasks()), std::vector<std::string>{"Code\t###\tT\tF"});
    qzGetPictureMask(&T, "CODE", true, flag2, autoFill, mask);  // names ignore case
    EXPECT_EQ(mask, "###");
    EXPECT_TRUE(autoFill);
    EXPECT_FALSE(flag2);

    // only the mask is set: the flags keep what the line says
    qzSetPictureMask(&T, "code", "&&&", false, false, true, true, false);
    EXPECT_EQ(Lines(T.PictureMasks()), std::vector<std::string>{"code\t&&&\tT\tF"});
    // only AutoFill is set: the mask stays
    qzSetPictureMask(&T, "Code", "", false, true, false, true, false);
    EXPECT_EQ(Lines(T.PictureMasks()), std::vector<std::string>{"Code\t&&&\tF\tF"});

    qzSetPictureMask(&T, "Name", "", true, true, true, true, true);  // empty mask, no line: nothing
    EXPECT_EQ(T.PictureMasks()->Count(), 1);
    qzSetPictureMask(&T, "Code", "", true, true, true, true, true);  // empty mask deletes
    EXPECT_EQ(T.PictureMasks()->Count(), 0);

    TComponent bare(nullptr);
    qzSetPictureMask(&bare, "Code", "###", true, true, true, true, true);  // no list: nothing, no error
    qzGetPictureMask(nullptr, "Code", true, flag2, autoFill, mask);
    EXPECT_EQ(mask, "");
}

TEST_F(LineListsTest, PictureMaskFromTheListItself) {
    TStringList list;
    list.Add("Amount\t#.##\tF\tT");
    bool found = false, autoFill = true;
    std::string mask;
    qzGetPictureMask(&list, "amount", found, autoFill, mask);
    EXPECT_TRUE(found);
    EXPECT_FALSE(autoFill);
    EXPECT_EQ(mask, "#.##");
    qzGetPictureMask(&list, "Code", found, autoFill, mask);
    EXPECT_FALSE(found);
    EXPECT_TRUE(autoFill);
    EXPECT_EQ(mask, "");
    qzGetPictureMask(static_cast<TStrings*>(nullptr), "Code", found, autoFill, mask);
    EXPECT_FALSE(found);
}

TEST_F(LineListsTest, FlagTexts) {
    EXPECT_EQ(qzFlagText(true), "T");
    EXPECT_EQ(qzFlagText(false), "F");
}

TEST_F(LineListsTest, BadValueRefusedBeforePostWithTheFocusOnItsControl) {
    TForm form(nullptr);
    form.SetBounds(0, 0, 300, 200);
    TDataSource src(&form);
    src.SetDataSet(&T);
    auto* nameEdit = new TDBEdit(&form);
    nameEdit->SetParent(&form);
    nameEdit->SetDataSource(&src);
    nameEdit->SetDataField("Name");
    auto* codeEdit = new TDBEdit(&form);
    codeEdit->SetParent(&form);
    codeEdit->SetTop(40);
    codeEdit->SetDataSource(&src);
    codeEdit->SetDataField("Code");
    form.Show();
    ActivateForm(&form);
    nameEdit->SetFocus();
    ProcessEvents();

    T.FieldByName("Code")->SetDisplayLabel("Item code");
    T.PictureMasks()->Add("Code\t###\tT\tF");
    std::vector<std::pair<TDataSet*, TField*>> told;
    T.SetOnInvalidValue(TqzInvalidValueEvent([&](TDataSet* ds, TField* f) { told.push_back({ds, f}); }));

    T.Append();
    T.FieldByName("Name")->SetAsString("x");
    T.FieldByName("Code")->SetAsString("12a");
    try {
        T.Post();
        FAIL() << "the post went through";
    } catch (const EDatabaseError& e) {
        EXPECT_STREQ(e.what(), "Invalid characters. Field : Item code");
    }
    ASSERT_EQ(told.size(), 1u);
    EXPECT_EQ(told[0].first, &T);
    EXPECT_EQ(told[0].second, T.FieldByName("Code"));
    EXPECT_EQ(T.State(), dsInsert);  // the record stays in editing
    ProcessEvents();
    EXPECT_EQ(FocusedControl(), codeEdit);

    T.FieldByName("Code")->SetAsString("123");
    T.Post();
    EXPECT_EQ(T.RecordCount(), 1);
    T.Append();
    T.FieldByName("Code")->SetAsString("");  // an empty text is never checked
    T.Post();
    T.Append();
    T.FieldByName("Code")->SetAsString("zz");
    T.FieldByName("Code")->SetReadOnly(true);  // nor is a read-only field
    T.Post();
    EXPECT_EQ(T.RecordCount(), 3);
    EXPECT_EQ(told.size(), 1u);
}

TEST_F(LineListsTest, LookupLinksShorterThanLookupFields) {
    T.LookupFields()->Add("Name;DB;Names.d;Title;ByName");
    T.LookupFields()->Add("Code;DB;Codes.d;Text;ByCode");
    T.LookupLinks()->Add("Name;Name");
    std::string line = "old";
    qzGetLookupLink(&T, "Code", line);
    EXPECT_EQ(line, "");  // the missing partner reads empty
    qzGetLookupLink(&T, "Name", line);
    EXPECT_EQ(line, "Name;Name");
    line = "old";
    qzGetLookupLink(&T, "Other", line);
    EXPECT_EQ(line, "old");  // no line for the field: unchanged
    std::string result;
    qzGetLookupResultFieldName(&T, "Code", result);
    EXPECT_EQ(result, "Text");
    qzGetLookupResultFieldName(&T, "code", result);  // item 0 compares exactly
    EXPECT_EQ(result, "Text");
}

TEST_F(LineListsTest, StaleEntriesGoWithTheirPartners) {
    T.LookupFields()->Add("Name;DB;A.d;R;I");
    T.LookupFields()->Add("Gone;DB;B.d;R;I");
    T.LookupFields()->Add("Code;DB;C.d;R;I");
    T.LookupFields()->Add("Lost;DB;D.d;R;I");
    T.LookupLinks()->Add("Name;N");
    T.LookupLinks()->Add("Gone;G");
    T.LookupLinks()->Add("Code;C");  // no partner for "Lost"
    T.ControlType()->Add("Name;Combo;x");
    T.ControlType()->Add("Gone;Combo;y");
    T.ControlType()->Add("notes;RichEdit;z");  // names compare upper-cased
    qzRemoveStaleFieldEntries(&T, T.LookupFields(), T.LookupLinks(), T.ControlType());
    EXPECT_EQ(Lines(T.LookupFields()), (std::vector<std::string>{"Name;DB;A.d;R;I", "Code;DB;C.d;R;I"}));
    EXPECT_EQ(Lines(T.LookupLinks()), (std::vector<std::string>{"Name;N", "Code;C"}));
    EXPECT_EQ(Lines(T.ControlType()), (std::vector<std::string>{"Name;Combo;x", "notes;RichEdit;z"}));
}

TEST_F(LineListsTest, StaleEntriesOfADataSetWithoutFieldsStay) {
    TqzTestTable closed;
    TStringList fields, links, types;
    fields.Add("Name;DB;A.d;R;I");
    links.Add("Name;N");
    types.Add("Name;Combo;x");
    qzRemoveStaleFieldEntries(&closed, &fields, &links, &types);
    EXPECT_EQ(fields.Count(), 1);
    EXPECT_EQ(links.Count(), 1);
    EXPECT_EQ(types.Count(), 1);
    qzRemoveStaleFieldEntries(nullptr, &fields, &links, &types);
    EXPECT_EQ(fields.Count(), 1);
}

TEST_F(LineListsTest, DataSetHasField) {
    EXPECT_TRUE(qzDataSetHasField(&T, "amount"));
    EXPECT_FALSE(qzDataSetHasField(&T, "Amount2"));
    TComponent bare(nullptr);
    EXPECT_FALSE(qzDataSetHasField(&bare, "Amount"));
    EXPECT_FALSE(qzDataSetHasField(nullptr, "Amount"));
}

TEST_F(LineListsTest, DisplayFieldsReadAndApplied) {
    T.FieldByName("Notes2")->SetVisible(false);
    T.FieldByName("Name")->SetDisplayWidth(12);
    T.FieldByName("Name")->SetDisplayLabel("Full name");
    TStringList lines;
    lines.Add("stale");
    qzGetDisplayFields(&T, &lines);
    ASSERT_EQ(lines.Count(), 4);
    EXPECT_EQ(lines.Strings(0), "Name\t12\tFull name");
    EXPECT_EQ(lines.Strings(3).substr(0, 7), "Amount\t");

    TStringList apply;
    apply.Add("Missing\t5\tNobody");  // skipped, but still counts for Index
    apply.Add("Amount\t8\tSum");
    apply.Add("Code\t4\tC");
    qzApplyDisplayFields(&T, &apply);
    EXPECT_EQ(T.FieldByName("Amount")->Index(), 1);
    EXPECT_EQ(T.FieldByName("Code")->Index(), 2);
    EXPECT_EQ(T.FieldByName("Amount")->DisplayWidth(), 8);
    EXPECT_EQ(T.FieldByName("Amount")->DisplayLabel(), "Sum");
    EXPECT_TRUE(T.FieldByName("Code")->Visible());
    EXPECT_FALSE(T.FieldByName("Name")->Visible());
    EXPECT_FALSE(T.FieldByName("Notes")->Visible());
    EXPECT_FALSE(T.ControlsDisabled());
}

TEST_F(LineListsTest, DisplayIndexIsLimitedToTheFieldCount) {
    TStringList apply;
    for (int i = 0; i < 7; ++i) apply.Add("Missing" + std::to_string(i) + "\t1\tx");
    apply.Add("Name\t5\tN");
    qzApplyDisplayFields(&T, &apply);
    EXPECT_EQ(T.FieldByName("Name")->Index(), T.FieldCount() - 1);
    EXPECT_TRUE(T.FieldByName("Name")->Visible());
}

TEST_F(LineListsTest, BadWidthChangesNothing) {
    TStringList apply;
    apply.Add("Name\t5\tN");
    apply.Add("Code\twide\tC");
    EXPECT_THROW(qzApplyDisplayFields(&T, &apply), EConvertError);
    for (int i = 0; i < T.FieldCount(); ++i) EXPECT_TRUE(T.Fields()->Fields(i)->Visible());
    EXPECT_NE(T.FieldByName("Name")->DisplayWidth(), 5);
    EXPECT_FALSE(T.ControlsDisabled());
}

TEST_F(LineListsTest, FieldNameFromDisplayLabel) {
    T.FieldByName("Amount")->SetDisplayLabel("Total~Sum");
    std::string name = "x";
    qzFieldNameFromDisplayLabel(&T, "total sum", name);
    EXPECT_EQ(name, "Amount");
    qzFieldNameFromDisplayLabel(&T, "TOTAL~SUM", name);
    EXPECT_EQ(name, "Amount");
    qzFieldNameFromDisplayLabel(&T, "code", name);  // the field name stands in for a missing label
    EXPECT_EQ(name, "Code");
    qzFieldNameFromDisplayLabel(&T, "none", name);
    EXPECT_EQ(name, "");
}

TEST_F(LineListsTest, ListSourceFollowsTheControlsFlag) {
    TForm form(nullptr);
    TDataSource src(&form);
    src.SetDataSet(&T);
    auto* edit = new TDBEdit(&form);
    edit->SetDataSource(&src);
    // an edit without the flag property counts as taking the dataset's lists
    EXPECT_TRUE(qzGetControlInfoInDataSet(edit));
    EXPECT_TRUE(qzGetPictureMaskFromDataSet(edit));
    EXPECT_EQ(qzGetControlTypeSource(edit, nullptr), &T);
    EXPECT_EQ(qzGetPictureMaskSource(edit, &T), &T);
    TqzTestTable other;
    EXPECT_EQ(qzGetControlTypeSource(edit, &other), &other);
    TComponent bare(nullptr);
    EXPECT_EQ(qzGetControlTypeSource(&bare, nullptr), &bare);  // no data source: the control itself
    EXPECT_EQ(qzGetControlTypeSource(nullptr, &T), nullptr);
}

TEST_F(LineListsTest, EditControlOfAFieldFoundOnTheForm) {
    TForm form(nullptr);
    auto* edit = new TDBEdit(&form);
    edit->SetName("reNotes");
    TDataSource src(&form);
    src.SetDataSet(&T);
    auto* host = new TDBEdit(&form);
    host->SetDataSource(&src);
    T.ControlType()->Add("Notes;CheckBox;reNotes");  // not an edit type
    T.ControlType()->Add("NOTES;RichEdit;reNotes");
    TWinControl* found = nullptr;
    EXPECT_TRUE(qzFindRichEditControlForField(host, &form, T.FieldByName("Notes"), found));
    EXPECT_EQ(found, edit);
    T.ControlType()->Clear();
    T.ControlType()->Add("Notes;Combo;nothing");
    EXPECT_FALSE(qzFindRichEditControlForField(host, &form, T.FieldByName("Notes"), found));
    EXPECT_EQ(found, nullptr);
    EXPECT_FALSE(qzFindRichEditControlForField(host, &form, nullptr, found));
}

}  // namespace
