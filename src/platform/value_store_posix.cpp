#include "platform/registry_file_store.h"
#include "platform/value_store.h"

namespace plotxfer::platform {

ValueStore& SystemValueStore() {
  static RegistryFileStore store(DefaultRegistryFilePath());
  return store;
}

}  // namespace plotxfer::platform
