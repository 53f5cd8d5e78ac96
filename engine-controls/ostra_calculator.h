// The calculator panel of the table engine's drop-down edit.
//
// TOstraCalculator is a fixed-size (173 x 116) pocket calculator made of
// speed buttons, in a floating pop-up window of its own. It has no display:
// the number it shows is the text of its owner when the owner is a masked
// edit (the drop-down edit), and it reads the number back from there.
// OnExitClick(Sender, Accept) reports the end of a calculation: OK and
// Enter accept, Cancel and Escape restore the value shown when the panel
// was shown and do not accept.
//
// Showing the panel begins a calculation: the number displayed at that
// moment is what Cancel puts back, and an error left from before is gone.
// Errors (division by zero, 1/0, the square root of a negative number, an
// unknown key, a result too large to show) beep and lock the calculator
// until "C"; OK and Enter then beep and keep it open.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "platform/ui/extctrls.h"

class TLabel;
class TSpeedButton;

// Registers the calculator's glyph resources "CALCOKBTN", "CALCCANCELBTN",
// "CALCUPBTN" and "CALCDOWNBTN" (once; the constructor does it).
void RegisterOstraCalculatorGlyphs();

// OnExitClick: the sender and whether the result is accepted.
using TOstraExitClickEvent = TEvent<TObject*, bool>;

class TOstraCalculator : public TCustomPanel {
    TASKMOOR_CLASS(TOstraCalculator, TCustomPanel)
public:
    static constexpr int FixedWidth = 173;
    static constexpr int FixedHeight = 116;
    // Status values.
    static constexpr int stResult = 0;  // a result shows; the next digit starts a number
    static constexpr int stEntry = 1;   // a number is being typed
    static constexpr int stError = 2;

    explicit TOstraCalculator(TComponent* AOwner);

    // Shows Value with the chosen number of decimals (trailing zeros dropped).
    void SetDisplay(double Value);
    // The shown number; 0 in the error state. A text that is no number
    // raises the platform's conversion error.
    double GetValue() const;
    // The owner's text (empty without a masked-edit owner).
    std::string DisplayText() const;
    // One calculation step: a digit, the decimal separator, "C", "_" (change
    // of sign), Backspace (8), or an operator "=", "/", "*", "+", "-", "%"
    // or Enter (13). Letters count upper-cased; anything else does nothing.
    void Key(char Ch);

    int Status() const { return FStatus; }
    double Memory() const { return FMemory; }
    // The value Cancel shows again.
    double StartValue() const { return FStartValue; }
    // Decimal digits shown, 0 .. 8.
    int Decimals() const;

    TOstraExitClickEvent OnExitClick() const { return FOnExitClick; }
    void SetOnExitClick(TOstraExitClickEvent Value) { FOnExitClick = Value; }

    // Keeps Left and Top; the size is always FixedWidth x FixedHeight.
    void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;

    // ---- Children (for tests)
    // The button with this caption ("7", "MC", "sqrt", ...), or the glyph
    // buttons "OK", "Cancel", "Up" and "Down"; nullptr when there is none.
    TSpeedButton* Button(const std::string& Caption) const;
    TLabel* MemoryLabel() const { return FMemoryLabel; }
    TLabel* DecimalsLabel() const { return FDecimalsLabel; }

    static void Publish(TPublisher<TOstraCalculator>& p);

protected:
    void CreateParams(TCreateParams& Params) override;
    void VisibleChanged() override;
    void WMGetDlgCode(TMessage& Message) override;
    // Every key is taken: mapped keys calculate, modifier keys alone are
    // ignored, any other key is an error.
    void KeyDown(uint16_t& AKey, TShiftState Shift) override;
    void KeyPress(char32_t& AKey) override;

private:
    TSpeedButton* AddButton(const std::string& Caption, int ALeft, int ATop, int FontHeight, TColor FontColor,
                            const std::string& AHint, TNotifyEvent Action);
    void SetDisplayText(const std::string& Value);
    // Shows a computed number, or goes into the error state when it cannot
    // be shown (overflow).
    void ShowResult(double Value);
    void Clear();
    void StartNumber();
    void Error();
    void Begin();

    void OkClick(TObject* Sender);
    void CancelClick(TObject* Sender);
    void MemoryClearClick(TObject* Sender);
    void MemoryReadClick(TObject* Sender);
    void MemoryStoreClick(TObject* Sender);
    void MemoryAddClick(TObject* Sender);
    void ReciprocalClick(TObject* Sender);
    void SquareRootClick(TObject* Sender);
    void DecimalsUpClick(TObject* Sender);
    void DecimalsDownClick(TObject* Sender);
    void UpdateMemoryLabel();

    TLabel* FMemoryLabel = nullptr;
    TLabel* FDecimalsLabel = nullptr;
    TOstraExitClickEvent FOnExitClick;
    int FStatus = stResult;
    char FPendingOperator = '=';
    double FOperand = 0;
    double FMemory = 0;
    double FStartValue = 0;
    std::vector<std::pair<std::string, TSpeedButton*>> FButtons;
};
