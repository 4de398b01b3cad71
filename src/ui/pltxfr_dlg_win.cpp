#include "ui/pltxfr_dlg_win.h"

#include <commctrl.h>
#include <windowsx.h>

#include "platform/codepage.h"
#include "platform/file_lock.h"
#include "platform/files.h"
#include "platform/param_services.h"
#include "platform/process_list.h"
#include "platform/process_window.h"
#include "platform/system_settings.h"
#include "ui/about_dlg_win.h"
#include "ui/output_sheet_win.h"
#include "wingui/strings.h"

namespace plotxfer::ui {
namespace {

HICON LoadProgramIcon(int metric_x, int metric_y) {
  return static_cast<HICON>(LoadImageW(wingui::ResourceInstance(), MAKEINTRESOURCEW(IDR_MAINFRAME),
                                       IMAGE_ICON, GetSystemMetrics(metric_x),
                                       GetSystemMetrics(metric_y), LR_DEFAULTCOLOR));
}

}  // namespace

PLTXFRDlg::PLTXFRDlg(HWND parent)
    : DialogImpl(IDD_PLTXFR_DIALOG, parent),
      icon_(LoadProgramIcon(SM_CXICON, SM_CYICON)),
      small_icon_(LoadProgramIcon(SM_CXSMICON, SM_CYSMICON)),
      conversion_{platform::WindowServingProcessRunner(), platform::SystemFileSystem()},
      run_ports_{platform::SystemFileLocks(), platform::SystemProcessList()},
      params_(platform::SystemParamServices()),
      view_(*this, IDC_DRAWING_LIST, icon_, small_icon_) {
  SetView(&view_);
  DialogServices services;
  services.settings = &platform::SystemSettingsStore();
  services.files = &SystemDrawingFiles();
  services.path_style = text::PathStyle::Windows;
  services.code_page = platform::ActiveCodePage();
  services.params = &params_;
  services.conversion = &conversion_;
  services.run_ports = &run_ports_;
  SetServices(services);
}

PLTXFRDlg::~PLTXFRDlg() {
  // The window goes first (the base destroys it): it may still be using the icons.
  Destroy();
  if (icon_) {
    DestroyIcon(icon_);
  }
  if (small_icon_) {
    DestroyIcon(small_icon_);
  }
}

std::span<const wingui::CommandEntry<PLTXFRDlg>> PLTXFRDlg::CommandTable() {
  // Exit (2) has no entry: the framework's cancel ends the dialog. Help goes on to the
  // application. The list, the output settings sheet and the run add their entries here.
  static const wingui::CommandEntry<PLTXFRDlg> table[] = {
      {IDC_PDF, BN_CLICKED, &PLTXFRDlg::OnPdf},
      {IDC_IMAGE, BN_CLICKED, &PLTXFRDlg::OnImage},
      {IDC_FILE_FOLDER, BN_CLICKED, &PLTXFRDlg::OnFileFolder},
      {IDC_SEL_FOLDER, BN_CLICKED, &PLTXFRDlg::OnSelFolder},
      {IDC_ABORT, BN_CLICKED, &PLTXFRDlg::OnAbort},
      {IDC_ADD_FILE, BN_CLICKED, &PLTXFRDlg::OnAddFile},
      {IDC_DELETE_FILE, BN_CLICKED, &PLTXFRDlg::OnDeleteFile},
      {IDC_BROWSE_FOLDER, BN_CLICKED, &PLTXFRDlg::OnBrowseFolder},
      {IDC_EXECUTE, BN_CLICKED, &PLTXFRDlg::OnExecuteClicked},
      {IDC_OUTPUT_SETTINGS, BN_CLICKED, &PLTXFRDlg::OnOutputSettings},
  };
  return table;
}

BOOL PLTXFRDlg::OnInitDialog() {
  Dialog::OnInitDialog();
  const bool default_focus = InitializeControls();
  // Failed rows say why in their tip; drawings and folders may be dropped on the window.
  SendDlgItemMessageW(hwnd(), IDC_DRAWING_LIST, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_INFOTIP,
                      LVS_EX_INFOTIP);
  DragAcceptFiles(hwnd(), TRUE);
  return default_focus ? TRUE : FALSE;
}

void PLTXFRDlg::FillRowTip(NMLVGETINFOTIPW& tip) const {
  const std::string reason = RowTip(tip.iItem);
  if (reason.empty() || tip.pszText == nullptr || tip.cchTextMax <= 0) {
    return;
  }
  lstrcpynW(tip.pszText, wingui::Utf8ToWide(reason).c_str(), tip.cchTextMax);
}

void PLTXFRDlg::TakeDrop(HDROP drop) {
  std::vector<ShellName> names;
  const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
  names.reserve(count);
  for (UINT i = 0; i < count; ++i) {
    const UINT length = DragQueryFileW(drop, i, nullptr, 0);
    std::wstring name(length + 1, L'\0');
    name.resize(DragQueryFileW(drop, i, name.data(), length + 1));
    names.push_back(ShellNameFromWide(name));
  }
  DragFinish(drop);
  OnDropFiles(names);
}

bool PLTXFRDlg::OnSysCommand(UINT id, LPARAM) {
  if ((id & 0xFFF0) == IDM_ABOUTBOX) {
    CAboutDlg about(hwnd());
    about.DoModal();
    return true;
  }
  return false;
}

bool PLTXFRDlg::OnPaint() {
  if (!IsIconic(hwnd())) {
    return false;
  }
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd(), &ps);
  SendMessageW(hwnd(), WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
  RECT client;
  GetClientRect(hwnd(), &client);
  const Point at = MinimisedIconOrigin(client.right - client.left, client.bottom - client.top,
                                       GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON));
  DrawIcon(dc, at.x, at.y, icon_);
  EndPaint(hwnd(), &ps);
  return true;
}

void PLTXFRDlg::OnOutputSettings() {
  if (record_ && store_) {
    OpenOutputSettings(hwnd(), *record_, *store_);
  }
}

HICON PLTXFRDlg::OnQueryDragIcon() {
  return icon_;
}

void PLTXFRDlg::OnExecuteClicked() {
  OnExecute();
  if (end_requested()) {
    EndDialog(IDCANCEL);
  }
}

void PLTXFRDlg::OnOK() {
  // Enter outside a push button.
  if (OnAccept()) {
    EndDialog(IDOK);
  }
}

void PLTXFRDlg::OnCancel() {
  // Escape and Exit both come as the cancel command of the Exit button; only the key's state
  // tells them apart.
  const bool escape = (GetKeyState(VK_ESCAPE) & 0x8000) != 0;
  if (OnCancelCommand(escape ? CancelSource::EscapeKey : CancelSource::ExitButton)) {
    EndDialog(IDCANCEL);
  }
}

void PLTXFRDlg::OnClose() {
  if (OnCancelCommand(CancelSource::CloseBox)) {
    EndDialog(IDCANCEL);
  }
}

bool PLTXFRDlg::OnNotify(NMHDR* header, LRESULT* result) {
  if (header->idFrom == IDC_DRAWING_LIST && header->code == LVN_GETINFOTIPW) {
    FillRowTip(*reinterpret_cast<NMLVGETINFOTIPW*>(header));
    *result = 0;
    return true;
  }
  if (header->idFrom == IDC_DRAWING_LIST && header->code == NM_DBLCLK) {
    const auto* activate = reinterpret_cast<const NMITEMACTIVATE*>(header);
    if (activate->iItem >= 0) {
      OnRowActivated(activate->iItem);
    }
  }
  return false;
}

void PLTXFRDlg::OnListContextMenu(LPARAM point) {
  HWND list = GetDlgItem(hwnd(), IDC_DRAWING_LIST);
  POINT at{GET_X_LPARAM(point), GET_Y_LPARAM(point)};
  int row = -1;
  if (point == -1) {
    row = static_cast<int>(
        SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED | LVNI_SELECTED));
    RECT cell{};
    cell.left = LVIR_LABEL;
    if (row < 0 || !SendMessageW(list, LVM_GETITEMRECT, static_cast<WPARAM>(row),
                                 reinterpret_cast<LPARAM>(&cell))) {
      return;
    }
    at = {cell.left, cell.bottom};
    ClientToScreen(list, &at);
  } else {
    LVHITTESTINFO hit{};
    hit.pt = at;
    ScreenToClient(list, &hit.pt);
    row = static_cast<int>(SendMessageW(list, LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
  }
  if (row < 0) {
    return;
  }
  view_.SetMenuPoint(at);
  OnRowMenu(row);
}

bool PLTXFRDlg::HandleMessage(UINT msg, WPARAM wparam, LPARAM lparam, INT_PTR* result) {
  HWND list = GetDlgItem(hwnd(), IDC_DRAWING_LIST);
  if (msg == WM_CONTEXTMENU && reinterpret_cast<HWND>(wparam) == list) {
    OnListContextMenu(lparam);
    *result = TRUE;
    return true;
  }
  if (msg == WM_DROPFILES) {
    TakeDrop(reinterpret_cast<HDROP>(wparam));
    *result = TRUE;
    return true;
  }
  return false;
}

}  // namespace plotxfer::ui
