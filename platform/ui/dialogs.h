// Message boxes, input boxes and the beep.
//
// They go through two services, each with a real implementation (toolkit
// dialogs, the system bell) that is installed by default and a test double
// (testing.h) that answers from a script and records what was asked.
//
// Message box captions follow the type: "Warning", "Error", "Information",
// "Confirm", and the application's title for mtCustom and ShowMessage. The
// default button is OK, else Yes, else the first button; Escape answers
// Cancel, else No, else OK. A Help button shows the help context and leaves
// the box open.
#pragma once

#include <string>

#include "platform/core/enums.h"
#include "platform/ui/forms.h"

TASKMOOR_ENUM(TMsgDlgType, mtWarning, mtError, mtInformation, mtConfirmation, mtCustom)
TASKMOOR_ENUM(TMsgDlgBtn, mbYes, mbNo, mbOK, mbCancel, mbAbort, mbRetry, mbIgnore, mbAll, mbNoToAll,
              mbYesToAll, mbHelp)
using TMsgDlgButtons = TSet<TMsgDlgBtn>;

inline const TMsgDlgButtons mbYesNoCancel{mbYes, mbNo, mbCancel};
inline const TMsgDlgButtons mbYesAllNoAllCancel{mbYes, mbYesToAll, mbNo, mbNoToAll, mbCancel};
inline const TMsgDlgButtons mbOKCancel{mbOK, mbCancel};
inline const TMsgDlgButtons mbAbortRetryIgnore{mbAbort, mbRetry, mbIgnore};
inline const TMsgDlgButtons mbAbortIgnore{mbAbort, mbIgnore};

// The modal result of a button (mbOK -> mrOk, ...); mrNone for mbHelp.
TModalResult ModalResultOf(TMsgDlgBtn Button);
// The caption of a button ("OK", "&Yes", "N&o to All", ...).
std::string ButtonCaption(TMsgDlgBtn Button);
// The caption of a message box of a type ("Warning", ...; the application
// title for mtCustom).
std::string MessageDlgCaption(TMsgDlgType DlgType);

// What a message box shows.
struct TMessageBoxRequest {
    std::string Caption;
    std::string Text;
    TMsgDlgType DlgType = mtInformation;
    TMsgDlgButtons Buttons;
    THelpContext HelpContext = 0;
    TMsgDlgBtn DefaultButton = mbOK;  // answered by Enter
    TMsgDlgBtn CancelButton = mbOK;   // answered by Escape and by closing
    int X = -1, Y = -1;               // screen position; -1: centred
};

// Shows message and input boxes.
class TDialogService {
public:
    virtual ~TDialogService() = default;
    // Shows the box modally; answers the modal result of the button chosen.
    virtual TModalResult MessageBox(const TMessageBoxRequest& Request) = 0;
    // Asks for a line of text; true and Value changed when confirmed.
    virtual bool InputQuery(const std::string& Caption, const std::string& Prompt, std::string& Value) = 0;
};
// Makes the beeps.
class TSoundService {
public:
    virtual ~TSoundService() = default;
    virtual void MessageBeep(unsigned Type) = 0;
};

TDialogService& DialogService();
// Installs a service (nullptr: the real one); answers the one it replaces.
TDialogService* SetDialogService(TDialogService* Service);
TSoundService& SoundService();
TSoundService* SetSoundService(TSoundService* Service);

// The box for Msg with the type's caption and the buttons; answers the
// modal result.
int MessageDlg(const std::string& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons, THelpContext HelpCtx);
int MessageDlgPos(const std::string& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons, THelpContext HelpCtx,
                  int X, int Y);
// An OK box with the application's title.
void ShowMessage(const std::string& Msg);
bool InputQuery(const std::string& ACaption, const std::string& APrompt, std::string& Value);
// The text entered, or ADefault when cancelled.
std::string InputBox(const std::string& ACaption, const std::string& APrompt, const std::string& ADefault);
// Sound types of MessageBeep: 0 (default), MB_ICONSTOP, ... or 0xFFFFFFFF.
void MessageBeep(unsigned Type);
void Beep();
