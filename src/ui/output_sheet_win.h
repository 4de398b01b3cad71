#pragma once
// The output settings sheet on Win32: the two property pages route their messages to the rules
// of OutputSheet, and a page view puts those rules on the real controls.
#include <windows.h>

#include "core/settings/options.h"
#include "core/settings/settings_store.h"
#include "ui/output_sheet.h"
#include "ui/page_view.h"
#include "ui/win32_control_view_win.h"
#include "wingui/property_sheet.h"

namespace plotxfer::ui {

class Win32PageView : public Win32ControlView<PageView> {
 public:
  using Win32ControlView::Win32ControlView;

  void SetUiText(int id, const std::string& utf8) override;
  void LimitText(int id, int chars) override;
  void FocusAndSelectAll(int id) override;
  void ShowTip(int id, const std::string& utf8_title, const std::string& utf8_text) override;
  void ListReset(int id) override;
  void ListAdd(int id, const std::string& utf8) override;
  void ListSelect(int id, int index) override;
  int ListSelection(int id) const override;

 private:
  // A balloon of our own under an edit that shows none itself.
  void ShowTrackingTip(HWND edit, const std::wstring& title, const std::wstring& text);

  HWND tip_ = nullptr;  // owned by the page window, which takes it along when it goes
};

// What both pages share: the rules they route to, a view on their controls, and the handlers of
// the size radios and the paper list.
template <class Page, class Logic>
class OutputPage : public wingui::DialogImpl<Page, wingui::PropertyPage> {
 public:
  bool OnKillActive() override {
    return logic_.KillActive() && wingui::PropertyPage::OnKillActive();
  }

 protected:
  OutputPage(UINT template_id, Logic& logic)
      : wingui::DialogImpl<Page, wingui::PropertyPage>(template_id), logic_(logic), view_(*this) {
    logic_.SetView(&view_);
  }

  BOOL OnInitDialog() override {
    wingui::PropertyPage::OnInitDialog();
    return logic_.InitializeControls() ? TRUE : FALSE;
  }

  void OnDrawingSize() { logic_.OnDrawingSize(); }
  void OnSpecifiedSize() { logic_.OnSpecifiedSize(); }
  void OnPaperSelected() { logic_.OnPaperSelected(); }
  void OnWidthFull() { logic_.OnEditFull(logic_.ids().width); }
  void OnHeightFull() { logic_.OnEditFull(logic_.ids().height); }

  Logic& logic_;
  Win32PageView view_;
};

class COtherSetPDF : public OutputPage<COtherSetPDF, PdfPage> {
 public:
  explicit COtherSetPDF(PdfPage& logic);
  static std::span<const wingui::CommandEntry<COtherSetPDF>> CommandTable();

  void DoDataExchange(bool save) override;
};

class COtherSetIMG : public OutputPage<COtherSetIMG, ImagePage> {
 public:
  explicit COtherSetIMG(ImagePage& logic);
  static std::span<const wingui::CommandEntry<COtherSetIMG>> CommandTable();

 private:
  void OnDpiFull() { logic_.OnEditFull(IDC_IMG_DPI); }
};

// Opens the sheet modally over parent. OK copies the pages' values into record and stores them;
// anything else leaves both alone. Answers what the sheet's run reported (IDOK, IDCANCEL, -1).
INT_PTR OpenOutputSettings(HWND parent, ConversionOptions& record, SettingsStore& store);

}  // namespace plotxfer::ui
