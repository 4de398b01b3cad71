#pragma once
// Where an encoder puts its bytes: a file being written, or memory in tests.
#include <cstdint>
#include <cstdio>
#include <string>

namespace standin {

class ByteSink {
 public:
  virtual ~ByteSink() = default;
  virtual void Write(const void* data, std::size_t size) = 0;
  // Overwrites bytes already written (a header field known only at the end).
  virtual void Patch(std::uint64_t offset, const void* data, std::size_t size) = 0;
  virtual std::uint64_t Position() const = 0;
  // False once any write has failed; encoders may go on writing, the result is discarded.
  virtual bool Ok() const = 0;

  void Byte(std::uint8_t b) { Write(&b, 1); }
  void Text(const std::string& s) { Write(s.data(), s.size()); }
  void Le16(std::uint16_t v);
  void Le32(std::uint32_t v);
  void Be16(std::uint16_t v);
};

class MemorySink : public ByteSink {
 public:
  void Write(const void* data, std::size_t size) override;
  void Patch(std::uint64_t offset, const void* data, std::size_t size) override;
  std::uint64_t Position() const override { return bytes_.size(); }
  bool Ok() const override { return true; }
  const std::string& bytes() const { return bytes_; }

 private:
  std::string bytes_;
};

// Writes to a temporary file beside the target and puts it in the target's place only when
// everything was written, so a failed or killed tool never leaves a half-written output behind.
class OutputFile : public ByteSink {
 public:
  OutputFile() = default;
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;
  ~OutputFile() override;

  bool Open(const std::string& target, std::string* error);
  void Write(const void* data, std::size_t size) override;
  void Patch(std::uint64_t offset, const void* data, std::size_t size) override;
  std::uint64_t Position() const override { return position_; }
  bool Ok() const override { return ok_; }
  // Closes the file and moves it into place; on failure nothing is left behind.
  bool Commit(std::string* error);

 private:
  void Discard();

  std::FILE* file_ = nullptr;
  std::string target_;
  std::string temp_;
  std::uint64_t position_ = 0;
  bool ok_ = true;
};

}  // namespace standin
