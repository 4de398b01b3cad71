#pragma once
#include <cstddef>

namespace plotxfer::setup {

// Reads the value ExePath of HKEY_USERS\.DEFAULT\Software\Morva\Vellumix (or its file twin off
// Windows) into buffer, whatever its stored type. Fails when the key or value is missing or the
// data need more than capacity bytes; on success *size is the number of bytes stored.
bool ReadExePath(char* buffer, std::size_t capacity, std::size_t* size);

}  // namespace plotxfer::setup
