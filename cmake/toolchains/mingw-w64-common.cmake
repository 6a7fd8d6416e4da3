# What both mingw-w64 toolchains share; DEVAVU_MINGW_TRIPLET names the target.
set(CMAKE_C_COMPILER ${DEVAVU_MINGW_TRIPLET}-gcc)
set(CMAKE_CXX_COMPILER ${DEVAVU_MINGW_TRIPLET}-g++)
set(CMAKE_RC_COMPILER ${DEVAVU_MINGW_TRIPLET}-windres)
set(DEVAVU_WINDMC ${DEVAVU_MINGW_TRIPLET}-windmc)

set(CMAKE_FIND_ROOT_PATH /usr/${DEVAVU_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The runtime of the compiler goes into each DLL and program, so that the
# build directory runs as it is, without the compiler's own DLLs beside it.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static-libgcc -static-libstdc++")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static-libgcc -static-libstdc++")

set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../../scripts/wine-run)
