#pragma once
// What makes a file a drawing: its name's extension and the 32-byte header it begins with.
#include <cstddef>
#include <string>
#include <string_view>

namespace plotxfer {

// Results in the order the test reaches them; callers only tell HeaderOk from the rest.
enum HeaderResult : int {
  HeaderOk = 0,
  HeaderOpenFailed = 1,  // cannot be opened (or is not a file)
  HeaderTooShort = 2,    // fewer than 32 bytes from the start
  HeaderBadMagic = 3,    // bytes 4..20 are not "KRESTO PLANX V4.0"
  HeaderBadVersion = 4,  // byte 25 outside 4..11
};

inline constexpr int kDrawingHeaderSize = 32;
inline constexpr char kDrawingMagic[] = "KRESTO PLANX V4.0";
inline constexpr int kDrawingMagicOffset = 4;
inline constexpr int kDrawingVersionOffset = 25;
inline constexpr int kOldestDrawingVersion = 4;
inline constexpr int kNewestDrawingVersion = 11;

// True when name (a file name or a whole path, in any code page) ends in ".VX" in any letter
// case: a.vx and A.VX are drawings, a.vx.bak and a name without a dot are not.
bool HasDrawingExtension(std::string_view name);

// Judges the header of the drawing at path (a narrow path in the platform's encoding).
// Reads at most the first 32 bytes, shares the file with every other reader and writer,
// and always closes it again.
HeaderResult CheckDrawingHeader(const std::string& path);

// True when the drawing at path is refused only for its version, and that version is above the
// newest one read: a drawing saved by a newer VELLUMIX. Reads the same 32 bytes as the test.
bool IsNewerDrawing(const std::string& path);

// A short English reason for a result, for reports on the command line.
const char* DescribeHeaderResult(HeaderResult result);

// The same judgement over bytes already in memory (fewer than 32 gives HeaderTooShort).
HeaderResult JudgeDrawingHeader(const unsigned char* bytes, std::size_t size);

}  // namespace plotxfer
