// The record sheet export, read back by openpyxl (dump_sheet.py) as an
// independent reader of what the workbook engine wrote.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <optional>

#include "commands/Export.h"
#include "support/TempDir.h"
#include "tools/WorkbookFixtures.h"

namespace zadaravod {
namespace {

namespace fs = std::filesystem;
using nlohmann::json;

/// What openpyxl sees in the sheet "worksheet" of a workbook.
struct SheetView {
    json j;
    std::string cell(int row, int column) const {
        const std::string ref =
            std::string(1, static_cast<char>('A' + column - 1)) + std::to_string(row);
        return j["cells"].contains(ref) ? j["cells"][ref].get<std::string>() : std::string();
    }
    std::optional<double> height(int row) const {
        const std::string key = std::to_string(row);
        if (!j["heights"].contains(key)) return std::nullopt;
        return j["heights"][key].get<double>();
    }
    int maxRow() const { return j["max_row"].get<int>(); }
    bool merged(const std::string& range) const {
        for (const auto& m : j["merged"]) {
            if (m.get<std::string>() == range) return true;
        }
        return false;
    }
};

SheetView readSheet(const fs::path& workbook) {
    const std::string command = "/usr/bin/python3 '" ZADARAVOD_SOURCE_DIR
                                "/tests/commands/dump_sheet.py' '" +
                                workbook.string() + "' worksheet";
    std::string out;
    if (FILE* pipe = ::popen(command.c_str(), "r")) {
        std::array<char, 65536> buffer;
        std::size_t n;
        while ((n = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0)
            out.append(buffer.data(), n);
        EXPECT_EQ(::pclose(pipe), 0) << command;
    }
    SheetView view;
    view.j = json::parse(out, nullptr, false);
    EXPECT_FALSE(view.j.is_discarded()) << "openpyxl could not read " << workbook << ": " << out;
    if (view.j.is_discarded())
        view.j = json{{"cells", json::object()},
                      {"heights", json::object()},
                      {"max_row", 0},
                      {"merged", json::array()}};
    return view;
}

std::string templatePath() { return test::appDir() + "WorkbaseE.xlsx"; }

/// The template as openpyxl sees it, read once per test program.
const SheetView& templateView() {
    static const SheetView view = readSheet(templatePath());
    return view;
}

CSound sound(const std::string& name, int rate) {
    CSound s;
    s.kind = 1;
    s.name = name;
    s.filePath = "/p/" + name;
    s.sampleRate = rate;
    s.durationMs = 1000;
    return s;
}

class RecordSheet : public ::testing::Test {
  protected:
    void SetUp() override {
        // The label's position, as the independent reader finds it in the template.
        const SheetView& t = templateView();
        for (const auto& [ref, text] : t.j["cells"].items()) {
            if (text.get<std::string>() != kRecordSheetLabel) continue;
            column = ref[0] - 'A' + 1;
            row = std::stoi(ref.substr(1));
        }
        ASSERT_GT(row, 0) << "the template has no label";
        templateRows = t.maxRow();
        project.projectFilePath = (dir / "demo.winproj").string();
        project.library.addTail(sound("a.wav", 8000));
        project.library.addTail(sound("b.wav", 16000));
        project.library.addTail(sound("c.wav", 22000));
    }

    RecordSheetResult run(bool exportedBefore = false) {
        RecordSheetRequest r;
        r.project = &project;
        r.image = image ? &*image : nullptr;
        r.templatePath = templatePath();
        r.outputPath = output();
        r.now = {2024, 3, 7, 9, 5, 0};
        r.exportedBefore = exportedBefore;
        return exportRecordSheet(r);
    }
    fs::path output() const { return recordSheetPath(project.projectFilePath); }

    /// Checks list j written at `at`: names at column `namesColumn`, kinds at C+6.
    void expectList(const SheetView& s, int j, int at, int namesColumn) {
        const ListTexts t =
            listTexts(project.playlists[static_cast<std::size_t>(j)], project.library);
        EXPECT_EQ(s.cell(at, namesColumn), t.names) << "list " << j;
        EXPECT_EQ(s.cell(at, column + 6), t.kinds) << "list " << j;
        EXPECT_EQ(s.height(at), std::min(8.0 * static_cast<double>(t.items) + 18, 400.0))
            << "list " << j;
    }

    test::TempDir dir;
    Project project;
    std::optional<std::vector<std::uint8_t>> image;
    int row = 0;
    int column = 0;
    int templateRows = 0;
};

TEST_F(RecordSheet, TemplateHasTheSectionsAtTheirRows) {
    const SheetView& t = templateView();
    EXPECT_LE(column, 8);
    EXPECT_LE(row, 10);
    const std::pair<int, const char*> sections[] = {
        {14, "matrix"}, {235, "parallel"}, {456, "one-line"}, {677, "three-line"}};
    for (const auto& [offset, title] : sections) {
        EXPECT_NE(t.cell(row + offset, column + 2).find(title), std::string::npos) << title;
        EXPECT_EQ(t.cell(row + offset + 1, column), "List 0") << title;
        EXPECT_EQ(t.cell(row + offset + 220, column), "List 219") << title;
    }
    EXPECT_EQ(t.cell(row + 4, column), "Key 1");
    EXPECT_EQ(t.cell(row + 13, column), "Key 10");
    EXPECT_EQ(t.cell(templateRows, column), "Checked by");
    EXPECT_EQ(templateRows, row + 899);
}

TEST_F(RecordSheet, KeyModeFillsTheKeyRowsAndDropsEverySection) {
    project.options.controlMode = kModeKey;
    project.options.busyLevel = 1;
    project.options.audioOutput = 1;
    project.keys.keyFunction = {0, 3, 5, 14, 13, 12, 11, 20, -1, 7};
    for (int j = 0; j < 10; ++j) {
        if (j == 3) continue;  // empty lists have their key row too
        for (int k = 0; k <= j; ++k)
            project.playlists[static_cast<std::size_t>(j)].addTail(sound("b.wav", 16000));
    }
    project.playlists[12].addTail(sound("a.wav", 8000));  // beyond the ten keys
    image = std::vector<std::uint8_t>{0x00, 0xFF, 0x10, 0x80};
    const RecordSheetResult result = run();
    ASSERT_TRUE(result.written) << (result.messages.empty() ? "" : result.messages[0].text);
    EXPECT_TRUE(result.ran);
    EXPECT_TRUE(result.messages.empty());
    EXPECT_TRUE(result.showPath.empty()) << "the first export shows nothing";

    const SheetView s = readSheet(output());
    EXPECT_EQ(s.cell(3, 7), "2024-3-7  9:5:0");
    EXPECT_EQ(s.cell(row, column), kRecordSheetLabel);
    EXPECT_EQ(s.cell(row, column + 4), "LOW");
    EXPECT_EQ(s.cell(row, column + 6), "DAC");
    EXPECT_EQ(s.cell(row + 1, column + 6), "000026D");  // 0xFF + 0x00 + 0xEF + 0x7F
    const char* names[] = {"No Funtion", "Level hold loop", "On/Off", "Stop",  "Vol -",
                           "VOL +",      "Pause",           "NoUse",  "NoUse", "Prev unloop"};
    for (int i = 0; i < 10; ++i) {
        EXPECT_EQ(s.cell(row + 4 + i, column + 2), names[i]) << "key " << i + 1;
        expectList(s, i, row + 4 + i, column + 3);
    }
    EXPECT_EQ(s.height(row + 4 + 3), 18.0);
    EXPECT_EQ(s.cell(row + 4, column + 3), "b.wav");
    EXPECT_EQ(s.cell(row + 5, column + 6), "WAV 16000 Hz\nWAV 16000 Hz");
    // Rows R+14..R+897 went: the sign-off line follows the key rows.
    EXPECT_EQ(s.cell(row + 15, column), "Checked by");
    EXPECT_EQ(s.maxRow(), row + 15);
    EXPECT_NE(s.j["print_area"].get<std::string>().find("$G$" + std::to_string(row + 15)),
              std::string::npos)
        << s.j["print_area"];
}

struct ListMode {
    int mode;
    const char* section;
    std::array<const char*, 10> keys;  ///< "" for the key function's own name
};

void PrintTo(const ListMode& m, std::ostream* os) { *os << m.section; }

class RecordSheetListModes : public RecordSheet, public ::testing::WithParamInterface<ListMode> {};

TEST_P(RecordSheetListModes, KeptListIEndsAtRowR15PlusI) {
    const ListMode m = GetParam();
    project.options.controlMode = m.mode;
    project.options.busyLevel = 0;
    project.options.audioOutput = 0;
    project.keys.keyFunction.fill(4);
    project.playlists[0].addTail(sound("a.wav", 8000));
    project.playlists[0].addTail(CSound::silence(300));
    project.playlists[1].addTail(sound("c.wav", 22000));
    for (int k = 0; k < 3; ++k) project.playlists[2].addTail(CSound::silence(1000 * (k + 1)));
    project.playlists[4].addTail(sound("b.wav", 16000));  // after the first empty list
    const RecordSheetResult result = run();
    ASSERT_TRUE(result.written) << (result.messages.empty() ? "" : result.messages[0].text);

    const SheetView s = readSheet(output());
    EXPECT_EQ(s.cell(row, column + 4), "HIGH");
    EXPECT_EQ(s.cell(row, column + 6), "PWM");
    EXPECT_EQ(s.cell(row + 1, column + 6), "0000000");
    for (int i = 0; i < 10; ++i) {
        const std::string expected = *m.keys[static_cast<std::size_t>(i)]
                                         ? m.keys[static_cast<std::size_t>(i)]
                                         : "Level loop";
        EXPECT_EQ(s.cell(row + 4 + i, column + 2), expected) << "key " << i + 1;
        EXPECT_EQ(s.cell(row + 4 + i, column + 3), "") << "key rows hold no lists here";
    }
    // The mode's own section moved up under the key rows; three lists (N = 3).
    EXPECT_NE(s.cell(row + 14, column + 2).find(m.section), std::string::npos)
        << s.cell(row + 14, column + 2);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(s.cell(row + 15 + i, column), "List " + std::to_string(i));
        expectList(s, i, row + 15 + i, column + 2);
        EXPECT_TRUE(
            s.merged("C" + std::to_string(row + 15 + i) + ":F" + std::to_string(row + 15 + i)));
    }
    EXPECT_EQ(s.cell(row + 15, column + 2), "a.wav\n300s");
    EXPECT_EQ(s.cell(row + 15, column + 6), "WAV 8000 Hz\nSilence");
    EXPECT_EQ(s.height(row + 15), 34.0);
    EXPECT_EQ(s.cell(row + 17, column + 2), "1000s\n2000s\n3000s");
    EXPECT_EQ(s.cell(row + 18, column), "") << "the blank row before the sign-off";
    EXPECT_EQ(s.cell(row + 19, column), "Checked by");
    EXPECT_EQ(s.maxRow(), row + 19);
    for (const auto& range : s.j["merged"]) {
        const std::string text = range.get<std::string>();
        EXPECT_LE(std::stoi(text.substr(text.find_last_of("ABCDEFG") + 1)), row + 19) << text;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Modes, RecordSheetListModes,
    ::testing::Values(
        ListMode{kModeMatrix,
                 "matrix",
                 {"No Used", "No Used", "No Used", "No Used", "No Used", "No Used", "No Used",
                  "No Used", "No Used", "No Used"}},
        ListMode{kModeParallel,
                 "parallel",
                 {"", "No Used", "No Used", "No Used", "No Used", "No Used", "No Used", "No Used",
                  "No Used", "No Used"}},
        ListMode{kModeOneLine, "one-line", {"", "", "", "No Used", "", "", "", "", "", ""}},
        ListMode{kModeThreeLine,
                 "three-line",
                 {"No Used", "No Used", "No Used", "No Used", "No Used", "No Used", "No Used",
                  "No Used", "No Used", "No Used"}}),
    [](const auto& info) {
        std::string name = info.param.section;
        name.erase(std::remove(name.begin(), name.end(), '-'), name.end());
        return name;
    });

TEST_F(RecordSheet, Mp3AndExtendedModesFillOnlyTheHead) {
    for (const int mode : {kModeMp3, kModeExtended}) {
        project.options.controlMode = mode;
        project.playlists[0].addTail(sound("a.wav", 8000));
        ASSERT_TRUE(run().written);
        const SheetView s = readSheet(output());
        EXPECT_EQ(s.cell(row, column + 4), "LOW");
        EXPECT_EQ(s.cell(row + 4, column + 2), "") << mode;
        EXPECT_EQ(s.cell(row + 15, column + 2), "") << mode;
        EXPECT_EQ(s.maxRow(), templateRows) << "nothing deleted in mode " << mode;
    }
}

TEST_F(RecordSheet, AllListsInMatrixModeAndLongListsAndLibraryRates) {
    project.options.controlMode = kModeMatrix;
    for (auto& list : project.playlists) list.addTail(sound("a.wav", 8000));
    for (int k = 0; k < 59; ++k) project.playlists[5].addTail(CSound::silence(10));
    // The entry's copy says 8000 Hz; the library record of that name says 16000.
    CSound stale = sound("b.wav", 8000);
    project.playlists[6].addTail(stale);
    project.playlists[7].addTail(sound("gone.wav", 12000));  // no longer in the library
    EXPECT_EQ(leadingListCount(project), 220);
    ASSERT_TRUE(run().written);
    const SheetView s = readSheet(output());
    EXPECT_EQ(s.cell(row + 15 + 219, column), "List 219");
    expectList(s, 219, row + 15 + 219, column + 2);
    EXPECT_EQ(s.height(row + 15 + 5), 400.0);  // 60 items
    EXPECT_EQ(s.cell(row + 15 + 6, column + 6), "WAV 8000 Hz\nWAV 16000 Hz");
    EXPECT_EQ(s.cell(row + 15 + 7, column + 6), "WAV 8000 Hz\nWAV 12000 Hz");
    EXPECT_EQ(s.cell(row + 15 + 220, column), "") << "the blank row after the last list";
    EXPECT_EQ(s.cell(row + 15 + 221, column), "Checked by");
}

TEST_F(RecordSheet, NoTemplateNoFile) {
    RecordSheetRequest r;
    r.project = &project;
    r.templatePath = (dir / "WorkbaseE.xlsx").string();
    r.outputPath = output();
    const RecordSheetResult result = exportRecordSheet(r);
    EXPECT_FALSE(result.written);
    EXPECT_FALSE(result.ran);
    ASSERT_EQ(result.messages.size(), 1u);
    EXPECT_EQ(result.messages[0].text, "Please Create EXCEL File");
    EXPECT_EQ(result.messages[0].caption, "Tip");
    EXPECT_EQ(result.messages[0].icon, UserInterface::Icon::Information);
    EXPECT_FALSE(fs::exists(output()));
}

TEST_F(RecordSheet, BrokenTemplatesLeaveThePreviousSheet) {
    test::writeFile(output(), "previous record sheet");
    const auto tryTemplate = [&](const std::string& bytes) {
        const fs::path bad = dir / "bad.xlsx";
        test::writeFile(bad, bytes);
        RecordSheetRequest r;
        r.project = &project;
        r.templatePath = bad.string();
        r.outputPath = output();
        return exportRecordSheet(r);
    };
    const auto other = test::makePackage(test::workbookParts({{"Sheet1", test::worksheetXml("")}}));
    RecordSheetResult result = tryTemplate(other);
    EXPECT_FALSE(result.written);
    EXPECT_TRUE(result.ran);
    ASSERT_EQ(result.messages.size(), 1u);
    EXPECT_EQ(result.messages[0].text.rfind("EXCEL初始化时出错!\n", 0), 0u)
        << result.messages[0].text;
    EXPECT_NE(result.messages[0].text.find("no sheet named \"worksheet\""), std::string::npos);
    EXPECT_EQ(result.messages[0].icon, UserInterface::Icon::Error);

    result = tryTemplate(test::makePackage(test::workbookParts(
        {{"worksheet",
          test::worksheetXml("<row r=\"1\"><c r=\"I1\" t=\"inlineStr\"><is><t>"
                             "Speaker Diameter or environment</t></is></c></row>")}})));
    ASSERT_EQ(result.messages.size(), 1u);
    EXPECT_NE(result.messages[0].text.find("first 8 columns"), std::string::npos);

    result = tryTemplate("not a workbook");
    ASSERT_EQ(result.messages.size(), 1u);
    EXPECT_NE(result.messages[0].text.find("bad.xlsx"), std::string::npos);
    EXPECT_EQ(test::readFile(output()), "previous record sheet");
}

TEST_F(RecordSheet, ALaterExportShowsTheSheetItWrote) {
    project.options.controlMode = kModeKey;
    const RecordSheetResult result = run(true);
    ASSERT_TRUE(result.written);
    EXPECT_EQ(result.showPath, output().string());
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator{}), 1)
        << "only the record sheet: no template copy, no temporary file";
}

}  // namespace
}  // namespace zadaravod
