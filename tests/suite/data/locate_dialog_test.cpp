// The locate dialog over an engine table, worked with real keys and clicks.
#include <string>
#include <vector>

#include "platform/core/exceptions.h"
#include "platform/core/properties.h"
#include "platform/ui/groupbox.h"
#include "platform/ui/stdctrls.h"
#include "suite/data/qzlocate.h"
#include "support/environment.h"
#include "support/suite/data/nav_fixture.h"
#include "support/suite/dialog_glyphs.h"

namespace {

class LocateTest : public NavTest {
protected:
    void SetUp() override {
        NavTest::SetUp();
        D = new TqzLocateDialog(&Form);
        D->SetDataSource(&Src);
    }
    static TqzLocateDlg* Dlg(TCustomForm* F) {
        auto* f = dynamic_cast<TqzLocateDlg*>(F);
        EXPECT_NE(nullptr, f);
        return f;
    }
    static void Click(TControl* C) { SendClick(C, C->Width() / 2, C->Height() / 2); }
    TqzLocateDialog* D = nullptr;
    TTestModalForms Modal;
};

// An inactive dataset, or none: the message, no form, and the answer False.
TEST_F(LocateTest, InactiveOrMissingDatasetShowsTheMessageAndAnswersFalse) {
    T.Close();
    EXPECT_FALSE(D->Execute());
    ASSERT_EQ(1, Dialogs.Count());
    EXPECT_EQ("DataSource does not reference an active DataSet", Dialogs.Last().Text);
    D->SetDataSource(nullptr);
    EXPECT_FALSE(D->Execute());
    EXPECT_EQ(2, Dialogs.Count());
    EXPECT_TRUE(Modal.Shown().empty());
}

TEST_F(LocateTest, FirstAndNextFindMatchesAndSayWhenThereAreNoMore) {
    Fill({"bob", "anna", "bert", "carl", "bella"});
    D->SetOptions({});  // stay open on a match
    D->SetSearchField("Name");
    Modal.Push([&](TCustomForm* F) {
        TqzLocateDlg* f = Dlg(F);
        EXPECT_EQ("Locate Field Value", f->Caption());
        EXPECT_EQ("Close", f->CancelButton()->Caption());
        EXPECT_EQ("Field &Value", f->FieldValueGroup()->Caption());
        EXPECT_TRUE(f->PartialMatchStartBtn()->Checked());
        SendText(f->SearchValue(), "B");
        Click(f->FirstButton());
        EXPECT_EQ("bob", Name());
        Click(f->NextButton());
        EXPECT_EQ("bert", Name());
        SendKey(f->SearchValue(), VK_RETURN);  // Next is the default button
        EXPECT_EQ("bella", Name());
        EXPECT_EQ(0, Dialogs.Count());
        Click(f->NextButton());
        ASSERT_EQ(1, Dialogs.Count());
        EXPECT_EQ("No more matches found", Dialogs.Last().Text);
        EXPECT_EQ("bella", Name());  // back where the search started
        EXPECT_EQ(mrNone, f->ModalResult());
        // Exact match, case-sensitive, from the first: nothing.
        Click(f->ExactMatchBtn());
        SendClick(f->CaseSensitiveCheckBox(), 6, 8);
        SendKey(f->SearchValue(), VK_BACK);
        SendText(f->SearchValue(), "Bob");
        Click(f->FirstButton());
        EXPECT_EQ("No matches found", Dialogs.Last().Text);
        SendKey(f->SearchValue(), VK_ESCAPE);
    });
    EXPECT_FALSE(D->Execute());
    EXPECT_EQ(mtExactMatch, D->MatchType());
    EXPECT_TRUE(D->CaseSensitive());
    EXPECT_EQ("Bob", D->FieldValue);
    EXPECT_EQ("Name", D->SearchField());
}

TEST_F(LocateTest, CloseOnMatchEndsWithOkAndTheValueIsKeptForTheNextCall) {
    Fill({"bob", "anna", "carl"});
    D->SetSearchField("Name");
    Modal.Push([&](TCustomForm* F) {
        TqzLocateDlg* f = Dlg(F);
        EXPECT_EQ("Cancel", f->CancelButton()->Caption());
        SendText(f->SearchValue(), "ca");
        Click(f->FirstButton());
        EXPECT_EQ(mrOk, f->ModalResult());
    });
    EXPECT_TRUE(D->Execute());
    EXPECT_EQ("carl", Name());
    Modal.Push([&](TCustomForm* F) {
        TqzLocateDlg* f = Dlg(F);
        EXPECT_EQ("ca", f->SearchValue()->Text());
        EXPECT_EQ("Name", f->SearchFieldName());
        f->SetModalResult(mrCancel);
    });
    EXPECT_FALSE(D->Execute());
}

TEST_F(LocateTest, EventsAssignedByNameFireOnShowAndOnAFieldChosen) {
    Fill({"bob"});
    std::vector<std::string> calls;
    TqzLocateDlg* shown = nullptr;
    SetMethodProp(D, "OnInitDialog", TqzOnInitLocateDlgEvent([&](TqzLocateDlg* f) {
                      shown = f;
                      calls.push_back("init");
                  }));
    SetMethodProp(D, "OnSelectField",
                  TqzLocateSelectFieldEvent([&](TqzLocateDlg* f, const std::string& Field) {
                      EXPECT_EQ(shown, f);
                      calls.push_back("field " + Field);
                  }));
    EXPECT_THROW(SetMethodProp(D, "OnSelectField", TNotifyEvent([](TObject*) {})), EPropertyError);
    Modal.Push([&](TCustomForm* F) {
        TqzLocateDlg* f = Dlg(F);
        EXPECT_EQ(shown, f);
        TComboBox* list = f->FieldNameComboBox();
        list->SetFocus();
        SendKey(list, VK_DOWN);
        f->SetModalResult(mrCancel);
    });
    EXPECT_FALSE(D->Execute());
    ASSERT_EQ(2u, calls.size());
    EXPECT_EQ("init", calls[0]);
    EXPECT_EQ(0u, calls[1].rfind("field ", 0));
    SetMethodProp(D, "OnInitDialog", TMethod());
    SetMethodProp(D, "OnSelectField", TMethod());
}

TEST_F(LocateTest, FieldListSortingTildesAndFieldChoice) {
    Fill({"bob"});
    T.FieldByName("City")->SetDisplayLabel("Home~Town");
    T.FieldByName("Num")->SetVisible(false);
    D->SetSearchField("Nothing");
    D->FieldValue = "left over";
    Modal.Push([&](TCustomForm* F) {
        TqzLocateDlg* f = Dlg(F);
        TComboBox* list = f->FieldNameComboBox();
        EXPECT_EQ(-1, list->ItemIndex());
        EXPECT_EQ("", f->SearchValue()->Text());
        ASSERT_EQ(3, list->Items()->Count());
        EXPECT_EQ("Home Town", list->Items()->Strings(0));  // sorted by name
        EXPECT_EQ("City", f->FieldOfEntry("Home Town"));
        // Nothing chosen: no search, the no-match message.
        SendClick(f->FirstButton(), 5, 5);
        EXPECT_EQ("No matches found", Dialogs.Last().Text);
        // Choosing a field empties the value.
        SendText(f->SearchValue(), "x");
        list->SetFocus();
        SendKey(list, VK_DOWN);
        EXPECT_EQ("City", f->SearchFieldName());
        EXPECT_EQ(f->SearchValue(), FocusedControl());
        EXPECT_EQ("", f->SearchValue()->Text());
        f->SetModalResult(mrCancel);
    });
    EXPECT_FALSE(D->Execute());
    D->SetSortFields(fsSortByFieldNo);
    D->SetFieldSelection(fsVisibleFields);
    D->SetOptions({ldoCaseSensitiveBelow});
    Modal.Push([&](TCustomForm* F) {
        TqzLocateDlg* f = Dlg(F);
        TComboBox* list = f->FieldNameComboBox();
        ASSERT_EQ(2, list->Items()->Count());
        EXPECT_EQ("Name", list->Items()->Strings(0));
        EXPECT_EQ("Home Town", list->Items()->Strings(1));
        EXPECT_EQ(75, f->CaseSensitiveCheckBox()->Top());
        EXPECT_EQ(16, f->ExactMatchBtn()->Top());
        EXPECT_TRUE(RenderControlToPng(f, TestRunPath("locate_dialog.png")));
        f->SetModalResult(mrCancel);
    });
    EXPECT_FALSE(D->Execute());
}

}  // namespace

// The Cancel button of a dialog that closes on a match shows its whole glyph.
TEST_F(LocateTest, CancelButtonShowsItsWholeGlyph) {
    Fill({"bob"});
    D->SetOptions({ldoCloseOnMatch});
    int buttons = 0;
    Modal.Push([&](TCustomForm* F) {
        buttons = ExpectKindGlyphsWhole(Dlg(F), "locate_dialog_button");
        F->SetModalResult(mrCancel);
    });
    EXPECT_FALSE(D->Execute());
    EXPECT_EQ(buttons, 1);
}
