// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/desktop_launch.h"

#include <gtest/gtest.h>

namespace velmar {
namespace {

// Inside a sandbox nothing may go around the portal: a launcher of our own
// would find no applications, and the file manager is not on the sandbox's bus.
TEST(DesktopLaunch, ASandboxReachesTheDesktopOnlyThroughThePortal) {
  EXPECT_EQ(openerFor(Handing::Address, false), Opener::CleanLauncher);
  EXPECT_EQ(openerFor(Handing::Folder, false), Opener::FileManager);
  EXPECT_EQ(openerFor(Handing::Address, true), Opener::PortalAddress);
  EXPECT_EQ(openerFor(Handing::Folder, true), Opener::PortalFolder);
}

}  // namespace
}  // namespace velmar
