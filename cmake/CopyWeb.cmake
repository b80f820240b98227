# SPDX-License-Identifier: GPL-3.0-or-later
# cmake -DSRC=<web> -DDEST=<staged web> [-DGENERATED=<dest>=<file>;...] -P CopyWeb.cmake
cmake_minimum_required(VERSION 3.25)
file(GLOB_RECURSE files RELATIVE "${SRC}" "${SRC}/*")
set(wanted "")
foreach(f IN LISTS files)
  if(f MATCHES "^node_modules(/|$)" OR f MATCHES "^package(-lock)?\\.json$" OR f MATCHES "\\.md$" OR f MATCHES "\\.in$")
    continue()
  endif()
  list(APPEND wanted "${f}")
  get_filename_component(dir "${DEST}/${f}" DIRECTORY)
  file(MAKE_DIRECTORY "${dir}")
  file(COPY_FILE "${SRC}/${f}" "${DEST}/${f}" ONLY_IF_DIFFERENT)
endforeach()

# The four tables' pages differ only in their names: one template serves them.
foreach(table IN ITEMS "roulette=Roulette Royale" "blackjack=Blackjack Royale" "baccarat=Baccarat Royale"
                       "poker=Poker Royale")
  string(REPLACE "=" ";" parts "${table}")
  list(GET parts 0 TABLE_ID)
  list(GET parts 1 TABLE_NAME)
  if(EXISTS "${SRC}/table.html.in")
    configure_file("${SRC}/table.html.in" "${DEST}/${TABLE_ID}-3d.html" @ONLY)
    list(APPEND wanted "${TABLE_ID}-3d.html")
  endif()
endforeach()

include("${CMAKE_CURRENT_LIST_DIR}/WebVendor.cmake")
foreach(pair IN LISTS vendor_map)
  string(REPLACE "=" ";" parts "${pair}")
  list(GET parts 0 to)
  list(GET parts 1 from)
  if(EXISTS "${SRC}/node_modules/${from}")
    get_filename_component(dir "${DEST}/${to}" DIRECTORY)
    file(MAKE_DIRECTORY "${dir}")
    file(COPY_FILE "${SRC}/node_modules/${from}" "${DEST}/${to}" ONLY_IF_DIFFERENT)
    list(APPEND wanted "${to}")
  else()
    list(APPEND missing "${from}")
  endif()
endforeach()
# Without them the tables would have no 3D scene and no fonts: a package built
# so must not come out of the build looking whole.
if(missing)
  list(JOIN missing "\n  " list)
  message(FATAL_ERROR "web: the pages need files that are not in web/node_modules:\n  ${list}\n"
                      "Run scripts/setup (it runs npm ci in web/), or build from the release tarball, "
                      "which carries them.")
endif()

# Files the build made for the pages (the translations).
foreach(pair IN LISTS GENERATED)
  string(REPLACE "=" ";" parts "${pair}")
  list(GET parts 0 to)
  list(GET parts 1 from)
  file(COPY_FILE "${from}" "${DEST}/${to}" ONLY_IF_DIFFERENT)
  list(APPEND wanted "${to}")
endforeach()

# Files removed from web/ leave the staged folder too.
file(GLOB_RECURSE staged RELATIVE "${DEST}" "${DEST}/*")
foreach(f IN LISTS staged)
  if(NOT f IN_LIST wanted)
    file(REMOVE "${DEST}/${f}")
  endif()
endforeach()
