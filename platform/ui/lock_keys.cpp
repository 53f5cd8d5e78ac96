// Reading the Caps Lock and Num Lock indicators through the X library loaded at run
// time, and the service a test can set in its place.
#include "platform/ui/lock_keys.h"

#include <dlfcn.h>

#include <QGuiApplication>

namespace {

// The X library is opened at run time: a program on another display
// server, or without the library, reads "unknown".
class TXLockKeys : public TLockKeyService {
public:
    TLockState CapsLock() override { return Indicator("Caps Lock"); }
    TLockState NumLock() override { return Indicator("Num Lock"); }

private:
    using TOpen = void* (*)(const char*);
    using TAtom = unsigned long (*)(void*, const char*, int);
    using TNamed = int (*)(void*, unsigned long, int*, int*, void*, int*);
    bool Ready() {
        if (FTried) return FDisplay != nullptr;
        FTried = true;
        if (!qGuiApp || QGuiApplication::platformName() != QLatin1String("xcb")) return false;
        void* lib = dlopen("libX11.so.6", RTLD_LAZY | RTLD_LOCAL);
        if (!lib) return false;
        auto open = reinterpret_cast<TOpen>(dlsym(lib, "XOpenDisplay"));
        FAtom = reinterpret_cast<TAtom>(dlsym(lib, "XInternAtom"));
        FNamed = reinterpret_cast<TNamed>(dlsym(lib, "XkbGetNamedIndicator"));
        if (!open || !FAtom || !FNamed) return false;
        FDisplay = open(nullptr);
        return FDisplay != nullptr;
    }
    TLockState Indicator(const char* Name) {
        if (!Ready()) return TLockState::Unknown;
        const unsigned long atom = FAtom(FDisplay, Name, 1);
        if (atom == 0) return TLockState::Unknown;
        int on = 0;
        if (!FNamed(FDisplay, atom, nullptr, &on, nullptr, nullptr)) return TLockState::Unknown;
        return on ? TLockState::On : TLockState::Off;
    }
    bool FTried = false;
    void* FDisplay = nullptr;
    TAtom FAtom = nullptr;
    TNamed FNamed = nullptr;
};

TLockKeyService* gService = nullptr;

}  // namespace

TLockKeyService& LockKeyService() {
    static TXLockKeys real;
    return gService ? *gService : real;
}

TLockKeyService* SetLockKeyService(TLockKeyService* Service) {
    TLockKeyService* old = gService;
    gService = Service;
    return old;
}

TTestLockKeys::TTestLockKeys() : FPrevious(SetLockKeyService(this)) {}
TTestLockKeys::~TTestLockKeys() { SetLockKeyService(FPrevious); }
