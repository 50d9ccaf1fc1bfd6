#include "tools/CellText.h"

#include <cstdint>
#include <cstdio>

#include "format/Utf8.h"

namespace zadaravod::workbook {

namespace {

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
        char32_t cp = 0;
        std::size_t length = decodeUtf8(utf8, i, cp);
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
