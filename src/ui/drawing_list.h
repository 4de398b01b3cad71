#pragma once
// The drawing list's rules that need no window: which files are drawings, why a chosen or
// dropped file is not added, and how rows are numbered. The list's handlers are the main
// dialog's (drawing_list.cpp).
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/drawing/header.h"
#include "core/text/codepage.h"
#include "core/text/path.h"
#include "ui/dialog_view.h"

namespace plotxfer::ui {

// What the list asks of the file system about a chosen file.
class DrawingFiles {
 public:
  virtual ~DrawingFiles() = default;
  // True when path names a folder, or when its attributes cannot be read at all.
  virtual bool IsFolderOrUnknown(const std::string& path) const = 0;
  virtual bool Exists(const std::string& path) const = 0;
  virtual HeaderResult CheckHeader(const std::string& path) const = 0;
  // A drawing refused only for being saved by a newer VELLUMIX.
  virtual bool IsNewerDrawing(const std::string& path) const = 0;
  // The names of the files in a folder, its subfolders left out, in no particular order; nothing
  // when path is no folder that can be read.
  virtual std::optional<std::vector<ShellName>> FilesInFolder(const std::string& path) const = 0;
};

// The files of the running system (the dialog program only).
const DrawingFiles& SystemDrawingFiles();

// Why a chosen or dropped file did not enter the list.
enum class NotAddedReason {
  NotADrawing,         // no ".VX", or no drawing's header (an older version included)
  NewerVersion,        // a drawing saved by a newer VELLUMIX
  CannotOpen,          // missing, or cannot be read
  AlreadyListed,       // the same path is in the list
  PathTooLong,         // longer than the list keeps
  ListFull,            // the list holds its most rows
  NameNotHeld,         // the ANSI code page cannot hold the name
  NoDrawingsInFolder,  // a dropped folder without ".VX" files
};

struct NotAdded {
  std::string name;  // UTF-8, as the message shows it: the last component
  NotAddedReason reason;
};

// The test of ファイル追加 for one full path, before the list's own limits (listed once, the most
// rows): nothing when it may enter the list.
std::optional<NotAddedReason> RefusalOf(const std::string& path, const DrawingFiles& files);

// At most this many names in the message about files not added; the rest are counted.
inline constexpr std::size_t kMaxNamesNotAdded = 10;

// The message about files not added (UTF-8): the lead line, one line per file with its reason,
// and how many more there were.
std::string NotAddedMessage(const DialogView& view, const std::vector<NotAdded>& not_added);

// Column 0 of row index i: i + 1 right-aligned in three characters.
std::string RowNumberText(int row_index);

}  // namespace plotxfer::ui
