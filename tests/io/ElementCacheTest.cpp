#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>

#include "io/ElementCache.h"
#include "support/TempDir.h"

namespace zadaravod {
namespace {
namespace fs = std::filesystem;

using Bytes = std::vector<std::uint8_t>;

ElementCache::Key keyOf(const std::string& text) { return Sha256::of(std::string_view(text)); }

Bytes bytesOf(std::size_t n, std::uint8_t seed) {
    Bytes b(n);
    for (std::size_t i = 0; i < n; ++i) b[i] = static_cast<std::uint8_t>(seed + i * 7);
    return b;
}

unsigned modeOf(const fs::path& p) {
    struct stat st {};
    return ::stat(p.c_str(), &st) == 0 ? (st.st_mode & 07777u) : 0u;
}

void setUsedTime(const fs::path& p, std::time_t seconds) {
    const timespec times[2] = {{seconds, 0}, {seconds, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, p.c_str(), times, 0), 0);
}

TEST(ElementCache, StoresAndFindsInPrivateFolders) {
    test::TempDir dir;
    fs::create_directories(dir / "cache");
    fs::permissions(dir / "cache", fs::perms::all);  // too open: made private
    ElementCache cache({dir / "cache", 1 << 20});
    ASSERT_TRUE(cache.usable()) << cache.problem();
    EXPECT_EQ(cache.problem(), "");
    EXPECT_FALSE(cache.find(keyOf("a")).has_value());
    ASSERT_TRUE(cache.store(keyOf("a"), bytesOf(500, 1)));
    ASSERT_TRUE(cache.store(keyOf("b"), bytesOf(0, 0)));
    EXPECT_EQ(cache.find(keyOf("a")), bytesOf(500, 1));
    EXPECT_EQ(cache.find(keyOf("b")), Bytes{});
    EXPECT_EQ(modeOf(dir / "cache"), 0700u);
    EXPECT_EQ(modeOf(cache.entryFolder()), 0700u);
    EXPECT_EQ(modeOf(cache.entryPath(keyOf("a"))), 0600u);
    EXPECT_EQ(cache.totalBytes(), 80u + 500u + 80u);
    // Replacing an entry leaves one file with the new bytes, no temporary.
    ASSERT_TRUE(cache.store(keyOf("a"), bytesOf(10, 9)));
    EXPECT_EQ(cache.find(keyOf("a")), bytesOf(10, 9));
    for (const auto& e : fs::directory_iterator(cache.entryFolder()))
        EXPECT_EQ(e.path().filename().string().find(".tmp"), std::string::npos) << e.path();
}

TEST(ElementCache, ADamagedOrMisplacedEntryIsRemovedNotReturned) {
    test::TempDir dir;
    ElementCache cache({dir / "c", 1 << 20});
    ASSERT_TRUE(cache.usable());
    ASSERT_TRUE(cache.store(keyOf("flip"), bytesOf(300, 3)));
    ASSERT_TRUE(cache.store(keyOf("cut"), bytesOf(300, 4)));
    ASSERT_TRUE(cache.store(keyOf("moved"), bytesOf(300, 5)));

    std::string file = test::readFile(cache.entryPath(keyOf("flip")));
    file[200] = static_cast<char>(file[200] ^ 1);  // one bit of the payload
    test::writeFile(cache.entryPath(keyOf("flip")), file);
    file = test::readFile(cache.entryPath(keyOf("cut")));
    test::writeFile(cache.entryPath(keyOf("cut")), file.substr(0, file.size() - 1));
    // An intact entry under another key's name.
    fs::copy_file(cache.entryPath(keyOf("moved")), cache.entryPath(keyOf("elsewhere")));

    for (const char* name : {"flip", "cut", "elsewhere"}) {
        EXPECT_FALSE(cache.find(keyOf(name)).has_value()) << name;
        EXPECT_FALSE(fs::exists(cache.entryPath(keyOf(name)))) << name;
    }
    EXPECT_EQ(cache.find(keyOf("moved")), bytesOf(300, 5));
    // Something that is not an entry file at all.
    fs::create_directory(cache.entryPath(keyOf("folder")));
    EXPECT_FALSE(cache.find(keyOf("folder")).has_value());
}

TEST(ElementCache, TrimDropsTheLeastRecentlyUsedAndKeepsTheBound) {
    test::TempDir dir;
    const std::uintmax_t entry = 80 + 1000;
    ElementCache cache({dir / "c", 5 * entry});
    ASSERT_TRUE(cache.usable());
    for (int i = 0; i < 8; ++i) {
        ASSERT_TRUE(
            cache.store(keyOf(std::to_string(i)), bytesOf(1000, static_cast<std::uint8_t>(i))));
        setUsedTime(cache.entryPath(keyOf(std::to_string(i))), 1000000 + i);
    }
    // Entry 0 is the oldest by writing, but was just used.
    ASSERT_TRUE(cache.find(keyOf("0")).has_value());
    cache.trim();
    EXPECT_LE(cache.totalBytes(), 5 * entry);
    EXPECT_TRUE(fs::exists(cache.entryPath(keyOf("0"))));
    EXPECT_TRUE(fs::exists(cache.entryPath(keyOf("7"))));
    EXPECT_FALSE(fs::exists(cache.entryPath(keyOf("1"))));
    EXPECT_FALSE(fs::exists(cache.entryPath(keyOf("2"))));
    EXPECT_TRUE(fs::exists(cache.entryFolder() / "usage"));

    // Later stores are counted without listing the folder, and a trim once
    // the running total passes the bound brings the folder back within it.
    const std::uintmax_t kept = cache.totalBytes();
    for (int i = 8; i < 20; ++i) {
        ASSERT_TRUE(
            cache.store(keyOf(std::to_string(i)), bytesOf(1000, static_cast<std::uint8_t>(i))));
        setUsedTime(cache.entryPath(keyOf(std::to_string(i))), 2000000 + i);
    }
    EXPECT_GT(cache.totalBytes(), kept);
    cache.trim();
    EXPECT_LE(cache.totalBytes(), 5 * entry);
    EXPECT_TRUE(fs::exists(cache.entryPath(keyOf("19"))));
    EXPECT_FALSE(fs::exists(cache.entryPath(keyOf("8"))));

    // Another process's cache object (a smaller bound) sees the same folder.
    ElementCache small({dir / "c", 2 * entry});
    ASSERT_TRUE(small.store(keyOf("new"), bytesOf(1000, 1)));
    small.trim();
    EXPECT_LE(small.totalBytes(), 2 * entry);
    EXPECT_TRUE(fs::exists(small.entryPath(keyOf("new"))));
}

TEST(ElementCache, ACacheThatCannotBeUsedSaysWhyAndDoesNothing) {
    test::TempDir dir;
    test::writeFile(dir / "file", "x");
    ElementCache underFile({dir / "file" / "cache", 1 << 20});
    EXPECT_FALSE(underFile.usable());
    EXPECT_NE(underFile.problem().find((dir / "file").string()), std::string::npos)
        << underFile.problem();
    EXPECT_FALSE(underFile.store(keyOf("a"), bytesOf(10, 1)));
    EXPECT_FALSE(underFile.find(keyOf("a")).has_value());
    underFile.trim();  // harmless

    if (::geteuid() == 0) {  // only root can hand a folder to another user
        fs::create_directories(dir / "foreign" / "elements");
        ASSERT_EQ(::chown((dir / "foreign").c_str(), 65534, 65534), 0);
        ElementCache foreign({dir / "foreign", 1 << 20});
        EXPECT_FALSE(foreign.usable());
        EXPECT_NE(foreign.problem().find("belongs to another user"), std::string::npos);
    }
}

TEST(ElementCache, AFullDiskStopsTheCacheAndLeavesNothingPartial) {
    test::TempDir dir;
    ElementCache cache({dir / "c", 1 << 20});
    ASSERT_TRUE(cache.usable());
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit old{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
    rlimit tiny = old;
    tiny.rlim_cur = 1000;  // files over 1000 bytes cannot be written
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &tiny), 0);
    const bool stored = cache.store(keyOf("big"), bytesOf(5000, 1));
    ::setrlimit(RLIMIT_FSIZE, &old);
    EXPECT_FALSE(stored);
    EXPECT_FALSE(cache.usable());
    EXPECT_NE(cache.problem().find("File too large"), std::string::npos) << cache.problem();
    EXPECT_FALSE(cache.store(keyOf("small"), bytesOf(10, 1)));  // stays off
    EXPECT_TRUE(fs::is_empty(cache.entryFolder()));
}

TEST(ElementCache, DefaultFolderFollowsXdgThenHome) {
    struct Restore {
        std::string name;
        std::optional<std::string> value;
        explicit Restore(const char* n) : name(n) {
            if (const char* v = std::getenv(n)) value = v;
        }
        ~Restore() {
            if (value)
                ::setenv(name.c_str(), value->c_str(), 1);
            else
                ::unsetenv(name.c_str());
        }
    } xdg("XDG_CACHE_HOME"), home("HOME");
    ::setenv("XDG_CACHE_HOME", "/x/cache", 1);
    ::setenv("HOME", "/home/u", 1);
    EXPECT_EQ(defaultElementCacheFolder(), fs::path("/x/cache/zadaravod"));
    ::setenv("XDG_CACHE_HOME", "relative/cache", 1);  // not absolute: ignored
    EXPECT_EQ(defaultElementCacheFolder(), fs::path("/home/u/.cache/zadaravod"));
    ::unsetenv("XDG_CACHE_HOME");
    ::unsetenv("HOME");
    EXPECT_TRUE(defaultElementCacheFolder().empty());
    ElementCache none;
    EXPECT_FALSE(none.usable());
    EXPECT_EQ(none.problem(), "");  // nothing worth telling
}

}  // namespace
}  // namespace zadaravod
