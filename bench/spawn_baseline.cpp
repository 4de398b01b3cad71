// The baseline of the conversion benchmark: starts the tools with the given command lines one
// after the other and waits for each, with no converter logic around them (no header test, no
// deletions, no existence checks, no line building). They are started the way plotxfer-batch
// starts them (its runner, without limits), so that only what the converter adds is compared:
// under Wine a plain start and wait costs a third more per tool than one in a job object.
//   spawn_baseline LINES-FILE
// Each line of LINES-FILE is a whole command line whose first token is the quoted program path.
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "platform/process.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: spawn_baseline LINES-FILE\n");
    return 2;
  }
  std::ifstream in(argv[1], std::ios::binary);
  if (!in) {
    std::fprintf(stderr, "spawn_baseline: cannot read %s\n", argv[1]);
    return 2;
  }
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') {
      line.pop_back();
    }
    if (line.size() > 1 && line[0] == '"') {
      lines.push_back(line);
    }
  }
  const auto supervised = plotxfer::platform::MakeSupervisedProcessRunner({});
  auto& runner = *supervised;
  int failed = 0;
  for (const std::string& line : lines) {
    const std::string program = line.substr(1, line.find('"', 1) - 1);
    if (runner.Run(program, line) == plotxfer::platform::ToolOutcome::NotStarted) {
      ++failed;
    }
  }
  if (failed != 0) {
    std::fprintf(stderr, "spawn_baseline: %d of %zu tools did not start\n", failed, lines.size());
    return 1;
  }
  return 0;
}
