#include <gtest/gtest.h>

#include "model/ProjectFile.h"
#include "support/ProjectFixtures.h"

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

}  // namespace
}  // namespace zadaravod
