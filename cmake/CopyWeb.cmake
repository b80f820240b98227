# cmake -DSRC=<web> -DDEST=<staged web> -P CopyWeb.cmake
file(GLOB_RECURSE files RELATIVE "${SRC}" "${SRC}/*")
set(wanted "")
foreach(f IN LISTS files)
  if(f MATCHES "^node_modules/" OR f MATCHES "^package(-lock)?\\.json$")
    continue()
  endif()
  list(APPEND wanted "${f}")
  file(COPY_FILE "${SRC}/${f}" "${DEST}/${f}" ONLY_IF_DIFFERENT)
endforeach()

# Vendored files: destination inside the web folder, then source inside node_modules.
set(vendor_map
  "vendor/three/three.module.js=three/build/three.module.js"
)
file(GLOB font_files RELATIVE "${SRC}/node_modules"
  "${SRC}/node_modules/@fontsource/manrope/files/manrope-latin-*-normal.woff2"
  "${SRC}/node_modules/@fontsource/playfair-display/files/playfair-display-latin-*-normal.woff2"
  "${SRC}/node_modules/@fontsource/playfair-display/files/playfair-display-latin-*-italic.woff2")
foreach(f IN LISTS font_files)
  get_filename_component(name "${f}" NAME)
  list(APPEND vendor_map "vendor/fonts/${name}=${f}")
endforeach()
foreach(pair IN LISTS vendor_map)
  string(REPLACE "=" ";" parts "${pair}")
  list(GET parts 0 to)
  list(GET parts 1 from)
  if(EXISTS "${SRC}/node_modules/${from}")
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
