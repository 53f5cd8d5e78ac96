// One copy of a program per user and display.
//
// The first copy takes a lock file in the user's private runtime folder
// (PrivateRuntimeDir, mode 0700) and listens on a socket file beside it, both
// named after the program's title, the user and the display. A later copy
// finds the lock held, connects to the socket and asks the running copy to
// come forward, then ends. The system drops the lock when its holder ends,
// crash included, and the next holder removes a socket file a crashed copy
// left behind. Nobody else can enter the folder, so no other user can take
// the name first.
//
// The running copy reads requests as they arrive, from the event loop, and
// never waits for one: a peer that says nothing, sends more than a request or
// something else is dropped, so no connection can hold up the window. Every
// waiting connection is taken and read at once, so a flood of connections
// that open and close turns no request away.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "platform/core/local_socket.h"

class TSingleInstance {
public:
    enum TClaim { scFirst, scTaken, scFailed };  // scFailed: no lock or socket could be had

    // The request a later copy sends and the running copy's answer.
    static constexpr const char* ComeForwardRequest = "SHOW\n";
    static constexpr const char* ComeForwardAnswer = "OK\n";
    // The longest message a peer may send; more and it is dropped.
    static constexpr std::size_t MaxMessage = 64;
    // How many peers are read at once; a later one takes the oldest one's place.
    static constexpr int MaxPeers = 8;

    explicit TSingleInstance(const std::string& Title);
    ~TSingleInstance();
    TSingleInstance(const TSingleInstance&) = delete;
    TSingleInstance& operator=(const TSingleInstance&) = delete;

    // Title, user and display, as the lock and socket files are named.
    const std::string& Name() const { return FName; }
    // The files; empty when there is no private runtime folder.
    std::string LockPath() const;
    std::string SocketPath() const;

    // Takes the name: scFirst makes this the running copy, which answers
    // later copies from now on; scTaken when another copy holds it.
    TClaim Claim();
    // Gives the name up and stops answering.
    void Release();
    bool First() const;

    // A later copy's side: a connection to the running copy, tried for up to
    // Milliseconds while the lock is held (its holder may not listen yet);
    // invalid when none answers.
    TLocalSocket Connect(int Milliseconds) const;
    // Sends the request and waits up to Milliseconds for the answer; closes
    // the connection. True when the running copy confirmed.
    static bool AskToComeForward(TLocalSocket& Peer, int Milliseconds);

    // The running copy's side: run for each request, guarded like an event
    // handler.
    void SetOnComeForward(std::function<void()> Handler);
    // Requests answered so far, and connections being read now.
    int RequestsAnswered() const { return FAnswered; }
    int PeersWaiting() const;
    // How long a peer may take over its request (milliseconds).
    void SetPeerTimeout(int Milliseconds) { FPeerTimeout = Milliseconds; }
    int PeerTimeout() const { return FPeerTimeout; }

private:
    struct TServing;
    void Accept();
    // Frees a place for one more peer when MaxPeers are read already.
    void MakeRoom();
    // True when the peer is done with: answered, or dropped.
    bool Read(void* Peer);
    void Drop(void* Peer);
    void Sweep();

    std::string FName;
    std::string FDir;
    TFileLock FLock;
    std::unique_ptr<TServing> FServing;
    std::function<void()> FOnComeForward;
    int FAnswered = 0;
    int FPeerTimeout = 1000;
};
