# SPDX-License-Identifier: GPL-3.0-or-later
# The web folder is staged into share/velmar-casino/web at every build: the
# pages from web/, plus the fonts and three.js taken from the npm packages that
# scripts/setup installed into web/node_modules, and the pages' translations
# that po/ generates. The four tables' pages are written from web/table.html.in.
set(VELMAR_PAGE_TRANSLATIONS "${CMAKE_BINARY_DIR}/po/translations.js")
add_custom_target(web ALL
  COMMAND ${CMAKE_COMMAND}
          -DSRC=${CMAKE_SOURCE_DIR}/web
          -DDEST=${VELMAR_RESOURCES}/web
          -DGENERATED=js/kit/translations.js=${VELMAR_PAGE_TRANSLATIONS}
          -P ${CMAKE_SOURCE_DIR}/cmake/CopyWeb.cmake
  COMMENT "Staging the web folder"
  VERBATIM)
install(DIRECTORY ${VELMAR_RESOURCES}/web DESTINATION ${CMAKE_INSTALL_DATADIR}/velmar-casino)

# The release tarball: build/velmar-casino-<version>.tar.xz.
add_custom_target(dist
  COMMAND ${CMAKE_COMMAND} -DSOURCE=${CMAKE_SOURCE_DIR} -DNAME=${PROJECT_NAME}-${PROJECT_VERSION}
          -P ${CMAKE_SOURCE_DIR}/cmake/Dist.cmake
  WORKING_DIRECTORY ${CMAKE_BINARY_DIR}
  COMMENT "Making the release tarball"
  VERBATIM)
