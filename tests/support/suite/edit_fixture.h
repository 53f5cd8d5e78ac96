// A form over an engine table that publishes the suite's line lists, with
// fixed format settings and clock, counted beeps, scripted message boxes, an
// in-memory clipboard, and a test grid that the edits know by class name.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/core/clock.h"
#include "platform/core/datetime.h"
#include "platform/core/files.h"
#include "platform/core/sysutils.h"
#include "platform/db/datasource.h"
#include "platform/db/fields.h"
#include "platform/db/fieldtypes.h"
#include "platform/ui/forms.h"
#include "platform/ui/grids.h"
#include "platform/ui/stdctrls.h"
#include "platform/ui/testing.h"
#include "suite/base/qzintl.h"
#include "suite/edit/qzdbedit.h"
#include "support/suite/suite_test_table.h"

TASKMOOR_ENUM(TTestGridOption, dgAlwaysShowEditor, dgRowLines, dgRowLinesDisableFixed, dgTabs)
using TTestGridOptions = TSet<TTestGridOption>;

// Stand-ins of the suite grid's classes: the edits recognise them by name.
class TqzCustomDBGrid : public TCustomGrid {
    TASKMOOR_CLASS(TqzCustomDBGrid, TCustomGrid)
public:
    explicit TqzCustomDBGrid(TComponent* AOwner) : TCustomGrid(AOwner) {}
    std::vector<uint16_t> Keys;  // key downs the grid got

protected:
    void DrawCell(int, int, const TRect&, TGridDrawState) override {}
    void KeyDown(uint16_t& Key, TShiftState) override {
        Keys.push_back(Key);
        Key = 0;
    }
};

class TqzDBGrid : public TqzCustomDBGrid {
    TASKMOOR_CLASS(TqzDBGrid, TqzCustomDBGrid)
public:
    explicit TqzDBGrid(TComponent* AOwner) : TqzCustomDBGrid(AOwner) {}
    TTestGridOptions GridOptions() const { return FOptions; }
    void SetGridOptions(TTestGridOptions Value) { FOptions = Value; }
    const TqzCalcCellColorsEvent& OnCalcCellColors() const { return FOnCalc; }
    void SetOnCalcCellColors(const TqzCalcCellColorsEvent& Value) { FOnCalc = Value; }
    bool EditCalculated() const { return false; }
    void SetEditCalculated(bool) {}
    static void Publish(TPublisher<TqzDBGrid>& p) {
        p.Property("Options", &TqzDBGrid::GridOptions, &TqzDBGrid::SetGridOptions);
        p.Property("OnCalcCellColors", &TqzDBGrid::OnCalcCellColors, &TqzDBGrid::SetOnCalcCellColors);
        p.Property("EditCalculated", &TqzDBGrid::EditCalculated, &TqzDBGrid::SetEditCalculated);
    }

private:
    TTestGridOptions FOptions;
    TqzCalcCellColorsEvent FOnCalc;
};

inline std::string PngPath(const std::string& Name) {
    return GetTempDir() + "taskmoor_edit_" + Name + ".png";
}

class EditTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetFormatSettings();
        SetClockForTesting(EncodeDate(2026, 3, 9) + EncodeTime(14, 5, 7, 0));
        T.FieldDefs()->Add("Code", ftString, 10);
        T.FieldDefs()->Add("Name", ftString, 4);
        T.FieldDefs()->Add("Amount", ftFloat);
        T.FieldDefs()->Add("Count", ftInteger);
        T.FieldDefs()->Add("Due", ftDate);
        T.FieldDefs()->Add("Stamp", ftDateTime);
        T.FieldDefs()->Add("Notes", ftMemo);
        T.Open();
        Form.SetBounds(0, 0, 360, 240);
        Src.SetDataSet(&T);
        Other = new TEdit(&Form);
        Other->SetParent(&Form);
        Other->SetBounds(10, 200, 100, 24);
    }
    void TearDown() override {
        ResetClock();
        ResetFormatSettings();
        if (qzIntl()) {
            qzIntl()->ValidationFeedback()->SetErrorForeColor(clNone);
            qzIntl()->ValidationFeedback()->SetErrorBackColor(clNone);
        }
    }
    // A bound edit (unbound when Field is empty) on the form, shown and focused.
    TqzDBEdit* MakeEdit(const std::string& Field, TWinControl* Parent = nullptr) {
        auto* e = new TqzDBEdit(&Form);
        e->SetParent(Parent ? Parent : &Form);
        e->SetBounds(10, 10 + 30 * static_cast<int>(Edits.size()), 160, 24);
        if (!Field.empty()) {
            e->SetDataSource(&Src);
            e->SetDataField(Field);
        }
        Edits.push_back(e);
        return e;
    }
    void ShowAndFocus(TWinControl* Control) {
        if (!Form.Visible()) {
            Form.Show();
            ActivateForm(&Form);
        }
        Control->SetFocus();
        ProcessEvents();
    }
    // Leaves the focused control with a real Tab key.
    void TabAway(TWinControl* From) {
        SendKey(From, VK_TAB);
        ProcessEvents();
    }

    TqzTestTable T;
    TForm Form{nullptr};
    TDataSource Src{&Form};
    TEdit* Other = nullptr;
    std::vector<TqzDBEdit*> Edits;
    TBeepCounter Beeps;
    TTestDialogs Dialogs;
    TTestClipboard ClipboardData;
};
