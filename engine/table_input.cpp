// The bytes of a table image as the reader takes them (TImageInput).
#include <algorithm>
#include <cstring>

#include "engine/sapphire.h"
#include "engine/table_image.h"

// Takes the bytes left into a buffer of its own: from then on the rest of
// the image is pulled in chunks (from memory, when the image was there).
void TImageInput::Buffer(std::size_t capacity) {
    const std::size_t left = Left();
    if (!FSource) {
        // Memory image: the rest becomes the source, read like a file.
        const uint8_t* from = P;
        FUnread = left;
        FSource = [from](uint8_t* buffer, std::size_t count) mutable {
            std::memcpy(buffer, from, count);
            from += count;
            return count;
        };
        P = End = nullptr;
        Buffer(capacity);
        return;
    }
    if (capacity > FCapacity) {
        std::unique_ptr<uint8_t[]> bigger(new uint8_t[capacity]);
        if (left) std::memmove(bigger.get(), P, left);
        FBuffer = std::move(bigger);
        FCapacity = capacity;
    } else if (left && P != FBuffer.get()) {
        std::memmove(FBuffer.get(), P, left);
    }
    P = FBuffer.get();
    End = P + left;
}

bool TImageInput::Refill(std::size_t n) {
    if (n > Remaining()) return false;
    Buffer(std::max(n, TableChunkSize()));
    while (Left() < n) {
        const std::size_t want = static_cast<std::size_t>(std::min<uint64_t>(FUnread, FCapacity - Left()));
        uint8_t* at = FBuffer.get() + Left();
        const std::size_t got = FSource(at, want);
        if (got == 0) {
            FUnread = 0;  // the source ended early
            return false;
        }
        if (FCipher) FCipher->Decipher(at, got);
        End += got;
        FUnread -= got;
    }
    return true;
}

std::size_t TImageInput::Take(uint8_t* to, std::size_t n) {
    std::size_t done = std::min(n, Left());
    if (done) std::memcpy(to, P, done);
    P += done;
    while (done < n && FUnread > 0) {
        const std::size_t want = static_cast<std::size_t>(std::min<uint64_t>(FUnread, n - done));
        const std::size_t got = FSource(to + done, want);
        if (got == 0) {
            FUnread = 0;  // the source ended early
            break;
        }
        if (FCipher) FCipher->Decipher(to + done, got);
        done += got;
        FUnread -= got;
    }
    if (FSource && Left() == 0) {  // the buffer is not needed any more
        FBuffer.reset();
        FCapacity = 0;
        P = End = nullptr;
    }
    return done;
}

void TImageInput::StartCipher(std::string_view key) {
    Buffer(TableChunkSize());
    FCipher = std::make_unique<TSapphire>(key);
    FCipher->Decipher(const_cast<uint8_t*>(P), Left());
}
