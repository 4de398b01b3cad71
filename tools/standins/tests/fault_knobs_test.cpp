#include "support/fault_knobs.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

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

TEST(FaultPlan, AppliesTheLinesOfThisToolAndRunOnly) {
  const std::vector<std::string> exporter = {"VXCVPX.exe", "-M", "VXCSD.DLL", "-p", "p.cprm",
                                             "D:\\Work\\plan.rev2.VX", "C:\\T\\VXTMPDT2.CSD"};
  const std::vector<std::string> output = {"RASTRON.EXE", "in.CSD", "/s",
                                           "/PDFPATH:/out/plan.rev2.pdf", "/c:0"};
  EXPECT_EQ(FaultSubject("VXCVPX", exporter), "plan.rev2");
  EXPECT_EQ(FaultSubject("RASTRON", output), "plan.rev2");
  EXPECT_EQ(FaultSubject("RASTRON", {"RASTRON.EXE", "in.CSD"}), "");

  const std::string plan =
      "VXCVPX plan.rev2 sleep=20 exit=7\n"
      "rastron plan.rev2 crash\n"
      "RASTRON other no-output\n"
      "RASTRON plan.rev2 exit=300 sleep=soon bogus\n";
  struct Case {
    const char* tool;
    const char* subject;
    const char* described;
  };
  for (const Case& c : {Case{"VXCVPX", "plan.rev2", "sleep=20 exit=7"},
                        Case{"RASTRON", "plan.rev2", "crash"}, Case{"RASTRON", "other", "no-output"},
                        Case{"VXCVPX", "other", ""}, Case{"RASTRON", "", ""}}) {
    FaultKnobs knobs;
    ApplyFaultPlan(plan, c.tool, c.subject, knobs);
    EXPECT_EQ(DescribeFaults(knobs), c.described) << c.tool << " " << c.subject;
  }
}

}  // namespace
}  // namespace standin
