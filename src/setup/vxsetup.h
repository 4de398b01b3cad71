#pragma once
// VxSetup: the helper library the installer loads to find the drafting system's folder (the
// default folder for installing the converter) and to take the last element of a delimited text.
//
// Both exports report 1 for success and 0 for failure, and leave an empty output on failure.
// Texts are narrow strings in the platform's narrow encoding (the ANSI code page on Windows,
// UTF-8 elsewhere); a double-byte character is always one character, so its trail byte is
// never taken for a backslash or a delimiter.
//
// Where ExePath comes from:
//   Windows: registry, HKEY_USERS\.DEFAULT\Software\Morva\Vellumix, value ExePath.
//   Linux:   the same key and value in a REGEDIT4 text file (UTF-8). The file named by the
//            environment variable VXSETUP_REGISTRY_FILE when it is set and not empty; otherwise
//            MORVA/Vellumix.reg in the first folder of $XDG_CONFIG_DIRS (default /etc/xdg) that
//            holds one. The machine-wide folder fits a key of the default user profile.
// On every platform the value names the drafting system's Windows program file, so the folder is
// cut at its last backslash.

#if defined(_WIN32)
#define VXSETUP_CALL __stdcall
#define VXSETUP_EXPORT
#else
#define VXSETUP_CALL
#define VXSETUP_EXPORT __attribute__((visibility("default")))
#endif

#ifdef __cplusplus
extern "C" {
#endif

// folder: the caller's buffer of at least VXSETUP_FOLDER_BUFFER_SIZE bytes.
VXSETUP_EXPORT int VXSETUP_CALL GetDefaultInstallPath(char* folder);

// text: at most VXSETUP_MAX_TEXT_BYTES bytes; longer texts are refused.
// token: the caller's buffer, at least as large as text with its terminating zero.
VXSETUP_EXPORT int VXSETUP_CALL GetEndToken(const char* text, const char* delimiters, char* token);

#ifdef __cplusplus
}
#endif

#define VXSETUP_FOLDER_BUFFER_SIZE 512
#define VXSETUP_MAX_TEXT_BYTES 263

#ifdef __cplusplus
// For callers that load the library at run time.
using VxGetDefaultInstallPathFn = int(VXSETUP_CALL*)(char*);
using VxGetEndTokenFn = int(VXSETUP_CALL*)(const char*, const char*, char*);
#endif
