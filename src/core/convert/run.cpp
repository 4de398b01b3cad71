#include "core/convert/run.h"

namespace plotxfer {

RunSummary RunConversions(const CommandContext& ctx, const ConversionServices& services,
                          std::string_view app_folder, const std::vector<std::string>& drawings,
                          RunObserver& observer) {
  RunSummary summary;
  observer.RunStarted(drawings.size());
  for (std::size_t row = 0; row < drawings.size(); ++row) {
    if (observer.StopRequested()) {
      summary.stopped = true;
      summary.not_reached = drawings.size() - row;
      break;
    }
    observer.RowStarted(row, drawings[row]);
    std::string detail;
    const ConversionResult result =
        ConvertDrawing(ctx, services, app_folder, drawings[row], &detail);
    if (result == Converted) {
      ++summary.converted;
    } else {
      ++summary.failed;
    }
    observer.RowFinished(row, drawings[row], result, detail);
  }
  return summary;
}

}  // namespace plotxfer
