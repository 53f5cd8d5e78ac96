// The system and library versions the controls check, with overrides for tests.
#include "platform/ui/versions.h"

#include <map>

namespace {

struct TVersion {
    int Major = 0;
    int Minor = 0;
};

bool GSystemOverridden = false;
TVersion GSystem{6, 1};

std::map<std::string, TVersion> GLibraryOverrides;

std::string Lower(std::string s) {
    for (char& c : s)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return s;
}

}  // namespace

int SystemMajorVersion() { return GSystemOverridden ? GSystem.Major : 6; }
int SystemMinorVersion() { return GSystemOverridden ? GSystem.Minor : 1; }

bool GetLibraryFileVersion(const std::string& Library, int& Major, int& Minor) {
    const std::string name = Lower(Library);
    if (auto it = GLibraryOverrides.find(name); it != GLibraryOverrides.end()) {
        if (it->second.Major < 0) return false;
        Major = it->second.Major;
        Minor = it->second.Minor;
        return true;
    }
    if (name == "comctl32.dll") {
        Major = 6;
        Minor = 0;
        return true;
    }
    return false;
}

void SetSystemVersionForTesting(int Major, int Minor) {
    GSystemOverridden = Major >= 0;
    GSystem = {Major, Minor};
}

void SetLibraryVersionForTesting(const std::string& Library, int Major, int Minor) {
    GLibraryOverrides[Lower(Library)] = {Major, Minor};
}

void ClearVersionOverrides() {
    GSystemOverridden = false;
    GLibraryOverrides.clear();
}
