// Builds table images byte by byte for the tests, from the file layout alone:
// little-endian integers, the marker, the optional password block, the three
// counts, the descriptor text, the notes block and the records.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "engine/crc16.h"
#include "engine/sapphire.h"

class TestImage {
public:
    // Raw appends.
    TestImage& Bytes(const std::string& s) {
        FBody += s;
        return *this;
    }
    TestImage& Byte(uint8_t b) {
        FBody += static_cast<char>(b);
        return *this;
    }
    TestImage& Int16(int16_t v) {
        const auto u = static_cast<uint16_t>(v);
        FBody += static_cast<char>(u & 0xFF);
        FBody += static_cast<char>(u >> 8);
        return *this;
    }
    TestImage& Int32(int32_t v) {
        const auto u = static_cast<uint32_t>(v);
        for (int i = 0; i < 4; ++i) FBody += static_cast<char>((u >> (8 * i)) & 0xFF);
        return *this;
    }
    TestImage& Int64(int64_t v) {
        const auto u = static_cast<uint64_t>(v);
        for (int i = 0; i < 8; ++i) FBody += static_cast<char>((u >> (8 * i)) & 0xFF);
        return *this;
    }
    TestImage& Double(double d) {
        uint64_t u;
        static_assert(sizeof u == sizeof d);
        __builtin_memcpy(&u, &d, 8);
        return Int64(static_cast<int64_t>(u));
    }
    // A String/BLOB value: presence byte is given by the caller.
    TestImage& Text32(const std::string& s) {
        Int32(static_cast<int32_t>(s.size()));
        return Bytes(s);
    }
    // The notes block.
    TestImage& Notes(const std::string& notes) {
        Byte('*');
        Int16(static_cast<int16_t>(notes.size()));
        return Bytes(notes);
    }

    // Header fields.
    TestImage& Marker(char m) {
        FMarker = m;
        return *this;
    }
    TestImage& Counts(int32_t records, int32_t fields) {
        FRecords = records;
        FFields = fields;
        return *this;
    }
    // Adds one descriptor item ending with 0x12.
    TestImage& Item(const std::string& item) {
        FDescriptor += item;
        FDescriptor += '\x12';
        return *this;
    }
    TestImage& RawDescriptor(const std::string& text) {
        FDescriptor = text;
        FCloseDescriptor = false;
        return *this;
    }
    TestImage& DescriptorLength(int32_t length) {
        FDescriptorLength = length;
        return *this;
    }
    // Protects the image: the key text's block enciphered with the password,
    // the body enciphered with the key text.
    TestImage& Protect(const std::string& password, const std::string& keyText) {
        FPassword = password;
        FKeyText = keyText;
        return *this;
    }

    std::string Build() const {
        std::string descriptor = FDescriptor;
        if (FCloseDescriptor) descriptor += '\x14';
        std::string head;
        head += FMarker;
        if (!FPassword.empty()) {
            std::string block = FKeyText;
            const uint16_t crc = Crc16(block.data(), block.size());
            TSapphire cipher(FPassword);
            for (char& c : block) c = static_cast<char>(cipher.Encipher(static_cast<uint8_t>(c)));
            block += static_cast<char>(crc & 0xFF);
            block += static_cast<char>(crc >> 8);
            head += block;
        }
        TestImage counts;
        counts.Int32(FRecords).Int32(FFields).Int32(
            FDescriptorLength.value_or(static_cast<int32_t>(descriptor.size())));
        head += counts.FBody + descriptor;
        std::string body = FBody;
        if (!FPassword.empty()) {
            TSapphire cipher(FKeyText);
            for (char& c : body) c = static_cast<char>(cipher.Encipher(static_cast<uint8_t>(c)));
        }
        TestImage length;
        length.Int32(static_cast<int32_t>(4 + head.size() + body.size()));
        return length.FBody + head + body;
    }

private:
    std::string FBody;
    std::string FDescriptor;
    bool FCloseDescriptor = true;
    std::optional<int32_t> FDescriptorLength;
    char FMarker = 'S';
    int32_t FRecords = 0;
    int32_t FFields = 0;
    std::string FPassword;
    std::string FKeyText;
};
