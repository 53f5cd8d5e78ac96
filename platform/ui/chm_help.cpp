// The compiled help file reader.
//
// The container is unpacked by chmlib in a child process: the library was not
// written for hostile input, so a damaged file may make it read out of bounds,
// loop or allocate without limit. The child sends every object back over a
// pipe; whatever happens to it, this process only sees a well-formed stream or
// a failure. Everything after that (system data, context map, sitemaps) is
// parsed here with bounds checks.
#include "platform/ui/chm_help.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <fstream>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#ifdef TASKMOOR_HAVE_CHMLIB
#include <chm_lib.h>
#endif

#include "platform/core/exceptions.h"
#include "platform/core/sysutils.h"
#include "platform/core/text.h"

namespace {

// Limits for what a help file may hold.
constexpr uint64_t kMaxObjectSize = 32u << 20;
constexpr uint64_t kMaxTotalSize = 128u << 20;
constexpr uint32_t kMaxObjects = 100000;
constexpr int kUnpackTimeoutMs = 15000;
constexpr int kMaxSitemapDepth = 32;

TChmWaitFunc& WaitFunc() {
    static TChmWaitFunc func;
    return func;
}
void (*ChildHookForTesting)() = nullptr;

uint32_t Le32(const std::string& s, size_t at) {
    return static_cast<uint32_t>(static_cast<unsigned char>(s[at])) |
           static_cast<uint32_t>(static_cast<unsigned char>(s[at + 1])) << 8 |
           static_cast<uint32_t>(static_cast<unsigned char>(s[at + 2])) << 16 |
           static_cast<uint32_t>(static_cast<unsigned char>(s[at + 3])) << 24;
}
uint16_t Le16(const std::string& s, size_t at) {
    return static_cast<uint16_t>(static_cast<unsigned char>(s[at]) | static_cast<unsigned char>(s[at + 1])
                                                                         << 8);
}

std::string LowerAscii(std::string s) {
    for (char& c : s)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return s;
}

// The text up to the first zero byte (or the end).
std::string CString(const std::string& s, size_t from) {
    if (from >= s.size()) return {};
    size_t end = s.find('\0', from);
    return s.substr(from, (end == std::string::npos ? s.size() : end) - from);
}

// ---- Unpacking -------------------------------------------------------------------------

#ifdef TASKMOOR_HAVE_CHMLIB
bool WriteAll(int fd, const void* data, size_t size) {
    auto* p = static_cast<const char*>(data);
    while (size > 0) {
        ssize_t n = ::write(fd, p, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        p += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

struct TUnpackState {
    int Fd;
    uint64_t Total = 0;
    uint32_t Count = 0;
    bool Failed = false;
};

int SendObject(chmFile* h, chmUnitInfo* ui, void* context) {
    auto* st = static_cast<TUnpackState*>(context);
    std::string path(ui->path, strnlen(ui->path, CHM_MAX_PATHLEN));
    if (path.empty() || path.back() == '/') return CHM_ENUMERATOR_CONTINUE;
    if (ui->length > kMaxObjectSize || st->Total + ui->length > kMaxTotalSize || ++st->Count > kMaxObjects) {
        st->Failed = true;
        return CHM_ENUMERATOR_FAILURE;
    }
    std::string data(static_cast<size_t>(ui->length), '\0');
    uint64_t got = 0;
    while (got < ui->length) {
        LONGINT64 n = chm_retrieve_object(h, ui, reinterpret_cast<unsigned char*>(&data[got]), got,
                                          static_cast<LONGINT64>(ui->length - got));
        if (n <= 0) {
            st->Failed = true;
            return CHM_ENUMERATOR_FAILURE;
        }
        got += static_cast<uint64_t>(n);
    }
    st->Total += ui->length;
    uint32_t pathLen = static_cast<uint32_t>(path.size());
    uint64_t dataLen = ui->length;
    if (!WriteAll(st->Fd, "O", 1) || !WriteAll(st->Fd, &pathLen, 4) ||
        !WriteAll(st->Fd, path.data(), path.size()) || !WriteAll(st->Fd, &dataLen, 8) ||
        !WriteAll(st->Fd, data.data(), data.size())) {
        st->Failed = true;
        return CHM_ENUMERATOR_FAILURE;
    }
    return CHM_ENUMERATOR_CONTINUE;
}

// The container's own headers, checked before the library sees them: the
// directory chunk size decides an allocation it makes unchecked.
bool PlausibleHeaders(int fd) {
    unsigned char h[0x60];
    if (::pread(fd, h, sizeof h, 0) < 0x58) return false;
    auto u32 = [&](const unsigned char* p) {
        return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
    };
    auto u64 = [&](const unsigned char* p) { return uint64_t(u32(p)) | uint64_t(u32(p + 4)) << 32; };
    if (std::memcmp(h, "ITSF", 4) != 0) return false;
    uint32_t version = u32(h + 4);
    if (version != 2 && version != 3) return false;
    struct stat st {};
    if (::fstat(fd, &st) != 0) return false;
    uint64_t size = static_cast<uint64_t>(st.st_size);
    uint64_t dirOffset = u64(h + 0x48), dirLength = u64(h + 0x50);
    if (dirOffset >= size || dirLength > size - dirOffset || dirLength < 0x54) return false;
    unsigned char itsp[0x54];
    if (::pread(fd, itsp, sizeof itsp, static_cast<off_t>(dirOffset)) != sizeof itsp) return false;
    if (std::memcmp(itsp, "ITSP", 4) != 0) return false;
    uint32_t chunk = u32(itsp + 0x10);
    uint32_t chunks = u32(itsp + 0x2C);
    if (chunk < 64 || chunk > 65536 || (chunk & (chunk - 1)) != 0) return false;
    if (uint64_t(chunks) * chunk > dirLength) return false;
    // The listing chunks are a chain from the first; a link back into the
    // chain would be followed for ever.
    const uint32_t headerLength = u32(itsp + 0x08);
    if (headerLength < 0x54 || headerLength > dirLength - uint64_t(chunks) * chunk) return false;
    const uint64_t firstChunk = dirOffset + headerLength;
    std::vector<char> seen(chunks, 0);
    for (uint32_t at = u32(itsp + 0x20); at != 0xFFFFFFFFu;) {
        if (at >= chunks || seen[at]) return false;
        seen[at] = 1;
        unsigned char head[0x14];
        if (::pread(fd, head, sizeof head, static_cast<off_t>(firstChunk + uint64_t(at) * chunk)) !=
            sizeof head)
            return false;
        if (std::memcmp(head, "PMGL", 4) != 0) return false;
        at = u32(head + 0x10);
    }
    return true;
}

// The sanitizers' hook for a process that dies of an error they found.
extern "C" void __sanitizer_set_death_callback(void (*)(void)) __attribute__((weak));

// The unpacking process is meant to die when the library fails: it dies as
// the system ends it, without the crash handlers or death callbacks this
// process installed (a crash reporter, a fuzzer, a sanitizer), and leaves
// no core file.
void ForgetCrashHandlers() {
    sigset_t crashes;
    sigemptyset(&crashes);
    for (int sig : {SIGSEGV, SIGBUS, SIGABRT, SIGFPE, SIGILL, SIGXCPU, SIGXFSZ, SIGALRM, SIGINT, SIGTERM}) {
        struct sigaction action {};
        action.sa_handler = SIG_DFL;
        sigemptyset(&action.sa_mask);
        ::sigaction(sig, &action, nullptr);
        sigaddset(&crashes, sig);
    }
    ::sigprocmask(SIG_UNBLOCK, &crashes, nullptr);
    if (__sanitizer_set_death_callback) __sanitizer_set_death_callback(nullptr);
    rlimit core{0, 0};
    ::setrlimit(RLIMIT_CORE, &core);
}

[[noreturn]] void UnpackInChild(const std::string& fileName, int fd) {
    ForgetCrashHandlers();
    rlimit cpu{10, 10};
    ::setrlimit(RLIMIT_CPU, &cpu);
    if (ChildHookForTesting) ChildHookForTesting();
    int file = ::open(fileName.c_str(), O_RDONLY | O_CLOEXEC);
    if (file < 0 || !PlausibleHeaders(file)) ::_exit(2);
    ::close(file);
    chmFile* h = chm_open(fileName.c_str());
    if (!h) ::_exit(2);
    TUnpackState st{fd};
    chm_enumerate(h, CHM_ENUMERATE_NORMAL | CHM_ENUMERATE_SPECIAL | CHM_ENUMERATE_FILES, SendObject, &st);
    chm_close(h);
    if (st.Failed || !WriteAll(fd, "E", 1)) ::_exit(3);
    ::_exit(0);
}

// Reads the child's stream (lengths in this machine's byte order); false on
// a malformed or incomplete stream.
bool ParseStream(const std::string& s, std::map<std::string, std::string>& objects) {
    size_t at = 0;
    while (at < s.size()) {
        char tag = s[at++];
        if (tag == 'E') return at == s.size();
        if (tag != 'O' || s.size() - at < 4) return false;
        uint32_t pathLen = 0;
        std::memcpy(&pathLen, s.data() + at, 4);
        at += 4;
        if (s.size() - at < uint64_t(pathLen) + 8) return false;
        std::string path = s.substr(at, pathLen);
        at += pathLen;
        uint64_t dataLen = 0;
        std::memcpy(&dataLen, s.data() + at, 8);
        at += 8;
        if (s.size() - at < dataLen) return false;
        objects[path] = s.substr(at, static_cast<size_t>(dataLen));
        at += static_cast<size_t>(dataLen);
    }
    return false;
}

bool UnpackArchive(const std::string& fileName, std::map<std::string, std::string>& objects) {
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) return false;
    pid_t pid = ::fork();
    if (pid < 0) {
        ::close(fds[0]);
        ::close(fds[1]);
        return false;
    }
    if (pid == 0) {
        ::close(fds[0]);
        UnpackInChild(fileName, fds[1]);
    }
    ::close(fds[1]);
    // The parent's end does not block: what is there is read, then the wait
    // (the window's event loop, when one is installed) goes on until more comes.
    ::fcntl(fds[0], F_SETFL, ::fcntl(fds[0], F_GETFL) | O_NONBLOCK);
    std::string stream;
    bool complete = false;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kUnpackTimeoutMs);
    char buf[65536];
    while (stream.size() <= kMaxTotalSize + (kMaxObjects * 16ull)) {
        ssize_t n = ::read(fds[0], buf, sizeof buf);
        if (n > 0) {
            stream.append(buf, static_cast<size_t>(n));
            continue;
        }
        if (n == 0) {
            complete = true;
            break;
        }
        if (errno == EINTR) continue;
        if (errno != EAGAIN && errno != EWOULDBLOCK) break;
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now())
                .count();
        if (left <= 0) break;
        const int timeout = static_cast<int>(left);
        if (WaitFunc()) {
            WaitFunc()(fds[0], timeout);
        } else {
            pollfd p{fds[0], POLLIN, 0};
            ::poll(&p, 1, timeout);
        }
    }
    ::close(fds[0]);
    if (!complete) ::kill(pid, SIGKILL);
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {}
    if (!complete || !WIFEXITED(status) || WEXITSTATUS(status) != 0) return false;
    return ParseStream(stream, objects);
}
#endif

// ---- Sitemaps ----------------------------------------------------------------------------

struct TSitemapNode {
    std::string Name;
    std::vector<std::string> Locals;
    std::vector<TSitemapNode> Children;
};

std::string DecodeEntities(const std::string& s) {
    std::string out;
    out.reserve(s.size());
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] != '&') {
            out += s[i];
            continue;
        }
        size_t semi = s.find(';', i);
        if (semi == std::string::npos || semi - i > 10) {
            out += s[i];
            continue;
        }
        std::string name = s.substr(i + 1, semi - i - 1);
        uint32_t code = 0;
        if (name == "amp")
            code = '&';
        else if (name == "lt")
            code = '<';
        else if (name == "gt")
            code = '>';
        else if (name == "quot")
            code = '"';
        else if (name == "apos")
            code = '\'';
        else if (name == "nbsp")
            code = 0xA0;
        else if (name.size() > 1 && name[0] == '#') {
            bool hex = name[1] == 'x' || name[1] == 'X';
            std::string digits = name.substr(hex ? 2 : 1);
            char* end = nullptr;
            unsigned long v = digits.empty() ? 0 : std::strtoul(digits.c_str(), &end, hex ? 16 : 10);
            if (end && *end == '\0' && v > 0 && v <= 0x10FFFF && (v < 0xD800 || v > 0xDFFF))
                code = static_cast<uint32_t>(v);
        }
        if (code == 0) {
            out += s[i];
            continue;
        }
        AppendUtf8(out, code);
        i = semi;
    }
    return out;
}

// One tag: its lower-case name (with a leading "/" for an end tag) and
// attributes (lower-case names, decoded values).
struct TTag {
    std::string Name;
    std::map<std::string, std::string> Attrs;
};

TTag ParseTag(const std::string& body) {
    TTag tag;
    size_t i = 0, n = body.size();
    auto isSpace = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f'; };
    while (i < n && isSpace(body[i])) ++i;
    size_t start = i;
    while (i < n && !isSpace(body[i]) && body[i] != '/') ++i;
    if (i == start && i < n && body[i] == '/') {
        ++i;
        while (i < n && !isSpace(body[i])) ++i;
    }
    tag.Name = LowerAscii(body.substr(start, i - start));
    while (i < n) {
        while (i < n && (isSpace(body[i]) || body[i] == '/')) ++i;
        size_t a = i;
        while (i < n && !isSpace(body[i]) && body[i] != '=' && body[i] != '/') ++i;
        std::string attr = LowerAscii(body.substr(a, i - a));
        while (i < n && isSpace(body[i])) ++i;
        std::string value;
        if (i < n && body[i] == '=') {
            ++i;
            while (i < n && isSpace(body[i])) ++i;
            if (i < n && (body[i] == '"' || body[i] == '\'')) {
                char q = body[i++];
                size_t e = body.find(q, i);
                if (e == std::string::npos) e = n;
                value = body.substr(i, e - i);
                i = e < n ? e + 1 : n;
            } else {
                size_t v = i;
                while (i < n && !isSpace(body[i])) ++i;
                value = body.substr(v, i - v);
            }
        }
        if (!attr.empty()) tag.Attrs.emplace(attr, EnsureUtf8(DecodeEntities(value)));
        if (i == a) ++i;  // nothing consumed: step over
    }
    return tag;
}

std::vector<TSitemapNode> ParseSitemapNodes(const std::string& html) {
    std::vector<TSitemapNode> root;
    std::vector<std::vector<TSitemapNode>*> stack{&root};
    int ulDepth = 0;
    bool inObject = false;
    bool sitemapObject = false;
    TSitemapNode current;
    size_t i = 0;
    while (i < html.size()) {
        size_t lt = html.find('<', i);
        if (lt == std::string::npos) break;
        if (html.compare(lt, 4, "<!--") == 0) {
            size_t end = html.find("-->", lt + 4);
            i = end == std::string::npos ? html.size() : end + 3;
            continue;
        }
        // The tag ends at the first '>' outside quotes.
        size_t j = lt + 1;
        char quote = 0;
        while (j < html.size() && (quote || html[j] != '>')) {
            if (quote) {
                if (html[j] == quote) quote = 0;
            } else if (html[j] == '"' || html[j] == '\'') {
                quote = html[j];
            }
            ++j;
        }
        TTag tag = ParseTag(html.substr(lt + 1, j - lt - 1));
        i = j < html.size() ? j + 1 : html.size();
        if (tag.Name == "ul") {
            ++ulDepth;
            if (ulDepth > 1 && static_cast<int>(stack.size()) < kMaxSitemapDepth) {
                std::vector<TSitemapNode>* top = stack.back();
                if (top->empty()) top->push_back(TSitemapNode{});
                stack.push_back(&top->back().Children);
            }
        } else if (tag.Name == "/ul") {
            if (ulDepth > 0) --ulDepth;
            // Levels beyond the deepest one kept were never pushed.
            while (static_cast<int>(stack.size()) > std::max(1, ulDepth)) stack.pop_back();
        } else if (tag.Name == "object") {
            inObject = true;
            sitemapObject = AnsiSameText(tag.Attrs["type"], "text/sitemap");
            current = TSitemapNode{};
        } else if (tag.Name == "param" && inObject && sitemapObject) {
            std::string name = LowerAscii(tag.Attrs["name"]);
            const std::string& value = tag.Attrs["value"];
            if (name == "name" && current.Name.empty())
                current.Name = value;
            else if (name == "local" && !value.empty())
                current.Locals.push_back(value);
        } else if (tag.Name == "/object") {
            if (inObject && sitemapObject) stack.back()->push_back(std::move(current));
            inObject = false;
            sitemapObject = false;
            current = TSitemapNode{};
        }
    }
    return root;
}

TChmTocEntry ToTocEntry(const TSitemapNode& node) {
    TChmTocEntry e;
    e.Name = node.Name;
    if (!node.Locals.empty()) e.Local = node.Locals.front();
    for (const TSitemapNode& child : node.Children) e.Children.push_back(ToTocEntry(child));
    return e;
}

std::string PercentDecode(const std::string& s) {
    std::string out;
    for (size_t i = 0; i < s.size(); ++i) {
        auto hex = [](char c) -> int {
            if (c >= '0' && c <= '9') return c - '0';
            if (c >= 'a' && c <= 'f') return c - 'a' + 10;
            if (c >= 'A' && c <= 'F') return c - 'A' + 10;
            return -1;
        };
        if (s[i] == '%' && i + 2 < s.size() && hex(s[i + 1]) >= 0 && hex(s[i + 2]) >= 0) {
            out += static_cast<char>(hex(s[i + 1]) * 16 + hex(s[i + 2]));
            i += 2;
        } else {
            out += s[i];
        }
    }
    return out;
}

}  // namespace

std::vector<TChmTocEntry> ParseChmSitemap(const std::string& Html) {
    std::vector<TChmTocEntry> out;
    for (const TSitemapNode& node : ParseSitemapNodes(Html)) out.push_back(ToTocEntry(node));
    return out;
}

void SetChmWaitFunc(TChmWaitFunc Func) { WaitFunc() = std::move(Func); }

void SetChmUnpackChildHookForTesting(void (*Hook)()) { ChildHookForTesting = Hook; }

// ---- TChmFile ----------------------------------------------------------------------------

struct TChmFile::TImpl {
    std::map<std::string, std::string> Objects;
    std::map<std::string, std::string> ByLowerName;  // lower-case path -> path
};

std::string TChmFile::MissingMessage(const std::string& FileName) {
    return "Cannot find the help file \"" + FileName + "\".";
}

std::string TChmFile::DamagedMessage(const std::string& FileName) {
    return "The help file \"" + FileName + "\" is damaged or is not a compiled help file.";
}

void TChmFile::Damaged() const { throw EInOutError(DamagedMessage(FFileName)); }

TChmFile::TChmFile(const std::string& FileName) : FFileName(FileName), FImpl(std::make_unique<TImpl>()) {
    struct stat st {};
    if (FileName.empty() || ::stat(FileName.c_str(), &st) != 0) throw EInOutError(MissingMessage(FileName));
    if (!S_ISREG(st.st_mode)) Damaged();
#ifdef TASKMOOR_HAVE_CHMLIB
    if (!UnpackArchive(FileName, FImpl->Objects)) Damaged();
#else
    throw EInOutError("Cannot read the help file \"" + FileName +
                      "\": this program was built without a reader for compiled help files.");
#endif
    for (const auto& [path, data] : FImpl->Objects) FImpl->ByLowerName.emplace(LowerAscii(path), path);
    ReadSystem();
    ReadSitemaps();
    ReadContextMap();
    if (FDefaultTopic.empty() || FindObject(FDefaultTopic).empty()) {
        FDefaultTopic.clear();
        for (const TChmTocEntry& e : FContents)
            if (!e.Local.empty() && !FindObject(e.Local).empty()) {
                FDefaultTopic = e.Local;
                break;
            }
    }
    if (FDefaultTopic.empty()) {
        for (const auto& [path, data] : FImpl->Objects) {
            std::string lower = LowerAscii(path);
            if (lower.size() > 4 && (lower.ends_with(".htm") || lower.ends_with(".html")) &&
                lower.rfind("/#", 0) != 0 && lower.rfind("/$", 0) != 0) {
                FDefaultTopic = path;
                break;
            }
        }
    }
    // A compiled help file without a single page is of no use.
    if (FDefaultTopic.empty()) Damaged();
}

TChmFile::~TChmFile() = default;

std::vector<std::string> TChmFile::ObjectNames() const {
    std::vector<std::string> names;
    for (const auto& [path, data] : FImpl->Objects) names.push_back(path);
    return names;
}

std::string TChmFile::FindObject(const std::string& Path) const {
    std::string p = Path.substr(0, Path.find('#'));
    if (p.empty()) return {};
    if (p[0] != '/') p = "/" + p;
    if (FImpl->Objects.count(p)) return p;
    auto it = FImpl->ByLowerName.find(LowerAscii(p));
    return it == FImpl->ByLowerName.end() ? std::string() : it->second;
}

bool TChmFile::ReadObject(const std::string& Path, std::string& Data) const {
    std::string found = FindObject(Path);
    if (found.empty()) return false;
    Data = FImpl->Objects.at(found);
    return true;
}

std::string TChmFile::ResolveLink(const std::string& Base, const std::string& Link) {
    std::string link = Link;
    for (char& c : link)
        if (c == '\\') c = '/';
    // "ms-its:file.chm::/page.htm", "mk:@MSITStore:file.chm::/page.htm", "file.chm::/page.htm"
    size_t sep = link.find("::");
    if (sep != std::string::npos) {
        link = link.substr(sep + 2);
        if (link.empty() || link[0] != '/') link = "/" + link;
    } else if (link.find(':') != std::string::npos && link.find(':') < link.find_first_of("/#")) {
        return Link;  // another scheme: not a page of this file
    }
    std::string fragment;
    size_t hash = link.find('#');
    if (hash != std::string::npos) {
        fragment = link.substr(hash);
        link = link.substr(0, hash);
    }
    link = PercentDecode(link);
    std::string base = Base.substr(0, Base.find('#'));
    std::string joined;
    if (link.empty())
        joined = base.empty() ? "/" : base;
    else if (link[0] == '/')
        joined = link;
    else
        joined = base.substr(0, base.rfind('/') == std::string::npos ? 0 : base.rfind('/') + 1) + link;
    // Normalise "." and ".." segments.
    std::vector<std::string> parts;
    size_t at = 0;
    while (at <= joined.size()) {
        size_t slash = joined.find('/', at);
        if (slash == std::string::npos) slash = joined.size();
        std::string seg = joined.substr(at, slash - at);
        if (seg == "..") {
            if (!parts.empty()) parts.pop_back();
        } else if (!seg.empty() && seg != ".") {
            parts.push_back(seg);
        }
        at = slash + 1;
    }
    std::string out;
    for (const std::string& p : parts) out += "/" + p;
    if (out.empty()) out = "/";
    return out + fragment;
}

void TChmFile::ReadSystem() {
    auto it = FImpl->Objects.find("/#SYSTEM");
    if (it == FImpl->Objects.end()) return;
    const std::string& s = it->second;
    size_t at = 4;  // version
    while (at + 4 <= s.size()) {
        uint16_t code = Le16(s, at), len = Le16(s, at + 2);
        at += 4;
        if (len > s.size() - at) break;
        std::string data = s.substr(at, len);
        at += len;
        switch (code) {
        case 0: FContentsFile = ResolveLink("/", CString(data, 0)); break;
        case 1: FIndexFile = ResolveLink("/", CString(data, 0)); break;
        case 2: FDefaultTopic = ResolveLink("/", CString(data, 0)); break;
        case 3: FTitle = EnsureUtf8(CString(data, 0)); break;
        default: break;
        }
    }
}

void TChmFile::ReadSitemaps() {
    auto find = [&](const std::string& named, const char* ext) -> std::string {
        if (!named.empty() && !FindObject(named).empty()) return FindObject(named);
        for (const auto& [path, data] : FImpl->Objects)
            if (LowerAscii(path).ends_with(ext)) return path;
        return {};
    };
    std::string toc = find(FContentsFile, ".hhc");
    std::string index = find(FIndexFile, ".hhk");
    auto resolveAll = [](std::vector<TChmTocEntry>& entries, auto& self) -> void {
        for (TChmTocEntry& e : entries) {
            if (!e.Local.empty()) e.Local = ResolveLink("/", e.Local);
            self(e.Children, self);
        }
    };
    if (!toc.empty()) {
        FContents = ParseChmSitemap(FImpl->Objects.at(toc));
        resolveAll(FContents, resolveAll);
    }
    if (!index.empty()) {
        auto flatten = [&](const std::vector<TSitemapNode>& nodes, int level, auto& self) -> void {
            for (const TSitemapNode& n : nodes) {
                TChmIndexEntry e;
                e.Keyword = n.Name;
                e.Level = level;
                for (const std::string& l : n.Locals) e.Locals.push_back(ResolveLink("/", l));
                if (!e.Keyword.empty()) FIndex.push_back(std::move(e));
                self(n.Children, level + 1, self);
            }
        };
        flatten(ParseSitemapNodes(FImpl->Objects.at(index)), 0, flatten);
    }
}

void TChmFile::ReadContextMap() {
    auto ivb = FImpl->Objects.find("/#IVB");
    auto strings = FImpl->Objects.find("/#STRINGS");
    if (ivb == FImpl->Objects.end() || strings == FImpl->Objects.end()) return;
    const std::string& map = ivb->second;
    if (map.size() < 4) return;
    uint64_t bytes = std::min<uint64_t>(Le32(map, 0), map.size() - 4);
    for (size_t at = 4; at + 8 <= 4 + bytes; at += 8) {
        uint32_t context = Le32(map, at), offset = Le32(map, at + 4);
        std::string name = CString(strings->second, offset);
        if (name.empty()) continue;
        for (char& c : name)
            if (c == '\\') c = '/';
        std::string fragment;
        if (name.find('#') != std::string::npos) {
            fragment = name.substr(name.find('#'));
            name = name.substr(0, name.find('#'));
        }
        // Some compilers store the page's path as it was on the build machine:
        // the longest tail of it that names an object of the file is the page.
        std::string page;
        std::string rest = ResolveLink("/", name);
        while (true) {
            page = FindObject(rest);
            if (!page.empty()) break;
            size_t next = rest.find('/', 1);
            if (next == std::string::npos) break;
            rest = rest.substr(next);
        }
        FContextMap[context] = (page.empty() ? ResolveLink("/", name) : page) + fragment;
    }
}

std::string TChmFile::TopicOfContext(int Context) const {
    auto it = FContextMap.find(static_cast<uint32_t>(Context));
    return it == FContextMap.end() ? std::string() : it->second;
}

int TChmFile::FindKeyword(const std::string& Keyword) const {
    size_t at = 0;
    while (at <= Keyword.size()) {
        size_t semi = Keyword.find(';', at);
        if (semi == std::string::npos) semi = Keyword.size();
        std::string one = Trim(Keyword.substr(at, semi - at));
        if (!one.empty())
            for (size_t i = 0; i < FIndex.size(); ++i)
                if (AnsiSameText(FIndex[i].Keyword, one)) return static_cast<int>(i);
        at = semi + 1;
    }
    return -1;
}

int TChmFile::FindKeywordPrefix(const std::string& Text) const {
    std::string lower = AnsiLowerCase(Text);
    for (size_t i = 0; i < FIndex.size(); ++i)
        if (AnsiLowerCase(FIndex[i].Keyword).rfind(lower, 0) == 0) return static_cast<int>(i);
    return -1;
}
