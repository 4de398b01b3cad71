// The output settings sheet's rules against an in-memory page view and store.
#include "ui/output_sheet.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <climits>
#include <map>
#include <memory>
#include <vector>

#include "../common/fake_value_store.h"

namespace plotxfer::ui {
namespace {

using ::testing::ElementsAre;

struct FakeControl {
  bool checked = false;
  bool enabled = true;
  std::string text;
  int limit = 0;
  std::vector<std::string> entries;
  int selection = -1;
};

class FakePageView : public PageView {
 public:
  mutable std::map<int, FakeControl> controls;
  int focused = 0;
  int selected_all = 0;

  FakeControl& at(int id) const { return controls[id]; }

  bool IsChecked(int id) const override { return at(id).checked; }
  void SetCheck(int id, bool checked) override { at(id).checked = checked; }
  void Enable(int id, bool enabled) override { at(id).enabled = enabled; }
  std::string Text(int id) const override { return at(id).text; }
  void SetText(int id, const std::string& narrow) override { at(id).text = narrow; }
  void SetUiText(int id, const std::string& utf8) override { at(id).text = utf8; }
  void LimitText(int id, int chars) override { at(id).limit = chars; }
  void FocusAndSelectAll(int id) override { focused = selected_all = id; }
  // The balloon tips shown: the edit, then "title: text".
  std::vector<std::pair<int, std::string>> tips;
  void ShowTip(int id, const std::string& utf8_title, const std::string& utf8_text) override {
    tips.emplace_back(id, utf8_title + ": " + utf8_text);
  }
  void ListReset(int id) override {
    at(id).entries.clear();
    at(id).selection = -1;
  }
  void ListAdd(int id, const std::string& utf8) override { at(id).entries.push_back(utf8); }
  void ListSelect(int id, int index) override {
    const bool valid = index >= 0 && index < static_cast<int>(at(id).entries.size());
    at(id).selection = valid ? index : -1;
  }
  int ListSelection(int id) const override { return at(id).selection; }
  std::string LoadText(int string_id) const override {
    switch (string_id) {
      case IDS_BASE_DPI:
        return "( \xE5\x9F\xBA\xE6\xBA\x96\xE5\x80\xA4: %d )";  // "( 基準値: %d )"
      case IDS_PAPER_A4_PORTRAIT:
        return "A4\xE7\xB8\xA6";  // "A4縦"
      case IDS_PAPER_CUSTOM:
        return "\xE4\xBB\xBB\xE6\x84\x8F";  // "任意"
      case IDS_RANGE_TIP_TITLE:
        return "range";
      case IDS_RANGE_TIP:
        return "%d to %d";
      default:
        return "";
    }
  }

  // The user picks a paper in the list: the selection changes, then the notification arrives.
  void Choose(SizePage& page, int paper) {
    ListSelect(page.ids().paper, paper);
    page.OnPaperSelected();
  }
};

class OutputSheetTest : public ::testing::Test {
 protected:
  OutputSheetTest() {
    record = ConversionOptions::WithScreenDpi(96);
    record.AppFolder = "D:\\Apps\\Conv\\";
  }

  // One opening of the sheet with both page windows made, as when the image tab was shown.
  OutputSheet& Open() {
    sheet = std::make_unique<OutputSheet>(record);
    sheet->pdf.SetView(&pdf_view);
    sheet->image.SetView(&img_view);
    sheet->pdf.ExchangeData(false);
    EXPECT_TRUE(sheet->pdf.InitializeControls());
    EXPECT_TRUE(sheet->image.InitializeControls());
    return *sheet;
  }

  bool Stored(std::string_view key, const char* name) const {
    return values.Get(std::string(kSettingsRoot) + "\\" + std::string(key), name) != nullptr;
  }

  ConversionOptions record;
  FakePageView pdf_view;
  FakePageView img_view;
  testing::FakeValueStore values;
  SettingsStore store{values};
  std::unique_ptr<OutputSheet> sheet;
};

TEST_F(OutputSheetTest, PagesOpenFromTheRecord) {
  record.PdfSizeType = 1;
  record.PdfPaperType = 3;  // A3
  record.PdfOptXSize = 500;
  record.PdfOptYSize = 400;
  record.ConnectNum = 5;
  record.ImgSizeType = 0;
  record.ImgPaperType = kCustomPaper;
  record.ImgOptXSize = 640;
  record.ImgOptYSize = 480;
  record.OutXdpi = 1000;
  Open();

  EXPECT_FALSE(pdf_view.at(IDC_PDF_DRAWING_SIZE).checked);
  EXPECT_TRUE(pdf_view.at(IDC_PDF_SPECIFIED_SIZE).checked);
  EXPECT_THAT(pdf_view.at(IDC_PDF_PAPER).entries,
              ElementsAre("A0", "A1", "A2", "A3", "A4", "A4\xE7\xB8\xA6", "B0", "B1", "B2", "B3",
                          "B4", "\xE4\xBB\xBB\xE6\x84\x8F"));
  EXPECT_EQ(pdf_view.at(IDC_PDF_PAPER).selection, 3);
  EXPECT_EQ(pdf_view.at(IDC_PDF_WIDTH).text, "420");
  EXPECT_EQ(pdf_view.at(IDC_PDF_HEIGHT).text, "297");
  EXPECT_FALSE(pdf_view.at(IDC_PDF_WIDTH).enabled);
  EXPECT_FALSE(pdf_view.at(IDC_PDF_HEIGHT).enabled);
  EXPECT_EQ(pdf_view.at(IDC_PDF_WIDTH).limit, 6);
  EXPECT_EQ(pdf_view.at(IDC_PDF_HEIGHT).limit, 6);
  // ConnectNum 5 is no "combine".
  EXPECT_FALSE(pdf_view.at(IDC_PDF_COMBINE).checked);

  EXPECT_TRUE(img_view.at(IDC_IMG_DRAWING_SIZE).checked);
  EXPECT_FALSE(img_view.at(IDC_IMG_SPECIFIED_SIZE).checked);
  EXPECT_EQ(img_view.at(IDC_IMG_PAPER).selection, kCustomPaper);
  EXPECT_EQ(img_view.at(IDC_IMG_WIDTH).text, "640");
  EXPECT_EQ(img_view.at(IDC_IMG_HEIGHT).text, "480");
  EXPECT_TRUE(img_view.at(IDC_IMG_WIDTH).enabled);
  EXPECT_TRUE(img_view.at(IDC_IMG_HEIGHT).enabled);
  // Shown whole: the limit governs typing only.
  EXPECT_EQ(img_view.at(IDC_IMG_DPI).text, "1000");
  EXPECT_EQ(img_view.at(IDC_IMG_DPI).limit, 3);
  EXPECT_EQ(img_view.at(IDC_IMG_BASE_DPI).text, "( \xE5\x9F\xBA\xE6\xBA\x96\xE5\x80\xA4: 96 )");
}

TEST_F(OutputSheetTest, NamedPaperKeepsTheCustomPairAndStoresNone) {
  record.PdfOptXSize = 500;
  record.PdfOptYSize = 400;
  record.ConnectNum = 5;
  OutputSheet& s = Open();
  pdf_view.Choose(s.pdf, kCustomPaper);
  EXPECT_EQ(pdf_view.at(IDC_PDF_WIDTH).text, "500");
  EXPECT_TRUE(pdf_view.at(IDC_PDF_WIDTH).enabled);
  pdf_view.Choose(s.pdf, 3);
  EXPECT_EQ(pdf_view.at(IDC_PDF_WIDTH).text, "420");
  EXPECT_FALSE(pdf_view.at(IDC_PDF_WIDTH).enabled);
  ASSERT_TRUE(s.pdf.KillActive());
  s.pdf.ExchangeData(true);

  s.Finish(true, record, store);
  EXPECT_EQ(record.PdfPaperType, 3);
  EXPECT_EQ(record.PdfOptXSize, 500);
  EXPECT_EQ(record.PdfOptYSize, 400);
  EXPECT_EQ(record.ConnectNum, 0);
  EXPECT_EQ(store.ReadNumber(kPdfKey, "PaperType"), 3);
  EXPECT_EQ(store.ReadNumber(kPdfKey, "ConnectNum"), 0);
  EXPECT_FALSE(Stored(kPdfKey, "OptXSize"));
  EXPECT_FALSE(Stored(kPdfKey, "OptYSize"));
}

TEST_F(OutputSheetTest, RadioButtonsSetThePairAndTouchNothingElse) {
  OutputSheet& s = Open();
  for (SizePage* page : {static_cast<SizePage*>(&s.pdf), static_cast<SizePage*>(&s.image)}) {
    FakePageView& v = page == &s.pdf ? pdf_view : img_view;
    const auto before = v.controls;
    page->OnSpecifiedSize();
    EXPECT_EQ(page->SizeType, 1);
    EXPECT_TRUE(v.at(page->ids().specified_size).checked);
    EXPECT_FALSE(v.at(page->ids().drawing_size).checked);
    page->OnDrawingSize();
    EXPECT_EQ(page->SizeType, 0);
    EXPECT_TRUE(v.at(page->ids().drawing_size).checked);
    EXPECT_FALSE(v.at(page->ids().specified_size).checked);
    for (int id : {page->ids().paper, page->ids().width, page->ids().height}) {
      EXPECT_EQ(v.at(id).enabled, before.at(id).enabled) << id;
    }
  }
}

// Leaving either page with the custom paper: each edit is read as atoi reads it and must lie in
// 10 to 100000; a refusal puts the focus on the offending edit with its text selected.
TEST_F(OutputSheetTest, CustomSizeIsBoundedOnLeavingEitherPage) {
  const struct {
    const char* width;
    const char* height;
    int refused_at;  // 0: accepted; 1: width edit; 2: height edit
    int x, y;        // the page's custom pair afterwards
  } cases[] = {
      {"9", "100", 1, 9, 210},
      {"10", "100", 0, 10, 100},
      {"100000", "10", 0, 100000, 10},
      {"100001", "50", 1, 100001, 210},
      {"999999", "50", 1, 999999, 210},
      {"12abc", "20", 0, 12, 20},
      {"20", "", 2, 20, 0},
      {"abc", "20", 1, 0, 210},
      {"50", "9", 2, 50, 9},
      {" 300", "-10", 2, 300, -10},
  };
  for (const bool image : {false, true}) {
    for (const auto& c : cases) {
      SCOPED_TRACE(std::string(image ? "image " : "pdf ") + c.width + " x " + c.height);
      pdf_view = FakePageView();
      img_view = FakePageView();
      record.PdfPaperType = kCustomPaper;
      record.ImgPaperType = kCustomPaper;
      OutputSheet& s = Open();
      SizePage& page = image ? static_cast<SizePage&>(s.image) : s.pdf;
      FakePageView& v = image ? img_view : pdf_view;
      v.at(page.ids().width).text = c.width;
      v.at(page.ids().height).text = c.height;
      const bool left = image ? s.image.KillActive() : s.pdf.KillActive();
      EXPECT_EQ(left, c.refused_at == 0);
      const int expected_focus = c.refused_at == 1   ? page.ids().width
                                 : c.refused_at == 2 ? page.ids().height
                                                     : 0;
      EXPECT_EQ(v.focused, expected_focus);
      EXPECT_EQ(v.selected_all, expected_focus);
      if (expected_focus != 0) {
        EXPECT_THAT(v.tips, ElementsAre(std::make_pair(expected_focus, "range: 10 to 100000")));
      } else {
        EXPECT_TRUE(v.tips.empty());
      }
      EXPECT_EQ(page.OptXSize, c.x);
      EXPECT_EQ(page.OptYSize, c.y);
    }
  }
}

// Leaving the image page: the resolution must lie in 72 to 600 whatever the size type, and is
// tested after the custom size, so a refusal focuses the first offending edit.
TEST_F(OutputSheetTest, ResolutionIsBoundedAfterTheCustomSize) {
  const struct {
    const char* dpi;
    const char* width;  // with the custom paper; null: a named paper
    int refused_at;     // the focused edit; 0: accepted
    int taken;          // the page's resolution afterwards
  } cases[] = {
      {"71", nullptr, IDC_IMG_DPI, 71},
      {"72", nullptr, 0, 72},
      {"600", nullptr, 0, 600},
      {"601", nullptr, IDC_IMG_DPI, 601},
      {"1000", nullptr, IDC_IMG_DPI, 1000},
      {"", nullptr, IDC_IMG_DPI, 0},
      {"3OO", nullptr, IDC_IMG_DPI, 3},
      {"5", "5", IDC_IMG_WIDTH, 96},
  };
  record.ImgSizeType = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.dpi) + (c.width ? " custom" : ""));
    img_view = FakePageView();
    record.ImgPaperType = c.width ? kCustomPaper : 4;
    OutputSheet& s = Open();
    img_view.at(IDC_IMG_DPI).text = c.dpi;
    if (c.width) {
      img_view.at(IDC_IMG_WIDTH).text = c.width;
    }
    EXPECT_EQ(s.image.KillActive(), c.refused_at == 0);
    EXPECT_EQ(img_view.focused, c.refused_at);
    EXPECT_EQ(s.image.OutXdpi, c.taken);
    const char* range = c.refused_at == IDC_IMG_DPI ? "range: 72 to 600" : "range: 10 to 100000";
    if (c.refused_at != 0) {
      EXPECT_THAT(img_view.tips, ElementsAre(std::make_pair(c.refused_at, range)));
    } else {
      EXPECT_TRUE(img_view.tips.empty());
    }
  }
}

// Typing into a full edit: the tip names what that edit takes; other controls show none.
TEST_F(OutputSheetTest, TypingIntoAFullEditShowsItsRange) {
  const struct {
    bool image;
    int id;
    const char* tip;  // null: none
  } cases[] = {
      {false, IDC_PDF_WIDTH, "range: 10 to 100000"},
      {false, IDC_PDF_HEIGHT, "range: 10 to 100000"},
      {true, IDC_IMG_WIDTH, "range: 10 to 100000"},
      {true, IDC_IMG_HEIGHT, "range: 10 to 100000"},
      {true, IDC_IMG_DPI, "range: 72 to 600"},
      {false, IDC_IMG_DPI, nullptr},
      {true, IDC_IMG_BASE_DPI, nullptr},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.id);
    pdf_view = FakePageView();
    img_view = FakePageView();
    OutputSheet& s = Open();
    SizePage& page = c.image ? static_cast<SizePage&>(s.image) : s.pdf;
    FakePageView& v = c.image ? img_view : pdf_view;
    page.OnEditFull(c.id);
    if (c.tip) {
      EXPECT_THAT(v.tips, ElementsAre(std::make_pair(c.id, c.tip)));
    } else {
      EXPECT_TRUE(v.tips.empty());
    }
    EXPECT_EQ(v.focused, 0);  // the user is typing there already
  }
}

TEST_F(OutputSheetTest, CancelLeavesRecordAndStoreAlone) {
  record.PdfPaperType = kCustomPaper;
  const ConversionOptions before = record;
  OutputSheet& s = Open();
  s.pdf.OnSpecifiedSize();
  s.image.OnSpecifiedSize();
  pdf_view.at(IDC_PDF_WIDTH).text = "1234";
  img_view.Choose(s.image, kCustomPaper);
  img_view.at(IDC_IMG_WIDTH).text = "777";
  img_view.at(IDC_IMG_DPI).text = "300";
  pdf_view.at(IDC_PDF_COMBINE).checked = true;
  ASSERT_TRUE(s.pdf.KillActive());
  s.pdf.ExchangeData(true);
  ASSERT_TRUE(s.image.KillActive());

  s.Finish(false, record, store);
  EXPECT_TRUE(values.log().empty());
  EXPECT_EQ(record.PdfSizeType, before.PdfSizeType);
  EXPECT_EQ(record.PdfOptXSize, before.PdfOptXSize);
  EXPECT_EQ(record.ImgSizeType, before.ImgSizeType);
  EXPECT_EQ(record.ImgPaperType, before.ImgPaperType);
  EXPECT_EQ(record.ImgOptXSize, before.ImgOptXSize);
  EXPECT_EQ(record.OutXdpi, before.OutXdpi);
  EXPECT_EQ(record.ConnectNum, before.ConnectNum);
}

TEST_F(OutputSheetTest, OkWithoutTheImageTabStillWritesTheImageValues) {
  record.ImgSizeType = 1;
  record.ImgPaperType = kCustomPaper;
  record.ImgOptXSize = 640;
  record.ImgOptYSize = 480;
  record.OutXdpi = 1000;  // taken at load; never tested, since the page was never left
  record.BaseXdpi = 120;
  // Only the PDF page's window exists.
  OutputSheet s(record);
  s.pdf.SetView(&pdf_view);
  s.pdf.ExchangeData(false);
  s.pdf.InitializeControls();
  pdf_view.at(IDC_PDF_COMBINE).checked = true;
  ASSERT_TRUE(s.pdf.KillActive());
  s.pdf.ExchangeData(true);
  s.image.BaseXdpi = 72;

  s.Finish(true, record, store);
  EXPECT_EQ(record.ConnectNum, 1);
  EXPECT_EQ(record.BaseXdpi, 120);
  EXPECT_EQ(store.ReadNumber(kPdfKey, "ConnectNum"), 1);
  EXPECT_EQ(store.ReadNumber(kImgKey, "SizeType"), 1);
  EXPECT_EQ(store.ReadNumber(kImgKey, "PaperType"), kCustomPaper);
  EXPECT_EQ(store.ReadNumber(kImgKey, "OptXSize"), 640);
  EXPECT_EQ(store.ReadNumber(kImgKey, "OptYSize"), 480);
  EXPECT_EQ(store.ReadNumber(kImgKey, "OutXdpi"), 1000);
}

}  // namespace
}  // namespace plotxfer::ui
