// zadaravod-cli list ... and clear-lists, run as a program on a project the
// test writes.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <cstdio>
#include <string>
#include <vector>

#include "model/ProjectFile.h"
#include "support/TempDir.h"

namespace zadaravod {
namespace {

struct CliRun {
    int status;
    std::string output;  ///< standard output and standard error
};

CliRun cli(const std::string& arguments) {
    const std::string command = test::appDir() + "zadaravod-cli " + arguments + " 2>&1";
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return {-1, ""};
    std::string output;
    char buffer[512];
    while (std::fgets(buffer, sizeof buffer, pipe)) output += buffer;
    const int raw = pclose(pipe);
    return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, output};
}

class ListCommands : public ::testing::Test {
  protected:
    void SetUp() override {
        const auto folder = dir / "demo";
        std::filesystem::create_directories(folder / "sound");
        project.projectFilePath = (folder / "demo").string();
        project.soundFolder = (folder / "sound").string();
        project.projectOpen = true;
        for (const char* n : {"a.wav", "b.wav", "c.wav"}) {
            CSound s;
            s.kind = 1;
            s.name = n;
            s.filePath = project.soundFolder + "/" + n;
            s.sampleRate = 8000;
            s.durationMs = 100;
            project.library.addTail(s);
        }
        ASSERT_EQ(saveProjectFile(project), "");
        ASSERT_EQ(saveFlashSizeFile(project), "");
    }
    std::string projectArg() const { return (dir / "demo").string(); }
    ProjectFileContent stored() const {
        return loadProjectFile(test::readFile(project.projectFilePath), project.projectFilePath);
    }
    /// List n as "a.wav,10ms,...".
    std::string entries(int n) const {
        const ProjectFileContent content = stored();
        std::string out;
        for (const CSound& s : content.playlists[static_cast<std::size_t>(n)]) {
            if (!out.empty()) out += ",";
            out += s.isSound() ? s.name : std::to_string(s.durationMs) + "ms";
        }
        return out;
    }

    test::TempDir dir;
    Project project;
};

TEST_F(ListCommands, AddAppendsWithBackFillAndInsertsBeforeInOrder) {
    CliRun run = cli("list " + projectArg() + " 3 add 1 300ms 2");
    ASSERT_EQ(run.status, 0) << run.output;
    EXPECT_EQ(entries(3), "a.wav,300ms,b.wav");
    EXPECT_EQ(entries(0), "10ms");
    EXPECT_EQ(entries(2), "10ms");
    EXPECT_EQ(entries(4), "");
    EXPECT_NE(run.output.find("List 03H: 3 entries, 10 of 255 bytes"), std::string::npos);

    run = cli("list " + projectArg() + " 03H add 3 1500ms --before 2");
    ASSERT_EQ(run.status, 0) << run.output;
    EXPECT_EQ(entries(3), "a.wav,c.wav,1500ms,300ms,b.wav");
}

TEST_F(ListCommands, ARefusedAddLeavesTheFileAsItWas) {
    for (int i = 0; i < 84; ++i) project.playlists[0].addTail(project.library.at(0));
    ASSERT_EQ(saveProjectFile(project), "");
    const std::string before = test::readFile(project.projectFilePath);

    // 252 bytes: a 300 ms silence needs 4, and the first item is not kept either.
    CliRun run = cli("list " + projectArg() + " 0 add 10ms 300ms");
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.output.find("Full, cannot insert more!"), std::string::npos) << run.output;
    EXPECT_EQ(test::readFile(project.projectFilePath), before);

    run = cli("list " + projectArg() + " 0 add 4");
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.output.find("No sound 4 in the library"), std::string::npos) << run.output;
    // A length no silence can have is a usage error.
    run = cli("list " + projectArg() + " 0 add 15ms");
    EXPECT_EQ(run.status, 2);
    run = cli("list " + projectArg() + " 0 add 2560ms");
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.output.find("Out of range! (1 - 255)"), std::string::npos) << run.output;
    run = cli("list " + projectArg() + " 0 add 1 --before 90");
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(test::readFile(project.projectFilePath), before);

    // One track still fits.
    run = cli("list " + projectArg() + " 0 add 2");
    EXPECT_EQ(run.status, 0) << run.output;
    EXPECT_EQ(stored().playlists[0].count(), 85u);
}

TEST_F(ListCommands, UsageErrorsExitWith2) {
    EXPECT_EQ(cli("list " + projectArg() + " 220 clear").status, 2);
    EXPECT_EQ(cli("list " + projectArg() + " dcH clear").status, 2);
    EXPECT_EQ(cli("list " + projectArg() + " 0 add x1").status, 2);
    EXPECT_EQ(cli("list " + projectArg() + " 0").status, 2);
}

TEST_F(ListCommands, MoveDeleteClearAndClearLists) {
    ASSERT_EQ(cli("list " + projectArg() + " 1 add 1 2 3 10ms 20ms").status, 0);
    CliRun run = cli("list " + projectArg() + " 1 move 2 4");
    ASSERT_EQ(run.status, 0) << run.output;
    EXPECT_EQ(entries(1), "a.wav,c.wav,10ms,b.wav,20ms");
    ASSERT_EQ(cli("list " + projectArg() + " 1 move 4 2").status, 0);
    EXPECT_EQ(entries(1), "a.wav,b.wav,c.wav,10ms,20ms");
    EXPECT_EQ(cli("list " + projectArg() + " 1 move 1 6").status, 1);

    ASSERT_EQ(cli("list " + projectArg() + " 1 delete 5").status, 0);
    EXPECT_EQ(entries(1), "a.wav,b.wav,c.wav,10ms");
    EXPECT_EQ(cli("list " + projectArg() + " 1 delete 6").status, 1);
    EXPECT_EQ(cli("list " + projectArg() + " 1 delete 0").status, 2);

    run = cli("list " + projectArg() + " 0 clear");
    ASSERT_EQ(run.status, 0) << run.output;
    EXPECT_NE(run.output.find("Empty playlist"), std::string::npos);
    EXPECT_EQ(entries(0), "");
    EXPECT_EQ(entries(1), "a.wav,b.wav,c.wav,10ms");

    ASSERT_EQ(cli("clear-lists " + projectArg()).status, 0);
    const ProjectFileContent content = stored();
    for (const CSoundList& l : content.playlists) EXPECT_TRUE(l.empty());
    EXPECT_EQ(content.library.count(), 3u);
}

TEST_F(ListCommands, ParallelWritersLoseNothing) {
    // 50 commands at once, each adding one entry: every one either adds its
    // entry or refuses clearly (exit 1); none is lost in between.
    const auto runs = dir / "runs";
    std::filesystem::create_directory(runs);
    const std::string script = "for i in $(seq 50); do (" + test::appDir() +
                               "zadaravod-cli list '" + projectArg() + "' 0 add 10ms >'" +
                               runs.string() + "'/out.$i 2>&1; echo $? >'" + runs.string() +
                               "'/status.$i) & done; wait";
    test::writeFile(runs / "run.sh", script + "\n");
    ASSERT_EQ(std::system(("bash '" + (runs / "run.sh").string() + "'").c_str()), 0);
    int added = 0;
    for (int i = 1; i <= 50; ++i) {
        const std::string status = test::readFile(runs / ("status." + std::to_string(i)));
        const std::string output = test::readFile(runs / ("out." + std::to_string(i)));
        if (status == "0\n") {
            ++added;
        } else {
            EXPECT_EQ(status, "1\n") << output;
            EXPECT_NE(output.find("in use by another program"), std::string::npos) << output;
        }
    }
    EXPECT_GT(added, 0);
    EXPECT_EQ(stored().playlists[0].count(), static_cast<std::size_t>(added));
}

}  // namespace
}  // namespace zadaravod
