#include <gtest/gtest.h>

#include "support/TempDir.h"
#include "tools/Workbook.h"
#include "tools/WorkbookFixtures.h"

namespace zadaravod::workbook {
namespace {

using test::Parts;

const std::string kSharedStrings =
    "<sst xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" count=\"2\">"
    "<si><t>Title</t></si><si><r><t>Rich </t></r><r><t>text</t></r><rPh><t>x</t></rPh></si>"
    "</sst>";

void openFixture(Workbook& book, const Parts& parts) {
    ASSERT_TRUE(book.openBytes(test::makePackage(parts), "fixture.xlsx")) << book.errorString();
}

/// A sheet for row deletion: rows 10..12 are the ones deleted.
Parts deletionFixture() {
    const std::string data =
        "<row r=\"1\"><c r=\"A1\" t=\"s\"><v>0</v></c></row>"
        "<row r=\"3\"><c r=\"A3\"><f>SUM(A20:A22)+A11</f><v>9</v></c></row>"
        "<row r=\"5\"><c r=\"A5\" t=\"inlineStr\"><is><t>merged above</t></is></c></row>"
        "<row r=\"10\"><c r=\"A10\" t=\"inlineStr\"><is><t>gone</t></is></c></row>"
        "<row r=\"11\" ht=\"50\" customHeight=\"1\"><c r=\"A11\"><v>1</v></c></row>"
        "<row r=\"12\"><c r=\"B12\"><v>2</v></c></row>"
        "<row r=\"20\" ht=\"30\" customHeight=\"1\"><c r=\"A20\" s=\"4\" t=\"inlineStr\">"
        "<is><t>below</t></is></c><c r=\"C20\"><f>A20&amp;\"A11\"</f></c></row>"
        "<row r=\"22\"><c r=\"A22\"><v>5</v></c></row>";
    const std::string after =
        "<mergeCells count=\"4\"><mergeCell ref=\"A5:C5\"/><mergeCell ref=\"A11:B11\"/>"
        "<mergeCell ref=\"D9:D15\"/><mergeCell ref=\"A20:C21\"/></mergeCells>"
        "<conditionalFormatting sqref=\"A20:A30\"><cfRule type=\"expression\" priority=\"1\">"
        "<formula>A20&gt;1</formula></cfRule></conditionalFormatting>"
        "<conditionalFormatting sqref=\"B10:B12\"><cfRule type=\"expression\" priority=\"2\">"
        "<formula>B10&gt;1</formula></cfRule></conditionalFormatting>"
        "<dataValidations count=\"1\"><dataValidation type=\"list\" sqref=\"B20\">"
        "<formula1>$A$20:$A$22</formula1></dataValidation></dataValidations>"
        "<hyperlinks><hyperlink ref=\"A20\" location=\"Other!A1\"/></hyperlinks>"
        "<rowBreaks count=\"2\" manualBreakCount=\"2\"><brk id=\"11\" max=\"16383\" man=\"1\"/>"
        "<brk id=\"20\" max=\"16383\" man=\"1\"/></rowBreaks>";
    const std::string other =
        test::worksheetXml("<row r=\"1\"><c r=\"A1\"><f>worksheet!A20+A20</f><v>0</v></c></row>");
    const std::string names =
        "<definedNames><definedName name=\"_xlnm.Print_Area\" localSheetId=\"1\">"
        "'worksheet'!$A$1:$C$22</definedName><definedName name=\"Gone\">worksheet!$A$11"
        "</definedName></definedNames>";
    return test::workbookParts(
        {{"Other", other}, {"worksheet", test::worksheetXml(data, after, "A1:C22")}}, names,
        kSharedStrings);
}

TEST(Workbook, ReadsSharedInlineNumberAndLogicalCellsAndFindsFromTheTop) {
    const std::string data =
        "<row r=\"2\"><c r=\"A2\" t=\"s\"><v>1</v></c><c r=\"B2\"><v>3.25</v></c>"
        "<c r=\"C2\" t=\"b\"><v>1</v></c><c r=\"I2\" t=\"inlineStr\"><is><t>label</t></is></c>"
        "</row><row r=\"4\"><c r=\"H4\" t=\"inlineStr\"><is><t>label</t></is></c>"
        "<c r=\"J4\" t=\"s\"><v>99</v></c></row>"
        "<row r=\"6\"><c r=\"B6\" t=\"s\"><v>0</v></c></row>";
    Workbook book;
    openFixture(book,
                test::workbookParts({{"worksheet", test::worksheetXml(data)}}, "", kSharedStrings));
    EXPECT_EQ(book.cellText(2, 1), "") << "no sheet selected yet";
    ASSERT_TRUE(book.selectSheet("worksheet")) << book.errorString();
    EXPECT_EQ(book.cellText(2, 1), "Rich text");  // runs joined, phonetic text left out
    EXPECT_EQ(book.cellText(2, 2), "3.25");
    EXPECT_EQ(book.cellText(2, 3), "TRUE");
    EXPECT_EQ(book.cellText(4, 10), "");  // index past the table
    EXPECT_EQ(book.cellText(3, 1), "");
    EXPECT_EQ(book.cellText(0, 1), "");
    EXPECT_EQ(book.cellText(kMaxRow + 1, 1), "");
    // I2 lies in column 9: the first match in columns 1..8 is H4.
    EXPECT_EQ(book.find("label"), (CellPos{4, 8}));
    EXPECT_EQ(book.find("label", 9), (CellPos{2, 9}));
    EXPECT_EQ(book.find("Title"), (CellPos{6, 2}));
    EXPECT_FALSE(book.find("absent"));
    EXPECT_FALSE(book.selectSheet("Worksheet"));
    EXPECT_NE(book.errorString().find("no sheet named \"Worksheet\""), std::string::npos);
}

TEST(Workbook, WritesTextKeepsStylesAndLeavesOtherPartsAsStored) {
    const std::string data =
        "<row r=\"3\"><c r=\"A3\" s=\"7\"><f>1+1</f><v>2</v></c></row>"
        "<row r=\"5\" s=\"9\" customFormat=\"1\" spans=\"3:3\"><c r=\"C5\"><v>1</v></c></row>";
    const std::string after = "<cols><col min=\"2\" max=\"4\" width=\"9\" style=\"6\"/></cols>";
    const std::string original = test::makePackage(
        test::workbookParts({{"worksheet", test::worksheetXml(data, after)}}, "", kSharedStrings));
    Workbook book;
    ASSERT_TRUE(book.openBytes(original, "fixture.xlsx"));
    ASSERT_TRUE(book.selectSheet("worksheet"));
    ASSERT_TRUE(book.setCellText(3, 1, " two\nlines "));  // replaces a formula, keeps s=7
    ASSERT_TRUE(book.setCellText(5, 1, "row style"));     // new cell before C5, row style
    ASSERT_TRUE(book.setCellText(7, 3, "column style"));  // new row, column style
    ASSERT_TRUE(book.setCellText(1, 1, std::string("ctl\x02", 4)));
    ASSERT_TRUE(book.setRowHeight(7, 34));
    EXPECT_FALSE(book.setRowHeight(7, 410));
    EXPECT_FALSE(book.setCellText(1, kMaxColumn + 1, "x"));
    EXPECT_FALSE(book.setCellText(1, 1, std::string(32768, 'x')));
    EXPECT_NE(book.errorString().find("32767"), std::string::npos);

    std::string saved;
    ASSERT_TRUE(book.saveToBytes(saved)) << book.errorString();
    const Parts before = test::readPackage(original);
    const Parts after2 = test::readPackage(saved);
    const auto storedBefore = test::storedForms(original);
    const auto storedAfter = test::storedForms(saved);
    ASSERT_EQ(before.size(), after2.size());
    for (const auto& [name, content] : before) {
        if (name == "xl/worksheets/sheet1.xml") continue;
        EXPECT_EQ(after2.at(name), content) << name;
        EXPECT_EQ(storedAfter.at(name), storedBefore.at(name)) << name << " was repacked";
    }
    const std::string& sheet = after2.at("xl/worksheets/sheet1.xml");
    EXPECT_NE(sheet.find("<c r=\"A3\" s=\"7\" t=\"inlineStr\"><is><t xml:space=\"preserve\"> two\n"
                         "lines </t></is></c>"),
              std::string::npos)
        << sheet;
    EXPECT_NE(sheet.find("<c r=\"A5\" s=\"9\""), std::string::npos);
    EXPECT_NE(sheet.find("<row r=\"7\" ht=\"34\" customHeight=\"1\"><c r=\"C7\" s=\"6\""),
              std::string::npos);
    EXPECT_EQ(sheet.find("spans"), std::string::npos);

    Workbook again;
    ASSERT_TRUE(again.openBytes(saved, "saved.xlsx"));
    ASSERT_TRUE(again.selectSheet("worksheet"));
    EXPECT_EQ(again.cellText(3, 1), " two\nlines ");
    EXPECT_EQ(again.cellText(1, 1), std::string("ctl\x02", 4));
    EXPECT_EQ(again.cellText(5, 3), "1");
    EXPECT_EQ(again.rowHeight(7), 34.0);
}

TEST(Workbook, DeletingRowsMovesEverythingBelow) {
    Workbook book;
    openFixture(book, deletionFixture());
    ASSERT_TRUE(book.selectSheet("worksheet"));
    ASSERT_TRUE(book.deleteRows(10, 12)) << book.errorString();
    EXPECT_EQ(book.cellText(17, 1), "below");
    EXPECT_EQ(book.cellText(19, 1), "5");
    EXPECT_EQ(book.cellText(10, 1), "");
    EXPECT_EQ(book.rowHeight(17), 30.0);
    EXPECT_FALSE(book.rowHeight(11));  // the 50-point row went with its row
    EXPECT_EQ(book.find("below"), (CellPos{17, 1}));
    ASSERT_TRUE(book.setCellText(18, 2, "after"));  // the index follows the move

    std::string saved;
    ASSERT_TRUE(book.saveToBytes(saved)) << book.errorString();
    const Parts parts = test::readPackage(saved);
    const std::string& sheet = parts.at("xl/worksheets/sheet2.xml");
    for (const char* expected : {
             "<dimension ref=\"A1:C19\"/>",
             "<f>SUM(A17:A19)+#REF!</f>",
             "<c r=\"C17\"><f>A17&amp;\"A11\"</f>",
             "<c r=\"A17\" s=\"4\"",
             "<mergeCells count=\"3\"><mergeCell ref=\"A5:C5\"/><mergeCell ref=\"D9:D12\"/>"
             "<mergeCell ref=\"A17:C18\"/></mergeCells>",
             "<conditionalFormatting sqref=\"A17:A27\"><cfRule type=\"expression\" "
             "priority=\"1\"><formula>A17&gt;1</formula>",
             "<dataValidation type=\"list\" sqref=\"B17\"><formula1>$A$17:$A$19</formula1>",
             "<hyperlink ref=\"A17\"",
             "<rowBreaks count=\"1\" manualBreakCount=\"1\"><brk id=\"17\"",
         }) {
        EXPECT_NE(sheet.find(expected), std::string::npos) << expected << "\n" << sheet;
    }
    EXPECT_EQ(sheet.find("B10:B12"), std::string::npos) << "format of deleted rows stays";
    EXPECT_EQ(sheet.find(">gone<"), std::string::npos);
    EXPECT_NE(parts.at("xl/worksheets/sheet1.xml").find("<f>worksheet!A17+A20</f>"),
              std::string::npos);
    const std::string& workbook = parts.at("xl/workbook.xml");
    EXPECT_NE(workbook.find("'worksheet'!$A$1:$C$19</definedName>"), std::string::npos) << workbook;
    EXPECT_NE(workbook.find("worksheet!#REF!</definedName>"), std::string::npos);
}

TEST(Workbook, DeletionThatCannotMoveSomethingChangesNothing) {
    struct Case {
        std::string after;
        std::string data;
        std::string named;
    };
    const std::string plain = "<row r=\"30\"><c r=\"A30\"><v>1</v></c></row>";
    const Case cases[] = {
        {"<drawing r:id=\"rId1\"/>", plain, "drawings"},
        {"<legacyDrawing r:id=\"rId1\"/>", plain, "comments"},
        {"<extLst><ext uri=\"x\"><x14:conditionalFormattings xmlns:x14=\"x\"><x14:cf>"
         "<xm:sqref xmlns:xm=\"m\">A30</xm:sqref></x14:cf></x14:conditionalFormattings></ext>"
         "</extLst>",
         plain, "extended"},
        {"", "<row r=\"9\"><c r=\"A9\"><f t=\"shared\" ref=\"A9:A14\" si=\"0\">B9</f></c></row>",
         "shared formula over A9:A14"},
        {"",
         "<row r=\"11\"><c r=\"A11\"><f t=\"shared\" ref=\"A11:A14\" si=\"0\">B1</f></c>"
         "</row>",
         "shared formula over A11:A14"},
        {"", "<row r=\"2\"><c r=\"A2\"><f t=\"shared\" ref=\"A2:A4\" si=\"0\">B8</f></c></row>",
         "whose references the deletion cuts"},
        {"", "<row r=\"9\"><c r=\"A9\"><f t=\"array\" ref=\"A9:A11\">B1:B3</f></c></row>",
         "array formula over A9:A11"},
        {"", "<row r=\"9\"><c r=\"A9\"><f>SUM(Other:worksheet!A30)</f></c></row>",
         "several sheets"},
    };
    for (const Case& c : cases) {
        const std::string original = test::makePackage(
            test::workbookParts({{"worksheet", test::worksheetXml(c.data, c.after)}}));
        Workbook book;
        ASSERT_TRUE(book.openBytes(original, "t.xlsx"));
        ASSERT_TRUE(book.selectSheet("worksheet"));
        EXPECT_FALSE(book.deleteRows(10, 12)) << c.named;
        EXPECT_NE(book.errorString().find(c.named), std::string::npos) << book.errorString();
        EXPECT_NE(book.errorString().find("rows 10..12 of the sheet \"worksheet\" in t.xlsx"),
                  std::string::npos);
        std::string saved;
        ASSERT_TRUE(book.saveToBytes(saved));
        EXPECT_EQ(test::readPackage(saved), test::readPackage(original)) << c.named;
    }
    // Groups wholly above, inside or below the deletion, with references that
    // move alike, are fine.
    const std::string fine =
        "<row r=\"2\"><c r=\"A2\"><f t=\"shared\" ref=\"A2:A4\" si=\"0\">B2</f></c></row>"
        "<row r=\"10\"><c r=\"A10\"><f t=\"shared\" ref=\"A10:A12\" si=\"2\">B9</f></c></row>"
        "<row r=\"20\"><c r=\"A20\"><f t=\"shared\" ref=\"A20:A24\" si=\"1\">B20</f></c>"
        "<c r=\"B20\"><f t=\"array\" ref=\"B20:B21\">C20:C21</f></c></row>";
    Workbook book;
    openFixture(book, test::workbookParts({{"worksheet", test::worksheetXml(fine)}}));
    ASSERT_TRUE(book.selectSheet("worksheet"));
    ASSERT_TRUE(book.deleteRows(10, 12)) << book.errorString();
    std::string saved;
    ASSERT_TRUE(book.saveToBytes(saved));
    const std::string sheet = test::readPackage(saved).at("xl/worksheets/sheet1.xml");
    EXPECT_NE(sheet.find("ref=\"A17:A21\" si=\"1\">B17</f>"), std::string::npos) << sheet;
    EXPECT_NE(sheet.find("ref=\"B17:B18\">C17:C18</f>"), std::string::npos) << sheet;
}

TEST(Workbook, DeletingRowsDropsTheCalculationChain) {
    Parts parts = test::workbookParts(
        {{"worksheet", test::worksheetXml("<row r=\"20\"><c r=\"A20\"><f>1+1</f></c></row>")}});
    parts["xl/calcChain.xml"] = "<calcChain><c r=\"A20\" i=\"1\"/></calcChain>";
    auto& rels = parts["xl/_rels/workbook.xml.rels"];
    rels.insert(rels.find("</Relationships>"),
                "<Relationship Id=\"rIdC\" Type=\"http://schemas.openxmlformats.org/"
                "officeDocument/2006/relationships/calcChain\" Target=\"calcChain.xml\"/>");
    auto& types = parts["[Content_Types].xml"];
    types.insert(types.find("</Types>"),
                 "<Override PartName=\"/xl/calcChain.xml\" ContentType=\"application/x\"/>");
    Workbook book;
    openFixture(book, parts);
    ASSERT_TRUE(book.selectSheet("worksheet"));
    ASSERT_TRUE(book.deleteRows(1, 2));
    std::string saved;
    ASSERT_TRUE(book.saveToBytes(saved));
    const Parts out = test::readPackage(saved);
    EXPECT_EQ(out.count("xl/calcChain.xml"), 0u);
    EXPECT_EQ(out.at("xl/_rels/workbook.xml.rels").find("calcChain"), std::string::npos);
    EXPECT_EQ(out.at("[Content_Types].xml").find("calcChain"), std::string::npos);
    EXPECT_NE(out.at("xl/worksheets/sheet1.xml").find("<c r=\"A18\"><f>1+1</f>"),
              std::string::npos);
}

TEST(Workbook, SavesAtomicallyToANewPath) {
    test::TempDir dir;
    const std::string original = test::makePackage(deletionFixture());
    test::writeFile(dir / "in.xlsx", original);
    Workbook book;
    ASSERT_TRUE(book.open(dir / "in.xlsx")) << book.errorString();
    ASSERT_TRUE(book.selectSheet("worksheet"));
    ASSERT_TRUE(book.setCellText(1, 1, "changed"));
    ASSERT_TRUE(book.saveAs(dir / "out.xlsx")) << book.errorString();
    ASSERT_TRUE(book.saveAs(dir / "out.xlsx")) << "a second save replaces the first";
    EXPECT_EQ(test::readFile(dir / "in.xlsx"), original);
    EXPECT_FALSE(book.saveAs(dir / "missing" / "out.xlsx"));
    EXPECT_NE(book.errorString().find("missing/out.xlsx"), std::string::npos);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()),
                            std::filesystem::directory_iterator{}),
              2);
    Workbook again;
    ASSERT_TRUE(again.open(dir / "out.xlsx"));
    ASSERT_TRUE(again.selectSheet("worksheet"));
    EXPECT_EQ(again.cellText(1, 1), "changed");
}

}  // namespace
}  // namespace zadaravod::workbook
