// Program start and end.
//
// StartProgramUnits runs once at start: it keeps the platform's currency
// symbol and makes currency amounts come out without a symbol and with two
// decimals; FinishProgramUnits undoes it and gives the single-instance name
// up. RunTaskmoor is the program's entry: the application object with its
// title, the single-instance check, the forms that live for the whole run
// and the event loop.
#pragma once

#include <string>

// The program's title, also the name of its single-instance lock.
inline constexpr const char* TaskmoorTitle = "Brindlecote Taskmoor";

void StartProgramUnits();
void FinishProgramUnits();
// True puts the kept currency symbol back; False empties the platform's.
void SetCurrencySymbol(bool Restore);

// The program's start on an initialised application: its title (which
// names the single-instance lock), the single-instance check, the services
// and the forms that live for the whole run. False when another copy runs:
// then nothing is made.
bool StartTaskmoor(const std::string& Title = TaskmoorTitle);
// After the event loop: takes the services down (the forms go with the
// application).
void EndTaskmoor();

// The end of a run after its event loop (Started: StartTaskmoor made the
// forms): the services go, then the process. Every file the run wrote went
// through an atomic writer, whole and synced, before the loop ended, so a
// build without sanitizers ends the process there and leaves the freeing of
// the tables to the system; a sanitizer build frees everything, so that its
// leak check sees the whole run, and so does a run that holds the clipboard.
// Answers the exit code when it returns.
int EndTaskmoorRun(bool Started);

// Runs the program; answers the process's exit code. Without a display it
// says so and answers 1.
int RunTaskmoor(int argc, char** argv);
