#pragma once
// Stand-ins for flashrom that the download utility's core tests share: a
// runner answering from a list, and a 16-byte chip.

#include <random>
#include <string>
#include <vector>

#include "downloader/Flashrom.h"
#include "support/TempDir.h"

namespace zadaravod::download::fake {

inline ProcessResult output(const std::string& text, int exitCode = 0) {
    return {true, exitCode, text, ""};
}

inline std::string randomBytes(std::size_t n, unsigned seed) {
    std::mt19937 gen(seed);
    std::string s(n, '\0');
    for (char& c : s) c = static_cast<char>(gen() & 0xFF);
    return s;
}

/// Answers each run from a list and records the command lines.
struct FakeRunner : ProcessRunner {
    std::vector<std::vector<std::string>> calls;
    std::vector<ProcessResult> answers;
    ProcessResult run(const std::string&, const std::vector<std::string>& arguments,
                      const LineSink&) override {
        calls.push_back(arguments);
        if (answers.empty()) return {true, 1, "unexpected run", ""};
        ProcessResult r = answers.front();
        answers.erase(answers.begin());
        return r;
    }
};

/// A chip of 16 bytes behind a fake flashrom: writes land in `chip`, reads
/// return it with `flipAt` changed (when set); `writeExit` and `readExit`
/// make those runs fail.
struct FakeChip : ProcessRunner {
    std::vector<std::vector<std::string>> calls;
    std::string chip = std::string(16, '\0');
    int writeExit = 0;
    int readExit = 0;
    int flipAt = -1;
    ProcessResult run(const std::string&, const std::vector<std::string>& args,
                      const LineSink& onLine) override {
        calls.push_back(args);
        const std::string& file = args.back();
        if (file == "--flash-size") {
            if (onLine) onLine("Found Fake flash chip \"F16\" (0 kB, SPI) on fake.");
            return output("Found Fake flash chip \"F16\" (0 kB, SPI) on fake.\n16\n");
        }
        if (args[args.size() - 2] == "-w") {
            if (writeExit != 0)
                return output("Erasing and writing flash chip... FAILED!\n", writeExit);
            chip = zadaravod::test::readFile(file);
            return output("Erase/write done.\n");
        }
        if (readExit != 0) return output("Reading flash... FAILED.\n", readExit);
        std::string back = chip;
        if (flipAt >= 0) back[static_cast<std::size_t>(flipAt)] ^= 0x01;
        zadaravod::test::writeFile(file, back);
        return output("Reading flash... done.\n");
    }
    /// Whether any run wrote the chip.
    bool wrote() const {
        for (const auto& args : calls) {
            if (args.size() >= 2 && args[args.size() - 2] == "-w") return true;
        }
        return false;
    }
};

}  // namespace zadaravod::download::fake
