// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The shell's words go through gettext in the domain GETTEXT_PACKAGE, which
// the build defines: _() for a string shown where it is written, N_() for one
// kept in a table and translated where it is shown. Log lines stay English.
#include <glib/gi18n.h>

#include <string>

namespace velmar {

// Chooses the user's language and binds the domain to the catalogues in
// <prefix>/share/locale beside the resource folder (as installed, and as the
// build tree mirrors it); with no resource folder, to the system's own.
void bindTranslations();

}  // namespace velmar
