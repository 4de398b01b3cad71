// The drawing list of the main dialog: adding drawings through the file selection, removing
// rows after a question, keeping the row numbers continuous, and choosing the output folder.
#include "ui/drawing_list.h"

#include <algorithm>
#include <cstdio>

#include "core/text/file_selection.h"
#include "ui/main_dialog.h"

namespace plotxfer::ui {
namespace {

bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           const auto lower = [](char c) {
             return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
           };
           return lower(x) == lower(y);
         });
}

// The string table's text with its one %s replaced by argument (both UTF-8).
std::string WithArgument(const std::string& format, const std::string& argument) {
  const int n = std::snprintf(nullptr, 0, format.c_str(), argument.c_str());
  if (n < 0) {
    return format;
  }
  std::string out(static_cast<std::size_t>(n) + 1, '\0');
  std::snprintf(out.data(), out.size(), format.c_str(), argument.c_str());
  out.resize(static_cast<std::size_t>(n));
  return out;
}

}  // namespace

bool HasDrawingExtension(std::string_view path, text::PathStyle style, text::CodePage cp) {
  const std::string_view name = text::FileNameOf(path, style, cp);
  const std::size_t dot = text::FindLastChar(name, '.', cp);
  return dot != text::npos && EqualsIgnoringAsciiCase(name.substr(dot), ".VX");
}

bool IsDrawingFileName(const std::string& path, const DrawingFiles& files, text::PathStyle style,
                       text::CodePage cp) {
  return files.Exists(path) && HasDrawingExtension(path, style, cp);
}

std::string RowNumberText(int row_index) {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "%3d", row_index + 1);
  return buffer;
}

void MainDialog::OnAddFile() {
  ChooseResult r = ChooseDrawings();
  while (r != ChooseCancelled) {
    if (r == ChooseAccepted) {
      AddPendingRows();
      UpdateRunButtons();
      break;
    }
    MessageRequest invalid;
    invalid.text = view().LoadText(IDS_INVALID_SELECTION);
    invalid.caption = view().LoadText(IDS_SELECT_DRAWINGS);
    invalid.buttons = MessageButtons::Ok;
    invalid.icon = MessageIcon::Warning;
    invalid.task_modal = true;
    view().ShowMessage(invalid);
    r = ChooseDrawings();
  }
  FocusListIfFilled();
}

ChooseResult MainDialog::ChooseDrawings() {
  const DialogServices& s = services();
  FileRequest request;
  request.title = view().LoadText(IDS_SELECT_DRAWINGS);
  request.filter = view().LoadText(IDS_DRAWING_FILTER);
  request.initial_folder = AddFilFolder;
  const std::optional<std::vector<std::string>> answer = view().ChooseFiles(request);
  if (!answer) {
    return ChooseCancelled;
  }
  PendingPaths.clear();

  const auto accept = [&](const std::string& path) {
    return IsDrawingFileName(path, *s.files, s.path_style, s.code_page) &&
           s.files->CheckHeader(path) == HeaderOk;
  };
  const std::vector<std::string>& texts = *answer;
  std::string folder;
  if (!texts.empty() && s.files->IsFolderOrUnknown(texts.front())) {
    // A folder and the names chosen in it. A single chosen file that has vanished lands here
    // too, with no names, and so counts as nothing acceptable.
    folder = text::WithTrailingSeparator(texts.front(), s.path_style, s.code_page);
    for (std::size_t i = 1; i < texts.size(); ++i) {
      const std::optional<std::string> path = text::JoinSelectedName(folder, texts[i]);
      if (path && accept(*path)) {
        PendingPaths.push_back(*path);
      }
    }
  } else if (!texts.empty()) {
    const std::string& path = texts.front();
    if (path.size() <= text::kMaxSelectedPath && accept(path)) {
      folder = text::FolderOfPath(path, s.path_style, s.code_page);
      PendingPaths.push_back(path);
    }
  }

  if (PendingPaths.empty()) {
    return ChooseNoneValid;
  }
  AddFilFolder = folder;
  if (s.settings) {
    // A failed write is not shown; the dialog keeps the folder all the same.
    s.settings->WriteText(kBootDataKey, "AddFilFolder", folder);
  }
  return ChooseAccepted;
}

void MainDialog::AddPendingRows() {
  for (const std::string& path : PendingPaths) {
    if (RowCount >= kMaxRows) {
      break;  // the rest is dropped without a word
    }
    // Exact comparison: the same path in another letter case is another row. Paths added by
    // this very selection count too, so a name given twice in one choice makes one row.
    if (std::find(DrawingPaths.begin(), DrawingPaths.end(), path) != DrawingPaths.end()) {
      continue;
    }
    view().ListInsertRow(RowCount, RowNumberText(RowCount));
    view().ListSetCell(RowCount, 1, path);
    DrawingPaths.push_back(path);
    ++RowCount;
  }
  if (RowCount > 0) {
    view().ListSelectAndFocusRow(0);
  }
}

void MainDialog::RenumberRows(int first) {
  const int rows = view().ListRowCount();
  for (int i = std::max(first, 0); i < rows; ++i) {
    view().ListSetCell(i, 0, RowNumberText(i));
  }
}

void MainDialog::OnDeleteFile() {
  const std::vector<int> selected = view().ListSelectedRows();
  if (selected.empty()) {
    return;
  }
  const DialogServices& s = services();
  MessageRequest question;
  question.caption = view().LoadText(IDS_APP_TITLE);
  question.buttons = MessageButtons::YesNo;
  question.icon = MessageIcon::Question;
  if (selected.size() == 1) {
    const std::string path = view().ListCell(selected.front(), 1);
    const std::string name(text::FileNameOf(path, s.path_style, s.code_page));
    question.text =
        WithArgument(view().LoadText(IDS_CONFIRM_REMOVE_ONE), view().NarrowToUtf8(name));
  } else {
    question.text = view().LoadText(IDS_CONFIRM_REMOVE_MANY);
  }
  if (view().ShowMessage(question) != MessageAnswer::Yes) {
    FocusListIfFilled();
    return;
  }
  for (auto it = selected.rbegin(); it != selected.rend(); ++it) {
    const int row = *it;
    view().ListDeleteRow(row);
    if (row >= 0 && static_cast<std::size_t>(row) < DrawingPaths.size()) {
      DrawingPaths.erase(DrawingPaths.begin() + row);
      --RowCount;
    }
  }
  RenumberRows(selected.front());
  UpdateRunButtons();
}

void MainDialog::OnBrowseFolder() {
  const DialogServices& s = services();
  FolderRequest request;
  request.instruction = view().LoadText(IDS_CHOOSE_FOLDER);
  request.initial_folder = SelFolder;
  const std::optional<std::string> chosen = view().ChooseFolder(request);
  if (!chosen || chosen->empty()) {
    return;
  }
  // A drive root (C:\) already ends in its separator; any other folder gets one.
  SelFolder = text::WithTrailingSeparator(*chosen, s.path_style, s.code_page);
  view().SetText(IDC_FOLDER_EDIT, SelFolder);
}

void MainDialog::FocusListIfFilled() {
  if (RowCount > 0) {
    view().Focus(IDC_DRAWING_LIST);
  }
}

}  // namespace plotxfer::ui
