#pragma once
// Two parsed REGEDIT4 files hold the same keys, names, types and data in the same order.
#include <cstddef>

#include "core/settings/regedit_file.h"

namespace plotxfer::testing {

inline bool SameRegeditModel(const RegeditFile& a, const RegeditFile& b) {
  if (a.keys().size() != b.keys().size()) {
    return false;
  }
  for (std::size_t k = 0; k < a.keys().size(); ++k) {
    const auto& ka = a.keys()[k];
    const auto& kb = b.keys()[k];
    if (ka.path != kb.path || ka.values.size() != kb.values.size()) {
      return false;
    }
    for (std::size_t v = 0; v < ka.values.size(); ++v) {
      const auto& va = ka.values[v];
      const auto& vb = kb.values[v];
      if (va.name != vb.name || va.type != vb.type || va.data != vb.data) {
        return false;
      }
    }
  }
  return true;
}

}  // namespace plotxfer::testing
