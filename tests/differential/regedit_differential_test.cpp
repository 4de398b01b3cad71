// Our settings files held against the system's registry editor: what our writer writes imports
// with "regedit /S" and reads back through RegQueryValueExA as the values we wrote, and what
// "regedit /E" exports of values set through RegSetValueExA reads back through our reader as the
// values that were set.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "core/settings/regedit_file.h"
#include "generated_text.h"
#include "platform/shell_text.h"

namespace {

using plotxfer::RegeditFile;
using plotxfer::differential::Hex;
using plotxfer::differential::Tally;
using plotxfer::differential::TextGenerator;

struct Value {
  std::string name;
  DWORD type;
  std::string data;
};

std::string Describe(const Value& v) {
  return "[" + Hex(v.name) + "] type " + std::to_string(v.type) + " [" + Hex(v.data) + "]";
}

std::string Le(std::uint64_t n, int bytes) {
  std::string out;
  for (int k = 0; k < bytes; ++k) {
    out += static_cast<char>((n >> (8 * k)) & 0xFF);
  }
  return out;
}

// A text as a program holds it: Japanese paths, backslashes, quotes, blanks, or nothing at all;
// and bytes that read as UTF-8 too, half-width kana before a character ending in 0x5C, where a
// writer that takes them for UTF-8 puts a backslash the registry editor reads as a trail byte.
std::string Text(TextGenerator& gen) {
  switch (gen.Below(7)) {
    case 0:
      return "";
    case 5: {
      std::string kana_then_5c;
      for (std::size_t n = 1 + gen.Below(3); n > 0; --n) {
        kana_then_5c += static_cast<char>(0xC2 + gen.Below(0x1E));
        kana_then_5c += gen.DoubleByteEndingIn5C(0x9F);
      }
      return kana_then_5c + (gen.OneIn(2) ? "\"" : "");
    }
    case 1:
      return "\"" + gen.Name(6) + "\"\\\"";
    case 2:
      return gen.Folder(250) + "\\";
    default:
      return gen.FilePath(259);
  }
}

// Every type we write, with the data they take: numbers up to the largest, texts with their
// terminating zero byte, lists of texts, raw bytes.
Value GeneratedValue(TextGenerator& gen, int index, bool narrow_names) {
  static constexpr char kNameTails[][4] = {"",    " ", "\"", "\\",   "=",
                                           "[x]", "@", ";",  "\\\"", "a b"};
  Value v;
  v.name = "v" + std::to_string(index) + kNameTails[gen.Below(std::size(kNameTails))];
  if (narrow_names && gen.OneIn(3)) {
    v.name += gen.DoubleByte() + gen.DoubleByte();
  }
  switch (gen.Below(8)) {
    case 0:
    case 1: {
      static constexpr std::uint32_t kEdges[] = {0, 1, 0x7FFFFFFF, 0x80000000, 0xFFFFFFFF};
      const std::uint32_t n = gen.OneIn(2) ? kEdges[gen.Below(std::size(kEdges))]
                                           : static_cast<std::uint32_t>(gen.Below(0xFFFFFFFF));
      v.type = REG_DWORD;
      v.data = Le(n, 4);
      break;
    }
    case 2:
    case 3:
    case 4:
      v.type = REG_SZ;
      v.data = Text(gen) + '\0';
      break;
    case 5:
      v.type = REG_EXPAND_SZ;
      v.data = "%SystemRoot%\\" + Text(gen) + '\0';
      break;
    case 6:
      v.type = REG_MULTI_SZ;
      v.data = Text(gen) + '\0' + gen.Name(5) + '\0' + '\0';
      break;
    default:
      v.type = gen.OneIn(2) ? REG_BINARY : REG_QWORD;
      v.data = v.type == REG_QWORD ? Le(0xFFFFFFFFFFFFFFFFull - gen.Below(1000), 8) : "";
      for (std::size_t k = v.type == REG_BINARY ? gen.Below(40) : 0; k > 0; --k) {
        v.data += static_cast<char>(gen.Below(256));
      }
      break;
  }
  return v;
}

std::string TempFile(const char* name) {
  char folder[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, folder);
  return std::string(folder) + "plotxfer-" + std::to_string(GetCurrentProcessId()) + "-" + name;
}

// Runs the system's registry editor with arguments; true when it ran and ended with 0.
bool RunRegedit(const std::string& arguments) {
  char windows[MAX_PATH] = {};
  GetWindowsDirectoryA(windows, MAX_PATH);
  const std::string program = std::string(windows) + "\\regedit.exe";
  std::string line = "regedit " + arguments;
  STARTUPINFOA si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  if (!CreateProcessA(program.c_str(), line.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW,
                      nullptr, nullptr, &si, &pi)) {
    return false;
  }
  WaitForSingleObject(pi.hProcess, INFINITE);
  DWORD code = 1;
  GetExitCodeProcess(pi.hProcess, &code);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  return code == 0;
}

// A key of the test's own under HKEY_CURRENT_USER, empty at the start and removed at the end.
class ScratchKey {
 public:
  explicit ScratchKey(const char* name)
      : name_(std::string("Software\\PlotxferDifferential\\") + name) {
    RegDeleteTreeA(HKEY_CURRENT_USER, name_.c_str());
  }
  ~ScratchKey() { RegDeleteTreeA(HKEY_CURRENT_USER, name_.c_str()); }
  const std::string& name() const { return name_; }
  std::string full() const { return "HKEY_CURRENT_USER\\" + name_; }

 private:
  std::string name_;
};

TEST(SettingsFilesAgainstTheRegistryEditor, WhatWeWriteImportsAsTheSameValues) {
  if (!plotxfer::differential::RunningInCodePage932()) {
    GTEST_SKIP() << "compared under code page 932";
  }
  TextGenerator gen(plotxfer::differential::Seed() + 2);
  const int inputs = plotxfer::differential::InputCount(2000);
  const ScratchKey key("Imported");
  std::vector<Value> values;
  RegeditFile file;
  for (int i = 0; i < inputs; ++i) {
    values.push_back(GeneratedValue(gen, i, false));
    ASSERT_TRUE(file.Set(key.full(), values.back().name, values.back().type, values.back().data))
        << Describe(values.back());
  }
  const std::string path = TempFile("written.reg");
  std::ofstream(path, std::ios::binary) << file.Serialize();
  ASSERT_TRUE(RunRegedit("/S \"" + path + "\""));
  DeleteFileA(path.c_str());

  Tally tally("settings files: our writer, imported by the registry editor");
  HKEY handle = nullptr;
  ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, key.name().c_str(), 0, KEY_READ, &handle),
            ERROR_SUCCESS);
  for (const Value& v : values) {
    tally.Compared();
    std::string data(64 * 1024, '\0');
    DWORD size = static_cast<DWORD>(data.size());
    DWORD type = 0;
    const LONG got = RegQueryValueExA(handle, v.name.c_str(), nullptr, &type,
                                      reinterpret_cast<BYTE*>(data.data()), &size);
    data.resize(got == ERROR_SUCCESS ? size : 0);
    if (got != ERROR_SUCCESS || type != v.type || data != v.data) {
      tally.Disagree("wrote " + Describe(v) + ", the registry holds " +
                     Describe({v.name, type, data}) + " (result " + std::to_string(got) + ")");
    }
  }
  RegCloseKey(handle);
}

TEST(SettingsFilesAgainstTheRegistryEditor, WhatItExportsReadsAsTheSameValues) {
  if (!plotxfer::differential::RunningInCodePage932()) {
    GTEST_SKIP() << "compared under code page 932";
  }
  TextGenerator gen(plotxfer::differential::Seed() + 3);
  const int inputs = plotxfer::differential::InputCount(2000);
  const ScratchKey key("Exported");
  HKEY handle = nullptr;
  ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, key.name().c_str(), 0, nullptr, 0, KEY_WRITE,
                            nullptr, &handle, nullptr),
            ERROR_SUCCESS);
  std::vector<Value> values;
  for (int i = 0; i < inputs; ++i) {
    values.push_back(GeneratedValue(gen, i, true));
    const Value& v = values.back();
    ASSERT_EQ(RegSetValueExA(handle, v.name.c_str(), 0, v.type,
                             reinterpret_cast<const BYTE*>(v.data.data()),
                             static_cast<DWORD>(v.data.size())),
              ERROR_SUCCESS)
        << Describe(v);
  }
  RegCloseKey(handle);
  const std::string path = TempFile("exported.reg");
  ASSERT_TRUE(RunRegedit("/E \"" + path + "\" \"" + key.full() + "\""));
  std::ifstream in(path, std::ios::binary);
  const std::string exported{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  in.close();
  DeleteFileA(path.c_str());

  std::string error;
  const auto file = RegeditFile::Parse(exported, &error, plotxfer::platform::NarrowFromUtf8);
  ASSERT_TRUE(file.has_value()) << error;
  Tally tally("settings files: the registry editor's export, read by our reader");
  for (const Value& v : values) {
    tally.Compared();
    const plotxfer::RegeditValue* read = file->Find(key.full(), v.name);
    if (read == nullptr || read->type != v.type || read->data != v.data) {
      tally.Disagree("set " + Describe(v) + ", read " +
                     (read == nullptr ? std::string("nothing")
                                      : Describe({read->name, read->type, read->data})));
    }
  }
}

}  // namespace
