// Opening web and mail addresses through Qt's desktop services, and the service a test
// can set in its place.
#include "platform/ui/shell_open.h"

#include <QDesktopServices>
#include <QUrl>

#include "platform/core/sysutils.h"
#include "platform/ui/qt_host.h"

namespace {

class TDesktopShell : public TShellService {
public:
    bool OpenAddress(const std::string& Address) override {
        return QDesktopServices::openUrl(QUrl(ToQString(Address), QUrl::StrictMode));
    }
};

TDesktopShell GDesktop;
TShellService* GShell = &GDesktop;

bool StartsWithNoCase(const std::string& s, const char* prefix) {
    const std::string p(prefix);
    return s.size() > p.size() && SameText(s.substr(0, p.size()), p);
}

}  // namespace

std::string ShellWebAddress(const std::string& Link) {
    std::string s = Trim(Link);
    for (char c : s)
        if (static_cast<unsigned char>(c) <= ' ' || c == '"') return {};
    if (StartsWithNoCase(s, "www.")) s = "http://" + s;
    if (!StartsWithNoCase(s, "http://") && !StartsWithNoCase(s, "https://") &&
        !StartsWithNoCase(s, "ftp://") && !StartsWithNoCase(s, "mailto:"))
        return {};
    const QUrl url(ToQString(s), QUrl::StrictMode);
    if (!url.isValid()) return {};
    if (!StartsWithNoCase(s, "mailto:") && url.host().isEmpty()) return {};
    return s;
}

TShellService* SetShellService(TShellService* Service) {
    TShellService* old = GShell;
    GShell = Service ? Service : &GDesktop;
    return old == &GDesktop ? nullptr : old;
}

bool ShellOpenLink(const std::string& Link) {
    const std::string address = ShellWebAddress(Link);
    if (address.empty()) return false;
    return GShell->OpenAddress(address);
}

TTestShell::TTestShell() : FPrevious(SetShellService(this)) {}
TTestShell::~TTestShell() { SetShellService(FPrevious); }
