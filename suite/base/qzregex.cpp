// Loading the regular-expression library once, with one message when it is missing,
// and matching through its entry points.
#include "suite/base/qzregex.h"

#include <cstdint>

#include "platform/ui/dialogs.h"
#include "platform/ui/regex.h"

namespace {

struct TRegexBinding {
    uintptr_t Library = 0;
    TRegexMatchProc Match = nullptr;
    TRegexSyntaxValidProc SyntaxValid = nullptr;
    bool Reported = false;

    ~TRegexBinding() { Unload(); }
    void Unload() {
        if (Library) FreeRegexLibrary(Library);
        Library = 0;
        Match = nullptr;
        SyntaxValid = nullptr;
    }
};

TRegexBinding& Binding() {
    static TRegexBinding binding;
    return binding;
}

}  // namespace

bool qzLoadRegexLibrary() {
    TRegexBinding& b = Binding();
    if (b.Library) return true;
    uintptr_t handle = LoadRegexLibrary(RegexLibraryName);
    if (handle < 32) handle = 0;  // values below 32 are failures
    b.Library = handle;
    if (!handle && !b.Reported) {
        b.Reported = true;
        ShowMessage(qzRegexLoadErrorMessage);
    }
    b.Match = reinterpret_cast<TRegexMatchProc>(GetRegexProcAddress(handle, "RegexMatch"));
    b.SyntaxValid = reinterpret_cast<TRegexSyntaxValidProc>(GetRegexProcAddress(handle, "RegexSyntaxValid"));
    return b.Library != 0;
}

bool qzMatchRegex(const std::string& Pattern, bool IgnoreCase, const std::string& Text) {
    if (!qzLoadRegexLibrary()) return false;
    if (Text.empty()) return true;
    const TRegexMatchProc match = Binding().Match;
    return match && match(Pattern.c_str(), IgnoreCase ? -1 : 0, Text.c_str()) >= 1;
}

void qzUnloadRegexLibrary() { Binding().Unload(); }

bool qzRegexLibraryLoaded() { return Binding().Library != 0; }

void qzResetRegexLoadReport() { Binding().Reported = false; }
