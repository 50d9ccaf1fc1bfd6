#include <gtest/gtest.h>

#include "format/WavFile.h"
#include "support/TempDir.h"

namespace zadaravod {
namespace {

std::string asString(const std::vector<std::uint8_t>& b) { return {b.begin(), b.end()}; }

std::string wav8Stereo() {
    std::string w = asString(makeWav16({}, 16000, 2));
    // Rewrite the header for 8 bits: block align 2, byte rate 32000.
    w[32] = 2;
    w[34] = 8;
    w[28] = static_cast<char>(32000 & 0xFF);
    w[29] = static_cast<char>(32000 >> 8);
    const std::string samples = std::string("\x80\xFF\x00\x80", 4);  // (0, 127) and (-128, 0)
    w.replace(40, 4, std::string("\x04\x00\x00\x00", 4));
    return w + samples;
}

TEST(WavFile, SixteenBitRoundTripAndMonoMix) {
    const std::vector<std::int16_t> stereo = {100, 300, -32768, -32768, 32767, 32767, -5, 4};
    WavData d;
    std::string error;
    ASSERT_TRUE(parseWav(asString(makeWav16(stereo, 22000, 2)), d, error)) << error;
    EXPECT_EQ(d.sampleRate, 22000);
    EXPECT_EQ(d.channels, 2);
    EXPECT_EQ(d.samples, stereo);
    EXPECT_EQ(d.mono(), (std::vector<std::int16_t>{200, -32768, 32767, 0}));
}

TEST(WavFile, EightBitStereoIsWidenedAndCentred) {
    WavData d;
    std::string error;
    ASSERT_TRUE(parseWav(wav8Stereo(), d, error)) << error;
    EXPECT_EQ(d.bitsPerSample, 8);
    EXPECT_EQ(d.channels, 2);
    EXPECT_EQ(d.samples, (std::vector<std::int16_t>{0, 127 * 256, -128 * 256, 0}));
}

TEST(WavFile, BrokenFilesAreRefusedWithAReason) {
    WavData d;
    std::string error;
    EXPECT_FALSE(parseWav("", d, error));
    EXPECT_FALSE(parseWav("RIFF\x10\0\0\0WAVE", d, error));
    std::string w = asString(makeWav16({1, 2, 3}, 8000, 1));
    EXPECT_FALSE(parseWav(w.substr(0, 30), d, error));  // format chunk cut
    std::string compressed = w;
    compressed[20] = 2;  // ADPCM
    EXPECT_FALSE(parseWav(compressed, d, error));
    EXPECT_NE(error.find("compressed"), std::string::npos);
    std::string threeChannels = w;
    threeChannels[22] = 3;
    EXPECT_FALSE(parseWav(threeChannels, d, error));
    std::string bits24 = w;
    bits24[34] = 24;
    EXPECT_FALSE(parseWav(bits24, d, error));

    // A data size far beyond the file takes the samples that are there.
    std::string huge = w;
    huge.replace(40, 4, std::string("\xFF\xFF\xFF\x7F", 4));
    ASSERT_TRUE(parseWav(huge, d, error));
    EXPECT_EQ(d.samples.size(), 3u);
    // A huge unknown chunk before the data ends the search cleanly.
    std::string junk = w.substr(0, 36) + "LIST" + std::string("\xF0\xFF\xFF\xFF", 4) + w.substr(36);
    EXPECT_FALSE(parseWav(junk, d, error));
}

TEST(WavFile, WriteAndReadBackFromDisk) {
    test::TempDir dir;
    ASSERT_EQ(writeWav16(dir / "s.wav", std::vector<std::int16_t>(40, 0), 4000, 1), "");
    WavData d;
    std::string error;
    ASSERT_TRUE(readWav(dir / "s.wav", d, error)) << error;
    EXPECT_EQ(d.frameCount(), 40u);
    EXPECT_EQ(d.sampleRate, 4000);
    EXPECT_FALSE(readWav(dir / "missing.wav", d, error));
    EXPECT_NE(error.find("missing.wav"), std::string::npos);
}

}  // namespace
}  // namespace zadaravod
