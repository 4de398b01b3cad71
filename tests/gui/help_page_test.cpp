// The help page ships beside the program under the name the framework's help looks for.
#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "core/convert/conversion_result.h"

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
  // Every status the list can show has a row of the status table, saying what it means and what
  // the user can do (three cells). The error codes are every result a conversion can give.
  std::vector<std::string> statuses = {"変換中...", "変換終了", "中断"};
  for (int code = InvalidDrawing; code <= PathRefused; ++code) {
    statuses.push_back("エラー(" + std::to_string(code) + ")");
  }
  for (const std::string& status : statuses) {
    const std::size_t row = html.find("<tr><td>" + status + "</td>");
    ASSERT_NE(row, std::string::npos) << status;
    const std::string line = html.substr(row, html.find("</tr>", row) - row);
    std::size_t cells = 0;
    for (std::size_t at = line.find("<td>"); at != std::string::npos;
         at = line.find("<td>", at + 1)) {
      ++cells;
    }
    EXPECT_EQ(cells, 3u) << status;
    EXPECT_EQ(line.find("<td></td>"), std::string::npos) << status;
  }
  // It covers what the program does: the list, the run, the combined PDF and the sheet.
  for (const char* section : {"図面の一覧", "変換の実行", "結合した PDF", "出力設定"}) {
    EXPECT_NE(html.find(std::string("<h2>") + section), std::string::npos) << section;
  }
}

}  // namespace
}  // namespace plotxfer
