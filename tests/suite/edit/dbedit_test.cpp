// The bound edit on a form: masked typing, posting, refusals, write-back of
// dates, numbers and memos, the dataset's picture lines, and the faults the
// edit mends.
#include <cmath>

#include "platform/db/dataset.h"
#include "platform/ui/actions.h"
#include "support/suite/edit_fixture.h"

namespace {

using BoundEditTest = EditTest;

// A "post" action for any data source: posts its dataset, enabled while the
// dataset is being edited.
class TTestPostAction : public TCustomAction {
public:
    TTestPostAction() : TCustomAction(nullptr) {}
    bool HandlesTarget(TObject* Target) override { return dynamic_cast<TDataSource*>(Target) != nullptr; }
    void ExecuteTarget(TObject* Target) override { static_cast<TDataSource*>(Target)->DataSet()->Post(); }
    void UpdateTarget(TObject* Target) override {
        TDataSet* ds = static_cast<TDataSource*>(Target)->DataSet();
        SetEnabled(ds && (ds->State() == dsEdit || ds->State() == dsInsert));
    }
};

TEST_F(BoundEditTest, MaskedValueTypedPostsAndInvalidOneIsRefusedWithTheFocusKept) {
    T.PictureMasks()->Add("Code\t###-##\tT\tF");
    TqzDBEdit* e = MakeEdit("Code");
    T.Append();
    ShowAndFocus(e);
    SendText(e, "12345");
    EXPECT_EQ(e->Text(), "123-45");  // the picture filled in its literal
    TabAway(e);
    EXPECT_EQ(FocusedControl(), Other);
    T.Post();
    EXPECT_EQ(T.FieldByName("Code")->AsString(), "123-45");
    EXPECT_EQ(Dialogs.Count(), 0);

    T.Append();
    e->SetFocus();
    ProcessEvents();
    SendText(e, "12");
    EXPECT_EQ(e->Text(), "12");
    TabAway(e);
    EXPECT_EQ(FocusedControl(), e);  // refused: the focus stays
    ASSERT_EQ(Dialogs.Count(), 1);
    EXPECT_EQ(Dialogs.Last().Text, "Invalid input value.  Use escape key to abandon changes.");
    EXPECT_TRUE(e->Modified());
    EXPECT_TRUE(T.FieldByName("Code")->IsNull());  // nothing written
    EXPECT_EQ(e->SelLength(), static_cast<int>(e->Text().size()));
    T.Cancel();
    EXPECT_EQ(T.RecordCount(), 1);
}

TEST_F(BoundEditTest, OnInvalidValueOfTheDataSetReplacesTheDefaultError) {
    T.PictureMasks()->Add("Code\t###\tT\tF");
    std::vector<TField*> told;
    T.SetOnInvalidValue(TqzInvalidValueEvent([&](TDataSet*, TField* f) { told.push_back(f); }));
    TqzDBEdit* e = MakeEdit("Code");
    T.Append();
    ShowAndFocus(e);
    SendText(e, "1");
    TabAway(e);
    ASSERT_EQ(told.size(), 1u);
    EXPECT_EQ(told[0], T.FieldByName("Code"));
    EXPECT_EQ(Dialogs.Count(), 0);
    // The handler let it through: the edit wrote the text and was left.
    EXPECT_EQ(T.FieldByName("Code")->AsString(), "1");
    EXPECT_EQ(FocusedControl(), e);  // but exit validation keeps the focus
    EXPECT_TRUE(e->InvalidOnExit());
}

TEST_F(BoundEditTest, DatesAreWrittenWithTheEpochAndKeepTheFieldsTime) {
    T.Append();
    T.FieldByName("Stamp")->SetAsDateTime(EncodeDate(2020, 1, 1) + EncodeTime(10, 30, 0, 0));
    T.FieldByName("Due")->SetAsDateTime(EncodeDate(2020, 1, 1));
    TqzDBEdit* stamp = MakeEdit("Stamp");
    TqzDBEdit* due = MakeEdit("Due");
    due->SetEpoch(1940);
    ShowAndFocus(stamp);
    stamp->SelectAll();
    SendText(stamp, "12/25/49");
    TabAway(stamp);
    EXPECT_DOUBLE_EQ(T.FieldByName("Stamp")->AsDateTime(),
                     EncodeDate(2049, 12, 25) + EncodeTime(10, 30, 0, 0));
    due->SetFocus();
    due->SelectAll();
    SendText(due, "12/25/49");
    TabAway(due);
    EXPECT_DOUBLE_EQ(T.FieldByName("Due")->AsDateTime(), EncodeDate(1949, 12, 25));
    // A time typed with the date wins over the field's own.
    stamp->SetFocus();
    stamp->SelectAll();
    SendText(stamp, "1/2/2030 8:15");
    TabAway(stamp);
    EXPECT_DOUBLE_EQ(T.FieldByName("Stamp")->AsDateTime(), EncodeDate(2030, 1, 2) + EncodeTime(8, 15, 0, 0));
}

TEST_F(BoundEditTest, ADateFollowedByWhatIsNoTimeIsRefusedNotCut) {
    T.Append();
    T.FieldByName("Due")->SetAsDateTime(EncodeDate(2020, 1, 1));
    T.FieldByName("Stamp")->SetAsDateTime(EncodeDate(2020, 1, 1) + EncodeTime(10, 30, 0, 0));
    TqzDBEdit* due = MakeEdit("Due");
    TqzDBEdit* stamp = MakeEdit("Stamp");
    ShowAndFocus(due);
    // a five-digit year: not the year 1000 with a "0" dropped
    due->SelectAll();
    SendText(due, "1/1/10000");
    TabAway(due);
    ASSERT_EQ(Dialogs.Count(), 1);
    EXPECT_EQ(Dialogs.Last().Text, "'1/1/10000' is not a valid date.");
    EXPECT_EQ(FocusedControl(), due);
    EXPECT_DOUBLE_EQ(T.FieldByName("Due")->AsDateTime(), EncodeDate(2020, 1, 1));
    due->SelectAll();
    SendText(due, "2/29/2000");
    TabAway(due);
    EXPECT_DOUBLE_EQ(T.FieldByName("Due")->AsDateTime(), EncodeDate(2000, 2, 29));
    // a time out of range does not leave the field's own time under the new date
    stamp->SetFocus();
    stamp->SelectAll();
    SendText(stamp, "2/29/2000 25:00");
    TabAway(stamp);
    EXPECT_EQ(Dialogs.Count(), 2);
    EXPECT_DOUBLE_EQ(T.FieldByName("Stamp")->AsDateTime(), EncodeDate(2020, 1, 1) + EncodeTime(10, 30, 0, 0));
}

TEST_F(BoundEditTest, NumbersWithADisplayFormatAndMemosAreWrittenBack) {
    static_cast<TFloatField*>(T.FieldByName("Amount"))->SetDisplayFormat("#,##0.00");
    static_cast<TIntegerField*>(T.FieldByName("Count"))->SetDisplayFormat("#,##0");
    T.Append();
    TqzDBEdit* amount = MakeEdit("Amount");
    TqzDBEdit* count = MakeEdit("Count");
    TqzDBEdit* notes = MakeEdit("Notes");
    ShowAndFocus(amount);
    Clipboard()->SetAsText("1,234.50");
    amount->PasteFromClipboard();
    TabAway(amount);
    EXPECT_DOUBLE_EQ(T.FieldByName("Amount")->AsFloat(), 1234.5);
    // Shown with the display format while unfocused.
    std::string shown;
    ASSERT_TRUE(amount->DisplayTextFromValue(shown));
    EXPECT_EQ(shown, "1,234.50");
    count->SetFocus();
    Clipboard()->SetAsText("1,234.6");
    count->PasteFromClipboard();
    TabAway(count);
    EXPECT_EQ(T.FieldByName("Count")->AsInteger(), 1235);  // rounded
    notes->SetFocus();
    SendText(notes, "memo text");
    TabAway(notes);
    EXPECT_EQ(T.FieldByName("Notes")->AsString(), "memo text");
}

// A pasted text that does not read as a number used to leave the field as
// it was while the edit counted as written.
TEST_F(BoundEditTest, NumberTextThatIsNoNumberIsRefusedAndEmptyTextClears) {
    static_cast<TFloatField*>(T.FieldByName("Amount"))->SetDisplayFormat("#,##0.00");
    T.Append();
    T.FieldByName("Amount")->SetAsFloat(7);
    TqzDBEdit* amount = MakeEdit("Amount");
    ShowAndFocus(amount);
    amount->SelectAll();
    Clipboard()->SetAsText("abc");
    amount->PasteFromClipboard();
    EXPECT_EQ(amount->Text(), "abc");
    TabAway(amount);
    EXPECT_EQ(FocusedControl(), amount);
    ASSERT_EQ(Dialogs.Count(), 1);
    EXPECT_EQ(Dialogs.Last().Text, "Invalid input value.  Use escape key to abandon changes.");
    EXPECT_DOUBLE_EQ(T.FieldByName("Amount")->AsFloat(), 7);
    EXPECT_TRUE(amount->Modified());
    amount->SelectAll();
    SendKey(amount, VK_BACK);
    EXPECT_EQ(amount->Text(), "");
    TabAway(amount);
    EXPECT_EQ(FocusedControl(), Other);
    // The engine keeps a cleared number as 0.
    EXPECT_DOUBLE_EQ(T.FieldByName("Amount")->AsFloat(), 0);
    EXPECT_EQ(Dialogs.Count(), 1);
}

// Typing and pasting stop at the string field's size in UTF-8 bytes, so the
// write-back never cuts a text the edit showed.
TEST_F(BoundEditTest, StringFieldSizeCountsBytesWhenTypingAndPasting) {
    TqzDBEdit* name = MakeEdit("Name");  // 4 bytes
    T.Append();
    ShowAndFocus(name);
    EXPECT_EQ(name->MaxLength(), 4);
    SendText(name, "\xC3\xA9\xC3\xA9\xC3\xA9");  // three 2-byte letters
    EXPECT_EQ(name->Text(), "\xC3\xA9\xC3\xA9");
    TabAway(name);
    EXPECT_EQ(T.FieldByName("Name")->AsString(), "\xC3\xA9\xC3\xA9");
    name->SetFocus();
    name->SelectAll();
    Clipboard()->SetAsText("a\xC3\xA9\xC3\xA9");
    name->PasteFromClipboard();
    EXPECT_EQ(name->Text(), "a\xC3\xA9");  // the next letter would not fit whole
    TabAway(name);
    EXPECT_EQ(T.FieldByName("Name")->AsString(), "a\xC3\xA9");
}

TEST_F(BoundEditTest, PictureMaskLinesAreReadAndWrittenThroughPicture) {
    TqzDBEdit* e = MakeEdit("Code");
    e->Picture()->SetAutoFill(false);
    e->Picture()->SetPictureMaskFromDataSet(true);
    T.PictureMasks()->Add("Code\t##-#\tT\tF");
    EXPECT_EQ(e->Picture()->PictureMask(), "##-#");
    EXPECT_TRUE(e->Picture()->AutoFill());  // the line's flag, not the stored one
    e->Picture()->SetAllowInvalidExit(true);
    EXPECT_FALSE(e->Picture()->AllowInvalidExit());
    e->Picture()->SetPictureMask("&&&");
    ASSERT_EQ(T.PictureMasks()->Count(), 1);
    EXPECT_EQ(T.PictureMasks()->Strings(0).substr(0, 9), "Code\t&&&\t");
    e->Picture()->SetPictureMask("");
    EXPECT_EQ(T.PictureMasks()->Count(), 0);  // an empty mask deletes the line

    // A dataset without the list: the stored values apply.
    TOstraTable plain(nullptr);
    plain.FieldDefs()->Add("Code", ftString, 10);
    plain.Open();
    TDataSource src2(nullptr);
    src2.SetDataSet(&plain);
    TqzDBEdit e2(nullptr);
    e2.SetDataSource(&src2);
    e2.SetDataField("Code");
    e2.Picture()->SetPictureMask("###");
    e2.Picture()->SetAutoFill(false);
    e2.Picture()->SetAllowInvalidExit(true);
    EXPECT_EQ(e2.Picture()->PictureMask(), "###");
    EXPECT_FALSE(e2.Picture()->AutoFill());
    EXPECT_TRUE(e2.Picture()->AllowInvalidExit());
    e2.SetDataSource(nullptr);
}

TEST_F(BoundEditTest, MasksCopyWhatTheirAssignmentsPromise) {
    TqzRegexMask a, b;
    a.SetMask("[a-z]+");
    a.SetCaseSensitive(false);
    a.SetErrorMessage("letters");
    a.SetAllowInvalidExit(true);
    b.Assign(&a);
    EXPECT_EQ(b.Mask(), "[a-z]+");
    EXPECT_FALSE(b.CaseSensitive());
    EXPECT_EQ(b.ErrorMessage(), "letters");
    EXPECT_FALSE(b.AllowInvalidExit());
    TqzDBPicture p, q;
    p.SetPictureMask("#");
    p.SetAutoFill(false);
    q.Assign(&p);
    EXPECT_EQ(q.PictureMask(), "#");
    EXPECT_FALSE(q.AutoFill());
}

TEST_F(BoundEditTest, TypingIntoABrowsingSourceWithoutAutoEditIsDropped) {
    T.Append();
    T.FieldByName("Code")->SetAsString("abc");
    T.Post();
    Src.SetAutoEdit(false);
    TqzDBEdit* e = MakeEdit("Code");
    ShowAndFocus(e);
    SendText(e, "zz");
    EXPECT_EQ(T.State(), dsBrowse);
    EXPECT_EQ(e->Text(), "abc");
    EXPECT_EQ(Beeps.Count(), 0);
    Src.SetAutoEdit(true);
    e->SelectAll();
    SendText(e, "zz");
    EXPECT_EQ(T.State(), dsEdit);
    TabAway(e);
    T.Post();
    EXPECT_EQ(T.FieldByName("Code")->AsString(), "zz");
}

// Actions reach the focused edit's data link: its data source is their target.
TEST_F(BoundEditTest, ActionsAreOfferedThroughTheDataLink) {
    TqzDBEdit* e = MakeEdit("Name");
    TqzDBEdit* loose = MakeEdit("");
    TTestPostAction post;
    ShowAndFocus(loose);
    EXPECT_FALSE(post.Update());  // no data link: nobody takes it
    EXPECT_FALSE(post.Execute());
    T.Append();
    e->SetFocus();
    ProcessEvents();
    SendText(e, "Ab");
    post.SetEnabled(false);
    EXPECT_TRUE(post.Update());
    EXPECT_TRUE(post.Enabled());
    EXPECT_TRUE(post.Execute());
    EXPECT_EQ(T.State(), dsBrowse);
    EXPECT_EQ(T.FieldByName("Name")->AsString(), "Ab");  // the typed text went with the post
    EXPECT_TRUE(post.Update());
    EXPECT_FALSE(post.Enabled());
    EXPECT_FALSE(post.Execute());  // disabled: not run
}

// A binary blob shows a placeholder; typing, pasting, cutting or deleting in
// an edit on it must not replace the stored bytes with that text.
TEST_F(BoundEditTest, ACalculatedFieldsTypingThatIsNotStoredLeavesTheFieldsValueShown) {
    TqzTestTable c;
    for (const char* name : {"Name", "Shout"}) {
        auto* f = new TStringField(&c);
        f->SetFieldName(name);
        if (name[0] == 'S') f->SetFieldKind(fkCalculated);
        f->SetDataSet(&c);
    }
    c.FieldDefs()->Add("Name", ftString, 10);
    c.SetOnCalcFields(TDataSetNotifyEvent([](TDataSet* Ds) {
        Ds->FieldByName("Shout")->SetAsString(Ds->FieldByName("Name")->AsString() + "!");
    }));
    c.Open();
    c.AppendRecord({Variant("ann")});
    TDataSource s(&Form);
    s.SetDataSet(&c);
    TqzDBEdit* shout = MakeEdit("");
    shout->SetDataSource(&s);
    shout->SetDataField("Shout");
    TqzDBEdit* name = MakeEdit("");
    name->SetDataSource(&s);
    name->SetDataField("Name");
    ShowAndFocus(shout);
    shout->SelectAll();
    SendText(shout, "typed");
    TabAway(shout);
    // the calculated value stands, and the edit shows it, not the typing
    EXPECT_EQ(c.FieldByName("Shout")->AsString(), "ann!");
    EXPECT_EQ(shout->Text(), "ann!");
    name->SetFocus();
    name->SelectAll();
    SendText(name, "bob");
    TabAway(name);
    c.Post();
    EXPECT_EQ(shout->Text(), "bob!");
}

TEST_F(BoundEditTest, ABinaryBlobFieldIsNotOverwrittenByItsPlaceholderText) {
    TqzTestTable b;
    b.FieldDefs()->Add("Name", ftString, 10);
    b.FieldDefs()->Add("Data", ftBlob);
    b.Open();
    const std::string bytes("\x01\x02\x00\xff", 4);
    b.Append();
    b.FieldByName("Name")->SetAsString("pic");
    b.FieldByName("Data")->SetAsString(bytes);
    b.Post();
    TDataSource s(&Form);
    s.SetDataSet(&b);
    TqzDBEdit* e = MakeEdit("");
    e->SetDataSource(&s);
    e->SetDataField("Data");
    ShowAndFocus(e);
    const std::string shown = e->Text();
    e->SelectAll();
    SendText(e, "zz");
    SendKey(e, VK_DELETE);
    SendKey(e, VK_BACK);
    Clipboard()->SetAsText("pasted");
    SendKey(e, 'V', TShiftState{ssCtrl});
    e->SelectAll();
    SendKey(e, 'X', TShiftState{ssCtrl});
    EXPECT_EQ(e->Text(), shown);
    EXPECT_EQ(b.State(), dsBrowse);
    TabAway(e);
    if (b.State() != dsBrowse) b.Post();
    EXPECT_EQ(b.FieldByName("Data")->AsString(), bytes);
    // A text field beside it still takes typing.
    TqzDBEdit* name = MakeEdit("");
    name->SetDataSource(&s);
    name->SetDataField("Name");
    ShowAndFocus(name);
    name->SelectAll();
    SendText(name, "new");
    TabAway(name);
    b.Post();
    EXPECT_EQ(b.FieldByName("Name")->AsString(), "new");
    EXPECT_EQ(b.FieldByName("Data")->AsString(), bytes);
}

}  // namespace
