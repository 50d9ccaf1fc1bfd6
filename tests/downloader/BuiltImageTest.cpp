// A project built by zadaravod-cli goes through the download utility: what
// the window shows of it, and its write into flashrom's emulated chip.
#include <gtest/gtest.h>

#include "support/QtTestApplication.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <cmath>
#include <filesystem>

#include "downloader/DownloadWindow.h"
#include "downloader/ImageSummary.h"
#include "format/WavFile.h"
#include "support/TempDir.h"

namespace zadaravod::download {
namespace {

class BuiltImage : public ::testing::Test {
  protected:
    void SetUp() override {
        test::ensureApplication();
        const std::string cli = test::appDir() + "zadaravod-cli";
        const std::string project = (dir / "demo.winproj").string();
        std::vector<std::int16_t> tone(8000);
        for (std::size_t i = 0; i < tone.size(); ++i) {
            tone[i] = static_cast<std::int16_t>(8000 * std::sin(static_cast<double>(i) * 0.3));
        }
        ASSERT_EQ(writeWav16(dir / "tone.wav", tone, 8000, 1), "");
        for (const std::vector<std::string>& args :
             {std::vector<std::string>{"new", project},
              {"import", project, (dir / "tone.wav").string()},
              {"list", project, "0", "add", "1", "20ms", "1"},
              {"set", project, "mode=matrix", "flash=1M", "key1.list=0"},
              {"build", project}}) {
            const ProcessResult r = runner.run(cli, args, {});
            ASSERT_EQ(r.exitCode, 0) << args[0] << ": " << r.output;
        }
        image = project + "/demo.winproj.bin";
        bytes = test::readFile(image);
        ASSERT_GT(bytes.size(), 0x17FF0u);
    }
    test::TempDir dir;
    SystemProcessRunner runner;
    std::string image;
    std::string bytes;
};

TEST_F(BuiltImage, SummaryNamesWhatTheImageHolds) {
    const auto lines = describeImage(std::span<const std::uint8_t>(
        reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()));
    std::string text;
    for (const auto& l : lines) text += l + "\n";
    EXPECT_NE(text.find("Size: " + std::to_string(bytes.size()) + " bytes"), std::string::npos);
    EXPECT_NE(text.find("Control mode: 3X8 Matrix Mode"), std::string::npos) << text;
    EXPECT_NE(text.find("Built for flash: 1M"), std::string::npos) << text;
    EXPECT_NE(text.find("Sounds: 1, playlists in use: 1"), std::string::npos) << text;
    EXPECT_EQ(text.find("Problems"), std::string::npos) << text;

    const std::vector<std::uint8_t> junk(100, 0x5A);
    const auto bad = describeImage(junk);
    ASSERT_GE(bad.size(), 2u);
    EXPECT_EQ(bad[1], "This is not a LARK40 image:");
}

/// The window's parts by object name, and a wait for the job it runs.
struct WindowParts {
    explicit WindowParts(DownloadWindow& w)
        : info(w.findChild<QPlainTextEdit*>("imageInfo")),
          programmer(w.findChild<QComboBox*>("programmer")),
          backupFirst(w.findChild<QCheckBox*>("backupFirst")),
          detect(w.findChild<QPushButton*>("detectButton")),
          verify(w.findChild<QPushButton*>("verifyButton")),
          write(w.findChild<QPushButton*>("writeButton")),
          result(w.findChild<QLabel*>("result")) {}
    bool complete() const {
        return info && programmer && backupFirst && detect && verify && write && result;
    }
    /// Clicks `button` and waits for the result; the limit only keeps a
    /// broken run from hanging the suite.
    QString run(QPushButton* button) const {
        result->clear();
        QTest::mouseClick(button, Qt::LeftButton);
        EXPECT_FALSE(write->isEnabled());  // one job at a time
        EXPECT_FALSE(detect->isEnabled());
        for (int i = 0; i < 1200 && result->text().isEmpty(); ++i) QTest::qWait(50);
        EXPECT_TRUE(write->isEnabled());
        return result->text();
    }
    QPlainTextEdit* info;
    QComboBox* programmer;
    QCheckBox* backupFirst;
    QPushButton* detect;
    QPushButton* verify;
    QPushButton* write;
    QLabel* result;
};

/// Files in `folder` whose names start with `prefix`.
std::vector<std::string> filesStartingWith(const std::filesystem::path& folder,
                                           const std::string& prefix) {
    std::vector<std::string> found;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        const std::string name = entry.path().filename().string();
        if (name.rfind(prefix, 0) == 0) found.push_back(entry.path().string());
    }
    return found;
}

TEST_F(BuiltImage, WindowSavesTheChipThenWritesTheImageAndVerifiesIt) {
    if (findProgram("flashrom").empty()) GTEST_SKIP() << "flashrom is not installed";
    DownloadRequest request;
    request.imagePath = image;
    DownloadWindow window(request);
    window.show();
    const WindowParts ui(window);
    ASSERT_TRUE(ui.complete());
    EXPECT_TRUE(ui.info->toPlainText().contains("3X8 Matrix Mode"));
    EXPECT_EQ(ui.programmer->currentText(), "ch341a_spi");
    EXPECT_TRUE(ui.backupFirst->isChecked());  // on unless the user says otherwise

    const std::string chip = (dir / "chip.bin").string();
    std::string old(std::size_t{4} << 20, '\0');
    for (std::size_t i = 0; i < old.size(); ++i) old[i] = static_cast<char>(i * 7 + i / 4096);
    test::writeFile(chip, old);
    ui.programmer->setCurrentText(
        QString::fromStdString("dummy:emulate=SST25VF032B,image=" + chip));

    const QString detected = ui.run(ui.detect);
    EXPECT_TRUE(detected.contains("SST25VF032B") && detected.contains("4194304 bytes"))
        << detected.toStdString();
    EXPECT_TRUE(ui.run(ui.verify).contains("differs")) << "the chip holds other data";

    const QString written = ui.run(ui.write);
    EXPECT_TRUE(written.contains("found equal")) << written.toStdString();
    const std::string chipNow = test::readFile(chip);
    ASSERT_EQ(chipNow.size(), std::size_t{4} << 20);
    EXPECT_EQ(chipNow.substr(0, bytes.size()), bytes);

    // The chip's earlier content is in the project folder, the image's folder.
    const auto backups =
        filesStartingWith(std::filesystem::path(image).parent_path(), "chip-before-write-");
    ASSERT_EQ(backups.size(), 1u);
    EXPECT_EQ(test::readFile(backups[0]), old);
    EXPECT_TRUE(written.contains(QString::fromStdString(backups[0])));

    EXPECT_TRUE(ui.run(ui.verify).contains("holds the image"));

    // Without the check box, no second copy.
    ui.backupFirst->setChecked(false);
    EXPECT_TRUE(ui.run(ui.write).contains("found equal"));
    EXPECT_EQ(
        filesStartingWith(std::filesystem::path(image).parent_path(), "chip-before-write-").size(),
        1u);
}

TEST_F(BuiltImage, WindowReadsTheChipIntoAFile) {
    if (findProgram("flashrom").empty()) GTEST_SKIP() << "flashrom is not installed";
    const std::string chip = (dir / "chip.bin").string();
    const std::string content(std::size_t{4} << 20, '\x3C');
    test::writeFile(chip, content);
    DownloadRequest request;
    request.imagePath = image;
    request.programmer = "dummy:emulate=SST25VF032B,image=" + chip;
    DownloadWindow window(request);
    const WindowParts ui(window);
    ASSERT_TRUE(ui.complete());
    const std::string saved = (dir / "saved.bin").string();
    window.startRead(QString::fromStdString(saved));
    for (int i = 0; i < 1200 && ui.result->text().isEmpty(); ++i) QTest::qWait(50);
    EXPECT_TRUE(ui.result->text().contains("is saved in")) << ui.result->text().toStdString();
    EXPECT_EQ(test::readFile(saved), content);
}

TEST_F(BuiltImage, UtilityWritesTheBuiltImage) {
    if (findProgram("flashrom").empty()) GTEST_SKIP() << "flashrom is not installed";
    const std::string chip = (dir / "chip.bin").string();
    const ProcessResult r = runner.run(
        test::appDir() + "V31O_DivaD/V31O_DivaD_EN",
        {"--write", "--programmer", "dummy:emulate=SST25VF032B,image=" + chip, image}, {});
    ASSERT_EQ(r.exitCode, 0) << r.output;
    const std::string written = test::readFile(chip);
    EXPECT_EQ(written.substr(0, bytes.size()), bytes);
    EXPECT_EQ(written.find_first_not_of('\xFF', bytes.size()), std::string::npos);
}

}  // namespace
}  // namespace zadaravod::download
