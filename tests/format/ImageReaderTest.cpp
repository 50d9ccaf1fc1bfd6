#include <gtest/gtest.h>

#include <random>

#include "format/ElementCodec.h"
#include "format/ImageReader.h"
#include "format/ImageWriter.h"
#include "model/ImageContent.h"
#include "support/ImageFixtures.h"

namespace zadaravod {
namespace {

namespace fs = std::filesystem;
using namespace image;

bool mentions(const std::vector<std::string>& problems, const std::string& what) {
    for (const auto& p : problems)
        if (p.find(what) != std::string::npos) return true;
    return false;
}

class ImageReaderTest : public ::testing::Test {
  protected:
    void SetUp() override {
        project = test::makeProject(dir, 2, 400);
        project.playlists[0].addTail(project.library.at(1));
        project.playlists[0].addTail(CSound::silence(250));
        project.playlists[0].addTail(project.library.at(0));
        // The image the build writes, made here with the codec itself.
        std::vector<std::vector<std::uint8_t>> elements;
        for (const CSound& s : project.library) {
            WavData wav;
            std::string error;
            ASSERT_TRUE(readWav(s.filePath, wav, error)) << error;
            elements.push_back(element::encodeElement(wav.mono(), 8000));
        }
        const std::vector<std::int16_t> silence(40, 0);
        image =
            assembleImage(imageContentOf(project), elements, element::encodeElement(silence, 4000),
                          std::vector<std::uint8_t>(256, 0x5A));
    }
    test::TempDir dir;
    Project project;
    std::vector<std::uint8_t> image;
};

TEST_F(ImageReaderTest, TooShortImageNamesTheOffset) {
    ImageReading r;
    EXPECT_FALSE(readImage(std::span(image.data(), 1000), r));
    ASSERT_EQ(r.problems.size(), 1u);
    EXPECT_NE(r.problems[0].find("0x17FF0"), std::string::npos) << r.problems[0];
    EXPECT_FALSE(readImage({}, r));
}

TEST_F(ImageReaderTest, AddressOutsideTheFile) {
    auto bad = image;
    bad[kSoundTableOffset + 8 + 4] = 0xF0;  // sound 2 in bank 0x70
    ImageReading r;
    ASSERT_TRUE(readImage(bad, r));
    EXPECT_EQ(r.libraryCount, 1);
    EXPECT_TRUE(mentions(r.problems, "Sound 2 (table offset 0x17008): start address"))
        << ::testing::PrintToString(r.problems);
    // Extraction reports the list that needs the sound, and writes the rest.
    test::TempDir out;
    const auto problems = extractImage(bad, r, out.path());
    EXPECT_TRUE(mentions(problems, "List 00H")) << ::testing::PrintToString(problems);
    EXPECT_TRUE(fs::exists(out / "sound-001.wav"));
}

TEST_F(ImageReaderTest, DamagedElementDoesNotDecode) {
    auto bad = image;
    bad[kSoundDataOffset + 30] ^= 0x55;  // inside element 1: the checksum fails
    ImageReading r;
    ASSERT_TRUE(readImage(bad, r));
    element::DecodedElement d;
    std::string error;
    EXPECT_FALSE(decodeSound(bad, r, 0, d, error));
    EXPECT_NE(error.find("0x17FF0"), std::string::npos) << error;
    EXPECT_NE(error.find("checksum"), std::string::npos) << error;

    bad = image;
    bad[kSoundDataOffset] = 'X';  // no element magic
    ASSERT_TRUE(readImage(bad, r));
    EXPECT_EQ(r.libraryCount, 0);
    EXPECT_TRUE(mentions(r.problems, "no sound element at 0x17FF0"));
}

TEST_F(ImageReaderTest, BadSlotCodes) {
    auto bad = image;
    bad[slotOffset(3)] = 0x12;
    for (std::size_t i = 0; i < 254; i += 2) {  // 127 silences of 10 ms
        bad[slotOffset(4) + i] = 0x80;
        bad[slotOffset(4) + i + 1] = 0x0A;
    }
    bad[slotOffset(4) + 254] = 0x44;  // a sound code cut off by the slot end
    ImageReading r;
    ASSERT_TRUE(readImage(bad, r));
    EXPECT_TRUE(mentions(r.problems, "List 03H: unknown code 0x12 at offset 0x430"))
        << ::testing::PrintToString(r.problems);
    EXPECT_TRUE(mentions(r.problems, "List 04H: sound code cut off"));
    ASSERT_EQ(r.playlists[4].size(), 1u);
    EXPECT_EQ(r.playlists[4][0].silenceMs, 1270);
}

TEST_F(ImageReaderTest, ExtractWritesSoundsAndRenderedLists) {
    ImageReading r;
    ASSERT_TRUE(readImage(image, r));
    test::TempDir out;
    EXPECT_TRUE(extractImage(image, r, out.path()).empty());
    WavData s1, list;
    std::string error;
    ASSERT_TRUE(readWav(out / "sound-001.wav", s1, error)) << error;
    EXPECT_EQ(s1.sampleRate, 8000);
    EXPECT_EQ(s1.samples.size(), 400u);
    WavData original;
    ASSERT_TRUE(readWav(project.library.at(0).filePath, original, error));
    EXPECT_GT(test::snrDb(original.samples, s1.samples), 25.0);
    ASSERT_TRUE(readWav(out / "list-00H.wav", list, error)) << error;
    ASSERT_EQ(list.samples.size(), 400u + 2000u + 400u);  // sound, 250 ms, sound
    for (std::size_t i = 400; i < 2400; ++i) ASSERT_EQ(list.samples[i], 0);
    EXPECT_TRUE(std::equal(s1.samples.begin(), s1.samples.end(), list.samples.begin() + 2400));
    EXPECT_FALSE(fs::exists(out / "list-01H.wav"));
}

TEST_F(ImageReaderTest, HoursOfSilenceAreNotRendered) {
    auto bad = image;
    std::uint8_t* slot = bad.data() + slotOffset(7);
    slot[0] = 0x44;  // a sound, then 126 codes of 255 s: about nine hours
    slot[1] = 0x00;
    slot[2] = 0x00;
    for (std::size_t i = 3; i + 1 < 256; i += 2) {
        slot[i] = 0x81;
        slot[i + 1] = 0xFF;
    }
    ImageReading r;
    ASSERT_TRUE(readImage(bad, r));
    std::vector<std::int16_t> samples;
    int rate = 0;
    std::string error;
    EXPECT_FALSE(renderPlaylist(bad, r, 7, samples, rate, error));
    EXPECT_NE(error.find("List 07H: plays for"), std::string::npos) << error;
    EXPECT_TRUE(samples.empty());
}

TEST_F(ImageReaderTest, RandomDamageNeverCrashes) {
    std::mt19937 rng(42);
    for (int round = 0; round < 300; ++round) {
        auto bad = image;
        const int edits = 1 + static_cast<int>(rng() % 40);
        for (int e = 0; e < edits; ++e) {
            // Aim at the interesting parts: header, slots, table, elements.
            const std::size_t regions[] = {0, slotOffset(0), kSoundTableOffset, kSoundDataOffset};
            const std::size_t at = regions[rng() % 4] + rng() % 600;
            if (at < bad.size()) bad[at] = static_cast<std::uint8_t>(rng());
        }
        if (rng() % 4 == 0) bad.resize(kSoundDataOffset + rng() % (bad.size() - kSoundDataOffset));
        ImageReading r;
        if (!readImage(bad, r)) continue;
        for (int k = 0; k < 3; ++k) {
            element::DecodedElement d;
            std::string error;
            if (!decodeSound(bad, r, k, d, error)) {
                EXPECT_FALSE(error.empty());
            }
        }
        std::vector<std::int16_t> samples;
        int rate = 0;
        std::string error;
        renderPlaylist(bad, r, 0, samples, rate, error);
    }
}

}  // namespace
}  // namespace zadaravod
