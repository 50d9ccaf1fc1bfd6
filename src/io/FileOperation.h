#pragma once

#include <string>

namespace zadaravod {

/// Copies a file or a folder into a folder, for the import commands. Reports
/// failure through its result and an error text/code the caller shows; it
/// shows nothing itself.
class CFileOperation {
  public:
    CFileOperation() = default;

    /// Copies `source` (file or folder) into or onto `destination`. Returns
    /// true on success, also when there was nothing to do (the source file
    /// already lies in that folder, or a folder whose parent is the
    /// destination). On false, errorText() and errorCode() say why.
    bool copy(const std::string& source, const std::string& destination);

    const std::string& errorText() const { return errorText_; }
    /// The system error number (errno), or 0 for the utility's own errors.
    int errorCode() const { return errorCode_; }

    /// Replace a file of the same name in the destination (every caller
    /// sets it); without it such a copy fails.
    bool overwrite = false;

  private:
    std::string errorText_ = "No error";
    int errorCode_ = 0;
};

/// 0 = does not exist, 1 = a file, 2 = a folder, -1 = any other failure.
int pathKind(const std::string& path);

}  // namespace zadaravod
