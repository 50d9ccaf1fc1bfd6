#include "io/FileDigests.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "support/TempDir.h"

namespace zadaravod {
namespace {
namespace fs = std::filesystem;

/// Files of a folder and a memo folder beside it; every file counts as
/// settled at once (settledSeconds -1) unless a test says otherwise.
struct Folder {
    test::TempDir dir;
    fs::path files = dir / "sounds";
    fs::path memo = dir / "digests";

    Folder() {
        fs::create_directories(files);
        fs::create_directories(memo);
    }
    std::string write(const std::string& name, const std::string& bytes) {
        test::writeFile(files / name, bytes);
        return (files / name).string();
    }
    FileDigests open(int settled = -1) const { return FileDigests(memo, files.string(), settled); }
};

Sha256::Digest digestOf(FileDigests& digests, const std::string& path) {
    std::string fingerprint, error;
    Sha256::Digest digest{};
    EXPECT_TRUE(digests.digestOf(path, fingerprint, digest, error, 1 << 20)) << error;
    EXPECT_EQ(fingerprint, fileFingerprint(path));
    return digest;
}

TEST(FileDigests, RemembersSettledFilesAcrossRunsAndRereadsChangedOnes) {
    Folder f;
    const std::string a = f.write("a.wav", "first content");
    const std::string b = f.write("b.wav", "other content");
    {
        FileDigests first = f.open();
        EXPECT_EQ(digestOf(first, a), Sha256::of(std::string_view("first content")));
        EXPECT_EQ(digestOf(first, b), Sha256::of(std::string_view("other content")));
        EXPECT_EQ(first.hashed(), 2u);
        EXPECT_TRUE(first.save());
    }
    {
        FileDigests second = f.open();
        EXPECT_EQ(digestOf(second, a), Sha256::of(std::string_view("first content")));
        EXPECT_EQ(second.hashed(), 0u) << "an unchanged file was read again";
        // Same size, new content: the times and the fingerprint change.
        f.write("b.wav", "OTHER CONTENT");
        EXPECT_EQ(digestOf(second, b), Sha256::of(std::string_view("OTHER CONTENT")));
        EXPECT_EQ(second.hashed(), 1u);
        EXPECT_TRUE(second.save());
    }
    // A file replaced by another of the same name and size is another inode.
    fs::remove(f.files / "a.wav");
    f.write("a.wav", "FIRST CONTENT");
    FileDigests third = f.open();
    EXPECT_EQ(digestOf(third, a), Sha256::of(std::string_view("FIRST CONTENT")));
    EXPECT_EQ(digestOf(third, b), Sha256::of(std::string_view("OTHER CONTENT")));
    EXPECT_EQ(third.hashed(), 1u);
}

TEST(FileDigests, FreshFilesAreNotRemembered) {
    Folder f;
    const std::string a = f.write("a.wav", "just written");
    FileDigests digests = f.open(FileDigests::kSettledSeconds);
    digestOf(digests, a);
    EXPECT_EQ(digests.remembered(), 0u);
    EXPECT_TRUE(digests.save());
    FileDigests again = f.open(FileDigests::kSettledSeconds);
    digestOf(again, a);
    EXPECT_EQ(again.hashed(), 1u);
}

TEST(FileDigests, DamagedOrForeignMemosAreIgnored) {
    Folder f;
    const std::string a = f.write("a.wav", "content");
    {
        FileDigests digests = f.open();
        digestOf(digests, a);
        ASSERT_TRUE(digests.save());
    }
    std::vector<fs::path> memos;
    for (const auto& e : fs::directory_iterator(f.memo)) memos.push_back(e.path());
    ASSERT_EQ(memos.size(), 1u);
    const std::string good = test::readFile(memos[0]);
    // Every byte flipped in turn, and every shortened form: never a wrong
    // digest, never a crash; the file is simply hashed again.
    for (std::size_t i = 0; i < good.size(); i += 3) {
        std::string bad = good;
        bad[i] = static_cast<char>(bad[i] ^ 0x5A);
        test::writeFile(memos[0], bad);
        FileDigests digests = f.open();
        EXPECT_EQ(digestOf(digests, a), Sha256::of(std::string_view("content"))) << i;
        EXPECT_EQ(digests.hashed(), 1u) << "a damaged memo was used (byte " << i << ")";
    }
    for (std::size_t n = 0; n < good.size(); n += 7) {
        test::writeFile(memos[0], good.substr(0, n));
        FileDigests digests = f.open();
        EXPECT_EQ(digestOf(digests, a), Sha256::of(std::string_view("content"))) << n;
        EXPECT_EQ(digests.hashed(), 1u) << n;
    }
}

TEST(FileDigests, MissingFilesFailAndNoMemoMeansHashingEveryTime) {
    Folder f;
    FileDigests digests = f.open();
    std::string fingerprint, error;
    Sha256::Digest digest{};
    EXPECT_FALSE(digests.digestOf((f.files / "none.wav").string(), fingerprint, digest, error, 1));
    EXPECT_NE(error.find("none.wav"), std::string::npos) << error;

    const std::string a = f.write("a.wav", "content");
    FileDigests none(fs::path(), f.files.string(), -1);
    digestOf(none, a);
    EXPECT_TRUE(none.save());
    EXPECT_TRUE(fs::is_empty(f.memo));
}

TEST(FileDigests, ThreadsShareOneMemo) {
    Folder f;
    std::vector<std::string> paths;
    for (int i = 0; i < 64; ++i)
        paths.push_back(f.write("s" + std::to_string(i) + ".wav", std::string(1000 + i, 'x')));
    FileDigests digests = f.open();
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&] {
            for (const std::string& p : paths) {
                std::string fingerprint, error;
                Sha256::Digest d{};
                ASSERT_TRUE(digests.digestOf(p, fingerprint, d, error, 1 << 20));
            }
        });
    }
    for (auto& t : threads) t.join();
    EXPECT_EQ(digests.remembered(), paths.size());
    ASSERT_TRUE(digests.save());
    FileDigests again = f.open();
    for (std::size_t i = 0; i < paths.size(); ++i)
        EXPECT_EQ(digestOf(again, paths[i]), Sha256::of(std::string(1000 + i, 'x')));
    EXPECT_EQ(again.hashed(), 0u);
}

}  // namespace
}  // namespace zadaravod
