#include "core/settings/stored_settings.h"

#include <cstdint>
#include <optional>

#include "core/text/scan.h"

namespace plotxfer {

namespace {

// The file path handed to the profile reader holds at most this many bytes.
constexpr std::size_t kMaxProfilePath = 259;

// Flags and small enumerations are tested unsigned, so the pattern of a negative number fails.
bool InUnsignedRange(std::int32_t value, std::uint32_t highest) {
  return static_cast<std::uint32_t>(value) <= highest;
}

void AcceptUnsigned(const SettingsStore& store, std::string_view key, std::string_view name,
                    std::uint32_t highest, int& field) {
  const std::optional<std::int32_t> v = store.ReadNumber(key, name);
  if (v && InUnsignedRange(*v, highest)) {
    field = *v;
  }
}

void AcceptAtLeast(const SettingsStore& store, std::string_view key, std::string_view name,
                   std::int32_t lowest, int& field) {
  const std::optional<std::int32_t> v = store.ReadNumber(key, name);
  if (v && *v >= lowest) {
    field = *v;
  }
}

void AcceptText(const SettingsStore& store, std::string_view key, std::string_view name,
                std::string& field) {
  if (std::optional<std::string> v = store.ReadText(key, name)) {
    field = std::move(*v);
  }
}

void LoadPageSize(const SettingsStore& store, std::string_view key, int& size_type, int& paper_type,
                  int& custom_x, int& custom_y) {
  AcceptUnsigned(store, key, "SizeType", 1, size_type);
  AcceptUnsigned(store, key, "PaperType", kCustomPaper, paper_type);
  if (const std::optional<SizePair> pair = store.ReadSizePair(key)) {
    custom_x = pair->width;
    custom_y = pair->height;
  }
}

}  // namespace

std::string AppFolderOf(std::string_view program_path, char separator, text::CodePage cp) {
  const std::size_t last = text::FindLastChar(program_path, separator, cp);
  if (last == text::npos) {
    return std::string(".") + separator;
  }
  return std::string(program_path.substr(0, last + 1));
}

void LoadSettings(const SettingsStore& store, platform::ProfileReader& profile,
                  const ProgramFile& program, ConversionOptions& options, int& char_vector_font) {
  AcceptUnsigned(store, kBootDataKey, "PdfOrImage", 1, options.PdfOrImage);
  AcceptUnsigned(store, kBootDataKey, "ImageType", 3, options.ImageType);
  AcceptUnsigned(store, kBootDataKey, "BAndWFlg", 1, options.BAndWFlg);
  AcceptUnsigned(store, kBootDataKey, "WIdtHFlg", 1, options.WIdtHFlg);
  AcceptUnsigned(store, kBootDataKey, "PitchFlg", 1, options.PitchFlg);
  AcceptUnsigned(store, kBootDataKey, "FolderType", 1, options.FolderType);
  AcceptText(store, kBootDataKey, "SelFolder", options.SelFolder);
  AcceptText(store, kBootDataKey, "AddFilFolder", options.AddFilFolder);
  options.AppFolder = AppFolderOf(program.path, program.separator, program.code_page);

  LoadPageSize(store, kPdfKey, options.PdfSizeType, options.PdfPaperType, options.PdfOptXSize,
               options.PdfOptYSize);
  LoadPageSize(store, kImgKey, options.ImgSizeType, options.ImgPaperType, options.ImgOptXSize,
               options.ImgOptYSize);

  // Only the output settings sheet holds the resolution to 72..600; a stored 1000 is taken.
  AcceptAtLeast(store, kImgKey, "OutXdpi", 1, options.OutXdpi);
  AcceptAtLeast(store, kPdfKey, "ConnectNum", 1, options.ConnectNum);
  AcceptAtLeast(store, kBootDataKey, "VFontFlg", 0, options.VFontFlg);

  ReadCharVectorFont(profile, options.AppFolder, char_vector_font);
}

void ReadCharVectorFont(platform::ProfileReader& profile, std::string_view app_folder,
                        int& char_vector_font) {
  // A path too long for the reader would name another file once cut, so it is not read at all.
  std::string settings_path(app_folder);
  settings_path += kSystemSettingsFile;
  if (settings_path.size() > kMaxProfilePath) {
    return;
  }
  const std::string text = profile.GetString(settings_path, "FONTINFO", "CHARVECTORFONT", 254);
  if (!text.empty()) {
    if (const std::optional<int> n = text::CheckedInt(text)) {
      char_vector_font = *n;
    }
  }
}

bool SaveGeneralSettings(SettingsStore& store, const GeneralOptions& captured,
                         ConversionOptions& options) {
  static_cast<GeneralOptions&>(options) = captured;

  // Every value is attempted even after a failure; the answer only says whether all were stored.
  bool all = true;
  store.BeginWrites();
  all &= store.WriteNumber(kBootDataKey, "PdfOrImage", options.PdfOrImage);
  all &= store.WriteNumber(kBootDataKey, "ImageType", options.ImageType);
  all &= store.WriteNumber(kBootDataKey, "BAndWFlg", options.BAndWFlg);
  all &= store.WriteNumber(kBootDataKey, "WIdtHFlg", options.WIdtHFlg);
  all &= store.WriteNumber(kBootDataKey, "FolderType", options.FolderType);
  all &= store.WriteText(kBootDataKey, "SelFolder", options.SelFolder);
  all &= store.WriteNumber(kBootDataKey, "PitchFlg", options.PitchFlg);
  all &= store.WriteNumber(kBootDataKey, "VFontFlg", options.VFontFlg);
  all &= store.EndWrites();
  return all;
}

bool SaveOutputSettings(SettingsStore& store, const ConversionOptions& options) {
  bool all = true;
  store.BeginWrites();
  all &= store.WriteNumber(kPdfKey, "SizeType", options.PdfSizeType);
  all &= store.WriteNumber(kPdfKey, "PaperType", options.PdfPaperType);
  // With a named paper the stored custom pair stays, so choosing custom again brings it back.
  if (options.PdfPaperType == kCustomPaper) {
    all &= store.WriteSizePair(kPdfKey, options.PdfOptXSize, options.PdfOptYSize);
  }
  all &= store.WriteNumber(kPdfKey, "ConnectNum", options.ConnectNum);
  all &= store.WriteNumber(kImgKey, "SizeType", options.ImgSizeType);
  all &= store.WriteNumber(kImgKey, "PaperType", options.ImgPaperType);
  if (options.ImgPaperType == kCustomPaper) {
    all &= store.WriteSizePair(kImgKey, options.ImgOptXSize, options.ImgOptYSize);
  }
  all &= store.WriteNumber(kImgKey, "OutXdpi", options.OutXdpi);
  all &= store.EndWrites();
  return all;
}

bool SaveAddFilFolder(SettingsStore& store, const std::string& folder) {
  return store.WriteText(kBootDataKey, "AddFilFolder", folder);
}

}  // namespace plotxfer
