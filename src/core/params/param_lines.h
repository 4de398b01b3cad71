#pragma once
// A parameter file in memory: one fixed block of 700 slots of 256 bytes, one line per slot.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace plotxfer::params {

class ParamLines {
 public:
  static constexpr std::size_t kSlotCount = 700;
  static constexpr std::size_t kSlotSize = 256;
  // A slot holds up to 255 bytes of a line with its line end; a longer line goes on in the
  // next slot, and since slots are written back one after another it comes out unchanged.
  static constexpr std::size_t kMaxSlotBytes = kSlotSize - 1;

  // One zero-filled block, or nullptr when there is no memory for it.
  static std::unique_ptr<ParamLines> Allocate();

  ParamLines(const ParamLines&) = delete;
  ParamLines& operator=(const ParamLines&) = delete;

  // Empties every slot and sets the count to 0.
  void Clear();

  // Fills the slots from a file's bytes as a text-mode read sees them: CR LF (and LF) end a
  // line and are held as LF; every other byte, a lone CR included, is held as it is. A file that
  // fills all 700 slots counts as having no lines, so 699 is the most a file may have.
  void Fill(std::string_view bytes);
  // The same, in pieces: Begin, Append as often as needed, End.
  void Begin();
  // Append returns false once all slots are taken; more bytes change nothing.
  bool Append(std::string_view bytes);
  void End();

  // Number of lines (slots) read; 0 for a file of 700 lines or more.
  std::size_t count() const { return count_; }
  // Slot i with its LF, if it has one.
  std::string_view Line(std::size_t i) const { return {slots_[i], lengths_[i]}; }

  // Replaces line i by its first `keep` bytes followed by text. False, with the line unchanged,
  // when the result would not fit in a slot. A line that went on in the following slots loses
  // them too: everything after the kept bytes is replaced.
  bool Rewrite(std::size_t i, std::size_t keep, std::string_view text);

  // The file's new content: the lines in order, each LF written as CR LF.
  std::string ToFileBytes() const;
  // Its size in bytes.
  std::size_t FileSize() const;

 private:
  ParamLines() = default;
  void Put(char c);
  void FinishSlot();
  // True when slot i is full without a line end and the line goes on in slot i+1.
  bool ContinuesInNextSlot(std::size_t i) const;

  char slots_[kSlotCount][kSlotSize] = {};
  std::uint16_t lengths_[kSlotCount] = {};
  std::size_t count_ = 0;
  // Fill state.
  std::size_t filled_ = 0;   // slots completed
  std::size_t pending_ = 0;  // bytes in the slot being filled
  bool pending_cr_ = false;
  bool full_ = false;
};

// Reads the file at path into lines (binary read, text-mode line ends as above). 0 on success,
// else the error of the open or the read (a read error is never taken for the end of the file,
// or the rewrite would cut the file short).
int LoadParamLines(const std::string& path, ParamLines& lines);

}  // namespace plotxfer::params
