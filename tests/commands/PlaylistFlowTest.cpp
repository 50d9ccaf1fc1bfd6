// The playlist edits through the seam: capacity, placing and back-fill, the
// current-list controls, delete, clear, replace and reorder.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "commands/Playlists.h"
#include "support/ScriptedUserInterface.h"

namespace zadaravod {
namespace {

CSound sound(const std::string& name) {
    CSound s;
    s.kind = 1;
    s.name = name;
    s.filePath = "/p/sound/" + name;
    s.sampleRate = 8000;
    s.durationMs = 500;
    return s;
}

/// The names of a list, silences written as "<ms>ms".
std::vector<std::string> names(const CSoundList& list) {
    std::vector<std::string> out;
    for (const CSound& s : list) {
        out.push_back(s.isSound() ? s.name : std::to_string(s.durationMs) + "ms");
    }
    return out;
}

class PlaylistFlow : public ::testing::Test {
  protected:
    PlaylistFlow() {
        for (const char* n : {"A", "B", "C", "D", "E"}) project.library.addTail(sound(n));
    }
    CSoundList& list(int n) { return project.playlists[static_cast<std::size_t>(n)]; }
    /// Fills list n with `sounds` sounds and `silences` 10 ms silences.
    void fill(int n, int sounds, int silences) {
        for (int i = 0; i < sounds; ++i) list(n).addTail(sound("S" + std::to_string(i)));
        for (int i = 0; i < silences; ++i) list(n).addTail(CSound::silence(10));
    }

    Project project;
    ScriptedUserInterface ui;
    PlaylistEditor editor{project, ui};
};

TEST(PlaylistBytes, CountsWhatTheImageCodesTake) {
    // Whole seconds in one code, then codes of at most 249 ms.
    EXPECT_EQ(playlistEntryBytes(sound("A")), 3);
    EXPECT_EQ(playlistEntryBytes(CSound::silence(10)), 2);
    EXPECT_EQ(playlistEntryBytes(CSound::silence(249)), 2);
    EXPECT_EQ(playlistEntryBytes(CSound::silence(250)), 4);
    EXPECT_EQ(playlistEntryBytes(CSound::silence(300)), 4);
    EXPECT_EQ(playlistEntryBytes(CSound::silence(1000)), 2);
    EXPECT_EQ(playlistEntryBytes(CSound::silence(1200)), 4);
    EXPECT_EQ(playlistEntryBytes(CSound::silence(1260)), 6);
    EXPECT_EQ(playlistEntryBytes(CSound::silence(10000)), 2);
    EXPECT_EQ(playlistEntryBytes(CSound::silence(0)), 0);
    EXPECT_EQ(playlistEntryBytes(CSound::silence(-5)), 0);

    CSoundList l;
    l.addTail(sound("A"));
    l.addTail(CSound::silence(300));
    l.addTail(CSound::silence(1200));
    EXPECT_EQ(playlistBytes(l), 11);
}

TEST_F(PlaylistFlow, TrackFitsAt252AndIsRefusedAt253WithoutThePicker) {
    fill(0, 84, 0);  // 252 bytes
    ui.librarySounds = {1};
    ASSERT_TRUE(editor.insertTrack(ui, std::nullopt));
    EXPECT_EQ(editor.currentListBytes(), 255);
    EXPECT_EQ(list(0).at(84).name, "B");
    EXPECT_TRUE(ui.messages.empty());

    list(0).removeAll();
    fill(0, 83, 2);  // 253 bytes
    ui.libraryPickerCount = 0;
    ui.librarySounds = {1};
    EXPECT_FALSE(editor.insertTrack(ui, std::nullopt));
    EXPECT_EQ(ui.libraryPickerCount, 0);
    EXPECT_EQ(list(0).count(), 85u);
    ASSERT_EQ(ui.texts(), std::vector<std::string>{"Full, cannot insert more!"});
    EXPECT_EQ(ui.messages[0].caption, kAppCaption);
}

TEST_F(PlaylistFlow, SilenceFitsAt253AndIsRefusedAt254WithoutTheDialog) {
    fill(0, 83, 2);  // 253
    ui.silences = {100};
    ASSERT_TRUE(editor.insertFreeSilence(ui, std::nullopt));
    EXPECT_EQ(ui.silenceWeights, std::vector<int>{253});
    EXPECT_EQ(editor.currentListBytes(), 255);

    EXPECT_FALSE(editor.insertFreeSilence(ui, std::nullopt));
    EXPECT_FALSE(shown(editor.insertSilence(10, std::nullopt), ui));
    EXPECT_EQ(ui.silenceWeights.size(), 1u);  // the dialog did not open again
    EXPECT_EQ(ui.texts(),
              (std::vector<std::string>{"Full, cannot insert more!", "Full, cannot insert more!"}));

    fill(1, 84, 1);  // 254
    editor.setCurrentList(1);
    EXPECT_FALSE(editor.insertFreeSilence(ui, std::nullopt));
    EXPECT_FALSE(shown(editor.insertSilence(20, std::nullopt), ui));
    EXPECT_EQ(ui.silenceWeights.size(), 1u);
    EXPECT_EQ(list(1).count(), 85u);
}

TEST_F(PlaylistFlow, ALengthNeedingMoreBytesThanAreLeftIsRefusedAfterTheDialog) {
    fill(0, 84, 0);       // 252: three bytes left
    ui.silences = {300};  // needs 4
    const CSoundList before = list(0);
    EXPECT_FALSE(editor.insertFreeSilence(ui, std::nullopt));
    EXPECT_EQ(ui.silenceWeights, std::vector<int>{252});  // the dialog did open
    EXPECT_EQ(list(0), before);
    EXPECT_EQ(ui.texts(), std::vector<std::string>{"Full, cannot insert more!"});

    // The fixed 300 ms silence needs the same four bytes.
    EXPECT_FALSE(shown(editor.insertSilence(300, std::nullopt), ui));
    EXPECT_EQ(list(0), before);
    // 240 ms is a single code and still fits.
    ui.silences = {240};
    EXPECT_TRUE(editor.insertFreeSilence(ui, std::nullopt));
    EXPECT_EQ(editor.currentListBytes(), 254);
}

TEST_F(PlaylistFlow, ACancelledDialogInsertsNothing) {
    ui.librarySounds = {1073};
    EXPECT_FALSE(editor.insertTrack(ui, std::nullopt));
    ui.librarySounds = {5};  // names no library sound
    EXPECT_FALSE(editor.insertTrack(ui, std::nullopt));
    ui.silences = {1071};
    EXPECT_FALSE(editor.insertFreeSilence(ui, std::nullopt));
    EXPECT_TRUE(list(0).empty());
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(PlaylistFlow, AppendingFromTheLibraryUsesItsOwnMessage) {
    fill(2, 83, 2);  // 253
    editor.setCurrentList(2);
    EXPECT_FALSE(shown(editor.appendLibrarySound(0), ui));
    EXPECT_EQ(ui.texts(), std::vector<std::string>{"Full, cannot Insert More!"});
    EXPECT_EQ(list(2).count(), 85u);
    // Nothing happens for an index the library does not hold.
    EXPECT_FALSE(shown(editor.appendLibrarySound(5), ui));
    EXPECT_FALSE(shown(editor.appendLibrarySound(-1), ui));
    EXPECT_EQ(ui.messages.size(), 1u);
}

TEST_F(PlaylistFlow, AppendingBackFillsTheEmptyListsBelowOnly) {
    fill(3, 2, 0);
    const CSoundList list3 = list(3);
    editor.setCurrentList(5);
    ASSERT_TRUE(shown(editor.appendLibrarySound(2), ui));
    EXPECT_EQ(names(list(5)), std::vector<std::string>{"C"});
    EXPECT_EQ(list(5).at(0), project.library.at(2));  // a full copy
    for (int j : {0, 1, 2, 4}) {
        EXPECT_EQ(names(list(j)), std::vector<std::string>{"10ms"}) << "list " << j;
    }
    EXPECT_EQ(list(3), list3);
    EXPECT_TRUE(list(6).empty());

    // A second append finds nothing empty below.
    ASSERT_TRUE(shown(editor.appendLibrarySound(0), ui));
    EXPECT_EQ(list(0).count(), 1u);
}

TEST_F(PlaylistFlow, InsertBeforeTheSelectedEntryWithoutBackFill) {
    editor.setCurrentList(1);
    list(1).addTail(sound("A"));
    list(1).addTail(sound("B"));
    list(1).addTail(sound("C"));
    ASSERT_TRUE(shown(editor.insertSilence(50, 2), ui));
    EXPECT_EQ(names(list(1)), (std::vector<std::string>{"A", "B", "50ms", "C"}));
    ui.librarySounds = {4};
    ASSERT_TRUE(editor.insertTrack(ui, 0));
    EXPECT_EQ(names(list(1)), (std::vector<std::string>{"E", "A", "B", "50ms", "C"}));
    EXPECT_TRUE(list(0).empty());

    // A selection past the end counts as none: appended, with back-fill.
    ASSERT_TRUE(shown(editor.insertSilence(20, 9), ui));
    EXPECT_EQ(names(list(1)).back(), "20ms");
    EXPECT_EQ(names(list(0)), std::vector<std::string>{"10ms"});
}

TEST_F(PlaylistFlow, ReorderPutsTheEntryAtTheDropIndex) {
    const auto reorder = [&](int from, int to) {
        list(0).removeAll();
        for (const char* n : {"A", "B", "C", "D", "E"}) list(0).addTail(sound(n));
        editor.moveEntry(from, to);
        std::string out;
        for (const std::string& n : names(list(0))) out += n;
        return out;
    };
    EXPECT_EQ(reorder(1, 3), "ACDBE");
    EXPECT_EQ(reorder(3, 1), "ADBCE");
    EXPECT_EQ(reorder(4, 4), "ABCDE");
    EXPECT_EQ(reorder(0, 4), "BCDEA");
    EXPECT_EQ(reorder(4, 0), "EABCD");
    EXPECT_EQ(reorder(2, -1), "ABCDE");  // dropped on empty space
    EXPECT_EQ(reorder(5, 1), "ABCDE");
    EXPECT_EQ(reorder(1, 5), "ABCDE");
    list(0).removeAll();
    EXPECT_FALSE(editor.moveEntry(0, 0));
}

TEST_F(PlaylistFlow, SpinAndPlusStayInRange) {
    editor.setCurrentList(219);
    editor.stepSpin(+1);
    EXPECT_EQ(editor.currentList(), 219);
    fill(219, 1, 0);
    EXPECT_FALSE(editor.stepPlus());
    EXPECT_EQ(editor.currentList(), 219);

    editor.setCurrentList(0);
    editor.stepSpin(-1);
    EXPECT_EQ(editor.currentList(), 0);
    EXPECT_FALSE(editor.stepMinus());
    editor.stepSpin(-2147483647 - 1);
    EXPECT_EQ(editor.currentList(), 0);
    editor.stepSpin(2147483647);
    EXPECT_EQ(editor.currentList(), 219);

    // "+" refuses on an empty list; the spin moves past it.
    editor.setCurrentList(10);
    EXPECT_FALSE(editor.stepPlus());
    EXPECT_EQ(editor.currentList(), 10);
    editor.stepSpin(+1);
    EXPECT_EQ(editor.currentList(), 11);
    fill(11, 1, 0);
    EXPECT_TRUE(editor.stepPlus());
    EXPECT_EQ(editor.currentList(), 12);
    EXPECT_TRUE(editor.stepMinus());  // "-" works on an empty list too
    EXPECT_EQ(editor.currentList(), 11);

    editor.setCurrentList(400);
    EXPECT_EQ(editor.currentList(), 219);
    editor.setCurrentList(-3);
    EXPECT_EQ(editor.currentList(), 0);
}

TEST_F(PlaylistFlow, ClearEmptiesOnlyTheCurrentListWhenConfirmed) {
    for (int n = 1; n <= 5; ++n) fill(n, n, 1);
    const Project before = project;
    editor.setCurrentList(3);

    ui.confirmAnswers = {1096, 2};
    EXPECT_FALSE(editor.clearList(ui));
    EXPECT_FALSE(editor.clearList(ui));
    EXPECT_EQ(list(3), before.playlists[3]);

    ui.confirmAnswers = {1095};
    ASSERT_TRUE(editor.clearList(ui));
    EXPECT_TRUE(list(3).empty());
    for (int n : {1, 2, 4, 5}) {
        EXPECT_EQ(list(n), before.playlists[static_cast<std::size_t>(n)]) << "list " << n;
    }
    EXPECT_EQ(ui.texts(), std::vector<std::string>{"Empty playlist"});
    EXPECT_EQ(ui.confirmCount, 3);
}

TEST_F(PlaylistFlow, ClearAllEmptiesEveryListAndKeepsTheLibrary) {
    fill(0, 2, 0);
    fill(219, 1, 3);
    project.backgroundMusic.addTail(sound("M"));
    ui.confirmAnswers = {2};
    EXPECT_FALSE(editor.clearAllLists(ui));
    EXPECT_FALSE(list(219).empty());
    ui.confirmAnswers = {1095};
    ASSERT_TRUE(editor.clearAllLists(ui));
    for (const CSoundList& l : project.playlists) EXPECT_TRUE(l.empty());
    EXPECT_EQ(project.library.count(), 5u);
    EXPECT_EQ(project.backgroundMusic.count(), 1u);
}

TEST_F(PlaylistFlow, DeleteRemovesTheSelectedOneOfTwoEqualEntries) {
    list(0).addTail(sound("A"));
    list(0).addTail(sound("B"));
    list(0).addTail(sound("A"));

    ui.confirmAnswers = {1096};
    EXPECT_FALSE(editor.deleteEntry(ui, 2));
    EXPECT_EQ(list(0).count(), 3u);

    ui.confirmAnswers = {1095};
    ASSERT_TRUE(editor.deleteEntry(ui, 2));
    EXPECT_EQ(names(list(0)), (std::vector<std::string>{"A", "B"}));

    list(0).addTail(sound("A"));
    ui.confirmAnswers = {1095};
    ASSERT_TRUE(editor.deleteEntry(ui, 0));
    EXPECT_EQ(names(list(0)), (std::vector<std::string>{"B", "A"}));

    // With nothing selected the confirmation is asked and nothing goes.
    ui.confirmAnswers = {1095, 1095};
    EXPECT_FALSE(editor.deleteEntry(ui, std::nullopt));
    EXPECT_FALSE(editor.deleteEntry(ui, 7));
    EXPECT_EQ(list(0).count(), 2u);
}

TEST_F(PlaylistFlow, ReplaceKeepsThePosition) {
    list(0).addTail(sound("A"));
    list(0).addTail(CSound::silence(300));
    list(0).addTail(sound("C"));

    ui.silences = {20};
    ASSERT_TRUE(editor.replaceEntry(ui, 1));
    EXPECT_EQ(names(list(0)), (std::vector<std::string>{"A", "20ms", "C"}));
    EXPECT_EQ(ui.silenceWeights, std::vector<int>{10});
    EXPECT_EQ(ui.libraryPickerCount, 0);

    ui.librarySounds = {3};
    ASSERT_TRUE(editor.replaceEntry(ui, 2));
    EXPECT_EQ(names(list(0)), (std::vector<std::string>{"A", "20ms", "D"}));
    EXPECT_EQ(list(0).at(2), project.library.at(3));

    const CSoundList before = list(0);
    ui.librarySounds = {1073};
    EXPECT_FALSE(editor.replaceEntry(ui, 0));
    ui.silences = {1071};
    EXPECT_FALSE(editor.replaceEntry(ui, 1));
    EXPECT_FALSE(editor.replaceEntry(ui, std::nullopt));
    EXPECT_FALSE(editor.replaceEntry(ui, 3));
    EXPECT_EQ(list(0), before);
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(PlaylistFlow, AReplacementThatNeedsMoreBytesThanAreLeftIsRefused) {
    fill(0, 84, 1);       // 254
    ui.silences = {300};  // the 10 ms silence (2) would become 4: 256
    const CSoundList before = list(0);
    EXPECT_FALSE(editor.replaceEntry(ui, 84));
    EXPECT_EQ(list(0), before);
    EXPECT_EQ(ui.texts(), std::vector<std::string>{"Full, cannot insert more!"});

    ui.silences = {1000};  // one code, like the old one
    EXPECT_TRUE(editor.replaceEntry(ui, 84));
    EXPECT_EQ(list(0).at(84).durationMs, 1000);

    // An overfull list (written by another program) can still be mended by
    // replacing a long silence with a shorter one.
    list(0).addTail(CSound::silence(1260));  // 260
    ui.silences = {10};
    ui.silenceWeights.clear();
    EXPECT_TRUE(editor.replaceEntry(ui, 85));
    EXPECT_EQ(editor.currentListBytes(), 256);
    // The dialog is not told a weight above the limit, which it would refuse.
    EXPECT_EQ(ui.silenceWeights, std::vector<int>{255});
}

}  // namespace
}  // namespace zadaravod
