#include "rules/SamplingRules.h"

#include <cctype>

#include "rules/DialogResults.h"

namespace zadaravod {

SamplingPick pickSamplingLine(const std::string& lineText) {
    long long value = 0;
    std::size_t i = 0;
    while (i < lineText.size() && std::isspace(static_cast<unsigned char>(lineText[i]))) ++i;
    for (; i < lineText.size() && std::isdigit(static_cast<unsigned char>(lineText[i])); ++i) {
        value = value * 10 + (lineText[i] - '0');
        if (value > 0x7FFFFFFF) return {result::kSamplingCancel, 0};
    }
    if (value == 0) return {result::kSamplingCancel, 0};
    return {result::kSamplingOk, static_cast<int>(value)};
}

}  // namespace zadaravod
