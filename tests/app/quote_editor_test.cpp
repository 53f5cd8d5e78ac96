// The quote editor and the quote box over a quote table in a temporary
// folder, driven by real clicks and keys.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "app/quote_box.h"
#include "app/quote_editor.h"
#include "app/quotes.h"
#include "engine/ostra_database.h"
#include "engine/ostra_table.h"
#include "platform/core/files.h"
#include "platform/core/guid.h"
#include "platform/db/datasource.h"
#include "platform/db/fielddefs.h"
#include "platform/db/fields.h"
#include "platform/ui/application.h"
#include "platform/ui/bitmaps.h"
#include "platform/ui/comctrls.h"
#include "platform/ui/dbctrls.h"
#include "platform/ui/extctrls.h"
#include "platform/ui/menus.h"
#include "platform/ui/messages.h"
#include "platform/ui/stdctrls.h"
#include "platform/ui/testing.h"
#include "support/app/quote_tables.h"
#include "support/environment.h"

namespace {

void Click(TControl* c) { SendClick(c, c->Width() / 2, c->Height() / 2); }

class QuoteFormsTest : public ::testing::Test {
protected:
    void SetUp() override {
        WriteQuotes();
        Db.SetDatabasePath(Dir);
        Quotes.SetDatabase(&Db);
        Quotes.SetTableName("quotes.d");
        AppIds.SetDatabase(&Db);
        AppIds.SetTableName("appid.d");
        Quotes.SetOnNewRecord([this](TDataSet* d) { AssignNewQuoteKey(d, &AppIds, &Db); });
        Quotes.Open();
        Source.SetDataSet(&Quotes);
    }
    void TearDown() override {
        delete Editor;
        Quotes.Close();
    }

    void WriteQuotes() {
        TOstraTable t(nullptr);
        AddQuoteDefs(t);
        t.Open();
        t.AppendRecord({Variant("The journey of a thousand miles begins with one step."), Variant("Lao Tzu"),
                        Variant("Start"), Variant(true), Variant(10), Variant(true)});
        t.AppendRecord({Variant("Well begun is half done."), Variant("Aristotle"), Variant("Start"),
                        Variant(false), Variant(11), Variant(false)});
        t.SaveToFile(Dir + "quotes.d");
    }

    void WriteAppIds() {
        TOstraTable t(nullptr);
        TFieldDefs* d = t.FieldDefs();
        d->Add("Ckey", ftString, 30);
        d->Add("CID", ftString, 30);
        d->Add("CIDField", ftString, 30);
        d->Add("CType", ftString, 1);
        t.Open();
        t.AppendRecord({Variant("Tasks"), Variant(""), Variant("7"), Variant("N")});
        t.AppendRecord({Variant("Quotes"), Variant(""), Variant("57"), Variant("N")});
        t.SaveToFile(Dir + "appid.d");
    }

    void ShowEditor() {
        Editor = CreateForm<TfrmDEQuote>(Application, &Source);
        Editor->Show();
        ProcessEvents();
    }

    // The row of the saved file with the key, as "quote|author|group".
    std::string SavedQuote(int key) {
        TOstraTable t(nullptr);
        t.SetTableName(Dir + "quotes.d");
        t.Open();
        if (!t.Locate("Key", Variant(key), {})) return "<none>";
        return t.FieldByName("Quote")->AsString() + "|" + t.FieldByName("Author")->AsString() + "|" +
               t.FieldByName("Group")->AsString();
    }

    TTestEnvironment Env;
    std::string Dir = Env.Folder() + "/";
    TOstraDatabase Db{nullptr};
    TOstraTable Quotes{nullptr};
    TOstraTable AppIds{nullptr};
    TDataSource Source{nullptr};
    TfrmDEQuote* Editor = nullptr;
};

TEST_F(QuoteFormsTest, EditorPartsAreBoundToTheQuoteSource) {
    ShowEditor();
    std::vector<std::string> hints;
    std::vector<int> lefts;
    for (int i = 0; i < Editor->ToolBar1()->ButtonCount(); ++i) {
        hints.push_back(Editor->ToolBar1()->Buttons(i)->Hint());
        lefts.push_back(Editor->ToolBar1()->Buttons(i)->Left());
    }
    EXPECT_EQ(hints,
              (std::vector<std::string>{"Undo", "Add", "Delete", "Save", "Help", "Cut", "Copy", "Paste"}));
    EXPECT_TRUE(std::is_sorted(lefts.begin(), lefts.end()));
    EXPECT_EQ(Editor->DBNavigator1()->DataSource(), &Source);
}

TEST_F(QuoteFormsTest, ShowsTheCurrentQuoteAndTheNavigatorMoves) {
    ShowEditor();
    EXPECT_EQ(Editor->DBMemo1()->Text(), "The journey of a thousand miles begins with one step.");
    EXPECT_EQ(Editor->DBEdit1()->Text(), "Lao Tzu");
    EXPECT_EQ(Editor->DBEdit2()->Text(), "Start");
    EXPECT_EQ(Editor->DBEdit3()->Text(), "10");
    EXPECT_TRUE(Editor->DBCheckBox1()->Checked());
    Click(Editor->DBNavigator1()->Buttons(nbNext));
    EXPECT_EQ(Editor->DBMemo1()->Text(), "Well begun is half done.");
    EXPECT_EQ(Editor->DBEdit1()->Text(), "Aristotle");
    EXPECT_FALSE(Editor->DBCheckBox1()->Checked());
    Click(Editor->DBNavigator1()->Buttons(nbFirst));
    EXPECT_EQ(Editor->DBEdit3()->Text(), "10");
}

TEST_F(QuoteFormsTest, AddGivesTheNextKeyAndSaveWritesTheTypedQuote) {
    WriteAppIds();
    ShowEditor();
    TTestDialogs dialogs;
    Click(Editor->ToolButton7());
    EXPECT_EQ(Quotes.RecordCount(), 3);
    EXPECT_EQ(Quotes.State(), dsBrowse);
    EXPECT_EQ(Editor->DBEdit3()->Text(), "57");
    EXPECT_EQ(Editor->DBMemo1()->Text(), "");

    Editor->DBMemo1()->SetFocus();
    SendText(Editor->DBMemo1(), "Simplicity is the soul of efficiency.");
    EXPECT_EQ(Quotes.State(), dsEdit);
    Editor->DBEdit1()->SetFocus();
    SendText(Editor->DBEdit1(), "Austin Freeman");
    Click(Editor->ToolButton6());
    EXPECT_EQ(Quotes.State(), dsBrowse);
    EXPECT_FALSE(Quotes.HasPendingChanges());
    EXPECT_EQ(SavedQuote(57), "Simplicity is the soul of efficiency.|Austin Freeman|");
    EXPECT_EQ(SavedQuote(10), "The journey of a thousand miles begins with one step.|Lao Tzu|Start");

    // The next one gets 58.
    Click(Editor->ToolButton7());
    EXPECT_EQ(Editor->DBEdit3()->Text(), "58");
    EXPECT_EQ(dialogs.Count(), 0);
}

TEST_F(QuoteFormsTest, UndoDropsTheEditInProgress) {
    ShowEditor();
    Editor->DBEdit1()->SetFocus();
    SendKey(Editor->DBEdit1(), VK_END);
    SendText(Editor->DBEdit1(), " (attr.)");
    EXPECT_EQ(Quotes.State(), dsEdit);
    Click(Editor->ToolButton4());
    EXPECT_EQ(Quotes.State(), dsBrowse);
    EXPECT_EQ(Quotes.FieldByName("Author")->AsString(), "Lao Tzu");
    EXPECT_EQ(Editor->DBEdit1()->Text(), "Lao Tzu");
    EXPECT_FALSE(Quotes.HasPendingChanges());
}

TEST_F(QuoteFormsTest, DeleteRemovesTheCurrentQuoteAndSaveWritesIt) {
    ShowEditor();
    Click(Editor->DBNavigator1()->Buttons(nbLast));
    TTestDialogs dialogs;
    Click(Editor->ToolButton8());
    EXPECT_EQ(Quotes.RecordCount(), 1);
    EXPECT_EQ(dialogs.Count(), 0);
    EXPECT_EQ(SavedQuote(11), "Well begun is half done.|Aristotle|Start");
    Click(Editor->ToolButton6());
    EXPECT_EQ(SavedQuote(11), "<none>");
}

TEST_F(QuoteFormsTest, CopyKeepsTheAuthorWithoutTouchingTheClipboard) {
    TTestClipboard clipboard;
    ShowEditor();
    Click(Editor->ToolButton3());
    EXPECT_EQ(Editor->CopiedText(), "Lao Tzu");
    EXPECT_TRUE(clipboard.GetData().empty());
    // Cut, Paste and Help do nothing.
    for (TToolButton* b : {Editor->ToolButton1(), Editor->ToolButton2(), Editor->ToolButton5()}) Click(b);
    EXPECT_EQ(Quotes.State(), dsBrowse);
    EXPECT_TRUE(clipboard.GetData().empty());
    EXPECT_EQ(Editor->DBEdit1()->Text(), "Lao Tzu");
}

TEST_F(QuoteFormsTest, ExitClosesTheModalEditor) {
    Editor = CreateForm<TfrmDEQuote>(Application, &Source);
    TTestMenus menus;
    menus.Answer("Cut     Ctrl+X");
    menus.Answer("Exit");
    TTestModalForms script;
    bool stillOpen = false;
    script.Push([&](TCustomForm* form) {
        auto* editor = static_cast<TfrmDEQuote*>(form);
        editor->MainMenu1()->OpenItem(editor->Edit1());
        stillOpen = editor->ModalResult() == mrNone;
        editor->MainMenu1()->OpenItem(editor->File1());
    });
    EXPECT_EQ(Editor->ShowModal(), mrCancel);
    EXPECT_TRUE(stillOpen);
    EXPECT_EQ(menus.Opened().size(), 2u);
}

TEST_F(QuoteFormsTest, EditorRenders) {
    ShowEditor();
    const std::string png = TestRunPath("quote_editor.png");
    ASSERT_TRUE(RenderControlToPng(Editor, png));
    EXPECT_GT(std::filesystem::file_size(png), 2000u);
}

TEST_F(QuoteFormsTest, QuoteBoxShowsTheCurrentQuoteUntilOk) {
    TFrmQuoteBox* box = CreateForm<TFrmQuoteBox>(Application, &Source);
    EXPECT_EQ(box->Caption(), "Quote");
    EXPECT_EQ(box->BorderStyle(), bsDialog);
    EXPECT_EQ(box->Position(), poScreenCenter);
    EXPECT_EQ(box->ClientWidth(), 298);
    EXPECT_EQ(box->ClientHeight(), 239);
    EXPECT_TRUE(box->DBText1()->WordWrap());
    EXPECT_EQ(box->DBText1()->Field(), Quotes.FieldByName("Quote"));
    EXPECT_EQ(box->DBText2()->Field(), Quotes.FieldByName("Author"));
    EXPECT_EQ(box->ProgramIcon()->Parent(), box->Panel1());
    EXPECT_TRUE(box->OKButton()->Default());

    TTestModalForms script;
    script.Push([](TCustomForm* form) {
        auto* b = static_cast<TFrmQuoteBox*>(form);
        ASSERT_TRUE(RenderControlToPng(b, TestRunPath("quote_box.png")));
        SendClick(b->OKButton(), 10, 10);
    });
    script.Push([](TCustomForm*) { SendKeyToFocus(VK_RETURN); });
    EXPECT_EQ(box->ShowModal(), mrOk);
    EXPECT_EQ(box->ShowModal(), mrOk);
    EXPECT_EQ(script.Pending(), 0);
    delete box;
    EXPECT_GT(std::filesystem::file_size(TestRunPath("quote_box.png")), 1000u);
}

}  // namespace
