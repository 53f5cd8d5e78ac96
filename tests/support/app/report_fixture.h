// A fixture for the print dialog and preview tests: a task table, scripted
// dialogs, modal forms and test printers.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "app/report/todo_lists.h"
#include "platform/core/clock.h"
#include "platform/core/datetime.h"
#include "platform/core/sysutils.h"
#include "platform/db/fielddefs.h"
#include "platform/ui/bitmaps.h"
#include "platform/ui/printers.h"
#include "platform/ui/stddialogs.h"
#include "platform/ui/testing.h"
#include "support/db/memory_dataset.h"
#include "support/environment.h"

// A click near the top left corner of a control.
inline void Click(TControl* Button) { SendClick(Button, 5, 5); }

class ReportFormTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetFormatSettings();
        SetClockForTesting(EncodeDate(2024, 3, 7) + EncodeTime(9, 30, 0, 0));
        Owner = std::make_unique<TComponent>(nullptr);
        Tasks = new TMemoryDataSet(Owner.get());
        Tasks->FieldDefs()->Add("Key", ftInteger);
        Tasks->FieldDefs()->Add("Flag", ftBoolean);
        Tasks->FieldDefs()->Add("Action", ftString, 255);
        Tasks->FieldDefs()->Add("Date", ftDate);
        Tasks->FieldDefs()->Add("Category", ftString, 10);
        Tasks->FieldDefs()->Add("Priority", ftString, 5);
        Tasks->FieldDefs()->Add("Status", ftString, 15);
    }
    void TearDown() override {
        Report.reset();
        Owner.reset();
        ResetClock();
    }

    void AddTasks(int Count) {
        for (int i = 1; i <= Count; ++i)
            Tasks->AddRow({std::to_string(i), i % 3 == 0 ? "True" : "False",
                           "Task number " + std::to_string(i),
                           i % 4 == 0 ? "" : "03/0" + std::to_string(1 + i % 9) + "/2024", "Home",
                           std::to_string(i % 5), "Open"});
    }

    // Count tasks in the open table, and a to-do list over them for Tab.
    TToDoLists& ReportOf(int Count, const std::string& Tab) {
        AddTasks(Count);
        Tasks->Open();
        Report = std::make_unique<TToDoLists>(TReportArgs{Variant()}, Tasks, Tab);
        return *Report;
    }

    // Dark pixels (below mid grey) in a bitmap's rectangle.
    static int DarkPixels(TBitmap* Bitmap, const TRect& R) {
        int n = 0;
        TCanvas* c = Bitmap->Canvas();
        for (int y = R.Top; y < R.Bottom; ++y)
            for (int x = R.Left; x < R.Right; ++x) {
                const TColor p = c->Pixels(x, y);
                if (p >= 0 && GetRValue(p) + GetGValue(p) + GetBValue(p) < 3 * 128) ++n;
            }
        return n;
    }

    // Where the tests put the pictures of the forms.
    static std::string PictureFile(const std::string& Name) { return TestRunPath(Name); }

    std::unique_ptr<TComponent> Owner;
    TMemoryDataSet* Tasks = nullptr;
    std::unique_ptr<TToDoLists> Report;
    TTestDialogs Dialogs;
    TTestModalForms Modal;
    TTestStdDialogs StdDialogs;
};
