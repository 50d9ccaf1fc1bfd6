#pragma once

// The zip side of a workbook package. libzip (and through it a crypto
// library) is large to load, and only the spreadsheet commands need it, so
// the code that calls it lives in the module libzadaravod_zip.so of the
// application folder, opened by Package on first use. Internal to
// src/tools: callers use WorkbookPackage.h.

#include <map>
#include <set>
#include <string>
#include <vector>

namespace zadaravod::workbook {

/// Raised whenever the interface below changes, so that a module of another
/// build is refused rather than called wrongly.
inline constexpr int kPackageInterfaceVersion = 1;
inline constexpr const char* kZipModuleName = "libzadaravod_zip.so";

/// One package, with the calls and contracts of Package.
class PackageEngine {
  public:
    virtual ~PackageEngine() = default;
    virtual bool open(std::string bytes, const std::string& displayName, std::string& error) = 0;
    virtual bool has(const std::string& name) const = 0;
    virtual const std::vector<std::string>& names() const = 0;
    virtual bool read(const std::string& name, std::string& content, std::string& error) = 0;
    virtual bool write(const std::map<std::string, std::string>& replaced,
                       const std::set<std::string>& removed, std::string& out,
                       std::string& error) const = 0;
};

/// What libzadaravod_zip.so offers (its entry zadaravod_zip_module takes
/// kPackageInterfaceVersion and returns this table).
struct ZipFunctions {
    /// A new, empty package engine, owned by the caller.
    PackageEngine* (*createPackage)();
};

}  // namespace zadaravod::workbook
