// The cell texts, list numbers and the background music view's rule.

#include <gtest/gtest.h>

#include "format/ImageFormat.h"
#include "gui/CommandIds.h"
#include "gui/ViewTexts.h"

namespace zadaravod {
namespace {

TEST(ViewTexts, SilenceLengths) {
    EXPECT_EQ(silenceLengthText(2000), "2 s");
    EXPECT_EQ(silenceLengthText(1500), "1500 ms");
    EXPECT_EQ(silenceLengthText(200), "200 ms");
    EXPECT_EQ(silenceLengthText(10000), "10 s");
    EXPECT_EQ(silenceLengthText(0), "0 ms");
}

TEST(ViewTexts, LibraryAndPlaylistRows) {
    CSound s;
    s.kind = 1;
    s.name = "hello.wav";
    s.sampleRate = 22000;
    s.bitsPerSample = 8;
    s.stereo = 1;
    s.durationMs = 1234;
    EXPECT_EQ(
        libraryViewRowTexts(s, 0),
        (std::array<std::string, 6>{"001", "hello.wav", "22000 Hz", "8 Bit", "STEREO", "1234 ms"}));
    s.stereo = 2;  // anything but 1 reads as mono
    EXPECT_EQ(libraryViewRowTexts(s, 99)[4], "MONO");
    EXPECT_EQ(libraryViewRowTexts(s, 999)[0], "1000");
    EXPECT_EQ(playlistRowTexts(s, 11), (std::array<std::string, 3>{"012", "SOUND", "hello.wav"}));
    EXPECT_EQ(playlistRowTexts(CSound::silence(3000), 0),
              (std::array<std::string, 3>{"001", "SILENCE", "3 s"}));
}

TEST(ViewTexts, ListNumbers) {
    EXPECT_EQ(listNumberText(0), "00H");
    EXPECT_EQ(listNumberText(15), "0fH");
    EXPECT_EQ(listNumberText(16), "10H");
    EXPECT_EQ(listNumberText(219), "dbH");
}

TEST(ViewTexts, MusicViewRule) {
    Project p;
    p.options.controlMode = kModeOneLine;
    EXPECT_EQ(musicViewEnabledAfterLibraryFill(p), true);  // empty library
    CSound s;
    s.kind = 1;
    s.sampleRate = 16000;
    p.library.addTail(s);
    EXPECT_EQ(musicViewEnabledAfterLibraryFill(p), false);
    p.backgroundMusic.addTail(s);
    EXPECT_EQ(musicViewEnabledAfterLibraryFill(p), true);
    p.backgroundMusic.removeAll();
    p.library.at(0).sampleRate = 8000;
    p.options.controlMode = kModeThreeLine;
    EXPECT_EQ(musicViewEnabledAfterLibraryFill(p), true);
    p.options.controlMode = kModeKey;
    EXPECT_EQ(musicViewEnabledAfterLibraryFill(p), std::nullopt);
}

TEST(ViewTexts, PromptsAndTooltips) {
    EXPECT_EQ(commandPrompt(cmd::kCloseProject), "Закрыть проект");
    EXPECT_EQ(commandPrompt(cmd::kToolDownload), "Выгрузить в устройство");
    EXPECT_EQ(commandPrompt(cmd::kExcel), "Экспорт в excel");
    EXPECT_EQ(commandPrompt(cmd::kBuild), "");
}

}  // namespace
}  // namespace zadaravod
