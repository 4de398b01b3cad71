#pragma once
// -v: each command line printed exactly as it is handed to the process start, before the start.
#include <cstdio>
#include <string>

#include "cli/progress.h"
#include "platform/process.h"

namespace plotxfer::cli {

class EchoingRunner : public platform::ProcessRunner {
 public:
  // progress: the progress line to step around while printing; null when there is none.
  EchoingRunner(platform::ProcessRunner& inner, std::FILE* out, ProgressDisplay* progress = nullptr)
      : inner_(inner), out_(out), progress_(progress) {}
  platform::ToolOutcome Run(const std::string& program, const std::string& command_line) override {
    Echo(command_line);
    return inner_.Run(program, command_line);
  }
  // How the tool ended, for the row's detail, is the inner runner's to tell.
  platform::ToolExit LastExit() const override { return inner_.LastExit(); }

 private:
  void Echo(const std::string& command_line) {
    const auto print = [&] {
      std::fprintf(out_, "%s\n", command_line.c_str());
      std::fflush(out_);
    };
    if (progress_ != nullptr) {
      progress_->Around(print);
    } else {
      print();
    }
  }

  platform::ProcessRunner& inner_;
  std::FILE* out_;
  ProgressDisplay* progress_;
};

}  // namespace plotxfer::cli
