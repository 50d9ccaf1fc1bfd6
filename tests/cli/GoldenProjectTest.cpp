// Golden project folders (tests/data/<case>/): a project file and its
// flash-size file as the editor wrote them, and what `info --json` says of
// them. Each case is opened from a copy in a folder of its own; the paths in
// the expected output read "<dir>" for that folder.
#include <gtest/gtest.h>

#include <filesystem>
#include <nlohmann/json.hpp>

#include "model/ProjectFile.h"
#include "support/Cli.h"
#include "support/TempDir.h"

namespace zadaravod {
namespace {
namespace fs = std::filesystem;

class GoldenProject : public ::testing::TestWithParam<std::string> {
  protected:
    fs::path data() const { return fs::path(ZADARAVOD_SOURCE_DIR) / "tests/data" / GetParam(); }
};

std::string replaceAll(std::string text, const std::string& from, const std::string& to) {
    for (std::size_t at = text.find(from); at != std::string::npos;
         at = text.find(from, at + to.size())) {
        text.replace(at, from.size(), to);
    }
    return text;
}

TEST_P(GoldenProject, InfoSaysWhatTheCaseExpects) {
    test::TempDir dir;
    const fs::path folder = dir / (GetParam() + ".winproj");
    fs::create_directory(folder);
    for (const char* suffix : {"", "flash"}) {
        fs::copy_file(data() / (GetParam() + ".winproj" + suffix),
                      folder / (GetParam() + ".winproj" + suffix));
    }
    const test::CliRun run = test::runCli("info " + test::quoted(folder) + " --json 2>/dev/null");
    ASSERT_EQ(run.status, 0) << run.output;
    const auto actual = nlohmann::json::parse(replaceAll(run.output, dir.str(), "<dir>"));
    const auto expected = nlohmann::json::parse(test::readFile(data() / "info.json"));
    EXPECT_EQ(actual, expected) << actual.dump(2);
}

TEST_P(GoldenProject, LoadingAndStoringGivesTheSameBytes) {
    const fs::path file = data() / (GetParam() + ".winproj");
    const std::string bytes = test::readFile(file);
    const ProjectFileContent content = loadProjectFile(bytes, file.string());
    Project p;
    p.keys = content.keys;
    p.equation = content.equation;
    p.options = content.options;
    p.library = content.library;
    p.playlists = content.playlists;
    p.backgroundMusic = content.backgroundMusic;
    const auto stored = storeProjectFile(p);
    EXPECT_EQ(std::string(stored.begin(), stored.end()), bytes);
}

INSTANTIATE_TEST_SUITE_P(Cases, GoldenProject, ::testing::Values("empty", "keys", "music"));

}  // namespace
}  // namespace zadaravod
