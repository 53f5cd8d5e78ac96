// Data-aware controls over a table: showing, typing, posting and the navigator.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "platform/db/datasource.h"
#include "platform/db/fielddefs.h"
#include "platform/db/fields.h"
#include "platform/ui/dbctrls.h"
#include "support/db/memory_dataset.h"
#include "support/ui/freeing_cases.h"
#include "support/ui/ui_probes.h"

namespace {

class DBCtrlsTest : public ::testing::Test {
protected:
    void SetUp() override {
        table = new TMemoryDataSet(f.Form);
        table->FieldDefs()->Add("Key", ftInteger);
        table->FieldDefs()->Add("Flag", ftBoolean);
        table->FieldDefs()->Add("Action", ftString, 10);
        table->FieldDefs()->Add("Status", ftString, 15);
        table->AddRow({"1", "True", "Call Bob", "Open"});
        table->AddRow({"2", "False", "Pay bill", "Done"});
        table->AddRow({"3", "", "Read", "Later"});
        source = new TDataSource(f.Form);
        source->SetDataSet(table);
        table->Open();
    }
    template <class T>
    T* Make(const std::string& Field, int Y) {
        auto* c = new T(f.Form);
        c->SetParent(f.Form);
        c->SetBounds(10, Y, 150, c->Height());
        c->SetDataSource(source);
        c->SetDataField(Field);
        return c;
    }
    TShownForm f;
    TMemoryDataSet* table = nullptr;
    TDataSource* source = nullptr;
};

// ---- Text and edit ------------------------------------------------------------------------------

TEST_F(DBCtrlsTest, TextAndEditFollowTheCurrentRecord) {
    auto* text = Make<TDBText>("Status", 10);
    auto* edit = Make<TDBEdit>("Action", 40);
    EXPECT_EQ(text->Caption(), "");  // the caption is not the field
    EXPECT_EQ(edit->Text(), "Call Bob");
    EXPECT_EQ(edit->MaxLength(), 10);
    EXPECT_TRUE(edit->TCustomEdit::ReadOnly());  // until the dataset edits
    table->Next();
    EXPECT_EQ(edit->Text(), "Pay bill");
    f.Show();
    EXPECT_EQ(table->FieldByName("Status")->DisplayText(), "Done");
    // A freed data source leaves no link behind.
    delete source;
    source = nullptr;
    EXPECT_EQ(edit->DataSource(), nullptr);
    EXPECT_EQ(edit->Field(), nullptr);
}

TEST_F(DBCtrlsTest, TypingEditsThePostWritesTheField) {
    auto* edit = Make<TDBEdit>("Action", 10);
    auto* other = Make<TDBEdit>("Status", 40);
    f.Show();
    edit->SetFocus();
    edit->SelectAll();
    SendText(edit, "Ring Ann");
    EXPECT_EQ(table->State(), dsEdit);
    EXPECT_EQ(edit->Text(), "Ring Ann");
    // The field gets the text when the edit is left.
    EXPECT_EQ(table->FieldByName("Action")->AsString(), "Call Bob");
    other->SetFocus();
    EXPECT_EQ(table->FieldByName("Action")->AsString(), "Ring Ann");
    table->Post();
    EXPECT_EQ(table->Stored(0, "Action"), "Ring Ann");
}

// A binary blob shows a placeholder: typing into it, even while the record
// is edited through another control, never writes that text over the bytes.
TEST(DBEditBlob, ABinaryBlobIsNotOverwrittenByItsPlaceholder) {
    TShownForm f;
    auto* table = new TMemoryDataSet(f.Form);
    table->FieldDefs()->Add("Name", ftString, 10);
    table->FieldDefs()->Add("Data", ftBlob);
    table->AddRow({"pic", "bytes"});
    auto* source = new TDataSource(f.Form);
    source->SetDataSet(table);
    table->Open();
    auto* name = new TDBEdit(f.Form);
    name->SetParent(f.Form);
    name->SetBounds(10, 10, 150, name->Height());
    name->SetDataSource(source);
    name->SetDataField("Name");
    auto* data = new TDBEdit(f.Form);
    data->SetParent(f.Form);
    data->SetBounds(10, 50, 150, data->Height());
    data->SetDataSource(source);
    data->SetDataField("Data");
    f.Show();
    const std::string shown = data->Text();
    data->SetFocus();
    data->SelectAll();
    SendText(data, "zz");
    EXPECT_EQ(table->State(), dsBrowse);
    name->SetFocus();
    SendText(name, "x");  // the record is edited now
    data->SetFocus();
    data->SelectAll();
    SendText(data, "zz");
    EXPECT_EQ(data->Text(), shown);
    name->SetFocus();
    table->Post();
    EXPECT_EQ(table->Stored(0, "Data"), "bytes");
}

TEST_F(DBCtrlsTest, PostingTakesThePendingTextAndEscapeRestoresIt) {
    auto* edit = Make<TDBEdit>("Action", 10);
    f.Show();
    edit->SetFocus();
    SendKey(edit, VK_END);
    SendText(edit, "!");
    EXPECT_EQ(edit->Text(), "Call Bob!");
    SendKey(edit, VK_ESCAPE);
    EXPECT_EQ(edit->Text(), "Call Bob");
    SendText(edit, "X");
    table->Post();  // without leaving the edit
    EXPECT_EQ(table->Stored(0, "Action"), "X");
    EXPECT_EQ(table->State(), dsBrowse);
    // The field's size limits typing.
    edit->SelectAll();
    SendText(edit, "0123456789abc");
    EXPECT_EQ(edit->Text(), "0123456789");
}

TEST_F(DBCtrlsTest, ReadOnlyDataLeavesTheEditUnchanged) {
    table->Close();
    table->SetReadOnly(true);
    table->Open();
    auto* edit = Make<TDBEdit>("Action", 10);
    f.Show();
    edit->SetFocus();
    SendText(edit, "zz");
    EXPECT_EQ(edit->Text(), "Call Bob");
    EXPECT_EQ(table->State(), dsBrowse);
    auto* own = Make<TDBEdit>("Status", 40);
    table->Close();
    table->SetReadOnly(false);
    table->Open();
    own->SetReadOnly(true);
    own->SetFocus();
    SendText(own, "zz");
    EXPECT_EQ(own->Text(), "Open");
}

// ---- Memo and check box -----------------------------------------------------------------------------

TEST_F(DBCtrlsTest, MemoEditsItsField) {
    auto* memo = Make<TDBMemo>("Status", 10);
    EXPECT_EQ(memo->Text(), "Open");
    f.Show();
    memo->SetFocus();
    SendKey(memo, VK_END, {ssCtrl});
    SendText(memo, "ed");
    EXPECT_EQ(table->State(), dsEdit);
    table->Post();
    EXPECT_EQ(table->Stored(0, "Status"), "Opened");
    memo->SetAutoDisplay(false);
    table->Next();
    EXPECT_EQ(memo->Text(), "(Status)");
    SendKey(memo, VK_RETURN);  // Enter loads the text
    EXPECT_EQ(memo->Text(), "Done");
}

TEST_F(DBCtrlsTest, CheckBoxOnABooleanField) {
    auto* box = Make<TDBCheckBox>("Flag", 10);
    int clicks = 0;
    box->SetOnClick(TNotifyEvent([&](TObject*) { ++clicks; }));
    EXPECT_TRUE(box->Checked());
    table->Next();
    EXPECT_FALSE(box->Checked());
    table->Next();
    EXPECT_EQ(box->State(), cbGrayed);  // null
    EXPECT_EQ(clicks, 0);               // showing records is no click
    table->First();
    f.Show();
    SendClick(box, 5, 8);
    EXPECT_FALSE(box->Checked());
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(table->State(), dsEdit);
    table->Post();
    EXPECT_EQ(table->Stored(0, "Flag"), "False");
}

// A handler freeing the data-aware control that called it ends the key or
// click; the record keeps what was typed before.
TEST_F(DBCtrlsTest, AHandlerMayFreeTheDataAwareControlThatCalledIt) {
    auto* survivor = Make<TDBEdit>("Status", 200);
    f.Show();
    const auto freeOnKey = TKeyEvent([](TObject* Sender, uint16_t&, TShiftState) { delete Sender; });
    const auto freeOnChar = TKeyPressEvent([](TObject* Sender, char32_t&) { delete Sender; });
    const TNotifyEvent freeSender = FreeSender();
    const std::vector<std::pair<std::string, std::function<void()>>> cases = {
        {"edit key down",
         [&] {
             auto* e = Make<TDBEdit>("Action", 10);
             e->SetOnKeyDown(freeOnKey);
             e->SetFocus();
             SendKey(e, VK_DELETE);
         }},
        {"edit key press",
         [&] {
             auto* e = Make<TDBEdit>("Action", 10);
             e->SetOnKeyPress(freeOnChar);
             e->SetFocus();
             SendKey(e, 'A');
         }},
        {"memo key down",
         [&] {
             auto* m = Make<TDBMemo>("Action", 10);
             m->SetOnKeyDown(freeOnKey);
             m->SetFocus();
             SendKey(m, VK_DELETE);
         }},
        {"memo key press",
         [&] {
             auto* m = Make<TDBMemo>("Action", 10);
             m->SetOnKeyPress(freeOnChar);
             m->SetFocus();
             SendKey(m, 'A');
         }},
        {"check box clicked",
         [&] {
             auto* c = Make<TDBCheckBox>("Flag", 10);
             c->SetOnClick(freeSender);
             SendClick(c, 5, 5);
         }},
        {"check box key press",
         [&] {
             auto* c = Make<TDBCheckBox>("Flag", 10);
             c->SetOnKeyPress(freeOnChar);
             c->SetFocus();
             SendKey(c, VK_SPACE);
         }},
    };
    // each case starts and ends with the table browsing
    TFreeingCases browsing;
    for (const auto& [name, run] : cases)
        browsing.emplace_back(name, [&, run = run] {
            table->Cancel();
            run();
        });
    RunFreeingCases(f.Form, survivor, browsing, [&] { table->Cancel(); });
    table->Cancel();
    EXPECT_EQ(table->FieldByName("Status")->AsString(), "Open");
}

TEST_F(DBCtrlsTest, CheckBoxWithValueTexts) {
    auto* box = Make<TDBCheckBox>("Status", 10);
    box->SetValueChecked("Done;Closed");
    box->SetValueUnchecked("Open");
    EXPECT_FALSE(box->Checked());
    EXPECT_NE(box->State(), cbGrayed);
    table->Next();
    EXPECT_TRUE(box->Checked());
    table->Next();
    EXPECT_EQ(box->State(), cbGrayed);  // "Later" is neither
    table->First();
    f.Show();
    box->SetFocus();
    SendKey(box, VK_SPACE);
    EXPECT_TRUE(box->Checked());
    table->Post();
    EXPECT_EQ(table->Stored(0, "Status"), "Done");
}

// ---- Navigator ------------------------------------------------------------------------------------------

class NavigatorTest : public DBCtrlsTest {
protected:
    void SetUp() override {
        DBCtrlsTest::SetUp();
        nav = new TDBNavigator(f.Form);
        nav->SetParent(f.Form);
        nav->SetBounds(10, 100, 240, 25);
        nav->SetDataSource(source);
        nav->SetOnClick(ENavClick([this](TObject*, TNavigateBtn b) {
            log.push_back("click " + EnumInfoOf(b).NameOf(b) + " " + StateName());
        }));
        nav->SetBeforeAction(ENavClick(
            [this](TObject*, TNavigateBtn b) { log.push_back("before " + EnumInfoOf(b).NameOf(b)); }));
    }
    std::string StateName() const { return EnumInfoOf(table->State()).NameOf(table->State()); }
    bool On(TNavigateBtn b) const { return nav->Buttons(b)->Enabled(); }
    void Click(TNavigateBtn b) {
        TNavButton* button = nav->Buttons(b);
        SendClick(button, button->Width() / 2, button->Height() / 2);
    }
    TDBNavigator* nav = nullptr;
    std::vector<std::string> log;
};

TEST_F(NavigatorTest, ButtonsFollowTheDataSetState) {
    EXPECT_FALSE(On(nbFirst));
    EXPECT_FALSE(On(nbPrior));
    EXPECT_TRUE(On(nbNext));
    EXPECT_TRUE(On(nbLast));
    EXPECT_TRUE(On(nbInsert));
    EXPECT_TRUE(On(nbDelete));
    EXPECT_TRUE(On(nbEdit));
    EXPECT_FALSE(On(nbPost));
    EXPECT_FALSE(On(nbCancel));
    table->Last();
    EXPECT_TRUE(On(nbPrior));
    EXPECT_FALSE(On(nbNext));
    table->Edit();
    EXPECT_TRUE(On(nbPost));
    EXPECT_TRUE(On(nbCancel));
    EXPECT_FALSE(On(nbEdit));
    EXPECT_FALSE(On(nbRefresh));
    table->Cancel();
    table->Close();
    for (int i = nbFirst; i <= nbRefresh; ++i) EXPECT_FALSE(On(static_cast<TNavigateBtn>(i)));
    table->Open();
    nav->SetDataSource(nullptr);
    EXPECT_FALSE(On(nbNext));
}

// A walk with the controls disabled leaves the buttons alone until the
// controls come back; then they show where the walk ended.
TEST_F(NavigatorTest, AWalkWithDisabledControlsLeavesTheButtonsUntilTheEnd) {
    table->DisableControls();
    while (!table->Eof()) table->Next();
    table->Edit();
    EXPECT_TRUE(On(nbNext));  // as before the walk
    EXPECT_TRUE(On(nbEdit));
    table->Cancel();
    table->EnableControls();
    EXPECT_FALSE(On(nbNext));
    EXPECT_TRUE(On(nbPrior));
    table->DisableControls();
    table->Close();
    table->EnableControls();
    EXPECT_FALSE(On(nbPrior));
}

TEST_F(NavigatorTest, ClicksMoveAndEditThenOnClickFollows) {
    f.Show();
    Click(nbNext);
    EXPECT_EQ(table->FieldByName("Key")->AsInteger(), 2);
    Click(nbLast);
    EXPECT_EQ(table->FieldByName("Key")->AsInteger(), 3);
    Click(nbPrior);
    Click(nbFirst);
    EXPECT_EQ(table->FieldByName("Key")->AsInteger(), 1);
    EXPECT_EQ(log,
              (std::vector<std::string>{"before nbNext", "click nbNext dsBrowse", "before nbLast",
                                        "click nbLast dsBrowse", "before nbPrior", "click nbPrior dsBrowse",
                                        "before nbFirst", "click nbFirst dsBrowse"}));
    log.clear();
    Click(nbEdit);
    EXPECT_EQ(log.back(), "click nbEdit dsEdit");
    Click(nbPost);
    EXPECT_EQ(log.back(), "click nbPost dsBrowse");
    // A disabled button takes no click.
    table->First();
    log.clear();
    Click(nbFirst);
    EXPECT_TRUE(log.empty());
}

TEST_F(NavigatorTest, InsertTypeAndPostThroughTheNavigator) {
    auto* edit = Make<TDBEdit>("Action", 10);
    f.Show();
    nav->BtnClick(nbLast);
    nav->BtnClick(nbInsert);
    EXPECT_EQ(table->State(), dsInsert);
    edit->SetFocus();
    SendText(edit, "New task");
    Click(nbPost);
    EXPECT_EQ(table->State(), dsBrowse);
    ASSERT_EQ(table->RowCount(), 4);
    EXPECT_EQ(table->Stored(2, "Action"), "New task");  // inserted before the last record
    EXPECT_EQ(edit->Text(), "New task");
}

TEST_F(NavigatorTest, DeleteAsksFirst) {
    TTestDialogs dialogs;
    f.Show();
    dialogs.Answer(mrCancel);
    Click(nbDelete);
    EXPECT_EQ(table->RowCount(), 3);
    ASSERT_EQ(dialogs.Count(), 1);
    EXPECT_EQ(dialogs.Last().Text, "Delete record?");
    EXPECT_EQ(dialogs.Last().DlgType, mtConfirmation);
    EXPECT_EQ(log.back(), "click nbDelete dsBrowse");  // OnClick follows even a refused delete
    dialogs.Answer(mrOk);
    Click(nbDelete);
    EXPECT_EQ(table->RowCount(), 2);
    EXPECT_EQ(table->FieldByName("Key")->AsInteger(), 2);
    nav->SetConfirmDelete(false);
    nav->BtnClick(nbDelete);
    EXPECT_EQ(table->RowCount(), 1);
    EXPECT_EQ(dialogs.Count(), 2);
    // nothing to delete: no question, only the dataset's refusal
    nav->SetConfirmDelete(true);
    dialogs.Answer(mrOk);
    nav->BtnClick(nbDelete);
    ASSERT_EQ(table->RowCount(), 0);
    EXPECT_THROW(nav->BtnClick(nbDelete), Exception);
    EXPECT_EQ(dialogs.Count(), 3);
}

TEST_F(NavigatorTest, VisibleButtonsAndHints) {
    nav->SetVisibleButtons({nbFirst, nbPrior, nbNext, nbLast});
    EXPECT_FALSE(nav->Buttons(nbInsert)->Visible());
    EXPECT_EQ(nav->Buttons(nbPrior)->Left(), 60);
    EXPECT_EQ(nav->Buttons(nbLast)->Width(), 60);
    EXPECT_EQ(nav->Buttons(nbFirst)->Hint(), "First record");
    nav->Hints()->SetCommaText("Start,\"\",Onward");
    EXPECT_EQ(nav->Buttons(nbFirst)->Hint(), "Start");
    EXPECT_EQ(nav->Buttons(nbPrior)->Hint(), "Prior record");
    EXPECT_EQ(nav->Buttons(nbNext)->Hint(), "Onward");
    EXPECT_EQ(nav->Buttons(nbRefresh)->Hint(), "Refresh data");
    // The hidden insert button still acts from code.
    nav->BtnClick(nbInsert);
    EXPECT_EQ(table->State(), dsInsert);
}

TEST_F(NavigatorTest, HeldNextButtonRepeats) {
    for (int i = 4; i <= 30; ++i) table->AddRow({std::to_string(i), "", "", ""});
    table->Close();
    table->Open();
    f.Show();
    TNavButton* next = nav->Buttons(nbNext);
    ASSERT_TRUE(next->RepeatClicks());
    SendMouseDown(next, mbLeft, 5, 5);
    WaitUntil([&] { return table->FieldByName("Key")->AsInteger() >= 3; }, 60000);
    SendMouseUp(next, mbLeft, 5, 5);
    const int reached = table->FieldByName("Key")->AsInteger();
    EXPECT_GE(reached, 3);  // the mouse-up's click and at least one repeat
    ProcessEvents();
    WaitUntil([] { return false; }, 250);
    EXPECT_LE(table->FieldByName("Key")->AsInteger(), reached + 1);
}

// A held button's repeated click may free the navigator; the repeat stops.
TEST_F(NavigatorTest, ARepeatedClickMayFreeTheNavigator) {
    for (int i = 4; i <= 30; ++i) table->AddRow({std::to_string(i), "", "", ""});
    table->Close();
    table->Open();
    int clicks = 0;
    nav->SetOnClick(ENavClick([&](TObject* Sender, TNavigateBtn) {
        if (++clicks == 2) delete Sender;
    }));
    f.Show();
    SendMouseDown(nav->Buttons(nbNext), mbLeft, 5, 5);
    EXPECT_TRUE(WaitUntil([&] { return clicks >= 2; }, 60000));
    ProcessEvents();
    EXPECT_EQ(clicks, 2);
    EXPECT_EQ(table->FieldByName("Key")->AsInteger(), 3);
}

}  // namespace
