#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <memory>
#include <string>
#include <thread>

#include "vxsetup_library.h"

namespace {

struct TokenResult {
  int rc;
  std::string token;
};

class EndToken : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(vxsetup_test::LoadedLibrary().error, ""); }

  // The output is exactly as large as the text allows, so a write past it shows under the
  // sanitizers; it starts filled so that an output left uncleared shows too.
  static TokenResult Token(const std::string& text, const std::string& delimiters) {
    const std::size_t size = text.size() + 1;
    std::unique_ptr<char[]> out(new char[size]);
    std::memset(out.get(), 'X', size - 1);
    out[size - 1] = '\0';
    const int rc =
        vxsetup_test::LoadedLibrary().get_end_token(text.c_str(), delimiters.c_str(), out.get());
    return {rc, std::string(out.get())};
  }
};

// Shift-JIS bytes: 表 (second byte 0x5C), 図 and 面.
const std::string kSjisHyo = "\x95\x5C";
const std::string kSjisZumen = "\x90\x7D\x96\xCA";

}  // namespace

TEST_F(EndToken, GivesTheLastElementOfAPath) {
  EXPECT_EQ(Token("C:\\Vellumix\\Bin\\VELLUMIX.EXE", "\\").token, "VELLUMIX.EXE");
  EXPECT_EQ(Token("C:\\Vellumix\\Bin\\VELLUMIX.EXE", "\\").rc, 1);
  EXPECT_EQ(Token("\\\\server\\share\\plan.VX", "\\").token, "plan.VX");
  const TokenResult whole = Token("VELLUMIX.EXE", "\\");
  EXPECT_EQ(whole.rc, 1);
  EXPECT_EQ(whole.token, "VELLUMIX.EXE");
}

TEST_F(EndToken, TrailingDelimitersDoNotMakeTheTokenEmpty) {
  const TokenResult one = Token("C:\\Vellumix\\", "\\");
  EXPECT_EQ(one.rc, 1);
  EXPECT_EQ(one.token, "Vellumix");
  EXPECT_EQ(Token("C:\\Vellumix\\\\\\", "\\").token, "Vellumix");
  EXPECT_EQ(Token("a\\\\\\b", "\\").token, "b");
}

TEST_F(EndToken, OnlyDelimitersOrNoTextGiveNoToken) {
  for (const auto& [text, delimiters] : {std::pair<std::string, std::string>{"\\\\\\", "\\"},
                                         {"", "\\"},
                                         {"", ""},
                                         {"; ;;", "; "}}) {
    const TokenResult r = Token(text, delimiters);
    EXPECT_EQ(r.rc, 0) << '[' << text << ']';
    EXPECT_EQ(r.token, "") << '[' << text << ']';
  }
}

TEST_F(EndToken, EveryDelimiterSplitsWhateverItsPlaceInTheSet) {
  for (const char* delimiters : {"\\/;", ";/\\", "/;\\"}) {
    EXPECT_EQ(Token("a\\b/c;d", delimiters).token, "d") << delimiters;
    EXPECT_EQ(Token("a;b/c\\d", delimiters).token, "d") << delimiters;
    EXPECT_EQ(Token("x/y", delimiters).token, "y") << delimiters;
    EXPECT_EQ(Token("x;y", delimiters).token, "y") << delimiters;
    EXPECT_EQ(Token("x\\y", delimiters).token, "y") << delimiters;
    EXPECT_EQ(Token("x/;\\/y;;", delimiters).token, "y") << delimiters;
    EXPECT_EQ(Token("x:y", delimiters).token, "x:y") << delimiters;
  }
  EXPECT_EQ(Token("a b", "").token, "a b");
}

TEST_F(EndToken, DoubleByteCharactersAreWholeCharacters) {
  switch (vxsetup_test::LibraryCodePage()) {
    case 932:
      // A trail byte 0x5C is no backslash, and a double-byte delimiter splits only on itself.
      EXPECT_EQ(Token("C:\\" + kSjisZumen + "\\" + kSjisHyo, "\\").token, kSjisHyo);
      EXPECT_EQ(Token(kSjisHyo + "\\", "\\").token, kSjisHyo);
      EXPECT_EQ(Token("A" + kSjisHyo + "B", kSjisHyo).token, "B");
      EXPECT_EQ(Token("A\\B", kSjisHyo).token, "A\\B");
      EXPECT_EQ(Token("A" + kSjisHyo + "B\\C", "\\" + kSjisHyo).token, "C");
      EXPECT_EQ(Token(kSjisZumen + kSjisHyo + kSjisHyo, kSjisHyo).token, kSjisZumen);
      break;
    case 65001:
      // 表 E8 A1 A8 and 衣 E8 A1 A3 share two bytes; ・ E3 83 BB and ア E3 82 A2 share one.
      EXPECT_EQ(Token("C:\\図面\\表", "\\").token, "表");
      EXPECT_EQ(Token("A表B衣C", "表").token, "B衣C");
      EXPECT_EQ(Token("ア・イ", "・").token, "イ");
      EXPECT_EQ(Token("アイ", "・").token, "アイ");
      EXPECT_EQ(Token("a表b\\c", "\\表").token, "c");
      break;
    default:
      // A single-byte code page reads every byte as a character of its own.
      EXPECT_EQ(Token("C:\\" + kSjisHyo, "\\").token, "\x95");
      EXPECT_EQ(Token("A\\B", kSjisHyo).token, "B");
      break;
  }
}

TEST_F(EndToken, TextsOverTheLimitAreRefusedWithAnEmptyToken) {
  const std::string longest = std::string(VXSETUP_MAX_TEXT_BYTES - 2, 'a') + "\\b";
  ASSERT_EQ(longest.size(), 263u);
  const TokenResult fits = Token(longest, "\\");
  EXPECT_EQ(fits.rc, 1);
  EXPECT_EQ(fits.token, "b");

  const std::string one_too_many = std::string(VXSETUP_MAX_TEXT_BYTES - 1, 'a') + "\\b";
  const TokenResult refused = Token(one_too_many, "\\");
  EXPECT_EQ(refused.rc, 0);
  EXPECT_EQ(refused.token, "");

  const TokenResult huge = Token(std::string(100000, 'a') + "\\b", "\\");
  EXPECT_EQ(huge.rc, 0);
  EXPECT_EQ(huge.token, "");
}

TEST_F(EndToken, NullPointersFailWithoutTouchingAnything) {
  const auto end_token = vxsetup_test::LoadedLibrary().get_end_token;
  char out[16] = "junk";
  EXPECT_EQ(end_token(nullptr, "\\", out), 0);
  EXPECT_STREQ(out, "");
  std::strcpy(out, "junk");
  EXPECT_EQ(end_token("a\\b", nullptr, out), 0);
  EXPECT_STREQ(out, "");
  EXPECT_EQ(end_token("a\\b", "\\", nullptr), 0);
}

TEST_F(EndToken, CallersOnDifferentThreadsKeepTheirOwnPosition) {
  // Each walk over a text keeps its place between tokens; a place shared by threads would hand
  // one caller the other's tokens. Long texts of many short tokens keep both walks busy at once.
  const auto end_token = vxsetup_test::LoadedLibrary().get_end_token;
  std::atomic<bool> go{false};
  auto run = [&](char separator, const std::string& last, int* wrong) {
    std::string text;
    while (text.size() < 240) {
      text += "ab";
      text += separator;
    }
    text += last;
    char out[VXSETUP_MAX_TEXT_BYTES + 1];
    while (!go) {
    }
    for (int i = 0; i < 20000; ++i) {
      if (end_token(text.c_str(), "\\/", out) != 1 || last != out) {
        ++*wrong;
      }
    }
  };
  int wrong_a = 0;
  int wrong_b = 0;
  std::thread a(run, '\\', "first.exe", &wrong_a);
  std::thread b(run, '/', "second.vx", &wrong_b);
  go = true;
  a.join();
  b.join();
  EXPECT_EQ(wrong_a, 0);
  EXPECT_EQ(wrong_b, 0);
}
