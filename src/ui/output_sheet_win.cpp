#include "ui/output_sheet_win.h"

#include <commctrl.h>

#include "resources/resource.h"
#include "wingui/strings.h"

namespace plotxfer::ui {
namespace {

constexpr UINT_PTR kTipTimer = 1;
constexpr UINT kTipShownMs = 6000;

void CALLBACK HideTrackingTip(HWND tip, UINT, UINT_PTR id, DWORD) {
  KillTimer(tip, id);
  TTTOOLINFOW tool{};
  tool.cbSize = sizeof tool;
  if (SendMessageW(tip, TTM_ENUMTOOLSW, 0, reinterpret_cast<LPARAM>(&tool))) {
    SendMessageW(tip, TTM_TRACKACTIVATE, FALSE, reinterpret_cast<LPARAM>(&tool));
  }
}

}  // namespace

void Win32PageView::SetUiText(int id, const std::string& utf8) {
  SetWindowTextW(Item(id), wingui::Utf8ToWide(utf8).c_str());
}

void Win32PageView::LimitText(int id, int chars) {
  SendMessageW(Item(id), EM_LIMITTEXT, static_cast<WPARAM>(chars), 0);
}

void Win32PageView::FocusAndSelectAll(int id) {
  HWND edit = Item(id);
  SetFocus(edit);
  SendMessageW(edit, EM_SETSEL, 0, -1);
}

void Win32PageView::ShowTip(int id, const std::string& utf8_title, const std::string& utf8_text) {
  const std::wstring title = wingui::Utf8ToWide(utf8_title);
  const std::wstring text = wingui::Utf8ToWide(utf8_text);
  EDITBALLOONTIP tip{};
  tip.cbStruct = sizeof tip;
  tip.pszTitle = title.c_str();
  tip.pszText = text.c_str();
  tip.ttiIcon = TTI_WARNING;
  if (!SendMessageW(Item(id), EM_SHOWBALLOONTIP, 0, reinterpret_cast<LPARAM>(&tip))) {
    // Edits of common controls without balloons of their own (Wine's among them) refuse it.
    ShowTrackingTip(Item(id), title, text);
  }
}

void Win32PageView::ShowTrackingTip(HWND edit, const std::wstring& title,
                                    const std::wstring& text) {
  if (!tip_) {
    tip_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                           WS_POPUP | TTS_BALLOON | TTS_NOPREFIX | TTS_ALWAYSTIP, CW_USEDEFAULT,
                           CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, hwnd(), nullptr, nullptr,
                           nullptr);
    if (!tip_) {
      return;
    }
  }
  TTTOOLINFOW shown{};
  shown.cbSize = sizeof shown;
  if (SendMessageW(tip_, TTM_ENUMTOOLSW, 0, reinterpret_cast<LPARAM>(&shown))) {
    SendMessageW(tip_, TTM_TRACKACTIVATE, FALSE, reinterpret_cast<LPARAM>(&shown));
    SendMessageW(tip_, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&shown));
  }
  std::wstring words = text;
  TTTOOLINFOW tool{};
  tool.cbSize = sizeof tool;
  tool.uFlags = TTF_IDISHWND | TTF_TRACK | TTF_ABSOLUTE;
  tool.hwnd = hwnd();
  tool.uId = reinterpret_cast<UINT_PTR>(edit);
  tool.lpszText = words.data();
  SendMessageW(tip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
  SendMessageW(tip_, TTM_SETTITLEW, TTI_WARNING, reinterpret_cast<LPARAM>(title.c_str()));
  RECT r{};
  GetWindowRect(edit, &r);
  SendMessageW(tip_, TTM_TRACKPOSITION, 0, MAKELPARAM((r.left + r.right) / 2, r.bottom));
  SendMessageW(tip_, TTM_TRACKACTIVATE, TRUE, reinterpret_cast<LPARAM>(&tool));
  SetTimer(tip_, kTipTimer, kTipShownMs, &HideTrackingTip);
}

void Win32PageView::ListReset(int id) {
  SendMessageW(Item(id), CB_RESETCONTENT, 0, 0);
}

void Win32PageView::ListAdd(int id, const std::string& utf8) {
  const std::wstring text = wingui::Utf8ToWide(utf8);
  SendMessageW(Item(id), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

void Win32PageView::ListSelect(int id, int index) {
  SendMessageW(Item(id), CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

int Win32PageView::ListSelection(int id) const {
  const LRESULT r = SendMessageW(Item(id), CB_GETCURSEL, 0, 0);
  return r == CB_ERR ? -1 : static_cast<int>(r);
}

COtherSetPDF::COtherSetPDF(PdfPage& logic) : OutputPage(IDD_OTHERSET_PDF, logic) {
}

std::span<const wingui::CommandEntry<COtherSetPDF>> COtherSetPDF::CommandTable() {
  static const wingui::CommandEntry<COtherSetPDF> table[] = {
      {IDC_PDF_DRAWING_SIZE, BN_CLICKED, &COtherSetPDF::OnDrawingSize},
      {IDC_PDF_SPECIFIED_SIZE, BN_CLICKED, &COtherSetPDF::OnSpecifiedSize},
      {IDC_PDF_PAPER, CBN_SELENDOK, &COtherSetPDF::OnPaperSelected},
      {IDC_PDF_WIDTH, EN_MAXTEXT, &COtherSetPDF::OnWidthFull},
      {IDC_PDF_HEIGHT, EN_MAXTEXT, &COtherSetPDF::OnHeightFull},
  };
  return table;
}

void COtherSetPDF::DoDataExchange(bool save) {
  logic_.ExchangeData(save);
}

COtherSetIMG::COtherSetIMG(ImagePage& logic) : OutputPage(IDD_OTHERSET_IMG, logic) {
}

std::span<const wingui::CommandEntry<COtherSetIMG>> COtherSetIMG::CommandTable() {
  static const wingui::CommandEntry<COtherSetIMG> table[] = {
      {IDC_IMG_DRAWING_SIZE, BN_CLICKED, &COtherSetIMG::OnDrawingSize},
      {IDC_IMG_SPECIFIED_SIZE, BN_CLICKED, &COtherSetIMG::OnSpecifiedSize},
      {IDC_IMG_PAPER, CBN_SELENDOK, &COtherSetIMG::OnPaperSelected},
      {IDC_IMG_WIDTH, EN_MAXTEXT, &COtherSetIMG::OnWidthFull},
      {IDC_IMG_HEIGHT, EN_MAXTEXT, &COtherSetIMG::OnHeightFull},
      {IDC_IMG_DPI, EN_MAXTEXT, &COtherSetIMG::OnDpiFull},
  };
  return table;
}

INT_PTR OpenOutputSettings(HWND parent, ConversionOptions& record, SettingsStore& store) {
  OutputSheet sheet(record);
  COtherSetPDF pdf(sheet.pdf);
  COtherSetIMG image(sheet.image);

  wingui::PropertySheetDlg dialog(wingui::LoadText(IDS_OUTPUT_SETTINGS), parent, 0);
  dialog.RemoveHelpButton();
  dialog.RemoveApplyButton();
  pdf.RemoveHelpFlag();
  image.RemoveHelpFlag();
  // The PDF page comes first whatever the main dialog's output kind.
  dialog.AddPage(pdf);
  dialog.AddPage(image);

  const INT_PTR result = dialog.DoModal();
  sheet.Finish(result == IDOK, record, store);
  return result;
}

}  // namespace plotxfer::ui
