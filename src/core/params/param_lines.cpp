#include "core/params/param_lines.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <new>

namespace plotxfer::params {

std::unique_ptr<ParamLines> ParamLines::Allocate() {
  return std::unique_ptr<ParamLines>(new (std::nothrow) ParamLines());
}

void ParamLines::Clear() {
  std::memset(slots_, 0, sizeof slots_);
  std::memset(lengths_, 0, sizeof lengths_);
  count_ = 0;
  filled_ = 0;
  pending_ = 0;
  pending_cr_ = false;
  full_ = false;
}

void ParamLines::Begin() {
  Clear();
}

void ParamLines::FinishSlot() {
  lengths_[filled_] = static_cast<std::uint16_t>(pending_);
  ++filled_;
  pending_ = 0;
  if (filled_ == kSlotCount) {
    full_ = true;
  }
}

void ParamLines::Put(char c) {
  slots_[filled_][pending_++] = c;
  if (c == '\n' || pending_ == kMaxSlotBytes) {
    FinishSlot();
  }
}

bool ParamLines::Append(std::string_view bytes) {
  for (const char c : bytes) {
    if (full_) {
      return false;
    }
    if (pending_cr_) {
      pending_cr_ = false;
      if (c == '\n') {
        Put('\n');
        continue;
      }
      Put('\r');
      if (full_) {
        return false;
      }
    }
    if (c == '\r') {
      pending_cr_ = true;
    } else {
      Put(c);
    }
  }
  return !full_;
}

void ParamLines::End() {
  if (!full_ && pending_cr_) {
    Put('\r');
  }
  pending_cr_ = false;
  if (!full_ && pending_ > 0) {
    FinishSlot();
  }
  // Only a file that ends before the last slot has a count.
  count_ = full_ ? 0 : filled_;
}

void ParamLines::Fill(std::string_view bytes) {
  Begin();
  Append(bytes);
  End();
}

bool ParamLines::ContinuesInNextSlot(std::size_t i) const {
  return i + 1 < count_ && lengths_[i] == kMaxSlotBytes && slots_[i][kMaxSlotBytes - 1] != '\n';
}

bool ParamLines::Rewrite(std::size_t i, std::size_t keep, std::string_view text) {
  if (i >= count_ || keep > lengths_[i] || keep + text.size() > kMaxSlotBytes) {
    return false;
  }
  // The rest of a long line sits in the following slots; left there, it would come out as
  // lines of its own.
  std::size_t last = i;
  while (ContinuesInNextSlot(last)) {
    ++last;
  }
  for (std::size_t j = i + 1; j <= last; ++j) {
    std::memset(slots_[j], 0, kSlotSize);
    lengths_[j] = 0;
  }
  std::memcpy(slots_[i] + keep, text.data(), text.size());
  lengths_[i] = static_cast<std::uint16_t>(keep + text.size());
  std::memset(slots_[i] + lengths_[i], 0, kSlotSize - lengths_[i]);
  return true;
}

std::size_t ParamLines::FileSize() const {
  std::size_t size = 0;
  for (std::size_t i = 0; i < count_; ++i) {
    size += lengths_[i];
    if (lengths_[i] > 0 && slots_[i][lengths_[i] - 1] == '\n') {
      ++size;
    }
  }
  return size;
}

std::string ParamLines::ToFileBytes() const {
  std::string out;
  out.reserve(FileSize());
  for (std::size_t i = 0; i < count_; ++i) {
    std::string_view line = Line(i);
    if (!line.empty() && line.back() == '\n') {
      line.remove_suffix(1);
      out.append(line);
      out.append("\r\n");
    } else {
      out.append(line);
    }
  }
  return out;
}

int LoadParamLines(const std::string& path, ParamLines& lines) {
  lines.Clear();
  errno = 0;
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (f == nullptr) {
    return errno != 0 ? errno : ENOENT;
  }
  lines.Begin();
  char buffer[16384];
  int error = 0;
  for (;;) {
    const std::size_t n = std::fread(buffer, 1, sizeof buffer, f);
    if (!lines.Append(std::string_view(buffer, n))) {
      break;  // all slots taken: the file counts as empty, the rest need not be read
    }
    if (n < sizeof buffer) {
      if (std::ferror(f)) {
        error = EIO;
      }
      break;
    }
  }
  std::fclose(f);
  if (error != 0) {
    lines.Clear();
    return error;
  }
  lines.End();
  return 0;
}

}  // namespace plotxfer::params
