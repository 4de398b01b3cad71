#pragma once
// The record of a run that plotxfer-batch writes for scripts (--report): JSON in UTF-8.
#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include "core/settings/options.h"

namespace plotxfer::cli {

// One row of the run as it was printed. Texts are in the platform's narrow encoding.
struct RowRecord {
  std::string path;
  std::string output;
  std::optional<int> result;  // the conversion result; none when the row was not reached
  std::string status;         // the status text as printed (empty when not reached)
  std::string detail;         // why, for a row that did not convert or was skipped
  double seconds = 0;
  bool skipped = false;      // left out as up to date; counts as converted
  bool interrupted = false;  // its tool was ended by an interrupt; it has no result
  bool aborted = false;      // shown "中断": no result, by an interrupt or an ended combination
  std::size_t same_as = 0;   // another name of the file of this (1-based) row; no result
};

struct RunRecord {
  std::string version;
  std::chrono::system_clock::time_point started;
  std::chrono::system_clock::time_point ended;
  std::string app_folder;
  ConversionOptions options;
  int char_vector_font = kDefaultCharVectorFont;
  bool combined = false;
  bool skip_up_to_date = false;
  double timeout_seconds = 0;  // 0: no limit
  std::vector<RowRecord> rows;
  int exit_status = 0;
  std::string settings_warning;  // the stored settings could not be read
  // With --shard: which part of how many this run was, and the drawings of all parts together.
  std::size_t shard_number = 0;  // 0: not a part
  std::size_t shard_count = 0;
  std::size_t all_drawings = 0;
};

struct RunCounts {
  std::size_t converted = 0;
  std::size_t failed = 0;
  std::size_t not_reached = 0;
  std::size_t interrupted = 0;
  std::size_t same_as = 0;  // other names of a file converted in another row
};
RunCounts CountRows(const std::vector<RowRecord>& rows);

// 2026-12-08T08:01:21Z
std::string IsoUtc(std::chrono::system_clock::time_point when);

// The report's text. to_utf8 converts a text of the platform's narrow encoding; bytes that are
// still not UTF-8 afterwards are replaced, so the report is always valid UTF-8.
std::string ReportJson(const RunRecord& record, std::string (*to_utf8)(const std::string&));

}  // namespace plotxfer::cli
