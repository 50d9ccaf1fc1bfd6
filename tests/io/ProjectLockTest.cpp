// The advisory lock on a project folder.
#include <gtest/gtest.h>

#include <chrono>

#include "io/ProjectLock.h"
#include "support/TempDir.h"

namespace zadaravod {
namespace {
using namespace std::chrono_literals;

TEST(ProjectLockTest, SecondHolderWaitsThenGivesUpAndTheLockFollowsMoves) {
    test::TempDir dir;
    ProjectLock first;
    ASSERT_EQ(first.acquire(dir.str(), 0ms), "");
    ProjectLock second;
    const auto start = std::chrono::steady_clock::now();
    const std::string refused = second.acquire(dir.str(), 120ms);
    EXPECT_GE(std::chrono::steady_clock::now() - start, 100ms);
    EXPECT_NE(refused.find("in use by another program"), std::string::npos);
    EXPECT_FALSE(second.held());

    ProjectLock moved = std::move(first);
    EXPECT_FALSE(first.held());
    EXPECT_TRUE(moved.held());
    EXPECT_NE(second.acquire(dir.str(), 0ms), "");
    moved.release();
    EXPECT_EQ(second.acquire(dir.str(), 0ms), "");
    EXPECT_NE(ProjectLock().acquire((dir / "missing").string(), 0ms), "");
}

}  // namespace
}  // namespace zadaravod
