#include "rules/EquationRules.h"

#include <cctype>

namespace zadaravod {

int equationEditId(int key) {
    if (key < 1 || key > kKeyCount) return 0;
    return key == 1 ? 1068 : 1042 + key;
}

std::string equationKeyLabel(int key) { return "Кл. " + std::to_string(key); }

std::string equationInitialText(std::int32_t number) { return std::to_string(number); }

EquationUpdate equationEditUpdate(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
        negative = text[i] == '-';
        ++i;
    }
    // Saturate instead of overflowing: anything past 219 is out of range anyway.
    std::int64_t value = 0;
    bool any = false;
    for (; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i) {
        any = true;
        if (value <= equation_dlg::kMaxList) value = value * 10 + (text[i] - '0');
    }
    if (negative) value = -value;
    EquationUpdate out;
    if (!any) return out;
    if (value < 0 || value > equation_dlg::kMaxList) {
        out.error = true;
        out.resetText = "0";
        return out;
    }
    out.number = static_cast<std::int32_t>(value);
    return out;
}

}  // namespace zadaravod
