// The JSON record of a run.
#include "cli/report.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

using namespace plotxfer::cli;

namespace {

// Stands for a code page conversion: marks every text it was asked to convert.
std::string Marked(const std::string& text) {
  return text.empty() ? text : "<" + text + ">";
}

}  // namespace

TEST(Report, HoldsTheRunTheRowsAndTheirSummary) {
  RunRecord record;
  record.version = "9.1.0";
  record.started = std::chrono::system_clock::from_time_t(1796716881);  // 2026-12-08T08:01:21Z
  record.ended = record.started + std::chrono::seconds(75);
  record.app_folder = "/app/";
  record.options.FolderType = 1;
  record.options.SelFolder = "/out/";
  record.options.ConnectNum = 1;
  record.combined = false;
  record.timeout_seconds = 2.5;
  record.rows = {
      {"a.VX", "/out/a.pdf", 0, "ok", "", 1.23456, false, false},
      {"b.VX", "/out/b.pdf", 0, "ok", "newer", 0, true, false},
      {"c.VX", "/out/c.pdf", 3, "err3", "no output", 0.5, false, false},
      {"d.VX", "/out/d.pdf", std::nullopt, "stopped", "", 0.2, false, true},
      {"e.VX\xFF", "/out/e.pdf", std::nullopt, "", "", 0, false, false},
  };
  record.exit_status = 130;

  const auto json = nlohmann::json::parse(ReportJson(record, Marked));
  EXPECT_EQ(json["program"], "plotxfer-batch");
  EXPECT_EQ(json["version"], "9.1.0");
  EXPECT_EQ(json["started"], "2026-12-08T08:01:21Z");
  EXPECT_EQ(json["ended"], "2026-12-08T08:02:36Z");
  EXPECT_EQ(json["app_folder"], "</app/>");
  EXPECT_EQ(json["options"]["FolderType"], 1);
  EXPECT_EQ(json["options"]["SelFolder"], "</out/>");
  EXPECT_EQ(json["options"]["ConnectNum"], 1);
  EXPECT_EQ(json["options"].size(), 20u);
  EXPECT_EQ(json["timeout_seconds"], 2.5);
  EXPECT_EQ(json["combined"], false);
  EXPECT_EQ(json["exit_status"], 130);
  EXPECT_FALSE(json.contains("shard"));
  record.shard_number = 2;
  record.shard_count = 3;
  record.all_drawings = 14;
  EXPECT_EQ(nlohmann::json::parse(ReportJson(record, Marked))["shard"],
            nlohmann::json::parse(R"({"number": 2, "count": 3, "all_drawings": 14})"));
  EXPECT_EQ(json["summary"],
            nlohmann::json::parse(
                R"({"converted": 2, "failed": 1, "not_reached": 1, "interrupted": 1, "same_as": 0})"));

  const auto& rows = json["drawings"];
  ASSERT_EQ(rows.size(), 5u);
  EXPECT_EQ(rows[0], nlohmann::json::parse(R"({"row": 1, "path": "<a.VX>",
      "output": "</out/a.pdf>", "result": 0, "status": "<ok>", "detail": "", "seconds": 1.235})"));
  EXPECT_EQ(rows[1]["skipped"], true);
  EXPECT_FALSE(rows[0].contains("skipped"));
  EXPECT_EQ(rows[2]["result"], 3);
  EXPECT_EQ(rows[2]["detail"], "<no output>");
  EXPECT_TRUE(rows[3]["result"].is_null());
  EXPECT_EQ(rows[3]["interrupted"], true);
  // A byte that is no UTF-8 does not make the whole report unreadable.
  EXPECT_EQ(rows[4]["path"], "<e.VX\xEF\xBF\xBD>");
}
