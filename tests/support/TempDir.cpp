#include "support/TempDir.h"

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>

namespace zadaravod::test {

TempDir::TempDir() {
    std::random_device rd;
    for (int attempt = 0; attempt < 100; ++attempt) {
        auto candidate = std::filesystem::temp_directory_path() /
                         ("zadaravod-test-" + std::to_string(rd()) + std::to_string(rd()));
        std::error_code ec;
        if (std::filesystem::create_directory(candidate, ec)) {
            path_ = candidate;
            return;
        }
    }
    throw std::runtime_error("cannot create a temporary folder");
}

TempDir::~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

void writeFile(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

std::string appDir() {
    const char* env = std::getenv("ZADARAVOD_APP_DIR");
    std::string dir = env ? env : ZADARAVOD_APP_DIR;
    if (!dir.empty() && dir.back() != '/') dir += '/';
    return dir;
}

void keepFuzzSeed(const std::string& target, const std::string& bytes) {
    // FNV-1a names the seed by its content, so reruns do not pile up copies.
    std::uint64_t hash = 14695981039346656037ull;
    for (const char c : bytes) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 1099511628211ull;
    }
    const std::filesystem::path folder = std::filesystem::path(ZADARAVOD_FUZZ_SEED_DIR) / target;
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    if (!ec) writeFile(folder / (std::to_string(hash) + ".bin"), bytes);
}

}  // namespace zadaravod::test
