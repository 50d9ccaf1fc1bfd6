#include "io/FileOperation.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <stdexcept>

#include "io/AtomicFile.h"
#include "io/FolderCopy.h"

namespace zadaravod {
namespace fs = std::filesystem;

namespace {

struct CopyFailure {
    std::string text;
    int code;
};

std::string lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

std::string withoutTrailingSlash(std::string s) {
    while (s.size() > 1 && s.back() == '/') s.pop_back();
    return s;
}

std::string parentOf(const std::string& path) {
    const std::string p = withoutTrailingSlash(path);
    const auto slash = p.find_last_of('/');
    return slash == std::string::npos ? std::string() : p.substr(0, slash);
}

std::string nameOf(const std::string& path) {
    const std::string p = withoutTrailingSlash(path);
    const auto slash = p.find_last_of('/');
    return slash == std::string::npos ? p : p.substr(slash + 1);
}

bool sameFile(const std::string& a, const std::string& b) {
    std::error_code ec;
    return fs::equivalent(a, b, ec) && !ec;
}

/// Copies one file onto `target` through a temporary file renamed into
/// place: a symbolic link standing at `target` is replaced, never followed.
void copyOneFile(const std::string& source, const std::string& target, bool overwrite) {
    std::error_code ec;
    // Already in place: nothing to copy (a link to the source is no copy).
    if (!fs::is_symlink(target, ec) && sameFile(source, target)) return;
    if (!overwrite && fs::exists(fs::symlink_status(target, ec))) {
        throw CopyFailure{std::strerror(EEXIST), EEXIST};
    }
    PendingFile pending(target);
    if (!pending.error().empty()) throw CopyFailure{pending.error(), EIO};
    if (!fs::copy_file(source, pending.temporaryPath(), fs::copy_options::overwrite_existing, ec) ||
        ec) {
        const int code = ec ? ec.value() : EIO;
        throw CopyFailure{std::strerror(code), code};
    }
    const std::string error = pending.commit();
    if (!error.empty()) throw CopyFailure{error, EIO};
}

}  // namespace

int pathKind(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        return (errno == ENOENT || errno == ENOTDIR) ? 0 : -1;
    }
    if (S_ISDIR(st.st_mode)) return 2;
    return 1;
}

bool CFileOperation::copy(const std::string& source, const std::string& destination) {
    try {
        const int sourceKind = pathKind(source);
        const int destinationKind = pathKind(destination);
        if (sourceKind == 2 &&
            lower(parentOf(source)) == lower(withoutTrailingSlash(destination))) {
            return true;
        }
        if (sourceKind == 0) throw CopyFailure{source + " not found", 0};
        if (destinationKind == 0) throw CopyFailure{destination + " not found", 0};
        if (sourceKind < 0 || destinationKind < 0) {
            const int code = errno;
            throw CopyFailure{std::strerror(code), code};
        }
        if (sourceKind == 2 && destinationKind == 1) throw CopyFailure{"Wrong operation", 0};
        if (sourceKind == 2) {
            std::error_code ec;
            if (fs::is_empty(source, ec) && !ec) throw CopyFailure{source + " not found", 0};
            FolderCopyHooks hooks;
            bool refused = false;
            hooks.askOverwrite = [&](const std::string&) {
                refused = !overwrite;
                return overwrite ? OverwriteAnswer::YesToAll : OverwriteAnswer::Cancel;
            };
            const std::string error = copyFolderTree(source, destination, hooks);
            if (refused) throw CopyFailure{std::strerror(EEXIST), EEXIST};
            if (!error.empty()) throw CopyFailure{error, 0};
        } else if (destinationKind == 2) {
            copyOneFile(source, withoutTrailingSlash(destination) + "/" + nameOf(source),
                        overwrite);
        } else {
            copyOneFile(source, destination, overwrite);
        }
    } catch (const CopyFailure& failure) {
        errorText_ = failure.text;
        errorCode_ = failure.code;
        return false;
    }
    return true;
}

}  // namespace zadaravod
