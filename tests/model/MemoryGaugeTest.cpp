#include <gtest/gtest.h>

#include "model/MemoryGauge.h"

namespace zadaravod {
namespace {

TEST(MemoryGauge, EmptyLibraryOn4M) {
    const MemoryGauge g = computeMemoryGauge(CSoundList{}, 0);
    EXPECT_DOUBLE_EQ(g.usedBits, 1063744);
    EXPECT_EQ(g.usageText(), "3.17 % flash used");
    EXPECT_EQ(g.lengthText(), "0 msec. total");
}

TEST(MemoryGauge, OneSecondAt8000On256K) {
    CSoundList lib;
    CSound s;
    s.kind = 1;
    s.sampleRate = 8000;
    s.durationMs = 1000;
    lib.addTail(s);
    const MemoryGauge g = computeMemoryGauge(lib, 4);
    EXPECT_NEAR(g.usedBits, 1104553.846, 0.001);
    EXPECT_EQ(g.usageText(), "52.67 % flash used");
    EXPECT_EQ(g.lengthText(), "1000 msec. total");
}

TEST(MemoryGauge, NegativeEstimatesAddNothing) {
    CSoundList lib;
    CSound s;
    s.kind = 1;
    s.sampleRate = -8000;
    s.durationMs = 1000;
    lib.addTail(s);
    EXPECT_DOUBLE_EQ(computeMemoryGauge(lib, 0).usedBits, 786304 + 509 * 544);
}

}  // namespace
}  // namespace zadaravod
