// The sound element encoder: version 1 (greedy or delayed-decision search)
// and version 2 (greedy codes with a searched step floor per block). Every
// choice is made by running the decoder's own state, so the decoder
// reproduces exactly what the encoder measured.

#include <algorithm>
#include <cstdlib>
#include <limits>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "format/ByteOrder.h"
#include "format/ElementCodec.h"
#include "format/ElementCodecDetail.h"
#include "format/EncoderStateV2.h"

namespace zadaravod::element {

using detail::putBits;

namespace {

/// The signed level (-16..15; -1 - m stands for a negative magnitude m)
/// whose reconstruction at `step` is nearest `residual`.
std::int32_t nearestLevel(std::int32_t residual, std::int32_t step,
                          const std::array<std::int32_t, 16>& levels) {
    const std::int32_t a = residual < 0 ? -residual : residual;
    int m = 0;
    std::int32_t best = std::abs(a - ((levels[0] * step) >> 3));
    for (int i = 1; i < 16; ++i) {
        const std::int32_t e = std::abs(a - ((levels[i] * step) >> 3));
        if (e < best) {
            best = e;
            m = i;
        } else if (e > best) {
            break;  // levels rise, so the distance only grows from here
        }
    }
    return residual < 0 ? -m - 1 : m;
}

std::uint8_t codeOfLevel(std::int32_t level) {
    return static_cast<std::uint8_t>(level >= 0 ? level : (0x10 | (-level - 1)));
}

/// Copies block `b` of `samples` into `block`; the tail of the last block
/// repeats its last sample.
void loadBlock(std::span<const std::int16_t> samples, std::size_t b, std::int16_t* block) {
    const std::size_t start = b * kSamplesPerBlock;
    const std::size_t n = std::min(kSamplesPerBlock, samples.size() - start);
    std::copy(samples.begin() + static_cast<long>(start),
              samples.begin() + static_cast<long>(start + n), block);
    std::fill(block + n, block + kSamplesPerBlock, block[n - 1]);
}

/// Version 1: delayed-decision search over one block: keeps the `width`
/// paths of least squared error, each trying the nearest quantizer levels,
/// and returns the codes of the best path with its final state.
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
                codes[t] = codeOfLevel(
                    nearestLevel(x[t] - prediction,
                                 kStepTable[static_cast<std::size_t>(state.stepIndex)], kLevels));
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
                const std::int32_t nearest = nearestLevel(target - prediction, step, kLevels);
                const std::int32_t lo = std::max(nearest - spread_, -16);
                const std::int32_t hi = std::min(nearest + spread_, 15);
                for (std::int32_t level = lo; level <= hi; ++level) {
                    const std::uint8_t code = codeOfLevel(level);
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

void encodeBlocksV1(std::span<const std::int16_t> samples, const EncoderOptions& options,
                    std::uint8_t initialStep, std::vector<std::uint8_t>& out) {
    CodecState state;
    state.stepIndex = initialStep;
    BlockSearch search(options.beamWidth, options.spread);
    std::int16_t block[kSamplesPerBlock];
    std::uint8_t codes[kCodesPerBlock];
    const std::size_t blocks = (out.size() - kHeaderBytes) / kBlockBytes;
    for (std::size_t b = 0; b < blocks; ++b) {
        loadBlock(samples, b, block);
        std::uint8_t* blk = out.data() + kHeaderBytes + b * kBlockBytes;
        le::put16(blk, static_cast<std::uint16_t>(block[0]));
        state.takeRaw(block[0]);
        search.run(block + 1, state, codes);
        for (std::size_t i = 0; i < kCodesPerBlock; ++i) putBits(blk + 2, 40, 5 * i, codes[i], 5);
    }
}

/// Version 2's nearest-level choice by table. For step index k, magnitude m
/// is chosen over m + 1 unless 2·|residual| exceeds the sum of their
/// reconstructions, so m is the count of those sums below 2·|residual| (ties
/// keep the smaller level, as nearestLevel() does). The reconstructions rise
/// with m at every step, so the sums below form a run from the first.
class LevelChooserV2 {
  public:
    /// A code and the difference it reconstructs at the step it was chosen for.
    struct Choice {
        std::uint8_t code;
        std::int32_t difference;
    };

    LevelChooserV2() {
        for (std::size_t k = 0; k < static_cast<std::size_t>(kStepCount); ++k) {
            for (std::size_t m = 0; m < 16; ++m)
                levels_[k][m] = (kLevelsV2[m] * kStepTable[k]) >> 3;
            for (std::size_t m = 0; m + 1 < 16; ++m)
                sums_[k][m] = levels_[k][m] + levels_[k][m + 1];
            sums_[k][15] = std::numeric_limits<std::int32_t>::max();
        }
    }

    /// The level nearest `residual` at step index `stepIndex`.
    Choice choose(std::int32_t residual, std::int32_t stepIndex) const {
        const std::int32_t twice = 2 * (residual < 0 ? -residual : residual);
        const auto k = static_cast<std::size_t>(stepIndex);
        const unsigned m = countBelow(twice, sums_[k]);
        const std::int32_t level = levels_[k][m];
        return residual < 0 ? Choice{static_cast<std::uint8_t>(0x10 | m), -level}
                            : Choice{static_cast<std::uint8_t>(m), level};
    }

  private:
    using Row = std::array<std::int32_t, 16>;

#if defined(__SSE2__)
    static unsigned countBelow(std::int32_t value, const Row& row) {
        const __m128i v = _mm_set1_epi32(value);
        const __m128i* r = reinterpret_cast<const __m128i*>(row.data());
        const __m128i below =
            _mm_packs_epi16(_mm_packs_epi32(_mm_cmpgt_epi32(v, r[0]), _mm_cmpgt_epi32(v, r[1])),
                            _mm_packs_epi32(_mm_cmpgt_epi32(v, r[2]), _mm_cmpgt_epi32(v, r[3])));
        // A run of ones from bit 0 (the last sum is never below): count it.
        const unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(below));
        return static_cast<unsigned>(__builtin_ctz(~mask));
    }
#else
    static unsigned countBelow(std::int32_t value, const Row& row) {
        unsigned m = 0;
        for (std::int32_t sum : row) m += value > sum ? 1 : 0;
        return m;
    }
#endif

    alignas(16) std::array<Row, kStepCount> sums_{};
    std::array<Row, kStepCount> levels_{};
};

/// Version 2: one block at a time, greedy codes (the nearest level), and a
/// step floor searched where the greedy coder made its worst error.
class FloorSearch {
  public:
    explicit FloorSearch(int spread) : spread_(std::clamp(spread, 0, 8)) {}

    /// Codes the 65 samples `x` from `state` (left at the block's end) into
    /// `codes`; returns the floor chosen.
    detail::StepFloor run(const std::int16_t* x, detail::EncoderStateV2& state,
                          std::uint8_t* codes) {
        // The plain greedy pass. Of the states before each code only the one
        // where a floor may be tried is kept: before the worst error so far,
        // and before code 63 (a floor cannot stand later).
        std::int64_t total = 0, worst = -1;
        std::size_t worstAt = 0;
        detail::EncoderStateV2 st = state;
        for (std::size_t i = 0; i < kCodesPerBlockV2; ++i) {
            if (i == kLastFloorPosition) {
                beforeLast_ = st;
                costBeforeLast_ = total;
            }
            const std::int32_t prediction = st.predict();
            const std::int32_t target = x[i];
            const LevelChooserV2::Choice c = levels_.choose(target - prediction, st.stepIndex);
            const std::int32_t r =
                detail::clamp16(static_cast<std::int64_t>(prediction) + c.difference);
            const std::int64_t e = target - r;
            if (std::abs(e) > worst) {
                worst = std::abs(e);
                worstAt = i;
                beforeWorst_ = st;
                costBeforeWorst_ = total;
            }
            st.applyChosen(c.code, c.difference, r);
            codes[i] = c.code;
            total += e * e;
        }
        detail::StepFloor chosen;
        // Clean blocks (worst error within twice the RMS error, plus a little)
        // keep no floor: a floor pays off where the step lagged behind a jump.
        const std::int64_t excess = worst - 8;
        if (spread_ > 0 && excess > 0 &&
            excess * excess * static_cast<std::int64_t>(kCodesPerBlockV2) > 4 * total) {
            const std::size_t at = std::min(worstAt, kLastFloorPosition);
            const detail::EncoderStateV2& from = at == worstAt ? beforeWorst_ : beforeLast_;
            const std::int64_t costBefore = at == worstAt ? costBeforeWorst_ : costBeforeLast_;
            const std::int32_t residual = std::abs(x[at] - from.predict());
            int fit = 0;  // the smallest step index whose top level reaches the residual
            while (fit < kStepCount - 1 &&
                   ((kLevelsV2[15] * kStepTable[static_cast<std::size_t>(fit)]) >> 3) < residual)
                ++fit;
            std::int64_t best = total;
            int tried = -1;
            for (int k = -spread_; k <= spread_; ++k) {
                detail::StepFloor f;
                f.position = static_cast<std::uint8_t>(at);
                f.value = static_cast<std::uint8_t>(std::clamp(fit / 2 + k, 1, 31));
                if (f.value == tried) continue;  // clamped onto the one just tried
                tried = f.value;
                // A trial that reaches the best cost so far stops there; one
                // that beats it ran to the block's end and keeps its codes.
                const std::int64_t cost = costBefore + tryFloor(x, from, f, best - costBefore);
                if (cost < best) {
                    best = cost;
                    chosen = f;
                    bestEnd_ = trialEnd_;
                    std::copy(trialCodes_.begin() + at, trialCodes_.end(), codes + at);
                }
            }
        }
        state = chosen.value != 0 ? bestEnd_ : st;
        return chosen;
    }

  private:
    static constexpr std::size_t kLastFloorPosition = 63;

    /// The squared error of the block's codes from the floor's position on
    /// with floor `f`, starting from `from`; stops early once it reaches
    /// `limit`. The codes go to trialCodes_, the end state to trialEnd_.
    std::int64_t tryFloor(const std::int16_t* x, const detail::EncoderStateV2& from,
                          detail::StepFloor f, std::int64_t limit) {
        detail::EncoderStateV2 st = from;
        std::int64_t cost = 0;
        for (std::size_t i = f.position; i < kCodesPerBlockV2 && cost < limit; ++i) {
            f.raise(i, st.stepIndex);
            const std::int32_t prediction = st.predict();
            const LevelChooserV2::Choice c = levels_.choose(x[i] - prediction, st.stepIndex);
            trialCodes_[i] = c.code;
            const std::int32_t r =
                detail::clamp16(static_cast<std::int64_t>(prediction) + c.difference);
            st.applyChosen(c.code, c.difference, r);
            const std::int64_t e = x[i] - r;
            cost += e * e;
        }
        trialEnd_ = st;
        return cost;
    }

    int spread_;
    LevelChooserV2 levels_;
    detail::EncoderStateV2 beforeWorst_, beforeLast_, trialEnd_, bestEnd_;
    std::int64_t costBeforeWorst_ = 0, costBeforeLast_ = 0;
    std::array<std::uint8_t, kCodesPerBlockV2> trialCodes_{};
};

void encodeBlocksV2(std::span<const std::int16_t> samples, const EncoderOptions& options,
                    std::uint8_t initialStep, std::vector<std::uint8_t>& out) {
    detail::EncoderStateV2 state;
    state.stepIndex = initialStep;
    FloorSearch search(options.floorSpread);
    std::int16_t block[kSamplesPerBlock];
    std::uint8_t codes[kCodesPerBlockV2];
    const std::size_t blocks = (out.size() - kHeaderBytes) / kBlockBytes;
    for (std::size_t b = 0; b < blocks; ++b) {
        loadBlock(samples, b, block);
        const detail::StepFloor floor = search.run(block, state, codes);
        std::uint8_t* blk = out.data() + kHeaderBytes + b * kBlockBytes;
        putBits(blk, kBlockBytes, 0, floor.value != 0 ? floor.position : 0, 6);
        putBits(blk, kBlockBytes, 6, floor.value, 5);
        for (std::size_t i = 0; i < kCodesPerBlockV2; ++i)
            putBits(blk, kBlockBytes, 11 + 5 * i, codes[i], 5);
    }
}

}  // namespace

std::uint8_t detail::initialStepIndex(std::span<const std::int16_t> x) {
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

std::vector<std::uint8_t> encodeElement(std::span<const std::int16_t> samples,
                                        std::uint32_t sampleRate, const EncoderOptions& options) {
    if (samples.size() > kMaxSamples) samples = samples.first(kMaxSamples);
    const std::uint8_t version = options.version == kVersion1 ? kVersion1 : kVersion2;
    std::vector<std::uint8_t> out(elementSize(samples.size()), 0);
    const std::uint8_t initialStep = detail::initialStepIndex(samples);
    detail::writeHeader(out, version, sampleRate, static_cast<std::uint32_t>(samples.size()),
                        initialStep);
    if (version == kVersion1)
        encodeBlocksV1(samples, options, initialStep, out);
    else
        encodeBlocksV2(samples, options, initialStep, out);
    detail::finishChecksum(out);
    return out;
}

}  // namespace zadaravod::element
