#pragma once

#include <optional>
#include <string>

#include "model/Project.h"
#include "model/UserInterface.h"

namespace zadaravod {

/// The file chooser filter of the library load command.
inline constexpr const char* kLibraryLoadFilter =
    "Sound Files(*.wav)|*.wav|WAV Files(*.wav)|*.wav||";
/// The confirmation dialog's "confirm" end code.
inline constexpr int kConfirmYes = 1095;

/// A sound record for the WAV file at `path`, stored in the project as `name`:
/// kind 1 and the file's audio information, each figure truncated toward
/// zero. When the file cannot be read, the numeric fields keep the values of
/// a new record and `error` (when given) says why.
CSound makeSoundRecord(const std::string& path, const std::string& name,
                       std::string* error = nullptr);

/// The text after the last "." of a file name, "" when it has none.
std::string audioFileExtension(const std::string& name);

/// Load: brings the files chosen in the open-files dialog into the library.
/// A WAV named "*.wav" (lower case) at a rate the import keeps is copied into
/// the sound folder unchanged; every other file is converted into
/// soundFolder/<name>.wav at its own rate (one file) or at its rate rounded
/// down to a supported one (several files). Every check and message of the
/// import holds, in order; records added before a stop stay. A file that
/// cannot be read or converted is reported and skipped. True when every
/// chosen file was added; false when the command was cancelled, refused,
/// stopped, or skipped a file.
bool loadLibrarySounds(Project& project, UserInterface& ui);

/// Removes every playlist entry that plays `sound` (matched by file path);
/// returns how many went.
int removeUsesOf(Project& project, const CSound& sound);

/// Delete: after the confirmation, removes library record `selected`
/// (0-based; nullopt = nothing selected), every playlist entry that plays it
/// (a status line says how many), and its file in the sound folder (a file
/// already missing is no error). False when not confirmed, nothing valid was
/// selected, or the file could not be deleted (the record is gone all the same).
bool deleteLibrarySound(Project& project, UserInterface& ui, std::optional<int> selected);

/// Clear: after the confirmation, deletes every library sound's file, empties
/// the library and every playlist (the background music stays) and shows
/// "Empty sound library". False when not confirmed or a file could not be
/// deleted.
bool clearLibrary(Project& project, UserInterface& ui);

}  // namespace zadaravod
