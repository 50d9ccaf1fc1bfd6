#pragma once

#include <string>
#include <vector>

namespace zadaravod {

// Files dropped on the window from a file manager: what the drop means.

/// Where the files were dropped.
enum class DropTarget {
    Library,  ///< the sound library view: the files are imported
    Music,    ///< the background music view: the one file is loaded as music
    Window,   ///< anywhere else: a project is opened, sounds are imported
};

struct DropPlan {
    enum class Action {
        None,          ///< nothing usable was dropped; nothing to say
        OpenProject,   ///< files[0] is a project file or a project folder
        ImportSounds,  ///< files are imported into the library, in order
        LoadMusic,     ///< files[0] is loaded as the background music
        Refuse,        ///< `message` says why and what to do
    };
    Action action = Action::None;
    std::vector<std::string> files;
    std::string message;
};

/// Whether `path` names a project: a file ending in ".winproj" (any letter
/// case) or a folder (whose project file the open command looks for).
bool isDroppedProject(const std::string& path);

/// The meaning of dropping `paths` (local paths, in the order of the drop) on
/// `target`. A project must come alone: with anything else, or with a second
/// project, the drop is refused. A drop on the music view takes one sound
/// file. Every other file is for the import, which tells and skips what it
/// cannot use.
DropPlan planDrop(const std::vector<std::string>& paths, DropTarget target);

}  // namespace zadaravod
