#include "core/drawing/header.h"

#include <cstdio>
#include <cstring>

namespace plotxfer {

bool HasDrawingExtension(std::string_view name) {
  // '.' is never part of a double-byte character, so the last three bytes are three characters;
  // setting bit 5 lowers V and X and nothing else becomes v or x.
  const auto lower = [](char c) { return static_cast<char>(c | 0x20); };
  const std::size_t n = name.size();
  return n >= 3 && name[n - 3] == '.' && lower(name[n - 2]) == 'v' && lower(name[n - 1]) == 'x';
}

HeaderResult JudgeDrawingHeader(const unsigned char* bytes, std::size_t size) {
  if (size < static_cast<std::size_t>(kDrawingHeaderSize)) {
    return HeaderTooShort;
  }
  if (std::memcmp(bytes + kDrawingMagicOffset, kDrawingMagic, sizeof kDrawingMagic - 1) != 0) {
    return HeaderBadMagic;
  }
  const int version = bytes[kDrawingVersionOffset];
  if (version < kOldestDrawingVersion || version > kNewestDrawingVersion) {
    return HeaderBadVersion;
  }
  return HeaderOk;
}

const char* DescribeHeaderResult(HeaderResult result) {
  switch (result) {
    case HeaderOk:
      return "a drawing";
    case HeaderOpenFailed:
      return "the file cannot be opened";
    case HeaderTooShort:
      return "the file is shorter than a drawing header";
    case HeaderBadMagic:
      return "the file is not a drawing";
    case HeaderBadVersion:
      return "the drawing's version is not supported";
  }
  return "unknown header result";
}

namespace {

// The first bytes of the file at path, at most the header's size; false when it cannot be read.
bool ReadHeaderBytes(const std::string& path, unsigned char (&header)[kDrawingHeaderSize],
                     std::size_t* got) {
  // The C runtime opens "rb" without denying other readers or writers on Windows, and takes
  // the narrow path in the platform's encoding on both platforms.
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (f == nullptr) {
    return false;
  }
  // Unbuffered, so that not one byte past the header is read from the file.
  std::setvbuf(f, nullptr, _IONBF, 0);
  *got = 0;
  while (*got < sizeof header) {
    const std::size_t n = std::fread(header + *got, 1, sizeof header - *got, f);
    if (n == 0) {
      break;
    }
    *got += n;
  }
  // A folder opens on some systems but cannot be read: it is no drawing file at all.
  const bool unreadable = *got == 0 && std::ferror(f) != 0;
  std::fclose(f);
  return !unreadable;
}

}  // namespace

HeaderResult CheckDrawingHeader(const std::string& path) {
  unsigned char header[kDrawingHeaderSize];
  std::size_t got = 0;
  if (!ReadHeaderBytes(path, header, &got)) {
    return HeaderOpenFailed;
  }
  return JudgeDrawingHeader(header, got);
}

bool IsNewerDrawing(const std::string& path) {
  unsigned char header[kDrawingHeaderSize];
  std::size_t got = 0;
  return ReadHeaderBytes(path, header, &got) &&
         JudgeDrawingHeader(header, got) == HeaderBadVersion &&
         header[kDrawingVersionOffset] > kNewestDrawingVersion;
}

}  // namespace plotxfer
