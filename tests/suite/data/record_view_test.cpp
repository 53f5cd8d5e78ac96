// The record view over an engine table: the fields and controls it places,
// both layouts' figures, the close rules with each answer, its keys, the
// memo window from a memo edit, borrowed controls given back on every way
// out, a modeless view freeing itself, and the navigator opening it by name.
#include <deque>
#include <functional>
#include <memory>
#include "support/environment.h"

#include "platform/core/exceptions.h"
#include "platform/ui/application.h"
#include "platform/ui/bitmaps.h"
#include "platform/ui/class_registry.h"
#include "platform/ui/dbimage.h"
#include "platform/ui/drawing.h"
#include "platform/ui/menus.h"
#include "platform/ui/messages.h"
#include "platform/ui/window_services.h"
#include "suite/base/qzcontroller.h"
#include "suite/data/qznavigator.h"
#include "suite/data/qzrecordview.h"
#include "suite/edit/qzdatetimepicker.h"
#include "suite/grid/qzlookupcombo.h"
#include "suite/richtext/qzdbrichedit.h"
#include "support/suite/data/nav_fixture.h"
#include "support/suite/dialog_glyphs.h"

namespace {

// Runs queued steps from the event loop, so that a step can follow a close
// that the modal loop refused.
class TLaterSteps : public TWinControl {
public:
    using TWinControl::TWinControl;
    void Later(std::function<void()> Step) {
        FSteps.push_back(std::move(Step));
        PostMessage(this, WM_USER + 71, 0, 0);
    }
    void Dispatch(TMessage& Message) override {
        if (Message.Msg == WM_USER + 71 && !FSteps.empty()) {
            std::function<void()> step = std::move(FSteps.front());
            FSteps.pop_front();
            step();
            return;
        }
        TWinControl::Dispatch(Message);
    }

private:
    std::deque<std::function<void()>> FSteps;
};

class RecordViewTest : public ::testing::Test {
protected:
    void SetUp() override {
        Form.SetBounds(10, 10, 500, 300);
        TFieldDefs* d = T.FieldDefs();
        d->Add("Name", ftString, 20);
        d->Add("City", ftString, 12);
        d->Add("Done", ftBoolean);
        d->Add("Due", ftDate);
        d->Add("Notes", ftMemo);
        T.Open();
        Src.SetDataSet(&T);
        T.AppendRecord({Variant("anna"), Variant("Oslo"), Variant(true), Variant(), Variant("first note")});
        T.AppendRecord({Variant("bob"), Variant("Rome"), Variant(false), Variant(), Variant("")});
        T.First();
        Form.Show();
        ProcessEvents();
        Dlg = new TqzRecordViewDialog(&Form);
        Dlg->SetDataSource(&Src);
        Dlg->ControlType()->Add("Done;CheckBox;True;False");
        Steps = new TLaterSteps(&Form);
        Steps->SetParent(&Form);
        Steps->HandleNeeded();
    }
    // Runs the modal view with Step inside it; answers Execute.
    bool Run(std::function<void(TqzRecordViewForm*)> Step) {
        modal.Push([Step](TCustomForm* F) {
            auto* f = dynamic_cast<TqzRecordViewForm*>(F);
            ASSERT_NE(nullptr, f);
            Step(f);
        });
        return Dlg->Execute();
    }
    template <class C>
    C* ControlOf(const std::string& Field) {
        for (TControl* c : Dlg->Controls())
            if (FieldOf(c) == Field) return dynamic_cast<C*>(c);
        return nullptr;
    }
    static std::string FieldOf(TControl* C) {
        if (auto* e = dynamic_cast<TqzDBCustomEdit*>(C)) return e->DataField();
        if (auto* b = dynamic_cast<TDBCheckBox*>(C)) return b->DataField();
        return GetPropInfo(C, "DataField") ? GetStrProp(C, "DataField") : std::string();
    }
    std::string Name() { return T.FieldByName("Name")->AsString(); }

    TForm Form{nullptr};
    TOstraTable T{&Form};
    TDataSource Src{&Form};
    TTestDialogs Dialogs;
    TTestModalForms modal;
    TqzRecordViewDialog* Dlg = nullptr;
    TLaterSteps* Steps = nullptr;
};

TEST_F(RecordViewTest, EachFieldGetsItsControlAndTheVerticalFigures) {
    Run([&](TqzRecordViewForm* f) {
        ASSERT_EQ(5u, Dlg->Controls().size());
        EXPECT_NE(nullptr, ControlOf<TqzDBEdit>("Name"));
        EXPECT_NE(nullptr, ControlOf<TqzDBCheckBox>("Done"));
        EXPECT_NE(nullptr, ControlOf<TqzDBDateTimePicker>("Due"));
        EXPECT_NE(nullptr, ControlOf<TqzDBEditMemo>("Notes"));
        EXPECT_EQ("anna", ControlOf<TqzDBEdit>("Name")->Text());
        EXPECT_TRUE(ControlOf<TqzDBCheckBox>("Done")->Checked());
        // The check box's label is the dotted one.
        EXPECT_NE(nullptr, dynamic_cast<TqzLabel*>(ControlOf<TqzDBCheckBox>("Done")->Label));
        // Labels right-aligned left of one control column.
        TCanvas* c = f->Canvas();
        c->Font()->Assign(Dlg->LabelFont());
        int widest = 0;
        for (const char* s : {"Name", "City", "Done", "Due", "Notes"})
            widest = std::max(widest, c->TextWidth(s));
        EXPECT_EQ(5 + widest + 5, Dlg->ControlLeft());
        for (TControl* ctl : Dlg->Controls()) EXPECT_EQ(Dlg->ControlLeft(), ctl->Left());
        for (TLabel* l : Dlg->Labels()) {
            EXPECT_EQ(taRightJustify, l->Alignment());
            EXPECT_EQ(widest, l->Width());
        }
        // Standard widths from "0": City has 12 characters.
        c->Font()->Assign(Dlg->Font());
        EXPECT_EQ(c->TextWidth("0") * 13 + 3, ControlOf<TqzDBEdit>("City")->Width());
        EXPECT_EQ(12, ControlOf<TqzDBEdit>("City")->MaxLength());
        // Rows follow each other 2 pixels apart; the memo is two lines high.
        TControl* name = ControlOf<TControl>("Name");
        TControl* city = ControlOf<TControl>("City");
        EXPECT_EQ(5, name->Top());
        EXPECT_EQ(name->Top() + name->Height() + 2, city->Top());
        EXPECT_EQ(c->TextHeight("0") * 2 + 8, ControlOf<TControl>("Notes")->Height());
        // The memo spans the form less the frame allowance and margin.
        const int allowance = 2 * GetSystemMetrics(SM_CXFRAME) + 12;
        EXPECT_EQ(f->Width() - Dlg->ControlLeft() - (allowance + 5), ControlOf<TControl>("Notes")->Width());
        EXPECT_EQ(0, f->ModalResult());
        SendClick(f->CancelButton, 5, 5);
    });
}

TEST_F(RecordViewTest, HorizontalRowsWrapAndTheFormIsAtLeast400Wide) {
    Dlg->SetStyle(rvsHorizontal);
    Dlg->SetOptions(Dlg->Options() - TqzRecordViewOptions{rvoMaximizeMemoWidth});
    Run([&](TqzRecordViewForm* f) {
        EXPECT_GE(f->Width(), 400);
        TControl* name = ControlOf<TControl>("Name");
        TControl* city = ControlOf<TControl>("City");
        // Labels above their controls, fields side by side.
        EXPECT_EQ(name->Top(), city->Top());
        EXPECT_GT(city->Left(), name->Left() + name->Width());
        for (size_t i = 0; i < Dlg->Labels().size(); ++i) {
            EXPECT_LT(Dlg->Labels()[i]->Top(), Dlg->Controls()[i]->Top());
            EXPECT_EQ(taLeftJustify, Dlg->Labels()[i]->Alignment());
        }
        // Every control stays inside the row limit; some field wrapped.
        const int allowance = 2 * GetSystemMetrics(SM_CXFRAME) + 12;
        const int rowLimit = f->Width() - 6 - (allowance + 5 + 5);
        int rows = 0, lastTop = -1;
        for (TControl* c : Dlg->Controls()) {
            EXPECT_LE(c->Left() + c->Width(), 5 + rowLimit + 5);
            if (c->Top() > lastTop) ++rows, lastTop = c->Top();
        }
        EXPECT_GE(rows, 2);
        SendClick(f->CancelButton, 5, 5);
    });
}

TEST_F(RecordViewTest, SelectedLinesChooseOrderWidthsTitlesAndReadOnly) {
    Dlg->Selected()->Add("City\t5\tHome~town");
    Dlg->Selected()->Add("Missing\t5\tNothing");
    Dlg->Selected()->Add("Name\t8\tWho\tT");
    Run([&](TqzRecordViewForm* f) {
        ASSERT_EQ(2u, Dlg->Controls().size());
        EXPECT_EQ("City", FieldOf(Dlg->Controls()[0]));
        EXPECT_EQ("Home town", Dlg->Labels()[0]->Caption());
        EXPECT_EQ("Who", Dlg->Labels()[1]->Caption());
        TCanvas* c = f->Canvas();
        c->Font()->Assign(Dlg->Font());
        EXPECT_EQ(c->TextWidth("0") * 6 + 3, Dlg->Controls()[0]->Width());
        EXPECT_FALSE(Dlg->Controls()[1]->Enabled());
        EXPECT_EQ(Dlg->ReadOnlyColor(), Dlg->Controls()[1]->Color());
        SendClick(f->CancelButton, 5, 5);
    });
}

// A layout that fails leaves no half-built form; the next Execute builds
// afresh, and a borrowed navigator is back where it was.
TEST_F(RecordViewTest, FailedLayoutForgetsTheFormAndGivesBorrowedControlsBack) {
    auto* nav = new TqzDBNavigator(&Form);
    nav->SetParent(&Form);
    nav->SetBounds(3, 200, 240, 25);
    Dlg->SetNavigator(nav);
    auto* custom = new TqzDBEdit(&Form);
    custom->SetName("CityEdit");
    custom->SetParent(&Form);
    custom->SetBounds(300, 20, 90, custom->Height());
    Dlg->ControlType()->Add("City;CustomEdit;CityEdit");
    Dlg->Selected()->Add("City\t10\tCity");
    Dlg->Selected()->Add("Name\twide\tName");
    EXPECT_THROW(Dlg->Execute(), EConvertError);
    EXPECT_EQ(nullptr, Dlg->Form());
    EXPECT_EQ(&Form, nav->Parent());
    EXPECT_EQ((TRect{3, 200, 243, 225}), nav->BoundsRect());
    EXPECT_EQ(&Form, custom->Parent());
    EXPECT_EQ(300, custom->Left());
    EXPECT_EQ(90, custom->Width());
    // Mended, it builds afresh; the borrowed pair comes back after OK too.
    Dlg->Selected()->Strings(1);
    Dlg->Selected()->Delete(1);
    EXPECT_TRUE(Run([&](TqzRecordViewForm* f) {
        EXPECT_EQ(f->Navigator, nav);
        EXPECT_EQ(f->ScrollBox, custom->Parent());
        EXPECT_TRUE(nav->Visible());
        SendClick(f->OKButton, 5, 5);
    }));
    EXPECT_EQ(nullptr, Dlg->Form());
    EXPECT_EQ(&Form, nav->Parent());
    EXPECT_FALSE(nav->Visible());
    EXPECT_EQ(&Form, custom->Parent());
    EXPECT_EQ((TRect{300, 20, 390, 20 + custom->Height()}), custom->BoundsRect());
    // An exception while the view shows gives them back as well.
    EXPECT_THROW(Run([&](TqzRecordViewForm*) { throw EInvalidOperation("boom"); }), EInvalidOperation);
    EXPECT_EQ(nullptr, Dlg->Form());
    EXPECT_EQ(&Form, nav->Parent());
    EXPECT_EQ(&Form, custom->Parent());
}

// OK whose post fails: the form stays, the record stays in edit state, the
// error shows, and nothing of the close has run.
TEST_F(RecordViewTest, FailedPostOnOkKeepsTheFormOpen) {
    bool refuse = true;
    int closed = 0;
    struct Refuser {
        bool* Refuse;
        void Check(TDataSet*) {
            if (*Refuse) throw EDatabaseError("Name is required");
        }
    } refuser{&refuse};
    T.SetBeforePost(TDataSetNotifyEvent(&refuser, &Refuser::Check));
    Dlg->OnCloseDialog = TqzRVFormEvent([&](TqzRecordViewForm*) { ++closed; });
    const bool ok = Run([&](TqzRecordViewForm* f) {
        TqzDBEdit* name = ControlOf<TqzDBEdit>("Name");
        name->SetFocus();
        SendText(name, "X");
        SendClick(f->OKButton, 5, 5);
        // After the loop tried to close:
        Steps->Later([&, f] {
            EXPECT_TRUE(f->Visible());
            EXPECT_EQ(mrNone, f->ModalResult());
            EXPECT_EQ(dsEdit, T.State());
            EXPECT_EQ(0, closed);
            ASSERT_GE(Dialogs.Count(), 1);
            EXPECT_NE(std::string::npos, Dialogs.Last().Text.find("Name is required"));
            // Cancel now asks; No discards.
            Dialogs.Answer(mrNo);
            SendClick(f->CancelButton, 5, 5);
        });
    });
    EXPECT_FALSE(ok);
    EXPECT_EQ(1, closed);
    EXPECT_EQ(dsBrowse, T.State());
    EXPECT_EQ("anna", Name());
}

TEST_F(RecordViewTest, CloseRulesWithEachAnswer) {
    // Cancel with nothing changed closes without asking.
    EXPECT_FALSE(Run([&](TqzRecordViewForm* f) { SendClick(f->CancelButton, 5, 5); }));
    EXPECT_EQ(0, Dialogs.Count());
    // A change, then Cancel: the question; Cancel keeps the form, Yes posts.
    EXPECT_TRUE(Run([&](TqzRecordViewForm* f) {
        TqzDBEdit* name = ControlOf<TqzDBEdit>("Name");
        name->SetFocus();
        SendText(name, "Z");
        Dialogs.Answer(mrCancel);
        SendClick(f->CancelButton, 5, 5);
        Steps->Later([&, f] {
            EXPECT_TRUE(f->Visible());
            EXPECT_EQ("Changes have been made!  Do you wish to save your changes?", Dialogs.Last().Text);
            Dialogs.Answer(mrYes);
            SendClick(f->CancelButton, 5, 5);
        });
    }));
    EXPECT_EQ(dsBrowse, T.State());
    EXPECT_EQ("Z", Name());  // focus selected the old text
    // The close box counts as Cancel by default ...
    EXPECT_FALSE(Run([&](TqzRecordViewForm* f) { f->Close(); }));
    // ... and accepts without rvoCloseIsCancel.
    Dlg->SetOptions(Dlg->Options() - TqzRecordViewOptions{rvoCloseIsCancel});
    EXPECT_TRUE(Run([&](TqzRecordViewForm* f) { f->Close(); }));
}

TEST_F(RecordViewTest, KeysTabEscapeAndCtrlEnter) {
    // Escape with a changed control leaves the form open (the edit undoes).
    EXPECT_FALSE(Run([&](TqzRecordViewForm* f) {
        TqzDBEdit* name = ControlOf<TqzDBEdit>("Name");
        name->SetFocus();
        SendKey(name, VK_TAB);
        EXPECT_EQ(ControlOf<TWinControl>("City"), f->ActiveControl());
        SendKey(ControlOf<TWinControl>("City"), VK_TAB, TShiftState{ssShift});
        EXPECT_EQ(name, f->ActiveControl());
        SendText(name, "Q");
        ASSERT_TRUE(name->Modified());
        SendKey(name, VK_ESCAPE);
        EXPECT_EQ(mrNone, f->ModalResult());
        if (name->Modified()) name->SetModified(false);
        // The record is still in edit state: the question; No discards.
        Dialogs.Answer(mrNo);
        SendKey(name, VK_ESCAPE);
        EXPECT_EQ(mrCancel, f->ModalResult());
        EXPECT_EQ(1, Dlg->CloseReason());
    }));
    EXPECT_EQ("anna", Name());
    // Ctrl+Enter accepts a modal view.
    EXPECT_TRUE(Run([&](TqzRecordViewForm*) {
        TqzDBEdit* city = ControlOf<TqzDBEdit>("City");
        city->SetFocus();
        SendText(city, "!");
        SendKey(city, VK_RETURN, TShiftState{ssCtrl});
    }));
    // Focus selected the text; the typed character replaced it and was posted.
    EXPECT_EQ("!", T.FieldByName("City")->AsString());
}

// F2 in the memo edit opens the memo window, view-only whenever the dataset
// cannot be changed.
TEST_F(RecordViewTest, MemoWindowIsViewOnlyOnAReadOnlyDataset) {
    auto f2 = [&](bool expectReadOnly) {
        Run([&](TqzRecordViewForm* f) {
            TqzDBEditMemo* memo = ControlOf<TqzDBEditMemo>("Notes");
            ASSERT_NE(nullptr, memo);
            memo->SetFocus();
            bool seen = false;
            modal.Push([&](TCustomForm* F) {
                auto* m = dynamic_cast<TqzMemoDlg*>(F);
                ASSERT_NE(nullptr, m);
                seen = true;
                EXPECT_EQ("Notes", m->Caption());
                EXPECT_EQ(T.FieldByName("Notes")->AsString(), m->Memo()->Text());
                EXPECT_EQ(expectReadOnly, m->Memo()->ReadOnly());
                m->SetModalResult(mrCancel);
            });
            SendKey(memo, VK_F2);
            EXPECT_TRUE(seen);
            SendClick(f->CancelButton, 5, 5);
        });
    };
    f2(false);
    T.Close();
    T.SetReadOnly(true);
    T.Open();
    T.First();
    f2(true);
}

TEST_F(RecordViewTest, ModelessViewFreesItselfAndASecondExecuteBringsItForward) {
    Dlg->SetOptions(Dlg->Options() - TqzRecordViewOptions{rvoModalForm});
    EXPECT_TRUE(Dlg->Execute());
    TqzRecordViewForm* f = Dlg->Form();
    ASSERT_NE(nullptr, f);
    EXPECT_TRUE(f->Visible());
    EXPECT_FALSE(Dlg->Execute());
    EXPECT_EQ(f, Dlg->Form());
    SendClick(f->CancelButton, 5, 5);
    ProcessEvents();
    EXPECT_EQ(nullptr, Dlg->Form());
    // It builds a new one next time.
    EXPECT_TRUE(Dlg->Execute());
    EXPECT_NE(nullptr, Dlg->Form());
    delete Dlg;  // frees an open view with it
}

TEST_F(RecordViewTest, MissingOrInactiveDatasetWarns) {
    auto* none = new TqzRecordViewDialog(&Form);
    EXPECT_FALSE(none->Execute());
    EXPECT_EQ("DataSource or DataSource.DataSet not defined.", Dialogs.Last().Text);
    T.Close();
    EXPECT_FALSE(Dlg->Execute());
    EXPECT_EQ("DataSet must be active.", Dialogs.Last().Text);
    EXPECT_EQ(nullptr, Dlg->Form());
}

TEST_F(RecordViewTest, NavigatorButtonOpensTheViewByClassName) {
    auto* nav = new TqzDBNavigator(&Form);
    nav->SetParent(&Form);
    nav->SetBounds(4, 4, 1, 25);
    nav->SetDataSource(&Src);
    nav->Buttons()->AddDialogButtons();
    ProcessEvents();
    TqzNavButton* b = nav->Buttons()->ButtonOfStyle(nbsRecordViewDialog);
    ASSERT_TRUE(b->Enabled());
    modal.Push([](TCustomForm* F) {
        auto* f = dynamic_cast<TqzRecordViewForm*>(F);
        ASSERT_NE(nullptr, f);
        EXPECT_EQ("Record View", f->Caption());
        SendClick(f->CancelButton, 5, 5);
    });
    SendClick(b, b->Width() / 2, b->Height() / 2);
    EXPECT_EQ(1, static_cast<int>(modal.Shown().size()));
    EXPECT_NE(nullptr, dynamic_cast<TqzRecordViewDialog*>(b->Dialog()));
}

}  // namespace

namespace {

// Both layouts drawn: the edits show white where they sit in the scroll box.
TEST_F(RecordViewTest, BothLayoutsRender) {
    for (TqzRecordViewStyle style : {rvsVertical, rvsHorizontal}) {
        Dlg->SetStyle(style);
        Run([&](TqzRecordViewForm* f) {
            ProcessEvents();
            TBitmap shot;
            RenderControl(f, &shot);
            RenderControlToPng(f, TestRunPath(style == rvsVertical ? "record_view_vertical.png"
                                                                   : "record_view_horizontal.png"));
            TControl* city = ControlOf<TControl>("City");
            const TPoint p =
                f->ScreenToClient(city->ClientToScreen(TPoint{city->Width() - 4, city->Height() / 2}));
            EXPECT_EQ(clWhite, ColorToRGB(shot.Canvas()->Pixels(p.X, p.Y)));
            SendClick(f->CancelButton, 5, 5);
        });
    }
}

}  // namespace

namespace {

// A view lower than its content gets the vertical bar's width on top; a
// set Left places it there, 0 centres it.
TEST_F(RecordViewTest, MarginSpacingAndPlacementWrittenByNameShapeTheLayout) {
    auto* margin = GetObjectProp<TqzMargin>(Dlg, "Margin");
    ASSERT_EQ(&Dlg->Margin, margin);
    EXPECT_EQ(5, GetOrdProp(margin, "RightOffset"));
    SetOrdProp(margin, "TopOffset", 12);
    SetOrdProp(margin, "LeftOffset", 9);
    auto* vertical = GetObjectProp<TqzVertEditSpacing>(GetObjectProp(Dlg, "EditSpacing"), "VerticalView");
    ASSERT_EQ(&Dlg->EditSpacing.VerticalView, vertical);
    SetOrdProp(vertical, "BetweenLabelEdit", 20);
    SetOrdProp(vertical, "BetweenRow", 6);
    auto* horizontal = GetObjectProp<TqzHorzEditSpacing>(GetObjectProp(Dlg, "EditSpacing"), "HorizontalView");
    ASSERT_NE(nullptr, horizontal);
    EXPECT_EQ(5, GetOrdProp(horizontal, "BetweenEditsInRow"));
    SetOrdProp(GetObjectProp(Dlg, "FormPosition"), "Left", 3);
    Run([&](TqzRecordViewForm* f) {
        TControl* name = ControlOf<TControl>("Name");
        TControl* city = ControlOf<TControl>("City");
        ASSERT_TRUE(name && city);
        EXPECT_EQ(12, name->Top());
        EXPECT_EQ(name->Top() + name->Height() + 6, city->Top());
        ASSERT_FALSE(Dlg->Labels().empty());
        const int labelWidth = Dlg->Labels()[0]->Width();
        EXPECT_EQ(9, Dlg->Labels()[0]->Left());
        EXPECT_EQ(9 + labelWidth + 20, Dlg->ControlLeft());
        EXPECT_EQ(Dlg->ControlLeft(), name->Left());
        EXPECT_EQ(3, f->Left());
        SendClick(f->CancelButton, 5, 5);
    });
}

// A stored form's NavigatorVisibleButtons is read without an error and
// changes nothing: the navigator shows what NavigatorButtons names.
TEST_F(RecordViewTest, NavigatorVisibleButtonsIsTakenAndIgnored) {
    const TqzNavButtonStyles before = Dlg->NavigatorButtons();
    SetSetProp(Dlg, "NavigatorVisibleButtons", "[nbFirst,nbLast]");
    EXPECT_EQ(GetSetProp(Dlg, "NavigatorVisibleButtons"), "[]");
    EXPECT_EQ(Dlg->NavigatorButtons(), before);
}

TEST_F(RecordViewTest, ShortFormGrowsForTheBarAndLeftPlacesIt) {
    int fullWidth = 0, left = 0;
    Run([&](TqzRecordViewForm* f) {
        fullWidth = f->Width();
        left = f->Left();
        SendClick(f->CancelButton, 5, 5);
    });
    const TRect work = Screen->WorkAreaRect();
    EXPECT_EQ((work.Width() - fullWidth) / 2 + work.Left, left);
    Dlg->FormPosition.SetHeight(150);
    Dlg->FormPosition.SetLeft(1);
    Run([&](TqzRecordViewForm* f) {
        EXPECT_EQ(150, f->Height());
        EXPECT_EQ(fullWidth + GetSystemMetrics(SM_CXHTHUMB), f->Width());
        EXPECT_EQ(1, f->Left());
        EXPECT_GT(f->ScrollBox->VertScrollBar()->Range(), f->ScrollBox->ClientHeight());
        SendClick(f->CancelButton, 5, 5);
    });
}

}  // namespace

namespace {

// A memo holding rich text gets the rich edit, which shows its plain text.
TEST_F(RecordViewTest, RichTextFieldGetsTheRichEdit) {
    TForm form(nullptr);
    TOstraTable t(&form);
    t.FieldDefs()->Add("Body", ftMemo);
    t.Open();
    t.AppendRecord({Variant("{\\rtf1\\ansi Hello \\b world\\b0}")});
    t.First();
    TDataSource src(&form);
    src.SetDataSet(&t);
    Dlg->SetDataSource(&src);
    Run([&](TqzRecordViewForm* f) {
        ASSERT_EQ(1u, Dlg->Controls().size());
        auto* rich = dynamic_cast<TqzDBRichEdit*>(Dlg->Controls()[0]);
        ASSERT_NE(nullptr, rich);
        EXPECT_NE(std::string::npos, rich->Text().find("Hello world"));
        SendClick(f->CancelButton, 5, 5);
    });
    Dlg->SetDataSource(nullptr);
}

// A lookup combo of the owner form borrowed for a field shows the display
// text of the field's key and writes a chosen key back.
TEST_F(RecordViewTest, BorrowedLookupComboShowsAndWritesTheKey) {
    TOstraTable cities(&Form);
    cities.FieldDefs()->Add("City", ftString, 12);
    cities.FieldDefs()->Add("Country", ftString, 20);
    cities.Open();
    cities.AppendRecord({Variant("Oslo"), Variant("Norway")});
    cities.AppendRecord({Variant("Paris"), Variant("France")});
    cities.AppendRecord({Variant("Rome"), Variant("Italy")});
    auto* combo = new TqzDBCustomLookupCombo(&Form);
    combo->SetName("CityCombo");
    combo->SetParent(&Form);
    combo->SetBounds(300, 20, 120, 25);
    combo->SetLookupTable(&cities);
    combo->Selected()->SetText("Country\t12\tCountry\n");
    combo->SetLookupField("City");
    Dlg->SetOptions(Dlg->Options() + rvoUseCustomControls);
    Dlg->ControlType()->Add("City;LookupCombo;CityCombo");
    EXPECT_TRUE(Run([&](TqzRecordViewForm* f) {
        EXPECT_EQ(f->ScrollBox, combo->Parent());
        EXPECT_EQ("Norway", combo->Text());
        combo->SetFocus();
        SendKey(combo, VK_F4);
        SendKey(combo, VK_DOWN);
        SendKey(combo, VK_RETURN);
        EXPECT_EQ("France", combo->Text());
        SendClick(f->OKButton, 5, 5);
    }));
    EXPECT_EQ(&Form, combo->Parent());
    EXPECT_EQ("Paris", T.FieldByName("City")->AsString());
}

}  // namespace

namespace {

// The view's menu: shown on its form (the form higher by the bar), its
// shortcut works there, and the owner form has it back afterwards.
TEST_F(RecordViewTest, MenuShowsOnTheFormAndGoesBack) {
    int plainHeight = 0, plainClient = 0;
    Run([&](TqzRecordViewForm* f) {
        EXPECT_EQ(nullptr, f->MenuBar());
        plainHeight = f->Height();
        plainClient = f->ClientHeight();
        SendClick(f->CancelButton, 5, 5);
    });
    // The first main menu of a form is that form's.
    auto* menu = new TMainMenu(&Form);
    ASSERT_EQ(&Form, menu->Form());
    Dlg->SetMenu(menu);
    // Without items the view leaves it where it is.
    Run([&](TqzRecordViewForm* f) {
        EXPECT_EQ(&Form, menu->Form());
        EXPECT_EQ(plainHeight, f->Height());
        SendClick(f->CancelButton, 5, 5);
    });
    auto* file = new TMenuItem(&Form);
    file->SetCaption("&File");
    menu->Items()->Add(file);
    auto* next = new TMenuItem(&Form);
    next->SetCaption("&Next");
    next->SetShortCut(ShortCut('K', {ssCtrl}));
    next->SetOnClick(TNotifyEvent([this](TObject*) { T.Next(); }));
    file->Add(next);
    Run([&](TqzRecordViewForm* f) {
        EXPECT_EQ(f, menu->Form());
        EXPECT_NE(nullptr, f->MenuBar());
        EXPECT_EQ(nullptr, Form.MenuBar());
        EXPECT_EQ(plainHeight + menu->BarHeight(), f->Height());
        EXPECT_EQ(plainClient, f->ClientHeight());
        auto* name = ControlOf<TqzDBEdit>("Name");
        name->SetFocus();
        SendKey(name, 'K', {ssCtrl});
        EXPECT_EQ("bob", name->Text());
        SendClick(f->CancelButton, 5, 5);
    });
    EXPECT_EQ("bob", Name());
    EXPECT_EQ(&Form, menu->Form());
    EXPECT_NE(nullptr, Form.MenuBar());
    // A freed menu is forgotten, also while the view shows it.
    delete menu;
    EXPECT_EQ(nullptr, Dlg->Menu());
    Run([&](TqzRecordViewForm* f) {
        EXPECT_EQ(plainHeight, f->Height());
        SendClick(f->CancelButton, 5, 5);
    });
    auto* spare = new TMainMenu(&Form);
    auto* item = new TMenuItem(&Form);
    item->SetCaption("&View");
    spare->Items()->Add(item);
    Dlg->SetMenu(spare);
    Run([&](TqzRecordViewForm* f) {
        ASSERT_EQ(f, spare->Form());
        delete spare;
        EXPECT_EQ(nullptr, f->MenuBar());
        EXPECT_EQ(nullptr, Dlg->Menu());
        SendClick(f->CancelButton, 5, 5);
    });
    EXPECT_EQ(nullptr, Form.MenuBar());
}

// The view's own navigator has buttons for exactly the chosen styles, in
// the navigator's order; none chosen shows no navigator at all.
TEST_F(RecordViewTest, NavigatorButtonsChooseTheButtons) {
    const TqzNavButtonStyle first14[] = {
        nbsFirst,  nbsPriorPage, nbsPrior, nbsNext,   nbsNextPage, nbsLast,         nbsInsert,
        nbsDelete, nbsEdit,      nbsPost,  nbsCancel, nbsRefresh,  nbsSaveBookmark, nbsRestoreBookmark};
    Run([&](TqzRecordViewForm* f) {
        TqzNavButtons* b = f->Navigator->Buttons();
        ASSERT_EQ(14, b->Count());
        for (int i = 0; i < 14; ++i) EXPECT_EQ(first14[i], b->Items(i)->Style());
        SendClick(f->CancelButton, 5, 5);
    });
    // The default is those fourteen and nothing else.
    TqzNavButtonStyles defaults;
    for (TqzNavButtonStyle s : first14) defaults.Include(s);
    EXPECT_EQ(defaults.Bits(), Dlg->NavigatorButtons().Bits());
    Dlg->SetNavigatorButtons({nbsNext, nbsLocateDialog, nbsFirst});
    Run([&](TqzRecordViewForm* f) {
        ProcessEvents();
        TqzNavButtons* b = f->Navigator->Buttons();
        ASSERT_EQ(3, b->Count());
        EXPECT_EQ(nbsFirst, b->Items(0)->Style());
        EXPECT_EQ(nbsNext, b->Items(1)->Style());
        EXPECT_EQ(nbsLocateDialog, b->Items(2)->Style());
        SendClick(b->Items(1), 5, 5);
        EXPECT_EQ("bob", ControlOf<TqzDBEdit>("Name")->Text());
        SendClick(f->CancelButton, 5, 5);
    });
    Dlg->SetNavigatorButtons({});
    Run([&](TqzRecordViewForm* f) {
        ProcessEvents();
        EXPECT_FALSE(f->Navigator->Visible());
        EXPECT_EQ(0, f->Navigator->Buttons()->Count());
        SendClick(f->CancelButton, 5, 5);
    });
}

// A modeless view with rvoStayOnTopForm stays above the owner form while
// that form is active, and is an ordinary window again once activated.
TEST_F(RecordViewTest, StayOnTopFormOnDeactivation) {
    Dlg->SetOptions(Dlg->Options() - TqzRecordViewOptions{rvoModalForm});
    for (bool stay : {false, true}) {
        Dlg->SetOptions(stay ? Dlg->Options() + TqzRecordViewOptions{rvoStayOnTopForm}
                             : Dlg->Options() - TqzRecordViewOptions{rvoStayOnTopForm});
        ASSERT_TRUE(Dlg->Execute());
        TqzRecordViewForm* f = Dlg->Form();
        ActivateForm(f);
        ASSERT_TRUE(f->Active());
        EXPECT_EQ(0u, GetWindowLong(f, GWL_EXSTYLE) & WS_EX_TOPMOST);
        ActivateForm(&Form);
        ASSERT_FALSE(f->Active());
        EXPECT_EQ(stay, f->MadeTopmost());
        EXPECT_EQ(stay, (GetWindowLong(f, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0);
        EXPECT_TRUE(f->Visible());
        ActivateWindowOf(ControlOf<TqzDBEdit>("City"));
        ProcessEvents();
        ASSERT_TRUE(f->Active());
        EXPECT_FALSE(f->MadeTopmost());
        EXPECT_EQ(0u, GetWindowLong(f, GWL_EXSTYLE) & WS_EX_TOPMOST);
        SendClick(f->CancelButton, 5, 5);
        ProcessEvents();
        ASSERT_EQ(nullptr, Dlg->Form());
    }
}

// The dialog's frame goes to every control made for a field (the handler
// sees each), buttons take the flat and transparent choices, and the
// controller's frame becomes the dialog's.
TEST_F(RecordViewTest, EditFrameAndControllerReachTheControls) {
    auto* ctl = new TqzController(&Form);
    ctl->Frame()->SetEnabled(true);
    ctl->Frame()->SetNonFocusColor(clYellow);
    Dlg->SetController(ctl);
    EXPECT_TRUE(Dlg->EditFrame()->Enabled());
    EXPECT_EQ(clYellow, Dlg->EditFrame()->NonFocusColor());
    Dlg->SetControlOptions({rvcFlatButtons});
    std::vector<std::string> seen;
    Dlg->OnSetControlEffects = TqzRVSetControlEffectsEvent(
        [&](TqzRecordViewForm* f, TField* field, TControl*, TqzEditFrame* frame, TqzButtonEffects*) {
            EXPECT_EQ(Dlg->Form(), f);
            ASSERT_NE(nullptr, frame);
            EXPECT_TRUE(frame->Enabled());
            seen.push_back(field->FieldName());
        });
    Run([&](TqzRecordViewForm* f) {
        auto* name = ControlOf<TqzDBEdit>("Name");
        EXPECT_TRUE(name->Frame()->Enabled());
        EXPECT_EQ(clYellow, name->Frame()->NonFocusColor());
        EXPECT_TRUE(ControlOf<TqzDBEditMemo>("Notes")->Frame()->Enabled());
        auto* due = ControlOf<TqzDBDateTimePicker>("Due");
        ASSERT_NE(nullptr, qzGetControlButtonEffects(due));
        EXPECT_TRUE(qzGetControlButtonEffects(due)->Flat());
        EXPECT_FALSE(qzGetControlButtonEffects(due)->Transparent());
        // A framed edit still takes the user's typing.
        SendClick(name, 5, 5);
        name->SelectAll();
        SendText(name, "zed");
        SendClick(f->OKButton, 5, 5);
    });
    EXPECT_EQ("zed", Name());
    EXPECT_EQ((std::vector<std::string>{"Name", "City", "Due", "Notes"}), seen);
    delete ctl;
    EXPECT_EQ(nullptr, Dlg->Controller());
}

// A table that publishes its own PictureMasks list.
class TMaskedTable : public TOstraTable {
    TASKMOOR_CLASS(TMaskedTable, TOstraTable)
public:
    using TOstraTable::TOstraTable;
    TStringList* Masks() { return &FMasks; }
    static void Publish(TPublisher<TMaskedTable>& p) { p.Property("PictureMasks", &TMaskedTable::Masks); }

private:
    TStringList FMasks;
};

// The field's picture mask reaches its edit: from the view's lines, or
// from the dataset's when PictureMaskFromDataSet is set and it has a list;
// typing follows the mask, and no list is changed.
TEST_F(RecordViewTest, PictureMasksReachTheEdits) {
    Dlg->PictureMasks()->Add("city\t###\tT");
    Run([&](TqzRecordViewForm* f) {
        auto* city = ControlOf<TqzDBEdit>("City");
        EXPECT_EQ("###", city->Picture()->PictureMask());
        EXPECT_TRUE(city->Picture()->AutoFill());
        EXPECT_FALSE(city->Picture()->AllowInvalidExit());
        EXPECT_EQ("", ControlOf<TqzDBEdit>("Name")->Picture()->PictureMask());
        SendClick(city, 5, 5);
        city->SelectAll();
        SendText(city, "a1b2");
        EXPECT_EQ("12", city->Text());
        // Changes made: the view asks; No drops them.
        Dialogs.Answer(mrNo);
        SendClick(f->CancelButton, 5, 5);
    });
    TMaskedTable mt(&Form);
    mt.FieldDefs()->Add("City", ftString, 10);
    mt.Open();
    mt.AppendRecord({Variant("x")});
    mt.Masks()->Add("City\t!!!\tF");
    TDataSource ms(&Form);
    ms.SetDataSet(&mt);
    Dlg->SetDataSource(&ms);
    for (bool fromDataSet : {true, false}) {
        Dlg->SetPictureMaskFromDataSet(fromDataSet);
        Run([&](TqzRecordViewForm* f) {
            auto* city = ControlOf<TqzDBEdit>("City");
            EXPECT_EQ(fromDataSet ? "!!!" : "###", city->Picture()->PictureMask());
            EXPECT_EQ(!fromDataSet, city->Picture()->AutoFill());
            SendClick(city, 5, 5);
            city->SelectAll();
            SendText(city, "a1");
            EXPECT_EQ(fromDataSet ? "A1" : "1", city->Text());
            Dialogs.Answer(mrNo);
            SendClick(f->CancelButton, 5, 5);
        });
    }
    EXPECT_EQ(1, mt.Masks()->Count());
    EXPECT_EQ("City\t!!!\tF", mt.Masks()->Strings(0));
    EXPECT_EQ(1, Dlg->PictureMasks()->Count());
    Dlg->SetDataSource(&Src);
}

// A view with a menu bar and framed edits, drawn.
TEST_F(RecordViewTest, MenuAndFramedEditRender) {
    auto* menu = new TMainMenu(&Form);
    for (const char* caption : {"&File", "&Edit"}) {
        auto* item = new TMenuItem(&Form);
        item->SetCaption(caption);
        menu->Items()->Add(item);
    }
    Dlg->SetMenu(menu);
    Dlg->EditFrame()->SetEnabled(true);
    Dlg->EditFrame()->SetNonFocusBorders({efBottomBorder});
    Run([&](TqzRecordViewForm* f) {
        ProcessEvents();
        TBitmap shot;
        RenderControl(f, &shot);
        EXPECT_TRUE(RenderControlToPng(f, TestRunPath("record_view_menu_frame.png")));
        // The picture holds the bar above the client area.
        const int dy = shot.Height() - f->ClientHeight();
        EXPECT_EQ(menu->BarHeight(), dy);
        // Under the unfocused City edit: its bottom border, not the box.
        TControl* city = ControlOf<TControl>("City");
        const TPoint bottom =
            f->ScreenToClient(city->ClientToScreen(TPoint{city->Width() / 2, city->Height() - 1}));
        const TPoint top = f->ScreenToClient(city->ClientToScreen(TPoint{city->Width() / 2, 0}));
        EXPECT_NE(ColorToRGB(shot.Canvas()->Pixels(top.X, top.Y + dy)),
                  ColorToRGB(shot.Canvas()->Pixels(bottom.X, bottom.Y + dy)));
        // The bar sits above the client area.
        EXPECT_GT(f->ClientOrigin().Y - f->Top(), menu->BarHeight());
        SendClick(f->CancelButton, 5, 5);
    });
}

}  // namespace

// The view's OK and Cancel show their whole glyphs.
TEST_F(RecordViewTest, OkAndCancelShowTheirWholeGlyphs) {
    int buttons = 0;
    Run([&](TqzRecordViewForm* f) {
        buttons = ExpectKindGlyphsWhole(f, "record_view_button");
        f->SetModalResult(mrCancel);
    });
    EXPECT_EQ(buttons, 2);
}
