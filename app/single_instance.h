// Only one copy of the program runs at a time, per user and display.
//
// The check stands on the platform's single-instance service: the first copy
// claims the name made of the application's title, the user and the display
// (a lock and a socket in the user's private runtime folder), which stands in
// for a named mutex. A later copy finds the name taken, connects to the
// running copy and asks it to show itself, then ends. The running copy
// restores its main window when minimised and brings it to the front.
//
// Beside the name, a copy holds a file lock on DataFolderLockName in the
// data folder, so two copies never write one folder whatever their runtime
// folders.
#pragma once

#include <string>

#include "platform/core/local_socket.h"

// A connection to the running copy; not Valid() when there is none.
using TInstanceWindow = TLocalSocket;

// The single-instance check: True when a copy of the program already runs
// (it has then been asked to come forward). False makes this process the
// running copy, which from now on answers later copies. A copy that holds
// the name but does not answer is reported (SInstanceNotAnswering).
bool IsAnotherInstance();

// Two copies never write one data folder, whatever their runtime folders
// (another user, another display, a runtime folder that is not private): the
// running copy holds an exclusive lock on the file DataFolderLockName in its
// data folder for the whole run. ClaimDataFolder takes it: False, after an
// error box "Another copy of the program is using the data folder <folder>.",
// when another process holds it; a lock that cannot be had at all is told
// in a warning box (the program goes on: it cannot make sure of the folder).
constexpr const char* DataFolderLockName = ".taskmoor.lock";
constexpr const char* SInstanceNotAnswering =
    "Another copy of the program is running but does not answer. This copy ends.";
constexpr const char* SDataFolderInUse = "Another copy of the program is using the data folder ";
constexpr const char* SDataFolderNotLocked = "Cannot lock the data folder ";
bool ClaimDataFolder(const std::string& Folder);
std::string DataFolderLockPath(const std::string& Folder);
// Claims the name; True when another process holds it already. A failure
// other than that answers False (the program behaves as the only copy).
bool CreateInstanceMutex();
// Connects to the running copy; an invalid connection when none answers.
TInstanceWindow FindOtherInstanceWindow();
// Asks the running copy behind Window to show its window and closes the
// connection; True when it confirmed.
bool BringInstanceForward(TInstanceWindow& Window);
// Gives the name and the data folder up (program end).
void CloseInstanceMutex();

// The name claimed: title, user and display.
std::string InstanceName();
// Requests from later copies that this process has answered.
int InstanceRequestsAnswered();
// How long a later copy waits for the running copy's connection and answer
// (2000 ms; 0 or less sets that again).
void SetInstanceReplyTimeout(int Milliseconds);
