# Cross-compiles for 64-bit Windows with Debian's mingw-w64 compilers.
# The "-posix" variants are required: the default "-win32" ones have no
# std::thread or std::mutex. Programs are linked statically (libstdc++,
# libgcc, winpthread) so that each .exe runs without DLLs beside it.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(KOVA_MINGW_TRIPLE x86_64-w64-mingw32)

set(CMAKE_C_COMPILER ${KOVA_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${KOVA_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${KOVA_MINGW_TRIPLE}-windres)
set(KOVA_MC_COMPILER ${KOVA_MINGW_TRIPLE}-windmc)
set(KOVA_IDL_COMPILER ${KOVA_MINGW_TRIPLE}-widl)

# Headers and libraries come from the mingw-w64 sysroot and from the prefixes
# the caller adds (CMAKE_FIND_ROOT_PATH or <Package>_DIR); build tools from
# the host.
list(APPEND CMAKE_FIND_ROOT_PATH /usr/${KOVA_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static-libgcc -static-libstdc++")

# Windows programs built here run under Wine: ctest and test discovery go
# through the helper that bounds each run and uses the caller's prefix.
if(NOT CMAKE_CROSSCOMPILING_EMULATOR)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../../scripts/wine-run.sh)
endif()
