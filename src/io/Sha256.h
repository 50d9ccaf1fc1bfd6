#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>

namespace zadaravod {

/// SHA-256 (FIPS 180-4), fed in pieces of any length. The compression runs
/// on the processor's SHA instructions where it has them (x86 SHA-NI, found
/// at run time) and in portable C++ otherwise; both give the same digest.
class Sha256 {
  public:
    using Digest = std::array<std::uint8_t, 32>;

    /// Which compression an object uses.
    enum class Engine {
        Fastest,   ///< the SHA instructions when the processor has them
        Portable,  ///< plain C++ everywhere (the reference the tests compare against)
    };

    explicit Sha256(Engine engine = Engine::Fastest);

    void update(std::span<const std::uint8_t> bytes);
    void update(std::string_view text);
    /// The digest of everything fed so far. The object is spent afterwards:
    /// feed a new one for the next message.
    Digest finish();

    /// The digest of one piece of bytes or text.
    static Digest of(std::span<const std::uint8_t> bytes);
    static Digest of(std::string_view text);
    /// 64 lower-case hexadecimal digits.
    static std::string hex(const Digest& digest);
    /// Whether Engine::Fastest uses the processor's SHA instructions here.
    static bool accelerated();

  private:
    void compress(const std::uint8_t* blocks, std::size_t count);

    std::array<std::uint32_t, 8> state_;
    std::array<std::uint8_t, 64> pending_{};
    std::size_t pendingBytes_ = 0;
    std::uint64_t totalBytes_ = 0;
    bool useInstructions_ = false;
};

/// Hashes the file at `path` by reading it in pieces (never more than 64 KiB
/// in memory). Returns false with the reason, naming the file, in `error`
/// when it cannot be opened or read, or when it is larger than `maxBytes`.
/// `sizeOut` receives the file's length in bytes.
bool sha256OfFile(const std::filesystem::path& path, Sha256::Digest& digest, std::string& error,
                  std::uintmax_t maxBytes, std::uintmax_t* sizeOut = nullptr);

}  // namespace zadaravod
