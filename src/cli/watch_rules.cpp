#include "cli/watch_rules.h"

namespace plotxfer::cli {

void WatchRules::Seen(const std::string& path, const std::optional<DrawingVersion>& version,
                      bool held, Time now) {
  if (!version) {
    entries_.erase(path);
    return;
  }
  Entry& e = entries_[path];
  if (e.state == State::Taken) {
    return;  // its conversion says what became of it
  }
  if (e.done == version && !held) {
    e.state = State::Idle;
    e.seen = *version;
    return;
  }
  if (e.state == State::Idle || e.seen != *version || held) {
    e.state = State::Settling;
    e.seen = *version;
    e.changed = now;
  }
  e.looked = now;
}

void WatchRules::Done(const std::string& path, const DrawingVersion& version) {
  Entry& e = entries_[path];
  e.state = State::Idle;
  e.done = version;
  e.seen = version;
}

std::vector<std::string> WatchRules::ToLookAt(Time now) const {
  std::vector<std::string> paths;
  for (const auto& [path, e] : entries_) {
    if (e.state == State::Settling && !Settled(e) && now - e.changed >= settle_) {
      paths.push_back(path);
    }
  }
  return paths;
}

std::optional<WatchRules::Time> WatchRules::NextLook() const {
  std::optional<Time> next;
  for (const auto& [path, e] : entries_) {
    if (e.state == State::Settling && !Settled(e) && (!next || e.changed + settle_ < *next)) {
      next = e.changed + settle_;
    }
  }
  return next;
}

std::vector<WatchRules::Taken> WatchRules::TakeSettled() {
  std::vector<Taken> taken;
  for (auto& [path, e] : entries_) {
    if (Settled(e)) {
      e.state = State::Taken;
      taken.push_back({path, e.seen});
    }
  }
  return taken;
}

void WatchRules::Finished(const std::string& path, const DrawingVersion& version) {
  Entry& e = entries_[path];
  e.state = State::Idle;
  e.done = version;
  e.seen = version;
}

void WatchRules::StillWritten(const std::string& path, const DrawingVersion& now_version,
                              Time now) {
  Entry& e = entries_[path];
  e.state = State::Settling;
  e.seen = now_version;
  e.changed = now;
  e.looked = now;
}

void WatchRules::Returned(const std::string& path) {
  const auto it = entries_.find(path);
  if (it != entries_.end() && it->second.state == State::Taken) {
    it->second.state = State::Settling;
  }
}

std::vector<std::string> WatchRules::Known() const {
  std::vector<std::string> paths;
  paths.reserve(entries_.size());
  for (const auto& [path, e] : entries_) {
    paths.push_back(path);
  }
  return paths;
}

std::size_t WatchRules::Settling() const {
  std::size_t n = 0;
  for (const auto& [path, e] : entries_) {
    n += e.state == State::Settling ? 1 : 0;
  }
  return n;
}

}  // namespace plotxfer::cli
