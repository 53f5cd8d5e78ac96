// Controls whose value is chosen with a key rather than typed (a check box,
// a lookup list) in the user-flow suite: the choice flows
// (choice_flows.inc) run them on the same form over the same table.
#pragma once

#include <string>
#include <vector>

#include "support/flows/user_flow.h"

class TChoiceFlowControl : public TFlowControl {
public:
    // Chooses another value for the field with a key (the focus is in it).
    virtual void Choose() = 0;
    // What the field stores after one Choose from Before.
    virtual std::string Chosen(const std::string& Field, const std::string& Before) const = 0;
};

// Every control with choice flows.
std::vector<TFlowInstance>& ChoiceInstances();

struct TChoiceFlowRegistration {
    TChoiceFlowRegistration(const std::string& Name, std::function<std::unique_ptr<TFlowControl>()> Make) {
        ChoiceInstances().push_back({Name, std::move(Make)});
    }
};
