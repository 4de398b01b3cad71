#pragma once
// The parameter file's rewrite wired to the real system.
#include "core/params/param_file.h"

namespace plotxfer::platform {

// The settings-file reader, the screen and the atomic file replacement of this platform.
params::ParamServices SystemParamServices();

}  // namespace plotxfer::platform
