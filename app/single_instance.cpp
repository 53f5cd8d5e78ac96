#include "app/single_instance.h"

#include <sys/socket.h>
#include <sys/time.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <cstring>

#include "platform/ui/application.h"
#include "platform/ui/timer.h"

namespace {

// What a later copy sends, and what the running copy answers.
constexpr char ShowRequest[] = "SHOW\n";
constexpr char ShowAnswer[] = "OK\n";
// How long either side waits for the other's line.
constexpr int ReplyTimeoutMs = 1000;
constexpr unsigned PollIntervalMs = 200;

int gListener = -1;
int gAnswered = 0;
TTimer* gPollTimer = nullptr;

// An abstract-namespace address (a leading zero byte): no file, nothing stale.
socklen_t MakeAddress(sockaddr_un& Address) {
    std::memset(&Address, 0, sizeof Address);
    Address.sun_family = AF_UNIX;
    std::string name = InstanceName();
    const size_t room = sizeof(Address.sun_path) - 1;
    if (name.size() > room) name.resize(room);
    std::memcpy(Address.sun_path + 1, name.data(), name.size());
    return static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + name.size());
}

void SetTimeouts(int Fd) {
    timeval tv{};
    tv.tv_sec = ReplyTimeoutMs / 1000;
    tv.tv_usec = (ReplyTimeoutMs % 1000) * 1000;
    setsockopt(Fd, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
    setsockopt(Fd, SOL_SOCKET, SO_SNDTIMEO, &tv, sizeof tv);
}

bool WriteAll(int Fd, const char* Text) {
    size_t left = std::strlen(Text);
    while (left > 0) {
        const ssize_t n = send(Fd, Text, left, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        Text += n;
        left -= static_cast<size_t>(n);
    }
    return true;
}

// Reads one line of at most a few bytes; false on timeout, error or end.
bool ReadLine(int Fd, std::string& Line) {
    Line.clear();
    char c = 0;
    while (Line.size() < 16) {
        const ssize_t n = recv(Fd, &c, 1, 0);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        Line += c;
        if (c == '\n') return true;
    }
    return false;
}

void ShowMainWindow() {
    if (!Application) return;
    if (TCustomForm* main = Application->MainForm(); main && main->WindowState() == wsMinimized)
        main->SetWindowState(wsNormal);
    Application->Restore();
    Application->BringToFront();
}

void StartPolling() {
    if (gPollTimer || !Application) return;
    gPollTimer = new TTimer(Application);
    gPollTimer->SetInterval(PollIntervalMs);
    gPollTimer->SetOnTimer([](TObject*) { AnswerInstanceRequests(); });
}

}  // namespace

std::string InstanceName() {
    const std::string title = Application ? Application->Title() : std::string("Brindlecote Taskmoor");
    return title + "." + std::to_string(static_cast<unsigned long>(getuid()));
}

bool CreateInstanceMutex() {
    if (gListener >= 0) return false;
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0) return false;
    sockaddr_un address;
    const socklen_t length = MakeAddress(address);
    if (bind(fd, reinterpret_cast<sockaddr*>(&address), length) != 0) {
        const bool taken = errno == EADDRINUSE;
        close(fd);
        return taken;
    }
    if (listen(fd, 8) != 0) {
        close(fd);
        return false;
    }
    gListener = fd;
    return false;
}

TInstanceWindow FindOtherInstanceWindow() {
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return NoInstanceWindow;
    sockaddr_un address;
    const socklen_t length = MakeAddress(address);
    if (connect(fd, reinterpret_cast<sockaddr*>(&address), length) != 0) {
        close(fd);
        return NoInstanceWindow;
    }
    SetTimeouts(fd);
    return fd;
}

bool BringInstanceForward(TInstanceWindow Window) {
    if (Window == NoInstanceWindow) return false;
    std::string answer;
    const bool confirmed = WriteAll(Window, ShowRequest) && ReadLine(Window, answer) && answer == ShowAnswer;
    close(Window);
    return confirmed;
}

bool IsAnotherInstance() {
    const bool another = CreateInstanceMutex();
    if (another)
        BringInstanceForward(FindOtherInstanceWindow());
    else if (gListener >= 0)
        StartPolling();
    return another;
}

void AnswerInstanceRequests() {
    if (gListener < 0) return;
    for (;;) {
        const int client = accept4(gListener, nullptr, nullptr, SOCK_CLOEXEC);
        if (client < 0) {
            if (errno == EINTR) continue;
            return;  // nothing waiting (or the listener failed: try again later)
        }
        SetTimeouts(client);
        std::string request;
        if (ReadLine(client, request) && request == ShowRequest) {
            ++gAnswered;
            ShowMainWindow();
            WriteAll(client, ShowAnswer);
        }
        close(client);
    }
}

int InstanceRequestsAnswered() { return gAnswered; }

void CloseInstanceMutex() {
    if (gListener >= 0) close(gListener);
    gListener = -1;
}
