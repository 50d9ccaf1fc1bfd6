#include "io/FolderCopy.h"

#include <filesystem>
#include <optional>
#include <system_error>

#include "io/AtomicFile.h"

namespace zadaravod {
namespace fs = std::filesystem;

namespace {

/// True when `inner` is `outer` or lies below it.
bool isWithin(const fs::path& inner, const fs::path& outer) {
    auto i = inner.begin();
    for (auto o = outer.begin(); o != outer.end(); ++o, ++i) {
        if (i == inner.end() || *i != *o) return false;
    }
    return true;
}

}  // namespace

FolderCopyTarget folderCopyTarget(const std::string& source, const std::string& destinationParent) {
    std::error_code ec;
    fs::path from = fs::weakly_canonical(source, ec);
    if (ec || !fs::is_directory(from, ec)) return {{}, "The folder " + source + " does not exist."};
    if (from.filename().empty()) from = from.parent_path();  // written with a trailing "/"
    const fs::path parent = fs::weakly_canonical(destinationParent, ec);
    if (ec || !fs::is_directory(parent, ec)) {
        return {{}, "The folder " + destinationParent + " does not exist."};
    }
    const fs::path to = parent / from.filename();
    if (isWithin(to, from)) return {{}, "A folder cannot be copied into itself."};
    return {to.string(), {}};
}

std::string copyFolderTree(const std::string& source, const std::string& destinationParent,
                           const FolderCopyHooks& hooks) {
    const FolderCopyTarget target = folderCopyTarget(source, destinationParent);
    if (!target.error.empty()) return target.error;
    std::error_code ec;
    const fs::path from = fs::weakly_canonical(source, ec);
    const fs::path to = target.path;

    // An entry the caller leaves out, with all it holds.
    auto skipped = [&](fs::recursive_directory_iterator& it) {
        if (!hooks.skip) return false;
        std::error_code e;
        if (!hooks.skip(fs::relative(it->path(), from, e).generic_string())) return false;
        if (it->is_directory(e)) it.disable_recursion_pending();
        return true;
    };

    // Count the files first, for the progress display.
    int total = 0;
    for (auto it = fs::recursive_directory_iterator(from, ec);
         !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
        if (skipped(it)) continue;
        if (!it->is_symlink(ec) && it->is_regular_file(ec)) ++total;
    }
    if (ec) return "Cannot read " + source + ": " + ec.message();

    bool replaceAll = false;
    auto mayWrite = [&](const fs::path& target) -> std::optional<bool> {
        std::error_code e;
        if (!fs::exists(target, e) || replaceAll) return true;
        const OverwriteAnswer a =
            hooks.askOverwrite ? hooks.askOverwrite(target.string()) : OverwriteAnswer::Cancel;
        if (a == OverwriteAnswer::Cancel) return std::nullopt;
        if (a == OverwriteAnswer::YesToAll) replaceAll = true;
        return a != OverwriteAnswer::No;
    };

    if (fs::exists(to, ec) && !fs::is_directory(to, ec)) {
        return "The target " + to.string() + " exists and is not a folder.";
    }
    if (!fs::exists(to, ec) && !fs::create_directory(to, ec)) {
        return "Cannot create " + to.string() + ": " + ec.message();
    }

    int done = 0;
    if (hooks.progress && !hooks.progress(0, total)) return kCopyStopped;
    for (auto it = fs::recursive_directory_iterator(from, ec);
         !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
        if (skipped(it)) continue;
        const fs::path relative = fs::relative(it->path(), from, ec);
        if (ec) break;
        const fs::path target = to / relative;
        std::error_code e;
        // Links stay behind, whatever they point at: a copy never reads
        // outside the project folder.
        if (it->is_symlink(e)) continue;
        if (it->is_directory(e)) {
            if (fs::exists(target, e) && !fs::is_directory(target, e)) {
                return "The target " + target.string() + " exists and is not a folder.";
            }
            if (!fs::exists(target, e) && !fs::create_directory(target, e)) {
                return "Cannot create " + target.string() + ": " + e.message();
            }
            continue;
        }
        if (!it->is_regular_file(e)) continue;  // links and devices stay behind
        const auto write = mayWrite(target);
        if (!write) return kCopyStopped;
        if (*write) {
            if (fs::is_directory(target, e)) {
                return "The target " + target.string() + " is a folder.";
            }
            PendingFile pending(target);
            if (!fs::copy_file(it->path(), pending.temporaryPath(),
                               fs::copy_options::overwrite_existing, e)) {
                return "Cannot copy " + it->path().string() + ": " + e.message();
            }
            const std::string error = pending.commit();
            if (!error.empty()) return error;
        }
        ++done;
        if (hooks.progress && !hooks.progress(done, total)) return kCopyStopped;
    }
    if (ec) return "Cannot read " + source + ": " + ec.message();
    return {};
}

}  // namespace zadaravod
