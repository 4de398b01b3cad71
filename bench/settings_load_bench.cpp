// Loading the settings from a large settings file (the file store of the Linux build) against a
// plain read of the same bytes, side by side in one run.
//
// The file holds the program's three keys and, beside them, VALUES values more (20,000 by
// default, about 3 MB, most of them in the BootData key itself, where a reader that looks each
// value up from the start pays the most). The load is the whole of LoadSettings as start-up runs
// it: every number and text of the record, each its own query of the store.
//
//   plotxfer_settings_bench [VALUES] [ROUNDS]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "core/settings/stored_settings.h"
#include "platform/registry_file_store.h"

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

class NoProfile : public plotxfer::platform::ProfileReader {
 public:
  std::string GetString(const std::string&, const char*, const char*, std::size_t) override {
    return {};
  }
};

std::string SettingsFile(int values) {
  const std::string root = "[HKEY_CURRENT_USER\\SOFTWARE\\MORVA\\PLOTXFER";
  std::string text = "REGEDIT4\n\n" + root + "\\BootData]\n";
  text += "\"PdfOrImage\"=dword:00000001\n\"ImageType\"=dword:00000002\n";
  text += "\"SelFolder\"=\"/home/user/drawings/output\"\n";
  char line[256];
  for (int i = 0; i < values; ++i) {
    // Text values of about 150 bytes, as a history of folders would be.
    std::snprintf(line, sizeof line,
                  "\"Folder%05d\"=\"/home/user/projects/site-%05d/drawings/revision-%03d/"
                  "plans and sections/level %02d/sheets for review by the office\"\n",
                  i, i, i % 997, i % 40);
    text += line;
  }
  text += "\n" + root + "\\PDF]\n\"SizeType\"=dword:00000001\n\"PaperType\"=dword:00000003\n";
  text += "\n" + root + "\\IMG]\n\"OutXdpi\"=dword:0000012c\n";
  return text;
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

std::string PlainRead(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace

int main(int argc, char** argv) {
  const int values = argc > 1 ? std::atoi(argv[1]) : 20000;
  const int rounds = argc > 2 ? std::atoi(argv[2]) : 5;
  const fs::path dir =
      fs::temp_directory_path() / ("plotxfer-settings-bench-" + std::to_string(std::rand()));
  fs::create_directories(dir);
  const std::string path = (dir / "PLOTXFER.reg").string();
  std::ofstream(path, std::ios::binary) << SettingsFile(values);
  const auto bytes = fs::file_size(path);

  std::vector<double> load_ms;
  std::vector<double> read_ms;
  bool loaded_right = true;
  for (int i = 0; i < rounds; ++i) {
    auto start = Clock::now();
    plotxfer::platform::RegistryFileStore file_store(path);
    plotxfer::SettingsStore store(file_store);
    NoProfile profile;
    plotxfer::ConversionOptions options;
    int font = plotxfer::kDefaultCharVectorFont;
    plotxfer::LoadSettings(
        store, profile, {"/opt/vx/plotxfer", '/', plotxfer::text::CodePage::Utf8}, options, font);
    load_ms.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    loaded_right = loaded_right && options.PdfOrImage == 1 && options.ImageType == 2 &&
                   options.OutXdpi == 300 && options.SelFolder == "/home/user/drawings/output";

    start = Clock::now();
    const std::string plain = PlainRead(path);
    read_ms.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    if (plain.size() != bytes) {
      loaded_right = false;
    }
  }
  fs::remove_all(dir);
  if (!loaded_right) {
    std::fprintf(stderr, "the settings did not load as written\n");
    return 1;
  }
  std::printf("settings file of %d values (%.1f MB), median of %d rounds:\n", values + 6,
              static_cast<double>(bytes) / 1e6, rounds);
  std::printf("  load of the settings   %9.1f ms\n", Median(load_ms));
  std::printf("  plain read of the file %9.1f ms\n", Median(read_ms));
  std::printf("  ratio                  %9.1f\n", Median(load_ms) / Median(read_ms));
  return 0;
}
