// Controls that record what reaches them, for the windowing tests.
#pragma once

#include <string>
#include <vector>

#include "platform/ui/application.h"
#include "platform/ui/bitmaps.h"
#include "platform/ui/controls.h"
#include "platform/ui/forms.h"
#include "platform/ui/testing.h"

// A self-painted, focusable control that logs its keys, mouse and focus.
class TProbe : public TCustomControl {
public:
    explicit TProbe(TComponent* AOwner, TWinControl* AParent = nullptr) : TCustomControl(AOwner) {
        if (AParent) SetParent(AParent);
        SetTabStop(true);
        SetBounds(0, 0, 60, 30);
    }

    std::vector<std::string> Log;
    std::vector<uint16_t> Keys;
    std::vector<TShiftState> KeyShifts;
    std::vector<char32_t> Chars;
    uint16_t ZeroKey = 0;   // KeyDown clears this key
    char32_t ZeroChar = 0;  // KeyPress clears this character
    LRESULT DlgCode = DLGC_WANTARROWS | DLGC_WANTCHARS;
    TColor Fill = clLime;

    void Note(const std::string& s) { Log.push_back(s); }

protected:
    void KeyDown(uint16_t& Key, TShiftState Shift) override {
        Keys.push_back(Key);
        KeyShifts.push_back(Shift);
        Note("KeyDown " + std::to_string(Key));
        TCustomControl::KeyDown(Key, Shift);
        if (Key == ZeroKey) Key = 0;
    }
    void KeyPress(char32_t& Key) override {
        Chars.push_back(Key);
        Note("KeyPress " + std::to_string(static_cast<unsigned>(Key)));
        TCustomControl::KeyPress(Key);
        if (Key == ZeroChar) Key = 0;
    }
    void KeyUp(uint16_t& Key, TShiftState Shift) override {
        Note("KeyUp " + std::to_string(Key));
        TCustomControl::KeyUp(Key, Shift);
    }
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override {
        Note("MouseDown " + std::to_string(Button) + " " + std::to_string(X) + "," + std::to_string(Y) +
             (Shift.Contains(ssShift) ? " shift" : "") + (Shift.Contains(ssCtrl) ? " ctrl" : "") +
             (Shift.Contains(ssDouble) ? " double" : ""));
        TCustomControl::MouseDown(Button, Shift, X, Y);
    }
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override {
        Note("MouseUp " + std::to_string(Button) + " " + std::to_string(X) + "," + std::to_string(Y));
        TCustomControl::MouseUp(Button, Shift, X, Y);
    }
    void MouseMove(TShiftState Shift, int X, int Y) override {
        Note("MouseMove " + std::to_string(X) + "," + std::to_string(Y));
        TCustomControl::MouseMove(Shift, X, Y);
    }
    void Click() override {
        Note("Click");
        TCustomControl::Click();
    }
    void DblClick() override {
        Note("DblClick");
        TCustomControl::DblClick();
    }
    void DoEnter() override {
        Note("Enter " + Name());
        TCustomControl::DoEnter();
    }
    void DoExit() override {
        Note("Exit " + Name());
        TCustomControl::DoExit();
    }
    void WMGetDlgCode(TMessage& Message) override { Message.Result = DlgCode; }
    void Paint() override {
        Canvas()->Brush()->SetColor(Fill);
        Canvas()->FillRect(ClientRect());
    }
};

// A windowless control that logs its mouse messages.
class TGraphicProbe : public TGraphicControl {
public:
    explicit TGraphicProbe(TComponent* AOwner, TWinControl* AParent) : TGraphicControl(AOwner) {
        SetParent(AParent);
        SetBounds(0, 0, 20, 20);
    }
    std::vector<std::string> Log;
    TColor Fill = clRed;

protected:
    void MouseDown(TMouseButton, TShiftState, int X, int Y) override {
        Log.push_back("MouseDown " + std::to_string(X) + "," + std::to_string(Y));
    }
    void MouseUp(TMouseButton, TShiftState, int X, int Y) override {
        Log.push_back("MouseUp " + std::to_string(X) + "," + std::to_string(Y));
    }
    void MouseMove(TShiftState, int X, int Y) override {
        Log.push_back("MouseMove " + std::to_string(X) + "," + std::to_string(Y));
    }
    void Click() override { Log.push_back("Click"); }
    void Paint() override {
        Canvas()->Brush()->SetColor(Fill);
        Canvas()->FillRect(ClientRect());
    }
};

// A form shown for a test and freed after it.
struct TShownForm {
    TForm* Form;
    TShownForm() : Form(CreateForm<TForm>(Application)) { Form->SetBounds(40, 40, 400, 300); }
    ~TShownForm() { delete Form; }
    void Show() {
        Form->Show();
        ActivateForm(Form);
    }
};
