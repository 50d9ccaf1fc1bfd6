#include "io/Sha256.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

#if defined(__x86_64__) || defined(__i386__)
#include <cpuid.h>
#include <immintrin.h>
#define ZADARAVOD_SHA_NI 1
#endif

namespace zadaravod {

namespace {

constexpr std::array<std::uint32_t, 64> kRound = {
    0x428a2f98, 0x71374491, 0xb5c0fbcf, 0xe9b5dba5, 0x3956c25b, 0x59f111f1, 0x923f82a4, 0xab1c5ed5,
    0xd807aa98, 0x12835b01, 0x243185be, 0x550c7dc3, 0x72be5d74, 0x80deb1fe, 0x9bdc06a7, 0xc19bf174,
    0xe49b69c1, 0xefbe4786, 0x0fc19dc6, 0x240ca1cc, 0x2de92c6f, 0x4a7484aa, 0x5cb0a9dc, 0x76f988da,
    0x983e5152, 0xa831c66d, 0xb00327c8, 0xbf597fc7, 0xc6e00bf3, 0xd5a79147, 0x06ca6351, 0x14292967,
    0x27b70a85, 0x2e1b2138, 0x4d2c6dfc, 0x53380d13, 0x650a7354, 0x766a0abb, 0x81c2c92e, 0x92722c85,
    0xa2bfe8a1, 0xa81a664b, 0xc24b8b70, 0xc76c51a3, 0xd192e819, 0xd6990624, 0xf40e3585, 0x106aa070,
    0x19a4c116, 0x1e376c08, 0x2748774c, 0x34b0bcb5, 0x391c0cb3, 0x4ed8aa4a, 0x5b9cca4f, 0x682e6ff3,
    0x748f82ee, 0x78a5636f, 0x84c87814, 0x8cc70208, 0x90befffa, 0xa4506ceb, 0xbef9a3f7, 0xc67178f2};

constexpr std::array<std::uint32_t, 8> kInitial = {0x6a09e667, 0xbb67ae85, 0x3c6ef372, 0xa54ff53a,
                                                   0x510e527f, 0x9b05688c, 0x1f83d9ab, 0x5be0cd19};

constexpr std::uint32_t rotr(std::uint32_t x, int n) { return (x >> n) | (x << (32 - n)); }

void compressPortable(std::array<std::uint32_t, 8>& state, const std::uint8_t* p,
                      std::size_t count) {
    for (; count > 0; --count, p += 64) {
        std::uint32_t w[64];
        for (int t = 0; t < 16; ++t) {
            w[t] = static_cast<std::uint32_t>(p[4 * t]) << 24 |
                   static_cast<std::uint32_t>(p[4 * t + 1]) << 16 |
                   static_cast<std::uint32_t>(p[4 * t + 2]) << 8 | p[4 * t + 3];
        }
        for (int t = 16; t < 64; ++t) {
            const std::uint32_t s0 = rotr(w[t - 15], 7) ^ rotr(w[t - 15], 18) ^ (w[t - 15] >> 3);
            const std::uint32_t s1 = rotr(w[t - 2], 17) ^ rotr(w[t - 2], 19) ^ (w[t - 2] >> 10);
            w[t] = w[t - 16] + s0 + w[t - 7] + s1;
        }
        std::uint32_t a = state[0], b = state[1], c = state[2], d = state[3];
        std::uint32_t e = state[4], f = state[5], g = state[6], h = state[7];
        for (int t = 0; t < 64; ++t) {
            const std::uint32_t t1 = h + (rotr(e, 6) ^ rotr(e, 11) ^ rotr(e, 25)) +
                                     ((e & f) ^ (~e & g)) + kRound[static_cast<std::size_t>(t)] +
                                     w[t];
            const std::uint32_t t2 =
                (rotr(a, 2) ^ rotr(a, 13) ^ rotr(a, 22)) + ((a & b) ^ (a & c) ^ (b & c));
            h = g;
            g = f;
            f = e;
            e = d + t1;
            d = c;
            c = b;
            b = a;
            a = t1 + t2;
        }
        state[0] += a;
        state[1] += b;
        state[2] += c;
        state[3] += d;
        state[4] += e;
        state[5] += f;
        state[6] += g;
        state[7] += h;
    }
}

#ifdef ZADARAVOD_SHA_NI

bool processorHasShaInstructions() {
    unsigned a = 0, b = 0, c = 0, d = 0;
    if (__get_cpuid(1, &a, &b, &c, &d) == 0) return false;
    const bool ssse3 = (c & bit_SSSE3) != 0, sse41 = (c & bit_SSE4_1) != 0;
    if (__get_cpuid_count(7, 0, &a, &b, &c, &d) == 0) return false;
    return ssse3 && sse41 && (b & bit_SHA) != 0;
}

/// The compression on the SHA instructions. The state is kept in the two
/// registers the instructions want (ABEF and CDGH); the message schedule
/// runs four words at a time in four registers used round-robin.
__attribute__((target("sha,sse4.1,ssse3"))) void compressWithInstructions(
    std::array<std::uint32_t, 8>& state, const std::uint8_t* p, std::size_t count) {
    const __m128i byteSwap = _mm_set_epi64x(0x0c0d0e0f08090a0bLL, 0x0405060700010203LL);
    __m128i tmp = _mm_loadu_si128(reinterpret_cast<const __m128i*>(&state[0]));
    __m128i state1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(&state[4]));
    tmp = _mm_shuffle_epi32(tmp, 0xB1);                // CDAB
    state1 = _mm_shuffle_epi32(state1, 0x1B);          // EFGH
    __m128i state0 = _mm_alignr_epi8(tmp, state1, 8);  // ABEF
    state1 = _mm_blend_epi16(state1, tmp, 0xF0);       // CDGH

    for (; count > 0; --count, p += 64) {
        const __m128i abefSaved = state0, cdghSaved = state1;
        __m128i w[4];
#pragma GCC unroll 16
        for (int i = 0; i < 16; ++i) {
            __m128i& current = w[i & 3];
            if (i < 4) {
                current = _mm_shuffle_epi8(
                    _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * i)), byteSwap);
            }
            __m128i msg = _mm_add_epi32(
                current, _mm_loadu_si128(reinterpret_cast<const __m128i*>(&kRound[4 * i])));
            state1 = _mm_sha256rnds2_epu32(state1, state0, msg);
            if (i >= 3 && i <= 14) {  // words of the group after next: W[t+16]
                __m128i& next = w[(i + 1) & 3];
                next = _mm_add_epi32(next, _mm_alignr_epi8(current, w[(i + 3) & 3], 4));
                next = _mm_sha256msg2_epu32(next, current);
            }
            msg = _mm_shuffle_epi32(msg, 0x0E);
            state0 = _mm_sha256rnds2_epu32(state0, state1, msg);
            if (i >= 1 && i <= 12) {
                __m128i& previous = w[(i + 3) & 3];
                previous = _mm_sha256msg1_epu32(previous, current);
            }
        }
        state0 = _mm_add_epi32(state0, abefSaved);
        state1 = _mm_add_epi32(state1, cdghSaved);
    }

    tmp = _mm_shuffle_epi32(state0, 0x1B);        // FEBA
    state1 = _mm_shuffle_epi32(state1, 0xB1);     // DCHG
    state0 = _mm_blend_epi16(tmp, state1, 0xF0);  // DCBA
    state1 = _mm_alignr_epi8(state1, tmp, 8);     // ABEF -> HGFE
    _mm_storeu_si128(reinterpret_cast<__m128i*>(&state[0]), state0);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(&state[4]), state1);
}

#endif

bool instructionsAvailable() {
#ifdef ZADARAVOD_SHA_NI
    static const bool available = processorHasShaInstructions();
    return available;
#else
    return false;
#endif
}

}  // namespace

Sha256::Sha256(Engine engine)
    : state_(kInitial), useInstructions_(engine == Engine::Fastest && instructionsAvailable()) {}

bool Sha256::accelerated() { return instructionsAvailable(); }

void Sha256::compress(const std::uint8_t* blocks, std::size_t count) {
#ifdef ZADARAVOD_SHA_NI
    if (useInstructions_) return compressWithInstructions(state_, blocks, count);
#endif
    compressPortable(state_, blocks, count);
}

void Sha256::update(std::span<const std::uint8_t> bytes) {
    totalBytes_ += bytes.size();
    const std::uint8_t* p = bytes.data();
    std::size_t n = bytes.size();
    if (pendingBytes_ > 0) {
        const std::size_t take = std::min(n, pending_.size() - pendingBytes_);
        std::memcpy(pending_.data() + pendingBytes_, p, take);
        pendingBytes_ += take;
        p += take;
        n -= take;
        if (pendingBytes_ < pending_.size()) return;
        compress(pending_.data(), 1);
        pendingBytes_ = 0;
    }
    if (n >= 64) {
        compress(p, n / 64);
        p += n / 64 * 64;
        n %= 64;
    }
    if (n > 0) std::memcpy(pending_.data(), p, n);
    pendingBytes_ = n;
}

void Sha256::update(std::string_view text) {
    update(std::span<const std::uint8_t>(reinterpret_cast<const std::uint8_t*>(text.data()),
                                         text.size()));
}

Sha256::Digest Sha256::finish() {
    const std::uint64_t bits = totalBytes_ * 8;
    std::uint8_t tail[72] = {0x80};
    const std::size_t padding = (pendingBytes_ < 56 ? 56 : 120) - pendingBytes_;
    for (int i = 0; i < 8; ++i)
        tail[padding + static_cast<std::size_t>(i)] =
            static_cast<std::uint8_t>(bits >> (56 - 8 * i));
    update(std::span<const std::uint8_t>(tail, padding + 8));
    Digest digest;
    for (std::size_t i = 0; i < 8; ++i) {
        digest[4 * i] = static_cast<std::uint8_t>(state_[i] >> 24);
        digest[4 * i + 1] = static_cast<std::uint8_t>(state_[i] >> 16);
        digest[4 * i + 2] = static_cast<std::uint8_t>(state_[i] >> 8);
        digest[4 * i + 3] = static_cast<std::uint8_t>(state_[i]);
    }
    return digest;
}

Sha256::Digest Sha256::of(std::span<const std::uint8_t> bytes) {
    Sha256 h;
    h.update(bytes);
    return h.finish();
}

Sha256::Digest Sha256::of(std::string_view text) {
    Sha256 h;
    h.update(text);
    return h.finish();
}

std::string Sha256::hex(const Digest& digest) {
    static const char digits[] = "0123456789abcdef";
    std::string text;
    text.reserve(64);
    for (std::uint8_t b : digest) {
        text += digits[b >> 4];
        text += digits[b & 15];
    }
    return text;
}

bool sha256OfFile(const std::filesystem::path& path, Sha256::Digest& digest, std::string& error,
                  std::uintmax_t maxBytes, std::uintmax_t* sizeOut) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        error = "Cannot read " + path.string() + ": " + std::strerror(errno);
        return false;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        error = "Cannot read " + path.string() + ": not a regular file";
        return false;
    }
    if (static_cast<std::uintmax_t>(st.st_size) > maxBytes) {
        ::close(fd);
        error = "Cannot read " + path.string() + ": the file is larger than " +
                std::to_string(maxBytes) + " bytes";
        return false;
    }
    Sha256 hash;
    std::vector<std::uint8_t> buffer(std::size_t{64} << 10);
    std::uintmax_t total = 0;
    for (;;) {
        const ssize_t n = ::read(fd, buffer.data(), buffer.size());
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            error = "Cannot read " + path.string() + ": " + std::strerror(errno);
            ::close(fd);
            return false;
        }
        if (n == 0) break;
        total += static_cast<std::uintmax_t>(n);
        if (total > maxBytes) {
            ::close(fd);
            error = "Cannot read " + path.string() + ": the file grew while it was read";
            return false;
        }
        hash.update(std::span<const std::uint8_t>(buffer.data(), static_cast<std::size_t>(n)));
    }
    ::close(fd);
    digest = hash.finish();
    if (sizeOut != nullptr) *sizeOut = total;
    return true;
}

}  // namespace zadaravod
