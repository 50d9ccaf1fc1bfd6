#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace zadaravod::workbook {

/// The sheet's bounds (as in every current spreadsheet program).
inline constexpr int kMaxRow = 1048576;
inline constexpr int kMaxColumn = 16384;

/// A cell position, 1-based like the A1 notation.
struct CellPos {
    int row = 0;
    int column = 0;
    bool operator==(const CellPos&) const = default;
};

/// Parses "B7" or "$B$7"; nullopt when the text is not a reference inside the sheet's bounds.
std::optional<CellPos> parseCellRef(std::string_view text);
/// "B7" for (7, 2). Positions must lie inside the sheet's bounds.
std::string formatCellRef(CellPos pos);
/// "AB" for 28.
std::string columnName(int column);

/// The rows first..last (inclusive) of one sheet that are being deleted; the
/// rows below move up by count().
struct RowDeletion {
    int first = 0;
    int last = 0;
    int count() const { return last - first + 1; }
    /// The new number of row `row`, or 0 when the row is deleted.
    int shiftRow(int row) const;
    /// Shrinks or moves the row span [top, bottom]; false when all of it is deleted.
    bool shiftSpan(int& top, int& bottom) const;
};

/// Moves a range ("A3:C9", "B4", "$A$3:$C$9") for a row deletion. Returns the
/// new text, "" when the whole range is deleted, nullopt when the text is not a range.
std::optional<std::string> shiftRange(std::string_view range, const RowDeletion& deletion);

/// Moves a space-separated list of ranges (a `sqref`). Deleted ranges are left
/// out; "" when nothing is left; nullopt when a part is not a range.
std::optional<std::string> shiftRangeList(std::string_view list, const RowDeletion& deletion);

/// How a formula is to be rewritten for a row deletion on the sheet `sheetName`.
struct FormulaShift {
    RowDeletion deletion;
    std::string sheetName;
    /// Whether references without a sheet name point at `sheetName` (the
    /// formula lives on that sheet, or is a name local to it).
    bool unqualifiedIsTarget = false;
};

/// The outcome of rewriting one formula.
struct ShiftedFormula {
    std::string text;
    bool changed = false;
    /// Non-empty when the formula holds something that cannot be moved
    /// (a reference spanning several sheets); `text` is then the original.
    std::string refusal;
};

/// Rewrites every row reference of `formula` that points at the shifted sheet:
/// references below the deleted rows move up, ranges that lose rows shrink,
/// references to deleted cells become "#REF!". String literals, function names,
/// references to other sheets and to other workbooks are left alone.
ShiftedFormula shiftFormula(std::string_view formula, const FormulaShift& shift);

/// The lowest and highest rows that references of `formula` to the shifted
/// sheet touch ({0, 0} when there are none); whole columns span every row.
struct RowSpan {
    int top = 0;
    int bottom = 0;
};
RowSpan rowsReferenced(std::string_view formula, const FormulaShift& shift);

}  // namespace zadaravod::workbook
