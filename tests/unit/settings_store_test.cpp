#include "core/settings/settings_store.h"

#include <gtest/gtest.h>

#include "../common/fake_value_store.h"

using plotxfer::SettingsStore;
using plotxfer::testing::FakeValueStore;
namespace platform = plotxfer::platform;

namespace {

const std::string kBoot = "SOFTWARE\\MORVA\\PLOTXFER\\BootData";

std::string Text(const std::string& s) {
  return s + std::string(1, '\0');
}

}  // namespace

TEST(SettingsStoreNumbers, ReadFourBytesWhateverTheStoredType) {
  FakeValueStore values;
  values.Put(kBoot, "Dword", platform::kValueDword, std::string("\x78\x56\x34\x12", 4));
  values.Put(kBoot, "Negative", platform::kValueDword, std::string("\xFF\xFF\xFF\xFF", 4));
  values.Put(kBoot, "Short", platform::kValueBinary, std::string("\x01\x02", 2));
  values.Put(kBoot, "Empty", platform::kValueBinary, "");
  values.Put(kBoot, "Long", platform::kValueBinary, std::string("\x01\x00\x00\x00\x00", 5));
  values.Put(kBoot, "Digit", platform::kValueText, Text("1"));
  values.Put(kBoot, "Digits", platform::kValueText, Text("12"));
  values.Put(kBoot, "Word", platform::kValueText, Text("1234"));
  const SettingsStore store(values);
  EXPECT_EQ(store.ReadNumber("BootData", "Dword"), 0x12345678);
  EXPECT_EQ(store.ReadNumber("BootData", "Negative"), -1);
  EXPECT_EQ(store.ReadNumber("BootData", "Short"), 0x0201);  // zero-extended
  EXPECT_EQ(store.ReadNumber("BootData", "Empty"), 0);
  EXPECT_EQ(store.ReadNumber("BootData", "Long"), std::nullopt);  // does not fit
  EXPECT_EQ(store.ReadNumber("BootData", "Digit"), 49);           // '1' and its zero byte
  EXPECT_EQ(store.ReadNumber("BootData", "Digits"), 0x3231);
  EXPECT_EQ(store.ReadNumber("BootData", "Word"), std::nullopt);  // five bytes with the zero
  EXPECT_EQ(store.ReadNumber("BootData", "Missing"), std::nullopt);
  EXPECT_EQ(store.ReadNumber("PDF", "Dword"), std::nullopt);
}

TEST(SettingsStoreNumbers, WriteFourLittleEndianBytesAsADword) {
  FakeValueStore values;
  SettingsStore store(values);
  EXPECT_TRUE(store.WriteNumber("IMG", "OutXdpi", -2));
  const FakeValueStore::Stored* v = values.Get("SOFTWARE\\MORVA\\PLOTXFER\\IMG", "OutXdpi");
  ASSERT_NE(v, nullptr);
  EXPECT_EQ(v->type, platform::kValueDword);
  EXPECT_EQ(v->data, std::string("\xFE\xFF\xFF\xFF", 4));
  EXPECT_EQ(store.ReadNumber("IMG", "OutXdpi"), -2);

  values.FailSetsOf("OutXdpi");
  EXPECT_FALSE(store.WriteNumber("IMG", "OutXdpi", 5));
}

TEST(SettingsStoreTexts, ReadUpToTheFirstZeroWithinTwoHundredSixtyBytes) {
  FakeValueStore values;
  values.Put(kBoot, "Empty", platform::kValueText, Text(""));
  values.Put(kBoot, "Longest", platform::kValueText, Text(std::string(259, 'a')));
  values.Put(kBoot, "TooLong", platform::kValueText, Text(std::string(260, 'a')));
  values.Put(kBoot, "Long", platform::kValueText, Text(std::string(300, 'a')));
  values.Put(kBoot, "Inner", platform::kValueText, std::string("ab\0cd\0", 6));
  values.Put(kBoot, "NoZero", platform::kValueBinary, "abc");
  values.Put(kBoot, "FullNoZero", platform::kValueBinary, std::string(260, 'b'));
  values.Put(kBoot, "Dword", platform::kValueDword, std::string("AB\0\0", 4));
  values.Put(kBoot, "ShiftJis", platform::kValueText, Text("D:\\\x95\x5C\\"));
  const SettingsStore store(values);
  EXPECT_EQ(store.ReadText("BootData", "Empty"), "");
  EXPECT_EQ(store.ReadText("BootData", "Longest"), std::string(259, 'a'));
  EXPECT_EQ(store.ReadText("BootData", "TooLong"), std::nullopt);
  EXPECT_EQ(store.ReadText("BootData", "Long"), std::nullopt);
  EXPECT_EQ(store.ReadText("BootData", "Inner"), "ab");
  EXPECT_EQ(store.ReadText("BootData", "NoZero"), "abc");  // the zeroed buffer ends it
  // 260 bytes without a zero have no end inside the buffer: missing, not read past it.
  EXPECT_EQ(store.ReadText("BootData", "FullNoZero"), std::nullopt);
  EXPECT_EQ(store.ReadText("BootData", "Dword"), "AB");
  EXPECT_EQ(store.ReadText("BootData", "ShiftJis"), "D:\\\x95\x5C\\");
  EXPECT_EQ(store.ReadText("BootData", "Missing"), std::nullopt);
}

TEST(SettingsStoreTexts, WriteATextWithItsZeroOrNothingAtAll) {
  FakeValueStore values;
  SettingsStore store(values);
  EXPECT_TRUE(store.WriteText("BootData", "SelFolder", "/home/a/out/"));
  const FakeValueStore::Stored* v = values.Get(kBoot, "SelFolder");
  ASSERT_NE(v, nullptr);
  EXPECT_EQ(v->type, platform::kValueText);
  EXPECT_EQ(v->data, Text("/home/a/out/"));

  EXPECT_TRUE(store.WriteText("BootData", "Longest", std::string(259, 'c')));
  EXPECT_EQ(store.ReadText("BootData", "Longest"), std::string(259, 'c'));

  // A cut path would name another folder, and a text with a zero could not be read back whole.
  values.ClearLog();
  EXPECT_FALSE(store.WriteText("BootData", "SelFolder", std::string(260, 'c')));
  EXPECT_FALSE(store.WriteText("BootData", "SelFolder", std::string("a\0b", 3)));
  EXPECT_TRUE(values.log().empty());
  EXPECT_EQ(store.ReadText("BootData", "SelFolder"), "/home/a/out/");

  values.FailSetsOf("SelFolder");
  EXPECT_FALSE(store.WriteText("BootData", "SelFolder", "/x/"));
}

TEST(SettingsStorePairs, ReadTheHeightOnlyAfterAPositiveWidth) {
  struct Case {
    const char* title;
    std::optional<int> x;
    std::optional<int> y;
    bool delivered;
    bool y_read;
  };
  const Case cases[] = {
      {"both positive", 500, 400, true, true},
      {"width missing", std::nullopt, 400, false, false},
      {"width zero", 0, 400, false, false},
      {"width negative", -1, 400, false, false},
      {"height missing", 500, std::nullopt, false, true},
      {"height zero", 500, 0, false, true},
      {"smallest", 1, 1, true, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.title);
    FakeValueStore values;
    SettingsStore store(values);
    if (c.x) {
      store.WriteNumber("PDF", "OptXSize", *c.x);
    }
    if (c.y) {
      store.WriteNumber("PDF", "OptYSize", *c.y);
    }
    values.ClearLog();
    const std::optional<plotxfer::SizePair> pair = store.ReadSizePair("PDF");
    EXPECT_EQ(pair.has_value(), c.delivered);
    if (pair) {
      EXPECT_EQ(pair->width, *c.x);
      EXPECT_EQ(pair->height, *c.y);
    }
    std::vector<std::string> expected = {"query SOFTWARE\\MORVA\\PLOTXFER\\PDF\\OptXSize"};
    if (c.y_read) {
      expected.push_back("query SOFTWARE\\MORVA\\PLOTXFER\\PDF\\OptYSize");
    }
    EXPECT_EQ(values.log(), expected);
  }
}

TEST(SettingsStorePairs, WriteTheHeightOnlyAfterTheWidth) {
  FakeValueStore values;
  SettingsStore store(values);
  EXPECT_TRUE(store.WriteSizePair("IMG", 420, 297));
  EXPECT_EQ(values.log(),
            (std::vector<std::string>{"set SOFTWARE\\MORVA\\PLOTXFER\\IMG\\OptXSize",
                                      "set SOFTWARE\\MORVA\\PLOTXFER\\IMG\\OptYSize"}));
  EXPECT_EQ(store.ReadSizePair("IMG")->height, 297);

  values.ClearLog();
  values.FailSetsOf("OptXSize");
  EXPECT_FALSE(store.WriteSizePair("IMG", 100, 100));
  EXPECT_EQ(values.log(),
            (std::vector<std::string>{"set SOFTWARE\\MORVA\\PLOTXFER\\IMG\\OptXSize"}));
  EXPECT_EQ(store.ReadSizePair("IMG")->width, 420);

  FakeValueStore heights_fail;
  heights_fail.FailSetsOf("OptYSize");
  SettingsStore second(heights_fail);
  EXPECT_FALSE(second.WriteSizePair("IMG", 100, 100));
}

TEST(SettingsStoreRoot, EveryKeyLiesUnderTheRootGiven) {
  FakeValueStore values;
  SettingsStore store(values, "SOFTWARE\\MORVA\\PLOTXFER-test");
  store.WriteNumber("PDF", "ConnectNum", 1);
  EXPECT_NE(values.Get("SOFTWARE\\MORVA\\PLOTXFER-test\\PDF", "ConnectNum"), nullptr);
  EXPECT_EQ(values.Get("SOFTWARE\\MORVA\\PLOTXFER\\PDF", "ConnectNum"), nullptr);
}

TEST(SettingsStoreFailures, AnUnreachableStoreReadsAsMissingAndWritesAsFailed) {
  FakeValueStore values;
  values.Put(kBoot, "PdfOrImage", platform::kValueDword, std::string("\x01\0\0\0", 4));
  values.MakeUnreachable();
  SettingsStore store(values);
  EXPECT_EQ(store.ReadNumber("BootData", "PdfOrImage"), std::nullopt);
  EXPECT_EQ(store.ReadText("BootData", "PdfOrImage"), std::nullopt);
  EXPECT_FALSE(store.WriteNumber("BootData", "PdfOrImage", 0));
  EXPECT_FALSE(store.WriteText("BootData", "SelFolder", "/"));
}
