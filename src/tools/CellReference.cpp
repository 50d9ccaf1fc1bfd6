#include "tools/CellReference.h"

#include <algorithm>
#include <functional>

namespace zadaravod::workbook {

namespace {

bool isLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
bool isDigit(char c) { return c >= '0' && c <= '9'; }
char upper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

/// Characters of names, sheet names and references outside quotes.
bool isWordChar(char c) {
    return isLetter(c) || isDigit(c) || c == '_' || c == '.' || c == '$' || c == '\\' ||
           static_cast<unsigned char>(c) >= 0x80;
}

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t k = 0; k < a.size(); ++k) {
        if (upper(a[k]) != upper(b[k])) return false;
    }
    return true;
}

/// One part of a reference: "$B$7", "B7", "$B", "7".
struct RefPart {
    bool columnAbsolute = false;
    bool rowAbsolute = false;
    int column = 0;  ///< 0 when the part has no column
    int row = 0;     ///< 0 when the part has no row
};

/// Reads letters then digits (each optional, each with an optional "$") at s[i].
/// Returns the end, or npos when nothing valid was read.
std::size_t readRefPart(std::string_view s, std::size_t i, RefPart& part) {
    part = {};
    std::size_t k = i;
    if (k < s.size() && s[k] == '$') {
        part.columnAbsolute = true;
        ++k;
    }
    const std::size_t lettersBegin = k;
    int column = 0;
    while (k < s.size() && isLetter(s[k]) && k - lettersBegin < 3) {
        column = column * 26 + (upper(s[k]) - 'A' + 1);
        ++k;
    }
    if (k < s.size() && isLetter(s[k])) return std::string_view::npos;  // 4+ letters: a name
    const bool hasLetters = k > lettersBegin;
    if (!hasLetters) {
        // Only digits may follow: "$7" is a row with a "$", not a column.
        part.rowAbsolute = part.columnAbsolute;
        part.columnAbsolute = false;
    } else {
        if (column > kMaxColumn) return std::string_view::npos;
        part.column = column;
        if (k < s.size() && s[k] == '$') {
            part.rowAbsolute = true;
            ++k;
        }
    }
    const std::size_t digitsBegin = k;
    long row = 0;
    while (k < s.size() && isDigit(s[k]) && k - digitsBegin < 8) {
        row = row * 10 + (s[k] - '0');
        ++k;
    }
    if (k < s.size() && isDigit(s[k])) return std::string_view::npos;
    if (k > digitsBegin) {
        if (row < 1 || row > kMaxRow) return std::string_view::npos;
        part.row = static_cast<int>(row);
    } else if (part.rowAbsolute) {
        return std::string_view::npos;  // "$A$" without a row
    }
    if (part.column == 0 && part.row == 0) return std::string_view::npos;
    return k;
}

std::string formatPart(const RefPart& p) {
    std::string out;
    if (p.column != 0) {
        if (p.columnAbsolute) out += '$';
        out += columnName(p.column);
    }
    if (p.row != 0) {
        if (p.rowAbsolute) out += '$';
        out += std::to_string(p.row);
    }
    return out;
}

/// A reference found in a formula.
struct RefToken {
    std::size_t begin = 0;  ///< of the reference proper, after any "Sheet!"
    std::size_t end = 0;
    RefPart a;
    RefPart b;
    bool isRange = false;
    bool hasSheet = false;
    std::string sheet;
    bool external = false;  ///< "[1]Sheet!A1": another workbook
    bool threeD = false;    ///< "Sheet1:Sheet3!A1"
};

/// Reads a cell, a cell range, a row range or a column range at s[i].
/// Returns the end, or npos when there is none (or when a name continues it).
std::size_t readReference(std::string_view s, std::size_t i, RefToken& t) {
    std::size_t k = readRefPart(s, i, t.a);
    if (k == std::string_view::npos) return k;
    t.isRange = false;
    if (k < s.size() && s[k] == ':') {
        RefPart b;
        const std::size_t e = readRefPart(s, k + 1, b);
        const bool sameKind = e != std::string_view::npos && (t.a.column != 0) == (b.column != 0) &&
                              (t.a.row != 0) == (b.row != 0);
        if (sameKind && (e >= s.size() || (!isWordChar(s[e]) && s[e] != '('))) {
            t.b = b;
            t.isRange = true;
            k = e;
        }
    }
    // A lone part must be a whole cell: "A" or "7" alone are not references.
    if (!t.isRange && (t.a.column == 0 || t.a.row == 0)) return std::string_view::npos;
    if (k < s.size() && (isWordChar(s[k]) || s[k] == '(')) return std::string_view::npos;
    t.begin = i;
    t.end = k;
    return k;
}

std::size_t skipQuoted(std::string_view s, std::size_t i, char quote, std::string* content) {
    std::size_t k = i + 1;
    while (k < s.size()) {
        if (s[k] == quote) {
            if (k + 1 < s.size() && s[k + 1] == quote) {
                if (content) *content += quote;
                k += 2;
                continue;
            }
            return k + 1;
        }
        if (content) *content += s[k];
        ++k;
    }
    return s.size();
}

std::size_t skipBrackets(std::string_view s, std::size_t i) {
    int depth = 0;
    for (std::size_t k = i; k < s.size(); ++k) {
        if (s[k] == '[') ++depth;
        if (s[k] == ']' && --depth == 0) return k + 1;
    }
    return s.size();
}

/// Sets the sheet part of `t` from a sheet name as written ("Sheet1",
/// "[1]Sheet1", "Sheet1:Sheet3").
void setSheet(RefToken& t, const std::string& written) {
    t.hasSheet = true;
    std::string name = written;
    if (!name.empty() && name.front() == '[') {
        t.external = true;
        const std::size_t close = name.find(']');
        name = close == std::string::npos ? std::string() : name.substr(close + 1);
    }
    if (name.find(':') != std::string::npos) t.threeD = true;
    t.sheet = name;
}

/// Calls `visit` for every reference in the formula, in order.
void scanFormula(std::string_view s, const std::function<void(const RefToken&)>& visit) {
    std::size_t i = 0;
    while (i < s.size()) {
        const char c = s[i];
        if (c == '"') {
            i = skipQuoted(s, i, '"', nullptr);
        } else if (c == '\'') {
            std::string name;
            const std::size_t k = skipQuoted(s, i, '\'', &name);
            if (k < s.size() && s[k] == '!') {
                RefToken t;
                setSheet(t, name);
                if (readReference(s, k + 1, t) != std::string_view::npos) {
                    visit(t);
                    i = t.end;
                    continue;
                }
            }
            i = k;
        } else if (c == '[') {
            std::size_t k = skipBrackets(s, i);
            std::size_t w = k;
            while (w < s.size() && isWordChar(s[w])) ++w;
            if (w < s.size() && s[w] == '!' && w > k) {
                RefToken t;
                setSheet(t, std::string(s.substr(i, w - i)));
                if (readReference(s, w + 1, t) != std::string_view::npos) {
                    visit(t);
                    i = t.end;
                    continue;
                }
                i = w + 1;
                continue;
            }
            i = k;
        } else if (c == '#') {
            ++i;
            while (i < s.size() && (isLetter(s[i]) || isDigit(s[i]) || s[i] == '/' || s[i] == '_'))
                ++i;
            if (i < s.size() && (s[i] == '!' || s[i] == '?')) ++i;
        } else if (isDigit(c) || isWordChar(c)) {
            std::size_t w = i;
            while (w < s.size() && isWordChar(s[w])) ++w;
            RefToken t;
            if (w < s.size() && s[w] == '!') {
                setSheet(t, std::string(s.substr(i, w - i)));
                if (readReference(s, w + 1, t) != std::string_view::npos) {
                    visit(t);
                    i = t.end;
                } else {
                    i = w + 1;
                }
                continue;
            }
            if (w < s.size() && s[w] == ':') {
                // "Sheet1:Sheet3!A1" spans sheets.
                std::size_t w2 = w + 1;
                while (w2 < s.size() && isWordChar(s[w2])) ++w2;
                if (w2 < s.size() && s[w2] == '!' && w2 > w + 1) {
                    setSheet(t, std::string(s.substr(i, w2 - i)));
                    if (readReference(s, w2 + 1, t) != std::string_view::npos) {
                        visit(t);
                        i = t.end;
                    } else {
                        i = w2 + 1;
                    }
                    continue;
                }
            }
            if (w < s.size() && s[w] == '(') {
                i = w;  // a function name
                continue;
            }
            if (readReference(s, i, t) != std::string_view::npos) {
                visit(t);
                i = t.end;
                continue;
            }
            // A name, a number or a logical value. Numbers may carry an exponent sign.
            i = w;
            if (isDigit(c) && i < s.size() && (s[i] == '+' || s[i] == '-') &&
                upper(s[i - 1]) == 'E') {
                ++i;
                while (i < s.size() && isDigit(s[i])) ++i;
            }
        } else {
            ++i;
        }
    }
}

bool pointsAtTarget(const RefToken& t, const FormulaShift& shift) {
    if (t.external) return false;
    if (!t.hasSheet) return shift.unqualifiedIsTarget;
    return equalsIgnoringCase(t.sheet, shift.sheetName);
}

bool touchesTarget(const RefToken& t, const FormulaShift& shift) {
    if (t.external || !t.threeD) return pointsAtTarget(t, shift);
    const std::size_t colon = t.sheet.find(':');
    return equalsIgnoringCase(t.sheet.substr(0, colon), shift.sheetName) ||
           equalsIgnoringCase(t.sheet.substr(colon + 1), shift.sheetName);
}

}  // namespace

std::optional<CellPos> parseCellRef(std::string_view text) {
    RefPart p;
    const std::size_t end = readRefPart(text, 0, p);
    if (end != text.size() || p.column == 0 || p.row == 0) return std::nullopt;
    return CellPos{p.row, p.column};
}

std::string columnName(int column) {
    std::string name;
    while (column > 0) {
        const int d = (column - 1) % 26;
        name.insert(name.begin(), static_cast<char>('A' + d));
        column = (column - 1) / 26;
    }
    return name;
}

std::string formatCellRef(CellPos pos) { return columnName(pos.column) + std::to_string(pos.row); }

int RowDeletion::shiftRow(int row) const {
    if (row < first) return row;
    if (row > last) return row - count();
    return 0;
}

bool RowDeletion::shiftSpan(int& top, int& bottom) const {
    const int newTop = top < first ? top : (top > last ? top - count() : first);
    const int newBottom = bottom > last ? bottom - count() : (bottom < first ? bottom : first - 1);
    if (newBottom < newTop) return false;
    top = newTop;
    bottom = newBottom;
    return true;
}

std::optional<std::string> shiftRange(std::string_view range, const RowDeletion& deletion) {
    RefToken t;
    if (readReference(range, 0, t) != range.size()) return std::nullopt;
    if (!t.isRange) {
        const int row = deletion.shiftRow(t.a.row);
        if (row == 0) return std::string();
        t.a.row = row;
        return formatPart(t.a);
    }
    if (t.a.row == 0) return std::string(range);  // whole columns do not move
    int top = std::min(t.a.row, t.b.row);
    int bottom = std::max(t.a.row, t.b.row);
    if (!deletion.shiftSpan(top, bottom)) return std::string();
    t.a.row = top;
    t.b.row = bottom;
    return formatPart(t.a) + ":" + formatPart(t.b);
}

std::optional<std::string> shiftRangeList(std::string_view list, const RowDeletion& deletion) {
    std::string out;
    std::size_t i = 0;
    while (i < list.size()) {
        while (i < list.size() && list[i] == ' ') ++i;
        std::size_t e = i;
        while (e < list.size() && list[e] != ' ') ++e;
        if (e == i) break;
        const auto shifted = shiftRange(list.substr(i, e - i), deletion);
        if (!shifted) return std::nullopt;
        if (!shifted->empty()) {
            if (!out.empty()) out += ' ';
            out += *shifted;
        }
        i = e;
    }
    return out;
}

ShiftedFormula shiftFormula(std::string_view formula, const FormulaShift& shift) {
    ShiftedFormula result;
    std::string out;
    std::size_t copied = 0;
    scanFormula(formula, [&](const RefToken& t) {
        if (!result.refusal.empty()) return;
        if (t.threeD) {
            if (touchesTarget(t, shift)) {
                result.refusal = "a reference across several sheets (" + t.sheet + "!" +
                                 std::string(formula.substr(t.begin, t.end - t.begin)) + ")";
            }
            return;
        }
        if (!pointsAtTarget(t, shift)) return;
        const std::string_view old = formula.substr(t.begin, t.end - t.begin);
        const auto moved = shiftRange(old, shift.deletion);
        const std::string replacement = moved && !moved->empty() ? *moved : std::string("#REF!");
        if (replacement == old) return;
        out.append(formula.substr(copied, t.begin - copied));
        out += replacement;
        copied = t.end;
        result.changed = true;
    });
    if (!result.refusal.empty() || !result.changed) {
        result.text = std::string(formula);
        result.changed = false;
        return result;
    }
    out.append(formula.substr(copied));
    result.text = std::move(out);
    return result;
}

RowSpan rowsReferenced(std::string_view formula, const FormulaShift& shift) {
    RowSpan span;
    scanFormula(formula, [&](const RefToken& t) {
        if (!touchesTarget(t, shift)) return;
        const bool wholeColumns = t.a.row == 0;
        const int top = wholeColumns ? 1 : std::min(t.a.row, t.isRange ? t.b.row : t.a.row);
        const int bottom =
            wholeColumns ? kMaxRow : std::max(t.a.row, t.isRange ? t.b.row : t.a.row);
        span.top = span.top == 0 ? top : std::min(span.top, top);
        span.bottom = std::max(span.bottom, bottom);
    });
    return span;
}

}  // namespace zadaravod::workbook
