// info --json of a project and inspect --json of the image built from it use
// one shape for what both hold, with the same values.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "format/ChipConstants.h"
#include "model/ProjectFile.h"
#include "support/Cli.h"
#include "support/ImageFixtures.h"

namespace zadaravod {
namespace {
using nlohmann::json;

json jsonOf(const std::string& arguments) {
    const test::CliRun run = test::runCli(arguments + " 2>/dev/null");
    EXPECT_EQ(run.status, 0) << arguments << "\n" << run.output;
    return json::parse(run.output, nullptr, false);
}

/// A key-mode project: three 250 ms sounds at 16000 Hz, three playlists, two
/// keys of their own, PWM output, busy high, pull-up, 512K.
Project keyModeProject(const test::TempDir& dir) {
    Project p = test::makeProject(dir, 3, 4000, 16000);
    p.playlists[0].addTail(p.library.at(1));
    p.playlists[0].addTail(CSound::silence(1200));
    p.playlists[0].addTail(p.library.at(0));
    p.playlists[7].addTail(CSound::silence(2550));
    p.playlists[219].addTail(p.library.at(2));
    p.options.controlMode = kModeKey;
    p.options.audioOutput = 0;
    p.options.busyLevel = 0;
    p.options.pullUp = 1;
    p.flashSize.sizeIndex = 3;
    p.keys.keyFunction[0] = 3;
    p.equation.listOfKey[0] = 7;
    p.keys.keyFunction[9] = 12;
    p.equation.listOfKey[9] = 219;
    return p;
}

TEST(CliJson, AProjectAndItsImageAgreeOnTheSharedFields) {
    test::TempDir dir;
    const Project p = keyModeProject(dir);
    ASSERT_EQ(saveProjectFiles(p), "");
    const std::string folder = test::quoted(dir / "p.winproj");
    ASSERT_EQ(test::runCli("build " + folder).status, 0);

    const json project = jsonOf("info " + folder + " --json");
    const json image = jsonOf("inspect " + test::quoted(p.imagePath()) + " --json");
    EXPECT_EQ(project["version"], 1);
    EXPECT_EQ(image["version"], 1);
    EXPECT_EQ(project["kind"], "project");
    EXPECT_EQ(image["kind"], "image");

    for (const char* field : {"mode", "modeNumber", "output", "busyLevel", "pullUp", "flashSize"})
        EXPECT_EQ(project["settings"][field], image["settings"][field]) << field;
    EXPECT_EQ(image["settings"]["mode"], "key");
    EXPECT_EQ(image["settings"]["output"], "pwm");
    EXPECT_EQ(image["settings"]["busyLevel"], "high");
    EXPECT_EQ(image["settings"]["flashSize"], "512K");
    EXPECT_EQ(project["settings"]["music"], false);
    EXPECT_TRUE(image["settings"]["music"].is_null()) << "the image holds no music flag";

    // The image holds the keys of its mode (ten in key mode); each agrees
    // with the project's key of that number.
    ASSERT_EQ(image["keys"].size(), 10U);
    for (const json& key : image["keys"]) {
        const json& same = project["keys"][key["key"].get<int>() - 1];
        EXPECT_EQ(key, same) << key.dump();
    }
    EXPECT_EQ(image["keys"][0]["functionName"], "level hold loop");
    EXPECT_EQ(image["keys"][9]["listLabel"], "dbH");

    // The playlists agree entry for entry; the project also names its sounds.
    json lists = project["playlists"];
    for (json& list : lists)
        for (json& entry : list["entries"]) entry.erase("name");
    EXPECT_EQ(lists, image["playlists"]);
    ASSERT_EQ(lists.size(), 3U);
    EXPECT_EQ(lists[0]["entries"][0]["sound"], 2);
    EXPECT_EQ(lists[1]["entries"][0]["durationMs"], 2550);

    ASSERT_EQ(project["sounds"].size(), 3U);
    ASSERT_EQ(image["sounds"].size(), 3U);
    for (std::size_t i = 0; i < 3; ++i) {
        for (const char* field : {"no", "rate", "durationMs"})
            EXPECT_EQ(project["sounds"][i][field], image["sounds"][i][field]) << i << " " << field;
    }
    EXPECT_EQ(image["sounds"][2]["durationMs"], 250);
    EXPECT_EQ(image["sounds"][2]["rate"], 16000);
}

TEST(CliJson, AListEntryWhoseSoundIsNotInTheLibraryHasNoNumber) {
    test::TempDir dir;
    Project p = test::makeProject(dir, 1);
    CSound gone = p.library.at(0);
    gone.name = "gone.wav";
    gone.filePath = soundPath(p.soundFolder, gone.name);
    p.playlists[4].addTail(gone);
    p.playlists[4].addTail(p.library.at(0));
    ASSERT_EQ(saveProjectFiles(p), "");
    const json entries =
        jsonOf("info " + test::quoted(dir / "p.winproj") + " --json")["playlists"][0]["entries"];
    ASSERT_EQ(entries.size(), 2U);
    EXPECT_TRUE(entries[0]["sound"].is_null()) << entries.dump();
    EXPECT_EQ(entries[0]["name"], "gone.wav");
    EXPECT_EQ(entries[1]["sound"], 1);
}

}  // namespace
}  // namespace zadaravod
