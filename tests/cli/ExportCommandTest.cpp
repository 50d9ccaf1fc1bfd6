// zadaravod-cli export: the record sheet written beside the project file.
#include <gtest/gtest.h>

#include <filesystem>

#include "downloader/Flashrom.h"
#include "support/AudioFixtures.h"
#include "support/TempDir.h"

namespace zadaravod {
namespace {
namespace fs = std::filesystem;

download::ProcessResult cli(std::vector<std::string> args) {
    download::SystemProcessRunner runner;
    return runner.run(test::appDir() + "zadaravod-cli", args, {});
}

TEST(ExportCommand, WritesTheSheetBesideTheProjectFileAndPrintsItsPath) {
    test::TempDir dir;
    const std::string project = (dir / "demo.winproj").string();
    ASSERT_EQ(cli({"new", project}).exitCode, 0);
    test::writePcmWav(dir / "a.wav", 8000, 1, 16, 0.3);
    ASSERT_EQ(cli({"import", project, (dir / "a.wav").string()}).exitCode, 0);
    ASSERT_EQ(cli({"list", project, "0", "add", "1", "300ms"}).exitCode, 0);

    // Without an image the sheet is written all the same (checksum 0000000).
    const fs::path sheet = dir / "demo.winproj" / "demo.winproj.xlsx";
    auto r = cli({"export", project});
    ASSERT_EQ(r.exitCode, 0) << r.output;
    EXPECT_NE(r.output.find(sheet.string()), std::string::npos) << r.output;
    ASSERT_TRUE(fs::is_regular_file(sheet));
    EXPECT_EQ(test::readFile(sheet).substr(0, 2), "PK") << "an .xlsx package";

    ASSERT_EQ(cli({"build", project}).exitCode, 0);
    const auto before = fs::last_write_time(sheet);
    r = cli({"export", (dir / "demo.winproj" / "demo.winproj").string()});
    ASSERT_EQ(r.exitCode, 0) << r.output;
    EXPECT_GE(fs::last_write_time(sheet), before);
}

TEST(ExportCommand, AProjectThatDoesNotLoadIsRefused) {
    test::TempDir dir;
    const auto r = cli({"export", (dir / "none.winproj").string()});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(cli({"export"}).exitCode, 2);
}

}  // namespace
}  // namespace zadaravod
