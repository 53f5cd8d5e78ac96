// Only one copy of the program runs at a time, per user and display.
//
// The check stands on the platform's single-instance service: the first copy
// claims the name made of the application's title, the user and the display
// (a lock and a socket in the user's private runtime folder), which stands in
// for a named mutex. A later copy finds the name taken, connects to the
// running copy and asks it to show itself, then ends. The running copy
// restores its main window when minimised and brings it to the front.
#pragma once

#include <string>

#include "platform/core/local_socket.h"

// A connection to the running copy; not Valid() when there is none.
using TInstanceWindow = TLocalSocket;

// The single-instance check: True when a copy of the program already runs
// (it has then been asked to come forward). False makes this process the
// running copy, which from now on answers later copies.
bool IsAnotherInstance();
// Claims the name; True when another process holds it already. A failure
// other than that answers False (the program behaves as the only copy).
bool CreateInstanceMutex();
// Connects to the running copy; an invalid connection when none answers.
TInstanceWindow FindOtherInstanceWindow();
// Asks the running copy behind Window to show its window and closes the
// connection; True when it confirmed.
bool BringInstanceForward(TInstanceWindow& Window);
// Gives the name up (program end).
void CloseInstanceMutex();

// The name claimed: title, user and display.
std::string InstanceName();
// Requests from later copies that this process has answered.
int InstanceRequestsAnswered();
