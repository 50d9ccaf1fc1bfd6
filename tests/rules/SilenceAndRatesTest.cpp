// The silence records and dialog rules, and the sampling-rate rules.
#include <gtest/gtest.h>

#include "model/SamplingRates.h"
#include "rules/Silence.h"

namespace zadaravod {
namespace {

TEST(Silence, FixedCommandsMakeSilenceRecords) {
    const std::pair<int, int> expected[] = {{32827, 10},  {32828, 20},  {32829, 50},
                                            {32830, 100}, {32831, 200}, {32832, 300}};
    for (auto [command, ms] : expected) {
        const auto s = fixedSilence(command);
        ASSERT_TRUE(s.has_value()) << command;
        EXPECT_EQ(s->kind, 0);
        EXPECT_EQ(s->durationMs, ms);
        EXPECT_TRUE(s->name.empty());
        EXPECT_TRUE(s->filePath.empty());
        CSound fresh;
        fresh.durationMs = ms;
        EXPECT_EQ(*s, fresh);  // every other field as in a new record
    }
    EXPECT_FALSE(fixedSilence(kFreeSilenceCommand).has_value());
    EXPECT_FALSE(fixedSilence(32826).has_value());
}

TEST(Silence, LeadingDigitsAreRead) {
    EXPECT_EQ(leadingDecimal("25"), 25);
    EXPECT_EQ(leadingDecimal("25ms"), 25);
    EXPECT_EQ(leadingDecimal("  7"), 7);
    EXPECT_EQ(leadingDecimal("abc"), 0);
    EXPECT_EQ(leadingDecimal(""), 0);
    EXPECT_EQ(leadingDecimal("-3"), -3);
    EXPECT_EQ(leadingDecimal("99999999999999999999"), 2147483647);
}

TEST(Silence, DialogRules) {
    struct Case {
        const char* text;
        int unit;
        int weight;
        bool closes;
        int endCode;
        const char* message;
    };
    const Case cases[] = {
        {"25", kUnitTensOfMs, 0, true, 250, ""},
        {"3", kUnitSeconds, 0, true, 3000, ""},
        {"1", kUnitTensOfMs, 0, true, 10, ""},
        {"255", kUnitTensOfMs, 0, true, 2550, ""},
        {"10", kUnitSeconds, 0, true, 10000, ""},
        {"0", kUnitTensOfMs, 0, false, kSilenceCancel, "Out of range! (1 - 255)"},
        {"256", kUnitTensOfMs, 0, false, kSilenceCancel, "Out of range! (1 - 255)"},
        {"none", kUnitTensOfMs, 0, false, kSilenceCancel, "Out of range! (1 - 255)"},
        {"11", kUnitSeconds, 0, false, kSilenceCancel, "Out of range! (1 - 10)"},
        {"0", kUnitSeconds, 0, false, kSilenceCancel, "Out of range! (1 - 10)"},
        {"5", kUnitTensOfMs, 255, true, 50, ""},
        {"5", kUnitTensOfMs, 256, false, kSilenceCancel, "Playlist full!"},
        {"0", kUnitTensOfMs, 256, false, kSilenceCancel, "Out of range! (1 - 255)"},
    };
    for (const Case& c : cases) {
        const SilenceOutcome out = acceptSilence(c.text, c.unit, c.weight);
        EXPECT_EQ(out.closes, c.closes) << c.text;
        EXPECT_EQ(out.endCode, c.endCode) << c.text;
        EXPECT_EQ(out.message, c.message) << c.text;
    }
}

TEST(SamplingRates, PlainImportAndRoundingRules) {
    EXPECT_FALSE(isPlainImportRate(4000));
    EXPECT_TRUE(isPlainImportRate(6000));
    EXPECT_TRUE(isPlainImportRate(22000));
    EXPECT_FALSE(isPlainImportRate(11025));
    EXPECT_FALSE(isPlainImportRate(24000));
    EXPECT_TRUE(isSupportedRate(4000));
    EXPECT_EQ(roundDownToSupportedRate(48000), 22000);
    EXPECT_EQ(roundDownToSupportedRate(22000), 22000);
    EXPECT_EQ(roundDownToSupportedRate(21999), 20000);
    EXPECT_EQ(roundDownToSupportedRate(11025), 10000);
    EXPECT_EQ(roundDownToSupportedRate(6000), 6000);
    EXPECT_EQ(roundDownToSupportedRate(5999), 4000);
    EXPECT_EQ(roundDownToSupportedRate(1000), 4000);
}

TEST(SamplingRates, DialogListForALimit) {
    using Lines = std::vector<std::string>;
    EXPECT_EQ(samplingDialogLines(8000), (Lines{"4000", "6000", "8000", ""}));
    EXPECT_EQ(samplingDialogLines(5000), (Lines{"4000", ""}));
    EXPECT_EQ(samplingDialogLines(3000), (Lines{""}));
    EXPECT_EQ(samplingDialogLines(-1), Lines{});
    EXPECT_EQ(samplingDialogRates(22000).size(), 10U);
    EXPECT_EQ(rateListText(6000), "4000, 6000");
    EXPECT_EQ(rateListText(3000), "none");
}

}  // namespace
}  // namespace zadaravod
