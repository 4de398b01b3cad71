#pragma once
// Path pieces for both path styles, multibyte aware.
//
// Windows paths take '\' (and also '/') as separators and a drive colon as the end of a
// prefix; Posix paths take '/'. A Shift-JIS trail byte 0x5C is never a separator.
#include <cstddef>
#include <string>
#include <string_view>

#include "core/text/codepage.h"

namespace plotxfer::text {

enum class PathStyle {
  Windows,  // C:\dir\plan.VX
  Posix,    // /home/user/plan.VX
};

// The separator the style writes when it adds one.
inline char PathSeparator(PathStyle style) {
  return style == PathStyle::Windows ? '\\' : '/';
}

// Index of the first byte of the last path component (after the last separator, or after a
// drive colon on Windows); 0 when the path has no separator.
std::size_t FileNameStart(std::string_view path, PathStyle style, CodePage cp);

// True when the last character of path is a separator of the style.
bool EndsWithSeparator(std::string_view path, PathStyle style, CodePage cp);

// The path's folder with a trailing separator: C:\dir\a.VX gives C:\dir\ and C:\a.VX gives C:\.
// A bare name gives the empty text, and a drive-relative C:a.VX gives C:.
std::string FolderOfPath(std::string_view path, PathStyle style, CodePage cp);

// The folder that holds what path names, to open or create it: FolderOfPath without its
// trailing separator (a root keeps it), "." for a bare name.
std::string ParentFolder(std::string_view path, PathStyle style, CodePage cp);

// The last component: C:\dir\plan.VX gives plan.VX.
std::string_view FileNameOf(std::string_view path, PathStyle style, CodePage cp);

// The last component cut at its last dot; a name without a dot is whole: plan.rev2.VX gives
// plan.rev2.
std::string_view NameWithoutExtension(std::string_view path, PathStyle style, CodePage cp);

// The path with the last dot of its file name and everything after it removed; a path whose
// file name has no dot is unchanged. Dots in folder names are never taken.
std::string_view PathWithoutExtension(std::string_view path, PathStyle style, CodePage cp);

// The folder with a separator appended unless it is empty or already ends in one.
std::string WithTrailingSeparator(std::string_view folder, PathStyle style, CodePage cp);

// True when both texts name the same path as the style compares names: byte for byte on Posix;
// on Windows ignoring the letter case of single-byte characters and taking '/' for '\'.
// Different spellings of one file (relative and absolute, 8.3 names, links) are not detected.
bool SamePathText(std::string_view a, std::string_view b, PathStyle style, CodePage cp);

}  // namespace plotxfer::text
