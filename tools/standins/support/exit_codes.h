#pragma once
// Exit codes of both stand-ins.
namespace standin {

inline constexpr int kExitOk = 0;
inline constexpr int kExitUsage = 2;        // the command line is not one the tool takes
inline constexpr int kExitBadInput = 3;     // the drawing or CSD file cannot be read or is refused
inline constexpr int kExitWriteFailed = 4;  // the output cannot be made or written

}  // namespace standin
