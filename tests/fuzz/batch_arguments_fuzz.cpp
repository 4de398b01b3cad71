// plotxfer-batch's command line: whatever the words, it ends with help, a usage error that says
// why, or a run whose options stay within what the tools accept.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "cli/batch_request.h"
#include "fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
  // The words are the input cut at each NUL; the program's name comes first.
  std::vector<std::string> words{"plotxfer-batch"};
  std::string word;
  for (std::size_t i = 0; i < size && words.size() < 64; ++i) {
    if (data[i] == '\0') {
      words.push_back(word);
      word.clear();
    } else {
      word += static_cast<char>(data[i]);
    }
  }
  if (!word.empty()) {
    words.push_back(word);
  }
  std::vector<const char*> argv;
  for (const std::string& w : words) {
    argv.push_back(w.c_str());
  }

  plotxfer::cli::BatchDefaults defaults;
  defaults.options = plotxfer::ConversionOptions::WithScreenDpi(96);
  defaults.program_folder = "/nonexistent/app/";
  char* out_text = nullptr;
  char* err_text = nullptr;
  std::size_t out_size = 0;
  std::size_t err_size = 0;
  std::FILE* out = open_memstream(&out_text, &out_size);
  std::FILE* err = open_memstream(&err_text, &err_size);
  const plotxfer::cli::ParseOutcome parsed = plotxfer::cli::ParseBatchArguments(
      static_cast<int>(argv.size()), argv.data(), defaults, out, err);
  std::fclose(out);
  std::fclose(err);
  const std::string said(err_text, err_size);
  std::free(out_text);
  std::free(err_text);

  if (!parsed.run) {
    FUZZ_CHECK(parsed.exit_code == 0 || parsed.exit_code == 2);
    FUZZ_CHECK(parsed.exit_code == 0 || !said.empty());
    return 0;
  }
  const plotxfer::ConversionOptions& o = parsed.request.options;
  FUZZ_CHECK(o.PdfOrImage == 0 || o.PdfOrImage == 1);
  FUZZ_CHECK(o.ImageType >= 0 && o.ImageType <= 3);
  FUZZ_CHECK(o.OutXdpi >= 72 && o.OutXdpi <= 600);
  for (int mm : {o.PdfOptXSize, o.PdfOptYSize, o.ImgOptXSize, o.ImgOptYSize}) {
    FUZZ_CHECK(mm >= 10 && mm <= 100000);
  }
  FUZZ_CHECK(o.PdfPaperType >= 0 && o.ImgPaperType >= 0);
  return 0;
}
