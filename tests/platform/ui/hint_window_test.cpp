// The hint window: placed by screen coordinates over the form of the
// control it is shown for, above its controls, painted in the info colours.
#include <gtest/gtest.h>

#include "platform/ui/hint_window.h"
#include "platform/ui/testing.h"
#include "support/ui/ui_probes.h"

namespace {

TEST(HintWindowTest, ShowsOverTheControlsFormAndHides) {
    TShownForm f;
    f.Show();
    auto* probe = new TProbe(f.Form, f.Form);
    probe->SetBounds(20, 30, 100, 40);
    ProcessEvents();
    auto* hint = new THintWindow(f.Form);
    const TPoint at = probe->ClientToScreen({5, 6});
    hint->ActivateHint(probe, Bounds(at.X, at.Y, 120, 20), "whole text");
    ProcessEvents();
    EXPECT_TRUE(hint->Active());
    EXPECT_TRUE(hint->Visible());
    EXPECT_EQ(hint->Parent(), f.Form);
    EXPECT_EQ(hint->BoundsRect(), Bounds(25, 36, 120, 20));
    TBitmap shot;
    RenderControl(hint, &shot);
    EXPECT_EQ(shot.Canvas()->Pixels(0, 0), clBlack);
    EXPECT_EQ(shot.Canvas()->Pixels(60, 1), static_cast<TColor>(ColorToRGB(clInfoBk)));
    hint->ReleaseHandle();
    EXPECT_FALSE(hint->Visible());
    EXPECT_FALSE(hint->Active());
    // Without a form there is nowhere to show it.
    THintWindow lone(nullptr);
    lone.ActivateHint(nullptr, Bounds(0, 0, 10, 10), "x");
    EXPECT_FALSE(lone.Active());
}

}  // namespace
