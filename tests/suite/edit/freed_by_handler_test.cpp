// The suite's edits freed by their own handlers: a key, a change, a click or
// leaving ends quietly, and the form goes on taking input. A handler that
// frees the data source's dataset leaves the edit sound too.
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "platform/db/dataset.h"
#include "suite/edit/qzdatetimepicker.h"
#include "suite/edit/qzdbcombobox.h"
#include "suite/edit/qzmonthcal.h"
#include "suite/edit/qzspinedit.h"
#include "support/environment.h"
#include "support/suite/edit_fixture.h"
#include "support/ui/freeing_cases.h"

namespace {

class EditFreedByHandlerTest : public EditTest {
protected:
    void SetUp() override {
        EditTest::SetUp();
        Env.Set("TASKMOOR_CONFIG_DIR", Env.Folder().c_str());
        Form.Show();
        ActivateForm(&Form);
    }
    template <class C>
    C* Place(C* Control, bool Bound = true, const std::string& FieldName = "Code") {
        Control->SetParent(&Form);
        Control->SetBounds(10, 10, 180, 24);
        if (Bound) {
            Control->SetDataSource(&Src);
            Control->SetDataField(FieldName);
        }
        return Control;
    }
    // Runs each case on the open table, browsing; the control it makes is freed by its handler.
    void RunCases(const TFreeingCases& Cases) {
        TFreeingCases cases;
        for (const auto& [name, run] : Cases)
            cases.emplace_back(name, [this, run = run] {
                if (!T.Active()) T.Open();
                if (T.State() != dsBrowse) T.Cancel();
                run();
            });
        RunFreeingCases(&Form, Other, cases);
    }
    static TKeyEvent FreeOnKey(uint16_t Which) {
        return TKeyEvent([Which](TObject* Sender, uint16_t& Key, TShiftState) {
            if (Key == Which) delete Sender;
        });
    }
    static TKeyPressEvent FreeOnChar() {
        return TKeyPressEvent([](TObject* Sender, char32_t&) { delete Sender; });
    }
    void Focus(TWinControl* C) {
        C->SetFocus();
        ProcessEvents();
    }
    TTestEnvironment Env;
};

TEST_F(EditFreedByHandlerTest, BoundEditAndMaskedEdit) {
    T.Append();
    T.FieldByName("Code")->SetAsString("ab");
    T.Post();
    RunCases({
        {"key down Delete",
         [&] {
             auto* e = Place(new TqzDBEdit(&Form));
             e->SetOnKeyDown(FreeOnKey(VK_DELETE));
             Focus(e);
             SendKey(e, VK_DELETE);
         }},
        {"key press",
         [&] {
             auto* e = Place(new TqzDBEdit(&Form));
             e->SetOnKeyPress(FreeOnChar());
             Focus(e);
             SendKey(e, 'A');
         }},
        {"key up Delete with a picture",
         [&] {
             T.PictureMasks()->Clear();
             T.PictureMasks()->Add("Code\t###\tT\tF");
             auto* e = Place(new TqzDBEdit(&Form));
             e->SetOnKeyUp(FreeOnKey(VK_DELETE));
             Focus(e);
             SendKey(e, VK_DELETE);
             T.PictureMasks()->Clear();
         }},
        {"changed by typing",
         [&] {
             auto* e = Place(new TqzDBEdit(&Form));
             e->SetOnChange(FreeSender());
             Focus(e);
             SendKey(e, 'X');
         }},
        {"left",
         [&] {
             auto* e = Place(new TqzDBEdit(&Form));
             e->SetOnExit(FreeSender());
             Focus(e);
             SendText(e, "z");
             Other->SetFocus();
         }},
        {"unbound left with a display format",
         [&] {
             auto* e = Place(new TqzDBEdit(&Form), false);
             e->SetOnExit(FreeSender());
             Focus(e);
             SendText(e, "12");
             Other->SetFocus();
         }},
        {"double-clicked",
         [&] {
             auto* e = Place(new TqzDBEdit(&Form));
             e->SetOnDblClick(FreeSender());
             SendDoubleClick(e, 5, 5);
         }},
    });
}

TEST_F(EditFreedByHandlerTest, SpinEdit) {
    RunCases({
        {"key down Delete",
         [&] {
             auto* e = Place(new TqzDBSpinEdit(&Form), false);
             e->SetOnKeyDown(FreeOnKey(VK_DELETE));
             Focus(e);
             SendKey(e, VK_DELETE);
         }},
        {"key press",
         [&] {
             auto* e = Place(new TqzDBSpinEdit(&Form), false);
             e->SetOnKeyPress(FreeOnChar());
             Focus(e);
             SendKey(e, '5');
         }},
        {"changed by the up arrow",
         [&] {
             auto* e = Place(new TqzDBSpinEdit(&Form), false);
             e->SetOnChange(FreeSender());
             Focus(e);
             SendKey(e, VK_UP);
         }},
        {"before the up click",
         [&] {
             auto* e = Place(new TqzDBSpinEdit(&Form), false);
             e->SetBeforeUpClick(FreeSender());
             SendClick(e->SpinButton()->UpButton(), 3, 3);
         }},
        {"changed by the down button",
         [&] {
             auto* e = Place(new TqzDBSpinEdit(&Form), false);
             e->SetOnChange(FreeSender());
             SendClick(e->SpinButton()->DownButton(), 3, 3);
         }},
        {"after the down click",
         [&] {
             auto* e = Place(new TqzDBSpinEdit(&Form), false);
             e->SetAfterDownClick(FreeSender());
             SendClick(e->SpinButton()->DownButton(), 3, 3);
         }},
        {"left",
         [&] {
             auto* e = Place(new TqzDBSpinEdit(&Form), false);
             e->SetOnExit(FreeSender());
             Focus(e);
             Other->SetFocus();
         }},
    });
}

TEST_F(EditFreedByHandlerTest, ComboBox) {
    const auto make = [&](bool Editable = true) {
        auto* c = Place(new TqzDBComboBox(&Form), false);
        c->Items()->Add("Apple");
        c->Items()->Add("Banana");
        if (!Editable) c->SetStyle(csDropDownList);
        return c;
    };
    RunCases({
        {"key down Delete",
         [&] {
             auto* c = make();
             c->SetOnKeyDown(FreeOnKey(VK_DELETE));
             Focus(c);
             SendKey(c, VK_DELETE);
         }},
        {"key down arrow",
         [&] {
             auto* c = make();
             c->SetOnKeyDown(FreeOnKey(VK_DOWN));
             Focus(c);
             SendKey(c, VK_DOWN);
         }},
        {"key press",
         [&] {
             auto* c = make();
             c->SetOnKeyPress(FreeOnChar());
             Focus(c);
             SendKey(c, 'A');
         }},
        {"changed by the arrow",
         [&] {
             auto* c = make(false);
             c->SetOnChange(FreeSender());
             Focus(c);
             SendKey(c, VK_DOWN);
         }},
        {"changed by typing",
         [&] {
             auto* c = make();
             c->SetOnChange(FreeSender());
             Focus(c);
             SendKey(c, 'B');
         }},
        {"left",
         [&] {
             auto* c = make();
             c->SetOnExit(FreeSender());
             Focus(c);
             SendText(c, "Ch");
             Other->SetFocus();
         }},
    });
}

TEST_F(EditFreedByHandlerTest, DateTimePickerAndMonthCalendar) {
    RunCases({
        {"picker key down",
         [&] {
             auto* p = Place(new TqzDBDateTimePicker(&Form), false);
             p->SetOnKeyDown(FreeOnKey(VK_UP));
             Focus(p);
             SendKey(p, VK_UP);
         }},
        {"picker key press",
         [&] {
             auto* p = Place(new TqzDBDateTimePicker(&Form), false);
             p->SetOnKeyPress(FreeOnChar());
             Focus(p);
             SendKey(p, '1');
         }},
        {"picker changed by the arrow",
         [&] {
             auto* p = Place(new TqzDBDateTimePicker(&Form), false);
             p->SetOnChange(FreeSender());
             Focus(p);
             SendKey(p, VK_UP);
         }},
        {"picker changed by typing",
         [&] {
             auto* p = Place(new TqzDBDateTimePicker(&Form), false);
             p->SetOnChange(FreeSender());
             Focus(p);
             SendText(p, "12");
         }},
        {"picker with a date changed by typing",
         [&] {
             auto* p = Place(new TqzDBDateTimePicker(&Form), false);
             p->SetValue(EncodeDate(2026, 3, 9));
             p->SetOnChange(FreeSender());
             Focus(p);
             SendText(p, "0");
         }},
        {"picker left",
         [&] {
             auto* p = Place(new TqzDBDateTimePicker(&Form), false);
             p->SetOnExit(FreeSender());
             Focus(p);
             Other->SetFocus();
         }},
        {"calendar key down",
         [&] {
             auto* c = new TqzMonthCalendar(&Form);
             c->SetParent(&Form);
             c->SetBounds(10, 10, 200, 180);
             c->SetOnKeyDown(FreeOnKey(VK_RIGHT));
             Focus(c);
             SendKey(c, VK_RIGHT);
         }},
        {"calendar changed by the arrow",
         [&] {
             auto* c = new TqzMonthCalendar(&Form);
             c->SetParent(&Form);
             c->SetBounds(10, 10, 200, 180);
             c->SetOnChange(FreeSender());
             Focus(c);
             SendKey(c, VK_RIGHT);
         }},
        {"calendar mouse down and up",
         [&] {
             for (const bool down : {true, false}) {
                 auto* c = new TqzMonthCalendar(&Form);
                 c->SetParent(&Form);
                 c->SetBounds(10, 10, 200, 180);
                 const auto freeIt = TmcMouseUPDownEvent([](TObject* Sender, TMouseButton, TShiftState, int,
                                                            int, int, int, int) { delete Sender; });
                 if (down)
                     c->SetOnMouseDown(freeIt);
                 else
                     c->SetOnMouseUp(freeIt);
                 SendClick(c, 100, 100);
             }
         }},
        {"calendar changed by a click",
         [&] {
             auto* c = new TqzMonthCalendar(&Form);
             c->SetParent(&Form);
             c->SetBounds(10, 10, 200, 180);
             c->SetOnChange(FreeSender());
             SendClick(c, 100, 100);
         }},
    });
}

// The edit's data set freed by the edit's own handlers: the edit is left
// unbound and goes on.
TEST_F(EditFreedByHandlerTest, ADataSetFreedByAHandlerLeavesTheEditSound) {
    auto* t = new TqzTestTable();
    t->FieldDefs()->Add("Code", ftString, 10);
    t->Open();
    t->Append();
    Src.SetDataSet(t);
    auto* e = Place(new TqzDBEdit(&Form));
    e->SetOnKeyPress(TKeyPressEvent([&](TObject*, char32_t&) {
        delete t;
        t = nullptr;
    }));
    Focus(e);
    SendKey(e, 'Q');
    EXPECT_EQ(t, nullptr);
    EXPECT_EQ(Src.DataSet(), nullptr);
    EXPECT_EQ(e->Field(), nullptr);
    SendText(e, "still");
    Other->SetFocus();
    EXPECT_EQ(Dialogs.Count(), 0);
    Src.SetDataSet(&T);
}

}  // namespace
