#pragma once

// Helpers shared by the library and background music imports (internal to
// the audio layer).

#include <string>

#include "model/Project.h"
#include "model/UserInterface.h"
#include "tools/FileOperation.h"

namespace zadaravod::import {

/// True when `list` holds a record named `name` (exact, case-sensitive).
bool nameInList(const CSoundList& list, const std::string& name);
/// True for the same path, or for two paths naming one existing file.
bool samePath(const std::string& a, const std::string& b);
/// Copies `source` into the project's sound folder, replacing a file (or a
/// link, never followed) of that name. A failure shows the utility's error
/// text captioned "Error" and returns false; the import goes on.
bool copyIntoSoundFolder(const std::string& source, const Project& project, UserInterface& ui);
/// "" when the project's sound folder is a real folder; else what is wrong.
std::string soundFolderProblem(const Project& project);
/// "" when `name` can name a library sound; else why not (not UTF-8, or not
/// a plain file name).
std::string unusableName(const std::string& name);
/// A plain message with the application caption.
void tell(UserInterface& ui, const std::string& text);
/// Reports a file that cannot be read or converted and is therefore skipped.
void tellSkipped(UserInterface& ui, const std::string& reason);

}  // namespace zadaravod::import
