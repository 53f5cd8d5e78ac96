// The frame look that the suite's edit-like controls publish alike: Frame,
// Controller and DisableThemes.
#pragma once

#include "platform/core/properties.h"
#include "suite/base/qzcontroller.h"
#include "suite/base/qzeditframe.h"

template <class C>
void qzPublishFrameLook(TPublisher<C>& p) {
    p.Property(
        "Frame", [](C& c) { return c.Frame(); }, [](C& c, TqzEditFrame* v) { c.SetFrame(v); });
    p.Property(
        "Controller", [](C& c) { return c.Controller(); },
        [](C& c, TqzController* v) { c.SetController(v); });
    p.Property(
        "DisableThemes", [](C& c) { return c.DisableThemes(); }, [](C& c, bool v) { c.SetDisableThemes(v); });
}
