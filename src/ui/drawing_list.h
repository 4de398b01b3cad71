#pragma once
// The drawing list's rules that need no window: which files are drawings and how rows are
// numbered. The list's handlers are the main dialog's (drawing_list.cpp).
#include <string>
#include <string_view>

#include "core/drawing/header.h"
#include "core/text/codepage.h"
#include "core/text/path.h"

namespace plotxfer::ui {

// What the list asks of the file system about a chosen file.
class DrawingFiles {
 public:
  virtual ~DrawingFiles() = default;
  // True when path names a folder, or when its attributes cannot be read at all.
  virtual bool IsFolderOrUnknown(const std::string& path) const = 0;
  virtual bool Exists(const std::string& path) const = 0;
  virtual HeaderResult CheckHeader(const std::string& path) const = 0;
};

// The files of the running system (the dialog program only).
const DrawingFiles& SystemDrawingFiles();

// True when the last path component ends in ".VX", in any letter case: a.vx and A.VX are
// drawings, a.vx.bak and a name without a dot are not.
bool HasDrawingExtension(std::string_view path, text::PathStyle style, text::CodePage cp);

// A drawing's name: the file exists and has the drawing extension.
bool IsDrawingFileName(const std::string& path, const DrawingFiles& files, text::PathStyle style,
                       text::CodePage cp);

// Column 0 of row index i: i + 1 right-aligned in three characters.
std::string RowNumberText(int row_index);

}  // namespace plotxfer::ui
