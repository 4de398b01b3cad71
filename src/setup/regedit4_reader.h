#pragma once
#include <string>
#include <string_view>

namespace plotxfer::setup {

// Finds the data of value `name` under `key` in the text of a REGEDIT4 file, as the registry would
// hand them over: a string value with its terminating zero, dword:xxxxxxxx as four bytes
// (least significant first), hex:/hex(N): as their bytes. Key paths and value names match without
// regard to ASCII case; a later line for the same value wins.
//
// Fails when the text does not start with the REGEDIT4 line, or the value is absent, deleted
// ("name"=-) or cannot be read (unterminated string, bad hex digits, unknown type).
bool FindRegistryValue(std::string_view file, std::string_view key, std::string_view name,
                       std::string* data);

}  // namespace plotxfer::setup
