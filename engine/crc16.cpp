// The CRC-16 lookup table, built once, and the byte-by-byte checksum over it.
#include "engine/crc16.h"

#include <array>

namespace {

constexpr std::array<uint16_t, 256> MakeTable() {
    std::array<uint16_t, 256> table{};
    for (unsigned i = 0; i < 256; ++i) {
        uint16_t crc = static_cast<uint16_t>(i);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 1) ? static_cast<uint16_t>((crc >> 1) ^ 0xA001) : static_cast<uint16_t>(crc >> 1);
        table[i] = crc;
    }
    return table;
}

constexpr std::array<uint16_t, 256> CrcTable = MakeTable();

}  // namespace

uint16_t UpdateCrc16(uint16_t crc, uint8_t value) {
    return static_cast<uint16_t>((crc >> 8) ^ CrcTable[(crc ^ value) & 0xFF]);
}

uint16_t Crc16(const void* data, std::size_t size, uint16_t crc) {
    const auto* p = static_cast<const uint8_t*>(data);
    for (std::size_t i = 0; i < size; ++i) crc = UpdateCrc16(crc, p[i]);
    return crc;
}
