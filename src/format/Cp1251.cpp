#include "format/Cp1251.h"

#include <array>
#include <cstdint>

#include "format/Utf8.h"

namespace zadaravod {

namespace {

// Code points of the bytes 0x80..0xFF of Windows-1251.
constexpr std::array<char16_t, 128> kHigh = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021, 0x20AC, 0x2030, 0x0409, 0x2039,
    0x040A, 0x040C, 0x040B, 0x040F, 0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x0098, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F, 0x00A0, 0x040E, 0x045E, 0x0408,
    0x00A4, 0x0490, 0x00A6, 0x00A7, 0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407,
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7, 0x0451, 0x2116, 0x0454, 0x00BB,
    0x0458, 0x0405, 0x0455, 0x0457, 0x0410, 0x0411, 0x0412, 0x0413, 0x0414, 0x0415, 0x0416, 0x0417,
    0x0418, 0x0419, 0x041A, 0x041B, 0x041C, 0x041D, 0x041E, 0x041F, 0x0420, 0x0421, 0x0422, 0x0423,
    0x0424, 0x0425, 0x0426, 0x0427, 0x0428, 0x0429, 0x042A, 0x042B, 0x042C, 0x042D, 0x042E, 0x042F,
    0x0430, 0x0431, 0x0432, 0x0433, 0x0434, 0x0435, 0x0436, 0x0437, 0x0438, 0x0439, 0x043A, 0x043B,
    0x043C, 0x043D, 0x043E, 0x043F, 0x0440, 0x0441, 0x0442, 0x0443, 0x0444, 0x0445, 0x0446, 0x0447,
    0x0448, 0x0449, 0x044A, 0x044B, 0x044C, 0x044D, 0x044E, 0x044F,
};

// Byte of each code point of the Basic Multilingual Plane (0 = none above 0x7F).
const std::array<std::uint8_t, 0x10000>& reverseTable() {
    static const auto table = [] {
        std::array<std::uint8_t, 0x10000> t{};
        for (std::size_t k = 0; k < kHigh.size(); ++k) {
            t[kHigh[k]] = static_cast<std::uint8_t>(0x80 + k);
        }
        return t;
    }();
    return table;
}

/// Decodes the character at s[i] and moves past it; a malformed sequence
/// gives U+FFFD, moves one byte and clears `ok`.
char32_t nextCharacter(std::string_view s, std::size_t& i, bool& ok) {
    char32_t cp = 0;
    const std::size_t n = decodeUtf8(s, i, cp);
    if (n == 0) {
        ++i;
        ok = false;
        return 0xFFFD;
    }
    i += n;
    return cp;
}

/// Writes `cp` (below 0x110000) as UTF-8 at `out`; returns the end.
char* putUtf8(char* out, char32_t cp) {
    if (cp < 0x80) {
        *out++ = static_cast<char>(cp);
    } else if (cp < 0x800) {
        *out++ = static_cast<char>(0xC0 | (cp >> 6));
        *out++ = static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        *out++ = static_cast<char>(0xE0 | (cp >> 12));
        *out++ = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        *out++ = static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        *out++ = static_cast<char>(0xF0 | (cp >> 18));
        *out++ = static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        *out++ = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        *out++ = static_cast<char>(0x80 | (cp & 0x3F));
    }
    return out;
}

/// Bytes of the UTF-8 form of the Windows-1251 byte `c` (0x80 or above).
std::size_t utf8Size(char c) { return kHigh[static_cast<unsigned char>(c) - 0x80] < 0x800 ? 2 : 3; }

/// The code point at unit i of `n` UTF-16 units read by `unit`, and how many
/// units it takes (a lone surrogate reads as U+FFFD).
template <typename Unit>
char32_t codePointAt(std::size_t i, std::size_t n, const Unit& unit, std::size_t& units) {
    const char16_t u = unit(i);
    units = 1;
    if (u < 0xD800 || u > 0xDFFF) return u;
    if (u <= 0xDBFF && i + 1 < n) {
        const char16_t low = unit(i + 1);
        if (low >= 0xDC00 && low <= 0xDFFF) {
            units = 2;
            return 0x10000 + ((static_cast<char32_t>(u) - 0xD800) << 10) +
                   (static_cast<char32_t>(low) - 0xDC00);
        }
    }
    return 0xFFFD;
}

/// UTF-8 of `n` UTF-16 units read by `unit`, measured first so that the
/// text is allocated once at its size.
template <typename Unit>
std::string unitsToUtf8(std::size_t n, const Unit& unit) {
    std::size_t size = 0, units = 1;
    for (std::size_t i = 0; i < n; i += units) {
        const char32_t cp = codePointAt(i, n, unit, units);
        size += cp < 0x80 ? 1 : cp < 0x800 ? 2 : cp < 0x10000 ? 3 : 4;
    }
    std::string out(size, '\0');
    char* end = out.data();
    for (std::size_t i = 0; i < n; i += units) end = putUtf8(end, codePointAt(i, n, unit, units));
    return out;
}

}  // namespace

std::optional<std::string> utf8ToCp1251(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    std::size_t i = 0;
    while (i < utf8.size()) {
        bool ok = true;
        const char32_t cp = nextCharacter(utf8, i, ok);
        if (!ok) return std::nullopt;
        if (cp < 0x80) {
            out += static_cast<char>(cp);
            continue;
        }
        const std::uint8_t code = cp < 0x10000 ? reverseTable()[cp] : 0;
        if (code == 0) return std::nullopt;
        out += static_cast<char>(code);
    }
    return out;
}

std::string cp1251ToUtf8(std::string_view bytes) {
    // Names and paths are mostly ASCII: then the bytes are the text.
    std::size_t size = bytes.size();
    for (char c : bytes) size += static_cast<unsigned char>(c) < 0x80 ? 0 : utf8Size(c) - 1;
    if (size == bytes.size()) return std::string(bytes);
    std::string out(size, '\0');
    char* end = out.data();
    for (char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        if (b < 0x80)
            *end++ = c;
        else
            end = putUtf8(end, kHigh[b - 0x80]);
    }
    return out;
}

std::u16string utf8ToUtf16(std::string_view utf8) {
    std::u16string out;
    std::size_t i = 0;
    while (i < utf8.size()) {
        bool ok = true;
        char32_t cp = nextCharacter(utf8, i, ok);
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out += static_cast<char16_t>(0xD800 + (cp >> 10));
            out += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
        } else {
            out += static_cast<char16_t>(cp);
        }
    }
    return out;
}

std::string utf16ToUtf8(std::u16string_view text) {
    return unitsToUtf8(text.size(), [&](std::size_t i) { return text[i]; });
}

std::string utf16leToUtf8(std::string_view bytes) {
    return unitsToUtf8(bytes.size() / 2, [&](std::size_t i) {
        return static_cast<char16_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                     static_cast<unsigned char>(bytes[2 * i + 1]) << 8);
    });
}

}  // namespace zadaravod
