// The Caps Lock and Num Lock state as a service: the real one reads the X
// server's keyboard indicators where the program runs on one, otherwise it
// answers "unknown"; TTestLockKeys answers what a test sets.
#pragma once

enum class TLockState { Unknown, Off, On };

class TLockKeyService {
public:
    virtual ~TLockKeyService() = default;
    virtual TLockState CapsLock() = 0;
    virtual TLockState NumLock() = 0;
};
TLockKeyService& LockKeyService();
// Installs a service (nullptr: the real one); answers the one it replaces.
TLockKeyService* SetLockKeyService(TLockKeyService* Service);

// Installs itself while it lives.
class TTestLockKeys : public TLockKeyService {
public:
    TTestLockKeys();
    ~TTestLockKeys() override;
    void SetCapsLock(TLockState Value) { FCaps = Value; }
    void SetNumLock(TLockState Value) { FNum = Value; }
    TLockState CapsLock() override { return FCaps; }
    TLockState NumLock() override { return FNum; }

private:
    TLockKeyService* FPrevious;
    TLockState FCaps = TLockState::Off;
    TLockState FNum = TLockState::Off;
};
