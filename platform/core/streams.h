// Streams: sequential and random access to bytes in memory, in a string or in
// a file. TStream is the abstract base with the buffer-level helpers that
// raise on short transfers.
//
// Integers and doubles written through the helpers are little-endian, as the
// table file format requires.
#pragma once

#include <cstdint>
#include <string>

#include "platform/core/object.h"

// Seek origins.
constexpr int soFromBeginning = 0;
constexpr int soFromCurrent = 1;
constexpr int soFromEnd = 2;

class TStream : public TObject {
    TASKMOOR_CLASS(TStream, TObject)
public:
    // Transfer up to count bytes; answer how many moved (0 at the end).
    virtual int64_t Read(void* buffer, int64_t count) = 0;
    virtual int64_t Write(const void* buffer, int64_t count) = 0;
    // Move to offset from origin (soFromBeginning, ...); answer the new position.
    virtual int64_t Seek(int64_t offset, int origin) = 0;

    int64_t Position();
    void SetPosition(int64_t value);
    virtual int64_t Size();
    virtual void SetSize(int64_t newSize);

    // Exactly count bytes or EReadError "Stream read error" / EWriteError
    // "Stream write error".
    void ReadBuffer(void* buffer, int64_t count);
    void WriteBuffer(const void* buffer, int64_t count);
    // Copies count bytes from source's position; count 0 copies the whole
    // source from its beginning. Answers the bytes copied.
    int64_t CopyFrom(TStream* source, int64_t count);

    // Little-endian values; reads raise EReadError when the stream ends early.
    uint8_t ReadByte();
    int16_t ReadInt16();
    int32_t ReadInt32();
    int64_t ReadInt64();
    double ReadDouble();
    std::string ReadString(int64_t count);
    void WriteByte(uint8_t value);
    void WriteInt16(int16_t value);
    void WriteInt32(int32_t value);
    void WriteInt64(int64_t value);
    void WriteDouble(double value);
    void WriteString(const std::string& value);
};

// A stream over one block of memory that grows as it is written.
class TMemoryStream : public TStream {
    TASKMOOR_CLASS(TMemoryStream, TStream)
public:
    TMemoryStream() = default;
    ~TMemoryStream() override;

    int64_t Read(void* buffer, int64_t count) override;
    int64_t Write(const void* buffer, int64_t count) override;
    int64_t Seek(int64_t offset, int origin) override;
    int64_t Size() override { return FSize; }
    void SetSize(int64_t newSize) override;

    void* Memory() const { return FMemory; }
    void Clear();

    // Whole contents from/to a stream or file. SaveToFile writes a temporary
    // file and renames it over the target, so the target is never half written.
    void LoadFromStream(TStream* stream);
    void SaveToStream(TStream* stream);
    void LoadFromFile(const std::string& fileName);
    void SaveToFile(const std::string& fileName);

protected:
    // Answers a block of at least newCapacity bytes holding the current
    // contents (newCapacity may be rounded up); nullptr for 0. Descendants
    // change the growth policy here. Raises EStreamError "Out of memory while
    // expanding memory stream" when no memory is left.
    virtual void* Realloc(int64_t& newCapacity);
    int64_t Capacity() const { return FCapacity; }
    void SetCapacity(int64_t newCapacity);
    // Lays the stream over a caller's buffer without copying; the buffer stays
    // the caller's (it is copied out before the stream ever grows).
    void SetPointer(void* ptr, int64_t size);
    bool OwnsMemory() const { return FOwnsMemory; }

private:
    void* FMemory = nullptr;
    int64_t FSize = 0;
    int64_t FPosition = 0;
    int64_t FCapacity = 0;
    bool FOwnsMemory = true;
};

// A stream over a std::string.
class TStringStream : public TStream {
    TASKMOOR_CLASS(TStringStream, TStream)
public:
    explicit TStringStream(std::string data = std::string());

    int64_t Read(void* buffer, int64_t count) override;
    int64_t Write(const void* buffer, int64_t count) override;
    int64_t Seek(int64_t offset, int origin) override;
    int64_t Size() override { return static_cast<int64_t>(FData.size()); }
    void SetSize(int64_t newSize) override;

    const std::string& DataString() const { return FData; }

private:
    std::string FData;
    int64_t FPosition = 0;
};

// File open modes. The share flags are accepted and have no effect here.
constexpr unsigned fmCreate = 0xFF00;
constexpr unsigned fmOpenRead = 0x0000;
constexpr unsigned fmOpenWrite = 0x0001;
constexpr unsigned fmOpenReadWrite = 0x0002;
constexpr unsigned fmShareCompat = 0x0000;
constexpr unsigned fmShareExclusive = 0x0010;
constexpr unsigned fmShareDenyWrite = 0x0020;
constexpr unsigned fmShareDenyRead = 0x0030;
constexpr unsigned fmShareDenyNone = 0x0040;

// A stream over an open file. fmCreate creates or truncates the file
// (EFCreateError "Cannot create file "%s". %s"); the other modes open an
// existing one (EFOpenError "Cannot open file "%s". %s"), %s being the
// system's reason.
class TFileStream : public TStream {
    TASKMOOR_CLASS(TFileStream, TStream)
public:
    TFileStream(const std::string& fileName, unsigned mode);
    ~TFileStream() override;

    int64_t Read(void* buffer, int64_t count) override;
    int64_t Write(const void* buffer, int64_t count) override;
    int64_t Seek(int64_t offset, int origin) override;
    int64_t Size() override;
    void SetSize(int64_t newSize) override;

    const std::string& FileName() const { return FFileName; }
    int Handle() const { return FHandle; }

private:
    std::string FFileName;
    int FHandle = -1;
};

// Test hook: simulated write failures. After okWrites more successful writes
// to files (file streams, atomic file writes, file copies), every write fails
// as on a full disk until ResetWriteFaults. Memory streams never fail.
void SimulateWriteFailure(int okWrites);
void ResetWriteFaults();
