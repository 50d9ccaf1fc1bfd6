// The build's element cache, its in-memory conversion, its progress and
// stop, and builds on a full disk: each compared with a build that has no
// cache at all, which is the reference every image must equal byte for byte.
#include <gtest/gtest.h>

#include <sys/resource.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <thread>

#include "commands/Build.h"
#include "commands/BuildElements.h"
#include "format/ElementCodec.h"
#include "format/WavFile.h"
#include "io/ElementCache.h"
#include "model/ProjectFile.h"
#include "support/Cli.h"
#include "support/ConverterPattern.h"
#include "support/ImageFixtures.h"
#include "support/ScriptedUserInterface.h"

namespace zadaravod {
namespace {

namespace fs = std::filesystem;
using test::readFile;

AppPaths app() { return AppPaths::ofFolder(test::appDir()); }

/// An application folder of its own: the fixed files of the build tree's,
/// and the converter plugin copied from `plugin`.
AppPaths appFolderWith(const test::TempDir& dir, const std::string& plugin) {
    const fs::path folder = dir / "app";
    fs::create_directories(folder);
    fs::copy_file(app().silencePath(), folder / "silence10ms.wav");
    fs::copy_file(app().chipCodePath(), folder / "m31907_A3_Ext_Spi_Code.bin");
    fs::copy_file(plugin, folder / "libZozazeZovevidiz.so");
    return AppPaths::ofFolder(folder.string());
}

struct Built {
    bool ok = false;
    std::string image;
    BuildStatistics statistics;
    ScriptedUserInterface ui;
};

/// Builds `p` with the cache in `cacheFolder` (none when empty).
std::unique_ptr<Built> build(Project& p, const fs::path& cacheFolder, const AppPaths& paths = app(),
                             std::uintmax_t maxBytes = std::uintmax_t{256} << 20) {
    auto b = std::make_unique<Built>();
    BuildOptions options;
    options.useCache = !cacheFolder.empty();
    options.cache = {cacheFolder, maxBytes};
    options.statistics = &b->statistics;
    b->ok = shown(buildImage(p, paths, b->ui, options), b->ui);
    b->image = readFile(p.imagePath());
    return b;
}

std::size_t entriesIn(const fs::path& cacheFolder) {
    std::size_t n = 0;
    for (const auto& e : fs::directory_iterator(cacheFolder / "elements"))
        n += e.path().filename().string().size() == 64 ? 1 : 0;
    return n;
}

TEST(BuildCache, AWarmBuildConvertsNothingAndWritesTheSameImage) {
    test::TempDir dir;
    Project p = test::makeProject(dir, 6, 700);
    const auto reference = build(p, {});
    ASSERT_TRUE(reference->ok) << testing::PrintToString(reference->ui.texts());
    EXPECT_EQ(reference->statistics.converted, 7);  // six sounds and the silence

    const fs::path cache = dir / "cache";
    const auto cold = build(p, cache);
    ASSERT_TRUE(cold->ok);
    EXPECT_EQ(cold->statistics.converted, 7);
    EXPECT_EQ(cold->statistics.fromCache, 0);
    EXPECT_EQ(entriesIn(cache), 7u);
    const auto warm = build(p, cache);
    ASSERT_TRUE(warm->ok);
    EXPECT_EQ(warm->statistics.converted, 0);
    EXPECT_EQ(warm->statistics.fromCache, 7);
    EXPECT_EQ(cold->image, reference->image);
    EXPECT_EQ(warm->image, reference->image);
    // Our plugin converts in memory: nothing was ever written beside a WAV
    // or the silence file.
    for (const auto& e : fs::directory_iterator(p.soundFolder))
        EXPECT_EQ(e.path().extension(), ".wav") << e.path();
    EXPECT_FALSE(fs::exists(app().silencePath() + ".rbf"));
}

TEST(BuildCache, AChangedWavIsConvertedAgain) {
    test::TempDir dir;
    Project p = test::makeProject(dir, 4, 500);
    const fs::path cache = dir / "cache";
    ASSERT_TRUE(build(p, cache)->ok);
    writeWav16(p.library.at(2).filePath, test::sine(555, 8000, 500, 9000), 8000, 1);
    const auto warm = build(p, cache);
    ASSERT_TRUE(warm->ok);
    EXPECT_EQ(warm->statistics.converted, 1);
    EXPECT_EQ(warm->statistics.fromCache, 4);
    EXPECT_EQ(warm->image, build(p, {})->image);
    // Back to an earlier content: its element is still kept.
    writeWav16(p.library.at(2).filePath, test::sine(220, 8000, 500, 8000), 8000, 1);
    EXPECT_EQ(build(p, cache)->statistics.converted, 0);
}

TEST(BuildCache, AnotherPluginFileIsAnotherConverter) {
    test::TempDir dir;
    Project p = test::makeProject(dir, 3, 300);
    const fs::path cache = dir / "cache";
    const AppPaths paths = appFolderWith(dir, app().converterPath());
    ASSERT_TRUE(build(p, cache, paths)->ok);
    EXPECT_EQ(build(p, cache, paths)->statistics.converted, 0);
    // The same code with one more byte at the end of the file: it loads as
    // before, but elements kept from the old file are not its own.
    std::ofstream(paths.converterPath(), std::ios::app | std::ios::binary) << '\0';
    const auto rebuilt = build(p, cache, paths);
    ASSERT_TRUE(rebuilt->ok);
    EXPECT_EQ(rebuilt->statistics.converted, 4);
    EXPECT_EQ(rebuilt->image, build(p, {})->image);
}

TEST(BuildCache, ADamagedOrForeignEntryIsMadeAgainNeverCopied) {
    test::TempDir dir;
    Project p = test::makeProject(dir, 3, 400);
    const fs::path cache = dir / "cache";
    ASSERT_TRUE(build(p, cache)->ok);
    std::vector<fs::path> entries;
    for (const auto& e : fs::directory_iterator(cache / "elements"))
        if (e.path().filename().string().size() == 64) entries.push_back(e.path());
    ASSERT_EQ(entries.size(), 4u);
    std::sort(entries.begin(), entries.end());

    // One entry with a flipped byte (its checksum no longer matches) ...
    std::string bytes = readFile(entries[0]);
    bytes[bytes.size() - 5] = static_cast<char>(bytes[bytes.size() - 5] ^ 0x40);
    test::writeFile(entries[0], bytes);
    // ... and one whose checksum matches bytes that are no element.
    ElementCache::Key key{};
    const std::string name = entries[1].filename().string();
    for (std::size_t i = 0; i < key.size(); ++i)
        key[i] = static_cast<std::uint8_t>(std::stoi(name.substr(2 * i, 2), nullptr, 16));
    ElementCache direct({cache, std::uintmax_t{1} << 20});
    const std::vector<std::uint8_t> junk(200, 0x4C);
    ASSERT_TRUE(direct.store(key, junk));

    const auto again = build(p, cache);
    ASSERT_TRUE(again->ok);
    EXPECT_EQ(again->statistics.converted, 2);
    EXPECT_EQ(again->image, build(p, {})->image);
    EXPECT_EQ(readFile(entries[1]).find(std::string(200, 'L')), std::string::npos);
    EXPECT_EQ(build(p, cache)->statistics.converted, 0);  // both made good again
}

TEST(BuildCache, TheBoundHoldsAfterABuild) {
    test::TempDir dir;
    Project p = test::makeProject(dir, 8, 3000);  // about 2 KB an element
    const fs::path cache = dir / "cache";
    const auto built = build(p, cache, app(), 6000);
    ASSERT_TRUE(built->ok);
    EXPECT_LE(ElementCache({cache, 6000}).totalBytes(), 6000u);
    EXPECT_EQ(built->image, build(p, {})->image);
}

TEST(BuildCache, ACacheThatCannotBeUsedIsToldOnceAndTheBuildGoesOn) {
    test::TempDir dir;
    Project p = test::makeProject(dir, 2);
    test::writeFile(dir / "file", "not a folder");
    const auto built = build(p, dir / "file" / "cache");
    ASSERT_TRUE(built->ok);
    const auto& lines = built->ui.statusLines;
    const auto told = std::count_if(lines.begin(), lines.end(), [](const std::string& l) {
        return l.find("element cache cannot be used") != std::string::npos;
    });
    EXPECT_EQ(told, 1) << testing::PrintToString(lines);
    EXPECT_EQ(built->statistics.converted, 3);
}

TEST(BuildCache, AReplacementConverterWithoutTheMemoryExportIsCalledTheOldWay) {
    test::TempDir dir;
    Project p = test::makeProject(dir, 3);
    const AppPaths paths = appFolderWith(dir, ZADARAVOD_PATTERN_CONVERTER);
    const fs::path cache = dir / "cache";
    const std::string log = (dir / "converter.log").string();
    ::setenv("ZADARAVOD_TEST_CONVERTER_LOG", log.c_str(), 1);
    const auto cold = build(p, cache, paths);
    const auto warm = build(p, cache, paths);
    ::unsetenv("ZADARAVOD_TEST_CONVERTER_LOG");
    ASSERT_TRUE(cold->ok) << testing::PrintToString(cold->ui.texts());
    ASSERT_TRUE(warm->ok);
    // Each WAV once, by its own path, beside which the files were written.
    const std::string calls = readFile(log);
    for (const CSound& s : p.library)
        EXPECT_NE(calls.find(s.filePath + " "), std::string::npos) << calls;
    EXPECT_EQ(warm->statistics.converted, 0);
    EXPECT_EQ(warm->image, cold->image);
    for (const auto& e : fs::directory_iterator(p.soundFolder))
        EXPECT_EQ(e.path().extension(), ".wav") << e.path();  // read back and removed
    // The pattern plugin's element stands first in the sound data area.
    const std::vector<std::uint8_t> pattern =
        element::encodeElement(test::converterPattern(), test::kPatternRate);
    ASSERT_GT(cold->image.size(), 0x17FF0 + pattern.size());
    EXPECT_EQ(cold->image.substr(0x17FF0, pattern.size()),
              std::string(pattern.begin(), pattern.end()));
}

TEST(BuildCache, ABuildRewritesTheProjectFilesOnlyWhenTheyChange) {
    test::TempDir dir;
    Project p = test::makeProject(dir, 2);
    ASSERT_TRUE(build(p, {})->ok);
    const auto old = fs::file_time_type::clock::now() - std::chrono::hours(24);
    fs::last_write_time(p.projectFilePath, old);
    fs::last_write_time(p.flashSizePath(), old);
    ASSERT_TRUE(build(p, {})->ok);
    EXPECT_EQ(fs::last_write_time(p.projectFilePath), old);
    EXPECT_EQ(fs::last_write_time(p.flashSizePath()), old);
    p.flashSize.sizeIndex = 2;
    p.playlists[4].addTail(p.library.at(1));
    ASSERT_TRUE(build(p, {})->ok);
    EXPECT_NE(fs::last_write_time(p.flashSizePath()), old);
    const std::vector<std::uint8_t> stored = storeProjectFile(p, p.projectFilePath);
    EXPECT_EQ(readFile(p.projectFilePath), std::string(stored.begin(), stored.end()));
}

TEST(BuildProgress, EverySoundIsReportedAndAStopLeavesNoNewImage) {
    test::TempDir dir;
    Project p = test::makeProject(dir, 5);
    ScriptedUserInterface ui;
    BuildOptions options;
    options.useCache = false;
    options.threads = 2;
    ASSERT_TRUE(shown(buildImage(p, app(), ui, options), ui));
    ASSERT_FALSE(ui.progressSteps.empty());
    EXPECT_EQ(ui.progressSteps.front(), std::make_pair(0, 5));
    EXPECT_EQ(ui.progressSteps.back(), std::make_pair(5, 5));
    // Sounds that finish together are reported together; the count only rises.
    int last = 0;
    for (const std::string& line : ui.statusLines) {
        int k = 0;
        ASSERT_EQ(std::sscanf(line.c_str(), "Converting sound %d of 5", &k), 1) << line;
        EXPECT_GT(k, last);
        last = k;
    }
    EXPECT_EQ(last, 5);

    test::writeFile(p.imagePath(), "old image");
    ScriptedUserInterface stopping;
    stopping.onProgress = [](int done, int) { return done < 2; };
    const Result<std::uint64_t> stopped = buildImage(p, app(), stopping, options);
    ASSERT_FALSE(stopped.ok());
    EXPECT_EQ(stopped.error().text, kBuildStoppedText);
    EXPECT_EQ(readFile(p.imagePath()), "old image");
    EXPECT_TRUE(stopping.messages.empty());  // no "BIN File Saved!"
    EXPECT_LE(stopping.progressSteps.back().first, 5);
    for (const auto& e : fs::directory_iterator(fs::path(p.projectFilePath).parent_path()))
        EXPECT_EQ(e.path().filename().string().find(".tmp"), std::string::npos) << e.path();

    // A stop asked for before anything was converted.
    fs::remove(p.imagePath());
    ScriptedUserInterface atOnce;
    atOnce.onProgress = [](int, int) { return false; };
    EXPECT_FALSE(buildImage(p, app(), atOnce, options).ok());
    EXPECT_FALSE(fs::exists(p.imagePath()));
}

TEST(BuildOnAFullDisk, TheBuildFailsCleanlyAndKeepsTheOldImage) {
    test::TempDir dir;
    Project p = test::makeProject(dir, 2, 20000);
    test::writeFile(p.imagePath(), "old image");
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit old{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
    rlimit small = old;
    // The project files fit; neither a cache entry (13 KB) nor the image does.
    small.rlim_cur = 5000;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const auto built = build(p, dir / "cache");
    ::setrlimit(RLIMIT_FSIZE, &old);
    EXPECT_FALSE(built->ok);
    ASSERT_FALSE(built->ui.messages.empty());
    EXPECT_NE(built->ui.messages.back().text.find("File too large"), std::string::npos)
        << built->ui.messages.back().text;
    EXPECT_EQ(readFile(p.imagePath()), "old image");
    for (const auto& e : fs::directory_iterator(fs::path(p.projectFilePath).parent_path()))
        EXPECT_EQ(e.path().filename().string().find(".tmp"), std::string::npos) << e.path();
    // The cache gave up on the first entry it could not write, and said so once.
    const auto& lines = built->ui.statusLines;
    EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                            [](const std::string& l) {
                                return l.find("element cache cannot be used") != std::string::npos;
                            }),
              1)
        << testing::PrintToString(lines);
    EXPECT_EQ(entriesIn(dir / "cache"), 0u);
}

// Two command-line builds at once, of two copies of one project, sharing
// one cache folder: both images are right, and the cache holds each
// element once.
TEST(BuildCache, TwoProcessesShareOneCache) {
    test::TempDir dir;
    Project p = test::makeProject(dir, 24, 6000);
    ASSERT_TRUE(build(p, {})->ok);
    const std::string reference = readFile(p.imagePath());
    fs::remove(p.imagePath());
    const fs::path folder = fs::path(p.projectFilePath).parent_path();
    fs::copy(folder, dir / "copy.winproj", fs::copy_options::recursive);
    // The copy's project file names the sounds of its own folder.
    const fs::path copyFile = dir / "copy.winproj" / "p.winproj";
    const fs::path cache = dir / "shared-cache";
    const char* previous = std::getenv("XDG_CACHE_HOME");
    const std::string saved = previous != nullptr ? previous : "";
    ::setenv("XDG_CACHE_HOME", cache.c_str(), 1);
    test::CliRun first, second;
    std::thread one([&] { first = test::runCli("build " + test::quoted(p.projectFilePath)); });
    std::thread two([&] { second = test::runCli("build " + test::quoted(copyFile)); });
    one.join();
    two.join();
    if (previous != nullptr)
        ::setenv("XDG_CACHE_HOME", saved.c_str(), 1);
    else
        ::unsetenv("XDG_CACHE_HOME");
    ASSERT_EQ(first.status, 0) << first.output;
    ASSERT_EQ(second.status, 0) << second.output;
    EXPECT_EQ(readFile(p.imagePath()), reference);
    EXPECT_EQ(readFile(copyFile.string() + ".bin"), reference);
    EXPECT_EQ(entriesIn(cache / "zadaravod"), 25u);
    for (const auto& e : fs::directory_iterator(cache / "zadaravod" / "elements"))
        EXPECT_EQ(e.path().filename().string().find(".tmp"), std::string::npos) << e.path();
}

}  // namespace
}  // namespace zadaravod
