// The help page ships beside the program under the name the framework's help looks for.
#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

#include "gui_test_support.h"
#include "wingui/application.h"

namespace plotxfer {
namespace {

TEST(HelpPage, LiesBesideTheProgramAndDeclaresItsEncoding) {
  const std::wstring page = wingui::HelpPageFor(guitest::WinePath(PLOTXFER_EXE));
  const DWORD attributes = GetFileAttributesW(page.c_str());
  ASSERT_NE(attributes, INVALID_FILE_ATTRIBUTES) << "no help page beside the program";
  std::ifstream in(page.c_str(), std::ios::binary);
  const std::string html((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_NE(html.find("<meta charset=\"utf-8\">"), std::string::npos);
  // It explains the status texts and error codes the list shows.
  for (const char* text : {"変換終了", "エラー(1)", "エラー(2)", "エラー(3)", "中断"}) {
    EXPECT_NE(html.find(text), std::string::npos) << text;
  }
}

}  // namespace
}  // namespace plotxfer
