# Cross build of the 32-bit Windows DLLs with Debian's mingw-w64 (i686): the
# build proves the 32-bit layouts; this machine cannot run what it makes.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86)
set(DEVAVU_MINGW_TRIPLET i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
