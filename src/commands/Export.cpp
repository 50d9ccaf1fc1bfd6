#include "commands/Export.h"

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <utility>

#include "tools/CellText.h"
#include "tools/Workbook.h"

#include "io/AtomicFile.h"

namespace zadaravod {

namespace {

using workbook::Workbook;

constexpr int kKeyRows = 10;
constexpr int kLastTemplateRow = 897;  ///< of the sections, relative to the label row

/// Row of the first list of each mode's section, relative to the label row.
constexpr int kMatrixSection = 15;
constexpr int kParallelSection = 236;
constexpr int kOneLineSection = 457;
constexpr int kThreeLineSection = 678;

/// Rows (relative to the label row) deleted per mode, in order; `n` is the
/// number of lists written.
std::vector<std::pair<int, int>> deletionsFor(int mode, int n) {
    switch (mode) {
        case kModeKey:
            return {{14, kLastTemplateRow}};
        case kModeMatrix:
            return {{15 + n, kLastTemplateRow}};
        case kModeParallel:
            return {{14, 234}, {15 + n, 676}};
        case kModeOneLine:
            return {{14, 455}, {15 + n, 455}};
        case kModeThreeLine:
            return {{14, 676}, {15 + n, 234}};
        default:
            return {};
    }
}

int sectionOf(int mode) {
    switch (mode) {
        case kModeMatrix:
            return kMatrixSection;
        case kModeParallel:
            return kParallelSection;
        case kModeOneLine:
            return kOneLineSection;
        case kModeThreeLine:
            return kThreeLineSection;
        default:
            return 0;
    }
}

/// The text of a key row's function column, or nullptr for "leave it".
const char* keyRowText(const Project& p, int i) {
    const int mode = p.options.controlMode;
    const int code = p.keys.keyFunction[static_cast<std::size_t>(i)];
    switch (mode) {
        case kModeKey:
            return recordSheetKeyFunctionName(code);
        case kModeOneLine:
            return i == 3 ? "No Used" : recordSheetKeyFunctionName(code);
        case kModeThreeLine:
        case kModeMatrix:
            return "No Used";
        case kModeParallel:
            return i == 0 ? recordSheetKeyFunctionName(code) : "No Used";
        default:
            return nullptr;
    }
}

/// Cuts a text that a cell cannot hold, at a character boundary, marking the cut.
std::string fitCell(std::string text) {
    if (workbook::encodeCellText(text).utf16Length <= workbook::kMaxCellTextLength) return text;
    const std::string mark = "\xE2\x80\xA6";  // the ellipsis
    std::size_t units = 0;
    std::size_t i = 0;
    while (i < text.size()) {
        const unsigned char lead = static_cast<unsigned char>(text[i]);
        const std::size_t length = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;
        const std::size_t add = length == 4 ? 2 : 1;
        if (units + add > workbook::kMaxCellTextLength - 1 || i + length > text.size()) break;
        units += add;
        i += length;
    }
    text.resize(i);
    return text + mark;
}

class Filler {
  public:
    Filler(Workbook& book, RecordSheetResult& result) : book_(book), result_(result) {}

    bool set(int row, int column, const std::string& text) {
        return book_.setCellText(row, column, fitCell(text)) || failed();
    }
    bool height(int row, int items) {
        return book_.setRowHeight(row, listRowHeight(items)) || failed();
    }
    bool list(const Project& p, int j, int row, int namesColumn, int kindsColumn) {
        const ListTexts t = listTexts(p.playlists[static_cast<std::size_t>(j)], p.library);
        return set(row, namesColumn, t.names) && set(row, kindsColumn, t.kinds) &&
               height(row, t.items);
    }
    bool failed() {
        result_.messages.push_back({book_.errorString(), kAppCaption, MessageIcon::Error});
        return false;
    }

  private:
    Workbook& book_;
    RecordSheetResult& result_;
};

bool fill(Workbook& book, const RecordSheetRequest& request, RecordSheetResult& result) {
    const Project& p = *request.project;
    Filler f(book, result);
    if (!f.set(3, 7, recordSheetDate(request.now))) return false;

    const auto label = book.find(kRecordSheetLabel);
    if (!label) {
        result.messages.push_back({"The template " + request.templatePath + " has no cell \"" +
                                       kRecordSheetLabel +
                                       "\" in its first 8 columns, so the record sheet cannot "
                                       "be laid out. Reinstall the program's WorkbaseE.xlsx.",
                                   kAppCaption, MessageIcon::Error});
        return false;
    }
    const int r = label->row;
    const int c = label->column;
    if (r + kLastTemplateRow > workbook::kMaxRow) {
        result.messages.push_back({"The template " + request.templatePath + " has the cell \"" +
                                       kRecordSheetLabel + "\" too far down (row " +
                                       std::to_string(r) + ") for the record sheet to fit.",
                                   kAppCaption, MessageIcon::Error});
        return false;
    }
    const std::string checksum =
        request.image ? imageChecksumText(*request.image) : std::string("0000000");
    if (!f.set(r, c + 4, busyLevelName(p.options.busyLevel)) ||
        !f.set(r, c + 6, audioOutputName(p.options.audioOutput)) ||
        !f.set(r + 1, c + 6, checksum)) {
        return false;
    }

    const int mode = p.options.controlMode;
    if (mode == kModeMp3 || mode == kModeExtended || mode < 0 || mode > kModeKey) return true;
    for (int i = 0; i < kKeyRows; ++i) {
        if (!f.set(r + 4 + i, c + 2, keyRowText(p, i))) return false;
    }
    const int n = leadingListCount(p);
    if (mode == kModeKey) {
        for (int i = 0; i < kKeyRows; ++i) {
            if (!f.list(p, i, r + 4 + i, c + 3, c + 6)) return false;
        }
    } else {
        const int section = r + sectionOf(mode);
        for (int i = 0; i < n; ++i) {
            if (!f.list(p, i, section + i, c + 2, c + 6)) return false;
        }
    }
    for (const auto& [from, to] : deletionsFor(mode, n)) {
        if (r + from > r + to) continue;  // nothing left to trim
        if (!book.deleteRows(r + from, r + to)) return f.failed();
    }
    return true;
}

}  // namespace

std::string recordSheetPath(const std::string& projectFilePath) {
    return projectFilePath + ".xlsx";
}

std::string imageChecksumText(std::span<const std::uint8_t> image) {
    std::uint32_t sum = 0;
    for (const std::uint8_t b : image) sum += static_cast<std::uint32_t>(b ^ 0xFFu);
    char text[16];
    std::snprintf(text, sizeof text, "%07X", sum);
    return text;
}

std::string recordSheetDate(const LocalDateTime& t) {
    char text[96];
    std::snprintf(text, sizeof text, "%d-%d-%d  %d:%d:%d", t.year, t.month, t.day, t.hour, t.minute,
                  t.second);
    return text;
}

const char* recordSheetKeyFunctionName(int code) {
    static constexpr const char* kNames[] = {
        "No Funtion",      "Edge retrigger", "Edge no retrigger",
        "Level hold loop", "Level loop",     "On/Off",
        "Next unloop",     "Prev unloop",    "Next loop",
        "Prev loop",       "Level unloop",   "Pause",
        "VOL +",           "Vol -",          "Stop"};
    if (code < 0 || code >= static_cast<int>(std::size(kNames))) return "NoUse";
    return kNames[code];
}

int leadingListCount(const Project& project) {
    int n = 0;
    while (n < kPlaylistCount && !project.playlists[static_cast<std::size_t>(n)].empty()) ++n;
    return n;
}

ListTexts listTexts(const CSoundList& list, const CSoundList& library) {
    ListTexts t;
    for (const CSound& s : list) {
        if (t.items > 0) {
            t.names += '\n';
            t.kinds += '\n';
        }
        ++t.items;
        if (!s.isSound()) {
            t.names += std::to_string(s.durationMs) + "s";
            t.kinds += "Silence";
            continue;
        }
        t.names += s.name;
        // The rate of the library sound of that name; the entry's own copy
        // of it when the library no longer has one.
        const auto it = std::find_if(library.begin(), library.end(), [&](const CSound& l) {
            return l.isSound() && l.name == s.name;
        });
        const int rate = it != library.end() ? it->sampleRate : s.sampleRate;
        t.kinds += "WAV " + std::to_string(rate) + " Hz";
    }
    return t;
}

int listRowHeight(int items) { return std::min(8 * items + 18, 400); }

RecordSheetResult exportRecordSheet(const RecordSheetRequest& request) {
    RecordSheetResult result;
    std::error_code ec;
    if (!std::filesystem::is_regular_file(request.templatePath, ec)) {
        result.messages.push_back({"Please Create EXCEL File", "Tip", MessageIcon::Information});
        return result;
    }
    result.ran = true;
    if (!request.project || request.outputPath.empty()) {
        // No project file to put the record sheet beside.
        result.messages.push_back(
            {"请先存文件后,方可打开!", kAppCaption, MessageIcon::Information});
        return result;
    }
    Workbook book;
    if (!book.open(request.templatePath) || !book.selectSheet(kRecordSheetName)) {
        result.messages.push_back({std::string("EXCEL初始化时出错!\n") + book.errorString(),
                                   kAppCaption, MessageIcon::Error});
        return result;
    }
    if (!fill(book, request, result)) return result;
    if (!book.saveAs(request.outputPath)) {
        result.messages.push_back({book.errorString(), kAppCaption, MessageIcon::Error});
        return result;
    }
    result.written = true;
    if (request.exportedBefore) {
        if (std::filesystem::is_regular_file(request.outputPath, ec)) {
            result.showPath = request.outputPath;
        } else {
            result.messages.push_back({"路径" + request.outputPath + "错误,不能打开显示!",
                                       kAppCaption, MessageIcon::Information});
        }
    }
    return result;
}

RecordSheetResult exportProject(const Project& project, const AppPaths& paths, Messenger& messenger,
                                bool exportedBefore) {
    std::vector<std::uint8_t> image;
    std::string bytes, error;
    std::error_code ec;
    const bool haveImage = std::filesystem::is_regular_file(project.imagePath(), ec) &&
                           readWholeFile(project.imagePath(), bytes, error, kLargestFlashBytes);
    if (haveImage) image.assign(bytes.begin(), bytes.end());

    const std::time_t seconds = std::time(nullptr);
    std::tm local{};
    localtime_r(&seconds, &local);
    RecordSheetRequest request;
    request.project = &project;
    request.image = haveImage ? &image : nullptr;
    request.templatePath = paths.workbookTemplatePath();
    request.outputPath =
        project.projectFilePath.empty() ? std::string() : recordSheetPath(project.projectFilePath);
    request.now = {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
                   local.tm_hour,        local.tm_min,     local.tm_sec};
    request.exportedBefore = exportedBefore;
    RecordSheetResult result = exportRecordSheet(request);
    for (const Message& m : result.messages) messenger.tell(m);
    return result;
}

}  // namespace zadaravod
