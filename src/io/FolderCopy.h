#pragma once

#include <functional>
#include <string>

namespace zadaravod {

/// What the folder copy asks before it overwrites an existing file or folder.
enum class OverwriteAnswer { Yes, YesToAll, No, Cancel };

/// The callbacks of copyFolderTree(); any may be empty.
struct FolderCopyHooks {
    /// Asked once per existing target entry until YesToAll; empty = Cancel.
    std::function<OverwriteAnswer(const std::string& target)> askOverwrite;
    /// Files copied so far and in all; false stops the copy.
    std::function<bool(int done, int total)> progress;
    /// True for an entry (a path relative to the source, "/"-separated) that
    /// stays behind with everything in it.
    std::function<bool(const std::string& relative)> skip;
};

/// Where copyFolderTree() puts the copy of `source`: destinationParent/<the
/// name of source>, both made absolute and free of "..". `error` says why no
/// copy can be made there (a folder that does not exist, a copy into the
/// folder itself or below it); `path` is then empty.
struct FolderCopyTarget {
    std::string path;
    std::string error;
};
FolderCopyTarget folderCopyTarget(const std::string& source, const std::string& destinationParent);

/// Copies the folder `source` with all its content into `destinationParent`
/// (the copy is destinationParent/<source's name>). Every file is written
/// through a temporary file and renamed into place, so an interrupted copy
/// never leaves a half-written file; symbolic links stay behind, so nothing
/// outside `source` is read. Copying a folder into itself or below itself is
/// refused. Returns "" on success, kCopyStopped when the user stopped, else
/// the reason.
std::string copyFolderTree(const std::string& source, const std::string& destinationParent,
                           const FolderCopyHooks& hooks);
inline constexpr const char* kCopyStopped = "stopped";

}  // namespace zadaravod
