// The one-field edits in the user-flow suite: the engine's drop-down edit,
// the suite's masked edit, spin edit and drop-down edit base. Each gets one
// control per field, in tab order.
#include "engine-controls/ostra_dbedit.h"
#include "platform/ui/popup_window.h"
#include "suite/edit/qzdbcombo.h"
#include "suite/edit/qzdbedit.h"
#include "suite/edit/qzspinedit.h"
#include "support/flows/edits_flow.h"

namespace {

// ---- The engine's drop-down edit: a value list over free text ---------------------------------

class TEngineEditFlow : public TEditsFlow<TOstraDBEdit> {
public:
    TFlowCaps Caps() const override {
        TFlowCaps c;
        c.EnterToTab = c.DropDown = c.DropDownEnterTakes = c.DropDownNoF4 = c.ReadOnly = c.Undo = true;
        return c;
    }
    void SetReadOnly(bool On) override {
        for (auto& [f, e] : FEdits) e->SetReadOnly(On);
    }
    void SetEnterToTab(bool On) override {
        for (auto& [f, e] : FEdits) e->SetEnterAsTab(On);
    }
    bool DroppedDown() override {
        for (auto& [f, e] : FEdits)
            if (e->DroppedDown()) return true;
        return false;
    }

protected:
    TOstraDBEdit* Make(TForm* Form) override {
        auto* e = new TOstraDBEdit(Form);
        e->SetDialogStyle(odsCombo);
        e->SetEnterAsTab(false);
        for (const char* item : {"Red", "Green", "Blue"}) e->ComboProps()->ComboItems()->Add(item);
        return e;
    }
};

TFlowRegistration engineEdit("EngineDropDownEdit", [] { return std::make_unique<TEngineEditFlow>(); });

// ---- The engine's drop-down edit with its calculator, over the number fields ------------------

class TEngineCalculatorFlow : public TEngineEditFlow {
public:
    // Undo's flow types letters, which a number takes none of.
    TFlowCaps Caps() const override {
        TFlowCaps c = TEngineEditFlow::Caps();
        c.Undo = false;
        return c;
    }
    std::vector<std::string> Fields() const override { return {"Amount", "Id"}; }
    // Digits for the flows' letters ("QQ" is "44").
    std::string Typed(const std::string& Text) const override {
        std::string digits;
        for (char ch : Text) digits += ch == 'Q' ? '4' : ch == 'Z' ? '6' : static_cast<char>('1' + ch % 9);
        return digits;
    }

protected:
    TOstraDBEdit* Make(TForm* Form) override {
        auto* e = new TOstraDBEdit(Form);
        e->SetDialogStyle(odsCalculator);
        e->SetEnterAsTab(false);
        return e;
    }
};

TFlowRegistration engineCalculator("EngineCalculatorEdit",
                                   [] { return std::make_unique<TEngineCalculatorFlow>(); });

// ---- The masked edit: a picture mask of two digits refuses one ------------------------------

class TMaskedEditFlow : public TEditsFlow<TqzDBEdit> {
public:
    TFlowCaps Caps() const override {
        TFlowCaps c;
        c.ReadOnly = c.Refuses = c.Undo = true;
        return c;
    }
    void SetReadOnly(bool On) override {
        for (auto& [f, e] : FEdits) e->SetReadOnly(On);
    }
    void PrepareRefusal() override {
        TqzDBEdit* e = FEdits[Fields()[0]];
        e->Picture()->SetPictureMask("##");
        e->SetUsePictureMask(true);
    }
    std::string RefusedText() const override { return "1"; }
};

TFlowRegistration maskedEdit("MaskedEdit", [] { return std::make_unique<TMaskedEditFlow>(); });

// ---- The spin edit over the number fields: a mask of one digit refuses two ------------------

class TSpinEditFlow : public TEditsFlow<TqzDBSpinEdit> {
public:
    TFlowCaps Caps() const override {
        TFlowCaps c;
        c.ReadOnly = c.Refuses = true;
        return c;
    }
    std::vector<std::string> Fields() const override { return {"Id", "Amount"}; }
    // Digits for the flows' letters ("QQ" is "44").
    std::string Typed(const std::string& Text) const override {
        std::string digits;
        for (char ch : Text) digits += ch == 'Q' ? '4' : ch == 'Z' ? '6' : static_cast<char>('1' + ch % 9);
        return digits;
    }
    void SetReadOnly(bool On) override {
        for (auto& [f, e] : FEdits) e->SetReadOnly(On);
    }
    void PrepareRefusal() override { FEdits[Fields()[0]]->RegexMask()->SetMask("[0-9]"); }
    std::string RefusedText() const override { return "44"; }
};

TFlowRegistration spinEdit("SpinEdit", [] { return std::make_unique<TSpinEditFlow>(); });

// ---- The drop-down edit base with a list window of its own -----------------------------------

class TFlowDropEdit : public TqzDBCustomCombo {
public:
    explicit TFlowDropEdit(TComponent* AOwner) : TqzDBCustomCombo(AOwner), FList(AOwner) {}
    void DropDown() override {
        if (IsDroppedDown()) return;
        FList.SetOwnerControl(this);
        const TPoint p = ClientToScreen({0, Height()});
        FList.ShowAt(p.X, p.Y, Width(), 60);
        SetDroppedDown(true);
        WatchDropDown({&FList});
    }
    void CloseUp(bool Accept) override {
        if (!IsDroppedDown()) return;
        FList.ClosePopup();
        SetDroppedDown(false);
        StopWatchingDropDown();
        TqzDBCustomCombo::CloseUp(Accept);
    }

private:
    TPopupWindow FList;
};

class TDropEditFlow : public TEditsFlow<TFlowDropEdit> {
public:
    TFlowCaps Caps() const override {
        TFlowCaps c;
        c.DropDown = c.ReadOnly = c.Refuses = c.Undo = true;
        return c;
    }
    void SetReadOnly(bool On) override {
        for (auto& [f, e] : FEdits) e->SetReadOnly(On);
    }
    bool DroppedDown() override {
        for (auto& [f, e] : FEdits)
            if (e->IsDroppedDown()) return true;
        return false;
    }
    void PrepareRefusal() override { FEdits[Fields()[0]]->RegexMask()->SetMask("[0-9]+"); }
    std::string RefusedText() const override { return "QQ"; }
};

TFlowRegistration dropEdit("DropDownEditBase", [] { return std::make_unique<TDropEditFlow>(); });

}  // namespace
