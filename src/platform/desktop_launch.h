// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

namespace velmar {

// Opens an address (a web address, a folder's file:// address) in the
// desktop's default application for it, without waiting. The application
// starts with no signal blocked and every signal at its default action,
// whatever this process blocks or ignores for itself. A failure is logged.
void openInDefaultApplication(const std::string& uri);

// What the casino hands to the desktop, and how it reaches it. Inside a
// Flatpak sandbox the host's applications and file manager are out of sight,
// and only the desktop portal can open things for the player.
enum class Handing { Address, Folder };
enum class Opener {
  // The default application, started by us with a clean signal set-up.
  CleanLauncher,
  // The file manager over the session bus, with the folder selected.
  FileManager,
  // GLib's default-for-URI launch, which goes through the portal.
  PortalAddress,
  // The portal's OpenURI.OpenDirectory.
  PortalFolder,
};
Opener openerFor(Handing what, bool sandboxed);

// Whether this process runs in a Flatpak sandbox (/.flatpak-info exists).
bool inSandbox();

// Opens a folder through the desktop portal; a failure is logged.
void openFolderThroughPortal(const std::string& path);

}  // namespace velmar
