// The batch kernel without any instruction-set extension: 4 lanes of 32
// bits (SSE2 on x86-64, plain code elsewhere), four vectors side by side.

#include <cstring>

#include "format/BatchKernel.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace zadaravod::element::detail {
namespace {

constexpr int kLanes = 4;
constexpr int kGroups = 4;
using V = std::int32_t __attribute__((vector_size(16)));
using UV = std::uint32_t __attribute__((vector_size(16)));
using V16 = std::int16_t __attribute__((vector_size(16)));

#if defined(__SSE2__)
[[gnu::always_inline]] inline V madd16(V a, V b) {
    return __builtin_bit_cast(
        V, _mm_madd_epi16(__builtin_bit_cast(__m128i, a), __builtin_bit_cast(__m128i, b)));
}
[[gnu::always_inline]] inline V16 adds16(V16 a, V16 b) {
    return __builtin_bit_cast(
        V16, _mm_adds_epi16(__builtin_bit_cast(__m128i, a), __builtin_bit_cast(__m128i, b)));
}
#else
inline V madd16(V a, V b) {
    const V16 x = __builtin_bit_cast(V16, a), y = __builtin_bit_cast(V16, b);
    V out{};
    for (int i = 0; i < kLanes; ++i)
        out[i] = std::int32_t{x[2 * i]} * y[2 * i] + std::int32_t{x[2 * i + 1]} * y[2 * i + 1];
    return out;
}
inline V16 adds16(V16 a, V16 b) {
    V16 out{};
    for (int i = 0; i < 2 * kLanes; ++i) {
        const std::int32_t s = std::int32_t{a[i]} + b[i];
        out[i] = static_cast<std::int16_t>(s > 32767 ? 32767 : s < -32768 ? -32768 : s);
    }
    return out;
}
#endif

struct Table16 {
    const std::int32_t* row;
};
using Table64 = Table16;
inline Table16 loadTable16(const std::int32_t* t) { return {t}; }
inline Table64 loadTable64(const std::int32_t* t) { return {t}; }
inline V lookup(const Table16& table, V index) {
    V out{};
    for (int i = 0; i < kLanes; ++i) out[i] = table.row[index[i]];
    return out;
}

inline bool anyTrue(V mask) {
    bool any = false;
    for (int i = 0; i < kLanes; ++i) any = any || mask[i] != 0;
    return any;
}

inline void storeWhere(std::int32_t* p, V v, V mask) {
    for (int i = 0; i < kLanes; ++i)
        if (mask[i] != 0) p[i] = v[i];
}

#include "format/BatchKernel.inc"

}  // namespace

BatchKernel batchKernelPortable() { return {&pass, &trial, kLanes * kGroups}; }

}  // namespace zadaravod::element::detail
