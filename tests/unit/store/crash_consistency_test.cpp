// SPDX-License-Identifier: GPL-3.0-or-later
#include "saves_fixture.h"

#include <nlohmann/json.hpp>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <random>

namespace velmar::test {
namespace {

// The n-th state the writer goes through: a counter and a block that grows
// with it (wrapping at about 150 KB), so that kills land in writes of many sizes.
SaveStore::Values state(long n) {
  return {{"count", std::to_string(n)}, {"table.v1", std::string(static_cast<std::size_t>(n * 613 % 150000), 'c')}};
}

long countIn(const SaveStore::Values& values) {
  auto entry = values.find("count");
  return entry == values.end() ? 0 : std::stol(entry->second);
}

// Parses text as saves and returns the state it equals, or -1.
long stateOf(const std::string& text) {
  auto parsed = nlohmann::json::parse(text, nullptr, false);
  if (!parsed.is_object()) return -1;
  SaveStore::Values values;
  for (auto& [key, value] : parsed.items()) {
    if (!value.is_string()) return -1;
    values[key] = value.get<std::string>();
  }
  long n = countIn(values);
  return values == state(n) ? n : -1;
}

// Writes one state after another, reporting each finished write on the pipe,
// until it is killed.
std::int64_t leapDay() { return localMoment(2024, 2, 29); }

[[noreturn]] void writeForever(const std::string& base, int report) {
  SaveStore store(base, leapDay);
  for (long n = countIn(store.values()) + 1;; ++n) {
    store.replaceAll(state(n));
    store.settle();
    if (write(report, "w", 1) < 0) _exit(1);
  }
}

TEST(CrashConsistency, KilledWritesLeaveAWholeStateAndACleanStart) {
  TempDir base;
  const std::string folder = base / "Velmar Casino";
  {
    SaveStore first(base.path(), leapDay);
    first.replaceAll(state(0));
    first.settle();
  }
  std::mt19937 random(20240229);
  std::uniform_int_distribution<int> delayUs(0, 3000);
  long last = 0;
  int killedWithLeftovers = 0;
  constexpr int kKills = 220;
  for (int kill = 0; kill < kKills; ++kill) {
    int report[2];
    ASSERT_EQ(pipe(report), 0);
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      close(report[0]);
      writeForever(base.path(), report[1]);
    }
    close(report[1]);
    // Every tenth round waits for a finished write, so the states must move
    // on however slow the machine is; the others kill at random moments.
    if (kill % 10 == 0) {
      char byte;
      ASSERT_EQ(read(report[0], &byte, 1), 1);
    }
    usleep(static_cast<useconds_t>(delayUs(random)));
    ::kill(child, SIGKILL);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    close(report[0]);
    ASSERT_TRUE(WIFSIGNALED(status)) << "the writer stopped by itself";

    long now = stateOf(readFile(folder + "/saves.json"));
    ASSERT_GE(now, last) << "after kill " << kill << " saves.json is no whole state written, or went back";
    last = now;
    for (const auto& name : entries(folder))
      if (name != "saves.json" && name != "backups") ++killedWithLeftovers;

    LogCapture log;
    SaveStore restarted(base.path(), leapDay);
    ASSERT_EQ(countIn(restarted.values()), now);
    ASSERT_TRUE(log.lines().empty()) << log.lines().front();
    ASSERT_EQ(entries(folder), (std::vector<std::string>{"backups", "saves.json"}));
    // The day's copies, however many the kills left, are whole states of that day.
    for (const auto& name : entries(folder + "/backups")) {
      ASSERT_TRUE(name.starts_with("saves-2024-02-29") && name.ends_with(".json")) << name;
      ASSERT_GE(stateOf(readFile(folder + "/backups/" + name)), 0) << name;
    }
    ASSERT_GE(stateOf(readFile(folder + "/backups/saves-2024-02-29.json")), 0);
  }
  EXPECT_GE(last, kKills / 10);
  RecordProperty("kills_that_left_a_temporary", killedWithLeftovers);
}

}  // namespace
}  // namespace velmar::test
