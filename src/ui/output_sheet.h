#pragma once
// The output settings sheet's rules: the PDF page and the image page work on copies of the
// record's output fields; only OK copies them back and stores them. Written against PageView so
// they run on every platform; the Win32 pages only route messages here.

#include "core/settings/options.h"
#include "core/settings/settings_store.h"
#include "resources/resource.h"
#include "ui/page_view.h"

namespace plotxfer::ui {

// How many characters the user may type into the size edits and the resolution edit.
inline constexpr int kSizeEditChars = 6;
inline constexpr int kDpiEditChars = 3;
inline constexpr int kPaperNameCount = 12;

// The controls of the output-size group, which both pages have.
struct SizeControls {
  int drawing_size;    // radio button: the drawing's own paper size
  int specified_size;  // radio button: the specified size
  int paper;           // drop-down list of the paper names
  int width;           // edit, millimetres
  int height;          // edit, millimetres
};

inline constexpr SizeControls kPdfSizeControls = {IDC_PDF_DRAWING_SIZE, IDC_PDF_SPECIFIED_SIZE,
                                                  IDC_PDF_PAPER, IDC_PDF_WIDTH, IDC_PDF_HEIGHT};
inline constexpr SizeControls kImgSizeControls = {IDC_IMG_DRAWING_SIZE, IDC_IMG_SPECIFIED_SIZE,
                                                  IDC_IMG_PAPER, IDC_IMG_WIDTH, IDC_IMG_HEIGHT};

// What both pages share: the size type, the paper and the custom pair of one output kind.
class SizePage {
 public:
  int SizeType;
  int PaperType;
  int OptXSize;
  int OptYSize;

  SizePage(const SizeControls& ids, int size_type, int paper_type, int opt_x, int opt_y)
      : SizeType(size_type), PaperType(paper_type), OptXSize(opt_x), OptYSize(opt_y), ids_(ids) {}
  virtual ~SizePage() = default;

  void SetView(PageView* view) { view_ = view; }
  const SizeControls& ids() const { return ids_; }

  // The radio buttons: each sets the pair, since each starts a group of its own.
  void OnDrawingSize();
  void OnSpecifiedSize();
  // A paper confirmed in the list (and the last step of the initialisation): the edits show the
  // custom pair, enabled, for the custom paper, else the table's size, disabled.
  void OnPaperSelected();
  // Typing ran into an edit's length limit: a tip names the values the edit takes.
  virtual void OnEditFull(int id);

 protected:
  PageView& view() const { return *view_; }
  // The radio buttons, the twelve paper names, the selection, the edits' limits, the edits.
  void InitializeSizeControls();
  // With the custom paper: takes width and height from the edits; false (with the focus on the
  // offending edit and its text selected) when one is out of bounds.
  bool TakeCustomSize();
  // Takes an edit's number into field; false with the edit focused, and a tip naming the
  // bounds, when it is out of them.
  bool TakeBounded(int id, int& field, int low, int high);
  void ShowRangeTip(int id, int low, int high);

 private:
  SizeControls ids_;
  PageView* view_ = nullptr;
};

class PdfPage : public SizePage {
 public:
  // Built from the record: 1 when its ConnectNum is 1, else 0.
  int CombineFlag;

  explicit PdfPage(const ConversionOptions& record);

  // The framework's exchange: the combine flag to the check box (save false) or back (true).
  void ExchangeData(bool save);
  // After the framework's initialisation. True leaves the focus to the default.
  bool InitializeControls();
  // Leaving the page: false refuses and keeps it current. True hands on to the framework's
  // deactivation.
  bool KillActive();
};

class ImagePage : public SizePage {
 public:
  int OutXdpi;
  int BaseXdpi;

  explicit ImagePage(const ConversionOptions& record);

  bool InitializeControls();
  bool KillActive();
  void OnEditFull(int id) override;
};

// The two pages of one opening of the sheet, each built from the record as it is then.
struct OutputSheet {
  PdfPage pdf;
  ImagePage image;

  explicit OutputSheet(const ConversionOptions& record) : pdf(record), image(record) {}

  // After the sheet has closed: on OK the pages' values go into the record and the store;
  // otherwise neither is touched. BaseXdpi is never copied back.
  void Finish(bool ok, ConversionOptions& record, SettingsStore& store) const;
};

}  // namespace plotxfer::ui
