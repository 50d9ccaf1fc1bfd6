#pragma once

#include <filesystem>
#include <string>

namespace zadaravod::test {

/// What one run of zadaravod-cli did.
struct CliRun {
    int status = -1;     ///< exit status; -1 when it did not exit normally
    std::string output;  ///< standard output and standard error together
};

/// Runs zadaravod-cli from the application folder with `arguments` (already
/// quoted for the shell).
CliRun runCli(const std::string& arguments);

/// What one run of zadaravod-cli wrote to each of its streams.
struct CliStreams {
    int status = -1;  ///< exit status; -1 when it did not exit normally
    std::string out;  ///< standard output, byte for byte
    std::string err;  ///< standard error
};

/// Runs zadaravod-cli with `arguments` (already quoted for the shell) in the
/// working folder `folder`, keeping its standard output apart from its
/// standard error. Standard input is empty.
CliStreams runCliIn(const std::filesystem::path& folder, const std::string& arguments);

/// `path` quoted for the shell.
std::string quoted(const std::filesystem::path& path);

}  // namespace zadaravod::test
