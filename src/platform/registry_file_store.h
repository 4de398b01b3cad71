#pragma once
// The settings store where there is no registry: one REGEDIT4 text file (its form is described
// in core/settings/regedit_file.h) holding the user's keys under HKEY_CURRENT_USER.
//
// Every write reads the file, changes the one value and puts the whole file back through a
// temporary file and a rename, all under an advisory lock on a lock file beside it: two writers
// lose nothing, and a crash leaves the old file or the new one. Readers take no lock; they see
// the old file or the new one. A file that cannot be parsed is renamed aside (".bad", or
// ".bad.1" and on when that is taken) and read as empty, so defaults apply; it is never
// overwritten while it is still in the way. What the registry editor exports today (REGEDIT5,
// UTF-16) is read as well; the next write puts it back as REGEDIT4 in UTF-8.
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

  const std::string& path() const { return path_; }

  // The first problem met with the file (broken, too large, unreadable), if any.
  const std::optional<StoreFileProblem>& problem() const { return problem_; }

  // With true, a broken file is read as empty but left where it is, and never written over.
  void LeaveBrokenFileInPlace(bool leave) { leave_broken_file_ = leave; }

  // The file as read or written last, and what it holds (no bytes: there was no file), so that
  // the same file is parsed once.
  struct LoadCache {
    std::optional<std::string> bytes;
    std::optional<RegeditFile> parsed;
  };

 private:
  void Note(const std::string& why, const std::string& moved_to);

  std::string path_;
  std::optional<StoreFileProblem> problem_;
  bool leave_broken_file_ = false;
  LoadCache cache_;
};

// $PLOTXFER_REGISTRY_FILE when set, else ${XDG_CONFIG_HOME:-$HOME/.config}/MORVA/PLOTXFER.reg;
// empty when there is no home folder to be found.
std::string DefaultRegistryFilePath();

}  // namespace plotxfer::platform
