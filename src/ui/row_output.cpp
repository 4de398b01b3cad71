// What a row made, opened from the list: its output with the associated program, or its folder.
// The output's name is the one the run's engine gave it, remembered as each drawing converted.
#include "ui/main_dialog.h"

namespace plotxfer::ui {

std::string MainDialog::RowOutput(int row) const {
  if (row < 0 || row >= RowCount()) {
    return {};
  }
  // A row added again after its removal shows no status and opens nothing until it converts.
  if (view().ListCell(row, 2).empty()) {
    return {};
  }
  const auto found = outputs_.find(DrawingPaths[static_cast<std::size_t>(row)]);
  return found == outputs_.end() ? std::string() : found->second;
}

void MainDialog::OnRowActivated(int row) {
  const std::string output = RowOutput(row);
  if (!output.empty()) {
    view().OpenWithShell(output);
  }
}

void MainDialog::OnRowMenu(int row) {
  const std::string output = RowOutput(row);
  const std::vector<MenuItem> items = {
      {IDM_ROW_OPEN_OUTPUT, view().LoadText(IDS_MENU_OPEN_OUTPUT), !output.empty()},
      {IDM_ROW_OPEN_FOLDER, view().LoadText(IDS_MENU_OPEN_FOLDER), !output.empty()},
      {IDM_ROW_DELETE, view().LoadText(IDS_MENU_DELETE), !running_},
  };
  switch (view().TrackMenu(items)) {
    case IDM_ROW_OPEN_OUTPUT:
      view().OpenWithShell(output);
      break;
    case IDM_ROW_OPEN_FOLDER:
      view().ShowInFolder(output);
      break;
    case IDM_ROW_DELETE:
      OnDeleteFile();
      break;
    default:
      break;
  }
}

}  // namespace plotxfer::ui
