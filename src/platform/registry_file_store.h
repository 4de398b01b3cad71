#pragma once
// The settings store where there is no registry: one REGEDIT4 text file (its form is described
// in core/settings/regedit_file.h) holding the user's keys under HKEY_CURRENT_USER.
//
// Every write reads the file, changes the one value and puts the whole file back through a
// temporary file and a rename, all under an advisory lock on a lock file beside it: two writers
// lose nothing, and a crash leaves the old file or the new one. A group of writes (BeginWrites to
// EndWrites) holds the lock throughout and puts the file back once, at its end. Readers take no
// lock; they see the old file or the new one. A file that cannot be parsed is renamed aside
// (".bad", or ".bad.1" and on when that is taken) and read as empty, so defaults apply; it is
// never overwritten while it is still in the way. What the registry editor exports today (REGEDIT5,
// UTF-16) is read as well; the next write puts it back as REGEDIT4 in UTF-8.
#include <memory>
#include <optional>
#include <string>

#include "core/settings/regedit_file.h"
#include "platform/value_store.h"

namespace plotxfer::platform {

class RegistryFileStore : public ValueStore {
 public:
  explicit RegistryFileStore(std::string path);
  ~RegistryFileStore() override;

  StoreStatus Query(const std::string& key, const std::string& name, void* buffer,
                    std::uint32_t* size, std::uint32_t* type) override;
  StoreStatus Set(const std::string& key, const std::string& name, std::uint32_t type,
                  const void* data, std::uint32_t size) override;

  void BeginWrites() override;
  bool EndWrites() override;

  const std::string& path() const { return path_; }

  // From now on a file that cannot be parsed is left where it is when read (a dry run changes
  // no file); a write still moves it aside first.
  void KeepBrokenFile() { keep_broken_file_ = true; }

  // What became of a file that could not be read or parsed, since the store was made ("the
  // settings file ... cannot be parsed ...; it was renamed to ....bad and the default settings
  // are used"); empty while every read found a good file or none.
  const std::string& fallback() const { return fallback_; }

  // The file as read or written last, and what it holds (no bytes: there was no file), so that
  // the same file is parsed once.
  struct LoadCache {
    std::optional<std::string> bytes;
    std::optional<RegeditFile> parsed;
  };

 private:
  struct Group;
  void NoteFallback(const std::string& why, const std::string& outcome);

  std::string path_;
  bool keep_broken_file_ = false;
  std::string fallback_;
  LoadCache cache_;
  int depth_ = 0;
  std::shared_ptr<Group> group_;
};

// $PLOTXFER_REGISTRY_FILE when set, else ${XDG_CONFIG_HOME:-$HOME/.config}/MORVA/PLOTXFER.reg;
// empty when there is no home folder to be found.
std::string DefaultRegistryFilePath();

}  // namespace plotxfer::platform
