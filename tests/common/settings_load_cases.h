#pragma once
// The load cases of the settings store, run against any value store: the fake one in the unit
// tests, the registry under Wine and the REGEDIT4 file natively in the platform tests.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "core/settings/options.h"
#include "core/settings/settings_store.h"
#include "core/settings/stored_settings.h"
#include "platform/profile_reader.h"
#include "platform/value_store.h"

namespace plotxfer::testing {

struct StoredValue {
  std::string key;  // BootData, PDF or IMG
  std::string name;
  std::uint32_t type;
  std::string data;
};

inline StoredValue Dword(std::string key, std::string name, std::int32_t value) {
  const auto bits = static_cast<std::uint32_t>(value);
  std::string data(4, '\0');
  for (std::size_t k = 0; k < 4; ++k) {
    data[k] = static_cast<char>((bits >> (8 * k)) & 0xFF);
  }
  return {std::move(key), std::move(name), platform::kValueDword, std::move(data)};
}

inline StoredValue Text(std::string key, std::string name, const std::string& text) {
  std::string data = text;
  data.push_back('\0');
  return {std::move(key), std::move(name), platform::kValueText, std::move(data)};
}

struct LoadCase {
  std::string title;
  std::vector<StoredValue> stored;
  // Turns the defaults into what the load must give.
  std::function<void(ConversionOptions&)> expect;
};

inline constexpr int kScreenDpi = 120;

inline std::vector<LoadCase> LoadCases() {
  const std::string folder300(300, 'f');
  const std::string folder259 = "/" + std::string(257, 'g') + "/";
  return {
      {"an empty store gives the defaults", {}, [](ConversionOptions&) {}},
      {"PdfOrImage 1 is taken",
       {Dword("BootData", "PdfOrImage", 1)},
       [](ConversionOptions& o) { o.PdfOrImage = 1; }},
      {"PdfOrImage 2 is ignored", {Dword("BootData", "PdfOrImage", 2)}, [](ConversionOptions&) {}},
      {"PdfOrImage -1 is ignored",
       {Dword("BootData", "PdfOrImage", -1)},
       [](ConversionOptions&) {}},
      {"ImageType 3 is taken, BAndWFlg 0 is taken",
       {Dword("BootData", "ImageType", 3), Dword("BootData", "BAndWFlg", 0)},
       [](ConversionOptions& o) {
         o.ImageType = 3;
         o.BAndWFlg = 0;
       }},
      {"ImageType 4 is ignored", {Dword("BootData", "ImageType", 4)}, [](ConversionOptions&) {}},
      {"the flags take 0 and 1 only",
       {Dword("BootData", "WIdtHFlg", 1), Dword("BootData", "PitchFlg", 2),
        Dword("BootData", "FolderType", 1), Dword("BootData", "BAndWFlg", -1)},
       [](ConversionOptions& o) {
         o.WIdtHFlg = 1;
         o.FolderType = 1;
       }},
      {"a flag stored as the text 1 is read as 49 and ignored",
       {Text("BootData", "BAndWFlg", "1"), Text("BootData", "PdfOrImage", "1")},
       [](ConversionOptions&) {}},
      {"folders are taken, an empty one too",
       {Text("BootData", "SelFolder", ""), Text("BootData", "AddFilFolder", folder259)},
       [folder259](ConversionOptions& o) { o.AddFilFolder = folder259; }},
      {"a SelFolder of 300 characters counts as missing",
       {Text("BootData", "SelFolder", folder300), Text("BootData", "AddFilFolder", "/d/")},
       [](ConversionOptions& o) { o.AddFilFolder = "/d/"; }},
      {"PaperType 11 is taken, 12 is ignored",
       {Dword("PDF", "PaperType", 11), Dword("IMG", "PaperType", 12), Dword("PDF", "SizeType", 1),
        Dword("IMG", "SizeType", 2)},
       [](ConversionOptions& o) {
         o.PdfPaperType = 11;
         o.PdfSizeType = 1;
       }},
      {"a custom pair is taken whole, for its own kind",
       {Dword("PDF", "OptXSize", 500), Dword("PDF", "OptYSize", 400), Dword("IMG", "OptXSize", 10),
        Dword("IMG", "OptYSize", 100000)},
       [](ConversionOptions& o) {
         o.PdfOptXSize = 500;
         o.PdfOptYSize = 400;
         o.ImgOptXSize = 10;
         o.ImgOptYSize = 100000;
       }},
      {"OptXSize 500 with OptYSize missing leaves both",
       {Dword("PDF", "OptXSize", 500), Dword("IMG", "OptXSize", 500)},
       [](ConversionOptions&) {}},
      {"OptXSize 0 leaves both, whatever OptYSize holds",
       {Dword("PDF", "OptXSize", 0), Dword("PDF", "OptYSize", 300), Dword("IMG", "OptXSize", 600),
        Dword("IMG", "OptYSize", -5)},
       [](ConversionOptions&) {}},
      {"OutXdpi 0 is ignored", {Dword("IMG", "OutXdpi", 0)}, [](ConversionOptions&) {}},
      {"OutXdpi -300 is ignored", {Dword("IMG", "OutXdpi", -300)}, [](ConversionOptions&) {}},
      {"OutXdpi 1000 is taken",
       {Dword("IMG", "OutXdpi", 1000)},
       [](ConversionOptions& o) { o.OutXdpi = 1000; }},
      {"ConnectNum 5 is taken, VFontFlg 7 is taken",
       {Dword("PDF", "ConnectNum", 5), Dword("BootData", "VFontFlg", 7)},
       [](ConversionOptions& o) {
         o.ConnectNum = 5;
         o.VFontFlg = 7;
       }},
      {"ConnectNum 0 and VFontFlg -1 are ignored",
       {Dword("PDF", "ConnectNum", 0), Dword("BootData", "VFontFlg", -1)},
       [](ConversionOptions&) {}},
      {"values stored under another key are not seen",
       {Dword("IMG", "PdfOrImage", 1), Dword("BootData", "OutXdpi", 300),
        Dword("PDF", "OutXdpi", 300)},
       [](ConversionOptions&) {}},
  };
}

// A drafting-system settings file that is never there.
class NoProfile : public platform::ProfileReader {
 public:
  std::string GetString(const std::string&, const char*, const char*, std::size_t) override {
    return {};
  }
};

// Stores the case's values under root through values, loads, and compares with the expectation.
inline void RunLoadCase(const LoadCase& c, platform::ValueStore& values, const std::string& root) {
  SCOPED_TRACE(c.title);
  for (const StoredValue& v : c.stored) {
    ASSERT_EQ(values.Set(root + "\\" + v.key, v.name, v.type, v.data.data(),
                         static_cast<std::uint32_t>(v.data.size())),
              platform::StoreStatus::kOk)
        << v.key << "\\" << v.name;
  }
  const SettingsStore store(values, root);
  NoProfile no_profile;
  ConversionOptions loaded = ConversionOptions::WithScreenDpi(kScreenDpi);
  int char_vector_font = kDefaultCharVectorFont;
  LoadSettings(store, no_profile, ProgramFile{"/opt/plotxfer/PLOTXFER", '/', text::CodePage::Utf8},
               loaded, char_vector_font);

  ConversionOptions expected = ConversionOptions::WithScreenDpi(kScreenDpi);
  expected.AppFolder = "/opt/plotxfer/";
  c.expect(expected);
  EXPECT_EQ(loaded, expected);
  EXPECT_EQ(char_vector_font, kDefaultCharVectorFont);
}

}  // namespace plotxfer::testing
