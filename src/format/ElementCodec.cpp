#include "format/ElementCodec.h"

#include <algorithm>
#include <cstdio>
#include <limits>

#include "format/ByteOrder.h"
#include "format/ElementCodecDetail.h"
#include "format/WavFile.h"

namespace zadaravod::element {

using detail::clamp16;
using detail::getBits;
using detail::signOf;
using le::get16;
using le::get32;
using le::put16;
using le::put32;

namespace {

constexpr std::array<std::int32_t, kStepCount> makeStepTable() {
    // step[0] = 1; each next step is the larger of step + 1 and step * 9 / 8
    // (integer division), so small steps grow by one and large ones by 12.5 %.
    std::array<std::int32_t, kStepCount> t{};
    t[0] = 1;
    for (int i = 1; i < kStepCount; ++i) t[i] = std::max(t[i - 1] + 1, t[i - 1] * 9 / 8);
    return t;
}

std::string at(std::size_t offset, const std::string& what) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "offset %zu", offset);
    return what + " (" + buf + ")";
}

/// The pole and zero adaptation both versions share, for a reconstructed
/// difference dq; s1, s2 and d are the values before this sample's shift.
template <typename State>
void adaptPoleZero(State& st, std::int32_t dq) {
    if (dq != 0) {
        const int sd = dq > 0 ? 1 : -1;
        st.a2 = std::clamp(st.a2 + sd * signOf(st.s2) * kPredictorStep, -kA2Limit, kA2Limit);
        const std::int32_t limit = kCoefOne - st.a2 - kStabilityMargin;
        st.a1 = std::clamp(st.a1 + sd * signOf(st.s1) * kPredictorStep, -limit, limit);
    }
    for (int i = 0; i < kZeroTaps; ++i) {
        st.b[i] = st.b[i] - (st.b[i] >> kZeroLeakShift) +
                  (dq == 0 ? 0 : signOf(dq) * signOf(st.d[i]) * kZeroStep);
        st.b[i] = std::clamp(st.b[i], -kZeroLimit, kZeroLimit);
    }
    for (int i = kZeroTaps - 1; i > 0; --i) st.d[i] = st.d[i - 1];
    st.d[0] = dq;
}

}  // namespace

const std::array<std::int32_t, kStepCount> kStepTable = makeStepTable();
const std::array<std::int8_t, 16> kIndexAdjust = {-1, -1, -1, -1, -1, 0, 0, 1,
                                                  1,  2,  2,  3,  4,  5, 6, 8};

const std::array<std::int32_t, 16> kLevels = {4,  12, 20,  28,  37,  46,  56,  67,
                                              79, 92, 106, 122, 140, 160, 183, 210};
const std::array<std::int32_t, 16> kLevelsV2 = {4,  12, 20,  28,  37,  46,  56,  67,
                                                79, 92, 106, 124, 146, 176, 224, 320};
std::int32_t codeDifference(std::uint8_t code, std::int32_t step) {
    const std::int32_t mag = (kLevels[code & 0x0F] * step) >> 3;
    return (code & 0x10) ? -mag : mag;
}

std::int32_t CodecState::predict() const {
    std::int64_t p = static_cast<std::int64_t>(a1) * s1 + static_cast<std::int64_t>(a2) * s2;
    for (int i = 0; i < kZeroTaps; ++i) p += static_cast<std::int64_t>(b[i]) * d[i];
    return clamp16(p >> 14);
}

std::int32_t CodecState::apply(std::uint8_t code) { return applyPredicted(code, predict()); }

std::int32_t CodecState::applyPredicted(std::uint8_t code, std::int32_t prediction) {
    const std::int32_t dq = codeDifference(code, kStepTable[static_cast<std::size_t>(stepIndex)]);
    const std::int32_t r = clamp16(static_cast<std::int64_t>(prediction) + dq);
    adaptPoleZero(*this, dq);
    stepIndex = std::clamp(stepIndex + kIndexAdjust[code & 0x0F], 0, kStepCount - 1);
    s2 = s1;
    s1 = r;
    return r;
}

std::int32_t CodecStateV2::predict() const {
    std::int64_t p = static_cast<std::int64_t>(a1) * s1 + static_cast<std::int64_t>(a2) * s2;
    for (int i = 0; i < kZeroTaps; ++i) p += static_cast<std::int64_t>(b[i]) * d[i];
    for (int i = 0; i < kLmsTaps; ++i) p += static_cast<std::int64_t>(w[i]) * h[i];
    return clamp16(p >> 14);
}

std::int32_t CodecStateV2::applyPredicted(std::uint8_t code, std::int32_t prediction) {
    const std::int32_t mag =
        (kLevelsV2[code & 0x0F] * kStepTable[static_cast<std::size_t>(stepIndex)]) >> 3;
    const std::int32_t dq = (code & 0x10) ? -mag : mag;
    const std::int32_t r = clamp16(static_cast<std::int64_t>(prediction) + dq);
    if (dq != 0) {
        const int sd = dq > 0 ? 1 : -1;
        for (int i = 0; i < kLmsTaps; ++i)
            w[i] = std::clamp(w[i] + sd * signOf(h[i]) * kLmsStep, -kLmsLimit, kLmsLimit);
    }
    adaptPoleZero(*this, dq);
    for (int i = kLmsTaps - 1; i > 0; --i) h[i] = h[i - 1];
    h[0] = s2;
    stepIndex = std::clamp(stepIndex + kIndexAdjust[code & 0x0F], 0, kStepCount - 1);
    s2 = s1;
    s1 = r;
    return r;
}

std::size_t elementSize(std::size_t sampleCount) {
    const std::size_t blocks = (sampleCount + kSamplesPerBlock - 1) / kSamplesPerBlock;
    return kHeaderBytes + blocks * kBlockBytes;
}

namespace {

/// The CRC of each byte value: the eight shift steps of one byte, done once.
constexpr std::array<std::uint16_t, 256> makeCrcTable() {
    std::array<std::uint16_t, 256> table{};
    for (std::size_t byte = 0; byte < 256; ++byte) {
        auto crc = static_cast<std::uint16_t>(byte << 8);
        for (int i = 0; i < 8; ++i)
            crc = static_cast<std::uint16_t>((crc & 0x8000) ? (crc << 1) ^ 0x1021 : crc << 1);
        table[byte] = crc;
    }
    return table;
}

constexpr std::array<std::uint16_t, 256> kCrcTable = makeCrcTable();

/// kCrcTables[k][b]: the CRC of byte b followed by k zero bytes, so that
/// eight bytes are folded in at once (an image's elements are megabytes).
constexpr std::array<std::array<std::uint16_t, 256>, 8> makeCrcTables() {
    std::array<std::array<std::uint16_t, 256>, 8> tables{};
    tables[0] = kCrcTable;
    for (std::size_t k = 1; k < 8; ++k)
        for (std::size_t b = 0; b < 256; ++b) {
            const std::uint16_t c = tables[k - 1][b];
            tables[k][b] = static_cast<std::uint16_t>((c << 8) ^ kCrcTable[c >> 8]);
        }
    return tables;
}

constexpr auto kCrcTables = makeCrcTables();

}  // namespace

std::uint16_t crc16(std::span<const std::uint8_t> bytes, std::uint16_t crc) {
    const std::uint8_t* p = bytes.data();
    std::size_t n = bytes.size();
    const auto& t = kCrcTables;
    for (; n >= 8; n -= 8, p += 8) {
        // The CRC lines up with the first two bytes; each byte then counts
        // as itself followed by the bytes after it in the eight.
        crc = static_cast<std::uint16_t>(t[7][p[0] ^ (crc >> 8)] ^ t[6][p[1] ^ (crc & 0xFF)] ^
                                         t[5][p[2]] ^ t[4][p[3]] ^ t[3][p[4]] ^ t[2][p[5]] ^
                                         t[1][p[6]] ^ t[0][p[7]]);
    }
    for (; n > 0; --n, ++p)
        crc = static_cast<std::uint16_t>((crc << 8) ^ kCrcTable[(crc >> 8) ^ *p]);
    return crc;
}

namespace detail {

void writeHeader(std::vector<std::uint8_t>& out, std::uint8_t version, std::uint32_t sampleRate,
                 std::uint32_t sampleCount, std::uint8_t initialStepIndex) {
    std::uint8_t* h = out.data();
    std::copy(std::begin(kMagic), std::end(kMagic), h);
    h[4] = version;
    h[5] = version == kVersion1 ? kCodecAdpcm5 : kCodecAdpcm5Lms;
    put16(h + 6, static_cast<std::uint16_t>(kHeaderBytes));
    put32(h + 8, sampleRate);
    put32(h + 12, sampleCount);
    put16(h + 16, static_cast<std::uint16_t>(kBlockBytes));
    h[18] = kSamplesPerBlock;
    h[19] = initialStepIndex;
    put32(h + 20, static_cast<std::uint32_t>(out.size() - kHeaderBytes));
}

void finishChecksum(std::vector<std::uint8_t>& out) {
    std::uint16_t crc = crc16(std::span<const std::uint8_t>(out.data(), 24));
    crc = crc16(std::span<const std::uint8_t>(out.data() + kHeaderBytes, out.size() - kHeaderBytes),
                crc);
    put16(out.data() + 24, crc);
}

}  // namespace detail

bool parseElementHeader(std::span<const std::uint8_t> bytes, ElementHeader& header,
                        std::string& error) {
    if (bytes.size() < kHeaderBytes) {
        error = at(bytes.size(), "element shorter than its 26-byte header");
        return false;
    }
    const std::uint8_t* h = bytes.data();
    if (!std::equal(std::begin(kMagic), std::end(kMagic), h)) {
        error = at(0, "no element magic \"LKEL\"");
        return false;
    }
    if (h[4] != kVersion1 && h[4] != kVersion2) {
        error = at(4, "unknown element version " + std::to_string(h[4]) +
                          " (this program reads versions 1 and 2)");
        return false;
    }
    if (h[5] != (h[4] == kVersion1 ? kCodecAdpcm5 : kCodecAdpcm5Lms)) {
        error = at(5, "unknown codec " + std::to_string(h[5]) + " for element version " +
                          std::to_string(h[4]));
        return false;
    }
    if (get16(h + 6) != kHeaderBytes || get16(h + 16) != kBlockBytes || h[18] != kSamplesPerBlock) {
        error = at(6, "header, block or sample-per-block size is not 26/42/65");
        return false;
    }
    header.version = h[4];
    header.sampleRate = get32(h + 8);
    header.sampleCount = get32(h + 12);
    header.initialStepIndex = h[19];
    header.dataBytes = get32(h + 20);
    header.crc = get16(h + 24);
    if (header.sampleRate == 0) {
        error = at(8, "sampling rate 0");
        return false;
    }
    if (header.initialStepIndex >= kStepCount) {
        error = at(19, "initial step index out of range");
        return false;
    }
    if (header.sampleCount > kMaxSamples ||
        header.dataBytes != elementSize(header.sampleCount) - kHeaderBytes) {
        error =
            at(20, "data length " + std::to_string(header.dataBytes) +
                       " does not match the sample count " + std::to_string(header.sampleCount));
        return false;
    }
    return true;
}

bool decodeElement(std::span<const std::uint8_t> bytes, DecodedElement& out, std::string& error) {
    ElementHeader header;
    if (!parseElementHeader(bytes, header, error)) return false;
    if (bytes.size() < header.elementBytes()) {
        error = at(bytes.size(), "element truncated: " + std::to_string(header.elementBytes()) +
                                     " bytes expected");
        return false;
    }
    std::uint16_t crc = crc16(bytes.first(24));
    crc = crc16(bytes.subspan(kHeaderBytes, header.dataBytes), crc);
    if (crc != header.crc) {
        error = at(24, "element checksum mismatch");
        return false;
    }
    out.sampleRate = header.sampleRate;
    out.samples.clear();
    out.samples.reserve(header.sampleCount);
    if (header.version == kVersion1) {
        CodecState state;
        state.stepIndex = header.initialStepIndex;
        for (std::size_t b = 0; b < header.blockCount(); ++b) {
            const std::uint8_t* blk = bytes.data() + kHeaderBytes + b * kBlockBytes;
            const auto raw = static_cast<std::int16_t>(get16(blk));
            state.takeRaw(raw);
            out.samples.push_back(raw);
            for (std::size_t i = 0; i < kCodesPerBlock; ++i) {
                const auto code = static_cast<std::uint8_t>(getBits(blk + 2, 40, 5 * i, 5));
                out.samples.push_back(static_cast<std::int16_t>(state.apply(code)));
            }
        }
    } else {
        CodecStateV2 state;
        state.stepIndex = header.initialStepIndex;
        for (std::size_t b = 0; b < header.blockCount(); ++b) {
            const std::uint8_t* blk = bytes.data() + kHeaderBytes + b * kBlockBytes;
            detail::StepFloor floor;
            floor.position = static_cast<std::uint8_t>(getBits(blk, kBlockBytes, 0, 6));
            floor.value = static_cast<std::uint8_t>(getBits(blk, kBlockBytes, 6, 5));
            for (std::size_t i = 0; i < kCodesPerBlockV2; ++i) {
                floor.raise(i, state.stepIndex);
                const auto code =
                    static_cast<std::uint8_t>(getBits(blk, kBlockBytes, 11 + 5 * i, 5));
                out.samples.push_back(static_cast<std::int16_t>(state.apply(code)));
            }
        }
    }
    out.samples.resize(header.sampleCount);
    return true;
}

bool readWavForElement(const std::filesystem::path& wav, std::vector<std::int16_t>& samples,
                       std::uint32_t& sampleRate, std::string& error) {
    WavData data;
    if (!readWav(wav, data, error)) return false;
    if (data.sampleRate <= 0) {
        error = wav.string() + ": sampling rate " + std::to_string(data.sampleRate);
        return false;
    }
    if (data.channels != 1 && data.channels != 2) {
        error = wav.string() + ": " + std::to_string(data.channels) +
                " channels (only mono or stereo is converted)";
        return false;
    }
    samples = data.mono();
    if (samples.size() > kMaxSamples) {
        error = wav.string() + ": too long for one sound element";
        samples.clear();
        return false;
    }
    sampleRate = static_cast<std::uint32_t>(data.sampleRate);
    return true;
}

bool encodeWavFile(const std::filesystem::path& wav, std::vector<std::uint8_t>& element,
                   std::string& error, const EncoderOptions& options) {
    std::vector<std::int16_t> mono;
    std::uint32_t rate = 0;
    if (!readWavForElement(wav, mono, rate, error)) return false;
    element = encodeElement(mono, rate, options);
    return true;
}

std::string elementHeaderText(std::span<const std::uint8_t> element,
                              const std::string& elementFileName) {
    std::string name;
    for (const char c : elementFileName) {
        const auto u = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\' || c == '?') {
            name += '\\';
            name += c;
        } else if (u < 0x20 || u == 0x7F) {
            char octal[8];
            std::snprintf(octal, sizeof octal, "\\%03o", u);
            name += octal;
        } else {
            name += c;  // UTF-8 bytes stand as they are
        }
    }
    const int version = element.size() > 4 ? element[4] : 0;
    const std::string size = std::to_string(element.size());
    return "/* A sound element (LKEL version " + std::to_string(version) + "), " + size +
           " bytes. */\n#define SOUND_ELEMENT_FILE \"" + name +
           "\"\n#define SOUND_ELEMENT_VERSION " + std::to_string(version) +
           "\n#define SOUND_ELEMENT_BYTES " + size + "\n";
}

}  // namespace zadaravod::element
