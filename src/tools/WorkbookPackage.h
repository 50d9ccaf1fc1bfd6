#pragma once

#include <cstddef>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace zadaravod::workbook {

class PackageEngine;

/// Limits that keep a hostile package from taking the machine's memory.
inline constexpr std::size_t kMaxPackageBytes = std::size_t{256} << 20;  ///< the .xlsx file
inline constexpr std::size_t kMaxPartBytes = std::size_t{64} << 20;      ///< one part, unpacked
inline constexpr std::size_t kMaxReadBytes = std::size_t{320} << 20;  ///< all parts read, unpacked
inline constexpr std::size_t kMaxEntries = 10000;

/// The zip package of a workbook, held in memory. Reads parts with the limits
/// above and writes a new package in which every part that was not replaced
/// keeps its stored (compressed) bytes. Errors are texts that name the file
/// and the part; nothing throws. The zip work is done by the module
/// libzadaravod_zip.so, opened by the first open(); when it cannot be
/// loaded, open() fails saying so.
class Package {
  public:
    Package();
    ~Package();
    Package(const Package&) = delete;
    Package& operator=(const Package&) = delete;

    /// Takes the bytes of a package; `displayName` names it in messages.
    bool open(std::string bytes, std::string displayName, std::string& error);

    /// Whether a part of that name exists (names compare without case, as
    /// package part names do).
    bool has(const std::string& name) const;
    /// The stored names of all parts.
    const std::vector<std::string>& names() const;

    /// Unpacks one part. Fails for a missing, encrypted, corrupt or oversized
    /// part, or when the parts read so far would pass kMaxReadBytes.
    bool read(const std::string& name, std::string& content, std::string& error);

    /// A new package: `replaced` parts get new content, `removed` parts are
    /// left out, all others are copied as stored.
    bool write(const std::map<std::string, std::string>& replaced,
               const std::set<std::string>& removed, std::string& out, std::string& error) const;

    const std::string& displayName() const { return displayName_; }

  private:
    std::unique_ptr<PackageEngine> engine_;  ///< null until a package opened
    std::string displayName_;
};

}  // namespace zadaravod::workbook
