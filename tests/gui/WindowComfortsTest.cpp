// The window's comforts: files dropped from the desktop, the import options,
// processing a library sound, undo and redo through the Edit menu, the check
// before Build and the recent projects.
#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDropEvent>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QTimer>
#include <QUrl>
#include <filesystem>

#include "gui/CommandIds.h"
#include "gui/ListControls.h"
#include "gui/WindowSettings.h"
#include "io/AppPaths.h"
#include "support/TempDir.h"
#include "support/WindowFixture.h"

namespace zadaravod::test {
namespace {

namespace fs = std::filesystem;

/// Drags `paths` (as a file manager does) onto `target` and drops them
/// there; true when the target took the drag.
bool dropOn(QWidget* target, const std::vector<std::string>& paths) {
    QMimeData mime;
    QList<QUrl> urls;
    for (const std::string& p : paths) urls << QUrl::fromLocalFile(QString::fromStdString(p));
    mime.setUrls(urls);
    QDragEnterEvent enter(QPoint(4, 4), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &enter);
    if (!enter.isAccepted()) return false;
    QDropEvent drop(QPointF(4, 4), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &drop);
    return drop.isAccepted();
}

/// A WAV with half a second of silence before and after 300 ms of tone.
std::string paddedWav(int rate) {
    const std::string tone = makeWav(rate, 300);
    const std::string header = tone.substr(0, 44);
    const std::string silence(static_cast<std::size_t>(rate), '\0');  // 0.5 s of 16-bit zeros
    std::string data = silence + tone.substr(44) + silence;
    std::string out = header;
    const auto put32 = [&](std::size_t at, std::uint32_t v) {
        for (int i = 0; i < 4; ++i) out[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
    };
    put32(4, static_cast<std::uint32_t>(36 + data.size()));
    put32(40, static_cast<std::uint32_t>(data.size()));
    return out + data;
}

class WindowComforts : public WindowTest {
  protected:
    std::string source(const std::string& name, const std::string& bytes) {
        const fs::path folder = dir / "desktop";
        fs::create_directories(folder);
        const std::string path = (folder / name).string();
        writeFile(path, bytes);
        return path;
    }
    QWidget* libraryDropArea() const { return window->libraryView()->viewport(); }
    QWidget* musicDropArea() const { return window->musicView()->viewport(); }
    std::vector<std::string> libraryNames() const {
        std::vector<std::string> names;
        for (const CSound& s : window->project().library) names.push_back(s.name);
        return names;
    }
};

TEST_F(WindowComforts, SoundsDroppedOnTheLibraryAreImportedAndUndoneTogether) {
    // Without a project the drop says what to do first.
    dropOn(libraryDropArea(), {source("a.wav", makeWav(8000, 200))});
    ASSERT_EQ(scripted.messages.size(), 1U);
    EXPECT_NE(scripted.messages[0].text.find("Open or create a project"), std::string::npos);
    scripted.messages.clear();
    newProject();
    const std::string a = source("a.wav", makeWav(8000, 200));
    const std::string b = source("b.wav", makeWav(16000, 100));
    const std::string text = source("notes.txt", "not a sound");
    ASSERT_TRUE(dropOn(libraryDropArea(), {a, text, b}));
    EXPECT_EQ(libraryNames(), (std::vector<std::string>{"a.wav", "b.wav"}));
    EXPECT_EQ(window->libraryView()->rowCount(), 2);
    EXPECT_FALSE(scripted.messages.empty()) << "the text file is told and skipped";

    ASSERT_TRUE(action(cmd::kUndo)->isEnabled());
    EXPECT_TRUE(action(cmd::kUndo)->text().startsWith(QStringLiteral("&Отменить: ")))
        << action(cmd::kUndo)->text().toStdString();
    action(cmd::kUndo)->trigger();
    EXPECT_TRUE(libraryNames().empty()) << "one drop, one undo step";
    EXPECT_EQ(window->libraryView()->rowCount(), 0);
    EXPECT_FALSE(fs::exists(window->project().soundFolder + "/a.wav"));
    action(cmd::kRedo)->trigger();
    EXPECT_EQ(libraryNames(), (std::vector<std::string>{"a.wav", "b.wav"}));
    EXPECT_EQ(readFile(window->project().soundFolder + "/a.wav"), readFile(a));
}

TEST_F(WindowComforts, AProjectDroppedOnTheWindowOpensAfterTheCurrentOneIsSaved) {
    newProject("first.winproj");
    addLibrarySound("kept.wav", 8000, 100);
    const fs::path first = window->project().projectFilePath;
    scripted.saveFiles.push_back((dir / "second.winproj").string());
    action(cmd::kNew)->trigger();
    ASSERT_TRUE(window->project().projectOpen);
    ASSERT_TRUE(window->project().library.empty());

    // A project mixed with sounds is refused and changes nothing.
    const std::string wav = source("a.wav", makeWav(8000, 100));
    const std::size_t before = scripted.messages.size();
    ASSERT_TRUE(dropOn(window.get(), {first.parent_path().string(), wav}));
    ASSERT_EQ(scripted.messages.size(), before + 1);
    EXPECT_NE(scripted.messages.back().text.find("on its own"), std::string::npos);
    EXPECT_TRUE(window->project().library.empty());

    // The folder alone opens it (a project dropped on a view goes to the
    // window: the library view does not take it as sounds).
    ASSERT_TRUE(dropOn(window.get(), {first.parent_path().string()}));
    EXPECT_EQ(fs::path(window->project().projectFilePath), first);
    EXPECT_EQ(libraryNames(), (std::vector<std::string>{"kept.wav"}));
    EXPECT_EQ(window->libraryView()->rowCount(), 1);
}

TEST_F(WindowComforts, OneFileDroppedOnTheMusicViewBecomesTheBackgroundMusic) {
    newProject();
    action(cmd::kModeOneLine)->trigger();
    // As the options dialog leaves it for a mode with music.
    window->setBackgroundMusicViewEnabled(true);
    ASSERT_TRUE(window->musicView()->isEnabled());
    ASSERT_TRUE(action(cmd::kMusicLoad)->isEnabled());
    const std::string one = source("music.wav", makeWav(8000, 300));
    const std::string two = source("other.wav", makeWav(8000, 300));
    ASSERT_TRUE(dropOn(musicDropArea(), {one, two}));
    EXPECT_TRUE(window->project().backgroundMusic.empty());
    EXPECT_TRUE(window->project().library.empty());
    ASSERT_FALSE(scripted.messages.empty());
    EXPECT_NE(scripted.messages.back().text.find("single file"), std::string::npos);

    ASSERT_TRUE(dropOn(musicDropArea(), {one}));
    ASSERT_EQ(window->project().backgroundMusic.count(), 1U);
    EXPECT_EQ(window->project().backgroundMusic.at(0).name, "music.wav");
    EXPECT_EQ(window->musicView()->rowCount(), 1);
    action(cmd::kUndo)->trigger();
    EXPECT_TRUE(window->project().backgroundMusic.empty());
}

TEST_F(WindowComforts, ImportOptionsAreRememberedAndTrimWhatIsDropped) {
    EXPECT_FALSE(action(cmd::kTrimOnImport)->isChecked());
    EXPECT_FALSE(action(cmd::kNormalizeOnImport)->isChecked());
    action(cmd::kTrimOnImport)->trigger();  // a check item: now on
    EXPECT_TRUE(storedImportOptions().trim);
    EXPECT_FALSE(storedImportOptions().normalize);
    {
        CLK_AppDlg second(AppPaths::ofFolder(appDir()));
        EXPECT_TRUE(second.commandAction(cmd::kTrimOnImport)->isChecked());
        EXPECT_FALSE(second.commandAction(cmd::kNormalizeOnImport)->isChecked());
    }

    newProject();
    const std::string padded = source("padded.wav", paddedWav(8000));
    ASSERT_TRUE(dropOn(libraryDropArea(), {padded}));
    ASSERT_EQ(libraryNames(), (std::vector<std::string>{"padded.wav"}));
    const CSound& added = window->project().library.at(0);
    EXPECT_LT(added.durationMs, 500) << "the second of silence around 300 ms of tone is gone";
    EXPECT_LT(fs::file_size(added.filePath), fs::file_size(padded));
}

TEST_F(WindowComforts, ProcessRewritesTheSelectedSoundAndUndoBringsItsBytesBack) {
    newProject();
    const std::string padded = source("door.wav", paddedWav(8000));
    ASSERT_TRUE(dropOn(libraryDropArea(), {padded}));
    const std::string inFolder = window->project().library.at(0).filePath;
    const std::string original = readFile(inFolder);

    action(cmd::kProcessSound)->trigger();  // nothing selected
    EXPECT_NE(scripted.messages.back().text.find("Select the sound"), std::string::npos);

    window->libraryView()->selectRow(0);
    bool sawDialog = false;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (dialog == nullptr) return;
        sawDialog = true;
        dialog->accept();  // trim and loudness, as offered
    });
    action(cmd::kProcessSound)->trigger();
    ASSERT_TRUE(sawDialog);
    EXPECT_NE(readFile(inFolder), original);
    EXPECT_LT(window->project().library.at(0).durationMs, 500);
    action(cmd::kUndo)->trigger();
    EXPECT_EQ(readFile(inFolder), original);
}

TEST_F(WindowComforts, BuildStopsOnAnErrorTheCheckFinds) {
    newProject();
    addLibrarySound("gone.wav", 8000, 100);
    fs::remove(window->project().soundFolder + "/gone.wav");
    action(cmd::kBuild)->trigger();
    ASSERT_FALSE(scripted.reviews.empty());
    EXPECT_EQ(scripted.reviews.back().second, FindingsReview::Stops);
    EXPECT_FALSE(fs::exists(window->project().imagePath()));

    action(cmd::kCheckProject)->trigger();
    EXPECT_EQ(scripted.reviews.back().second, FindingsReview::ShowOnly);
    bool missing = false;
    for (const Finding& f : scripted.reviews.back().first)
        missing = missing || f.kind == "sound-file-missing";
    EXPECT_TRUE(missing);
}

TEST_F(WindowComforts, RecentProjectsListTheNewestFirstAndForgetOneThatIsGone) {
    newProject("one.winproj");
    const std::string oneFile = window->project().projectFilePath;
    scripted.saveFiles.push_back((dir / "two.winproj").string());
    action(cmd::kNew)->trigger();
    const QString one = QString::fromStdString(oneFile);
    const QString two = QString::fromStdString(window->project().projectFilePath);
    auto* recent = window->findChild<QMenu*>(QStringLiteral("menu_recent"));
    ASSERT_NE(recent, nullptr);
    QList<QAction*> items = recent->actions();
    ASSERT_EQ(items.size(), 2);
    EXPECT_EQ(items[0]->text(), QStringLiteral("&1 ") + two);
    EXPECT_EQ(items[1]->text(), QStringLiteral("&2 ") + one);

    window->project().projectOpen = false;  // leave "two" without a save
    fs::remove_all(fs::path(oneFile).parent_path());
    const std::size_t before = scripted.messages.size();
    EXPECT_FALSE(window->openRecentProject(1));
    EXPECT_EQ(scripted.messages.size(), before + 1);
    items = recent->actions();
    ASSERT_EQ(items.size(), 1);
    EXPECT_EQ(items[0]->text(), QStringLiteral("&1 ") + two);
}

}  // namespace
}  // namespace zadaravod::test
