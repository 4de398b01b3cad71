#pragma once
#include <string>

namespace plotxfer::platform {

// The full path of the running program file in the platform's narrow encoding, or empty when
// the system cannot say.
std::string ProgramFilePath();

}  // namespace plotxfer::platform
