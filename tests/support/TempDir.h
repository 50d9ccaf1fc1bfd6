#pragma once

#include <filesystem>
#include <string>

namespace zadaravod::test {

/// A fresh folder under the system's temporary folder, removed with all its
/// content when the object goes.
class TempDir {
  public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::string str() const { return path_.string(); }
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

  private:
    std::filesystem::path path_;
};

/// Writes `bytes` to `path` (for crafting fixtures).
void writeFile(const std::filesystem::path& path, const std::string& bytes);
/// Reads a whole file; empty when it cannot be read.
std::string readFile(const std::filesystem::path& path);
/// The application folder of the build tree (with a trailing "/").
std::string appDir();

/// Keeps `bytes` as a seed for the fuzz target `target` (build folder
/// fuzz-seeds/<target>/, read by scripts/run-fuzzers.sh), so the fuzzers
/// start from real files the tests made.
void keepFuzzSeed(const std::string& target, const std::string& bytes);

}  // namespace zadaravod::test
