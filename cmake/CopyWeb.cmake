# SPDX-License-Identifier: GPL-3.0-or-later
# cmake -DSRC=<web> -DDEST=<staged web> -P CopyWeb.cmake
cmake_minimum_required(VERSION 3.25)
file(GLOB_RECURSE files RELATIVE "${SRC}" "${SRC}/*")
set(wanted "")
foreach(f IN LISTS files)
  if(f MATCHES "^node_modules/" OR f MATCHES "^package(-lock)?\\.json$" OR f MATCHES "\\.md$")
    continue()
  endif()
  list(APPEND wanted "${f}")
  get_filename_component(dir "${DEST}/${f}" DIRECTORY)
  file(MAKE_DIRECTORY "${dir}")
  file(COPY_FILE "${SRC}/${f}" "${DEST}/${f}" ONLY_IF_DIFFERENT)
endforeach()

# Vendored files: destination inside the web folder, then source inside node_modules.
# three.module.js imports ./three.core.js, so both travel together. Only the font
# faces that css/casino.css declares are copied.
set(vendor_map
  "vendor/three/three.module.js=three/build/three.module.js"
  "vendor/three/three.core.js=three/build/three.core.js"
)
foreach(weight 400 500 600 700 800)
  list(APPEND vendor_map
    "vendor/fonts/manrope-latin-${weight}-normal.woff2=@fontsource/manrope/files/manrope-latin-${weight}-normal.woff2")
endforeach()
foreach(face 400-normal 600-normal 700-normal 400-italic)
  list(APPEND vendor_map
    "vendor/fonts/playfair-display-latin-${face}.woff2=@fontsource/playfair-display/files/playfair-display-latin-${face}.woff2")
endforeach()
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
    message(WARNING "web: ${from} is missing; run scripts/setup")
  endif()
endforeach()

# Files removed from web/ leave the staged folder too.
file(GLOB_RECURSE staged RELATIVE "${DEST}" "${DEST}/*")
foreach(f IN LISTS staged)
  if(NOT f IN_LIST wanted)
    file(REMOVE "${DEST}/${f}")
  endif()
endforeach()
