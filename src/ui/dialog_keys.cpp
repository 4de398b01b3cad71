// Enter, Escape, Exit and the close box. The dialog has no accept button of its own, so Enter
// outside a push button and Escape come as the accept and cancel commands; Exit, Escape and the
// close box all come as cancel. A list of drawings is work the user has not saved anywhere: no
// key press throws it away, and a close during a run asks first.
#include "ui/main_dialog.h"

namespace plotxfer::ui {

bool MainDialog::OnAccept() {
  if (RowCount() == 0) {
    return MayEnd();
  }
  if (view().FocusedControl() == IDC_DRAWING_LIST) {
    const std::vector<int> selected = view().ListSelectedRows();
    if (!selected.empty()) {
      OnRowActivated(selected.front());
    }
  }
  return false;
}

bool MainDialog::OnCancelCommand(CancelSource source) {
  switch (source) {
    case CancelSource::ExitButton:
      return MayEnd();
    case CancelSource::EscapeKey:
      return RowCount() == 0 && MayEnd();
    case CancelSource::CloseBox:
      break;
  }
  if (MayEnd()) {
    return true;
  }
  if (end_after_run_) {
    return false;  // asked and answered already; the run is stopping
  }
  MessageRequest question;
  question.text = view().LoadText(IDS_CONFIRM_CLOSE_RUN);
  question.caption = view().LoadText(IDS_APP_TITLE);
  question.buttons = MessageButtons::YesNo;
  question.icon = MessageIcon::Question;
  question.default_no = true;
  if (view().ShowMessage(question) == MessageAnswer::Yes && running_) {
    end_after_run_ = true;
    LatchStop();
  }
  return false;
}

}  // namespace plotxfer::ui
