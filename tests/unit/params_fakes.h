#pragma once
// Stand-ins for the settings file reader, the screen and the file replacement in the
// parameter tests.
#include <cstdio>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/params/param_file.h"
#include "platform/profile_reader.h"
#include "platform/screen.h"

namespace plotxfer::params::testing {

// Answers from a table, as the private-profile reader would for a file holding it; remembers
// every key asked.
class FakeProfile : public platform::ProfileReader {
 public:
  void Set(const std::string& section, const std::string& key, const std::string& value) {
    values_[{section, key}] = value;
  }

  // Takes the sections and keys of an initialisation file's text.
  void LoadIni(const std::string& text) {
    std::istringstream in(text);
    std::string line;
    std::string section;
    while (std::getline(in, line)) {
      if (!line.empty() && line.back() == '\r') {
        line.pop_back();
      }
      if (line.size() >= 2 && line.front() == '[' && line.back() == ']') {
        section = line.substr(1, line.size() - 2);
      } else if (const auto eq = line.find('='); eq != std::string::npos) {
        Set(section, line.substr(0, eq), line.substr(eq + 1));
      }
    }
  }

  std::string GetString(const std::string& path, const char* section, const char* key,
                        std::size_t buffer_size) override {
    asked_.push_back(key);
    paths_.push_back(path);
    if (missing_file_) {
      return {};
    }
    const auto it = values_.find({section, key});
    if (it == values_.end()) {
      return {};
    }
    return it->second.substr(0, buffer_size - 1);
  }

  bool Asked(std::string_view key) const {
    for (const auto& k : asked_) {
      if (k == key) {
        return true;
      }
    }
    return false;
  }

  void SetMissingFile() { missing_file_ = true; }
  const std::vector<std::string>& asked() const { return asked_; }
  const std::vector<std::string>& paths() const { return paths_; }

 private:
  std::map<std::pair<std::string, std::string>, std::string> values_;
  std::vector<std::string> asked_;
  std::vector<std::string> paths_;
  bool missing_file_ = false;
};

// A screen of a given resolution; counts how often it was asked.
class FakeScreen : public platform::Screen {
 public:
  explicit FakeScreen(int dpi) : dpi_(dpi) {}
  int HorizontalDpi() override {
    ++asked_;
    return dpi_;
  }
  int asked() const { return asked_; }

 private:
  int dpi_;
  int asked_ = 0;
};

inline std::string ReadFileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

inline void WriteFileBytes(const std::string& path, std::string_view bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// Writes the whole new content at once, as the platform's atomic replacement does.
inline bool ReplaceByWriting(const std::string& path, std::string_view bytes, std::string*) {
  WriteFileBytes(path, bytes);
  return true;
}

}  // namespace plotxfer::params::testing
