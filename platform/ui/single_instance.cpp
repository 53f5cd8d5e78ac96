// The single-instance service: the lock and socket of platform/core, read
// from the event loop through socket notifiers.
#include "platform/ui/single_instance.h"

#include <QSocketNotifier>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <thread>
#include <vector>

#include "platform/core/process.h"
#include "platform/ui/qt_host.h"

namespace {

using TClock = std::chrono::steady_clock;

// A file name part: no folder separators or control characters.
std::string FileNamePart(const std::string& Text) {
    std::string part = Text;
    for (char& c : part)
        if (c == '/' || static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = '_';
    if (!part.empty() && part[0] == '.') part[0] = '_';
    return part;
}

std::string DisplayName() {
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY"})
        if (const char* value = std::getenv(name); value && *value) return value;
    return "nodisplay";
}

std::string Hex64(uint64_t Value) {
    static const char digits[] = "0123456789abcdef";
    std::string text(16, '0');
    for (int i = 15; i >= 0; --i, Value >>= 4) text[static_cast<std::size_t>(i)] = digits[Value & 0xF];
    return text;
}

uint64_t Fnv1a(const std::string& Text) {
    uint64_t hash = 14695981039346656037ull;
    for (unsigned char c : Text) hash = (hash ^ c) * 1099511628211ull;
    return hash;
}

constexpr const char* SocketSuffix = ".socket";

// How many connections one call of the listener takes.
constexpr int AcceptRound = 64;

struct TPeer {
    TLocalSocket Socket;
    std::string Text;
    TClock::time_point Deadline;
    std::unique_ptr<QSocketNotifier> Notifier;  // goes before the socket closes
};

}  // namespace

struct TSingleInstance::TServing {
    TLocalServer Server;
    std::unique_ptr<QSocketNotifier> Listener;
    std::vector<std::unique_ptr<TPeer>> Peers;
    QTimer SweepTimer;
};

TSingleInstance::TSingleInstance(const std::string& Title) : FDir(PrivateRuntimeDir()) {
    FName = FileNamePart(Title) + "." + std::to_string(CurrentUserId()) + "." + FileNamePart(DisplayName());
    // Socket paths are short; a long name is replaced by its hash.
    if (!FDir.empty() &&
        FDir.size() + 1 + FName.size() + std::char_traits<char>::length(SocketSuffix) > MaxSocketPath())
        FName = "taskmoor-" + Hex64(Fnv1a(FName));
}

TSingleInstance::~TSingleInstance() { Release(); }

std::string TSingleInstance::LockPath() const {
    return FDir.empty() ? std::string() : FDir + "/" + FName + ".lock";
}

std::string TSingleInstance::SocketPath() const {
    return FDir.empty() ? std::string() : FDir + "/" + FName + SocketSuffix;
}

bool TSingleInstance::First() const { return FServing != nullptr; }

TSingleInstance::TClaim TSingleInstance::Claim() {
    if (FServing) return scFirst;
    if (FDir.empty()) return scFailed;
    switch (FLock.TryLock(LockPath())) {
    case TFileLock::flHeld: return scTaken;
    case TFileLock::flFailed: return scFailed;
    case TFileLock::flLocked: break;
    }
    EnsureToolkit();
    auto serving = std::make_unique<TServing>();
    if (!serving->Server.Listen(SocketPath())) {
        FLock.Unlock();
        return scFailed;
    }
    serving->Listener = std::make_unique<QSocketNotifier>(serving->Server.Handle(), QSocketNotifier::Read);
    QObject::connect(serving->Listener.get(), &QSocketNotifier::activated, [this] { Accept(); });
    serving->SweepTimer.setInterval(50);
    QObject::connect(&serving->SweepTimer, &QTimer::timeout, [this] { Sweep(); });
    FServing = std::move(serving);
    return scFirst;
}

void TSingleInstance::Release() {
    if (FServing) {
        FServing->Listener->setEnabled(false);
        FServing->SweepTimer.stop();
        FServing->Peers.clear();
        FServing->Server.Close();
        FServing.reset();
    }
    FLock.Unlock();
}

int TSingleInstance::PeersWaiting() const {
    if (!FServing) return 0;
    return static_cast<int>(std::count_if(FServing->Peers.begin(), FServing->Peers.end(),
                                          [](const auto& p) { return p->Socket.Valid(); }));
}

void TSingleInstance::SetOnComeForward(std::function<void()> Handler) { FOnComeForward = std::move(Handler); }

// ---- A later copy's side ---------------------------------------------------------------------

TLocalSocket TSingleInstance::Connect(int Milliseconds) const {
    if (FDir.empty()) return {};
    const TClock::time_point deadline = TClock::now() + std::chrono::milliseconds(Milliseconds);
    for (;;) {
        // In line while the running copy's queue is full.
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - TClock::now()).count();
        TLocalSocket peer = TLocalSocket::Connect(SocketPath(), static_cast<int>(std::max<int64_t>(1, left)));
        if (peer.Valid() || TClock::now() >= deadline) return peer;
        // Nobody holds the lock: nobody will listen either.
        TFileLock probe;
        if (probe.TryLock(LockPath()) != TFileLock::flHeld) return peer;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

bool TSingleInstance::AskToComeForward(TLocalSocket& Peer, int Milliseconds) {
    if (!Peer.Valid()) return false;
    const TClock::time_point deadline = TClock::now() + std::chrono::milliseconds(Milliseconds);
    auto left = [&] {
        return static_cast<int>(std::max<int64_t>(
            0, std::chrono::duration_cast<std::chrono::milliseconds>(deadline - TClock::now()).count()));
    };
    std::string request = ComeForwardRequest;
    while (!request.empty()) {
        const TLocalSocket::TIo io = Peer.Send(request);
        if (io == TLocalSocket::ioClosed || (io == TLocalSocket::ioAgain && !Peer.WaitWritable(left()))) {
            Peer.Close();
            return false;
        }
    }
    std::string answer;
    while (answer.find('\n') == std::string::npos && answer.size() < MaxMessage) {
        const TLocalSocket::TIo io = Peer.Receive(answer, MaxMessage - answer.size());
        if (io == TLocalSocket::ioClosed || (io == TLocalSocket::ioAgain && !Peer.WaitReadable(left())))
            break;
    }
    Peer.Close();
    return answer == ComeForwardAnswer;
}

// ---- The running copy's side -----------------------------------------------------------------

void TSingleInstance::Accept() {
    // Every waiting connection is taken and read at once: one that is closed
    // already is let go, a request that is there is answered. A round takes
    // a bounded number, so that connections made as fast as they are taken
    // cannot keep the event loop (and the waiting peers' requests) from
    // running; the listener calls again for the rest.
    for (int taken = 0; FServing && taken < AcceptRound; ++taken) {
        TLocalSocket socket = FServing->Server.Accept();
        if (!socket.Valid()) return;
        // Only this user (or the administrator) can reach the folder; anyone
        // else is turned away all the same.
        const long uid = socket.PeerUserId();
        if (uid != static_cast<long>(CurrentUserId()) && uid != 0) continue;
        auto peer = std::make_unique<TPeer>();
        peer->Deadline = TClock::now() + std::chrono::milliseconds(FPeerTimeout);
        peer->Socket = std::move(socket);
        // What is there decides most connections at once (closed, a request,
        // something else): only one that has said nothing yet is watched.
        if (Read(peer.get()) || !FServing) continue;
        MakeRoom();
        if (!FServing) return;
        peer->Notifier = std::make_unique<QSocketNotifier>(peer->Socket.Handle(), QSocketNotifier::Read);
        TPeer* raw = peer.get();
        QObject::connect(peer->Notifier.get(), &QSocketNotifier::activated, [this, raw] { Read(raw); });
        FServing->Peers.push_back(std::move(peer));
        if (!FServing->SweepTimer.isActive()) FServing->SweepTimer.start();
    }
}

void TSingleInstance::MakeRoom() {
    if (PeersWaiting() < MaxPeers) return;
    // What has arrived meanwhile first: the closed ones go, requests are
    // answered. In a crowd of silent ones the oldest makes room, so a real
    // request is not kept out by them.
    for (std::size_t i = 0; FServing && i < FServing->Peers.size(); ++i) {
        TPeer* peer = FServing->Peers[i].get();
        if (peer->Socket.Valid()) Read(peer);
    }
    if (!FServing || PeersWaiting() < MaxPeers) return;
    TPeer* oldest = nullptr;
    for (const auto& p : FServing->Peers)
        if (p->Socket.Valid() && (!oldest || p->Deadline < oldest->Deadline)) oldest = p.get();
    Drop(oldest);
}

bool TSingleInstance::Read(void* Peer) {
    auto* peer = static_cast<TPeer*>(Peer);
    const TLocalSocket::TIo io = peer->Socket.Receive(peer->Text, MaxMessage + 1 - peer->Text.size());
    if (io == TLocalSocket::ioAgain) return false;
    const std::size_t end = peer->Text.find('\n');
    if (io == TLocalSocket::ioClosed || (end == std::string::npos && peer->Text.size() > MaxMessage) ||
        (end != std::string::npos && peer->Text != ComeForwardRequest)) {
        Drop(peer);
        return true;
    }
    if (end == std::string::npos) return false;  // the rest is on its way
    std::string answer = ComeForwardAnswer;
    peer->Socket.Send(answer);  // a fresh connection has room for it
    Drop(peer);
    ++FAnswered;
    if (FOnComeForward) GuardedCall(nullptr, [this] { FOnComeForward(); });
    return true;
}

void TSingleInstance::Drop(void* Peer) {
    // The notifier may be the one calling: the peer is closed now and freed
    // by the next sweep.
    auto* peer = static_cast<TPeer*>(Peer);
    peer->Socket.Close();
    peer->Deadline = TClock::time_point::min();
    if (!peer->Notifier) return;  // never watched: not in the list
    peer->Notifier->setEnabled(false);
    if (FServing && !FServing->SweepTimer.isActive()) FServing->SweepTimer.start();
}

void TSingleInstance::Sweep() {
    const TClock::time_point now = TClock::now();
    // A peer past its time is read once more before it goes: its request
    // may be there, its notifier not yet run.
    for (std::size_t i = 0; FServing && i < FServing->Peers.size(); ++i) {
        TPeer* peer = FServing->Peers[i].get();
        if (peer->Socket.Valid() && peer->Deadline <= now) Read(peer);
    }
    if (!FServing) return;
    auto& peers = FServing->Peers;
    peers.erase(std::remove_if(peers.begin(), peers.end(), [&](const auto& p) { return p->Deadline <= now; }),
                peers.end());
    if (peers.empty()) FServing->SweepTimer.stop();
}
