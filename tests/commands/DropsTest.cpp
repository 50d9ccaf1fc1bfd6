// What a drop from the desktop means, before the window acts on it.
#include <gtest/gtest.h>

#include <filesystem>

#include "commands/Drops.h"
#include "support/TempDir.h"

namespace zadaravod {
namespace {

namespace fs = std::filesystem;
using Action = DropPlan::Action;

TEST(Drops, AProjectOpensOnlyWhenItComesAlone) {
    test::TempDir dir;
    const fs::path folder = dir / "demo.winproj";
    fs::create_directories(folder);
    const std::string file = (folder / "demo.winproj").string();
    test::writeFile(file, "");

    for (const DropTarget target : {DropTarget::Window, DropTarget::Library, DropTarget::Music}) {
        const DropPlan byFolder = planDrop({folder.string()}, target);
        EXPECT_EQ(byFolder.action, Action::OpenProject);
        EXPECT_EQ(byFolder.files, std::vector<std::string>{folder.string()});
        EXPECT_EQ(planDrop({file}, target).action, Action::OpenProject);
    }
    EXPECT_TRUE(isDroppedProject((dir / "OTHER.WINPROJ").string())) << "any letter case";

    const DropPlan mixed = planDrop({file, (dir / "a.wav").string()}, DropTarget::Library);
    EXPECT_EQ(mixed.action, Action::Refuse);
    EXPECT_NE(mixed.message.find("on its own"), std::string::npos);
    EXPECT_EQ(planDrop({file, folder.string()}, DropTarget::Window).action, Action::Refuse);
}

TEST(Drops, SoundsGoToTheLibraryInOrderAndOneToTheMusic) {
    const std::vector<std::string> files{"/x/b.wav", "/x/a.mp3", "/x/notes.txt"};
    for (const DropTarget target : {DropTarget::Window, DropTarget::Library}) {
        const DropPlan plan = planDrop(files, target);
        EXPECT_EQ(plan.action, Action::ImportSounds);
        EXPECT_EQ(plan.files, files) << "the import tells and skips what it cannot use";
    }
    const DropPlan music = planDrop({"/x/music.wav"}, DropTarget::Music);
    EXPECT_EQ(music.action, Action::LoadMusic);
    EXPECT_EQ(music.files, std::vector<std::string>{"/x/music.wav"});
    const DropPlan two = planDrop({"/x/a.wav", "/x/b.wav"}, DropTarget::Music);
    EXPECT_EQ(two.action, Action::Refuse);
    EXPECT_TRUE(two.files.empty());
    EXPECT_EQ(planDrop({}, DropTarget::Library).action, Action::None);
}

}  // namespace
}  // namespace zadaravod
