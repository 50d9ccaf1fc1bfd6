#pragma once

// What the library and the background music share: the sound folder, the
// records made from files in it, and the names a record may have.

#include <string>

#include "commands/Result.h"
#include "commands/UserInterface.h"
#include "model/Project.h"

namespace zadaravod {

/// A sound record for the WAV file at `path`, stored in the project as `name`:
/// kind 1 and the file's audio information, each figure truncated toward
/// zero. When the file cannot be read, the numeric fields keep the values of
/// a new record and `error` (when given) says why.
CSound makeSoundRecord(const std::string& path, const std::string& name,
                       std::string* error = nullptr);

/// The text after the last "." of a file name, "" when it has none.
std::string audioFileExtension(const std::string& name);

/// True when `list` holds a record named `name` (exact, case-sensitive).
bool nameInList(const CSoundList& list, const std::string& name);
/// True when a library sound or the background music is named `name`: both
/// live in the sound folder under their names.
bool nameTaken(const Project& project, const std::string& name);
/// True for the same path, or for two paths naming one existing file.
bool samePath(const std::string& a, const std::string& b);

/// Done when the project's sound folder is a real folder; else what is wrong.
Done checkSoundFolder(const Project& project);
/// "" when `name` can name a sound of the sound folder; else why not (not
/// UTF-8, or not a plain file name).
std::string unusableName(const std::string& name);

/// Moves a file of the sound folder named `name` out of the way (into the
/// undo folder) before a new one is written under that name. A folder of
/// that name, or the file `source` itself, is left in place.
Done makeRoomFor(const Project& project, const std::string& name, const std::string& source = {});
/// Copies `source` into the project's sound folder, replacing a file (or a
/// link, never followed) of that name. Done, or the utility's error text in
/// a box captioned "Error".
Done copyIntoSoundFolder(const std::string& source, const Project& project);
/// Takes the sound folder's file `name` away (into the undo folder, see
/// retireSoundFile); a file already gone is no error. A failure is told and
/// returns false.
bool deleteSoundFile(const Project& project, const std::string& name, Messenger& messenger);

}  // namespace zadaravod
