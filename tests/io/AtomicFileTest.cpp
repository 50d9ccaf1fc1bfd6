#include <gtest/gtest.h>

#include <filesystem>

#include "io/AtomicFile.h"
#include "support/TempDir.h"

namespace zadaravod {
namespace {
namespace fs = std::filesystem;

std::vector<std::uint8_t> bytes(const std::string& s) { return {s.begin(), s.end()}; }

TEST(AtomicFile, ReplacesTheOldFileAndLeavesNoTemporary) {
    test::TempDir dir;
    test::writeFile(dir / "p", "old content");
    EXPECT_EQ(writeFileAtomically(dir / "p", bytes("new")), "");
    EXPECT_EQ(test::readFile(dir / "p"), "new");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator{}), 1);
}

TEST(AtomicFile, FailureNamesTheFileAndKeepsTheOld) {
    test::TempDir dir;
    const std::string error = writeFileAtomically(dir / "missing" / "p", bytes("x"));
    EXPECT_NE(error.find("missing/p"), std::string::npos);
    fs::create_directory(dir / "p");  // a folder where the file should go
    EXPECT_NE(writeFileAtomically(dir / "p", bytes("x")), "");
    EXPECT_TRUE(fs::is_directory(dir / "p"));
}

TEST(AtomicFile, PendingFileIsRemovedUnlessCommitted) {
    test::TempDir dir;
    fs::path temporary;
    {
        PendingFile pending(dir / "image.bin");
        temporary = pending.temporaryPath();
        test::writeFile(temporary, "half");
    }
    EXPECT_FALSE(fs::exists(temporary));
    EXPECT_FALSE(fs::exists(dir / "image.bin"));
    {
        PendingFile pending(dir / "image.bin");
        test::writeFile(pending.temporaryPath(), "whole");
        EXPECT_EQ(pending.commit(), "");
    }
    EXPECT_EQ(test::readFile(dir / "image.bin"), "whole");
}

TEST(AtomicFile, ReadWholeFileRefusesFoldersMissingAndOversized) {
    test::TempDir dir;
    std::string content;
    std::string error;
    EXPECT_FALSE(readWholeFile(dir / "none", content, error));
    EXPECT_NE(error.find("none"), std::string::npos);
    EXPECT_FALSE(readWholeFile(dir.path(), content, error));
    test::writeFile(dir / "big", std::string(100, 'x'));
    EXPECT_FALSE(readWholeFile(dir / "big", content, error, 99));
    EXPECT_TRUE(readWholeFile(dir / "big", content, error, 100));
    EXPECT_EQ(content.size(), 100u);
}

}  // namespace
}  // namespace zadaravod
