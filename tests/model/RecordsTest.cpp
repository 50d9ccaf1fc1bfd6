#include <gtest/gtest.h>

#include "format/Archive.h"
#include "model/Settings.h"
#include "model/Sound.h"

namespace zadaravod {
namespace {

using Bytes = std::vector<std::uint8_t>;

template <typename T>
Bytes storeFields(T& record) {
    CArchive ar("t");
    record.Serialize(ar);
    return ar.bytes();
}

TEST(Records, StartupDefaultsStoreAsTheEditorWrites) {
    CKey key;
    CEquation eq;
    const Bytes k = storeFields(key);
    const Bytes e = storeFields(eq);
    ASSERT_EQ(k.size(), 96u);
    ASSERT_EQ(e.size(), 96u);
    for (int i = 0; i < 24; ++i) {
        EXPECT_EQ(k[static_cast<std::size_t>(4 * i)], 1);
        EXPECT_EQ(e[static_cast<std::size_t>(4 * i)], i);
    }
}

TEST(Records, OptionsStoreBinPathBeforeBackgroundMusic) {
    COptions o;
    o.setStartupValues();
    o.controlMode = 3;
    o.backgroundMusic = 1;
    const Bytes b = storeFields(o);
    ASSERT_EQ(b.size(), 25u);
    EXPECT_EQ(b[4], 3);   // controlMode
    EXPECT_EQ(b[8], 1);   // audioOutput
    EXPECT_EQ(b[20], 0);  // empty binPath
    EXPECT_EQ(b[21], 1);  // backgroundMusic
}

TEST(Records, SituationValues) {
    COptions o;
    o.setStartupValues();
    EXPECT_EQ(std::tie(o.externalMode, o.controlMode, o.audioOutput, o.busyLevel, o.pullUp,
                       o.backgroundMusic),
              std::make_tuple(0, 0, 1, 1, 0, 0));
    o.backgroundMusic = 1;
    o.binPath = "/x.bin";
    o.setNewValues();
    EXPECT_EQ(std::tie(o.externalMode, o.controlMode, o.audioOutput, o.busyLevel, o.pullUp,
                       o.backgroundMusic),
              std::make_tuple(0, 6, 0, 1, 1, 1));
    EXPECT_EQ(o.binPath, "");
    o.setOpenValues();
    EXPECT_EQ(std::tie(o.externalMode, o.controlMode, o.audioOutput, o.busyLevel, o.pullUp,
                       o.backgroundMusic),
              std::make_tuple(0, 0, 1, 1, 0, 1));
}

TEST(SoundLists, EmptyListIsFourZeroBytesAndSilenceLayout) {
    CSoundList list;
    EXPECT_EQ(storeFields(list), Bytes(4, 0));

    list.addTail(CSound::silence(200));
    const Bytes b = storeFields(list);
    // Six numbers and two one-byte string lengths: 26 bytes a record.
    ASSERT_EQ(b.size(), 4u + 26u);
    EXPECT_EQ(b[0], 1);
    EXPECT_EQ(b[4], 0);                  // kind
    EXPECT_EQ(b[8], 0);                  // empty filePath
    EXPECT_EQ(b[9], 0);                  // empty name
    EXPECT_EQ(b[14], 16);                // bitsPerSample of a new record
    EXPECT_EQ(b[22] | b[23] << 8, 200);  // durationMs
}

TEST(SoundLists, LoadingAppendsAndLongStringsRoundTrip) {
    CSoundList source;
    CSound s;
    s.kind = 1;
    s.name = std::string(300, 'n');
    s.filePath = "/snd/" + s.name;
    s.sampleRate = 8000;
    s.durationMs = 1234;
    s.infoExtra = 128;
    source.addTail(s);
    source.addTail(CSound::silence(10));
    CArchive out("t");
    source.Serialize(out);

    CSoundList target;
    target.addTail(CSound::silence(50));
    CArchive in("t", std::string(out.bytes().begin(), out.bytes().end()));
    target.Serialize(in);
    ASSERT_EQ(target.count(), 3u);
    EXPECT_EQ(target.at(1), s);
    EXPECT_EQ(target.at(2).durationMs, 10);
}

TEST(SoundLists, HugeCountFailsAtEndOfFileKeepingEntriesRead) {
    CSoundList one;
    one.addTail(CSound::silence(10));
    CArchive out("t");
    one.Serialize(out);
    std::string bytes(out.bytes().begin(), out.bytes().end());
    bytes[0] = '\xFF';
    bytes[1] = '\xFF';
    bytes[2] = '\xFF';
    bytes[3] = '\x7F';
    CSoundList target;
    CArchive in("t", bytes);
    try {
        target.Serialize(in);
        FAIL() << "no error";
    } catch (const ArchiveError& e) {
        EXPECT_EQ(e.kind(), ArchiveError::Kind::EndOfFile);
    }
    EXPECT_EQ(target.count(), 1u);
}

TEST(SoundLists, CopiesAreIndependentAndPositionsBehave) {
    CSoundList a;
    a.addTail(CSound::silence(10));
    a.addTail(CSound::silence(20));
    CSoundList b = a;
    b.at(0).durationMs = 99;
    EXPECT_EQ(a.at(0).durationMs, 10);

    a.insertAt(1, CSound::silence(15));
    a.insertAt(10, CSound::silence(30));  // past the end appends
    a.addHead(CSound::silence(5));
    std::vector<int> lengths;
    for (const auto& s : a) lengths.push_back(s.durationMs);
    EXPECT_EQ(lengths, (std::vector<int>{5, 10, 15, 20, 30}));
    a.removeAt(0);
    a.removeAt(99);
    EXPECT_EQ(a.count(), 4u);
    a.appendAll(b);
    EXPECT_EQ(a.count(), 6u);
    EXPECT_THROW(a.at(6), std::out_of_range);
}

TEST(SettingsTexts, CaptionsAndFlashSizes) {
    EXPECT_STREQ(flashSizeCaption(3), "512K");
    EXPECT_EQ(flashSizeIndex("256k"), 4);
    EXPECT_EQ(flashSizeIndex("8M"), -1);
    EXPECT_EQ(flashCapacityBits(0), 33554432);
    EXPECT_EQ(flashCapacityBits(4), 2097152);
    EXPECT_EQ(flashCapacityBits(5), 0);
    EXPECT_STREQ(controlModeCaption(3), "3X8 Matrix Mode");
    EXPECT_EQ(controlModeCaption(9), nullptr);
    EXPECT_STREQ(keyFunctionName(14), "Stop");
    EXPECT_EQ(keyFunctionName(15), nullptr);
}

}  // namespace
}  // namespace zadaravod
