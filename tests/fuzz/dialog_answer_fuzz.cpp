// The drawing list's intake of names from the shell: whatever the file dialog answers or a drop
// brings, and whatever the files are, each name ends once either in the list or in the message
// about files not added; the list keeps at most its rows, each path once, and only drawings.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <string>
#include <vector>

#include "../gui/fake_dialog_view.h"
#include "../gui/fake_drawing_files.h"
#include "core/text/file_selection.h"
#include "fuzz_check.h"
#include "ui/main_dialog.h"

namespace {

using namespace plotxfer;
using ui::ShellName;
using Names = std::vector<ShellName>;

std::string TextOf(const ShellName& name) {
  return name.held ? name.narrow : name.utf8;
}

std::string Joined(const std::string& folder, const std::string& name) {
  return text::WithTrailingSeparator(folder, text::PathStyle::Windows, text::CodePage::ShiftJis) +
         name;
}

// How many names a choice or a drop hands over, and the paths they may be shown or listed as.
struct Given {
  std::size_t names = 0;
  std::vector<std::string> paths;
};

// The shell's forms: one full path, or a folder followed by the names chosen in it.
Given Chosen(const Names& answer) {
  Given g{answer.size() <= 1 ? answer.size() : answer.size() - 1, {}};
  for (std::size_t i = 0; i < answer.size(); ++i) {
    g.paths.push_back(TextOf(answer[i]));
    if (i > 0) {
      g.paths.push_back(Joined(TextOf(answer[0]), TextOf(answer[i])));
    }
  }
  return g;
}

// A readable folder hands over its drawings, or itself when it has none.
Given Dropped(const Names& dropped, const ui::testing::FakeDrawingFiles& files) {
  Given g;
  for (const ShellName& d : dropped) {
    g.paths.push_back(TextOf(d));
    std::size_t drawings = 0;
    if (d.held && files.IsFolderOrUnknown(d.narrow)) {
      for (const ShellName& n : files.FilesInFolder(d.narrow).value_or(Names{})) {
        if (HasDrawingExtension(TextOf(n))) {
          ++drawings;
          g.paths.push_back(Joined(d.narrow, TextOf(n)));
        }
      }
    }
    g.names += std::max<std::size_t>(drawings, 1);
  }
  return g;
}

void Check(const ui::MainDialog& dialog, const ui::testing::FakeDialogView& view,
           const ui::testing::FakeDrawingFiles& files, const Given& given, std::size_t rows_before,
           std::size_t messages_before) {
  const std::vector<std::string>& rows = dialog.DrawingPaths;
  FUZZ_CHECK(rows.size() >= rows_before && rows.size() <= ui::kMaxRows);
  FUZZ_CHECK(rows.size() - rows_before + dialog.NotAddedFiles.size() == given.names);
  FUZZ_CHECK(view.rows.size() == rows.size());
  for (std::size_t i = 0; i < rows.size(); ++i) {
    FUZZ_CHECK(view.rows[i][0] == ui::RowNumberText(static_cast<int>(i)) &&
               view.rows[i][1] == rows[i]);
    if (i >= rows_before) {  // the rows before were checked when they came
      FUZZ_CHECK(std::find(rows.begin(), rows.begin() + i, rows[i]) == rows.begin() + i);
      FUZZ_CHECK(std::find(given.paths.begin(), given.paths.end(), rows[i]) != given.paths.end());
      FUZZ_CHECK(files.CheckHeader(rows[i]) == HeaderOk && HasDrawingExtension(rows[i]) &&
                 rows[i].size() <= text::kMaxSelectedPath);
    }
  }
  for (const ui::NotAdded& n : dialog.NotAddedFiles) {
    FUZZ_CHECK(std::any_of(given.paths.begin(), given.paths.end(),
                           [&](const std::string& p) { return p.ends_with(n.name); }));
  }
  if (!dialog.NotAddedFiles.empty()) {
    FUZZ_CHECK(view.messages.size() == messages_before + 1);
    FUZZ_CHECK(view.messages.back().text.ends_with(NotAddedMessage(view, dialog.NotAddedFiles)));
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
  FuzzedDataProvider in(data, size);
  ui::testing::FakeDialogView view;
  ui::testing::FakeDrawingFiles files;
  ui::MainDialog dialog;
  dialog.SetView(&view);
  ui::DialogServices services;
  services.files = &files;
  dialog.SetServices(services);

  // The rows already listed, drawings of a folder of their own.
  Names listed(in.ConsumeIntegralInRange(0, 99));
  for (std::size_t i = 0; i < listed.size(); ++i) {
    listed[i] = "C:\\r\\" + std::to_string(i) + ".VX";
    files.files[listed[i].narrow] = HeaderOk;
  }
  dialog.OnDropFiles(listed);
  FUZZ_CHECK(dialog.DrawingPaths.size() == listed.size());

  // The folder of the choices and the paths the input makes, in it or anywhere: nothing, a
  // folder or a file with its header's verdict; long or not held by the code page.
  const std::string base = in.ConsumeRandomLengthString(280);
  if (in.ConsumeBool()) {
    files.folders.push_back(base);
  }
  Names full{base};  // each as dropped or chosen alone
  Names own{base};   // each as chosen in base
  const HeaderResult verdicts[] = {HeaderOk,         HeaderOk,       HeaderBadVersion,
                                   HeaderBadVersion, HeaderTooShort, HeaderBadMagic,
                                   HeaderOpenFailed, HeaderOk};
  for (int count = in.ConsumeIntegralInRange(0, 12); count > 0; --count) {
    const auto bits = in.ConsumeIntegral<unsigned char>();
    std::string name = in.ConsumeRandomLengthString(280);
    if (bits & 0x80) {
      name.insert(0, 250, 'f');
    }
    const std::string path = (bits & 0x40) ? name : Joined(base, name);
    const bool held = !(bits & 0x20);
    full.push_back(held ? ShellName(path) : ShellName::NotHeld(path));
    own.push_back(held ? ShellName(name) : ShellName::NotHeld(name));
    if (!held) {
      files.unheld[base].push_back(own.back());  // listed in base, whether it is there or not
    } else if ((bits & 3) == 1) {
      files.folders.push_back(path);
    } else if ((bits & 3) != 0) {
      files.files[path] = verdicts[(bits >> 2) & 7];
      if (((bits >> 2) & 7) == 3) {
        files.newer.push_back(path);
      }
    }
  }

  // Choices and drops, one after another on the same list.
  for (int op = 0; op < 6 && in.remaining_bytes() > 0; ++op) {
    const auto kind = in.ConsumeIntegral<unsigned char>();
    Names picked;
    if ((kind & 3) == 2) {  // a folder and names chosen in it
      picked.push_back((kind & 4) ? ShellName::NotHeld(base) : ShellName(base));
    }
    for (int n = in.ConsumeIntegralInRange(0, 8); n > 0; --n) {
      const std::size_t i = in.ConsumeIntegralInRange<std::size_t>(0, full.size() - 1);
      picked.push_back((kind & 3) == 2 ? own[i] : full[i]);
    }
    const std::size_t rows_before = dialog.DrawingPaths.size();
    const std::size_t messages_before = view.messages.size();
    if ((kind & 3) == 3) {  // cancelled: nothing changes
      dialog.OnAddFile();
      FUZZ_CHECK(dialog.DrawingPaths.size() == rows_before &&
                 view.messages.size() == messages_before);
    } else if ((kind & 3) == 0) {
      const Given given = Dropped(picked, files);
      dialog.OnDropFiles(picked);
      Check(dialog, view, files, given, rows_before, messages_before);
    } else {
      view.file_answers.push_back(picked);
      dialog.OnAddFile();
      Check(dialog, view, files, Chosen(picked), rows_before, messages_before);
    }
  }
  return 0;
}
