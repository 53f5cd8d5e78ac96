// Finding a writable settings file beside the program, and reading and writing it.
#include "app/todo_settings.h"

#include <cstdio>

#include "platform/core/files.h"
#include "platform/core/guid.h"
#include "platform/core/inifiles.h"

namespace {

constexpr const char* QuoteSection = "QUOTE";
constexpr const char* QuoteKey = "Selected";

// True when FileName can be written: an existing file opens for writing,
// or a new one can be made in its folder (tried with a file of its own).
bool CanWriteFile(const std::string& FileName) {
    if (DirectoryExists(FileName)) return false;
    if (FileExists(FileName)) {
        FILE* f = std::fopen(FileName.c_str(), "r+b");
        if (f) std::fclose(f);
        return f != nullptr;
    }
    const std::string folder = ExtractFilePath(FileName);
    if (folder.empty() || !DirectoryExists(folder)) return false;
    const std::string probe = folder + ".taskmoor-" + CreateGUIDString().substr(1, 8);
    FILE* f = std::fopen(probe.c_str(), "wb");
    if (!f) return false;
    std::fclose(f);
    DeleteFile(probe);
    return true;
}

}  // namespace

std::string TToDoSettings::BesideProgram() {
    // The platform turns ".ini." into ".ini": a file name ends in no dot.
    std::string name = ChangeFileExt(ApplicationExeName(), ".ini.");
    while (!name.empty() && name.back() == '.') name.pop_back();
    return name;
}

std::string TToDoSettings::FileName() {
    const std::string beside = BesideProgram();
    if (CanWriteFile(beside)) return beside;
    return IncludeTrailingPathDelimiter(UserConfigDir()) + ExtractFileName(beside);
}

void TToDoSettings::Read() {
    std::string file = FileName();
    if (!FileExists(file)) file = BesideProgram();
    TIniFile ini(file);
    QuoteSelected = ini.ReadInteger(QuoteSection, QuoteKey, DefaultQuote);
    FRead = true;
}

void TToDoSettings::Write() const {
    if (!FRead) return;
    const std::string file = FileName();
    ForceDirectories(ExtractFileDir(file));
    TIniFile ini(file);
    ini.WriteInteger(QuoteSection, QuoteKey, QuoteSelected);
}
