#pragma once

// Version 2's decoder state in the form the encoder runs it: the encoder
// replays the decoder for every candidate code, a few hundred times a block,
// so the 16-tap long predictor is kept in 16-bit lanes, where one SSE2
// multiply-add does eight taps. Internal to the codec; the tests compare it
// with CodecStateV2 code for code.

#include <array>
#include <cstdint>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "format/ElementCodec.h"
#include "format/ElementCodecDetail.h"

namespace zadaravod::element::detail {

/// CodecStateV2 held for speed. The weights always fit 16 bits (they are kept
/// within ±32767) and so do the history samples (they are output samples),
/// so every value is exact: for the same codes it reconstructs exactly the
/// samples CodecStateV2 does.
struct EncoderStateV2 {
    alignas(16) std::array<std::int16_t, kLmsTaps> w{};  ///< long predictor weights, Q14
    alignas(16) std::array<std::int16_t, kLmsTaps> h{};  ///< samples before s2, newest first
    /// The zero predictor's coefficients and differences in eight lanes, of
    /// which the last two stay 0.
    alignas(16) std::array<std::int32_t, 8> b{};
    alignas(16) std::array<std::int32_t, 8> d{};
    std::int32_t s1 = 0;
    std::int32_t s2 = 0;
    std::int32_t a1 = 0;
    std::int32_t a2 = 0;
    std::int32_t stepIndex = 0;

    /// The prediction of the next sample, clamped to 16 bits.
    [[gnu::always_inline]] std::int32_t predict() const {
        std::int64_t p = static_cast<std::int64_t>(a1) * s1 + static_cast<std::int64_t>(a2) * s2;
        for (int i = 0; i < kZeroTaps; ++i) p += static_cast<std::int64_t>(b[i]) * d[i];
        return clamp16((p + longPrediction()) >> 14);
    }

    /// The reconstructed difference of `code` at the current step.
    [[gnu::always_inline]] std::int32_t difference(std::uint8_t code) const {
        const std::int32_t mag =
            (kLevelsV2[code & 0x0F] * kStepTable[static_cast<std::size_t>(stepIndex)]) >> 3;
        return (code & 0x10) ? -mag : mag;
    }
    /// The sample `code` would reconstruct, without applying it.
    [[gnu::always_inline]] std::int32_t reconstruct(std::uint8_t code,
                                                    std::int32_t prediction) const {
        return clamp16(static_cast<std::int64_t>(prediction) + difference(code));
    }

    /// Applies one code with predict() already computed; returns the
    /// reconstructed sample.
    [[gnu::always_inline]] std::int32_t applyPredicted(std::uint8_t code, std::int32_t prediction) {
        const std::int32_t dq = difference(code);
        const std::int32_t r = clamp16(static_cast<std::int64_t>(prediction) + dq);
        applyChosen(code, dq, r);
        return r;
    }

    /// Applies one code whose difference `dq` (difference(code)) and
    /// reconstructed sample `r` the caller has already worked out.
    [[gnu::always_inline]] void applyChosen(std::uint8_t code, std::int32_t dq, std::int32_t r) {
        if (dq != 0) {
            adaptLong(dq > 0);
            const int sd = dq > 0 ? 1 : -1;
            a2 = std::clamp(a2 + sd * signOf(s2) * kPredictorStep, -kA2Limit, kA2Limit);
            const std::int32_t limit = kCoefOne - a2 - kStabilityMargin;
            a1 = std::clamp(a1 + sd * signOf(s1) * kPredictorStep, -limit, limit);
        }
        adaptZeros(dq);
        for (int i = kZeroTaps - 1; i > 0; --i)
            d[static_cast<std::size_t>(i)] = d[static_cast<std::size_t>(i) - 1];
        d[0] = dq;
        shiftHistory(static_cast<std::int16_t>(s2));
        stepIndex = std::clamp(stepIndex + kIndexAdjust[code & 0x0F], 0, kStepCount - 1);
        s2 = s1;
        s1 = r;
    }

  private:
    // The zero coefficients need no clamp here: from |b| <= 32767 the leak
    // and one step give at most 32767 - 127 + 48 in size, so the decoder's
    // clamp to ±32767 never acts.
#if defined(__SSE2__)
    static __m128i widenedSum(__m128i pairs) {
        const __m128i sign = _mm_srai_epi32(pairs, 31);
        return _mm_add_epi64(_mm_unpacklo_epi32(pairs, sign), _mm_unpackhi_epi32(pairs, sign));
    }
    [[gnu::always_inline]] std::int64_t longPrediction() const {
        const __m128i* wv = reinterpret_cast<const __m128i*>(w.data());
        const __m128i* hv = reinterpret_cast<const __m128i*>(h.data());
        // Each pair of products fits 32 bits (|w·h| < 2^30); the pairs are
        // summed in 64 bits.
        const __m128i sum = _mm_add_epi64(widenedSum(_mm_madd_epi16(wv[0], hv[0])),
                                          widenedSum(_mm_madd_epi16(wv[1], hv[1])));
        return _mm_cvtsi128_si64(_mm_add_epi64(sum, _mm_unpackhi_epi64(sum, sum)));
    }
    [[gnu::always_inline]] void adaptLong(bool up) {
        __m128i* wv = reinterpret_cast<__m128i*>(w.data());
        const __m128i* hv = reinterpret_cast<const __m128i*>(h.data());
        const __m128i zero = _mm_setzero_si128(), floor = _mm_set1_epi16(-kLmsLimit);
        for (int k = 0; k < 2; ++k) {
            // sign(h) · 4, negated for a falling difference; the saturating
            // add stops at +32767 and the max at -32767.
            const __m128i sign =
                _mm_sub_epi16(_mm_cmpgt_epi16(zero, hv[k]), _mm_cmpgt_epi16(hv[k], zero));
            __m128i delta = _mm_slli_epi16(sign, 2);
            if (!up) delta = _mm_sub_epi16(zero, delta);
            wv[k] = _mm_max_epi16(_mm_adds_epi16(wv[k], delta), floor);
        }
    }
    [[gnu::always_inline]] void adaptZeros(std::int32_t dq) {
        __m128i* bv = reinterpret_cast<__m128i*>(b.data());
        const __m128i* dv = reinterpret_cast<const __m128i*>(d.data());
        const __m128i zero = _mm_setzero_si128();
        const __m128i step = _mm_set1_epi32(dq == 0 ? 0 : dq > 0 ? kZeroStep : -kZeroStep);
        for (int k = 0; k < 2; ++k) {
            // b - (b >> 8) + step · sign(d)
            const __m128i up = _mm_and_si128(_mm_cmpgt_epi32(dv[k], zero), step);
            const __m128i down = _mm_and_si128(_mm_cmpgt_epi32(zero, dv[k]), step);
            bv[k] = _mm_add_epi32(_mm_sub_epi32(bv[k], _mm_srai_epi32(bv[k], kZeroLeakShift)),
                                  _mm_sub_epi32(up, down));
        }
    }
    [[gnu::always_inline]] void shiftHistory(std::int16_t newest) {
        __m128i* hv = reinterpret_cast<__m128i*>(h.data());
        hv[1] = _mm_or_si128(_mm_slli_si128(hv[1], 2), _mm_srli_si128(hv[0], 14));
        hv[0] = _mm_insert_epi16(_mm_slli_si128(hv[0], 2), newest, 0);
    }
#else
    std::int64_t longPrediction() const {
        std::int64_t p = 0;
        for (int i = 0; i < kLmsTaps; ++i) p += static_cast<std::int64_t>(w[i]) * h[i];
        return p;
    }
    void adaptLong(bool up) {
        const int sd = up ? 1 : -1;
        for (int i = 0; i < kLmsTaps; ++i) {
            w[i] = static_cast<std::int16_t>(
                std::clamp(w[i] + sd * signOf(h[i]) * kLmsStep, -kLmsLimit, kLmsLimit));
        }
    }
    void adaptZeros(std::int32_t dq) {
        const std::int32_t step = dq == 0 ? 0 : dq > 0 ? kZeroStep : -kZeroStep;
        for (int i = 0; i < kZeroTaps; ++i)
            b[i] = b[i] - (b[i] >> kZeroLeakShift) + step * signOf(d[i]);
    }
    void shiftHistory(std::int16_t newest) {
        for (int i = kLmsTaps - 1; i > 0; --i) h[i] = h[i - 1];
        h[0] = newest;
    }
#endif
};

}  // namespace zadaravod::element::detail
