// What users of a device programmer ask for beside writing: detect the chip,
// read it into a file, verify it against an image, and save it before a
// write. Against flashrom's emulated 4 MiB chip, and a fake chip for the
// failures the emulation cannot make.
#include <gtest/gtest.h>

#include <filesystem>

#include "downloader/DownloadJob.h"
#include "downloader/FakeFlashrom.h"
#include "support/TempDir.h"

namespace zadaravod::download {
namespace {

namespace fs = std::filesystem;
using namespace fake;
using test::TempDir;

constexpr std::size_t kChipBytes = std::size_t{4} << 20;

/// The files of `folder`, by name.
std::vector<std::string> filesIn(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

class ChipJobs : public ::testing::Test {
  protected:
    void SetUp() override {
        if (findProgram("flashrom").empty()) GTEST_SKIP() << "flashrom is not installed";
        fs::create_directories(dir / "out");
        request.programmer = "dummy:emulate=SST25VF032B,image=" + chip.string();
    }
    /// Puts `bytes` into the emulated chip.
    void fillChip(const std::string& bytes) { test::writeFile(chip, bytes); }

    TempDir dir;
    fs::path chip = dir / "chip.bin";
    SystemProcessRunner runner;
    DownloadRequest request;
};

TEST_F(ChipJobs, DetectNamesTheChipAndItsSize) {
    request.action = Action::Detect;
    const auto report = runJob(request, runner);
    ASSERT_TRUE(report.ok) << report.message;
    EXPECT_EQ(report.chipName, "SST25VF032B");
    EXPECT_EQ(report.chipBytes, static_cast<std::int64_t>(kChipBytes));
    EXPECT_NE(report.message.find("\"SST25VF032B\""), std::string::npos) << report.message;
    EXPECT_NE(report.message.find("4194304 bytes"), std::string::npos) << report.message;
}

TEST_F(ChipJobs, ReadSavesTheWholeChipAndReplacesTheFileOnlyWhenComplete) {
    const std::string content = randomBytes(kChipBytes, 21);
    fillChip(content);
    const fs::path saved = dir / "out" / "saved.bin";
    test::writeFile(saved, "an older read");
    request.action = Action::Read;
    request.readPath = saved.string();
    const auto report = runJob(request, runner);
    ASSERT_TRUE(report.ok) << report.message;
    EXPECT_EQ(report.savedPath, saved.string());
    EXPECT_EQ(test::readFile(saved), content);
    EXPECT_EQ(filesIn(dir / "out"), std::vector<std::string>{"saved.bin"});  // no temporaries

    // A read that cannot be made leaves the earlier file as it was.
    request.programmer = "dummy:emulate=NOSUCHCHIP,image=" + chip.string();
    const auto failed = runJob(request, runner);
    EXPECT_FALSE(failed.ok);
    EXPECT_EQ(test::readFile(saved), content);
    EXPECT_EQ(filesIn(dir / "out"), std::vector<std::string>{"saved.bin"});

    // A folder that does not exist is named, and nothing is made.
    request.programmer = "dummy:emulate=SST25VF032B,image=" + chip.string();
    request.readPath = (dir / "missing" / "saved.bin").string();
    const auto noFolder = runJob(request, runner);
    EXPECT_FALSE(noFolder.ok);
    EXPECT_NE(noFolder.message.find("missing"), std::string::npos) << noFolder.message;
    EXPECT_FALSE(fs::exists(dir / "missing"));
}

TEST_F(ChipJobs, VerifyFindsTheImageOrNamesTheFirstDifferingOffset) {
    const std::string image = randomBytes(300000, 22);
    test::writeFile(dir / "project.bin", image);
    request.action = Action::Verify;
    request.imagePath = (dir / "project.bin").string();

    // As a write leaves it: the image, then erased bytes.
    fillChip(image + std::string(kChipBytes - image.size(), '\xFF'));
    auto report = runJob(request, runner);
    ASSERT_TRUE(report.ok) << report.message;
    EXPECT_EQ(report.firstDifference, -1);
    EXPECT_NE(report.message.find("the rest is erased"), std::string::npos) << report.message;

    // Old data after the image does not make the image differ, but is told.
    std::string chipContent = image + randomBytes(kChipBytes - image.size(), 23);
    fillChip(chipContent);
    report = runJob(request, runner);
    ASSERT_TRUE(report.ok) << report.message;
    EXPECT_NE(report.message.find("not erased (from 0x0493E0)"), std::string::npos)
        << report.message;

    // One byte off inside the image.
    chipContent[0x3039] = static_cast<char>(chipContent[0x3039] ^ 0x40);
    fillChip(chipContent);
    const std::string before = test::readFile(chip);
    report = runJob(request, runner);
    EXPECT_FALSE(report.ok);
    EXPECT_EQ(report.firstDifference, 0x3039);
    EXPECT_NE(report.message.find("the byte at 0x003039 reads"), std::string::npos)
        << report.message;
    EXPECT_EQ(test::readFile(chip), before);  // verifying writes nothing
}

TEST_F(ChipJobs, BackupThenWriteKeepsTheOldContentAndCanBeWrittenBack) {
    const std::string old = randomBytes(kChipBytes, 24);
    fillChip(old);
    const std::string image = randomBytes(200000, 25);
    test::writeFile(dir / "project.bin", image);
    request.imagePath = (dir / "project.bin").string();
    request.backupPath = (dir / "out" / "before.bin").string();
    const auto report = runJob(request, runner);
    ASSERT_TRUE(report.ok) << report.message;
    EXPECT_EQ(report.savedPath, request.backupPath);
    EXPECT_NE(report.message.find("earlier content is saved in " + request.backupPath),
              std::string::npos);
    EXPECT_EQ(test::readFile(request.backupPath), old);
    EXPECT_EQ(test::readFile(chip).substr(0, image.size()), image);

    // The wrong write undone: the backup written back.
    DownloadRequest undo = request;
    undo.imagePath = request.backupPath;
    undo.backupPath.clear();
    ASSERT_TRUE(runJob(undo, runner).ok);
    EXPECT_EQ(test::readFile(chip), old);
}

TEST(ChipJobsFailing, ABackupThatCannotBeSavedStopsTheWrite) {
    TempDir dir;
    test::writeFile(dir / "i.bin", "hello");
    DownloadRequest request;
    request.imagePath = (dir / "i.bin").string();
    request.flashrom = "/bin/true";
    request.programmer = "fake";

    FakeChip unreadable;
    unreadable.readExit = 2;
    request.backupPath = (dir / "before.bin").string();
    auto report = runDownload(request, unreadable);
    EXPECT_FALSE(report.ok);
    EXPECT_NE(report.message.find("Nothing was written"), std::string::npos) << report.message;
    EXPECT_FALSE(unreadable.wrote());
    EXPECT_FALSE(fs::exists(request.backupPath));

    // The image itself, by another name: refused before flashrom runs.
    FakeChip same;
    request.backupPath = (dir / "." / "i.bin").string();
    report = runDownload(request, same);
    EXPECT_FALSE(report.ok);
    EXPECT_NE(report.message.find("would replace the image"), std::string::npos) << report.message;
    EXPECT_TRUE(same.calls.empty());
    EXPECT_EQ(test::readFile(dir / "i.bin"), "hello");

    FakeChip chip;
    request.backupPath = (dir / "no-such-folder" / "before.bin").string();
    report = runDownload(request, chip);
    EXPECT_FALSE(report.ok);
    EXPECT_FALSE(chip.wrote());
    EXPECT_EQ(chip.chip, std::string(16, '\0'));
}

TEST(ChipJobsFailing, ReadRefusesAReadOfTheWrongSize) {
    // flashrom said it read the chip, but the file has another size: the
    // target is not replaced by it.
    TempDir dir;
    FakeChip chip;
    chip.chip = "short";
    DownloadRequest request;
    request.action = Action::Read;
    request.flashrom = "/bin/true";
    request.readPath = (dir / "saved.bin").string();
    const auto report = runJob(request, chip);
    EXPECT_FALSE(report.ok);
    EXPECT_NE(report.message.find("read 5 bytes"), std::string::npos) << report.message;
    EXPECT_TRUE(filesIn(dir.path()).empty());
}

TEST(BackupName, CarriesTheTimeAndNeverTakesAnExistingFile) {
    TempDir dir;
    std::tm when{};
    when.tm_year = 2024 - 1900;
    when.tm_mon = 2;
    when.tm_mday = 7;
    when.tm_hour = 9;
    when.tm_min = 5;
    when.tm_sec = 3;
    when.tm_isdst = -1;
    const std::time_t t = std::mktime(&when);  // local time, as the name shows it
    const std::string first = backupFileName(dir.str(), t);
    EXPECT_EQ(first, (dir / "chip-before-write-20240307-090503.bin").string());
    test::writeFile(first, "x");
    EXPECT_EQ(backupFileName(dir.str(), t),
              (dir / "chip-before-write-20240307-090503-2.bin").string());
}

}  // namespace
}  // namespace zadaravod::download
