#include "core/settings/settings_store.h"

#include <array>
#include <cstring>

namespace plotxfer {

SettingsStore::SettingsStore(platform::ValueStore& values, std::string_view root)
    : values_(values), root_(root) {
}

std::string SettingsStore::PathOf(std::string_view key) const {
  std::string path = root_;
  path += '\\';
  path += key;
  return path;
}

std::optional<std::int32_t> SettingsStore::ReadNumber(std::string_view key,
                                                      std::string_view name) const {
  std::array<unsigned char, 4> buffer{};
  std::uint32_t size = buffer.size();
  if (values_.Query(PathOf(key), std::string(name), buffer.data(), &size, nullptr) !=
      platform::StoreStatus::kOk) {
    return std::nullopt;
  }
  const std::uint32_t bits =
      static_cast<std::uint32_t>(buffer[0]) | (static_cast<std::uint32_t>(buffer[1]) << 8) |
      (static_cast<std::uint32_t>(buffer[2]) << 16) | (static_cast<std::uint32_t>(buffer[3]) << 24);
  return static_cast<std::int32_t>(bits);
}

std::optional<std::string> SettingsStore::ReadText(std::string_view key,
                                                   std::string_view name) const {
  std::array<char, kStoredTextBuffer> buffer{};
  std::uint32_t size = buffer.size();
  if (values_.Query(PathOf(key), std::string(name), buffer.data(), &size, nullptr) !=
      platform::StoreStatus::kOk) {
    return std::nullopt;
  }
  // Data filling the whole buffer without a zero byte have no end that could be trusted.
  const auto* zero = static_cast<const char*>(std::memchr(buffer.data(), '\0', buffer.size()));
  if (zero == nullptr) {
    return std::nullopt;
  }
  return std::string(buffer.data(), static_cast<std::size_t>(zero - buffer.data()));
}

bool SettingsStore::WriteNumber(std::string_view key, std::string_view name, std::int32_t value) {
  const auto bits = static_cast<std::uint32_t>(value);
  const std::array<unsigned char, 4> data = {static_cast<unsigned char>(bits & 0xFF),
                                             static_cast<unsigned char>((bits >> 8) & 0xFF),
                                             static_cast<unsigned char>((bits >> 16) & 0xFF),
                                             static_cast<unsigned char>((bits >> 24) & 0xFF)};
  return values_.Set(PathOf(key), std::string(name), platform::kValueDword, data.data(),
                     data.size()) == platform::StoreStatus::kOk;
}

bool SettingsStore::WriteText(std::string_view key, std::string_view name, std::string_view text) {
  if (text.size() >= kStoredTextBuffer || text.find('\0') != std::string_view::npos) {
    return false;
  }
  const std::string data(text);  // c_str() brings the terminating zero along
  return values_.Set(PathOf(key), std::string(name), platform::kValueText, data.c_str(),
                     static_cast<std::uint32_t>(data.size() + 1)) == platform::StoreStatus::kOk;
}

std::optional<SizePair> SettingsStore::ReadSizePair(std::string_view key) const {
  const std::optional<std::int32_t> width = ReadNumber(key, "OptXSize");
  if (!width || *width <= 0) {
    return std::nullopt;
  }
  const std::optional<std::int32_t> height = ReadNumber(key, "OptYSize");
  if (!height || *height <= 0) {
    return std::nullopt;
  }
  return SizePair{*width, *height};
}

bool SettingsStore::WriteSizePair(std::string_view key, int width, int height) {
  return WriteNumber(key, "OptXSize", width) && WriteNumber(key, "OptYSize", height);
}

}  // namespace plotxfer
