#pragma once
// The main dialog's state and rules, written against DialogView so they run on every platform.
// The Win32 dialog (PLTXFRDlg) adds the window, its command table and the system-menu and
// paint handlers around it.
#include <array>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "core/convert/run.h"
#include "core/params/param_file.h"
#include "core/settings/options.h"
#include "core/settings/settings_store.h"
#include "core/settings/stored_settings.h"
#include "core/text/codepage.h"
#include "core/text/path.h"
#include "ui/dialog_view.h"
#include "ui/drawing_list.h"
#include "ui/enable_rules.h"

namespace plotxfer::ui {

inline constexpr int kMaxRows = 99;
// Grid lines, header drag-and-drop and full-row select, added to the list's extended styles.
inline constexpr unsigned kListExtendedStyles = 0x31;

// What the dialog reaches outside its window: the program gives the system's, tests give fakes.
struct DialogServices {
  SettingsStore* settings = nullptr;
  const DrawingFiles* files = nullptr;
  text::PathStyle path_style = text::PathStyle::Windows;
  text::CodePage code_page = text::CodePage::ShiftJis;
  // The run: the application's record (the captured options go there and the tools' command
  // lines come from it), the drafting system's vector font, the process-wide pen and line-type
  // tables, the parameter file's services, the tools and files, the folder lock and process list.
  ConversionOptions* record = nullptr;
  int char_vector_font = kDefaultCharVectorFont;
  params::ParamTables* tables = nullptr;
  const params::ParamServices* params = nullptr;
  const ConversionServices* conversion = nullptr;
  const RunPorts* run_ports = nullptr;
};

// The longest status text a cell takes, in bytes.
inline constexpr std::size_t kMaxStatusBytes = 19;

// A status text from its string-table format (UTF-8) and a result code, cut to kMaxStatusBytes
// at a character boundary.
std::string FormatStatusText(const std::string& format, int code);

// What the file selection made of the user's choice.
enum ChooseResult : int {
  ChooseCancelled = 0,
  ChooseAccepted = 1,  // at least one drawing is pending
  ChooseNoneValid = 3,
};

struct ListColumn {
  int title_id;
  int width;
};
inline constexpr std::array<ListColumn, 3> kListColumns = {{
    {IDS_COLUMN_NO, 40},
    {IDS_COLUMN_FILE, 400},
    {IDS_COLUMN_STATUS, 70},
}};

class MainDialog {
 public:
  std::string AddFilFolder;  // where the file selection opens
  std::string AppFolder;     // the program's folder, ending in a separator

  // The drawing list: full paths in row order.
  std::vector<std::string> DrawingPaths;
  int RowCount() const { return static_cast<int>(DrawingPaths.size()); }
  bool AbortFlag = false;
  std::vector<std::string> PendingPaths;
  // What the last choice or drop did not add, and why.
  std::vector<NotAdded> NotAddedFiles;

  MainDialog() = default;
  virtual ~MainDialog() = default;

  // Start-up's filling from the record. An empty AddFilFolder becomes AppFolder here only.
  void FillFrom(const ConversionOptions& record);

  void SetView(DialogView* view) { view_ = view; }
  void SetServices(const DialogServices& services) { services_ = services; }
  const DialogServices& services() const { return services_; }
  // Reads the line-type defaults of the parameter template in the given application folder;
  // the last step of the initialisation.
  void SetLineTypeLoader(std::function<void(const std::string& app_folder)> loader) {
    line_type_loader_ = std::move(loader);
  }

  // The initialisation after the controls exist: system menu, icons, options, folder, list,
  // run buttons, hidden buttons, line-type defaults. True leaves the focus to the default.
  bool InitializeControls();

  void OnPdf();
  void OnImage();
  void OnFileFolder();
  void OnSelFolder();
  void OnAbort();

  // The drawing list (drawing_list.cpp).
  void OnAddFile();
  void OnDeleteFile();
  void OnBrowseFolder();
  // The file selection: fills PendingPaths and stores the folder of an accepted choice.
  ChooseResult ChooseDrawings();
  // Appends PendingPaths, skipping listed paths, up to kMaxRows rows.
  void AddPendingRows();
  // Files and folders dropped on the dialog, in the order of the drop: the files pass the test
  // of the file selection, a folder gives its drawings (not its subfolders') in name order.
  // Then one message names what was not added. Refused during a run.
  void OnDropFiles(const std::vector<ShellName>& dropped);
  // Rewrites the row numbers from row first to the last row.
  void RenumberRows(int first);

  // The conversion run (conversion_run.cpp).
  void OnExecute();
  // Handles the pending window messages; true (abort) when Abort was clicked among them or the
  // quit message came.
  bool PumpMessages();

  // A run's end, whatever ended it: the controls unlocked, the focus, title and task-bar button
  // given back, the task-bar button flashed when another window is in front.
  void FinishRun();

  // Where Exit, Escape and the close box come from: they share the cancel command.
  enum class CancelSource { ExitButton, EscapeKey, CloseBox };
  // Each answers whether the dialog ends now. With drawings listed neither Enter nor Escape ends
  // it; the close box during a run asks whether to stop after the drawing under way and end.
  bool OnAccept();
  bool OnCancelCommand(CancelSource source);
  // A close confirmed during the run that has just ended: the dialog ends now.
  bool end_requested() const { return end_after_run_; }

  // What the rows made (row_output.cpp). A row's output, or empty when it made none (not
  // converted, or not in a run since it was listed).
  std::string RowOutput(int row) const;
  // Double-click or Enter on a row: its output opens with the program associated with it.
  void OnRowActivated(int row);
  // Right-click on a row: open its output, its folder, or remove the selected rows.
  void OnRowMenu(int row);

  // Reads the option controls into the working copy (the run does this at its start).
  void CaptureOptions();
  // The working copy of the general options, as the run start saves it.
  const GeneralOptions& options() const { return options_; }

  // Locks (false) or unlocks (true) the controls around a run.
  void EnableRunControls(bool enable);
  // Abort and Execute follow the number of rows.
  void UpdateRunButtons();

  // Why each row of the last run failed, as the string id of its reason (0: it did not fail).
  void ClearRowFailures();
  void NoteRowFailure(std::size_t row, ConversionResult code, FailureKind kind);
  // A removed row takes its reason along; the rows below move up.
  void ForgetRowFailure(int row);
  // The tip of a row's status cell: why it failed, UTF-8; empty for a row that did not.
  std::string RowTip(int row) const;

  bool run_in_progress() const { return running_; }
  // Exit, Escape, the close box and the accept command end the dialog only outside a run.
  bool MayEnd() const { return !running_; }

  EnableState enable_state() const { return {running_, options_.PdfOrImage, RowCount()}; }

 protected:
  DialogView& view() const { return *view_; }

 private:
  void SetImageFormatsEnabled(bool enabled);
  void SetBox(int id, int value);

  // The focus goes to the list when it has rows.
  void FocusListIfFilled();

  // A path that passes the test joins PendingPaths (true); one that fails is noted with its reason.
  bool TakeIfDrawing(const std::string& path);
  void TakeDrawingsOfFolder(const std::string& folder, const std::vector<ShellName>& names);
  void NoteNotAdded(const ShellName& name, NotAddedReason reason);
  // One message about NotAddedFiles, when there are any.
  void ReportNotAdded();
  // The title during a run: the drawing under way of the run's total, and that the run stops
  // after it once a stop was asked for.
  void ShowRunTitle();
  // A stop asked for during a run (Abort, or a confirmed close): remembered until the next run
  // starts, and shown at once.
  void LatchStop();

  friend class DialogRunObserver;
  std::size_t run_row_ = 0;    // the drawing under way, counted from 1; 0 before the first
  std::size_t run_total_ = 0;  // drawings in the run
  bool end_after_run_ = false;
  // The outputs of the last run's converted drawings, by drawing path.
  std::map<std::string, std::string> outputs_;

  GeneralOptions options_;  // the working copy, taken into the record at run start
  DialogView* view_ = nullptr;
  DialogServices services_;
  std::function<void(const std::string&)> line_type_loader_;
  bool running_ = false;
  std::vector<int> row_failures_;  // by row, as far as the last run reached
};

struct Point {
  int x;
  int y;
};

// Where the icon of a minimised dialog is drawn: centred, rounding as integer division does.
constexpr Point MinimisedIconOrigin(int client_width, int client_height, int icon_width,
                                    int icon_height) {
  return {(client_width - icon_width + 1) / 2, (client_height - icon_height + 1) / 2};
}

}  // namespace plotxfer::ui
