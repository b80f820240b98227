// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "store/save_store.h"
#include "support/log_capture.h"

#include <glib.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace velmar::test {

// Microseconds since the epoch of a local wall-clock moment, so that tests
// cross local midnight whatever the machine's time zone.
inline std::int64_t localMoment(int year, int month, int day, int hour = 12, int minute = 0, int second = 0) {
  GDateTime* moment = g_date_time_new_local(year, month, day, hour, minute, second);
  std::int64_t usec = g_date_time_to_unix(moment) * G_USEC_PER_SEC;
  g_date_time_unref(moment);
  return usec;
}

// A temporary base folder, a clock the test sets, and the log.
class SavesTest : public ::testing::Test {
 protected:
  SaveStore::Clock clock() {
    return [this] { return now; };
  }
  SaveStore open() { return SaveStore(base.path(), clock()); }
  std::string folder() const { return base / "Velmar Casino"; }
  std::string saves() const { return folder() + "/saves.json"; }
  std::string backups() const { return folder() + "/backups"; }

  TempDir base;
  LogCapture log;
  // 2023-11-14 22:13:20 UTC: a fixed moment whose whole seconds name recovery copies.
  std::int64_t now = std::int64_t{1700000000} * G_USEC_PER_SEC + 250000;
};

}  // namespace velmar::test
