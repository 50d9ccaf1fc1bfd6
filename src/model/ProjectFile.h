#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "model/Project.h"

namespace zadaravod {

/// The bytes of the project file: CKey, CEquation, COptions (tagged), then the
/// library, the 220 playlists and the background music (untagged lists).
std::vector<std::uint8_t> storeProjectFile(const Project& project,
                                           const std::string& fileName = {});
/// The bytes of the flash-size file: one tagged CFlashSize.
std::vector<std::uint8_t> storeFlashSizeFile(const CFlashSize& flashSize,
                                             const std::string& fileName = {});

/// What a project file holds.
struct ProjectFileContent {
    CKey keys;
    CEquation equation;
    COptions options;
    CSoundList library;
    std::array<CSoundList, kPlaylistCount> playlists;
    CSoundList backgroundMusic;
};

/// Sees the playlists' entries of a project file one by one as they are
/// read, instead of their being kept: the list (0..219) and the entry, as
/// stored but without its path (left empty). The record is reused for the
/// next entry.
using PlaylistEntryVisitor = std::function<void(int list, const CSound& entry)>;

/// Parses a project file held in memory. Throws ArchiveError on any fault;
/// `fileName` names the file in the message. Never reads out of bounds and
/// never allocates more than the bytes present justify. With `visit`, the
/// playlists' entries go to it and the playlists of the result stay empty.
ProjectFileContent loadProjectFile(std::string_view bytes, const std::string& fileName,
                                   const PlaylistEntryVisitor* visit = nullptr);
/// Parses a flash-size file; throws ArchiveError.
CFlashSize loadFlashSizeFile(const std::string& bytes, const std::string& fileName);

/// Why `name` cannot name a file of the sound folder, "" when it can: it is
/// empty, "." or "..", or holds "/", "\\" or a NUL character.
std::string unsafeFileNameReason(const std::string& name);
/// Whether unsafeFileNameReason(name) is "" (without making the text).
bool isPlainFileName(std::string_view name);

/// Checks a loaded project file before anything of it is used: at most 510
/// library sounds, and every library and background-music record and every
/// playlist sound named by a plain file name (silences may keep empty
/// names). Returns "" or a message naming the file, the list and the entry.
std::string checkProjectContent(const ProjectFileContent& content, const std::string& fileName);

/// A project read from its files with the Open rules.
struct LoadedProject {
    Project project;           ///< open, with every record's path in its sound folder
    std::string flashIgnored;  ///< why the flash-size file was not used; "" when it was
};

/// Reads the project file `file` and its flash-size file as Open does: the
/// project file must load and pass checkProjectContent; a flash-size file
/// that is missing or does not load gives "4M" (and says why in
/// `flashIgnored`). Returns false with `error` when the project file does
/// not load; nothing is written. Locking is the caller's.
bool readProject(const std::string& file, LoadedProject& out, std::string& error);
/// readProject for a caller that looks at each playlist entry once, as it is
/// read (a listing of a large project needs no copy of its 19 000 entries):
/// `visit` sees every entry that passed the checks, and the playlists of
/// out.project stay empty. The same checks, in the same order, refuse the
/// same files with the same messages; what `visit` saw of a refused file is
/// to be thrown away.
bool readProject(const std::string& file, LoadedProject& out, std::string& error,
                 const PlaylistEntryVisitor& visit);

/// Writes the project file atomically; returns an error text or "".
std::string saveProjectFile(const Project& project);
/// Writes the flash-size file atomically; returns an error text or "".
std::string saveFlashSizeFile(const Project& project);
/// Writes the project file, then the flash-size file; the first error or "".
std::string saveProjectFiles(const Project& project);

}  // namespace zadaravod
