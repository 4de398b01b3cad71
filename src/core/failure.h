#pragma once
// How the engine says that something failed; every step that can fail says it this way:
// - It returns bool (true: done), std::optional of what it makes, or, where callers act
//   differently on each failure, a code whose zero value is success (ConversionResult,
//   RunRefusal).
// - Its last parameter, `why`, receives the reason when it fails: English words for the command
//   line, reports and tests. A caller that keeps failures silent (the dialog) passes nullptr.
//   A drawing's conversion says why in a ConversionFailure, whose kind a front end words in its
//   own language.
// No empty text means success, no magic number means failure, no exception leaves a module.
// The front ends only translate a failure into a message, a status or an exit code.
#include <string>
#include <utility>

namespace plotxfer {

// `return Fail(why, "...")`: gives the reason to a caller that asked for it, and fails.
inline bool Fail(std::string* why, std::string what) {
  if (why != nullptr) {
    *why = std::move(what);
  }
  return false;
}

}  // namespace plotxfer
