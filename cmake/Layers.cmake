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

# velmar_resources(NAME): compiles the layer's NAME.gresource.xml into the
# layer's library, so the program carries those files inside it. The bundle
# is reached through velmar_NAME_get_resource(), which also makes sure the
# linker keeps it; it registers itself when the program starts.
find_program(GLIB_COMPILE_RESOURCES glib-compile-resources REQUIRED)
function(velmar_resources name)
  set(dir "${CMAKE_CURRENT_SOURCE_DIR}")
  set(xml "${dir}/${name}.gresource.xml")
  set(out "${CMAKE_CURRENT_BINARY_DIR}/${name}_resources.c")
  execute_process(COMMAND ${GLIB_COMPILE_RESOURCES} --generate-dependencies --sourcedir "${dir}" "${xml}"
                  OUTPUT_VARIABLE files OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
  string(REPLACE "\n" ";" files "${files}")
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${xml}")
  add_custom_command(
    OUTPUT "${out}"
    COMMAND ${GLIB_COMPILE_RESOURCES} --generate-source --c-name velmar_${name}
            --sourcedir "${dir}" --target "${out}" "${xml}"
    DEPENDS "${xml}" ${files}
    VERBATIM)
  target_sources(velmar_${name} PRIVATE "${out}")
endfunction()
