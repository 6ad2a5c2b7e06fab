#include "machine/resources.h"

#include <gtest/gtest.h>

namespace {

using platform::ResourceBytes;
using platform::ResourceType;

class ResourcesTest : public ::testing::Test {
 protected:
  void TearDown() override { platform::ClearResourceOverrides(); }
};

TEST_F(ResourcesTest, NamesMatchWithoutRegardToCaseAndTypesStayApart) {
  static const uint8_t kBytes[] = {1, 2, 3};
  platform::OverrideResource("Tune", ResourceType::kMids, kBytes, sizeof kBytes);
  ResourceBytes found;
  ASSERT_TRUE(platform::FindResource("TUNE", ResourceType::kMids, &found));
  EXPECT_EQ(found.data, kBytes);
  EXPECT_EQ(found.size, 3u);
  ASSERT_TRUE(platform::FindResource("tune", ResourceType::kMids, &found));
  EXPECT_FALSE(platform::FindResource("tune", ResourceType::kWave, &found));
  EXPECT_FALSE(platform::FindResource("tunes", ResourceType::kMids, &found));
  EXPECT_FALSE(platform::FindResource(nullptr, ResourceType::kMids, &found));
}

TEST_F(ResourcesTest, EmbeddedSheetIsFoundUnderEitherCaseAndCanBeHidden) {
  ResourceBytes lower, upper;
  const bool present = platform::FindResource("char", ResourceType::kBitmap, &lower);
  ASSERT_EQ(present, platform::FindResource("CHAR", ResourceType::kBitmap, &upper));
  if (!present) GTEST_SKIP() << "no sprite sheet embedded yet";
  EXPECT_EQ(lower.data, upper.data);
  EXPECT_EQ(lower.data[0], 'B');
  EXPECT_EQ(lower.data[1], 'M');
  platform::HideResource("Char", ResourceType::kBitmap);
  EXPECT_FALSE(platform::FindResource("CHAR", ResourceType::kBitmap, &lower));
  platform::ClearResourceOverrides();
  EXPECT_TRUE(platform::FindResource("CHAR", ResourceType::kBitmap, &lower));
}

}  // namespace
