#pragma once
// The user's real settings store for a test: the registry under a key of the test's own on
// Windows (removed afterwards), a REGEDIT4 file in a folder of the test's own elsewhere.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

#include "platform/value_store.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>

#include "platform/registry_file_store.h"
#endif

namespace plotxfer::testing {

class SystemStoreTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    const std::string unique = std::to_string(Pid()) + "-" + info->name();
    root_ = "SOFTWARE\\MORVA\\PLOTXFER-test-" + unique;
#ifndef _WIN32
    folder_ = std::filesystem::temp_directory_path() / ("plotxfer-store-" + unique);
    std::filesystem::remove_all(folder_);
    std::filesystem::create_directories(folder_);
    file_store_ =
        std::make_unique<platform::RegistryFileStore>((folder_ / "PLOTXFER.reg").string());
#endif
  }

  void TearDown() override {
#ifdef _WIN32
    RegDeleteTreeA(HKEY_CURRENT_USER, root_.c_str());
#else
    std::filesystem::remove_all(folder_);
#endif
  }

  platform::ValueStore& store() {
#ifdef _WIN32
    return platform::SystemValueStore();
#else
    return *file_store_;
#endif
  }

  // A key under the test's own root.
  std::string Key(const std::string& below) const {
    return root_ + "\\" + below;
  }
  const std::string& root() const {
    return root_;
  }

 private:
  static unsigned long Pid() {
#ifdef _WIN32
    return GetCurrentProcessId();
#else
    return static_cast<unsigned long>(getpid());
#endif
  }

  std::string root_;
#ifndef _WIN32
  std::filesystem::path folder_;
  std::unique_ptr<platform::RegistryFileStore> file_store_;
#endif
};

}  // namespace plotxfer::testing
