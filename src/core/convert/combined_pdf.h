#pragma once
// One PDF of several drawings: every drawing is exported to a numbered CSD file of its own, a
// list file names these files, and the output utility renders the list once. All or nothing:
// the first drawing that fails, or a stop request, ends it before the output utility starts.
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "core/convert/run.h"

namespace plotxfer {

inline constexpr char kCombinedListName[] = "PDFCONTINU.p2";

// The most drawings one combined PDF takes, as in the dialog's list: their numbered CSD files are
// the ones a run may leave.
inline constexpr std::size_t kMaxCombinedDrawings = 99;

// RSTKIT's VXTMPPDF000.CSD, VXTMPPDF001.CSD ... for the drawing at position index.
std::string NumberedCsdPath(std::string_view app_folder, std::size_t index, text::PathStyle style,
                            text::CodePage cp);
std::string CombinedListPath(std::string_view app_folder, text::PathStyle style, text::CodePage cp);

// The one PDF of a combining run: named after the first drawing.
std::string CombinedPdfPath(const CommandContext& ctx, const std::vector<std::string>& drawings);

// The list file's bytes: each path followed by CR LF, nothing else.
std::string CombinedListText(const std::vector<std::string>& csd_paths);

// The record beside a combined PDF of the drawings it was made from, in order: one path a line.
std::string CombinedRecordPath(const std::string& output_path);
std::string CombinedRecordText(const std::vector<std::string>& drawings);

// True when the combined PDF at output_path was made from exactly these drawings in this order,
// as the record a successful combination writes beside it says.
bool CombinedPdfMadeFrom(platform::FileSystem& files, const std::string& output_path,
                         const std::vector<std::string>& drawings);

// Combines the drawings (at least two) into one PDF named after the first one, writing every
// row's status through the observer. A new PDF gets its record (CombinedRecordPath); a failure
// keeps the previous PDF and its record. Every drawing's header and paths are checked before the
// first export. output_turn, when given, is asked before the output utility starts: Busy (the
// utility stayed in use by another program) ends the combination with every row "中断", Stopped
// as a stop request does. Returns Turn::Stopped when a stop request ended it, Turn::Busy when
// the utility stayed in use, otherwise Turn::Free.
Turn ConvertCombinedPdf(const CommandContext& ctx, const ConversionServices& services,
                        std::string_view app_folder, const std::vector<std::string>& drawings,
                        RunObserver& observer, const std::function<Turn()>& output_turn = {});

}  // namespace plotxfer
