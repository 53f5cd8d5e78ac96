// CRC-16/MODBUS: reflected polynomial 0xA001, initial value 0xFFFF, no final
// exclusive-or. The password block of a protected table carries this check
// over its key text, low byte first.
#pragma once

#include <cstddef>
#include <cstdint>

constexpr uint16_t Crc16Initial = 0xFFFF;

// Runs the register over one byte.
uint16_t UpdateCrc16(uint16_t crc, uint8_t value);
// Runs the register, starting at `crc`, over `size` bytes.
uint16_t Crc16(const void* data, std::size_t size, uint16_t crc = Crc16Initial);
