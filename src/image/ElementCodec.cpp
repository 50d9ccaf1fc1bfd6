#include "image/ElementCodec.h"

#include <algorithm>
#include <cstdio>
#include <limits>

#include "tools/WavFile.h"

namespace zadaravod::element {

namespace {

constexpr std::array<std::int32_t, kStepCount> makeStepTable() {
    // step[0] = 1; each next step is the larger of step + 1 and step * 9 / 8
    // (integer division), so small steps grow by one and large ones by 12.5 %.
    std::array<std::int32_t, kStepCount> t{};
    t[0] = 1;
    for (int i = 1; i < kStepCount; ++i) t[i] = std::max(t[i - 1] + 1, t[i - 1] * 9 / 8);
    return t;
}

std::int32_t clamp16(std::int64_t v) {
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(v, -32768, 32767));
}

int signOf(std::int32_t v) { return (v > 0) - (v < 0); }

void putU16(std::uint8_t* p, std::uint32_t v) {
    p[0] = static_cast<std::uint8_t>(v);
    p[1] = static_cast<std::uint8_t>(v >> 8);
}
void putU32(std::uint8_t* p, std::uint32_t v) {
    putU16(p, v);
    putU16(p + 2, v >> 16);
}
std::uint32_t getU16(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8;
}
std::uint32_t getU32(const std::uint8_t* p) { return getU16(p) | getU16(p + 2) << 16; }

/// Packs 64 five-bit codes into 40 bytes, code i in bits 5i..5i+4 of the
/// little-endian bit stream.
void packCodes(const std::uint8_t* codes, std::uint8_t* out) {
    std::fill(out, out + 40, std::uint8_t{0});
    for (std::size_t i = 0; i < kCodesPerBlock; ++i) {
        const std::size_t bit = 5 * i;
        const std::uint32_t v = static_cast<std::uint32_t>(codes[i] & 0x1F) << (bit % 8);
        out[bit / 8] = static_cast<std::uint8_t>(out[bit / 8] | (v & 0xFF));
        if (v > 0xFF) out[bit / 8 + 1] = static_cast<std::uint8_t>(out[bit / 8 + 1] | (v >> 8));
    }
}

std::uint8_t unpackCode(const std::uint8_t* in, std::size_t i) {
    const std::size_t bit = 5 * i;
    std::uint32_t v = in[bit / 8];
    if (bit / 8 + 1 < 40) v |= static_cast<std::uint32_t>(in[bit / 8 + 1]) << 8;
    return static_cast<std::uint8_t>((v >> (bit % 8)) & 0x1F);
}

std::string at(std::size_t offset, const std::string& what) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "offset %zu", offset);
    return what + " (" + buf + ")";
}

std::int32_t nearestLevel(std::int32_t residual, std::int32_t step) {
    const std::int32_t a = residual < 0 ? -residual : residual;
    int m = 0;
    std::int32_t best = std::abs(a - ((kLevels[0] * step) >> 3));
    for (int i = 1; i < 16; ++i) {
        const std::int32_t e = std::abs(a - ((kLevels[i] * step) >> 3));
        if (e < best) {
            best = e;
            m = i;
        } else if (e > best) {
            break;  // levels rise, so the distance only grows from here
        }
    }
    return residual < 0 ? -m - 1 : m;
}

std::uint8_t chooseInitialStep(std::span<const std::int16_t> x) {
    // A step of about a quarter of the mean first difference of the first block.
    const std::size_t n = std::min<std::size_t>(x.size(), kSamplesPerBlock);
    if (n < 2) return 0;
    std::int64_t sum = 0;
    for (std::size_t i = 1; i < n; ++i) sum += std::abs(x[i] - x[i - 1]);
    const std::int64_t target = sum / static_cast<std::int64_t>(n - 1) / 4;
    int index = 0;
    while (index + 1 < kStepCount && kStepTable[index + 1] <= target) ++index;
    return static_cast<std::uint8_t>(index);
}

}  // namespace

const std::array<std::int32_t, kStepCount> kStepTable = makeStepTable();
const std::array<std::int8_t, 16> kIndexAdjust = {-1, -1, -1, -1, -1, 0, 0, 1,
                                                  1,  2,  2,  3,  4,  5, 6, 8};

const std::array<std::int32_t, 16> kLevels = {4,  12, 20,  28,  37,  46,  56,  67,
                                              79, 92, 106, 122, 140, 160, 183, 210};
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
    if (dq != 0) {
        const int sd = dq > 0 ? 1 : -1;
        a2 = std::clamp(a2 + sd * signOf(s2) * kPredictorStep, -kA2Limit, kA2Limit);
        const std::int32_t limit = kCoefOne - a2 - kStabilityMargin;
        a1 = std::clamp(a1 + sd * signOf(s1) * kPredictorStep, -limit, limit);
    }
    for (int i = 0; i < kZeroTaps; ++i) {
        b[i] =
            b[i] - (b[i] >> kZeroLeakShift) + (dq == 0 ? 0 : signOf(dq) * signOf(d[i]) * kZeroStep);
        b[i] = std::clamp(b[i], -kZeroLimit, kZeroLimit);
    }
    for (int i = kZeroTaps - 1; i > 0; --i) d[i] = d[i - 1];
    d[0] = dq;
    stepIndex = std::clamp(stepIndex + kIndexAdjust[code & 0x0F], 0, kStepCount - 1);
    s2 = s1;
    s1 = r;
    return r;
}

std::size_t elementSize(std::size_t sampleCount) {
    const std::size_t blocks = (sampleCount + kSamplesPerBlock - 1) / kSamplesPerBlock;
    return kHeaderBytes + blocks * kBlockBytes;
}

std::uint16_t crc16(std::span<const std::uint8_t> bytes, std::uint16_t crc) {
    for (std::uint8_t b : bytes) {
        crc = static_cast<std::uint16_t>(crc ^ (static_cast<std::uint16_t>(b) << 8));
        for (int i = 0; i < 8; ++i)
            crc = static_cast<std::uint16_t>((crc & 0x8000) ? (crc << 1) ^ 0x1021 : crc << 1);
    }
    return crc;
}

namespace {

/// Delayed-decision search over one block: keeps the `width` paths of least
/// squared error, each trying the nearest quantizer levels, and returns the
/// codes of the best path with its final state.
class BlockSearch {
  public:
    BlockSearch(int width, int spread)
        : width_(std::clamp(width, 1, 32)), spread_(std::clamp(spread, 0, 4)) {
        const std::size_t w = static_cast<std::size_t>(width_);
        paths_.resize(w);
        next_.resize(w);
        children_.resize(w * static_cast<std::size_t>(2 * spread_ + 1));
        parent_.resize(kCodesPerBlock * w);
        code_.resize(kCodesPerBlock * w);
    }

    /// Codes x[1..64] of a block whose raw sample has been taken into `state`.
    void run(const std::int16_t* x, CodecState& state, std::uint8_t* codes) {
        if (width_ == 1 && spread_ == 0) {  // plain greedy coder: the nearest level each time
            for (std::size_t t = 0; t < kCodesPerBlock; ++t) {
                const std::int32_t prediction = state.predict();
                const std::int32_t level = nearestLevel(
                    x[t] - prediction, kStepTable[static_cast<std::size_t>(state.stepIndex)]);
                codes[t] = static_cast<std::uint8_t>(level >= 0 ? level : (0x10 | (-level - 1)));
                state.applyPredicted(codes[t], prediction);
            }
            return;
        }
        const std::size_t w = static_cast<std::size_t>(width_);
        std::size_t live = 1;
        paths_[0] = {state, 0};
        for (std::size_t t = 0; t < kCodesPerBlock; ++t) {
            const std::int32_t target = x[t];
            std::size_t nChildren = 0;
            for (std::size_t p = 0; p < live; ++p) {
                const CodecState& st = paths_[p].state;
                const std::int32_t step = kStepTable[static_cast<std::size_t>(st.stepIndex)];
                const std::int32_t prediction = st.predict();
                const std::int32_t residual = target - prediction;
                const std::int32_t nearest = nearestLevel(residual, step);
                const std::int32_t lo = std::max(nearest - spread_, -16);
                const std::int32_t hi = std::min(nearest + spread_, 15);
                for (std::int32_t level = lo; level <= hi; ++level) {
                    const std::uint8_t code =
                        static_cast<std::uint8_t>(level >= 0 ? level : (0x10 | (-level - 1)));
                    Child& c = children_[nChildren++];
                    c.state = st;
                    const std::int64_t e = target - c.state.applyPredicted(code, prediction);
                    c.cost = paths_[p].cost + e * e;
                    c.parent = static_cast<std::uint8_t>(p);
                    c.code = code;
                    c.order = static_cast<std::uint32_t>(nChildren);
                }
            }
            const std::size_t keep = std::min(w, nChildren);
            auto better = [](const Child& a, const Child& b) {
                return a.cost != b.cost ? a.cost < b.cost : a.order < b.order;
            };
            if (keep < nChildren)
                std::partial_sort(children_.begin(), children_.begin() + static_cast<long>(keep),
                                  children_.begin() + static_cast<long>(nChildren), better);
            else
                std::sort(children_.begin(), children_.begin() + static_cast<long>(nChildren),
                          better);
            for (std::size_t k = 0; k < keep; ++k) {
                next_[k] = {children_[k].state, children_[k].cost};
                parent_[t * w + k] = children_[k].parent;
                code_[t * w + k] = children_[k].code;
            }
            std::swap(paths_, next_);
            live = keep;
        }
        std::size_t k = 0;  // paths_ are sorted: 0 is the best
        state = paths_[0].state;
        for (std::size_t t = kCodesPerBlock; t-- > 0;) {
            codes[t] = code_[t * w + k];
            k = parent_[t * w + k];
        }
    }

  private:
    struct Path {
        CodecState state;
        std::int64_t cost;
    };
    struct Child {
        CodecState state;
        std::int64_t cost;
        std::uint8_t parent;
        std::uint8_t code;
        std::uint32_t order;
    };
    int width_;
    int spread_;
    std::vector<Path> paths_, next_;
    std::vector<Child> children_;
    std::vector<std::uint8_t> parent_, code_;
};

}  // namespace

std::vector<std::uint8_t> encodeElement(std::span<const std::int16_t> samples,
                                        std::uint32_t sampleRate, const EncoderOptions& options) {
    if (samples.size() > kMaxSamples) samples = samples.first(kMaxSamples);
    const std::size_t count = samples.size();
    const std::size_t blocks = (count + kSamplesPerBlock - 1) / kSamplesPerBlock;
    std::vector<std::uint8_t> out(kHeaderBytes + blocks * kBlockBytes, 0);

    CodecState state;
    state.stepIndex = chooseInitialStep(samples);
    std::uint8_t* h = out.data();
    std::copy(std::begin(kMagic), std::end(kMagic), h);
    h[4] = kVersion;
    h[5] = kCodecAdpcm5;
    putU16(h + 6, kHeaderBytes);
    putU32(h + 8, sampleRate);
    putU32(h + 12, static_cast<std::uint32_t>(count));
    putU16(h + 16, kBlockBytes);
    h[18] = kSamplesPerBlock;
    h[19] = static_cast<std::uint8_t>(state.stepIndex);
    putU32(h + 20, static_cast<std::uint32_t>(blocks * kBlockBytes));

    BlockSearch search(options.beamWidth, options.spread);
    std::int16_t block[kSamplesPerBlock];
    std::uint8_t codes[kCodesPerBlock];
    for (std::size_t b = 0; b < blocks; ++b) {
        const std::size_t start = b * kSamplesPerBlock;
        const std::size_t n = std::min(kSamplesPerBlock, count - start);
        std::copy(samples.begin() + static_cast<long>(start),
                  samples.begin() + static_cast<long>(start + n), block);
        // The tail of the last block repeats its last sample.
        std::fill(block + n, block + kSamplesPerBlock, block[n - 1]);
        std::uint8_t* blk = out.data() + kHeaderBytes + b * kBlockBytes;
        putU16(blk, static_cast<std::uint16_t>(block[0]));
        state.takeRaw(block[0]);
        search.run(block + 1, state, codes);
        packCodes(codes, blk + 2);
    }
    std::uint16_t crc = crc16(std::span<const std::uint8_t>(out.data(), 24));
    crc = crc16(std::span<const std::uint8_t>(out.data() + kHeaderBytes, out.size() - kHeaderBytes),
                crc);
    putU16(h + 24, crc);
    return out;
}

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
    if (h[4] != kVersion) {
        error = at(4, "unknown element version " + std::to_string(h[4]));
        return false;
    }
    if (h[5] != kCodecAdpcm5) {
        error = at(5, "unknown codec " + std::to_string(h[5]));
        return false;
    }
    if (getU16(h + 6) != kHeaderBytes || getU16(h + 16) != kBlockBytes ||
        h[18] != kSamplesPerBlock) {
        error = at(6, "header, block or sample-per-block size is not 26/42/65");
        return false;
    }
    header.sampleRate = getU32(h + 8);
    header.sampleCount = getU32(h + 12);
    header.initialStepIndex = h[19];
    header.dataBytes = getU32(h + 20);
    header.crc = static_cast<std::uint16_t>(getU16(h + 24));
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
    CodecState state;
    state.stepIndex = header.initialStepIndex;
    for (std::size_t b = 0; b < header.blockCount(); ++b) {
        const std::uint8_t* blk = bytes.data() + kHeaderBytes + b * kBlockBytes;
        const auto raw = static_cast<std::int16_t>(getU16(blk));
        state.takeRaw(raw);
        out.samples.push_back(raw);
        for (std::size_t i = 0; i < kCodesPerBlock; ++i)
            out.samples.push_back(static_cast<std::int16_t>(state.apply(unpackCode(blk + 2, i))));
    }
    out.samples.resize(header.sampleCount);
    return true;
}

bool encodeWavFile(const std::filesystem::path& wav, std::vector<std::uint8_t>& element,
                   std::string& error, const EncoderOptions& options) {
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
    const std::vector<std::int16_t> mono = data.mono();
    if (mono.size() > kMaxSamples) {
        error = wav.string() + ": too long for one sound element";
        return false;
    }
    element = encodeElement(mono, static_cast<std::uint32_t>(data.sampleRate), options);
    return true;
}

std::string elementAsCArray(std::span<const std::uint8_t> element, const std::string& symbol) {
    std::string text;
    text.reserve(element.size() * 6 + 200);
    text += "/* Sound element (LKEL v1), " + std::to_string(element.size()) + " bytes. */\n";
    text +=
        "static const unsigned char " + symbol + "[" + std::to_string(element.size()) + "] = {\n";
    static const char digits[] = "0123456789ABCDEF";
    for (std::size_t i = 0; i < element.size(); ++i) {
        if (i % 16 == 0) text += "    ";
        const char byteText[4] = {'0', 'x', digits[element[i] >> 4], digits[element[i] & 15]};
        text.append(byteText, 4);
        if (i + 1 < element.size()) text += (i % 16 == 15) ? ",\n" : ", ";
    }
    text += "\n};\n";
    return text;
}

}  // namespace zadaravod::element
