#include <CLI/CLI.hpp>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>

#include "cli/batch_request.h"
#include "platform/input_files.h"
#include "core/convert/run.h"
#include "core/convert/status_text.h"
#include "core/text/path.h"
#include "platform/codepage.h"
#include "platform/path_style.h"
#include "plotxfer_version.h"

namespace plotxfer::cli {

namespace {

std::string Upper(std::string s) {
  for (char& c : s) {
    c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  }
  return s;
}

bool ParseMm(std::string_view text, int* mm) {
  const char* end = text.data() + text.size();
  const auto [p, ec] = std::from_chars(text.data(), end, *mm);
  return ec == std::errc() && p == end;
}

// The paper names of the sheet; "A4P" stands for the A4 portrait row.
int PaperNumber(const std::string& name) {
  const std::string up = Upper(name);
  if (up == "A4P") {
    return kA4PortraitPaper;
  }
  for (std::size_t i = 0; i < PaperSizeTable.size(); ++i) {
    if (static_cast<int>(i) != kA4PortraitPaper && up == PaperSizeTable[i].name) {
      return static_cast<int>(i);
    }
  }
  return -1;
}

}  // namespace

bool ApplyPaper(const std::string& value, ConversionOptions& o, std::string* why) {
  const bool image = o.PdfOrImage != 0;
  int& size_type = image ? o.ImgSizeType : o.PdfSizeType;
  int& paper = image ? o.ImgPaperType : o.PdfPaperType;
  int& custom_x = image ? o.ImgOptXSize : o.PdfOptXSize;
  int& custom_y = image ? o.ImgOptYSize : o.PdfOptYSize;

  if (Upper(value) == "DRAWING") {
    size_type = 0;
    return true;
  }
  if (const int number = PaperNumber(value); number >= 0) {
    size_type = 1;
    paper = number;
    return true;
  }
  const auto x = value.find_first_of("xX");
  int w = 0;
  int h = 0;
  if (x == std::string::npos || !ParseMm(std::string_view(value).substr(0, x), &w) ||
      !ParseMm(std::string_view(value).substr(x + 1), &h)) {
    *why = "expected drawing, A0, A1, A2, A3, A4, A4P, B0, B1, B2, B3, B4 or WIDTHxHEIGHT in mm";
    return false;
  }
  if (w < kMinCustomSize || w > kMaxCustomSize || h < kMinCustomSize || h > kMaxCustomSize) {
    *why = "width and height must each be 10 to 100000 mm";
    return false;
  }
  size_type = 1;
  paper = kCustomPaper;
  custom_x = w;
  custom_y = h;
  return true;
}

namespace {

// The command line's folders as the OS sees them: on Windows through the ANSI calls, so folders
// with Japanese names in code page 932 are found.
std::string CheckFolder(const std::string& path) {
  const std::optional<platform::FileFacts> facts = platform::SystemInputFiles().Facts(path);
  if (!facts) {
    return "no such folder: " + path;
  }
  if (!facts->folder) {
    return "not a folder: " + path;
  }
  return {};
}

constexpr std::size_t kHelpColumn = 32;

// A switch of the record given as two flags, one for each value; neither keeps the stored one.
struct FlagPair {
  const char* on;
  const char* on_help;
  const char* off;
  const char* off_help;
  int ConversionOptions::*field;
  int on_value;  // the off flag sets the other of 0 and 1
};

constexpr FlagPair kRenderingFlags[] = {
    {"--mono", "black and white", "--colour,--color", "the drafting system's pen colours",
     &ConversionOptions::BAndWFlg, 1},
    {"--line-widths", "pen widths as the drafting system displays them", "--no-line-widths",
     "every pen one pixel wide", &ConversionOptions::WIdtHFlg, 1},
    {"--line-pitch", "dash patterns as the drafting system displays them", "--no-line-pitch",
     "dash patterns of the parameter template", &ConversionOptions::PitchFlg, 1},
    {"--fonts", "fonts effective", "--no-fonts", "fonts not effective",
     &ConversionOptions::VFontFlg, 0},
};

constexpr FlagPair kCombineFlags = {
    "--combine",
    "PDF output: one PDF of all the drawings (at most 99), named after the first",
    "--no-combine",
    "PDF output: one PDF per drawing",
    &ConversionOptions::ConnectNum,
    1};

// The status texts as this program prints them, in the platform's encoding.
std::string Description(text::CodePage cp) {
  std::string failed = StatusText(RowStatus::Failed, 0, cp);
  failed.replace(failed.rfind('0'), 1, "n");
  return "Converts drawings of the drafting system (.VX) into PDF files or images with its "
         "export tool VXCVPX.exe and its output utility RSTKIT/RASTRON.EXE, one drawing after "
         "the other, and prints one line per drawing: its number, its path and its status (" +
         StatusText(RowStatus::Converted, 0, cp) + " converted, " + failed +
         " failed with result n, " + StatusText(RowStatus::Aborted, 0, cp) +
         " interrupted, or (not reached)).\n\n"
         "DRAWING may be a drawing, a folder (its .VX files, in any letter case, sorted by "
         "name; with -r those of its subfolders too) or, on Windows, a pattern with * and ?. A "
         "file named twice is converted once; a drawing whose output another row writes is "
         "refused with result 4.\n";
}

// Options are shown with their value's name only; what excludes what is told in the texts.
class HelpFormatter : public CLI::Formatter {
 public:
  std::string make_option_opts(const CLI::Option* opt) const override {
    return opt->get_type_name().empty() ? std::string() : " " + opt->get_type_name();
  }
};

// CLI11 does not wrap its texts: lines are broken at spaces to fit a terminal of 80 columns, an
// option's text continuing under its start.
std::string Wrapped(const std::string& help) {
  constexpr std::size_t kWidth = 79;
  constexpr std::size_t kTextColumn = kHelpColumn;
  std::string out;
  std::size_t start = 0;
  while (start < help.size()) {
    std::size_t end = help.find('\n', start);
    if (end == std::string::npos) {
      end = help.size();
    }
    std::string line = help.substr(start, end - start);
    start = end + 1;
    const bool option_line = line.rfind("  ", 0) == 0;
    const std::size_t indent = option_line ? kTextColumn : 0;
    while (line.size() > kWidth) {
      std::size_t cut = line.rfind(' ', kWidth);
      if (cut == std::string::npos || cut <= indent) {
        break;
      }
      out += line.substr(0, cut) + "\n";
      line = std::string(indent, ' ') + line.substr(cut + 1);
    }
    out += line + "\n";
  }
  return out;
}

constexpr const char* kFooter =
    "Defaults: every conversion option not given here is the stored setting that the dialog "
    "uses, so a run converts as the dialog would. The settings live in the registry under "
    "HKEY_CURRENT_USER\\SOFTWARE\\MORVA\\PLOTXFER on Windows; on Linux in the REGEDIT4 file "
    "named by PLOTXFER_REGISTRY_FILE, else $XDG_CONFIG_HOME/MORVA/PLOTXFER.reg "
    "(~/.config/MORVA/PLOTXFER.reg). Without settings: PDF, black and white, the drawing's own "
    "paper size, output beside each drawing, one PDF per drawing. --save stores what this "
    "command line set; --help and --version read and write no file.\n\n"
    "Result of a drawing (the n of its error status): 1 the drawing is not valid (its header was "
    "refused, or it cannot be opened), 2 the export tool could not be started, crashed or ran "
    "out of time, 3 the output utility could not be started, ran out of time or wrote no output "
    "file (in a combined PDF: on every row; an earlier output is kept), 4 refused before "
    "any tool ran (a path too long for the tools or unsafe on their command line, or an output "
    "that another row of the run writes).\n\n"
    "Exit status: 0 every drawing converted (up-to-date drawings skipped included); 1 any "
    "drawing failed; 2 wrong usage (also a list file or folder that cannot be read); 3 the run "
    "was refused before any drawing: the application folder is in use by another run (or its "
    "VXCVPX.exe still runs), a process named RASTRON.EXE runs (after --wait SECONDS: for that "
    "long; then also between drawings), or VXCVPX.exe or RSTKIT/RASTRON.EXE is missing, and "
    "nothing was saved or written; 130 interrupted. --dry-run checks none of that and starts "
    "nothing.\n\n"
    "Interrupts: the first Ctrl-C (or SIGTERM; on Windows also Ctrl-Break or closing the "
    "console) lets the drawing under way finish and starts no other; the rows not reached are "
    "printed as such. A second one ends the running tool at once (its row shows the "
    "interrupted status). Without --timeout a tool is never stopped for time, as in the "
    "dialog. The tools run in a process group (Windows: a job object) of their own, so no tool "
    "outlives this program.\n\n"
    "--skip-up-to-date leaves out a drawing whose output exists and is newer than the drawing. "
    "Options are not compared: after changing options, run without it.\n\n"
    "Watching: --watch DIR keeps running and converts each drawing that appears or changes in "
    "DIR (with -r in its subfolders too) once it is complete: its size and time unchanged for "
    "--settle seconds and, on Windows, no program still writing it. A drawing is converted "
    "once per change; one that failed is tried again only when it changes (or at the next "
    "start). At start, the drawings whose output is missing or older than the drawing are "
    "converted; --no-initial converts only what changes from then on. The system tells of "
    "changes, and every watched folder is also looked at in full every --rescan seconds; --poll "
    "SECONDS only looks, for shares that tell nothing. Each conversion prints its line after "
    "the local time; --report FILE appends one JSON object per drawing to FILE (JSON Lines). "
    "While a process named RASTRON.EXE runs or another run holds the application folder, the "
    "watch waits and tries again; a watched folder that goes away is waited for. The first "
    "interrupt lets the drawing under way finish and ends with 0; a second ends it at once "
    "(130). --combine and --dry-run do not go with --watch. To watch from logon: on Windows "
    "edit watch-task.xml (in the zip; packaging/ in the source: user, program, "
    "folders) and register it with schtasks "
    "/create /tn \"PLOTXFER watch\" /xml watch-task.xml (it runs in your session, which the "
    "drafting system's tools need); on Linux put packaging/plotxfer-watch.service in "
    "~/.config/systemd/user/, edit it and run systemctl --user enable --now plotxfer-watch.\n\n"
    "Examples:\n"
    "  plotxfer-batch -r --output-dir D:\\out D:\\jobs\n"
    "  plotxfer-batch --list tonight.txt --skip-up-to-date --report run.json\n"
    "  find . -name '*.VX' | plotxfer-batch --list - --combine\n"
    "  plotxfer-batch --shard 2/3 --report part2.json -r /share/archive\n"
    "  plotxfer-batch --watch D:\\inbox -r --output-dir D:\\pdf --report D:\\pdf\\watch.jsonl\n";

}  // namespace

ParseOutcome ParseBatchArguments(int argc, const char* const* argv,
                                 const std::function<BatchDefaults(bool dry_run)>& load_defaults,
                                 std::FILE* out, std::FILE* err) {
  ParseOutcome outcome;
  BatchRequest& req = outcome.request;
  const auto misuse = [&](const std::string& why) {
    std::fprintf(err, "plotxfer-batch: %s\nRun 'plotxfer-batch --help' for the options.\n",
                 why.c_str());
    outcome.exit_code = 2;
    return outcome;
  };

  CLI::App app{Description(platform::ActiveCodePage()), "plotxfer-batch"};
  app.footer(kFooter);
  app.formatter(std::make_shared<HelpFormatter>());
  app.set_version_flag("--version", "plotxfer-batch " PLOTXFER_VERSION,
                       "print the version and end");
  app.set_help_flag("-h,--help", "print this help and end");
  app.get_formatter()->column_width(kHelpColumn);

  // The validators' own descriptions would repeat the type names in the help.
  const auto quiet = [](CLI::Validator v) { return v.description(""); };
  const CLI::Validator existing_folder(CheckFolder, "");

  std::vector<std::string> paths;
  auto* paths_opt =
      app.add_option("drawings", paths, "drawings, folders (and patterns on Windows), in order")
          ->type_name("DRAWING");
  std::vector<std::string> lists;
  auto* list_opt =
      app.add_option("--list", lists,
                     "read drawings (or folders) from FILE, one path a line (UTF-8 or UTF-16 "
                     "with a byte order mark, UTF-8, or the system's code page), a path in "
                     "double quotes taken without them; blank lines and lines starting with # "
                     "are skipped; relative paths are taken from the current folder; - is "
                     "standard input; may be repeated")
          ->type_name("FILE")
          ->allow_extra_args(false);
  app.add_flag("-r,--recursive", req.recursive, "take the drawings of subfolders of a folder too");

  std::string app_folder;
  app.add_option("--app-folder", app_folder,
                 "folder of the drafting system with VXCVPX.exe, vxcsd.cprm and RSTKIT "
                 "(default: the folder of this program)")
      ->type_name("DIR")
      ->check(existing_folder);

  auto* pdf = app.add_flag("--pdf")->description("PDF output");
  std::string image;
  const std::vector<std::string> image_kinds = {"bmp", "gif", "jpeg", "tiff"};  // by ImageType
  auto* image_opt = app.add_option("--image", image, "image output in this format")
                        ->type_name("bmp|gif|jpeg|tiff")
                        ->transform(quiet(CLI::IsMember(image_kinds, CLI::ignore_case)));
  pdf->excludes(image_opt);

  struct GivenPair {
    const FlagPair& pair;
    CLI::Option* on;
    CLI::Option* off;
  };
  std::vector<GivenPair> pairs;
  const auto add_pair = [&](const FlagPair& pair) {
    CLI::Option* on = app.add_flag(pair.on)->description(pair.on_help);
    CLI::Option* off = app.add_flag(pair.off)->description(pair.off_help);
    on->excludes(off);
    pairs.push_back({pair, on, off});
    return pairs.back();
  };
  for (const FlagPair& pair : kRenderingFlags) {
    add_pair(pair);
  }

  std::string output_dir;
  auto* output_dir_opt = app.add_option("--output-dir", output_dir, "write every output here")
                             ->type_name("DIR")
                             ->check(existing_folder);
  auto* beside = app.add_flag("--beside")->description("write each output beside its drawing");
  output_dir_opt->excludes(beside);

  std::string paper;
  auto* paper_opt =
      app.add_option("--paper", paper,
                     "page size of the chosen output kind: drawing (the drawing's own), "
                     "A0..A4, A4P (A4 portrait), B0..B4, or WIDTHxHEIGHT in millimetres")
          ->type_name("SIZE");

  int dpi = 0;
  auto* dpi_opt = app.add_option("--dpi", dpi,
                                 "image resolution in dots per inch (image output: --image or "
                                 "the stored output kind)")
                      ->type_name("72..600")
                      ->check(quiet(CLI::Range(kMinOutXdpi, kMaxOutXdpi)));

  const GivenPair combine = add_pair(kCombineFlags);
  combine.on->excludes(image_opt);

  app.add_flag("--skip-up-to-date", req.skip_up_to_date,
               "leave out drawings whose output exists and is newer than the drawing (options "
               "are not compared)");
  // A range alone lets "nan" through: it compares false with both ends.
  const CLI::Validator seconds(
      [](std::string& text) -> std::string {
        double value = 0;
        if (!CLI::detail::lexical_cast(text, value) || !std::isfinite(value) || value < 0.001 ||
            value > 31536000.0) {
          return "expected a number of seconds from 0.001 to 31536000, not " + text;
        }
        return {};
      },
      "");
  app.add_option("--timeout", req.timeout_seconds,
                 "end a tool that runs longer than this, with everything it started, and fail "
                 "its drawing (default: no limit)")
      ->type_name("SECONDS")
      ->check(seconds);
  app.add_option("--wait", req.wait_seconds,
                 "when the application folder is in use or the output utility runs, wait up to "
                 "this long for the turn, looking once a second, before refusing (also between "
                 "drawings, for an output utility started by another program)")
      ->type_name("SECONDS")
      ->check(quiet(CLI::Range(0, 31536000)));
  app.add_option("--report", req.report,
                 "write a JSON record of the run (UTF-8) to FILE when it ends, also after an "
                 "interrupt; - is standard output (the rows then go to standard error). FILE "
                 "may not be a drawing, an output, a list, the settings or parameter file of "
                 "the run, nor in RSTKIT; its folder must take a new file")
      ->type_name("FILE");
  app.add_flag("--require-drawings", req.require_drawings,
               "fail (exit status 1) when the arguments and lists give no drawing at all "
               "(without it such a run says \"no drawings\" and succeeds)");
  std::string shard;
  auto* shard_opt =
      app.add_option("--shard", shard,
                     "convert only part K of N of the drawings (K from 1 to N), for spreading "
                     "one archive over N machines or tasks: the drawings are ordered by path and "
                     "every Nth is taken from the Kth on, so every part computes the same split")
          ->type_name("K/N")
          ->excludes(combine.on);
  auto* no_progress =
      app.add_flag("--no-progress")->description("no progress line on a terminal's standard error");
  auto* quiet_flag = app.add_flag("-q,--quiet", req.quiet,
                                  "print only the drawings that did not convert, and errors");

  app.add_flag("-v,--verbose", req.verbose,
               "print each command line before starting it (on Linux also the tools' own output)");
  auto* dry_run =
      app.add_flag("--dry-run", req.dry_run, "print the command lines and start nothing");
  std::vector<std::string> watch_folders;
  auto* watch_opt =
      app.add_option("--watch", watch_folders,
                     "keep running and convert each drawing that appears or changes in DIR once "
                     "it is complete; may be repeated; -r watches subfolders too (see Watching "
                     "below)")
          ->type_name("DIR")
          ->check(existing_folder)
          ->allow_extra_args(false);
  app.add_option("--settle", req.watch.settle_seconds,
                 "--watch: a drawing is complete once its size and time have not changed for "
                 "this long (default 2)")
      ->type_name("SECONDS")
      ->check(quiet(CLI::Range(0.0, 86400.0)))
      ->needs(watch_opt);
  auto* rescan_opt = app.add_option("--rescan", req.watch.rescan_seconds,
                                    "--watch: look at every watched folder in full this often, "
                                    "besides the system's events (default 60)")
                         ->type_name("SECONDS")
                         ->check(quiet(CLI::Range(0.1, 86400.0)))
                         ->needs(watch_opt);
  double poll_seconds = 0;
  app.add_option("--poll", poll_seconds,
                 "--watch: take no events from the system, only look at the folders this often "
                 "(for shares that give none)")
      ->type_name("SECONDS")
      ->check(quiet(CLI::Range(0.1, 86400.0)))
      ->needs(watch_opt)
      ->excludes(rescan_opt);
  auto* no_initial = app.add_flag("--no-initial")
                         ->description(
                             "--watch: convert only what changes from now on, not the drawings "
                             "whose output is missing or older at start")
                         ->needs(watch_opt);
  combine.on->excludes(watch_opt);
  // A stream of drawings has no fixed list to split into parts.
  shard_opt->excludes(watch_opt);
  dry_run->excludes(watch_opt);

  app.add_flag("--save", req.save,
               "store the options this command line set for the next run and the dialog "
               "(nothing is stored without it)")
      ->excludes(dry_run);

  try {
    app.parse(argc, argv);
    // The arguments and lists, in the order they were given.
    std::size_t next_path = 0;
    std::size_t next_list = 0;
    for (const CLI::Option* opt : app.parse_order()) {
      if (opt == paths_opt && next_path < paths.size()) {
        req.inputs.push_back({InputSource::Kind::Path, paths[next_path++]});
      } else if (opt == list_opt && next_list < lists.size()) {
        req.inputs.push_back({InputSource::Kind::ListFile, lists[next_list++]});
      }
    }
    if (!watch_folders.empty() && !req.inputs.empty()) {
      return misuse("--watch: takes no DRAWING or --list besides its folders");
    }
    if (req.inputs.empty() && watch_folders.empty()) {
      return misuse("drawings: no drawing, folder or --list given");
    }
    req.progress = no_progress->count() == 0 && quiet_flag->count() == 0 && watch_folders.empty();
    for (const std::string& folder : watch_folders) {
      req.watch.folders.push_back(platform::SystemInputFiles().Absolute(folder));
    }
    if (poll_seconds > 0) {
      req.watch.poll = true;
      req.watch.rescan_seconds = poll_seconds;
    }
    req.watch.initial = no_initial->count() == 0;

    const BatchDefaults defaults = load_defaults(req.dry_run);
    req.options = defaults.options;
    req.settings_warning = defaults.settings_warning;
    if (!image.empty()) {
      req.options.PdfOrImage = 1;
      req.options.ImageType = static_cast<int>(
          std::find(image_kinds.begin(), image_kinds.end(), image) - image_kinds.begin());
    } else if (pdf->count() > 0) {
      req.options.PdfOrImage = 0;
    }
    for (const GivenPair& given : pairs) {
      if (given.on->count() > 0) {
        req.options.*given.pair.field = given.pair.on_value;
      } else if (given.off->count() > 0) {
        req.options.*given.pair.field = 1 - given.pair.on_value;
      }
    }
    req.output_options_set = paper_opt->count() > 0 || dpi_opt->count() > 0 ||
                             combine.on->count() > 0 || combine.off->count() > 0;
    const auto style = platform::NativePathStyle();
    const auto cp = platform::ActiveCodePage();
    // Absolute, so that a stored folder means the same from wherever the next run starts.
    if (!output_dir.empty()) {
      req.options.FolderType = 1;
      req.options.SelFolder =
          text::WithTrailingSeparator(platform::SystemInputFiles().Absolute(output_dir), style, cp);
    } else if (beside->count() > 0) {
      req.options.FolderType = 0;
    }
    std::string why;
    if (!paper.empty() && !ApplyPaper(paper, req.options, &why)) {
      return misuse("--paper: " + paper + ": " + why);
    }
    if (dpi != 0) {
      if (req.options.PdfOrImage == 0) {
        return misuse("--dpi: is for image output: add --image");
      }
      req.options.OutXdpi = dpi;
    }
    if (shard_opt->count() > 0) {
      Shard part;
      if (!ParseShard(shard, &part, &why)) {
        return misuse("--shard: " + shard + ": " + why);
      }
      // A combined PDF is named after its first drawing: each part would write a different one.
      if (RunCombines(req.options, 2)) {
        return misuse(
            "--shard: the stored settings combine the drawings into one PDF; give --no-combine "
            "with --shard");
      }
      req.shard = part;
    }
    req.app_folder = text::WithTrailingSeparator(
        app_folder.empty() ? defaults.program_folder
                           : platform::SystemInputFiles().Absolute(app_folder),
        style, cp);
    req.options.AppFolder = req.app_folder;
  } catch (const CLI::CallForHelp&) {
    std::fputs(Wrapped(app.help()).c_str(), out);
    outcome.exit_code = 0;
    return outcome;
  } catch (const CLI::CallForVersion& e) {
    std::fprintf(out, "%s\n", e.what());
    outcome.exit_code = 0;
    return outcome;
  } catch (const CLI::ParseError& e) {
    return misuse(e.what());
  }
  outcome.run = true;
  return outcome;
}

}  // namespace plotxfer::cli
