// The currency settings kept while the program runs, and the creation of the help
// viewer, the password dialog and the program's forms at start.
#include "app/startup.h"

#include <cstdio>
#include <string>

#include "app/calendar_dlg.h"
#include "app/help_viewer.h"
#include "app/main_form.h"
#include "app/restore_dlg.h"
#include "app/single_instance.h"
#include "engine-controls/password_dialog.h"
#include "platform/core/files.h"
#include "platform/core/sysutils.h"
#include "platform/ui/application.h"
#include "platform/ui/chm_help.h"

namespace {

// A build with a sanitizer ends its runs by freeing everything.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr bool kSanitized = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer) || \
    __has_feature(memory_sanitizer) || __has_feature(leak_sanitizer)
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif
#else
constexpr bool kSanitized = false;
#endif

std::string gSavedCurrency;
int gStartCount = 0;
}  // namespace

void SetCurrencySymbol(bool Restore) {
    FormatSettings().CurrencyString = Restore ? gSavedCurrency : std::string();
}

void StartProgramUnits() {
    if (gStartCount++ != 0) return;
    gSavedCurrency = FormatSettings().CurrencyString;
    FormatSettings().CurrencyDecimals = 2;
    SetCurrencySymbol(false);
}

void FinishProgramUnits() {
    if (gStartCount == 0 || --gStartCount != 0) return;
    CloseInstanceMutex();
    gSavedCurrency.clear();
}

bool StartTaskmoor(const std::string& Title) {
    Application->SetHelpFile("");
    Application->SetTitle(Title);
    if (IsAnotherInstance()) return false;
    if (!ClaimDataFolder(GetCurrentDir())) {
        CloseInstanceMutex();
        return false;
    }
    InstallChmHelpEngine();
    RegisterHTMLHelpViewer();
    InstallOstraPasswordDialog();

    TfrmToDo* mainForm = nullptr;
    Application->CreateForm(mainForm);
    TDualListDlg* restore = nullptr;
    Application->CreateForm(restore);
    TOKCalendarDlg* calendar = nullptr;
    Application->CreateForm(calendar);
    return true;
}

void EndTaskmoor() { FinalizeHTMLHelpViewer(); }

int RunTaskmoor(int argc, char** argv) {
    // A window nobody can see would keep the single-instance lock for ever.
    if (!DisplayAvailable()) {
        std::fprintf(stderr, "%s needs a display: neither DISPLAY nor WAYLAND_DISPLAY is set.\n",
                     TaskmoorTitle);
        return 1;
    }
    StartProgramUnits();
    InitializeApplication(argc, argv);
    Application->Initialize();
    const bool started = StartTaskmoor();
    if (started) Application->Run();
    return EndTaskmoorRun(started);
}

int EndTaskmoorRun(bool Started) {
    if (Started) {
        EndTaskmoor();
        if (!kSanitized) {
            // The lock files' locks go with the process; the socket file goes now.
            CloseInstanceMutex();
            EndProcessNow(0);
        }
    }
    FinalizeApplication();
    FinishProgramUnits();
    return 0;
}
