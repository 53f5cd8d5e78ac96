// The cipher's keying from a password, and enciphering and deciphering byte by byte.
#include "engine/sapphire.h"

#include <cstring>
#include <utility>

TSapphire::TSapphire() { Unkeyed(); }

TSapphire::TSapphire(std::string_view key) { Initialize(key); }

TSapphire::~TSapphire() { Burn(); }

void TSapphire::Unkeyed() {
    FRotor = 1;
    FRatchet = 3;
    FAvalanche = 5;
    FLastPlain = 7;
    FLastCipher = 11;
    for (int i = 0; i < 256; ++i) FCards[i] = static_cast<uint8_t>(255 - i);
}

void TSapphire::Burn() {
    std::memset(FCards, 0, sizeof FCards);
    FRotor = FRatchet = FAvalanche = FLastPlain = FLastCipher = 0;
}

// A key-driven value in 0..limit; the mask keeps the first tries unbiased and
// the modulo after eleven tries bounds the loop.
uint8_t TSapphire::KeyRand(unsigned limit, std::string_view key, std::size_t& keyPos, uint8_t& rsum) {
    if (limit == 0) return 0;
    unsigned mask = 1;
    while (mask < limit) mask = (mask << 1) + 1;
    unsigned tries = 0;
    unsigned u;
    do {
        rsum = static_cast<uint8_t>(FCards[rsum] + static_cast<uint8_t>(key[keyPos]));
        if (++keyPos >= key.size()) {
            keyPos = 0;
            rsum = static_cast<uint8_t>(rsum + key.size());
        }
        u = mask & rsum;
        if (++tries > 11) u %= limit;
    } while (u > limit);
    return static_cast<uint8_t>(u);
}

void TSapphire::Initialize(std::string_view key) {
    if (key.empty()) {
        Unkeyed();
        return;
    }
    for (int i = 0; i < 256; ++i) FCards[i] = static_cast<uint8_t>(i);
    std::size_t keyPos = 0;
    uint8_t rsum = 0;
    for (int i = 255; i >= 0; --i) {
        const uint8_t t = KeyRand(static_cast<unsigned>(i), key, keyPos, rsum);
        std::swap(FCards[i], FCards[t]);
    }
    FRotor = FCards[1];
    FRatchet = FCards[3];
    FAvalanche = FCards[5];
    FLastPlain = FCards[7];
    FLastCipher = FCards[rsum];
}

uint8_t TSapphire::KeyByte() {
    FRatchet = static_cast<uint8_t>(FRatchet + FCards[FRotor]);
    ++FRotor;
    const uint8_t swapTemp = FCards[FLastCipher];
    FCards[FLastCipher] = FCards[FRatchet];
    FCards[FRatchet] = FCards[FLastPlain];
    FCards[FLastPlain] = FCards[FRotor];
    FCards[FRotor] = swapTemp;
    FAvalanche = static_cast<uint8_t>(FAvalanche + FCards[swapTemp]);
    const uint8_t a = FCards[static_cast<uint8_t>(FCards[FRatchet] + FCards[FRotor])];
    const uint8_t b =
        FCards[FCards[static_cast<uint8_t>(FCards[FLastPlain] + FCards[FLastCipher] + FCards[FAvalanche])]];
    return static_cast<uint8_t>(a ^ b);
}

uint8_t TSapphire::Encipher(uint8_t plain) {
    const uint8_t c = static_cast<uint8_t>(plain ^ KeyByte());
    FLastCipher = c;
    FLastPlain = plain;
    return c;
}

uint8_t TSapphire::Decipher(uint8_t cipher) {
    const uint8_t b = static_cast<uint8_t>(cipher ^ KeyByte());
    FLastPlain = b;
    FLastCipher = cipher;
    return b;
}

void TSapphire::Encipher(void* buffer, std::size_t size) {
    auto* p = static_cast<uint8_t*>(buffer);
    for (std::size_t i = 0; i < size; ++i) p[i] = Encipher(p[i]);
}

void TSapphire::Decipher(void* buffer, std::size_t size) {
    auto* p = static_cast<uint8_t*>(buffer);
    for (std::size_t i = 0; i < size; ++i) p[i] = Decipher(p[i]);
}
