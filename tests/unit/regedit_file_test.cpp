#include "core/settings/regedit_file.h"

#include <gtest/gtest.h>

#include <string>

#include "../common/same_regedit_model.h"

using plotxfer::RegeditFile;
using plotxfer::RegeditValue;

namespace {

const char kKey[] = "HKEY_CURRENT_USER\\SOFTWARE\\MORVA\\PLOTXFER\\BootData";

std::string Bytes(std::initializer_list<int> bytes) {
  std::string s;
  for (int b : bytes) {
    s.push_back(static_cast<char>(b));
  }
  return s;
}

RegeditFile MustParse(const std::string& text) {
  std::string error;
  std::optional<RegeditFile> file = RegeditFile::Parse(text, &error);
  EXPECT_TRUE(file.has_value()) << error;
  return file ? *file : RegeditFile();
}

void ExpectValue(const RegeditFile& file, const std::string& key, const std::string& name,
                 std::uint32_t type, const std::string& data) {
  const RegeditValue* v = file.Find(key, name);
  ASSERT_NE(v, nullptr) << key << " " << name;
  EXPECT_EQ(v->type, type) << name;
  EXPECT_EQ(v->data, data) << name;
}

}  // namespace

TEST(RegeditWriting, WritesTheFormOtherToolsRead) {
  RegeditFile file;
  ASSERT_TRUE(file.Set(kKey, "PdfOrImage", 4, Bytes({1, 0, 0, 0})));
  ASSERT_TRUE(file.Set(kKey, "SelFolder", 1, std::string("/home/a/out/\0", 13)));
  ASSERT_TRUE(file.Set(kKey, "", 1, std::string("default\0", 8)));
  ASSERT_TRUE(file.Set(kKey, "Raw", 3, Bytes({0x01, 0xAB, 0xFF})));
  ASSERT_TRUE(file.Set(kKey, "Quad", 11, Bytes({0, 0, 0, 0, 1, 0, 0, 0})));
  ASSERT_TRUE(file.Set(kKey, "a\\b\"c", 1, std::string("C:\\out\\\"x\"\\\0", 12)));
  ASSERT_TRUE(file.Set("HKEY_CURRENT_USER\\SOFTWARE\\MORVA\\PLOTXFER\\PDF", "ConnectNum", 4,
                       Bytes({0x78, 0x56, 0x34, 0x12})));
  EXPECT_EQ(file.Serialize(),
            "REGEDIT4\n"
            "\n"
            "[HKEY_CURRENT_USER\\SOFTWARE\\MORVA\\PLOTXFER\\BootData]\n"
            "\"PdfOrImage\"=dword:00000001\n"
            "\"SelFolder\"=\"/home/a/out/\"\n"
            "@=\"default\"\n"
            "\"Raw\"=hex:01,ab,ff\n"
            "\"Quad\"=hex(b):00,00,00,00,01,00,00,00\n"
            "\"a\\\\b\\\"c\"=\"C:\\\\out\\\\\\\"x\\\"\\\\\"\n"
            "\n"
            "[HKEY_CURRENT_USER\\SOFTWARE\\MORVA\\PLOTXFER\\PDF]\n"
            "\"ConnectNum\"=dword:12345678\n"
            "\n");
}

TEST(RegeditWriting, EveryTypeAndShapeOfDataComesBackAsItWas) {
  const std::string long_binary = [] {
    std::string s;
    for (int i = 0; i < 300; ++i) {
      s.push_back(static_cast<char>(i * 7));
    }
    return s;
  }();
  struct Case {
    const char* name;
    std::uint32_t type;
    std::string data;
  };
  const Case cases[] = {
      {"dword", 4, Bytes({0xFF, 0xFF, 0xFF, 0xFF})},
      {"short dword", 4, Bytes({1, 2})},
      {"long dword", 4, Bytes({1, 2, 3, 4, 5})},
      {"text", 1, std::string("abc\0", 4)},
      {"empty text", 1, std::string("\0", 1)},
      {"text without its zero", 1, "abc"},
      {"text of no bytes", 1, ""},
      {"text with a line break", 1, std::string("a\nb\r\0", 5)},
      {"text with a zero inside", 1, std::string("a\0b\0", 4)},
      {"text with two zeros at its end", 1, std::string("ab\0\0", 4)},
      {"Shift-JIS text", 1, std::string("\x95\x5C\x83\x5C\0", 5)},
      {"UTF-8 text", 1, std::string("\xE8\xA1\xA8\xE3\x82\xBD/\0", 8)},
      {"UTF-8 text before a quote", 1, std::string("\xE8\xA1\xA8\"\0", 5)},
      {"expandable text", 2, std::string("%HOME%\0", 7)},
      {"multi text", 7, std::string("a\0b\0\0", 5)},
      {"binary", 3, long_binary},
      {"empty binary", 3, ""},
      {"none", 0, Bytes({9})},
      {"qword", 11, Bytes({1, 2, 3, 4, 5, 6, 7, 8})},
      {"odd type", 0xDEADBEEF, "z"},
  };
  RegeditFile file;
  for (const Case& c : cases) {
    ASSERT_TRUE(file.Set(kKey, c.name, c.type, c.data)) << c.name;
  }
  const std::string text = file.Serialize();
  for (char c : text) {
    ASSERT_NE(c, '\0') << "a zero byte was written raw";
  }
  const RegeditFile back = MustParse(text);
  for (const Case& c : cases) {
    ExpectValue(back, kKey, c.name, c.type, c.data);
  }
  EXPECT_EQ(back.Serialize(), text);
  // Long hex data are wrapped, every line kept short.
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t end = text.find('\n', start);
    EXPECT_LE(end - start, 80u) << text.substr(start, end - start);
    start = end + 1;
  }
}

TEST(RegeditReading, ReadsWhatTheRegistryEditorExports) {
  const std::string text =
      "\xEF\xBB\xBFREGEDIT4\r\n"
      "\r\n"
      "; settings of a user\r\n"
      "[HKEY_CURRENT_USER\\Software\\Morva\\Plotxfer]\r\n"
      "\r\n"
      "[HKEY_CURRENT_USER\\Software\\Morva\\Plotxfer\\BootData]\r\n"
      "\"PdfOrImage\"=dword:1\r\n"
      "\"ImageType\" = DWORD:0000000A  \r\n"
      "\"SelFolder\"=\"D:\\\\out\\\\\"\r\n"
      "@=\"x\"\r\n"
      "\"Bin\"=hex:01,02,\\\r\n"
      "  03,04,\\\r\n"
      "  0A\r\n"
      "\"Empty\"=hex:\r\n"
      "\"Multi\"=hex(7):61,00,00\r\n"
      "\"Escapes\"=\"a\\nb\\rc\\0d\\qe\"\r\n";
  const RegeditFile file = MustParse(text);
  // Names and keys are matched without regard to case.
  const std::string key = "HKEY_CURRENT_USER\\SOFTWARE\\MORVA\\PLOTXFER\\BOOTDATA";
  ExpectValue(file, key, "pdforimage", 4, Bytes({1, 0, 0, 0}));
  ExpectValue(file, key, "ImageType", 4, Bytes({10, 0, 0, 0}));
  ExpectValue(file, key, "SelFolder", 1, std::string("D:\\out\\\0", 8));
  ExpectValue(file, key, "", 1, std::string("x\0", 2));
  ExpectValue(file, key, "Bin", 3, Bytes({1, 2, 3, 4, 10}));
  ExpectValue(file, key, "Empty", 3, "");
  ExpectValue(file, key, "Multi", 7, std::string("a\0\0", 3));
  ExpectValue(file, key, "Escapes", 1, std::string("a\nb\rc\0d\\qe\0", 11));
  EXPECT_EQ(file.Find(key, "Missing"), nullptr);
  EXPECT_EQ(file.Find("HKEY_CURRENT_USER\\SOFTWARE\\MORVA\\PLOTXFER\\PDF", "PdfOrImage"), nullptr);
  EXPECT_EQ(file.keys().size(), 2u);
}

TEST(RegeditReading, LaterLinesChangeWhatEarlierLinesSaid) {
  const RegeditFile file = MustParse(
      "REGEDIT4\n"
      "[HKEY_CURRENT_USER\\A]\n"
      "\"v\"=dword:00000001\n"
      "\"w\"=dword:00000001\n"
      "[HKEY_CURRENT_USER\\A\\B]\n"
      "\"v\"=dword:00000001\n"
      "[HKEY_CURRENT_USER\\AB]\n"
      "\"v\"=dword:00000001\n"
      "[hkey_current_user\\a]\n"
      "\"V\"=dword:00000002\n"
      "\"w\"=-\n"
      "[-HKEY_CURRENT_USER\\A\\B]\n");
  // A key named twice is one key; a value named twice keeps the last data and its first name.
  ASSERT_NE(file.Find("HKEY_CURRENT_USER\\A", "v"), nullptr);
  EXPECT_EQ(file.Find("HKEY_CURRENT_USER\\A", "v")->data, Bytes({2, 0, 0, 0}));
  EXPECT_EQ(file.Find("HKEY_CURRENT_USER\\A", "v")->name, "v");
  EXPECT_EQ(file.Find("HKEY_CURRENT_USER\\A", "w"), nullptr);
  // Removing a key removes what lies below it, not keys that merely share its first letters.
  EXPECT_EQ(file.Find("HKEY_CURRENT_USER\\A\\B", "v"), nullptr);
  EXPECT_NE(file.Find("HKEY_CURRENT_USER\\AB", "v"), nullptr);
}

TEST(RegeditReading, RefusesWhatItCannotReadAndSaysWhere) {
  struct Case {
    const char* title;
    std::string text;
    const char* line;
  };
  const Case cases[] = {
      {"empty file", "", "line 0"},
      {"another header", "Windows Registry Editor Version 6.00\n", "line 1"},
      {"value before any key", "REGEDIT4\n\"a\"=dword:1\n", "line 2"},
      {"unknown root", "REGEDIT4\n[HKEY_NOWHERE\\A]\n", "line 2"},
      {"root name only in part", "REGEDIT4\n[HKEY_CURRENT_USERS\\A]\n", "line 2"},
      {"unclosed key", "REGEDIT4\n[HKEY_CURRENT_USER\\A\n", "line 2"},
      {"unclosed name", "REGEDIT4\n[HKEY_CURRENT_USER\\A]\n\"a=dword:1\n", "line 3"},
      {"unclosed text", "REGEDIT4\n[HKEY_CURRENT_USER\\A]\n\"a\"=\"x\n", "line 3"},
      {"text followed by more", "REGEDIT4\n[HKEY_CURRENT_USER\\A]\n\"a\"=\"x\"y\n", "line 3"},
      {"no equals sign", "REGEDIT4\n[HKEY_CURRENT_USER\\A]\n\"a\" dword:1\n", "line 3"},
      {"nine dword digits", "REGEDIT4\n[HKEY_CURRENT_USER\\A]\n\"a\"=dword:000000001\n", "line 3"},
      {"dword not hex", "REGEDIT4\n[HKEY_CURRENT_USER\\A]\n\"a\"=dword:12g4\n", "line 3"},
      {"bad hex byte", "REGEDIT4\n[HKEY_CURRENT_USER\\A]\n\"a\"=hex:01,123\n", "line 3"},
      {"hex digits past an int", "REGEDIT4\n[HKEY_CURRENT_USER\\A]\n\"a\"=hex:123456789abcdef0\n",
       "line 3"},
      {"hex without commas", "REGEDIT4\n[HKEY_CURRENT_USER\\A]\n\"a\"=hex:01 02\n", "line 3"},
      {"bad hex type", "REGEDIT4\n[HKEY_CURRENT_USER\\A]\n\"a\"=hex(z):01\n", "line 3"},
      {"nine hex type digits", "REGEDIT4\n[HKEY_CURRENT_USER\\A]\n\"a\"=hex(000000001):01\n",
       "line 3"},
      {"no dword digits", "REGEDIT4\n[HKEY_CURRENT_USER\\A]\n\"a\"=dword:\n", "line 3"},
      {"unknown data", "REGEDIT4\n[HKEY_CURRENT_USER\\A]\n\"a\"=word:1\n", "line 3"},
      {"continued past the end", "REGEDIT4\n[HKEY_CURRENT_USER\\A]\n\"a\"=hex:01,\\\n", "line 3"},
      {"stray line", "REGEDIT4\n[HKEY_CURRENT_USER\\A]\ngarbage\n", "line 3"},
      {"value of a removed key", "REGEDIT4\n[-HKEY_CURRENT_USER\\A]\n\"a\"=dword:1\n", "line 3"},
      {"line break in a name", "REGEDIT4\n[HKEY_CURRENT_USER\\A]\n\"a\\nb\"=dword:1\n", "line 3"},
      {"binary garbage", std::string("\x00\x01\xFF\xFE garbage", 12), "line 1"},
      {"UTF-16 cut in half a unit", std::string("\xFF\xFEW\0i", 5), "UTF-16"},
      {"UTF-16 with a lone surrogate", std::string("\xFF\xFEW\0\x00\xDC", 6), "UTF-16"},
      {"UTF-16 text of hex(1) cut in half a unit",
       "Windows Registry Editor Version 5.00\n[HKEY_CURRENT_USER\\A]\n\"a\"=hex(1):41,00,42\n",
       "line 3"},
  };
  for (const Case& c : cases) {
    std::string error;
    EXPECT_FALSE(RegeditFile::Parse(c.text, &error).has_value()) << c.title;
    EXPECT_NE(error.find(c.line), std::string::npos) << c.title << ": " << error;
  }
}

TEST(RegeditWriting, RefusesNamesThatCouldNotBeReadBack) {
  RegeditFile file;
  EXPECT_FALSE(file.Set("SOFTWARE\\MORVA", "a", 4, Bytes({1, 0, 0, 0})));  // no root
  EXPECT_FALSE(file.Set("HKEY_CURRENT_USER\\A\\\\B", "a", 4, ""));         // empty part
  EXPECT_FALSE(file.Set("HKEY_CURRENT_USER\\A\\", "a", 4, ""));
  EXPECT_FALSE(file.Set("HKEY_CURRENT_USER\\A", "line\nbreak", 4, ""));
  EXPECT_FALSE(file.Set("HKEY_CURRENT_USER\\A\nB", "a", 4, ""));
  EXPECT_FALSE(file.Set("HKEY_CURRENT_USER\\A", "\x95\x5C", 4, ""));  // not UTF-8
  // The registry editor reads the file in the ANSI code page, where the last byte of 表 may take
  // the closing quote, a backslash or a bracket along as its second byte.
  EXPECT_FALSE(file.Set("HKEY_CURRENT_USER\\A", "\xE8\xA1\xA8", 4, ""));
  EXPECT_FALSE(file.Set("HKEY_CURRENT_USER\\A", "\xE8\xA1\xA8\"x", 4, ""));
  EXPECT_FALSE(file.Set("HKEY_CURRENT_USER\\\xE8\xA1\xA8\\B", "a", 4, ""));
  EXPECT_FALSE(file.Set("HKEY_CURRENT_USER\\A\xE8\xA1\xA8", "a", 4, ""));
  EXPECT_TRUE(file.keys().empty());

  ASSERT_TRUE(file.Set("HKEY_CURRENT_USER\\A", "Name", 4, Bytes({1, 0, 0, 0})));
  ASSERT_TRUE(file.Set("hkey_current_user\\a", "NAME", 1, std::string("x\0", 2)));
  ASSERT_EQ(file.keys().size(), 1u);
  ASSERT_EQ(file.keys()[0].values.size(), 1u);
  EXPECT_EQ(file.keys()[0].path, "HKEY_CURRENT_USER\\A");
  EXPECT_EQ(file.keys()[0].values[0].name, "Name");
  EXPECT_EQ(file.keys()[0].values[0].type, 1u);
}

namespace {

using plotxfer::testing::SameRegeditModel;

// A small fixed-seed generator, so a failure can be replayed.
class Random {
 public:
  explicit Random(std::uint32_t seed) : state_(seed) {}
  std::uint32_t Next() {
    state_ ^= state_ << 13;
    state_ ^= state_ >> 17;
    state_ ^= state_ << 5;
    return state_;
  }
  std::size_t Below(std::size_t n) { return Next() % n; }

 private:
  std::uint32_t state_;
};

std::string RandomName(Random& r) {
  // Non-ASCII characters come with a letter after them: the form refuses a name where one stands
  // before a quote, a backslash or the end.
  static const std::string kPieces[] = {"a",
                                        "Z",
                                        "\\",
                                        "\"",
                                        " ",
                                        "=",
                                        "@",
                                        "[",
                                        "]",
                                        ";",
                                        "\xE8\xA1\xA8"
                                        "a",
                                        "\xC3\xA9"
                                        "z",
                                        "-",
                                        "0",
                                        ",",
                                        "hex:"};
  std::string name;
  const std::size_t n = r.Below(6);
  for (std::size_t i = 0; i < n; ++i) {
    name += kPieces[r.Below(std::size(kPieces))];
  }
  return name;
}

std::string RandomData(Random& r) {
  std::string data;
  const std::size_t n = r.Below(4) == 0 ? r.Below(200) : r.Below(8);
  for (std::size_t i = 0; i < n; ++i) {
    static const char kBytes[] = {'a', '\\', '"', '\0', '\n', '\r', ',', '\x95', '\x5C', '\xFF'};
    data.push_back(r.Below(3) == 0 ? static_cast<char>(r.Next()) : kBytes[r.Below(sizeof kBytes)]);
  }
  if (r.Below(2) == 0) {
    data.push_back('\0');
  }
  return data;
}

}  // namespace

TEST(RegeditRobustness, WhateverIsSetIsReadBackExactly) {
  Random r(20240611);
  for (int round = 0; round < 300; ++round) {
    RegeditFile file;
    const std::size_t keys = 1 + r.Below(3);
    for (std::size_t k = 0; k < keys; ++k) {
      std::string path = "HKEY_CURRENT_USER\\SOFTWARE";
      for (std::size_t depth = r.Below(3); depth > 0; --depth) {
        std::string part = RandomName(r);
        // Parts of a key path are never empty and hold no separator.
        part.erase(std::remove(part.begin(), part.end(), '\\'), part.end());
        path += '\\';
        path += part.empty() ? std::string("k") : part;
      }
      const std::size_t values = r.Below(5);
      for (std::size_t v = 0; v < values; ++v) {
        static const std::uint32_t kTypes[] = {0, 1, 1, 1, 2, 3, 4, 4, 7, 11, 0x20000};
        ASSERT_TRUE(
            file.Set(path, RandomName(r), kTypes[r.Below(std::size(kTypes))], RandomData(r)));
      }
    }
    const std::string text = file.Serialize();
    std::string error;
    const std::optional<RegeditFile> back = RegeditFile::Parse(text, &error);
    ASSERT_TRUE(back.has_value()) << error << "\n" << text;
    ASSERT_TRUE(SameRegeditModel(file, *back)) << text;
  }
}

TEST(RegeditRobustness, ADamagedFileIsRefusedOrReadStably) {
  RegeditFile sample;
  sample.Set(kKey, "PdfOrImage", 4, Bytes({1, 0, 0, 0}));
  sample.Set(kKey, "SelFolder", 1, std::string("/home/a \"b\"\\\0", 13));
  sample.Set(kKey, "Raw", 3, std::string(90, '\x5A'));
  sample.Set("HKEY_CURRENT_USER\\X", "", 0x21, "q");
  const std::string original = sample.Serialize();
  Random r(7);
  int parsed = 0;
  for (int round = 0; round < 3000; ++round) {
    std::string text = original;
    for (std::size_t edits = 1 + r.Below(4); edits > 0; --edits) {
      const std::size_t at = r.Below(text.size() + 1);
      switch (r.Below(3)) {
        case 0:
          text.insert(at, 1, "\"\\[]=,:\n\r-@;x0\xC3"[r.Below(16)]);
          break;
        case 1:
          if (at < text.size()) {
            text.erase(at, 1 + r.Below(3));
          }
          break;
        default:
          if (at < text.size()) {
            text[at] = static_cast<char>(r.Next());
          }
          break;
      }
    }
    const std::optional<RegeditFile> file = RegeditFile::Parse(text);
    if (!file) {
      continue;
    }
    ++parsed;
    // Whatever was read is written in a form that reads back the same.
    const std::optional<RegeditFile> again = RegeditFile::Parse(file->Serialize());
    ASSERT_TRUE(again.has_value()) << text;
    ASSERT_TRUE(SameRegeditModel(*file, *again)) << text;
  }
  EXPECT_GT(parsed, 100);  // the damage must leave some files readable, or nothing was tested
}
