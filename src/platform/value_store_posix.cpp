#include "platform/registry_file_store.h"
#include "platform/value_store.h"

namespace plotxfer::platform {

namespace {

RegistryFileStore& SystemFileStore() {
  static RegistryFileStore store(DefaultRegistryFilePath());
  return store;
}

}  // namespace

ValueStore& SystemValueStore() {
  return SystemFileStore();
}

std::optional<StoreFileProblem> SystemStoreFileProblem() {
  return SystemFileStore().problem();
}

void LeaveBrokenStoreFileInPlace(bool leave) {
  SystemFileStore().LeaveBrokenFileInPlace(leave);
}

}  // namespace plotxfer::platform
