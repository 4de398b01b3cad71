// Rewriting a parameter file of 699 lines against a plain read and write of the same bytes.
//
// Both sides read the file and replace it with the same writer, so the ratio is the cost of
// the rewrite itself: refreshing the tables, filling the slots, scanning the three tables and
// formatting the value lines. It is measured twice: with the durable atomic replacement the
// program uses (a flush to the disk each time), and with a plain buffered write, which shows
// the processing cost without the disk's.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "core/params/param_file.h"
#include "platform/atomic_file.h"
#include "platform/profile_reader.h"
#include "platform/screen.h"

namespace fs = std::filesystem;
using namespace plotxfer::params;
using Clock = std::chrono::steady_clock;

namespace {

std::string Slurp(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void Spit(const fs::path& p, const std::string& bytes) {
  std::ofstream(p, std::ios::binary | std::ios::trunc) << bytes;
}

// VELLUMIX.SYS held in memory, so that the figures are the rewrite's and not the reader's.
class MemoryProfile : public plotxfer::platform::ProfileReader {
 public:
  explicit MemoryProfile(const std::string& ini) {
    std::string section;
    std::size_t pos = 0;
    while (pos < ini.size()) {
      std::size_t end = ini.find('\n', pos);
      if (end == std::string::npos) end = ini.size();
      std::string line = ini.substr(pos, end - pos);
      pos = end + 1;
      if (!line.empty() && line.back() == '\r') line.pop_back();
      if (line.size() > 1 && line.front() == '[') {
        section = line.substr(1, line.size() - 2);
      } else if (const auto eq = line.find('='); eq != std::string::npos) {
        values_[section + "\n" + line.substr(0, eq)] = line.substr(eq + 1);
      }
    }
  }
  std::string GetString(const std::string&, const char* section, const char* key,
                        std::size_t size) override {
    const auto it = values_.find(std::string(section) + "\n" + key);
    return it == values_.end() ? std::string() : it->second.substr(0, size - 1);
  }

 private:
  std::map<std::string, std::string> values_;
};

class Dpi96 : public plotxfer::platform::Screen {
 public:
  int HorizontalDpi() override { return 96; }
};

bool PlainWrite(const std::string& path, std::string_view bytes, std::string*) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) return false;
  const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  return std::fclose(f) == 0 && ok;
}

bool PlainReadAndWrite(const std::string& path, const FileReplacer& write) {
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (f == nullptr) return false;
  std::string bytes;
  char buffer[16384];
  std::size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) bytes.append(buffer, n);
  std::fclose(f);
  return write(path, bytes, nullptr);
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

struct Figures {
  double plain_us;
  double rewrite_us;
};

Figures Measure(const plotxfer::ConversionOptions& options, ParamTables& tables,
                MemoryProfile& profile, const FileReplacer& writer, int rounds) {
  Dpi96 screen;
  const ParamServices services{profile, screen, writer};
  const std::string path = ParamFilePath(options.AppFolder);
  std::vector<double> plain, rewrite;
  for (int i = 0; i < rounds; ++i) {
    // Alternate the order so that neither side always follows the other's disk work.
    for (int side = 0; side < 2; ++side) {
      const bool rewrite_side = (side == 0) == (i % 2 == 0);
      const auto start = Clock::now();
      bool ok;
      if (rewrite_side) {
        ok = WriteParamFile(options, tables, services);
      } else {
        ok = PlainReadAndWrite(path, writer);
      }
      const double us = std::chrono::duration<double, std::micro>(Clock::now() - start).count();
      if (!ok) {
        std::fprintf(stderr, "a round failed\n");
        std::exit(1);
      }
      (rewrite_side ? rewrite : plain).push_back(us);
    }
  }
  return {Median(plain), Median(rewrite)};
}

}  // namespace

int main(int argc, char** argv) {
  const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 200;
  const fs::path data = fs::path(PLOTXFER_TEST_DATA) / "params" / "app";
  const fs::path dir = fs::temp_directory_path() /
                       ("plotxfer-params-bench-" + std::to_string(std::random_device()()));
  fs::remove_all(dir);
  fs::create_directories(dir);
  fs::copy(data, dir);

  // Pad the sample file with comment lines to 699 lines, the most a file may have.
  std::string file = Slurp(dir / "vxcsd.cprm");
  auto lines = static_cast<int>(std::count(file.begin(), file.end(), '\n'));
  lines += 2;  // two long lines take two slots each
  for (int i = lines; i < 699; ++i) {
    file += "// comment line " + std::to_string(i) + " ................................\r\n";
  }
  Spit(dir / "vxcsd.cprm", file);

  plotxfer::ConversionOptions options;
  options.AppFolder = (dir / "").string();
  options.BAndWFlg = 0;
  options.WIdtHFlg = 1;
  options.PitchFlg = 1;
  ParamTables tables;
  MemoryProfile profile(Slurp(dir / "VELLUMIX.SYS"));
  Dpi96 screen;
  if (!LoadLineTypeDefaults(options.AppFolder, tables) ||
      !WriteParamFile(options, tables, {profile, screen, &PlainWrite})) {
    std::fprintf(stderr, "the sample parameter file cannot be rewritten\n");
    return 1;
  }
  std::printf("parameter file: 699 lines, %zu bytes; median of %d rounds each\n", file.size(),
              rounds);

  const Figures buffered = Measure(options, tables, profile, &PlainWrite, rounds);
  std::printf("buffered write:  plain read+write %8.1f us   rewrite %8.1f us   ratio %.2f\n",
              buffered.plain_us, buffered.rewrite_us, buffered.rewrite_us / buffered.plain_us);
  const Figures atomic = Measure(options, tables, profile, &plotxfer::platform::ReplaceFileContents,
                                 std::max(1, rounds / 4));
  std::printf("atomic replace:  plain read+write %8.1f us   rewrite %8.1f us   ratio %.2f\n",
              atomic.plain_us, atomic.rewrite_us, atomic.rewrite_us / atomic.plain_us);
  const bool met =
      buffered.rewrite_us <= 2 * buffered.plain_us && atomic.rewrite_us <= 2 * atomic.plain_us;
  std::printf("goal: ratio <= 2 (%s)\n", met ? "met" : "missed");
  fs::remove_all(dir);
  return 0;
}
