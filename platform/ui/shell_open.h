// The shell's "open" for links: a web address goes to the user's browser or
// mail program. Links often come from table data, so the default open takes
// only http, https, mailto and ftp addresses ("www." counts as http); other
// schemes, file names and paths are not opened.
//
// The opening itself is a service: the desktop's by default, a recorder in
// tests (TTestShell).
#pragma once

#include <string>
#include <vector>

// The address the default open would take for Link ("www.x" becomes
// "http://www.x"); empty when it is not a web address.
std::string ShellWebAddress(const std::string& Link);

class TShellService {
public:
    virtual ~TShellService() = default;
    // Opens a web address (already checked); false when it failed.
    virtual bool OpenAddress(const std::string& Address) = 0;
};
// Installs a service (nullptr: the desktop's); answers the old one.
TShellService* SetShellService(TShellService* Service);

// Opens Link when it is a web address; false (nothing done) otherwise.
bool ShellOpenLink(const std::string& Link);

// Records the addresses instead of opening them; installs itself while it lives.
class TTestShell : public TShellService {
public:
    TTestShell();
    ~TTestShell() override;
    bool OpenAddress(const std::string& Address) override {
        FOpened.push_back(Address);
        return true;
    }
    const std::vector<std::string>& Opened() const { return FOpened; }

private:
    TShellService* FPrevious;
    std::vector<std::string> FOpened;
};
