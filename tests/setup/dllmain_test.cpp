#include <windows.h>

#include <gtest/gtest.h>

#include <string>

TEST(DllEntry, IsExportedByNameAndAcceptsEveryNotification) {
  char path[MAX_PATH] = {};
  const DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string dll(path, n);
  dll.erase(dll.find_last_of('\\') + 1);
  HMODULE module = LoadLibraryA((dll + "VxSetup.dll").c_str());
  ASSERT_NE(module, nullptr);
  using DllMainFn = BOOL(WINAPI*)(HINSTANCE, DWORD, LPVOID);
  const auto entry =
      reinterpret_cast<DllMainFn>(reinterpret_cast<void (*)()>(GetProcAddress(module, "DllMain")));
  ASSERT_NE(entry, nullptr);
  for (DWORD reason : {DLL_PROCESS_ATTACH, DLL_THREAD_ATTACH, DLL_THREAD_DETACH}) {
    EXPECT_EQ(entry(module, reason, nullptr), TRUE) << reason;
  }
  FreeLibrary(module);
}
