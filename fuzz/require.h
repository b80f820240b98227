// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdio>
#include <cstdlib>

// A broken promise is a crash to libFuzzer; the message says which promise.
#define REQUIRE(condition)                                                                \
  do {                                                                                   \
    if (!(condition)) {                                                                  \
      std::fprintf(stderr, "%s:%d: broken: %s\n", __FILE__, __LINE__, #condition);       \
      std::abort();                                                                      \
    }                                                                                    \
  } while (false)
