// Broken and hostile workbooks: each gives a message that names the file and
// what is wrong, and never a crash, a hang or a huge allocation.
#include <gtest/gtest.h>

#include <cstring>

#include "tools/Workbook.h"
#include "tools/WorkbookFixtures.h"

namespace zadaravod::workbook {
namespace {

using test::Parts;

/// Sets the unpacked size that every local and central header of the package claims.
std::string claimSize(std::string zip, std::uint32_t size) {
    const auto patch = [&](const char* signature, std::size_t offset) {
        for (std::size_t at = zip.find(signature, 0, 4); at != std::string::npos;
             at = zip.find(signature, at + 4, 4)) {
            if (at + offset + 4 > zip.size()) break;
            for (int k = 0; k < 4; ++k) zip[at + offset + k] = static_cast<char>(size >> (8 * k));
        }
    };
    patch("PK\x03\x04", 22);
    patch("PK\x01\x02", 24);
    return zip;
}

Parts oneSheet(const std::string& sheetXml) {
    return test::workbookParts({{"worksheet", sheetXml}});
}

/// Opens and selects the sheet; returns the first failure's message ("" when all went well).
std::string failureOf(const std::string& bytes) {
    Workbook book;
    if (!book.openBytes(bytes, "bad.xlsx") || !book.selectSheet("worksheet")) {
        return book.errorString();
    }
    return {};
}

void expectFailure(const std::string& bytes, const std::vector<std::string>& mentions) {
    const std::string message = failureOf(bytes);
    ASSERT_FALSE(message.empty());
    for (const std::string& m : mentions) {
        EXPECT_NE(message.find(m), std::string::npos) << "\"" << m << "\" not in: " << message;
    }
}

TEST(WorkbookHostile, FilesThatAreNoPackage) {
    expectFailure("", {"bad.xlsx", "not a workbook"});
    expectFailure("plain text, not a zip", {"bad.xlsx", "not a zip package"});
    const std::string whole = test::makePackage(oneSheet(test::worksheetXml("")));
    expectFailure(whole.substr(0, whole.size() / 2), {"bad.xlsx"});
    expectFailure(whole.substr(0, whole.size() - 10), {"bad.xlsx"});
    Workbook book;
    EXPECT_FALSE(book.open("/nonexistent/folder/t.xlsx"));
    EXPECT_NE(book.errorString().find("/nonexistent/folder/t.xlsx"), std::string::npos);
}

TEST(WorkbookHostile, MissingPartsAreNamed) {
    Parts noWorkbook = oneSheet(test::worksheetXml(""));
    noWorkbook.erase("xl/workbook.xml");
    expectFailure(test::makePackage(noWorkbook), {"xl/workbook.xml is missing"});

    Parts noRels = oneSheet(test::worksheetXml(""));
    noRels.erase("_rels/.rels");
    expectFailure(test::makePackage(noRels), {"_rels/.rels is missing"});

    Parts noSheet = oneSheet(test::worksheetXml(""));
    noSheet.erase("xl/worksheets/sheet1.xml");
    expectFailure(test::makePackage(noSheet), {"xl/worksheets/sheet1.xml", "worksheet"});

    Parts outside = oneSheet(test::worksheetXml(""));
    auto& rels = outside["xl/_rels/workbook.xml.rels"];
    rels.replace(rels.find("worksheets/sheet1.xml"), 21, "../../../etc/passwd");
    expectFailure(test::makePackage(outside), {"has no worksheet part"});

    expectFailure(test::makePackage(oneSheet("<worksheet><sheetViews/></worksheet>")),
                  {"xl/worksheets/sheet1.xml", "no <sheetData>"});
    expectFailure(test::makePackage(oneSheet("<chartsheet/>")), {"not a worksheet"});
}

TEST(WorkbookHostile, BrokenXmlAndImpossibleCells) {
    expectFailure(test::makePackage(oneSheet("<worksheet><sheetData><row>")),
                  {"xl/worksheets/sheet1.xml in bad.xlsx is not valid XML"});
    expectFailure(test::makePackage(oneSheet(test::worksheetXml(
                      "<row r=\"1048576\"><c r=\"XFD1048577\"><v>1</v></c></row>"))),
                  {"XFD1048577", "outside the sheet"});
    expectFailure(test::makePackage(oneSheet(test::worksheetXml("<row r=\"2000000\"/>"))),
                  {"2000000", "outside the sheet"});
    expectFailure(test::makePackage(oneSheet(test::worksheetXml("<row r=\"5\"/><row r=\"3\"/>"))),
                  {"row 3 out of order"});
    expectFailure(test::makePackage(
                      oneSheet(test::worksheetXml("<row r=\"5\"><c r=\"A6\"><v>1</v></c></row>"))),
                  {"A6", "row 5"});
    std::string deep;
    for (int k = 0; k < 100000; ++k) deep += "<x>";
    for (int k = 0; k < 100000; ++k) deep += "</x>";
    expectFailure(test::makePackage(oneSheet(test::worksheetXml("", deep))), {"nests"});
    // Rows and cells without numbers take the next ones.
    Workbook book;
    ASSERT_TRUE(book.openBytes(test::makePackage(oneSheet(test::worksheetXml(
                                   "<row r=\"4\"/><row><c><v>7</v></c><c><v>8</v></c></row>"))),
                               "implicit.xlsx"));
    ASSERT_TRUE(book.selectSheet("worksheet")) << book.errorString();
    EXPECT_EQ(book.cellText(5, 2), "8");
}

TEST(WorkbookHostile, SizeClaimsAndBombsStayWithinTheLimits) {
    const std::string normal = test::makePackage(oneSheet(test::worksheetXml("")));
    expectFailure(claimSize(normal, 0xFFFFFFF0u), {"claims", "64 MiB"});

    // 80 MiB of one character packs to a few hundred kilobytes; the headers
    // then claim it is small.
    Parts bomb = oneSheet(test::worksheetXml("<row r=\"1\"/>", std::string(80u << 20, ' ')));
    const std::string packed = test::makePackage(bomb);
    ASSERT_LT(packed.size(), 1u << 20);
    expectFailure(packed, {"xl/worksheets/sheet1.xml", "64 MiB"});
    expectFailure(claimSize(packed, 1000), {"bad.xlsx"});
}

}  // namespace
}  // namespace zadaravod::workbook
