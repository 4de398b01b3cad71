#include "cli/report.h"

#include <ctime>
#include <nlohmann/json.hpp>

namespace plotxfer::cli {

RunCounts CountRows(const std::vector<RowRecord>& rows) {
  RunCounts counts;
  for (const RowRecord& row : rows) {
    if (row.same_as != 0) {
      ++counts.same_as;
    } else if (row.interrupted) {
      ++counts.interrupted;
    } else if (!row.result) {
      ++counts.not_reached;
    } else if (*row.result == 0) {
      ++counts.converted;
    } else {
      ++counts.failed;
    }
  }
  return counts;
}

std::string IsoUtc(std::chrono::system_clock::time_point when) {
  const std::time_t t = std::chrono::system_clock::to_time_t(when);
  std::tm utc{};
#ifdef _WIN32
  gmtime_s(&utc, &t);
#else
  gmtime_r(&t, &utc);
#endif
  char buf[32];
  std::strftime(buf, sizeof buf, "%Y-%m-%dT%H:%M:%SZ", &utc);
  return buf;
}

std::string ReportJson(const RunRecord& record, std::string (*to_utf8)(const std::string&)) {
  using nlohmann::ordered_json;
  const ConversionOptions& o = record.options;
  // The record's own field names, as the settings store keeps them.
  ordered_json options = {
      {"PdfOrImage", o.PdfOrImage},   {"ImageType", o.ImageType},
      {"BAndWFlg", o.BAndWFlg},       {"WIdtHFlg", o.WIdtHFlg},
      {"PitchFlg", o.PitchFlg},       {"VFontFlg", o.VFontFlg},
      {"FolderType", o.FolderType},   {"SelFolder", to_utf8(o.SelFolder)},
      {"PdfSizeType", o.PdfSizeType}, {"PdfPaperType", o.PdfPaperType},
      {"PdfOptXSize", o.PdfOptXSize}, {"PdfOptYSize", o.PdfOptYSize},
      {"ImgSizeType", o.ImgSizeType}, {"ImgPaperType", o.ImgPaperType},
      {"ImgOptXSize", o.ImgOptXSize}, {"ImgOptYSize", o.ImgOptYSize},
      {"OutXdpi", o.OutXdpi},         {"BaseXdpi", o.BaseXdpi},
      {"ConnectNum", o.ConnectNum},   {"CharVectorFont", record.char_vector_font},
  };
  ordered_json rows = ordered_json::array();
  for (std::size_t i = 0; i < record.rows.size(); ++i) {
    const RowRecord& row = record.rows[i];
    ordered_json entry = {
        {"row", i + 1},
        {"path", to_utf8(row.path)},
        {"output", to_utf8(row.output)},
        {"result", row.result ? ordered_json(*row.result) : ordered_json(nullptr)},
        {"status", to_utf8(row.status)},
        {"detail", to_utf8(row.detail)},
        {"seconds", static_cast<double>(static_cast<long long>(row.seconds * 1000 + 0.5)) / 1000},
    };
    if (row.skipped) {
      entry["skipped"] = true;
    }
    if (row.interrupted) {
      entry["interrupted"] = true;
    }
    if (row.same_as != 0) {
      entry["same_as"] = row.same_as;
    }
    rows.push_back(std::move(entry));
  }
  const RunCounts counts = CountRows(record.rows);
  ordered_json report = {
      {"program", "plotxfer-batch"},
      {"version", record.version},
      {"started", IsoUtc(record.started)},
      {"ended", IsoUtc(record.ended)},
      {"app_folder", to_utf8(record.app_folder)},
      {"settings_warning", record.settings_warning.empty()
                               ? ordered_json(nullptr)
                               : ordered_json(to_utf8(record.settings_warning))},
      {"options", std::move(options)},
      {"skip_up_to_date", record.skip_up_to_date},
      {"timeout_seconds",
       record.timeout_seconds > 0 ? ordered_json(record.timeout_seconds) : ordered_json(nullptr)},
      {"combined", record.combined},
      {"drawings", std::move(rows)},
      {"summary",
       {{"converted", counts.converted},
        {"failed", counts.failed},
        {"not_reached", counts.not_reached},
        {"interrupted", counts.interrupted},
        {"same_as", counts.same_as}}},
      {"exit_status", record.exit_status},
  };
  if (record.shard_count > 0) {
    report["shard"] = {{"number", record.shard_number},
                       {"count", record.shard_count},
                       {"all_drawings", record.all_drawings}};
  }
  return report.dump(2, ' ', false, ordered_json::error_handler_t::replace) + "\n";
}

}  // namespace plotxfer::cli
