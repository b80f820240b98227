// SPDX-License-Identifier: GPL-3.0-or-later
// Linked into every test program of the sanitizer build, so that the leak
// check at exit can name the platform libraries its suppressions are for.
#include <dlfcn.h>

namespace {

// Mesa unloads its software GL driver whenever the last GL context goes, at
// the latest in its exit handler; what the driver keeps for the process's life
// could then no longer be traced to it. Loaded here for good, it stays known.
[[maybe_unused]] void* const glDriver =
    dlopen("/usr/lib/x86_64-linux-gnu/dri/swrast_dri.so", RTLD_LAZY | RTLD_NODELETE);

}  // namespace
