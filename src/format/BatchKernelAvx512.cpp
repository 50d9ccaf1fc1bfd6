// The batch kernel for AVX-512 (F and BW): 16 lanes of 32 bits in one
// vector (two side by side measured no faster: the state no longer fits the
// registers).
// Everything after the target pragma is compiled for AVX-512 only, so this
// file includes every header before it: an inline function of a header
// must not be compiled here, or the linker could pick that copy for the
// rest of the program.

#include <cstring>

#include "format/BatchKernel.h"

#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>

// GCC takes the target for the rest of the file, clang for every function
// defined from here on.
#if defined(__clang__)
#pragma clang attribute push(__attribute__((target("avx512f,avx512bw"))), apply_to = function)
#else
#pragma GCC push_options
#pragma GCC target("avx512f,avx512bw")
#endif

namespace zadaravod::element::detail {
namespace {

constexpr int kLanes = 16;
constexpr int kGroups = 1;
using V = std::int32_t __attribute__((vector_size(64)));
using UV = std::uint32_t __attribute__((vector_size(64)));
using V16 = std::int16_t __attribute__((vector_size(64)));

[[gnu::always_inline]] inline V madd16(V a, V b) {
    return __builtin_bit_cast(
        V, _mm512_madd_epi16(__builtin_bit_cast(__m512i, a), __builtin_bit_cast(__m512i, b)));
}
[[gnu::always_inline]] inline V16 adds16(V16 a, V16 b) {
    return __builtin_bit_cast(
        V16, _mm512_adds_epi16(__builtin_bit_cast(__m512i, a), __builtin_bit_cast(__m512i, b)));
}

struct Table16 {
    __m512i row;
};
struct Table64 {
    __m512i q0, q1, q2, q3;
};
[[gnu::always_inline]] inline Table16 loadTable16(const std::int32_t* t) {
    return {_mm512_loadu_si512(t)};
}
[[gnu::always_inline]] inline Table64 loadTable64(const std::int32_t* t) {
    return {_mm512_loadu_si512(t), _mm512_loadu_si512(t + 16), _mm512_loadu_si512(t + 32),
            _mm512_loadu_si512(t + 48)};
}
// The zero-masked permute: GCC 12's plain one reads an "undefined" vector
// that its own warning calls uninitialised.
[[gnu::always_inline]] inline V lookup(const Table16& table, V index) {
    return __builtin_bit_cast(
        V, _mm512_maskz_permutexvar_epi32(0xFFFF, __builtin_bit_cast(__m512i, index), table.row));
}
[[gnu::always_inline]] inline V lookup(const Table64& table, V index) {
    const __m512i i = __builtin_bit_cast(__m512i, index);
    const __m512i low = _mm512_permutex2var_epi32(table.q0, i, table.q1);
    const __m512i high = _mm512_permutex2var_epi32(table.q2, i, table.q3);
    return __builtin_bit_cast(
        V, _mm512_mask_blend_epi32(_mm512_test_epi32_mask(i, _mm512_set1_epi32(32)), low, high));
}

[[gnu::always_inline]] inline bool anyTrue(V mask) {
    const __m512i m = __builtin_bit_cast(__m512i, mask);
    return _mm512_test_epi32_mask(m, m) != 0;
}

[[gnu::always_inline]] inline void storeWhere(std::int32_t* p, V v, V mask) {
    const __m512i m = __builtin_bit_cast(__m512i, mask);
    _mm512_mask_storeu_epi32(p, _mm512_test_epi32_mask(m, m), __builtin_bit_cast(__m512i, v));
}

#include "format/BatchKernel.inc"

}  // namespace

BatchKernel batchKernelAvx512() { return {&pass, &trial, kLanes * kGroups}; }

}  // namespace zadaravod::element::detail

#if defined(__clang__)
#pragma clang attribute pop
#else
#pragma GCC pop_options
#endif

#else

namespace zadaravod::element::detail {
BatchKernel batchKernelAvx512() { return {}; }
}  // namespace zadaravod::element::detail

#endif
