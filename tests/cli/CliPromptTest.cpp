// zadaravod-cli say and process, and the --trim/--normalize options of
// import, music load and convert, run as a program: exit statuses, what is
// printed, and what the project and its files hold afterwards.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "format/WavFile.h"
#include "support/AudioFixtures.h"
#include "support/Cli.h"

namespace zadaravod {
namespace {
namespace fs = std::filesystem;
using test::quoted;
using test::runCli;
using test::TempDir;

bool has(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

/// A 440 Hz tone of `seconds` at 8000 Hz with `pad` seconds of silence
/// before and after it.
void writePadded(const fs::path& path, double seconds, double pad) {
    std::vector<std::int16_t> s(static_cast<std::size_t>(pad * 8000), 0);
    const auto tone = test::sineSamples(8000, 1, seconds, 440.0, 0.3);
    s.insert(s.end(), tone.begin(), tone.end());
    s.resize(s.size() + static_cast<std::size_t>(pad * 8000), 0);
    ASSERT_EQ(writeWav16(path, s, 8000, 1), "");
}

class CliPrompt : public ::testing::Test {
  protected:
    void SetUp() override {
        const test::CliRun created = runCli("new " + quoted(dir / "demo.winproj"));
        ASSERT_EQ(created.status, 0) << created.output;
        project = quoted(dir / "demo.winproj");
        soundFolder = dir / "demo.winproj" / "demo.winproj.sound";
    }

    nlohmann::json library() {
        const test::CliRun info = runCli("info " + project + " --json");
        EXPECT_EQ(info.status, 0) << info.output;
        return nlohmann::json::parse(info.output, nullptr, false)["sounds"];
    }

    TempDir dir;
    std::string project;
    fs::path soundFolder;
};

TEST_F(CliPrompt, SayAddsTheSpokenTextOrRefusesWithTheImportsMessages) {
    test::CliRun r = runCli("say " + project + " 'door open' --voice en");
    ASSERT_EQ(r.status, 0) << r.output;
    EXPECT_TRUE(has(r.output, "Added door open.wav (")) << r.output;
    EXPECT_TRUE(has(r.output, " ms at 8000 Hz); the library holds 1 of 510 sounds.")) << r.output;

    r = runCli("say " + project + " 'закрыто' --rate 16000 --speed 200 --pitch 40 --name shut");
    ASSERT_EQ(r.status, 0) << r.output;
    EXPECT_TRUE(has(r.output, "Added shut.wav (")) << r.output;

    const nlohmann::json lib = library();
    ASSERT_EQ(lib.size(), 2U);
    EXPECT_EQ(lib[0]["name"], "door open.wav");
    EXPECT_EQ(lib[0]["rate"], 8000);
    EXPECT_EQ(lib[1]["name"], "shut.wav");
    EXPECT_EQ(lib[1]["rate"], 16000);
    EXPECT_TRUE(fs::is_regular_file(soundFolder / "shut.wav"));

    r = runCli("say " + project + " 'again' --name shut.wav");
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(has(r.output, "Sound file loaded already!")) << r.output;
    r = runCli("say " + project + " 'low' --rate 4000");
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(has(r.output, "Inappropriate sampling rate!")) << r.output;
    r = runCli("say " + project + " 'hello' --voice no-such-voice");
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(has(r.output, "The text cannot be spoken: There is no voice")) << r.output;
    EXPECT_EQ(library().size(), 2U);
}

TEST_F(CliPrompt, SayIntoAFileAndItsUsageErrors) {
    const fs::path out = dir / "seven.wav";
    test::CliRun r = runCli("say --to " + quoted(out) + " 'seven' --voice en --rate 12000 --trim");
    ASSERT_EQ(r.status, 0) << r.output;
    EXPECT_TRUE(has(r.output, "Trimming saved ")) << r.output;
    EXPECT_TRUE(has(r.output, "Wrote " + out.string() + " (")) << r.output;
    WavData wav;
    std::string error;
    ASSERT_TRUE(readWav(out, wav, error)) << error;
    EXPECT_EQ(wav.sampleRate, 12000);

    for (const std::string& wrong : std::vector<std::string>{
             "say " + project,                                       // no text
             "say 'only text'",                                      // no project, no --to
             "say --to " + quoted(out) + " " + project + " 'text'",  // both
             "say --to " + quoted(out) + " 'text' --name x.wav",
             "say " + project + " 'text' --speed 10",
             "say " + project + " 'text' --threshold -30",  // without --trim
         }) {
        r = runCli(wrong);
        EXPECT_EQ(r.status, 2) << wrong << "\n" << r.output;
    }
    r = runCli("say --voices");
    ASSERT_EQ(r.status, 0) << r.output;
    EXPECT_EQ(r.output.rfind("ru\tzle/ru\tRussian\n", 0), 0U) << r.output;
}

TEST_F(CliPrompt, ProcessTrimsALibrarySoundAndNeedsSomethingToDo) {
    writePadded(dir / "bell.wav", 0.5, 0.5);
    ASSERT_EQ(runCli("import " + project + " " + quoted(dir / "bell.wav")).status, 0);
    EXPECT_EQ(library()[0]["durationMs"], 1500);

    test::CliRun r = runCli("process " + project + " 1");
    EXPECT_EQ(r.status, 2) << r.output;
    EXPECT_TRUE(has(r.output, "process needs --trim, --normalize or both.")) << r.output;
    r = runCli("process " + project + " 2 --trim");
    EXPECT_EQ(r.status, 1) << r.output;
    EXPECT_TRUE(has(r.output, "There is no sound 2 in the library; give 1..1.")) << r.output;

    r = runCli("process " + project + " 1 --trim --threshold -40 --normalize --loudness -20");
    ASSERT_EQ(r.status, 0) << r.output;
    EXPECT_TRUE(has(r.output, "Processed bell.wav: 1500 ms -> 510 ms, loudness ")) << r.output;
    EXPECT_TRUE(has(r.output, " -> -20.0 LUFS.")) << r.output;
    EXPECT_TRUE(has(r.output, "Trimming saved ")) << r.output;
    EXPECT_EQ(library()[0]["durationMs"], 510);

    // Nothing left to trim: the sound stays as long.
    r = runCli("process " + project + " 1 --trim");
    ASSERT_EQ(r.status, 0) << r.output;
    EXPECT_TRUE(has(r.output, "Trimming saved 0 bytes of flash.")) << r.output;
}

TEST_F(CliPrompt, ImportMusicAndConvertTakeTheTreatmentOptions) {
    writePadded(dir / "a.wav", 0.4, 0.6);
    std::vector<std::int16_t> hush(4000, 0);
    ASSERT_EQ(writeWav16(dir / "hush.wav", hush, 8000, 1), "");

    test::CliRun r = runCli("import " + project + " " + quoted(dir / "a.wav") + " " +
                            quoted(dir / "hush.wav") + " --trim");
    EXPECT_EQ(r.status, 1) << "a file was skipped\n" << r.output;
    EXPECT_TRUE(has(r.output, "hush.wav cannot be treated: The sound is silent")) << r.output;
    EXPECT_TRUE(has(r.output, "Added 1 of 2 file(s)")) << r.output;
    EXPECT_TRUE(has(r.output, "Trimming saved ")) << r.output;
    ASSERT_EQ(library().size(), 1U);
    EXPECT_EQ(library()[0]["durationMs"], 410);
    EXPECT_FALSE(fs::exists(soundFolder / "hush.wav"));

    writePadded(dir / "m.wav", 0.4, 0.3);
    r = runCli("music " + project + " load " + quoted(dir / "m.wav") + " --normalize");
    ASSERT_EQ(r.status, 0) << r.output;
    EXPECT_FALSE(has(r.output, "Trimming saved")) << "nothing was trimmed\n" << r.output;
    EXPECT_NE(test::readFile(soundFolder / "m.wav"), test::readFile(dir / "m.wav"));

    r = runCli("convert " + quoted(dir / "a.wav") + " " + quoted(dir / "o.wav") +
               " --rate 16000 --trim");
    ASSERT_EQ(r.status, 0) << r.output;
    EXPECT_TRUE(has(r.output, "MP3/WMA to WAV Convert OK!")) << r.output;
    WavData wav;
    std::string error;
    ASSERT_TRUE(readWav(dir / "o.wav", wav, error)) << error;
    EXPECT_EQ(wav.frameCount(), static_cast<std::size_t>(0.41 * 16000));
    const std::string converted = test::readFile(dir / "o.wav");
    r = runCli("convert " + quoted(dir / "hush.wav") + " " + quoted(dir / "o.wav") +
               " --rate 16000 --trim");
    EXPECT_EQ(r.status, 1) << r.output;
    EXPECT_TRUE(has(r.output, "MP3/WMA to WAV Convert failed: o.wav cannot be treated"))
        << r.output;
    EXPECT_EQ(test::readFile(dir / "o.wav"), converted) << "a refused conversion writes nothing";
}

}  // namespace
}  // namespace zadaravod
