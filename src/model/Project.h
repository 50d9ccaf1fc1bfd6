#pragma once

#include <array>
#include <string>

#include "model/Settings.h"
#include "model/Sound.h"

namespace zadaravod {

/// Everything the main window owns of the open project: the three kinds of
/// lists, the four settings records and the project state.
struct Project {
    COptions options;
    CKey keys;
    CEquation equation;
    CFlashSize flashSize;

    CSoundList library;
    std::array<CSoundList, kPlaylistCount> playlists;
    CSoundList backgroundMusic;

    bool projectOpen = false;
    std::string projectFilePath;  ///< full path of the project file; "" when none
    std::string soundFolder;      ///< full path of the sound folder; "" when none

    /// Empties the library, every playlist and the background music.
    void clearLists();
    /// Sets every record's filePath to soundFolder + "/" + name.
    void rebaseLists();
    /// The image path: projectFilePath + ".bin" ("" when no project file).
    std::string imagePath() const;
    /// The flash-size file: projectFilePath + "flash".
    std::string flashSizePath() const { return projectFilePath + "flash"; }
};

/// A record's file path inside a sound folder.
std::string soundPath(const std::string& soundFolder, const std::string& name);

/// The file name part of a path ("demo.winproj" of "/w/demo.winproj").
std::string fileNameOf(const std::string& path);
/// The folder part of a path, without the last "/" ("" when there is none).
std::string folderOf(const std::string& path);
/// The project file a user names: a project folder D/N stands for its
/// project file D/N/N; anything else is taken as the project file itself.
std::string projectFileOf(const std::string& path);

}  // namespace zadaravod
