#pragma once
// An in-memory value store with the registry's rules, which records every call in order.
#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstring>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "platform/value_store.h"

namespace plotxfer::testing {

class FakeValueStore : public platform::ValueStore {
 public:
  struct Stored {
    std::uint32_t type;
    std::string data;
  };

  platform::StoreStatus Query(const std::string& key, const std::string& name, void* buffer,
                              std::uint32_t* size, std::uint32_t* type) override {
    log_.push_back("query " + key + "\\" + name);
    if (unreachable_) {
      return platform::StoreStatus::kFailed;
    }
    const auto it = values_.find(Id(key, name));
    if (it == values_.end()) {
      return platform::StoreStatus::kNotFound;
    }
    const std::string& data = it->second.data;
    const std::uint32_t room = *size;
    *size = static_cast<std::uint32_t>(data.size());
    if (buffer != nullptr && data.size() > room) {
      return platform::StoreStatus::kMoreData;
    }
    if (buffer != nullptr && !data.empty()) {
      std::memcpy(buffer, data.data(), data.size());
    }
    if (type != nullptr) {
      *type = it->second.type;
    }
    return platform::StoreStatus::kOk;
  }

  platform::StoreStatus Set(const std::string& key, const std::string& name, std::uint32_t type,
                            const void* data, std::uint32_t size) override {
    log_.push_back("set " + key + "\\" + name);
    if (unreachable_ || failing_.count(name) != 0) {
      return platform::StoreStatus::kFailed;
    }
    values_[Id(key, name)] = Stored{type, std::string(static_cast<const char*>(data), size)};
    return platform::StoreStatus::kOk;
  }

  void Put(const std::string& key, const std::string& name, std::uint32_t type, std::string data) {
    values_[Id(key, name)] = Stored{type, std::move(data)};
  }

  const Stored* Get(const std::string& key, const std::string& name) const {
    const auto it = values_.find(Id(key, name));
    return it == values_.end() ? nullptr : &it->second;
  }

  // Every Set of a value of this name fails.
  void FailSetsOf(const std::string& name) { failing_.insert(name); }
  // Every call fails, as when the store cannot be reached at all.
  void MakeUnreachable() { unreachable_ = true; }

  const std::vector<std::string>& log() const { return log_; }
  void ClearLog() { log_.clear(); }

 private:
  // Key paths and value names are matched without regard to case, as in the registry.
  static std::pair<std::string, std::string> Id(std::string key, std::string name) {
    auto lower = [](std::string s) {
      std::transform(s.begin(), s.end(), s.begin(),
                     [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
      return s;
    };
    return {lower(std::move(key)), lower(std::move(name))};
  }

  std::map<std::pair<std::string, std::string>, Stored> values_;
  std::set<std::string> failing_;
  bool unreachable_ = false;
  std::vector<std::string> log_;
};

}  // namespace plotxfer::testing
