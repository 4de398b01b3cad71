// The Windows command-line splitter. Lines built from tokens give those tokens back: the
// converter's own form (every argument in double quotes, when it may stand there) in every code
// page, and any argument quoted by the C runtime's rules. On any line it agrees with the
// stand-ins' splitter, written apart from it.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdio>
#include <string>
#include <vector>

#include "core/text/command_line.h"
#include "fuzz_check.h"
#include "support/win_cmdline.h"

namespace {

std::vector<std::string> Tokens(FuzzedDataProvider& in) {
  std::vector<std::string> tokens;
  const std::size_t count = in.ConsumeIntegralInRange<std::size_t>(0, 6);
  for (std::size_t i = 0; i < count; ++i) {
    std::string t = in.ConsumeRandomLengthString(40);
    std::erase(t, '\0');  // no command line can carry one
    tokens.push_back(std::move(t));
  }
  return tokens;
}

void PrintTokens(const char* title, const std::vector<std::string>& tokens) {
  std::fprintf(stderr, "%s:", title);
  for (const std::string& t : tokens) {
    std::fprintf(stderr, " [");
    for (unsigned char c : t) {
      std::fprintf(stderr, c >= 0x20 && c < 0x7F ? "%c" : "\\x%02X", c);
    }
    std::fprintf(stderr, "]");
  }
  std::fprintf(stderr, "\n");
}

// Both token lists are printed before the property stops the run.
bool Same(const std::vector<std::string>& got, const std::vector<std::string>& want) {
  if (got != want) {
    PrintTokens("split", got);
    PrintTokens("wanted", want);
  }
  return got == want;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
  using namespace plotxfer::text;
  FuzzedDataProvider in(data, size);
  const auto cp = in.PickValueInArray({CodePage::SingleByte, CodePage::ShiftJis, CodePage::Utf8});
  const int form = in.ConsumeIntegralInRange(0, 2);

  if (form == 0) {
    // As the converter builds its lines: "program" "arg" ..., only arguments that may be quoted.
    std::vector<std::string> argv = {"C:\\App\\VXCVPX.exe"};
    std::string line = "\"" + argv[0] + "\"";
    for (std::string& t : Tokens(in)) {
      if (Quotable(t, cp)) {
        line += " \"" + t + "\"";
        argv.push_back(std::move(t));
      }
    }
    FUZZ_CHECK(Same(SplitCommandLine(line, cp), argv));
  } else if (form == 1) {
    // Any arguments, quoted by the runtime's rules; single-byte bytes only carry no lead bytes.
    std::vector<std::string> argv = Tokens(in);
    argv.insert(argv.begin(), "prog");
    const std::string line = standin::JoinWindowsCommandLine(argv);
    FUZZ_CHECK(Same(SplitCommandLine(line, CodePage::SingleByte), argv));
    FUZZ_CHECK(Same(SplitCommandLine(line, CodePage::Utf8), argv));
  } else {
    std::string line = in.ConsumeRemainingBytesAsString();
    std::erase(line, '\0');
    const auto ours = SplitCommandLine(line, cp);
    if (cp != CodePage::ShiftJis) {
      FUZZ_CHECK(Same(ours, standin::SplitWindowsCommandLine(line)));
    }
  }
  return 0;
}
