// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>
#include <string>

namespace velmar {

// The resource folder share/velmar-casino next to the folder that holds the
// executable (bin/), as installed and as the build tree mirrors it. Nothing
// when the executable's path is unknown or no such folder exists.
std::optional<std::string> resourceFolderFor(const std::string& executable);

// The same for the running process, found through /proc/self/exe.
std::optional<std::string> resourceFolder();

}  // namespace velmar
