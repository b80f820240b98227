// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <gio/gio.h>

#include <string>

namespace velmar {

// A file the program carries inside it (see velmar_resources in the build),
// as text. Such a file is always there, so one that is not is a broken build
// and ends the program.
std::string resourceText(GResource* bundle, const char* path);

}  // namespace velmar
