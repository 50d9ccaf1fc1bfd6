#pragma once

#include <optional>
#include <string>
#include <vector>

#include "commands/PromptTools.h"
#include "commands/Result.h"
#include "commands/UserInterface.h"
#include "model/Project.h"

namespace zadaravod {

/// The file chooser filter of the library load command.
inline constexpr const char* kLibraryLoadFilter =
    "Sound Files(*.wav)|*.wav|WAV Files(*.wav)|*.wav||";

/// What an import did with the files it was given.
struct ImportReport {
    int added = 0;
    int skipped = 0;  ///< files told as unusable and passed over
};

/// Done when files may be imported now: the library has room and the sound
/// folder is a real folder.
Done checkLibraryImport(const Project& project);

/// Load: brings `paths` into the library in order. A WAV named "*.wav" (lower
/// case) holding 8- or 16-bit PCM at a rate the import keeps is copied into
/// the sound folder unchanged; every other file (other WAVs included) is
/// converted into a 16-bit mono WAV — at its own rate when it is one of the
/// supported rates, else at the next supported rate below. A file that cannot
/// be read, converted, copied or stored, or that is too long for any flash, is
/// told through `messenger` and skipped. A name already used, a WAV at a rate
/// the import refuses, a single compressed file above 22000 Hz or a full
/// library stops the command with its message; the files added before stay.
/// With a `treatment`, each file is treated on its way in (the copied WAVs
/// too, which then become 16-bit mono); a file the treatment refuses (pure
/// silence) is told and skipped, and what trimming saved goes to
/// `messenger.status`. Without one, every file arrives exactly as above.
/// With several files, each is told as a status line ("Importing sound 3 of
/// 40") and a progress step; progress() returning false stops the import
/// before the next file (the files added before stay).
Result<ImportReport> importSounds(Project& project, Messenger& messenger,
                                  const std::vector<std::string>& paths,
                                  const SoundTreatment& treatment = {});

/// Delete: removes library sound `index` (0-based), every playlist entry that
/// plays it (a status line says how many) and its file in the sound folder (a
/// file already missing is no error). Returns the number of playlist entries
/// removed. A file that cannot be deleted fails the command; the record is
/// gone all the same.
Result<int> removeSound(Project& project, Messenger& messenger, int index);

/// Removes every playlist entry that plays `sound` (matched by file path);
/// returns how many went.
int removeUsesOf(Project& project, const CSound& sound);

/// Clear: deletes every library sound's file (each one that cannot be
/// deleted is told), empties the library and every playlist (the background
/// music stays) and says "Empty sound library". Returns the number of files
/// that could not be deleted.
Result<int> clearSounds(Project& project, Messenger& messenger);

// The window's versions, which ask first.

/// The open-files dialog, then importSounds. True when every chosen file
/// was added; a refusal or a stop is shown.
bool loadLibrarySounds(Project& project, UserInterface& ui, const SoundTreatment& treatment = {});
/// The confirmation, then removeSound of the selected row (nullopt = none).
bool deleteLibrarySound(Project& project, UserInterface& ui, std::optional<int> selected);
/// The confirmation, then clearSounds. True when every file was deleted.
bool clearLibrary(Project& project, UserInterface& ui);

}  // namespace zadaravod
