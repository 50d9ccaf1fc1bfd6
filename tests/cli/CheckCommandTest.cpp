// zadaravod-cli check: what scripts gate a build on.
#include <gtest/gtest.h>

#include <filesystem>
#include <nlohmann/json.hpp>

#include "downloader/Flashrom.h"
#include "support/AudioFixtures.h"
#include "support/TempDir.h"

namespace zadaravod {
namespace {
namespace fs = std::filesystem;

class CheckCommand : public ::testing::Test {
  protected:
    void SetUp() override {
        project = (dir / "demo.winproj").string();
        ASSERT_EQ(cli({"new", project}).exitCode, 0);
    }
    download::ProcessResult cli(std::vector<std::string> args) {
        download::SystemProcessRunner runner;
        return runner.run(test::appDir() + "zadaravod-cli", args, {});
    }
    test::TempDir dir;
    std::string project;
};

TEST_F(CheckCommand, WarningsPassAndAnErrorFailsWithTheSameFindingsInJson) {
    // A new project in key mode: keys 1-10 play the empty lists 0-9.
    auto r = cli({"check", project, "--json"});
    ASSERT_EQ(r.exitCode, 0) << r.output;
    auto j = nlohmann::json::parse(r.output);
    EXPECT_EQ(j["version"], 1);
    EXPECT_EQ(j["kind"], "check");
    EXPECT_EQ(j["errors"], 0);
    EXPECT_EQ(j["warnings"], 10);
    EXPECT_EQ(j["findings"][0]["kind"], "key-list-empty");
    EXPECT_EQ(j["findings"][0]["key"], 1);
    EXPECT_EQ(j["findings"][0]["list"], 0);
    EXPECT_TRUE(j["findings"][0]["entry"].is_null());

    const fs::path wav = dir / "tone.wav";
    test::writePcmWav(wav, 8000, 1, 16, 0.2);
    ASSERT_EQ(cli({"import", project, wav.string()}).exitCode, 0);
    fs::remove(dir / "demo.winproj" / "demo.winproj.sound" / "tone.wav");

    r = cli({"check", project});
    EXPECT_EQ(r.exitCode, 1) << r.output;
    EXPECT_NE(r.output.find("error: sound 1 (tone.wav): The file"), std::string::npos) << r.output;
    EXPECT_NE(r.output.find("1 error, 10 warnings, 1 hint"), std::string::npos) << r.output;

    r = cli({"check", project, "--json"});
    EXPECT_EQ(r.exitCode, 1);
    j = nlohmann::json::parse(r.output);
    EXPECT_EQ(j["findings"][0]["severity"], "error");
    EXPECT_EQ(j["findings"][0]["sound"], 1);
}

TEST_F(CheckCommand, AProjectThatDoesNotLoadIsRefused) {
    EXPECT_EQ(cli({"check", (dir / "missing.winproj").string()}).exitCode, 1);
    EXPECT_EQ(cli({"check"}).exitCode, 2);
}

}  // namespace
}  // namespace zadaravod
