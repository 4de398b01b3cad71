#pragma once
// Splitting a narrow path into folder and file name without taking the second byte of a two-byte
// character for a backslash.
#include <string>

namespace standin {

// Everything after the last separator (the whole path when there is none).
std::string FileNameOf(const std::string& path);

// Everything up to and including the last separator (empty when there is none).
std::string FolderOf(const std::string& path);

}  // namespace standin
