#pragma once
// The five primitives through which every setting is read or written. Each one reaches a single
// value and keeps no key open afterwards; every failure is reported only as "not found" or false,
// and callers keep their defaults.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/value_store.h"

namespace plotxfer {

// Where the settings live under the user's root, and the keys below it.
inline constexpr std::string_view kSettingsRoot = "SOFTWARE\\MORVA\\PLOTXFER";
inline constexpr std::string_view kBootDataKey = "BootData";
inline constexpr std::string_view kPdfKey = "PDF";
inline constexpr std::string_view kImgKey = "IMG";

// A stored text holds at most this many bytes: the reader's buffer keeps one for the zero.
inline constexpr std::size_t kStoredTextBuffer = 260;

struct SizePair {
  int width;
  int height;
};

class SettingsStore {
 public:
  // root is the settings' key under the user's root; tests give a key of their own.
  explicit SettingsStore(platform::ValueStore& values, std::string_view root = kSettingsRoot);

  // The value as a 32-bit number, whatever its stored type: data shorter than 4 bytes are
  // zero-extended, longer data count as missing.
  std::optional<std::int32_t> ReadNumber(std::string_view key, std::string_view name) const;

  // The value's data up to their first zero byte, whatever the stored type. Data that do not fit
  // 260 bytes with a zero byte among them count as missing.
  std::optional<std::string> ReadText(std::string_view key, std::string_view name) const;

  // Stores a 32-bit number (REG_DWORD). True when the value was set.
  bool WriteNumber(std::string_view key, std::string_view name, std::int32_t value);

  // Stores a text (REG_SZ). A text longer than 259 bytes or holding a zero byte is not stored
  // (it could not be read back whole); false then, as when the set fails.
  bool WriteText(std::string_view key, std::string_view name, std::string_view text);

  // OptXSize and OptYSize of key, only when both are present and positive. OptYSize is not read
  // when OptXSize is missing or not positive.
  std::optional<SizePair> ReadSizePair(std::string_view key) const;

  // Stores OptXSize, then OptYSize only when the first was stored. True when both were.
  bool WriteSizePair(std::string_view key, int width, int height);

  // The writes from here to EndWrites are one save: no other save comes between them (see
  // platform::ValueStore). EndWrites is false when they could not be stored whole.
  void BeginWrites() { values_.BeginWrites(); }
  bool EndWrites() { return values_.EndWrites(); }

 private:
  std::string PathOf(std::string_view key) const;

  platform::ValueStore& values_;
  std::string root_;
};

}  // namespace plotxfer
