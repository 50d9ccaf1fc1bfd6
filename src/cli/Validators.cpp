// Checks of single argument values, made while parsing: a value that fails
// one is a usage error (status 2) that names the option and the value.
#include <CLI/CLI.hpp>

#include <string>

#include "cli/Cli.h"
#include "model/SamplingRates.h"

namespace zadaravod::cli {

namespace {

/// `text` as a whole decimal number of at most 9 digits; -1 when it is not one.
int wholeNumber(const std::string& text) {
    if (text.empty() || text.size() > 9) return -1;
    int value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') return -1;
        value = value * 10 + (c - '0');
    }
    return value;
}

}  // namespace

CLI::Validator supportedRate() {
    return CLI::Validator(
        [](std::string& text) -> std::string {
            if (isSupportedRate(wholeNumber(text))) return {};
            return text + " is not a rate the chip plays; give one of (Hz): " +
                   rateListText(kSupportedRates.back());
        },
        "HZ");
}

CLI::Validator numberFromOne() {
    return CLI::Validator(
        [](std::string& text) -> std::string {
            if (wholeNumber(text) >= 1) return {};
            return text + " is not a number from 1";
        },
        "");
}

}  // namespace zadaravod::cli
