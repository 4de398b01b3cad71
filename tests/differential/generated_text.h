#pragma once
// Seeded generators of the texts the differential tests hold against the system: Shift-JIS
// paths with Japanese names (many ending in trail byte 0x5C), blanks, shell characters and
// lengths up to the tools' limits. DIFF_INPUTS=N runs N inputs per table instead of the default;
// DIFF_SEED=N starts the generator elsewhere.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <string_view>
#include <vector>

namespace plotxfer::differential {

inline int InputCount(int fallback) {
  const char* n = std::getenv("DIFF_INPUTS");
  return n != nullptr && std::atoi(n) > 0 ? std::atoi(n) : fallback;
}

inline std::uint32_t Seed() {
  const char* s = std::getenv("DIFF_SEED");
  return s != nullptr ? static_cast<std::uint32_t>(std::strtoul(s, nullptr, 10)) : 20261208u;
}

// The bytes of a text as hex, for messages about texts that need not be printable.
inline std::string Hex(std::string_view s) {
  std::string out;
  char b[4];
  for (char c : s) {
    std::snprintf(b, sizeof b, "%02x ", static_cast<unsigned char>(c));
    out += b;
  }
  return out;
}

// One table's count of inputs compared and disagreements; the first few disagreements fail the
// test with their details, the count is printed at the end for the record.
class Tally {
 public:
  explicit Tally(const char* table) : table_(table) {}
  ~Tally() {
    std::printf("[ tally    ] %s: %ld inputs compared, %ld disagreements\n", table_, compared_,
                disagreed_);
  }
  Tally(const Tally&) = delete;
  Tally& operator=(const Tally&) = delete;

  void Compared() { ++compared_; }
  void Disagree(const std::string& why) {
    if (++disagreed_ <= kShown) {
      ADD_FAILURE() << why;
    } else if (disagreed_ == kShown + 1) {
      ADD_FAILURE() << "(further disagreements are counted, not shown)";
    }
  }

 private:
  static constexpr long kShown = 20;
  const char* table_;
  long compared_ = 0;
  long disagreed_ = 0;
};

class TextGenerator {
 public:
  explicit TextGenerator(std::uint32_t seed) : rng_(seed) {}

  std::size_t Below(std::size_t n) {
    return n == 0 ? 0 : std::uniform_int_distribution<std::size_t>(0, n - 1)(rng_);
  }
  bool OneIn(std::size_t n) { return Below(n) == 0; }

  // A double-byte character that code page 932 defines; a third of them end in 0x5C, the byte a
  // backslash search trips on, a few in bytes that are ASCII punctuation elsewhere.
  std::string DoubleByte() {
    const std::vector<std::string>& pool = OneIn(3)   ? Defined().trail_5c
                                           : OneIn(4) ? Defined().trail_punct
                                                      : Defined().all;
    return pool[Below(pool.size())];
  }

  // A double-byte character ending in 0x5C whose lead byte is at most max_lead.
  std::string DoubleByteEndingIn5C(unsigned char max_lead) {
    for (;;) {
      const std::string& c = Defined().trail_5c[Below(Defined().trail_5c.size())];
      if (static_cast<unsigned char>(c[0]) <= max_lead) {
        return c;
      }
    }
  }

  // One character of a file or folder name.
  std::string NameChar() {
    switch (Below(10)) {
      case 0:
      case 1:
      case 2:
      case 3:
        return DoubleByte();
      case 4:
        return std::string(1, static_cast<char>(0xA1 + Below(0x3F)));  // half-width katakana
      case 5: {
        static constexpr char kShell[] = " #%^&()!'~,;=+[]{}@$`.-_";
        return std::string(1, kShell[Below(sizeof kShell - 1)]);
      }
      default: {
        static constexpr char kPlain[] =
            "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
        return std::string(1, kPlain[Below(sizeof kPlain - 1)]);
      }
    }
  }

  std::string Name(std::size_t max_chars) {
    std::string name;
    const std::size_t n = 1 + Below(max_chars);
    for (std::size_t i = 0; i < n; ++i) {
      name += NameChar();
    }
    return name;
  }

  // An absolute folder (a drive or a share) without a trailing backslash, about max_bytes long
  // at most.
  std::string Folder(std::size_t max_bytes) {
    std::string folder;
    if (OneIn(6)) {
      folder = "\\\\" + Name(6) + "\\" + Name(6);
    } else {
      folder = std::string(1, static_cast<char>('C' + Below(4))) + ":";
    }
    const std::size_t parts = Below(6);
    for (std::size_t i = 0; i < parts; ++i) {
      std::string next = folder + "\\" + Name(14);
      if (next.size() > max_bytes) {
        break;
      }
      folder = std::move(next);
    }
    return folder;
  }

  // A file path: a folder and a name, the name sometimes with trailing blanks, sometimes stretched
  // to exactly length bytes.
  std::string FilePath(std::size_t max_bytes, std::string_view extension = ".VX") {
    std::string path = Folder(max_bytes / 2) + "\\" + Name(10);
    if (OneIn(8)) {
      path += std::string(1 + Below(2), ' ');
    }
    path += extension;
    if (OneIn(5)) {
      Stretch(&path, max_bytes - Below(3), extension.size());
    }
    return path.size() <= max_bytes ? path : FilePath(max_bytes, extension);
  }

  // Pads the name before the last keep bytes with single-byte characters to reach length bytes.
  void Stretch(std::string* path, std::size_t length, std::size_t keep) {
    while (path->size() < length) {
      path->insert(path->size() - keep, 1, static_cast<char>('a' + Below(26)));
    }
  }

 private:
  // The double-byte characters the code page defines: those that come back from a round trip
  // through UTF-16 unchanged. Paths on Windows reach us from the system's own conversion and
  // hold no others; text the code page does not define cannot name a file there.
  struct DefinedCharacters {
    std::vector<std::string> all, trail_5c, trail_punct;
  };
  static const DefinedCharacters& Defined() {
    static const DefinedCharacters defined = [] {
      DefinedCharacters d;
      for (int lead = 0x81; lead <= 0xFC; ++lead) {
        for (int trail = 0x40; trail <= 0xFC; ++trail) {
          const char bytes[2] = {static_cast<char>(lead), static_cast<char>(trail)};
          wchar_t wide[2] = {};
          char back[4] = {};
          BOOL defaulted = FALSE;
          if (MultiByteToWideChar(932, MB_ERR_INVALID_CHARS, bytes, 2, wide, 2) != 1 ||
              WideCharToMultiByte(932, WC_NO_BEST_FIT_CHARS, wide, 1, back, sizeof back, nullptr,
                                  &defaulted) != 2 ||
              defaulted || back[0] != bytes[0] || back[1] != bytes[1]) {
            continue;
          }
          const std::string c(bytes, 2);
          d.all.push_back(c);
          if (trail == 0x5C) {
            d.trail_5c.push_back(c);
          } else if (std::string_view("|[]^`{}@").find(static_cast<char>(trail)) !=
                     std::string_view::npos) {
            d.trail_punct.push_back(c);
          }
        }
      }
      return d;
    }();
    return defined;
  }

  std::mt19937 rng_;
};

inline bool RunningInCodePage932() {
  return GetACP() == 932;
}

}  // namespace plotxfer::differential
