// Test support for the windowing layer (no toolkit headers needed).
//
//   TTestDialogs     answers message and input boxes from a script and
//                    records every box; unscripted boxes get their default
//                    button.
//   TTestModalForms  handles modal forms: each ShowModal runs the next
//                    scripted step with the form, which sets its
//                    ModalResult (or clicks, types, ...). A modal form with no
//                    step left is an error (EInvalidOperation "Unexpected
//                    modal form %s"), so a test never hangs on one.
//   TBeepCounter     counts beeps instead of sounding them.
//   TTestClipboard   an in-memory clipboard.
// Each installs itself while it lives and puts the previous service back.
//
// The input helpers send real toolkit key and mouse events to a control's
// window (as the user's typing and clicking would arrive), then let the
// event loop run once. Mouse coordinates are the control's client
// coordinates; a graphic control's events go to its parent's window.
#pragma once

#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/ui/clipboard.h"
#include "platform/ui/controls.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/forms.h"

class TBitmap;

class TTestDialogs : public TDialogService {
public:
    TTestDialogs();
    ~TTestDialogs() override;

    // The next message box answers Result.
    void Answer(TModalResult Result) { FAnswers.push_back(Result); }
    // The next input box is confirmed with Value (or cancelled).
    void AnswerInput(bool Ok, const std::string& Value = std::string());
    const std::vector<TMessageBoxRequest>& Messages() const { return FMessages; }
    int Count() const { return static_cast<int>(FMessages.size()); }
    // The last box shown; raises EInvalidOperation when there was none.
    const TMessageBoxRequest& Last() const;
    int InputCount() const { return FInputCount; }
    int PendingAnswers() const { return static_cast<int>(FAnswers.size()); }
    void Clear();

    TModalResult MessageBox(const TMessageBoxRequest& Request) override;
    bool InputQuery(const std::string& Caption, const std::string& Prompt, std::string& Value) override;

private:
    TDialogService* FPrevious;
    std::deque<TModalResult> FAnswers;
    std::deque<std::pair<bool, std::string>> FInputs;
    std::vector<TMessageBoxRequest> FMessages;
    int FInputCount = 0;
};

class TTestModalForms {
public:
    using TStep = std::function<void(TCustomForm*)>;
    TTestModalForms();
    ~TTestModalForms();
    void Push(TStep Step) { FSteps.push_back(std::move(Step)); }
    // A step that only sets the result.
    void PushResult(TModalResult Result);
    int Pending() const { return static_cast<int>(FSteps.size()); }
    // Class names of the forms shown modally, in order.
    const std::vector<std::string>& Shown() const { return FShown; }

    // Called by ShowModal once the form shows.
    void Run(TCustomForm* Form);

private:
    std::deque<TStep> FSteps;
    std::vector<std::string> FShown;
    TTestModalForms* FPrevious;
};
// The script in force, if any.
TTestModalForms* ActiveModalScript();

class TBeepCounter : public TSoundService {
public:
    TBeepCounter();
    ~TBeepCounter() override;
    int Count() const { return static_cast<int>(FTypes.size()); }
    unsigned LastType() const { return FTypes.empty() ? 0 : FTypes.back(); }
    void Reset() { FTypes.clear(); }
    void MessageBeep(unsigned Type) override { FTypes.push_back(Type); }

private:
    TSoundService* FPrevious;
    std::vector<unsigned> FTypes;
};

class TTestClipboard : public TClipboardService {
public:
    TTestClipboard();
    ~TTestClipboard() override;
    void SetData(const std::map<unsigned, std::string>& Data) override { FData = Data; }
    std::map<unsigned, std::string> GetData() override { return FData; }

private:
    TClipboardService* FPrevious;
    std::map<unsigned, std::string> FData;
};

// ---- Rendering ----------------------------------------------------------------------
// Paints the control (with its children) into Bitmap, sized to the control.
void RenderControl(TControl* Control, TBitmap* Bitmap);
// The same, written to a PNG file; false when the file cannot be written.
bool RenderControlToPng(TControl* Control, const std::string& FileName);
// What the screen shows of the windowed control now, as its window last
// painted it (nothing is painted again: a part left unpainted shows stale).
void GrabShownControl(TWinControl* Control, TBitmap* Bitmap);

// ---- Input ---------------------------------------------------------------------------
// Presses and releases a key on the control's window; the character comes
// from the key and the shift state (letters, digits, space, Enter, Tab,
// Escape, Backspace and Ctrl+letter).
void SendKey(TWinControl* Control, uint16_t Key, TShiftState Shift = {});
void SendKeyDown(TWinControl* Control, uint16_t Key, TShiftState Shift = {});
void SendKeyUp(TWinControl* Control, uint16_t Key, TShiftState Shift = {});
// Queues a key press and release on the control's window without letting the
// event loop run: the key waits as typed-ahead input.
void PostKey(TWinControl* Control, uint16_t Key, TShiftState Shift = {});
// Types the characters of a UTF-8 text, one key press each.
void SendText(TWinControl* Control, const std::string& Text);
// The same to the control that has the keyboard focus.
void SendKeyToFocus(uint16_t Key, TShiftState Shift = {});
void SendMouseDown(TControl* Control, TMouseButton Button, int X, int Y, TShiftState Shift = {});
void SendMouseUp(TControl* Control, TMouseButton Button, int X, int Y, TShiftState Shift = {});
void SendMouseMove(TControl* Control, int X, int Y, TShiftState Shift = {});
// Down and up at the point (no up when a handler of the down freed the control).
void SendClick(TControl* Control, int X, int Y, TMouseButton Button = mbLeft, TShiftState Shift = {});
// Down, up, double click, up at the point.
void SendDoubleClick(TControl* Control, int X, int Y, TShiftState Shift = {});
// One wheel notch is 120, positive away from the user.
void SendMouseWheel(TControl* Control, int Delta, int X, int Y, TShiftState Shift = {});
// Ends a drag of text over the control's window at the point as the toolkit
// delivers one: drag enter, drag move and drop, with the keys of Shift held.
// The drag carries DragSource's selection as a drag started there does when
// DragSource is given (a rich edit), else Text (with Rtf as its rich text,
// when given) as another program offers it.
// It allows copy and move; the toolkit proposes one from the keys. Answers
// the effect the drop took (deCopy, deMove of richedit.h; 0 when refused).
unsigned SendTextDrop(TWinControl* Control, int X, int Y, TShiftState Shift, TWinControl* DragSource,
                      const std::string& Text = std::string(), const std::string& Rtf = std::string());

// Lets the event loop handle what is waiting.
void ProcessEvents();
// Runs the event loop pass by pass, at most Passes times; true when a pass
// found nothing to do, false when something kept it busy throughout (a
// window repainted from its own painting, a message that posts itself).
bool EventLoopRests(int Passes = 200);
// Runs the event loop until Condition holds or Milliseconds pass; answers Condition.
bool WaitUntil(const std::function<bool()>& Condition, int Milliseconds);
// Makes the form the active window (as a click on its caption would).
void ActivateForm(TCustomForm* Form);
// What a window manager does with a window clicked: it becomes the active
// window and Control gets the keyboard, even a pop-up that would not take
// it. The event loop does not run.
void ActivateWindowOf(TWinControl* Control);
// A click on the window frame's close box.
void SendCloseBox(TCustomForm* Form);
// A click on the form's title bar as the window system reports one: the
// pointer moves there (MovePointerTo); while a window of the program grabs
// the pointer, the press and release go to that window, else the form gets a
// non-client press and release above its client area.
void SendFrameClick(TCustomForm* Form);
// Moves the pointer to the screen point as the window system does: the
// motion goes to the window that grabs the pointer, else to the program's
// window under the point, through the toolkit's window-system path (so a
// window a modal one blocks gets nothing).
void MovePointerTo(const TPoint& Screen);
// A left click at the screen point as the window system delivers it: the
// pointer moves there, then the press and release go to the window that
// grabs the pointer, else to the program's window under the point (nothing
// when a modal window blocks it or none is there).
void SendScreenClick(const TPoint& Screen);
// The window manager moves the form's window by (DX, DY), as a drag of its
// title bar does.
void MoveWindowOf(TCustomForm* Form, int DX, int DY);
// Another program's window takes the activation: none of the program's
// windows stays active.
void DeactivateWindows();
// The control that has the keyboard focus (nullptr when none).
TWinControl* FocusedControl();

// ---- Input method ---------------------------------------------------------------------
// What the control tells the toolkit's input method when asked (the
// object with the focus when the control has it, else its window): whether
// it may run there, and whether Latin input is asked for.
bool InputMethodEnabledFor(TWinControl* Control);
bool LatinInputAskedFor(TWinControl* Control);
// The window's own input-method attribute (the answer of a window that
// does not answer the question itself).
bool InputMethodAttributeOf(TWinControl* Control);
