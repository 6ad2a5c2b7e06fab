// Random play for a long stretch, with every invariant checked each tick. The length comes from
// SKYPOP_SOAK_TICKS (100,000 by default); bench/ runs a million.
#include "soak.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "temp_dir.h"

TEST(SoakTest, RandomPlayKeepsEveryInvariant) {
  const char* asked = std::getenv("SKYPOP_SOAK_TICKS");
  const int64_t ticks = asked != nullptr ? std::atoll(asked) : 100000;
  TempWorkingDir dir;
  const SoakReport report = RunSoak(ticks, 20261208);
  EXPECT_EQ(report.failure, "");
  EXPECT_EQ(report.ticks, ticks);
  // The run only proves something if it plays: games end, balloons pop, names go in the table.
  if (ticks >= 100000) {
    EXPECT_GT(report.games, 5);
    EXPECT_GT(report.ranked, 0);
    EXPECT_GT(report.pops, 100);
  }
}
