#pragma once
// Property sheets and their pages. (The sheet class is not called PropertySheet: <prsht.h>
// defines that name as a macro.)
//
// Pages are added in order and shown as tabs; a page's window is created when its tab is first
// shown. A page refuses to be left by answering false from OnKillActive, which keeps it current,
// also when OK is pressed. DoModal reports IDOK only when the sheet closed through OK.
#include <windows.h>
#include <commctrl.h>
#include <prsht.h>

#include <string>
#include <vector>

#include "wingui/dialog.h"

namespace plotxfer::wingui {

class PropertySheetDlg;

class PropertyPage : public Dialog {
 public:
  explicit PropertyPage(UINT template_id);

  // Leaving the page (another tab, or OK): false keeps the page current. The base reads the
  // controls back (DoDataExchange) and lets the page go.
  virtual bool OnKillActive();
  // The page becomes current; false refuses.
  virtual bool OnSetActive();
  // The sheet closes through OK (the page's values are final) or through Cancel.
  virtual void OnApply();
  virtual void OnReset();

  // The page shows no Help button of its own.
  void RemoveHelpFlag() { page_.dwFlags &= ~static_cast<DWORD>(PSP_HASHELP); }

  PropertySheetDlg* sheet() const { return sheet_; }

 protected:
  bool OnNotify(NMHDR* header, LRESULT* result) override;
  // Accept and cancel belong to the sheet, never to a page.
  void OnOK() override {}
  void OnCancel() override {}

 private:
  friend class PropertySheetDlg;
  static INT_PTR CALLBACK PageProc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam);

  PROPSHEETPAGEW page_{};
  PropertySheetDlg* sheet_ = nullptr;
};

class PropertySheetDlg {
 public:
  PropertySheetDlg(std::wstring caption, HWND parent, UINT first_page = 0);

  void AddPage(PropertyPage& page);
  void RemoveHelpButton() { flags_ &= ~static_cast<DWORD>(PSH_HASHELP); }
  void RemoveApplyButton() { flags_ |= PSH_NOAPPLYNOW; }

  // IDOK when the sheet closed through OK, IDCANCEL otherwise, -1 when it could not open.
  INT_PTR DoModal();

  // While the sheet is open.
  HWND hwnd() const { return hwnd_; }
  PropertyPage* page(int index) const { return pages_.at(static_cast<std::size_t>(index)); }
  int ActiveIndex() const;
  // Switches tabs as a click would; the current page may refuse.
  bool SetActivePage(int index);
  // Presses one of the sheet's buttons (PSBTN_OK, PSBTN_CANCEL, ...).
  void PressButton(int button);

 private:
  friend class PropertyPage;
  void NotePage(HWND page_hwnd);

  std::wstring caption_;
  HWND parent_;
  UINT first_page_;
  DWORD flags_ = PSH_PROPSHEETPAGE | PSH_HASHELP | PSH_NOCONTEXTHELP;
  std::vector<PropertyPage*> pages_;
  HWND hwnd_ = nullptr;
  bool closed_with_ok_ = false;
};

}  // namespace plotxfer::wingui
