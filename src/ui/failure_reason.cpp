#include "ui/failure_reason.h"

#include <algorithm>

#include "core/convert/conversion_result.h"
#include "core/drawing/header.h"
#include "resources/resource.h"

namespace plotxfer::ui {
namespace {

bool Has(std::string_view detail, std::string_view words) {
  return detail.find(words) != std::string_view::npos;
}

// The engine names the tool by its role ("the export tool", "the output utility") and by its
// program; whichever it names first is the one that failed.
bool NamesExportToolFirst(std::string_view detail) {
  std::size_t exporter = std::string_view::npos;
  for (std::string_view words : {"export tool", "VXCVPX"}) {
    exporter = std::min(exporter, detail.find(words));
  }
  std::size_t utility = std::string_view::npos;
  for (std::string_view words : {"output utility", "RASTRON"}) {
    utility = std::min(utility, detail.find(words));
  }
  return exporter < utility;
}

}  // namespace

int FailureReasonId(int code, std::string_view detail, bool newer_drawing) {
  if (code == Converted) {
    return 0;
  }
  if (code == InvalidDrawing) {
    if (newer_drawing) {
      return IDS_WHY_NEWER_DRAWING;
    }
    return detail == DescribeHeaderResult(HeaderOpenFailed) ? IDS_WHY_CANNOT_OPEN
                                                            : IDS_FAILED_BAD_HEADER;
  }
  const bool exporter = NamesExportToolFirst(detail);
  if (Has(detail, "timed out")) {
    return exporter ? IDS_FAILED_EXPORT_TIMEOUT : IDS_FAILED_OUTPUT_TIMEOUT;
  }
  if (Has(detail, "cannot be started")) {
    return exporter ? IDS_FAILED_EXPORT_NOT_STARTED : IDS_FAILED_OUTPUT_NOT_STARTED;
  }
  if (Has(detail, "interrupt")) {
    return IDS_FAILED_INTERRUPTED;
  }
  if (Has(detail, "cannot be deleted")) {
    return Has(detail, "CSD") ? IDS_FAILED_OLD_CSD : IDS_FAILED_OLD_OUTPUT;
  }
  if (Has(detail, "would replace the drawing")) {
    return IDS_FAILED_REPLACES_DRAWING;
  }
  // A detail in other words still gets the reason its code stands for.
  switch (code) {
    case ExportNotStarted:
      return IDS_FAILED_EXPORT_NOT_STARTED;
    case OutputFailed:
      return IDS_FAILED_NO_OUTPUT;
    case PathRefused:
      return IDS_FAILED_PATH_REFUSED;
    default:
      return 0;
  }
}

}  // namespace plotxfer::ui
