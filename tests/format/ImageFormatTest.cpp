#include <gtest/gtest.h>

#include "format/ImageFormat.h"
#include "model/ImageContent.h"
#include "support/ImageFixtures.h"

namespace zadaravod {
namespace {

using namespace image;

std::vector<std::uint8_t> codesOf(std::int32_t ms) {
    std::vector<std::uint8_t> out;
    for (SilenceCode c : silenceCodes(ms)) {
        out.push_back(c.unit);
        out.push_back(c.count);
    }
    return out;
}

using Bytes = std::vector<std::uint8_t>;

TEST(SilenceCodes, FixedLengthsAndWholeSeconds) {
    EXPECT_EQ(codesOf(10), (Bytes{0x80, 0x0A}));
    EXPECT_EQ(codesOf(200), (Bytes{0x80, 0xC8}));
    EXPECT_EQ(codesOf(1000), (Bytes{0x81, 0x01}));
    EXPECT_EQ(codesOf(2000), (Bytes{0x81, 0x02}));
    EXPECT_EQ(codesOf(1200), (Bytes{0x81, 0x01, 0x80, 0xC8}));
    EXPECT_TRUE(codesOf(0).empty());
    EXPECT_TRUE(codesOf(-5).empty());
}

TEST(SilenceCodes, EveryCodeMeansItsOwnMilliseconds) {
    // 250..999 ms remainders are split in steps of at most 249 ms, so that
    // 0x80 n always stands for n ms.
    EXPECT_EQ(codesOf(300), (Bytes{0x80, 0xF9, 0x80, 0x33}));
    EXPECT_EQ(codesOf(500), (Bytes{0x80, 0xF9, 0x80, 0xF9, 0x80, 0x02}));
    // More than 255 s goes in several second codes instead of wrapping.
    EXPECT_EQ(codesOf(300000), (Bytes{0x81, 0xFF, 0x81, 0x2D}));
    for (std::int32_t ms : {1, 10, 249, 250, 300, 999, 1000, 1999, 10000, 300000}) {
        std::int32_t sum = 0;
        for (SilenceCode c : silenceCodes(ms)) sum += silenceCodeMs(c);
        EXPECT_EQ(sum, ms);
    }
}

TEST(PlaylistBytes, CountSoundsAndSilenceCodes) {
    CSound sound;
    sound.kind = 1;
    EXPECT_EQ(entryImageBytes(sound), 3);
    EXPECT_EQ(entryImageBytes(CSound::silence(10)), 2);
    EXPECT_EQ(entryImageBytes(CSound::silence(1200)), 4);
    EXPECT_EQ(entryImageBytes(CSound::silence(300)), 4);
    CSoundList list;
    list.addTail(sound);
    list.addTail(CSound::silence(1200));
    list.addTail(sound);
    EXPECT_EQ(listImageBytes(list), 10);
}

TEST(ImageLayout, SlotOffsetsAndListCaptions) {
    EXPECT_EQ(slotOffset(0), 304u);
    EXPECT_EQ(slotOffset(125), 304u + 125 * 256);
    EXPECT_EQ(slotOffset(126), 65552u);
    EXPECT_EQ(slotOffset(219), 65552u + 93 * 256);
    EXPECT_EQ(listNumberText(10), "0aH");
    EXPECT_EQ(listNumberText(219), "dbH");
}

TEST(ImageLayout, BankAddresses) {
    auto a = encodeAddress(0x17FF0);
    EXPECT_EQ(a, (std::array<std::uint8_t, 3>{0xF0, 0xFF, 0x82}));
    a = encodeAddress(0x18000);
    EXPECT_EQ(a, (std::array<std::uint8_t, 3>{0x00, 0x80, 0x83}));
    for (std::uint32_t off : {0x17FF0u, 0x18034u, 0x3FFFFFu, 0x123456u}) {
        std::uint32_t back = 0;
        const auto e = encodeAddress(off);
        ASSERT_TRUE(decodeAddress(e.data(), back));
        EXPECT_EQ(back, off);
    }
    const std::uint8_t notAnAddress[3] = {0x00, 0x10, 0x82};
    std::uint32_t back = 0;
    EXPECT_FALSE(decodeAddress(notAnAddress, back));
}

TEST(ImageLayout, RatePairs) {
    EXPECT_EQ(ratePair(4000), (std::array<std::uint8_t, 2>{0x90, 0xFF}));
    EXPECT_EQ(ratePair(14000), (std::array<std::uint8_t, 2>{0x50, 0x91}));
    EXPECT_EQ(ratePair(22000), (std::array<std::uint8_t, 2>{0x10, 0xB9}));
    EXPECT_EQ(ratePair(44100), (std::array<std::uint8_t, 2>{0x90, 0x7F}));
    for (int r = 4000; r <= 22000; r += 2000) {
        const auto p = ratePair(r);
        EXPECT_EQ(rateOfPair(p[0], p[1]), r);
    }
}

Project keyProject(int mode) {
    Project p;
    p.options.controlMode = mode;
    for (int k = 0; k < kKeyCount; ++k) {
        p.keys.keyFunction[static_cast<std::size_t>(k)] = (k % 14) + 1;
        p.equation.listOfKey[static_cast<std::size_t>(k)] = 100 + k;
    }
    return p;
}

Bytes keyTable(int mode) {
    std::vector<std::uint8_t> image(304, 0xEE);
    writeHeader(image, imageSettingsOf(keyProject(mode)), listCountByte(keyProject(mode)));
    return Bytes(image.begin() + 8, image.begin() + 28);
}

TEST(KeyTable, EveryControlMode) {
    // Functions are key number (1..14), lists 100 + key - 1.
    EXPECT_EQ(keyTable(kModeKey), (Bytes{1, 100, 2, 101, 3, 102, 4, 103, 5,  104,
                                         6, 105, 7, 106, 8, 107, 9, 108, 10, 109}));
    EXPECT_EQ(keyTable(kModeOneLine), (Bytes{1, 100, 2, 101, 3, 102, 0xFF, 0xFF, 5,  104,
                                             6, 105, 7, 106, 8, 107, 9,    108,  10, 109}));
    EXPECT_EQ(keyTable(kModeThreeLine),
              (Bytes{1, 100, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 5,  104,
                     6, 105, 7,    106,  8,    107,  9,    108,  10, 109}));
    EXPECT_EQ(keyTable(kModeMp3), (Bytes{0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,
                                         0xFF, 0xFF, 8,    107,  9,    108,  10,   109,  0,    0}));
    EXPECT_EQ(keyTable(kModeMatrix), Bytes(20, 0));
    EXPECT_EQ(keyTable(kModeParallel),
              (Bytes{1,    100,  100,  0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,
                     0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}));
    EXPECT_EQ(keyTable(kModeExtended), Bytes(20, 0));
}

TEST(KeyTable, KeyModeDefaultsReadOneZeroOneOne) {
    Project p;
    p.options.controlMode = kModeKey;
    p.keys.setDefaults();
    p.equation.setDefaults();
    std::vector<std::uint8_t> image(304, 0);
    writeHeader(image, imageSettingsOf(p), listCountByte(p));
    EXPECT_EQ(Bytes(image.begin() + 8, image.begin() + 28),
              (Bytes{1, 0, 1, 1, 1, 2, 1, 3, 1, 4, 1, 5, 1, 6, 1, 7, 1, 8, 1, 9}));
}

TEST(KeyTable, MatrixListsAndHeaderBytes) {
    Project p = keyProject(kModeMatrix);
    p.options.audioOutput = 0;
    p.options.busyLevel = 0;
    p.options.pullUp = 1;
    p.flashSize.sizeIndex = 4;
    p.keys.keyFunction[0] = 15;     // out of range: 0xFF
    p.equation.listOfKey[1] = 221;  // out of range: 0xFF
    std::vector<std::uint8_t> image(304, 0xEE);
    writeHeader(image, imageSettingsOf(p), listCountByte(p));
    EXPECT_EQ(Bytes(image.begin(), image.begin() + 8),
              (Bytes{0xFF, 0x08, 0x08, 0xFF, 0x01, 0xFF, 0x01, 0x01}));
    EXPECT_EQ(image[30], 0x02);
    EXPECT_EQ(image[266], 100);
    EXPECT_EQ(image[267], 0xFF);
    EXPECT_EQ(image[289], 123);
    EXPECT_EQ(image[290], 0);
    // The mode codes.
    const std::uint8_t codes[] = {0x02, 0x03, 0x04, 0x08, 0x0B, 0x07, 0x05};
    for (int m = 0; m < 7; ++m) {
        writeHeader(image, imageSettingsOf(keyProject(m)), listCountByte(keyProject(m)));
        EXPECT_EQ(image[2], codes[m]);
        EXPECT_EQ(image[266], m == kModeMatrix ? 100 : 0);
    }
}

TEST(ListCountByte, FirstEmptyListPlusOne) {
    Project p;
    EXPECT_EQ(listCountByte(p), 0x01);
    for (int j = 0; j < 5; ++j)
        p.playlists[static_cast<std::size_t>(j)].addTail(CSound::silence(10));
    p.playlists[9].addTail(CSound::silence(10));
    EXPECT_EQ(listCountByte(p), 0x06);
    for (auto& l : p.playlists) l.addTail(CSound::silence(10));
    EXPECT_EQ(listCountByte(p), 0xDD);
}

}  // namespace
}  // namespace zadaravod
