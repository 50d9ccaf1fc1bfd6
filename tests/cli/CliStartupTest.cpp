// zadaravod-cli loads the outside audio libraries only for commands that
// decode or play sound, and libzip only for the workbook commands: the
// dynamic loader's own account (LD_DEBUG=files) of what a run opened.
#include <gtest/gtest.h>

#include <cstdlib>

#include "model/ProjectFile.h"
#include "support/Cli.h"
#include "support/ImageFixtures.h"

namespace zadaravod {
namespace {

const char* const kAudioLibraries[] = {"libavcodec", "libavformat", "libswresample",
                                       "libavutil",  "libSDL2",     "libespeak",
                                       "libebur128", "libzip",      "libcrypto"};

/// zadaravod-cli `arguments` with the loader telling every library it opens.
test::CliRun runTracingLibraries(const std::string& arguments) {
    ::setenv("LD_DEBUG", "files", 1);
    test::CliRun run = test::runCli(arguments);
    ::unsetenv("LD_DEBUG");
    return run;
}

TEST(CliStartup, CommandsWithoutSoundOrWorkbookLoadNoOutsideLibrary) {
    test::TempDir dir;
    Project p = test::makeProject(dir, 2, 300);
    ASSERT_EQ(saveProjectFiles(p), "");
    for (const std::string command : {"info", "build", "inspect"}) {
        const std::string target = command == "inspect" ? p.imagePath() : p.projectFilePath;
        const test::CliRun run = runTracingLibraries(command + " " + test::quoted(target));
        ASSERT_EQ(run.status, 0) << command << "\n" << run.output;
        ASSERT_NE(run.output.find("file="), std::string::npos) << "no loader account";
        for (const char* library : kAudioLibraries)
            EXPECT_EQ(run.output.find(library), std::string::npos)
                << command << " loaded " << library;
    }
}

// The control: a command that decodes a compressed file does load FFmpeg,
// through its module, and still says plainly what is wrong with the file.
TEST(CliStartup, DecodingACompressedFileLoadsTheDecoderModule) {
    test::TempDir dir;
    Project p = test::makeProject(dir, 0);
    ASSERT_EQ(saveProjectFiles(p), "");
    test::writeFile(dir / "noise.mp3", std::string(4000, '\x55'));
    const test::CliRun run = runTracingLibraries("import " + test::quoted(p.projectFilePath) + " " +
                                                 test::quoted(dir / "noise.mp3"));
    EXPECT_NE(run.output.find("libzadaravod_ffmpeg.so"), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("libavformat"), std::string::npos);
    EXPECT_NE(run.output.find("The file is skipped: "), std::string::npos);
}

// And an export loads the workbook module, which brings libzip.
TEST(CliStartup, ExportLoadsTheWorkbookModule) {
    test::TempDir dir;
    Project p = test::makeProject(dir, 2, 300);
    ASSERT_EQ(saveProjectFiles(p), "");
    const test::CliRun run = runTracingLibraries("export " + test::quoted(p.projectFilePath));
    ASSERT_EQ(run.status, 0) << run.output;
    EXPECT_NE(run.output.find("libzadaravod_zip.so"), std::string::npos);
    EXPECT_NE(run.output.find("libzip"), std::string::npos);
}

}  // namespace
}  // namespace zadaravod
