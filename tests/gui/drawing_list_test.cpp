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

class DrawingListTest : public ::testing::Test {
 protected:
  DrawingListTest() : settings(values) {
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

TEST_F(DrawingListTest, ThreeChosenWithOneInvalidAddsTwoNumberedAfterTheRowsWithoutAWord) {
  List(1);
  Drawings({"a.VX", "b.VX"});
  Choose({"a.VX", "notes.txt", "b.VX"});
  view.focused = 0;
  dialog.OnAddFile();
  EXPECT_TRUE(view.messages.empty());
  EXPECT_THAT(Column(0), ElementsAre("  1", "  2", "  3"));
  EXPECT_THAT(Column(1), ElementsAre(Path("r0.VX"), Path("a.VX"), Path("b.VX")));
  EXPECT_THAT(Column(2), ElementsAre("", "", ""));
  EXPECT_EQ(dialog.DrawingPaths, Column(1));
  EXPECT_EQ(dialog.RowCount, 3);
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

TEST_F(DrawingListTest, SingleChosenFileThatVanishedIsInvalidAndAGoodOneEndsTheLoop) {
  Drawings({"a.VX"});
  view.file_answers.push_back(Texts{Path("gone.VX")});
  view.file_answers.push_back(Texts{Path("a.VX")});
  dialog.OnAddFile();
  EXPECT_EQ(view.messages.size(), 1u);
  EXPECT_THAT(dialog.DrawingPaths, ElementsAre(Path("a.VX")));
  EXPECT_EQ(dialog.AddFilFolder, "D:\\dw\\");
}

TEST_F(DrawingListTest, DuplicateTestIsExactAndCaseSensitive) {
  List(1);
  files.files[Path("R0.VX")] = HeaderOk;
  Choose({"r0.VX", "R0.VX", "R0.VX"});
  dialog.OnAddFile();
  EXPECT_THAT(dialog.DrawingPaths, ElementsAre(Path("r0.VX"), Path("R0.VX")));
  EXPECT_THAT(Column(0), ElementsAre("  1", "  2"));
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

TEST_F(DrawingListTest, DeletingRowsTwoAndFourOfFiveRenumbersTheRest) {
  List(5);
  view.selected_rows = {1, 3};
  view.next_answer = MessageAnswer::Yes;
  dialog.OnDeleteFile();
  ASSERT_EQ(view.messages.size(), 1u);
  EXPECT_EQ(view.messages[0].text, "remove these?");
  EXPECT_EQ(view.messages[0].caption, "title");
  EXPECT_EQ(view.messages[0].buttons, MessageButtons::YesNo);
  EXPECT_EQ(view.messages[0].icon, MessageIcon::Question);
  EXPECT_THAT(Column(0), ElementsAre("  1", "  2", "  3"));
  EXPECT_THAT(Column(1), ElementsAre(Path("r0.VX"), Path("r2.VX"), Path("r4.VX")));
  EXPECT_EQ(dialog.DrawingPaths, Column(1));
  EXPECT_EQ(dialog.RowCount, 3);
}

TEST_F(DrawingListTest, OneRowIsNamedInTheQuestionAndNoKeepsIt) {
  List(2);
  view.selected_rows = {1};
  view.next_answer = MessageAnswer::No;
  view.focused = 0;
  dialog.OnDeleteFile();
  ASSERT_EQ(view.messages.size(), 1u);
  EXPECT_EQ(view.messages[0].text, "remove\nr1.VX\n?");
  EXPECT_EQ(dialog.RowCount, 2);
  EXPECT_EQ(view.focused, IDC_DRAWING_LIST);

  view.next_answer = MessageAnswer::Yes;
  view.selected_rows = {0};
  dialog.OnDeleteFile();
  EXPECT_THAT(Column(0), ElementsAre("  1"));
  EXPECT_THAT(dialog.DrawingPaths, ElementsAre(Path("r1.VX")));
  EXPECT_TRUE(Enabled(IDC_EXECUTE));
}

TEST_F(DrawingListTest, DeletingTheLastRowDisablesExecuteAndAbort) {
  List(1);
  view.selected_rows = {0};
  view.next_answer = MessageAnswer::Yes;
  dialog.OnDeleteFile();
  EXPECT_EQ(dialog.RowCount, 0);
  EXPECT_TRUE(view.rows.empty());
  EXPECT_FALSE(Enabled(IDC_EXECUTE));
  EXPECT_FALSE(Enabled(IDC_ABORT));
}

TEST_F(DrawingListTest, DeleteWithNoRowSelectedShowsNothing) {
  List(2);
  view.selected_rows.clear();
  dialog.OnDeleteFile();
  EXPECT_TRUE(view.messages.empty());
  EXPECT_EQ(dialog.RowCount, 2);
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

TEST_F(DrawingListTest, AFailedStoreOfTheFolderIsSilent) {
  values.FailSetsOf("AddFilFolder");
  Drawings({"a.VX"});
  Choose({"a.VX"});
  dialog.OnAddFile();
  EXPECT_TRUE(view.messages.empty());
  EXPECT_EQ(dialog.RowCount, 1);
  EXPECT_EQ(dialog.AddFilFolder, "D:\\dw\\");
}

}  // namespace
}  // namespace plotxfer::ui
