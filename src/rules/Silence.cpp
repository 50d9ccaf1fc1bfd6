#include "rules/Silence.h"

#include <cctype>
#include <climits>

namespace zadaravod {

std::optional<CSound> fixedSilence(int commandId) {
    for (const FixedSilence& f : kFixedSilences) {
        if (f.commandId == commandId) return CSound::silence(f.durationMs);
    }
    return std::nullopt;
}

int leadingDecimal(const std::string& text) {
    std::size_t i = 0;
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    long long value = 0;
    for (; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > INT_MAX) {
            value = static_cast<long long>(INT_MAX) + 1;  // clamp, keep reading nothing more
            break;
        }
    }
    if (negative) value = -value;
    if (value > INT_MAX) return INT_MAX;
    if (value < INT_MIN) return INT_MIN;
    return static_cast<int>(value);
}

SilenceOutcome acceptSilence(const std::string& text, int unit, int listWeight) {
    SilenceOutcome out;
    const int n = leadingDecimal(text);
    if (unit == kUnitTensOfMs && (n < 1 || n > 255)) {
        out.message = "Out of range! (1 - 255)";
        return out;
    }
    if (unit == kUnitSeconds && (n < 1 || n > 10)) {
        out.message = "Out of range! (1 - 10)";
        return out;
    }
    // Other unit indexes do not occur in the two-entry combo; they count as tens.
    const long long length = unit == kUnitSeconds ? n * 1000LL : n * 10LL;
    if (listWeight > 255) {
        out.message = "Playlist full!";
        return out;
    }
    out.closes = true;
    out.endCode = length >= 1 && length <= 10000 ? static_cast<int>(length) : kSilenceCancel;
    return out;
}

}  // namespace zadaravod
