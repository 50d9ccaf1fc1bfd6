#include <gtest/gtest.h>

#include <filesystem>

#include "io/FileOperation.h"
#include "support/TempDir.h"

namespace zadaravod {
namespace {
namespace fs = std::filesystem;

class FileOperationTest : public ::testing::Test {
  protected:
    test::TempDir dir;
    CFileOperation op;
    void SetUp() override { op.overwrite = true; }
};

TEST_F(FileOperationTest, CopyIntoAFolderReplacesASameNamedFile) {
    fs::create_directory(dir / "sound");
    test::writeFile(dir / "a.wav", "new");
    test::writeFile(dir / "sound" / "a.wav", "old");
    EXPECT_TRUE(op.copy((dir / "a.wav").string(), (dir / "sound").string()));
    EXPECT_EQ(test::readFile(dir / "sound" / "a.wav"), "new");
}

TEST_F(FileOperationTest, FileAlreadyInTheFolderIsASuccessWithoutCopying) {
    fs::create_directory(dir / "sound");
    test::writeFile(dir / "sound" / "a.wav", "same");
    EXPECT_TRUE(op.copy((dir / "sound" / "a.wav").string(), (dir / "sound").string()));
    EXPECT_EQ(test::readFile(dir / "sound" / "a.wav"), "same");
}

TEST_F(FileOperationTest, MissingSourceAndWrongOperation) {
    const std::string missing = (dir / "nope.wav").string();
    EXPECT_FALSE(op.copy(missing, dir.str()));
    EXPECT_EQ(op.errorText(), missing + " not found");
    EXPECT_EQ(op.errorCode(), 0);

    fs::create_directory(dir / "folder");
    test::writeFile(dir / "folder" / "x", "x");
    test::writeFile(dir / "file", "f");
    EXPECT_FALSE(op.copy((dir / "folder").string(), (dir / "file").string()));
    EXPECT_EQ(op.errorText(), "Wrong operation");
}

TEST_F(FileOperationTest, FolderIntoFolderReusesAnExistingFolder) {
    fs::create_directories(dir / "src" / "sub");
    test::writeFile(dir / "src" / "one", "1");
    test::writeFile(dir / "src" / "sub" / "two", "2");
    fs::create_directories(dir / "dst" / "src");
    test::writeFile(dir / "dst" / "src" / "keep", "k");
    EXPECT_TRUE(op.copy((dir / "src").string(), (dir / "dst").string()));
    EXPECT_EQ(test::readFile(dir / "dst" / "src" / "one"), "1");
    EXPECT_EQ(test::readFile(dir / "dst" / "src" / "sub" / "two"), "2");
    EXPECT_EQ(test::readFile(dir / "dst" / "src" / "keep"), "k");
}

TEST_F(FileOperationTest, FolderWhoseParentIsTheDestinationIsSkipped) {
    fs::create_directories(dir / "Src");
    EXPECT_TRUE(op.copy((dir / "Src").string(), dir.str()));
}

TEST_F(FileOperationTest, FailedFileCopyCarriesTheSystemReason) {
    test::writeFile(dir / "a.wav", "x");
    CFileOperation noOverwrite;  // overwrite stays false
    test::writeFile(dir / "b.wav", "y");
    EXPECT_FALSE(noOverwrite.copy((dir / "a.wav").string(), (dir / "b.wav").string()));
    EXPECT_NE(noOverwrite.errorCode(), 0);
    EXPECT_FALSE(noOverwrite.errorText().empty());
    EXPECT_EQ(test::readFile(dir / "b.wav"), "y");
}

TEST(PathKind, Kinds) {
    test::TempDir dir;
    test::writeFile(dir / "f", "");
    EXPECT_EQ(pathKind((dir / "f").string()), 1);
    EXPECT_EQ(pathKind(dir.str()), 2);
    EXPECT_EQ(pathKind((dir / "none").string()), 0);
    EXPECT_EQ(pathKind((dir / "f" / "under-a-file").string()), 0);
}

}  // namespace
}  // namespace zadaravod
