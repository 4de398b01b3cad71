#include "core/params/param_scan.h"

#include <optional>

#include "core/failure.h"
#include "core/params/param_names.h"
#include "core/text/codepage.h"

namespace plotxfer::params {

namespace {

using text::CodePage;
constexpr std::size_t npos = std::string_view::npos;

struct TableRules {
  std::string_view table_name;
  const std::string_view* names;
  std::size_t name_count;
  std::size_t items_scanned;
  bool cursor_after_start;     // the first item is looked for after the "TableName" line
  bool first_item_may_be_odd;  // the first item may name something that is not ours
};

TableRules RulesOf(ParamTableKind kind) {
  switch (kind) {
    case ParamTableKind::Color:
      return {"Color", kPenNames.data(), kPenNames.size(), kPenCount, true, false};
    case ParamTableKind::Width:
      return {"Width", kPenNames.data(), kPenNames.size(), kPenCount, false, false};
    case ParamTableKind::Ltype:
      break;
  }
  // The line-type table starts with the solid line, which has no pattern of ours.
  return {"Ltype", kLineTypeNames.data(), kLineTypeNames.size(), kLineTypeCount + 1, false, true};
}

std::optional<std::size_t> FindLine(const ParamLines& lines, std::size_t from, std::size_t to,
                                    std::string_view marker, std::string_view second_marker = {}) {
  for (std::size_t i = from; i < to; ++i) {
    const std::string_view line = lines.Line(i);
    if (HoldsMarker(line, marker) && (second_marker.empty() || HoldsMarker(line, second_marker))) {
      return i;
    }
  }
  return std::nullopt;
}

// Index of the name in names, or npos when the VxName line holds no name of ours.
std::size_t NameIndex(std::string_view line, const TableRules& rules) {
  const std::size_t open = line.find('"');  // 0x22 is never a Shift-JIS trail byte
  const std::size_t close = line.rfind('"');
  if (open == npos || close == open) {
    return npos;
  }
  const std::string_view name = line.substr(open + 1, close - open - 1);
  if (name.empty() || name.size() > kMaxItemNameBytes) {
    return npos;
  }
  for (std::size_t k = 0; k < rules.name_count; ++k) {
    if (rules.names[k] == name) {
      return k;
    }
  }
  return npos;
}

std::string ItemWhere(const TableRules& rules, std::size_t item, std::size_t line) {
  return "item " + std::to_string(item + 1) + " of table \"" + std::string(rules.table_name) +
         "\" (line " + std::to_string(line + 1) + ")";
}

}  // namespace

std::size_t FindMarker(std::string_view line, std::string_view marker) {
  // Plain byte search first; the walk over the characters is paid only for a match.
  for (std::size_t at = line.find(marker); at != npos; at = line.find(marker, at + 1)) {
    std::size_t i = 0;
    while (i < at) {
      i = text::NextChar(line, i, CodePage::ShiftJis);
    }
    if (i == at) {
      return at;
    }
  }
  return npos;
}

std::string_view ValueKeyOf(ParamTableKind kind) {
  switch (kind) {
    case ParamTableKind::Color:
      return "RGB";
    case ParamTableKind::Width:
      return "Value";
    case ParamTableKind::Ltype:
      break;
  }
  return "Segments";
}

bool ScanParamTable(const ParamLines& lines, ParamTableKind kind, ValueLines& value_lines,
                    std::string* reason) {
  const TableRules rules = RulesOf(kind);
  const std::string_view value_key = ValueKeyOf(kind);
  const std::size_t count = lines.count();
  constexpr std::size_t kNone = npos;
  value_lines.fill(kNone);

  const auto section = FindLine(lines, 0, count, "SectionName", "Export");
  if (!section) {
    return Fail(reason, count == 0 ? "no lines (empty, or 700 lines or more)"
                                   : "no line names the \"Export\" section");
  }
  // Each table is looked for from the section's line on, so their order does not matter.
  const auto start = FindLine(lines, *section + 1, count, "TableName", rules.table_name);
  if (!start) {
    return Fail(reason,
                "no table \"" + std::string(rules.table_name) + "\" after the \"Export\" section");
  }
  const auto next_table = FindLine(lines, *start, count, "ParamTable");
  const std::size_t end = next_table ? *next_table - 1 : count;

  std::size_t cursor = rules.cursor_after_start ? *start + 1 : *start;
  for (std::size_t item = 0; item < rules.items_scanned; ++item) {
    const auto open = FindLine(lines, cursor, end, "ParamItem");
    if (!open || *open == 0) {
      return Fail(reason, "table \"" + std::string(rules.table_name) + "\" has only " +
                              std::to_string(item) + " items");
    }
    const auto close = FindLine(lines, *open + 1, end, "}");
    if (!close) {
      return Fail(reason, ItemWhere(rules, item, *open) + " is not closed by \"}\"");
    }
    cursor = *close;
    // The item's own last line cannot name it.
    const std::size_t name_end = *close - 1;
    const auto name_line = FindLine(lines, *open + 1, name_end, "VxName");
    const std::size_t index =
        name_line ? NameIndex(lines.Line(*name_line), rules) : static_cast<std::size_t>(kNone);
    const auto value_line = FindLine(lines, *open + 1, *close, value_key);
    if (index == kNone || !value_line) {
      if (item == 0 && rules.first_item_may_be_odd) {
        continue;
      }
      return Fail(reason, ItemWhere(rules, item, *open) +
                              (index == kNone ? " has no name of the table"
                                              : " has no \"" + std::string(value_key) + "\" line"));
    }
    value_lines[index] = *value_line;  // a later item of the same name wins
  }
  for (std::size_t k = 0; k < rules.name_count; ++k) {
    if (value_lines[k] == kNone) {
      return Fail(reason, "table \"" + std::string(rules.table_name) + "\" has no item for " +
                              (kind == ParamTableKind::Ltype ? "line type " : "pen ") +
                              std::to_string(k + 1));
    }
  }
  return true;
}

}  // namespace plotxfer::params
