#pragma once
// What every view on a dialog's window gives the logic behind it: check boxes and radio buttons,
// enabling, narrow texts and the string table. The main dialog's view and a property page's view
// both extend it, as a property page is a dialog.
#include <string>

namespace plotxfer::ui {

class ControlView {
 public:
  virtual ~ControlView() = default;

  // Check boxes and radio buttons.
  virtual bool IsChecked(int id) const = 0;
  virtual void SetCheck(int id, bool checked) = 0;
  // Any control.
  virtual void Enable(int id, bool enabled) = 0;
  // A control's text, narrow (paths, edits).
  virtual std::string Text(int id) const = 0;
  virtual void SetText(int id, const std::string& narrow) = 0;

  // A text of the string table, UTF-8; empty when the id has none.
  virtual std::string LoadText(int string_id) const = 0;
};

}  // namespace plotxfer::ui
