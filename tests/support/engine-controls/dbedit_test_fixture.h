// Shared set-up of the drop-down edit tests: a shown form, a goals table and
// a goal-group table of the engine (made in memory), and helpers that drive
// the edit with real key and mouse events.
#pragma once

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <tuple>
#include <vector>

#include "engine-controls/ostra_calculator.h"
#include "engine-controls/ostra_dbedit.h"
#include "engine-controls/ostra_dbedit_panels.h"
#include "engine/ostra_table.h"
#include "platform/core/clock.h"
#include "platform/core/datetime.h"
#include "platform/core/exceptions.h"
#include "platform/core/sysutils.h"
#include "platform/db/datasource.h"
#include "platform/db/fielddefs.h"
#include "platform/db/fields.h"
#include "platform/ui/application.h"
#include "platform/ui/bitmaps.h"
#include "platform/ui/forms.h"
#include "platform/ui/stdctrls.h"
#include "platform/ui/testing.h"
#include "support/engine/engine_test_support.h"

// Readable variants in failure messages.
inline void PrintTo(const Variant& v, std::ostream* os) {
    *os << VarTypeAsText(v.VarType());
    if (!v.IsNull() && !v.IsEmpty() && !v.IsArray()) *os << " \"" << v.AsString() << "\"";
}

class DBEditTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetFormatSettings();
        // Wednesday 15 May 2024, mid-day.
        SetClockForTesting(EncodeDate(2024, 5, 15) + 0.5);
        // The lists' type-ahead takes letters typed together as one search
        // however long the machine takes between them.
        SetTickCountForTesting(100000);
        SetLocaleFirstDayOfWeek(6);

        Goals = new TOstraTable(nullptr);
        Goals->FieldDefs()->Add("Key", ftAutoInc);
        Goals->FieldDefs()->Add("Date", ftDate);
        Goals->FieldDefs()->Add("Group", ftString, 15);
        Goals->FieldDefs()->Add("Priority", ftString, 5);
        Goals->FieldDefs()->Add("Amount", ftFloat);
        Goals->FieldDefs()->Add("Count", ftInteger);
        Goals->Open();
        AddGoal("05/01/2024", "Work", "2", "12.5");
        AddGoal("", "Home", "0", "");
        AddGoal("12/24/2023", "Nobody", "9", "3");
        Goals->First();

        Groups = new TOstraTable(nullptr);
        Groups->FieldDefs()->Add("Key", ftAutoInc);
        Groups->FieldDefs()->Add("GoalGrp", ftString, 15);
        Groups->FieldDefs()->Add("Note", ftString, 20);
        Groups->Open();
        for (const char* g : {"Anniversary", "Banana", "Garden", "Hobby", "Home", "Pantry", "Work"}) {
            Groups->Append();
            Groups->FieldByName("GoalGrp")->SetAsString(g);
            Groups->FieldByName("Note")->SetAsString(std::string("note ") + g);
            Groups->Post();
        }
        Groups->First();

        Source = new TDataSource(nullptr);
        Source->SetDataSet(Goals);

        Form = CreateForm<TForm>(nullptr);
        Form->SetBounds(100, 100, 420, 320);
        Form->SetCaption("Drop-down edit");
        Other = new TEdit(Form);
        Other->SetParent(Form);
        Other->SetBounds(10, 250, 120, 21);
        Other->SetTabOrder(5);
        Form->Show();
        ActivateForm(Form);
        ProcessEvents();
    }

    void TearDown() override {
        delete Form;
        delete Places;
        delete Source;
        delete Groups;
        delete Goals;
        SetLocaleFirstDayOfWeek(-1);
        ResetClock();
        ResetFormatSettings();
    }

    void AddGoal(const std::string& date, const std::string& group, const std::string& priority,
                 const std::string& amount) {
        Goals->Append();
        if (!date.empty()) Goals->FieldByName("Date")->SetAsString(date);
        Goals->FieldByName("Group")->SetAsString(group);
        Goals->FieldByName("Priority")->SetAsString(priority);
        if (!amount.empty()) Goals->FieldByName("Amount")->SetAsString(amount);
        Goals->Post();
    }

    // An edit on the form at (10, 10), 160 x 21, in the given style.
    TOstraDBEdit* NewEdit(TOstraDialogStyle style, int top = 10) {
        auto* e = new TOstraDBEdit(Form);
        e->SetParent(Form);
        e->SetBounds(10, top, 160, 21);
        e->SetTabOrder(0);
        e->SetDialogStyle(style);
        ProcessEvents();
        return e;
    }

    static void SetLines(TStrings* list, const std::vector<std::string>& lines) {
        list->Clear();
        for (const auto& s : lines) list->Add(s);
    }

    // The priority edit of the projects page.
    TOstraDBEdit* NewPriorityEdit(bool bind = true) {
        TOstraDBEdit* e = NewEdit(odsCombo);
        SetLines(e->ComboProps()->ComboItems(), {"Urgent", "High", "Medium", "Low", "Completed"});
        SetLines(e->ComboProps()->ComboValues(), {"0", "1", "2", "3", "4"});
        if (bind) {
            e->SetDataSource(Source);
            e->SetDataField("Priority");
        }
        ProcessEvents();
        return e;
    }

    // A table of places nested by level ("E" Europe 1, "E.F" France 2, ...).
    void MakePlaces() {
        Places = new TOstraTable(nullptr);
        Places->FieldDefs()->Add("Id", ftString, 10);
        Places->FieldDefs()->Add("Name", ftString, 20);
        Places->FieldDefs()->Add("Level", ftString, 5);
        Places->Open();
        for (const auto& [id, name, level] :
             std::vector<std::tuple<std::string, std::string, std::string>>{{"E", "Europe", "1"},
                                                                            {"E.F", "France", "2"},
                                                                            {"E.F.P", "Paris", "3"},
                                                                            {"E.D", "Germany", "2"},
                                                                            {"A", "Asia", "1"},
                                                                            {"A.J", "Japan", "2"}}) {
            AddPlace(id, name, level);
        }
        Places->First();
    }
    void AddPlace(const std::string& id, const std::string& name, const std::string& level) {
        Places->Append();
        Places->FieldByName("Id")->SetAsString(id);
        Places->FieldByName("Name")->SetAsString(name);
        Places->FieldByName("Level")->SetAsString(level);
        Places->Post();
    }
    // An edit over the goals' Group field whose tree shows the places.
    TOstraDBEdit* NewPlaceEdit() {
        if (!Places) MakePlaces();
        TOstraDBEdit* e = NewEdit(odsTree);
        e->SetLookupDataSet(Places);
        e->TreeProps()->SetTextField("Name");
        e->TreeProps()->SetUniqueField("Id");
        e->TreeProps()->SetLevelField("Level");
        Bind(e, "Group");
        return e;
    }
    // The calendar edit of the goals' Date and the calculator of their Amount.
    TOstraDBEdit* NewDateEdit() {
        TOstraDBEdit* e = NewEdit(odsCalendar);
        Bind(e, "Date");
        return e;
    }
    TOstraDBEdit* NewAmountEdit() {
        TOstraDBEdit* e = NewEdit(odsCalculator);
        Bind(e, "Amount");
        return e;
    }

    // The group edit of the projects page: a lookup into the group table.
    TOstraDBEdit* NewGroupEdit() {
        TOstraDBEdit* e = NewEdit(odsLookup);
        e->SetLookupDataSet(Groups);
        e->LookupProps()->SetLookupKeyField("GoalGrp");
        e->LookupProps()->SetListFieldNames("GoalGrp");
        Bind(e, "Group");
        return e;
    }

    // Binds the edit to a field of the goals.
    void Bind(TOstraDBEdit* e, const char* field) {
        e->SetDataSource(Source);
        e->SetDataField(field);
        ProcessEvents();
    }
    void Focus(TWinControl* c) {
        c->SetFocus();
        ProcessEvents();
    }
    // A click in the middle of the edit's button.
    static void ClickButton(TOstraDBEdit* e) {
        const TRect r = e->ButtonRect();
        SendClick(e, (r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2);
        ProcessEvents();
    }
    static void Key(TWinControl* c, uint16_t key, TShiftState shift = {}) {
        SendKey(c, key, shift);
        ProcessEvents();
    }
    static void Type(TWinControl* c, const std::string& text) {
        SendText(c, text);
        ProcessEvents();
    }
    std::string Stored(const char* field) const {
        TField* f = Goals->FieldByName(field);
        return f->IsNull() ? "(null)" : f->AsString();
    }

    // A picture enlarged Factor times, as a PNG (to look at small details).
    static void SaveZoomed(TBitmap& Picture, const std::string& File, int Factor = 4) {
        TBitmap big;
        big.SetSize(Picture.Width() * Factor, Picture.Height() * Factor);
        big.Canvas()->StretchDraw(Rect(0, 0, big.Width(), big.Height()), &Picture);
        big.SaveToFile(File);
    }

    // The form with the open drop-down drawn where it shows, as a PNG.
    void RenderDropped(TOstraDBEdit* e, const std::string& file) {
        TBitmap form;
        RenderControl(Form, &form);
        if (TWinControl* popup = e->ActiveDropDown(); popup && popup->Visible()) {
            TBitmap pic;
            RenderControl(popup, &pic);
            const TPoint formOrigin = Form->ClientOrigin();
            const int x = popup->Left() - formOrigin.X;
            const int y = popup->Top() - formOrigin.Y;
            const int w = std::max(form.Width(), x + pic.Width());
            const int h = std::max(form.Height(), y + pic.Height());
            TBitmap all;
            all.SetSize(w, h);
            all.Canvas()->Brush()->SetColor(clWhite);
            all.Canvas()->FillRect(Rect(0, 0, w, h));
            all.Canvas()->Draw(0, 0, &form);
            all.Canvas()->Draw(x, y, &pic);
            all.SaveToFile(file);
        } else {
            form.SaveToFile(file);
        }
    }

    TOstraTable* Goals = nullptr;
    TOstraTable* Groups = nullptr;
    TOstraTable* Places = nullptr;  // made by MakePlaces
    TDataSource* Source = nullptr;
    TForm* Form = nullptr;
    TEdit* Other = nullptr;
};
