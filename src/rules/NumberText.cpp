#include "rules/NumberText.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace zadaravod {

std::string decimalText(long long value, int minDigits) {
    char buffer[32];
    const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value);
    std::string text(buffer, ec == std::errc() ? end : buffer);
    const std::size_t sign = value < 0 ? 1 : 0;
    const std::size_t digits = text.size() - sign;
    const std::size_t wanted = static_cast<std::size_t>(std::clamp(minDigits, 1, 20));
    if (digits < wanted) text.insert(sign, wanted - digits, '0');
    return text;
}

std::string fixedText(double value, int decimals) {
    if (std::isnan(value)) return "nan";
    if (std::isinf(value)) return value < 0 ? "-inf" : "inf";
    // 309 digits before the point at most, plus the sign, the point and 17
    // decimals.
    char buffer[340];
    const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value,
                                         std::chars_format::fixed, std::clamp(decimals, 0, 17));
    return std::string(buffer, ec == std::errc() ? end : buffer);
}

}  // namespace zadaravod
