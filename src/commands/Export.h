#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "commands/UserInterface.h"
#include "io/AppPaths.h"
#include "model/Project.h"

namespace zadaravod {

/// The text of the cell the record sheet is laid out around.
inline constexpr const char* kRecordSheetLabel = "Speaker Diameter or environment";
/// The template's sheet.
inline constexpr const char* kRecordSheetName = "worksheet";

/// A local date and time, as the clock shows it (month 1..12).
struct LocalDateTime {
    int year = 0;
    int month = 0;
    int day = 0;
    int hour = 0;
    int minute = 0;
    int second = 0;
};

/// Everything one export needs. Nothing is read from elsewhere.
struct RecordSheetRequest {
    const Project* project = nullptr;
    /// The bytes of the project's image; nullptr when there is no image.
    const std::vector<std::uint8_t>* image = nullptr;
    std::string templatePath;  ///< WorkbaseE.xlsx of the application folder
    std::string outputPath;    ///< recordSheetPath(projectFilePath)
    LocalDateTime now;
    /// Whether an export already ran since the application started: the
    /// written sheet is then to be shown.
    bool exportedBefore = false;
};

struct RecordSheetResult {
    bool written = false;  ///< outputPath holds the new record sheet
    /// True once the export got past the template check: the caller then
    /// remembers that an export has run.
    bool ran = false;
    /// Messages for the caller to show, in order.
    std::vector<Message> messages;
    /// When set, the caller opens this file with the desktop's viewer.
    std::string showPath;
};

/// Fills a copy of the template with the project's settings, checksum, key
/// functions and playlists, deletes the template sections the control mode
/// does not use, and writes it atomically to request.outputPath. The
/// template itself is only read. Without a template: "Please Create EXCEL
/// File" / "Tip" and nothing is written; any other failure is a message that
/// names the file and the fault, and nothing is written either.
RecordSheetResult exportRecordSheet(const RecordSheetRequest& request);

/// The export command: reads the project's image when there is one (at most
/// the largest flash), fills the application folder's template with the
/// project and the local time now, writes <project file>.xlsx, and tells the
/// export's messages through `messenger`. `exportedBefore` as in the
/// request. Returns what the export did.
RecordSheetResult exportProject(const Project& project, const AppPaths& paths, Messenger& messenger,
                                bool exportedBefore);

/// The record sheet of a project: projectFilePath + ".xlsx".
std::string recordSheetPath(const std::string& projectFilePath);

/// "%07X" of the sum of (b XOR 0xFF) over the image, modulo 2^32.
std::string imageChecksumText(std::span<const std::uint8_t> image);

/// "%d-%d-%d  %d:%d:%d": year, month, day, two blanks, hour, minute, second.
std::string recordSheetDate(const LocalDateTime& t);

/// The record sheet's name of a key function code ("No Funtion", ...);
/// "NoUse" for a code outside 0..14.
const char* recordSheetKeyFunctionName(int code);

/// The number of leading non-empty playlists (220 when none is empty).
int leadingListCount(const Project& project);

/// The two cell texts of one playlist, items separated by line feeds.
struct ListTexts {
    std::string names;  ///< a sound's name; a silence's length as "%ds" of its milliseconds
    std::string kinds;  ///< "WAV <rate> Hz" of the library sound of that name; "Silence"
    int items = 0;
};
ListTexts listTexts(const CSoundList& list, const CSoundList& library);

/// The height of a list row in points: min(8 x items + 18, 400).
int listRowHeight(int items);

}  // namespace zadaravod
