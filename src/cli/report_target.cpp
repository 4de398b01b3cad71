#include "cli/report_target.h"

#include <chrono>
#include <cstdio>
#include <optional>

#include "core/failure.h"

namespace plotxfer::cli {

namespace {

std::string FolderOf(const std::string& path, text::PathStyle style, text::CodePage cp) {
  const std::string folder = text::FolderOfPath(path, style, cp);
  return folder.empty() ? "." : folder;
}

bool SameFolder(const std::string& a, const std::string& b, platform::InputFiles& system,
                text::PathStyle style, text::CodePage cp) {
  const std::optional<platform::FileFacts> fa = system.Facts(a);
  const std::optional<platform::FileFacts> fb = system.Facts(b);
  if (fa && fb) {
    return fa->SameFileAs(*fb);
  }
  const auto bare = [&](const std::string& p) {
    std::string s = system.Absolute(p);
    while (s.size() > 1 && (s.back() == '/' || (style == text::PathStyle::Windows &&
                                                s.back() == '\\' && s[s.size() - 2] != ':'))) {
      s.pop_back();
    }
    return s;
  };
  return text::SamePathText(bare(a), bare(b), style, cp);
}

}  // namespace

bool ReportPathFree(const std::string& report, const std::vector<RunFile>& files,
                    const std::string& forbidden_folder, platform::InputFiles& system,
                    text::PathStyle style, text::CodePage cp, std::string* why) {
  const std::string absolute = system.Absolute(report);
  const std::optional<platform::FileFacts> facts = system.Facts(report);
  for (const RunFile& file : files) {
    if (file.path.empty()) {
      continue;
    }
    bool same = text::SamePathText(absolute, system.Absolute(file.path), style, cp);
    if (!same && facts) {
      const std::optional<platform::FileFacts> other = system.Facts(file.path);
      same = other && other->SameFileAs(*facts);
    }
    if (same) {
      return Fail(why, "it is " + file.role + " (" + file.path + ")");
    }
  }
  if (!forbidden_folder.empty() &&
      SameFolder(FolderOf(report, style, cp), forbidden_folder, system, style, cp)) {
    return Fail(why, "it is in the output utility's folder " + forbidden_folder);
  }
  return true;
}

bool ReportFolderWritable(const std::string& report, platform::InputFiles& system,
                          text::PathStyle style, text::CodePage cp, std::string* why) {
  const std::string folder = FolderOf(report, style, cp);
  const std::optional<platform::FileFacts> facts = system.Facts(folder);
  if (!facts || !facts->folder) {
    return Fail(why, "no folder " + folder);
  }
  if (const std::optional<platform::FileFacts> target = system.Facts(report);
      target && target->folder) {
    return Fail(why, "it is a folder");
  }
  // The report replaces its file through a temporary one beside it; one made and removed now
  // shows that the end of the run can.
  const std::string probe =
      text::WithTrailingSeparator(folder, style, cp) + ".plotxfer-report-" +
      std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()) + ".tmp";
  if (std::FILE* f = std::fopen(probe.c_str(), "wb")) {
    std::fclose(f);
    std::remove(probe.c_str());
    return true;
  }
  // Where nothing can be made beside it, an existing report is rewritten in place.
  if (system.Facts(report)) {
    if (std::FILE* f = std::fopen(report.c_str(), "ab")) {
      std::fclose(f);
      return true;
    }
  }
  return Fail(why, "no file can be written in the folder " + folder);
}

}  // namespace plotxfer::cli
