#include <windows.h>

// The library keeps no set-up of its own, so every notification (process and thread attach and
// detach) is accepted. The installer finds this entry by its plain name too (see VxSetup.def).
extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) {
  return TRUE;
}
