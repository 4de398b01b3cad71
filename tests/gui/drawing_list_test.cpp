// The drawing list's handlers against an in-memory view and file system.
#include "ui/drawing_list.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <map>

#include "../common/fake_value_store.h"
#include "fake_dialog_view.h"
#include "fake_drawing_files.h"
#include "ui/main_dialog.h"

namespace plotxfer::ui {
namespace {

using ::testing::ElementsAre;
using testing::FakeDialogView;
using testing::FakeDrawingFiles;
using Texts = std::vector<std::string>;
using Names = std::vector<ShellName>;

constexpr const char* kFolder = "D:\\dw";

// The dialog with a settings store and the fake files, its list empty.
struct ListSetup {
  ListSetup() : settings(values) {
    view.strings = {{IDS_APP_TITLE, "title"},
                    {IDS_SELECT_DRAWINGS, "select"},
                    {IDS_DRAWING_FILTER, "filter|*.VX||"},
                    {IDS_CHOOSE_FOLDER, "choose a folder"},
                    {IDS_INVALID_SELECTION, "invalid"},
                    {IDS_CONFIRM_REMOVE_ONE, "remove\n%s\n?"},
                    {IDS_CONFIRM_REMOVE_MANY, "remove these?"},
                    {IDS_FOLDER_NOT_HELD, "cannot hold %s"},
                    {IDS_NOT_ADDED, "not added:"},
                    {IDS_NOT_ADDED_MORE, "and %d more"},
                    {IDS_WHY_NOT_DRAWING, "no drawing"},
                    {IDS_WHY_NEWER_DRAWING, "newer"},
                    {IDS_WHY_CANNOT_OPEN, "cannot open"},
                    {IDS_WHY_LISTED, "listed"},
                    {IDS_WHY_PATH_TOO_LONG, "too long"},
                    {IDS_WHY_LIST_FULL, "full"},
                    {IDS_WHY_NAME_NOT_HELD, "not held"},
                    {IDS_WHY_NO_DRAWINGS, "no drawings"}};
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
    Names answer{kFolder};
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
    ASSERT_EQ(dialog.RowCount(), n);
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

// A path already listed, or chosen twice, makes one row, compared exactly (R0.VX is not r0.VX);
// one message afterwards says what was not added.
TEST_F(DrawingListTest, ChosenDrawingsAreNumberedAfterTheRowsOnceEach) {
  List(1);
  Drawings({"a.VX", "b.VX", "R0.VX"});
  Choose({"a.VX", "notes.txt", "b.VX", "r0.VX", "R0.VX", "R0.VX"});
  view.focused = 0;
  dialog.OnAddFile();
  ASSERT_EQ(view.messages.size(), 1u);
  EXPECT_EQ(view.messages[0].text,
            "not added:\nnotes.txt: no drawing\nr0.VX: listed\nR0.VX: listed");
  EXPECT_EQ(view.messages[0].caption, "select");
  EXPECT_THAT(Column(0), ElementsAre("  1", "  2", "  3", "  4"));
  EXPECT_THAT(Column(1), ElementsAre(Path("r0.VX"), Path("a.VX"), Path("b.VX"), Path("R0.VX")));
  EXPECT_THAT(Column(2), ElementsAre("", "", "", ""));
  EXPECT_EQ(dialog.DrawingPaths, Column(1));
  EXPECT_EQ(dialog.RowCount(), 4);
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
  view.file_answers.push_back(Names{Path("bad.VX")});  // the single-file form
  dialog.OnAddFile();  // the third selection finds no answer: cancelled
  EXPECT_EQ(view.file_requests.size(), 3u);
  ASSERT_EQ(view.messages.size(), 2u);
  const MessageRequest& m = view.messages[0];
  EXPECT_EQ(m.text, "invalid\n\nnot added:\nbad.VX: no drawing\nnotes.txt: no drawing");
  EXPECT_EQ(m.caption, "select");
  EXPECT_EQ(m.buttons, MessageButtons::Ok);
  EXPECT_EQ(m.icon, MessageIcon::Warning);
  EXPECT_TRUE(m.task_modal);
  EXPECT_TRUE(view.rows.empty());
  EXPECT_EQ(dialog.RowCount(), 0);
  EXPECT_EQ(dialog.AddFilFolder, "C:\\App\\");
  EXPECT_EQ(values.Get("SOFTWARE\\MORVA\\PLOTXFER\\BootData", "AddFilFolder"), nullptr);
  EXPECT_FALSE(Enabled(IDC_EXECUTE));
  EXPECT_NE(view.focused, IDC_DRAWING_LIST);
}

// The folder is kept even when the store refuses it, and nothing is said about that.
TEST_F(DrawingListTest, SingleChosenFileThatVanishedIsInvalidAndAGoodOneEndsTheLoop) {
  values.FailSetsOf("AddFilFolder");
  Drawings({"a.VX"});
  view.file_answers.push_back(Names{Path("gone.VX")});
  view.file_answers.push_back(Names{Path("a.VX")});
  dialog.OnAddFile();
  ASSERT_EQ(view.messages.size(), 1u);
  EXPECT_EQ(view.messages[0].text, "invalid\n\nnot added:\ngone.VX: cannot open");
  EXPECT_THAT(dialog.DrawingPaths, ElementsAre(Path("a.VX")));
  EXPECT_EQ(dialog.AddFilFolder, "D:\\dw\\");
}

TEST_F(DrawingListTest, ListStopsAt99RowsInTheDialogsOrder) {
  List(98);
  Drawings({"x.VX", "y.VX", "z.VX"});
  Choose({"y.VX", "x.VX", "z.VX"});
  dialog.OnAddFile();
  EXPECT_EQ(dialog.RowCount(), 99);
  EXPECT_EQ(dialog.DrawingPaths.back(), Path("y.VX"));
  EXPECT_EQ(view.rows.back()[0], " 99");
  // A full list still follows the folder of the accepted choice.
  Drawings({"more.VX"});
  view.file_answers.push_back(Names{"E:\\other\\more.VX"});
  files.files["E:\\other\\more.VX"] = HeaderOk;
  dialog.OnAddFile();
  EXPECT_EQ(dialog.RowCount(), 99);
  EXPECT_EQ(dialog.AddFilFolder, "E:\\other\\");
}

TEST_F(DrawingListTest, JoinedPathsLongerThan259BytesAreDroppedNotCut) {
  const std::string folder = "D:\\" + std::string(251, 'f');
  files.folders.push_back(folder);
  const std::string fits = folder + "\\a.VX";  // 259 bytes
  files.files[fits] = HeaderOk;
  files.files[folder + "\\a.VX2"] = HeaderOk;  // cut to 259 bytes it would name the other file
  view.file_answers.push_back(Names{folder, "a.VX2"});
  EXPECT_EQ(dialog.ChooseDrawings(), ChooseNoneValid);
  view.file_answers.push_back(Names{folder, "a.VX"});
  EXPECT_EQ(dialog.ChooseDrawings(), ChooseAccepted);
  EXPECT_THAT(dialog.PendingPaths, ElementsAre(fits));
}

// What a choice in the file dialog and a drop on the window add, and the one message about the
// rest: both take a file only as ファイル追加 does, a dropped folder gives its own drawings in
// name order, and the message names at most ten files with their reasons.
TEST(DrawingListIntake, ChosenAndDroppedFilesAreAddedOrSaidWhyNot) {
  const std::string dw = kFolder;
  const std::string dw2 = "D:\\dw2";
  const std::string empty = "D:\\empty";
  const std::string deep = "D:\\" + std::string(251, 'f');
  const ShellName unheld_file = ShellName::NotHeld("D:\\dw\\plan\xC2\xA5old.VX");  // plan¥old.VX
  struct Case {
    const char* name;
    int listed;  // rows r0.VX, ... before
    bool drop;   // dropped; otherwise the file dialog's answer
    Names given;
    Texts added;          // paths, in row order after the listed ones
    const char* message;  // the one message; null: none
  };
  const Case cases[] = {
      {"chosen: the extension in any case; each refusal with its reason",
       1,
       false,
       {dw, "a.VX", "notes.txt", "b.vx", "old.VX", "new.VX", "short.VX", "locked.VX", "a.vx.bak",
        "VX", "r0.VX", ShellName::NotHeld("\xC2\xA5.VX")},
       {dw + "\\a.VX", dw + "\\b.vx"},
       "not added:\nnotes.txt: no drawing\nold.VX: no drawing\nnew.VX: newer\nshort.VX: no "
       "drawing\nlocked.VX: cannot open\na.vx.bak: no drawing\nVX: no drawing\n\xC2\xA5.VX: not "
       "held\nr0.VX: listed"},
      {"chosen: one file the code page cannot hold",
       0,
       false,
       {unheld_file},
       {},
       "invalid\n\nnot added:\nplan\xC2\xA5old.VX: not held"},
      {"chosen: in a folder the code page cannot hold",
       0,
       false,
       {ShellName::NotHeld("D:\\\xC2\xA5"), "a.VX", "b.VX"},
       {},
       "invalid\n\nnot added:\na.VX: not held\nb.VX: not held"},
      {"dropped: files and a folder, in the drop's order",
       0,
       true,
       {dw + "\\a.VX", dw2, dw + "\\gone.VX", unheld_file, dw + "\\new.VX"},
       {dw + "\\a.VX", dw2 + "\\a.VX", dw2 + "\\B.vx", dw2 + "\\z.VX"},
       "not added:\nbad.VX: no drawing\n\xE5\x9B\xB3.VX: not held\ngone.VX: cannot open\n"
       "plan\xC2\xA5old.VX: not held\nnew.VX: newer"},
      {"dropped: a folder without drawings, one already listed",
       1,
       true,
       {empty, dw + "\\r0.VX"},
       {},
       "not added:\nempty: no drawings\nr0.VX: listed"},
      {"dropped: a path too long, in a folder and on its own",
       0,
       true,
       {deep, deep + "\\ab.VX"},
       {deep + "\\a.VX"},
       "not added:\nab.VX: too long\nab.VX: too long"},
      {"dropped: onto a list of 98 rows",
       98,
       true,
       {dw + "\\a.VX", dw2},
       {dw + "\\a.VX"},
       "not added:\nbad.VX: no drawing\n\xE5\x9B\xB3.VX: not held\na.VX: full\nB.vx: full\nz.VX: "
       "full"},
      {"dropped: twelve files that are no drawings",
       0,
       true,
       {"x0.txt", "x1.txt", "x2.txt", "x3.txt", "x4.txt", "x5.txt", "x6.txt", "x7.txt", "x8.txt",
        "x9.txt", "x10.txt", "x11.txt"},
       {},
       "not added:\nx0.txt: no drawing\nx1.txt: no drawing\nx2.txt: no drawing\nx3.txt: no "
       "drawing\nx4.txt: no drawing\nx5.txt: no drawing\nx6.txt: no drawing\nx7.txt: no "
       "drawing\nx8.txt: no drawing\nx9.txt: no drawing\nand 2 more"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ListSetup t;
    t.List(c.listed);
    auto& files = t.files;
    files.files[dw + "\\a.VX"] = HeaderOk;
    for (const char* name : {"b.vx", "notes.txt", "a.vx.bak", "VX"}) {
      files.files[dw + "\\" + name] = HeaderOk;
    }
    files.files[dw + "\\old.VX"] = HeaderBadVersion;
    files.files[dw + "\\new.VX"] = HeaderBadVersion;
    files.newer.push_back(dw + "\\new.VX");
    files.files[dw + "\\short.VX"] = HeaderTooShort;
    files.files[dw + "\\locked.VX"] = HeaderOpenFailed;
    files.folders.insert(files.folders.end(), {dw2, dw2 + "\\sub", empty, deep});
    for (const char* name : {"z.VX", "B.vx", "a.VX", "sub\\s.VX"}) {
      files.files[dw2 + "\\" + name] = HeaderOk;
    }
    files.files[dw2 + "\\bad.VX"] = HeaderBadMagic;
    files.files[dw2 + "\\readme.txt"] = HeaderOk;
    files.unheld[dw2] = {ShellName::NotHeld("\xE5\x9B\xB3.VX"), ShellName::NotHeld("x.txt")};
    files.files[empty + "\\x.txt"] = HeaderOk;
    files.files[deep + "\\a.VX"] = HeaderOk;
    files.files[deep + "\\ab.VX"] = HeaderOk;
    t.view.messages.clear();

    if (c.drop) {
      t.dialog.OnDropFiles(c.given);
    } else {
      t.view.file_answers.push_back(c.given);
      t.dialog.OnAddFile();
    }
    Texts rows = t.dialog.DrawingPaths;
    rows.erase(rows.begin(), rows.begin() + c.listed);
    EXPECT_EQ(rows, c.added);
    EXPECT_EQ(t.Column(1), t.dialog.DrawingPaths);
    EXPECT_EQ(t.dialog.RowCount(), static_cast<int>(t.view.rows.size()));
    EXPECT_EQ(t.Enabled(IDC_EXECUTE), t.dialog.RowCount() > 0);
    EXPECT_EQ(t.view.painting_held, 0);  // the list paints again
    if (c.message) {
      ASSERT_EQ(t.view.messages.size(), 1u);
      EXPECT_EQ(t.view.messages[0].text, c.message);
      EXPECT_EQ(t.view.messages[0].icon, MessageIcon::Warning);
    } else {
      EXPECT_TRUE(t.view.messages.empty());
    }
  }
}

// A run locks drops out like the add button; a drop that still arrives changes nothing.
TEST_F(DrawingListTest, DropsAreRefusedDuringARun) {
  Drawings({"a.VX"});
  dialog.EnableRunControls(false);
  EXPECT_FALSE(view.accepts_drops);
  dialog.OnDropFiles({Path("a.VX")});
  EXPECT_TRUE(view.rows.empty());
  dialog.EnableRunControls(true);
  EXPECT_TRUE(view.accepts_drops);
  dialog.OnDropFiles({Path("a.VX")});
  EXPECT_THAT(dialog.DrawingPaths, ElementsAre(Path("a.VX")));
  EXPECT_TRUE(view.messages.empty());  // neither drop has anything to say
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
    EXPECT_EQ(t.dialog.RowCount(), static_cast<int>(c.left.size()));
    EXPECT_EQ(t.Enabled(IDC_EXECUTE), !c.left.empty());
    EXPECT_EQ(t.Enabled(IDC_ABORT), !c.left.empty());
    if (c.answer == MessageAnswer::No) {
      EXPECT_EQ(t.view.focused, IDC_DRAWING_LIST);
    }
  }
}

// A folder the code page cannot hold is refused with a message naming it; nothing changes.
TEST_F(DrawingListTest, BrowsedFolderEndsInOneBackslashAndIsNotStored) {
  struct Case {
    std::optional<ShellName> chosen;
    std::string shown;
    const char* message;  // null: none
  };
  const Case cases[] = {
      {"C:\\", "C:\\", nullptr},
      {"C:\\out", "C:\\out\\", nullptr},
      {"C:\\out\\\x95\x5C", "C:\\out\\\x95\x5C\\", nullptr},  // 表 ends in byte 0x5C
      {std::nullopt, "C:\\out\\\x95\x5C\\", nullptr},         // cancelled: nothing changes
      {ShellName::NotHeld("C:\\\xE5\x87\xBA\xE5\x8A\x9B\xC2\xA5"
                          "2024"),
       "C:\\out\\\x95\x5C\\",
       "cannot hold C:\\\xE5\x87\xBA\xE5\x8A\x9B\xC2\xA5"
       "2024"},  // 出力¥2024
  };
  for (const Case& c : cases) {
    view.folder_answers.push_back(c.chosen);
    view.messages.clear();
    const std::string before = dialog.options().SelFolder;
    dialog.OnBrowseFolder();
    testing::ExpectOneMessage(view, c.message, MessageIcon::Warning, MessageButtons::Ok);
    EXPECT_EQ(view.folder_requests.back().initial_folder, before);
    EXPECT_EQ(view.folder_requests.back().instruction, "choose a folder");
    EXPECT_EQ(dialog.options().SelFolder, c.shown);
    EXPECT_EQ(view.control(IDC_FOLDER_EDIT).text, c.shown);
  }
  EXPECT_TRUE(values.log().empty());
  EXPECT_EQ(dialog.options().FolderType, 0);
}

}  // namespace
}  // namespace plotxfer::ui
