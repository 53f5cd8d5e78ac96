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

// Runs the program; answers the process's exit code. Without a display it
// says so and answers 1.
int RunTaskmoor(int argc, char** argv);
