#include "support/param_file.h"

#include <cstdio>
#include <cstdlib>
#include <cmath>
#include <optional>
#include <string_view>
#include <vector>

namespace standin {
namespace {

// Item names as the drafting system writes them, in Shift-JIS.
constexpr std::string_view kPenWord = "\x83\x79\x83\x93";  // "pen" in katakana
constexpr std::array<std::string_view, kLineTypeCount> kLineTypeNames = {
    "\x94\x6A\x90\xFC",                  // dashed line
    "\x88\xEA\x93\x5F\x8D\xBD\x90\xFC",  // dash-dot chain line
    "\x93\xF1\x93\x5F\x8D\xBD\x90\xFC",  // dash-dot-dot chain line
    "\x93\x5F\x90\xFC",                  // dotted line
    "\x95\xE2\x8F\x95\x90\xFC",          // auxiliary line
};

bool Has(std::string_view line, std::string_view marker) {
  return line.find(marker) != std::string_view::npos;
}

std::vector<std::string_view> SplitLines(const std::string& bytes) {
  std::vector<std::string_view> lines;
  std::size_t start = 0;
  while (start < bytes.size()) {
    std::size_t end = bytes.find('\n', start);
    if (end == std::string::npos) end = bytes.size();
    std::string_view line(bytes.data() + start, end - start);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    lines.push_back(line);
    start = end + 1;
  }
  return lines;
}

// Index of pen 1 to 12 for its name, or -1.
int PenIndex(std::string_view name) {
  if (name.substr(0, kPenWord.size()) != kPenWord) return -1;
  std::string_view digits = name.substr(kPenWord.size());
  if (digits.empty() || digits.size() > 2 || digits[0] == '0') return -1;
  int n = 0;
  for (char c : digits) {
    if (c < '0' || c > '9') return -1;
    n = n * 10 + (c - '0');
  }
  return n >= 1 && n <= kPenCount ? n - 1 : -1;
}

int LineTypeIndex(std::string_view name) {
  for (int i = 0; i < kLineTypeCount; ++i) {
    if (kLineTypeNames[i] == name) return i;
  }
  return -1;
}

// The text between the first and the last double quote of the line.
std::optional<std::string_view> Quoted(std::string_view line) {
  std::size_t first = line.find('"');
  std::size_t last = line.rfind('"');
  if (first == std::string_view::npos || last == first) return std::nullopt;
  return line.substr(first + 1, last - first - 1);
}

// Numbers separated by blanks; stops at the first text that is no number.
std::vector<double> Numbers(std::string_view text) {
  std::vector<double> values;
  std::string copy(text);
  const char* p = copy.c_str();
  for (;;) {
    char* end = nullptr;
    double v = std::strtod(p, &end);
    if (end == p) break;
    if (!std::isfinite(v)) break;
    values.push_back(v);
    p = end;
  }
  return values;
}

struct Item {
  std::string_view name;
  std::optional<std::string_view> value_line;
};

// The items of the table named, searched after the export section's first line.
std::vector<Item> TableItems(const std::vector<std::string_view>& lines, std::size_t section,
                             std::string_view table, std::string_view value_key) {
  std::vector<Item> items;
  std::size_t start = lines.size();
  for (std::size_t i = section + 1; i < lines.size(); ++i) {
    if (Has(lines[i], "TableName") && Has(lines[i], table)) {
      start = i;
      break;
    }
  }
  if (start == lines.size()) return items;
  std::size_t end = lines.size();
  for (std::size_t i = start + 1; i < lines.size(); ++i) {
    if (Has(lines[i], "ParamTable")) {
      end = i;
      break;
    }
  }
  std::size_t cursor = start + 1;
  while (cursor < end) {
    std::size_t open = cursor;
    while (open < end && !Has(lines[open], "ParamItem")) ++open;
    if (open >= end) break;
    std::size_t close = open + 1;
    while (close < end && !Has(lines[close], "}")) ++close;
    if (close >= end) break;
    Item item;
    for (std::size_t k = open + 1; k < close; ++k) {
      if (item.name.empty() && Has(lines[k], "VxName")) {
        if (auto name = Quoted(lines[k])) item.name = *name;
      } else if (!item.value_line && Has(lines[k], value_key)) {
        item.value_line = lines[k].substr(lines[k].find(value_key) + value_key.size());
      }
    }
    items.push_back(item);
    cursor = close + 1;
  }
  return items;
}

std::optional<double> ScalarValue(std::string_view rest) {
  std::size_t eq = rest.find('=');
  if (eq == std::string_view::npos) return std::nullopt;
  std::vector<double> v = Numbers(rest.substr(eq + 1));
  if (v.empty()) return std::nullopt;
  return v[0];
}

std::optional<std::vector<double>> QuotedValues(std::string_view rest) {
  auto inner = Quoted(rest);
  if (!inner) return std::nullopt;
  std::vector<double> v = Numbers(*inner);
  if (v.empty()) return std::nullopt;
  return v;
}

}  // namespace

const char* ParamSourceName(ParamSource source) {
  switch (source) {
    case ParamSource::File:
      return "file";
    case ParamSource::Partial:
      return "partial";
    case ParamSource::Defaults:
      return "defaults";
  }
  return "defaults";
}

ExportParams ParseExportParams(const std::string& bytes) {
  ExportParams params;
  params.style = DefaultStyle();
  std::vector<std::string_view> lines = SplitLines(bytes);
  std::size_t section = lines.size();
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (Has(lines[i], "SectionName") && Has(lines[i], "Export")) {
      section = i;
      break;
    }
  }
  if (section == lines.size()) return params;

  std::array<bool, kPenCount> colour_read{};
  std::array<bool, kPenCount> width_read{};
  std::array<bool, kLineTypeCount> pattern_read{};

  for (const Item& item : TableItems(lines, section, "Color", "RGB")) {
    int pen = PenIndex(item.name);
    if (pen < 0 || !item.value_line) continue;
    auto rgb = QuotedValues(*item.value_line);
    if (!rgb || rgb->size() != 3) continue;
    bool in_range = true;
    for (double c : *rgb) in_range = in_range && c >= 0 && c <= 255 && c == std::floor(c);
    if (!in_range) continue;
    Pen& p = params.style.pens[pen];
    p.red = static_cast<std::uint8_t>((*rgb)[0]);
    p.green = static_cast<std::uint8_t>((*rgb)[1]);
    p.blue = static_cast<std::uint8_t>((*rgb)[2]);
    colour_read[pen] = true;
  }
  for (const Item& item : TableItems(lines, section, "Width", "Value")) {
    int pen = PenIndex(item.name);
    if (pen < 0 || !item.value_line) continue;
    auto width = ScalarValue(*item.value_line);
    if (!width || *width < 0 || *width > 100) continue;
    params.style.pens[pen].width_mm = *width;
    width_read[pen] = true;
  }
  for (const Item& item : TableItems(lines, section, "Ltype", "Segments")) {
    int type = LineTypeIndex(item.name);
    if (type < 0 || !item.value_line) continue;
    auto lengths = QuotedValues(*item.value_line);
    if (!lengths) continue;
    bool in_range = true;
    for (double v : *lengths) in_range = in_range && v >= 0 && v <= 1000;
    if (!in_range) continue;
    LinePattern pattern;
    for (int k = 0; k < kSegmentCount[type] && k < static_cast<int>(lengths->size()); ++k) {
      pattern.segments[k] = (*lengths)[k];
    }
    params.style.line_types[type] = pattern;
    pattern_read[type] = true;
  }

  int read = 0;
  for (bool b : colour_read) read += b ? 1 : 0;
  for (bool b : width_read) read += b ? 1 : 0;
  for (bool b : pattern_read) read += b ? 1 : 0;
  constexpr int kExpected = 2 * kPenCount + kLineTypeCount;
  params.source = read == kExpected ? ParamSource::File
                  : read == 0       ? ParamSource::Defaults
                                    : ParamSource::Partial;
  return params;
}

ExportParams LoadExportParams(const std::string& path) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) {
    ExportParams params;
    params.style = DefaultStyle();
    return params;
  }
  std::string bytes;
  char buffer[8192];
  std::size_t n;
  // A parameter file is a few kilobytes; anything far bigger is not one.
  constexpr std::size_t kLimit = 16 * 1024 * 1024;
  while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0 && bytes.size() < kLimit) {
    bytes.append(buffer, n);
  }
  std::fclose(file);
  return ParseExportParams(bytes);
}

}  // namespace standin
