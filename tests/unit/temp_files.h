#pragma once
// Scratch folders and drawing files for tests that read real files.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <random>
#include <string>

namespace plotxfer::testing {

// A fresh folder under the system's temporary folder, removed with everything in it.
class TempFolder {
 public:
  TempFolder() {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = "plotxfer-";
    if (info != nullptr) {
      name += std::string(info->test_suite_name()) + "-" + info->name();
    }
    // Unique across processes too: tests run in parallel, and other builds share the folder.
    static std::random_device random;
    name += '-';
    name += std::to_string(random());
    name += std::to_string(random());
    path_ = std::filesystem::temp_directory_path() / name;
    std::filesystem::remove_all(path_);
    std::filesystem::create_directories(path_);
  }
  ~TempFolder() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  // The narrow path of a file in the folder.
  std::string File(const std::string& name) const { return (path_ / name).string(); }
  std::string Path() const { return path_.string(); }

 private:
  std::filesystem::path path_;
};

inline void WriteBytes(const std::string& path, const std::string& bytes) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  ASSERT_NE(f, nullptr) << path;
  ASSERT_EQ(std::fwrite(bytes.data(), 1, bytes.size(), f), bytes.size());
  std::fclose(f);
}

// 32 header bytes: anything in 0..3, the magic text at 4, version at 25, anything elsewhere.
inline std::string DrawingHeader(unsigned char version = 7) {
  std::string h(32, '\xA5');
  h.replace(4, 17, "KRESTO PLANX V4.0");
  h[25] = static_cast<char>(version);
  return h;
}

inline std::string ReadBytes(const std::string& path) {
  std::string out;
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (f == nullptr) {
    return out;
  }
  char buf[4096];
  std::size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) {
    out.append(buf, n);
  }
  std::fclose(f);
  return out;
}

}  // namespace plotxfer::testing
