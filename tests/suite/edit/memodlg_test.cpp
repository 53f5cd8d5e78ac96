// The memo window run by the memo dialog component: writing back only on
// OK, the keys that confirm and cancel, the view-only window, placement.
#include <string>
#include <vector>

#include "platform/core/properties.h"
#include "platform/db/dataset.h"
#include "platform/ui/application.h"
#include "suite/edit/qzmemodlg.h"
#include "support/suite/dialog_glyphs.h"
#include "support/suite/edit_fixture.h"

namespace {

class MemoDlgTest : public EditTest {
protected:
    void SetUp() override {
        EditTest::SetUp();
        T.AppendRecord(
            {Variant("a"), Variant(), Variant(), Variant(), Variant(), Variant(), Variant("old text")});
        D = new TqzMemoDialog(&Form);
        D->SetDataSource(&Src);
        D->SetDataField("Notes");
    }
    TqzMemoDlg* Dlg(TCustomForm* F) { return dynamic_cast<TqzMemoDlg*>(F); }
    TqzMemoDialog* D = nullptr;
    TTestModalForms Modal;
};

TEST_F(MemoDlgTest, AMemoFieldIsEditedAndWrittenBackOnlyOnOk) {
    Modal.Push([&](TCustomForm* F) {
        TqzMemoDlg* d = Dlg(F);
        ASSERT_NE(nullptr, d);
        EXPECT_EQ("old text", d->Memo()->Text());
        EXPECT_FALSE(d->OKBtn()->Enabled());  // nothing changed yet
        d->Memo()->SetFocus();
        SendKey(d->Memo(), VK_END, {ssCtrl});
        SendText(d->Memo(), "!");
        EXPECT_TRUE(d->OKBtn()->Enabled());
        EXPECT_EQ("old text", T.FieldByName("Notes")->AsString());  // not yet
        SendKey(d->Memo(), VK_RETURN, {ssCtrl});
    });
    EXPECT_TRUE(D->Execute());
    EXPECT_EQ("old text!", T.FieldByName("Notes")->AsString());
    EXPECT_EQ(nullptr, D->Dialog());
}

// Once a change enables OK, OK and Cancel show their whole glyphs.
TEST_F(MemoDlgTest, OkAndCancelShowTheirWholeGlyphs) {
    int buttons = 0;
    Modal.Push([&](TCustomForm* F) {
        TqzMemoDlg* d = Dlg(F);
        ASSERT_NE(nullptr, d);
        d->Memo()->SetFocus();
        SendText(d->Memo(), "!");
        ASSERT_TRUE(d->OKBtn()->Enabled());
        buttons = ExpectKindGlyphsWhole(d, "memo_dialog_button");
        d->SetModalResult(mrCancel);
    });
    Dialogs.Answer(mrYes);  // the change goes
    EXPECT_FALSE(D->Execute());
    EXPECT_EQ(buttons, 2);
}

TEST_F(MemoDlgTest, EscapeInAChangedMemoAsksAndNoKeepsTheWindow) {
    int closes = 0;
    D->SetOnCloseDialog(TqzOnInitMemoDlgEvent([&](TqzMemoDlg*) { ++closes; }));
    Dialogs.Answer(mrNo);
    Dialogs.Answer(mrYes);
    Modal.Push([&](TCustomForm* F) {
        TqzMemoDlg* d = Dlg(F);
        d->Memo()->SetFocus();
        SendText(d->Memo(), "x");
        // The window asks before it closes: No keeps it.
        EXPECT_FALSE(d->CloseQuery());
        EXPECT_EQ(1, Dialogs.Count());
        SendKey(d->Memo(), VK_ESCAPE);  // asked again: Yes, the changes go
    });
    EXPECT_FALSE(D->Execute());
    ASSERT_EQ(2, Dialogs.Count());
    EXPECT_EQ("Changes have been made!  Are you sure you wish to cancel?", Dialogs.Last().Text);
    EXPECT_EQ(mtConfirmation, Dialogs.Last().DlgType);
    EXPECT_EQ("old text", T.FieldByName("Notes")->AsString());
    EXPECT_EQ(1, closes);
}

TEST_F(MemoDlgTest, F2ConfirmsAndLinesChangeOnlyAfterOk) {
    auto* own = new TqzMemoDialog(&Form);
    own->Lines()->Add("one");
    Modal.Push([&](TCustomForm* F) {
        TqzMemoDlg* d = Dlg(F);
        d->Memo()->SetFocus();
        SendKey(d->Memo(), VK_END, {ssCtrl});
        SendText(d->Memo(), "two");
        EXPECT_EQ("one\n", own->Lines()->Text());
        SendKey(d->Memo(), VK_F2);
    });
    EXPECT_TRUE(own->Execute());
    EXPECT_EQ(1, own->Lines()->Count());
    EXPECT_EQ("onetwo", own->Lines()->Strings(0));
    // Cancelled without changes: nothing asked, nothing changed.
    Modal.Push([&](TCustomForm* F) { SendKey(Dlg(F)->Memo(), VK_ESCAPE); });
    EXPECT_FALSE(own->Execute());
    EXPECT_EQ(0, Dialogs.Count());
}

TEST_F(MemoDlgTest, AReadOnlyFieldOpensViewOnlyWithOkCentredAndWritesNothing) {
    T.FieldByName("Notes")->SetReadOnly(true);
    D->SetCaption("Notes");
    Modal.Push([&](TCustomForm* F) {
        TqzMemoDlg* d = Dlg(F);
        EXPECT_TRUE(d->Memo()->ReadOnly());
        EXPECT_FALSE(d->CancelBtn()->Visible());
        EXPECT_TRUE(d->OKBtn()->Visible());
        EXPECT_TRUE(d->OKBtn()->Enabled());
        const int memoCentre = d->Memo()->Left() + d->Memo()->Width() / 2;
        EXPECT_NEAR(memoCentre, d->OKBtn()->Left() + d->OKBtn()->Width() / 2, 2);
        EXPECT_EQ("Notes", d->Caption());
        RenderControlToPng(d, PngPath("memo_view_only"));
        SendClick(d->OKBtn(), 5, 5);
    });
    EXPECT_TRUE(D->Execute());
    EXPECT_EQ("old text", T.FieldByName("Notes")->AsString());
    EXPECT_EQ(dsBrowse, T.State());
}

TEST_F(MemoDlgTest, PlacementZeroIsCentredWithTheGivenSizeElseAtThePosition) {
    D->SetDlgWidth(400);
    D->SetDlgHeight(300);
    D->SetUserButton1Caption("Stamp");
    D->SetOnUserButton1Click(TqzMemoUserButtonEvent([](TqzMemoDlg*, TMemo* M) { M->SetText("stamped"); }));
    Modal.Push([&](TCustomForm* F) {
        TqzMemoDlg* d = Dlg(F);
        EXPECT_EQ(400, d->Width());
        EXPECT_EQ(300, d->Height());
        EXPECT_EQ(poScreenCenter, d->Position());
        EXPECT_TRUE(d->UserButtonPanel()->Visible());
        EXPECT_TRUE(d->UserButton1()->Visible());
        EXPECT_FALSE(d->UserButton2()->Visible());
        EXPECT_EQ(10, d->UserButton1()->Left());
        RenderControlToPng(d, PngPath("memo_window"));
        SendClick(d->UserButton1(), 5, 5);
        EXPECT_EQ("stamped", d->Memo()->Text());
        d->SetModalResult(mrCancel);
        F->SetModalResult(mrNone);
        d->OKBtnClick(nullptr);
        d->SetModalResult(mrOk);
    });
    EXPECT_TRUE(D->Execute());
    D->SetDlgLeft(30);
    D->SetDlgTop(40);
    Modal.Push([&](TCustomForm* F) {
        EXPECT_EQ(poDesigned, F->Position());
        EXPECT_EQ(30, F->Left());
        EXPECT_EQ(40, F->Top());
        F->SetModalResult(mrCancel);
    });
    EXPECT_FALSE(D->Execute());
}

TEST_F(MemoDlgTest, EventsAssignedByNameFireOnShowButtonsAndClose) {
    std::vector<std::string> calls;
    TqzMemoDlg* shown = nullptr;
    SetMethodProp(D, "OnInitDialog", TqzOnInitMemoDlgEvent([&](TqzMemoDlg* d) {
                      shown = d;
                      calls.push_back("init:" + d->Memo()->Text());
                  }));
    SetMethodProp(D, "OnCloseDialog", TqzOnInitMemoDlgEvent([&](TqzMemoDlg* d) {
                      EXPECT_EQ(shown, d);
                      calls.push_back("close");
                  }));
    SetMethodProp(D, "OnUserButton1Click", TqzMemoUserButtonEvent([&](TqzMemoDlg*, TMemo* M) {
                      calls.push_back("one");
                      M->SetText("from one");
                  }));
    SetMethodProp(D, "OnUserButton2Click",
                  TqzMemoUserButtonEvent([&](TqzMemoDlg*, TMemo*) { calls.push_back("two"); }));
    EXPECT_TRUE(GetMethodProp(D, "OnUserButton2Click").Assigned());
    SetStrProp(D, "UserButton1Caption", "One");
    SetStrProp(D, "UserButton2Caption", "Two");
    Modal.Push([&](TCustomForm* F) {
        TqzMemoDlg* d = Dlg(F);
        EXPECT_EQ(shown, d);
        SendClick(d->UserButton1(), 5, 5);
        SendClick(d->UserButton2(), 5, 5);
        EXPECT_EQ("from one", d->Memo()->Text());
        SendKey(d->Memo(), VK_F2);
    });
    EXPECT_TRUE(D->Execute());
    EXPECT_EQ((std::vector<std::string>{"init:old text", "one", "two", "close"}), calls);
    EXPECT_EQ("from one", T.FieldByName("Notes")->AsString());
    // Another kind of event is refused by name.
    EXPECT_THROW(SetMethodProp(D, "OnInitDialog", TNotifyEvent([](TObject*) {})), EPropertyError);
}

}  // namespace
