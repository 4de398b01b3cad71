// The drawing list of the main dialog: adding drawings through the file selection or a drop
// (saying which were not added and why), removing rows after a question, keeping the row
// numbers continuous, and choosing the output folder.
#include "ui/drawing_list.h"

#include <algorithm>
#include <cstdio>

#include "core/text/file_selection.h"
#include "core/text/name_order.h"
#include "core/text/placeholder.h"
#include "ui/main_dialog.h"

namespace plotxfer::ui {
namespace {

int ReasonTextId(NotAddedReason reason) {
  switch (reason) {
    case NotAddedReason::NotADrawing:
      return IDS_WHY_NOT_DRAWING;
    case NotAddedReason::NewerVersion:
      return IDS_WHY_NEWER_DRAWING;
    case NotAddedReason::CannotOpen:
      return IDS_WHY_CANNOT_OPEN;
    case NotAddedReason::AlreadyListed:
      return IDS_WHY_LISTED;
    case NotAddedReason::PathTooLong:
      return IDS_WHY_PATH_TOO_LONG;
    case NotAddedReason::ListFull:
      return IDS_WHY_LIST_FULL;
    case NotAddedReason::NameNotHeld:
      return IDS_WHY_NAME_NOT_HELD;
    case NotAddedReason::NoDrawingsInFolder:
      return IDS_WHY_NO_DRAWINGS;
  }
  return IDS_WHY_NOT_DRAWING;
}

}  // namespace

std::optional<NotAddedReason> RefusalOf(const std::string& path, const DrawingFiles& files) {
  if (path.size() > text::kMaxSelectedPath) {
    return NotAddedReason::PathTooLong;
  }
  if (!HasDrawingExtension(path)) {
    return NotAddedReason::NotADrawing;
  }
  if (!files.Exists(path)) {
    return NotAddedReason::CannotOpen;
  }
  switch (files.CheckHeader(path)) {
    case HeaderOk:
      return std::nullopt;
    case HeaderOpenFailed:
      return NotAddedReason::CannotOpen;
    case HeaderBadVersion:
      if (files.IsNewerDrawing(path)) {
        return NotAddedReason::NewerVersion;
      }
      break;
    case HeaderTooShort:
    case HeaderBadMagic:
      break;
  }
  return NotAddedReason::NotADrawing;
}

std::string NotAddedMessage(const DialogView& view, const std::vector<NotAdded>& not_added) {
  std::string text = view.LoadText(IDS_NOT_ADDED);
  const std::size_t named = std::min(not_added.size(), kMaxNamesNotAdded);
  for (std::size_t i = 0; i < named; ++i) {
    text += "\n" + not_added[i].name + ": " + view.LoadText(ReasonTextId(not_added[i].reason));
  }
  if (not_added.size() > named) {
    text += "\n" + text::FillPlaceholder(view.LoadText(IDS_NOT_ADDED_MORE),
                                         static_cast<int>(not_added.size() - named));
  }
  return text;
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
      ReportNotAdded();
      break;
    }
    MessageRequest invalid;
    invalid.text = view().LoadText(IDS_INVALID_SELECTION);
    if (!NotAddedFiles.empty()) {
      invalid.text += "\n\n" + NotAddedMessage(view(), NotAddedFiles);
    }
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
  const std::optional<std::vector<ShellName>> answer = view().ChooseFiles(request);
  if (!answer) {
    return ChooseCancelled;
  }
  PendingPaths.clear();
  NotAddedFiles.clear();

  const std::vector<ShellName>& texts = *answer;
  std::string folder;
  if (!texts.empty() && texts.front().held && s.files->IsFolderOrUnknown(texts.front().narrow)) {
    // A folder and the names chosen in it. A single chosen file that has vanished lands here
    // too, with no names, and so counts as nothing acceptable.
    if (texts.size() == 1) {
      NoteNotAdded(texts.front(), NotAddedReason::CannotOpen);
    }
    folder = text::WithTrailingSeparator(texts.front().narrow, s.path_style, s.code_page);
    for (std::size_t i = 1; i < texts.size(); ++i) {
      if (!texts[i].held) {
        NoteNotAdded(texts[i], NotAddedReason::NameNotHeld);
        continue;
      }
      const std::optional<std::string> path = text::JoinSelectedName(folder, texts[i].narrow);
      if (!path) {
        NoteNotAdded(texts[i], NotAddedReason::PathTooLong);
        continue;
      }
      TakeIfDrawing(*path);
    }
  } else if (texts.size() > 1) {
    // A folder the code page cannot hold: none of its files can be named.
    for (std::size_t i = 1; i < texts.size(); ++i) {
      NoteNotAdded(texts[i], NotAddedReason::NameNotHeld);
    }
  } else if (!texts.empty()) {
    if (!texts.front().held) {
      NoteNotAdded(texts.front(), NotAddedReason::NameNotHeld);
    } else if (TakeIfDrawing(texts.front().narrow)) {
      folder = text::FolderOfPath(texts.front().narrow, s.path_style, s.code_page);
    }
  }

  if (PendingPaths.empty()) {
    return ChooseNoneValid;
  }
  AddFilFolder = folder;
  if (s.settings) {
    // A failed write is not shown; the dialog keeps the folder all the same.
    SaveAddFilFolder(*s.settings, folder);
  }
  return ChooseAccepted;
}

void MainDialog::OnDropFiles(const std::vector<ShellName>& dropped) {
  if (running_) {
    return;  // the window takes no drops during a run; one already on its way is refused here
  }
  const DialogServices& s = services();
  PendingPaths.clear();
  NotAddedFiles.clear();
  for (const ShellName& name : dropped) {
    if (!name.held) {
      NoteNotAdded(name, NotAddedReason::NameNotHeld);
      continue;
    }
    const std::optional<std::vector<ShellName>> inside = s.files->IsFolderOrUnknown(name.narrow)
                                                             ? s.files->FilesInFolder(name.narrow)
                                                             : std::nullopt;
    if (inside) {
      TakeDrawingsOfFolder(name.narrow, *inside);
    } else {
      TakeIfDrawing(name.narrow);
    }
  }
  AddPendingRows();
  UpdateRunButtons();
  ReportNotAdded();
  FocusListIfFilled();
}

void MainDialog::TakeDrawingsOfFolder(const std::string& folder,
                                      const std::vector<ShellName>& names) {
  const DialogServices& s = services();
  std::vector<std::string> drawings;
  std::vector<ShellName> unnamed;
  for (const ShellName& name : names) {
    if (!name.held) {
      if (HasDrawingExtension(name.utf8)) {
        unnamed.push_back(name);
      }
    } else if (HasDrawingExtension(name.narrow)) {
      drawings.push_back(name.narrow);
    }
  }
  if (drawings.empty() && unnamed.empty()) {
    NoteNotAdded(ShellName(folder), NotAddedReason::NoDrawingsInFolder);
    return;
  }
  // The order plotxfer-batch converts a folder in.
  std::sort(drawings.begin(), drawings.end(),
            [](const std::string& a, const std::string& b) { return text::NameBefore(a, b); });
  const std::string prefix = text::WithTrailingSeparator(folder, s.path_style, s.code_page);
  for (const std::string& name : drawings) {
    const std::optional<std::string> path = text::JoinSelectedName(prefix, name);
    if (path) {
      TakeIfDrawing(*path);
    } else {
      NoteNotAdded(ShellName(name), NotAddedReason::PathTooLong);
    }
  }
  for (const ShellName& name : unnamed) {
    NoteNotAdded(name, NotAddedReason::NameNotHeld);
  }
}

bool MainDialog::TakeIfDrawing(const std::string& path) {
  const DialogServices& s = services();
  const std::optional<NotAddedReason> why = RefusalOf(path, *s.files);
  if (why) {
    NoteNotAdded(ShellName(path), *why);
    return false;
  }
  PendingPaths.push_back(path);
  return true;
}

void MainDialog::NoteNotAdded(const ShellName& name, NotAddedReason reason) {
  const text::PathStyle style = services().path_style;
  std::string shown;
  if (name.held) {
    const std::string_view last = text::FileNameOf(name.narrow, style, services().code_page);
    shown = view().NarrowToUtf8(std::string(last.empty() ? std::string_view(name.narrow) : last));
  } else {
    const std::string_view last = text::FileNameOf(name.utf8, style, text::CodePage::Utf8);
    shown = last.empty() ? name.utf8 : std::string(last);
  }
  NotAddedFiles.push_back({std::move(shown), reason});
}

void MainDialog::ReportNotAdded() {
  if (NotAddedFiles.empty()) {
    return;
  }
  MessageRequest message;
  message.text = NotAddedMessage(view(), NotAddedFiles);
  message.caption = view().LoadText(IDS_SELECT_DRAWINGS);
  message.buttons = MessageButtons::Ok;
  message.icon = MessageIcon::Warning;
  view().ShowMessage(message);
}

void MainDialog::AddPendingRows() {
  view().ListHoldPainting(true);
  for (const std::string& path : PendingPaths) {
    if (RowCount() >= kMaxRows) {
      NoteNotAdded(ShellName(path), NotAddedReason::ListFull);
      continue;
    }
    // Exact comparison: the same path in another letter case is another row. Paths added by
    // this very selection count too, so a name given twice in one choice makes one row.
    if (std::find(DrawingPaths.begin(), DrawingPaths.end(), path) != DrawingPaths.end()) {
      NoteNotAdded(ShellName(path), NotAddedReason::AlreadyListed);
      continue;
    }
    view().ListInsertRow(RowCount(), RowNumberText(RowCount()));
    view().ListSetCell(RowCount(), 1, path);
    DrawingPaths.push_back(path);
  }
  if (RowCount() > 0) {
    view().ListSelectAndFocusRow(0);
  }
  view().ListHoldPainting(false);
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
        text::FillPlaceholder(view().LoadText(IDS_CONFIRM_REMOVE_ONE), view().NarrowToUtf8(name));
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
    }
    ForgetRowFailure(row);
  }
  RenumberRows(selected.front());
  UpdateRunButtons();
}

void MainDialog::OnBrowseFolder() {
  const DialogServices& s = services();
  FolderRequest request;
  request.instruction = view().LoadText(IDS_CHOOSE_FOLDER);
  request.initial_folder = options_.SelFolder;
  const std::optional<ShellName> chosen = view().ChooseFolder(request);
  if (!chosen) {
    return;
  }
  if (!chosen->held) {
    // A look-alike of the name would send the output to another folder; the setting stays.
    MessageRequest refused;
    refused.text = text::FillPlaceholder(view().LoadText(IDS_FOLDER_NOT_HELD), chosen->utf8);
    refused.caption = view().LoadText(IDS_APP_TITLE);
    refused.buttons = MessageButtons::Ok;
    refused.icon = MessageIcon::Warning;
    view().ShowMessage(refused);
    return;
  }
  if (chosen->narrow.empty()) {
    return;
  }
  // A drive root (C:\) already ends in its separator; any other folder gets one.
  options_.SelFolder = text::WithTrailingSeparator(chosen->narrow, s.path_style, s.code_page);
  view().SetText(IDC_FOLDER_EDIT, options_.SelFolder);
}

void MainDialog::FocusListIfFilled() {
  if (RowCount() > 0) {
    view().Focus(IDC_DRAWING_LIST);
  }
}

}  // namespace plotxfer::ui
