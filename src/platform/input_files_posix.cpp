#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "platform/input_files.h"

namespace plotxfer::platform {

namespace {

class PosixInputFiles : public InputFiles {
 public:
  std::optional<FileFacts> Facts(const std::string& path) override {
    struct stat st {};
    if (stat(path.c_str(), &st) != 0) {
      return std::nullopt;
    }
    FileFacts facts;
    facts.folder = S_ISDIR(st.st_mode);
    facts.special = !facts.folder && !S_ISREG(st.st_mode);
    facts.device = static_cast<std::uint64_t>(st.st_dev);
    facts.index = static_cast<std::uint64_t>(st.st_ino);
    facts.modified = static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    facts.size = static_cast<std::uint64_t>(st.st_size);
    return facts;
  }

  bool ListFolder(const std::string& folder, std::vector<FolderEntry>* entries) override {
    DIR* dir = opendir(folder.c_str());
    if (dir == nullptr) {
      return false;
    }
    const std::string prefix = folder.empty() || folder.back() == '/' ? folder : folder + '/';
    while (const dirent* e = readdir(dir)) {
      const std::string name = e->d_name;
      if (name == "." || name == "..") {
        continue;
      }
      // d_type is not filled in on every file system, and a link to a folder is a folder here.
      bool is_folder = e->d_type == DT_DIR;
      if (e->d_type == DT_UNKNOWN || e->d_type == DT_LNK) {
        struct stat st {};
        is_folder = stat((prefix + name).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
      }
      entries->push_back({name, is_folder});
    }
    closedir(dir);
    return true;
  }

  std::string Absolute(const std::string& path) override {
    if (!path.empty() && path[0] == '/') {
      return Normal(path, path);
    }
    std::string cwd(4096, '\0');
    while (getcwd(cwd.data(), cwd.size()) == nullptr) {
      if (cwd.size() > (1u << 20)) {
        return path;
      }
      cwd.resize(cwd.size() * 2);
    }
    cwd.resize(cwd.find('\0'));
    return Normal((std::filesystem::path(cwd) / path).string(), path);
  }

  bool ExpandsWildcards() const override { return false; }

 private:
  // "out" and "./out/" become the one folder, "sub/../x" the name "x"; links are left as they
  // are.
  static std::string Normal(const std::string& absolute, const std::string& given) {
    std::string joined = std::filesystem::path(absolute).lexically_normal().string();
    if (joined.size() > 1 && joined.back() == '/' && !given.empty() && given.back() != '/') {
      joined.pop_back();
    }
    return joined;
  }
};

}  // namespace

InputFiles& SystemInputFiles() {
  static PosixInputFiles files;
  return files;
}

}  // namespace plotxfer::platform
