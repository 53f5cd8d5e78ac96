// The stream base's typed little-endian reads and writes, and the memory, string and
// file streams with a hook to simulate failed writes.
#include "platform/core/streams.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <algorithm>
#include <bit>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/core/exceptions.h"
#include "platform/core/files.h"

// ---------------------------------------------------------------------------
// Simulated write failures

namespace {
int GWritesLeft = -1;  // -1: no simulation
}

void SimulateWriteFailure(int okWrites) { GWritesLeft = std::max(okWrites, 0); }

void ResetWriteFaults() { GWritesLeft = -1; }

// Called before each write to a file (also by files.cpp): False, with errno
// set to ENOSPC, when a simulated failure is due.
bool ConsumeFileWrite() {
    if (GWritesLeft < 0) return true;
    if (GWritesLeft == 0) {
        errno = ENOSPC;
        return false;
    }
    --GWritesLeft;
    return true;
}

// ---------------------------------------------------------------------------
// TStream

namespace {

template <typename T>
T FromLittleEndian(const unsigned char* bytes) {
    using U =
        std::make_unsigned_t<std::conditional_t<std::is_floating_point_v<T>,
                                                std::conditional_t<sizeof(T) == 8, int64_t, int32_t>, T>>;
    U value = 0;
    for (std::size_t i = 0; i < sizeof(T); ++i) value |= static_cast<U>(bytes[i]) << (8 * i);
    return std::bit_cast<T>(value);
}

template <typename T>
void ToLittleEndian(T value, unsigned char* bytes) {
    using U =
        std::make_unsigned_t<std::conditional_t<std::is_floating_point_v<T>,
                                                std::conditional_t<sizeof(T) == 8, int64_t, int32_t>, T>>;
    U bits = std::bit_cast<U>(value);
    for (std::size_t i = 0; i < sizeof(T); ++i) bytes[i] = static_cast<unsigned char>(bits >> (8 * i));
}

template <typename T>
T ReadValue(TStream& stream) {
    unsigned char bytes[sizeof(T)];
    stream.ReadBuffer(bytes, sizeof(T));
    return FromLittleEndian<T>(bytes);
}

template <typename T>
void WriteValue(TStream& stream, T value) {
    unsigned char bytes[sizeof(T)];
    ToLittleEndian(value, bytes);
    stream.WriteBuffer(bytes, sizeof(T));
}

}  // namespace

int64_t TStream::Position() { return Seek(0, soFromCurrent); }

void TStream::SetPosition(int64_t value) { Seek(value, soFromBeginning); }

int64_t TStream::Size() {
    int64_t pos = Seek(0, soFromCurrent);
    int64_t size = Seek(0, soFromEnd);
    Seek(pos, soFromBeginning);
    return size;
}

void TStream::SetSize(int64_t) {}

void TStream::ReadBuffer(void* buffer, int64_t count) {
    if (count != 0 && (count < 0 || Read(buffer, count) != count)) throw EReadError("Stream read error");
}

void TStream::WriteBuffer(const void* buffer, int64_t count) {
    if (count != 0 && (count < 0 || Write(buffer, count) != count)) throw EWriteError("Stream write error");
}

int64_t TStream::CopyFrom(TStream* source, int64_t count) {
    if (count == 0) {
        source->SetPosition(0);
        count = source->Size();
    }
    const int64_t chunk = 61440;
    std::vector<char> buffer(static_cast<std::size_t>(std::min(std::max<int64_t>(count, 1), chunk)));
    int64_t left = count;
    while (left > 0) {
        int64_t n = std::min(left, static_cast<int64_t>(buffer.size()));
        source->ReadBuffer(buffer.data(), n);
        WriteBuffer(buffer.data(), n);
        left -= n;
    }
    return count;
}

uint8_t TStream::ReadByte() { return ReadValue<uint8_t>(*this); }
int16_t TStream::ReadInt16() { return ReadValue<int16_t>(*this); }
int32_t TStream::ReadInt32() { return ReadValue<int32_t>(*this); }
int64_t TStream::ReadInt64() { return ReadValue<int64_t>(*this); }
double TStream::ReadDouble() { return ReadValue<double>(*this); }

std::string TStream::ReadString(int64_t count) {
    if (count < 0) throw EReadError("Stream read error");
    // Grow as the data arrives, so a corrupt length cannot demand a huge block.
    std::string result;
    const int64_t chunk = 65536;
    while (static_cast<int64_t>(result.size()) < count) {
        std::size_t done = result.size();
        std::size_t n = static_cast<std::size_t>(std::min(chunk, count - static_cast<int64_t>(done)));
        result.resize(done + n);
        ReadBuffer(result.data() + done, static_cast<int64_t>(n));
    }
    return result;
}

void TStream::WriteByte(uint8_t value) { WriteValue(*this, value); }
void TStream::WriteInt16(int16_t value) { WriteValue(*this, value); }
void TStream::WriteInt32(int32_t value) { WriteValue(*this, value); }
void TStream::WriteInt64(int64_t value) { WriteValue(*this, value); }
void TStream::WriteDouble(double value) { WriteValue(*this, value); }

void TStream::WriteString(const std::string& value) {
    WriteBuffer(value.data(), static_cast<int64_t>(value.size()));
}

// ---------------------------------------------------------------------------
// TMemoryStream

namespace {
constexpr int64_t MemoryDelta = 8192;  // capacity grows in steps of this size
}

TMemoryStream::~TMemoryStream() {
    if (FOwnsMemory) std::free(FMemory);
}

void* TMemoryStream::Realloc(int64_t& newCapacity) {
    if (newCapacity > 0 && newCapacity != FSize)
        newCapacity = (newCapacity + (MemoryDelta - 1)) & ~(MemoryDelta - 1);
    if (newCapacity == FCapacity && FOwnsMemory) return FMemory;
    if (newCapacity <= 0) {
        if (FOwnsMemory) std::free(FMemory);
        FOwnsMemory = true;
        newCapacity = 0;
        return nullptr;
    }
    void* block;
    if (FOwnsMemory) {
        block = std::realloc(FMemory, static_cast<std::size_t>(newCapacity));
    } else {
        block = std::malloc(static_cast<std::size_t>(newCapacity));
        if (block && FMemory)
            std::memcpy(block, FMemory, static_cast<std::size_t>(std::min(FSize, newCapacity)));
    }
    if (!block) throw EStreamError("Out of memory while expanding memory stream");
    FOwnsMemory = true;
    return block;
}

void TMemoryStream::SetCapacity(int64_t newCapacity) {
    FMemory = Realloc(newCapacity);
    FCapacity = newCapacity;
}

void TMemoryStream::SetPointer(void* ptr, int64_t size) {
    if (FOwnsMemory) std::free(FMemory);
    FMemory = ptr;
    FSize = size;
    FCapacity = size;
    FPosition = 0;
    FOwnsMemory = false;
}

int64_t TMemoryStream::Read(void* buffer, int64_t count) {
    if (count <= 0 || FPosition < 0 || FPosition >= FSize) return 0;
    int64_t n = std::min(count, FSize - FPosition);
    std::memcpy(buffer, static_cast<char*>(FMemory) + FPosition, static_cast<std::size_t>(n));
    FPosition += n;
    return n;
}

int64_t TMemoryStream::Write(const void* buffer, int64_t count) {
    if (count <= 0 || FPosition < 0) return 0;
    int64_t end = FPosition + count;
    if (end > FCapacity || (!FOwnsMemory && end > FSize)) SetCapacity(end);
    if (end > FSize) {
        // A gap left by seeking past the end reads as zeros.
        if (FPosition > FSize)
            std::memset(static_cast<char*>(FMemory) + FSize, 0, static_cast<std::size_t>(FPosition - FSize));
        FSize = end;
    }
    std::memcpy(static_cast<char*>(FMemory) + FPosition, buffer, static_cast<std::size_t>(count));
    FPosition = end;
    return count;
}

int64_t TMemoryStream::Seek(int64_t offset, int origin) {
    switch (origin) {
    case soFromBeginning: FPosition = offset; break;
    case soFromCurrent: FPosition += offset; break;
    case soFromEnd: FPosition = FSize + offset; break;
    default: break;
    }
    return FPosition;
}

void TMemoryStream::SetSize(int64_t newSize) {
    if (newSize < 0) newSize = 0;
    int64_t oldSize = FSize;
    int64_t oldPosition = FPosition;
    SetCapacity(newSize);
    FSize = newSize;
    if (newSize > oldSize)
        std::memset(static_cast<char*>(FMemory) + oldSize, 0, static_cast<std::size_t>(newSize - oldSize));
    FPosition = std::min(oldPosition, newSize);
}

void TMemoryStream::Clear() {
    SetCapacity(0);
    FSize = 0;
    FPosition = 0;
}

void TMemoryStream::LoadFromStream(TStream* stream) {
    stream->SetPosition(0);
    int64_t count = stream->Size();
    SetSize(count);
    if (count != 0) stream->ReadBuffer(FMemory, count);
    FPosition = 0;
}

void TMemoryStream::SaveToStream(TStream* stream) {
    if (FSize != 0) stream->WriteBuffer(FMemory, FSize);
}

void TMemoryStream::LoadFromFile(const std::string& fileName) {
    TFileStream file(fileName, fmOpenRead | fmShareDenyWrite);
    LoadFromStream(&file);
}

void TMemoryStream::SaveToFile(const std::string& fileName) {
    WriteFileAtomically(fileName, FMemory, static_cast<std::size_t>(FSize));
}

// ---------------------------------------------------------------------------
// TStringStream

TStringStream::TStringStream(std::string data) : FData(std::move(data)) {}

int64_t TStringStream::Read(void* buffer, int64_t count) {
    int64_t size = Size();
    if (count <= 0 || FPosition >= size) return 0;
    int64_t n = std::min(count, size - FPosition);
    std::memcpy(buffer, FData.data() + FPosition, static_cast<std::size_t>(n));
    FPosition += n;
    return n;
}

int64_t TStringStream::Write(const void* buffer, int64_t count) {
    if (count <= 0 || FPosition < 0) return 0;
    int64_t end = FPosition + count;
    if (end > Size()) FData.resize(static_cast<std::size_t>(end));
    std::memcpy(FData.data() + FPosition, buffer, static_cast<std::size_t>(count));
    FPosition = end;
    return count;
}

int64_t TStringStream::Seek(int64_t offset, int origin) {
    switch (origin) {
    case soFromBeginning: FPosition = offset; break;
    case soFromCurrent: FPosition += offset; break;
    case soFromEnd: FPosition = Size() + offset; break;
    default: break;
    }
    // The string holds only what was written; positions stay inside it.
    FPosition = std::clamp<int64_t>(FPosition, 0, Size());
    return FPosition;
}

void TStringStream::SetSize(int64_t newSize) {
    FData.resize(static_cast<std::size_t>(std::max<int64_t>(newSize, 0)));
    FPosition = std::min(FPosition, Size());
}

// ---------------------------------------------------------------------------
// TFileStream

TFileStream::TFileStream(const std::string& fileName, unsigned mode) : FFileName(fileName) {
    if ((mode & 0xFF00) == fmCreate) {
        FHandle = ::open(fileName.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
        if (FHandle < 0)
            throw EFCreateError("Cannot create file \"" + fileName + "\". " + std::strerror(errno));
        return;
    }
    int flags;
    switch (mode & 0x3) {
    case fmOpenWrite: flags = O_WRONLY; break;
    case fmOpenReadWrite: flags = O_RDWR; break;
    default: flags = O_RDONLY; break;
    }
    FHandle = OpenRegularFile(fileName, flags);
}

TFileStream::~TFileStream() {
    if (FHandle >= 0) ::close(FHandle);
}

int64_t TFileStream::Read(void* buffer, int64_t count) {
    int64_t done = 0;
    while (done < count) {
        ssize_t n =
            ::read(FHandle, static_cast<char*>(buffer) + done, static_cast<std::size_t>(count - done));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        done += n;
    }
    return done;
}

int64_t TFileStream::Write(const void* buffer, int64_t count) {
    if (count <= 0 || !ConsumeFileWrite()) return 0;
    int64_t done = 0;
    while (done < count) {
        ssize_t n =
            ::write(FHandle, static_cast<const char*>(buffer) + done, static_cast<std::size_t>(count - done));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        done += n;
    }
    return done;
}

int64_t TFileStream::Seek(int64_t offset, int origin) {
    int whence = origin == soFromCurrent ? SEEK_CUR : origin == soFromEnd ? SEEK_END : SEEK_SET;
    off_t pos = ::lseek(FHandle, static_cast<off_t>(offset), whence);
    return static_cast<int64_t>(pos);
}

int64_t TFileStream::Size() {
    struct stat st;
    if (::fstat(FHandle, &st) != 0) return -1;
    return static_cast<int64_t>(st.st_size);
}

void TFileStream::SetSize(int64_t newSize) {
    int64_t pos = Position();
    if (newSize < 0 || ::ftruncate(FHandle, static_cast<off_t>(newSize)) != 0)
        throw EWriteError("Stream write error");
    if (pos > newSize) SetPosition(newSize);
}
