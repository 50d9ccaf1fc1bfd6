#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace zadaravod::workbook {

/// The longest text a cell holds, in UTF-16 code units.
inline constexpr std::size_t kMaxCellTextLength = 32767;

/// A cell text in the form stored in a workbook part.
struct EncodedCellText {
    std::string text;             ///< valid UTF-8 that XML 1.0 can carry
    std::size_t utf16Length = 0;  ///< length as spreadsheet programs count it
};

/// Makes any UTF-8 text storable: invalid byte sequences become U+FFFD, and
/// characters XML cannot carry (control characters other than tab and line
/// feed, U+FFFE, U+FFFF) are written in the workbook escape form "_xHHHH_", as
/// is a "_" that would otherwise start such a form.
EncodedCellText encodeCellText(std::string_view utf8);

/// Reverses the "_xHHHH_" escapes of a stored text.
std::string decodeCellText(std::string_view stored);

}  // namespace zadaravod::workbook
