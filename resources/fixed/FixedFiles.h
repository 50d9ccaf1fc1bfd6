#pragma once

#include <array>
#include <cstdint>
#include <cstring>

namespace zadaravod::fixed {

/// The 256-byte block the image carries at 0x16F00 in place of the chip
/// maker's code block (docs/image-format.md, "Chip code block"):
///   0..15    "ZADARAVOD-IMAGE" and a zero byte
///   16, 17   image format version, major 1 and minor 0
///   18       sound element format version 1
///   19       0x00
///   20..23   sound data offset 0x17FF0, little-endian
///   24..25   playlist slots 220, little-endian
///   26..27   sound table entries 510, little-endian
///   28..29   element block bytes 42, little-endian
///   30       samples per element block 65
///   31       0x00
///   32..127  an ASCII note, zero-padded
///   128..253 0xFF
///   254..255 CRC-16/CCITT-FALSE of bytes 0..253, little-endian
inline std::array<std::uint8_t, 256> chipCodeBlock() {
    std::array<std::uint8_t, 256> b{};
    const char magic[] = "ZADARAVOD-IMAGE";
    std::memcpy(b.data(), magic, sizeof magic);
    b[16] = 1;
    b[17] = 0;
    b[18] = 1;
    b[20] = 0xF0;
    b[21] = 0x7F;
    b[22] = 0x01;
    b[24] = 220;
    b[26] = 510 & 0xFF;
    b[27] = 510 >> 8;
    b[28] = 42;
    b[30] = 65;
    const char note[] =
        "ZadarAvod identification block; put the chip maker's code file here to replace it.";
    static_assert(sizeof note <= 96);
    std::memcpy(b.data() + 32, note, sizeof note);
    for (std::size_t i = 128; i < 254; ++i) b[i] = 0xFF;
    std::uint16_t crc = 0xFFFF;
    for (std::size_t i = 0; i < 254; ++i) {
        crc = static_cast<std::uint16_t>(crc ^ (static_cast<std::uint16_t>(b[i]) << 8));
        for (int k = 0; k < 8; ++k)
            crc = static_cast<std::uint16_t>((crc & 0x8000) ? (crc << 1) ^ 0x1021 : crc << 1);
    }
    b[254] = static_cast<std::uint8_t>(crc);
    b[255] = static_cast<std::uint8_t>(crc >> 8);
    return b;
}

}  // namespace zadaravod::fixed
