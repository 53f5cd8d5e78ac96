// The engine grid's cells with a drop-down in the user-flow suite: a pick
// list over the text fields and a calendar over the date fields.
#include "platform/core/sysutils.h"
#include "support/flows/engine_grid_flow.h"

namespace {

// The drop-down opens with Alt+Down only (F4 is no key of the grid's).
class TEngineGridDropFlow : public TEngineGridFlow {
public:
    TFlowCaps Caps() const override {
        TFlowCaps c = TEngineGridFlow::Caps();
        c.DropDown = c.DropDownNoF4 = true;
        return c;
    }
    bool DroppedDown() override { return Editor() && Editor()->ListVisible(); }
};

class TEngineGridPickListFlow : public TEngineGridDropFlow {
public:
    TFlowCaps Caps() const override {
        TFlowCaps c = TEngineGridDropFlow::Caps();
        c.DropDownEnterTakes = true;
        return c;
    }

protected:
    void Prepare(TOstraColumn* Column) override {
        Column->SetButtonStyle(cbsCombo);
        for (const char* item : {"Red", "Green", "Blue"}) Column->PickList()->Add(item);
    }
};

// Dates are typed as the field shows them; no text is typed after one.
class TEngineGridCalendarFlow : public TEngineGridDropFlow {
public:
    TFlowCaps Caps() const override {
        TFlowCaps c = TEngineGridDropFlow::Caps();
        // The editor keys' flows type into a text field.
        c.EditorKeys = false;
        return c;
    }
    std::vector<std::string> Fields() const override { return {"Start", "Due"}; }
    std::string Typed(const std::string& Text) const override {
        if (Text == "!") return std::string();
        unsigned sum = 0;
        for (char ch : Text) sum = sum * 31 + static_cast<unsigned char>(ch);
        return DateToStr(EncodeDate(static_cast<int>(2022 + sum % 5), static_cast<int>(1 + sum % 12),
                                    static_cast<int>(1 + (sum / 12) % 28)));
    }
    std::string EndAndType(const std::string& Shown, const std::string&) const override { return Shown; }

protected:
    void Prepare(TOstraColumn* Column) override { Column->SetButtonStyle(cbsCalendar); }
};

TFlowRegistration pickList("EngineGridPickList", [] { return std::make_unique<TEngineGridPickListFlow>(); });
TFlowRegistration calendar("EngineGridCalendar", [] { return std::make_unique<TEngineGridCalendarFlow>(); });
TFlowRegistration pickListRtl("EngineGridPickListRightToLeft",
                              [] { return RightToLeftFlow<TEngineGridPickListFlow>(); });
TFlowRegistration calendarRtl("EngineGridCalendarRightToLeft",
                              [] { return RightToLeftFlow<TEngineGridCalendarFlow>(); });

}  // namespace
