// The conversion tool command through the scripted seam.
#include <gtest/gtest.h>

#include "commands/Conversion.h"
#include "format/WavFile.h"
#include "support/AudioFixtures.h"
#include "support/ScriptedUserInterface.h"

namespace zadaravod {
namespace {
using test::TempDir;

TEST(ConversionTool, ConvertsOverAnExistingOutputAndSaysSo) {
    TempDir dir;
    test::makeWithFfmpeg(dir / "a.mp3", 44100, 2, "libmp3lame", 0.5);
    test::writeFile(dir / "out.wav", "old content");
    ScriptedUserInterface ui;
    ui.openFiles.push_back((dir / "a.mp3").string());
    ui.samplingRates.push_back(14000);
    ui.saveFiles.push_back((dir / "out.wav").string());
    EXPECT_TRUE(runConversionTool(ui));
    EXPECT_EQ(ui.rateLimits, std::vector<int>{22000});
    EXPECT_EQ(ui.texts(), std::vector<std::string>{"MP3/WMA to WAV Convert OK!"});
    EXPECT_EQ(ui.messages[0].caption, kAppCaption);
    ASSERT_EQ(ui.fileRequests.size(), 2U);
    EXPECT_EQ(ui.fileRequests[0].filter, kConvertSourceFilter);
    EXPECT_EQ(ui.fileRequests[1].filter, kConvertOutputFilter);
    EXPECT_EQ(ui.fileRequests[1].defaultExtension, "wav");
    WavData wav;
    std::string error;
    ASSERT_TRUE(readWav(dir / "out.wav", wav, error)) << error;
    EXPECT_EQ(wav.sampleRate, 14000);
    EXPECT_EQ(wav.channels, 1);
}

TEST(ConversionTool, ACancelledRateEndsTheCommand) {
    TempDir dir;
    test::writePcmWav(dir / "a.wav", 8000, 1, 16, 0.1);
    ScriptedUserInterface ui;
    ui.openFiles.push_back((dir / "a.wav").string());
    ui.saveFiles.push_back((dir / "out.wav").string());
    EXPECT_FALSE(runConversionTool(ui));
    EXPECT_EQ(ui.fileRequests.size(), 1U);  // no save dialog
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_FALSE(std::filesystem::exists(dir / "out.wav"));
}

TEST(ConversionTool, AFailedConversionIsNotReportedAsSuccess) {
    TempDir dir;
    test::writeFile(dir / "empty.wav",
                    std::string(reinterpret_cast<const char*>(makeWav16({}, 8000, 1).data()), 44));
    ScriptedUserInterface ui;
    ui.openFiles.push_back((dir / "empty.wav").string());
    ui.samplingRates.push_back(8000);
    ui.saveFiles.push_back((dir / "out.wav").string());
    EXPECT_FALSE(runConversionTool(ui));
    ASSERT_EQ(ui.messages.size(), 1U);
    EXPECT_FALSE(ui.saw("MP3/WMA to WAV Convert OK!"));
    EXPECT_NE(ui.messages[0].text.find("no audio samples"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(dir / "out.wav"));
}

}  // namespace
}  // namespace zadaravod
