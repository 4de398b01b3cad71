#include "wingui/application.h"

#include <shellapi.h>

#include <vector>

#include "wingui/guard.h"

namespace plotxfer::wingui {
namespace {

Application* g_current = nullptr;

std::wstring ModulePath() {
  std::vector<wchar_t> buffer(MAX_PATH);
  for (;;) {
    const DWORD n = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (n == 0) {
      return {};
    }
    if (n < buffer.size()) {
      return std::wstring(buffer.data(), n);
    }
    buffer.resize(buffer.size() * 2);
  }
}

bool IsDialogWindow(HWND hwnd) {
  wchar_t name[16] = {};
  GetClassNameW(hwnd, name, 16);
  return lstrcmpW(name, L"#32770") == 0;
}

}  // namespace

std::wstring HelpPageFor(const std::wstring& program_path) {
  const std::size_t slash = program_path.find_last_of(L"\\/");
  const std::size_t dot = program_path.find_last_of(L'.');
  std::wstring base = program_path;
  if (dot != std::wstring::npos && (slash == std::wstring::npos || dot > slash)) {
    base.resize(dot);
  }
  return base + L".html";
}

Application::Application() : previous_(g_current) {
  g_current = this;
}

Application::~Application() {
  if (g_current == this) {
    g_current = previous_;
  }
}

Application* Application::Current() {
  return g_current;
}

int Application::Run(HINSTANCE instance, int show_command) {
  instance_ = instance ? instance : GetModuleHandleW(nullptr);
  show_command_ = show_command;
  const bool loop = Guarded("start-up", false, [&] { return InitInstance(); });
  if (loop) {
    for (;;) {
      MSG peek;
      if (!PeekMessageW(&peek, nullptr, 0, 0, PM_NOREMOVE)) {
        RunIdle();
      }
      if (!PumpMessage()) {
        exit_code_ = static_cast<int>(quit_code_);
        break;
      }
    }
  }
  return Guarded("end of the application", exit_code_, [&] { return ExitInstance(); });
}

bool Application::InitInstance() {
  if (!instance_) {
    instance_ = GetModuleHandleW(nullptr);
  }
  if (help_file_path_.empty()) {
    help_file_path_ = HelpPageFor(ModulePath());
  }
  return true;
}

int Application::ExitInstance() {
  return exit_code_;
}

bool Application::PumpMessage() {
  MSG msg{};
  const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
  if (got == 0) {
    quit_code_ = msg.wParam;
    return false;
  }
  if (got == -1) {
    return false;
  }
  if (!PreTranslateMessage(msg)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return true;
}

bool Application::OnIdle(long) {
  return false;
}

long Application::RunIdle() {
  long count = 0;
  while (Guarded("idle processing", false, [&] { return OnIdle(count); })) {
    ++count;
  }
  return count + 1;
}

bool Application::PreTranslateMessage(MSG& msg) {
  if (!msg.hwnd) {
    return false;
  }
  HWND root = GetAncestor(msg.hwnd, GA_ROOT);
  if (root && IsDialogWindow(root)) {
    return IsDialogMessageW(root, &msg) != FALSE;
  }
  return false;
}

bool Application::ExecuteCommand(UINT id) {
  return DispatchCommand(id);
}

bool Application::DispatchCommand(UINT) {
  return false;
}

void Application::OnHelp() {
  if (help_file_path_.empty()) {
    return;
  }
  const DWORD attributes = GetFileAttributesW(help_file_path_.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) ||
      !OpenDocument(help_file_path_)) {
    OnHelpUnavailable(help_file_path_);
  }
}

void Application::OnHelpUnavailable(const std::wstring&) {
}

bool Application::OpenDocument(const std::wstring& path) {
  const HINSTANCE result =
      ShellExecuteW(nullptr, L"open", path.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
  return reinterpret_cast<INT_PTR>(result) > 32;
}

}  // namespace plotxfer::wingui
