// Trimming and loudness as sounds come in (import, music, conversion) and on a
// library sound ("Обработать…"): what the files hold afterwards, measured
// with libebur128 called directly, and what is refused.
#include <ebur128.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>

#include "commands/BackgroundMusic.h"
#include "commands/Conversion.h"
#include "commands/Library.h"
#include "commands/PromptTools.h"
#include "format/WavFile.h"
#include "support/AudioFixtures.h"
#include "support/ScriptedUserInterface.h"

namespace zadaravod {
namespace {
namespace fs = std::filesystem;
using test::TempDir;

constexpr int kRate = 8000;

std::vector<std::int16_t> silence(double seconds) {
    return std::vector<std::int16_t>(static_cast<std::size_t>(seconds * kRate), 0);
}

std::vector<std::int16_t> join(std::initializer_list<std::vector<std::int16_t>> parts) {
    std::vector<std::int16_t> out;
    for (const auto& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}

std::vector<std::int16_t> tone(double seconds, double amplitude) {
    return test::sineSamples(kRate, 1, seconds, 440.0, amplitude);
}

/// The integrated loudness of a WAV file's samples, by libebur128 itself.
double lufsOf(const fs::path& file) {
    WavData wav;
    std::string error;
    EXPECT_TRUE(readWav(file, wav, error)) << error;
    const std::vector<std::int16_t> mono = wav.mono();
    ebur128_state* st = ebur128_init(1, static_cast<unsigned long>(wav.sampleRate), EBUR128_MODE_I);
    if (st == nullptr) return 0;
    ebur128_add_frames_short(st, mono.data(), mono.size());
    double lufs = 0;
    ebur128_loudness_global(st, &lufs);
    ebur128_destroy(&st);
    return lufs;
}

WavData wavOf(const fs::path& file) {
    WavData wav;
    std::string error;
    EXPECT_TRUE(readWav(file, wav, error)) << error;
    return wav;
}

bool clips(const WavData& wav) {
    return std::any_of(wav.samples.begin(), wav.samples.end(),
                       [](std::int16_t s) { return s == 32767 || s == -32768; });
}

SoundTreatment trim() {
    SoundTreatment t;
    t.trim = true;
    return t;
}

SoundTreatment normalize() {
    SoundTreatment t;
    t.normalize = true;
    return t;
}

class Treatment : public ::testing::Test {
  protected:
    Treatment() : project(test::openProjectIn(dir)) { fs::create_directory(dir / "src"); }

    std::string src(const std::string& name) const { return (dir / "src" / name).string(); }
    std::string inFolder(const std::string& name) const {
        return soundPath(project.soundFolder, name);
    }
    void write(const std::string& name, const std::vector<std::int16_t>& samples) {
        ASSERT_EQ(writeWav16(src(name), samples, kRate, 1), "");
    }
    /// The status lines besides the import's own progress lines.
    std::vector<std::string> told() const {
        std::vector<std::string> lines;
        for (const std::string& line : ui.statusLines)
            if (line.rfind("Importing sound ", 0) != 0) lines.push_back(line);
        return lines;
    }
    std::vector<std::string> soundFolderFiles() const {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(project.soundFolder)) {
            names.push_back(e.path().filename().string());
        }
        return names;
    }

    TempDir dir;
    Project project;
    ScriptedUserInterface ui;
};

TEST_F(Treatment, WithoutATreatmentAnImportIsTheFilesOwnBytes) {
    test::writePcmWav(src("s8.wav"), 16000, 2, 8, 0.3);
    write("padded.wav", join({silence(0.5), tone(0.3, 0.5), silence(0.5)}));
    const Result<ImportReport> r =
        importSounds(project, ui, {src("s8.wav"), src("padded.wav")}, SoundTreatment{});
    ASSERT_TRUE(r.ok()) << r.error().text;
    EXPECT_EQ(r.value().added, 2);
    EXPECT_EQ(test::readFile(inFolder("s8.wav")), test::readFile(src("s8.wav")));
    EXPECT_EQ(test::readFile(inFolder("padded.wav")), test::readFile(src("padded.wav")));
    EXPECT_TRUE(told().empty());
}

TEST_F(Treatment, TrimmingAnImportCutsTheSilenceAndSaysWhatItSaved) {
    write("padded.wav", join({silence(0.5), tone(1.0, 0.5), silence(0.7)}));
    test::writePcmWav(src("stereo.wav"), 16000, 2, 8, 0.4);  // no silence to cut
    const Result<ImportReport> r =
        importSounds(project, ui, {src("padded.wav"), src("stereo.wav")}, trim());
    ASSERT_TRUE(r.ok()) << r.error().text;
    ASSERT_EQ(r.value().added, 2);

    const CSound& padded = project.library.at(0);
    EXPECT_EQ(padded.name, "padded.wav");
    EXPECT_GE(padded.durationMs, 1000);
    EXPECT_LE(padded.durationMs, 1030) << "only the fade is kept of the silence";
    const WavData trimmed = wavOf(inFolder("padded.wav"));
    EXPECT_EQ(trimmed.sampleRate, kRate);
    EXPECT_EQ(trimmed.channels, 1);
    EXPECT_EQ(trimmed.bitsPerSample, 16);

    // A treated WAV is written anew: 16-bit mono, the same length.
    const CSound& stereo = project.library.at(1);
    EXPECT_EQ(stereo.stereo, 0);
    EXPECT_EQ(stereo.bitsPerSample, 16);
    EXPECT_EQ(stereo.durationMs, 400);

    const std::uint64_t saved = elementDataBytes(static_cast<std::uint64_t>(2.2 * kRate)) -
                                elementDataBytes(trimmed.frameCount());
    ASSERT_EQ(told().size(), 1U) << "one line for the whole import";
    EXPECT_EQ(told()[0], trimSavingsText(saved));
    EXPECT_GT(saved, 5000U);
}

TEST_F(Treatment, AQuietAndALoudSoundEndAtTheTargetWithoutClipping) {
    write("quiet.wav", tone(1.5, 0.01));
    write("loud.wav", tone(1.5, 0.98));
    test::makeWithFfmpeg(dir / "src" / "loud.mp3", 22050, 1, "libmp3lame", 1.5);
    SoundTreatment t = normalize();
    t.loudnessOptions.targetLufs = -18.0;
    const Result<ImportReport> r =
        importSounds(project, ui, {src("quiet.wav"), src("loud.wav"), src("loud.mp3")}, t);
    ASSERT_TRUE(r.ok()) << r.error().text;
    ASSERT_EQ(r.value().added, 3) << ::testing::PrintToString(ui.texts());
    for (const char* name : {"quiet.wav", "loud.wav", "loud.mp3.wav"}) {
        EXPECT_NEAR(lufsOf(inFolder(name)), -18.0, 1.0) << name;
        EXPECT_FALSE(clips(wavOf(inFolder(name)))) << name;
    }
    EXPECT_EQ(project.library.at(2).sampleRate, 22000) << "converted at its rate, then treated";
    EXPECT_TRUE(told().empty()) << "no trim, nothing to tell";
}

TEST_F(Treatment, AHighTargetIsHeldBelowTheCeilingSoNothingClips) {
    write("loud.wav", tone(1.0, 0.98));
    SoundTreatment t = normalize();
    t.loudnessOptions.targetLufs = -5.0;
    ASSERT_TRUE(importSounds(project, ui, {src("loud.wav")}, t).ok());
    const WavData wav = wavOf(inFolder("loud.wav"));
    EXPECT_FALSE(clips(wav));
    const auto peak = std::max_element(wav.samples.begin(), wav.samples.end());
    EXPECT_LE(*peak, static_cast<std::int16_t>(32767 * std::pow(10.0, -0.9 / 20)));
}

TEST_F(Treatment, PureSilenceIsRefusedAndLeavesNothingBehind) {
    write("hush.wav", silence(1.0));
    write("ok.wav", join({silence(0.2), tone(0.3, 0.5)}));
    const Result<ImportReport> r =
        importSounds(project, ui, {src("hush.wav"), src("ok.wav")}, trim());
    ASSERT_TRUE(r.ok()) << r.error().text;
    EXPECT_EQ(r.value().added, 1);
    EXPECT_EQ(r.value().skipped, 1);
    ASSERT_EQ(ui.messages.size(), 1U);
    EXPECT_NE(ui.messages[0].text.find("hush.wav"), std::string::npos) << ui.messages[0].text;
    EXPECT_NE(ui.messages[0].text.find("silent"), std::string::npos) << ui.messages[0].text;
    EXPECT_EQ(soundFolderFiles(), std::vector<std::string>{"ok.wav"});

    ui.messages.clear();
    const Result<ImportReport> quiet = importSounds(project, ui, {src("hush.wav")}, normalize());
    ASSERT_TRUE(quiet.ok());
    EXPECT_EQ(quiet.value().skipped, 1);
    EXPECT_TRUE(
        ui.saw("The file is skipped: hush.wav cannot be treated: The sound is silent or "
               "too quiet to measure (below -70 LUFS), so it cannot be brought to -16.0 "
               "LUFS."))
        << ::testing::PrintToString(ui.texts());
    EXPECT_EQ(project.library.count(), 1U);
}

TEST_F(Treatment, MusicAndConversionAreTreatedAndASilentOneChangesNothing) {
    write("music.wav", join({silence(0.6), tone(0.5, 0.3), silence(0.6)}));
    ASSERT_TRUE(loadMusic(project, src("music.wav"), std::nullopt, trim(), &ui).ok());
    ASSERT_EQ(project.backgroundMusic.count(), 1U);
    EXPECT_LE(project.backgroundMusic.at(0).durationMs, 530);
    ASSERT_EQ(told().size(), 1U);
    EXPECT_EQ(told()[0].rfind("Trimming saved ", 0), 0U);

    Project other = project;
    other.backgroundMusic.removeAll();
    write("hush.wav", silence(0.5));
    const Done music = loadMusic(other, src("hush.wav"), std::nullopt, trim(), &ui);
    ASSERT_FALSE(music.ok());
    EXPECT_NE(music.error().text.find("silent"), std::string::npos) << music.error().text;
    EXPECT_TRUE(other.backgroundMusic.empty());
    EXPECT_FALSE(fs::exists(inFolder("hush.wav")));

    const std::string out = (dir / "out.wav").string();
    ASSERT_TRUE(convertSound(src("music.wav"), out, 16000, trim()).ok());
    const WavData converted = wavOf(out);
    EXPECT_EQ(converted.sampleRate, 16000);
    EXPECT_LE(converted.frameCount(), static_cast<std::size_t>(0.53 * 16000));
    test::writeFile(dir / "keep.wav", "the old output");
    const Done refused = convertSound(src("hush.wav"), (dir / "keep.wav").string(), 8000, trim());
    ASSERT_FALSE(refused.ok());
    EXPECT_EQ(refused.error().text.rfind("MP3/WMA to WAV Convert failed: keep.wav cannot be "
                                         "treated: The sound is silent",
                                         0),
              0U)
        << refused.error().text;
    EXPECT_EQ(test::readFile(dir / "keep.wav"), "the old output");
}

// --- "Обработать…" ---------------------------------------------------------------

class Process : public Treatment {
  protected:
    void SetUp() override {
        write("door.wav", join({silence(0.4), tone(0.8, 0.1), silence(0.4)}));
        ASSERT_TRUE(importSounds(project, ui, {src("door.wav")}).ok());
        project.playlists[3].addTail(project.library.at(0));
        project.playlists[3].addTail(CSound::silence(200));
        before = project;
        original = test::readFile(inFolder("door.wav"));
    }
    Project before;
    std::string original;
};

TEST_F(Process, RewritesTheFileAndTheFiguresButNotTheNameOrThePlaylists) {
    SoundTreatment t = trim();
    t.normalize = true;
    const auto perms = fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read;
    fs::permissions(inFolder("door.wav"), perms);
    const Result<ProcessReport> r = processLibrarySound(project, ui, 0, t);
    ASSERT_TRUE(r.ok()) << r.error().text;
    EXPECT_EQ(r.value().name, "door.wav");
    EXPECT_EQ(r.value().durationBeforeMs, 1600);
    EXPECT_GE(r.value().durationAfterMs, 800);
    EXPECT_LE(r.value().durationAfterMs, 830);

    const CSound& record = project.library.at(0);
    EXPECT_EQ(record.name, before.library.at(0).name);
    EXPECT_EQ(record.filePath, before.library.at(0).filePath);
    EXPECT_EQ(record.durationMs, r.value().durationAfterMs);
    EXPECT_EQ(fs::status(inFolder("door.wav")).permissions(), perms);
    EXPECT_EQ(project.playlists, before.playlists);
    EXPECT_NEAR(lufsOf(inFolder("door.wav")), -16.0, 1.0);
    EXPECT_EQ(ui.statusLines.back(), trimSavingsText(r.value().savedBytes));
    EXPECT_GT(r.value().savedBytes, 0U);

    // The old content waits in the undo folder; nothing else is left over.
    EXPECT_EQ(soundFolderFiles(), std::vector<std::string>{"door.wav"});
    const fs::path holding = dir / ".zadaravod-undo";
    ASSERT_TRUE(fs::is_directory(holding));
    std::vector<std::string> kept;
    for (const auto& e : fs::directory_iterator(holding)) kept.push_back(test::readFile(e.path()));
    EXPECT_EQ(kept, std::vector<std::string>{original});
}

TEST_F(Process, RefusalsChangeNothing) {
    write("hush.wav", silence(0.5));
    ASSERT_TRUE(importSounds(project, ui, {src("hush.wav")}).ok());
    before = project;
    const std::string hush = test::readFile(inFolder("hush.wav"));

    struct Case {
        int index;
        SoundTreatment treatment;
        const char* says;
    };
    const Case cases[] = {
        {2, trim(), "There is no sound 3 in the library."},
        {-1, trim(), "There is no sound 0 in the library."},
        {0, SoundTreatment{}, "Choose what to do with the sound"},
        {1, trim(), "hush.wav cannot be treated: The sound is silent"},
        {1, normalize(), "hush.wav cannot be treated: The sound is silent or too quiet"},
    };
    for (const Case& c : cases) {
        const Result<ProcessReport> r = processLibrarySound(project, ui, c.index, c.treatment);
        ASSERT_FALSE(r.ok()) << c.says;
        EXPECT_EQ(r.error().text.rfind(c.says, 0), 0U) << r.error().text;
    }
    EXPECT_EQ(project.library, before.library);
    EXPECT_EQ(test::readFile(inFolder("hush.wav")), hush);
    EXPECT_EQ(test::readFile(inFolder("door.wav")), original);
    EXPECT_FALSE(fs::exists(dir / ".zadaravod-undo")) << "nothing was retired";
    EXPECT_EQ(soundFolderFiles().size(), 2U);
}

TEST_F(Process, AMissingFileOrALinkIsNotTouched) {
    fs::rename(inFolder("door.wav"), src("moved.wav"));
    Result<ProcessReport> r = processLibrarySound(project, ui, 0, trim());
    ASSERT_FALSE(r.ok());
    EXPECT_NE(r.error().text.find("missing from the sound folder"), std::string::npos);

    // A link is refused rather than followed: its target stays as it is.
    fs::create_symlink(src("moved.wav"), inFolder("door.wav"));
    r = processLibrarySound(project, ui, 0, trim());
    ASSERT_FALSE(r.ok());
    EXPECT_NE(r.error().text.find("not a plain file"), std::string::npos) << r.error().text;
    EXPECT_EQ(test::readFile(src("moved.wav")), original);
    EXPECT_TRUE(fs::is_symlink(inFolder("door.wav")));
}

}  // namespace
}  // namespace zadaravod
