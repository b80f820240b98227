// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>
#include <string>

namespace velmar::test {

// Runs a scenario in a forked child for which file permissions hold. Root
// ignores them, so as root the child first hands the folder tree over to
// "nobody" and drops to that user; any other user keeps its own identity.
//
// The scenario returns the faults it found, one per line, or an empty text.
// The result is that text, or a line saying how the child failed to report.
std::string runWithoutPrivileges(const std::string& tree, const std::function<std::string()>& scenario);

// Collects the faults a scenario finds outside GoogleTest's reach.
class Faults {
 public:
  void check(bool condition, const std::string& what) {
    if (!condition) text_ += what + "\n";
  }
  const std::string& text() const { return text_; }

 private:
  std::string text_;
};

}  // namespace velmar::test
