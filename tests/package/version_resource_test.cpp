#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "plotxfer_version.h"

namespace {

std::string StringValue(const std::vector<char>& info, const char* name) {
  char* text = nullptr;
  UINT length = 0;
  const std::string query = std::string("\\StringFileInfo\\041104b0\\") + name;
  if (!VerQueryValueA(info.data(), query.c_str(), reinterpret_cast<void**>(&text), &length) ||
      length == 0) {
    return "(missing)";
  }
  return std::string(text);
}

}  // namespace

// Every binary the installer and the packages carry states the build's version, in numbers and in
// text; the 32-bit library is read as a file, as Explorer reads it.
TEST(VersionResource, EveryShippedBinaryCarriesTheProjectVersion) {
  const DWORD ms = MAKELONG(PLOTXFER_VERSION_MINOR, PLOTXFER_VERSION_MAJOR);
  const DWORD ls = MAKELONG(0, PLOTXFER_VERSION_PATCH);
  for (const char* path : {PLOTXFER_EXE, VXSETUP_DLL, VXSETUP32_DLL}) {
    SCOPED_TRACE(path);
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeA(path, &ignored);
    ASSERT_GT(size, 0u) << "no version resource, error " << GetLastError();
    std::vector<char> info(size);
    ASSERT_TRUE(GetFileVersionInfoA(path, 0, size, info.data()));

    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(info.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(fixed->dwFileVersionMS, ms);
    EXPECT_EQ(fixed->dwFileVersionLS, ls);
    EXPECT_EQ(fixed->dwProductVersionMS, ms);
    EXPECT_EQ(fixed->dwProductVersionLS, ls);
    EXPECT_EQ(StringValue(info, "FileVersion"), PLOTXFER_VERSION_QUAD);
    EXPECT_EQ(StringValue(info, "ProductVersion"), PLOTXFER_VERSION_QUAD);
    EXPECT_EQ(StringValue(info, "ProductName"), "PLOTXFER");
  }
}
