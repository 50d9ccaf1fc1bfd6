#include <gtest/gtest.h>

#include "tools/CellReference.h"
#include "tools/CellText.h"

namespace zadaravod::workbook {
namespace {

FormulaShift onSheet(int first, int last, bool unqualifiedIsTarget = true) {
    return {{first, last}, "worksheet", unqualifiedIsTarget};
}

std::string shifted(const std::string& formula, const FormulaShift& shift) {
    return shiftFormula(formula, shift).text;
}

TEST(CellReference, ParsesOnlyReferencesInsideTheSheet) {
    EXPECT_EQ(parseCellRef("B7"), (CellPos{7, 2}));
    EXPECT_EQ(parseCellRef("$XFD$1048576"), (CellPos{1048576, 16384}));
    EXPECT_FALSE(parseCellRef("XFD1048577"));
    EXPECT_FALSE(parseCellRef("XFE1"));
    EXPECT_FALSE(parseCellRef("A0"));
    EXPECT_FALSE(parseCellRef("ABCD1"));
    EXPECT_FALSE(parseCellRef("A1B"));
    EXPECT_FALSE(parseCellRef(""));
    EXPECT_EQ(formatCellRef({28, 28}), "AB28");
    EXPECT_EQ(columnName(16384), "XFD");
}

TEST(CellReference, RangesMoveShrinkOrGo) {
    const RowDeletion del{10, 12};  // three rows
    EXPECT_EQ(shiftRange("A1:C9", del), "A1:C9");
    EXPECT_EQ(shiftRange("A13:C20", del), "A10:C17");
    EXPECT_EQ(shiftRange("$A$5:$C$20", del), "$A$5:$C$17");  // spans the gap: shrinks
    EXPECT_EQ(shiftRange("A11:C15", del), "A10:C12");        // loses its top
    EXPECT_EQ(shiftRange("A5:C11", del), "A5:C9");           // loses its bottom
    EXPECT_EQ(shiftRange("A10:C12", del), "");
    EXPECT_EQ(shiftRange("B11", del), "");
    EXPECT_EQ(shiftRange("A:C", del), "A:C");
    EXPECT_EQ(shiftRange("14:20", del), "11:17");
    EXPECT_FALSE(shiftRange("not a range", del));
    EXPECT_EQ(shiftRangeList("A1 B11 C20:D30", del), "A1 C17:D27");
}

TEST(CellReference, FormulasMoveOnlyReferencesToTheShiftedSheet) {
    const FormulaShift own = onSheet(10, 12);
    EXPECT_EQ(shifted("SUM(A13:A20)+B5*$C$14", own), "SUM(A10:A17)+B5*$C$11");
    EXPECT_EQ(shifted("A11+1", own), "#REF!+1");
    EXPECT_EQ(shifted("worksheet!A20+'worksheet'!B20+Other!A20", own),
              "worksheet!A17+'worksheet'!B17+Other!A20");
    // Texts, function names, names and other workbooks stay as they are.
    EXPECT_EQ(shifted("\"A20\"&LOG10(A20)&TRUE&[1]worksheet!A20", own),
              "\"A20\"&LOG10(A17)&TRUE&[1]worksheet!A20");
    EXPECT_EQ(shifted("1E+20+A20*2.5", own), "1E+20+A17*2.5");
    EXPECT_EQ(shifted("SUM(14:20)+SUM(A:A)", own), "SUM(11:17)+SUM(A:A)");
    EXPECT_EQ(shifted("#REF!+A5", own), "#REF!+A5");
    EXPECT_FALSE(shiftFormula("A1+B2", own).changed);

    // On another sheet, plain references mean that sheet and stay.
    const FormulaShift other = onSheet(10, 12, false);
    EXPECT_EQ(shifted("A20+worksheet!A20+'It''s'!A20", other), "A20+worksheet!A17+'It''s'!A20");
}

TEST(CellReference, ReferencesAcrossSheetsAreRefused) {
    const ShiftedFormula r = shiftFormula("SUM(First:worksheet!A20)", onSheet(10, 12));
    EXPECT_NE(r.refusal.find("First:worksheet"), std::string::npos);
    EXPECT_EQ(r.text, "SUM(First:worksheet!A20)");
    EXPECT_TRUE(shiftFormula("SUM(A:B!A20)", onSheet(10, 12)).refusal.empty());
}

TEST(CellReference, RowsReferencedSpanEveryReferenceToTheSheet) {
    const RowSpan span = rowsReferenced("A7+SUM(B3:B5)+Other!A100", onSheet(10, 12));
    EXPECT_EQ(span.top, 3);
    EXPECT_EQ(span.bottom, 7);
    EXPECT_EQ(rowsReferenced("SUM(C:C)", onSheet(10, 12)).bottom, kMaxRow);
    EXPECT_EQ(rowsReferenced("Other!A1", onSheet(10, 12)).top, 0);
}

TEST(CellText, EscapesWhatXmlCannotCarryAndCountsUtf16) {
    const EncodedCellText e = encodeCellText(std::string("a\x01_x0041_\n\xF0\x9F\x94\x8A", 14));
    EXPECT_EQ(e.text, "a_x0001__x005F_x0041_\n\xF0\x9F\x94\x8A");
    EXPECT_EQ(e.utf16Length, 12u);  // the emoji takes two units
    EXPECT_EQ(decodeCellText(e.text), std::string("a\x01_x0041_\n\xF0\x9F\x94\x8A", 14));
    EXPECT_EQ(encodeCellText("\xC3").text, "\xEF\xBF\xBD");                  // cut sequence
    EXPECT_EQ(encodeCellText("\xC0\xAF").text, "\xEF\xBF\xBD\xEF\xBF\xBD");  // overlong
}

}  // namespace
}  // namespace zadaravod::workbook
