#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

namespace zadaravod::element {

// The sound element (".rbf"): the bytes the chip decodes for one sound.
// docs/element-format.md describes every byte; the constants below are the
// ones the document names.

inline constexpr std::size_t kHeaderBytes = 26;
inline constexpr std::size_t kBlockBytes = 42;
inline constexpr std::size_t kSamplesPerBlock = 65;  ///< 1 raw sample + 64 coded
inline constexpr std::size_t kCodesPerBlock = 64;    ///< version 1: after the raw sample
inline constexpr std::uint8_t kMagic[4] = {'L', 'K', 'E', 'L'};
/// The version the encoder writes by default; the decoder reads 1 and 2.
inline constexpr std::uint8_t kVersion = 2;
/// Raised whenever the encoder starts writing other bytes for the same
/// input (a new search, other defaults), so that kept elements are made again.
inline constexpr int kEncoderRevision = 2;
inline constexpr std::uint8_t kVersion1 = 1;
inline constexpr std::uint8_t kVersion2 = 2;
inline constexpr std::uint8_t kCodecAdpcm5 = 1;     ///< the codec byte of version 1
inline constexpr std::uint8_t kCodecAdpcm5Lms = 2;  ///< the codec byte of version 2
/// Version 2: every block codes all 65 samples after an 11-bit step floor.
inline constexpr std::size_t kCodesPerBlockV2 = 65;
inline constexpr int kFloorPositionBits = 6;
inline constexpr int kFloorValueBits = 5;
/// The largest sample count an element can describe (the field is 32 bits,
/// and the data length must stay a 32-bit figure as well).
inline constexpr std::uint32_t kMaxSamples = 0x7FFFFFFFu / kBlockBytes * kSamplesPerBlock;

inline constexpr int kStepCount = 64;
/// Quantizer step sizes by step index.
extern const std::array<std::int32_t, kStepCount> kStepTable;
/// Step index change by code magnitude (the low four bits of a code).
extern const std::array<std::int8_t, 16> kIndexAdjust;
/// Reconstruction levels by code magnitude, in eighths of a step.
extern const std::array<std::int32_t, 16> kLevels;
/// Version 2's levels: the same below magnitude 11, wider above, so that a
/// step reaches a sudden jump sooner.
extern const std::array<std::int32_t, 16> kLevelsV2;

/// Predictor coefficient limits and adaptation, in Q14 (16384 = 1.0).
inline constexpr std::int32_t kCoefOne = 16384;
inline constexpr std::int32_t kPredictorStep = 32;
inline constexpr std::int32_t kA2Limit = 15872;        ///< |a2| <= 0.96875
inline constexpr std::int32_t kStabilityMargin = 256;  ///< |a1| <= 1 - a2 - 1/64
inline constexpr int kZeroTaps = 6;
inline constexpr std::int32_t kZeroStep = 48;
inline constexpr int kZeroLeakShift = 8;  ///< b -= b >> 8 every sample
inline constexpr std::int32_t kZeroLimit = 32767;
/// Version 2's long predictor: sign-sign LMS weights over the 16
/// reconstructed samples before s2.
inline constexpr int kLmsTaps = 16;
inline constexpr std::int32_t kLmsStep = 4;
inline constexpr std::int32_t kLmsLimit = 32767;

/// The decoder state that carries from sample to sample and block to block.
struct CodecState {
    std::int32_t s1 = 0;  ///< last reconstructed sample
    std::int32_t s2 = 0;  ///< the one before
    std::int32_t a1 = 0;  ///< predictor coefficients, Q14
    std::int32_t a2 = 0;
    std::array<std::int32_t, kZeroTaps> b{};  ///< zero-part coefficients, Q14
    std::array<std::int32_t, kZeroTaps> d{};  ///< last reconstructed differences, newest first
    std::int32_t stepIndex = 0;

    /// The predicted value of the next sample, clamped to 16 bits.
    std::int32_t predict() const;
    /// Applies one 5-bit code: reconstructs the sample, adapts the predictor
    /// and the step. Returns the reconstructed sample.
    std::int32_t apply(std::uint8_t code);
    /// apply() with predict() already computed.
    std::int32_t applyPredicted(std::uint8_t code, std::int32_t prediction);
    /// Takes a raw sample (the first of a block): history only.
    void takeRaw(std::int32_t sample) {
        s2 = s1;
        s1 = sample;
    }
};

/// Version 2's decoder state: version 1's pole-zero predictor plus a 16-tap
/// sign-sign LMS predictor over older samples, and the wider levels.
struct CodecStateV2 {
    std::int32_t s1 = 0;
    std::int32_t s2 = 0;
    std::int32_t a1 = 0;
    std::int32_t a2 = 0;
    std::array<std::int32_t, kZeroTaps> b{};
    std::array<std::int32_t, kZeroTaps> d{};
    std::array<std::int32_t, kLmsTaps> w{};  ///< LMS weights, Q14
    std::array<std::int32_t, kLmsTaps> h{};  ///< samples before s2, newest first
    std::int32_t stepIndex = 0;

    std::int32_t predict() const;
    /// Applies one 5-bit code with predict() already computed; returns the
    /// reconstructed sample.
    std::int32_t applyPredicted(std::uint8_t code, std::int32_t prediction);
    std::int32_t apply(std::uint8_t code) { return applyPredicted(code, predict()); }
};

/// The reconstructed difference of a code at a step size (sign applied).
std::int32_t codeDifference(std::uint8_t code, std::int32_t step);

/// Fields of the 26-byte header.
struct ElementHeader {
    std::uint8_t version = 0;  ///< 1 or 2
    std::uint32_t sampleRate = 0;
    std::uint32_t sampleCount = 0;
    std::uint8_t initialStepIndex = 0;
    std::uint32_t dataBytes = 0;  ///< blocks x 42
    std::uint16_t crc = 0;

    std::size_t blockCount() const { return dataBytes / kBlockBytes; }
    std::size_t elementBytes() const { return kHeaderBytes + dataBytes; }
};

/// Bytes of the element of `sampleCount` samples.
std::size_t elementSize(std::size_t sampleCount);

struct EncoderOptions {
    /// The element version written: 2 (the default), or 1 for decoders that
    /// know only version 1.
    std::uint8_t version = kVersion;
    /// Version 1 only: paths kept by the delayed-decision search; 1 is a
    /// plain greedy coder.
    int beamWidth = 1;
    /// Version 1 only: candidate quantizer levels tried around the nearest
    /// one on each side.
    int spread = 0;
    /// Version 2 only: step floors tried in a block (around the one that fits
    /// the block's worst error) on each side; 0 writes no floor.
    int floorSpread = 2;
};

/// Encodes mono 16-bit samples at `sampleRate` Hz. Deterministic: the same
/// input and options give the same bytes. `samples.size()` must not exceed
/// kMaxSamples (the caller checks; larger inputs are cut there). A version
/// other than 1 or 2 in `options` is taken as 2.
std::vector<std::uint8_t> encodeElement(std::span<const std::int16_t> samples,
                                        std::uint32_t sampleRate,
                                        const EncoderOptions& options = {});

/// Reads and checks the header of an element that is `bytes` long or longer
/// (trailing bytes are ignored). On failure `error` says what is wrong and at
/// which offset inside the element.
bool parseElementHeader(std::span<const std::uint8_t> bytes, ElementHeader& header,
                        std::string& error);

struct DecodedElement {
    std::uint32_t sampleRate = 0;
    std::vector<std::int16_t> samples;
};

/// Decodes an element (header checked, CRC verified). Never reads outside
/// `bytes`; allocation is bounded by the bytes present.
bool decodeElement(std::span<const std::uint8_t> bytes, DecodedElement& out, std::string& error);

/// CRC-16/CCITT-FALSE (polynomial 0x1021, initial 0xFFFF, no reflection).
std::uint16_t crc16(std::span<const std::uint8_t> bytes, std::uint16_t crc = 0xFFFF);

/// Reads a WAV file as encodeWavFile() does, without encoding it: its
/// samples mixed to mono and its rate. Anything else is refused with a reason.
bool readWavForElement(const std::filesystem::path& wav, std::vector<std::int16_t>& samples,
                       std::uint32_t& sampleRate, std::string& error);

/// Reads a WAV file (PCM 8 or 16 bits, mono or stereo, any rate), mixes it
/// to mono as (L+R)/2 and encodes it. Anything else is refused with a reason.
bool encodeWavFile(const std::filesystem::path& wav, std::vector<std::uint8_t>& element,
                   std::string& error, const EncoderOptions& options = {});

/// The ".rbf.h" text: a short C header that names the element file
/// `elementFileName` (written as a C string) and gives its version and size
/// in bytes, as SOUND_ELEMENT_FILE, SOUND_ELEMENT_VERSION and
/// SOUND_ELEMENT_BYTES.
std::string elementHeaderText(std::span<const std::uint8_t> element,
                              const std::string& elementFileName);

}  // namespace zadaravod::element
