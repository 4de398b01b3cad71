// The same contract for the registry (under Wine) and for the REGEDIT4 file (natively).
#include "platform/value_store.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "../common/system_store_fixture.h"

namespace platform = plotxfer::platform;
using platform::StoreStatus;

namespace {

class ValueStoreContract : public plotxfer::testing::SystemStoreTest {
 protected:
  StoreStatus Put(const std::string& key, const std::string& name, std::uint32_t type,
                  const std::string& data) {
    return store().Set(Key(key), name, type, data.data(), static_cast<std::uint32_t>(data.size()));
  }

  // The whole value, read into a buffer of exactly room bytes.
  StoreStatus Get(const std::string& key, const std::string& name, std::uint32_t room,
                  std::string* data, std::uint32_t* type = nullptr) {
    std::string buffer(room, '\x7F');
    std::uint32_t size = room;
    const StoreStatus status = store().Query(Key(key), name, buffer.data(), &size, type);
    if (status == StoreStatus::kOk) {
      *data = buffer.substr(0, size);
    } else if (status == StoreStatus::kMoreData) {
      *data = std::string(size, '?');  // only the size is known
    }
    return status;
  }
};

std::string Sz(const std::string& s) {
  return s + std::string(1, '\0');
}

}  // namespace

TEST_F(ValueStoreContract, EveryTypeComesBackWithItsDataAndType) {
  struct Case {
    const char* name;
    std::uint32_t type;
    std::string data;
  };
  const Case cases[] = {
      {"Dword", platform::kValueDword, std::string("\x01\x00\x00\x80", 4)},
      {"Text", platform::kValueText, Sz("/home/a/out/")},
      {"EmptyText", platform::kValueText, Sz("")},
      {"Quotes", platform::kValueText, Sz("C:\\a \"b\"\\")},
      {"Binary", platform::kValueBinary, std::string("\x00\xFF\x0A\x0D\x5C", 5)},
      {"EmptyBinary", platform::kValueBinary, ""},
      {"Qword", platform::kValueQword, std::string("\x01\x02\x03\x04\x05\x06\x07\x08", 8)},
      {"Multi", platform::kValueMultiText, std::string("a\0bc\0\0", 6)},
      {"Expand", platform::kValueExpandText, Sz("%TEMP%\\x")},
      {"None", platform::kValueNone, std::string("\x2A", 1)},
  };
  for (const Case& c : cases) {
    ASSERT_EQ(Put("Types", c.name, c.type, c.data), StoreStatus::kOk) << c.name;
  }
  for (const Case& c : cases) {
    std::string data;
    std::uint32_t type = 0xFFFF;
    ASSERT_EQ(Get("Types", c.name, 64, &data, &type), StoreStatus::kOk) << c.name;
    EXPECT_EQ(data, c.data) << c.name;
    EXPECT_EQ(type, c.type) << c.name;
  }
}

TEST_F(ValueStoreContract, MissingKeysAndValuesAreNotFound) {
  std::string data;
  EXPECT_EQ(Get("Nowhere", "PdfOrImage", 4, &data), StoreStatus::kNotFound);
  ASSERT_EQ(Put("BootData", "PdfOrImage", platform::kValueDword, std::string(4, '\0')),
            StoreStatus::kOk);
  EXPECT_EQ(Get("BootData", "ImageType", 4, &data), StoreStatus::kNotFound);
  EXPECT_EQ(Get("BootData\\Below", "PdfOrImage", 4, &data), StoreStatus::kNotFound);
}

TEST_F(ValueStoreContract, WritingCreatesEveryMissingKeyOnTheWay) {
  ASSERT_EQ(Put("A\\B\\C", "v", platform::kValueDword, std::string("\x05\0\0\0", 4)),
            StoreStatus::kOk);
  std::string data;
  ASSERT_EQ(Get("A\\B\\C", "v", 4, &data), StoreStatus::kOk);
  EXPECT_EQ(data, std::string("\x05\0\0\0", 4));
  EXPECT_EQ(Get("A\\B", "v", 4, &data), StoreStatus::kNotFound);
}

TEST_F(ValueStoreContract, DataThatDoNotFitTheBufferReportTheirSize) {
  const std::string long_text = Sz(std::string(300, 'f'));
  ASSERT_EQ(Put("BootData", "SelFolder", platform::kValueText, long_text), StoreStatus::kOk);
  std::string data;
  EXPECT_EQ(Get("BootData", "SelFolder", 260, &data), StoreStatus::kMoreData);
  EXPECT_EQ(data.size(), 301u);
  EXPECT_EQ(Get("BootData", "SelFolder", 301, &data), StoreStatus::kOk);
  EXPECT_EQ(data, long_text);

  // Exactly fitting data are read.
  ASSERT_EQ(Put("BootData", "Exact", platform::kValueBinary, "abcd"), StoreStatus::kOk);
  EXPECT_EQ(Get("BootData", "Exact", 4, &data), StoreStatus::kOk);
  EXPECT_EQ(Get("BootData", "Exact", 3, &data), StoreStatus::kMoreData);

  // Without a buffer only the size is asked for.
  std::uint32_t size = 0;
  EXPECT_EQ(store().Query(Key("BootData"), "Exact", nullptr, &size, nullptr), StoreStatus::kOk);
  EXPECT_EQ(size, 4u);
}

TEST_F(ValueStoreContract, ATextDigitReadIntoFourBytesIsTheDigitsCode) {
  ASSERT_EQ(Put("BootData", "BAndWFlg", platform::kValueText, Sz("1")), StoreStatus::kOk);
  unsigned char buffer[4] = {0, 0, 0, 0};
  std::uint32_t size = 4;
  ASSERT_EQ(store().Query(Key("BootData"), "BAndWFlg", buffer, &size, nullptr), StoreStatus::kOk);
  EXPECT_EQ(size, 2u);
  EXPECT_EQ(buffer[0], '1');
  EXPECT_EQ(buffer[1], 0);
  EXPECT_EQ(buffer[2], 0);
}

TEST_F(ValueStoreContract, AValueIsReplacedWholeAndNamesIgnoreCase) {
  ASSERT_EQ(Put("BootData", "SelFolder", platform::kValueText, Sz("/first/longer/")),
            StoreStatus::kOk);
  ASSERT_EQ(Put("BOOTDATA", "selfolder", platform::kValueDword, std::string("\x07\0\0\0", 4)),
            StoreStatus::kOk);
  std::string data;
  std::uint32_t type = 0;
  ASSERT_EQ(Get("bootdata", "SELFOLDER", 64, &data, &type), StoreStatus::kOk);
  EXPECT_EQ(type, platform::kValueDword);
  EXPECT_EQ(data, std::string("\x07\0\0\0", 4));
}

TEST_F(ValueStoreContract, TheDefaultValueHasTheEmptyName) {
  ASSERT_EQ(Put("Key", "", platform::kValueText, Sz("default")), StoreStatus::kOk);
  ASSERT_EQ(Put("Key", "named", platform::kValueText, Sz("named")), StoreStatus::kOk);
  std::string data;
  ASSERT_EQ(Get("Key", "", 64, &data), StoreStatus::kOk);
  EXPECT_EQ(data, Sz("default"));
}

TEST_F(ValueStoreContract, ShiftJisFolderNamesComeBackByteForByte) {
  // D:\図表\ソ\ : two characters whose second byte is 0x5C.
  const std::string folder = "D:\\\x90\x7D\x95\x5C\\\x83\x5C\\";
  ASSERT_EQ(Put("BootData", "AddFilFolder", platform::kValueText, Sz(folder)), StoreStatus::kOk);
  std::string data;
  ASSERT_EQ(Get("BootData", "AddFilFolder", 260, &data), StoreStatus::kOk);
  EXPECT_EQ(data, Sz(folder));
}
