# SPDX-License-Identifier: GPL-3.0-or-later
# cmake -DSOURCE=<checkout> -DNAME=velmar-casino-<version> -P Dist.cmake, run
# in the folder that gets <NAME>.tar.xz: the tracked sources plus the pages'
# third-party files and their licences, so that the tarball builds with no
# network.
cmake_minimum_required(VERSION 3.25)
find_package(Git REQUIRED)
execute_process(COMMAND "${GIT_EXECUTABLE}" -C "${SOURCE}" ls-files
                OUTPUT_VARIABLE tracked RESULT_VARIABLE status OUTPUT_STRIP_TRAILING_WHITESPACE)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "dist: ${SOURCE} is not a git checkout; the tarball is made from one")
endif()
string(REPLACE "\n" ";" tracked "${tracked}")
# The packaging is Debian's, added to the tarball as its own layer.
list(FILTER tracked EXCLUDE REGEX "^debian/")

include("${CMAKE_CURRENT_LIST_DIR}/WebVendor.cmake")
set(vendored ${vendor_licences})
foreach(pair IN LISTS vendor_map)
  string(REPLACE "=" ";" parts "${pair}")
  list(GET parts 1 from)
  list(APPEND vendored "${from}")
endforeach()

file(REMOVE_RECURSE "${NAME}")
foreach(f IN LISTS tracked)
  get_filename_component(dir "${NAME}/${f}" DIRECTORY)
  file(MAKE_DIRECTORY "${dir}")
  file(COPY_FILE "${SOURCE}/${f}" "${NAME}/${f}")
endforeach()
foreach(f IN LISTS vendored)
  if(NOT EXISTS "${SOURCE}/web/node_modules/${f}")
    message(FATAL_ERROR "dist: web/node_modules/${f} is missing; run scripts/setup first")
  endif()
  get_filename_component(dir "${NAME}/web/node_modules/${f}" DIRECTORY)
  file(MAKE_DIRECTORY "${dir}")
  file(COPY_FILE "${SOURCE}/web/node_modules/${f}" "${NAME}/web/node_modules/${f}")
endforeach()
file(ARCHIVE_CREATE OUTPUT "${NAME}.tar.xz" PATHS "${NAME}" FORMAT gnutar COMPRESSION XZ)
file(REMOVE_RECURSE "${NAME}")
message(STATUS "dist: ${NAME}.tar.xz")
