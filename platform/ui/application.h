// The application object and the screen.
//
// InitializeApplication brings up the windowing system and creates the two
// globals, Application and Screen; FinalizeApplication frees the forms the
// application owns and takes everything down again. A program:
//
//   InitializeApplication(argc, argv);
//   Application->Initialize();
//   Application->SetTitle("...");
//   Application->CreateForm(frmMain);
//   Application->Run();
//   FinalizeApplication();
//
// Application->HandleException is where every exception that leaves an
// event handler ends: OnException when assigned, else an error box with the
// exception's text, to which a "." is added when its last character sorts
// after "." (so "Record is not found." and "Close?." but "No data found!");
// EAbort is silent.
#pragma once

#include <string>
#include <vector>

#include "platform/core/component.h"
#include "platform/core/events.h"
#include "platform/core/exceptions.h"
#include "platform/ui/controls.h"
#include "platform/ui/forms.h"

using TExceptionEvent = TEvent<TObject*, Exception&>;
// Command, Data, CallHelp (set false to stop the help system), Result.
using THelpEvent = TEvent<uint16_t, intptr_t, bool&, bool&>;
using TIdleEvent = TEvent<TObject*, bool&>;

// Help commands of OnHelp.
constexpr uint16_t HELP_CONTEXT = 0x0001, HELP_QUIT = 0x0002, HELP_CONTENTS = 0x0003, HELP_KEY = 0x0101,
                   HELP_COMMAND = 0x0102;

// Windows-style message box flags and answers (Application->MessageBox).
constexpr unsigned MB_OK = 0x00, MB_OKCANCEL = 0x01, MB_ABORTRETRYIGNORE = 0x02, MB_YESNOCANCEL = 0x03,
                   MB_YESNO = 0x04, MB_RETRYCANCEL = 0x05, MB_ICONHAND = 0x10, MB_ICONSTOP = 0x10,
                   MB_ICONERROR = 0x10, MB_ICONQUESTION = 0x20, MB_ICONEXCLAMATION = 0x30,
                   MB_ICONWARNING = 0x30, MB_ICONASTERISK = 0x40, MB_ICONINFORMATION = 0x40,
                   MB_DEFBUTTON1 = 0x000, MB_DEFBUTTON2 = 0x100, MB_DEFBUTTON3 = 0x200;
constexpr int IDOK = 1, IDCANCEL = 2, IDABORT = 3, IDRETRY = 4, IDIGNORE = 5, IDYES = 6, IDNO = 7;

class TApplication : public TComponent {
    TASKMOOR_CLASS(TApplication, TComponent)
public:
    explicit TApplication(TComponent* AOwner);
    ~TApplication() override;

    void Initialize() {}
    // Default: the executable's name without its extension.
    std::string Title() const;
    void SetTitle(const std::string& Value) { FTitle = Value; }
    // The program file's full path.
    std::string ExeName() const;
    TCustomForm* MainForm() const { return FMainForm; }

    // Makes a form of class T owned by the application; the first one made
    // this way becomes the main form.
    template <class T>
    void CreateForm(T*& Reference) {
        Reference = new T(this);
        Reference->AfterConstruction();
        if (!FMainForm) FMainForm = Reference;
    }

    // Shows the main form and runs the event loop until Terminate.
    void Run();
    // Handles the events that are waiting, then returns.
    void ProcessMessages();
    // Waits for an event and handles it (with the idle work when the queue
    // is empty).
    void HandleMessage();
    void Terminate();
    bool Terminated() const { return FTerminated; }
    // Minimises and restores all forms; brings the active one forward.
    void Minimize();
    void Restore();
    void BringToFront();
    bool Active() const;

    // ---- Exceptions
    // Handles the exception being thrown (call it inside a catch block).
    void HandleException(TObject* Sender);
    void ShowException(const Exception& E);
    TExceptionEvent OnException() const { return FOnException; }
    void SetOnException(TExceptionEvent Value) { FOnException = Value; }

    // ---- Message boxes: Flags are MB_* values; answers an ID* value.
    int MessageBox(const std::string& Text, const std::string& Caption, unsigned Flags = MB_OK);

    // ---- Help
    std::string HelpFile() const { return FHelpFile; }
    void SetHelpFile(const std::string& Value) { FHelpFile = Value; }
    // OnHelp, then the help system; true when help was shown.
    bool HelpContext(THelpContext Context);
    bool HelpKeyword(const std::string& Keyword);
    bool HelpJump(const std::string& Topic);
    bool HelpCommand(uint16_t Command, intptr_t Data);
    THelpEvent OnHelp() const { return FOnHelp; }
    void SetOnHelp(THelpEvent Value) { FOnHelp = Value; }

    // ---- Hints
    // The long hint of the control under the mouse (OnHint fires on change).
    std::string Hint() const { return FHint; }
    void SetHint(const std::string& Value);
    bool ShowHint() const { return FShowHint; }
    void SetShowHint(bool Value);
    int HintPause() const { return FHintPause; }
    void SetHintPause(int Value) { FHintPause = Value; }
    int HintHidePause() const { return FHintHidePause; }
    void SetHintHidePause(int Value) { FHintHidePause = Value; }
    TColor HintColor() const { return FHintColor; }
    void SetHintColor(TColor Value) { FHintColor = Value; }
    // Hides a hint that shows.
    void CancelHint();
    // Shows the short hint of Control at a screen point (when hints are on).
    void ActivateHint(TControl* Control, const TPoint& ScreenPos);
    TNotifyEvent OnHint() const { return FOnHint; }
    void SetOnHint(TNotifyEvent Value) { FOnHint = Value; }
    TIdleEvent OnIdle() const { return FOnIdle; }
    void SetOnIdle(TIdleEvent Value) { FOnIdle = Value; }

    // Modal loops running now.
    int ModalLevel() const { return FModalLevel; }
    void ModalStarted() { ++FModalLevel; }
    void ModalFinished() {
        if (FModalLevel > 0) --FModalLevel;
    }

    // Mouse moves reach here first (hints follow the control under the mouse).
    void NoteMouseControl(TControl* Control);
    // A control is being destroyed: forget it.
    void ControlDestroyed(TControl* Control);

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    void Idle();
    std::string FTitle;
    TCustomForm* FMainForm = nullptr;
    bool FTerminated = false;
    std::string FHelpFile;
    std::string FHint;
    bool FShowHint = true;
    int FHintPause = 500;
    int FHintHidePause = 2500;
    TColor FHintColor = clInfoBk;
    TControl* FMouseControl = nullptr;
    int FModalLevel = 0;
    TExceptionEvent FOnException;
    THelpEvent FOnHelp;
    TNotifyEvent FOnHint;
    TIdleEvent FOnIdle;
};

class TScreen : public TComponent {
    TASKMOOR_CLASS(TScreen, TComponent)
public:
    explicit TScreen(TComponent* AOwner);
    ~TScreen() override;

    // The form that has (or last had) the keyboard, the innermost modal form
    // while one shows.
    TCustomForm* ActiveForm() const { return FActiveForm; }
    TCustomForm* ActiveCustomForm() const { return FActiveForm; }
    TWinControl* ActiveControl() const;
    int FormCount() const { return static_cast<int>(FForms.size()); }
    TCustomForm* Forms(int Index) const;
    // The cursor shown everywhere; crDefault lets each control show its own.
    TCursor Cursor() const { return FCursor; }
    void SetCursor(TCursor Value);
    int Width() const;
    int Height() const;
    int PixelsPerInch() const { return 96; }
    TRect WorkAreaRect() const;
    // A window's outer bounds made to fit the work area: no larger than it,
    // and moved onto it when partly off it (centred when Centre). Bounds
    // already on it come back as they are.
    TRect FitToWorkArea(const TRect& Bounds, bool Centre) const;
    TNotifyEvent OnActiveFormChange() const { return FOnActiveFormChange; }
    void SetOnActiveFormChange(TNotifyEvent Value) { FOnActiveFormChange = Value; }
    TNotifyEvent OnActiveControlChange() const { return FOnActiveControlChange; }
    void SetOnActiveControlChange(TNotifyEvent Value) { FOnActiveControlChange = Value; }

    // Kept up to date by the forms.
    void AddForm(TCustomForm* Form);
    void RemoveForm(TCustomForm* Form);
    void SetActiveForm(TCustomForm* Form);
    void ActiveControlChanged();
    // Moves Form to the front of the list (forms are kept front to back).
    void BringFormForward(TCustomForm* Form);

private:
    std::vector<TCustomForm*> FForms;
    TCustomForm* FActiveForm = nullptr;
    TCursor FCursor = crDefault;
    TNotifyEvent FOnActiveFormChange, FOnActiveControlChange;
};

extern TApplication* Application;
extern TScreen* Screen;

// The screen's cursor set for the length of a scope (when Active), and put
// back after it.
class TCursorScope {
public:
    explicit TCursorScope(TCursor Cursor, bool Active = true)
        : FActive(Active && Screen), FSaved(FActive ? Screen->Cursor() : crDefault) {
        if (FActive) Screen->SetCursor(Cursor);
    }
    ~TCursorScope() {
        if (FActive && Screen) Screen->SetCursor(FSaved);
    }
    TCursorScope(const TCursorScope&) = delete;
    TCursorScope& operator=(const TCursorScope&) = delete;

private:
    bool FActive;
    TCursor FSaved;
};

// Brings up the windowing system (once) and creates Application and Screen.
// The windowing system is the one the environment names: a display
// (DISPLAY, WAYLAND_DISPLAY) or the platform QT_QPA_PLATFORM chooses.
void InitializeApplication(int argc, char** argv);
// True when the environment names a display or a windowing platform.
bool DisplayAvailable();
// For tests, fuzzers and benchmarks, before InitializeApplication: the
// windows go off the screen unless QT_QPA_PLATFORM names a platform.
void ChooseOffscreenPlatform();
// Frees Application (and the forms it owns) and Screen.
void FinalizeApplication();
// Ends the process at once, without freeing what it holds: for the end of a
// run whose files are all whole and synced. Standard output and error are
// flushed; the system takes back the memory, the windows, the connections
// and the locks. False, with nothing done, while the application holds what
// is on the clipboard: the toolkit hands that to the desktop only when it
// is finalized.
bool EndProcessNow(int ExitCode);
