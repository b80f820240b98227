# SPDX-License-Identifier: GPL-3.0-or-later
# velmar_layer(NAME USES <lower layers> LIBS <link libraries>)
#
# Each layer is a static library of the .cpp files in its folder. Headers are
# included as "<layer>/<file>.h"; the include directory a layer exports holds
# only a link to its own folder, so a layer can reach the headers of the layers
# it names and of nothing above it.
function(velmar_layer name)
  cmake_parse_arguments(L "" "" "USES;LIBS" ${ARGN})
  set(dir "${CMAKE_CURRENT_SOURCE_DIR}")
  file(GLOB sources CONFIGURE_DEPENDS "${dir}/*.cpp")
  set(inc "${CMAKE_BINARY_DIR}/layers/${name}")
  file(MAKE_DIRECTORY "${inc}")
  if(NOT EXISTS "${inc}/${name}")
    file(CREATE_LINK "${dir}" "${inc}/${name}" SYMBOLIC)
  endif()
  if(sources)
    add_library(velmar_${name} STATIC ${sources})
    target_include_directories(velmar_${name} PUBLIC "${inc}")
    set(scope PUBLIC)
  else()
    add_library(velmar_${name} INTERFACE)
    target_include_directories(velmar_${name} INTERFACE "${inc}")
    set(scope INTERFACE)
  endif()
  foreach(lower IN LISTS L_USES)
    target_link_libraries(velmar_${name} ${scope} velmar_${lower})
  endforeach()
  if(L_LIBS)
    target_link_libraries(velmar_${name} ${scope} ${L_LIBS})
  endif()
  add_library(velmar::${name} ALIAS velmar_${name})
endfunction()
