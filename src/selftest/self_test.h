// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "host/casino.h"
#include "selftest/report.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velmar {

struct SelfTestTiming {
  double settle = 7.0;     // after a page has loaded, before probing it
  double saveWait = 1.5;   // after the write script, before checking the store
  double clearWait = 1.0;  // after the remove script, before the report
  // From a page's load request to its picture, and for each script of the
  // round trip; VELMAR_SELFTEST_PAGE_BOUND replaces it (for tests).
  double pageBound = 60.0;
  // The whole run, as a last resort; 0 derives it from pageBound.
  // VELMAR_SELFTEST_RUN_BOUND replaces it (for tests).
  double runBound = 0.0;
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

  // Why dir cannot take the report (it cannot be made, or a file cannot be
  // written into it), or nothing when it can.
  static std::optional<std::string> unusableFolder(const std::string& dir);

  void run();
  // Ends a run that something outside is stopping (a signal, Quit, the window
  // closed): the report says what stopped it and quit gets a failing status.
  // Returns false when the run had already ended, and then does nothing.
  bool interrupt(const std::string& cause);

 private:
  SelfTest(std::shared_ptr<Casino> casino, std::string reportDir, Quit quit, Timing timing);

  void visit(size_t index);
  void watch(WebKitWebView* view);
  void loaded(unsigned step);
  void whenDrawn(unsigned step);
  void probe(size_t index);
  void picture(size_t index, GdkTexture* texture);
  void outOfTime(unsigned step);
  // Runs a script of the round trip, then next; a script that gets no answer
  // within the page bound stops the run.
  void roundTripScript(std::string_view script, const std::string& what, std::function<void(SelfTest&)> next);
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
  // Each page and each round-trip script is one step; an answer or a bound
  // from an earlier step finds a newer number and does nothing.
  unsigned step_ = 0;
  size_t index_ = 0;
  selftest::Stage stage_ = selftest::Stage::Loading;
};

}  // namespace velmar
