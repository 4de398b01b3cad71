#pragma once
// What a page of the output settings sheet needs of its window besides the controls every view
// gives: edits, one drop-down list, focus. The Win32 page implements it on the real controls; tests
// implement it in memory.
//
// Edit texts are narrow strings (the platform's narrow encoding); list entries and string-table
// texts are UTF-8, so that the Japanese paper names survive any ANSI code page.
#include <string>

#include "ui/control_view.h"

namespace plotxfer::ui {

class PageView : public ControlView {
 public:
  virtual void SetUiText(int id, const std::string& utf8) = 0;
  // How many characters the user may type; text set by the program is not cut.
  virtual void LimitText(int id, int chars) = 0;
  // Moves the focus to an edit and selects its whole text.
  virtual void FocusAndSelectAll(int id) = 0;
  // A balloon tip on an edit, until the user types or the focus moves.
  virtual void ShowTip(int id, const std::string& utf8_title, const std::string& utf8_text) = 0;

  virtual void ListReset(int id) = 0;
  virtual void ListAdd(int id, const std::string& utf8) = 0;
  virtual void ListSelect(int id, int index) = 0;
  // The selected entry's index, -1 when none is.
  virtual int ListSelection(int id) const = 0;
};

}  // namespace plotxfer::ui
