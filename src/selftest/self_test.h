// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "host/casino.h"
#include "selftest/report.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace velmar {

struct SelfTestTiming {
  double settle = 7.0;     // after opening a page, before probing it
  double saveWait = 1.5;   // after the write script, before checking the store
  double clearWait = 1.0;  // after the remove script, before the report
};

// The unattended run: visits every page, probes and photographs it, checks a
// save round trip, writes report.json into the report folder and then asks the
// application to quit with the run's exit status.
class SelfTest : public std::enable_shared_from_this<SelfTest> {
 public:
  // quit goes through the application's one way out (flush, then quit) and
  // makes the process end with the given status: 0 for a clean run, 1 otherwise.
  using Quit = std::function<void(int status)>;

  using Timing = SelfTestTiming;

  static std::shared_ptr<SelfTest> create(std::shared_ptr<Casino> casino, std::string reportDir, Quit quit,
                                          Timing timing = {});

  void run();
  // Ends a run that something outside is stopping (a signal, Quit, the window
  // closed): the report says what stopped it and quit gets a failing status.
  // Returns false when the run had already ended, and then does nothing.
  bool interrupt(const std::string& cause);

 private:
  SelfTest(std::shared_ptr<Casino> casino, std::string reportDir, Quit quit, Timing timing);

  void visit(size_t index);
  void probe(size_t index);
  void checkSaveRoundTrip();
  void finish();
  void stop(const std::string& why);

  std::shared_ptr<Casino> casino_;
  std::string dir_;
  Quit quit_;
  Timing timing_;
  std::vector<std::string> pages_;
  selftest::Outcome outcome_;
  std::string value_;
  bool done_ = false;
};

}  // namespace velmar
