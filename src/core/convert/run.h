#pragma once
// A run over a list of drawings, one conversion after the other. The front ends (the dialog,
// plotxfer-batch) only observe it: they show each row's status and say when to stop.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "core/convert/convert_drawing.h"

namespace plotxfer {

class RunObserver {
 public:
  virtual ~RunObserver() = default;
  // Before the first drawing: every row's status is cleared.
  virtual void RunStarted(std::size_t /*drawing_count*/) {}
  // Asked before each drawing; true ends the run there and the rows not reached stay empty.
  // The drawing under way is always finished: a running tool is never stopped.
  virtual bool StopRequested() = 0;
  virtual void RowStarted(std::size_t row, const std::string& drawing) = 0;
  // detail says why, for a non-zero result.
  virtual void RowFinished(std::size_t row, const std::string& drawing, ConversionResult result,
                           const std::string& detail) = 0;
};

struct RunSummary {
  std::size_t converted = 0;
  std::size_t failed = 0;
  std::size_t not_reached = 0;
  bool stopped = false;
};

// Converts the drawings in list order; a failed drawing does not stop the run.
RunSummary RunConversions(const CommandContext& ctx, const ConversionServices& services,
                          std::string_view app_folder, const std::vector<std::string>& drawings,
                          RunObserver& observer);

}  // namespace plotxfer
