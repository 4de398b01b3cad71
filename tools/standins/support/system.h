#pragma once
// The few operating-system services the stand-ins need, one implementation per platform.
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

namespace standin {

// The command line exactly as this process received it: GetCommandLineA on Windows; on Linux,
// where a process gets argv only, the line Windows would have handed over for the same argv.
std::string ReceivedCommandLine(int argc, char** argv);

// The arguments the tool works with: on Windows the received line split by the C runtime's rules in
// the active code page; on Linux argv itself.
std::vector<std::string> ReceivedArguments(int argc, char** argv);

// True for a byte that starts a two-byte character in the active narrow code page.
bool IsLeadByte(unsigned char c);

// '\\' and '/' on Windows, '/' on Linux.
bool IsPathSeparator(char c);

std::optional<std::string> GetEnvironment(const char* name);

// Appends the bytes in one write to the end of the file, creating it if needed, so lines written
// by processes that run at the same time never interleave.
bool AppendToFile(const std::string& path, const std::string& bytes);

void SleepMilliseconds(std::uint32_t ms);

// Ends the process abnormally, as a crash would, without any dialog.
[[noreturn]] void CrashNow();

bool IsDirectory(const std::string& path);

// Moves a finished temporary file over the target, replacing an older file of that name.
bool MoveIntoPlace(const std::string& from, const std::string& to);

void RemoveFile(const std::string& path);

std::uint32_t ProcessId();

// Text in the narrow encoding of file names (ANSI code page on Windows, UTF-8 on Linux) as UTF-16.
std::u16string NarrowToUtf16(const std::string& text);

// 64-bit seek on a stdio stream.
bool SeekFile(std::FILE* file, std::uint64_t offset);

}  // namespace standin
