// The calculator's keys and display: button layout, typed keys mapped to buttons,
// the running arithmetic and the shown value with its decimals.
#include "engine-controls/ostra_calculator.h"

#include <cctype>
#include <cmath>

#include "platform/core/sysutils.h"
#include "platform/ui/bitmaps.h"
#include "platform/ui/buttons.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/mask.h"
#include "platform/ui/menus.h"
#include "platform/ui/stdctrls.h"

namespace {

constexpr char kBackspace = 8;
constexpr char kEnter = 13;

char DecimalSeparator() { return FormatSettings().DecimalSeparator; }

bool IsOperator(char Ch) {
    switch (Ch) {
    case '=':
    case '/':
    case '*':
    case '+':
    case '-':
    case '%':
    case kEnter: return true;
    default: return false;
    }
}

// Keys that only change how other keys type.
bool IsModifierKey(uint16_t Key) {
    switch (Key) {
    case VK_SHIFT:
    case VK_CONTROL:
    case VK_MENU:
    case VK_CAPITAL:
    case VK_LWIN:
    case VK_RWIN:
    case VK_NUMLOCK:
    case VK_SCROLL: return true;
    default: return false;
    }
}

// Lowers the font until Text fits in Width pixels: substitute fonts run
// wider than the captions were made for.
void FitCaptionFont(TControl* Control, const std::string& Text, int Width) {
    TBitmap probe;
    probe.SetSize(1, 1);
    TCanvas* canvas = probe.Canvas();
    canvas->SetFont(Control->Font());
    int height = Control->Font()->Height();
    while (height < -6 && canvas->TextWidth(Text) > Width) canvas->Font()->SetHeight(++height);
    if (height != Control->Font()->Height()) Control->Font()->SetHeight(height);
}

// The character the key being handled types, 0 when none.
char32_t TypedCharacter() {
    TMessage m;
    if (PeekMessage(m, nullptr, WM_CHAR, WM_CHAR, false)) return static_cast<char32_t>(m.WParam);
    return 0;
}

}  // namespace

TOstraCalculator::TOstraCalculator(TComponent* AOwner) : TCustomPanel(AOwner) {
    RegisterOstraCalculatorGlyphs();
    SetControlStyle(ControlStyle() + csNoDesignVisible + csReplicatable);
    TCustomPanel::SetBounds(Left(), Top(), FixedWidth, FixedHeight);
    SetBevelInner(bvLowered);
    TControl::SetText("");
    SetShowHint(true);
    SetParentFont(false);
    Font()->SetName("MS Sans Serif");
    Font()->SetColor(clBlack);
    Font()->SetStyle({fsBold});
    Font()->SetHeight(-11);

    auto key = [this](char Ch) { return TNotifyEvent([this, Ch](TObject*) { Key(Ch); }); };
    auto digitButton = [&](int Digit, int ALeft, int ATop) {
        AddButton(std::string(1, static_cast<char>('0' + Digit)), ALeft, ATop, -16, clBlack, "",
                  TNotifyEvent([this](TObject* Sender) {
                      if (auto* b = dynamic_cast<TSpeedButton*>(Sender))
                          Key(static_cast<char>('0' + b->Tag()));
                  }))
            ->SetTag(Digit);
    };

    AddButton("<=", 30, 2, -13, clMaroon, "Delete the digit", key(kBackspace));
    AddButton("C", 58, 2, -16, clMaroon, "Clear", key('C'));
    TSpeedButton* ok =
        AddButton("", 114, 2, -11, clBlack, "Save result", TNotifyEvent(this, &TOstraCalculator::OkClick));
    ok->Glyph()->LoadFromResourceName("CALCOKBTN");
    FButtons.back().first = "OK";
    TSpeedButton* cancel = AddButton("", 142, 2, -11, clBlack, "Close without saving",
                                     TNotifyEvent(this, &TOstraCalculator::CancelClick));
    cancel->Glyph()->LoadFromResourceName("CALCCANCELBTN");
    FButtons.back().first = "Cancel";

    AddButton("MC", 2, 24, -11, clNavy, "Clear memory",
              TNotifyEvent(this, &TOstraCalculator::MemoryClearClick));
    AddButton("MR", 2, 46, -11, clNavy, "Read memory",
              TNotifyEvent(this, &TOstraCalculator::MemoryReadClick));
    AddButton("MS", 2, 68, -11, clNavy, "Write to memory",
              TNotifyEvent(this, &TOstraCalculator::MemoryStoreClick));
    AddButton("M+", 2, 90, -11, clNavy, "Add in memory",
              TNotifyEvent(this, &TOstraCalculator::MemoryAddClick));

    const int columns[3] = {30, 58, 86};
    for (int i = 0; i < 9; ++i) digitButton(7 + i % 3 - i / 3 * 3, columns[i % 3], 24 + i / 3 * 22);
    digitButton(0, 30, 90);
    AddButton("+/-", 58, 90, -16, clBlack, "", key('_'));
    AddButton(",", 86, 90, -19, clBlack, "", TNotifyEvent([this](TObject*) { Key(DecimalSeparator()); }));

    AddButton("/", 114, 24, -16, clBlack, "", key('/'));
    AddButton("*", 114, 46, -19, clBlack, "", key('*'));
    AddButton("-", 114, 68, -19, clBlack, "", key('-'));
    AddButton("+", 114, 90, -19, clBlack, "", key('+'));
    AddButton("sqrt", 142, 24, -13, clBlack, "", TNotifyEvent(this, &TOstraCalculator::SquareRootClick));
    AddButton("%", 142, 46, -16, clBlack, "", key('%'));
    AddButton("1/x", 142, 68, -16, clBlack, "", TNotifyEvent(this, &TOstraCalculator::ReciprocalClick));
    AddButton("=", 142, 90, -19, clRed, "", key('='));

    FMemoryLabel = new TLabel(this);
    FMemoryLabel->SetParent(this);
    FMemoryLabel->SetAutoSize(false);
    FMemoryLabel->SetBounds(9, 7, 20, 21);
    FMemoryLabel->SetCaption("");

    FDecimalsLabel = new TLabel(this);
    FDecimalsLabel->SetParent(this);
    FDecimalsLabel->SetAutoSize(false);
    FDecimalsLabel->SetBounds(87, 7, 14, 22);
    FDecimalsLabel->SetCaption("2");
    FDecimalsLabel->SetHint("Decimal digits");

    TSpeedButton* up = AddButton("", 98, 2, -11, clBlack, "Increase number of decimal digits",
                                 TNotifyEvent(this, &TOstraCalculator::DecimalsUpClick));
    up->SetBounds(98, 2, 15, 12);
    up->Glyph()->LoadFromResourceName("CALCUPBTN");
    FButtons.back().first = "Up";
    TSpeedButton* down = AddButton("", 98, 12, -11, clBlack, "Decrease number of decimal digits",
                                   TNotifyEvent(this, &TOstraCalculator::DecimalsDownClick));
    down->SetBounds(98, 12, 15, 12);
    down->Glyph()->LoadFromResourceName("CALCDOWNBTN");
    FButtons.back().first = "Down";

    Clear();
    FMemory = 0;
    FStartValue = 0;
}

TSpeedButton* TOstraCalculator::AddButton(const std::string& Caption, int ALeft, int ATop, int FontHeight,
                                          TColor FontColor, const std::string& AHint, TNotifyEvent Action) {
    auto* b = new TSpeedButton(this);
    b->SetParent(this);
    b->SetBounds(ALeft, ATop, 28, 22);
    b->SetCaption(Caption);
    b->Font()->SetHeight(FontHeight);
    b->Font()->SetColor(FontColor);
    FitCaptionFont(b, Caption, b->Width() - 4);
    b->SetHint(AHint);
    b->SetOnClick(Action);
    FButtons.emplace_back(Caption, b);
    return b;
}

TSpeedButton* TOstraCalculator::Button(const std::string& Caption) const {
    for (const auto& [name, button] : FButtons)
        if (name == Caption) return button;
    return nullptr;
}

void TOstraCalculator::SetBounds(int ALeft, int ATop, int, int) {
    TCustomPanel::SetBounds(ALeft, ATop, FixedWidth, FixedHeight);
}

// A floating tool window above all others, outside its parent, never
// activated: its edit keeps the keys and hands them on. It floats above its
// owner's window, and so stays usable while that window is modal.
void TOstraCalculator::CreateParams(TCreateParams& Params) {
    TCustomPanel::CreateParams(Params);
    Params.Style = (Params.Style & ~WS_CHILD) | WS_POPUP | WS_BORDER;
    Params.ExStyle |= WS_EX_TOOLWINDOW | WS_EX_TOPMOST | WS_EX_NOACTIVATE;
    if (UseRightToLeftReading()) Params.ExStyle |= WS_EX_RTLREADING;
    Params.WindowClassStyle |= CS_SAVEBITS;
    Params.WndParent = dynamic_cast<TWinControl*>(Owner());
}

void TOstraCalculator::VisibleChanged() {
    TCustomPanel::VisibleChanged();
    if (Visible()) Begin();
}

// ---- Display -----------------------------------------------------------------------------------

std::string TOstraCalculator::DisplayText() const {
    if (auto* edit = dynamic_cast<TCustomMaskEdit*>(Owner())) return edit->Text();
    return std::string();
}

void TOstraCalculator::SetDisplayText(const std::string& Value) {
    if (auto* edit = dynamic_cast<TCustomMaskEdit*>(Owner())) edit->SetText(Value);
}

int TOstraCalculator::Decimals() const { return StrToIntDef(FDecimalsLabel->Caption(), 2); }

void TOstraCalculator::SetDisplay(double Value) {
    const std::string format = "###########0." + std::string(static_cast<size_t>(Decimals()), '#');
    SetDisplayText(Trim(FormatFloat(format, Value)));
}

double TOstraCalculator::GetValue() const {
    if (FStatus == stError) return 0;
    return StrToFloat(Trim(DisplayText()));
}

void TOstraCalculator::ShowResult(double Value) {
    if (std::isfinite(Value))
        SetDisplay(Value);
    else
        Error();
}

// ---- Calculation -------------------------------------------------------------------------------

void TOstraCalculator::Clear() {
    FStatus = stResult;
    SetDisplay(0);
    FPendingOperator = '=';
}

void TOstraCalculator::StartNumber() {
    if (FStatus != stResult) return;
    FStatus = stEntry;
    SetDisplay(0);
}

void TOstraCalculator::Error() {
    FStatus = stError;
    MessageBeep(0);
}

void TOstraCalculator::Begin() {
    FStatus = stResult;
    FPendingOperator = '=';
    FOperand = 0;
    double value = 0;
    FStartValue = TryStrToFloat(Trim(DisplayText()), value) && std::isfinite(value) ? value : 0;
}

void TOstraCalculator::Key(char Ch) {
    Ch = static_cast<char>(std::toupper(static_cast<unsigned char>(Ch)));
    if (FStatus == stError && Ch != 'C') return;
    const char separator = DecimalSeparator();
    if (Ch == separator) {
        StartNumber();
        std::string s = DisplayText();
        // An exponent form takes no fraction: it would stop being a number.
        if (s.find(separator) == std::string::npos && s.find('E') == std::string::npos)
            SetDisplayText(s + separator);
    } else if (Ch >= '0' && Ch <= '9') {
        StartNumber();
        std::string s = DisplayText();
        if (s == "0") s.clear();
        if (s.find('E') == std::string::npos) s += Ch;
        SetDisplayText(s);
    } else if (Ch == 'C') {
        Clear();
    } else if (Ch == '_') {
        SetDisplay(-GetValue());
    } else if (Ch == kBackspace) {
        StartNumber();
        std::string s = DisplayText();
        if (s.size() <= 1 || (s.size() == 2 && s[0] == '-'))
            s = "0";
        else
            s.pop_back();
        SetDisplayText(s);
    } else if (IsOperator(Ch)) {
        if (FStatus == stEntry) {
            FStatus = stResult;
            double x = GetValue();
            if (Ch == '%') {
                if (FPendingOperator == '*' || FPendingOperator == '/')
                    x = x / 100;
                else if (FPendingOperator == '+' || FPendingOperator == '-')
                    x = FOperand * x / 100;
            }
            switch (FPendingOperator) {
            case '*': ShowResult(FOperand * x); break;
            case '+': ShowResult(FOperand + x); break;
            case '-': ShowResult(FOperand - x); break;
            case '/':
                if (x == 0)
                    Error();
                else
                    ShowResult(FOperand / x);
                break;
            default: break;
            }
        }
        FPendingOperator = Ch;
        FOperand = GetValue();
    }
}

void TOstraCalculator::ReciprocalClick(TObject*) {
    if (FStatus == stError) return;
    FStatus = stResult;
    const double v = GetValue();
    if (v == 0)
        Error();
    else
        ShowResult(1 / v);
}

void TOstraCalculator::SquareRootClick(TObject*) {
    if (FStatus == stError) return;
    FStatus = stResult;
    const double v = GetValue();
    if (v < 0)
        Error();
    else
        ShowResult(std::sqrt(v));
}

// ---- Memory --------------------------------------------------------------------------------------

void TOstraCalculator::UpdateMemoryLabel() { FMemoryLabel->SetCaption(FMemory != 0 ? "M" : ""); }

void TOstraCalculator::MemoryClearClick(TObject*) {
    FMemory = 0;
    FMemoryLabel->SetCaption("");
}

void TOstraCalculator::MemoryReadClick(TObject*) {
    if (FStatus == stError) return;
    FStatus = stResult;
    StartNumber();
    SetDisplay(FMemory);
}

void TOstraCalculator::MemoryStoreClick(TObject*) {
    if (FStatus == stError) return;
    FStatus = stResult;
    FMemory = GetValue();
    UpdateMemoryLabel();
}

void TOstraCalculator::MemoryAddClick(TObject*) {
    if (FStatus == stError) return;
    FStatus = stResult;
    const double sum = FMemory + GetValue();
    if (!std::isfinite(sum)) {
        Error();
        return;
    }
    FMemory = sum;
    UpdateMemoryLabel();
}

// ---- Decimals, OK and Cancel ------------------------------------------------------------------------

void TOstraCalculator::DecimalsUpClick(TObject*) {
    if (FDecimalsLabel->Caption() < "8") FDecimalsLabel->SetCaption(std::to_string(Decimals() + 1));
}

void TOstraCalculator::DecimalsDownClick(TObject*) {
    if (FDecimalsLabel->Caption() > "0") FDecimalsLabel->SetCaption(std::to_string(Decimals() - 1));
}

// An error shows no result to accept: it beeps and stays until "C".
void TOstraCalculator::OkClick(TObject*) {
    if (FStatus == stError) {
        Error();
        return;
    }
    StrToFloat(Trim(DisplayText()));
    FOnExitClick(this, true);
}

void TOstraCalculator::CancelClick(TObject*) {
    SetDisplay(FStartValue);
    FOnExitClick(this, false);
}

// ---- Keys ----------------------------------------------------------------------------------------------

void TOstraCalculator::WMGetDlgCode(TMessage& Message) {
    Message.Result = DLGC_WANTALLKEYS | DLGC_WANTARROWS | DLGC_WANTTAB | DLGC_WANTCHARS;
}

void TOstraCalculator::KeyDown(uint16_t& AKey, TShiftState Shift) {
    TCustomPanel::KeyDown(AKey, Shift);
    const uint16_t k = AKey;
    AKey = 0;
    if (k == 0 || IsModifierKey(k)) return;
    // What the key types decides first: Shift+8 is "*" and Shift+= is "+"
    // on the main keyboard.
    switch (const char32_t typed = TypedCharacter()) {
    case U'+':
    case U'-':
    case U'*':
    case U'/':
    case U'=':
    case U'%': Key(static_cast<char>(typed)); return;
    default: break;
    }
    if (k >= '0' && k <= '9')
        Key(static_cast<char>(k));
    else if (k >= VK_NUMPAD0 && k <= VK_NUMPAD9)
        Key(static_cast<char>('0' + (k - VK_NUMPAD0)));
    else if (k == 'C')
        Key('C');
    else if (k == VK_ADD)
        Key('+');
    else if (k == VK_SUBTRACT)
        Key('-');
    else if (k == VK_MULTIPLY)
        Key('*');
    else if (k == VK_DIVIDE)
        Key('/');
    else if (k == VK_OEM_PLUS)
        Key('=');
    else if (k == VK_DECIMAL || k == VK_OEM_COMMA || k == VK_OEM_PERIOD)
        Key(DecimalSeparator());
    else if (k == VK_BACK)
        Key(kBackspace);
    else if (k == VK_RETURN)
        OkClick(this);
    else if (k == VK_ESCAPE)
        CancelClick(this);
    else
        Error();
}

// The characters were handled with their keys.
void TOstraCalculator::KeyPress(char32_t& AKey) {
    TCustomPanel::KeyPress(AKey);
    AKey = 0;
}

void TOstraCalculator::Publish(TPublisher<TOstraCalculator>& p) {
    p.Property(
        "PopupMenu", [](TOstraCalculator& c) { return c.PopupMenu(); },
        [](TOstraCalculator& c, TPopupMenu* v) { c.SetPopupMenu(v); });
    p.Property("OnExitClick", &TOstraCalculator::OnExitClick, &TOstraCalculator::SetOnExitClick);
}
