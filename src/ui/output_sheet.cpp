#include "ui/output_sheet.h"

#include <array>
#include <string>

#include "core/settings/stored_settings.h"
#include "core/text/placeholder.h"
#include "core/text/scan.h"

namespace plotxfer::ui {
namespace {

// The twelve names of the paper list: the table's own, with number 5 and the custom entry
// from the string table.
std::array<std::string, kPaperNameCount> PaperNames(const PageView& view) {
  std::array<std::string, kPaperNameCount> names;
  for (std::size_t i = 0; i < PaperSizeTable.size(); ++i) {
    names[i] = PaperSizeTable[i].name;
  }
  names[kA4PortraitPaper] = view.LoadText(IDS_PAPER_A4_PORTRAIT);
  names[kCustomPaper] = view.LoadText(IDS_PAPER_CUSTOM);
  return names;
}

}  // namespace

void SizePage::OnDrawingSize() {
  view().SetCheck(ids_.drawing_size, true);
  view().SetCheck(ids_.specified_size, false);
  SizeType = 0;
}

void SizePage::OnSpecifiedSize() {
  view().SetCheck(ids_.specified_size, true);
  view().SetCheck(ids_.drawing_size, false);
  SizeType = 1;
}

void SizePage::OnPaperSelected() {
  const int selected = view().ListSelection(ids_.paper);
  if (selected < 0) {
    // Nothing chosen: no row to show, and the page keeps the paper it had.
    return;
  }
  PaperType = selected;
  int width = OptXSize;
  int height = OptYSize;
  const bool custom = PaperType >= kCustomPaper;
  if (!custom) {
    const PaperSize& row = PaperSizeTable[static_cast<std::size_t>(PaperType)];
    width = row.width_mm;
    height = row.height_mm;
  }
  view().SetText(ids_.width, std::to_string(width));
  view().SetText(ids_.height, std::to_string(height));
  view().Enable(ids_.width, custom);
  view().Enable(ids_.height, custom);
}

void SizePage::InitializeSizeControls() {
  PageView& v = view();
  v.SetCheck(ids_.drawing_size, SizeType == 0);
  v.SetCheck(ids_.specified_size, SizeType != 0);
  v.ListReset(ids_.paper);
  for (const std::string& name : PaperNames(v)) {
    v.ListAdd(ids_.paper, name);
  }
  v.ListSelect(ids_.paper, PaperType);
  v.LimitText(ids_.width, kSizeEditChars);
  v.LimitText(ids_.height, kSizeEditChars);
  OnPaperSelected();
}

bool SizePage::TakeBounded(int id, int& field, int low, int high) {
  field = text::ClampedInt(view().Text(id));
  if (field < low || field > high) {
    view().FocusAndSelectAll(id);
    ShowRangeTip(id, low, high);
    return false;
  }
  return true;
}

void SizePage::ShowRangeTip(int id, int low, int high) {
  std::string text = view().LoadText(IDS_RANGE_TIP);
  for (int bound : {low, high}) {
    text = text::FillPlaceholder(std::move(text), bound);
  }
  view().ShowTip(id, view().LoadText(IDS_RANGE_TIP_TITLE), text);
}

void SizePage::OnEditFull(int id) {
  if (id == ids_.width || id == ids_.height) {
    ShowRangeTip(id, kMinCustomSize, kMaxCustomSize);
  }
}

bool SizePage::TakeCustomSize() {
  if (PaperType != kCustomPaper) {
    return true;
  }
  return TakeBounded(ids_.width, OptXSize, kMinCustomSize, kMaxCustomSize) &&
         TakeBounded(ids_.height, OptYSize, kMinCustomSize, kMaxCustomSize);
}

PdfPage::PdfPage(const ConversionOptions& record)
    : SizePage(kPdfSizeControls, record.PdfSizeType, record.PdfPaperType, record.PdfOptXSize,
               record.PdfOptYSize),
      CombineFlag(record.ConnectNum == 1 ? 1 : 0) {
}

void PdfPage::ExchangeData(bool save) {
  if (save) {
    CombineFlag = view().IsChecked(IDC_PDF_COMBINE) ? 1 : 0;
  } else {
    view().SetCheck(IDC_PDF_COMBINE, CombineFlag != 0);
  }
}

bool PdfPage::InitializeControls() {
  InitializeSizeControls();
  return true;
}

bool PdfPage::KillActive() {
  return TakeCustomSize();
}

ImagePage::ImagePage(const ConversionOptions& record)
    : SizePage(kImgSizeControls, record.ImgSizeType, record.ImgPaperType, record.ImgOptXSize,
               record.ImgOptYSize),
      OutXdpi(record.OutXdpi),
      BaseXdpi(record.BaseXdpi) {
}

bool ImagePage::InitializeControls() {
  InitializeSizeControls();
  // Shown whole even when longer than the limit, which governs typing only.
  view().SetText(IDC_IMG_DPI, std::to_string(OutXdpi));
  view().LimitText(IDC_IMG_DPI, kDpiEditChars);
  view().SetUiText(IDC_IMG_BASE_DPI,
                   text::FillPlaceholder(view().LoadText(IDS_BASE_DPI), BaseXdpi));
  return true;
}

bool ImagePage::KillActive() {
  // The resolution is tested whatever the size type: it always reaches the output utility.
  return TakeCustomSize() && TakeBounded(IDC_IMG_DPI, OutXdpi, kMinOutXdpi, kMaxOutXdpi);
}

void ImagePage::OnEditFull(int id) {
  if (id == IDC_IMG_DPI) {
    ShowRangeTip(id, kMinOutXdpi, kMaxOutXdpi);
  } else {
    SizePage::OnEditFull(id);
  }
}

void OutputSheet::Finish(bool ok, ConversionOptions& record, SettingsStore& store) const {
  if (!ok) {
    return;
  }
  record.PdfSizeType = pdf.SizeType;
  record.PdfPaperType = pdf.PaperType;
  record.PdfOptXSize = pdf.OptXSize;
  record.PdfOptYSize = pdf.OptYSize;
  record.ConnectNum = pdf.CombineFlag != 0 ? 1 : 0;
  record.ImgSizeType = image.SizeType;
  record.ImgPaperType = image.PaperType;
  record.ImgOptXSize = image.OptXSize;
  record.ImgOptYSize = image.OptYSize;
  record.OutXdpi = image.OutXdpi;
  // Failures of the store stay silent here; the record keeps the new values.
  SaveOutputSettings(store, record);
}

}  // namespace plotxfer::ui
