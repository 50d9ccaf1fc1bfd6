#pragma once

#include <string>

namespace zadaravod {

// Numbers as the editor shows them: ASCII digits, '-' before a negative
// value, '.' before decimals, never grouped. They never follow the user's
// locale: a Qt application installs that locale into the C library at start,
// after which printf's "%.2f" writes "3,17" under a Russian or German locale.

/// `value` in decimal with at least `minDigits` digits (zeros in front), as
/// printf's "%.<minDigits>d" in the C locale: decimalText(7, 3) is "007".
std::string decimalText(long long value, int minDigits = 1);

/// `value` rounded to `decimals` places (0..17), as printf's "%.<decimals>f"
/// in the C locale: fixedText(3.1701, 2) is "3.17". NaN and the infinities
/// read "nan", "inf" and "-inf".
std::string fixedText(double value, int decimals);

}  // namespace zadaravod
