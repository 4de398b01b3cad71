#include "support/byte_sink.h"

#include <cerrno>
#include <cstring>

#include "support/paths.h"
#include "support/system.h"

namespace standin {

void ByteSink::Le16(std::uint16_t v) {
  std::uint8_t b[2] = {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8)};
  Write(b, 2);
}

void ByteSink::Le32(std::uint32_t v) {
  std::uint8_t b[4] = {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8),
                       static_cast<std::uint8_t>(v >> 16), static_cast<std::uint8_t>(v >> 24)};
  Write(b, 4);
}

void ByteSink::Be16(std::uint16_t v) {
  std::uint8_t b[2] = {static_cast<std::uint8_t>(v >> 8), static_cast<std::uint8_t>(v)};
  Write(b, 2);
}

void MemorySink::Write(const void* data, std::size_t size) {
  bytes_.append(static_cast<const char*>(data), size);
}

void MemorySink::Patch(std::uint64_t offset, const void* data, std::size_t size) {
  if (offset + size <= bytes_.size()) {
    std::memcpy(bytes_.data() + offset, data, size);
  }
}

OutputFile::~OutputFile() {
  Discard();
}

bool OutputFile::Open(const std::string& target, std::string* error) {
  target_ = target;
  // A short name in the target's folder: the rename stays within one file system.
  char name[40];
  std::snprintf(name, sizeof name, "~sti%08x.tmp", static_cast<unsigned>(ProcessId()));
  temp_ = FolderOf(target) + name;
  file_ = std::fopen(temp_.c_str(), "wb");
  if (file_ == nullptr) {
    // The folder may allow no extra file, or the longer name may not fit: write in place.
    temp_.clear();
    file_ = std::fopen(target.c_str(), "wb");
  }
  if (file_ == nullptr) {
    if (error != nullptr) *error = "cannot create " + target + ": " + std::strerror(errno);
    return false;
  }
  return true;
}

void OutputFile::Write(const void* data, std::size_t size) {
  if (file_ == nullptr || !ok_ || size == 0) return;
  if (std::fwrite(data, 1, size, file_) != size) ok_ = false;
  position_ += size;
}

void OutputFile::Patch(std::uint64_t offset, const void* data, std::size_t size) {
  if (file_ == nullptr || !ok_) return;
  if (std::fflush(file_) != 0 || !SeekFile(file_, offset) ||
      std::fwrite(data, 1, size, file_) != size || std::fflush(file_) != 0 ||
      !SeekFile(file_, position_)) {
    ok_ = false;
  }
}

bool OutputFile::Commit(std::string* error) {
  if (file_ == nullptr) {
    if (error != nullptr) *error = "no output file open";
    return false;
  }
  bool ok = ok_ && std::fflush(file_) == 0;
  ok = std::fclose(file_) == 0 && ok;
  file_ = nullptr;
  if (!ok) {
    if (error != nullptr) *error = "cannot write " + target_ + ": " + std::strerror(errno);
    RemoveFile(temp_.empty() ? target_ : temp_);
    temp_.clear();
    return false;
  }
  if (!temp_.empty()) {
    if (!MoveIntoPlace(temp_, target_)) {
      if (error != nullptr) *error = "cannot put the output in place at " + target_;
      RemoveFile(temp_);
      temp_.clear();
      return false;
    }
    temp_.clear();
  }
  return true;
}

void OutputFile::Discard() {
  if (file_ != nullptr) {
    std::fclose(file_);
    file_ = nullptr;
    RemoveFile(temp_.empty() ? target_ : temp_);
  }
  temp_.clear();
}

}  // namespace standin
