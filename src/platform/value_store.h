#pragma once
// The raw store of the user's settings, with the registry's semantics: keys named by a path
// under the user's root, typed values, a query into the caller's buffer that fails when the data
// do not fit, and keys created on write. On Windows it is the registry under HKEY_CURRENT_USER;
// elsewhere a REGEDIT4 text file that keeps the same keys, names and types.
#include <cstdint>
#include <string>

namespace plotxfer::platform {

// Value types, numbered as the registry numbers them (REG_SZ, REG_BINARY, REG_DWORD, ...).
// Any other number is kept and handed back as it was stored.
inline constexpr std::uint32_t kValueNone = 0;
inline constexpr std::uint32_t kValueText = 1;  // text with its terminating zero byte
inline constexpr std::uint32_t kValueExpandText = 2;
inline constexpr std::uint32_t kValueBinary = 3;
inline constexpr std::uint32_t kValueDword = 4;  // 4 bytes, little-endian
inline constexpr std::uint32_t kValueMultiText = 7;
inline constexpr std::uint32_t kValueQword = 11;

enum class StoreStatus {
  kOk,
  kNotFound,  // the key or the value does not exist
  kMoreData,  // the value exists but its data do not fit the caller's buffer
  kFailed,    // the store could not be reached, read or written
};

class ValueStore {
 public:
  virtual ~ValueStore() = default;

  // Reads value name of key (a backslash-separated path under the user's root; an empty name is
  // the key's default value). On entry *size is the size of buffer; on kOk and kMoreData it is
  // set to the size of the data. buffer may be null to ask for the size only. When type is not
  // null it receives the stored type on kOk. The key is opened and closed within the call.
  virtual StoreStatus Query(const std::string& key, const std::string& name, void* buffer,
                            std::uint32_t* size, std::uint32_t* type) = 0;

  // Creates key and any missing parents, then sets value name to type and data. The key is
  // opened and closed within the call.
  virtual StoreStatus Set(const std::string& key, const std::string& name, std::uint32_t type,
                          const void* data, std::uint32_t size) = 0;

  // The Sets between BeginWrites and EndWrites are one save: no other process's save comes
  // between them, so two saves at once never leave a mixture of both. Groups may nest; the
  // outermost one counts. EndWrites is false when the group could not be stored whole.
  virtual void BeginWrites() {}
  virtual bool EndWrites() { return true; }
};

// The user's settings store of this platform. Where there is no registry the file is
// $PLOTXFER_REGISTRY_FILE when that is set, else
// ${XDG_CONFIG_HOME:-$HOME/.config}/MORVA/PLOTXFER.reg.
ValueStore& SystemValueStore();

}  // namespace plotxfer::platform
