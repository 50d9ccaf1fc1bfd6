#include "support/Cli.h"

#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <cstdlib>

#include "support/TempDir.h"

namespace zadaravod::test {

CliRun runCli(const std::string& arguments) {
    const std::string command = appDir() + "zadaravod-cli " + arguments + " 2>&1";
    CliRun run;
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) return run;
    std::array<char, 4096> buffer{};
    while (std::fgets(buffer.data(), buffer.size(), pipe) != nullptr) run.output += buffer.data();
    const int raw = pclose(pipe);
    run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    return run;
}

CliStreams runCliIn(const std::filesystem::path& folder, const std::string& arguments) {
    const TempDir streams;
    const auto out = streams / "stdout", err = streams / "stderr";
    const std::string command = "cd " + quoted(folder) + " && " + appDir() + "zadaravod-cli " +
                                arguments + " </dev/null >" + quoted(out) + " 2>" + quoted(err);
    CliStreams run;
    const int raw = std::system(command.c_str());
    run.status = raw != -1 && WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    run.out = readFile(out);
    run.err = readFile(err);
    return run;
}

std::string quoted(const std::filesystem::path& path) {
    std::string out = "'";
    for (const char c : path.string()) {
        if (c == '\'')
            out += "'\\''";
        else
            out += c;
    }
    return out + "'";
}

}  // namespace zadaravod::test
