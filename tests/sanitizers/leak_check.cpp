// SPDX-License-Identifier: GPL-3.0-or-later
// Linked into every test program of the sanitizer build, so that the leak
// check can name the platform libraries its suppressions are written for.
#include <dlfcn.h>
#include <glib.h>
#include <gtest/gtest.h>
#include <sanitizer/lsan_interface.h>

namespace {

// Mesa unloads its software GL driver whenever the last GL context goes; what
// the driver keeps for the process's life could then no longer be traced to
// it. Loaded here for good, it stays known.
[[maybe_unused]] void* const glDriver =
    dlopen("/usr/lib/x86_64-linux-gnu/dri/swrast_dri.so", RTLD_LAZY | RTLD_NODELETE);

// The check runs when the tests are done, before the exit handlers tear the
// platform down, and once the work the toolkit still had queued (a buffer in
// flight between its threads looks lost) has run.
class LeakCheckBeforeExit : public ::testing::Environment {
 public:
  void TearDown() override {
    for (gint64 end = g_get_monotonic_time() + G_USEC_PER_SEC / 2; g_get_monotonic_time() < end;)
      if (!g_main_context_iteration(nullptr, FALSE)) g_usleep(10000);
    __lsan_do_leak_check();
  }
};

const auto* registered = ::testing::AddGlobalTestEnvironment(new LeakCheckBeforeExit);

}  // namespace
