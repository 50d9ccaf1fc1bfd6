// The batch encoder against the one-element encoder: every element must come
// out byte for byte the same, on every instruction-set path the processor
// runs, for sounds of every kind and length mixed in one batch.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <random>
#include <span>
#include <string>
#include <vector>

#include "format/BatchEncoder.h"
#include "format/ElementCodec.h"

namespace zadaravod::element {
namespace {

struct Sound {
    std::string name;
    std::vector<std::int16_t> samples;
    std::uint32_t rate = 8000;
};

std::int16_t clip(double v) {
    return static_cast<std::int16_t>(std::lround(std::clamp(v, -32768.0, 32767.0)));
}

/// Sounds that exercise the coder: silence, tones, floors (square waves,
/// attacks), noise, full-scale clipping, and lengths around a block.
std::vector<Sound> testSounds() {
    std::vector<Sound> sounds;
    std::mt19937 rng(20261209);
    std::normal_distribution<double> gauss(0, 1);
    const auto add = [&](std::string name, std::size_t n, auto f, std::uint32_t rate = 8000) {
        Sound s{std::move(name), {}, rate};
        for (std::size_t i = 0; i < n; ++i) s.samples.push_back(f(i));
        sounds.push_back(std::move(s));
    };
    for (std::size_t n : {0, 1, 2, 64, 65, 66, 129, 130, 131})
        add("noise " + std::to_string(n), n, [&](std::size_t) { return clip(6000 * gauss(rng)); });
    add("silence", 3000, [](std::size_t) { return std::int16_t{0}; });
    add(
        "sine", 5000, [](std::size_t i) { return clip(12000 * std::sin(i * 0.345)); }, 16000);
    add("square", 4000, [](std::size_t i) { return std::int16_t((i / 18) % 2 ? 20000 : -20000); });
    add("full-scale square", 2000,
        [](std::size_t i) { return std::int16_t((i / 7) % 2 ? 32767 : -32768); });
    add("attacks", 6000, [&](std::size_t i) {
        return clip((i % 700 < 15 ? 0 : 28000 * std::exp(-double(i % 700) / 200.0)) *
                        std::sin(i * 0.9) +
                    300 * gauss(rng));
    });
    add("clipped noise", 3000, [&](std::size_t) { return clip(40000 * gauss(rng)); });
    add("sine and noise", 9000, [&](std::size_t i) {
        return clip(9000 * std::sin(2 * M_PI * 457 * double(i) / 8000) + 1500 * gauss(rng));
    });
    add(
        "chirp", 7000,
        [](std::size_t i) { return clip(15000 * std::sin(1e-4 * double(i) * double(i))); }, 22050);
    add("alternating extremes", 700,
        [](std::size_t i) { return std::int16_t(i % 2 ? 32767 : -32768); });
    return sounds;
}

std::string pathName(const ::testing::TestParamInfo<BatchPath>& info) {
    switch (info.param) {
        case BatchPath::Automatic:
            return "Automatic";
        case BatchPath::Portable:
            return "Portable";
        case BatchPath::Avx2:
            return "Avx2";
        case BatchPath::Avx512:
            return "Avx512";
    }
    return "Unknown";
}

/// Blocks of `element` that carry a step floor (field bits 6..10).
int blocksWithFloors(const std::vector<std::uint8_t>& element) {
    int n = 0;
    for (std::size_t at = kHeaderBytes; at + kBlockBytes <= element.size(); at += kBlockBytes)
        n += ((element[at] >> 6) | ((element[at + 1] & 7) << 2)) != 0 ? 1 : 0;
    return n;
}

/// Encodes `sounds` in one batch on `path`, expects each element to be the
/// one-element encoder's, and returns how many blocks carry a floor.
int expectSameAsOneByOne(const std::vector<Sound>& sounds, BatchPath path) {
    std::vector<std::span<const std::int16_t>> spans;
    std::vector<std::uint32_t> rates;
    for (const Sound& s : sounds) {
        spans.emplace_back(s.samples);
        rates.push_back(s.rate);
    }
    const std::vector<std::vector<std::uint8_t>> batch = encodeElements(spans, rates, path);
    EXPECT_EQ(batch.size(), sounds.size());
    int floors = 0;
    for (std::size_t i = 0; i < std::min(batch.size(), sounds.size()); ++i) {
        const std::vector<std::uint8_t> one = encodeElement(sounds[i].samples, sounds[i].rate);
        EXPECT_EQ(batch[i].size(), one.size()) << sounds[i].name;
        std::size_t first = 0;
        while (first < one.size() && first < batch[i].size() && batch[i][first] == one[first])
            ++first;
        EXPECT_EQ(first, one.size()) << sounds[i].name << ": first differing byte";
        floors += blocksWithFloors(batch[i]);
    }
    return floors;
}

class BatchEncoderPaths : public ::testing::TestWithParam<BatchPath> {};

TEST_P(BatchEncoderPaths, MixedBatchMatchesOneElementEncoder) {
    if (!batchPathAvailable(GetParam())) GTEST_SKIP() << "the processor lacks this path";
    // The floor trials ran and chose floors, not only the greedy pass.
    EXPECT_GT(expectSameAsOneByOne(testSounds(), GetParam()), 20);
}

TEST_P(BatchEncoderPaths, BatchesLargerThanTheLanesRefillThem) {
    if (!batchPathAvailable(GetParam())) GTEST_SKIP() << "the processor lacks this path";
    // Many sounds of varied lengths: lanes finish at different blocks and
    // take the next sound, more than once.
    std::vector<Sound> sounds;
    std::mt19937 rng(7);
    std::uniform_int_distribution<int> length(0, 2000);
    std::normal_distribution<double> gauss(0, 1);
    for (int k = 0; k < 3 * static_cast<int>(batchLanes(GetParam())) + 5; ++k) {
        Sound s{"sound " + std::to_string(k), {}, 8000u + static_cast<std::uint32_t>(k)};
        const int n = length(rng);
        const double f = 0.01 + 0.02 * k, a = 500.0 * (k % 40);
        for (int i = 0; i < n; ++i)
            s.samples.push_back(clip(a * std::sin(f * i) + (k % 3) * 800 * gauss(rng)));
        sounds.push_back(std::move(s));
    }
    expectSameAsOneByOne(sounds, GetParam());
}

TEST_P(BatchEncoderPaths, OneSoundAndNone) {
    if (!batchPathAvailable(GetParam())) GTEST_SKIP() << "the processor lacks this path";
    expectSameAsOneByOne({}, GetParam());
    std::vector<Sound> one = testSounds();
    one.erase(one.begin(), one.end() - 1);
    expectSameAsOneByOne(one, GetParam());
}

INSTANTIATE_TEST_SUITE_P(Paths, BatchEncoderPaths,
                         ::testing::Values(BatchPath::Automatic, BatchPath::Portable,
                                           BatchPath::Avx2, BatchPath::Avx512),
                         pathName);

TEST(BatchEncoder, RefusesMismatchedRatesAndMissingPaths) {
    const std::vector<std::int16_t> x(100, 5);
    const std::vector<std::span<const std::int16_t>> spans{x, x};
    const std::vector<std::uint32_t> rates{8000};
    EXPECT_THROW(encodeElements(spans, rates), std::invalid_argument);
    EXPECT_TRUE(batchPathAvailable(BatchPath::Portable));
    EXPECT_GT(batchLanes(BatchPath::Automatic), 0u);
    for (BatchPath p : {BatchPath::Avx2, BatchPath::Avx512}) {
        if (!batchPathAvailable(p)) {
            EXPECT_EQ(batchLanes(p), 0u);
            EXPECT_THROW(encodeElements(spans, std::vector<std::uint32_t>{1, 2}, p),
                         std::invalid_argument);
        }
    }
}

}  // namespace
}  // namespace zadaravod::element
