// The drawing list's handlers against an in-memory view and file system.
#include "ui/drawing_list.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <map>

#include "../common/fake_value_store.h"
#include "fake_dialog_view.h"
#include "ui/main_dialog.h"

namespace plotxfer::ui {
namespace {

using ::testing::ElementsAre;
using testing::FakeDialogView;
using Texts = std::vector<std::string>;

constexpr const char* kFolder = "D:\\dw";

// Files by path: a folder, or a file with the result its header test gives.
class FakeDrawingFiles : public DrawingFiles {
 public:
  std::map<std::string, HeaderResult> files;
  std::vector<std::string> folders;

  bool IsFolderOrUnknown(const std::string& path) const override {
    return std::find(folders.begin(), folders.end(), path) != folders.end() ||
           files.count(path) == 0;
  }
  bool Exists(const std::string& path) const override { return files.count(path) != 0; }
  HeaderResult CheckHeader(const std::string& path) const override {
    const auto it = files.find(path);
    return it == files.end() ? HeaderOpenFailed : it->second;
  }
};

// The dialog with a settings store and the fake files, its list empty.
struct ListSetup {
  ListSetup() : settings(values) {
    view.strings = {{IDS_APP_TITLE, "title"},
                    {IDS_SELECT_DRAWINGS, "select"},
                    {IDS_DRAWING_FILTER, "filter|*.VX||"},
                    {IDS_CHOOSE_FOLDER, "choose a folder"},
                    {IDS_INVALID_SELECTION, "invalid"},
                    {IDS_CONFIRM_REMOVE_ONE, "remove\n%s\n?"},
                    {IDS_CONFIRM_REMOVE_MANY, "remove these?"}};
    files.folders = {kFolder};
    ConversionOptions record;
    record.AppFolder = "C:\\App\\";
    dialog.SetView(&view);
    DialogServices services;
    services.settings = &settings;
    services.files = &files;
    dialog.SetServices(services);
    dialog.FillFrom(record);
    dialog.InitializeControls();
  }

  // Drawings that pass every test, in folder kFolder.
  void Drawings(const Texts& names) {
    for (const std::string& name : names) {
      files.files[std::string(kFolder) + "\\" + name] = HeaderOk;
    }
  }
  // The next file selection answers with kFolder and these names.
  void Choose(const Texts& names) {
    Texts answer{kFolder};
    answer.insert(answer.end(), names.begin(), names.end());
    view.file_answers.push_back(answer);
  }
  // Fills the list through the handler with n drawings r0.VX, r1.VX, ...
  void List(int n) {
    Texts names;
    for (int i = 0; i < n; ++i) {
      names.push_back("r" + std::to_string(i) + ".VX");
    }
    Drawings(names);
    Choose(names);
    dialog.OnAddFile();
    ASSERT_EQ(dialog.RowCount, n);
  }
  Texts Column(int column) const {
    Texts out;
    for (const auto& row : view.rows) {
      out.push_back(row[static_cast<std::size_t>(column)]);
    }
    return out;
  }
  std::string Path(const std::string& name) const { return std::string(kFolder) + "\\" + name; }
  bool Enabled(int id) const { return view.control(id).enabled; }

  plotxfer::testing::FakeValueStore values;
  SettingsStore settings;
  FakeDrawingFiles files;
  FakeDialogView view;
  MainDialog dialog;
};

class DrawingListTest : public ::testing::Test, public ListSetup {};

TEST_F(DrawingListTest, AcceptsExistingFilesWithTheExtensionInAnyCaseAndAGoodHeader) {
  files.files = {{Path("a.VX"), HeaderOk},
                 {Path("b.vx"), HeaderOk},
                 {Path("c.Vx"), HeaderOk},
                 {Path("a.vx.bak"), HeaderOk},
                 {Path("VX"), HeaderOk},
                 {Path("notes.txt"), HeaderOk},
                 {Path("old.VX"), HeaderBadVersion},
                 {Path("short.VX"), HeaderTooShort}};
  Choose({"a.VX", "notes.txt", "b.vx", "gone.VX", "a.vx.bak", "VX", "old.VX", "short.VX", "c.Vx"});
  EXPECT_EQ(dialog.ChooseDrawings(), ChooseAccepted);
  EXPECT_THAT(dialog.PendingPaths, ElementsAre(Path("a.VX"), Path("b.vx"), Path("c.Vx")));
}

// The invalid file is dropped without a word; a path already listed, or chosen twice, makes one
// row, compared exactly (R0.VX is not r0.VX).
TEST_F(DrawingListTest, ChosenDrawingsAreNumberedAfterTheRowsOnceEachWithoutAWord) {
  List(1);
  Drawings({"a.VX", "b.VX", "R0.VX"});
  Choose({"a.VX", "notes.txt", "b.VX", "r0.VX", "R0.VX", "R0.VX"});
  view.focused = 0;
  dialog.OnAddFile();
  EXPECT_TRUE(view.messages.empty());
  EXPECT_THAT(Column(0), ElementsAre("  1", "  2", "  3", "  4"));
  EXPECT_THAT(Column(1), ElementsAre(Path("r0.VX"), Path("a.VX"), Path("b.VX"), Path("R0.VX")));
  EXPECT_THAT(Column(2), ElementsAre("", "", "", ""));
  EXPECT_EQ(dialog.DrawingPaths, Column(1));
  EXPECT_EQ(dialog.RowCount, 4);
  EXPECT_EQ(view.selected_rows.back(), 0);
  EXPECT_EQ(view.focused, IDC_DRAWING_LIST);
  EXPECT_TRUE(Enabled(IDC_EXECUTE));
  EXPECT_TRUE(Enabled(IDC_ABORT));

  // The selection opened where the last one was accepted, and that folder is stored at once.
  ASSERT_EQ(view.file_requests.size(), 2u);
  EXPECT_EQ(view.file_requests[0].initial_folder, "C:\\App\\");
  EXPECT_EQ(view.file_requests[1].initial_folder, "D:\\dw\\");
  EXPECT_EQ(view.file_requests[1].title, "select");
  EXPECT_EQ(view.file_requests[1].filter, "filter|*.VX||");
  EXPECT_EQ(view.file_requests[1].result_chars, 65535u);
  EXPECT_EQ(dialog.AddFilFolder, "D:\\dw\\");
  const auto* stored = values.Get("SOFTWARE\\MORVA\\PLOTXFER\\BootData", "AddFilFolder");
  ASSERT_NE(stored, nullptr);
  EXPECT_EQ(stored->data, std::string("D:\\dw\\") + '\0');
}

TEST_F(DrawingListTest, OnlyInvalidFilesWarnAndReopenUntilTheUserCancels) {
  files.files[Path("bad.VX")] = HeaderBadMagic;
  Choose({"bad.VX", "notes.txt"});
  view.file_answers.push_back(Texts{Path("bad.VX")});  // the single-file form
  dialog.OnAddFile();  // the third selection finds no answer: cancelled
  EXPECT_EQ(view.file_requests.size(), 3u);
  ASSERT_EQ(view.messages.size(), 2u);
  const MessageRequest& m = view.messages[0];
  EXPECT_EQ(m.text, "invalid");
  EXPECT_EQ(m.caption, "select");
  EXPECT_EQ(m.buttons, MessageButtons::Ok);
  EXPECT_EQ(m.icon, MessageIcon::Warning);
  EXPECT_TRUE(m.task_modal);
  EXPECT_TRUE(view.rows.empty());
  EXPECT_EQ(dialog.RowCount, 0);
  EXPECT_EQ(dialog.AddFilFolder, "C:\\App\\");
  EXPECT_EQ(values.Get("SOFTWARE\\MORVA\\PLOTXFER\\BootData", "AddFilFolder"), nullptr);
  EXPECT_FALSE(Enabled(IDC_EXECUTE));
  EXPECT_NE(view.focused, IDC_DRAWING_LIST);
}

// The folder is kept even when the store refuses it, and nothing is said about that.
TEST_F(DrawingListTest, SingleChosenFileThatVanishedIsInvalidAndAGoodOneEndsTheLoop) {
  values.FailSetsOf("AddFilFolder");
  Drawings({"a.VX"});
  view.file_answers.push_back(Texts{Path("gone.VX")});
  view.file_answers.push_back(Texts{Path("a.VX")});
  dialog.OnAddFile();
  EXPECT_EQ(view.messages.size(), 1u);
  EXPECT_THAT(dialog.DrawingPaths, ElementsAre(Path("a.VX")));
  EXPECT_EQ(dialog.AddFilFolder, "D:\\dw\\");
}

TEST_F(DrawingListTest, ListStopsAt99RowsInTheDialogsOrder) {
  List(98);
  Drawings({"x.VX", "y.VX", "z.VX"});
  Choose({"y.VX", "x.VX", "z.VX"});
  dialog.OnAddFile();
  EXPECT_EQ(dialog.RowCount, 99);
  EXPECT_EQ(dialog.DrawingPaths.back(), Path("y.VX"));
  EXPECT_EQ(view.rows.back()[0], " 99");
  // A full list still follows the folder of the accepted choice.
  Drawings({"more.VX"});
  view.file_answers.push_back(Texts{"E:\\other\\more.VX"});
  files.files["E:\\other\\more.VX"] = HeaderOk;
  dialog.OnAddFile();
  EXPECT_EQ(dialog.RowCount, 99);
  EXPECT_EQ(dialog.AddFilFolder, "E:\\other\\");
}

TEST_F(DrawingListTest, JoinedPathsLongerThan259BytesAreDroppedNotCut) {
  const std::string folder = "D:\\" + std::string(251, 'f');
  files.folders.push_back(folder);
  const std::string fits = folder + "\\a.VX";  // 259 bytes
  files.files[fits] = HeaderOk;
  files.files[folder + "\\a.VX2"] = HeaderOk;  // cut to 259 bytes it would name the other file
  view.file_answers.push_back(Texts{folder, "a.VX2"});
  EXPECT_EQ(dialog.ChooseDrawings(), ChooseNoneValid);
  view.file_answers.push_back(Texts{folder, "a.VX"});
  EXPECT_EQ(dialog.ChooseDrawings(), ChooseAccepted);
  EXPECT_THAT(dialog.PendingPaths, ElementsAre(fits));
}

// Removing rows asks first (naming the file when it is one), keeps the rows on No and renumbers
// the rest on Yes; Execute and Abort follow what is left.
TEST(DrawingListRemoval, AsksThenRemovesAndRenumbers) {
  struct Case {
    const char* name;
    int rows;
    std::vector<int> selected;
    MessageAnswer answer;
    const char* question;  // null: nothing is asked
    Texts left;            // the names left, in row order
  };
  const auto yes = MessageAnswer::Yes;
  const Case cases[] = {
      {"rows 2 and 4 of 5", 5, {1, 3}, yes, "remove these?", {"r0.VX", "r2.VX", "r4.VX"}},
      {"one row, No", 2, {1}, MessageAnswer::No, "remove\nr1.VX\n?", {"r0.VX", "r1.VX"}},
      {"one row, Yes", 2, {0}, yes, "remove\nr0.VX\n?", {"r1.VX"}},
      {"the last row", 1, {0}, yes, "remove\nr0.VX\n?", {}},
      {"no row selected", 2, {}, yes, nullptr, {"r0.VX", "r1.VX"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ListSetup t;
    t.List(c.rows);
    t.view.selected_rows = c.selected;
    t.view.next_answer = c.answer;
    t.view.focused = 0;
    t.dialog.OnDeleteFile();
    ExpectOneMessage(t.view, c.question, MessageIcon::Question, MessageButtons::YesNo);
    const Texts numbers{"  1", "  2", "  3"};
    Texts paths;
    for (const std::string& name : c.left) {
      paths.push_back(t.Path(name));
    }
    EXPECT_EQ(t.Column(0), Texts(numbers.begin(), numbers.begin() + c.left.size()));
    EXPECT_EQ(t.Column(1), paths);
    EXPECT_EQ(t.dialog.DrawingPaths, paths);
    EXPECT_EQ(t.dialog.RowCount, static_cast<int>(c.left.size()));
    EXPECT_EQ(t.Enabled(IDC_EXECUTE), !c.left.empty());
    EXPECT_EQ(t.Enabled(IDC_ABORT), !c.left.empty());
    if (c.answer == MessageAnswer::No) {
      EXPECT_EQ(t.view.focused, IDC_DRAWING_LIST);
    }
  }
}

TEST_F(DrawingListTest, BrowsedFolderEndsInOneBackslashAndIsNotStored) {
  struct Case {
    std::optional<std::string> chosen;
    std::string shown;
  };
  const Case cases[] = {
      {"C:\\", "C:\\"},
      {"C:\\out", "C:\\out\\"},
      {"C:\\out\\\x95\x5C", "C:\\out\\\x95\x5C\\"},  // 表 ends in byte 0x5C
      {std::nullopt, "C:\\out\\\x95\x5C\\"},         // cancelled: nothing changes
  };
  for (const Case& c : cases) {
    view.folder_answers.push_back(c.chosen);
    const std::string before = dialog.SelFolder;
    dialog.OnBrowseFolder();
    EXPECT_EQ(view.folder_requests.back().initial_folder, before);
    EXPECT_EQ(view.folder_requests.back().instruction, "choose a folder");
    EXPECT_EQ(dialog.SelFolder, c.shown);
    EXPECT_EQ(view.control(IDC_FOLDER_EDIT).text, c.shown);
  }
  EXPECT_TRUE(values.log().empty());
  EXPECT_EQ(dialog.FolderType, 0);
}

}  // namespace
}  // namespace plotxfer::ui
