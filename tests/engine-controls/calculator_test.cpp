// The calculator panel on the offscreen platform: its display is the text
// of the masked edit that owns it; buttons are clicked and keys typed as
// the user would.
#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "engine-controls/ostra_calculator.h"
#include "platform/core/exceptions.h"
#include "platform/core/files.h"
#include "platform/core/sysutils.h"
#include "platform/ui/bitmaps.h"
#include "platform/ui/buttons.h"
#include "platform/ui/forms.h"
#include "platform/ui/mask.h"
#include "platform/ui/stdctrls.h"
#include "platform/ui/testing.h"

namespace {

class CalculatorTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetFormatSettings();
        FForm.reset(CreateForm<TForm>(nullptr));
        FForm->SetBounds(40, 40, 300, 200);
        FForm->Show();
        FEdit = new TMaskEdit(FForm.get());
        FEdit->SetParent(FForm.get());
        FEdit->SetBounds(8, 8, 180, 21);
        FCalc = new TOstraCalculator(FEdit);
        FCalc->SetVisible(false);
        FCalc->SetParent(FForm.get());
        FCalc->SetOnExitClick(TOstraExitClickEvent([this](TObject* Sender, bool Accept) {
            EXPECT_EQ(FCalc, Sender);
            FExits.push_back(Accept);
        }));
        DropDown(0);
    }
    void TearDown() override {
        FForm.reset();
        ResetFormatSettings();
    }

    // As the drop-down edit opens it: the value shown first, then the panel.
    void DropDown(double Value) {
        FCalc->SetVisible(false);
        FCalc->SetDisplay(Value);
        FCalc->SetBounds(100, 100, 0, 0);
        FCalc->SetVisible(true);
        ProcessEvents();
    }

    // Clicks the buttons of the captions, one after the other.
    void Press(const std::vector<std::string>& Captions) {
        for (const std::string& caption : Captions) {
            TSpeedButton* b = FCalc->Button(caption);
            ASSERT_NE(nullptr, b) << caption;
            SendClick(b, b->Width() / 2, b->Height() / 2);
        }
    }
    void Keys(const std::vector<uint16_t>& Keys, TShiftState Shift = {}) {
        for (uint16_t k : Keys) SendKey(FCalc, k, Shift);
    }
    std::string Display() const { return FEdit->Text(); }

    std::unique_ptr<TForm> FForm;
    TMaskEdit* FEdit = nullptr;
    TOstraCalculator* FCalc = nullptr;
    std::vector<bool> FExits;
};

}  // namespace

// ---- Layout --------------------------------------------------------------------------------

TEST_F(CalculatorTest, ButtonsLieOnTheirGrid) {
    // Five rows of six 28 x 22 cells from (2, 2).
    const char* grid[5][6] = {{"", "<=", "C", "", "OK", "Cancel"},
                              {"MC", "7", "8", "9", "/", "sqrt"},
                              {"MR", "4", "5", "6", "*", "%"},
                              {"MS", "1", "2", "3", "-", "1/x"},
                              {"M+", "0", "+/-", ",", "+", "="}};
    const std::map<std::string, std::string> hints{
        {"<=", "Delete the digit"},         {"C", "Clear"},         {"OK", "Save result"},
        {"Cancel", "Close without saving"}, {"MC", "Clear memory"}, {"MR", "Read memory"},
        {"MS", "Write to memory"},          {"M+", "Add in memory"}};
    for (int row = 0; row < 5; ++row)
        for (int col = 0; col < 6; ++col) {
            const std::string caption = grid[row][col];
            if (caption.empty()) continue;
            SCOPED_TRACE(caption);
            TSpeedButton* b = FCalc->Button(caption);
            ASSERT_NE(nullptr, b);
            EXPECT_EQ(Bounds(2 + 28 * col, 2 + 22 * row, 28, 22), b->BoundsRect());
            // The caption fits its button.
            TBitmap probe;
            probe.Canvas()->SetFont(b->Font());
            EXPECT_LE(probe.Canvas()->TextWidth(b->Caption()), b->Width() - 4);
            const TColor color = caption == "="                      ? clRed
                                 : caption == "<=" || caption == "C" ? clMaroon
                                 : col == 0                          ? clNavy
                                                                     : clBlack;
            EXPECT_EQ(color, b->Font()->Color());
            EXPECT_EQ(hints.count(caption) ? hints.at(caption) : "", b->Hint());
            EXPECT_TRUE(b->Font()->Style().Contains(fsBold));
        }
    for (int d = 0; d <= 9; ++d) EXPECT_EQ(d, FCalc->Button(std::to_string(d))->Tag());
    EXPECT_EQ(Bounds(98, 2, 15, 12), FCalc->Button("Up")->BoundsRect());
    EXPECT_EQ(Bounds(98, 12, 15, 12), FCalc->Button("Down")->BoundsRect());
    EXPECT_EQ("Increase number of decimal digits", FCalc->Button("Up")->Hint());
    EXPECT_EQ("Decrease number of decimal digits", FCalc->Button("Down")->Hint());
    for (const char* glyph : {"OK", "Cancel", "Up", "Down"})
        EXPECT_FALSE(FCalc->Button(glyph)->Glyph()->Empty()) << glyph;
    EXPECT_EQ(Bounds(9, 7, 20, 21), FCalc->MemoryLabel()->BoundsRect());
    EXPECT_EQ(Bounds(87, 7, 14, 22), FCalc->DecimalsLabel()->BoundsRect());
    EXPECT_EQ("Decimal digits", FCalc->DecimalsLabel()->Hint());
    // Every button lies inside the client area.
    for (const char* caption : {"Cancel", "=", "M+"}) {
        TSpeedButton* b = FCalc->Button(caption);
        EXPECT_LE(b->Left() + b->Width(), FCalc->ClientWidth()) << caption;
        EXPECT_LE(b->Top() + b->Height(), FCalc->ClientHeight()) << caption;
    }
}

TEST_F(CalculatorTest, SizeIsFixedAndItFloatsOnItsOwn) {
    FCalc->SetBounds(5, 6, 500, 20);
    EXPECT_EQ(5, FCalc->Left());
    EXPECT_EQ(6, FCalc->Top());
    EXPECT_EQ(173, FCalc->Width());
    EXPECT_EQ(116, FCalc->Height());
    EXPECT_TRUE(FCalc->Showing());
}

// ---- Calculations with the buttons ------------------------------------------------------------

TEST_F(CalculatorTest, ButtonSequencesCalculate) {
    Press({"2", "+", "3", "="});
    EXPECT_EQ("5", Display());
    Press({"5", "0", "+", "1", "0", "%"});
    EXPECT_EQ("55", Display());
    Press({"5", "0", "*", "1", "0", "%"});
    EXPECT_EQ("5", Display());
    Press({"C", "2", "0", "0", "-", "1", "0", "%"});
    EXPECT_EQ("180", Display());
    Press({"8", "-", "1", "1", "="});
    EXPECT_EQ("-3", Display());
    // Chained operators work left to right.
    Press({"2", "+", "3", "*", "4", "="});
    EXPECT_EQ("20", Display());
    Press({"9", "sqrt"});
    EXPECT_EQ("3", Display());
    Press({"4", "1/x"});
    EXPECT_EQ("0.25", Display());
    Press({"7", "+/-"});
    EXPECT_EQ("-7", Display());
    EXPECT_TRUE(FExits.empty());
}

TEST_F(CalculatorTest, DecimalsFollowTheDecimalsLabel) {
    Press({"1", "/", "3", "="});
    EXPECT_EQ("0.33", Display());
    // Two and a half shows one decimal only.
    Press({"5", "/", "2", "="});
    EXPECT_EQ("2.5", Display());
    for (int i = 0; i < 10; ++i) Press({"Up"});
    EXPECT_EQ("8", FCalc->DecimalsLabel()->Caption());
    Press({"1", "/", "3", "="});
    EXPECT_EQ("0.33333333", Display());
    for (int i = 0; i < 10; ++i) Press({"Down"});
    EXPECT_EQ("0", FCalc->DecimalsLabel()->Caption());
    Press({"1", "0", "/", "4", "="});
    EXPECT_EQ("3", Display());
}

TEST_F(CalculatorTest, EntryEditingAndNewNumbers) {
    Press({"1", "2", "3", "<="});
    EXPECT_EQ("12", Display());
    Press({"<=", "<="});
    EXPECT_EQ("0", Display());
    Press({"4", "+/-", "<="});
    EXPECT_EQ("0", Display());
    // One decimal separator only.
    Press({"C", "1", ",", "5", ",", "2"});
    EXPECT_EQ("1.52", Display());
    // A digit after "=" starts a new number; Backspace after a result shows 0.
    Press({"+", "1", "="});
    EXPECT_EQ("2.52", Display());
    Press({"7"});
    EXPECT_EQ("7", Display());
    Press({"="});
    Press({"<="});
    EXPECT_EQ("0", Display());
    Press({",", "5"});
    EXPECT_EQ("0.5", Display());
}

TEST_F(CalculatorTest, DecimalSeparatorComesFromTheFormatSettings) {
    FormatSettings().DecimalSeparator = ',';
    Press({"C", "2", ",", "5", "*", "2", ",", "5", "="});
    EXPECT_EQ("6,25", Display());
    EXPECT_DOUBLE_EQ(6.25, FCalc->GetValue());
    Keys({VK_OEM_PERIOD});
    EXPECT_EQ("0,", Display());
}

TEST_F(CalculatorTest, MemoryKeysAndIndicator) {
    Press({"5", "MS"});
    EXPECT_EQ("M", FCalc->MemoryLabel()->Caption());
    Press({"3", "M+"});
    EXPECT_DOUBLE_EQ(8, FCalc->Memory());
    Press({"C", "MR"});
    EXPECT_EQ("8", Display());
    // MR starts a number: digits go on after it.
    Press({"1"});
    EXPECT_EQ("81", Display());
    Press({"+/-", "M+"});
    EXPECT_DOUBLE_EQ(-73, FCalc->Memory());
    Press({"7", "3", "M+"});
    EXPECT_EQ("", FCalc->MemoryLabel()->Caption());
    Press({"4", "MS", "MC"});
    EXPECT_DOUBLE_EQ(0, FCalc->Memory());
    EXPECT_EQ("", FCalc->MemoryLabel()->Caption());
}

// ---- Errors --------------------------------------------------------------------------------------

TEST_F(CalculatorTest, DivisionByZeroLocksUntilClear) {
    TBeepCounter beeps;
    Press({"7", "/", "0", "="});
    EXPECT_EQ(1, beeps.Count());
    EXPECT_EQ(TOstraCalculator::stError, FCalc->Status());
    EXPECT_EQ("0", Display());
    EXPECT_DOUBLE_EQ(0, FCalc->GetValue());
    Press({"5", "+", "sqrt", "1/x", ",", "<=", "+/-", "MR", "MS"});
    EXPECT_EQ("0", Display());
    EXPECT_EQ(TOstraCalculator::stError, FCalc->Status());
    Press({"C"});
    EXPECT_EQ(TOstraCalculator::stResult, FCalc->Status());
    Press({"6", "*", "7", "="});
    EXPECT_EQ("42", Display());
    EXPECT_EQ(1, beeps.Count());
}

TEST_F(CalculatorTest, SquareRootOfNegativeAndReciprocalOfZeroAreErrors) {
    TBeepCounter beeps;
    Press({"4", "+/-", "sqrt"});
    EXPECT_EQ(TOstraCalculator::stError, FCalc->Status());
    // The error stays: 1/x of the shown -4 is not computed.
    Press({"1/x"});
    EXPECT_EQ("-4", Display());
    EXPECT_EQ(TOstraCalculator::stError, FCalc->Status());
    Press({"C", "1/x"});
    EXPECT_EQ(TOstraCalculator::stError, FCalc->Status());
    EXPECT_EQ(2, beeps.Count());
}

TEST_F(CalculatorTest, OverflowIsAnErrorNotAnUnreadableText) {
    TBeepCounter beeps;
    DropDown(1e300);
    Press({"MS", "*", "MR", "="});
    EXPECT_EQ(TOstraCalculator::stError, FCalc->Status());
    EXPECT_EQ(1, beeps.Count());
    Press({"C"});
    EXPECT_EQ("0", Display());
}

TEST_F(CalculatorTest, OkAndEnterInTheErrorStateBeepAndStayOpen) {
    TBeepCounter beeps;
    Press({"7", "/", "0", "="});
    Press({"OK"});
    Keys({VK_RETURN});
    EXPECT_TRUE(FExits.empty());
    EXPECT_EQ(3, beeps.Count());
    EXPECT_EQ(TOstraCalculator::stError, FCalc->Status());
    Press({"C", "9", "OK"});
    ASSERT_EQ(1u, FExits.size());
    EXPECT_TRUE(FExits[0]);
    EXPECT_EQ("9", Display());
}

// ---- OK and Cancel -------------------------------------------------------------------------------

TEST_F(CalculatorTest, OkAndEnterAccept) {
    DropDown(12.5);
    Press({"*", "2", "=", "OK"});
    EXPECT_EQ("25", Display());
    DropDown(3);
    Keys({'4', VK_RETURN});
    EXPECT_EQ("4", Display());
    EXPECT_EQ((std::vector<bool>{true, true}), FExits);
}

TEST_F(CalculatorTest, CancelAndEscapeRestoreTheValueShownAtDropDown) {
    DropDown(12.5);
    EXPECT_DOUBLE_EQ(12.5, FCalc->StartValue());
    Press({"9", "9", "+", "1", "="});
    EXPECT_EQ("100", Display());
    Press({"Cancel"});
    EXPECT_EQ("12.5", Display());

    DropDown(-3.25);
    Keys({'7', VK_MULTIPLY, '2'});
    Keys({VK_ESCAPE});
    EXPECT_EQ("-3.25", Display());
    EXPECT_EQ((std::vector<bool>{false, false}), FExits);
}

TEST_F(CalculatorTest, ShowingAgainStartsFreshAfterAnError) {
    TBeepCounter beeps;
    DropDown(2);
    Press({"/", "0", "=", "Cancel"});
    EXPECT_EQ("2", Display());
    DropDown(6);
    EXPECT_EQ(TOstraCalculator::stResult, FCalc->Status());
    Press({"/", "3", "="});
    EXPECT_EQ("2", Display());
    // An operator left pending by the last drop-down is gone too.
    DropDown(5);
    Press({"+", "Cancel"});
    DropDown(5);
    Press({"1", "="});
    EXPECT_EQ("1", Display());
}

// ---- Keys ------------------------------------------------------------------------------------------

TEST_F(CalculatorTest, KeysOfTheKeyMapCalculate) {
    Keys({'1', '2', VK_ADD, VK_NUMPAD3, VK_OEM_PLUS});
    EXPECT_EQ("15", Display());
    Keys({'2', VK_MULTIPLY, '4', VK_SUBTRACT, '1', VK_DIVIDE, '7', VK_OEM_PLUS});
    EXPECT_EQ("1", Display());
    Keys({'2', VK_DECIMAL, '5', VK_OEM_COMMA, '1'});
    EXPECT_EQ("2.51", Display());
    Keys({VK_BACK, VK_BACK});
    EXPECT_EQ("2.", Display());
    Keys({VK_BACK});
    EXPECT_EQ("2", Display());
    Keys({'C'});
    EXPECT_EQ("0", Display());
    EXPECT_TRUE(FExits.empty());
}

TEST_F(CalculatorTest, ModifierKeysAloneAreIgnored) {
    TBeepCounter beeps;
    Keys({'6'});
    for (uint16_t k : {VK_SHIFT, VK_CONTROL, VK_MENU, VK_CAPITAL, VK_NUMLOCK}) SendKeyDown(FCalc, k);
    EXPECT_EQ(0, beeps.Count());
    EXPECT_EQ(TOstraCalculator::stEntry, FCalc->Status());
    // Star and plus on the main keyboard are Shift+8 and Shift+=.
    SendKeyDown(FCalc, VK_SHIFT, {ssShift});
    SendKey(FCalc, '8', {ssShift});
    SendKeyUp(FCalc, VK_SHIFT);
    Keys({'7'});
    SendKeyDown(FCalc, VK_SHIFT, {ssShift});
    SendKey(FCalc, VK_OEM_PLUS, {ssShift});
    SendKeyUp(FCalc, VK_SHIFT);
    Keys({'8', VK_OEM_PLUS});
    EXPECT_EQ("50", Display());
    // Shift+5 types the percent sign.
    Keys({'2', '0', '0'});
    SendKey(FCalc, VK_OEM_PLUS, {ssShift});
    Keys({'1', '0'});
    SendKey(FCalc, '5', {ssShift});
    EXPECT_EQ("220", Display());
    // Minus and slash of the main keyboard.
    Keys({'9', VK_OEM_MINUS, '4', VK_OEM_2, '5', VK_OEM_PLUS});
    EXPECT_EQ("1", Display());
    // Typed characters work the same way.
    SendText(FCalc, "3*3=");
    EXPECT_EQ("9", Display());
    EXPECT_EQ(0, beeps.Count());
}

TEST_F(CalculatorTest, UnmappedKeyIsAnErrorUntilC) {
    TBeepCounter beeps;
    Keys({'4', VK_F5});
    EXPECT_EQ(1, beeps.Count());
    EXPECT_EQ(TOstraCalculator::stError, FCalc->Status());
    Keys({'5', VK_ADD});
    EXPECT_EQ("4", Display());
    Keys({'Q'});
    EXPECT_EQ(2, beeps.Count());
    Keys({'C', '5'});
    EXPECT_EQ("5", Display());
    EXPECT_EQ(TOstraCalculator::stEntry, FCalc->Status());
}

// ---- Without a masked-edit owner ---------------------------------------------------------------------

TEST_F(CalculatorTest, WithoutAnEditOwnerItShowsNothing) {
    auto* lone = new TOstraCalculator(FForm.get());
    lone->SetVisible(false);
    lone->SetParent(FForm.get());
    EXPECT_EQ("", lone->DisplayText());
    lone->Key('5');
    EXPECT_EQ("", lone->DisplayText());
    EXPECT_THROW(lone->GetValue(), EConvertError);
}

// ---- Painting ---------------------------------------------------------------------------------------------

TEST_F(CalculatorTest, PaintsCaptionsAndGlyphs) {
    Press({"5", "MS"});
    const std::string file = GetTempDir() + "/ostra_calculator.png";
    ASSERT_TRUE(RenderControlToPng(FCalc, file));
    TBitmap bmp;
    RenderControl(FCalc, &bmp);
    ASSERT_EQ(173, bmp.Width());
    ASSERT_EQ(116, bmp.Height());
    const TPoint origin{(bmp.Width() - FCalc->ClientWidth()) / 2, (bmp.Height() - FCalc->ClientHeight()) / 2};
    // Counts pixels of a button face close to a colour.
    auto count = [&](const char* Caption, auto Pred) {
        TSpeedButton* b = FCalc->Button(Caption);
        int n = 0;
        for (int y = b->Top() + 2; y < b->Top() + b->Height() - 2; ++y)
            for (int x = b->Left() + 2; x < b->Left() + b->Width() - 2; ++x)
                if (Pred(bmp.Canvas()->Pixels(origin.X + x, origin.Y + y))) ++n;
        return n;
    };
    auto red = [](TColor p) { return GetRValue(p) > 180 && GetGValue(p) < 80 && GetBValue(p) < 80; };
    auto green = [](TColor p) { return GetGValue(p) > 100 && GetRValue(p) < 60 && GetBValue(p) < 60; };
    auto navy = [](TColor p) { return GetBValue(p) > 90 && GetRValue(p) < 60 && GetGValue(p) < 60; };
    EXPECT_GT(count("=", red), 5);
    EXPECT_GT(count("Cancel", red), 5);
    EXPECT_GT(count("OK", green), 5);
    EXPECT_GT(count("MR", navy), 5);
    EXPECT_EQ(0, count("7", red));
    // The olive background of the glyphs is left out.
    EXPECT_EQ(0, count("OK", [](TColor p) { return p == RGB(0x80, 0x80, 0); }));
}
