// Whether a date-time picker shows its whole text: rendered afresh (and
// written to a PNG to look at), the ink of its text area, beside its button
// on whichever side that is, is as wide as the text and touches neither edge
// of the area (a text scrolled or cut reaches an edge).
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "platform/ui/bitmaps.h"
#include "platform/ui/testing.h"
#include "suite/edit/qzdatetimepicker.h"
#include "support/environment.h"
#include "support/ui/mirror_compare.h"

inline void ExpectWholePickerText(TqzDBCustomDateTimePicker* P, const std::string& Png) {
    SCOPED_TRACE(Png);
    TBitmap shot;
    RenderControl(P, &shot);
    EXPECT_TRUE(RenderControlToPng(P, TestRunPath(Png + ".png")));
    // In the picture's coordinates: the client area starts inside the border.
    const int border = (P->Width() - P->ClientWidth()) / 2;
    TRect area = Rect(border, border + 1, border + P->ClientWidth(), border + P->ClientHeight() - 1);
    if (const TWinControl* b = P->ButtonHost(); b && b->Visible()) {
        if (b->Left() < P->ClientWidth() / 2)
            area.Left = std::max(area.Left, border + b->Left() + b->Width());
        else
            area.Right = std::min(area.Right, border + b->Left());
    }
    TBitmap measure;
    measure.Canvas()->Font()->Assign(P->Font());
    const int textWidth = measure.Canvas()->TextWidth(P->Text());
    const TInkSpan ink = InkSpan(shot, area);
    ASSERT_FALSE(ink.Empty());
    EXPECT_GT(ink.Left, area.Left) << "area " << area.Left << ".." << area.Right - 1;
    EXPECT_LT(ink.Right, area.Right - 1) << "area " << area.Left << ".." << area.Right - 1;
    EXPECT_GE(ink.Right - ink.Left + 1, textWidth - 3) << ink.Left << ".." << ink.Right;
}
