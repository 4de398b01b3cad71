#pragma once
// Reading one value of an initialisation file (the drafting system's VELLUMIX.SYS).
#include <cstddef>
#include <string>

namespace plotxfer::platform {

class ProfileReader {
 public:
  virtual ~ProfileReader() = default;
  // The value of key in section of the file at path, as GetPrivateProfileStringA with an empty
  // default and a buffer of buffer_size bytes gives it: at most buffer_size - 1 bytes, empty when
  // the file, the section or the key is missing or the value is empty.
  virtual std::string GetString(const std::string& path, const char* section, const char* key,
                                std::size_t buffer_size = 254) = 0;
};

// The platform's reader: GetPrivateProfileStringA on Windows, our own reader elsewhere.
ProfileReader& SystemProfileReader();

}  // namespace plotxfer::platform
