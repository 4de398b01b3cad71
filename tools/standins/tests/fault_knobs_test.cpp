#include "support/fault_knobs.h"

#include <gtest/gtest.h>

#include <map>

namespace standin {
namespace {

EnvironmentLookup Env(std::map<std::string, std::string> values) {
  return [values](const char* name) -> std::optional<std::string> {
    auto it = values.find(name);
    if (it == values.end()) return std::nullopt;
    return it->second;
  };
}

TEST(FaultKnobs, NoneWithoutVariables) {
  FaultKnobs k = ReadFaultKnobs("RASTRON", Env({}));
  EXPECT_EQ(k.sleep_ms, 0u);
  EXPECT_FALSE(k.crash);
  EXPECT_FALSE(k.no_output);
  EXPECT_FALSE(k.exit_code.has_value());
}

TEST(FaultKnobs, ReadsEveryKnob) {
  FaultKnobs k = ReadFaultKnobs("VXCVPX", Env({{kSleepVariable, "250"},
                                               {kCrashVariable, "1"},
                                               {kNoOutputVariable, "1"},
                                               {kExitVariable, "7"}}));
  EXPECT_EQ(k.sleep_ms, 250u);
  EXPECT_TRUE(k.crash);
  EXPECT_TRUE(k.no_output);
  EXPECT_EQ(k.exit_code, 7);
}

TEST(FaultKnobs, OnlyTargetsTheNamedTool) {
  auto env = Env({{kOnlyVariable, "rastron"}, {kNoOutputVariable, "1"}, {kExitVariable, "5"}});
  EXPECT_TRUE(ReadFaultKnobs("RASTRON", env).no_output) << "the name is not case-sensitive";
  EXPECT_EQ(ReadFaultKnobs("RASTRON", env).exit_code, 5);
  FaultKnobs other = ReadFaultKnobs("VXCVPX", env);
  EXPECT_FALSE(other.no_output);
  EXPECT_FALSE(other.exit_code.has_value());
  EXPECT_TRUE(ReadFaultKnobs("VXCVPX", Env({{kOnlyVariable, ""}, {kCrashVariable, "1"}})).crash)
      << "an empty ONLY targets both tools";
}

TEST(FaultKnobs, IgnoresValuesThatAreNoNumbersOrOutOfRange) {
  FaultKnobs k = ReadFaultKnobs("RASTRON", Env({{kSleepVariable, "soon"},
                                                {kCrashVariable, "0"},
                                                {kNoOutputVariable, "yes"},
                                                {kExitVariable, "-1"}}));
  EXPECT_EQ(k.sleep_ms, 0u);
  EXPECT_FALSE(k.crash);
  EXPECT_FALSE(k.no_output);
  EXPECT_FALSE(k.exit_code.has_value());
  EXPECT_FALSE(ReadFaultKnobs("RASTRON", Env({{kExitVariable, "256"}})).exit_code.has_value());
  EXPECT_EQ(ReadFaultKnobs("RASTRON", Env({{kExitVariable, "0"}})).exit_code, 0);
  EXPECT_EQ(ReadFaultKnobs("RASTRON", Env({{kSleepVariable, "99999999999"}})).sleep_ms,
            kMaxSleepMs);
}

}  // namespace
}  // namespace standin
