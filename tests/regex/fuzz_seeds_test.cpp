#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "regex_input.h"

namespace tuxia {
namespace {

TEST(RegexFuzzSeeds, EverySeedHolds) {
  int seeds = 0;
  for (const auto& entry : std::filesystem::directory_iterator(TUXIA_REGEX_SEEDS)) {
    std::ifstream file(entry.path(), std::ios::binary);
    const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(file), {}};
    EXPECT_TRUE(RegexInputHolds(bytes.data(), bytes.size())) << entry.path();
    ++seeds;
  }
  EXPECT_GT(seeds, 0) << "no seeds in " << TUXIA_REGEX_SEEDS;
}

}  // namespace
}  // namespace tuxia
