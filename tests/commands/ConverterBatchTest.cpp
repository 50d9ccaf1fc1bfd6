// The converter plugin's batch conversion and the build's use of it: many
// WAVs per call, each with its own result, the same bytes as one at a time,
// a failing WAV named in the build's message, and the cache kept per sound.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "commands/Build.h"
#include "commands/ConverterPlugin.h"
#include "support/ImageFixtures.h"
#include "support/ScriptedUserInterface.h"

namespace zadaravod {
namespace {

namespace fs = std::filesystem;

AppPaths app() { return AppPaths::ofFolder(test::appDir()); }

TEST(ConverterBatch, EachWavGetsItsOwnResultAndTheSameBytesAsAlone) {
    const ConverterPlugin plugin(app().converterPath());
    ASSERT_TRUE(plugin.loaded()) << plugin.loadError();
    ASSERT_TRUE(plugin.convertsManyInMemory());
    test::TempDir dir;
    std::vector<std::string> paths, names;
    for (int i = 0; i < 21; ++i) {  // more than one batch of lanes
        const std::string path = (dir / ("w" + std::to_string(i) + ".wav")).string();
        const std::size_t samples = 1 + static_cast<std::size_t>(i) * 97;
        ASSERT_EQ(
            writeWav16(path, test::sine(300.0 + 40 * i, 8000, samples, 3000 + 500 * i), 8000, 1),
            "");
        paths.push_back(path);
        names.push_back("sound " + std::to_string(i + 1));
    }
    test::writeFile(paths[4], "not a wav file");
    paths[9] = (dir / "missing.wav").string();

    const std::vector<ElementConversion> many = plugin.convertManyToElements(paths, names);
    ASSERT_EQ(many.size(), paths.size());
    for (std::size_t i = 0; i < paths.size(); ++i) {
        const ElementConversion alone = plugin.convertToElement(paths[i], names[i]);
        EXPECT_EQ(many[i].ok(), alone.ok()) << i;
        EXPECT_EQ(many[i].element, alone.element) << i;
        if (i == 4 || i == 9) {
            EXPECT_TRUE(many[i].converterFailed) << i;
            EXPECT_NE(many[i].reason.find(paths[i]), std::string::npos) << many[i].reason;
        } else {
            EXPECT_TRUE(many[i].ok()) << i << ": " << many[i].reason;
        }
    }
    EXPECT_TRUE(plugin.convertManyToElements({}, {}).empty());
}

TEST(ConverterBatch, EverySoundOfABatchIsCountedInTheProgress) {
    test::TempDir dir;
    Project p = test::makeProject(dir, 40, 200);
    ScriptedUserInterface ui;
    BuildOptions options;
    options.useCache = false;
    options.threads = 2;
    ASSERT_TRUE(shown(buildImage(p, app(), ui, options), ui));
    // Each of the 40 sounds counted once and in order, although they finish
    // 16 at a time.
    std::vector<int> counts;
    for (const auto& [done, all] : ui.progressSteps) {
        EXPECT_EQ(all, 40);
        counts.push_back(done);
    }
    std::vector<int> expected(41);
    for (int k = 0; k <= 40; ++k) expected[static_cast<std::size_t>(k)] = k;
    EXPECT_EQ(counts, expected);
}

TEST(ConverterBatch, AFailingSoundInABatchStopsTheBuildNamingIt) {
    test::TempDir dir;
    Project p = test::makeProject(dir, 40, 300);
    test::writeFile(p.library.at(33).filePath, "not a wav file at all");
    ScriptedUserInterface ui;
    BuildOptions options;
    options.useCache = false;
    options.threads = 2;
    EXPECT_FALSE(shown(buildImage(p, app(), ui, options), ui));
    const auto texts = ui.texts();
    ASSERT_EQ(texts.size(), 3u);
    EXPECT_EQ(texts[0], "Fail!");
    EXPECT_EQ(texts[1], p.library.at(33).filePath);
    EXPECT_EQ(
        texts[2].rfind("The build stopped: the conversion of sound 34 \"s34.wav\" failed: ", 0), 0u)
        << texts[2];
    EXPECT_FALSE(fs::exists(p.imagePath()));
}

TEST(ConverterBatch, ABatchMixingCacheHitsAndConversionsKeepsEveryNewElement) {
    test::TempDir dir;
    Project p = test::makeProject(dir, 37, 400);
    BuildOptions plain;
    plain.useCache = false;
    ScriptedUserInterface ui;
    ASSERT_TRUE(shown(buildImage(p, app(), ui, plain), ui));
    const std::string reference = test::readFile(p.imagePath());

    // Every third sound is in the cache already: each batch mixes hits and
    // conversions, and every conversion is kept.
    const fs::path cache = dir / "cache";
    BuildOptions cached;
    cached.cache = {cache, std::uintmax_t{256} << 20};
    BuildStatistics first, second, third;
    Project few = p;
    few.library.removeAll();
    for (std::size_t i = 0; i < p.library.count(); i += 3) few.library.addTail(p.library.at(i));
    cached.statistics = &first;
    ASSERT_TRUE(shown(buildImage(few, app(), ui, cached), ui));
    EXPECT_EQ(first.converted, 14);  // 13 sounds and the silence
    cached.statistics = &second;
    ASSERT_TRUE(shown(buildImage(p, app(), ui, cached), ui));
    EXPECT_EQ(second.fromCache, 14);
    EXPECT_EQ(second.converted, 24);
    EXPECT_EQ(test::readFile(p.imagePath()), reference);
    cached.statistics = &third;
    ASSERT_TRUE(shown(buildImage(p, app(), ui, cached), ui));
    EXPECT_EQ(third.fromCache, 38);
    EXPECT_EQ(third.converted, 0);
    EXPECT_EQ(test::readFile(p.imagePath()), reference);
}

}  // namespace
}  // namespace zadaravod
