#include "platform/param_services.h"

#include "platform/atomic_file.h"
#include "platform/profile_reader.h"
#include "platform/screen.h"

namespace plotxfer::platform {

params::ParamServices SystemParamServices() {
  return {SystemProfileReader(), SystemScreen(), &ReplaceFileContents};
}

}  // namespace plotxfer::platform
