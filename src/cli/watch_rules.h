#pragma once
// When a drawing in a watched folder is converted: once it is complete, and once per change.
//
// Complete (settled) means: looked at no sooner than the settle time after it was last seen to
// change, it was found unchanged, and no writer held it. A drawing that was converted, or failed,
// is not taken again until its size, time or identity change: a failure is never retried in a
// loop. Time is handed in, so the rules run on any clock.
#include <chrono>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace plotxfer::cli {

// One version of a drawing's file: what changes when it is written or replaced.
struct DrawingVersion {
  std::uint64_t size = 0;
  std::int64_t modified = 0;
  std::uint64_t device = 0;
  std::uint64_t index = 0;
  bool operator==(const DrawingVersion&) const = default;
};

class WatchRules {
 public:
  using Time = std::chrono::steady_clock::time_point;

  explicit WatchRules(std::chrono::milliseconds settle) : settle_(settle) {}

  // What a look at the drawing found at now: its version, or none when it is gone (it is then
  // forgotten). held: a writer has it open, which counts as a change.
  void Seen(const std::string& path, const std::optional<DrawingVersion>& version, bool held,
            Time now);
  // The drawing is taken as done in this version without converting it: its output is up to date,
  // or it was there before the watch began and is not to be converted.
  void Done(const std::string& path, const DrawingVersion& version);

  // The drawings whose settle time has passed since they were last seen to change and that have
  // not been looked at since: look at them (Seen) before TakeSettled.
  std::vector<std::string> ToLookAt(Time now) const;
  // When the next drawing is to be looked at; none when no drawing is settling.
  std::optional<Time> NextLook() const;

  struct Taken {
    std::string path;
    DrawingVersion version;
  };
  // The settled drawings, in path order. Each is handed out once; then Finished, StillWritten or
  // Returned says what became of it.
  std::vector<Taken> TakeSettled();

  // The drawing's conversion ended, converted or failed: it is not taken again in this version.
  void Finished(const std::string& path, const DrawingVersion& version);
  // Its conversion found it still being written (refused header, and a new version since it was
  // taken): it settles again from now, with no result.
  void StillWritten(const std::string& path, const DrawingVersion& now_version, Time now);
  // It was not converted (a stop, a busy output utility): it is handed out again.
  void Returned(const std::string& path);

  // Every drawing known (settling, settled or done), for a full look at the folders.
  std::vector<std::string> Known() const;
  std::size_t Settling() const;

 private:
  enum class State { Idle, Settling, Taken };
  struct Entry {
    State state = State::Idle;
    std::optional<DrawingVersion> done;  // converted or failed in this version
    DrawingVersion seen;
    Time changed{};  // when seen last changed
    Time looked{};   // when last looked at
  };
  bool Settled(const Entry& e) const {
    return e.state == State::Settling && e.looked - e.changed >= settle_;
  }

  std::chrono::milliseconds settle_;
  std::map<std::string, Entry> entries_;
};

}  // namespace plotxfer::cli
