#pragma once

// The vector kernel of the batch encoder (BatchEncoder.cpp): version 2's
// greedy pass over one block, and its floor trials, in many elements at once,
// one element per lane. Internal to the codec. The kernel is built once per instruction set
// (BatchKernelPortable.cpp, BatchKernelAvx2.cpp, BatchKernelAvx512.cpp) from
// BatchKernel.inc; the driver picks one at run time.
//
// Lane state is kept in a packed form that lets one 16-bit multiply-add
// (pmaddwd) do two taps: pairs of 16-bit values in one 32-bit lane, low half
// first. The zero predictor's differences do not fit 16 bits and are split
// as d = dh * 2^15 + dl with 0 <= dl < 2^15.

#include <cstddef>
#include <cstdint>

namespace zadaravod::element::detail {

/// The most lanes any kernel runs; arrays below are sized for it.
inline constexpr std::size_t kMaxBatchLanes = 16;
inline constexpr std::size_t kBlockCodes = 65;

/// The state of every lane, struct-of-arrays. Pairs (x_i, x_{i+3}) of the
/// zero predictor and (x_j, x_{j+8}) of the long predictor share a lane.
struct BatchState {
    alignas(64) std::int32_t s1[kMaxBatchLanes];
    alignas(64) std::int32_t s2[kMaxBatchLanes];
    alignas(64) std::int32_t a1[kMaxBatchLanes];
    alignas(64) std::int32_t a2[kMaxBatchLanes];
    alignas(64) std::int32_t stepIndex[kMaxBatchLanes];
    alignas(64) std::int32_t b[3][kMaxBatchLanes];      ///< zero coefficients, pairs
    alignas(64) std::int32_t dLow[3][kMaxBatchLanes];   ///< dl pairs
    alignas(64) std::int32_t dHigh[3][kMaxBatchLanes];  ///< dh pairs
    alignas(64) std::int32_t w[8][kMaxBatchLanes];      ///< long weights, pairs
    alignas(64) std::int32_t h[8][kMaxBatchLanes];      ///< long history, pairs

    /// Sets lane `lane` to the state at the start of an element.
    void reset(std::size_t lane, std::int32_t initialStepIndex);
    /// Copies lane `from` of `other` into lane `to` of this state.
    void copyLane(const BatchState& other, std::size_t from, std::size_t to);
};

/// One block's samples of every lane.
struct BatchBlock {
    alignas(64) std::int32_t x[kBlockCodes][kMaxBatchLanes];
};

/// The floor trials of one pass: per lane, the samples from the floor's
/// position on, how many there are, the floor, and when to give up.
struct BatchTrial {
    alignas(64) std::int32_t x[kBlockCodes][kMaxBatchLanes];
    alignas(64) std::int32_t length[kMaxBatchLanes];      ///< codes to make; 0: idle lane
    alignas(64) std::int32_t floorIndex[kMaxBatchLanes];  ///< 2 x the floor value
    /// A lane may stop once its squared error's high part exceeds this.
    alignas(64) std::int32_t limitHigh[kMaxBatchLanes];
};

/// What the greedy pass over a block gives per lane.
struct BatchPass {
    alignas(64) std::int32_t codes[kBlockCodes][kMaxBatchLanes];
    /// Squared errors as high * 65536 + low: of the block, before the worst
    /// code and before code 63.
    alignas(64) std::int32_t errorHigh[kMaxBatchLanes];
    alignas(64) std::int32_t errorLow[kMaxBatchLanes];
    alignas(64) std::int32_t errorHighAtWorst[kMaxBatchLanes];
    alignas(64) std::int32_t errorLowAtWorst[kMaxBatchLanes];
    alignas(64) std::int32_t errorHighAt63[kMaxBatchLanes];
    alignas(64) std::int32_t errorLowAt63[kMaxBatchLanes];
    /// The worst absolute error (the first of equals), its code position,
    /// and |residual| there and at code 63.
    alignas(64) std::int32_t worst[kMaxBatchLanes];
    alignas(64) std::int32_t worstAt[kMaxBatchLanes];
    alignas(64) std::int32_t residualAtWorst[kMaxBatchLanes];
    alignas(64) std::int32_t residualAt63[kMaxBatchLanes];
    BatchState end;      ///< the state after the block
    BatchState atWorst;  ///< the state before the worst code
    BatchState at63;     ///< the state before code 63
};

/// The codec's tables as 32-bit rows, for the kernels' lookups.
struct BatchTables {
    alignas(64) std::int32_t step[64];
    alignas(64) std::int32_t level[16];
    alignas(64) std::int32_t adjust[16];
    /// level[c] and level[c + 1] as a 16-bit pair (level[15] and 0 last).
    alignas(64) std::int32_t levelPair[16];
};
const BatchTables& batchTables();

/// The greedy pass (nearest level, no floor) over a block from `from`.
using BatchPassFunction = void (*)(const BatchTables& tables, const BatchState& from,
                                   const BatchBlock& block, BatchPass& out);

/// Floor trials from `from` (codes, squared errors and end states of `out`;
/// a lane that stopped at its limit has a partial error and no end state).
using BatchTrialFunction = void (*)(const BatchTables& tables, const BatchState& from,
                                    const BatchTrial& trial, BatchPass& out);

struct BatchKernel {
    BatchPassFunction pass = nullptr;  ///< null: not built for this processor family
    BatchTrialFunction trial = nullptr;
    std::size_t lanes = 0;
};

BatchKernel batchKernelPortable();
BatchKernel batchKernelAvx2();
BatchKernel batchKernelAvx512();

}  // namespace zadaravod::element::detail
