#include <gtest/gtest.h>

#include <functional>

#include "model/ProjectFile.h"
#include "support/ProjectFixtures.h"
#include "support/TempDir.h"

namespace zadaravod {
namespace {

std::string asString(const std::vector<std::uint8_t>& b) { return std::string(b.begin(), b.end()); }

Project emptyProject() {
    Project p;
    p.options.setStartupValues();
    return p;
}

TEST(ProjectFile, EmptyProjectIs1144BytesInTheOrderOfTheFile) {
    const auto b = storeProjectFile(emptyProject());
    ASSERT_EQ(b.size(), 1144u);
    EXPECT_EQ(asString(b).substr(0, 10), std::string("\xFF\xFF\x01\x00\x04\x00"
                                                     "CKey",
                                                     10));
    EXPECT_EQ(asString(b).substr(106, 15), std::string("\xFF\xFF\x01\x00\x09\x00"
                                                       "CEquation",
                                                       15));
    EXPECT_EQ(asString(b).substr(217, 14), std::string("\xFF\xFF\x01\x00\x08\x00"
                                                       "COptions",
                                                       14));
    // 222 empty lists of four zero bytes close the file.
    EXPECT_EQ(asString(b).substr(1144 - 888), std::string(888, '\0'));
    EXPECT_EQ(asString(b).find("CSound"), std::string::npos);
}

TEST(ProjectFile, FlashSizeFileIs20Bytes) {
    CFlashSize f;
    f.sizeIndex = 4;
    EXPECT_EQ(asString(storeFlashSizeFile(f)), std::string("\xFF\xFF\x02\x00\x0A\x00"
                                                           "CFlashSize\x04\x00\x00\x00",
                                                           20));
    EXPECT_EQ(loadFlashSizeFile(asString(storeFlashSizeFile(f)), "f").sizeIndex, 4);
}

TEST(ProjectFile, LargestProjectRoundTrips) {
    const Project p = test::largestProject();
    const std::string bytes = asString(storeProjectFile(p));
    const ProjectFileContent c = loadProjectFile(bytes, "big");
    EXPECT_EQ(c.keys, p.keys);
    EXPECT_EQ(c.equation, p.equation);
    EXPECT_EQ(c.options, p.options);
    EXPECT_EQ(c.library, p.library);
    for (std::size_t i = 0; i < c.playlists.size(); ++i) {
        EXPECT_EQ(c.playlists[i], p.playlists[i]) << "playlist " << i;
    }
    EXPECT_EQ(c.backgroundMusic, p.backgroundMusic);
    EXPECT_EQ(c.library.at(1).name, "café-♪-1.wav");
}

TEST(ProjectFile, EveryPrefixOfASmallProjectFailsCleanly) {
    Project p = emptyProject();
    CSound s;
    s.kind = 1;
    s.name = "звук.wav";
    s.filePath = "/a/звук.wav";
    s.sampleRate = 8000;
    p.library.addTail(s);
    p.playlists[0].addTail(s);
    p.playlists[0].addTail(CSound::silence(300));
    p.options.binPath = "ünïcode.bin";
    const std::string bytes = asString(storeProjectFile(p));
    for (std::size_t n = 0; n < bytes.size(); ++n) {
        EXPECT_THROW(loadProjectFile(bytes.substr(0, n), "prefix"), ArchiveError) << n;
    }
    EXPECT_NO_THROW(loadProjectFile(bytes, "whole"));
}

TEST(ProjectFile, WrongRecordOrderIsABadClass) {
    Project p = emptyProject();
    std::string bytes = asString(storeProjectFile(p));
    // Swap the class names CKey and CEquation's places by starting with a CFlashSize.
    const std::string flash = asString(storeFlashSizeFile(CFlashSize{}));
    try {
        loadProjectFile(flash + bytes, "mixed");
        FAIL() << "no error";
    } catch (const ArchiveError& e) {
        EXPECT_EQ(e.kind(), ArchiveError::Kind::BadClass);
        EXPECT_NE(std::string(e.what()).find("mixed"), std::string::npos);
    }
}

/// A saved project read both ways: whole, and with the playlists' entries
/// passed to a visitor. `error` is set when the two disagree on failing.
struct ReadBothWays {
    bool whole = false, visited = false;
    std::string wholeError, visitedError;
    LoadedProject full, listed;
    std::vector<std::pair<int, CSound>> seen;

    explicit ReadBothWays(const std::string& file) {
        whole = readProject(file, full, wholeError);
        visited = readProject(file, listed, visitedError,
                              [this](int list, const CSound& s) { seen.emplace_back(list, s); });
    }
};

TEST(ProjectFile, AVisitorSeesEveryPlaylistEntryOfTheWholeRead) {
    test::TempDir dir;
    Project p = test::largestProject((dir / "big.winproj.sound").string());
    p.projectFilePath = (dir / "big.winproj").string();
    p.backgroundMusic.addTail(p.library.at(3));
    ASSERT_EQ(saveProjectFile(p), "");
    const ReadBothWays read(p.projectFilePath);
    ASSERT_TRUE(read.whole) << read.wholeError;
    ASSERT_TRUE(read.visited) << read.visitedError;
    std::size_t k = 0;
    for (int n = 0; n < kPlaylistCount; ++n) {
        EXPECT_TRUE(read.listed.project.playlists[static_cast<std::size_t>(n)].empty());
        for (const CSound& s : read.full.project.playlists[static_cast<std::size_t>(n)]) {
            ASSERT_LT(k, read.seen.size());
            const auto& [list, seen] = read.seen[k++];
            EXPECT_EQ(list, n);
            EXPECT_EQ(seen.name, s.name) << k;
            EXPECT_EQ(seen.kind, s.kind) << k;
            EXPECT_EQ(seen.durationMs, s.durationMs) << k;
            EXPECT_EQ(seen.sampleRate, s.sampleRate) << k;
            EXPECT_TRUE(seen.filePath.empty()) << k;
        }
    }
    EXPECT_EQ(k, read.seen.size());
    EXPECT_EQ(read.listed.project.library, read.full.project.library);
    EXPECT_EQ(read.listed.project.backgroundMusic, read.full.project.backgroundMusic);
    EXPECT_EQ(read.listed.project.options, read.full.project.options);
}

TEST(ProjectFile, AVisitorReadRefusesWhatTheWholeReadRefuses) {
    test::TempDir dir;
    const std::string file = (dir / "p.winproj").string();
    auto saveWith = [&](const std::function<void(Project&)>& spoil) {
        Project p = test::largestProject((dir / "p.winproj.sound").string());
        p.projectFilePath = file;
        spoil(p);
        ASSERT_EQ(saveProjectFile(p), "");
    };
    auto entryOf = [](Project& p, std::size_t list, std::size_t at) -> CSound& {
        return p.playlists[list].at(at);
    };
    const std::vector<std::function<void(Project&)>> spoils = {
        [&](Project& p) { entryOf(p, 7, 4).name = "../../outside.wav"; },
        [&](Project& p) { entryOf(p, 219, 84).name = "/etc/passwd"; },
        // Two problems: the library's is told first, as the whole read does.
        [&](Project& p) {
            entryOf(p, 0, 0).name = "..";
            p.library.at(509).name = "a\\b.wav";
        },
        [&](Project& p) { p.backgroundMusic.addTail(CSound::silence(10)); },
        // A silence may keep an empty name in a list.
        [&](Project& p) { entryOf(p, 3, 1).name = ""; },
    };
    for (std::size_t i = 0; i < spoils.size(); ++i) {
        saveWith(spoils[i]);
        const ReadBothWays read(file);
        EXPECT_EQ(read.visited, read.whole) << i;
        EXPECT_EQ(read.visitedError, read.wholeError) << i;
    }
    // And a truncated file the same way.
    const std::string bytes = test::readFile(file);
    test::writeFile(file, bytes.substr(0, bytes.size() / 2));
    const ReadBothWays cut(file);
    EXPECT_FALSE(cut.visited);
    EXPECT_EQ(cut.visitedError, cut.wholeError);
}

}  // namespace
}  // namespace zadaravod
