// The date-time picker in the user-flow suite: one picker for each of the
// two date fields, edited part by part with typed digits; its calendar is
// the drop-down.
#include <cstdio>
#include <map>

#include "platform/ui/testing.h"
#include "suite/edit/qzdatetimepicker.h"
#include "support/flows/user_flow.h"

namespace {

class TDateTimePickerFlow : public TFlowControl {
public:
    TFlowCaps Caps() const override {
        TFlowCaps c;
        c.DropDown = c.DateParts = c.ReadOnly = true;
        return c;
    }
    std::vector<std::string> Fields() const override { return {"Start", "Due"}; }
    void Build(TForm* Form, TDataSource* Source) override {
        int top = 8;
        for (const std::string& f : Fields()) {
            auto* p = new TqzDBDateTimePicker(Form);
            p->SetParent(Form);
            p->SetBounds(8, top, 200, 24);
            p->SetDataSource(Source);
            p->SetDataField(f);
            FPickers[f] = p;
            top += 40;
        }
    }
    // The focus selects the first part (the month).
    void Focus(const std::string& Field) override {
        FPickers[Field]->SetFocus();
        ProcessEvents();
    }
    std::string Shown(const std::string& Field) override { return FPickers[Field]->Text(); }
    void Click(const std::string& Field, int) override {
        SendClick(FPickers[Field], 5, 5);
        ProcessEvents();
    }
    TWinControl* Control(const std::string& Field) override { return FPickers[Field]; }
    void SetReadOnly(bool On) override {
        for (auto& [f, p] : FPickers) p->SetReadOnly(On);
    }
    bool DroppedDown() override {
        for (auto& [f, p] : FPickers)
            if (p->IsDroppedDown()) return true;
        return false;
    }
    // A whole date for the flows' letters, typed as it is shown: digits
    // and the separator moving to the next part. "!" (typed after End in
    // the year) is a year.
    std::string Typed(const std::string& Text) const override {
        if (Text == "!") return "2031";
        unsigned sum = 0;
        for (char ch : Text) sum = sum * 31 + static_cast<unsigned char>(ch);
        char buf[16];
        std::snprintf(buf, sizeof buf, "%02u/%02u/%04u", 1 + sum % 12, 1 + (sum / 12) % 28, 2022 + sum % 5);
        return buf;
    }
    // End and a typed year replace the year, the part typed last.
    std::string EndAndType(const std::string& Shown, const std::string& Text) const override {
        return Shown.substr(0, Shown.size() - 4) + Typed(Text);
    }

private:
    std::map<std::string, TqzDBDateTimePicker*> FPickers;
};

TFlowRegistration picker("DateTimePicker", [] { return std::make_unique<TDateTimePickerFlow>(); });

}  // namespace
