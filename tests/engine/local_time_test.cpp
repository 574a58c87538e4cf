#include "engine/local_time.h"

#include <gtest/gtest.h>

#include <regex>

namespace tvn {
namespace {

// The test bench runs with French regional settings: day first, 24-hour clock.
TEST(LocalTime, UsesFrenchShortDateAndLongTime) {
  const std::regex french(R"(\d{2}/\d{2}/\d{4} \d{2}:\d{2}:\d{2})");
  EXPECT_TRUE(std::regex_match(LocalShortDateLongTime(), french)) << LocalShortDateLongTime();
  EXPECT_TRUE(std::regex_match(LocalLongTime(), std::regex(R"(\d{2}:\d{2}:\d{2})"))) << LocalLongTime();
}

}  // namespace
}  // namespace tvn
