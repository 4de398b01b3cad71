// Our code page 932 rules held against the system's own: the lead-byte rule for every byte, the
// character length and last-character rules for every two-byte text, and the path helpers for
// generated Japanese paths.
#include <windows.h>
#include <shlwapi.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <string_view>

#include "core/text/codepage.h"
#include "core/text/path.h"
#include "generated_text.h"

namespace {

using plotxfer::differential::Hex;
using plotxfer::differential::Tally;
using plotxfer::text::CodePage;
using plotxfer::text::PathStyle;

constexpr CodePage kSjis = CodePage::ShiftJis;

// Offsets the system's helpers give for a zero-ended text, and ours for the same bytes: the
// character after the first one, and the start of the last one (0 for an empty text, where
// CharPrevExA stays at the start and ours has none).
std::size_t OurNext(std::string_view s) {
  return s.empty() ? 0 : plotxfer::text::NextChar(s, 0, kSjis);
}
std::size_t OurLast(std::string_view s) {
  const std::size_t last = plotxfer::text::LastCharStart(s, kSjis);
  return last == plotxfer::text::npos ? 0 : last;
}
std::size_t SystemNext(const char* s) {
  return static_cast<std::size_t>(CharNextExA(932, s, 0) - s);
}
std::size_t SystemLast(const char* s) {
  return static_cast<std::size_t>(CharPrevExA(932, s, s + std::strlen(s), 0) - s);
}

TEST(CodePage932AgainstTheSystem, EveryByteAndEveryTwoByteText) {
  if (!plotxfer::differential::RunningInCodePage932()) {
    GTEST_SKIP() << "compared under code page 932";
  }
  Tally tally("code page 932: every byte and every two-byte text");
  for (int b = 0; b < 256; ++b) {
    tally.Compared();
    const bool ours = plotxfer::text::IsLeadByte(static_cast<unsigned char>(b), kSjis);
    const bool system = IsDBCSLeadByteEx(932, static_cast<BYTE>(b)) != FALSE;
    if (ours != system) {
      tally.Disagree("lead byte " + Hex(std::string(1, static_cast<char>(b))) + "ours " +
                     std::to_string(ours) + ", the system's " + std::to_string(system));
    }
  }
  // Every two bytes, as a zero-ended text: a zero second byte makes a one-byte text, a zero first
  // byte an empty one.
  for (int a = 0; a < 256; ++a) {
    for (int b = 0; b < 256; ++b) {
      tally.Compared();
      const char bytes[3] = {static_cast<char>(a), static_cast<char>(b), '\0'};
      const std::string_view s(bytes, std::strlen(bytes));
      if (OurNext(s) != SystemNext(bytes) || OurLast(s) != SystemLast(bytes)) {
        tally.Disagree(Hex(s) + "next: ours " + std::to_string(OurNext(s)) + ", the system's " +
                       std::to_string(SystemNext(bytes)) + "; last: ours " +
                       std::to_string(OurLast(s)) + ", the system's " +
                       std::to_string(SystemLast(bytes)));
      }
    }
  }
}

// The folder of a path (PathRemoveFileSpecA then PathAddBackslashA, as the list takes a drawing's
// folder), its file name (PathFindFileNameA), and whether a text ends in a backslash
// (PathAddBackslashA adds none), over generated Japanese paths and every cut of them.
TEST(CodePage932AgainstTheSystem, PathHelpersOnGeneratedJapanesePaths) {
  if (!plotxfer::differential::RunningInCodePage932()) {
    GTEST_SKIP() << "compared under code page 932";
  }
  plotxfer::differential::TextGenerator gen(plotxfer::differential::Seed());
  const int inputs = plotxfer::differential::InputCount(3000);
  Tally tally("code page 932: path helpers over generated Japanese paths");
  for (int i = 0; i < inputs; ++i) {
    std::string path = gen.FilePath(263);
    const bool forward_slashes = gen.OneIn(5);
    if (forward_slashes) {
      // The shell's file-name helper takes '/' as a separator too; the folder helper does not.
      for (std::size_t k = 2; k < path.size(); k = plotxfer::text::NextChar(path, k, kSjis)) {
        if (path[k] == '\\' && gen.OneIn(2)) {
          path[k] = '/';
        }
      }
    }
    std::string why;
    tally.Compared();
    const std::string_view name = plotxfer::text::FileNameOf(path, PathStyle::Windows, kSjis);
    const char* system_name = PathFindFileNameA(path.c_str());
    if (name != system_name) {
      why += "file name: ours [" + Hex(name) + "], the system's [" + Hex(system_name) + "]; ";
    }
    if (!forward_slashes) {
      char folder[MAX_PATH + 8] = {};
      std::memcpy(folder, path.data(), std::min<std::size_t>(path.size(), MAX_PATH - 2));
      if (path.size() < MAX_PATH - 1) {
        PathRemoveFileSpecA(folder);
        PathAddBackslashA(folder);
        const std::string ours = plotxfer::text::FolderOfPath(path, PathStyle::Windows, kSjis);
        if (ours != folder) {
          why += "folder: ours [" + Hex(ours) + "], the system's [" + Hex(folder) + "]; ";
        }
      }
    }
    // A cut anywhere, through a character or not.
    const std::string cut = path.substr(0, gen.Below(path.size() + 1));
    if (cut.size() < MAX_PATH - 1) {
      char added[MAX_PATH + 8] = {};
      std::memcpy(added, cut.data(), cut.size());
      PathAddBackslashA(added);
      const bool system_ends = !cut.empty() && std::strlen(added) == cut.size();
      if (plotxfer::text::EndsWithBackslash(cut, kSjis) != system_ends) {
        why += "ends in a backslash: ours " +
               std::to_string(plotxfer::text::EndsWithBackslash(cut, kSjis)) + "; ";
      }
      if (!forward_slashes &&
          plotxfer::text::WithTrailingSeparator(cut, PathStyle::Windows, kSjis) != added) {
        why += "with a backslash added: the system's [" + Hex(added) + "]; ";
      }
    }
    if (OurLast(cut) != SystemLast(cut.c_str())) {
      why += "last character: ours " + std::to_string(OurLast(cut)) + ", the system's " +
             std::to_string(SystemLast(cut.c_str())) + "; ";
    }
    if (!why.empty()) {
      tally.Disagree("path [" + Hex(path) + "] cut at " + std::to_string(cut.size()) + ": " + why);
    }
  }
}

}  // namespace
