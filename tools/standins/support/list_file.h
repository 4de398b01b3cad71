#pragma once
// The list file of a combined PDF: one CSD path per line, CR LF (or LF), no empty lines.
#include <cstddef>
#include <string>
#include <vector>

namespace standin {

inline constexpr std::size_t kMaxListEntries = 9999;

// The paths the list names, in order. Refused, with the reason in *why, for
// an empty line, more than kMaxListEntries lines, or no line at all.
bool ParseListFile(const std::string& bytes, std::vector<std::string>* paths, std::string* why);

}  // namespace standin
