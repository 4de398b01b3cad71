#include "ui/failure_reason.h"

#include "resources/resource.h"

namespace plotxfer::ui {

int FailureReasonId(ConversionResult code, FailureKind kind, bool newer_drawing) {
  if (newer_drawing) {
    return IDS_WHY_NEWER_DRAWING;
  }
  const bool exporter = code == ExportNotStarted;  // else the output utility's failure
  switch (kind) {
    case FailureKind::CannotOpen:
      return IDS_WHY_CANNOT_OPEN;
    case FailureKind::ReplacesDrawing:
      return IDS_FAILED_REPLACES_DRAWING;
    case FailureKind::OldFileStays:
      return exporter ? IDS_FAILED_OLD_CSD : IDS_FAILED_OLD_OUTPUT;
    case FailureKind::NotStarted:
      return exporter ? IDS_FAILED_EXPORT_NOT_STARTED : IDS_FAILED_OUTPUT_NOT_STARTED;
    case FailureKind::TimedOut:
      return exporter ? IDS_FAILED_EXPORT_TIMEOUT : IDS_FAILED_OUTPUT_TIMEOUT;
    case FailureKind::Interrupted:
      return IDS_FAILED_INTERRUPTED;
    case FailureKind::Other:
      break;
  }
  switch (code) {
    case Converted:
      return 0;
    case InvalidDrawing:
      return IDS_FAILED_BAD_HEADER;
    case ExportNotStarted:
      return IDS_FAILED_EXPORT_NOT_STARTED;
    case OutputFailed:
      return IDS_FAILED_NO_OUTPUT;
    case PathRefused:
      return IDS_FAILED_PATH_REFUSED;
  }
  return 0;
}

}  // namespace plotxfer::ui
