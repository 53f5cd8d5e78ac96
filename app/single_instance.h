// Only one copy of the program runs at a time.
//
// The first copy claims a local socket named after the application title
// (and the user), which stands in for a named mutex: a later copy finds the
// name taken, connects to the running copy and asks it to show itself, then
// ends. The running copy restores its main window when minimised and brings
// it to the front. The socket lives in the abstract namespace, so it goes
// away with the process: a crashed copy leaves nothing behind that could
// stop the next start.
#pragma once

#include <string>

// A connection to the running copy; NoInstanceWindow when there is none.
using TInstanceWindow = int;
inline constexpr TInstanceWindow NoInstanceWindow = -1;

// The single-instance check: True when a copy of the program already runs
// (it has then been asked to come forward). False makes this process the
// running copy, which from now on answers later copies.
bool IsAnotherInstance();
// Claims the name; True when another process holds it already. A failure
// other than that answers False (the program behaves as the only copy).
bool CreateInstanceMutex();
// Connects to the running copy; NoInstanceWindow when none answers.
TInstanceWindow FindOtherInstanceWindow();
// Asks the running copy behind Window to show its window and closes the
// connection; True when it confirmed.
bool BringInstanceForward(TInstanceWindow Window);
// Gives the name up (program end).
void CloseInstanceMutex();

// The name claimed, from the application's title.
std::string InstanceName();
// Requests from later copies that this process has answered.
int InstanceRequestsAnswered();
// Handles waiting requests now (the event loop does it every 200 ms).
void AnswerInstanceRequests();
