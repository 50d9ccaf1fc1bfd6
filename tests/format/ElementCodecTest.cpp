#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <random>

#include "format/ElementCodec.h"
#include "format/EncoderStateV2.h"
#include "support/CodecSignals.h"
#include "support/ImageFixtures.h"

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

EncoderOptions version(std::uint8_t v) {
    EncoderOptions o;
    o.version = v;
    return o;
}

TEST(ElementCodec, TenMillisecondSilenceIsSixtyEightBytesAndDecodesToZeros) {
    const std::vector<std::int16_t> silence(40, 0);
    for (std::uint8_t v : {kVersion1, kVersion2}) {
        SCOPED_TRACE(int(v));
        const auto bytes = encodeElement(silence, 4000, version(v));
        ASSERT_EQ(bytes.size(), 68u);
        EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 4), "LKEL");
        EXPECT_EQ(bytes[4], v);
        EXPECT_EQ(bytes[5], v);     // codec byte: 1 with version 1, 2 with version 2
        EXPECT_EQ(bytes[8], 0xA0);  // 4000 Hz, little-endian
        EXPECT_EQ(bytes[9], 0x0F);
        EXPECT_EQ(bytes[12], 40);  // sample count
        EXPECT_EQ(bytes[20], 42);  // data bytes: one block
        EXPECT_EQ(roundTrip(silence, 4000, version(v)), silence);
    }
    // The converter's default is the newest version.
    EXPECT_EQ(encodeElement(silence, 4000)[4], kVersion);
}

TEST(ElementCodec, SizeIsHeaderPlusWholeBlocks) {
    EXPECT_EQ(elementSize(0), 26u);
    EXPECT_EQ(elementSize(1), 68u);
    EXPECT_EQ(elementSize(65), 68u);
    EXPECT_EQ(elementSize(66), 110u);
    for (std::uint8_t v : {kVersion1, kVersion2}) {
        for (std::size_t n : {0u, 1u, 64u, 65u, 66u, 1000u}) {
            const auto x = sine(300, 8000, n);
            EXPECT_EQ(encodeElement(x, 8000, version(v)).size(), elementSize(n));
            EXPECT_EQ(roundTrip(x, 8000, version(v)).size(), n);
        }
    }
}

TEST(ElementCodec, VersionOneStoresTheFirstSampleOfEveryBlockExactly) {
    const auto x = sine(1234, 8000, 650, 30000);
    const auto y = roundTrip(x, 8000, version(kVersion1));
    for (std::size_t b = 0; b < 10; ++b) EXPECT_EQ(y[65 * b], x[65 * b]) << "block " << b;
}

TEST(ElementCodec, EncodingIsDeterministic) {
    const auto x = signals::music(8000, 1.0);
    for (std::uint8_t v : {kVersion1, kVersion2})
        EXPECT_EQ(encodeElement(x, 8000, version(v)), encodeElement(x, 8000, version(v)));
    EncoderOptions beam = version(kVersion1);
    beam.beamWidth = 3;
    beam.spread = 1;
    EXPECT_EQ(encodeElement(x, 8000, beam), encodeElement(x, 8000, beam));
}

// Floors a few dB below what the encoders reach today (see the quality
// benchmark): a broken predictor, quantizer, step floor search or packing
// falls well below them.
TEST(ElementCodec, QualityFloorPerSignalKind) {
    struct Case {
        const char* name;
        std::vector<std::int16_t> x;
        std::uint32_t rate;
        double floorV2, floorV1;
    };
    const Case cases[] = {
        {"sine 440 Hz", signals::sine(440, 8000, 8000), 8000, 45.0, 40.0},
        {"sine 3 kHz", signals::sine(3000, 8000, 8000), 8000, 42.0, 37.0},
        {"chirp", signals::chirp(100, 10000, 22000, 1.0), 22000, 53.0, 46.0},
        {"music", signals::music(8000, 2.0), 8000, 26.0, 25.0},
        {"square", signals::square(440, 16000, 16000), 16000, 16.0, 8.0},
        {"white noise", signals::whiteNoise(16000, 5000), 8000, 23.0, 22.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const double v2 = snrDb(c.x, roundTrip(c.x, c.rate, version(kVersion2)));
        const double v1 = snrDb(c.x, roundTrip(c.x, c.rate, version(kVersion1)));
        EXPECT_GT(v2, c.floorV2);
        EXPECT_GT(v1, c.floorV1);
        // Version 2 is the better coder on every kind of signal.
        EXPECT_GT(v2, v1);
    }
    // Without its step floor search version 2 loses most on a square wave.
    const auto sq = signals::square(440, 16000, 16000);
    EncoderOptions noFloor;
    noFloor.floorSpread = 0;
    EXPECT_GT(snrDb(sq, roundTrip(sq, 16000)), snrDb(sq, roundTrip(sq, 16000, noFloor)) + 3.0);
    // The version-1 search is never worse than its greedy coder.
    const auto s = sine(700, 8000, 8000);
    EncoderOptions beam = version(kVersion1);
    beam.beamWidth = 4;
    beam.spread = 1;
    EXPECT_GE(snrDb(s, roundTrip(s, 8000, beam)) + 0.01,
              snrDb(s, roundTrip(s, 8000, version(kVersion1))));
}

TEST(ElementCodec, ExtremeSignalsStayBounded) {
    std::vector<std::int16_t> square(4000), nyquist(4000);
    for (std::size_t i = 0; i < 4000; ++i) {
        square[i] = (i / 20) % 2 ? 32767 : -32768;
        nyquist[i] = i % 2 ? 32767 : -32768;
    }
    for (std::uint8_t v : {kVersion1, kVersion2}) {
        SCOPED_TRACE(int(v));
        EXPECT_GT(snrDb(square, roundTrip(square, 8000, version(v))), 5.0);
        EXPECT_GT(snrDb(nyquist, roundTrip(nyquist, 8000, version(v))), 20.0);
    }
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

    // Versions and codecs pair up: 1 with 1, 2 with 2; nothing else is read.
    auto withChecksum = [](std::vector<std::uint8_t> e) {
        std::uint16_t crc = crc16(std::span<const std::uint8_t>(e.data(), 24));
        crc = crc16(std::span<const std::uint8_t>(e.data() + 26, e.size() - 26), crc);
        e[24] = static_cast<std::uint8_t>(crc);
        e[25] = static_cast<std::uint8_t>(crc >> 8);
        return e;
    };
    for (auto [v, codec] : {std::pair{0, 1}, {3, 1}, {3, 2}, {1, 2}, {2, 1}, {2, 0}}) {
        bad = good;
        bad[4] = static_cast<std::uint8_t>(v);
        bad[5] = static_cast<std::uint8_t>(codec);
        EXPECT_FALSE(decodeElement(withChecksum(bad), d, error)) << v << "/" << codec;
        EXPECT_NE(error.find(v == 1 || v == 2 ? "offset 5" : "offset 4"), std::string::npos)
            << error;
    }
    bad = good;
    bad[4] = 1;
    bad[5] = 1;
    EXPECT_TRUE(decodeElement(withChecksum(bad), d, error)) << error;  // the same bits as version 1
    bad = good;
    bad[19] = 64;  // initial step index beyond the table
    EXPECT_FALSE(decodeElement(withChecksum(bad), d, error));
    EXPECT_NE(error.find("offset 19"), std::string::npos) << error;
}

// A version-2 block built by hand: zero codes, with and without a floor.
TEST(ElementCodec, VersionTwoStepFloorActsFromItsPosition) {
    std::vector<std::uint8_t> e = encodeElement(std::vector<std::int16_t>(65, 0), 8000);
    ASSERT_EQ(e[4], 2);
    auto recrc = [&] {
        std::uint16_t crc = crc16(std::span<const std::uint8_t>(e.data(), 24));
        crc = crc16(std::span<const std::uint8_t>(e.data() + 26, e.size() - 26), crc);
        e[24] = static_cast<std::uint8_t>(crc);
        e[25] = static_cast<std::uint8_t>(crc >> 8);
    };
    DecodedElement d;
    std::string error;
    ASSERT_TRUE(decodeElement(e, d, error)) << error;
    EXPECT_EQ(d.samples, std::vector<std::int16_t>(65, 0));  // f = 0: all zeros
    for (std::uint8_t p : {10, 40}) {
        SCOPED_TRACE(int(p));
        // Floor position p, value 20: bits 0..5 = p, bits 6..10 = 20.
        e[26] = static_cast<std::uint8_t>(p | (20 & 3) << 6);
        e[27] = static_cast<std::uint8_t>(20 >> 2);
        recrc();
        ASSERT_TRUE(decodeElement(e, d, error)) << error;
        for (std::size_t i = 0; i < p; ++i) EXPECT_EQ(d.samples[i], 0) << i;
        // At code p the step index is 40 (step 257): magnitude 0 gives (4 x 257) >> 3.
        EXPECT_EQ(d.samples[p], 128);
        // The floor holds the step for the rest of the block: the zero codes
        // keep adding, where a step left to fall would reach 1 (adding 0)
        // within 40 codes.
        for (std::size_t i = p + 1; i < 65; ++i) EXPECT_GE(d.samples[i], d.samples[i - 1]) << i;
    }
    EXPECT_GT(d.samples[64], d.samples[41] + 50);
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
    std::ifstream f(std::filesystem::path(ZADARAVOD_SOURCE_DIR) / "tests/format/data" / name,
                    std::ios::binary);
    return {std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
}

// Elements written by the first encoder of each version (tests/format/data):
// the decoder must keep giving exactly the samples it gave then, whatever the
// encoder writes today.
TEST(ElementCodec, GoldenElementsOfBothVersionsDecodeUnchanged) {
    for (const char* name :
         {"element-v1-tone", "element-v1-random", "element-v2-square", "element-v2-random"}) {
        SCOPED_TRACE(name);
        const auto element = readData(std::string(name) + ".rbf");
        const auto expected = readData(std::string(name) + ".s16");
        ASSERT_FALSE(element.empty());
        ASSERT_EQ(element[4], name[9] - '0') << "not the version the name says";
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

TEST(ElementCodec, CrcIsCcittFalse) {
    const std::string check = "123456789";
    EXPECT_EQ(crc16(std::span<const std::uint8_t>(
                  reinterpret_cast<const std::uint8_t*>(check.data()), check.size())),
              0x29B1);
    // Fed in two pieces, the CRC carries over.
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(check.data());
    EXPECT_EQ(crc16(std::span(bytes + 4, 5), crc16(std::span(bytes, 4))), 0x29B1);
    // Eight bytes at a time give what one at a time gives, at every length
    // and every way of splitting the bytes.
    std::vector<std::uint8_t> data(300);
    for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<std::uint8_t>(i * 151 + 7);
    for (std::size_t n = 0; n <= data.size(); n += 13) {
        std::uint16_t oneByOne = 0xFFFF;
        for (std::size_t i = 0; i < n; ++i)
            oneByOne = crc16(std::span(data.data() + i, 1), oneByOne);
        EXPECT_EQ(crc16(std::span(data.data(), n)), oneByOne) << n;
        const std::size_t half = n / 3;
        EXPECT_EQ(
            crc16(std::span(data.data() + half, n - half), crc16(std::span(data.data(), half))),
            oneByOne)
            << n;
    }
}

// The encoder runs version 2's decoder in a faster form of its own; for any
// codes it must reconstruct exactly what the decoder does, or the encoder
// would choose codes for samples the chip never plays. The sequences drive
// every clamp: long runs of the top level pin the output at full scale and
// push the long predictor's weights to their limit.
TEST(ElementCodec, TheEncodersStateDecodesExactlyAsTheDecoder) {
    std::mt19937 rng(11);
    std::vector<std::vector<std::uint8_t>> sequences(4);
    for (int i = 0; i < 60000; ++i) sequences[0].push_back(static_cast<std::uint8_t>(rng() % 32));
    sequences[1].assign(40000, 0x0F);  // up at the top level throughout
    for (int i = 0; i < 40000; ++i)    // the top level, up and down in turn
        sequences[2].push_back(i % 2 == 0 ? 0x0F : 0x1F);
    for (int i = 0; i < 60000; ++i)  // small codes with rare large ones
        sequences[3].push_back(static_cast<std::uint8_t>(rng() % 50 == 0 ? rng() % 32 : rng() % 4));
    for (std::size_t n = 0; n < sequences.size(); ++n) {
        CodecStateV2 reference;
        detail::EncoderStateV2 fast;
        reference.stepIndex = fast.stepIndex = 3;
        bool pinnedHigh = false, pinnedLow = false;
        for (std::size_t i = 0; i < sequences[n].size(); ++i) {
            const std::uint8_t code = sequences[n][i];
            ASSERT_EQ(fast.predict(), reference.predict()) << "sequence " << n << ", code " << i;
            const std::int32_t want = reference.apply(code);
            ASSERT_EQ(fast.applyPredicted(code, fast.predict()), want)
                << "sequence " << n << ", code " << i;
            ASSERT_EQ(fast.stepIndex, reference.stepIndex);
            for (std::size_t t = 0; t < static_cast<std::size_t>(kLmsTaps); ++t)
                ASSERT_EQ(fast.w[t], reference.w[t]) << "sequence " << n << ", code " << i;
            for (std::int32_t weight : reference.w) {
                pinnedHigh = pinnedHigh || weight == kLmsLimit;
                pinnedLow = pinnedLow || weight == -kLmsLimit;
            }
        }
        if (n == 2) {
            EXPECT_TRUE(pinnedHigh && pinnedLow) << "the weights never reached both limits";
        }
    }
}

TEST(ElementCodec, HeaderTextNamesTheFileAsACString) {
    std::vector<std::uint8_t> el(68, 0);
    el[4] = 2;
    const std::string text = elementHeaderText(el, "a \"b\"\\c?\n.wav.rbf");
    EXPECT_NE(text.find("#define SOUND_ELEMENT_FILE \"a \\\"b\\\"\\\\c\\?\\012.wav.rbf\"\n"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("#define SOUND_ELEMENT_BYTES 68\n"), std::string::npos) << text;
    EXPECT_NE(text.find("#define SOUND_ELEMENT_VERSION 2\n"), std::string::npos) << text;
    EXPECT_LT(std::count(text.begin(), text.end(), '\n'), 6);  // a few lines, not the bytes
}

}  // namespace
}  // namespace zadaravod
