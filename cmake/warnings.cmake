# The warnings of the project's own targets, set on each target rather than
# on the whole build so that a project that takes this one in keeps its own.
# -Werror only with DEVAVU_WERROR: a packager's newer compiler may warn where
# this one does not, and that must not stop a build (the test command turns
# it on).
function(devavu_target_warnings)
  set(dirs ${PROJECT_SOURCE_DIR})
  while(dirs)
    list(POP_FRONT dirs dir)
    get_property(subdirs DIRECTORY ${dir} PROPERTY SUBDIRECTORIES)
    list(APPEND dirs ${subdirs})
    get_property(targets DIRECTORY ${dir} PROPERTY BUILDSYSTEM_TARGETS)
    foreach(target IN LISTS targets)
      get_target_property(type ${target} TYPE)
      if(type MATCHES "^(EXECUTABLE|SHARED_LIBRARY|STATIC_LIBRARY|MODULE_LIBRARY|OBJECT_LIBRARY)$")
        target_compile_options(${target} PRIVATE -Wall -Wextra $<$<BOOL:${DEVAVU_WERROR}>:-Werror>)
        if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_GREATER_EQUAL 12
           AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
          # gcc 12's optimiser reports overlaps, bounds and over-reads inside
          # the standard library's own string and vector code ("text" +
          # std::string, a vector copied at -O3; gcc bugs 105329, 105651)
          # that cannot happen. Later
          # versions do not; the sanitizer builds check the real thing.
          target_compile_options(${target} PRIVATE
            $<$<NOT:$<CONFIG:Debug>>:-Wno-restrict -Wno-array-bounds -Wno-stringop-overread>)
        endif()
        if(DEVAVU_SANITIZE AND CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
          # gcc's flow analysis under sanitizer instrumentation reports
          # uninitialised members inside the standard library's own headers.
          target_compile_options(${target} PRIVATE -Wno-maybe-uninitialized)
        endif()
      endif()
    endforeach()
  endwhile()
endfunction()
