#pragma once
// The output settings sheet on Win32: the two property pages route their messages to the rules
// of OutputSheet, and a page view puts those rules on the real controls.
#include <windows.h>

#include "core/settings/options.h"
#include "core/settings/settings_store.h"
#include "ui/output_sheet.h"
#include "ui/page_view.h"
#include "wingui/property_sheet.h"

namespace plotxfer::ui {

class Win32PageView : public PageView {
 public:
  explicit Win32PageView(const wingui::Window& page) : page_(page) {}

  bool IsChecked(int id) const override;
  void SetCheck(int id, bool checked) override;
  void Enable(int id, bool enabled) override;
  std::string Text(int id) const override;
  void SetText(int id, const std::string& narrow) override;
  void SetUiText(int id, const std::string& utf8) override;
  void LimitText(int id, int chars) override;
  void FocusAndSelectAll(int id) override;
  void ListReset(int id) override;
  void ListAdd(int id, const std::string& utf8) override;
  void ListSelect(int id, int index) override;
  int ListSelection(int id) const override;
  std::string LoadText(int string_id) const override;

 private:
  HWND Item(int id) const { return GetDlgItem(page_.hwnd(), id); }

  const wingui::Window& page_;
};

class COtherSetPDF : public wingui::DialogImpl<COtherSetPDF, wingui::PropertyPage> {
 public:
  explicit COtherSetPDF(PdfPage& logic);
  static std::span<const wingui::CommandEntry<COtherSetPDF>> CommandTable();

  void DoDataExchange(wingui::DataExchange& dx) override;
  bool OnKillActive() override;

 protected:
  BOOL OnInitDialog() override;

 private:
  void OnDrawingSize() { logic_.OnDrawingSize(); }
  void OnSpecifiedSize() { logic_.OnSpecifiedSize(); }
  void OnPaperSelected() { logic_.OnPaperSelected(); }

  PdfPage& logic_;
  Win32PageView view_;
  wingui::Window paper_, width_, height_;
};

class COtherSetIMG : public wingui::DialogImpl<COtherSetIMG, wingui::PropertyPage> {
 public:
  explicit COtherSetIMG(ImagePage& logic);
  static std::span<const wingui::CommandEntry<COtherSetIMG>> CommandTable();

  void DoDataExchange(wingui::DataExchange& dx) override;
  bool OnKillActive() override;

 protected:
  BOOL OnInitDialog() override;

 private:
  void OnDrawingSize() { logic_.OnDrawingSize(); }
  void OnSpecifiedSize() { logic_.OnSpecifiedSize(); }
  void OnPaperSelected() { logic_.OnPaperSelected(); }

  ImagePage& logic_;
  Win32PageView view_;
  wingui::Window paper_, width_, height_, dpi_, base_dpi_;
};

// Opens the sheet modally over parent. OK copies the pages' values into record and stores them;
// anything else leaves both alone. Answers what the sheet's run reported (IDOK, IDCANCEL, -1).
INT_PTR OpenOutputSettings(HWND parent, ConversionOptions& record, SettingsStore& store);

}  // namespace plotxfer::ui
