# SPDX-License-Identifier: GPL-3.0-or-later
# A Debian package of the installed tree: cpack -G DEB in the build folder.
# The library dependencies are read from the executable by dpkg-shlibdeps, so
# they follow whatever GTK, libadwaita and WebKitGTK the build linked.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME velmar-casino)
set(CPACK_PACKAGE_VENDOR "Velmar Casino")
set(CPACK_PACKAGE_CONTACT "The Velmar Casino developers <casino@velmar.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Four casino tables that keep your chips")
set(CPACK_PACKAGE_DESCRIPTION
  "A lobby and four lit tables (roulette, blackjack, baccarat and poker), played\n for chips that are not money. Chips and table settings are saved as you play.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
# The symbols go into a package of their own (velmar-casino-dbgsym) rather
# than away, so that a crash report can still be read; the generator strips
# the program itself, which CPACK_STRIP_FILES would do too early.
set(CPACK_DEBIAN_DEBUGINFO_PACKAGE ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The tables draw with WebGL; without a GPU driver Mesa's software renderer
# stands in, and the page sounds play through GStreamer.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "libgl1-mesa-dri, gstreamer1.0-plugins-good")
include(CPack)
