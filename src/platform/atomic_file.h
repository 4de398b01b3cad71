#pragma once
// Replacing a file's whole content so that readers only ever see the old file or the new one,
// and the user keeps what they had: a link stays a link and the file it points to gets the new
// content; the file keeps its mode and owner (its attributes and security on Windows).
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

namespace plotxfer::platform {

// The steps of a replacement, for tests that make one of them fail.
enum class ReplaceStep {
  kCreateTemporary,  // making the temporary file beside the target
  kWrite,            // each write, told how many bytes are already written
  kCommit,           // after the new content is on the disk, before it takes the target's place
};

struct ReplaceControl {
  // Asked before each step; false makes the step fail as the system would (a write as on a full
  // disk). Empty in normal use.
  std::function<bool(ReplaceStep step, std::size_t bytes_written)> fault;
  // Told how the file was written when that is out of the ordinary (rewritten in place).
  std::function<void(const std::string& note)> notice;
};

// Puts bytes in place of the file at path (following links to the file they point to):
// - normally through a temporary file beside the target, flushed to the disk and renamed over it
//   (ReplaceFileW on Windows, MoveFileExW when there is no file yet), keeping the file's mode and,
//   where the system allows, its owner;
// - in place (new bytes written over the old, then the length set and flushed) when the target
//   exists and is writable but no temporary file can be made beside it, when its owner could not
//   be kept, or when it has other hard links; a write that fails there puts the old bytes back.
// On any failure the old file is left whole (only a crash in the middle of an in-place rewrite
// could tear it), no temporary file is left, false is returned and *error (when given) says why.
bool ReplaceFileSafely(const std::string& path, std::string_view bytes, std::string* error,
                       const ReplaceControl& control);

// The same with the process-wide notices (see SetReplaceNotices) and no faults.
bool ReplaceFileContents(const std::string& path, std::string_view bytes,
                         std::string* error = nullptr);

// Where ReplaceFileContents tells of an in-place rewrite; the command line's verbose output.
void SetReplaceNotices(std::function<void(const std::string& note)> notice);

}  // namespace plotxfer::platform
