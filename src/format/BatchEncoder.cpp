// The batch encoder's driver: hands sounds to lanes, runs the kernel's
// passes over each block and makes the choices of FloorSearch
// (ElementEncoder.cpp) per lane, so that every element comes out byte for
// byte as encodeElement makes it.
//
// Per block and lane, FloorSearch runs a greedy pass, and when the block's
// worst error stands out it re-codes the block from the worst error's
// position with up to five step floors, keeping the floor of least squared
// error. Here the kernel runs the greedy pass of all lanes at once and keeps
// each lane's state before its worst code; the floors of the blocks that
// need them are then tried as jobs, one per lane, from those states, and each
// lane takes the floor FloorSearch would: the least squared error that beats
// the greedy coding, the first in its order on ties. (FloorSearch stops a
// trial once it cannot win; lanes in step stop only all together, and a
// trial that runs on only costs more, so the choice is the same.)

#include "format/BatchEncoder.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <stdexcept>

#include "format/BatchKernel.h"
#include "format/ElementCodec.h"
#include "format/ElementCodecDetail.h"

namespace zadaravod::element {

namespace detail {

void BatchState::reset(std::size_t lane, std::int32_t initialStepIndex) {
    for (std::int32_t* row : {s1, s2, a1, a2, stepIndex}) row[lane] = 0;
    for (int i = 0; i < 3; ++i) b[i][lane] = dLow[i][lane] = dHigh[i][lane] = 0;
    for (int j = 0; j < 8; ++j) w[j][lane] = h[j][lane] = 0;
    stepIndex[lane] = initialStepIndex;
}

void BatchState::copyLane(const BatchState& other, std::size_t from, std::size_t to) {
    // Every member is a row (or rows) of kMaxBatchLanes values.
    static_assert(sizeof(BatchState) % (sizeof(std::int32_t) * kMaxBatchLanes) == 0);
    constexpr std::size_t rows = sizeof(BatchState) / (sizeof(std::int32_t) * kMaxBatchLanes);
    auto* rowsTo = reinterpret_cast<std::int32_t(*)[kMaxBatchLanes]>(this);
    const auto* rowsFrom = reinterpret_cast<const std::int32_t(*)[kMaxBatchLanes]>(&other);
    for (std::size_t r = 0; r < rows; ++r) rowsTo[r][to] = rowsFrom[r][from];
}

const BatchTables& batchTables() {
    static const BatchTables tables = [] {
        BatchTables t{};
        std::copy(kStepTable.begin(), kStepTable.end(), t.step);
        std::copy(kLevelsV2.begin(), kLevelsV2.end(), t.level);
        std::copy(kIndexAdjust.begin(), kIndexAdjust.end(), t.adjust);
        for (std::size_t c = 0; c < 16; ++c)
            t.levelPair[c] = kLevelsV2[c] | (c + 1 < 16 ? kLevelsV2[c + 1] << 16 : 0);
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

std::int64_t squaredError(std::int32_t high, std::int32_t low) {
    return std::int64_t{high} * 65536 + low;
}

/// Everything one block of all lanes needs; large, so kept on the heap.
struct Work {
    BatchState state;
    BatchBlock block;
    BatchPass greedy;
    BatchState trialFrom;
    BatchTrial trial;
    BatchPass trialOut;
    StepFloor floors[kMaxBatchLanes];
};

void loadLane(BatchBlock& block, std::size_t lane, std::span<const std::int16_t> samples,
              std::size_t b) {
    const std::size_t start = b * kSamplesPerBlock;
    const std::size_t n = std::min(kSamplesPerBlock, samples.size() - start);
    const std::int16_t* x = samples.data() + start;
    for (std::size_t t = 0; t < n; ++t) block.x[t][lane] = x[t];
    for (std::size_t t = n; t < kBlockCodes; ++t) block.x[t][lane] = x[n - 1];
}

/// Writes block `b` of lane `lane`: its floor and codes[.][lane].
void writeBlock(std::vector<std::uint8_t>& out, std::size_t b, StepFloor floor,
                const std::int32_t (*codes)[kMaxBatchLanes], std::size_t lane) {
    std::uint8_t* blk = out.data() + kHeaderBytes + b * kBlockBytes;
    // 6 + 5 + 65 x 5 bits = 336 bits: the 42 bytes exactly, filled in order.
    std::uint64_t bits = (floor.value != 0 ? floor.position : 0u) | (floor.value << 6u);
    unsigned used = 11;
    for (std::size_t i = 0; i < kCodesPerBlockV2; ++i) {
        bits |= static_cast<std::uint64_t>(codes[i][lane] & 0x1F) << used;
        used += 5;
        if (used >= 40) {  // five whole bytes ready
            for (int k = 0; k < 5; ++k, bits >>= 8) *blk++ = static_cast<std::uint8_t>(bits);
            used -= 40;
        }
    }
    for (; used > 0; used = used > 8 ? used - 8 : 0, bits >>= 8)
        *blk++ = static_cast<std::uint8_t>(bits);
}

/// One floor FloorSearch tries for a lane: the `order`-th of its floors.
struct FloorJob {
    std::size_t lane;
    int order;
    std::uint8_t value;
    std::uint8_t position;
};

/// Codes block `lanes[l].block` of every busy lane from w.state, leaving
/// w.state at the blocks' end, each lane's codes in w.greedy.codes and its
/// floor in w.floors.
void codeBlocks(const BatchKernel& kernel, Work& w, const Lane* lanes, std::size_t count) {
    const BatchTables& tables = batchTables();
    BatchPass& g = w.greedy;
    kernel.pass(tables, w.state, w.block, g);
    FloorJob jobs[kMaxBatchLanes * 5];
    std::size_t jobCount = 0;
    std::int64_t total[kMaxBatchLanes], before[kMaxBatchLanes], best[kMaxBatchLanes];
    int bestOrder[kMaxBatchLanes];
    for (std::size_t l = 0; l < count; ++l) {
        w.floors[l] = {};
        if (lanes[l].blocks == 0) continue;
        // FloorSearch's test: a worst error beyond twice the RMS error plus 8.
        total[l] = best[l] = squaredError(g.errorHigh[l], g.errorLow[l]);
        bestOrder[l] = 5;
        const std::int64_t excess = std::int64_t{g.worst[l]} - 8;
        if (excess <= 0 ||
            excess * excess * static_cast<std::int64_t>(kCodesPerBlockV2) <= 4 * total[l])
            continue;
        const auto worstAt = static_cast<std::size_t>(g.worstAt[l]);
        const bool atWorst = worstAt <= kLastFloorPosition;
        before[l] = atWorst ? squaredError(g.errorHighAtWorst[l], g.errorLowAtWorst[l])
                            : squaredError(g.errorHighAt63[l], g.errorLowAt63[l]);
        const std::int32_t residual = atWorst ? g.residualAtWorst[l] : g.residualAt63[l];
        int fit = 0;  // the smallest step index whose top level reaches the residual
        while (fit < kStepCount - 1 &&
               ((kLevelsV2[15] * kStepTable[static_cast<std::size_t>(fit)]) >> 3) < residual)
            ++fit;
        int last = -1;
        for (int k = -2; k <= 2; ++k) {
            const int value = std::clamp(fit / 2 + k, 1, 31);
            if (value == last) continue;  // clamped onto the one just tried
            last = value;
            jobs[jobCount++] = {l, k + 2, static_cast<std::uint8_t>(value),
                                static_cast<std::uint8_t>(atWorst ? worstAt : kLastFloorPosition)};
        }
    }
    // Trials of like lengths side by side. Each runs to the block's end
    // unless its cost reaches the greedy coding's; of the trials that beat
    // it, the least cost wins, the earliest in FloorSearch's order on ties.
    std::sort(jobs, jobs + jobCount, [](const FloorJob& a, const FloorJob& b) {
        return a.position != b.position ? a.position < b.position
               : a.lane != b.lane       ? a.lane < b.lane
                                        : a.order < b.order;
    });
    for (std::size_t first = 0; first < jobCount; first += kMaxBatchLanes) {
        const std::size_t n = std::min(kMaxBatchLanes, jobCount - first);
        for (std::size_t j = 0; j < kMaxBatchLanes; ++j) {
            w.trial.length[j] = w.trial.floorIndex[j] = w.trial.limitHigh[j] = 0;
            if (j >= n) continue;
            const FloorJob& job = jobs[first + j];
            const std::size_t at = job.position;
            w.trialFrom.copyLane(
                static_cast<std::int32_t>(at) == g.worstAt[job.lane] ? g.atWorst : g.at63, job.lane,
                j);
            // Beyond its length a lane's samples are not used.
            for (std::size_t u = 0; at + u < kBlockCodes; ++u)
                w.trial.x[u][j] = w.block.x[at + u][job.lane];
            w.trial.length[j] = static_cast<std::int32_t>(kBlockCodes - at);
            w.trial.floorIndex[j] = 2 * job.value;
            w.trial.limitHigh[j] =
                static_cast<std::int32_t>((total[job.lane] - before[job.lane]) >> 16);
        }
        kernel.trial(tables, w.trialFrom, w.trial, w.trialOut);
        for (std::size_t j = 0; j < n; ++j) {
            const FloorJob& job = jobs[first + j];
            const std::size_t l = job.lane;
            const std::int64_t cost =
                before[l] + squaredError(w.trialOut.errorHigh[j], w.trialOut.errorLow[j]);
            if (cost >= total[l] || cost > best[l] || (cost == best[l] && job.order > bestOrder[l]))
                continue;
            best[l] = cost;
            bestOrder[l] = job.order;
            w.floors[l] = {job.position, job.value};
            for (std::size_t t = job.position; t < kBlockCodes; ++t)
                g.codes[t][l] = w.trialOut.codes[t - job.position][j];
            g.end.copyLane(w.trialOut.end, j, l);
        }
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
    if (path == BatchPath::Automatic && kernel.pass == batchKernelPortable().pass) {
        // Four lanes of SSE2 code slower than the one-element encoder's
        // tuned form: without AVX2 the fastest way is one sound at a time.
        std::vector<std::vector<std::uint8_t>> out;
        out.reserve(sounds.size());
        for (std::size_t i = 0; i < sounds.size(); ++i)
            out.push_back(encodeElement(sounds[i], rates[i]));
        return out;
    }

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
            writeBlock(out[lane.sound], lane.block, work->floors[l], work->greedy.codes, l);
            if (++lane.block == lane.blocks) {
                finishChecksum(out[lane.sound]);
                refill(l);
            }
        }
    }
    return out;
}

}  // namespace zadaravod::element
