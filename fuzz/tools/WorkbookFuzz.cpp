// Opens arbitrary bytes as a workbook and edits it the way the record sheet
// export does. An input whose first byte is odd is the XML of the sheet
// "worksheet" inside a built-in package (with a second sheet and defined
// names that point at it), so that the fuzzer spends its time in the XML;
// any other input is a whole package. Whatever saves must open again.
//
// With ZADARAVOD_FUZZ_SEEDS set to a folder, the first start writes seeds
// there: the record sheet template, and its sheet as an odd-byte input.
#include <zip.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <map>
#include <string>

#include "tools/Workbook.h"

using namespace zadaravod::workbook;

namespace {

const std::string kRel = "http://schemas.openxmlformats.org/officeDocument/2006/relationships";

std::string pack(const std::map<std::string, std::string>& parts) {
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* source = zip_source_buffer_create(nullptr, 0, 0, &error);
    zip_source_keep(source);
    zip_t* archive = zip_open_from_source(source, ZIP_TRUNCATE, &error);
    for (const auto& [name, content] : parts) {
        zip_source_t* part = zip_source_buffer(archive, content.data(), content.size(), 0);
        if (zip_file_add(archive, name.c_str(), part, 0) < 0) zip_source_free(part);
    }
    zip_close(archive);
    std::string bytes;
    if (zip_source_open(source) == 0) {
        char buffer[65536];
        zip_int64_t n;
        while ((n = zip_source_read(source, buffer, sizeof buffer)) > 0) {
            bytes.append(buffer, static_cast<std::size_t>(n));
        }
        zip_source_close(source);
    }
    zip_source_free(source);
    zip_error_fini(&error);
    return bytes;
}

std::string packageWithSheet(const std::string& sheetXml) {
    const std::string relsNs = "http://schemas.openxmlformats.org/package/2006/relationships";
    return pack({
        {"[Content_Types].xml", "<Types/>"},
        {"_rels/.rels", "<Relationships xmlns=\"" + relsNs + "\"><Relationship Id=\"r\" Type=\"" +
                            kRel +
                            "/officeDocument\" Target=\"xl/workbook.xml\"/></Relationships>"},
        {"xl/workbook.xml",
         "<workbook xmlns:r=\"" + kRel +
             "\"><sheets><sheet name=\"worksheet\" r:id=\"a\"/><sheet name=\"Other\" r:id=\"b\"/>"
             "</sheets><definedNames><definedName name=\"_xlnm.Print_Area\" localSheetId=\"0\">"
             "worksheet!$A$1:$G$40</definedName><definedName name=\"x\">worksheet!$B$4,A7"
             "</definedName></definedNames></workbook>"},
        {"xl/_rels/workbook.xml.rels",
         "<Relationships><Relationship Id=\"a\" Type=\"" + kRel +
             "/worksheet\" Target=\"worksheets/sheet1.xml\"/><Relationship Id=\"b\" Type=\"" +
             kRel +
             "/worksheet\" Target=\"worksheets/sheet2.xml\"/><Relationship Id=\"s\" Type=\"" +
             kRel + "/sharedStrings\" Target=\"sharedStrings.xml\"/></Relationships>"},
        {"xl/sharedStrings.xml", "<sst><si><t>Speaker Diameter or environment</t></si></sst>"},
        {"xl/worksheets/sheet1.xml", sheetXml},
        {"xl/worksheets/sheet2.xml",
         "<worksheet><sheetData><row r=\"1\"><c r=\"A1\"><f>worksheet!A9+SUM(worksheet!4:6)</f>"
         "</c></row></sheetData></worksheet>"},
    });
}

void writeSeeds(const std::string& folder) {
    std::ifstream in(ZADARAVOD_SOURCE_DIR "/resources/workbook/WorkbaseE.xlsx", std::ios::binary);
    const std::string workbook{std::istreambuf_iterator<char>(in), {}};
    std::ofstream(folder + "/template.xlsx", std::ios::binary) << workbook;
    Workbook book;
    if (book.openBytes(workbook, "seed")) {
        // A small sheet in the template's manner, as an odd-byte input.
        std::ofstream(folder + "/sheet.xml", std::ios::binary)
            << '\x01'
            << "<worksheet><dimension ref=\"A1:G9\"/><sheetData><row r=\"2\" ht=\"20\" "
               "customHeight=\"1\"><c r=\"A2\" t=\"s\"><v>0</v></c><c r=\"B2\"><f>A9+1</f></c>"
               "</row><row r=\"5\"><c r=\"C5\" t=\"inlineStr\"><is><t>x</t></is></c></row>"
               "<row r=\"9\"><c r=\"A9\"><v>1.5</v></c></row></sheetData><mergeCells count=\"1\">"
               "<mergeCell ref=\"A4:C9\"/></mergeCells><conditionalFormatting sqref=\"A3:A9\">"
               "<cfRule><formula>A3&gt;0</formula></cfRule></conditionalFormatting>"
               "<rowBreaks count=\"1\"><brk id=\"6\"/></rowBreaks></worksheet>";
    }
}

void edit(Workbook& book) {
    for (int row = 1; row <= 12; ++row) {
        for (int column = 1; column <= 8; ++column) (void)book.cellText(row, column);
    }
    const auto label = book.find("Speaker Diameter or environment");
    const int r = label ? label->row : 2;
    (void)book.setCellText(3, 7, "2024-1-1  0:0:0");
    (void)book.setCellText(r, 5, "LOW\nline");
    (void)book.setRowHeight(r + 1, 34);
    (void)book.deleteRows(r + 2, r + 4);
    (void)book.deleteRows(1, 1);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    if (const char* folder = std::getenv("ZADARAVOD_FUZZ_SEEDS")) writeSeeds(folder);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string bytes(reinterpret_cast<const char*>(data), size);
    if (size > 0 && (data[0] & 1) != 0) bytes = packageWithSheet(bytes.substr(1));
    Workbook book;
    if (!book.openBytes(bytes, "input.xlsx") || !book.selectSheet("worksheet")) return 0;
    edit(book);
    std::string saved;
    if (!book.saveToBytes(saved)) return 0;
    // What the engine wrote, it reads again.
    Workbook again;
    if (!again.openBytes(saved, "saved.xlsx") || !again.selectSheet("worksheet")) __builtin_trap();
    return 0;
}
