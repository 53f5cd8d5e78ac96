// Controls that only show a field's value (the data-aware picture) in the
// user-flow suite: the display flows (display_flows.inc) run them over the
// flows' table with two picture fields added, Picture and Logo, which are
// read back with the others at the end of every flow.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/db/dbtypes.h"
#include "platform/ui/graphics.h"
#include "support/flows/user_flow.h"

class TDisplayFlowControl : public TFlowControl {
public:
    TFlowCaps Caps() const override { return {}; }
    std::vector<std::string> Fields() const override { return {"Picture", "Logo"}; }
    std::vector<std::pair<std::string, TFieldType>> MoreFields() const override {
        return {{"Picture", ftGraphic}, {"Logo", ftGraphic}};
    }
    // What the control shows for the field: "" for nothing, else the size of
    // the picture ("20x20").
    std::string Shown(const std::string& Field) override = 0;
    // The colour the control shows in its middle for the field.
    virtual TColor Seen(const std::string& Field) = 0;
};

// Every control with display flows.
std::vector<TFlowInstance>& DisplayInstances();

struct TDisplayFlowRegistration {
    TDisplayFlowRegistration(const std::string& Name, std::function<std::unique_ptr<TFlowControl>()> Make) {
        DisplayInstances().push_back({Name, std::move(Make)});
    }
};
