// Drops on the playlist view of the main window, offscreen. The offscreen
// platform ends every QDrag at once, so the drops are delivered as the events
// a drag would end with, carrying the data the views' own drags carry.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QDropEvent>
#include <QMimeData>

#include <string>
#include <vector>

#include "gui/CommandIds.h"
#include "gui/ListControls.h"
#include "support/WindowFixture.h"

namespace zadaravod::test {
namespace {

class PlaylistDrop : public WindowTest {
  protected:
    void SetUp() override {
        WindowTest::SetUp();
        newProject();
        for (const char* n : {"a.wav", "b.wav", "c.wav"}) addLibrarySound(n, 8000, 100);
        window->refillViews();
    }

    /// Drops row `row` of view `viewId` on the playlist view at `at`
    /// (viewport coordinates). Returns whether the view accepted it.
    bool drop(int viewId, int row, QPoint at = QPoint(20, 20)) {
        QMimeData data;
        data.setData(QStringLiteral("application/x-zadaravod-row"),
                     QByteArray::number(viewId) + ' ' + QByteArray::number(row));
        QWidget* viewport = window->playlistView()->viewport();
        QDragEnterEvent enter(at, Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton,
                              Qt::NoModifier);
        QApplication::sendEvent(viewport, &enter);
        QDragMoveEvent move(at, Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton,
                            Qt::NoModifier);
        QApplication::sendEvent(viewport, &move);
        QDropEvent event(QPointF(at), Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton,
                         Qt::NoModifier);
        event.ignore();
        QApplication::sendEvent(viewport, &event);
        return event.isAccepted();
    }

    std::vector<std::string> names(int list) const {
        std::vector<std::string> out;
        for (const CSound& s : window->project().playlists[static_cast<std::size_t>(list)]) {
            out.push_back(s.isSound() ? s.name : std::to_string(s.durationMs) + "ms");
        }
        return out;
    }
};

TEST_F(PlaylistDrop, ALibraryRowIsAppendedWithBackFillWhereverItLands) {
    window->listCombo()->setCurrentIndex(2);
    ASSERT_EQ(window->playlistEditor().currentList(), 2);
    EXPECT_TRUE(drop(ctl::kLibraryView, 1));
    EXPECT_EQ(names(2), std::vector<std::string>{"b.wav"});
    EXPECT_EQ(names(0), std::vector<std::string>{"10ms"});
    EXPECT_EQ(names(1), std::vector<std::string>{"10ms"});
    EXPECT_EQ(window->playlistView()->rowCount(), 1);

    // With an entry selected the drop still appends (never inserts).
    window->playlistView()->selectRow(0);
    EXPECT_TRUE(drop(ctl::kLibraryView, 2, QPoint(20, 5)));
    EXPECT_EQ(names(2), (std::vector<std::string>{"b.wav", "c.wav"}));
    EXPECT_EQ(window->playlistView()->rowCount(), 2);
}

TEST_F(PlaylistDrop, AFullListRefusesTheDropWithItsMessage) {
    CSoundList& list = window->project().playlists[0];
    for (int i = 0; i < 83; ++i) list.addTail(window->project().library.at(0));
    list.addTail(CSound::silence(10));
    list.addTail(CSound::silence(10));  // 253 bytes
    window->refillViews();
    drop(ctl::kLibraryView, 0);
    EXPECT_EQ(list.count(), 85u);
    EXPECT_TRUE(scripted.saw("Full, cannot Insert More!"));
}

TEST_F(PlaylistDrop, RowsThatNameNothingOrComeFromElsewhereChangeNothing) {
    drop(ctl::kLibraryView, 7);  // no such library row
    EXPECT_TRUE(names(0).empty());
    // A playlist row whose drag did not start in this view is no reorder.
    CSoundList& list = window->project().playlists[0];
    list.addTail(window->project().library.at(0));
    list.addTail(window->project().library.at(1));
    window->refillViews();
    drop(ctl::kPlaylistView, 0, QPoint(20, 40));
    EXPECT_EQ(names(0), (std::vector<std::string>{"a.wav", "b.wav"}));
    EXPECT_TRUE(scripted.messages.empty());
}

TEST_F(PlaylistDrop, NothingIsTakenWhileAListPlays) {
    window->playlistView()->setCommandsEnabled(false);
    EXPECT_FALSE(drop(ctl::kLibraryView, 0));
    EXPECT_TRUE(names(0).empty());
}

}  // namespace
}  // namespace zadaravod::test
