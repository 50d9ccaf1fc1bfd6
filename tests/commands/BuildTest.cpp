#include <gtest/gtest.h>

#include "commands/Build.h"
#include "commands/ConverterPlugin.h"
#include "format/ElementCodec.h"
#include "format/ImageReader.h"
#include "format/ImageWriter.h"
#include "model/ImageContent.h"
#include "support/ImageFixtures.h"
#include "support/ScriptedUserInterface.h"

namespace zadaravod {
namespace {

namespace fs = std::filesystem;
using namespace image;
using test::bytesOf;
using test::readFile;
using Bytes = std::vector<std::uint8_t>;

AppPaths app() { return AppPaths::ofFolder(test::appDir()); }

CSound entryOf(const Project& p, int n) { return p.library.at(static_cast<std::size_t>(n)); }

std::uint32_t addressAt(const std::vector<std::uint8_t>& img, int k) {
    std::uint32_t a = 0;
    EXPECT_TRUE(decodeAddress(img.data() + kSoundTableOffset + 8 * k + 2, a));
    return a;
}

/// Builds, reads the image back and checks that the reading equals the
/// project; returns the image bytes.
std::vector<std::uint8_t> buildAndInspect(Project& p, ScriptedUserInterface& ui) {
    EXPECT_TRUE(shown(buildImage(p, app(), ui), ui)) << ::testing::PrintToString(ui.texts());
    const auto img = bytesOf(readFile(p.imagePath()));
    test::keepFuzzSeed("fuzz_image_reader", readFile(p.imagePath()));
    ImageReading r;
    EXPECT_TRUE(readImage(img, r));
    EXPECT_TRUE(r.problems.empty()) << ::testing::PrintToString(r.problems);
    EXPECT_EQ(r.controlMode, p.options.controlMode);
    EXPECT_EQ(r.audioOutput, p.options.audioOutput == 1 ? 1 : 0);
    EXPECT_EQ(r.busyLevel, p.options.busyLevel == 1 ? 1 : 0);
    EXPECT_EQ(r.pullUp, p.options.pullUp != 0 ? 1 : 0);
    EXPECT_EQ(r.flashSizeIndex, p.flashSize.sizeIndex);
    EXPECT_EQ(r.listCountByte, listCountByte(p));
    EXPECT_EQ(r.libraryCount, static_cast<int>(p.library.count()));
    int k = 0;
    for (const CSound& s : p.library) {
        const SoundEntry& e = r.sounds[static_cast<std::size_t>(k++)];
        EXPECT_EQ(e.sampleRate, rateOfPair(ratePair(s.sampleRate)[0], ratePair(s.sampleRate)[1]));
        EXPECT_TRUE(e.library);
        WavData wav;
        std::string error;
        EXPECT_TRUE(readWav(s.filePath, wav, error));
        EXPECT_EQ(e.element.sampleCount, wav.frameCount());
    }
    for (int j = 0; j < kPlaylistCount; ++j)
        EXPECT_EQ(r.playlists[static_cast<std::size_t>(j)],
                  test::expectedItems(p, p.playlists[static_cast<std::size_t>(j)]))
            << "list " << j;
    for (const KeyEntry& key : r.keys) {
        if (p.options.controlMode != kModeMatrix) {
            EXPECT_EQ(key.function, p.keys.keyFunction[static_cast<std::size_t>(key.key - 1)]);
        }
        EXPECT_EQ(key.list, p.equation.listOfKey[static_cast<std::size_t>(key.key - 1)]);
    }
    return img;
}

TEST(BuildImage, EmptyLibraryHolds510SilenceCopies) {
    test::TempDir dir;
    Project p = test::makeProject(dir, 0);
    ScriptedUserInterface ui;
    const auto img = buildAndInspect(p, ui);
    ASSERT_EQ(img.size(), 0x17FF0u + 510 * 68);
    EXPECT_EQ(ui.texts(), (std::vector<std::string>{"BIN File Saved!\nSize: 132968 bytes"}));
    EXPECT_EQ(ui.messages[0].caption, "LARK40 ZadarAvod");
    std::vector<std::uint8_t> silence;
    std::string error;
    ASSERT_TRUE(element::encodeWavFile(app().silencePath(), silence, error)) << error;
    ASSERT_EQ(silence.size(), 68u);
    for (int k = 0; k < 510; ++k) {
        EXPECT_EQ(addressAt(img, k), 0x17FF0u + 68u * (k + 1)) << k;
        EXPECT_EQ(img[kSoundTableOffset + 8 * k], 0x90);
        EXPECT_EQ(img[kSoundTableOffset + 8 * k + 1], 0x7F);
        EXPECT_EQ(img[kSoundTableOffset + 8 * k + 5], 0x88);
        EXPECT_EQ(img[kSoundTableOffset + 8 * k + 6], 0x01);
        EXPECT_EQ(img[kSoundTableOffset + 8 * k + 7], 0xFF);
        EXPECT_TRUE(std::equal(silence.begin(), silence.end(), img.begin() + 0x17FF0 + 68 * k));
    }
    // Entry 0 = 0x17FF0 + 68 = 0x18034: bank 3, in-bank 0x0034.
    EXPECT_EQ(img[0x17002], 0x34);
    EXPECT_EQ(img[0x17003], 0x80);
    EXPECT_EQ(img[0x17004], 0x83);
    // Every slot empty: 0xFF; the gaps stay 0x00; list count byte 0x01.
    EXPECT_EQ(img[28], 0x01);
    for (int j : {0, 125, 126, 219})
        for (std::size_t i = 0; i < 256; ++i) ASSERT_EQ(img[slotOffset(j) + i], 0xFF);
    EXPECT_EQ(img[0x7F30], 0x00);
    EXPECT_EQ(img[0x1000F], 0x00);
    EXPECT_EQ(img[0x15E10], 0x00);
    const auto chip = bytesOf(readFile(app().chipCodePath()));
    EXPECT_TRUE(std::equal(chip.begin(), chip.begin() + 256, img.begin() + 0x16F00));
    EXPECT_TRUE(fs::exists(p.projectFilePath));  // saved first
    EXPECT_TRUE(fs::exists(p.flashSizePath()));
}

TEST(BuildImage, FullLibraryOf510SoundsHasNoSilenceCopies) {
    test::TempDir dir;
    Project p = test::makeProject(dir, 510, 100, 16000);
    p.playlists[0].addTail(entryOf(p, 509));
    p.playlists[0].addTail(entryOf(p, 2));
    ScriptedUserInterface ui;
    const auto img = buildAndInspect(p, ui);
    const std::size_t element = element::elementSize(100);
    ASSERT_EQ(img.size(), 0x17FF0u + 510 * element);
    for (int k = 0; k < 510; ++k) {
        EXPECT_EQ(addressAt(img, k), 0x17FF0u + element * k);
        EXPECT_EQ(img[kSoundTableOffset + 8 * k], 0x50);
        EXPECT_EQ(img[kSoundTableOffset + 8 * k + 1], 0x7F);
    }
    EXPECT_EQ((Bytes(img.begin() + 304, img.begin() + 311)),
              (Bytes{0x44, 0x01, 0xFD, 0x44, 0x00, 0x02, 0xFF}));
    // The element files beside the WAVs are removed after use.
    EXPECT_FALSE(fs::exists(entryOf(p, 0).filePath + ".rbf"));
    EXPECT_FALSE(fs::exists(entryOf(p, 0).filePath + ".rbf.h"));
}

TEST(BuildImage, PlaylistSlotsAndListCount) {
    test::TempDir dir;
    Project p = test::makeProject(dir, 3);
    p.options.controlMode = kModeKey;
    for (int j = 0; j < 5; ++j) p.playlists[static_cast<std::size_t>(j)].addTail(entryOf(p, j % 3));
    p.playlists[1].addTail(CSound::silence(10));
    p.playlists[1].addTail(CSound::silence(200));  // merged by the reader into 210
    p.playlists[2].addTail(CSound::silence(1000));
    p.playlists[3].addTail(CSound::silence(2000));
    p.playlists[4].addTail(CSound::silence(1200));
    p.playlists[9].addTail(entryOf(p, 2));
    p.playlists[150].addTail(CSound::silence(300));
    CSound stray = entryOf(p, 0);
    stray.filePath += ".missing";
    p.playlists[150].addTail(stray);
    ScriptedUserInterface ui;
    const auto img = buildAndInspect(p, ui);
    EXPECT_EQ(img[28], 0x06);
    auto slot = [&](int j, std::size_t n) {
        return Bytes(img.begin() + static_cast<long>(slotOffset(j)),
                     img.begin() + static_cast<long>(slotOffset(j) + n));
    };
    EXPECT_EQ(slot(0, 4), (Bytes{0x44, 0x00, 0x00, 0xFF}));
    EXPECT_EQ(slot(1, 8), (Bytes{0x44, 0x00, 0x01, 0x80, 0x0A, 0x80, 0xC8, 0xFF}));
    EXPECT_EQ(slot(2, 6), (Bytes{0x44, 0x00, 0x02, 0x81, 0x01, 0xFF}));
    EXPECT_EQ(slot(3, 6), (Bytes{0x44, 0x00, 0x00, 0x81, 0x02, 0xFF}));
    EXPECT_EQ(slot(4, 8), (Bytes{0x44, 0x00, 0x01, 0x81, 0x01, 0x80, 0xC8, 0xFF}));
    EXPECT_EQ(slot(9, 4), (Bytes{0x44, 0x00, 0x02, 0xFF}));
    // A sound missing from a library that is not full plays entry 509.
    EXPECT_EQ(slot(150, 8), (Bytes{0x80, 0xF9, 0x80, 0x33, 0x44, 0x01, 0xFD, 0xFF}));
    EXPECT_EQ(img[slotOffset(4) + 255], 0xFF);
}

TEST(BuildImage, AllListsUsedGivesDD) {
    test::TempDir dir;
    Project p = test::makeProject(dir, 1);
    for (auto& list : p.playlists) list.addTail(entryOf(p, 0));
    ScriptedUserInterface ui;
    const auto img = buildAndInspect(p, ui);
    EXPECT_EQ(img[28], 0xDD);
}

TEST(BuildImage, EveryControlModeReadsBack) {
    test::TempDir dir;
    Project p = test::makeProject(dir, 1);
    for (int m = 0; m < 7; ++m) {
        p.options.controlMode = m;
        p.options.audioOutput = m % 2;
        p.options.busyLevel = (m + 1) % 2;
        p.options.pullUp = m % 3 == 0;
        p.flashSize.sizeIndex = m % 5;
        for (int k = 0; k < kKeyCount; ++k) {
            p.keys.keyFunction[static_cast<std::size_t>(k)] = (k + m) % 15;
            p.equation.listOfKey[static_cast<std::size_t>(k)] = (k * 7 + m) % 220;
        }
        ScriptedUserInterface ui;
        const auto img = buildAndInspect(p, ui);
        EXPECT_EQ(img[2], controlModeCode(m));
    }
}

TEST(BuildImage, FitMessagesAtTheirBoundaries) {
    EXPECT_TRUE(fitMessage(262144, 4).text.empty());
    EXPECT_EQ(fitMessage(262145, 4).text, "Bin File don't fit in flash! Pls select 4M flash");
    EXPECT_EQ(fitMessage(524289, 3).text, "Bin File don't fit in flash! Pls select 8M flash");
    EXPECT_EQ(fitMessage(1048577, 2).text, "Bin File don't fit in flash! Pls select 16M flash");
    EXPECT_EQ(fitMessage(2097153, 1).text, "Bin File don't fit in flash! Pls select 32M flash");
    EXPECT_TRUE(fitMessage(4194304, 0).text.empty());
    const FitMessage over = fitMessage(4194305, 0);
    EXPECT_EQ(over.text, "Bin File don't dit in flash");
    EXPECT_EQ(over.caption, "LARK40 ZadarAvod V1.6e");
    EXPECT_EQ(fitMessage(262145, 4).caption, "LARK40 ZadarAvod");

    // Images of exactly 262144 and 262145 bytes: one library element sized
    // so that the image ends there.
    Project p;
    p.library.addTail(CSound{});
    const std::size_t fixedPart = 0x17FF0 + 509 * 68;
    for (std::size_t length : {262144u, 262145u, 4194305u}) {
        std::vector<std::vector<std::uint8_t>> elements{
            std::vector<std::uint8_t>(length - fixedPart, 0)};
        const std::vector<std::uint8_t> img =
            assembleImage(imageContentOf(p), elements, std::vector<std::uint8_t>(68, 1),
                          std::vector<std::uint8_t>(256, 2));
        EXPECT_EQ(img.size(), length);
    }
}

TEST(BuildImage, TooLargeForTheChosenFlashTellsWhichToChoose) {
    test::TempDir dir;
    Project p = test::makeProject(dir, 2, 200000);  // about 130 KiB each
    p.flashSize.sizeIndex = 4;                      // 256K
    ScriptedUserInterface ui;
    buildAndInspect(p, ui);
    ASSERT_EQ(ui.messages.size(), 2u);
    EXPECT_EQ(ui.messages[1].text, "Bin File don't fit in flash! Pls select 4M flash");
    EXPECT_TRUE(fs::exists(p.imagePath()));  // the image stays
}

TEST(BuildImage, OverfullSlotIsRefusedBeforeAnythingIsWritten) {
    test::TempDir dir;
    Project p = test::makeProject(dir, 1);
    for (int i = 0; i < 60; ++i) p.playlists[10].addTail(CSound::silence(1300));  // 6 bytes each
    ScriptedUserInterface ui;
    EXPECT_FALSE(shown(buildImage(p, app(), ui), ui));
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_NE(ui.messages[0].text.find("0aH"), std::string::npos) << ui.messages[0].text;
    EXPECT_NE(ui.messages[0].text.find("360"), std::string::npos) << ui.messages[0].text;
    EXPECT_FALSE(fs::exists(p.imagePath()));
    // 64 silences of 1200 ms (4 bytes each) need 256 bytes: they fit exactly.
    p.playlists[10].removeAll();
    for (int i = 0; i < 64; ++i) p.playlists[10].addTail(CSound::silence(1200));
    ScriptedUserInterface ui2;
    buildAndInspect(p, ui2);
}

TEST(BuildImage, UnknownSoundInAFullLibraryIsRefused) {
    test::TempDir dir;
    Project p = test::makeProject(dir, 510, 10);
    CSound stray = entryOf(p, 0);
    stray.filePath = "/nowhere/x.wav";
    stray.name = "x.wav";
    p.playlists[3].addTail(stray);
    ScriptedUserInterface ui;
    EXPECT_FALSE(shown(buildImage(p, app(), ui), ui));
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_NE(ui.messages[0].text.find("03H"), std::string::npos);
    EXPECT_NE(ui.messages[0].text.find("x.wav"), std::string::npos);
}

TEST(BuildImage, FailedConversionStopsTheBuildAndKeepsTheOldImage) {
    test::TempDir dir;
    Project p = test::makeProject(dir, 3);
    test::writeFile(entryOf(p, 1).filePath, "not a wav file at all");
    test::writeFile(p.imagePath(), "old image");
    ScriptedUserInterface ui;
    EXPECT_FALSE(shown(buildImage(p, app(), ui), ui));
    const auto texts = ui.texts();
    ASSERT_EQ(texts.size(), 3u);
    EXPECT_EQ(texts[0], "Fail!");
    EXPECT_EQ(texts[1], entryOf(p, 1).filePath);
    EXPECT_NE(texts[2].find("sound 2 \"s2.wav\""), std::string::npos) << texts[2];
    EXPECT_EQ(readFile(p.imagePath()), "old image");
    for (const auto& e : fs::directory_iterator(p.soundFolder))
        EXPECT_EQ(e.path().extension(), ".wav") << e.path();  // no element left behind
    for (const auto& e : fs::directory_iterator(fs::path(p.projectFilePath).parent_path()))
        EXPECT_EQ(e.path().filename().string().find(".tmp"), std::string::npos);
}

TEST(BuildImage, StaleElementOfAFailedConversionIsNotUsed) {
    test::TempDir dir;
    Project p = test::makeProject(dir, 1);
    const std::string wav = p.library.at(0).filePath;
    test::writeFile(wav + ".rbf", test::readFile(app().silencePath() + ".rbf"));  // stale
    test::writeFile(wav, "broken now");
    ScriptedUserInterface ui;
    EXPECT_FALSE(shown(buildImage(p, app(), ui), ui));
    ASSERT_EQ(ui.texts().size(), 3u);
    // The converter's own reason is passed on, not a bare "failed".
    EXPECT_EQ(
        ui.texts()[2].rfind("The build stopped: the conversion of sound 1 \"s1.wav\" failed: ", 0),
        0u);
    EXPECT_NE(ui.texts()[2].find("not a WAV file"), std::string::npos);
    EXPECT_FALSE(fs::exists(p.imagePath()));
}

TEST(BuildImage, MissingPluginOrChipCode) {
    test::TempDir dir;
    Project p = test::makeProject(dir, 1);
    test::TempDir appFolder;
    fs::copy_file(app().silencePath(), appFolder / "silence10ms.wav");
    const AppPaths bare = AppPaths::ofFolder(appFolder.str());
    ScriptedUserInterface ui;
    EXPECT_FALSE(shown(buildImage(p, bare, ui), ui));
    ASSERT_FALSE(ui.messages.empty());
    EXPECT_NE(ui.messages[0].text.find("chip code"), std::string::npos);

    fs::copy_file(app().chipCodePath(), appFolder / "m31907_A3_Ext_Spi_Code.bin");
    ScriptedUserInterface ui2;
    EXPECT_FALSE(shown(buildImage(p, bare, ui2), ui2));
    EXPECT_EQ(ui2.texts(), (std::vector<std::string>{"Load ZozazeZovevidiz Library Fail!"}));
    EXPECT_EQ(ui2.messages[0].caption, "LARK40 ZadarAvod");
    EXPECT_FALSE(fs::exists(p.imagePath()));
}

TEST(MelodyConverter, WritesTheElementAndAShortHeaderNamingIt) {
    test::TempDir dir;
    const std::string wav = (dir / "a.wav").string();
    std::vector<std::int16_t> stereo(2 * 500, 1000);
    writeWav16(wav, stereo, 12000, 2);
    const ConverterPlugin plugin(app().converterPath());
    ASSERT_TRUE(plugin.loaded()) << plugin.loadError();
    const ConversionOutcome done = plugin.convert(wav);
    EXPECT_EQ(done.elementPath, wav + ".rbf");
    EXPECT_NE(done.result, 0);
    const auto el = bytesOf(readFile(wav + ".rbf"));
    element::DecodedElement d;
    std::string error;
    ASSERT_TRUE(element::decodeElement(el, d, error)) << error;
    EXPECT_EQ(d.sampleRate, 12000u);
    EXPECT_EQ(d.samples.size(), 500u);
    const std::string h = readFile(wav + ".rbf.h");
    EXPECT_NE(h.find("#define SOUND_ELEMENT_BYTES " + std::to_string(el.size()) + "\n"),
              std::string::npos)
        << h;
    EXPECT_NE(h.find("#define SOUND_ELEMENT_FILE \"a.wav.rbf\"\n"), std::string::npos) << h;

    // A failed conversion says why, writes nothing, and is told with the
    // converter's own messages: "Fail!" then the path, with the default title.
    const ConversionOutcome failed = plugin.convert((dir / "none.wav").string());
    EXPECT_EQ(failed.result, 0);
    EXPECT_NE(failed.reason.find("none.wav"), std::string::npos) << failed.reason;
    EXPECT_FALSE(fs::exists(dir / "none.wav.rbf"));
    ScriptedUserInterface ui2;
    tellConversionFailure(ui2, (dir / "none.wav").string());
    EXPECT_EQ(ui2.texts(), (std::vector<std::string>{"Fail!", (dir / "none.wav").string()}));
    EXPECT_EQ(ui2.messages[0].caption, "LARK40 ZadarAvod V1.6e");
}

TEST(BuildImage, ASoundAtARateWithoutACodeIsRefused) {
    test::TempDir dir;
    Project p = test::makeProject(dir, 2, 130, 11025);
    ScriptedUserInterface ui;
    EXPECT_FALSE(shown(buildImage(p, app(), ui), ui));
    ASSERT_FALSE(ui.messages.empty());
    const std::string& text = ui.messages.back().text;
    EXPECT_NE(text.find("sound 1 \"s1.wav\" is recorded at 11025 Hz"), std::string::npos) << text;
    EXPECT_FALSE(fs::exists(p.imagePath()));
}

TEST(BuildImage, ALinkToAFileOutsideTheProjectIsRefused) {
    test::TempDir dir;
    Project p = test::makeProject(dir, 2);
    const std::string second = p.library.at(1).filePath;
    const fs::path outside = dir / "outside.wav";
    fs::rename(second, outside);
    fs::create_symlink(outside, second);
    ScriptedUserInterface ui;
    EXPECT_FALSE(shown(buildImage(p, app(), ui), ui));
    ASSERT_FALSE(ui.messages.empty());
    const std::string& text = ui.messages.back().text;
    EXPECT_NE(text.find("sound 2 \"s2.wav\" is a link to a file outside the project folder"),
              std::string::npos)
        << text;
    EXPECT_FALSE(fs::exists(p.imagePath()));
    EXPECT_FALSE(fs::exists(outside.string() + ".rbf"));

    // A link that stays inside the project folder is fine.
    fs::remove(second);
    fs::rename(outside, fs::path(p.soundFolder) / "real.wav");
    fs::create_symlink("real.wav", second);
    ScriptedUserInterface ui2;
    EXPECT_TRUE(shown(buildImage(p, app(), ui2), ui2)) << ::testing::PrintToString(ui2.texts());
}

}  // namespace
}  // namespace zadaravod
