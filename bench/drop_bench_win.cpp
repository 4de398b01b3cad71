// How soon the main dialog shows 99 drawings dropped on it (Windows, or Wine).
//   plotxfer_drop_bench [ROUNDS]
// Copies of the sample drawings, d00.VX to d98.VX, in a folder of their own. Each round opens the
// real dialog afresh and fills it three ways, side by side: the 99 files dropped as Explorer
// hands them over, their folder dropped, and the same 99 rows put into the list directly, without
// any test of the files but with the list painting each row as it comes (what the list did before
// it held its painting during an addition). The time runs from the drop until the last row is
// scrolled into view and painted. Goal: at most 1 s for a drop.
#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "resources/resource.h"
#include "ui/pltxfr_dlg_win.h"
#include "wingui/application.h"
#include "wingui/strings.h"

namespace {

using Clock = std::chrono::steady_clock;

class BenchApplication : public plotxfer::wingui::Application {};

constexpr int kDrawings = 99;

std::string ReadAll(const std::string& path) {
  std::string bytes;
  if (std::FILE* f = std::fopen(path.c_str(), "rb")) {
    char buffer[65536];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, f)) > 0;) {
      bytes.append(buffer, n);
    }
    std::fclose(f);
  }
  return bytes;
}

bool WriteAll(const std::string& path, const std::string& bytes) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) {
    return false;
  }
  const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  return std::fclose(f) == 0 && ok;
}

// What Explorer hands a window on a drop: the names in UTF-16 after a DROPFILES header.
HDROP MakeDrop(const std::vector<std::wstring>& paths) {
  std::size_t chars = 1;
  for (const std::wstring& path : paths) {
    chars += path.size() + 1;
  }
  HGLOBAL memory = GlobalAlloc(GHND, sizeof(DROPFILES) + chars * sizeof(wchar_t));
  auto* drop = static_cast<DROPFILES*>(GlobalLock(memory));
  drop->pFiles = sizeof(DROPFILES);
  drop->fWide = TRUE;
  auto* out = reinterpret_cast<wchar_t*>(reinterpret_cast<char*>(drop) + sizeof(DROPFILES));
  for (const std::wstring& path : paths) {
    std::copy(path.begin(), path.end(), out);
    out += path.size() + 1;
  }
  GlobalUnlock(memory);
  return static_cast<HDROP>(memory);
}

// One fresh dialog, on screen and idle; then fill (a drop, or rows put in directly) until the last
// row is shown. Milliseconds, or -1 when the list did not end with every drawing.
double TimeOneFill(const std::function<void(plotxfer::ui::PLTXFRDlg&)>& fill) {
  plotxfer::ConversionOptions record;
  plotxfer::ui::PLTXFRDlg dialog;
  dialog.FillFrom(record);
  if (!dialog.Create()) {
    return -1;
  }
  ShowWindow(dialog.hwnd(), SW_SHOWNORMAL);
  UpdateWindow(dialog.hwnd());
  dialog.dialog_view().ProcessPendingMessages();

  const auto start = Clock::now();
  fill(dialog);
  HWND list = GetDlgItem(dialog.hwnd(), IDC_DRAWING_LIST);
  SendMessageW(list, LVM_ENSUREVISIBLE, kDrawings - 1, FALSE);
  RedrawWindow(dialog.hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  const double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
  const bool whole =
      dialog.RowCount() == kDrawings && SendMessageW(list, LVM_GETITEMCOUNT, 0, 0) == kDrawings;
  return whole ? ms : -1;
}

void Print(const char* what, std::vector<double> ms) {
  std::sort(ms.begin(), ms.end());
  std::printf("  %-34s best %7.1f ms, median %7.1f ms, worst %7.1f ms\n", what, ms.front(),
              ms[ms.size() / 2], ms.back());
}

}  // namespace

int main(int argc, char** argv) {
  const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
  BenchApplication application;

  char temp[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, temp);
  const std::string folder =
      std::string(temp) + "plotxfer-drop-bench-" + std::to_string(GetCurrentProcessId());
  CreateDirectoryA(folder.c_str(), nullptr);
  const char* samples[] = {"plan.VX", "elevation.VX", "section.rev2.VX"};
  std::vector<std::wstring> files;
  std::vector<std::string> narrow;
  for (int i = 0; i < kDrawings; ++i) {
    char name[16];
    std::snprintf(name, sizeof name, "\\d%02d.VX", i);
    const std::string path = folder + name;
    const std::string bytes = ReadAll(std::string(PLOTXFER_DEMO_DRAWINGS) + "/" + samples[i % 3]);
    if (bytes.empty() || !WriteAll(path, bytes)) {
      std::fprintf(stderr, "plotxfer_drop_bench: cannot lay out %s\n", path.c_str());
      return 1;
    }
    narrow.push_back(path);
    files.push_back(plotxfer::wingui::AnsiToWide(path));
  }
  const std::wstring wide_folder = plotxfer::wingui::AnsiToWide(folder);

  std::vector<double> dropped_files, dropped_folder, row_by_row;
  bool ok = true;
  for (int round = 0; round < rounds && ok; ++round) {
    const auto drop = [](const std::vector<std::wstring>& names) {
      return [names](plotxfer::ui::PLTXFRDlg& d) {
        SendMessageW(d.hwnd(), WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop(names)), 0);
      };
    };
    const double a = TimeOneFill(drop(files));
    const double b = TimeOneFill(drop({wide_folder}));
    const double c = TimeOneFill([&](plotxfer::ui::PLTXFRDlg& d) {
      plotxfer::ui::DialogView& view = d.dialog_view();
      for (int i = 0; i < kDrawings; ++i) {
        view.ListInsertRow(i, plotxfer::ui::RowNumberText(i));
        view.ListSetCell(i, 1, narrow[static_cast<std::size_t>(i)]);
        d.DrawingPaths.push_back(narrow[static_cast<std::size_t>(i)]);
      }
    });
    ok = a >= 0 && b >= 0 && c >= 0;
    dropped_files.push_back(a);
    dropped_folder.push_back(b);
    row_by_row.push_back(c);
  }
  for (const std::string& path : narrow) {
    DeleteFileA(path.c_str());
  }
  RemoveDirectoryA(folder.c_str());
  if (!ok) {
    std::fprintf(stderr, "plotxfer_drop_bench: the list did not show all %d drawings\n", kDrawings);
    return 1;
  }
  std::printf("%d drawings onto the main dialog, %d rounds, until the last row is shown:\n",
              kDrawings, rounds);
  Print("99 files dropped:", dropped_files);
  Print("their folder dropped:", dropped_folder);
  Print("99 rows listed, each painted:", row_by_row);
  return 0;
}
