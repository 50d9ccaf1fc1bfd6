#pragma once

// Little-endian integers, the byte order of every file format here (the
// archive stream, WAV files, sound elements, the flash image).

#include <cstdint>
#include <vector>

namespace zadaravod::le {

inline std::uint16_t get16(const std::uint8_t* p) {
    return static_cast<std::uint16_t>(p[0] | p[1] << 8);
}
inline std::uint32_t get32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(get16(p)) | static_cast<std::uint32_t>(get16(p + 2)) << 16;
}
inline void put16(std::uint8_t* p, std::uint16_t v) {
    p[0] = static_cast<std::uint8_t>(v);
    p[1] = static_cast<std::uint8_t>(v >> 8);
}
inline void put32(std::uint8_t* p, std::uint32_t v) {
    put16(p, static_cast<std::uint16_t>(v));
    put16(p + 2, static_cast<std::uint16_t>(v >> 16));
}
inline void append16(std::vector<std::uint8_t>& out, std::uint16_t v) {
    out.push_back(static_cast<std::uint8_t>(v));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
}
inline void append32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    append16(out, static_cast<std::uint16_t>(v));
    append16(out, static_cast<std::uint16_t>(v >> 16));
}

}  // namespace zadaravod::le
