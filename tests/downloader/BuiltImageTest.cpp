// A project built by zadaravod-cli goes through the download utility: what
// the window shows of it, and its write into flashrom's emulated chip.
#include <gtest/gtest.h>

#include "support/QtTestApplication.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <cmath>

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

TEST_F(BuiltImage, WindowShowsTheImageAndWritesItIntoTheEmulatedChip) {
    if (findProgram("flashrom").empty()) GTEST_SKIP() << "flashrom is not installed";
    DownloadRequest request;
    request.imagePath = image;
    DownloadWindow window(request);
    window.show();
    auto* info = window.findChild<QPlainTextEdit*>("imageInfo");
    auto* programmer = window.findChild<QComboBox*>("programmer");
    auto* write = window.findChild<QPushButton*>("writeButton");
    auto* result = window.findChild<QLabel*>("result");
    ASSERT_TRUE(info && programmer && write && result);
    EXPECT_TRUE(info->toPlainText().contains("3X8 Matrix Mode"));
    EXPECT_EQ(programmer->currentText(), "ch341a_spi");

    const std::string chip = (dir / "chip.bin").string();
    programmer->setCurrentText(QString::fromStdString("dummy:emulate=SST25VF032B,image=" + chip));
    QTest::mouseClick(write, Qt::LeftButton);
    EXPECT_FALSE(write->isEnabled());  // one write at a time
    // Wait for the worker; the limit only keeps a broken run from hanging the suite.
    for (int i = 0; i < 1200 && result->text().isEmpty(); ++i) QTest::qWait(50);
    EXPECT_TRUE(result->text().contains("found equal")) << result->text().toStdString();
    EXPECT_TRUE(write->isEnabled());
    const std::string written = test::readFile(chip);
    ASSERT_EQ(written.size(), std::size_t{4} << 20);
    EXPECT_EQ(written.substr(0, bytes.size()), bytes);
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
