# devavu_product_library(NAME EXPORTS <list file> SOURCES <file>...)
#
# Makes a shared library of the product: symbols hidden unless marked with
# DVU_EXPORT, and the dynamic symbols exactly the names of the list file (one
# export a line, as a module-definition file's EXPORTS line would give it;
# the name is what precedes any blank, '=' or '@'), through a version script
# on ELF or a .def file on Windows; no undefined symbol left to the user of
# the library; NAME_BUILDING defined while it is compiled; the product's
# VERSION and SOVERSION; and a run path that names only the library's own
# folder, in the build tree as when installed (no empty entry: the loader
# would read one as the current directory).
function(devavu_product_library name)
  cmake_parse_arguments(PARSE_ARGV 1 ARG "" "EXPORTS" "SOURCES")
  add_library(${name} SHARED ${ARG_SOURCES})
  string(TOUPPER ${name} upper)
  target_compile_definitions(${name} PRIVATE ${upper}_BUILDING)
  target_include_directories(${name} PUBLIC
    $<BUILD_INTERFACE:${PROJECT_SOURCE_DIR}/include> $<INSTALL_INTERFACE:include>)
  set_target_properties(${name} PROPERTIES
    C_VISIBILITY_PRESET hidden CXX_VISIBILITY_PRESET hidden VISIBILITY_INLINES_HIDDEN ON
    VERSION ${PROJECT_VERSION} SOVERSION ${PROJECT_VERSION_MAJOR})

  file(STRINGS ${ARG_EXPORTS} entries REGEX "[^ \t]")
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${ARG_EXPORTS})
  if(WIN32)
    list(JOIN entries "\n  " lines)
    set(def ${CMAKE_CURRENT_BINARY_DIR}/${name}.def)
    file(CONFIGURE OUTPUT ${def} CONTENT "EXPORTS\n  ${lines}\n")
    target_sources(${name} PRIVATE ${def})
    target_link_options(${name} PRIVATE -Wl,--no-undefined)
  elseif(APPLE)
    message(FATAL_ERROR "devavu_product_library: no export list form for this system")
  else()
    set(names "")
    foreach(entry IN LISTS entries)
      string(REGEX MATCH "^[^ \t=@]+" export_name "${entry}")
      list(APPEND names "${export_name}")
    endforeach()
    list(JOIN names ";\n    " lines)
    set(map ${CMAKE_CURRENT_BINARY_DIR}/${name}.map)
    file(CONFIGURE OUTPUT ${map} CONTENT "{\n  global:\n    ${lines};\n  local:\n    *;\n};\n")
    target_link_options(${name} PRIVATE -Wl,--no-undefined -Wl,--version-script=${map})
    set_target_properties(${name} PROPERTIES LINK_DEPENDS ${map}
      BUILD_WITH_INSTALL_RPATH ON INSTALL_RPATH "$ORIGIN")
  endif()
endfunction()
