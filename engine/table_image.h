// Private to the table file's sources (table_file.cpp reads images,
// table_input.cpp takes their bytes, table_write.cpp writes them): the chunk
// size they work in, little-endian numbers, the reader's input and progress
// reports.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string_view>

#include "engine/record_store.h"
#include "engine/sapphire.h"

// The size of the chunks table files are written and read in (SetTableChunkSize).
std::size_t TableChunkSize();

inline int32_t GetLE32(const uint8_t* p) {
    return static_cast<int32_t>(uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 |
                                uint32_t{p[3]} << 24);
}

inline void PutLE32(uint8_t* p, int32_t value) {
    const auto v = static_cast<uint32_t>(value);
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
    p[2] = static_cast<uint8_t>(v >> 16);
    p[3] = static_cast<uint8_t>(v >> 24);
}

// The bytes of an image as the reader takes them: either all in memory, or
// pulled from a source in chunks into a buffer of its own. Need(n) makes n
// bytes contiguous at P (refilling moves them: pointers into the buffer do
// not survive a Need). Once a cipher is set, every byte from P on is
// deciphered as it enters the buffer.
class TImageInput {
public:
    using TSource = std::function<std::size_t(uint8_t* buffer, std::size_t count)>;

    TImageInput(const uint8_t* data, std::size_t size) : P(data), End(data + size) {}
    TImageInput(TSource source, uint64_t size) : FSource(std::move(source)), FUnread(size) {}

    const uint8_t* P = nullptr;
    const uint8_t* End = nullptr;
    // The threads the records are parsed on.
    int Threads = 1;

    // Contiguous now.
    std::size_t Left() const { return static_cast<std::size_t>(End - P); }
    // To the end of the image.
    uint64_t Remaining() const { return Left() + FUnread; }
    bool Need(std::size_t n) { return Left() >= n || Refill(n); }
    bool Int32(int32_t& v) {
        if (!Need(4)) return false;
        v = GetLE32(P);
        P += 4;
        return true;
    }
    // Deciphers the rest of the image with a cipher keyed by `key`.
    void StartCipher(std::string_view key);
    // True while the rest of the image is all in memory at [P, End).
    bool Whole() const { return !FSource; }
    // Copies the next bytes, at most n, to `to` (deciphered); answers how
    // many: fewer only at the end of the image or of the source.
    std::size_t Take(uint8_t* to, std::size_t n);

private:
    bool Refill(std::size_t n);
    void Buffer(std::size_t capacity);

    TSource FSource;
    uint64_t FUnread = 0;
    std::unique_ptr<uint8_t[]> FBuffer;
    std::size_t FCapacity = 0;
    std::unique_ptr<TSapphire> FCipher;
};

// Reports whole percentages of a long loop when they change.
class TProgress {
public:
    TProgress(const TOstraCursor::TProgressEvent& handler, int64_t total)
        : FHandler(handler), FTotal(total) {}
    void Step(int64_t done) {
        if (!FHandler || FTotal <= 0) return;
        const int pct = static_cast<int>((done * 200 + FTotal) / (FTotal * 2));
        if (pct != FLast) {
            FLast = pct;
            FHandler(pct);
        }
    }

private:
    const TOstraCursor::TProgressEvent& FHandler;
    int64_t FTotal;
    int FLast = 0;
};
