#include "wingui/property_sheet.h"

#include "wingui/application.h"
#include "wingui/guard.h"
#include "wingui/strings.h"

namespace plotxfer::wingui {

PropertyPage::PropertyPage(UINT template_id) : Dialog(template_id) {
  page_.dwSize = sizeof page_;
  page_.dwFlags = PSP_DEFAULT | PSP_HASHELP;
  page_.hInstance = ResourceInstance();
  page_.pszTemplate = MAKEINTRESOURCEW(template_id);
  page_.pfnDlgProc = &PageProc;
  page_.lParam = reinterpret_cast<LPARAM>(this);
}

bool PropertyPage::OnKillActive() {
  DoDataExchange(true);
  return true;
}
bool PropertyPage::OnSetActive() {
  return true;
}
void PropertyPage::OnApply() {
}
void PropertyPage::OnReset() {
}

bool PropertyPage::OnNotify(NMHDR* header, LRESULT* result) {
  if (!header || header->hwndFrom != GetParent(hwnd())) {
    return false;
  }
  switch (header->code) {
    case PSN_KILLACTIVE:
      // TRUE in the message result keeps the page current.
      *result = OnKillActive() ? FALSE : TRUE;
      return true;
    case PSN_SETACTIVE:
      *result = OnSetActive() ? 0 : -1;
      return true;
    case PSN_APPLY: {
      // lParam of the notification tells OK (closing) from the Apply button.
      const bool closing = reinterpret_cast<PSHNOTIFY*>(header)->lParam != 0;
      OnApply();
      if (closing && sheet_) {
        sheet_->closed_with_ok_ = true;
      }
      *result = PSNRET_NOERROR;
      return true;
    }
    case PSN_RESET:
      OnReset();
      *result = 0;
      return true;
    case PSN_HELP:
      if (Application* app = Application::Current()) {
        app->ExecuteCommand(kHelpCommand);
      }
      *result = 0;
      return true;
    default:
      return false;
  }
}

INT_PTR CALLBACK PropertyPage::PageProc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
  PropertyPage* self = nullptr;
  if (msg == WM_INITDIALOG) {
    const auto* page_template = reinterpret_cast<const PROPSHEETPAGEW*>(lparam);
    self = page_template ? reinterpret_cast<PropertyPage*>(page_template->lParam) : nullptr;
    if (self) {
      self->BindHandle(hwnd);
      if (self->sheet_) {
        self->sheet_->NotePage(hwnd);
      }
    }
  } else {
    self = static_cast<PropertyPage*>(FromHandle(hwnd));
  }
  if (!self) {
    return FALSE;
  }
  const INT_PTR result = Guarded("property page procedure", static_cast<INT_PTR>(FALSE),
                                 [&] { return self->OnMessage(msg, wparam, lparam); });
  if (msg == WM_NCDESTROY) {
    SetWindowLongPtrW(hwnd, DWLP_USER, 0);
    self->Detach();
  }
  return result;
}

PropertySheetDlg::PropertySheetDlg(std::wstring caption, HWND parent, UINT first_page)
    : caption_(std::move(caption)), parent_(parent), first_page_(first_page) {
}

void PropertySheetDlg::AddPage(PropertyPage& page) {
  page.sheet_ = this;
  pages_.push_back(&page);
}

void PropertySheetDlg::NotePage(HWND page_hwnd) {
  if (!hwnd_) {
    hwnd_ = GetParent(page_hwnd);
  }
}

INT_PTR PropertySheetDlg::DoModal() {
  if (pages_.empty()) {
    return -1;
  }
  std::vector<PROPSHEETPAGEW> pages;
  pages.reserve(pages_.size());
  for (PropertyPage* page : pages_) {
    pages.push_back(page->page_);
  }
  PROPSHEETHEADERW header{};
  header.dwSize = sizeof header;
  header.dwFlags = flags_;
  header.hwndParent = parent_;
  header.hInstance = ResourceInstance();
  header.pszCaption = caption_.c_str();
  header.nPages = static_cast<UINT>(pages.size());
  header.nStartPage = first_page_;
  header.ppsp = pages.data();
  closed_with_ok_ = false;
  hwnd_ = nullptr;
  const INT_PTR result = ::PropertySheetW(&header);
  hwnd_ = nullptr;
  if (result < 0) {
    return -1;
  }
  return closed_with_ok_ ? IDOK : IDCANCEL;
}

int PropertySheetDlg::ActiveIndex() const {
  if (!hwnd_) {
    return -1;
  }
  HWND current = reinterpret_cast<HWND>(SendMessageW(hwnd_, PSM_GETCURRENTPAGEHWND, 0, 0));
  for (std::size_t i = 0; i < pages_.size(); ++i) {
    if (pages_[i]->hwnd() && pages_[i]->hwnd() == current) {
      return static_cast<int>(i);
    }
  }
  return -1;
}

bool PropertySheetDlg::SetActivePage(int index) {
  return hwnd_ && SendMessageW(hwnd_, PSM_SETCURSEL, static_cast<WPARAM>(index), 0) != 0;
}

void PropertySheetDlg::PressButton(int button) {
  if (hwnd_) {
    SendMessageW(hwnd_, PSM_PRESSBUTTON, static_cast<WPARAM>(button), 0);
  }
}

}  // namespace plotxfer::wingui
