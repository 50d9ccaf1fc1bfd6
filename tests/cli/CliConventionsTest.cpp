// zadaravod-cli follows the usual command-line conventions: usage errors
// exit 2 and leave the project alone, errors of the work exit 1, --help and
// --version exit 0; a lone "-" is refused where a path is expected and means
// standard output where a WAV can go there; "./-" still names a file.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "format/WavFile.h"
#include "support/AudioFixtures.h"
#include "support/Cli.h"

namespace zadaravod {
namespace {
namespace fs = std::filesystem;
using test::quoted;

class CliConventions : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_EQ(test::runCli("new " + quoted(dir / "demo.winproj")).status, 0);
        project = quoted(dir / "demo.winproj");
        projectFile = dir / "demo.winproj" / "demo.winproj";
        test::writePcmWav(dir / "a.wav", 16000, 1, 16, 0.25);
    }

    /// Nothing named "-" appeared in the working folder.
    void expectNoDashFile() const { EXPECT_FALSE(fs::exists(dir / "-")) << "a file named '-'"; }

    test::TempDir dir;
    std::string project;
    fs::path projectFile;
};

std::string dashRefusal(const std::string& what) {
    return "zadaravod-cli: '-' (standard input/output) is not supported for " + what +
           "; give a file name\n";
}

WavData parsedWav(const std::string& bytes) {
    WavData wav;
    std::string error;
    EXPECT_TRUE(parseWav(bytes, wav, error)) << error;
    return wav;
}

TEST_F(CliConventions, UsageErrorsExitWith2AndLeaveTheProjectAsItWas) {
    ASSERT_EQ(test::runCli("import " + project + " " + quoted(dir / "a.wav")).status, 0);
    const std::string before = test::readFile(projectFile);
    struct Case {
        std::string arguments;
        std::string says;  ///< a piece of the message that names what is wrong
    };
    const std::vector<Case> cases = {
        {"", "A subcommand is required"},
        {"frobnicate", "unknown command 'frobnicate'"},
        {"info " + project + " --jsno", "--jsno"},
        {"remove " + project, "no is required"},
        {"info " + project + " extra", "extra"},
        {"remove " + project + " first", "first"},
        {"remove " + project + " 0", "0"},
        {"list " + project + " 0 delete 0", "0"},
        {"list " + project + " 0 add 15ms", "15ms"},
        {"say " + project + " 'text' --pitch 101", "101"},
        {"convert a.wav o.wav", "convert needs --rate"},
        {"convert a.wav o.wav --rate 11025", "11025 is not a rate the chip plays"},
        {"music " + project, "subcommand"},
        {"play " + project + " --sound 1 --music", "Give one of"},
        {"play " + project + " --from 2", "--list"},
        {"inspect x.bin --force", "--extract"},
        {"set " + project + " volume=3", "volume"},
        {"process " + project + " 1", "--trim"},
    };
    for (const Case& c : cases) {
        const test::CliStreams run = test::runCliIn(dir.path(), c.arguments);
        EXPECT_EQ(run.status, 2) << c.arguments << "\n" << run.err;
        EXPECT_NE(run.err.find(c.says), std::string::npos) << c.arguments << "\n" << run.err;
        EXPECT_EQ(run.out, "") << c.arguments;
    }
    EXPECT_EQ(test::readFile(projectFile), before);
    EXPECT_FALSE(fs::exists(dir / "o.wav"));
}

TEST_F(CliConventions, UsageErrorsNameTheProgram) {
    const test::CliStreams parse = test::runCliIn(dir.path(), "info " + project + " --jsno");
    EXPECT_EQ(parse.err.rfind("zadaravod-cli: ", 0), 0U) << parse.err;
    EXPECT_NE(parse.err.find("--help"), std::string::npos) << parse.err;
    // A usage error that a command finds itself, after parsing.
    const test::CliStreams own = test::runCliIn(dir.path(), "process " + project + " 1");
    EXPECT_EQ(own.err, "zadaravod-cli: process needs --trim, --normalize or both.\n");
}

TEST_F(CliConventions, ErrorsOfTheWorkExitWith1) {
    for (const std::string& arguments : std::vector<std::string>{
             "info " + quoted(dir / "nothing.winproj"),  // no project there
             "remove " + project + " 1",                 // the library is empty
             "convert missing.mp3 o.wav --rate 8000",    // no such file
             "inspect " + quoted(dir / "a.wav"),         // not an image
             "new " + quoted(dir / "no" / "x.winproj"),  // no such folder
         }) {
        const test::CliStreams run = test::runCliIn(dir.path(), arguments);
        EXPECT_EQ(run.status, 1) << arguments << "\n" << run.err;
        EXPECT_NE(run.err, "") << arguments;
    }
}

TEST_F(CliConventions, HelpAndVersionExitWith0) {
    for (const std::string arguments : {"--help", "--version", "info --help", "list --help"}) {
        const test::CliStreams run = test::runCliIn(dir.path(), arguments);
        EXPECT_EQ(run.status, 0) << arguments << "\n" << run.err;
        EXPECT_NE(run.out, "") << arguments;
    }
    EXPECT_EQ(test::runCliIn(dir.path(), "--version").out, "zadaravod-cli 1.6\n");
    EXPECT_NE(test::runCliIn(dir.path(), "convert --help").out.find("standard output"),
              std::string::npos);
}

TEST_F(CliConventions, DashIsRefusedWhereAPathIsExpected) {
    const std::string before = test::readFile(projectFile);
    struct Case {
        std::string arguments;
        std::string what;
    };
    const std::vector<Case> cases = {
        {"new -", "the new project"},
        {"info - --json", "the project"},
        {"check -", "the project"},
        {"build -", "the project"},
        {"export -", "the project"},
        {"set - mode=key", "the project"},
        {"list - 0 add 1", "the project"},
        {"clear-lists -", "the project"},
        {"import - a.wav", "the project"},
        {"remove - 1", "the project"},
        {"clear-library -", "the project"},
        {"music - clear", "the project"},
        {"play - --sound 1", "the project"},
        {"process - 1 --trim", "the project"},
        {"say - 'text'", "the project"},
        {"import " + project + " a.wav -", "a sound file"},
        {"music " + project + " load -", "the music file"},
        {"convert - o.wav --rate 8000", "the source sound file"},
        {"inspect -", "the image"},
        {"inspect x.bin --extract -", "the --extract folder"},
    };
    for (const Case& c : cases) {
        const test::CliStreams run = test::runCliIn(dir.path(), c.arguments);
        EXPECT_EQ(run.status, 2) << c.arguments << "\n" << run.err;
        EXPECT_EQ(run.err, dashRefusal(c.what)) << c.arguments;
        EXPECT_EQ(run.out, "") << c.arguments;
    }
    expectNoDashFile();
    EXPECT_FALSE(fs::exists(dir / "o.wav"));
    EXPECT_EQ(test::readFile(projectFile), before) << "the import of a.wav went ahead";
}

TEST_F(CliConventions, ConvertWritesTheSameWavToStandardOutputAsToAFile) {
    const test::CliStreams toFile = test::runCliIn(dir.path(), "convert a.wav b.wav --rate 8000");
    ASSERT_EQ(toFile.status, 0) << toFile.err;
    const test::CliStreams piped = test::runCliIn(dir.path(), "convert a.wav - --rate 8000");
    ASSERT_EQ(piped.status, 0) << piped.err;
    // The resampler dithers, so two conversions differ by a step or two.
    const std::string file = test::readFile(dir / "b.wav");
    ASSERT_EQ(piped.out.size(), file.size());
    EXPECT_TRUE(piped.out.compare(0, 44, file, 0, 44) == 0) << "the headers differ";
    const WavData fromPipe = parsedWav(piped.out), fromFile = parsedWav(file);
    EXPECT_EQ(fromPipe.sampleRate, 8000);
    ASSERT_EQ(fromPipe.samples.size(), fromFile.samples.size());
    for (std::size_t i = 0; i < fromPipe.samples.size(); ++i)
        ASSERT_NEAR(fromPipe.samples[i], fromFile.samples[i], 4) << "sample " << i;
    EXPECT_NE(piped.err.find("MP3/WMA to WAV Convert OK!"), std::string::npos) << piped.err;
    expectNoDashFile();

    // The treatment's status line goes to standard error, not into the WAV.
    const test::CliStreams trimmed =
        test::runCliIn(dir.path(), "convert a.wav - --rate 8000 --trim");
    ASSERT_EQ(trimmed.status, 0) << trimmed.err;
    EXPECT_EQ(trimmed.out.rfind("RIFF", 0), 0U);
    EXPECT_EQ(parsedWav(trimmed.out).sampleRate, 8000);

    const test::CliStreams failed = test::runCliIn(dir.path(), "convert nothing.wav - --rate 8000");
    EXPECT_EQ(failed.status, 1) << failed.err;
    EXPECT_EQ(failed.out, "") << "a failed conversion wrote to standard output";
    EXPECT_EQ(failed.err.find("Convert OK"), std::string::npos) << failed.err;
}

TEST_F(CliConventions, SayWritesTheSpeechToStandardOutput) {
    const test::CliStreams run =
        test::runCliIn(dir.path(), "say --to - 'seven' --voice en --rate 12000");
    ASSERT_EQ(run.status, 0) << run.err;
    const WavData wav = parsedWav(run.out);
    EXPECT_EQ(wav.sampleRate, 12000);
    EXPECT_EQ(wav.channels, 1);
    EXPECT_GT(wav.frameCount(), 1200U) << "less than 0.1 s of speech";
    EXPECT_NE(run.err.find("Wrote the WAV to standard output ("), std::string::npos) << run.err;
    expectNoDashFile();
}

TEST_F(CliConventions, AFileNamedDashIsReachableAsDotSlash) {
    fs::copy_file(dir / "a.wav", dir / "-");
    const test::CliStreams read =
        test::runCliIn(dir.path(), "convert ./- from-dash.wav --rate 8000");
    ASSERT_EQ(read.status, 0) << read.err;
    EXPECT_EQ(parsedWav(test::readFile(dir / "from-dash.wav")).sampleRate, 8000);

    fs::remove(dir / "-");
    const test::CliStreams written = test::runCliIn(dir.path(), "convert a.wav ./- --rate 6000");
    ASSERT_EQ(written.status, 0) << written.err;
    EXPECT_EQ(written.out, "");
    EXPECT_EQ(parsedWav(test::readFile(dir / "-")).sampleRate, 6000);
}

}  // namespace
}  // namespace zadaravod
