// A project folder is untrusted input, and no edit may be lost: hostile
// names, oversized libraries, broken flash-size files, saves that cannot be
// written, two writers at once.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>

#include "commands/ProjectFiles.h"
#include "io/ProjectLock.h"
#include "model/ProjectFile.h"
#include "support/ScriptedUserInterface.h"
#include "support/TempDir.h"

namespace zadaravod {
namespace {
namespace fs = std::filesystem;
using namespace std::chrono_literals;

struct CommandStateView : ProjectView {
    bool withProject = false;
    int refreshes = 0;
    void refreshCommandState(bool on) override {
        withProject = on;
        ++refreshes;
    }
};

class ProjectSafety : public ::testing::Test {
  protected:
    test::TempDir dir;
    ScriptedUserInterface ui;
    CommandStateView view;
    ProjectFiles editor{ui, AppPaths::ofFolder("/app"), &view};

    ProjectSafety() { editor.setLockWait(100ms); }

    /// A project folder dir/name holding a project file with `p`'s content.
    std::string writeProject(const std::string& name, const Project& p) {
        const fs::path folder = dir / name;
        fs::create_directories(folder / (name + ".sound"));
        const std::string file = (folder / name).string();
        const auto bytes = storeProjectFile(p, file);
        test::writeFile(file, std::string(bytes.begin(), bytes.end()));
        return file;
    }

    std::string newProject(const std::string& name) {
        ui.saveFiles.push_back((dir / name).string());
        EXPECT_TRUE(editor.newProject(ui)) << ::testing::PrintToString(ui.texts());
        return editor.project().projectFilePath;
    }

    /// Makes the open project's next save fail: the project file is
    /// write-protected (refused even for root).
    void protectProjectFile() {
        ASSERT_EQ(::chmod(editor.project().projectFilePath.c_str(), 0444), 0);
    }
};

CSound sound(const std::string& name) {
    CSound s;
    s.kind = 1;
    s.name = name;
    s.sampleRate = 8000;
    return s;
}

TEST_F(ProjectSafety, OpenRefusesNamesThatAreNotPlainFileNames) {
    const std::vector<std::string> hostile = {"../escape.wav",
                                              "/etc/passwd",
                                              "sub/x.wav",
                                              "back\\slash.wav",
                                              std::string("nul\0.wav", 8),
                                              "",
                                              ".",
                                              ".."};
    struct Place {
        const char* text;
        int list;  // -1 library, -2 music, else a playlist
    };
    for (const Place place : {Place{"the sound library", -1}, Place{"list 05H", 5},
                              Place{"the background music", -2}}) {
        for (const std::string& name : hostile) {
            SCOPED_TRACE(std::string(place.text) + ": " + name);
            Project p;
            p.library.addTail(sound("fine.wav"));
            CSoundList& list = place.list == -1 ? p.library
                               : place.list == -2
                                   ? p.backgroundMusic
                                   : p.playlists[static_cast<std::size_t>(place.list)];
            list.addTail(sound(name));
            const std::string file = writeProject("h.winproj", p);
            const std::string before = test::readFile(file);

            ui.messages.clear();
            EXPECT_FALSE(shown(editor.open(file), ui));
            EXPECT_FALSE(editor.project().projectOpen);
            ASSERT_EQ(ui.messages.size(), 1u);
            const std::string& text = ui.messages[0].text;
            EXPECT_NE(text.find(file), std::string::npos) << text;
            EXPECT_NE(text.find(place.text), std::string::npos) << text;
            const std::string entry = place.list == -1 ? "entry 2" : "entry 1";
            EXPECT_NE(text.find(entry), std::string::npos) << text;
            EXPECT_EQ(test::readFile(file), before);
            fs::remove_all(dir / "h.winproj");
        }
    }
}

TEST_F(ProjectSafety, SilencesKeepTheirEmptyNames) {
    Project p;
    p.library.addTail(sound("fine.wav"));
    p.playlists[0].addTail(CSound::silence(300));
    p.playlists[0].addTail(p.library.at(0));
    EXPECT_TRUE(shown(editor.open(writeProject("ok.winproj", p)), ui));
    EXPECT_EQ(editor.project().playlists[0].count(), 2u);
}

TEST_F(ProjectSafety, OpenRefusesALibraryLargerThanTheSoundTable) {
    Project p;
    for (int i = 0; i <= kLibraryCapacity; ++i)
        p.library.addTail(sound(std::to_string(i) + ".wav"));
    const std::string file = writeProject("big.winproj", p);
    EXPECT_FALSE(shown(editor.open(file), ui));
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_NE(ui.messages[0].text.find("511 sounds"), std::string::npos) << ui.messages[0].text;
    EXPECT_NE(ui.messages[0].text.find("510"), std::string::npos);
}

TEST_F(ProjectSafety, ABrokenFlashSizeFileIsIgnoredWithAMessage) {
    Project p;
    const std::string file = writeProject("f.winproj", p);
    test::writeFile(file + "flash", "not an archive at all");
    ASSERT_TRUE(shown(editor.open(file), ui));
    EXPECT_EQ(editor.project().flashSize.sizeIndex, 0);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].icon, UserInterface::Icon::Warning);
    EXPECT_NE(ui.messages[0].text.find(file + "flash"), std::string::npos) << ui.messages[0].text;
    EXPECT_NE(ui.messages[0].text.find("4M"), std::string::npos);
}

TEST_F(ProjectSafety, AFlashSizeFileOfSchemaOneIsRead) {
    Project p;
    const std::string file = writeProject("s.winproj", p);
    const unsigned char schemaOne[] = {0xFF, 0xFF, 1,   0,   10,  0,   'C', 'F', 'l', 'a',
                                       's',  'h',  'S', 'i', 'z', 'e', 3,   0,   0,   0};
    test::writeFile(file + "flash", std::string(std::begin(schemaOne), std::end(schemaOne)));
    ASSERT_TRUE(shown(editor.open(file), ui));
    EXPECT_EQ(editor.project().flashSize.sizeIndex, 3);
    EXPECT_TRUE(ui.messages.empty()) << ::testing::PrintToString(ui.texts());
}

TEST_F(ProjectSafety, ASaveKeepsPermissionsAndWritesThroughALinkedProjectFile) {
    const std::string file = newProject("p.winproj");
    ASSERT_EQ(::chmod(file.c_str(), 0600), 0);
    editor.project().library.addTail(sound("a.wav"));
    ASSERT_TRUE(shown(editor.save(), ui));
    struct stat st {};
    ASSERT_EQ(::stat(file.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    ASSERT_TRUE(shown(editor.close(), ui));

    // A project file kept elsewhere and linked into the folder: the save
    // changes the file the link names and the link stays.
    const fs::path real = dir / "kept-elsewhere.winproj";
    fs::rename(file, real);
    fs::create_symlink(real, file);
    ASSERT_TRUE(shown(editor.open(file), ui));
    editor.project().library.addTail(sound("b.wav"));
    ASSERT_TRUE(shown(editor.save(), ui));
    EXPECT_TRUE(fs::is_symlink(file));
    EXPECT_EQ(loadProjectFile(test::readFile(real), real.string()).library.count(), 2u);
}

TEST_F(ProjectSafety, AWriteProtectedProjectFileIsRefusedAndKept) {
    const std::string file = newProject("ro.winproj");
    const std::string before = test::readFile(file);
    protectProjectFile();
    editor.project().library.addTail(sound("a.wav"));
    EXPECT_FALSE(shown(editor.save(), ui));
    ASSERT_FALSE(ui.messages.empty());
    EXPECT_NE(ui.messages.back().text.find("write-protected"), std::string::npos);
    EXPECT_EQ(test::readFile(file), before);
}

TEST_F(ProjectSafety, LeavingAProjectThatCannotBeSavedKeepsItOpenAndUnchanged) {
    const std::string file = newProject("keep.winproj");
    editor.project().library.addTail(sound("edit1.wav"));
    editor.project().playlists[2].addTail(CSound::silence(20));
    protectProjectFile();
    const Project before = editor.project();

    const std::size_t requests = ui.fileRequests.size();
    EXPECT_FALSE(editor.openProject(ui));
    EXPECT_FALSE(editor.newProject(ui));
    EXPECT_FALSE(shown(editor.close(), ui));
    EXPECT_FALSE(shown(editor.exit(), ui));
    // No dialog was shown and the project is as it was, still open.
    EXPECT_EQ(ui.fileRequests.size(), requests);
    EXPECT_TRUE(editor.project().projectOpen);
    EXPECT_EQ(editor.project().projectFilePath, file);
    EXPECT_EQ(editor.project().library, before.library);
    EXPECT_EQ(editor.project().playlists, before.playlists);
    EXPECT_TRUE(view.withProject);
    EXPECT_NE(ui.messages.back().text.find("nothing was lost"), std::string::npos);

    // Once the file is writable again, the edits reach the disk.
    ASSERT_EQ(::chmod(file.c_str(), 0644), 0);
    ASSERT_TRUE(shown(editor.close(), ui));
    EXPECT_EQ(loadProjectFile(test::readFile(file), file).library, before.library);
}

TEST_F(ProjectSafety, ACancelledNewGraysEveryProjectCommand) {
    newProject("first.winproj");
    ASSERT_TRUE(view.withProject);
    ui.saveFiles.push_back(std::nullopt);
    EXPECT_FALSE(editor.newProject(ui));
    EXPECT_FALSE(editor.project().projectOpen);
    EXPECT_FALSE(view.withProject);

    // An existing name leaves no project open either, and grayed commands.
    newProject("second.winproj");
    ui.saveFiles.push_back((dir / "second.winproj").string());
    EXPECT_FALSE(editor.newProject(ui));
    EXPECT_FALSE(view.withProject);
}

TEST_F(ProjectSafety, ANewThatFailsPartWayRemovesWhatItMade) {
    // Files over 100 bytes cannot be written (even by root): the project file
    // of New has 1144.
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit old{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
    rlimit tiny = old;
    tiny.rlim_cur = 100;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &tiny), 0);
    ui.saveFiles.push_back((dir / "full.winproj").string());
    const bool created = editor.newProject(ui);
    ::setrlimit(RLIMIT_FSIZE, &old);

    EXPECT_FALSE(created);
    EXPECT_FALSE(fs::exists(dir / "full.winproj"));
    EXPECT_FALSE(editor.project().projectOpen);
    EXPECT_FALSE(view.withProject);
    ASSERT_FALSE(ui.messages.empty());
    EXPECT_NE(ui.messages.back().text.find("No project was created"), std::string::npos);
    // The name is free for the next try.
    newProject("full.winproj");
}

TEST_F(ProjectSafety, ASaveClearsTemporariesOfKilledSavesOnly) {
    const std::string file = newProject("t.winproj");
    // A save killed half-way leaves its temporary file; its process is gone.
    const pid_t child = ::fork();
    if (child == 0) ::_exit(0);
    ASSERT_GT(child, 0);
    ::waitpid(child, nullptr, 0);
    const fs::path folder = fs::path(file).parent_path();
    const fs::path stale = folder / (".t.winproj.tmp-" + std::to_string(child) + "-0-1");
    const fs::path live = folder / (".t.winproj.tmp-" + std::to_string(::getpid()) + "-99-1");
    const fs::path foreign = folder / ".t.winproj.something-else";
    for (const auto& p : {stale, live, foreign}) test::writeFile(p, "partial");
    ASSERT_TRUE(shown(editor.save(), ui));
    EXPECT_FALSE(fs::exists(stale));
    EXPECT_TRUE(fs::exists(live));  // a save of a running program
    EXPECT_TRUE(fs::exists(foreign));
}

TEST_F(ProjectSafety, AProjectOpenInOneEditorIsRefusedByAnother) {
    const std::string file = newProject("shared.winproj");
    ScriptedUserInterface otherUi;
    ProjectFiles other(otherUi, AppPaths::ofFolder("/app"));
    other.setLockWait(50ms);
    EXPECT_FALSE(shown(other.open(file), otherUi));
    ASSERT_EQ(otherUi.messages.size(), 1u);
    EXPECT_NE(otherUi.messages[0].text.find("in use by another program"), std::string::npos);

    // Reopening it in the editor that holds it is no conflict.
    EXPECT_TRUE(shown(editor.open(file), ui));
    ASSERT_TRUE(shown(editor.close(), ui));
    EXPECT_TRUE(shown(other.open(file), otherUi));
}

}  // namespace
}  // namespace zadaravod
