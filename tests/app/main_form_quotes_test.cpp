// The main window's quote commands: new quote keys, QR, QD and the editor.
#include "main_form_test_fixture.h"

#include "app/quotes.h"
#include "platform/ui/buttons.h"
#include "platform/ui/comctrls.h"
#include "platform/ui/dbctrls.h"
#include "platform/ui/testing.h"

namespace {

class MainFormQuotes : public MainFormTest {
protected:
    // Sets the counter row's text, or removes the row.
    void SetCounter(const std::string& Text, bool Remove = false) {
        TOstraTable t(nullptr);
        t.SetTableName(Dir + "appid.d");
        t.Open();
        ASSERT_TRUE(t.Locate("Ckey", Variant("Quotes"), {}));
        if (Remove) {
            t.Delete();
        } else {
            t.Edit();
            t.FieldByName("CIDField")->SetAsString(Text);
            t.Post();
        }
        t.Save();
    }
    void ShowPage(TTabSheet* Page) {
        Form->PageControl1()->SetActivePage(Page);
        Form->PageControl1Change(Form);
    }
};

TEST_F(MainFormQuotes, NewQuotesTakeTheCounterKeys) {
    SetCounter("57");
    Open();
    TOstraTable* q = Form->dQuotes_();
    const int before = q->RecordCount();
    q->Append();
    EXPECT_EQ(q->State(), dsBrowse);
    EXPECT_EQ(q->FieldByName("Key")->AsInteger(), 57);
    q->Append();
    EXPECT_EQ(q->FieldByName("Key")->AsInteger(), 58);
    EXPECT_EQ(q->RecordCount(), before + 2);
    const auto counter = FileColumn("appid.d", "CIDField");
    EXPECT_NE(std::find(counter.begin(), counter.end(), "59"), counter.end());
}

TEST_F(MainFormQuotes, WithoutCounterNoUnkeyedQuoteIsPosted) {
    SetCounter("", true);
    Open();
    TOstraTable* q = Form->dQuotes_();
    const int before = q->RecordCount();
    // The silent abort cancels the insert.
    EXPECT_THROW(q->Append(), EAbort);
    EXPECT_EQ(Dialogs.Last().Text, "New quote NOT added.");
    EXPECT_EQ(q->State(), dsBrowse);
    EXPECT_EQ(q->RecordCount(), before);
    EXPECT_FALSE(q->HasPendingChanges());
}

TEST_F(MainFormQuotes, BadCounterKeysNothing) {
    SetCounter("fifty");
    Open();
    TOstraTable* q = Form->dQuotes_();
    const int before = q->RecordCount();
    EXPECT_THROW(q->Append(), EConvertError);
    EXPECT_EQ(q->State(), dsBrowse);
    EXPECT_EQ(q->RecordCount(), before);
}

TEST_F(MainFormQuotes, QuoteOfTheDayIsRememberedAcrossARestart) {
    Open();
    Form->Show();
    ProcessEvents();
    ShowPage(Form->TabSheet5());
    ASSERT_TRUE(Form->dQuotes_()->Locate("Key", Variant(3), {}));
    SendClick(Form->SpeedButton4(), 5, 5);  // "QD"
    EXPECT_EQ(Form->QuoteSelected(), 3);
    EXPECT_EQ(Form->DBText1()->Field()->AsString(), "While we are postponing, life speeds by. - Seneca");
    Dialogs.Answer(mrYes);
    TCloseAction action = caNone;
    Form->FormClose(Form, action);
    delete Form;
    Form = nullptr;
    Open();
    EXPECT_EQ(Form->QuoteSelected(), 3);
    EXPECT_EQ(Form->DBText1()->Field()->AsString(), "While we are postponing, life speeds by. - Seneca");
}

TEST_F(MainFormQuotes, RandomQuoteOpensTheBoxOffTodayOnly) {
    Open();
    TTestModalForms script;
    Form->spbtnRandQuoteClick(Form);  // on Today: no box
    EXPECT_TRUE(script.Shown().empty());
    ShowPage(Form->TabSheet1());
    script.PushResult(mrOk);
    Form->spbtnRandQuoteClick(Form);
    EXPECT_EQ(script.Shown(), std::vector<std::string>{"TFrmQuoteBox"});
    // A double click on the quote grid opens the editor.
    script.PushResult(mrOk);
    Form->OstraDBGrid4()->OnDblClick()(Form->OstraDBGrid4());
    EXPECT_EQ(script.Shown().back(), "TfrmDEQuote");
}

class EmptyQuotes : public MainFormTest {
protected:
    void PrepareData() override {
        CreateToDoDataFolder(Dir);
        TOstraTable quotes(nullptr);
        quotes.SetTableName(Dir + "quotes.d");
        quotes.Open();
        while (!quotes.IsEmpty()) quotes.Delete();
        quotes.Save();
    }
};

TEST_F(EmptyQuotes, TodayOpensAndTheRandomPickIsZero) {
    Open();
    EXPECT_EQ(RandomQuoteKey(Form->dQuotes_()), 0);
    Form->PageControl1()->SetActivePage(Form->TabSheet7());
    Form->PageControl1Change(Form);
    EXPECT_EQ(Form->DBNavigator1()->DataSource(), Form->dstday());
    Form->SpeedButton4Click(Form);
    EXPECT_EQ(Form->QuoteSelected(), 10);
}

}  // namespace
