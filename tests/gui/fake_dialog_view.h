#pragma once
// An in-memory DialogView: controls keep the state the logic gives them, the list keeps its
// rows, and every read and write is logged so tests can check what was touched and in what order.
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "ui/dialog_view.h"

namespace plotxfer::ui::testing {

struct FakeControl {
  bool checked = false;
  bool enabled = true;
  bool visible = true;
  std::string text;
};

struct FakeColumn {
  int index;
  std::string title;
  int width;
};

class FakeDialogView : public DialogView {
 public:
  // Texts of the string table by id (UTF-8).
  std::map<int, std::string> strings;
  mutable std::map<int, FakeControl> controls;
  bool has_system_menu = true;
  std::vector<std::pair<int, std::string>> system_menu;  // command, text; 0 = separator
  bool icon_set = false;
  unsigned list_extended_style = 0;
  std::vector<FakeColumn> columns;
  std::vector<std::vector<std::string>> rows;
  std::vector<int> selected_rows;
  std::vector<MessageRequest> messages;
  MessageAnswer next_answer = MessageAnswer::Ok;
  int focused = 0;
  int repaints = 0;
  // "read:<id>", "write:<id>", "text:<id>", "enable:<id>", "show:<id>", ... in call order.
  mutable std::vector<std::string> log;

  FakeControl& control(int id) { return controls[id]; }
  const FakeControl& control(int id) const { return controls[id]; }

  bool IsChecked(int id) const override {
    Log("read", id);
    return control(id).checked;
  }
  void SetCheck(int id, bool checked) override {
    Log("check", id);
    control(id).checked = checked;
  }
  void Enable(int id, bool enabled) override {
    Log("enable", id);
    control(id).enabled = enabled;
  }
  bool IsEnabled(int id) const override { return control(id).enabled; }
  void Show(int id, bool shown) override {
    Log("show", id);
    control(id).visible = shown;
  }
  void Focus(int id) override {
    log.push_back("focus:" + std::to_string(id));
    focused = id;
  }
  std::string Text(int id) const override {
    Log("text", id);
    return control(id).text;
  }
  void SetText(int id, const std::string& narrow) override {
    Log("settext", id);
    control(id).text = narrow;
  }
  void Repaint() override { ++repaints; }
  // What the user did while the dialog was busy, handed out one batch per ProcessPendingMessages:
  // each batch runs its actions (clicks) then; a batch that says quit ends with the quit message.
  struct PendingBatch {
    std::vector<std::function<void()>> actions;
    bool quit = false;
  };
  std::vector<PendingBatch> pending;
  int pumps = 0;
  bool ProcessPendingMessages() override {
    ++pumps;
    log.push_back("pump");
    if (pending.empty()) {
      return true;
    }
    PendingBatch batch = std::move(pending.front());
    pending.erase(pending.begin());
    for (auto& action : batch.actions) {
      action();
    }
    return !batch.quit;
  }

  std::string LoadText(int string_id) const override {
    auto it = strings.find(string_id);
    return it == strings.end() ? std::string() : it->second;
  }
  std::string NarrowToUtf8(const std::string& narrow) const override { return narrow; }

  bool AppendSystemMenuItem(int command, const std::string& utf8_text) override {
    log.push_back("sysmenu");
    if (!has_system_menu) {
      return false;
    }
    system_menu.emplace_back(0, "");
    system_menu.emplace_back(command, utf8_text);
    return true;
  }
  void SetDialogIcon() override {
    log.push_back("icon");
    icon_set = true;
  }

  void ListAddExtendedStyle(unsigned bits) override {
    log.push_back("liststyle");
    list_extended_style |= bits;
  }
  void ListInsertColumn(int index, const std::string& utf8_title, int width) override {
    log.push_back("column");
    columns.push_back({index, utf8_title, width});
  }
  int ListRowCount() const override { return static_cast<int>(rows.size()); }
  void ListInsertRow(int row, const std::string& narrow) override {
    rows.insert(rows.begin() + row, std::vector<std::string>{narrow, "", ""});
  }
  void ListSetCell(int row, int column, const std::string& narrow) override {
    rows.at(static_cast<std::size_t>(row)).at(static_cast<std::size_t>(column)) = narrow;
  }
  void ListSetUiCell(int row, int column, const std::string& utf8) override {
    ListSetCell(row, column, utf8);
  }
  std::string ListCell(int row, int column) const override {
    return rows.at(static_cast<std::size_t>(row)).at(static_cast<std::size_t>(column));
  }
  void ListDeleteRow(int row) override { rows.erase(rows.begin() + row); }
  std::vector<int> ListSelectedRows() const override { return selected_rows; }
  void ListSelectAndFocusRow(int row) override { selected_rows.push_back(row); }
  int painting_held = 0;  // holds not yet released
  void ListHoldPainting(bool hold) override { painting_held += hold ? 1 : -1; }

  MessageAnswer ShowMessage(const MessageRequest& request) override {
    messages.push_back(request);
    return next_answer;
  }
  // The choosers answer from these queues, front first; an empty queue answers "cancelled".
  std::vector<std::optional<std::vector<ShellName>>> file_answers;
  std::vector<std::optional<ShellName>> folder_answers;
  std::vector<FileRequest> file_requests;
  std::vector<FolderRequest> folder_requests;

  std::optional<std::vector<ShellName>> ChooseFiles(const FileRequest& request) override {
    file_requests.push_back(request);
    if (file_answers.empty()) {
      return std::nullopt;
    }
    auto answer = file_answers.front();
    file_answers.erase(file_answers.begin());
    return answer;
  }
  std::optional<ShellName> ChooseFolder(const FolderRequest& request) override {
    folder_requests.push_back(request);
    if (folder_answers.empty()) {
      return std::nullopt;
    }
    auto answer = folder_answers.front();
    folder_answers.erase(folder_answers.begin());
    return answer;
  }

  bool accepts_drops = true;
  void AcceptDrops(bool accept) override { accepts_drops = accept; }
  int FocusedControl() const override { return focused; }
  std::string title;
  void SetTitle(const std::string& utf8) override {
    title = utf8;
    titles.push_back(utf8);
  }
  std::vector<std::string> titles;  // every title shown, in order
  struct Progress {
    std::size_t done, total;
    bool failed;
    bool operator==(const Progress&) const = default;
  };
  std::vector<Progress> progress;
  void ShowRunProgress(std::size_t done, std::size_t total, bool failed) override {
    progress.push_back({done, total, failed});
  }
  int flashes = 0;
  void FlashIfInBackground() override { ++flashes; }
  std::vector<std::string> opened;  // files opened with the shell
  void OpenWithShell(const std::string& narrow_path) override { opened.push_back(narrow_path); }
  void ShowInFolder(const std::string&) override {}
  int TrackMenu(const std::vector<MenuItem>&) override { return 0; }

  // The ids touched by calls of one kind, in order.
  std::vector<int> Calls(const std::string& kind) const {
    std::vector<int> ids;
    const std::string prefix = kind + ":";
    for (const std::string& entry : log) {
      if (entry.rfind(prefix, 0) == 0) {
        ids.push_back(std::stoi(entry.substr(prefix.size())));
      }
    }
    return ids;
  }

 private:
  void Log(const char* kind, int id) const {
    log.push_back(std::string(kind) + ":" + std::to_string(id));
  }
};

// Exactly the one message text under the dialog's title ("title" in the tests), with its icon and
// buttons; with no text, no message at all.
inline void ExpectOneMessage(const FakeDialogView& view, const char* text, MessageIcon icon,
                             MessageButtons buttons) {
  if (text == nullptr) {
    EXPECT_TRUE(view.messages.empty());
    return;
  }
  ASSERT_EQ(view.messages.size(), 1u);
  EXPECT_EQ(view.messages[0].text, text);
  EXPECT_EQ(view.messages[0].caption, "title");
  EXPECT_EQ(view.messages[0].icon, icon);
  EXPECT_EQ(view.messages[0].buttons, buttons);
}

}  // namespace plotxfer::ui::testing
