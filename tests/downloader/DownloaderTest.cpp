// The download utility's core: flashrom's output, padding and read-back, and
// real writes into flashrom's emulated SPI chip.
#include <gtest/gtest.h>

#include <filesystem>

#include "downloader/ChipAccess.h"
#include "downloader/DownloadJob.h"
#include "downloader/FakeFlashrom.h"
#include "support/TempDir.h"

namespace zadaravod::download {
namespace {

using test::TempDir;
using namespace fake;

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

    // A device this user may not open, as libusb (through flashrom), a
    // serial port or the SPI device file say it; the cause is reported, not
    // the failed initialisation that follows.
    for (const char* line :
         {"libusb: error [get_usbfs_fd] libusb couldn't open USB device /dev/bus/usb/001/005, "
          "errno=13",
          "libusb: error [get_usbfs_fd] libusb requires write access to USB device nodes",
          "libusb: error [op_open] LIBUSB_ERROR_ACCESS",
          "Cannot open serial port: Permission denied",
          "linux_spi_init: failed to open /dev/spidev0.0: Permission denied"}) {
        const auto probe = parseProbe(
            output(std::string(line) + "\nError: Programmer initialization failed.\n", 1));
        EXPECT_EQ(probe.kind, ProbeResult::Kind::NoAccess) << line;
        EXPECT_EQ(probe.detail, line);
    }
    EXPECT_FALSE(isPermissionProblem("Couldn't open device 1a86:5512."));
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

TEST(DownloaderCore, NoPermissionNamesTheGroupToJoin) {
    TempDir dir;
    test::writeFile(dir / "i.bin", "abc");
    DownloadRequest request;
    request.imagePath = (dir / "i.bin").string();
    request.flashrom = "/bin/true";
    auto messageFor = [&](const std::string& programmer, const std::string& flashromSays) {
        FakeRunner runner;
        runner.answers.push_back(
            output(flashromSays + "\nError: Programmer initialization failed.\n", 1));
        request.programmer = programmer;
        const auto report = runDownload(request, runner);
        EXPECT_FALSE(report.ok);
        EXPECT_EQ(runner.calls.size(), 1u);  // nothing after the probe
        return report.message;
    };

    // A USB programmer: Debian's udev rules give the group plugdev access.
    std::string usb = messageFor(
        "ch341a_spi",
        "libusb: error [get_usbfs_fd] libusb couldn't open USB device /dev/bus/usb/001/005, "
        "errno=13\nCouldn't open device 1a86:5512.");
    EXPECT_NE(usb.find("may not use the programmer \"ch341a_spi\""), std::string::npos) << usb;
    EXPECT_NE(usb.find("errno=13"), std::string::npos) << usb;
    EXPECT_NE(usb.find("sudo adduser " + userName() + " plugdev"), std::string::npos) << usb;
    EXPECT_NE(usb.find("log out and in again"), std::string::npos);
    EXPECT_NE(usb.find("plug it in again"), std::string::npos);

    // A serial programmer: the group dialout.
    std::string serial =
        messageFor("serprog:dev=/dev/ttyUSB0", "Cannot open serial port: Permission denied");
    EXPECT_NE(serial.find("sudo adduser " + userName() + " dialout"), std::string::npos) << serial;
    EXPECT_EQ(serial.find("plugdev"), std::string::npos);
}

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
