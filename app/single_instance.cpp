// The instance lock and the request to the running copy to show its window, and the
// lock on the data folder.
#include "app/single_instance.h"

#include <chrono>
#include <memory>
#include <thread>

#include "platform/core/files.h"
#include "platform/ui/application.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/single_instance.h"

namespace {

// How long a later copy waits for the running one.
constexpr int DefaultReplyTimeoutMs = 2000;
int ReplyTimeoutMs = DefaultReplyTimeoutMs;

std::unique_ptr<TSingleInstance> gInstance;
std::string gTitle;
TFileLock gDataLock;

// The service for the application's title; kept while it is the running copy.
TSingleInstance& Instance() {
    const std::string title = Application ? Application->Title() : std::string("Brindlecote Taskmoor");
    if (!gInstance || (!gInstance->First() && title != gTitle)) {
        gInstance = std::make_unique<TSingleInstance>(title);
        gTitle = title;
    }
    return *gInstance;
}

// A box that refuses the start: titled with the program's title, as every
// other error box of the program is.
void Refuse(const std::string& Text) {
    if (Application)
        Application->MessageBox(Text, Application->Title(), MB_OK | MB_ICONSTOP);
    else
        MessageDlg(Text, mtError, TMsgDlgButtons{mbOK}, 0);
}

void ShowMainWindow() {
    if (!Application) return;
    if (TCustomForm* main = Application->MainForm(); main && main->WindowState() == wsMinimized)
        main->SetWindowState(wsNormal);
    Application->Restore();
    Application->BringToFront();
}

}  // namespace

std::string InstanceName() { return Instance().Name(); }

bool CreateInstanceMutex() {
    TSingleInstance& instance = Instance();
    if (instance.First()) return false;
    switch (instance.Claim()) {
    case TSingleInstance::scTaken: return true;
    case TSingleInstance::scFirst: instance.SetOnComeForward(ShowMainWindow); return false;
    case TSingleInstance::scFailed: return false;
    }
    return false;
}

TInstanceWindow FindOtherInstanceWindow() {
    if (Instance().First()) return {};
    return Instance().Connect(ReplyTimeoutMs);
}

bool BringInstanceForward(TInstanceWindow& Window) {
    return TSingleInstance::AskToComeForward(Window, ReplyTimeoutMs);
}

namespace {

// The hand-over to the running copy. In a crowd of connections the running
// copy may let this one go before its request arrived (it makes room for
// newer ones): closed without an answer, it connects and asks again while
// its time lasts. A copy that answers nothing is asked once.
bool HandOver() {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ReplyTimeoutMs);
    for (;;) {
        TInstanceWindow window = FindOtherInstanceWindow();
        if (!window.Valid()) return false;
        if (BringInstanceForward(window)) return true;
        if (std::chrono::steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

}  // namespace

bool IsAnotherInstance() {
    const bool another = CreateInstanceMutex();
    if (another && !HandOver()) Refuse(SInstanceNotAnswering);
    return another;
}

std::string DataFolderLockPath(const std::string& Folder) {
    return IncludeTrailingPathDelimiter(Folder) + DataFolderLockName;
}

bool ClaimDataFolder(const std::string& Folder) {
    switch (gDataLock.TryLock(DataFolderLockPath(Folder))) {
    case TFileLock::flLocked: return true;
    case TFileLock::flHeld:
        Refuse(SDataFolderInUse + ExcludeTrailingPathDelimiter(Folder) + ".");
        return false;
    case TFileLock::flFailed:
        MessageDlg(SDataFolderNotLocked + ExcludeTrailingPathDelimiter(Folder) + " (" +
                       gDataLock.ErrorText() +
                       "): another copy of the program started on it would not be kept out.",
                   mtWarning, TMsgDlgButtons{mbOK}, 0);
        return true;
    }
    return true;
}

void SetInstanceReplyTimeout(int Milliseconds) {
    ReplyTimeoutMs = Milliseconds > 0 ? Milliseconds : DefaultReplyTimeoutMs;
}

int InstanceRequestsAnswered() { return gInstance ? gInstance->RequestsAnswered() : 0; }

void CloseInstanceMutex() {
    gInstance.reset();
    gDataLock.Unlock();
}
