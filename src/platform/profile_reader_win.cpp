#include "platform/profile_reader.h"

#include <windows.h>

#include <cstring>
#include <vector>

namespace plotxfer::platform {

namespace {

class PrivateProfileReader : public ProfileReader {
 public:
  std::string GetString(const std::string& path, const char* section, const char* key,
                        std::size_t buffer_size) override {
    if (buffer_size == 0) {
      return {};
    }
    // When a double-byte character does not fit, the reader reports a full buffer but leaves
    // the last byte as it found it: a zeroed buffer turns that byte into the end of the text.
    std::vector<char> buffer(buffer_size, '\0');
    const DWORD copied = GetPrivateProfileStringA(section, key, "", buffer.data(),
                                                  static_cast<DWORD>(buffer_size), path.c_str());
    const std::size_t length = strnlen(buffer.data(), buffer_size);
    return std::string(buffer.data(), copied < length ? copied : length);
  }
};

}  // namespace

ProfileReader& SystemProfileReader() {
  static PrivateProfileReader reader;
  return reader;
}

}  // namespace plotxfer::platform
