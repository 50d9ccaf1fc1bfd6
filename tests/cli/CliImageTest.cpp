#include <gtest/gtest.h>

#include <cstdio>
#include <nlohmann/json.hpp>

#include "model/ProjectFile.h"
#include "support/ImageFixtures.h"

namespace zadaravod {
namespace {

struct CliRun {
    int status = -1;
    std::string out, err;
};

CliRun cli(const std::string& args, const test::TempDir& dir) {
    const auto out = dir / "stdout.txt", err = dir / "stderr.txt";
    const std::string cmd = test::appDir() + "zadaravod-cli " + args + " >'" + out.string() +
                            "' 2>'" + err.string() + "'";
    CliRun r;
    const int raw = std::system(cmd.c_str());
    r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    r.out = test::readFile(out);
    r.err = test::readFile(err);
    return r;
}

Project savedProject(const test::TempDir& dir, int sounds) {
    Project p = test::makeProject(dir, sounds, 300);
    EXPECT_EQ(saveProjectFile(p), "");
    EXPECT_EQ(saveFlashSizeFile(p), "");
    return p;
}

TEST(CliImage, BuildThenInspectAsJson) {
    test::TempDir dir;
    Project p = test::makeProject(dir, 2, 300);
    p.playlists[0].addTail(p.library.at(1));
    p.playlists[0].addTail(CSound::silence(1200));
    p.options.controlMode = kModeMp3;
    ASSERT_EQ(saveProjectFile(p), "");
    ASSERT_EQ(saveFlashSizeFile(p), "");
    const std::string folder = (dir / "p.winproj").string();

    const CliRun build = cli("build '" + folder + "'", dir);
    ASSERT_EQ(build.status, 0) << build.err;
    EXPECT_NE(build.err.find("BIN File Saved!\nSize: "), std::string::npos) << build.err;

    const CliRun inspect = cli("inspect '" + p.imagePath() + "' --json", dir);
    ASSERT_EQ(inspect.status, 0) << inspect.err;
    const auto j = nlohmann::json::parse(inspect.out);
    EXPECT_EQ(j["version"], 1);
    EXPECT_EQ(j["kind"], "image");
    EXPECT_EQ(j["settings"]["mode"], "mp3");
    EXPECT_EQ(j["sounds"].size(), 2u);
    EXPECT_EQ(j["spareSounds"].size(), 508u);
    EXPECT_EQ(j["settings"]["listCountByte"], 2);
    ASSERT_EQ(j["playlists"].size(), 1u);
    EXPECT_EQ(j["playlists"][0]["label"], "00H");
    EXPECT_EQ(j["playlists"][0]["entries"][0]["type"], "sound");
    EXPECT_EQ(j["playlists"][0]["entries"][0]["sound"], 2);
    EXPECT_EQ(j["playlists"][0]["entries"][1]["type"], "silence");
    EXPECT_EQ(j["playlists"][0]["entries"][1]["durationMs"], 1200);
    EXPECT_EQ(j["sounds"][0]["address"], 0x17FF0);
    ASSERT_EQ(j["keys"].size(), 3u);
    EXPECT_EQ(j["keys"][0]["key"], 8);

    const CliRun extract =
        cli("inspect '" + p.imagePath() + "' --extract '" + (dir / "x").string() + "'", dir);
    ASSERT_EQ(extract.status, 0) << extract.err;
    EXPECT_TRUE(std::filesystem::exists(dir / "x" / "sound-002.wav"));
    EXPECT_TRUE(std::filesystem::exists(dir / "x" / "list-00H.wav"));
}

TEST(CliImage, FailedBuildExitsOne) {
    test::TempDir dir;
    Project p = test::makeProject(dir, 1, 300);
    for (int i = 0; i < 90; ++i) p.playlists[10].addTail(p.library.at(0));
    ASSERT_EQ(saveProjectFile(p), "");
    ASSERT_EQ(saveFlashSizeFile(p), "");
    const CliRun build = cli("build '" + (dir / "p.winproj").string() + "'", dir);
    EXPECT_EQ(build.status, 1);
    EXPECT_NE(build.err.find("List 0aH needs 270 bytes"), std::string::npos) << build.err;
    EXPECT_FALSE(std::filesystem::exists(p.imagePath()));
}

TEST(CliImage, InspectOfABrokenImageNamesTheOffset) {
    test::TempDir dir;
    savedProject(dir, 0);
    test::writeFile(dir / "short.bin", std::string(5000, '\xFF'));
    const CliRun r = cli("inspect '" + (dir / "short.bin").string() + "'", dir);
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("too short: 5000 bytes"), std::string::npos) << r.err;
    const CliRun missing = cli("inspect '" + (dir / "none.bin").string() + "'", dir);
    EXPECT_EQ(missing.status, 1);
    EXPECT_FALSE(missing.err.empty());
}

TEST(CliImage, ExtractionOverTheBudgetIsRefusedUnlessForced) {
    test::TempDir dir;
    Project p = savedProject(dir, 1);
    p.playlists[0].addTail(p.library.at(0));
    ASSERT_EQ(saveProjectFile(p), "");
    ASSERT_EQ(cli("build '" + (dir / "p.winproj").string() + "'", dir).status, 0);

    // List 1 of nine hours: 127 codes of 255 s, 518 MB at 8000 Hz.
    std::string image = test::readFile(p.imagePath());
    const std::size_t slot = image::slotOffset(1);
    for (std::size_t i = 0; i < 127; ++i) {
        image[slot + 2 * i] = static_cast<char>(0x81);
        image[slot + 2 * i + 1] = static_cast<char>(0xFF);
    }
    const auto hostile = dir / "hostile.bin";
    test::writeFile(hostile, image);
    const auto out = dir / "render";
    const CliRun refused =
        cli("inspect '" + hostile.string() + "' --extract '" + out.string() + "'", dir);
    EXPECT_EQ(refused.status, 1);
    EXPECT_NE(refused.err.find("more than the 256 MB allowed"), std::string::npos) << refused.err;
    EXPECT_NE(refused.err.find("--force"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(out / "sound-001.wav"));

    // Within the budget the same command writes every file.
    const CliRun fine =
        cli("inspect '" + p.imagePath() + "' --extract '" + out.string() + "'", dir);
    EXPECT_EQ(fine.status, 0) << fine.err;
    EXPECT_TRUE(std::filesystem::exists(out / "sound-001.wav"));
    EXPECT_TRUE(std::filesystem::exists(out / "list-00H.wav"));
}

}  // namespace
}  // namespace zadaravod
