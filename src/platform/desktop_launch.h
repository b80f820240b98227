// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

namespace velmar {

// Opens an address (a web address, a folder's file:// address) in the
// desktop's default application for it, without waiting. The application
// starts with no signal blocked and every signal at its default action,
// whatever this process blocks or ignores for itself. A failure is logged.
void openInDefaultApplication(const std::string& uri);

}  // namespace velmar
