#include "ui/main_dialog.h"

namespace plotxfer::ui {

void MainDialog::FillFrom(const ConversionOptions& record) {
  options_ = record;
  AddFilFolder = record.AddFilFolder.empty() ? record.AppFolder : record.AddFilFolder;
  AppFolder = record.AppFolder;
  DrawingPaths.clear();
  PendingPaths.clear();
}

bool MainDialog::InitializeControls() {
  DialogView& v = view();

  const std::string about = v.LoadText(IDS_ABOUTBOX);
  if (!about.empty()) {
    v.AppendSystemMenuItem(IDM_ABOUTBOX, about);
  }
  v.SetDialogIcon();

  std::array<std::string, kListColumns.size()> titles;
  for (std::size_t i = 0; i < kListColumns.size(); ++i) {
    titles[i] = v.LoadText(kListColumns[i].title_id);
  }

  v.SetCheck(IDC_PDF, options_.PdfOrImage == 0);
  v.SetCheck(IDC_IMAGE, options_.PdfOrImage != 0);
  // An image type outside 0 to 3 would name a control of another group; it checks none.
  for (std::size_t i = 0; i < kImageFormatIds.size(); ++i) {
    v.SetCheck(kImageFormatIds[i], options_.ImageType == static_cast<int>(i));
  }
  SetImageFormatsEnabled(options_.PdfOrImage == 1);

  SetBox(IDC_MONOCHROME, options_.BAndWFlg);
  SetBox(IDC_LINE_WIDTH, options_.WIdtHFlg);
  SetBox(IDC_LINE_PITCH, options_.PitchFlg);
  // The font flag says "fonts off", the box says "fonts effective".
  if (options_.VFontFlg == 1) {
    v.SetCheck(IDC_FONTS, false);
  } else if (options_.VFontFlg == 0) {
    v.SetCheck(IDC_FONTS, true);
  }

  v.SetCheck(IDC_FILE_FOLDER, options_.FolderType == 0);
  v.SetCheck(IDC_SEL_FOLDER, options_.FolderType != 0);

  if (options_.SelFolder.empty()) {
    options_.SelFolder = AppFolder;
  }
  v.SetText(IDC_FOLDER_EDIT, options_.SelFolder);

  v.ListAddExtendedStyle(kListExtendedStyles);
  for (std::size_t i = 0; i < kListColumns.size(); ++i) {
    v.ListInsertColumn(static_cast<int>(i), titles[i], kListColumns[i].width);
  }

  UpdateRunButtons();

  v.Show(IDC_READ_LIST, false);
  v.Show(IDC_WRITE_LIST, false);

  if (line_type_loader_) {
    line_type_loader_(AppFolder);
  }
  return true;
}

void MainDialog::SetBox(int id, int value) {
  // Values other than 0 and 1 leave the box as the template made it.
  if (value == 1) {
    view().SetCheck(id, true);
  } else if (value == 0) {
    view().SetCheck(id, false);
  }
}

void MainDialog::SetImageFormatsEnabled(bool enabled) {
  for (int id : kImageFormatIds) {
    view().Enable(id, enabled);
  }
}

void MainDialog::OnPdf() {
  view().SetCheck(IDC_PDF, true);
  view().SetCheck(IDC_IMAGE, false);
  options_.PdfOrImage = 0;
  SetImageFormatsEnabled(false);
}

void MainDialog::OnImage() {
  view().SetCheck(IDC_IMAGE, true);
  view().SetCheck(IDC_PDF, false);
  options_.PdfOrImage = 1;
  SetImageFormatsEnabled(true);
}

void MainDialog::OnFileFolder() {
  view().SetCheck(IDC_FILE_FOLDER, true);
  view().SetCheck(IDC_SEL_FOLDER, false);
  options_.FolderType = 0;
}

void MainDialog::OnSelFolder() {
  view().SetCheck(IDC_SEL_FOLDER, true);
  view().SetCheck(IDC_FILE_FOLDER, false);
  options_.FolderType = 1;
}

void MainDialog::CaptureOptions() {
  DialogView& v = view();
  options_.PdfOrImage = v.IsChecked(IDC_PDF) ? 0 : 1;
  for (std::size_t i = 0; i < kImageFormatIds.size(); ++i) {
    if (v.IsChecked(kImageFormatIds[i])) {
      options_.ImageType = static_cast<int>(i);
      break;
    }
  }
  options_.BAndWFlg = v.IsChecked(IDC_MONOCHROME) ? 1 : 0;
  options_.WIdtHFlg = v.IsChecked(IDC_LINE_WIDTH) ? 1 : 0;
  options_.PitchFlg = v.IsChecked(IDC_LINE_PITCH) ? 1 : 0;
  options_.VFontFlg = v.IsChecked(IDC_FONTS) ? 0 : 1;
  options_.FolderType = v.IsChecked(IDC_FILE_FOLDER) ? 0 : 1;
  options_.SelFolder = v.Text(IDC_FOLDER_EDIT);
}

void MainDialog::EnableRunControls(bool enable) {
  running_ = !enable;
  const EnableState after = enable_state();
  for (const ControlRule& c : kControlRules) {
    if (LockedByRun(c.rule)) {
      view().Enable(c.id, EnabledBy(c.rule, after));
    }
  }
  // Like the add button: a drop during a run would change the list under it.
  view().AcceptDrops(enable);
}

void MainDialog::UpdateRunButtons() {
  const EnableState now = enable_state();
  view().Enable(IDC_ABORT, EnabledBy(EnableRule::WithRows, now));
  view().Enable(IDC_EXECUTE, EnabledBy(EnableRule::OutsideRunWithRows, now));
}

}  // namespace plotxfer::ui
