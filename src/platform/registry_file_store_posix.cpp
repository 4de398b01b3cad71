#include "platform/registry_file_store.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <optional>

#include "core/settings/regedit_file.h"
#include "core/text/path.h"
#include "platform/atomic_file.h"

namespace plotxfer::platform {

namespace {

constexpr char kUserRoot[] = "HKEY_CURRENT_USER";

// A settings file is a few hundred bytes; anything this large is not one of ours.
constexpr off_t kMaxFileSize = 4 * 1024 * 1024;

// Candidates for the name of a file kept aside: .bad, then .bad.1 to .bad.99.
constexpr int kMaxAsideNames = 100;

std::string FullKey(const std::string& key) {
  std::string full = kUserRoot;
  if (!key.empty()) {
    full += '\\';
    full += key;
  }
  return full;
}

std::string FolderOf(const std::string& path) {
  return text::ParentFolder(path, text::PathStyle::Posix, text::CodePage::Utf8);
}

// mkdir -p, new folders private to the user as the base-directory rules ask.
bool MakeFolders(const std::string& folder) {
  struct stat st {};
  if (stat(folder.c_str(), &st) == 0) {
    return S_ISDIR(st.st_mode);
  }
  const std::string parent = FolderOf(folder);
  if (parent != folder && !MakeFolders(parent)) {
    return false;
  }
  return mkdir(folder.c_str(), 0700) == 0 || errno == EEXIST;
}

enum class ReadResult { kRead, kMissing, kError };

ReadResult ReadWholeFile(const std::string& path, std::string* bytes, bool* too_large) {
  *too_large = false;
  errno = 0;
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);  // a FIFO never blocks
  if (fd < 0) {
    return errno == ENOENT ? ReadResult::kMissing : ReadResult::kError;
  }
  struct stat st {};
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    close(fd);
    return ReadResult::kError;
  }
  if (st.st_size > kMaxFileSize) {
    close(fd);
    *too_large = true;
    return ReadResult::kRead;
  }
  bytes->clear();
  char chunk[8192];
  for (;;) {
    const ssize_t n = read(fd, chunk, sizeof chunk);
    if (n < 0) {
      if (errno == EINTR) {
        continue;
      }
      close(fd);
      return ReadResult::kError;
    }
    if (n == 0) {
      break;
    }
    bytes->append(chunk, static_cast<std::size_t>(n));
    if (bytes->size() > static_cast<std::size_t>(kMaxFileSize)) {
      *too_large = true;
      break;
    }
  }
  close(fd);
  return ReadResult::kRead;
}

enum class LoadResult { kLoaded, kCorrupt, kError };

// Reads the file into cache->parsed; a missing file is an empty one. *why says what is wrong
// with a file that gives no keys. A file with the same bytes as the one read last is not parsed
// again: start-up asks for a score of values, one query each.
LoadResult Load(const std::string& path, std::string* why, RegistryFileStore::LoadCache* cache) {
  std::string bytes;
  bool too_large = false;
  switch (ReadWholeFile(path, &bytes, &too_large)) {
    case ReadResult::kMissing:
      cache->bytes.reset();
      cache->parsed = RegeditFile();
      return LoadResult::kLoaded;
    case ReadResult::kError:
      *why = errno != 0 ? std::string("cannot be read (") + std::strerror(errno) + ")"
                        : std::string("is no file that can be read");
      cache->parsed.reset();
      return LoadResult::kError;
    case ReadResult::kRead:
      break;
  }
  if (too_large) {
    *why =
        "is larger than " + std::to_string(kMaxFileSize / (1024 * 1024)) + " MiB: no settings file";
    cache->parsed.reset();
    return LoadResult::kCorrupt;
  }
  if (cache->parsed && cache->bytes == bytes) {
    return LoadResult::kLoaded;
  }
  std::string error;
  cache->parsed = RegeditFile::Parse(bytes, &error);
  if (!cache->parsed) {
    *why = "cannot be parsed as a registry export (" + error + ")";
    return LoadResult::kCorrupt;
  }
  cache->bytes = std::move(bytes);
  return LoadResult::kLoaded;
}

// Renames the file to the first free name of .bad, .bad.1, ...; a hard link claims the name
// atomically, so an earlier file kept aside is never replaced.
bool MoveAside(const std::string& path, std::string* moved_to = nullptr) {
  for (int n = 0; n < kMaxAsideNames; ++n) {
    std::string aside = path + ".bad";
    if (n > 0) {
      aside += "." + std::to_string(n);
    }
    if (moved_to != nullptr) {
      *moved_to = aside;
    }
    if (link(path.c_str(), aside.c_str()) == 0) {
      return unlink(path.c_str()) == 0;
    }
    if (errno == EEXIST) {
      continue;
    }
    // A file system without hard links: take the name if it is free (we hold the lock).
    if (errno == EPERM || errno == ENOTSUP || errno == EOPNOTSUPP || errno == EMLINK) {
      struct stat st {};
      if (lstat(aside.c_str(), &st) == 0) {
        continue;
      }
      return rename(path.c_str(), aside.c_str()) == 0;
    }
    return false;
  }
  return false;
}

// An exclusive advisory lock on path + ".lock", held while the object lives. The lock file is
// left in place: removing it would let two writers lock two different files.
class FileLock {
 public:
  explicit FileLock(const std::string& path) {
    const std::string lock_path = path + ".lock";
    fd_ = open(lock_path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd_ < 0) {
      return;
    }
    while (flock(fd_, LOCK_EX) != 0) {
      if (errno != EINTR) {
        close(fd_);
        fd_ = -1;
        return;
      }
    }
  }
  ~FileLock() {
    if (fd_ >= 0) {
      flock(fd_, LOCK_UN);
      close(fd_);
    }
  }
  FileLock(const FileLock&) = delete;
  FileLock& operator=(const FileLock&) = delete;

  bool held() const { return fd_ >= 0; }

 private:
  int fd_ = -1;
};

// Takes the file for a change under lock: loads it, moving a corrupt one aside first.
bool LoadForChange(const std::string& path, RegistryFileStore::LoadCache* cache,
                   RegeditFile* file) {
  std::string why;
  switch (Load(path, &why, cache)) {
    case LoadResult::kLoaded:
      *file = *cache->parsed;
      return true;
    case LoadResult::kCorrupt:
      // Never write over a file that could not be read; start afresh once it is out of the way.
      if (!MoveAside(path)) {
        return false;
      }
      *file = RegeditFile();
      return true;
    case LoadResult::kError:
      break;
  }
  return false;
}

// A value's data into the caller's buffer, as the registry hands it over.
StoreStatus CopyValue(const RegeditValue* value, void* buffer, std::uint32_t* size,
                      std::uint32_t* type) {
  if (value == nullptr) {
    return StoreStatus::kNotFound;
  }
  const auto data_size = static_cast<std::uint32_t>(value->data.size());
  const std::uint32_t room = *size;
  *size = data_size;
  if (buffer != nullptr && data_size > room) {
    return StoreStatus::kMoreData;
  }
  if (buffer != nullptr && data_size > 0) {
    std::memcpy(buffer, value->data.data(), data_size);
  }
  if (type != nullptr) {
    *type = value->type;
  }
  return StoreStatus::kOk;
}

}  // namespace

// The file as read when the group took the lock, with every Set since; put back once.
struct RegistryFileStore::Group {
  explicit Group(const std::string& path) : lock(path) {}
  FileLock lock;
  RegeditFile file;
  bool ok = false;
};

RegistryFileStore::RegistryFileStore(std::string path) : path_(std::move(path)) {
}

RegistryFileStore::~RegistryFileStore() = default;

void RegistryFileStore::BeginWrites() {
  if (depth_++ > 0) {
    return;
  }
  const bool folder = !path_.empty() && MakeFolders(FolderOf(path_));
  group_ = std::make_shared<Group>(path_);
  group_->ok = folder && group_->lock.held() && LoadForChange(path_, &cache_, &group_->file);
}

bool RegistryFileStore::EndWrites() {
  if (depth_ == 0 || --depth_ > 0) {
    return depth_ >= 0 && (group_ == nullptr || group_->ok);
  }
  bool stored = false;
  if (group_ != nullptr && group_->ok) {
    std::string written = group_->file.Serialize();
    stored = ReplaceFileContents(path_, written);
    if (stored) {
      cache_.bytes = std::move(written);
      cache_.parsed = std::move(group_->file);
    }
  }
  group_.reset();  // lets the lock go
  return stored;
}

void RegistryFileStore::NoteFallback(const std::string& why, const std::string& outcome) {
  if (fallback_.empty()) {
    fallback_ = "the settings file " + path_ + " " + why + "; " + outcome +
                " and the default settings are used";
  }
}

StoreStatus RegistryFileStore::Query(const std::string& key, const std::string& name, void* buffer,
                                     std::uint32_t* size, std::uint32_t* type) {
  if (path_.empty()) {
    return StoreStatus::kFailed;
  }
  if (group_ != nullptr) {  // what the group has set so far; we hold the lock already
    return group_->ok ? CopyValue(group_->file.Find(FullKey(key), name), buffer, size, type)
                      : StoreStatus::kFailed;
  }
  std::string why;
  LoadResult loaded = Load(path_, &why, &cache_);
  if (loaded == LoadResult::kCorrupt && keep_broken_file_) {
    NoteFallback(why, "it is left as it is");
    return StoreStatus::kNotFound;
  }
  if (loaded == LoadResult::kCorrupt) {
    // Look again under the lock: a writer may have replaced the file meanwhile.
    FileLock lock(path_);
    std::string aside;
    if (lock.held()) {
      loaded = Load(path_, &why, &cache_);
      if (loaded == LoadResult::kCorrupt) {
        NoteFallback(why, MoveAside(path_, &aside) ? "it was renamed to " + aside
                                                   : "it could not be renamed aside");
      }
    }
    if (loaded == LoadResult::kCorrupt) {
      return StoreStatus::kNotFound;  // read as empty: the caller keeps its defaults
    }
  }
  if (loaded == LoadResult::kError) {
    NoteFallback(why, "it is left as it is");
    return StoreStatus::kFailed;
  }
  return CopyValue(cache_.parsed->Find(FullKey(key), name), buffer, size, type);
}

StoreStatus RegistryFileStore::Set(const std::string& key, const std::string& name,
                                   std::uint32_t type, const void* data, std::uint32_t size) {
  if (path_.empty() || (data == nullptr && size > 0)) {
    return StoreStatus::kFailed;
  }
  const std::string bytes =
      size > 0 ? std::string(static_cast<const char*>(data), size) : std::string();
  if (group_ != nullptr) {
    // Stored with the whole group at its end.
    return group_->ok && group_->file.Set(FullKey(key), name, type, bytes) ? StoreStatus::kOk
                                                                           : StoreStatus::kFailed;
  }
  if (!MakeFolders(FolderOf(path_))) {
    return StoreStatus::kFailed;
  }
  FileLock lock(path_);
  RegeditFile file;
  if (!lock.held() || !LoadForChange(path_, &cache_, &file)) {
    return StoreStatus::kFailed;
  }
  if (!file.Set(FullKey(key), name, type, bytes)) {
    return StoreStatus::kFailed;
  }
  std::string written = file.Serialize();
  if (!ReplaceFileContents(path_, written)) {
    return StoreStatus::kFailed;
  }
  cache_.bytes = std::move(written);
  cache_.parsed = std::move(file);
  return StoreStatus::kOk;
}

std::string DefaultRegistryFilePath() {
  const char* override_path = std::getenv("PLOTXFER_REGISTRY_FILE");
  if (override_path != nullptr && *override_path != '\0') {
    return override_path;
  }
  std::string config;
  const char* xdg = std::getenv("XDG_CONFIG_HOME");
  if (xdg != nullptr && xdg[0] == '/') {  // relative values are to be ignored
    config = xdg;
  } else {
    const char* home = std::getenv("HOME");
    std::string home_dir = home != nullptr ? home : "";
    if (home_dir.empty()) {
      if (const passwd* pw = getpwuid(getuid()); pw != nullptr && pw->pw_dir != nullptr) {
        home_dir = pw->pw_dir;
      }
    }
    if (home_dir.empty()) {
      return {};
    }
    config = home_dir + "/.config";
  }
  return config + "/MORVA/PLOTXFER.reg";
}

}  // namespace plotxfer::platform
