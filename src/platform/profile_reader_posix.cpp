#include "platform/profile_reader.h"

#include <fstream>
#include <iterator>

#include "core/settings/ini_file.h"

namespace plotxfer::platform {

namespace {

// The drafting system's files are Shift-JIS on every platform, whatever the locale.
class ShiftJisProfileReader : public ProfileReader {
 public:
  std::string GetString(const std::string& path, const char* section, const char* key,
                        std::size_t buffer_size) override {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
      return {};
    }
    const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    return ProfileString(bytes, section, key, buffer_size, text::CodePage::ShiftJis);
  }
};

}  // namespace

ProfileReader& SystemProfileReader() {
  static ShiftJisProfileReader reader;
  return reader;
}

}  // namespace plotxfer::platform
