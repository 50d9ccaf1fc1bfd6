#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "io/Sha256.h"
#include "support/TempDir.h"

namespace zadaravod {
namespace {

std::string hexOf(std::string_view text, Sha256::Engine engine) {
    Sha256 h(engine);
    h.update(text);
    return Sha256::hex(h.finish());
}

class Sha256Engines : public ::testing::TestWithParam<Sha256::Engine> {};

// The FIPS 180-4 examples and the classic long one, through each engine.
TEST_P(Sha256Engines, StandardVectors) {
    const Sha256::Engine engine = GetParam();
    EXPECT_EQ(hexOf("", engine),
              "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
    EXPECT_EQ(hexOf("abc", engine),
              "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
    EXPECT_EQ(hexOf("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq", engine),
              "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1");
    EXPECT_EQ(
        hexOf("abcdefghbcdefghicdefghijdefghijkefghijklfghijklmghijklmnhijklmnoijklmnopjklmnopq"
              "klmnopqrlmnopqrsmnopqrstnopqrstu",
              engine),
        "cf5b16a778af8380036ce59e7b0492370b249b11e8f07a51afac45037afee9d1");
    Sha256 million(engine);
    const std::string thousand(1000, 'a');
    for (int i = 0; i < 1000; ++i) million.update(thousand);
    EXPECT_EQ(Sha256::hex(million.finish()),
              "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0");
}

INSTANTIATE_TEST_SUITE_P(BothEngines, Sha256Engines,
                         ::testing::Values(Sha256::Engine::Fastest, Sha256::Engine::Portable));

// Every length around the padding boundaries, fed whole and in uneven
// pieces, gives the same digest on both engines.
TEST(Sha256, PiecesAndEnginesAgree) {
    std::mt19937 rng(7);
    std::vector<std::uint8_t> data(3000);
    for (auto& b : data) b = static_cast<std::uint8_t>(rng());
    for (std::size_t length :
         {0u, 1u, 55u, 56u, 57u, 63u, 64u, 65u, 119u, 120u, 128u, 1000u, 2999u, 3000u}) {
        const std::span<const std::uint8_t> message(data.data(), length);
        Sha256 portable(Sha256::Engine::Portable);
        portable.update(message);
        const Sha256::Digest reference = portable.finish();
        EXPECT_EQ(Sha256::of(message), reference) << length;
        Sha256 pieces;
        for (std::size_t at = 0, step = 1; at < length; at += step, step = step * 3 % 97 + 1)
            pieces.update(message.subspan(at, std::min(step, length - at)));
        EXPECT_EQ(pieces.finish(), reference) << length;
    }
}

TEST(Sha256, FilesAreHashedWithinTheirLimit) {
    test::TempDir dir;
    test::writeFile(dir / "f", "abc");
    Sha256::Digest digest{};
    std::string error;
    std::uintmax_t size = 0;
    ASSERT_TRUE(sha256OfFile(dir / "f", digest, error, 3, &size)) << error;
    EXPECT_EQ(digest, Sha256::of(std::string_view("abc")));
    EXPECT_EQ(size, 3u);
    EXPECT_FALSE(sha256OfFile(dir / "f", digest, error, 2));
    EXPECT_NE(error.find("larger than 2 bytes"), std::string::npos) << error;
    EXPECT_FALSE(sha256OfFile(dir / "missing", digest, error, 100));
    EXPECT_NE(error.find("missing"), std::string::npos) << error;
    EXPECT_FALSE(sha256OfFile(dir.path(), digest, error, 100));  // a folder
}

}  // namespace
}  // namespace zadaravod
