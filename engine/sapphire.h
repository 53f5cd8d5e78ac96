// The Sapphire II stream cipher: a 256-byte card permutation with rotor,
// ratchet, avalanche, last plain and last cipher bytes. Protected tables use
// it to encipher their key block and body. The cipher is keyed anew before
// every use; an empty key gives the unkeyed initial state.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

class TSapphire {
public:
    TSapphire();
    explicit TSapphire(std::string_view key);
    ~TSapphire();
    TSapphire(const TSapphire&) = delete;
    TSapphire& operator=(const TSapphire&) = delete;

    // Keys the cipher from the bytes of `key`; an empty key resets it to the
    // unkeyed state.
    void Initialize(std::string_view key);
    // Clears the whole state (cards and indices) to zero.
    void Burn();

    uint8_t Encipher(uint8_t plain);
    uint8_t Decipher(uint8_t cipher);
    // In place over a buffer, byte after byte.
    void Encipher(void* buffer, std::size_t size);
    void Decipher(void* buffer, std::size_t size);

private:
    void Unkeyed();
    uint8_t KeyRand(unsigned limit, std::string_view key, std::size_t& keyPos, uint8_t& rsum);
    uint8_t KeyByte();

    uint8_t FCards[256];
    uint8_t FRotor = 0;
    uint8_t FRatchet = 0;
    uint8_t FAvalanche = 0;
    uint8_t FLastPlain = 0;
    uint8_t FLastCipher = 0;
};
