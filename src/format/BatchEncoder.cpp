// The batch encoder's driver: hands sounds to lanes, runs the kernel's
// passes over each block and makes the choices of FloorSearch
// (ElementEncoder.cpp) per lane, so that every element comes out byte for
// byte as encodeElement makes it.
//
// Per block and lane, FloorSearch runs a greedy pass, and when the block's
// worst error stands out it re-codes the block from the worst error's
// position with up to five step floors, keeping the floor of least squared
// error. Here the kernel runs the greedy pass of all lanes at once and keeps
// each lane's state before its worst code; the floors of a lane whose block
// needs them are then tried by the one-element encoder's own search, from
// that state (each trial stops as soon as it cannot win, which lanes in
// step could not do).

#include "format/BatchEncoder.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <stdexcept>

#include "format/BatchKernel.h"
#include "format/ElementCodec.h"
#include "format/ElementCodecDetail.h"
#include "format/EncoderStateV2.h"

namespace zadaravod::element {

namespace detail {

void BatchState::reset(std::size_t lane, std::int32_t initialStepIndex) {
    for (std::int32_t* row : {s1, s2, a1, a2, stepIndex}) row[lane] = 0;
    for (int i = 0; i < 3; ++i) b[i][lane] = dLow[i][lane] = dHigh[i][lane] = dSign[i][lane] = 0;
    for (int j = 0; j < 8; ++j) w[j][lane] = h[j][lane] = 0;
    stepIndex[lane] = initialStepIndex;
}

void BatchState::copyLane(const BatchState& other, std::size_t lane) {
    // Every member is a row (or rows) of kMaxBatchLanes values.
    static_assert(sizeof(BatchState) % (sizeof(std::int32_t) * kMaxBatchLanes) == 0);
    constexpr std::size_t rows = sizeof(BatchState) / (sizeof(std::int32_t) * kMaxBatchLanes);
    auto* to = reinterpret_cast<std::int32_t(*)[kMaxBatchLanes]>(this);
    const auto* from = reinterpret_cast<const std::int32_t(*)[kMaxBatchLanes]>(&other);
    for (std::size_t r = 0; r < rows; ++r) to[r][lane] = from[r][lane];
}

const BatchTables& batchTables() {
    static const BatchTables tables = [] {
        BatchTables t{};
        std::copy(kStepTable.begin(), kStepTable.end(), t.step);
        std::copy(kLevelsV2.begin(), kLevelsV2.end(), t.level);
        std::copy(kIndexAdjust.begin(), kIndexAdjust.end(), t.adjust);
        return t;
    }();
    return tables;
}

}  // namespace detail

namespace {

using namespace detail;

constexpr std::size_t kLastFloorPosition = 63;

BatchKernel kernelFor(BatchPath path) {
    switch (path) {
        case BatchPath::Portable:
            return batchKernelPortable();
        case BatchPath::Avx2:
#if defined(__x86_64__)
            if (__builtin_cpu_supports("avx2")) return batchKernelAvx2();
#endif
            return {};
        case BatchPath::Avx512:
#if defined(__x86_64__)
            if (__builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw"))
                return batchKernelAvx512();
#endif
            return {};
        case BatchPath::Automatic:
            break;
    }
    for (BatchPath p : {BatchPath::Avx512, BatchPath::Avx2}) {
        if (const BatchKernel k = kernelFor(p); k.pass != nullptr) return k;
    }
    return batchKernelPortable();
}

/// One sound in a lane: where it is and where its bytes go.
struct Lane {
    std::size_t sound = 0;
    std::size_t block = 0;
    std::size_t blocks = 0;  ///< 0: the lane is idle
};

std::int32_t pairOf(std::int32_t low, std::int32_t high) {
    return static_cast<std::int32_t>((static_cast<std::uint32_t>(low) & 0xFFFFu) |
                                     (static_cast<std::uint32_t>(high) << 16));
}
std::int32_t lowOf(std::int32_t pair) { return static_cast<std::int16_t>(pair & 0xFFFF); }
std::int32_t highOf(std::int32_t pair) { return pair >> 16; }

/// Lane `l` of `s` as the one-element encoder's state.
EncoderStateV2 unpackLane(const BatchState& s, std::size_t l) {
    EncoderStateV2 e;
    e.s1 = s.s1[l];
    e.s2 = s.s2[l];
    e.a1 = s.a1[l];
    e.a2 = s.a2[l];
    e.stepIndex = s.stepIndex[l];
    for (std::size_t i = 0; i < 3; ++i) {
        e.b[i] = lowOf(s.b[i][l]);
        e.b[i + 3] = highOf(s.b[i][l]);
        e.d[i] = lowOf(s.dHigh[i][l]) * 32768 + lowOf(s.dLow[i][l]);
        e.d[i + 3] = highOf(s.dHigh[i][l]) * 32768 + highOf(s.dLow[i][l]);
    }
    for (std::size_t j = 0; j < 8; ++j) {
        e.w[j] = static_cast<std::int16_t>(lowOf(s.w[j][l]));
        e.w[j + 8] = static_cast<std::int16_t>(highOf(s.w[j][l]));
        e.h[j] = static_cast<std::int16_t>(lowOf(s.h[j][l]));
        e.h[j + 8] = static_cast<std::int16_t>(highOf(s.h[j][l]));
    }
    return e;
}

/// Sets lane `l` of `s` to the one-element encoder's state `e`.
void packLane(BatchState& s, std::size_t l, const EncoderStateV2& e) {
    s.s1[l] = e.s1;
    s.s2[l] = e.s2;
    s.a1[l] = e.a1;
    s.a2[l] = e.a2;
    s.stepIndex[l] = e.stepIndex;
    for (std::size_t i = 0; i < 3; ++i) {
        const std::int32_t d0 = e.d[i], d3 = e.d[i + 3];
        s.b[i][l] = pairOf(e.b[i], e.b[i + 3]);
        s.dLow[i][l] = pairOf(d0 & 0x7FFF, d3 & 0x7FFF);
        s.dHigh[i][l] = pairOf(d0 >> 15, d3 >> 15);
        s.dSign[i][l] = pairOf(signOf(d0), signOf(d3));
    }
    for (std::size_t j = 0; j < 8; ++j) {
        s.w[j][l] = pairOf(e.w[j], e.w[j + 8]);
        s.h[j][l] = pairOf(e.h[j], e.h[j + 8]);
    }
}

std::int64_t squaredError(std::int32_t high, std::int32_t low) {
    return std::int64_t{high} * 65536 + low;
}

/// Everything one block of all lanes needs; large, so kept on the heap.
struct Work {
    BatchState state;
    BatchBlock block;
    BatchPass greedy;
    std::uint8_t codes[kMaxBatchLanes][kBlockCodes];
    StepFloor floors[kMaxBatchLanes];
};

void loadLane(BatchBlock& block, std::size_t lane, std::span<const std::int16_t> samples,
              std::size_t b) {
    const std::size_t start = b * kSamplesPerBlock;
    const std::size_t n = std::min(kSamplesPerBlock, samples.size() - start);
    for (std::size_t t = 0; t < kBlockCodes; ++t)
        block.x[t][lane] = samples[start + std::min(t, n - 1)];
}

void writeBlock(std::vector<std::uint8_t>& out, std::size_t b, StepFloor floor,
                const std::uint8_t* codes) {
    std::uint8_t* blk = out.data() + kHeaderBytes + b * kBlockBytes;
    putBits(blk, kBlockBytes, 0, floor.value != 0 ? floor.position : 0, 6);
    putBits(blk, kBlockBytes, 6, floor.value, 5);
    for (std::size_t i = 0; i < kCodesPerBlockV2; ++i)
        putBits(blk, kBlockBytes, 11 + 5 * i, codes[i], 5);
}

/// Codes block `lanes[l].block` of every busy lane from w.state, leaving
/// w.state at the blocks' end and each lane's codes and floor in w.
void codeBlocks(const BatchKernel& kernel, Work& w, const Lane* lanes, std::size_t count) {
    BatchPass& g = w.greedy;
    kernel.pass(batchTables(), w.state, w.block, g);
    for (std::size_t l = 0; l < count; ++l) {
        w.floors[l] = {};
        for (std::size_t t = 0; t < kBlockCodes; ++t)
            w.codes[l][t] = static_cast<std::uint8_t>(g.codes[t][l]);
        if (lanes[l].blocks == 0) continue;
        // FloorSearch's test: a worst error beyond twice the RMS error plus 8.
        const std::int64_t total = squaredError(g.errorHigh[l], g.errorLow[l]);
        const std::int64_t excess = std::int64_t{g.worst[l]} - 8;
        if (excess <= 0 ||
            excess * excess * static_cast<std::int64_t>(kCodesPerBlockV2) <= 4 * total)
            continue;
        const auto worstAt = static_cast<std::size_t>(g.worstAt[l]);
        const bool atWorst = worstAt <= kLastFloorPosition;
        const EncoderStateV2 from = unpackLane(atWorst ? g.atWorst : g.at63, l);
        const std::int64_t before = atWorst
                                        ? squaredError(g.errorHighAtWorst[l], g.errorLowAtWorst[l])
                                        : squaredError(g.errorHighAt63[l], g.errorLowAt63[l]);
        std::int16_t x[kBlockCodes];
        for (std::size_t t = 0; t < kBlockCodes; ++t)
            x[t] = static_cast<std::int16_t>(w.block.x[t][l]);
        EncoderStateV2 end;
        w.floors[l] = searchFloor(x, from, atWorst ? worstAt : kLastFloorPosition, before, total,
                                  w.codes[l], end);
        if (w.floors[l].value != 0) packLane(g.end, l, end);
    }
    w.state = g.end;
}

}  // namespace

bool batchPathAvailable(BatchPath path) { return kernelFor(path).pass != nullptr; }

std::size_t batchLanes(BatchPath path) { return kernelFor(path).lanes; }

std::vector<std::vector<std::uint8_t>> encodeElements(
    std::span<const std::span<const std::int16_t>> sounds, std::span<const std::uint32_t> rates,
    BatchPath path) {
    if (sounds.size() != rates.size())
        throw std::invalid_argument("encodeElements: one rate per sound is needed");
    const BatchKernel kernel = kernelFor(path);
    if (kernel.pass == nullptr || kernel.lanes == 0 || kernel.lanes > kMaxBatchLanes)
        throw std::invalid_argument("encodeElements: the processor lacks that instruction set");

    const auto samplesOf = [&](std::size_t i) {
        return sounds[i].size() > kMaxSamples ? sounds[i].first(kMaxSamples) : sounds[i];
    };
    std::vector<std::vector<std::uint8_t>> out(sounds.size());
    for (std::size_t i = 0; i < sounds.size(); ++i) {
        const std::span<const std::int16_t> x = samplesOf(i);
        out[i].assign(elementSize(x.size()), 0);
        writeHeader(out[i], kVersion2, rates[i], static_cast<std::uint32_t>(x.size()),
                    initialStepIndex(x));
        if (x.empty()) finishChecksum(out[i]);
    }

    const auto work = std::make_unique<Work>();
    Lane lanes[kMaxBatchLanes];
    std::size_t next = 0;  // the next sound to give a lane
    const auto refill = [&](std::size_t l) {
        while (next < sounds.size() && samplesOf(next).empty()) ++next;
        lanes[l] = {};
        work->state.reset(l, 0);
        if (next == sounds.size()) return;
        lanes[l] = {next, 0, (out[next].size() - kHeaderBytes) / kBlockBytes};
        work->state.reset(l, out[next][19]);  // the initial step index in the header
        ++next;
    };
    for (std::size_t l = 0; l < kernel.lanes; ++l) refill(l);
    for (;;) {
        bool busy = false;
        for (std::size_t l = 0; l < kernel.lanes; ++l) {
            if (lanes[l].blocks == 0) {
                for (std::size_t t = 0; t < kBlockCodes; ++t) work->block.x[t][l] = 0;
                continue;
            }
            busy = true;
            loadLane(work->block, l, samplesOf(lanes[l].sound), lanes[l].block);
        }
        if (!busy) break;
        codeBlocks(kernel, *work, lanes, kernel.lanes);
        for (std::size_t l = 0; l < kernel.lanes; ++l) {
            Lane& lane = lanes[l];
            if (lane.blocks == 0) continue;
            writeBlock(out[lane.sound], lane.block, work->floors[l], work->codes[l]);
            if (++lane.block == lane.blocks) {
                finishChecksum(out[lane.sound]);
                refill(l);
            }
        }
    }
    return out;
}

}  // namespace zadaravod::element
