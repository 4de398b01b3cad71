#pragma once
// Loading the persisted settings into the record at start-up.
#include "core/settings/options.h"

namespace plotxfer::app {

// Fills the record from the user's settings and sets AppFolder; values that are missing or out
// of range keep their defaults.
void LoadStartupSettings(ConversionOptions& options, int& char_vector_font);

}  // namespace plotxfer::app
