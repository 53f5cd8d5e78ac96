// Any bytes sent by another process to the running copy's single-instance
// socket, in pieces, read from the event loop: the copy answers the request
// alone and drops everything else (a request may be answered before
// what follows it arrives); nothing crashes or holds it up.
//
// Input: the message; a byte 0xFF cuts it into the pieces sent one by one.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "gui_fuzz_support.h"
#include "platform/core/local_socket.h"
#include "platform/ui/single_instance.h"
#include "platform/ui/testing.h"
#include "support/environment.h"

namespace {

TSingleInstance& Running() {
    static TSingleInstance* instance = [] {
        ::setenv("XDG_RUNTIME_DIR", TTestRunFolder::Folder().c_str(), 1);
        auto* i = new TSingleInstance("Taskmoor fuzz");
        if (i->Claim() != TSingleInstance::scFirst) std::abort();
        i->SetPeerTimeout(200);
        return i;
    }();
    return *instance;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
    TSingleInstance& running = Running();
    std::vector<std::string> parts(1);
    for (std::size_t i = 0; i < Size && parts.size() < 16; ++i) {
        if (Data[i] == 0xFF)
            parts.emplace_back();
        else
            parts.back() += static_cast<char>(Data[i]);
    }
    std::string whole;
    for (const std::string& p : parts) whole += p;
    const int answered = running.RequestsAnswered();
    TLocalSocket peer = TLocalSocket::Connect(running.SocketPath());
    if (!peer.Valid()) std::abort();
    for (std::string part : parts) {
        for (int tries = 0; !part.empty() && tries < 50; ++tries) {
            if (peer.Send(part) == TLocalSocket::ioClosed) break;
            ProcessEvents();
        }
        ProcessEvents();
    }
    std::string answer;
    // A message neither ended nor too long waits for more: the peer goes.
    if (whole.find('\n') != std::string::npos || whole.size() > TSingleInstance::MaxMessage)
        WaitUntil([&] { return peer.Receive(answer, 16) == TLocalSocket::ioClosed; }, 2000);
    peer.Close();
    ProcessEvents();
    // Only the request is answered: what came after it may have come too late to matter.
    const std::string first = whole.substr(0, whole.find('\n') + 1);
    if (!answer.empty() &&
        (answer != TSingleInstance::ComeForwardAnswer || first != TSingleInstance::ComeForwardRequest))
        std::abort();
    if (running.RequestsAnswered() != answered + (answer.empty() ? 0 : 1)) std::abort();
    return 0;
}
