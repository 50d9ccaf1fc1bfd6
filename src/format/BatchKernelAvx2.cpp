// The batch kernel for AVX2: 8 lanes of 32 bits, two vectors side by side.
// Everything after the target pragma is compiled for AVX2 only, so this file
// includes every header before it (see BatchKernelAvx512.cpp).

#include <cstring>

#include "format/BatchKernel.h"

#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>

// GCC takes the target for the rest of the file, clang for every function
// defined from here on.
#if defined(__clang__)
#pragma clang attribute push(__attribute__((target("avx2"))), apply_to = function)
#else
#pragma GCC push_options
#pragma GCC target("avx2")
#endif

namespace zadaravod::element::detail {
namespace {

constexpr int kLanes = 8;
constexpr int kGroups = 2;
using V = std::int32_t __attribute__((vector_size(32)));
using UV = std::uint32_t __attribute__((vector_size(32)));
using V16 = std::int16_t __attribute__((vector_size(32)));

[[gnu::always_inline]] inline V madd16(V a, V b) {
    return __builtin_bit_cast(
        V, _mm256_madd_epi16(__builtin_bit_cast(__m256i, a), __builtin_bit_cast(__m256i, b)));
}
[[gnu::always_inline]] inline V16 adds16(V16 a, V16 b) {
    return __builtin_bit_cast(
        V16, _mm256_adds_epi16(__builtin_bit_cast(__m256i, a), __builtin_bit_cast(__m256i, b)));
}

struct Table16 {
    __m256i low, high;
};
struct Table64 {
    const std::int32_t* row;
};
[[gnu::always_inline]] inline Table16 loadTable16(const std::int32_t* t) {
    return {_mm256_loadu_si256(reinterpret_cast<const __m256i*>(t)),
            _mm256_loadu_si256(reinterpret_cast<const __m256i*>(t + 8))};
}
[[gnu::always_inline]] inline Table64 loadTable64(const std::int32_t* t) { return {t}; }
[[gnu::always_inline]] inline V lookup(const Table16& table, V index) {
    const __m256i i = __builtin_bit_cast(__m256i, index);
    const V low = __builtin_bit_cast(V, _mm256_permutevar8x32_epi32(table.low, i));
    const V high = __builtin_bit_cast(V, _mm256_permutevar8x32_epi32(table.high, i));
    return (index & 8) != 0 ? high : low;
}
[[gnu::always_inline]] inline V lookup(const Table64& table, V index) {
    return __builtin_bit_cast(
        V, _mm256_i32gather_epi32(table.row, __builtin_bit_cast(__m256i, index), 4));
}

[[gnu::always_inline]] inline bool anyTrue(V mask) {
    const __m256i m = __builtin_bit_cast(__m256i, mask);
    return _mm256_testz_si256(m, m) == 0;
}

[[gnu::always_inline]] inline void storeWhere(std::int32_t* p, V v, V mask) {
    _mm256_maskstore_epi32(p, __builtin_bit_cast(__m256i, mask), __builtin_bit_cast(__m256i, v));
}

#include "format/BatchKernel.inc"

}  // namespace

BatchKernel batchKernelAvx2() { return {&pass, &trial, kLanes * kGroups}; }

}  // namespace zadaravod::element::detail

#if defined(__clang__)
#pragma clang attribute pop
#else
#pragma GCC pop_options
#endif

#else

namespace zadaravod::element::detail {
BatchKernel batchKernelAvx2() { return {}; }
}  // namespace zadaravod::element::detail

#endif
