// Window messages, virtual key codes and shift states.
//
// Every input and paint event reaches a control as a TMessage: a message
// number with two parameters and a result, dispatched through the control's
// WndProc and Dispatch (controls.h). Window messages (WM_*) carry the numbers
// the Win32 API gives them; component messages (CM_*) and notification
// messages (CN_*) are the class library's own; RegisterWindowMessage hands out
// numbers for named messages shared between controls. Sent messages
// (Perform, SendMessage) run at once; posted ones (PostMessage) run in order
// when the event loop next gets to them.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "platform/core/enums.h"
#include "platform/ui/geometry.h"

class TWinControl;
struct TNativeEvent;  // the toolkit event behind an input or paint message

using WPARAM = uintptr_t;
using LPARAM = intptr_t;
using LRESULT = intptr_t;

struct TMessage {
    unsigned Msg = 0;
    WPARAM WParam = 0;
    LPARAM LParam = 0;
    LRESULT Result = 0;
    // Set while the message stands for a toolkit event; the default handling
    // hands that event to the toolkit widget.
    TNativeEvent* Native = nullptr;

    uint16_t WParamLo() const { return static_cast<uint16_t>(WParam & 0xFFFF); }
    uint16_t WParamHi() const { return static_cast<uint16_t>((WParam >> 16) & 0xFFFF); }
    uint16_t LParamLo() const { return static_cast<uint16_t>(LParam & 0xFFFF); }
    uint16_t LParamHi() const {
        return static_cast<uint16_t>((static_cast<uintptr_t>(LParam) >> 16) & 0xFFFF);
    }
};

// ---- Window messages ---------------------------------------------------------
constexpr unsigned WM_NULL = 0x0000;
constexpr unsigned WM_CREATE = 0x0001;
constexpr unsigned WM_DESTROY = 0x0002;
constexpr unsigned WM_MOVE = 0x0003;
constexpr unsigned WM_SIZE = 0x0005;
constexpr unsigned WM_ACTIVATE = 0x0006;
constexpr unsigned WM_SETFOCUS = 0x0007;
constexpr unsigned WM_KILLFOCUS = 0x0008;
constexpr unsigned WM_ENABLE = 0x000A;
constexpr unsigned WM_SETREDRAW = 0x000B;
constexpr unsigned WM_SETTEXT = 0x000C;
constexpr unsigned WM_GETTEXT = 0x000D;
constexpr unsigned WM_GETTEXTLENGTH = 0x000E;
constexpr unsigned WM_PAINT = 0x000F;
constexpr unsigned WM_CLOSE = 0x0010;
constexpr unsigned WM_QUIT = 0x0012;
constexpr unsigned WM_ERASEBKGND = 0x0014;
constexpr unsigned WM_SHOWWINDOW = 0x0018;
constexpr unsigned WM_CANCELMODE = 0x001F;
constexpr unsigned WM_SETCURSOR = 0x0020;
constexpr unsigned WM_MOUSEACTIVATE = 0x0021;
constexpr unsigned WM_NEXTDLGCTL = 0x0028;
constexpr unsigned WM_WINDOWPOSCHANGED = 0x0047;
constexpr unsigned WM_NOTIFY = 0x004E;
constexpr unsigned WM_HELP = 0x0053;
constexpr unsigned WM_CONTEXTMENU = 0x007B;
constexpr unsigned WM_NCDESTROY = 0x0082;
constexpr unsigned WM_NCHITTEST = 0x0084;
constexpr unsigned WM_GETDLGCODE = 0x0087;
constexpr unsigned WM_NCLBUTTONDOWN = 0x00A1;
constexpr unsigned WM_KEYDOWN = 0x0100;
constexpr unsigned WM_KEYUP = 0x0101;
constexpr unsigned WM_CHAR = 0x0102;
constexpr unsigned WM_SYSKEYDOWN = 0x0104;
constexpr unsigned WM_SYSKEYUP = 0x0105;
constexpr unsigned WM_SYSCHAR = 0x0106;
constexpr unsigned WM_INITDIALOG = 0x0110;
constexpr unsigned WM_COMMAND = 0x0111;
constexpr unsigned WM_SYSCOMMAND = 0x0112;
constexpr unsigned WM_TIMER = 0x0113;
constexpr unsigned WM_HSCROLL = 0x0114;
constexpr unsigned WM_VSCROLL = 0x0115;
constexpr unsigned WM_MOUSEMOVE = 0x0200;
constexpr unsigned WM_LBUTTONDOWN = 0x0201;
constexpr unsigned WM_LBUTTONUP = 0x0202;
constexpr unsigned WM_LBUTTONDBLCLK = 0x0203;
constexpr unsigned WM_RBUTTONDOWN = 0x0204;
constexpr unsigned WM_RBUTTONUP = 0x0205;
constexpr unsigned WM_RBUTTONDBLCLK = 0x0206;
constexpr unsigned WM_MBUTTONDOWN = 0x0207;
constexpr unsigned WM_MBUTTONUP = 0x0208;
constexpr unsigned WM_MBUTTONDBLCLK = 0x0209;
constexpr unsigned WM_MOUSEWHEEL = 0x020A;
constexpr unsigned WM_MOUSEFIRST = WM_MOUSEMOVE;
constexpr unsigned WM_MOUSELAST = WM_MOUSEWHEEL;
constexpr unsigned WM_KEYFIRST = WM_KEYDOWN;
constexpr unsigned WM_KEYLAST = 0x0108;
constexpr unsigned WM_CAPTURECHANGED = 0x0215;
constexpr unsigned WM_MOUSELEAVE = 0x02A3;
constexpr unsigned WM_CUT = 0x0300;
constexpr unsigned WM_COPY = 0x0301;
constexpr unsigned WM_PASTE = 0x0302;
constexpr unsigned WM_CLEAR = 0x0303;
constexpr unsigned WM_UNDO = 0x0304;
constexpr unsigned WM_USER = 0x0400;
constexpr unsigned WM_APP = 0x8000;

// ---- Component messages --------------------------------------------------------
constexpr unsigned CM_BASE = 0xB000;
constexpr unsigned CM_ACTIVATE = CM_BASE + 0;
constexpr unsigned CM_DEACTIVATE = CM_BASE + 1;
constexpr unsigned CM_CANCELMODE = CM_BASE + 4;    // LParam: the control that cancels
constexpr unsigned CM_DIALOGKEY = CM_BASE + 5;     // WParam: key, LParam: key data
constexpr unsigned CM_DIALOGCHAR = CM_BASE + 6;    // WParam: character
constexpr unsigned CM_FOCUSCHANGED = CM_BASE + 7;  // LParam: the newly focused control
constexpr unsigned CM_PARENTFONTCHANGED = CM_BASE + 8;
constexpr unsigned CM_PARENTCOLORCHANGED = CM_BASE + 9;
constexpr unsigned CM_VISIBLECHANGED = CM_BASE + 11;
constexpr unsigned CM_ENABLEDCHANGED = CM_BASE + 12;
constexpr unsigned CM_COLORCHANGED = CM_BASE + 13;
constexpr unsigned CM_FONTCHANGED = CM_BASE + 14;
constexpr unsigned CM_CURSORCHANGED = CM_BASE + 15;
constexpr unsigned CM_TEXTCHANGED = CM_BASE + 18;
constexpr unsigned CM_MOUSEENTER = CM_BASE + 19;
constexpr unsigned CM_MOUSELEAVE = CM_BASE + 20;
constexpr unsigned CM_BUTTONPRESSED = CM_BASE + 24;
constexpr unsigned CM_SHOWINGCHANGED = CM_BASE + 25;
constexpr unsigned CM_ENTER = CM_BASE + 26;
constexpr unsigned CM_EXIT = CM_BASE + 27;
constexpr unsigned CM_WANTSPECIALKEY = CM_BASE + 30;  // WParam: key; non-zero Result keeps it
constexpr unsigned CM_INVOKEHELP = CM_BASE + 31;
constexpr unsigned CM_RELEASE = CM_BASE + 33;
constexpr unsigned CM_SHOWHINTCHANGED = CM_BASE + 34;
constexpr unsigned CM_PARENTSHOWHINTCHANGED = CM_BASE + 35;
constexpr unsigned CM_TABSTOPCHANGED = CM_BASE + 40;
// WParam: the control, LParam: 1 inserting (before; an exception refuses
// it), 0 removed (after).
constexpr unsigned CM_CONTROLLISTCHANGE = CM_BASE + 44;
// WParam: the control, LParam: 1 inserted (after), 0 removing (before).
constexpr unsigned CM_CONTROLCHANGE = CM_BASE + 36;
constexpr unsigned CM_GETDATALINK = CM_BASE + 45;
constexpr unsigned CM_CHILDKEY = CM_BASE + 46;  // WParam: key, LParam: the control
constexpr unsigned CM_HINTSHOW = CM_BASE + 48;
constexpr unsigned CM_RECREATEWND = CM_BASE + 50;
constexpr unsigned CM_BIDIMODECHANGED = CM_BASE + 60;
constexpr unsigned CM_PARENTBIDIMODECHANGED = CM_BASE + 61;

// ---- Notification messages (a control's own copy of a window message) -----------
constexpr unsigned CN_BASE = 0xBC00;
constexpr unsigned CN_COMMAND = CN_BASE + WM_COMMAND;
constexpr unsigned CN_NOTIFY = CN_BASE + WM_NOTIFY;
constexpr unsigned CN_KEYDOWN = CN_BASE + WM_KEYDOWN;  // before WM_KEYDOWN; non-zero Result eats the key
constexpr unsigned CN_KEYUP = CN_BASE + WM_KEYUP;
constexpr unsigned CN_CHAR = CN_BASE + WM_CHAR;
constexpr unsigned CN_SYSKEYDOWN = CN_BASE + WM_SYSKEYDOWN;
constexpr unsigned CN_SYSCHAR = CN_BASE + WM_SYSCHAR;

// Numbers handed out by RegisterWindowMessage.
constexpr unsigned MSG_REGISTERED_FIRST = 0xC000;
constexpr unsigned MSG_REGISTERED_LAST = 0xFFFF;

// The message number for a name, the same for every caller that uses the
// name (letter case ignored); 0 for an empty name.
unsigned RegisterWindowMessage(const std::string& Name);

// ---- Parameters ----------------------------------------------------------------
// WM_GETDLGCODE answers: the keys a control keeps instead of the dialog.
constexpr LRESULT DLGC_WANTARROWS = 0x0001;
constexpr LRESULT DLGC_WANTTAB = 0x0002;
constexpr LRESULT DLGC_WANTALLKEYS = 0x0004;
constexpr LRESULT DLGC_WANTCHARS = 0x0080;

// Mouse message WParam flags.
constexpr WPARAM MK_LBUTTON = 0x0001;
constexpr WPARAM MK_RBUTTON = 0x0002;
constexpr WPARAM MK_SHIFT = 0x0004;
constexpr WPARAM MK_CONTROL = 0x0008;
constexpr WPARAM MK_MBUTTON = 0x0010;

// Key message LParam ("key data") bits.
constexpr LPARAM KF_ALTDOWN_BIT = LPARAM(1) << 29;
constexpr LPARAM KF_REPEAT_BIT = LPARAM(1) << 30;
constexpr LPARAM KF_UP_BIT = LPARAM(1) << 31;

// WM_HSCROLL / WM_VSCROLL codes (low word of WParam; position in the high word).
constexpr int SB_LINEUP = 0, SB_LINELEFT = 0, SB_LINEDOWN = 1, SB_LINERIGHT = 1, SB_PAGEUP = 2,
              SB_PAGELEFT = 2, SB_PAGEDOWN = 3, SB_PAGERIGHT = 3, SB_THUMBPOSITION = 4, SB_THUMBTRACK = 5,
              SB_TOP = 6, SB_LEFT = 6, SB_BOTTOM = 7, SB_RIGHT = 7, SB_ENDSCROLL = 8;
// Scroll bars of a window.
constexpr int SB_HORZ = 0, SB_VERT = 1, SB_BOTH = 3;

// Scroll bar state as the windowing system keeps it (SetScrollInfo): the
// thumb moves from Min to Max - Page + 1 (to Max without a page). fMask
// names the fields that count.
constexpr unsigned SIF_RANGE = 0x1, SIF_PAGE = 0x2, SIF_POS = 0x4, SIF_DISABLENOSCROLL = 0x8,
                   SIF_TRACKPOS = 0x10, SIF_ALL = SIF_RANGE | SIF_PAGE | SIF_POS | SIF_TRACKPOS;
struct TScrollInfo {
    unsigned fMask = SIF_ALL;
    int nMin = 0;
    int nMax = 0;
    unsigned nPage = 0;
    int nPos = 0;
    int nTrackPos = 0;
};

// WM_SIZE kinds.
constexpr WPARAM SIZE_RESTORED = 0, SIZE_MINIMIZED = 1, SIZE_MAXIMIZED = 2;

// Packing of mouse positions and two words.
constexpr LPARAM MakeLParam(int Lo, int Hi) {
    return static_cast<LPARAM>(static_cast<uint32_t>((static_cast<uint32_t>(Lo) & 0xFFFF) |
                                                     ((static_cast<uint32_t>(Hi) & 0xFFFF) << 16)));
}
constexpr WPARAM MakeWParam(int Lo, int Hi) {
    return static_cast<WPARAM>(static_cast<uint32_t>(MakeLParam(Lo, Hi)));
}
// The signed client position of a mouse message.
inline TPoint MousePos(const TMessage& M) {
    return {static_cast<int16_t>(M.LParam & 0xFFFF), static_cast<int16_t>((M.LParam >> 16) & 0xFFFF)};
}

// ---- Virtual keys --------------------------------------------------------------
// Letters and digits are their upper-case ASCII codes ('A', '0').
constexpr uint16_t VK_LBUTTON = 0x01, VK_RBUTTON = 0x02, VK_CANCEL = 0x03, VK_MBUTTON = 0x04, VK_BACK = 0x08,
                   VK_TAB = 0x09, VK_CLEAR = 0x0C, VK_RETURN = 0x0D, VK_SHIFT = 0x10, VK_CONTROL = 0x11,
                   VK_MENU = 0x12, VK_PAUSE = 0x13, VK_CAPITAL = 0x14, VK_ESCAPE = 0x1B, VK_SPACE = 0x20,
                   VK_PRIOR = 0x21, VK_NEXT = 0x22, VK_END = 0x23, VK_HOME = 0x24, VK_LEFT = 0x25,
                   VK_UP = 0x26, VK_RIGHT = 0x27, VK_DOWN = 0x28, VK_SELECT = 0x29, VK_PRINT = 0x2A,
                   VK_EXECUTE = 0x2B, VK_SNAPSHOT = 0x2C, VK_INSERT = 0x2D, VK_DELETE = 0x2E, VK_HELP = 0x2F,
                   VK_LWIN = 0x5B, VK_RWIN = 0x5C, VK_APPS = 0x5D, VK_NUMPAD0 = 0x60, VK_NUMPAD1 = 0x61,
                   VK_NUMPAD2 = 0x62, VK_NUMPAD3 = 0x63, VK_NUMPAD4 = 0x64, VK_NUMPAD5 = 0x65,
                   VK_NUMPAD6 = 0x66, VK_NUMPAD7 = 0x67, VK_NUMPAD8 = 0x68, VK_NUMPAD9 = 0x69,
                   VK_MULTIPLY = 0x6A, VK_ADD = 0x6B, VK_SEPARATOR = 0x6C, VK_SUBTRACT = 0x6D,
                   VK_DECIMAL = 0x6E, VK_DIVIDE = 0x6F, VK_F1 = 0x70, VK_F2 = 0x71, VK_F3 = 0x72,
                   VK_F4 = 0x73, VK_F5 = 0x74, VK_F6 = 0x75, VK_F7 = 0x76, VK_F8 = 0x77, VK_F9 = 0x78,
                   VK_F10 = 0x79, VK_F11 = 0x7A, VK_F12 = 0x7B, VK_NUMLOCK = 0x90, VK_SCROLL = 0x91,
                   VK_OEM_1 = 0xBA, VK_OEM_PLUS = 0xBB, VK_OEM_COMMA = 0xBC, VK_OEM_MINUS = 0xBD,
                   VK_OEM_PERIOD = 0xBE, VK_OEM_2 = 0xBF, VK_OEM_3 = 0xC0, VK_OEM_4 = 0xDB, VK_OEM_5 = 0xDC,
                   VK_OEM_6 = 0xDD, VK_OEM_7 = 0xDE;
// The key of a typed character that has no key of its own (a letter outside
// A-Z): its release comes as this key.
constexpr uint16_t VK_PACKET = 0xE7;

// ---- Shift state ---------------------------------------------------------------
TASKMOOR_ENUM(TShiftStateElement, ssShift, ssAlt, ssCtrl, ssLeft, ssRight, ssMiddle, ssDouble)
using TShiftState = TSet<TShiftStateElement>;

TASKMOOR_ENUM(TMouseButton, mbLeft, mbRight, mbMiddle)

// The keyboard and mouse state: that of the input event being handled, else
// the last one seen. High bit set (negative) when down.
int16_t GetKeyState(int VirtKey);
// Shift, Ctrl and Alt (and the mouse buttons) as a shift state.
TShiftState GetShiftState();
// The shift state of key message key data: Alt from the data, Shift and Ctrl
// from the keyboard state.
TShiftState KeyDataToShiftState(LPARAM KeyData);
// The shift state of a mouse message WParam.
TShiftState KeysToShiftState(WPARAM Keys);

// ---- Shortcuts (menus and actions) ---------------------------------------------
using TShortCut = uint16_t;
constexpr TShortCut scShift = 0x2000, scCtrl = 0x4000, scAlt = 0x8000, scNone = 0;
TShortCut ShortCut(uint16_t Key, TShiftState Shift);
void ShortCutToKey(TShortCut ShortCut, uint16_t& Key, TShiftState& Shift);

// ---- Queue ---------------------------------------------------------------------
// Sends a message to a control: runs its WndProc now and answers the Result.
LRESULT SendMessage(TWinControl* Control, unsigned Msg, WPARAM WParam, LPARAM LParam);
// Queues a message for a control; it runs when the event loop gets to it
// (after messages posted before it). False without a control. Messages still
// queued for a control that is destroyed are dropped.
bool PostMessage(TWinControl* Control, unsigned Msg, WPARAM WParam, LPARAM LParam);
// Looks for a waiting message of Control (any control when nullptr) whose
// number lies in [FilterMin, FilterMax] (0, 0: any): a posted message, or the
// character that follows the key-down being handled. Copies it into Msg and,
// with Remove, takes it off the queue.
bool PeekMessage(TMessage& Msg, TWinControl* Control, unsigned FilterMin, unsigned FilterMax, bool Remove);
// Number of posted messages still waiting.
int PostedMessageCount();

// ---- Input during long operations ----------------------------------------------
// For a long operation that lets the user press Escape to stop it: takes one
// waiting Escape key press off the input (a posted WM_KEYDOWN of VK_ESCAPE or
// a key press of the windowing system) and answers True; False when none was
// waiting. Every other waiting key, mouse and posted message stays queued, in
// its order, for the event loop to handle later.
bool TakePendingEscape();

// ---- Mouse hooks ---------------------------------------------------------------------
// Called for every mouse button press (and double click) before the control
// under the mouse gets it: the message number, the screen point and that
// control. Answers an identifier for RemoveMouseHook.
using TMouseHookProc = std::function<void(unsigned Msg, const TPoint& ScreenPos, TWinControl* Target)>;
int AddMouseHook(TMouseHookProc Hook);
void RemoveMouseHook(int Id);

// ---- Keyboard hooks ------------------------------------------------------------------
// Called for every key press and release of the GUI thread before the
// focused control gets it: the virtual key, the shift state and whether the
// key is released. A hook that answers True consumes the key (the control
// never sees it). Answers an identifier for RemoveKeyboardHook.
using TKeyboardHookProc = std::function<bool(uint16_t Key, TShiftState Shift, bool KeyUp)>;
int AddKeyboardHook(TKeyboardHookProc Hook);
void RemoveKeyboardHook(int Id);
int KeyboardHookCount();
// The input method of the focused window is composing text (never
// offscreen); a test may put its own answer (nullptr: the default).
bool InputMethodOpen();
void SetInputMethodOpenTest(std::function<bool()> Test);
// The control whose window holds the keyboard focus (nullptr: none).
TWinControl* FocusedWinControl();
