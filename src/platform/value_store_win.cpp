#include "platform/value_store.h"

#include <windows.h>

namespace plotxfer::platform {

namespace {

StoreStatus StatusOf(LONG result) {
  switch (result) {
    case ERROR_SUCCESS:
      return StoreStatus::kOk;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
      return StoreStatus::kNotFound;
    case ERROR_MORE_DATA:
      return StoreStatus::kMoreData;
    default:
      return StoreStatus::kFailed;
  }
}

// HKEY_CURRENT_USER itself. Existing users' settings are read where they are.
class RegistryValueStore : public ValueStore {
 public:
  StoreStatus Query(const std::string& key, const std::string& name, void* buffer,
                    std::uint32_t* size, std::uint32_t* type) override {
    HKEY handle = nullptr;
    const LONG opened = RegOpenKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, KEY_READ, &handle);
    if (opened != ERROR_SUCCESS) {
      return StatusOf(opened);
    }
    DWORD data_size = *size;
    DWORD data_type = 0;
    const LONG queried =
        RegQueryValueExA(handle, name.c_str(), nullptr, type != nullptr ? &data_type : nullptr,
                         static_cast<BYTE*>(buffer), &data_size);
    RegCloseKey(handle);
    const StoreStatus status = StatusOf(queried);
    if (status == StoreStatus::kOk || status == StoreStatus::kMoreData) {
      *size = data_size;
    }
    if (status == StoreStatus::kOk && type != nullptr) {
      *type = data_type;
    }
    return status;
  }

  StoreStatus Set(const std::string& key, const std::string& name, std::uint32_t type,
                  const void* data, std::uint32_t size) override {
    HKEY handle = nullptr;
    const LONG created =
        RegCreateKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                        KEY_WRITE, nullptr, &handle, nullptr);
    if (created != ERROR_SUCCESS) {
      return StoreStatus::kFailed;
    }
    const LONG set =
        RegSetValueExA(handle, name.c_str(), 0, type, static_cast<const BYTE*>(data), size);
    RegCloseKey(handle);
    return set == ERROR_SUCCESS ? StoreStatus::kOk : StoreStatus::kFailed;
  }

  // Each value is its own registry write; one mutex of the user's session around a save's
  // writes keeps two saves from mixing.
  void BeginWrites() override {
    if (depth_++ > 0) {
      return;
    }
    mutex_ = CreateMutexA(nullptr, FALSE, "Local\\PLOTXFER.Settings");
    if (mutex_ != nullptr) {
      const DWORD waited = WaitForSingleObject(mutex_, INFINITE);
      if (waited != WAIT_OBJECT_0 && waited != WAIT_ABANDONED) {
        CloseHandle(mutex_);
        mutex_ = nullptr;
      }
    }
  }

  bool EndWrites() override {
    if (depth_ == 0 || --depth_ > 0) {
      return true;
    }
    if (mutex_ != nullptr) {
      ReleaseMutex(mutex_);
      CloseHandle(mutex_);
      mutex_ = nullptr;
    }
    return true;
  }

 private:
  int depth_ = 0;
  HANDLE mutex_ = nullptr;
};

}  // namespace

ValueStore& SystemValueStore() {
  static RegistryValueStore store;
  return store;
}

}  // namespace plotxfer::platform
