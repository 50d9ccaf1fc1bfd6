// The audio commands of zadaravod-cli, run as a program.
#include <gtest/gtest.h>

#include <array>
#include <cstdio>

#include "support/AudioFixtures.h"

namespace zadaravod {
namespace {
namespace fs = std::filesystem;
using test::TempDir;

struct CliRun {
    int status = -1;
    std::string output;  ///< standard output and standard error together
};

CliRun cli(const std::string& arguments) {
    const std::string command = test::appDir() + "zadaravod-cli " + arguments + " 2>&1";
    CliRun run;
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) return run;
    std::array<char, 4096> buffer{};
    while (std::fgets(buffer.data(), buffer.size(), pipe) != nullptr) run.output += buffer.data();
    const int raw = pclose(pipe);
    run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    return run;
}

std::string q(const fs::path& p) { return "'" + p.string() + "'"; }

class CliAudio : public ::testing::Test {
  protected:
    void SetUp() override {
        projectFile = dir / "demo.winproj";
        const CliRun created = cli("new " + q(projectFile));
        ASSERT_EQ(created.status, 0) << created.output;
        // The project folder is demo.winproj, holding demo.winproj and its sound folder.
        project = dir / "demo.winproj";
        soundFolder = project / "demo.winproj.sound";
        ASSERT_TRUE(fs::is_directory(soundFolder)) << created.output;
    }
    TempDir dir;
    fs::path projectFile, project, soundFolder;
};

TEST_F(CliAudio, ImportRemoveAndClearSaveTheProject) {
    test::writePcmWav(dir / "a.wav", 8000, 1, 16, 0.2);
    test::writePcmWav(dir / "b.wav", 16000, 2, 8, 0.2);
    CliRun r = cli("import " + q(project) + " " + q(dir / "a.wav") + " " + q(dir / "b.wav"));
    ASSERT_EQ(r.status, 0) << r.output;
    EXPECT_TRUE(fs::exists(soundFolder / "a.wav"));
    r = cli("info " + q(project));
    EXPECT_NE(r.output.find("b.wav"), std::string::npos) << r.output;

    r = cli("import " + q(project) + " " + q(dir / "a.wav"));
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.output.find("Sound file loaded already!"), std::string::npos) << r.output;

    r = cli("remove " + q(project) + " 3");
    EXPECT_EQ(r.status, 1) << r.output;
    r = cli("remove " + q(project) + " 1");
    ASSERT_EQ(r.status, 0) << r.output;
    EXPECT_FALSE(fs::exists(soundFolder / "a.wav"));
    r = cli("info " + q(project));
    EXPECT_EQ(r.output.find("a.wav"), std::string::npos) << r.output;

    r = cli("clear-library " + q(project));
    ASSERT_EQ(r.status, 0) << r.output;
    EXPECT_NE(r.output.find("Empty sound library"), std::string::npos);
    EXPECT_FALSE(fs::exists(soundFolder / "b.wav"));
}

TEST_F(CliAudio, MusicNeedsARateOnlyWhenItMustBeConverted) {
    test::makeWithFfmpeg(dir / "m.mp3", 22050, 1, "libmp3lame", 0.3);
    CliRun r = cli("music " + q(project) + " load " + q(dir / "m.mp3"));
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.output.find("4000, 6000, 8000"), std::string::npos) << r.output;
    r = cli("music " + q(project) + " load " + q(dir / "m.mp3") + " --rate 10000");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.output.find("4000, 6000, 8000"), std::string::npos) << r.output;
    EXPECT_FALSE(fs::exists(soundFolder / "m.mp3.wav"));

    r = cli("music " + q(project) + " load " + q(dir / "m.mp3") + " --rate 6000");
    ASSERT_EQ(r.status, 0) << r.output;
    EXPECT_TRUE(fs::exists(soundFolder / "m.mp3.wav"));
    r = cli("music " + q(project) + " load " + q(dir / "m.mp3") + " --rate 6000");
    EXPECT_EQ(r.status, 1) << r.output;

    r = cli("music " + q(project) + " clear");
    ASSERT_EQ(r.status, 0) << r.output;
    r = cli("info " + q(project));
    EXPECT_EQ(r.output.find("m.mp3.wav"), std::string::npos) << r.output;
    EXPECT_TRUE(fs::exists(soundFolder / "m.mp3.wav"));
}

TEST(CliConvert, NeedsASupportedRate) {
    TempDir dir;
    test::writePcmWav(dir / "a.wav", 16000, 2, 16, 0.2);
    CliRun r = cli("convert " + q(dir / "a.wav") + " " + q(dir / "o.wav"));
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.output.find("4000, 6000, 8000, 10000, 12000, 14000, 16000, 18000, 20000, 22000"),
              std::string::npos)
        << r.output;
    r = cli("convert " + q(dir / "a.wav") + " " + q(dir / "o.wav") + " --rate 11025");
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.output.find("11025 is not a rate the chip plays"), std::string::npos) << r.output;
    EXPECT_FALSE(fs::exists(dir / "o.wav"));
    r = cli("convert " + q(dir / "a.wav") + " " + q(dir / "o.wav") + " --rate 12000");
    EXPECT_EQ(r.status, 0) << r.output;
    EXPECT_NE(r.output.find("MP3/WMA to WAV Convert OK!"), std::string::npos);
    EXPECT_TRUE(fs::exists(dir / "o.wav"));
    r = cli("convert " + q(dir / "missing.mp3") + " " + q(dir / "o2.wav") + " --rate 8000");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.output.find("Convert OK!"), std::string::npos) << r.output;
}

}  // namespace
}  // namespace zadaravod
