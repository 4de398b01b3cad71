#include "cli/narrow_text.h"

namespace plotxfer::cli {

std::string NarrowToUtf8(const std::string& text) {
  return text;
}

}  // namespace plotxfer::cli
