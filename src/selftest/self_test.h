#pragma once

#include "host/casino.h"

#include <functional>
#include <memory>
#include <string>

namespace velmar {

// The unattended run: visits every page, probes and photographs it, checks a
// save round trip, writes report.json into the report folder and then asks the
// application to quit with the run's exit status.
class SelfTest : public std::enable_shared_from_this<SelfTest> {
 public:
  // quit goes through the application's one way out (flush, then quit) and
  // makes the process end with the given status: 0 for a clean run, 1 otherwise.
  using Quit = std::function<void(int status)>;

  static std::shared_ptr<SelfTest> create(std::shared_ptr<Casino> casino, std::string reportDir, Quit quit);

  void run();

 private:
  SelfTest() = default;
  struct State;
  std::shared_ptr<State> state_;
};

}  // namespace velmar
