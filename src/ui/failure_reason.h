#pragma once
// Why a row of a run failed, in the user's words: the engine says it in a result code and a kind
// of failure (and in English for reports); the list shows it as the status cell's tip.
#include "core/convert/conversion_result.h"

namespace plotxfer::ui {

// The string-table id of the reason for a failed row; 0 for a row that did not fail (code 0).
// newer_drawing: the header test refused a drawing saved by a newer VELLUMIX.
int FailureReasonId(ConversionResult code, FailureKind kind, bool newer_drawing);

}  // namespace plotxfer::ui
