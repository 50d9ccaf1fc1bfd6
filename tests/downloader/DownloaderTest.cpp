// The download utility: its command lines, flashrom's output, padding and
// read-back, and real writes into flashrom's emulated SPI chip.
#include <gtest/gtest.h>

#include <filesystem>
#include <random>

#include "downloader/CommandLine.h"
#include "downloader/DownloadJob.h"
#include "support/TempDir.h"

namespace zadaravod::download {
namespace {

using test::TempDir;

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

std::string randomBytes(std::size_t n, unsigned seed) {
    std::mt19937 gen(seed);
    std::string s(n, '\0');
    for (char& c : s) c = static_cast<char>(gen() & 0xFF);
    return s;
}

ProcessResult output(const std::string& text, int exitCode = 0) {
    return {true, exitCode, text, ""};
}

TEST(DownloaderCore, ProbeOutputs) {
    auto found =
        parseProbe(output("Found SST flash chip \"SST25VF032B\" (4096 kB, SPI) on dummy.\n"
                          "This flash part has status UNTESTED\nThanks for your help!\n4194304"));
    EXPECT_EQ(found.kind, ProbeResult::Kind::Found);
    EXPECT_EQ(found.chipBytes, 4194304);
    EXPECT_EQ(found.chipName, "SST25VF032B");

    EXPECT_EQ(parseProbe(output("Couldn't open device 1a86:5512.\n"
                                "Error: Programmer initialization failed.\n",
                                1))
                  .kind,
              ProbeResult::Kind::NoProgrammer);
    EXPECT_EQ(parseProbe(output("Error: Unknown programmer \"x\". Valid choices are:\n", 1)).kind,
              ProbeResult::Kind::UnknownProgrammer);
    EXPECT_EQ(parseProbe(output("No EEPROM/flash device found.\n"
                                "Note: flashrom can never write if the flash chip isn't found "
                                "automatically.\n"))
                  .kind,
              ProbeResult::Kind::NoChip);
    EXPECT_EQ(parseProbe(output("Multiple flash chip definitions match the detected chip(s): "
                                "\"A\", \"B\"\n",
                                1))
                  .kind,
              ProbeResult::Kind::SeveralChips);
    EXPECT_EQ(parseProbe(output("something else\n", 3)).kind, ProbeResult::Kind::Failed);
    EXPECT_EQ(parseProbe(output("Segmentation fault\n4096\n", 139)).kind,
              ProbeResult::Kind::Failed);
}

TEST(DownloaderCore, PaddingAndComparison) {
    const std::vector<std::uint8_t> image = {1, 2, 3};
    const auto padded = padImage(image, 8);
    EXPECT_EQ(padded, (std::vector<std::uint8_t>{1, 2, 3, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}));
    EXPECT_EQ(firstDifference(padded, padded), -1);
    auto changed = padded;
    changed[6] = 0;
    EXPECT_EQ(firstDifference(padded, changed), 6);
    EXPECT_EQ(firstDifference(padded, std::span(padded).first(5)), 5);
}

TEST(DownloaderCore, CommandLineJoinsASplitPathAndKnowsItsOptions) {
    auto a = parseDownloaderArguments({"/home/u/my", "project.winproj.bin"});
    EXPECT_FALSE(a.write);
    EXPECT_EQ(a.request.imagePath, "/home/u/my project.winproj.bin");
    EXPECT_EQ(a.request.programmer, "ch341a_spi");

    a = parseDownloaderArguments(
        {"--write", "--programmer", "dummy:emulate=X", "-c", "C", "i.bin"});
    EXPECT_TRUE(a.error.empty());
    EXPECT_TRUE(a.write);
    EXPECT_EQ(a.request.programmer, "dummy:emulate=X");
    EXPECT_EQ(a.request.chip, "C");
    EXPECT_EQ(a.request.imagePath, "i.bin");

    EXPECT_FALSE(parseDownloaderArguments({"--write"}).error.empty());
    EXPECT_FALSE(parseDownloaderArguments({"--write", "i.bin", "--programmer"}).error.empty());
    EXPECT_FALSE(parseDownloaderArguments({"--bogus", "i.bin"}).error.empty());
    EXPECT_EQ(parseDownloaderArguments({"--", "-odd.bin"}).request.imagePath, "-odd.bin");
}

TEST(DownloaderCore, RefusesBeforeFlashromRuns) {
    TempDir dir;
    FakeRunner runner;
    DownloadRequest request;
    request.flashrom = "/bin/true";  // would run if asked

    request.imagePath = (dir / "missing.bin").string();
    auto report = runDownload(request, runner);
    EXPECT_FALSE(report.ok);
    EXPECT_NE(report.message.find("does not exist"), std::string::npos);

    test::writeFile(dir / "empty.bin", "");
    request.imagePath = (dir / "empty.bin").string();
    EXPECT_NE(runDownload(request, runner).message.find("empty"), std::string::npos);

    test::writeFile(dir / "big.bin", std::string((4u << 20) + 1, '\xFF'));
    request.imagePath = (dir / "big.bin").string();
    report = runDownload(request, runner);
    EXPECT_FALSE(report.ok);
    EXPECT_FALSE(report.flashromRan);
    EXPECT_NE(report.message.find("4194305"), std::string::npos);
    EXPECT_TRUE(runner.calls.empty());

    test::writeFile(dir / "ok.bin", "abc");
    request.imagePath = (dir / "ok.bin").string();
    request.flashrom = (dir / "no-flashrom").string();
    report = runDownload(request, runner);
    EXPECT_FALSE(report.ok);
    EXPECT_NE(report.message.find("flashrom is not installed"), std::string::npos);
    EXPECT_TRUE(runner.calls.empty());
}

TEST(DownloaderCore, ChipSmallerThanTheImageIsRefusedAfterTheProbe) {
    TempDir dir;
    test::writeFile(dir / "i.bin", std::string(5000, 'x'));
    FakeRunner runner;
    runner.answers.push_back(output("Found X flash chip \"TINY\" (4 kB, SPI) on p.\n4096\n"));
    DownloadRequest request;
    request.imagePath = (dir / "i.bin").string();
    request.flashrom = "/bin/true";
    request.programmer = "p";
    const auto report = runDownload(request, runner);
    EXPECT_FALSE(report.ok);
    EXPECT_NE(report.message.find("\"TINY\" holds 4096 bytes"), std::string::npos);
    ASSERT_EQ(runner.calls.size(), 1u);
    EXPECT_EQ(runner.calls[0], (std::vector<std::string>{"-p", "p", "--flash-size"}));
}

TEST(DownloaderCore, NoProgrammerSaysWhatToDo) {
    TempDir dir;
    test::writeFile(dir / "i.bin", "abc");
    FakeRunner runner;
    runner.answers.push_back(
        output("Couldn't open device 1a86:5512.\nError: Programmer initialization failed.\n", 1));
    DownloadRequest request;
    request.imagePath = (dir / "i.bin").string();
    request.flashrom = "/bin/true";
    const auto report = runDownload(request, runner);
    EXPECT_FALSE(report.ok);
    EXPECT_NE(report.message.find("No programmer found"), std::string::npos);
    EXPECT_NE(report.message.find("ch341a_spi"), std::string::npos);
    EXPECT_NE(report.message.find("Plug it in"), std::string::npos);
}

/// A chip of 16 bytes behind a fake flashrom: writes land in `chip`, reads
/// return it with `flipAt` changed (when set).
struct FakeChip : ProcessRunner {
    std::vector<std::vector<std::string>> calls;
    std::string chip = std::string(16, '\0');
    int writeExit = 0;
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
            chip = test::readFile(file);
            return output("Erase/write done.\n");
        }
        std::string back = chip;
        if (flipAt >= 0) back[static_cast<std::size_t>(flipAt)] ^= 0x01;
        test::writeFile(file, back);
        return output("Reading flash... done.\n");
    }
};

TEST(DownloaderCore, ProbeWritePaddedReadBackInThisOrder) {
    TempDir dir;
    test::writeFile(dir / "i.bin", "hello");
    FakeChip runner;
    struct Lines : DownloadObserver {
        std::vector<std::string> lines;
        void outputLine(const std::string& l) override { lines.push_back(l); }
    } lines;
    DownloadRequest request;
    request.imagePath = (dir / "i.bin").string();
    request.flashrom = "/bin/true";
    request.programmer = "fake";
    request.chip = "F16";
    const auto report = runDownload(request, runner, &lines);
    ASSERT_TRUE(report.ok) << report.message;
    EXPECT_EQ(runner.chip, std::string("hello") + std::string(11, '\xFF'));
    ASSERT_EQ(runner.calls.size(), 3u);
    EXPECT_EQ(runner.calls[0],
              (std::vector<std::string>{"-p", "fake", "-c", "F16", "--flash-size"}));
    EXPECT_EQ(std::vector<std::string>(runner.calls[1].begin(), runner.calls[1].end() - 1),
              (std::vector<std::string>{"-p", "fake", "-c", "F16", "--noverify", "-w"}));
    EXPECT_EQ(runner.calls[2][4], "-r");
    EXPECT_FALSE(lines.lines.empty());
    // The padded image and the read-back copy were temporary.
    EXPECT_FALSE(std::filesystem::exists(runner.calls[1].back()));
    EXPECT_FALSE(std::filesystem::exists(runner.calls[2].back()));
}

TEST(DownloaderCore, WriteFailureAndBadReadBackAreReported) {
    TempDir dir;
    test::writeFile(dir / "i.bin", "hello");
    DownloadRequest request;
    request.imagePath = (dir / "i.bin").string();
    request.flashrom = "/bin/true";

    FakeChip failing;
    failing.writeExit = 3;
    auto report = runDownload(request, failing);
    EXPECT_FALSE(report.ok);
    EXPECT_NE(report.message.find("could not write the chip (exit status 3)"), std::string::npos);
    EXPECT_NE(report.message.find("FAILED!"), std::string::npos);
    EXPECT_EQ(failing.calls.size(), 2u);  // no read-back after a failed write

    FakeChip flaky;
    flaky.flipAt = 9;  // in the 0xFF padding
    report = runDownload(request, flaky);
    EXPECT_FALSE(report.ok);
    EXPECT_NE(report.message.find("Verification failed: the byte at 0x000009 reads 0xFE instead "
                                  "of 0xFF"),
              std::string::npos)
        << report.message;
}

class EmulatedChip : public ::testing::Test {
  protected:
    void SetUp() override {
        if (findProgram("flashrom").empty()) GTEST_SKIP() << "flashrom is not installed";
    }
    std::string programmer(const std::string& chipFile) const {
        return "dummy:emulate=SST25VF032B,image=" + chipFile;
    }
    TempDir dir;
};

TEST_F(EmulatedChip, ImageIsWrittenReadBackAndFoundEqual) {
    const std::string image = randomBytes(300000, 7);
    test::writeFile(dir / "project.bin", image);
    const std::string chip = (dir / "chip.bin").string();
    test::writeFile(chip, randomBytes(4u << 20, 8));  // old content everywhere

    struct Steps : DownloadObserver {
        std::vector<int> percents;
        void step(const std::string&, int p) override { percents.push_back(p); }
    } steps;
    SystemProcessRunner runner;
    DownloadRequest request;
    request.imagePath = (dir / "project.bin").string();
    request.programmer = programmer(chip);
    const auto report = runDownload(request, runner, &steps);
    ASSERT_TRUE(report.ok) << report.message;
    EXPECT_EQ(report.chipBytes, 4 << 20);
    EXPECT_EQ(report.chipName, "SST25VF032B");
    ASSERT_FALSE(steps.percents.empty());
    EXPECT_EQ(steps.percents.back(), 100);

    const std::string written = test::readFile(chip);
    ASSERT_EQ(written.size(), std::size_t{4} << 20);
    EXPECT_EQ(written.substr(0, image.size()), image);
    EXPECT_EQ(written.find_first_not_of('\xFF', image.size()), std::string::npos);
}

TEST_F(EmulatedChip, UtilityWithoutAWindow) {
    const std::string utility = test::appDir() + "V31O_DivaD/V31O_DivaD_EN";
    const std::string image = randomBytes(70000, 9);
    test::writeFile(dir / "with blank.bin", image);
    const std::string chip = (dir / "chip.bin").string();
    SystemProcessRunner runner;

    const auto ok = runner.run(
        utility, {"--write", "--programmer", programmer(chip), (dir / "with blank.bin").string()},
        {});
    ASSERT_TRUE(ok.started) << ok.startError;
    EXPECT_EQ(ok.exitCode, 0) << ok.output;
    EXPECT_NE(ok.output.find("read back and found equal"), std::string::npos);
    EXPECT_EQ(test::readFile(chip).substr(0, image.size()), image);

    // 4 MiB and one byte: refused before flashrom could touch the chip.
    test::writeFile(dir / "big.bin", std::string((4u << 20) + 1, '\x11'));
    const std::string before = test::readFile(chip);
    const auto big = runner.run(
        utility, {"--write", "--programmer", programmer(chip), (dir / "big.bin").string()}, {});
    EXPECT_EQ(big.exitCode, 1);
    EXPECT_NE(big.output.find("more than the largest flash"), std::string::npos);
    EXPECT_EQ(big.output.find("Looking for the programmer"), std::string::npos);
    EXPECT_EQ(test::readFile(chip), before);

    const auto usage = runner.run(utility, {"--write"}, {});
    EXPECT_EQ(usage.exitCode, 2);
}

TEST_F(EmulatedChip, SmallerEmulatedChipIsRefused) {
    test::writeFile(dir / "i.bin", randomBytes(300000, 3));
    SystemProcessRunner runner;
    DownloadRequest request;
    request.imagePath = (dir / "i.bin").string();
    request.programmer =
        "dummy:emulate=VARIABLE_SIZE,size=262144,image=" + (dir / "small.bin").string();
    const auto report = runDownload(request, runner);
    EXPECT_FALSE(report.ok);
    EXPECT_EQ(report.chipBytes, 262144);
    EXPECT_NE(report.message.find("Fit a bigger chip"), std::string::npos);
}

}  // namespace
}  // namespace zadaravod::download
