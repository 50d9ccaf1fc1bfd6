#include "tools/CellText.h"

#include <cstdint>
#include <cstdio>

namespace zadaravod::workbook {

namespace {

void appendUtf8(std::string& out, std::uint32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

/// Decodes one UTF-8 sequence at s[i]; returns its length, or 0 when invalid.
std::size_t decodeOne(std::string_view s, std::size_t i, std::uint32_t& cp) {
    const auto b = [&](std::size_t k) { return static_cast<unsigned char>(s[i + k]); };
    const unsigned char lead = b(0);
    std::size_t length = 0;
    std::uint32_t minimum = 0;
    if (lead < 0x80) {
        cp = lead;
        return 1;
    } else if ((lead & 0xE0) == 0xC0) {
        length = 2, cp = lead & 0x1F, minimum = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3, cp = lead & 0x0F, minimum = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4, cp = lead & 0x07, minimum = 0x10000;
    } else {
        return 0;
    }
    if (i + length > s.size()) return 0;
    for (std::size_t k = 1; k < length; ++k) {
        if ((b(k) & 0xC0) != 0x80) return 0;
        cp = (cp << 6) | (b(k) & 0x3F);
    }
    if (cp < minimum || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
    return length;
}

bool isHex(char c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}

/// Whether s[i..] is "_xHHHH_".
bool isEscapeAt(std::string_view s, std::size_t i) {
    if (i + 7 > s.size() || s[i] != '_' || (s[i + 1] != 'x' && s[i + 1] != 'X') || s[i + 6] != '_')
        return false;
    return isHex(s[i + 2]) && isHex(s[i + 3]) && isHex(s[i + 4]) && isHex(s[i + 5]);
}

void appendEscape(std::string& out, std::uint32_t unit) {
    char buffer[8];
    std::snprintf(buffer, sizeof buffer, "_x%04X_", static_cast<unsigned>(unit));
    out += buffer;
}

}  // namespace

EncodedCellText encodeCellText(std::string_view utf8) {
    EncodedCellText result;
    result.text.reserve(utf8.size());
    std::size_t i = 0;
    while (i < utf8.size()) {
        std::uint32_t cp = 0;
        std::size_t length = decodeOne(utf8, i, cp);
        if (length == 0) {
            cp = 0xFFFD;
            length = 1;
        }
        result.utf16Length += cp >= 0x10000 ? 2 : 1;
        const bool control = cp < 0x20 && cp != '\t' && cp != '\n';
        if (control || cp == 0xFFFE || cp == 0xFFFF || (cp == '_' && isEscapeAt(utf8, i))) {
            appendEscape(result.text, cp);
        } else {
            appendUtf8(result.text, cp);
        }
        i += length;
    }
    return result;
}

std::string decodeCellText(std::string_view stored) {
    if (stored.find("_x") == std::string_view::npos && stored.find("_X") == std::string_view::npos)
        return std::string(stored);
    std::string out;
    out.reserve(stored.size());
    std::size_t i = 0;
    while (i < stored.size()) {
        if (isEscapeAt(stored, i)) {
            std::uint32_t unit = 0;
            for (std::size_t k = 2; k < 6; ++k) {
                const char c = stored[i + k];
                unit = unit * 16 +
                       static_cast<std::uint32_t>(c <= '9' ? c - '0' : (c | 0x20) - 'a' + 10);
            }
            appendUtf8(out, unit >= 0xD800 && unit <= 0xDFFF ? 0xFFFD : unit);
            i += 7;
        } else {
            out += stored[i++];
        }
    }
    return out;
}

}  // namespace zadaravod::workbook
