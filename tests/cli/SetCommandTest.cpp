// zadaravod-cli set, run as the user runs it.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "downloader/Flashrom.h"
#include "support/TempDir.h"

namespace zadaravod {
namespace {

class SetCommand : public ::testing::Test {
  protected:
    void SetUp() override {
        project = (dir / "demo.winproj").string();
        ASSERT_EQ(cli({"new", project}).exitCode, 0);
    }
    download::ProcessResult cli(std::vector<std::string> args) {
        download::SystemProcessRunner runner;
        return runner.run(test::appDir() + "zadaravod-cli", args, {});
    }
    nlohmann::json info() {
        const auto r = cli({"info", project, "--json"});
        EXPECT_EQ(r.exitCode, 0) << r.output;
        return nlohmann::json::parse(r.output);
    }
    test::TempDir dir;
    std::string project;
};

TEST_F(SetCommand, SetsEverySettingAndSaves) {
    const auto r = cli({"set", project, "mode=three-line", "output=dac", "busy=high", "pullup=off",
                        "music=on", "flash=512K", "key1=14", "key24=Edge no retrigger", "key7=vol-",
                        "key3.list=0aH", "key24.list=219"});
    ASSERT_EQ(r.exitCode, 0) << r.output;
    const auto j = info();
    EXPECT_EQ(j["settings"]["mode"], "three-line");
    EXPECT_EQ(j["settings"]["output"], "dac");
    EXPECT_EQ(j["settings"]["busyLevel"], "high");
    EXPECT_EQ(j["settings"]["pullUp"], false);
    EXPECT_EQ(j["settings"]["music"], true);
    EXPECT_EQ(j["settings"]["flashSize"], "512K");
    EXPECT_EQ(j["keys"][0]["function"], 14);
    EXPECT_EQ(j["keys"][23]["function"], 2);
    EXPECT_EQ(j["keys"][6]["function"], 13);
    EXPECT_EQ(j["keys"][2]["list"], 10);
    EXPECT_EQ(j["keys"][2]["listLabel"], "0aH");
    EXPECT_EQ(j["keys"][23]["list"], 219);
}

TEST_F(SetCommand, KeyFunctionNamesAsTheyAreTyped) {
    ASSERT_EQ(cli({"set", project, "key1=VOL +", "key2=vol+", "key3=Vol -", "key4=on/off",
                   "key5=no-function", "key6=EDGE_RETRIGGER", "key7=level hold loop", "key8=0"})
                  .exitCode,
              0);
    const auto keys = info()["keys"];
    const int expected[] = {12, 12, 13, 5, 0, 1, 3, 0};
    for (int i = 0; i < 8; ++i) EXPECT_EQ(keys[i]["function"], expected[i]) << "key" << i + 1;
    EXPECT_EQ(cli({"set", project, "key1=vol"}).exitCode, 2);
    EXPECT_EQ(cli({"set", project, "key1=-1"}).exitCode, 2);
}

TEST_F(SetCommand, BusyLowIsLogicZero) {
    ASSERT_EQ(cli({"set", project, "busy=low"}).exitCode, 0);
    EXPECT_EQ(info()["settings"]["busyLevel"], "low");
}

TEST_F(SetCommand, OneBadPairChangesNothingAndIsNamed) {
    const auto before = info();
    for (const std::string bad : {"key1.list=220", "key25=1", "key0=1", "key1=15", "mode=serial",
                                  "flash=8M", "pullup=yes", "volume=3", "key2"}) {
        const auto r = cli({"set", project, "mode=matrix", bad});
        EXPECT_EQ(r.exitCode, 2) << bad;
        EXPECT_NE(r.output.find(bad.substr(0, bad.find('='))), std::string::npos) << r.output;
        EXPECT_NE(r.output.find("Nothing was changed"), std::string::npos);
    }
    EXPECT_EQ(info(), before);
}

TEST_F(SetCommand, MusicBelongsToOneLineAndThreeLine) {
    ASSERT_EQ(cli({"set", project, "mode=one-line", "music=on"}).exitCode, 0);
    EXPECT_EQ(info()["settings"]["music"], true);
    // Another mode clears the flag, as a click in the options dialog does.
    ASSERT_EQ(cli({"set", project, "mode=parallel"}).exitCode, 0);
    EXPECT_EQ(info()["settings"]["music"], false);
    const auto r = cli({"set", project, "music=on"});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_NE(r.output.find("music=on needs mode one-line or three-line"), std::string::npos);
}

TEST_F(SetCommand, MissingProjectIsRefused) {
    const auto r = cli({"set", (dir / "nothing").string(), "mode=key"});
    EXPECT_EQ(r.exitCode, 1);
}

}  // namespace
}  // namespace zadaravod
