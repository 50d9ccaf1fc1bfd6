#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <random>

#include "ImageFixtures.h"
#include "image/ElementCodec.h"

namespace zadaravod {
namespace {

using namespace element;
using test::sine;
using test::snrDb;

std::vector<std::int16_t> roundTrip(const std::vector<std::int16_t>& x, std::uint32_t rate,
                                    EncoderOptions options = {}) {
    const auto bytes = encodeElement(x, rate, options);
    DecodedElement d;
    std::string error;
    EXPECT_TRUE(decodeElement(bytes, d, error)) << error;
    EXPECT_EQ(d.sampleRate, rate);
    return d.samples;
}

TEST(ElementCodec, TenMillisecondSilenceIsSixtyEightBytesAndDecodesToZeros) {
    const std::vector<std::int16_t> silence(40, 0);
    const auto bytes = encodeElement(silence, 4000);
    ASSERT_EQ(bytes.size(), 68u);
    EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 4), "LKEL");
    EXPECT_EQ(bytes[4], 1);     // version
    EXPECT_EQ(bytes[8], 0xA0);  // 4000 Hz, little-endian
    EXPECT_EQ(bytes[9], 0x0F);
    EXPECT_EQ(bytes[12], 40);  // sample count
    EXPECT_EQ(bytes[20], 42);  // data bytes: one block
    EXPECT_EQ(roundTrip(silence, 4000), silence);
}

TEST(ElementCodec, SizeIsHeaderPlusWholeBlocks) {
    EXPECT_EQ(elementSize(0), 26u);
    EXPECT_EQ(elementSize(1), 68u);
    EXPECT_EQ(elementSize(65), 68u);
    EXPECT_EQ(elementSize(66), 110u);
    for (std::size_t n : {0u, 1u, 64u, 65u, 66u, 1000u}) {
        const auto x = sine(300, 8000, n);
        EXPECT_EQ(encodeElement(x, 8000).size(), elementSize(n));
        EXPECT_EQ(roundTrip(x, 8000).size(), n);
    }
}

TEST(ElementCodec, FirstSampleOfEveryBlockIsStoredExactly) {
    const auto x = sine(1234, 8000, 650, 30000);
    const auto y = roundTrip(x, 8000);
    for (std::size_t b = 0; b < 10; ++b) EXPECT_EQ(y[65 * b], x[65 * b]) << "block " << b;
}

TEST(ElementCodec, EncodingIsDeterministic) {
    const auto x = sine(440, 8000, 5000);
    EXPECT_EQ(encodeElement(x, 8000), encodeElement(x, 8000));
}

// A floor well below the benchmark's figures: a codec that broke its
// predictor, quantizer or packing falls far below these.
TEST(ElementCodec, QualityFloor) {
    EXPECT_GT(snrDb(sine(440, 8000, 8000), roundTrip(sine(440, 8000, 8000), 8000)), 30.0);
    EXPECT_GT(snrDb(sine(3000, 8000, 8000), roundTrip(sine(3000, 8000, 8000), 8000)), 25.0);
    std::mt19937 rng(7);
    std::normal_distribution<double> g(0, 4000);
    std::vector<std::int16_t> noise(20000);
    for (auto& v : noise) v = static_cast<std::int16_t>(std::clamp(g(rng), -32768.0, 32767.0));
    EXPECT_GT(snrDb(noise, roundTrip(noise, 8000)), 18.0);
    // The greedy coder still works, and the search is never worse than it.
    const auto s = sine(700, 8000, 8000);
    const double greedy = snrDb(s, roundTrip(s, 8000, {1, 0}));
    EXPECT_GT(greedy, 28.0);
    EXPECT_GE(snrDb(s, roundTrip(s, 8000, {4, 1})) + 0.01, greedy);
}

TEST(ElementCodec, ExtremeSignalsStayBounded) {
    std::vector<std::int16_t> square(4000), nyquist(4000);
    for (std::size_t i = 0; i < 4000; ++i) {
        square[i] = (i / 20) % 2 ? 32767 : -32768;
        nyquist[i] = i % 2 ? 32767 : -32768;
    }
    EXPECT_GT(snrDb(square, roundTrip(square, 8000)), 5.0);
    EXPECT_GT(snrDb(nyquist, roundTrip(nyquist, 8000)), 20.0);
}

TEST(ElementCodec, DecoderRefusesDamagedElements) {
    const auto good = encodeElement(sine(440, 8000, 1000), 8000);
    DecodedElement d;
    std::string error;

    auto bad = good;
    bad[0] = 'X';
    EXPECT_FALSE(decodeElement(bad, d, error));
    EXPECT_NE(error.find("offset 0"), std::string::npos) << error;

    bad = good;
    bad[40] ^= 0x10;  // a code bit: the checksum catches it
    EXPECT_FALSE(decodeElement(bad, d, error));
    EXPECT_NE(error.find("checksum"), std::string::npos) << error;

    bad = good;
    bad.resize(good.size() - 1);
    EXPECT_FALSE(decodeElement(bad, d, error));
    EXPECT_NE(error.find("truncated"), std::string::npos) << error;

    bad = good;
    bad[15] = 0x7F;  // a huge sample count the data does not back
    EXPECT_FALSE(decodeElement(bad, d, error));

    EXPECT_FALSE(decodeElement(std::span<const std::uint8_t>(good.data(), 10), d, error));
    EXPECT_NE(error.find("header"), std::string::npos);
}

TEST(ElementCodec, WavInputsOfEveryImportedForm) {
    test::TempDir dir;
    // 16-bit stereo at 22050 Hz: mixed as (L+R)/2.
    std::vector<std::int16_t> stereo;
    for (std::int16_t v : sine(500, 22050, 3000)) {
        stereo.push_back(v);
        stereo.push_back(static_cast<std::int16_t>(v / 2));
    }
    writeWav16(dir / "st.wav", stereo, 22050, 2);
    std::vector<std::uint8_t> el;
    std::string error;
    ASSERT_TRUE(encodeWavFile(dir / "st.wav", el, error)) << error;
    DecodedElement d;
    ASSERT_TRUE(decodeElement(el, d, error));
    EXPECT_EQ(d.sampleRate, 22050u);
    ASSERT_EQ(d.samples.size(), 3000u);
    std::vector<std::int16_t> mixed;
    for (std::size_t i = 0; i < 3000; ++i)
        mixed.push_back(static_cast<std::int16_t>((stereo[2 * i] + stereo[2 * i + 1]) / 2));
    EXPECT_GT(snrDb(mixed, d.samples), 30.0);

    // 8-bit mono, written by hand.
    std::string wav8 = "RIFF";
    auto u32 = [&](std::uint32_t v) {
        for (int i = 0; i < 4; ++i) wav8 += static_cast<char>(v >> (8 * i));
    };
    auto u16 = [&](std::uint16_t v) {
        wav8 += static_cast<char>(v);
        wav8 += static_cast<char>(v >> 8);
    };
    u32(36 + 100);
    wav8 += "WAVEfmt ";
    u32(16);
    u16(1);
    u16(1);
    u32(6000);
    u32(6000);
    u16(1);
    u16(8);
    wav8 += "data";
    u32(100);
    for (int i = 0; i < 100; ++i) wav8 += static_cast<char>(128 + (i % 20) * 4);
    test::writeFile(dir / "u8.wav", wav8);
    ASSERT_TRUE(encodeWavFile(dir / "u8.wav", el, error)) << error;
    ASSERT_TRUE(decodeElement(el, d, error));
    EXPECT_EQ(d.sampleRate, 6000u);
    EXPECT_EQ(d.samples.size(), 100u);

    // Not a WAV: refused with a reason.
    test::writeFile(dir / "junk.wav", "RIFF\x10\0\0\0WAVEjunkjunk");
    EXPECT_FALSE(encodeWavFile(dir / "junk.wav", el, error));
    EXPECT_FALSE(error.empty());
}

std::vector<std::uint8_t> readData(const std::string& name) {
    std::ifstream f(std::filesystem::path(ZADARAVOD_SOURCE_DIR) / "tests/image/data" / name,
                    std::ios::binary);
    return {std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
}

// Elements written by the first version of the codec (tests/image/data): the
// decoder must keep giving exactly the samples it gave then, whatever the
// encoder writes today.
TEST(ElementCodec, GoldenVersionOneElementsDecodeUnchanged) {
    for (const char* name : {"element-v1-tone", "element-v1-random"}) {
        SCOPED_TRACE(name);
        const auto element = readData(std::string(name) + ".rbf");
        const auto expected = readData(std::string(name) + ".s16");
        ASSERT_FALSE(element.empty());
        ASSERT_EQ(element[4], 1) << "not a version-1 element";
        DecodedElement d;
        std::string error;
        ASSERT_TRUE(decodeElement(element, d, error)) << error;
        ASSERT_EQ(d.samples.size() * 2, expected.size());
        for (std::size_t i = 0; i < d.samples.size(); ++i) {
            const auto want = static_cast<std::int16_t>(expected[2 * i] | expected[2 * i + 1] << 8);
            ASSERT_EQ(d.samples[i], want) << "sample " << i;
        }
    }
}

TEST(ElementCodec, CArrayHoldsEveryByte) {
    const std::vector<std::uint8_t> el = {0x00, 0xAB, 0xFF};
    const std::string text = elementAsCArray(el, "snd");
    EXPECT_NE(text.find("snd[3]"), std::string::npos);
    EXPECT_NE(text.find("0x00, 0xAB, 0xFF"), std::string::npos);
}

}  // namespace
}  // namespace zadaravod
