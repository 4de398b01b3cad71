#pragma once
// What every successful rewrite of the parameter file keeps: the number of lines, and every line
// that is not a value line of the three tables, byte for byte. A line longer than a slot fills
// several slots; a value line rewritten whole fills one, so lines are compared, not slots.
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "core/params/param_file.h"
#include "core/params/param_scan.h"
#include "fuzz_check.h"

namespace fuzz {

class FixedScreen : public plotxfer::platform::Screen {
 public:
  explicit FixedScreen(int dpi) : dpi_(dpi) {}
  int HorizontalDpi() override { return dpi_; }

 private:
  int dpi_;
};

// The value lines the rewrite may change, as the scan finds them before the rewrite.
inline std::set<std::size_t> TableValueLines(const plotxfer::params::ParamLines& lines) {
  using namespace plotxfer::params;
  std::set<std::size_t> found;
  for (const auto kind : {ParamTableKind::Color, ParamTableKind::Width, ParamTableKind::Ltype}) {
    ValueLines at{};
    if (ScanParamTable(lines, kind, at)) {
      const std::size_t used = kind == ParamTableKind::Ltype ? kLineTypeCount : kPenCount;
      found.insert(at.begin(), at.begin() + static_cast<std::ptrdiff_t>(used));
    }
  }
  return found;
}

// The file's lines, each with whether one of its slots is in marked.
inline std::vector<std::pair<std::string, bool>> WholeLines(const plotxfer::params::ParamLines& lines,
                                                            const std::set<std::size_t>& marked) {
  using plotxfer::params::ParamLines;
  std::vector<std::pair<std::string, bool>> whole;
  bool continued = false;
  for (std::size_t i = 0; i < lines.count(); ++i) {
    const std::string_view slot = lines.Line(i);
    if (!continued) {
      whole.emplace_back();
    }
    whole.back().first += slot;
    whole.back().second = whole.back().second || marked.count(i) == 1;
    continued = slot.size() == ParamLines::kMaxSlotBytes && slot.back() != '\n';
  }
  return whole;
}

// Rewrites the lines read from bytes; when the rewrite succeeds, checks the file it would write.
// Returns the rewrite's result.
inline int RewriteAndCheck(const std::string& bytes, const plotxfer::params::ParamTables& tables,
                           int dpi) {
  using namespace plotxfer::params;
  // Three blocks for the whole run: fresh ones per input would cost more than the rewrite.
  static const std::unique_ptr<ParamLines> before = ParamLines::Allocate();
  static const std::unique_ptr<ParamLines> lines = ParamLines::Allocate();
  static const std::unique_ptr<ParamLines> after = ParamLines::Allocate();
  before->Fill(bytes);
  lines->Fill(bytes);
  const std::set<std::size_t> value_lines = TableValueLines(*before);
  FixedScreen screen(dpi);
  if (!RewriteParamTables(*lines, tables, screen)) {
    return 1;
  }
  after->Fill(lines->ToFileBytes());
  const auto was = WholeLines(*before, value_lines);
  const auto is = WholeLines(*after, {});
  FUZZ_CHECK(is.size() == was.size());
  for (std::size_t i = 0; i < was.size(); ++i) {
    if (!was[i].second) {
      FUZZ_CHECK(is[i].first == was[i].first);
    }
  }
  return 0;
}

}  // namespace fuzz
