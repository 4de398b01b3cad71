#include "ui/main_dialog.h"

namespace plotxfer::ui {

void MainDialog::FillFrom(const ConversionOptions& record) {
  PdfOrImage = record.PdfOrImage;
  ImageType = record.ImageType;
  BAndWFlg = record.BAndWFlg;
  WIdtHFlg = record.WIdtHFlg;
  PitchFlg = record.PitchFlg;
  VFontFlg = record.VFontFlg;
  FolderType = record.FolderType;
  SelFolder = record.SelFolder;
  AddFilFolder = record.AddFilFolder.empty() ? record.AppFolder : record.AddFilFolder;
  AppFolder = record.AppFolder;
  DrawingPaths.clear();
  RowCount = 0;
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

  v.SetCheck(IDC_PDF, PdfOrImage == 0);
  v.SetCheck(IDC_IMAGE, PdfOrImage != 0);
  // An image type outside 0 to 3 would name a control of another group; it checks none.
  for (std::size_t i = 0; i < kImageFormatIds.size(); ++i) {
    v.SetCheck(kImageFormatIds[i], ImageType == static_cast<int>(i));
  }
  SetImageFormatsEnabled(PdfOrImage == 1);

  SetBox(IDC_MONOCHROME, BAndWFlg);
  SetBox(IDC_LINE_WIDTH, WIdtHFlg);
  SetBox(IDC_LINE_PITCH, PitchFlg);
  // The font flag says "fonts off", the box says "fonts effective".
  if (VFontFlg == 1) {
    v.SetCheck(IDC_FONTS, false);
  } else if (VFontFlg == 0) {
    v.SetCheck(IDC_FONTS, true);
  }

  v.SetCheck(IDC_FILE_FOLDER, FolderType == 0);
  v.SetCheck(IDC_SEL_FOLDER, FolderType != 0);

  if (SelFolder.empty()) {
    SelFolder = AppFolder;
  }
  v.SetText(IDC_FOLDER_EDIT, SelFolder);

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
  PdfOrImage = 0;
  SetImageFormatsEnabled(false);
}

void MainDialog::OnImage() {
  view().SetCheck(IDC_IMAGE, true);
  view().SetCheck(IDC_PDF, false);
  PdfOrImage = 1;
  SetImageFormatsEnabled(true);
}

void MainDialog::OnFileFolder() {
  view().SetCheck(IDC_FILE_FOLDER, true);
  view().SetCheck(IDC_SEL_FOLDER, false);
  FolderType = 0;
}

void MainDialog::OnSelFolder() {
  view().SetCheck(IDC_SEL_FOLDER, true);
  view().SetCheck(IDC_FILE_FOLDER, false);
  FolderType = 1;
}

void MainDialog::CaptureOptions() {
  DialogView& v = view();
  PdfOrImage = v.IsChecked(IDC_PDF) ? 0 : 1;
  for (std::size_t i = 0; i < kImageFormatIds.size(); ++i) {
    if (v.IsChecked(kImageFormatIds[i])) {
      ImageType = static_cast<int>(i);
      break;
    }
  }
  BAndWFlg = v.IsChecked(IDC_MONOCHROME) ? 1 : 0;
  WIdtHFlg = v.IsChecked(IDC_LINE_WIDTH) ? 1 : 0;
  PitchFlg = v.IsChecked(IDC_LINE_PITCH) ? 1 : 0;
  VFontFlg = v.IsChecked(IDC_FONTS) ? 0 : 1;
  FolderType = v.IsChecked(IDC_FILE_FOLDER) ? 0 : 1;
  SelFolder = v.Text(IDC_FOLDER_EDIT);
}

GeneralOptions MainDialog::CapturedOptions() const {
  return {PdfOrImage, ImageType, BAndWFlg, WIdtHFlg, PitchFlg, VFontFlg, FolderType, SelFolder};
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
