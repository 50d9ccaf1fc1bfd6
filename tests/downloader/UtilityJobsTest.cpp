// The download utility's jobs from the command line, without a window,
// against flashrom's emulated chip: what each prints, the files it leaves
// and its exit status.
#include <gtest/gtest.h>

#include <filesystem>

#include "downloader/CommandLine.h"
#include "downloader/FakeFlashrom.h"
#include "support/TempDir.h"

namespace zadaravod::download {
namespace {

namespace fs = std::filesystem;
using namespace fake;
using test::TempDir;

class UtilityJobs : public ::testing::Test {
  protected:
    void SetUp() override {
        if (findProgram("flashrom").empty()) GTEST_SKIP() << "flashrom is not installed";
    }
    ProcessResult utility(std::vector<std::string> arguments) {
        arguments.insert(arguments.end(), {"--programmer", programmer});
        return runner.run(test::appDir() + "V31O_DivaD/V31O_DivaD_EN", arguments, {});
    }
    TempDir dir;
    std::string chip = (dir / "chip.bin").string();
    std::string programmer = "dummy:emulate=SST25VF032B,image=" + chip;
    SystemProcessRunner runner;
};

TEST_F(UtilityJobs, WriteWithABlankInThePathAndRefusals) {
    const std::string image = randomBytes(70000, 9);
    test::writeFile(dir / "with blank.bin", image);
    const auto ok = utility({"--write", (dir / "with blank.bin").string()});
    ASSERT_TRUE(ok.started) << ok.startError;
    EXPECT_EQ(ok.exitCode, kExitDone) << ok.output;
    EXPECT_NE(ok.output.find("read back and found equal"), std::string::npos);
    EXPECT_EQ(test::readFile(chip).substr(0, image.size()), image);

    // 4 MiB and one byte: refused before flashrom could touch the chip.
    test::writeFile(dir / "big.bin", std::string((4u << 20) + 1, '\x11'));
    const std::string before = test::readFile(chip);
    const auto big = utility({"--write", (dir / "big.bin").string()});
    EXPECT_EQ(big.exitCode, kExitFailed);
    EXPECT_NE(big.output.find("more than the largest flash"), std::string::npos);
    EXPECT_EQ(big.output.find("Looking for the programmer"), std::string::npos);
    EXPECT_EQ(test::readFile(chip), before);

    EXPECT_EQ(utility({"--write"}).exitCode, kExitUsage);
    EXPECT_EQ(utility({"--detect", "--verify", "x.bin"}).exitCode, kExitUsage);
    EXPECT_EQ(utility({"--read", (dir / "x.bin").string(), "--backup", "y.bin"}).exitCode,
              kExitUsage);
    EXPECT_FALSE(fs::exists(dir / "x.bin"));
}

TEST_F(UtilityJobs, DetectReadVerifyAndBackup) {
    const std::string old = randomBytes(4u << 20, 31);
    test::writeFile(chip, old);

    const auto detect = utility({"--detect"});
    EXPECT_EQ(detect.exitCode, kExitDone) << detect.output;
    EXPECT_NE(detect.output.find("\"SST25VF032B\""), std::string::npos) << detect.output;
    EXPECT_NE(detect.output.find("4194304 bytes"), std::string::npos);

    const std::string saved = (dir / "saved.bin").string();
    const auto read = utility({"--read", saved});
    EXPECT_EQ(read.exitCode, kExitDone) << read.output;
    EXPECT_EQ(test::readFile(saved), old);

    // The chip read is its own image: equal; one byte off: status 1, offset named.
    EXPECT_EQ(utility({"--verify", saved}).exitCode, kExitDone);
    std::string changed = old;
    changed[0x1234] = static_cast<char>(changed[0x1234] ^ 1);
    test::writeFile(dir / "changed.bin", changed);
    const auto differs = utility({"--verify", (dir / "changed.bin").string()});
    EXPECT_EQ(differs.exitCode, kExitFailed);
    EXPECT_NE(differs.output.find("0x001234"), std::string::npos) << differs.output;

    const std::string image = randomBytes(100000, 32);
    test::writeFile(dir / "new.bin", image);
    const std::string backup = (dir / "before.bin").string();
    const auto write = utility({"--write", "--backup", backup, (dir / "new.bin").string()});
    EXPECT_EQ(write.exitCode, kExitDone) << write.output;
    EXPECT_EQ(test::readFile(backup), old);
    EXPECT_EQ(test::readFile(chip).substr(0, image.size()), image);
}

}  // namespace
}  // namespace zadaravod::download
