// Virtual keys, shift states and cursors against the toolkit's.
#include "platform/ui/qt_host.h"

namespace {

struct TKeyPair {
    int Qt;
    uint16_t VK;
};

// Keys whose virtual key does not depend on the keypad.
constexpr TKeyPair kKeys[] = {
    {Qt::Key_Backspace, VK_BACK},
    {Qt::Key_Tab, VK_TAB},
    {Qt::Key_Backtab, VK_TAB},
    {Qt::Key_Clear, VK_CLEAR},
    {Qt::Key_Return, VK_RETURN},
    {Qt::Key_Enter, VK_RETURN},
    {Qt::Key_Shift, VK_SHIFT},
    {Qt::Key_Control, VK_CONTROL},
    {Qt::Key_Alt, VK_MENU},
    {Qt::Key_Pause, VK_PAUSE},
    {Qt::Key_CapsLock, VK_CAPITAL},
    {Qt::Key_Escape, VK_ESCAPE},
    {Qt::Key_Space, VK_SPACE},
    {Qt::Key_PageUp, VK_PRIOR},
    {Qt::Key_PageDown, VK_NEXT},
    {Qt::Key_End, VK_END},
    {Qt::Key_Home, VK_HOME},
    {Qt::Key_Left, VK_LEFT},
    {Qt::Key_Up, VK_UP},
    {Qt::Key_Right, VK_RIGHT},
    {Qt::Key_Down, VK_DOWN},
    {Qt::Key_Select, VK_SELECT},
    {Qt::Key_Printer, VK_PRINT},
    {Qt::Key_Execute, VK_EXECUTE},
    {Qt::Key_Print, VK_SNAPSHOT},
    {Qt::Key_Insert, VK_INSERT},
    {Qt::Key_Delete, VK_DELETE},
    {Qt::Key_Help, VK_HELP},
    {Qt::Key_Meta, VK_LWIN},
    {Qt::Key_Menu, VK_APPS},
    {Qt::Key_NumLock, VK_NUMLOCK},
    {Qt::Key_ScrollLock, VK_SCROLL},
    {Qt::Key_Cancel, VK_CANCEL},
    // Punctuation: the key that carries the character on a US keyboard.
    {Qt::Key_Semicolon, VK_OEM_1},
    {Qt::Key_Colon, VK_OEM_1},
    {Qt::Key_Equal, VK_OEM_PLUS},
    {Qt::Key_Plus, VK_OEM_PLUS},
    {Qt::Key_Comma, VK_OEM_COMMA},
    {Qt::Key_Less, VK_OEM_COMMA},
    {Qt::Key_Minus, VK_OEM_MINUS},
    {Qt::Key_Underscore, VK_OEM_MINUS},
    {Qt::Key_Period, VK_OEM_PERIOD},
    {Qt::Key_Greater, VK_OEM_PERIOD},
    {Qt::Key_Slash, VK_OEM_2},
    {Qt::Key_Question, VK_OEM_2},
    {Qt::Key_QuoteLeft, VK_OEM_3},
    {Qt::Key_AsciiTilde, VK_OEM_3},
    {Qt::Key_BracketLeft, VK_OEM_4},
    {Qt::Key_BraceLeft, VK_OEM_4},
    {Qt::Key_Backslash, VK_OEM_5},
    {Qt::Key_Bar, VK_OEM_5},
    {Qt::Key_BracketRight, VK_OEM_6},
    {Qt::Key_BraceRight, VK_OEM_6},
    {Qt::Key_Apostrophe, VK_OEM_7},
    {Qt::Key_QuoteDbl, VK_OEM_7},
    // Shifted digits.
    {Qt::Key_Exclam, '1'},
    {Qt::Key_At, '2'},
    {Qt::Key_NumberSign, '3'},
    {Qt::Key_Dollar, '4'},
    {Qt::Key_Percent, '5'},
    {Qt::Key_AsciiCircum, '6'},
    {Qt::Key_Ampersand, '7'},
    {Qt::Key_Asterisk, '8'},
    {Qt::Key_ParenLeft, '9'},
    {Qt::Key_ParenRight, '0'},
};

}  // namespace

uint16_t VirtualKeyOf(int QtKey, Qt::KeyboardModifiers Modifiers) {
    const bool keypad = Modifiers & Qt::KeypadModifier;
    if (QtKey >= Qt::Key_A && QtKey <= Qt::Key_Z) return static_cast<uint16_t>('A' + (QtKey - Qt::Key_A));
    if (QtKey >= Qt::Key_0 && QtKey <= Qt::Key_9)
        return static_cast<uint16_t>((keypad ? VK_NUMPAD0 : '0') + (QtKey - Qt::Key_0));
    if (QtKey >= Qt::Key_F1 && QtKey <= Qt::Key_F24)
        return static_cast<uint16_t>(VK_F1 + (QtKey - Qt::Key_F1));
    if (keypad) {
        switch (QtKey) {
        case Qt::Key_Asterisk: return VK_MULTIPLY;
        case Qt::Key_Plus: return VK_ADD;
        case Qt::Key_Minus: return VK_SUBTRACT;
        case Qt::Key_Period:
        case Qt::Key_Comma: return VK_DECIMAL;
        case Qt::Key_Slash: return VK_DIVIDE;
        default: break;
        }
    }
    for (const auto& k : kKeys)
        if (k.Qt == QtKey) return k.VK;
    return 0;
}

int QtKeyOf(uint16_t VirtualKey) {
    if (VirtualKey >= 'A' && VirtualKey <= 'Z') return Qt::Key_A + (VirtualKey - 'A');
    if (VirtualKey >= '0' && VirtualKey <= '9') return Qt::Key_0 + (VirtualKey - '0');
    if (VirtualKey >= VK_NUMPAD0 && VirtualKey <= VK_NUMPAD9) return Qt::Key_0 + (VirtualKey - VK_NUMPAD0);
    if (VirtualKey >= VK_F1 && VirtualKey <= VK_F1 + 23) return Qt::Key_F1 + (VirtualKey - VK_F1);
    switch (VirtualKey) {
    case VK_MULTIPLY: return Qt::Key_Asterisk;
    case VK_ADD: return Qt::Key_Plus;
    case VK_SUBTRACT: return Qt::Key_Minus;
    case VK_DECIMAL: return Qt::Key_Period;
    case VK_DIVIDE: return Qt::Key_Slash;
    case VK_TAB: return Qt::Key_Tab;
    case VK_RETURN: return Qt::Key_Return;
    case VK_OEM_PLUS: return Qt::Key_Equal;
    default: break;
    }
    for (const auto& k : kKeys)
        if (k.VK == VirtualKey) return k.Qt;
    return Qt::Key_unknown;
}

TShiftState ShiftStateOf(Qt::KeyboardModifiers Modifiers, Qt::MouseButtons Buttons) {
    TShiftState s;
    if (Modifiers & Qt::ShiftModifier) s.Include(ssShift);
    if (Modifiers & Qt::ControlModifier) s.Include(ssCtrl);
    if (Modifiers & Qt::AltModifier) s.Include(ssAlt);
    if (Buttons & Qt::LeftButton) s.Include(ssLeft);
    if (Buttons & Qt::RightButton) s.Include(ssRight);
    if (Buttons & Qt::MiddleButton) s.Include(ssMiddle);
    return s;
}

Qt::KeyboardModifiers ModifiersOf(TShiftState Shift) {
    Qt::KeyboardModifiers m;
    if (Shift.Contains(ssShift)) m |= Qt::ShiftModifier;
    if (Shift.Contains(ssCtrl)) m |= Qt::ControlModifier;
    if (Shift.Contains(ssAlt)) m |= Qt::AltModifier;
    return m;
}

char32_t CharOfKeyEvent(int QtKey, Qt::KeyboardModifiers Modifiers, const QString& Text) {
    const bool ctrl = Modifiers & Qt::ControlModifier;
    const bool alt = Modifiers & Qt::AltModifier;
    if (ctrl && !alt) {
        // Ctrl+letter types the control characters 1 to 26.
        if (QtKey >= Qt::Key_A && QtKey <= Qt::Key_Z) return static_cast<char32_t>(1 + (QtKey - Qt::Key_A));
        if (QtKey == Qt::Key_BracketLeft) return 27;
        if (QtKey == Qt::Key_Backslash) return 28;
        if (QtKey == Qt::Key_BracketRight) return 29;
        if (QtKey == Qt::Key_Return || QtKey == Qt::Key_Enter) return 10;
        if (QtKey == Qt::Key_Backspace) return 127;
        return 0;
    }
    switch (QtKey) {
    case Qt::Key_Return:
    case Qt::Key_Enter: return 13;
    case Qt::Key_Backspace: return 8;
    case Qt::Key_Tab: return 9;
    case Qt::Key_Backtab: return 9;
    case Qt::Key_Escape: return 27;
    default: break;
    }
    if (Text.isEmpty()) return 0;
    const QList<uint> ucs = Text.toUcs4();
    if (ucs.isEmpty()) return 0;
    const char32_t c = ucs.front();
    if (c < 32 || c == 127) return 0;
    return c;
}

Qt::CursorShape ToQtCursor(TCursor Cursor) {
    switch (Cursor) {
    case crNone: return Qt::BlankCursor;
    case crCross: return Qt::CrossCursor;
    case crIBeam: return Qt::IBeamCursor;
    case crSizeNESW: return Qt::SizeBDiagCursor;
    case crSizeNS: return Qt::SizeVerCursor;
    case crSizeNWSE: return Qt::SizeFDiagCursor;
    case crSizeWE: return Qt::SizeHorCursor;
    case crUpArrow: return Qt::UpArrowCursor;
    case crHourGlass:
    case crSQLWait: return Qt::WaitCursor;
    case crDrag:
    case crMultiDrag: return Qt::DragCopyCursor;
    case crNoDrop:
    case crNo: return Qt::ForbiddenCursor;
    case crHSplit: return Qt::SplitHCursor;
    case crVSplit: return Qt::SplitVCursor;
    case crAppStart: return Qt::BusyCursor;
    case crHelp: return Qt::WhatsThisCursor;
    case crHandPoint: return Qt::PointingHandCursor;
    case crSizeAll: return Qt::SizeAllCursor;
    default: return Qt::ArrowCursor;
    }
}
