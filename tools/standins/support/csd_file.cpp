#include "support/csd_file.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace standin {
namespace {

std::string Number(double v) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.6g", v);
  return buf;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

std::vector<std::string> Words(const std::string& line) {
  std::vector<std::string> words;
  std::size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && line[i] == ' ') ++i;
    std::size_t start = i;
    while (i < line.size() && line[i] != ' ') ++i;
    if (i > start) words.push_back(line.substr(start, i - start));
  }
  return words;
}

std::optional<long> WholeNumber(const std::string& text, long low, long high) {
  if (text.empty() || text.size() > 9) return std::nullopt;
  long v = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    v = v * 10 + (c - '0');
  }
  if (v < low || v > high) return std::nullopt;
  return v;
}

std::optional<double> Length(const std::string& text, double high) {
  if (text.empty()) return std::nullopt;
  char* end = nullptr;
  double v = std::strtod(text.c_str(), &end);
  if (end != text.c_str() + text.size() || !std::isfinite(v) || v < 0 || v > high) {
    return std::nullopt;
  }
  return v;
}

bool Fail(std::string* error, const std::string& why) {
  if (error != nullptr) *error = why;
  return false;
}

}  // namespace

std::string EscapeText(const std::string& text) {
  std::string out;
  for (char ch : text) {
    auto c = static_cast<unsigned char>(ch);
    if (c < 0x20 || c == 0x7F || c == '%') {
      char buf[4];
      std::snprintf(buf, sizeof buf, "%%%02X", c);
      out += buf;
    } else {
      out += ch;
    }
  }
  return out;
}

std::optional<std::string> UnescapeText(const std::string& text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '%') {
      out += text[i];
      continue;
    }
    if (i + 2 >= text.size()) return std::nullopt;
    int hi = HexDigit(text[i + 1]);
    int lo = HexDigit(text[i + 2]);
    if (hi < 0 || lo < 0) return std::nullopt;
    out += static_cast<char>(hi * 16 + lo);
    i += 2;
  }
  return out;
}

std::string FormatCsd(const CsdDrawing& d) {
  std::string out;
  auto line = [&out](const std::string& text) { out += text + "\r\n"; };
  line(kCsdMagic);
  line("drawing " + EscapeText(d.name));
  line("source " + EscapeText(d.source));
  line("version " + std::to_string(d.version));
  line(std::string("params ") + ParamSourceName(d.params));
  for (int i = 0; i < kPenCount; ++i) {
    const Pen& p = d.style.pens[i];
    line("pen " + std::to_string(i + 1) + " " + std::to_string(p.red) + " " +
         std::to_string(p.green) + " " + std::to_string(p.blue) + " " + Number(p.width_mm));
  }
  for (int t = 0; t < kLineTypeCount; ++t) {
    std::string text = "ltype " + std::to_string(t + 1) + " " + kLineTypeIds[t];
    for (int k = 0; k < kSegmentCount[t]; ++k) {
      text += ' ';
      text += Number(d.style.line_types[t].segments[k]);
    }
    line(text);
  }
  line("end");
  return out;
}

std::optional<CsdDrawing> ParseCsd(const std::string& bytes, std::string* error) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < bytes.size()) {
    std::size_t end = bytes.find('\n', start);
    if (end == std::string::npos) end = bytes.size();
    std::string line = bytes.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
    start = end + 1;
  }
  if (lines.empty() || lines[0] != kCsdMagic) {
    Fail(error, "not a CSD file (first line is not \"" + std::string(kCsdMagic) + "\")");
    return std::nullopt;
  }

  CsdDrawing d;
  bool have_name = false, have_source = false, have_version = false, have_params = false;
  bool ended = false;
  std::array<bool, kPenCount> have_pen{};
  std::array<bool, kLineTypeCount> have_type{};
  auto bad = [&](std::size_t n, const std::string& why) {
    Fail(error, "line " + std::to_string(n + 1) + ": " + why);
    return std::nullopt;
  };

  for (std::size_t n = 1; n < lines.size() && !ended; ++n) {
    const std::string& line = lines[n];
    std::size_t space = line.find(' ');
    std::string key = line.substr(0, space);
    std::string rest = space == std::string::npos ? std::string() : line.substr(space + 1);
    if (key == "drawing" || key == "source") {
      bool& have = key == "drawing" ? have_name : have_source;
      auto text = UnescapeText(rest);
      if (have || !text) return bad(n, "bad or repeated " + key);
      (key == "drawing" ? d.name : d.source) = *text;
      have = true;
    } else if (key == "version") {
      auto v = WholeNumber(rest, 0, 255);
      if (have_version || !v) return bad(n, "bad or repeated version");
      d.version = static_cast<int>(*v);
      have_version = true;
    } else if (key == "params") {
      if (have_params) return bad(n, "repeated params");
      if (rest == "file") {
        d.params = ParamSource::File;
      } else if (rest == "partial") {
        d.params = ParamSource::Partial;
      } else if (rest == "defaults") {
        d.params = ParamSource::Defaults;
      } else {
        return bad(n, "unknown params source");
      }
      have_params = true;
    } else if (key == "pen") {
      std::vector<std::string> w = Words(rest);
      if (w.size() != 5) return bad(n, "a pen needs number, red, green, blue and width");
      auto index = WholeNumber(w[0], 1, kPenCount);
      auto r = WholeNumber(w[1], 0, 255);
      auto g = WholeNumber(w[2], 0, 255);
      auto b = WholeNumber(w[3], 0, 255);
      auto width = Length(w[4], 100);
      if (!index || !r || !g || !b || !width) return bad(n, "bad pen values");
      if (have_pen[*index - 1]) return bad(n, "repeated pen");
      d.style.pens[*index - 1] = Pen{static_cast<std::uint8_t>(*r), static_cast<std::uint8_t>(*g),
                                     static_cast<std::uint8_t>(*b), *width};
      have_pen[*index - 1] = true;
    } else if (key == "ltype") {
      std::vector<std::string> w = Words(rest);
      if (w.size() < 2) return bad(n, "a line type needs number, id and lengths");
      auto index = WholeNumber(w[0], 1, kLineTypeCount);
      if (!index) return bad(n, "bad line type number");
      int t = static_cast<int>(*index) - 1;
      if (have_type[t]) return bad(n, "repeated line type");
      if (w[1] != kLineTypeIds[t]) return bad(n, "line type id does not match its number");
      if (static_cast<int>(w.size()) - 2 != kSegmentCount[t]) {
        return bad(n, "wrong number of lengths for " + w[1]);
      }
      LinePattern pattern;
      for (int k = 0; k < kSegmentCount[t]; ++k) {
        auto v = Length(w[2 + k], 1000);
        if (!v) return bad(n, "bad length");
        pattern.segments[k] = *v;
      }
      d.style.line_types[t] = pattern;
      have_type[t] = true;
    } else if (key == "end" && rest.empty()) {
      ended = true;
    } else {
      return bad(n, "unknown line \"" + EscapeText(line.substr(0, 40)) + "\"");
    }
  }
  if (!ended) {
    Fail(error, "incomplete CSD file (no \"end\" line)");
    return std::nullopt;
  }
  if (!have_name || !have_source || !have_version || !have_params) {
    Fail(error, "incomplete CSD file (drawing, source, version or params missing)");
    return std::nullopt;
  }
  for (int i = 0; i < kPenCount; ++i) {
    if (!have_pen[i]) {
      Fail(error, "incomplete CSD file (pen " + std::to_string(i + 1) + " missing)");
      return std::nullopt;
    }
  }
  for (int t = 0; t < kLineTypeCount; ++t) {
    if (!have_type[t]) {
      Fail(error, std::string("incomplete CSD file (line type ") + kLineTypeIds[t] + " missing)");
      return std::nullopt;
    }
  }
  return d;
}

}  // namespace standin
