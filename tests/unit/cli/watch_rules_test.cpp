// When a watched drawing is converted: once complete, once per change.
#include "cli/watch_rules.h"

#include <gtest/gtest.h>

#include <map>
#include <set>

using plotxfer::cli::DrawingVersion;
using plotxfer::cli::WatchRules;
using std::chrono::milliseconds;

namespace {

// What the watcher does with a drawing it was handed.
enum class Outcome {
  Ended,      // converted or failed: Finished
  Rewritten,  // its header was refused and it was rewritten meanwhile: StillWritten
  Refused,    // the run was refused (busy output utility): Returned
};

// One moment of a scenario on the fake clock: what happens to the fake folder, then what the
// watcher takes after looking at the drawings that are due.
struct Step {
  int at;                  // ms
  const char* write = "";  // path written now (an event names it, unless silent)
  bool silent = false;     // the write gives no event: only a look finds it (a share, --poll)
  int size = 10;
  int index = 1;      // file identity: another index is another file put in its place
  bool held = false;  // the writer keeps it open (Windows: a sharing violation)
  const char* remove = "";
  const char* seen = "";   // an event (or a rescan) names it, unchanged
  const char* done = "";   // taken as done without converting (up to date at start)
  const char* taken = "";  // the drawings handed out now, in order, space-separated
  Outcome outcome = Outcome::Ended;
  int next_look = -1;  // ms of NextLook afterwards; -1: none
};

struct Scenario {
  const char* name;
  int settle;
  std::vector<Step> steps;
};

using Time = WatchRules::Time;

}  // namespace

TEST(WatchRules, ADrawingIsTakenOnceCompleteAndOncePerChange) {
  const Scenario scenarios[] = {
      {"a new drawing is taken once unchanged for the settle time",
       2000,
       {{.at = 0, .write = "a", .next_look = 2000},
        {.at = 1999, .next_look = 2000},
        {.at = 2000, .taken = "a"},
        {.at = 9000}}},
      {"each write starts the settle time again",
       2000,
       {{.at = 0, .write = "a", .next_look = 2000},
        {.at = 1500, .write = "a", .size = 20, .next_look = 3500},
        {.at = 2000, .next_look = 3500},
        {.at = 3500, .taken = "a"}}},
      {"a change seen only when looking at the deadline starts it again",
       2000,
       {{.at = 0, .write = "a", .next_look = 2000},
        {.at = 2000, .write = "a", .silent = true, .size = 20, .next_look = 4000},
        {.at = 4000, .taken = "a"}}},
      {"a drawing a writer holds is not complete",
       2000,
       {{.at = 0, .write = "a", .held = true, .next_look = 2000},
        {.at = 2000, .held = true, .next_look = 4000},
        {.at = 4000, .taken = "a"}}},
      {"a converted or failed drawing waits for its next change",
       1000,
       {{.at = 0, .write = "a", .next_look = 1000},
        {.at = 1000, .taken = "a"},
        {.at = 1500, .seen = "a"},
        {.at = 60000, .taken = ""},
        {.at = 61000, .write = "a", .size = 11, .next_look = 62000},
        {.at = 62000, .taken = "a"}}},
      {"another file of the same size and time put in its place is a change",
       1000,
       {{.at = 0, .done = "a"},
        {.at = 0, .write = "a", .index = 2, .next_look = 1000},
        {.at = 1000, .taken = "a"}}},
      {"a drawing done at start is taken only after it changes",
       1000,
       {{.at = 0, .done = "a"},
        {.at = 5000},
        {.at = 6000, .write = "a", .size = 12, .next_look = 7000},
        {.at = 7000, .taken = "a"}}},
      {"a refused header of a drawing still written: tried again once it settles again",
       2000,
       {{.at = 0, .write = "a", .next_look = 2000},
        {.at = 2000, .taken = "a", .outcome = Outcome::Rewritten, .next_look = 4000},
        {.at = 3000, .next_look = 4000},
        {.at = 4000, .taken = "a"}}},
      {"a refused run hands its drawings out again",
       1000,
       {{.at = 0, .write = "b", .next_look = 1000},
        {.at = 0, .write = "a", .next_look = 1000},
        {.at = 1000, .taken = "a b", .outcome = Outcome::Refused},
        {.at = 2000, .taken = "a b"},
        {.at = 3000}}},
      {"a drawing removed while it settles is forgotten",
       2000,
       {{.at = 0, .write = "a", .next_look = 2000}, {.at = 1000, .remove = "a"}, {.at = 2000}}},
      {"a drawing removed after its conversion and put back is new again",
       1000,
       {{.at = 0, .write = "a", .next_look = 1000},
        {.at = 1000, .taken = "a"},
        {.at = 2000, .remove = "a"},
        {.at = 2500, .write = "a", .next_look = 3500},
        {.at = 3500, .taken = "a"}}},
      {"without a settle time a drawing is taken at the first look",
       0,
       {{.at = 0, .write = "a", .taken = "a"}}},
  };
  for (const Scenario& s : scenarios) {
    SCOPED_TRACE(s.name);
    WatchRules rules{milliseconds(s.settle)};
    std::map<std::string, DrawingVersion> folder;  // the fake folder
    std::set<std::string> held;
    const Time origin{};
    int row = 0;
    for (const Step& step : s.steps) {
      SCOPED_TRACE("step " + std::to_string(++row));
      const Time now = origin + milliseconds(step.at);
      if (*step.done != '\0') {
        folder[step.done] = {10, 0, 1, 1};
        rules.Done(step.done, folder[step.done]);
        continue;
      }
      std::string changed;
      if (*step.write != '\0') {
        folder[step.write] = {static_cast<std::uint64_t>(step.size), step.at, 1,
                              static_cast<std::uint64_t>(step.index)};
        changed = step.silent ? "" : step.write;
      }
      if (*step.seen != '\0') {
        changed = step.seen;
      }
      if (*step.remove != '\0') {
        folder.erase(step.remove);
        changed = step.remove;
      }
      if (step.held && *step.write != '\0') {
        held.insert(step.write);
      } else if (!step.held) {
        held.clear();
      }
      const auto look = [&](const std::string& path) {
        const auto it = folder.find(path);
        rules.Seen(path, it == folder.end() ? std::nullopt : std::optional(it->second),
                   held.count(path) != 0, now);
      };
      if (!changed.empty()) {
        look(changed);
      }
      for (const std::string& path : rules.ToLookAt(now)) {
        look(path);
      }
      std::string taken;
      for (const WatchRules::Taken& t : rules.TakeSettled()) {
        taken += (taken.empty() ? "" : " ") + t.path;
        EXPECT_EQ(t.version, folder[t.path]) << t.path;
        switch (step.outcome) {
          case Outcome::Ended:
            rules.Finished(t.path, t.version);
            break;
          case Outcome::Rewritten:
            folder[t.path].size += 100;
            rules.StillWritten(t.path, folder[t.path], now);
            break;
          case Outcome::Refused:
            rules.Returned(t.path);
            break;
        }
      }
      EXPECT_EQ(taken, step.taken);
      const std::optional<Time> next = rules.NextLook();
      EXPECT_EQ(next ? static_cast<int>((*next - origin) / milliseconds(1)) : -1, step.next_look);
    }
  }
}
