#include "core/settings/stored_settings.h"

#include <gtest/gtest.h>

#include "../common/fake_value_store.h"
#include "../common/settings_load_cases.h"

using plotxfer::AppFolderOf;
using plotxfer::ConversionOptions;
using plotxfer::GeneralOptions;
using plotxfer::LoadSettings;
using plotxfer::ProgramFile;
using plotxfer::SettingsStore;
using plotxfer::testing::FakeValueStore;
using plotxfer::text::CodePage;

namespace {

const std::string kRoot = "SOFTWARE\\MORVA\\PLOTXFER";

// Answers one key of one file, and remembers what it was asked.
class OneKeyProfile : public plotxfer::platform::ProfileReader {
 public:
  explicit OneKeyProfile(std::string value) : value_(std::move(value)) {}
  std::string GetString(const std::string& path, const char* section, const char* key,
                        std::size_t buffer_size) override {
    asked_.push_back(path + "|" + section + "|" + key + "|" + std::to_string(buffer_size));
    return value_;
  }
  const std::vector<std::string>& asked() const { return asked_; }

 private:
  std::string value_;
  std::vector<std::string> asked_;
};

int LoadCharVectorFont(const std::string& value, const ProgramFile& program,
                       std::vector<std::string>* asked = nullptr) {
  FakeValueStore values;
  const SettingsStore store(values);
  OneKeyProfile profile(value);
  ConversionOptions options;
  int font = plotxfer::kDefaultCharVectorFont;
  LoadSettings(store, profile, program, options, font);
  if (asked != nullptr) {
    *asked = profile.asked();
  }
  return font;
}

const ProgramFile kWindowsProgram{"D:\\Apps\\Conv\\PLOTXFER.exe", '\\', CodePage::ShiftJis};

std::vector<std::string> Sets(const FakeValueStore& values) {
  std::vector<std::string> sets;
  for (const std::string& entry : values.log()) {
    if (entry.rfind("set ", 0) == 0) {
      sets.push_back(entry.substr(4 + kRoot.size() + 1));
    }
  }
  return sets;
}

}  // namespace

TEST(LoadSettings, EachStoredValueIsTakenOnlyWithinItsRange) {
  for (const auto& c : plotxfer::testing::LoadCases()) {
    FakeValueStore values;
    plotxfer::testing::RunLoadCase(c, values, kRoot);
  }
}

TEST(LoadSettings, AnEmptyStoreLeavesTheDefaultsWithTheScreenResolution) {
  FakeValueStore values;
  const SettingsStore store(values);
  OneKeyProfile profile("");
  ConversionOptions options = ConversionOptions::WithScreenDpi(144);
  int font = plotxfer::kDefaultCharVectorFont;
  LoadSettings(store, profile, kWindowsProgram, options, font);
  ConversionOptions expected = ConversionOptions::WithScreenDpi(144);
  expected.AppFolder = "D:\\Apps\\Conv\\";
  EXPECT_EQ(options, expected);
  EXPECT_EQ(font, 2);
}

TEST(LoadSettings, ReadsEachValueOnceInTheLoadOrder) {
  FakeValueStore values;
  values.Put(kRoot + "\\PDF", "OptXSize", plotxfer::platform::kValueDword,
             std::string("\x64\0\0\0", 4));
  const SettingsStore store(values);
  OneKeyProfile profile("");
  ConversionOptions options;
  int font = 2;
  LoadSettings(store, profile, kWindowsProgram, options, font);
  std::vector<std::string> read;
  for (const std::string& entry : values.log()) {
    read.push_back(entry.substr(6 + kRoot.size() + 1));
  }
  EXPECT_EQ(read,
            (std::vector<std::string>{
                "BootData\\PdfOrImage", "BootData\\ImageType", "BootData\\BAndWFlg",
                "BootData\\WIdtHFlg", "BootData\\PitchFlg", "BootData\\FolderType",
                "BootData\\SelFolder", "BootData\\AddFilFolder", "PDF\\SizeType", "PDF\\PaperType",
                "PDF\\OptXSize", "PDF\\OptYSize", "IMG\\SizeType", "IMG\\PaperType",
                "IMG\\OptXSize", "IMG\\OutXdpi", "PDF\\ConnectNum", "BootData\\VFontFlg"}));
}

TEST(LoadSettings, TakesTheVectorFontSettingOnlyWhenItStartsWithANumber) {
  std::vector<std::string> asked;
  EXPECT_EQ(LoadCharVectorFont("1", kWindowsProgram, &asked), 1);
  EXPECT_EQ(asked,
            (std::vector<std::string>{"D:\\Apps\\Conv\\VELLUMIX.SYS|FONTINFO|CHARVECTORFONT|254"}));
  EXPECT_EQ(LoadCharVectorFont("0", kWindowsProgram), 0);
  EXPECT_EQ(LoadCharVectorFont(" \t7 fonts", kWindowsProgram), 7);
  EXPECT_EQ(LoadCharVectorFont("+3", kWindowsProgram), 3);
  EXPECT_EQ(LoadCharVectorFont("-4", kWindowsProgram), -4);
  EXPECT_EQ(LoadCharVectorFont("2147483647", kWindowsProgram), 2147483647);
  EXPECT_EQ(LoadCharVectorFont("-2147483648", kWindowsProgram), -2147483647 - 1);
  EXPECT_EQ(LoadCharVectorFont("abc", kWindowsProgram), 2);
  EXPECT_EQ(LoadCharVectorFont("", kWindowsProgram), 2);
  EXPECT_EQ(LoadCharVectorFont("-", kWindowsProgram), 2);
  EXPECT_EQ(LoadCharVectorFont("x1", kWindowsProgram), 2);
  // A number too large for 32 bits is no number rather than some other number.
  EXPECT_EQ(LoadCharVectorFont("2147483648", kWindowsProgram), 2);
  EXPECT_EQ(LoadCharVectorFont("99999999999999999999", kWindowsProgram), 2);
}

TEST(LoadSettings, NeverReadsASettingsFileWhosePathWouldBeCut) {
  // 247 + "VELLUMIX.SYS" is 259 bytes: read. One more and it is not.
  const std::string folder247 = "/" + std::string(245, 'd') + "/";
  std::vector<std::string> asked;
  EXPECT_EQ(LoadCharVectorFont("1", {folder247 + "prog", '/', CodePage::Utf8}, &asked), 1);
  EXPECT_EQ(asked.size(), 1u);
  const std::string folder248 = "/" + std::string(246, 'd') + "/";
  EXPECT_EQ(LoadCharVectorFont("1", {folder248 + "prog", '/', CodePage::Utf8}, &asked), 2);
  EXPECT_TRUE(asked.empty());
}

TEST(AppFolder, IsTheProgramsFolderWithItsSeparator) {
  EXPECT_EQ(AppFolderOf("D:\\Apps\\Conv\\prog.exe", '\\', CodePage::ShiftJis), "D:\\Apps\\Conv\\");
  EXPECT_EQ(AppFolderOf("D:\\prog.exe", '\\', CodePage::ShiftJis), "D:\\");
  EXPECT_EQ(AppFolderOf("\\\\server\\share\\prog.exe", '\\', CodePage::ShiftJis),
            "\\\\server\\share\\");
  EXPECT_EQ(AppFolderOf("/opt/plotxfer/bin/plotxfer-batch", '/', CodePage::Utf8),
            "/opt/plotxfer/bin/");
  EXPECT_EQ(AppFolderOf("/prog", '/', CodePage::Utf8), "/");
  EXPECT_EQ(AppFolderOf("prog.exe", '\\', CodePage::ShiftJis), ".\\");
  EXPECT_EQ(AppFolderOf("prog", '/', CodePage::Utf8), "./");
}

TEST(AppFolder, NeverCutsADoubleByteCharacterEndingInABackslashByte) {
  // D:\図表\プログラム.exe: 表 ends in 0x5C, and so does the last byte of the file name's ソ.
  const std::string folder = "D:\\\x90\x7D\x95\x5C\\";
  EXPECT_EQ(AppFolderOf(folder + "\x83\x5C\x83\x74\x83\x67.exe", '\\', CodePage::ShiftJis), folder);
  EXPECT_EQ(AppFolderOf("D:\\\x95\x5C", '\\', CodePage::ShiftJis), "D:\\");
  // Read byte by byte the trail byte would be taken for the separator.
  EXPECT_EQ(AppFolderOf("D:\\\x95\x5C", '\\', CodePage::SingleByte), "D:\\\x95\x5C");
}

TEST(SaveGeneralSettings, CopiesTheCapturedValuesAndWritesThemInOrder) {
  FakeValueStore values;
  SettingsStore store(values);
  ConversionOptions options;
  options.PdfPaperType = 7;
  const GeneralOptions captured{.PdfOrImage = 1,
                                .ImageType = 2,
                                .BAndWFlg = 0,
                                .WIdtHFlg = 1,
                                .PitchFlg = 1,
                                .VFontFlg = 1,
                                .FolderType = 1,
                                .SelFolder = "D:\\out\\"};
  EXPECT_TRUE(SaveGeneralSettings(store, captured, options));

  EXPECT_EQ(Sets(values), (std::vector<std::string>{"BootData\\PdfOrImage", "BootData\\ImageType",
                                                    "BootData\\BAndWFlg", "BootData\\WIdtHFlg",
                                                    "BootData\\FolderType", "BootData\\SelFolder",
                                                    "BootData\\PitchFlg", "BootData\\VFontFlg"}));
  EXPECT_EQ(static_cast<const GeneralOptions&>(options), captured);
  EXPECT_EQ(options.PdfPaperType, 7);  // not a general option

  // What was written is what the next start loads.
  ConversionOptions next;
  int font = 2;
  plotxfer::testing::NoProfile no_profile;
  LoadSettings(store, no_profile, kWindowsProgram, next, font);
  EXPECT_EQ(static_cast<const GeneralOptions&>(next), captured);
}

TEST(SaveGeneralSettings, GoesOnAfterAFailedValueAndSaysSo) {
  FakeValueStore values;
  values.FailSetsOf("ImageType");
  SettingsStore store(values);
  ConversionOptions options;
  GeneralOptions captured = options;
  captured.SelFolder = std::string(300, 'p');  // too long to store
  EXPECT_FALSE(SaveGeneralSettings(store, captured, options));
  EXPECT_EQ(Sets(values).size(), 7u);  // all but the text that was refused before any write
  EXPECT_NE(values.Get(kRoot + "\\BootData", "VFontFlg"), nullptr);
  EXPECT_EQ(values.Get(kRoot + "\\BootData", "SelFolder"), nullptr);
  EXPECT_EQ(options.SelFolder, captured.SelFolder);
}

TEST(SaveOutputSettings, WritesInOrderAndTheCustomPairOnlyForPaperEleven) {
  struct Case {
    int pdf_paper;
    int img_paper;
    std::vector<std::string> sets;
  };
  const Case cases[] = {
      {4,
       4,
       {"PDF\\SizeType", "PDF\\PaperType", "PDF\\ConnectNum", "IMG\\SizeType", "IMG\\PaperType",
        "IMG\\OutXdpi"}},
      {11,
       11,
       {"PDF\\SizeType", "PDF\\PaperType", "PDF\\OptXSize", "PDF\\OptYSize", "PDF\\ConnectNum",
        "IMG\\SizeType", "IMG\\PaperType", "IMG\\OptXSize", "IMG\\OptYSize", "IMG\\OutXdpi"}},
      {11,
       10,
       {"PDF\\SizeType", "PDF\\PaperType", "PDF\\OptXSize", "PDF\\OptYSize", "PDF\\ConnectNum",
        "IMG\\SizeType", "IMG\\PaperType", "IMG\\OutXdpi"}},
      {0,
       11,
       {"PDF\\SizeType", "PDF\\PaperType", "PDF\\ConnectNum", "IMG\\SizeType", "IMG\\PaperType",
        "IMG\\OptXSize", "IMG\\OptYSize", "IMG\\OutXdpi"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.pdf_paper) + "/" + std::to_string(c.img_paper));
    FakeValueStore values;
    SettingsStore store(values);
    ConversionOptions options;
    options.PdfPaperType = c.pdf_paper;
    options.ImgPaperType = c.img_paper;
    EXPECT_TRUE(SaveOutputSettings(store, options));
    EXPECT_EQ(Sets(values), c.sets);
  }
}

TEST(SaveOutputSettings, ANamedPaperKeepsTheStoredCustomPairForTheNextLoad) {
  FakeValueStore values;
  SettingsStore store(values);
  ConversionOptions first;
  first.PdfSizeType = 1;
  first.PdfPaperType = 11;
  first.PdfOptXSize = 800;
  first.PdfOptYSize = 600;
  first.ImgPaperType = 11;
  first.ImgOptXSize = 50;
  first.ImgOptYSize = 40;
  first.ConnectNum = 1;
  first.OutXdpi = 300;
  ASSERT_TRUE(SaveOutputSettings(store, first));

  ConversionOptions second = first;
  second.PdfPaperType = 4;
  second.PdfOptXSize = 297;  // what the sheet shows for A4; must not replace the custom pair
  second.PdfOptYSize = 210;
  second.ImgPaperType = 5;
  second.ImgOptXSize = 210;
  second.ImgOptYSize = 297;
  ASSERT_TRUE(SaveOutputSettings(store, second));

  ConversionOptions loaded;
  int font = 2;
  plotxfer::testing::NoProfile no_profile;
  LoadSettings(store, no_profile, kWindowsProgram, loaded, font);
  ConversionOptions expected = first;  // the custom pairs of the first save
  expected.PdfPaperType = 4;
  expected.ImgPaperType = 5;
  expected.AppFolder = "D:\\Apps\\Conv\\";
  EXPECT_EQ(loaded, expected);
}

TEST(SaveOutputSettings, AHeightIsNeverWrittenWithoutItsWidth) {
  FakeValueStore values;
  values.FailSetsOf("OptXSize");
  values.FailSetsOf("SizeType");
  SettingsStore store(values);
  ConversionOptions options;
  options.PdfPaperType = 11;
  EXPECT_FALSE(SaveOutputSettings(store, options));
  EXPECT_EQ(Sets(values), (std::vector<std::string>{
                              "PDF\\SizeType", "PDF\\PaperType", "PDF\\OptXSize", "PDF\\ConnectNum",
                              "IMG\\SizeType", "IMG\\PaperType", "IMG\\OutXdpi"}));
}
