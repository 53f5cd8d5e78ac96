// The version block's layout: building the program's own block, reading blocks out of
// program files, and querying their values.
#include "app/version_info.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string_view>

#include "platform/core/exceptions.h"
#include "platform/core/files.h"
#include "platform/core/process.h"
#include "platform/core/streams.h"
#include "platform/core/sysutils.h"

#ifndef TASKMOOR_VERSION
#error "TASKMOOR_VERSION must give the program's version"
#endif

namespace {

// ---- Block layout --------------------------------------------------------------------------
// A node: u16 length (header to the end of its last child), u16 value length,
// u16 type (0 binary, 1 text), the key with its zero byte, padding to four
// bytes, the value, padding, then the children, each starting on four bytes.
// Offsets are counted from the start of the block.

constexpr std::string_view kRootKey = "VS_VERSION_INFO";
constexpr size_t kHeaderSize = 6;
constexpr int kMaxDepth = 8;

struct TStringValue {
    std::string_view Name, Value;
};
struct TStringTable {
    std::string_view Key;
    std::vector<TStringValue> Values;
};

constexpr void Pad(std::vector<uint8_t>& out) {
    while (out.size() % 4) out.push_back(0);
}

constexpr void Put16(std::vector<uint8_t>& out, size_t at, size_t v) {
    out[at] = static_cast<uint8_t>(v & 0xFF);
    out[at + 1] = static_cast<uint8_t>((v >> 8) & 0xFF);
}

constexpr size_t BeginNode(std::vector<uint8_t>& out, std::string_view key, size_t valueLen, int type) {
    Pad(out);
    size_t start = out.size();
    for (size_t i = 0; i < kHeaderSize; ++i) out.push_back(0);
    Put16(out, start + 2, valueLen);
    Put16(out, start + 4, static_cast<size_t>(type));
    for (char c : key) out.push_back(static_cast<uint8_t>(c));
    out.push_back(0);
    Pad(out);
    return start;
}

constexpr void EndNode(std::vector<uint8_t>& out, size_t start) { Put16(out, start, out.size() - start); }

constexpr void PutWord(std::vector<uint8_t>& out, uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>((v >> (8 * i)) & 0xFF));
}

constexpr std::vector<uint8_t> WriteBlock(const TVSFixedFileInfo& fixed,
                                          const std::vector<std::pair<uint16_t, uint16_t>>& translations,
                                          const std::vector<TStringTable>& tables) {
    std::vector<uint8_t> out;
    size_t root = BeginNode(out, kRootKey, sizeof(TVSFixedFileInfo), 0);
    for (uint32_t w :
         {fixed.dwSignature, fixed.dwStrucVersion, fixed.dwFileVersionMS, fixed.dwFileVersionLS,
          fixed.dwProductVersionMS, fixed.dwProductVersionLS, fixed.dwFileFlagsMask, fixed.dwFileFlags,
          fixed.dwFileOS, fixed.dwFileType, fixed.dwFileSubtype, fixed.dwFileDateMS, fixed.dwFileDateLS})
        PutWord(out, w);
    if (!tables.empty()) {
        size_t sfi = BeginNode(out, "StringFileInfo", 0, 1);
        for (const TStringTable& t : tables) {
            size_t table = BeginNode(out, t.Key, 0, 1);
            for (const TStringValue& v : t.Values) {
                size_t node = BeginNode(out, v.Name, v.Value.size() + 1, 1);
                for (char c : v.Value) out.push_back(static_cast<uint8_t>(c));
                out.push_back(0);
                EndNode(out, node);
            }
            EndNode(out, table);
        }
        EndNode(out, sfi);
    }
    if (!translations.empty()) {
        size_t vfi = BeginNode(out, "VarFileInfo", 0, 1);
        size_t node = BeginNode(out, "Translation", translations.size() * 4, 0);
        for (const auto& [language, codePage] : translations)
            PutWord(out, static_cast<uint32_t>(language) | static_cast<uint32_t>(codePage) << 16);
        EndNode(out, node);
        EndNode(out, vfi);
    }
    EndNode(out, root);
    return out;
}

// ---- The program's own data ----------------------------------------------------------------

// "1.2.3" -> {1, 2, 3, 0}; parts beyond the fourth are ignored.
constexpr std::array<uint32_t, 4> ParseVersion(std::string_view v) {
    std::array<uint32_t, 4> parts{};
    size_t part = 0;
    for (char c : v) {
        if (c == '.') {
            if (++part == 4) break;
        } else if (c >= '0' && c <= '9') {
            parts[part] = (parts[part] * 10 + static_cast<uint32_t>(c - '0')) & 0xFFFF;
        }
    }
    return parts;
}

constexpr std::string_view kVersion = TASKMOOR_VERSION;

constexpr std::vector<uint8_t> ProgramBlockBytes() {
    constexpr std::array<uint32_t, 4> v = ParseVersion(kVersion);
    TVSFixedFileInfo fixed{};
    fixed.dwSignature = VS_FFI_SIGNATURE;
    fixed.dwStrucVersion = 0x00010000;
    fixed.dwFileVersionMS = fixed.dwProductVersionMS = v[0] << 16 | v[1];
    fixed.dwFileVersionLS = fixed.dwProductVersionLS = v[2] << 16 | v[3];
    fixed.dwFileFlagsMask = 0x3F;
    fixed.dwFileOS = 0x00040004;  // 32-bit Windows NT, as the original program
    fixed.dwFileType = 1;         // application
    return WriteBlock(fixed, {{0x0409, 0x04E4}},
                      {{"040904E4",
                        {{"CompanyName", "Brindlecote"},
                         {"FileDescription", "Taskmoor to-do list"},
                         {"FileVersion", kVersion},
                         {"InternalName", "taskmoor"},
                         {"OriginalFileName", "taskmoor"},
                         {"ProductName", "Brindlecote Taskmoor"},
                         {"ProductVersion", kVersion}}}});
}

constexpr size_t kProgramBlockSize = ProgramBlockBytes().size();

// Kept as one run of bytes in the program file, where the version API finds it.
alignas(4) constexpr std::array<uint8_t, kProgramBlockSize> kProgramBlock = [] {
    std::vector<uint8_t> bytes = ProgramBlockBytes();
    std::array<uint8_t, kProgramBlockSize> a{};
    for (size_t i = 0; i < a.size(); ++i) a[i] = bytes[i];
    return a;
}();

// ---- Reading blocks ----------------------------------------------------------------------

uint16_t Get16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }

size_t Align4(size_t v) { return (v + 3) & ~size_t(3); }

struct TNode {
    size_t Start = 0, End = 0;  // End: Start + length
    std::string_view Key;
    size_t ValueAt = 0, ValueLen = 0;
    int Type = 0;
    size_t ChildrenAt = 0;
};

// The node at Start, within Limit; false when it does not fit.
bool ReadNode(const uint8_t* block, size_t start, size_t limit, TNode& node) {
    if (start > limit || limit - start < kHeaderSize) return false;
    size_t length = Get16(block + start);
    if (length < kHeaderSize || length > limit - start) return false;
    node.Start = start;
    node.End = start + length;
    node.ValueLen = Get16(block + start + 2);
    node.Type = Get16(block + start + 4);
    size_t keyAt = start + kHeaderSize;
    const void* zero = std::memchr(block + keyAt, 0, node.End - keyAt);
    if (!zero) return false;
    size_t keyEnd = static_cast<size_t>(static_cast<const uint8_t*>(zero) - block);
    node.Key = std::string_view(reinterpret_cast<const char*>(block + keyAt), keyEnd - keyAt);
    node.ValueAt = Align4(keyEnd + 1);
    if (node.ValueAt > node.End || node.ValueLen > node.End - node.ValueAt) {
        // A node without room for its value has none (and no children).
        if (node.ValueLen != 0) return false;
        node.ValueAt = node.End;
    }
    node.ChildrenAt = Align4(node.ValueAt + node.ValueLen);
    return true;
}

bool FindChild(const uint8_t* block, const TNode& parent, std::string_view key, TNode& child) {
    size_t at = parent.ChildrenAt;
    while (at < parent.End) {
        if (!ReadNode(block, at, parent.End, child)) return false;
        if (child.Key.size() == key.size() && SameText(std::string(child.Key), std::string(key))) return true;
        at = Align4(child.End);
    }
    return false;
}

bool ValidRoot(const uint8_t* block, size_t size, TNode& root) {
    if (!ReadNode(block, 0, size, root)) return false;
    if (root.Key != kRootKey || root.ValueLen != sizeof(TVSFixedFileInfo)) return false;
    uint32_t signature = 0;
    std::memcpy(&signature, block + root.ValueAt, 4);
    return signature == VS_FFI_SIGNATURE;
}

// ---- Finding the block in a file -------------------------------------------------------------

std::string LocateFile(const std::string& name) {
    if (name.find('/') != std::string::npos) return name;
    std::string beside = ExtractFilePath(ApplicationExeName()) + name;
    if (FileExists(beside)) return beside;
    return name;
}

// Bytes of file at offset; fewer near its end.
int64_t ReadAt(TFileStream& file, int64_t offset, void* buffer, int64_t count) {
    if (file.Seek(offset, soFromBeginning) != offset) return 0;
    return file.Read(buffer, count);
}

// The version block of a file; empty when it has none.
std::vector<uint8_t> ReadBlockOfFile(const std::string& fileName) {
    std::string path = LocateFile(fileName);
    if (path.empty()) return {};
    if (IsRunningProgramFile(path)) return {kProgramBlock.begin(), kProgramBlock.end()};
    if (!IsRegularFile(path)) return {};
    std::unique_ptr<TFileStream> file;
    try {
        file = std::make_unique<TFileStream>(path, fmOpenRead | fmShareDenyNone);
    } catch (const Exception&) {
        return {};
    }
    // The marker is the root's key with its zero byte; the header stands before it.
    const std::string marker(kRootKey.data(), kRootKey.size() + 1);
    constexpr size_t chunk = 1 << 20;
    std::vector<uint8_t> buf(chunk + marker.size());
    std::vector<uint8_t> result;
    int64_t base = 0;  // file offset of buf[0]
    size_t kept = 0;
    while (result.empty()) {
        int64_t n = ReadAt(*file, base + static_cast<int64_t>(kept), buf.data() + kept, chunk);
        if (n <= 0) break;
        size_t have = kept + static_cast<size_t>(n);
        const uint8_t* from = buf.data();
        const uint8_t* end = buf.data() + have;
        while (result.empty()) {
            auto hit = std::search(from, end, marker.begin(), marker.end());
            if (hit == end) break;
            int64_t at = base + (hit - buf.data()) - static_cast<int64_t>(kHeaderSize);
            from = hit + 1;
            if (at < 0) continue;
            uint8_t header[kHeaderSize];
            if (ReadAt(*file, at, header, kHeaderSize) != static_cast<int64_t>(kHeaderSize)) continue;
            size_t length = Get16(header);
            std::vector<uint8_t> block(length);
            if (length < kHeaderSize ||
                ReadAt(*file, at, block.data(), static_cast<int64_t>(length)) != static_cast<int64_t>(length))
                continue;
            TNode root;
            if (ValidRoot(block.data(), block.size(), root)) result = std::move(block);
        }
        // Keep the tail, in case the marker straddles two reads.
        kept = std::min(have, marker.size() - 1);
        std::memmove(buf.data(), buf.data() + have - kept, kept);
        base += static_cast<int64_t>(have - kept);
    }
    return result;
}

const char* const kStringNames[12] = {"Comments",     "CompanyName",    "FileDescription", "FileVersion",
                                      "InternalName", "LegalCopyright", "LegalTrademarks", "OriginalFileName",
                                      "PrivateBuild", "ProductName",    "ProductVersion",  "SpecialBuild"};

}  // namespace

// ---- Building ----------------------------------------------------------------------------

std::vector<uint8_t> BuildVersionBlock(const TVersionData& Data) {
    std::vector<TStringTable> tables;
    for (const auto& [key, values] : Data.Strings) {
        TStringTable t{key, {}};
        for (const auto& [name, value] : values) t.Values.push_back({name, value});
        tables.push_back(std::move(t));
    }
    return WriteBlock(Data.Fixed, Data.Translations, tables);
}

std::span<const uint8_t> ProgramVersionBlock() { return {kProgramBlock.data(), kProgramBlock.size()}; }

// ---- The version API ------------------------------------------------------------------------

uint32_t GetFileVersionInfoSize(const std::string& FileName) {
    return static_cast<uint32_t>(ReadBlockOfFile(FileName).size());
}

bool GetFileVersionInfo(const std::string& FileName, uint32_t, uint32_t Len, void* Data) {
    std::vector<uint8_t> block = ReadBlockOfFile(FileName);
    if (block.empty() || !Data || Len < block.size()) return false;
    std::memcpy(Data, block.data(), block.size());
    return true;
}

bool VerQueryValue(const void* Block, size_t BlockSize, const std::string& SubBlock, const void*& Buffer,
                   uint32_t& Len) {
    Buffer = nullptr;
    Len = 0;
    if (!Block) return false;
    auto* block = static_cast<const uint8_t*>(Block);
    TNode node;
    if (!ValidRoot(block, BlockSize, node)) return false;
    int depth = 0;
    size_t at = 0;
    while (at < SubBlock.size()) {
        if (SubBlock[at] == '\\') {
            ++at;
            continue;
        }
        size_t next = SubBlock.find('\\', at);
        if (next == std::string::npos) next = SubBlock.size();
        TNode child;
        if (++depth > kMaxDepth ||
            !FindChild(block, node, std::string_view(SubBlock).substr(at, next - at), child))
            return false;
        node = child;
        at = next;
    }
    Buffer = block + node.ValueAt;
    Len = static_cast<uint32_t>(node.ValueLen);
    if (node.Type == 1 && Len > 0) {
        // Text: up to its zero byte.
        const void* zero = std::memchr(block + node.ValueAt, 0, node.ValueLen);
        if (zero) Len = static_cast<uint32_t>(static_cast<const uint8_t*>(zero) - (block + node.ValueAt));
    }
    return true;
}

bool VerQueryValue(const void* Block, const std::string& SubBlock, const void*& Buffer, uint32_t& Len) {
    if (!Block) return false;
    return VerQueryValue(Block, Get16(static_cast<const uint8_t*>(Block)), SubBlock, Buffer, Len);
}

// ---- TZkVersionInfo ----------------------------------------------------------------------

TZkVersionInfo::TZkVersionInfo(TComponent* AOwner) : TComponent(AOwner) { SetFileName(""); }

TZkVersionInfo::~TZkVersionInfo() = default;

void TZkVersionInfo::Publish(TPublisher<TZkVersionInfo>& p) {
    p.Property("FileName", &TZkVersionInfo::FileName, &TZkVersionInfo::SetFileName);
}

void TZkVersionInfo::SetFileName(const std::string& Value) {
    if (ComponentState().Contains(csDesigning)) {
        FFileName = Value;
        return;
    }
    FFileName = Value.empty() ? ApplicationExeName() : Value;
    ClearProperties();
    ReadVersionInfo();
}

void TZkVersionInfo::ClearProperties() { FHaveInfo = false; }

void TZkVersionInfo::ReadVersionInfo() {
    FHaveInfo = false;
    FFixedFileInfo = TVSFixedFileInfo{};
    FTranslationCount = 0;
    FTranslations.clear();
    FCurrentTranslation = -1;
    uint32_t size = GetFileVersionInfoSize(FFileName);
    if (size == 0) return;
    FInfoBuffer.assign(size, 0);
    if (!GetFileVersionInfo(FFileName, 0, size, FInfoBuffer.data())) return;
    FHaveInfo = true;
    const void* value = nullptr;
    uint32_t len = 0;
    if (VerQueryValue(FInfoBuffer.data(), FInfoBuffer.size(), "\\", value, len) &&
        len >= sizeof FFixedFileInfo)
        std::memcpy(&FFixedFileInfo, value, sizeof FFixedFileInfo);
    if (VerQueryValue(FInfoBuffer.data(), FInfoBuffer.size(), "\\VarFileInfo\\Translation", value, len)) {
        FTranslationCount = static_cast<int>(len / 4);
        FTranslations.resize(static_cast<size_t>(FTranslationCount));
        std::memcpy(FTranslations.data(), value, FTranslations.size() * 4);
    }
    SetTranslationIndex(0);
}

int TZkVersionInfo::GetTranslationIndex() const { return FHaveInfo ? FCurrentTranslation : -1; }

void TZkVersionInfo::SetTranslationIndex(int Index) {
    FCurrentTranslation = Index >= 0 && Index < FTranslationCount ? Index : -1;
}

std::string TZkVersionInfo::GetTranslationString() const {
    if (!FHaveInfo || FCurrentTranslation < 0 ||
        FCurrentTranslation >= static_cast<int>(FTranslations.size()))
        return {};
    uint32_t pair = FTranslations[static_cast<size_t>(FCurrentTranslation)];
    char text[9];
    std::snprintf(text, sizeof text, "%4.4x%4.4x", pair & 0xFFFF, pair >> 16);
    return text;
}

std::string TZkVersionInfo::GetStringFileInfo(const std::string& Name) const {
    if (!FHaveInfo) return {};
    const void* value = nullptr;
    uint32_t len = 0;
    if (!VerQueryValue(FInfoBuffer.data(), FInfoBuffer.size(),
                       "\\StringFileInfo\\" + GetTranslationString() + "\\" + Name, value, len))
        return {};
    return std::string(static_cast<const char*>(value), len);
}

std::string TZkVersionInfo::StringName(int Index) {
    return Index >= 0 && Index < 12 ? kStringNames[Index] : std::string();
}

std::string TZkVersionInfo::GetStringByIndex(int Index) const {
    std::string name = StringName(Index);
    return name.empty() ? std::string() : GetStringFileInfo(name);
}
