#include "platform/program_arguments.h"

namespace plotxfer::platform {

bool ProgramArguments(int argc, char** argv, std::vector<std::string>* args, std::string*) {
  args->assign(argv, argv + argc);
  return true;
}

}  // namespace plotxfer::platform
