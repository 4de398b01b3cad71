#pragma once
// The order in which a folder's drawings are converted or listed, whoever reads the folder
// (plotxfer-batch, a folder dropped on the dialog): the order a Windows user sees them in.
#include <string_view>

namespace plotxfer::text {

// Letters without regard to case, then bytes; a name that is the start of another comes first.
bool NameBefore(std::string_view a, std::string_view b);

}  // namespace plotxfer::text
